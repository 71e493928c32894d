#pragma once
// The viewer as the automation server of its type library. Registration
// names the running executable for the three automation classes and the
// library; while the window lives, class objects hand COM clients the
// running book's own objects (the host object, its reading order, the open
// user form), so a client reaches the book a reader has open.

#include <functional>
#include <vector>

#include "host/u_Dispatch.h"

namespace vv {

// Per user (HKEY_CURRENT_USER\Software\Classes and the user's type library
// registration): a book runs without administrator rights, and registering
// there needs none. Raise EOleError.
void RegisterComServer();
void UnregisterComServer();

class TComClassObjects {
public:
  // Where each class's instances come from; an empty answer or a failure
  // refuses the creation with CLASS_E_CLASSNOTAVAILABLE.
  struct TSources {
    std::function<TDispatchRef()> HostExternal;
    std::function<TDispatchRef()> Story;
    std::function<TDispatchRef()> UserForm;
  };
  // Registers the three class objects for this process, several clients each.
  // Raises EOleError; none stays registered then.
  explicit TComClassObjects(TSources Sources);
  ~TComClassObjects();
  TComClassObjects(const TComClassObjects&) = delete;
  TComClassObjects& operator=(const TComClassObjects&) = delete;

private:
  void RevokeAll() noexcept;
  std::vector<unsigned long> FCookies;
};

} // namespace vv

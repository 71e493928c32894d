#pragma once
// A user form's window as the viewer's logic sees it, and the factory the
// host object opens forms with. Each platform implements both.

#include <cstdint>
#include <functional>
#include <string>

#include "forms/u_UserForms.h"
#include "host/i_Browser.h"
#include "host/u_Dispatch.h"
#include "platform/u_ViewTypes.h"

namespace vv {

class IUserFormView {
public:
  // A view lives until it has closed (Close, the reader, its page, or the
  // window that owns it going); then it runs the callback ShowModal was given
  // and destroys itself. Hold it by Liveness.
  virtual ~IUserFormView() = default;

  // The form's browser; its pages see the host object as window.external.
  [[nodiscard]] virtual IBrowser& Browser() = 0;
  // Position and size in pixels; setters hold for fixed borders too.
  [[nodiscard]] virtual TRect Bounds() const = 0;
  virtual void SetLeft(int Value) = 0;
  virtual void SetTop(int Value) = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  virtual void CenterOnScreen() = 0;
  virtual void SetBorderIcons(std::uint32_t Icons) = 0; // bi* bits
  virtual void SetBorderStyle(TFormBorderStyle Value) = 0;
  [[nodiscard]] virtual std::u16string Caption() const = 0;
  virtual void SetCaption(const std::u16string& Value) = 0;
  virtual void HideScrollBars() = 0;

  // Shows the form modal to the whole viewer and returns at once; Closed runs
  // when it has closed.
  virtual void ShowModal(std::function<void()> Closed) = 0;
  // Ends the form as cancelled.
  virtual void Close() = 0;
  [[nodiscard]] virtual TLiveness Liveness() const = 0;
};

class IUserFormViews {
public:
  virtual ~IUserFormViews() = default;
  // A new hidden form at the window's own default geometry and caption, whose
  // pages see External as window.external.
  [[nodiscard]] virtual IUserFormView& CreateUserFormView(TDispatchRef External) = 0;
  // Closes every form still open; each answers its caller as it closes.
  virtual void CloseAll() = 0;
};

} // namespace vv

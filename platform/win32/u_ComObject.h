#pragma once
// Reference counting for our COM objects: one count over all the interfaces
// an object implements, the object freed with its last reference.

#include <windows.h>
#include <objbase.h>

#include <atomic>

namespace vv {

template <class... Interfaces> class TComObject : public Interfaces... {
public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++RefCount; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG Count = --RefCount;
    if (Count == 0)
      delete this;
    return Count;
  }

protected:
  // Created with one reference, which the creator releases.
  TComObject() = default;
  virtual ~TComObject() = default;

private:
  std::atomic<ULONG> RefCount{1};
};

} // namespace vv

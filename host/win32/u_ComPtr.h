#pragma once
// One owned reference to a COM interface, released with its holder.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace vv {

template <class T> class TComPtr {
public:
  TComPtr() = default;
  // Takes over a reference the caller owns.
  explicit TComPtr(T* Owned) : P(Owned) {}
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  TComPtr(TComPtr&& Other) noexcept : P(std::exchange(Other.P, nullptr)) {}
  TComPtr& operator=(TComPtr&& Other) noexcept {
    if (this != &Other) {
      Reset();
      P = std::exchange(Other.P, nullptr);
    }
    return *this;
  }
  ~TComPtr() { Reset(); }

  void Reset() {
    if (T* Old = std::exchange(P, nullptr))
      Old->Release();
  }
  [[nodiscard]] T* Get() const { return P; }
  T* operator->() const { return P; }
  explicit operator bool() const { return P != nullptr; }
  // For an out argument; what was held is released first.
  [[nodiscard]] T** Out() {
    Reset();
    return &P;
  }
  [[nodiscard]] void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  // Interface Iid of Source, or empty.
  template <class U> [[nodiscard]] static TComPtr Query(U* Source, REFIID Iid) {
    TComPtr Result;
    if (Source && FAILED(Source->QueryInterface(Iid, Result.OutVoid())))
      Result.P = nullptr;
    return Result;
  }

private:
  T* P = nullptr;
};

} // namespace vv

#pragma once
// Book strings against the system's 16-bit strings (through the book's code
// page, platform/u_BookText), for the browser control's calls.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "platform/u_BookText.h"

namespace vv {

[[nodiscard]] inline std::u16string WideOf(const wchar_t* Text) {
  return Text ? std::u16string(reinterpret_cast<const char16_t*>(Text)) : std::u16string();
}
[[nodiscard]] inline std::string BookOf(const wchar_t* Text) { return WideToBook(WideOf(Text)); }
// For markup: characters the book's code page lacks become numeric character
// references, so the document means the same in the book's bytes.
[[nodiscard]] std::string BookHtmlOf(const wchar_t* Html);
[[nodiscard]] inline const wchar_t* WideChars(const std::u16string& Text) {
  return reinterpret_cast<const wchar_t*>(Text.c_str());
}

// A BSTR owned for one call.
class TBstr {
public:
  TBstr() = default;
  explicit TBstr(std::u16string_view Text)
      : B(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(Text.data()), static_cast<UINT>(Text.size()))) {}
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  ~TBstr() { SysFreeString(B); }
  operator BSTR() const { return B; }
  // For an out argument.
  [[nodiscard]] BSTR* Out() {
    SysFreeString(B);
    B = nullptr;
    return &B;
  }
  [[nodiscard]] std::string Book() const { return BookOf(B); }

private:
  BSTR B = nullptr;
};

// Text for an out argument the engine frees with CoTaskMemFree; none when empty.
[[nodiscard]] inline wchar_t* TaskMemText(const std::u16string& Text) {
  if (Text.empty())
    return nullptr;
  auto* Copy = static_cast<wchar_t*>(CoTaskMemAlloc((Text.size() + 1) * sizeof(wchar_t)));
  if (Copy)
    std::char_traits<char16_t>::copy(reinterpret_cast<char16_t*>(Copy), Text.c_str(), Text.size() + 1);
  return Copy;
}

} // namespace vv

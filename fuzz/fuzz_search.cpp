// The markup remover and the phrase search, from one input split at its
// first line break: the phrase, then the page.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/u_SearchText.h"
#include "text/u_Utils.h"

namespace {
std::string FoldedUpToNul(std::string_view S) {
  std::string Out(S.substr(0, S.find('\0')));
  for (char& C : Out)
    C = static_cast<char>(vv::FoldCase(static_cast<unsigned char>(C)));
  return Out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
  const std::size_t Break = Input.find('\n');
  const std::string_view Phrase = Input.substr(0, Break);
  const std::string_view Page =
      Break == std::string_view::npos ? std::string_view() : Input.substr(Break + 1);

  const std::string Text = vv::StripTags(Page);
  // Each tag shrinks to at most one blank, so the text never outgrows the page.
  if (Text.size() > Page.size()) __builtin_trap();
  std::string Reused = "stale bytes from an earlier page";
  vv::StripTagsInto(Page, Reused);
  if (Reused != Text) __builtin_trap();

  // The fast path (raw pre-scan, folded buffer) must agree with the plain rule.
  const std::string Needle = FoldedUpToNul(Phrase);
  const bool Expected = !Needle.empty() && FoldedUpToNul(Text).find(Needle) != std::string::npos;
  vv::TSearchPhrase Search(Phrase);
  if (Search.FoundInPage(Page) != Expected || Search.FoundInText(Text) != Expected)
    __builtin_trap();
  // Once more with the buffer holding this page's text.
  if (Search.FoundInPage(Page) != Expected) __builtin_trap();
  return 0;
}

// The markup remover and the phrase search, from one input split at its
// first line break: the phrase, then the page.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/u_HtmlScanner.h"
#include "text/u_SearchText.h"
#include "text/u_Unicode.h"
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

  // The fast path (raw pre-scan, folded buffer) must agree with the plain
  // rule of the page's encoding: Unicode folding of the whole text for UTF-8,
  // the Windows-1252 table for the rest (a phrase it cannot hold is found nowhere).
  const bool Utf8 = vv::DeclaresUtf8(Page);
  bool Lost = false;
  const std::string Ansi = vv::Utf8ToBook(Phrase.substr(0, Phrase.find('\0')), vv::TCodePage::Windows1252, &Lost);
  const std::string Needle = Utf8 ? vv::FoldUtf8(Phrase.substr(0, Phrase.find('\0')))
                                  : Lost ? std::string() : FoldedUpToNul(Ansi);
  const std::string Folded = Utf8 ? vv::FoldUtf8(std::string_view(Text).substr(0, Text.find('\0'))) : FoldedUpToNul(Text);
  const bool Expected = !Needle.empty() && Folded.find(Needle) != std::string::npos;
  vv::TSearchPhrase Search(Phrase);
  const vv::TCodePage CodePage = Utf8 ? vv::TCodePage::Utf8 : vv::TCodePage::Windows1252;
  if (Search.FoundInPage(Page) != Expected || Search.FoundInText(Text, CodePage) != Expected)
    __builtin_trap();
  // Once more with the buffer holding this page's text.
  if (Search.FoundInPage(Page) != Expected) __builtin_trap();
  return 0;
}

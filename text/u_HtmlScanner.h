#pragma once
// A lenient tokenizer for the HTML of book pages: start tags with their
// attributes, end tags and text, each with the line it begins on. It never
// fails; whatever does not look like a tag is text. Comments, declarations
// and processing instructions are skipped. The content of script, style,
// title and textarea elements comes back as one text token.

#include <string>
#include <string_view>
#include <vector>

#include "text/u_Convert.h"

namespace vv {

struct THtmlAttribute {
  std::string_view Name;  // as written
  std::string_view Value; // as written, without its quotes; entities not decoded
};

struct THtmlToken {
  enum class TKind { StartTag, EndTag, Text };
  TKind Kind = TKind::Text;
  std::string_view Name;                  // tag name as written; empty for text
  std::string_view Text;                  // text tokens only, entities not decoded
  std::vector<THtmlAttribute> Attributes; // start tags only
  int Line = 1;
};

class THtmlScanner {
public:
  explicit THtmlScanner(std::string_view Html) : Html(Html) {}
  // The next token, reusing Token's storage; false at the end of the text.
  [[nodiscard]] bool Next(THtmlToken& Token);

private:
  void Advance(std::size_t To);     // moves Pos, counting the lines passed
  void ReadText(THtmlToken& Token); // up to the next "<" after Pos
  void ReadStartTag(THtmlToken& Token);
  std::string_view Html;
  std::size_t Pos = 0;
  int Line = 1;
  std::string_view RawTextOf; // the element whose raw content comes next, if any
};

// Text with the character references a link or a link text may carry decoded:
// the named ones of markup and non-breaking space (as a blank), and numeric
// ones (in CodePage, the text's own; "?" for characters Windows-1252 lacks).
[[nodiscard]] std::string DecodeEntities(std::string_view Text, TCodePage CodePage = TCodePage::Windows1252);

// Whether the page declares its text UTF-8: a byte-order mark, or a meta
// element of its head (charset, or http-equiv content with a charset).
[[nodiscard]] bool DeclaresUtf8(std::string_view Html);

} // namespace vv

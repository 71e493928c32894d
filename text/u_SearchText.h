#pragma once
// The text side of the book search: removing markup from a page and finding a
// phrase in what remains, without regard to case.

#include <cstddef>
#include <string>
#include <string_view>

#include "text/u_Convert.h"

namespace vv {

// The page's text: every tag (from "<" to the next ">" outside double quotes)
// becomes one blank; an unfinished tag and everything after it are dropped.
// Nothing else is interpreted.
[[nodiscard]] std::string StripTags(std::string_view Html);
// The same into Out, reusing its storage.
void StripTagsInto(std::string_view Html, std::string& Out);

// A search phrase, prepared once and tried against many pages. The phrase
// is Unicode (UTF-8); each page is compared in its own encoding: UTF-8 when it
// declares it (DeclaresUtf8), else Windows-1252. A UTF-8 page is compared
// with Unicode simple case folding; a Windows-1252 page with the system's one
// case folding of that code page, and never holds a phrase with characters
// that code page lacks. Text and phrase end at their first NUL, and an empty
// phrase is found nowhere.
class TSearchPhrase {
public:
  explicit TSearchPhrase(std::string_view Phrase);

  // Whether the phrase occurs in Text (markup already removed), in the code page given.
  [[nodiscard]] bool FoundInText(std::string_view Text, TCodePage CodePage = TCodePage::Windows1252) const;
  // Whether the phrase occurs in StripTags(Html). Most pages are rejected by
  // a scan of the raw bytes; only candidates are stripped, into a buffer kept
  // between calls, so one object must not be used from two threads at once.
  [[nodiscard]] bool FoundInPage(std::string_view Html);

private:
  // Folded bytes to look for, with the one of them that is rarest in usual
  // text and the raw bytes that fold to it: candidates are found with memchr,
  // which scans far faster than any byte-by-byte loop.
  struct TNeedle {
    explicit TNeedle(std::string Folded);
    std::string Bytes;
    std::size_t RarePos = 0;
    unsigned char Rare[2] = {0, 0};
    int RareCount = 0;
  };
  enum class TScan { Absent, Present, Unsure };
  // Needle must not be empty. Unsure once verification work passes the size
  // of Bytes (pathological repetition); the caller then decides with a linear search.
  [[nodiscard]] static TScan Scan(const TNeedle& Needle, std::string_view Bytes);
  [[nodiscard]] bool FoundInAnsiPage(std::string_view Html);
  [[nodiscard]] bool FoundInUtf8Text(std::string_view Text) const;

  // In Windows-1252, folded; empty when the phrase has a character that code
  // page lacks (no such page can hold it).
  TNeedle FPhrase;
  // The longest run of the phrase without blanks: a tag turns into a blank,
  // so such a run can only match bytes that stand together in the raw page.
  TNeedle FAnchor;
  std::string FUtf8; // the phrase up to its first NUL, folded as Unicode
  // For UTF-8 pages: whether FPhrase finds exactly what FUtf8 finds (ASCII
  // that no other character folds to), and a run of FUtf8 whose characters
  // fold from themselves alone, to reject pages by their raw bytes.
  bool FAsciiExact = false;
  TNeedle FUtf8Anchor;
  std::string FBuffer;
  mutable std::string FFolded;
};

} // namespace vv

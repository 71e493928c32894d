#pragma once
// The text side of the book search: removing markup from a page and finding a
// phrase in what remains, without regard to case.

#include <cstddef>
#include <string>
#include <string_view>

namespace vv {

// The page's text: every tag (from "<" to the next ">" outside double quotes)
// becomes one blank; an unfinished tag and everything after it are dropped.
// Nothing else is interpreted.
[[nodiscard]] std::string StripTags(std::string_view Html);
// The same into Out, reusing its storage.
void StripTagsInto(std::string_view Html, std::string& Out);

// A search phrase, prepared once and tried against many pages. The comparison
// is the system's one case folding; text and phrase end at their first NUL,
// and an empty phrase is found nowhere.
class TSearchPhrase {
public:
  explicit TSearchPhrase(std::string_view Phrase);

  // Whether the phrase occurs in Text (markup already removed).
  [[nodiscard]] bool FoundInText(std::string_view Text) const;
  // Whether the phrase occurs in StripTags(Html). Most pages are rejected by
  // a scan of the raw bytes; only candidates are stripped, into a buffer kept
  // between calls, so one object must not be used from two threads at once.
  [[nodiscard]] bool FoundInPage(std::string_view Html);

  [[nodiscard]] const std::string& Folded() const { return FPhrase.Bytes; }

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

  TNeedle FPhrase; // the phrase up to its first NUL, case-folded
  // The longest run of the phrase without blanks: a tag turns into a blank,
  // so such a run can only match bytes that stand together in the raw page.
  TNeedle FAnchor;
  std::string FBuffer;
};

} // namespace vv

#include <gtest/gtest.h>

#include "text/u_Convert.h"
#include "text/u_Unicode.h"
#include "text/u_Utils.h"

using namespace vv;

TEST(DecodeUtf8, MalformedSequencesBecomeReplacementOneByteAtATime) {
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  // Each would be "<", "/", "\"" or NUL to a decoder that skips the checks.
  const TCase Cases[] = {{"overlong <", "\xC0\xBC"},          {"overlong / in three", "\xE0\x80\xAF"},
                         {"overlong \" in four", "\xF0\x80\x80\xA2"}, {"overlong NUL", "\xC0\x80"},
                         {"stray continuation", "\xBC"},       {"surrogate", "\xED\xA0\x80"},
                         {"above U+10FFFF", "\xF4\x90\x80\x80"}, {"cut at the end", "\xE6\x97"},
                         {"lead then ASCII", "\xE6<"},          {"F5 lead", "\xF5\x80\x80\x80"}};
  for (const TCase& C : Cases) {
    std::size_t Length = 0;
    EXPECT_EQ(DecodeUtf8(C.Bytes, 0, Length), ReplacementChar) << C.Name;
    EXPECT_EQ(Length, 1u) << C.Name;
    EXPECT_FALSE(IsValidUtf8(C.Bytes)) << C.Name;
    const std::u16string Wide = Utf8ToUtf16(C.Bytes);
    for (const char16_t W : Wide)
      EXPECT_TRUE(W == 0xFFFD || W == '<') << C.Name; // "<" only where it was written
  }
  std::size_t Length = 0;
  EXPECT_EQ(DecodeUtf8("\xE6\x97\xA5", 0, Length), U'\u65E5');
  EXPECT_EQ(Length, 3u);
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x93\x96", 0, Length), U'\U0001F4D6');
  EXPECT_EQ(Length, 4u);
  EXPECT_TRUE(IsValidUtf8("plain, \xD0\x96, \xE6\x97\xA5, \xEF\xBF\xBD"));
}

TEST(DecodeUtf8, RoundTripsThrough16BitTextBeyondTheFirstPlane) {
  const std::string Text = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x93\x96";
  EXPECT_EQ(Utf8ToUtf16(Text), u"Café 日本 \U0001F4D6");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(Text)), Text);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"a"), "\xEF\xBF\xBD" "a");
}

TEST(SimpleFold, FoldsEveryScriptWithCaseAndNothingElse) {
  struct TCase {
    char32_t From, To;
  };
  const TCase Cases[] = {
      {U'A', U'a'},           {U'a', U'a'},           {U'É', U'é'},           {U'Ā', U'ā'},
      {U'ā', U'ā'},           {U'Ÿ', U'ÿ'},           {U'Σ', U'σ'},           {U'ς', U'σ'},
      {U'Ά', U'ά'},           {U'Ж', U'ж'},           {U'Ё', U'ё'},           {U'Ѣ', U'ѣ'},
      {U'\u212A', U'k'},      {U'\u212B', U'å'},      {U'µ', U'μ'},           {U'ẞ', U'ß'},
      {U'\u0130', U'\u0130'}, {U'\u13F8', U'\u13F0'}, {U'\U00010400', U'\U00010428'},
      {U'日', U'日'},          {U'Ա', U'ա'},           {U'Ⓐ', U'ⓐ'},           {U'Ａ', U'ａ'}};
  for (const TCase& C : Cases)
    EXPECT_EQ(SimpleFold(C.From), C.To) << std::hex << static_cast<unsigned>(C.From);
  EXPECT_EQ(FoldUtf8("R\xC3\xA9SUM\xC3\x89 \xD0\x9C\xD0\x98\xD0\xA0 \xC0\xBC"),
            "r\xC3\xA9sum\xC3\xA9 \xD0\xBC\xD0\xB8\xD1\x80 \xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(CompareText, FoldsUtf8NamesAsUnicodeAndKeepsDistinctNamesApart) {
  // The Windows-1252 table folds the continuation bytes 0x8A and 0x8C: these
  // pairs collided when UTF-8 names were folded byte by byte.
  EXPECT_FALSE(SameText("\xD0\x8A.htm", "\xD0\x9A.htm")); // Њ and К
  EXPECT_FALSE(SameText("\xCE\x8C.htm", "\xCE\x9C.htm")); // Ό and Μ
  EXPECT_TRUE(SameText("\xD0\x96\xD1\x83\xD0\xBA.htm", "\xD0\xB6\xD0\xA3\xD0\x9A.HTM")); // Жук / жУК
  EXPECT_TRUE(SameText("\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8A\xCE\x91", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1"));
  EXPECT_TRUE(SameText("\xE2\x84\xAA", "k")); // Kelvin sign, three bytes against one
  EXPECT_TRUE(SameText("caf\xC3\xA9", "CAF\xC3\x89"));
  // A name that is not UTF-8 folds as Windows-1252, as it always did.
  EXPECT_TRUE(SameText("Caf\xE9", "CAF\xC9"));
  // One order: keys equal exactly when names compare equal, signs agree both ways.
  const std::string Names[] = {"a",           "B",           "\xE2\x84\xAA", "K",   "\xD0\x96",
                               "\xD0\xB6",    "\xD0\x8A",    "\xD0\x9A",     "\xE9", "\xC3\xA9x",
                               "\xC3\x89X",   "\xCE\x8C",    "\xCE\x9C",     "z\xD0\x96"};
  for (const std::string& A : Names)
    for (const std::string& B : Names) {
      const int AB = CompareText(A, B), BA = CompareText(B, A);
      EXPECT_EQ(AB < 0, BA > 0) << A << " " << B;
      EXPECT_EQ(AB == 0, FoldedKey(A) == FoldedKey(B)) << A << " " << B;
      for (const std::string& C : Names)
        if (AB < 0 && CompareText(B, C) < 0) {
          EXPECT_LT(CompareText(A, C), 0) << A << " " << B << " " << C;
        }
    }
}

TEST(BookCodePage, ConvertsBookStringsToAndFromUtf8) {
  EXPECT_EQ(BookToUtf8("Caf\xE9 \x80", TCodePage::Windows1252), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(BookToUtf8("\xE6\x97\xA5", TCodePage::Utf8), "\xE6\x97\xA5");
  EXPECT_EQ(BookToUtf8("a\xC0\xBC", TCodePage::Utf8), "a\xEF\xBF\xBD\xEF\xBF\xBD");
  bool Lost = false;
  EXPECT_EQ(Utf8ToBook("Caf\xC3\xA9 \xE2\x82\xAC?", TCodePage::Windows1252, &Lost), "Caf\xE9 \x80?");
  EXPECT_FALSE(Lost); // a "?" the text holds is no loss
  EXPECT_EQ(Utf8ToBook("\xE6\x97\xA5 \xD0\x96", TCodePage::Windows1252, &Lost), "? ?");
  EXPECT_TRUE(Lost);
  EXPECT_EQ(Utf8ToBook("\xE6\x97\xA5", TCodePage::Utf8), "\xE6\x97\xA5");
  // Windows-1252 bytes in a page that claims UTF-8 stay as they are.
  EXPECT_EQ(Utf8ToBook("Caf\xE9", TCodePage::Windows1252), "Caf\xE9");
}

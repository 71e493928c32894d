#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/TestUtil.h"
#include "text/u_SearchText.h"
#include "text/u_Unicode.h"
#include "text/u_Utils.h"

using namespace vv;
using namespace std::string_literals;

namespace {
struct StripCase {
  std::string Html;
  std::string Text;
};

class StripTagsTable : public testing::TestWithParam<StripCase> {};

// A straightforward reading of the rule the fast search must agree with:
// fold both, cut both at their first NUL, look for the phrase.
bool Oracle(const std::string& Html, const std::string& Phrase) {
  auto Prepare = [](std::string S) {
    S = S.substr(0, S.find('\0'));
    for (char& C : S)
      C = static_cast<char>(FoldCase(static_cast<unsigned char>(C)));
    return S;
  };
  const std::string P = Prepare(Phrase);
  return !P.empty() && Prepare(StripTags(Html)).find(P) != std::string::npos;
}
} // namespace

TEST_P(StripTagsTable, LeavesTheTextWithOneBlankPerTag) {
  EXPECT_EQ(StripTags(GetParam().Html), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    SearchText, StripTagsTable,
    testing::Values(StripCase{"", ""}, StripCase{"plain text", "plain text"},
                    StripCase{"Hello <b>world</b>", "Hello  world "}, StripCase{"a<b>c", "a c"},
                    StripCase{"<p>", " "}, StripCase{"x<", "x "},
                    // An unfinished tag and what follows it are dropped.
                    StripCase{"a<b title=x", "a "}, StripCase{"a<b title=\"x>c", "a "},
                    // ">" inside double quotes does not end the tag.
                    StripCase{"a<b title=\"x>y\">c", "a c"}, StripCase{"<a href=\"<x>\">t", " t"},
                    // Single quotes do not quote.
                    StripCase{"a<b title='x>y'>c", "a y'>c"},
                    // Outside tags, ">" and double quotes are plain text.
                    StripCase{"x > y", "x > y"}, StripCase{"say \"hi\"<br>", "say \"hi\" "},
                    StripCase{"&amp; &lt;", "&amp; &lt;"},
                    // Script content and comments are not special.
                    StripCase{"<script>var s='<b>';</script>", " var s=' '; "},
                    StripCase{"<!-- a <b> -->z", "  -->z"}, StripCase{"a<<b>>c", "a >c"},
                    StripCase{"a\0b<i\0>c"s, "a\0b c"s}),
    [](const testing::TestParamInfo<StripCase>& Info) { return vvtest::ReadableName(Info.index, Info.param.Html); });

TEST(SearchText, StripTagsIntoReplacesEarlierContent) {
  std::string Out = "left over from a longer page";
  StripTagsInto("<i>x</i>", Out);
  EXPECT_EQ(Out, " x ");
}

TEST(SearchText, EmptyPhraseFindsNothing) {
  TSearchPhrase Phrase("");
  EXPECT_FALSE(Phrase.FoundInText("anything"));
  EXPECT_FALSE(Phrase.FoundInPage("anything"));
  EXPECT_FALSE(Phrase.FoundInText(""));
  // A phrase that starts with NUL is empty as well.
  EXPECT_FALSE(TSearchPhrase("\0abc"s).FoundInPage("abc"));
}

TEST(SearchText, IgnoresCaseBothWays) {
  EXPECT_TRUE(TSearchPhrase("zebra").FoundInPage("<p>A ZEBRA here</p>"));
  EXPECT_TRUE(TSearchPhrase("ZEBRA").FoundInPage("<p>a zebra here</p>"));
  EXPECT_TRUE(TSearchPhrase("ZeBrA").FoundInText("zEbRa"));
}

TEST(SearchText, FoldsTheCodePagesLetters) {
  // E acute, S caron, Y diaeresis, OE ligature: upper and lower cases meet.
  EXPECT_TRUE(TSearchPhrase("\xC9T\xC9").FoundInPage("<b>\xE9t\xE9</b>"));
  EXPECT_TRUE(TSearchPhrase("\x9A\xFF\x9C").FoundInPage("x \x8A\x9F\x8C y"));
  // Multiplication and division signs are no case pair; sharp s has no upper case here.
  EXPECT_FALSE(TSearchPhrase("\xD7").FoundInPage("\xF7"));
  EXPECT_FALSE(TSearchPhrase("SS").FoundInPage("\xDF"));
}

TEST(SearchText, TagWithBlanksAroundBreaksAPhrase) {
  TSearchPhrase Phrase("Hello world");
  EXPECT_FALSE(Phrase.FoundInPage("Hello <b>world</b>"));
  EXPECT_TRUE(TSearchPhrase("Hello  world").FoundInPage("Hello <b>world</b>"));
  // A tag between two words stands for exactly one blank.
  EXPECT_TRUE(Phrase.FoundInPage("Hello<br>world"));
  EXPECT_FALSE(TSearchPhrase("Helloworld").FoundInPage("Hello<br>world"));
}

TEST(SearchText, AttributeValuesAreNotText) {
  EXPECT_FALSE(TSearchPhrase("secret").FoundInPage("<a href=\"secret.htm\">link</a>"));
  EXPECT_FALSE(TSearchPhrase("sunset").FoundInPage("<img alt=\"Sunset over > the sea\">"));
  EXPECT_FALSE(TSearchPhrase("the sea").FoundInPage("<img alt=\"Sunset over > the sea\">"));
  // Unquoted attribute values are inside the tag as well.
  EXPECT_FALSE(TSearchPhrase("secret").FoundInPage("<a href=secret.htm>link</a>"));
}

TEST(SearchText, ScriptTextIsText) {
  EXPECT_TRUE(TSearchPhrase("hiddenVar").FoundInPage("<script>var hiddenvar = 1;</script>"));
}

TEST(SearchText, TextEndsAtItsFirstNul) {
  const std::string Page = "<p>before\0after</p>"s;
  EXPECT_TRUE(TSearchPhrase("before").FoundInPage(Page));
  EXPECT_FALSE(TSearchPhrase("after").FoundInPage(Page));
  EXPECT_FALSE(TSearchPhrase("after").FoundInText("before\0after"s));
  // A NUL inside a tag is dropped with the tag and cuts nothing.
  EXPECT_TRUE(TSearchPhrase("after").FoundInPage("<b title=\"\0\">after"s));
  // The phrase ends at its NUL too.
  EXPECT_TRUE(TSearchPhrase("ab\0zz"s).FoundInPage("xxabyy"));
}

TEST(SearchText, PhraseOfBlanksMatchesTheTagBlank) {
  EXPECT_TRUE(TSearchPhrase(" ").FoundInPage("a<br>b"));
  EXPECT_FALSE(TSearchPhrase(" ").FoundInPage("ab"));
}

TEST(SearchText, PhraseAtThePageEdges) {
  TSearchPhrase Phrase("edge");
  EXPECT_TRUE(Phrase.FoundInPage("edge"));
  EXPECT_TRUE(Phrase.FoundInPage("edge<b>"));
  EXPECT_TRUE(Phrase.FoundInPage("<b>edge"));
  EXPECT_FALSE(Phrase.FoundInPage("edg"));
  EXPECT_FALSE(Phrase.FoundInPage("<b>edg"));
}

TEST(SearchText, RepetitiveTextStillDecidesExactly) {
  // Every position nearly matches, so the quick scans give up and the
  // decision falls to the linear search over the folded text.
  std::string Page;
  for (int i = 0; i < 200; ++i)
    Page += std::string(39, 'a') + "b";
  TSearchPhrase Phrase(std::string(40, 'a'));
  EXPECT_FALSE(Phrase.FoundInPage(Page));
  EXPECT_FALSE(Phrase.FoundInText(Page));
  EXPECT_TRUE(Phrase.FoundInPage(Page + "<i>" + std::string(40, 'A')));
  EXPECT_TRUE(Phrase.FoundInText(Page + std::string(40, 'A')));
  EXPECT_FALSE(Phrase.FoundInPage(Page + "<i title=\"" + std::string(40, 'A') + "\">"));
}

// The raw pre-scan and the buffer kept between pages must never change an
// answer: random pages over the characters that matter, one phrase object
// reused across many pages.
TEST(SearchText, AgreesWithTheStraightforwardRule) {
  std::mt19937 Random(20261208);
  const std::string Alphabet = "aAbB <>\"\0\xE9\xC9x"s;
  auto RandomText = [&](std::size_t MaxLength) {
    std::string S(std::uniform_int_distribution<std::size_t>(0, MaxLength)(Random), ' ');
    for (char& C : S)
      C = Alphabet[std::uniform_int_distribution<std::size_t>(0, Alphabet.size() - 1)(Random)];
    return S;
  };
  int Found = 0;
  for (int p = 0; p < 300; ++p) {
    const std::string PhraseText = RandomText(5);
    TSearchPhrase Phrase(PhraseText);
    for (int h = 0; h < 100; ++h) {
      const std::string Page = RandomText(60);
      const bool Expected = Oracle(Page, PhraseText);
      ASSERT_EQ(Phrase.FoundInPage(Page), Expected)
          << "phrase [" << PhraseText << "] page [" << Page << "]";
      ASSERT_EQ(Phrase.FoundInText(StripTags(Page)), Expected);
      Found += Expected;
    }
  }
  // Both answers must occur often, or the comparison proves little.
  EXPECT_GT(Found, 3000);
  EXPECT_LT(Found, 27000);
}

TEST(SearchText, ComparesEachPageInItsOwnEncoding) {
  const std::string Utf8Head = "<head><meta charset=\"UTF-8\"></head>";
  // Unicode phrases over UTF-8 pages, any case of any script.
  EXPECT_TRUE(TSearchPhrase("rapha\xC3\xABl").FoundInPage(Utf8Head + "<p>RAPHA\xC3\x8BL</p>"));
  EXPECT_TRUE(TSearchPhrase("\xD0\xA0\xD0\xA3\xD0\xA1\xD0\xA1\xD0\x9A\xD0\x98\xD0\x99") // РУССКИЙ
                  .FoundInPage(Utf8Head + "<b>\xD1\x80\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9</b>"));
  EXPECT_TRUE(TSearchPhrase("\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3") // ΣΟΦΟΣ, final sigma in the page
                  .FoundInPage(Utf8Head + "\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82"));
  EXPECT_TRUE(TSearchPhrase("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E").FoundInPage(Utf8Head + "<p>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E</p>"));
  EXPECT_TRUE(TSearchPhrase("kelvin").FoundInPage(Utf8Head + "\xE2\x84\xAA" "ELVIN"));
  // Byte-order mark and the http-equiv form declare UTF-8 too.
  EXPECT_TRUE(TSearchPhrase("\xC3\xA9t\xC3\xA9").FoundInPage("\xEF\xBB\xBF<p>\xC3\x89T\xC3\x89"));
  EXPECT_TRUE(TSearchPhrase("\xC3\xA9t\xC3\xA9").FoundInPage(
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\xC3\x89T\xC3\x89"));
  // Distinct letters whose UTF-8 bytes the Windows-1252 table would pair.
  EXPECT_FALSE(TSearchPhrase("\xD0\x8A").FoundInPage(Utf8Head + "\xD0\x9A"));
  // Markup and entities are left out as in any page.
  EXPECT_FALSE(TSearchPhrase("\xE6\x97\xA5").FoundInPage(Utf8Head + "<img alt=\"\xE6\x97\xA5\">"));
  EXPECT_FALSE(TSearchPhrase("\xC3\xA9").FoundInPage(Utf8Head + "&eacute;"));
  // A Windows-1252 page: the phrase in that code page, and none it cannot hold.
  EXPECT_TRUE(TSearchPhrase("RAPHA\xC3\x8BL").FoundInPage("<p>Rapha\xEBl</p>"));
  EXPECT_FALSE(TSearchPhrase("\xE6\x97\xA5\xE6\x9C\xAC").FoundInPage("<p>x??y</p>"));
  EXPECT_FALSE(TSearchPhrase("rapha\xC3\xABl").FoundInPage("<p>RAPHA\xC3\x8BL</p>"));
}

// UTF-8 pages against folding the whole stripped text, over the characters
// that trouble a raw-byte pre-scan: letters other characters fold to, pairs
// the Windows-1252 table confuses, markup, NUL and malformed bytes.
TEST(SearchText, Utf8PagesAgreeWithFoldingTheWholeText) {
  std::mt19937 Random(20261209);
  const std::vector<std::string> Pieces = {"k", "K", "\xE2\x84\xAA", "s", "S", "\xC5\xBF", "\xCF\x83", "\xCE\xA3",
                                           "\xCF\x82", "\xD0\x8A", "\xD0\x9A", "\xE6\x97\xA5", " ", "a", "<", ">",
                                           "\"", "\0"s, "\xC0", "\xC3\xA9", "\xC3\x89"};
  auto RandomText = [&](std::size_t MaxPieces, bool Markup) {
    std::string S;
    for (std::size_t n = std::uniform_int_distribution<std::size_t>(0, MaxPieces)(Random); n > 0; --n) {
      const std::string& P = Pieces[std::uniform_int_distribution<std::size_t>(0, Pieces.size() - 1)(Random)];
      if (Markup || (P != "<" && P != ">" && P != "\"")) S += P;
    }
    return S;
  };
  int Found = 0;
  for (int p = 0; p < 300; ++p) {
    const std::string PhraseText = RandomText(3, false);
    TSearchPhrase Phrase(PhraseText);
    const std::string Needle = FoldUtf8(PhraseText.substr(0, PhraseText.find('\0')));
    for (int h = 0; h < 60; ++h) {
      const std::string Page = "<meta charset=utf-8>" + RandomText(40, true);
      const std::string Text = StripTags(Page);
      const bool Expected = !Needle.empty() && FoldUtf8(Text.substr(0, Text.find('\0'))).find(Needle) != std::string::npos;
      ASSERT_EQ(Phrase.FoundInPage(Page), Expected) << "phrase [" << PhraseText << "] page [" << Page << "]";
      ASSERT_EQ(Phrase.FoundInText(Text, TCodePage::Utf8), Expected);
      Found += Expected;
    }
  }
  EXPECT_GT(Found, 1000);
  EXPECT_LT(Found, 17000);
}

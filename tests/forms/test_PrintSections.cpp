#include <gtest/gtest.h>

#include "forms/u_PrintSections.h"
#include "tests/TestUtil.h"

using namespace vv;

namespace {
struct TElement {
  std::string TagName;
  std::string Id;
  std::string InnerHTML;
};

struct SectionCase {
  const char* TagName;
  const char* Id;
  bool Section;
};
} // namespace

class PrintSectionRule : public ::testing::TestWithParam<SectionCase> {};

TEST_P(PrintSectionRule, OnlyDivsWhoseIdEndsWithPage) {
  const SectionCase& C = GetParam();
  EXPECT_EQ(IsPrintSection(C.TagName, C.Id), C.Section) << C.TagName << " " << C.Id;
}

INSTANTIATE_TEST_SUITE_P(
    Ids, PrintSectionRule,
    ::testing::Values(SectionCase{"DIV", "chapterPage", true}, SectionCase{"DIV", "PAGE", true},
                      SectionCase{"div", "printpage", true}, SectionCase{"Div", "xPaGe", true},
                      SectionCase{"DIV", "page2", false}, SectionCase{"DIV", "AGE", false},
                      SectionCase{"DIV", "", false}, SectionCase{"DIV", "PAGES", false},
                      SectionCase{"SPAN", "printPage", false}, SectionCase{"DIVX", "printPage", false},
                      SectionCase{"", "printPage", false}),
    [](const testing::TestParamInfo<SectionCase>& Info) {
      return vvtest::ReadableName(Info.index, std::string(Info.param.TagName) + "_" + Info.param.Id);
    });

TEST(PrintSections, ListsSectionsInDocumentOrderWithNestedOnes) {
  const std::vector<TElement> Page = {{"DIV", "outerPAGE", "<div id=\"innerPage\">x</div>"},
                                      {"DIV", "innerPage", "x"},
                                      {"SPAN", "spanPage", ""},
                                      {"DIV", "page2", ""},
                                      {"P", "textPAGE", ""},
                                      {"DIV", "lastpage", ""}};
  EXPECT_EQ(PrintSectionIds(Page), (std::vector<std::string>{"outerPAGE", "innerPage", "lastpage"}));
  EXPECT_TRUE(PrintSectionIds(std::vector<TElement>{}).empty());
}

TEST(PrintSections, FindsTheFirstDivOfTheIdIgnoringCase) {
  const std::vector<TElement> Page = {{"SPAN", "onePage", "span"},
                                      {"DIV", "ONEPAGE", "first"},
                                      {"DIV", "onePage", "second"},
                                      {"DIV", "page2", "other"}};
  const TElement* Found = FindPrintSection(Page, "onepage");
  ASSERT_NE(Found, nullptr);
  EXPECT_EQ(Found->InnerHTML, "first");
  // A menu item whose section went with the page it was built from.
  EXPECT_EQ(FindPrintSection(Page, "gonePage"), nullptr);
  // The hint is matched whole, not as a prefix.
  EXPECT_EQ(FindPrintSection(Page, "onePag"), nullptr);
}

TEST(PrintSections, DocumentWrapsTheSectionWithTheContentBase) {
  EXPECT_EQ(PrintSectionHtml("<p>a</p>"),
            "<html><head> <base href=\"mfs:\\\">  </head><body><p>a</p></body></html>");
  EXPECT_EQ(PrintSectionHtml(""), "<html><head> <base href=\"mfs:\\\">  </head><body></body></html>");
}

TEST(PrintSections, EveryLineBreakBecomesCrLf) {
  EXPECT_EQ(LinesWithCRLF(""), "");
  EXPECT_EQ(LinesWithCRLF("one"), "one\r\n");
  EXPECT_EQ(LinesWithCRLF("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  // A break at the end gives no extra empty line; doubled breaks keep their empty line.
  EXPECT_EQ(LinesWithCRLF("a\r\n"), "a\r\n");
  EXPECT_EQ(LinesWithCRLF("a\n\nb"), "a\r\n\r\nb\r\n");
  // LF then CR is two breaks, CR then LF one.
  EXPECT_EQ(LinesWithCRLF("a\n\rb"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(LinesWithCRLF("\r\n"), "\r\n");
  const std::string Zero("a\0b\nc", 5);
  EXPECT_EQ(LinesWithCRLF(Zero), std::string("a\0b\r\nc\r\n", 8));
}

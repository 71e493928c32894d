#include <gtest/gtest.h>

#include <string>

#include "tests/TestUtil.h"
#include "text/u_Variables.h"

using namespace vv;
using vvtest::MessageOf;

namespace {
std::string Var(const std::string& Name, const std::string& Value) {
  return "<v Name=\"" + Name + "\">" + Value + "</v>\r\n";
}
std::string File(const std::string& Body) {
  return "<Variables>\r\n" + Body + "</Variables>";
}
} // namespace

TEST(Variables, ResolvesReferencesBetweenVariables) {
  const TVariables V(File(Var("a", "x%{b}y") + Var("b", "1") + Var("c", "%{A}%{B}")), true);
  EXPECT_EQ(V.Values->GetString("a"), "x1y");
  EXPECT_EQ(V.Values->GetString("c"), "x1y1");
  EXPECT_EQ(V.Substitute("[%{A}]"), "[x1y]");
}

TEST(Variables, SubstitutesOnlyCompleteReferencesToKnownNames) {
  const TVariables V(File(Var("a", "A") + Var("two words", "2") + Var("p", "%")), true);
  struct TCase {
    const char* Text;
    const char* Expected;
  };
  const TCase Cases[] = {
      {"%{nosuch}", "%{nosuch}"},
      {"x%{", "x%{"},
      {"%{a", "%{a"},
      {"100%", "100%"},
      {"%%{a}", "%%{a}"},
      {"%x{a}", "%x{a}"},
      {"%{two words}", "2"},
      {"%{x%{a}", "%{x%{a}"}, // the name runs to the first brace
      {"%{nosuch}%{a}", "%{nosuch}A"},
      {"%{a}%{a}%{a}", "AAA"},
      {"%{p}{a}", "%{a}"}, // an inserted value is not scanned again
      {"", ""},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(V.Substitute(C.Text), C.Expected) << C.Text;
    std::string InPlace = C.Text;
    V.SubstituteInPlace(InPlace);
    EXPECT_EQ(InPlace, C.Expected) << C.Text;
  }
  const std::string Binary("\0%{a}\xFF", 6);
  EXPECT_EQ(V.Substitute(Binary), std::string("\0A\xFF", 3));
}

TEST(Variables, CycleNamesTheVariableReachedAgain) {
  EXPECT_EQ(MessageOf([] { TVariables(File(Var("a", "%{b}") + Var("b", "%{a}")), true); }),
            "Cycling reference encountered during loading variable \"a\"");
  EXPECT_EQ(MessageOf([] {
              TVariables(File(Var("a", "%{b}") + Var("b", "%{c}") + Var("c", "%{B}")), true);
            }),
            "Cycling reference encountered during loading variable \"B\"");
  EXPECT_EQ(MessageOf([] { TVariables(File(Var("self", "x%{SELF}")), true); }),
            "Cycling reference encountered during loading variable \"SELF\"");
}

TEST(Variables, DuplicateNamesFail) {
  EXPECT_EQ(MessageOf([] { TVariables(File(Var("Title", "1") + Var("title", "2")), true); }),
            "TDictionary.Add - element \"title\" is already in collection");
}

TEST(Variables, ValuesAreRawContent) {
  const TVariables V(File(Var("x", "  a  ") + Var("d", "$5") + Var("dd", "$$5") +
                          Var("lines", "1\r\n2") + Var("esc", "\\<b\\>") +
                          "<v>no name</v><v Name=\"\">empty</v>"),
                     true);
  EXPECT_EQ(V.Values->Count(), 5);
  EXPECT_EQ(V.Values->GetString("x"), "  a  ");
  EXPECT_EQ(V.Values->GetString("d"), "5");
  EXPECT_EQ(V.Values->GetString("dd"), "$5");
  EXPECT_EQ(V.Values->GetString("lines"), "1\r\n2");
  EXPECT_EQ(V.Values->GetString("esc"), "<b>");
  const TVariables Kept(File(Var("d", "$5")), false);
  EXPECT_EQ(Kept.Values->GetString("d"), "$5");
}

TEST(Variables, EmptyTextGivesAnEmptyTable) {
  const TVariables V("", true);
  EXPECT_EQ(V.Values->Count(), 0);
  EXPECT_EQ(V.Substitute("%{a} 100%"), "%{a} 100%");
}

TEST(Variables, XmlErrorsPropagate) {
  EXPECT_EQ(MessageOf([] { TVariables("<Variables><v Name=x/></Variables>", true); }),
            "Attribute type not supported");
}

TEST(Variables, LongReferenceChainResolvesWithoutRecursion) {
  constexpr int Length = 100000;
  std::string Body;
  for (int i = 0; i < Length; ++i)
    Body +=
        Var("v" + std::to_string(i), i + 1 < Length ? "%{v" + std::to_string(i + 1) + "}" : "end");
  const TVariables V(File(Body), true);
  EXPECT_EQ(V.Values->GetString("v0"), "end");
  EXPECT_EQ(V.Values->GetString("v99998"), "end");
}

TEST(Variables, SubstituteHandlesManyReferencesInOnePass) {
  const TVariables V(File(Var("n", "[%{m}]") + Var("m", "m")), true);
  std::string Text, Expected;
  for (int i = 0; i < 10000; ++i) {
    Text += "ab %{N} %{zz} ";
    Expected += "ab [m] %{zz} ";
  }
  EXPECT_EQ(V.Substitute(Text), Expected);
}

TEST(Variables, DoublingReferencesCannotFillMemory) {
  // Each level doubles its value: 28 levels would resolve to 512 MiB.
  std::string Body;
  for (int i = 0; i < 28; ++i)
    Body += Var("a" + std::to_string(i), "%{a" + std::to_string(i + 1) + "}%{a" + std::to_string(i + 1) + "}");
  Body += Var("a28", "xx");
  const std::string Message = MessageOf([&] { TVariables Variables(File(Body), true); });
  EXPECT_NE(Message.find("is longer than 16777216 bytes"), std::string::npos) << Message;
}

namespace {
// "b21" resolves to 16 MiB, "b0" to "b20" to as much again, from a file of about 1 KB.
std::string SixteenMiBVariable() {
  std::string Body = Var("b0", "xxxxxxxx");
  for (int i = 1; i <= 21; ++i) {
    const std::string Ref = "%{b" + std::to_string(i - 1) + "}";
    Body += Var("b" + std::to_string(i), Ref + Ref);
  }
  return Body;
}

std::string Repeated(const std::string& Text, int Count) {
  std::string Result;
  for (int i = 0; i < Count; ++i)
    Result += Text;
  return Result;
}
} // namespace

TEST(Variables, TheWholeTableIsBounded) {
  std::string Body = SixteenMiBVariable();
  for (const char* Copy : {"c1", "c2", "c3"})
    Body += Var(Copy, "%{b21}");
  ASSERT_LT(File(Body).size(), 1200u);
  EXPECT_EQ(MessageOf([&] { TVariables Variables(File(Body), true); }),
            "Variables resolve to more than 67108864 bytes in all");
}

TEST(Variables, SubstitutionAddsAtMostItsBoundToAFile) {
  const TVariables V(File(SixteenMiBVariable()), true);
  EXPECT_EQ(V.Substitute(Repeated("%{b21}", 4)).size(), 4u << 24);

  std::string Page = "<p>" + Repeated("%{b21}", 5) + "</p>";
  const std::string Unchanged = Page;
  const std::string Expected = "Variables lengthen the text by more than 67108864 bytes";
  EXPECT_EQ(MessageOf([&] { (void)V.Substitute(Page); }), Expected);
  EXPECT_THROW(V.SubstituteInPlace(Page), EVariablesError);
  EXPECT_TRUE(Page == Unchanged) << "a refused text was changed";
}

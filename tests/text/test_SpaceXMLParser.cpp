#include <gtest/gtest.h>

#include <string>

#include "tests/TestUtil.h"
#include "text/u_SpaceXMLParser.h"

using namespace vv;
using vvtest::MessageOf;

namespace {
TXMLNode& Parse(TXMLParser& Parser, std::string_view Text) {
  Parser.LoadFromBytes(Text);
  return *Parser.Root();
}

std::string LoadError(std::string_view Text) {
  TXMLParser Parser;
  return MessageOf([&] { Parser.LoadFromBytes(Text); });
}
} // namespace

TEST(XMLParser, ReadsUnquotedAndQuotedAttributes) {
  TXMLParser Parser;
  TXMLNode& Root = Parse(Parser, R"(<System Width=800 RunMaximized=False Template="None"/>)");
  EXPECT_EQ(Root.Name, "System");
  EXPECT_EQ(Root.Level, 0);
  EXPECT_EQ(Root.Parent(), nullptr);
  EXPECT_EQ(Root.Attributes->GetValue("width", 0), TVariant(800));
  EXPECT_EQ(Root.Attributes->GetValue("RUNMAXIMIZED", true), TVariant(false));
  EXPECT_EQ(Root.Attributes->GetValue("Template", ""), TVariant("None"));
  EXPECT_EQ(Root.Attributes->GetValue("Height", 600), TVariant(600));
  EXPECT_EQ(Root.Attributes->Find("width")->Name, "Width");
}

TEST(XMLParser, AttributeValueKinds) {
  struct TCase {
    const char* Source;
    TVariant Expected;
  };
  const TCase Cases[] = {
      {"-1", TVariant(-1)},
      {"4294967297", TVariant(1)}, // the low 32 bits
      {"$FFFFFFFF", TVariant(-1)},
      {"1.5", TVariant(1.5)},
      {"2d", TVariant(2.0)},
      {"'a'#13#10'b'", TVariant("a\r\nb")},
      {"#300", TVariant(std::u16string(u"\u012C"))},
      {"TRUE", TVariant(true)},
      {"null", TVariant::Null()},
      {"Empty", TVariant()},
  };
  for (const TCase& C : Cases) {
    TXMLParser Parser;
    TXMLNode& Root = Parse(Parser, std::string("<a v=") + C.Source + "/>");
    EXPECT_EQ(Root.Attributes->GetValue("v", "absent"), C.Expected) << C.Source;
  }
}

TEST(XMLParser, QuotedValuesKeepTheirLineBreaks) {
  std::string Value;
  for (int i = 1; i <= 8; ++i)
    Value += "line " + std::to_string(i) + (i < 8 ? "\r\n" : "");
  TXMLParser Parser;
  TXMLNode& Root = Parse(Parser, "<splash\r\n  PopUpTextS=\"" + Value + "\"\r\n  Interval=3/>");
  EXPECT_EQ(Root.Attributes->GetValue("PopUpTextS", "").ToText(), Value);
  EXPECT_EQ(Root.Attributes->GetValue("Interval", 0), TVariant(3));
}

TEST(XMLParser, BuildsLevelsAndIndexesPerParent) {
  TXMLParser Parser;
  TXMLNode& Root =
      Parse(Parser, "<Story><item page=\"a\"><item/><item><item/></item></item><item/></Story>");
  ASSERT_EQ(Root.Nodes->Count(), 2);
  TXMLNode* First = Root.Nodes->Items(0);
  EXPECT_EQ(First->Level, 1);
  EXPECT_EQ(First->Index, 0);
  EXPECT_EQ(Root.Nodes->Items(1)->Index, 1);
  ASSERT_EQ(First->Nodes->Count(), 2);
  TXMLNode* Second = First->Nodes->Items(1);
  EXPECT_EQ(Second->Level, 2);
  EXPECT_EQ(Second->Index, 1);
  EXPECT_EQ(Second->Parent(), First);
  EXPECT_EQ(Second->Nodes->Items(0)->Level, 3);
  EXPECT_EQ(Second->Nodes->Items(0)->Index, 0);
  EXPECT_EQ(MessageOf([&] { (void)Root.Nodes->Items(2); }), "List index out of bounds (2)");
  EXPECT_EQ(MessageOf([&] { (void)Root.Nodes->Items(-1); }), "List index out of bounds (-1)");
}

TEST(XMLParser, ContentIsRawAndExcludesChildren) {
  TXMLParser Parser;
  TXMLNode& Root = Parse(Parser, "<a>x<b/>y</a>");
  EXPECT_EQ(Root.Text, "xy");
  EXPECT_EQ(Root.Nodes->Items(0)->Text, "");
  EXPECT_EQ(Parse(Parser, "<a> 1\\<2 \\\\ &amp;\r\n</A>").Text, " 1<2 \\ &amp;\r\n");
  EXPECT_EQ(Parse(Parser, "<a>\\<</a>").Text, "<");
}

TEST(XMLParser, FindNodeIgnoresCaseAndTakesTheFirst) {
  TXMLParser Parser;
  TXMLNode& Root = Parse(Parser, "<System><Toolbar n=1/><toolbar n=2/></System>");
  EXPECT_EQ(Root.Nodes->FindNode("TOOLBAR")->Attributes->GetValue("n", 0), TVariant(1));
  EXPECT_EQ(Root.Nodes->FindNode("splash"), nullptr);
}

TEST(XMLParser, RepeatedAttributeKeepsTheLastValue) {
  TXMLParser Parser;
  TXMLNode& Root = Parse(Parser, "<a x=1 X=2/>");
  EXPECT_EQ(Root.Attributes->Count(), 1);
  EXPECT_EQ(Root.Attributes->GetValue("x", 0), TVariant(2));
}

TEST(XMLParser, BlankTextGivesAnEmptyRoot) {
  for (const char* Text : {"", " \r\n\t "}) {
    TXMLParser Parser;
    TXMLNode& Root = Parse(Parser, Text);
    EXPECT_EQ(Root.Name, "");
    EXPECT_EQ(Root.Nodes->Count(), 0);
    EXPECT_EQ(Root.Attributes->GetValue("Width", 800), TVariant(800));
  }
}

TEST(XMLParser, AcceptsBlanksInsideTagsAndAfterTheRoot) {
  TXMLParser Parser;
  TXMLNode& Root = Parse(Parser, "< a\r\n x = 1 >< / a >  \r\n");
  EXPECT_EQ(Root.Attributes->GetValue("x", 0), TVariant(1));
  EXPECT_EQ(Parse(Parser, "<a/>").Name, "a");
}

TEST(XMLParser, RejectsWhatTheNotationDoesNotAllow) {
  struct TCase {
    const char* Text;
    const char* Message;
  };
  const TCase Cases[] = {
      {"<?xml version=\"1.0\"?><a/>", "Identifier expected on line 1"},
      {"<!-- c --><a/>", "Identifier expected on line 1"},
      {"<a/>x", "''toEOF'' expected on line 1"},
      {"<a/>\n<b/>", "''toEOF'' expected on line 2"},
      {"<a>", "Error in XML"},
      {"<a>x\\", "Error in XML"},
      {"<a><b></a>", "b expected on line 1"},
      {"<a x></a>", "''='' expected on line 1"},
      {"<a \"x\"></a>", "Error in XML"},
      {"<a Mode=Auto/>", "Attribute type not supported"},
      {"<a x=></a>", "String expected\r\nor String expected\r\nor Number expected\r\nor Number "
                     "expected\r\nor Identifier expected"
                     " on line 1"},
      {"<a>< 1</a>", "Identifier expected\r\nor ''/'' expected on line 1"},
      {"a", "''<'' expected on line 1"},
      {"<a x=1-2/>", "'1-2' is not a valid floating point value"},
      {"<a x=99999999999999999999/>", "'99999999999999999999' is not a valid integer value"},
      {"<a x=\"open/>", "Invalid string constant on line 1"},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(LoadError(C.Text), C.Message) << C.Text;
}

TEST(XMLParser, FailedLoadLeavesNoRoot) {
  TXMLParser Parser;
  Parser.LoadFromBytes("<a/>");
  EXPECT_THROW(Parser.LoadFromBytes("<a>"), ESpaceXMLParserError);
  EXPECT_EQ(Parser.Root(), nullptr);
}

TEST(XMLParser, ErrorCodesSelectTheirTexts) {
  EXPECT_STREQ(ESpaceXMLParserError(-1).what(), "Error in XML");
  EXPECT_STREQ(ESpaceXMLParserError(-2).what(), "Attribute type not supported");
  EXPECT_STREQ(ESpaceXMLParserError(7).what(), "SpaceXMLParser error #7");
}

TEST(XMLParser, SixteenBitTextGoesThroughTheCodePage) {
  TXMLParser Parser;
  Parser.LoadFromString(u"<a t=\"\u00E9\u20AC\u4E00\">\u00FC</a>");
  EXPECT_EQ(Parser.Root()->Attributes->GetValue("t", "").ToText(), "\xE9\x80?");
  EXPECT_EQ(Parser.Root()->Text, "\xFC");
}

TEST(XMLParser, DeepNestingNeitherOverflowsNorLeaks) {
  constexpr int Depth = 100000;
  std::string Text;
  for (int i = 0; i < Depth; ++i)
    Text += "<e>\n"; // lines stay well below the tokenizer's window
  for (int i = 0; i < Depth; ++i)
    Text += "</e>\n";
  TXMLParser Parser;
  Parser.LoadFromBytes(Text);
  const TXMLNode* Node = Parser.Root();
  while (Node->Nodes->Count() > 0)
    Node = Node->Nodes->Items(0);
  EXPECT_EQ(Node->Level, Depth - 1);
  Parser.LoadFromBytes("<a/>"); // frees the deep tree
  EXPECT_EQ(Parser.Root()->Name, "a");
}

TEST(XMLParser, TooManyAttributesOnOneElementAreAnError) {
  std::string Text = "<R";
  for (std::size_t i = MaxAttributesPerElement + 1; i > 0; --i)
    Text += " a" + std::to_string(i) + "=1";
  EXPECT_EQ(LoadError(Text + "/>"), "Error in XML");
  Text = "<R";
  for (std::size_t i = MaxAttributesPerElement; i > 0; --i)
    Text += " a" + std::to_string(i) + "=1";
  TXMLParser Parser;
  EXPECT_EQ(Parse(Parser, Text + "/>").Attributes->Count(), static_cast<int>(MaxAttributesPerElement));
}

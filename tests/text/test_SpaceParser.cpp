#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/TestUtil.h"
#include "text/u_SpaceParser.h"

using namespace vv;
using vvtest::MessageOf;

namespace {
struct TTok {
  char Kind;
  std::string Text;
  bool operator==(const TTok&) const = default;
};

std::vector<TTok> Tokenize(const std::string& Text, bool CharMode = false) {
  TBytesReadStream Stream(Text);
  TSpaceParser Parser(Stream, CharMode, false);
  std::vector<TTok> Result;
  while (Parser.Token() != toEOF) {
    Result.push_back({Parser.Token(), Parser.TokenString()});
    Parser.NextToken();
  }
  return Result;
}

// Hands out at most one byte per read, as a slow source might.
class TTrickleStream : public TBytesReadStream {
public:
  using TBytesReadStream::TBytesReadStream;
  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    return TBytesReadStream::Read(Buffer, Count > 0 ? 1 : 0);
  }
};

// Filler lines of 100 bytes up to exactly Size bytes.
std::string Filler(std::size_t Size) {
  std::string Text;
  while (Text.size() + 200 <= Size)
    Text += std::string(99, 'x') + '\n';
  Text += std::string(Size - Text.size() - 1, 'y') + '\n';
  return Text;
}
} // namespace

TEST(SpaceParser, EmptyInputIsAtEndAtOnce) {
  TBytesReadStream Stream("");
  TSpaceParser Parser(Stream, false, false);
  EXPECT_EQ(Parser.Token(), toEOF);
  EXPECT_EQ(Parser.NextToken(), toEOF);
  EXPECT_EQ(Parser.TokenString(), "");
}

TEST(SpaceParser, ZeroByteEndsTheInput) {
  EXPECT_EQ(Tokenize(std::string("a b\0c d", 7)),
            (std::vector<TTok>{{toSymbol, "a"}, {toSymbol, "b"}}));
  EXPECT_EQ(Tokenize(std::string("ab\0cd", 5), true), (std::vector<TTok>{{'a', "a"}, {'b', "b"}}));
}

TEST(SpaceParser, ClassifiesTokens) {
  struct TCase {
    const char* Input;
    std::vector<TTok> Expected;
  };
  const TCase Cases[] = {
      {"Width_2 _x", {{toSymbol, "Width_2"}, {toSymbol, "_x"}}},
      {"12", {{toInteger, "12"}}},
      {"1.5", {{toFloat, "1.5"}}},
      {"1e3", {{toFloat, "1e3"}}},
      {"2d", {{toFloat, "2d"}}},
      {"1-2", {{toFloat, "1-2"}}},
      {"$1F", {{toInteger, "$1F"}}},
      {"-a", {{toInteger, "-"}, {toSymbol, "a"}}},
      {"-12x", {{toInteger, "-12"}, {toSymbol, "x"}}},
      {"<a/>", {{'<', "<"}, {toSymbol, "a"}, {'/', "/"}, {'>', ">"}}},
      {"\xE9t\xE9", {{'\xE9', "\xE9"}, {toSymbol, "t"}, {'\xE9', "\xE9"}}},
      {" \t\r\n =\n", {{'=', "="}}},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(Tokenize(C.Input), C.Expected) << C.Input;
}

TEST(SpaceParser, ConvertsNumbers) {
  TBytesReadStream Stream("$1F -42 2d 1e3 1-2 99999999999999999999 $FFFFFFFFFFFFFFFF");
  TSpaceParser P(Stream, false, false);
  EXPECT_EQ(P.TokenInt(), 31);
  P.NextToken();
  EXPECT_EQ(P.TokenInt(), -42);
  P.NextToken();
  EXPECT_EQ(P.FloatType(), 'd');
  EXPECT_EQ(P.TokenFloat(), 2.0L);
  P.NextToken();
  EXPECT_EQ(P.FloatType(), 0);
  EXPECT_EQ(P.TokenFloat(), 1000.0L);
  P.NextToken();
  EXPECT_EQ(MessageOf([&] { (void)P.TokenFloat(); }), "'1-2' is not a valid floating point value");
  P.NextToken();
  EXPECT_EQ(MessageOf([&] { (void)P.TokenInt(); }),
            "'99999999999999999999' is not a valid integer value");
  P.NextToken();
  EXPECT_EQ(P.TokenInt(), -1); // hexadecimal fills all 64 bits
}

TEST(SpaceParser, DecodesStrings) {
  struct TCase {
    const char* Input;
    std::string Value;
  };
  const TCase Cases[] = {
      {R"("a""b")", "a\"b"},      {R"("")", ""},
      {R"('it''s'#33)", "it's!"}, {"'ab'#13#10'cd'", "ab\r\ncd"},
      {"#65#66", "AB"},           {"'a\r\nb'", "a\r\nb"},
      {"\"x'y\"", "x'y"},
  };
  for (const TCase& C : Cases) {
    TBytesReadStream Stream(C.Input);
    TSpaceParser P(Stream, false, false);
    EXPECT_EQ(P.Token(), toString) << C.Input;
    EXPECT_EQ(P.TokenString(), C.Value) << C.Input;
    EXPECT_EQ(P.NextToken(), toEOF) << C.Input;
  }
  // "#" without digits is the character 0.
  TBytesReadStream Stream("#'a'");
  TSpaceParser P(Stream, false, false);
  EXPECT_EQ(P.TokenString(), std::string("\0a", 2));
}

TEST(SpaceParser, WideCharacterCodeMakesAWideString) {
  TBytesReadStream Stream("#300'x' #65601");
  TSpaceParser P(Stream, false, false);
  EXPECT_EQ(P.Token(), toWString);
  EXPECT_EQ(P.TokenWideString(), std::u16string(u"\u012Cx"));
  EXPECT_EQ(P.TokenString(), "#300'x'");
  EXPECT_EQ(P.NextToken(), toWString);
  EXPECT_EQ(P.TokenWideString(), std::u16string(u"A")); // truncated to 16 bits
}

TEST(SpaceParser, CountsLinesInsideStrings) {
  TBytesReadStream Stream("\"one\ntwo\nthree\"\n'a\nb' x\n=");
  TSpaceParser P(Stream, false, false);
  EXPECT_EQ(P.TokenString(), "one\ntwo\nthree");
  EXPECT_EQ(P.SourceLine(), 3);
  P.NextToken();
  EXPECT_EQ(P.SourceLine(), 5);
  P.NextToken();
  EXPECT_EQ(MessageOf([&] { P.CheckToken(toString); }), "String expected on line 5");
  P.NextToken();
  EXPECT_EQ(MessageOf([&] { P.CheckToken(toSymbol); }), "Identifier expected on line 6");
}

TEST(SpaceParser, UnterminatedStringsFail) {
  for (const char* Input : {"\"abc", "'abc", "'a''", "x\n\"a\nb"})
    EXPECT_EQ(MessageOf([&] { Tokenize(Input); }).substr(0, 23), "Invalid string constant")
        << Input;
  EXPECT_EQ(MessageOf([&] { Tokenize("x\n\"a\nb"); }), "Invalid string constant on line 3");
}

TEST(SpaceParser, CharacterModeReturnsEveryByte) {
  TBytesReadStream Stream("a \nb\n\nc");
  TSpaceParser P(Stream, true, false);
  std::string Bytes;
  std::vector<int> Lines;
  for (; P.Token() != toEOF; P.NextToken()) {
    Bytes += P.Token();
    Lines.push_back(P.SourceLine());
  }
  EXPECT_EQ(Bytes, "a \nb\n\nc");
  EXPECT_EQ(Lines, (std::vector<int>{1, 1, 2, 2, 3, 4, 4}));
}

TEST(SpaceParser, ModeChangesAtTheNextToken) {
  TBytesReadStream Stream("<a> x </a>");
  TSpaceParser P(Stream, false, false);
  P.NextToken();
  P.NextToken();
  EXPECT_EQ(P.Token(), '>');
  P.CharMode = true;
  EXPECT_EQ(P.NextToken(), ' ');
  EXPECT_EQ(P.NextToken(), 'x');
  P.CharMode = false;
  EXPECT_EQ(P.NextToken(), '<');
  EXPECT_EQ(P.NextToken(), '/');
}

TEST(SpaceParser, ExpectationMessages) {
  TBytesReadStream Stream("x");
  TSpaceParser P(Stream, false, false);
  EXPECT_EQ(MessageOf([&] { P.CheckToken('='); }), "''='' expected on line 1");
  EXPECT_EQ(MessageOf([&] { P.CheckToken(toInteger); }), "Number expected on line 1");
  EXPECT_EQ(MessageOf([&] { P.CheckToken(toEOF); }), "''toEOF'' expected on line 1");
  EXPECT_EQ(MessageOf([&] { P.CheckTokenSymbol("Story"); }), "Story expected on line 1");
  EXPECT_EQ(MessageOf([&] {
              P.CheckTokens({toString, toWString, toInteger, toFloat, '/'});
            }),
            "String expected\r\nor String expected\r\nor Number expected\r\nor Number "
            "expected\r\nor ''/'' expected"
            " on line 1");
  EXPECT_NO_THROW(P.CheckTokens({'/', toSymbol}));
  EXPECT_NO_THROW(P.CheckTokenSymbol("X"));
}

TEST(SpaceParser, SymbolComparisonModes) {
  TBytesReadStream A("Story"), B("Story");
  TSpaceParser Ascii(A, false, true), Locale(B, false, false);
  for (TSpaceParser* P : {&Ascii, &Locale}) {
    EXPECT_TRUE(P->TokenSymbolIs("STORY"));
    EXPECT_FALSE(P->TokenSymbolIs("Stor"));
  }
}

TEST(SpaceParser, LeavesTheStreamAtTheLastToken) {
  TBytesReadStream Stream("abc  def ghi");
  {
    TSpaceParser P(Stream, false, false);
    P.NextToken();
  }
  EXPECT_EQ(Stream.Position(), 5);
}

TEST(SpaceParser, LineTooLong) {
  const std::string Long(TSpaceParser::BufSize, 'a');
  EXPECT_EQ(MessageOf([&] { Tokenize(Long); }), "Line too long on line 1");
  EXPECT_EQ(MessageOf([&] { Tokenize(Long + "\nb"); }), "Line too long on line 1");
  // One byte less leaves room for the line feed.
  const std::string Longest = std::string(TSpaceParser::BufSize - 1, 'a') + "\n=";
  EXPECT_EQ(Tokenize(Longest).back(), (TTok{'=', "="}));
  // A string that does not fit in the window cannot be kept whole.
  const std::string Huge = "\"" + Filler(TSpaceParser::BufSize + 10) + "\"";
  EXPECT_EQ(MessageOf([&] { Tokenize(Huge); }).substr(0, 22), "Line too long on line ");
}

TEST(SpaceParser, TokensSurviveWindowRefills) {
  std::string Text;
  std::vector<TTok> Expected;
  for (int i = 0; Text.size() < 3 * TSpaceParser::BufSize; ++i) {
    const std::string Name = "n" + std::to_string(i);
    Text += Name + "=" + std::to_string(i) + (i % 7 ? " " : "\n");
    Expected.push_back({toSymbol, Name});
    Expected.push_back({'=', "="});
    Expected.push_back({toInteger, std::to_string(i)});
  }
  EXPECT_EQ(Tokenize(Text), Expected);
  TTrickleStream Slow(Text);
  TSpaceParser P(Slow, false, false);
  std::size_t Count = 0;
  for (; P.Token() != toEOF; P.NextToken())
    ++Count;
  EXPECT_EQ(Count, Expected.size());
}

TEST(SpaceParser, StringStraddlingARefillKeepsItsWholeValue) {
  const std::string Value =
      std::string(30, 'A') + "\n" + std::string(100, 'B') + "\n" + std::string(10, 'C');
  for (const bool Apostrophe : {false, true}) {
    // The string opens 44 bytes before the end of the first window.
    const std::string Text = Filler(TSpaceParser::BufSize - 44) +
                             (Apostrophe ? "'" + Value + "'#33" : "\"" + Value + "\"") + "\nafter";
    TBytesReadStream Stream(Text);
    TSpaceParser P(Stream, false, false);
    while (P.Token() == toSymbol)
      P.NextToken();
    EXPECT_EQ(P.Token(), toString);
    EXPECT_EQ(P.TokenString(), Apostrophe ? Value + "!" : Value);
    const int Line = P.SourceLine();
    EXPECT_EQ(P.NextToken(), toSymbol);
    EXPECT_EQ(P.TokenString(), "after");
    EXPECT_EQ(P.SourceLine(), Line + 1);
  }
}

TEST(SpaceParser, FullWindowEndingInALineFeedKeepsCounting) {
  // The first window is exactly full and ends in a line feed; the next one
  // starts with an empty line.
  const std::string Text = Filler(TSpaceParser::BufSize) + "\nZ";
  const int Lines = static_cast<int>(std::count(Text.begin(), Text.end(), '\n'));
  for (const bool CharMode : {true, false}) {
    TBytesReadStream Stream(Text);
    TSpaceParser P(Stream, CharMode, false);
    while (P.TokenString() != "Z" && P.Token() != toEOF)
      P.NextToken();
    EXPECT_EQ(P.SourceLine(), Lines + 1) << CharMode;
  }
}

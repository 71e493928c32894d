#include <gtest/gtest.h>

#include "text/u_Utils.h"

using namespace vv;

TEST(MFSChecksum, KnownValues) {
  EXPECT_EQ(MFSChecksum(""), 0u);
  EXPECT_EQ(MFSChecksum("abc"), 0x40C6C4C2u);
  // Padding is with blanks, so "abc" and "abc " agree, "abc\0" does not.
  EXPECT_EQ(MFSChecksum("abc "), 0x40C6C4C2u);
  EXPECT_NE(MFSChecksum(std::string("abc\0", 4)), 0x40C6C4C2u);
}

TEST(MFSChecksum, PiecesOfAnySizeSumAsTheWhole) {
  const std::string Bytes = "The quick brown fox jumps over 13 lazy dogs";
  for (std::size_t First = 0; First <= 9; ++First)
    for (std::size_t Second = 0; Second <= 9; ++Second) {
      TMFSChecksum Sum;
      Sum.Add(std::string_view(Bytes).substr(0, First));
      Sum.Add(std::string_view(Bytes).substr(First, Second));
      Sum.Add(std::string_view(Bytes).substr(First + Second));
      EXPECT_EQ(Sum.Value(), MFSChecksum(Bytes)) << First << " " << Second;
    }
}

TEST(MFSChecksum, RotatesTopBitIntoBitZero) {
  // 0x80000000 rotated left once is 1; adding it again and rotating gives 2 | 1 << 1.
  EXPECT_EQ(MFSChecksum(std::string("\x00\x00\x00\x80", 4)), 1u);
  EXPECT_EQ(MFSChecksum(std::string("\x00\x00\x00\x80\x00\x00\x00\x80", 8)), 0x00000003u);
}

TEST(CompareText, FoldsAsciiAndWindows1252Pairs) {
  EXPECT_EQ(CompareText("System.XML", "system.xml"), 0);
  EXPECT_EQ(CompareText("\xC9t\xE9", "\xE9T\xC9"), 0);      // É/é
  EXPECT_EQ(CompareText("\x8A", "\x9A"), 0);                // Š/š
  EXPECT_EQ(CompareText("\x9F", "\xFF"), 0);                // Ÿ/ÿ
  EXPECT_NE(CompareText("\xD7", "\xF7"), 0);                // × and ÷ are not a pair
  EXPECT_NE(CompareText("\xDF", "\xFF"), 0);
  EXPECT_TRUE(SameText("ToolBar", "TOOLBAR"));
  EXPECT_FALSE(SameText("ToolBar", "ToolBars"));
}

TEST(CompareText, IsATotalOrderConsistentWithEquality) {
  EXPECT_LT(CompareText("ToolBar.buttons", "ToolButtons.xml"), 0);
  EXPECT_LT(CompareText("a", "B"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "ABC"), 0);
  EXPECT_LT(CompareText("", "a"), 0);
  // Bytes above 0x7F sort after ASCII, compared unsigned.
  EXPECT_LT(CompareText("z", "\xE9"), 0);
  EXPECT_LT(CompareStr("B", "a"), 0);
  EXPECT_NE(CompareStr("a", "A"), 0);
}

TEST(Format, FillsPlaceholdersInOrder) {
  EXPECT_EQ(Format("%s - element \"%s\" not found", "Op", std::string("key")), "Op - element \"key\" not found");
  EXPECT_EQ(Format("List index out of bounds (%d)", -1), "List index out of bounds (-1)");
  EXPECT_EQ(Format("100%% of %s", "x"), "100% of x");
  EXPECT_EQ(Format("%s and %s", "one"), "one and %s");
}

TEST(DosDateTime, RoundTripsThroughUnixTime) {
  const std::uint32_t Dos = (std::uint32_t{(2024 - 1980) << 9 | 3 << 5 | 17} << 16) | (13 << 11 | 45 << 5 | 30 / 2);
  EXPECT_EQ(UnixTimeToDosDateTime(DosDateTimeToUnixTime(Dos)), Dos);
}

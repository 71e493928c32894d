#include <gtest/gtest.h>

#include "tests/TestUtil.h"
#include "text/u_Variant.h"

using namespace vv;
using vvtest::MessageOf;

TEST(Variant, ConvertsToText) {
  EXPECT_EQ(TVariant().ToText(), "");
  EXPECT_EQ(TVariant("abc").ToText(), "abc");
  EXPECT_EQ(TVariant(-12).ToText(), "-12");
  EXPECT_EQ(TVariant(1.5).ToText(), "1.5");
  EXPECT_EQ(TVariant(800.0).ToText(), "800");
  EXPECT_EQ(TVariant(1e20).ToText(), "1E20");
  EXPECT_EQ(TVariant(true).ToText(), "True");
  EXPECT_EQ(TVariant(std::u16string(u"\u00E9\u20AC")).ToText(), "\xE9\x80");
  EXPECT_EQ(MessageOf([] { (void)TVariant::Null().ToText(); }),
            "Could not convert variant of type (Null) into type (String)");
}

TEST(Variant, ConvertsToInteger) {
  EXPECT_EQ(TVariant("12").ToInteger(), 12);
  EXPECT_EQ(TVariant(" $1F ").ToInteger(), 31);
  EXPECT_EQ(TVariant("2.5").ToInteger(), 2); // half to even
  EXPECT_EQ(TVariant(3.5).ToInteger(), 4);
  EXPECT_EQ(TVariant().ToInteger(), 0);
  EXPECT_EQ(TVariant(true).ToInteger(), -1);
  for (const TVariant& Bad :
       {TVariant("soon"), TVariant(""), TVariant("4294967297"), TVariant(1e10), TVariant::Null()})
    EXPECT_THROW((void)Bad.ToInteger(), EConvertError) << Bad.ToDouble();
  EXPECT_EQ(MessageOf([] { (void)TVariant("soon").ToInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
}

TEST(Variant, ConvertsToBoolean) {
  EXPECT_TRUE(TVariant("tRUE").ToBoolean());
  EXPECT_FALSE(TVariant("False").ToBoolean());
  EXPECT_TRUE(TVariant("-1").ToBoolean());
  EXPECT_FALSE(TVariant("0").ToBoolean());
  EXPECT_TRUE(TVariant(2).ToBoolean());
  EXPECT_FALSE(TVariant(0.0).ToBoolean());
  EXPECT_FALSE(TVariant().ToBoolean());
  EXPECT_THROW((void)TVariant("yes").ToBoolean(), EConvertError);
  EXPECT_THROW((void)TVariant::Null().ToBoolean(), EConvertError);
}

TEST(Variant, LiteralsAreTextNotBooleans) {
  EXPECT_EQ(TVariant("x").Kind(), TVarKind::String);
  EXPECT_EQ(TVariant(false).Kind(), TVarKind::Boolean);
  EXPECT_NE(TVariant("1"), TVariant(1));
}

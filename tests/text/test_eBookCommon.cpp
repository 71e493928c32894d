#include <gtest/gtest.h>

#include "tests/TestUtil.h"
#include "text/u_eBookCommon.h"

using namespace vv;
using vvtest::MessageOf;

namespace {
struct TSettings {
  explicit TSettings(std::string_view SystemXml) {
    TXMLParser Parser;
    Parser.LoadFromBytes(SystemXml);
    Splash.LoadFromNode(Parser.Root()->Nodes->FindNode("splash"));
    Toolbar.LoadFromNode(Parser.Root()->Nodes->FindNode("toolbar"));
  }
  TSplashOptions Splash;
  TToolbarOptions Toolbar;
};
} // namespace

TEST(BookSettings, MissingElementsKeepTheConstructorValues) {
  const TSettings S("<System Width=800/>");
  EXPECT_EQ(S.Splash.PopUpTextS, "Starting pop-up text...");
  EXPECT_EQ(S.Splash.PopUpTextE, "Ending pop-up text...");
  EXPECT_EQ(S.Splash.SplashTypeS, vsNone);
  EXPECT_EQ(S.Splash.Interval, 3);
  EXPECT_FALSE(S.Splash.CloseOnClick);
  EXPECT_EQ(S.Toolbar.ToolbarPlacement, tpTop);
  EXPECT_FALSE(S.Toolbar.ToolbarShowCaption);
  EXPECT_EQ(S.Toolbar.ToolbarBtnW, 32);
  EXPECT_EQ(S.Toolbar.ToolbarImgH, 24);
  EXPECT_EQ(S.Toolbar.LogoLink, "");
}

TEST(BookSettings, EmptyElementsGiveTheAttributeDefaults) {
  const TSettings S("<System><splash/><toolbar/></System>");
  EXPECT_EQ(S.Splash.PopUpTextS, "");
  EXPECT_EQ(S.Splash.PopUpTextE, "");
  EXPECT_EQ(S.Splash.Interval, 3);
  EXPECT_TRUE(S.Toolbar.ToolbarShowCaption); // differs from the constructor value
  EXPECT_FALSE(S.Toolbar.LogoDisplay);
  EXPECT_EQ(S.Toolbar.ToolbarBtnH, 32);
}

TEST(BookSettings, ReadsTheElementsAsBooksWriteThem) {
  const TSettings S(
      "<System>\r\n"
      "<splash Interval=5 PopUpTextS=\"Welcome\r\nto the book\" PopUpTextE=\"Bye\" "
      "CloseOnClick=True "
      "SplashTypeS=\"VSPOPUP\" SplashTypeE=\"vsSplash\"/>\r\n"
      "<toolbar ToolbarPlacement=\"tpBottom\" LogoDisplay=True ToolbarTextColor=255 "
      "ToolbarBackColor=14021375 ToolbarBtnW=40 ToolbarBtnH=\"36\" ToolbarImgW=32 ToolbarImgH=30 "
      "ToolbarShowCaption=False ToolbarFlat=True LogoLink=\"https://example.org/%{x}\" "
      "LogoText=\"Logo\"/>\r\n</System>");
  EXPECT_EQ(S.Splash.Interval, 5);
  EXPECT_EQ(S.Splash.PopUpTextS, "Welcome\r\nto the book");
  EXPECT_EQ(S.Splash.PopUpTextE, "Bye");
  EXPECT_TRUE(S.Splash.CloseOnClick);
  EXPECT_EQ(S.Splash.SplashTypeS, vsPopUp);
  EXPECT_EQ(S.Splash.SplashTypeE, vsSplash);
  EXPECT_EQ(S.Toolbar.ToolbarPlacement, tpBottom);
  EXPECT_TRUE(S.Toolbar.LogoDisplay);
  EXPECT_EQ(ColorToRGB(S.Toolbar.ToolbarTextColor), (TRGB{255, 0, 0}));
  EXPECT_EQ(ColorToRGB(S.Toolbar.ToolbarBackColor), (TRGB{255, 242, 213}));
  EXPECT_EQ(S.Toolbar.ToolbarBtnW, 40);
  EXPECT_EQ(S.Toolbar.ToolbarBtnH, 36);
  EXPECT_EQ(S.Toolbar.ToolbarImgW, 32);
  EXPECT_EQ(S.Toolbar.ToolbarImgH, 30);
  EXPECT_FALSE(S.Toolbar.ToolbarShowCaption);
  EXPECT_TRUE(S.Toolbar.ToolbarFlat);
  EXPECT_EQ(S.Toolbar.LogoLink, "https://example.org/%{x}");
  EXPECT_EQ(S.Toolbar.LogoText, "Logo");
}

TEST(BookSettings, EnumerationsAreReadByNameOnly) {
  struct TCase {
    const char* Text;
    int Placement;
  };
  const TCase Cases[] = {{"tpnotoolbar", tpNoToolbar},
                         {"TPBOTTOM", tpBottom},
                         {"left", tpTop},
                         {"", tpTop},
                         {"2", tpTop},
                         {"tpNoToolbar ", tpTop}};
  for (const TCase& C : Cases)
    EXPECT_EQ(ToolbarPlacementFromName(C.Text), C.Placement) << C.Text;
  EXPECT_EQ(TSettings("<System><splash SplashTypeS=1/></System>").Splash.SplashTypeS, vsNone);
  EXPECT_EQ(ToolButtonKindFromName("TBKHOME"), tbkHome);
  EXPECT_EQ(ToolButtonKindNames[tbkFavourites], "tbkFavourites");
}

TEST(BookSettings, ConversionErrorsPropagate) {
  EXPECT_EQ(MessageOf([] { TSettings("<System><splash Interval=\"soon\"/></System>"); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_THROW(TSettings("<System><toolbar LogoDisplay=\"maybe\"/></System>"), EConvertError);
}

TEST(BookSettings, Colours) {
  struct TCase {
    TColor Color;
    TRGB Expected;
    bool System;
  };
  const TCase Cases[] = {
      {14021375, {255, 242, 213}, false}, // hexadecimal D5F2FF
      {0xD5F3FF, {255, 243, 213}, false},
      {0, {0, 0, 0}, false},
      {0x00FFFFFF, {255, 255, 255}, false},
      {-2147483633, {240, 240, 240}, true}, // 0x8000000F: button face
      {static_cast<TColor>(0x80000005), {255, 255, 255}, true},
      {static_cast<TColor>(0x800000FF), {0, 0, 0}, true}, // no such system colour
      {0x02123456, {0x56, 0x34, 0x12}, false},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(ColorToRGB(C.Color), C.Expected) << C.Color;
    EXPECT_EQ(IsSystemColor(C.Color), C.System) << C.Color;
  }
  EXPECT_EQ(TSettings("<System><toolbar ToolbarBackColor=-2147483633/></System>")
                .Toolbar.ToolbarBackColor,
            static_cast<TColor>(0x8000000F));
}

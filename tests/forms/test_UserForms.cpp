#include <gtest/gtest.h>

#include "forms/u_UserForms.h"
#include "tests/TestUtil.h"

using namespace vv;

namespace {
struct FormsFixture : ::testing::Test {
  TMFS Volume;
  TMFSSession& Session = Volume.DefaultSession();
  std::unique_ptr<TUserForms> Load(const std::string& Text, const std::string& Folder = "\\") {
    Session.ForceFolders(Folder);
    Session.ChangeDir(Folder);
    return std::make_unique<TUserForms>(&Session, Text);
  }
};
} // namespace

TEST_F(FormsFixture, NamesMatchWithoutRegardToCaseAndTheLaterFormWins) {
  auto Forms = Load("<Forms>\n"
                    "  <Form Name=\"About\" Path=\"Forms\\About.html\" Caption=\"First\"/>\n"
                    "  <Page Name=\"Ignored\"/>\n"
                    "  <FORM Name=\"ABOUT\" Path=\"Forms\\About2.html\" Caption=\"Second\"/>\n"
                    "</Forms>");
  ASSERT_EQ(Forms->Count(), 1);
  const TUserForm* About = Forms->FindByName("about");
  ASSERT_NE(About, nullptr);
  EXPECT_EQ(About->Caption, "Second");
  EXPECT_EQ(About->Path, "\\Forms\\About2.html");
  EXPECT_EQ(Forms->FindByName("Ignored"), nullptr);
}

TEST_F(FormsFixture, PathsResolveAgainstTheFormsFilesFolder) {
  auto Forms = Load("<AdditionalPages>"
                    "<Form Name=\"a\" Path=\"About.html\"/>"
                    "<Form Name=\"b\" Path=\"..\\Help\\Index.htm\"/>"
                    "<Form Name=\"c\" Path=\"\\Top.htm\"/>"
                    "<Form Name=\"d\"/>"
                    "</AdditionalPages>",
                    "\\Forms");
  EXPECT_EQ(Forms->FindByName("a")->Path, "\\Forms\\About.html");
  EXPECT_EQ(Forms->FindByName("b")->Path, "\\Help\\Index.htm");
  EXPECT_EQ(Forms->FindByName("c")->Path, "\\Top.htm");
  EXPECT_EQ(Forms->FindByName("d")->Path, "");
}

TEST_F(FormsFixture, DefaultsKeepTheWindowsOwnGeometryAndShowNoIcons) {
  auto Forms = Load("<Forms><Form Name=\"plain\"/></Forms>");
  const TUserForm& F = *Forms->FindByName("plain");
  EXPECT_EQ(F.Width, -1);
  EXPECT_EQ(F.Height, -1);
  EXPECT_EQ(F.Left, -1);
  EXPECT_EQ(F.Top, -1);
  EXPECT_FALSE(F.Center);
  EXPECT_FALSE(F.HideScrollBar);
  EXPECT_EQ(F.BorderIcons, 0u);
  EXPECT_EQ(F.BorderStyle, TFormBorderStyle::bsSingle);
}

TEST_F(FormsFixture, BordersAndIconsFollowTheirAttributes) {
  auto Forms = Load("<Forms>"
                    "<Form Name=\"hidden\" HideBorder=\"True\" Sizable=\"True\" Minimize=\"True\"/>"
                    "<Form Name=\"sizable\" Sizable=\"True\" SystemMenu=\"True\" Maximize=\"True\"/>"
                    "<Form Name=\"misspelt\" Sizeable=\"True\"/>"
                    "<Form Name=\"geometry\" Width=\"300\" Height=\"200\" Left=\"10\" Top=\"20\" Center=\"True\"/>"
                    "</Forms>");
  EXPECT_EQ(Forms->FindByName("hidden")->BorderStyle, TFormBorderStyle::bsNone);
  EXPECT_EQ(Forms->FindByName("hidden")->BorderIcons, biMinimize);
  EXPECT_EQ(Forms->FindByName("sizable")->BorderStyle, TFormBorderStyle::bsSizeable);
  EXPECT_EQ(Forms->FindByName("sizable")->BorderIcons, biSystemMenu | biMaximize);
  EXPECT_EQ(Forms->FindByName("misspelt")->BorderStyle, TFormBorderStyle::bsSingle);
  const TUserForm& G = *Forms->FindByName("geometry");
  EXPECT_EQ(G.Width, 300);
  EXPECT_EQ(G.Height, 200);
  EXPECT_EQ(G.Left, 10);
  EXPECT_EQ(G.Top, 20);
  EXPECT_TRUE(G.Center);
}

TEST(UserForms, NoFormsFileGivesAnEmptyRegistry) {
  TUserForms Forms(nullptr, "");
  EXPECT_EQ(Forms.Count(), 0);
  EXPECT_EQ(Forms.FindByName("About"), nullptr);
}

TEST_F(FormsFixture, AFormPathAboveTheRootFailsStartUp) {
  EXPECT_EQ(vvtest::MessageOf([&] { Load("<Forms><Form Name=\"x\" Path=\"..\\x.htm\"/></Forms>"); }),
            "File name \"\\..\\x.htm\" is incorrect");
}

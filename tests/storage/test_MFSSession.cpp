#include <gtest/gtest.h>

#include <sys/resource.h>

#include "tests/TestUtil.h"

#include "storage/u_MFS.h"

using namespace vv;
using vvtest::MessageOf;
namespace {

// The process's peak resident size so far; each test runs in a process of its own.
long PeakMemoryKiB() {
  rusage Usage{};
  ::getrusage(RUSAGE_SELF, &Usage);
  return Usage.ru_maxrss;
}

class MfsSession : public ::testing::Test {
protected:
  void SetUp() override {
    S.CreateMFSFile("\\System.xml", 0, false)->Content = "<system/>";
    S.CreateMFSFile("\\Logo.bmp", 0, false);
    S.ForceFolders("\\Forms");
    S.CreateMFSFile("\\Forms\\page.htm", 0, false)->Content = "form";
    S.ForceFolders("\\a\\b");
    S.CreateMFSFile("\\a\\b.htm", 0, false);
  }
  TMFS Volume;
  TMFSSession& S = Volume.DefaultSession();
};
} // namespace

TEST_F(MfsSession, FindsFilesByAnyCaseAndSeparator) {
  TMFSFile* F = S.GetFile("System.xml");
  EXPECT_EQ(S.GetFile("\\System.xml"), F);
  EXPECT_EQ(S.GetFile("\\system.XML"), F);
  EXPECT_EQ(S.GetFile("a/b.htm"), S.GetFile("a\\b.htm"));
  EXPECT_EQ(S.GetFile("\\a\\b\\..\\..\\System.xml"), F);
}

TEST_F(MfsSession, MissingFoldersAndFilesAreReportedAsTheTextSays) {
  EXPECT_EQ(MessageOf([&] { (void)S.GetFile("\\nope\\x.htm"); }), "Path \"\\nope\\\" not found");
  EXPECT_EQ(MessageOf([&] { (void)S.GetFile("\\x.htm"); }), "File \"\\x.htm\" not found");
  EXPECT_EQ(MessageOf([&] { (void)S.GetFile("\\Forms"); }), "File \"\\Forms\" not found");
  EXPECT_EQ(MessageOf([&] { (void)S.GetFile("\\Logo.bmp\\x"); }), "Path \"\\Logo.bmp\\\" not found");
}

TEST_F(MfsSession, ExistsNeverRaises) {
  EXPECT_TRUE(S.Exists("\\Logo.bmp"));
  EXPECT_FALSE(S.Exists("\\Logo.bmp\\"));
  EXPECT_TRUE(S.Exists(""));
  EXPECT_FALSE(S.Exists(".."));
  EXPECT_TRUE(S.Exists("\\Forms\\"));
  EXPECT_FALSE(S.Exists("\\\\Forms"));
}

TEST_F(MfsSession, ChangeDirMovesTheCurrentFolder) {
  S.ChangeDir("\\Forms");
  EXPECT_EQ(S.GetFile("page.htm")->Content, "form");
  S.ChangeDir("");
  EXPECT_EQ(S.CurrentFolder->Name, "Forms");
  EXPECT_EQ(S.ExpandFileName("x.htm"), "\\Forms\\x.htm");
  EXPECT_EQ(MessageOf([&] { S.ChangeDir("nope"); }), "Path \"nope\\\" not found");
  S.ChangeDir("/");
  EXPECT_EQ(S.CurrentFolder, &Volume.Root());
  S.ChangeDir("a/b");
  EXPECT_EQ(S.ExpandFileName("..\\x.htm"), "\\a\\x.htm");
  EXPECT_EQ(S.ExpandFileName("\\y\\.\\z"), "\\y\\z");
}

TEST_F(MfsSession, CreateFileHonoursExistingItems) {
  const auto* File = S.CreateMFSFile("\\new.htm", 0xFFFFFFFF, false);
  EXPECT_EQ(File->Attributes, 0x3Fu | 0x20u);
  EXPECT_EQ(S.CreateMFSFile("\\NEW.htm", 0, true), File);
  EXPECT_EQ(MessageOf([&] { S.CreateMFSFile("\\new.htm", 0, false); }), "File \"\\new.htm\" already exists");
  EXPECT_EQ(MessageOf([&] { S.CreateMFSFile("\\Forms", 0, true); }), "Folder \"\\Forms\" already exists");
  EXPECT_EQ(MessageOf([&] { S.CreateMFSFile("\\Forms\\.", 0, true); }), "Folder \"\\Forms\\.\" already exists");
}

TEST_F(MfsSession, ForceFoldersCreatesTheMissingOnesAndKeepsThemOnFailure) {
  TMFSFolder* Deep = S.ForceFolders("x\\y\\z\\");
  EXPECT_EQ(Deep->Name, "z");
  EXPECT_EQ(S.ForceFolders("\\X\\Y\\Z"), Deep);
  EXPECT_EQ(S.ForceFolders(""), S.CurrentFolder);
  EXPECT_EQ(S.ForceFolders("\\"), &Volume.Root());
  EXPECT_EQ(MessageOf([&] { S.ForceFolders("\\q\\..\\Logo.bmp\\r"); }),
            "File \"\\q\\..\\Logo.bmp\\\" already exists");
  EXPECT_TRUE(S.Exists("\\q\\"));
  EXPECT_EQ(MessageOf([&] { S.ForceFolders("\\Logo.bmp"); }), "File \"\\Logo.bmp\" already exists");
}

TEST_F(MfsSession, ForceFoldersHandlesVeryLongPathsInLinearMemory) {
  std::string Path;
  for (int i = 0; i < 20000; ++i)
    Path += "\\d";
  const long Before = PeakMemoryKiB();
  TMFSFolder* Deep = S.ForceFolders(Path);
  // Keeping every prefix of this path at once would take about 400 MB.
  EXPECT_LT(PeakMemoryKiB() - Before, 100 * 1024);
  EXPECT_EQ(Deep->Name, "d");
  EXPECT_EQ(S.ForceFolders(Path + "\\"), Deep);
  // Destroying the volume must not recurse once per level either.
}

TEST(MfsPaths, HelpersTreatOnlyBackslashAsSeparator) {
  EXPECT_EQ(TMFS::NormalizeSeparators("a/b\\c/"), "a\\b\\c\\");
  EXPECT_EQ(TMFS::IncludeTrailingBackslash(""), "");
  EXPECT_EQ(TMFS::IncludeTrailingBackslash("a"), "a\\");
  EXPECT_EQ(TMFS::IncludeTrailingBackslash("a\\"), "a\\");
  EXPECT_EQ(TMFS::ExcludeTrailingBackslash("a\\"), "a");
  EXPECT_EQ(TMFS::ExtractPath("\\a\\b.htm"), "\\a\\");
  EXPECT_EQ(TMFS::ExtractPath("b.htm"), "");
  EXPECT_EQ(TMFS::ExtractName("\\a\\b.htm"), "b.htm");
  EXPECT_EQ(TMFS::ExtractName("a/b.htm"), "a/b.htm");
  EXPECT_EQ(TMFS::ExtractExt("\\a.d\\b.htm"), ".htm");
  EXPECT_EQ(TMFS::ExtractExt("\\a.d\\b"), "");
}

TEST(MfsPaths, CanonicalizeFoldsDotsAndKeepsEnds) {
  EXPECT_EQ(TMFS::CanonicalizePath("\\a\\.\\b\\..\\c"), "\\a\\c");
  EXPECT_EQ(TMFS::CanonicalizePath("\\a\\b\\"), "\\a\\b\\");
  EXPECT_EQ(TMFS::CanonicalizePath("\\"), "\\");
  EXPECT_EQ(TMFS::CanonicalizePath("a\\..\\"), "\\");
  EXPECT_EQ(TMFS::CanonicalizePath(""), "");
  EXPECT_EQ(TMFS::CanonicalizePath("\\\\x"), "\\\\x");
  EXPECT_EQ(TMFS::CanonicalizePath("\\\\..\\x"), "\\x");
  EXPECT_EQ(MessageOf([] { (void)TMFS::CanonicalizePath("\\a\\..\\..\\c"); }),
            "File name \"\\a\\..\\..\\c\" is incorrect");
}

TEST(MfsItems, ReplacingAnItemDestroysTheOldOne) {
  TMFS Volume;
  auto* Old = new TMFSFile("page.htm", &Volume, &Volume.Root());
  Old->Content = "old";
  auto* New = new TMFSFolder("PAGE.htm", &Volume, &Volume.Root());
  EXPECT_EQ(Volume.Root().Children.Count(), 1);
  EXPECT_EQ(Volume.Root().GetItem("page.htm"), New);
  EXPECT_EQ(Volume.Root().GetItem("."), &Volume.Root());
  EXPECT_EQ(Volume.Root().GetItem(".."), nullptr);
  EXPECT_EQ(New->GetItem(".."), &Volume.Root());
  delete New;
  EXPECT_EQ(Volume.Root().Children.Count(), 0);
}

TEST(MfsVolume, LoadingMovesEverySessionToTheNewRoot) {
  TMFS Volume;
  TMFSSession& Default = Volume.DefaultSession();
  TMFSFolder* Old = Default.ForceFolders("\\old\\deeper");
  Default.ChangeDir("\\old\\deeper");
  const auto Other = Volume.CreateSession(Old);

  TMFS Source;
  Source.DefaultSession().CreateMFSFile("\\page.htm", 0, false)->Content = "new";
  Volume.LoadFromString(Source.SaveToString());

  for (TMFSSession* Session : {&Default, Other.get()}) {
    EXPECT_EQ(Session->CurrentFolder, &Volume.Root());
    EXPECT_EQ(Session->GetFile("page.htm")->Content, "new");
    EXPECT_EQ(Session->ExpandFileName("x"), "\\x");
  }
}

TEST(MfsVolume, ASessionMayOutliveItsVolume) {
  std::unique_ptr<TMFSSession> Orphan;
  {
    TMFS Volume;
    Orphan = Volume.CreateSession();
  }
  Orphan.reset();
}

TEST(MfsVolume, SessionsStartWhereAsked) {
  TMFS Volume;
  auto* Sub = Volume.DefaultSession().ForceFolders("sub");
  EXPECT_EQ(Volume.CreateSession()->CurrentFolder, &Volume.Root());
  EXPECT_EQ(Volume.CreateSession(Sub)->CurrentFolder, Sub);
  EXPECT_EQ(&Volume.DefaultSession(), &Volume.DefaultSession());
}

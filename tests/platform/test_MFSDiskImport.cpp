// Folders on disk into volumes: names the volume would take for one are refused
// before anything is imported.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/TestUtil.h"
#include "tools/u_MFSDiskImport.h"

using namespace vv;
using vvtest::MessageOf;
namespace fs = std::filesystem;

namespace {

class MfsDiskImport : public testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("vv-import-" + std::to_string(::getpid()) + "-" +
                                       testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  void Write(const fs::path& Relative, const std::string& Bytes) {
    fs::create_directories((Dir / Relative).parent_path());
    std::ofstream(Dir / Relative, std::ios::binary) << Bytes;
  }

  fs::path Dir;
  TMFS Volume;
};

TEST_F(MfsDiskImport, FoldersWhoseNamesDifferOnlyInCaseAreRefusedBeforeImporting) {
  Write("a.htm", "first");
  Write("chapter/img/a.png", "lower");
  Write("chapter/IMG/b.png", "upper");
  Write("chapter/IMG/deeper/c.png", "more");
  EXPECT_EQ(MessageOf([&] { ImportFolderFromDisk(Dir.string(), Volume.Root()); }),
            "Names \"" + (Dir / "chapter" / "IMG").string() + "\" and \"" + (Dir / "chapter" / "img").string() +
                "\" differ only in case");
  EXPECT_EQ(Volume.Root().Children.Count(), 0);
}

TEST_F(MfsDiskImport, FilesAndFoldersWhoseNamesDifferOnlyInCaseAreRefused) {
  for (const auto& [First, Second] : {std::pair{"Page.htm", "page.htm"}, std::pair{"notes", "NOTES/x.txt"}}) {
    fs::remove_all(Dir / "sub");
    Write(fs::path("sub") / First, "one");
    Write(fs::path("sub") / Second, "two");
    TMFS Fresh;
    EXPECT_THROW(ImportFolderFromDisk(Dir.string(), Fresh.Root()), EMFSError) << First;
    EXPECT_EQ(Fresh.Root().Children.Count(), 0) << First;
  }
}

// The patterns are the packer's own, the same on Linux and Windows: characters
// are Unicode's, and a pattern matches the path below the folder or the name.
TEST_F(MfsDiskImport, ExcludePatternsMatchAsTheShellDoes) {
  for (const char* Name : {"a.pdf", "b.PDF", "notes/x.pdf", "src/main.c", "src/deep/er.c", "ch1.htm", "ch2.htm",
                           "chx.htm", "ch]", "Жук.txt", "жук.htm", "star*.txt", "[x].txt", "keep.htm"})
    Write(Name, "x");
  ImportFolderFromDisk(Dir.string(), Volume.Root(),
                       {"*.pdf", "src/*", "ch[0-9].htm", "ch[!a-w].htm", "ch[]]", "?ук.txt", "[жЖ]ук.htm",
                        "star\\*.txt", "\\[x].txt"});
  std::vector<std::string> Left;
  for (const TMFSItem* Item : Volume.Root().Children.Values()) Left.push_back(Item->Name);
  // "src" stays as a folder: "src/*" matches what is below it, not the folder.
  EXPECT_EQ(Left, (std::vector<std::string>{"b.PDF", "keep.htm", "notes", "src"}));
  EXPECT_EQ(dynamic_cast<const TMFSFolder*>(Volume.Root().GetItem("notes"))->Children.Count(), 0);
  EXPECT_EQ(dynamic_cast<const TMFSFolder*>(Volume.Root().GetItem("src"))->Children.Count(), 0);
}

TEST_F(MfsDiskImport, ImportsEveryFileAndFolder) {
  Write("Index.htm", "start");
  Write("a/b/c.bin", std::string("\0\1\2", 3));
  fs::create_directories(Dir / "empty");
  ImportFolderFromDisk(Dir.string(), Volume.Root());
  TMFSSession& S = Volume.DefaultSession();
  EXPECT_EQ(S.GetFile("\\index.htm")->Content, "start");
  EXPECT_EQ(S.GetFile("\\A\\B\\C.bin")->Content, std::string("\0\1\2", 3));
  EXPECT_TRUE(S.Exists("\\empty\\"));
  EXPECT_EQ(S.GetFile("\\a\\b\\c.bin")->Attributes, 0x20u);
  EXPECT_EQ(dynamic_cast<TMFSFolder*>(Volume.Root().GetItem("a"))->Attributes, 0x10u);
}

} // namespace

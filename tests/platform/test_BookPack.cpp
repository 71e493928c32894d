// The packer end to end: book folders into executables and back, the cabinet
// tool's safety with hostile member names, and the command line's exit codes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "platform/u_Resources.h"
#include "storage/u_MFSCab.h"
#include "storage/u_MFSCabLoad.h"
#include "tools/u_BookPack.h"
#include "tools/u_CabTool.h"
#include "tools/u_MFSDiskImport.h"

using namespace vv;
namespace fs = std::filesystem;

namespace {

void WriteAll(const fs::path& P, const std::string& Bytes) {
  fs::create_directories(P.parent_path());
  std::ofstream Out(P, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string ReadAll(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

struct TRun {
  int Status;
  std::string Out;
};

// Runs a command; stderr is folded into the output.
TRun RunCommand(const std::string& Command) {
  std::unique_ptr<FILE, int (*)(FILE*)> Pipe(::popen((Command + " 2>&1").c_str(), "r"), ::pclose);
  std::string Out;
  std::array<char, 4096> Buffer;
  std::size_t N;
  while ((N = std::fread(Buffer.data(), 1, Buffer.size(), Pipe.get())) > 0)
    Out.append(Buffer.data(), N);
  const int Status = ::pclose(Pipe.release());
  return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Out};
}

class BookPack : public testing::Test {
protected:
  void SetUp() override {
    Dir =
        fs::temp_directory_path() / ("vv-pack-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    Book = Dir / "book";
    std::string AllBytes;
    for (int i = 0; i < 256; ++i)
      AllBytes += static_cast<char>(i);
    std::mt19937 Gen(11);
    std::string Noise(200000, '\0');
    for (char& C : Noise)
      C = static_cast<char>(Gen());
    WriteAll(Book / "system" / "System.xml", "<System Title=\"Test\"/>");
    WriteAll(Book / "system" / "Logo.bmp", AllBytes + Noise.substr(0, 5000));
    WriteAll(Book / "files" / "index.htm", "<html>start</html>");
    WriteAll(Book / "files" / "Chapter 1" / "page1.htm", std::string(90000, 'x'));
    WriteAll(Book / "files" / "Chapter 1" / "img" / "photo.jpg", Noise);
    WriteAll(Book / "files" / "empty.txt", "");
    fs::create_directories(Book / "files" / "a" / "b" / "c");
  }
  void TearDown() override { fs::remove_all(Dir); }

  fs::path Dir, Book;
};

std::string ContainerOfFolder(const fs::path& Folder) {
  TMFS Volume;
  ImportFolderFromDisk(Folder.string(), Volume.Root());
  return Volume.SaveToString();
}

TEST_F(BookPack, AnExecutableCarriesBothVolumesExactly) {
  const fs::path Out = Dir / "book.bin";
  BuildBook(Book.string(), Out.string(), VV_RESOURCE_PROBE);
  TMFS System, Files;
  LoadBook(Out.string(), System, Files);
  EXPECT_TRUE(System.SaveToString() == ContainerOfFolder(Book / "system"));
  EXPECT_TRUE(Files.SaveToString() == ContainerOfFolder(Book / "files"));
  // The packed program itself finds its book by name.
  const TRun Probe = RunCommand(Out.string() + " FILES_MFS");
  EXPECT_EQ(Probe.Out.substr(Probe.Out.find(':') + 1, 4), "MSCF");
}

TEST_F(BookPack, StampsTheContainerMemberWithTheCurrentTimeAndArchiveAttribute) {
  const std::uint32_t Before = NowAsDosDateTime();
  const fs::path Out = Dir / "book.bin";
  BuildBook(Book.string(), Out.string(), VV_RESOURCE_PROBE);
  const std::uint32_t After = NowAsDosDateTime();
  const std::string Cab = LoadResourceDataFromFile(Out.string(), "RCDATA", "SYSTEM_MFS");
  const auto Members = ListCabinet(Cab, "SYSTEM_MFS");
  ASSERT_EQ(Members.size(), 1u);
  EXPECT_EQ(Members[0].Name, "info.mfs");
  EXPECT_EQ(Members[0].Attributes, 0x20);
  EXPECT_GE(Members[0].DosDateTime, Before & ~1u);
  EXPECT_LE(Members[0].DosDateTime, After + 1);
  // And the unpacked file carries them, as the loader's scratch volume sees it.
  TMFS Scratch;
  Scratch.DefaultSession().CreateFile("\\info.cab", 0, false)->Content = Cab;
  TMFSCabReader Reader(&Scratch.DefaultSession(), "\\info.cab");
  Reader.Extract("info.mfs", "\\info.mfs");
  EXPECT_EQ(Scratch.DefaultSession().GetFile("\\info.mfs")->DateTime, Members[0].DosDateTime);
  EXPECT_EQ(Scratch.DefaultSession().GetFile("\\info.mfs")->Attributes, 0x20u);
}

TEST_F(BookPack, ABookFolderWithoutSystemIsRefused) {
  fs::remove_all(Book / "system");
  EXPECT_THROW(BuildBook(Book.string(), (Dir / "x").string(), VV_RESOURCE_PROBE), EBookPackError);
  EXPECT_FALSE(fs::exists(Dir / "x"));
}

TEST_F(BookPack, AProgramWithoutABookIsRefusedByName) {
  TMFS System, Files;
  try {
    LoadBook(VV_RESOURCE_PROBE, System, Files);
    FAIL() << "no error";
  } catch (const EBookPackError& E) {
    EXPECT_NE(std::string(E.what()).find("carries no resource \"SYSTEM_MFS\""), std::string::npos);
  }
}

struct TSafeCase {
  const char* Name;
  const char* Safe;
};

TEST(CabTool, MemberNamesNeverLeaveTheTargetFolder) {
  const TSafeCase Cases[] = {
      {"plain.txt", "plain.txt"},
      {"a\\b/c.txt", "a\\b\\c.txt"},
      {"/absolute/path", "absolute\\path"},
      {"..\\..\\up.txt", "up.txt"},
      {"a/../../b", "a\\b"},
      {"\\\\", ""},
      {"./.", ""},
      {"dots.../x", "dots...\\x"},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(SafeMemberPath(C.Name), C.Safe) << C.Name;
}

TEST_F(BookPack, CabExtractKeepsHostileNamesInsideTheFolder) {
  const fs::path Target = Dir / "inner" / "out";
  fs::create_directories(Target);
  const auto Members = ExtractCabinet(
      ReadAll(VV_TESTDATA_DIR "/cab/libmspack/cabextract/test/cabs/dirwalk-vulns.cab"), "dirwalk",
      Target.string());
  EXPECT_EQ(Members.size(), 29u);
  for (const auto& Entry : fs::directory_iterator(Dir))
    EXPECT_TRUE(Entry.path().filename() == "inner" || Entry.path().filename() == "book")
        << Entry.path();
  for (const auto& Entry : fs::directory_iterator(Dir / "inner"))
    EXPECT_EQ(Entry.path().filename(), "out");
  EXPECT_TRUE(fs::exists(Target / "relative" / "path"));
}

class Vellumpack : public BookPack {
protected:
  TRun Pack(const std::string& Args) { return RunCommand(std::string(VV_VELLUMPACK) + " " + Args); }
};

TEST_F(Vellumpack, EveryCommandAnswersHelp) {
  for (const char* Command : {"", "build", "extract", "list", "cab", "cab list", "cab extract"}) {
    const TRun R = Pack(std::string(Command) + " --help");
    EXPECT_EQ(R.Status, 0) << Command;
    EXPECT_NE(R.Out.find("Usage"), std::string::npos) << Command;
  }
}

TEST_F(Vellumpack, WrongUsageExitsWithTwo) {
  EXPECT_EQ(Pack("").Status, 2);
  EXPECT_EQ(Pack("frobnicate").Status, 2);
  EXPECT_EQ(Pack("build").Status, 2);
  EXPECT_EQ(Pack("build " + Book.string()).Status, 2);
  EXPECT_EQ(Pack("cab").Status, 2);
  EXPECT_EQ(Pack("cab list").Status, 2);
}

TEST_F(Vellumpack, BuildsListsAndExtractsABook) {
  const std::string Out = (Dir / "book.bin").string();
  const TRun Build =
      Pack("build " + Book.string() + " -o " + Out + " --viewer " + VV_RESOURCE_PROBE);
  ASSERT_EQ(Build.Status, 0) << Build.Out;
  EXPECT_NE(Build.Out.find("MB/s"), std::string::npos);
  EXPECT_NE(Build.Out.find("Compressing FILES_MFS"),
            std::string::npos); // not a terminal: plain lines
  const TRun List = Pack("list " + Out);
  EXPECT_EQ(List.Status, 0);
  EXPECT_NE(List.Out.find("200000  \\Chapter 1\\img\\photo.jpg"), std::string::npos) << List.Out;
  ASSERT_EQ(Pack("extract " + Out + " " + (Dir / "back").string()).Status, 0);
  for (const char* File :
       {"system/System.xml", "system/Logo.bmp", "files/Chapter 1/img/photo.jpg", "files/empty.txt"})
    EXPECT_EQ(ReadAll(Dir / "back" / File), ReadAll(Book / File)) << File;
  EXPECT_TRUE(fs::is_directory(Dir / "back" / "files" / "a" / "b" / "c"));
}

TEST_F(Vellumpack, BuildFindsTheViewerWithoutBeingToldWhere) {
  const std::string Out = (Dir / "book.bin").string();
  const TRun Build = Pack("build " + Book.string() + " -o " + Out);
  ASSERT_EQ(Build.Status, 0) << Build.Out;
  TMFS System, Files;
  LoadBook(Out, System, Files);
  EXPECT_TRUE(Files.DefaultSession().Exists("\\index.htm"));
}

TEST_F(Vellumpack, BrokenArchivesEndWithTheMessageAndStatusOne) {
  const std::string Corrupt = VV_TESTDATA_DIR "/cab/corrupt/flip_data_stale_csum.cab";
  const TRun R = Pack("cab extract " + Corrupt + " " + (Dir / "x").string());
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Out.find("vellumpack: Cabinet file is corrupt [0x0004]"), std::string::npos) << R.Out;
  const TRun NotCab = Pack("cab list " + std::string(VV_RESOURCE_PROBE));
  EXPECT_EQ(NotCab.Status, 1);
  EXPECT_NE(NotCab.Out.find("is not a cabinet"), std::string::npos);
  EXPECT_EQ(Pack("list " + (Dir / "missing").string()).Status, 1);
  EXPECT_EQ(Pack("build " + Book.string() + " -o " + (Dir / "o").string() + " --viewer " +
                 (Dir / "none").string())
                .Status,
            1);
}

} // namespace

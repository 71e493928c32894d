// The packer end to end: book folders into executables and back, the cabinet
// tool's safety with hostile member names, and the command line's exit codes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "platform/u_Process.h"
#include "platform/u_Resources.h"
#include "storage/u_MFSCab.h"
#include "storage/u_MFSCabLoad.h"
#include "tools/u_BookPack.h"
#include "tools/u_CabTool.h"
#include "tools/u_MFSDiskImport.h"
#include "tools/u_StoryMaker.h"

using namespace vv;
namespace fs = std::filesystem;

namespace {

void WriteAll(const fs::path& P, const std::string& Bytes) {
  fs::create_directories(P.parent_path());
  std::ofstream Out(P, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

TProgramResult RunCapture(const std::string& Command) { return RunProgramCapture("/bin/sh", {"-c", Command}); }

std::string ReadAll(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
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
    WriteAll(Book / "system" / "Story.xml", "<Story><item page=\"index.htm\"/></Story>");
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

// A volume's root takes the time it was made, so Like lends it its own.
std::string ContainerOfFolder(const fs::path& Folder, const TMFS& Like) {
  TMFS Volume;
  ImportFolderFromDisk(Folder.string(), Volume.Root());
  Volume.Root().DateTime = Like.Root().DateTime;
  return Volume.SaveToString();
}

TEST_F(BookPack, AnExecutableCarriesBothVolumesExactly) {
  const fs::path Out = Dir / "book.bin";
  BuildBook(TBookSource(Book.string()), Out.string(), VV_RESOURCE_PROBE);
  TMFS System, Files;
  LoadBook(Out.string(), System, Files);
  EXPECT_TRUE(System.SaveToString() == ContainerOfFolder(Book / "system", System));
  EXPECT_TRUE(Files.SaveToString() == ContainerOfFolder(Book / "files", Files));
  // The packed program itself finds its book by name.
  const TProgramResult Probe = RunCapture(Out.string() + " FILES_MFS");
  EXPECT_EQ(Probe.Output.substr(Probe.Output.find(':') + 1, 4), "MSCF");
}

TEST_F(BookPack, StampsTheContainerMemberWithTheCurrentTimeAndArchiveAttribute) {
  const std::uint32_t Before = NowAsDosDateTime();
  const fs::path Out = Dir / "book.bin";
  BuildBook(TBookSource(Book.string()), Out.string(), VV_RESOURCE_PROBE);
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
  Scratch.DefaultSession().CreateMFSFile("\\info.cab", 0, false)->Content = Cab;
  TMFSCabReader Reader(&Scratch.DefaultSession(), "\\info.cab");
  Reader.Extract("info.mfs", "\\info.mfs");
  EXPECT_EQ(Scratch.DefaultSession().GetFile("\\info.mfs")->DateTime, Members[0].DosDateTime);
  EXPECT_EQ(Scratch.DefaultSession().GetFile("\\info.mfs")->Attributes, 0x20u);
}

TEST_F(BookPack, AMissingViewerIsRefusedBeforeAnythingIsWritten) {
  EXPECT_THROW(BuildBook(TBookSource(Book.string()), (Dir / "x").string(), (Dir / "none").string()),
               EBookPackError);
  EXPECT_FALSE(fs::exists(Dir / "x"));
  EXPECT_THROW(TBookSource((Dir / "nothing").string()), EBookSourceError);
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
  TProgramResult Pack(const std::string& Args) { return RunCapture(std::string(VV_VELLUMPACK) + " " + Args); }
};

TEST_F(Vellumpack, EveryCommandAnswersHelp) {
  for (const char* Command : {"", "new", "check", "build", "run", "extract", "list", "cab", "cab list", "cab extract"}) {
    const TProgramResult R = Pack(std::string(Command) + " --help");
    EXPECT_EQ(R.Status, 0) << Command;
    EXPECT_NE(R.Output.find("Usage"), std::string::npos) << Command;
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
  const TProgramResult Build =
      Pack("build " + Book.string() + " -o " + Out + " --viewer " + VV_RESOURCE_PROBE);
  ASSERT_EQ(Build.Status, 0) << Build.Output;
  EXPECT_NE(Build.Output.find("MB/s"), std::string::npos);
  EXPECT_NE(Build.Output.find("Compressing FILES_MFS"),
            std::string::npos); // not a terminal: plain lines
  const TProgramResult List = Pack("list " + Out);
  EXPECT_EQ(List.Status, 0);
  EXPECT_NE(List.Output.find("200000  \\Chapter 1\\img\\photo.jpg"), std::string::npos) << List.Output;
  ASSERT_EQ(Pack("extract " + Out + " " + (Dir / "back").string()).Status, 0);
  for (const char* File :
       {"system/System.xml", "system/Logo.bmp", "files/Chapter 1/img/photo.jpg", "files/empty.txt"})
    EXPECT_EQ(ReadAll(Dir / "back" / File), ReadAll(Book / File)) << File;
  EXPECT_TRUE(fs::is_directory(Dir / "back" / "files" / "a" / "b" / "c"));
}

TEST_F(Vellumpack, BuildFindsTheViewerWithoutBeingToldWhere) {
  const std::string Out = (Dir / "book.bin").string();
  const TProgramResult Build = Pack("build " + Book.string() + " -o " + Out);
  ASSERT_EQ(Build.Status, 0) << Build.Output;
  TMFS System, Files;
  LoadBook(Out, System, Files);
  EXPECT_TRUE(Files.DefaultSession().Exists("\\index.htm"));
}

TEST_F(Vellumpack, ABookCarriesTheViewerWithoutDebugInformation) {
  const std::string Out = (Dir / "book.bin").string();
  ASSERT_EQ(Pack("build " + Book.string() + " -o " + Out).Status, 0);
  const TProgramResult Sections = RunCapture("readelf -S -W " + Out);
  if (Sections.Status == 127) GTEST_SKIP() << "readelf is not installed";
  ASSERT_EQ(Sections.Status, 0) << Sections.Output;
  EXPECT_NE(Sections.Output.find(" .text "), std::string::npos) << Sections.Output;
  EXPECT_EQ(Sections.Output.find(".debug_"), std::string::npos) << Sections.Output;
  EXPECT_EQ(Sections.Output.find(".symtab"), std::string::npos) << Sections.Output;
}

TEST_F(Vellumpack, ABookMadeHereRunsHereAndADamagedOneSaysWhy) {
  const std::string Out = (Dir / "book.bin").string();
  const TProgramResult Build = Pack("build " + Book.string() + " -o " + Out + " --check-runtime");
  ASSERT_EQ(Build.Status, 0) << Build.Output;
  EXPECT_NE(Build.Output.find("shared libraries found\n"), std::string::npos) << Build.Output;
  EXPECT_NE(Build.Output.find("runtime: Book unpacks"), std::string::npos) << Build.Output;
  EXPECT_NE(Build.Output.find("The book runs here\n"), std::string::npos) << Build.Output;
  // One byte of the content archive changed, as in a damaged download.
  for (const TResourceInfo& R : ListResources(Out))
    if (R.Name == "FILES_MFS") {
      std::fstream File(Out, std::ios::in | std::ios::out | std::ios::binary);
      File.seekg(static_cast<std::streamoff>(R.Offset + R.Size / 2));
      const char Byte = static_cast<char>(File.get() ^ 0x55);
      File.seekp(static_cast<std::streamoff>(R.Offset + R.Size / 2));
      File.put(Byte);
    }
  const TProgramResult SelfTest = RunCapture(Out + " --self-test");
  EXPECT_EQ(SelfTest.Status, 1);
  EXPECT_NE(SelfTest.Output.find("Book does not unpack: Cabinet file is corrupt"), std::string::npos)
      << SelfTest.Output;
}

TEST_F(Vellumpack, BrokenArchivesEndWithTheMessageAndStatusOne) {
  const std::string Corrupt = VV_TESTDATA_DIR "/cab/corrupt/flip_data_stale_csum.cab";
  const TProgramResult R = Pack("cab extract " + Corrupt + " " + (Dir / "x").string());
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Output.find("vellumpack: Cabinet file is corrupt [0x0004]"), std::string::npos) << R.Output;
  const TProgramResult NotCab = Pack("cab list " + std::string(VV_RESOURCE_PROBE));
  EXPECT_EQ(NotCab.Status, 1);
  EXPECT_NE(NotCab.Output.find("is not a cabinet"), std::string::npos);
  EXPECT_EQ(Pack("list " + (Dir / "missing").string()).Status, 1);
  EXPECT_EQ(Pack("build " + Book.string() + " -o " + (Dir / "o").string() + " --viewer " +
                 (Dir / "none").string())
                .Status,
            1);
}

TEST_F(Vellumpack, NewWritesABookThatChecksAndBuilds) {
  const fs::path New = Dir / "new";
  ASSERT_EQ(Pack("new " + New.string() + " --title 'Sea \"Tales\"' --author 'A. Writer'").Status, 0);
  const TProgramResult Check = Pack("check " + New.string());
  EXPECT_EQ(Check.Status, 0) << Check.Output;
  EXPECT_NE(Check.Output.find("Book is clean: 5 pages in the reading order, 2 variables"),
            std::string::npos)
      << Check.Output;
  EXPECT_EQ(Check.Output.find("note:"), std::string::npos) << Check.Output; // nothing left to make
  const std::string Toolbar = ReadAll(New / "system" / "ToolButtons.xml");
  for (int Kind = 1; Kind <= 17; ++Kind)
    EXPECT_NE(Toolbar.find("Kind=" + std::to_string(Kind) + " "), std::string::npos) << Kind;
  EXPECT_NE(ReadAll(New / "system" / "Variables.xml").find(">Sea \"Tales\"</"), std::string::npos);
  const TProgramResult Build = Pack("build " + New.string() + " -o " + (Dir / "book.bin").string() +
                          " --viewer " + VV_RESOURCE_PROBE);
  EXPECT_EQ(Build.Status, 0) << Build.Output;

  const TProgramResult Again = Pack("new " + New.string());
  EXPECT_EQ(Again.Status, 1);
  EXPECT_NE(Again.Output.find("is not an empty folder"), std::string::npos) << Again.Output;
}

// A plain folder of pages whose contents page nests parts, chapters and sections.
class PlainFolder : public Vellumpack {
protected:
  void SetUp() override {
    Vellumpack::SetUp();
    Plain = Dir / "plain";
    WriteAll(Plain / "index.html",
             "<html><head><title>Sea &amp; Sky</title></head><body>\n"
             "<p><a href=\"preface.html\">Preface</a></p>\n"
             "<ul>\n"
             " <li>Part One\n"
             "  <ul>\n"
             "   <li><a href=\"one/ch1.html\">Chapter <i>1</i></a>\n"
             "    <ol><li><a href=\"one/ch1.html#a\">again</a></li>\n"
             "        <li><a href=\"one/s1.html\">Waves</a></li></ol></li>\n"
             "   <li><a href=\"one/ch2.html\">Chapter 2</a></li>\n"
             "  </ul></li>\n"
             " <li><a href=\"https://example.org/\">elsewhere</a></li>\n"
             " <li><a href=\"missing.html\">missing</a></li>\n"
             "</ul></body></html>\n");
    for (const char* Page : {"preface.html", "one/ch1.html", "one/s1.html", "one/ch2.html",
                             "aside.html"})
      WriteAll(Plain / Page, "<html><title>T</title><a href=\"/index.html\">up</a></html>");
  }
  fs::path Plain;
};

TEST_F(PlainFolder, BuildMakesTheReadingOrderFromTheContentsPage) {
  const TProgramResult Print = Pack("build " + Plain.string() + " --print-settings");
  ASSERT_EQ(Print.Status, 0) << Print.Output;
  EXPECT_NE(Print.Output.find("<Story Path=\"\\\">\n"
                           "  <item page=\"\\index.html\" pagename=\"Contents\"/>\n"
                           "  <item page=\"\\preface.html\" pagename=\"Preface\"/>\n"
                           "  <item pagename=\"Part One\">\n"
                           "    <item page=\"\\one\\ch1.html\" pagename=\"Chapter 1\">\n"
                           "      <item page=\"\\one\\s1.html\" pagename=\"Waves\"/>\n"
                           "    </item>\n"
                           "    <item page=\"\\one\\ch2.html\" pagename=\"Chapter 2\"/>\n"
                           "  </item>\n"
                           "  <item pagename=\"Other pages\">\n"
                           "    <item page=\"\\aside.html\" pagename=\"T\"/>\n"
                           "  </item>\n"
                           "</Story>\n"),
            std::string::npos)
      << Print.Output;
  EXPECT_NE(Print.Output.find("<Variable Name=\"BookTitle\">Sea & Sky</Variable>"), std::string::npos);
  EXPECT_NE(Print.Output.find("Width=1100 Height=800"), std::string::npos);
  // Captions are shown as written; a book without an author says nothing of one.
  EXPECT_NE(Print.Output.find("Caption=\"About Sea & Sky\""), std::string::npos) << Print.Output;

  const std::string Out = (Dir / "book.bin").string();
  const TProgramResult Build = Pack("build " + Plain.string() + " -o " + Out + " --title Ocean --viewer " +
                          VV_RESOURCE_PROBE);
  ASSERT_EQ(Build.Status, 0) << Build.Output;
  TMFS System, Files;
  LoadBook(Out, System, Files);
  EXPECT_NE(System.DefaultSession().GetFile("\\Variables.xml")->Content.find(">Ocean<"),
            std::string::npos);
  EXPECT_TRUE(System.DefaultSession().Exists("\\Toolbar\\print.bmp"));
  EXPECT_TRUE(Files.DefaultSession().Exists("\\one\\s1.html"));
  EXPECT_EQ(Files.DefaultSession().GetFile("\\About.html")->Content.find("by"), std::string::npos);
  EXPECT_FALSE(fs::exists(Plain / "system")); // the author's folder is left as it was
  EXPECT_FALSE(fs::exists(Plain / "About.html"));
}

// Generated sites write UTF-8; the viewer reads settings in the book's code page.
TEST_F(Vellumpack, MadeBooksAreUtf8AndAWindows1252BookSaysWhatItCannotHold) {
  // Titles in a UTF-8 page, in a Windows-1252 page, and from the command line.
  const fs::path Site = Dir / "site";
  WriteAll(Site / "index.html", "<html><head><meta charset=\"utf-8\"><title>Caf\xC3\xA9</title></head><body><ul>"
                                "<li><a href=\"a.html\">asyncio \xE2\x80\x94 I/O &#8212; &#x4E00;</a></li>"
                                "<li><a href=\"b.html\">Rapha\xEBl</a></li>"
                                "</ul></body></html>");
  WriteAll(Site / "a.html", "<html>a</html>");
  WriteAll(Site / "b.html", "<html>b</html>");
  const TProgramResult Print = Pack("build " + Site.string() + " --print-settings");
  ASSERT_EQ(Print.Status, 0) << Print.Output;
  EXPECT_NE(Print.Output.find("<System Encoding=\"UTF-8\""), std::string::npos) << Print.Output;
  EXPECT_NE(Print.Output.find("pagename=\"asyncio \xE2\x80\x94 I/O \xE2\x80\x94 \xE4\xB8\x80\""), std::string::npos)
      << Print.Output;
  EXPECT_NE(Print.Output.find("pagename=\"Rapha\xC3\xABl\""), std::string::npos) << Print.Output;
  EXPECT_NE(Print.Output.find(">Caf\xC3\xA9</Variable>"), std::string::npos) << Print.Output;
  const TProgramResult Titled = Pack("build " + Site.string() + " --print-settings --title 'Ж\xC3\xA9'");
  EXPECT_NE(Titled.Output.find(">Ж\xC3\xA9</Variable>"), std::string::npos) << Titled.Output;

  // A book of its own settings in Windows-1252: names it cannot hold are "?",
  // which the check says; what is printed is still for a UTF-8 terminal.
  const fs::path Old = Dir / "old";
  WriteAll(Old / "system" / "System.xml", "<System Story=\"Story.xml\" Variables=\"V.xml\"/>");
  WriteAll(Old / "system" / "V.xml", "<Variables><Variable Name=\"T\">\xD0\x96</Variable></Variables>");
  fs::create_directories(Old / "files");
  for (const char* Page : {"index.html", "a.html", "b.html"})
    fs::copy_file(Site / Page, Old / "files" / Page, fs::copy_options::overwrite_existing);
  const TProgramResult OldPrint = Pack("build " + Old.string() + " --print-settings");
  EXPECT_NE(OldPrint.Output.find("pagename=\"asyncio \xE2\x80\x94 I/O \xE2\x80\x94 ?\""), std::string::npos)
      << OldPrint.Output;
  EXPECT_NE(OldPrint.Output.find("pagename=\"Rapha\xC3\xABl\""), std::string::npos) << OldPrint.Output;
  const TProgramResult Check = Pack("check " + Old.string());
  EXPECT_NE(Check.Output.find("note: system/Story.xml is made in Windows-1252, which lacks characters of the name "
                              "\"asyncio \xE2\x80\x94 I/O \xE2\x80\x94 \xE4\xB8\x80\" (shown as \"?\"): declare "
                              "Encoding=\"UTF-8\" in system/System.xml\n"),
            std::string::npos)
      << Check.Output;
  EXPECT_NE(Check.Output.find("note: system/V.xml is UTF-8 text, read as Windows-1252"), std::string::npos)
      << Check.Output;
  EXPECT_EQ(Check.Output.find("Rapha"), std::string::npos) << Check.Output;
}

// The viewer asks a Windows-1252 book for its files in Windows-1252, from
// pages in either encoding; files named in UTF-8 on disk are stored so.
TEST_F(Vellumpack, AWindows1252BookNamesItsFilesInWindows1252) {
  const fs::path Old = Dir / "old";
  WriteAll(Old / "system" / "System.xml", "<System/>");
  WriteAll(Old / "files" / "index.html",
           "<html><head><meta charset=\"utf-8\"></head><body><ul><li><a href=\"caf\xC3\xA9.html\">C</a></li>"
           "<li><a href=\"\xD0\x96\xD1\x83\xD0\xBA.html\">Zh</a></li></ul></body></html>");
  WriteAll(Old / "files" / "caf\xC3\xA9.html", "<html><body><img src=\"cr\xE8me.png\"></body></html>");
  WriteAll(Old / "files" / "cr\xC3\xA8me.png", "png");
  WriteAll(Old / "files" / "\xD0\x96\xD1\x83\xD0\xBA.html", "<html>zh</html>");
  const TProgramResult Check = Pack("check " + Old.string());
  EXPECT_EQ(Check.Status, 0) << Check.Output;
  EXPECT_NE(Check.Output.find("note: files/\xD0\x96\xD1\x83\xD0\xBA.html is named with characters Windows-1252 "
                              "lacks, so the book cannot open it: declare Encoding=\"UTF-8\" in system/System.xml\n"),
            std::string::npos)
      << Check.Output;
  EXPECT_EQ(Check.Output.find("not found"), std::string::npos) << Check.Output;
  const std::string Out = (Dir / "old.bin").string();
  ASSERT_EQ(Pack("build " + Old.string() + " -o " + Out).Status, 0);
  TMFS System, Files;
  LoadBook(Out, System, Files);
  EXPECT_NE(Files.Root().GetItem("caf\xE9.html"), nullptr);
  EXPECT_NE(Files.Root().GetItem("cr\xE8me.png"), nullptr);
  EXPECT_NE(Files.Root().GetItem("\xD0\x96\xD1\x83\xD0\xBA.html"), nullptr);
  EXPECT_NE(System.DefaultSession().GetFile("\\Story.xml")->Content.find("caf\xE9.html\" pagename"), std::string::npos);
}

TEST_F(PlainFolder, CheckMakesTheSameSettingsAndNotesWhatNothingReaches) {
  const TProgramResult Check = Pack("check " + Plain.string());
  EXPECT_EQ(Check.Status, 1);
  EXPECT_NE(Check.Output.find("note: system/Story.xml is made at build time: from the contents page "
                           "index.html and the lists of contents of the pages it leads to\n"),
            std::string::npos)
      << Check.Output;
  EXPECT_NE(Check.Output.find("index.html:12: \"missing.html\" not found\n"), std::string::npos);
  EXPECT_NE(Check.Output.find("note: 1 page that no list of contents reaches is placed in the last "
                              "part of the reading order, \"Other pages\"\n"),
            std::string::npos)
      << Check.Output;
  fs::remove(Plain / "index.html");
  // Without a contents page: every page, in natural order of the names.
  for (const char* Page : {"p10.html", "p9.html"})
    WriteAll(Plain / Page, "<html></html>");
  const TProgramResult Print = Pack("build " + Plain.string() + " --print-settings");
  EXPECT_NE(Print.Output.find("<item page=\"\\aside.html\" pagename=\"T\"/>\n"
                           "  <item page=\"\\one\\ch1.html\" pagename=\"T\"/>\n"
                           "  <item page=\"\\one\\ch2.html\" pagename=\"T\"/>\n"
                           "  <item page=\"\\one\\s1.html\" pagename=\"T\"/>\n"
                           "  <item page=\"\\p9.html\" pagename=\"p9\"/>\n"
                           "  <item page=\"\\p10.html\" pagename=\"p10\"/>\n"),
            std::string::npos)
      << Print.Output;
}

TEST_F(Vellumpack, CheckFindsEveryKindOfBrokenLink) {
  const fs::path Links = Dir / "links";
  WriteAll(Links / "system" / "Story.xml",
           "<Story><item page=\"index.html\"/><item page=\"ch\\a.html\"/></Story>");
  WriteAll(Links / "files" / "index.html",
           "<html><head><link rel=stylesheet href=\"Style.CSS?v=2\"></head>\n"
           "<body><a href=\"ch/A.html#top\">a</a> <a href=\"mailto:x@y.z\">mail</a>\n"
           "<img src=\"/img/b.png\" srcset=\"img/b.png 1x, img/c.png 2x\">\n"
           "<p style=\"background: url('img/b.png')\"></p></body></html>");
  WriteAll(Links / "files" / "style.css", "body { background: url(img/b.png); }\n");
  WriteAll(Links / "files" / "ch" / "a.html", "<a href=\"../index.html\">up</a>");
  WriteAll(Links / "files" / "img" / "b.png", "png");
  WriteAll(Links / "files" / "img" / "c.png", "png");
  const TProgramResult Clean = Pack("check " + Links.string());
  EXPECT_EQ(Clean.Status, 0) << Clean.Output;
  EXPECT_NE(Clean.Output.find("8 links to book files, 1 external link not followed"),
            std::string::npos)
      << Clean.Output;

  fs::remove(Links / "files" / "img" / "b.png");
  std::string Many;
  for (int i = 0; i < 25; ++i)
    Many += "<img src=\"../gone" + std::to_string(i) + ".png\">\n";
  WriteAll(Links / "files" / "ch" / "a.html", "<a href=\"/nowhere.html\">x</a>\n" + Many);
  const TProgramResult Broken = Pack("check " + Links.string());
  EXPECT_EQ(Broken.Status, 1);
  for (const char* Line : {"files/index.html:3: \"/img/b.png\" not found (and 3 more links to it, "
                           "on 1 other page)\n",
                           "files/ch/a.html:1: \"/nowhere.html\" not found\n",
                           "files/ch/a.html:20: \"../gone18.png\" not found\n",
                           "files/ch/a.html: 6 more links not found\n", "30 problems found\n"})
    EXPECT_NE(Broken.Output.find(Line), std::string::npos) << Line << Broken.Output;
  EXPECT_EQ(Broken.Output.find("gone19"), std::string::npos);
}

// A folder of pages written from a list, and the reading order build makes of it.
class Shapes : public Vellumpack {
protected:
  struct TShape {
    const char* Name;
    std::vector<std::pair<const char*, const char*>> Pages;
    const char* Story; // the items after the contents page
  };

  std::string StoryOf(const TShape& Shape) {
    const fs::path Folder = Dir / Shape.Name;
    for (const auto& [Path, Html] : Shape.Pages)
      WriteAll(Folder / Path, Html);
    const TProgramResult Print = Pack("build " + Folder.string() + " --print-settings");
    EXPECT_EQ(Print.Status, 0) << Print.Output;
    const std::size_t Start = Print.Output.find("pagename=\"Contents\"/>\n");
    const std::size_t End = Print.Output.find("</Story>");
    return Start < End && End != std::string::npos
               ? Print.Output.substr(Start + 22, End - Start - 22)
               : Print.Output;
  }
};

// Each page is placed where the nearest list of contents names it, nested
// under the page whose list it is; what no list reaches comes last.
TEST_F(Shapes, TheReadingOrderHoldsEveryPageNestedAsItsListsAre) {
  const TShape Cases[] = {
      {"breadth_first",
       {{"index.html", "<ul><li><a href=\"a.html\">A</a></li><li><a href=\"b.html\">B</a></li></ul>"},
        {"a.html", "<ul><li><a href=\"a1.html\">A one</a></li></ul>"},
        {"a1.html", "<ul><li><a href=\"b1.html\">deeper, but read later</a></li></ul>"},
        {"b.html", "<ol><li><a href=\"b1.html\">B one</a></li></ol>"},
        {"b1.html", "b1"}},
       "  <item page=\"\\a.html\" pagename=\"A\">\n"
       "    <item page=\"\\a1.html\" pagename=\"A one\"/>\n"
       "  </item>\n"
       "  <item page=\"\\b.html\" pagename=\"B\">\n"
       "    <item page=\"\\b1.html\" pagename=\"B one\"/>\n"
       "  </item>\n"},
      // DocBook: a navigation bar first, tables of contents as dl in a marked
      // block, a part page listing its chapters and their sections again.
      {"docbook",
       {{"index.html",
         "<table class=\"navheader\"><tr><td><a accesskey=\"n\" href=\"ch1.html\">Next</a></td></tr>"
         "</table><div class=\"toc\"><dl class=\"toc\"><dt><a href=\"part1.html\">I. Part</a></dt>"
         "<dd><dl><dt><a href=\"ch1.html\">1. Chapter</a></dt><dt><a href=\"ch2.html\">2. Chapter</a>"
         "</dt></dl></dd></dl></div>"},
        {"part1.html",
         "<div class=\"toc\"><dl><dt><a href=\"ch1.html\">1. Chapter</a></dt><dd><dl><dt>"
         "<a href=\"ch1s1.html\">1.1. Section</a></dt></dl></dd></dl></div>"},
        {"ch1.html",
         "<ul class=\"nav\"><li><a href=\"ch2s1.html\">Next &raquo;</a></li>"
         "<li><a href=\"index.html\">Home</a></li></ul>"
         "<div class=\"toc\"><dl><dt><a href=\"ch1s1.html\">again</a></dt><dd><dl><dt>"
         "<a href=\"ch1s1.html#x\">1.1.1. Part of a page</a></dt></dl></dd></dl></div>"
         "<ul><li>See <a href=\"ch2s1.html\">the text's own list</a></li></ul>"},
        {"ch2.html",
         "<div class=\"toc\"><dl><dt><a href=\"ch2s1.html\">2.1. Section</a></dt></dl></div>"},
        {"ch1s1.html", "s"},
        {"ch2s1.html", "s"}},
       "  <item page=\"\\part1.html\" pagename=\"I. Part\">\n"
       "    <item page=\"\\ch1.html\" pagename=\"1. Chapter\">\n"
       "      <item page=\"\\ch1s1.html\" pagename=\"1.1. Section\"/>\n"
       "    </item>\n"
       "    <item page=\"\\ch2.html\" pagename=\"2. Chapter\">\n"
       "      <item page=\"\\ch2s1.html\" pagename=\"2.1. Section\"/>\n"
       "    </item>\n"
       "  </item>\n"},
      // A picture names nothing, nor does "Next"; the title does, else the file name.
      {"pictures",
       {{"index.html", "<ul><li><a href=\"p.html\"><img src=\"p.png\"></a></li>"
                       "<li><a href=\"q.html\"><img src=\"q.png\" alt=\"\"></a></li>"
                       "<li><a href=\"r.html\">Next</a></li></ul>"},
        {"p.html", "<title>Titled  Page</title>"},
        {"q.html", "q"},
        {"r.html", "<title>Reached by Next only</title>"},
        {"s10.html", "s"},
        {"s9.html", "s"}},
       "  <item page=\"\\p.html\" pagename=\"Titled Page\"/>\n"
       "  <item page=\"\\q.html\" pagename=\"q\"/>\n"
       "  <item pagename=\"Other pages\">\n"
       "    <item page=\"\\r.html\" pagename=\"Reached by Next only\"/>\n"
       "    <item page=\"\\s9.html\" pagename=\"s9\"/>\n"
       "    <item page=\"\\s10.html\" pagename=\"s10\"/>\n"
       "  </item>\n"},
  };
  for (const TShape& Shape : Cases)
    EXPECT_EQ(StoryOf(Shape), Shape.Story) << Shape.Name;
}

// git's documentation opens on a symbolic link; links out of the folder, and
// files the author names, stay out of the book.
TEST_F(Shapes, LinksInsideAreFollowedAndExcludedFilesLeftOut) {
  const fs::path Site = Dir / "site";
  WriteAll(Site / "git.html", "<dl><dt><a href=\"add.html\">add</a></dt><dd>adds</dd></dl>");
  WriteAll(Site / "add.html", "add");
  WriteAll(Site / "manual.pdf", "%PDF");
  WriteAll(Site / "src" / "gen.html", "source");
  WriteAll(Site / ".htaccess", "deny");
  WriteAll(Dir / "elsewhere.html", "not the book's");
  WriteAll(Site / "img" / "p.png", "png");
  fs::create_symlink("git.html", Site / "index.html");
  fs::create_symlink("../elsewhere.html", Site / "outside.html");
  fs::create_directory_symlink("img", Site / "pictures");
  fs::create_directory_symlink(".", Site / "img" / "loop");
  const std::string Exclude = " --exclude '*.pdf' --exclude src --exclude .htaccess";
  const TProgramResult Check = Pack("check " + Site.string() + Exclude);
  EXPECT_EQ(Check.Status, 0) << Check.Output;
  for (const char* Link : {"img/loop", "outside.html"})
    EXPECT_NE(Check.Output.find("note: " + std::string(Link) + " is a symbolic link out of the "
                                "folder, or into a folder holding it: left out\n"),
              std::string::npos)
        << Check.Output;
  EXPECT_NE(Check.Output.find("Book is clean: 3 pages in the reading order"), std::string::npos)
      << Check.Output; // index.html, add.html and git.html, last
  const std::string Out = (Dir / "book.bin").string();
  const TProgramResult Build =
      Pack("build " + Site.string() + Exclude + " -o " + Out + " --viewer " + VV_RESOURCE_PROBE);
  ASSERT_EQ(Build.Status, 0) << Build.Output;
  TMFS System, Files;
  LoadBook(Out, System, Files);
  EXPECT_EQ(Files.DefaultSession().GetFile("\\index.html")->Content.substr(0, 4), "<dl>");
  EXPECT_EQ(Files.DefaultSession().GetFile("\\pictures\\p.png")->Content, "png");
  for (const char* Left : {"\\manual.pdf", "\\src\\gen.html", "\\.htaccess", "\\outside.html"})
    EXPECT_FALSE(Files.DefaultSession().Exists(Left)) << Left;
}

// Whatever the pages hold, the settings made of them load in the viewer's own
// readers (check reads them so), stay small, and build refuses what they refuse.
TEST_F(Vellumpack, MadeSettingsPassTheReaders) {
  const fs::path Site = Dir / "hostile";
  std::string Deep;
  for (int i = 0; i < 20000; ++i)
    Deep += "<ul><li>";
  WriteAll(Site / "index.html",
           "<html><head><meta charset=\"utf-8\"><title>%{BookTitle} guide</title></head><body><ul>"
           "<li><a href=\"nul.html\">a" + std::string(1, '\0') + "b \xC0\x80 c</a></li>"
           "<li><a href=\"long.html\">" + std::string(300000, 'x') + "</a></li></ul>" + Deep +
           "<a href=\"deep.html\">deep</a></body></html>");
  for (const char* Page : {"nul.html", "long.html", "deep.html"})
    WriteAll(Site / Page, "page");
  const TProgramResult Check = Pack("check " + Site.string());
  EXPECT_EQ(Check.Status, 0) << Check.Output.substr(0, 2000);
  const std::string Out = (Dir / "book.bin").string();
  const TProgramResult Build = Pack("build " + Site.string() + " -o " + Out + " --viewer " +
                                    VV_RESOURCE_PROBE);
  ASSERT_EQ(Build.Status, 0) << Build.Output.substr(0, 2000);
  TMFS System, Files;
  LoadBook(Out, System, Files);
  const std::string Story = System.DefaultSession().GetFile("\\Story.xml")->Content;
  EXPECT_LT(Story.size(), 20000u);
  EXPECT_EQ(Story.find('\0'), std::string::npos);
  EXPECT_NE(Story.find("pagename=\"" + std::string(MaxPageNameLength - 3, 'x') + "...\""),
            std::string::npos);
  EXPECT_NE(Story.find("deep.html"), std::string::npos);
  EXPECT_NE(System.DefaultSession().GetFile("\\Variables.xml")->Content.find(">% {BookTitle} guide<"),
            std::string::npos);

  // A reading order without pages would open on an error: nothing is packed.
  const fs::path Empty = Dir / "empty";
  WriteAll(Empty / "notes.txt", "no pages");
  const TProgramResult Refused = Pack("build " + Empty.string() + " -o " + (Dir / "e.bin").string() +
                                      " --viewer " + VV_RESOURCE_PROBE);
  EXPECT_EQ(Refused.Status, 1);
  EXPECT_NE(Refused.Output.find("system/Story.xml: the reading order has no pages\n"),
            std::string::npos)
      << Refused.Output;
  EXPECT_NE(Refused.Output.find("1 problem found: nothing is packed"), std::string::npos);
  EXPECT_FALSE(fs::exists(Dir / "e.bin"));
}

TEST_F(Vellumpack, RunStartsThePackedBookAndRemovesIt) {
  const fs::path Temp = Dir / "tmp";
  fs::create_directories(Temp);
  // The stand-in viewer wants one argument, so without it it ends with 2.
  const TProgramResult Run = RunCapture("TMPDIR=" + Temp.string() + " " + VV_VELLUMPACK + " run " +
                              Book.string() + " --viewer " + VV_RESOURCE_PROBE);
  EXPECT_EQ(Run.Status, 2) << Run.Output;
  EXPECT_TRUE(fs::is_empty(Temp));

  // A viewer that is a script runs too; the book never has a name in the
  // temporary folder, and a signal that ends the viewer is reported as shells do.
  const fs::path Script = Dir / "viewer.sh";
  WriteAll(Script, "#!/bin/sh\necho \"ran, files left: $(ls -A \"$TMPDIR\" | wc -l)\"\nkill -TERM $$\n");
  fs::permissions(Script, fs::perms::owner_all);
  const TProgramResult Killed = RunCapture("TMPDIR=" + Temp.string() + " " + VV_VELLUMPACK + " run " +
                                           Book.string() + " --viewer " + Script.string());
  EXPECT_EQ(Killed.Status, 128 + SIGTERM) << Killed.Output;
  EXPECT_NE(Killed.Output.find("ran, files left: 0"), std::string::npos) << Killed.Output;
  EXPECT_TRUE(fs::is_empty(Temp));
}

} // namespace

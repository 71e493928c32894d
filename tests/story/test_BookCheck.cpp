#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "tools/u_BookCheck.h"

namespace fs = std::filesystem;

namespace {
// A book folder below the temporary directory, removed afterwards.
class TBookDir {
public:
  TBookDir()
      : Dir(fs::temp_directory_path() /
            ("vv_bookcheck_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::remove_all(Dir);
    fs::create_directories(Dir / "system");
    fs::create_directories(Dir / "files");
  }
  ~TBookDir() { fs::remove_all(Dir); }
  void Write(const std::string& Path, const std::string& Content) const {
    fs::create_directories((Dir / Path).parent_path());
    std::ofstream(Dir / Path, std::ios::binary) << Content;
  }
  const fs::path Dir;
};

struct TResult {
  int Code;
  std::string Out, Err;
};

TResult Check(const fs::path& Dir) {
  std::ostringstream Out, Err;
  const int Code = vv::CheckBook(Dir.string(), {}, Out, Err);
  return {Code, Out.str(), Err.str()};
}

void WriteGoodBook(const TBookDir& Book) {
  Book.Write("system/System.xml", "<System Story=\"Story.xml\" Variables=\"Variables.xml\"/>");
  Book.Write("system/Story.xml",
             "<Story Path=\"\\\"><item page=\"a.htm\"/><item page=\"sub\\b.htm\"/></Story>");
  Book.Write("system/Variables.xml", "<V><v Name=\"t\">x</v></V>");
  Book.Write("files/a.htm", "a");
  Book.Write("files/SUB/B.HTM", "b");
}
} // namespace

TEST(BookCheck, SampleBookIsClean) {
  const TResult R = Check(fs::path(VV_SOURCE_DIR) / "books" / "sample");
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Code, 0);
  EXPECT_EQ(R.Out, "Book is clean: 5 pages in the reading order, 4 variables, 6 links to book "
                   "files, 0 external links not followed\n");
}

TEST(BookCheck, CleanBookMatchesPagesWithoutRegardToCase) {
  TBookDir Book;
  WriteGoodBook(Book);
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Code, 0);
}

TEST(BookCheck, FindsBrokenPageLinksAndVariableCycles) {
  TBookDir Book;
  WriteGoodBook(Book);
  Book.Write("system/Story.xml",
             "<Story Path=\"\\\"><item page=\"a.htm\"/><item page=\"missing.htm\"/></Story>");
  Book.Write("system/Variables.xml", "<V><v Name=\"a\">%{b}</v><v Name=\"b\">%{A}</v></V>");
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Code, 1);
  EXPECT_EQ(
      R.Err,
      "system/Story.xml: page \"\\missing.htm\" (item 2 of the reading order) is not in files/\n"
      "system/Variables.xml: Cycling reference encountered during loading variable \"A\"\n"
      "2 problems found\n");
  EXPECT_EQ(R.Out, "note: files/SUB/B.HTM is reached neither by the reading order nor by any link\n");
}

TEST(BookCheck, NotesAPageListedTwiceWithoutFailing) {
  TBookDir Book;
  WriteGoodBook(Book);
  Book.Write("system/Story.xml", "<Story Path=\"\\\"><item page=\"a.htm\"/><item page=\"sub\\b.htm\"/>"
                                 "<item page=\"A.HTM\"/></Story>");
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Code, 0);
  EXPECT_EQ(R.Err, "");
  EXPECT_NE(R.Out.find("Story.xml: page \"\\A.HTM\" is listed again in item 3 (first in item 1)"),
            std::string::npos)
      << R.Out;
}

TEST(BookCheck, AStorySettingNamingAnotherFileIsOnlyANote) {
  TBookDir Book;
  WriteGoodBook(Book);
  Book.Write("system/System.xml", "<System Story=\"Reading.xml\"/>");
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Code, 0);
  EXPECT_NE(R.Out.find("note: system/System.xml: Story names \"Reading.xml\""), std::string::npos)
      << R.Out;
}

TEST(BookCheck, ReportsParserErrorsWithTheirFileAndLine) {
  TBookDir Book;
  WriteGoodBook(Book);
  Book.Write("system/System.xml",
             "<System Forms=\"forms\\Forms.xml\" ToolButtons=\"Tools.xml\" Width=\"wide\">\r\n"
             "<splash Interval=\"soon\"/></System>");
  Book.Write("system/forms/Forms.xml", "<Forms>\r\n<form\r\n Name=></Forms>");
  Book.Write("system/Story.xml", "<Story><item page=\"a.htm\"></Story>");
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Code, 1);
  EXPECT_NE(R.Err.find("system/System.xml Width: Could not convert variant of type (String) into "
                       "type (Integer)\n"),
            std::string::npos);
  EXPECT_NE(R.Err.find("system/System.xml splash: Could not convert"), std::string::npos);
  EXPECT_NE(R.Err.find("system/Story.xml: item expected on line 1\n"), std::string::npos);
  EXPECT_NE(
      R.Err.find("system/System.xml: ToolButtons names \"Tools.xml\", which is not in system/\n"),
      std::string::npos);
  EXPECT_NE(R.Err.find("system/forms/Forms.xml: String expected"), std::string::npos);
  EXPECT_NE(R.Err.find("or Identifier expected on line 3\n"), std::string::npos);
  EXPECT_NE(R.Err.find("5 problems found\n"), std::string::npos) << R.Err;
}

TEST(BookCheck, ListsEveryDuplicateVariable) {
  TBookDir Book;
  WriteGoodBook(Book);
  Book.Write("system/Variables.xml",
             "<V><v Name=\"a\">1</v><v Name=\"A\">2</v><v Name=\"b\">1</v><v Name=\"B\">2</v></V>");
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Err, "system/Variables.xml: variable \"A\" is defined more than once\n"
                   "system/Variables.xml: variable \"B\" is defined more than once\n"
                   "2 problems found\n");
}

TEST(BookCheck, MissingFoldersAndFiles) {
  const TResult Nothing = Check("/nonexistent/vellumview/book");
  EXPECT_EQ(Nothing.Code, 1);
  EXPECT_EQ(Nothing.Err, "/nonexistent/vellumview/book: Folder \"/nonexistent/vellumview/book\" "
                        "not found\n1 problem found\n");
  TBookDir Book;
  const TResult Empty = Check(Book.Dir); // settings are made, but there is nothing to read
  EXPECT_EQ(Empty.Err, "system/Story.xml: the reading order has no pages\n1 problem found\n");
  Book.Write("system/System.xml", "<System/>");
  Book.Write("system/Story.xml", "<Story><item/></Story>");
  EXPECT_EQ(Check(Book.Dir).Err,
            "system/Story.xml: the reading order has no pages\n1 problem found\n");
}

// A link above the folder is one fault among others, not the end of the check;
// what no browser fetches is no fault; a target missing everywhere is one line.
TEST(BookCheck, GoesOnPastLinksOutsideTheBookAndNamesARepeatOnce) {
  TBookDir Book;
  WriteGoodBook(Book);
  Book.Write("files/a.htm", "<a href=\"../other/index.html\">up</a>\n"
                            "<link rev=\"made\" href=\"list@host.org\"><a href=\"help@host.org\">mail</a>\n"
                            "<link rel=\"next\" href=\"gone.htm\">\n"
                            "<link rel=\"stylesheet\" href=\"gone.css\">");
  Book.Write("files/SUB/B.HTM", "<link rel=\"Stylesheet\" href=\"../Gone.css\">\n<img src=\"../../x.png\">");
  const TResult R = Check(Book.Dir);
  EXPECT_EQ(R.Err, "files/a.htm:1: \"../other/index.html\" is outside the book\n"
                   "files/a.htm:4: \"gone.css\" not found (and on 1 other page)\n"
                   "files/SUB/B.HTM:2: \"../../x.png\" is outside the book\n"
                   "4 problems found\n");
}

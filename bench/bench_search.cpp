// Whole-book search: the search window's walk (reading order, content volume,
// markup removal, case-insensitive match) against a plain memmem over the
// same page bytes, in the same run.
//
// The book is generated: VV_SEARCH_PAGES pages (default 1,000) of about 23 KB
// of HTML in chapters of 50, the rare word on three pages. VV_SEARCH_BOOK may
// name the "book" folder written by gen_corpus.py, to search that instead.
// A second book of the same words in Cyrillic letters, as UTF-8 pages, times
// a non-ASCII phrase, searched in another case than the pages hold it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string.h> // memmem
#include <string>
#include <string_view>
#include <vector>

#include "storage/u_MFS.h"
#include "story/u_Story.h"
#include "text/u_SearchText.h"

namespace {
constexpr std::string_view RareWord = "zebraquartz";
constexpr std::string_view RareWordCyrillic = "ЗебраКварц";

struct TBenchBook {
  vv::TMFS Volume;
  std::unique_ptr<vv::TStory> Story;
  std::vector<std::string_view> Pages; // page bytes in reading order, for the plain scan
  std::size_t Bytes = 0;
  bool Generated = false;
};

std::vector<std::string> Vocabulary(std::mt19937& Random) {
  std::vector<std::string> Words = {"the", "of",  "and",  "to",  "in",   "is", "was", "that",
                                    "for", "it",  "with", "as",  "his",  "on", "be",  "at",
                                    "by",  "had", "are",  "but", "from", "or"};
  const char* const Onsets[] = {"b", "c", "d", "f", "g",  "h",  "k",  "l",  "m",  "n",  "p",  "r",
                                "s", "t", "v", "w", "br", "cr", "dr", "st", "tr", "ch", "sh", "th"};
  const char* const Vowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ee", "ou"};
  const char* const Codas[] = {"", "", "n", "r", "s", "t", "l", "nd", "st", "ck", "ng"};
  while (Words.size() < 3000) {
    std::string W;
    for (int s = 0, n = 1 + static_cast<int>(Random() % 3); s < n; ++s)
      W += std::string(Onsets[Random() % std::size(Onsets)]) +
           Vowels[Random() % std::size(Vowels)] + Codas[Random() % std::size(Codas)];
    Words.push_back(W);
  }
  return Words;
}

// About 23 KB: a heading, then paragraphs of words drawn with Zipf-like weights.
std::string MakePage(std::mt19937& Random, const std::vector<std::string>& Words,
                     std::discrete_distribution<std::size_t>& Pick, int Number, bool Marker,
                     bool Utf8) {
  std::string Page = std::string("<!DOCTYPE HTML>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" "
                                 "content=\"text/html; charset=") +
                     (Utf8 ? "utf-8" : "windows-1252") + "\">\n<title>Page " +
                     std::to_string(Number) + "</title>\n</head>\n<body>\n<h1>Page " +
                     std::to_string(Number) + "</h1>\n";
  const int MarkerParagraph = Marker ? static_cast<int>(Random() % 40) : -1;
  for (int p = 0; Page.size() < 23000; ++p) {
    if (p % 10 == 0) Page += "<h2>Section " + std::to_string(p / 10 + 1) + "</h2>\n";
    std::string Text;
    while (Text.size() < 480) {
      Text += Words[Pick(Random)];
      Text += Random() % 12 ? " " : ". ";
    }
    if (p == MarkerParagraph)
      Text.insert(Text.find(' ', Text.size() / 2) + 1, std::string(Utf8 ? RareWordCyrillic : RareWord) + " ");
    Page += "<p>" + Text + "</p>\n";
    if (p % 17 == 3)
      Page +=
          "<p><img src=\"../images/pic1.png\" width=\"64\" height=\"48\" alt=\"pic1.png\"></p>\n";
  }
  return Page + "<p><a href=\"next.htm\">Next</a></p>\n</body>\n</html>\n";
}

// The same words in Cyrillic letters, two bytes each in UTF-8.
std::string InCyrillic(const std::string& Word) {
  static const char* const Letters[26] = {"а", "б", "ц", "д", "е", "ф", "г", "х", "и", "й", "к", "л", "м",
                                          "н", "о", "п", "я", "р", "с", "т", "у", "в", "ш", "ж", "ы", "з"};
  std::string Out;
  for (const char C : Word)
    Out += C >= 'a' && C <= 'z' ? Letters[C - 'a'] : std::string(1, C);
  return Out;
}

// Utf8: pages declare UTF-8 and hold Cyrillic words, the rare one capitalised.
void Generate(TBenchBook& Book, int PageCount, bool Utf8) {
  std::mt19937 Random(7);
  std::vector<std::string> Words = Vocabulary(Random);
  if (Utf8)
    for (std::string& W : Words)
      W = InCyrillic(W);
  std::vector<double> Weights;
  for (std::size_t i = 0; i < Words.size(); ++i)
    Weights.push_back(1.0 / static_cast<double>(i + 8));
  std::discrete_distribution<std::size_t> Pick(Weights.begin(), Weights.end());
  const int Markers[] = {PageCount * 137 / 1000 + 1, PageCount / 2 + 3, PageCount - 4};

  vv::TMFSSession& Session = Book.Volume.DefaultSession();
  std::string Xml = "<Story>\r\n";
  for (int m = 1; m <= PageCount; ++m) {
    const int Chapter = (m - 1) / 50 + 1;
    const std::string Folder = "\\chap" + std::to_string(Chapter);
    if ((m - 1) % 50 == 0) {
      Xml += std::string(m > 1 ? "</item>\r\n" : "") + "<item pagename=\"Chapter " +
             std::to_string(Chapter) + "\">\r\n";
      Session.ForceFolders(Folder);
    }
    const std::string Path = Folder + "\\page" + std::to_string(m) + ".htm";
    const bool Marker = m == Markers[0] || m == Markers[1] || m == Markers[2];
    Session.CreateFile(Path, 0, false)->Content = MakePage(Random, Words, Pick, m, Marker, Utf8);
    Xml += "<item page=\"" + Path + "\" pagename=\"Page " + std::to_string(m) + "\"/>\r\n";
  }
  Xml += "</item>\r\n</Story>\r\n";
  Book.Story = std::make_unique<vv::TStory>(std::make_unique<vv::TStoryLine>(Xml));
  Book.Generated = true;
}

std::string ReadWhole(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream Bytes;
  Bytes << In.rdbuf();
  return Bytes.str();
}

// A book folder as gen_corpus.py writes it: system/Story.xml and files/.
void Load(TBenchBook& Book, const std::filesystem::path& Folder) {
  vv::TMFSSession& Session = Book.Volume.DefaultSession();
  const std::filesystem::path Files = Folder / "files";
  for (const auto& Entry : std::filesystem::recursive_directory_iterator(Files)) {
    std::string Path = Entry.path().lexically_relative(Files).generic_string();
    Path.insert(0, 1, '/');
    for (char& C : Path)
      if (C == '/') C = '\\';
    if (Entry.is_directory())
      Session.ForceFolders(Path);
    else
      Session.CreateFile(Path, 0, false)->Content = ReadWhole(Entry.path());
  }
  Book.Story = std::make_unique<vv::TStory>(
      std::make_unique<vv::TStoryLine>(ReadWhole(Folder / "system" / "Story.xml")));
}

int PageCount() { return std::getenv("VV_SEARCH_PAGES") ? std::atoi(std::getenv("VV_SEARCH_PAGES")) : 1000; }

void ListPages(TBenchBook* B) {
  vv::TMFSSession& Session = B->Volume.DefaultSession();
    B->Story->First();
    for (const vv::TXMLNode* Item = B->Story->Current(); Item;
         Item = B->Story->StoryLine->NextPage(Item)) {
      const std::string& Content = Session.GetFile(vv::TStoryLine::PageOf(Item))->Content;
      B->Pages.emplace_back(Content);
      B->Bytes += Content.size();
    }
}

TBenchBook& Book() {
  static TBenchBook* const Instance = [] {
    auto* B = new TBenchBook;
    if (const char* Folder = std::getenv("VV_SEARCH_BOOK"))
      Load(*B, Folder);
    else
      Generate(*B, PageCount(), false);
    ListPages(B);
    return B;
  }();
  return *Instance;
}

// The same book in Cyrillic, as UTF-8 pages.
TBenchBook& Utf8Book() {
  static TBenchBook* const Instance = [] {
    auto* B = new TBenchBook;
    Generate(*B, PageCount(), true);
    ListPages(B);
    return B;
  }();
  return *Instance;
}

// The window's walk without the window: each item once, the file read from
// the volume, the searchable test, the match; the number of rows it would list.
int SearchBook(TBenchBook& B, std::string_view Phrase) {
  vv::TSearchPhrase Search(Phrase);
  vv::TMFSSession& Session = B.Volume.DefaultSession();
  int Rows = 0;
  B.Story->First();
  for (const vv::TXMLNode* Item = B.Story->Current(); Item;
       Item = B.Story->StoryLine->NextPage(Item)) {
    const std::string& Content = Session.GetFile(vv::TStoryLine::PageOf(Item))->Content;
    if (Item->Attributes->GetValue("searchable", true).ToBoolean() && Search.FoundInPage(Content))
      ++Rows;
  }
  return Rows;
}

void Report(benchmark::State& State, const TBenchBook& B, int Rows) {
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * B.Bytes));
  State.counters["pages"] = static_cast<double>(B.Pages.size());
  State.counters["hits"] = Rows;
}

// Times SearchBook for Phrase; Rows is checked on generated books when given.
void TimeSearch(benchmark::State& State, TBenchBook& B, std::string_view Phrase, int Rows = -1) {
  int Found = 0;
  for (auto _ : State)
    benchmark::DoNotOptimize(Found = SearchBook(B, Phrase));
  if (B.Generated && Rows >= 0 && Found != Rows) State.SkipWithError("the phrase is on other pages than it should be");
  Report(State, B, Found);
}

void BM_SearchRareWord(benchmark::State& State) { TimeSearch(State, Book(), "ZebraQuartz", 3); }
BENCHMARK(BM_SearchRareWord)->Unit(benchmark::kMillisecond);

// The floor: a case-sensitive memmem over the same page bytes, no markup removal.
void BM_MemmemRareWord(benchmark::State& State) {
  TBenchBook& B = Book();
  int Rows = 0;
  for (auto _ : State) {
    Rows = 0;
    for (const std::string_view Page : B.Pages)
      Rows += memmem(Page.data(), Page.size(), RareWord.data(), RareWord.size()) != nullptr;
    benchmark::DoNotOptimize(Rows);
  }
  Report(State, B, Rows);
}
BENCHMARK(BM_MemmemRareWord)->Unit(benchmark::kMillisecond);

// The worst usual case: a word on every page, so every page is stripped and folded.
void BM_SearchCommonWord(benchmark::State& State) { TimeSearch(State, Book(), "The"); }
BENCHMARK(BM_SearchCommonWord)->Unit(benchmark::kMillisecond);

// A non-ASCII phrase in another case than the pages hold it, over UTF-8 pages.
void BM_SearchRareWordUtf8(benchmark::State& State) { TimeSearch(State, Utf8Book(), "зебракварц", 3); }
BENCHMARK(BM_SearchRareWordUtf8)->Unit(benchmark::kMillisecond);

// A common Cyrillic word: every page is stripped and folded as Unicode.
void BM_SearchCommonWordUtf8(benchmark::State& State) { TimeSearch(State, Utf8Book(), "ТХЕ"); }
BENCHMARK(BM_SearchCommonWordUtf8)->Unit(benchmark::kMillisecond);

void BM_StripTags(benchmark::State& State) {
  TBenchBook& B = Book();
  std::string Text;
  for (auto _ : State)
    for (const std::string_view Page : B.Pages) {
      vv::StripTagsInto(Page, Text);
      benchmark::DoNotOptimize(Text.data());
    }
  Report(State, B, 0);
}
BENCHMARK(BM_StripTags)->Unit(benchmark::kMillisecond);
} // namespace

namespace {
// The match alone over the same pages, to tell its cost from the walk's.
void BM_MatchRareWord(benchmark::State& State) {
  TBenchBook& B = Book();
  vv::TSearchPhrase Search("ZebraQuartz");
  int Rows = 0;
  for (auto _ : State) {
    Rows = 0;
    for (const std::string_view Page : B.Pages)
      Rows += Search.FoundInPage(Page);
    benchmark::DoNotOptimize(Rows);
  }
  Report(State, B, Rows);
}
BENCHMARK(BM_MatchRareWord)->Unit(benchmark::kMillisecond);
} // namespace

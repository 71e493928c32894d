// The author's check of a whole book folder (reading it, making the settings
// it lacks, scanning every page and style sheet for links and resolving
// them) against only reading the same folder into a volume, in the same run.
//
// The book is written to a temporary folder: VV_CHECK_PAGES pages (default
// 2,000) of about 23 KB of HTML with a dozen links each, in chapters of 50.
// VV_CHECK_BOOK may name a book folder instead (gen_corpus.py's "book").
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/u_BookCheck.h"
#include "tools/u_MFSDiskImport.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& Path, const std::string& Bytes) {
  fs::create_directories(Path.parent_path());
  std::ofstream(Path, std::ios::binary) << Bytes;
}

std::string PageName(int Number) {
  return "chap" + std::to_string((Number - 1) / 50 + 1) + "/page" + std::to_string(Number) + ".htm";
}

std::string MakePage(int Number, int Count) {
  std::string Page = "<!DOCTYPE html>\n<html><head><title>Page " + std::to_string(Number) +
                     "</title>\n<link rel=\"stylesheet\" href=\"../style.css\"></head>\n<body>\n";
  const std::string Words = "the sea was calm and the ship sailed on through the long night ";
  for (int p = 0; Page.size() < 23000; ++p) {
    Page += "<p>";
    for (int w = 0; w < 8; ++w)
      Page += Words;
    if (p % 4 == 0)
      Page += "<a href=\"../" + PageName((Number + p) % Count + 1) + "#s" + std::to_string(p) +
              "\">see also</a> <img src=\"../images/pic" + std::to_string(p % 5) +
              ".png\" alt=\"\">";
    Page += "</p>\n";
  }
  return Page + "<p><a href=\"https://example.org/\">web</a></p>\n</body></html>\n";
}

// A book folder for the run's lifetime.
struct TBenchFolder {
  fs::path Book;
  bool Temporary = false;
  TBenchFolder() {
    if (const char* Named = std::getenv("VV_CHECK_BOOK")) {
      Book = Named;
      return;
    }
    const int Count =
        std::getenv("VV_CHECK_PAGES") ? std::atoi(std::getenv("VV_CHECK_PAGES")) : 2000;
    Book = fs::temp_directory_path() / ("vv-bench-check-" + std::to_string(::getpid()));
    Temporary = true;
    std::string Story = "<Story Path=\"\\\">\n";
    for (int m = 1; m <= Count; ++m) {
      Write(Book / "files" / PageName(m), MakePage(m, Count));
      Story += "<item page=\"" + PageName(m) + "\"/>\n";
    }
    for (int i = 0; i < 5; ++i)
      Write(Book / "files" / "images" / ("pic" + std::to_string(i) + ".png"),
            std::string(2000, 'p'));
    Write(Book / "files" / "style.css", "body { background: url(images/pic0.png) }\n");
    Write(Book / "system" / "Story.xml", Story + "</Story>\n");
    Write(Book / "system" / "System.xml", "<System Story=\"Story.xml\"/>\n");
  }
  ~TBenchFolder() {
    if (Temporary) fs::remove_all(Book);
  }
};

const fs::path& Book() {
  static const TBenchFolder Folder;
  return Folder.Book;
}

void BM_CheckBook(benchmark::State& State) {
  const fs::path& Folder = Book();
  for (auto _ : State) {
    std::ostringstream Out, Err;
    const int Status = vv::CheckBook(Folder.string(), {}, Out, Err);
    if (Status != 0) State.SkipWithError(("the book should be clean: " + Err.str()).c_str());
  }
}
BENCHMARK(BM_CheckBook)->Unit(benchmark::kMillisecond);

// The floor: reading the same files into volumes, nothing looked at.
void BM_ReadBookFolder(benchmark::State& State) {
  const fs::path& Folder = Book();
  for (auto _ : State) {
    vv::TMFS System, Files;
    vv::ImportFolderFromDisk((Folder / "system").string(), System.Root());
    vv::ImportFolderFromDisk((Folder / "files").string(), Files.Root());
    benchmark::DoNotOptimize(Files.Root().Children.Count());
  }
}
BENCHMARK(BM_ReadBookFolder)->Unit(benchmark::kMillisecond);

} // namespace

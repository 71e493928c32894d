// Packing a book as an author does: "vellumpack build" in a child process,
// its wall time and peak memory, against deflating the same container bytes
// with zlib (level 6, one thread, no blocks) in the same run.
//
// The book is gen_corpus.py's (VV_PACK_PAGES pages, default 2,000, about
// 47 MB), written to a temporary folder; VV_PACK_BOOK may name a book folder.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/u_MFSDiskImport.h"

namespace fs = std::filesystem;

namespace {

struct TBenchBook {
  fs::path Dir, Book, Out;
  std::uint64_t Bytes = 0;
  bool Temporary = false;

  TBenchBook() {
    Dir = fs::temp_directory_path() / ("vv-bench-pack-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Out = Dir / "book.bin";
    if (const char* Named = std::getenv("VV_PACK_BOOK")) {
      Book = Named;
    } else {
      const char* Pages = std::getenv("VV_PACK_PAGES");
      const std::string Command = "python3 " VV_GEN_CORPUS " " + std::string(Pages ? Pages : "2000") +
                                  " " + (Dir / "corpus").string() + " --no-compile >/dev/null";
      if (std::system(Command.c_str()) != 0) return;
      Book = Dir / "corpus" / "book";
    }
    for (const auto& Entry : fs::recursive_directory_iterator(Book))
      if (Entry.is_regular_file()) Bytes += Entry.file_size();
  }
  ~TBenchBook() { fs::remove_all(Dir); }
};

const TBenchBook& Book() {
  static const TBenchBook Folder;
  return Folder;
}

// Runs vellumpack on the book; false when it fails. MaxRssKiB: its peak memory.
bool Pack(const TBenchBook& B, long& MaxRssKiB) {
  const pid_t Child = ::fork();
  if (Child == 0) {
    const int Null = ::open("/dev/null", O_WRONLY);
    ::dup2(Null, STDOUT_FILENO);
    ::dup2(Null, STDERR_FILENO);
    ::execl(VV_VELLUMPACK, VV_VELLUMPACK, "build", B.Book.c_str(), "-o", B.Out.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int Status = 0;
  rusage Usage{};
  if (Child < 0 || ::wait4(Child, &Status, 0, &Usage) != Child) return false;
  MaxRssKiB = Usage.ru_maxrss;
  return WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
}

void BM_PackBook(benchmark::State& State) {
  const TBenchBook& B = Book();
  if (B.Bytes == 0) State.SkipWithError("no book: gen_corpus.py failed and VV_PACK_BOOK is unset");
  long MaxRss = 0;
  for (auto _ : State)
    if (!Pack(B, MaxRss)) State.SkipWithError("vellumpack build failed");
  State.SetBytesProcessed(static_cast<std::int64_t>(B.Bytes * State.iterations()));
  State.counters["peak_rss_per_folder_byte"] =
      static_cast<double>(MaxRss) * 1024 / static_cast<double>(B.Bytes);
  State.counters["folder_mb"] = static_cast<double>(B.Bytes) / 1e6;
}
BENCHMARK(BM_PackBook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The baseline: the book's content container deflated once, as one stream.
void BM_DeflateBookLevel6(benchmark::State& State) {
  const TBenchBook& B = Book();
  if (B.Bytes == 0) State.SkipWithError("no book: gen_corpus.py failed and VV_PACK_BOOK is unset");
  vv::TMFS Files;
  vv::ImportFolderFromDisk((B.Book / "files").string(), Files.Root());
  const std::string Container = Files.SaveToString();
  std::vector<Bytef> Out(compressBound(Container.size()));
  for (auto _ : State) {
    uLongf Size = Out.size();
    compress2(Out.data(), &Size, reinterpret_cast<const Bytef*>(Container.data()),
              Container.size(), 6);
    benchmark::DoNotOptimize(Size);
  }
}
BENCHMARK(BM_DeflateBookLevel6)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

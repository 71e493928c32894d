// The core serving path: Start + Read of 10,000 requests for 10 KB files from
// a volume, against a memcpy of the same bytes measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/u_MFSInternetProtocol.h"

namespace {
constexpr int FileCount = 10000;
constexpr std::size_t FileSize = 10 * 1024;

struct Book {
  Book() {
    auto& S = Volume.DefaultSession();
    std::uint32_t X = 12345;
    for (int i = 0; i < FileCount; ++i) {
      const std::string Folder = "\\chap" + std::to_string(i / 50);
      S.ForceFolders(Folder);
      std::string Bytes(FileSize, '\0');
      for (auto& C : Bytes) {
        X = X * 1103515245u + 12345u;
        C = static_cast<char>(X >> 24);
      }
      S.CreateMFSFile(Folder + "\\page" + std::to_string(i) + ".htm", 0, false)->Content = std::move(Bytes);
      Urls.push_back(u"mfs:\\chap" + Wide(i / 50) + u"\\page" + Wide(i) + u".htm");
    }
  }
  static std::u16string Wide(int N) {
    const std::string S = std::to_string(N);
    return std::u16string(S.begin(), S.end());
  }
  vv::TMFS Volume;
  std::vector<std::u16string> Urls;
};

Book& TheBook() {
  static Book B;
  return B;
}

class NullSink : public vv::TInternetProtocolSink {
public:
  void ReportData(std::uint32_t, std::uint32_t, std::uint32_t) override {}
  void ReportResult(vv::HRESULT, std::uint32_t, const char16_t*) override {}
};

void BM_ProtocolMemcpy(benchmark::State& State) {
  // The very bytes the requests serve: every file's content in the volume.
  Book& B = TheBook();
  std::vector<const std::string*> Sources;
  for (int i = 0; i < FileCount; ++i)
    Sources.push_back(&B.Volume.DefaultSession()
                           .GetFile("\\chap" + std::to_string(i / 50) + "\\page" + std::to_string(i) + ".htm")
                           ->Content);
  std::vector<char> Target(FileSize);
  for (auto _ : State) {
    for (const std::string* S : Sources) {
      std::memcpy(Target.data(), S->data(), FileSize);
      benchmark::DoNotOptimize(Target.data());
      benchmark::ClobberMemory();
    }
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * FileCount * FileSize));
}
BENCHMARK(BM_ProtocolMemcpy)->Unit(benchmark::kMillisecond);

void BM_ProtocolStartRead(benchmark::State& State) {
  Book& B = TheBook();
  vv::TMFSInternetProtocol Handler("mfs", &B.Volume);
  NullSink Sink;
  std::vector<char> Target(FileSize);
  for (auto _ : State) {
    for (const auto& Url : B.Urls) {
      vv::TCustomInternetProtocol P;
      if (P.Start(Url, &Sink, nullptr, 0, 0) != vv::VV_S_OK)
        State.SkipWithError("Start failed");
      std::uint32_t Got = 0;
      while (P.Read(Target.data(), static_cast<std::uint32_t>(Target.size()), &Got) == vv::VV_E_PENDING)
        ;
      benchmark::DoNotOptimize(Target.data());
      benchmark::ClobberMemory();
    }
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * FileCount * FileSize));
}
BENCHMARK(BM_ProtocolStartRead)->Unit(benchmark::kMillisecond);
} // namespace

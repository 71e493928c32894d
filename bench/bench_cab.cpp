// Unpacking a book archive into a volume against plain zlib inflating the same
// container, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <zlib.h>

#include "storage/u_MFSCabLoad.h"
#include "platform/u_CabWriter.h"

namespace {
constexpr int FileCount = 10000;
constexpr std::size_t FileSize = 10 << 10; // 10,000 files of 10 KiB: about 100 MB

// Half the files HTML-like text, half incompressible picture-like bytes.
const vv::TMFS& Book() {
  static const vv::TMFS* const Volume = [] {
    auto* V = new vv::TMFS;
    auto& S = V->DefaultSession();
    std::uint32_t X = 2463534242u;
    const char* const Words[] = {"the ", "reader ", "walks ", "<p>", "chapter ", "</p>\r\n", "page ", "book "};
    for (int i = 0; i < FileCount; ++i) {
      const std::string Folder = "\\chap" + std::to_string(i / 50);
      S.ForceFolders(Folder);
      std::string Content;
      Content.reserve(FileSize);
      while (Content.size() < FileSize) {
        X ^= X << 13, X ^= X >> 17, X ^= X << 5;
        if (i % 2)
          Content += static_cast<char>(X);
        else
          Content += Words[X % 8];
      }
      Content.resize(FileSize);
      S.CreateMFSFile(Folder + "\\file" + std::to_string(i) + (i % 2 ? ".png" : ".htm"), 0, false)->Content = Content;
    }
    return V;
  }();
  return *Volume;
}

const std::string& Cabinet() {
  static const std::string Bytes =
      vv::WriteCabinet({vv::TCabMember{"info.mfs", Book().SaveToString()}}, vv::TCabCompression::MSZIP);
  return Bytes;
}

const std::string& Container() {
  static const std::string Bytes = Book().SaveToString();
  return Bytes;
}

const std::string& Deflated() {
  static const std::string Bytes = [] {
    uLongf Size = compressBound(Container().size());
    std::string Out(Size, '\0');
    compress2(reinterpret_cast<Bytef*>(Out.data()), &Size, reinterpret_cast<const Bytef*>(Container().data()),
              Container().size(), Z_DEFAULT_COMPRESSION);
    Out.resize(Size);
    return Out;
  }();
  return Bytes;
}

void BM_LoadVolumeFromCabinet(benchmark::State& State) {
  for (auto _ : State) {
    vv::TMFS Volume;
    vv::LoadVolumeFromCabinet(Volume, Cabinet());
    benchmark::DoNotOptimize(&Volume.Root());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Container().size()));
}
BENCHMARK(BM_LoadVolumeFromCabinet)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State& State) {
  for (auto _ : State) {
    std::string Out(Container().size(), '\0');
    uLongf Size = Out.size();
    uncompress(reinterpret_cast<Bytef*>(Out.data()), &Size, reinterpret_cast<const Bytef*>(Deflated().data()),
               Deflated().size());
    benchmark::DoNotOptimize(Out.data());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Container().size()));
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
} // namespace

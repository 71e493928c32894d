// Container checksum and load throughput, each against a plain memcpy of the
// same bytes measured in the same run; peak heap while loading against the
// container plus the resulting tree.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "storage/u_MFS.h"

namespace {
std::atomic<std::size_t> LiveBytes{0}, PeakBytes{0};
} // namespace

// Counting allocator: the size is stored in front of every block.
void* operator new(std::size_t Size) {
  auto* Block = static_cast<std::size_t*>(std::malloc(Size + sizeof(std::max_align_t)));
  if (!Block)
    throw std::bad_alloc();
  *Block = Size;
  const std::size_t Now = LiveBytes += Size;
  for (std::size_t Peak = PeakBytes; Now > Peak && !PeakBytes.compare_exchange_weak(Peak, Now);)
    ;
  return reinterpret_cast<char*>(Block) + sizeof(std::max_align_t);
}
void operator delete(void* P) noexcept {
  if (!P)
    return;
  auto* Block = reinterpret_cast<std::size_t*>(static_cast<char*>(P) - sizeof(std::max_align_t));
  LiveBytes -= *Block;
  std::free(Block);
}
void operator delete(void* P, std::size_t) noexcept { operator delete(P); }

namespace {
constexpr std::size_t TotalBytes = 100u << 20;
constexpr int FileCount = 10000;

const std::string& Payload() {
  static const std::string Bytes = [] {
    std::string B(TotalBytes, '\0');
    std::uint32_t X = 12345;
    for (auto& C : B) {
      X = X * 1103515245u + 12345u;
      C = static_cast<char>(X >> 24);
    }
    return B;
  }();
  return Bytes;
}

const std::string& Container() {
  static const std::string Bytes = [] {
    vv::TMFS Volume;
    auto& S = Volume.DefaultSession();
    const std::size_t Each = TotalBytes / FileCount;
    for (int i = 0; i < FileCount; ++i) {
      const std::string Folder = "\\chap" + std::to_string(i / 50);
      S.ForceFolders(Folder);
      S.CreateMFSFile(Folder + "\\page" + std::to_string(i) + ".htm", 0, false)->Content =
          Payload().substr(static_cast<std::size_t>(i) * Each, Each);
    }
    return Volume.SaveToString();
  }();
  return Bytes;
}

void BM_Memcpy(benchmark::State& State) {
  const std::string& Source = Payload();
  std::string Target(Source.size(), '\0');
  for (auto _ : State) {
    std::memcpy(Target.data(), Source.data(), Source.size());
    benchmark::DoNotOptimize(Target.data());
    benchmark::ClobberMemory();
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Source.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The same copy into freshly allocated memory, as a load must produce a new tree.
void BM_CopyToFreshMemory(benchmark::State& State) {
  const std::string& Source = Payload();
  for (auto _ : State) {
    std::string Target(Source);
    benchmark::DoNotOptimize(Target.data());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Source.size()));
}
BENCHMARK(BM_CopyToFreshMemory)->Unit(benchmark::kMillisecond);

void BM_MFSChecksum(benchmark::State& State) {
  const std::string& Source = Payload();
  for (auto _ : State)
    benchmark::DoNotOptimize(vv::MFSChecksum(Source));
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Source.size()));
}
BENCHMARK(BM_MFSChecksum)->Unit(benchmark::kMillisecond);

void BM_LoadFromString(benchmark::State& State) {
  const std::string& Bytes = Container();
  double PeakRatio = 0;
  for (auto _ : State) {
    vv::TMFS Volume;
    const std::size_t Before = LiveBytes;
    PeakBytes = Before;
    Volume.LoadFromString(Bytes);
    const std::size_t Tree = LiveBytes - Before;
    // Extra heap beyond the tree itself while loading, in bytes of the container.
    PeakRatio = static_cast<double>(PeakBytes - Before - Tree) / static_cast<double>(Bytes.size());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Bytes.size()));
  State.counters["peak_extra_per_container_byte"] = PeakRatio;
}
BENCHMARK(BM_LoadFromString)->Unit(benchmark::kMillisecond);
} // namespace

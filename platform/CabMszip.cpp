// MSZIP folders decoded with libdeflate, two cores at a time, where the blocks
// allow it, and with zlib where a block needs the one before it.
#include "platform/CabMszip.h"
#include "text/u_Utils.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace vv {

namespace {

constexpr std::uint32_t BlockMax = 32768;          // unpacked bytes of one MSZIP block
constexpr std::uint32_t InputMax = BlockMax + 6144; // packed bytes one block may take
constexpr std::uint32_t HeaderBytes = 8;            // checksum, packed size, unpacked size
// Blocks read and decoded together: about 2 MiB out, small enough to stay in cache.
constexpr std::uint32_t BatchBlocks = 64;

struct TBlock {
  const unsigned char* Header;
  std::uint32_t Packed;
  std::uint32_t Unpacked;
  bool Damaged = false; // checksum mismatch or no "CK"
  bool Decoded = false;
};

bool Intact(const TBlock& B) {
  const unsigned char* Data = B.Header + HeaderBytes;
  if (Data[0] != 'C' || Data[1] != 'K')
    return false;
  const std::uint32_t Stored = LoadLE32(B.Header);
  // A zero checksum means none was written; the sizes are covered after the data.
  return Stored == 0 || CabChecksum(B.Header + 4, 4, CabChecksum(Data, B.Packed, 0)) == Stored;
}

// zlib for the blocks that need the block before them as history.
class TInflater {
public:
  TInflater() { Ready = inflateInit2(&Stream, -MAX_WBITS) == Z_OK; }
  ~TInflater() {
    if (Ready)
      inflateEnd(&Stream);
  }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  // The block must fill exactly its unpacked size and end exactly with its data.
  bool Decode(const TBlock& B, unsigned char* Out, const unsigned char* History, std::uint32_t HistorySize) {
    if (!Ready || inflateReset(&Stream) != Z_OK)
      return false;
    if (History && inflateSetDictionary(&Stream, History, HistorySize) != Z_OK)
      return false;
    Stream.next_in = const_cast<unsigned char*>(B.Header + HeaderBytes + 2);
    Stream.avail_in = B.Packed - 2;
    Stream.next_out = Out;
    Stream.avail_out = B.Unpacked;
    return inflate(&Stream, Z_FINISH) == Z_STREAM_END && Stream.avail_out == 0 && Stream.avail_in == 0;
  }

private:
  z_stream Stream{};
  bool Ready = false;
};

// libdeflate inflates about twice as fast as zlib but knows no history: it
// takes the blocks that stand alone.
class TFastInflater {
public:
  TFastInflater() : Decompressor(libdeflate_alloc_decompressor()) {}
  ~TFastInflater() { libdeflate_free_decompressor(Decompressor); }
  TFastInflater(const TFastInflater&) = delete;
  TFastInflater& operator=(const TFastInflater&) = delete;

  // False also for a block that refers back past its own start.
  bool Decode(const TBlock& B, unsigned char* Out) {
    std::size_t In = 0, Produced = 0;
    return Decompressor &&
           libdeflate_deflate_decompress_ex(Decompressor, B.Header + HeaderBytes + 2, B.Packed - 2, Out, B.Unpacked,
                                            &In, &Produced) == LIBDEFLATE_SUCCESS &&
           In == B.Packed - 2 && Produced == B.Unpacked;
  }

private:
  libdeflate_decompressor* const Decompressor;
};

// Checks and decodes each block as if it needed no history; a block that
// refers back past its own start fails here and is decoded again later.
void DecodeAlone(TBlock* Blocks, std::uint32_t Count, unsigned char* Slots) {
  TFastInflater Inflater;
  for (std::uint32_t I = 0; I < Count; ++I) {
    Blocks[I].Damaged = !Intact(Blocks[I]);
    if (!Blocks[I].Damaged)
      Blocks[I].Decoded = Inflater.Decode(Blocks[I], Slots + std::size_t{I} * BlockMax);
  }
}

std::atomic<bool> CallerThreadOnly = false;

bool OtherThreadsAllowed() {
  static const bool TwoCores = std::thread::hardware_concurrency() > 1;
  return TwoCores && !CallerThreadOnly.load(std::memory_order_relaxed);
}

void DecodeBatch(TBlock* Blocks, std::uint32_t Count, unsigned char* Slots) {
  if (OtherThreadsAllowed() && Count > 1) {
    const std::uint32_t Half = Count / 2;
    try {
      std::thread Helper(DecodeAlone, Blocks + Half, Count - Half, Slots + std::size_t{Half} * BlockMax);
      DecodeAlone(Blocks, Half, Slots);
      Helper.join();
      return;
    } catch (const std::system_error&) {
      // No second thread to be had: this one decodes the whole batch.
    }
  }
  DecodeAlone(Blocks, Count, Slots);
}

// Reads the headers and data of Count blocks into In; false when a block is
// malformed for this decoder or the data cannot be read.
bool ReadBatch(const TMszipRead& Read, TBlock* Blocks, std::uint32_t Count, bool EndsFolder, unsigned char* In) {
  for (std::uint32_t I = 0; I < Count; ++I) {
    if (!Read(In, HeaderBytes))
      return false;
    const std::uint32_t Packed = LoadLE16(In + 4);
    const std::uint32_t Unpacked = LoadLE16(In + 6);
    // Every block but the folder's last unpacks to a whole 32 KiB frame.
    const bool Last = EndsFolder && I + 1 == Count;
    if (Packed < 2 || Packed > InputMax || Unpacked == 0 || Unpacked > BlockMax || (!Last && Unpacked != BlockMax))
      return false;
    if (!Read(In + HeaderBytes, Packed))
      return false;
    Blocks[I] = TBlock{In, Packed, Unpacked};
    In += HeaderBytes + Packed;
  }
  return true;
}

} // namespace

struct TMszipFolderReader::TBatch {
  // Not value-initialised: every byte is written before it is read.
  std::unique_ptr<unsigned char[]> In{new unsigned char[BatchBlocks * (HeaderBytes + InputMax)]};
  std::unique_ptr<unsigned char[]> Out{new unsigned char[BatchBlocks * BlockMax]};
  TBlock Blocks[BatchBlocks];
  std::uint32_t Count = 0;
  bool Readable = true; // every block of the batch could be read and is well-formed
  std::thread Decoding;  // fills Out while it runs
  bool Waiting = false;  // read, and decoded only when it is asked for

  void Join() {
    if (Decoding.joinable()) Decoding.join();
  }
};

TMszipFolderReader::TMszipFolderReader(TMszipRead Read, std::uint32_t Blocks)
    : FRead(std::move(Read)), FBlocks(Blocks), FCurrent(std::make_unique<TBatch>()),
      FAhead(std::make_unique<TBatch>()) {}

TMszipFolderReader::~TMszipFolderReader() {
  FAhead->Join();
}

// Reads the folder's next batch and sets it decoding where other threads may
// take it; false at the folder's end.
bool TMszipFolderReader::Start(TBatch& Batch) {
  Batch.Count = std::min(BatchBlocks, FBlocks - FStarted);
  if (Batch.Count == 0) return false;
  FStarted += Batch.Count;
  Batch.Readable = ReadBatch(FRead, Batch.Blocks, Batch.Count, FStarted == FBlocks, Batch.In.get());
  if (Batch.Readable) {
    try {
      if (OtherThreadsAllowed()) {
        Batch.Decoding = std::thread(DecodeBatch, Batch.Blocks, Batch.Count, Batch.Out.get());
        return true;
      }
    } catch (const std::system_error&) {
      // No thread to be had: the caller's thread decodes it.
    }
    Batch.Waiting = true;
  }
  return true;
}

// Decodes, in order, the blocks that need the block before them; FCurrent
// still holds the batch before, whose last block may be that history.
void TMszipFolderReader::Finish(TBatch& Batch) {
  Batch.Join();
  if (Batch.Waiting) {
    DecodeBatch(Batch.Blocks, Batch.Count, Batch.Out.get());
    Batch.Waiting = false;
  }
  FDeclined = !Batch.Readable;
  std::unique_ptr<TInflater> Inflater;
  for (std::uint32_t I = 0; I < Batch.Count && !FDeclined; ++I) {
    const TBlock& Block = Batch.Blocks[I];
    if (Block.Damaged) {
      FDeclined = true;
    } else if (!Block.Decoded) {
      const TBatch& Before = I ? Batch : *FCurrent;
      const std::uint32_t J = I ? I - 1 : Before.Count - 1; // the block before, in its batch
      const std::uint32_t PreviousSize = Before.Count ? Before.Blocks[J].Unpacked : 0;
      const unsigned char* Previous =
          PreviousSize ? Before.Out.get() + std::size_t{J} * BlockMax : nullptr;
      if (!Inflater) Inflater = std::make_unique<TInflater>();
      FDeclined =
          !PreviousSize || !Inflater->Decode(Block, Batch.Out.get() + std::size_t{I} * BlockMax,
                                             Previous, PreviousSize);
    }
  }
}

std::string_view TMszipFolderReader::Next() {
  if (FDeclined) return {};
  if (FStarted == 0 && !Start(*FAhead)) return {};
  if (FAhead->Count == 0) return {}; // the folder is done
  Finish(*FAhead);
  if (FDeclined) return {};
  std::swap(FCurrent, FAhead);
  std::size_t Bytes = 0;
  for (std::uint32_t I = 0; I < FCurrent->Count; ++I)
    Bytes += FCurrent->Blocks[I].Unpacked;
  // The batch after this one decodes while the caller takes this one.
  Start(*FAhead);
  return {reinterpret_cast<const char*>(FCurrent->Out.get()), Bytes};
}

namespace {

TMszipResult Decode(const TMszipRead& Read, const TMszipWrite& Write, std::uint32_t BlockCount,
                    std::uint32_t Offset, std::uint32_t Length) {
  const std::uint64_t End = std::uint64_t{Offset} + Length;
  TMszipFolderReader Folder(Read, BlockCount);
  std::uint64_t Position = 0; // unpacked bytes of the folder before the batch
  while (Position < End) {
    const std::string_view Batch = Folder.Next();
    if (Batch.empty())
      return TMszipResult::Declined; // damaged, unusual, or the folder ends before the member does
    const std::uint64_t From = std::max(Position, std::uint64_t{Offset});
    const std::uint64_t To = std::min(Position + Batch.size(), End);
    if (From < To &&
        !Write(Batch.data() + (From - Position), static_cast<std::uint32_t>(To - From)))
      return TMszipResult::WriteFailed;
    Position += Batch.size();
  }
  return TMszipResult::Done;
}

} // namespace

void SetMszipCallerThreadOnly(bool Only) { CallerThreadOnly = Only; }

TMszipResult DecodeMszipMember(const TMszipRead& Read, const TMszipWrite& Write, std::uint32_t Blocks,
                               std::uint32_t Offset, std::uint32_t Length) {
  try {
    return Decode(Read, Write, Blocks, Offset, Length);
  } catch (const std::bad_alloc&) {
    return TMszipResult::Declined; // the general decoder reports the shortage its own way
  }
}

} // namespace vv

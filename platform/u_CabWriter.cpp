// Cabinet writing with zlib: member bytes gathered into 32 KiB data blocks,
// rounds of blocks deflated on several threads and written in order.
#include "platform/u_CabWriter.h"

#include "platform/CabMszip.h"

#include <zlib.h>

#include <algorithm>
#include <future>
#include <memory>
#include <thread>

namespace vv {

namespace {

constexpr std::size_t BlockSize = 32768; // a data block's input; MSZIP's window too
constexpr std::size_t BlocksPerTask = 32; // one thread's share of a round
constexpr std::uint32_t MaxBlocks = 0xFFFF; // the folder's block count has 16 bits
constexpr std::size_t HeaderSize = 36, FolderSize = 8, BlockHeadSize = 8;
// Every block stands alone, so readers can inflate blocks in parallel; level 5
// packs within 0.5% of level 6 at a third more speed (docs/cabinets.md).
constexpr int DeflateLevel = 5;

[[noreturn]] void Fail(const std::string& What) {
  throw ECabWriterError("Cannot write cabinet: " + What);
}

// The data block checksum, as readers check it.
std::uint32_t BlockChecksum(std::string_view Bytes, std::uint32_t Seed) {
  return CabChecksum(reinterpret_cast<const unsigned char*>(Bytes.data()), static_cast<std::uint32_t>(Bytes.size()),
                     Seed);
}

// One thread's MSZIP coder, reused from block to block.
class TDeflater {
public:
  TDeflater() {
    if (deflateInit2(&Z, DeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      Fail("out of memory");
  }
  ~TDeflater() { deflateEnd(&Z); }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  // Appends "CK" and Input as one whole deflate stream that refers to
  // nothing before it.
  void Encode(std::string_view Input, std::string& Out) {
    deflateReset(&Z);
    Out += "CK";
    const std::size_t Start = Out.size();
    const uLong Bound = deflateBound(&Z, static_cast<uLong>(Input.size()));
    Out.resize(Start + Bound);
    Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Input.data()));
    Z.avail_in = static_cast<uInt>(Input.size());
    Z.next_out = reinterpret_cast<Bytef*>(Out.data() + Start);
    Z.avail_out = static_cast<uInt>(Bound);
    if (deflate(&Z, Z_FINISH) != Z_STREAM_END) Fail("deflate failed");
    Out.resize(Start + Bound - Z.avail_out);
  }

private:
  z_stream Z{};
};

// Appends the data block of Input: checksum, sizes, then the bytes as stored.
void AppendBlock(TCabCompression Compression, TDeflater& Deflater, std::string_view Input, std::string& Out) {
  const std::size_t Head = Out.size();
  Out.append(BlockHeadSize, '\0');
  if (Compression == TCabCompression::MSZIP)
    Deflater.Encode(Input, Out);
  else
    Out += Input;
  const std::string_view Data = std::string_view(Out).substr(Head + BlockHeadSize);
  std::string Sizes;
  AppendLE(Sizes, Data.size(), 2);
  AppendLE(Sizes, Input.size(), 2);
  std::string Checksum;
  AppendLE(Checksum, BlockChecksum(Sizes, BlockChecksum(Data, 0)), 4);
  Out.replace(Head, BlockHeadSize, Checksum + Sizes);
}

// The folder's data blocks, made from the member bytes written into it.
class TFolderWriter : public TSinkStream {
public:
  TFolderWriter(TStream& Out, TCabCompression Compression, const TCabProgress& Progress)
      : Out(Out), Compression(Compression), Progress(Progress),
        Threads(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)) {
    Buffer.reserve(RoundSize());
    for (unsigned i = 0; i < Threads; ++i)
      Deflaters.push_back(std::make_unique<TDeflater>());
  }

  // Writes what is left as the last, shorter block.
  void Finish() {
    if (!Buffer.empty()) WriteRound();
  }
  [[nodiscard]] std::uint32_t Blocks() const { return BlockCount; }

protected:
  void Take(std::string_view Bytes) override {
    while (!Bytes.empty()) {
      const std::size_t Room = RoundSize() - Buffer.size();
      Buffer.append(Bytes.substr(0, Room));
      Bytes.remove_prefix(std::min(Room, Bytes.size()));
      if (Buffer.size() == RoundSize()) WriteRound();
    }
  }

private:
  [[nodiscard]] std::size_t RoundSize() const { return Threads * BlocksPerTask * BlockSize; }

  // Encodes the blocks of one thread's share.
  void EncodeTask(std::size_t Task, std::size_t FirstBlock, std::size_t EndBlock,
                  std::string& Encoded) {
    Encoded.reserve((EndBlock - FirstBlock) * (BlockSize + 64));
    for (std::size_t B = FirstBlock; B < EndBlock; ++B) {
      const std::size_t Begin = B * BlockSize;
      const std::size_t End = std::min(Begin + BlockSize, Buffer.size());
      AppendBlock(Compression, *Deflaters[Task], std::string_view(Buffer).substr(Begin, End - Begin), Encoded);
    }
  }

  void WriteRound() {
    const std::size_t Input = Buffer.size();
    const std::size_t Count = (Input + BlockSize - 1) / BlockSize;
    if (BlockCount + Count > MaxBlocks) Fail("more than 2 GiB of member data");
    const std::size_t PerTask = (Count + Threads - 1) / Threads;
    std::vector<std::string> Encoded(Threads);
    std::vector<std::future<void>> Others;
    for (std::size_t T = 1; T < Threads && T * PerTask < Count; ++T)
      Others.push_back(std::async(std::launch::async, [&, T] {
        EncodeTask(T, T * PerTask, std::min(Count, (T + 1) * PerTask), Encoded[T]);
      }));
    EncodeTask(0, 0, std::min(Count, PerTask), Encoded[0]);
    for (std::future<void>& Other : Others)
      Other.get();
    for (const std::string& Part : Encoded)
      Out.WriteBytes(Part);
    BlockCount += static_cast<std::uint32_t>(Count);
    Done += Input;
    if (Progress) Progress(Done);
    Buffer.clear();
  }

  TStream& Out;
  const TCabCompression Compression;
  const TCabProgress& Progress;
  const unsigned Threads;
  std::vector<std::unique_ptr<TDeflater>> Deflaters; // one per thread
  std::string Buffer; // the round's input
  std::uint32_t BlockCount = 0;
  std::uint64_t Done = 0;
};

// Header, folder and member records; their length does not depend on the values.
std::string CabinetHead(const std::vector<TCabMemberSource>& Members,
                        const std::vector<std::uint64_t>& Sizes, std::uint32_t Blocks,
                        std::uint64_t CabinetSize, TCabCompression Compression) {
  std::string Records;
  std::uint64_t Offset = 0;
  for (std::size_t i = 0; i < Members.size(); ++i) {
    const TCabMemberSource& M = Members[i];
    AppendLE(Records, Sizes[i], 4);
    AppendLE(Records, Offset, 4);
    AppendLE(Records, 0, 2); // folder index
    AppendLE(Records, M.DosDateTime >> 16, 2);
    AppendLE(Records, M.DosDateTime & 0xFFFF, 2);
    AppendLE(Records, M.Attributes, 2);
    Records += M.Name;
    Records += '\0';
    Offset += Sizes[i];
  }
  std::string Head = "MSCF";
  AppendLE(Head, 0, 4);
  AppendLE(Head, CabinetSize, 4);
  AppendLE(Head, 0, 4);
  AppendLE(Head, HeaderSize + FolderSize, 4); // first member record
  AppendLE(Head, 0, 4);
  AppendLE(Head, 0x0103, 2); // version 1.3
  AppendLE(Head, 1, 2);      // folders
  AppendLE(Head, Members.size(), 2);
  AppendLE(Head, 0, 6); // flags, set id, index in the set
  AppendLE(Head, HeaderSize + FolderSize + Records.size(), 4); // first data block
  AppendLE(Head, Blocks, 2);
  AppendLE(Head, Compression == TCabCompression::MSZIP ? 1 : 0, 2);
  return Head + Records;
}

} // namespace

void WriteCabinet(TStream& Out, const std::vector<TCabMemberSource>& Members,
                  TCabCompression Compression, const TCabProgress& Progress) {
  if (Members.size() > 0xFFFF) Fail("more than 65535 members");
  for (const TCabMemberSource& M : Members)
    if (M.Name.find('\0') != std::string::npos) Fail("a member name holds a 0 byte");
  const std::int64_t Start = Out.Position();
  std::vector<std::uint64_t> Sizes(Members.size(), 0);
  Out.WriteBytes(CabinetHead(Members, Sizes, 0, 0, Compression));
  TFolderWriter Folder(Out, Compression, Progress);
  for (std::size_t i = 0; i < Members.size(); ++i) {
    const std::int64_t Before = Folder.Position();
    Members[i].Write(Folder);
    Sizes[i] = static_cast<std::uint64_t>(Folder.Position() - Before);
  }
  Folder.Finish();
  const std::int64_t End = Out.Position();
  Out.Seek(Start, soBeginning);
  Out.WriteBytes(CabinetHead(Members, Sizes, Folder.Blocks(),
                             static_cast<std::uint64_t>(End - Start), Compression));
  Out.Seek(End, soBeginning);
}

std::string WriteCabinet(const std::vector<TCabMember>& Members, TCabCompression Compression) {
  std::vector<TCabMemberSource> Sources;
  for (const TCabMember& M : Members)
    Sources.push_back({M.Name, [&M](TStream& Data) { Data.WriteBytes(M.Data); }, M.DosDateTime,
                       M.Attributes});
  TBytesStream Out;
  WriteCabinet(Out, Sources, Compression);
  return Out.TakeBytes();
}

} // namespace vv

// The layer's own MSZIP decoder on folders built here block by block: blocks
// that stand alone, blocks that refer back into the block before them, members
// in the middle of a folder, and every way it must decline or fail.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/CabMszip.h"

using namespace vv;

namespace {

constexpr std::size_t Frame = 32768;

// Text that repeats at long distances, so a deflater with history uses it.
std::string Text(std::size_t Size) {
  std::string S;
  std::uint32_t X = 12345;
  while (S.size() < Size) {
    X = X * 1103515245u + 12345u;
    S += "word" + std::to_string(X >> 24) + (X & 0x100 ? " " : "\r\n");
  }
  S.resize(Size);
  return S;
}

void PutLE16(std::string& Out, std::uint32_t V) {
  Out += static_cast<char>(V & 0xFF);
  Out += static_cast<char>(V >> 8 & 0xFF);
}

// The data blocks of one MSZIP folder holding Bytes. With History, each block
// is deflated with the block before it as its dictionary, as MSZIP allows.
std::string Folder(const std::string& Bytes, bool History, bool Checksums, std::uint32_t* Blocks) {
  std::string Out;
  *Blocks = 0;
  for (std::size_t At = 0; At < Bytes.size(); At += Frame) {
    const std::size_t Size = std::min(Frame, Bytes.size() - At);
    z_stream Z{};
    deflateInit2(&Z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    if (History && At)
      deflateSetDictionary(&Z, reinterpret_cast<const Bytef*>(Bytes.data() + At - Frame), Frame);
    std::string Packed(deflateBound(&Z, Size) + 2, '\0');
    Packed[0] = 'C';
    Packed[1] = 'K';
    Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Bytes.data() + At));
    Z.avail_in = static_cast<uInt>(Size);
    Z.next_out = reinterpret_cast<Bytef*>(Packed.data() + 2);
    Z.avail_out = static_cast<uInt>(Packed.size() - 2);
    EXPECT_EQ(deflate(&Z, Z_FINISH), Z_STREAM_END);
    Packed.resize(Packed.size() - Z.avail_out);
    deflateEnd(&Z);
    std::string Sizes;
    PutLE16(Sizes, static_cast<std::uint32_t>(Packed.size()));
    PutLE16(Sizes, static_cast<std::uint32_t>(Size));
    std::uint32_t Sum = 0;
    if (Checksums)
      Sum = CabChecksum(reinterpret_cast<const unsigned char*>(Sizes.data()), 4,
                        CabChecksum(reinterpret_cast<const unsigned char*>(Packed.data()),
                                    static_cast<std::uint32_t>(Packed.size()), 0));
    for (int I = 0; I < 4; ++I)
      Out += static_cast<char>(Sum >> (8 * I) & 0xFF);
    Out += Sizes + Packed;
    ++*Blocks;
  }
  return Out;
}

struct TRun {
  TMszipResult Result;
  std::string Written;
};

TRun Decode(const std::string& Data, std::uint32_t Blocks, std::uint32_t Offset, std::uint32_t Length,
            std::size_t WriteLimit = std::string::npos) {
  TRun Run{};
  std::size_t Pos = 0;
  auto Read = [&](void* Buffer, std::uint32_t Count) {
    if (Data.size() - Pos < Count)
      return false;
    std::memcpy(Buffer, Data.data() + Pos, Count);
    Pos += Count;
    return true;
  };
  auto Write = [&](const void* Buffer, std::uint32_t Count) {
    if (Run.Written.size() + Count > WriteLimit)
      return false;
    Run.Written.append(static_cast<const char*>(Buffer), Count);
    return true;
  };
  Run.Result = DecodeMszipMember(Read, Write, Blocks, Offset, Length);
  return Run;
}

} // namespace

TEST(CabChecksum, FoldsTrailingBytesHighestFirst) {
  const unsigned char Bytes[] = {0x01, 0x02, 0x03, 0x04, 0xAA, 0xBB, 0xCC};
  EXPECT_EQ(CabChecksum(Bytes, 4, 0), 0x04030201u);
  EXPECT_EQ(CabChecksum(Bytes, 7, 0), 0x04030201u ^ 0x00AABBCCu);
  EXPECT_EQ(CabChecksum(Bytes, 5, 0x10), 0x04030201u ^ 0xAAu ^ 0x10u);
}

TEST(CabMszip, DecodesBlocksThatStandAloneAcrossBatches) {
  const std::string Bytes = Text(200 * Frame + 123); // more than three batches, a short last block
  std::uint32_t Blocks;
  const std::string Data = Folder(Bytes, false, true, &Blocks);
  const TRun Run = Decode(Data, Blocks, 0, static_cast<std::uint32_t>(Bytes.size()));
  ASSERT_EQ(Run.Result, TMszipResult::Done);
  EXPECT_TRUE(Run.Written == Bytes);
}

TEST(CabMszip, DecodesBlocksThatReferBackIntoTheBlockBefore) {
  const std::string Bytes = Text(130 * Frame + 7);
  std::uint32_t Blocks;
  const std::string Data = Folder(Bytes, true, false, &Blocks);
  const TRun Run = Decode(Data, Blocks, 0, static_cast<std::uint32_t>(Bytes.size()));
  ASSERT_EQ(Run.Result, TMszipResult::Done);
  EXPECT_TRUE(Run.Written == Bytes);
}

TEST(CabMszip, WritesOnlyTheMembersBytes) {
  const std::string Bytes = Text(100 * Frame);
  std::uint32_t Blocks;
  const std::string Data = Folder(Bytes, true, true, &Blocks);
  const std::uint32_t Offset = 64 * Frame - 5, Length = Frame + 10; // straddles a batch boundary
  const TRun Run = Decode(Data, Blocks, Offset, Length);
  ASSERT_EQ(Run.Result, TMszipResult::Done);
  EXPECT_TRUE(Run.Written == Bytes.substr(Offset, Length));
}

TEST(CabMszip, DeclinesADamagedBlockAfterWritingOnlyWhatCameBefore) {
  const std::string Bytes = Text(150 * Frame);
  std::uint32_t Blocks;
  std::string Data = Folder(Bytes, false, true, &Blocks);
  Data[Data.size() - 100] ^= 0x40; // in the last batch: its checksum no longer holds
  const TRun Run = Decode(Data, Blocks, 0, static_cast<std::uint32_t>(Bytes.size()));
  EXPECT_EQ(Run.Result, TMszipResult::Declined);
  EXPECT_EQ(Run.Written.size(), 128 * Frame);
  EXPECT_TRUE(Run.Written == Bytes.substr(0, Run.Written.size()));
}

TEST(CabMszip, DeclinesWhatItCannotDecodeAlone) {
  const std::string Bytes = Text(3 * Frame);
  std::uint32_t Blocks;
  const std::string Data = Folder(Bytes, false, false, &Blocks);
  // A member running past the folder's end.
  EXPECT_EQ(Decode(Data, Blocks, 0, static_cast<std::uint32_t>(Bytes.size()) + 1).Result, TMszipResult::Declined);
  // Truncated data.
  EXPECT_EQ(Decode(Data.substr(0, Data.size() - 1), Blocks, 0, 3 * Frame).Result, TMszipResult::Declined);
  // A block without its "CK".
  std::string NoSignature = Data;
  NoSignature[8] = 'X';
  EXPECT_EQ(Decode(NoSignature, Blocks, 0, 3 * Frame).Result, TMszipResult::Declined);
  // A middle block claiming less than a whole frame.
  std::string Short = Data;
  Short[6] = 0x00;
  Short[7] = 0x40;
  EXPECT_EQ(Decode(Short, Blocks, 0, 3 * Frame).Result, TMszipResult::Declined);
}

TEST(CabMszip, AWriteRefusedIsReportedAsSuch) {
  const std::string Bytes = Text(80 * Frame);
  std::uint32_t Blocks;
  const std::string Data = Folder(Bytes, false, true, &Blocks);
  const TRun Run = Decode(Data, Blocks, 0, static_cast<std::uint32_t>(Bytes.size()), 70 * Frame);
  EXPECT_EQ(Run.Result, TMszipResult::WriteFailed);
}

TEST(CabMszip, AnEmptyMemberNeedsNoBlocks) {
  const TRun Run = Decode(std::string(), 0, 0, 0);
  EXPECT_EQ(Run.Result, TMszipResult::Done);
  EXPECT_TRUE(Run.Written.empty());
}

#pragma once
// The cabinet layer's own MSZIP decoder for the common case: a folder of 32 KiB
// blocks as cabinet writers produce them. Blocks that need no history of the
// block before them (all of them, as the cabinet writer we pack with emits
// them) are decoded on two cores at once with libdeflate; a block that does
// need it is decoded after its predecessor, with zlib. Anything unusual is
// left to the general decoder.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/CabChecksum.h"

namespace vv {

enum class TMszipResult {
  Done,        // the member's bytes were written
  WriteFailed, // the sink refused bytes
  Declined,    // unusual or damaged data: nothing decided, the general decoder must run
};

// Reads exactly Count bytes of the folder's data blocks in order; false on failure.
using TMszipRead = std::function<bool(void* Buffer, std::uint32_t Count)>;
// Writes Count bytes of the member; false on failure.
using TMszipWrite = std::function<bool(const void* Buffer, std::uint32_t Count)>;

// The unpacked bytes of one MSZIP folder (no reserved bytes per block), a
// batch of blocks at a time and in order. While the caller works on one batch,
// the next is already being decoded on other threads (see below).
class TMszipFolderReader {
public:
  TMszipFolderReader(TMszipRead Read, std::uint32_t Blocks);
  ~TMszipFolderReader();
  TMszipFolderReader(const TMszipFolderReader&) = delete;
  TMszipFolderReader& operator=(const TMszipFolderReader&) = delete;

  // The folder's next unpacked bytes, valid until the next call; empty once
  // the folder is done, or when its data is unusual or damaged (Declined()).
  [[nodiscard]] std::string_view Next();
  [[nodiscard]] bool Declined() const { return FDeclined; }

private:
  struct TBatch;
  bool Start(TBatch& Batch);
  void Finish(TBatch& Batch);

  TMszipRead FRead;
  const std::uint32_t FBlocks;
  std::uint32_t FStarted = 0; // blocks read and handed to a decoding thread
  std::unique_ptr<TBatch> FCurrent, FAhead;
  bool FDeclined = false;
};

// With Only, folders decode on their callers' threads alone, a batch when it
// is asked for, leaving every other core to work that must not wait; without,
// as by default, each batch is decoded ahead on two threads of its own. Takes
// effect from each reader's next batch on.
void SetMszipCallerThreadOnly(bool Only);

// Decodes the Blocks data blocks of one MSZIP folder (no reserved bytes per
// block) and writes the member found at Offset, Length bytes long, within the
// folder's unpacked bytes. Declined may come after some of the member's bytes
// were written, always a prefix of what a complete decode writes.
[[nodiscard]] TMszipResult DecodeMszipMember(const TMszipRead& Read, const TMszipWrite& Write,
                                             std::uint32_t Blocks, std::uint32_t Offset,
                                             std::uint32_t Length);

} // namespace vv

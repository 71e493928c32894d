#pragma once
// The byte-stream contract every reader and writer of the system works on.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "text/u_Utils.h"

namespace vv {

class EStreamError : public Exception {
  using Exception::Exception;
};
class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
  virtual ~TStream() = default;
  // Move up to Count bytes; return how many moved (0 at the end).
  virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
  virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;
  virtual std::int64_t Seek(std::int64_t Offset, int Origin) = 0;
  virtual void SetSize(std::int64_t NewSize) = 0;
  [[nodiscard]] virtual std::int64_t Size() = 0;
  [[nodiscard]] std::int64_t Position() { return Seek(0, soCurrent); }
  [[nodiscard]] std::int64_t Remaining() { return Size() - Position(); }

  // Exact transfers: fewer bytes than asked for is a failure.
  void ReadBuffer(void* Buffer, std::int64_t Count);
  void WriteBuffer(const void* Buffer, std::int64_t Count);
  void WriteBytes(std::string_view Bytes) { WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size())); }
  [[nodiscard]] std::uint32_t ReadUInt32();
  void WriteUInt32(std::uint32_t Value);
  // Reads a 32-bit length and that many bytes; lengths past the end of the
  // stream or of 2^31 and more fail before anything is allocated.
  [[nodiscard]] std::string ReadSizedBytes();
  // Exactly Count bytes as a string; Count must already be known to be available.
  [[nodiscard]] virtual std::string ReadString(std::int64_t Count);
  void WriteSizedBytes(std::string_view Bytes);
};

// Read-only stream over bytes it does not own; the bytes must outlive it.
class TBytesReadStream : public TStream {
public:
  explicit TBytesReadStream(std::string_view Bytes) : Bytes(Bytes) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;
  [[nodiscard]] std::int64_t Size() override { return static_cast<std::int64_t>(Bytes.size()); }
  // Copies straight from the source: no zero-filled buffer first.
  [[nodiscard]] std::string ReadString(std::int64_t Count) override;

private:
  std::string_view Bytes;
  std::int64_t Pos = 0;
};

// Write-only stream that hands each piece written to Take, in order, and keeps
// nothing: for consumers of bytes too many to hold. Position and size are the
// bytes taken so far; it cannot seek elsewhere.
class TSinkStream : public TStream {
public:
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;
  [[nodiscard]] std::int64_t Size() override { return Taken; }

protected:
  virtual void Take(std::string_view Bytes) = 0;

private:
  std::int64_t Taken = 0;
};

// Read-only stream over bytes that arrive in order, a piece at a time, from
// Next, with their total known up front: for producers of bytes too many to
// hold at once. Position is the bytes read so far; it cannot seek elsewhere.
class TSourceStream : public TStream {
public:
  explicit TSourceStream(std::int64_t Total) : Total(Total) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;
  [[nodiscard]] std::int64_t Size() override { return Total; }
  // Appends straight from the pieces: no zero-filled buffer first.
  [[nodiscard]] std::string ReadString(std::int64_t Count) override;

protected:
  // The next piece, valid until the next call; empty when there are no more.
  virtual std::string_view Next() = 0;

private:
  // Hands up to Count bytes to Take, piece by piece; how many there were.
  std::int64_t Pull(std::int64_t Count, const std::function<void(std::string_view)>& Take);

  const std::int64_t Total;
  std::string_view Piece; // what is left of the current piece
  std::int64_t Pos = 0;
};

// Growable stream over an owned byte string.
class TBytesStream : public TStream {
public:
  TBytesStream() = default;
  explicit TBytesStream(std::string Initial) : Data(std::move(Initial)) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;
  [[nodiscard]] std::int64_t Size() override { return static_cast<std::int64_t>(Data.size()); }
  [[nodiscard]] const std::string& Bytes() const { return Data; }
  [[nodiscard]] std::string TakeBytes() { Pos = 0; return std::move(Data); }

private:
  std::string Data;
  std::int64_t Pos = 0;
};

} // namespace vv

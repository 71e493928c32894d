// URLs from arbitrary bytes through the scheme framework: serving and reading
// in chunks, combining into small and large buffers, comparing. The first
// byte chooses the options; the rest is split at its first 0 byte into two
// URLs, read as 16-bit code units when the options say so.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/u_MFSInternetProtocol.h"
#include "tests/protocol/RecordingPlatform.h"

namespace {
struct TFixture {
  vvtest::RecordingPlatform Platform;
  vv::TMFS Volume;
  std::unique_ptr<vv::TMFSInternetProtocol> Handler;
  TFixture() {
    auto& S = Volume.DefaultSession();
    S.CreateMFSFile("\\index.htm", 0, false)->Content = "<html>index</html>";
    S.ForceFolders("\\chapter\\img");
    S.CreateMFSFile("\\chapter\\page 1.htm", 0, false)->Content = std::string(5000, 'p');
    S.CreateMFSFile("\\chapter\\empty.htm", 0, false);
    Handler = std::make_unique<vv::TMFSInternetProtocol>("mfs", &Volume);
  }
};

std::u16string Decode(std::string_view Bytes, bool Wide) {
  std::u16string Text;
  if (Wide) {
    for (std::size_t i = 0; i + 1 < Bytes.size(); i += 2)
      Text += static_cast<char16_t>(static_cast<unsigned char>(Bytes[i]) |
                                    static_cast<unsigned char>(Bytes[i + 1]) << 8);
  } else {
    for (const char C : Bytes)
      Text += static_cast<char16_t>(static_cast<unsigned char>(C));
  }
  // The browser hands over zero-terminated strings.
  return Text.substr(0, Text.find(u'\0'));
}

void Serve(std::u16string_view Url, std::uint32_t Chunk) {
  vvtest::RecordingSink Sink;
  vv::TCustomInternetProtocol P;
  if (P.Start(Url, &Sink, nullptr, 0, 0) != vv::VV_S_OK)
    return;
  std::vector<char> Buffer(Chunk);
  // Every Read moves at least one byte until the end: more reads than bytes is an endless drain.
  for (std::size_t Reads = 0;; ++Reads) {
    if (Reads > P.DataSize + 1u)
      __builtin_trap();
    std::uint32_t Got = 0;
    const vv::HRESULT R = P.Read(Buffer.data(), Chunk, &Got);
    if (Got > Chunk)
      __builtin_trap();
    if (R != vv::VV_E_PENDING)
      break;
  }
}

void Combine(std::u16string_view Base, std::u16string_view Relative, std::uint32_t Size) {
  vv::TCustomInternetProtocol P;
  // Exactly Size units, so a write past the caller's buffer is caught.
  std::unique_ptr<char16_t[]> Result(Size ? new char16_t[Size] : nullptr);
  std::uint32_t Length = 0xFFFFFFFF;
  const vv::HRESULT R = P.CombineUrl(Base, Relative, 0, Result.get(), Size, &Length, 0);
  if (R == vv::VV_S_OK) {
    // The contract: Length characters fit with their terminator.
    if (Length >= Size || Result[Length] != 0 || std::char_traits<char16_t>::length(Result.get()) != Length)
      __builtin_trap();
  } else if (R == vv::VV_S_FALSE) {
    if (Length <= Size)
      __builtin_trap(); // asks for no more room than it had
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TFixture Fixture;
  if (Size == 0)
    return 0;
  const std::uint8_t Options = Data[0];
  const std::string_view Rest(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const std::size_t Zero = Rest.find('\0');
  const bool Wide = Options & 1;
  const std::u16string A = Decode(Rest.substr(0, Zero), Wide);
  const std::u16string B = Zero == std::string_view::npos ? std::u16string() : Decode(Rest.substr(Zero + 1), Wide);
  // With and without a platform canonicaliser.
  vv::ProtocolSession.Platform = Options & 2 ? &Fixture.Platform : nullptr;

  const std::uint32_t Chunk = 1u + ((Options >> 2) & 7u) * 97u;
  Serve(A, Chunk);
  Serve(B, Chunk);

  Combine(A, B, (Options >> 5) & 7u);
  Combine(A, B, 2048);

  vv::TCustomInternetProtocol P;
  const vv::HRESULT Same = P.CompareUrl(A, B, 0);
  const vv::HRESULT SameIgnoringSlashes = P.CompareUrl(A, B, 1);
  // Comparison is symmetric, and ignoring slashes only ever makes more URLs equal.
  if (P.CompareUrl(B, A, 0) != Same || (Same == vv::VV_S_OK && SameIgnoringSlashes != vv::VV_S_OK))
    __builtin_trap();
  vv::ProtocolSession.Platform = &Fixture.Platform;
  return 0;
}

#include "text/u_Utils.h"

#include "text/u_Unicode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <optional>

namespace vv {

namespace detail {
std::string FormatImpl(std::string_view Pattern, const std::string* Args, std::size_t ArgCount) {
  std::string Result;
  Result.reserve(Pattern.size() + 32);
  std::size_t Next = 0;
  for (std::size_t i = 0; i < Pattern.size(); ++i) {
    const char C = Pattern[i];
    if (C == '%' && i + 1 < Pattern.size()) {
      const char Spec = Pattern[i + 1];
      if (Spec == '%') {
        Result += '%';
        ++i;
        continue;
      }
      if ((Spec == 's' || Spec == 'd') && Next < ArgCount) {
        Result += Args[Next++];
        ++i;
        continue;
      }
    }
    Result += C;
  }
  return Result;
}
} // namespace detail

namespace {
constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> Table{};
  for (int c = 0; c < 256; ++c)
    Table[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c)
    Table[c] = static_cast<unsigned char>(c + 32);
  // Windows-1252: S/Z caron, OE ligature, Y diaeresis, and the Latin-1 block
  // except the multiplication sign.
  Table[0x8A] = 0x9A;
  Table[0x8C] = 0x9C;
  Table[0x8E] = 0x9E;
  Table[0x9F] = 0xFF;
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7)
      Table[c] = static_cast<unsigned char>(c + 32);
  return Table;
}
constexpr std::array<unsigned char, 256> FoldTable = MakeFoldTable();
} // namespace

unsigned char FoldCase(unsigned char C) noexcept { return FoldTable[C]; }

namespace {
bool IsAscii(std::string_view S) noexcept {
  for (const char C : S)
    if (static_cast<unsigned char>(C) >= 0x80) return false;
  return true;
}

// Whether Name folds as Unicode rather than by the Windows-1252 table.
bool FoldsAsUnicode(std::string_view Name) noexcept { return !IsAscii(Name) && IsValidUtf8(Name); }

int CompareByTable(std::string_view A, std::string_view B) noexcept {
  const std::size_t N = A.size() < B.size() ? A.size() : B.size();
  for (std::size_t i = 0; i < N; ++i) {
    const int a = FoldTable[static_cast<unsigned char>(A[i])];
    const int b = FoldTable[static_cast<unsigned char>(B[i])];
    if (a != b)
      return a - b;
  }
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}
} // namespace

std::string FoldedKey(std::string_view Name) {
  if (FoldsAsUnicode(Name)) return FoldUtf8(Name);
  std::string Key(Name);
  for (char& C : Key)
    C = static_cast<char>(FoldTable[static_cast<unsigned char>(C)]);
  return Key;
}

int CompareText(std::string_view A, std::string_view B) noexcept {
  // ASCII folds alike either way, so an ASCII prefix decides by itself; at the
  // first byte beyond it, names without UTF-8 (the names of every
  // Windows-1252 book) go on by the table as they always have.
  const std::size_t N = A.size() < B.size() ? A.size() : B.size();
  for (std::size_t i = 0; i < N; ++i) {
    const auto a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
    if ((a | b) >= 0x80) {
      if (!FoldsAsUnicode(A) && !FoldsAsUnicode(B)) return CompareByTable(A.substr(i), B.substr(i));
      try {
        return CompareStr(FoldedKey(A), FoldedKey(B));
      } catch (...) { // out of memory: the bytes alone still give an order
        return CompareStr(A, B);
      }
    }
    if (FoldTable[a] != FoldTable[b])
      return FoldTable[a] - FoldTable[b];
  }
  // The rest of the longer name never folds to nothing.
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

bool SameText(std::string_view A, std::string_view B) noexcept {
  return CompareText(A, B) == 0;
}

int CompareStr(std::string_view A, std::string_view B) noexcept {
  const std::size_t N = A.size() < B.size() ? A.size() : B.size();
  if (N > 0)
    if (const int r = std::memcmp(A.data(), B.data(), N))
      return r;
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

std::uint32_t UnixTimeToDosDateTime(std::int64_t UnixSeconds) {
  const std::time_t T = static_cast<std::time_t>(UnixSeconds);
  std::tm Local{};
#ifdef _WIN32
  localtime_s(&Local, &T);
#else
  localtime_r(&T, &Local);
#endif
  int Year = Local.tm_year + 1900;
  // DOS dates cover 1980-2107; clamp rather than wrap.
  if (Year < 1980)
    return (1u << 5 | 1u) << 16;
  if (Year > 2107)
    Year = 2107;
  const std::uint32_t Date = static_cast<std::uint32_t>((Year - 1980) << 9 | (Local.tm_mon + 1) << 5 |
                                                        Local.tm_mday);
  const std::uint32_t Time = static_cast<std::uint32_t>(Local.tm_hour << 11 | Local.tm_min << 5 |
                                                        Local.tm_sec / 2);
  return Date << 16 | Time;
}

std::int64_t DosDateTimeToUnixTime(std::uint32_t DosDateTime) {
  std::tm Local{};
  const std::uint32_t Date = DosDateTime >> 16, Time = DosDateTime & 0xFFFF;
  Local.tm_year = static_cast<int>((Date >> 9) + 80);
  Local.tm_mon = static_cast<int>(((Date >> 5) & 0xF)) - 1;
  Local.tm_mday = static_cast<int>(Date & 0x1F);
  Local.tm_hour = static_cast<int>(Time >> 11);
  Local.tm_min = static_cast<int>((Time >> 5) & 0x3F);
  Local.tm_sec = static_cast<int>((Time & 0x1F) * 2);
  Local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&Local));
}

std::uint32_t NowAsDosDateTime() {
  // Set, it stands for "now" (reproducible builds): a book packed twice from
  // one folder, on Linux or Windows, is then the same bytes.
  static const std::optional<std::time_t> Fixed = []() -> std::optional<std::time_t> {
    const char* Text = std::getenv("SOURCE_DATE_EPOCH");
    char* End = nullptr;
    const long long Seconds = Text && *Text ? std::strtoll(Text, &End, 10) : -1;
    if (Seconds < 0 || *End != '\0') return std::nullopt;
    return static_cast<std::time_t>(Seconds);
  }();
  return UnixTimeToDosDateTime(Fixed ? *Fixed : std::time(nullptr));
}

namespace {
inline std::uint32_t Step(std::uint32_t R, std::uint32_t W) noexcept { return std::rotl(R + W, 1); }
} // namespace

void AppendLE(std::string& Out, std::uint64_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i)
    Out += static_cast<char>(Value >> (8 * i));
}

std::uint32_t MFSChecksum(std::string_view Bytes) noexcept {
  TMFSChecksum Sum;
  Sum.Add(Bytes);
  return Sum.Value();
}

void TMFSChecksum::Add(std::string_view Bytes) noexcept {
  const auto* P = reinterpret_cast<const unsigned char*>(Bytes.data());
  std::size_t N = Bytes.size();
  if (PartialSize > 0) {
    const std::size_t Take = std::min(N, 4 - PartialSize);
    std::memcpy(Partial + PartialSize, P, Take);
    PartialSize += Take;
    P += Take;
    N -= Take;
    if (PartialSize < 4) return;
    R = Step(R, LoadLE32(Partial));
    PartialSize = 0;
  }
  // Each step depends on the last, so the loop is bound by add-and-rotate
  // latency; unrolling only keeps loop overhead off that chain.
  const std::size_t Whole = N / 4 * 4;
  std::size_t i = 0;
  for (; i + 16 <= Whole; i += 16) {
    R = Step(R, LoadLE32(P + i));
    R = Step(R, LoadLE32(P + i + 4));
    R = Step(R, LoadLE32(P + i + 8));
    R = Step(R, LoadLE32(P + i + 12));
  }
  for (; i < Whole; i += 4)
    R = Step(R, LoadLE32(P + i));
  PartialSize = N - Whole;
  std::memcpy(Partial, P + Whole, PartialSize);
}

std::uint32_t TMFSChecksum::Value() const noexcept {
  if (PartialSize == 0) return R;
  unsigned char Last[4] = {' ', ' ', ' ', ' '};
  std::memcpy(Last, Partial, PartialSize);
  return Step(R, LoadLE32(Last));
}

} // namespace vv

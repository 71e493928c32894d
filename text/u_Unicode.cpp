#include "text/u_Unicode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace vv {

namespace {
struct TFoldRun {
  char32_t First, Last;
  std::uint8_t Step;
  std::int32_t Delta;
};
constexpr TFoldRun FoldRuns[] = {
#include "text/u_CaseFoldTable.inc"
};

bool IsContinuation(unsigned char B) noexcept { return (B & 0xC0) == 0x80; }
} // namespace

char32_t DecodeUtf8(std::string_view Text, std::size_t At, std::size_t& Length) noexcept {
  Length = 1;
  const auto Lead = static_cast<unsigned char>(Text[At]);
  if (Lead < 0x80) return Lead;
  // Shortest form only: the lowest value each length may carry.
  std::size_t Need;
  char32_t Code, Least;
  if (Lead >= 0xC2 && Lead <= 0xDF)
    Need = 2, Code = Lead & 0x1F, Least = 0x80;
  else if (Lead >= 0xE0 && Lead <= 0xEF)
    Need = 3, Code = Lead & 0x0F, Least = 0x800;
  else if (Lead >= 0xF0 && Lead <= 0xF4)
    Need = 4, Code = Lead & 0x07, Least = 0x10000;
  else
    return ReplacementChar;
  if (At + Need > Text.size()) return ReplacementChar;
  for (std::size_t k = 1; k < Need; ++k) {
    const auto Next = static_cast<unsigned char>(Text[At + k]);
    if (!IsContinuation(Next)) return ReplacementChar;
    Code = Code << 6 | (Next & 0x3F);
  }
  if (Code < Least || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return ReplacementChar;
  Length = Need;
  return Code;
}

bool IsValidUtf8(std::string_view Text) noexcept {
  for (std::size_t i = 0; i < Text.size();) {
    if (static_cast<unsigned char>(Text[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t Length;
    if (DecodeUtf8(Text, i, Length) == ReplacementChar && Text.compare(i, 3, "\xEF\xBF\xBD") != 0)
      return false;
    i += Length;
  }
  return true;
}

void AppendUtf8(std::string& Out, char32_t Code) {
  if (Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) Code = ReplacementChar;
  if (Code < 0x80) {
    Out += static_cast<char>(Code);
  } else if (Code < 0x800) {
    Out += static_cast<char>(0xC0 | Code >> 6);
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    Out += static_cast<char>(0xE0 | Code >> 12);
    Out += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | Code >> 18);
    Out += static_cast<char>(0x80 | (Code >> 12 & 0x3F));
    Out += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  }
}

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  for (std::size_t i = 0, Length; i < Text.size(); i += Length) {
    const char32_t Code = DecodeUtf8(Text, i, Length);
    if (Code < 0x10000) {
      Out += static_cast<char16_t>(Code);
    } else {
      Out += static_cast<char16_t>(0xD800 + ((Code - 0x10000) >> 10));
      Out += static_cast<char16_t>(0xDC00 + ((Code - 0x10000) & 0x3FF));
    }
  }
  return Out;
}

std::string Utf16ToUtf8(std::u16string_view Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char32_t Code = Text[i];
    if (Code >= 0xD800 && Code <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF)
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[++i] - 0xDC00);
    AppendUtf8(Out, Code); // a lone surrogate becomes U+FFFD
  }
  return Out;
}

char32_t SimpleFold(char32_t Code) noexcept {
  if (Code < 0x80) return Code >= 'A' && Code <= 'Z' ? Code + 32 : Code;
  const auto* Run = std::upper_bound(std::begin(FoldRuns), std::end(FoldRuns), Code,
                                     [](char32_t C, const TFoldRun& R) { return C < R.First; });
  if (Run == std::begin(FoldRuns)) return Code;
  --Run;
  if (Code > Run->Last || (Code - Run->First) % Run->Step != 0) return Code;
  return static_cast<char32_t>(static_cast<std::int32_t>(Code) + Run->Delta);
}

bool FoldsAlone(char32_t Code) noexcept {
  static const std::vector<char32_t> Targets = [] {
    std::vector<char32_t> T;
    for (const TFoldRun& R : FoldRuns)
      for (char32_t C = R.First; C <= R.Last; C += R.Step)
        T.push_back(static_cast<char32_t>(static_cast<std::int32_t>(C) + R.Delta));
    std::sort(T.begin(), T.end());
    return T;
  }();
  return Code != ReplacementChar && SimpleFold(Code) == Code &&
         !std::binary_search(Targets.begin(), Targets.end(), Code);
}

namespace {
// Folds of the one- and two-byte characters, looked up directly: the scripts
// of most cased text (Latin, Greek, Cyrillic, Armenian, Hebrew) live there.
const std::array<char32_t, 0x800>& LowFolds() {
  static const std::array<char32_t, 0x800> Table = [] {
    std::array<char32_t, 0x800> T{};
    for (char32_t C = 0; C < 0x800; ++C)
      T[C] = SimpleFold(C);
    return T;
  }();
  return Table;
}

// Writes Code as UTF-8 at P; returns the end.
char* PutUtf8(char* P, char32_t Code) {
  if (Code < 0x80) {
    *P++ = static_cast<char>(Code);
  } else if (Code < 0x800) {
    *P++ = static_cast<char>(0xC0 | Code >> 6);
    *P++ = static_cast<char>(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    *P++ = static_cast<char>(0xE0 | Code >> 12);
    *P++ = static_cast<char>(0x80 | (Code >> 6 & 0x3F));
    *P++ = static_cast<char>(0x80 | (Code & 0x3F));
  } else {
    *P++ = static_cast<char>(0xF0 | Code >> 18);
    *P++ = static_cast<char>(0x80 | (Code >> 12 & 0x3F));
    *P++ = static_cast<char>(0x80 | (Code >> 6 & 0x3F));
    *P++ = static_cast<char>(0x80 | (Code & 0x3F));
  }
  return P;
}
} // namespace

void FoldUtf8Into(std::string_view Text, std::string& Out) {
  const auto& Low = LowFolds();
  // A fold is at most half as long again as its character (U+023A, two
  // bytes, folds to U+2C65, three); only malformed bytes, three bytes each
  // as U+FFFD, may need more room.
  const std::size_t N = Text.size();
  Out.resize(N + N / 2 + 8);
  char* P = Out.data();
  for (std::size_t i = 0; i < N;) {
    if (Out.data() + Out.size() - P < 4) {
      const std::size_t Used = static_cast<std::size_t>(P - Out.data());
      Out.resize(Out.size() * 2);
      P = Out.data() + Used;
    }
    const auto B = static_cast<unsigned char>(Text[i]);
    if (B < 0x80) {
      *P++ = static_cast<char>(B >= 'A' && B <= 'Z' ? B + 32 : B);
      ++i;
      continue;
    }
    std::size_t Length;
    const char32_t Code = DecodeUtf8(Text, i, Length);
    P = PutUtf8(P, Code < 0x800 ? Low[Code] : SimpleFold(Code));
    i += Length;
  }
  Out.resize(static_cast<std::size_t>(P - Out.data()));
}

std::string FoldUtf8(std::string_view Text) {
  std::string Out;
  FoldUtf8Into(Text, Out);
  return Out;
}

} // namespace vv

#include "text/u_SearchText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string.h> // memmem
#include <vector>

#include "text/u_HtmlScanner.h"
#include "text/u_Unicode.h"
#include "text/u_Utils.h"

namespace vv {

namespace {
// FoldCase as a table: the scans below look up every byte they touch.
const std::array<unsigned char, 256>& FoldTable() {
  static const std::array<unsigned char, 256> Table = [] {
    std::array<unsigned char, 256> T{};
    for (int c = 0; c < 256; ++c)
      T[c] = FoldCase(static_cast<unsigned char>(c));
    return T;
  }();
  return Table;
}

// How seldom a folded byte turns up in a book's pages, roughly: blanks and
// markup most often, then letters by their frequency in English, digits and
// other punctuation, and least often control and code-page bytes.
int Rarity(char C) {
  static constexpr std::string_view Common = " etaoinsrhldcumfpgwybvkxjqz";
  const auto B = static_cast<unsigned char>(C);
  if (const std::size_t At = Common.find(C); At != std::string_view::npos)
    return static_cast<int>(At) * 4;
  if (B == '<' || B == '>' || B == '"' || B == '=' || B == '/' || B == '\n' || B == '\r') return 20;
  if (B < 0x20 || B >= 0x80) return 200;
  return 60; // digits and other punctuation
}

std::string_view UpToNul(std::string_view S) {
  const std::size_t Nul = S.find('\0');
  return Nul == std::string_view::npos ? S : S.substr(0, Nul);
}

std::string FoldedUpToNul(std::string_view S) {
  const auto& Fold = FoldTable();
  std::string Folded;
  for (const char C : UpToNul(S))
    Folded.push_back(static_cast<char>(Fold[static_cast<unsigned char>(C)]));
  return Folded;
}

// The phrase in Windows-1252, folded; empty when that code page lacks one of
// its characters. A phrase that is not UTF-8 is taken as Windows-1252 already.
std::string AnsiPhrase(std::string_view Phrase) {
  bool Lost = false;
  const std::string Bytes = Utf8ToBook(UpToNul(Phrase), TCodePage::Windows1252, &Lost);
  return Lost ? std::string() : FoldedUpToNul(Bytes);
}

// Folded UTF-8 that Windows-1252 folding of raw bytes finds exactly: ASCII,
// save the two letters that characters beyond ASCII fold to (Kelvin sign, long s).
bool IsAsciiExact(std::string_view Folded) {
  return std::all_of(Folded.begin(), Folded.end(),
                     [](char C) { return static_cast<unsigned char>(C) < 0x80 && C != 'k' && C != 's'; });
}

// The longest run of the folded phrase whose characters only ever come from
// themselves (or from ASCII case pairs), in the bytes the raw page holds them
// in, folded as Windows-1252 for the raw scan: a match of the phrase in the
// folded text needs these bytes in the raw page.
std::string Utf8Anchor(std::string_view Folded) {
  std::string Longest, Run;
  for (std::size_t i = 0, Length; i < Folded.size(); i += Length) {
    const char32_t C = DecodeUtf8(Folded, i, Length);
    const bool Alone = C < 0x80 ? C != ' ' && C != 'k' && C != 's' : FoldsAlone(C);
    if (Alone) Run.append(Folded.substr(i, Length));
    if (!Alone || i + Length == Folded.size()) {
      if (Run.size() > Longest.size()) Longest = Run;
      Run.clear();
    }
  }
  return FoldedUpToNul(Longest);
}

std::string LongestRunWithoutBlanks(const std::string& S) {
  std::string Longest;
  for (std::size_t Start = 0; Start < S.size();) {
    const std::size_t Blank = std::min(S.find(' ', Start), S.size());
    if (Blank - Start > Longest.size()) Longest = S.substr(Start, Blank - Start);
    Start = Blank + 1;
  }
  return Longest;
}

// Whether Needle (not empty) occurs in Text, in time linear in the worst case:
// glibc's memmem where there is one, else Knuth-Morris-Pratt.
bool ContainsBytes(const unsigned char* Text, std::size_t Size, std::string_view Needle) {
#ifdef __GLIBC__
  return memmem(Text, Size, Needle.data(), Needle.size()) != nullptr;
#else
  std::vector<std::size_t> Border(Needle.size() + 1, 0);
  for (std::size_t i = 1, k = 0; i < Needle.size(); ++i) {
    while (k > 0 && Needle[i] != Needle[k])
      k = Border[k];
    if (Needle[i] == Needle[k])
      ++k;
    Border[i + 1] = k;
  }
  for (std::size_t i = 0, k = 0; i < Size; ++i) {
    while (k > 0 && static_cast<char>(Text[i]) != Needle[k])
      k = Border[k];
    if (static_cast<char>(Text[i]) == Needle[k] && ++k == Needle.size())
      return true;
  }
  return false;
#endif
}

// Folds Size bytes in place, then a linear search. Needle is folded and not empty.
bool FoldAndContain(unsigned char* Text, std::size_t Size, std::string_view Needle) {
  const auto& Fold = FoldTable();
  for (std::size_t i = 0; i < Size; ++i)
    Text[i] = Fold[Text[i]];
  return ContainsBytes(Text, Size, Needle);
}
} // namespace

void StripTagsInto(std::string_view Html, std::string& Out) {
  Out.clear();
  const char* P = Html.data();
  const char* const End = P + Html.size();
  const char* Mark = P;
  while (true) {
    // Text state.
    const char* Lt = P < End ? static_cast<const char*>(std::memchr(P, '<', End - P)) : nullptr;
    if (!Lt) {
      Out.append(Mark, End);
      return;
    }
    Out.append(Mark, Lt);
    Out.push_back(' ');
    P = Lt + 1;
    // Tag state, with quoted runs inside it.
    while (true) {
      while (P < End && *P != '"' && *P != '>')
        ++P;
      if (P == End) return;
      if (*P == '>') {
        Mark = ++P;
        break;
      }
      ++P;
      const char* Quote =
          P < End ? static_cast<const char*>(std::memchr(P, '"', End - P)) : nullptr;
      if (!Quote) return;
      P = Quote + 1;
    }
  }
}

std::string StripTags(std::string_view Html) {
  std::string Text;
  StripTagsInto(Html, Text);
  return Text;
}

TSearchPhrase::TNeedle::TNeedle(std::string Folded) : Bytes(std::move(Folded)) {
  if (Bytes.empty()) return;
  for (std::size_t k = 1; k < Bytes.size(); ++k)
    if (Rarity(Bytes[k]) > Rarity(Bytes[RarePos])) RarePos = k;
  const auto& Fold = FoldTable();
  for (int b = 0; b < 256; ++b)
    if (Fold[b] == static_cast<unsigned char>(Bytes[RarePos]) && RareCount < 2)
      Rare[RareCount++] = static_cast<unsigned char>(b);
}

TSearchPhrase::TSearchPhrase(std::string_view Phrase)
    : FPhrase(AnsiPhrase(Phrase)), FAnchor(LongestRunWithoutBlanks(FPhrase.Bytes)),
      FUtf8(FoldUtf8(UpToNul(Phrase))), FAsciiExact(IsAsciiExact(FUtf8)),
      FUtf8Anchor(FAsciiExact ? std::string() : Utf8Anchor(FUtf8)) {}

TSearchPhrase::TScan TSearchPhrase::Scan(const TNeedle& Needle, std::string_view Bytes) {
  const std::size_t M = Needle.Bytes.size();
  const std::size_t N = Bytes.size();
  if (M > N) return TScan::Absent;
  const auto& Fold = FoldTable();
  const auto* S = reinterpret_cast<const unsigned char*>(Bytes.data());
  const auto* A = reinterpret_cast<const unsigned char*>(Needle.Bytes.data());
  const unsigned char* const End = S + N;
  // Positions of the rare byte that leave room for the whole needle around them.
  const unsigned char* const First = S + Needle.RarePos;
  const unsigned char* const Last = End - (M - Needle.RarePos);
  auto Find = [End](const unsigned char* From, unsigned char Byte) {
    return From < End ? static_cast<const unsigned char*>(std::memchr(From, Byte, End - From))
                      : nullptr;
  };
  const unsigned char* Next[2] = {Find(First, Needle.Rare[0]),
                                  Needle.RareCount > 1 ? Find(First, Needle.Rare[1]) : nullptr};
  std::size_t Budget = N;
  while (true) {
    const int v = !Next[0] || (Next[1] && Next[1] < Next[0]) ? 1 : 0;
    const unsigned char* Candidate = Next[v];
    if (!Candidate || Candidate > Last) return TScan::Absent;
    const unsigned char* W = Candidate - Needle.RarePos;
    std::size_t k = 0;
    while (k < M && Fold[W[k]] == A[k])
      ++k;
    if (k == M) return TScan::Present;
    if (Budget <= k) return TScan::Unsure;
    Budget -= k + 1;
    Next[v] = Find(Candidate + 1, Needle.Rare[v]);
  }
}

bool TSearchPhrase::FoundInText(std::string_view Text, TCodePage CodePage) const {
  const std::string_view Searched = UpToNul(Text);
  if (CodePage == TCodePage::Utf8 && !FAsciiExact) return FoundInUtf8Text(Searched);
  if (FPhrase.Bytes.empty()) return false;
  const TScan Result = Scan(FPhrase, Searched);
  if (Result != TScan::Unsure) return Result == TScan::Present;
  std::string Copy(Searched);
  return FoldAndContain(reinterpret_cast<unsigned char*>(Copy.data()), Copy.size(), FPhrase.Bytes);
}

bool TSearchPhrase::FoundInUtf8Text(std::string_view Text) const {
  if (FUtf8.empty()) return false;
  FoldUtf8Into(Text, FFolded);
  return ContainsBytes(reinterpret_cast<const unsigned char*>(FFolded.data()), FFolded.size(), FUtf8);
}

bool TSearchPhrase::FoundInPage(std::string_view Html) {
  if (FUtf8.empty()) return false;
  if (!DeclaresUtf8(Html) || FAsciiExact) return FoundInAnsiPage(Html);
  if (!FUtf8Anchor.Bytes.empty() && Scan(FUtf8Anchor, Html) == TScan::Absent) return false;
  StripTagsInto(Html, FBuffer);
  return FoundInUtf8Text(UpToNul(FBuffer));
}

bool TSearchPhrase::FoundInAnsiPage(std::string_view Html) {
  if (FPhrase.Bytes.empty()) return false;
  // Most pages lack the anchor in their raw bytes and need no stripping.
  if (!FAnchor.Bytes.empty() && Scan(FAnchor, Html) == TScan::Absent) return false;
  StripTagsInto(Html, FBuffer);
  const std::string_view Text = UpToNul(FBuffer);
  const TScan Result = Scan(FPhrase, Text);
  if (Result != TScan::Unsure) return Result == TScan::Present;
  return FoldAndContain(reinterpret_cast<unsigned char*>(FBuffer.data()), Text.size(),
                        FPhrase.Bytes);
}

} // namespace vv

#include "text/u_SpaceParser.h"

#include <cstring>

namespace vv {

namespace {
const char* const SLineFormat = "%s on line %d";
const char* const SIdentifierExpected = "Identifier expected";
const char* const SStringExpected = "String expected";
const char* const SNumberExpected = "Number expected";
const char* const SCharExpected = "''%s'' expected";
const char* const SSymbolExpected = "%s expected";
const char* const SInvalidString = "Invalid string constant";
const char* const SLineTooLong = "Line too long";

bool IsIdentStart(unsigned char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
bool IsIdentChar(unsigned char C) {
  return IsIdentStart(C) || (C >= '0' && C <= '9');
}
bool IsDigit(unsigned char C) {
  return C >= '0' && C <= '9';
}
bool IsHexDigit(unsigned char C) {
  return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
}

bool AsciiSameText(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

// The expectation phrase of one token kind or character.
std::string ExpectedPhrase(char T) {
  switch (T) {
  case toSymbol:
    return SIdentifierExpected;
  case toString:
  case toWString:
    return SStringExpected;
  case toInteger:
  case toFloat:
    return SNumberExpected;
  // A 0 byte inside a message would cut it short; name the kind instead.
  case toEOF:
    return Format(SCharExpected, "toEOF");
  default:
    return Format(SCharExpected, std::string(1, T));
  }
}

int LineFeeds(const char* From, const char* To) {
  int Count = 0;
  while (const auto* P = static_cast<const char*>(std::memchr(From, '\n', To - From))) {
    ++Count;
    From = P + 1;
  }
  return Count;
}

// "#" followed by decimal digits; saturates instead of wrapping on absurd lengths.
std::uint32_t ReadCharCode(const char*& P) {
  std::uint64_t Code = 0;
  while (IsDigit(static_cast<unsigned char>(*P))) {
    Code = Code * 10 + static_cast<std::uint64_t>(*P - '0');
    if (Code > UINT32_MAX) Code = UINT32_MAX;
    ++P;
  }
  return static_cast<std::uint32_t>(Code);
}
} // namespace

TSpaceParser::TSpaceParser(TStream& Stream, bool CharMode, bool AsciiSymbolCompare)
    : CharMode(CharMode), AsciiSymbolCompare(AsciiSymbolCompare), Stream(Stream),
      // One byte more than the window: the sentinel may sit right at its end.
      Buffer(new char[BufSize + 1]) {
  BufPtr = Buffer.get();
  BufEnd = Buffer.get() + BufSize;
  SourcePtr = SourceEnd = TokenPtr = StringPtr = Buffer.get();
  *SourceEnd = 0;
  NextToken();
}

TSpaceParser::~TSpaceParser() {
  if (!Buffer) return;
  try {
    Stream.Seek(-(BufPtr - TokenPtr), soCurrent);
  } catch (...) {
    // The stream position is a courtesy; a destructor must not throw.
  }
}

void TSpaceParser::ReadBuffer(char* Keep) {
  *SourceEnd = SaveChar;
  char* const Start = Buffer.get();
  const std::ptrdiff_t Delta = Keep - Start;
  const std::size_t Kept = static_cast<std::size_t>(BufPtr - Keep);
  if (Delta > 0) std::memmove(Start, Keep, Kept);
  BufPtr = Start + Kept;
  SourcePtr -= Delta;
  // A token start behind Keep is gone; it is about to be set anew.
  TokenPtr = TokenPtr >= Keep ? TokenPtr - Delta : SourcePtr;
  // Read until the window is full or the stream ends, so that a short
  // read never leaves the window ending in the middle of a line.
  while (BufPtr < BufEnd) {
    const std::int64_t Count = Stream.Read(BufPtr, BufEnd - BufPtr);
    if (Count <= 0) break;
    BufPtr += Count;
  }
  SourceEnd = BufPtr;
  if (SourceEnd == BufEnd) {
    char* P = BufEnd;
    while (P > SourcePtr && P[-1] != '\n')
      --P;
    if (P == SourcePtr) {
      SaveChar = *SourceEnd;
      *SourceEnd = 0;
      Error(SLineTooLong);
    }
    SourceEnd = P;
  }
  SaveChar = *SourceEnd;
  *SourceEnd = 0;
}

void TSpaceParser::SkipBlanks() {
  for (;;) {
    const auto C = static_cast<unsigned char>(*SourcePtr);
    if (C == 0) {
      if (SourcePtr != SourceEnd) return; // a 0 byte in the text ends the input
      ReadBuffer(SourcePtr);
      if (*SourcePtr == 0) return;
      continue;
    }
    if (C > ' ') return;
    if (C == '\n') ++FSourceLine;
    ++SourcePtr;
  }
}

bool TSpaceParser::StringByteAvailable() {
  if (*SourcePtr != 0) return true;
  if (SourcePtr != SourceEnd) return false;
  ReadBuffer(TokenPtr);
  return *SourcePtr != 0;
}

void TSpaceParser::ScanDoubleQuoted() {
  ++SourcePtr;
  for (;;) {
    // Jump to the next quote, or to the first 0 byte (the sentinel or a stray
    // one) before it, counting the line feeds passed on the way.
    auto* Stop = static_cast<char*>(std::memchr(SourcePtr, '"', SourceEnd - SourcePtr));
    if (!Stop) Stop = SourceEnd;
    if (auto* Zero = static_cast<char*>(std::memchr(SourcePtr, 0, Stop - SourcePtr))) Stop = Zero;
    FSourceLine += LineFeeds(SourcePtr, Stop);
    SourcePtr = Stop;
    if (!StringByteAvailable()) Error(SInvalidString);
    if (*SourcePtr != '"') continue; // refilled: scan on
    // The window always ends after a line feed or at the end of input, so
    // the byte after a quote is in the window whenever it exists.
    if (SourcePtr[1] != '"') break;
    SourcePtr += 2;
  }
  ++SourcePtr;
  // Second pass: decode over the source bytes, a run at a time; a doubled
  // quote keeps its first half.
  const char* Src = TokenPtr + 1;
  const char* const End = SourcePtr - 1;
  char* Dst = TokenPtr;
  while (Src < End) {
    const auto* Quote = static_cast<const char*>(std::memchr(Src, '"', End - Src));
    const char* const RunEnd = Quote ? Quote + 1 : End;
    std::memmove(Dst, Src, RunEnd - Src);
    Dst += RunEnd - Src;
    Src = Quote ? Quote + 2 : End;
  }
  StringPtr = Dst;
  FToken = toString;
}

void TSpaceParser::ScanApostrophe() {
  bool Wide = false;
  for (;;) {
    if (*SourcePtr == '#') {
      ++SourcePtr;
      const char* P = SourcePtr;
      if (ReadCharCode(P) > 255) Wide = true;
      SourcePtr += P - SourcePtr;
    } else if (*SourcePtr == '\'') {
      ++SourcePtr;
      for (;;) {
        if (!StringByteAvailable()) Error(SInvalidString);
        const char C = *SourcePtr;
        if (C == '\n') ++FSourceLine;
        if (C == '\'') {
          if (SourcePtr[1] == '\'') {
            SourcePtr += 2;
            continue;
          }
          ++SourcePtr;
          break;
        }
        ++SourcePtr;
      }
    } else {
      break;
    }
  }
  // Second pass: the value, in place (never longer than its source) or wide.
  const char* Src = TokenPtr;
  char* Dst = TokenPtr;
  WideStr.clear();
  while (Src < SourcePtr) {
    if (*Src == '#') {
      ++Src;
      const std::uint32_t Code = ReadCharCode(Src);
      if (Wide)
        WideStr.push_back(static_cast<char16_t>(Code & 0xFFFF));
      else
        *Dst++ = static_cast<char>(Code);
      continue;
    }
    ++Src; // opening apostrophe
    for (;;) {
      if (*Src == '\'') {
        if (Src[1] != '\'') {
          ++Src;
          break;
        }
        ++Src;
      }
      if (Wide)
        WideStr.push_back(static_cast<char16_t>(static_cast<unsigned char>(*Src)));
      else
        *Dst++ = *Src;
      ++Src;
    }
  }
  if (Wide) {
    FToken = toWString;
  } else {
    StringPtr = Dst;
    FToken = toString;
  }
}

void TSpaceParser::ScanNumber() {
  ++SourcePtr;
  while (IsDigit(static_cast<unsigned char>(*SourcePtr)))
    ++SourcePtr;
  FToken = toInteger;
  for (;;) {
    const char C = *SourcePtr;
    if (!(IsDigit(static_cast<unsigned char>(C)) || C == '+' || C == '-' || C == '.' || C == 'E' ||
          C == 'e'))
      break;
    ++SourcePtr;
    FToken = toFloat;
  }
  const char C = *SourcePtr;
  if (C == 'C' || C == 'D' || C == 'S' || C == 'c' || C == 'd' || C == 's') {
    FFloatType = C;
    ++SourcePtr;
    FToken = toFloat;
  }
}

char TSpaceParser::NextToken() {
  FFloatType = 0;
  if (CharMode) {
    if (*SourcePtr == 0 && SourcePtr == SourceEnd) ReadBuffer(SourcePtr);
    // Counted after a refill too, so an empty line at a window edge is not lost.
    if (*SourcePtr == '\n') ++FSourceLine;
    TokenPtr = SourcePtr;
    FToken = *SourcePtr;
    if (FToken != 0) ++SourcePtr;
    return FToken;
  }
  SkipBlanks();
  TokenPtr = SourcePtr;
  const auto C = static_cast<unsigned char>(*SourcePtr);
  if (C == 0) {
    FToken = toEOF;
  } else if (IsIdentStart(C)) {
    while (IsIdentChar(static_cast<unsigned char>(*SourcePtr)))
      ++SourcePtr;
    FToken = toSymbol;
  } else if (C == '"') {
    ScanDoubleQuoted();
  } else if (C == '\'' || C == '#') {
    ScanApostrophe();
  } else if (C == '$') {
    ++SourcePtr;
    while (IsHexDigit(static_cast<unsigned char>(*SourcePtr)))
      ++SourcePtr;
    FToken = toInteger;
  } else if (C == '-' || IsDigit(C)) {
    ScanNumber();
  } else {
    ++SourcePtr;
    FToken = static_cast<char>(C);
  }
  return FToken;
}

std::string TSpaceParser::TokenString() const {
  if (FToken == toString) return std::string(TokenPtr, StringPtr);
  return std::string(TokenPtr, SourcePtr);
}

std::int64_t TSpaceParser::TokenInt() const {
  return StrToInt64(TokenString());
}

long double TSpaceParser::TokenFloat() const {
  std::string Text = TokenString();
  if (FFloatType != 0 && !Text.empty()) Text.pop_back();
  return StrToFloat(Text);
}

bool TSpaceParser::TokenSymbolIs(std::string_view S) const {
  if (FToken != toSymbol) return false;
  const std::string_view Text(TokenPtr, static_cast<std::size_t>(SourcePtr - TokenPtr));
  return AsciiSymbolCompare ? AsciiSameText(Text, S) : SameText(Text, S);
}

void TSpaceParser::Error(std::string_view Message) const {
  throw EParserError(Format(SLineFormat, Message, FSourceLine));
}

void TSpaceParser::CheckToken(char T) {
  if (FToken != T) Error(ExpectedPhrase(T));
}

void TSpaceParser::CheckTokens(std::initializer_list<char> List) {
  for (const char T : List)
    if (FToken == T) return;
  std::string Message;
  for (const char T : List)
    Message += "\r\nor " + ExpectedPhrase(T);
  Error(Message.size() >= 5 ? Message.substr(5) : Message);
}

void TSpaceParser::CheckTokenSymbol(std::string_view S) {
  if (!TokenSymbolIs(S)) Error(Format(SSymbolExpected, S));
}

} // namespace vv

#pragma once
// Tokenizer of 8-bit text for the lenient XML reader: identifiers, quoted
// strings, numbers and single characters, or one byte per token in character mode.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "text/u_Convert.h"
#include "text/u_Streams.h"
#include "text/u_Utils.h"

namespace vv {

class EParserError : public Exception {
  using Exception::Exception;
};

// Token kinds; any other value of Token is the character itself.
constexpr char toEOF = 0;
constexpr char toSymbol = 1;
constexpr char toString = 2;
constexpr char toInteger = 3;
constexpr char toFloat = 4;
constexpr char toWString = 5;

class TSpaceParser {
public:
  static constexpr std::size_t BufSize = 0x40000;

  // Reads the first token, so Token is valid at once. Stream is not owned.
  TSpaceParser(TStream& Stream, bool CharMode, bool AsciiSymbolCompare);
  // Leaves the stream positioned at the start of the last token read.
  ~TSpaceParser();
  TSpaceParser(const TSpaceParser&) = delete;
  TSpaceParser& operator=(const TSpaceParser&) = delete;

  char NextToken();
  [[nodiscard]] char Token() const { return FToken; }
  [[nodiscard]] std::string TokenString() const;
  [[nodiscard]] std::u16string TokenWideString() const { return WideStr; }
  [[nodiscard]] std::int64_t TokenInt() const;
  [[nodiscard]] long double TokenFloat() const;
  [[nodiscard]] bool TokenSymbolIs(std::string_view S) const;
  [[nodiscard]] int SourceLine() const { return FSourceLine; }
  [[nodiscard]] char FloatType() const { return FFloatType; }

  void CheckToken(char T);
  void CheckTokens(std::initializer_list<char> List);
  void CheckTokenSymbol(std::string_view S);
  [[noreturn]] void Error(std::string_view Message) const;
  template <typename... Args>
  [[noreturn]] void ErrorFmt(std::string_view Pattern, const Args&... Values) const {
    Error(Format(Pattern, Values...));
  }

  // Takes effect at the next NextToken.
  bool CharMode;
  const bool AsciiSymbolCompare;

private:
  // Refills the window, keeping the bytes from Keep on (the scan position,
  // or the start of a string token that straddles the refill).
  void ReadBuffer(char* Keep);
  void SkipBlanks();
  void ScanDoubleQuoted();
  void ScanApostrophe();
  void ScanNumber();
  // Steps SourcePtr past a byte inside a string, refilling at the sentinel;
  // false at the end of input.
  bool StringByteAvailable();

  TStream& Stream; // not owned
  std::unique_ptr<char[]> Buffer;
  char* BufPtr;
  char* BufEnd;
  char* SourcePtr;
  char* SourceEnd;
  char* TokenPtr;
  char* StringPtr;
  int FSourceLine = 1;
  char SaveChar = 0;
  char FToken = toEOF;
  char FFloatType = 0;
  std::u16string WideStr;
};

} // namespace vv

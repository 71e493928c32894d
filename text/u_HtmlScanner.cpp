#include "text/u_HtmlScanner.h"

#include <algorithm>
#include <cstring>

#include "text/u_Convert.h"
#include "text/u_SpaceXMLParser.h"
#include "text/u_Unicode.h"
#include "text/u_Utils.h"

namespace vv {

namespace {

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f';
}

bool IsLetter(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
}

bool EndsName(char C) {
  return IsBlank(C) || C == '>' || C == '/';
}

bool IsRawTextElement(std::string_view Name) {
  for (const char* Raw : {"script", "style", "title", "textarea"})
    if (SameText(Name, Raw)) return true;
  return false;
}

// Position of "</Name" (any case, followed by the name's end) at or after From.
std::size_t FindEndTag(std::string_view Html, std::size_t From, std::string_view Name) {
  for (std::size_t At = Html.find("</", From); At != std::string_view::npos;
       At = Html.find("</", At + 2)) {
    const std::size_t After = At + 2 + Name.size();
    if (SameText(Html.substr(At + 2, Name.size()), Name) &&
        (After >= Html.size() || EndsName(Html[After])))
      return At;
  }
  return Html.size();
}

} // namespace

void THtmlScanner::Advance(std::size_t To) {
  To = std::min(To, Html.size());
  Line += static_cast<int>(std::count(Html.data() + Pos, Html.data() + To, '\n'));
  Pos = To;
}

bool THtmlScanner::Next(THtmlToken& Token) {
  Token.Attributes.clear();
  Token.Name = {};
  Token.Text = {};
  if (!RawTextOf.empty()) {
    const std::size_t End = FindEndTag(Html, Pos, RawTextOf);
    RawTextOf = {};
    if (End > Pos) {
      Token.Kind = THtmlToken::TKind::Text;
      Token.Line = Line;
      Token.Text = Html.substr(Pos, End - Pos);
      Advance(End);
      return true;
    }
  }
  while (Pos < Html.size()) {
    Token.Line = Line;
    if (Html[Pos] != '<') {
      ReadText(Token);
      return true;
    }
    const char After = Pos + 1 < Html.size() ? Html[Pos + 1] : '\0';
    if (IsLetter(After)) {
      ReadStartTag(Token);
      return true;
    }
    if (After == '/' && Pos + 2 < Html.size() && IsLetter(Html[Pos + 2])) {
      std::size_t End = Pos + 2;
      while (End < Html.size() && !EndsName(Html[End]))
        ++End;
      Token.Kind = THtmlToken::TKind::EndTag;
      Token.Name = Html.substr(Pos + 2, End - Pos - 2);
      const std::size_t Gt = Html.find('>', End);
      Advance(Gt == std::string_view::npos ? Html.size() : Gt + 1);
      return true;
    }
    if (After == '!' || After == '?' || After == '/') {
      // Comments run to "-->"; declarations and the like to the next ">".
      const bool Comment = Html.substr(Pos, 4) == "<!--";
      const std::size_t End = Html.find(Comment ? "-->" : ">", Pos + 2);
      Advance(End == std::string_view::npos ? Html.size() : End + (Comment ? 3 : 1));
      continue;
    }
    ReadText(Token); // a "<" that opens nothing is text
    return true;
  }
  return false;
}

void THtmlScanner::ReadText(THtmlToken& Token) {
  const std::size_t Lt = Html.find('<', Pos + 1);
  const std::size_t End = Lt == std::string_view::npos ? Html.size() : Lt;
  Token.Kind = THtmlToken::TKind::Text;
  Token.Text = Html.substr(Pos, End - Pos);
  Advance(End);
}

void THtmlScanner::ReadStartTag(THtmlToken& Token) {
  const std::size_t N = Html.size();
  std::size_t P = Pos + 1;
  while (P < N && !EndsName(Html[P]))
    ++P;
  Token.Kind = THtmlToken::TKind::StartTag;
  Token.Name = Html.substr(Pos + 1, P - Pos - 1);
  while (P < N && Html[P] != '>') {
    if (IsBlank(Html[P]) || Html[P] == '/') {
      ++P;
      continue;
    }
    const std::size_t NameStart = P;
    while (P < N && !IsBlank(Html[P]) && Html[P] != '=' && Html[P] != '>' && Html[P] != '/')
      ++P;
    // Bounded as the XML reader bounds an element's; the rest are read past.
    THtmlAttribute Spare;
    THtmlAttribute& Attribute = Token.Attributes.size() < MaxAttributesPerElement
                                    ? Token.Attributes.emplace_back()
                                    : Spare;
    Attribute.Name = Html.substr(NameStart, P - NameStart);
    while (P < N && IsBlank(Html[P]))
      ++P;
    if (P >= N || Html[P] != '=') continue;
    ++P;
    while (P < N && IsBlank(Html[P]))
      ++P;
    if (P < N && (Html[P] == '"' || Html[P] == '\'')) {
      const std::size_t Close = Html.find(Html[P], P + 1);
      const std::size_t End = Close == std::string_view::npos ? N : Close;
      Attribute.Value = Html.substr(P + 1, End - P - 1);
      P = End + 1;
    } else {
      const std::size_t Start = P;
      while (P < N && !IsBlank(Html[P]) && Html[P] != '>')
        ++P;
      Attribute.Value = Html.substr(Start, P - Start);
    }
  }
  if (IsRawTextElement(Token.Name)) RawTextOf = Token.Name;
  Advance(P + 1);
}

std::string DecodeEntities(std::string_view Text, TCodePage CodePage) {
  if (Text.find('&') == std::string_view::npos) return std::string(Text);
  static constexpr std::pair<std::string_view, char> Named[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    // Looked for within the longest reference only, so a run of '&' stays linear.
    const std::size_t Semi =
        Text[i] == '&' ? Text.substr(0, i + 11).find(';', i + 1) : std::string_view::npos;
    if (Semi == std::string_view::npos) {
      Out += Text[i];
      continue;
    }
    const std::string_view Name = Text.substr(i + 1, Semi - i - 1);
    int Decoded = -1;
    if (Name.size() > 1 && Name[0] == '#') {
      const bool Hex = Name[1] == 'x' || Name[1] == 'X';
      const std::string Digits(Name.substr(Hex ? 2 : 1));
      char* End = nullptr;
      const long Code = std::strtol(Digits.c_str(), &End, Hex ? 16 : 10);
      if (!Digits.empty() && *End == '\0' && CodePage == TCodePage::Utf8) {
        AppendUtf8(Out, Code == 160 ? U' ' : Code > 0 && Code <= 0x10FFFF ? static_cast<char32_t>(Code) : ReplacementChar);
        i = Semi;
        continue;
      }
      if (!Digits.empty() && *End == '\0') {
        const int Byte = Code == 160    ? ' '
                         : Code <= 255  ? int(Code)
                         : Code <= 0xFFFF ? WideCharToAnsi(static_cast<char16_t>(Code))
                                          : -1;
        Decoded = Byte < 0 ? '?' : Byte;
      }
    } else {
      for (const auto& [Entity, C] : Named)
        if (Name == Entity) Decoded = static_cast<unsigned char>(C);
    }
    if (Decoded < 0) {
      Out += Text[i];
      continue;
    }
    Out += static_cast<char>(Decoded);
    i = Semi;
  }
  return Out;
}

bool DeclaresUtf8(std::string_view Html) {
  if (Html.substr(0, 3) == "\xEF\xBB\xBF") return true;
  // The declaration is a meta element of the head: <meta charset="utf-8">, or
  // the http-equiv form with "charset=utf-8" in its content. Only the "<" of
  // the head are visited, since search asks this of every page.
  const std::string_view Head = Html.substr(0, 2048);
  // Word is lower case ASCII; setting bit 5 lowers ASCII letters and keeps "-" and digits.
  auto Is = [](std::string_view Text, std::size_t At, std::string_view Word) {
    if (At + Word.size() > Text.size()) return false;
    for (std::size_t k = 0; k < Word.size(); ++k)
      if ((Text[At + k] | 0x20) != Word[k]) return false;
    return true;
  };
  for (std::size_t Lt = Head.find('<'); Lt != std::string_view::npos; Lt = Head.find('<', Lt + 1)) {
    if (!Is(Head, Lt + 1, "meta")) continue;
    const std::string_view Tag = Head.substr(Lt, Head.find('>', Lt) - Lt);
    for (std::size_t At = 0; At + 7 <= Tag.size(); ++At) {
      if (!Is(Tag, At, "charset")) continue;
      std::size_t i = At + 7;
      while (i < Tag.size() && (Tag[i] == ' ' || Tag[i] == '=' || Tag[i] == '"' || Tag[i] == '\''))
        ++i;
      if (Is(Tag, i, "utf-8") || Is(Tag, i, "utf8")) return true;
    }
  }
  return false;
}

} // namespace vv

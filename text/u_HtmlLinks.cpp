#include "text/u_HtmlLinks.h"

#include <algorithm>

#include "text/u_HtmlScanner.h"
#include "text/u_Utils.h"

namespace vv {

namespace {

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f';
}

std::string_view Trimmed(std::string_view S) {
  while (!S.empty() && IsBlank(S.front()))
    S.remove_prefix(1);
  while (!S.empty() && IsBlank(S.back()))
    S.remove_suffix(1);
  return S;
}

void Add(std::string_view Target, int Line, std::vector<THtmlLink>& Links) {
  if (!(Target = Trimmed(Target)).empty()) Links.push_back({std::string(Target), Line});
}

// "a.jpg 1x, b.jpg 2x": each candidate is a URL up to a blank, then an
// optional descriptor up to the next comma.
void AddSrcset(std::string_view Set, int Line, std::vector<THtmlLink>& Links) {
  std::size_t P = 0;
  while (P < Set.size()) {
    while (P < Set.size() && (IsBlank(Set[P]) || Set[P] == ','))
      ++P;
    const std::size_t Start = P;
    while (P < Set.size() && !IsBlank(Set[P]))
      ++P;
    std::string_view Url = Set.substr(Start, P - Start);
    const bool Ended = !Url.empty() && Url.back() == ',';
    if (Ended) Url.remove_suffix(1);
    Add(Url, Line, Links);
    if (!Ended)
      while (P < Set.size() && Set[P] != ',')
        ++P;
  }
}

// A link element the browser fetches: a style sheet or an icon. The others
// ("next", rev="made" with a mail address) only describe.
bool FetchesLink(const THtmlToken& Link) {
  for (const THtmlAttribute& A : Link.Attributes)
    if (SameText(A.Name, "rel")) {
      std::string Rel(A.Value);
      for (char& C : Rel)
        C = static_cast<char>(FoldCase(static_cast<unsigned char>(C)));
      return Rel.find("stylesheet") != std::string::npos || Rel.find("icon") != std::string::npos;
    }
  return false;
}

} // namespace

void ScanCssLinks(std::string_view Css, int FirstLine, std::vector<THtmlLink>& Links) {
  int Line = FirstLine;
  const std::size_t N = Css.size();
  for (std::size_t P = 0; P < N; ++P) {
    const char C = Css[P];
    if (C == '\n') {
      ++Line;
    } else if (C == '/' && P + 1 < N && Css[P + 1] == '*') {
      const std::size_t End = Css.find("*/", P + 2);
      const std::size_t To = End == std::string_view::npos ? N : End + 2;
      for (; P < To; ++P)
        Line += Css[P] == '\n';
      --P;
    } else if ((C == 'u' || C == 'U') && SameText(Css.substr(P, 4), "url(")) {
      std::size_t Start = P + 4;
      while (Start < N && IsBlank(Css[Start]))
        ++Start;
      const char Quote = Start < N && (Css[Start] == '"' || Css[Start] == '\'') ? Css[Start] : ')';
      if (Quote != ')') ++Start;
      const std::size_t End = std::min(Css.find(Quote, Start), N);
      Add(Css.substr(Start, End - Start), Line, Links);
      P = Start - 1;
    } else if (C == '@' && SameText(Css.substr(P, 7), "@import")) {
      std::size_t Start = P + 7;
      while (Start < N && IsBlank(Css[Start]))
        ++Start;
      if (Start < N && (Css[Start] == '"' || Css[Start] == '\'')) {
        const std::size_t End = std::min(Css.find(Css[Start], Start + 1), N);
        Add(Css.substr(Start + 1, End - Start - 1), Line, Links);
      }
    }
  }
}

void ScanHtmlLinks(std::string_view Html, std::vector<THtmlLink>& Links) {
  THtmlScanner Scanner(Html);
  THtmlToken Token;
  bool InStyle = false;
  while (Scanner.Next(Token)) {
    if (Token.Kind == THtmlToken::TKind::Text) {
      if (InStyle) ScanCssLinks(Token.Text, Token.Line, Links);
      continue;
    }
    InStyle = Token.Kind == THtmlToken::TKind::StartTag && SameText(Token.Name, "style");
    if (SameText(Token.Name, "link") && !FetchesLink(Token)) continue;
    for (const THtmlAttribute& A : Token.Attributes) {
      if (SameText(A.Name, "href") || SameText(A.Name, "src"))
        Add(DecodeEntities(A.Value), Token.Line, Links);
      else if (SameText(A.Name, "srcset"))
        AddSrcset(DecodeEntities(A.Value), Token.Line, Links);
      else if (SameText(A.Name, "style"))
        ScanCssLinks(DecodeEntities(A.Value), Token.Line, Links);
    }
  }
}

} // namespace vv

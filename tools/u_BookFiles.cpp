#include "tools/u_BookFiles.h"

#include <cctype>

#include "text/u_Unicode.h"

namespace vv {

namespace {

// The scheme of "mfs:\a.htm" or "https://x" in lower case; empty for a path.
std::string SchemeOf(std::string_view Link) {
  const std::size_t Colon = Link.find(':');
  if (Colon == std::string_view::npos || Colon < 2) return {};
  for (std::size_t i = 0; i < Colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(Link[i])) && Link[i] != '+' && Link[i] != '-' &&
        Link[i] != '.')
      return {};
  return Folded(Link.substr(0, Colon));
}

} // namespace

std::string Folded(std::string_view Path) { return FoldedKey(Path); }

std::string ShownPath(const std::string& Folder, std::string_view Path) {
  while (!Path.empty() && (Path.front() == '\\' || Path.front() == '/'))
    Path.remove_prefix(1);
  std::string Out = Folder + std::string(Path);
  for (char& C : Out)
    if (C == '\\') C = '/';
  return Out;
}

bool IsPagePath(std::string_view Path) {
  const std::string Ext = Folded(TMFS::ExtractExt(Path));
  return Ext == ".htm" || Ext == ".html" || Ext == ".xhtml";
}

TBookFiles::TBookFiles(const TMFS& Volume) {
  // Explicit stack: volumes may nest deeply.
  std::vector<std::pair<const TMFSFolder*, std::string>> Stack{{&Volume.Root(), "\\"}};
  while (!Stack.empty()) {
    const auto [Folder, Path] = Stack.back();
    Stack.pop_back();
    const auto Children = Folder->Children.Values();
    for (auto Child = Children.rbegin(); Child != Children.rend(); ++Child)
      if (const auto* Sub = dynamic_cast<const TMFSFolder*>(*Child))
        Stack.emplace_back(Sub, Path + Sub->Name + "\\");
    for (const TMFSItem* Child : Children)
      if (dynamic_cast<const TMFSFile*>(Child)) {
        ByFolded.emplace(Folded(Path + Child->Name), FPaths.size());
        FPaths.push_back(Path + Child->Name);
      }
  }
}

const std::string* TBookFiles::Find(std::string_view Path) const {
  const auto Found = ByFolded.find(Folded(Path));
  return Found == ByFolded.end() ? nullptr : &FPaths[Found->second];
}

std::string LinkInBookNames(std::string_view Link, bool PageIsUtf8, TCodePage CodePage) {
  if (PageIsUtf8 == (CodePage == TCodePage::Utf8)) return std::string(Link);
  if (!PageIsUtf8) return BookToUtf8(Link, TCodePage::Windows1252);
  bool Lost = false;
  std::string Held = IsValidUtf8(Link) ? Utf8ToBook(Link, CodePage, &Lost) : std::string(Link);
  return Lost ? std::string(Link) : Held;
}

TLinkTarget ResolveLink(std::string_view FromPage, std::string_view Link) {
  std::string_view Rest = Link.substr(0, Link.find_first_of("?#"));
  if (Rest.empty()) return {};
  if (Rest.substr(0, 2) == "//") return {TLinkTarget::TKind::External, {}};
  // "list@host" (a mailto: without its scheme) names no file.
  if (const std::size_t At = Rest.find('@'); At != std::string_view::npos && Rest.find('/') > At)
    return {TLinkTarget::TKind::External, {}};
  TLinkTarget Target;
  Target.Kind = TLinkTarget::TKind::Content;
  if (const std::string Scheme = SchemeOf(Rest); !Scheme.empty()) {
    if (Scheme == "http" || Scheme == "https" || Scheme == "mailto")
      return {TLinkTarget::TKind::External, {}};
    if (Scheme != "mfs" && Scheme != "system") return {};
    if (Scheme == "system") Target.Kind = TLinkTarget::TKind::System;
    Rest.remove_prefix(Scheme.size() + 1);
  }
  std::string Path;
  for (std::size_t i = 0; i < Rest.size(); ++i)
    if (Rest.substr(i, 3) == "%20")
      Path += ' ', i += 2;
    else
      Path += Rest[i] == '/' ? '\\' : Rest[i];
  if (Path.empty() || Path.front() != '\\') Path.insert(0, TMFS::ExtractPath(FromPage));
  try {
    Target.Path = TMFS::CanonicalizePath(Path);
  } catch (const EMFSError&) { // only ".." above the root is refused
    return {TLinkTarget::TKind::Outside, {}};
  }
  return Target;
}

} // namespace vv

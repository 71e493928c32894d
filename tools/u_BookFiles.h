#pragma once
// Where the links of a book lead: the files of a volume by path (found
// without regard to case, as the viewer finds them) and a link of a page
// turned into the path it names.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "storage/u_MFS.h"
#include "text/u_Convert.h"

namespace vv {

// How messages name a file of a volume: "files/" and "\chapter\p.htm" give
// "files/chapter/p.htm".
[[nodiscard]] std::string ShownPath(const std::string& Folder, std::string_view Path);

// Path with its letters folded as the volume matches them.
[[nodiscard]] std::string Folded(std::string_view Path);

// A page is what the browser shows as a document: .htm, .html or .xhtml.
[[nodiscard]] bool IsPagePath(std::string_view Path);

class TBookFiles {
public:
  explicit TBookFiles(const TMFS& Volume);
  // Every file as "\folder\name": a folder's files, then its folders', in name order.
  [[nodiscard]] const std::vector<std::string>& Paths() const { return FPaths; }
  // The file's path as the volume spells it, or nullptr when there is none.
  [[nodiscard]] const std::string* Find(std::string_view Path) const;

private:
  std::vector<std::string> FPaths;
  std::unordered_map<std::string, std::size_t> ByFolded;
};

struct TLinkTarget {
  enum class TKind {
    Content,  // a file of the content volume: Path
    System,   // a "system:" file: Path in the system volume
    External, // http, https, mailto, "//host" links and bare mail addresses: counted, not followed
    Outside,  // climbs above the root ("../other/index.html"): no file of the book
    Ignored,  // the page itself ("#top"), other schemes (javascript:, data:, ...)
  };
  TKind Kind = TKind::Ignored;
  std::string Path; // canonical, from the root: "\chapter1\page1.htm"
};

// A link as a page of that encoding writes it, in the names of a book of
// CodePage, as the viewer is asked for it: a UTF-8 page's "café.html" is
// "caf\xE9.html" in a Windows-1252 book. A link the book's code page cannot
// hold, or one that is not UTF-8 where it should be, stays as written.
[[nodiscard]] std::string LinkInBookNames(std::string_view Link, bool PageIsUtf8, TCodePage CodePage);

// Link as written in the page FromPage ("\chapter1\page1.htm"): query and
// fragment dropped, "%20" read as a blank as the viewer reads it.
[[nodiscard]] TLinkTarget ResolveLink(std::string_view FromPage, std::string_view Link);

} // namespace vv

#include "tools/u_LinkCheck.h"

#include <unordered_map>

#include "text/u_HtmlLinks.h"
#include "text/u_HtmlScanner.h"
#include "text/u_Variables.h"
#include "tools/u_BookFiles.h"

namespace vv {

namespace {

bool IsStyleSheet(std::string_view Path) {
  return SameText(TMFS::ExtractExt(Path), ".css");
}

} // namespace

TLinkCount CheckLinks(TBookSource& Book, const std::vector<std::string>& Roots,
                      const TVariables* Variables, std::ostream& Out, std::ostream& Err) {
  const TBookFiles Files(Book.Files);
  const TBookFiles SystemFiles(Book.System);
  TLinkCount Count;
  // Pages each page links to, by index into Files.Paths(), to walk what is reachable.
  std::unordered_map<std::size_t, std::vector<std::size_t>> PageLinks;
  std::unordered_map<const std::string*, std::size_t> IndexOf;
  for (std::size_t i = 0; i < Files.Paths().size(); ++i)
    IndexOf.emplace(&Files.Paths()[i], i);

  // One line per broken link; a target missing from many pages is one line
  // with a count of the other pages, so a missing style sheet does not bury the rest.
  struct TReportLine {
    std::string Text;
    int MoreLinks = 0, OtherPages = 0;
  };
  std::vector<TReportLine> Report;
  struct TFirst {
    std::size_t Line, LastPage;
  };
  std::unordered_map<std::string, TFirst> FirstOf; // by target as resolved
  std::vector<THtmlLink> Links;
  for (std::size_t i = 0; i < Files.Paths().size(); ++i) {
    const std::string& Path = Files.Paths()[i];
    const bool Page = IsPagePath(Path);
    if (!Page && !IsStyleSheet(Path)) continue;
    const std::string& Content = Book.Files.DefaultSession().GetFile(Path)->Content;
    Links.clear();
    if (Page)
      ScanHtmlLinks(Content, Links);
    else
      ScanCssLinks(Content, 1, Links);
    // Style sheets are taken to be written as the settings are.
    const bool Utf8 = Page ? DeclaresUtf8(Content) : Book.CodePage == TCodePage::Utf8;
    int Broken = 0;
    for (const THtmlLink& Link : Links) {
      const bool Expand = Variables && Link.Target.find("%{") != std::string::npos;
      const TLinkTarget Target = ResolveLink(
          Path, LinkInBookNames(Expand ? Variables->Substitute(Link.Target) : Link.Target, Utf8, Book.CodePage));
      if (Target.Kind == TLinkTarget::TKind::External) ++Count.External;
      const bool Outside = Target.Kind == TLinkTarget::TKind::Outside;
      if (Target.Kind != TLinkTarget::TKind::Content && Target.Kind != TLinkTarget::TKind::System &&
          !Outside)
        continue;
      ++Count.Checked;
      const bool InSystem = Target.Kind == TLinkTarget::TKind::System;
      const std::string* Found = Outside ? nullptr : (InSystem ? SystemFiles : Files).Find(Target.Path);
      if (!Found) {
        ++Count.Broken;
        const std::string Key = Outside ? Link.Target : Folded(Target.Path);
        if (const auto First = FirstOf.find(Key); First != FirstOf.end()) {
          TReportLine& Line = Report[First->second.Line];
          ++Line.MoreLinks;
          if (First->second.LastPage != i) ++Line.OtherPages;
          First->second.LastPage = i;
        } else if (++Broken <= MaxListed) {
          FirstOf.emplace(Key, TFirst{Report.size(), i});
          Report.push_back({ShownPath(Book.FilesFolder, Path) + ":" + std::to_string(Link.Line) +
                            ": \"" + Link.Target + "\" " +
                            (Outside ? "is outside the book" : "not found")});
        }
      } else if (!InSystem && Page && IsPagePath(*Found)) {
        PageLinks[i].push_back(IndexOf.at(Found));
      }
    }
    if (Broken > MaxListed)
      Report.push_back({ShownPath(Book.FilesFolder, Path) + ": " + std::to_string(Broken - MaxListed) +
                        " more links not found"});
  }
  for (const TReportLine& Line : Report) {
    Err << Line.Text;
    const auto Pages = [](int N) { return std::to_string(N) + (N == 1 ? " other page" : " other pages"); };
    if (Line.MoreLinks > 0 && Line.MoreLinks == Line.OtherPages)
      Err << " (and on " << Pages(Line.OtherPages) << ")";
    else if (Line.MoreLinks > 0)
      Err << " (and " << Line.MoreLinks << (Line.MoreLinks == 1 ? " more link" : " more links")
          << " to it" << (Line.OtherPages > 0 ? ", on " + Pages(Line.OtherPages) : "") << ")";
    Err << "\n";
  }

  std::vector<bool> Reached(Files.Paths().size(), false);
  std::vector<std::size_t> Pending;
  for (const std::string& Root : Roots)
    if (const std::string* Found = Files.Find(Root); Found && !Reached[IndexOf.at(Found)]) {
      Reached[IndexOf.at(Found)] = true;
      Pending.push_back(IndexOf.at(Found));
    }
  while (!Pending.empty()) {
    const std::size_t Page = Pending.back();
    Pending.pop_back();
    for (const std::size_t Next : PageLinks[Page])
      if (!Reached[Next]) {
        Reached[Next] = true;
        Pending.push_back(Next);
      }
  }
  int Unreached = 0;
  for (std::size_t i = 0; i < Files.Paths().size(); ++i)
    if (!Reached[i] && IsPagePath(Files.Paths()[i]) && ++Unreached <= MaxListed)
      Out << "note: " << ShownPath(Book.FilesFolder, Files.Paths()[i])
          << " is reached neither by the reading order nor by any link\n";
  if (Unreached > MaxListed)
    Out << "note: " << Unreached - MaxListed << " more pages are not reached\n";
  return Count;
}

} // namespace vv

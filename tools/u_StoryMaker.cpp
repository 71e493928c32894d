#include "tools/u_StoryMaker.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>
#include <vector>

#include "text/u_Convert.h"
#include "text/u_HtmlScanner.h"
#include "text/u_Unicode.h"
#include "tools/u_DefaultSettings.h"

namespace vv {

namespace {

struct TEntry {
  int Level;        // 1 for the top of the reading order
  std::string Page; // empty for a part that only groups others
  std::string Name;
};

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f';
}

// A page's text as UTF-8: as written when the page declares UTF-8 and is
// so, else read as Windows-1252.
std::string PageTextToUtf8(std::string_view Text, bool Utf8) {
  return Utf8 && IsValidUtf8(Text) ? std::string(Text) : BookToUtf8(Text, TCodePage::Windows1252);
}

// Appends Text to Name (UTF-8) with runs of blanks as one blank.
void AppendCollapsed(std::string& Name, std::string_view Text, bool Utf8) {
  for (const char C : DecodeEntities(PageTextToUtf8(Text, Utf8), TCodePage::Utf8))
    if (!IsBlank(C))
      Name += C;
    else if (!Name.empty() && Name.back() != ' ')
      Name += ' ';
}

// Separators such as "|" or "-" between items name nothing.
bool HasWords(std::string_view Text) {
  return std::any_of(Text.begin(), Text.end(), [](char C) {
    return static_cast<unsigned char>(C) >= 0x80 || std::isalnum(static_cast<unsigned char>(C));
  });
}

std::string Trimmed(std::string Name) {
  while (!Name.empty() && Name.back() == ' ')
    Name.pop_back();
  return Name;
}

std::string FileTitle(const std::string& Path) {
  const std::string Name = TMFS::ExtractName(Path);
  return PageTextToUtf8(Name.substr(0, Name.rfind('.')), true);
}

const std::string& Content(TMFS& Volume, const std::string& Path) {
  return Volume.DefaultSession().GetFile(Path)->Content;
}

// Items nest by level; written with a stack of open ones, so no depth is too deep.
std::string StoryXml(const std::vector<TEntry>& Entries, TStoryNames& Names) {
  std::string Xml = "<Story Path=\"\\\">\n";
  std::vector<int> Open;
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    const TEntry& E = Entries[i];
    while (!Open.empty() && Open.back() >= E.Level) {
      Open.pop_back();
      Xml += std::string(2 * (Open.size() + 1), ' ') + "</item>\n";
    }
    Xml += std::string(2 * (Open.size() + 1), ' ') + "<item";
    if (!E.Page.empty()) Xml += " page=" + QuotedSetting(E.Page);
    Xml += " pagename=" + QuotedSetting(Names.Written(E.Name));
    const bool Parent = i + 1 < Entries.size() && Entries[i + 1].Level > E.Level;
    Xml += Parent ? ">\n" : "/>\n";
    if (Parent) Open.push_back(E.Level);
  }
  while (!Open.empty()) {
    Open.pop_back();
    Xml += std::string(2 * (Open.size() + 1), ' ') + "</item>\n";
  }
  return Xml + "</Story>\n";
}

// Parts that ended up holding no page are left out.
std::vector<TEntry> WithoutEmptyParts(const std::vector<TEntry>& Entries) {
  std::vector<TEntry> Kept;
  for (std::size_t i = Entries.size(); i-- > 0;) {
    const bool HasChild = !Kept.empty() && Kept.back().Level > Entries[i].Level;
    if (!Entries[i].Page.empty() || HasChild) Kept.push_back(Entries[i]);
  }
  std::reverse(Kept.begin(), Kept.end());
  return Kept;
}

// Walks the contents page's tokens, keeping the list depth and the list item
// being read, whose page and name come from its first new page link.
class TContentsReader {
public:
  TContentsReader(const TBookFiles& Files, const std::string& ContentsPage)
      : Files(Files), ContentsPage(ContentsPage) {
    Listed.insert(*Files.Find(ContentsPage));
  }

  std::vector<TEntry> Read(const std::string& Html) {
    Entries.push_back({1, *Files.Find(ContentsPage), "Contents"});
    Utf8 = DeclaresUtf8(Html);
    THtmlScanner Scanner(Html);
    THtmlToken T;
    while (Scanner.Next(T)) {
      if (T.Kind == THtmlToken::TKind::Text) {
        if (InLink)
          AppendCollapsed(LinkText, T.Text, Utf8);
        else if (Item && !ItemHasPage)
          AppendCollapsed(ItemText, T.Text, Utf8);
        continue;
      }
      const bool Start = T.Kind == THtmlToken::TKind::StartTag;
      if (SameText(T.Name, "ul") || SameText(T.Name, "ol")) {
        FlushItem();
        Depth = Start ? Depth + 1 : std::max(0, Depth - 1);
      } else if (SameText(T.Name, "li")) {
        FlushItem();
        Item = Start;
      } else if (SameText(T.Name, "a")) {
        if (Start)
          StartLink(T);
        else
          EndLink();
      }
    }
    FlushItem();
    return WithoutEmptyParts(Entries);
  }

private:
  void StartLink(const THtmlToken& T) {
    EndLink();
    for (const THtmlAttribute& A : T.Attributes)
      if (SameText(A.Name, "href")) {
        const TLinkTarget Target = ResolveLink(ContentsPage, DecodeEntities(A.Value));
        const std::string* Page =
            Target.Kind == TLinkTarget::TKind::Content ? Files.Find(Target.Path) : nullptr;
        InLink = true;
        const bool IsPage = Page && IsPagePath(*Page);
        LinkPage = IsPage && Listed.insert(*Page).second ? *Page : "";
        LinkListedBefore = IsPage && LinkPage.empty();
      }
  }

  void EndLink() {
    if (!InLink) return;
    InLink = false;
    if (!LinkPage.empty()) {
      std::string Name = Trimmed(LinkText);
      // The item's first page link names it; its own words would only name a part.
      if (Item) ItemHasPage = true;
      Entries.push_back({std::max(Depth, 1), LinkPage, Name.empty() ? FileTitle(LinkPage) : Name});
    } else if (LinkListedBefore && Item && !ItemHasPage && ItemText.empty()) {
      // A page listed before (by a navigation bar, say) still names its item,
      // which becomes a part holding the item's nested list.
      ItemText = LinkText;
    }
    LinkText.clear();
    LinkPage.clear();
  }

  // Ends the list item at its end, the next item or its nested list: the
  // words of an item without a page link make a part.
  void FlushItem() {
    EndLink();
    if (Item && !ItemHasPage)
      if (std::string Part = Trimmed(ItemText); HasWords(Part))
        Entries.push_back({std::max(Depth, 1), "", Part});
    Item = false;
    ItemHasPage = false;
    ItemText.clear();
  }

  const TBookFiles& Files;
  const std::string& ContentsPage;
  std::unordered_set<std::string> Listed; // as the volume spells them
  std::vector<TEntry> Entries;
  bool Utf8 = false; // the contents page's encoding
  int Depth = 0;
  bool Item = false, ItemHasPage = false;
  std::string ItemText;
  bool InLink = false, LinkListedBefore = false;
  std::string LinkText, LinkPage;
};

// "page2" before "page10": runs of digits compare by value, the rest as names do.
bool NaturalLess(std::string_view A, std::string_view B) {
  std::size_t i = 0, j = 0;
  auto Digit = [](char C) { return C >= '0' && C <= '9'; };
  while (i < A.size() && j < B.size()) {
    if (Digit(A[i]) && Digit(B[j])) {
      std::size_t Ei = i, Ej = j;
      while (Ei < A.size() && A[Ei] == '0')
        ++Ei;
      while (Ej < B.size() && B[Ej] == '0')
        ++Ej;
      std::size_t Ni = Ei, Nj = Ej;
      while (Ni < A.size() && Digit(A[Ni]))
        ++Ni;
      while (Nj < B.size() && Digit(B[Nj]))
        ++Nj;
      if (Ni - Ei != Nj - Ej) return Ni - Ei < Nj - Ej;
      if (const int C = A.substr(Ei, Ni - Ei).compare(B.substr(Ej, Nj - Ej)); C != 0) return C < 0;
      i = Ni, j = Nj;
      continue;
    }
    const unsigned char Ca = FoldCase(static_cast<unsigned char>(A[i]));
    const unsigned char Cb = FoldCase(static_cast<unsigned char>(B[j]));
    if (Ca != Cb) return Ca < Cb;
    ++i, ++j;
  }
  return A.size() - i < B.size() - j;
}

} // namespace

std::string PageTitle(std::string_view Html) {
  THtmlScanner Scanner(Html);
  THtmlToken T;
  while (Scanner.Next(T))
    if (T.Kind == THtmlToken::TKind::StartTag && SameText(T.Name, "title")) {
      std::string Title;
      if (Scanner.Next(T) && T.Kind == THtmlToken::TKind::Text) AppendCollapsed(Title, T.Text, DeclaresUtf8(Html));
      return Trimmed(Title);
    } else if (T.Kind == THtmlToken::TKind::StartTag && SameText(T.Name, "body")) {
      break;
    }
  return {};
}

std::string TStoryNames::Written(const std::string& Name) {
  bool Lost = false;
  std::string Bytes = Utf8ToBook(Name, CodePage, &Lost);
  if (Lost) this->Lost.push_back(Name);
  return Bytes;
}

std::string StoryFromContents(TMFS& Volume, const TBookFiles& Files, const std::string& ContentsPage,
                              TStoryNames& Names) {
  return StoryXml(TContentsReader(Files, ContentsPage).Read(Content(Volume, ContentsPage)), Names);
}

std::string StoryFromFileNames(TMFS& Volume, const TBookFiles& Files, TStoryNames& Names) {
  std::vector<std::string> Pages;
  for (const std::string& Path : Files.Paths())
    if (IsPagePath(Path)) Pages.push_back(Path);
  std::stable_sort(Pages.begin(), Pages.end(), NaturalLess);
  std::vector<TEntry> Entries;
  for (const std::string& Page : Pages) {
    const std::string Title = PageTitle(Content(Volume, Page));
    Entries.push_back({1, Page, Title.empty() ? FileTitle(Page) : Title});
  }
  return StoryXml(Entries, Names);
}

} // namespace vv

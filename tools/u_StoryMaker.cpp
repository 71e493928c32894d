#include "tools/u_StoryMaker.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <unordered_map>
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
  bool Placed = false; // the page is placed already: its nested entries go under it
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

// Navigation bars name pages by where they lead, not by what they hold.
bool IsNavigationText(std::string_view Text) {
  std::string Word;
  for (const char C : Text)
    if (std::isalpha(static_cast<unsigned char>(C)))
      Word += static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  for (const char* Nav : {"next", "prev", "previous", "up", "home", "top"})
    if (Word == Nav) return true;
  return false;
}

bool IsNavigationLink(const THtmlToken& Link) {
  for (const THtmlAttribute& A : Link.Attributes) {
    if (SameText(A.Name, "accesskey")) return true;
    if (SameText(A.Name, "rel"))
      for (const char* Nav : {"next", "prev", "previous", "up", "home", "start", "first", "last"})
        if (SameText(A.Value, Nav)) return true;
  }
  return false;
}

// One line of bounded length, whatever the link text held: control bytes
// become blanks, and a long text is cut at a word's end.
std::string Readable(std::string_view Text) {
  std::string Name;
  for (const char C : Text) {
    const auto U = static_cast<unsigned char>(C);
    if (U > 0x20 && U != 0x7F)
      Name += C;
    else if (!Name.empty() && Name.back() != ' ')
      Name += ' ';
    if (Name.size() > MaxPageNameLength) break;
  }
  if (Name.size() > MaxPageNameLength) {
    Name.resize(MaxPageNameLength - 3);
    const std::size_t Blank = Name.rfind(' ');
    if (Blank != std::string::npos && Blank > MaxPageNameLength / 2) Name.resize(Blank);
    // Never half a UTF-8 sequence (of at most three bytes after its first).
    std::size_t Cut = Name.size();
    while (Cut > 0 && Name.size() - Cut < 3 && (static_cast<unsigned char>(Name[Cut - 1]) & 0xC0) == 0x80)
      --Cut;
    if (Cut > 0 && static_cast<unsigned char>(Name[Cut - 1]) >= 0xC0) Name.resize(Cut - 1);
    Name = Trimmed(Name) + "...";
  }
  return Trimmed(Name);
}

bool IsContainer(std::string_view Tag) {
  for (const char* Name : {"ul", "ol", "dl", "div", "nav"})
    if (SameText(Tag, Name)) return true;
  return false;
}

// A list or block its generator marks as a table of contents: a word of its
// class or id ("toc", "toctree-wrapper", "table-of-contents"), as DocBook
// and Sphinx write them.
bool MarksContents(const THtmlToken& T) {
  const auto IsMark = [](std::string_view Word) {
    return SameText(Word, "toc") || SameText(Word, "toctree") || SameText(Word, "contents");
  };
  for (const THtmlAttribute& A : T.Attributes)
    if (SameText(A.Name, "class") || SameText(A.Name, "id")) {
      std::size_t Start = 0;
      for (std::size_t i = 0; i <= A.Value.size(); ++i)
        if (i == A.Value.size() || IsBlank(A.Value[i]) || A.Value[i] == '-' || A.Value[i] == '_') {
          if (IsMark(A.Value.substr(Start, i - Start))) return true;
          Start = i + 1;
        }
    }
  return false;
}

bool HasMarkedContents(std::string_view Html) {
  THtmlScanner Scanner(Html);
  THtmlToken T;
  while (Scanner.Next(T))
    if (T.Kind == THtmlToken::TKind::StartTag && IsContainer(T.Name) && MarksContents(T)) return true;
  return false;
}

// Reads the lists of contents of one page: ul and ol of li, dl of dt and dd.
// Each item's page and name come from its first new page link; Level 1 is an
// item of an outermost list. On the contents page, links outside lists count
// too (at level 1).
class TListReader {
public:
  TListReader(const TBookFiles& Files, const std::string& Page, TCodePage CodePage,
              std::unordered_set<std::string>& Listed, bool AllLinks)
      : Files(Files), Page(Page), CodePage(CodePage), Listed(Listed), AllLinks(AllLinks) {}

  std::vector<TEntry> Read(const std::string& Html) {
    Utf8 = DeclaresUtf8(Html);
    // Where the page marks its table of contents, its other lists (a side
    // bar, a list in the text) are no contents.
    OnlyMarked = !AllLinks && HasMarkedContents(Html);
    THtmlScanner Scanner(Html);
    THtmlToken T;
    while (Scanner.Next(T)) {
      if (T.Kind != THtmlToken::TKind::Text && IsContainer(T.Name)) {
        if (T.Kind == THtmlToken::TKind::StartTag) {
          ++Open;
          if (MarkedFrom == 0 && MarksContents(T)) MarkedFrom = Open;
        } else {
          if (Open == MarkedFrom) MarkedFrom = 0;
          Open = std::max(0, Open - 1);
        }
      }
      if (T.Kind == THtmlToken::TKind::Text) {
        if (InLink)
          AppendCollapsed(LinkText, T.Text, Utf8);
        else if (Item && !ItemHasPage)
          AppendCollapsed(ItemText, T.Text, Utf8);
        continue;
      }
      const bool Start = T.Kind == THtmlToken::TKind::StartTag;
      if (SameText(T.Name, "ul") || SameText(T.Name, "ol") || SameText(T.Name, "dl")) {
        FlushItem();
        Depth = Start ? Depth + 1 : std::max(0, Depth - 1);
      } else if (SameText(T.Name, "li") || SameText(T.Name, "dt")) {
        FlushItem();
        Item = Start;
      } else if (SameText(T.Name, "dd")) {
        FlushItem(); // what a dd holds belongs to its dt's item, nested deeper
      } else if (SameText(T.Name, "a")) {
        if (Start)
          StartLink(T);
        else
          EndLink();
      }
    }
    FlushItem();
    return std::move(Entries);
  }

private:
  int Level() const { return std::clamp(Depth, 1, MaxStoryLevel); }

  void StartLink(const THtmlToken& T) {
    EndLink();
    if (!AllLinks && (Depth == 0 || (OnlyMarked && MarkedFrom == 0))) return;
    for (const THtmlAttribute& A : T.Attributes)
      if (SameText(A.Name, "href")) {
        const std::string Href = DecodeEntities(A.Value);
        const TLinkTarget Target = ResolveLink(Page, LinkInBookNames(Href, Utf8, CodePage));
        // In a list the page does not mark as its contents, a link into the
        // middle of a page is a reference from the text, not an entry.
        const bool IntoPage = Href.find('#') != std::string::npos;
        CrossReference = !AllLinks && MarkedFrom == 0 && IntoPage;
        const std::string* Found =
            Target.Kind == TLinkTarget::TKind::Content ? Files.Find(Target.Path) : nullptr;
        InLink = true;
        Navigation = IsNavigationLink(T);
        const bool IsPage = Found && IsPagePath(*Found);
        LinkPage = IsPage ? *Found : "";
        LinkListedBefore = IsPage && Listed.count(*Found);
      }
  }

  void EndLink() {
    if (!InLink) return;
    InLink = false;
    std::string Name = Trimmed(LinkText);
    if (Navigation || IsNavigationText(Name)) {
      // Neither places nor names: "Next" is where the page is, not what it is.
    } else if (!LinkPage.empty() && !LinkListedBefore && !CrossReference) {
      Listed.insert(LinkPage);
      // The item's first page link names it; its own words would only name a part.
      if (Item) ItemHasPage = true;
      // A picture alone names nothing: the page's title will.
      Entries.push_back({Level(), LinkPage, HasWords(Name) ? Readable(Name) : ""});
    } else if (LinkListedBefore && Item && !ItemHasPage && ItemText.empty()) {
      // A page placed before still heads its item: the item's nested list
      // goes under it, wherever it stands.
      ItemHasPage = true;
      Entries.push_back({Level(), LinkPage, "", true});
    }
    LinkText.clear();
    LinkPage.clear();
  }

  // Ends the list item at its end, the next item or its nested list: the
  // words of an item without a page link make a part.
  void FlushItem() {
    EndLink();
    if (Item && !ItemHasPage)
      if (std::string Part = Readable(Trimmed(ItemText)); HasWords(Part))
        Entries.push_back({Level(), "", Part});
    Item = false;
    ItemHasPage = false;
    ItemText.clear();
  }

  const TBookFiles& Files;
  const std::string& Page;
  const TCodePage CodePage; // the book's, which names its files
  std::unordered_set<std::string>& Listed; // as the volume spells them
  const bool AllLinks;
  std::vector<TEntry> Entries;
  bool Utf8 = false; // the page's encoding
  int Depth = 0;
  bool OnlyMarked = false;
  int Open = 0, MarkedFrom = 0; // containers open, and where the marked one began
  bool Item = false, ItemHasPage = false;
  std::string ItemText;
  bool InLink = false, LinkListedBefore = false, Navigation = false, CrossReference = false;
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
      return Readable(Title);
    } else if (T.Kind == THtmlToken::TKind::StartTag && SameText(T.Name, "body")) {
      break;
    }
  return {};
}

namespace {

// The reading order as a tree while it grows: a page's own lists add to its
// children, whenever they are read.
class TStoryMaker {
public:
  TStoryMaker(TMFS& Volume, const TBookFiles& Files) : Volume(Volume), Files(Files) {}

  TMadeStory Make(const std::string& ContentsPage, TStoryNames& Names) {
    Listed.insert(ContentsPage);
    Add(0, ContentsPage, "Contents");
    // Breadth first: a page is placed by the first list that names it, nearest the top.
    std::deque<std::size_t> Pending;
    Attach(0, TListReader(Files, ContentsPage, Names.CodePage, Listed, true).Read(Content(Volume, ContentsPage)),
           Pending);
    while (!Pending.empty()) {
      const std::size_t Node = Pending.front();
      Pending.pop_front();
      const std::string Page = Nodes[Node].Page;
      Attach(Node, TListReader(Files, Page, Names.CodePage, Listed, false).Read(Content(Volume, Page)), Pending);
    }
    std::vector<std::string> Rest;
    for (const std::string& Path : Files.Paths())
      if (IsPagePath(Path) && !Listed.count(Path)) Rest.push_back(Path);
    std::stable_sort(Rest.begin(), Rest.end(), NaturalLess);
    if (!Rest.empty()) {
      const std::size_t Part = Add(0, "", UnlistedPartName);
      for (const std::string& Page : Rest)
        Add(Part, Page, "");
    }
    return {StoryXml(WithoutEmptyParts(Flattened()), Names), static_cast<int>(Rest.size())};
  }

private:
  struct TNode {
    std::string Page, Name;
    std::vector<std::size_t> Children;
  };

  std::size_t Add(std::size_t Parent, const std::string& Page, const std::string& Name) {
    Nodes.push_back({Page, Name.empty() && !Page.empty() ? NameOf(Page) : Name, {}});
    Nodes[Parent].Children.push_back(Nodes.size() - 1);
    if (!Page.empty()) NodeOf.emplace(Page, Nodes.size() - 1);
    return Nodes.size() - 1;
  }

  std::string NameOf(const std::string& Page) {
    const std::string Title = PageTitle(Content(Volume, Page));
    return Title.empty() ? FileTitle(Page) : Title;
  }

  // Entries of one page's lists under its node, nested by their levels.
  void Attach(std::size_t Parent, const std::vector<TEntry>& Entries,
              std::deque<std::size_t>& Pending) {
    std::vector<std::pair<int, std::size_t>> Open{{0, Parent}};
    for (const TEntry& E : Entries) {
      while (Open.back().first >= E.Level)
        Open.pop_back();
      if (E.Placed) {
        Open.emplace_back(E.Level, NodeOf.at(E.Page));
        continue;
      }
      const std::size_t Node = Add(Open.back().second, E.Page, E.Name);
      Open.emplace_back(E.Level, Node);
      if (!E.Page.empty()) Pending.push_back(Node);
    }
  }

  // Pre-order with levels, an explicit stack for deep trees.
  std::vector<TEntry> Flattened() const {
    std::vector<TEntry> Entries;
    std::vector<std::pair<std::size_t, int>> Stack;
    for (auto C = Nodes[0].Children.rbegin(); C != Nodes[0].Children.rend(); ++C)
      Stack.emplace_back(*C, 1);
    while (!Stack.empty()) {
      const auto [Node, Level] = Stack.back();
      Stack.pop_back();
      Entries.push_back({std::min(Level, MaxStoryLevel), Nodes[Node].Page, Nodes[Node].Name});
      for (auto C = Nodes[Node].Children.rbegin(); C != Nodes[Node].Children.rend(); ++C)
        Stack.emplace_back(*C, Level + 1);
    }
    return Entries;
  }

  TMFS& Volume;
  const TBookFiles& Files;
  std::unordered_set<std::string> Listed; // as the volume spells them
  std::vector<TNode> Nodes{1};            // [0] is the root
  std::unordered_map<std::string, std::size_t> NodeOf; // by page
};

} // namespace

TMadeStory StoryFromContents(TMFS& Volume, const TBookFiles& Files, const std::string& ContentsPage,
                             TStoryNames& Names) {
  return TStoryMaker(Volume, Files).Make(ContentsPage, Names);
}

std::string TStoryNames::Written(const std::string& Name) {
  bool Lost = false;
  std::string Bytes = Utf8ToBook(Name, CodePage, &Lost);
  if (Lost) this->Lost.push_back(Name);
  return Bytes;
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

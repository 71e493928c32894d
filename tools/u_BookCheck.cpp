#include "tools/u_BookCheck.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <vector>

#include "story/u_Story.h"
#include "text/u_Unicode.h"
#include "text/u_Variables.h"
#include "text/u_eBookCommon.h"
#include "tools/u_BookFiles.h"
#include "tools/u_BookSource.h"
#include "tools/u_LinkCheck.h"

namespace vv {

namespace {

class TBookCheck {
public:
  TBookCheck(std::ostream& Out, std::ostream& Err) : Out(Out), Err(Err) {}

  // The settings as the viewer will read them; the problems found.
  int CheckSettingsOf(TBookSource& Source) {
    Book = &Source;
    CheckSettings();
    return Problems;
  }

  int Run(const std::string& BookDir, const TBookOptions& Options) {
    TLinkCount Links;
    std::unique_ptr<TBookSource> Source;
    if (Guard(BookDir, [&] { Source = std::make_unique<TBookSource>(BookDir, Options); })) {
      Book = Source.get();
      NoteMade();
      CheckSettings();
      Links = CheckLinks(*Book, Roots, VariablesTable.get(), Out, Err);
      Problems += Links.Broken;
    }
    if (Problems > 0) {
      Err << Problems << (Problems == 1 ? " problem" : " problems") << " found\n";
      return 1;
    }
    Out << "Book is clean: " << Counted(Pages, "page") << " in the reading order, "
        << Counted(Variables, "variable") << ", " << Counted(Links.Checked, "link")
        << " to book files, " << Counted(Links.External, "external link") << " not followed\n";
    return 0;
  }

private:
  static std::string Counted(int N, const std::string& What) {
    return std::to_string(N) + " " + What + (N == 1 ? "" : "s");
  }

  void Report(const std::string& Where, const std::string& What) {
    Err << Where << ": " << What << "\n";
    ++Problems;
  }

  // "system/Story.xml" for the volume path "\Story.xml".
  static std::string Shown(const std::string& Folder, const std::string& Path) {
    return ShownPath(Folder + "/", Path);
  }

  // Runs Step; an error is reported against Where. True when Step succeeded.
  bool Guard(const std::string& Where, const std::function<void()>& Step) {
    try {
      Step();
      return true;
    } catch (const std::exception& E) {
      Report(Where, E.what());
      return false;
    }
  }

  static bool HasFile(TMFS& Volume, const std::string& Path) {
    try {
      (void)Volume.DefaultSession().GetFile(Path);
      return true;
    } catch (const EMFSError&) {
      return false;
    }
  }

  void NoteMade() {
    int Pictures = 0;
    for (const TBookSource::TMadeFile& File : Book->Made)
      if (File.Text.empty())
        ++Pictures;
      else
        Out << "note: " << File.Name << " is made at build time: " << File.How << "\n";
    if (Pictures > 0) Out << "note: " << Pictures << " toolbar pictures are made at build time\n";
    for (const std::string& Note : Book->Notes)
      Out << "note: " << Note << "\n";
    NoteCodePage();
  }

  // What a Windows-1252 book cannot show as written: a made name with
  // characters that code page lacks, or a settings file written in UTF-8.
  void NoteCodePage() {
    if (Book->CodePage != TCodePage::Windows1252) return;
    const char* const Declare = "declare Encoding=\"UTF-8\" in system/System.xml";
    for (const std::string& Name : Book->LostNames)
      Out << "note: " << Shown("system", "Story.xml") << " is made in Windows-1252, which lacks characters of the name \""
          << Name << "\" (shown as \"?\"): " << Declare << "\n";
    const TBookFiles Settings(Book->System);
    for (const std::string& Path : Settings.Paths()) {
      const std::string& Text = Book->System.DefaultSession().GetFile(Path)->Content;
      const bool Ascii = std::all_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
      if (SameText(TMFS::ExtractExt(Path), ".xml") && !Ascii && IsValidUtf8(Text))
        Out << "note: " << Shown("system", Path) << " is UTF-8 text, read as Windows-1252: " << Declare << "\n";
    }
  }

  // The bytes of a settings file named by System.xml, or nothing (reported).
  bool ReadNamed(const std::string& Setting, const std::string& Name, std::string& Content) {
    return Guard(Shown("system", "System.xml"), [&] {
      if (!Book->System.DefaultSession().Exists(Name))
        throw Exception(Format("%s names \"%s\", which is not in system/", Setting, Name));
      Content = Book->System.DefaultSession().GetFile(Name)->Content;
    });
  }

  void CheckSettings() {
    const std::string SystemXml = Shown("system", "System.xml");
    TMFS& System = Book->System;
    TXMLParser Settings;
    if (!Guard(SystemXml, [&] {
          Settings.LoadFromBytes(System.DefaultSession().GetFile("\\System.xml")->Content);
        }))
      return;
    const TXMLNode& Root = *Settings.Root();
    if (!SameText(Root.Name, "System"))
      Report(SystemXml, Format("root element is \"%s\", not \"System\"", Root.Name));

    // What start-up reads and converts; a failed conversion would stop the viewer.
    std::string Named[4];
    const char* const FileSettings[4] = {"Story", "ToolButtons", "Variables", "Forms"};
    for (int i = 0; i < 4; ++i)
      Guard(SystemXml + " " + FileSettings[i],
            [&] { Named[i] = Root.Attributes->GetValue(FileSettings[i], "").ToText(); });
    for (const char* Text : {"ApplicationTitle", "MainFormCaption"})
      Guard(SystemXml + " " + Text, [&] { (void)Root.Attributes->GetValue(Text, "").ToText(); });
    for (const auto& [Name, Default] : {std::pair{"Width", 800}, std::pair{"Height", 600}})
      Guard(SystemXml + " " + Name,
            [&] { (void)Root.Attributes->GetValue(Name, Default).ToInteger(); });
    for (const char* Flag : {"RunMaximized", "ResizableWindow"})
      Guard(SystemXml + " " + Flag,
            [&] { (void)Root.Attributes->GetValue(Flag, false).ToBoolean(); });
    Guard(SystemXml + " splash",
          [&] { TSplashOptions().LoadFromNode(Root.Nodes->FindNode("splash")); });
    Guard(SystemXml + " toolbar",
          [&] { TToolbarOptions().LoadFromNode(Root.Nodes->FindNode("toolbar")); });

    // The viewer always reads \Story.xml, so another name in the setting is harmless.
    const std::string& StorySetting = Named[0];
    if (!StorySetting.empty() && !SameText(TMFS::ExtractName(StorySetting), "Story.xml"))
      Out << "note: " << SystemXml << ": Story names \"" << StorySetting
          << "\", but the viewer always reads the reading order from Story.xml\n";
    CheckStory();
    if (!Named[1].empty()) CheckToolbar(Named[1]);
    if (!Named[2].empty()) CheckVariables(Named[2]);
    if (!Named[3].empty()) CheckForms(Named[3]);
  }

  // The parsed file, or nullptr when it is missing or does not parse (reported).
  std::unique_ptr<TXMLParser> Parsed(const std::string& Setting, const std::string& Name) {
    std::string Content;
    auto Parser = std::make_unique<TXMLParser>();
    if (ReadNamed(Setting, Name, Content) &&
        Guard(Shown("system", Name), [&] { Parser->LoadFromBytes(Content); }))
      return Parser;
    return nullptr;
  }

  // A missing picture stops the viewer; favourites that open a book page lead
  // readers there as the reading order does.
  void CheckToolbar(const std::string& Name) {
    const auto Toolbar = Parsed("ToolButtons", Name);
    const std::string Folder =
        TMFS::ExtractPath(TMFS::CanonicalizePath("\\" + TMFS::NormalizeSeparators(Name)));
    const TXMLNode* Images = Toolbar ? Toolbar->Root()->Nodes->FindNode("Images") : nullptr;
    for (int i = 0; Images && i < Images->Nodes->Count(); ++i)
      Guard(Shown("system", Name), [&] {
        const std::string Path = Images->Nodes->Items(i)->Attributes->GetValue("Path", "").ToText();
        const std::string Full = TMFS::NormalizeSeparators(Path);
        if (!Book->System.DefaultSession().Exists(
                Full.empty() || Full.front() != '\\' ? Folder + Full : Full))
          throw Exception(Format("picture \"%s\" is not in system/", Path));
      });
    const TXMLNode* Buttons = Toolbar ? Toolbar->Root()->Nodes->FindNode("Buttons") : nullptr;
    for (int i = 0; Buttons && i < Buttons->Nodes->Count(); ++i)
      Guard(Shown("system", Name), [&] {
        const TXMLNode& Button = *Buttons->Nodes->Items(i);
        if ((Button.Attributes->GetValue("Kind", 0).ToInteger() & 0x7F) != 13) return;
        for (int j = 0; j < Button.Nodes->Count(); ++j) {
          const TLinkTarget Target = ResolveLink(
              "\\", Button.Nodes->Items(j)->Attributes->GetValue("url", "URL").ToText());
          if (Target.Kind == TLinkTarget::TKind::Content) Roots.push_back(Target.Path);
        }
      });
  }

  // Form pages are paths of the content volume, relative to the forms file's folder.
  void CheckForms(const std::string& Name) {
    const auto Forms = Parsed("Forms", Name);
    const TXMLNodes* Items = Forms ? Forms->Root()->Nodes : nullptr;
    for (int i = 0; Items && i < Items->Count(); ++i)
      Guard(Shown("system", Name), [&] {
        if (!SameText(Items->Items(i)->Name, "Form")) return;
        const std::string Path = Items->Items(i)->Attributes->GetValue("Path", "").ToText();
        if (!Path.empty())
          Roots.push_back(ResolveLink("\\" + TMFS::NormalizeSeparators(Name), Path).Path);
      });
  }

  void CheckStory() {
    const std::string StoryXml = Shown("system", "Story.xml");
    std::unique_ptr<TStoryLine> Line;
    if (!Guard(StoryXml, [&] { Line = std::make_unique<TStoryLine>(Book->System); })) return;
    int Item = 0;
    TDictionary FirstListing(true, true);
    for (const TXMLNode* I = Line->FirstItem(); I; I = Line->NextItem(I)) {
      ++Item;
      if (!TStoryLine::IsPage(I)) continue;
      ++Pages;
      const std::string Page = TStoryLine::PageOf(I);
      Roots.push_back(TMFS::CanonicalizePath(Page.front() == '\\' ? Page : "\\" + Page));
      if (!HasFile(Book->Files, Page))
        Report(StoryXml, Format("page \"%s\" (item %d of the reading order) is not in %s", Page,
                                Item, Book->FilesFolder.empty() ? "the book" : Book->FilesFolder));
      // Legal, but every step from the page starts at its first listing, so a
      // reader paging on from the later one is sent back.
      if (FirstListing.Contains(Page))
        Out << "note: " << StoryXml << ": page \"" << Page << "\" is listed again in item " << Item
            << " (first in item " << FirstListing.Items(Page)
            << "); Next and Prior from it always continue from the first listing\n";
      else
        FirstListing.Add(Page, Item);
    }
    if (Pages == 0) Report(StoryXml, "the reading order has no pages");
  }

  void CheckVariables(const std::string& Name) {
    const std::string Where = Shown("system", Name);
    std::string Content;
    if (!ReadNamed("Variables", Name, Content)) return;
    TXMLParser Parser;
    if (!Guard(Where, [&] { Parser.LoadFromBytes(Content); })) return;
    // Every duplicate, not only the first one loading would stop at.
    TDictionary Seen(true, true);
    bool Duplicates = false;
    const TXMLNodes& Items = *Parser.Root()->Nodes;
    for (int i = 0; i < Items.Count(); ++i) {
      std::string VarName;
      if (!Guard(Where,
                 [&] { VarName = Items.Items(i)->Attributes->GetValue("Name", "").ToText(); }) ||
          VarName.empty())
        continue;
      if (Seen.Contains(VarName)) {
        Report(Where, Format("variable \"%s\" is defined more than once", VarName));
        Duplicates = true;
      } else {
        Seen.Add(VarName, 0);
      }
    }
    if (!Duplicates)
      Guard(Where, [&] {
        VariablesTable = std::make_unique<TVariables>(Content, true);
        Variables = VariablesTable->Values->Count();
      });
  }

  std::ostream& Out;
  std::ostream& Err;
  TBookSource* Book = nullptr; // the book being checked
  std::unique_ptr<TVariables> VariablesTable;
  std::vector<std::string> Roots; // pages readers are sent to by the settings
  int Problems = 0;
  int Pages = 0;
  int Variables = 0;
};
} // namespace

int CheckBook(const std::string& BookDir, const TBookOptions& Options, std::ostream& Out,
              std::ostream& Err) {
  return TBookCheck(Out, Err).Run(BookDir, Options);
}

int CheckSettingsForBuild(TBookSource& Book, std::ostream& Err) {
  std::ostringstream Notes; // check's business
  return TBookCheck(Notes, Err).CheckSettingsOf(Book);
}

} // namespace vv

#include "tools/u_BookCheck.h"

#include <filesystem>
#include <functional>
#include <vector>

#include "story/u_Story.h"
#include "text/u_Variables.h"
#include "text/u_eBookCommon.h"
#include "tools/u_MFSDiskImport.h"

namespace vv {

namespace {
namespace fs = std::filesystem;

class TBookCheck {
public:
  TBookCheck(std::ostream& Out, std::ostream& Err) : Out(Out), Err(Err) {}

  int Run(const std::string& BookDir) {
    const bool HaveSystem = Import(BookDir, "system", System);
    const bool HaveFiles = Import(BookDir, "files", Files);
    if (HaveSystem) CheckSettings(HaveFiles);
    if (Problems > 0) {
      Err << Problems << (Problems == 1 ? " problem" : " problems") << " found\n";
      return 1;
    }
    Out << "Book is clean: " << Pages << (Pages == 1 ? " page" : " pages")
        << " in the reading order, " << Variables << (Variables == 1 ? " variable" : " variables")
        << "\n";
    return 0;
  }

private:
  void Report(const std::string& Where, const std::string& What) {
    Err << Where << ": " << What << "\n";
    ++Problems;
  }

  // "system/Story.xml" for the volume path "\Story.xml".
  static std::string Shown(const std::string& Folder, std::string Path) {
    for (char& C : Path)
      if (C == '\\') C = '/';
    while (!Path.empty() && Path.front() == '/')
      Path.erase(0, 1);
    return Folder + "/" + Path;
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

  bool Import(const std::string& BookDir, const std::string& Folder, TMFS& Volume) {
    const std::string Dir = (fs::path(BookDir) / Folder).string();
    return Guard(Folder, [&] { ImportFolderFromDisk(Dir, Volume.Root()); });
  }

  // The bytes of a settings file named by System.xml, or nothing (reported).
  bool ReadNamed(const std::string& Setting, const std::string& Name, std::string& Content) {
    return Guard(Shown("system", "System.xml"), [&] {
      if (!System.DefaultSession().Exists(Name))
        throw Exception(Format("%s names \"%s\", which is not in system/", Setting, Name));
      Content = System.DefaultSession().GetFile(Name)->Content;
    });
  }

  void CheckSettings(bool HaveFiles) {
    const std::string SystemXml = Shown("system", "System.xml");
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
    CheckStory(HaveFiles);
    if (!Named[1].empty()) CheckParses("ToolButtons", Named[1]);
    if (!Named[2].empty()) CheckVariables(Named[2]);
    if (!Named[3].empty()) CheckParses("Forms", Named[3]);
  }

  void CheckParses(const std::string& Setting, const std::string& Name) {
    std::string Content;
    if (ReadNamed(Setting, Name, Content))
      Guard(Shown("system", Name), [&] { TXMLParser().LoadFromBytes(Content); });
  }

  void CheckStory(bool HaveFiles) {
    const std::string StoryXml = Shown("system", "Story.xml");
    std::unique_ptr<TStoryLine> Line;
    if (!Guard(StoryXml, [&] { Line = std::make_unique<TStoryLine>(System); })) return;
    int Item = 0;
    TDictionary FirstListing(true, true);
    for (const TXMLNode* I = Line->FirstItem(); I; I = Line->NextItem(I)) {
      ++Item;
      if (!TStoryLine::IsPage(I)) continue;
      ++Pages;
      const std::string Page = TStoryLine::PageOf(I);
      if (HaveFiles && !HasFile(Files, Page))
        Report(StoryXml,
               Format("page \"%s\" (item %d of the reading order) is not in files/", Page, Item));
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
    if (!Duplicates) Guard(Where, [&] { Variables = TVariables(Content, true).Values->Count(); });
  }

  std::ostream& Out;
  std::ostream& Err;
  TMFS System;
  TMFS Files;
  int Problems = 0;
  int Pages = 0;
  int Variables = 0;
};
} // namespace

int CheckBook(const std::string& BookDir, std::ostream& Out, std::ostream& Err) {
  return TBookCheck(Out, Err).Run(BookDir);
}

} // namespace vv

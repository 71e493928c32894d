#include "tools/u_BookSource.h"

#include <filesystem>

#include "platform/u_FileNames.h"
#include "text/u_eBookCommon.h"
#include "tools/u_BookFiles.h"
#include "tools/u_DefaultSettings.h"
#include "tools/u_MFSDiskImport.h"
#include "tools/u_StoryMaker.h"
#include "tools/u_ToolbarArt.h"

namespace vv {

namespace fs = std::filesystem;

namespace {

// The contents page as the volume spells it, or empty when the book has none.
std::string FindContentsPage(const TBookFiles& Files, const std::string& Named) {
  if (!Named.empty()) {
    const std::string* Page = Files.Find(ResolveLink("\\", Named).Path);
    if (!Page) throw EBookSourceError(Format("Contents page \"%s\" not found", Named));
    return *Page;
  }
  for (const char* Candidate : {"\\index.html", "\\index.htm", "\\contents.html", "\\toc.html"})
    if (const std::string* Page = Files.Find(Candidate)) return *Page;
  return {};
}

} // namespace

TBookSource::TBookSource(const std::string& BookDir, const TBookOptions& Options) {
  const fs::path Dir = PathOf(BookDir);
  if (!fs::is_directory(Dir)) throw EBookSourceError(Format("Folder \"%s\" not found", BookDir));
  const bool HasSystem = fs::is_directory(Dir / "system");
  const bool Plain = !HasSystem && !fs::is_directory(Dir / "files");
  if (Plain) FilesFolder.clear();
  // The names follow the code page System.xml declares, read first.
  std::vector<std::string> Unheld, UnheldSystem;
  if (HasSystem) ImportFolderFromDisk(NameOf(Dir / "system"), System.Root());
  CodePage = ReadCodePage();
  if (HasSystem && CodePage != TCodePage::Utf8) {
    System.Root().Clear();
    ImportFolderFromDisk(NameOf(Dir / "system"), System.Root(), {}, CodePage, &UnheldSystem);
  }
  if (Plain || fs::is_directory(Dir / "files"))
    for (const std::string& Link : ImportFolderFromDisk(NameOf(Plain ? Dir : Dir / "files"), Files.Root(),
                                                        Options.Exclude, CodePage, &Unheld))
      Notes.push_back(ShownPath(FilesFolder, Link) +
                      " is a symbolic link out of the folder, or into a folder holding it: "
                      "left out");
  for (auto [Folder, Names] : {std::pair{SystemFolder, &UnheldSystem}, std::pair{FilesFolder, &Unheld}}) {
    std::sort(Names->begin(), Names->end());
    for (const std::string& Name : *Names)
      Notes.push_back(ShownPath(Folder, Name) +
                      " is named with characters Windows-1252 lacks, so the book cannot open it: "
                      "declare Encoding=\"UTF-8\" in system/System.xml");
  }
  // "books/sea/" and "." name their folder too.
  const fs::path Whole = fs::absolute(Dir).lexically_normal();
  MakeSettings(NameOf((Whole.has_filename() ? Whole : Whole.parent_path()).filename()), Options);
}

bool TBookSource::Add(TMFS& Volume, const std::string& Path, const std::string& Content,
                      const std::string& How, bool IsText) {
  TMFSSession& Session = Volume.DefaultSession();
  if (Session.Exists(Path)) return false;
  Session.ForceFolders(TMFS::ExtractPath(Path));
  Session.CreateMFSFile(Path, faArchive, false)->Content = Content;
  Made.push_back({ShownPath(&Volume == &System ? SystemFolder : FilesFolder, Path), How,
                  IsText ? Content : ""});
  return true;
}

// The code page of the book's own System.xml; a book without one is made
// in UTF-8. A System.xml that does not parse is the check's to report.
TCodePage TBookSource::ReadCodePage() {
  if (!System.DefaultSession().Exists("\\System.xml")) return TCodePage::Utf8;
  try {
    TXMLParser Settings;
    Settings.LoadFromBytes(System.DefaultSession().GetFile("\\System.xml")->Content);
    return SettingsCodePage(Settings.Root());
  } catch (const Exception&) {
    return TCodePage::Windows1252;
  }
}

void TBookSource::MakeSettings(const std::string& FolderName, const TBookOptions& Options) {
  const TBookFiles Pages(Files);
  const std::string Contents = FindContentsPage(Pages, Options.Contents);
  if (!System.DefaultSession().Exists("\\Story.xml")) {
    TStoryNames Names{CodePage, {}};
    if (Contents.empty()) {
      Add(System, "\\Story.xml", StoryFromFileNames(Files, Pages, Names), "every page in file-name order");
    } else {
      const TMadeStory Story = StoryFromContents(Files, Pages, Contents, Names);
      Add(System, "\\Story.xml", Story.Xml,
          "from the contents page " + ShownPath(FilesFolder, Contents) +
              " and the lists of contents of the pages it leads to");
      if (Story.Unlisted > 0)
        Notes.push_back(Format("%d %s that no list of contents reaches %s placed in the last "
                               "part of the reading order, \"%s\"",
                               Story.Unlisted, Story.Unlisted == 1 ? "page" : "pages",
                               Story.Unlisted == 1 ? "is" : "are", UnlistedPartName));
    }
    LostNames = std::move(Names.Lost);
  }
  if (System.DefaultSession().Exists("\\System.xml")) return;

  Add(System, "\\System.xml", DefaultSystemXml(), "a window of 1100 x 800, resizable");
  std::string Title = Options.Title;
  if (Title.empty() && !Contents.empty())
    Title = PageTitle(Files.DefaultSession().GetFile(Contents)->Content);
  if (Title.empty()) Title = FolderName;
  Add(System, "\\Variables.xml", DefaultVariablesXml(Title, ""), "the book's title");
  if (Add(System, "\\ToolButtons.xml", DefaultToolbarXml(), "every command of the toolbar"))
    for (const TToolbarPicture& Picture : DrawToolbarPictures())
      Add(System, Format("\\%s\\%s.bmp", ToolbarPictureFolder, Picture.Name), Picture.Bmp,
          "toolbar picture", false);
  Add(System, "\\Forms.xml", DefaultFormsXml(Title), "the About form");
  Add(Files, std::string("\\") + AboutPageName, DefaultAboutPage(""), "the About form's page");
}

std::string TBookSource::MadeSettingsText() const {
  std::string Text, Pictures;
  for (const TMadeFile& File : Made)
    if (File.Text.empty())
      Pictures += (Pictures.empty() ? "" : " ") + File.Name;
    else // for the terminal, which reads UTF-8
      Text += "==> " + File.Name + " (" + File.How + ") <==\n" + BookToUtf8(File.Text, CodePage) + "\n";
  if (!Pictures.empty()) Text += "==> toolbar pictures <==\n" + Pictures + "\n";
  return Text;
}

} // namespace vv

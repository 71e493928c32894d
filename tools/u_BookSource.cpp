#include "tools/u_BookSource.h"

#include <filesystem>

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
  const fs::path Dir(BookDir);
  if (!fs::is_directory(Dir)) throw EBookSourceError(Format("Folder \"%s\" not found", BookDir));
  const bool HasSystem = fs::is_directory(Dir / "system");
  const bool Plain = !HasSystem && !fs::is_directory(Dir / "files");
  if (Plain) FilesFolder.clear();
  if (HasSystem) ImportFolderFromDisk((Dir / "system").string(), System.Root());
  if (Plain || fs::is_directory(Dir / "files"))
    ImportFolderFromDisk((Plain ? Dir : Dir / "files").string(), Files.Root());
  // "books/sea/" and "." name their folder too.
  const fs::path Whole = fs::absolute(Dir).lexically_normal();
  MakeSettings((Whole.has_filename() ? Whole : Whole.parent_path()).filename().string(), Options);
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

void TBookSource::MakeSettings(const std::string& FolderName, const TBookOptions& Options) {
  const TBookFiles Pages(Files);
  const std::string Contents = FindContentsPage(Pages, Options.Contents);
  if (!System.DefaultSession().Exists("\\Story.xml"))
    Add(System, "\\Story.xml",
        Contents.empty() ? StoryFromFileNames(Files, Pages)
                         : StoryFromContents(Files, Pages, Contents),
        Contents.empty() ? "every page in file-name order"
                         : "from the contents page " + ShownPath(FilesFolder, Contents));
  if (System.DefaultSession().Exists("\\System.xml")) return;

  Add(System, "\\System.xml", DefaultSystemXml(), "a window of 1100 x 800, resizable");
  std::string Title = Options.Title;
  if (Title.empty() && !Contents.empty())
    Title = PageTitle(Files.DefaultSession().GetFile(Contents)->Content);
  Add(System, "\\Variables.xml", DefaultVariablesXml(Title.empty() ? FolderName : Title, ""),
      "the book's title");
  if (Add(System, "\\ToolButtons.xml", DefaultToolbarXml(), "every command of the toolbar"))
    for (const TToolbarPicture& Picture : DrawToolbarPictures())
      Add(System, Format("\\%s\\%s.bmp", ToolbarPictureFolder, Picture.Name), Picture.Bmp,
          "toolbar picture", false);
  Add(System, "\\Forms.xml", DefaultFormsXml(), "the About form");
  Add(Files, std::string("\\") + AboutPageName, DefaultAboutPage(), "the About form's page");
}

std::string TBookSource::MadeSettingsText() const {
  std::string Text, Pictures;
  for (const TMadeFile& File : Made)
    if (File.Text.empty())
      Pictures += (Pictures.empty() ? "" : " ") + File.Name;
    else
      Text += "==> " + File.Name + " (" + File.How + ") <==\n" + File.Text + "\n";
  if (!Pictures.empty()) Text += "==> toolbar pictures <==\n" + Pictures + "\n";
  return Text;
}

} // namespace vv

#pragma once
// A book folder as the viewer will see it, for packing and checking alike:
// BOOKDIR/system and BOOKDIR/files, or a plain folder of pages (no system/
// nor files/), with the settings the folder lacks made in memory. Nothing
// is ever written into the author's folder.

#include <string>
#include <vector>

#include "storage/u_MFS.h"
#include "text/u_Convert.h"

namespace vv {

class EBookSourceError : public Exception {
  using Exception::Exception;
};

struct TBookOptions {
  // The contents page of a book without Story.xml, as a path in its pages;
  // empty: the first of index.html, index.htm, contents.html, toc.html there.
  std::string Contents;
  // The title of a book without System.xml; empty: the contents page's title.
  std::string Title;
  // Shell patterns of pages' files to leave out (see ImportFolderFromDisk).
  std::vector<std::string> Exclude;
};

class TBookSource {
public:
  // Without System.xml, it and each of the toolbar (with its pictures), the
  // variables and the forms file that system/ lacks are made, and the About
  // page when the pages have none. Without Story.xml, the reading order is
  // made from the contents page, else from every page in file-name order.
  explicit TBookSource(const std::string& BookDir, const TBookOptions& Options = {});

  TMFS System;
  TMFS Files;
  // How messages name the files of each volume: "system/" and "files/", or
  // "" for the pages of a plain folder.
  std::string SystemFolder = "system/";
  std::string FilesFolder = "files/";
  struct TMadeFile {
    std::string Name; // as messages name it: "system/Story.xml"
    std::string How;  // "from the contents page files/index.html"
    std::string Text; // settings files and pages; empty for pictures
  };
  std::vector<TMadeFile> Made;
  // What the author should know of how the book was read: links left out,
  // pages placed in the reading order's last part.
  std::vector<std::string> Notes;
  // The code page of the book's settings and names: what its System.xml
  // declares, UTF-8 when System.xml is made.
  TCodePage CodePage = TCodePage::Utf8;
  // Names of a made Story.xml (as UTF-8) that CodePage could not hold.
  std::vector<std::string> LostNames;

  // Every settings file that was made, each under a "==> name <==" line,
  // and the pictures by name only.
  [[nodiscard]] std::string MadeSettingsText() const;

private:
  [[nodiscard]] TCodePage ReadCodePage();
  void MakeSettings(const std::string& FolderName, const TBookOptions& Options);
  // Adds a file unless the volume has one of that name; true when added.
  bool Add(TMFS& Volume, const std::string& Path, const std::string& Content,
           const std::string& How, bool IsText = true);
};

} // namespace vv

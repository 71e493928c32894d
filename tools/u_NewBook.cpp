#include "tools/u_NewBook.h"

#include <filesystem>

#include "platform/u_FileNames.h"
#include "storage/u_MFS.h"
#include "tools/u_BookFiles.h"
#include "tools/u_DefaultSettings.h"
#include "tools/u_StoryMaker.h"
#include "tools/u_ToolbarArt.h"

namespace vv {

namespace fs = std::filesystem;

namespace {

const char* const SystemReadme =
    R"(The settings of this book. The settings notation has no comments, so
each file is explained here. Every file is read without regard to the case
of names; values may be quoted ("text") or not (800, True).

System.xml       The window and the names of the other settings files.
                 Encoding="UTF-8": every settings file is UTF-8 text (without
                 it they are read as Windows-1252).
                 Width, Height: the window's size in pixels; ResizableWindow,
                 RunMaximized: True or False. ApplicationTitle and
                 MainFormCaption may use variables such as %{BookTitle}.
                 <splash>: an optional message at start and close
                 (SplashTypeS/SplashTypeE: vsNone, vsPopUp, vsSplash).
                 <toolbar>: placement (tpTop, tpBottom, tpNoToolbar), button
                 and picture sizes, colours (a number: red + 256 * green +
                 65536 * blue), captions under the pictures.
Story.xml        The reading order: the cover, then items nested as parts,
                 chapters and pages. "page" is a file of files/, "pagename"
                 the name search results show. The viewer always reads this
                 file, whatever System.xml names.
ToolButtons.xml  The toolbar: <Images> lists the pictures (24 x 24 BMP files
                 in Toolbar/; the colour of the top-left pixel is shown as
                 transparent), <Buttons> the buttons from left to right. Kind
                 is the command: 0 gap, 1 back, 2 forward, 3 first page,
                 4 previous page, 5 next page, 6 last page, 7 previous
                 chapter, 8 next chapter, 9 About, 10 exit, 11 text size,
                 12 search, 13 favourites, 14 print, 15 copy, 16 refresh,
                 17 home. The favourites are the Bookmark elements inside the
                 Kind=13 button: caption, url, and NewWindow=True for links
                 the reader's own browser should open.
Variables.xml    Named texts. Any page or setting shows %{Name} as the value.
                 In the text, write \< for < and \\ for \.
Forms.xml        Extra windows, opened by name: the toolbar's About button
                 opens the form named About. Path is a page of files/.
Toolbar/         The toolbar pictures. Replace them with your own of the
                 same size, or add more and name them in ToolButtons.xml.

"vellumpack check" tells you what is wrong; docs/authoring.md tells you more.
)";

const char* const StyleSheet = R"(/* The look of every page: each page links this file with
   <link rel="stylesheet" href="style.css"> (or "../style.css" from a folder).
   The viewer shows pages with a modern browser engine, so any CSS works. */

body {
  font-family: Georgia, "DejaVu Serif", serif;
  max-width: 40em;
  margin: 2em auto;
  padding: 0 1em;
  line-height: 1.5;
  color: #222;
}

h1, h2 {
  font-family: "DejaVu Sans", sans-serif;
  color: #264678;
}

/* The contents list on the cover page. */
.contents li {
  margin: 0.3em 0;
}

/* A section the reader can print alone: the print button's menu lists every
   div whose id ends in PAGE. */
.printable {
  border-left: 4px solid #d67824;
  padding-left: 1em;
}

nav.pages {
  margin-top: 3em;
  font-size: 0.9em;
}
)";

const char* const CoverPage = R"(<!DOCTYPE html>
<html>
<head>
<!-- Book pages are Windows-1252 text. -->
<meta charset="utf-8">
<!-- %{BookTitle} and %{Author} are variables of system/Variables.xml: every
     page and setting shows them as their values. -->
<title>%{BookTitle}</title>
<link rel="stylesheet" href="style.css">
</head>
<body>
<!-- The cover: the book opens on it (it is the first page of system/Story.xml).
     The contents list below names every other page; "vellumpack build" of a
     book without Story.xml makes the reading order from such a list. -->
<h1>%{BookTitle}</h1>
<p>by %{Author}</p>

<h2>Contents</h2>
<ul class="contents">
  <li>Chapter 1: Writing
    <ul>
      <li><a href="chapter1/page1.html">Pages</a></li>
      <li><a href="chapter1/page2.html">Pictures and links</a></li>
    </ul>
  </li>
  <li>Chapter 2: Publishing
    <ul>
      <li><a href="chapter2/page1.html">Checking the book</a></li>
      <li><a href="chapter2/page2.html">Packing the book</a></li>
    </ul>
  </li>
</ul>
</body>
</html>
)";

struct TPage {
  const char* Path;
  const char* Title;
  const char* Body;
};

const TPage ChapterPages[] = {
    {"chapter1/page1.html", "Pages",
     R"(<p>Every page is an HTML file in <code>files/</code>. Write it with any editor;
styles, pictures and scripts work as in a web browser.</p>
<p>The toolbar walks the reading order of <code>system/Story.xml</code>: Next goes
to the next page there, Chapter to the next chapter.</p>)"},
    {"chapter1/page2.html", "Pictures and links",
     R"(<p>Links and pictures are relative to the page: from this page the cover is
<a href="../index.html">../index.html</a>. A link to a web site opens in the
viewer unless it is one of the toolbar's favourites marked NewWindow.</p>
<!-- A div whose id ends in PAGE is a print section: the print button's menu
     offers to print it alone. -->
<div id="SummaryPAGE" class="printable">
<p>This part of the page can be printed on its own.</p>
</div>)"},
    {"chapter2/page1.html", "Checking the book",
     R"(<p>Run <code>vellumpack check</code> on the book folder. It lists every setting
that would stop the viewer, every page of the reading order that is missing and
every link or picture that leads nowhere, each with its file and line.</p>)"},
    {"chapter2/page2.html", "Packing the book",
     R"(<p><code>vellumpack run</code> opens the book as a reader will see it.
<code>vellumpack build BOOK -o NAME</code> writes the book as one program,
ready to give away.</p>)"},
};

std::string ChapterPage(const TPage& Page) {
  return Format(R"(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>%s</title>
<!-- Pages in a folder reach the style sheet one folder up. -->
<link rel="stylesheet" href="../style.css">
</head>
<body>
<h1>%s</h1>
%s
<!-- The toolbar moves through the book; a link back to the contents helps too. -->
<nav class="pages"><a href="../index.html">Contents</a></nav>
</body>
</html>
)",
                Page.Title, Page.Title, Page.Body);
}

void Put(TMFS& Volume, const std::string& Path, const std::string& Content) {
  TMFSSession& Session = Volume.DefaultSession();
  Session.ForceFolders(TMFS::ExtractPath(TMFS::NormalizeSeparators(Path)));
  Session.CreateMFSFile(TMFS::NormalizeSeparators(Path), faArchive, false)->Content = Content;
}

} // namespace

void WriteNewBook(const std::string& Dir, const std::string& Title, const std::string& Author) {
  if (fs::exists(PathOf(Dir)) && !(fs::is_directory(PathOf(Dir)) && fs::is_empty(PathOf(Dir))))
    throw ENewBookError(Format("\"%s\" is not an empty folder", Dir));

  TMFS Files;
  Put(Files, "\\index.html", CoverPage);
  for (const TPage& Page : ChapterPages)
    Put(Files, Page.Path, ChapterPage(Page));
  Put(Files, "\\style.css", StyleSheet);

  TMFS System;
  Put(System, "\\README.txt", SystemReadme);
  Put(System, "\\System.xml", DefaultSystemXml());
  // Before the About page is there: it is the form's, not the reading order's.
  TStoryNames Names;
  Put(System, "\\Story.xml", StoryFromContents(Files, TBookFiles(Files), "\\index.html", Names).Xml);
  Put(Files, std::string("\\") + AboutPageName, DefaultAboutPage(Author));
  Put(System, "\\ToolButtons.xml", DefaultToolbarXml());
  for (const TToolbarPicture& Picture : DrawToolbarPictures())
    Put(System, Format("\\%s\\%s.bmp", ToolbarPictureFolder, Picture.Name), Picture.Bmp);
  Put(System, "\\Variables.xml", DefaultVariablesXml(Title, Author));
  Put(System, "\\Forms.xml", DefaultFormsXml(Title));

  System.Root().SaveToDisk(NameOf(PathOf(Dir) / "system"));
  Files.Root().SaveToDisk(NameOf(PathOf(Dir) / "files"));
}

} // namespace vv

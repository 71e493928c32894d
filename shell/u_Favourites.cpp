// The favourites: read from the favourites button of the toolbar file, opened
// in the main browser or outside the viewer.
#include "shell/u_MainWindow.h"

namespace vv {

void TMainWindow::ReadBookmarks(const TXMLNode& Button) {
  Bookmarks = std::make_unique<std::vector<std::unique_ptr<TBookMarkItem>>>();
  try {
    for (int Index = 0; Index < Button.Nodes->Count(); ++Index) {
      const TXMLNode& Node = *Button.Nodes->Items(Index);
      auto Item = std::make_unique<TBookMarkItem>();
      Item->URL = Node.Attributes->GetValue("url", TVariant("URL")).ToText();
      Item->NewWindow = Node.Attributes->GetValue("NewWindow", TVariant(false)).ToBoolean();
      View.AddBookmark(Index, Node.Attributes->GetValue("caption", TVariant("Description")).ToText(), Item->URL);
      Bookmarks->push_back(std::move(Item));
    }
  } catch (const Exception&) {
    // A broken favourite ends the list; those read so far stay.
  }
}

void TMainWindow::BookMarkClick(int Tag) {
  if (!Bookmarks || Tag < 0 || Tag >= static_cast<int>(Bookmarks->size()))
    return;
  const TBookMarkItem& Item = *(*Bookmarks)[static_cast<std::size_t>(Tag)];
  if (Item.NewWindow)
    View.OpenOutside(Item.URL);
  else if (IBrowser* Browser = MainBrowser())
    Browser->Navigate(Item.URL);
}

} // namespace vv

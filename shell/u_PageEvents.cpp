// The main window's reactions to its browser and to keys anywhere in the
// application: the reading order follows the page shown, the print menu
// follows the document, right click and copy follow the page's setting,
// Escape closes.
#include "forms/u_Print.h"
#include "shell/u_MainWindow.h"

namespace vv {

void TMainWindow::ConnectBrowser() {
  IBrowser* Browser = View.MainBrowser();
  Browser->OnGetExternal = [this](TDispatchRef& ppDispatch) { return webMain2GetExternal(ppDispatch); };
  Browser->OnNavigateComplete2 = [this](IBrowser* Sender, const std::string& URL) {
    webMain2NavigateComplete2(Sender, URL);
  };
  Browser->OnDocumentComplete = [this](IBrowser* Sender, const std::string& URL) {
    webMain2DocumentComplete(Sender, URL);
  };
  Browser->OnShowContextMenu = [this](std::uint32_t dwID, const TPoint& ppt) {
    return webMain2ShowContextMenu(dwID, ppt);
  };
}

void TMainWindow::webMain2NavigateComplete2(IBrowser*, const std::string&) {
  if (Story)
    SyncStoryWithPage();
  ReadingPageChanged();
}

// Print sections are the book's: a page from elsewhere offers none, and the
// page is checked again whenever an answer about it arrives.
void TMainWindow::webMain2DocumentComplete(IBrowser*, const std::string&) {
  ScrollToContinuedPlace();
  if (PrintButton < 0)
    return;
  View.SetPrintSections({});
  IBrowser* Browser = MainBrowser();
  if (!Browser || !Browser->ShowsBookPage())
    return;
  QueryPrintSections(*Browser, [this, Alive = Life.Token()](std::vector<std::string> Ids) {
    if (!IsAlive(Alive) || !MainBrowser() || !MainBrowser()->ShowsBookPage())
      return;
    View.SetPrintSections(Ids);
  });
}

void TMainWindow::PrintPageClick(const std::string& Id) {
  IBrowser* Browser = MainBrowser();
  if (!Browser || !Browser->ShowsBookPage())
    return;
  QueryPrintSectionHtml(*Browser, Id, [this, Alive = Life.Token()](std::optional<std::string> Html) {
    if (!IsAlive(Alive) || !MainBrowser() || !MainBrowser()->ShowsBookPage())
      return;
    if (Html)
      ShowPrintForm(Platform.Forms, *Html);
    else
      View.ShowMessage(SCannotFindPage);
  });
}

HRESULT TMainWindow::webMain2ShowContextMenu(std::uint32_t, const TPoint&) {
  return !Story || Story->RightClickBlocked() ? VV_S_OK : VV_S_FALSE;
}

HRESULT TMainWindow::webMain2GetExternal(TDispatchRef& ppDispatch) {
  ppDispatch = HostExternal;
  return VV_S_OK;
}

TKeyVerdict TMainWindow::ApplicationEvents1Message(const TKeyEvent& Key) {
  // A text box would keep Ctrl+Home and the like for itself: reading keys
  // are the window's wherever its focus is.
  if (Key.ShortcutQuery && Key.InMainWindow && IsReadingKey(Key.Chord))
    return TKeyVerdict::Shortcut;
  // Escape in an open menu closes the menu only.
  if (Key.Chord.Key == TKeyName::Escape && !Key.ShortcutQuery && !Key.MenuOpen) {
    if (Key.Active == TKeyEvent::Main) {
      if (!TakeEscape())
        PostClose();
      return TKeyVerdict::Taken;
    }
    if (Key.Active == TKeyEvent::Print) {
      View.CloseActiveWindow();
      return TKeyVerdict::Taken;
    }
  }
  const bool Blocked = !Story || Story->RightClickBlocked();
  if (CopyKeyArmed && Key.Chord.Key == TKeyName::C && Blocked) {
    if (Key.ShortcutQuery)
      return TKeyVerdict::AsKeyPress; // refused as a copy shortcut, taken below as a key press
    View.ClearClipboard();
    CopyKeyArmed = false;
    return TKeyVerdict::Taken;
  }
  if (!Key.ShortcutQuery)
    CopyKeyArmed = Key.Chord.Key == TKeyName::Control;
  return TKeyVerdict::Pass;
}

void TMainWindow::KeyBindingPressed(const TKeyBinding& Binding) {
  switch (Binding.Action) {
  case TKeyAction::Reading: RunCommand(Binding.Kind); break;
  case TKeyAction::BookCommand: RunBookCommand(Binding.Kind); break;
  case TKeyAction::Copy: CopySelection(); break;
  case TKeyAction::ZoomIn: ChangeFontSize(FontSize + 1); break;
  case TKeyAction::ZoomOut: ChangeFontSize(FontSize - 1); break;
  case TKeyAction::ZoomReset: ChangeFontSize(2); break;
  case TKeyAction::ToggleContents: ToggleContents(); break;
  case TKeyAction::ToggleFullScreen: View.ToggleFullScreen(); break;
  case TKeyAction::FindOnPage: View.OpenFindBar(); break;
  case TKeyAction::FindNext: View.FindNext(false); break;
  case TKeyAction::FindPrevious: View.FindNext(true); break;
  }
}

bool TMainWindow::TakeEscape() {
  switch (View.FocusArea()) {
  case TFocusArea::ContentsFilter:
    // An empty filter hands the page back its focus, so a further Escape closes as ever.
    if (!View.ClearContentsFilter())
      if (IBrowser* Browser = MainBrowser())
        Browser->FocusPage();
    return true;
  case TFocusArea::FindBar: View.CloseFindBar(); return true;
  default: break;
  }
  if (View.IsFullScreen()) {
    View.ToggleFullScreen();
    return true;
  }
  return false;
}

} // namespace vv

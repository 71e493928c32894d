// The operations that tie the reading order to the main browser: which page
// it shows, moving the reading order there, showing the reading order's page,
// and the text size.
#include "shell/u_MainWindow.h"

namespace vv {

IBrowser* TMainWindow::MainBrowser() { return View.MainBrowser(); }

void TMainWindow::SetFontSize(int Level) {
  if (IBrowser* Browser = MainBrowser(); Browser && Level >= 0 && Level <= 4)
    Browser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, Level);
}

std::string TMainWindow::GetCurrentPagePath() {
  const IBrowser* Browser = MainBrowser();
  std::string URL = Browser ? Browser->LocationURL() : std::string();
  if (URL.size() >= 4 && SameText(std::string_view(URL).substr(0, 4), "mfs:"))
    URL.erase(0, 4);
  return URL;
}

void TMainWindow::SyncStoryWithPage() { GetStory().Locate(GetCurrentPagePath()); }

void TMainWindow::NavigateToStoryPage() {
  IBrowser* Browser = MainBrowser();
  if (!Browser)
    return; // closing: the host object already refuses scripts
  try {
    SetFontSize(2);
  } catch (const std::exception&) {
  }
  Browser->Navigate("mfs:" + GetStory().CurrentPage());
  try {
    SetFontSize(FontSize);
  } catch (const std::exception&) {
  }
}

} // namespace vv

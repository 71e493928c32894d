// The toolbar strip's settings, the logo and the splash at start; the end
// splash the window waits for when it closes.
#include <cmath>

#include "forms/u_Splash.h"
#include "shell/u_MainWindow.h"

namespace vv {

namespace {
constexpr int MaxLogoWidth = 113;
} // namespace

void TMainWindow::ApplyToolbarSettings() {
  ToolbarOptions = std::make_unique<TToolbarOptions>();
  ToolbarOptions->LoadFromNode(SystemXML->Root()->Nodes->FindNode("toolbar"));
  View.SetToolbarPlacement(ToolbarOptions->ToolbarPlacement);
  View.ApplyToolbarAppearance(*ToolbarOptions);
  TextColor = ToolbarOptions->ToolbarTextColor;
  LoadLogo();
}

void TMainWindow::LoadLogo() {
  if (!ToolbarOptions->LogoDisplay)
    return;
  View.SetLogoHint(Variables->Substitute(ToolbarOptions->LogoText));
  TMFSSession& Session = SystemVolume->DefaultSession();
  if (!Session.Exists("\\Logo.bmp")) {
    View.HideLogo();
    return;
  }
  const auto Logo = View.LoadPicture(TPictureKind::Bitmap, ReadThroughStream(Session, "\\Logo.bmp"), "\\Logo.bmp");
  const TSize Natural = Logo->Size();
  // A wide logo is scaled down proportionally to the widest the strip takes.
  LogoShown = Natural.Width > MaxLogoWidth
                  ? TSize{MaxLogoWidth, static_cast<int>(std::lround(Natural.Height * double(MaxLogoWidth) / Natural.Width))}
                  : Natural;
  View.ShowLogo(*Logo, LogoShown);
}

void TMainWindow::StartSplash() {
  SplashOptions = std::make_unique<TSplashOptions>();
  SplashOptions->LoadFromNode(SystemXML->Root()->Nodes->FindNode("splash"));
  ShowSplash(SplashOptions.get(), true, SystemVolume.get(), SplashDone, Platform.Forms, Platform.Loop);
}

bool TMainWindow::FormCloseQuery() {
  // A close arriving while the end greeting runs is refused; that greeting's own close follows.
  if (!SplashDone)
    return false;
  const TLiveness Alive = Life.Token();
  try {
    ShowSplash(SplashOptions.get(), false, SystemVolume.get(), SplashDone, Platform.Forms, Platform.Loop);
    Platform.Loop.WaitUntil([&] { return !IsAlive(Alive) || SplashDone; }, -1);
    return true;
  } catch (const std::exception& E) {
    if (IsAlive(Alive))
      View.ShowErrorBox(E.what());
    return false;
  }
}

} // namespace vv

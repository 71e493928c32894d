#include "forms/u_Splash.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>

#include "text/u_Utils.h"

namespace vv {

namespace {
bool GSplashFinished = true;
// Bumped whenever ShowSplash starts a new splash: a splash left over from an
// earlier one must not finish the current one.
std::uint64_t GSplashGeneration = 0;
// The end wait's SplashDone while it waits.
bool* GEndWaitDone = nullptr;

void SetSplashFinished(std::uint64_t Generation, IMessageLoop& Loop) {
  if (Generation != GSplashGeneration)
    return;
  GSplashFinished = true;
  // Set here rather than after the end wait returns: a wait for SplashDone
  // nested inside the end wait must be able to end first.
  if (GEndWaitDone)
    *GEndWaitDone = true;
  Loop.Wake();
}


// One splash window: shown → (timer over | close requested) → released. The
// pending timer keeps it alive after ShowSplash has returned.
class TSplash : public std::enable_shared_from_this<TSplash> {
public:
  TSplash(std::unique_ptr<ISplashView> View, IMessageLoop& Loop)
      : FView(std::move(View)), FLoop(Loop), FGeneration(GSplashGeneration) {}

  void Setup(TMFS& SystemVolume, const std::string& File, int Seconds, bool CloseOnClick) {
    FView->OnClick = [Weak = weak_from_this()] {
      if (const auto Self = Weak.lock())
        Self->Click();
    };
    try {
      const int Ms = std::clamp(Seconds, 0, MaxSplashInterval) * 1000;
      FCloseOnClick = CloseOnClick;
      const std::optional<TPictureKind> Type = SplashPictureType(File);
      if (!Type)
        return;
      const std::unique_ptr<TMFSFileStream> Stream = SystemVolume.DefaultSession().GetFile(File)->CreateStream();
      if (!FView->LoadPicture(Stream->ReadString(Stream->Size()), *Type))
        return;
      const TRect Screen = FView->ScreenRect();
      if (Screen.Width > 0 && Screen.Height > 0) {
        const TSize Size = FView->WindowSize();
        // Integer division toward zero, also for a picture larger than the screen.
        FView->MoveTo({Screen.Left + (Screen.Width - Size.Width) / 2, Screen.Top + (Screen.Height - Size.Height) / 2});
      }
      FShown = true;
      // A zero interval would fire at once (or, on some platforms, never):
      // without a running timer the splash closes at the request instead.
      if (Ms > 0)
        StartTimer(Ms);
    } catch (const std::exception&) {
      // A picture that cannot be shown is no reason to stop the viewer.
    }
  }

  [[nodiscard]] bool IsShownReady() const { return FShown; }
  void Show() { FView->Show(); }

  void RequestClose() {
    if (FTimerRunning) {
      FCloseRequested = true;
      return;
    }
    Release();
    SetSplashFinished(FGeneration, FLoop);
  }

private:
  void StartTimer(int Ms) {
    FTimerRunning = true;
    FLoop.PostDelayed(Ms, [Self = shared_from_this(), Ticket = ++FTimerTicket] {
      if (Ticket == Self->FTimerTicket)
        Self->TimerFired();
    });
  }

  void TimerFired() {
    FTimerRunning = false;
    ++FTimerTicket; // a pending timer task does nothing now
    if (FCloseRequested) {
      SetSplashFinished(FGeneration, FLoop);
      Release();
    }
  }

  void Click() {
    if (!FCloseOnClick)
      return;
    RequestClose();
    TimerFired();
  }

  void Release() {
    if (FReleased)
      return;
    FReleased = true;
    FTimerRunning = false;
    ++FTimerTicket;
    FView->Close();
  }

  std::unique_ptr<ISplashView> FView;
  IMessageLoop& FLoop;
  const std::uint64_t FGeneration;
  bool FShown = false;
  bool FCloseRequested = false;
  bool FCloseOnClick = false;
  bool FReleased = false;
  bool FTimerRunning = false;
  unsigned FTimerTicket = 0;
};
} // namespace

std::optional<TPictureKind> SplashPictureType(const std::string& File) {
  const std::string Extension = TMFS::ExtractExt(File);
  try {
    return PictureKindOf(Extension.empty() ? Extension : Extension.substr(1));
  } catch (const EInvalidGraphic&) {
    return std::nullopt;
  }
}

bool SplashFinished() { return GSplashFinished; }

void ShowSplash(const TSplashOptions* Options, bool AtStart, TMFS* SystemVolume, bool& SplashDone, IFormViews& Views,
                IMessageLoop& Loop) {
  if (!Options)
    return;
  GSplashFinished = false;
  ++GSplashGeneration;
  const char* const File = AtStart ? SplashFileS : SplashFileE;
  const TSplashType Type = AtStart ? Options->SplashTypeS : Options->SplashTypeE;
  const std::string& Text = AtStart ? Options->PopUpTextS : Options->PopUpTextE;
  if (Type == vsPopUp) {
    Views.ShowInformation(SPopUpCaption, Text);
    return;
  }
  if (Type != vsSplash || !SystemVolume || !SystemVolume->DefaultSession().Exists(File))
    return;

  std::shared_ptr<TSplash> Splash;
  const auto RequestAndWait = [&] {
    if (Splash)
      Splash->RequestClose();
    else
      SetSplashFinished(GSplashGeneration, Loop);
    if (AtStart)
      return;
    SplashDone = false;
    GEndWaitDone = &SplashDone;
    struct TEndWait {
      ~TEndWait() { GEndWaitDone = nullptr; }
    } EndWait;
    Loop.WaitUntil([] { return GSplashFinished; }, -1);
    SplashDone = true;
  };
  try {
    Splash = std::make_shared<TSplash>(Views.CreateSplashView(), Loop);
    Splash->Setup(*SystemVolume, File, Options->Interval, Options->CloseOnClick);
    if (Splash->IsShownReady())
      Splash->Show();
  } catch (...) {
    RequestAndWait();
    throw;
  }
  RequestAndWait();
}

} // namespace vv

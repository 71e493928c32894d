#pragma once
// The book's greeting at start and farewell at close: a pop-up message box or
// a borderless picture window that closes itself after its interval.

#include <QObject>
#include <QWidget>
#include <cstdint>
#include <string>

#include "storage/u_MFS.h"
#include "text/u_eBookCommon.h"

class QLabel;
class QTimer;

namespace vv {

inline constexpr const char* SplashFileS = "SplashS.bmp";
inline constexpr const char* SplashFileE = "SplashE.bmp";
// Longest display interval, seconds.
inline constexpr int MaxSplashInterval = 10;

// Set when the current splash has finished (closed, or never shown); one flag
// for the whole process.
[[nodiscard]] bool SplashFinished();

// Reports changes of SplashFinished and of the waits in ShowSplash, so that
// waiting is a real event loop woken by a signal, never a polling loop.
class TSplashEvents : public QObject {
  Q_OBJECT
signals:
  void Changed();
};
[[nodiscard]] TSplashEvents& SplashEvents();

class TfrmSplash : public QWidget {
  Q_OBJECT
public:
  // SystemVolume (not owned) holds the pictures; it must outlive Setup.
  explicit TfrmSplash(TMFS& SystemVolume, QWidget* Parent = nullptr);

  // Prepares the window from a picture file of the system volume, looked up
  // by its default session. Errors leave the window not shown-ready.
  void Setup(const std::string& File, int Seconds, bool CloseOnClick);
  // Closes the window as soon as its display time is over.
  void RequestClose();
  // The picture was loaded and the window placed.
  [[nodiscard]] bool IsShownReady() const { return FShown; }
  [[nodiscard]] bool CloseRequested() const { return FCloseRequested; }

  void tmrSplashTimer();
  void FormClick();

  QLabel* const imgSplash;
  QTimer* const tmrSplash;

protected:
  void mouseReleaseEvent(QMouseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void Release();

  TMFS& SystemVolume;
  bool FShown = false;
  bool FCloseRequested = false;
  bool FCloseOnClick = false;
  bool FReleased = false;
  // A splash left over from an earlier ShowSplash must not finish the current one.
  std::uint64_t FGeneration;
};

// Shows the start (AtStart) or end greeting of Options; no Options, nothing.
// Pictures are SplashS.bmp / SplashE.bmp in the current folder of
// SystemVolume's default session (no volume: no picture). At start it returns
// at once and leaves the splash to close itself; at the end it sets SplashDone
// false, processes events until the splash has finished and sets it true
// again. Pop-ups are modal boxes over Owner. Errors propagate after the close
// has been requested and waited for.
void ShowSplash(const TSplashOptions* Options, bool AtStart, TMFS* SystemVolume, bool& SplashDone,
                QWidget* Owner = nullptr);

// Processes events until Done is true; Done is checked again each time a
// splash finishes or ShowSplash ends its wait (the main window's close query
// waits on its SplashDone this way).
void ProcessMessagesUntil(const bool& Done);

} // namespace vv

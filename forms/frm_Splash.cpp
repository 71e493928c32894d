#include "forms/frm_Splash.h"

#include <QBuffer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/u_Ansi.h"

namespace vv {

namespace {
bool GSplashFinished = true;
// Bumped whenever ShowSplash starts a new splash.
std::uint64_t GSplashGeneration = 0;

void SetSplashFinished(std::uint64_t Generation) {
  if (Generation != GSplashGeneration)
    return;
  GSplashFinished = true;
  emit SplashEvents().Changed();
}

void ClearSplashFinished() {
  GSplashFinished = false;
  ++GSplashGeneration;
}

// Qt's reader for a picture extension (with its dot), or nullptr for a type
// the splash does not show. Metafiles are a known type without a reader here:
// loading them fails like a broken picture.
const char* ReaderFormatFor(const std::string& Extension) {
  if (SameText(Extension, ".bmp"))
    return "bmp";
  if (SameText(Extension, ".ico"))
    return "ico";
  if (SameText(Extension, ".jpg") || SameText(Extension, ".jpeg"))
    return "jpeg";
  if (SameText(Extension, ".wmf"))
    return "wmf";
  if (SameText(Extension, ".emf"))
    return "emf";
  return nullptr;
}

QImage ReadPicture(TMFSFile& File, const char* Format) {
  const std::unique_ptr<TMFSFileStream> Stream = File.CreateStream();
  QByteArray Bytes = QByteArray::fromStdString(Stream->ReadString(Stream->Size()));
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::ReadOnly);
  QImageReader Reader(&Buffer, Format);
  // The extension decides the type; other bytes under it are a broken picture.
  Reader.setAutoDetectImageFormat(false);
  QImage Image = Reader.read();
  if (Image.isNull())
    throw Exception(QStringToAnsi(Reader.errorString()));
  return Image;
}

void ShowPopUp(const std::string& Text, QWidget* Owner) {
  QMessageBox Box(QMessageBox::Information, QStringLiteral("Information"), AnsiToQString(Text), QMessageBox::Ok,
                  Owner);
  Box.setObjectName("PopUpBox");
  Box.exec();
}
} // namespace

bool SplashFinished() { return GSplashFinished; }

TSplashEvents& SplashEvents() {
  static TSplashEvents Events;
  return Events;
}

TfrmSplash::TfrmSplash(TMFS& SystemVolume, QWidget* Parent)
    : QWidget(Parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      imgSplash(new QLabel(this)), tmrSplash(new QTimer(this)), SystemVolume(SystemVolume),
      FGeneration(GSplashGeneration) {
  setObjectName("frmSplash");
  // A start splash still up must not keep the program alive after the main window.
  setAttribute(Qt::WA_QuitOnClose, false);
  imgSplash->setObjectName("imgSplash");
  imgSplash->move(0, 0);
  imgSplash->installEventFilter(this);
  tmrSplash->setObjectName("tmrSplash");
  connect(tmrSplash, &QTimer::timeout, this, &TfrmSplash::tmrSplashTimer);
}

void TfrmSplash::Setup(const std::string& File, int Seconds, bool CloseOnClick) {
  try {
    Seconds = std::clamp(Seconds, 0, MaxSplashInterval);
    tmrSplash->setInterval(Seconds * 1000);
    FCloseOnClick = CloseOnClick;
    const char* Format = ReaderFormatFor(TMFS::ExtractExt(File));
    if (!Format)
      return;
    TMFSFile* Picture = SystemVolume.DefaultSession().GetFile(File);
    const QImage Image = ReadPicture(*Picture, Format);
    imgSplash->setPixmap(QPixmap::fromImage(Image));
    imgSplash->resize(Image.size());
    setFixedSize(Image.size());
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
      const QRect Desktop = Screen->geometry();
      // Integer division toward zero, also for a picture larger than the screen.
      move(Desktop.left() + (Desktop.width() - width()) / 2, Desktop.top() + (Desktop.height() - height()) / 2);
    }
    FShown = true;
    // A zero interval would fire at once (or, on some platforms, never):
    // without a running timer the splash closes at the request instead.
    if (tmrSplash->interval() > 0)
      tmrSplash->start();
  } catch (const std::exception&) {
    // A picture that cannot be shown is no reason to stop the viewer.
  }
}

void TfrmSplash::RequestClose() {
  if (tmrSplash->isActive()) {
    FCloseRequested = true;
    return;
  }
  Release();
  SetSplashFinished(FGeneration);
}

void TfrmSplash::tmrSplashTimer() {
  tmrSplash->stop();
  if (FCloseRequested) {
    SetSplashFinished(FGeneration);
    Release();
  }
}

void TfrmSplash::FormClick() {
  if (!FCloseOnClick)
    return;
  RequestClose();
  tmrSplashTimer();
}

void TfrmSplash::Release() {
  if (FReleased)
    return;
  FReleased = true;
  tmrSplash->stop();
  hide();
  deleteLater();
}

void TfrmSplash::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
    FormClick();
  QWidget::mouseReleaseEvent(Event);
}

bool TfrmSplash::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == imgSplash && Event->type() == QEvent::MouseButtonRelease) {
    const auto* Mouse = static_cast<QMouseEvent*>(Event);
    if (Mouse->button() == Qt::LeftButton && imgSplash->rect().contains(Mouse->position().toPoint()))
      FormClick();
    return true; // the window must not count the same click again
  }
  return QWidget::eventFilter(Watched, Event);
}

void ProcessMessagesUntil(const bool& Done) {
  if (Done)
    return;
  QEventLoop Loop;
  QObject::connect(&SplashEvents(), &TSplashEvents::Changed, &Loop, [&Loop, &Done] {
    if (Done)
      Loop.quit();
  });
  Loop.exec();
}

void ShowSplash(const TSplashOptions* Options, bool AtStart, TMFS* SystemVolume, bool& SplashDone, QWidget* Owner) {
  if (!Options)
    return;
  ClearSplashFinished();
  const char* const File = AtStart ? SplashFileS : SplashFileE;
  const TSplashType Type = AtStart ? Options->SplashTypeS : Options->SplashTypeE;
  const std::string& Text = AtStart ? Options->PopUpTextS : Options->PopUpTextE;
  if (Type == vsPopUp) {
    ShowPopUp(Text, Owner);
    return;
  }
  if (Type != vsSplash || !SystemVolume || !SystemVolume->DefaultSession().Exists(File))
    return;

  // Owned by the application: it releases itself once closed.
  QPointer<TfrmSplash> Splash;
  const auto RequestAndWait = [&] {
    if (Splash)
      Splash->RequestClose();
    else
      SetSplashFinished(GSplashGeneration);
    if (AtStart)
      return;
    SplashDone = false;
    if (!GSplashFinished) {
      QEventLoop Loop;
      QObject::connect(&SplashEvents(), &TSplashEvents::Changed, &Loop, [&] {
        if (!GSplashFinished || SplashDone)
          return;
        // Set here rather than after the loop returns: a wait for SplashDone
        // nested inside this loop must be able to end first, and is told so.
        SplashDone = true;
        Loop.quit();
        QMetaObject::invokeMethod(&SplashEvents(), &TSplashEvents::Changed, Qt::QueuedConnection);
      });
      Loop.exec();
    }
    SplashDone = true;
  };
  try {
    Splash = new TfrmSplash(*SystemVolume);
    Splash->Setup(File, Options->Interval, Options->CloseOnClick);
    if (Splash->IsShownReady()) {
      Splash->show();
      Splash->repaint();
    }
  } catch (...) {
    RequestAndWait();
    throw;
  }
  RequestAndWait();
}

} // namespace vv

#include "forms/frm_Splash.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>


namespace vv {

namespace {
const char* ReaderFormat(TPictureKind Type) {
  switch (Type) {
  case TPictureKind::Bitmap: return "bmp";
  case TPictureKind::Icon: return "ico";
  case TPictureKind::Jpeg: return "jpeg";
  case TPictureKind::Metafile: return "wmf";
  }
  return "";
}
} // namespace

TfrmSplash::TfrmSplash(QWidget* Parent)
    : QWidget(Parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      imgSplash(new QLabel(this)) {
  setObjectName("frmSplash");
  // A start splash still up must not keep the program alive after the main window.
  setAttribute(Qt::WA_QuitOnClose, false);
  imgSplash->setObjectName("imgSplash");
  imgSplash->move(0, 0);
  imgSplash->installEventFilter(this);
}

void TfrmSplash::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) && OnClick)
    OnClick();
  QWidget::mouseReleaseEvent(Event);
}

bool TfrmSplash::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == imgSplash && Event->type() == QEvent::MouseButtonRelease) {
    const auto* Mouse = static_cast<QMouseEvent*>(Event);
    if (Mouse->button() == Qt::LeftButton && imgSplash->rect().contains(Mouse->position().toPoint()) && OnClick)
      OnClick();
    return true; // the window must not count the same click again
  }
  return QWidget::eventFilter(Watched, Event);
}

TQtSplashView::TQtSplashView() : Window(new TfrmSplash) {
  Window->OnClick = [this, Alive = Life.Token()] {
    if (IsAlive(Alive) && OnClick)
      OnClick();
  };
}

TQtSplashView::~TQtSplashView() { Close(); }

bool TQtSplashView::LoadPicture(const std::string& Bytes, TPictureKind Type) {
  QByteArray Data = QByteArray::fromStdString(Bytes);
  QBuffer Buffer(&Data);
  Buffer.open(QIODevice::ReadOnly);
  QImageReader Reader(&Buffer, ReaderFormat(Type));
  // The extension decides the type; other bytes under it are a broken picture.
  // Metafiles have no reader here: they fail like a broken picture.
  Reader.setAutoDetectImageFormat(false);
  const QImage Image = Reader.read();
  if (Image.isNull())
    return false;
  Window->imgSplash->setPixmap(QPixmap::fromImage(Image));
  Window->imgSplash->resize(Image.size());
  Window->setFixedSize(Image.size());
  return true;
}

TSize TQtSplashView::WindowSize() const { return {Window->width(), Window->height()}; }

TRect TQtSplashView::ScreenRect() const {
  const QScreen* Screen = QGuiApplication::primaryScreen();
  if (!Screen)
    return {};
  const QRect Desktop = Screen->geometry();
  return {Desktop.left(), Desktop.top(), Desktop.width(), Desktop.height()};
}

void TQtSplashView::MoveTo(const TPoint& TopLeft) { Window->move(TopLeft.X, TopLeft.Y); }

void TQtSplashView::Show() {
  Window->show();
  Window->repaint();
}

void TQtSplashView::Close() {
  if (!Window)
    return;
  // A click being handled keeps its handler: the hidden window gets no other.
  Window->hide();
  Window->deleteLater();
  Window = nullptr;
}

} // namespace vv

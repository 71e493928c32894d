#include "forms/frm_Print.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "forms/u_PrintSections.h"
#include "platform/u_Ansi.h"

namespace vv {

namespace {
constexpr int FormWidth = 696;
constexpr int FormHeight = 480;
constexpr QSize ImageSize(16, 16);

// The theme's picture when the desktop has one, else a small drawing.
QIcon ToolbarImage(const char* ThemeName, bool Magnifier) {
  if (QIcon::hasThemeIcon(QLatin1String(ThemeName)))
    return QIcon::fromTheme(QLatin1String(ThemeName));
  QPixmap Picture(ImageSize);
  Picture.fill(Qt::transparent);
  QPainter P(&Picture);
  P.setPen(Qt::black);
  if (Magnifier) {
    P.setBrush(Qt::white);
    P.drawRect(1, 0, 10, 13);
    P.setBrush(Qt::NoBrush);
    P.drawEllipse(6, 6, 6, 6);
    P.drawLine(11, 11, 15, 15);
  } else {
    P.setBrush(Qt::white);
    P.drawRect(4, 1, 8, 6);
    P.setBrush(Qt::lightGray);
    P.drawRect(1, 6, 14, 6);
    P.setBrush(Qt::white);
    P.drawRect(4, 10, 8, 5);
  }
  return QIcon(Picture);
}

QToolButton* ToolButton(const char* Name, const char* Hint, const QIcon& Image, QWidget* Parent) {
  auto* Button = new QToolButton(Parent);
  Button->setObjectName(Name);
  Button->setToolTip(QLatin1String(Hint));
  Button->setIcon(Image);
  Button->setIconSize(ImageSize);
  Button->setAutoRaise(true);
  return Button;
}

} // namespace

TfrmPrint::TfrmPrint(QWidget* Parent)
    : QDialog(Parent), imglToolbar{ToolbarImage("document-print", false), ToolbarImage("document-print-preview", true)},
      tbrPrint(new QToolBar(this)),
      tbtnPrint(ToolButton("tbtnPrint", "Print", imglToolbar[0], tbrPrint)),
      tbtnPreview(ToolButton("tbtnPreview", "Preview", imglToolbar[1], tbrPrint)), webPrint(new TMXWebBrowser(this)) {
  setObjectName("frmPrint");
  setWindowTitle(QStringLiteral("Print page"));
  resize(FormWidth, FormHeight);
  if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
    const QRect Desktop = Screen->geometry();
    move(Desktop.left() + (Desktop.width() - FormWidth) / 2, Desktop.top() + (Desktop.height() - FormHeight) / 2);
  }

  tbrPrint->setObjectName("tbrPrint");
  tbrPrint->setIconSize(ImageSize);
  tbrPrint->addWidget(tbtnPrint);
  tbrPrint->addWidget(tbtnPreview);
  connect(tbtnPrint, &QToolButton::clicked, this, [this] {
    if (OnPrint)
      OnPrint();
  });
  connect(tbtnPreview, &QToolButton::clicked, this, [this] {
    if (OnPreview)
      OnPreview();
  });

  webPrint->setObjectName("webPrint");
  // A section is markup taken out of a page: printed as it stands, its
  // scripts never run (the window has no script object either).
  webPrint->SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                                TDownloadControlOption::DLCTL_BGSOUNDS, TDownloadControlOption::DLCTL_NO_SCRIPTS});
  webPrint->SetUserInterfaceOptions({});
  // Unasked, the browser shows its own menu.
  webPrint->OnShowContextMenu = [this](std::uint32_t dwID, const TPoint& ppt) {
    return OnShowContextMenu ? OnShowContextMenu(dwID, ppt) : VV_S_FALSE;
  };
  // Queued: the engine reports from a callback that must not run a modal box.
  connect(
      webPrint, &TMXWebBrowser::PrintFailed, this,
      [this](const QString& Reason) { ShowError(QStringToAnsi(Reason)); }, Qt::QueuedConnection);

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(0);
  Layout->addWidget(tbrPrint);
  Layout->addWidget(webPrint, 1);
}

void TfrmPrint::LoadHTML(const std::string& Html) { webPrint->LoadHTML(Html); }

void TfrmPrint::ExecWB(int CmdID, int CmdExecOpt) { webPrint->ExecWB(CmdID, CmdExecOpt); }

void TfrmPrint::ShowError(const std::string& Message) {
  QMessageBox Box(QMessageBox::Critical, QApplication::applicationName(), AnsiToQString(Message), QMessageBox::Ok,
                  this);
  Box.exec();
}

void TfrmPrint::ShowModal() { exec(); }

} // namespace vv

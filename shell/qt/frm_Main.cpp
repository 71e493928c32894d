// The main window's components, its window operations, and the forwarding of
// its events and keys to the logic.
#include "shell/qt/frm_Main.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "host/u_QtMessageLoop.h"
#include "platform/u_Ansi.h"
#include "shell/qt/u_MessageBox.h"
#include "shell/qt/u_QtKeys.h"

namespace vv {

namespace {
TMainPlatform PlatformOf(TfrmMain& Window, IFormViews& Forms, IUserFormViews& UserForms,
                         IReadingStateStore& ReadingStates) {
  return TMainPlatform{Window, QtMessageLoop(), Forms, UserForms, ReadingStates};
}
} // namespace

TfrmMain::TfrmMain(std::unique_ptr<TBackgroundCabinetLoad> ContentLoad) : FormViews(this), UserFormViews(this) {
  BuildComponents();
  Logic = std::make_unique<TMainWindow>(PlatformOf(*this, FormViews, UserFormViews, ReadingStates),
                                        std::move(ContentLoad));
}

TfrmMain::TfrmMain(TBookSource Source) : FormViews(this), UserFormViews(this) {
  BuildComponents();
  Logic = std::make_unique<TMainWindow>(PlatformOf(*this, FormViews, UserFormViews, ReadingStates), std::move(Source));
}

TfrmMain::~TfrmMain() {
  qApp->removeEventFilter(this);
  Logic.reset();
}

void TfrmMain::BuildComponents() {
  setObjectName("frmMain");
  setWindowTitle("Vellumview");
  auto* Client = new QWidget(this);
  auto* Column = new QVBoxLayout(Client);
  Column->setContentsMargins(0, 0, 0, 0);
  Column->setSpacing(0);

  pnlToolbarCommon = new QFrame(Client);
  pnlToolbarCommon->setObjectName("pnlToolbarCommon");
  pnlToolbarCommon->setFixedHeight(40);
  pnlToolbarCommon->setAutoFillBackground(true);
  auto* Strip = new QHBoxLayout(pnlToolbarCommon);
  Strip->setContentsMargins(0, 0, 0, 0);
  Strip->setSpacing(0);
  pnlToolbar = new QFrame(pnlToolbarCommon);
  pnlToolbar->setObjectName("pnlToolbar");
  auto* ToolbarBox = new QHBoxLayout(pnlToolbar);
  ToolbarBox->setContentsMargins(0, 0, 0, 0);
  tbrMain = new QToolBar(pnlToolbar);
  tbrMain->setObjectName("tbrMain");
  tbrMain->setIconSize(QSize(32, 32));
  ToolbarBox->addWidget(tbrMain);
  pnlLogo = new QFrame(pnlToolbarCommon);
  pnlLogo->setObjectName("pnlLogo");
  pnlLogo->setFixedWidth(100);
  pnlLogo->setAutoFillBackground(true);
  auto* LogoBox = new QHBoxLayout(pnlLogo);
  LogoBox->setContentsMargins(0, 0, 0, 0);
  imgLogo = new QLabel(pnlLogo);
  imgLogo->setObjectName("imgLogo");
  imgLogo->setAlignment(Qt::AlignCenter);
  LogoBox->addWidget(imgLogo);
  Strip->addWidget(pnlToolbar, 1);
  Strip->addWidget(pnlLogo);

  webMain = new TMXWebBrowser(Client);
  webMain->setObjectName("webMain");
  // The renderer starts while the book is unpacked, not after.
  webMain->StartRenderer();
  imgLogo->installEventFilter(this);
  InstallShortcuts();
  qApp->installEventFilter(this);
  Column->addWidget(pnlToolbarCommon);
  Column->addWidget(BuildReadingArea(Client), 1);
  setCentralWidget(Client);

  popBookMarks = new QMenu(this);
  popBookMarks->setObjectName("popBookMarks");
  popFontSize = new QMenu(this);
  popFontSize->setObjectName("popFontSize");
  QAction** const Sizes[] = {&mnuFS_ExtraSmall, &mnuFS_Small, &mnuFS_Medium, &mnuFS_Large, &mnuFS_ExtraLarge};
  const char* const SizeCaptions[] = {"Extra Small", "Small", "Medium", "Large", "Extra Large"};
  for (int Tag = 0; Tag < 5; ++Tag) {
    QAction* Item = popFontSize->addAction(SizeCaptions[Tag]);
    Item->setProperty("Tag", Tag);
    connect(Item, &QAction::triggered, this, [this, Tag] { Logic->mnuFS_Click(Tag); });
    *Sizes[Tag] = Item;
  }
  popPrint = new QMenu(this);
  popPrint->setObjectName("popPrint");
}

void TfrmMain::InstallShortcuts() {
  for (const TKeyBinding& Binding : KeyBindings())
    connect(new QShortcut(SequenceOf(Binding.Chord), this), &QShortcut::activated, this, [this, &Binding] {
      if (Logic)
        Logic->KeyBindingPressed(Binding);
    });
}

// ---- events ----

void TfrmMain::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (!Shown) {
    Shown = true;
    Logic->FormShow();
  }
}

void TfrmMain::closeEvent(QCloseEvent* Event) {
  if (!Logic->FormCloseQuery()) {
    Event->ignore();
    return;
  }
  Logic->FormClose();
  Event->accept();
}

void TfrmMain::resizeEvent(QResizeEvent* Event) {
  QMainWindow::resizeEvent(Event);
  if (Logic)
    Logic->FormResize();
}

bool TfrmMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == imgLogo && Event->type() == QEvent::MouseButtonRelease && Logic) {
    Logic->imgLogoClick();
    return true;
  }
  return ApplicationEvents1Message(Watched, Event);
}

bool TfrmMain::ApplicationEvents1Message(QObject* Target, QEvent* Event) {
  const bool Query = Event->type() == QEvent::ShortcutOverride;
  if (!Logic || (!Query && Event->type() != QEvent::KeyPress))
    return false;
  TKeyEvent Key;
  Key.Chord = ChordOf(*static_cast<QKeyEvent*>(Event));
  Key.ShortcutQuery = Query;
  const auto* Widget = qobject_cast<QWidget*>(Target);
  Key.InMainWindow = Widget && Widget->window() == this;
  const QWidget* Active = QApplication::activeWindow();
  Key.Active = Active == this                                       ? TKeyEvent::Main
               : Active && Active->inherits("vv::TfrmPrint") ? TKeyEvent::Print
                                                                    : TKeyEvent::Other;
  Key.MenuOpen = QApplication::activePopupWidget() != nullptr;
  switch (Logic->ApplicationEvents1Message(Key)) {
  case TKeyVerdict::Pass: return false;
  case TKeyVerdict::Taken: return true;
  case TKeyVerdict::Shortcut: Event->ignore(); return true;
  case TKeyVerdict::AsKeyPress: Event->accept(); return true;
  }
  return false;
}

// ---- the window ----

void TfrmMain::SetCaption(const std::string& Caption) { setWindowTitle(AnsiToQString(Caption)); }

void TfrmMain::SetApplicationTitle(const std::string& Title) { QApplication::setApplicationName(AnsiToQString(Title)); }

void TfrmMain::Resize(TSize Size) { resize(Size.Width, Size.Height); }

void TfrmMain::Maximize() { setWindowState(windowState() | Qt::WindowMaximized); }

void TfrmMain::SetFixedBorder(bool KeepSize) {
  setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) &
                 ~Qt::WindowMaximizeButtonHint);
  if (KeepSize)
    setFixedSize(size());
}

void TfrmMain::CenterOnScreen() {
  if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
    QRect Frame = frameGeometry();
    Frame.moveCenter(Screen->availableGeometry().center());
    move(Frame.topLeft());
  }
}

std::vector<TRect> TfrmMain::Screens() const {
  std::vector<TRect> Result;
  QList<QScreen*> All = QGuiApplication::screens();
  if (QScreen* Primary = QGuiApplication::primaryScreen()) {
    All.removeAll(Primary);
    All.prepend(Primary);
  }
  for (const QScreen* Screen : All) {
    const QRect Area = Screen->availableGeometry();
    Result.push_back({Area.x(), Area.y(), Area.width(), Area.height()});
  }
  return Result;
}

void TfrmMain::SetGeometry(const TRect& Frame) { setGeometry(Frame.Left, Frame.Top, Frame.Width, Frame.Height); }

TWindowPlacement TfrmMain::Placement() const {
  const QRect Normal = normalGeometry();
  return TWindowPlacement{Normal.x(), Normal.y(), Normal.width(), Normal.height(),
                          isMaximized() || (isFullScreen() && MaximizedBeforeFullScreen)};
}

bool TfrmMain::IsFullScreen() const { return isFullScreen(); }

void TfrmMain::ToggleFullScreen() {
  if (isFullScreen()) {
    if (MaximizedBeforeFullScreen)
      showMaximized();
    else
      showNormal();
    // A window the book made fixed gets its size back.
    if (FixedSizeBeforeFullScreen.isValid())
      setFixedSize(FixedSizeBeforeFullScreen);
    return;
  }
  MaximizedBeforeFullScreen = isMaximized();
  FixedSizeBeforeFullScreen = minimumSize() == maximumSize() ? minimumSize() : QSize();
  if (FixedSizeBeforeFullScreen.isValid()) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  showFullScreen();
}

void TfrmMain::Close() { close(); }

void TfrmMain::ReleaseMainBrowser() {
  delete webMain;
  webMain = nullptr;
}

// ---- the desktop ----

void TfrmMain::ShowErrorBox(const std::string& Message) { vv::ShowErrorBox(this, Message); }

void TfrmMain::ShowMessage(const std::string& Message) { vv::ShowMessage(this, Message); }

void TfrmMain::OpenOutside(const std::string& URL) { QDesktopServices::openUrl(QUrl(AnsiToQString(URL))); }

void TfrmMain::ClearClipboard() { QApplication::clipboard()->clear(); }

void TfrmMain::CloseActiveWindow() {
  if (QWidget* Active = QApplication::activeWindow(); Active && Active != this)
    QMetaObject::invokeMethod(Active, &QWidget::close, Qt::QueuedConnection);
}

} // namespace vv

// The toolbar strip as Qt draws it: panels, buttons, image list, logo and menus.
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/u_Ansi.h"
#include "platform/u_Pictures.h"
#include "shell/qt/frm_Main.h"
#include "shell/qt/u_QtKeys.h"

namespace vv {

namespace {
constexpr int SeparatorWidth = 8;

QColor ToQColor(TColor Color) {
  const TRGB RGB = ColorToRGB(Color);
  return QColor(RGB.R, RGB.G, RGB.B);
}

class TQtPicture : public IPicture {
public:
  explicit TQtPicture(QImage Image) : Image(std::move(Image)) {}
  [[nodiscard]] TSize Size() const override { return {Image.width(), Image.height()}; }
  [[nodiscard]] TColor PixelColor(TPoint At) const override {
    const QColor Color = Image.pixelColor(At.X, At.Y);
    return static_cast<TColor>(Color.red() | (Color.green() << 8) | (Color.blue() << 16));
  }
  const QImage Image;
};

const QImage& ImageOf(const IPicture& Picture) { return static_cast<const TQtPicture&>(Picture).Image; }

bool HasMenu(int Kind) { return Kind == tbkFontSize || Kind == tbkFavourites || Kind == tbkPrint; }
} // namespace

void TfrmMain::SetToolbarPlacement(TToolbarPlacement Placement) {
  auto* Column = static_cast<QVBoxLayout*>(centralWidget()->layout());
  Column->removeWidget(pnlToolbarCommon);
  Column->insertWidget(Placement == tpBottom ? 1 : 0, pnlToolbarCommon);
  pnlToolbarCommon->setVisible(Placement != tpNoToolbar);
}

void TfrmMain::ApplyToolbarAppearance(const TToolbarOptions& O) {
  tbrMain->setToolButtonStyle(O.ToolbarShowCaption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
  tbrMain->setIconSize(QSize(O.ToolbarImgW, O.ToolbarImgH));
  const QColor Back = ToQColor(O.ToolbarBackColor);
  for (QWidget* Panel : {static_cast<QWidget*>(pnlToolbarCommon), static_cast<QWidget*>(pnlToolbar),
                         static_cast<QWidget*>(pnlLogo)}) {
    QPalette Palette = Panel->palette();
    Palette.setColor(QPalette::Window, Back);
    Panel->setPalette(Palette);
    Panel->setAutoFillBackground(true);
  }
  // The tool bar's style paints its own background over the palette.
  tbrMain->setStyleSheet(QString("QToolBar { background: %1; border: 0; }").arg(Back.name()));
  imgLogo->setVisible(O.LogoDisplay);
  pnlLogo->setVisible(O.LogoDisplay);
}

int TfrmMain::ToolbarHeight() const { return tbrMain->sizeHint().height(); }

void TfrmMain::SetToolbarStripHeight(int Height) { pnlToolbarCommon->setFixedHeight(Height); }

bool TfrmMain::ToolbarShown() const { return !pnlToolbarCommon->isHidden() && !tbrMain->isHidden(); }

void TfrmMain::HideToolButtons() { tbrMain->hide(); }

std::unique_ptr<IPicture> TfrmMain::LoadPicture(TPictureKind Kind, const std::string& Bytes, const std::string& Name) {
  return std::make_unique<TQtPicture>(vv::LoadPicture(Kind, Bytes, Name));
}

int TfrmMain::AddToolbarImage(const IPicture& Picture, const TRect& Cell, const TColor* Transparent) {
  const QImage Image = ImageOf(Picture).copy(Cell.Left, Cell.Top, Cell.Width, Cell.Height);
  const QColor Color = Transparent ? ToQColor(*Transparent) : QColor();
  return imglToolbar.Add(Image, Transparent ? &Color : nullptr);
}

void TfrmMain::AddToolButton(const TToolButtonView& B) {
  auto* Button = new QToolButton(tbrMain);
  Button->setProperty("Tag", B.Tag);
  Button->setAutoRaise(B.Flat);
  tbrMain->addWidget(Button);
  if (B.Kind == tbkSeparator) {
    Button->setFixedWidth(SeparatorWidth);
    Button->setEnabled(false);
    return;
  }
  const QString Caption = AnsiToQString(B.Caption);
  Button->setText(Caption);
  Button->setToolButtonStyle(tbrMain->toolButtonStyle());
  Button->setMinimumSize(B.MinimumSize.Width, B.MinimumSize.Height);
  Button->setIcon(imglToolbar.Icon(B.ImageIndex));
  QPalette Palette = Button->palette();
  Palette.setColor(QPalette::ButtonText, ToQColor(B.TextColor));
  Palette.setColor(QPalette::WindowText, ToQColor(B.TextColor));
  Button->setPalette(Palette);
  Button->setToolTip(B.Keys.empty() ? Caption : QString("%1 (%2)").arg(Caption, KeyText(B.Keys)));
  // Every button is reached with Tab; Space presses it, so do Enter and
  // Return, and Down opens its menu.
  Button->setFocusPolicy(Qt::TabFocus);
  auto OnKey = [Button](const QKeySequence& Key, void (QToolButton::*Action)()) {
    auto* Shortcut = new QShortcut(Key, Button);
    Shortcut->setContext(Qt::WidgetShortcut);
    connect(Shortcut, &QShortcut::activated, Button, Action);
  };
  OnKey(QKeySequence(Qt::Key_Return), &QToolButton::click);
  OnKey(QKeySequence(Qt::Key_Enter), &QToolButton::click);
  if (HasMenu(B.Kind & 0x7F)) {
    OnKey(QKeySequence(Qt::Key_Down), &QToolButton::showMenu);
    OnKey(QKeySequence(Qt::ALT | Qt::Key_Down), &QToolButton::showMenu);
  }
  switch (B.Kind) {
  case tbkFontSize: Button->setMenu(popFontSize); break;
  case tbkFavourites: Button->setMenu(popBookMarks); break;
  case tbkPrint:
    Button->setMenu(popPrint);
    PrintButton = Button;
    break;
  default: break;
  }
  if (Button->menu())
    Button->setPopupMode(QToolButton::MenuButtonPopup);
  connect(Button, &QToolButton::clicked, this, [this, Tag = B.Tag] { Logic->ToolButtonPressed(Tag); });
}

QToolButton* TfrmMain::ToolButton(int Tag) const {
  for (QToolButton* Button : tbrMain->findChildren<QToolButton*>()) {
    bool IsTag = false;
    if (Button->property("Tag").toInt(&IsTag) == Tag && IsTag)
      return Button;
  }
  return nullptr;
}

void TfrmMain::ClickToolButton(int Tag) {
  if (QToolButton* Button = ToolButton(Tag))
    Button->click();
}

void TfrmMain::OpenToolButtonMenu(int Tag) {
  if (QToolButton* Button = ToolButton(Tag))
    Button->showMenu();
}

void TfrmMain::SetLogoHint(const std::string& Hint) { imgLogo->setToolTip(AnsiToQString(Hint)); }

void TfrmMain::ShowLogo(const IPicture& Picture, TSize Shown) {
  imgLogo->setPixmap(SmoothPixmap(ImageOf(Picture), QSize(Shown.Width, Shown.Height)));
  pnlLogo->setFixedWidth(Shown.Width);
  imgLogo->setCursor(Qt::PointingHandCursor);
}

void TfrmMain::HideLogo() {
  imgLogo->clear();
  pnlLogo->hide();
}

void TfrmMain::AddBookmark(int Tag, const std::string& Caption, const std::string& URL) {
  QAction* Action = popBookMarks->addAction(AnsiToQString(Caption));
  Action->setToolTip(AnsiToQString(URL));
  Action->setProperty("Tag", Tag);
  connect(Action, &QAction::triggered, this, [this, Tag] { Logic->BookMarkClick(Tag); });
}

void TfrmMain::SetPrintSections(const std::vector<std::string>& Ids) {
  popPrint->clear();
  for (const std::string& Id : Ids) {
    const QString Caption = AnsiToQString(Id);
    QAction* Item = popPrint->addAction(Caption);
    Item->setToolTip(Caption);
    Item->setStatusTip(Caption);
    connect(Item, &QAction::triggered, this, [this, Id] { Logic->PrintPageClick(Id); });
  }
  if (PrintButton)
    PrintButton->setPopupMode(Ids.empty() ? QToolButton::DelayedPopup : QToolButton::MenuButtonPopup);
}

} // namespace vv

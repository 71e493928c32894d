// The toolbar strip: buttons and images from the book's toolbar file, the
// commands behind them, text size, favourites and the logo.
#include <QApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "forms/frm_Search.h"
#include "platform/u_Ansi.h"
#include "platform/u_Pictures.h"
#include "shell/frm_Main.h"
#include "shell/u_MessageBox.h"

namespace vv {

namespace {
constexpr int MaxLogoWidth = 113;
constexpr int SeparatorWidth = 8;
// A browser that never becomes interactive must not hold a command forever.
constexpr int ReadyStateWaitMs = 30000;

QColor ToQColor(TColor Color) {
  const TRGB RGB = ColorToRGB(Color);
  return QColor(RGB.R, RGB.G, RGB.B);
}

std::string ReadWholeFile(TMFSSession& Session, const std::string& Path) {
  const auto Stream = Session.CreateFileStream(Path, VV_OPEN_EXISTING, 0);
  return Stream->ReadString(Stream->Size());
}

TVariant Attribute(const TXMLNode& Node, std::string_view Name, const TVariant& Default) {
  return Node.Attributes->GetValue(Name, Default);
}
} // namespace

void TfrmMain::ApplyToolbarAppearance() {
  const TToolbarOptions& O = *ToolbarOptions;
  tbrMain->setToolButtonStyle(O.ToolbarShowCaption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
  imglToolbar.SetSize(O.ToolbarImgW, O.ToolbarImgH);
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
  TextColor = O.ToolbarTextColor;
  imgLogo->setVisible(O.LogoDisplay);
  pnlLogo->setVisible(O.LogoDisplay);
}

void TfrmMain::LoadLogo() {
  if (!ToolbarOptions->LogoDisplay)
    return;
  imgLogo->setToolTip(AnsiToQString(Variables->Substitute(ToolbarOptions->LogoText)));
  TMFSSession& Session = SystemVolume->DefaultSession();
  if (!Session.Exists("\\Logo.bmp")) {
    imgLogo->clear();
    pnlLogo->hide();
    return;
  }
  LogoPicture = QPixmap::fromImage(LoadPicture(TPictureKind::Bitmap, ReadWholeFile(Session, "\\Logo.bmp"), "\\Logo.bmp"));
  const QSize Shown = LogoPicture.width() > MaxLogoWidth
                         ? QSize(MaxLogoWidth, qRound(LogoPicture.height() * qreal(MaxLogoWidth) / LogoPicture.width()))
                         : LogoPicture.size();
  imgLogo->setPixmap(SmoothPixmap(LogoPicture.toImage(), Shown));
  pnlLogo->setFixedWidth(Shown.width());
  imgLogo->setCursor(Qt::PointingHandCursor);
}

void TfrmMain::BuildToolbar() {
  TMFSSession& Session = SystemVolume->DefaultSession();
  const std::string File = RootAttribute("ToolButtons", TVariant("")).ToText();
  Session.ChangeDir("\\");
  if (File.empty() || !Session.Exists(File)) {
    tbrMain->hide();
    return;
  }
  TXMLParser Parser;
  Parser.LoadFromBytes(Session.GetFile(File)->Content);
  if (!Parser.Root())
    return;
  Session.ChangeDir(TMFS::ExtractPath(TMFS::NormalizeSeparators(File)));
  if (const TXMLNode* Images = Parser.Root()->Nodes->FindNode("Images"))
    LoadToolbarImages(*Images);
  const TXMLNode* Buttons = Parser.Root()->Nodes->FindNode("Buttons");
  if (!Buttons)
    return;
  const int Count = Buttons->Nodes->Count();
  ButtonOnClick->assign(static_cast<std::size_t>(Count), std::string());
  ButtonKinds.assign(static_cast<std::size_t>(Count), 0);
  for (int Index = 0; Index < Count; ++Index) {
    const TXMLNode& Node = *Buttons->Nodes->Items(Index);
    const auto Kind = static_cast<std::uint8_t>(Attribute(Node, "Kind", TVariant(std::int32_t{0})).ToInteger());
    ButtonKinds[static_cast<std::size_t>(Index)] = Kind;
    (*ButtonOnClick)[static_cast<std::size_t>(Index)] = Attribute(Node, "OnClick", TVariant("")).ToText();
    auto* Button = new QToolButton(tbrMain);
    Button->setProperty("Tag", Index);
    Button->setAutoRaise(ToolbarOptions->ToolbarFlat);
    tbrMain->addWidget(Button);
    if (Kind == tbkSeparator) {
      Button->setFixedWidth(SeparatorWidth);
      Button->setEnabled(false);
      continue;
    }
    const QString Caption = AnsiToQString(Attribute(Node, "Caption", TVariant("")).ToText());
    Button->setText(Caption);
    Button->setToolTip(Caption);
    Button->setToolButtonStyle(tbrMain->toolButtonStyle());
    Button->setMinimumSize(ToolbarOptions->ToolbarBtnW, ToolbarOptions->ToolbarBtnH);
    int Image = Attribute(Node, "ImageIndex", TVariant(std::int32_t{-1})).ToInteger();
    if (const TXMLAttribute* Named = Node.Attributes->Find("Image"))
      Image = static_cast<int>(ImageIndexByName->GetValueDef(Named->Value.ToText(), -1));
    Button->setIcon(imglToolbar.Icon(Image));
    tbrMainCustomDrawButton(Button);
    InstallToolbarKeys(Button, Kind & 0x7F);
    switch (Kind) {
    case tbkFontSize:
      Button->setMenu(popFontSize);
      Button->setPopupMode(QToolButton::MenuButtonPopup);
      break;
    case tbkSearch:
      connect(Button, &QToolButton::clicked, this, [this, Button] { mnuSearchClick(Button); });
      break;
    case tbkFavourites:
      Button->setMenu(popBookMarks);
      Button->setPopupMode(QToolButton::MenuButtonPopup);
      ReadBookmarks(Node);
      break;
    case tbkPrint:
      Button->setMenu(popPrint);
      Button->setPopupMode(QToolButton::MenuButtonPopup);
      connect(Button, &QToolButton::clicked, this, [this, Button] { ToolButtonClick(Button); });
      PrintButton = Button;
      break;
    default: connect(Button, &QToolButton::clicked, this, [this, Button] { ToolButtonClick(Button); });
    }
  }
}

void TfrmMain::LoadToolbarImages(const TXMLNode& Images) {
  TMFSSession& Session = SystemVolume->DefaultSession();
  for (int Index = 0; Index < Images.Nodes->Count(); ++Index) {
    const TXMLNode& Node = *Images.Nodes->Items(Index);
    if (const std::string Name = Attribute(Node, "Name", TVariant("")).ToText(); !Name.empty())
      ImageIndexByName->Put(Name, Index);
    const std::string Path = Attribute(Node, "Path", TVariant("")).ToText();
    const std::string Extension = TMFS::ExtractExt(TMFS::NormalizeSeparators(Path));
    const TPictureKind Kind = PictureKindOf(Extension.empty() ? Extension : Extension.substr(1));
    const QImage Picture = LoadPicture(Kind, ReadWholeFile(Session, Path), Path);
    if (Kind == TPictureKind::Icon) {
      imglToolbar.AddIcon(Picture);
      continue;
    }
    const TXMLAttribute* MaskColor = Node.Attributes->Find("MaskColor");
    const QColor Transparent =
        MaskColor ? ToQColor(MaskColor->Value.ToInteger())
                  : Picture.pixelColor(Attribute(Node, "XMask", TVariant(std::int32_t{0})).ToInteger(),
                                       Attribute(Node, "YMask", TVariant(std::int32_t{0})).ToInteger());
    imglToolbar.AddMasked(Picture, Transparent);
  }
}

void TfrmMain::ReadBookmarks(const TXMLNode& Button) {
  Bookmarks = std::make_unique<std::vector<std::unique_ptr<TBookMarkItem>>>();
  try {
    for (int Index = 0; Index < Button.Nodes->Count(); ++Index) {
      const TXMLNode& Node = *Button.Nodes->Items(Index);
      auto Item = std::make_unique<TBookMarkItem>();
      Item->URL = Attribute(Node, "url", TVariant("URL")).ToText();
      Item->NewWindow = Attribute(Node, "NewWindow", TVariant(false)).ToBoolean();
      QAction* Action = popBookMarks->addAction(AnsiToQString(Attribute(Node, "caption", TVariant("Description")).ToText()));
      Action->setToolTip(AnsiToQString(Item->URL));
      Action->setProperty("Tag", Index);
      connect(Action, &QAction::triggered, this, [this, Action] { BookMarkClick(Action); });
      Bookmarks->push_back(std::move(Item));
    }
  } catch (const Exception&) {
    // A broken favourite ends the list; those read so far stay.
  }
}

void TfrmMain::tbrMainCustomDrawButton(QWidget* Button) {
  QPalette Palette = Button->palette();
  Palette.setColor(QPalette::ButtonText, ToQColor(TextColor));
  Palette.setColor(QPalette::WindowText, ToQColor(TextColor));
  Button->setPalette(Palette);
}

namespace {
// Sleeps in an event loop until the page can take commands, the browser goes,
// or the time is up; a busy page must not cost a core.
void WaitUntilInteractive(const QPointer<TMXWebBrowser>& Browser, int TimeoutMs) {
  auto Ready = [&Browser] { return !Browser || Browser->ReadyState() >= READYSTATE_INTERACTIVE; };
  if (Ready())
    return;
  QEventLoop Loop;
  auto Check = [&] {
    if (Ready())
      Loop.quit();
  };
  QObject::connect(Browser, &QWebEngineView::urlChanged, &Loop, Check);
  QObject::connect(Browser, &QWebEngineView::loadFinished, &Loop, Check);
  QObject::connect(Browser, &QObject::destroyed, &Loop, &QEventLoop::quit);
  QTimer::singleShot(TimeoutMs, &Loop, &QEventLoop::quit);
  Loop.exec();
}
} // namespace

TOleVariant TfrmMain::CallExternal(const TDispatchRef& Object, std::string_view Member, std::uint16_t Kind,
                                   const TOleVariantList& Args) {
  TOleVariant Result;
  std::string Failure;
  bool Failed = false;
  const TDispatchReply Reply([&](const TOleVariant& Value) { Result = Value; },
                             [&](const std::string& Message) { Failure = Message, Failed = true; });
  Object->Invoke(Object->GetIDOfName(Member), Kind, Args, Reply);
  if (Failed)
    throw Exception(Failure);
  return Result;
}

void TfrmMain::ToolButtonClick(QObject* Sender) {
  const QPointer<TfrmMain> Self(this);
  WaitUntilInteractive(webMain, ReadyStateWaitMs);
  if (!Self || !Sender || !ButtonOnClick)
    return;
  bool IsTag = false;
  const int Tag = Sender->property("Tag").toInt(&IsTag);
  if (!IsTag || Tag < 0 || Tag >= static_cast<int>(ButtonOnClick->size()))
    return;
  RunCommand(ButtonKinds[static_cast<std::size_t>(Tag)] & 0x7F);
}

void TfrmMain::RunCommand(int Kind) {
  if (!HostExternal || !webMain)
    return;
  const QPointer<TfrmMain> Self(this);
  try {
    const TDispatchRef Browser = std::get<TDispatchRef>(CallExternal(HostExternal, "WebBrowser", VV_DISPATCH_PROPERTYGET));
    const TDispatchRef StoryObject = HostExternal->Story();
    auto AtEdge = [&](const char* Flag) { return std::get<bool>(CallExternal(StoryObject, Flag, VV_DISPATCH_PROPERTYGET)); };
    switch (Kind) {
    case tbkBack:
    case tbkForward:
      try {
        CallExternal(Browser, Kind == tbkBack ? "GoBack" : "GoForward", VV_DISPATCH_METHOD);
      } catch (const Exception&) {
      }
      break;
    case tbkFirst: CallExternal(StoryObject, "First", VV_DISPATCH_METHOD); break;
    case tbkLast: CallExternal(StoryObject, "Last", VV_DISPATCH_METHOD); break;
    case tbkPrior:
      if (!AtEdge("Bof"))
        CallExternal(StoryObject, "Prior", VV_DISPATCH_METHOD);
      break;
    case tbkNext:
      if (!AtEdge("Eof"))
        CallExternal(StoryObject, "Next", VV_DISPATCH_METHOD);
      break;
    case tbkPriorChapter:
      if (!AtEdge("Bof"))
        CallExternal(StoryObject, "PriorChapter", VV_DISPATCH_METHOD, {TOleVariant(std::int32_t{1})});
      break;
    case tbkNextChapter:
      if (!AtEdge("Eof"))
        CallExternal(StoryObject, "NextChapter", VV_DISPATCH_METHOD, {TOleVariant(std::int32_t{1})});
      break;
    case tbkAbout: {
      SetFontSize(2);
      // A command is never inside a page request, so waiting here is safe.
      QEventLoop Modal;
      bool Closed = false;
      HostExternal->ShowUserForm("About", [&] {
        Closed = true;
        Modal.quit();
      });
      if (!Closed)
        Modal.exec();
      if (Self)
        SetFontSize(FontSize);
      break;
    }
    case tbkExit: CallExternal(HostExternal, "Terminate", VV_DISPATCH_METHOD); break;
    case tbkPrint: webMain->ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DONTPROMPTUSER); break;
    case tbkCopy: webMain->ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DONTPROMPTUSER); break;
    case tbkRefresh: webMain->ExecWB(OLECMDID_REFRESH, OLECMDEXECOPT_DONTPROMPTUSER); break;
    case tbkHome: CallExternal(Browser, "GoHome", VV_DISPATCH_METHOD); break;
    default: break;
    }
  } catch (const std::exception& E) {
    if (Self)
      ShowErrorBox(this, E.what());
  }
}

void TfrmMain::mnuSearchClick(QObject*) {
  if (Story && FilesVolume)
    ShowSearchForm(*Story, *FilesVolume, [this] { NavigateToStoryPage(); }, this,
                   [this](const std::string& Phrase) { HighlightPhraseOnNextPage(Phrase); }, &SearchSize);
}

void TfrmMain::mnuFS_Click(QObject* Sender) {
  FontSize = Sender->property("Tag").toInt();
  if (FontSize >= 0 && FontSize <= 4)
    SetFontSize(FontSize);
}

void TfrmMain::BookMarkClick(QObject* Sender) {
  bool IsTag = false;
  const int Tag = Sender ? Sender->property("Tag").toInt(&IsTag) : -1;
  if (!IsTag || !Bookmarks || Tag < 0 || Tag >= static_cast<int>(Bookmarks->size()))
    return;
  const TBookMarkItem& Item = *(*Bookmarks)[static_cast<std::size_t>(Tag)];
  if (Item.NewWindow)
    QDesktopServices::openUrl(QUrl(AnsiToQString(Item.URL)));
  else
    webMain->Navigate(Item.URL);
}

void TfrmMain::imgLogoClick(QObject*) {
  const std::string Link = Variables->Substitute(ToolbarOptions->LogoLink);
  if (!Link.empty())
    QDesktopServices::openUrl(QUrl(AnsiToQString(Link)));
}

void TfrmMain::FormResize() {
  const int Bar = tbrMain->sizeHint().height();
  const bool UseLogo = ToolbarOptions && ToolbarOptions->LogoDisplay && !LogoPicture.isNull() &&
                       imgLogo->pixmap().deviceIndependentSize().height() >= Bar;
  pnlToolbarCommon->setFixedHeight(UseLogo ? qRound(imgLogo->pixmap().deviceIndependentSize().height()) : Bar);
}

} // namespace vv

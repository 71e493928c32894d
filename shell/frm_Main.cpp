// The main window's life: components, the start-up order, showing, closing
// and teardown.
#include "shell/frm_Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include "forms/frm_Splash.h"
#include "forms/frm_UserForm.h"
#include "platform/u_Ansi.h"
#include "shell/u_MessageBox.h"
#include "storage/u_MFSCabLoad.h"

namespace vv {

TfrmMain::TfrmMain(std::unique_ptr<TBackgroundCabinetLoad> ContentLoad) : ContentLoad(std::move(ContentLoad)) {
  BuildComponents();
  FormCreate(nullptr);
}

TfrmMain::TfrmMain(TBookSource Source) {
  BuildComponents();
  FormCreate(&Source);
}

TfrmMain::~TfrmMain() {
  qApp->removeEventFilter(this);
  FormDestroy();
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
  webMain->OnGetExternal = [this](TDispatchRef& ppDispatch) { return webMain2GetExternal(ppDispatch); };
  webMain->OnNavigateComplete2 = [this](IBrowser* Sender, const std::string& URL) {
    webMain2NavigateComplete2(Sender, URL);
  };
  webMain->OnDocumentComplete = [this](IBrowser* Sender, const std::string& URL) {
    webMain2DocumentComplete(Sender, URL);
  };
  webMain->OnShowContextMenu = [this](std::uint32_t dwID, const TPoint& ppt) {
    return webMain2ShowContextMenu(dwID, ppt);
  };
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
    connect(Item, &QAction::triggered, this, [this, Item] { mnuFS_Click(Item); });
    *Sizes[Tag] = Item;
  }
  popPrint = new QMenu(this);
  popPrint->setObjectName("popPrint");
}

TVariant TfrmMain::RootAttribute(std::string_view Name, const TVariant& Default) const {
  return SystemXML->Root()->Attributes->GetValue(Name, Default);
}

void TfrmMain::FormCreate(TBookSource* Source) {
  try {
    FontSize = 2;
    Created = false;
    SplashDone = true;
    FilesVolume = std::make_unique<TMFS>();
    SystemVolume = std::make_unique<TMFS>();
    ImageIndexByName = std::make_unique<TDictionary>(true, true);
    ButtonOnClick = std::make_unique<std::vector<std::string>>();
    if (Source)
      LoadVolumeFromCabinet(*SystemVolume, std::move(Source->SystemCab));
    else
      LoadVolumeFromResource(*SystemVolume, "SYSTEM_MFS");
    // The content archive is unpacking from here on, or since program entry,
    // and is taken at its own step, where its failure, if any, is raised: the
    // order any observer sees stays the same.
    if (!ContentLoad)
      ContentLoad = std::make_unique<TBackgroundCabinetLoad>(
          [Bytes = std::move(Source->FilesCab)](TMFS& Volume) mutable {
            LoadVolumeFromCabinet(Volume, std::move(Bytes));
          });
    SystemVolume->DefaultSession().ChangeDir("\\");
    SystemXML = std::make_unique<TXMLParser>();
    SystemXML->LoadFromBytes(SystemVolume->DefaultSession().GetFile("System.xml")->Content);
    if (!SystemXML->Root())
      throw ESpaceXMLParserError(-1);
    SetBookCodePage(SettingsCodePage(SystemXML->Root()));
    CreateUserForms();
    SystemVolume->DefaultSession().ChangeDir("\\");
    CreateBookServices();
    FilesVolume = ContentLoad->Join();
    ContentLoad.reset();
    RegisterSchemes();
    ToolbarOptions = std::make_unique<TToolbarOptions>();
    ToolbarOptions->LoadFromNode(SystemXML->Root()->Nodes->FindNode("toolbar"));
    ApplyToolbarPlacement();
    ApplyToolbarAppearance();
    LoadLogo();
    SplashOptions = std::make_unique<TSplashOptions>();
    SplashOptions->LoadFromNode(SystemXML->Root()->Nodes->FindNode("splash"));
    ShowSplash(SplashOptions.get(), true, SystemVolume.get(), SplashDone, this);
    resize(640, 480);
    BuildToolbar();
    ApplyWindowGeometry();
    Created = true;
  } catch (const EInvalidOperation&) {
    LoadFailed = true;
    FormDestroy();
    ShowErrorBox(this, "Invalid toolbar image size");
  } catch (const std::exception& E) {
    LoadFailed = true;
    FormDestroy();
    ShowErrorBox(this, E.what());
  }
}

void TfrmMain::CreateUserForms() {
  TMFSSession& Session = SystemVolume->DefaultSession();
  const std::string Forms = RootAttribute("Forms", TVariant("")).ToText();
  if (!Forms.empty() && Session.Exists(Forms)) {
    const std::string Text = Session.GetFile(Forms)->Content;
    Session.ChangeDir(TMFS::ExtractPath(TMFS::NormalizeSeparators(Forms)));
    UserForms = std::make_unique<TUserForms>(&Session, Text);
  } else {
    UserForms = std::make_unique<TUserForms>(nullptr, "");
  }
}

void TfrmMain::CreateBookServices() {
  HostExternal = std::make_shared<THostExternal>(*this, *UserForms, UserFormViews);
  Story = std::make_unique<TStory>(*SystemVolume, RootAttribute("Story", TVariant("")).ToText());
  TMFSSession& Session = SystemVolume->DefaultSession();
  const std::string VariablesFile = RootAttribute("Variables", TVariant("")).ToText();
  const bool HasVariables = !VariablesFile.empty() && Session.Exists(VariablesFile);
  Variables = std::make_unique<TVariables>(HasVariables ? Session.GetFile(VariablesFile)->Content : std::string(),
                                           true);
  if (const std::string Title = RootAttribute("ApplicationTitle", TVariant("")).ToText(); !Title.empty())
    QApplication::setApplicationName(AnsiToQString(Variables->Substitute(Title)));
  if (const std::string Caption = RootAttribute("MainFormCaption", TVariant("")).ToText(); !Caption.empty())
    setWindowTitle(AnsiToQString(Variables->Substitute(Caption)));
}

void TfrmMain::RegisterSchemes() {
  FilesProtocol = std::make_unique<TMFSInternetProtocol>("mfs", FilesVolume.get());
  SystemProtocol = std::make_unique<TMFSInternetProtocol>("system", SystemVolume.get());
  for (TMFSInternetProtocol* Protocol : {FilesProtocol.get(), SystemProtocol.get()})
    Protocol->OnAfterGetData = [this](TMFSInternetProtocol* Sender, const std::string& Path, std::string& Data) {
      ProtocolAfterGetData(Sender, Path, Data);
    };
}

void TfrmMain::ProtocolAfterGetData(TMFSInternetProtocol*, const std::string&, std::string& Data) {
  Variables->SubstituteInPlace(Data);
}


void TfrmMain::ApplyToolbarPlacement() {
  auto* Column = static_cast<QVBoxLayout*>(centralWidget()->layout());
  Column->removeWidget(pnlToolbarCommon);
  Column->insertWidget(ToolbarOptions->ToolbarPlacement == tpBottom ? 1 : 0, pnlToolbarCommon);
  pnlToolbarCommon->setVisible(ToolbarOptions->ToolbarPlacement != tpNoToolbar);
}

void TfrmMain::ApplyWindowGeometry() {
  resize(RootAttribute("Width", TVariant(std::int32_t{800})).ToInteger(),
         RootAttribute("Height", TVariant(std::int32_t{600})).ToInteger());
  const bool Maximized = RootAttribute("RunMaximized", TVariant(false)).ToBoolean();
  if (Maximized)
    setWindowState(windowState() | Qt::WindowMaximized);
  if (!RootAttribute("ResizableWindow", TVariant(false)).ToBoolean()) {
    // A fixed single border without a maximise button.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) &
                   ~Qt::WindowMaximizeButtonHint);
    if (!Maximized)
      setFixedSize(size());
  }
  if (!Maximized)
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
      QRect Frame = frameGeometry();
      Frame.moveCenter(Screen->availableGeometry().center());
      move(Frame.topLeft());
    }
}

void TfrmMain::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (!Shown) {
    Shown = true;
    FormShow();
  }
}

void TfrmMain::FormShow() {
  if (LoadFailed) {
    PostClose();
    return;
  }
  try {
    // The browser's home page is the book's first page.
    webMain->HomePage = "mfs:" + GetStory().CurrentPage();
    RecallReadingState();
    NavigateToStoryPage();
  } catch (const std::exception& E) {
    ShowErrorBox(this, E.what());
  }
}

void TfrmMain::closeEvent(QCloseEvent* Event) {
  if (!FormCloseQuery()) {
    Event->ignore();
    return;
  }
  FormClose();
  Event->accept();
}

bool TfrmMain::FormCloseQuery() {
  // A close arriving while the end greeting runs is refused; that greeting's own close follows.
  if (!SplashDone)
    return false;
  try {
    ShowSplash(SplashOptions.get(), false, SystemVolume.get(), SplashDone, this);
    ProcessMessagesUntil(SplashDone);
    return true;
  } catch (const std::exception& E) {
    ShowErrorBox(this, E.what());
    return false;
  }
}

void TfrmMain::FormClose() {
  RememberReadingState();
  CloseUserForms();
  FilesProtocol.reset();
  SystemProtocol.reset();
  // Scripts may still hold the host object: from now on it answers with an error.
  if (HostExternal)
    HostExternal->Detach();
  HostExternal.reset();
  if (webMain) {
    delete webMain;
    webMain = nullptr;
  }
}

void TfrmMain::CloseUserForms() {
  // Forms answer their callers as they close, before the host object goes.
  for (TfrmUserForm* Form : findChildren<TfrmUserForm*>(Qt::FindDirectChildrenOnly)) {
    Form->done(QDialog::Rejected);
    delete Form;
  }
}

void TfrmMain::FormDestroy() {
  // A failure before the content archive was taken: its load is waited for here.
  ContentLoad.reset();
  if (HostExternal)
    HostExternal->Detach(); // it refers to the user forms and the window
  Bookmarks.reset();
  Variables.reset();
  SystemXML.reset();
  Story.reset();
  ImageIndexByName.reset();
  ButtonOnClick.reset();
  FilesProtocol.reset();
  SystemProtocol.reset();
  FilesVolume.reset();
  SystemVolume.reset();
  UserForms.reset();
  SplashOptions.reset();
  ToolbarOptions.reset();
  HostExternal.reset();
}

void TfrmMain::resizeEvent(QResizeEvent* Event) {
  QMainWindow::resizeEvent(Event);
  if (Created)
    FormResize();
}

void TfrmMain::PostClose() { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); }

TStory& TfrmMain::GetStory() {
  if (!Story)
    throw EStoryError("The reading order is not loaded");
  return *Story;
}

// ---- page navigation operations ----

void TfrmMain::SetFontSize(int Level) {
  if (Level >= 0 && Level <= 4 && webMain)
    webMain->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, Level);
}

std::string TfrmMain::GetCurrentPagePath() {
  std::string URL = webMain ? webMain->LocationURL() : std::string();
  if (URL.size() >= 4 && SameText(std::string_view(URL).substr(0, 4), "mfs:"))
    URL.erase(0, 4);
  return URL;
}

void TfrmMain::SyncStoryWithPage() { GetStory().Locate(GetCurrentPagePath()); }

void TfrmMain::NavigateToStoryPage() {
  if (!webMain)
    return; // closing: the host object already refuses scripts
  try {
    SetFontSize(2);
  } catch (const std::exception&) {
  }
  webMain->Navigate("mfs:" + GetStory().CurrentPage());
  try {
    SetFontSize(FontSize);
  } catch (const std::exception&) {
  }
}

} // namespace vv

// The main window's life: the start-up order with its failure guard, showing,
// and the window's size and place.
#include "shell/u_MainWindow.h"

#include "platform/u_BookText.h"
#include "storage/u_MFSCabLoad.h"

namespace vv {

TMainWindow::TMainWindow(TMainPlatform Platform, std::unique_ptr<TBackgroundCabinetLoad> ContentLoad)
    : TMainWindow(Platform, nullptr, std::move(ContentLoad)) {}

TMainWindow::TMainWindow(TMainPlatform Platform, TBookSource Source) : TMainWindow(Platform, &Source, nullptr) {}

TMainWindow::TMainWindow(TMainPlatform Platform, TBookSource* Source,
                         std::unique_ptr<TBackgroundCabinetLoad> ContentLoad)
    : Platform(Platform), View(Platform.View), ContentLoad(std::move(ContentLoad)) {
  ConnectBrowser();
  FormCreate(Source);
}

TMainWindow::~TMainWindow() { FormDestroy(); }

TVariant TMainWindow::RootAttribute(std::string_view Name, const TVariant& Default) const {
  return SystemXML->Root()->Attributes->GetValue(Name, Default);
}

void TMainWindow::FormCreate(TBookSource* Source) {
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
    ApplyToolbarSettings();
    StartSplash();
    View.Resize({640, 480});
    BuildToolbar();
    ApplyWindowGeometry();
    Created = true;
  } catch (const EInvalidOperation&) {
    LoadFailed = true;
    FormDestroy();
    View.ShowErrorBox("Invalid toolbar image size");
  } catch (const std::exception& E) {
    LoadFailed = true;
    FormDestroy();
    View.ShowErrorBox(E.what());
  }
}

void TMainWindow::ApplyWindowGeometry() {
  View.Resize({RootAttribute("Width", TVariant(std::int32_t{800})).ToInteger(),
               RootAttribute("Height", TVariant(std::int32_t{600})).ToInteger()});
  const bool Maximized = RootAttribute("RunMaximized", TVariant(false)).ToBoolean();
  if (Maximized)
    View.Maximize();
  if (!RootAttribute("ResizableWindow", TVariant(false)).ToBoolean())
    View.SetFixedBorder(!Maximized);
  if (!Maximized)
    View.CenterOnScreen();
}

void TMainWindow::FormShow() {
  if (LoadFailed) {
    PostClose();
    return;
  }
  try {
    ShowFirstPage();
  } catch (const std::exception& E) {
    View.ShowErrorBox(E.what());
  }
}

void TMainWindow::PostClose() {
  Platform.Loop.Post([Alive = Life.Token(), &View = View] {
    if (IsAlive(Alive))
      View.Close();
  });
}

TStory& TMainWindow::GetStory() {
  if (!Story)
    throw EStoryError("The reading order is not loaded");
  return *Story;
}

} // namespace vv

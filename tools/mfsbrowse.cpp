// mfsbrowse DIR [PAGE]: shows a folder through the "mfs:" scheme in one
// browser control, as the viewer would show a book's content volume.
#include <QApplication>
#include <QWebEngineSettings>
#include <cstdio>
#include <memory>

#include "host/c_MXWebBrowser.h"
#include "platform/u_Ansi.h"
#include "platform/u_WebEngineProtocol.h"
#include "protocol/u_MFSInternetProtocol.h"
#include "tools/u_MFSDiskImport.h"

namespace {
// The first of the usual start pages in the root, else the root's first HTML file.
std::string StartPage(vv::TMFS& Volume) {
  for (const char* Name : {"index.htm", "index.html", "default.htm", "default.html"})
    if (Volume.DefaultSession().Exists(std::string("\\") + Name))
      return std::string("\\") + Name;
  std::string First;
  Volume.Root().Children.ForEach([&](const std::string& Name, vv::TMFSItem* Item) {
    const std::string Ext = vv::TMFS::ExtractExt(Name);
    if (First.empty() && dynamic_cast<vv::TMFSFile*>(Item) && (vv::SameText(Ext, ".htm") || vv::SameText(Ext, ".html")))
      First = "\\" + Name;
  });
  return First.empty() ? "\\" : First;
}
} // namespace

int main(int argc, char** argv) {
  vv::PrepareWebEngineEnvironment();
  vv::RegisterBookSchemes();
  QApplication App(argc, argv);
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: mfsbrowse DIR [PAGE]\n");
    return 2;
  }
  try {
    vv::TMFS Volume;
    vv::ImportFolderFromDisk(argv[1], Volume.Root());
    vv::TWebEngineProtocolPlatform Platform;
    vv::TMFSInternetProtocol Files("mfs", &Volume);

    vv::TMXWebBrowser Browser;
    Browser.resize(1024, 768);
    Browser.OnNavigateComplete2 = [&Browser](vv::IBrowser*, const std::string& URL) {
      Browser.setWindowTitle(vv::AnsiToQString(URL) + QStringLiteral(" - mfsbrowse"));
    };
    const std::string Page = argc == 3 ? std::string(argv[2]) : StartPage(Volume);
    Browser.HomePage = "mfs:" + Page;
    Browser.Navigate(Browser.HomePage);
    Browser.show();
    return App.exec();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "mfsbrowse: %s\n", E.what());
    return 1;
  }
}

#pragma once
// Test books and helpers shared by the tests that drive the main window.

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/u_WebEngineProtocol.h"
#include "shell/qt/frm_Main.h"
#include "tools/u_BookPack.h"

namespace vvtest {
using namespace vv;

using TFiles = std::map<std::string, std::string>;

inline std::string Cabinet(const TFiles& Files) {
  TMFS Volume;
  for (const auto& [Path, Content] : Files) {
    Volume.DefaultSession().ForceFolders(TMFS::ExtractPath(Path));
    Volume.DefaultSession().CreateMFSFile(Path, 0, false)->Content = Content;
  }
  return PackVolume(Volume);
}

inline const TFiles BookSystem = {
    {"\\System.xml", "<System Story=\"Story.xml\" Variables=\"Vars.xml\" Forms=\"Forms\\Forms.xml\" "
                     "MainFormCaption=\"%{Title} reader\" Width=700 Height=500/>"},
    {"\\Story.xml", "<Story><item page=\"\\one.htm\"/><item pagename=\"Part\">"
                    "<item page=\"\\two.htm\"/><item page=\"\\three.htm\"/></item></Story>"},
    {"\\Vars.xml", "<Variables><Variable Name=\"Title\">Test Book</Variable>"
                   "<Variable Name=\"Owner\">Ada</Variable></Variables>"},
    {"\\Forms\\Forms.xml", "<Forms><Form Name=\"About\" Path=\"About.htm\" Caption=\"About it\" "
                           "Width=320 Height=240/></Forms>"},
};

inline const TFiles BookFiles = {
    {"\\one.htm", "<html><body><p id=\"o\">Owned by %{OWNER}</p></body></html>"},
    {"\\two.htm", "<html><body>two</body></html>"},
    {"\\three.htm", "<html><body>three</body></html>"},
    {"\\outside.htm", "<html><body>outside</body></html>"},
    {"\\Forms\\About.htm", "<html><body>about %{Title}</body></html>"},
};

inline std::string Bitmap(int W, int H) {
  QImage Image(W, H, QImage::Format_RGB32);
  Image.fill(Qt::magenta);
  Image.setPixel(W / 2, H / 2, qRgb(0, 0, 128));
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, "BMP");
  return Bytes.toStdString();
}

// The test book with a toolbar file; Buttons replaces the button list.
inline TFiles ToolbarBook(const std::string& Buttons, const std::string& Images = "<Img Name=\"a\" Path=\"a.bmp\"/>") {
  TFiles System = BookSystem;
  System["\\System.xml"] = "<System Story=\"Story.xml\" Variables=\"Vars.xml\" Forms=\"Forms\\Forms.xml\" "
                           "ToolButtons=\"Bar\\Tools.xml\"><toolbar ToolbarImgW=16 ToolbarImgH=16/></System>";
  System["\\Bar\\Tools.xml"] = "<ToolBar><Images>" + Images + "</Images><Buttons>" + Buttons + "</Buttons></ToolBar>";
  System["\\Bar\\a.bmp"] = Bitmap(16, 16);
  System["\\Bar\\small.bmp"] = Bitmap(8, 16);
  return System;
}

inline std::vector<QToolButton*> Buttons(TfrmMain& W) {
  std::vector<QToolButton*> Result;
  for (QAction* Action : W.tbrMain->actions())
    if (auto* Button = qobject_cast<QToolButton*>(W.tbrMain->widgetForAction(Action)))
      Result.push_back(Button);
  return Result;
}

inline bool WaitForPage(TMXWebBrowser& B, const std::string& URL) {
  return QTest::qWaitFor([&] { return B.LocationURL() == URL && B.ReadyState() == READYSTATE_COMPLETE; }, 20000);
}

// Runs Action; every modal window showing meanwhile is handed to Handle
// (again and again while it stays open).
inline void HandleModals(const std::function<void()>& Action, const std::function<void(QWidget*)>& Handle) {
  QTimer Poll;
  QObject::connect(&Poll, &QTimer::timeout, [&] {
    if (QWidget* Modal = QApplication::activeModalWidget())
      Handle(Modal);
  });
  Poll.start(20);
  Action();
}

// Closes the next error box once it shows, keeping its text.
inline QString CatchErrorBox(const std::function<void()>& Action) {
  QString Text;
  HandleModals(Action, [&](QWidget* Modal) {
    if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
      Text = Box->text();
      Box->accept();
    }
  });
  return Text;
}

// Opens the main window on a book made of the two file sets, shown.
inline std::unique_ptr<TfrmMain> OpenBook(const TFiles& System = BookSystem, const TFiles& Files = BookFiles) {
  auto Window = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(System), Cabinet(Files)});
  Window->show();
  return Window;
}

// The main() of a window test: the engine set up as the viewer sets it up.
template <typename TTest> int RunWindowTests(int argc, char** argv) {
  PrepareWebEngineEnvironment();
  RegisterBookSchemes();
  QApplication App(argc, argv);
  App.setApplicationName("Vellumark Viewer");
  const TWebEngineProtocolPlatform Platform;
  TTest Test;
  return QTest::qExec(&Test, argc, argv);
}

} // namespace vvtest

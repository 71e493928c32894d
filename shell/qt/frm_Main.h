#pragma once
// The main window on Qt: the components that draw the viewer, forwarding the
// window's, the toolbar's and the keys' events to the main window's logic.

#include <QMainWindow>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "forms/frm_FormViews.h"
#include "forms/frm_UserForm.h"
#include "host/c_MXWebBrowser.h"
#include "shell/i_MainView.h"
#include "shell/qt/u_ImageList.h"
#include "shell/u_MainWindow.h"
#include "shell/u_ReadingStateFiles.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;

namespace vv {

class TFindBar;
class TfrmContents;

class TfrmMain : public QMainWindow, public IMainView {
  Q_OBJECT
public:
  using TBookSource = TMainWindow::TBookSource;
  // The book carried by the running executable, whose content archive is
  // already being unpacked; ContentLoad is never null.
  explicit TfrmMain(std::unique_ptr<TBackgroundCabinetLoad> ContentLoad);
  explicit TfrmMain(TBookSource Source);
  ~TfrmMain() override;

  // ---- components ----
  QFrame* pnlToolbarCommon;
  QFrame* pnlToolbar;
  QToolBar* tbrMain;
  QFrame* pnlLogo;
  QLabel* imgLogo;
  TMXWebBrowser* webMain; // owned by the window until the logic releases it
  QMenu* popBookMarks;
  QMenu* popFontSize;
  QAction* mnuFS_ExtraSmall;
  QAction* mnuFS_Small;
  QAction* mnuFS_Medium;
  QAction* mnuFS_Large;
  QAction* mnuFS_ExtraLarge;
  QMenu* popPrint;
  TImageList imglToolbar;
  QSplitter* splReading;
  TfrmContents* frmContents = nullptr; // built when first shown
  TFindBar* pnlFind;
  QFrame* pnlContinue;
  QLabel* lblContinue;
  QPushButton* btnContinue;
  QToolButton* btnContinueClose;

  // The logic every event goes to; none only while it is being made.
  std::unique_ptr<TMainWindow> Logic;

  // The key hook: every key of the application passes here first.
  bool ApplicationEvents1Message(QObject* Target, QEvent* Event);

  // ---- IMainView ----
  void SetCaption(const std::string& Caption) override;
  void SetApplicationTitle(const std::string& Title) override;
  void Resize(TSize Size) override;
  void Maximize() override;
  void SetFixedBorder(bool KeepSize) override;
  void CenterOnScreen() override;
  [[nodiscard]] std::vector<TRect> Screens() const override;
  void SetGeometry(const TRect& Frame) override;
  [[nodiscard]] TWindowPlacement Placement() const override;
  [[nodiscard]] bool IsFullScreen() const override;
  void ToggleFullScreen() override;
  void Close() override;
  void SetToolbarPlacement(TToolbarPlacement Placement) override;
  void ApplyToolbarAppearance(const TToolbarOptions& Options) override;
  [[nodiscard]] int ToolbarHeight() const override;
  void SetToolbarStripHeight(int Height) override;
  [[nodiscard]] bool ToolbarShown() const override;
  void HideToolButtons() override;
  [[nodiscard]] std::unique_ptr<IPicture> LoadPicture(TPictureKind Kind, const std::string& Bytes,
                                                      const std::string& Name) override;
  int AddToolbarImage(const IPicture& Picture, const TRect& Cell, const TColor* Transparent) override;
  void AddToolButton(const TToolButtonView& Button) override;
  void ClickToolButton(int Tag) override;
  void OpenToolButtonMenu(int Tag) override;
  void SetLogoHint(const std::string& Hint) override;
  void ShowLogo(const IPicture& Picture, TSize Shown) override;
  void HideLogo() override;
  void AddBookmark(int Tag, const std::string& Caption, const std::string& URL) override;
  void SetPrintSections(const std::vector<std::string>& Ids) override;
  [[nodiscard]] IBrowser* MainBrowser() override { return webMain; }
  void ReleaseMainBrowser() override;
  [[nodiscard]] TFocusArea FocusArea() const override;
  void ShowContents(const TContents& Contents, int Width) override;
  void HideContents() override;
  [[nodiscard]] bool ContentsVisible() const override;
  [[nodiscard]] int ContentsWidth() const override;
  void ShowCurrentInContents(const TXMLNode* Item) override;
  void FocusContentsFilter() override;
  bool ClearContentsFilter() override;
  void OpenFindBar() override;
  void CloseFindBar() override;
  void FindNext(bool Backwards) override;
  void HighlightOnNextPage(const std::string& Phrase) override;
  void ShowContinueOffer(const std::string& Text) override;
  void HideContinueOffer() override;
  [[nodiscard]] bool ContinueOffered() const override;
  void ShowErrorBox(const std::string& Message) override;
  void ShowMessage(const std::string& Message) override;
  void OpenOutside(const std::string& URL) override;
  void ClearClipboard() override;
  void CloseActiveWindow() override;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void BuildComponents();
  [[nodiscard]] QWidget* BuildReadingArea(QWidget* Parent);
  void InstallShortcuts();
  [[nodiscard]] QToolButton* ToolButton(int Tag) const;

  TQtFormViews FormViews;
  TQtUserFormViews UserFormViews;
  TReadingStateFiles ReadingStates;
  QToolButton* PrintButton = nullptr;
  bool Shown = false;
  QSize FixedSizeBeforeFullScreen; // invalid for a resizable window
  bool MaximizedBeforeFullScreen = false;
};

} // namespace vv

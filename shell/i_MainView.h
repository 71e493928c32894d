#pragma once
// The main window as the viewer's logic sees it: what each platform's window
// draws and reports. Book strings cross as the book's bytes; the view
// converts them at its one conversion point. No decision of the viewer is
// taken behind this interface.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/i_Browser.h"
#include "platform/u_PictureKind.h"
#include "platform/u_ViewTypes.h"
#include "shell/u_Keys.h"
#include "shell/u_ReadingState.h"
#include "text/u_eBookCommon.h"

namespace vv {

class TContents;
class TXMLNode;

// A decoded picture, held by the platform.
class IPicture {
public:
  virtual ~IPicture() = default;
  [[nodiscard]] virtual TSize Size() const = 0;
  [[nodiscard]] virtual TColor PixelColor(TPoint At) const = 0;
};

// One button of the toolbar, as the book's toolbar file gives it.
struct TToolButtonView {
  int Tag = 0;          // index in the toolbar file
  int Kind = 0;         // TToolButtonKind
  std::string Caption;  // book text, also the hint
  int ImageIndex = -1;  // into the toolbar's image list; -1: none
  bool Flat = false;
  TSize MinimumSize;
  TColor TextColor = 0;
  std::vector<TKeyChord> Keys; // shown beside the hint
};

// Where the keyboard focus is, as far as Escape cares.
enum class TFocusArea { Page, ContentsFilter, FindBar, Other };

class IMainView {
public:
  virtual ~IMainView() = default;

  // ---- window ----
  virtual void SetCaption(const std::string& Caption) = 0;
  virtual void SetApplicationTitle(const std::string& Title) = 0;
  virtual void Resize(TSize Size) = 0;
  virtual void Maximize() = 0;
  // A fixed single border without a maximise button; KeepSize also fixes the size.
  virtual void SetFixedBorder(bool KeepSize) = 0;
  virtual void CenterOnScreen() = 0;
  // The available areas of the screens, the primary first.
  [[nodiscard]] virtual std::vector<TRect> Screens() const = 0;
  virtual void SetGeometry(const TRect& Frame) = 0;
  // The window's normal (not maximised) frame; Maximized also for a full
  // screen entered from a maximised window.
  [[nodiscard]] virtual TWindowPlacement Placement() const = 0;
  [[nodiscard]] virtual bool IsFullScreen() const = 0;
  virtual void ToggleFullScreen() = 0;
  // Closes the window (the close query still decides).
  virtual void Close() = 0;

  // ---- toolbar strip, logo ----
  virtual void SetToolbarPlacement(TToolbarPlacement Placement) = 0;
  virtual void ApplyToolbarAppearance(const TToolbarOptions& Options) = 0;
  [[nodiscard]] virtual int ToolbarHeight() const = 0;
  virtual void SetToolbarStripHeight(int Height) = 0;
  [[nodiscard]] virtual bool ToolbarShown() const = 0;
  virtual void HideToolButtons() = 0;
  // Raises EInvalidGraphic for a picture that cannot be read.
  [[nodiscard]] virtual std::unique_ptr<IPicture> LoadPicture(TPictureKind Kind, const std::string& Bytes,
                                                              const std::string& Name) = 0;
  // Adds Cell of Picture to the toolbar's image list, the colour Transparent
  // (when given) see-through; returns its index.
  virtual int AddToolbarImage(const IPicture& Picture, const TRect& Cell, const TColor* Transparent) = 0;
  virtual void AddToolButton(const TToolButtonView& Button) = 0;
  virtual void ClickToolButton(int Tag) = 0;
  virtual void OpenToolButtonMenu(int Tag) = 0;
  virtual void SetLogoHint(const std::string& Hint) = 0;
  virtual void ShowLogo(const IPicture& Picture, TSize Shown) = 0;
  virtual void HideLogo() = 0;

  // ---- menus ----
  virtual void AddBookmark(int Tag, const std::string& Caption, const std::string& URL) = 0;
  // The print button's menu: one entry per section id; none leaves a plain button.
  virtual void SetPrintSections(const std::vector<std::string>& Ids) = 0;

  // ---- the page and the reading area ----
  // The main browser; none once released.
  [[nodiscard]] virtual IBrowser* MainBrowser() = 0;
  virtual void ReleaseMainBrowser() = 0;
  [[nodiscard]] virtual TFocusArea FocusArea() const = 0;
  virtual void ShowContents(const TContents& Contents, int Width) = 0;
  virtual void HideContents() = 0;
  [[nodiscard]] virtual bool ContentsVisible() const = 0;
  [[nodiscard]] virtual int ContentsWidth() const = 0;
  virtual void ShowCurrentInContents(const TXMLNode* Item) = 0;
  virtual void FocusContentsFilter() = 0;
  // False when the filter was empty already.
  virtual bool ClearContentsFilter() = 0;
  virtual void OpenFindBar() = 0;
  virtual void CloseFindBar() = 0;
  virtual void FindNext(bool Backwards) = 0;
  // The page loaded next shows every occurrence of Phrase (UTF-8).
  virtual void HighlightOnNextPage(const std::string& Phrase) = 0;
  virtual void ShowContinueOffer(const std::string& Text) = 0;
  virtual void HideContinueOffer() = 0;
  [[nodiscard]] virtual bool ContinueOffered() const = 0;

  // ---- the desktop ----
  virtual void ShowErrorBox(const std::string& Message) = 0;
  virtual void ShowMessage(const std::string& Message) = 0;
  virtual void OpenOutside(const std::string& URL) = 0;
  virtual void ClearClipboard() = 0;
  // Closes the active secondary window Escape is meant for (the print window).
  virtual void CloseActiveWindow() = 0;
};

} // namespace vv

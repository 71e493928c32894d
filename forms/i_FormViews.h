#pragma once
// The secondary windows as their logic sees them: the search window, the
// splash window and the print window, and the factory that makes them. Each
// platform implements these; the views draw and report what the reader does,
// the logic decides. Texts are in the book's code page unless said otherwise.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/u_PictureKind.h"
#include "platform/u_ViewTypes.h"
#include "protocol/u_InternetProtocolSupport.h" // HRESULT

namespace vv {

// A row of the search results.
struct TFoundPage {
  std::string Name; // the page's name in the reading order
  std::string Path; // its file in the content volume
};

class ISearchView {
public:
  virtual ~ISearchView() = default;
  // The phrase in the phrase box, UTF-8.
  [[nodiscard]] virtual std::string Phrase() const = 0;
  // Adds a phrase (UTF-8) to the phrase box's list, keeping it the box's text.
  virtual void AddPhrase(const std::string& Phrase) = 0;
  // Replaces the result rows.
  virtual void SetRows(const std::vector<TFoundPage>& Rows) = 0;
  // The selected row's index, or -1.
  [[nodiscard]] virtual int SelectedRow() const = 0;
  // A note over the result list (UTF-8); an empty note hides it.
  virtual void SetNote(const std::string& Note) = 0;
  // The wait cursor while a search runs.
  virtual void SetBusy(bool Busy) = 0;
  // A modal error box over the window.
  virtual void ShowError(const std::string& Message) = 0;
  [[nodiscard]] virtual TSize Size() const = 0;
  // Never below the designed size.
  virtual void Resize(const TSize& Size) = 0;
  // Returns when the reader closed the window.
  virtual void ShowModal() = 0;

  std::function<void()> OnSearch;   // the Search button or Enter
  std::function<void()> OnShowPage; // the Show button or a double-click on a row
};

class ISplashView {
public:
  // Releases the window if Close has not.
  virtual ~ISplashView() = default;
  // Loads the picture and sizes the window to it; false when it cannot be shown.
  virtual bool LoadPicture(const std::string& Bytes, TPictureKind Type) = 0;
  [[nodiscard]] virtual TSize WindowSize() const = 0;
  // The primary screen; empty when there is none.
  [[nodiscard]] virtual TRect ScreenRect() const = 0;
  virtual void MoveTo(const TPoint& TopLeft) = 0;
  // Shows the window, not modally, painted at once.
  virtual void Show() = 0;
  // Hides the window and releases it once pending messages are handled; safe
  // from inside OnClick.
  virtual void Close() = 0;

  std::function<void()> OnClick; // a click on the window or its picture
};

class IPrintView {
public:
  virtual ~IPrintView() = default;
  // The print window's own browser.
  virtual void LoadHTML(const std::string& Html) = 0;
  virtual void ExecWB(int CmdID, int CmdExecOpt) = 0;
  virtual void ShowError(const std::string& Message) = 0;
  // Returns when the reader closed the window.
  virtual void ShowModal() = 0;

  std::function<void()> OnPrint;
  std::function<void()> OnPreview;
  // Asked by the window's browser before it shows a context menu: S_OK
  // shows none; unassigned, the browser shows its own.
  std::function<HRESULT(std::uint32_t dwID, const TPoint& ppt)> OnShowContextMenu;
};

// Makes the secondary windows, owned by the main window's view.
class IFormViews {
public:
  virtual ~IFormViews() = default;
  [[nodiscard]] virtual std::unique_ptr<ISearchView> CreateSearchView() = 0;
  [[nodiscard]] virtual std::unique_ptr<ISplashView> CreateSplashView() = 0;
  [[nodiscard]] virtual std::unique_ptr<IPrintView> CreatePrintView() = 0;
  // A modal information box with one OK button.
  virtual void ShowInformation(const std::string& Caption, const std::string& Text) = 0;
};

} // namespace vv

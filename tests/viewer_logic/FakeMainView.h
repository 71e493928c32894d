#pragma once
// A main window with nothing drawn: it records what the logic asked of it
// and closes as a window does, through the logic's close query.

#include <map>
#include <string>
#include <vector>

#include "shell/i_MainView.h"
#include "shell/u_MainWindow.h"
#include "tests/viewer_logic/FakeFormViews.h"
#include "tests/viewer_logic/FakePlatform.h"

namespace vvtest {

// Pictures are their bytes: "WxH" gives a picture of that size, anything else cannot be read.
class TFakePicture : public IPicture {
public:
  explicit TFakePicture(TSize Size) : FSize(Size) {}
  [[nodiscard]] TSize Size() const override { return FSize; }
  [[nodiscard]] TColor PixelColor(TPoint At) const override { return At.X * 1000 + At.Y; }

private:
  TSize FSize;
};

class TFakeMainView : public IMainView {
public:
  void SetCaption(const std::string& Text) override { Caption = Text; }
  void SetApplicationTitle(const std::string& Text) override { Title = Text; }
  void Resize(TSize To) override { Size = To; }
  void Maximize() override { Maximized = true; }
  void SetFixedBorder(bool KeepSize) override { FixedBorder = true, FixedSize = KeepSize; }
  void CenterOnScreen() override { Centered = true; }
  [[nodiscard]] std::vector<TRect> Screens() const override { return {{0, 0, 1024, 768}}; }
  void SetGeometry(const TRect& To) override { Frame = To; }
  [[nodiscard]] TWindowPlacement Placement() const override {
    return {Frame.Left, Frame.Top, Frame.Width, Frame.Height, Maximized};
  }
  [[nodiscard]] bool IsFullScreen() const override { return FullScreen; }
  void ToggleFullScreen() override { FullScreen = !FullScreen; }
  void Close() override {
    if (Logic && Logic->FormCloseQuery()) {
      Logic->FormClose();
      Closed = true;
    }
  }
  void SetToolbarPlacement(TToolbarPlacement) override {}
  void ApplyToolbarAppearance(const TToolbarOptions&) override {}
  [[nodiscard]] int ToolbarHeight() const override { return 40; }
  void SetToolbarStripHeight(int Height) override { StripHeight = Height; }
  [[nodiscard]] bool ToolbarShown() const override { return !ToolButtonsHidden; }
  void HideToolButtons() override { ToolButtonsHidden = true; }
  [[nodiscard]] std::unique_ptr<IPicture> LoadPicture(TPictureKind, const std::string& Bytes,
                                                      const std::string& Name) override {
    int W = 0, H = 0;
    if (std::sscanf(Bytes.c_str(), "%dx%d", &W, &H) != 2)
      throw EInvalidGraphic("Bad picture " + Name);
    return std::make_unique<TFakePicture>(TSize{W, H});
  }
  int AddToolbarImage(const IPicture&, const TRect& Cell, const TColor* Transparent) override {
    Images.push_back(std::to_string(Cell.Width) + "x" + std::to_string(Cell.Height) +
                     (Transparent ? " mask " + std::to_string(*Transparent) : ""));
    return static_cast<int>(Images.size()) - 1;
  }
  void AddToolButton(const TToolButtonView& Button) override { ToolButtons.push_back(Button); }
  void ClickToolButton(int Tag) override { Logic->ToolButtonPressed(Tag); }
  void OpenToolButtonMenu(int Tag) override { MenusOpened.push_back(Tag); }
  void SetLogoHint(const std::string&) override {}
  void ShowLogo(const IPicture&, TSize Shown) override { Logo = Shown; }
  void HideLogo() override { Logo = {}; }
  void AddBookmark(int Tag, const std::string& Caption, const std::string&) override {
    Bookmarks[Tag] = Caption;
  }
  void SetPrintSections(const std::vector<std::string>& Ids) override { PrintSections = Ids; }
  [[nodiscard]] IBrowser* MainBrowser() override { return BrowserReleased ? nullptr : &Browser; }
  void ReleaseMainBrowser() override { BrowserReleased = true; }
  [[nodiscard]] TFocusArea FocusArea() const override { return Focus; }
  void ShowContents(const TContents& Shown, int Width) override { Contents = &Shown, ContentsWidthShown = Width; }
  void HideContents() override { Contents = nullptr; }
  [[nodiscard]] bool ContentsVisible() const override { return Contents; }
  [[nodiscard]] int ContentsWidth() const override { return ContentsWidthShown; }
  void ShowCurrentInContents(const TXMLNode* Item) override { CurrentInContents = Item; }
  void FocusContentsFilter() override { Focus = TFocusArea::ContentsFilter; }
  bool ClearContentsFilter() override { return std::exchange(Filter, std::string()) != ""; }
  void OpenFindBar() override { Focus = TFocusArea::FindBar; }
  void CloseFindBar() override { Focus = TFocusArea::Page; }
  void FindNext(bool) override {}
  void HighlightOnNextPage(const std::string& Phrase) override { Highlight = Phrase; }
  void ShowContinueOffer(const std::string& Text) override { ContinueText = Text; }
  void HideContinueOffer() override { ContinueText.clear(); }
  [[nodiscard]] bool ContinueOffered() const override { return !ContinueText.empty(); }
  void ShowErrorBox(const std::string& Message) override { Errors.push_back(Message); }
  void ShowMessage(const std::string& Message) override { Messages.push_back(Message); }
  void OpenOutside(const std::string& URL) override { Outside.push_back(URL); }
  void ClearClipboard() override { ++ClipboardCleared; }
  void CloseActiveWindow() override { ++ActiveWindowsClosed; }

  TMainWindow* Logic = nullptr;
  TFakeBrowser Browser;
  bool BrowserReleased = false;
  std::string Caption, Title;
  TSize Size;
  TRect Frame;
  bool Maximized = false, FixedBorder = false, FixedSize = false, Centered = false, FullScreen = false;
  bool Closed = false;
  int StripHeight = 0;
  bool ToolButtonsHidden = false;
  std::vector<std::string> Images;
  std::vector<TToolButtonView> ToolButtons;
  std::vector<int> MenusOpened;
  TSize Logo;
  std::map<int, std::string> Bookmarks;
  std::vector<std::string> PrintSections;
  TFocusArea Focus = TFocusArea::Page;
  const TContents* Contents = nullptr;
  int ContentsWidthShown = 0;
  const TXMLNode* CurrentInContents = nullptr;
  std::string Filter;
  std::string Highlight;
  std::string ContinueText;
  std::vector<std::string> Errors, Messages, Outside;
  int ClipboardCleared = 0;
  int ActiveWindowsClosed = 0;
};

// The reading state in memory.
class TFakeReadingStates : public IReadingStateStore {
public:
  [[nodiscard]] std::optional<TReadingState> Load(const std::string& Identity) override {
    const auto Found = States.find(Identity);
    return Found == States.end() ? std::nullopt : std::optional(Found->second);
  }
  bool Save(const std::string& Identity, const TReadingState& State) override {
    States[Identity] = State;
    return true;
  }
  std::map<std::string, TReadingState> States;
};

} // namespace vvtest

#pragma once
// Secondary windows with nothing drawn: what the reader does while a modal
// window is open is a script the test gives; what the logic asked of each
// window is recorded, also after the window is gone.

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "forms/i_FormViews.h"

namespace vvtest {
using namespace vv;

class TFakeSearchView : public ISearchView {
public:
  explicit TFakeSearchView(TSize MinimumSize) : MinimumSize(MinimumSize), WindowSize(MinimumSize) {}
  [[nodiscard]] std::string Phrase() const override { return Typed; }
  void AddPhrase(const std::string& Phrase) override { Phrases.push_back(Phrase); }
  void SetRows(const std::vector<TFoundPage>& NewRows) override { Rows = NewRows; }
  [[nodiscard]] int SelectedRow() const override { return Selected; }
  void SetNote(const std::string& Text) override { Note = Text; }
  void SetBusy(bool Value) override { Busy = Value; }
  void ShowError(const std::string& Message) override { Errors.push_back(Message); }
  [[nodiscard]] TSize Size() const override { return WindowSize; }
  void Resize(const TSize& Size) override {
    WindowSize = {std::max(Size.Width, MinimumSize.Width), std::max(Size.Height, MinimumSize.Height)};
  }
  void ShowModal() override {
    if (Reader)
      Reader(*this);
  }

  // The reader types Phrase and presses Search.
  void Search(const std::string& Phrase) {
    Typed = Phrase;
    OnSearch();
  }
  void Show(int Row) {
    Selected = Row;
    OnShowPage();
  }

  std::function<void(TFakeSearchView&)> Reader;
  TSize MinimumSize;
  TSize WindowSize;
  std::string Typed;
  std::vector<std::string> Phrases;
  std::vector<TFoundPage> Rows;
  int Selected = -1;
  std::string Note;
  bool Busy = false;
  std::vector<std::string> Errors;
};

class TFakeSplashView;

// What one splash window went through.
struct TSplashRecord {
  std::string Picture;
  std::optional<TPictureKind> Type;
  TPoint At{-1, -1};
  bool Shown = false;
  bool Closed = false;
  bool Gone = false;
  TFakeSplashView* View = nullptr;
  void Click();
};

class TFakeSplashView : public ISplashView {
public:
  TFakeSplashView(std::shared_ptr<TSplashRecord> Record, TSize Picture, TRect Screen, bool Loads, bool ShowFails)
      : Record(std::move(Record)), Picture(Picture), Screen(Screen), Loads(Loads), ShowFails(ShowFails) {
    this->Record->View = this;
  }
  ~TFakeSplashView() override {
    Record->Gone = true;
    Record->View = nullptr;
  }
  bool LoadPicture(const std::string& Bytes, TPictureKind Type) override {
    Record->Picture = Bytes;
    Record->Type = Type;
    return Loads;
  }
  [[nodiscard]] TSize WindowSize() const override { return Picture; }
  [[nodiscard]] TRect ScreenRect() const override { return Screen; }
  void MoveTo(const TPoint& TopLeft) override { Record->At = TopLeft; }
  void Show() override {
    if (ShowFails)
      throw std::runtime_error("no window");
    Record->Shown = true;
  }
  void Close() override { Record->Closed = true; }

private:
  std::shared_ptr<TSplashRecord> Record;
  TSize Picture;
  TRect Screen;
  bool Loads;
  bool ShowFails;
};

inline void TSplashRecord::Click() {
  if (View && View->OnClick)
    View->OnClick();
}

class TFakePrintView : public IPrintView {
public:
  void LoadHTML(const std::string& Html) override { Calls.push_back("LoadHTML " + Html); }
  void ExecWB(int CmdID, int CmdExecOpt) override {
    Calls.push_back("ExecWB " + std::to_string(CmdID) + " " + std::to_string(CmdExecOpt));
    if (!Refusal.empty())
      throw std::runtime_error(Refusal);
  }
  void ShowError(const std::string& Message) override { Errors.push_back(Message); }
  void ShowModal() override {
    if (Reader)
      Reader(*this);
  }

  std::function<void(TFakePrintView&)> Reader;
  std::string Refusal; // ExecWB fails with this message
  std::vector<std::string> Calls;
  std::vector<std::string> Errors;
};

class TFakeFormViews : public IFormViews {
public:
  std::unique_ptr<ISearchView> CreateSearchView() override {
    auto View = std::make_unique<TFakeSearchView>(SearchMinimumSize);
    View->Reader = SearchReader;
    ++SearchWindows;
    return View;
  }
  std::unique_ptr<ISplashView> CreateSplashView() override {
    if (SplashFails)
      throw std::runtime_error("no splash window");
    Splashes.push_back(std::make_shared<TSplashRecord>());
    return std::make_unique<TFakeSplashView>(Splashes.back(), PictureSize, Screen, PicturesLoad, SplashShowFails);
  }
  std::unique_ptr<IPrintView> CreatePrintView() override {
    auto View = std::make_unique<TFakePrintView>();
    View->Reader = PrintReader;
    ++PrintWindows;
    return View;
  }
  void ShowInformation(const std::string& Caption, const std::string& Text) override {
    Boxes.push_back(Caption + ": " + Text);
  }

  TSize SearchMinimumSize{392, 216};
  std::function<void(TFakeSearchView&)> SearchReader;
  int SearchWindows = 0;
  TSize PictureSize{120, 80};
  TRect Screen{0, 0, 1024, 768};
  bool PicturesLoad = true;
  bool SplashFails = false;
  bool SplashShowFails = false;
  std::vector<std::shared_ptr<TSplashRecord>> Splashes;
  std::function<void(TFakePrintView&)> PrintReader;
  int PrintWindows = 0;
  std::vector<std::string> Boxes;
};

} // namespace vvtest

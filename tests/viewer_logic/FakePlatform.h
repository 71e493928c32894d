#pragma once
// A browser and a message loop with no engine and no window behind them:
// the viewer's logic is driven through these and their record is checked.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "forms/i_UserFormView.h"
#include "host/i_Browser.h"
#include "host/obj_HostExternal.h"
#include "platform/i_MessageLoop.h"

namespace vvtest {
using namespace vv;

// Posted tasks run when the test says so; delayed ones in the order of their time.
class TFakeMessageLoop : public IMessageLoop {
public:
  void Post(std::function<void()> Task) override { PostDelayed(0, std::move(Task)); }
  void PostDelayed(int Ms, std::function<void()> Task) override {
    Tasks.emplace(Now + Ms, std::move(Task));
  }
  // Runs what is due, then advances the clock from task to task until Done or the timeout.
  void WaitUntil(const std::function<bool()>& Done, int TimeoutMs) override {
    ++Waits;
    const long long End = TimeoutMs < 0 ? -1 : Now + TimeoutMs;
    while (!Done()) {
      if (Tasks.empty() || (End >= 0 && Tasks.begin()->first > End)) {
        if (End >= 0)
          Now = End;
        return;
      }
      RunNext();
    }
  }
  void Wake() override {}

  // Runs every task due within Ms from now, including those they post.
  void Advance(int Ms = 0) {
    const long long End = Now + Ms;
    while (!Tasks.empty() && Tasks.begin()->first <= End)
      RunNext();
    Now = End;
  }
  [[nodiscard]] bool Idle() const { return Tasks.empty(); }

  long long Now = 0;
  int Waits = 0;

private:
  void RunNext() {
    auto Next = Tasks.begin();
    Now = std::max(Now, Next->first);
    auto Task = std::move(Next->second);
    Tasks.erase(Next);
    Task();
  }
  std::multimap<long long, std::function<void()>> Tasks;
};

// Navigations complete when the test says so; every call is recorded. The
// base is IBrowser, or a platform's browser interface that extends it.
template <typename TBase>
class TFakeBrowserOf : public TBase {
public:
  void Navigate(const std::string& URL) override {
    Calls.push_back("Navigate " + URL);
    Pending = URL;
  }
  void GoBack() override { History("GoBack", -1); }
  void GoForward() override { History("GoForward", 1); }
  void GoHome() override { Navigate(this->HomePage.empty() ? std::string("about:blank") : this->HomePage); }
  void Stop() override { Calls.push_back("Stop"); }
  void ExecWB(int CmdID, int, int Input) override {
    Calls.push_back("ExecWB " + std::to_string(CmdID) + (CmdID == OLECMDID_ZOOM ? " " + std::to_string(Input) : ""));
    if (CmdID == OLECMDID_ZOOM && RefuseZoom)
      throw EWebBrowserError(VV_E_FAIL, "zoom refused");
  }
  [[nodiscard]] int ReadyState() const override { return State; }
  [[nodiscard]] std::string LocationURL() const override { return Location; }
  [[nodiscard]] std::u16string LocationName() const override { return Title; }
  [[nodiscard]] bool ShowsBookPage() const override {
    return IsBookScheme(Location.substr(0, Location.find(':')));
  }
  [[nodiscard]] bool IsBookScheme(std::string_view Scheme) const override {
    return SameText(Scheme, "mfs") || SameText(Scheme, "system");
  }
  void LoadHTML(const std::string& Html) override { Calls.push_back("LoadHTML " + Html); }
  void QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback) override {
    Queries.push_back([this, Callback = std::move(Callback)] { Callback(Elements); });
  }
  void QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback) override {
    Queries.push_back([this, Id, Callback = std::move(Callback)] {
      for (const TDocumentElement& E : Elements)
        if (E.Id == Id)
          return Callback(E.InnerHTML);
      Callback(std::nullopt);
    });
  }
  [[nodiscard]] TPoint ScrollPosition() const override { return Scroll; }
  void ScrollTo(const TPoint& Position) override {
    Calls.push_back("ScrollTo " + std::to_string(Position.X) + "," + std::to_string(Position.Y));
    Scroll = Position;
  }
  void FocusPage() override { ++Focused; }
  [[nodiscard]] TLiveness Liveness() const override { return Life.Token(); }

  // The pending navigation arrives: NavigateComplete2, then DocumentComplete.
  void Complete() {
    Location = Pending;
    State = vv::READYSTATE_COMPLETE;
    if (this->OnNavigateComplete2)
      this->OnNavigateComplete2(this, Location);
    if (this->OnDocumentComplete)
      this->OnDocumentComplete(this, Location);
  }
  // The page answers the document queries asked so far.
  void AnswerQueries() {
    auto Asked = std::move(Queries);
    Queries.clear();
    for (auto& Answer : Asked)
      Answer();
  }

  std::vector<std::string> Calls;
  std::string Pending;
  std::string Location;
  std::u16string Title;
  int State = vv::READYSTATE_UNINITIALIZED;
  bool RefuseZoom = false;
  bool HasHistory = true;
  TPoint Scroll;
  int Focused = 0;
  std::vector<TDocumentElement> Elements;
  std::vector<std::function<void()>> Queries;

private:
  void History(const char* Name, int) {
    Calls.push_back(Name);
    if (!HasHistory)
      throw EWebBrowserError(VV_E_FAIL, "no history");
  }
  TLifetime Life;
};
using TFakeBrowser = TFakeBrowserOf<IBrowser>;

// A form window with a fake browser; it closes when asked or when the test
// says the reader closed it. Bounds start at the window's designed defaults.
class TFakeUserFormView : public IUserFormView {
public:
  explicit TFakeUserFormView(TDispatchRef External) : External(std::move(External)) {}

  IBrowser& Browser() override { return WebBrowser; }
  [[nodiscard]] TRect Bounds() const override { return Rect; }
  void SetLeft(int Value) override { Record("Left", Value); Rect.Left = Value; }
  void SetTop(int Value) override { Record("Top", Value); Rect.Top = Value; }
  void SetWidth(int Value) override { Record("Width", Value); Rect.Width = Value; }
  void SetHeight(int Value) override { Record("Height", Value); Rect.Height = Value; }
  void CenterOnScreen() override { Calls.push_back("Center"); }
  void SetBorderIcons(std::uint32_t Icons) override { Record("BorderIcons", static_cast<int>(Icons)); }
  void SetBorderStyle(TFormBorderStyle Value) override { Record("BorderStyle", static_cast<int>(Value)); }
  [[nodiscard]] std::u16string Caption() const override { return Title; }
  void SetCaption(const std::u16string& Value) override { Title = Value; }
  void HideScrollBars() override { Calls.push_back("HideScrollBars"); }
  void ShowModal(std::function<void()> Closed) override {
    Calls.push_back("ShowModal");
    OnClosed = std::move(Closed);
  }
  void Close() override {
    Calls.push_back("Close");
    Closed = true;
    if (auto Callback = std::exchange(OnClosed, nullptr))
      Callback();
  }
  [[nodiscard]] TLiveness Liveness() const override { return Life->Token(); }

  TDispatchRef External;
  TFakeBrowser WebBrowser;
  TRect Rect{272, 221, 696, 480};
  std::u16string Title = u"frmUserForm";
  std::vector<std::string> Calls;
  bool Closed = false;
  std::function<void()> OnClosed;
  // Reset: the window is gone.
  std::unique_ptr<TLifetime> Life = std::make_unique<TLifetime>();

private:
  void Record(const char* Name, int Value) { Calls.push_back(std::string(Name) + " " + std::to_string(Value)); }
};

// Keeps every view it made; a test destroys a view's window with Life.reset().
class TFakeUserFormViews : public IUserFormViews {
public:
  IUserFormView& CreateUserFormView(TDispatchRef External) override {
    return *Views.emplace_back(std::make_unique<TFakeUserFormView>(std::move(External)));
  }
  void CloseAll() override {
    for (const auto& View : Views)
      if (!View->Closed)
        View->Close();
  }
  std::vector<std::unique_ptr<TFakeUserFormView>> Views;
};

// The main window as the script objects see it: the page shown is the fake
// browser's location, the reading order follows it when asked.
class TFakeViewerHost : public TViewerHost {
public:
  explicit TFakeViewerHost(const char* StoryXml) : Story(std::make_unique<TStoryLine>(StoryXml)) {}

  TStory& GetStory() override { return Story; }
  IBrowser* MainBrowser() override { return Browser.get(); }
  std::string GetCurrentPagePath() override {
    const std::string& URL = Browser->LocationURL();
    return URL.rfind("mfs:", 0) == 0 ? URL.substr(4) : URL;
  }
  void SyncStoryWithPage() override { Story.Locate(GetCurrentPagePath()); }
  void NavigateToStoryPage() override {
    Browser->Navigate("mfs:" + Story.CurrentPage());
    Browser->Complete();
  }
  void PostClose() override { ++CloseRequests; }

  TStory Story;
  std::unique_ptr<TFakeBrowser> Browser = std::make_unique<TFakeBrowser>();
  int CloseRequests = 0;
};

} // namespace vvtest

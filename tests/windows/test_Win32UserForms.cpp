// User forms on Win32 opened by the host object, as pages open them: modal
// to the whole viewer, set up from their definitions, closed every way.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "forms/win32/frm_Win32UserForm.h"
#include "host/obj_HostExternal.h"
#include "platform/u_BookText.h"
#include "tests/windows/FakeBrowserWindow.h"
#include "tests/windows/WindowProbe.h"

namespace vvtest {

namespace {
std::string ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// The real views, with the last form made at hand.
struct TRecordingViews : IUserFormViews {
  TRecordingViews(HWND Owner, TBrowserWindowFactory Factory) : Real(Owner, std::move(Factory)) {}
  IUserFormView& CreateUserFormView(TDispatchRef External) override {
    Last = &Real.CreateUserFormView(std::move(External));
    return *Last;
  }
  void CloseAll() override { Real.CloseAll(); }
  TWin32UserFormViews Real;
  IUserFormView* Last = nullptr;
};

LONG_PTR Style(HWND Window) { return GetWindowLongPtrW(Window, GWL_STYLE); }

RECT WindowBounds(HWND Window) {
  RECT Bounds{};
  GetWindowRect(Window, &Bounds);
  return Bounds;
}
} // namespace

class Win32UserForms : public ::testing::Test {
protected:
  ~Win32UserForms() override {
    Host->Detach();
    SetBookCodePage(TCodePage::Windows1252);
    DestroyWindow(Owner);
  }

  // Opens the named form as a page's ShowUserForm does; returns its window.
  HWND Open(const std::string& Name) {
    Host->ShowUserForm(Name, [this, Name] { Closed.push_back(Name); });
    return Views.Last ? WindowFromView(*Views.Last) : nullptr;
  }
  static HWND WindowFromView(IUserFormView& View) { return dynamic_cast<TWin32UserFormView&>(View).Handle(); }
  // Lets the loop handle what is pending.
  void Settle() { Loop.WaitUntil([] { return false; }, 50); }

  TWin32MessageLoop Loop;
  const HWND Owner = CreateWindowExW(0, L"STATIC", L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                     nullptr, nullptr, nullptr, nullptr);
  TFakeBrowserWindows Browsers;
  TRecordingViews Views{Owner, Browsers.Factory()};
  TMFS System;
  TUserForms Forms{&System.DefaultSession(), ReadFile(VV_SOURCE_DIR "/books/sample/system/Forms.xml")};
  TFakeViewerHost Viewer{"<Story/>"};
  std::shared_ptr<THostExternal> Host = std::make_shared<THostExternal>(Viewer, Forms, Views);
  std::vector<std::string> Closed;
};

TEST_F(Win32UserForms, TheSampleAboutFormOpensModalAsDefinedAndClosesByCloseByItsPageAndByTheReader) {
  const HWND Form = Open("about");
  ASSERT_NE(Form, nullptr);
  EXPECT_TRUE(IsWindowVisible(Form));
  EXPECT_EQ(GetWindow(Form, GW_OWNER), Owner);
  EXPECT_FALSE(IsWindowEnabled(Owner));
  EXPECT_TRUE(IsWindowEnabled(Form));
  EXPECT_EQ(WindowText(Form), L"About The Vellumview Sample Book");
  // 420 x 300, centred on the screen; a single border with only the system menu.
  const RECT Bounds = WindowBounds(Form);
  EXPECT_EQ(Bounds.right - Bounds.left, 420);
  EXPECT_EQ(Bounds.bottom - Bounds.top, 300);
  const RECT Work = WorkArea();
  EXPECT_EQ(Bounds.left, Work.left + (Work.right - Work.left - 420) / 2);
  EXPECT_EQ(Bounds.top, Work.top + (Work.bottom - Work.top - 300) / 2);
  EXPECT_TRUE(Style(Form) & WS_CAPTION);
  EXPECT_TRUE(Style(Form) & WS_SYSMENU);
  EXPECT_FALSE(Style(Form) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

  ASSERT_EQ(Browsers.Made.size(), 1u);
  TFakeBrowserWindow& Browser = *Browsers.Made[0];
  EXPECT_EQ(GetParent(Browser.Window), Form);
  EXPECT_EQ(GetFocus(), Browser.Window);
  EXPECT_EQ(Browser.Calls, std::vector<std::string>{"Navigate mfs:\\Forms\\About.html"});
  EXPECT_EQ(Browser.UserInterfaceOptions, TUserInterfaceOptions{TUserInterfaceOption::SCROLL_NO});
  EXPECT_EQ(Browser.DownloadOptions,
            (TDownloadControlOptions{TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                                     TDownloadControlOption::DLCTL_BGSOUNDS}));
  RECT Client{};
  GetClientRect(Form, &Client);
  EXPECT_TRUE(EqualRect(&Browser.Bounds, &Client));
  // Its pages see the host object.
  TDispatchRef External;
  EXPECT_EQ(Browser.OnGetExternal(External), VV_S_OK);
  EXPECT_EQ(External, Host);
  PauseForScreenshot(Loop);

  // Closed by the script object: at once for the caller, the window a moment later.
  const TLiveness Alive = Views.Last->Liveness();
  Views.Last->Close();
  EXPECT_EQ(Closed, std::vector<std::string>{"about"});
  EXPECT_FALSE(IsWindowVisible(Form));
  EXPECT_TRUE(IsWindowEnabled(Owner));
  Settle();
  EXPECT_FALSE(IsWindow(Form));
  EXPECT_FALSE(IsAlive(Alive));
  EXPECT_EQ(Closed.size(), 1u);

  // Closed by its page (window.close, which the form lets through).
  const HWND Second = Open("About");
  EXPECT_FALSE(IsWindowEnabled(Owner));
  bool CanClose = false;
  Browsers.Made[1]->OnCloseQuery(Browsers.Made[1], CanClose);
  EXPECT_TRUE(CanClose);
  Browsers.Made[1]->OnCloseAccepted();
  EXPECT_TRUE(IsWindow(Second)); // not from inside the page's own request
  Settle();
  EXPECT_FALSE(IsWindow(Second));
  EXPECT_TRUE(IsWindowEnabled(Owner));
  EXPECT_EQ(Closed.size(), 2u);

  // Closed by the reader.
  const HWND Third = Open("About");
  PostMessageW(Third, WM_SYSCOMMAND, SC_CLOSE, 0);
  Settle();
  EXPECT_FALSE(IsWindow(Third));
  EXPECT_TRUE(IsWindowEnabled(Owner));
  EXPECT_EQ(Closed.size(), 3u);
}

TEST_F(Win32UserForms, FormsOpenedFromFormsStackAndCloseAllEndsEachOnceWithItsOwnerEnabled) {
  const HWND First = Open("About");
  const HWND Second = Open("About"); // from the first form's page
  EXPECT_FALSE(IsWindowEnabled(Owner));
  EXPECT_FALSE(IsWindowEnabled(First));
  EXPECT_TRUE(IsWindowEnabled(Second));
  Views.CloseAll();
  EXPECT_FALSE(IsWindow(First));
  EXPECT_FALSE(IsWindow(Second));
  EXPECT_TRUE(IsWindowEnabled(Owner));
  EXPECT_EQ(Closed.size(), 2u);
  Settle();
  EXPECT_EQ(Closed.size(), 2u);
  EXPECT_THROW(Host->UserForm(), EDispatchError); // no form is current any more

  // A form whose owner goes goes with it, and its caller hears of it.
  const HWND Third = Open("About");
  DestroyWindow(Owner);
  EXPECT_FALSE(IsWindow(Third));
  EXPECT_EQ(Closed.size(), 3u);
}

TEST_F(Win32UserForms, ACyrillicCaptionOfAUtf8BookAndEveryBorderShowAsDefined) {
  SetBookCodePage(TCodePage::Utf8);
  TUserForms Defined(&System.DefaultSession(),
                     "<Forms>"
                     "<Form Name=\"Sized\" Caption=\"\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0\" Sizable=True "
                     "Minimize=True Left=10 Top=20 Width=300 Height=200/>"
                     "<Form Name=\"Bare\" HideBorder=True Sizable=True SystemMenu=True Width=250/>"
                     "<Form Name=\"Plain\"/>"
                     "</Forms>");
  auto Books = std::make_shared<THostExternal>(Viewer, Defined, Views);
  Books->ShowUserForm("Sized", {});
  const HWND Sized = WindowFromView(*Views.Last);
  EXPECT_EQ(WindowText(Sized), L"\u041A\u043D\u0438\u0433\u0430");
  EXPECT_EQ(Views.Last->Caption(), u"\u041A\u043D\u0438\u0433\u0430");
  const RECT Bounds = WindowBounds(Sized);
  EXPECT_EQ(Bounds.left, 10);
  EXPECT_EQ(Bounds.top, 20);
  EXPECT_EQ(Bounds.right - Bounds.left, 300);
  EXPECT_EQ(Bounds.bottom - Bounds.top, 200);
  EXPECT_TRUE(Style(Sized) & WS_THICKFRAME);
  EXPECT_TRUE(Style(Sized) & WS_MINIMIZEBOX);
  EXPECT_FALSE(Style(Sized) & (WS_SYSMENU | WS_MAXIMIZEBOX));

  Books->ShowUserForm("Bare", {});
  const HWND Bare = WindowFromView(*Views.Last);
  EXPECT_TRUE(Style(Bare) & WS_POPUP);
  EXPECT_FALSE(Style(Bare) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
  EXPECT_EQ(WindowBounds(Bare).right - WindowBounds(Bare).left, 250);
  EXPECT_EQ(WindowBounds(Bare).bottom - WindowBounds(Bare).top, 480);

  // No attributes: the window as designed, with no border icons.
  Books->ShowUserForm("Plain", {});
  const HWND Plain = WindowFromView(*Views.Last);
  const RECT Designed = WindowBounds(Plain);
  EXPECT_EQ(Designed.left, 272);
  EXPECT_EQ(Designed.top, 221);
  EXPECT_EQ(Designed.right - Designed.left, 696);
  EXPECT_EQ(Designed.bottom - Designed.top, 480);
  EXPECT_EQ(WindowText(Plain), L"");
  EXPECT_FALSE(Style(Plain) & (WS_THICKFRAME | WS_SYSMENU));
  Views.CloseAll();
  Books->Detach();
}

} // namespace vvtest

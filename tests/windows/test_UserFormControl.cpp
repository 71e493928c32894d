// User forms around the system's browser control, as the viewer makes them:
// the control fills the form, and the form goes with the control's close
// request and with CloseAll, the control inside.
#include <gtest/gtest.h>
#include <ole2.h>

#include <fstream>
#include <iterator>

#include "forms/win32/frm_Win32UserForm.h"
#include "host/obj_HostExternal.h"
#include "host/win32/c_MXWebBrowser.h"
#include "tests/windows/WindowProbe.h"

namespace {
using namespace vv;

std::string ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// Only a window that is there: forms open while it lives.
class TNoViewer : public TViewerHost {
public:
  TStory& GetStory() override { return Story; }
  IBrowser* MainBrowser() override { return nullptr; }
  std::string GetCurrentPagePath() override { return {}; }
  void SyncStoryWithPage() override {}
  void NavigateToStoryPage() override {}
  void PostClose() override {}
  TStory Story{std::make_unique<TStoryLine>("<Story/>")};
};

class UserFormControl : public ::testing::Test {
protected:
  UserFormControl() { OleInitialize(nullptr); }
  ~UserFormControl() override {
    Host->Detach();
    DestroyWindow(Owner);
    OleUninitialize();
  }
  // The form open, and its control.
  static std::pair<HWND, HWND> OpenForm() {
    const HWND Form = vvtest::ThreadWindow(L"TfrmUserForm");
    return {Form, FindWindowExW(Form, nullptr, L"VellumviewBrowser", nullptr)};
  }

  TWin32MessageLoop Loop;
  const HWND Owner = CreateWindowExW(0, L"STATIC", L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                     nullptr, nullptr, nullptr, nullptr);
  TWin32UserFormViews Views{Owner, CreateBrowserWindow(Loop)};
  TMFS System;
  TUserForms Forms{&System.DefaultSession(), ReadFile(VV_SOURCE_DIR "/books/sample/system/Forms.xml")};
  TNoViewer Viewer;
  std::shared_ptr<THostExternal> Host = std::make_shared<THostExternal>(Viewer, Forms, Views);
};
} // namespace

TEST_F(UserFormControl, TheControlFillsTheFormAndTheFormGoesWithItsCloseRequestAndWithCloseAll) {
  int Closed = 0;
  Host->ShowUserForm("About", [&] { ++Closed; });
  const auto [Form, Control] = OpenForm();
  ASSERT_NE(Control, nullptr);
  RECT Client{}, Placed{};
  GetClientRect(Form, &Client);
  GetClientRect(Control, &Placed);
  EXPECT_TRUE(EqualRect(&Client, &Placed));
  EXPECT_FALSE(IsWindowEnabled(Owner));
  // The control asks its owner from the loop; the form goes, and the control with it.
  PostMessageW(Control, WM_CLOSE, 0, 0);
  Loop.WaitUntil([&] { return !IsWindow(Form); }, 5000);
  EXPECT_FALSE(IsWindow(Form));
  EXPECT_FALSE(IsWindow(Control));
  EXPECT_EQ(Closed, 1);
  EXPECT_TRUE(IsWindowEnabled(Owner));

  Host->ShowUserForm("About", [&] { ++Closed; });
  const auto [Again, ItsControl] = OpenForm();
  Views.CloseAll();
  EXPECT_FALSE(IsWindow(Again));
  EXPECT_FALSE(IsWindow(ItsControl));
  Loop.WaitUntil([] { return false; }, 100);
  EXPECT_EQ(Closed, 2);
  EXPECT_TRUE(IsWindowEnabled(Owner));
}

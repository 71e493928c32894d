// The browser control with the system's HTML engine: what only a rendered
// document shows. Every case skips itself where the control makes no
// document (Wine without its HTML engine); on Windows they all run.
#include <windows.h>
#include <mshtml.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "tests/windows/BrowserFixture.h"

#include "forms/i_UserFormView.h"
#include "forms/u_Print.h"
#include "forms/u_UserForms.h"
#include "host/obj_HostExternal.h"
#include "host/win32/u_BrowserEmulation.h"
#include "host/win32/u_ComPtr.h"
#include "host/win32/u_DocumentQueries.h"
#include "story/u_Story.h"

using vv::TComPtr;

namespace {

// A 1x1 picture.
const std::string Dot("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                      "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02" "D\x01\x00;",
                      43);

// The main window as the script objects see it, over the real browser.
class TBrowserViewerHost : public vv::TViewerHost {
public:
  TBrowserViewerHost(const char* StoryXml, vv::IBrowser& Browser)
      : Story(std::make_unique<vv::TStoryLine>(StoryXml)), Browser(Browser) {}
  vv::TStory& GetStory() override { return Story; }
  vv::IBrowser* MainBrowser() override { return &Browser; }
  std::string GetCurrentPagePath() override {
    const std::string URL = Browser.LocationURL();
    return URL.rfind("mfs:", 0) == 0 ? URL.substr(4) : URL;
  }
  void SyncStoryWithPage() override { Story.Locate(GetCurrentPagePath()); }
  void NavigateToStoryPage() override { Browser.Navigate("mfs:" + Story.CurrentPage()); }
  void PostClose() override {}

  vv::TStory Story;
  vv::IBrowser& Browser;
};

// The pages here open no user forms.
class TNoFormViews : public vv::IUserFormViews {
public:
  vv::IUserFormView& CreateUserFormView(vv::TDispatchRef) override { throw std::logic_error("no forms here"); }
  void CloseAll() override {}
};

class BrowserEngine : public vvtest::BrowserFixture {
protected:
  // Pages get the document mode the viewer gives them.
  void SetUp() override {
    vv::SetBrowserEmulation();
    BrowserFixture::SetUp();
  }
  // Shows URL; false where the engine made no document of it.
  bool Rendered(const std::string& URL) {
    if (!vvtest::HasHtmlEngine())
      return false;
    Show(URL);
    return static_cast<bool>(Browser->Document());
  }
  bool TitleIs(const std::u16string& Title) {
    return WaitFor([&] { return Browser->LocationName() == Title; });
  }
  template <class T> T Answer(const std::function<void(std::function<void(T)>)>& Ask) {
    std::optional<T> Result;
    Ask([&](T Value) { Result = std::move(Value); });
    EXPECT_TRUE(WaitFor([&] { return Result.has_value(); }));
    return Result.value_or(T{});
  }
};

#define SHOW_OR_SKIP(URL)                                                                                            \
  if (!Rendered(URL))                                                                                                \
  GTEST_SKIP() << "the control made no document: no HTML engine here"

} // namespace

TEST_F(BrowserEngine, RendersABookPageWithItsPictureAndStyleSheet) {
  AddFile("\\chapter\\page.htm",
          "<html><head><link rel=\"stylesheet\" href=\"css\\book.css\"><title>loading</title></head>"
          "<body onload=\"var i=document.getElementById('pic'),p=document.getElementById('para');"
          "document.title=i.width+'x'+i.height+' '+p.currentStyle.color\">"
          "<p id=\"para\">Text of %{none}</p><img id=\"pic\" src=\"img\\dot.gif\">"
          "<div style=\"height:5000px\"></div></body></html>");
  AddFile("\\chapter\\css\\book.css", "p { color: #123456 }");
  AddFile("\\chapter\\img\\dot.gif", Dot);
  int HostInfoAsked = 0;
  Browser->OnGetHostInfo = [&](vv::TDocHostUIInfo&) {
    ++HostInfoAsked;
    return vv::VV_S_OK;
  };
  SHOW_OR_SKIP("mfs:\\chapter\\page.htm");
  EXPECT_TRUE(TitleIs(u"1x1 #123456")) << "the picture and the style sheet came through the book's scheme";
  EXPECT_EQ(Browser->LocationURL(), "mfs:\\chapter\\page.htm");
  EXPECT_GT(HostInfoAsked, 0);
  EXPECT_EQ(Browser->ReadyState(), vv::READYSTATE_COMPLETE);

  const auto Elements = Answer<std::vector<vv::TDocumentElement>>(
      [&](std::function<void(std::vector<vv::TDocumentElement>)> Done) { Browser->QueryElements(std::move(Done)); });
  ASSERT_EQ(Elements.size(), 2u);
  EXPECT_EQ(Elements[0].TagName, "P");
  EXPECT_EQ(Elements[0].Id, "para");
  EXPECT_EQ(Elements[0].InnerHTML, "Text of %{none}");
  EXPECT_EQ(Elements[1].TagName, "IMG");

  // The reading place: scrolled by the viewer, read back.
  Browser->ScrollTo({0, 300});
  EXPECT_TRUE(WaitFor([&] { return Browser->ScrollPosition() == vv::TPoint{0, 300}; }));
}

TEST_F(BrowserEngine, KeysReachTheHostBeforeThePage) {
  AddFile("\\page.htm", "<html><body><p>Keys</p></body></html>");
  SHOW_OR_SKIP("mfs:\\page.htm");
  Browser->FocusPage();
  const HWND Focus = GetFocus();
  ASSERT_TRUE(IsChild(Browser->Handle(), Focus)) << "the page has the keyboard";
  std::vector<std::uint32_t> Keys;
  Browser->OnTranslateAccelerator = [&](const vv::TKeyMessage& Key, const void*, std::uint32_t) {
    Keys.push_back(Key.wParam);
    return vv::VV_S_OK;
  };
  MSG Message{Focus, WM_KEYDOWN, VK_F5, 0, 0, {}};
  EXPECT_TRUE(Browser->PreTranslateMessage(Message));
  EXPECT_EQ(Keys, std::vector<std::uint32_t>{VK_F5});
  MSG Elsewhere{Parent, WM_KEYDOWN, VK_F5, 0, 0, {}};
  EXPECT_FALSE(Browser->PreTranslateMessage(Elsewhere));
}

TEST_F(BrowserEngine, WindowExternalWalksTheStory) {
  AddFile("\\one.htm", "<html><body onload=\"external.Story.Next()\">one</body></html>");
  AddFile("\\two.htm", "<html><body onload=\"document.title='at '+external.Story.Current\">two</body></html>");
  TBrowserViewerHost Host(R"(<Story><item page="\one.htm"/><item page="\two.htm"/></Story>)", *Browser);
  vv::TMFS FormsVolume;
  vv::TUserForms UserForms{&FormsVolume.DefaultSession(), "<Forms/>"};
  TNoFormViews Views;
  const auto External = std::make_shared<vv::THostExternal>(Host, UserForms, Views);
  Browser->OnGetExternal = [&](vv::TDispatchRef& Out) {
    Out = External;
    return vv::VV_S_OK;
  };
  SHOW_OR_SKIP("mfs:\\one.htm");
  EXPECT_TRUE(TitleIs(u"at \\two.htm"));
  EXPECT_EQ(Browser->LocationURL(), "mfs:\\two.htm");
  External->Detach();
}

TEST_F(BrowserEngine, PrintSectionsComeFromTheDocument) {
  AddFile("\\page.htm", "<html><body><div id=\"introPage\">Intro <b>bold</b></div><div id=\"page2\">no</div>"
                        "<div id=\"chapterPAGE\">Chapter</div></body></html>");
  AddFile("\\img\\dot.gif", Dot);
  SHOW_OR_SKIP("mfs:\\page.htm");
  const auto Ids = Answer<std::vector<std::string>>(
      [&](std::function<void(std::vector<std::string>)> Done) { vv::QueryPrintSections(*Browser, std::move(Done)); });
  EXPECT_EQ(Ids, (std::vector<std::string>{"introPage", "chapterPAGE"}));
  const auto Html = Answer<std::optional<std::string>>([&](std::function<void(std::optional<std::string>)> Done) {
    vv::QueryPrintSectionHtml(*Browser, "intropage", std::move(Done));
  });
  ASSERT_TRUE(Html.has_value());
  std::string Lower = *Html;
  std::transform(Lower.begin(), Lower.end(), Lower.begin(), [](unsigned char C) { return std::tolower(C); });
  EXPECT_NE(Lower.find("intro <b>bold</b>"), std::string::npos) << *Html;

  // The print window's document: HTML text whose references resolve in the book.
  Served.clear();
  Browser->LoadHTML("<p id=\"printed\">Intro <img src=\"img\\dot.gif\"></p>");
  EXPECT_TRUE(WaitFor([&] {
    return Browser->ReadyState() == vv::READYSTATE_COMPLETE && vv::ElementInnerHTML(Browser->Document().Get(), "printed");
  }));
  EXPECT_TRUE(WaitFor([&] { return std::find(Served.begin(), Served.end(), "\\img\\dot.gif") != Served.end(); }));
}

TEST_F(BrowserEngine, TextSizeIsTheEnginesZoom) {
  AddFile("\\page.htm", "<html><body><p>Some text</p></body></html>");
  SHOW_OR_SKIP("mfs:\\page.htm");
  for (int Size : {4, 0, 2}) {
    Browser->ExecWB(vv::OLECMDID_ZOOM, vv::OLECMDEXECOPT_DONTPROMPTUSER, Size);
    VARIANT Shown;
    VariantInit(&Shown);
    ASSERT_EQ(Browser->Control()->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &Shown), S_OK);
    EXPECT_EQ(V_I4(&Shown), Size);
  }
}

TEST_F(BrowserEngine, CopyPutsTheSelectedBlockOnTheClipboard) {
  AddFile("\\page.htm", "<html><body><p>Copy this block</p></body></html>");
  SHOW_OR_SKIP("mfs:\\page.htm");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  const auto Document = TComPtr<IHTMLDocument2>::Query(Browser->Document().Get(), IID_IHTMLDocument2);
  BSTR SelectAll = SysAllocString(L"SelectAll");
  VARIANT None;
  VariantInit(&None);
  VARIANT_BOOL Done = VARIANT_FALSE;
  ASSERT_EQ(Document->execCommand(SelectAll, VARIANT_FALSE, None, &Done), S_OK);
  SysFreeString(SelectAll);
  Browser->ExecWB(vv::OLECMDID_COPY);
  ASSERT_TRUE(OpenClipboard(nullptr));
  const HANDLE Data = GetClipboardData(CF_UNICODETEXT);
  const std::wstring Text = Data ? static_cast<const wchar_t*>(GlobalLock(Data)) : L"";
  if (Data)
    GlobalUnlock(Data);
  CloseClipboard();
  EXPECT_NE(Text.find(L"Copy this block"), std::wstring::npos);
}

TEST_F(BrowserEngine, APageClosingItsWindowAsksTheOwner) {
  AddFile("\\page.htm", "<html><body><button id=\"b\" onclick=\"window.close()\">close</button></body></html>");
  bool Asked = false;
  Browser->OnCloseQuery = [&](vv::IBrowser*, bool& CanClose) {
    Asked = true;
    CanClose = false;
  };
  SHOW_OR_SKIP("mfs:\\page.htm");
  const auto Document = TComPtr<IHTMLDocument3>::Query(Browser->Document().Get(), IID_IHTMLDocument3);
  TComPtr<IHTMLElement> Button;
  BSTR Id = SysAllocString(L"b");
  ASSERT_EQ(Document->getElementById(Id, Button.Out()), S_OK);
  SysFreeString(Id);
  ASSERT_TRUE(Button);
  Button->click();
  EXPECT_TRUE(WaitFor([&] { return Asked; }));
  EXPECT_TRUE(IsWindow(Browser->Handle()));
}

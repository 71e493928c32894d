// The objects pages reach as window.external, and the user forms they open,
// driven through a fake main window, browser and form windows.
#include <gtest/gtest.h>

#include "host/obj_HostExternal.h"
#include "platform/u_BookText.h"
#include "tests/viewer_logic/FakePlatform.h"

namespace vvtest {

namespace {
const char* const Pages = R"(<Story>
  <item page="\one.htm"/>
  <item><item page="\two.htm"/><item page="\three.htm"/></item>
</Story>)";

const char* const Forms = R"(<Forms>
  <Form Name="About" Path="Forms\About.htm" Caption="About it" Width="320" Height="240" SystemMenu="True"/>
  <Form Name="Plain"/>
  <Form Name="Centred" Path="\x.htm" HideScrollBar="True" Center="True" HideBorder="True" Sizable="True"/>
</Forms>)";

struct ScriptObjects : ::testing::Test {
  ScriptObjects() {
    Host.Browser->Navigate("mfs:\\one.htm");
    Host.Browser->Complete();
  }

  // Invokes a member by name as script does; a failure comes back as "error: message".
  static TOleVariant Call(const TDispatchRef& Object, std::string_view Member, std::uint16_t Kind,
                          const TOleVariantList& Args = {}) {
    // A later answer must find it still there.
    auto Result = std::make_shared<TOleVariant>(std::u16string(u"(no answer)"));
    Object->Invoke(Object->GetIDOfName(Member), Kind, Args,
                   TDispatchReply([Result](const TOleVariant& V) { *Result = V; },
                                  [Result](const std::string& M) { *Result = u"error: " + BookToWide(M); }));
    return *Result;
  }
  static TOleVariant Get(const TDispatchRef& Object, std::string_view Member) {
    return Call(Object, Member, VV_DISPATCH_PROPERTYGET);
  }
  static TOleVariant Run(const TDispatchRef& Object, std::string_view Member, const TOleVariantList& Args = {}) {
    return Call(Object, Member, VV_DISPATCH_METHOD, Args);
  }
  static TDispatchRef Object(const TOleVariant& V) { return std::get<TDispatchRef>(V); }

  TMFS Volume;
  TMFSSession& Session = Volume.DefaultSession();
  TUserForms UserForms{&Session, Forms};
  TFakeViewerHost Host{Pages};
  TFakeUserFormViews Views;
  std::shared_ptr<THostExternal> External = std::make_shared<THostExternal>(Host, UserForms, Views);
};

TOleVariant Text(std::u16string S) { return S; }
} // namespace

TEST_F(ScriptObjects, StoryWalksTheReadingOrderFromThePageShown) {
  const TDispatchRef Story = Object(Get(External, "Story"));
  EXPECT_EQ(Object(Get(External, "story")), Story);
  EXPECT_EQ(Get(Story, "Current"), Text(u"\\one.htm"));
  EXPECT_EQ(Get(Story, "Bof"), TOleVariant(false));
  Run(Story, "Prior");
  EXPECT_EQ(Get(Story, "Bof"), TOleVariant(true));
  EXPECT_EQ(Run(Story, "Prior"), Text(u"error: Begin of story encountered"));
  Run(Story, "Next");
  EXPECT_EQ(Host.Browser->LocationURL(), "mfs:\\two.htm");
  EXPECT_EQ(Run(Story, "NextChapter", {std::int32_t{0}}), Text(u"error: Chapter level is out of range (0)"));

  // The reader went elsewhere through history: the flags follow the page shown.
  Run(Story, "Last");
  Run(Story, "Next");
  EXPECT_EQ(Host.Browser->LocationURL(), "mfs:\\three.htm");
  EXPECT_EQ(Get(Story, "Eof"), TOleVariant(true));
  EXPECT_EQ(Run(Story, "Next"), Text(u"error: End of story encountered"));
  Host.Browser->Navigate("mfs:\\one.htm");
  Host.Browser->Complete();
  EXPECT_EQ(Get(Story, "Eof"), TOleVariant(false));

  Host.Browser->Navigate("about:blank");
  Host.Browser->Complete();
  EXPECT_EQ(Get(Story, "Current"), Text(u"about:blank"));
  Run(External, "Terminate");
  EXPECT_EQ(Host.CloseRequests, 1);

  External->Detach();
  EXPECT_EQ(Run(Story, "First"), Text(u"error: The viewer window is closed"));
  EXPECT_EQ(Run(External, "ShowUserForm", {Text(u"About")}), Text(u"error: The viewer window is closed"));
}

TEST_F(ScriptObjects, WebBrowserOpensTheBooksPagesAndTheWebOnly) {
  const TDispatchRef Browser = Object(Get(External, "WebBrowser"));
  EXPECT_EQ(Get(Browser, "LocationURL"), Text(u"mfs:\\one.htm"));
  EXPECT_EQ(Get(Browser, "ReadyState"), TOleVariant(std::int32_t{READYSTATE_COMPLETE}));
  EXPECT_EQ(Get(Browser, "Busy"), TOleVariant(false));
  Host.Browser->Title = u"One";
  EXPECT_EQ(Get(Browser, "LocationName"), Text(u"One"));
  for (const char16_t* URL : {u"MFS:\\two.htm", u"system:\\x.htm", u"http://a/", u"HTTPS://a/", u"mailto:a@b"})
    EXPECT_EQ(Run(Browser, "Navigate", {Text(URL)}), TOleVariant()) << WideToBook(URL);
  for (const char16_t* URL : {u"file:///etc/hostname", u"javascript:1", u"data:text/html,x", u"about:blank", u"two.htm"})
    EXPECT_EQ(Run(Browser, "Navigate", {Text(URL)}),
              Text(u"error: Navigate: \"" + std::u16string(URL) +
                   u"\" is not a page of the book nor an http, https or mailto address"));
  Run(Browser, "Stop");
  Run(Browser, "Refresh");
  Run(Browser, "GoBack");
  EXPECT_EQ(std::vector<std::string>(Host.Browser->Calls.end() - 8, Host.Browser->Calls.end()),
            (std::vector<std::string>{"Navigate MFS:\\two.htm", "Navigate system:\\x.htm", "Navigate http://a/",
                                      "Navigate HTTPS://a/", "Navigate mailto:a@b", "Stop", "ExecWB 22", "GoBack"}));
  EXPECT_EQ(Run(Browser, "ExecWB", {std::int32_t{19}}), Text(u"error: Argument not optional"));

  Host.Browser.reset();
  EXPECT_EQ(Get(Browser, "LocationURL"), Text(u"error: The browser is no longer available"));
}

TEST_F(ScriptObjects, UserFormsOpenModallyFromTheirDefinitionAndAnswerWhenClosed) {
  EXPECT_EQ(Get(External, "UserForm"), Text(u"error: There is no active form"));
  EXPECT_EQ(Run(External, "ShowUserForm", {Text(u"nope")}), Text(u"error: Form \"nope\" not found"));
  EXPECT_TRUE(Views.Views.empty());

  int AboutAnswers = 0;
  External->ShowUserForm("about", [&] { ++AboutAnswers; });
  ASSERT_EQ(Views.Views.size(), 1u);
  TFakeUserFormView& About = *Views.Views[0];
  EXPECT_EQ(About.External, External);
  EXPECT_EQ(About.Calls, (std::vector<std::string>{"Width 320", "Height 240", "BorderIcons 1", "BorderStyle 1",
                                                   "ShowModal"}));
  EXPECT_EQ(About.WebBrowser.Calls, std::vector<std::string>{"Navigate mfs:\\Forms\\About.htm"});
  const TDispatchRef Form = Object(Get(External, "UserForm"));
  EXPECT_EQ(Get(Form, "Caption"), Text(u"About it"));
  Call(Form, "Caption", VV_DISPATCH_PROPERTYPUT, {Text(u"Changed")});
  Call(Form, "Left", VV_DISPATCH_PROPERTYPUT, {std::int32_t{5}});
  EXPECT_EQ(About.Title, u"Changed");
  EXPECT_EQ(Get(Form, "Left"), TOleVariant(std::int32_t{5}));
  EXPECT_EQ(Get(Form, "Top"), TOleVariant(std::int32_t{221}));
  About.WebBrowser.Complete();
  EXPECT_EQ(Get(Object(Get(Form, "WebBrowser")), "LocationURL"), Text(u"mfs:\\Forms\\About.htm"));

  // A page of the form opens a second one: it is current until it closes, then
  // none is. The script's call is answered when the form closes, not before.
  EXPECT_EQ(Run(External, "ShowUserForm", {Text(u"Plain")}), Text(u"(no answer)"));
  TFakeUserFormView& Plain = *Views.Views[1];
  EXPECT_EQ(Plain.Calls, (std::vector<std::string>{"BorderIcons 0", "BorderStyle 1", "ShowModal"}));
  EXPECT_EQ(Plain.Title, u"");
  EXPECT_TRUE(Plain.WebBrowser.Calls.empty());
  EXPECT_NE(Object(Get(External, "UserForm")), Form);
  Plain.Close();
  EXPECT_EQ(Get(External, "UserForm"), Text(u"error: There is no active form"));
  EXPECT_EQ(AboutAnswers, 0);

  Run(Form, "Close");
  EXPECT_TRUE(About.Closed);
  EXPECT_EQ(AboutAnswers, 1);
  About.Life.reset();
  EXPECT_EQ(Get(Form, "Caption"), Text(u"error: There is no active form"));

  External->ShowUserForm("Centred", nullptr);
  EXPECT_EQ(Views.Views[2]->Calls, (std::vector<std::string>{"BorderIcons 0", "BorderStyle 0", "HideScrollBars",
                                                             "Center", "ShowModal"}));
}

} // namespace vvtest

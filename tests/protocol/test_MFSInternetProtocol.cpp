#include <gtest/gtest.h>

#include "RecordingPlatform.h"
#include "protocol/u_MFSInternetProtocol.h"

using namespace vv;

namespace {
class MfsProtocol : public ::testing::Test {
protected:
  void SetUp() override {
    auto& S = Volume.DefaultSession();
    S.CreateMFSFile("\\page1.html", 0, false)->Content = "one";
    S.ForceFolders("\\chapter\\img");
    S.CreateMFSFile("\\chapter\\p.htm", 0, false)->Content = "chapter page";
    S.CreateMFSFile("\\chapter\\empty.htm", 0, false);
    S.CreateMFSFile("\\chapter\\it's a page.htm", 0, false)->Content = "blank and apostrophe";
    Handler = std::make_unique<TMFSInternetProtocol>("mfs", &Volume);
  }

  std::string Serve(std::u16string_view Url) {
    TCustomInternetProtocol P;
    EXPECT_EQ(P.Start(Url, &Sink, nullptr, 0, 0), VV_S_OK);
    return P.Data();
  }
  std::u16string Combine(std::u16string_view Base, std::u16string_view Rel) {
    TCustomInternetProtocol P;
    char16_t Buffer[300];
    std::uint32_t Length = 0;
    EXPECT_EQ(P.CombineUrl(Base, Rel, 0, Buffer, 300, &Length, 0), VV_S_OK);
    return Buffer;
  }

  vvtest::RecordingPlatform Platform;
  vvtest::RecordingSink Sink;
  TMFS Volume;
  std::unique_ptr<TMFSInternetProtocol> Handler;
};

// Url and Message as they appear in the page, already escaped.
std::string ErrorPage(const std::string& Url, const std::string& Message) {
  return "<html><pre><p>An exception occured during attempt to get data</p><p>URL: <b>" + Url +
         "</b></p><p>Exception: <b>" + Message + "</b></p></html>";
}
} // namespace

TEST_F(MfsProtocol, CreationRegistersAndDestructionUnregisters) {
  EXPECT_TRUE(Handler->Support->Active());
  EXPECT_EQ(ProtocolSession.Find("MFS"), Handler->Support.get());
  Handler.reset();
  EXPECT_EQ(ProtocolSession.Find("mfs"), nullptr);
  EXPECT_FALSE(ProtocolSession.Connected);
}

TEST_F(MfsProtocol, RegistrationErrorsEscapeTheConstructor) {
  EXPECT_THROW(TMFSInternetProtocol("MFS", &Volume), EDictionaryError);
  EXPECT_THROW(TMFSInternetProtocol("", &Volume), EInternetProtocolSupportError);
  EXPECT_EQ(ProtocolSession.Find("mfs"), Handler->Support.get());
}

TEST_F(MfsProtocol, ServesFilesByAnySeparatorAndCase) {
  EXPECT_EQ(Serve(u"mfs:\\page1.html"), "one");
  EXPECT_EQ(Serve(u"mfs:/PAGE1.HTML"), "one");
  EXPECT_EQ(Serve(u"mfs:page1.html"), "one");
  EXPECT_EQ(Serve(u"mfs:/chapter/p.htm"), "chapter page");
  EXPECT_EQ(Serve(u"mfs:\\chapter\\img\\..\\p.htm"), "chapter page");
  EXPECT_EQ(Serve(u"mfs:mfs:\\page1.html"), "one");
  EXPECT_EQ(Serve(u"mfs:\\chapter\\it's%20a%20page.htm"), "blank and apostrophe");
}

TEST_F(MfsProtocol, RelativePathsFollowTheDefaultSessionsFolder) {
  Volume.DefaultSession().ChangeDir("\\chapter");
  EXPECT_EQ(Serve(u"mfs:p.htm"), "chapter page");
}

TEST_F(MfsProtocol, MissingFilesAndFoldersAreServedAsTheErrorPage) {
  EXPECT_EQ(Serve(u"mfs:\\x.htm"), ErrorPage("\\x.htm", "File &quot;\\x.htm&quot; not found"));
  EXPECT_EQ(Serve(u"mfs:\\chapter\\"), ErrorPage("\\chapter\\", "File &quot;\\chapter\\&quot; not found"));
  EXPECT_EQ(Serve(u"mfs:\\nope\\x.htm"), ErrorPage("\\nope\\x.htm", "Path &quot;\\nope\\&quot; not found"));
}

// The error page runs in the book's origin, so a crafted URL must stay text there.
TEST_F(MfsProtocol, ErrorPageCannotBeInjectedWithMarkup) {
  const std::string Page = Serve(u"mfs:\\<img src=x onerror=\"external.Terminate()\">&amp;.htm");
  EXPECT_EQ(Page.find("<img"), std::string::npos);
  EXPECT_EQ(Page.find("\"external"), std::string::npos);
  EXPECT_NE(Page.find("URL: <b>\\&lt;img src=x onerror=&quot;external.Terminate()&quot;&gt;&amp;amp;.htm</b>"),
            std::string::npos);
}

TEST_F(MfsProtocol, QueryFallsBackToTheFileBeforeItUnlessTheNameHasIt) {
  Volume.DefaultSession().CreateMFSFile("\\odd?name.htm", 0, false)->Content = "odd";
  EXPECT_EQ(Serve(u"mfs:\\page1.html?v=3"), "one");
  EXPECT_EQ(Serve(u"mfs:/chapter/p.htm?2022.1"), "chapter page");
  EXPECT_EQ(Serve(u"mfs:\\odd?name.htm"), "odd");
  EXPECT_EQ(Serve(u"mfs:\\odd?x"), ErrorPage("\\odd?x", "File &quot;\\odd?x&quot; not found"));
}

TEST_F(MfsProtocol, ZeroByteFileIsServedAsOneBlank) { EXPECT_EQ(Serve(u"mfs:\\chapter\\empty.htm"), " "); }

TEST_F(MfsProtocol, HooksSubstituteAndPostProcess) {
  std::vector<std::string> Seen;
  Handler->OnBeforeGetData = [&](TMFSInternetProtocol*, std::string& Path, std::string& Data, bool& Handled) {
    Seen.push_back("before " + Path);
    if (Path == "\\virtual.htm") {
      Data = "made up";
      Handled = true;
    } else if (Path == "\\alias.htm") {
      Path = "\\page1.html";
    }
  };
  Handler->OnAfterGetData = [&](TMFSInternetProtocol*, const std::string& Path, std::string& Data) {
    Seen.push_back("after " + Path);
    Data += "!";
  };
  EXPECT_EQ(Serve(u"mfs:\\virtual.htm"), "made up!");
  EXPECT_EQ(Serve(u"mfs:\\alias.htm"), "one!");
  EXPECT_EQ(Seen, (std::vector<std::string>{"before \\virtual.htm", "after \\virtual.htm", "before \\alias.htm",
                                            "after \\page1.html"}));
}

TEST_F(MfsProtocol, HookFailureIsServedAsTheErrorPage) {
  Handler->OnAfterGetData = [](TMFSInternetProtocol*, const std::string&, std::string&) {
    throw Exception("Variable \"x\" not found");
  };
  EXPECT_EQ(Serve(u"mfs:\\page1.html"), ErrorPage("\\page1.html", "Variable &quot;x&quot; not found"));
}

TEST_F(MfsProtocol, CombinesRelativePathsAgainstThePagesFolder) {
  EXPECT_EQ(Combine(u"mfs:\\chapter\\p.htm", u"img\\a.gif"), u"mfs:\\chapter\\img\\a.gif");
  EXPECT_EQ(Combine(u"mfs:\\chapter\\p.htm", u"img/a.gif"), u"mfs:\\chapter\\img\\a.gif");
  EXPECT_EQ(Combine(u"mfs:\\chapter\\p.htm", u"\\img\\a.gif"), u"mfs:\\img\\a.gif");
  EXPECT_EQ(Combine(u"mfs:/chapter/p.htm", u"../style.css"), u"mfs:\\chapter\\..\\style.css");
  EXPECT_EQ(Combine(u"mfs:p.htm", u"a.gif"), u"mfs:a.gif");
  EXPECT_EQ(Combine(u"mfs:\\chapter\\p.htm", u"mfs:x.htm"), u"mfs:\\chapter\\x.htm");
  EXPECT_EQ(Combine(u"mfs:\\chapter\\p.htm", u"http://example.com/a.htm"), u"http://example.com/a.htm");
}

TEST_F(MfsProtocol, BeforeCombineHookMayRewriteBothPaths) {
  Handler->OnBeforeCombineURL = [](TMFSInternetProtocol*, std::string& Base, std::string& Rel) {
    Base = "\\other\\base.htm";
    Rel = "r/" + Rel;
  };
  EXPECT_EQ(Combine(u"mfs:\\chapter\\p.htm", u"a.gif"), u"mfs:\\other\\r\\a.gif");
}

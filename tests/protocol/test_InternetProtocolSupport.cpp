#include <gtest/gtest.h>

#include <memory>

#include "RecordingPlatform.h"
#include "protocol/u_InternetProtocolSupport.h"

using namespace vv;
using vvtest::RecordingPlatform;
using vvtest::RecordingSink;

namespace {
template <typename Fn> std::string MessageOf(Fn&& Call) {
  try {
    Call();
  } catch (const std::exception& E) {
    return E.what();
  }
  return "(no error)";
}

using Strings = std::vector<std::string>;

// One active scheme "mfs" whose handler echoes the rest it was asked for.
class ProtocolFixture : public ::testing::Test {
protected:
  void SetUp() override {
    Support.SetProtocol("mfs");
    Support.OnGetData = [this](TInternetProtocolSupport*, const std::string& URL, std::string& Data) {
      Asked.push_back(URL);
      Data = Response ? *Response : "<" + URL + ">";
    };
    Support.OnCombineURL = [this](TInternetProtocolSupport*, const std::string& Base, const std::string& Rel,
                                  std::string& Result) {
      Asked.push_back(Base + "|" + Rel);
      Result = Base + "+" + Rel;
    };
    Support.SetActive(true);
  }

  // Serves Url and drains it in chunks of ChunkSize, recording every result.
  std::string Fetch(std::u16string_view Url, std::uint32_t ChunkSize = 4096, Strings* Results = nullptr) {
    TCustomInternetProtocol P;
    EXPECT_EQ(P.Start(Url, &Sink, nullptr, 0, 0), VV_S_OK);
    std::string Out;
    for (;;) {
      std::string Chunk(ChunkSize, '\0');
      std::uint32_t Got = 0;
      const HRESULT R = P.Read(Chunk.data(), ChunkSize, &Got);
      Out.append(Chunk.data(), Got);
      if (Results)
        Results->push_back(R == VV_S_FALSE ? "VV_S_FALSE" : R == VV_E_PENDING ? "VV_E_PENDING" : "other");
      if (R != VV_E_PENDING)
        break;
    }
    return Out;
  }

  RecordingPlatform Platform;
  RecordingSink Sink;
  TInternetProtocolSupport Support;
  Strings Asked;
  const std::string* Response = nullptr;
};
} // namespace

// ---- registration ----

TEST(ProtocolRegistration, ConnectsForTheFirstSchemeAndDisconnectsAfterTheLast) {
  RecordingPlatform Platform;
  {
    TInternetProtocolSupport A, B;
    A.SetProtocol("mfs");
    B.SetProtocol("system");
    A.SetActive(true);
    B.SetActive(true);
    EXPECT_TRUE(ProtocolSession.Connected);
    A.SetActive(false);
    EXPECT_TRUE(ProtocolSession.Connected);
    EXPECT_EQ(ProtocolSession.Find("MFS"), nullptr);
    EXPECT_EQ(ProtocolSession.Find("SYSTEM"), &B);
  } // B unregisters on destruction
  EXPECT_FALSE(ProtocolSession.Connected);
  EXPECT_EQ(Platform.Calls, (Strings{"Connect", "Register mfs", "Register system", "Unregister mfs",
                                     "Unregister system", "Disconnect"}));
}

TEST(ProtocolRegistration, EmptyNameFailsAfterConnectingAndLeavesNothingHeld) {
  RecordingPlatform Platform;
  TInternetProtocolSupport S;
  EXPECT_EQ(MessageOf([&] { S.SetActive(true); }), "Protocol not set");
  EXPECT_FALSE(S.Active());
  EXPECT_FALSE(ProtocolSession.Connected);
  EXPECT_EQ(Platform.Calls, (Strings{"Connect", "Disconnect"}));
}

TEST(ProtocolRegistration, PlatformFailuresRaiseTheirCodeAndLeaveTheSupportInactive) {
  RecordingPlatform Platform;
  TInternetProtocolSupport S;
  S.SetProtocol("mfs");
  Platform.ConnectResult = static_cast<HRESULT>(0x80040154);
  try {
    S.SetActive(true);
    FAIL() << "no error";
  } catch (const EOleError& E) {
    EXPECT_EQ(E.ErrorCode, static_cast<HRESULT>(0x80040154));
    EXPECT_STREQ(E.what(), "OLE error 80040154");
  }
  EXPECT_FALSE(S.Active());
  EXPECT_EQ(Platform.Calls, (Strings{"Connect"}));

  Platform.ConnectResult = VV_S_OK;
  Platform.RegisterResult = VV_E_FAIL;
  EXPECT_THROW(S.SetActive(true), EOleError);
  EXPECT_FALSE(S.Active());
  EXPECT_EQ(ProtocolSession.Find("mfs"), nullptr);
  EXPECT_FALSE(ProtocolSession.Connected);

  Platform.RegisterResult = VV_S_OK;
  S.SetActive(true);
  EXPECT_TRUE(S.Active());
}

TEST(ProtocolRegistration, DuplicateSchemeRaisesAfterRegisteringAgainAndKeepsTheFirst) {
  RecordingPlatform Platform;
  TInternetProtocolSupport A, B;
  A.SetProtocol("mfs");
  B.SetProtocol("MFS");
  A.SetActive(true);
  EXPECT_EQ(MessageOf([&] { B.SetActive(true); }), "TDictionary.Add - element \"MFS\" is already in collection");
  EXPECT_FALSE(B.Active());
  EXPECT_EQ(ProtocolSession.Find("mfs"), &A);
  EXPECT_EQ(Platform.Calls, (Strings{"Connect", "Register mfs", "Register MFS"}));
}

TEST(ProtocolRegistration, RenamingAnActiveSupportUnregistersItAndLeavesItInactive) {
  RecordingPlatform Platform;
  TInternetProtocolSupport S;
  S.SetProtocol("mfs");
  S.SetActive(true);
  S.SetActive(true); // no change, no second registration
  S.SetProtocol("system");
  EXPECT_FALSE(S.Active());
  EXPECT_EQ(S.Protocol(), "system");
  EXPECT_EQ(ProtocolSession.Find("mfs"), nullptr);
  EXPECT_EQ(ProtocolSession.Find("system"), nullptr);
  EXPECT_EQ(Platform.Calls, (Strings{"Connect", "Register mfs", "Unregister mfs", "Disconnect"}));
}

TEST(ProtocolRegistration, HandlersThatAreMissingRaiseTheirOwnMessages) {
  TInternetProtocolSupport S;
  std::string Data = "old";
  EXPECT_EQ(MessageOf([&] { S.GetData("x", Data); }), "Property OnGetData not assigned");
  EXPECT_EQ(MessageOf([&] { (void)S.CombineURL("a", "b"); }), "Property OnCombineURL not assigned");
}

// ---- serving ----

TEST_F(ProtocolFixture, SchemeIsMatchedWithoutRegardToCase) {
  EXPECT_EQ(Fetch(u"MFS:\\page1.html"), "<\\page1.html>");
  EXPECT_EQ(Fetch(u"mFs:/a"), "</a>");
}

TEST_F(ProtocolFixture, UrlsWithoutARegisteredSchemeAreInvalidAndNeverReachTheSink) {
  for (const std::u16string_view Url : {u"page1.html", u":page1.html", u"http:page1.html", u"mfsx:a"}) {
    TCustomInternetProtocol P;
    EXPECT_EQ(P.Start(Url, &Sink, nullptr, 0, 0), VV_INET_E_INVALID_URL);
    EXPECT_EQ(P.DataSize, 0u);
  }
  EXPECT_TRUE(Sink.Reports.empty());
  EXPECT_TRUE(Asked.empty());
}

TEST_F(ProtocolFixture, RestIsCutAfterThe255thCharacter) {
  const std::u16string Rest(300, u'a');
  (void)Fetch(u"mfs:" + Rest);
  (void)Fetch(u"mfs:" + std::u16string(255, u'b'));
  ASSERT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Asked[0], std::string(255, 'a'));
  EXPECT_EQ(Asked[1], std::string(255, 'b'));
}

TEST_F(ProtocolFixture, OnlyPercent20IsDecoded) {
  (void)Fetch(u"mfs:\\my%20page%20.htm");
  (void)Fetch(u"mfs:\\a%41%2F%2520.htm");
  (void)Fetch(u"mfs:\\q.htm?x=1#top");
  EXPECT_EQ(Asked, (Strings{"\\my page .htm", "\\a%41%2F%2520.htm", "\\q.htm?x=1#top"}));
}

TEST_F(ProtocolFixture, WideCharactersReachTheHandlerInTheAnsiCodePage) {
  (void)Fetch(u"mfs:\\caf\u00E9\u20AC\u4E00.htm");
  EXPECT_EQ(Asked, (Strings{"\\caf\xE9\x80?.htm"}));
}

TEST_F(ProtocolFixture, EmptyResponseBecomesOneBlank) {
  const std::string Empty;
  Response = &Empty;
  TCustomInternetProtocol P;
  ASSERT_EQ(P.Start(u"mfs:\\empty.htm", &Sink, nullptr, 0, 0), VV_S_OK);
  EXPECT_EQ(P.DataSize, 1u);
  EXPECT_EQ(P.Data(), " ");
  EXPECT_EQ(Sink.Reports, (Strings{"Data 13 1 1", "Result 0 0"}));
}

TEST_F(ProtocolFixture, ResponseKeepsZeroBytes) {
  const std::string Binary("\x89PNG\0\0\x01", 7);
  Response = &Binary;
  EXPECT_EQ(Fetch(u"mfs:a.png", 3), Binary);
}

TEST_F(ProtocolFixture, HandlerFailureIsServedAsTheErrorPage) {
  Support.OnGetData = [](TInternetProtocolSupport*, const std::string& URL, std::string& Data) {
    Data = "partial";
    throw Exception("File \"" + URL + "\" not found");
  };
  TCustomInternetProtocol P;
  ASSERT_EQ(P.Start(u"mfs:\\x%20y.htm", &Sink, nullptr, 0, 0), VV_S_OK);
  const std::string Page = "<html><pre><p>An exception occured during attempt to get data</p><p>URL: "
                           "<b>\\x y.htm</b></p><p>Exception: <b>File &quot;\\x y.htm&quot; not found</b></p></html>";
  EXPECT_EQ(P.Data(), Page);
  EXPECT_TRUE(P.ServedErrorPage());
  EXPECT_EQ(Sink.Reports, (Strings{"Data 13 " + std::to_string(Page.size()) + " " + std::to_string(Page.size()),
                                   "Result 0 0"}));
}

TEST_F(ProtocolFixture, MissingGetDataHandlerIsServedAsTheErrorPage) {
  Support.OnGetData = nullptr;
  EXPECT_NE(Fetch(u"mfs:a").find("<b>Property OnGetData not assigned</b>"), std::string::npos);
}

TEST_F(ProtocolFixture, SinkFailureCannotLoadData) {
  Sink.FailOnData = true;
  TCustomInternetProtocol P;
  EXPECT_EQ(P.Start(u"mfs:a", &Sink, nullptr, 0, 0), VV_INET_E_CANNOT_LOAD_DATA);
}

TEST_F(ProtocolFixture, ReadIsPendingAfterEveryChunkButTheOneThatReachesTheEnd) {
  const std::string Ten = "0123456789";
  Response = &Ten;
  Strings Results;
  EXPECT_EQ(Fetch(u"mfs:a", 4, &Results), Ten);
  EXPECT_EQ(Results, (Strings{"VV_E_PENDING", "VV_E_PENDING", "VV_S_FALSE"}));
  Results.clear();
  EXPECT_EQ(Fetch(u"mfs:a", 5, &Results), Ten); // the end falls on a chunk edge
  EXPECT_EQ(Results, (Strings{"VV_E_PENDING", "VV_S_FALSE"}));
  Results.clear();
  EXPECT_EQ(Fetch(u"mfs:a", 10, &Results), Ten);
  EXPECT_EQ(Results, (Strings{"VV_S_FALSE"}));
}

TEST_F(ProtocolFixture, EveryRequestAsksTheHandlerAgain) {
  (void)Fetch(u"mfs:a");
  (void)Fetch(u"mfs:a");
  EXPECT_EQ(Asked.size(), 2u);
}

TEST_F(ProtocolFixture, TheNoOpMethodsAnswerTheirFixedResults) {
  TCustomInternetProtocol P;
  ASSERT_EQ(P.Start(u"mfs:abc", &Sink, nullptr, 0, 0), VV_S_OK);
  std::uint64_t NewPosition = 77;
  EXPECT_EQ(P.Seek(2, 0, &NewPosition), VV_S_OK);
  EXPECT_EQ(NewPosition, 77u);
  char C = 0;
  std::uint32_t Got = 0;
  EXPECT_EQ(P.Read(&C, 1, &Got), VV_E_PENDING);
  EXPECT_EQ(C, '<'); // Seek did not move the position
  EXPECT_EQ(P.ParseUrl(u"mfs:a", 0, 0, nullptr, 0, nullptr, 0), VV_INET_E_DEFAULT_ACTION);
  EXPECT_EQ(P.QueryInfo(u"mfs:a", 0, 0, nullptr, 0, nullptr, 0), VV_INET_E_QUERYOPTION_UNKNOWN);
  for (const HRESULT R : {P.Continue(nullptr), P.Abort(VV_E_FAIL, 0), P.Terminate(0), P.Suspend(), P.Resume(),
                          P.LockRequest(0), P.UnlockRequest()})
    EXPECT_EQ(R, VV_S_OK);
}

// ---- combination ----

namespace {
struct Combined {
  HRESULT Result;
  std::u16string Text;
  std::uint32_t Length;
};
Combined Combine(std::u16string_view Base, std::u16string_view Rel, std::uint32_t Size = 260, std::uint32_t Flags = 0) {
  TCustomInternetProtocol P;
  std::u16string Buffer(Size + 1, u'#'); // one guard unit past the end
  std::uint32_t Length = 9999;
  const HRESULT R = P.CombineUrl(Base, Rel, Flags, Buffer.data(), Size, &Length, 0);
  EXPECT_EQ(Buffer[Size], u'#') << "wrote past the buffer";
  const auto End = Buffer.find(u'\0');
  return {R, End == std::u16string::npos ? u"" : Buffer.substr(0, End), Length};
}
} // namespace

TEST_F(ProtocolFixture, CombineAsksTheSupportForRelativeAndSameSchemeUrls) {
  Combined C = Combine(u"mfs:\\ch\\p.htm", u"img\\a.gif");
  EXPECT_EQ(C.Result, VV_S_OK);
  EXPECT_EQ(C.Text, u"mfs:\\ch\\p.htm+img\\a.gif");
  EXPECT_EQ(C.Length, C.Text.size());
  C = Combine(u"MFS:\\p.htm", u"mfs:\\.\\x.htm");
  EXPECT_EQ(C.Text, u"MFS:\\p.htm+\\x.htm"); // canonicalised by the platform
  EXPECT_EQ(Asked, (Strings{"\\ch\\p.htm|img\\a.gif", "\\p.htm|\\.\\x.htm"}));
}

TEST_F(ProtocolFixture, CombineLeavesOtherSchemesAndUnknownBasesToThemselves) {
  Combined C = Combine(u"mfs:\\p.htm", u"http://example.com/.\\x");
  EXPECT_EQ(C.Result, VV_S_OK);
  EXPECT_EQ(C.Text, u"http://example.com/.\\x");
  EXPECT_EQ(Platform.LastCanonicalized, "http://example.com/.\\x");
  C = Combine(u"other:\\p.htm", u"a.htm");
  EXPECT_EQ(C.Text, u"a.htm");
  EXPECT_TRUE(Asked.empty());
}

TEST_F(ProtocolFixture, CombineHandsTheBrowserFlagsToTheCanonicaliser) {
  (void)Combine(u"mfs:a", u"b", 260, 0x2000000);
  EXPECT_EQ(Platform.LastFlags, 0x2000000u);
}

TEST_F(ProtocolFixture, CombineWithAShortBufferReportsTheNeededSize) {
  // "mfs:a+bc" is 8 characters: it needs a buffer of 9.
  Combined C = Combine(u"mfs:a", u"bc", 9);
  EXPECT_EQ(C.Result, VV_S_OK);
  EXPECT_EQ(C.Text, u"mfs:a+bc");
  EXPECT_EQ(C.Length, 8u);
  C = Combine(u"mfs:a", u"bc", 8);
  EXPECT_EQ(C.Result, VV_S_FALSE);
  EXPECT_EQ(C.Length, 9u);
  C = Combine(u"mfs:a", u"bc", 0);
  EXPECT_EQ(C.Result, VV_S_FALSE);
  EXPECT_EQ(C.Length, 9u);
}

TEST_F(ProtocolFixture, CombineFallsBackToTheUncanonicalisedUrlWhenTheCanonicaliserFails) {
  Platform.CanonicalizeError = 87;
  Combined C = Combine(u"mfs:a", u".\\b", 260);
  EXPECT_EQ(C.Result, VV_S_OK);
  EXPECT_EQ(C.Text, u"mfs:a+.\\b");
  C = Combine(u"mfs:a", u".\\b", 9);
  EXPECT_EQ(C.Result, VV_S_FALSE);
  EXPECT_EQ(C.Length, 10u);
}

TEST_F(ProtocolFixture, CombineWithoutAPlatformKeepsTheCandidate) {
  ProtocolSession.Platform = nullptr;
  const Combined C = Combine(u"mfs:a", u"b");
  ProtocolSession.Platform = &Platform;
  EXPECT_EQ(C.Text, u"mfs:a+b");
}

TEST_F(ProtocolFixture, CombineNeverLetsAHandlerFailureOut) {
  Support.OnCombineURL = nullptr;
  EXPECT_EQ(Combine(u"mfs:a", u"b").Result, VV_INET_E_DEFAULT_ACTION);
}

// ---- comparison ----

TEST_F(ProtocolFixture, CompareFoldsCaseAlwaysAndSlashesOnlyWhenAsked) {
  TCustomInternetProtocol P;
  EXPECT_EQ(P.CompareUrl(u"mfs:\\A\\b.htm", u"MFS:\\a\\B.HTM", 0), VV_S_OK);
  EXPECT_EQ(P.CompareUrl(u"mfs:\\A\\b.htm", u"mfs:/a/b.htm", 0), VV_S_FALSE);
  EXPECT_EQ(P.CompareUrl(u"mfs:\\A\\b.htm", u"mfs:/a/b.htm", 1), VV_S_OK);
  EXPECT_EQ(P.CompareUrl(u"mfs:\\a", u"system:\\a", 1), VV_S_FALSE);
  EXPECT_EQ(P.CompareUrl(u"other:\\a", u"other:\\a", 1), VV_S_FALSE);
}

TEST_F(ProtocolFixture, CompareUsesTheHandlersVerdict) {
  Support.OnCompareURL = [](TInternetProtocolSupport*, const std::string& A, const std::string& B, bool IgnoreSlashes,
                            bool& Same) { Same = IgnoreSlashes && A.size() == B.size(); };
  TCustomInternetProtocol P;
  EXPECT_EQ(P.CompareUrl(u"mfs:abc", u"mfs:xyz", 1), VV_S_OK);
  EXPECT_EQ(P.CompareUrl(u"mfs:abc", u"mfs:abc", 0), VV_S_FALSE);
}

#include "protocol/u_InternetProtocolSupport.h"

#include <algorithm>
#include <cstring>

#include "text/u_Convert.h"

namespace vv {

namespace {
constexpr const char* SGetDataNotAssigned = "Property OnGetData not assigned";
constexpr const char* SCombineURLNotAssigned = "Property OnCombineURL not assigned";
constexpr const char* SProtocolNotSet = "Protocol not set";
constexpr const char* SErrorPage = "<html><pre><p>An exception occured during attempt to get data</p><p>URL: "
                                   "<b>%s</b></p><p>Exception: <b>%s</b></p></html>";
constexpr std::uint32_t VV_ERROR_NOT_SUPPORTED = 50;
constexpr const char* SOleError = "OLE error %s";

std::string HexCode(HRESULT Code) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string Text = "00000000";
  auto U = static_cast<std::uint32_t>(Code);
  for (int i = 7; i >= 0; --i, U >>= 4)
    Text[static_cast<std::size_t>(i)] = Digits[U & 0xF];
  return Text;
}

// Every "%20" becomes a blank; nothing else is decoded.
std::string DecodeBlanks(std::string_view Rest) {
  std::string Result;
  Result.reserve(Rest.size());
  for (std::size_t i = 0; i < Rest.size(); ++i) {
    if (Rest.compare(i, 3, "%20") == 0) {
      Result += ' ';
      i += 2;
    } else {
      Result += Rest[i];
    }
  }
  return Result;
}

// Writes Text into the caller's buffer under the buffer-size contract.
HRESULT ReturnUrl(const std::string& Text, char16_t* Result, std::uint32_t ResultSize, std::uint32_t* ResultLength) {
  const auto Length = static_cast<std::uint32_t>(Text.size());
  if (ResultSize <= Length) {
    if (ResultLength)
      *ResultLength = Length + 1;
    return VV_S_FALSE;
  }
  if (ResultLength)
    *ResultLength = Length;
  if (Result) {
    const std::u16string Wide = AnsiToWide(Text);
    const std::size_t Count = std::min<std::size_t>(Wide.size(), ResultSize - 1);
    std::copy_n(Wide.data(), Count, Result);
    Result[Count] = 0;
  }
  return VV_S_OK;
}
} // namespace

EOleError::EOleError(HRESULT ErrorCode) : Exception(Format(SOleError, HexCode(ErrorCode))), ErrorCode(ErrorCode) {}

std::uint32_t TInternetProtocolPlatform::CanonicalizeUrl(std::string_view, std::uint32_t, std::uint32_t,
                                                         std::string&, std::uint32_t&) {
  // A platform without a canonicaliser: the caller keeps the URL as combined.
  return VV_ERROR_NOT_SUPPORTED;
}

// ---- TInternetProtocolSupport ----

TInternetProtocolSupport::~TInternetProtocolSupport() {
  try {
    SetActive(false);
  } catch (...) {
    // Unregistration ignores platform failures; nothing else can raise here.
  }
}

void TInternetProtocolSupport::SetActive(bool Value) {
  if (Value == FActive)
    return;
  if (Value)
    ProtocolSession.Register(FProtocol, this);
  else
    ProtocolSession.Unregister(FProtocol);
  FActive = Value;
}

void TInternetProtocolSupport::SetProtocol(std::string_view Value) {
  SetActive(false);
  FProtocol = Value;
}

void TInternetProtocolSupport::GetData(const std::string& URL, std::string& Data) {
  if (!OnGetData)
    throw EInternetProtocolSupportError(SGetDataNotAssigned);
  Data.clear();
  OnGetData(this, URL, Data);
}

std::string TInternetProtocolSupport::CombineURL(const std::string& BaseURL, const std::string& RelativeURL) {
  if (!OnCombineURL)
    throw EInternetProtocolSupportError(SCombineURLNotAssigned);
  std::string Result;
  OnCombineURL(this, BaseURL, RelativeURL, Result);
  return Result;
}

bool TInternetProtocolSupport::CompareURL(const std::string& URL1, const std::string& URL2, bool IgnoreSlashes) {
  if (OnCompareURL) {
    // A handler must set the verdict; "different" is the safe answer if it does not.
    bool Same = false;
    OnCompareURL(this, URL1, URL2, IgnoreSlashes, Same);
    return Same;
  }
  if (!IgnoreSlashes)
    return SameText(URL1, URL2);
  std::string A = URL1, B = URL2;
  std::replace(A.begin(), A.end(), '\\', '/');
  std::replace(B.begin(), B.end(), '\\', '/');
  return SameText(A, B);
}

// ---- TInternetProtocolSupportSession ----

TInternetProtocolSupportSession ProtocolSession;

TInternetProtocolSupportSession::~TInternetProtocolSupportSession() { Disconnect(); }

void TInternetProtocolSupportSession::Connect() {
  if (Connected)
    return;
  if (Platform)
    if (const HRESULT R = Platform->Connect(); !Succeeded(R))
      throw EOleError(R);
  Connected = true;
}

void TInternetProtocolSupportSession::Disconnect() {
  if (!Connected)
    return;
  Connected = false;
  if (Platform)
    Platform->Disconnect();
}

void TInternetProtocolSupportSession::Register(const std::string& Protocol, TInternetProtocolSupport* Support) {
  if (Supports.Count() == 0)
    Connect();
  try {
    if (Protocol.empty())
      throw EInternetProtocolSupportError(SProtocolNotSet);
    if (Platform)
      if (const HRESULT R = Platform->RegisterNameSpace(AnsiToWide(Protocol)); !Succeeded(R))
        throw EOleError(R);
    Supports.Add(Protocol, Support);
  } catch (...) {
    // Platform references are held only while some scheme is active.
    if (Supports.Count() == 0)
      Disconnect();
    throw;
  }
}

void TInternetProtocolSupportSession::Unregister(const std::string& Protocol) {
  Supports.Remove(Protocol);
  if (Connected && Platform)
    (void)Platform->UnregisterNameSpace(AnsiToWide(Protocol));
  if (Supports.Count() == 0)
    Disconnect();
}

// ---- URL helpers ----

void SplitURL(std::u16string_view URL, std::string& Scheme, std::string& Rest) {
  const auto Colon = URL.find(u':');
  const std::u16string_view SchemePart = Colon == std::u16string_view::npos ? std::u16string_view() : URL.substr(0, Colon);
  std::u16string_view RestPart = Colon == std::u16string_view::npos ? URL : URL.substr(Colon + 1);
  RestPart = RestPart.substr(0, std::min(RestPart.size(), MaxUrlRest));
  Scheme = WideToAnsi(SchemePart);
  Rest = WideToAnsi(RestPart);
}

namespace {
// The error page runs in the book's origin: text that names a URL or a message
// must never become markup there.
std::string EscapeHtml(std::string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (const char C : Text) {
    switch (C) {
    case '&': Result += "&amp;"; break;
    case '<': Result += "&lt;"; break;
    case '>': Result += "&gt;"; break;
    case '"': Result += "&quot;"; break;
    default: Result += C;
    }
  }
  return Result;
}
} // namespace

std::string FormatErrorPage(std::string_view URL, std::string_view Message) {
  return Format(SErrorPage, EscapeHtml(URL), EscapeHtml(Message));
}

// ---- TCustomInternetProtocol ----

HRESULT TCustomInternetProtocol::ParseUrl(std::u16string_view, std::uint32_t, std::uint32_t, char16_t*,
                                          std::uint32_t, std::uint32_t*, std::uint32_t) {
  return VV_INET_E_DEFAULT_ACTION;
}

HRESULT TCustomInternetProtocol::CombineUrl(std::u16string_view BaseUrl, std::u16string_view RelativeUrl,
                                            std::uint32_t CombineFlags, char16_t* Result, std::uint32_t ResultSize,
                                            std::uint32_t* ResultLength, std::uint32_t) noexcept {
  try {
    std::string BaseScheme, BaseRest, RelScheme, RelRest;
    SplitURL(BaseUrl, BaseScheme, BaseRest);
    SplitURL(RelativeUrl, RelScheme, RelRest);
    std::string Candidate;
    TInternetProtocolSupport* Support = nullptr;
    if (RelScheme.empty() || SameText(RelScheme, BaseScheme))
      Support = ProtocolSession.Find(BaseScheme);
    if (Support)
      Candidate = BaseScheme + ":" + Support->CombineURL(BaseRest, RelRest);
    else
      Candidate = WideToAnsi(RelativeUrl);

    std::string Canonical;
    std::uint32_t Length = ResultSize + 1;
    const std::uint32_t Error =
        ProtocolSession.Platform
            ? ProtocolSession.Platform->CanonicalizeUrl(Candidate, ResultSize + 1, CombineFlags, Canonical, Length)
            : VV_ERROR_NOT_SUPPORTED;
    if (Error == 0)
      return ReturnUrl(Canonical.substr(0, Length), Result, ResultSize, ResultLength);
    if (Error == VV_ERROR_INSUFFICIENT_BUFFER) {
      if (ResultLength)
        *ResultLength = Length;
      return VV_S_FALSE;
    }
    return ReturnUrl(Candidate, Result, ResultSize, ResultLength);
  } catch (...) {
    // A support that cannot combine leaves the combination to the browser.
    return VV_INET_E_DEFAULT_ACTION;
  }
}

HRESULT TCustomInternetProtocol::CompareUrl(std::u16string_view Url1, std::u16string_view Url2,
                                            std::uint32_t CompareFlags) noexcept {
  try {
    std::string Scheme1, Rest1, Scheme2, Rest2;
    SplitURL(Url1, Scheme1, Rest1);
    SplitURL(Url2, Scheme2, Rest2);
    if (!SameText(Scheme1, Scheme2))
      return VV_S_FALSE;
    TInternetProtocolSupport* Support = ProtocolSession.Find(Scheme1);
    if (!Support)
      return VV_S_FALSE;
    return Support->CompareURL(Rest1, Rest2, CompareFlags != 0) ? VV_S_OK : VV_S_FALSE;
  } catch (...) {
    return VV_S_FALSE;
  }
}

HRESULT TCustomInternetProtocol::QueryInfo(std::u16string_view, std::uint32_t, std::uint32_t, void*, std::uint32_t,
                                           std::uint32_t*, std::uint32_t) {
  return VV_INET_E_QUERYOPTION_UNKNOWN;
}

HRESULT TCustomInternetProtocol::Start(std::u16string_view Url, TInternetProtocolSink* Sink, const void*,
                                       std::uint32_t, std::uintptr_t) noexcept {
  DataSize = 0;
  BytesRead = 0;
  FServedErrorPage = false;
  std::string Data;
  try {
    std::string Scheme, Rest;
    SplitURL(Url, Scheme, Rest);
    Rest = DecodeBlanks(Rest);
    TInternetProtocolSupport* Support = ProtocolSession.Find(Scheme);
    if (!Support)
      return VV_INET_E_INVALID_URL;
    try {
      Support->GetData(Rest, Data);
    } catch (const std::exception& E) {
      Data = FormatErrorPage(Rest, E.what());
      FServedErrorPage = true;
    } catch (...) {
      Data = FormatErrorPage(Rest, "Unknown exception");
      FServedErrorPage = true;
    }
  } catch (...) {
    return VV_INET_E_CANNOT_LOAD_DATA;
  }
  try {
    if (Data.empty())
      Data.assign(1, ' ');
    DataStream = std::move(Data);
    StreamPosition = 0;
    DataSize = static_cast<std::uint32_t>(DataStream.size());
    if (Sink) {
      Sink->ReportData(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, DataSize,
                       DataSize);
      Sink->ReportResult(VV_S_OK, 0, nullptr);
    }
    return VV_S_OK;
  } catch (...) {
    return VV_INET_E_CANNOT_LOAD_DATA;
  }
}

HRESULT TCustomInternetProtocol::Continue(const void*) { return VV_S_OK; }
HRESULT TCustomInternetProtocol::Abort(HRESULT, std::uint32_t) { return VV_S_OK; }
HRESULT TCustomInternetProtocol::Terminate(std::uint32_t) { return VV_S_OK; }
HRESULT TCustomInternetProtocol::Suspend() { return VV_S_OK; }
HRESULT TCustomInternetProtocol::Resume() { return VV_S_OK; }

HRESULT TCustomInternetProtocol::Read(void* Buffer, std::uint32_t Count, std::uint32_t* BytesReadOut) noexcept {
  const std::size_t Available = DataStream.size() - std::min(StreamPosition, DataStream.size());
  const std::size_t N = std::min<std::size_t>(Count, Available);
  if (N)
    std::memcpy(Buffer, DataStream.data() + StreamPosition, N);
  StreamPosition += N;
  if (BytesReadOut)
    *BytesReadOut = static_cast<std::uint32_t>(N);
  BytesRead += static_cast<std::int32_t>(N);
  return static_cast<std::uint32_t>(BytesRead) == DataSize ? VV_S_FALSE : VV_E_PENDING;
}

HRESULT TCustomInternetProtocol::Seek(std::int64_t, std::uint32_t, std::uint64_t*) { return VV_S_OK; }
HRESULT TCustomInternetProtocol::LockRequest(std::uint32_t) { return VV_S_OK; }
HRESULT TCustomInternetProtocol::UnlockRequest() { return VV_S_OK; }

} // namespace vv

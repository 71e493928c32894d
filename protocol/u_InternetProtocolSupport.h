#pragma once
// Private URL schemes served from memory: a registry of schemes, the
// per-request protocol object the browser drives, and the interface through
// which a platform layer makes a scheme reachable by its browser.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/u_ObjectDictionary.h"
#include "text/u_Utils.h"

namespace vv {

using HRESULT = std::int32_t;

// Result codes, numbered as the platform numbers them.
constexpr HRESULT VV_S_OK = 0;
constexpr HRESULT VV_S_FALSE = 1;
constexpr HRESULT VV_E_PENDING = static_cast<HRESULT>(0x8000000A);
constexpr HRESULT VV_E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT VV_E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT VV_E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT VV_INET_E_INVALID_URL = static_cast<HRESULT>(0x800C0002);
constexpr HRESULT VV_INET_E_CANNOT_LOAD_DATA = static_cast<HRESULT>(0x800C000F);
constexpr HRESULT VV_INET_E_DEFAULT_ACTION = static_cast<HRESULT>(0x800C0011);
constexpr HRESULT VV_INET_E_QUERYOPTION_UNKNOWN = static_cast<HRESULT>(0x800C0013);
[[nodiscard]] constexpr bool Succeeded(HRESULT R) noexcept { return R >= 0; }

// ReportData flags.
constexpr std::uint32_t BSCF_FIRSTDATANOTIFICATION = 1;
constexpr std::uint32_t BSCF_LASTDATANOTIFICATION = 4;
constexpr std::uint32_t BSCF_DATAFULLYAVAILABLE = 8;

constexpr std::uint32_t VV_ERROR_INSUFFICIENT_BUFFER = 122;

// The longest URL rest (after the scheme and its colon) that is served.
constexpr std::size_t MaxUrlRest = 255;

class EInternetProtocolSupportError : public Exception {
  using Exception::Exception;
};

// A failed platform call, carrying its result code.
class EOleError : public Exception {
public:
  EOleError(HRESULT ErrorCode, const std::string& Message) : Exception(Message), ErrorCode(ErrorCode) {}
  explicit EOleError(HRESULT ErrorCode);
  const HRESULT ErrorCode;
};

// What the platform layer does to make registered schemes reach its browser.
class TInternetProtocolPlatform {
public:
  virtual ~TInternetProtocolPlatform() = default;
  // Acquire what RegisterNameSpace needs; called when the first scheme is registered.
  virtual HRESULT Connect() = 0;
  // Release it again; called when the last scheme is unregistered.
  virtual void Disconnect() = 0;
  // Route requests of the scheme to TCustomInternetProtocol objects, for this process only.
  virtual HRESULT RegisterNameSpace(const std::u16string& Protocol) = 0;
  virtual HRESULT UnregisterNameSpace(const std::u16string& Protocol) = 0;
  // Canonicalise Url into at most BufferLength characters (terminator
  // included). Returns 0 with Canonical and its Length, VV_ERROR_INSUFFICIENT_BUFFER
  // with the needed Length, or another error code.
  virtual std::uint32_t CanonicalizeUrl(std::string_view Url, std::uint32_t BufferLength, std::uint32_t Flags,
                                        std::string& Canonical, std::uint32_t& Length);
};

// The browser's receiver of one request's progress.
class TInternetProtocolSink {
public:
  virtual ~TInternetProtocolSink() = default;
  virtual void ReportData(std::uint32_t BSCF, std::uint32_t Progress, std::uint32_t ProgressMax) = 0;
  virtual void ReportResult(HRESULT Result, std::uint32_t Error, const char16_t* ResultText) = 0;
};

class TInternetProtocolSupport;

using TGetDataEvent = std::function<void(TInternetProtocolSupport* Sender, const std::string& URL, std::string& Data)>;
using TCompareURLEvent = std::function<void(TInternetProtocolSupport* Sender, const std::string& URL1,
                                            const std::string& URL2, bool IgnoreSlashes, bool& Same)>;
using TCombineURLEvent = std::function<void(TInternetProtocolSupport* Sender, const std::string& BaseURL,
                                            const std::string& RelativeURL, std::string& Result)>;

// One scheme: its name and the handlers that serve it.
class TInternetProtocolSupport {
public:
  TInternetProtocolSupport() = default;
  ~TInternetProtocolSupport();
  TInternetProtocolSupport(const TInternetProtocolSupport&) = delete;
  TInternetProtocolSupport& operator=(const TInternetProtocolSupport&) = delete;

  [[nodiscard]] bool Active() const noexcept { return FActive; }
  // Registers or unregisters the scheme; the flag changes only when that succeeded.
  void SetActive(bool Value);
  [[nodiscard]] const std::string& Protocol() const noexcept { return FProtocol; }
  // Deactivates first, so a renamed support is left inactive.
  void SetProtocol(std::string_view Value);

  // URL arguments are always the rest after the scheme and its colon.
  void GetData(const std::string& URL, std::string& Data);
  [[nodiscard]] std::string CombineURL(const std::string& BaseURL, const std::string& RelativeURL);
  [[nodiscard]] bool CompareURL(const std::string& URL1, const std::string& URL2, bool IgnoreSlashes);

  TGetDataEvent OnGetData;
  TCompareURLEvent OnCompareURL;
  TCombineURLEvent OnCombineURL;

private:
  bool FActive = false;
  std::string FProtocol;
};

// The process-wide registry of active schemes.
class TInternetProtocolSupportSession {
public:
  TInternetProtocolSupportSession() = default;
  // Disconnects without unregistering the schemes still registered.
  ~TInternetProtocolSupportSession();
  TInternetProtocolSupportSession(const TInternetProtocolSupportSession&) = delete;
  TInternetProtocolSupportSession& operator=(const TInternetProtocolSupportSession&) = delete;

  void Register(const std::string& Protocol, TInternetProtocolSupport* Support);
  void Unregister(const std::string& Protocol);
  [[nodiscard]] TInternetProtocolSupport* Find(std::string_view Protocol) const { return Supports.Find(Protocol); }

  // Installed once by the platform layer before the first scheme is
  // activated (not owned); without one, registration is bookkeeping only.
  TInternetProtocolPlatform* Platform = nullptr;
  TObjectDictionary<TInternetProtocolSupport> Supports{true, true, false};
  // True exactly while the platform is connected (at least one scheme active).
  bool Connected = false;

private:
  void Connect();
  void Disconnect();
};

extern TInternetProtocolSupportSession ProtocolSession;

// Splits at the first colon: the scheme before it (empty without one) and at
// most MaxUrlRest characters after it, both in the ANSI code page.
void SplitURL(std::u16string_view URL, std::string& Scheme, std::string& Rest);

// The page served in place of the data when getting it failed; both values are
// HTML-escaped.
[[nodiscard]] std::string FormatErrorPage(std::string_view URL, std::string_view Message);

// One request: Start fills the response completely, Read drains it.
class TCustomInternetProtocol {
public:
  // IInternetProtocolInfo
  HRESULT ParseUrl(std::u16string_view Url, std::uint32_t ParseAction, std::uint32_t Flags, char16_t* Result,
                   std::uint32_t ResultSize, std::uint32_t* ResultLength, std::uint32_t Reserved);
  // Result receives at most ResultSize characters including the terminating zero.
  HRESULT CombineUrl(std::u16string_view BaseUrl, std::u16string_view RelativeUrl, std::uint32_t CombineFlags,
                     char16_t* Result, std::uint32_t ResultSize, std::uint32_t* ResultLength,
                     std::uint32_t Reserved) noexcept;
  HRESULT CompareUrl(std::u16string_view Url1, std::u16string_view Url2, std::uint32_t CompareFlags) noexcept;
  HRESULT QueryInfo(std::u16string_view Url, std::uint32_t Option, std::uint32_t QueryFlags, void* Buffer,
                    std::uint32_t BufferSize, std::uint32_t* BufferSizeOut, std::uint32_t Reserved);

  // IInternetProtocolRoot
  HRESULT Start(std::u16string_view Url, TInternetProtocolSink* Sink, const void* BindInfo, std::uint32_t Flags,
                std::uintptr_t Reserved) noexcept;
  HRESULT Continue(const void* ProtocolData);
  HRESULT Abort(HRESULT Reason, std::uint32_t Options);
  HRESULT Terminate(std::uint32_t Options);
  HRESULT Suspend();
  HRESULT Resume();

  // IInternetProtocol
  // VV_E_PENDING after every chunk except the one that reaches DataSize (VV_S_FALSE).
  HRESULT Read(void* Buffer, std::uint32_t Count, std::uint32_t* BytesReadOut) noexcept;
  HRESULT Seek(std::int64_t Move, std::uint32_t Origin, std::uint64_t* NewPosition);
  HRESULT LockRequest(std::uint32_t Options);
  HRESULT UnlockRequest();

  [[nodiscard]] const std::string& Data() const noexcept { return DataStream; }
  // Whether Start served the error page instead of the handler's data, so a
  // platform layer can label the response as markup whatever the URL says.
  [[nodiscard]] bool ServedErrorPage() const noexcept { return FServedErrorPage; }

  std::string DataStream;
  std::size_t StreamPosition = 0;
  std::uint32_t DataSize = 0;
  std::int32_t BytesRead = 0;

private:
  bool FServedErrorPage = false;
};

} // namespace vv

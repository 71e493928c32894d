#pragma once
// The book's URL schemes on Windows: asynchronous pluggable protocols of the
// URL moniker layer, registered for this process only. Every request is a COM
// object that drives one TCustomInternetProtocol, so the bytes, the error
// page, URL combination and comparison all come from the shared framework.

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/u_InternetProtocolSupport.h"

struct IInternetSession;

namespace vv {

// Installs itself as ProtocolSession.Platform for its lifetime. Schemes are
// then registered and released by activating and deactivating
// TInternetProtocolSupport objects (TMFSInternetProtocol does both). COM must
// be initialised on the thread that activates them and binds URLs.
class TUrlMonProtocolPlatform : public TInternetProtocolPlatform {
public:
  TUrlMonProtocolPlatform();
  ~TUrlMonProtocolPlatform() override;
  TUrlMonProtocolPlatform(const TUrlMonProtocolPlatform&) = delete;
  TUrlMonProtocolPlatform& operator=(const TUrlMonProtocolPlatform&) = delete;

  // The moniker layer's session, held while a scheme is registered.
  HRESULT Connect() override;
  void Disconnect() override;
  HRESULT RegisterNameSpace(const std::u16string& Protocol) override;
  HRESULT UnregisterNameSpace(const std::u16string& Protocol) override;
  // WinINet's InternetCanonicalizeUrlA with the browser's combine flags.
  std::uint32_t CanonicalizeUrl(std::string_view Url, std::uint32_t BufferLength, std::uint32_t Flags,
                                std::string& Canonical, std::uint32_t& Length) override;

private:
  IInternetSession* InternetSession = nullptr;
};

} // namespace vv

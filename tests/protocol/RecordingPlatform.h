#pragma once
// The platform edge of the scheme framework, recorded; and a sink that keeps
// what a request reported.

#include <string>
#include <vector>

#include "text/u_Convert.h"
#include "protocol/u_InternetProtocolSupport.h"

namespace vvtest {

class RecordingPlatform : public vv::TInternetProtocolPlatform {
public:
  RecordingPlatform() { vv::ProtocolSession.Platform = this; }
  ~RecordingPlatform() override { vv::ProtocolSession.Platform = nullptr; }

  vv::HRESULT Connect() override {
    Calls.push_back("Connect");
    return ConnectResult;
  }
  void Disconnect() override { Calls.push_back("Disconnect"); }
  vv::HRESULT RegisterNameSpace(const std::u16string& Protocol) override {
    Calls.push_back("Register " + vv::WideToAnsi(Protocol));
    return RegisterResult;
  }
  vv::HRESULT UnregisterNameSpace(const std::u16string& Protocol) override {
    Calls.push_back("Unregister " + vv::WideToAnsi(Protocol));
    return vv::VV_E_FAIL; // must be ignored
  }
  std::uint32_t CanonicalizeUrl(std::string_view Url, std::uint32_t BufferLength, std::uint32_t Flags,
                                std::string& Canonical, std::uint32_t& Length) override {
    LastCanonicalized = std::string(Url);
    LastFlags = Flags;
    if (CanonicalizeError != 0 && CanonicalizeError != vv::VV_ERROR_INSUFFICIENT_BUFFER)
      return CanonicalizeError;
    // Stands in for the platform: upper-cases nothing, only strips "./" pieces.
    std::string Text(Url);
    for (std::size_t At; (At = Text.find("\\.\\")) != std::string::npos;)
      Text.erase(At, 2);
    if (Text.size() + 1 > BufferLength) {
      Length = static_cast<std::uint32_t>(Text.size() + 1);
      return vv::VV_ERROR_INSUFFICIENT_BUFFER;
    }
    Canonical = Text;
    Length = static_cast<std::uint32_t>(Text.size());
    return 0;
  }

  std::vector<std::string> Calls;
  vv::HRESULT ConnectResult = vv::VV_S_OK;
  vv::HRESULT RegisterResult = vv::VV_S_OK;
  std::uint32_t CanonicalizeError = 0;
  std::string LastCanonicalized;
  std::uint32_t LastFlags = 0;
};

class RecordingSink : public vv::TInternetProtocolSink {
public:
  void ReportData(std::uint32_t BSCF, std::uint32_t Progress, std::uint32_t ProgressMax) override {
    if (FailOnData)
      throw vv::Exception("sink gone");
    Reports.push_back("Data " + std::to_string(BSCF) + " " + std::to_string(Progress) + " " +
                      std::to_string(ProgressMax));
  }
  void ReportResult(vv::HRESULT Result, std::uint32_t Error, const char16_t* Text) override {
    Reports.push_back("Result " + std::to_string(Result) + " " + std::to_string(Error) + (Text ? " text" : ""));
  }
  std::vector<std::string> Reports;
  bool FailOnData = false;
};

} // namespace vvtest

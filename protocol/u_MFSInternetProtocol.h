#pragma once
// Serves the files of one book volume under one URL scheme.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/u_InternetProtocolSupport.h"
#include "storage/u_MFS.h"

namespace vv {

class TMFSInternetProtocol;

using TMFSAfterGetDataEvent = std::function<void(TMFSInternetProtocol* Sender, const std::string& Path, std::string& Data)>;
using TMFSBeforeGetDataEvent =
    std::function<void(TMFSInternetProtocol* Sender, std::string& Path, std::string& Data, bool& Handled)>;
using TMFSBeforeCombineURLEvent =
    std::function<void(TMFSInternetProtocol* Sender, std::string& BasePath, std::string& RelativePath)>;

class TMFSInternetProtocol {
public:
  // Registers the scheme at once; a registration error propagates and nothing is left registered.
  TMFSInternetProtocol(std::string_view Protocol, TMFS* Volume);
  // Unregisters the scheme.
  ~TMFSInternetProtocol();
  TMFSInternetProtocol(const TMFSInternetProtocol&) = delete;
  TMFSInternetProtocol& operator=(const TMFSInternetProtocol&) = delete;

  void SupportGetData(TInternetProtocolSupport* Sender, const std::string& URL, std::string& Data);
  void SupportCombineURL(TInternetProtocolSupport* Sender, const std::string& BaseURL, const std::string& RelativeURL,
                         std::string& Result);

  // The file a request path names; a path with "?" that names no file falls
  // back to the file before the "?".
  [[nodiscard]] std::string ReadBookFile(const std::string& Path) const;

  TMFS* const Volume; // not owned
  TMFSAfterGetDataEvent OnAfterGetData;
  TMFSBeforeGetDataEvent OnBeforeGetData;
  TMFSBeforeCombineURLEvent OnBeforeCombineURL;
  const std::string Protocol;
  std::unique_ptr<TInternetProtocolSupport> Support;
};

} // namespace vv

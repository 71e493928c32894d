#include "protocol/u_MFSInternetProtocol.h"

namespace vv {

TMFSInternetProtocol::TMFSInternetProtocol(std::string_view Protocol, TMFS* Volume)
    : Volume(Volume), Protocol(Protocol), Support(std::make_unique<TInternetProtocolSupport>()) {
  Support->SetProtocol(Protocol);
  Support->OnGetData = [this](TInternetProtocolSupport* Sender, const std::string& URL, std::string& Data) {
    SupportGetData(Sender, URL, Data);
  };
  Support->OnCombineURL = [this](TInternetProtocolSupport* Sender, const std::string& Base, const std::string& Rel,
                                 std::string& Result) { SupportCombineURL(Sender, Base, Rel, Result); };
  Support->SetActive(true);
}

TMFSInternetProtocol::~TMFSInternetProtocol() { Support.reset(); }

std::string TMFSInternetProtocol::ReadBookFile(const std::string& Path) const {
  TMFSSession& Session = Volume->DefaultSession();
  // Generated HTML appends cache-busting queries ("theme.css?v=3"); a name that
  // really contains "?" still wins, the file before the query comes second.
  if (const auto Query = Path.find('?'); Query != std::string::npos && !Session.Exists(Path)) {
    const std::string File = Path.substr(0, Query);
    if (Session.Exists(File))
      return Session.GetFile(File)->Content;
  }
  return Session.GetFile(Path)->Content;
}

void TMFSInternetProtocol::SupportGetData(TInternetProtocolSupport*, const std::string& URL, std::string& Data) {
  Data.clear();
  std::string Path = URL;
  // A URL that repeats its own scheme (mfs:mfs:\a.htm) is served as the path after it.
  if (Path.size() > Protocol.size() && Path[Protocol.size()] == ':' &&
      SameText(std::string_view(Path).substr(0, Protocol.size()), Protocol))
    Path.erase(0, Protocol.size() + 1);
  bool Handled = false;
  if (OnBeforeGetData)
    OnBeforeGetData(this, Path, Data, Handled);
  if (!Handled)
    Data = ReadBookFile(Path);
  if (OnAfterGetData)
    OnAfterGetData(this, Path, Data);
}

void TMFSInternetProtocol::SupportCombineURL(TInternetProtocolSupport*, const std::string& BaseURL,
                                             const std::string& RelativeURL, std::string& Result) {
  std::string Base = BaseURL, Rel = RelativeURL;
  Result.clear();
  if (OnBeforeCombineURL)
    OnBeforeCombineURL(this, Base, Rel);
  Base = TMFS::NormalizeSeparators(Base);
  Rel = TMFS::NormalizeSeparators(Rel);
  if (!Rel.empty() && Rel.front() == '\\')
    Result = Rel;
  else
    Result = TMFS::ExtractPath(Base) + Rel;
}

} // namespace vv

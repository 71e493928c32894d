#include "shell/u_ReadingStateFiles.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vv {

namespace {
// Far above what the viewer writes (a page path and a few numbers).
constexpr std::size_t MaxStateFileSize = 64 * 1024;

std::filesystem::path StateFile(const std::string& Identity) {
  const std::filesystem::path Folder = ReadingStateFolder();
  return Folder.empty() || Identity.empty() ? std::filesystem::path() : Folder / (Identity + ".state");
}

#ifdef _WIN32
// Pipes and devices do not live among a folder's files on Windows: a regular
// file's size is all there is to check.
std::optional<std::string> ReadStateText(const std::filesystem::path& File) {
  std::error_code Error;
  if (!std::filesystem::is_regular_file(File, Error) || std::filesystem::file_size(File, Error) > MaxStateFileSize ||
      Error)
    return std::nullopt;
  std::ifstream Stream(File, std::ios::binary);
  std::string Text(std::istreambuf_iterator<char>(Stream), {});
  if (Stream.bad() || Text.size() > MaxStateFileSize)
    return std::nullopt;
  return Text;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }
#else

// The file's text, if it is a regular file of a sensible size: whatever else
// stands in its place (a pipe, a device, something huge) is no state of ours
// and must neither block nor flood the viewer.
std::optional<std::string> ReadStateText(const std::filesystem::path& File) {
  const int Fd = ::open(File.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0)
    return std::nullopt;
  std::optional<std::string> Text;
  struct stat Info {};
  if (::fstat(Fd, &Info) == 0 && S_ISREG(Info.st_mode) && Info.st_size <= static_cast<off_t>(MaxStateFileSize)) {
    std::string Bytes(MaxStateFileSize + 1, '\0');
    std::size_t Got = 0;
    for (ssize_t N; Got < Bytes.size() && (N = ::read(Fd, Bytes.data() + Got, Bytes.size() - Got)) != 0;) {
      if (N < 0) {
        if (errno == EINTR)
          continue;
        Got = Bytes.size();
        break;
      }
      Got += static_cast<std::size_t>(N);
    }
    if (Got <= MaxStateFileSize)
      Text = Bytes.substr(0, Got);
  }
  ::close(Fd);
  return Text;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }
#endif
} // namespace

std::filesystem::path ReadingStateFolder() {
#ifdef _WIN32
  PWSTR Local = nullptr;
  std::filesystem::path Folder;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &Local) == S_OK)
    Folder = std::filesystem::path(Local) / L"Vellumview" / L"ReadingState";
  CoTaskMemFree(Local);
  return Folder;
#else
  if (const char* State = std::getenv("XDG_STATE_HOME"); State && *State == '/')
    return std::filesystem::path(State) / "vellumview";
  if (const char* Home = std::getenv("HOME"); Home && *Home)
    return std::filesystem::path(Home) / ".local/state/vellumview";
  return {};
#endif
}

std::optional<TReadingState> TReadingStateFiles::Load(const std::string& Identity) {
  const std::filesystem::path File = StateFile(Identity);
  const std::optional<std::string> Text = File.empty() ? std::nullopt : ReadStateText(File);
  return Text ? ParseReadingState(*Text) : std::nullopt;
}

bool TReadingStateFiles::Save(const std::string& Identity, const TReadingState& State) {
  const std::filesystem::path File = StateFile(Identity);
  if (File.empty())
    return false;
  const std::string Text = FormatReadingState(State);
  std::error_code Error;
  std::filesystem::create_directories(File.parent_path(), Error);
  std::filesystem::path Temporary = File;
  Temporary += ".tmp" + std::to_string(ProcessId());
  {
    std::ofstream Stream(Temporary, std::ios::binary | std::ios::trunc);
    if (!(Stream << Text) || !Stream.flush()) {
      Stream.close();
      std::filesystem::remove(Temporary, Error);
      return false;
    }
  }
  std::filesystem::rename(Temporary, File, Error);
  const bool Renamed = !Error;
  if (!Renamed)
    std::filesystem::remove(Temporary, Error);
  return Renamed;
}

} // namespace vv

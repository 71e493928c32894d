#pragma once
// The browser control's option sets as the book's pages and windows set them:
// what it downloads and runs (the ambient download control), and how it
// shows a document (the host's UI flags), with their system bit masks.

#include <cstdint>
#include <set>

namespace vv {

enum class TDownloadControlOption : int {
  DLCTL_DLIMAGES,
  DLCTL_VIDEOS,
  DLCTL_BGSOUNDS,
  DLCTL_NO_SCRIPTS,
  DLCTL_NO_JAVA,
  DLCTL_NO_RUNACTIVEXCTLS,
  DLCTL_NO_DLACTIVEXCTLS,
  DLCTL_DOWNLOADONLY,
  DLCTL_NO_FRAMEDOWNLOAD,
  DLCTL_RESYNCHRONIZE,
  DLCTL_PRAGMA_NO_CACHE,
  DLCTL_NO_BEHAVIORS,
  DLCTL_NO_METACHARSET,
  DLCTL_URL_ENCODING_DISABLE_UTF8,
  DLCTL_URL_ENCODING_ENABLE_UTF8,
  DLCTL_FORCEOFFLINE,
  DLCTL_NO_CLIENTPULL,
  DLCTL_SILENT,
  DLCTL_OFFLINE,
};
using TDownloadControlOptions = std::set<TDownloadControlOption>;

enum class TUserInterfaceOption : int {
  DIALOG,
  DISABLE_HELP_MENU,
  NO3DBORDER,
  SCROLL_NO,
  DISABLE_SCRIPT_INACTIVE,
  OPENNEWWIN,
  DISABLE_OFFSCREEN,
  FLAT_SCROLLBAR,
  DIV_BLOCKDEFAULT,
  ACTIVATE_CLIENTHIT_ONLY,
  OVERRIDEBEHAVIORFACTORY,
  CODEPAGELINKEDFONTS,
  URL_ENCODING_DISABLE_UTF8,
  URL_ENCODING_ENABLE_UTF8,
  ENABLE_FORMS_AUTOCOMPLETE,
  ENABLE_INPLACE_NAVIGATION,
  IME_ENABLE_RECONVERSION,
  THEME,
  NOTHEME,
  NOPICS,
  NO3DOUTERBORDER,
};
using TUserInterfaceOptions = std::set<TUserInterfaceOption>;

[[nodiscard]] std::int32_t DownloadControlMask(const TDownloadControlOptions& Options);
[[nodiscard]] std::int32_t HostUIMask(const TUserInterfaceOptions& Options);

// Mask bits the engine has an equivalent for.
constexpr std::int32_t DLCTL_DLIMAGES_BIT = 0x10;
constexpr std::int32_t DLCTL_NO_SCRIPTS_BIT = 0x80;
constexpr std::int32_t DOCHOSTUIFLAG_SCROLL_NO = 0x8;

} // namespace vv

#pragma once
// The book's greeting at start and farewell at close: a pop-up message box or
// a borderless picture window that closes itself after its interval.

#include <optional>
#include <string>

#include "forms/i_FormViews.h"
#include "platform/i_MessageLoop.h"
#include "storage/u_MFS.h"
#include "text/u_eBookCommon.h"

namespace vv {

inline constexpr const char* SplashFileS = "SplashS.bmp";
inline constexpr const char* SplashFileE = "SplashE.bmp";
inline constexpr const char* SPopUpCaption = "Information";
// Longest display interval, seconds.
inline constexpr int MaxSplashInterval = 10;

// The picture type a splash file's extension (any case) names; none for
// other extensions, whose pictures are not shown.
[[nodiscard]] std::optional<TPictureKind> SplashPictureType(const std::string& File);

// Set when the current splash has finished (closed, or never shown); one flag
// for the whole process.
[[nodiscard]] bool SplashFinished();

// Shows the start (AtStart) or end greeting of Options; no Options, nothing.
// Pictures are SplashS.bmp / SplashE.bmp in the current folder of
// SystemVolume's default session (no volume: no picture). At start it returns
// at once and leaves the splash to close itself through Loop; at the end it
// sets SplashDone false, waits in Loop until the splash has finished and sets
// it true again (a wait for SplashDone nested in that wait ends with it).
// Errors propagate after the close has been requested and waited for.
void ShowSplash(const TSplashOptions* Options, bool AtStart, TMFS* SystemVolume, bool& SplashDone, IFormViews& Views,
                IMessageLoop& Loop);

} // namespace vv

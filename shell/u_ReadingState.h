#pragma once
// What the reader leaves behind in a book: the last page and its scroll
// position, the text size, the contents pane, the window and the search
// window's size; and where each platform keeps it.

#include <optional>
#include <string>
#include <vector>

#include "platform/u_ViewTypes.h"
#include "storage/u_MFS.h"

namespace vv {

struct TWindowPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Maximized = false;
};

struct TReadingState {
  std::string Page; // book path of the page shown, without its fragment
  int ScrollLeft = 0; // the page's scroll position, in CSS pixels
  int ScrollTop = 0;
  int FontSize = 2;
  bool ContentsVisible = false;
  int ContentsWidth = 0;
  std::optional<TWindowPlacement> Window; // only for resizable windows
  int SearchWidth = 0; // the search window's size; 0 until it was resized
  int SearchHeight = 0;
};

// Where a platform keeps the reading state, per book identity.
class IReadingStateStore {
public:
  virtual ~IReadingStateStore() = default;
  // None when there is none or it cannot be read.
  [[nodiscard]] virtual std::optional<TReadingState> Load(const std::string& Identity) = 0;
  // False when it cannot be written; nothing else changes then.
  virtual bool Save(const std::string& Identity, const TReadingState& State) = 0;
};

// One identity per book content: a renamed copy of a book executable keeps
// it, a new edition does not. Hashes every file's path, size and first and
// last bytes, so a large book costs little at start.
[[nodiscard]] std::string BookIdentity(const TMFS& SystemVolume, const TMFS& FilesVolume);

// The stored text: "key=value" lines; unknown or malformed lines are skipped,
// values out of range are not taken.
[[nodiscard]] std::optional<TReadingState> ParseReadingState(const std::string& Text);
[[nodiscard]] std::string FormatReadingState(const TReadingState& State);

// A remembered place fitted to today's screens (their available areas, the
// primary first): on the screen it overlaps most, else the primary one, no
// larger than that screen, and wholly on it.
[[nodiscard]] TRect FitToScreens(const TRect& Rect, const std::vector<TRect>& Screens);

} // namespace vv

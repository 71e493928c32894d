#pragma once
// What the reader leaves behind in a book, kept per book in the user's state
// folder: the last page and its scroll position, the text size, the contents
// pane, the window and the search window's size.

#include <optional>
#include <string>

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

// One identity per book content: a renamed copy of a book executable keeps
// it, a new edition does not. Hashes every file's path, size and first and
// last bytes, so a large book costs little at start.
[[nodiscard]] std::string BookIdentity(const TMFS& SystemVolume, const TMFS& FilesVolume);

// $XDG_STATE_HOME/vellumview, else ~/.local/state/vellumview; empty when
// neither can be named.
[[nodiscard]] std::string ReadingStateFolder();

// The state left in the book of that identity; none when there is none or it
// cannot be read. Unknown or malformed lines are skipped.
[[nodiscard]] std::optional<TReadingState> LoadReadingState(const std::string& Identity);

// Written through a temporary file renamed into place, so a reader never sees
// half a file; false when the folder cannot be written (nothing else changes).
bool SaveReadingState(const std::string& Identity, const TReadingState& State);

} // namespace vv

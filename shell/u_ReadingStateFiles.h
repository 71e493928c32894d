#pragma once
// The reading state kept as one small file per book in the user's state folder.

#include <filesystem>

#include "shell/u_ReadingState.h"

namespace vv {

// Linux: $XDG_STATE_HOME/vellumview, else ~/.local/state/vellumview.
// Windows: Vellumview\ReadingState in the user's local application data.
// Empty when it cannot be named.
[[nodiscard]] std::filesystem::path ReadingStateFolder();

class TReadingStateFiles : public IReadingStateStore {
public:
  // Only a regular file of a sensible size is read: whatever else stands in
  // its place must neither block nor flood the viewer.
  [[nodiscard]] std::optional<TReadingState> Load(const std::string& Identity) override;
  // Written through a temporary file renamed into place, so a reader never sees half a file.
  bool Save(const std::string& Identity, const TReadingState& State) override;
};

} // namespace vv

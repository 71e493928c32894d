#pragma once
// The reading state kept as one small file per book in the user's state folder.

#include "shell/u_ReadingState.h"

namespace vv {

// $XDG_STATE_HOME/vellumview, else ~/.local/state/vellumview; empty when
// neither can be named.
[[nodiscard]] std::string ReadingStateFolder();

class TReadingStateFiles : public IReadingStateStore {
public:
  // Only a regular file of a sensible size is read: whatever else stands in
  // its place must neither block nor flood the viewer.
  [[nodiscard]] std::optional<TReadingState> Load(const std::string& Identity) override;
  // Written through a temporary file renamed into place, so a reader never sees half a file.
  bool Save(const std::string& Identity, const TReadingState& State) override;
};

} // namespace vv

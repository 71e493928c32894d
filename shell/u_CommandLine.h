#pragma once
// The viewer's command line: it takes no book arguments, only the switches
// of an automation server ("/" or "-", any case).

namespace vv {

enum class TServerSwitch {
  None,
  RegServer,   // write the server's registration and end
  UnregServer, // remove it and end
  StartedByCom // "AUTOMATION" or "EMBEDDING": COM started the viewer
};

// The first server switch among the arguments; others are ignored.
[[nodiscard]] TServerSwitch ServerSwitchOf(int argc, const char* const* argv);

} // namespace vv

#include "shell/u_CommandLine.h"

#include <string_view>

#include "text/u_Utils.h"

namespace vv {

TServerSwitch ServerSwitchOf(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '/' && argv[i][0] != '-')
      continue;
    const std::string_view Switch(argv[i] + 1);
    if (SameText(Switch, "REGSERVER"))
      return TServerSwitch::RegServer;
    if (SameText(Switch, "UNREGSERVER"))
      return TServerSwitch::UnregServer;
    if (SameText(Switch, "AUTOMATION") || SameText(Switch, "EMBEDDING"))
      return TServerSwitch::StartedByCom;
  }
  return TServerSwitch::None;
}

} // namespace vv

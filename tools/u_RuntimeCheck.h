#pragma once
// Whether a book executable runs on this machine, checked where it is built.

#include <ostream>
#include <string>

namespace vv {

struct TCommandResult {
  int Status;         // the exit status; 127 when the command could not be run
  std::string Output; // standard output and error together
};

// Runs Command through the shell and collects what it prints.
[[nodiscard]] TCommandResult RunCapture(const std::string& Command);

// Checks that every shared library Book needs resolves (ldd), that Qt
// WebEngine's helper process is installed at WebEngineProcess (or where
// QTWEBENGINEPROCESS_PATH points), and that the book unpacks its own archives
// ("Book --self-test"). One line per finding on Out; returns the number of
// problems found.
[[nodiscard]] int CheckRuntime(const std::string& Book, const std::string& WebEngineProcess,
                               std::ostream& Out);

} // namespace vv

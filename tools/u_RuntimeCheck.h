#pragma once
// Whether a book executable runs on this machine, checked where it is built.

#include <ostream>
#include <string>

namespace vv {

// Checks what the book needs of this system and that it unpacks its own
// archives ("Book --self-test"). Linux: every shared library it needs
// resolves (ldd), and Qt WebEngine's helper process is installed (where
// QTWEBENGINEPROCESS_PATH points, or where Qt was installed at build time).
// Windows: the system's web browser control is registered; the libraries a
// book imports are the system's own, which the self-test's start loads.
// One line per finding on Out; returns the number of problems found.
[[nodiscard]] int CheckRuntime(const std::string& Book, std::ostream& Out);

} // namespace vv

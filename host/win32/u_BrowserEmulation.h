#pragma once
// The document mode the system's browser control gives the running
// executable's pages. Without a setting the control shows every page as its
// oldest engine did; the setting is per executable name, under the current
// user, so a book needs no installation and no administrator.

#include <cstdint>

namespace vv {

// 11000: the engine's current standards mode for pages that declare a
// document type, quirks mode for pages that do not. That is the choice the
// Linux engine makes by the same rule, so a book's pages are laid out alike
// on both; 11001 would force standards mode on old pages written for quirks.
constexpr std::uint32_t BrowserEmulationMode = 11000;

// Writes the mode for this executable's file name unless it is already there;
// false when the registry refused (the control then keeps its old mode).
bool SetBrowserEmulation() noexcept;

} // namespace vv

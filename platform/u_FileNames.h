#pragma once
// File names held as std::string: UTF-8 on Windows, where the system's own
// names are UTF-16, and the system's bytes elsewhere. Every std::string name
// meets std::filesystem through these two, so a name in any script survives
// the round trip (the narrow conversions of std::filesystem use the ANSI code
// page on Windows, which loses characters or throws).

#include <filesystem>
#include <string>
#include <string_view>

namespace vv {

[[nodiscard]] inline std::filesystem::path PathOf(std::string_view Name) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(Name.data()), Name.size()));
}

[[nodiscard]] inline std::string NameOf(const std::filesystem::path& Path) {
  const std::u8string Name = Path.u8string();
  return std::string(Name.begin(), Name.end());
}

} // namespace vv

#pragma once
// Texts of the cabinet interface's error numbers.

#include <cstdint>
#include <string>

namespace vv {

[[nodiscard]] std::string FDIErrorText(std::int32_t Code);

} // namespace vv

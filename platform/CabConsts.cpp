#include "platform/CabConsts.h"

namespace vv {

std::string FDIErrorText(std::int32_t Code) {
  static const char* const Texts[] = {
      "No error",
      "Cabinet not found",
      "Cabinet file does not have the correct format",
      "Cabinet file has an unknown version number",
      "Cabinet file is corrupt",
      "Could not allocate enough memory",
      "Unknown compression type in a cabinet folder",
      "Failure decompressing data from a cabinet file",
      "Failure writing to target file",
      "Cabinets in a set do not have the same RESERVE sizes",
      "Cabinet returned on fdintNEXT_CABINET is incorrect",
      "FDI aborted",
  };
  if (Code >= 0 && Code < static_cast<std::int32_t>(std::size(Texts))) return Texts[Code];
  return "FDI error";
}

} // namespace vv

#pragma once
// Hand-built container records, so that tests state the byte format themselves.

#include <cstdint>
#include <cstdio>
#include <string>

#include "text/u_Utils.h"

namespace mfsbytes {

inline std::string U32(std::uint32_t V) {
  return std::string{static_cast<char>(V), static_cast<char>(V >> 8), static_cast<char>(V >> 16),
                     static_cast<char>(V >> 24)};
}

inline std::string Head(const std::string& Name, std::uint32_t DateTime, std::uint32_t Attributes) {
  return U32(static_cast<std::uint32_t>(Name.size())) + Name + U32(DateTime) + U32(Attributes);
}

inline std::string File(const std::string& Name, const std::string& Content, std::uint32_t Attributes = 0x20) {
  return "F" + Head(Name, 0x58A17000, Attributes) + U32(static_cast<std::uint32_t>(Content.size())) + Content;
}

// A folder record; with a type byte when it is a child.
inline std::string Folder(const std::string& Name, std::uint32_t Count, const std::string& Children,
                          bool AsChild = true) {
  return (AsChild ? "D" : "") + Head(Name, 0x58A17000, 0x10) + U32(Count) + Children;
}

inline std::string Container(const std::string& RootRecord) {
  char Digits[9];
  std::snprintf(Digits, sizeof Digits, "%08X", vv::MFSChecksum(RootRecord));
  return "MFS" + std::string(Digits, 8) + RootRecord;
}

} // namespace mfsbytes

#include "text/u_eBookCommon.h"

#include <array>

namespace vv {

const std::string_view ToolButtonKindNames[18] = {
    "tbkSeparator", "tbkBack",         "tbkForward",     "tbkFirst", "tbkPrior",   "tbkNext",
    "tbkLast",      "tbkPriorChapter", "tbkNextChapter", "tbkAbout", "tbkExit",    "tbkFontSize",
    "tbkSearch",    "tbkFavourites",   "tbkPrint",       "tbkCopy",  "tbkRefresh", "tbkHome"};
const std::string_view SplashTypeNames[3] = {"vsNone", "vsPopUp", "vsSplash"};
const std::string_view ToolbarPlacementNames[3] = {"tpTop", "tpBottom", "tpNoToolbar"};

int EnumOrdinalFromName(std::span<const std::string_view> Names, std::string_view Text) {
  // Names are ASCII, so the system comparison folds exactly the ASCII letters here.
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Text)) return static_cast<int>(i);
  return 0;
}

TSplashType SplashTypeFromName(std::string_view Text) {
  return static_cast<TSplashType>(EnumOrdinalFromName(SplashTypeNames, Text));
}
TToolbarPlacement ToolbarPlacementFromName(std::string_view Text) {
  return static_cast<TToolbarPlacement>(EnumOrdinalFromName(ToolbarPlacementNames, Text));
}
TToolButtonKind ToolButtonKindFromName(std::string_view Text) {
  return static_cast<TToolButtonKind>(EnumOrdinalFromName(ToolButtonKindNames, Text));
}

namespace {
// The platform's default scheme, by system colour index (0xBBGGRR values).
constexpr std::array<std::uint32_t, 31> SystemColors = {
    0xC8C8C8, // 0 scroll bar
    0x000000, // 1 background
    0xD1B499, // 2 active caption
    0xDBCDBF, // 3 inactive caption
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xB4B4B4, // 10 active border
    0xFCF7F4, // 11 inactive border
    0xABABAB, // 12 application workspace
    0xD77800, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 grey text
    0x000000, // 18 button text
    0x000000, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3D dark shadow
    0xE3E3E3, // 22 3D light
    0x000000, // 23 info text
    0xE1FFFF, // 24 info background
    0x000000, // 25 (unused)
    0xCC6600, // 26 hot light
    0xEAD1B9, // 27 gradient active caption
    0xF2E4D7, // 28 gradient inactive caption
    0xFF9933, // 29 menu highlight
    0xF0F0F0, // 30 menu bar
};

TRGB FromBGR(std::uint32_t Value) {
  return {static_cast<std::uint8_t>(Value & 0xFF), static_cast<std::uint8_t>((Value >> 8) & 0xFF),
          static_cast<std::uint8_t>((Value >> 16) & 0xFF)};
}

std::string ReadText(const TXMLAttributes& A, std::string_view Name, const char* Default) {
  return A.GetValue(Name, Default).ToText();
}
std::int32_t ReadInteger(const TXMLAttributes& A, std::string_view Name, std::int32_t Default) {
  return A.GetValue(Name, Default).ToInteger();
}
bool ReadBoolean(const TXMLAttributes& A, std::string_view Name, bool Default) {
  return A.GetValue(Name, Default).ToBoolean();
}
} // namespace

bool IsSystemColor(TColor Color) {
  return (static_cast<std::uint32_t>(Color) >> 24) == 0x80;
}

TRGB ColorToRGB(TColor Color) {
  const auto Value = static_cast<std::uint32_t>(Color);
  if (IsSystemColor(Color)) {
    const std::uint32_t Index = Value & 0xFF;
    return Index < SystemColors.size() ? FromBGR(SystemColors[Index]) : TRGB{};
  }
  return FromBGR(Value);
}

TSplashOptions::TSplashOptions()
    : PopUpTextS("Starting pop-up text..."), PopUpTextE("Ending pop-up text..."),
      SplashTypeS(vsNone), SplashTypeE(vsNone), Interval(3), CloseOnClick(false) {}

void TSplashOptions::LoadFromNode(const TXMLNode* Node) {
  if (!Node) return;
  const TXMLAttributes& A = *Node->Attributes;
  CloseOnClick = ReadBoolean(A, "CloseOnClick", false);
  Interval = ReadInteger(A, "Interval", 3);
  PopUpTextS = ReadText(A, "PopUpTextS", "");
  PopUpTextE = ReadText(A, "PopUpTextE", "");
  SplashTypeS = SplashTypeFromName(ReadText(A, "SplashTypeS", ""));
  SplashTypeE = SplashTypeFromName(ReadText(A, "SplashTypeE", ""));
}

TToolbarOptions::TToolbarOptions()
    : ToolbarPlacement(tpTop), LogoDisplay(false), ToolbarTextColor(0), ToolbarBackColor(0),
      ToolbarBtnW(32), ToolbarBtnH(32), ToolbarImgW(24), ToolbarImgH(24), ToolbarShowCaption(false),
      ToolbarFlat(false) {}

void TToolbarOptions::LoadFromNode(const TXMLNode* Node) {
  if (!Node) return;
  const TXMLAttributes& A = *Node->Attributes;
  ToolbarPlacement = ToolbarPlacementFromName(ReadText(A, "ToolbarPlacement", ""));
  LogoDisplay = ReadBoolean(A, "LogoDisplay", false);
  ToolbarTextColor = ReadInteger(A, "ToolbarTextColor", 0);
  ToolbarBackColor = ReadInteger(A, "ToolbarBackColor", 0);
  ToolbarBtnW = ReadInteger(A, "ToolbarBtnW", 32);
  ToolbarBtnH = ReadInteger(A, "ToolbarBtnH", 32);
  ToolbarImgW = ReadInteger(A, "ToolbarImgW", 24);
  ToolbarImgH = ReadInteger(A, "ToolbarImgH", 24);
  ToolbarShowCaption = ReadBoolean(A, "ToolbarShowCaption", true);
  ToolbarFlat = ReadBoolean(A, "ToolbarFlat", false);
  LogoLink = ReadText(A, "LogoLink", "");
  LogoText = ReadText(A, "LogoText", "");
}

TCodePage SettingsCodePage(const TXMLNode* SystemRoot) {
  if (!SystemRoot) return TCodePage::Windows1252;
  const std::string Declared = SystemRoot->Attributes->GetValue("Encoding", "").ToText();
  return SameText(Declared, "UTF-8") || SameText(Declared, "utf8") ? TCodePage::Utf8 : TCodePage::Windows1252;
}

} // namespace vv

#pragma once
// Book settings shared by start-up, the toolbar and the splash: the
// enumerations, the splash and toolbar records, and colour values.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/u_Convert.h"
#include "text/u_SpaceXMLParser.h"

namespace vv {

enum TToolButtonKind : int {
  tbkSeparator = 0,
  tbkBack = 1,
  tbkForward = 2,
  tbkFirst = 3,
  tbkPrior = 4,
  tbkNext = 5,
  tbkLast = 6,
  tbkPriorChapter = 7,
  tbkNextChapter = 8,
  tbkAbout = 9,
  tbkExit = 10,
  tbkFontSize = 11,
  tbkSearch = 12,
  tbkFavourites = 13,
  tbkPrint = 14,
  tbkCopy = 15,
  tbkRefresh = 16,
  tbkHome = 17,
};

enum TSplashType : int { vsNone = 0, vsPopUp = 1, vsSplash = 2 };

enum TToolbarPlacement : int { tpTop = 0, tpBottom = 1, tpNoToolbar = 2 };

// Names by ordinal.
extern const std::string_view ToolButtonKindNames[18];
extern const std::string_view SplashTypeNames[3];
extern const std::string_view ToolbarPlacementNames[3];

// The ordinal of the name equal to Text (ASCII letters without regard to
// case); 0 for an empty text or one that is no name. Ordinals are not names.
[[nodiscard]] int EnumOrdinalFromName(std::span<const std::string_view> Names,
                                      std::string_view Text);
[[nodiscard]] TSplashType SplashTypeFromName(std::string_view Text);
[[nodiscard]] TToolbarPlacement ToolbarPlacementFromName(std::string_view Text);
[[nodiscard]] TToolButtonKind ToolButtonKindFromName(std::string_view Text);

// The code page of the book's strings, from System.xml's root: Encoding="UTF-8"
// (any case, or "utf8") declares UTF-8; anything else, or nothing, is
// Windows-1252, as every book was before the declaration existed.
[[nodiscard]] TCodePage SettingsCodePage(const TXMLNode* SystemRoot);

// Red in the lowest byte, then green, then blue; top byte 0x80 names a system
// colour by the index in the lowest byte.
using TColor = std::int32_t;

struct TRGB {
  std::uint8_t R = 0, G = 0, B = 0;
  friend bool operator==(const TRGB&, const TRGB&) = default;
};

[[nodiscard]] bool IsSystemColor(TColor Color);
// System colours resolve to the platform's default scheme (unknown indexes give black).
[[nodiscard]] TRGB ColorToRGB(TColor Color);

class TSplashOptions {
public:
  TSplashOptions();
  // Node may be nullptr (no splash element): the fields stay as they are.
  void LoadFromNode(const TXMLNode* Node);

  std::string PopUpTextS;
  std::string PopUpTextE;
  TSplashType SplashTypeS;
  TSplashType SplashTypeE;
  std::int32_t Interval; // seconds
  bool CloseOnClick;
};

class TToolbarOptions {
public:
  TToolbarOptions();
  // Node may be nullptr (no toolbar element): the fields stay as they are.
  void LoadFromNode(const TXMLNode* Node);

  TToolbarPlacement ToolbarPlacement;
  bool LogoDisplay;
  TColor ToolbarTextColor;
  TColor ToolbarBackColor;
  std::int32_t ToolbarBtnW;
  std::int32_t ToolbarBtnH;
  std::int32_t ToolbarImgW;
  std::int32_t ToolbarImgH;
  bool ToolbarShowCaption;
  bool ToolbarFlat;
  std::string LogoLink; // variables substituted when used
  std::string LogoText; // variables substituted when used
};

} // namespace vv

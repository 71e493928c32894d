#pragma once
// The toolbar pictures vellumpack gives a book: one 24 x 24 glyph per command,
// drawn here in one style, as 24-bit BMP files whose pixel (0, 0) carries the
// colour the toolbar makes transparent.

#include <string>
#include <vector>

namespace vv {

struct TToolbarPicture {
  std::string Name; // the command it shows: "back", "next", "print", ...
  std::string Bmp;  // the file's bytes
};

[[nodiscard]] std::vector<TToolbarPicture> DrawToolbarPictures();

} // namespace vv

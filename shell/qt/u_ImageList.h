#pragma once
// The toolbar's image list as Qt draws it.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <vector>

namespace vv {

// Picture drawn at Size points: on a screen with more pixels per point it
// carries that many more pixels, scaled smoothly, so it is not drawn blocky.
[[nodiscard]] QPixmap SmoothPixmap(const QImage& Picture, QSize Size);

// The toolbar's pictures, each drawn sharp on dense screens.
class TImageList {
public:
  // Adds Image with the colour Transparent (when given) made see-through.
  int Add(const QImage& Image, const QColor* Transparent);
  [[nodiscard]] int Count() const { return static_cast<int>(Icons.size()); }
  // An empty icon for indexes outside the list.
  [[nodiscard]] QIcon Icon(int Index) const;

private:
  std::vector<QIcon> Icons;
};

} // namespace vv

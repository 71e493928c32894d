#pragma once
// The toolbar's image list: pictures of one configured size, each with its
// transparent colour applied.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <vector>

namespace vv {

// Picture drawn at Size points: on a screen with more pixels per point it
// carries that many more pixels, scaled smoothly, so it is not drawn blocky.
[[nodiscard]] QPixmap SmoothPixmap(const QImage& Picture, QSize Size);

class TImageList {
public:
  void SetSize(int Width, int Height);
  [[nodiscard]] int Width() const { return FWidth; }
  [[nodiscard]] int Height() const { return FHeight; }

  // A picture smaller than the list's size raises EInvalidOperation "Invalid
  // image size". A larger one gives its top-left cell of the list's size, so
  // later images keep their indexes.
  int AddMasked(const QImage& Picture, QColor Transparent);
  int AddIcon(const QImage& Icon);
  [[nodiscard]] int Count() const { return static_cast<int>(Icons.size()); }
  // An empty icon for indexes outside the list.
  [[nodiscard]] QIcon Icon(int Index) const;

private:
  [[nodiscard]] QImage Cell(const QImage& Picture) const;
  int FWidth = 16;
  int FHeight = 16;
  std::vector<QIcon> Icons;
};

} // namespace vv

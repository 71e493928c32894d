#include "shell/u_ImageList.h"

#include <QGuiApplication>
#include <QPixmap>

#include "text/u_Utils.h"

namespace vv {

QPixmap SmoothPixmap(const QImage& Picture, QSize Size) {
  const qreal Ratio = qApp->devicePixelRatio();
  if (Ratio <= 1 && Size == Picture.size())
    return QPixmap::fromImage(Picture);
  QPixmap Dense = QPixmap::fromImage(Picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                         .scaled(Size * std::max<qreal>(Ratio, 1), Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation));
  Dense.setDevicePixelRatio(std::max<qreal>(Ratio, 1));
  return Dense;
}

namespace {
// The book's pictures are drawn for one pixel per point; a denser screen
// takes the icon's smoothly scaled copy.
QIcon SharpIcon(const QImage& Picture) {
  QIcon Icon(QPixmap::fromImage(Picture));
  if (qApp->devicePixelRatio() > 1)
    Icon.addPixmap(SmoothPixmap(Picture, Picture.size()));
  return Icon;
}
} // namespace

void TImageList::SetSize(int Width, int Height) {
  FWidth = Width;
  FHeight = Height;
}

QImage TImageList::Cell(const QImage& Picture) const {
  if (Picture.width() < FWidth || Picture.height() < FHeight)
    throw EInvalidOperation("Invalid image size");
  return Picture.copy(0, 0, FWidth, FHeight);
}

int TImageList::AddMasked(const QImage& Picture, QColor Transparent) {
  QImage Image = Cell(Picture).convertToFormat(QImage::Format_ARGB32);
  const QRgb Key = Transparent.rgb() & 0xFFFFFF;
  for (int Y = 0; Y < Image.height(); ++Y) {
    auto* Line = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int X = 0; X < Image.width(); ++X)
      if ((Line[X] & 0xFFFFFF) == Key)
        Line[X] = 0;
  }
  Icons.push_back(SharpIcon(Image));
  return Count() - 1;
}

int TImageList::AddIcon(const QImage& Icon) {
  Icons.push_back(SharpIcon(Cell(Icon)));
  return Count() - 1;
}

QIcon TImageList::Icon(int Index) const {
  return Index >= 0 && Index < Count() ? Icons[static_cast<std::size_t>(Index)] : QIcon();
}

} // namespace vv

#include "shell/qt/u_ImageList.h"

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

int TImageList::Add(const QImage& Image, const QColor* Transparent) {
  if (!Transparent) {
    Icons.push_back(SharpIcon(Image));
    return Count() - 1;
  }
  QImage Masked = Image.convertToFormat(QImage::Format_ARGB32);
  const QRgb Key = Transparent->rgb() & 0xFFFFFF;
  for (int Y = 0; Y < Masked.height(); ++Y) {
    auto* Line = reinterpret_cast<QRgb*>(Masked.scanLine(Y));
    for (int X = 0; X < Masked.width(); ++X)
      if ((Line[X] & 0xFFFFFF) == Key)
        Line[X] = 0;
  }
  Icons.push_back(SharpIcon(Masked));
  return Count() - 1;
}

QIcon TImageList::Icon(int Index) const {
  return Index >= 0 && Index < Count() ? Icons[static_cast<std::size_t>(Index)] : QIcon();
}

} // namespace vv

#include "controls/image_list.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace tovix {

TImageList::TImageList(int width, int height, QObject* parent)
    : QObject(parent), width_(std::max(width, 1)), height_(std::max(height, 1)) {}

int TImageList::Add(const QImage& image, const QColor& transparent) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return -1;
  QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  if (transparent.isValid()) {
    const QRgb clear = transparent.rgb() & 0xFFFFFF;
    for (int y = 0; y < argb.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
      for (int x = 0; x < argb.width(); ++x)
        if ((line[x] & 0xFFFFFF) == clear) line[x] = 0;
    }
  }
  const int first = Count();
  for (int left = 0; left < argb.width(); left += width_) {
    QImage cell(width_, height_, QImage::Format_ARGB32);
    cell.fill(Qt::transparent);
    QPainter painter(&cell);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), argb, QRect(left, 0, width_, height_));
    painter.end();
    images_.push_back(QPixmap::fromImage(cell));
  }
  emit Changed();
  return first;
}

void TImageList::Clear() {
  images_.clear();
  emit Changed();
}

QPixmap TImageList::Image(int index) const {
  if (index < 0 || index >= Count()) return {};
  return images_[static_cast<size_t>(index)];
}

QPixmap TImageList::DisabledImage(int index, const QPalette& palette) const {
  if (index < 0 || index >= Count()) return {};
  const QImage shape =
      images_[static_cast<size_t>(index)].toImage().convertToFormat(QImage::Format_ARGB32);
  QImage out(shape.size(), QImage::Format_ARGB32);
  out.fill(Qt::transparent);
  const QRgb highlight = palette.color(QPalette::Light).rgb() | 0xFF000000;
  const QRgb shadow = palette.color(QPalette::Dark).rgb() | 0xFF000000;
  for (int y = 0; y < shape.height(); ++y)
    for (int x = 0; x < shape.width(); ++x)
      if (qAlpha(shape.pixel(x, y)) != 0 && x + 1 < out.width() && y + 1 < out.height())
        out.setPixel(x + 1, y + 1, highlight);
  for (int y = 0; y < shape.height(); ++y)
    for (int x = 0; x < shape.width(); ++x)
      if (qAlpha(shape.pixel(x, y)) != 0) out.setPixel(x, y, shadow);
  return QPixmap::fromImage(out);
}

void TImageList::Draw(QPainter& painter, QPoint at, int index, bool enabled,
                      const QPalette& palette) const {
  const QPixmap image = enabled ? Image(index) : DisabledImage(index, palette);
  if (!image.isNull()) painter.drawPixmap(at, image);
}

}  // namespace tovix

#include "controls/draw_utils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tovix {

Qt::Alignment ToQtAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QImage CopyImageCell(const QImage& source, int columns, int index, int rows) {
  columns = std::max(columns, 1);
  rows = std::max(rows, 1);
  index = std::max(index, 0);
  const int w = source.width() / columns;
  const int h = source.height() / rows;
  if (w <= 0 || h <= 0) return {};
  return source.copy((index % columns) * w, (index / columns) * h, w, h);
}

QImage MakeDisabledBitmap(const QImage& bitmap, const QColor& transparent,
                          const QPalette& palette) {
  QImage source = bitmap.convertToFormat(QImage::Format_RGB32);
  QImage result(source.size(), QImage::Format_RGB32);
  result.fill(palette.color(QPalette::Button));
  const QRgb clear = transparent.rgb();
  auto isInk = [&](int x, int y) {
    const QRgb p = source.pixel(x, y);
    if ((p & 0xFFFFFF) == (clear & 0xFFFFFF)) return false;
    return (77 * qRed(p) + 150 * qGreen(p) + 29 * qBlue(p)) / 256 < 128;
  };
  const QRgb light = palette.color(QPalette::Light).rgb();
  const QRgb dark = palette.color(QPalette::Dark).rgb();
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x)
      if (isInk(x, y) && x + 1 < source.width() && y + 1 < source.height())
        result.setPixel(x + 1, y + 1, light);
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x)
      if (isInk(x, y)) result.setPixel(x, y, dark);
  return result;
}

void CenterWindowOnScreen(QWidget* window) {
  if (!window) return;
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

QRect FitRectToScreen(const QRect& rect, const QRect& screen) {
  QRect r = rect;
  if (r.right() > screen.right()) r.moveRight(screen.right());
  if (r.bottom() > screen.bottom()) r.moveBottom(screen.bottom());
  if (r.left() < screen.left()) r.moveLeft(screen.left());
  if (r.top() < screen.top()) r.moveTop(screen.top());
  return r;
}

QRect FitRectToScreen(const QRect& rect) {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? FitRectToScreen(rect, screen->availableGeometry()) : rect;
}

QString ShortenToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  const QString dots = QStringLiteral("...");
  QString s = text;
  while (!s.isEmpty() && metrics.horizontalAdvance(s + dots) > width) s.chop(1);
  return s + dots;
}

void PaintCaret(QPainter& painter, const QLineEdit* edit, const QRect& cursorRect) {
  const int width = edit->font().bold() ? 2 : 1;
  const int x = cursorRect.center().x();
  painter.fillRect(QRect(x, cursorRect.top(), width, cursorRect.height()),
                   edit->palette().color(QPalette::Text));
}

bool ActiveWindowIsOwn() {
  return QApplication::activeWindow() != nullptr;
}

QCursor ScreenCursor(int id) {
  switch (id) {
    case crHand:
      return QCursor(Qt::PointingHandCursor);
    case crDragHand:
      return QCursor(Qt::ClosedHandCursor);
    default:
      return QCursor(Qt::ArrowCursor);
  }
}

}  // namespace tovix

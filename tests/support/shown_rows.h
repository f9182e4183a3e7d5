#pragma once
// What the screen shows of an editor's rows: the window's backing store as last flushed, not a
// fresh paint, so that a row the editor failed to repaint shows what it showed before.

#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <vector>

namespace tovix::test {

// For each whole row of `rowHeight` pixels of `viewport`: whether its part from x = `left` on
// holds anything but the background, taken from the viewport's bottom right corner (which the
// caller keeps clear of text).
inline std::vector<bool> InkedRows(QWidget& viewport, int left, int rowHeight) {
  QWidget* window = viewport.window();
  const QPoint at = viewport.mapTo(window, QPoint(0, 0));
  const QImage shown =
      window->screen()
          ->grabWindow(window->winId(), at.x(), at.y(), viewport.width(), viewport.height())
          .toImage();
  std::vector<bool> rows;
  if (shown.isNull() || rowHeight <= 0) return rows;
  const QRgb background = shown.pixel(shown.width() - 2, shown.height() - 2);
  for (int row = 0; (row + 1) * rowHeight <= shown.height(); ++row) {
    bool inked = false;
    for (int y = row * rowHeight; y < (row + 1) * rowHeight && !inked; ++y)
      for (int x = left; x < shown.width() - 2 && !inked; ++x)
        inked = shown.pixel(x, y) != background;
    rows.push_back(inked);
  }
  return rows;
}

// Waits (30 s at most) until the screen shows ink in the first `lines` rows and none in the
// `blank` rows below them.
inline bool ShowsLines(QWidget& viewport, int left, int rowHeight, int lines, int blank) {
  return QTest::qWaitFor(
      [&] {
        const std::vector<bool> rows = InkedRows(viewport, left, rowHeight);
        if (static_cast<int>(rows.size()) < lines + blank) return false;
        for (int row = 0; row < lines + blank; ++row)
          if (rows[static_cast<size_t>(row)] != (row < lines)) return false;
        return true;
      },
      30000);
}

}  // namespace tovix::test

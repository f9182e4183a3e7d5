#pragma once
// Drawing and window routines that the buttons and edits share.

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QString>

#include "controls/control_types.h"

class QFontMetrics;
class QLineEdit;
class QPainter;
class QWidget;

namespace tovix {

inline int MaxInt2(int a, int b) {
  return a > b ? a : b;
}
inline int MinInt2(int a, int b) {
  return a < b ? a : b;
}

// Cell `index` (row-major) of a `columns` by `rows` grid of equal cells cut out of `source`, pixel
// for pixel, so the source's transparent colour stays as it is. A negative index gives cell 0;
// fewer than one column or row counts as one.
QImage CopyImageCell(const QImage& source, int columns, int index, int rows = 1);

// The embossed picture of a disabled button: every dark pixel of `bitmap` (not the transparent
// colour, grey value below 128) is drawn in the button-highlight colour one pixel right and down,
// then in the button-shadow colour in place, on a button-face background.
QImage MakeDisabledBitmap(const QImage& bitmap, const QColor& transparent, const QPalette& palette);

// Places `window` in the middle of the available area of its screen.
void CenterWindowOnScreen(QWidget* window);
// `rect` moved (not resized) so that it lies inside `screen` as far as it can; its top-left
// corner wins when it is larger than the screen.
QRect FitRectToScreen(const QRect& rect, const QRect& screen);
// The same against the available area of the primary screen.
QRect FitRectToScreen(const QRect& rect);

// `text` when it fits into `width` pixels, else its longest start that fits with "..." after it
// ("..." alone when nothing does).
QString ShortenToWidth(const QString& text, const QFontMetrics& metrics, int width);

// A caret for an edit whose text cannot be typed into: a line at `cursorRect` (1 pixel wide, 2
// for a bold font), so the user still sees where the keyboard is.
void PaintCaret(QPainter& painter, const QLineEdit* edit, const QRect& cursorRect);

// Whether one of this program's windows is the active window.
bool ActiveWindowIsOwn();

// The program's two own screen cursors.
constexpr int crHand = 14000;      // "RX_HANDCUR"
constexpr int crDragHand = 14001;  // "RX_DRAGCUR"
// The cursor for one of the ids above (the arrow for any other id).
QCursor ScreenCursor(int id);

}  // namespace tovix

#pragma once
// A list of equal-sized images that buttons and the editor's gutter draw by index. An image is
// drawn as it is, or, for a disabled control, as its shape embossed in the button-shadow and
// button-highlight colours.

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <vector>

class QPainter;
class QPalette;

namespace tovix {

class TImageList : public QObject {
  Q_OBJECT

 public:
  TImageList(int width, int height, QObject* parent = nullptr);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }

  // Adds `image` cut into cells of the list's width (a narrower or lower image is padded with
  // clear pixels); pixels of `transparent` (when valid) become clear. Returns the index of the
  // first image added, -1 when the image is empty.
  int Add(const QImage& image, const QColor& transparent = QColor());
  void Clear();
  // A null pixmap for an index outside the list.
  QPixmap Image(int index) const;
  // The disabled look: the image's shape in the button-highlight colour one pixel right and
  // down, then in the button-shadow colour in place; clear elsewhere.
  QPixmap DisabledImage(int index, const QPalette& palette) const;
  // Draws image `index` at `at`; nothing for an index outside the list.
  void Draw(QPainter& painter, QPoint at, int index, bool enabled, const QPalette& palette) const;

 signals:
  void Changed();

 private:
  int width_;
  int height_;
  std::vector<QPixmap> images_;
};

}  // namespace tovix

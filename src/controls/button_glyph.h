#pragma once
// Button glyphs: a bitmap strip cut into state images that buttons of the same cell size share,
// and the placement of glyph, caption and drop-down mark on a button.

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QPointer>

#include "controls/control_types.h"
#include "controls/image_list.h"

class QPainter;
class QPalette;

namespace tovix {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// The frame look: bsAutoDetect follows the platform, which here always has the new look.
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
// The states; their numbers are also the cells of a glyph strip.
enum TRxButtonState { rbsUp = 0, rbsDisabled = 1, rbsDown = 2, rbsExclusive = 3, rbsInactive = 4 };
enum TRxDropDownMenuPos { dmpBottom, dmpRight };
// Which edge of a popup menu sits at the point it pops up at.
enum TPopupAlignment { paLeft, paRight, paCenter };

constexpr int kMaxNumGlyphs = 5;
// Fuchsia: the transparent colour of a glyph before it has a bitmap.
constexpr QRgb kDefaultGlyphTransparent = 0xFFFF00FF;

// The cell count after a bitmap change: width / height when the width is an exact multiple of the
// height and the quotient is at most 5, 1 for a larger quotient, `current` otherwise.
int GlyphCellsOf(int width, int height, int current);
// The strip cell that holds the image of `state`: the down state shows the up image below three
// cells, and a cell beyond the strip is cell 0.
int StateCell(TRxButtonState state, int numGlyphs);
// Grey mapping of the inactive image: the transparent and the button-face colour stay, every other
// pixel becomes (77 R + 150 G + 29 B) div 256 in all three channels.
QRgb GreyOf(QRgb pixel, QRgb transparent, QRgb face);

// One image list per cell size: a set of slots, each used or free.
class TGlyphList {
 public:
  TGlyphList(int width, int height) : width_(width), height_(height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Stores `image` in the lowest free slot and returns the slot.
  int Add(const QPixmap& image);
  // Frees a slot; an index that is not in use is ignored.
  void Delete(int index);
  const QPixmap& Image(int index) const;
  int Count() const { return count_; }

 private:
  int width_;
  int height_;
  std::vector<QPixmap> images_;
  std::vector<bool> used_;
  int count_ = 0;
};

// The program's glyph lists, one per cell size.
class TGlyphCache {
 public:
  TGlyphList* GetList(int width, int height);
  // Frees `list` once no image is left in it.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }

  // The one cache; it exists while a glyph exists or a list still holds images.
  static TGlyphCache* Instance();

 private:
  friend class TRxButtonGlyph;
  std::map<std::pair<int, int>, std::unique_ptr<TGlyphList>> lists_;
};

// A button's glyph strip and its state images.
class TRxButtonGlyph {
 public:
  TRxButtonGlyph();
  ~TRxButtonGlyph();
  TRxButtonGlyph(const TRxButtonGlyph&) = delete;
  TRxButtonGlyph& operator=(const TRxButtonGlyph&) = delete;

  const QImage& Glyph() const { return glyph_; }
  // A new bitmap drops the cached images; its lower-left pixel becomes the transparent colour and
  // its proportions may set the cell count (GlyphCellsOf).
  void SetGlyph(const QImage& glyph);
  int NumGlyphs() const { return numGlyphs_; }
  // 1 to 5; other values are clipped into that range.
  void SetNumGlyphs(int count);
  QColor TransparentColor() const { return QColor::fromRgb(transparent_); }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { alignment_ = a; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on) { wordWrap_ = on; }

  // A glyph taken from an image list: it is used in place of the bitmap while the index lies
  // within the list and the list's width is at least 1. A null list or -1 goes back to the
  // bitmap.
  TImageList* Images() const { return images_; }
  int ImagesIndex() const { return imagesIndex_; }
  void SetImages(TImageList* images, int index);
  bool UsesImages() const;

  // Size of one cell (of the image list's images when it is used), 0 by 0 without a usable
  // bitmap.
  QSize GlyphSize() const;
  // The image of `state`, made on first use and kept in the shared list for the cell size; a null
  // pixmap when there is no glyph. `palette` gives the button-face and 3-D colours. From an image
  // list: its image for up, down and exclusive, its disabled look for disabled, and a grey copy
  // of the image drawn on the button face for inactive.
  QPixmap StateImage(TRxButtonState state, const QPalette& palette);
  // Slot of the cached image of `state` in ImageList(), -1 while none is made.
  int ImageIndex(TRxButtonState state) const { return indexes_[state]; }
  TGlyphList* ImageList() const { return list_; }
  // Drops the cached images (the bitmap or the colours changed).
  void Invalidate();

 private:
  QPixmap MakeStateImage(TRxButtonState state, const QPalette& palette) const;
  QPixmap MakeListImage(TRxButtonState state, const QPalette& palette) const;
  QImage Cell(int cell) const;

  QPointer<TImageList> images_;
  int imagesIndex_ = -1;

  QImage glyph_;
  int numGlyphs_ = 1;
  QRgb transparent_ = kDefaultGlyphTransparent;
  TAlignment alignment_ = taCenter;
  bool wordWrap_ = false;
  int indexes_[kMaxNumGlyphs] = {-1, -1, -1, -1, -1};
  TGlyphList* list_ = nullptr;
};

// Where glyph and caption go inside the content rectangle of a button.
struct TButtonPlacement {
  QPoint glyphPos;
  QRect textBounds;  // empty without a caption
};
// `glyph` is the cell size (0 by 0 without a glyph). `measureText` gets the space left for the
// caption and returns the caption's size drawn into that space (0 by 0 without a caption); the
// result is clipped to the space. `margin` and `spacing` -1 mean automatic. `popupMark` reserves
// room for the drop-down mark.
TButtonPlacement CalcButtonLayout(const QRect& client, QSize glyph,
                                  const std::function<QSize(QSize)>& measureText,
                                  TButtonLayout layout, int margin, int spacing, bool popupMark);

// The point (in button coordinates) where a drop-down menu pops up.
QPoint DropDownPoint(TRxDropDownMenuPos position, TPopupAlignment alignment, int width, int height);

// Draws the button frame into `rect` and returns the content rectangle inside it. `down` is the
// pressed look; `flat` the look of a flat button under the mouse.
QRect DrawButtonFrame(QPainter& painter, const QRect& rect, const QPalette& palette, bool down,
                      bool flat, bool newStyle);

// The drop-down mark: a downward triangle of 7, 5, 3 and 1 pixels with its top row at `topLeft`.
void DrawDropDownMark(QPainter& painter, QPoint topLeft, const QPalette& palette, bool enabled);

}  // namespace tovix

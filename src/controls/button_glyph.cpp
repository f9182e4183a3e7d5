#include "controls/button_glyph.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "controls/draw_utils.h"

namespace tovix {

namespace {

// The cache lives while glyphs live: made with the first glyph, freed with the last one once no
// list holds images any more.
std::unique_ptr<TGlyphCache>& CacheHolder() {
  static std::unique_ptr<TGlyphCache> cache;
  return cache;
}
int& GlyphCount() {
  static int count = 0;
  return count;
}

// `image` with every pixel of colour `clear` made transparent.
QPixmap Masked(const QImage& image, QRgb clear) {
  QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (clear & 0xFFFFFF)) line[x] = 0;
  }
  return QPixmap::fromImage(argb);
}

}  // namespace

int GlyphCellsOf(int width, int height, int current) {
  if (width <= 0 || height <= 0 || width % height != 0) return current;
  const int cells = width / height;
  return cells > kMaxNumGlyphs ? 1 : cells;
}

int StateCell(TRxButtonState state, int numGlyphs) {
  if (state == rbsDown && numGlyphs < 3) state = rbsUp;
  const int cell = static_cast<int>(state);
  return cell >= numGlyphs ? 0 : cell;
}

QRgb GreyOf(QRgb pixel, QRgb transparent, QRgb face) {
  const QRgb rgb = pixel & 0xFFFFFF;
  if (rgb == (transparent & 0xFFFFFF) || rgb == (face & 0xFFFFFF)) return pixel;
  const int grey = (77 * qRed(pixel) + 150 * qGreen(pixel) + 29 * qBlue(pixel)) / 256;
  return qRgba(grey, grey, grey, qAlpha(pixel));
}

namespace {
// Every pixel of `image` through GreyOf.
QImage Greyed(const QImage& image, QRgb transparent, QRgb face) {
  QImage grey = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < grey.height(); ++y)
    for (int x = 0; x < grey.width(); ++x)
      grey.setPixel(x, y, GreyOf(grey.pixel(x, y), transparent, face));
  return grey;
}
}  // namespace

// ---- TGlyphList

int TGlyphList::Add(const QPixmap& image) {
  auto free = std::find(used_.begin(), used_.end(), false);
  const int index = static_cast<int>(free - used_.begin());
  if (free == used_.end()) {
    images_.push_back(image);
    used_.push_back(true);
  } else {
    images_[index] = image;
    *free = true;
  }
  ++count_;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[index]) return;
  used_[index] = false;
  images_[index] = QPixmap();
  --count_;
}

const QPixmap& TGlyphList::Image(int index) const {
  static const QPixmap none;
  if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[index]) return none;
  return images_[index];
}

// ---- TGlyphCache

TGlyphList* TGlyphCache::GetList(int width, int height) {
  auto& slot = lists_[{width, height}];
  if (!slot) slot = std::make_unique<TGlyphList>(width, height);
  return slot.get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->Count() > 0) return;
  lists_.erase({list->Width(), list->Height()});
}

TGlyphCache* TGlyphCache::Instance() {
  return CacheHolder().get();
}

// ---- TRxButtonGlyph

TRxButtonGlyph::TRxButtonGlyph() {
  if (GlyphCount()++ == 0 && !CacheHolder()) CacheHolder() = std::make_unique<TGlyphCache>();
}

TRxButtonGlyph::~TRxButtonGlyph() {
  Invalidate();
  if (--GlyphCount() == 0 && CacheHolder() && CacheHolder()->Empty()) CacheHolder().reset();
}

void TRxButtonGlyph::SetGlyph(const QImage& glyph) {
  Invalidate();
  glyph_ = glyph;
  if (!glyph_.isNull() && glyph_.width() > 0 && glyph_.height() > 0) {
    transparent_ = glyph_.pixel(0, glyph_.height() - 1);
    numGlyphs_ = GlyphCellsOf(glyph_.width(), glyph_.height(), numGlyphs_);
  }
}

void TRxButtonGlyph::SetNumGlyphs(int count) {
  count = std::clamp(count, 1, kMaxNumGlyphs);
  if (count == numGlyphs_) return;
  Invalidate();
  numGlyphs_ = count;
}

void TRxButtonGlyph::SetImages(TImageList* images, int index) {
  images_ = images;
  imagesIndex_ = index;
}

bool TRxButtonGlyph::UsesImages() const {
  return images_ && images_->Width() >= 1 && imagesIndex_ >= 0 && imagesIndex_ < images_->Count();
}

QSize TRxButtonGlyph::GlyphSize() const {
  if (UsesImages()) return {images_->Width(), images_->Height()};
  if (glyph_.isNull() || glyph_.width() <= 0 || glyph_.height() <= 0) return {0, 0};
  const int w = glyph_.width() / numGlyphs_;
  if (w <= 0) return {0, 0};
  return {w, glyph_.height()};
}

void TRxButtonGlyph::Invalidate() {
  if (!list_) return;
  for (int& index : indexes_) {
    list_->Delete(index);
    index = -1;
  }
  if (TGlyphCache* cache = TGlyphCache::Instance()) cache->ReturnList(list_);
  list_ = nullptr;
}

QImage TRxButtonGlyph::Cell(int cell) const {
  return CopyImageCell(glyph_, numGlyphs_, cell >= numGlyphs_ ? 0 : cell);
}

QPixmap TRxButtonGlyph::MakeStateImage(TRxButtonState state, const QPalette& palette) const {
  const QRgb face = palette.color(QPalette::Button).rgb();
  switch (state) {
    case rbsDisabled:
      if (numGlyphs_ >= 2) return Masked(Cell(1), transparent_);
      return Masked(MakeDisabledBitmap(glyph_, QColor::fromRgb(transparent_), palette), face);
    case rbsInactive: {
      if (numGlyphs_ == kMaxNumGlyphs) return Masked(Cell(4), transparent_);
      return Masked(Greyed(Cell(0), transparent_, face), transparent_);
    }
    case rbsUp:
    case rbsDown:
    case rbsExclusive:
      break;
  }
  return Masked(Cell(StateCell(state, numGlyphs_)), transparent_);
}

QPixmap TRxButtonGlyph::MakeListImage(TRxButtonState state, const QPalette& palette) const {
  switch (state) {
    case rbsDisabled:
      return images_->DisabledImage(imagesIndex_, palette);
    case rbsInactive: {
      const QRgb face = palette.color(QPalette::Button).rgb();
      QImage grey(images_->Width(), images_->Height(), QImage::Format_RGB32);
      grey.fill(face);
      QPainter painter(&grey);
      painter.drawPixmap(0, 0, images_->Image(imagesIndex_));
      painter.end();
      return Masked(Greyed(grey, face, face), face);
    }
    case rbsUp:
    case rbsDown:
    case rbsExclusive:
      break;
  }
  return images_->Image(imagesIndex_);
}

QPixmap TRxButtonGlyph::StateImage(TRxButtonState state, const QPalette& palette) {
  // The list's images change with the list, so they are not kept in the glyph cache.
  if (UsesImages()) return MakeListImage(state, palette);
  const QSize size = GlyphSize();
  if (size.isEmpty()) return {};
  if (state == rbsDown && numGlyphs_ < 3) state = rbsUp;
  if (!list_) {
    TGlyphCache* cache = TGlyphCache::Instance();
    if (!cache) return MakeStateImage(state, palette);  // only while the program shuts down
    list_ = cache->GetList(size.width(), size.height());
  }
  if (indexes_[state] < 0) indexes_[state] = list_->Add(MakeStateImage(state, palette));
  return list_->Image(indexes_[state]);
}

// ---- layout and drawing

TButtonPlacement CalcButtonLayout(const QRect& client, QSize glyph,
                                  const std::function<QSize(QSize)>& measureText,
                                  TButtonLayout layout, int margin, int spacing, bool popupMark) {
  const int w = client.width();
  const int h = client.height();
  const bool vertical = layout == blGlyphTop || layout == blGlyphBottom;
  const int fixedMargin = margin != -1 ? margin : 0;
  const int fixedSpacing = spacing != -1 ? spacing : 0;
  QSize space =
      vertical ? QSize(w, h - glyph.height() - fixedMargin - fixedSpacing)
               : QSize(w - glyph.width() - fixedMargin - fixedSpacing - (popupMark ? 9 : 0), h);
  space = space.expandedTo(QSize(0, 0));

  QSize text = measureText ? measureText(space).boundedTo(space) : QSize(0, 0);
  if (text.width() <= 0 || text.height() <= 0) text = QSize(0, 0);
  if (popupMark) {
    if (glyph.width() > 0 && glyph.height() > 0 && layout != blGlyphLeft)
      glyph.rwidth() += 6;
    else
      text.rwidth() += 9;
  }

  QPoint g;
  QPoint t;
  if (vertical) {
    g.setX(w / 2 - glyph.width() / 2);
    t.setX(w / 2 - text.width() / 2);
  } else {
    g.setY(h / 2 - glyph.height() / 2);
    t.setY(h / 2 - text.height() / 2);
  }

  const int size = vertical ? h : w;
  const int glyphAlong = vertical ? glyph.height() : glyph.width();
  const int textAlong = vertical ? text.height() : text.width();
  int sp = (text.width() == 0 || glyph.width() == 0) ? 0 : spacing;
  if (margin == -1) {
    if (sp != -1) {
      margin = size / 2 - (glyphAlong + sp + textAlong) / 2;
    } else {
      margin = (size - glyphAlong - textAlong) / 3;
      sp = margin;
    }
  } else if (sp == -1) {
    sp = (size - margin - glyphAlong) / 2 - textAlong / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      g.setX(margin);
      t.setX(g.x() + glyph.width() + sp);
      break;
    case blGlyphRight:
      g.setX(w - margin - glyph.width());
      t.setX(g.x() - sp - text.width());
      break;
    case blGlyphTop:
      g.setY(margin);
      t.setY(g.y() + glyph.height() + sp);
      break;
    case blGlyphBottom:
      g.setY(h - margin - glyph.height());
      t.setY(g.y() - sp - text.height());
      break;
  }
  TButtonPlacement placement;
  placement.glyphPos = g + client.topLeft();
  if (!text.isEmpty()) placement.textBounds = QRect(t + client.topLeft(), text);
  return placement;
}

QPoint DropDownPoint(TRxDropDownMenuPos position, TPopupAlignment alignment, int width,
                     int height) {
  if (position == dmpRight) {
    switch (alignment) {
      case paLeft:
        return {width, -1};
      case paRight:
        return {-1, -1};
      case paCenter:
        return {width / 2, height};
    }
  }
  switch (alignment) {
    case paRight:
      return {width + 1, height};
    case paCenter:
      return {width / 2, height};
    case paLeft:
      break;
  }
  return {-1, height};
}

namespace {
// One frame line: top and left edges in `topLeft`, bottom and right in `bottomRight`; the
// rectangle moves one pixel inward.
void FrameLine(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
  p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  p.setPen(bottomRight);
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  r.adjust(1, 1, -1, -1);
}
}  // namespace

QRect DrawButtonFrame(QPainter& painter, const QRect& rect, const QPalette& palette, bool down,
                      bool flat, bool newStyle) {
  const QColor highlight = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  const QColor frame = palette.color(QPalette::Shadow);
  const QColor face = palette.color(QPalette::Button);
  QRect r = rect;
  painter.save();
  if (!down) {
    if (flat) {
      FrameLine(painter, r, highlight, newStyle ? shadow : frame);
    } else if (newStyle) {
      FrameLine(painter, r, highlight, frame);
      FrameLine(painter, r, face, shadow);
    } else {
      FrameLine(painter, r, frame, frame);
      FrameLine(painter, r, highlight, shadow);
    }
  } else if (flat || newStyle) {
    FrameLine(painter, r, frame, highlight);
    if (!flat) FrameLine(painter, r, shadow, face);
  } else {
    FrameLine(painter, r, frame, frame);
    painter.setPen(shadow);
    painter.drawLine(r.left(), r.bottom(), r.left(), r.top());
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    r.adjust(1, 1, -1, -1);
  }
  painter.restore();
  return r.adjusted(1, 1, -1, -1);
}

void DrawDropDownMark(QPainter& painter, QPoint topLeft, const QPalette& palette, bool enabled) {
  auto triangle = [&](QPoint at, const QColor& color) {
    painter.setPen(color);
    for (int row = 0; row < 4; ++row)
      painter.drawLine(at.x() + row, at.y() + row, at.x() + 6 - row, at.y() + row);
  };
  painter.save();
  if (enabled) {
    triangle(topLeft, palette.color(QPalette::ButtonText));
  } else {
    triangle(topLeft + QPoint(1, 1), palette.color(QPalette::Light));
    triangle(topLeft, palette.color(QPalette::Dark));
  }
  painter.restore();
}

}  // namespace tovix

#include "editors/text_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <limits>

#include "editors/text_codec.h"

namespace tovix {

namespace {

QString ToQString(TEditStringView s) {
  return QString::fromUcs4(s.data(), static_cast<qsizetype>(s.size()));
}

TEditString FromQString(const QString& s) {
  const QList<uint> ucs4 = s.toUcs4();
  return TEditString(ucs4.begin(), ucs4.end());
}

TShiftState ShiftOf(Qt::KeyboardModifiers m) {
  TShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  return s;
}

// Characters drawn as one run: the font's own grid holds them.
bool OnGrid(TEditChar c) {
  return c < 0x0250;
}

}  // namespace

uint16_t VirtualKeyOf(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
    return static_cast<uint16_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
    return static_cast<uint16_t>(0x70 + key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Semicolon:
      return 0xBA;
    case Qt::Key_Equal:
      return 0xBB;
    case Qt::Key_Comma:
      return 0xBC;
    case Qt::Key_Minus:
      return 0xBD;
    case Qt::Key_Period:
      return 0xBE;
    case Qt::Key_Slash:
      return 0xBF;
    case Qt::Key_BracketLeft:
      return 0xDB;
    case Qt::Key_Backslash:
      return 0xDC;
    case Qt::Key_BracketRight:
      return 0xDD;
    default:
      return 0;
  }
}

uint16_t KeyTableKey(int qtKey, uint32_t nativeScanCode, bool xkbKeycodes) {
  const uint16_t key = VirtualKeyOf(qtKey);
  if (!xkbKeycodes) return key;
  const uint16_t place = VirtualKeyOfKeycode(nativeScanCode);
  if (place >= '0' && place <= '9') return place;
  return key == 0 ? place : key;
}

namespace {

uint16_t TableKeyOf(const QKeyEvent& e) {
  return KeyTableKey(e.key(), e.nativeScanCode(), XkbKeyboard());
}

// A proportional font: its narrow and wide characters advance differently.
bool Proportional(const QFont& font) {
  const QFontMetricsF metrics(font);
  const double m = metrics.horizontalAdvance(QLatin1Char('M'));
  for (QLatin1Char c : {QLatin1Char('i'), QLatin1Char('W'), QLatin1Char('.'), QLatin1Char(' ')})
    if (std::abs(metrics.horizontalAdvance(c) - m) > 0.01) return true;
  return false;
}

}  // namespace

QFont FixedPitchFont(const QFont& font) {
  if (!Proportional(font)) return font;
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (Proportional(fixed)) fixed = QFont(QStringLiteral("monospace"));
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  if (font.pixelSize() > 0)
    fixed.setPixelSize(font.pixelSize());
  else
    fixed.setPointSizeF(font.pointSizeF());
  fixed.setWeight(font.weight());
  fixed.setItalic(font.italic());
  fixed.setUnderline(font.underline());
  fixed.setStrikeOut(font.strikeOut());
  return fixed;
}

// --- Fonts -------------------------------------------------------------------------------------

void TFontStyleCache::SetBaseFont(const QFont& font, bool boldUsed, bool italicUsed) {
  base_ = font;
  base_.setBold(false);
  base_.setItalic(false);
  base_.setUnderline(false);
  base_.setStrikeOut(false);
  base_.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  made_.fill(false);
  QFont bold = base_;
  bold.setBold(true);
  QFont italic = base_;
  italic.setItalic(true);
  const double advance = QFontMetricsF(base_).horizontalAdvance(QLatin1Char('M'));
  const double boldAdvance = QFontMetricsF(bold).horizontalAdvance(QLatin1Char('M'));
  charWidth_ = std::max(
      1, static_cast<int>(std::ceil((boldUsed ? std::max(advance, boldAdvance) : advance) - 0.01)));
  const QFontMetrics metrics(italicUsed ? italic : base_);
  charHeight_ = std::max(1, metrics.height());
  ascent_ = metrics.ascent();
}

const QFont& TFontStyleCache::Font(TFontStyles style) {
  const size_t i = static_cast<size_t>(style & 15);
  if (!made_[i]) {
    QFont f = base_;
    f.setBold((style & fsBold) != 0);
    f.setItalic((style & fsItalic) != 0);
    f.setUnderline((style & fsUnderline) != 0);
    f.setStrikeOut((style & fsStrikeOut) != 0);
    const double advance = QFontMetricsF(f).horizontalAdvance(QLatin1Char('M'));
    f.setLetterSpacing(QFont::AbsoluteSpacing, charWidth_ - advance);
    fonts_[i] = f;
    made_[i] = true;
  }
  return fonts_[i];
}

// --- Clipboard ---------------------------------------------------------------------------------

bool TQtEditorClipboard::SetTextAndBlock(const TEditString& text, const std::string& payload) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  auto* data = new QMimeData;
  data->setText(ToQString(text));
  data->setData(kEditorBlockMimeType,
                QByteArray(payload.data(), static_cast<qsizetype>(payload.size())));
  clipboard->setMimeData(data);
  return true;
}

std::optional<std::string> TQtEditorClipboard::GetBlock() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasFormat(kEditorBlockMimeType)) return std::nullopt;
  const QByteArray bytes = data->data(kEditorBlockMimeType);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::optional<TEditString> TQtEditorClipboard::GetText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return FromQString(data->text());
}

// --- The editor --------------------------------------------------------------------------------

TTextEditor::TTextEditor(QWidget* parent) : QAbstractScrollArea(parent) {
  QFont font("Courier New", 10);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  setFont(font);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  viewport()->setAcceptDrops(true);
  SetClipboard(&clipboard_);
  gutter_.OnChange = [this] { UpdateMetrics(); };
  connect(&bookMarkOptions_, &TmwBookMarkOpt::OnChange, this, [this] {
    BookMarkEnableKeys = bookMarkOptions_.EnableKeys();
    builtInGlyphs_ = {};  // their width follows Xoffset
    InvalidateGutterLines(-1, -1);
  });
  const int flash = QApplication::cursorFlashTime();
  caretTimer_.setInterval(flash > 0 ? flash / 2 : 500);
  connect(&caretTimer_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    viewport()->update(CaretRect());
  });
  autoScrollTimer_.setSingleShot(true);
  connect(&autoScrollTimer_, &QTimer::timeout, this, &TTextEditor::AutoScrollStep);
  connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, &TTextEditor::ShowScrollHint);
  connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [] { QToolTip::hideText(); });
  UpdateMetrics();
}

TTextEditor::~TTextEditor() = default;

// --- Bookmark options ----------------------------------------------------------------------------

template <class T>
void TmwBookMarkOpt::Set(T& field, T value) {
  if (field == value) return;
  field = value;
  emit OnChange();
}

void TmwBookMarkOpt::SetBookmarkImages(TImageList* images) {
  if (images == bookmarkImages_) return;
  disconnect(imagesChanged_);
  bookmarkImages_ = images;
  if (images)
    imagesChanged_ = connect(images, &TImageList::Changed, this, &TmwBookMarkOpt::OnChange);
  emit OnChange();
}

void TmwBookMarkOpt::SetEnableKeys(bool on) {
  Set(enableKeys_, on);
}
void TmwBookMarkOpt::SetGlyphsVisible(bool on) {
  Set(glyphsVisible_, on);
}
void TmwBookMarkOpt::SetLeftMargin(int pixels) {
  Set(leftMargin_, pixels);
}
void TmwBookMarkOpt::SetXoffset(int pixels) {
  Set(xoffset_, pixels);
}

void TTextEditor::SetSelectedColor(const TmwSelectedColor& colors) {
  selectedColor_ = colors;
  viewport()->update();
}

void TTextEditor::SetColor(TColor color) {
  color_ = color;
  viewport()->update();
}

void TTextEditor::SetExtraLineSpacing(int value) {
  extraLineSpacing_ = value;
  metricsValid_ = false;
  UpdateMetrics();
}

void TTextEditor::SetRightEdge(int value) {
  rightEdge_ = value;
  viewport()->update();
}

void TTextEditor::SetRightEdgeColor(TColor color) {
  rightEdgeColor_ = color;
  viewport()->update();
}

void TTextEditor::SetHideSelection(bool on) {
  hideSelection_ = on;
  viewport()->update();
}

void TTextEditor::SetInsertCaret(TCaretType type) {
  insertCaret_ = type;
  viewport()->update();
}

void TTextEditor::SetOverwriteCaret(TCaretType type) {
  overwriteCaret_ = type;
  viewport()->update();
}

void TTextEditor::SetScrollBars(TScrollStyle style) {
  scrollBars_ = style;
  const bool h = style == TScrollStyle::ssHorizontal || style == TScrollStyle::ssBoth;
  const bool v = style == TScrollStyle::ssVertical || style == TScrollStyle::ssBoth;
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  UpdateScrollBars();
  viewport()->update();
}

// --- Metrics -----------------------------------------------------------------------------------

void TTextEditor::EnsureMetrics() {
  TFontStyles used = 0;
  if (TmwCustomHighLighter* h = HighLighter()) {
    for (int i = 0; i < h->GetAttribCount(); ++i) used |= h->GetAttribute(i)->Style();
  } else {
    if (font().bold()) used |= fsBold;
    if (font().italic()) used |= fsItalic;
  }
  used &= fsBold | fsItalic;
  if (metricsValid_ && used == metricsStyles_ && font() == metricsFont_ &&
      extraLineSpacing_ == metricsExtra_)
    return;
  metricsValid_ = true;
  metricsStyles_ = used;
  metricsFont_ = font();
  metricsExtra_ = extraLineSpacing_;
  fonts_.SetBaseFont(font(), (used & fsBold) != 0, (used & fsItalic) != 0);
  builtInGlyphs_ = {};
  UpdateWindowSize();
  viewport()->update();
}

void TTextEditor::UpdateMetrics() {
  metricsValid_ = false;
  EnsureMetrics();
}

int TTextEditor::CharWidth() {
  EnsureMetrics();
  return fonts_.CharWidth();
}

int TTextEditor::LineHeight() {
  EnsureMetrics();
  return fonts_.CharHeight() + extraLineSpacing_;
}

int TTextEditor::GutterWidth() {
  EnsureMetrics();
  return gutterWidth_;
}

int TTextEditor::TextOffset() {
  return GutterWidth() + 2 - (LeftChar() - 1) * CharWidth();
}

void TTextEditor::UpdateWindowSize() {
  const int cw = fonts_.CharWidth();
  const int lh = fonts_.CharHeight() + extraLineSpacing_;
  gutterWidth_ = gutter_.RealGutterWidth(LineCount(), cw);
  const QSize size = viewport()->size();
  SetWindowSize((size.width() - gutterWidth_ - 2) / cw, size.height() / std::max(1, lh));
  UpdateScrollBars();
}

void TTextEditor::UpdateScrollBars() {
  ++syncing_;
  QScrollBar* v = verticalScrollBar();
  v->setRange(1, std::max(1, LineCount()));
  v->setPageStep(LinesInWindow());
  v->setSingleStep(1);
  v->setValue(TopLine());
  QScrollBar* h = horizontalScrollBar();
  h->setRange(1, std::max(1, MaxLeftChar - CharsInWindow() + 1));
  h->setPageStep(CharsInWindow());
  h->setSingleStep(1);
  h->setValue(LeftChar());
  --syncing_;
}

void TTextEditor::scrollContentsBy(int, int) {
  if (syncing_ > 0) return;
  SetTopLine(verticalScrollBar()->value());
  SetLeftChar(horizontalScrollBar()->value());
}

void TTextEditor::ShowScrollHint(int topLine) {
  if (!Options().Has(mweoShowScrollHint)) return;
  const QString text = QString("Top Line: %1").arg(topLine);
  const int width = QFontMetrics(QToolTip::font()).horizontalAdvance(text) + 6;
  const QPoint at = viewport()->mapToGlobal(QPoint(viewport()->width() - width - 4, 10));
  QToolTip::showText(at, text, viewport());
}

void TTextEditor::InvalidateLines(int first, int last) {
  if (!metricsValid_) return;
  if (gutter_.RealGutterWidth(LineCount(), fonts_.CharWidth()) != gutterWidth_) {
    UpdateWindowSize();
    viewport()->update();
    return;
  }
  UpdateScrollBars();
  if (first > last) std::swap(first, last);
  const int lh = fonts_.CharHeight() + extraLineSpacing_;
  const int top = std::max(0, (first - TopLine()) * lh);
  const int bottom = std::min(viewport()->height(), (last - TopLine() + 1) * lh);
  if (bottom > top) viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
}

void TTextEditor::InvalidateGutterLines(int first, int last) {
  if (!metricsValid_) return;
  if (first < 0 || last < 0) {
    viewport()->update(QRect(0, 0, gutterWidth_, viewport()->height()));
    return;
  }
  if (first > last) std::swap(first, last);
  const int lh = fonts_.CharHeight() + extraLineSpacing_;
  const int top = std::max(0, (first - TopLine()) * lh);
  const int bottom = std::min(viewport()->height(), (last - TopLine() + 1) * lh);
  if (bottom > top) viewport()->update(QRect(0, top, gutterWidth_, bottom - top));
}

void TTextEditor::InvalidateAll() {
  if (metricsValid_ && gutter_.RealGutterWidth(LineCount(), fonts_.CharWidth()) != gutterWidth_)
    UpdateWindowSize();
  else
    UpdateScrollBars();
  viewport()->update();
}

// --- Positions ---------------------------------------------------------------------------------

TPoint TTextEditor::PixelToText(QPoint pixel) {
  const int cw = CharWidth();
  const double cells = static_cast<double>(pixel.x() - TextOffset()) / cw;
  const int line = std::clamp(TopLine() + pixel.y() / LineHeight(), 1, LineCount());
  const TEditString& text = Lines().Get(line - 1);
  int x = CellsToCharColumn(text, TabWidth(), std::max(0.0, cells));
  x = std::clamp(
      x, 1, Options().Has(mweoScrollPastEol) ? MaxLeftChar : static_cast<int>(text.size()) + 1);
  return {x, line};
}

QPoint TTextEditor::TextToPixel(TPoint at) {
  return {(CharToDisplayColumn(at.Y, at.X) - 1) * CharWidth() + TextOffset(),
          (at.Y - TopLine()) * LineHeight()};
}

bool TTextEditor::InsideSelection(TPoint p) const {
  if (!SelAvail()) return false;
  TPoint b = BlockBegin();
  TPoint e = BlockEnd();
  if (PointBefore(e, b)) std::swap(b, e);
  switch (SelectionMode()) {
    case smNormal:
      return !PointBefore(p, b) && PointBefore(p, e);
    case smColumn:
      return p.Y >= b.Y && p.Y <= e.Y && p.X >= std::min(b.X, e.X) && p.X < std::max(b.X, e.X);
    case smLine:
      return p.Y >= b.Y && p.Y <= e.Y;
  }
  return false;
}

bool TTextEditor::InTextArea(QPoint pos) {
  return pos.x() >= GutterWidth() && pos.x() < viewport()->width() && pos.y() >= 0 &&
         pos.y() < viewport()->height();
}

// --- Caret -------------------------------------------------------------------------------------

QRect TTextEditor::CaretRect() {
  const TCaretRect shape =
      CaretShape(InsertMode() ? insertCaret_ : overwriteCaret_, CharWidth(), LineHeight());
  const QPoint cell = TextToPixel(CaretXY());
  return QRect(cell.x() + shape.X, cell.y() + shape.Y, shape.Width, shape.Height);
}

void TTextEditor::UpdateCaret() {
  caretOn_ = true;
  if (hasFocus() && caretTimer_.interval() > 0) caretTimer_.start();
  viewport()->update(CaretRect().adjusted(-2, -2, 2, 2));
}

void TTextEditor::SetCaretXY(TPoint p) {
  const QRect old = metricsValid_ ? CaretRect() : QRect();
  TmwCustomEdit::SetCaretXY(p);
  if (!metricsValid_) return;
  viewport()->update(old.adjusted(-2, -2, 2, 2));
  UpdateCaret();
}

// --- Painting ----------------------------------------------------------------------------------

QColor TTextEditor::Resolve(TColor color, QColor fallback) const {
  if (color == clNone || color == clDefault) return fallback;
  const QPalette& pal = palette();
  switch (color) {
    case clBtnFace:
      return pal.color(QPalette::Button);
    case clHighlight:
      return pal.color(QPalette::Highlight);
    case clHighlightText:
      return pal.color(QPalette::HighlightedText);
    case clWindow:
      return pal.color(QPalette::Base);
    case clWindowText:
      return pal.color(QPalette::Text);
    default:
      break;
  }
  if (IsSystemColor(color)) return fallback;
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QColor TTextEditor::Background() const {
  QColor bg = Resolve(color_, palette().color(QPalette::Base));
  if (TmwCustomHighLighter* h = HighLighter())
    if (TmwHighLightAttributes* a = h->GetDefaultAttribute(0))
      if (a->Background() != clNone) bg = Resolve(a->Background(), bg);
  return bg;
}

void TTextEditor::paintEvent(QPaintEvent* e) {
  EnsureMetrics();
  QPainter p(viewport());
  const QRect clip = e->rect();
  const int lh = LineHeight();
  const int firstLine = TopLine() + std::max(0, clip.top()) / lh;
  const int lastLine = TopLine() + std::max(0, clip.bottom()) / lh;
  if (clip.left() < gutterWidth_) PaintGutter(p, clip, firstLine, lastLine);
  if (clip.right() >= gutterWidth_) PaintTextLines(p, clip, firstLine, lastLine);
  if (OnPaint) {
    p.save();
    p.setFont(font());
    p.setBrush(Background());
    OnPaint(p);
    p.restore();
  }
  if (hasFocus() && caretOn_ && !Options().Has(mweoNoCaret)) {
    const QRect caret = CaretRect();
    if (caret.left() >= gutterWidth_ && caret.intersects(viewport()->rect())) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(caret, Qt::white);
    }
  }
}

QPixmap TTextEditor::BuiltInGlyph(int index) {
  QPixmap& glyph = builtInGlyphs_[static_cast<size_t>(index)];
  if (!glyph.isNull()) return glyph;
  const int h = std::clamp(LineHeight() - 2, 8, 14);
  const int w = std::max(8, bookMarkOptions_.Xoffset() - 1);
  glyph = QPixmap(w, h);
  glyph.fill(Qt::transparent);
  QPainter p(&glyph);
  p.setPen(QColor(0, 0, 128));
  p.setBrush(QColor(255, 255, 160));
  p.drawRect(0, 0, w - 1, h - 1);
  QFont f = font();
  f.setBold(true);
  f.setPixelSize(std::max(6, h - 3));
  p.setFont(f);
  p.drawText(QRect(0, 0, w, h), Qt::AlignCenter, QString::number(index));
  return glyph;
}

void TTextEditor::PaintGutter(QPainter& p, const QRect& clip, int firstLine, int lastLine) {
  const int lh = LineHeight();
  const QColor color = Resolve(gutter_.Color(), palette().color(QPalette::Button));
  const QRect area = clip.intersected(QRect(0, 0, gutterWidth_, viewport()->height()));
  p.fillRect(area, color);
  const int last = std::min(lastLine, LineCount());
  if (gutter_.ShowLineNumbers()) {
    p.save();
    p.setClipRect(QRect(0, area.top(), std::max(0, gutterWidth_ - 2), area.height()));
    TFontStyles style = 0;
    if (gutter_.UseFontStyle()) {
      if (font().bold()) style |= fsBold;
      if (font().italic()) style |= fsItalic;
    }
    p.setFont(fonts_.Font(style));
    p.setPen(palette().color(QPalette::Text));
    for (int line = firstLine; line <= last; ++line) {
      const int y = (line - TopLine()) * lh;
      p.drawText(QPoint(gutter_.LeftOffset(), y + fonts_.Ascent()),
                 QString::fromStdString(gutter_.FormatLineNumber(line, LineCount())));
    }
    p.restore();
  }
  if (clip.right() >= gutterWidth_ - 2 && gutterWidth_ >= 2) {
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(gutterWidth_ - 2, area.top(), gutterWidth_ - 2, area.bottom());
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(gutterWidth_ - 1, area.top(), gutterWidth_ - 1, area.bottom());
  }
  if (!bookMarkOptions_.GlyphsVisible() || Marks().empty()) return;
  p.save();
  p.setClipRect(area);
  for (int line = firstLine; line <= last; ++line) {
    int x = bookMarkOptions_.LeftMargin();
    int drawn = 0;
    for (const auto& mark : Marks()) {
      if (mark->Line() != line || !mark->Visible()) continue;
      if (++drawn > 16) break;
      const QPixmap glyph = MarkGlyph(*mark);
      if (!glyph.isNull())
        p.drawPixmap(x, (line - TopLine()) * lh + std::max(0, (lh - glyph.height()) / 2), glyph);
      x += bookMarkOptions_.Xoffset();
    }
  }
  p.restore();
}

QPixmap TTextEditor::MarkGlyph(const TMark& mark) {
  const int index = mark.ImageIndex();
  if (const TImageList* images = bookMarkOptions_.BookmarkImages();
      images != nullptr && !mark.InternalImage())
    return images->Image(index);  // null beyond the list
  return index >= 0 && index < 10 ? BuiltInGlyph(index) : QPixmap();
}

namespace {

// A stretch of a displayed line with one look.
struct TRun {
  int Col = 0;  // 0-based display column
  int Len = 0;
  QColor Fg;
  QColor Bg;
  TFontStyles Style = 0;
  bool SameLook(const TRun& o) const { return Fg == o.Fg && Bg == o.Bg && Style == o.Style; }
};

}  // namespace

void TTextEditor::PaintTextLines(QPainter& p, const QRect& clip, int firstLine, int lastLine) {
  const int cw = CharWidth();
  const int lh = LineHeight();
  const int textLeft = gutterWidth_ + 2;
  const int offset = TextOffset();
  const QColor bg = Background();
  const QColor fontColor = palette().color(QPalette::Text);
  const QColor selFg =
      Resolve(selectedColor_.Foreground, palette().color(QPalette::HighlightedText));
  const QColor selBg = Resolve(selectedColor_.Background, palette().color(QPalette::Highlight));
  const int right = viewport()->width();
  p.save();
  p.setClipRect(
      clip.intersected(QRect(gutterWidth_, 0, right - gutterWidth_, viewport()->height())));
  if (clip.left() < textLeft) p.fillRect(QRect(gutterWidth_, clip.top(), 2, clip.height()), bg);
  const bool showSelection = SelAvail() && !(hideSelection_ && !hasFocus());
  // The display columns in view (0-based, end exclusive).
  const int firstCol = std::max(0, (std::max(clip.left(), textLeft) - offset) / cw);
  const int endCol = (clip.right() - offset) / cw + 1;
  TmwCustomHighLighter* h = HighLighter();
  const TFontStyles fontStyle =
      static_cast<TFontStyles>((font().bold() ? fsBold : 0) | (font().italic() ? fsItalic : 0));
  std::vector<int> starts;
  std::vector<TRun> runs;
  std::vector<TRun> pieces;
  for (int line = firstLine; line <= lastLine; ++line) {
    const int y = (line - TopLine()) * lh;
    if (line > LineCount()) {
      p.fillRect(QRect(textLeft, y, right - textLeft, lh), bg);
      continue;
    }
    const TEditString& text = Lines().Get(line - 1);
    bool special = false;
    TColor specialFg = clNone;
    TColor specialBg = clNone;
    if (OnSpecialLineColors) OnSpecialLineColors(line, special, specialFg, specialBg);
    const QColor lineBg = special ? Resolve(specialBg, bg) : bg;
    const TEditString shown = ExpandTabs(text, TabWidth(), &starts);
    const int shownLen = static_cast<int>(shown.size());
    runs.clear();
    if (h != nullptr) {
      h->SetRange(Lines().Range(line - 1));
      h->SetLine(text, line - 1);
      while (!h->GetEol()) {
        const int pos = h->GetTokenPos();
        const int len = static_cast<int>(h->GetToken().size());
        const int from =
            starts[static_cast<size_t>(std::clamp(pos, 0, static_cast<int>(text.size())))];
        const int to =
            starts[static_cast<size_t>(std::clamp(pos + len, 0, static_cast<int>(text.size())))];
        TRun run{from, to - from, fontColor, lineBg, fontStyle};
        if (TmwHighLightAttributes* a = h->GetTokenAttribute()) {
          run.Fg = Resolve(a->Foreground(), fontColor);
          run.Bg = Resolve(a->Background(), lineBg);
          run.Style = a->Style();
        }
        if (special) {
          run.Fg = Resolve(specialFg, fontColor);
          run.Bg = lineBg;
        }
        if (run.Len > 0 && run.Col < endCol && run.Col + run.Len > firstCol) runs.push_back(run);
        h->Next();
      }
    } else if (shownLen > 0) {
      runs.push_back(
          {0, shownLen, special ? Resolve(specialFg, fontColor) : fontColor, lineBg, fontStyle});
    }
    // The selection's display columns on this line (0-based, end exclusive).
    int selFrom = 0;
    int selTo = 0;
    if (showSelection) {
      const TLineSelection sel = SelectionOnLine(*this, line);
      if (sel.Any()) {
        selFrom = sel.First - 1;
        selTo = sel.ToRowEnd ? std::numeric_limits<int>::max() : sel.Last - 1;
      }
    }
    // Split the runs at the view and the selection, and merge neighbours that look alike.
    pieces.clear();
    for (const TRun& run : runs) {
      const int a = std::max(run.Col, firstCol);
      const int b = std::min(run.Col + run.Len, endCol);
      const int cuts[4] = {a, std::clamp(selFrom, a, b), std::clamp(selTo, a, b), b};
      for (int k = 0; k < 3; ++k) {
        if (cuts[k + 1] <= cuts[k]) continue;
        TRun piece = run;
        piece.Col = cuts[k];
        piece.Len = cuts[k + 1] - cuts[k];
        if (k == 1) {
          piece.Fg = selFg;
          piece.Bg = selBg;
        }
        if (!pieces.empty() && pieces.back().SameLook(piece) &&
            pieces.back().Col + pieces.back().Len == piece.Col)
          pieces.back().Len += piece.Len;
        else
          pieces.push_back(piece);
      }
    }
    for (const TRun& piece : pieces) {
      const int x = offset + piece.Col * cw;
      p.fillRect(QRect(x, y, piece.Len * cw, lh), piece.Bg);
      p.setFont(fonts_.Font(piece.Style));
      p.setPen(piece.Fg);
      const TEditStringView s = TEditStringView(shown).substr(static_cast<size_t>(piece.Col),
                                                              static_cast<size_t>(piece.Len));
      if (std::all_of(s.begin(), s.end(), OnGrid)) {
        p.drawText(QPoint(x, y + fonts_.Ascent()), ToQString(s));
      } else {
        for (size_t i = 0; i < s.size(); ++i)
          p.drawText(QPoint(x + static_cast<int>(i) * cw, y + fonts_.Ascent()),
                     ToQString(s.substr(i, 1)));
      }
    }
    // Right of the text: the background, or the selection where it reaches.
    const int restCol = std::max(shownLen, firstCol);
    const int restX = std::max(textLeft, offset + restCol * cw);
    if (restX < right) p.fillRect(QRect(restX, y, right - restX, lh), lineBg);
    if (selTo > selFrom && selTo > shownLen) {
      const int a = std::max({selFrom, shownLen, firstCol});
      const int xa = std::max(textLeft, offset + a * cw);
      const int xb = selTo == std::numeric_limits<int>::max() ? right : offset + selTo * cw;
      if (xb > xa) p.fillRect(QRect(xa, y, xb - xa, lh), selBg);
    }
  }
  if (rightEdge_ > 0) {
    const int x = rightEdge_ * cw + offset;
    if (x >= clip.left() && x <= clip.right() && x >= textLeft) {
      p.setPen(Resolve(rightEdgeColor_, Qt::lightGray));
      p.drawLine(x, clip.top(), x, clip.bottom());
    }
  }
  p.restore();
}

// --- Window events -----------------------------------------------------------------------------

bool TTextEditor::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // The editor claims only keys without modifiers or with Shift alone: a Ctrl or Alt key is a
    // shortcut of the window's menus first, and reaches the key table only when none has it.
    auto* k = static_cast<QKeyEvent*>(e);
    const uint16_t vk = TableKeyOf(*k);
    const bool plain =
        (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (plain && vk != 0 && Keystrokes().FindKeycode(vk, ShiftOf(k->modifiers())) >= 0) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

void TTextEditor::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  EnsureMetrics();
  UpdateWindowSize();
  SetLeftChar(LeftChar());
}

void TTextEditor::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() != QEvent::FontChange) return;
  // A proportional font would leave the text off the cell grid: the editor takes a fixed-pitch
  // one of the same size and style instead (setting it comes back here with that font).
  if (!fixingFont_) {
    const QFont fixed = FixedPitchFont(font());
    if (fixed != font()) {
      fixingFont_ = true;
      setFont(fixed);
      fixingFont_ = false;
      return;
    }
  }
  UpdateMetrics();
}

void TTextEditor::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  UpdateCaret();
  if (hideSelection_ && SelAvail()) viewport()->update();
}

void TTextEditor::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  caretTimer_.stop();
  caretOn_ = false;
  viewport()->update(CaretRect().adjusted(-2, -2, 2, 2));
  if (hideSelection_ && SelAvail()) viewport()->update();
}

bool TTextEditor::focusNextPrevChild(bool next) {
  if (WantTabs() && !(QApplication::keyboardModifiers() & Qt::ControlModifier)) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void TTextEditor::keyPressEvent(QKeyEvent* e) {
  const uint16_t vk = TableKeyOf(*e);
  const bool consumed = vk != 0 && KeyDown(vk, ShiftOf(e->modifiers()));
  const QList<uint> chars = e->text().toUcs4();
  if (consumed) {
    // The character that comes with a bound key is dropped by the editor.
    KeyPress(chars.isEmpty() ? 0 : chars.front());
  } else if (TypesCharacters(e->modifiers(), !XkbKeyboard())) {
    for (uint c : chars) KeyPress(static_cast<TEditChar>(c));
  }
  e->accept();
  UpdateCaret();
}

void TTextEditor::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty()) InputMethodText(FromQString(e->commitString()));
  e->accept();
}

// --- Mouse -------------------------------------------------------------------------------------

void TTextEditor::mousePressEvent(QMouseEvent* e) {
  EnsureMetrics();
  const QPoint pos = e->position().toPoint();
  if (e->button() == Qt::RightButton && e->modifiers() == Qt::NoModifier && popupMenu_ != nullptr &&
      SelAvail())
    return;
  const bool left = e->button() == Qt::LeftButton;
  const bool hadSelection = left && SelAvail();
  pressPoint_ = pos;
  if (OnMouseDown) OnMouseDown(e->button(), e->modifiers(), pos.x(), pos.y());
  const TPoint at = PixelToText(pos);
  const bool inside = hadSelection && InsideSelection(at);
  SetCaretXY(at);
  if (inside && Options().Has(mweoDragDropEditing) && pos.x() >= gutterWidth_) {
    dragPending_ = true;
  } else if (e->modifiers() & Qt::ShiftModifier) {
    SetBlockEnd(CaretXY());
  } else {
    SetBlockBegin(CaretXY());
  }
  if (pos.x() < gutterWidth_) gutterPressed_ = true;
  setFocus(Qt::MouseFocusReason);
}

void TTextEditor::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (!(e->buttons() & Qt::LeftButton)) {
    UpdateCursor(pos);
    return;
  }
  if (dragPending_) {
    const int distance = QApplication::startDragDistance();
    if (!ReadOnly() && (std::abs(pos.x() - pressPoint_.x()) >= distance ||
                        std::abs(pos.y() - pressPoint_.y()) >= distance)) {
      dragPending_ = false;
      StartTextDrag();
    }
    return;
  }
  selecting_ = true;
  lastMouse_ = pos;
  if (InTextArea(pos)) {
    autoScrollTimer_.stop();
    SetCaretXY(PixelToText(pos));
    SetBlockEnd(CaretXY());
  } else if (!autoScrollTimer_.isActive() || OutsideDistance(pos) >= 42) {
    AutoScrollStep();
  }
}

int TTextEditor::OutsideDistance(QPoint pos) {
  const int width = viewport()->width();
  const int height = viewport()->height();
  int d = 0;
  if (pos.x() >= width) d = pos.x() - width + 1;
  if (pos.x() < GutterWidth()) d = GutterWidth() - pos.x();
  if (pos.y() >= height) d = std::max(d, pos.y() - height + 1);
  if (pos.y() < 0) d = std::max(d, -pos.y());
  return d;
}

void TTextEditor::AutoScrollStep() {
  if (!selecting_) return;
  const QPoint pos = lastMouse_;
  if (InTextArea(pos)) return;
  const int width = viewport()->width();
  const int height = viewport()->height();
  if (pos.x() >= width)
    SetLeftChar(LeftChar() + (pos.x() - width + 1 < 10 ? 1 : 8));
  else if (pos.x() < gutterWidth_)
    SetLeftChar(LeftChar() - (gutterWidth_ - pos.x() < 10 ? 1 : 8));
  if (pos.y() >= height)
    SetTopLine(TopLine() + (pos.y() - height + 1 < 10 ? 1 : LinesInWindow()));
  else if (pos.y() < 0)
    SetTopLine(TopLine() - (-pos.y() < 10 ? 1 : LinesInWindow()));
  // The caret goes to the row or column at the edge the mouse left by (whole cells only).
  const int textRight = gutterWidth_ + 2 + CharsInWindow() * CharWidth() - 1;
  const int textBottom = LinesInWindow() * LineHeight() - 1;
  const QPoint edge(std::clamp(pos.x(), gutterWidth_ + 2, std::max(gutterWidth_ + 2, textRight)),
                    std::clamp(pos.y(), 0, std::max(0, textBottom)));
  SetCaretXY(PixelToText(edge));
  SetBlockEnd(CaretXY());
  // Far outside there is no pause between steps.
  autoScrollTimer_.start(OutsideDistance(pos) >= 42 ? 0 : 100);
}

void TTextEditor::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (OnMouseUp) OnMouseUp(e->button(), e->modifiers(), pos.x(), pos.y());
  if (e->button() == Qt::RightButton && e->modifiers() == Qt::NoModifier && popupMenu_ != nullptr &&
      SelAvail())
    return;
  autoScrollTimer_.stop();
  selecting_ = false;
  if (gutterPressed_ && pos.x() < GutterWidth()) GutterClick(pos);
  if (dragPending_) {
    // A click inside the selection that never became a drag.
    dragPending_ = false;
    SetCaretXY(PixelToText(pos));
    SetBlockBegin(CaretXY());
  }
  gutterPressed_ = false;
}

void TTextEditor::mouseDoubleClickEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (e->button() != Qt::LeftButton || pos.x() < GutterWidth()) {
    QAbstractScrollArea::mouseDoubleClickEvent(e);
    return;
  }
  TPoint begin;
  TPoint end;
  if (WordAt(*this, PixelToText(pos), begin, end)) {
    SetCaretXY(end);
    SetBlockBegin(begin);
    SetBlockEnd(end);
  }
  dragPending_ = false;
}

void TTextEditor::GutterClick(QPoint pos) {
  if (!OnGutterClick) return;
  const int line = TopLine() + pos.y() / LineHeight();
  if (line < 1 || line > LineCount()) return;
  TMark* found = nullptr;
  int x = bookMarkOptions_.LeftMargin();
  int walked = 0;
  for (const auto& mark : Marks()) {
    if (mark->Line() != line) continue;
    if (++walked > 16) break;
    x += bookMarkOptions_.Xoffset();
    if (x > pos.x()) {
      found = mark.get();
      break;
    }
  }
  OnGutterClick(pos.x(), pos.y(), line, found);
}

void TTextEditor::UpdateCursor(QPoint pos) {
  if (pos.x() < GutterWidth())
    viewport()->setCursor(gutterCursor_);
  else if (Options().Has(mweoDragDropEditing) && InsideSelection(PixelToText(pos)))
    viewport()->setCursor(Qt::ArrowCursor);
  else
    viewport()->setCursor(Qt::IBeamCursor);
}

void TTextEditor::wheelEvent(QWheelEvent* e) {
  const int notches = wheel_.Add(e->angleDelta().y());
  if (notches != 0) {
    const int lines = WheelLinesPerNotch((e->modifiers() & Qt::ControlModifier) != 0,
                                         Options().Has(mweoHalfPageScroll), LinesInWindow());
    SetTopLine(TopLine() - notches * lines);
  }
  e->accept();
}

void TTextEditor::contextMenuEvent(QContextMenuEvent* e) {
  if (popupMenu_ != nullptr) popupMenu_->popup(e->globalPos());
}

// --- Drag and drop -----------------------------------------------------------------------------

void TTextEditor::StartTextDrag() {
  auto* data = new TEditorDragData(this);
  const TEditString text = SelText();
  data->setText(ToQString(text));
  const std::string payload = EncodeBlockPayload(SelectionMode(), text);
  data->setData(kEditorBlockMimeType,
                QByteArray(payload.data(), static_cast<qsizetype>(payload.size())));
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

void TTextEditor::dragEnterEvent(QDragEnterEvent* e) {
  const auto* own = qobject_cast<const TEditorDragData*>(e->mimeData());
  if (own != nullptr && own->Source() == this) {
    e->setDropAction((e->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
    e->accept();
  } else if (e->mimeData()->hasUrls() && Options().Has(mweoDropFiles)) {
    e->acceptProposedAction();
  } else {
    e->ignore();
  }
}

void TTextEditor::dragMoveEvent(QDragMoveEvent* e) {
  const auto* own = qobject_cast<const TEditorDragData*>(e->mimeData());
  if (own != nullptr && own->Source() == this) {
    e->setDropAction((e->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
    e->accept();
    SetCaretXY(PixelToText(e->position().toPoint()));
  } else if (e->mimeData()->hasUrls() && Options().Has(mweoDropFiles)) {
    e->acceptProposedAction();
  } else {
    e->ignore();
  }
}

void TTextEditor::dragLeaveEvent(QDragLeaveEvent*) {
  SetCaretXY(PixelToText(pressPoint_));
}

void TTextEditor::dropEvent(QDropEvent* e) {
  const QPoint pos = e->position().toPoint();
  const auto* own = qobject_cast<const TEditorDragData*>(e->mimeData());
  if (own != nullptr && own->Source() == this) {
    const bool copy = (e->modifiers() & Qt::ControlModifier) != 0;
    if (!ReadOnly() && SelAvail()) DropSelection(PixelToText(pos), copy);
    e->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    e->accept();
    dragPending_ = false;
    return;
  }
  if (e->mimeData()->hasUrls() && Options().Has(mweoDropFiles)) {
    QStringList files;
    for (const QUrl& url : e->mimeData()->urls())
      if (url.isLocalFile()) files << url.toLocalFile();
    if (OnDropFiles) OnDropFiles(pos.x(), pos.y(), files);
    e->acceptProposedAction();
    return;
  }
  e->ignore();
}

}  // namespace tovix

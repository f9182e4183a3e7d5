#pragma once
// The text editor control: a scroll area that shows and edits a TmwCustomEdit. The gutter on
// the left shows line numbers and bookmark glyphs; the text sits on a fixed grid of character
// cells (tabs expanded), coloured token by token by the attached highlighter; the selection is
// painted in display columns in its mode. The mouse places the caret, selects (scrolling on a
// timer while it is outside the text), selects words on a double click and drags the selection
// to move it (or copy it with Ctrl). The wheel scrolls three lines per notch.

#include <QAbstractScrollArea>
#include <QCursor>
#include <QFont>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

#include "controls/image_list.h"
#include "controls/key_chords.h"
#include "editors/custom_edit.h"
#include "editors/edit_view.h"

class QPagedPaintDevice;
class QPainter;

namespace tovix {

class TTextEditor;

// The editor's fonts: one per combination of bold, italic, underline and strike-out, made from
// one base font on first use and spaced so that every character advances exactly CharWidth.
class TFontStyleCache {
 public:
  // CharWidth is the advance in bold when bold is used, LineHeight the height in italic when
  // italic is used.
  void SetBaseFont(const QFont& font, bool boldUsed, bool italicUsed);
  const QFont& Font(TFontStyles style);
  int CharWidth() const { return charWidth_; }
  int CharHeight() const { return charHeight_; }
  int Ascent() const { return ascent_; }

 private:
  QFont base_;
  std::array<QFont, 16> fonts_;
  std::array<bool, 16> made_{};
  int charWidth_ = 8;
  int charHeight_ = 16;
  int ascent_ = 12;
};

// The clipboard of the window system, for the editor's copy, cut and paste.
class TQtEditorClipboard : public IEditorClipboard {
 public:
  bool SetTextAndBlock(const TEditString& text, const std::string& blockPayload) override;
  std::optional<std::string> GetBlock() override;
  std::optional<TEditString> GetText() override;
};

// What a drag out of an editor carries: the text, the editor's own block, and the editor it
// came from (a drop into that same editor moves or copies the block there).
class TEditorDragData : public QMimeData {
  Q_OBJECT

 public:
  explicit TEditorDragData(const TTextEditor* source) : source_(source) {}
  const TTextEditor* Source() const { return source_; }

 private:
  const TTextEditor* source_;
};

enum class TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNone, bsSingle };
// Where a print stands when OnPrintStatus is called.
enum TmwPrintStatus { psBegin, psNewPage, psEnd };

struct TmwSelectedColor {
  TColor Background = clHighlight;
  TColor Foreground = clHighlightText;
};

// How the gutter shows the marks. Every change of a value (or of the image list's images)
// fires OnChange, and the editor repaints its gutter.
class TmwBookMarkOpt : public QObject {
  Q_OBJECT

 public:
  // Glyphs by image index for the marks placed while it is set; none: the ten built-in glyphs
  // (digit boxes).
  TImageList* BookmarkImages() const { return bookmarkImages_; }
  void SetBookmarkImages(TImageList* images);
  // The bookmark keys (Ctrl+digit, Ctrl+Shift+digit) work.
  bool EnableKeys() const { return enableKeys_; }
  void SetEnableKeys(bool on);
  bool GlyphsVisible() const { return glyphsVisible_; }
  void SetGlyphsVisible(bool on);
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int pixels);
  // The distance from one glyph of a line to the next.
  int Xoffset() const { return xoffset_; }
  void SetXoffset(int pixels);

 signals:
  void OnChange();

 private:
  template <class T>
  void Set(T& field, T value);

  QPointer<TImageList> bookmarkImages_;
  QMetaObject::Connection imagesChanged_;
  bool enableKeys_ = true;
  bool glyphsVisible_ = true;
  int leftMargin_ = 2;
  int xoffset_ = 12;
};

// The Windows virtual-key code of a Qt key (0 when the key has none); the key bindings are
// stored in these codes.
uint16_t VirtualKeyOf(int qtKey);

// The key the key table looks up for a key event: what the keyboard means, not the character
// it made. Where the native scan codes are xkb keycodes (X11, Wayland), the digit row gives its
// digit whatever Shift put on it (Shift+Ctrl+1 reports "!"), and a letter key of a layout
// without Latin letters gives the letter of its place; otherwise the Qt key's code.
uint16_t KeyTableKey(int qtKey, uint32_t nativeScanCode, bool xkbKeycodes);

// A font whose characters all advance alike, for the editor's grid of cells: `font` itself when
// it is one; else a fixed-pitch font of its size and style.
QFont FixedPitchFont(const QFont& font);

class TTextEditor : public QAbstractScrollArea, public TmwCustomEdit {
  Q_OBJECT

 public:
  explicit TTextEditor(QWidget* parent = nullptr);
  ~TTextEditor() override;

  // --- Appearance ---------------------------------------------------------------------------
  TmwGutter& Gutter() { return gutter_; }
  TmwBookMarkOpt& BookMarkOptions() { return bookMarkOptions_; }
  const TmwSelectedColor& SelectedColor() const { return selectedColor_; }
  void SetSelectedColor(const TmwSelectedColor& colors);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int ExtraLineSpacing() const { return extraLineSpacing_; }
  void SetExtraLineSpacing(int value);
  int RightEdge() const { return rightEdge_; }
  void SetRightEdge(int value);
  TColor RightEdgeColor() const { return rightEdgeColor_; }
  void SetRightEdgeColor(TColor color);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool on);
  TCaretType InsertCaret() const { return insertCaret_; }
  void SetInsertCaret(TCaretType type);
  TCaretType OverwriteCaret() const { return overwriteCaret_; }
  void SetOverwriteCaret(TCaretType type);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle style);
  // bsSingle: the sunken frame around the control; bsNone: none, the text area takes its room.
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  void SetGutterCursor(const QCursor& cursor) { gutterCursor_ = cursor; }
  // The context menu; a right click on a selection then leaves the caret and selection alone.
  void SetPopupMenu(class QMenu* menu) { popupMenu_ = menu; }

  // --- Geometry -----------------------------------------------------------------------------
  int CharWidth();
  int LineHeight();
  int GutterWidth();
  // The x of column 1 (display columns): gutter width + 2 - (LeftChar - 1) * CharWidth.
  int TextOffset();
  // The text position under a point of the viewport (column rounded to the nearest cell
  // edge, tabs included), clamped as the caret is.
  TPoint PixelToText(QPoint pixel);
  // The top left of the cell of a text position, in viewport pixels.
  QPoint TextToPixel(TPoint at);
  // Recomputes the fonts, metrics, gutter width and scroll bars (done on demand otherwise).
  void UpdateMetrics();

  // --- Model overrides ----------------------------------------------------------------------
  void SetCaretXY(TPoint p) override;

  // Prints the whole text onto `device` (a printer or a PDF writer) in the editor's font at its
  // point size, coloured and styled as the highlighter says, tabs expanded and long lines
  // wrapped. OnPrintStatus is called with psBegin (page 1), psNewPage before each further page
  // and psEnd (the last page); setting `abort` stops before the next page. Returns the pages
  // printed (0 when the device cannot be painted on).
  int Print(QPagedPaintDevice& device);
  std::function<void(TmwPrintStatus status, int pageNumber, bool& abort)> OnPrintStatus;

  // One step of the scrolling that runs while the mouse selects outside the text area.
  void AutoScrollStep();
  bool Selecting() const { return selecting_; }

  // --- Events -------------------------------------------------------------------------------
  // A click in the gutter: the pixel, the line and the mark under the click (or none).
  std::function<void(int x, int y, int line, TMark* mark)> OnGutterClick;
  // Asked for every painted line; setting `special` paints the whole line in fg on bg.
  std::function<void(int line, bool& special, TColor& fg, TColor& bg)> OnSpecialLineColors;
  std::function<void(QPainter& painter)> OnPaint;
  std::function<void(int x, int y, const QStringList& files)> OnDropFiles;
  // Runs before the caret moves to the click.
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)>
      OnMouseDown;
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)>
      OnMouseUp;

 protected:
  void InvalidateLines(int first, int last) override;
  void InvalidateAll() override;
  void InvalidateGutterLines(int first, int last) override;
  bool HasBookmarkImages() const override { return bookMarkOptions_.BookmarkImages() != nullptr; }

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dragLeaveEvent(QDragLeaveEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;

  virtual void PaintGutter(QPainter& p, const QRect& clip, int firstLine, int lastLine);
  virtual void PaintTextLines(QPainter& p, const QRect& clip, int firstLine, int lastLine);

 private:
  void EnsureMetrics();
  void UpdateWindowSize();
  void UpdateScrollBars();
  void UpdateCursor(QPoint pos);
  void StartTextDrag();
  void GutterClick(QPoint pos);
  bool InsideSelection(TPoint p) const;
  bool InTextArea(QPoint pos);
  // How far (pixels) a point lies outside the text area; 0 inside.
  int OutsideDistance(QPoint pos);
  QRect CaretRect();
  void UpdateCaret();
  QColor Resolve(TColor color, QColor fallback) const;
  QColor Background() const;
  QPixmap BuiltInGlyph(int index);
  // A mark's glyph: from the bookmark images unless the mark is internal; none beyond them.
  QPixmap MarkGlyph(const TMark& mark);
  void ShowScrollHint(int topLine);

  TmwGutter gutter_;
  TmwBookMarkOpt bookMarkOptions_;
  TmwSelectedColor selectedColor_;
  TColor color_ = clWindow;
  int extraLineSpacing_ = 0;
  int rightEdge_ = 80;
  TColor rightEdgeColor_ = 0xC0C0C0;
  bool hideSelection_ = false;
  TCaretType insertCaret_ = ctVerticalLine;
  TCaretType overwriteCaret_ = ctBlock;
  TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
  TBorderStyle borderStyle_ = bsSingle;
  QCursor gutterCursor_{Qt::ArrowCursor};
  class QMenu* popupMenu_ = nullptr;

  TFontStyleCache fonts_;
  bool fixingFont_ = false;  // while a proportional font is being replaced
  bool metricsValid_ = false;
  QFont metricsFont_;
  TFontStyles metricsStyles_ = 0;
  int metricsExtra_ = 0;
  int gutterWidth_ = 30;
  int syncing_ = 0;  // > 0 while the scroll bars are set from the editor
  std::array<QPixmap, 10> builtInGlyphs_;

  TQtEditorClipboard clipboard_;
  TWheelAccumulator wheel_;
  QTimer caretTimer_;
  bool caretOn_ = false;
  QTimer autoScrollTimer_;
  QPoint lastMouse_;
  QPoint pressPoint_;
  bool dragPending_ = false;
  bool gutterPressed_ = false;
  bool selecting_ = false;
};

}  // namespace tovix

#pragma once
// What the text editor's widget computes before it draws or moves anything, kept free of the
// window system so it can be tested alone: the gutter and its line numbers, tabs expanded for
// display, the selected display columns of a line, mouse positions to text positions, the word
// under a double click, the wheel's notches and the caret's shape.

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "editors/custom_edit.h"

namespace tovix {

// System colours the editor paints with (the widget maps them to its palette).
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clHighlight = 0x8000000D;
constexpr TColor clHighlightText = 0x8000000E;
constexpr TColor clWindow = 0x80000005;

// The gutter left of the text: line numbers, mark glyphs and its own width.
class TmwGutter {
 public:
  bool AutoSize() const { return autoSize_; }
  TColor Color() const { return color_; }
  int DigitCount() const { return digitCount_; }
  bool LeadingZeros() const { return leadingZeros_; }
  int LeftOffset() const { return leftOffset_; }
  int RightOffset() const { return rightOffset_; }
  bool ShowLineNumbers() const { return showLineNumbers_; }
  bool UseFontStyle() const { return useFontStyle_; }
  bool Visible() const { return visible_; }
  int Width() const { return width_; }
  bool ZeroStart() const { return zeroStart_; }

  void SetAutoSize(bool v) { Set(autoSize_, v); }
  void SetColor(TColor v) { Set(color_, v); }
  void SetDigitCount(int v) { Set(digitCount_, std::clamp(v, 2, 12)); }
  void SetLeadingZeros(bool v) { Set(leadingZeros_, v); }
  void SetLeftOffset(int v) { Set(leftOffset_, std::max(0, v)); }
  void SetRightOffset(int v) { Set(rightOffset_, std::max(0, v)); }
  void SetShowLineNumbers(bool v) { Set(showLineNumbers_, v); }
  void SetUseFontStyle(bool v) { Set(useFontStyle_, v); }
  void SetVisible(bool v) { Set(visible_, v); }
  void SetWidth(int v) { Set(width_, std::max(0, v)); }
  void SetZeroStart(bool v) { Set(zeroStart_, v); }
  // Copies every setting; notifies once.
  void Assign(const TmwGutter& source);

  // The digits shown: with AutoSize and line numbers, enough for the line count.
  int DigitsInUse(int lineCount) const;
  // Line `line` as shown: minus 1 with ZeroStart, right-aligned to the digits in use; with
  // LeadingZeros the leading blanks are zeros.
  std::string FormatLineNumber(int line, int lineCount) const;
  // 0 when hidden; with line numbers the offsets, the digits and 2 pixels; else Width.
  int RealGutterWidth(int lineCount, int charWidth) const;

  std::function<void()> OnChange;

 private:
  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    if (OnChange) OnChange();
  }

  bool autoSize_ = false;
  TColor color_ = clBtnFace;
  int digitCount_ = 4;
  bool leadingZeros_ = false;
  int leftOffset_ = 16;
  int rightOffset_ = 2;
  bool showLineNumbers_ = false;
  bool useFontStyle_ = false;
  bool visible_ = true;
  int width_ = 30;
  bool zeroStart_ = false;
};

// The line as shown: each tab padded with blanks to the next multiple of `tabWidth` (one blank
// when the width is below 2). `starts`, when given, receives the 0-based display column of every
// character and, last, of the line's end.
TEditString ExpandTabs(TEditStringView line, int tabWidth, std::vector<int>* starts = nullptr);

// The selected display columns of one line: [First, Last), 1-based; with ToRowEnd the
// selection covers the row to the right edge. Empty when the line holds no selection.
struct TLineSelection {
  int First = 0;
  int Last = 0;
  bool ToRowEnd = false;
  bool Any() const { return ToRowEnd || Last > First; }
};
TLineSelection SelectionOnLine(const TmwCustomEdit& edit, int line);

// The character column of a point `cells` character cells right of column 1's left edge
// (fractions included): a point in the right half of a character (or of a tab's cells) gives
// the column behind it. Beyond the line's end every cell is one column.
int CellsToCharColumn(TEditStringView line, int tabWidth, double cells);

// The word a double click at `at` selects: the word at or left of it, else the next one to the
// right. False when the line holds no word there.
bool WordAt(const TmwCustomEdit& edit, TPoint at, TPoint& begin, TPoint& end);

// The wheel: deltas are summed, every whole 120 is one notch (positive: towards the text's
// start); the remainder is kept for the next report.
class TWheelAccumulator {
 public:
  int Add(int delta);
  void Reset() { rest_ = 0; }

 private:
  int rest_ = 0;
};
// Lines per notch: 3, or a page with Ctrl (half a page with mweoHalfPageScroll).
int WheelLinesPerNotch(bool ctrl, bool halfPage, int linesInWindow);

enum TCaretType : uint8_t { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };
// The caret's rectangle relative to its cell's top left.
struct TCaretRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};
TCaretRect CaretShape(TCaretType type, int charWidth, int lineHeight);

}  // namespace tovix

#include "editors/edit_view.h"

#include <algorithm>
#include <cmath>

namespace tovix {

void TmwGutter::Assign(const TmwGutter& source) {
  if (&source == this) return;
  std::function<void()> onChange = std::move(OnChange);
  *this = source;
  OnChange = std::move(onChange);
  if (OnChange) OnChange();
}

int TmwGutter::DigitsInUse(int lineCount) const {
  if (!(autoSize_ && showLineNumbers_)) return digitCount_;
  int digits = 1;
  for (int n = std::max(0, lineCount); n >= 10; n /= 10) ++digits;
  return std::max(digitCount_, digits);
}

std::string TmwGutter::FormatLineNumber(int line, int lineCount) const {
  std::string s = std::to_string(zeroStart_ ? line - 1 : line);
  const size_t width = static_cast<size_t>(DigitsInUse(lineCount));
  if (s.size() < width) s.insert(0, width - s.size(), leadingZeros_ ? '0' : ' ');
  return s;
}

int TmwGutter::RealGutterWidth(int lineCount, int charWidth) const {
  if (!visible_) return 0;
  if (showLineNumbers_) return leftOffset_ + rightOffset_ + DigitsInUse(lineCount) * charWidth + 2;
  return width_;
}

TEditString ExpandTabs(TEditStringView line, int tabWidth, std::vector<int>* starts) {
  TEditString out;
  out.reserve(line.size());
  if (starts != nullptr) {
    starts->clear();
    starts->reserve(line.size() + 1);
  }
  for (TEditChar c : line) {
    if (starts != nullptr) starts->push_back(static_cast<int>(out.size()));
    if (c != U'\t') {
      out.push_back(c);
    } else if (tabWidth < 2) {
      out.push_back(U' ');
    } else {
      const size_t pad = static_cast<size_t>(tabWidth) - out.size() % static_cast<size_t>(tabWidth);
      out.append(pad, U' ');
    }
  }
  if (starts != nullptr) starts->push_back(static_cast<int>(out.size()));
  return out;
}

TLineSelection SelectionOnLine(const TmwCustomEdit& edit, int line) {
  TLineSelection sel;
  if (!edit.SelAvail()) return sel;
  TPoint b = edit.BlockBegin();
  TPoint e = edit.BlockEnd();
  if (PointBefore(e, b)) std::swap(b, e);
  if (line < b.Y || line > e.Y) return sel;
  switch (edit.SelectionMode()) {
    case smNormal:
      sel.First = line == b.Y ? edit.CharToDisplayColumn(line, b.X) : 1;
      if (line == e.Y)
        sel.Last = edit.CharToDisplayColumn(line, e.X);
      else
        sel.ToRowEnd = true;
      break;
    case smColumn: {
      const int l = std::min(b.X, e.X);
      const int r = std::max(b.X, e.X);
      sel.First = edit.CharToDisplayColumn(line, l);
      sel.Last = edit.CharToDisplayColumn(line, r);
      break;
    }
    case smLine:
      sel.First = 1;
      sel.ToRowEnd = true;
      break;
  }
  return sel;
}

int CellsToCharColumn(TEditStringView line, int tabWidth, double cells) {
  int col = 0;  // 0-based display start of the character
  int x = 1;
  for (TEditChar c : line) {
    const int w = (c == U'\t' && tabWidth > 0) ? tabWidth - col % tabWidth : 1;
    if (cells < col + w / 2.0) return x;
    col += w;
    ++x;
  }
  return x + std::max(0, static_cast<int>(std::floor(cells - col + 0.5)));
}

bool WordAt(const TmwCustomEdit& edit, TPoint at, TPoint& begin, TPoint& end) {
  if (at.Y < 1 || at.Y > edit.LineCount()) return false;
  const TEditString& s = edit.Lines().Get(at.Y - 1);
  const int len = static_cast<int>(s.size());
  auto word = [&](int x) {
    return x >= 1 && x <= len && edit.IsWordChar(s[static_cast<size_t>(x - 1)]);
  };
  int x = std::clamp(at.X, 1, len + 1);
  if (!word(x)) {
    int left = std::min(x, len + 1) - 1;
    while (left >= 1 && !word(left)) --left;
    if (left >= 1) {
      x = left;
    } else {
      int right = x;
      while (right <= std::min(len, TmwCustomEdit::MaxLeftChar) && !word(right)) ++right;
      if (!word(right)) return false;
      x = right;
    }
  }
  int first = x;
  while (word(first - 1)) --first;
  int last = x;
  while (word(last + 1)) ++last;
  begin = {first, at.Y};
  end = {last + 1, at.Y};
  return true;
}

int TWheelAccumulator::Add(int delta) {
  rest_ += delta;
  const int notches = rest_ / 120;
  rest_ -= notches * 120;
  return notches;
}

int WheelLinesPerNotch(bool ctrl, bool halfPage, int linesInWindow) {
  if (!ctrl) return 3;
  return std::max(1, halfPage ? linesInWindow / 2 : linesInWindow);
}

TCaretRect CaretShape(TCaretType type, int charWidth, int lineHeight) {
  switch (type) {
    case ctVerticalLine:
      return {-1, 0, 2, lineHeight - 2};
    case ctHorizontalLine:
      return {0, lineHeight - 2, charWidth, 2};
    case ctHalfBlock: {
      const int h = (lineHeight - 2) / 2;
      return {0, h, charWidth, h};
    }
    case ctBlock:
      return {0, 0, charWidth, lineHeight - 2};
  }
  return {};
}

}  // namespace tovix

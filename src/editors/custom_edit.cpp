#include "editors/custom_edit.h"

#include <algorithm>
#include <limits>

#include "editors/edit_internal.h"

namespace tovix {

using namespace edit_detail;

namespace {
// A line whose start range is not known yet; no highlighter uses this value.
constexpr uintptr_t kUnknownRange = std::numeric_limits<uintptr_t>::max();
}  // namespace

std::vector<TEditString> edit_detail::SplitPieces(TEditStringView text) {
  std::vector<TEditString> pieces;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const TEditChar c = text[i];
    if (c == U'\r' || c == U'\n') {
      pieces.emplace_back(text.substr(start, i - start));
      i += (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

const TmwEditorOptions TmwCustomEdit::kDefaultOptions = {mweoAutoIndent,    mweoDragDropEditing,
                                                         mweoScrollPastEol, mweoShowScrollHint,
                                                         mweoTabsToSpaces,  mweoSmartTabs};

TmwCustomEdit::TmwCustomEdit() : options_(kDefaultOptions) {
  lines_.SetObserver(this);
  for (int c = 33; c < 256; ++c) identChars_.set(static_cast<size_t>(c));
  keystrokes_.ResetDefaults();
  auto added = [this] {
    SetModified(true);
    if (OnChange) OnChange();
  };
  undoList_.OnAdded = added;
  redoList_.OnAdded = added;
}

TmwCustomEdit::~TmwCustomEdit() {
  if (highlighter_ != nullptr) {
    highlighter_->UnhookAttrChangeEvent(hlChangeId_);
    highlighter_->UnhookDestroyEvent(hlDestroyId_);
  }
  lines_.SetObserver(nullptr);
}

// --- List notifications ------------------------------------------------------------------------

void TmwCustomEdit::ExternalChange() {
  if (selfEdit_ == 0) ClearUndo();
}

void TmwCustomEdit::LineAdded(int index) {
  ExternalChange();
  if (highlighter_ != nullptr) {
    if (LineCount() < 2) {
      highlighter_->ResetRange();
    } else {
      highlighter_->SetRange(lines_.Range(index - 1));
      highlighter_->SetLine(lines_.Get(index - 1), index - 1);
      highlighter_->NextToEol();
    }
    lines_.SetRange(index, highlighter_->GetRange());
  }
  InvalidateLines(index + 1, index + 1);
}

void TmwCustomEdit::ListCleared() {
  ExternalChange();
  caretX_ = caretY_ = 1;
  blockBegin_ = blockEnd_ = TPoint{1, 1};
  topLine_ = leftChar_ = 1;
  InvalidateAll();
}

void TmwCustomEdit::LineDeleted(int index) {
  ExternalChange();
  if (highlighter_ != nullptr && index < LineCount()) RescanAfterChangeAt(index);
  // Every line below moved up a row, and the row of the old last line is empty now: it is
  // repainted too, also when it lies below the window's last whole line.
  InvalidateLines(index + 1, std::max(LineCount() + 1, topLine_ + linesInWindow_));
}

void TmwCustomEdit::LineInserted(int index) {
  ExternalChange();
  if (highlighter_ != nullptr) {
    lines_.SetRange(index, kUnknownRange);
    RescanAfterChangeAt(index);
  }
  InvalidateLines(index + 1, topLine_ + linesInWindow_);
}

void TmwCustomEdit::LinePut(int index) {
  ExternalChange();
  if (highlighter_ != nullptr) {
    highlighter_->SetRange(lines_.Range(index));
    const int last = RescanFrom(index);
    InvalidateLines(index + 1, last + 2);
  } else {
    InvalidateLines(index + 1, index + 1);
  }
}

void TmwCustomEdit::TextSet() {
  ClearUndo();
}

void TmwCustomEdit::ListLoaded() {
  ExternalChange();
  RescanAll();
  InvalidateAll();
}

void TmwCustomEdit::ListChanged() {
  if (caretY_ > LineCount()) caretY_ = LineCount();
  // A window whose top line went with the lines would show nothing of the text.
  if (topLine_ > LineCount()) SetTopLine(LineCount());
  SetBlockBegin(CaretXY());
}

void TmwCustomEdit::RescanAll() {
  if (highlighter_ == nullptr) return;
  highlighter_->ResetRange();
  lines_.SetRange(0, highlighter_->GetRange());
  const int n = LineCount();
  for (int i = 0; i + 1 < n; ++i) {
    highlighter_->SetLine(lines_.Get(i), i);
    highlighter_->NextToEol();
    lines_.SetRange(i + 1, highlighter_->GetRange());
  }
}

int TmwCustomEdit::RescanFrom(int index) {
  highlighter_->SetLine(lines_.Get(index), index);
  highlighter_->NextToEol();
  const int n = LineCount();
  int j = index + 1;
  for (; j < n; ++j) {
    const uintptr_t range = highlighter_->GetRange();
    if (lines_.Range(j) == range) break;
    lines_.SetRange(j, range);
    highlighter_->SetLine(lines_.Get(j), j);
    highlighter_->NextToEol();
  }
  return j - 1;
}

void TmwCustomEdit::RescanAfterChangeAt(int index) {
  if (index == 0) {
    highlighter_->ResetRange();
    lines_.SetRange(0, highlighter_->GetRange());
    RescanFrom(0);
  } else {
    highlighter_->SetRange(lines_.Range(index - 1));
    RescanFrom(index - 1);
  }
}

void TmwCustomEdit::SetHighLighter(TmwCustomHighLighter* highlighter) {
  if (highlighter == highlighter_) return;
  if (highlighter_ != nullptr) {
    highlighter_->UnhookAttrChangeEvent(hlChangeId_);
    highlighter_->UnhookDestroyEvent(hlDestroyId_);
  }
  highlighter_ = highlighter;
  identChars_.reset();
  if (highlighter_ != nullptr) {
    hlChangeId_ = highlighter_->HookAttrChangeEvent([this](void*) {
      identChars_ = highlighter_->GetIdentChars();
      InvalidateAll();
    });
    hlDestroyId_ = highlighter_->HookDestroyEvent([this](void*) {
      highlighter_ = nullptr;
      identChars_.reset();
      for (int c = 33; c < 256; ++c) identChars_.set(static_cast<size_t>(c));
      InvalidateAll();
    });
    identChars_ = highlighter_->GetIdentChars();
    RescanAll();
  } else {
    for (int c = 33; c < 256; ++c) identChars_.set(static_cast<size_t>(c));
  }
  InvalidateAll();
}

bool TmwCustomEdit::IsWordChar(TEditChar c) const {
  return c > 255 || identChars_.test(static_cast<size_t>(c));
}

// --- Text, caret, window -----------------------------------------------------------------------

TEditString TmwCustomEdit::LineText() const {
  return (caretY_ >= 1 && caretY_ <= LineCount()) ? Line(caretY_) : TEditString();
}

void TmwCustomEdit::SetLineText(TEditString text) {
  if (caretY_ >= 1 && caretY_ <= LineCount()) lines_.Put(caretY_ - 1, std::move(text));
}

void TmwCustomEdit::SetCaretXY(TPoint p) {
  int y = std::min(p.Y, LineCount());
  const bool past = options_.Has(mweoScrollPastEol);
  int maxX;
  if (y >= 1) {
    maxX = past ? MaxLeftChar : LineLength(y) + 1;
  } else {
    y = 1;
    maxX = past ? MaxLeftChar : 1;
  }
  const int x = std::max(1, std::min(p.X, maxX));
  if (x == caretX_ && y == caretY_) return;
  IncPaintLock();
  if (x != caretX_) {
    caretX_ = x;
    StatusChanged(scCaretX);
  }
  if (y != caretY_) {
    caretY_ = y;
    StatusChanged(scCaretY);
  }
  EnsureCaretVisible();
  DecPaintLock();
  if (OnSelectionChange) OnSelectionChange();
}

void TmwCustomEdit::CaretPastEol(TPoint p) {
  const TmwEditorOptions saved = options_;
  options_ = options_.With(mweoScrollPastEol);
  SetCaretXY(p);
  options_ = saved;
}

void TmwCustomEdit::SetCaretAndCollapse(TPoint p) {
  SetCaretXY(p);
  SetBlockBegin(CaretXY());
}

void TmwCustomEdit::EnsureCaretVisible() {
  IncPaintLock();
  const int c = CharToDisplayColumn(caretY_, caretX_);
  if (c < leftChar_) {
    SetLeftChar(c);
  } else if (c > leftChar_ + charsInWindow_) {
    SetLeftChar(c - charsInWindow_ + 1);
  }
  if (caretY_ < topLine_) {
    SetTopLine(caretY_);
  } else if (caretY_ > topLine_ + linesInWindow_ - 1) {
    SetTopLine(caretY_ - linesInWindow_ + 1);
  }
  DecPaintLock();
}

void TmwCustomEdit::SetLeftChar(int value) {
  value = std::clamp(value, 1, std::max(1, MaxLeftChar - charsInWindow_ + 1));
  if (value == leftChar_) return;
  leftChar_ = value;
  InvalidateAll();
  StatusChanged(scLeftChar);
}

void TmwCustomEdit::SetTopLine(int value) {
  value = std::clamp(value, 1, LineCount());
  if (value == topLine_) return;
  topLine_ = value;
  InvalidateAll();
  StatusChanged(scTopLine);
}

void TmwCustomEdit::SetWindowSize(int charsInWindow, int linesInWindow) {
  charsInWindow_ = std::max(1, charsInWindow);
  linesInWindow_ = std::max(1, linesInWindow);
}

int TmwCustomEdit::CharToDisplayColumn(int line, int x) const {
  const TEditString* s = (line >= 1 && line <= LineCount()) ? &Line(line) : nullptr;
  int col = 1;
  for (int i = 0; i < x - 1; ++i) {
    if (s != nullptr && i < Len(*s) && (*s)[static_cast<size_t>(i)] == U'\t' && tabWidth_ > 0)
      col += tabWidth_ - (col - 1) % tabWidth_;
    else
      ++col;
  }
  return col;
}

int TmwCustomEdit::DisplayToCharColumn(int line, int col) const {
  const TEditString* s = (line >= 1 && line <= LineCount()) ? &Line(line) : nullptr;
  const int len = s != nullptr ? Len(*s) : 0;
  int c = 1;
  int x = 1;
  for (; x <= len; ++x) {
    const int w = ((*s)[static_cast<size_t>(x - 1)] == U'\t' && tabWidth_ > 0)
                      ? tabWidth_ - (c - 1) % tabWidth_
                      : 1;
    if (col < c + w) return x;
    c += w;
  }
  return x + std::max(0, col - c);
}

// --- Modes and status --------------------------------------------------------------------------

void TmwCustomEdit::SetOptions(TmwEditorOptions options) {
  if (options == options_) return;
  options_ = options;
  if (!options_.Has(mweoScrollPastEol)) SetCaretXY(CaretXY());
}

void TmwCustomEdit::SetInsertMode(bool on) {
  if (on == insertMode_) return;
  insertMode_ = on;
  StatusChanged(scInsertMode);
}

void TmwCustomEdit::SetTabWidth(int width) {
  width = std::clamp(width, 0, 256);
  if (width == tabWidth_) return;
  tabWidth_ = width;
  InvalidateAll();
}

void TmwCustomEdit::SetModified(bool on) {
  if (on == modified_) return;
  modified_ = on;
  StatusChanged(scModified);
}

void TmwCustomEdit::StatusChanged(uint8_t bits) {
  statusChanges_ = static_cast<uint8_t>(statusChanges_ | bits);
  if (paintLock_ == 0 && OnStatusChange && statusChanges_ != 0) {
    const uint8_t changes = statusChanges_;
    statusChanges_ = 0;
    OnStatusChange(changes);
  }
}

void TmwCustomEdit::DecPaintLock() {
  if (paintLock_ > 0 && --paintLock_ == 0) StatusChanged(0);
}

// --- Block -------------------------------------------------------------------------------------

void TmwCustomEdit::NormBlock(TPoint& b, TPoint& e) const {
  b = blockBegin_;
  e = blockEnd_;
  if (PointBefore(e, b)) std::swap(b, e);
}

TPoint TmwCustomEdit::ClampBlockPoint(TPoint p) const {
  p.X = std::clamp(p.X, 1, MaxLeftChar);
  p.Y = std::clamp(p.Y, 1, LineCount());
  if (selectionMode_ == smNormal) p.X = std::min(p.X, LineLength(p.Y) + 1);
  return p;
}

void TmwCustomEdit::SetBlockBegin(TPoint p) {
  p = ClampBlockPoint(p);
  const bool had = SelAvail();
  if (p == blockBegin_ && p == blockEnd_) return;
  if (had) {
    TPoint b, e;
    NormBlock(b, e);
    InvalidateLines(std::min(b.Y, p.Y), std::max(e.Y, p.Y));
  }
  blockBegin_ = blockEnd_ = p;
  StatusChanged(scSelection);
}

void TmwCustomEdit::SetBlockEnd(TPoint p) {
  if (options_.Has(mweoNoSelection)) return;
  p = ClampBlockPoint(p);
  if (p == blockEnd_) return;
  if (selectionMode_ == smColumn && p.X != blockEnd_.X) {
    InvalidateLines(std::min({blockBegin_.Y, blockEnd_.Y, p.Y}),
                    std::max({blockBegin_.Y, blockEnd_.Y, p.Y}));
  } else {
    InvalidateLines(std::min(blockEnd_.Y, p.Y), std::max(blockEnd_.Y, p.Y));
  }
  blockEnd_ = p;
  StatusChanged(scSelection);
}

bool TmwCustomEdit::SelAvail() const {
  return !(blockBegin_.X == blockEnd_.X &&
           (blockBegin_.Y == blockEnd_.Y || selectionMode_ == smColumn));
}

TEditString TmwCustomEdit::SelText() const {
  if (!SelAvail()) return {};
  TPoint b, e;
  NormBlock(b, e);
  TEditString out;
  switch (selectionMode_) {
    case smNormal:
      if (b.Y == e.Y) return Mid(Line(b.Y), b.X - 1, e.X - b.X);
      out = From(Line(b.Y), b.X - 1);
      out += U"\r\n";
      for (int y = b.Y + 1; y < e.Y; ++y) {
        out += Line(y);
        out += U"\r\n";
      }
      out += Left(Line(e.Y), e.X - 1);
      return out;
    case smColumn: {
      const int l = std::min(b.X, e.X);
      const int w = std::abs(e.X - b.X);
      for (int y = b.Y; y <= e.Y; ++y) {
        TEditString piece = Mid(Line(y), l - 1, w);
        PadTo(piece, w);
        out += piece;
        if (y < e.Y) out += U"\r\n";
      }
      return out;
    }
    case smLine:
      for (int y = b.Y; y <= e.Y; ++y) {
        out += Line(y);
        if (y < e.Y || e.Y < LineCount()) out += U"\r\n";
      }
      return out;
  }
  return out;
}

void TmwCustomEdit::SetSelText(TEditStringView text) {
  TEditScope scope(*this);
  DeleteSelectionUndoable(crSelDelete);
  const TPoint at = CaretXY();
  TakeSnapshot(at.Y, at.Y + static_cast<int>(SplitPieces(text).size()) - 1);
  InsertTextRaw(smNormal, text);
  AddUndo(crInsert, at, CaretXY(), TEditString(), smNormal);
}

void TmwCustomEdit::ReplaceAllText(TEditStringView text) {
  TEditScope scope(*this);
  const TSelectionMode saved = selectionMode_;
  selectionMode_ = smNormal;
  const TPoint start{1, 1};
  // Recorded as an insert that overwrote the old text: one item, whatever the undo limit.
  TakeSnapshot(1, LineCount());
  SetBlockRaw(start, {LineLength(LineCount()) + 1, LineCount()});
  const TEditString old = SelText();
  caretX_ = start.X;
  caretY_ = start.Y;
  ReplaceSelectionRaw(smNormal, text);
  AddUndo(crInsert, start, CaretXY(), old, smNormal);
  selectionMode_ = saved;
  SetCaretAndCollapse(start);
  EnsureCaretVisible();
}

int TmwCustomEdit::GetSelStart() const {
  TPoint b, e;
  NormBlock(b, e);
  int total = 0;
  for (int y = 1; y < b.Y; ++y) total += LineLength(y) + 2;
  return total + std::min(b.X, LineLength(b.Y) + 2);
}

int TmwCustomEdit::GetSelEnd() const {
  TPoint b, e;
  NormBlock(b, e);
  int total = 0;
  for (int y = 1; y < e.Y; ++y) total += LineLength(y) + 2;
  return total + e.X;
}

namespace {
// The position of 1-based offset `offset` in a text whose line breaks count 2; offsets before
// the text give its start, offsets past it its end.
TPoint OffsetToPoint(const TmwEditList& lines, int offset) {
  if (offset < 1) return {1, 1};
  int total = 0;
  const int n = lines.Count();
  for (int y = 1; y <= n; ++y) {
    const int len = static_cast<int>(lines.Get(y - 1).size());
    if (total + len + 2 >= offset) return {offset - total, y};
    total += len + 2;
  }
  return {static_cast<int>(lines.Get(n - 1).size()) + 1, n};
}
}  // namespace

void TmwCustomEdit::SetSelStart(int offset) {
  // The column is clamped on the target line, not on the line where the caret stood.
  SetCaretXY(OffsetToPoint(lines_, offset));
  SetBlockBegin(CaretXY());
}

void TmwCustomEdit::SetSelEnd(int offset) {
  SetBlockEnd(OffsetToPoint(lines_, offset));
}

void TmwCustomEdit::SelectAll() {
  SetBlockBegin({1, 1});
  const TPoint end{LineLength(LineCount()) + 1, LineCount()};
  SetBlockEnd(end);
  SetCaretXY(end);
  StatusChanged(scSelection);
}

void TmwCustomEdit::SetSelectionMode(TSelectionMode mode) {
  if (mode == selectionMode_) return;
  selectionMode_ = mode;
  // A column or line block may reach past a line's end; a normal block may not.
  SetBlockClamped(blockBegin_, blockEnd_);
  if (SelAvail()) InvalidateAll();
  StatusChanged(scSelection);
}

// --- The replace primitive ---------------------------------------------------------------------

void TmwCustomEdit::DeleteSelectionRaw() {
  if (!SelAvail()) return;
  TPoint b, e;
  NormBlock(b, e);
  TPoint caret = b;
  lines_.BeginUpdate();
  switch (selectionMode_) {
    case smNormal: {
      TEditString s = Left(Line(b.Y), b.X - 1) + From(Line(e.Y), e.X - 1);
      if (options_.Has(mweoScrollPastEol)) s = TrimRightEdit(s);
      lines_.Put(b.Y - 1, std::move(s));
      for (int k = b.Y; k < e.Y; ++k) lines_.Delete(b.Y);
      GatherMarks(b.Y + 1, e.Y - 1, b.Y);
      ShiftMarks(e.Y, -(e.Y - b.Y));
      break;
    }
    case smColumn: {
      const int l = std::min(b.X, e.X);
      const int r = std::max(b.X, e.X);
      for (int y = b.Y; y <= e.Y; ++y) {
        TEditString s = Line(y);
        if (l - 1 < Len(s)) s.erase(static_cast<size_t>(l - 1), static_cast<size_t>(r - l));
        lines_.Put(y - 1, TrimRightEdit(s));
      }
      caret = {l, e.Y};
      break;
    }
    case smLine: {
      int count = e.Y - b.Y + 1;
      if (e.Y == LineCount()) {
        lines_.Put(e.Y - 1, TEditString());
        --count;
      }
      for (int k = 0; k < count; ++k) lines_.Delete(b.Y - 1);
      GatherMarks(b.Y + 1, e.Y - 1, b.Y);
      ShiftMarks(e.Y, -(e.Y - b.Y + 1));
      caret = {1, b.Y};
      break;
    }
  }
  EndRawEdit(caret);
}

void TmwCustomEdit::EndRawEdit(TPoint caret) {
  caretX_ = caret.X;
  caretY_ = std::clamp(caret.Y, 1, LineCount());
  blockBegin_ = blockEnd_ = CaretXY();
  lines_.EndUpdate();
  ClampMarks();
}

void TmwCustomEdit::InsertTextRaw(TSelectionMode pasteMode, TEditStringView text) {
  if (text.empty()) return;
  const std::vector<TEditString> pieces = SplitPieces(text);
  const int n = static_cast<int>(pieces.size());
  const int y = std::clamp(caretY_, 1, LineCount());
  const int x = std::max(1, caretX_);
  TPoint caret;
  lines_.BeginUpdate();
  switch (pasteMode) {
    case smNormal: {
      TEditString s = Line(y);
      PadTo(s, x - 1);
      const TEditString head = s.substr(0, static_cast<size_t>(x - 1));
      const TEditString tail = s.substr(static_cast<size_t>(x - 1));
      if (n == 1) {
        lines_.Put(y - 1, head + pieces[0] + tail);
        caret = {x + Len(pieces[0]), y};
      } else {
        lines_.Put(y - 1, head + pieces[0]);
        for (int k = 1; k < n - 1; ++k) lines_.Insert(y - 1 + k, pieces[static_cast<size_t>(k)]);
        lines_.Insert(y - 1 + n - 1, pieces.back() + tail);
        caret = {Len(pieces.back()) + 1, y + n - 1};
        ShiftMarks(y, n - 1);
      }
      break;
    }
    case smColumn: {
      for (int k = 0; k < n; ++k) {
        const int ly = y + k;
        if (ly > LineCount()) lines_.Add(Blanks(x - 1));
        TEditString s = Line(ly);
        PadTo(s, x - 1);
        s.insert(static_cast<size_t>(x - 1), pieces[static_cast<size_t>(k)]);
        lines_.Put(ly - 1, std::move(s));
      }
      caret = {x + Len(pieces.back()), y + n - 1};
      break;
    }
    case smLine: {
      for (int k = 0; k < n - 1; ++k) lines_.Insert(y - 1 + k, pieces[static_cast<size_t>(k)]);
      const int caretLine = y + n - 1;
      if (!pieces.back().empty()) {
        if (caretLine > LineCount())
          lines_.Add(pieces.back());
        else
          lines_.Put(caretLine - 1, pieces.back() + Line(caretLine));
      }
      caret = {Len(pieces.back()) + 1, caretLine};
      ShiftMarks(y, n - 1);
      break;
    }
  }
  EndRawEdit(caret);
  EnsureCaretVisible();
}

void TmwCustomEdit::ReplaceSelectionRaw(TSelectionMode pasteMode, TEditStringView text) {
  IncPaintLock();
  lines_.BeginUpdate();
  DeleteSelectionRaw();
  InsertTextRaw(pasteMode, text);
  lines_.EndUpdate();
  DecPaintLock();
}

// --- Bookmarks ---------------------------------------------------------------------------------

void TMark::Repaint(int oldLine) const {
  if (edit_ == nullptr) return;
  edit_->InvalidateGutterLines(oldLine, oldLine);
  if (line_ != oldLine) edit_->InvalidateGutterLines(line_, line_);
}

void TMark::SetLine(int line) {
  if (line == line_) return;
  const int old = line_;
  line_ = line;
  Repaint(old);
}

void TMark::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  Repaint(line_);
}

void TMark::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Repaint(line_);
}

void TMark::SetInternalImage(bool internal) {
  if (internal == internalImage_) return;
  internalImage_ = internal;
  Repaint(line_);
}

bool TmwCustomEdit::GetBookMark(int number, int& x, int& y) const {
  if (number < 0 || number > 9 || bookmarks_[static_cast<size_t>(number)] == nullptr) return false;
  x = bookmarks_[static_cast<size_t>(number)]->char_;
  y = bookmarks_[static_cast<size_t>(number)]->line_;
  return true;
}

void TmwCustomEdit::SetBookMark(int number, int x, int y) {
  if (number < 0 || number > 9 || y < 1 || y > LineCount()) return;
  TMark mark;
  mark.line_ = y;
  mark.char_ = x;
  mark.imageIndex_ = number;
  mark.bookmarkNumber_ = number;
  mark.internalImage_ = !HasBookmarkImages();
  if (OnPlaceBookmark && !OnPlaceBookmark(mark)) return;
  for (int n = 0; n < 10; ++n) {
    const TMark* m = bookmarks_[static_cast<size_t>(n)];
    if (m != nullptr && m->line_ == mark.line_) ClearBookMark(n);
  }
  ClearBookMark(number);
  mark.edit_ = this;
  marks_.push_back(std::make_unique<TMark>(mark));
  bookmarks_[static_cast<size_t>(number)] = marks_.back().get();
  InvalidateLines(mark.line_, mark.line_);
}

void TmwCustomEdit::ClearBookMark(int number) {
  if (number < 0 || number > 9) return;
  TMark*& slot = bookmarks_[static_cast<size_t>(number)];
  if (slot == nullptr) return;
  const TMark* mark = slot;
  slot = nullptr;
  InvalidateLines(mark->line_, mark->line_);
  std::erase_if(marks_, [mark](const std::unique_ptr<TMark>& m) { return m.get() == mark; });
}

void TmwCustomEdit::GotoBookMark(int number) {
  int x = 0;
  int y = 0;
  if (GetBookMark(number, x, y) && y <= LineCount()) SetCaretAndCollapse({x, y});
}

void TmwCustomEdit::ShiftMarks(int from, int delta) {
  if (delta == 0) return;
  for (auto& m : marks_)
    if (m->line_ >= from) m->line_ += delta;
}

void TmwCustomEdit::GatherMarks(int first, int last, int to) {
  for (auto& m : marks_)
    if (m->line_ >= first && m->line_ <= last) m->line_ = to;
}

void TmwCustomEdit::ClampMarks() {
  for (auto& m : marks_) m->line_ = std::clamp(m->line_, 1, LineCount());
}

}  // namespace tovix

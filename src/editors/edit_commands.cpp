// Keys, the command processor and the editing commands of the editor.

#include <algorithm>

#include "editors/custom_edit.h"
#include "editors/edit_internal.h"

namespace tovix {

using namespace edit_detail;

namespace {

bool IsEditingCommand(TmwEditorCommand c) {
  return (c >= ecDeleteLastChar && c <= ecImeStr) || c == ecUndo || c == ecRedo || c == ecCut ||
         c == ecPaste || c == ecBlockIndent || c == ecBlockUnindent || c == ecTab ||
         c == ecShiftTab;
}

// Typed characters that reach the text: printable ones of any script.
bool IsTypeable(TEditChar c) {
  return c >= 32 && c != 127 && !(c >= 0x80 && c <= 0x9F) && !(c >= 0xD800 && c <= 0xDFFF) &&
         c <= 0x10FFFF;
}

}  // namespace

bool TmwCustomEdit::KeyDown(uint16_t key, TShiftState shift) {
  if (OnKeyDown) {
    OnKeyDown(key, shift);
    if (key == 0) return true;
  }
  int found = -1;
  if (pendingKey_ != 0) found = keystrokes_.FindKeycode2(pendingKey_, pendingShift_, key, shift);
  if (found < 0) found = keystrokes_.FindKeycode(key, shift);
  if (found >= 0) {
    pendingKey_ = 0;
    pendingShift_ = 0;
    ignoreNextChar_ = true;
    CommandProcessor(keystrokes_.Item(found).Command, 0, nullptr);
    return true;
  }
  if (key >= 48 && key <= 145) {
    pendingKey_ = key;
    pendingShift_ = shift;
  } else {
    pendingKey_ = 0;
    pendingShift_ = 0;
  }
  ignoreNextChar_ = false;
  return false;
}

void TmwCustomEdit::KeyPress(TEditChar ch) {
  if (ignoreNextChar_) {
    ignoreNextChar_ = false;
    return;
  }
  if (OnKeyPress) OnKeyPress(ch);
  if (ch != 0) CommandProcessor(ecChar, ch, nullptr);
}

void TmwCustomEdit::InputMethodText(TEditStringView text) {
  for (TEditChar c : text) CommandProcessor(ecChar, c, nullptr);
}

void TmwCustomEdit::CommandProcessor(TmwEditorCommand command, TEditChar ch, const TPoint* data) {
  if (command >= ecUserFirst) {
    if (OnProcessUserCommand) OnProcessUserCommand(command, ch, data);
    return;
  }
  if (OnProcessCommand) OnProcessCommand(command, ch, data);
  if (command == ecNone || command >= ecUserFirst) return;
  {
    TEditScope scope(*this);
    pendingSnap_ = TLineSnapshot();
    ExecuteCommand(command, ch, data);
  }
  if (OnCommandDone) OnCommandDone();
}

void TmwCustomEdit::MoveCaret(TPoint to, bool select) {
  const TPoint old = CaretXY();
  if (select) {
    if (!SelAvail()) SetBlockBegin(old);
    SetBlockEnd(to);
  } else {
    SetBlockBegin(to);
  }
  SetCaretXY(to);
}

void TmwCustomEdit::ExecuteCommand(TmwEditorCommand command, TEditChar ch, const TPoint* data) {
  if (readOnly_ && IsEditingCommand(command)) return;
  const int x = caretX_;
  const int y = caretY_;
  const bool past = options_.Has(mweoScrollPastEol);
  if ((command >= ecLeft && command <= ecGotoXY) ||
      (command >= ecSelLeft && command <= ecSelGotoXY)) {
    const bool select = command > ecSelection;
    const TmwEditorCommand move = select ? command - ecSelection : command;
    TPoint to{x, y};
    switch (move) {
      case ecLeft:
        if (!past && x == 1 && y > 1)
          to = {LineLength(y - 1) + 1, y - 1};
        else
          to = {std::max(1, x - 1), y};
        break;
      case ecRight:
        if (!past && x >= LineLength(y) + 1 && y < LineCount())
          to = {1, y + 1};
        else
          to = {past ? x + 1 : std::min(x + 1, LineLength(y) + 1), y};
        break;
      case ecUp:
        to = {x, std::max(1, y - 1)};
        break;
      case ecDown:
        to = {x, std::min(LineCount(), y + 1)};
        break;
      case ecWordLeft:
        to = PrevWordPos();
        break;
      case ecWordRight:
        to = NextWordPos();
        break;
      case ecLineStart:
        to = {1, y};
        break;
      case ecLineEnd:
        to = {LineLength(y) + 1, y};
        break;
      case ecPageUp:
      case ecPageDown: {
        const int page = options_.Has(mweoHalfPageScroll) ? linesInWindow_ / 2 : linesInWindow_;
        to = {x, std::clamp(move == ecPageUp ? y - page : y + page, 1, LineCount())};
        break;
      }
      case ecPageLeft:
        to = {std::max(1, x - charsInWindow_), y};
        break;
      case ecPageRight:
        to = {past ? x + charsInWindow_ : std::min(x + charsInWindow_, LineLength(y) + 1), y};
        break;
      case ecPageTop:
        to = {x, std::min(topLine_, LineCount())};
        break;
      case ecPageBottom:
        to = {x, std::clamp(topLine_ + linesInWindow_ - 1, 1, LineCount())};
        break;
      case ecEditorTop:
        to = {1, 1};
        break;
      case ecEditorBottom:
        to = {LineLength(LineCount()) + 1, LineCount()};
        break;
      case ecGotoXY:
        if (data == nullptr) return;
        to = *data;
        break;
      default:
        return;
    }
    MoveCaret(to, select);
    return;
  }
  if (command >= ecGotoMarker0 && command <= ecGotoMarker9) {
    if (BookMarkEnableKeys) GotoBookMark(command - ecGotoMarker0);
    return;
  }
  if (command >= ecSetMarker0 && command <= ecSetMarker9) {
    if (!BookMarkEnableKeys) return;
    const int n = command - ecSetMarker0;
    int mx = 0;
    int my = 0;
    if (GetBookMark(n, mx, my)) {
      ClearBookMark(n);
      if (my != y) SetBookMark(n, x, y);
    } else {
      SetBookMark(n, x, y);
    }
    return;
  }
  switch (command) {
    case ecSelectAll:
      SelectAll();
      break;
    case ecDeleteLastChar:
      ExecDeleteLastChar();
      break;
    case ecDeleteChar:
      ExecDeleteChar();
      break;
    case ecDeleteWord:
      DeleteRange(CaretXY(), NextWordPos(), crDeleteAfterCursor, false);
      break;
    case ecDeleteLastWord:
      DeleteRange(PrevWordPos(), CaretXY(), crDeleteAfterCursor, true);
      break;
    case ecDeleteBOL:
      DeleteRange({1, y}, CaretXY(), crDelete, true);
      break;
    case ecDeleteEOL:
      DeleteRange(CaretXY(), {LineLength(y) + 1, y}, crDeleteAfterCursor, false);
      break;
    case ecDeleteLine:
      ExecDeleteLine();
      break;
    case ecClearAll: {
      // Not recorded; the list hooks see an outside change and clear both undo lists, whose
      // items no longer fit the text.
      --selfEdit_;
      lines_.Clear();
      ++selfEdit_;
      break;
    }
    case ecLineBreak:
      ExecLineBreak(true);
      break;
    case ecInsertLine:
      ExecLineBreak(false);
      break;
    case ecChar:
      ExecChar(ch);
      break;
    case ecUndo:
      Undo();
      break;
    case ecRedo:
      Redo();
      break;
    case ecCut:
      CutToClipboard();
      break;
    case ecCopy:
      CopyToClipboard();
      break;
    case ecPaste:
      PasteFromClipboard();
      break;
    case ecScrollUp:
    case ecScrollDown:
    case ecScrollLeft:
    case ecScrollRight:
      ExecScroll(command);
      break;
    case ecInsertMode:
      SetInsertMode(true);
      break;
    case ecOverwriteMode:
      SetInsertMode(false);
      break;
    case ecToggleMode:
      SetInsertMode(!insertMode_);
      break;
    case ecBlockIndent:
      ExecBlockIndent();
      break;
    case ecBlockUnindent:
      ExecBlockUnindent();
      break;
    case ecNormalSelect:
      SetSelectionMode(smNormal);
      break;
    case ecColumnSelect:
      SetSelectionMode(smColumn);
      break;
    case ecLineSelect:
      SetSelectionMode(smLine);
      break;
    case ecTab:
      ExecTab();
      break;
    case ecMatchBracket:
      ExecMatchBracket();
      break;
    default:  // ecShiftTab, ecImeStr: no action of their own
      break;
  }
}

// --- Words and indentation ---------------------------------------------------------------------

TPoint TmwCustomEdit::NextWordPos() const {
  int x = caretX_;
  const int y = caretY_;
  const TEditString& s = Line(y);
  const int len = Len(s);
  if (x < len) {
    int i = x - 1;
    if (IsWordChar(s[static_cast<size_t>(i)])) {
      while (i < len && IsWordChar(s[static_cast<size_t>(i)])) ++i;
    }
    while (i < len && !IsWordChar(s[static_cast<size_t>(i)])) ++i;
    x = i < len ? i + 1 : len + 1;
    return {x, y};
  }
  if (y < LineCount()) {
    const TEditString& next = Line(y + 1);
    int i = 0;
    while (i < Len(next) && !IsWordChar(next[static_cast<size_t>(i)])) ++i;
    return {i < Len(next) ? i + 1 : 1, y + 1};
  }
  return {x, y};
}

TPoint TmwCustomEdit::PrevWordPos() const {
  const int y = caretY_;
  const TEditString& s = Line(y);
  int x = std::min(caretX_, Len(s) + 1);
  if (x > 1) {
    int i = x - 2;  // the character before the caret
    while (i >= 0 && !IsWordChar(s[static_cast<size_t>(i)])) --i;
    if (i >= 0) {
      while (i >= 0 && IsWordChar(s[static_cast<size_t>(i)])) --i;
      return {i + 2, y};
    }
    if (y > 1) return {LineLength(y - 1) + 1, y - 1};
    return {x, y};
  }
  if (y > 1) return {LineLength(y - 1) + 1, y - 1};
  return {x, y};
}

int TmwCustomEdit::LineIndent(int y) const {
  const TEditString& s = Line(y);
  int n = 0;
  while (n < Len(s) && s[static_cast<size_t>(n)] >= 1 && s[static_cast<size_t>(n)] <= 32) ++n;
  return n;
}

int TmwCustomEdit::AutoIndentAbove(int y) const {
  if (!options_.Has(mweoAutoIndent)) return 0;
  for (int k = std::min(y, LineCount()); k >= 1; --k)
    if (!Line(k).empty()) return LineIndent(k);
  return 0;
}

// --- Deleting ----------------------------------------------------------------------------------

void TmwCustomEdit::DeleteRange(TPoint from, TPoint to, TChangeReason reason, bool caretToStart) {
  if (!PointBefore(from, to)) return;
  const TSelectionMode saved = selectionMode_;
  selectionMode_ = smNormal;
  SetBlockClamped(from, to);
  if (SelAvail()) {
    TakeSnapshot(from.Y, to.Y);
    AddUndo(reason, blockBegin_, blockEnd_, SelText(), smNormal);
    DeleteSelectionRaw();
  } else {
    blockBegin_ = blockEnd_ = CaretXY();
  }
  selectionMode_ = saved;
  if (caretToStart) SetCaretAndCollapse(CaretXY());
}

void TmwCustomEdit::ExecDeleteLastChar() {
  if (DeleteSelectionUndoable(crDelete)) return;
  const int x = caretX_;
  const int y = caretY_;
  TEditString s = Line(y);
  const int len = Len(s);
  if (x > len + 1) {
    CaretPastEol({x - 1, y});
    SetBlockBegin(CaretXY());
    AddUndo(crDelete, {x - 1, y}, {x, y}, TEditString(), smNormal);
    return;
  }
  if (x > 1) {
    TakeSnapshot(y, y);
    int from = x - 2;  // 0-based start of what goes
    if (s[static_cast<size_t>(x - 2)] <= 32 && options_.Has(mweoAutoIndent) &&
        x - 1 == LineIndent(y)) {
      // Back to the indentation of the nearest line above that is indented less.
      int target = 0;
      for (int k = y - 1; k >= 1; --k) {
        const int indent = Line(k).empty() ? 0 : LineIndent(k);
        if (indent < x - 1) {
          target = indent;
          break;
        }
      }
      from = target;
    }
    const TEditString removed =
        s.substr(static_cast<size_t>(from), static_cast<size_t>(x - 1 - from));
    s.erase(static_cast<size_t>(from), removed.size());
    lines_.Put(y - 1, TrimRightEdit(s));
    CaretPastEol({from + 1, y});
    SetBlockBegin(CaretXY());
    AddUndo(crDelete, {from + 1, y}, {x, y}, removed, smNormal);
    return;
  }
  if (y > 1) {
    TakeSnapshot(y - 1, y);
    const TEditString above = Line(y - 1);
    const TPoint join{Len(above) + 1, y - 1};
    lines_.Delete(y - 1);
    lines_.Put(y - 2, above + TrimRightEdit(s));
    ShiftMarks(y, -1);
    ClampMarks();
    SetCaretAndCollapse(join);
    AddUndo(crDelete, join, {1, y}, U"\r\n", smNormal);
  }
}

void TmwCustomEdit::ExecDeleteChar() {
  if (DeleteSelectionUndoable(crDeleteAfterCursor)) return;
  const int x = caretX_;
  const int y = caretY_;
  TEditString s = Line(y);
  if (x <= Len(s)) {
    TakeSnapshot(y, y);
    const TEditString removed(1, s[static_cast<size_t>(x - 1)]);
    s.erase(static_cast<size_t>(x - 1), 1);
    lines_.Put(y - 1, TrimRightEdit(s));
    CaretPastEol({x, y});
    SetBlockBegin(CaretXY());
    AddUndo(crDeleteAfterCursor, {x, y}, {x + 1, y}, removed, smNormal);
  } else if (y < LineCount()) {
    TakeSnapshot(y, y + 1);
    PadTo(s, x - 1);
    s += Line(y + 1);
    lines_.Put(y - 1, std::move(s));
    lines_.Delete(y);
    ShiftMarks(y + 1, -1);
    ClampMarks();
    CaretPastEol({x, y});
    SetBlockBegin(CaretXY());
    AddUndo(crDeleteAfterCursor, {x, y}, {1, y + 1}, U"\r\n", smNormal);
  }
}

void TmwCustomEdit::ExecDeleteLine() {
  if (LineCount() == 1 && Line(1).empty()) return;
  SetBlockBegin(CaretXY());
  const int y = caretY_;
  const TEditString s = Line(y);
  if (LineCount() > 1) {
    if (y == LineCount()) {
      // The last line goes with the line break before it, so undo gives back no extra line.
      TakeSnapshot(y - 1, y);
      AddUndo(crDeleteAfterCursor, {LineLength(y - 1) + 1, y - 1}, {Len(s) + 1, y}, U"\r\n" + s,
              smNormal);
    } else {
      TakeSnapshot(y, y + 1);
      AddUndo(crDeleteAfterCursor, {1, y}, {1, y + 1}, s + U"\r\n", smNormal);
    }
    lines_.Delete(y - 1);
  } else {
    TakeSnapshot(y, y);
    AddUndo(crDeleteAfterCursor, {1, y}, {Len(s) + 1, y}, s, smNormal);
    lines_.Put(0, TEditString());
  }
  ShiftMarks(y, -1);
  ClampMarks();
  SetCaretAndCollapse({1, std::min(y, LineCount())});
}

// --- Line breaks, characters, tabs -------------------------------------------------------------

void TmwCustomEdit::ExecLineBreak(bool moveCaret) {
  DeleteSelectionUndoable(crDelete);
  const int x = caretX_;
  const int y = caretY_;
  const TEditString s = Line(y);
  const int n = AutoIndentAbove(y);
  const bool past = options_.Has(mweoScrollPastEol);
  TakeSnapshot(y, y);
  TEditString moved;
  TPoint caret{x, y};
  if (s.empty()) {
    lines_.Insert(y - 1, TEditString());
    if (moveCaret) caret = {past ? n + 1 : 1, y + 1};
  } else if (x > Len(s)) {
    lines_.Insert(y, (past || !moveCaret) ? TEditString() : Blanks(n));
    if (moveCaret) caret = {n + 1, y + 1};
  } else if (x == 1 || x - 1 <= n) {
    moved = s;
    lines_.Insert(y - 1, TEditString());
    if (moveCaret) caret = {x, y + 1};
  } else {
    moved = s.substr(static_cast<size_t>(x - 1));
    lines_.Put(y - 1, TrimRightEdit(s.substr(0, static_cast<size_t>(x - 1))));
    lines_.Insert(y, Blanks(n) + moved);
    if (moveCaret) caret = {n + 1, y + 1};
  }
  ShiftMarks(moveCaret ? caret.Y : y + 1, 1);
  ClampMarks();
  SetCaretXY(caret);
  SetBlockBegin(CaretXY());
  AddUndo(crLineBreak, {x, y}, CaretXY(), moved, smNormal);
}

void TmwCustomEdit::ExecChar(TEditChar ch) {
  if (!IsTypeable(ch)) return;
  const TEditString text(1, ch);
  if (DeleteSelectionUndoable(crSelDelete)) {
    const TPoint at = CaretXY();
    TakeSnapshot(at.Y, at.Y);
    InsertTextRaw(smNormal, text);
    AddUndo(crInsert, at, CaretXY(), TEditString(), smNormal);
  } else {
    const int x = caretX_;
    const int y = caretY_;
    TakeSnapshot(y, y);
    TEditString s = Line(y);
    PadTo(s, x - 1);
    TEditString replaced;
    if (insertMode_ || x - 1 >= Len(s)) {
      s.insert(static_cast<size_t>(x - 1), text);
    } else {
      replaced = s.substr(static_cast<size_t>(x - 1), 1);
      s[static_cast<size_t>(x - 1)] = ch;
    }
    lines_.Put(y - 1, TrimRightEdit(s));
    CaretPastEol({x + 1, y});
    SetBlockBegin(CaretXY());
    AddUndo(crInsert, {x, y}, {x + 1, y}, replaced, smNormal);
  }
  if (CharToDisplayColumn(caretY_, caretX_) >= leftChar_ + charsInWindow_)
    SetLeftChar(leftChar_ + std::min(25, charsInWindow_ - 1));
}

void TmwCustomEdit::ExecTab() {
  int x = caretX_;
  int y = caretY_;
  int t = 0;
  if (options_.Has(mweoSmartTabs) && y > 1) {
    for (int k = y - 1; k >= 1; --k) {
      const TEditString& above = Line(k);
      if (Len(above) >= x) {
        int i = x - 1;
        while (i < Len(above) && above[static_cast<size_t>(i)] != U' ') ++i;
        while (i < Len(above) && above[static_cast<size_t>(i)] == U' ') ++i;
        t = i - (x - 1);
        break;
      }
    }
  }
  if (t == 0 && tabWidth_ > 0) t = tabWidth_ - (x - 1) % tabWidth_;
  if (t == 0) return;
  if (DeleteSelectionUndoable(crDelete)) {
    x = caretX_;
    y = caretY_;
  }
  TakeSnapshot(y, y);
  const TEditString before = Line(y);
  TEditString s = before;
  PadTo(s, x - 1);
  s.insert(static_cast<size_t>(x - 1), Blanks(t));
  const TEditString stored = TrimRightEdit(s);
  lines_.Put(y - 1, stored);
  CaretPastEol({x + t, y});
  SetBlockBegin(CaretXY());
  // Blanks at the line's end are trimmed away again; then only the caret moved.
  if (stored != before)
    AddUndo(crInsert, {x, y}, {x + t, y}, TEditString(), smNormal);
  else
    pendingSnap_ = TLineSnapshot();
}

// --- Blocks ------------------------------------------------------------------------------------

void TmwCustomEdit::IndentLines(int first, int last, int width) {
  for (int y = first; y <= last; ++y) lines_.Put(y - 1, Blanks(width) + Line(y));
}

std::vector<int> TmwCustomEdit::UnindentLines(int first, int last, TEditString* removed) {
  std::vector<int> counts;
  for (int y = first; y <= last; ++y) {
    TEditString s = Line(y);
    int n = 0;
    while (n < tabWidth_ && n < Len(s) && s[static_cast<size_t>(n)] == U' ') ++n;
    if (n > 0) {
      s.erase(0, static_cast<size_t>(n));
      lines_.Put(y - 1, std::move(s));
    }
    counts.push_back(n);
    if (y > first) *removed += U"\r\n";
    *removed += Blanks(n);
  }
  return counts;
}

void TmwCustomEdit::ExecBlockIndent() {
  if (!SelAvail() || tabWidth_ == 0) return;
  TPoint b, e;
  NormBlock(b, e);
  const int endLine = std::max(b.Y, e.X == 1 ? e.Y - 1 : e.Y);
  const TPoint caret = CaretXY();
  TakeSnapshot(b.Y, endLine);
  IndentLines(b.Y, endLine, tabWidth_);
  AddUndo(crIndent, b, e, TEditString(), selectionMode_);
  caretX_ = caret.X;
  caretY_ = caret.Y;
  SetBlockClamped({b.X + tabWidth_, b.Y}, {e.X == 1 ? 1 : e.X + tabWidth_, e.Y});
}

void TmwCustomEdit::ExecBlockUnindent() {
  if (!SelAvail()) return;
  TPoint b, e;
  NormBlock(b, e);
  const int endLine = std::max(b.Y, e.X == 1 ? e.Y - 1 : e.Y);
  const TPoint caret = CaretXY();
  TakeSnapshot(b.Y, endLine);
  TEditString removed;
  const std::vector<int> counts = UnindentLines(b.Y, endLine, &removed);
  int total = 0;
  for (int c : counts) total += c;
  if (total == 0) {
    pendingSnap_ = TLineSnapshot();
    return;
  }
  AddUndo(crUnindent, b, e, removed, selectionMode_);
  auto shifted = [&](TPoint p) {
    const auto k = static_cast<size_t>(p.Y - b.Y);
    if (k < counts.size()) p.X = std::max(1, p.X - counts[k]);
    return p;
  };
  caretX_ = caret.X;
  caretY_ = caret.Y;
  SetBlockClamped(shifted(b), shifted(e));
}

void TmwCustomEdit::ExecMatchBracket() {
  static constexpr TEditChar kBrackets[] = {U'(', U')', U'[', U']', U'{', U'}'};
  const int y0 = caretY_;
  const int x0 = caretX_;
  if (x0 > LineLength(y0)) return;
  const TEditChar c = Line(y0)[static_cast<size_t>(x0 - 1)];
  int index = -1;
  for (int i = 0; i < 6; ++i)
    if (kBrackets[i] == c) index = i;
  if (index < 0) return;
  const bool forward = index % 2 == 0;
  const TEditChar partner = kBrackets[forward ? index + 1 : index - 1];
  int depth = 1;
  int y = y0;
  int i = x0 - 1;  // 0-based position in line y
  for (;;) {
    if (forward) {
      ++i;
      while (i >= LineLength(y)) {
        if (++y > LineCount()) return;
        i = 0;
        if (LineLength(y) > 0) break;
      }
    } else {
      --i;
      while (i < 0) {
        if (--y < 1) return;
        i = LineLength(y) - 1;
      }
    }
    const TEditChar d = Line(y)[static_cast<size_t>(i)];
    if (d == c) ++depth;
    if (d == partner && --depth == 0) {
      SetCaretAndCollapse({i + 1, y});
      return;
    }
  }
}

void TmwCustomEdit::ExecScroll(TmwEditorCommand command) {
  switch (command) {
    case ecScrollUp:
      SetTopLine(topLine_ - 1);
      if (caretY_ > topLine_ + linesInWindow_ - 1) SetCaretY(topLine_ + linesInWindow_ - 1);
      break;
    case ecScrollDown:
      SetTopLine(topLine_ + 1);
      if (caretY_ < topLine_) SetCaretY(topLine_);
      break;
    case ecScrollLeft:
      SetLeftChar(leftChar_ - 1);
      if (caretX_ > leftChar_ + charsInWindow_) SetCaretX(leftChar_ + charsInWindow_);
      break;
    case ecScrollRight:
      SetLeftChar(leftChar_ + 1);
      if (caretX_ < leftChar_) SetCaretX(leftChar_);
      break;
    default:
      break;
  }
}

}  // namespace tovix

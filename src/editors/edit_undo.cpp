// Undo, redo and the clipboard of the editor.

#include <algorithm>

#include "editors/custom_edit.h"
#include "editors/edit_internal.h"

namespace tovix {

using namespace edit_detail;

TLineSnapshot TmwCustomEdit::Snapshot(int first, int last) const {
  TLineSnapshot snap;
  snap.CountBefore = LineCount();
  snap.First = std::max(1, first);
  last = std::min(last, LineCount());
  for (int y = snap.First; y <= last; ++y) snap.Lines.push_back(Line(y));
  return snap;
}

void TmwCustomEdit::TakeSnapshot(int first, int last) {
  pendingSnap_ = Snapshot(first, last);
}

void TmwCustomEdit::ApplySnapshot(const TLineSnapshot& snap) {
  if (snap.Empty()) return;
  const TPoint caret = CaretXY();
  const TPoint b = blockBegin_;
  const TPoint e = blockEnd_;
  TEditScope scope(*this);
  // Lines that a column paste added below the text.
  while (LineCount() > snap.CountBefore) lines_.Delete(LineCount() - 1);
  for (size_t i = 0; i < snap.Lines.size(); ++i) {
    const int y = snap.First + static_cast<int>(i);
    if (y <= LineCount() && Line(y) != snap.Lines[i]) lines_.Put(y - 1, snap.Lines[i]);
  }
  caretX_ = caret.X;
  caretY_ = std::clamp(caret.Y, 1, LineCount());
  SetBlockClamped(b, e);
  ClampMarks();
}

TChangeItem* TmwCustomEdit::AddUndo(TChangeReason reason, TPoint start, TPoint end,
                                    TEditString text, TSelectionMode mode) {
  // A new edit makes the redo list stale: its positions belong to a text that is gone.
  if (undoRedoRunning_ == 0 && !undoList_.Locked()) redoList_.ClearList();
  TChangeItem* item = undoList_.AddChange(reason, start, end, std::move(text), mode);
  if (item != nullptr) item->Before = std::move(pendingSnap_);
  pendingSnap_ = TLineSnapshot();
  return item;
}

bool TmwCustomEdit::DeleteSelectionUndoable(TChangeReason reason) {
  if (!SelAvail()) return false;
  TPoint b, e;
  NormBlock(b, e);
  TakeSnapshot(b.Y, e.Y);
  AddUndo(reason, b, e, SelText(), selectionMode_);
  DeleteSelectionRaw();
  return true;
}

void TmwCustomEdit::ClearUndo() {
  undoList_.ClearList();
  redoList_.ClearList();
}

void TmwCustomEdit::SetMaxUndo(int value) {
  if (value < 0) return;
  undoList_.SetMaxUndo(value);
  redoList_.SetMaxUndo(value);
}

void TmwCustomEdit::Undo() {
  if (!readOnly_ && CanUndo()) ReplayItem(&TmwCustomEdit::UndoItem);
}

void TmwCustomEdit::Redo() {
  if (!readOnly_ && CanRedo()) ReplayItem(&TmwCustomEdit::RedoItem);
}

void TmwCustomEdit::ReplayItem(void (TmwCustomEdit::*step)()) {
  ++undoRedoRunning_;
  {
    TEditScope scope(*this);
    (this->*step)();
  }
  --undoRedoRunning_;
}

namespace {
// The end line of an indented block: a block that ends in column 1 leaves that line alone.
int IndentEndLine(TPoint start, TPoint end) {
  return std::max(start.Y, end.X == 1 ? end.Y - 1 : end.Y);
}
}  // namespace

void TmwCustomEdit::UndoItem() {
  std::unique_ptr<TChangeItem> item = undoList_.PopItem();
  if (item == nullptr) return;
  const TSelectionMode saved = selectionMode_;
  selectionMode_ = item->Mode;
  auto redo = std::make_unique<TChangeItem>();
  redo->Reason = item->Reason;
  redo->Start = item->Start;
  redo->End = item->End;
  redo->Mode = item->Mode;
  const int minY = std::min(item->Start.Y, item->End.Y);
  const int maxY = std::max(item->Start.Y, item->End.Y);
  switch (item->Reason) {
    case crInsert:
    case crPaste:
    case crDragDropInsert:
      redo->Before = Snapshot(minY, maxY);
      SetBlockClamped(item->Start, item->End);
      redo->Text = SelText();
      caretX_ = blockBegin_.X;
      caretY_ = blockBegin_.Y;
      ReplaceSelectionRaw(item->Mode, item->Text);
      // Where the restored text ends, so that redo replaces it again (overwrite mode).
      redo->End = CaretXY();
      ApplySnapshot(item->Before);
      SetCaretAndCollapse(item->Start);
      break;
    case crDeleteAfterCursor:
    case crDelete:
    case crSelDelete:
    case crDragDropDelete: {
      TPoint at = PointBefore(item->End, item->Start) ? item->End : item->Start;
      if (item->Mode == smColumn) at = {std::min(item->Start.X, item->End.X), minY};
      redo->Before = Snapshot(minY, maxY);
      while (LineCount() < at.Y) lines_.Add(TEditString());
      caretX_ = std::max(1, at.X);
      caretY_ = at.Y;
      blockBegin_ = blockEnd_ = CaretXY();
      InsertTextRaw(item->Mode, item->Text);
      ApplySnapshot(item->Before);
      CaretPastEol(item->End);
      SetBlockClamped(item->Start, item->End);
      break;
    }
    case crLineBreak: {
      redo->Before = Snapshot(item->Start.Y, item->Start.Y + 1);
      CaretPastEol(item->Start);
      const int y = item->Start.Y;
      if (y < LineCount()) {
        TEditString s = Line(y);
        const bool leadingWhite = !item->Text.empty() && IsWhiteEnd(item->Text[0]);
        if (Len(s) < item->Start.X - 1 && !leadingWhite) PadTo(s, item->Start.X - 1);
        s += item->Text;
        lines_.Delete(y);
        lines_.Put(y - 1, TrimRightEdit(s));
        ShiftMarks(y + 1, -1);
      }
      ApplySnapshot(item->Before);
      CaretPastEol(item->Start);
      SetBlockBegin(CaretXY());
      break;
    }
    case crIndent: {
      redo->Before = Snapshot(minY, maxY);
      selectionMode_ = smColumn;
      SetBlockClamped({1, item->Start.Y}, {tabWidth_ + 1, IndentEndLine(item->Start, item->End)});
      redo->Text = SelText();
      DeleteSelectionRaw();
      ApplySnapshot(item->Before);
      selectionMode_ = item->Mode;
      CaretPastEol(item->End);
      SetBlockClamped(item->Start, item->End);
      break;
    }
    case crUnindent: {
      redo->Before = Snapshot(minY, maxY);
      redo->Text = item->Text;
      caretX_ = 1;
      caretY_ = item->Start.Y;
      blockBegin_ = blockEnd_ = CaretXY();
      InsertTextRaw(smColumn, item->Text);
      ApplySnapshot(item->Before);
      CaretPastEol(item->End);
      SetBlockClamped(item->Start, item->End);
      break;
    }
    case crNothing:
      break;
  }
  selectionMode_ = saved;
  SetBlockClamped(blockBegin_, blockEnd_);
  const TChangeReason reason = item->Reason;
  redoList_.Push(std::move(redo));
  // A replacement or a drag-move undoes in one step.
  const TChangeReason next = undoList_.GetChangeReason();
  if ((reason == crInsert || reason == crPaste || reason == crDragDropInsert) &&
      (next == crSelDelete || (next == crDragDropDelete && reason == crDragDropInsert)))
    UndoItem();
}

void TmwCustomEdit::RedoItem() {
  std::unique_ptr<TChangeItem> item = redoList_.PopItem();
  if (item == nullptr) return;
  const TSelectionMode saved = selectionMode_;
  selectionMode_ = item->Mode;
  const int minY = std::min(item->Start.Y, item->End.Y);
  const int maxY = std::max(item->Start.Y, item->End.Y);
  const TChangeReason reason = item->Reason;
  switch (reason) {
    case crInsert:
    case crPaste:
    case crDragDropInsert: {
      TakeSnapshot(minY, maxY);
      SetBlockClamped(item->Start, item->End);
      caretX_ = item->Start.X;
      caretY_ = std::clamp(item->Start.Y, 1, LineCount());
      const TEditString replaced = SelText();
      ReplaceSelectionRaw(item->Mode, item->Text);
      AddUndo(reason, item->Start, CaretXY(), replaced, item->Mode);
      ApplySnapshot(item->Before);
      SetBlockBegin(CaretXY());
      break;
    }
    case crDeleteAfterCursor:
    case crDelete:
    case crSelDelete:
    case crDragDropDelete: {
      TakeSnapshot(minY, maxY);
      SetBlockClamped(item->Start, item->End);
      const TEditString text = SelText();
      DeleteSelectionRaw();
      AddUndo(reason, item->Start, item->End, text, item->Mode);
      ApplySnapshot(item->Before);
      SetCaretAndCollapse(PointBefore(item->End, item->Start) ? item->End : item->Start);
      break;
    }
    case crLineBreak:
      // The break happens where it happened first, wherever the caret went meanwhile.
      selectionMode_ = saved;
      CaretPastEol(item->Start);
      SetBlockBegin(CaretXY());
      ExecLineBreak(true);
      ApplySnapshot(item->Before);
      break;
    case crIndent: {
      const int endLine = IndentEndLine(item->Start, item->End);
      TakeSnapshot(item->Start.Y, endLine);
      caretX_ = 1;
      caretY_ = item->Start.Y;
      blockBegin_ = blockEnd_ = CaretXY();
      InsertTextRaw(smColumn, item->Text);
      AddUndo(crIndent, item->Start, item->End, TEditString(), item->Mode);
      ApplySnapshot(item->Before);
      CaretPastEol(item->End);
      SetBlockClamped({item->Start.X + tabWidth_, item->Start.Y},
                      {item->End.X == 1 ? 1 : item->End.X + tabWidth_, item->End.Y});
      break;
    }
    case crUnindent: {
      const std::vector<TEditString> pieces = SplitPieces(item->Text);
      TakeSnapshot(item->Start.Y, item->Start.Y + static_cast<int>(pieces.size()) - 1);
      std::vector<int> removed(pieces.size(), 0);
      for (size_t k = 0; k < pieces.size(); ++k) {
        const int y = item->Start.Y + static_cast<int>(k);
        if (y > LineCount()) break;
        TEditString s = Line(y);
        int n = 0;
        while (n < Len(pieces[k]) && n < Len(s) && s[static_cast<size_t>(n)] == U' ') ++n;
        if (n > 0) {
          s.erase(0, static_cast<size_t>(n));
          lines_.Put(y - 1, std::move(s));
        }
        removed[k] = n;
      }
      AddUndo(crUnindent, item->Start, item->End, item->Text, item->Mode);
      ApplySnapshot(item->Before);
      auto shifted = [&](TPoint p) {
        const auto k = static_cast<size_t>(p.Y - item->Start.Y);
        if (k < removed.size()) p.X = std::max(1, p.X - removed[k]);
        return p;
      };
      CaretPastEol(item->End);
      SetBlockClamped(shifted(item->Start), shifted(item->End));
      break;
    }
    case crNothing:
      break;
  }
  selectionMode_ = saved;
  SetBlockClamped(blockBegin_, blockEnd_);
  const TChangeReason next = redoList_.GetChangeReason();
  if (reason == crSelDelete || (reason == crDragDropDelete && next == crDragDropInsert)) RedoItem();
}

// --- Drag and drop -------------------------------------------------------------------------------

void TmwCustomEdit::DropSelection(TPoint at, bool copy) {
  if (readOnly_ || !SelAvail()) return;
  TPoint b, e;
  NormBlock(b, e);
  at.Y = std::clamp(at.Y, 1, LineCount());
  at.X = std::clamp(at.X, 1, MaxLeftChar);
  if (!PointBefore(at, b) && !PointBefore(e, at)) return;
  TEditScope scope(*this);
  const TSelectionMode mode = selectionMode_;
  const TEditString text = SelText();
  if (!copy) {
    const bool lastLine = e.Y == LineCount();
    TakeSnapshot(b.Y, e.Y);
    AddUndo(crDragDropDelete, b, e, text, mode);
    DeleteSelectionRaw();
    // The drop point as it stands once the block is gone.
    switch (mode) {
      case smNormal:
        if (at.Y == e.Y && !PointBefore(at, e))
          at = {b.X + (at.X - e.X), b.Y};
        else if (at.Y > e.Y)
          at.Y -= e.Y - b.Y;
        break;
      case smColumn: {
        const int l = std::min(b.X, e.X);
        const int r = std::max(b.X, e.X);
        if (at.Y >= b.Y && at.Y <= e.Y && at.X >= r) at.X -= r - l;
        break;
      }
      case smLine:
        if (at.Y >= b.Y && at.Y <= e.Y)
          at = {1, b.Y};
        else if (at.Y > e.Y)
          at.Y -= e.Y - b.Y + (lastLine ? 0 : 1);
        break;
    }
    at.Y = std::clamp(at.Y, 1, LineCount());
  }
  if (mode == smLine) at.X = 1;
  caretX_ = at.X;
  caretY_ = at.Y;
  blockBegin_ = blockEnd_ = CaretXY();
  TakeSnapshot(at.Y, at.Y + static_cast<int>(SplitPieces(text).size()) - 1);
  InsertTextRaw(mode, text);
  AddUndo(crDragDropInsert, at, CaretXY(), TEditString(), mode == smColumn ? smColumn : smNormal);
  SetBlockBegin(CaretXY());
}

// --- Clipboard ---------------------------------------------------------------------------------

void TmwCustomEdit::CopyToClipboard() {
  if (!SelAvail() || clipboard_ == nullptr) return;
  const TEditString text = SelText();
  if (!clipboard_->SetTextAndBlock(text, EncodeBlockPayload(selectionMode_, text)))
    throw EmwEditError("Clipboard copy operation failed");
}

void TmwCustomEdit::CutToClipboard() {
  // Without a clipboard the text would go nowhere.
  if (readOnly_ || !SelAvail() || clipboard_ == nullptr) return;
  CopyToClipboard();
  TEditScope scope(*this);
  DeleteSelectionUndoable(crDelete);
}

void TmwCustomEdit::PasteFromClipboard() {
  if (readOnly_ || clipboard_ == nullptr) return;
  std::optional<TEditorBlock> block;
  if (const std::optional<std::string> payload = clipboard_->GetBlock()) {
    block = DecodeBlockPayload(*payload);
    if (!block) throw EmwEditError("Clipboard paste operation failed.");
  } else if (std::optional<TEditString> text = clipboard_->GetText()) {
    block = TEditorBlock{smNormal, std::move(*text)};
  }
  if (block) {
    TEditScope scope(*this);
    DeleteSelectionUndoable(crSelDelete);
    TPoint at = CaretXY();
    if (block->Mode == smLine) at.X = 1;
    TakeSnapshot(at.Y, at.Y + static_cast<int>(SplitPieces(block->Text).size()) - 1);
    InsertTextRaw(block->Mode, block->Text);
    if (block->Mode == smColumn) {
      AddUndo(crPaste, at, CaretXY(), TEditString(), smColumn);
      SetCaretAndCollapse({at.X, CaretY() + 1});
    } else {
      // A line block pasted before the caret line is the normal stretch from the start of its
      // first line to the caret, so undo removes exactly the pasted lines.
      AddUndo(crPaste, at, CaretXY(), TEditString(), smNormal);
    }
  }
  EnsureCaretVisible();
  StatusChanged(scSelection);
}

}  // namespace tovix

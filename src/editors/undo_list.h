#pragma once
// The editor's undo and redo lists. Each item records one change: why it happened (the
// reason), where (start and end), in which selection mode, and the text it needs to undo or
// redo itself. Beside that, an item keeps the lines it touched as they stood before the change,
// so that undoing gives back exactly the old text, trailing blanks that the change trimmed and
// lines that a column paste added included.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "editors/edit_types.h"

namespace tovix {

enum TChangeReason : uint8_t {
  crInsert = 0,             // typing, SetSelText, tab: text inserted
  crPaste = 1,              // paste: text inserted
  crDragDropInsert = 2,     // drop: text inserted
  crDeleteAfterCursor = 3,  // delete key, delete word, delete to line end, delete line
  crDelete = 4,             // backspace, delete to line start, cut, break or tab over a selection
  crSelDelete = 5,          // a selection replaced: the selection removed first
  crDragDropDelete = 6,     // drag-move: the text removed at its source
  crLineBreak = 7,          // line break: the text that moved to the new line
  crIndent = 8,             // block indent
  crUnindent = 9,           // block unindent: the removed blanks, one piece per line
  crNothing = 10,           // what an empty list reports
};

// Lines as they stood before a change: `Lines` from line `First` (1-based), and the line count.
struct TLineSnapshot {
  int First = 0;
  int CountBefore = 0;
  std::vector<TEditString> Lines;
  bool Empty() const { return CountBefore == 0; }
};

struct TChangeItem {
  TChangeReason Reason = crNothing;
  TPoint Start;
  TPoint End;
  TSelectionMode Mode = smNormal;
  TEditString Text;
  TLineSnapshot Before;
};

class TUndoList {
 public:
  // Adds an item unless the list is locked; a full list drops its oldest item first. Returns
  // the new item, or nullptr while locked.
  TChangeItem* AddChange(TChangeReason reason, TPoint start, TPoint end, TEditString text,
                         TSelectionMode mode);
  // Takes the newest item off the list; nullptr when empty.
  std::unique_ptr<TChangeItem> PopItem();
  TChangeReason GetChangeReason() const {
    return items_.empty() ? crNothing : items_.back()->Reason;
  }
  const TChangeItem* Peek() const { return items_.empty() ? nullptr : items_.back().get(); }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  int MaxUndo() const { return maxUndo_; }
  // Drops the oldest items down to the new limit.
  void SetMaxUndo(int value);
  void ClearList() { items_.clear(); }
  void RemoveItem(int index);
  void Lock() { locked_ = true; }
  void Unlock() { locked_ = false; }
  bool Locked() const { return locked_; }
  // Puts a whole item back (used when an item moves between the undo and the redo list).
  TChangeItem* Push(std::unique_ptr<TChangeItem> item);

  // Called after an item was added (the editor marks itself modified and reports a change).
  std::function<void()> OnAdded;

 private:
  std::deque<std::unique_ptr<TChangeItem>> items_;
  int maxUndo_ = 10;
  bool locked_ = false;
};

}  // namespace tovix

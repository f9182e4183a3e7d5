#include "editors/undo_list.h"

namespace tovix {

TChangeItem* TUndoList::Push(std::unique_ptr<TChangeItem> item) {
  if (locked_ || maxUndo_ <= 0) return nullptr;
  while (static_cast<int>(items_.size()) >= maxUndo_) items_.pop_front();
  items_.push_back(std::move(item));
  TChangeItem* added = items_.back().get();
  if (OnAdded) OnAdded();
  return added;
}

TChangeItem* TUndoList::AddChange(TChangeReason reason, TPoint start, TPoint end, TEditString text,
                                  TSelectionMode mode) {
  if (locked_) return nullptr;
  auto item = std::make_unique<TChangeItem>();
  item->Reason = reason;
  item->Start = start;
  item->End = end;
  item->Text = std::move(text);
  item->Mode = mode;
  return Push(std::move(item));
}

std::unique_ptr<TChangeItem> TUndoList::PopItem() {
  if (items_.empty()) return nullptr;
  auto item = std::move(items_.back());
  items_.pop_back();
  return item;
}

void TUndoList::SetMaxUndo(int value) {
  if (value < 0) return;
  while (static_cast<int>(items_.size()) > value) items_.pop_front();
  maxUndo_ = value;
}

void TUndoList::RemoveItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  items_.erase(items_.begin() + index);
}

}  // namespace tovix

#include "views/jump_history.h"

#include "core/text/str_utils.h"

namespace tovix {

const TJumpHistoryItem* TJumpHistory::CurrentItem() const {
  if (current_ < 0 || current_ >= static_cast<int>(items_.size())) return nullptr;
  return &items_[static_cast<size_t>(current_)];
}

void TJumpHistory::Add(const std::string& text, TPlanet* data) {
  if (const TJumpHistoryItem* item = CurrentItem();
      item && item->Data == data && SameText(item->Text, text))
    return;
  items_.resize(static_cast<size_t>(current_ + 1));
  items_.push_back({text, data, static_cast<int>(items_.size())});
  current_ = static_cast<int>(items_.size()) - 1;
}

const TJumpHistoryItem* TJumpHistory::Back() {
  if (CanGoBack()) --current_;
  return CurrentItem();
}

const TJumpHistoryItem* TJumpHistory::Next() {
  if (CanGoNext()) ++current_;
  return CurrentItem();
}

const TJumpHistoryItem* TJumpHistory::GoToBack(int index) {
  const TJumpHistoryItem* reached = nullptr;
  while (index < current_ && CanGoBack()) reached = Back();
  return reached;
}

const TJumpHistoryItem* TJumpHistory::GoToNext(int index) {
  const TJumpHistoryItem* reached = nullptr;
  while (index > current_ && CanGoNext()) reached = Next();
  return reached;
}

std::vector<TJumpHistoryItem> TJumpHistory::BackList() const {
  std::vector<TJumpHistoryItem> list;
  for (int i = current_ - 1; i >= 0; --i) list.push_back(items_[static_cast<size_t>(i)]);
  return list;
}

std::vector<TJumpHistoryItem> TJumpHistory::NextList() const {
  std::vector<TJumpHistoryItem> list;
  for (int i = current_ + 1; i < static_cast<int>(items_.size()); ++i)
    list.push_back(items_[static_cast<size_t>(i)]);
  return list;
}

}  // namespace tovix

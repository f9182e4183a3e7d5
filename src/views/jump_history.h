#pragma once
// The history behind the planet information window's "Back" and "Next" buttons: the planets
// shown, in order, and the one shown now. Showing a planet after going back drops the planets
// that came after the current one.

#include <string>
#include <vector>

namespace tovix {

class TPlanet;

struct TJumpHistoryItem {
  std::string Text;  // the planet's name
  TPlanet* Data = nullptr;
  int Index = 0;  // position in the history
};

class TJumpHistory {
 public:
  // Nothing when the current item has the same text (ignoring case) and data; otherwise the
  // items after the current one go and the new item is appended and becomes current.
  void Add(const std::string& text, TPlanet* data);

  bool CanGoBack() const { return current_ >= 1; }
  bool CanGoNext() const { return current_ >= 0 && current_ < static_cast<int>(items_.size()) - 1; }
  // One step back (or forward) when possible; the item then current (nullptr when empty).
  const TJumpHistoryItem* Back();
  const TJumpHistoryItem* Next();
  // Steps back (forward) until `index` is current or no step is possible; the last item
  // reached, nullptr when no step was taken.
  const TJumpHistoryItem* GoToBack(int index);
  const TJumpHistoryItem* GoToNext(int index);
  // The items before the current one, nearest first; and those after it, nearest first.
  std::vector<TJumpHistoryItem> BackList() const;
  std::vector<TJumpHistoryItem> NextList() const;

  int Current() const { return current_; }
  const std::vector<TJumpHistoryItem>& Items() const { return items_; }
  void Clear() {
    items_.clear();
    current_ = -1;
  }

 private:
  const TJumpHistoryItem* CurrentItem() const;

  std::vector<TJumpHistoryItem> items_;
  int current_ = -1;
};

// The drop-down menus of "Back" and "Next" list at most this many planets.
inline constexpr int kJumpMenuEntries = 11;

}  // namespace tovix

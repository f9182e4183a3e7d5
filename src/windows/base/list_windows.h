#pragma once
// What the list windows share: F5 and F6, the column layout in the settings store, the row that
// other windows follow, the marks their planets put on the map, and "Top Most" in their menus.

#include <QObject>
#include <functional>
#include <string_view>
#include <vector>

class QAction;
class QKeyEvent;
class QWidget;

namespace tovix {

class IMapService;
class IOrderService;
class TPlanet;
class TznListView;
class TznSaveState;

// F5 shows the window's rows again (`refresh`), F6 analyses the orders (nothing while there is
// no order service). True, the event taken, for those two keys without modifiers.
bool HandleListKeys(QKeyEvent& event, const std::function<void()>& refresh, IOrderService* orders);

// What a list keeps when the store holds no layout for it.
enum class TMissingLayout {
  Fit,   // its columns go on widening to their texts
  Hold,  // its columns keep the widths they have now, as a stored layout would
};

// The column order and widths of `list` under `key` of `section`.
void LoadColumnLayout(const TznSaveState& store, std::string_view section, std::string_view key,
                      TznListView& list, TMissingLayout missing = TMissingLayout::Fit);
void SaveColumnLayout(TznSaveState& store, std::string_view section, std::string_view key,
                      const TznListView& list);

// The map marks `planets` (a null entry is passed over) in place of its marks so far; nothing
// changes without a map or for no planets at all.
void MarkPlanetsOnMap(IMapService* map, const std::vector<TPlanet*>& planets);

// "Top Most" for a window's menus: checked, it keeps `window` above all other windows.
QAction* MakeTopMostAction(QWidget& window);

// The current row of a list, followed by other windows (the map, the planet information): each
// row the user moves to is handed on once, none while the window gives the list new rows.
class TFollowedRow : public QObject {
 public:
  // `follow` receives the window's index of the new current row.
  TFollowedRow(TznListView& list, std::function<void(int row)> follow);

  // Runs `setRows`, which gives the list new rows, without following; the selection is cleared
  // first, and the row first moved to afterwards is handed on even when it has the same place.
  void SetRows(const std::function<void()>& setRows);

 private:
  void CurrentRowChanged(int viewRow);

  TznListView& list_;
  std::function<void(int row)> follow_;
  int lastViewRow_ = -1;
  bool setting_ = false;
};

}  // namespace tovix

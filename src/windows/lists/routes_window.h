#pragma once
// "Routes": the cargo routes of the user's planets, a row per origin with its CAP, COL, MAT
// and empty-ship destinations. Hovering a cell shows its planet; the popup writes "R" orders
// that remove one route, a planet's routes, every route, or the selected rows' routes.

#include <functional>
#include <string>
#include <vector>

#include "views/route_rows.h"
#include "windows/base/tool_window.h"

class QMenu;
class QAction;

namespace tovix {

class TznListView;

class TfrmRoutes : public TToolWindow {
  Q_OBJECT

 public:
  TfrmRoutes(const GameState& state, TznSaveState& store, QWidget* parent = nullptr);

  // Where each "R" line goes, one line per call (the order text's route section). Without a
  // sink the lines of one choice go to the clipboard.
  void setRouteCommandSink(std::function<void(const std::string&)> sink) {
    routeCommandSink_ = std::move(sink);
  }
  // Shows a planet in the planet information window (hot tracking).
  void setShowPlanet(std::function<void(const TPlanet*)> show) { showPlanet_ = std::move(show); }
  // Runs the order analysis (F6).
  void setAnalyseOrders(std::function<void()> analyse) { analyseOrders_ = std::move(analyse); }

  // Fills the list from the model's routes again.
  void RefreshRoutes();

  TznListView* List() const { return lvRoutes_; }
  const TRouteTable& Table() const { return table_; }
  QMenu* PopupMenu() const { return pmuRoutes_; }
  // Remembers the cell at `position` (list viewport coordinates) and enables the menu items
  // for it, as the popup does before it opens.
  void PreparePopup(const QPoint& position);

  void DeleteRoute();
  void DeletePlanetRoutes();
  void DeleteAllRoutes();
  void DeleteSelectedRoutes();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // A new read of the game, an analysis of the orders or a route made in another window fills
  // the list again.
  void RefreshGame(TGameChanges changes) override;

 private:
  void ShowRows();
  // The table's rows in the order the list shows them, so that "from the top" holds.
  void TakeViewOrder();
  void Write(const std::vector<std::string>& lines);
  void HotTracked(int row, int column);

  const GameState& state_;
  TznListView* lvRoutes_;
  QMenu* pmuRoutes_;
  QAction* mniDeleteRoute_;
  QAction* mniDeletePlanet_;
  QAction* mniDeleteAll_;
  QAction* mniDeleteSelected_;
  TRouteTable table_;
  bool filled_ = false;
  bool sized_ = false;  // the columns know the game's planet names
  const TPlanet* hotPlanet_ = nullptr;
  int clickedItem_ = -1;  // the table's row under the popup, -1 for none
  int clickedColumn_ = 0;
  std::function<void(const std::string&)> routeCommandSink_;
  std::function<void(const TPlanet*)> showPlanet_;
  std::function<void()> analyseOrders_;
};

}  // namespace tovix

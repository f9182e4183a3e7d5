#include "windows/base/list_windows.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <string>
#include <utility>

#include "controls/top_most_window.h"
#include "controls/zn_list_view.h"
#include "core/settings/save_state.h"
#include "orders/order_insert_service.h"
#include "windows/base/services.h"

namespace tovix {

bool HandleListKeys(QKeyEvent& event, const std::function<void()>& refresh, IOrderService* orders) {
  if (event.modifiers() != Qt::NoModifier) return false;
  if (event.key() == Qt::Key_F5) {
    refresh();
  } else if (event.key() == Qt::Key_F6) {
    if (orders) orders->AnalyseOrders();
  } else {
    return false;
  }
  event.accept();
  return true;
}

void LoadColumnLayout(const TznSaveState& store, std::string_view section, std::string_view key,
                      TznListView& list, TMissingLayout missing) {
  std::string current;
  if (missing == TMissingLayout::Hold) list.GetColumnLayout(current);
  list.SetLoading(true);
  list.SetColumnLayout(store.ReadString(section, key, current));
  list.SetLoading(false);
}

void SaveColumnLayout(TznSaveState& store, std::string_view section, std::string_view key,
                      const TznListView& list) {
  std::string layout;
  if (list.GetColumnLayout(layout)) store.WriteString(section, key, layout);
}

void MarkPlanetsOnMap(IMapService* map, const std::vector<TPlanet*>& planets) {
  if (planets.empty() || !map) return;
  map->ClearPlanetMarks();
  for (TPlanet* planet : planets)
    if (planet) map->AddPlanetMark(planet);
}

QAction* MakeTopMostAction(QWidget& window) {
  // A Linux window manager's system menu cannot be extended: "Top Most" sits in the popups.
  auto* topMost = new TTopMostWindow(&window);
  auto* action = new QAction("&Top Most", &window);
  action->setObjectName("mniTopMost");
  action->setCheckable(true);
  QObject::connect(action, &QAction::toggled, topMost, &TTopMostWindow::SetAlwaysOnTop);
  return action;
}

TFollowedRow::TFollowedRow(TznListView& list, std::function<void(int row)> follow)
    : list_(list), follow_(std::move(follow)) {
  connect(list.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            CurrentRowChanged(current.isValid() ? current.row() : -1);
          });
}

void TFollowedRow::SetRows(const std::function<void()>& setRows) {
  setting_ = true;
  lastViewRow_ = -1;
  list_.clearSelection();
  setRows();
  setting_ = false;
}

void TFollowedRow::CurrentRowChanged(int viewRow) {
  if (setting_ || viewRow < 0 || viewRow == lastViewRow_) return;
  lastViewRow_ = viewRow;
  const int row = list_.Rows().SourceRow(viewRow);
  if (row >= 0) follow_(row);
}

}  // namespace tovix

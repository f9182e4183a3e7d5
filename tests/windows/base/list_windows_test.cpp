#include "windows/base/list_windows.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <memory>
#include <string>

#include "controls/zn_list_view.h"
#include "core/settings/save_state.h"

#include "support/recording_services.h"

namespace tovix {
namespace {

// F5 and F6 belong to the list window only without modifiers; F6 without an order service is
// still taken, so that it does nothing rather than reach the window behind.
TEST(ListWindows, F5RefreshesAndF6AnalysesWithoutModifiersOnly) {
  test::RecordingOrders orders;
  int refreshed = 0;
  const auto press = [&](int key, Qt::KeyboardModifiers modifiers, IOrderService* service) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    event.ignore();
    const bool taken = HandleListKeys(
        event, [&] { ++refreshed; }, service);
    EXPECT_EQ(taken, event.isAccepted());
    return taken;
  };
  EXPECT_TRUE(press(Qt::Key_F5, Qt::NoModifier, &orders));
  EXPECT_TRUE(press(Qt::Key_F6, Qt::NoModifier, &orders));
  EXPECT_TRUE(press(Qt::Key_F6, Qt::NoModifier, nullptr));
  EXPECT_FALSE(press(Qt::Key_F5, Qt::ShiftModifier, &orders));
  EXPECT_FALSE(press(Qt::Key_F6, Qt::ControlModifier, &orders));
  EXPECT_FALSE(press(Qt::Key_F7, Qt::NoModifier, &orders));
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(orders.analysed, 1);
}

// Without a stored layout a list either goes on fitting its columns to their texts or holds the
// widths it has; a stored layout comes back either way.
TEST(ListWindows, AMissingLayoutLeavesTheColumnsToFitOrHoldsThem) {
  TznSaveState store("");
  const auto makeList = [] {
    auto list = std::make_unique<TznListView>();
    list->SetColumns({"A", "B"}, {40, 40});
    return list;
  };
  const std::string wide(60, 'W');
  auto fitting = makeList();
  const int first = fitting->horizontalHeader()->sectionSize(0);
  LoadColumnLayout(store, "Lists", "Fitting_Order", *fitting);
  fitting->SetColumnSamples(0, {wide});
  fitting->FitColumns();
  EXPECT_GT(fitting->horizontalHeader()->sectionSize(0), first);

  auto holding = makeList();
  LoadColumnLayout(store, "Lists", "Holding_Order", *holding, TMissingLayout::Hold);
  holding->SetColumnSamples(0, {wide});
  holding->FitColumns();
  EXPECT_EQ(holding->horizontalHeader()->sectionSize(0), first);

  holding->horizontalHeader()->resizeSection(1, 90);
  SaveColumnLayout(store, "Lists", "Holding_Order", *holding);
  auto again = makeList();
  LoadColumnLayout(store, "Lists", "Holding_Order", *again);
  EXPECT_EQ(again->horizontalHeader()->sectionSize(1), 90);
}

// The marks of the rows replace the map's; a row without a planet marks nothing, and no rows
// leave the map as it was.
TEST(ListWindows, MarksReplaceTheMapsAndPassOverRowsWithoutPlanet) {
  test::RecordingMap map;
  TPlanet vega("Vega");
  MarkPlanetsOnMap(&map, {});
  EXPECT_TRUE(map.calls.empty());
  MarkPlanetsOnMap(&map, {nullptr, &vega});
  EXPECT_EQ(map.calls, (std::vector<std::string>{"clear", "mark Vega"}));
  MarkPlanetsOnMap(nullptr, {&vega});
}

}  // namespace
}  // namespace tovix

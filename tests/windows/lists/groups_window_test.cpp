// The groups window on the real game Orion read as race A (allies B and C), offscreen, with
// recording services: its rows before and after an analysis of A's last orders, the rings and
// planet of the focused row, the orders of its popup, and the stored group expression.

#include "windows/lists/groups_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>

#include "controls/zn_list_view.h"
#include "core/text/numbers.h"
#include "orders/order_lines.h"
#include "support/list_widths.h"
#include "support/orion_as_a.h"
#include "support/recording_services.h"
#include "views/name_samples.h"

namespace tovix {
namespace {

using test::Orion;

class FixedAnalysis : public IOrderAnalysisService {
 public:
  const TOrderAnalysis* analysis = nullptr;
  const TOrderAnalysis* LastAnalysis() const override { return analysis; }
};

// Chooses the first half of what it is offered, under the expression it was given.
class HalfExpressions : public IExpressionService {
 public:
  std::string next;
  std::vector<std::string> filtered;  // the expressions FilterGroupsByExpression was given
  std::vector<TPlanet*> SelectPlanetsByExpression(const std::vector<TPlanet*>& source) override {
    return source;
  }
  bool SelectGroupsByExpression(const std::vector<TGroupItem>& source,
                                std::vector<TGroupItem>& chosen, std::string& expression) override {
    chosen.assign(source.begin(), source.begin() + static_cast<long>(source.size() / 2));
    expression = next;
    return true;
  }
  std::vector<TGroupItem> FilterGroupsByExpression(const std::string& expression,
                                                   const std::vector<TGroupItem>& source) override {
    filtered.push_back(expression);
    return {source.begin(), source.begin() + static_cast<long>(source.size() / 2)};
  }
};

class GroupsWindow : public testing::Test {
 protected:
  void SetUp() override {
    if (!Orion()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    services.Orders = &orders;
    services.Map = &map;
    services.PlanetInfo = &info;
    services.Analysis = &analysis;
    window = std::make_unique<TfrmGroups>(Orion()->state, store, ui, services);
    window->show();
  }
  // The view row of the first row that satisfies `pred`, -1 for none.
  template <class Pred>
  int FindRow(Pred&& pred) const {
    const TListRowModel& rows = window->List()->Rows();
    for (int v = 0; v < rows.Count(); ++v)
      if (pred(window->Rows()[static_cast<size_t>(rows.SourceRow(v))])) return v;
    return -1;
  }
  void Focus(int viewRow) {
    TznListView& list = *window->List();
    list.setCurrentIndex(list.Rows().index(viewRow, 0));
  }
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  test::RecordingOrders orders;
  test::RecordingMap map;
  test::RecordingPlanetInfo info;
  FixedAnalysis analysis;
  TServices services;
  std::unique_ptr<TfrmGroups> window;
};

TEST_F(GroupsWindow, RowsFollowTheAnalysisAndTheFocusedRowMovesTheRings) {
  GameState& state = Orion()->state;
  EXPECT_EQ(window->GroupOwnerBox()->currentText(), "(All)");
  EXPECT_EQ(window->PlanetOwnerBox()->currentText(), "(All)");
  // Before any analysis every own group stands whole.
  const size_t others = OtherGroups(state).size();
  int ownGroups = 0;
  for (const auto& g : state.MainPlayer->Groups) ownGroups += g->Turn == state.LastTurn;
  EXPECT_EQ(window->Rows().size(), others + static_cast<size_t>(ownGroups));
  // Whole headers, and the game's longest names whole whatever the rows hold.
  const TGameNames names = LongestGameNames(state);
  test::ExpectHeadersWhole(*window->List());
  test::ExpectWhole(*window->List(), gcolPlanet, names.Planets.front());
  test::ExpectWhole(*window->List(), gcolSource, names.Planets.front());
  test::ExpectWhole(*window->List(), gcolOwner, names.Races.front());
  test::ExpectWhole(*window->List(), gcolShipType, names.ShipTypes.front());

  TOrderAnalysis orderAnalysis(state);
  orderAnalysis.ParseOrders(
      TVectorOrderLines(test::FileLines(Orion()->source / "orders" / "A025.txt")));
  analysis.analysis = &orderAnalysis;
  window->NoteGameChange(gcOrdersAnalysed);
  EXPECT_EQ(window->Rows().size(), others + orderAnalysis.Records().size());

  // A part sent away: the rings at its destination with its group's speeds.
  const int sent =
      FindRow([](const TGroupRow& r) { return r.Item.Record && !r.Item.Record->Base; });
  ASSERT_GE(sent, 0);
  Focus(sent);
  const TGroupRow& part =
      window->Rows()[static_cast<size_t>(window->List()->Rows().SourceRow(sent))];
  const TPlanet* to = part.Item.Record->Destination;
  ASSERT_NE(to, nullptr);
  EXPECT_EQ(map.calls.back(), Fmt("rings %d %d %5.2f %5.2f", to->X, to->Y, part.Group->Speed(),
                                  part.Group->SpeedFullLoad()));
  EXPECT_EQ(info.shown.back(), to);
  // Another race's group: its planet, and no rings.
  const int foreign = FindRow([](const TGroupRow& r) { return !r.Item.Record; });
  ASSERT_GE(foreign, 0);
  Focus(foreign);
  EXPECT_EQ(map.calls.back(), "rings 0 0  0.00  0.00");

  // Distances from the focused row's planet show at once.
  window->List()->selectionModel()->select(
      window->List()->Rows().index(foreign, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  window->CalculateDistances();
  ASSERT_NE(window->DistancePlanet(), nullptr);
  int away = 0;
  for (const TGroupRow& r : window->Rows()) away += r.Cells[gcolDistance] != "0.00";
  EXPECT_GT(away, 0);

  // Upgrade: one "G" line per selected own record, in row order, then an analysis.
  TznListView& list = *window->List();
  list.clearSelection();
  std::vector<std::string> numbers;
  for (int v = 0; v < list.Rows().Count() && numbers.size() < 3; ++v) {
    const TGroupRow& r = window->Rows()[static_cast<size_t>(list.Rows().SourceRow(v))];
    if (!r.Item.Record) continue;
    list.selectionModel()->select(list.Rows().index(v, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    numbers.push_back(r.Cells[gcolNumber]);
  }
  ASSERT_EQ(numbers.size(), 3u);
  window->Upgrade();
  EXPECT_EQ(orders.inserted, std::vector<std::string>{"group: G " + numbers[0] + "\r\nG " +
                                                      numbers[1] + "\r\nG " + numbers[2]});
  EXPECT_EQ(orders.analysed, 1);
  analysis.analysis = nullptr;
  window->NoteGameChange(gcOrdersAnalysed);
}

// A choice in the current view is stored even without an earlier expression, so that the next
// refresh (every analysis) keeps the rows the user chose; a second one is joined to the first.
TEST_F(GroupsWindow, ChoicesInTheCurrentViewAreStoredAndJoined) {
  HalfExpressions expressions;
  services.Expressions = &expressions;
  const size_t all = window->Rows().size();
  expressions.next = "[GR_COUNT] > 5";
  window->SelectInCurrentView();
  EXPECT_EQ(window->GroupExpression(), "[GR_COUNT] > 5");
  EXPECT_EQ(window->Rows().size(), all / 2);
  window->RefreshGroupList();
  EXPECT_EQ(expressions.filtered, std::vector<std::string>{"[GR_COUNT] > 5"});
  expressions.next = "[GR_ETA] = 0";
  window->SelectInCurrentView();
  EXPECT_EQ(window->GroupExpression(), "([GR_COUNT] > 5) and ([GR_ETA] = 0)");
  services.Expressions = nullptr;
}

}  // namespace
}  // namespace tovix

namespace tovix {
namespace {

TEST_F(GroupsWindow, StateKeepsTheLayoutTopMostAndCentringUnderFrmGroups) {
  QAction* topMost = window->findChild<QAction*>("mniTopMost");
  ASSERT_NE(topMost, nullptr);
  topMost->setChecked(true);
  window->List()->SetSortColumn(gcolCount);
  window->SaveState();
  EXPECT_TRUE(store.ReadBool("frmGroups", "mniTopMost.Checked", false));
  std::string layout;
  ASSERT_TRUE(window->List()->GetColumnLayout(layout));
  EXPECT_EQ(store.ReadString("frmGroups", "znListview1_Order", ""), layout);
  TfrmGroups again(Orion()->state, store, ui, services);
  again.LoadState();
  EXPECT_TRUE(again.findChild<QAction*>("mniTopMost")->isChecked());
  EXPECT_TRUE(again.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
}  // namespace tovix

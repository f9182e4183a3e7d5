// The battles, bombings and incoming-groups windows on the real game Orion (A with allies B and
// C): what a selection tells the map and the planet window, the 100 ms quiet time, the "Turns"
// box, the hand-off to the battle simulator and the orders the bombings window writes.

#include "windows/lists/event_windows.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include "controls/zn_list_view.h"
#include "support/orion_game.h"
#include "support/recording_services.h"
#include "support/window_picture.h"

namespace tovix {
namespace {

struct RecordingMap : IMapService {
  std::vector<TPlanet*> cursors;
  std::vector<TPlayer*> marked;
  void SetPlanetCursor(TPlanet* p, bool) override { cursors.push_back(p); }
  void SetPlanet2Cursor(TPlanet*, bool) override {}
  void MarkPlayerPlanets(TPlayer* p) override { marked.push_back(p); }
  void AddPlanetMark(TPlanet*) override {}
  void ClearPlanetMarks() override {}
  void SetGroupCursor(int32_t, int32_t, float, float) override {}
};

struct RecordingPlanetInfo : IPlanetInfoService {
  std::vector<TPlanet*> shown;
  void ShowPlanet(TPlanet* p, bool) override { shown.push_back(p); }
  void ShowPlanetAsTarget(TPlanet*, bool) override {}
};

struct RecordingSimulator : IBattleSimulatorService {
  int battles = 0, fills = 0;
  std::vector<std::string> attackers, defenders;  // owner names
  void NewBattle() override { ++battles; }
  void AddAttacker(std::unique_ptr<TGroup> g) override { attackers.push_back(g->Owner->Name); }
  void AddDefender(std::unique_ptr<TGroup> g) override { defenders.push_back(g->Owner->Name); }
  void FillGrids() override { ++fills; }
};

class EventWindows : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::Orion()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    services.Orders = &orders;
    services.Map = &map;
    services.PlanetInfo = &info;
    services.BattleSimulator = &simulator;
  }
  GameState& State() { return test::Orion()->state; }
  TServicesSource Source() {
    return [this]() -> const TServices& { return services; };
  }
  void Select(TznListView& list, int viewRow) {
    list.setCurrentIndex(list.Rows().index(viewRow, 0));
  }
  TznSaveState store{""};
  test::RecordingOrders orders;
  RecordingMap map;
  RecordingPlanetInfo info;
  RecordingSimulator simulator;
  test::RecordingUserInterface ui;
  TServices services;
};

TEST_F(EventWindows, BattleSelectionMovesTheMapOnceAndTheTurnsBoxRefillsAtOnce) {
  TfrmBattles window(State(), store, Source());
  window.show();
  TznListView& list = *window.List();
  const size_t last = BattleRows(State(), true).size();
  ASSERT_GE(last, 2u);
  EXPECT_EQ(window.Rows().size(), last);
  EXPECT_GT(window.InfoBox()->count(), 0) << "the first battle's groups";

  Select(list, 1);
  const TBattle* battle = window.SelectedBattle();
  ASSERT_NE(battle, nullptr);
  EXPECT_EQ(map.cursors, std::vector<TPlanet*>{battle->Planet});
  EXPECT_EQ(info.shown, std::vector<TPlanet*>{battle->Planet});
  EXPECT_TRUE(window.MayChangeTimer()->isActive());
  const std::vector<std::string> lines = BattleInfoLines(State(), *battle);
  ASSERT_EQ(window.InfoBox()->count(), static_cast<int>(lines.size()));
  EXPECT_EQ(window.InfoBox()->item(0)->text().toStdString(), lines[0]);

  // While the quiet time runs, a selection changes nothing; after it, it does.
  Select(list, 0);
  EXPECT_EQ(map.cursors.size(), 1u);
  window.MayChangeTimer()->stop();
  Select(list, 1);
  EXPECT_EQ(map.cursors.size(), 1u) << "the battle handled last";
  Select(list, 0);
  EXPECT_EQ(map.cursors.size(), 2u);

  // "All" refills the shown list at once.
  window.TurnsBox()->setCurrentIndex(1);
  EXPECT_EQ(window.Rows().size(), BattleRows(State(), false).size());
  EXPECT_EQ(list.Rows().Count(), static_cast<int>(window.Rows().size()));
  // A hidden window refills at its next show.
  window.hide();
  window.TurnsBox()->setCurrentIndex(0);
  EXPECT_FALSE(window.Filled());
  window.show();
  EXPECT_EQ(window.Rows().size(), last);

  // The planet window's "Last fight" line: an older battle switches to all turns.
  TBattle* first = BattleRows(State(), false).front().Battle;
  ASSERT_NE(first->Turn, State().LastTurn);
  window.SelectBattle(first);
  EXPECT_EQ(window.TurnsBox()->currentIndex(), 1);
  EXPECT_EQ(window.SelectedBattle(), first);
}

TEST_F(EventWindows, ARaceMovedToTheDefendersDefendsInTheSimulator) {
  TfrmBattles window(State(), store, Source());
  window.TurnsBox()->setCurrentIndex(1);
  window.show();
  // A battle of three races or more.
  int row = -1;
  for (size_t i = 0; i < window.Rows().size() && row < 0; ++i)
    if (BattleOwnerNames(*window.Rows()[i].Battle).size() >= 3) row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  Select(*window.List(), window.List()->Rows().ViewRow(row));
  const TBattle& battle = *window.SelectedBattle();
  const std::vector<std::string> owners = BattleOwnerNames(battle);
  std::string moved;
  window.RunSidesDialog = [&](TDualListForm& form) {
    EXPECT_EQ(form.SrcList()->count(), static_cast<int>(owners.size()));
    EXPECT_EQ(form.SrcLabel()->text(), "&Attackers");
    EXPECT_EQ(form.DstLabel()->text(), "&Defenders");
    form.SrcList()->item(1)->setSelected(true);
    moved = form.SrcList()->item(1)->text().toStdString();
    form.IncClicked();
    return true;
  };
  window.AddToBattleSimulator();
  EXPECT_EQ(simulator.battles, 1);
  EXPECT_EQ(simulator.fills, 1);
  EXPECT_EQ(simulator.attackers.size() + simulator.defenders.size(), battle.Groups.size());
  ASSERT_FALSE(simulator.defenders.empty());
  for (const std::string& d : simulator.defenders) EXPECT_EQ(d, moved);
  for (const std::string& a : simulator.attackers) EXPECT_NE(a, moved);

  window.RunSidesDialog = [](TDualListForm&) { return false; };
  window.AddToBattleSimulator();
  EXPECT_EQ(simulator.battles, 1) << "cancelled";
}

TEST_F(EventWindows, BombingsWriteDevelopAndProduceOrdersForTheSelectedPlanets) {
  TfrmBombings window(State(), store, ui, Source(), [] { return std::string("Tovix"); });
  window.TurnsBox()->setCurrentIndex(1);
  window.show();
  TznListView& list = *window.List();
  ASSERT_GE(list.Rows().Count(), 2);
  Select(list, 0);
  ASSERT_EQ(info.shown.size(), 1u);
  list.selectionModel()->select(list.Rows().index(1, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const std::string a = list.Rows().CellText(list.Rows().SourceRow(0), 3);
  const std::string b = list.Rows().CellText(list.Rows().SourceRow(1), 3);
  EXPECT_EQ(info.shown[0]->Name, a);
  window.DevelopPlanets();
  ui.choices.push_back(1);  // MAT
  window.ProduceOnPlanets();
  ui.choices.push_back(-1);  // cancelled: nothing
  window.ProduceOnPlanets();
  EXPECT_EQ(orders.inserted, (std::vector<std::string>{
                                 "planet: ;P " + a + "\r\n;P " + b,
                                 "planet: P " + a + " MAT\r\nP " + b + " MAT",
                             }));
}

TEST_F(EventWindows, IncomingGroupClickShowsTheOriginAndDoubleClickTheDestination) {
  TfrmIncomingGroups window(State(), store, Source());
  window.TurnsBox()->setCurrentIndex(1);
  window.show();
  ASSERT_FALSE(window.Rows().empty());
  window.RowClicked(0);
  window.RowDoubleClicked(0);
  EXPECT_EQ(info.shown, (std::vector<TPlanet*>{window.Rows()[0].Group->Origin,
                                               window.Rows()[0].Group->Destination}));
}

TEST_F(EventWindows, PictureOfBattlesWithABattleSelected) {
  TfrmBattles battles(State(), store, Source());
  battles.show();
  Select(*battles.List(), 0);
  ASSERT_NE(battles.SelectedBattle(), nullptr);
  EXPECT_GT(battles.InfoBox()->count(), 2);
  EXPECT_TRUE(test::TakePicture(battles, "Battles"));
}

// The sides of the battle with the most races, one race moved to the defenders.
TEST_F(EventWindows, PictureOfTheTwoListDialogWithRacesOnBothSides) {
  TfrmBattles battles(State(), store, Source());
  battles.TurnsBox()->setCurrentIndex(1);
  battles.show();
  int row = 0;
  size_t most = 0;
  for (size_t i = 0; i < battles.Rows().size(); ++i)
    if (const size_t n = BattleOwnerNames(*battles.Rows()[i].Battle).size(); n > most) {
      most = n;
      row = static_cast<int>(i);
    }
  ASSERT_GE(most, 3u);
  Select(*battles.List(), battles.List()->Rows().ViewRow(row));
  bool pictured = false;
  battles.RunSidesDialog = [&](TDualListForm& form) {
    form.SrcList()->item(1)->setSelected(true);
    form.IncClicked();
    form.SrcList()->clearSelection();
    form.SrcList()->item(0)->setSelected(true);
    form.show();
    pictured = test::TakePicture(form, "Battles-sides");
    EXPECT_GT(form.SrcList()->count(), 0);
    EXPECT_GT(form.DstList()->count(), 0);
    return false;
  };
  battles.AddToBattleSimulator();
  EXPECT_TRUE(pictured);
}

}  // namespace
}  // namespace tovix

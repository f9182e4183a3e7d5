// The battle simulator's window: battles of Orion handed over as the battles window does, runs on
// the worker thread that end by themselves or by Stop (events are processed until the worker's
// last report arrives; nothing sleeps), the question after 9,999 rounds, and the grids' group
// actions.

#include "windows/orders/battle_simulator_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <map>
#include <set>

#include "controls/spin_edit.h"
#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/numbers.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using Side = TfrmBattleSimulator::TSide;

struct OrionAllies {
  OrionAllies() {
    const fs::path source = test::ReportsDir("orion");
    if (source.empty()) return;
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (e.is_regular_file() && e.path().extension() == ".txt" && name.size() == 8 &&
          std::string("ABC").find(name[0]) != std::string::npos) {
        fs::copy_file(e.path(), games.path() / name);
      }
    }
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (games.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "ABC";
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  test::TempDir games, programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

// A design and a group of it, owned together.
struct TestGroup {
  TShipType design{"Gun", TGameType::NG};
  std::unique_ptr<TGroup> group = std::make_unique<TGroup>();
  TestGroup(int32_t ships, int32_t attacks, float weapons, float shields, float cargo = 0) {
    design.Drive = 1;
    design.Attacks = attacks;
    design.Weapons = weapons;
    design.Shields = shields;
    design.Cargo = cargo;
    group->ShipType = &design;
    group->Ships = ships;
  }
  std::unique_ptr<TGroup> Clone() const { return group->Clone(); }
};

std::vector<std::string> ReportLines(const TfrmBattleSimulator& window) {
  std::vector<std::string> lines;
  for (const QString& l : window.Report()->toPlainText().split('\n'))
    lines.push_back(l.toStdString());
  return lines;
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::string After(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
  return "(none)";
}

void ProcessUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::string Cell(const TfrmBattleSimulator& window, Side side, int row, int column) {
  const QTableWidgetItem* item = window.Grid(side)->item(row, column);
  return item ? item->text().toStdString() : "";
}

// What the battles window hands over: a new battle, the groups of the races kept as attackers
// to one side and the others to the other, then the grids.
TEST(BattleSimulatorWindow, EveryBattleOfOrionLoadsWithItsGroups) {
  static const OrionAllies orion;
  if (!orion.loaded) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  test::RecordingUserInterface ui;
  TznSaveState store("");
  TfrmBattleSimulator window(store, ui);
  IBattleSimulatorService& service = window;
  ASSERT_GT(orion.state.Battles.Count(), 50);
  for (auto [key, battle] : orion.state.Battles) {
    std::set<std::string> owners;
    for (const auto& g : battle->Groups) owners.insert(g->Owner ? g->Owner->Name : "");
    const std::string attacker = *owners.begin();
    service.NewBattle();
    for (const auto& g : battle->Groups) {
      if ((g->Owner ? g->Owner->Name : "") == attacker)
        service.AddAttacker(g->Clone());
      else
        service.AddDefender(g->Clone());
    }
    service.FillGrids();
    SCOPED_TRACE(key);
    std::map<Side, int> rows;
    for (const auto& g : battle->Groups) {
      const Side side = (g->Owner ? g->Owner->Name : "") == attacker
                            ? TfrmBattleSimulator::sdAttackers
                            : TfrmBattleSimulator::sdDefenders;
      const int row = rows[side]++;
      EXPECT_EQ(Cell(window, side, row, 0), std::to_string(g->Ships));
      EXPECT_EQ(Cell(window, side, row, 1), g->Owner ? g->Owner->Name : "?");
      EXPECT_EQ(Cell(window, side, row, 2), g->ShipType ? g->ShipType->Name : "?");
      EXPECT_EQ(Cell(window, side, row, 3),
                std::to_string(g->ShipType ? g->ShipType->Attacks : -1));
      EXPECT_EQ(Cell(window, side, row, 4), Fmt("%05.2f", g->EffectiveWeapons()));
    }
    for (Side side : {TfrmBattleSimulator::sdAttackers, TfrmBattleSimulator::sdDefenders}) {
      EXPECT_EQ(static_cast<int>(window.Groups(side).size()), rows[side]);
      EXPECT_EQ(window.Grid(side)->rowCount(), rows[side] + 1);
      EXPECT_EQ(Cell(window, side, rows[side], 0), "");
    }
  }
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

// A run that ends by itself keeps "Stop Simulation" until clicked; while it runs the sides
// refuse changes and the Groups page is hidden.
TEST(BattleSimulatorWindow, ARunEndsByItselfAndTheClickReturnsToIdle) {
  test::RecordingUserInterface ui;
  TznSaveState store("");
  TfrmBattleSimulator window(store, ui);
  TestGroup a(5, 2, 3, 2), d(4, 3, 3, 3);
  window.AddAttacker(a.Clone());
  window.SimulateClicked();  // one side is empty: nothing starts
  EXPECT_EQ(window.State(), TfrmBattleSimulator::ssIdle);
  window.AddDefender(d.Clone());
  window.SetSeed(3);
  window.BattlesEdit()->SetAsInteger(200);
  window.SimulateClicked();
  EXPECT_EQ(window.SimulateButton()->text(), "Stop Simulation");
  EXPECT_FALSE(window.GroupsPageShown());
  window.AddAttacker(a.Clone());
  window.NewBattle();
  EXPECT_EQ(window.Groups(TfrmBattleSimulator::sdAttackers).size(), 1u);
  EXPECT_EQ(window.Groups(TfrmBattleSimulator::sdDefenders).size(), 1u);
  // The report comes in one piece at the end of the run.
  ProcessUntil([&] { return After(ReportLines(window), "Battles fought: ") != "(none)"; });
  const auto lines = ReportLines(window);
  EXPECT_EQ(After(lines, "Battles fought: "), "200");
  EXPECT_EQ(window.State(), TfrmBattleSimulator::ssRunning);
  window.SimulateClicked();
  ProcessUntil([&] { return window.State() == TfrmBattleSimulator::ssIdle; });
  EXPECT_EQ(window.SimulateButton()->text(), "Start Simulation");
  EXPECT_TRUE(window.GroupsPageShown());
}

// Stop during a run of 1,000,000 battles: the report covers the battles counted.
TEST(BattleSimulatorWindow, StopReportsTheBattlesFought) {
  test::RecordingUserInterface ui;
  TznSaveState store("");
  TfrmBattleSimulator window(store, ui);
  TestGroup a(3, 1, 2, 2), d(3, 1, 2, 2);
  window.AddAttacker(a.Clone());
  window.AddDefender(d.Clone());
  window.SetSeed(5);
  window.BattlesEdit()->SetAsInteger(1000000);
  window.VerboseBox()->setChecked(true);
  window.SimulateClicked();
  ProcessUntil([&] {  // some battles are reported
    const auto lines = ReportLines(window);
    return Count(lines, "Attacker Wins.") + Count(lines, "Defender Wins.") > 0;
  });
  window.SimulateClicked();
  EXPECT_EQ(window.SimulateButton()->text(), "Stopping Simulation");
  ProcessUntil([&] { return window.State() == TfrmBattleSimulator::ssIdle; });
  const auto lines = ReportLines(window);
  const int wins = Count(lines, "Attacker Wins.");
  const int counted = wins + Count(lines, "Defender Wins.") + Count(lines, "Draw");
  ASSERT_NE(After(lines, "Battles fought: "), "(none)");
  EXPECT_EQ(After(lines, "Battles fought: "), std::to_string(counted));
  EXPECT_GT(counted, 0);
  EXPECT_LT(counted, 1000000);
  if (wins + Count(lines, "Defender Wins.") > 0) {
    EXPECT_EQ(After(lines, "Attacker has a "),
              Fmt("%.2f", wins * 100.0 / counted) + " % chance to win.");
  } else {
    EXPECT_EQ(Count(lines, "Game is a draw."), 1);
  }
}

// The question comes through the user interface; No ends that battle uncounted. A Stop given
// while the question is open releases the worker.
TEST(BattleSimulatorWindow, TheQuestionAfter9999Rounds) {
  test::RecordingUserInterface ui;
  TznSaveState store("");
  TfrmBattleSimulator window(store, ui);
  // Effective weapons 0.25002 times the effective shields: about 3 kills in 100,000 shots.
  TestGroup a(1, 1, 1, 1), d(1, 1, 1, 1);
  for (TestGroup* g : {&a, &d})
    g->group->ShieldsTech = 1 / (0.25002f * g->group->EffectiveShields());
  window.AddAttacker(a.Clone());
  window.AddDefender(d.Clone());
  window.SetSeed(12);
  window.BattlesEdit()->SetAsInteger(3);
  window.VerboseBox()->setChecked(true);
  window.SimulateClicked();
  ProcessUntil([&] { return After(ReportLines(window), "Battles fought: ") != "(none)"; });
  const auto lines = ReportLines(window);
  ASSERT_FALSE(ui.questions.empty());
  EXPECT_EQ(ui.questions.front(), "10000 rounds. Continue with this battle?");
  EXPECT_EQ(Count(lines, "Battle stopped."), static_cast<int>(ui.questions.size()));
  EXPECT_EQ(After(lines, "Battles fought: "), std::to_string(3 - ui.questions.size()));
  window.SimulateClicked();
  ProcessUntil([&] { return window.State() == TfrmBattleSimulator::ssIdle; });

  // The user presses Stop while the question is open (here: before answering Yes).
  struct StopOnQuestion : test::RecordingUserInterface {
    TfrmBattleSimulator* window = nullptr;
    bool AskYesNo(const std::string& text) override {
      questions.push_back(text);
      window->SimulateClicked();
      return true;
    }
  } stopper;
  TfrmBattleSimulator second(store, stopper);
  stopper.window = &second;
  second.AddAttacker(a.Clone());
  second.AddDefender(d.Clone());
  second.SetSeed(12);
  second.BattlesEdit()->SetAsInteger(3);
  second.SimulateClicked();
  ProcessUntil([&] { return second.State() == TfrmBattleSimulator::ssIdle; });
  EXPECT_EQ(stopper.questions.size(), 1u);
  EXPECT_EQ(After(ReportLines(second), "Battles fought: "), "0");
}

TEST(BattleSimulatorWindow, GroupActionsAndTheWeaponsWarning) {
  test::RecordingUserInterface ui;
  TznSaveState store("");
  TfrmBattleSimulator window(store, ui);
  TestGroup freighter(2, 1, 1, 1, 10), gun(3, 2, 2, 1);
  freighter.group->CargoTech = 2;  // capacity (10 + 10) * 2 = 40
  window.AddDefender(freighter.Clone());
  window.AddDefender(gun.Clone());
  window.FillGrids();
  EXPECT_EQ(Cell(window, TfrmBattleSimulator::sdDefenders, 0, 1), "Defender");
  EXPECT_EQ(Cell(window, TfrmBattleSimulator::sdDefenders, 0, 6), "40.00");

  std::vector<std::string> asked;
  std::string answer;
  window.SetAskText([&](const std::string& title, const std::string& prompt,
                        const std::string& text) -> std::optional<std::string> {
    asked.push_back(title + "|" + prompt + "|" + text);
    return answer;
  });
  QTableWidget* grid = window.Grid(TfrmBattleSimulator::sdDefenders);
  grid->setCurrentCell(0, 0);
  QMenu* menu = window.PreparePopup(TfrmBattleSimulator::sdDefenders);
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[1]->objectName(), "mniLoadD");
  for (const char* typed : {"20", "41", "-1"}) {  // the last two lie outside 0 .. 40
    answer = typed;
    menu->actions()[1]->trigger();
  }
  EXPECT_EQ(asked.front(), "Load|Enter Ship load|40.00");
  EXPECT_EQ(Cell(window, TfrmBattleSimulator::sdDefenders, 0, 7), "20.00");
  // 20 units at cargo tech 2 weigh 10: the mass column and the shields follow.
  EXPECT_EQ(Cell(window, TfrmBattleSimulator::sdDefenders, 0, 8),
            Fmt("%05.2f", freighter.design.Mass() + 10));
  EXPECT_EQ(Cell(window, TfrmBattleSimulator::sdDefenders, 0, 5),
            Fmt("%05.2f", freighter.group->EffectiveShieldsWithLoad(10)));
  answer = "lots";  // no number counts as 0
  menu->actions()[1]->trigger();
  EXPECT_EQ(Cell(window, TfrmBattleSimulator::sdDefenders, 0, 7), "00.00");

  grid->setCurrentCell(1, 0);
  EXPECT_EQ(window.PreparePopup(TfrmBattleSimulator::sdDefenders)->actions().size(), 1);
  window.DeleteGroup(TfrmBattleSimulator::sdDefenders, 0);
  EXPECT_EQ(window.Groups(TfrmBattleSimulator::sdDefenders).size(), 1u);
  EXPECT_EQ(grid->rowCount(), 2);

  EXPECT_TRUE(ui.messages.empty());
  TestGroup unknown(2, 1, 1, 1);
  unknown.group->WeaponsTech = -1;
  window.AddAttacker(unknown.Clone());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages.front().find("Gun (2 ships)"), std::string::npos);
}

}  // namespace
}  // namespace tovix

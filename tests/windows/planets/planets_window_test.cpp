// The planet information window and the "Set Extra Info" dialog on the real game Orion read as
// race A with the allies B and C.

#include "windows/planets/planets_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "controls/zn_list_view.h"
#include "core/model/extra_planet_info.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/numbers.h"
#include "support/list_widths.h"
#include "support/recording_services.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"
#include "views/name_samples.h"
#include "windows/planets/set_extra_info_dialog.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class RecordingMap : public IMapService {
 public:
  std::vector<std::string> calls;
  void SetPlanetCursor(TPlanet* p, bool centre) override {
    calls.push_back("1 " + (p ? p->Name : "-") + (centre ? " c" : ""));
  }
  void SetPlanet2Cursor(TPlanet* p, bool centre) override {
    calls.push_back("2 " + (p ? p->Name : "-") + (centre ? " c" : ""));
  }
  void MarkPlayerPlanets(TPlayer*) override {}
  void AddPlanetMark(TPlanet*) override {}
  void ClearPlanetMarks() override {}
  void SetGroupCursor(int32_t x, int32_t y, float, float) override {
    calls.push_back("rings " + std::to_string(x) + " " + std::to_string(y));
  }
};

class RecordingBattles : public IBattleListService {
 public:
  std::vector<const TBattle*> selected;
  void SelectBattle(TBattle* battle) override { selected.push_back(battle); }
};

class RecordingSimulator : public IBattleSimulatorService {
 public:
  std::vector<std::string> calls;
  void NewBattle() override { calls.push_back("new"); }
  void AddAttacker(std::unique_ptr<TGroup> g) override {
    calls.push_back("A" + std::to_string(g->GroupNumber));
  }
  void AddDefender(std::unique_ptr<TGroup> g) override {
    calls.push_back("D" + std::to_string(g->GroupNumber));
  }
  void FillGrids() override { calls.push_back("fill"); }
};

// A game read from the reports in `reports` as the races `letters`; `programDir` may hold
// ExtrInf.ini.
struct LoadedGame {
  LoadedGame() = default;
  void Load(const fs::path& programDir, const std::string& letters, int32_t mapSize) {
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = mapSize;
    state.Settings.GameNumber = 3;
    state.Settings.spelD = (reports.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = letters;
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir);
    loaded = reader.LoadAllReports();
  }
  test::TempDir reports;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

// Orion's reports of A, B and C.
struct Orion : LoadedGame {
  explicit Orion(const fs::path& programDir) {
    const fs::path source = test::ReportsDir("orion");
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() == ".txt" && name.size() == 8 &&
          std::string("ABC").find(name[0]) != std::string::npos)
        fs::copy_file(e.path(), reports.path() / name);
    }
    Load(programDir, "ABC", 150);
  }
};

class PlanetsWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    if (test::ReportsDir("orion").empty())
      GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    orion = std::make_unique<Orion>(programDir.path());
    ASSERT_TRUE(orion->loaded);
    services.Orders = &orders;
    services.Map = &map;
    services.BattleSimulator = &simulator;
    services.Battles = &battles;
    window = std::make_unique<TfrmPlanets>(
        orion->state, store, ui, [this]() -> const TServices& { return services; },
        [this] { return dialog.get(); }, IniFile());
    window->show();
  }
  std::string IniFile() const { return (programDir.path() / "ExtrInf.ini").string(); }
  TPlanet* Planet(const std::string& name) const { return orion->state.PlanetByName(name); }
  std::vector<std::string> InfoLines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < window->InfoList()->count(); ++i)
      lines.push_back(window->InfoList()->item(i)->text().toStdString());
    return lines;
  }

  test::TempDir programDir;
  std::unique_ptr<Orion> orion;
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  test::RecordingOrders orders;
  RecordingMap map;
  RecordingSimulator simulator;
  RecordingBattles battles;
  TServices services;
  std::unique_ptr<TfrmSetExtraInfo> dialog;
  std::unique_ptr<TfrmPlanets> window;
};

TEST_F(PlanetsWindowTest, ShowPlanetShowsItsLinesMovesTheMapAndKeepsTheHistory) {
  TPlanet* prime = Planet("ArcturansPrime");
  window->ShowPlanet(prime, true);
  EXPECT_EQ(window->ShownPlanet(), prime);
  const TPlanetInfoRow& row = window->PlanetRowsShown()[static_cast<size_t>(
      window->PlanetList()->Rows().SourceRow(window->PlanetList()->currentIndex().row()))];
  EXPECT_EQ(row.Planet, prime) << "the list's current row is the planet shown";
  EXPECT_EQ(window->PlanetList()->CollectSelectedRows().size(), 1u);
  std::vector<std::string> expected;
  for (const auto& l : PlanetReportLines(orion->state, *prime, {"Arcturans", false}))
    expected.push_back(l.Text);
  EXPECT_EQ(InfoLines(), expected);
  EXPECT_EQ(window->GroupRowsShown().at(0).Cells[4], "Arcturans groups:");
  // Whole headers and names in both lists (the planets' names were cut to "Arcturans...").
  const TGameNames names = LongestGameNames(orion->state);
  test::ExpectHeadersWhole(*window->PlanetList());
  test::ExpectHeadersWhole(*window->GroupList());
  test::ExpectWhole(*window->PlanetList(), 0, names.Planets.front());
  test::ExpectWhole(*window->PlanetList(), 2, names.Owners.front());
  test::ExpectWhole(*window->GroupList(), 2, names.Planets.front());
  test::ExpectWhole(*window->GroupList(), 4, names.ShipTypes.front());
  window->ShowPlanetAsTarget(Planet("13"), false);
  EXPECT_EQ(map.calls, (std::vector<std::string>{"1 ArcturansPrime c", "2 13"}));

  // A, B, C, back twice, D: A, D.
  window->ShowPlanet(Planet("11"), true);
  window->ShowPlanet(Planet("23"), true);
  window->GoBack();
  window->GoBack();
  EXPECT_EQ(window->ShownPlanet(), Planet("13"));
  window->ShowPlanet(Planet("27"), true);
  const auto& items = window->History().Items();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].Text, "13");
  EXPECT_EQ(items[2].Text, "27");
  EXPECT_FALSE(window->NextButton()->isEnabled());
  // The drop-down of "Back": nearest first, at most 11 entries.
  for (const char* name : {"38", "76", "85", "126", "5", "10", "26", "30", "6", "7", "12", "17"})
    window->ShowPlanet(Planet(name), false);
  emit window->BackMenu()->aboutToShow();
  const auto actions = window->BackMenu()->actions();
  ASSERT_EQ(actions.size(), 11);
  EXPECT_EQ(actions[0]->text(), "12");
  EXPECT_EQ(actions[1]->text(), "7");
  actions[2]->trigger();
  EXPECT_EQ(window->ShownPlanet(), Planet("6"));
  EXPECT_TRUE(window->NextButton()->isEnabled());

  // The list scrolled and its selection moved elsewhere meanwhile: activation brings back the
  // row shown, without showing it anew.
  ASSERT_TRUE(test::ShowActive(*window));
  window->PlanetList()->clearSelection();
  window->PlanetList()->scrollToBottom();
  const size_t before = window->History().Items().size();
  QEvent activation(QEvent::ActivationChange);
  QCoreApplication::sendEvent(window.get(), &activation);
  const auto selected = window->PlanetList()->CollectSelectedRows();
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(window->PlanetRowsShown()[static_cast<size_t>(selected[0])].Planet, Planet("6"));
  EXPECT_EQ(window->History().Items().size(), before);
}

TEST_F(PlanetsWindowTest, OrderCommandsGoThroughTheOrderService) {
  TPlanet* prime = Planet("ArcturansPrime");
  window->ShowPlanet(prime, true);
  ui.choices = {0, -1};
  window->ProduceOnPlanet();
  window->ProduceOnPlanet();  // cancelled: nothing
  window->InsertDevelopTag();
  std::string answer = "ArcturansMinor";
  window->AskNewName = [&answer](std::string& name) {
    name = answer;
    return true;
  };
  window->RenamePlanet();
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Planet Name already used!"}));
  answer = "ARCTURANSPRIME";
  window->RenamePlanet();
  // The first two of the user's groups here: upgrade, and hand them to the simulator.
  window->SelectGroupRows({1, 2});
  window->UpgradeGroups();
  window->AddToDefender();
  EXPECT_EQ(orders.inserted, (std::vector<std::string>{
                                 "planet: P ArcturansPrime CAP", "planet: ;P ArcturansPrime",
                                 "planet: N ArcturansPrime ARCTURANSPRIME", "group: G 1\r\nG 2"}));
  EXPECT_EQ(orders.analysed, 1);
  EXPECT_EQ(simulator.calls, (std::vector<std::string>{"D1", "D2", "fill"}));

  // A foreign planet: no production, no rename.
  orders.inserted.clear();
  window->ShowPlanet(Planet("13"), true);
  window->ProduceOnPlanet();
  window->RenamePlanet();
  EXPECT_TRUE(orders.inserted.empty());
}

// The masses of the groups standing at the planet, the "Last fight" line that shows its battle,
// the other races' groups as rows of their own, and "Top Most".
TEST_F(PlanetsWindowTest, MassesLastFightOtherRacesGroupsAndTopMost) {
  const GameState& state = orion->state;
  TPlanet* prime = Planet("ArcturansPrime");
  window->ShowPlanet(prime, false);
  ASSERT_GT(prime->MyShipMass, 0) << "the window computes the masses of the groups standing there";
  const std::vector<std::string> lines = InfoLines();
  EXPECT_EQ(lines.at(12), Fmt("My Mass:\t\t%5.2f", prime->MyShipMass));

  const TBattle* last = nullptr;
  for (auto [key, battle] : state.Battles)
    if (battle->Planet == prime) last = battle;
  ASSERT_NE(last, nullptr);
  int fight = -1;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i)
    if (lines[static_cast<size_t>(i)].starts_with("Last fight:")) fight = i;
  ASSERT_GE(fight, 0);
  window->InfoLineClicked(fight - 1);  // another line: nothing
  EXPECT_TRUE(battles.selected.empty());
  QListWidget* info = window->InfoList();
  emit info->itemClicked(info->item(fight));
  EXPECT_EQ(battles.selected, std::vector<const TBattle*>{last});

  // A planet where another race's groups stand: their rows carry the group, sort, show the
  // rings and go to the simulator, but take no order of the user's.
  const TPlanet* at = nullptr;
  int foreignRow = -1;
  for (int i = 0; i < state.Planets.Count() && !at; ++i) {
    TPlanet* p = state.Planets.Object(i);
    window->ShowPlanet(p, false);
    const auto& rows = window->GroupRowsShown();
    for (size_t r = 0; r < rows.size() && !at; ++r)
      if (rows[r].Group && !rows[r].Own && rows[r].Group->GroupNumber > 0) {
        at = p;
        foreignRow = static_cast<int>(r);
      }
  }
  ASSERT_NE(at, nullptr) << "no other race's group stands anywhere";
  const TGroup* group = window->GroupRowsShown()[static_cast<size_t>(foreignRow)].Group;
  window->SelectGroupRows({foreignRow});
  orders.inserted.clear();
  window->UpgradeGroups();
  window->FindGroupInOrders();
  EXPECT_TRUE(orders.inserted.empty());
  window->AddToAttacker();
  EXPECT_EQ(simulator.calls,
            (std::vector<std::string>{"A" + std::to_string(group->GroupNumber), "fill"}));
  map.calls.clear();
  const int viewRow = window->GroupList()->Rows().ViewRow(foreignRow);
  emit window->GroupList()->clicked(window->GroupList()->model()->index(viewRow, 0));
  EXPECT_EQ(map.calls, std::vector<std::string>{"rings " + std::to_string(group->Planet->X) + " " +
                                                std::to_string(group->Planet->Y)});

  window->TopMostAction()->trigger();
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  window->TopMostAction()->trigger();
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// "Create Elite Name" goes on from the game's last proposal (shared with the planet list) and
// leaves out the names the orders give already. (The map's test refuses names with blanks.)
TEST_F(PlanetsWindowTest, EliteNamesGoOnAndLeaveOutTheOrdersNames) {
  TPlanet* prime = Planet("ArcturansPrime");
  window->ShowPlanet(prime, false);
  orders.renamed = {"tibedied"};
  window->CreateEliteName();
  window->CreateEliteName();
  EXPECT_EQ(orders.inserted, (std::vector<std::string>{"planet: N ArcturansPrime Qube",
                                                       "planet: N ArcturansPrime Leleer"}));
}

TEST_F(PlanetsWindowTest, ExtraInfoIsOnDiskAfterEveryChangeAndAppliedOnlyWhenStored) {
  dialog = std::make_unique<TfrmSetExtraInfo>(orion->state, ui, IniFile());
  TPlanet* planet = Planet("13");
  const float reported = planet->Size;
  window->ShowPlanet(planet, true);

  // Choosing an owner and closing stores nothing and changes nothing.
  QTimer::singleShot(0, [this] {
    dialog->Players()->setCurrentIndex(1);
    emit dialog->Players()->activated(1);
    dialog->CloseDialog();
  });
  window->SetExtraInfo();
  EXPECT_EQ(planet->Size, reported);
  EXPECT_EQ(PlanetOwnerText(*planet), "Betelgeusians");

  auto onDisk = [this, planet] {
    TExtraPlanetInfoList list;
    list.LoadFromIni(IniFile(), orion->state.Settings.GetGameSection());
    for (int i = 0; i < list.Count(); ++i)
      if (list[i].PlanetNumber == planet->Number) return FloatToShortestText(list[i].Size);
    return std::string("none");
  };
  const int arcturans = dialog->Players()->findText("Arcturans", Qt::MatchStartsWith);
  ASSERT_GT(arcturans, 0);
  QTimer::singleShot(0, [&] {
    dialog->SizeEdit()->setText("-5");
    dialog->Add();  // refused
    EXPECT_EQ(onDisk(), "none");
    dialog->Players()->setCurrentIndex(arcturans);
    emit dialog->Players()->activated(arcturans);
    dialog->SizeEdit()->setText("500");
    dialog->Add();
    EXPECT_EQ(onDisk(), "500") << "written at Add, before Close";
    EXPECT_EQ(dialog->AddButton()->text(), "Change");
    dialog->SizeEdit()->setText("510.5");
    dialog->Add();
    EXPECT_EQ(onDisk(), "510.5") << "written at Change";
    dialog->reject();  // Escape: nothing lost
  });
  window->SetExtraInfo();
  EXPECT_EQ(ui.messages.size(), 1u) << "the negative size is refused with a message";
  EXPECT_EQ(planet->Size, 510.5f);
  EXPECT_EQ(PlanetOwnerText(*planet), "Arcturans");
  EXPECT_EQ(InfoLines().at(3), "Size:\t510.50");

  // A restart reads the stored correction.
  {
    Orion again(programDir.path());
    const TPlanet* read = again.state.PlanetByName("13");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Size, 510.5f);
    EXPECT_EQ(PlanetOwnerText(*read), "Arcturans");
  }

  // Delete: gone from the file at once; the opening values come back.
  QTimer::singleShot(0, [this] { dialog->DeleteInfo(); });
  window->SetExtraInfo();
  EXPECT_EQ(onDisk(), "none");
  EXPECT_EQ(planet->Size, 510.5f) << "the values the dialog was opened with";
}

// Names of fewer but wider letters were cut ("...Forge" ending in "...") in a game with many
// names of the most letters: the list measured only the five with the most letters. Every
// planet's name and owner shows whole, on Orion and on Andromeda (its last turn, race A).
TEST_F(PlanetsWindowTest, EveryPlanetNameAndOwnerShowsWhole) {
  LoadedGame andromeda;
  std::vector<GameState*> games{&orion->state};
  const fs::path archive = test::ReportsDir("andromeda-ABC.tar.xz");
  if (!archive.empty() && fs::exists(archive)) {
    const fs::path folder = andromeda.reports.path();
    const std::string command = "tar -xJf '" + archive.string() + "' -C '" + folder.string() +
                                "' andromeda/A088.txt && mv '" + folder.string() +
                                "/andromeda/A088.txt' '" + folder.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    andromeda.Load(programDir.path(), "A", 330);
    ASSERT_TRUE(andromeda.loaded);
    games.push_back(&andromeda.state);
  }
  for (GameState* game : games) {
    TfrmPlanets info(
        *game, store, ui, [this]() -> const TServices& { return services; }, [] { return nullptr; },
        IniFile());
    ASSERT_TRUE(test::ShowExposed(info));
    const TznListView& list = *info.PlanetList();
    std::vector<std::string> cut;
    for (int row = 0; row < list.Rows().Count(); ++row)
      for (int column : {0, 2})
        if (!test::ShowsWhole(list, column, list.Rows().CellText(row, column)))
          cut.push_back(list.Rows().CellText(row, column));
    EXPECT_EQ(cut, std::vector<std::string>{}) << list.Rows().Count() << " rows";
  }
}

// A planet clicked on the map before Planet Info was ever opened was not shown when it opened:
// the game read at start-up, kept for the hidden window's first show, emptied the list and the
// report then. Each entry point, on a window never shown, shows or selects its planet when it
// opens, with the masses the first opening works out (the first case runs before any window
// worked them out).
TEST(PlanetsWindowFirstOpening, APlanetShownBeforeTheFirstOpeningIsShownWhenItOpens) {
  if (test::ReportsDir("orion").empty())
    GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  test::TempDir programDir;
  Orion orion(programDir.path());
  ASSERT_TRUE(orion.loaded);
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  RecordingMap map;
  TServices services;
  services.Map = &map;
  enum Entry { kShow, kShowAsTarget, kSelect };
  struct Case {
    const char* planet;
    Entry entry;
    bool gameReadWaiting;  // the start-up told the hidden window of the game read
    std::vector<std::string> mapCalls;
  } const cases[] = {{"ArcturansPrime", kShow, false, {"1 ArcturansPrime"}},
                     {"13", kShowAsTarget, true, {"2 13"}},
                     {"27", kSelect, true, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.planet + std::to_string(c.entry));
    map.calls.clear();
    TfrmPlanets window(
        orion.state, store, ui, [&services]() -> const TServices& { return services; },
        [] { return nullptr; }, (programDir.path() / "ExtrInf.ini").string());
    if (c.gameReadWaiting) window.NoteGameChange(gcGameRead);
    TPlanet* planet = orion.state.PlanetByName(c.planet);
    ASSERT_NE(planet, nullptr);
    if (c.entry == kShowAsTarget) window.ShowPlanetAsTarget(planet, false);
    if (c.entry == kShow) window.ShowPlanet(planet, false);
    if (c.entry == kSelect) window.SelectPlanetsInList({planet});
    EXPECT_EQ(map.calls, c.mapCalls) << "the map follows at once";
    ASSERT_TRUE(test::ShowExposed(window));
    const std::vector<int> selected = window.PlanetList()->CollectSelectedRows();
    ASSERT_EQ(selected.size(), 1u);
    const TPlanetInfoRow& row = window.PlanetRowsShown()[static_cast<size_t>(selected[0])];
    EXPECT_EQ(row.Planet, planet) << "the selected row is the planet's";
    if (c.entry == kSelect) continue;
    EXPECT_EQ(window.ShownPlanet(), planet);
    std::vector<std::string> expected, shown;
    for (const auto& line : PlanetReportLines(orion.state, *planet, {row.Owner, false}))
      expected.push_back(line.Text);
    for (int i = 0; i < window.InfoList()->count(); ++i)
      shown.push_back(window.InfoList()->item(i)->text().toStdString());
    EXPECT_EQ(shown, expected);
  }
}

// The list's commands took the selected rows for rows as shown and looked them up again in the
// sorted list: "Develop planets" on 13 and ArcturansPrime wrote ";P 25" alone. They write the
// selected planets, in the order shown.
TEST_F(PlanetsWindowTest, ListCommandsWriteTheSelectedPlanets) {
  struct Case {
    const char* name;
    void (TfrmPlanets::*command)();
    std::string lines;
  } const cases[] = {
      {"develop", &TfrmPlanets::DevelopPlanets, ";P 13\r\n;P ArcturansPrime"},
      {"claim", &TfrmPlanets::ClaimPlanets, "V 13\r\nV ArcturansPrime"},
  };
  for (const Case& c : cases) {
    orders.inserted.clear();
    window->PlanetList()->clearSelection();
    window->SelectPlanetsInList({Planet("13"), Planet("ArcturansPrime")});
    (window.get()->*c.command)();
    EXPECT_EQ(orders.inserted, std::vector<std::string>{"planet: " + c.lines}) << c.name;
  }
}
}  // namespace
}  // namespace tovix

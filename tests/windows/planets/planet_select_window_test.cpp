// "Select Planet(s)" and "Advanced Send" on the real game Orion read as A (allies B and C), last
// turn, with the order service of the orders window over a plain list of lines: every group of
// A spread over five planets and analysed, the filters, the limit on the planets picked, the
// cargo question, and the advanced window's lists, pages and results.

#include "windows/planets/planet_select_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/beep.h"
#include "controls/spin_edit.h"
#include "controls/zn_list_view.h"
#include "orders/order_lines.h"
#include "orders/order_service.h"
#include "support/expression_filter_answer.h"
#include "support/no_planner.h"
#include "support/orion_as_a.h"
#include "support/recording_services.h"
#include "support/recording_ui.h"
#include "views/send_rows.h"
#include "windows/expressions/calculation_dialogs.h"
#include "windows/expressions/group_filter_dialog.h"
#include "windows/planets/advanced_send_dialog.h"

namespace tovix {
namespace {

using Lines = std::vector<std::string>;
using Names = std::set<std::string>;

Lines Split(const std::string& text) {
  Lines lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  if (!text.empty()) lines.push_back(text.substr(start));
  return lines;
}

// The orders window's order service over a list of lines, without the planner: what the picker
// inserts is analysed as the orders window analyses it, and the analysis is the one the picker
// reads.
class AnalysingOrders : public test::RecordingOrders, public IOrderAnalysisService {
 public:
  explicit AnalysingOrders(GameState& state) : service(state, lines, clipboard, planner) {
    service.AnalyseOrders();
  }
  void InsertGroupCommands(const std::string& text) override {
    RecordingOrders::InsertGroupCommands(text);
    service.InsertGroupCommands(text);
  }
  void AnalyseAfterInsert() override {
    RecordingOrders::AnalyseAfterInsert();
    service.AnalyseAfterInsert();
  }
  const TOrderAnalysis* LastAnalysis() const override { return &service.Analysis(); }

  TVectorOrderLines lines;
  TRecordingTextSink clipboard;
  test::NoPlanner planner;
  TOrderService service;
};

class PlanetSelect : public testing::Test {
 protected:
  void SetUp() override {
    orion = test::Orion();
    if (!orion) GTEST_SKIP() << test::ReportsAbsent("orion");
    previousBeep = SetBeepHook([this] { ++beeps; });
    filters = std::make_unique<TfrmExpressionFilters>(
        State(), store, ui, [this](bool) { return expression; }, [] { return nullptr; });
    filters->RunDialog = test::AcceptPlanetsFilter;
    groupFilter = std::make_unique<TfrmGroupFilter>(State(), store);
    groupFilter->RunDialog = [](TfrmGroupFilter&) {};
    NewOrders();
    services.PlanetInfo = &info;
    services.Map = &map;
    services.ExpressionFilter = filters.get();
    services.GroupFilter = groupFilter.get();
    picker = std::make_unique<TfrmPlanetSelect>(State(), store, ui,
                                                [this]() -> const TServices& { return services; });
    services.Picker = picker.get();
  }
  void TearDown() override {
    if (orion) SetBeepHook(previousBeep);
  }
  // A fresh, empty order text.
  void NewOrders() {
    orders = std::make_unique<AnalysingOrders>(State());
    services.Orders = orders.get();
    services.Analysis = orders.get();
  }

  GameState& State() { return orion->state; }
  const TOrderAnalysis& Analysis() const { return orders->service.Analysis(); }
  // The own groups a group window lets the picker send: standing at a planet in the last turn,
  // with a speed and ships left.
  std::vector<TGroup*> SendableGroups() {
    std::vector<TGroup*> out;
    for (const auto& g : State().MainPlayer->Groups)
      if (g->Turn == State().LastTurn && g->Distance == 0 && g->Speed() > 0 &&
          Analysis().ShipsLeftInGroup(*g) > 0)
        out.push_back(g.get());
    return out;
  }
  static TPickerRequest Request(std::vector<TGroup*> groups, bool spread, int maxPlanets) {
    TPickerRequest request;
    for (TGroup* g : groups) request.Groups.emplace_back(g->GroupNumber, g);
    request.Spread = spread;
    request.MaxPlanets = maxPlanets;
    return request;
  }
  // A group with cargo space and one without.
  TGroup* OwnGroup(bool cargo) {
    for (TGroup* g : SendableGroups())
      if ((g->CargoCapacity() > 0) == cargo && g->Ships >= 2) return g;
    return nullptr;
  }
  Names Listed() const {
    Names names;
    for (const TPlanetInfoRow& row : picker->PlanetRowsShown()) names.insert(row.Name);
    return names;
  }
  static Names NamesOf(const std::vector<TPlanet*>& planets) {
    Names names;
    for (const TPlanet* p : planets) names.insert(p->Name);
    return names;
  }
  // The window's row shown at `viewRow`.
  int SourceRow(int viewRow) const { return picker->PlanetList()->Rows().SourceRow(viewRow); }
  TPlanet* PlanetAt(int viewRow) const {
    return picker->PlanetRowsShown()[static_cast<size_t>(SourceRow(viewRow))].Planet;
  }
  void Press(const char* button) { picker->findChild<QPushButton*>(button)->click(); }

  test::OrionAsA* orion = nullptr;
  BeepHook previousBeep;
  int beeps = 0;
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  test::RecordingPlanetInfo info;
  test::RecordingMap map;
  std::string expression;
  std::unique_ptr<TfrmExpressionFilters> filters;
  std::unique_ptr<TfrmGroupFilter> groupFilter;
  std::unique_ptr<AnalysingOrders> orders;
  TServices services;
  std::unique_ptr<TfrmPlanetSelect> picker;
};

// Every group of A with a ship left and a speed spread over five planets of the list: OK writes
// one ship per planet and the rest to the last planet used, and the next analysis sends those
// ships there without a note; with "Do Intercept" the same as I lines.
TEST_F(PlanetSelect, EveryGroupSpreadOverFivePlanetsIsSentAsTheAnalysisReadsIt) {
  for (const bool intercept : {false, true}) {
    NewOrders();
    picker->InterceptBox()->setChecked(intercept);
    const std::vector<TGroup*> groups = SendableGroups();
    ASSERT_GT(groups.size(), 50u);
    int spreadOver = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
      TGroup* g = groups[i];
      const int32_t ships = Analysis().ShipsLeftInGroup(*g);
      picker->ShowPicker(Request({g}, true, 5));
      ASSERT_TRUE(picker->PickerActive());
      // Five planets of the list, other than the group's own, from a place that moves on.
      const int count = picker->PlanetList()->Rows().Count();
      std::vector<TPlanet*> chosen;
      for (int k = 0; chosen.size() < 5; ++k) {
        const int view = static_cast<int>((i * 7 + static_cast<size_t>(k) * 11) % count);
        TPlanet* p = PlanetAt(view);
        if (p == g->Planet || std::find(chosen.begin(), chosen.end(), p) != chosen.end()) continue;
        chosen.push_back(p);
        picker->SelectRows({SourceRow(view)});
      }
      // The list's order decides which planet comes first.
      std::sort(chosen.begin(), chosen.end(), [&](TPlanet* a, TPlanet* b) {
        auto viewOf = [&](TPlanet* p) {
          for (int v = 0; v < count; ++v)
            if (PlanetAt(v) == p) return v;
          return -1;
        };
        return viewOf(a) < viewOf(b);
      });
      Press("btnOK");
      EXPECT_FALSE(picker->PickerActive());
      EXPECT_FALSE(picker->isVisible());

      const std::string word = intercept ? "I " : "S ";
      const std::string number = std::to_string(g->GroupNumber);
      Lines expected;
      Names sent;
      const int singles = std::min(ships - 1, 5);
      for (int k = 0; k < singles; ++k) {
        expected.push_back(word + number + " " + chosen[static_cast<size_t>(k)]->Name + " 1");
        sent.insert(chosen[static_cast<size_t>(k)]->Name + ":1");
      }
      if (ships <= 5) {
        expected.push_back(word + number + " " + chosen[static_cast<size_t>(ships - 1)]->Name);
        sent.insert(chosen[static_cast<size_t>(ships - 1)]->Name + ":1");
      }
      if (ships > 1) ++spreadOver;
      ASSERT_EQ(Split(orders->inserted.back().substr(7)), expected) << number;

      Names found;
      for (const TSendedGroup& r : Analysis().Records())
        if (r.Group == g && r.Destination)
          found.insert(r.Destination->Name + ":" + std::to_string(r.Ships));
      EXPECT_EQ(found, sent) << number;
      EXPECT_EQ(Analysis().ShipsLeftInGroup(*g), std::max(ships - 5, 0)) << number;
      ASSERT_TRUE(Analysis().Notes().empty()) << Analysis().Notes().front();
    }
    EXPECT_EQ(orders->analysed, static_cast<int>(groups.size()));
    EXPECT_GT(spreadOver, 10);
  }
}

// With "Filtered" the rows are the group filter's planets (with "Inverse" the others); after
// "Expressions" with [PT_SIZE]>500 only those of them the expression filter keeps. Each refill
// holds the map's cursors; a new pick starts from every planet again.
TEST_F(PlanetSelect, FiltersChooseTheRows) {
  TGroup* g = OwnGroup(false);
  ASSERT_NE(g, nullptr);
  picker->ShowPicker(Request({g}, false, 1));
  Names all;
  for (auto [key, p] : State().Planets) all.insert(p->Name);
  EXPECT_EQ(Listed(), all);
  // The distances are measured from where the group stands.
  for (const TPlanetInfoRow& row : picker->PlanetRowsShown()) {
    if (row.Planet == g->Planet) {
      EXPECT_EQ(row.Dist, "0.00");
    }
  }
  const int holds = map.holds;

  picker->FilteredBox()->click();
  services.GroupFilter->CollectPlanets();
  const Names grouped = NamesOf(services.GroupFilter->GroupPlanets());
  ASSERT_FALSE(grouped.empty());
  ASSERT_LT(grouped.size(), all.size());
  EXPECT_EQ(Listed(), grouped);
  EXPECT_GT(map.holds, holds);
  EXPECT_FALSE(map.held);

  picker->InverseBox()->click();
  Names others;
  std::set_difference(all.begin(), all.end(), grouped.begin(), grouped.end(),
                      std::inserter(others, others.end()));
  EXPECT_EQ(Listed(), others);

  expression = "[PT_SIZE]>500";
  picker->Expressions();
  const Names big = NamesOf(services.ExpressionFilter->FilteredPlanets());
  ASSERT_FALSE(big.empty());
  ASSERT_LT(big.size(), all.size());
  Names expected;
  std::set_intersection(others.begin(), others.end(), big.begin(), big.end(),
                        std::inserter(expected, expected.end()));
  EXPECT_EQ(Listed(), expected);
  picker->InverseBox()->click();
  expected.clear();
  std::set_intersection(grouped.begin(), grouped.end(), big.begin(), big.end(),
                        std::inserter(expected, expected.end()));
  EXPECT_EQ(Listed(), expected);

  // "Inverse" without "Filtered" refills nothing; a new pick lets every planet through the
  // expression filter again.
  picker->FilteredBox()->click();
  EXPECT_EQ(Listed(), big);
  picker->InverseBox()->click();
  EXPECT_EQ(Listed(), big);
  picker->CancelClicked();
  picker->ShowPicker(Request({g}, false, 1));
  EXPECT_EQ(Listed(), all);
  EXPECT_TRUE(orders->inserted.empty());
}

// A spread pick takes at most MaxPlanets rows: a row beyond is undone with a beep. The planet
// information window shows the planet of a changed row, at most once in a quick run.
TEST_F(PlanetSelect, RowsBeyondTheLimitAreUndoneAndQuickChangesShowOnePlanet) {
  TGroup* g = OwnGroup(false);
  ASSERT_NE(g, nullptr);
  picker->ShowPicker(Request({g}, true, 2));
  EXPECT_TRUE(picker->AdvancedButton()->isEnabled());
  picker->SelectRows({SourceRow(3), SourceRow(5), SourceRow(8)});
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 2);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(info.shown, (std::vector<const TPlanet*>{PlanetAt(3)}));
  EXPECT_TRUE(picker->MayChangeTimer()->isActive());
  // Once the quiet time is over the next change shows its planet.
  picker->MayChangeTimer()->stop();
  picker->SelectPlanet(PlanetAt(5));  // a map click on a picked planet unpicks it
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 1);
  EXPECT_EQ(info.shown.back(), PlanetAt(5));
  // The map's Alt-drag picks with the cursors held: no beep, nothing shown.
  map.held = true;
  picker->SelectPlanetsInList({PlanetAt(10), PlanetAt(11)});
  map.held = false;
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 3);
  EXPECT_EQ(info.shown.size(), 2u);

  // All groups to one planet: one row at a time, and no "Advanced".
  picker->CancelClicked();
  EXPECT_FALSE(picker->PickerActive());
  picker->SelectPlanet(PlanetAt(1));  // no pick, no change
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 3);
  picker->ShowPicker(Request({g}, false, 1));
  EXPECT_FALSE(picker->AdvancedButton()->isEnabled());
  picker->SelectRows({SourceRow(1), SourceRow(2)});
  picker->SelectPlanet(PlanetAt(4));
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 1);
  EXPECT_EQ(beeps, 1);
  picker->SelectPlanet(PlanetAt(4));
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 0);
  // OK with no planet writes nothing and ends the pick.
  Press("btnOK");
  EXPECT_FALSE(picker->PickerActive());
  EXPECT_TRUE(orders->inserted.empty());
  // A request without groups starts no pick.
  picker->ShowPicker(TPickerRequest{});
  EXPECT_FALSE(picker->PickerActive());
}

// "Load Before Send" asks for the cargo (COL first) and loads only groups with cargo space;
// cancelling the question loads nothing; "Do Intercept" turns it off.
TEST_F(PlanetSelect, LoadBeforeSendAsksForTheCargo) {
  TGroup* hauler = OwnGroup(true);
  TGroup* other = OwnGroup(false);
  ASSERT_NE(hauler, nullptr);
  ASSERT_NE(other, nullptr);
  const std::string h = std::to_string(hauler->GroupNumber);
  const std::string o = std::to_string(other->GroupNumber);
  picker->LoadBox()->setChecked(true);
  picker->InterceptBox()->setChecked(true);
  EXPECT_FALSE(picker->LoadBox()->isEnabled());
  picker->InterceptBox()->setChecked(false);
  EXPECT_TRUE(picker->LoadBox()->isEnabled());

  ui.choices = {1, -1};
  for (const char* expectedLoad : {"CAP", ""}) {
    picker->ShowPicker(Request({other, hauler}, false, 1));
    picker->SelectRows({SourceRow(0)});
    const std::string p = PlanetAt(0)->Name;
    Press("btnOK");
    Lines expected{"S " + o + " " + p};
    if (*expectedLoad) expected.push_back("L " + h + " " + expectedLoad);
    expected.push_back("S " + h + " " + p);
    EXPECT_EQ(Split(orders->inserted.back().substr(7)), expected);
  }
  EXPECT_EQ(ui.questions, (Lines{"Select Cargo Type", "Select Cargo Type"}));
  // Intercepting asks nothing.
  picker->InterceptBox()->setChecked(true);
  picker->ShowPicker(Request({hauler}, false, 1));
  picker->SelectRows({SourceRow(0)});
  Press("btnOK");
  EXPECT_EQ(Split(orders->inserted.back().substr(7)), Lines{"I " + h + " " + PlanetAt(0)->Name});
  EXPECT_EQ(ui.questions.size(), 2u);
}

// "Advanced" hands the groups and the planets picked to "Advanced Send"; its OK inserts its
// lines and ends the pick, its Cancel leaves the pick as it was.
TEST_F(PlanetSelect, AdvancedSendWritesItsResultRows) {
  TGroup* g = OwnGroup(false);
  ASSERT_NE(g, nullptr);
  const int32_t ships = Analysis().ShipsLeftInGroup(*g);
  picker->ShowPicker(Request({g}, true, 10));
  picker->SelectRows({SourceRow(2), SourceRow(6)});
  const std::vector<TPlanet*> planets{PlanetAt(2), PlanetAt(6)};
  picker->RunAdvanced = [](TfrmAdvancedSend&) { return false; };
  picker->AdvancedClicked();
  EXPECT_TRUE(picker->PickerActive());
  EXPECT_EQ(picker->SelectedPlanets(), planets);

  picker->RunAdvanced = [&](TfrmAdvancedSend& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Advanced Send");
    EXPECT_EQ(dialog.InterceptLabel()->text(), "Creating Send Orders");
    dialog.SelectGroupRow(0);
    dialog.SelectPlanetRow(0);
    dialog.AddAction()->trigger();
    return true;
  };
  picker->AdvancedClicked();
  EXPECT_FALSE(picker->PickerActive());
  const std::string number = std::to_string(g->GroupNumber);
  EXPECT_EQ(orders->inserted.back(),
            "group: S " + number + " " + planets[0]->Name + (ships > 1 ? " 1" : ""));
  EXPECT_EQ(orders->analysed, 1);
}

// The advanced window: turns from the group chosen, Add and Delete with their rows, the three
// information pages and the results panel.
TEST_F(PlanetSelect, AdvancedSendListsAndPages) {
  // A group of at least 3 ships at a planet where other races' groups stand too.
  TGroup* g = nullptr;
  TPlanet* crowded = nullptr;
  for (TGroup* candidate : SendableGroups()) {
    if (candidate->Ships < 3) continue;
    g = candidate;
    for (auto [key, p] : State().Planets)
      if (!OtherGroupsAtPlanet(State(), *p).empty() && p != g->Planet) crowded = p;
    break;
  }
  ASSERT_NE(g, nullptr);
  ASSERT_NE(crowded, nullptr);
  std::vector<TPlanet*> planets{crowded, g->Planet};
  for (auto [key, p] : State().Planets)
    if (planets.size() < 4 && std::find(planets.begin(), planets.end(), p) == planets.end())
      planets.push_back(p);
  const TShipsLeft left = [this](int32_t number, const TGroup& group) {
    return Analysis().AvailableShipsOf(number, group);
  };
  TfrmAdvancedSend dialog(State(), {{g->GroupNumber, g}}, planets, left, true, Analysis());
  EXPECT_EQ(dialog.InterceptLabel()->text(), "Creating Intercept Orders");
  EXPECT_EQ(dialog.InfoPlanet(), crowded) << "the first planet's figures";
  EXPECT_FALSE(dialog.AddAction()->isEnabled()) << "no planet chosen yet";

  // The first group shows chosen, and the planets' turns are its from the start.
  for (size_t i = 0; i < planets.size(); ++i)
    EXPECT_EQ(dialog.PlanetTurns()[i], SendTurnsText(State(), *g, *planets[i]));
  EXPECT_EQ(dialog.PlanetTurns()[1], "0") << "the group's own planet";
  dialog.SelectPlanetRow(0);
  EXPECT_TRUE(dialog.AddAction()->isEnabled());
  dialog.ShipsPerPlanet()->SetAsInteger(1);
  const int usedView = dialog.PlanetList()->Rows().ViewRow(0);
  dialog.AddAction()->trigger();
  // The planet went; the row in its place is chosen and shown.
  EXPECT_EQ(dialog.Send().PlanetRows().size(), 3u);
  EXPECT_EQ(dialog.ResultList()->Rows().Count(), 1);
  EXPECT_EQ(dialog.ResultList()->Rows().CellText(0, 4), SendTurnsText(State(), *g, *crowded));
  const int inPlace = dialog.PlanetList()->Rows().SourceRow(std::min(usedView, 2));
  EXPECT_EQ(dialog.InfoPlanet(), dialog.Send().PlanetRows()[static_cast<size_t>(inPlace)]);
  EXPECT_EQ(dialog.PlanetList()->CollectSelectedRows(), std::vector<int>{inPlace});
  EXPECT_EQ(dialog.GroupList()->Rows().CellText(0, 1), std::to_string(g->Ships - 1));

  // The pages of the crowded planet.
  dialog.ShowPlanetInfo(crowded);
  dialog.SetInfoPage(TfrmAdvancedSend::ipOtherGroups);
  EXPECT_EQ(dialog.InfoPage(), TfrmAdvancedSend::ipOtherGroups);
  EXPECT_EQ(dialog.OtherGroupsList()->Rows().Count(),
            static_cast<int>(OtherGroupsAtPlanet(State(), *crowded).size()));
  EXPECT_EQ(dialog.PlanetInfoList()->item(0)->text().toStdString(), "Name:\t" + crowded->Name);
  dialog.SetInfoPage(TfrmAdvancedSend::ipMyGroups);
  dialog.ShowPlanetInfo(g->Planet);
  EXPECT_EQ(dialog.MyGroupsList()->Rows().Count(),
            static_cast<int>(MyGroupsAtPlanet(State(), *g->Planet, Analysis()).size()));
  EXPECT_GT(dialog.MyGroupsList()->Rows().Count(), 0);

  // The results panel hides to a sliver and comes back.
  dialog.resize(1000, 600);
  dialog.show();
  QCoreApplication::processEvents();
  // Enter in the ships box ends nothing.
  QTest::keyClick(dialog.ShipsPerPlanet(), Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  const int width = dialog.ResultsPanel()->width();
  dialog.ResultsPanelButton()->click();
  QCoreApplication::processEvents();
  EXPECT_FALSE(dialog.ResultsShown());
  EXPECT_TRUE(dialog.ResultList()->isHidden());
  EXPECT_LE(dialog.ResultsPanel()->width(), 12);
  dialog.ResultsPanelButton()->click();
  QCoreApplication::processEvents();
  EXPECT_TRUE(dialog.ResultList()->isVisibleTo(&dialog));
  EXPECT_EQ(dialog.ResultsPanel()->width(), width);

  // Delete (Ctrl+D in the results, where the list would otherwise unselect) gives the ships
  // and the planet back.
  dialog.ResultList()->SelectAllRows();
  dialog.activateWindow();
  dialog.ResultList()->setFocus();
  QCoreApplication::processEvents();
  QTest::keyClick(dialog.windowHandle(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(dialog.ResultList()->Rows().Count(), 0);
  EXPECT_EQ(dialog.Send().PlanetRows(), planets);
  EXPECT_EQ(dialog.GroupList()->Rows().CellText(0, 1), std::to_string(g->Ships));
  EXPECT_EQ(dialog.Orders(), "");
  dialog.hide();
}

// Every opening names its groups in the caption (which a window manager may cut short) and in
// the window, with the ships each sends; a request made while a pick is under way takes its
// place, and one without groups leaves it as it is.
TEST_F(PlanetSelect, EveryOpeningNamesItsGroupsAndTheirShips) {
  std::vector<TGroup*> groups;
  for (TGroup* g : SendableGroups())
    if (g->ShipType && g->Ships > 1 && groups.size() < 2) groups.push_back(g);
  ASSERT_EQ(groups.size(), 2u);
  const auto number = [](const TGroup* g) { return std::to_string(g->GroupNumber); };
  const auto shipsOf = [this](const TGroup* g) {
    return std::to_string(Analysis().AvailableShipsOf(g->GroupNumber, *g)) + " ships of " +
           g->ShipType->Name;
  };
  const auto inside = [this] { return picker->GroupsLabel()->text().toStdString(); };
  const auto caption = [this] { return picker->windowTitle().toStdString(); };

  picker->ShowPicker(Request({groups[0]}, false, 1));
  EXPECT_EQ(caption(), "Select Planet(s) - group " + number(groups[0]));
  EXPECT_EQ(inside(), "Sends group " + number(groups[0]) + ": " + shipsOf(groups[0]) + "\n");
  EXPECT_FALSE(picker->GroupsLabel()->isHidden());

  // The user chose another group and asks again without closing the picker.
  picker->SelectRows({SourceRow(1)});
  picker->ShowPicker(Request({groups[1]}, true, 3));
  EXPECT_TRUE(picker->PickerActive());
  EXPECT_EQ(caption(), "Select Planet(s) - group " + number(groups[1]));
  EXPECT_EQ(inside(), "Sends group " + number(groups[1]) + ": " + shipsOf(groups[1]) + "\n");
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), 0) << "a new pick starts with no planet";
  EXPECT_TRUE(picker->SpreadMode());

  picker->ShowPicker(TPickerRequest{});
  EXPECT_TRUE(picker->PickerActive()) << "a request without groups ends no pick";
  EXPECT_EQ(caption(), "Select Planet(s) - group " + number(groups[1]));

  picker->CancelClicked();
  picker->ShowPicker(Request(groups, false, 1));
  EXPECT_EQ(caption(),
            "Select Planet(s) - groups " + number(groups[0]) + " and " + number(groups[1]));
  const std::string text = inside();
  const int32_t total = Analysis().AvailableShipsOf(groups[0]->GroupNumber, *groups[0]) +
                        Analysis().AvailableShipsOf(groups[1]->GroupNumber, *groups[1]);
  EXPECT_EQ(text, "Sends 2 groups, " + std::to_string(total) + " ships:\ngroup " +
                      number(groups[0]) + ": " + shipsOf(groups[0]) + "\ngroup " +
                      number(groups[1]) + ": " + shipsOf(groups[1]) + "\n");
  EXPECT_TRUE(orders->inserted.empty());
}

// Escape ends the pick as Cancel does: the picker hides, the pick is over, nothing is written,
// and a map click afterwards picks nothing.
TEST_F(PlanetSelect, EscapeClosesThePickerAsCancel) {
  TGroup* g = OwnGroup(false);
  ASSERT_NE(g, nullptr);
  picker->ShowPicker(Request({g}, true, 3));
  ASSERT_TRUE(QTest::qWaitForWindowActive(picker.get()));
  picker->SelectRows({SourceRow(0), SourceRow(1)});
  picker->PlanetList()->setFocus();
  QTest::keyClick(picker->windowHandle(), Qt::Key_Escape);
  EXPECT_FALSE(picker->isVisible());
  EXPECT_FALSE(picker->PickerActive());
  EXPECT_TRUE(orders->inserted.empty());
  EXPECT_EQ(orders->analysed, 0);
  const int selected = picker->PlanetList()->SelectedCount();
  picker->SelectPlanet(PlanetAt(4));
  EXPECT_EQ(picker->PlanetList()->SelectedCount(), selected);
}

}  // namespace
}  // namespace tovix

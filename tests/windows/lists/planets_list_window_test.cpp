// The planet list window on the real game Orion read as race A (allies B and C), offscreen,
// with recording services: its first show, the owner combo, the sort caption, the order
// columns after an analysis, and what its commands hand to the map, the planet information
// window and the orders.

#include "windows/lists/planets_list_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QScreen>

#include <cmath>

#include "controls/zn_list_view.h"
#include "core/text/numbers.h"
#include "core/text/star_names.h"
#include "core/text/str_utils.h"
#include "support/list_widths.h"
#include "support/orion_as_a.h"
#include "support/recording_services.h"
#include "views/name_samples.h"
#include "windows/dialogs/list_export_dialog.h"

namespace tovix {
namespace {

using test::Orion;

class PlanetsListWindow : public testing::Test {
 protected:
  void SetUp() override {
    if (!Orion()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    services.Orders = &orders;
    services.Map = &map;
    services.PlanetInfo = &info;
    window = std::make_unique<TfrmPlanetslist>(Orion()->state, store, ui, services);
    window->show();
  }
  // The cells of a column as the list shows them, from the top.
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> cells;
    const TListRowModel& rows = window->List()->Rows();
    for (int v = 0; v < rows.Count(); ++v)
      cells.push_back(rows.CellText(rows.SourceRow(v), column));
    return cells;
  }
  void Select(std::initializer_list<int> viewRows) {
    TznListView& list = *window->List();
    list.clearSelection();
    for (int v : viewRows)
      list.selectionModel()->select(list.Rows().index(v, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  test::RecordingOrders orders;
  test::RecordingMap map;
  test::RecordingPlanetInfo info;
  TServices services;
  std::unique_ptr<TfrmPlanetslist> window;
};

TEST_F(PlanetsListWindow, FirstShowListsTheUsersPlanetsAndTheOwnerComboChoosesOthers) {
  const GameState& state = Orion()->state;
  QComboBox& owners = *window->OwnerBox();
  EXPECT_EQ(owners.itemText(0), "(All)");
  EXPECT_EQ(owners.currentText().toStdString(), state.MainPlayer->Name);
  for (const std::string& owner : Column(pcolOwner)) EXPECT_EQ(owner, state.MainPlayer->Name);
  EXPECT_EQ(window->List()->Rows().Count(), static_cast<int>(OwnPlanetRows(state).size()));
  // Whole names and headers from the start, also the game's longest names, which the user's own
  // planets of the first rows do not hold; the window opens as wide as the screen lets it.
  const TGameNames names = LongestGameNames(state);
  test::ExpectHeadersWhole(*window->List());
  test::ExpectWhole(*window->List(), pcolName, names.Planets.front());
  test::ExpectWhole(*window->List(), pcolOwner, names.Owners.front());
  for (const TPlanetRow& row : OwnPlanetRows(state))
    EXPECT_LT(row.Cells[pcolName].size(), names.Planets.front().size());
  EXPECT_TRUE(window->List()->width() >= window->List()->FittedWidth() ||
              window->frameGeometry().width() >= window->screen()->availableGeometry().width());

  owners.setCurrentIndex(0);
  window->OwnerChosen();
  EXPECT_EQ(window->List()->Rows().Count(), state.Planets.Count());

  // A second click on a column reverses it; the caption names the order.
  window->List()->SetSortColumn(pcolSize);
  window->List()->SetSortColumn(pcolSize);
  EXPECT_EQ(window->windowTitle(), "Planets list - sort Descending on Size");
  const std::vector<std::string> sizes = Column(pcolSize);
  for (size_t i = 1; i < sizes.size(); ++i)
    EXPECT_GE(CompareKeys(NumberKey(sizes[i - 1]), NumberKey(sizes[i])), 0);
}

TEST_F(PlanetsListWindow, CommandsReachTheMapThePlanetWindowAndTheOrders) {
  GameState& state = Orion()->state;
  const std::vector<std::string> names = Column(pcolName);
  ASSERT_GE(names.size(), 2u);
  Select({0, 1});
  window->PreparePopup();
  window->MarkPlanets();
  EXPECT_EQ(map.calls, (std::vector<std::string>{"clear", "mark " + names[0], "mark " + names[1]}));
  window->DevelopPlanets();
  window->ClaimPlanets();
  ui.choices.push_back(1);  // "MAT"
  window->ProducePlanets();
  EXPECT_EQ(orders.inserted,
            (std::vector<std::string>{"planet: ;P " + names[0] + "\r\n;P " + names[1],
                                      "planet: V " + names[0] + "\r\nV " + names[1],
                                      "planet: P " + names[0] + " MAT\r\nP " + names[1] + " MAT"}));
  orders.inserted.clear();

  // Rename: another planet's name in another case is refused with the message.
  window->List()->setCurrentIndex(window->List()->Rows().index(0, 0));
  Select({0});
  ASSERT_FALSE(info.shown.empty());
  EXPECT_EQ(info.shown.back()->Name, names[0]);
  std::string answer = UpperCase(names[1]);
  window->AskText = [&](const std::string& title, const std::string& prompt, std::string& text) {
    EXPECT_EQ(title, "Create Order");
    EXPECT_EQ(prompt, "Enter new planet name");
    EXPECT_EQ(text, names[0]);
    text = answer;
    return true;
  };
  window->RenamePlanet();
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Planet Name already used!"});
  EXPECT_TRUE(orders.inserted.empty());
  answer = "Vega";
  window->RenamePlanet();
  EXPECT_EQ(orders.inserted, std::vector<std::string>{"planet: N " + names[0] + " Vega"});

  // A name with blanks would make a malformed order: refused as the map refuses it.
  orders.inserted.clear();
  ui.messages.clear();
  answer = "New Vega";
  window->RenamePlanet();
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"A planet name must be one word without blanks!"});
  EXPECT_TRUE(orders.inserted.empty());

  // Elite names: one hand-over, a different free name for each own planet.
  orders.inserted.clear();
  Select({0, 1});
  window->CreateEliteNames();
  ASSERT_EQ(orders.inserted.size(), 1u);
  const std::string text = orders.inserted[0].substr(8);  // after "planet: "
  const size_t br = text.find("\r\n");
  ASSERT_NE(br, std::string::npos);
  const std::vector<std::string> a = test::Words(text.substr(0, br));
  const std::vector<std::string> b = test::Words(text.substr(br + 2));
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(a[1], names[0]);
  EXPECT_NE(a[2], b[2]);
  EXPECT_EQ(state.PlanetByName(a[2]), nullptr);
  // The next command goes on with new names, and leaves out those the orders give already.
  orders.inserted.clear();
  orders.renamed = {"Irrelevant", UpperCase(a[2])};
  TStarSeed seed = state.EliteNameSeed;
  const auto nextFree = ProposeNextStarName(
      [&](const std::string& n) {
        return SameText(n, a[2]) || SameText(n, b[2]) || state.PlanetByName(n) != nullptr;
      },
      seed);
  ASSERT_TRUE(nextFree.has_value());
  Select({0});
  window->CreateEliteNames();
  ASSERT_EQ(orders.inserted.size(), 1u);
  const std::vector<std::string> c = test::Words(orders.inserted[0].substr(8));
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[2], *nextFree);
  orders.renamed.clear();

  // The groups standing at the planets give the mass columns without the groups window.
  float mostMine = 0;
  for (const std::string& cell : Column(pcolMyMass))
    mostMine = std::max(mostMine, NumberKey(cell).Number);
  EXPECT_GT(mostMine, 0);

  // An analysis rewrites the order columns of the rows shown.
  TPlanet* first = state.PlanetByName(names[0]);
  const float sent = first->SentMass;
  first->SentMass = 42.25f;
  window->NoteGameChange(gcOrdersAnalysed);
  EXPECT_EQ(Column(pcolSentMass)[0], "42.25");
  first->SentMass = sent;

  // An export's footer is the main window's caption at that moment.
  window->MainCaption = [] { return std::string("Tovix Orion - 25 Arcturans"); };
  window->Exporter().RunChoiceDialog = [](TExportChoiceForm&) { return false; };
  window->ExportRows();
  EXPECT_EQ(window->Exporter().Footer, "Tovix Orion - 25 Arcturans");
}

// "Dist." is empty until a planet is chosen to measure from; then every fill measures from it,
// whatever an earlier computation left in the planets' distance keys.
TEST_F(PlanetsListWindow, DistancesAreMeasuredFromTheChosenPlanet) {
  GameState& state = Orion()->state;
  for (int i = 0; i < state.Planets.Count(); ++i) state.Planets.Object(i)->Distance = 777;
  window->OwnerBox()->setCurrentIndex(0);
  window->OwnerChosen();
  for (const std::string& cell : Column(pcolDistance)) EXPECT_EQ(cell, "");
  Select({0});
  const TPlanet* from = window->SelectedPlanets().front();
  window->CalculateDistanceFrom();
  window->OwnerChosen();  // a new fill keeps measuring from the chosen planet
  for (const TPlanetRow& row : window->Rows()) {
    const float d = state.PlanetDistance(from->X, from->Y, row.Planet->X, row.Planet->Y);
    EXPECT_EQ(row.Cells[pcolDistance], Fmt("%5.2f", std::round(d) / 100.0)) << row.Planet->Name;
  }
}

}  // namespace
}  // namespace tovix

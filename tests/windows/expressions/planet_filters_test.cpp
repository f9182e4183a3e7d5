// The expression and group filters where the player uses them, on Orion read as A (allies B and
// C): planet information's "Filtered" and "Filter Inv.", the map's "M" buttons, the group filter
// dialog. Expectations come from the model, not from the filters.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "controls/caption_buttons.h"
#include "controls/list_boxes.h"
#include "controls/spin_edit.h"
#include "core/model/arrival.h"
#include "core/text/str_utils.h"
#include "support/expression_filter_answer.h"
#include "support/orion_game.h"
#include "support/window_picture.h"
#include "windows/expressions/calculation_dialogs.h"
#include "windows/expressions/group_filter_dialog.h"
#include "windows/map/map_window.h"
#include "windows/planets/planets_window.h"

namespace tovix {
namespace {

using TNames = std::set<std::string>;

class PlanetFilters : public testing::Test {
 protected:
  void SetUp() override {
    orion = test::Orion();
    if (orion == nullptr) GTEST_SKIP() << test::ReportsAbsent("orion");
    filters = std::make_unique<TfrmExpressionFilters>(
        State(), store, ui, [this](bool) { return expression; }, [] { return nullptr; });
    filters->RunDialog = test::AcceptPlanetsFilter;
    groups = std::make_unique<TfrmGroupFilter>(State(), store);
    services.ExpressionFilter = filters.get();
    services.GroupFilter = groups.get();
    window = std::make_unique<TfrmPlanets>(
        State(), store, ui, [this]() -> const TServices& { return services; },
        [] { return nullptr; }, (folder / "ExtrInf.ini").string());
    window->resize(900, 600);
    window->show();
  }
  GameState& State() { return orion->state; }
  TNames Listed() const {
    TNames names;
    for (const TPlanetInfoRow& row : window->PlanetRowsShown()) names.insert(row.Name);
    return names;
  }
  template <class Pred>
  TNames PlanetsWhere(Pred&& pred) {
    TNames names;
    for (auto [key, p] : State().Planets)
      if (pred(*p)) names.insert(p->Name);
    return names;
  }
  // The planets of the user's groups of the last turn that `pred` lets through.
  template <class Pred>
  TNames OwnGroupPlanets(Pred&& pred) {
    TNames names;
    for (const auto& g : State().MainPlayer->Groups)
      if (g->Turn == State().LastTurn && g->Planet && pred(*g)) names.insert(g->Planet->Name);
    return names;
  }
  static bool ArrivesNextTurn(const TGroup& g) {
    const double speed = g.SpeedWithLoad();
    return speed <= 0 || TurnsToArrive(g.Distance, speed) == 1;  // unmoving groups stay in
  }
  template <class W>
  static W* Child(QWidget& parent, const char* name) {
    W* w = parent.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  test::OrionGame* orion = nullptr;
  test::TempDir folder;
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  std::string expression;
  std::unique_ptr<TfrmExpressionFilters> filters;
  std::unique_ptr<TfrmGroupFilter> groups;
  TServices services;
  std::unique_ptr<TfrmPlanets> window;
};

TEST_F(PlanetFilters, ExpressionsLeaveTheBigPlanetsInTheListAndOnTheMap) {
  const TNames all = PlanetsWhere([](const TPlanet&) { return true; });
  EXPECT_EQ(Listed(), all) << "until a filter is chosen";
  expression = "[PT_SIZE]>500";
  window->Expressions();
  const TNames big = PlanetsWhere([](const TPlanet& p) { return p.Size > 500; });
  ASSERT_FALSE(big.empty());
  ASSERT_LT(big.size(), all.size());
  EXPECT_EQ(Listed(), big);
  TNames read;
  for (const TPlanet* p : services.ExpressionFilter->FilteredPlanets()) read.insert(p->Name);
  EXPECT_EQ(read, big) << "the set the destination picker reads";

  // "Filtered" keeps those where the group filter finds the user's groups of this turn;
  // "Filter Inv." those where it finds none.
  const TNames grouped = OwnGroupPlanets([](const TGroup&) { return true; });
  TNames with, without;
  for (const std::string& name : big) (grouped.count(name) ? with : without).insert(name);
  ASSERT_FALSE(with.empty());
  ASSERT_FALSE(without.empty());
  window->FilteredBox()->click();
  EXPECT_EQ(Listed(), with);
  window->FilterInvBox()->click();
  EXPECT_EQ(Listed(), without);
  window->FilteredBox()->click();
  EXPECT_EQ(Listed(), big);
  window->FilterInvBox()->click();  // without "Filtered" nothing is refilled
  EXPECT_EQ(Listed(), big);

  // The map's red "M" with the same expression marks exactly those planets; a cancelled
  // dialog only clears the marks of its colour.
  TfrmNewMap map(State(), store, services, nullptr, ui);
  map.SetPlanetFilter(ExpressionFilterMarks(services));
  map.CaptionButton("WidgetMarkRed")->click();
  TNames red;
  for (const TPlanet* p : map.Scene().RedMarks) red.insert(p->Name);
  EXPECT_EQ(red, big);
  expression.clear();
  map.CaptionButton("WidgetMarkBlue")->click();
  EXPECT_TRUE(map.Scene().BlueMarks.empty());
  EXPECT_EQ(map.Scene().RedMarks.size(), big.size());
  map.CaptionButton("WidgetMarkRed")->click();
  EXPECT_TRUE(map.Scene().RedMarks.empty());

  // An expression that fails says so; every planet passes after the dialog.
  expression = "[PT_SIZ]>500";
  window->Expressions();
  EXPECT_EQ(Listed(), all);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_TRUE(
      ui.messages.back().starts_with("Error in expression: [PT_SIZ]>500\r\rIt failed on all " +
                                     std::to_string(all.size()) + " planets, first on planet "))
      << ui.messages.back();
}

TEST_F(PlanetFilters, GroupFilterListsWhereADesignArrivesNextTurnAndADriveLimitNarrows) {
  // The design with groups that arrive next turn and groups that do not.
  const TShipType* design = nullptr;
  for (auto [name, type] : State().MainPlayer->ShipTypes) {
    const TNames arrive =
        OwnGroupPlanets([&](const TGroup& g) { return g.ShipType == type && ArrivesNextTurn(g); });
    const TNames stay =
        OwnGroupPlanets([&](const TGroup& g) { return g.ShipType == type && !ArrivesNextTurn(g); });
    if (!arrive.empty() && !stay.empty() && (!design || type->Name < design->Name)) design = type;
  }
  ASSERT_NE(design, nullptr);
  const TNames expected =
      OwnGroupPlanets([&](const TGroup& g) { return g.ShipType == design && ArrivesNextTurn(g); });

  groups->RunDialog = [&](TfrmGroupFilter& d) {
    TRxCheckListBox* types = d.ShipTypes();
    for (int i = 0; i < types->Count(); ++i) types->item(i)->setSelected(true);
    d.CheckSelected(types, false);
    for (int i = 0; i < types->Count(); ++i)
      if (types->ItemText(i).toStdString() == design->Name) types->ToggleCheck(i);
    Child<QCheckBox>(d, "cbUseArriving")->setChecked(true);
    Child<QComboBox>(d, "cbxArriving")->setCurrentIndex(1);  // "Next turn"
    d.SetLastChanges();
  };
  window->FilteredBox()->click();
  window->GroupFilter();
  EXPECT_EQ(Listed(), expected) << design->Name;
  // What the destination picker reads, through the service alone.
  IGroupFilterService& service = *services.GroupFilter;
  service.CollectPlanets();
  TNames collected;
  for (const TPlanet* p : service.GroupPlanets()) collected.insert(p->Name);
  EXPECT_EQ(collected, expected);
  EXPECT_EQ(collected.size(), service.GroupPlanets().size()) << "each planet once";

  // Design limits in place of the designs: a drive below the chosen design's leaves the groups
  // of lighter drives (and those that cannot move).
  const double limit = design->Drive - 0.01;
  groups->RunDialog = [&](TfrmGroupFilter& d) {
    Child<QRadioButton>(d, "rbShipOptions")->setChecked(true);
    Child<QCheckBox>(d, "cbDriveMax")->setChecked(true);
    Child<TRxSpinEdit>(d, "edtDriveMax")->SetValue(limit);
    d.SetLastChanges();
  };
  window->GroupFilter();
  const TNames anyDesign = OwnGroupPlanets([&](const TGroup& g) { return ArrivesNextTurn(g); });
  const TNames narrowed = OwnGroupPlanets([&](const TGroup& g) {
    return ArrivesNextTurn(g) && g.ShipType && g.ShipType->Drive <= limit + 0.005;
  });
  EXPECT_EQ(Listed(), narrowed);
  EXPECT_LT(narrowed.size(), anyDesign.size());
}

TEST_F(PlanetFilters, GroupFilterDialogKeepsItsChecksAndItsPlace) {
  TfrmGroupFilter& d = *groups;
  d.LoadFromFilter();
  TRxCheckListBox* players = d.Players();
  int mine = -1, other = -1;
  for (int i = 0; i < players->Count(); ++i)
    (players->ItemText(i).toStdString() == State().MainPlayer->Name ? mine : other) = i;
  ASSERT_GE(mine, 0);
  ASSERT_GE(other, 0);
  EXPECT_TRUE(players->GetChecked(mine));
  EXPECT_FALSE(players->GetChecked(other));
  const int ownTypes = State().MainPlayer->ShipTypes.Count();
  EXPECT_EQ(d.ShipTypes()->Count(), ownTypes);

  // Another race checked: its designs join the list; the user's race unchecked: they go, and
  // their checks stay in the filter.
  d.ShipTypes()->item(0)->setSelected(true);
  d.CheckSelected(d.ShipTypes(), false);
  players->ToggleCheck(other);
  EXPECT_TRUE(d.GroupFilter().Players()[static_cast<size_t>(other)].Checked);
  EXPECT_GT(d.ShipTypes()->Count(), ownTypes);
  players->ToggleCheck(mine);
  int unchecked = 0;
  for (const TFilterShipType& t : d.GroupFilter().ShipTypes())
    if (t.PlayerIndex == mine && !t.Checked) ++unchecked;
  EXPECT_EQ(unchecked, 1);
  players->ToggleCheck(mine);
  EXPECT_FALSE(d.ShipTypes()->GetChecked(0)) << "the check came back with the list";

  // The other choices reach the filter with "Set Last Changes" only.
  QCheckBox* massMin = Child<QCheckBox>(d, "cbMassMin");
  massMin->setChecked(true);
  d.DiscardLastChanges();
  EXPECT_FALSE(massMin->isChecked());
  massMin->setChecked(true);
  Child<TRxSpinEdit>(d, "edtMassMin")->SetValue(10);
  d.SetLastChanges();
  EXPECT_TRUE(d.GroupFilter().Options.Mass.MinOn);
  EXPECT_EQ(d.GroupFilter().Options.Mass.Min, 10);

  // The place on the screen is kept, once the dialog was shown.
  d.SaveState();
  EXPECT_TRUE(store.ReadString("Group Filter_State", "NormalLeft", "").empty());
  d.show();
  d.move(60, 40);
  const QRect placed = d.geometry();
  d.SaveState();
  d.hide();
  TfrmGroupFilter again(State(), store);
  again.LoadState();
  EXPECT_EQ(again.geometry(), placed);
}

TEST_F(PlanetFilters, PicturesOfTheGroupFilterWithShipOptionsAndOfAFilteredPlanetList) {
  TfrmGroupFilter& d = *groups;
  d.LoadFromFilter();
  Child<QRadioButton>(d, "rbShipOptions")->setChecked(true);
  Child<QCheckBox>(d, "cbDriveMin")->setChecked(true);
  Child<TRxSpinEdit>(d, "edtDriveMin")->SetValue(1.5);
  Child<QCheckBox>(d, "cbAttacksMin")->setChecked(true);
  Child<TRxSpinEdit>(d, "edtAttacksMin")->SetValue(1);
  Child<QCheckBox>(d, "cbMassMax")->setChecked(true);
  Child<TRxSpinEdit>(d, "edtMassMax")->SetValue(40);
  Child<QCheckBox>(d, "cbUseArriving")->setChecked(true);
  Child<QComboBox>(d, "cbxArriving")->setCurrentIndex(1);
  d.SetLastChanges();
  for (int i = 0; i < d.Players()->Count(); ++i)
    if (!d.Players()->GetChecked(i)) {
      d.Players()->ToggleCheck(i);  // a second race's designs in the list
      break;
    }
  d.show();
  EXPECT_TRUE(test::TakePicture(d, "Group Filter-ship options"));
  d.hide();

  expression = "[PT_SIZE]>500";
  window->Expressions();
  ASSERT_FALSE(window->PlanetRowsShown().empty());
  window->ShowPlanet(State().PlanetByName(*Listed().begin()), false);
  EXPECT_TRUE(test::TakePicture(*window, "Planet Info-filtered by an expression"));
}

}  // namespace
}  // namespace tovix

// The group filter on Orion read as A: its planets are those of the user's group and fleet
// tables; and its rules on a small hand-made game (limits, arrival, change events).

#include "expressions/group_filter.h"

#include <gtest/gtest.h>

#include <set>

#include "core/text/str_utils.h"
#include "support/orion_game.h"

namespace tovix {
namespace {

TEST(GroupFilter, NewFilterGivesThePlanetsOfTheOwnGroupAndFleetTables) {
  test::OrionGame* orion = test::Orion();
  if (orion == nullptr) GTEST_SKIP() << test::ReportsAbsent("orion");
  const auto lines = test::ReportLines(orion->Report('A', orion->state.LastTurn));
  std::set<std::string> expected;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string title = test::SectionTitle(lines[i]);
    if (title != "Your Groups" && !title.starts_with("Fleet ")) continue;
    const test::TextTable t = test::TableAt(lines, i);
    // Battle tables list groups without their numbers ("#" first).
    if (test::SplitText(t.Header).empty() || test::SplitText(t.Header)[0] != "G") continue;
    for (const auto& row : t.Rows) {
      ASSERT_GE(row.size(), 10u);
      expected.insert(LowerCase(row[9]));  // D: where it stands or flies to
    }
  }
  ASSERT_FALSE(expected.empty());
  TGroupFilter filter(orion->state);
  filter.CollectPlanets();
  std::multiset<std::string> got;
  for (const TPlanet* p : filter.GroupPlanets) {
    std::string name = LowerCase(p->Name);
    if (!name.empty() && name[0] == '#') name.erase(0, 1);
    got.insert(name);
  }
  EXPECT_EQ(got, std::multiset<std::string>(expected.begin(), expected.end()));
}

// A small game: one race, one design, groups at a planet and in flight.
class SmallFilter : public testing::Test {
 protected:
  void SetUp() override {
    state.LastTurn = 5;
    auto race = std::make_unique<TPlayer>(5);
    race->Name = "Me";
    me = race.get();
    state.Players.AddObject("me", std::move(race));
    state.MainPlayer = me;
    auto type = std::make_unique<TShipType>("Ship", TGameType::NG);
    type->Drive = 10;
    ship = me->AddShipType(std::move(type));
    for (const char* name : {"home", "far"}) {
      planets.push_back(
          state.AddPlanet(name, std::make_unique<TPlanet>(name), PlanetDistanceKey(0, 0)));
    }
  }
  TGroup& AddGroup(TPlanet* planet, int ships, float distance) {
    auto g = std::make_unique<TGroup>();
    g->Owner = me;
    g->ShipType = ship;
    g->Planet = planet;
    g->Ships = ships;
    g->Turn = 5;
    g->Distance = distance;
    me->Groups.push_back(std::move(g));
    return *me->Groups.back();
  }
  GameState state;
  TPlayer* me = nullptr;
  TShipType* ship = nullptr;
  std::vector<TPlanet*> planets;
};

TEST_F(SmallFilter, CountsArrivalAndEvents) {
  TGroup& standing = AddGroup(planets[0], 3, 0);
  AddGroup(planets[0], 7, 0);
  TGroup& flying = AddGroup(planets[1], 1, 0);
  TGroupFilter filter(state);
  // Each planet once however many groups stand there.
  filter.CollectPlanets();
  EXPECT_EQ(filter.GroupPlanets, planets);
  // Count limits are inclusive: 3 <= ships <= 3 keeps the first group only.
  filter.Count = {true, true, 3, 3};
  EXPECT_TRUE(filter.Matches(standing));
  EXPECT_FALSE(filter.Matches(flying));
  filter.Count = {};
  // Arrival: "k turns" by the shared arrival rule; a group 15 away needs two turns.
  const double speed = flying.SpeedWithLoad();
  ASSERT_GT(speed, 0);
  flying.Distance = static_cast<float>(1.5 * speed);
  filter.UseArriving = true;
  filter.ArrivalTurns = 1;
  EXPECT_FALSE(filter.Matches(flying));
  filter.ArrivalTurns = 2;
  EXPECT_TRUE(filter.Matches(flying));
  filter.ArrivalTurns = 0;
  EXPECT_TRUE(filter.Matches(standing));
  EXPECT_FALSE(filter.Matches(flying));
  // Events fire once per change, after an update when one is under way.
  int players = 0, types = 0;
  filter.OnPlayersChanged = [&] { ++players; };
  filter.OnShipTypesChanged = [&] { ++types; };
  filter.SetPlayerChecked(0, true);  // no change
  filter.BeginUpdate();
  filter.SetPlayerChecked(0, false);
  filter.SetShipTypeChecked(0, false);
  filter.SetShipTypeChecked(0, true);
  EXPECT_EQ(players + types, 0);
  filter.EndUpdate();
  EXPECT_EQ(players, 1);
  EXPECT_EQ(types, 1);
  filter.CollectPlanets();
  EXPECT_TRUE(filter.GroupPlanets.empty());
}

// The model keeps races and designs in hash order; the filter lists them by name.
TEST_F(SmallFilter, RacesAndDesignsAreListedByName) {
  for (const char* name : {"zeta", "Alpha", "beta", "Gamma"}) {
    auto race = std::make_unique<TPlayer>(5);
    race->Name = name;
    TPlayer* r = race.get();
    state.Players.AddObject(LowerCase(name), std::move(race));
    if (std::string(name) == "Gamma") continue;  // no group: not listed
    TShipType* first = nullptr;
    for (const char* type : {"Zed", "apple", "Bee"}) {
      TShipType* t = r->AddShipType(std::make_unique<TShipType>(type, TGameType::NG));
      if (!first) first = t;
    }
    auto g = std::make_unique<TGroup>();
    g->Owner = r;
    g->ShipType = first;
    g->Planet = planets[0];
    r->Groups.push_back(std::move(g));
  }
  AddGroup(planets[0], 1, 0);
  TGroupFilter filter(state);
  std::vector<std::string> races, designs;
  for (const TFilterPlayer& p : filter.Players()) races.push_back(p.Player->Name);
  EXPECT_EQ(races, (std::vector<std::string>{"Alpha", "beta", "Me", "zeta"}));
  for (const TFilterShipType& t : filter.ShipTypes())
    if (t.PlayerIndex == 0) designs.push_back(t.ShipType->Name);
  EXPECT_EQ(designs, (std::vector<std::string>{"apple", "Bee", "Zed"}));
  // Only the user's race is checked.
  for (const TFilterPlayer& p : filter.Players()) EXPECT_EQ(p.Checked, p.Player == me);
}

}  // namespace
}  // namespace tovix

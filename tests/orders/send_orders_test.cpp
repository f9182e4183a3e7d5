// The send orders of the destination picker and of "Advanced Send": the builders and the
// advanced window's bookkeeping on a small hand-made game, and the turns of every own group to
// every planet of the real game Orion read as A (allies B and C).

#include "orders/send_orders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/model/arrival.h"
#include "core/text/str_utils.h"
#include "orders/order_analysis.h"
#include "support/orion_as_a.h"
#include "support/recording_ui.h"

namespace tovix {
namespace {

using Lines = std::vector<std::string>;

Lines Split(const std::string& text) {
  Lines lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  lines.push_back(text.substr(start));
  return lines;
}

// Planets P1 to P5 on a line 10 apart from Home (0,0). The own race has
//   7: 3 Drones, 8: 2 Drones, 9: 2 Haulers (cargo space), 10: 7 Drones, all at Home.
// A Drone flies 20 a turn.
class SendGame : public testing::Test {
 protected:
  SendGame() {
    state.Settings.GameType = TGameType::NG;
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Humans";
    own = race.get();
    state.Players.AddObject("humans", std::move(race));
    state.MainPlayer = own;
    home = AddPlanet("Home", 0);
    for (int i = 1; i <= 5; ++i) planets.push_back(AddPlanet("P" + std::to_string(i), i * 1000));
    drone = AddDesign("Drone", 0);
    hauler = AddDesign("Hauler", 1);
    for (auto [number, type, ships] :
         {std::tuple{7, drone, 3}, {8, drone, 2}, {9, hauler, 2}, {10, drone, 7}})
      groups[number] = AddGroup(number, type, ships);
  }

  TPlanet* AddPlanet(const std::string& name, int32_t x) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    return state.AddPlanet(LowerCase(name), std::move(planet), PlanetDistanceKey(x, 0));
  }
  TShipType* AddDesign(const std::string& name, float cargo) {
    auto type = std::make_unique<TShipType>(name, TGameType::NG);
    type->Drive = 1;
    type->Cargo = cargo;
    return own->AddShipType(std::move(type));
  }
  TGroup* AddGroup(int32_t number, TShipType* type, int32_t ships) {
    auto group = std::make_unique<TGroup>();
    group->GroupNumber = number;
    group->ShipType = type;
    group->Ships = ships;
    group->Planet = home;
    group->Owner = own;
    group->Turn = 0;
    own->Groups.push_back(std::move(group));
    return own->Groups.back().get();
  }
  TSendGroups Groups(const std::vector<int>& numbers) {
    TSendGroups out;
    for (int n : numbers) out.emplace_back(n, groups.at(n));
    return out;
  }
  std::vector<std::string> PlanetNames(size_t count) const {
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) names.push_back(planets[i]->Name);
    return names;
  }
  // Ships left: `left` where given, else the whole group.
  TShipsLeft ShipsLeft(std::map<int, int32_t> left) const {
    return [left](int32_t number, const TGroup& g) {
      const auto it = left.find(number);
      return it == left.end() ? g.Ships : it->second;
    };
  }

  GameState state;
  TPlayer* own = nullptr;
  TPlanet* home = nullptr;
  std::vector<TPlanet*> planets;
  TShipType *drone = nullptr, *hauler = nullptr;
  std::map<int, TGroup*> groups;
};

// A builder case. `cargoAnswer`: -2 "Load Before Send" unchecked (no question), -1 the cargo
// question cancelled, 0 to 2 the item chosen.
struct BuilderCase {
  const char* Name;
  std::vector<int> Groups;
  bool Spread;
  size_t Planets;
  bool Intercept;
  int CargoAnswer;
  std::map<int, int32_t> Left;
  Lines Expected;
};

class SendBuilders : public SendGame, public testing::WithParamInterface<BuilderCase> {};

TEST_P(SendBuilders, WriteTheLines) {
  const BuilderCase& c = GetParam();
  test::RecordingUserInterface ui;
  TSendOptions options{c.Intercept, pcNone};
  if (c.CargoAnswer != -2) {
    ui.choices.push_back(c.CargoAnswer);
    options.Cargo = AskCargoType(ui);
    EXPECT_EQ(ui.questions, Lines{"Select Cargo Type"});
  }
  const std::string text =
      c.Spread ? SpreadOrders(Groups(c.Groups), PlanetNames(c.Planets), options, ShipsLeft(c.Left))
               : OnePlanetOrders(Groups(c.Groups), planets[0]->Name, options);
  EXPECT_EQ(Split(text), c.Expected);
  EXPECT_FALSE(text.ends_with("\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendBuilders,
    testing::Values(
        BuilderCase{"ThreeShipsOverFivePlanets",
                    {7},
                    true,
                    5,
                    false,
                    -2,
                    {},
                    {"S 7 P1 1", "S 7 P2 1", "S 7 P3"}},
        // The planets are shared: the second group gets one ship sent and no line without a
        // count.
        BuilderCase{"TwoAndTwoShipsOverThreePlanets",
                    {8, 10},
                    true,
                    3,
                    false,
                    -2,
                    {{10, 2}},
                    {"S 8 P1 1", "S 8 P2", "S 10 P3 1"}},
        BuilderCase{"SpreadLoadsOnlyGroupsWithCargoSpace",
                    {8, 9},
                    true,
                    5,
                    false,
                    0,
                    {},
                    {"S 8 P1 1", "S 8 P2", "L 9 COL", "S 9 P3 1", "S 9 P4"}},
        BuilderCase{"OnePlanetLoadsOnlyGroupsWithCargoSpace",
                    {8, 9},
                    false,
                    1,
                    false,
                    2,
                    {},
                    {"S 8 P1", "L 9 MAT", "S 9 P1"}},
        BuilderCase{"CancelledCargoQuestionLoadsNothing",
                    {9, 8},
                    true,
                    4,
                    false,
                    -1,
                    {},
                    {"S 9 P1 1", "S 9 P2", "S 8 P3 1", "S 8 P4"}},
        BuilderCase{"OnePlanetIntercepts", {8, 9}, false, 1, true, -2, {}, {"I 8 P1", "I 9 P1"}},
        BuilderCase{"SpreadIntercepts", {9}, true, 5, true, -2, {}, {"I 9 P1 1", "I 9 P2"}},
        BuilderCase{"ShipsLeftCountNotTheGroup",
                    {10},
                    true,
                    5,
                    false,
                    -2,
                    {{10, 2}},
                    {"S 10 P1 1", "S 10 P2"}},
        BuilderCase{"ManyShipsUseEveryPlanet",
                    {10},
                    true,
                    3,
                    false,
                    -2,
                    {},
                    {"S 10 P1 1", "S 10 P2 1", "S 10 P3 1"}},
        BuilderCase{"OneShipGoesWhole", {8}, true, 5, false, -2, {{8, 1}}, {"S 8 P1"}},
        // A send without a count would re-send the ships other orders took.
        BuilderCase{"GroupWithNoShipLeftGetsNoLine",
                    {7, 8},
                    true,
                    3,
                    false,
                    -2,
                    {{7, 0}},
                    {"S 8 P1 1", "S 8 P2"}},
        // The planets ran out before the cargo group: it neither loads nor goes.
        BuilderCase{"GroupWithoutAPlanetLoadsNothing",
                    {7, 9},
                    true,
                    3,
                    false,
                    0,
                    {},
                    {"S 7 P1 1", "S 7 P2 1", "S 7 P3"}}),
    [](const testing::TestParamInfo<BuilderCase>& row) { return row.param.Name; });

std::vector<std::string> ResultTexts(const TAdvancedSend& send) {
  std::vector<std::string> out;
  for (const auto& r : send.ResultRows())
    out.push_back(std::to_string(r.Key) + ">" + r.Planet->Name + ":" + std::to_string(r.Amount) +
                  " #" + r.Turns);
  return out;
}

std::vector<std::string> PlanetTexts(const TAdvancedSend& send) {
  std::vector<std::string> out;
  for (const TPlanet* p : send.PlanetRows()) out.push_back(p->Name);
  return out;
}

TEST_F(SendGame, AdvancedAddTakesShipsWhileTheGroupHasThemAndOkWritesTheRest) {
  TAdvancedSend send(state, Groups({7, 10}), planets, ShipsLeft({{7, 0}}), false);
  ASSERT_EQ(send.GroupRows().size(), 1u) << "a group without ships left gets no row";
  EXPECT_EQ(send.GroupRows()[0].Available, 7);
  // 3 ships per planet, one planet in turn: two rows, 1 left, the third add does nothing.
  for (int i = 0; i < 3; ++i) send.Add(0, {0}, 3, true);
  EXPECT_EQ(ResultTexts(send), (Lines{"10>P1:3 #1", "10>P2:3 #1"}));
  EXPECT_EQ(send.GroupRows()[0].Available, 1);
  EXPECT_EQ(PlanetTexts(send), (Lines{"P3", "P4", "P5"}));
  EXPECT_EQ(Split(send.Orders()), (Lines{"S 10 P1 3", "S 10 P2 3"}));

  // 3 and then 4 ships: the second row takes the last ships and sends the rest.
  TAdvancedSend whole(state, Groups({10}), planets, ShipsLeft({}), true);
  whole.Add(0, {0}, 3, false);
  const TAdvancedSend::TAddOutcome last = whole.Add(0, {3}, 4, false);
  EXPECT_EQ(last.Added, 1);
  EXPECT_TRUE(last.GroupRemoved);
  EXPECT_TRUE(whole.GroupRows().empty());
  EXPECT_EQ(ResultTexts(whole), (Lines{"10>P1:3 #1", "10>P4:4 #2"}));
  EXPECT_EQ(Split(whole.Orders()), (Lines{"I 10 P1 3", "I 10 P4"}));

  // A number outside 1 to 100,000 adds nothing.
  TAdvancedSend bounds(state, Groups({7}), planets, ShipsLeft({}), false);
  EXPECT_EQ(bounds.Add(0, {0}, 0, true).Added, 0);
  EXPECT_EQ(bounds.Add(0, {0}, 100001, true).Added, 0);
  EXPECT_EQ(bounds.Add(1, {0}, 1, true).Added, 0);
  EXPECT_TRUE(bounds.ResultRows().empty());
}

TEST_F(SendGame, AdvancedAddOverSeveralPlanetsAndDeleteGivesTheShipsBack) {
  TAdvancedSend send(state, Groups({7, 8, 10}), planets, ShipsLeft({}), false);
  // 2 each of 7 ships over four chosen planets, in the list's order: three rows, the last
  // planet stays.
  EXPECT_EQ(send.Add(2, {1, 0, 3, 1, 2}, 2, true).Added, 3);
  EXPECT_EQ(ResultTexts(send), (Lines{"10>P2:2 #1", "10>P1:2 #1", "10>P4:2 #2"}));
  EXPECT_EQ(PlanetTexts(send), (Lines{"P3", "P5"}));
  EXPECT_EQ(send.GroupRows()[2].Available, 1);
  // Group 8 whole to P5: its row goes.
  EXPECT_TRUE(send.Add(1, {1}, 2, true).GroupRemoved);
  EXPECT_EQ(send.GroupRows().size(), 2u);
  EXPECT_EQ(PlanetTexts(send), (Lines{"P3"}));
  EXPECT_EQ(Split(send.Orders()), (Lines{"S 8 P5", "S 10 P2 2", "S 10 P1 2", "S 10 P4 2"}));

  // Deleting P2's and P5's rows: both planets and group 8 come back in their first places.
  send.Delete({3, 0, 3});
  EXPECT_EQ(ResultTexts(send), (Lines{"10>P1:2 #1", "10>P4:2 #2"}));
  EXPECT_EQ(PlanetTexts(send), (Lines{"P2", "P3", "P5"}));
  ASSERT_EQ(send.GroupRows().size(), 3u);
  EXPECT_EQ(send.GroupRows()[1].Key, 8);
  EXPECT_EQ(send.GroupRows()[1].Available, 2);
  EXPECT_EQ(send.GroupRows()[2].Available, 3);
  send.Delete({0, 1});
  EXPECT_TRUE(send.ResultRows().empty());
  EXPECT_EQ(send.GroupRows()[2].Available, 7);
  EXPECT_EQ(PlanetTexts(send), (Lines{"P1", "P2", "P3", "P4", "P5"}));
  EXPECT_EQ(send.Orders(), "");
}

TEST_F(SendGame, TurnsAreReachedOnAWholeMultipleAndADashWithoutSpeed) {
  // A Drone flies 20 a turn: 20 away is one turn, 30 two.
  TGroup& g = *groups.at(8);
  EXPECT_EQ(SendTurnsText(state, g, *planets[1]), "1");
  EXPECT_EQ(SendTurnsText(state, g, *planets[2]), "2");
  EXPECT_EQ(SendTurnsText(state, g, *home), "0");
  // A Hauler (mass 2) flies 10 a turn empty; its full cargo (1.1 a ship) slows it to 6.45.
  TGroup& h = *groups.at(9);
  EXPECT_EQ(SendTurnsText(state, h, *planets[1]), "2");
  h.Load = 1.1f;
  EXPECT_EQ(SendTurnsText(state, h, *planets[1]), "4");
  drone->Drive = 0;
  EXPECT_EQ(SendTurnsText(state, g, *planets[1]), "-");
}

// The picker's title names what it sends, by the numbers the orders give the groups.
TEST(PickerCaption, NamesTheGroupsItSends) {
  const auto caption = [](std::vector<int32_t> numbers) {
    TSendGroups groups;
    for (int32_t n : numbers) groups.emplace_back(n, nullptr);
    return PickerCaption(groups);
  };
  EXPECT_EQ(caption({}), "Select Planet(s)");
  EXPECT_EQ(caption({177}), "Select Planet(s) - group 177");
  EXPECT_EQ(caption({5, 12, 177}), "Select Planet(s) - groups 5, 12 and 177");
  EXPECT_EQ(caption({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
            "Select Planet(s) - groups 1, 2, 3, 4, 5, 6, 7, 8 and 2 more");
}

// The picker's text names each group with the ships it sends and their design; past eight groups
// it counts the rest and their ships.
TEST(PickerGroupsText, NamesEachGroupWithItsShips) {
  TShipType cruiser("Cruiser", TGameType::NG);
  std::vector<std::unique_ptr<TGroup>> owned;
  TSendGroups groups;
  for (int32_t n = 1; n <= 10; ++n) {
    owned.push_back(std::make_unique<TGroup>());
    owned.back()->ShipType = n == 2 ? nullptr : &cruiser;
    groups.emplace_back(n * 10, owned.back().get());
  }
  // The ships no order took: the group's number over ten.
  const TShipsLeft left = [](int32_t number, const TGroup&) { return number / 10; };
  EXPECT_EQ(PickerGroupsText({groups[0]}, left), "Sends group 10: 1 ship of Cruiser\n");
  EXPECT_EQ(PickerGroupsText({groups[0], groups[1]}, left),
            "Sends 2 groups, 3 ships:\ngroup 10: 1 ship of Cruiser\ngroup 20: 2 ships\n");
  const std::string all = PickerGroupsText(groups, left);
  EXPECT_EQ(all.substr(0, all.find('\n')), "Sends 10 groups, 55 ships:");
  EXPECT_EQ(all.substr(all.rfind('\n', all.size() - 2) + 1), "and 2 more, 19 ships\n");
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 10);
  EXPECT_EQ(PickerGroupsText({}, left), "");
}

// The speed of a group sent on its own: 20 x drive x drive tech / (mass + load / cargo tech).
double SpeedAlone(const TGroup& g) {
  const TShipType& t = *g.ShipType;
  const double cargo = (t.Cargo + t.Cargo * t.Cargo / 10) * g.CargoTech;
  const double mass = t.Mass() + (cargo > 0 ? g.Load / g.CargoTech : 0);
  return mass > 0 ? 20.0 * t.Drive * g.DriveTech / mass : 0;
}

// Every own group of the last turn to every planet of Orion: the turns are the shared arrival
// function's at the speed the group flies with its cargo (outside its fleet), "-" for a group
// that cannot move.
TEST(SendOrion, TurnsOfEveryOwnGroupToEveryPlanet) {
  test::OrionAsA* orion = test::Orion();
  if (!orion) GTEST_SKIP() << test::ReportsAbsent("orion");
  const GameState& state = orion->state;
  int pairs = 0, dashes = 0;
  for (const auto& g : state.MainPlayer->Groups) {
    if (g->Turn != state.LastTurn || g->Distance != 0) continue;
    const double speed = SpeedAlone(*g);
    for (auto [key, planet] : state.Planets) {
      const std::string shown = SendTurnsText(state, *g, *planet);
      if (speed > 0) {
        const double distance = OrderDistance(state, *g->Planet, *planet);
        ASSERT_EQ(shown, std::to_string(TurnsToArrive(distance, speed)))
            << g->GroupNumber << " to " << planet->Name;
      } else {
        ASSERT_EQ(shown, "-") << g->GroupNumber;
        ++dashes;
      }
      ++pairs;
    }
  }
  EXPECT_GT(pairs, 1000);
  RecordProperty("pairs", pairs);
  RecordProperty("dashes", dashes);
}

}  // namespace
}  // namespace tovix

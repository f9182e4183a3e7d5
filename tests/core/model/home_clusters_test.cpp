#include "core/model/home_clusters.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/text/str_utils.h"

namespace tovix {
namespace {

template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// Races with three home planets each, numbered race by race (1-3, 5-7, 9-11, 13-15 with one
// empty planet after each block), far apart on the map. The user's race is the first; the
// others' planets are unidentified (unknown owner, size 0).
struct ClusterGame {
  GameState state;
  std::vector<TPlayer*> races;

  explicit ClusterGame(std::vector<std::string> names = {"race_1", "race_2", "race_3", "race_4"}) {
    for (const std::string& name : names) {
      auto race = std::make_unique<TPlayer>(3);
      race->Name = name;
      race->Number = static_cast<int32_t>(races.size()) + 1;
      races.push_back(race.get());
      state.Players.AddObject(LowerCase(name), std::move(race));
    }
    for (int32_t r = 0; r < static_cast<int32_t>(races.size()); ++r) {
      for (int32_t j = 0; j < 4; ++j) {
        TOwnerRef owner =
            j == 3 ? TOwnerRef::None() : (r == 0 ? TOwnerRef::Of(races[0]) : TOwnerRef::Unknown());
        TPlanet* p = AddPlanet(4 * r + j + 1, r * 5000 + j * 100, owner);
        if (r == 0 && j < 3) {
          p->Size = j == 0 ? 1000.0f : 300.0f;
          p->Resources = j == 0 ? 10.0f : 5.0f;
        }
      }
    }
    state.MainPlayer = races.empty() ? nullptr : races[0];
  }

  TPlanet* AddPlanet(int32_t number, int32_t x, TOwnerRef owner) {
    auto planet = std::make_unique<TPlanet>(std::to_string(number));
    planet->Number = number;
    planet->X = x;
    planet->Owner = owner;
    return state.AddPlanet(std::to_string(number), std::move(planet), x);
  }
  TPlanet* Planet(int32_t number) const { return state.PlanetByNumber(number); }
  void SetCounts(int32_t turn, std::vector<int32_t> counts) {
    for (size_t i = 0; i < races.size(); ++i) races[i]->SetPlanetCount(turn, counts[i]);
  }
};

// --- Turn 0: blocks of planet numbers -------------------------------------------------------

struct Turn0Row {
  const char* name;
  std::vector<std::string> races;
  std::function<void(ClusterGame&)> change;
  bool assigned;      // planets 5-7 go to race_2
  float sizeOfFive;   // copied from the user's first home planet
  float sizeOfSeven;  // from the user's third
};

class CountClustersTurn0Test : public ::testing::TestWithParam<Turn0Row> {};

TEST_P(CountClustersTurn0Test, GivesNumberedBlocksToTheirRaces) {
  const Turn0Row& row = GetParam();
  ClusterGame game(row.races);
  if (row.change) row.change(game);
  CountClustersTurn0(game.state);
  for (int32_t n : {5, 6, 7}) {
    EXPECT_EQ(game.Planet(n)->Owner.Is(game.races[1]), row.assigned) << n;
  }
  EXPECT_EQ(game.Planet(4)->Owner.IsNone(), true);
  EXPECT_EQ(game.Planet(5)->Size, row.sizeOfFive);
  EXPECT_EQ(game.Planet(7)->Size, row.sizeOfSeven);
  EXPECT_EQ(game.Planet(7)->Resources, row.sizeOfSeven > 0 ? 5.0f : 0.0f);
}

const std::vector<std::string> kNumbered{"race_1", "race_2", "race_3", "race_4"};

void OutOfStep(ClusterGame& g) {
  g.Planet(13)->Owner = TOwnerRef::None();
  g.Planet(16)->Owner = TOwnerRef::Unknown();
}

void HomeSizeSet(ClusterGame& g) {
  g.state.Settings.turn0HabitedPlanetsSize = 1000;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CountClustersTurn0Test,
    ::testing::Values(Turn0Row{"BlocksMatch", kNumbered, nullptr, true, 1000, 300},
                      Turn0Row{"BlockStartOutOfStep", kNumbered, OutOfStep, false, 1000, 300},
                      Turn0Row{"NoRaceNamedForTheBlock",
                               {"race_1", "Alpha", "Beta", "Gamma"},
                               nullptr,
                               false,
                               1000,
                               300},
                      Turn0Row{"TwoRacesNamedForTheBlock",
                               {"race_1", "race_2", "race_2b", "race_4"},
                               nullptr,
                               false,
                               1000,
                               300},
                      Turn0Row{"HomeSizeSetKeepsSizes", kNumbered, HomeSizeSet, true, 0, 0}),
    RowName<Turn0Row>);

// A game without races divided by zero; fewer planets than races made clusters of none, and
// planets left over after the last full cluster were counted into a table row that did not
// exist. None of these may crash or write out of bounds (run under ASan).
TEST(CountClustersTest, DegenerateGamesAreHandled) {
  ClusterGame noRaces(std::vector<std::string>{});
  noRaces.AddPlanet(1, 0, TOwnerRef::Unknown());
  ClusterGame fewPlanets({"race_1", "race_2", "race_3", "race_4", "race_5"});
  for (int32_t n = 2; n <= 20; ++n) fewPlanets.state.PlanetByNumber(n)->Owner = TOwnerRef::None();
  for (ClusterGame* game : {&noRaces, &fewPlanets}) {
    CountClustersTurn0(game->state);
    for (int32_t turn : {0, 1, 2, 3}) CountClustersForTurn(game->state, turn);
  }
  EXPECT_EQ(fewPlanets.Planet(1)->Owner.Is(fewPlanets.races[0]), true);

  ClusterGame leftOver;
  TPlanet* far = leftOver.AddPlanet(30, 90000, TOwnerRef::Unknown());
  leftOver.SetCounts(0, {3, 3, 3, 1});
  CountClustersForTurn(leftOver.state, 0);
  EXPECT_EQ(far->LastOwnerName, "4");
  leftOver.SetCounts(2, {3, 3, 3, 1});  // race_4's history equals the left-over cluster's
  CountClustersForTurn(leftOver.state, 2);
  EXPECT_EQ(far->Owner.IsUnknown(), true);  // a left-over cluster never goes to a race
  CountClustersForTurn(leftOver.state, 3);
}

// --- Counting turn by turn ------------------------------------------------------------------

TEST(CountClustersTest, UniqueHistoryGivesTheRaceEqualHistoriesOnlyLabels) {
  ClusterGame game;
  game.state.Settings.UseCountMethod = 3;
  game.SetCounts(0, {3, 3, 3, 3});
  CountClustersForTurn(game.state, 0);
  CountClustersForTurn(game.state, 1);
  EXPECT_EQ(game.Planet(5)->LastOwnerName, "1");
  EXPECT_EQ(game.Planet(7)->LastOwnerName, "1");
  EXPECT_EQ(game.Planet(9)->LastOwnerName, "2");
  EXPECT_EQ(game.Planet(5)->OwnerState, osUnknownNow);

  // Turn 2: race_3 settles a fourth planet beside its home planets.
  TPlanet* colony = game.AddPlanet(20, 10300, TOwnerRef::Unknown());
  game.SetCounts(2, {3, 3, 4, 3});
  CountClustersForTurn(game.state, 2);
  for (TPlanet* p : {game.Planet(9), game.Planet(11), colony}) {
    EXPECT_EQ(p->Owner.Is(game.races[2]), true);
    EXPECT_EQ(p->LastOwnerName, "race_3");
    EXPECT_EQ(p->OwnerState, osUnknownNow);  // a guess, not a known owner
    EXPECT_EQ(p->OwnerTurn, 2);
  }
  // race_2 and race_4 share their history with race_1's cluster: labels only.
  EXPECT_EQ(game.Planet(6)->Owner.IsUnknown(), true);
  EXPECT_EQ(game.Planet(6)->LastOwnerName, "1");
  EXPECT_EQ(game.Planet(14)->LastOwnerName, "3");
  EXPECT_EQ(game.Planet(2)->LastOwnerName, "race_1");
  EXPECT_EQ(game.Planet(2)->OwnerState, osKnown);
  CountClustersForTurn(game.state, 3);  // the method ends
  colony->Owner = TOwnerRef::Unknown();
  CountClustersForTurn(game.state, 2);
  EXPECT_EQ(colony->Owner.IsUnknown(), true);
}

TEST(CountClustersTest, SecondHomeSizeGoesToAllButTheLastUnidentifiedPlanet) {
  ClusterGame game;
  game.state.Settings.turn0HabitedPlanetsSize = 1000;
  game.state.Settings.turn0HabitedPlanetsSize2nd = 250;
  CountClustersForTurn(game.state, 0);
  EXPECT_EQ(game.Planet(5)->Size, 250);
  EXPECT_EQ(game.Planet(6)->Size, 250);
  EXPECT_EQ(game.Planet(7)->Size, 0);
  // The user's planets keep the sizes the report gave.
  EXPECT_EQ(game.Planet(1)->Size, 1000);
  EXPECT_EQ(game.Planet(2)->Size, 300);
  CountClustersForTurn(game.state, 3);
}

TEST(CountClustersTest, DoesNotRunOffOrWithoutTurnZero) {
  ClusterGame off;
  off.state.Settings.UseCountMethod = 0;
  CountClustersForTurn(off.state, 0);
  EXPECT_EQ(off.Planet(5)->LastOwnerName, "");

  ClusterGame late;
  late.SetCounts(2, {3, 3, 3, 3});
  CountClustersForTurn(late.state, 2);
  EXPECT_EQ(late.Planet(5)->LastOwnerName, "");
}

// The counting outlives a call; a game read after another one at the same address must not
// meet the first game's planets (freed by then).
TEST(CountClustersTest, NextGameAtTheSameAddressStartsAfresh) {
  std::optional<ClusterGame> game;
  game.emplace();
  CountClustersForTurn(game->state, 0);
  game.reset();
  game.emplace(std::vector<std::string>{"race_1"});
  game->SetCounts(2, {3});
  CountClustersForTurn(game->state, 2);
  EXPECT_EQ(game->Planet(2)->LastOwnerName, "");
}

}  // namespace
}  // namespace tovix

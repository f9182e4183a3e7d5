#include "core/reports/report_passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/reports/group_store.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// A hand-made game: races, planets on the x axis, groups.
struct SmallGame {
  GameState state;

  TPlayer* Race(const std::string& name) {
    auto race = std::make_unique<TPlayer>(6);
    race->Name = name;
    TPlayer* r = race.get();
    state.Players.AddObject(LowerCase(name), std::move(race));
    return r;
  }
  TPlanet* Planet(const std::string& name, int32_t x, TOwnerRef owner = {}) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    planet->Owner = owner;
    return state.AddPlanet(LowerCase(name), std::move(planet), std::abs(x));
  }
  static TGroup* Group(TPlayer* race, TPlanet* planet, int32_t turn, float distance = 0,
                       int32_t ships = 1) {
    auto group = std::make_unique<TGroup>();
    group->Owner = race;
    group->Planet = planet;
    group->Turn = turn;
    group->Distance = distance;
    group->Ships = ships;
    group->BattleShips = ships;
    race->Groups.push_back(std::move(group));
    return race->Groups.back().get();
  }
};

// --- Pruning --------------------------------------------------------------------------------

enum class Watch { None, StandsNow, FliesNow, StoodEarlier };

struct PruneRow {
  const char* name;
  bool reportersPlanet;
  Watch reportersGroup;
  int32_t otherTurn;
  bool kept;
};

class PruneGroupsTest : public ::testing::TestWithParam<PruneRow> {};

TEST_P(PruneGroupsTest, GroupsNoLongerSeenWhereTheReportLooksGo) {
  const PruneRow& row = GetParam();
  SmallGame game;
  TPlayer* reporter = game.Race("Us");
  TPlayer* other = game.Race("Them");
  game.state.ReportPlayer = reporter;
  TPlanet* planet =
      game.Planet("P", 100, row.reportersPlanet ? TOwnerRef::Of(reporter) : TOwnerRef::Unknown());
  if (row.reportersGroup != Watch::None) {
    SmallGame::Group(reporter, planet, row.reportersGroup == Watch::StoodEarlier ? 5 : 6,
                     row.reportersGroup == Watch::FliesNow ? 3.0f : 0.0f);
  }
  SmallGame::Group(reporter, planet, 4);  // the reporter's own old groups are never pruned
  SmallGame::Group(other, planet, row.otherTurn);
  // Battles hold copies of their groups; pruning never reaches them.
  auto battle = std::make_unique<TBattle>(5, planet);
  battle->Groups.push_back(std::make_unique<TGroup>());
  battle->Groups.back()->Owner = other;
  game.state.Battles.AddObject("p\t5", std::move(battle));

  TGroupStore store;
  store.TakeFromModel(game.state);
  PruneGroups(game.state, store, 6);
  store.MoveToModel();
  EXPECT_EQ(other->Groups.size(), row.kept ? 1u : 0u);
  EXPECT_EQ(reporter->Groups.size(), row.reportersGroup == Watch::None ? 1u : 2u);
  EXPECT_EQ(game.state.Battles.Object(0)->Groups.at(0)->Owner, other);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PruneGroupsTest,
    ::testing::ValuesIn(std::vector<PruneRow>{
        {"GoneFromTheReportersPlanet", true, Watch::None, 5, false},
        {"SeenThisTurnStays", true, Watch::None, 6, true},
        {"GoneWhereTheReportersGroupStands", false, Watch::StandsNow, 5, false},
        {"GroupInFlightWatchesNothing", false, Watch::FliesNow, 5, true},
        // A group of the reporter that stood there last turn and has left since
        // used to prune; nobody watches the planet now, so the group stays.
        {"GroupOfEarlierTurnWatchesNothing", false, Watch::StoodEarlier, 5, true},
        {"UnwatchedPlanetKeepsGroups", false, Watch::None, 5, true}}),
    RowName<PruneRow>);

// The group store files groups by planet number; members, strangers and nullptr must be told
// apart however the addresses fall into the table's slots, and the table grows without
// renumbering.
TEST(PlanetNumbersTest, NumbersEachPlanetOnceInTheOrderAsked) {
  std::vector<std::unique_ptr<TPlanet>> planets;
  for (int i = 0; i < 300; ++i) planets.push_back(std::make_unique<TPlanet>());
  for (const size_t members : {size_t{0}, size_t{1}, size_t{7}, size_t{100}}) {
    TPlanetNumbers numbers;
    for (size_t i = 0; i < members; ++i) {
      ASSERT_EQ(numbers.NumberOf(planets[i * 3].get()), i);
      ASSERT_EQ(numbers.NumberOf(planets[0].get()), 0u);  // twice is once
    }
    EXPECT_EQ(numbers.Find(nullptr), -1);
    EXPECT_EQ(numbers.NumberOf(nullptr), members);
    for (size_t i = 0; i < planets.size(); ++i) {
      const bool member = i % 3 == 0 && i / 3 < members;
      EXPECT_EQ(numbers.Find(planets[i].get()), member ? static_cast<int64_t>(i / 3) : -1)
          << members << " members, planet " << i;
    }
    EXPECT_EQ(numbers.Find(nullptr), static_cast<int64_t>(members));
    EXPECT_EQ(numbers.Count(), members + 1);
  }
}

// --- Ships in production --------------------------------------------------------------------

TEST(CountShipsInProductionTest, CountsShipsPresentAndThoseWithCurrentTechnology) {
  SmallGame game;
  TPlayer* user = game.Race("Us");
  game.state.MainPlayer = user;
  game.state.LastTurn = 5;
  user->SetDrive(4, 1.5f);
  user->SetCargo(4, 1.2f);
  user->SetDrive(5, 2.0f);  // the levels of the turn before the last count
  auto design = [&](const char* name, float drive, float shields, float cargo) {
    auto type = std::make_unique<TShipType>(name, TGameType::NG);
    type->Drive = drive;
    type->Shields = shields;
    type->Cargo = cargo;
    return user->AddShipType(std::move(type));
  };
  TShipType* drone = design("Drone", 1, 0, 0);
  TShipType* hauler = design("Hauler", 2, 0, 1);
  TShipType* odd = design("Odd", 1, -1, 0);
  TPlanet* home = game.Planet("Home", 0);
  TPlanet* away = game.Planet("Away", 500);
  auto add = [&](TShipType* type, TPlanet* at, int32_t ships, float drive, float cargo,
                 float distance = 0) {
    TGroup* g = SmallGame::Group(user, at, 5, distance, ships);
    g->ShipType = type;
    g->DriveTech = drive;
    g->CargoTech = cargo;
  };
  add(drone, home, 3, 1.5f, 0.5f);
  add(drone, home, 2, 1.0f, 1);
  add(drone, home, 4, 2.0f, 1);
  add(drone, home, 5, 1.5f, 1, 3);  // on its way home
  add(drone, away, 7, 1.5f, 1);
  add(hauler, home, 1, 1.5f, 1.0f);
  add(hauler, home, 2, 1.5f, 1.2f);
  add(odd, home, 6, 1.5f, 1);
  const std::vector<std::pair<std::string, std::string>> entries{{"home", "drone"},
                                                                 {"Home", "Hauler"},
                                                                 {"Home", "Odd"},
                                                                 {"Nowhere", "Drone"},
                                                                 {"Home", "Unknown"}};
  for (const auto& [planet, type] : entries) {
    game.state.ShipsInProduction.push_back(std::make_unique<TShipInProduction>());
    game.state.ShipsInProduction.back()->PlanetName = planet;
    game.state.ShipsInProduction.back()->ShipTypeName = type;
  }
  CountShipsInProduction(game.state);
  std::vector<std::pair<int32_t, int32_t>> counts;  // present, up to date
  for (const auto& entry : game.state.ShipsInProduction) {
    counts.emplace_back(entry->ShipsPresent, entry->ShipsUpToDate);
  }
  EXPECT_EQ(counts,
            (std::vector<std::pair<int32_t, int32_t>>{{9, 3}, {3, 2}, {6, 0}, {0, 0}, {0, 0}}));
}

// --- Character map --------------------------------------------------------------------------

const std::string kFrame(80, '-');

// A report piece with a map from (10, 20) to (170, 60) units: columns 2 units, 4 rows of 10.
std::string MapText(std::vector<std::string> rows, const std::string& eol = "\n",
                    const std::string& top = "10.00,20.00  170.00,20.00",
                    const std::string& bottom = "10.00,60.00  170.00,60.00") {
  std::string text = "\t\tMap" + eol + top + eol + kFrame + eol;
  for (const std::string& row : rows) text += row + eol;
  return text + kFrame + eol + bottom + eol + eol + "\t\tYour Planets" + eol;
}

struct MapRow {
  const char* name;
  std::string text;
  std::vector<TTracks> expected;  // turn 7, Y, X, flag 0
};

class ReadMapTracksTest : public ::testing::TestWithParam<MapRow> {};

TEST_P(ReadMapTracksTest, EveryDashIsAPoint) {
  GameState state;
  ReadMapTracks(state, GetParam().text, 7);
  EXPECT_EQ(state.Tracks, GetParam().expected);
}

const std::vector<std::string> kRows{"-", "   -   o", "", std::string(79, ' ') + "-"};
const std::vector<TTracks> kPoints{{7, 2500, 1100, 0}, {7, 3500, 1700, 0}, {7, 5500, 16900, 0}};

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadMapTracksTest,
    ::testing::ValuesIn(std::vector<MapRow>{
        {"MarksInMapUnits", MapText(kRows), kPoints},
        {"CrLfLines", MapText(kRows, "\r\n"), kPoints},
        {"CrLines", MapText(kRows, "\r"), kPoints},
        // A tab goes on to the next multiple of 8: after 8 characters to column 16 (from 0).
        {"TabsToStopsOfEight",
         MapText({"xxxxxxxx\t-", "\t-", "xxxxxxx\t-", ""}),
         {{7, 2500, 4300, 0}, {7, 3500, 2700, 0}, {7, 4500, 2700, 0}}},
        // Corners (-10, -5) and (70, 35); a lone "-" or "." reads as 0 and still counts.
        {"NegativeCornersAndLoneSigns",
         MapText({"-"}, "\n", "-10.00,-5.00", "- . 70.00,35.00"),
         {{7, 1500, -1000, 0}}},
        {"NoMap", "\t\tYour Planets\nP 1 2\n", {}},
        {"SingleFrameLine", "0,0 10,10\n" + kFrame + "\n-\n-\n", {}},
        {"FrameWithoutRows", MapText({}), {}},
        {"FrameOnTheFirstLine", kFrame + "\n-\n" + kFrame + "\n0 0 80 10\n", {}},
        {"NothingBelowTheFrame", "0 0\n" + kFrame + "\n-\n" + kFrame, {}},
        {"FrameOf79Dashes", "0 0\n" + kFrame.substr(1) + "\n-\n" + kFrame.substr(1) + "\n0", {}}}),
    RowName<MapRow>);

// --- Group tracks ---------------------------------------------------------------------------

struct GroupTrackRow {
  const char* name;
  TGameType type;
  TMapType map;
  int32_t fromX, toX;
  float distance;
  int32_t groupTurn;
  std::vector<int32_t> expectedX;
};

class AddGroupTracksTest : public ::testing::TestWithParam<GroupTrackRow> {};

TEST_P(AddGroupTracksTest, PointLiesOnTheWayFlown) {
  const GroupTrackRow& row = GetParam();
  SmallGame game;
  game.state.Settings.GameType = row.type;
  game.state.Settings.MapType = row.map;
  game.state.Settings.MapSize = 100;
  TPlayer* user = game.Race("Us");
  game.state.MainPlayer = user;
  TGroup* group = SmallGame::Group(user, game.Planet("To", row.toX), row.groupTurn, row.distance);
  group->Origin = game.Planet("From", row.fromX);
  SmallGame::Group(user, group->Origin, 5);  // standing: no point
  AddGroupTracks(game.state, 5);
  std::vector<int32_t> xs;
  for (const TTracks& t : game.state.Tracks) {
    EXPECT_EQ(t.FromGroup, 1);
    EXPECT_EQ(t.Y, 0);
    xs.push_back(t.X);
  }
  EXPECT_EQ(xs, row.expectedX);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AddGroupTracksTest,
    ::testing::ValuesIn(std::vector<GroupTrackRow>{
        {"Midway", TGameType::NG, TMapType::Normal, 0, 10000, 50, 5, {5000}},
        // Across the edge of a wrapping map the way is 200, not 9800; three quarters of it lie
        // beyond the edge at x 99.50, not in the middle of the map.
        {"SphericalShortWayRound", TGameType::NG, TMapType::Spherical, 100, 9900, 0.5f, 5, {9950}},
        {"SphericalMidwayOnTheEdge", TGameType::NG, TMapType::Spherical, 100, 9900, 1, 5, {0}},
        {"OtherVariantsDoNotWrap", TGameType::NT, TMapType::Spherical, 100, 9900, 49, 5, {5000}},
        {"SamePlaceHasNoWay", TGameType::NG, TMapType::Normal, 700, 700, 2, 5, {}},
        {"LeftBeyondTheWayStaysAtOrigin", TGameType::NG, TMapType::Normal, 0, 10000, 200, 5, {0}},
        {"OtherTurn", TGameType::NG, TMapType::Normal, 0, 10000, 50, 4, {}}}),
    RowName<GroupTrackRow>);

// --- Merging --------------------------------------------------------------------------------

struct MergeInput {
  int planet;  // 0 or 1
  int32_t number;
  const char* fleet;
};

struct MergeRow {
  const char* name;
  bool usersRace;
  std::vector<MergeInput> groups;
  std::vector<size_t> remaining;  // indexes into groups
};

class MergeGroupsTest : public ::testing::TestWithParam<MergeRow> {};

TEST_P(MergeGroupsTest, GroupsReadTwiceBecomeOne) {
  const MergeRow& row = GetParam();
  SmallGame game;
  TPlayer* race = game.Race("Them");
  if (row.usersRace) game.state.MainPlayer = race;
  TPlanet* planets[2] = {game.Planet("A", 0), game.Planet("B", 100)};
  std::vector<const TGroup*> made;
  for (const MergeInput& input : row.groups) {
    TGroup* g = SmallGame::Group(race, planets[input.planet], 3, 0, 2);
    g->GroupNumber = input.number;
    g->FleetName = input.fleet;
    made.push_back(g);
  }
  MergeGroups(game.state);
  std::vector<const TGroup*> expected;
  for (size_t i : row.remaining) expected.push_back(made[i]);
  std::vector<const TGroup*> left;
  for (const auto& g : race->Groups) left.push_back(g.get());
  EXPECT_EQ(left, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MergeGroupsTest,
    ::testing::ValuesIn(std::vector<MergeRow>{
        {"PairKeepsTheLater", false, {{0, 0, ""}, {0, 0, ""}}, {1}},
        {"FirstInAFleetBothStay", false, {{0, 0, "F"}, {0, 0, ""}}, {0, 1}},
        {"SecondInAFleetKeepsIt", false, {{0, 0, ""}, {0, 0, "F"}}, {1}},
        {"TripleLeavesOne", false, {{0, 0, ""}, {0, 0, ""}, {0, 0, ""}}, {2}},
        {"OtherPlanetStays", false, {{0, 0, ""}, {1, 0, ""}}, {0, 1}},
        {"UsersGroupsFromAlliesGo", true, {{0, 0, ""}, {0, 7, ""}}, {1}},
        {"UsersGroupReadTwiceBecomesOne", true, {{0, 5, ""}, {0, 5, "F"}}, {1}},
        // Two of the user's groups with different numbers but equal figures were taken for one
        // group read twice and one of them vanished; both are real groups and stay.
        {"UsersLookalikeGroupsStay", true, {{0, 5, ""}, {0, 6, ""}}, {0, 1}}}),
    RowName<MergeRow>);

// Names that hold the key's marks ("$", "%", "#") merge as any other: a group read twice
// becomes one, and groups that differ, in planet or design or ships, stay.
TEST(MergeGroupsTest, NamesWithTheKeysMarksMergeAsOthers) {
  for (const char* name : {"Alpha", "Al$pha", "Al%pha", "#12", "alpha"}) {
    SmallGame game;
    TPlayer* race = game.Race("Them");
    TPlanet* planet = game.Planet(name, 0);
    TPlanet* other = game.Planet("Other", 100);
    TShipType design(name, TGameType::NG);
    std::vector<const TGroup*> made;
    for (const auto& [where, ships] : std::vector<std::pair<TPlanet*, int32_t>>{
             {planet, 2}, {planet, 2}, {other, 2}, {planet, 3}}) {
      TGroup* group = SmallGame::Group(race, where, 3, 0, ships);
      group->ShipType = &design;
      made.push_back(group);
    }
    MergeGroups(game.state);
    std::vector<const TGroup*> left;
    for (const auto& g : race->Groups) left.push_back(g.get());
    EXPECT_EQ(left, (std::vector<const TGroup*>{made[1], made[2], made[3]})) << name;
  }
}

// A group known from a battle and listed by a group table of the same turn was counted twice
// (28 + 31 ships where 31 exist): the table's row stands for it. Survivors of another design,
// planet or turn stay.
TEST(MergeGroupsTest, GroupTableRowStandsForTheBattleSurvivor) {
  SmallGame game;
  TPlayer* race = game.Race("Them");
  TPlanet* a = game.Planet("A", 0);
  TPlanet* b = game.Planet("B", 100);
  TShipType cruiser("Cruiser", TGameType::NG);
  TShipType drone("Drone", TGameType::NG);
  const auto survivor = [&](TPlanet* planet, TShipType* design, int32_t turn) {
    TGroup* group = SmallGame::Group(race, planet, turn, 0, 28);
    group->FromBattle = 1;
    group->ShipType = design;
    return group;
  };
  survivor(a, &cruiser, 3);  // counted twice
  const TGroup* otherDesign = survivor(a, &drone, 3);
  const TGroup* otherPlanet = survivor(b, &cruiser, 3);
  const TGroup* earlier = survivor(a, &cruiser, 2);
  TGroup* listed = SmallGame::Group(race, a, 3, 0, 31);
  listed->ShipType = &cruiser;
  listed->GroupNumber = 4;
  MergeGroups(game.state);
  std::vector<const TGroup*> left;
  for (const auto& g : race->Groups) left.push_back(g.get());
  EXPECT_EQ(left, (std::vector<const TGroup*>{otherDesign, otherPlanet, earlier, listed}));
}

// --- The group store ------------------------------------------------------------------------

// Records and groups that came as objects keep the order they were added in, through removals,
// a race cleared in between and the groups the model held before; a record becomes the group a
// group table's row made before the store existed: track, arrival and fleet included.
TEST(GroupStoreTest, KeepsTheOrderAndMakesTheGroupsOfRecords) {
  SmallGame game;
  TPlayer* us = game.Race("Us");
  TPlayer* them = game.Race("Them");
  TPlanet* home = game.Planet("Home", 100);
  TPlanet* away = game.Planet("Away", 2000);
  auto design = std::make_unique<TShipType>("Hauler", TGameType::NG);
  design->Drive = 10;
  TShipType* hauler = us->AddShipType(std::move(design));

  auto before = std::make_unique<TGroup>();
  before->Planet = home;
  before->Owner = them;
  before->Turn = 1;
  them->Groups.push_back(std::move(before));

  TGroupStore store;
  store.TakeFromModel(game.state);
  EXPECT_TRUE(them->Groups.empty());
  const auto record = [&](int32_t ships, float distance) {
    TGroupRecord r;
    r.Ships = ships;
    r.Distance = distance;
    r.ShipType = hauler;
    r.DriveTech = 1;
    return r;
  };
  store.Add(*them, TGroupKey{away, 2, false, true}, record(2, 0));
  auto battle = std::make_unique<TGroup>();
  battle->Planet = home;
  battle->Owner = them;
  battle->Turn = 2;
  battle->FromBattle = 1;
  store.Add(*them, std::move(battle));
  store.Add(*them, TGroupKey{home, 2, false, true}, record(3, 0));
  store.RemoveIf(*them, [&](const TGroupKey& key) { return key.Planet == away; });

  store.Add(*us, TGroupKey{home, 2, false, true}, record(7, 0));
  store.Clear(*us);
  TGroupRecord flying = record(5, 10);
  flying.Origin = home;
  flying.Fleet = store.FleetName("Armada");
  flying.FleetSpeed = 4;
  EXPECT_EQ(store.FleetName("Armada"), flying.Fleet);
  EXPECT_EQ(store.FleetName(""), 0u);
  store.Add(*us, TGroupKey{away, 2, false, false}, flying);
  int standing = 0;
  store.ForEachKey(*them, [&](const TGroupKey& key) { standing += key.Standing ? 1 : 0; });
  EXPECT_EQ(standing, 3);  // the model's group, the battle's and the record at home
  store.MoveToModel();

  ASSERT_EQ(them->Groups.size(), 3u);
  EXPECT_EQ(them->Groups[0]->Turn, 1);
  EXPECT_EQ(them->Groups[1]->FromBattle, 1);
  EXPECT_EQ(them->Groups[2]->Ships, 3);
  EXPECT_EQ(them->Groups[2]->BattleShips, 3);
  EXPECT_EQ(them->Groups[2]->Owner, them);
  EXPECT_EQ(them->Groups[2]->TrackFrom, home);
  EXPECT_EQ(them->Groups[2]->ETA, 0);
  ASSERT_EQ(us->Groups.size(), 1u);
  const TGroup& group = *us->Groups[0];
  EXPECT_EQ(group.Planet, away);
  EXPECT_EQ(group.Turn, 2);
  EXPECT_EQ(group.FleetName, "Armada");
  EXPECT_EQ(group.FleetSpeed, 4);
  EXPECT_EQ(group.TrackFrom, home);
  EXPECT_EQ(group.TrackTo, away);
  EXPECT_EQ(group.ETA, 3);  // 10 units at the fleet's speed of 4
}

// The store against a plain list of what was added and what is left, through enough removals
// that it compacts itself several times: records, rows waiting for their figures and objects,
// removal by planet, by race and whole races, and the rows' figures read a few texts late.
TEST(GroupStoreTest, AgreesWithAPlainListThroughManyRemovals) {
  SmallGame game;
  std::vector<TPlayer*> races;
  for (const char* name : {"A", "B", "C", "D"}) races.push_back(game.Race(name));
  std::vector<TPlanet*> planets;
  for (int i = 0; i < 40; ++i) planets.push_back(game.Planet("P" + std::to_string(i), i * 10));

  struct Added {
    TPlayer* race;
    TGroupKey key;
    int32_t id;
    bool alive;
    uint32_t waitsOnText;  // UINT32_MAX: has its figures
  };
  std::vector<Added> added;
  TGroupStore store;
  std::mt19937 random(20261207);
  const auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  uint32_t text = 0;
  int32_t turn = 0;
  const auto readFigures = [](TGroupRecord& record, const TDeferredRow& row) {
    record.Ships = static_cast<int32_t>(row.From);
  };
  for (int step = 0; step < 60000; ++step) {
    const size_t what = pick(100);
    TPlayer* race = races[pick(races.size())];
    TPlanet* planet = planets[pick(planets.size())];
    if (what < 70) {
      const TGroupKey key{planet, turn, false, pick(2) == 0};
      const auto id = static_cast<int32_t>(added.size());
      added.push_back({race, key, id, true, what < 40 ? text : UINT32_MAX});
      if (what < 40) {
        TGroupRecord record;
        store.AddDeferred(*race, store.PlanetNumber(planet), key, record,
                          TDeferredRow{text, static_cast<uint32_t>(id), 0, 0});
      } else if (what < 65) {
        TGroupRecord record;
        record.Ships = id;
        store.Add(*race, key, record);
      } else {
        TGroup* group = SmallGame::Group(race, planet, turn, key.Standing ? 0.0f : 1.0f, id);
        std::unique_ptr<TGroup> object = std::move(race->Groups.back());
        race->Groups.pop_back();
        store.Add(*race, std::move(object));
        EXPECT_NE(group, nullptr);
      }
    } else if (what < 85) {
      store.RemoveAt(planet, [&](const TPlayer& r, const TGroupKey& key) {
        return &r != race && key.Turn < turn;
      });
      for (Added& a : added) {
        if (a.alive && a.key.Planet == planet && a.race != race && a.key.Turn < turn)
          a.alive = false;
      }
    } else if (what < 92) {
      store.RemoveIf(*race, [&](const TGroupKey& key) { return key.Planet == planet; });
      for (Added& a : added) {
        if (a.alive && a.race == race && a.key.Planet == planet) a.alive = false;
      }
    } else if (what < 93) {
      store.Clear(*race);
      for (Added& a : added) {
        if (a.race == race) a.alive = false;
      }
    } else if (what < 98) {
      ++text;
      if (text > 3) {
        store.ReadDeferred(text - 3, readFigures);
        for (Added& a : added) {
          if (a.waitsOnText <= text - 3) a.waitsOnText = UINT32_MAX;
        }
        EXPECT_EQ(store.DeferredCount(),
                  static_cast<size_t>(std::count_if(added.begin(), added.end(), [](const Added& a) {
                    return a.alive && a.waitsOnText != UINT32_MAX;
                  })));
      }
    } else {
      ++turn;
      int counted = 0;
      store.ForEachKey(*race, [&](const TGroupKey&) { ++counted; });
      EXPECT_EQ(counted, std::count_if(added.begin(), added.end(),
                                       [&](const Added& a) { return a.alive && a.race == race; }));
    }
  }
  store.ReadDeferred(UINT32_MAX, readFigures);
  EXPECT_EQ(store.DeferredCount(), 0u);
  store.MoveToModel();
  for (TPlayer* race : races) {
    std::vector<int32_t> expected;
    for (const Added& a : added) {
      if (a.alive && a.race == race) expected.push_back(a.id);
    }
    std::vector<int32_t> left;
    for (const auto& group : race->Groups) left.push_back(group->Ships);
    EXPECT_EQ(left, expected) << race->Name;
  }
}

// --- The real game Orion -------------------------------------------------------------------

// Orion numbers its planets race by race, 17 to a race, home planets first: the turn-0 report
// alone gives every unidentified home planet its race and the sizes of A's home planets.
TEST(OrionTurnZeroTest, HomePlanetsGoToTheirRaces) {
  const std::filesystem::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  test::TempDir single;
  std::filesystem::copy_file(orion / "A000.txt", single / "A000.txt");
  GameState state;
  state.Settings.GameType = TGameType::NG;
  state.Settings.MapSize = 150;
  state.Settings.spelD = (single.path() / "%1s%0.03d.txt").string();
  state.Settings.spelC = "A";
  SetReportLayout(state.Layout, TGameType::NG);
  test::RecordingUserInterface ui;
  TReportReader reader(state, ui, single.path());
  ASSERT_TRUE(reader.LoadAllReports());
  int inhabited = 0;
  for (auto [key, planet] : state.Planets) {
    if (planet->Owner.IsNone()) continue;
    ++inhabited;
    const int32_t race = (planet->Number - 1) / 17 + 1;
    ASSERT_NE(planet->Owner.Player(), nullptr) << planet->Name;
    EXPECT_EQ(planet->Owner.Player()->Name, "race_" + std::to_string(race)) << planet->Name;
    EXPECT_EQ(planet->Size, (planet->Number - 1) % 17 == 0 ? 1000 : 300) << planet->Name;
  }
  EXPECT_EQ(inhabited, 30);
}

}  // namespace
}  // namespace tovix

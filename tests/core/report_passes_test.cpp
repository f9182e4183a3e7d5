#include "core/report_passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/game_settings.h"
#include "core/report_layout.h"
#include "core/report_reader.h"
#include "core/str_utils.h"
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

  PruneGroups(game.state, 6);
  EXPECT_EQ(other->Groups.size(), row.kept ? 1u : 0u);
  EXPECT_EQ(reporter->Groups.size(), row.reportersGroup == Watch::None ? 1u : 2u);
  EXPECT_EQ(game.state.Battles.Object(0)->Groups.at(0)->Owner, other);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PruneGroupsTest,
    ::testing::Values(
        PruneRow{"GoneFromTheReportersPlanet", true, Watch::None, 5, false},
        PruneRow{"SeenThisTurnStays", true, Watch::None, 6, true},
        PruneRow{"GoneWhereTheReportersGroupStands", false, Watch::StandsNow, 5, false},
        PruneRow{"GroupInFlightWatchesNothing", false, Watch::FliesNow, 5, true},
        // A group of the reporter that stood there last turn and has left since
        // used to prune; nobody watches the planet now, so the group stays.
        PruneRow{"GroupOfEarlierTurnWatchesNothing", false, Watch::StoodEarlier, 5, true},
        PruneRow{"UnwatchedPlanetKeepsGroups", false, Watch::None, 5, true}),
    RowName<PruneRow>);

// --- Ships in production --------------------------------------------------------------------

// The prune tests every group of the game against a planet set; members, strangers and
// nullptr must be told apart however the addresses fall into the table's slots.
TEST(PlanetSetTest, HoldsExactlyItsPlanets) {
  std::vector<std::unique_ptr<TPlanet>> planets;
  for (int i = 0; i < 300; ++i) planets.push_back(std::make_unique<TPlanet>());
  for (const size_t members : {size_t{0}, size_t{1}, size_t{7}, size_t{100}}) {
    std::vector<const TPlanet*> chosen;
    for (size_t i = 0; i < members; ++i) chosen.push_back(planets[i * 3].get());
    if (members > 0) chosen.push_back(chosen.front());  // twice is once
    const TPlanetSet set(chosen);
    for (size_t i = 0; i < planets.size(); ++i) {
      EXPECT_EQ(set.Contains(planets[i].get()), i % 3 == 0 && i / 3 < members)
          << members << " members, planet " << i;
    }
    EXPECT_FALSE(set.Contains(nullptr));
  }
}

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
  struct Expect {
    const char* planet;
    const char* type;
    int32_t present, upToDate;
  };
  const std::vector<Expect> expected{{"home", "drone", 9, 3},
                                     {"Home", "Hauler", 3, 2},
                                     {"Home", "Odd", 6, 0},
                                     {"Nowhere", "Drone", 0, 0},
                                     {"Home", "Unknown", 0, 0}};
  for (const Expect& e : expected) {
    auto entry = std::make_unique<TShipInProduction>();
    entry->PlanetName = e.planet;
    entry->ShipTypeName = e.type;
    game.state.ShipsInProduction.push_back(std::move(entry));
  }
  CountShipsInProduction(game.state);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(game.state.ShipsInProduction[i]->ShipsPresent, expected[i].present) << i;
    EXPECT_EQ(game.state.ShipsInProduction[i]->ShipsUpToDate, expected[i].upToDate) << i;
  }
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
    ::testing::Values(
        MapRow{"MarksInMapUnits", MapText(kRows), kPoints},
        MapRow{"CrLfLines", MapText(kRows, "\r\n"), kPoints},
        MapRow{"CrLines", MapText(kRows, "\r"), kPoints},
        // A tab goes on to the next multiple of 8: after 8 characters to column 16 (from 0).
        MapRow{"TabsToStopsOfEight",
               MapText({"xxxxxxxx\t-", "\t-", "xxxxxxx\t-", ""}),
               {{7, 2500, 4300, 0}, {7, 3500, 2700, 0}, {7, 4500, 2700, 0}}},
        // Corners (-10, -5) and (70, 35); a lone "-" or "." reads as 0 and still counts.
        MapRow{"NegativeCornersAndLoneSigns",
               MapText({"-"}, "\n", "-10.00,-5.00", "- . 70.00,35.00"),
               {{7, 1500, -1000, 0}}},
        MapRow{"NoMap", "\t\tYour Planets\nP 1 2\n", {}},
        MapRow{"SingleFrameLine", "0,0 10,10\n" + kFrame + "\n-\n-\n", {}},
        MapRow{"FrameWithoutRows", MapText({}), {}},
        MapRow{"FrameOnTheFirstLine", kFrame + "\n-\n" + kFrame + "\n0 0 80 10\n", {}},
        MapRow{"NothingBelowTheFrame", "0 0\n" + kFrame + "\n-\n" + kFrame, {}},
        MapRow{"FrameOf79Dashes",
               "0 0\n" + kFrame.substr(1) + "\n-\n" + kFrame.substr(1) + "\n0",
               {}}),
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
    ::testing::Values(
        GroupTrackRow{"Midway", TGameType::NG, TMapType::Normal, 0, 10000, 50, 5, {5000}},
        // Across the edge of a wrapping map the way is 200, not 9800; three quarters of it lie
        // beyond the edge at x 99.50, not in the middle of the map.
        GroupTrackRow{"SphericalShortWayRound",
                      TGameType::NG,
                      TMapType::Spherical,
                      100,
                      9900,
                      0.5f,
                      5,
                      {9950}},
        GroupTrackRow{
            "SphericalMidwayOnTheEdge", TGameType::NG, TMapType::Spherical, 100, 9900, 1, 5, {0}},
        GroupTrackRow{
            "OtherVariantsDoNotWrap", TGameType::NT, TMapType::Spherical, 100, 9900, 49, 5, {5000}},
        GroupTrackRow{"SamePlaceHasNoWay", TGameType::NG, TMapType::Normal, 700, 700, 2, 5, {}},
        GroupTrackRow{"LeftBeyondTheWayStaysAtOrigin",
                      TGameType::NG,
                      TMapType::Normal,
                      0,
                      10000,
                      200,
                      5,
                      {0}},
        GroupTrackRow{"OtherTurn", TGameType::NG, TMapType::Normal, 0, 10000, 50, 4, {}}),
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
    ::testing::Values(
        MergeRow{"PairKeepsTheLater", false, {{0, 0, ""}, {0, 0, ""}}, {1}},
        MergeRow{"FirstInAFleetBothStay", false, {{0, 0, "F"}, {0, 0, ""}}, {0, 1}},
        MergeRow{"SecondInAFleetKeepsIt", false, {{0, 0, ""}, {0, 0, "F"}}, {1}},
        MergeRow{"TripleLeavesOne", false, {{0, 0, ""}, {0, 0, ""}, {0, 0, ""}}, {2}},
        MergeRow{"OtherPlanetStays", false, {{0, 0, ""}, {1, 0, ""}}, {0, 1}},
        MergeRow{"UsersGroupsFromAlliesGo", true, {{0, 0, ""}, {0, 7, ""}}, {1}},
        MergeRow{"UsersGroupReadTwiceBecomesOne", true, {{0, 5, ""}, {0, 5, "F"}}, {1}},
        // Two of the user's groups with different numbers but equal figures were taken for one
        // group read twice and one of them vanished; both are real groups and stay.
        MergeRow{"UsersLookalikeGroupsStay", true, {{0, 5, ""}, {0, 6, ""}}, {0, 1}}),
    RowName<MergeRow>);

// --- The game Orion read as A with the allies B and C ---------------------------------------

namespace fs = std::filesystem;

constexpr int kOrionLastTurn = 25;

std::vector<std::string> FileLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::istringstream in(test::ReadFileBytes(file));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class OrionPassesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path source = test::ReportsDir("orion");
    if (source.empty()) return;
    folder_ = new test::TempDir();
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (e.is_regular_file() && name.size() == 8 &&
          std::string_view("ABC").find(name[0]) != std::string_view::npos) {
        fs::copy_file(e.path(), folder_->path() / name);
      }
    }
    state_ = new GameState();
    state_->Settings.GameType = TGameType::NG;
    state_->Settings.MapSize = 150;
    state_->Settings.spelD = (folder_->path() / "%1s%0.03d.txt").string();
    state_->Settings.spelC = "ABC";
    SetReportLayout(state_->Layout, TGameType::NG);
    test::RecordingUserInterface ui;
    TReportReader reader(*state_, ui, folder_->path());
    loaded_ = reader.LoadAllReports();
  }
  static void TearDownTestSuite() {
    delete state_;
    delete folder_;
    state_ = nullptr;
    folder_ = nullptr;
  }
  void SetUp() override {
    if (!state_) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    ASSERT_TRUE(loaded_);
    ASSERT_EQ(state_->LastTurn, kOrionLastTurn);
  }
  static fs::path Report(int turn) {
    return folder_->path() / FormatReportName("%1s%0.03d.txt", 'A', turn);
  }

  static test::TempDir* folder_;
  static GameState* state_;
  static bool loaded_;
};

test::TempDir* OrionPassesTest::folder_ = nullptr;
GameState* OrionPassesTest::state_ = nullptr;
bool OrionPassesTest::loaded_ = false;

// Orion numbers its planets race by race, 17 to a race, home planets first: the turn-0 report
// alone gives every unidentified home planet its race and the sizes of A's home planets.
TEST_F(OrionPassesTest, TurnZeroHomePlanetsGoToTheirRaces) {
  test::TempDir single;
  fs::copy_file(Report(0), single / "A000.txt");
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

// The expected points come straight from A's maps: the Orion maps span 0..150 in both
// directions over 80 columns and 40 rows, and have no tabs.
TEST_F(OrionPassesTest, MapTracksAreTheDashesOfTheLastTwoMaps) {
  for (int turn : {kOrionLastTurn - 1, kOrionLastTurn}) {
    const std::vector<std::string> lines = FileLines(Report(turn));
    const auto first = std::find(lines.begin(), lines.end(), kFrame);
    ASSERT_NE(first, lines.end());
    const auto last = std::find(first + 1, lines.end(), kFrame);
    ASSERT_EQ(last - first, 41);
    ASSERT_EQ(*(first - 1), "0.00,0.00  150.00,0.00");
    ASSERT_EQ(*(last + 1), "0.00,150.00  150.00,150.00");
    std::multiset<std::pair<int32_t, int32_t>> expected;
    for (int row = 0; row < 40; ++row) {
      const std::string& text = *(first + 1 + row);
      for (size_t c = 0; c < text.size(); ++c) {
        if (text[c] != '-') continue;
        expected.emplace(static_cast<int32_t>(std::nearbyint((c + 0.5) * 150.0 / 80) * 100),
                         static_cast<int32_t>(std::nearbyint((row + 0.5) * 150.0 / 40) * 100));
      }
    }
    std::multiset<std::pair<int32_t, int32_t>> read;
    for (const TTracks& t : state_->Tracks) {
      if (t.Turn == turn && t.FromGroup == 0) read.emplace(t.X, t.Y);
    }
    EXPECT_GT(expected.size(), 100u);
    EXPECT_EQ(read, expected) << "turn " << turn;
  }
}

TEST_F(OrionPassesTest, NoRaceHoldsOneGroupTwice) {
  for (auto [key, race] : state_->Players) {
    std::map<std::string, int> keys;
    for (const auto& g : race->Groups) ++keys[MergeGroupKey(*g)];
    for (const auto& [k, n] : keys) EXPECT_EQ(n, 1) << race->Name << ": " << k;
  }
}

// The numbers of A's last "Your Groups" table and fleet tables, each once in the model.
TEST_F(OrionPassesTest, EachOfTheUsersLastGroupsStaysOnce) {
  const std::vector<std::string> lines = FileLines(Report(kOrionLastTurn));
  std::vector<int32_t> expected;
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    const bool table = lines[i] == "\t\tYour Groups" || lines[i].rfind("\t\tFleet ", 0) == 0;
    if (!table || lines[i + 2].rfind("G ", 0) != 0) continue;  // not inside a battle
    for (size_t k = i + 3; k < lines.size() && !Trim(lines[k]).empty(); ++k) {
      expected.push_back(FirstIntInStr(lines[k]));
    }
  }
  std::vector<int32_t> read;
  const TPlayer* user = state_->MainPlayer;
  ASSERT_NE(user, nullptr);
  for (const auto& g : user->Groups) {
    EXPECT_EQ(g->Turn, kOrionLastTurn);
    read.push_back(g->GroupNumber);
  }
  std::sort(expected.begin(), expected.end());
  std::sort(read.begin(), read.end());
  EXPECT_GT(expected.size(), 100u);
  EXPECT_EQ(read, expected);
}

}  // namespace
}  // namespace tovix

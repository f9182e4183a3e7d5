// The bundled sample game (samples/demo, written by scripts/make_demo_game.py) read the way
// ./run.sh opens it: the user's race A with the allies B and C. The expected counts are the
// ones the generator writes into samples/demo/README.md; regenerating the sample with other
// figures means updating them here too.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/game_settings.h"
#include "core/game_state.h"
#include "core/game_variant.h"
#include "core/report_reader.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

constexpr int kLastTurn = 11;
constexpr int kRaces = 7;
constexpr int kPlanets = 70;
constexpr int kBattles = 23;
constexpr int kBombings = 5;
constexpr int kIncomingGroups = 8;
constexpr int kRoutes = 7;
constexpr int kShipsInProduction = 2;
constexpr int kOwnGroups = 15;
constexpr int kOwnPlanets = 8;
constexpr int kMapTrackPoints = 17;
constexpr int kGroupTrackPoints = 2;

fs::path DemoDir() {
  return test::SamplesDir() / "demo";
}

// "%" in a folder name must not be taken for a directive of the report pattern.
std::string EscapePercent(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// One load of the whole sample, shared by the tests below.
struct DemoLoad {
  test::TempDir programDir;
  GameState state;
  test::RecordingUserInterface ui;
  std::unique_ptr<TReportReader> reader;
  bool settingsRead = false;
  bool loaded = false;
};

class DemoGameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    load_ = std::make_unique<DemoLoad>();
    {
      // No "GameType": the reader recognises the variant and writes it back, as on a first run.
      std::ofstream ini(load_->programDir / "Tovix.ini", std::ios::binary);
      ini << "[RUN]\ngame=1\n\n[1]\nName=Meridian\nspelD=" << EscapePercent(DemoDir().string())
          << "/%1s%0.03d.txt\nspelC=ABC\nMapType=Normal\nMapSize=120\n";
    }
    load_->settingsRead =
        ReadGameSettings(load_->programDir.path(), {}, load_->state.Settings, load_->state.Layout);
    load_->reader =
        std::make_unique<TReportReader>(load_->state, load_->ui, load_->programDir.path());
    if (load_->settingsRead) load_->loaded = load_->reader->LoadAllReports();
  }
  static void TearDownTestSuite() { load_.reset(); }

  GameState& State() { return load_->state; }
  TPlayer* Race(const std::string& name) { return State().PlayerByName(name); }

  inline static std::unique_ptr<DemoLoad> load_;
};

TEST_F(DemoGameTest, EveryReportLoadsWithoutAMessage) {
  ASSERT_TRUE(load_->settingsRead);
  EXPECT_TRUE(load_->loaded);
  EXPECT_EQ(load_->reader->Messages(), std::vector<std::string>{});
  EXPECT_EQ(load_->ui.messages, std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(load_->programDir / "DumpList.log"));
  // The reports are read as they are: a tab repair would rewrite files of the source tree.
  for (const auto& entry : fs::directory_iterator(DemoDir())) {
    EXPECT_NE(entry.path().extension(), ".TabBackup") << entry.path();
  }
}

TEST_F(DemoGameTest, HeaderGivesGameTurnsAndTitle) {
  EXPECT_EQ(State().GameName, "Meridian");
  EXPECT_EQ(State().FirstTurn, 0);
  EXPECT_EQ(State().LastTurn, kLastTurn);
  ASSERT_FALSE(load_->ui.titles.empty());
  EXPECT_EQ(load_->ui.titles.back(), "Tovix Meridian - 11 Corvids");
}

TEST_F(DemoGameTest, VariantIsRecognisedAsGalaxyNgAndStored) {
  EXPECT_EQ(State().Settings.GameType, TGameType::NG);
  const std::string ini = test::ReadFileBytes(load_->programDir / "Tovix.ini");
  EXPECT_NE(ini.find("GameType=Galaxy NG"), std::string::npos) << ini;
  int reports = 0;
  for (const auto& entry : fs::directory_iterator(DemoDir())) {
    if (entry.path().extension() != ".txt") continue;
    ++reports;
    EXPECT_EQ(DetectGameType(entry.path()), TGameType::NG) << entry.path();
  }
  EXPECT_EQ(reports, 3 * (kLastTurn + 1));
}

TEST_F(DemoGameTest, RacesKeepTheirObjectsThroughTheRenames) {
  EXPECT_EQ(State().Players.Count(), kRaces);
  for (const char* name :
       {"Corvids", "Lyrans", "Pavonids", "Tucanae", "Serpentes", "Volantis", "Mensans"}) {
    EXPECT_NE(Race(name), nullptr) << name;
  }
  EXPECT_EQ(Race("race_7"), nullptr);
  ASSERT_NE(State().MainPlayer, nullptr);
  EXPECT_EQ(State().MainPlayer->Name, "Corvids");
  // The Mensans were race_7 until turn 3: one race with statistics from turn 0 on.
  TPlayer* late = Race("Mensans");
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->GetPlanetCount(0), 3);
  EXPECT_EQ(late->GetPlanetCount(3), 4);  // the race_7 row of A003.txt
  EXPECT_NE(late->Alias.find("race_7"), std::string::npos) << late->Alias;
  EXPECT_FALSE(Race("Lyrans")->War);
  EXPECT_FALSE(Race("Pavonids")->War);
  EXPECT_TRUE(Race("Tucanae")->War);
}

TEST_F(DemoGameTest, PlanetsAreFoundAgainAfterBeingRenamed) {
  EXPECT_EQ(State().Planets.Count(), kPlanets);
  // Home planet 1 of turn 0, named in turn 1.
  TPlanet* home = State().PlanetByName("rookery");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->Number, 1);
  EXPECT_EQ(home->X, 9155);
  EXPECT_EQ(home->Y, 5676);
  EXPECT_TRUE(home->Owner.Is(State().MainPlayer));
  // A colony renamed in turn 7.
  TPlanet* colony = State().PlanetByName("fledgeling");
  ASSERT_NE(colony, nullptr);
  EXPECT_EQ(colony->Number, 4);
  EXPECT_EQ(State().PlanetByName("4"), nullptr);
  int own = 0;
  for (const auto& planet : State().Planets) {
    if (planet.Object->Owner.Is(State().MainPlayer)) ++own;
  }
  EXPECT_EQ(own, kOwnPlanets);
}

TEST_F(DemoGameTest, BattlesAndBombingsAreReadOnceEach) {
  EXPECT_EQ(State().Battles.Count(), kBattles);
  EXPECT_EQ(State().Bombings.Count(), kBombings);
  // The battle at 64 in turn 10 is in the own and in an ally's report.
  int at64 = 0;
  for (const auto& entry : State().Battles) {
    if (entry.Object->Turn == 10 && entry.Object->Planet && entry.Object->Planet->Name == "64") {
      ++at64;
      EXPECT_EQ(entry.Object->Groups.size(), 8u);
    }
  }
  EXPECT_EQ(at64, 1);
}

TEST_F(DemoGameTest, OwnReportTablesGiveRoutesProductionAndIncomingGroups) {
  EXPECT_EQ(State().Routes.Count(), kRoutes);
  EXPECT_EQ(State().ShipsInProduction.size(), static_cast<size_t>(kShipsInProduction));
  EXPECT_EQ(State().IncomingGroups.size(), static_cast<size_t>(kIncomingGroups));
}

TEST_F(DemoGameTest, OwnGroupsAreThoseOfTheLastReportWithTheFleet) {
  ASSERT_NE(State().MainPlayer, nullptr);
  const auto& groups = State().MainPlayer->Groups;
  EXPECT_EQ(groups.size(), static_cast<size_t>(kOwnGroups));
  const auto inFleet = std::count_if(groups.begin(), groups.end(),
                                     [](const auto& g) { return g->FleetName == "Murmuration"; });
  EXPECT_EQ(inFleet, 2);
  for (const auto& g : groups) {
    EXPECT_EQ(g->Turn, kLastTurn);
    EXPECT_NE(g->ShipType, nullptr) << g->GroupNumber;
  }
  // The allies' own groups are read too.
  EXPECT_FALSE(Race("Lyrans")->Groups.empty());
  EXPECT_FALSE(Race("Pavonids")->Groups.empty());
}

TEST_F(DemoGameTest, MapsAndGroupsInFlightGiveTrackPoints) {
  int fromMap = 0;
  int fromGroups = 0;
  for (const TTracks& point : State().Tracks) {
    EXPECT_GE(point.Turn, kLastTurn - 1);
    (point.FromGroup ? fromGroups : fromMap) += 1;
  }
  EXPECT_EQ(fromMap, kMapTrackPoints);
  EXPECT_EQ(fromGroups, kGroupTrackPoints);
}

}  // namespace
}  // namespace tovix

// The bundled sample game (samples/demo, written by scripts/make_demo_game.py) read the way
// ./run.sh opens it: the user's race A with the allies B and C. The expected counts are the
// ones the generator writes into samples/demo/README.md ("What a reader finds"); regenerating
// the sample with other figures means updating them here too.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

constexpr int kLastTurn = 11;

fs::path DemoDir() {
  return test::SamplesDir() / "demo";
}

// "%" in a folder name must not be taken for a directive of the report pattern.
std::string EscapePercent(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '%' ? "%%" : std::string(1, c);
  return out;
}

// One load of the whole sample, shared by the tests below.
struct DemoLoad {
  DemoLoad() {
    // No "GameType": the reader recognises the variant and writes it back, as on a first run.
    WriteFileAtomically(
        programDir / "Tovix.ini",
        "[RUN]\ngame=1\n\n[1]\nName=Meridian\nspelD=" + EscapePercent(DemoDir().string()) +
            "/%1s%0.03d.txt\nspelC=ABC\nMapType=Normal\nMapSize=120\n");
    settingsRead = ReadGameSettings(programDir.path(), {}, state.Settings, state.Layout);
    TReportReader reader(state, ui, programDir.path());
    if (settingsRead) loaded = reader.LoadAllReports();
    messages = reader.Messages();
  }
  test::TempDir programDir;
  GameState state;
  test::RecordingUserInterface ui;
  bool settingsRead = false;
  bool loaded = false;
  std::vector<std::string> messages;
};

const DemoLoad& Demo() {
  static const DemoLoad load;
  return load;
}

const GameState& State() {
  return Demo().state;
}

const TPlayer* Race(const std::string& name) {
  return State().PlayerByName(name);
}

TEST(DemoGameTest, EveryReportLoadsWithoutAMessageAndTheVariantIsStored) {
  ASSERT_TRUE(Demo().settingsRead);
  EXPECT_TRUE(Demo().loaded);
  EXPECT_EQ(Demo().messages, std::vector<std::string>{});
  EXPECT_EQ(Demo().ui.messages, std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(Demo().programDir / "DumpList.log"));
  // The reports are read as they are: a tab repair would rewrite files of the source tree.
  int reports = 0;
  for (const auto& entry : fs::directory_iterator(DemoDir())) {
    EXPECT_NE(entry.path().extension(), ".TabBackup") << entry.path();
    reports += entry.path().extension() == ".txt";
  }
  EXPECT_EQ(reports, 3 * (kLastTurn + 1));
  EXPECT_EQ(State().Settings.GameType, TGameType::NG);
  const std::string ini = test::ReadFileBytes(Demo().programDir / "Tovix.ini");
  EXPECT_NE(ini.find("GameType=Galaxy NG"), std::string::npos) << ini;
  EXPECT_EQ(State().GameName, "Meridian");
  EXPECT_EQ(State().FirstTurn, 0);
  EXPECT_EQ(State().LastTurn, kLastTurn);
  ASSERT_FALSE(Demo().ui.titles.empty());
  EXPECT_EQ(Demo().ui.titles.back(), "Tovix Meridian - 11 Corvids");
}

TEST(DemoGameTest, RacesAndPlanetsKeepTheirObjectsThroughTheRenames) {
  EXPECT_EQ(State().Players.Count(), 7);
  for (const char* name :
       {"Corvids", "Lyrans", "Pavonids", "Tucanae", "Serpentes", "Volantis", "Mensans"}) {
    EXPECT_NE(Race(name), nullptr) << name;
  }
  EXPECT_EQ(Race("race_7"), nullptr);
  ASSERT_NE(State().MainPlayer, nullptr);
  EXPECT_EQ(State().MainPlayer->Name, "Corvids");
  // The Mensans were race_7 until turn 3: one race with statistics from turn 0 on.
  const TPlayer* late = Race("Mensans");
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->GetPlanetCount(0), 3);
  EXPECT_EQ(late->GetPlanetCount(3), 4);  // the race_7 row of A003.txt
  EXPECT_NE(late->Alias.find("race_7"), std::string::npos) << late->Alias;
  EXPECT_FALSE(Race("Lyrans")->War);
  EXPECT_FALSE(Race("Pavonids")->War);
  EXPECT_TRUE(Race("Tucanae")->War);

  EXPECT_EQ(State().Planets.Count(), 70);
  // Home planet 1 of turn 0, named in turn 1.
  const TPlanet* home = State().PlanetByName("rookery");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->Number, 1);
  EXPECT_EQ(home->X, 9155);
  EXPECT_EQ(home->Y, 5676);
  EXPECT_TRUE(home->Owner.Is(State().MainPlayer));
  // A colony renamed in turn 7.
  const TPlanet* colony = State().PlanetByName("fledgeling");
  ASSERT_NE(colony, nullptr);
  EXPECT_EQ(colony->Number, 4);
  EXPECT_EQ(State().PlanetByName("4"), nullptr);
  int own = 0;
  for (const auto& planet : State().Planets) own += planet.Object->Owner.Is(State().MainPlayer);
  EXPECT_EQ(own, 8);
}

TEST(DemoGameTest, TablesGiveTheCountsOfTheReadme) {
  EXPECT_EQ(State().Battles.Count(), 23);
  EXPECT_EQ(State().Bombings.Count(), 5);
  // The battle at 64 in turn 10 is in the own and in an ally's report.
  int at64 = 0;
  for (const auto& entry : State().Battles) {
    if (entry.Object->Turn == 10 && entry.Object->Planet && entry.Object->Planet->Name == "64") {
      ++at64;
      EXPECT_EQ(entry.Object->Groups.size(), 8u);
    }
  }
  EXPECT_EQ(at64, 1);
  EXPECT_EQ(State().Routes.Count(), 7);
  EXPECT_EQ(State().ShipsInProduction.size(), 2u);
  EXPECT_EQ(State().IncomingGroups.size(), 8u);

  // The own groups are those of the last report, the fleet included.
  ASSERT_NE(State().MainPlayer, nullptr);
  const auto& groups = State().MainPlayer->Groups;
  EXPECT_EQ(groups.size(), 15u);
  EXPECT_EQ(std::count_if(groups.begin(), groups.end(),
                          [](const auto& g) { return g->FleetName == "Murmuration"; }),
            2);
  for (const auto& g : groups) {
    EXPECT_EQ(g->Turn, kLastTurn);
    EXPECT_NE(g->ShipType, nullptr) << g->GroupNumber;
  }
  // The allies' own groups are read too.
  EXPECT_FALSE(Race("Lyrans")->Groups.empty());
  EXPECT_FALSE(Race("Pavonids")->Groups.empty());

  // The maps and the groups in flight of the last two turns give track points.
  int fromMap = 0;
  int fromGroups = 0;
  for (const TTracks& point : State().Tracks) {
    EXPECT_GE(point.Turn, kLastTurn - 1);
    (point.FromGroup ? fromGroups : fromMap) += 1;
  }
  EXPECT_EQ(fromMap, 17);
  EXPECT_EQ(fromGroups, 2);
}

}  // namespace
}  // namespace tovix

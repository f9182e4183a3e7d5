// Reading the report files on worker threads must give the very model reading them one after
// the other gives: the real games are loaded both ways and a dump of every figure of the two
// models (floats written exactly) is compared, messages included.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_files.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

class Dump {
 public:
  Dump& operator<<(std::string_view text) {
    out_ += text;
    return *this;
  }
  Dump& operator<<(const char* text) { return *this << std::string_view(text); }
  Dump& operator<<(const std::string& text) { return *this << std::string_view(text); }
  Dump& operator<<(int64_t value) { return *this << std::to_string(value) << " "; }
  Dump& operator<<(int32_t value) { return *this << int64_t{value}; }
  Dump& operator<<(bool value) { return *this << int64_t{value}; }
  Dump& operator<<(float value) {
    char text[48];
    std::snprintf(text, sizeof text, "%a ", static_cast<double>(value));
    return *this << std::string_view(text);
  }
  Dump& operator<<(const TPlanet* planet) {
    return *this << (planet ? "@" + planet->Name + " " : std::string("@- "));
  }
  Dump& operator<<(const TPlayer* race) {
    return *this << (race ? "%" + race->Name + " " : std::string("%- "));
  }
  template <class T>
  Dump& operator<<(const TTurnArray<T>& values) {
    for (int i = 0; i < values.Length(); ++i) *this << values.Element(i);
    return *this << "\n";
  }
  Dump& operator<<(const TGroup& g) {
    return *this << "  group " << g.ShipType << g.Planet << g.Owner << g.Origin << g.DriveTech
                 << g.WeaponsTech << g.ShieldsTech << g.CargoTech << g.Ships << g.Load
                 << g.CargoType << g.BattleShips << g.GroupNumber << g.Distance << g.Turn
                 << g.FromBattle << g.FleetName << " " << g.FleetSpeed << g.ETA << g.TrackFrom
                 << g.TrackTo << "\n";
  }
  Dump& operator<<(const TShipType* t) { return *this << (t ? "#" + t->Name + " " : "#- "); }
  const std::string& Text() const { return out_; }

 private:
  std::string out_;
};

std::string DumpModel(const GameState& s, const std::vector<std::string>& messages) {
  Dump d;
  d << "turns " << s.FirstTurn << s.LastTurn << s.GameName << " " << s.MainPlayer << "\n";
  for (const auto& m : messages) d << "message " << m << "\n";
  for (const auto& [key, race] : s.Players) {
    d << "race " << key << " " << race->Name << " " << race->Number << race->War << race->Gone
      << "\n"
      << race->Drive << race->Weapons << race->Shields << race->Cargo << race->Population
      << race->Industry << race->PlanetSize << race->PlanetCount;
    for (const auto& [name, t] : race->ShipTypes) {
      d << " type " << name << " " << t->Drive << t->Attacks << t->Weapons << t->Shields << t->Cargo
        << int32_t{static_cast<int32_t>(t->CargoUse)} << t->ReportedMass << "\n";
    }
    for (const auto& g : race->Groups) d << *g;
  }
  for (const auto& [key, p] : s.Planets) {
    d << "planet " << key << " " << p->Name << " " << p->Number << p->X << p->Y << p->Size
      << p->Resources << p->Population << p->Industry << p->Capital << p->Material << p->Colonists
      << p->ProductionCargo << p->Owner.IsUnknown() << p->Owner.Player() << p->Distance
      << p->LastOwnerName << " " << p->OwnerState << p->LastOwner << p->OwnerTurn << p->Production
      << " " << p->ReportProduction << " " << p->HomeAtTurn0 << "\n";
  }
  for (const auto& [key, b] : s.Battles) {
    d << "battle " << key << " " << b->Turn << b->Planet << "\n";
    for (const auto& g : b->Groups) d << *g;
    for (const auto& g : b->Attackers) d << *g;
    for (const auto& g : b->Defenders) d << *g;
  }
  for (const auto& [key, b] : s.Bombings) {
    d << "bombing " << key << " " << b->Producing << b->Material << b->Industry << b->Capital
      << b->Population << b->Colonists << b->Planet << b->Attacker << b->Defender << b->Turn
      << "\n";
  }
  for (const auto& [key, r] : s.Routes) {
    d << "route " << key << " " << r->Origin << r->ReportMat << r->ReportCol << r->ReportCap
      << r->ReportEmp << "\n";
  }
  for (const auto& i : s.IncomingGroups) {
    d << "incoming " << i->Origin << i->Destination << i->Distance << i->Speed << i->Mass << i->Turn
      << "\n";
  }
  for (const auto& p : s.ShipsInProduction) {
    d << "production " << p->PlanetName << " " << p->ShipTypeName << " " << p->ShipsPresent
      << p->ShipsUpToDate << "\n";
  }
  for (const auto& t : s.Tracks) d << "track " << t.Turn << t.X << t.Y << t.FromGroup << "\n";
  return d.Text();
}

// The reports of `source` copied to a fresh folder (a load may repair a report in place), read
// with `letters` using `threads` worker threads; the dump of the model.
std::string LoadAndDump(const fs::path& source, const std::string& letters, int mapSize,
                        int threads) {
  test::TempDir games;
  fs::copy(source, games.path());
  GameState state;
  state.Settings.GameType = TGameType::NG;
  state.Settings.MapSize = mapSize;
  state.Settings.spelD = (games.path() / "%1s%0.03d.txt").string();
  state.Settings.spelC = letters;
  SetReportLayout(state.Layout, TGameType::NG);
  test::RecordingUserInterface ui;
  test::TempDir programDir;
  TReportReader reader(state, ui, programDir.path());
  reader.SetReadThreads(threads);
  const bool loaded = reader.LoadAllReports();
  EXPECT_TRUE(loaded);
  EXPECT_GT(state.Planets.Count(), 0);
  return DumpModel(state, reader.Messages());
}

void ExpectSameModelWithThreads(const fs::path& source, const std::string& letters, int mapSize) {
  const std::string alone = LoadAndDump(source, letters, mapSize, 0);
  for (int threads : {1, 4}) {
    const std::string threaded = LoadAndDump(source, letters, mapSize, threads);
    ASSERT_EQ(alone.size(), threaded.size()) << letters << " with " << threads << " threads";
    EXPECT_TRUE(alone == threaded) << letters << " with " << threads << " threads";
  }
}

TEST(LoadThreadsTest, OrionAsAAndAsABCGivesTheSameModelWithAndWithoutThreads) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << "the reports folder is absent";
  ExpectSameModelWithThreads(orion, "A", 150);
  ExpectSameModelWithThreads(orion, "ABC", 150);
}

TEST(LoadThreadsTest, AndromedaAsABCGivesTheSameModelWithAndWithoutThreads) {
  const fs::path archive = test::ReportsDir("andromeda-ABC.tar.xz");
  if (archive.empty() || !fs::exists(archive)) GTEST_SKIP() << "the reports folder is absent";
  test::TempDir unpacked;
  const std::string command =
      "tar -xJf '" + archive.string() + "' -C '" + unpacked.path().string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ExpectSameModelWithThreads(unpacked.path() / "andromeda", "ABC", 330);
}

// The listing finds what probing each name finds, in reading order: turn by turn, the letters
// as given and each once; other files, folders and missing turns are passed over.
TEST(LoadThreadsTest, ReportListingFindsTheProbedFilesInReadingOrder) {
  test::TempDir games;
  for (const char* name :
       {"A000.txt", "B000.txt", "A002.txt", "C002.txt", "B010.txt", "notes.txt", "A001.txt.bak"}) {
    std::FILE* f = std::fopen((games.path() / name).string().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  fs::create_directory(games.path() / "A001.txt");  // a folder is no report
  const std::string pattern = (games.path() / "%1s%0.03d.txt").string();
  std::vector<std::string> found;
  for (const TReportFile& f : ListReportFiles(pattern, "ACBA", 0, kMaxTurn)) {
    found.push_back(fs::path(f.FileName).filename().string() + ":" + std::to_string(f.Turn) + ":" +
                    std::to_string(f.LetterIndex));
  }
  const std::vector<std::string> expected = {"A000.txt:0:1", "B000.txt:0:3", "A002.txt:2:1",
                                             "C002.txt:2:2", "B010.txt:10:3"};
  EXPECT_EQ(found, expected);
  EXPECT_TRUE(
      ListReportFiles((games.path() / "none" / "%1s%0.03d.txt").string(), "A", 0, 5).empty());
}

}  // namespace
}  // namespace tovix

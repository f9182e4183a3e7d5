// The real game "Orion" as race A whose turn-0 report was cut in one of its planet tables, the
// later reports whole. Each planet the cut report lost stood near a planet it listed, and the
// later reports' rows of the lost planets took over those neighbours: 8 planets were missing
// (one of the user's own), groups at them could not be placed in any later turn, the planets
// the later reports name by number had number 0, and the cut file was rewritten by the tab
// repair.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/numbers.h"
#include "support/orion_game.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

using Position = std::pair<int32_t, int32_t>;

int32_t Hundredths(const std::string& word) {
  double value = 0;
  return TryParseFloat(word, value) ? static_cast<int32_t>(std::lround(value * 100)) : 0;
}

// The number of every planet of the whole turn-0 report by its position: in turn 0 every
// planet is named by its number.
std::map<Position, int32_t> TurnZeroNumbers(const fs::path& report) {
  std::map<Position, int32_t> numbers;
  const std::vector<std::string> lines = test::ReportLines(report);
  for (const char* title : {"Your Planets", "Unidentified Planets", "Uninhabited Planets"}) {
    for (const test::TextTable& table : test::Tables(lines, title)) {
      for (const test::TextWords& row : table.Rows)
        numbers[{Hundredths(row[1]), Hundredths(row[2])}] = std::stoi(row[0]);
    }
  }
  return numbers;
}

bool IsWholeNumber(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

struct CutCase {
  const char* name;
  std::string row;        // the report ends five characters into the row that begins so
  bool everyNumberKnown;  // whether every planet the cut lost keeps a number for a later report
  std::vector<std::string> messageParts;  // one message holding each, in order
};

void PrintTo(const CutCase& c, std::ostream* os) {
  *os << c.name;
}

class CutFirstReport : public testing::TestWithParam<CutCase> {};

TEST_P(CutFirstReport, LosesNoPlanetAndRewritesNothing) {
  const CutCase& c = GetParam();
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  test::TempDir reports, program;
  for (int turn = 1; turn <= 25; ++turn) {
    const std::string name = FormatReportName("%1s%0.03d.txt", 'A', turn);
    fs::copy_file(orion / name, reports / name);
  }
  const std::string whole = test::ReadFileBytes(orion / "A000.txt");
  const size_t row = whole.find(c.row);
  ASSERT_NE(row, std::string::npos);
  const std::string cut = whole.substr(0, row + 5);
  std::ofstream(reports / "A000.txt", std::ios::binary) << cut;

  GameState state;
  state.Settings.GameType = TGameType::NG;
  state.Settings.MapSize = 150;
  state.Settings.spelD = (reports / "%1s%0.03d.txt").string();
  state.Settings.spelC = "A";
  SetReportLayout(state.Layout, TGameType::NG);
  test::RecordingUserInterface ui;
  TReportReader reader(state, ui, program.path());
  ASSERT_TRUE(reader.LoadAllReports());

  ASSERT_EQ(reader.Messages().size(), c.messageParts.size())
      << testing::PrintToString(reader.Messages());
  for (size_t i = 0; i < c.messageParts.size(); ++i)
    EXPECT_NE(reader.Messages()[i].find(c.messageParts[i]), std::string::npos)
        << reader.Messages()[i];
  EXPECT_TRUE(test::ReadFileBytes(reports / "A000.txt") == cut) << "the cut report was rewritten";
  EXPECT_FALSE(fs::exists(reports / "A000.txt.TabBackup"));

  // Every planet at its own place, with its own number where the reports give it.
  const std::map<Position, int32_t> numbers = TurnZeroNumbers(orion / "A000.txt");
  ASSERT_EQ(numbers.size(), 170u);
  EXPECT_EQ(state.Planets.Count(), 170);
  int numbered = 0;
  for (auto [key, planet] : state.Planets) {
    const auto at = numbers.find({planet->X, planet->Y});
    ASSERT_NE(at, numbers.end()) << planet->Name << " is at no planet's place";
    if (planet->Number != 0 || c.everyNumberKnown || IsWholeNumber(planet->Name)) {
      EXPECT_EQ(planet->Number, at->second) << planet->Name;
      ++numbered;
    }
  }
  EXPECT_GT(numbered, 140);
  const TPlanet* minor = state.PlanetByName("ArcturansMinor");
  ASSERT_NE(minor, nullptr);
  EXPECT_TRUE(minor->Owner.Is(state.MainPlayer));
}

INSTANTIATE_TEST_SUITE_P(
    Orion, CutFirstReport,
    testing::ValuesIn(std::vector<CutCase>{
        {"InTheOwnPlanets",
         "2 8.11 77.56",
         false,
         {"While getting the planets of this player", "lists fewer planets"}},
        {"InTheUnidentifiedPlanets", "37   75.65", false, {"lists fewer planets"}},
        {"InTheUninhabitedPlanets", "57   10.21", true, {"lists fewer planets"}}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tovix

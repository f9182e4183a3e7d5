// The planet information window's figures on the real game "Orion" read as A with the allies B
// and C. The expected figures are the words of A's report text, split here without the reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/str_utils.h"
#include "orders/order_analysis.h"
#include "orders/order_lines.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "views/planet_info.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    const size_t start = i;
    while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::vector<std::string> FileLines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One planet row of a planet table: column letter (the second "P" is "Prod") -> word.
struct TableRow {
  std::string table;  // "Your", a race name, "Unidentified", "Uninhabited"
  std::map<std::string, std::string> cells;
};

// Every planet table of a report: a title "... Planets", then a header beginning "N", then
// rows up to an empty line.
std::map<std::string, TableRow> PlanetTables(const fs::path& file) {
  const std::vector<std::string> lines = FileLines(file);
  std::map<std::string, TableRow> rows;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string title = Trim(lines[i]);
    if (title.size() < 8 || title.substr(title.size() - 8) != " Planets") continue;
    size_t h = i + 1;
    while (h < lines.size() && Trim(lines[h]).empty()) ++h;
    if (h >= lines.size()) break;
    std::vector<std::string> header = Words(lines[h]);
    if (header.empty() || header[0] != "N") continue;
    if (std::count(header.begin(), header.end(), "P") == 2)
      *std::find(header.rbegin(), header.rend(), "P") = "Prod";
    for (size_t r = h + 1; r < lines.size() && !Trim(lines[r]).empty(); ++r) {
      const std::vector<std::string> words = Words(lines[r]);
      TableRow row{title.substr(0, title.size() - 8), {}};
      for (size_t c = 0; c < header.size() && c < words.size(); ++c)
        row.cells[header[c]] = words[c];
      rows.emplace(words[0], std::move(row));
    }
    i = h;
  }
  return rows;
}

// The groups of the last "Your Groups" table and of the fleet tables after it: group number ->
// its row's words, with the fleet's name appended to a fleet's rows. Word 9 is the planet.
std::map<int, std::vector<std::string>> YourGroups(const fs::path& file) {
  const std::vector<std::string> lines = FileLines(file);
  size_t last = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (Trim(lines[i]) == "Your Groups") last = i;
  std::map<int, std::vector<std::string>> groups;
  std::string fleet;
  for (size_t i = last; i < lines.size();) {
    const std::string title = Trim(lines[i]);
    if (i != last && title.rfind("Fleet ", 0) != 0) break;
    if (i != last) fleet = Words(title).at(1);
    size_t h = i + 1;
    while (h < lines.size() && Trim(lines[h]).empty()) ++h;
    size_t r = h + 1;
    for (; r < lines.size() && !Trim(lines[r]).empty(); ++r) {
      std::vector<std::string> words = Words(lines[r]);
      if (words.size() < 10) continue;
      words.push_back(fleet);
      groups[std::stoi(words[0])] = words;
    }
    while (r < lines.size() && Trim(lines[r]).empty()) ++r;
    i = r;
  }
  return groups;
}

// The letters' reports up to `lastTurn` copied to a folder of their own, then read.
struct OrionRead {
  OrionRead(const fs::path& source, int lastTurn) {
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() != ".txt" || name.size() != 8 || name.find_first_of("ABC") != 0)
        continue;
      if (std::stoi(name.substr(1, 3)) <= lastTurn) fs::copy_file(e.path(), reports.path() / name);
    }
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (reports.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "ABC";
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  fs::path Report(char letter, int turn) const {
    return reports.path() / FormatReportName("%1s%0.03d.txt", letter, turn);
  }
  test::TempDir reports;
  test::TempDir programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

class PlanetInfoOrion : public testing::Test {
 protected:
  void SetUp() override {
    if (test::ReportsDir("orion").empty())
      GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  }
  static const OrionRead& Last() {
    static const OrionRead read(test::ReportsDir("orion"), 25);
    return read;
  }
};

std::vector<std::string> LinesOf(const GameState& state, const TPlanet& planet) {
  std::vector<std::string> texts;
  for (const auto& line : PlanetReportLines(state, planet, {PlanetOwnerText(planet), false}))
    texts.push_back(line.Text);
  return texts;
}

// The line that begins with `prefix`, or "" when there is none.
std::string LineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) return line;
  return {};
}

TEST_F(PlanetInfoOrion, ReportLinesShowEveryFigureOfTheLastPlanetTables) {
  const OrionRead& read = Last();
  ASSERT_TRUE(read.loaded);
  const GameState& state = read.state;
  const auto tables = PlanetTables(read.Report('A', 25));
  ASSERT_GT(tables.size(), 100u);
  int checked = 0;
  for (const auto& [name, row] : tables) {
    SCOPED_TRACE(name + " in " + row.table);
    const TPlanet* planet = state.PlanetByName(name);
    ASSERT_NE(planet, nullptr);
    const std::vector<std::string> lines = LinesOf(state, *planet);
    const auto& c = row.cells;
    EXPECT_EQ(lines.at(0), "Name:\t" + name);
    EXPECT_NE(LineStarting(lines, "Res.:\t").find("\tx: " + c.at("X") + " y: " + c.at("Y")),
              std::string::npos)
        << LineStarting(lines, "Res.:\t");
    // The line `prefix` + the report's word, then a tab or the end of the line.
    auto expect = [&](const std::string& prefix, const std::string& column, bool whole) {
      if (!c.count(column)) return;
      const std::string line = LineStarting(lines, prefix);
      const std::string wanted = prefix + c.at(column);
      if (whole) {
        EXPECT_EQ(line, wanted);
      } else {
        EXPECT_EQ(line.rfind(wanted + "\t", 0), 0u) << line << " wanted " << wanted;
      }
    };
    expect("Size:\t", "S", true);
    expect("Res.:\t", "R", false);
    expect("Popul.:\t", "P", false);
    expect("Industry:\t", "I", false);
    expect("Producing:\t", "Prod", false);
    expect("CAP:\t", "$", true);
    expect("MAT:\t", "M", true);
    expect("COL:\t", "C", true);
    if (row.table == "Uninhabited") {
      // Nobody lives there: no figure of a former owner is left.
      EXPECT_EQ(LineStarting(lines, "Popul.:\t"), "Popul.:\t0.00\t000%");
      EXPECT_EQ(LineStarting(lines, "COL:\t"), "COL:\t0.00");
    }
    const std::string owner = LineStarting(lines, "Owner:\t");
    if (row.table == "Your") {
      EXPECT_EQ(owner, "Owner:\tArcturans");
    } else if (row.table != "Unidentified" && row.table != "Uninhabited") {
      EXPECT_EQ(owner, "Owner:\t" + row.table);
    }
    ++checked;
  }
  EXPECT_EQ(checked, static_cast<int>(tables.size()));
}

TEST_F(PlanetInfoOrion, OwnBlockListsExactlyTheGroupsOfTheLastGroupTable) {
  const OrionRead& read = Last();
  ASSERT_TRUE(read.loaded);
  GameState& state = const_cast<GameState&>(read.state);
  TOrderAnalysis analysis(state);
  TVectorOrderLines noOrders;
  analysis.ParseOrders(noOrders);
  const auto groups = YourGroups(read.Report('A', 25));
  ASSERT_GT(groups.size(), 20u);
  auto left = &TOrderAnalysis::AvailableShips;
  int withGroups = 0;
  for (auto [key, planet] : state.Planets) {
    std::set<int> expected;
    for (const auto& [number, words] : groups)
      if (words[9] == planet->Name) expected.insert(number);
    std::set<int> shown;
    const auto rows = PlanetGroupRows(state, *planet, analysis.Records(), left);
    for (const TPlanetGroupRow& row : rows) {
      if (!row.Own) continue;
      const int number = FirstIntInStr(row.Cells[0]);
      EXPECT_TRUE(shown.insert(number).second) << "group " << number << " twice";
      ASSERT_TRUE(groups.count(number)) << "group " << number << " at " << planet->Name;
      const auto& words = groups.at(number);
      // A group in flight (range and origin given) has no ship left for new orders.
      const std::string available = words.size() > 11 ? "0" : words[1];
      EXPECT_EQ(row.Cells[3], words[1] + " (" + available + ")") << planet->Name;
      EXPECT_EQ(row.Cells[4],
                words.back().empty() ? words[2] : words[2] + " (" + words.back() + ")");
    }
    EXPECT_EQ(shown, expected) << planet->Name;
    if (!expected.empty()) {
      ++withGroups;
      ASSERT_FALSE(rows.empty());
      EXPECT_EQ(rows[0].Cells[4], "Arcturans groups:");
    }
  }
  EXPECT_GT(withGroups, 10);
}

TEST_F(PlanetInfoOrion, OwnerHistoryFollowsTheReports) {
  // Planet 85 is the Betelgeusians' up to turn 11; A holds it from turn 12.
  const OrionRead before(test::ReportsDir("orion"), 11);
  ASSERT_TRUE(before.loaded);
  const auto tables11 = PlanetTables(before.Report('A', 11));
  ASSERT_EQ(tables11.at("85").table, "Betelgeusians");
  const TPlanet* p11 = before.state.PlanetByName("85");
  ASSERT_NE(p11, nullptr);
  EXPECT_EQ(LineStarting(LinesOf(before.state, *p11), "Owner:\t"), "Owner:\tBetelgeusians");

  ASSERT_EQ(PlanetTables(Last().Report('A', 25)).at("85").table, "Your");
  const TPlanet* p25 = Last().state.PlanetByName("85");
  ASSERT_NE(p25, nullptr);
  EXPECT_EQ(LineStarting(LinesOf(Last().state, *p25), "Owner:\t"), "Owner:\tArcturans");
}

}  // namespace
}  // namespace tovix

// The expression filter and the calculations on the real game Orion, checked against the
// report text: each race's totals of its "Status of Players" row, and planet sets that split
// the galaxy.

#include "expressions/expression_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/text/numbers.h"
#include "support/orion_game.h"

namespace tovix {
namespace {

// Orion read as one race alone.
struct SingleRace {
  explicit SingleRace(char letter) {
    namespace fs = std::filesystem;
    const fs::path source = test::ReportsDir("orion");
    if (source.empty()) return;
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (name.size() == 8 && name[0] == letter && e.path().extension() == ".txt")
        fs::copy_file(e.path(), games.path() / name);
    }
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (games.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = std::string(1, letter);
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  test::TempDir games, programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

double Number(const std::string& s) {
  return StrToFloatDef(s, -1);
}

// Population, industry and planet count of each race's own planets, summed by Calculations,
// agree with its row of "Status of Players" in its last report.
TEST(Calculations, OwnPlanetsGiveTheStatusOfPlayersRow) {
  if (test::ReportsDir("orion").empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  const std::string mine = "([PLAYERNAME] = [PT_LASTOWNERNAME])";
  for (char letter = 'A'; letter <= 'I'; ++letter) {
    SingleRace game(letter);
    ASSERT_TRUE(game.loaded) << letter;
    ASSERT_NE(game.state.MainPlayer, nullptr);
    const auto lines = test::ReportLines(
        game.games / FormatReportName("%1s%0.03d.txt", letter, game.state.LastTurn));
    const auto tables = test::Tables(lines, "Status of Players");
    ASSERT_FALSE(tables.empty());
    const test::TextWords* row = nullptr;
    for (const auto& r : tables[0].Rows)
      if (!r.empty() && r[0] == game.state.MainPlayer->Name) row = &r;
    ASSERT_NE(row, nullptr) << letter;
    const double expected[] = {Number((*row)[5]), Number((*row)[6]), Number((*row)[7])};
    const char* what[] = {"[PT_POPULATION]", "[PT_INDUSTRY]", "1"};
    for (int i = 0; i < 3; ++i) {
      const TCalculation c = Calculate(game.state, nullptr, mine, what[i], {});
      EXPECT_NEAR(c.Sum, expected[i], 0.05) << letter << " " << what[i];
      EXPECT_EQ(c.NoNumber, 0);
    }
    // A What that gives text adds nothing and is counted; "<all selected>" takes the selection.
    const auto all = AllPlanets(game.state);
    const TCalculation text = Calculate(game.state, nullptr, "<all selected>", "[PT_NAME]",
                                        {all.begin(), all.begin() + 3});
    EXPECT_EQ(text.Sum, 0);
    EXPECT_EQ(text.NoNumber, 3);
    EXPECT_NE(CalculationText(text).find("3 of 3 planets gave no number"), std::string::npos);
  }
}

// Planet sets of an expression and of its INVERT( together hold every planet once; a group
// expression adds each planet once; an error leaves the set as it was and names the expression.
TEST(ExpressionFilter, SetsSplitTheGalaxyAndErrorsKeepTheOldSet) {
  test::OrionGame* orion = test::Orion();
  if (orion == nullptr) GTEST_SKIP() << test::ReportsAbsent("orion");
  const GameState& state = orion->state;
  const auto all = AllPlanets(state);
  std::vector<TPlanet*> big = all, small = all;
  ASSERT_TRUE(ApplyExpressionFilter(state, nullptr, false, "[PT_SIZE]>500", big).Ok);
  ASSERT_TRUE(ApplyExpressionFilter(state, nullptr, false, "INVERT([PT_SIZE]>500)", small).Ok);
  EXPECT_FALSE(big.empty());
  EXPECT_FALSE(small.empty());
  std::multiset<TPlanet*> both(big.begin(), big.end());
  both.insert(small.begin(), small.end());
  EXPECT_EQ(both, std::multiset<TPlanet*>(all.begin(), all.end()));

  std::vector<TPlanet*> armed = big;
  ASSERT_TRUE(ApplyExpressionFilter(state, nullptr, true, "[GR_COUNT]>0", armed).Ok);
  EXPECT_EQ(std::set<TPlanet*>(armed.begin(), armed.end()).size(), armed.size());
  EXPECT_FALSE(armed.empty());

  const std::vector<TPlanet*> before = big;
  for (bool groups : {false, true}) {
    const auto r = ApplyExpressionFilter(state, nullptr, groups, "([PT_SIZE] >", big);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(big, before);
    if (groups) {
      EXPECT_TRUE(r.Message.starts_with("Error in expression: ([PT_SIZE] >\r\rIt failed on all "))
          << r.Message;
      EXPECT_NE(r.Message.find(" groups, first on group "), std::string::npos) << r.Message;
    } else {
      EXPECT_EQ(r.Message, "Error in expression: ([PT_SIZE] >\r\rIt failed on all " +
                               std::to_string(all.size()) + " planets, first on planet " +
                               all.front()->Name + ". The choice made before is kept.");
    }
  }
  // An expression that fails on some planets only (a planet with a size and no population
  // divides by zero) is an error too, counted.
  int failing = 0;
  std::string first;
  for (const TPlanet* p : all)
    if (p->Size != 0 && p->Population == 0 && failing++ == 0) first = p->Name;
  ASSERT_GT(failing, 0);
  ASSERT_LT(failing, static_cast<int>(all.size()));
  const auto partly =
      ApplyExpressionFilter(state, nullptr, false, "[PT_SIZE] / [PT_POPULATION] > 1", big);
  EXPECT_FALSE(partly.Ok);
  EXPECT_EQ(partly.Message,
            "Error in expression: [PT_SIZE] / [PT_POPULATION] > 1\r\rIt failed on " +
                std::to_string(failing) + " of " + std::to_string(all.size()) +
                " planets, first on planet " + first + ". The choice made before is kept.");
  EXPECT_EQ(big, before);
  // The list filters keep a planet whose test fails, and report the counts.
  TListFilterReport report;
  EXPECT_EQ(FilterPlanetList(state, nullptr, "([PT_SIZE] >", all, &report), all);
  EXPECT_TRUE(report.FailedEverywhere());
  EXPECT_EQ(report.FirstFailed, "planet " + all.front()->Name);
  FilterPlanetList(state, nullptr, "[PT_SIZE] / [PT_POPULATION] > 1", all, &report);
  EXPECT_EQ(report.Failed, failing);
  EXPECT_FALSE(report.FailedEverywhere());
  // The list filter behind the selection dialog keeps the same split.
  EXPECT_EQ(FilterPlanetList(state, nullptr, "[PT_SIZE]>500", all), big);
  EXPECT_EQ(TestExpressionMessage(state, nullptr, TExpressionKind::Planets, "([PT_SIZE] >", "x"),
            "Expression: x results error");
  EXPECT_EQ(TestExpressionMessage(state, nullptr, TExpressionKind::Groups, "[GR_COUNT]>0", "x"),
            "Checked expressions seems ok");
}

}  // namespace
}  // namespace tovix

// What the players, battles, bombings, incoming-groups and graph windows show, on the real game
// Orion read as race A (allies B and C), checked against the tables of the report text.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "support/orion_game.h"
#include "views/event_rows.h"
#include "views/graph_series.h"
#include "views/player_rows.h"

namespace tovix {
namespace {

using test::Orion;
using test::TextTable;
using test::TextWords;

double Num(const std::string& word) {
  double v = 0;
  return TryParseFloat(word, v) ? v : 0.0;
}

class OrionViews : public testing::Test {
 protected:
  void SetUp() override {
    if (!Orion()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  }
  const GameState& State() const { return Orion()->state; }
  // Every report of A, B and C, turn by turn.
  template <class Visit>
  void EachReport(Visit visit) const {
    for (int turn = 0; turn <= State().LastTurn; ++turn) {
      for (char letter : std::string("ABC")) {
        const auto path = Orion()->Report(letter, turn);
        if (std::filesystem::exists(path)) visit(turn, test::ReportLines(path));
      }
    }
  }
};

// Status of Players: N D W S C P I # R.
TEST_F(OrionViews, PlayerRowsShowTheStatusTableOfTheLastReportAndItsChange) {
  const auto last =
      test::Tables(test::ReportLines(Orion()->Report('A', State().LastTurn)), "Status of Players");
  const auto before = test::Tables(test::ReportLines(Orion()->Report('A', State().LastTurn - 1)),
                                   "Status of Players");
  ASSERT_EQ(last.size(), 1u);
  ASSERT_EQ(before.size(), 1u);
  std::map<std::string, TextWords> previous;
  for (const TextWords& w : before[0].Rows) previous[w[0]] = w;

  const std::vector<TPlayerRow> rows = PlayerRows(State());
  ASSERT_EQ(rows.size(), last[0].Rows.size());
  for (const TextWords& w : last[0].Rows) {
    ASSERT_EQ(w.size(), 9u);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const TPlayerRow& r) { return r.Cells[0] == w[0]; });
    ASSERT_NE(row, rows.end()) << w[0];
    const auto& c = row->Cells;
    SCOPED_TRACE(w[0]);
    EXPECT_EQ(c[5], w[1]);
    EXPECT_EQ(c[7], w[2]);
    EXPECT_EQ(c[9], w[3]);
    EXPECT_EQ(c[11], w[4]);
    EXPECT_EQ(c[3], Fmt("%3.2f", Num(w[1]) + Num(w[2]) + Num(w[3]) + Num(w[4])));
    const double pop = Num(w[5]), ind = Num(w[6]);
    EXPECT_EQ(c[15], std::to_string(RoundToInt(pop)));
    EXPECT_EQ(c[18], std::to_string(RoundToInt(ind)));
    EXPECT_EQ(c[1], std::to_string(RoundToInt(ind + (pop - ind) / 4)));
    EXPECT_EQ(c[13], w[7]);
    if (w[8] != "-") {
      EXPECT_EQ(c[22], w[8] == "War" ? "Yes" : "No");
    }
    const TextWords& p = previous.at(w[0]);
    EXPECT_EQ(c[6], Fmt("%2.2f", Num(w[1]) - Num(p[1])));
    EXPECT_EQ(c[14], std::to_string(std::stoi(w[7]) - std::stoi(p[7])));
    EXPECT_NEAR(std::stod(c[16]), pop - Num(p[5]), 1.0);
    const double growth = Num(p[5]) > 0 ? (pop - Num(p[5])) / Num(p[5]) * 100 : 0;
    EXPECT_NEAR(std::stod(c[17]), growth, 0.011);
  }
}

// One battle per round of fighting at a planet in a turn (the report writes a "Battle at" section
// per round) over all reports, however many of A, B and C saw it; each
// race's ships lost as the battle's "#" and "L" columns give them, weighed with the masses of
// the report's ship-type tables.
TEST_F(OrionViews, BattleRowsAreTheBattlesOfAllReportsWithTheMassEachSideLost) {
  const std::string me = State().MainPlayer->Name;
  std::map<std::pair<int, std::string>, std::pair<double, double>> battles;  // mine, other
  std::map<std::pair<int, std::string>, std::pair<int, int>> destroyed;      // ships, per side
  std::set<std::pair<int, std::string>> unweighed;  // a design the report does not list
  EachReport([&](int turn, const std::vector<std::string>& lines) {
    std::map<std::string, int> rounds;  // the rounds at each planet in this report
    // The designs' masses: "Your Ship Types" and "<race> Ship Types", N D A W S C Mass.
    std::string own;
    for (const TextTable& t : test::Tables(lines, "Status of Players"))
      for (const TextWords& w : t.Rows)
        if (w.back() == "-") own = w[0];
    std::map<std::pair<std::string, std::string>, double> mass;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string title = test::SectionTitle(lines[i]);
      if (title.size() < 11 || title.substr(title.size() - 11) != " Ship Types") continue;
      std::string race = title.substr(0, title.size() - 11);
      if (race == "Your") race = own;
      for (const TextWords& w : test::TableAt(lines, i).Rows) mass[{race, w[0]}] = Num(w[6]);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string title = test::SectionTitle(lines[i]);
      if (title.rfind("Battle at ", 0) != 0) continue;
      const std::string planet = title.substr(10);
      const std::pair<int, std::string> key{turn, planet + "#" + std::to_string(++rounds[planet])};
      const bool seen = battles.count(key) > 0;
      std::pair<double, double> lost{0, 0};
      std::pair<int, int> ships{0, 0};
      for (size_t j = i + 1; j < lines.size(); ++j) {
        const std::string list = test::SectionTitle(lines[j]);
        if (list.empty()) continue;
        const TextTable t = test::TableAt(lines, j);
        if (list.size() < 7 || list.substr(list.size() - 7) != " Groups" ||
            t.Header.rfind('#', 0) != 0)
          break;
        std::string race = list.substr(0, list.size() - 7);
        if (race == "Your") race = own;
        for (const TextWords& w : t.Rows) {  // # T D W S C T Q L
          const auto m = mass.find({race, w[1]});
          if (m == mass.end()) unweighed.insert(key);
          const double kg = (m == mass.end() ? 0 : m->second) * (std::stoi(w[0]) - std::stoi(w[8]));
          (race == me ? lost.first : lost.second) += kg;
          (race == me ? ships.first : ships.second) += std::stoi(w[0]) - std::stoi(w[8]);
        }
      }
      if (!seen) {
        battles[key] = lost;
        destroyed[key] = ships;
      }
    }
  });
  ASSERT_GT(battles.size(), 20u);

  const std::vector<TBattleRow> rows = BattleRows(State(), false);
  EXPECT_EQ(rows.size(), battles.size());
  std::set<std::pair<int, std::string>> shown;
  std::map<std::pair<int, std::string>, int> rowRounds;
  for (const TBattleRow& r : rows) {
    const int round = ++rowRounds[{std::stoi(r.Cells[0]), r.Cells[1]}];
    const std::pair<int, std::string> key{std::stoi(r.Cells[0]),
                                          r.Cells[1] + "#" + std::to_string(round)};
    EXPECT_TRUE(shown.insert(key).second) << "twice: " << key.second;
    const auto b = battles.find(key);
    ASSERT_NE(b, battles.end()) << key.second << " turn " << key.first;
    std::pair<int, int> ships{0, 0};
    for (const auto& g : r.Battle->Groups)
      (g->Owner == State().MainPlayer ? ships.first : ships.second) += g->Ships - g->BattleShips;
    EXPECT_EQ(ships, destroyed[key]) << key.second << " turn " << key.first;
    if (unweighed.count(key)) continue;
    EXPECT_NEAR(std::stod(r.Cells[2]), b->second.first, 0.02) << key.second;
    EXPECT_NEAR(std::stod(r.Cells[3]), b->second.second, 0.02) << key.second;
  }
  EXPECT_LT(unweighed.size(), battles.size() / 4);

  const std::vector<TBattleRow> latest = BattleRows(State(), true);
  EXPECT_EQ(latest.size(),
            static_cast<size_t>(std::count_if(battles.begin(), battles.end(), [&](const auto& b) {
              return b.first.first == State().LastTurn;
            })));
}

// Bombings: W O N P I P $ M C; a bombing seen in two reports is one row.
TEST_F(OrionViews, BombingRowsAreTheBombingsTablesOfAllReports) {
  std::map<std::pair<int, std::string>, std::array<std::string, 10>> expected;
  EachReport([&](int turn, const std::vector<std::string>& lines) {
    for (const TextTable& t : test::Tables(lines, "Bombings")) {
      for (const TextWords& w : t.Rows) {
        const std::string producing = w[5] == "MAT" || w[5] == "COL" || w[5] == "CAP" ? w[5] : "";
        expected.emplace(std::pair{turn, w[2]},
                         std::array<std::string, 10>{
                             std::to_string(turn), w[0], w[1], w[2], Fmt("%5.2f", Num(w[3])),
                             Fmt("%5.2f", Num(w[4])), producing, Fmt("%5.2f", Num(w[8])),
                             Fmt("%5.2f", Num(w[6])), Fmt("%5.2f", Num(w[7]))});
      }
    }
  });
  ASSERT_GT(expected.size(), 20u);
  const std::vector<TBombingRow> rows = BombingRows(State(), false);
  ASSERT_EQ(rows.size(), expected.size());
  for (const TBombingRow& r : rows) {
    const auto e = expected.find({std::stoi(r.Cells[0]), r.Cells[3]});
    ASSERT_NE(e, expected.end()) << r.Cells[3];
    EXPECT_EQ(r.Cells, e->second);
  }
}

// Incoming Groups: O D R S M, the rows of the user's own reports (the allies' are not read).
TEST_F(OrionViews, IncomingRowsAreTheIncomingGroupsTablesOfAllReports) {
  std::multiset<std::array<std::string, 6>> expected;
  size_t lastTurn = 0;
  for (int turn = 0; turn <= State().LastTurn; ++turn) {
    const auto lines = test::ReportLines(Orion()->Report('A', turn));
    for (const TextTable& t : test::Tables(lines, "Incoming Groups")) {
      for (const TextWords& w : t.Rows) {
        expected.insert({std::to_string(turn), w[0], w[1], Fmt("%5.2f", Num(w[2])),
                         Fmt("%5.2f", Num(w[3])), Fmt("%5.2f", Num(w[4]))});
        lastTurn += turn == State().LastTurn;
      }
    }
  }
  ASSERT_GT(expected.size(), 5u);
  std::multiset<std::array<std::string, 6>> shown;
  for (const TIncomingRow& r : IncomingRows(State(), false)) shown.insert(r.Cells);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(IncomingRows(State(), true).size(), lastTurn);
}

// "Population" over all turns for every race: one line per race, its points the population
// column of A's status table of each turn (turn 0 names the races by their start names).
TEST_F(OrionViews, PopulationGraphFollowsTheStatusTablesTurnByTurn) {
  const std::vector<TPlayer*> races =
      CollectGraphPlayers(State(), TGraphChoice::All, nullptr, nullptr, false);
  ASSERT_EQ(static_cast<int>(races.size()), State().Players.Count());
  const std::vector<TGraphSeries> series = GraphSeries(races, 4, State().LastTurn);
  ASSERT_EQ(series.size(), races.size());
  auto seriesOf = [&](const std::string& name) -> const TGraphSeries* {
    for (size_t i = 0; i < races.size(); ++i) {
      const std::string aliases = " " + races[i]->Alias + " ";
      if (races[i]->Name == name || aliases.find(" " + name + " ") != std::string::npos)
        return &series[i];
    }
    return nullptr;
  };
  int points = 0;
  for (int turn = 0; turn <= State().LastTurn; ++turn) {
    const auto tables =
        test::Tables(test::ReportLines(Orion()->Report('A', turn)), "Status of Players");
    ASSERT_EQ(tables.size(), 1u);
    for (const TextWords& w : tables[0].Rows) {
      const TGraphSeries* s = seriesOf(w[0]);
      ASSERT_NE(s, nullptr) << w[0] << " turn " << turn;
      ASSERT_EQ(s->Values.size(), static_cast<size_t>(State().LastTurn + 1));
      const std::optional<float> value = s->Values[static_cast<size_t>(turn)];
      ASSERT_TRUE(value.has_value()) << w[0] << " turn " << turn;
      EXPECT_FLOAT_EQ(*value, static_cast<float>(Num(w[5]))) << w[0] << " turn " << turn;
      ++points;
    }
  }
  EXPECT_GT(points, 200);
}

}  // namespace
}  // namespace tovix

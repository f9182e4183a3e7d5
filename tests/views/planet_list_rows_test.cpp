// The planet list's rows on the real game Orion read as race A (allies B and C): the figures and
// owners of every planet in A's last report, read here from the report text, and the order of
// every column checked against a comparison of the test's own. Cell formats and the order's
// edge cases on a small model.

#include "views/planet_list_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "core/reports/report_reader.h"
#include "core/text/str_utils.h"
#include "support/orion_as_a.h"

namespace tovix {
namespace {

using test::Orion;

TEST(FixedCell, FiveSignificantDigitsTwoDecimalsAndExponentAboveThem) {
  const std::vector<std::pair<double, std::string>> cases{
      {0, "0.00"},           {1000, "1000.00"},     {40.346, "40.35"},       {411.17, "411.17"},
      {1234.567, "1234.60"}, {99999.4, "99999.00"}, {123456, "1.2346E+005"}, {-2.5, "-2.50"},
      {0.004, "0.00"},       {0.006, "0.01"},       {-0.001, "0.00"},        {9.999, "10.00"},
      {0.01234, "0.01"},     {17372, "17372.00"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FixedCell(value), text) << value;
  // Every cell reads back as the number it shows.
  EXPECT_FLOAT_EQ(NumberKey(FixedCell(123456)).Number, 123460.0f);
}

class PlanetRowsTest : public testing::Test {
 protected:
  TPlanet* Planet(const std::string& name, int32_t state, const std::string& owner = "") {
    TPlanet* p = game.AddPlanet(LowerCase(name), std::make_unique<TPlanet>(name), 0);
    p->OwnerState = state;
    p->LastOwnerName = owner;
    p->OwnerTurn = 7;
    return p;
  }
  GameState game;
};

TEST_F(PlanetRowsTest, OwnerTextsAndTheOwnerFilter) {
  TPlanet* never = Planet("Never", osNeverSeen);
  Planet("Mine", osKnown, "Arcturans");
  Planet("Lost", osUnknownNow, "Cygnians");
  Planet("Hidden", osUnknownNow, "-");
  Planet("Empty", osUninhabitedNow, "Draconids");
  std::map<std::string, std::string> texts;
  for (const auto& [key, p] : game.Planets) texts[p->Name] = PlanetOwnerText(*p);
  EXPECT_EQ(texts, (std::map<std::string, std::string>{{"Never", ""},
                                                       {"Mine", "Arcturans"},
                                                       {"Lost", "?(7) Cygnians"},
                                                       {"Hidden", "?"},
                                                       {"Empty", "?\?(7) Draconids"}}));
  // A planet never seen is listed under "(All)" only: no entry of its own.
  EXPECT_EQ(PlanetOwnerChoices(game), (std::vector<std::string>{"(All)", "?", "?(7) Cygnians",
                                                                "?\?(7) Draconids", "Arcturans"}));
  std::string owner;
  EXPECT_TRUE(PlanetPassesOwnerFilter(*never, std::nullopt, owner));
  EXPECT_FALSE(PlanetPassesOwnerFilter(*never, std::string("Arcturans"), owner));
  EXPECT_EQ(PlanetRows(game, std::string("?(7) Cygnians")).size(), 1u);
}

TEST_F(PlanetRowsTest, NumberColumnsPutEmptyAndUnreadableCellsFirstAndEqual) {
  std::vector<TPlanetRow> rows;
  for (const char* cell : {"5.00", "", "abc", "-1.00", "10.00", ""}) {
    TPlanetRow row;
    row.Cells[pcolSize] = cell;
    row.Keys[pcolSize] = NumberKey(cell);
    rows.push_back(row);
  }
  // Two empty cells are equal both ways (an invalid ordering would say each is smaller).
  EXPECT_EQ(ComparePlanetRows(rows[1], rows[5], pcolSize), 0);
  EXPECT_EQ(ComparePlanetRows(rows[1], rows[2], pcolSize), 0);
  std::vector<std::string> ascending, descending;
  for (int i : SortedPlanetRows(rows, pcolSize, false))
    ascending.push_back(rows[i].Cells[pcolSize]);
  for (int i : SortedPlanetRows(rows, pcolSize, true))
    descending.push_back(rows[i].Cells[pcolSize]);
  EXPECT_EQ(ascending, (std::vector<std::string>{"", "abc", "", "-1.00", "5.00", "10.00"}));
  EXPECT_EQ(descending, (std::vector<std::string>{"10.00", "5.00", "-1.00", "", "abc", ""}));
  EXPECT_EQ(PlanetSortCaption(true, pcolSize), "Planets list - sort Descending on Size");
  EXPECT_EQ(PlanetSortCaption(false, 20), "Planets list - sort Ascending on Something :-)");
}

// ---- Orion ---------------------------------------------------------------------------------

struct ReportPlanet {
  std::string owner;  // the race, "-" uninhabited, "?" unidentified
  std::vector<std::string> words;
};

// The planets of a race's last report by name, from its planet tables.
std::map<std::string, ReportPlanet> ReportPlanets(const test::OrionAsA& game, char letter,
                                                  const std::string& ownRace) {
  const auto lines = test::FileLines(
      game.games.path() / FormatReportName("%1s%0.03d.txt", letter, game.state.LastTurn));
  std::map<std::string, ReportPlanet> planets;
  const auto tables = test::ReportTables(lines, 0, [](const std::string& title) {
    return title.size() > 8 && title.substr(title.size() - 8) == " Planets";
  });
  for (const auto& [title, words] : tables) {
    std::string owner = title.substr(0, title.size() - 8);
    if (owner == "Your") owner = ownRace;
    if (owner == "Uninhabited") owner = "-";
    if (owner == "Unidentified") owner = "?";
    planets[words[0]] = {owner, words};
  }
  return planets;
}

TEST(PlanetRowsOrion, FiguresAndOwnersAreTheLastReportsAndEveryColumnSorts) {
  test::OrionAsA* game = Orion();
  if (!game) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  GameState& state = game->state;
  ComputePlanetShipMasses(state);
  const std::vector<TPlanetRow> rows = PlanetRows(state, std::nullopt);
  ASSERT_EQ(static_cast<int>(rows.size()), state.Planets.Count());
  std::map<std::string, const TPlanetRow*> byName;
  for (const TPlanetRow& row : rows) byName[row.Cells[pcolName]] = &row;

  const std::string me = state.MainPlayer->Name;
  const auto planets = ReportPlanets(*game, 'A', me);
  ASSERT_GT(planets.size(), 100u);
  int owned = 0, uninhabited = 0;
  for (const auto& [name, p] : planets) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(byName.count(name));
    const auto& cells = byName[name]->Cells;
    if (p.owner == "?") {
      // The allies may name the owner; else the owner is unknown now.
      EXPECT_FALSE(cells[pcolOwner].empty());
      continue;
    }
    if (p.owner == "-") {
      // N X Y S R $ M
      ++uninhabited;
      EXPECT_TRUE(cells[pcolOwner] == "-" || cells[pcolOwner].rfind("?\?(", 0) == 0)
          << cells[pcolOwner];
      if (p.words.size() >= 7) {  // the report gives no figures of a planet seen from afar
        EXPECT_EQ(cells[pcolSize], p.words[3]);
        EXPECT_EQ(cells[pcolResources], p.words[4]);
      }
      continue;
    }
    // N X Y S P I R P $ M C L
    ++owned;
    EXPECT_EQ(cells[pcolOwner], p.owner);
    EXPECT_EQ(cells[pcolSize], p.words[3]);
    EXPECT_EQ(cells[pcolPopulation], p.words[4]);
    EXPECT_EQ(cells[pcolIndustry], p.words[5]);
    EXPECT_EQ(cells[pcolResources], p.words[6]);
  }
  EXPECT_GT(owned, 20);
  EXPECT_GT(uninhabited, 5);

  // The user's ship mass at his home planet is that of his groups standing there.
  const TPlanet* home = byName.begin()->second->Planet;
  for (const auto& [name, row] : byName)
    if (row->Planet->MyShipMass > home->MyShipMass) home = row->Planet;
  float mass = 0;
  for (const auto& g : state.MainPlayer->Groups)
    if (g->Turn == state.LastTurn && g->Distance == 0 && g->Planet == home)
      mass += g->ShipType->Mass() * static_cast<float>(g->Ships);
  EXPECT_GT(mass, 0);
  EXPECT_FLOAT_EQ(home->MyShipMass, mass);

  // Each column in both directions, against the test's own reading of the cells.
  auto expectedLess = [](const TPlanetRow& a, const TPlanetRow& b, int c) {
    const std::string& x = a.Cells[static_cast<size_t>(c)];
    const std::string& y = b.Cells[static_cast<size_t>(c)];
    if (c == pcolName) {
      // Orion names the planets of its first tables by number: those sort as numbers, first.
      auto number = [](const std::string& n) {
        return !n.empty() && n.find_first_not_of("0123456789") == std::string::npos;
      };
      if (number(x) != number(y)) return number(x);
      if (number(x)) return std::stoll(x) < std::stoll(y);
    }
    if (c == pcolName || c == pcolOwner || c == pcolProduceType) return LowerCase(x) < LowerCase(y);
    if (c == pcolNumber) return std::atoi(x.c_str()) < std::atoi(y.c_str());
    if (c == pcolProduceAmount)
      return std::strtof(x.c_str(), nullptr) < std::strtof(y.c_str(), nullptr);
    if (x.empty() || y.empty()) return x.empty() && !y.empty();
    return std::strtof(x.c_str(), nullptr) < std::strtof(y.c_str(), nullptr);
  };
  for (int c = 0; c < kPlanetColumnCount; ++c) {
    for (bool descending : {false, true}) {
      const std::vector<int> order = SortedPlanetRows(rows, c, descending);
      ASSERT_EQ(order.size(), rows.size());
      for (size_t i = 1; i < order.size(); ++i) {
        const TPlanetRow& before = rows[static_cast<size_t>(order[i - 1])];
        const TPlanetRow& after = rows[static_cast<size_t>(order[i])];
        EXPECT_FALSE(descending ? expectedLess(before, after, c) : expectedLess(after, before, c))
            << "column " << c << ": " << before.Cells[static_cast<size_t>(c)] << " then "
            << after.Cells[static_cast<size_t>(c)];
      }
    }
  }

  // A strict weak ordering on every column: irreflexive, asymmetric, with transitive
  // equivalence, on rows drawn with a fixed seed.
  std::mt19937 random(21);
  std::vector<const TPlanetRow*> sample;
  for (int i = 0; i < 30; ++i)
    sample.push_back(&rows[std::uniform_int_distribution<size_t>(0, rows.size() - 1)(random)]);
  for (int c = 0; c < kPlanetColumnCount; ++c) {
    for (const TPlanetRow* a : sample) {
      EXPECT_EQ(ComparePlanetRows(*a, *a, c), 0);
      for (const TPlanetRow* b : sample) {
        const int ab = ComparePlanetRows(*a, *b, c);
        const bool backwards = ComparePlanetRows(*b, *a, c) > 0;
        EXPECT_EQ(ab < 0, backwards);
        for (const TPlanetRow* x : sample) {
          if (ab == 0 && ComparePlanetRows(*b, *x, c) == 0) {
            EXPECT_EQ(ComparePlanetRows(*a, *x, c), 0);
          }
        }
      }
    }
  }
}

TEST(PlanetRowsOrion, OrderColumnsAndDistancesRewriteOnlyTheirCells) {
  test::OrionAsA* game = Orion();
  if (!game) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  GameState& state = game->state;
  std::vector<TPlanetRow> rows = OwnPlanetRows(state);
  ASSERT_FALSE(rows.empty());
  for (const TPlanetRow& row : rows) EXPECT_EQ(row.Cells[pcolOwner], state.MainPlayer->Name);
  const auto before = rows;
  rows[0].Planet->SentMass = 12.5f;
  rows[0].Planet->Buildability = 3;
  for (TPlanetRow& row : rows) RefreshOrderCells(state, row);
  EXPECT_EQ(rows[0].Cells[pcolSentMass], "12.50");
  EXPECT_EQ(rows[0].Cells[pcolBuildability], " 3.00");
  for (int c = 0; c < kPlanetColumnCount; ++c) {
    if (c == pcolShipMass || (c >= pcolSentMass && c <= pcolBuildability)) continue;
    EXPECT_EQ(rows[0].Cells[static_cast<size_t>(c)], before[0].Cells[static_cast<size_t>(c)]);
  }
  rows[0].Planet->SentMass = 0;
  rows[0].Planet->Buildability = 0;

  SetDistancesFrom(state, rows, *rows[0].Planet);
  EXPECT_EQ(rows[0].Cells[pcolDistance], " 0.00");
  const TPlanet& a = *rows[0].Planet;
  const TPlanet& b = *rows.back().Planet;
  EXPECT_NEAR(std::strtod(rows.back().Cells[pcolDistance].c_str(), nullptr),
              std::hypot(a.X - b.X, a.Y - b.Y) / 100.0, 0.006);
}

}  // namespace
}  // namespace tovix

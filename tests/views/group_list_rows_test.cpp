// The groups list's rows on the real game Orion read as race A (allies B and C): A's groups as
// the analysis of A's last order file leaves them, and the other races' groups of A's last
// report, both checked against the report text. The order lines and hand-overs on a small model.

#include "views/group_list_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "core/text/str_utils.h"
#include "orders/order_lines.h"
#include "support/orion_as_a.h"

namespace tovix {
namespace {

using test::Orion;

class GroupRowsTest : public testing::Test {
 protected:
  GroupRowsTest() {
    auto race = std::make_unique<TPlayer>(1);
    me = race.get();
    game.Players.AddObject("me", std::move(race));
    me->Name = "Me";
    game.MainPlayer = me;
    home = game.AddPlanet("home", std::make_unique<TPlanet>("Home"), 0);
    far = game.AddPlanet("far", std::make_unique<TPlanet>("Far"), 0);
    far->X = 3000;
    far->Y = 4000;
    type = std::make_unique<TShipType>("Gun", TGameType::NG);
    type->Drive = 10;
    type->Attacks = 1;
    type->Weapons = 2;
    type->Cargo = 1;
  }
  TGroup* Group(int number, int ships, float load = 0) {
    auto g = std::make_unique<TGroup>();
    g->GroupNumber = number;
    g->Ships = ships;
    g->Owner = me;
    g->Planet = home;
    g->ShipType = type.get();
    g->Load = load;
    g->Turn = game.LastTurn;
    me->Groups.push_back(std::move(g));
    return me->Groups.back().get();
  }
  GameState game;
  TPlayer* me = nullptr;
  TPlanet* home = nullptr;
  TPlanet* far = nullptr;
  std::unique_ptr<TShipType> type;
};

TEST_F(GroupRowsTest, RecordsShowTheirShipsPlanetAndNumberAndMakeTheirOrders) {
  Group(3, 4, 1);
  Group(7, 2);
  Group(12, 5, 2);
  TOrderAnalysis analysis(game);
  analysis.ParseOrders(TVectorOrderLines({"S 7 Far 1"}));
  std::vector<TGroupRow> rows =
      GroupRows(game, &analysis, GroupCandidates({}, &analysis), std::nullopt, std::nullopt, far);
  ASSERT_EQ(rows.size(), 4u);  // three groups and the ship split off group 7
  const TGroupRow& seven = rows[1];
  const TGroupRow& split = rows[3];
  EXPECT_EQ(seven.Cells[gcolAvailable], "1");
  EXPECT_EQ(seven.Cells[gcolPlanet], "Home");
  EXPECT_EQ(seven.Cells[gcolDistance], "50.00");
  // The part in flight shows its destination, its own ships, and the number the orders give
  // it rather than its parent's, so that its orders name it.
  EXPECT_EQ(split.Cells[gcolPlanet], "Far");
  EXPECT_EQ(split.Cells[gcolCount], "1");
  EXPECT_EQ(split.Cells[gcolAvailable], "0");
  EXPECT_EQ(split.Cells[gcolNumber], "13");
  EXPECT_EQ(split.Cells[gcolSource], "Home");
  EXPECT_EQ(split.Cells[gcolDistance], "0.00");
  EXPECT_EQ(split.Group->TrackTo, far);

  std::vector<const TGroupRow*> selected{&rows[0], &rows[1], &rows[2]};
  EXPECT_EQ(UpgradeLines(selected), "G 3\r\nG 7\r\nG 12");
  EXPECT_EQ(UnloadLines(selected), "U 3\r\nU 12");

  // The picker gets the groups that stand and can move; its limits follow the mode.
  selected.push_back(&split);
  TPickerRequest request = PickerRequest(selected, TSendMode::GroupsToPlanets);
  EXPECT_EQ(request.Groups.size(), 3u);
  EXPECT_EQ(request.MaxPlanets, 10) << "4 of group 3, the 1 of group 7 left, 5 of group 12";
  EXPECT_TRUE(request.Spread);
  EXPECT_EQ(PickerRequest(selected, TSendMode::GroupToPlanets).MaxPlanets, 5);
  EXPECT_EQ(PickerRequest(selected, TSendMode::GroupsToPlanet).MaxPlanets, 1);
  type->Drive = 0;
  EXPECT_TRUE(PickerRequest(selected, TSendMode::GroupsToPlanet).Groups.empty());
}

// By number the user's groups come first and the other races' groups (which show no number)
// after them, in either direction; planets named by a number sort as numbers.
TEST_F(GroupRowsTest, OtherRacesGroupsFollowTheOwnByNumberAndNumberNamesSortAsNumbers) {
  auto race = std::make_unique<TPlayer>(2);
  TPlayer* other = race.get();
  other->Name = "Other";
  game.Players.AddObject("other", std::move(race));
  TPlanet* p9 = game.AddPlanet("9", std::make_unique<TPlanet>("9"), 0);
  TPlanet* p10 = game.AddPlanet("10", std::make_unique<TPlanet>("10"), 0);
  Group(3, 1);
  Group(12, 1)->Planet = p10;
  auto foreign = std::make_unique<TGroup>();
  foreign->Owner = other;
  foreign->Ships = 2;
  foreign->Planet = p9;
  foreign->ShipType = type.get();
  other->Groups.push_back(std::move(foreign));
  std::vector<TGroup*> others{other->Groups.back().get()};
  TOrderAnalysis analysis(game);
  analysis.ParseOrders(TVectorOrderLines());
  const std::vector<TGroupRow> rows = GroupRows(game, &analysis, GroupCandidates(others, &analysis),
                                                std::nullopt, std::nullopt, nullptr);
  ASSERT_EQ(rows.size(), 3u);
  // As the list sorts: a descending sort compares the rows the other way round.
  auto sorted = [&](int column, bool descending) {
    std::vector<int> order{0, 1, 2};
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const TGroupRow& x = rows[static_cast<size_t>(a)];
      const TGroupRow& y = rows[static_cast<size_t>(b)];
      return descending ? CompareGroupRows(y, x, column, true) < 0
                        : CompareGroupRows(x, y, column, false) < 0;
    });
    std::string texts;
    for (int i : order) texts += rows[static_cast<size_t>(i)].Cells[column] + "|";
    return texts;
  };
  EXPECT_EQ(sorted(gcolNumber, false), "3|12||");
  EXPECT_EQ(sorted(gcolNumber, true), "12|3||");
  EXPECT_EQ(sorted(gcolPlanet, false), "9|10|Home|");
  EXPECT_EQ(sorted(gcolPlanet, true), "Home|10|9|");
}

TEST(GroupRows, ExpressionsCombineAndCaptionsNameTheKey) {
  EXPECT_EQ(CombineGroupExpressions("", "[GR_COUNT] > 5"), "[GR_COUNT] > 5");
  EXPECT_EQ(CombineGroupExpressions("A", "B"), "(A) and (B)");
  EXPECT_EQ(GroupSortCaption(false, gcolCount), "Groups - sort Ascending on Number of Ships");
  EXPECT_EQ(GroupSortCaption(true, 99), "Groups - sort Descending on Something :-)");
}

// ---- Orion ---------------------------------------------------------------------------------

using Seen = std::tuple<std::string, std::string, std::string, std::string>;  // owner, planet,
                                                                              // ships, type

TEST(GroupRowsOrion, OwnGroupsAfterTheOrdersAndOtherRacesGroupsAsTheReportListsThem) {
  test::OrionAsA* game = Orion();
  if (!game) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  GameState& state = game->state;
  const std::string me = state.MainPlayer->Name;
  TOrderAnalysis analysis(state);
  analysis.ParseOrders(TVectorOrderLines(test::FileLines(game->source / "orders" / "A025.txt")));
  const std::vector<TGroupRow> rows =
      GroupRows(state, &analysis, GroupCandidates(OtherGroups(state), &analysis), std::nullopt,
                std::nullopt, nullptr);

  const auto lines = test::FileLines(game->games.path() / "A025.txt");
  size_t groupsStart = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == "\t\tUninhabited Planets") groupsStart = i;
  ASSERT_GT(groupsStart, 0u);

  // A's groups: G # T D W S C T Q D [R O]; each one's record shows the report's ships and
  // planet, and the ships the orders leave.
  std::map<int, const TGroupRow*> own;
  int records = 0;
  for (const TGroupRow& row : rows) {
    if (!row.Item.Record) continue;
    ++records;
    EXPECT_EQ(row.Cells[gcolOwner], me);
    if (row.Item.Record->Base) own[row.Item.Record->Number] = &row;
    EXPECT_EQ(row.Cells[gcolCount], std::to_string(row.Item.Record->Ships));
    EXPECT_EQ(row.Cells[gcolAvailable],
              std::to_string(TOrderAnalysis::AvailableShips(*row.Item.Record)));
  }
  EXPECT_EQ(records, static_cast<int>(analysis.Records().size()));
  const auto yours = test::ReportTables(lines, groupsStart,
                                        [](const std::string& t) { return t == "Your Groups"; });
  ASSERT_GT(yours.size(), 20u);
  for (const auto& [title, w] : yours) {
    SCOPED_TRACE(w[0]);
    const int number = std::stoi(w[0]);
    ASSERT_TRUE(own.count(number));
    const TGroupRow& row = *own[number];
    EXPECT_EQ(row.Cells[gcolPlanet], w[9]);
    EXPECT_EQ(row.Cells[gcolShipType], w[2]);
    // The report's ships are the group's records' together.
    int32_t ships = 0;
    for (const TSendedGroup& r : analysis.Records())
      if (r.Group == row.Group) ships += r.Ships + r.Scrapped;
    if (w.size() <= 10) {
      EXPECT_EQ(std::to_string(ships), w[1]);
    }
  }
  // "s 11 134 1", "s 11 133 1", "s 11 51 1": three of group 11's four ships leave, each a
  // row of its own bound for its planet; group 12 likewise.
  EXPECT_EQ(own[11]->Cells[gcolAvailable], "1");
  EXPECT_EQ(own[12]->Cells[gcolAvailable], "3");
  std::multiset<std::string> splitTo;
  for (const TGroupRow& row : rows)
    if (row.Item.Record && !row.Item.Record->Base)
      splitTo.insert(row.Cells[gcolShipType] + " " + row.Cells[gcolCount] + " " +
                     row.Cells[gcolPlanet] + " from " + row.Cells[gcolSource]);
  EXPECT_EQ(splitTo, (std::multiset<std::string>{
                         "Cruiser 1 134 from ArcturansPrime", "Cruiser 1 133 from ArcturansPrime",
                         "Cruiser 1 51 from ArcturansPrime", "Drone 1 128 from ArcturansForge",
                         "Drone 1 74 from ArcturansForge", "Drone 1 46 from ArcturansForge"}));

  // The other races' groups: # T D W S C T Q D, under "<race> Groups".
  std::multiset<Seen> shown;
  for (const TGroupRow& row : rows)
    if (!row.Item.Record)
      shown.insert({row.Cells[gcolOwner], row.Cells[gcolPlanet], row.Cells[gcolCount],
                    row.Cells[gcolShipType]});
  const auto others = test::ReportTables(lines, groupsStart, [](const std::string& t) {
    return t != "Your Groups" && t.size() > 7 && t.substr(t.size() - 7) == " Groups";
  });
  ASSERT_GT(others.size(), 50u);
  std::multiset<Seen> expected;
  for (const auto& [title, w] : others)
    expected.insert({title.substr(0, title.size() - 7), w[8], w[0], w[1]});
  for (const Seen& s : expected) {
    EXPECT_GE(shown.count(s), expected.count(s)) << std::get<0>(s) << " " << std::get<2>(s) << " "
                                                 << std::get<3>(s) << " at " << std::get<1>(s);
  }
  // None of them is the user's.
  for (const TGroupRow& row : rows) {
    if (!row.Item.Record) {
      EXPECT_NE(row.Cells[gcolOwner], me);
    }
  }
}

}  // namespace
}  // namespace tovix

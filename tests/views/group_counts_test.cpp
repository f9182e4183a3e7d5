// One count of the user's ships for every window: after orders that send, break off, upgrade
// and unload part of a group, Planet Info, the groups list, "Sent Ships" and the destination
// picker show each record of the order analysis with the same ships and the same ships left to
// send (the real game Orion read as race A).

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/text/str_utils.h"
#include "orders/order_lines.h"
#include "orders/send_orders.h"
#include "support/orion_as_a.h"
#include "views/group_list_rows.h"
#include "views/planet_info.h"

namespace tovix {
namespace {

// The user's groups standing at a planet that can move, the largest first.
std::vector<TGroup*> StandingGroups(const GameState& state) {
  std::vector<TGroup*> groups;
  for (const auto& g : state.MainPlayer->Groups)
    if (g->Turn == state.LastTurn && g->Distance == 0 && g->Planet && g->Speed() > 0)
      groups.push_back(g.get());
  std::stable_sort(groups.begin(), groups.end(),
                   [](const TGroup* a, const TGroup* b) { return a->Ships > b->Ships; });
  return groups;
}

TEST(GroupCounts, EveryWindowShowsTheAnalysisRecordsAfterPartsOfGroupsAreOrdered) {
  test::OrionAsA* game = test::Orion();
  if (!game) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  GameState& state = game->state;
  const std::vector<TGroup*> standing = StandingGroups(state);
  ASSERT_GE(standing.size(), 3u);
  TGroup* sent = standing[0];
  TGroup* broken = standing[1];
  TGroup* upgraded = standing[2];
  ASSERT_GE(upgraded->Ships, 3);
  TGroup* unloaded = nullptr;  // a loaded group of two ships or more, when the race has one
  for (const auto& g : state.MainPlayer->Groups)
    if (g->Turn == state.LastTurn && g->Distance == 0 && g->Load > 0 && g->Ships >= 2 &&
        g.get() != sent && g.get() != broken && g.get() != upgraded)
      unloaded = g.get();
  TPlanet* target = nullptr;
  for (auto [key, p] : state.Planets)
    if (p != sent->Planet && (!target || p->Name < target->Name)) target = p;
  const int32_t part = sent->Ships / 3 + 1;
  std::vector<std::string> orders{
      "S " + std::to_string(sent->GroupNumber) + " " + target->Name + " " + std::to_string(part),
      "B " + std::to_string(broken->GroupNumber) + " 2",
      "G " + std::to_string(upgraded->GroupNumber) + " 1"};
  if (unloaded) orders.push_back("U " + std::to_string(unloaded->GroupNumber) + " 1");

  TOrderAnalysis analysis(state);
  analysis.ParseOrders(TVectorOrderLines(orders));
  ASSERT_TRUE(analysis.LineNotes().empty()) << analysis.Notes().front();
  ASSERT_NE(unloaded, nullptr) << "the race has a loaded group to unload";

  // What the orders leave, worked out from the orders themselves: the part split off and the
  // rest of the group, with the ships of each still free to send.
  struct Expected {
    int32_t Ships, Available;
  };
  std::map<int32_t, Expected> expected{
      {sent->GroupNumber, {sent->Ships - part, sent->Ships - part}},
      {broken->GroupNumber, {broken->Ships - 2, broken->Ships - 2}},
      {upgraded->GroupNumber, {upgraded->Ships - 1, upgraded->Ships - 1}}};
  std::map<int32_t, Expected> splits;  // by the group split from, the part's figures
  splits[sent->GroupNumber] = {part, 0};
  splits[broken->GroupNumber] = {2, 2};
  splits[upgraded->GroupNumber] = {1, 0};
  if (unloaded) {
    expected[unloaded->GroupNumber] = {unloaded->Ships - 1, unloaded->Ships - 1};
    splits[unloaded->GroupNumber] = {1, 1};
  }
  for (const TSendedGroup& r : analysis.Records()) {
    const int32_t parent = r.Group->GroupNumber;
    const Expected* want = nullptr;
    if (r.Base && expected.count(parent)) want = &expected[parent];
    if (!r.Base && splits.count(parent)) want = &splits[parent];
    if (!want) continue;
    SCOPED_TRACE("group " + std::to_string(r.Number) + " of " + std::to_string(parent));
    EXPECT_EQ(r.Ships, want->Ships);
    EXPECT_EQ(TOrderAnalysis::AvailableShips(r), want->Available);
  }

  // The groups list: one row per record, by the number the orders give it.
  const std::vector<TGroupRow> listRows = GroupRows(
      state, &analysis, GroupCandidates({}, &analysis), std::nullopt, std::nullopt, nullptr);
  std::map<int32_t, const TGroupRow*> listed;
  for (const TGroupRow& row : listRows) listed[row.Item.Record->Number] = &row;
  // "Sent Ships": the records with a destination (cargo ships are the planner's).
  std::map<int32_t, TSentShipRow> sentShips;
  for (const TSentShipRow& row : analysis.SentShipRows())
    sentShips[analysis.Records()[static_cast<size_t>(row.Record)].Number] = row;
  // The destination picker's groups of Advanced Send, with the picker's own count.
  TSendGroups pickerGroups;
  for (const TSendedGroup& r : analysis.Records())
    if (r.Group->Distance == 0 && r.Group->Speed() > 0)
      pickerGroups.emplace_back(r.Number, r.Group);
  const TAdvancedSend picker(
      state, pickerGroups, {target},
      [&analysis](int32_t number, const TGroup& g) { return analysis.AvailableShipsOf(number, g); },
      false);
  std::map<int32_t, int32_t> pickerAvailable;
  for (const auto& row : picker.GroupRows()) pickerAvailable[row.Key] = row.Available;

  int checked = 0;
  for (const TSendedGroup& r : analysis.Records()) {
    if (r.Group->Turn != state.LastTurn) continue;
    SCOPED_TRACE("record " + std::to_string(r.Number));
    const std::string ships = std::to_string(r.Ships);
    const int32_t available = TOrderAnalysis::AvailableShips(r);
    ASSERT_TRUE(listed.count(r.Number));
    EXPECT_EQ(listed[r.Number]->Cells[gcolCount], ships);
    EXPECT_EQ(listed[r.Number]->Cells[gcolAvailable], std::to_string(available));
    // Planet Info at the planet the ships stand at or leave.
    const TPlanet* at = r.Source ? r.Source : r.Group->Planet;
    bool shown = false;
    for (const TPlanetGroupRow& row :
         PlanetGroupRows(state, *at, analysis.Records(), &TOrderAnalysis::AvailableShips)) {
      if (!row.Own || FirstIntInStr(row.Cells[0]) != r.Number) continue;
      EXPECT_EQ(row.Cells[3], ships + " (" + std::to_string(available) + ")");
      shown = true;
    }
    if (r.Group->Distance == 0) {
      EXPECT_TRUE(shown) << "not at " << at->Name;
    }
    if (r.Destination && r.Group->CargoCapacity() <= 0) {
      ASSERT_TRUE(sentShips.count(r.Number));
      EXPECT_EQ(sentShips[r.Number].Ships, ships);
    }
    const bool sendable = r.Group->Distance == 0 && r.Group->Speed() > 0;
    EXPECT_EQ(pickerAvailable.count(r.Number) ? pickerAvailable[r.Number] : 0,
              sendable ? available : 0);
    ++checked;
  }
  EXPECT_GE(checked, static_cast<int>(standing.size()) + 3);
}

}  // namespace
}  // namespace tovix

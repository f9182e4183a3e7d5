// The orders window's edits of the order text and its To Do pop-up on a small hand-made game:
// the renamed planet names, production orders replaced in a selection, the development tags,
// the planets and lines of the To Do items, and when GalaxyBot's orders may be loaded.

#include "orders/order_edits.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/file_utils.h"
#include "core/str_utils.h"
#include "orders/galaxy_bot.h"
#include "orders/todo_orders.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

TEST(RenamedPlanetNames, AreTheThirdWordOfEveryLineBeginningWithN) {
  TVectorOrderLines lines({
      "#GALAXY Game Race pw",
      "N 12 Vega",             // the usual rename
      "n\tHome\tAltair  ; c",  // any case, tabs between the words
      "Nx a Deneb",            // only the first letter is read
      " N a Rigel",            // not at the start of the line
      "N Lonely",              // no third word
      "; N a Sirius",          // a comment
      "P Home CAP",
  });
  EXPECT_EQ(CollectRenamedPlanetNames(lines),
            (std::vector<std::string>{"Vega", "Altair", "Deneb"}));
  EXPECT_TRUE(CollectRenamedPlanetNames(TVectorOrderLines()).empty());
}

// Home (0,0) and Near (6,8) belong to the user; a cargo design "Hauler" (capacity 20, speed 10
// empty and 5 full).
class SmallGame : public testing::Test {
 protected:
  void SetUp() override {
    state.Settings.GameType = TGameType::NG;
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Humans";
    own = race.get();
    for (int t = 0; t <= 1; ++t) own->SetTurnValues(t, "Humans", false, 3, 100, 100, 1, 1, 1, 1);
    state.Players.AddObject("humans", std::move(race));
    state.MainPlayer = own;
    home = AddPlanet("Home", 0, 0, 1000, 1000);
    near = AddPlanet("Near", 600, 800, 500, 100);
    auto type = std::make_unique<TShipType>("Hauler", TGameType::NG);
    type->Drive = 10;
    type->Cargo = 10;
    hauler = own->AddShipType(std::move(type));
  }

  TPlanet* AddPlanet(const std::string& name, int32_t x, int32_t y, float size, float population) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    planet->Y = y;
    planet->Size = size;
    planet->Population = population;
    planet->Industry = population;
    planet->Resources = 1;
    planet->Owner = TOwnerRef::Of(own);
    return state.AddPlanet(LowerCase(name), std::move(planet), PlanetDistanceKey(x, y));
  }
  TGroup* AddGroup(int32_t number, int32_t ships, TPlanet* at) {
    auto group = std::make_unique<TGroup>();
    group->GroupNumber = number;
    group->ShipType = hauler;
    group->Ships = ships;
    group->Planet = at;
    group->Owner = own;
    own->Groups.push_back(std::move(group));
    return own->Groups.back().get();
  }
  // The plan's record of group `number`.
  const TDevGroup* Group(int32_t number) {
    for (const auto& g : planner.Groups())
      if (g->Number == number) return g.get();
    ADD_FAILURE() << "no group " << number;
    return nullptr;
  }
  std::vector<std::string> Names(const std::vector<TToDoTarget>& targets) {
    std::vector<std::string> names;
    for (const TToDoTarget& t : targets)
      names.push_back(t.Planet->Name + "/" + std::to_string(t.Turns));
    return names;
  }

  GameState state;
  TPlayer* own = nullptr;
  TPlanet *home = nullptr, *near = nullptr;
  TShipType* hauler = nullptr;
  TDevelopmentPlanner planner{state};
};

TEST_F(SmallGame, ReplacesTheProductionOrdersOfASelectionAndKeepsEverythingElse) {
  TOrderAnalysis analysis(state);
  const auto replace = [](const TPlanet& planet) { return "P " + planet.Name + " Drive"; };
  struct Case {
    const char* name;
    std::string text, expected;
  } cases[] = {
      {"line ends of every kind kept", "p home cap\r\nS 1 Near\nP near MAT\rP Nowhere CAP",
       "P Home Drive\r\nS 1 Near\nP Near Drive\rP Nowhere CAP"},
      {"a comment after the order goes with it", "P Home CAP ; t2\r\n", "P Home Drive\r\n"},
      {"a tag or a comment is no order", ";P Home\r\n; P Near CAP", ";P Home\r\n; P Near CAP"},
      {"empty lines stay", "\r\n\r\nP Near\r\n", "\r\n\r\nP Near Drive\r\n"},
      {"nothing selected", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplaceProductionLines(c.text, analysis, replace), c.expected) << c.name;
  // An empty replacement keeps the line.
  EXPECT_EQ(ReplaceProductionLines("P Home CAP", analysis, [](const TPlanet&) { return ""; }),
            "P Home CAP");
}

TEST_F(SmallGame, TagsOnlyThePlanetsNotOnTheDevelopingList) {
  std::vector<TToDevelopRow> toDevelop(2);
  toDevelop[0].Planet = home;
  toDevelop[1].Planet = near;
  std::vector<TDevelopingRow> developing(1);
  developing[0].Planet = near;
  EXPECT_EQ(DevelopTagsForUndeveloped(toDevelop, developing), ";P Home");
  developing.clear();
  EXPECT_EQ(DevelopTagsForUndeveloped(toDevelop, developing), ";P Home\r\n;P Near");
  developing.resize(2);
  developing[0].Planet = home;
  developing[1].Planet = near;
  EXPECT_EQ(DevelopTagsForUndeveloped(toDevelop, developing), "");
}

TEST_F(SmallGame, ToDoItemsOfferTheirPlanetsNearestFirstWithTheTripsTurns) {
  // Near grows (a development tag) and needs colonists and industry; Home holds colonists and
  // capital for next turn. Forty-four more growing planets far away.
  home->Colonists = 30;
  home->Capital = 30;
  std::vector<std::string> lines{";P Near"};
  for (int i = 0; i < 44; ++i) {
    const std::string name = "Far" + std::to_string(i);
    AddPlanet(name, 20000 + 100 * i, 0, 500, 100);
    lines.push_back(";P " + name);
  }
  AddGroup(7, 3, home);
  AddGroup(8, 2, near);
  TAutoCargoSettings settings;
  settings.SortOn = {"Distance"};
  planner.PlanAutomaticCargo(TVectorOrderLines(lines), true, false);
  const TDevGroup* atHome = Group(7);
  ASSERT_NE(atHome, nullptr);

  // Loaded trips at the full speed of 5: Near is 10 away (2 turns), Far0 200 away (40 turns).
  const std::vector<TToDoTarget> col = ToDoTargets(planner, *atHome, settings, TToDoSend::LoadCol);
  ASSERT_EQ(col.size(), 40u) << "at most 40 COL targets";
  EXPECT_EQ(Names(col)[0], "Near/2");
  EXPECT_EQ(Names(col)[1], "Far0/40");
  EXPECT_EQ(ToDoTargets(planner, *atHome, settings, TToDoSend::LoadCap).size(), 45u);
  // Empty trips at the speed of 10 go to the own planets with cargo next turn: Home from Near.
  EXPECT_EQ(Names(ToDoTargets(planner, *Group(8), settings, TToDoSend::Send)),
            std::vector<std::string>{"Home/1"});
  EXPECT_TRUE(ToDoTargets(planner, *atHome, settings, TToDoSend::Send).empty())
      << "a group is never sent to its own planet";
}

TEST_F(SmallGame, ToDoItemsWriteOneShipOrTheWholeGroup) {
  AddGroup(7, 3, home);
  AddGroup(9, 1, home);
  planner.PlanAutomaticCargo(TVectorOrderLines(), true, false);
  const TDevGroup& three = *Group(7);
  const TDevGroup& one = *Group(9);
  struct Case {
    const TDevGroup* group;
    TToDoSend kind;
    bool all;
    const char* expected;
  } cases[] = {
      {&three, TToDoSend::Send, false, "S 7 Near 1"},
      {&one, TToDoSend::Send, false, "S 9 Near"},
      {&three, TToDoSend::Send, true, "S 7 Near"},
      {&three, TToDoSend::LoadCol, false, "B 7 1\r\nL MAX COL\r\nS MAX Near"},
      {&one, TToDoSend::LoadCol, false, "L 9 COL\r\nS 9 Near"},
      {&three, TToDoSend::LoadCap, true, "L 7 CAP\r\nS 7 Near"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToDoCommand(*c.group, c.kind, c.all, *near), c.expected) << c.expected;
  EXPECT_EQ(ToDoUpgradeCommand(three), "G 7");

  // On Loaded \ Sent the items apply only to a transport the planner planned, not upgraded.
  TDevGroup g;
  const std::pair<TDevState, bool> rows[] = {
      {TDevState::Planned, false}, {TDevState::Planned, true}, {TDevState::Travels, false}};
  for (const auto& [state, upgraded] : rows) {
    g.State = state;
    g.Upgraded = upgraded;
    EXPECT_TRUE(ToDoItemsApply(g, false));
    EXPECT_EQ(ToDoItemsApply(g, true), state == TDevState::Planned && !upgraded);
  }
}

TEST(GalaxyBot, GetsItsFilesAsArgumentsAndItsOrdersOnlyWhenItWroteThemAndSucceeded) {
  test::TempDir dir;
  const fs::path folder = dir.path();
  EXPECT_TRUE(GalaxyBotProgram(folder).empty());
  WriteFileAtomically(folder / "GalaxyBot.exe", "");
  EXPECT_EQ(GalaxyBotProgram(folder), folder / "GalaxyBot.exe");
  WriteFileAtomically(folder / "GalaxyBot", "");
  EXPECT_EQ(GalaxyBotProgram(folder), folder / "GalaxyBot");

  const fs::path orders = BotOrdersFile(folder, "3");
  EXPECT_EQ(orders, folder / "Botorders_3");
  EXPECT_EQ(BotOptionsFile(folder, "3"), folder / "BotOptions_3");
  EXPECT_EQ(GalaxyBotArguments("/g/A 025.txt", orders, "/o"),
            (std::vector<std::string>{"-file", "/g/A 025.txt", orders.string(), "/o"}));

  // No file before the run: a file written by it counts, unless the program failed.
  TBotOrdersStamp before = BotOrdersStamp(orders);
  EXPECT_FALSE(before.Existed);
  EXPECT_FALSE(BotOrdersReady(0, orders, before)) << "nothing written";
  WriteFileAtomically(orders, "#GALAXY\r\n");
  EXPECT_TRUE(BotOrdersReady(0, orders, before));
  EXPECT_FALSE(BotOrdersReady(1, orders, before));
  EXPECT_FALSE(BotOrdersReady(-1, orders, before));
  // A file an earlier run left: only a new write counts.
  fs::last_write_time(orders, fs::file_time_type::clock::now() - std::chrono::hours(1));
  before = BotOrdersStamp(orders);
  EXPECT_TRUE(before.Existed);
  EXPECT_FALSE(BotOrdersReady(0, orders, before)) << "the stale file of an earlier run";
  WriteFileAtomically(orders, "#GALAXY\r\n");
  EXPECT_TRUE(BotOrdersReady(0, orders, before));
}

}  // namespace
}  // namespace tovix

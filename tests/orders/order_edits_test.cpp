// The orders window's edits of the order text: the renamed planet names, production orders
// replaced in a selection, the development tags; and when GalaxyBot's orders may be loaded.

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

// Two planets, Home and Near.
class TwoPlanets : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Home", "Near"}) {
      TPlanet* planet = state.AddPlanet(LowerCase(name), std::make_unique<TPlanet>(name),
                                        PlanetDistanceKey(0, 0));
      (home ? near : home) = planet;
    }
  }
  GameState state;
  TPlanet *home = nullptr, *near = nullptr;
};

TEST_F(TwoPlanets, ReplacesTheProductionOrdersOfASelectionAndKeepsEverythingElse) {
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

TEST_F(TwoPlanets, TagsOnlyThePlanetsNotOnTheDevelopingList) {
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

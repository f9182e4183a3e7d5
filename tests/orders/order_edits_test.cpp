// The orders window's edits of the order text: the renamed planet names, production orders
// replaced in a selection, the development tags, standard ships on the own planets; and when
// GalaxyBot's orders may be loaded.

#include "orders/order_edits.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "orders/galaxy_bot.h"
#include "orders/order_text.h"
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

// The own race Humans with the planets Home and Twin (9.90 ship mass a turn each), Edge (2.00),
// Small (1.49) and Bare (no resources); Orcs own Foreign (9.90).
class StandardShipGame : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Humans", "Orcs"}) {
      auto race = std::make_unique<TPlayer>(5);
      race->Name = name;
      races.push_back(race.get());
      state.Players.AddObject(LowerCase(name), std::move(race));
    }
    state.MainPlayer = races[0];
    struct Planet {
      const char* name;
      int owner;
      float resources, industry, material;
    } planets[] = {{"Home", 0, 10, 100, 0}, {"Twin", 0, 10, 100, 0}, {"Edge", 0, 1, 20, 10},
                   {"Small", 0, 10, 15, 0}, {"Bare", 0, 0, 100, 50}, {"Foreign", 1, 10, 100, 0}};
    for (const Planet& p : planets) {
      auto planet = std::make_unique<TPlanet>(p.name);
      planet->Owner = TOwnerRef::Of(races[static_cast<size_t>(p.owner)]);
      planet->Resources = p.resources;
      planet->Industry = planet->Population = p.industry;
      planet->Material = p.material;
      state.AddPlanet(LowerCase(p.name), std::move(planet), PlanetDistanceKey(0, 0));
    }
  }
  // Replaces the production orders of `text` as "Replace Production Type To Standard Ship"
  // does with the default schemes and `turns`; `masses` records what the designer was asked.
  std::string Replace(std::string_view text, int turns, std::set<std::string> designed = {}) {
    TOrderAnalysis analysis(state);
    TStandardShipProduction production(
        state,
        [this, turns](double mass) {
          masses.push_back(mass);
          return GenerateStandardShip(mass, turns, TStdShipChoices{});
        },
        turns, std::move(designed));
    return ReplaceProductionLines(
        text, analysis, [&](const TPlanet& planet) { return production.ForPlanet(planet); });
  }
  GameState state;
  std::vector<TPlayer*> races;
  std::vector<double> masses;
};

TEST_F(StandardShipGame, ProductionOrdersOfOwnPlanetsBecomeTimedStandardShips) {
  const std::string text =
      "P Home CAP\r\nP Twin MAT\r\nP Edge CAP\r\nP Small CAP\r\nP Bare CAP\r\nP Foreign CAP";
  // 9.90 a turn, one turn: a budget of 9; the design goes out once, before its first use.
  const std::string home = "D AM12_9 4.50 1 2.25 2.25 0 ; 1 turns to build\r\nP Home AM12_9 ; t1";
  EXPECT_EQ(Replace(text, 1), home +
                                  "\r\nP Twin AM12_9 ; t1\r\nP Edge CAP\r\nP Small CAP\r\nP Bare "
                                  "CAP\r\nP Foreign CAP")
      << "Edge's budget of 2 builds nothing; Small and Bare build less than 2.0; Foreign is not "
         "ours";
  EXPECT_EQ(masses.size(), 3u) << "the designer is asked only for own planets of 2.0 and more";
  ASSERT_FALSE(masses.empty());
  EXPECT_FLOAT_EQ(static_cast<float>(masses[0]), 100.0f / 10.1f);

  // Two turns: Edge's 2.00 a turn gives a budget of 4; each design once.
  EXPECT_EQ(Replace("P Edge CAP\nP Home CAP\nP Twin CAP\nP Edge DRIVE", 2),
            "D AM12_4 2.00 1 1.00 1.00 0 ; 2 turns to build\r\nP Edge AM12_4 ; t2\n"
            "D AM12_19 9.50 1 4.75 4.75 0 ; 2 turns to build\r\nP Home AM12_19 ; t2\n"
            "P Twin AM12_19 ; t2\nP Edge AM12_4 ; t2");

  // No design line for a type the orders above declare or the race has from its reports.
  EXPECT_EQ(Replace("P Home CAP", 1, {"am12_9"}), "P Home AM12_9 ; t1");
  auto known = std::make_unique<TShipType>("AM12_9", TGameType::NG);
  races[0]->AddShipType(std::move(known));
  EXPECT_EQ(Replace("p home cap ; old", 1), "P Home AM12_9 ; t1");
  // A designer that generates nothing leaves the line.
  TStandardShipProduction none(state, [](double) { return std::nullopt; }, 1, {});
  EXPECT_EQ(none.ForPlanet(*state.PlanetByName("Home")), "");
}

TEST(DesignsInOrders, AreTheDesignOrdersAboveThePlaceOutsideMessages) {
  const TSectionMarkers planet = SectionMarkers(TOrderSection::Planet);
  const std::vector<std::string> text = {"#GALAXY Game Humans pw",
                                         "D Cruiser 10 1 5 5 0",
                                         "d fleet Alpha",
                                         "  d Scout 1 0 0 0 0 ; the eyes",
                                         "; D Hidden 1 0 0 0 0",
                                         "@ Orcs",
                                         "D Secret 1 0 0 0 0",
                                         "@",
                                         std::string(planet.Start),
                                         "Design Big 1 0 0 0 0",
                                         std::string(planet.End),
                                         "D Below 1 0 0 0 0",
                                         "#END",
                                         "D After 1 0 0 0 0"};
  const TVectorOrderLines lines(text);
  using Names = std::set<std::string>;
  // The server reads no line after "#END".
  EXPECT_EQ(DesignsInOrders(lines, 100), (Names{"cruiser", "scout", "big", "below"}));
  EXPECT_EQ(DesignsInOrders(lines, 4), (Names{"cruiser", "scout"}));
  // Lines for the Planet section go above its end marker.
  EXPECT_EQ(DesignsAboveSection(lines, TOrderSection::Planet), (Names{"cruiser", "scout", "big"}));
  // Without the section, it would be made above "#END".
  std::vector<std::string> without = text;
  without.erase(without.begin() + 8, without.begin() + 11);
  const TVectorOrderLines bare(without);
  EXPECT_EQ(DesignsAboveSection(bare, TOrderSection::Planet), (Names{"cruiser", "scout", "below"}));
  EXPECT_EQ(bare.Count(), static_cast<int>(without.size())) << "the lines stay as they are";
}

TEST(GalaxyBot, OrdersCountOnlyWhenTheRunWroteThemAndSucceeded) {
  test::TempDir dir;
  const fs::path folder = dir.path();
  EXPECT_TRUE(GalaxyBotProgram(folder).empty());
  WriteFileAtomically(folder / "GalaxyBot.exe", "");
  EXPECT_EQ(GalaxyBotProgram(folder), folder / "GalaxyBot.exe");
  WriteFileAtomically(folder / "GalaxyBot", "");
  EXPECT_EQ(GalaxyBotProgram(folder), folder / "GalaxyBot");

  // No file before the run (the orders window's test checks the program's arguments): a file
  // written by it counts, unless the program failed.
  const fs::path orders = BotOrdersFile(folder, "3");
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

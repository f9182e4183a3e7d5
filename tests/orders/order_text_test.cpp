// The order text: insertion sections and their repairs, the clipboard when an option is off,
// message blocks, the turn marker, the turn counters and the new-turn helpers.

#include "orders/order_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/text/str_utils.h"
#include "orders/order_service.h"
#include "support/no_planner.h"

namespace tovix {
namespace {

using Lines = std::vector<std::string>;

// The marker lines, written out as the order files keep them.
std::string Marker(const char* section, const char* edge) {
  return std::string(";-Tovix ") + section + " Insertion " + edge + "-";
}
const std::string kGroupStart = Marker("Group", "start"), kGroupEnd = Marker("Group", "end");
const std::string kPlanetStart = Marker("Planet", "start"), kPlanetEnd = Marker("Planet", "end");
const std::string kOtherStart = Marker("Other", "start"), kOtherEnd = Marker("Other", "end");
const std::string kRouteStart = Marker("Route", "start"), kRouteEnd = Marker("Route", "end");
const std::string kFindStart = Marker("Find", "start"), kFindEnd = Marker("Find", "end");

TEST(OrderSections, CreatedAboveTheirAnchorsAndFilledInArrivalOrder) {
  // An empty text: "#END" is appended, then the section above it.
  TVectorOrderLines empty;
  TRecordingTextSink clip;
  const TAutoInsertOptions on;
  EXPECT_EQ(InsertCommands(empty, clip, on, TOrderSection::Group, "S 1 Corn\r\nS 2 Wheat"), 2);
  EXPECT_EQ(empty.Lines(), (Lines{kGroupStart, "S 1 Corn", "S 2 Wheat", kGroupEnd, "#END"}));

  TVectorOrderLines lines({"#GALAXY game race", "P Corn MAT", "#END"});
  // Two lines separated by two CR LF pairs are two lines; later inserts follow earlier ones.
  InsertCommands(lines, clip, on, TOrderSection::Group, "B 3 2\r\n\r\nL MAX COL");
  InsertCommands(lines, clip, on, TOrderSection::Group, "S MAX Wheat\n");
  InsertCommands(lines, clip, on, TOrderSection::Planet, "P Wheat drive");
  // Other goes above the Planet section, Route and Find above the Group section.
  InsertCommands(lines, clip, on, TOrderSection::Other, "W Orcs");
  InsertCommands(lines, clip, on, TOrderSection::Route, "R Corn COL Wheat");
  EXPECT_EQ(FindOrCreateSection(lines, TOrderSection::Find), 6);
  EXPECT_EQ(
      lines.Lines(),
      (Lines{"#GALAXY game race", "P Corn MAT", kRouteStart, "R Corn COL Wheat", kRouteEnd,
             kFindStart, kFindEnd, kGroupStart, "B 3 2", "L MAX COL", "S MAX Wheat", kGroupEnd,
             kOtherStart, "W Orcs", kOtherEnd, kPlanetStart, "P Wheat drive", kPlanetEnd, "#END"}));
  EXPECT_EQ(clip.Puts, 0);

  // A new section goes above the line the server stops reading at: "#END" in any case with
  // blanks around it, never one inside a message.
  TVectorOrderLines ended({"#GALAXY g r", "@ Orcs", "#END", "@", "P x", " #end  ", "s 1 x"});
  InsertCommands(ended, clip, on, TOrderSection::Group, "S 1 Corn");
  EXPECT_EQ(ended.Lines(), (Lines{"#GALAXY g r", "@ Orcs", "#END", "@", "P x", kGroupStart,
                                  "S 1 Corn", kGroupEnd, " #end  ", "s 1 x"}));

  // Markers are found ignoring case.
  TVectorOrderLines lower({UpperCase(kPlanetStart), "P x", LowerCase(kPlanetEnd)});
  EXPECT_EQ(FindOrCreateSection(lower, TOrderSection::Planet), 2);
  EXPECT_EQ(lower.Count(), 3);
}

TEST(OrderSections, RepairsAndClearing) {
  // End markers above the start are removed; a new one goes below the start.
  TVectorOrderLines lines({kGroupEnd, "S 1 Corn", kGroupEnd, kGroupStart, "S 2 Wheat", "#END"});
  EXPECT_EQ(FindOrCreateSection(lines, TOrderSection::Group), 2);
  EXPECT_EQ(lines.Lines(), (Lines{"S 1 Corn", kGroupStart, kGroupEnd, "S 2 Wheat", "#END"}));

  // Clearing keeps the markers, and needs both.
  lines.Insert(2, "G 2");
  EXPECT_EQ(ClearSection(lines, TOrderSection::Group), 1);
  EXPECT_EQ(lines.Lines(), (Lines{"S 1 Corn", kGroupStart, kGroupEnd, "S 2 Wheat", "#END"}));

  const Lines noStart{"S 1 Corn", kPlanetEnd, "#END"};
  TVectorOrderLines missing(noStart);
  EXPECT_EQ(ClearSection(missing, TOrderSection::Planet), 0);
  EXPECT_EQ(missing.Lines(), noStart);
}

TEST(OrderSections, OptionOffGoesToTheClipboardAndEmptyTextDoesNothing) {
  const Lines text{"#GALAXY g r", "#END"};
  TVectorOrderLines lines(text);
  TRecordingTextSink clip;
  TAutoInsertOptions options;
  options.Route = false;
  EXPECT_EQ(InsertCommands(lines, clip, options, TOrderSection::Route, "R a CAP b\r\nR a COL b"),
            0);
  EXPECT_EQ(lines.Lines(), text);
  EXPECT_EQ(clip.Text, "R a CAP b\r\nR a COL b\r\n");

  // Regression: an empty text put a bare CR LF on the clipboard (option off) or created an
  // empty section (option on). It now changes nothing anywhere.
  clip = TRecordingTextSink();
  for (bool on : {false, true}) {
    options.Group = on;
    for (const char* nothing : {"", "\r\n", "\n\n\r"}) {
      EXPECT_EQ(InsertCommands(lines, clip, options, TOrderSection::Group, nothing), 0);
    }
  }
  EXPECT_EQ(clip.Puts, 0);
  EXPECT_EQ(lines.Lines(), text);
}

TEST(OrderSections, MessageBlocksKeepTheirParagraphBreaks) {
  // Regression: the empty lines of a message were dropped, gluing its paragraphs together.
  EXPECT_EQ(SplitOrderText("@ Orcs\r\nHello.\r\n\r\nSecond paragraph.\r\n@\r\n\r\nW Orcs\r\n"),
            (Lines{"@ Orcs", "Hello.", "", "Second paragraph.", "@", "W Orcs"}));
  // An unclosed message keeps inner empty lines but not the ones the text ends with.
  EXPECT_EQ(SplitOrderText("@ Orcs\n\nHi\n\n\n"), (Lines{"@ Orcs", "", "Hi"}));
  EXPECT_EQ(SplitOrderText("\r\rA\r\n\nB"), (Lines{"A", "B"}));
}

TEST(TurnMarker, FoundAtLineStartInCapitalsAndInsertedBelowTheHeader) {
  TVectorOrderLines lines({"#GALAXY g r", "S 1 a ;TOVIX TURN 3", ";tovix turn 4", "#END"});
  EXPECT_EQ(FindTurnMarker(lines), -1);
  EXPECT_EQ(GetOrdersTurn(lines), -1);

  // Regression: without a marker the line went through the Group insertion, and so onto the
  // clipboard when that option was off. It is now written below "#GALAXY".
  SetOrdersTurn(lines, 12);
  EXPECT_EQ(lines.Line(1), ";TOVIX TURN 12");
  EXPECT_EQ(GetOrdersTurn(lines), 12);
  SetOrdersTurn(lines, 13);
  EXPECT_EQ(lines.Count(), 5);
  EXPECT_EQ(GetOrdersTurn(lines), 13);

  TVectorOrderLines noDigits({";TOVIX TURN x"});
  EXPECT_EQ(GetOrdersTurn(noDigits), 0);
  TVectorOrderLines headless({"P a b"});
  SetOrdersTurn(headless, 2);
  EXPECT_EQ(headless.Lines(), (Lines{";TOVIX TURN 2", "P a b"}));
}

TEST(TurnCounters, CountDownAndKeepTheRestOfTheLine) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"P Corn Drone ; t3", "P Corn Drone ; t2"},
      {"P Corn Drone ; t1", "P Corn Drone ; t &"},
      {"P Corn Drone ; t0", "P Corn Drone ; t &"},
      {"P Corn Drone ; t &", "P Corn Drone ; t &"},
      {"P Corn Drone ;t &", "P Corn Drone ;t &"},
      // ";t4" is normalised to "; t3"; the text after the counter stays.
      {"P Corn Drone ;t4 build four", "P Corn Drone ; t3 build four"},
      {"S 5 Corn ; t10; keep", "S 5 Corn ; t9; keep"},
      // Regression: any "; t" was a counter, so these comments became "; t &".
      {"S 5 Corn ; this is the scout", "S 5 Corn ; this is the scout"},
      {"; the fleet waits", "; the fleet waits"},
      {"S 5 Corn ; t3rd try", "S 5 Corn ; t3rd try"},
      // The first counter counts, after a comment that is none.
      {"P a b ; to do ; t2", "P a b ; to do ; t1"},
      {"P a b", "P a b"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecrementTurnCounter(c.line), c.expected) << c.line;

  TVectorOrderLines lines({"@ Orcs", "see you ; t2", "@", "P a b ; t2"});
  EXPECT_EQ(DecrementTurnCounters(lines), 1);
  EXPECT_EQ(lines.Lines(), (Lines{"@ Orcs", "see you ; t2", "@", "P a b ; t1"}));
}

// A game of three races; the own race knows one design from its report.
struct SmallGame {
  SmallGame() {
    state.Settings.GameType = TGameType::NG;
    state.LastTurn = 5;
    for (const char* name : {"Humans", "Orcs", "Elves", "Dwarves"}) {
      auto race = std::make_unique<TPlayer>(5);
      race->Name = name;
      const float size = std::string(name) == "Dwarves" ? 0.0f : 100.0f;
      race->SetIndustry(5, size);
      race->SetPopulation(5, size);
      races.push_back(race.get());
      state.Players.AddObject(LowerCase(name), std::move(race));
    }
    state.MainPlayer = races[0];
    auto design = std::make_unique<TShipType>("Scout", TGameType::NG);
    design->Drive = 1;
    races[0]->AddShipType(std::move(design));
  }
  GameState state;
  std::vector<TPlayer*> races;
};

TEST(NewTurn, FindCommandsAndKnownDesigns) {
  SmallGame game;
  TVectorOrderLines lines({"#GALAXY g Humans", kFindStart, "F Old", kFindEnd, "D Scout 1 0 0 0 0",
                           "d scout 1 0 0 0 0", "D Cruiser 10 1 5 5 0", "@ Orcs",
                           "D Scout is what we build", "@", "#END"});
  EXPECT_EQ(InsertFindCommands(lines, game.state), 2);
  // Each line went on top: the race list's order reversed; the own race and a race without
  // industry are left out.
  std::vector<std::string> expectedFinds;
  for (auto [key, race] : game.state.Players) {
    if (race != game.state.MainPlayer && race->Name != "Dwarves") {
      expectedFinds.insert(expectedFinds.begin(), "F " + race->Name);
    }
  }
  EXPECT_EQ(lines.Line(2), expectedFinds[0]);
  EXPECT_EQ(lines.Line(3), expectedFinds[1]);
  EXPECT_EQ(lines.Line(4), kFindEnd);

  EXPECT_EQ(DeleteKnownShipTypes(lines, game.state), 2);
  EXPECT_EQ(lines.Lines(),
            (Lines{"#GALAXY g Humans", kFindStart, expectedFinds[0], expectedFinds[1], kFindEnd,
                   "D Cruiser 10 1 5 5 0", "@ Orcs", "D Scout is what we build", "@", "#END"}));

  game.state.Settings.GameType = TGameType::NGBlind;
  TVectorOrderLines blind({"#END"});
  EXPECT_EQ(InsertFindCommands(blind, game.state), 0);
  EXPECT_EQ(blind.Count(), 1);
}

TEST(NewTurn, AllAboveClearsSectionsAndCountsDown) {
  SmallGame game;
  TVectorOrderLines lines({"#GALAXY g Humans", "P Home Scout ; t2", kGroupStart, "S 1 a", kGroupEnd,
                           kPlanetStart, "P b c", kPlanetEnd, "D Scout 1 0 0 0 0", "#END"});
  TRecordingTextSink clip;
  test::NoPlanner planner;
  TOrderService service(game.state, lines, clip, planner);
  service.AllAbove();
  EXPECT_EQ(lines.Line(1), "P Home Scout ; t1");
  EXPECT_EQ(IndexOfLine(lines, "S 1 a"), -1);
  EXPECT_EQ(IndexOfLine(lines, "P b c"), -1);
  EXPECT_EQ(IndexOfLine(lines, "D Scout 1 0 0 0 0"), -1);
  EXPECT_GE(IndexOfLine(lines, kFindStart), 0);
  EXPECT_GE(IndexOfLine(lines, kGroupStart), 0);
}

}  // namespace
}  // namespace tovix

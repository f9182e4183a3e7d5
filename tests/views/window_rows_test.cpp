// The players, battles, graph and overview texts on small games built in the test: the cases
// the real game does not show (a design the reports never named, a race moved to the
// defenders, the top race chosen alone, a race without planets).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "views/event_rows.h"
#include "views/graph_series.h"
#include "views/overview_figures.h"
#include "views/player_rows.h"

namespace tovix {
namespace {

class SmallGame : public testing::Test {
 protected:
  TPlayer* Race(const std::string& name, float population, float industry) {
    auto p = std::make_unique<TPlayer>(3);
    p->Name = name;
    p->SetPopulation(0, population / 2);
    p->SetIndustry(0, industry / 2);
    p->SetPopulation(1, population);
    p->SetIndustry(1, industry);
    TPlayer* raw = p.get();
    state.Players.AddObject(LowerCase(name), std::move(p));
    return raw;
  }
  TShipType* Design(TPlayer* race, const std::string& name, float drive, int attacks, float weapons,
                    float shields) {
    auto t = std::make_unique<TShipType>(name, TGameType::NG);
    t->Drive = drive;
    t->Attacks = attacks;
    t->Weapons = weapons;
    t->Shields = shields;
    return race->AddShipType(std::move(t));
  }
  TGroup& Fighter(TBattle& battle, TPlayer* owner, TShipType* type, int ships, int left) {
    auto g = std::make_unique<TGroup>();
    g->Owner = owner;
    g->ShipType = type;
    g->Ships = ships;
    g->BattleShips = left;
    battle.Groups.push_back(std::move(g));
    return *battle.Groups.back();
  }
  GameState state;
};

TEST_F(SmallGame, MessagesKeepTheEmptyLineBeforeTheEndAndCannotBeEndedEarly) {
  EXPECT_EQ(MessageText("Bob", "Hello\n@ not the end"),
            "@ Bob\r\nHello\r\n @ not the end\r\n\r\n@");
  EXPECT_EQ(MessageText("", ""), "@ \r\n\r\n@");
  EXPECT_EQ(MessageText("Bob", "line\r\n"), "@ Bob\r\nline\r\n\r\n@");
  EXPECT_EQ(MessageDialogCaption("Bob"), "Create Message for Bob");
  EXPECT_EQ(MessageDialogCaption(""), "Create Global Message");
  EXPECT_EQ(PlayersSortCaption(false, 1), "Players - sort Descending on Effective Industry");
  EXPECT_EQ(PlayersSortCaption(true, 24), "Players - sort Ascending on Something :-)");
}

// A race at peace: "No", and only "Set War" is offered; relay messages in NG games only.
TEST_F(SmallGame, PopupOffersWarOrPeaceByRelationAndRelayOnlyInNgGames) {
  TPlayer* friendly = Race("Friends", 10, 10);
  friendly->War = false;
  const TPlayerMenuState m = PlayerMenuState({friendly}, TGameType::Normal);
  EXPECT_TRUE(m.OneSelected && m.WarVisible);
  EXPECT_FALSE(m.PeaceVisible || m.RelayVisible);
  // Several races: the single-race items are off, and the first race says which one shows.
  TPlayer* enemy = Race("Foes", 10, 10);
  enemy->War = true;
  for (const auto& [races, war] : std::vector<std::pair<std::vector<const TPlayer*>, bool>>{
           {{friendly, enemy}, true}, {{enemy, friendly}, false}}) {
    const TPlayerMenuState several = PlayerMenuState(races, TGameType::NG);
    EXPECT_FALSE(several.OneSelected);
    EXPECT_EQ(several.WarVisible, war);
    EXPECT_EQ(several.PeaceVisible, !war);
  }
  const TPlayerRow row = PlayerRow(*friendly);
  EXPECT_EQ(row.Cells[22], "No");
  EXPECT_EQ(row.Cells[17], "100.00") << "population 5, then 10";
}

TEST_F(SmallGame, BattleLossesInfoLinesAndSides) {
  TPlayer* me = Race("Mine", 10, 10);
  TPlayer* b = Race("Bees", 10, 10);
  TPlayer* c = Race("Cees", 10, 10);
  state.MainPlayer = me;
  TShipType* gun = Design(me, "Gun", 1, 1, 1, 1);
  TShipType* wasp = Design(b, "Wasp", 2, 2, 1, 0);
  auto battle = std::make_unique<TBattle>(4, nullptr);
  TGroup& mine = Fighter(*battle, me, gun, 3, 3);  // lost nothing
  mine.DriveTech = mine.WeaponsTech = mine.ShieldsTech = 1;
  Fighter(*battle, b, wasp, 5, 2);
  Fighter(*battle, c, nullptr, 4, 0);  // a design the reports never named
  Fighter(*battle, b, wasp, 1, 0);

  const TBattleLosses losses = BattleLosses(*battle, me);
  EXPECT_EQ(losses.Mine, 0.0f);
  EXPECT_FLOAT_EQ(losses.Other, wasp->Mass() * 4);

  // Blocks by race name, whatever the order of the race list (ordered by the names' hashes).
  const std::vector<std::string> lines = BattleInfoLines(state, *battle);
  ASSERT_EQ(lines.size(), 4u + 5u + 4u);
  std::vector<std::string> headers;
  for (const std::string& line : lines)
    if (line.ends_with(" Groups")) headers.push_back(line);
  EXPECT_EQ(headers, (std::vector<std::string>{"Bees Groups", "Cees Groups", "Mine Groups"}));
  auto block = [&](const std::string& race) {
    const auto at = std::find(lines.begin(), lines.end(), race + " Groups");
    EXPECT_NE(at, lines.end()) << race;
    return at == lines.end() ? std::vector<std::string>{}
                             : std::vector<std::string>(at + 1, lines.end());
  };
  const std::vector<std::string> mineLines = block("Mine");
  ASSERT_GE(mineLines.size(), 3u);
  EXPECT_EQ(mineLines[0], Fmt("  003   003   %20s   %3.2f     1   1.00   %3.2f", "Gun",
                              mine.SpeedWithLoad(), mine.EffectiveShields()));
  EXPECT_EQ(mineLines[1], Fmt("M: s: %4.1f e: %4.1f l:  0.0", gun->Mass() * 3, gun->Mass() * 3));
  EXPECT_EQ(mineLines[2], "");
  const std::vector<std::string> beeLines = block("Bees");
  ASSERT_GE(beeLines.size(), 3u);
  EXPECT_EQ(beeLines[2], Fmt("M: s: %4.1f e: %4.1f l: %4.1f", wasp->Mass() * 6, wasp->Mass() * 2,
                             wasp->Mass() * 4));
  const std::vector<std::string> ceeLines = block("Cees");
  ASSERT_GE(ceeLines.size(), 2u);
  EXPECT_EQ(ceeLines[0], "  004   000   " + std::string(19, ' ') + "?   0.00     0   0.00   0.00");
  EXPECT_EQ(ceeLines[1], "M: s:  0.0 e:  0.0 l:  0.0");

  EXPECT_EQ(BattleOwnerNames(*battle), (std::vector<std::string>{"Mine", "Bees", "Cees"}));
  // Bees moved to the defenders defend though Cees stayed an attacker beside Mine.
  const TBattleSides sides = SplitBattleSides(*battle, {"Mine", "Cees"});
  ASSERT_EQ(sides.Attackers.size(), 2u);
  ASSERT_EQ(sides.Defenders.size(), 2u);
  for (const TGroup* g : sides.Defenders) EXPECT_EQ(g->Owner, b);
}

TEST_F(SmallGame, GraphDrawsEachRaceOnceWithTheColoursInTurn) {
  TPlayer* small = Race("Small", 10, 10);
  TPlayer* big = Race("Big", 90, 80);
  Race("Middle", 50, 40);
  Race("Gone", 0, 0);
  Race("Tiny", 5, 1);
  EXPECT_EQ(FindTopPlayer(state), big);
  std::vector<TPlayer*> drawn =
      CollectGraphPlayers(state, TGraphChoice::TopSix, nullptr, big, true);
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[0], big);
  EXPECT_EQ(drawn[3]->Name, "Tiny");
  EXPECT_EQ(CollectGraphPlayers(state, TGraphChoice::All, nullptr, big, false).size(), 5u);
  // The top race chosen alone is drawn once; another race comes with the top race.
  EXPECT_EQ(CollectGraphPlayers(state, TGraphChoice::OneRace, big, big, true),
            std::vector<TPlayer*>{big});
  EXPECT_EQ(CollectGraphPlayers(state, TGraphChoice::OneRace, small, big, true),
            (std::vector<TPlayer*>{small, big}));
  EXPECT_EQ(CollectGraphPlayers(state, TGraphChoice::OneRace, small, nullptr, true),
            std::vector<TPlayer*>{small});

  const std::vector<TGraphSeries> series = GraphSeries(drawn, 5, 1);  // population delta
  ASSERT_EQ(series.size(), 4u);
  EXPECT_EQ(series[0].Values, (std::vector<std::optional<float>>{0.0f, 45.0f}));
  EXPECT_EQ(series[1].Colour, (TGraphColour{255, 0, 0}));
  EXPECT_EQ(GraphColour(14), GraphColour(0));
  EXPECT_EQ(GraphColour(27), (TGraphColour{0, 128, 128}));
}

// A turn whose report could not be read (turn 1 here; turn 3's header was read, its status
// table not) was drawn and shown as 0 for every race. It is left out of the graph, with the
// changes that reach it, and the overview says the race's figures of the latest turn are
// unknown.
TEST_F(SmallGame, ATurnWithoutFiguresIsUnknownNotZero) {
  auto race = std::make_unique<TPlayer>(0);
  TPlayer* me = race.get();
  state.Players.AddObject("me", std::move(race));
  state.MainPlayer = me;
  me->SetTurnValues(0, "Me", false, 1, 40, 50, 1, 1, 1, 1);
  me->SetTurnValues(2, "Me", false, 3, 60, 80, 1, 1, 1, 1.5f);
  me->SetTurnCount(3);
  state.LastTurn = 2;
  using Values = std::vector<std::optional<float>>;
  EXPECT_EQ(GraphSeries({me}, 4, 2)[0].Values, (Values{50.0f, std::nullopt, 80.0f}));
  EXPECT_EQ(GraphSeries({me}, 5, 2)[0].Values, (Values{0.0f, std::nullopt, std::nullopt}));
  EXPECT_EQ(GraphSeries({me}, 11, 3)[0].Values, (Values{1.0f, std::nullopt, 1.5f, std::nullopt}));

  TPlanet* home = state.AddPlanet("home", std::make_unique<TPlanet>("Home"), 0);
  home->Owner = TOwnerRef::Of(me);
  home->Colonists = 2;
  const TOverviewFigures now = CurrentFigures(state);
  EXPECT_EQ(OverviewTexts(now, now, true, CurrentKnown(state)).Values[ofPopulation], "80.00");
  state.LastTurn = 3;
  const TOverviewKnown known = CurrentKnown(state);
  TOverviewTexts texts = OverviewTexts(now, now, true, known, known);
  EXPECT_EQ(texts.Values[ofPopulation], kUnknownFigure);
  EXPECT_EQ(texts.Values[ofDrive], kUnknownFigure);
  EXPECT_EQ(texts.Values[ofCol], "2.000");
  // Next turn: the plan's population is known, the technologies built on this turn's are not.
  TOverviewFigures next = now;
  next[ofPopulation] = 100;
  texts = OverviewTexts(next, now, false, ProjectedKnown(known), known);
  EXPECT_EQ(texts.Values[ofPopulation], "100.00");
  EXPECT_EQ(texts.Deltas[ofPopulation], "");
  EXPECT_EQ(texts.PopulationPercent, "");
  EXPECT_EQ(texts.Values[ofTotalTech], kUnknownFigure);
  EXPECT_EQ(texts.Deltas[ofCol], " 0.00");
}

// The leading race was drawn yellow on white. Every colour of the table reads on the chart's
// background; the ones that do already are kept (the seventh black among them), the others keep
// their hue, darkened.
TEST(GraphColours, EveryColourReadsOnTheBackgroundAndKeepsItsHue) {
  for (int i = 0; i < 14; ++i) {
    const TGraphColour table = GraphColour(i);
    const TGraphColour drawn = ReadableOn(table, kGraphBackground);
    SCOPED_TRACE(i);
    EXPECT_GE(ColourContrast(drawn, kGraphBackground), 3.0);
    if (ColourContrast(table, kGraphBackground) >= 3.0) {
      EXPECT_EQ(drawn, table);
    }
    // The same hue: the channels keep their order and zeros.
    EXPECT_EQ(drawn.R == 0, table.R == 0);
    EXPECT_EQ(drawn.G == 0, table.G == 0);
    EXPECT_EQ(drawn.B == 0, table.B == 0);
    EXPECT_EQ(drawn.R >= drawn.G, table.R >= table.G);
    EXPECT_EQ(drawn.G >= drawn.B, table.G >= table.B);
  }
  EXPECT_EQ(GraphColour(6), (TGraphColour{0, 0, 0}));
  EXPECT_EQ(ReadableOn(GraphColour(6), kGraphBackground), (TGraphColour{0, 0, 0}));
  EXPECT_NE(ReadableOn(GraphColour(0), kGraphBackground), GraphColour(0)) << "yellow on white";
  // On a dark background the dark colours are lightened instead.
  EXPECT_GE(ColourContrast(ReadableOn({0, 0, 128}, {0, 0, 0}), {0, 0, 0}), 3.0);
}

class FixedPlan : public IDevelopmentPlan, public IDevPlanetRecord {
 public:
  const IDevPlanetRecord* FindDevPlanet(const TPlanet&) const override { return this; }
  float ProjectedIndustry() const override { return 40; }
  bool ToDevelop() const override { return false; }
  float Colonists(int) const override { return 2; }
  float Capital(int) const override { return 3; }
  float Material(int) const override { return 11; }
  float Population(int) const override { return 100; }
  float Industry(int) const override { return 60; }
};

TEST_F(SmallGame, OverviewOfARaceWithoutPlanetsAndOfAPlannedTurn) {
  TPlayer* me = Race("Mine", 0, 0);
  state.MainPlayer = me;
  TOverviewFigures now = CurrentFigures(state);
  EXPECT_EQ(now[ofCol], 0);
  EXPECT_EQ(now[ofCap], 0);
  EXPECT_EQ(now[ofMat], 0);
  EXPECT_FALSE(ProjectedFigures(state, state.DevelopmentPlan(), now).has_value());
  TOverviewTexts texts = OverviewTexts(now, now, false);
  EXPECT_EQ(texts.PopulationPercent, "");

  TPlanet* home = state.AddPlanet("home", std::make_unique<TPlanet>("Home"), 0);
  home->Owner = TOwnerRef::Of(me);
  home->Size = home->Population = home->Industry = 50;
  home->Resources = 1;
  home->Colonists = 1;
  home->Material = 7;
  home->Production = "Drive";
  me->SetPopulation(1, 50);
  me->SetIndustry(1, 50);
  me->SetDrive(1, 1);
  now = CurrentFigures(state);
  EXPECT_EQ(now[ofCol], 1);
  EXPECT_EQ(now[ofMat], 7);
  const FixedPlan plan;
  const auto next = ProjectedFigures(state, plan, now);
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ((*next)[ofPopulation], 100);
  EXPECT_EQ((*next)[ofEffectiveIndustry], 70);
  EXPECT_EQ((*next)[ofCap], 3);
  EXPECT_EQ((*next)[ofMat], 11) << "MAT comes from the plan too";
  EXPECT_GT((*next)[ofDrive], 1) << "the planet makes drive technology";
  texts = OverviewTexts(*next, now, false);
  EXPECT_EQ(texts.Values[ofPopulation], "100.00");
  EXPECT_EQ(texts.Deltas[ofPopulation], "50.00");
  EXPECT_EQ(texts.PopulationPercent, "(100.00)");
  EXPECT_EQ(OverviewTexts(now, now, true).Deltas[ofPopulation], "");
}

}  // namespace
}  // namespace tovix

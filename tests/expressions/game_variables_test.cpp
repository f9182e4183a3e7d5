// The game variables, predicates and list filters on a small hand-made game, and the filters on
// the real game "Orion" against planets and groups picked from the model by hand.

#include "expressions/game_variables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "core/text/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

// An analysis that leaves every group with two ships fewer.
class TwoShipsSent : public IOrderAnalysisView {
 public:
  int32_t ShipsLeftInGroup(const TGroup& group) const override { return group.Ships - 2; }
};

class SmallGame : public testing::Test {
 protected:
  void SetUp() override {
    me = AddRace("Me", false);
    friends = AddRace("Friends", false);
    enemies = AddRace("Enemies", true);
    state.MainPlayer = me;
    state.LastTurn = 5;
    home = AddPlanet("Home", 1000, 1000, 1000, me);
    far = AddPlanet("Far", 4000, 5000, 300, enemies);
    home->Population = 900;
    home->Industry = 800;
    home->Resources = 10;
    home->Production = "Drive";
    home->SentMass = 7;
    far->Resources = 1;

    scout = me->AddShipType(std::make_unique<TShipType>("Scout", TGameType::NG));
    scout->Drive = 1;
    freighter = me->AddShipType(std::make_unique<TShipType>("Freighter", TGameType::NG));
    freighter->Drive = 2;
    freighter->Cargo = 3;
    freighter->CargoUse = TCargoUse::Stationary;
    six = AddGroup(me, scout, 6, home);
    five = AddGroup(me, freighter, 5, home);
    five->DriveTech = 2.5f;
    AddGroup(friends, scout, 2, home);
    AddGroup(enemies, freighter, 1, home);
    inFlight = AddGroup(enemies, scout, 3, far);
    inFlight->Distance = 12;
    inFlight->TrackFrom = home;
    inFlight->TrackTo = far;
    inFlight->ETA = 2;
  }

  TPlayer* AddRace(const std::string& name, bool war) {
    auto r = std::make_unique<TPlayer>(5);
    r->Name = name;
    r->War = war;
    TPlayer* raw = r.get();
    state.Players.AddObject(LowerCase(name), std::move(r));
    return raw;
  }
  TPlanet* AddPlanet(const std::string& name, int32_t x, int32_t y, float size, TPlayer* owner) {
    auto p = std::make_unique<TPlanet>(name);
    p->X = x;
    p->Y = y;
    p->Size = size;
    p->Owner = TOwnerRef::Of(owner);
    p->LastOwnerName = owner->Name;
    return state.AddPlanet(LowerCase(name), std::move(p), PlanetDistanceKey(x, y));
  }
  TGroup* AddGroup(TPlayer* owner, TShipType* type, int32_t ships, TPlanet* at) {
    auto g = std::make_unique<TGroup>();
    g->Owner = owner;
    g->ShipType = type;
    g->Ships = ships;
    g->Planet = at;
    g->TrackFrom = at;
    g->Turn = 5;
    owner->Groups.push_back(std::move(g));
    return owner->Groups.back().get();
  }

  // The value of an expression for a group (TGroupVariables) or a planet (TPlanetVariables).
  template <class Variables, class Subject>
  TEvalValue ValueOf(const std::string& text, const Subject& subject,
                     const IOrderAnalysisView* orders = nullptr) {
    TGameVariables game(state, orders);
    Variables vars(game);
    vars.SetSubject(subject);
    TEvalValue v;
    EvalExpression(text, &vars, v);
    return v;
  }
  TEvalValue GroupValue(const std::string& text, const TGroupItem& item,
                        const IOrderAnalysisView* orders = nullptr) {
    return ValueOf<TGroupVariables>(text, item, orders);
  }
  TEvalValue PlanetValue(const std::string& text, const TPlanet* planet) {
    return ValueOf<TPlanetVariables>(text, planet);
  }
  std::vector<TGroupItem> AllGroups() const {
    std::vector<TGroupItem> items;
    for (auto [key, race] : state.Players) {
      for (const auto& g : race->Groups) items.push_back({g.get(), nullptr});
    }
    return items;
  }

  GameState state;
  TPlayer *me = nullptr, *friends = nullptr, *enemies = nullptr;
  TPlanet *home = nullptr, *far = nullptr;
  TShipType *scout = nullptr, *freighter = nullptr;
  TGroup *six = nullptr, *five = nullptr, *inFlight = nullptr;
};

TEST_F(SmallGame, PredicatesKeepTheirOwnTruthRules) {
  TGameVariables game(state);
  TGroupVariables groups(game);
  TPlanetVariables planets(game);
  EXPECT_EQ(GroupExpressionTrue("[GR_COUNT] > 5", {six, nullptr}, groups), 1);
  EXPECT_EQ(GroupExpressionTrue("[GR_COUNT] > 5", {five, nullptr}, groups), 0);
  // A negative value is false for a group and true for a planet.
  EXPECT_EQ(GroupExpressionTrue("[GR_COUNT] - 10", {five, nullptr}, groups), 0);
  EXPECT_EQ(PlanetExpressionTrue("[PT_SIZE] - 2000", *home, planets), 1);
  EXPECT_EQ(PlanetExpressionTrue("[PT_SIZE] - 1000", *home, planets), 0);
  // Strings, unknown names and over-long texts fail.
  EXPECT_EQ(PlanetExpressionTrue("[PT_NAME]", *home, planets), -1);
  EXPECT_EQ(PlanetExpressionTrue("[PT_UNKNOWN] > 1", *home, planets), -1);
  EXPECT_EQ(PlanetExpressionTrue(std::string(600, ' ') + "1 = 1", *home, planets), -1);
  TGroup nobody;
  for (const TGroup* g : {six, &nobody}) {
    EXPECT_EQ(GroupExpressionTrue("[GR_NAME] = 'x'", {g, nullptr}, groups), 0);
  }
}

TEST_F(SmallGame, GroupAndPlanetVariablesKnowTheirOwnNames) {
  const TGroupItem item{five, nullptr};
  EXPECT_EQ(
      GroupValue("[GR_NAME] & [PLAYERNAME] & [ST_NAME] & [PT_NAME] & [PT_PRODTYPE]", item).Text,
      "MeMeFreighterHomeDRIVE");
  EXPECT_EQ(GroupValue("[ST_NOSTATIONARY] XOR [GR_OWNERWAR]", {inFlight, nullptr}).Number, 0);
  EXPECT_EQ(
      GroupValue("[GR_SOURCE] & [GR_DESTINATION] & [GR_DESTINATIONOWNER]", {inFlight, nullptr})
          .Text,
      "HomeFarEnemies");
  EXPECT_EQ(GroupValue("[GR_ETA] * 100 + [GR_RANGE]", {inFlight, nullptr}).Number, 212);
  EXPECT_EQ(GroupValue("[PT_X] + [PT_Y]", item).Number, 20);  // hundredths made map units
  // [PT_OWNERNAME] is the groups' name, [PT_LASTOWNERNAME] the planets'; planets know nothing
  // of groups or designs.
  EXPECT_EQ(GroupValue("[PT_OWNERNAME]", item).Text, "Me");
  EXPECT_EQ(GroupValue("[PT_LASTOWNERNAME]", item).Type, kEvalFailed);
  EXPECT_EQ(PlanetValue("[PT_LASTOWNERNAME]", home).Text, "Me");
  for (const char* name : {"[PT_OWNERNAME]", "[GR_COUNT]", "[ST_NAME]"}) {
    EXPECT_EQ(PlanetValue(name, home).Type, kEvalFailed) << name;
  }
}

// Fault: three variables that the expression builder offers for groups were never resolved.
TEST_F(SmallGame, GroupsResolveDriveTechAndTheirPlanetsProduction) {
  const TGroupItem item{five, nullptr};
  EXPECT_EQ(GroupValue("[GR_DRIVETECH]", item).Number, 2.5);
  EXPECT_DOUBLE_EQ(GroupValue("[PT_PRODAMOUNT]", item).Number,
                   home->ProductionAmount(state.DevelopmentPlan()));
  EXPECT_DOUBLE_EQ(GroupValue("[PT_PRODAMOUNTFULL]", item).Number, home->ProductionAtFullSize());
  EXPECT_GT(GroupValue("[PT_PRODAMOUNT]", item).Number, 0);
}

// Fault: planet variables of a group without a planet read through a null planet.
TEST_F(SmallGame, AGroupWithoutAPlanetHasNoPlanetFigures) {
  TGroup lost;
  lost.Ships = 4;
  for (const char* name : {"[PT_SIZE]", "[PT_NAME]", "[ST_MASS]"}) {
    EXPECT_EQ(GroupValue(name, {&lost, nullptr}).Type, kEvalFailed) << name;
  }
  EXPECT_EQ(GroupValue("[GR_COUNT]", {&lost, nullptr}).Number, 4);
}

TEST_F(SmallGame, SentRecordsAnswerForTheirGroup) {
  const TSentGroupView moving{six, home, far, 3, 2, 25.5f};
  const TSentGroupView staying{six, home, home, 0, 4, 0};
  const TwoShipsSent orders;
  EXPECT_EQ(GroupValue("[GR_COUNT] * 1000 + [GR_ETA] * 100 + [GR_RANGE]", {six, &moving}).Number,
            2325.5);
  EXPECT_EQ(GroupValue("[GR_DESTINATION]", {six, &moving}).Text, "Far");
  EXPECT_EQ(GroupValue("[GR_AVAILABLE]", {six, &moving}, &orders).Number, 0);
  EXPECT_EQ(GroupValue("[GR_AVAILABLE]", {six, &staying}, &orders).Number, 4);
  EXPECT_EQ(GroupValue("[GR_AVAILABLE]", {six, nullptr}, &orders).Number, 4);
  // Without an analysis the ships left are unknown.
  EXPECT_EQ(GroupValue("[GR_AVAILABLE]", {six, nullptr}).Type, kEvalFailed);
  // The model's group is not changed by the record.
  EXPECT_EQ(six->TrackTo, nullptr);
}

TEST_F(SmallGame, StationedMassesBySide) {
  const auto masses = CollectStationedMasses(state);
  const TStationedMass& m = masses.at(home);
  EXPECT_DOUBLE_EQ(m.Mine, 6 * scout->Mass() + 5 * freighter->Mass());
  EXPECT_DOUBLE_EQ(m.Friendly, 2 * scout->Mass());
  EXPECT_DOUBLE_EQ(m.Enemy, 1 * freighter->Mass());
  EXPECT_EQ(masses.count(far), 0u);  // the group flying there is not there yet
  EXPECT_EQ(PlanetValue("[PT_ENEMYMASS]", home).Number, m.Enemy);
  EXPECT_EQ(PlanetValue("[PT_MYMASS]", far).Number, 0);
}

TEST_F(SmallGame, GameFunctions) {
  EXPECT_DOUBLE_EQ(PlanetValue("DISTANCE('home', [PT_NAME])", far).Number, 50);
  EXPECT_EQ(PlanetValue("ATOI('ab-12c34')", far).Number, 12);
  for (const char* text : {"DISTANCE('home', 'nowhere')", "DISTANCE('home', '')",
                           "DISTANCE('home')", "ATOI('')", "ATOI(5)"}) {
    EXPECT_EQ(PlanetValue(text, far).Type, kEvalFailed) << text;
  }
  EXPECT_EQ(PlanetValue("INVERT([PT_NAME]) & '!'", far).Text, "Far!");
}

// Fault: one INVERT( inverted every later filtering, and the planet filter ignored it.
TEST_F(SmallGame, InvertTurnsRoundItsOwnRunOnly) {
  TGameVariables game(state);
  const std::vector<TGroupItem> all = AllGroups();
  std::vector<TGroupItem> kept;
  TFilterRun run = FilterGroupsByExpression(game, "INVERT([GR_COUNT] > 5)", all, kept);
  EXPECT_TRUE(run.Inverted);
  for (const TGroupItem& item : kept) EXPECT_LE(item.Group->Ships, 5);
  EXPECT_EQ(kept.size(), all.size() - 1);

  run = FilterGroupsByExpression(game, "[GR_COUNT] > 5", all, kept);
  EXPECT_FALSE(run.Inverted);
  EXPECT_EQ(kept, (std::vector<TGroupItem>{{six, nullptr}}));

  const std::vector<const TPlanet*> planets{home, far};
  std::vector<const TPlanet*> chosen;
  run = FilterPlanetsByExpression(game, "INVERT([PT_SIZE] > 500)", planets, chosen);
  EXPECT_TRUE(run.Inverted);
  EXPECT_EQ(chosen, (std::vector<const TPlanet*>{far}));
}

// Fault: a filter whose expression failed everywhere kept everything without a word.
TEST_F(SmallGame, FiltersCountTheItemsThatFailed) {
  TGameVariables game(state);
  const std::vector<TGroupItem> all = AllGroups();
  std::vector<TGroupItem> kept;
  TFilterRun run = FilterGroupsByExpression(game, "[GR_NOSUCH] > 1", all, kept);
  EXPECT_EQ(run.Failed, static_cast<int>(all.size()));
  EXPECT_EQ(kept, all);
  // An empty expression keeps every item.
  run = FilterGroupsByExpression(game, "  ", all, kept);
  EXPECT_EQ(run.Failed, 0);
  EXPECT_EQ(kept, all);
  const std::vector<const TPlanet*> planets{home, far};
  std::vector<const TPlanet*> chosen;
  run = FilterPlanetsByExpression(game, "[PT_SIZE] > 500 AND [PT_NAME]", planets, chosen);
  EXPECT_EQ(run.Failed, 1);  // Home fails on the string, Far stops at the short cut
  EXPECT_EQ(chosen, (std::vector<const TPlanet*>{home}));
}

// ---- The game Orion, read as race A -------------------------------------------------------

struct OrionAsA {
  OrionAsA() {
    const std::filesystem::path source = test::ReportsDir("orion");
    if (source.empty()) return;
    for (const auto& e : std::filesystem::directory_iterator(source)) {
      if (e.is_regular_file() && e.path().filename().string().starts_with("A")) {
        std::filesystem::copy_file(e.path(), reports.path() / e.path().filename());
      }
    }
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (reports.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "A";
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  test::TempDir reports;
  test::TempDir programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

TEST(OrionFilters, SelectWhatTheModelHolds) {
  if (test::ReportsDir("orion").empty()) GTEST_SKIP() << "the reports of Orion are absent";
  OrionAsA orion;
  ASSERT_TRUE(orion.loaded);
  const GameState& state = orion.state;
  ASSERT_EQ(state.LastTurn, 25);
  const TPlanet* prime = state.PlanetByName("ArcturansPrime");
  ASSERT_NE(prime, nullptr);

  // The planets each expression must keep, picked by hand.
  std::vector<const TPlanet*> planets, large, full, near;
  for (auto [key, p] : state.Planets) {
    planets.push_back(p);
    if (p->Size > 500) large.push_back(p);
    if (p->Population >= p->Size) full.push_back(p);
    if (state.PlanetDistance(prime->X, prime->Y, p->X, p->Y) / 100.0 < 20) near.push_back(p);
  }
  const std::pair<const char*, const std::vector<const TPlanet*>&> cases[] = {
      {"[PT_SIZE]>500", large},
      {"[PT_POPULATION]>=[PT_SIZE]", full},
      {"DISTANCE('ArcturansPrime',[PT_NAME])<20", near},
  };
  TGameVariables game(state);
  for (const auto& [expression, expected] : cases) {
    std::vector<const TPlanet*> chosen;
    const TFilterRun run = FilterPlanetsByExpression(game, expression, planets, chosen);
    EXPECT_EQ(run.Failed, 0) << expression;
    EXPECT_EQ(chosen, expected) << expression;
    EXPECT_GT(expected.size(), 0u) << expression;
    EXPECT_LT(expected.size(), planets.size()) << expression;
  }

  std::vector<TGroupItem> groups, expected, chosen;
  for (auto [key, race] : state.Players) {
    for (const auto& g : race->Groups) {
      if (g->Turn != state.LastTurn) continue;
      groups.push_back({g.get(), nullptr});
      if (g->Ships > 5) expected.push_back({g.get(), nullptr});
    }
  }
  const TFilterRun run = FilterGroupsByExpression(game, "[GR_COUNT]>5", groups, chosen);
  EXPECT_EQ(run.Failed, 0);
  EXPECT_EQ(chosen, expected);
  EXPECT_GT(expected.size(), 0u);
  EXPECT_LT(expected.size(), groups.size());
}

}  // namespace
}  // namespace tovix

// The development plan and the automatic cargo orders on small hand-made games: the projection
// of one planet (capital, colonists, material, Galaxy Blind industry), the orders the plan
// reads (loads, splits, designs, reservations, routes), the list texts, the buildability, the
// written cargo orders and their settings.

#include "orders/development_plan.h"
#include "orders/order_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/settings/save_state.h"
#include "core/text/str_utils.h"
#include "orders/auto_cargo.h"
#include "orders/order_service.h"
#include "orders/todo_orders.h"

namespace tovix {
namespace {

// Planets Home (0,0), Near (6,8): 10 away, Far (100,0): 100 away, all the own race's, full.
// Designs: Hauler (drive 10, cargo 10: capacity 20, speed 10 empty and 5 full; COL then CAP),
// Tug (drive 10, cargo 1: capacity 1.1; CAP).
class PlanGame : public testing::Test {
 protected:
  void SetUp() override {
    state.Settings.GameType = TGameType::NG;
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Humans";
    own = race.get();
    for (int t = 0; t <= 1; ++t) own->SetTurnValues(t, "Humans", false, 3, 100, 100, 1, 1, 1, 1);
    state.Players.AddObject("humans", std::move(race));
    state.MainPlayer = own;
    home = AddPlanet("Home", 0, 0, 1000);
    near = AddPlanet("Near", 600, 800, 500);
    far = AddPlanet("Far", 10000, 0, 500);
    hauler = AddDesign("Hauler", 10, 10, TCargoUse::ColThenCap);
    tug = AddDesign("Tug", 10, 1, TCargoUse::Cap);
  }

  TPlanet* AddPlanet(const std::string& name, int32_t x, int32_t y, float size) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    planet->Y = y;
    planet->Size = size;
    planet->Population = size;
    planet->Industry = size;
    planet->Resources = 1;
    planet->Owner = TOwnerRef::Of(own);
    return state.AddPlanet(LowerCase(name), std::move(planet), PlanetDistanceKey(x, y));
  }
  TShipType* AddDesign(const std::string& name, float drive, float cargo, TCargoUse use) {
    auto type = std::make_unique<TShipType>(name, TGameType::NG);
    type->Drive = drive;
    type->Cargo = cargo;
    type->CargoUse = use;
    return own->AddShipType(std::move(type));
  }
  TGroup* AddGroup(int32_t number, TShipType* type, int32_t ships, TPlanet* at) {
    auto group = std::make_unique<TGroup>();
    group->GroupNumber = number;
    group->ShipType = type;
    group->Ships = ships;
    group->Planet = at;
    group->Owner = own;
    own->Groups.push_back(std::move(group));
    return own->Groups.back().get();
  }
  void Plan(std::vector<std::string> lines, bool transports = true, bool routes = false) {
    orders = TVectorOrderLines(std::move(lines));
    planner.PlanAutomaticCargo(orders, transports, routes);
  }
  const TDevPlanet& Record(const TPlanet* planet) {
    const TDevPlanet* record = planner.FindRecord(*planet);
    EXPECT_NE(record, nullptr);
    return *record;
  }
  // The groups of the plan as "number:ships>destination" ("-" when staying), with "*" for a
  // planned transport.
  std::vector<std::string> Groups() {
    std::vector<std::string> out;
    for (const auto& g : planner.Groups()) {
      const bool stays = g->State == TDevState::Stays;
      out.push_back(std::to_string(g->Number) + ":" + std::to_string(g->Ships) + ">" +
                    (stays || !g->Destination ? "-" : g->Destination->Name) +
                    (g->State == TDevState::Planned ? "*" : ""));
    }
    return out;
  }

  GameState state;
  TPlayer* own = nullptr;
  TPlanet *home = nullptr, *near = nullptr, *far = nullptr;
  TShipType *hauler = nullptr, *tug = nullptr;
  TDevelopmentPlanner planner{state};
  TVectorOrderLines orders;
};

TEST_F(PlanGame, ProjectsCapitalColonistsAndMaterial) {
  // Size 500, population and industry 200, CAP 100: 216 / 216 / 84 next turn.
  near->Population = near->Industry = 200;
  near->Capital = 100;
  // A full planet: colonists unpack only below the size and come back at 8 population each.
  far->Colonists = 10;
  // Capital takes one material per unit: MAT falls by c, never by 5 x c.
  home->ProductionCargo = pcCap;
  home->Material = 1000;
  home->Resources = 10;
  Plan({});
  const TDevPlanet& n = Record(near);
  EXPECT_FLOAT_EQ(n.Populations[1], 216);
  EXPECT_FLOAT_EQ(n.Industries[1], 216);
  EXPECT_FLOAT_EQ(n.CAP[1], 84);
  const TDevPlanet& f = Record(far);
  EXPECT_FLOAT_EQ(f.Populations[1], 500);
  EXPECT_FLOAT_EQ(f.COL[1], 10 + 500 * 0.08f / 8);
  const TDevPlanet& h = Record(home);
  EXPECT_NEAR(h.CAP[1], 200, 1e-3);  // at most a fifth of the industry
  EXPECT_NEAR(h.MAT[1], 800, 1e-3);
  // P orders change what the planet makes from the next turn on; MAT grows by industry x R.
  Plan({"P Home MAT"});
  EXPECT_NEAR(Record(home).MAT[1], 1000 + 1000 * 10, 1e-2);
  EXPECT_EQ(home->Production, "MAT");
  Plan({});
  EXPECT_EQ(home->Production, home->ReportProduction);

  // "Galaxy Blind": capital becomes industry at two per unit while it lasts. Regression: the
  // rule was applied to "Galaxy NG Blind" games instead.
  state.Settings.GameType = TGameType::NGBlind;
  near->Capital = 5;
  Plan({});
  EXPECT_FLOAT_EQ(Record(near).Industries[1], 205);
  state.Settings.GameType = TGameType::Blind;
  near->Capital = 5;
  Plan({});
  EXPECT_FLOAT_EQ(Record(near).Industries[1], 210);
  EXPECT_FLOAT_EQ(Record(near).CAP[1], 0);
  near->Capital = 100;
  Plan({});
  EXPECT_FLOAT_EQ(Record(near).Industries[1], 216);
  EXPECT_FLOAT_EQ(Record(near).CAP[1], 100 - 8);
}

TEST_F(PlanGame, ReadsLoadsSplitsAndDesignsFromTheOrders) {
  near->Colonists = 25;
  AddGroup(1, hauler, 4, near);
  AddGroup(2, tug, 3, near);
  // An overload: 4 ships of 20 take 25 COL evenly. A break of more ships than the group holds
  // is a note, not a split. D FLEET and short D lines are no designs.
  Plan({"L 1 COL", "S 1 Far", "B 2 5", "D FLEET Armada", "D Short 1 0", "D Scout 1.234 0 0 0 0"});
  const TDevGroup& loaded = *planner.Groups()[0];
  EXPECT_FLOAT_EQ(loaded.Load, 6.25f);
  EXPECT_EQ(loaded.CargoType, pcCol);
  EXPECT_FLOAT_EQ(Record(near).COL[0], 0);
  // The break is the order pass's to note; the plan notes nothing of its own.
  EXPECT_TRUE(planner.Notes().empty());
  ASSERT_EQ(planner.OrderDesigns().size(), 1u);
  EXPECT_EQ(planner.OrderDesigns()[0].Name, "scout");
  EXPECT_FLOAT_EQ(planner.OrderDesigns()[0].Drive, 1.23f);
  // The design joins the race's types under its lower-cased name, for the designer, the
  // simulator and the lists; "Delete Known Shiptypes" leaves its line, which is no known design.
  const TShipType* scout = own->FindShipType("scout");
  ASSERT_NE(scout, nullptr);
  EXPECT_TRUE(scout->FromOrders);
  EXPECT_EQ(scout->Name, "scout");
  EXPECT_FLOAT_EQ(scout->Drive, 1.23f);
  TVectorOrderLines designs({"D Scout 1.234 0 0 0 0", "d " + hauler->Name + " 1 0 0 0 1"});
  EXPECT_EQ(DeleteKnownShipTypes(designs, state), 1) << "the reported design's line only";
  EXPECT_EQ(designs.Line(0), "D Scout 1.234 0 0 0 0");
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1:4>Far", "2:3>-"}));
  // The colonists arrive in the turn the flight ends and unpack at 8 population each; Far is
  // full, so all of it comes back as COL.
  const TDevGroup& g = *planner.Groups()[0];
  int arrival = -1;
  for (int t = 0; t <= kDevLastTurn; ++t) {
    if (g.ArrivesAt[static_cast<size_t>(t)] == far) arrival = t;
  }
  ASSERT_GT(arrival, 0);
  EXPECT_FLOAT_EQ(g.DistanceLeft[static_cast<size_t>(arrival)], 0);
  const TDevPlanet& f = Record(far);
  EXPECT_NEAR(f.COL[static_cast<size_t>(arrival)] - f.COL[static_cast<size_t>(arrival - 1)],
              (500 * 0.08 + 8 * 25) / 8, 1e-3);

  // A load of part of a group splits it under the next number; MAX names the new group. The
  // design order is gone, and so is its type; a changed line changes the type's figures.
  Plan({"L 1 COL 1", "S MAX Home", "S 2 Far 1"});
  EXPECT_EQ(own->FindShipType("scout"), nullptr);
  const int types = own->ShipTypes.Count();
  Plan({"D Scout 2 1 1 0 0"});
  Plan({"D Scout 3 1 1 0 0"});
  ASSERT_NE(own->FindShipType("scout"), nullptr);
  EXPECT_FLOAT_EQ(own->FindShipType("scout")->Drive, 3);
  EXPECT_EQ(own->ShipTypes.Count(), types + 1);
  Plan({"L 1 COL 1", "S MAX Home", "S 2 Far 1"});
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1:3>-", "2:2>-", "3:1>Home", "4:1>Far"}));
  EXPECT_FLOAT_EQ(planner.Groups()[2]->Load, 20);
  EXPECT_FLOAT_EQ(Record(near).COL[0], 5);
  EXPECT_TRUE(planner.Notes().empty());
}

TEST_F(PlanGame, RoutesPlanTransportsUnlessOffOrReserved) {
  near->Colonists = 25;
  near->Capital = 4;
  AddGroup(1, hauler, 5, near);
  AddGroup(2, tug, 2, near);
  Plan({"R Near COL Far", "R Near CAP Home"}, true, false);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1:5>-", "2:2>-"}));
  // Routes on: 25 COL need ceil(25 / 20) = 2 ships, split off and loaded evenly; as the server
  // numbers them, the loaded ships keep number 1 and those left behind become group 3. The
  // tugs take the CAP, full (2 x 1.1 of 4).
  Plan({"R Near COL Far", "R Near CAP Home"}, true, true);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"3:3>-", "2:2>Home*", "1:2>Far*"}));
  EXPECT_FLOAT_EQ(planner.Groups()[2]->Load, 12.5f);
  EXPECT_FLOAT_EQ(planner.Groups()[1]->Load, 1.1f);
  EXPECT_NEAR(Record(near).CAP[0], 4 - 2.2, 1e-5);
  EXPECT_EQ(planner.CargoPlan().size(), 2u);
  // A commented send keeps the group out of the route planning.
  Plan({"R Near COL Far", "; S 1 Far"}, true, true);
  EXPECT_EQ(planner.Groups()[0]->State, TDevState::New);
  EXPECT_TRUE(planner.Groups()[0]->Reserved);
  // A route order without a destination clears the report's route; one the server refuses
  // (an unknown destination) leaves it.
  // (The orders above made Near a route; the report's is set on it.)
  state.Routes.Object(state.Routes.IndexOf("near"))->ReportCol = far;
  Plan({"R Near COL Nowhere"}, true, true);
  EXPECT_EQ(state.Routes.Object(state.Routes.IndexOf("near"))->Col, far);
  Plan({"R Near COL"}, true, true);
  EXPECT_EQ(state.Routes.Object(state.Routes.IndexOf("near"))->Col, nullptr);
  // Exactly two ships' worth needs two ships, not three.
  near->Colonists = 40;
  Plan({"R Near COL Far"}, true, true);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"3:3>-", "2:2>-", "1:2>Far*"}));
}

TEST_F(PlanGame, OrdersTheServerAppliesAsItDoes) {
  // Home builds a hauler (mass 20): 50 of its 200 are done. Turning to CAP gives back a
  // quarter of its material, which the capital is made of next turn.
  auto ship = std::make_unique<TShipInProduction>();
  ship->PlanetName = "Home";
  ship->ShipTypeName = "Hauler";
  ship->Cost = 200;
  ship->Progress = 50;
  state.ShipsInProduction.push_back(std::move(ship));
  home->Population = 500;
  home->Industry = 100;
  Plan({"P Home CAP"});
  EXPECT_FLOAT_EQ(Record(home).MAT[0], 5);
  // c = (5 / 1 + 200) / (1 + 5) = 34.17, at most 200 / 5; the material is used up.
  EXPECT_NEAR(Record(home).Industries[1], 100 + 205.0 / 6, 1e-3);
  EXPECT_FLOAT_EQ(Record(home).MAT[1], 0);

  // An upgrade the server refuses (group 1 is in hyperspace once sent) costs nothing.
  own->SetTurnValues(1, "Humans", false, 3, 100, 100, 2, 1, 1, 2);
  AddGroup(1, hauler, 2, home);
  Plan({"S 1 Far", "G 1"});
  EXPECT_FLOAT_EQ(Record(home).Available[0], 200);
  Plan({"G 1"});
  EXPECT_FLOAT_EQ(Record(home).Available[0], 0);  // 2 x 10 x (5 + 5) take it all

  // A group an L order loaded and kept home is no route's to take, and its cargo comes back
  // at the end of the turn.
  home->Colonists = 30;
  home->Capital = 10;
  Plan({"L 1 CAP", "R Home COL Far"}, true, true);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1:2>-"}));
  EXPECT_FLOAT_EQ(Record(home).CAP[0], 0);
  EXPECT_FLOAT_EQ(Record(home).Industries[1], 100 + 10);
  // The projection without shipping leaves the loaded cargo on the planet, but charges the
  // upgrades.
  planner.ProjectDevelopment(TVectorOrderLines({"L 1 CAP", "G 1"}));
  EXPECT_FLOAT_EQ(Record(home).CAP[0], 10);
  EXPECT_FLOAT_EQ(Record(home).Available[0], 0);
}

TEST_F(PlanGame, WithoutAutoUnloadOnlyRouteTripsUnload) {
  // Near (10 away) is half full; one hauler brings Home's 20 COL in two turns at its loaded
  // speed 5, sent by the orders or by the route (the other hauler then goes empty to Far).
  near->Population = near->Industry = 250;
  home->Colonists = 20;
  AddGroup(1, hauler, 1, home);
  AddGroup(2, hauler, 1, home);
  auto route = std::make_unique<TRoute>(home);
  route->ReportCol = near;
  state.Routes.AddObject("home", std::move(route));
  const float grown = 250 * 1.08f * 1.08f;
  for (bool autoUnload : {true, false}) {
    state.AutoUnload = autoUnload;
    // Group 1 is sent by the orders, group 2 by the route.
    Plan({"L 1 COL", "S 1 Near"}, true, false);
    EXPECT_NEAR(Record(near).Populations[2], autoUnload ? grown + 8 * 20 : grown, 1e-2);
    Plan({"R Home EMP Far"}, true, true);
    EXPECT_EQ(planner.Groups()[0]->State, TDevState::Planned);
    EXPECT_NEAR(Record(near).Populations[2], grown + 8 * 20, 1e-2) << autoUnload;
  }
}

TEST_F(PlanGame, ListsShowTurnsToFullAndTransports) {
  auto zero = std::make_unique<TPlanet>("Rock");
  zero->Owner = TOwnerRef::Of(own);
  state.AddPlanet("rock", std::move(zero), 0);
  auto other = std::make_unique<TPlanet>("Theirs");
  other->Size = 100;
  state.AddPlanet("theirs", std::move(other), 0);
  near->Population = 480;
  near->Industry = 100;
  near->Capital = 1;
  AddGroup(1, hauler, 2, home);
  Plan({";P Near", ";P Rock", ";P Theirs", ";P Home", "S 1 Near"});
  const TDevelopmentLists lists = planner.BuildLists();
  ASSERT_EQ(lists.Developing.size(), 4u);
  std::vector<std::string> rows;
  for (const TDevelopingRow& r : lists.Developing) {
    rows.push_back(r.Name + "|" + r.ColTurns + "|" + r.CapTurns + "|" + r.Sizes);
  }
  // Near: 480 -> 500 next turn (1 COL turn); industry 100 grows by the CAP only: > 20 turns.
  EXPECT_EQ(rows, (std::vector<std::string>{"Home|FULL|FULL|", "Near|1|>20|(  480/  500)",
                                            "Rock|Unknown|Unknown|(    0/    0)",
                                            "Theirs|Not Possible|Not Possible|"}));
  // Near holds CAP; the full Home and Far grow COL next turn.
  ASSERT_EQ(lists.ToTransport.size(), 3u);
  EXPECT_EQ(lists.ToTransport[2].Name + lists.ToTransport[2].CapNow, "Near 1.00");
  EXPECT_EQ(lists.ToTransport[0].Name + lists.ToTransport[0].ColNext, "Far 5.00");
  ASSERT_EQ(lists.LoadedSent.size(), 1u);
  EXPECT_EQ(lists.LoadedSent[0].Destination, "Near");
  EXPECT_EQ(lists.LoadedSent[0].Image, 1);  // 10 away at speed 10
}

TEST_F(PlanGame, BuildabilityRatesOwnPlanetsBelowTheirSize) {
  near->Industry = 100;
  near->Population = 100;
  far->Industry = far->Population = 0;
  far->Size = 0;
  TAutoCargoSettings settings;
  settings.BuildDistance = 0;
  TPlanet* reference = ComputeBuildability(state, settings);
  EXPECT_EQ(reference, near);
  EXPECT_FLOAT_EQ(near->Buildability, (500 - 100) * (3 * 0 + 500 + 50 * 1) / 500.0f);
  EXPECT_EQ(home->Buildability, 0);
  EXPECT_EQ(far->Buildability, 0);  // size 0 is not rated
  // Away from the reference the rating turns negative: -1 / b (distance in hundredths).
  settings.BuildPlanet = "home";
  settings.BuildDistance = 10;
  EXPECT_EQ(ComputeBuildability(state, settings), home);
  const double b = 550 - 10 * 1000.0;
  EXPECT_FLOAT_EQ(near->Buildability, static_cast<float>(-1 / b));
}

TEST_F(PlanGame, AutomaticLoadAndSendWritesBoundedCargoOrders) {
  home->Colonists = 30;
  home->Capital = 3;
  near->Population = near->Industry = 100;
  far->Population = far->Industry = 100;
  far->Size = 100000;  // far beyond one turn of the haulers
  AddGroup(1, hauler, 10, home);
  AddGroup(2, tug, 1, home);
  TAutoCargoSettings settings;
  settings.MaxDistanceIndex = 2;
  TVectorOrderLines text({";P Near", ";P Far"});
  TAutoCargoResult result = AutomaticLoadAndSendCargo(planner, text, settings, false);
  // COL: 30 lie at Home; Near needs (500 - 100) / 8 = 50, at most one ship's 20: 2 ships,
  // which take all 30. CAP: the tug takes 1.1 of the 3 (the whole group: L and S); then in the
  // second stage one hauler takes the rest, a need below one ship's capacity. Far, bigger and
  // first in the order, lies beyond the trip.
  EXPECT_EQ(result.Lines,
            (std::vector<std::string>{"B 1 2", "L MAX COL", "S MAX Near", "L 2 CAP", "S 2 Near",
                                      "B 1 1", "L MAX CAP", "S MAX Near"}));
  EXPECT_FALSE(result.Stopped);
  // With every target beyond the maximum trip nothing is written.
  near->X = 3000;  // 50 away: 3 turns for the tug, 10 for the haulers
  near->Y = 4000;
  result = AutomaticLoadAndSendCargo(planner, text, settings, false);
  EXPECT_TRUE(result.Lines.empty());
  near->X = 600;
  near->Y = 800;

  // With Group auto-insert off the lines go once to the clipboard and the command still ends.
  TVectorOrderLines editor({";P Near"});
  TRecordingTextSink clipboard;
  TSettingsOrderPlanner orderPlanner(planner, settings);
  TOrderService service(state, editor, clipboard, orderPlanner);
  service.Options.Group = false;
  std::vector<std::string> statuses;
  result = RunAutoCargoCommand(TAutoCargoCommand::LoadAndSend, service, planner, editor, settings,
                               [&](const std::string& s) { statuses.push_back(s); });
  EXPECT_EQ(clipboard.Puts, 1);
  EXPECT_EQ(editor.Count(), 1);
  EXPECT_EQ(statuses, std::vector<std::string>{"Ready"});
  // The plan's notes are shown with the analysis, once per analysis.
  editor.Insert(1, "B 2 9");
  service.AnalyseOrders();
  // (The text has no "#GALAXY" line: that note stands first.)
  ASSERT_EQ(service.Notes().size(), 2u);
  EXPECT_EQ(service.Notes()[1], "Line 2 (B 2 9): Can't break group 2!");
  EXPECT_FALSE(result.Lines.empty());

  EXPECT_EQ(BuildCargoCommands("7", "Near", 5, 5, pcCap), "L 7 CAP\r\nS 7 Near");
  EXPECT_EQ(BuildCargoCommands("7", "Near", 2, 5, pcCol), "B 7 2\r\nL MAX COL\r\nS MAX Near");
}

// The groups of a pass go in the order of their planets' stocks, the largest first, whatever
// their order in the race's list.
TEST_F(PlanGame, AutomaticLoadTakesTheGroupOnTheLargerStockFirst) {
  TPlanet* mid = AddPlanet("Mid", 300, 400, 500);  // 5 from Near, 5 from Home
  home->Colonists = 10;
  mid->Colonists = 30;
  near->Population = near->Industry = 100;
  AddGroup(1, hauler, 3, home);
  AddGroup(2, hauler, 2, mid);
  TAutoCargoSettings settings;
  settings.MaxDistanceIndex = 2;
  const TAutoCargoResult result =
      AutomaticLoadAndSendCargo(planner, TVectorOrderLines({";P Near"}), settings, false);
  ASSERT_GE(result.Lines.size(), 2u);
  // Mid's 30 COL: both ships, 20 each, for Near's need of (500 - 100) / 8 = 50.
  EXPECT_EQ(result.Lines[0], "L 2 COL");
  EXPECT_EQ(result.Lines[1], "S 2 Near");
}

TEST_F(PlanGame, AutomaticSendEmptyShipsKeepsAndSendsGroups) {
  near->Colonists = 50;
  home->Population = 500;
  far->Population = 100;
  AddGroup(1, hauler, 1, near);
  AddGroup(2, hauler, 4, home);
  AddGroup(3, hauler, 3, far);
  TAutoCargoSettings settings;
  settings.MaxDistanceIndex = 3;
  TVectorOrderLines text;
  const TAutoCargoResult result = AutomaticSendEmptyShips(planner, text, settings, false);
  // Near grows 50 + 40 / 8 COL by next turn: group 1 stays for it and takes 20; two ships of
  // group 2 fetch the other 35; group 3 is not needed.
  EXPECT_EQ(result.Lines,
            (std::vector<std::string>{"S 1 Near ; keep group on this planet for COL next turn",
                                      "S 2 Near 2"}));
  EXPECT_FALSE(result.Stopped);
}

TEST(AutoCargoSettings, SurviveARestartWithBuildabilityAppended) {
  TznSaveState ini("");
  TAutoCargoSettings settings;
  settings.ColFill = 55;
  settings.MaxDistanceIndex = 2;
  settings.SortOn = {"Percent Full Low",  "Size",        "Resources", "Distance",
                     "Percent Full High", "Buildability"};
  settings.BuildPlanet = "Home World";
  settings.Save(ini, "Orion");
  TAutoCargoSettings read;
  read.Load(ini, "Orion");
  EXPECT_EQ(read.ColFill, 55);
  EXPECT_EQ(read.MaxTrip(), 3);
  EXPECT_EQ(read.SortOn, settings.SortOn);
  EXPECT_EQ(read.BuildPlanet, "Home World");
  EXPECT_EQ(read.SortCodes(), (TPlanetOrder{4, 0, 1, 2, 3, 5}));
  // An order stored without "Buildability" gets it appended; bad values keep their defaults.
  ini.WriteString("AutoCargoSettings_Orion", "lbxSortOn", "Size,\"Percent Full High\",Bogus");
  ini.WriteString("AutoCargoSettings_Orion", "edtCAPFill", "250");
  read.Load(ini, "Orion");
  EXPECT_EQ(read.SortOn,
            (std::vector<std::string>{"Size", "Percent Full High", "Bogus", "Buildability"}));
  EXPECT_EQ(read.SortCodes(), (TPlanetOrder{0, 3, 2, 5, -1, -1}));
  EXPECT_EQ(read.CapFill, 100);
}

// The orders window's To Do pop-up: the planets of its items and the lines they write.
// The plan's record of group `number`, and the planets of To Do targets as "name/turns".
const TDevGroup* GroupNumbered(const TDevelopmentPlanner& planner, int32_t number) {
  for (const auto& g : planner.Groups())
    if (g->Number == number) return g.get();
  ADD_FAILURE() << "no group " << number;
  return nullptr;
}
std::vector<std::string> TargetNames(const std::vector<TToDoTarget>& targets) {
  std::vector<std::string> names;
  for (const TToDoTarget& t : targets)
    names.push_back(t.Planet->Name + "/" + std::to_string(t.Turns));
  return names;
}

TEST_F(PlanGame, ToDoItemsOfferTheirPlanetsNearestFirstWithTheTripsTurns) {
  // Near grows (a development tag) and needs colonists and industry; Home holds colonists and
  // capital for next turn. Forty-four more growing planets far away.
  home->Colonists = 30;
  home->Capital = 30;
  near->Population = near->Industry = 100;
  std::vector<std::string> lines{";P Near"};
  for (int i = 0; i < 44; ++i) {
    const std::string name = "Far" + std::to_string(i);
    TPlanet* planet = AddPlanet(name, 20000 + 100 * i, 0, 500);
    planet->Population = planet->Industry = 100;
    lines.push_back(";P " + name);
  }
  AddGroup(7, hauler, 3, home);
  AddGroup(8, hauler, 2, near);
  TAutoCargoSettings settings;
  settings.SortOn = {"Distance"};
  Plan(lines);
  const TDevGroup* atHome = GroupNumbered(planner, 7);
  ASSERT_NE(atHome, nullptr);

  // Loaded trips at the full speed of 5: Near is 10 away (2 turns), Far0 200 away (40 turns).
  const std::vector<TToDoTarget> col = ToDoTargets(planner, *atHome, settings, TToDoSend::LoadCol);
  ASSERT_EQ(col.size(), 40u) << "at most 40 COL targets";
  EXPECT_EQ(TargetNames(col)[0], "Near/2");
  EXPECT_EQ(TargetNames(col)[1], "Far0/40");
  EXPECT_EQ(ToDoTargets(planner, *atHome, settings, TToDoSend::LoadCap).size(), 45u);
  // Empty trips at the speed of 10 go to the own planets with cargo next turn: Home and the
  // full Far, whose growth makes colonists; never to the group's own planet.
  EXPECT_EQ(
      TargetNames(ToDoTargets(planner, *GroupNumbered(planner, 8), settings, TToDoSend::Send)),
      (std::vector<std::string>{"Home/1", "Far/9"}));
  EXPECT_EQ(TargetNames(ToDoTargets(planner, *atHome, settings, TToDoSend::Send)),
            std::vector<std::string>{"Far/10"});
}

TEST_F(PlanGame, ToDoItemsWriteOneShipOrTheWholeGroup) {
  AddGroup(7, hauler, 3, home);
  AddGroup(9, hauler, 1, home);
  Plan({});
  const TDevGroup& three = *GroupNumbered(planner, 7);
  const TDevGroup& one = *GroupNumbered(planner, 9);
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

}  // namespace
}  // namespace tovix

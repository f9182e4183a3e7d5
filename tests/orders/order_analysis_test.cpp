// Order analysis on a small hand-made game: splits and group numbers, the reading of order
// lines as the server reads them, arrival turns, the planets' ship masses and the list rows.

#include "orders/order_analysis.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/model/arrival.h"
#include "core/text/str_utils.h"
#include "orders/development_plan.h"
#include "orders/order_commands.h"
#include "orders/order_service.h"
#include "support/no_planner.h"

namespace tovix {
namespace {

// Planets Home (0,0), Near (30,40): 50 away, Far (100,0): 100 away. The own race has
//   1: 10 Drones at Home (speed 20)     2: 5 Drones at Home
//   3: 2 Guns at Home (no drive)        4: 3 Haulers flying Home -> Far, 40 left (speed 40/3)
class SmallGame : public testing::Test {
 protected:
  void SetUp() override {
    state.Settings.GameType = TGameType::NG;
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Humans";
    own = race.get();
    state.Players.AddObject("humans", std::move(race));
    state.MainPlayer = own;
    home = AddPlanet("Home", 0, 0);
    near = AddPlanet("Near", 3000, 4000);
    far = AddPlanet("Far", 10000, 0);
    drone = AddDesign("Drone", 1, 0, 0);
    gun = AddDesign("Gun", 0, 5, 0);
    hauler = AddDesign("Hauler", 2, 0, 1);
    AddGroup(1, drone, 10, home);
    AddGroup(2, drone, 5, home);
    AddGroup(3, gun, 2, home);
    TGroup* flying = AddGroup(4, hauler, 3, far);
    flying->Origin = home;
    flying->Distance = 40;
  }

  TPlanet* AddPlanet(const std::string& name, int32_t x, int32_t y) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    planet->Y = y;
    planet->Size = 100;
    planet->Population = 100;
    planet->Industry = 100;
    planet->Resources = 1;
    return state.AddPlanet(LowerCase(name), std::move(planet), PlanetDistanceKey(x, y));
  }
  TShipType* AddDesign(const std::string& name, float drive, float weapons, float cargo) {
    auto type = std::make_unique<TShipType>(name, TGameType::NG);
    type->Drive = drive;
    type->Attacks = weapons > 0 ? 1 : 0;
    type->Weapons = weapons;
    type->Cargo = cargo;
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

  // The records after a pass over `lines`, as "number:ships>destination" ("-" when staying).
  std::vector<std::string> Parse(std::vector<std::string> lines) {
    TVectorOrderLines text(std::move(lines));
    analysis.ParseOrders(text);
    std::vector<std::string> out;
    for (const TSendedGroup& r : analysis.Records()) {
      out.push_back(std::to_string(r.Number) + ":" + std::to_string(r.Ships) + ">" +
                    (r.Destination ? r.Destination->Name : "-"));
    }
    return out;
  }

  GameState state;
  TPlayer* own = nullptr;
  TPlanet *home = nullptr, *near = nullptr, *far = nullptr;
  TShipType *drone = nullptr, *gun = nullptr, *hauler = nullptr;
  TOrderAnalysis analysis{state};
};

using Records = std::vector<std::string>;

TEST_F(SmallGame, SplitsMakeNewGroupsThatLaterOrdersName) {
  // Only comments: one staying record per group, the flying group on its way.
  EXPECT_EQ(Parse({"; nothing", "#GALAXY g Humans", "#END"}),
            (Records{"1:10>-", "2:5>-", "3:2>-", "4:3>Far"}));
  // A send of 3 of 10 leaves 7 on the group's own record; the part is group 5, one above the
  // highest number.
  EXPECT_EQ(Parse({"S 1 Near 3"}), (Records{"1:7>-", "2:5>-", "3:2>-", "4:3>Far", "5:3>Near"}));
  EXPECT_FALSE(analysis.Records()[4].Base);
  EXPECT_EQ(analysis.ShipsLeftInGroup(*own->Groups[0]), 7);
  // Two sends of 2 from 5: both split the group's own record, which keeps 1.
  EXPECT_EQ(Parse({"s 2 near 2", "S 2 FAR 2"}),
            (Records{"1:10>-", "2:1>-", "3:2>-", "4:3>Far", "5:2>Near", "6:2>Far"}));
  // A break followed by MAX, or by the new group's number, moves the ships broken off; a
  // break of all the ships renumbers the group.
  EXPECT_EQ(Parse({"B 1 3", "S MAX Far", "b 1 2", "s 6 near", "B 2 5", "S 2 Near", "S max Far"}),
            (Records{"1:5>-", "7:5>Far", "3:2>-", "4:3>Far", "5:3>Far", "6:2>Near"}));
  // An upgrade splits too and marks its part.
  home->Owner = TOwnerRef::Of(own);
  Parse({"G 2 2", "U 1"});
  ASSERT_EQ(analysis.Records().size(), 5u);
  EXPECT_TRUE(analysis.Records()[4].Upgraded);
  EXPECT_EQ(analysis.ShipsLeftInGroup(*own->Groups[1]), 3);
}

// The server reads from the "#GALAXY" line to "#END": a line below the end makes no record and
// gets an ERROR note of its own, and so do a missing "#GALAXY" line, an order above it and a
// race name there that the last report does not give.
TEST_F(SmallGame, OrdersAreReadFromTheGalaxyLineToTheEnd) {
  state.LastTurn = 3;
  own->Alias = "race_1";
  using Notes = std::vector<std::pair<int, TNoteKind>>;
  constexpr TNoteKind kHeader = TNoteKind::Header, kAfterEnd = TNoteKind::AfterEnd;
  struct Case {
    std::vector<std::string> lines;
    Notes notes;
    std::string says;  // in the first note
    std::string sent;  // destinations of groups 1 and 2
  };
  const std::vector<Case> cases = {
      {{}, {{-1, kHeader}}, "no \"#GALAXY\" line", ""},
      {{"#GALAXY g Humans", "S 1 Near", " #end ; done", "S 2 Far", "", "; c", "@ Orcs", "hi", "@"},
       {{3, kAfterEnd}, {6, kAfterEnd}, {7, kAfterEnd}, {8, kAfterEnd}},
       "ERROR: the server reads nothing after \"#END\" in line 3",
       "Near -"},
      // An end inside a message, a commented one and a longer word are no end.
      {{"#galaxy g HUMANS", "@ Orcs", "#END", "@", "S 2 Far", ";#END", "#ENDS"}, {}, "", "- Far"},
      {{"S 1 Near", "#GALAXY g Humans"},
       {{0, kHeader}},
       "must be the \"#GALAXY\" line (now line 2)",
       ""},
      {{"#GALAXY g race_1 pw 4"},
       {{0, kHeader}},
       "race_1, its earlier name; the last report (turn 3) names it Humans",
       ""},
      {{"#GALAXY g Orcs"},
       {{0, kHeader}},
       "names the race Orcs, but the last report (turn 3) names your race Humans",
       ""},
  };
  for (const Case& c : cases) {
    const std::string name = testing::PrintToString(c.lines);
    TVectorOrderLines text(c.lines);
    TRecordingTextSink clipboard;
    test::NoPlanner planner;
    TOrderService service(state, text, clipboard, planner);
    service.AnalyseOrders();
    const std::vector<TOrderNote> items = service.NoteItems();
    Notes notes;
    for (const TOrderNote& note : items) notes.emplace_back(note.Line, note.Kind);
    EXPECT_EQ(notes, c.notes) << name;
    EXPECT_EQ(service.ErrorNoteCount(), static_cast<int>(c.notes.size())) << name;
    if (!items.empty()) {
      EXPECT_NE(items[0].Text.find(c.says), std::string::npos) << items[0].Text;
    }
    const auto& records = service.Analysis().Records();
    const auto to = [&](int i) {
      const TSendedGroup& r = records[static_cast<size_t>(i)];
      return r.Destination ? r.Destination->Name : std::string("-");
    };
    if (!c.sent.empty()) {
      EXPECT_EQ(to(0) + " " + to(1), c.sent) << name;
    }
  }
}

TEST_F(SmallGame, LinesReadAsTheServerReadsThem) {
  // Regression: message lines were read as orders, a glued comment broke the planet name,
  // the command word was read from its second letter on.
  EXPECT_EQ(Parse({"@ Orcs", "S 1 Near", "", "S 2 Near", "@", "Send 1 Near;see you",
                   "SEND 2 Far 3x", "S 3 Home ;5", "Intercept 1 Far ; 1"}),
            (Records{"1:10>Near", "2:5>Far", "3:2>-", "4:3>Far"}));
  EXPECT_EQ(analysis.Records()[0].SentByLine, 5);
  // The gun cannot move, and group 1 is in hyperspace once sent: both lines are refused with
  // a note, and the pass goes on.
  ASSERT_EQ(analysis.Notes().size(), 2u);
  EXPECT_EQ(analysis.Notes()[0], "Line 8 (S 3 Home): ERROR: group 3 cannot move.");
  EXPECT_EQ(analysis.Notes()[1], "Line 9 (Intercept 1 Far): ERROR: group 1 is in hyperspace.");
  EXPECT_TRUE(analysis.Refused(8));
  EXPECT_FALSE(analysis.Refused(5));

  // Unknown groups and planets, and missing words, leave everything as it was, each with a
  // note. Regression: a group in flight was sent again from its origin; the server refuses
  // that.
  EXPECT_EQ(Parse({"S 9 Near", "S 1 Nowhere", "S 1", "L 1 FOOD 3", "B 1", "S MAXIMUM Near",
                   "S 4 Near", "G 4"}),
            (Records{"1:10>-", "2:5>-", "3:2>-", "4:3>Far"}));
  EXPECT_EQ(analysis.Notes().size(), 8u);
  for (int line = 0; line < 8; ++line) EXPECT_TRUE(analysis.Refused(line)) << line;

  // Line look-ups: the planet word, else the group's planet; a ";P" tag names its planet.
  EXPECT_EQ(analysis.PlanetOfLine("S 2 Far"), far);
  EXPECT_EQ(analysis.PlanetOfLine("U 4"), far);
  EXPECT_EQ(analysis.GroupOfLine("g 3"), own->Groups[2].get());
  EXPECT_EQ(analysis.PlanetOfCaretLine(";P near"), near);
  EXPECT_EQ(analysis.PlanetOfCaretLine("N Home Castle"), home);
  EXPECT_EQ(analysis.PlanetOfCaretLine("; just a comment"), nullptr);
}

TEST_F(SmallGame, ArrivalIsTheCeilingOfDistanceOverSpeed) {
  // 50 at 20 a turn: 3 turns. 100 at 20: exactly 5, not 6.
  Parse({"S 1 Near", "S 2 Far"});
  EXPECT_DOUBLE_EQ(analysis.Records()[0].Distance, 50.0);
  EXPECT_EQ(analysis.Records()[0].Turns, 3);
  EXPECT_EQ(analysis.Records()[1].Turns, 5);
  // The flying haulers: 40 at 40/3 a turn, an exact multiple up to rounding.
  EXPECT_EQ(analysis.Records()[3].Turns, 3);

  EXPECT_EQ(TurnsToArrive(0, 20), 0);
  EXPECT_EQ(TurnsToArrive(5, 0), 0);
  EXPECT_EQ(TurnsToArrive(5, -1), 0);
  EXPECT_EQ(TurnsToArrive(1e-12, 20), 1);
  EXPECT_EQ(TurnsToArrive(20.000001, 20), 2);
  EXPECT_EQ(TurnsToArrive(0.3 * 3, 0.3), 3);
  EXPECT_EQ(TurnsToArrive(1e300, 1e-300), INT32_MAX);
}

TEST_F(SmallGame, ShipMassesCountEachStayingGroupOnce) {
  TVectorOrderLines text({"S 1 Near 3", "B 1 2", "L 1 COL 1", "S 2 Far"});
  analysis.ParseOrders(text);
  analysis.ComputeIncomingShipMass();
  // Drones weigh 1: 3 arrive at Near in 3 turns, 5 at Far in 5.
  EXPECT_FLOAT_EQ(near->SentMassEta3Plus, 3);
  EXPECT_FLOAT_EQ(far->SentMassEta3Plus, 5 + 3 * hauler->Mass());
  // Regression: group 1, split into staying parts, counted its 7 staying ships once per part.
  // Home keeps those 7 and the guns.
  EXPECT_FLOAT_EQ(home->NextTurnMass, 7 + 2 * gun->Mass());

  // Next-turn arrivals count as present; a part flying two turns counts apart.
  near->X = 1000;
  near->Y = 0;
  home->X = 0;
  far->X = 3000;
  analysis.ParseOrders(TVectorOrderLines({"S 1 Near 1", "S 2 Far"}));
  analysis.ComputeIncomingShipMass();
  EXPECT_FLOAT_EQ(near->SentMass, 1);
  EXPECT_FLOAT_EQ(near->NextTurnMass, 1);
  EXPECT_FLOAT_EQ(far->SentMassEta2, 5);
}

TEST_F(SmallGame, ListRowsAndThePlannersTransports) {
  far->Population = 40;
  far->Owner = TOwnerRef::Of(own);
  home->Owner = TOwnerRef::Of(own);
  TVectorOrderLines text({"S 1 Near 3"});
  std::vector<TPlannedTransport> plan(1);
  plan[0].State = 3;
  plan[0].Group = own->Groups[1].get();
  plan[0].Ships = 2;
  plan[0].Destination = far;
  plan[0].Load = 2;
  plan[0].CargoType = pcCol;
  analysis.ParseOrders(text, plan);
  ASSERT_EQ(analysis.Records().size(), 6u);
  const TSendedGroup& planned = analysis.Records()[5];
  EXPECT_EQ(planned.Ships, 2);
  EXPECT_EQ(planned.Destination, far);
  EXPECT_EQ(planned.CargoType, pcCol);
  EXPECT_EQ(planned.Turns, 5);

  // Sent Ships: records with a destination whose group carries no cargo; the haulers are left
  // to the planner's list.
  const std::vector<TSentShipRow> sent = analysis.SentShipRows();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].Ships + " " + sent[0].From + " " + sent[0].Dist + " " + sent[0].Rest,
            "3 Home 50.00 30.00");
  EXPECT_EQ(sent[0].Image, 2);

  const std::vector<TToDevelopRow> develop = analysis.ToDevelopRows();
  ASSERT_EQ(develop.size(), 1u);
  EXPECT_EQ(develop[0].Planet, far);
  EXPECT_EQ(develop[0].Population, "40.00");
}

TEST_F(SmallGame, ServiceAnalysesAfterInsertOnlyWithAnOptionOn) {
  struct Listener : IOrderAnalysisListener {
    void AnalysisChanged(bool afterInsert) override { calls.push_back(afterInsert); }
    std::vector<bool> calls;
  } listener;
  TVectorOrderLines lines({"#GALAXY g Humans", "#END"});
  TRecordingTextSink clip;
  test::NoPlanner planner;
  TOrderService service(state, lines, clip, planner);
  service.Listener = &listener;
  service.InsertGroupCommands("S 1 Near 4");
  EXPECT_TRUE(service.AnalyseAfterInsert());
  ASSERT_EQ(service.SentShips().size(), 1u);
  EXPECT_EQ(service.SentShips()[0].Ships, "4");
  EXPECT_FLOAT_EQ(home->NextTurnMass, 6 + 5 + 2 * gun->Mass());

  service.Options = {false, false, false, false};
  service.InsertGroupCommands("S 2 Near");
  EXPECT_EQ(clip.Text, "S 2 Near\r\n");
  EXPECT_FALSE(service.AnalyseAfterInsert());
  service.AnalyseOrders();
  EXPECT_EQ(listener.calls, (std::vector<bool>{true, false}));
}

TEST_F(SmallGame, GeneratedLinesDoWhatTheyAreMadeFor) {
  home->Owner = TOwnerRef::Of(own);
  TVectorOrderLines lines({"#GALAXY g Humans", "#END"});
  TRecordingTextSink clip;
  test::NoPlanner planner;
  TOrderService service(state, lines, clip, planner);
  service.InsertGroupCommands(BreakLoadAndSendCommands("1", 3, pcCol, "Far"));
  service.InsertGroupCommands(KeepSendCommand("2", "Near", 2, pcCap));
  service.InsertGroupCommands(UpgradeCommands({"2", "3"}));
  // Regression: a message line beginning with "@" ended the message, and the lines after it
  // became orders (here a send of group 1).
  service.InsertOtherCommands(MessageCommands("Orcs", "Hi!\n@ bye\nS 1 Near\n\nHumans\n"));
  service.AnalyseOrders();
  EXPECT_EQ(IndexOfLine(lines, "S 2 Near 2 ; keep group on this planet for CAP next turn"), 5);
  EXPECT_EQ(IndexOfLine(lines, " @ bye"), 12);
  EXPECT_EQ(lines.Line(15), "Humans");
  EXPECT_EQ(lines.Line(16), "@");
  // 3 of group 1 go to Far as group 5 (drones load nothing); 2 of group 2 to Near; group 2 and
  // 3 are upgraded.
  std::vector<std::string> records;
  for (const TSendedGroup& r : service.Analysis().Records()) {
    records.push_back(std::to_string(r.Number) + ":" + std::to_string(r.Ships) + ">" +
                      (r.Destination ? r.Destination->Name : "-") + (r.Upgraded ? "+" : ""));
  }
  EXPECT_EQ(records, (Records{"1:7>-", "2:3>-+", "3:2>-+", "4:3>Far", "5:3>Far", "6:2>Near"}));

  // Design figures as typed.
  TShipType design("Cruiser", TGameType::NG);
  design.Drive = 22;
  design.Attacks = 4;
  design.Weapons = 1.1f;
  design.Shields = 8.25f;
  EXPECT_EQ(DesignCommand(design), "D Cruiser 22 4 1.1 8.25 0");
  EXPECT_EQ(RenameError(state, "NEAR"), "Planet Name already used!");
}

// The own race with technology above its groups', Home its planet with stocks, and more
// groups: 5: 4 Haulers at Home (1.1 cargo each), the fleet "Armada" at Home of 6: 2 Drones and
// 7: 1 Hauler (its speed 40/3), 8: 1 Drone at Near.
class ServerRules : public SmallGame {
 protected:
  void SetUp() override {
    SmallGame::SetUp();
    own->SetTurnValues(0, "Humans", false, 1, 60, 60, 1, 2, 2, 2);
    home->Owner = TOwnerRef::Of(own);
    home->Population = home->Industry = 60;
    home->Colonists = 3;
    home->Material = 5;
    AddGroup(5, hauler, 4, home);
    AddGroup(6, drone, 2, home)->FleetName = "Armada";
    AddGroup(7, hauler, 1, home)->FleetName = "Armada";
    AddGroup(8, drone, 1, near);
  }
  // The numbers of the lines refused.
  std::vector<int> RefusedLines() const {
    std::vector<int> lines;
    for (const TOrderNote& note : analysis.LineNotes()) {
      if (note.Refused) lines.push_back(note.Line + 1);
    }
    return lines;
  }
};

TEST_F(ServerRules, LinesApplyInOrderToWhatTheLinesBeforeLeft) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    Records records;
    std::vector<int> refused;  // 1-based
  };
  const std::vector<Case> cases = {
      {"a group sent is in hyperspace for the later lines",
       {"S 1 Near 4", "S 1 Far", "S 1 Near", "G 1", "L 1 COL", "J 1 Armada", "X 1"},
       {"1:6>Far", "2:5>-", "3:2>-", "4:3>Far", "5:4>-", "6:2>-", "7:1>-", "8:1>-", "9:4>Near"},
       {3, 4, 5, 6, 7}},
      {"a fleet moves as its members, and then they are in hyperspace",
       {"S Armada Far", "S 6 Near", "S armada Near", "J 2 Armada", "S Navy Far"},
       {"1:10>-", "2:5>-", "3:2>-", "4:3>Far", "5:4>-", "6:2>Far", "7:1>Far", "8:1>-"},
       {2, 3, 4, 5}},
      {"joining: at the fleet's planet, or making a new fleet; a group sent alone leaves it",
       {"J 2 Armada", "J 8 Armada", "J 8 Scouts", "S 7 Near", "D FLEET Navy", "S Navy Far",
        "S Scouts Far"},
       {"1:10>-", "2:5>-", "3:2>-", "4:3>Far", "5:4>-", "6:2>-", "7:1>Near", "8:1>Far"},
       {2, 6}},
      {"loads take what the lines before left; a refused load splits nothing",
       {"L 5 COL 2", "L 5 COL", "B 5 1", "L 10 COL", "L 1 COL", "L 5 CAP", "S MAX Far"},
       {"1:10>-", "2:5>-", "3:2>-", "4:3>Far", "5:1>-", "6:2>-", "7:1>-", "8:1>-", "9:2>-",
        "10:1>Far"},
       {4, 5, 6}},
      {"scrapped ships leave the group",
       {"X 1 4", "X 2", "X 8 9", "S 2 Far"},
       {"1:6>-", "2:0>-", "3:2>-", "4:3>Far", "5:4>-", "6:2>-", "7:1>-", "8:0>-"},
       {4}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse(c.lines), c.records) << c.name;
    EXPECT_EQ(RefusedLines(), c.refused)
        << c.name << ": " << testing::PrintToString(analysis.Notes());
  }
}

TEST_F(ServerRules, FleetsLoadsAndScrapsChangeSpeedsStocksAndShipsLeft) {
  // The fleet flies at its hauler's speed: 100 at 40/3 a turn, 8 turns.
  Parse({"S Armada Far"});
  for (int i : {5, 6}) {
    const TSendedGroup& member = analysis.Records()[static_cast<size_t>(i)];
    EXPECT_EQ(member.Fleet, "Armada");
    EXPECT_NEAR(TOrderAnalysis::SendedGroupSpeed(member), 40.0 / 3, 1e-9);
    EXPECT_EQ(member.Turns, 8);
  }
  // The drones' "Sent Ships" row shows the fleet's speed, not their own 20.
  const std::vector<TSentShipRow> sent = analysis.SentShipRows();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Speed + " " + sent[0].Rest, "13.33 86.67");
  // 3 COL at Home: two haulers take 2.2, the other two share the 0.8 left; the loaded pair
  // flies at 40 / 4.1 a turn (11 turns for 100), not at its empty 40 / 3.
  Parse({"L 5 COL 2", "L 5 COL", "S 9 Far"});
  const TSendedGroup& full = analysis.Records()[8];
  EXPECT_FLOAT_EQ(full.Load, 1.1f);
  EXPECT_EQ(full.Turns, 11);
  EXPECT_FLOAT_EQ(analysis.Records()[4].Load, 0.4f);
  const TPlanetOrders* stocks = analysis.PlanetOrders(*home);
  ASSERT_NE(stocks, nullptr);
  EXPECT_NEAR(stocks->Colonists, 0, 1e-6);
  EXPECT_NEAR(stocks->LoadedColonists, 3, 1e-6);
  // An unload gives the cargo back for the loads after it.
  Parse({"L 5 COL", "U 5", "L 7 COL"});
  EXPECT_NEAR(analysis.Records()[6].Load, 1.1, 1e-6);
  EXPECT_NEAR(analysis.PlanetOrders(*home)->Colonists, 3 - 1.1, 1e-6);
  // Scrapped drones (mass 1) go to Home's material and are no ships left any more.
  Parse({"X 1 4", "X 2"});
  EXPECT_EQ(analysis.ShipsLeftInGroup(*own->Groups[0]), 6);
  EXPECT_EQ(analysis.ShipsLeftInGroup(*own->Groups[1]), 0);
  EXPECT_FLOAT_EQ(analysis.PlanetOrders(*home)->Material, 5 + 4 + 5);
  analysis.ComputeIncomingShipMass();
  EXPECT_FLOAT_EQ(home->NextTurnMass,
                  6 + 2 * gun->Mass() + 4 * hauler->Mass() + 2 + hauler->Mass());
}

TEST_F(ServerRules, UpgradesTakeWhatIsLeftOfTheIndustry) {
  // Bringing a drone's drive from 1 to 2 costs 5; Home makes 60. Group 1 takes 50, group 2
  // the last 10 (its 25 are not covered), and the guns find nothing left.
  Parse({"G 1", "G 2", "G 3", "G 8"});
  EXPECT_EQ(RefusedLines(), (std::vector<int>{3, 4}));
  EXPECT_EQ(analysis.Notes()[0], "Line 3 (G 3): ERROR: planet Home has no industry left.");
  EXPECT_FLOAT_EQ(analysis.PlanetOrders(*home)->UpgradeSpent, 60);
  EXPECT_FLOAT_EQ(analysis.PlanetOrders(*home)->Industry, 0);
}

TEST_F(ServerRules, ProductionOrdersAndRoutesTheServerRefusesAreNoted) {
  // Home builds a gun (mass 5): 25 of its 100 are done, so turning to anything else gives back
  // a quarter of its material, once.
  auto ship = std::make_unique<TShipInProduction>();
  ship->PlanetName = "Home";
  ship->ShipTypeName = "Gun";
  ship->Cost = 100;
  ship->Progress = 25;
  state.ShipsInProduction.push_back(std::move(ship));
  Parse({"P Home Gun", "P Home CAP", "P Home Drone"});
  EXPECT_FLOAT_EQ(analysis.PlanetOrders(*home)->Material, 5 + 1.25f);
  EXPECT_FLOAT_EQ(analysis.PlanetOrders(*home)->MaterialReturned, 1.25f);
  EXPECT_TRUE(analysis.Notes().empty());

  Parse({"P Nowhere CAP", "P Far CAP", "P Home Banana", "D Banana 1 0 0 0 0", "P Home Banana",
         "P Home", "R Home COL Nowhere", "R Home FOOD Far", "R Nowhere COL Far", "R Home COL",
         "R Home EMP Far", "D FLEET", "P Home drive", "D Short 1 0", "P Home Short"});
  EXPECT_EQ(RefusedLines(), (std::vector<int>{1, 2, 3, 6, 7, 8, 9, 12, 14, 15}));
  EXPECT_EQ(analysis.Notes()[1], "Line 2 (P Far CAP): ERROR: planet Far is not ours.");
}

TEST_F(ServerRules, RandomOrdersNeitherLoseNorMakeShips) {
  // Orders of every kind on known and unknown groups, fleets and planets, drawn with a fixed
  // seed: whatever the server would refuse, every ship stays in exactly one record or is
  // scrapped, and the plan made from the same text reads it without fault.
  std::mt19937 rng(37);
  auto pick = [&](std::initializer_list<const char*> words) {
    return std::string(*(words.begin() + rng() % words.size()));
  };
  const auto group = [&] {
    return pick({"1", "2", "3", "4", "5", "6", "7", "8", "9", "MAX", "x"});
  };
  const auto where = [&] { return pick({"Home", "Near", "Far", "Nowhere", "Armada", ""}); };
  const auto count = [&] { return pick({"", "1", "2", "3", "9", "0", "-1", ";2"}); };
  TDevelopmentPlanner planner(state);
  for (int text = 0; text < 300; ++text) {
    std::vector<std::string> lines;
    for (int i = 0; i < 25; ++i) {
      switch (rng() % 11) {
        case 0:
          lines.push_back("S " + pick({"Armada", "Scouts"}) + " " + where());
          break;
        case 1:
          lines.push_back("J " + group() + " " + pick({"Armada", "Scouts", ""}));
          break;
        case 2:
          lines.push_back("L " + group() + " " + pick({"COL", "CAP", "MAT", "EMP"}) + " " +
                          count());
          break;
        case 3:
          lines.push_back(pick({"B ", "X ", "U ", "G "}) + group() + " " + count());
          break;
        case 4:
          lines.push_back("P " + where() + " " + pick({"CAP", "MAT", "Drone", "Gun", "Banana"}));
          break;
        case 5:
          lines.push_back("R " + where() + " " + pick({"COL", "CAP", "EMP"}) + " " + where());
          break;
        case 6:
          lines.push_back(pick({"D FLEET Scouts", "D Banana 1 0 0 0 0", "@", ";S 5 Far"}));
          break;
        default:
          lines.push_back(pick({"S ", "I "}) + group() + " " + where() + " " + count());
          break;
      }
    }
    TVectorOrderLines orders(lines);
    analysis.ParseOrders(orders);
    std::map<const TGroup*, int64_t> ships;
    for (const TSendedGroup& r : analysis.Records()) {
      ASSERT_GE(r.Ships, 0) << testing::PrintToString(lines);
      ASSERT_GE(r.Turns, 0);
      ships[r.Group] += r.Ships + r.Scrapped;
    }
    for (const auto& g : own->Groups) {
      ASSERT_EQ(ships[g.get()], g->Ships) << testing::PrintToString(lines);
      ASSERT_GE(analysis.ShipsLeftInGroup(*g), 0);
    }
    for (const TOrderNote& note : analysis.LineNotes()) {
      ASSERT_TRUE(note.Line >= 0 && note.Line < orders.Count());
    }
    planner.PlanAutomaticCargo(orders, true, true);
    for (const auto& g : planner.Groups()) ASSERT_GT(g->Ships, 0);
  }
}

}  // namespace
}  // namespace tovix

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

constexpr int kTurn = 5;
const std::string kRace = "Arcturans";
const std::string kFile = "r005.txt";

using ReaderStep = void (TReportReader::*)();

// "#  T  D  W  S  C  T  Q  L" rows of a battle list, one per line.
std::string BattleList(const std::string& race, const std::string& rows) {
  return "\t\t" + race + " Groups\n\n#   T     D    W    S    C  T   Q  L\n" + rows + "\n\n";
}

// A battle row of `ships` ships of `type` with `left` left, all levels 1.
std::string Fought(int ships, const std::string& type, int left) {
  return std::to_string(ships) + " " + type + " 1.00 1.00 1.00 0.00 - 0.00 " + std::to_string(left);
}

// The 1-based line of `row` in the text the reader got.
int LineOf(const std::string& text, const std::string& row) {
  const size_t at = text.find(row);
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
}

std::string ErrorMessage(const std::string& suffix, const std::string& error,
                         const std::string& bang = "!") {
  std::string m = "Error - Turn: 5 Player: Arcturans Report: r005.txt " + bang + "\r";
  if (!suffix.empty()) m += suffix + "\r";
  return m + error;
}

class SectionReadersTest : public ::testing::Test {
 protected:
  SectionReadersTest() {
    UseVariant(TGameType::NG);
    arcturans = AddRace("Arcturans");
    jovians = AddRace("Jovians");
    cygnians = AddRace("Cygnians");
    state.MainPlayer = state.ReportPlayer = arcturans;
    mars = AddPlanet("Mars", 1000, 2000, 2);
    venus = AddPlanet("Venus", 3000, 500, 3);
    AddDesign(arcturans, "Drone", 1, 0, 0, 0, 0);
    AddDesign(arcturans, "Cruiser", 10, 1, 5, 5, 0);  // mass 20
    AddDesign(arcturans, "Hauler", 2, 0, 0, 0, 1);    // mass 3
    AddDesign(jovians, "Paladin", 16, 1, 8, 6, 0);    // mass 30
    AddDesign(cygnians, "Eye", 1, 0, 0, 0, 0);        // mass 1
  }
  void UseVariant(TGameType type) {
    state.Settings.GameType = type;
    state.Layout = TReportLayout();
    SetReportLayout(state.Layout, type);
  }
  TPlayer* AddRace(const std::string& name) {
    auto race = std::make_unique<TPlayer>(kTurn);
    race->Name = name;
    TPlayer* added = race.get();
    state.Players.AddObject(LowerCase(name), std::move(race));
    return added;
  }
  TPlanet* AddPlanet(const std::string& name, int32_t x, int32_t y, int32_t number) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    planet->Y = y;
    planet->Number = number;
    return state.AddPlanet(LowerCase(name), std::move(planet), PlanetDistanceKey(x, y));
  }
  static TShipType* AddDesign(TPlayer* race, const std::string& name, float drive, int attacks,
                              float weapons, float shields, float cargo) {
    auto type = std::make_unique<TShipType>(name, TGameType::NG);
    type->Drive = drive;
    type->Attacks = attacks;
    type->Weapons = weapons;
    type->Shields = shields;
    type->Cargo = cargo;
    return race->AddShipType(std::move(type));
  }
  static std::unique_ptr<TGroup> GroupAt(TPlanet* planet, TPlayer* owner, int turn) {
    auto group = std::make_unique<TGroup>();
    group->Planet = planet;
    group->Owner = owner;
    group->Turn = turn;
    return group;
  }
  // The body follows the three leading sections every report has.
  void Load(const std::string& body) {
    const std::string lead = state.Settings.GameType == TGameType::Blind
                                 ? "\t\tOptions\n\n\t\tBlind Galaxy game Test Turn 5 Report\n\n"
                                 : "\t\tGalaxy Game Test Turn 5 Report for Arcturans\n\n"
                                   "\t\tYour Options\n\n";
    text = lead + "\t\tStatus of Players\n\n" + body;
    reader.LoadReportText(text);
  }
  void Read(ReaderStep step) {
    reader.BeginReport(kTurn, kFile, kRace);
    (reader.*step)();
  }

  test::TempDir dir;
  GameState state;
  test::RecordingUserInterface ui;
  TReportReader reader{state, ui, dir.path()};
  std::string text;
  TPlayer* arcturans;
  TPlayer* jovians;
  TPlayer* cygnians;
  TPlanet* mars;
  TPlanet* venus;
};

// --- Ship types ---------------------------------------------------------------------------------

TEST_F(SectionReadersTest, ShipTypesAddNewDesignsAndLeaveKnownOnesAlone) {
  TShipType* drone = arcturans->FindShipType("Drone");
  Load(
      "\t\tYour Ship Types\n\nN D A W S C Mass\n"
      "DRONE 2.00 0 0.00 0.00 0.00 2.00\n"
      "Gunship 4.00 2 2.00 4.00 0.00 11.00\n"
      "Probe 2.487 0 0.00 0.00 0.00 2.49\n"
      "Scout 0.29 0 0.00 0.00 0.00 0.29\n\n"
      "\t\tJovians Ship Types\n\nN D A W S C Mass\nSeeker 1.00 0 0.00 0.00 0.00 1.00\n");
  Read(&TReportReader::ReadShipTypes);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  EXPECT_EQ(arcturans->FindShipType("drone"), drone);
  EXPECT_EQ(drone->Drive, 1.0f);
  const TShipType* gunship = arcturans->FindShipType("Gunship");
  ASSERT_NE(gunship, nullptr);
  EXPECT_EQ(gunship->Attacks, 2);
  EXPECT_EQ(gunship->Shields, 4.0f);
  EXPECT_EQ(gunship->ReportedMass, 0.0f);  // the mass column counts only in "Galaxy NG Blind"
  EXPECT_EQ(arcturans->FindShipType("Probe")->Drive, 2.48f);
  // Regression: 0.29 * 100 is 28.999... in binary, so truncating lost a hundredth (0.28).
  EXPECT_EQ(arcturans->FindShipType("Scout")->Drive, 0.29f);
  EXPECT_NE(jovians->FindShipType("Seeker"), nullptr);
}

TEST_F(SectionReadersTest, ShortRowOfAKnownDesignStillEndsTheTable) {
  // Rows of known designs are passed over without reading their figures; a row too short to
  // read must still end the table with its message, and the rows after it stay unread.
  Load("\t\tYour Ship Types\n\nN D A W S C\nDrone 1.00 0\nProbe 1.00 0 0.00 0.00 0.00\n");
  Read(&TReportReader::ReadShipTypes);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{
                                   ErrorMessage("While getting shiptypes", "Index out of bounds")});
  EXPECT_EQ(arcturans->FindShipType("Probe"), nullptr);
}

// --- Battles ------------------------------------------------------------------------------------

TEST_F(SectionReadersTest, BattleListsGiveBattleGroupsAndSurvivorsOfOtherRaces) {
  state.ReportPlayer = cygnians;  // an ally's report: "Your" is Cygnians
  jovians->Groups.push_back(GroupAt(mars, jovians, kTurn - 1));
  jovians->Groups.push_back(GroupAt(venus, jovians, kTurn - 1));
  // Regression: a battle first seen in an ally's report dropped the user's groups read from
  // this turn's own report, though those tables already show the state after the battle.
  arcturans->Groups.push_back(GroupAt(mars, arcturans, kTurn));
  Load(
      "\t\tBattle at Mars\n\n" + BattleList("Your", Fought(1, "Eye", 1)) +
      BattleList("Jovians",
                 "3 Paladin 1.12 1.18 1.24 0.00 - 0.00 2\n4 Paladin 1.00 1.00 1.00 0.00 - 0.00 0") +
      BattleList("Arcturans", Fought(2, "Cruiser", 2)));
  Read(&TReportReader::ReadBattles);

  ASSERT_EQ(state.Battles.Count(), 1);
  EXPECT_EQ(state.Battles.Strings(0), "mars\t5");
  const TBattle& battle = *state.Battles.Object(0);
  ASSERT_EQ(battle.Groups.size(), 4u);
  const TGroup& paladins = *battle.Groups[1];
  EXPECT_EQ(paladins.Owner, jovians);
  EXPECT_EQ(paladins.Ships, 3);
  EXPECT_EQ(paladins.BattleShips, 2);
  EXPECT_EQ(paladins.WeaponsTech, 1.18f);
  EXPECT_EQ(paladins.ShipType, jovians->FindShipType("Paladin"));
  // Only the survivors of a race that is neither the user's nor the report's.
  ASSERT_EQ(jovians->Groups.size(), 2u);
  EXPECT_EQ(jovians->Groups[0]->Planet, venus);
  const TGroup& survivor = *jovians->Groups[1];
  EXPECT_EQ(survivor.FromBattle, 1);
  EXPECT_EQ(survivor.Ships, 2);
  EXPECT_EQ(survivor.BattleShips, 3);
  EXPECT_EQ(survivor.Planet, mars);
  EXPECT_EQ(arcturans->Groups.size(), 1u);
  EXPECT_EQ(cygnians->Groups.size(), 0u);
}

TEST_F(SectionReadersTest, EachBattleOfAReportClearsItsPlanet) {
  // The battles of a report clear their planets in one pass over the groups: groups of other
  // turns at any battle planet go; groups of this turn, and groups elsewhere, stay.
  TPlanet* earth = AddPlanet("Earth", 5000, 5000, 4);
  jovians->Groups.push_back(GroupAt(mars, jovians, kTurn - 1));
  jovians->Groups.push_back(GroupAt(venus, jovians, kTurn - 2));
  jovians->Groups.push_back(GroupAt(venus, jovians, kTurn));
  jovians->Groups.push_back(GroupAt(earth, jovians, kTurn - 1));
  cygnians->Groups.push_back(GroupAt(mars, cygnians, kTurn + 1));
  const std::string ownList = BattleList("Your", "1 Drone 1.00 0.00 0.00 0.00 - 0.00 1");
  Load("\t\tBattle at Mars\n\n" + ownList + "\t\tBattle at Atlantis\n\n" + ownList +
       "\t\tBattle at Venus\n\n" + ownList);
  Read(&TReportReader::ReadBattles);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  EXPECT_EQ(state.Battles.Count(), 2);
  ASSERT_EQ(jovians->Groups.size(), 2u);
  EXPECT_EQ(jovians->Groups[0]->Planet, venus);
  EXPECT_EQ(jovians->Groups[0]->Turn, kTurn);
  EXPECT_EQ(jovians->Groups[1]->Planet, earth);
  EXPECT_EQ(cygnians->Groups.size(), 0u);
}

TEST_F(SectionReadersTest, SameBattleInTwoReportsGivesOneBattle) {
  const std::string jovianList = BattleList("Jovians", Fought(3, "Paladin", 2));
  Load("\t\tBattle at Mars\n\n" + BattleList("Your", "1 Drone 1.00 0.00 0.00 0.00 - 0.00 0") +
       jovianList);
  Read(&TReportReader::ReadBattles);
  state.ReportPlayer = cygnians;
  Load("\t\tBattle at Mars\n\n" + BattleList("Arcturans", "1 Drone 1.00 0.00 0.00 0.00 - 0.00 0") +
       jovianList + BattleList("Your", Fought(1, "Eye", 0)));
  Read(&TReportReader::ReadBattles);
  ASSERT_EQ(state.Battles.Count(), 1);
  EXPECT_EQ(state.Battles.Object(0)->Groups.size(), 2u);
  EXPECT_EQ(jovians->Groups.size(), 1u);
}

// The server writes one "Battle at" section per round of fighting at a planet. The second
// round was dropped as if an ally had reported it, and the ships it destroyed stayed alive.
TEST_F(SectionReadersTest, EveryRoundAtAPlanetIsABattleAndTheLastGivesTheSurvivors) {
  const std::string rounds =
      "\t\tBattle at Mars\n\n" + BattleList("Your", Fought(2, "Cruiser", 2)) +
      BattleList("Jovians", Fought(5, "Paladin", 3)) + "\t\tBattle at Mars\n\n" +
      BattleList("Your", Fought(2, "Cruiser", 1)) + BattleList("Jovians", Fought(3, "Paladin", 1));
  Load(rounds);
  Read(&TReportReader::ReadBattles);
  ASSERT_EQ(state.Battles.Count(), 2);
  EXPECT_EQ(state.Battles.Object(1)->Groups[1]->BattleShips, 1);
  ASSERT_EQ(jovians->Groups.size(), 1u);
  EXPECT_EQ(jovians->Groups[0]->Ships, 1);
  // An ally's report of the same two rounds adds nothing.
  state.ReportPlayer = cygnians;
  Load(rounds);
  Read(&TReportReader::ReadBattles);
  EXPECT_EQ(state.Battles.Count(), 2);
  ASSERT_EQ(jovians->Groups.size(), 1u);
  EXPECT_EQ(jovians->Groups[0]->Ships, 1);
}

// Ships of another race under "Your Groups" (a server slip): the whole battle stopped with one
// message per battle. The row goes to the one race of its battle that has the design; a row no
// such race explains is left out alone, and the report says so once.
TEST_F(SectionReadersTest, BattleRowOfAnotherRaceGoesToTheRaceWithItsDesign) {
  AddDesign(cygnians, "Paladin", 1, 0, 0, 0, 0);  // Cygnians fight only at Venus
  Load("\t\tBattle at Mars\n\n" +
       BattleList("Your", Fought(2, "Cruiser", 2) + "\n" + Fought(4, "Paladin", 3) + "\n" +
                              Fought(1, "Frigate", 1)) +
       BattleList("Jovians", Fought(1, "Paladin", 1)) + "\t\tBattle at Venus\n\n" +
       BattleList("Your", Fought(1, "Frigate", 0) + "\n" + Fought(1, "Paladin", 1)) +
       BattleList("Jovians", Fought(1, "Paladin", 0)) +
       BattleList("Cygnians", Fought(1, "Eye", 0)));
  Read(&TReportReader::ReadBattles);
  EXPECT_EQ(reader.Messages(),
            std::vector<std::string>{ErrorMessage(
                "While reading battles",
                "Shiptype missing!!! Battle rows whose ship type no race of their battle has "
                "were left out: 3.")});
  ASSERT_EQ(state.Battles.Count(), 2);
  const TBattle& mars = *state.Battles.Object(0);
  ASSERT_EQ(mars.Groups.size(), 3u);
  EXPECT_EQ(mars.Groups[1]->Owner, jovians);
  EXPECT_EQ(mars.Groups[1]->Ships, 4);
  EXPECT_EQ(mars.Groups[1]->ShipType, jovians->FindShipType("Paladin"));
  // At Venus two races have a Paladin: that row is not guessed.
  EXPECT_EQ(state.Battles.Object(1)->Groups.size(), 2u);
  ASSERT_EQ(jovians->Groups.size(), 2u);
  EXPECT_EQ(jovians->Groups[0]->Ships, 3);
}

struct OwnerCase {
  const char* name;
  std::string lastOwner;  // "": no owner known before
  std::string lists;
  std::string estimate;  // "": no estimate
};

class ContestedOwnerTest : public SectionReadersTest,
                           public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(ContestedOwnerTest, EstimatesTheOwnerOfAnUnidentifiedPlanet) {
  const OwnerCase& row = GetParam();
  if (!row.lastOwner.empty()) mars->SetOwner(TOwnerRef::Of(state.PlayerByName(row.lastOwner)), 3);
  mars->SetOwner(TOwnerRef::Unknown(), 4);
  const std::string nameBefore = mars->LastOwnerName;
  Load("\t\tBattle at Mars\n\n" + row.lists);
  Read(&TReportReader::ReadBattles);
  ASSERT_EQ(state.Battles.Count(), 1);
  TPlayer* expected = state.PlayerByName(row.estimate);
  EXPECT_EQ(mars->LastOwner, expected);
  EXPECT_EQ(mars->LastOwnerName, expected ? expected->Name : nameBefore);
  EXPECT_EQ(mars->OwnerState, osUnknownNow);
  EXPECT_EQ(mars->OwnerTurn, kTurn);
  EXPECT_TRUE(mars->Owner.IsUnknown());
}

INSTANTIATE_TEST_SUITE_P(
    Battles, ContestedOwnerTest,
    ::testing::ValuesIn(std::vector<OwnerCase>{
        {"LastOwnerStillThere", "Cygnians",
         BattleList("Your", Fought(5, "Cruiser", 5)) + BattleList("Cygnians", Fought(1, "Eye", 1)),
         "Cygnians"},
        {"LastOwnerGoneHeaviestWins", "Cygnians",
         BattleList("Cygnians", Fought(1, "Eye", 0)) + BattleList("Your", Fought(2, "Cruiser", 2)) +
             BattleList("Jovians", Fought(2, "Paladin", 2)),
         "Jovians"},
        {"BlockSumsItsGroups", "",
         BattleList("Your", Fought(2, "Cruiser", 2) + "\n" + Fought(2, "Cruiser", 2)) +
             BattleList("Jovians", Fought(2, "Paladin", 2)),
         "Arcturans"},
        {"TieGoesToTheEarlierBlock", "",
         BattleList("Your", Fought(3, "Cruiser", 3)) +
             BattleList("Jovians", Fought(2, "Paladin", 2)),
         "Arcturans"},
        {"NobodyLeft", "Cygnians",
         BattleList("Cygnians", Fought(1, "Eye", 0)) + BattleList("Your", Fought(2, "Cruiser", 0)),
         ""}}),
    [](const auto& row) { return std::string(row.param.name); });

struct BrokenBattleCase {
  const char* name;
  std::string battle;  // the last battle of the report
  std::string error;   // "" when nothing is to be reported
};

class BrokenBattleTest : public SectionReadersTest,
                         public ::testing::WithParamInterface<BrokenBattleCase> {};

// Regression: a battle left half read, or not read at all, let the group reader take its race
// lists ("Jovians Groups" with an L column) for the race's group table.
TEST_P(BrokenBattleTest, LaterGroupTablesAreStillFound) {
  const BrokenBattleCase& row = GetParam();
  Load("\t\tBattle at Venus\n\n" + BattleList("Your", "1 Drone 1.00 0.00 0.00 0.00 - 0.00 1") +
       row.battle + BattleList("Jovians", Fought(1, "Paladin", 1)) +
       "\t\tBattle Protocol\n\nJovians Paladin fires on Arcturans Drone : Destroyed\n\n" +
       "\t\tJovians Groups\n\n#  T  D  W  S  C  T  Q  D\n2 Paladin 1.06 1.00 1.00 0.00 - 0.00 "
       "Venus\n");
  Read(&TReportReader::ReadBattles);
  Read(&TReportReader::ReadGroups);
  if (row.error.empty()) {
    EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  } else {
    EXPECT_EQ(reader.Messages(),
              std::vector<std::string>{ErrorMessage("While reading battles", row.error)});
  }
  // The group table gives one group; survivors of a battle read on come from the battle.
  const auto fromTable = [](const auto& group) { return !group->FromBattle; };
  EXPECT_EQ(std::count_if(jovians->Groups.begin(), jovians->Groups.end(), fromTable), 1);
  const auto table = std::find_if(jovians->Groups.begin(), jovians->Groups.end(), fromTable);
  ASSERT_NE(table, jovians->Groups.end());
  EXPECT_EQ((*table)->Ships, 2);
  EXPECT_EQ((*table)->Planet, venus);
}

INSTANTIATE_TEST_SUITE_P(
    Battles, BrokenBattleTest,
    ::testing::ValuesIn(std::vector<BrokenBattleCase>{
        {"PlanetNotKnown", "\t\tBattle at Atlantis\n\n", ""},
        {"RaceNotKnown",
         "\t\tBattle at Mars\n\n" + BattleList("Sirians", "1 Drone 1.00 0.00 0.00 0.00 - 0.00 0"),
         "No such player!!"},
        {"DesignNotKnown",
         "\t\tBattle at Mars\n\n" + BattleList("Your", "1 Frigate 1.00 0.00 0.00 0.00 - 0.00 0"),
         "Shiptype missing!!! Battle rows whose ship type no race of their battle has were left "
         "out: 1."},
        {"RowCut", "\t\tBattle at Mars\n\n" + BattleList("Your", "1 Drone 1.00"),
         "Index out of bounds"}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Groups and fleets --------------------------------------------------------------------------

TEST_F(SectionReadersTest, OwnTableReplacesTheRacesGroupsAndOthersReadTheirColumns) {
  arcturans->Groups.push_back(GroupAt(venus, arcturans, kTurn - 1));
  Load(
      "\t\tYour Groups\n\nG  #  T  D  W  S  C  T  Q  D  R  O\n"
      " 1  9 Cruiser 1.12 1.18 1.24 0.00 -   0.00 Mars\n"
      " 2  4 Hauler  1.00 0.00 0.00 1.12 COL 2.50 Venus 20.00 Mars\n\n"
      "\t\tJovians Groups\n\n#  T  D  W  S  C  T  Q  D\n2 Paladin 1.12 1.12 1.24 0.00 - 0.00 "
      "Venus\n");
  Read(&TReportReader::ReadGroups);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  ASSERT_EQ(arcturans->Groups.size(), 2u);
  const TGroup& standing = *arcturans->Groups[0];
  EXPECT_EQ(standing.GroupNumber, 1);
  EXPECT_EQ(standing.Ships, 9);
  EXPECT_EQ(standing.ShipType, arcturans->FindShipType("Cruiser"));
  EXPECT_EQ(standing.ShieldsTech, 1.24f);
  EXPECT_EQ(standing.Planet, mars);
  EXPECT_EQ(standing.TrackFrom, mars);
  EXPECT_EQ(standing.ETA, 0);
  const TGroup& flying = *arcturans->Groups[1];
  EXPECT_EQ(flying.GroupNumber, 2);
  EXPECT_EQ(flying.BattleShips, 4);
  EXPECT_EQ(flying.CargoType, pcCol);
  EXPECT_EQ(flying.Load, 2.5f);
  EXPECT_EQ(flying.Planet, venus);
  EXPECT_EQ(flying.Distance, 20.0f);
  EXPECT_EQ(flying.Origin, mars);
  EXPECT_EQ(flying.TrackFrom, mars);
  EXPECT_EQ(flying.TrackTo, venus);
  EXPECT_EQ(flying.ETA, 3);  // 40 / (3 + 2.5 / 1.12) = 7.65 a turn over 20
  ASSERT_EQ(jovians->Groups.size(), 1u);
  EXPECT_EQ(jovians->Groups[0]->GroupNumber, 0);
  EXPECT_EQ(jovians->Groups[0]->Planet, venus);
  EXPECT_EQ(jovians->Groups[0]->Origin, nullptr);
}

TEST_F(SectionReadersTest, GroupRowWithUnknownPlanetWritesDumpListAndReadingGoesOn) {
  const std::string badRow = "1 Paladin 1.00 1.00 1.00 0.00 - 0.00 Atlantis";
  WriteFileAtomically(dir / "DumpList.log", "old");
  Load(
      "\t\tJovians Groups\n\n#  T  D  W  S  C  T  Q  D\n1 Paladin 1.00 1.00 1.00 0.00 - 0.00 "
      "Mars\n" +
      badRow + "\n1 Paladin 1.00 1.00 1.00 0.00 - 0.00 Venus\n\n" +
      "\t\tYour Groups\n\nG  #  T  D  W  S  C  T  Q  D  R  O\n1 1 Drone 1.00 0 0 0 - 0 Venus\n");
  Read(&TReportReader::ReadGroups);
  const std::string where = "While reading groups at line " + std::to_string(LineOf(text, badRow));
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{ErrorMessage(
                                   where, "Planet Atlantis does not exists: \r" + badRow)});
  std::string dump = "Dump of planets, search for Atlantis failed.\r\n";
  for (auto [key, planet] : state.Planets) dump += key + "\r\n";
  EXPECT_EQ(test::ReadFileBytes(dir / "DumpList.log"), dump);
  EXPECT_EQ(jovians->Groups.size(), 1u);    // the table ends at the fault
  EXPECT_EQ(arcturans->Groups.size(), 1u);  // the next table is read
}

struct BlindCase {
  const char* name;
  std::string columns;
  std::string row;
};

class BlindGroupTest : public SectionReadersTest,
                       public ::testing::WithParamInterface<BlindCase> {};

TEST_P(BlindGroupTest, FiguresBecomeTechLevels) {
  UseVariant(TGameType::Blind);
  TShipType* cruiser = AddDesign(jovians, "Cruiser", 10, 1, 4, 5, 2);  // mass 21, capacity 2.4
  Load("\t\tJovians Groups\n\n" + GetParam().columns + "\n" + GetParam().row + "\n");
  Read(&TReportReader::ReadGroups);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  ASSERT_EQ(jovians->Groups.size(), 1u);
  const TGroup& group = *jovians->Groups[0];
  EXPECT_EQ(group.ShipType, cruiser);
  EXPECT_EQ(group.Planet, mars);  // "#2": by number
  EXPECT_NEAR(group.DriveTech, 1.2, 1e-5);
  EXPECT_NEAR(group.WeaponsTech, 1.5, 1e-5);
  EXPECT_NEAR(group.ShieldsTech, 1.3, 1e-3);
  EXPECT_NEAR(group.CargoTech, 1.5, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Groups, BlindGroupTest,
                         ::testing::Values(
                             // Effective shields 1.3 * 5 / 21^(1/3) * 3.107232506 = 7.32.
                             BlindCase{"EffectiveValues", "# T D A W S C T Q X Y O D R",
                                       "3 Cruiser 12.00 1 6.00 7.32 3.60 - 0.00 1.00 2.00 - #2"},
                             BlindCase{"TechLevels", "# T D W S C T Q X Y O D R",
                                       "3 Cruiser 1.20 1.50 1.30 1.50 - 0.00 1.00 2.00 - #2"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SectionReadersTest, FleetSeenTwiceIsReadOnce) {
  const std::string armada =
      "\t\tFleet Armada (speed 7.71)\n\nG  #  T  D  W  S  C  T  Q  D  R  O\n"
      "2 5 Cruiser 1.06 1.12 1.18 0.00 - 0.00 Venus 13.45 Mars\n"
      "3 4 Hauler 1.12 0.00 0.00 1.00 - 0.00 Venus 13.45 Mars\n\n";
  const std::string row =
      "G  #  T  D  W  S  C  T  Q  D  R  O\n4 1 Hauler 1 0 0 1 - 0 Venus 10.00 Mars\n\n";
  Load("\t\tFleet Ghost (speed ?)\n\n" + row + armada + armada + "\t\tFleet Scouts (speed x)\n\n" +
       row);
  Read(&TReportReader::ReadFleets);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{});
  ASSERT_EQ(arcturans->Groups.size(), 4u);
  // Regression: a fleet without a readable speed divided its distance by 0 for the ETA.
  EXPECT_EQ(arcturans->Groups[0]->FleetSpeed, 0.0f);
  EXPECT_EQ(arcturans->Groups[0]->ETA, 0);
  const TGroup& cruisers = *arcturans->Groups[1];
  EXPECT_EQ(cruisers.FleetName, "Armada");
  EXPECT_EQ(cruisers.FleetSpeed, 7.71f);
  EXPECT_EQ(cruisers.GroupNumber, 2);
  EXPECT_EQ(cruisers.ETA, 2);
  // A speed that does not read keeps the one before.
  EXPECT_EQ(arcturans->Groups[3]->FleetName, "Scouts");
  EXPECT_EQ(arcturans->Groups[3]->FleetSpeed, 7.71f);
}

// --- Bombings, incoming groups, routes ----------------------------------------------------------

enum class OwnerBefore { Unknown, Cygnians, Nobody };

struct BombingCase {
  const char* name;
  OwnerBefore owner;  // Mars's owner before the bombing
  float size;
  float expectedSize, expectedPopulation, expectedIndustry;
  bool ownerBecomesAttacker;
};

class BombingTest : public SectionReadersTest, public ::testing::WithParamInterface<BombingCase> {};

TEST_P(BombingTest, BombedPlanetTakesTheFigures) {
  const BombingCase& row = GetParam();
  mars->SetOwner(row.owner == OwnerBefore::Unknown    ? TOwnerRef::Unknown()
                 : row.owner == OwnerBefore::Cygnians ? TOwnerRef::Of(cygnians)
                                                      : TOwnerRef::None(),
                 4);
  mars->Size = row.size;
  mars->Population = 50;
  mars->Industry = 40;
  Load(
      "\t\tBombings\n\nW O N P I P $ M C\nJovians Cygnians Mars 400.00 100.00 CAP 1.00 2.00 "
      "3.00\n");
  Read(&TReportReader::ReadBombings);
  ASSERT_EQ(state.Bombings.Count(), 1);
  EXPECT_EQ(mars->Size, row.expectedSize);
  EXPECT_FLOAT_EQ(mars->Population, row.expectedPopulation);
  EXPECT_EQ(mars->Industry, row.expectedIndustry);
  EXPECT_EQ(mars->Owner.Is(jovians), row.ownerBecomesAttacker);
}

INSTANTIATE_TEST_SUITE_P(Bombings, BombingTest,
                         ::testing::ValuesIn(std::vector<BombingCase>{
                             {"UnknownOwner", OwnerBefore::Unknown, 0, 400, 108, 25, true},
                             {"KnownOwner", OwnerBefore::Cygnians, 500, 500, 50, 40, true},
                             {"Uninhabited", OwnerBefore::Nobody, 500, 500, 50, 40, false}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SectionReadersTest, BombingRowsAreCheckedOneByOne) {
  Load(
      "\t\tBombings\n\nW O N P I P $ M C\n"
      "Jovians Arcturans Mars 400.00 100.00 CAP 1.00 2.00 3.00\n"
      "Jovians Arcturans Mars 1.00 1.00 MAT 0.00 0.00 0.00\n"   // a second bombing
      "Sirians Arcturans Venus 1.00 1.00 MAT 0.00 0.00 0.00\n"  // no such race
      "Jovians Arcturans Venus 300.00\n"                        // cut
      "Cygnians Jovians Venus 200.00 50.00 COL 0.00 0.00 9.00\n");
  Read(&TReportReader::ReadBombings);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{ErrorMessage("", "Index out of bounds")});
  ASSERT_EQ(state.Bombings.Count(), 3);
  const int at = state.Bombings.IndexOf("5$Mars");
  ASSERT_GE(at, 0);
  const TBombing& bombing = *state.Bombings.Object(at);
  EXPECT_EQ(bombing.Attacker, jovians);
  EXPECT_EQ(bombing.Defender, arcturans);
  EXPECT_EQ(bombing.Producing, pcCap);
  EXPECT_EQ(bombing.Colonists, 3.0f);
  EXPECT_GE(state.Bombings.IndexOf("5$Venus"), 0);
}

// One race bombs a planet, another takes it back in the same turn: only the first bombing was
// applied and the planet kept the wrong owner. Each applies in the report's order; an ally's
// report of the same bombings adds nothing.
TEST_F(SectionReadersTest, SecondBombingOfAPlanetInATurnDecidesItsOwner) {
  mars->SetOwner(TOwnerRef::Of(cygnians), 4);
  const std::string bombings =
      "\t\tBombings\n\nW O N P I P $ M C\n"
      "Jovians Cygnians Mars 400.00 100.00 CAP 1.00 2.00 3.00\n"
      "Cygnians Jovians Mars 300.00 80.00 CAP 0.00 0.00 0.00\n";
  Load(bombings);
  Read(&TReportReader::ReadBombings);
  EXPECT_EQ(state.Bombings.Count(), 2);
  EXPECT_TRUE(mars->Owner.Is(cygnians));
  state.ReportPlayer = jovians;
  Load(bombings);
  Read(&TReportReader::ReadBombings);
  EXPECT_EQ(state.Bombings.Count(), 2);
  EXPECT_TRUE(mars->Owner.Is(cygnians));
}

TEST_F(SectionReadersTest, IncomingGroupFromAnUnknownPlanetEndsTheTable) {
  Load(
      "\t\tIncoming Groups\n\nO D R S M\nVenus Mars 39.02 9.22 46.00\n"
      "Atlantis Mars 5.20 7.71 44.00\nVenus Mars 1.00 1.00 1.00\n");
  Read(&TReportReader::ReadIncomingGroups);
  EXPECT_EQ(reader.Messages(), std::vector<std::string>{ErrorMessage(
                                   "While reading incoming groups",
                                   "PLanet does not exists: Atlantis Mars 5.20 7.71 44.00")});
  ASSERT_EQ(state.IncomingGroups.size(), 1u);
  const TIncomingGroup& group = *state.IncomingGroups[0];
  EXPECT_EQ(group.Origin, venus);
  EXPECT_EQ(group.Destination, mars);
  EXPECT_EQ(group.Reporter, arcturans);
  EXPECT_EQ(group.Speed, 9.22f);
  EXPECT_EQ(group.Mass, 46.0f);
}

TEST_F(SectionReadersTest, RoutesAreReadWhileRowsHaveFiveWords) {
  state.Routes.AddObject("venus", std::make_unique<TRoute>(venus));
  TPlanet* earth = AddPlanet("Earth", 10, 10, 4);
  Load(
      "\t\tYour Routes\n\nN $ M C E\nMars - - - -\nVenus Mars Earth - Mars\nAtlantis Mars - - -\n"
      "Total 2\nEarth Mars - - -\n");
  Read(&TReportReader::ReadRoutes);
  ASSERT_EQ(state.Routes.Count(), 2);
  const TRoute& bare = *state.Routes.Object(state.Routes.IndexOf("mars"));
  EXPECT_EQ(bare.Origin, mars);
  EXPECT_EQ(bare.Cap, nullptr);
  EXPECT_EQ(bare.Mat, nullptr);
  EXPECT_EQ(bare.Col, nullptr);
  EXPECT_EQ(bare.Emp, nullptr);
  const TRoute& route = *state.Routes.Object(state.Routes.IndexOf("venus"));
  EXPECT_EQ(route.ReportCap, mars);
  EXPECT_EQ(route.Mat, earth);
  EXPECT_EQ(route.Col, nullptr);
  EXPECT_EQ(route.Emp, mars);
}

TEST_F(SectionReadersTest, ShipsInProductionKeepCostAndProgressAndOptionsTheirUnloading) {
  // The planner gives back the material of an unfinished ship from these two figures.
  const std::string lead =
      "\t\tGalaxy Game Test Turn 5 Report for Arcturans\n\n\t\tYour Options\n\n";
  reader.LoadReportText(lead + "N S\nanonymous ON\nautoUnload OFF\n\n\t\tStatus of Players\n\n" +
                        "\t\tShips In Production\n\nN P N U\nMars Cruiser 202.00 18.90\n" +
                        "Venus Hauler\n\n");
  Read(&TReportReader::ReadShipsInProduction);
  ASSERT_EQ(state.ShipsInProduction.size(), 2u);
  EXPECT_FLOAT_EQ(state.ShipsInProduction[0]->Cost, 202);
  EXPECT_FLOAT_EQ(state.ShipsInProduction[0]->Progress, 18.9f);
  EXPECT_FLOAT_EQ(state.ShipsInProduction[1]->Cost, 0);  // a short row reads as nothing done
  Read(&TReportReader::ReadOwnOptions);
  EXPECT_FALSE(state.AutoUnload);
  // Without the option in the table, cargo unloads by itself (the game's default).
  reader.LoadReportText(lead + "N S\nanonymous ON\n\n\t\tStatus of Players\n\n");
  Read(&TReportReader::ReadOwnOptions);
  EXPECT_TRUE(state.AutoUnload);
  EXPECT_TRUE(reader.Messages().empty()) << testing::PrintToString(reader.Messages());
}

// --- Truncated tables ---------------------------------------------------------------------------

struct CutCase {
  const char* name;
  ReaderStep step;
  std::string section;
  std::string message;  // the line after the first
  std::function<size_t(const GameState&)> kept;
  std::string bang = "!";
};

class CutTableTest : public SectionReadersTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(CutTableTest, RowCutInTheMiddleIsReported) {
  const CutCase& row = GetParam();
  Load(row.section);
  Read(row.step);
  std::string suffix = row.message;
  if (suffix.find("%d") != std::string::npos)
    suffix.replace(suffix.find("%d"), 2, std::to_string(LineOf(text, "2 Drone 1.00")));
  EXPECT_EQ(reader.Messages(),
            std::vector<std::string>{ErrorMessage(suffix, "Index out of bounds", row.bang)});
  EXPECT_EQ(row.kept(state), 1u);
}

const std::string kCutGroups =
    "1 1 Drone 1.00 0 0 0 - 0 Mars\n2 Drone 1.00\n3 1 Drone 1 0 0 0 - 0 Mars\n";

INSTANTIATE_TEST_SUITE_P(
    Tables, CutTableTest,
    ::testing::ValuesIn(std::vector<CutCase>{
        {"ShipTypes", &TReportReader::ReadShipTypes,
         "\t\tYour Ship Types\n\nN D A W S C\nProbe 1.00 0 0 0 0\nPod 2.00 0\n",
         "While getting shiptypes",
         // beyond the fixture's three designs
         [](const GameState& s) { return size_t(s.MainPlayer->ShipTypes.Count()) - 3; }},
        {"Groups", &TReportReader::ReadGroups, "\t\tYour Groups\n\nG # T\n" + kCutGroups,
         "While reading groups at line %d",
         [](const GameState& s) { return s.MainPlayer->Groups.size(); }},
        {"Fleets", &TReportReader::ReadFleets,
         "\t\tFleet Armada (speed 7.71)\n\nG # T\n" + kCutGroups, "While reading fleets",
         [](const GameState& s) { return s.MainPlayer->Groups.size(); }, "!!!"},
        {"ShipsInProduction", &TReportReader::ReadShipsInProduction,
         "\t\tShips In Production\n\nN P N U\nMars Cruiser 1 1\nVenus\nMars Hauler 1 1\n",
         "While reading production of planets",
         [](const GameState& s) { return s.ShipsInProduction.size(); }}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tovix

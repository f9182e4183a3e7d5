#include "views/planet_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_lines.h"
#include "views/jump_history.h"
#include "views/planet_list_rows.h"

namespace tovix {
namespace {

using Lines = std::vector<std::string>;

// Home (0,0) and Far (100,0) of the Humans; the Orcs' Lair (30,40).
//   Humans: 1: 10 Drones at Home, 2: 3 Haulers at Home carrying 2 COL each.
//   Orcs: a group of 4 Raiders at Home seen in turn 3, one at Lair seen now.
class PlanetInfoGame : public testing::Test {
 protected:
  void SetUp() override {
    state.Settings.GameType = TGameType::NG;
    state.LastTurn = 5;
    own = AddRace("Humans");
    orcs = AddRace("Orcs");
    state.MainPlayer = own;
    home = AddPlanet("Home", 0, 0);
    far = AddPlanet("Far", 10000, 0);
    lair = AddPlanet("Lair", 3000, 4000);
    drone = AddDesign(own, "Drone", 1, 0, 0);
    hauler = AddDesign(own, "Hauler", 2, 0, 1);
    raider = AddDesign(orcs, "Raider", 1, 2, 0);
    AddGroup(own, 1, drone, 10, home);
    TGroup* loaded = AddGroup(own, 2, hauler, 3, home);
    loaded->Load = 2;
    loaded->CargoType = pcCol;
    AddGroup(orcs, 0, raider, 4, home)->Turn = 3;
    AddGroup(orcs, 0, raider, 1, lair);
  }
  TPlayer* AddRace(const std::string& name) {
    auto race = std::make_unique<TPlayer>(6);
    race->Name = name;
    TPlayer* r = race.get();
    state.Players.AddObject(LowerCase(name), std::move(race));
    return r;
  }
  TPlanet* AddPlanet(const std::string& name, int32_t x, int32_t y) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    planet->Y = y;
    planet->Size = 100;
    planet->Resources = 1;
    return state.AddPlanet(LowerCase(name), std::move(planet), PlanetDistanceKey(x, y));
  }
  TShipType* AddDesign(TPlayer* race, const std::string& name, float drive, float weapons,
                       float cargo) {
    auto type = std::make_unique<TShipType>(name, TGameType::NG);
    type->Drive = drive;
    type->Attacks = weapons > 0 ? 1 : 0;
    type->Weapons = weapons;
    type->Cargo = cargo;
    return race->AddShipType(std::move(type));
  }
  TGroup* AddGroup(TPlayer* race, int32_t number, TShipType* type, int32_t ships, TPlanet* at) {
    auto group = std::make_unique<TGroup>();
    group->GroupNumber = number;
    group->ShipType = type;
    group->Ships = ships;
    group->Planet = at;
    group->Owner = race;
    group->Turn = state.LastTurn;
    race->Groups.push_back(std::move(group));
    return race->Groups.back().get();
  }
  std::vector<TPlanetGroupRow> Rows(const TPlanet& planet, Lines orders) {
    TVectorOrderLines text(std::move(orders));
    analysis.ParseOrders(text);
    return PlanetGroupRows(state, planet, analysis.Records(), &TOrderAnalysis::AvailableShips);
  }
  Lines Report(const TPlanet& planet, bool masses = false) {
    Lines texts;
    for (const auto& line : PlanetReportLines(state, planet, {"Humans", masses}))
      texts.push_back(line.Text);
    return texts;
  }
  static std::string Column(const std::vector<TPlanetGroupRow>& rows, int column) {
    std::string out;
    for (const TPlanetGroupRow& row : rows) out += row.Cells[static_cast<size_t>(column)] + "|";
    return out;
  }

  GameState state;
  TPlayer *own = nullptr, *orcs = nullptr;
  TPlanet *home = nullptr, *far = nullptr, *lair = nullptr;
  TShipType *drone = nullptr, *hauler = nullptr, *raider = nullptr;
  TOrderAnalysis analysis{state};
};

TEST_F(PlanetInfoGame, ReportLinesOfGrowthFiguresAndTheirTurnCounts) {
  home->Size = 0;
  Lines lines = Report(*home);
  EXPECT_EQ(lines[5], "Popul.:\t0.00\t000%");
  EXPECT_EQ(lines[6], "Industry:\t0.00\t  0%");

  home->Size = 200;
  home->Population = 100;
  home->Industry = 200;
  lines = Report(*home);
  EXPECT_EQ(lines[3], "Size:\t200.00");
  EXPECT_EQ(lines[5], "Popul.:\t100.00\t050%\t10#") << "100 * 1.08^10 is the first above 200";
  EXPECT_EQ(lines[6], "Industry:\t200.00\t100%") << "industry at the size: no count";

  home->Industry = 50;
  home->Resources = 0;
  EXPECT_EQ(Report(*home)[6], "Industry:\t50.00\t 25%") << "no resources: no count; 25 %, not 26";
  home->Industry = 49;
  EXPECT_EQ(Report(*home)[6], "Industry:\t49.00\t 25%") << "24.5 % rounds up";
  home->Industry = 50;

  // Industry 50, population 100, resources 1: the projection by hand, turn by turn.
  home->Resources = 1;
  double i = 50, q = 100;
  int n = 0;
  while (i < 200) {
    i += (i + (q > i ? (q - i) / 4 : 0)) / 6;
    q = std::min(q * 1.08, 200.0);
    ++n;
  }
  EXPECT_EQ(Report(*home)[6], Fmt("Industry:\t50.00\t 25%%\t%d#", n));
  const int blind = IndustryTurnsToFull(50, 100, 200, 1, true);
  EXPECT_LT(blind, n) << "Galaxy Blind doubles the growth";
  EXPECT_GT(blind, 0);

  // A tiny resource value: the projection stops at its cap.
  home->Resources = 1e-7f;
  home->Industry = 1;
  EXPECT_EQ(Report(*home)[6], "Industry:\t1.00\t  1%\t>10000#");
}

TEST_F(PlanetInfoGame, ReportLinesShowOnlyWhatTheModelKnows) {
  Lines lines = Report(*home);
  ASSERT_EQ(lines.size(), 18u) << "no incoming mass, distance or last fight without them";
  EXPECT_EQ(lines.back(), "Next turn Mass:\tnot available") << "no analysis: no made-up 0";
  EXPECT_EQ(lines[15], "Sent Mass:\tnot available");

  home->SentMass = 3;
  home->NextTurnMass = 12.5f;
  auto incoming = std::make_unique<TIncomingGroup>();
  incoming->Destination = home;
  incoming->Origin = lair;
  incoming->Mass = 7;
  incoming->Turn = 5;
  state.IncomingGroups.push_back(std::move(incoming));
  state.Battles.AddObject("home\t2", std::make_unique<TBattle>(2, home));
  state.Battles.AddObject("home\t4", std::make_unique<TBattle>(4, home));
  state.SelectedPlanet = home;
  state.SelectedPlanet2 = far;
  const auto full = PlanetReportLines(state, *home, {"Humans", true});
  Lines texts;
  const TBattle* battle = nullptr;
  for (const auto& l : full) {
    texts.push_back(l.Text);
    if (l.Battle) battle = l.Battle;
  }
  EXPECT_EQ(texts[15], "Sent Mass:\t 3.00 /  0.00 /  0.00");
  EXPECT_EQ(texts[16], "Incoming Mass:\t 7.00");
  EXPECT_EQ(texts[18], "Last fight:\t4");
  ASSERT_NE(battle, nullptr);
  EXPECT_EQ(battle->Turn, 4);
  EXPECT_EQ(texts[19], "Dist. 'Home' - 'Far': 100.00");
  EXPECT_EQ(texts[20], "Next turn Mass:\t12.50");
}

TEST_F(PlanetInfoGame, OwnerTextsFollowTheOwnerHistory) {
  EXPECT_EQ(PlanetOwnerText(*lair), "") << "never seen";
  lair->SetOwner(TOwnerRef::Of(orcs), 2);
  EXPECT_EQ(PlanetOwnerText(*lair), "Orcs");
  lair->SetOwner(TOwnerRef::Unknown(), 3);
  EXPECT_EQ(PlanetOwnerText(*lair), "?(2) Orcs");
  lair->SetOwner(TOwnerRef::None(), 4);
  EXPECT_EQ(PlanetOwnerText(*lair), "?\?(4) Orcs");
  far->SetOwner(TOwnerRef::Unknown(), 1);
  EXPECT_EQ(PlanetOwnerText(*far), "?");
}

TEST_F(PlanetInfoGame, GroupBlocksOwnFirstThenOtherRacesThenIncoming) {
  // Two drones leave Home, three of Home's drones arrive at Far.
  auto rows = Rows(*home, {"S 1 Far 2"});
  EXPECT_EQ(Column(rows, 4), "Humans groups:|Drone|Hauler|Drone||Orcs groups:|Raider|");
  EXPECT_EQ(Column(rows, 0), "|1|2|3|||-|");
  // The records' counts, as every window shows them: 8 staying (all free to send), 2 leaving.
  EXPECT_EQ(Column(rows, 3), "|8 (8)|3 (3)|2 (0)|||4|");
  EXPECT_EQ(Column(rows, 1), "|-|-|-|||(3)|") << "leaving: no turns; stale foreign group: (turn)";
  EXPECT_EQ(Column(rows, 12), "|-|6.0|-|||-|") << "3 haulers carry 2 each";
  EXPECT_EQ(Column(rows, 13), "|-|COL|-|||-|");
  EXPECT_EQ(rows[3].Destination, far);
  EXPECT_NE(rows[3].Group, nullptr) << "the part sent away takes group commands";
  // Another race's group is a row with its group (sort, rings, simulator), but no order of ours.
  EXPECT_EQ(rows[6].Group, orcs->Groups[0].get());
  EXPECT_FALSE(rows[6].Own);
  EXPECT_EQ(rows[6].Ships, 4);

  // At Far: the part sent there by the orders, "(n)", with its arrival turns.
  rows = Rows(*far, {"S 1 Far 2"});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].Cells[0], "(3)");
  EXPECT_EQ(rows[1].Cells[1], "#5") << "100 at speed 20: exactly 5 turns, not 6";
  EXPECT_EQ(rows[1].Cells[2], "Home");
  EXPECT_EQ(rows[1].Cells[5], "(20.00)");

  // Incoming groups: singular and plural headers.
  for (int count = 1; count <= 2; ++count) {
    auto g = std::make_unique<TIncomingGroup>();
    g->Origin = lair;
    g->Destination = far;
    g->Distance = 12.34f;
    g->Turn = 5;
    state.IncomingGroups.push_back(std::move(g));
    rows = Rows(*far, {});
    ASSERT_EQ(rows.size(), 3u + static_cast<size_t>(count));
    EXPECT_EQ(rows[1].Cells[4], count == 1 ? "Incoming Group" : "Incoming Groups");
    EXPECT_EQ(rows[3].Cells[4], "Lair");
    EXPECT_EQ(rows[3].Cells[5], "12.3");
  }
}

TEST_F(PlanetInfoGame, BlockSortKeepsHeadersAndBlocks) {
  AddGroup(own, 7, drone, 1, home);
  AddGroup(own, 11, drone, 2, home);
  AddGroup(orcs, 0, raider, 9, home);
  auto rows = Rows(*home, {});
  SortGroupRows(rows, 0, true);
  EXPECT_EQ(Column(rows, 0), "|11|7|2|1|||-|-|");
  SortGroupRows(rows, 3, true);
  EXPECT_EQ(Column(rows, 3), "|10 (10)|3 (3)|2 (2)|1 (1)|||9|4|")
      << "the other race's groups sort within their own block";
  EXPECT_EQ(rows[0].Kind, TGroupRowKind::Header);
  EXPECT_EQ(rows[6].Kind, TGroupRowKind::Header);
}

TEST_F(PlanetInfoGame, EliteNamesNeverRepeatAndAvoidOtherPlanetsAndTheOrders) {
  // The draws go on where the last one stopped: a second command offers the next name.
  EXPECT_EQ(ProposeEliteName(state, *home, {}), "Tibedied");
  EXPECT_EQ(ProposeEliteName(state, *far, {}), "Qube");
  // The next free names are Leleer and Biarge: a rename in the orders takes the first (in any
  // case), a planet of that name the second, unless it is the planet renamed.
  TPlanet* biarge = AddPlanet("Biarge", 1, 1);
  std::vector<std::string> ordered{"LELEER"};
  const TStarSeed before = state.EliteNameSeed;
  EXPECT_EQ(ProposeEliteName(state, *biarge, ordered), "Biarge");
  state.EliteNameSeed = before;
  state.EliteNamesProposed.pop_back();
  EXPECT_EQ(ProposeEliteName(state, *home, ordered), "Xequerin");
  std::set<std::string> drawn{"tibedied", "qube", "xequerin"};
  for (int i = 0; i < 200; ++i) {
    const auto next = ProposeEliteName(state, *home, ordered);
    ASSERT_TRUE(next.has_value());
    EXPECT_TRUE(drawn.insert(LowerCase(*next)).second) << *next << " offered twice";
    EXPECT_FALSE(SameText(*next, "Leleer"));
    EXPECT_FALSE(SameText(*next, "Biarge"));
  }
}

TEST_F(PlanetInfoGame, MassLinesShowTheGroupsStandingAtThePlanet) {
  orcs->War = false;
  AddGroup(orcs, 0, raider, 2, home);
  ComputePlanetShipMasses(state);
  Lines lines = Report(*home);
  EXPECT_EQ(lines[12], Fmt("My Mass:\t\t%5.2f", 10 * drone->Mass() + 3 * hauler->Mass()));
  EXPECT_EQ(lines[13], Fmt("Friendly Mass:\t%5.2f", 2 * raider->Mass()))
      << "the raiders seen in turn 3 are gone";
  EXPECT_EQ(lines[14], "Enemy Mass:\t 0.00");
  orcs->War = true;
  ComputePlanetShipMasses(state);
  EXPECT_EQ(Report(*home)[14], Fmt("Enemy Mass:\t%5.2f", 2 * raider->Mass()));
}

// Other races' blocks follow the user's in the order of their names, whatever the order of the
// model's race list (a hash order).
TEST_F(PlanetInfoGame, OtherRacesBlocksComeByName) {
  const std::vector<std::string> names{"Zeta", "Beta", "Kappa", "Alpha", "Omega", "Delta"};
  for (const std::string& name : names) {
    TPlayer* race = AddRace(name);
    AddGroup(race, 0, AddDesign(race, name + "Ship", 1, 0, 0), 1, home);
  }
  std::string modelOrder;
  for (int i = 0; i < state.Players.Count(); ++i) modelOrder += state.Players.Object(i)->Name + " ";
  ASSERT_NE(modelOrder, "Alpha Beta Delta Humans Kappa Omega Orcs Zeta ")
      << "the model's order happens to be alphabetical: the case shows nothing";
  std::string blocks;
  for (const TPlanetGroupRow& row : Rows(*home, {}))
    if (row.Kind == TGroupRowKind::Header) blocks += row.Cells[4] + " ";
  EXPECT_EQ(blocks,
            "Humans groups: Alpha groups: Beta groups: Delta groups: Kappa groups: Omega groups: "
            "Orcs groups: Zeta groups: ");
}

// The list's distances: none before a planet is chosen, then from it the short way round on a
// wrapped map; names of digits sort as numbers.
TEST_F(PlanetInfoGame, PlanetListMeasuresFromTheChosenPlanetAndSortsNumberNames) {
  state.Settings.MapType = TMapType::Spherical;
  state.Settings.MapSize = 150;
  AddPlanet("10", 0, 5000);
  AddPlanet("9", 0, 6000);
  far->Distance = 12345;  // left by an earlier computation
  std::vector<TPlanetInfoRow> rows = PlanetRows(state, [](const TPlanet&) { return true; });
  for (const TPlanetInfoRow& row : rows) EXPECT_EQ(row.Dist, "") << row.Name;
  SetPlanetRowDistances(state, rows, *home);
  for (const TPlanetInfoRow& row : rows) {
    if (row.Planet == far) {
      EXPECT_EQ(row.Dist, "50.00") << "100 away, or 50 across the edge";
    }
  }
  std::vector<std::string> names;
  for (const TPlanetInfoRow& row : rows) names.push_back(row.Name);
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    return ComparePlanetRows({a, "", "", nullptr}, {b, "", "", nullptr}, 0, false) < 0;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"9", "10", "Far", "Home", "Lair"}));
}

TEST_F(PlanetInfoGame, ExtraInfoOffersRacesWithPlanetsAndRefusesBadSizes) {
  own->SetPlanetSize(5, 300);
  own->SetAlias("Men");
  const auto choices = ExtraInfoOwnerChoices(state);
  ASSERT_EQ(choices.size(), 2u) << "the Orcs have no planets now";
  EXPECT_EQ(choices[0].Text, "Unknown");
  EXPECT_TRUE(choices[0].Owner.IsUnknown());
  EXPECT_EQ(choices[1].Text, "Humans (Men)");
  EXPECT_EQ(ParseExtraInfoSize(" 12.5 "), 12.5f);
  EXPECT_EQ(ParseExtraInfoSize("0"), 0.0f);
  EXPECT_FALSE(ParseExtraInfoSize("-1").has_value());
  EXPECT_FALSE(ParseExtraInfoSize("12,5").has_value());
  EXPECT_FALSE(ParseExtraInfoSize("").has_value());
  EXPECT_FALSE(ParseExtraInfoSize("1e40").has_value());
}

// ---- The history -------------------------------------------------------------------------------

TEST(JumpHistory, ShowingAfterGoingBackDropsWhatCameAfter) {
  TPlanet a("A"), b("B"), c("C"), d("D");
  TJumpHistory history;
  EXPECT_EQ(history.Back(), nullptr);
  history.Add("A", &a);
  EXPECT_FALSE(history.CanGoBack()) << "one item";
  history.Add("B", &b);
  history.Add("C", &c);
  history.Add("c", &c);  // the current planet again
  EXPECT_EQ(history.Items().size(), 3u);
  EXPECT_EQ(history.Back()->Data, &b);
  EXPECT_EQ(history.Back()->Data, &a);
  EXPECT_EQ(history.Back()->Data, &a) << "no step before the first";
  EXPECT_TRUE(history.CanGoNext());
  history.Add("D", &d);
  ASSERT_EQ(history.Items().size(), 2u);
  EXPECT_EQ(history.Items()[0].Text, "A");
  EXPECT_EQ(history.Items()[1].Text, "D");
  EXPECT_EQ(history.Current(), 1);
  EXPECT_FALSE(history.CanGoNext());
  EXPECT_EQ(history.GoToNext(9), nullptr) << "no step taken";
  EXPECT_EQ(history.GoToBack(-5)->Text, "A") << "stops at the first";
  EXPECT_EQ(history.NextList().front().Text, "D");
}

}  // namespace
}  // namespace tovix

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/model/game_model.h"
#include "core/model/game_state.h"
#include "core/text/str_utils.h"

namespace tovix {
namespace {

template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// --- Per-turn arrays and deltas ---------------------------------------------------------------

TEST(TurnArrayTest, LatestValueItsTurnDeltasAndBounds) {
  TTurnArray<float> a;
  EXPECT_EQ(a.Get(-1), 0);
  EXPECT_EQ(a.Delta(-1), 0);
  a.Set(0, 12);
  EXPECT_EQ(a.Delta(-1), 0);  // only turn 0: the latest change compares it with itself
  a.Set(3, 7.5f);
  a.Set(5, 9);
  EXPECT_EQ(a.Get(-1), 9);
  EXPECT_EQ(a.Element(1), 5);
  EXPECT_EQ(a.Get(3), 7.5f);
  EXPECT_EQ(a.Get(4), 0);
  EXPECT_EQ(a.Length(), 8);
  // The change at turn 0 is 0; the latest change is value(5) - value(4), and 4 was never set.
  EXPECT_EQ(a.Delta(0), 0);
  EXPECT_EQ(a.Delta(-1), 9);
  EXPECT_EQ(a.Delta(4), -7.5f);
  EXPECT_EQ(a.Delta(400), 0);
  EXPECT_EQ(a.Get(INT_MAX), 0);
  // A negative turn sets only the latest value; its turn stays.
  a.Set(-1, 11);
  EXPECT_EQ(a.Get(-1), 11);
  EXPECT_EQ(a.Get(5), 9);
  EXPECT_EQ(a.LatestTurn(), 5);
  a.SetTurnCount(10);
  a.SetTurnCount(2);
  EXPECT_EQ(a.Length(), 13);
  EXPECT_TRUE(a.Set(kMaxTurn, 1));
  EXPECT_EQ(a.Length(), kMaxTurn + 3);
  // A damaged header naming turn 2,000,000,000 must not make every race allocate gigabytes:
  // the value is refused and nothing changes.
  EXPECT_FALSE(a.Set(2000000000, 5));
  a.SetTurnCount(2000000000);
  EXPECT_EQ(a.Length(), kMaxTurn + 3);
  EXPECT_EQ(a.Get(-1), 1);
}

TEST(TurnArrayTest, WholeNumberDeltasSaturateInsteadOfOverflowing) {
  TTurnArray<int32_t> a;
  a.Set(1, INT32_MIN);
  a.Set(2, INT32_MAX);
  a.Set(3, INT32_MIN);
  EXPECT_EQ(a.Delta(2), INT32_MAX);
  EXPECT_EQ(a.Delta(3), INT32_MIN);
  EXPECT_EQ(a.Delta(-1), INT32_MIN);
}

TEST(PlayerTest, EffectiveIndustryAndGrowth) {
  TPlayer p(0);
  p.SetTurnValues(1, "Alpha", false, 3, 100, 180, 1, 1, 1, 1);
  p.SetTurnValues(2, "Alpha", true, 3, 140, 200, 1, 1, 1, 1);
  EXPECT_EQ(p.GetEffectiveIndustry(1), 120);  // 100 + 80 / 4
  EXPECT_EQ(p.GetEffectiveIndustry(-1), 155);
  EXPECT_EQ(p.EffectiveIndustryDelta(-1), 35);
  EXPECT_FLOAT_EQ(p.PopulationGrowthPercent(-1), 100.0f * 20 / 180);
  // No population the turn before: no percentage rather than a division by zero.
  EXPECT_EQ(p.PopulationGrowthPercent(1), 0);
  EXPECT_EQ(p.PopulationGrowthPercent(0), 0);
}

TEST(PlayerTest, RenameAndDesigns) {
  TPlayer p(0);
  p.Name = "foo";
  p.Rename("Foo");  // only the case differs: no alias
  EXPECT_EQ(p.Alias, "");
  p.Name = "Bar";
  p.Rename("Baz");
  p.Rename("Qux");
  EXPECT_EQ(p.Alias, "Bar Baz");
  EXPECT_EQ(p.Name, "Qux");

  // Regression: adding a design under a name already known (in any case) replaced and freed
  // the known design, leaving the groups that use it with a dangling pointer. The known
  // design must stay.
  TShipType* first = p.AddShipType(std::make_unique<TShipType>("Drone", TGameType::NG));
  first->Drive = 1;
  auto again = std::make_unique<TShipType>("DRONE", TGameType::NG);
  again->Drive = 5;
  EXPECT_EQ(p.AddShipType(std::move(again)), first);
  EXPECT_EQ(p.ShipTypes.Count(), 1);
  EXPECT_EQ(first->Drive, 1);
  // Of designs equal ignoring case, the last one in the list is found.
  p.ShipTypes.AddObject("drone", std::make_unique<TShipType>("drone", TGameType::NG));
  EXPECT_EQ(p.FindShipType("dRoNe"), p.ShipTypes.Object(p.ShipTypes.Count() - 1));
  EXPECT_EQ(p.FindShipType("Probe"), nullptr);
}

// --- SetOwner transitions -------------------------------------------------------------------

// `steps`: what the reports show, in order: R (the race), U (the unknown-owner marker) or N
// (nobody), each with its turn. `owner` is the resulting R, U or N.
struct OwnerRow {
  const char* name;
  const char* steps;
  char owner;
  int32_t state;
  int32_t ownerTurn;
  const char* lastOwnerName;
};

class SetOwnerTest : public ::testing::TestWithParam<OwnerRow> {};

TEST_P(SetOwnerTest, KeepsTheOwnerHistory) {
  const OwnerRow& row = GetParam();
  TPlayer race(0);
  race.Name = "Alpha";
  TPlanet planet("Earth");
  std::istringstream steps(row.steps);
  char seen = 0;
  int32_t turn = 0;
  while (steps >> seen >> turn) {
    planet.SetOwner(seen == 'R'   ? TOwnerRef::Of(&race)
                    : seen == 'U' ? TOwnerRef::Unknown()
                                  : TOwnerRef::None(),
                    turn);
  }
  const TOwnerRef& o = planet.Owner;
  EXPECT_EQ(o.Is(&race) ? 'R' : o.IsUnknown() ? 'U' : o.IsNone() ? 'N' : '?', row.owner);
  EXPECT_EQ(planet.OwnerState, row.state);
  EXPECT_EQ(planet.OwnerTurn, row.ownerTurn);
  EXPECT_EQ(planet.LastOwnerName, row.lastOwnerName);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, SetOwnerTest,
    ::testing::Values(OwnerRow{"FirstSeenUninhabited", "N3 N4", 'N', osKnown, -1, "-"},
                      OwnerRow{"RaceThenUninhabited", "R3 N5", 'N', osUninhabitedNow, 5, "Alpha"},
                      OwnerRow{"UnknownThenUninhabited", "U2 N4", 'N', osUninhabitedNow, 4, ""},
                      OwnerRow{"UnknownFirst", "U3", 'U', osUnknownNow, 0, ""},
                      // Another report of the same turn named the race: it wins over "unknown".
                      OwnerRow{"RaceWinsOverUnknownInTheSameTurn", "R5 U5", 'R', osKnown, 5,
                               "Alpha"},
                      // OwnerTurn stays the turn the race was last known in.
                      OwnerRow{"UnknownInALaterTurn", "R5 U6", 'U', osUnknownNow, 5, "Alpha"},
                      OwnerRow{"TurnZeroHasNoSameTurnRule", "R0 U0", 'U', osUnknownNow, 0, "Alpha"},
                      OwnerRow{"UninhabitedWinsOverUnknownInTheSameTurn", "R3 N5 U5", 'N',
                               osUninhabitedNow, 5, "Alpha"},
                      OwnerRow{"RaceAfterUnknown", "U3 R4", 'R', osKnown, 4, "Alpha"}),
    RowName<OwnerRow>);

// --- PlanetDistance -------------------------------------------------------------------------

struct DistanceRow {
  const char* name;
  TGameType gameType;
  TMapType mapType;
  int32_t x1, y1, x2, y2;
  double expected;
};

class PlanetDistanceTest : public ::testing::TestWithParam<DistanceRow> {};

TEST_P(PlanetDistanceTest, WrapsOnlyOnSphericalGalaxyNgMaps) {
  const DistanceRow& row = GetParam();
  TGameSettings settings;
  settings.GameType = row.gameType;
  settings.MapType = row.mapType;
  settings.MapSize = 100;
  EXPECT_FLOAT_EQ(PlanetDistance(settings, row.x1, row.y1, row.x2, row.y2),
                  static_cast<float>(row.expected));
  EXPECT_FLOAT_EQ(PlanetDistance(settings, row.x2, row.y2, row.x1, row.y1),
                  static_cast<float>(row.expected));
}

constexpr TGameType kNG = TGameType::NG;
constexpr TMapType kSphere = TMapType::Spherical;

INSTANTIATE_TEST_SUITE_P(
    Maps, PlanetDistanceTest,
    ::testing::Values(
        DistanceRow{"NgSphericalWrapsBoth", kNG, kSphere, 100, 100, 9800, 9700, 500},
        DistanceRow{"NgSphericalHalfWayDoesNotWrap", kNG, kSphere, 0, 0, 5000, 0, 5000},
        DistanceRow{"NgSphericalShortWay", kNG, kSphere, 1000, 0, 4000, 4000, 5000},
        DistanceRow{"NtSphericalDoesNotWrap", TGameType::NT, kSphere, 100, 0, 9900, 0, 9800},
        DistanceRow{"NgNormalDoesNotWrap", kNG, TMapType::Normal, 100, 0, 9900, 0, 9800},
        DistanceRow{"ExtremeCoordinatesDoNotOverflow", TGameType::Normal, TMapType::Normal, INT_MIN,
                    0, INT_MAX, 0, 4294967295.0}),
    RowName<DistanceRow>);

// --- Designs and groups ---------------------------------------------------------------------

TEST(ShipTypeTest, MassRules) {
  TShipType t("Gun", TGameType::NG);
  t.Drive = 1;
  t.Attacks = 3;
  t.Weapons = 2;
  t.Shields = 1;
  t.Cargo = 0.5f;
  EXPECT_EQ(t.Mass(), 1 + 1 + 0.5f + 4);  // 2 × (1 + 2/2)
  t.Attacks = 0;
  EXPECT_EQ(t.Mass(), 4.5f);
  // "Galaxy NG Blind" does not tell the design of other races: its reported mass counts.
  TShipType blind("X", TGameType::NGBlind);
  blind.Drive = -1;
  blind.ReportedMass = 17;
  EXPECT_EQ(blind.Mass(), 17);
  EXPECT_EQ(blind.Clone()->Mass(), 0);  // the clone has no reported mass, but the same rule
  TShipType ng("X", TGameType::NG);
  ng.Drive = -1;
  ng.ReportedMass = 17;
  EXPECT_EQ(ng.Mass(), -1);
}

// A design of mass 27: drive 10, two weapons of 4 (4 + 2), shields 6, cargo 5.
class GroupFiguresTest : public ::testing::Test {
 protected:
  GroupFiguresTest() : type("Cruiser", TGameType::NG), owner(3) {
    type.Drive = 10;
    type.Attacks = 2;
    type.Weapons = 4;
    type.Shields = 6;
    type.Cargo = 5;
    group.ShipType = &type;
    group.Owner = &owner;
  }
  std::vector<float> Figures(const TGroup& g) const {
    return {g.CargoCapacity(), g.EffectiveWeapons(),         g.EffectiveShields(),
            g.Speed(),         g.EffectiveShieldsFullLoad(), g.SpeedWithLoad()};
  }
  TShipType type;
  TPlayer owner;
  TGroup group;
};

TEST_F(GroupFiguresTest, FiguresAtGivenTechnology) {
  group.DriveTech = 1.5f;
  group.WeaponsTech = 1.5f;
  group.ShieldsTech = 2;
  group.CargoTech = 2;
  EXPECT_EQ(type.Mass(), 27);
  EXPECT_FLOAT_EQ(group.CargoCapacity(), 15);  // (5 + 25/10) × 2
  EXPECT_FLOAT_EQ(group.EffectiveWeapons(), 6);
  EXPECT_NEAR(group.EffectiveShields(), 12.428930, 1e-4);  // 2 × 6 / 27^0.33333333 × 3.1072
  EXPECT_NEAR(group.EffectiveShieldsWithLoad(3), 12.0, 0.01);
  EXPECT_NEAR(group.EffectiveShieldsFullLoad(), 2 * 6 / std::cbrt(34.5) * 3.107232506, 1e-3);
  EXPECT_FLOAT_EQ(group.Speed(), 300.0f / 27);
  EXPECT_FLOAT_EQ(group.SpeedFullLoad(), 300.0f / 34.5f);  // 27 + 15/2
  EXPECT_FLOAT_EQ(group.SpeedWithLoad(), 300.0f / 27);     // no load: empty speed
  group.Load = 3;
  EXPECT_FLOAT_EQ(group.SpeedWithLoad(), 300.0f / 28.5f);
  group.FleetName = "Armada";
  group.FleetSpeed = 4.5f;
  EXPECT_EQ(group.Speed(), 4.5f);
  EXPECT_EQ(group.SpeedFullLoad(), 4.5f);
  EXPECT_EQ(group.SpeedWithLoad(), 4.5f);
}

TEST_F(GroupFiguresTest, UnknownTechnologyGivesMinusOne) {
  group.DriveTech = group.WeaponsTech = group.ShieldsTech = group.CargoTech = -1;
  group.FleetName = "Armada";
  EXPECT_EQ(Figures(group), std::vector<float>(6, -1));
  EXPECT_EQ(group.EffectiveShieldsWithLoad(1), -1);
  EXPECT_EQ(group.SpeedFullLoad(), -1);
  group.ShieldsTech = 0;
  EXPECT_EQ(group.EffectiveShields(), 0);
}

TEST_F(GroupFiguresTest, WithoutADesignOrMassNothingIsInfinite) {
  // Regression: a group whose design the report does not list (or a design of no mass)
  // dereferenced nothing or divided by zero. Its figures are 0.
  TGroup lost;
  EXPECT_EQ(Figures(lost), std::vector<float>(6, 0));
  EXPECT_EQ(lost.UpgradeCost(), 0);
  type.Drive = type.Weapons = type.Shields = type.Cargo = 0;
  EXPECT_EQ(group.Speed(), 0);
  EXPECT_EQ(group.EffectiveShields(), 0);
}

TEST_F(GroupFiguresTest, UpgradeCostAndClone) {
  owner.SetTurnValues(1, "Alpha", true, 1, 1, 1, 2, 2, 2, 2);
  // 10 × (½ × 10 + ½ × 6 + ½ × 6 + ½ × 5)
  EXPECT_FLOAT_EQ(group.UpgradeCost(), 135);
  group.DriveTech = 2;
  EXPECT_FLOAT_EQ(group.UpgradeCost(), 85);
  owner.SetCargo(1, 0);
  EXPECT_EQ(group.UpgradeCost(), 0);

  group.Ships = 4;
  group.Load = 2;
  group.FleetName = "Armada";
  group.WeaponsTech = 1.7f;
  std::unique_ptr<TGroup> copy;
  {
    TShipType temporary("Temp", TGameType::NG);
    temporary.Drive = 3;
    TGroup source;
    source.ShipType = &temporary;
    copy = source.Clone();
  }
  // The source design is gone; the clone's own copy is not.
  ASSERT_NE(copy->ShipType, nullptr);
  EXPECT_EQ(copy->ShipType->Mass(), 3);
  auto clone = group.Clone();
  EXPECT_NE(clone->ShipType, &type);
  EXPECT_EQ(clone->ShipType->Mass(), type.Mass());
  EXPECT_EQ(clone->Ships, 4);
  EXPECT_EQ(clone->WeaponsTech, 1.7f);
  EXPECT_EQ(clone->FleetName, "Armada");
  EXPECT_EQ(clone->Load, 0);
  EXPECT_EQ(clone->Owner, &owner);
}

// --- Planet production ----------------------------------------------------------------------

struct ProductionRow {
  const char* name;
  const char* production;
  int32_t type;
  double expected;  // at industry 100, resources 2, material 0
};

class ProductionTest : public ::testing::TestWithParam<ProductionRow> {};

TEST_P(ProductionTest, ForIndustry) {
  const ProductionRow& row = GetParam();
  TPlayer owner(0);
  auto* design = owner.AddShipType(std::make_unique<TShipType>("Hauler", TGameType::NG));
  design->Drive = 2;
  design->Cargo = 2;
  TPlanet p("Home");
  p.Resources = 2;
  p.Production = row.production;
  p.Owner = TOwnerRef::Of(&owner);
  EXPECT_EQ(p.ProductionType(), row.type);
  EXPECT_NEAR(p.ProductionForIndustry(100), row.expected, 1e-4);
  p.Owner = TOwnerRef::Unknown();
  EXPECT_EQ(p.ProductionForIndustry(100), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProductionTest,
                         ::testing::Values(ProductionRow{"Materials", "mat", pcMat, 200},
                                           ProductionRow{"Drive", "Drive", pcDrive, 0.02},
                                           ProductionRow{"Weapons", "WEAPONS", pcWeapons, 0.02},
                                           ProductionRow{"Shields", "shields", pcShields, 0.02},
                                           ProductionRow{"Cargo", "Cargo", pcCargo, 0.04},
                                           ProductionRow{"Capital", "CAP", pcCap, 100 / 5.5},
                                           ProductionRow{"Ships", "hauler", pcShip, 100 / 10.5 / 4},
                                           ProductionRow{"UnknownDesign", "Dreadnought", pcShip, 0},
                                           ProductionRow{"Nothing", "", pcShip, 0}),
                         RowName<ProductionRow>);

TEST(PlanetTest, ShipMassFromEffectiveIndustryAndNotANumberWithoutResources) {
  TPlayer owner(0);
  TPlanet p("Home");
  p.Owner = TOwnerRef::Of(&owner);
  p.Production = "MAT";
  p.Resources = 0.5f;
  p.Industry = 100;
  p.Population = 200;  // effective industry 125
  p.Size = 1000;
  EXPECT_FLOAT_EQ(p.ProductionAmount(TNoDevelopmentPlan()), 62.5f);
  EXPECT_FLOAT_EQ(p.ShipMassPerTurn(TNoDevelopmentPlan()), 125.0f / 12);
  EXPECT_FLOAT_EQ(p.ShipMassAtFullSize(), 1000.0f / 12);
  // Regression: capital production divided by the resources unguarded, so a planet without
  // resources showed NaN. It makes nothing, like ship production.
  p.Production = "CAP";
  p.Resources = 0;
  EXPECT_EQ(p.ProductionForIndustry(100), 0);
  EXPECT_EQ(p.ShipMassPerTurn(TNoDevelopmentPlan()), 0);
  EXPECT_EQ(p.ShipMassAtFullSize(), 0);
}

TEST(PlanetTest, AlliesBlankProductionKeepsTheKnownOne) {
  TPlanet p;
  p.SetValues("Home", "Drive", 100, 200, 1000, 900, 800, 10, pcNone, 1, 2, 3, true);
  p.SetValues("Home", "", 100, 200, 1000, 900, 800, 10, pcNone, 1, 2, 3, false);
  EXPECT_EQ(p.Production, "Drive");
  EXPECT_EQ(p.ReportProduction, "Drive");
  p.SetValues("Home", "", 100, 200, 1000, 900, 800, 10, pcNone, 1, 2, 3, true);
  EXPECT_EQ(p.Production, "");
}

// --- Game state: lookups, re-keying and removal ---------------------------------------------

class GameStateTest : public ::testing::Test {
 protected:
  TPlanet* Add(const std::string& name, int32_t number, int32_t x, int32_t y) {
    auto p = std::make_unique<TPlanet>(name);
    p->Number = number;
    p->X = x;
    p->Y = y;
    return state.AddPlanet(LowerCase(name), std::move(p), PlanetDistanceKey(x, y));
  }
  TPlayer* AddRace(const std::string& name, int32_t number) {
    auto r = std::make_unique<TPlayer>(0);
    r->Name = name;
    r->Number = number;
    TPlayer* race = r.get();
    state.Players.AddObject(LowerCase(name), std::move(r));
    return race;
  }
  TGroup* AddGroup(TPlayer* race, TPlanet* planet, TPlanet* origin) {
    race->Groups.push_back(std::make_unique<TGroup>());
    race->Groups.back()->Planet = planet;
    race->Groups.back()->Origin = origin;
    return race->Groups.back().get();
  }
  GameState state;
};

TEST_F(GameStateTest, LookupsIgnoreCaseAndBlindGamesAlsoTakeNumbers) {
  TPlayer* alpha = AddRace("Alpha", 4);
  EXPECT_EQ(state.PlayerByName("aLPHA"), alpha);
  EXPECT_EQ(state.PlayerByNumber(4), alpha);
  auto p = std::make_unique<TPlanet>("Mars");
  p->Number = 12;
  TPlanet* mars = state.AddPlanet("12", std::move(p), 0);
  auto q = std::make_unique<TPlanet>("Nameless");
  TPlanet* nameless = state.AddPlanet("nameless", std::move(q), 0);  // number 0: not read yet
  EXPECT_EQ(state.PlanetByNumber(12), mars);
  EXPECT_EQ(state.PlanetByName("#12"), nullptr);  // no fallback outside "Galaxy Blind"
  EXPECT_EQ(state.PlanetByName("unknown planet!"), nullptr);
  state.Settings.GameType = TGameType::Blind;
  EXPECT_EQ(state.PlanetByName("MARS"), mars);
  EXPECT_EQ(state.PlanetByName("#12"), mars);
  EXPECT_EQ(state.PlanetByName("nameless"), nameless);
  // Regression: a text without digits counted as number 0 and found the first planet whose
  // number was not read yet. It finds nothing.
  EXPECT_EQ(state.PlanetByName("Pluto"), nullptr);
}

TEST_F(GameStateTest, MovedPlanetAndRekeyedRaceKeepTheirObjects) {
  TPlanet* p = Add("#42", 42, 300, 400);
  Add("Venus", 8, 0, 0);
  TPlayer* race = AddRace("Alpha", 1);
  AddGroup(race, p, nullptr);

  EXPECT_FALSE(state.MovePlanet(*p, "venus", "earth", 1));
  EXPECT_TRUE(state.MovePlanet(*p, "#42", "earth", 600));
  EXPECT_EQ(state.PlanetByName("Earth"), p);
  EXPECT_EQ(state.PlanetByName("#42"), nullptr);
  EXPECT_EQ(race->Groups[0]->Planet, p);
  ASSERT_EQ(state.PlanetsByDistance.Count(), 2);
  int index = 0;
  ASSERT_TRUE(state.PlanetsByDistance.FindKey(600, index));
  EXPECT_EQ(state.PlanetsByDistance.Object(index), p);
  EXPECT_EQ(state.PlanetsByDistance.Strings(index), "earth");
  EXPECT_FALSE(state.PlanetsByDistance.FindKey(500, index));
  // A key another planet holds is refused and nothing changes.
  EXPECT_THROW(state.MovePlanet(*p, "earth", "venus", 9), EStringListError);
  EXPECT_EQ(state.PlanetByName("earth"), p);
  // Every key is still found after the re-sort.
  for (int i = 0; i < 50; ++i) Add("P" + std::to_string(i), 100 + i, i, i);
  EXPECT_TRUE(state.MovePlanet(*p, "earth", "terra", 600));
  for (int i = 0; i < 50; ++i) EXPECT_NE(state.PlanetByName("p" + std::to_string(i)), nullptr);
  EXPECT_EQ(state.PlanetByName("terra"), p);

  TPlayer* other = AddRace("Beta", 2);
  EXPECT_FALSE(state.RekeyPlayer(*race, "beta", "gamma"));
  EXPECT_THROW(state.RekeyPlayer(*race, "alpha", "beta"), EStringListError);
  EXPECT_TRUE(state.RekeyPlayer(*race, "alpha", "gamma"));
  EXPECT_EQ(state.PlayerByName("Gamma"), race);
  EXPECT_EQ(state.PlayerByName("Alpha"), nullptr);
  // "Galaxy NG Blind" lists the same name twice; each race is re-keyed on its own.
  state.Players.SetDuplicates(TDuplicates::Accept);
  TPlayer* twin = AddRace("Beta", 3);
  EXPECT_TRUE(state.RekeyPlayer(*twin, "beta", "delta"));
  EXPECT_EQ(state.PlayerByName("delta"), twin);
  EXPECT_EQ(state.PlayerByName("beta"), other);
}

TEST_F(GameStateTest, RemovedPlanetLeavesNoDanglingReference) {
  TPlanet* doomed = Add("Doomed", 1, 10, 10);
  TPlanet* kept = Add("Kept", 2, 20, 20);
  TPlayer* race = AddRace("Alpha", 1);
  AddGroup(race, doomed, doomed)->TrackFrom = doomed;
  AddGroup(race, kept, doomed);
  state.Battles.AddObject("doomed\t3", std::make_unique<TBattle>(3, doomed));
  state.Battles.AddObject("kept\t3", std::make_unique<TBattle>(3, kept));
  auto bombing = std::make_unique<TBombing>();
  bombing->Planet = doomed;
  state.Bombings.AddObject("3$Doomed", std::move(bombing));
  state.Routes.AddObject("doomed", std::make_unique<TRoute>(doomed));
  auto route = std::make_unique<TRoute>(kept);
  route->Mat = route->ReportCol = doomed;
  route->Cap = kept;
  TRoute* keptRoute = route.get();
  state.Routes.AddObject("kept", std::move(route));
  auto incoming = std::make_unique<TIncomingGroup>();
  incoming->Origin = doomed;
  incoming->Destination = kept;
  state.IncomingGroups.push_back(std::move(incoming));
  state.ExtraInfo.SetInfo(*doomed, TOwnerRef::None(), 3, 0);
  state.SelectedPlanet = doomed;
  state.SelectedPlanet2 = kept;

  EXPECT_FALSE(state.RemovePlanet(state.UnknownPlanet));
  ASSERT_TRUE(state.RemovePlanet(doomed));

  EXPECT_EQ(state.PlanetByName("doomed"), nullptr);
  EXPECT_EQ(state.PlanetsByDistance.Count(), 1);
  EXPECT_EQ(state.SelectedPlanet, nullptr);
  EXPECT_EQ(state.SelectedPlanet2, kept);
  EXPECT_EQ(race->Groups[0]->Planet, state.UnknownPlanet);
  EXPECT_EQ(race->Groups[0]->Origin, nullptr);
  EXPECT_EQ(race->Groups[0]->TrackFrom, nullptr);
  EXPECT_EQ(race->Groups[1]->Planet, kept);
  EXPECT_EQ(race->Groups[1]->Origin, nullptr);
  EXPECT_EQ(state.Battles.Count(), 1);
  EXPECT_EQ(state.Battles.Object(0)->Planet, kept);
  EXPECT_EQ(state.Bombings.Count(), 0);
  ASSERT_EQ(state.Routes.Count(), 1);
  EXPECT_EQ(keptRoute->Mat, nullptr);
  EXPECT_EQ(keptRoute->ReportCol, nullptr);
  EXPECT_EQ(keptRoute->Cap, kept);
  EXPECT_TRUE(state.IncomingGroups.empty());
  EXPECT_EQ(state.ExtraInfo[0].Planet, nullptr);

  const TGroup* second = race->Groups[1].get();
  EXPECT_EQ(state.RemoveGroupsIf(*race, [kept](const TGroup& g) { return g.Planet == kept; }), 1);
  EXPECT_FALSE(state.RemoveGroup(*race, second));
  EXPECT_TRUE(state.RemoveGroup(*race, race->Groups[0].get()));
  EXPECT_TRUE(race->Groups.empty());
}

}  // namespace
}  // namespace tovix

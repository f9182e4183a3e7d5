#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/game_model.h"
#include "core/game_state.h"
#include "core/str_utils.h"

namespace tovix {
namespace {

// Names the rows of a parameterized test.
template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// --- Per-turn arrays and deltas ---------------------------------------------------------------

TEST(TurnArrayTest, LatestValueAndItsTurn) {
  TTurnArray<float> a;
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
  // A negative turn sets only the latest value; its turn stays.
  a.Set(-1, 11);
  EXPECT_EQ(a.Get(-1), 11);
  EXPECT_EQ(a.Get(5), 9);
  EXPECT_EQ(a.LatestTurn(), 5);
}

TEST(TurnArrayTest, ReadingOutsideGivesZero) {
  TTurnArray<int32_t> a;
  EXPECT_EQ(a.Get(-1), 0);
  EXPECT_EQ(a.Get(400), 0);
  EXPECT_EQ(a.Delta(-1), 0);
  EXPECT_EQ(a.Delta(400), 0);
  EXPECT_EQ(a.Get(INT_MAX), 0);
  // Only value at turn 0: the latest change compares it with itself.
  a.Set(0, 12);
  EXPECT_EQ(a.Delta(-1), 0);
}

TEST(TurnArrayTest, GrowsOnDemandButNotBeyondTheLastTurn) {
  TTurnArray<float> a;
  a.SetTurnCount(10);
  EXPECT_EQ(a.Length(), 13);
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

// Each race statistic reaches its own array through its Get/Delta/Set triple.
struct StatisticRow {
  const char* name;
  std::function<void(TPlayer&, int32_t, float)> set;
  std::function<float(const TPlayer&, int32_t)> get;
  std::function<float(const TPlayer&, int32_t)> delta;
};

class PlayerStatisticTest : public ::testing::TestWithParam<StatisticRow> {};

TEST_P(PlayerStatisticTest, TripleUsesItsOwnArray) {
  const StatisticRow& row = GetParam();
  TPlayer p(0);
  row.set(p, 1, 4);
  row.set(p, 2, 10);
  EXPECT_EQ(row.get(p, 2), 10);
  EXPECT_EQ(row.get(p, -1), 10);
  EXPECT_EQ(row.delta(p, 2), 6);
  EXPECT_EQ(row.delta(p, -1), 6);
  EXPECT_EQ(row.delta(p, 0), 0);
  // No other statistic changed.
  float others = p.GetDrive(2) + p.GetWeapons(2) + p.GetShields(2) + p.GetCargo(2) +
                 p.GetPopulation(2) + p.GetIndustry(2) + p.GetPlanetSize(2) +
                 static_cast<float>(p.GetPlanetCount(2));
  EXPECT_EQ(others, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Statistics, PlayerStatisticTest,
    ::testing::Values(
        StatisticRow{"Drive", &TPlayer::SetDrive, &TPlayer::GetDrive, &TPlayer::DriveDelta},
        StatisticRow{"Weapons", &TPlayer::SetWeapons, &TPlayer::GetWeapons, &TPlayer::WeaponsDelta},
        StatisticRow{"Shields", &TPlayer::SetShields, &TPlayer::GetShields, &TPlayer::ShieldsDelta},
        StatisticRow{"Cargo", &TPlayer::SetCargo, &TPlayer::GetCargo, &TPlayer::CargoDelta},
        StatisticRow{"Population", &TPlayer::SetPopulation, &TPlayer::GetPopulation,
                     &TPlayer::PopulationDelta},
        StatisticRow{"Industry", &TPlayer::SetIndustry, &TPlayer::GetIndustry,
                     &TPlayer::IndustryDelta},
        StatisticRow{"PlanetSize", &TPlayer::SetPlanetSize, &TPlayer::GetPlanetSize,
                     &TPlayer::PlanetSizeDelta},
        StatisticRow{"PlanetCount",
                     [](TPlayer& p, int32_t turn, float value) {
                       p.SetPlanetCount(turn, static_cast<int32_t>(value));
                     },
                     [](const TPlayer& p, int32_t turn) {
                       return static_cast<float>(p.GetPlanetCount(turn));
                     },
                     [](const TPlayer& p, int32_t turn) {
                       return static_cast<float>(p.PlanetCountDelta(turn));
                     }}),
    RowName<StatisticRow>);

TEST(PlayerTest, EffectiveIndustryAndGrowth) {
  TPlayer p(0);
  p.SetTurnValues(1, "Alpha", false, 3, 100, 180, 1, 1, 1, 1);
  p.SetTurnValues(2, "Alpha", true, 3, 140, 200, 1, 1, 1, 1);
  EXPECT_EQ(p.GetEffectiveIndustry(1), 120);  // 100 + 80 / 4
  EXPECT_EQ(p.GetEffectiveIndustry(-1), 155);
  EXPECT_EQ(p.EffectiveIndustryDelta(2), 35);
  EXPECT_EQ(p.EffectiveIndustryDelta(-1), 35);
  EXPECT_EQ(p.EffectiveIndustryDelta(0), 0);
  EXPECT_FLOAT_EQ(p.PopulationGrowthPercent(2), 100.0f * 20 / 180);
  EXPECT_FLOAT_EQ(p.PopulationGrowthPercent(-1), 100.0f * 20 / 180);
  // No population the turn before: no percentage rather than a division by zero.
  EXPECT_EQ(p.PopulationGrowthPercent(1), 0);
  EXPECT_EQ(p.PopulationGrowthPercent(0), 0);
  EXPECT_TRUE(p.War);
  EXPECT_EQ(p.GetPlanetCount(2), 3);
}

TEST(PlayerTest, RenameKeepsEarlierNamesAsAlias) {
  TPlayer p(0);
  p.Name = "foo";
  p.Rename("Foo");
  EXPECT_EQ(p.Name, "foo");
  EXPECT_EQ(p.Alias, "");
  p.Name = "Bar";
  p.Rename("Baz");
  EXPECT_EQ(p.Alias, "Bar");
  p.Rename("Qux");
  EXPECT_EQ(p.Alias, "Bar Baz");
  EXPECT_EQ(p.Name, "Qux");
}

TEST(PlayerTest, KnownDesignKeepsItsObject) {
  // Regression: adding a design under a name already known (in any case) replaced and freed
  // the known design, leaving the groups that use it with a dangling pointer. The known
  // design must stay.
  TPlayer p(0);
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

enum class Seen { None, Race, Unknown };
struct OwnerStep {
  Seen seen;
  int32_t turn;
};
struct OwnerRow {
  const char* name;
  std::vector<OwnerStep> steps;
  Seen owner;
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
  for (const OwnerStep& step : row.steps) {
    const TOwnerRef owner = step.seen == Seen::Race      ? TOwnerRef::Of(&race)
                            : step.seen == Seen::Unknown ? TOwnerRef::Unknown()
                                                         : TOwnerRef::None();
    planet.SetOwner(owner, step.turn);
  }
  EXPECT_EQ(planet.Owner.IsPlayer(), row.owner == Seen::Race);
  EXPECT_EQ(planet.Owner.IsUnknown(), row.owner == Seen::Unknown);
  EXPECT_EQ(planet.Owner.IsNone(), row.owner == Seen::None);
  EXPECT_EQ(planet.OwnerState, row.state);
  EXPECT_EQ(planet.OwnerTurn, row.ownerTurn);
  EXPECT_EQ(planet.LastOwnerName, row.lastOwnerName);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, SetOwnerTest,
    ::testing::Values(
        OwnerRow{"FirstSeenUninhabited", {{Seen::None, 4}}, Seen::None, osKnown, -1, "-"},
        OwnerRow{
            "StaysUninhabited", {{Seen::None, 3}, {Seen::None, 4}}, Seen::None, osKnown, -1, "-"},
        OwnerRow{"RaceThenUninhabited",
                 {{Seen::Race, 3}, {Seen::None, 5}},
                 Seen::None,
                 osUninhabitedNow,
                 5,
                 "Alpha"},
        OwnerRow{"UnknownThenUninhabited",
                 {{Seen::Unknown, 2}, {Seen::None, 4}},
                 Seen::None,
                 osUninhabitedNow,
                 4,
                 ""},
        OwnerRow{"UnknownFirst", {{Seen::Unknown, 3}}, Seen::Unknown, osUnknownNow, 0, ""},
        // Another report of the same turn named the race: it wins over "unknown".
        OwnerRow{"RaceWinsOverUnknownInTheSameTurn",
                 {{Seen::Race, 5}, {Seen::Unknown, 5}},
                 Seen::Race,
                 osKnown,
                 5,
                 "Alpha"},
        // OwnerTurn stays the turn the race was last known in.
        OwnerRow{"UnknownInALaterTurn",
                 {{Seen::Race, 5}, {Seen::Unknown, 6}},
                 Seen::Unknown,
                 osUnknownNow,
                 5,
                 "Alpha"},
        OwnerRow{"TurnZeroHasNoSameTurnRule",
                 {{Seen::Race, 0}, {Seen::Unknown, 0}},
                 Seen::Unknown,
                 osUnknownNow,
                 0,
                 "Alpha"},
        OwnerRow{"UninhabitedWinsOverUnknownInTheSameTurn",
                 {{Seen::Race, 3}, {Seen::None, 5}, {Seen::Unknown, 5}},
                 Seen::None,
                 osUninhabitedNow,
                 5,
                 "Alpha"},
        OwnerRow{"RaceAfterUnknown",
                 {{Seen::Unknown, 3}, {Seen::Race, 4}},
                 Seen::Race,
                 osKnown,
                 4,
                 "Alpha"}),
    RowName<OwnerRow>);

// --- PlanetDistance -------------------------------------------------------------------------

struct DistanceRow {
  const char* name;
  TGameType gameType;
  TMapType mapType;
  int32_t mapSize;
  int32_t x1, y1, x2, y2;
  double expected;
};

class PlanetDistanceTest : public ::testing::TestWithParam<DistanceRow> {};

TEST_P(PlanetDistanceTest, WrapsOnlyOnSphericalGalaxyNgMaps) {
  const DistanceRow& row = GetParam();
  TGameSettings settings;
  settings.GameType = row.gameType;
  settings.MapType = row.mapType;
  settings.MapSize = row.mapSize;
  EXPECT_FLOAT_EQ(PlanetDistance(settings, row.x1, row.y1, row.x2, row.y2),
                  static_cast<float>(row.expected));
  EXPECT_FLOAT_EQ(PlanetDistance(settings, row.x2, row.y2, row.x1, row.y1),
                  static_cast<float>(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Maps, PlanetDistanceTest,
    ::testing::Values(DistanceRow{"NgSphericalWrapsX", TGameType::NG, TMapType::Spherical, 100, 100,
                                  0, 9900, 0, 200},
                      DistanceRow{"NgSphericalWrapsY", TGameType::NG, TMapType::Spherical, 100, 0,
                                  9900, 0, 100, 200},
                      DistanceRow{"NgSphericalWrapsBoth", TGameType::NG, TMapType::Spherical, 100,
                                  100, 100, 9800, 9700, 500},
                      DistanceRow{"NgSphericalHalfWayDoesNotWrap", TGameType::NG,
                                  TMapType::Spherical, 100, 0, 0, 5000, 0, 5000},
                      DistanceRow{"NgSphericalShortWay", TGameType::NG, TMapType::Spherical, 100,
                                  1000, 0, 4000, 4000, 5000},
                      DistanceRow{"NtSphericalDoesNotWrap", TGameType::NT, TMapType::Spherical, 100,
                                  100, 0, 9900, 0, 9800},
                      DistanceRow{"NgNormalDoesNotWrap", TGameType::NG, TMapType::Normal, 100, 100,
                                  0, 9900, 0, 9800},
                      DistanceRow{"ExtremeCoordinatesDoNotOverflow", TGameType::Normal,
                                  TMapType::Normal, 100, INT_MIN, 0, INT_MAX, 0, 4294967295.0}),
    RowName<DistanceRow>);

TEST(PlanetDistanceFromTest, IsRounded) {
  TGameSettings settings;
  TPlanet p("A");
  p.X = 0;
  p.Y = 0;
  EXPECT_EQ(p.SetDistanceFrom(settings, 300, 400), 500);
  EXPECT_EQ(p.SetDistanceFrom(settings, 1, 1), 1);  // 1.414
  EXPECT_EQ(p.Distance, 1);
  EXPECT_EQ(PlanetDistanceKey(-300, 400), 500);
}

// --- Designs and groups ---------------------------------------------------------------------

TEST(ShipTypeTest, MassCountsExtraWeaponsAtHalfWeight) {
  TShipType t("Gun", TGameType::NG);
  t.Drive = 1;
  t.Attacks = 3;
  t.Weapons = 2;
  t.Shields = 1;
  t.Cargo = 0.5f;
  EXPECT_EQ(t.Mass(), 1 + 1 + 0.5f + 4);  // 2 × (1 + 2/2)
  t.Attacks = 1;
  EXPECT_EQ(t.Mass(), 4.5f);
  t.Attacks = 0;
  EXPECT_EQ(t.Mass(), 4.5f);
}

TEST(ShipTypeTest, UnknownBlindDesignUsesTheReportedMass) {
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
  EXPECT_EQ(group.CargoCapacity(), -1);
  EXPECT_EQ(group.EffectiveWeapons(), -1);
  EXPECT_EQ(group.EffectiveShields(), -1);
  EXPECT_EQ(group.EffectiveShieldsWithLoad(1), -1);
  EXPECT_EQ(group.EffectiveShieldsFullLoad(), -1);
  EXPECT_EQ(group.Speed(), -1);
  EXPECT_EQ(group.SpeedFullLoad(), -1);
  EXPECT_EQ(group.SpeedWithLoad(), -1);
  group.ShieldsTech = 0;
  EXPECT_EQ(group.EffectiveShields(), 0);
}

TEST_F(GroupFiguresTest, WithoutADesignOrMassNothingIsInfinite) {
  // Regression: a group whose design the report does not list (or a design of no mass)
  // dereferenced nothing or divided by zero. Its figures are 0.
  TGroup lost;
  EXPECT_EQ(lost.CargoCapacity(), 0);
  EXPECT_EQ(lost.EffectiveWeapons(), 0);
  EXPECT_EQ(lost.EffectiveShields(), 0);
  EXPECT_EQ(lost.EffectiveShieldsFullLoad(), 0);
  EXPECT_EQ(lost.Speed(), 0);
  EXPECT_EQ(lost.SpeedWithLoad(), 0);
  EXPECT_EQ(lost.UpgradeCost(), 0);
  type.Drive = type.Weapons = type.Shields = type.Cargo = 0;
  EXPECT_EQ(group.Speed(), 0);
  EXPECT_EQ(group.EffectiveShields(), 0);
}

TEST_F(GroupFiguresTest, UpgradeCostToTheOwnersLatestLevels) {
  owner.SetTurnValues(1, "Alpha", true, 1, 1, 1, 2, 2, 2, 2);
  // 10 × (½ × 10 + ½ × 6 + ½ × 6 + ½ × 5)
  EXPECT_FLOAT_EQ(group.UpgradeCost(), 135);
  group.DriveTech = 2;
  EXPECT_FLOAT_EQ(group.UpgradeCost(), 85);
  owner.SetCargo(1, 0);
  EXPECT_EQ(group.UpgradeCost(), 0);
}

TEST_F(GroupFiguresTest, CloneOwnsItsDesignCopy) {
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

struct FixedPlan : IDevelopmentPlan {
  struct Record : IDevPlanetRecord {
    float industry = 0;
    float ProjectedIndustry() const override { return industry; }
    bool ToDevelop() const override { return true; }
    float Colonists(int) const override { return 0; }
    float Capital(int) const override { return 0; }
    float Population(int) const override { return 0; }
    float Industry(int) const override { return industry; }
  };
  const TPlanet* planet = nullptr;
  Record record;
  const IDevPlanetRecord* FindDevPlanet(const TPlanet& p) const override {
    return &p == planet ? &record : nullptr;
  }
};

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

TEST(PlanetTest, ProductionUsesThePlanWhenItHasThePlanet) {
  TPlayer owner(0);
  TPlanet p("Home");
  p.Owner = TOwnerRef::Of(&owner);
  p.Production = "MAT";
  p.Resources = 0.5f;
  p.Industry = 100;
  p.Population = 200;  // effective industry 125
  p.Size = 1000;
  FixedPlan plan;
  EXPECT_FLOAT_EQ(p.ProductionAmount(plan), 62.5f);
  EXPECT_FLOAT_EQ(p.ShipMassPerTurn(plan), 125.0f / 12);
  plan.planet = &p;
  plan.record.industry = 300;
  EXPECT_FLOAT_EQ(p.ProductionAmount(plan), 150);
  EXPECT_FLOAT_EQ(p.ShipMassPerTurn(plan), 300.0f / 12);
  EXPECT_FLOAT_EQ(p.ProductionAtFullSize(), 500);
  EXPECT_FLOAT_EQ(p.ShipMassAtFullSize(), 1000.0f / 12);
  EXPECT_EQ(p.ProductionAmount(TNoDevelopmentPlan()), p.ProductionForIndustry(125));
}

TEST(PlanetTest, NoResourcesMakeNothingRatherThanNotANumber) {
  // Regression: capital production divided by the resources unguarded, so a planet without
  // resources showed NaN. It makes nothing, like ship production.
  TPlayer owner(0);
  TPlanet p("Rock");
  p.Owner = TOwnerRef::Of(&owner);
  p.Production = "CAP";
  p.Industry = 100;
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
  EXPECT_EQ(p.X, 100);
  EXPECT_EQ(p.Colonists, 3);
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
  GameState state;
};

TEST_F(GameStateTest, Lookups) {
  EXPECT_EQ(state.GetNextPlayerNumber(), 1);
  TPlanet* mars = Add("Mars", 7, 300, 400);
  Add("Venus", 8, 0, 0);
  TPlayer* alpha = AddRace("Alpha", 4);
  EXPECT_EQ(state.PlanetByName("MARS"), mars);
  EXPECT_EQ(state.PlanetByNumber(7), mars);
  EXPECT_EQ(state.PlayerByName("aLPHA"), alpha);
  EXPECT_EQ(state.PlayerByNumber(4), alpha);
  EXPECT_EQ(state.GetNextPlayerNumber(), 5);
  EXPECT_EQ(state.PlanetByName("#7"), nullptr);  // no fallback outside "Galaxy Blind"
  EXPECT_EQ(state.UnknownPlanet->Name, "Unknown planet!");
  EXPECT_EQ(state.PlanetByName("unknown planet!"), nullptr);
  EXPECT_EQ(state.DevelopmentPlan().FindDevPlanet(*mars), nullptr);

  std::vector<std::string> names{"probe"};
  alpha->AddShipType(std::make_unique<TShipType>("Probe", TGameType::NG));
  alpha->AddShipType(std::make_unique<TShipType>("Hauler", TGameType::NG));
  GameState::AddShipTypeNames(alpha, names);
  EXPECT_EQ(names, (std::vector<std::string>{"probe", "Hauler"}));
}

TEST_F(GameStateTest, BlindGamesFindPlanetsByNameAndNumber) {
  state.Settings.GameType = TGameType::Blind;
  auto p = std::make_unique<TPlanet>("Mars");
  p->Number = 12;
  TPlanet* mars = state.AddPlanet("12", std::move(p), 0);
  auto q = std::make_unique<TPlanet>("Nameless");
  TPlanet* nameless = state.AddPlanet("nameless", std::move(q), 0);  // number 0: not read yet
  EXPECT_EQ(state.PlanetByName("MARS"), mars);
  EXPECT_EQ(state.PlanetByName("#12"), mars);
  EXPECT_EQ(state.PlanetByName("nameless"), nameless);
  // Regression: a text without digits counted as number 0 and found the first planet whose
  // number was not read yet. It finds nothing.
  EXPECT_EQ(state.PlanetByName("Pluto"), nullptr);
}

TEST_F(GameStateTest, MovedPlanetKeepsItsObjectAndReferences) {
  TPlanet* p = Add("#42", 42, 300, 400);
  Add("Venus", 8, 0, 0);
  TPlayer* race = AddRace("Alpha", 1);
  auto g = std::make_unique<TGroup>();
  g->Planet = p;
  race->Groups.push_back(std::move(g));

  EXPECT_FALSE(state.MovePlanet(*p, "venus", "earth", 1));
  EXPECT_TRUE(state.MovePlanet(*p, "#42", "earth", 600));
  EXPECT_EQ(state.PlanetByName("Earth"), p);
  EXPECT_EQ(state.PlanetByName("#42"), nullptr);
  EXPECT_EQ(race->Groups[0]->Planet, p);
  EXPECT_EQ(state.Planets.Count(), 2);
  ASSERT_EQ(state.PlanetsByDistance.Count(), 2);
  int index = 0;
  ASSERT_TRUE(state.PlanetsByDistance.FindKey(600, index));
  EXPECT_EQ(state.PlanetsByDistance.Object(index), p);
  EXPECT_EQ(state.PlanetsByDistance.Strings(index), "earth");
  EXPECT_FALSE(state.PlanetsByDistance.FindKey(500, index));

  // A key another planet holds is refused and nothing changes.
  EXPECT_THROW(state.MovePlanet(*p, "earth", "venus", 9), EStringListError);
  EXPECT_EQ(state.PlanetByName("earth"), p);
  EXPECT_TRUE(state.PlanetsByDistance.FindKey(600, index));
  // Every key is still found after the re-sort.
  for (int i = 0; i < 50; ++i) Add("P" + std::to_string(i), 100 + i, i, i);
  EXPECT_TRUE(state.MovePlanet(*p, "earth", "terra", 600));
  for (int i = 0; i < 50; ++i) EXPECT_NE(state.PlanetByName("p" + std::to_string(i)), nullptr);
  EXPECT_EQ(state.PlanetByName("terra"), p);
}

TEST_F(GameStateTest, RekeyedRaceKeepsItsObject) {
  TPlayer* race = AddRace("Alpha", 1);
  TPlayer* other = AddRace("Beta", 2);
  EXPECT_FALSE(state.RekeyPlayer(*race, "beta", "gamma"));
  EXPECT_THROW(state.RekeyPlayer(*race, "alpha", "beta"), EStringListError);
  EXPECT_TRUE(state.RekeyPlayer(*race, "alpha", "gamma"));
  EXPECT_EQ(state.PlayerByName("Gamma"), race);
  EXPECT_EQ(state.PlayerByName("Beta"), other);
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
  auto g = std::make_unique<TGroup>();
  g->Planet = doomed;
  g->Origin = doomed;
  g->TrackFrom = doomed;
  race->Groups.push_back(std::move(g));
  auto flying = std::make_unique<TGroup>();
  flying->Planet = kept;
  flying->Origin = doomed;
  race->Groups.push_back(std::move(flying));
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
}

TEST_F(GameStateTest, RemovingGroups) {
  TPlayer* race = AddRace("Alpha", 1);
  for (int turn = 0; turn < 4; ++turn) {
    auto g = std::make_unique<TGroup>();
    g->Turn = turn;
    race->Groups.push_back(std::move(g));
  }
  const TGroup* second = race->Groups[1].get();
  EXPECT_EQ(state.RemoveGroupsIf(*race, [](const TGroup& g) { return g.Turn >= 2; }), 2);
  EXPECT_TRUE(state.RemoveGroup(*race, second));
  EXPECT_FALSE(state.RemoveGroup(*race, second));
  ASSERT_EQ(race->Groups.size(), 1u);
  EXPECT_EQ(race->Groups[0]->Turn, 0);
}

}  // namespace
}  // namespace tovix

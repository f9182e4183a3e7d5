#include "core/model/planet_ordering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tovix {
namespace {

template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

struct FakeRecord final : IDevPlanetRecord {
  bool toDevelop = true;
  float col[2] = {0, 0};
  float cap[2] = {0, 0};
  float population1 = 0;
  float industry1 = 0;
  float ProjectedIndustry() const override { return 0; }
  bool ToDevelop() const override { return toDevelop; }
  float Colonists(int t) const override { return col[t]; }
  float Capital(int t) const override { return cap[t]; }
  float Material(int) const override { return 0; }
  float Population(int) const override { return population1; }
  float Industry(int) const override { return industry1; }
};

struct FakePlan final : IDevelopmentPlan {
  std::map<const TPlanet*, FakeRecord> records;
  const IDevPlanetRecord* FindDevPlanet(const TPlanet& p) const override {
    auto it = records.find(&p);
    return it == records.end() ? nullptr : &it->second;
  }
};

// --- Sort keys ------------------------------------------------------------------------------

// One planet at x = 30 (group at x = 0) with size 100 and a record; a row sets their figures.
struct KeyRow {
  const char* name;
  void (*set)(GameState&, const TGroup&);
  float population, industry;
  bool toDevelop, ownedByUser;
  float col1, cap1, recordPopulation, recordIndustry;
  int32_t expected;
};

class DistanceKeyTest : public ::testing::TestWithParam<KeyRow> {};

TEST_P(DistanceKeyTest, OnlyCandidatesGetTheirDistance) {
  const KeyRow& row = GetParam();
  GameState state;
  FakePlan plan;
  state.SetDevelopmentPlan(&plan);
  TPlayer user(0);
  state.MainPlayer = &user;
  TPlanet* from = state.AddPlanet("base", std::make_unique<TPlanet>("base"), 0);
  auto p = std::make_unique<TPlanet>("p");
  p->X = 3000;
  p->Size = 100;
  p->Population = row.population;
  p->Industry = row.industry;
  p->Distance = 77;
  if (row.ownedByUser) p->Owner = TOwnerRef::Of(&user);
  TPlanet* planet = state.AddPlanet("p", std::move(p), 3000);
  FakeRecord& r = plan.records[planet];
  r.toDevelop = row.toDevelop;
  r.col[1] = row.col1;
  r.cap[1] = row.cap1;
  r.population1 = row.recordPopulation;
  r.industry1 = row.recordIndustry;
  TGroup group;
  group.Planet = from;
  row.set(state, group);
  EXPECT_EQ(planet->Distance, row.expected);
  EXPECT_EQ(from->Distance, 0);
}

constexpr auto Col50 = [](GameState& s, const TGroup& g) { SetPlanetDistanceKeys(s, g, 50, 1); };
constexpr auto Col0 = [](GameState& s, const TGroup& g) { SetPlanetDistanceKeys(s, g, 0, 1); };
constexpr auto Cap50 = [](GameState& s, const TGroup& g) {
  SetIndustryPlanetDistanceKeys(s, g, 50, 5);
};
constexpr auto Cap0 = [](GameState& s, const TGroup& g) {
  SetIndustryPlanetDistanceKeys(s, g, 0, 0);
};
constexpr auto Develop = [](GameState& s, const TGroup& g) { SetDevelopPlanetDistanceKeys(s, g); };

// Thresholds: 50 % of size 100 = 50; COL adds 8 x load 1, CAP adds the amount 5.
INSTANTIATE_TEST_SUITE_P(
    Rows, DistanceKeyTest,
    ::testing::Values(
        KeyRow{"ColCandidate", Col50, 10, 0, true, false, 0, 0, 41, 0, 3000},
        KeyRow{"ColPlannedPopulationReachesThreshold", Col50, 10, 0, true, false, 0, 0, 42, 0, 0},
        KeyRow{"ColPopulationAtThreshold", Col50, 50, 0, true, false, 0, 0, 0, 0, 0},
        KeyRow{"ColNotOnDevelopingList", Col50, 10, 0, false, false, 0, 0, 0, 0, 0},
        KeyRow{"ColPercentZeroTakesEveryActiveRecord", Col0, 500, 0, true, false, 0, 0, 900, 0,
               3000},
        KeyRow{"CapCandidate", Cap50, 0, 10, true, false, 0, 0, 0, 44, 3000},
        KeyRow{"CapPlannedIndustryReachesThreshold", Cap50, 0, 10, true, false, 0, 0, 0, 45, 0},
        KeyRow{"CapPercentZeroTakesNothing", Cap0, 0, 0, true, false, 0, 0, 0, 0, 0},
        KeyRow{"DevelopColonistsNextTurn", Develop, 0, 0, false, true, 1, 0, 0, 0, 3000},
        KeyRow{"DevelopCapitalNextTurn", Develop, 0, 0, false, true, 0, 1, 0, 0, 3000},
        KeyRow{"DevelopNothingToSend", Develop, 0, 0, false, true, 0, 0, 0, 0, 0},
        KeyRow{"DevelopOtherRacesPlanet", Develop, 0, 0, false, false, 1, 1, 0, 0, 0}),
    RowName<KeyRow>);

TEST(DistanceKeyTest, PlanetWithoutRecordAndGroupWithoutPlanetQualifyNothing) {
  GameState state;
  FakePlan plan;
  state.SetDevelopmentPlan(&plan);
  TPlanet* base = state.AddPlanet("base", std::make_unique<TPlanet>("base"), 0);
  TPlanet* planet = state.AddPlanet("p", std::make_unique<TPlanet>("p"), 500);
  TGroup group;
  group.Planet = base;
  planet->Distance = 9;
  SetPlanetDistanceKeys(state, group, 0, 0);  // percent 0 takes every record, but it has none
  EXPECT_EQ(planet->Distance, 0);
  plan.records[planet];
  group.Planet = nullptr;
  SetPlanetDistanceKeys(state, group, 0, 0);
  EXPECT_EQ(planet->Distance, 0);
}

// --- Planet order ---------------------------------------------------------------------------

std::unique_ptr<TPlanet> MakePlanet(float size, float resources, int32_t distance, float industry,
                                    float buildability) {
  auto p = std::make_unique<TPlanet>();
  p->Size = size;
  p->Resources = resources;
  p->Distance = distance;
  p->Industry = industry;
  p->Population = industry;
  p->Buildability = buildability;
  return p;
}

struct OrderRow {
  const char* name;
  TPlanetOrder order;
  // a, then b: size, resources, distance, industry, buildability
  float a[5];
  float b[5];
  int expected;
};

class ComparePlanetsTest : public ::testing::TestWithParam<OrderRow> {};

TEST_P(ComparePlanetsTest, FirstDifferingKeyDecides) {
  const OrderRow& r = GetParam();
  auto a = MakePlanet(r.a[0], r.a[1], static_cast<int32_t>(r.a[2]), r.a[3], r.a[4]);
  auto b = MakePlanet(r.b[0], r.b[1], static_cast<int32_t>(r.b[2]), r.b[3], r.b[4]);
  EXPECT_EQ(ComparePlanets(r.order, a.get(), b.get()), r.expected);
  EXPECT_EQ(ComparePlanets(r.order, b.get(), a.get()), -r.expected);
  EXPECT_EQ(ComparePlanets(r.order, a.get(), a.get()), 0);
}

constexpr TPlanetOrder kSizeFirst{0, 1, 2, 3, 4, 5};
constexpr TPlanetOrder Only(int32_t key) {
  return {key, key, key, key, key, key};
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ComparePlanetsTest,
    ::testing::Values(
        OrderRow{"SizeLargerFirst", kSizeFirst, {200, 1, 9}, {100, 9, 1}, -1},
        OrderRow{"ResourcesOnEqualSize", kSizeFirst, {100, 1, 1}, {100, 2, 1}, 1},
        OrderRow{"IndustryPerSizeDescending", Only(3), {100, 0, 9, 50}, {200, 0, 1, 50}, -1},
        OrderRow{"SizeZeroCountsAsRatioZero", Only(4), {0, 0, 9, 50}, {200, 0, 1, 50}, -1},
        OrderRow{"UnknownCodesSkipped", {9, -1, 77, 9, 9, 1}, {100, 5, 7}, {300, 4, 1}, -1},
        OrderRow{"FullTieFallsBackToDistance", {0, 1, 9, 9, 9, 9}, {100, 5, 7}, {100, 5, 3}, 1}),
    RowName<OrderRow>);

// std::sort needs a strict weak ordering; a NaN figure used to make the comparison say both
// "a before b" and "b before a" false for unequal planets. Every triple must be consistent.
TEST(ComparePlanetsTest, IsAStrictWeakOrderingEvenWithNaN) {
  const float nan = std::nanf("");
  std::vector<std::unique_ptr<TPlanet>> planets;
  for (float size : {nan, 0.0f, 100.0f, 100.0f, 300.0f, nan}) {
    planets.push_back(MakePlanet(size, 1, static_cast<int32_t>(planets.size() % 2), 5, nan));
  }
  const TPlanetOrder order{0, 3, 5, 2, 4, 1};
  auto less = [&](const auto& a, const auto& b) {
    return ComparePlanets(order, a.get(), b.get()) < 0;
  };
  auto equivalent = [&](const auto& a, const auto& b) { return !less(a, b) && !less(b, a); };
  for (const auto& a : planets) {
    for (const auto& b : planets) {
      EXPECT_FALSE(less(a, b) && less(b, a));  // with b = a: never less than itself
      for (const auto& c : planets) {
        EXPECT_FALSE(less(a, b) && less(b, c) && !less(a, c));
        EXPECT_FALSE(equivalent(a, b) && equivalent(b, c) && !equivalent(a, c));
      }
    }
  }
}

TEST(ComparePlanetsTest, SortKeepsTheOrderOfEqualPlanets) {
  std::vector<TPlanet> store(4);
  store[0].Size = 100;
  store[1].Size = 300;
  store[2].Size = 100;
  store[3].Size = 100;
  std::vector<TPlanet*> planets{&store[0], &store[1], &store[2], &store[3]};
  SortPlanets(planets, kSizeFirst);
  EXPECT_EQ(planets, (std::vector<TPlanet*>{&store[1], &store[0], &store[2], &store[3]}));
}

// --- Groups and planner records -------------------------------------------------------------

TEST(CompareGroupsTest, CargoCapacityThenSlowerFirst) {
  TShipType small("small", TGameType::NG), big("big", TGameType::NG);
  small.Drive = big.Drive = 10;
  small.Cargo = 1;
  big.Cargo = 2;
  TGroup a, b, c;
  a.ShipType = &small;
  b.ShipType = &big;
  c.ShipType = &small;
  c.DriveTech = 2;  // faster than a
  EXPECT_EQ(CompareGroupsByCargo(&b, &a), -1);
  EXPECT_EQ(CompareGroupsByCargo(&a, &c), -1);
  EXPECT_EQ(CompareGroupsByCargo(&c, &a), 1);
  EXPECT_EQ(CompareGroupsByCargo(&a, &a), 0);
}

TEST(CompareGroupsTest, PlannerStocksLargestFirst) {
  TPlanet p1, p2, p3;
  FakePlan plan;
  plan.records[&p1].col[0] = 5;
  plan.records[&p1].cap[0] = 1;
  plan.records[&p2].col[0] = 2;
  plan.records[&p2].cap[0] = 7;
  EXPECT_EQ(CompareDevPlanets(plan, &p1, &p2), -1);
  EXPECT_EQ(CompareDevPlanets(plan, &p1, &p2, pcCap), 1);
  EXPECT_EQ(CompareDevPlanets(plan, &p3, &p2), 1);  // no record: counts 0
  EXPECT_EQ(CompareDevPlanets(plan, nullptr, &p3), 0);

  FakeRecord r1, r2;
  r1.col[1] = 3;
  r2.col[1] = 4;
  r1.cap[1] = 9;
  EXPECT_EQ(CompareByFourthFigure(&r1, &r2), 1);
  EXPECT_EQ(CompareByFourthFigure(&r1, &r2, pcCap), -1);
}

}  // namespace
}  // namespace tovix

#include "core/model/planet_ordering.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/text/str_utils.h"

namespace tovix {

namespace {

// Three-way comparison of two figures, ascending. NaN counts as below every number and equal
// to itself, so sorting never meets an inconsistent answer.
int CompareFigure(double a, double b) {
  const bool aNan = std::isnan(a);
  const bool bNan = std::isnan(b);
  if (aNan || bNan) return aNan == bNan ? 0 : (aNan ? -1 : 1);
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareInt(int64_t a, int64_t b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

double IndustryPerSize(const TPlanet& planet) {
  if (!(planet.Size > 0)) return 0;
  return double{planet.EffectiveIndustry()} / planet.Size;
}

// One key of the planet order: negative when `a` comes first. 0 for codes that are skipped.
int ComparePlanetKey(int32_t code, const TPlanet& a, const TPlanet& b) {
  switch (code) {
    case pkSizeDescending:
      return -CompareFigure(a.Size, b.Size);
    case pkResourcesDescending:
      return -CompareFigure(a.Resources, b.Resources);
    case pkDistanceAscending:
      return CompareInt(a.Distance, b.Distance);
    case pkIndustryPerSizeDescending:
      return -CompareFigure(IndustryPerSize(a), IndustryPerSize(b));
    case pkIndustryPerSizeAscending:
      return CompareFigure(IndustryPerSize(a), IndustryPerSize(b));
    case pkBuildabilityDescending:
      return -CompareFigure(a.Buildability, b.Buildability);
    default:
      return 0;
  }
}

// Distance := the distance from the group's planet for the planets `qualifies` picks, 0 for
// all others. Without a planet for the group no planet qualifies.
template <class Pred>
void SetDistanceKeys(GameState& state, const TGroup& group, Pred qualifies) {
  const TPlanet* from = group.Planet;
  for (auto [key, planet] : state.Planets) {
    if (!planet) continue;
    if (from && qualifies(*planet)) {
      planet->SetDistanceFrom(state.Settings, from->X, from->Y);
    } else {
      planet->Distance = 0;
    }
  }
}

float Stock(const IDevPlanetRecord& record, int turnIndex, int32_t cargo) {
  return cargo == pcCap ? record.Capital(turnIndex) : record.Colonists(turnIndex);
}

}  // namespace

void SetPlanetDistanceKeys(GameState& state, const TGroup& group, float percent,
                           float colonistLoad) {
  const IDevelopmentPlan& plan = state.DevelopmentPlan();
  SetDistanceKeys(state, group, [&](const TPlanet& planet) {
    const IDevPlanetRecord* record = plan.FindDevPlanet(planet);
    if (!record || !record->ToDevelop()) return false;
    const double threshold = double{percent} * planet.Size / 100;
    if (threshold == 0) return true;
    return planet.Population < threshold &&
           double{record->Population(1)} + 8.0 * colonistLoad < threshold;
  });
}

void SetDevelopPlanetDistanceKeys(GameState& state, const TGroup& group) {
  const IDevelopmentPlan& plan = state.DevelopmentPlan();
  const TPlayer* user = state.MainPlayer;
  SetDistanceKeys(state, group, [&](const TPlanet& planet) {
    if (!planet.Owner.Is(user)) return false;
    const IDevPlanetRecord* record = plan.FindDevPlanet(planet);
    return record && (record->Colonists(1) > 0 || record->Capital(1) > 0);
  });
}

void SetIndustryPlanetDistanceKeys(GameState& state, const TGroup& group, float percent,
                                   float amount) {
  const IDevelopmentPlan& plan = state.DevelopmentPlan();
  SetDistanceKeys(state, group, [&](const TPlanet& planet) {
    const IDevPlanetRecord* record = plan.FindDevPlanet(planet);
    if (!record || !record->ToDevelop()) return false;
    const double threshold = double{percent} * planet.Size / 100;
    return planet.Industry < threshold && double{record->Industry(1)} + amount < threshold;
  });
}

int ComparePlanets(const TPlanetOrder& order, const TPlanet* a, const TPlanet* b) {
  if (a == b) return 0;
  for (int32_t code : order) {
    if (int c = ComparePlanetKey(code, *a, *b); c != 0) return c;
  }
  return CompareInt(a->Distance, b->Distance);
}

void SortPlanets(std::vector<TPlanet*>& planets, const TPlanetOrder& order) {
  std::stable_sort(planets.begin(), planets.end(), [&](const TPlanet* a, const TPlanet* b) {
    return ComparePlanets(order, a, b) < 0;
  });
}

int CompareGroupsByCargo(const TGroup* a, const TGroup* b) {
  if (int c = -CompareFigure(a->CargoCapacity(), b->CargoCapacity()); c != 0) return c;
  return CompareFigure(a->Speed(), b->Speed());
}

int CompareDevPlanets(const IDevelopmentPlan& plan, const TPlanet* a, const TPlanet* b,
                      int32_t cargo) {
  auto stock = [&](const TPlanet* planet) -> double {
    const IDevPlanetRecord* record = planet ? plan.FindDevPlanet(*planet) : nullptr;
    return record ? Stock(*record, 0, cargo) : 0.0;
  };
  return -CompareFigure(stock(a), stock(b));
}

int CompareByFourthFigure(const IDevPlanetRecord* a, const IDevPlanetRecord* b, int32_t cargo) {
  return -CompareFigure(Stock(*a, 1, cargo), Stock(*b, 1, cargo));
}

namespace {

int ComparePlanetIdentity(const TPlanet* a, const TPlanet* b) {
  if (a == b) return 0;
  if (!a || !b) return a ? 1 : -1;
  if (int c = CompareInt(a->Number, b->Number); c != 0) return c;
  const int c = CompareText(a->Name, b->Name);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int CompareClusterRecords(const THomeClusterRecord& a, const THomeClusterRecord& b) {
  if (int c = -CompareInt(a.Cluster, b.Cluster); c != 0) return c;
  // Races are compared by number, never by address, so the order is the same in every run.
  const int64_t ownerA = a.Owner ? int64_t{a.Owner->Number} : std::numeric_limits<int64_t>::min();
  const int64_t ownerB = b.Owner ? int64_t{b.Owner->Number} : std::numeric_limits<int64_t>::min();
  if (int c = CompareInt(ownerA, ownerB); c != 0) return c;
  return ComparePlanetIdentity(a.Planet, b.Planet);
}

int CompareClusterPlanets(const THomeClusterRecord& a, const THomeClusterRecord& b) {
  const int64_t distanceA =
      a.Planet ? int64_t{a.Planet->Distance} : std::numeric_limits<int64_t>::max();
  const int64_t distanceB =
      b.Planet ? int64_t{b.Planet->Distance} : std::numeric_limits<int64_t>::max();
  if (int c = CompareInt(distanceA, distanceB); c != 0) return c;
  return ComparePlanetIdentity(a.Planet, b.Planet);
}

}  // namespace tovix

#pragma once
// The orderings the planners and send tools use to pick planets for a group: routines that
// put a sort key into every planet's Distance (the distance from the group's planet for the
// planets that qualify, 0 for all others, so a list sorted by Distance puts the candidates
// after the rest, nearest first), and comparisons of planets, groups and planner records.
//
// Every comparison returns -1, 0 or 1 and is a strict weak ordering (NaN figures sort below
// every number), so it is safe with the standard sorts; sorts that must give the same order
// for the same game use a stable sort.

#include <array>
#include <cstdint>
#include <vector>

#include "core/model/game_model.h"
#include "core/model/game_state.h"
#include "core/model/home_clusters.h"

namespace tovix {

// --- Sort keys in TPlanet::Distance --------------------------------------------------------

// COL candidates: a planet with a record on the Developing list qualifies when its threshold
// (percent x size / 100) is 0, or when both its population and the record's next-turn
// population plus 8 x `colonistLoad` stay below the threshold.
void SetPlanetDistanceKeys(GameState& state, const TGroup& group, float percent,
                           float colonistLoad);
// Sources: the user's planets whose record holds COL or CAP for the next turn.
void SetDevelopPlanetDistanceKeys(GameState& state, const TGroup& group);
// CAP candidates: a planet with a record on the Developing list qualifies when both its
// industry and the record's next-turn industry plus `amount` stay below percent x size / 100.
void SetIndustryPlanetDistanceKeys(GameState& state, const TGroup& group, float percent,
                                   float amount);

// --- Planet order --------------------------------------------------------------------------

// Key codes of the planet order; any other code is skipped.
enum TPlanetSortKey : int32_t {
  pkSizeDescending = 0,
  pkResourcesDescending = 1,
  pkDistanceAscending = 2,
  pkIndustryPerSizeDescending = 3,  // effective industry / size; 0 when size is not above 0
  pkIndustryPerSizeAscending = 4,
  pkBuildabilityDescending = 5,
};
// The six key codes, applied in order. The window that sorts chooses them.
using TPlanetOrder = std::array<int32_t, 6>;

// The first key whose values differ decides; when all are equal, Distance ascending.
int ComparePlanets(const TPlanetOrder& order, const TPlanet* a, const TPlanet* b);
// Stable sort by ComparePlanets, so planets equal in every key keep their order.
void SortPlanets(std::vector<TPlanet*>& planets, const TPlanetOrder& order);

// --- Groups and planner records ------------------------------------------------------------

// Cargo capacity of one ship, largest first; ties by speed, the slower group first.
int CompareGroupsByCargo(const TGroup* a, const TGroup* b);
// The planets where two groups stand, by the stock their records hold this turn, largest first
// (no planet, or a planet without a record, counts 0): COL, or CAP when `cargo` is pcCap. The
// automatic cargo orders take the groups of a pass in this order.
int CompareDevPlanets(const IDevelopmentPlan& plan, const TPlanet* a, const TPlanet* b,
                      int32_t cargo = pcCol);
// Planner records by their next-turn stock, largest first: COL, or CAP when `cargo` is pcCap.
int CompareByFourthFigure(const IDevPlanetRecord* a, const IDevPlanetRecord* b,
                          int32_t cargo = pcCol);

// --- Home-cluster records ------------------------------------------------------------------

// Cluster number descending, then the record's owner (none first, then by race number), then
// the planet number.
int CompareClusterRecords(const THomeClusterRecord& a, const THomeClusterRecord& b);
// The planets' Distance ascending, then the planet number.
int CompareClusterPlanets(const THomeClusterRecord& a, const THomeClusterRecord& b);

}  // namespace tovix

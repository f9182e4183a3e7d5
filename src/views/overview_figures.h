#pragma once
// The figures of the overview page: the user's race now, and next turn as the development
// plan projects it, with the texts of one tab (values, changes against this turn, and the
// population's growth in percent).

#include <array>
#include <optional>
#include <string>

#include "core/model/game_state.h"

namespace tovix {

enum TOverviewFigure {
  ofPopulation,
  ofIndustry,
  ofEffectiveIndustry,
  ofTotalTech,
  ofDrive,
  ofWeapons,
  ofShields,
  ofCargo,
  ofCol,
  ofCap,
  ofMat,
  ofCount
};

using TOverviewFigures = std::array<double, ofCount>;

// Captions of the figures, in the order above.
extern const std::array<const char*, ofCount> kOverviewCaptions;

// The user's race in the latest turn; COL, CAP and MAT summed over the planets it owns. All 0
// without a race of the user.
TOverviewFigures CurrentFigures(const GameState& state);

// Next turn: each technology raised by what the own planets producing it make, population,
// industry, COL, CAP and MAT the sums of the plan's projections for the own planets, effective
// industry recomputed. Nothing when the plan holds none of the own planets.
std::optional<TOverviewFigures> ProjectedFigures(const GameState& state,
                                                 const IDevelopmentPlan& plan,
                                                 const TOverviewFigures& current);

// Which figures of a tab are known.
using TOverviewKnown = std::array<bool, ofCount>;
inline constexpr TOverviewKnown kAllKnown{true, true, true, true, true, true,
                                          true, true, true, true, true};

// This turn: the race's own figures (population to cargo) are known when the status table of
// the latest turn read gave them; a turn whose report could not be read leaves them unknown.
// COL, CAP and MAT come from the planet tables.
TOverviewKnown CurrentKnown(const GameState& state);
// Next turn: the technologies build on this turn's; the rest come from the plan.
TOverviewKnown ProjectedKnown(const TOverviewKnown& current);

inline constexpr const char* kUnknownFigure = "unknown";

struct TOverviewTexts {
  std::array<std::string, ofCount> Values;  // kUnknownFigure where a figure is unknown
  std::array<std::string, ofCount> Deltas;  // empty for this turn and for unknown figures
  std::string PopulationPercent;            // "(%5.2f)"; empty for this turn or population 0
};
// `base` is this turn's figures; `isBase` says the tab is "This Turn". `known` and `baseKnown`
// say which figures of the tab and of this turn are known.
TOverviewTexts OverviewTexts(const TOverviewFigures& figures, const TOverviewFigures& base,
                             bool isBase, const TOverviewKnown& known = kAllKnown,
                             const TOverviewKnown& baseKnown = kAllKnown);

}  // namespace tovix

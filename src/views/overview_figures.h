#pragma once
// The figures of the overview page: the user's race now, and next turn as the development
// plan projects it, with the texts of one tab (values, changes against this turn, and the
// population's growth in percent).

#include <array>
#include <optional>
#include <string>

#include "core/game_state.h"

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

struct TOverviewTexts {
  std::array<std::string, ofCount> Values;
  std::array<std::string, ofCount> Deltas;  // empty for this turn
  std::string PopulationPercent;            // "(%5.2f)"; empty for this turn or population 0
};
// `base` is this turn's figures; `isBase` says the tab is "This Turn".
TOverviewTexts OverviewTexts(const TOverviewFigures& figures, const TOverviewFigures& base,
                             bool isBase);

}  // namespace tovix

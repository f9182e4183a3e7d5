#include "views/overview_figures.h"

#include "core/text/numbers.h"

namespace tovix {

const std::array<const char*, ofCount> kOverviewCaptions{"Population",
                                                         "Industry",
                                                         "Effective Industry",
                                                         "Total Technology",
                                                         "Drive",
                                                         "Weapons",
                                                         "Shields",
                                                         "Cargo",
                                                         "COL",
                                                         "CAP",
                                                         "MAT"};

TOverviewFigures CurrentFigures(const GameState& state) {
  TOverviewFigures f{};
  const TPlayer* me = state.MainPlayer;
  if (!me) return f;
  f[ofPopulation] = me->GetPopulation(-1);
  f[ofIndustry] = me->GetIndustry(-1);
  f[ofEffectiveIndustry] = me->GetEffectiveIndustry(-1);
  f[ofDrive] = me->GetDrive(-1);
  f[ofWeapons] = me->GetWeapons(-1);
  f[ofShields] = me->GetShields(-1);
  f[ofCargo] = me->GetCargo(-1);
  f[ofTotalTech] = f[ofDrive] + f[ofWeapons] + f[ofShields] + f[ofCargo];
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet* p = state.Planets.Object(i);
    if (!p || !p->Owner.Is(me)) continue;
    f[ofCol] += p->Colonists;
    f[ofCap] += p->Capital;
    f[ofMat] += p->Material;
  }
  return f;
}

std::optional<TOverviewFigures> ProjectedFigures(const GameState& state,
                                                 const IDevelopmentPlan& plan,
                                                 const TOverviewFigures& current) {
  const TPlayer* me = state.MainPlayer;
  if (!me) return std::nullopt;
  TOverviewFigures f = current;
  double population = 0, industry = 0, col = 0, cap = 0, mat = 0;
  bool planned = false;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet* p = state.Planets.Object(i);
    if (!p || !p->Owner.Is(me)) continue;
    // Production codes rather than the texts' case decide which technology a planet makes.
    switch (p->ProductionType()) {
      case pcDrive:
        f[ofDrive] += p->ProductionAmount(plan);
        break;
      case pcWeapons:
        f[ofWeapons] += p->ProductionAmount(plan);
        break;
      case pcShields:
        f[ofShields] += p->ProductionAmount(plan);
        break;
      case pcCargo:
        f[ofCargo] += p->ProductionAmount(plan);
        break;
      default:
        break;
    }
    const IDevPlanetRecord* record = plan.FindDevPlanet(*p);
    if (!record) continue;
    planned = true;
    population += record->Population(1);
    industry += record->Industry(1);
    col += record->Colonists(1);
    cap += record->Capital(1);
    mat += record->Material(1);
  }
  if (!planned) return std::nullopt;
  f[ofTotalTech] = f[ofDrive] + f[ofWeapons] + f[ofShields] + f[ofCargo];
  f[ofPopulation] = population;
  f[ofIndustry] = industry;
  f[ofCol] = col;
  f[ofCap] = cap;
  f[ofMat] = mat;
  f[ofEffectiveIndustry] = industry + (population - industry) / 4;
  return f;
}

TOverviewKnown CurrentKnown(const GameState& state) {
  TOverviewKnown known = kAllKnown;
  const TPlayer* me = state.MainPlayer;
  const bool raceKnown = me && me->IsKnown(state.LastTurn >= 0 ? state.LastTurn : -1);
  for (int k = ofPopulation; k <= ofCargo; ++k) known[static_cast<size_t>(k)] = raceKnown;
  return known;
}

TOverviewKnown ProjectedKnown(const TOverviewKnown& current) {
  TOverviewKnown known = kAllKnown;
  for (int k = ofTotalTech; k <= ofCargo; ++k)
    known[static_cast<size_t>(k)] = current[static_cast<size_t>(k)];
  return known;
}

TOverviewTexts OverviewTexts(const TOverviewFigures& figures, const TOverviewFigures& base,
                             bool isBase, const TOverviewKnown& known,
                             const TOverviewKnown& baseKnown) {
  TOverviewTexts t;
  for (int k = 0; k < ofCount; ++k) {
    const auto i = static_cast<size_t>(k);
    if (!known[i]) {
      t.Values[i] = kUnknownFigure;
      continue;
    }
    const char* format = k <= ofEffectiveIndustry ? "%5.2f" : "%5.3f";
    t.Values[i] = Fmt(format, figures[i]);
    if (!isBase && baseKnown[i]) t.Deltas[i] = Fmt("%5.2f", figures[i] - base[i]);
  }
  const bool populationKnown = known[ofPopulation] && baseKnown[ofPopulation];
  if (!isBase && populationKnown && base[ofPopulation] > 0) {
    t.PopulationPercent =
        Fmt("(%5.2f)", (figures[ofPopulation] - base[ofPopulation]) / base[ofPopulation] * 100);
  }
  return t;
}

}  // namespace tovix

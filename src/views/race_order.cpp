#include "views/race_order.h"

#include <algorithm>

#include "views/cell_compare.h"

namespace tovix {

std::vector<TPlayer*> RacesByName(const GameState& state) {
  std::vector<TPlayer*> races;
  races.reserve(static_cast<size_t>(state.Players.Count()));
  for (int i = 0; i < state.Players.Count(); ++i)
    if (TPlayer* race = state.Players.Object(i)) races.push_back(race);
  std::stable_sort(races.begin(), races.end(), [](const TPlayer* a, const TPlayer* b) {
    return CompareNames(a->Name, b->Name) < 0;
  });
  return races;
}

}  // namespace tovix

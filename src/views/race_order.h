#pragma once
// The order in which windows list races where nothing else decides it: by name, ignoring case.
// The model's race list is ordered by a hash of the names, which means nothing to a reader.

#include <vector>

#include "core/model/game_state.h"

namespace tovix {

// Every race of the game, by name (ignoring case; equal names keep their model order).
std::vector<TPlayer*> RacesByName(const GameState& state);

}  // namespace tovix

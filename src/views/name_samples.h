#pragma once
// The longest names of a game, a few of each kind: the lists size their name columns by them
// when they first show, so a name stays whole also when a filter later shows planets or races the
// first rows did not hold.

#include <cstddef>
#include <string>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

struct TGameNames {
  std::vector<std::string> Planets;      // planet names
  std::vector<std::string> Owners;       // owner texts of the planet lists ("?(12) Name", ...)
  std::vector<std::string> Races;        // race names
  std::vector<std::string> ShipTypes;    // design names, and "design (fleet)" of fleets' groups
  std::vector<std::string> Productions;  // what the planets produce
};

// The `count` longest texts (by characters) of `texts`, longest first, each once.
std::vector<std::string> LongestTexts(std::vector<std::string> texts, size_t count = 5);

// The longest names of each kind in the game.
TGameNames LongestGameNames(const GameState& state, size_t perKind = 5);

}  // namespace tovix

#pragma once
// The names of a game, each kind longest first: the lists size their name columns by them when
// they first show, so a name stays whole also when a filter later shows planets or races the
// first rows did not hold. A list measures them in its font: the name with the most letters is
// not always the widest, so the kinds hold every name, not only the longest few.

#include <cstddef>
#include <limits>
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

constexpr size_t kAllTexts = std::numeric_limits<size_t>::max();

// The `count` longest texts (by characters) of `texts`, longest first, each once; empty texts
// are left out.
std::vector<std::string> LongestTexts(std::vector<std::string> texts, size_t count = kAllTexts);

// The names of each kind in the game (`perKind` of each at most), longest first.
TGameNames LongestGameNames(const GameState& state, size_t perKind = kAllTexts);

}  // namespace tovix

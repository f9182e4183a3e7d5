#include "core/model/arrival.h"

#include <cmath>
#include <limits>

namespace tovix {

int32_t TurnsToArrive(double distance, double speed) {
  if (!(distance > 0) || !(speed > 0)) return 0;
  const double turns = std::ceil(distance / speed - 1e-9);
  if (!(turns < std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  // A distance of a few billionths of the speed still takes one turn.
  return turns < 1 ? 1 : static_cast<int32_t>(turns);
}

}  // namespace tovix

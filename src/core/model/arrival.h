#pragma once
// When a group in flight arrives: the one rule the report reader (a group's ETA) and the order
// analysis (the turns of a sent group) share.

#include <cstdint>

namespace tovix {

// Turns until a group that flies `distance` map units at `speed` units per turn stands at its
// destination: ceil(distance / speed). A distance that is a whole multiple of the speed, within
// 1e-9 turns, arrives on that turn, not one later. 0 when the distance or the speed is not above
// 0 (nothing to fly, or a group that cannot move).
int32_t TurnsToArrive(double distance, double speed);

}  // namespace tovix

#pragma once
// One object of the groups list: another race's group as the reports show it, or a record of
// the order analysis (an own group, or the part of one that an order splits off).

#include <cstdint>
#include <utility>
#include <vector>

namespace tovix {

class TGroup;
struct TSendedGroup;

struct TGroupItem {
  TGroup* Group = nullptr;               // another race's group; nullptr for a record
  const TSendedGroup* Record = nullptr;  // a record of the analysis; nullptr for a group

  bool operator==(const TGroupItem&) const = default;
};

// What the destination picker gets for a send: the groups keyed by their numbers, how many
// planets may be chosen, and whether the ships are spread over them.
struct TPickerRequest {
  std::vector<std::pair<int32_t, TGroup*>> Groups;
  int MaxPlanets = 1;
  bool Spread = false;
};

}  // namespace tovix

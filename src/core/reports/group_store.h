#pragma once
// The races' groups while the reports of a game are read.
//
// Most group rows a load reads are gone again a turn later: a race's next own report replaces
// its groups, and the reports of the next turn prune the other races' groups at the planets
// they watch. So a row is kept as a small record in an array of its race (no allocation per
// row), and a TGroup is made only of the rows still there when the reading ends (MoveToModel).
// Groups that come as objects (from the battles, or in the model before) are kept as they are.
//
// The order of a race's groups is the order they were added in.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

// What pruning and the battles' clearing look at.
struct TGroupKey {
  TPlanet* Planet = nullptr;
  int32_t Turn = -1;
  bool FromBattle = false;
  bool Standing = false;  // Distance 0: at its planet, not in flight

  static TGroupKey Of(const TGroup& group) {
    return {group.Planet, group.Turn, group.FromBattle != 0, group.Distance == 0};
  }
};

// A group as a group table's row gives it; the race is the store's list, the planet and turn
// are in the key.
struct TGroupRecord {
  TPlanet* Origin = nullptr;
  TShipType* ShipType = nullptr;
  float DriveTech = 0;
  float WeaponsTech = 0;
  float ShieldsTech = 0;
  float CargoTech = 0;
  float Load = 0;
  float Distance = 0;
  float FleetSpeed = 0;
  int32_t Ships = 0;
  int32_t GroupNumber = 0;
  uint32_t Fleet = 0;     // TGroupStore::FleetName number; 0 for none
  uint8_t CargoType = 0;  // pcNone, pcCap, ...
};

class TGroupStore {
 public:
  TGroupStore() = default;
  TGroupStore(const TGroupStore&) = delete;
  TGroupStore& operator=(const TGroupStore&) = delete;

  // Moves every race's groups into the store (after what it holds of the race).
  void TakeFromModel(GameState& state);
  // Moves the groups back into their races, a TGroup made of each record; the store is empty
  // then.
  void MoveToModel();

  void Add(TPlayer& race, std::unique_ptr<TGroup> group);
  void Add(TPlayer& race, const TGroupKey& key, const TGroupRecord& record);
  // The number under which a record names the fleet `name` (0 for "").
  uint32_t FleetName(std::string_view name);
  // Drops every group of the race.
  void Clear(const TPlayer& race);
  // Drops the groups of the race whose key `doomed` picks; the others keep their order.
  template <class Pred>
  void RemoveIf(const TPlayer& race, Pred&& doomed) {
    TList* list = Find(race);
    if (!list) return;
    // The keys are tested in their own array, which is all most calls read.
    auto& keys = list->keys;
    size_t out = 0;
    while (out < keys.size() && !doomed(std::as_const(keys[out]))) ++out;
    if (out == keys.size()) return;
    auto& groups = list->groups;
    for (size_t i = out + 1; i < keys.size(); ++i) {
      if (doomed(std::as_const(keys[i]))) continue;
      keys[out] = keys[i];
      groups[out] = std::move(groups[i]);
      ++out;
    }
    keys.resize(out);
    groups.resize(out);
  }
  // Calls `visit` with the key of every group of the race.
  template <class Visit>
  void ForEachKey(const TPlayer& race, Visit&& visit) const {
    if (const TList* list = Find(race)) {
      for (const TGroupKey& key : list->keys) visit(key);
    }
  }

 private:
  // A group: its record, or the object it came as.
  struct TGroupData {
    TGroupRecord record;
    std::unique_ptr<TGroup> group;
  };
  // A race's groups: keys[i] and groups[i] are of one group.
  struct TList {
    TPlayer* race;
    std::vector<TGroupKey> keys;
    std::vector<TGroupData> groups;
  };

  TList* Find(const TPlayer& race);
  const TList* Find(const TPlayer& race) const;
  TList& ListOf(TPlayer& race);
  std::unique_ptr<TGroup> MakeGroup(TPlayer& race, const TGroupKey& key,
                                    const TGroupRecord& record) const;

  std::vector<TList> lists_;
  size_t last_ = 0;  // the list found last: rows come table by table
  std::vector<std::string> fleetNames_{std::string()};
};

}  // namespace tovix

#pragma once
// The races' groups while the reports of a game are read.
//
// Most group rows a load reads are gone again a turn later: a race's next own report replaces
// its groups, and the reports of the next turn prune the other races' groups at the planets
// they watch, and a battle clears its planet. So the store chains the groups by planet: pruning
// and the battles' clearing look only at the planets concerned. A group table's row is kept as
// a small record (no allocation per row), and a row of another race's table even without its
// figures: they are read (ReadDeferred) only for the rows still there when the reader lets the
// report's text go. A TGroup is made only of the groups still there when the reading ends
// (MoveToModel). Groups that come as objects (from the battles, or in the model before) are
// kept as they are.
//
// The order of a race's groups is the order they were added in.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

// Numbers planets 0, 1, 2, ... in the order they are first asked for: an open-addressing table
// of the planets' addresses, at most half full, so that a look-up is mostly one slot.
class TPlanetNumbers {
 public:
  // The planet's number, given now when it has none; nullptr has one too.
  uint32_t NumberOf(const TPlanet* planet) {
    if (planet && !slots_.empty()) {
      for (size_t i = Slot(planet);; i = (i + 1) & mask_) {
        if (slots_[i].planet == planet) return slots_[i].number;
        if (slots_[i].number == UINT32_MAX) break;
      }
    }
    return Add(planet);
  }
  // The planet's number, or -1 when it has none.
  int64_t Find(const TPlanet* planet) const;
  size_t Count() const { return count_; }

 private:
  size_t Slot(const TPlanet* planet) const {
    // Fibonacci hashing: the high bits of the product spread addresses that differ little.
    return static_cast<size_t>((reinterpret_cast<uintptr_t>(planet) * 0x9E3779B97F4A7C15u) >>
                               shift_) &
           mask_;
  }
  uint32_t Add(const TPlanet* planet);
  void Grow();

  struct TSlot {
    const TPlanet* planet = nullptr;
    uint32_t number = UINT32_MAX;  // UINT32_MAX: empty
  };
  std::vector<TSlot> slots_;
  size_t mask_ = 0;
  int shift_ = 64;
  size_t count_ = 0;
  int64_t nullNumber_ = -1;
};

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

// A group as a group table's row gives it; the race and the planet and turn of the key are the
// store's.
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

// Where the figures of a row kept without them are: bytes [From, To) of the report text the
// reader numbered `Text`, read as the reader's table `Table` reads them.
struct TDeferredRow {
  uint32_t Text = 0;
  uint32_t From = 0;
  uint32_t To = 0;
  uint32_t Table = 0;
};

class TGroupStore {
 public:
  TGroupStore() = default;
  TGroupStore(const TGroupStore&) = delete;
  TGroupStore& operator=(const TGroupStore&) = delete;

  // Moves every race's groups into the store (after what it holds of the race).
  void TakeFromModel(GameState& state);
  // Moves the groups back into their races, a TGroup made of each record; the store is empty
  // then. Rows kept without their figures must have been read (ReadDeferred).
  void MoveToModel();

  void Add(TPlayer& race, std::unique_ptr<TGroup> group);
  void Add(TPlayer& race, const TGroupKey& key, const TGroupRecord& record);
  // A row whose figures (ships, levels, cargo, load) are read later; `record` holds the rest.
  // `planetNumber` is PlanetNumber(key.Planet).
  void AddDeferred(TPlayer& race, uint32_t planetNumber, const TGroupKey& key,
                   const TGroupRecord& record, const TDeferredRow& row);
  // The number under which the store files the groups at `planet` (for a caller that
  // remembers it).
  uint32_t PlanetNumber(const TPlanet* planet) { return planets_.NumberOf(planet); }
  // Reads the figures of the rows kept without them whose text number is at most `lastText`,
  // through read(TGroupRecord&, const TDeferredRow&).
  template <class Read>
  void ReadDeferred(uint32_t lastText, Read&& read) {
    if (deferred_ == 0) return;
    // The groups lie in reading order, so the rows of the texts up to `lastText` that wait
    // come before those of later texts, and none before firstDeferred_.
    size_t i = firstDeferred_;
    for (; i < nodes_.size(); ++i) {
      TNode& node = nodes_[i];
      if ((node.flags & (kDeferred | kDead)) != kDeferred) continue;
      TEntry& entry = entries_[node.entry];
      if (entry.row.Text > lastText) break;
      read(entry.record, std::as_const(entry.row));
      node.flags &= static_cast<uint8_t>(~kDeferred);
      --deferred_;
    }
    firstDeferred_ = i;
  }
  // The number of rows kept without their figures.
  size_t DeferredCount() const { return deferred_; }
  // The number under which a record names the fleet `name` (0 for "").
  uint32_t FleetName(std::string_view name);
  // Drops every group of the race.
  void Clear(const TPlayer& race);
  // Drops the groups of the race whose key `doomed` picks; the others keep their order.
  template <class Pred>
  void RemoveIf(const TPlayer& race, Pred&& doomed) {
    const int64_t r = FindRace(race);
    if (r < 0) return;
    WalkChain(races_[static_cast<size_t>(r)].newest, &TNode::nextOfRace, [&](uint32_t i) {
      if (doomed(std::as_const(entries_[nodes_[i].entry].key))) Kill(i);
    });
  }
  // Drops the groups at `planet` (their key's planet) for which doomed(const TPlayer& race,
  // const TGroupKey& key) is true.
  template <class Pred>
  void RemoveAt(const TPlanet* planet, Pred&& doomed) {
    const int64_t p = planets_.Find(planet);
    if (p < 0 || static_cast<size_t>(p) >= atPlanet_.size()) return;
    TGroupKey key{const_cast<TPlanet*>(planet), 0, false, false};
    // The list drops its dead on the way.
    std::vector<TAtPlanet>& list = atPlanet_[static_cast<size_t>(p)];
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      const TAtPlanet at = list[i];
      if (at.flags & kDead) continue;
      key.Turn = at.turn;
      key.FromBattle = (at.flags & kFromBattle) != 0;
      key.Standing = (at.flags & kStanding) != 0;
      if (doomed(std::as_const(*races_[at.race].race), std::as_const(key))) {
        Kill(at.node);
        continue;
      }
      if (kept != i) {
        list[kept] = at;
        nodes_[at.node].slot = static_cast<uint32_t>(kept);
      }
      ++kept;
    }
    list.resize(kept);
  }
  // Calls `visit` with the key of every group of the race.
  template <class Visit>
  void ForEachKey(const TPlayer& race, Visit&& visit) {
    const int64_t r = FindRace(race);
    if (r < 0) return;
    WalkChain(races_[static_cast<size_t>(r)].newest, &TNode::nextOfRace,
              [&](uint32_t i) { visit(std::as_const(entries_[nodes_[i].entry].key)); });
  }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  static constexpr uint8_t kFromBattle = 1;
  static constexpr uint8_t kStanding = 2;
  static constexpr uint8_t kDead = 4;
  static constexpr uint8_t kDeferred = 8;
  static constexpr uint8_t kObject = 16;

  // The groups lie in the order they were added, each in two parts of one index: a small node
  // with what pruning and the battles read (nodes_), which also chains it to the groups of its
  // race, newest first, and the rest (entries_[entry], a place used again once its group is
  // gone): its record, or the object it came as (objects_[object]). The groups at a planet are
  // listed side by side with the same small part (atPlanet_), so that pruning a planet reads one
  // short array. A removed group is only marked dead: a race's chain drops it when it passes it,
  // and the groups are compacted once half are dead.
  struct TNode {
    int32_t turn;
    uint32_t planet;  // the planet's number
    uint32_t slot;    // its place in atPlanet_[planet]
    uint32_t nextOfRace;
    uint32_t entry;  // in entries_
    uint16_t race;   // index in races_
    uint8_t flags;
  };
  struct TAtPlanet {
    uint32_t node;
    int32_t turn;
    uint16_t race;
    uint8_t flags;  // kFromBattle, kStanding and kDead of its node
  };
  struct TEntry {
    TGroupKey key;
    TGroupRecord record;
    TDeferredRow row;
    uint32_t object;
  };
  struct TRace {
    TPlayer* race;
    uint32_t newest;  // the race's chain
  };

  int64_t FindRace(const TPlayer& race) const;
  uint16_t RaceOf(TPlayer& race) {
    if (lastRace_ < races_.size() && races_[lastRace_].race == &race)
      return static_cast<uint16_t>(lastRace_);
    return NewRace(race);
  }
  uint16_t NewRace(TPlayer& race);
  // A new group at planet number `planet`.
  TEntry& NewEntry(TPlayer& race, uint32_t planet, const TGroupKey& key, uint8_t flags,
                   const TGroupRecord& record = {}, const TDeferredRow& row = {});
  void Kill(uint32_t i) {
    TNode& node = nodes_[i];
    if (node.flags & kDeferred) --deferred_;
    if (node.flags & kObject) objects_[entries_[node.entry].object].reset();
    freeEntries_.push_back(node.entry);
    node.flags = kDead;
    atPlanet_[node.planet][node.slot].flags = kDead;
    ++dead_;
  }
  // Calls `visit` with the index of each live group of the chain that starts at `head`,
  // leaving out of the chain the dead ones it passes.
  template <class Visit>
  void WalkChain(uint32_t& head, uint32_t TNode::*next, Visit&& visit) {
    uint32_t* link = &head;
    while (*link != kNone) {
      const uint32_t i = *link;
      TNode& node = nodes_[i];
      if (node.flags & kDead) {
        *link = node.*next;
        continue;
      }
      visit(i);
      link = &(nodes_[i].*next);
    }
  }
  // Drops the dead groups and chains the others again.
  void Compact();
  // Lists group `i` at its planet and puts it first in its race's chain.
  void Link(uint32_t i);
  std::unique_ptr<TGroup> MakeGroup(TPlayer& race, const TGroupKey& key,
                                    const TGroupRecord& record) const;

  TPlanetNumbers planets_;  // planet -> its list in atPlanet_
  std::vector<std::vector<TAtPlanet>> atPlanet_;
  std::vector<TNode> nodes_;
  std::vector<TEntry> entries_;
  std::vector<uint32_t> freeEntries_;  // places in entries_ of groups gone
  std::vector<TRace> races_;
  std::vector<std::unique_ptr<TGroup>> objects_;
  size_t lastRace_ = 0;  // the race found last: rows come table by table
  size_t dead_ = 0;
  size_t deferred_ = 0;
  size_t firstDeferred_ = 0;  // no group before it waits for its figures
  std::vector<std::string> fleetNames_{std::string()};
};

}  // namespace tovix

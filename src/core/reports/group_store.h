#pragma once
// The races' groups while the reports of a game are read.
//
// Most group rows a load reads are gone again a turn later: a race's next own report replaces
// its groups, and the reports of the next turn prune the other races' groups at the planets
// they watch, and a battle clears its planet. So the store keeps the groups by planet: pruning
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
  uint32_t NumberOf(const TPlanet* planet);
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
  void AddDeferred(TPlayer& race, const TGroupKey& key, const TGroupRecord& record,
                   const TDeferredRow& row);
  // Reads the figures of the rows kept without them whose text number is at most `lastText`,
  // through read(TGroupRecord&, const TDeferredRow&).
  template <class Read>
  void ReadDeferred(uint32_t lastText, Read&& read) {
    if (deferred_ == 0) return;
    for (TBucket& bucket : buckets_) {
      for (TEntry& entry : bucket.entries) {
        if (!entry.deferred || entry.row.Text > lastText) continue;
        read(entry.record, std::as_const(entry.row));
        entry.deferred = false;
        --deferred_;
      }
    }
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
    for (const uint32_t b : races_[static_cast<size_t>(r)].buckets) {
      Erase(buckets_[b], [&](const TEntry& entry) {
        return entry.race == static_cast<uint32_t>(r) && doomed(std::as_const(entry.key));
      });
    }
  }
  // Drops the groups at `planet` (their key's planet) for which doomed(const TPlayer& race,
  // const TGroupKey& key) is true.
  template <class Pred>
  void RemoveAt(const TPlanet* planet, Pred&& doomed) {
    const int64_t b = planets_.Find(planet);
    if (b < 0) return;
    Erase(buckets_[static_cast<size_t>(b)], [&](const TEntry& entry) {
      return doomed(std::as_const(*races_[entry.race].race), std::as_const(entry.key));
    });
  }
  // Calls `visit` with the key of every group of the race.
  template <class Visit>
  void ForEachKey(const TPlayer& race, Visit&& visit) const {
    const int64_t r = FindRace(race);
    if (r < 0) return;
    for (const uint32_t b : races_[static_cast<size_t>(r)].buckets) {
      for (const TEntry& entry : buckets_[b].entries) {
        if (entry.race == static_cast<uint32_t>(r)) visit(std::as_const(entry.key));
      }
    }
  }

 private:
  // A group: its record, or the object it came as.
  struct TEntry {
    TGroupKey key;
    TGroupRecord record;
    std::unique_ptr<TGroup> group;
    TDeferredRow row;
    uint64_t order = 0;  // of adding: a race's groups go to the model in this order
    uint32_t race = 0;   // index in races_
    bool deferred = false;
  };
  // The groups at one planet.
  struct TBucket {
    std::vector<TEntry> entries;
  };
  // A race and the buckets it has had groups in.
  struct TRace {
    TPlayer* race;
    std::vector<uint32_t> buckets;
    std::vector<bool> inBucket;
  };

  int64_t FindRace(const TPlayer& race) const;
  uint32_t RaceOf(TPlayer& race);
  TEntry& NewEntry(TPlayer& race, const TGroupKey& key);
  template <class Pred>
  void Erase(TBucket& bucket, Pred&& doomed) {
    std::erase_if(bucket.entries, [&](const TEntry& entry) {
      if (!doomed(entry)) return false;
      if (entry.deferred) --deferred_;
      return true;
    });
  }
  std::unique_ptr<TGroup> MakeGroup(TPlayer& race, const TGroupKey& key,
                                    const TGroupRecord& record) const;

  TPlanetNumbers planets_;  // planet -> its bucket
  std::vector<TBucket> buckets_;
  std::vector<TRace> races_;
  size_t lastRace_ = 0;  // the race found last: rows come table by table
  uint64_t added_ = 0;
  size_t deferred_ = 0;
  std::vector<std::string> fleetNames_{std::string()};
};

}  // namespace tovix

#include "core/reports/group_store.h"

#include <bit>

#include "core/model/arrival.h"

namespace tovix {

// --- Planet numbers ---------------------------------------------------------------------------

int64_t TPlanetNumbers::Find(const TPlanet* planet) const {
  if (!planet) return nullNumber_;
  if (slots_.empty()) return -1;
  for (size_t i = Slot(planet);; i = (i + 1) & mask_) {
    if (slots_[i].number == UINT32_MAX) return -1;
    if (slots_[i].planet == planet) return slots_[i].number;
  }
}

uint32_t TPlanetNumbers::NumberOf(const TPlanet* planet) {
  if (!planet) {
    if (nullNumber_ < 0) nullNumber_ = static_cast<int64_t>(count_++);
    return static_cast<uint32_t>(nullNumber_);
  }
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  size_t i = Slot(planet);
  for (; slots_[i].number != UINT32_MAX; i = (i + 1) & mask_) {
    if (slots_[i].planet == planet) return slots_[i].number;
  }
  slots_[i] = TSlot{planet, static_cast<uint32_t>(count_++)};
  return slots_[i].number;
}

void TPlanetNumbers::Grow() {
  std::vector<TSlot> old = std::move(slots_);
  const size_t size = std::max<size_t>(64, old.size() * 2);
  slots_.assign(size, TSlot{});
  mask_ = size - 1;
  shift_ = 64 - std::countr_zero(size);
  for (const TSlot& slot : old) {
    if (slot.number == UINT32_MAX) continue;
    size_t i = Slot(slot.planet);
    while (slots_[i].number != UINT32_MAX) i = (i + 1) & mask_;
    slots_[i] = slot;
  }
}

// --- The store --------------------------------------------------------------------------------

int64_t TGroupStore::FindRace(const TPlayer& race) const {
  if (lastRace_ < races_.size() && races_[lastRace_].race == &race)
    return static_cast<int64_t>(lastRace_);
  for (size_t i = 0; i < races_.size(); ++i) {
    if (races_[i].race == &race) return static_cast<int64_t>(i);
  }
  return -1;
}

uint32_t TGroupStore::RaceOf(TPlayer& race) {
  int64_t r = FindRace(race);
  if (r < 0) {
    r = static_cast<int64_t>(races_.size());
    races_.push_back(TRace{&race, {}, {}});
  }
  lastRace_ = static_cast<size_t>(r);
  return static_cast<uint32_t>(r);
}

TGroupStore::TEntry& TGroupStore::NewEntry(TPlayer& race, const TGroupKey& key) {
  const uint32_t r = RaceOf(race);
  const uint32_t b = planets_.NumberOf(key.Planet);
  if (b == buckets_.size()) buckets_.emplace_back();
  TRace& list = races_[r];
  if (b >= list.inBucket.size()) list.inBucket.resize(buckets_.size());
  if (!list.inBucket[b]) {
    list.inBucket[b] = true;
    list.buckets.push_back(b);
  }
  TEntry& entry = buckets_[b].entries.emplace_back();
  entry.key = key;
  entry.race = r;
  entry.order = added_++;
  return entry;
}

void TGroupStore::TakeFromModel(GameState& state) {
  for (auto [key, race] : state.Players) {
    if (!race || race->Groups.empty()) continue;
    for (auto& group : race->Groups) Add(*race, std::move(group));
    race->Groups.clear();
  }
}

std::unique_ptr<TGroup> TGroupStore::MakeGroup(TPlayer& race, const TGroupKey& key,
                                               const TGroupRecord& r) const {
  // Every member of TGroup has its initial value, so the zero-filling of make_unique would
  // only be overwritten.
  auto group = std::make_unique_for_overwrite<TGroup>();
  group->Origin = r.Origin;
  group->Ships = r.Ships;
  group->BattleShips = r.Ships;
  group->ShipType = r.ShipType;
  group->DriveTech = r.DriveTech;
  group->WeaponsTech = r.WeaponsTech;
  group->ShieldsTech = r.ShieldsTech;
  group->CargoTech = r.CargoTech;
  group->Planet = key.Planet;
  group->Owner = &race;
  group->GroupNumber = r.GroupNumber;
  group->Distance = r.Distance;
  group->Load = r.Load;
  group->CargoType = r.CargoType;
  group->Turn = key.Turn;
  group->FleetName = fleetNames_[r.Fleet];
  group->FleetSpeed = r.FleetSpeed;
  if (r.Origin) {
    group->TrackFrom = r.Origin;
    group->TrackTo = key.Planet;
    // A group that cannot move (speed not above 0, for example a fleet whose speed the report
    // garbled) has no arrival to count down.
    group->ETA = TurnsToArrive(group->Distance, group->SpeedWithLoad());
  } else {
    group->TrackFrom = key.Planet;
    group->TrackTo = nullptr;
    group->ETA = 0;
  }
  return group;
}

void TGroupStore::MoveToModel() {
  // Each race's groups gathered from the planets they are at, in the order they came.
  std::vector<TEntry*> entries;
  for (size_t r = 0; r < races_.size(); ++r) {
    entries.clear();
    for (const uint32_t b : races_[r].buckets) {
      for (TEntry& entry : buckets_[b].entries) {
        if (entry.race == r) entries.push_back(&entry);
      }
    }
    std::sort(entries.begin(), entries.end(),
              [](const TEntry* a, const TEntry* b) { return a->order < b->order; });
    TPlayer& race = *races_[r].race;
    race.Groups.reserve(race.Groups.size() + entries.size());
    for (TEntry* entry : entries) {
      race.Groups.push_back(entry->group ? std::move(entry->group)
                                         : MakeGroup(race, entry->key, entry->record));
    }
  }
  buckets_.clear();
  races_.clear();
  planets_ = TPlanetNumbers();
  lastRace_ = 0;
  deferred_ = 0;
  fleetNames_.resize(1);
}

void TGroupStore::Add(TPlayer& race, std::unique_ptr<TGroup> group) {
  const TGroupKey key = TGroupKey::Of(*group);
  NewEntry(race, key).group = std::move(group);
}

void TGroupStore::Add(TPlayer& race, const TGroupKey& key, const TGroupRecord& record) {
  NewEntry(race, key).record = record;
}

void TGroupStore::AddDeferred(TPlayer& race, const TGroupKey& key, const TGroupRecord& record,
                              const TDeferredRow& row) {
  TEntry& entry = NewEntry(race, key);
  entry.record = record;
  entry.row = row;
  entry.deferred = true;
  ++deferred_;
}

uint32_t TGroupStore::FleetName(std::string_view name) {
  if (name.empty()) return 0;
  // A fleet table names its fleet for each of its rows.
  for (size_t i = fleetNames_.size(); i-- > 1 && i + 8 >= fleetNames_.size();) {
    if (fleetNames_[i] == name) return static_cast<uint32_t>(i);
  }
  fleetNames_.emplace_back(name);
  return static_cast<uint32_t>(fleetNames_.size() - 1);
}

void TGroupStore::Clear(const TPlayer& race) {
  const int64_t r = FindRace(race);
  if (r < 0) return;
  RemoveIf(race, [](const TGroupKey&) { return true; });
  TRace& list = races_[static_cast<size_t>(r)];
  list.buckets.clear();
  list.inBucket.assign(list.inBucket.size(), false);
}

}  // namespace tovix

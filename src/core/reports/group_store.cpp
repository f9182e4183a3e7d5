#include "core/reports/group_store.h"

#include <bit>

#include "core/model/arrival.h"

namespace tovix {

namespace {

// Asks for the bytes [p, p + size) to be brought into the cache, to be written soon.
void PrefetchForWriting(const void* p, size_t size) {
#if defined(__GNUC__) || defined(__clang__)
  const auto* bytes = static_cast<const char*>(p);
  for (size_t at = 0; at < size; at += 64) __builtin_prefetch(bytes + at, 1);
#else
  (void)p;
  (void)size;
#endif
}

}  // namespace

// --- Planet numbers ---------------------------------------------------------------------------

int64_t TPlanetNumbers::Find(const TPlanet* planet) const {
  if (!planet) return nullNumber_;
  if (slots_.empty()) return -1;
  for (size_t i = Slot(planet);; i = (i + 1) & mask_) {
    if (slots_[i].number == UINT32_MAX) return -1;
    if (slots_[i].planet == planet) return slots_[i].number;
  }
}

uint32_t TPlanetNumbers::Add(const TPlanet* planet) {
  if (!planet) {
    if (nullNumber_ < 0) nullNumber_ = static_cast<int64_t>(count_++);
    return static_cast<uint32_t>(nullNumber_);
  }
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  size_t i = Slot(planet);
  while (slots_[i].number != UINT32_MAX) i = (i + 1) & mask_;
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

uint16_t TGroupStore::NewRace(TPlayer& race) {
  int64_t r = FindRace(race);
  if (r < 0) {
    r = static_cast<int64_t>(races_.size());
    races_.push_back(TRace{&race, kNone});
  }
  lastRace_ = static_cast<size_t>(r);
  return static_cast<uint16_t>(r);
}

TGroupStore::TEntry& TGroupStore::NewEntry(TPlayer& race, uint32_t planet, const TGroupKey& key,
                                           uint8_t flags, const TGroupRecord& record,
                                           const TDeferredRow& row) {
  if (dead_ > 8192 && dead_ * 2 > nodes_.size()) Compact();
  if (key.FromBattle) flags |= kFromBattle;
  if (key.Standing) flags |= kStanding;
  const auto i = static_cast<uint32_t>(nodes_.size());
  uint32_t e = static_cast<uint32_t>(entries_.size());
  if (freeEntries_.empty()) {
    entries_.push_back(TEntry{key, record, row, 0});
  } else {
    e = freeEntries_.back();
    freeEntries_.pop_back();
    entries_[e] = TEntry{key, record, row, 0};
    // The place the next group takes was left long ago: asked for now, it is at hand by then.
    if (!freeEntries_.empty()) PrefetchForWriting(&entries_[freeEntries_.back()], sizeof(TEntry));
  }
  nodes_.push_back(TNode{key.Turn, planet, 0, kNone, e, RaceOf(race), flags});
  Link(i);
  return entries_[e];
}

void TGroupStore::Link(uint32_t i) {
  TNode& node = nodes_[i];
  if (node.planet >= atPlanet_.size()) atPlanet_.resize(size_t{node.planet} + 1);
  std::vector<TAtPlanet>& atPlanet = atPlanet_[node.planet];
  node.slot = static_cast<uint32_t>(atPlanet.size());
  atPlanet.push_back(TAtPlanet{i, node.turn, node.race,
                               static_cast<uint8_t>(node.flags & (kFromBattle | kStanding))});
  node.nextOfRace = races_[node.race].newest;
  races_[node.race].newest = i;
}

void TGroupStore::Compact() {
  uint32_t out = 0;
  size_t firstDeferred = 0;
  for (uint32_t i = 0; i < nodes_.size(); ++i) {
    if (i == firstDeferred_) firstDeferred = out;
    if (nodes_[i].flags & kDead) continue;
    nodes_[out] = nodes_[i];
    ++out;
  }
  firstDeferred_ = firstDeferred_ >= nodes_.size() ? out : firstDeferred;
  nodes_.resize(out);
  dead_ = 0;
  for (std::vector<TAtPlanet>& atPlanet : atPlanet_) atPlanet.clear();
  for (TRace& race : races_) race.newest = kNone;
  for (uint32_t i = 0; i < out; ++i) Link(i);
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
  // The groups are in the order they were added.
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const TNode& node = nodes_[i];
    if (node.flags & kDead) continue;
    TPlayer& race = *races_[node.race].race;
    TEntry& entry = entries_[node.entry];
    race.Groups.push_back((node.flags & kObject) ? std::move(objects_[entry.object])
                                                 : MakeGroup(race, entry.key, entry.record));
  }
  std::vector<TNode>().swap(nodes_);
  std::vector<TEntry>().swap(entries_);
  freeEntries_.clear();
  atPlanet_.clear();
  races_.clear();
  objects_.clear();
  planets_ = TPlanetNumbers();
  lastRace_ = 0;
  dead_ = 0;
  deferred_ = 0;
  firstDeferred_ = 0;
  fleetNames_.resize(1);
}

void TGroupStore::Add(TPlayer& race, std::unique_ptr<TGroup> group) {
  const TGroupKey key = TGroupKey::Of(*group);
  TEntry& entry = NewEntry(race, planets_.NumberOf(key.Planet), key, kObject);
  entry.object = static_cast<uint32_t>(objects_.size());
  objects_.push_back(std::move(group));
}

void TGroupStore::Add(TPlayer& race, const TGroupKey& key, const TGroupRecord& record) {
  NewEntry(race, planets_.NumberOf(key.Planet), key, 0, record);
}

void TGroupStore::AddDeferred(TPlayer& race, uint32_t planetNumber, const TGroupKey& key,
                              const TGroupRecord& record, const TDeferredRow& row) {
  NewEntry(race, planetNumber, key, kDeferred, record, row);
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
  uint32_t& newest = races_[static_cast<size_t>(r)].newest;
  WalkChain(newest, &TNode::nextOfRace, [&](uint32_t i) { Kill(i); });
  newest = kNone;
}

}  // namespace tovix

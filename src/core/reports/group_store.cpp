#include "core/reports/group_store.h"

#include "core/model/arrival.h"

namespace tovix {

TGroupStore::TList* TGroupStore::Find(const TPlayer& race) {
  if (last_ < lists_.size() && lists_[last_].race == &race) return &lists_[last_];
  for (size_t i = 0; i < lists_.size(); ++i) {
    if (lists_[i].race == &race) {
      last_ = i;
      return &lists_[i];
    }
  }
  return nullptr;
}

const TGroupStore::TList* TGroupStore::Find(const TPlayer& race) const {
  for (const TList& list : lists_) {
    if (list.race == &race) return &list;
  }
  return nullptr;
}

TGroupStore::TList& TGroupStore::ListOf(TPlayer& race) {
  if (TList* list = Find(race)) return *list;
  last_ = lists_.size();
  return lists_.emplace_back(TList{&race, {}, {}});
}

void TGroupStore::TakeFromModel(GameState& state) {
  for (auto [key, race] : state.Players) {
    if (!race || race->Groups.empty()) continue;
    TList& list = ListOf(*race);
    for (auto& group : race->Groups) {
      list.keys.push_back(TGroupKey::Of(*group));
      list.groups.push_back(TGroupData{{}, std::move(group)});
    }
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
  for (TList& list : lists_) {
    auto& groups = list.race->Groups;
    groups.reserve(groups.size() + list.groups.size());
    for (size_t i = 0; i < list.groups.size(); ++i) {
      TGroupData& data = list.groups[i];
      groups.push_back(data.group ? std::move(data.group)
                                  : MakeGroup(*list.race, list.keys[i], data.record));
    }
    // Each list goes as soon as its groups are made, so that the records and the groups made
    // of them are not all held at once.
    std::vector<TGroupKey>().swap(list.keys);
    std::vector<TGroupData>().swap(list.groups);
  }
  lists_.clear();
  last_ = 0;
  fleetNames_.resize(1);
}

void TGroupStore::Add(TPlayer& race, std::unique_ptr<TGroup> group) {
  TList& list = ListOf(race);
  list.keys.push_back(TGroupKey::Of(*group));
  list.groups.push_back(TGroupData{{}, std::move(group)});
}

void TGroupStore::Add(TPlayer& race, const TGroupKey& key, const TGroupRecord& record) {
  TList& list = ListOf(race);
  list.keys.push_back(key);
  list.groups.push_back(TGroupData{record, nullptr});
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
  if (TList* list = Find(race)) {
    list->keys.clear();
    list->groups.clear();
  }
}

}  // namespace tovix

#include "expressions/group_filter.h"

#include <algorithm>
#include <unordered_set>

#include "core/model/arrival.h"
#include "core/text/str_utils.h"

namespace tovix {

TGroupFilter::TGroupFilter(const GameState& state) : state_(state) {
  BeginUpdate();
  // The model's lists are ordered by hash; the user reads the races and designs by name.
  for (auto [key, race] : state.Players) {
    if (race->Groups.empty()) continue;
    players_.push_back({race, race == state.MainPlayer});
  }
  std::stable_sort(players_.begin(), players_.end(), [](const auto& a, const auto& b) {
    return CompareText(a.Player->Name, b.Player->Name) < 0;
  });
  for (size_t i = 0; i < players_.size(); ++i) {
    std::vector<TShipType*> types;
    for (auto [name, type] : players_[i].Player->ShipTypes) types.push_back(type);
    std::stable_sort(types.begin(), types.end(), [](const TShipType* a, const TShipType* b) {
      return CompareText(a->Name, b->Name) < 0;
    });
    for (TShipType* type : types) shipTypes_.push_back({type, true, static_cast<int>(i)});
  }
  EndUpdate();
}

void TGroupFilter::SetPlayerChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(players_.size())) return;
  if (players_[index].Checked == checked) return;
  players_[index].Checked = checked;
  playersChanged_ = true;
  BeginUpdate();
  EndUpdate();
}

void TGroupFilter::SetShipTypeChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(shipTypes_.size())) return;
  if (shipTypes_[index].Checked == checked) return;
  shipTypes_[index].Checked = checked;
  shipTypesChanged_ = true;
  BeginUpdate();
  EndUpdate();
}

void TGroupFilter::EndUpdate() {
  if (updates_ > 0 && --updates_ > 0) return;
  if (playersChanged_) {
    playersChanged_ = false;
    if (OnPlayersChanged) OnPlayersChanged();
  }
  if (shipTypesChanged_) {
    shipTypesChanged_ = false;
    if (OnShipTypesChanged) OnShipTypesChanged();
  }
}

bool TGroupFilter::Matches(const TGroup& group) const {
  if (!Count.Holds(group.Ships)) return false;
  if (ThisTurnOnly && group.Turn != state_.LastTurn) return false;
  int player = -1;
  for (size_t i = 0; i < players_.size(); ++i)
    if (players_[i].Player == group.Owner) player = static_cast<int>(i);
  if (player < 0 || !players_[player].Checked) return false;
  const TShipType* type = group.ShipType;
  if (UseShipTypes) {
    bool found = false;
    for (const TFilterShipType& s : shipTypes_)
      if (s.PlayerIndex == player && s.ShipType == type) found = s.Checked;
    if (!found) return false;
  } else {
    if (type == nullptr) return false;
    if (!Options.Drive.Holds(type->Drive) || !Options.Attacks.Holds(type->Attacks) ||
        !Options.Weapons.Holds(type->Weapons) || !Options.Shields.Holds(type->Shields) ||
        !Options.Mass.Holds(type->Mass()))
      return false;
  }
  if (UseArriving) {
    const double speed = group.SpeedWithLoad();
    // A group that cannot move keeps its match.
    if (speed > 0 && TurnsToArrive(group.Distance, speed) != ArrivalTurns) return false;
  }
  return true;
}

void TGroupFilter::CollectPlanets() {
  GroupPlanets.clear();
  std::unordered_set<const TPlanet*> held;
  for (const TFilterPlayer& p : players_) {
    if (!p.Checked) continue;
    for (const auto& g : p.Player->Groups)
      if (g->Planet != nullptr && Matches(*g) && held.insert(g->Planet).second)
        GroupPlanets.push_back(g->Planet);
  }
}

}  // namespace tovix

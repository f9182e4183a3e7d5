#pragma once
// The group filter: the planets where groups of chosen races stand (or fly to) that pass chosen
// designs or design limits, optionally only groups seen in the last turn, or only those arriving
// in a given number of turns.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

struct TFilterPlayer {
  TPlayer* Player = nullptr;
  bool Checked = false;
};

struct TFilterShipType {
  TShipType* ShipType = nullptr;
  bool Checked = true;
  int PlayerIndex = 0;  // its entry in Players
};

// An inclusive range whose ends each count only when enabled.
struct TFilterRange {
  bool MinOn = false;
  bool MaxOn = false;
  double Min = 0;
  double Max = 0;
  bool Holds(double v) const { return (!MinOn || v >= Min) && (!MaxOn || v <= Max); }
};

// Limits on a design: drive, weapons and shields mass, number of attacks, total mass.
struct TFilterShipOption {
  TFilterRange Drive, Attacks, Weapons, Shields, Mass;
};

class TGroupFilter {
 public:
  // One player entry per race with at least one group, by name without regard to case (the
  // user's race checked); one ship-type entry per design of each such race, by name.
  explicit TGroupFilter(const GameState& state);

  std::string Name;
  const std::vector<TFilterPlayer>& Players() const { return players_; }
  const std::vector<TFilterShipType>& ShipTypes() const { return shipTypes_; }
  TFilterShipOption Options;
  bool ThisTurnOnly = true;
  bool UseShipTypes = true;  // false: the design limits in Options
  TFilterRange Count;        // ships in the group, inclusive
  bool UseArriving = false;
  int32_t ArrivalTurns = 0;  // 0..9; 0 means "at the planet"

  // Changing a check fires the matching event, or, while an update is under way, once when the
  // last update ends.
  std::function<void()> OnPlayersChanged;
  std::function<void()> OnShipTypesChanged;
  void SetPlayerChecked(int index, bool checked);
  void SetShipTypeChecked(int index, bool checked);
  void BeginUpdate() { ++updates_; }
  void EndUpdate();

  bool Matches(const TGroup& group) const;
  // GroupPlanets := the planets of the matching groups of the checked races, each once, in the
  // order first found.
  void CollectPlanets();
  std::vector<TPlanet*> GroupPlanets;

 private:
  const GameState& state_;
  std::vector<TFilterPlayer> players_;
  std::vector<TFilterShipType> shipTypes_;
  int updates_ = 0;
  bool playersChanged_ = false;
  bool shipTypesChanged_ = false;
};

}  // namespace tovix

#include "views/battle_sim_rows.h"

#include "core/model/game_model.h"
#include "core/text/numbers.h"
#include "orders/battle_engine.h"

namespace tovix {

const char* const kBattleGridCaptions[kBattleGridColumns] = {
    "#", "Owner", "Name", "Attacks", "Eff Weapon", "Eff Shield", "Eff Cargo", "Load", "Mass"};

std::vector<std::string> BattleGridRow(const TGroup& group, bool attacker) {
  // The figures the simulation uses, so that the grid shows what will fight.
  const TBatGroup fighting = MakeBatGroup(group, group.Load);
  std::string owner = group.Owner ? group.Owner->Name : (attacker ? "Attacker" : "Defender");
  return {std::to_string(group.Ships),
          std::move(owner),
          fighting.Name,
          std::to_string(fighting.Attacks),
          Fmt("%05.2f", fighting.EffWeapons),
          Fmt("%05.2f", fighting.EffShields),
          Fmt("%05.2f", group.CargoCapacity()),
          Fmt("%05.2f", group.Load),
          Fmt("%05.2f", fighting.Mass)};
}

std::string LoadDefaultText(const TGroup& group) {
  return Fmt("%5.2f", group.CargoCapacity());
}

std::optional<float> ParseShipLoad(std::string_view text, float capacity) {
  double value = 0;
  if (!TryParseFloat(text, value)) value = 0;
  if (value < 0 || value > capacity) return std::nullopt;
  return static_cast<float>(value);
}

std::string NoWeaponsWarning(const TGroup& group) {
  if (!group.ShipType || group.ShipType->Attacks <= 0 || group.EffectiveWeapons() > 0) return {};
  return Fmt(
      "The weapons of %s (%d ships) are unknown or 0: its shots will never destroy a ship in "
      "the simulation.",
      group.ShipType->Name, group.Ships);
}

}  // namespace tovix

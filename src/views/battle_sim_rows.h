#pragma once
// What the battle simulator's window shows of its groups: the cells of the two grids, the
// "Load" input's default and check, and the warning for a group whose shots cannot kill.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

class TGroup;

inline constexpr int kBattleGridColumns = 9;
extern const char* const kBattleGridCaptions[kBattleGridColumns];

// The cells of one group's row: ships, owner ("Defender" / "Attacker" without one), ship type,
// attacks, then "%05.2f" of effective weapons, effective shields with the group's load, cargo
// capacity, load and the mass of one ship with its load.
std::vector<std::string> BattleGridRow(const TGroup& group, bool attacker);

// The text the "Load" input starts with: the cargo capacity, "%5.2f".
std::string LoadDefaultText(const TGroup& group);
// The load typed for a group of cargo capacity `capacity`: text that is no number counts as 0;
// no value when it lies outside 0 .. capacity.
std::optional<float> ParseShipLoad(std::string_view text, float capacity);

// The warning shown when a group with attacks whose weapons are 0 or below (an unknown weapons
// level) joins a side; empty for any other group.
std::string NoWeaponsWarning(const TGroup& group);

}  // namespace tovix

#pragma once
// Standard ships, without Qt: a design generated from a mass budget (productivity × turns) by
// three fixed splitting schemes (drive share, weapons rule, shields share), named by a code
// such as "AM12_10", and the ready-made extra designs.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovix {

// The three option lists (radio groups of the standard-ship window).
enum class TStdShipOption : int { Speed = 0, Weapons = 1, Shields = 2 };
inline constexpr int kStdShipOptionCount = 3;
inline constexpr TStdShipOption kStdShipOptions[kStdShipOptionCount] = {
    TStdShipOption::Speed, TStdShipOption::Weapons, TStdShipOption::Shields};

// The list's caption ("&Speed:", "&Weapons:", "S&hields"), its item texts and default item.
const char* StdShipOptionCaption(TStdShipOption option);
const std::vector<std::string>& StdShipOptionItems(TStdShipOption option);
int StdShipOptionDefault(TStdShipOption option);

struct TStdShipChoices {
  std::array<int, kStdShipOptionCount> Items = {1, 0, 4};
  bool UseOneCargo = false;

  int Item(TStdShipOption option) const { return Items[static_cast<size_t>(option)]; }
  // An item outside the list is ignored (returns false).
  bool SetItem(TStdShipOption option, int item);
};

struct TStdShip {
  std::string Name;  // "AM12_10"
  // The texts the designer's edits receive: drive ("0" without drive), attacks, weapons,
  // shields, cargo ("1" or "0").
  std::string Drive, Attacks, Weapons, Shields, Cargo;
  // The same read back.
  float DriveValue = 0;
  int32_t AttacksValue = 0;
  float WeaponsValue = 0;
  float ShieldsValue = 0;
  float CargoValue = 0;
  // "D AM12_10 5.00 1 2.50 2.50 0 ; 1 turns to build"
  std::string Line;
};

// The design for `productivity` × `turns` (truncated: the mass budget); nothing below 3.
// One cargo unit is used with UseOneCargo when the budget is above 5. The mass of n attacks
// of weapons w is w × (n + 1) / 2, as the game counts it, so the design never outweighs its
// budget by more than the 2-decimal rounding of its shields. A rest too small for one weapon
// of at least 1 gives no weapons (its mass goes to the shields).
std::optional<TStdShip> GenerateStandardShip(double productivity, int turns,
                                             const TStdShipChoices& choices);

// The extra designs the window offers when its list is empty.
inline constexpr int kExtraDesignCount = 8;
extern const char* const kExtraDesigns[kExtraDesignCount];

}  // namespace tovix

#include "orders/standard_ship.h"

#include <algorithm>
#include <cmath>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

// The shares are single-precision, as the schemes have always been computed.
struct TSpeedScheme {
  float Share;
  const char* Letter;
};
constexpr TSpeedScheme kSpeed[] = {{2.0f / 3, "Q"}, {1.0f / 2, "A"},  {5.0f / 12, "B"},
                                   {1.0f / 3, "D"}, {7.0f / 24, "C"}, {1.0f / 4, "S"},
                                   {0.0f, "F"}};

struct TWeaponsScheme {
  int Attacks;  // fixed attack count, or 0
  int Weapons;  // fixed weapons value per attack, or 0
  const char* Code;
};
constexpr TWeaponsScheme kWeapons[] = {{1, 0, "M"},   {5, 0, "Sa"},  {10, 0, "Sb"}, {15, 0, "Sc"},
                                       {20, 0, "Sd"}, {25, 0, "Se"}, {0, 1, "T"},   {0, 4, "Qa"},
                                       {0, 8, "Qb"},  {0, 12, "Qc"}, {0, 16, "Qd"}, {0, 20, "Qe"}};

struct TShieldsScheme {
  float Share;
  const char* Code;
};
constexpr TShieldsScheme kShields[] = {{5.0f / 6, "56_"}, {4.0f / 5, "45_"},   {3.0f / 4, "34_"},
                                       {2.0f / 3, "23_"}, {1.0f / 2, "12_"},   {5.0f / 12, "512_"},
                                       {1.0f / 3, "13_"}, {7.0f / 24, "724_"}, {1.0f / 4, "14_"},
                                       {1.0f / 5, "15_"}, {1.0f / 6, "16_"},   {1.0f / 7, "17_"},
                                       {1.0f / 8, "18_"}, {0.0f, "00_"}};

const std::vector<std::string> kSpeedItems = {"2/3 mass (Q)", "1/2 mass (A)",  "5/12 mass (B)",
                                              "1/3 mass (D)", "7/24 mass (C)", "1/4 mass (S)",
                                              "0 mass (F)"};
const std::vector<std::string> kWeaponsItems = {"Main Gun (M) (1 attack)",
                                                "Secundairy Gun a (Sa) (  5 attacks)",
                                                "Secundairy Gun b (Sb) (10 attacks)",
                                                "Secundairy Gun c (Sc) (15 attacks)",
                                                "Secundairy Gun d (Sd) (20 attacks)",
                                                "Secundairy Gun e (Se) (25 attacks)",
                                                "Tertaire Gun (T) (1 Weapons)",
                                                "Quartaire Gun a (Qa) (  4 weapons)",
                                                "Quartaire Gun b (Qb) (  8 weapons)",
                                                "Quartaire Gun c (Qc) (12 weapons)",
                                                "Quartaire Gun d (Qd) (16 weapons)",
                                                "Quartaire Gun e (Qe) (20 weapons)"};
const std::vector<std::string> kShieldsItems = {
    "5/6 of total mass - speed mass (56)", "4/5 of total mass - speed mass (45)",
    "3/4 of total mass - speed mass (34)", "2/3 of total mass - speed mass (23)",
    "1/2 of total mass - speed mass (12)", "5/12 of total mass - speed mass (512)",
    "1/3 of total mass - speed mass (13)", "7/24 of total mass - speed mass (724)",
    "1/4 of total mass - speed mass (14)", "1/5 of total mass - speed mass (15)",
    "1/6 of total mass - speed mass (16)", "1/7 of total mass - speed mass (17)",
    "1/8 of total mass - speed mass (18)", "0 of total mass - speed mass (00)"};

// The mass of n attacks weighs (n + 1) / 2 times one weapon.
double AttackMass(int n) {
  return (n + 1) / 2.0;
}

// "%4.2f", and the value the text stands for.
std::string TwoDecimals(double value, double& readBack) {
  const std::string text = Fmt("%4.2f", value);
  readBack = StrToFloatDef(text, 0);
  return text;
}

}  // namespace

const char* const kExtraDesigns[kExtraDesignCount] = {
    "D c24 18.57 0 0.00 0.00 6.18 ; small carrier (10)",
    "D ac 71.98 0 0.00 0.00 27.02 ; big carrier (100)",
    "D c2 1 0 0.00 0.00 1 ; very small carrier (1.1)",
    "D c3 2 0 0.00 0.00 1 ; very small carrier (1.1)",
    "D c4 3 0 0.00 0.00 1 ; very small carrier (1.1)",
    "D c5 4 0 0.00 0.00 1 ; very small carrier (1.1)",
    "D drone 1 0 0 0 0",
    "D dk 1 1 1 0 0"};

const char* StdShipOptionCaption(TStdShipOption option) {
  switch (option) {
    case TStdShipOption::Speed:
      return "&Speed:";
    case TStdShipOption::Weapons:
      return "&Weapons:";
    case TStdShipOption::Shields:
      return "S&hields";
  }
  return "";
}

const std::vector<std::string>& StdShipOptionItems(TStdShipOption option) {
  switch (option) {
    case TStdShipOption::Speed:
      return kSpeedItems;
    case TStdShipOption::Weapons:
      return kWeaponsItems;
    case TStdShipOption::Shields:
      break;
  }
  return kShieldsItems;
}

int StdShipOptionDefault(TStdShipOption option) {
  return TStdShipChoices{}.Item(option);
}

bool TStdShipChoices::SetItem(TStdShipOption option, int item) {
  if (item < 0 || item >= static_cast<int>(StdShipOptionItems(option).size())) return false;
  Items[static_cast<size_t>(option)] = item;
  return true;
}

std::optional<TStdShip> GenerateStandardShip(double productivity, int turns,
                                             const TStdShipChoices& choices) {
  const TSpeedScheme& speed = kSpeed[choices.Item(TStdShipOption::Speed)];
  const TWeaponsScheme& weapons = kWeapons[choices.Item(TStdShipOption::Weapons)];
  const TShieldsScheme& shields = kShields[choices.Item(TStdShipOption::Shields)];

  const double budget = productivity * turns;
  if (!(budget >= 3)) return std::nullopt;
  double mass = TruncToInt(std::min(budget, 1e9));
  const bool cargo = choices.UseOneCargo && mass > 5;

  double rest = mass - mass * speed.Share;
  const double drive = mass - rest;
  if (cargo) {
    rest -= 1;
    mass -= 1;
  }
  rest -= rest * shields.Share;

  int attacks = 0;
  double weapon = 0;
  if (weapons.Attacks > 0) {
    attacks = weapons.Attacks;
    while (attacks > 0 && rest / AttackMass(attacks) < 1) --attacks;
  } else if (rest >= 1) {
    attacks = std::max(1, 2 * TruncToInt(rest / weapons.Weapons) - 1);
  }
  if (attacks > 0) weapon = rest / AttackMass(attacks);

  TStdShip ship;
  double driveValue = 0;
  ship.Drive = drive > 0 ? TwoDecimals(drive, driveValue) : "0";
  ship.Attacks = std::to_string(attacks);
  double weaponValue = 0;
  ship.Weapons = TwoDecimals(weapon, weaponValue);
  double shieldsValue = mass - driveValue - AttackMass(attacks) * weaponValue;
  if (shieldsValue < 0 && attacks > 0) {
    // The rounded weapons outweigh what is left: round them down instead.
    weaponValue = std::floor((mass - driveValue) / AttackMass(attacks) * 100 + 1e-9) / 100;
    ship.Weapons = TwoDecimals(weaponValue, weaponValue);
    shieldsValue = mass - driveValue - AttackMass(attacks) * weaponValue;
  }
  // A scheme without shields leaves only the rounding's residue: no shields, not a sliver
  // the game would refuse.
  if (shields.Share == 0 && attacks > 0 && shieldsValue < 1) shieldsValue = 0;
  ship.Shields = TwoDecimals(std::max(shieldsValue, 0.0), shieldsValue);
  ship.Cargo = cargo ? "1" : "0";

  ship.DriveValue = static_cast<float>(driveValue);
  ship.AttacksValue = attacks;
  ship.WeaponsValue = static_cast<float>(weaponValue);
  ship.ShieldsValue = static_cast<float>(shieldsValue);
  ship.CargoValue = cargo ? 1.0f : 0.0f;

  const double total = AttackMass(attacks) * weaponValue + driveValue + shieldsValue;
  ship.Name = RemoveChar(std::string(speed.Letter) + weapons.Code + shields.Code +
                             Fmt("%4.0f", total) + (cargo ? "c" : ""),
                         ' ');
  ship.Line = "D " + ship.Name + " " + ship.Drive + " " + ship.Attacks + " " + ship.Weapons + " " +
              ship.Shields + " " + ship.Cargo + " ; " + std::to_string(turns) + " turns to build";
  return ship;
}

}  // namespace tovix

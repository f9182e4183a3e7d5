#pragma once
// What the ship designer computes and writes, without Qt: the nine values of a design as the
// user types them, the figures of the design empty and fully loaded (through the model's own
// formulas, so they are the figures the reports print), the "D" order line, the group handed to
// the battle simulator, and the cargo use of an own design.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_model.h"
#include "core/model/game_state.h"
#include "core/settings/game_types.h"
#include "core/settings/save_state.h"

namespace tovix {

// The designer's nine edit boxes, in their order.
enum TDesignField : int {
  dfDrive,
  dfAttacks,
  dfWeapons,
  dfShields,
  dfCargo,
  dfDriveTech,
  dfWeaponsTech,
  dfShieldsTech,
  dfCargoTech,
};
inline constexpr int kDesignFieldCount = 9;
// "Drive", "Attacks", ..., "Cargo technology": the names messages use.
const char* DesignFieldName(int field);

using TDesignTexts = std::array<std::string, kDesignFieldCount>;

struct TDesignValues {
  float Drive = 0;
  int32_t Attacks = 0;
  float Weapons = 0;
  float Shields = 0;
  float Cargo = 0;
  float DriveTech = 1;
  float WeaponsTech = 1;
  float ShieldsTech = 1;
  float CargoTech = 1;
};

// The texts read as numbers (attacks as a whole number). The first text that is none is named
// in `Error` ("Drive: \"1,5\" is not a number."), and the values are then not to be used.
struct TDesignRead {
  TDesignValues Values;
  int BadField = -1;
  std::string Error;
  bool Ok() const { return BadField < 0; }
};
TDesignRead ReadDesignTexts(const TDesignTexts& texts);

// The keys the edit boxes take: digits, "." and backspace (a "," would not read as a number).
bool DesignKeyAccepted(char key);

// The game takes a drive, weapons, shields or cargo value of 0 or at least 1; these are the
// fields whose value lies strictly between.
bool BetweenZeroAndOne(double value);
std::vector<int> FieldsBetweenZeroAndOne(const TDesignValues& values);
// The question asked before a D line with such values is written.
std::string BetweenZeroAndOneQuestion(const std::vector<int>& fields, const TDesignValues& values);

// One row of figures: speed, effective weapons, effective shields, cargo, mass.
struct TDesignFigures {
  float Speed = 0;
  float Weapons = 0;
  float Shields = 0;
  float Cargo = 0;
  float Mass = 0;
};
// "Normal:" is the empty ship with its cargo value; "Loaded:" carries its full capacity, which
// weighs capacity / cargo technology (mass, speed and shields alike).
struct TDesignRows {
  TDesignFigures Normal;
  TDesignFigures Loaded;
};
TDesignRows DesignFigures(const TDesignValues& values, TGameType gameType);
// The five cells of a row, "%5.2f" each.
std::array<std::string, 5> FigureTexts(const TDesignFigures& row);

// The edit texts of a design with its owner's latest technology ("%5.2f", attacks "%3d");
// technology 1 without an owner.
TDesignTexts DesignTextsOf(const TShipType& type, const TPlayer* owner);

// "D name drive attacks weapons shields cargo" from the trimmed name and texts.
std::string DesignOrderLine(std::string_view name, const TDesignTexts& texts);

// `ships` ships of the design for the battle simulator, with the design's technology, load 0;
// the group owns its copy of the design, named `name`. `owner` may be nullptr.
std::unique_ptr<TGroup> DesignGroup(const std::string& name, const TDesignValues& values,
                                    int32_t ships, TPlayer* owner, TGameType gameType);

// The cargo uses in the order of their values: "Do not  use" (two blanks), "COL", "CAP",
// "Stationary", "COL First then CAP", "CAP First then COL".
inline constexpr int kCargoUseCount = 6;
extern const char* const kCargoUseNames[kCargoUseCount];
// The store's key of a design's cargo use: "Shiptype_" + the name, where "%", "=", CR, LF and
// blanks and control characters at the end of the name (which the store's keys cannot hold, or
// would lose) are written as "%" and two hexadecimal digits. Other names keep the key they
// always had.
std::string CargoUseKey(std::string_view name);
// Keeps the cargo use of an own design in the store (section "TfrmShipDesign", its
// CargoUseKey) and sets it on the design at once, so the next plan uses it.
void StoreCargoUse(TznSaveState& store, TShipType& type, TCargoUse use);
// The cargo use stored for a design, 0 (none) when there is none; a name with "%" is also found
// under the key of older versions, which held the name as it was, unless the store takes that
// key for the escaped key of another name (then it is that name's).
int32_t StoredCargoUse(const TznSaveState& store, std::string_view name);

// The races that have designs, by name; a race's designs by name.
std::vector<TPlayer*> PlayersWithShipTypes(const GameState& state);
std::vector<TShipType*> ShipTypesByName(const TPlayer& player);

}  // namespace tovix

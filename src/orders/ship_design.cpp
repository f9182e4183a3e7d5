#include "orders/ship_design.h"

#include <algorithm>
#include <limits>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr const char* kFieldNames[kDesignFieldCount] = {"Drive",
                                                        "Attacks",
                                                        "Weapons",
                                                        "Shields",
                                                        "Cargo",
                                                        "Drive technology",
                                                        "Weapons technology",
                                                        "Shields technology",
                                                        "Cargo technology"};

constexpr const char* kCargoUseSection = "TfrmShipDesign";
constexpr std::string_view kCargoUsePrefix = "Shiptype_";

constexpr int kGameRuleFields[] = {dfDrive, dfWeapons, dfShields, dfCargo};

float ValueOf(const TDesignValues& v, int field) {
  switch (field) {
    case dfDrive:
      return v.Drive;
    case dfWeapons:
      return v.Weapons;
    case dfShields:
      return v.Shields;
    case dfCargo:
      return v.Cargo;
    default:
      return 0;
  }
}

// The numbers a D line's reader takes as the box shows them: digits, and for a value that is
// not a count one "." among them (blanks around go). A hexadecimal "0x10" or "$10" would read
// as 16 here and as 0 on the server, an exponent not at all.
bool IsDecimalText(std::string_view text, bool whole) {
  const std::string_view s = TrimView(text);
  int digits = 0, points = 0;
  for (const char c : s) {
    if (c >= '0' && c <= '9')
      ++digits;
    else if (c == '.' && !whole)
      ++points;
    else
      return false;
  }
  return digits > 0 && points <= 1;
}

// What the store drops from the end of a key: blanks and control characters.
bool StoreTrims(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// Whether the key an older version wrote for `name` ("Shiptype_" + the name as it was) is, as
// the store compares keys (without letter case, without what it drops at the end), the escaped
// key of another name: each "%" of what the store kept starts an escape (in either case), and
// the name they spell has a key the store takes for this one.
bool OlderKeyOfAnotherName(std::string_view name) {
  size_t end = name.size();
  while (end > 0 && StoreTrims(name[end - 1])) --end;
  const std::string_view kept = name.substr(0, end);
  std::string decoded;
  for (size_t i = 0; i < kept.size(); ++i) {
    if (kept[i] != '%') {
      decoded += kept[i];
      continue;
    }
    if (i + 2 >= kept.size()) return false;
    const int high = HexDigitValue(static_cast<unsigned char>(kept[i + 1]));
    const int low = HexDigitValue(static_cast<unsigned char>(kept[i + 2]));
    if (high < 0 || low < 0) return false;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return SameText(CargoUseKey(decoded).substr(kCargoUsePrefix.size()), kept);
}

}  // namespace

const char* const kCargoUseNames[kCargoUseCount] = {
    "Do not  use", "COL", "CAP", "Stationary", "COL First then CAP", "CAP First then COL"};

const char* DesignFieldName(int field) {
  return field >= 0 && field < kDesignFieldCount ? kFieldNames[field] : "";
}

TDesignRead ReadDesignTexts(const TDesignTexts& texts) {
  TDesignRead read;
  float* const floats[kDesignFieldCount] = {&read.Values.Drive,       nullptr,
                                            &read.Values.Weapons,     &read.Values.Shields,
                                            &read.Values.Cargo,       &read.Values.DriveTech,
                                            &read.Values.WeaponsTech, &read.Values.ShieldsTech,
                                            &read.Values.CargoTech};
  for (int field = 0; field < kDesignFieldCount; ++field) {
    const std::string& text = texts[static_cast<size_t>(field)];
    bool ok;
    if (field == dfAttacks) {
      int32_t attacks = 0;
      ok = IsDecimalText(text, true) && TryParseInt(text, attacks);
      read.Values.Attacks = attacks;
    } else {
      double value = 0;
      ok = IsDecimalText(text, false) && TryParseFloat(text, value) && value < 1e30;
      *floats[field] = static_cast<float>(value);
    }
    if (!ok) {
      read.BadField = field;
      read.Error = std::string(kFieldNames[field]) + ": \"" + Trim(text) + "\" is not " +
                   (field == dfAttacks ? "a whole number." : "a number.");
      return read;
    }
  }
  return read;
}

bool DesignKeyAccepted(char key) {
  return (key >= '0' && key <= '9') || key == '.' || key == '\b';
}

bool BetweenZeroAndOne(double value) {
  return value > 0 && value < 1;
}

std::vector<int> FieldsBetweenZeroAndOne(const TDesignValues& values) {
  std::vector<int> fields;
  for (int field : kGameRuleFields)
    if (BetweenZeroAndOne(ValueOf(values, field))) fields.push_back(field);
  return fields;
}

std::string BetweenZeroAndOneQuestion(const std::vector<int>& fields, const TDesignValues& values) {
  std::string list;
  for (int field : fields) {
    if (!list.empty()) list += ", ";
    list += std::string(kFieldNames[field]) + " " + Fmt("%4.2f", ValueOf(values, field));
  }
  return "The game takes 0 or at least 1 for drive, weapons, shields and cargo, and refuses "
         "this design:\r" +
         list + ".\rWrite it anyway?";
}

TDesignRows DesignFigures(const TDesignValues& values, TGameType gameType) {
  const std::unique_ptr<TGroup> group = DesignGroup("", values, 1, nullptr, gameType);
  TDesignRows rows;
  rows.Normal.Speed = group->Speed();
  rows.Normal.Weapons = group->EffectiveWeapons();
  rows.Normal.Shields = group->EffectiveShields();
  rows.Normal.Cargo = values.Cargo;
  rows.Normal.Mass = group->ShipType->Mass();

  const float capacity = group->CargoCapacity();
  rows.Loaded.Speed = group->SpeedFullLoad();
  rows.Loaded.Weapons = rows.Normal.Weapons;
  rows.Loaded.Shields = group->EffectiveShieldsFullLoad();
  rows.Loaded.Cargo = capacity;
  // The load weighs capacity / cargo technology, as the loaded speed and shields count it.
  rows.Loaded.Mass =
      capacity > 0 && values.CargoTech > 0
          ? static_cast<float>(double{rows.Normal.Mass} + capacity / values.CargoTech)
          : rows.Normal.Mass;
  return rows;
}

std::array<std::string, 5> FigureTexts(const TDesignFigures& row) {
  return {Fmt("%5.2f", row.Speed), Fmt("%5.2f", row.Weapons), Fmt("%5.2f", row.Shields),
          Fmt("%5.2f", row.Cargo), Fmt("%5.2f", row.Mass)};
}

TDesignTexts DesignTextsOf(const TShipType& type, const TPlayer* owner) {
  const auto tech = [owner](float (TPlayer::*get)(int32_t) const) {
    return Fmt("%5.2f", owner ? (owner->*get)(-1) : 1.0f);
  };
  return {Fmt("%5.2f", type.Drive),   Fmt("%3d", type.Attacks),   Fmt("%5.2f", type.Weapons),
          Fmt("%5.2f", type.Shields), Fmt("%5.2f", type.Cargo),   tech(&TPlayer::GetDrive),
          tech(&TPlayer::GetWeapons), tech(&TPlayer::GetShields), tech(&TPlayer::GetCargo)};
}

std::string DesignOrderLine(std::string_view name, const TDesignTexts& texts) {
  std::string line = "D " + Trim(name);
  for (int field = dfDrive; field <= dfCargo; ++field)
    line += " " + Trim(texts[static_cast<size_t>(field)]);
  return line;
}

std::unique_ptr<TGroup> DesignGroup(const std::string& name, const TDesignValues& values,
                                    int32_t ships, TPlayer* owner, TGameType gameType) {
  TShipType type(name, gameType);
  type.Drive = values.Drive;
  type.Attacks = values.Attacks;
  type.Weapons = values.Weapons;
  type.Shields = values.Shields;
  type.Cargo = values.Cargo;
  TGroup group;
  group.ShipType = &type;
  group.Owner = owner;
  group.DriveTech = values.DriveTech;
  group.WeaponsTech = values.WeaponsTech;
  group.ShieldsTech = values.ShieldsTech;
  group.CargoTech = values.CargoTech;
  group.Ships = ships;
  group.BattleShips = ships;
  // The clone owns its copy of the design.
  return group.Clone();
}

std::string CargoUseKey(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  size_t end = name.size();
  while (end > 0 && StoreTrims(name[end - 1])) --end;
  std::string key(kCargoUsePrefix);
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c == '%' || c == '=' || c == '\r' || c == '\n' || i >= end) {
      key += '%';
      key += kHex[c >> 4];
      key += kHex[c & 15];
    } else {
      key += static_cast<char>(c);
    }
  }
  return key;
}

void StoreCargoUse(TznSaveState& store, TShipType& type, TCargoUse use) {
  type.CargoUse = use;
  store.WriteInteger(kCargoUseSection, CargoUseKey(type.Name), static_cast<int32_t>(use));
}

int32_t StoredCargoUse(const TznSaveState& store, std::string_view name) {
  constexpr int32_t kNone = std::numeric_limits<int32_t>::min();
  int32_t use = store.ReadInteger(kCargoUseSection, CargoUseKey(name), kNone);
  // Older versions wrote the name as it was. Their key is taken for a name with "%" (the only
  // names whose key changed and that a key could hold) unless the store takes it for the escaped
  // key of another name: neither "a%3Db" nor "a%3db" reads the use stored for "a=b", nor "%20 "
  // (whose older key lost its blank) the use of " ".
  if (use == kNone && name.find('%') != std::string_view::npos && !OlderKeyOfAnotherName(name))
    use = store.ReadInteger(kCargoUseSection, std::string(kCargoUsePrefix).append(name), kNone);
  return use == kNone ? 0 : use;
}

std::vector<TPlayer*> PlayersWithShipTypes(const GameState& state) {
  std::vector<TPlayer*> players;
  for (auto [key, player] : state.Players)
    if (player && player->ShipTypes.Count() > 0) players.push_back(player);
  std::stable_sort(players.begin(), players.end(), [](const TPlayer* a, const TPlayer* b) {
    return CompareText(a->Name, b->Name) < 0;
  });
  return players;
}

std::vector<TShipType*> ShipTypesByName(const TPlayer& player) {
  std::vector<TShipType*> types;
  for (auto [key, type] : player.ShipTypes)
    if (type) types.push_back(type);
  std::stable_sort(types.begin(), types.end(), [](const TShipType* a, const TShipType* b) {
    return CompareText(a->Name, b->Name) < 0;
  });
  return types;
}

}  // namespace tovix

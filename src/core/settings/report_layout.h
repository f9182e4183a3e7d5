#pragma once
// The report layout: section titles, header patterns and the word positions of every column the
// report reader uses. The member initialisers are the layout most variants share;
// SetReportLayout applies the changes of the variants whose reports look different.
//
// Word indexes count the words of a line from 0; a negative index counts from the end (-1 is the
// last word). kNoWord marks a column a variant does not have.

#include <cstdint>
#include <limits>
#include <string>

#include "core/settings/game_types.h"

namespace tovix {

// A column that is absent from the report (never a valid word index, negative ones included).
inline constexpr int32_t kNoWord = std::numeric_limits<int32_t>::min();
inline constexpr bool HasWord(int32_t index) {
  return index != kNoWord;
}

struct TStatusColumns {
  int32_t Name = 0;
  int32_t Drive = 1;
  int32_t Weapons = 2;
  int32_t Shields = 3;
  int32_t Cargo = 4;
  int32_t Population = 5;
  int32_t Industry = 6;
  int32_t Planets = 7;
  int32_t Relation = 8;

  bool operator==(const TStatusColumns&) const = default;
};

// The own planets table and the other races' planet tables share this shape. Number is the
// planet-number column of "Galaxy PLUS" tables.
struct TPlanetColumns {
  int32_t Number = kNoWord;
  int32_t Name = 0;
  int32_t X = 1;
  int32_t Y = 2;
  int32_t Size = 3;
  int32_t Population = 4;
  int32_t Industry = 5;
  int32_t Resources = 6;
  int32_t Production = 7;
  int32_t CAP = 8;
  int32_t MAT = 9;
  int32_t COL = 10;

  bool operator==(const TPlanetColumns&) const = default;
};

// Unidentified and uninhabited planets. Number is used only for uninhabited planets in
// "Galaxy Blind"; X, Y, Size, Resources, CAP and MAT then move one word right. Size to MAT are
// read only for uninhabited planets, where the row holds them.
struct TUnknownPlanetColumns {
  int32_t Name = 0;
  int32_t Number = 1;
  int32_t X = 1;
  int32_t Y = 2;
  int32_t Size = 3;
  int32_t Resources = 4;
  int32_t CAP = 5;
  int32_t MAT = 6;

  bool operator==(const TUnknownPlanetColumns&) const = default;
};

struct TShipTypeColumns {
  int32_t Name = 0;
  int32_t Drive = 1;
  int32_t Attacks = 2;
  int32_t Weapons = 3;
  int32_t Shields = 4;
  int32_t Cargo = 5;
  int32_t Mass = 6;  // read only in "Galaxy NG Blind" games

  bool operator==(const TShipTypeColumns&) const = default;
};

struct TBombingColumns {
  int32_t Attacker = 0;
  int32_t Defender = 1;
  int32_t Planet = 2;
  int32_t Population = 3;
  int32_t Industry = 4;
  int32_t Production = 5;  // kNoWord in "Galaxy Blind"
  int32_t CAP = 6;
  int32_t MAT = 7;
  int32_t COL = 8;

  bool operator==(const TBombingColumns&) const = default;
};

// Cargo type and load are listed but not stored by the battle reader.
struct TBattleGroupColumns {
  int32_t ShipsLeft = 8;
  int32_t Ships = 0;
  int32_t Type = 1;
  int32_t CargoType = 6;
  int32_t Load = 7;
  int32_t Drive = 2;
  int32_t Weapons = 3;
  int32_t Shields = 4;
  int32_t Cargo = 5;

  bool operator==(const TBattleGroupColumns&) const = default;
};

struct TShipsInProductionColumns {
  int32_t Planet = 0;
  int32_t Number = 1;  // not read by default; the planet number in "Galaxy Blind"
  int32_t ShipType = 1;
  // The production cost of one ship and the production already spent on the one being built.
  int32_t Cost = 2;
  int32_t Progress = 3;

  bool operator==(const TShipsInProductionColumns&) const = default;
};

// Own groups read every column except Number one word further right.
struct TGroupColumns {
  int32_t Number = 0;
  int32_t Ships = 0;
  int32_t Type = 1;
  int32_t Drive = 2;
  int32_t Weapons = 3;
  int32_t Shields = 4;
  int32_t Cargo = 5;
  int32_t CargoType = 6;
  int32_t Load = 7;
  int32_t Destination = 8;
  int32_t Distance = 9;
  int32_t Origin = 10;

  bool operator==(const TGroupColumns&) const = default;
};

struct TIncomingColumns {
  int32_t Origin = 0;
  int32_t Destination = 1;
  int32_t Distance = 2;
  int32_t Speed = 3;
  int32_t Mass = 4;

  bool operator==(const TIncomingColumns&) const = default;
};

// Patterns hold a real tab character where the header lines begin with tabs; \w and \W are the
// regular-expression classes.
struct TReportLayout {
  std::string HeaderPattern = "^\t+Galaxy Game \\w+ \\w+ \\w+ \\w+";
  std::string OptionsPattern = "^\t+Your Options\\W*$";
  std::string StatusPattern = "^\t+Status of Players\\W*$";
  std::string HeaderKeyword = "Galaxy Game";
  // "Galaxy PLUS" writes its header line without a tab: it is looked for among the lines
  // before the first section with this pattern and indexed as a section.
  std::string UntabbedHeaderPattern;
  // "Galaxy PLUS" tables give planet numbers, and "#" + number names a planet.
  bool PlanetNumbers = false;
  // "Galaxy Blind" takes the turn from the last word of the header line.
  int32_t TurnWord = 4;
  int32_t GameNameWord = 2;
  int32_t RaceNameWord = -1;

  std::string StatusTitle = "Status of Players";
  TStatusColumns StatusColumns;

  std::string OwnPlanetsTitle = "Your Planets";
  TPlanetColumns OwnPlanetColumns;
  std::string UnidentifiedTitle = "Unidentified Planets";
  std::string UninhabitedTitle = "Uninhabited Planets";
  TUnknownPlanetColumns UnknownPlanetColumns;
  TUnknownPlanetColumns UninhabitedColumns;
  std::string OtherPlanetsTitle = "Planets";  // preceded by the race name
  TPlanetColumns OtherPlanetColumns;

  std::string OwnShipTypesTitle = "Your Ship Types";
  std::string ShipTypesTitleSuffix = " Ship Types";  // preceded by the race name
  TShipTypeColumns ShipTypeColumns;

  std::string BombingsTitle = "Bombings";
  TBombingColumns BombingColumns;

  std::string BattleTitle = "Battle at";
  int32_t BattlePlanetWord = 2;
  int32_t BattleRaceWord = 0;
  TBattleGroupColumns BattleGroupColumns;

  std::string ShipsInProductionTitle = "Ships In Production";
  TShipsInProductionColumns ShipsInProductionColumns;

  TGroupColumns GroupColumns;
  int32_t GroupMinWordsForDistance = 10;
  std::string GroupsTitleSuffix = " Groups";  // preceded by the race name or "Your"
  // The fleet name of an own group row ("Galaxy PLUS"); the other variants list fleets in
  // sections of their own.
  int32_t GroupFleetWord = kNoWord;
  // The one table of the own fleets ("Galaxy PLUS"): name and speed of each fleet.
  std::string FleetTableTitle;
  int32_t FleetTableNameWord = 1;
  int32_t FleetTableSpeedWord = 6;

  std::string FleetTitle = "Fleet ";
  int32_t FleetNameWord = 1;
  int32_t FleetSpeedWord = 3;

  std::string IncomingTitle = "Incoming Groups";
  // Found only right after two tabs, from line 1 on.
  std::string RoutesTitle = "Your Routes";
  TIncomingColumns IncomingColumns;

  bool operator==(const TReportLayout&) const = default;
};

// Applies the changes of `gameType` to a layout that holds the defaults. "Galaxy Blind" and
// "Galaxy NG Blind" change entries; every other variant keeps the defaults.
void SetReportLayout(TReportLayout& layout, TGameType gameType);

}  // namespace tovix

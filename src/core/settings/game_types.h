#pragma once
// The game variants, map geometry and per-game settings that the model and the reader share.

#include <cstdint>
#include <string>

namespace tovix {

// Turns run from 0 to kMaxTurn; a per-turn value of a later turn is not stored.
inline constexpr int32_t kMaxTurn = 800;

// The server variant of a game; the values are stored by name in Tovix.ini ("GameType").
enum class TGameType : uint8_t {
  Unknown = 0,  // "Unknown Galaxy type"
  Normal = 1,   // "Galaxy Normal"
  NG = 2,       // "Galaxy NG"
  Blind = 3,    // "Galaxy Blind"
  Plus = 4,     // "Galaxy PLUS"
  NGBlind = 5,  // "Galaxy NG Blind"
  NT = 6,       // "Galaxy NT"
};
inline constexpr int kGameTypeCount = 7;

enum class TMapType : uint8_t {
  Normal = 0,     // "Normal"
  Spherical = 1,  // "Spherical"
};
inline constexpr int kMapTypeCount = 2;

// The chosen game's settings, read once at start from its section of Tovix.ini.
struct TGameSettings {
  TGameType GameType = TGameType::Unknown;
  TMapType MapType = TMapType::Normal;
  int32_t MapSize = 100;
  bool outbacktype = false;
  bool bigGame = true;
  int32_t SkipPlanetsUntilTurn = 0;
  int32_t SkipBattlesUntilTurn = 0;
  std::string spelD;  // report file pattern: folder + "%1s%0.03d" + ".txt"
  std::string spelC;  // report letters: own letter first, then one per ally
  double mapFaktor = 2.5;
  double mapScrollV = 0;
  double mapScrollH = 0;
  float turn0HabitedPlanetsSize = 0;
  float turn0HabitedPlanetsSize2nd = 0;
  int32_t blindRepName = 0;
  int32_t UseCountMethod = 3;
  bool EliteNameCreation = false;
  bool UseMDIStyle = true;
  int32_t GameNumber = -1;  // the chosen game; its section name is GetGameSection()
  std::string IniPath;      // full path of Tovix.ini

  // The section name of the chosen game ("%d" of its number).
  std::string GetGameSection() const { return std::to_string(GameNumber); }
  bool IsSpherical() const { return MapType == TMapType::Spherical; }
};

}  // namespace tovix

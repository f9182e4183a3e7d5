#pragma once
// The map's colours: the scheme (one colour per thing the map draws, two switches) and one
// colour per race. Colours are kept as the settings file stores them: a 32-bit value with red in
// the lowest byte, then green, then blue, written as a decimal integer.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/color_value.h"
#include "core/model/game_state.h"
#include "core/settings/save_state.h"

namespace tovix {

// The program's colour value; RedOf, GreenOf and BlueOf come with it.
using TMapColour = TColor;

constexpr TMapColour MapRgb(uint8_t r, uint8_t g, uint8_t b) {
  return RgbColor(r, g, b);
}

// The colours of the map, in the order of their settings keys.
enum TSchemeColour : int {
  scBackGround,
  scUnInSizeUnk,
  scUnInSizeKnown,
  scHabSizeUnk,
  scPlayerPlanets,
  scFirstTurnPlanets,
  scOtherPlayersPlanets,
  scIncomingGroups,
  scIncomingGroupsTrav,
  scNameOfPlanets,
  scBarPopulation,
  scBarIndustry,
  scBarSize,
  scCursor,
  scMyTracks,
  scOtherTracks,
  scGroupsUnLoaded,
  scGroupsLoaded,
  scPlanetCircles,
  kSchemeColourCount
};

// The settings key of each colour ("BackGround", ...).
std::string_view SchemeColourKey(TSchemeColour which);

struct TColorSchema {
  std::array<TMapColour, kSchemeColourCount> Colours{};
  bool UseColorsFirstTurn = true;
  bool UseOneColorOtherPlayers = true;

  TColorSchema() { SetDefaultColors(); }
  void SetDefaultColors();
  TMapColour operator[](TSchemeColour which) const { return Colours[which]; }
  TMapColour& operator[](TSchemeColour which) { return Colours[which]; }
  bool operator==(const TColorSchema&) const = default;
};

inline constexpr std::string_view kColorSchemaSection = "CurrentColorSchema";
inline constexpr std::string_view kPlayerColorsKey = "CurrentPlayerColors";
// "ColorSettings_" + the game's section.
std::string PlayerColorsSection(const TGameSettings& settings);

// One race's colour.
struct TPlayerColourEntry {
  std::string Key;  // the lower-cased race name
  TPlayer* Player = nullptr;
  TMapColour Colour = 0;
};

// The colour of each race. Painting reads a race's colour from here, so restoring the entries
// restores every race's colour.
class TPlayerColors {
 public:
  TMapColour OneColor = MapRgb(0, 0, 255);

  // Sorted by key.
  const std::vector<TPlayerColourEntry>& Entries() const { return entries_; }
  // The race's colour; OneColor for a race without an entry.
  TMapColour ColourOf(const TPlayer* player) const;
  // Sets the colour of the race's entry; false when it has none.
  bool SetColour(const TPlayer* player, TMapColour colour);

  // "Name:colour;" per entry, in list order.
  std::string AllInfo() const;
  // Reads such a text: each name is found among the races by name, or else as the last race
  // whose alias holds the name as a whole word (ignoring case). Names not found, and pieces
  // whose colour is not a whole number, are skipped. Entries already there stay unless the text
  // names their race again.
  void SetAllInfo(std::string_view text, const GameState& state);
  // Drops entries of races no longer in the game; gives every race without an entry OneColor.
  void Sync(const GameState& state);

  bool operator==(const TPlayerColors&) const = default;

 private:
  TPlayerColourEntry* Find(std::string_view key);
  // Entries stay sorted by key.
  void Insert(TPlayerColourEntry entry);
  std::vector<TPlayerColourEntry> entries_;
};

// Cuts the first "name:colour;" piece off `text`. False when nothing is left.
bool SplitNameColor(std::string& text, std::string& name, std::string& colour);

// The scheme and the race colours from the store (the current values are the defaults); the
// race list is then kept in step with the game and OneColor follows OtherPlayersPlanets.
void ReadColorSchema(const TznSaveState& store, const GameState& state, TColorSchema& scheme,
                     TPlayerColors& players);
void WriteColorSchema(TznSaveState& store, const GameState& state, const TColorSchema& scheme,
                      const TPlayerColors& players);

}  // namespace tovix

#pragma once
// What the players window shows and writes: one row of 24 cells per race (the latest value and
// its change since the turn before), the sort caption, which popup items apply to a selection,
// and the message text of the message dialog.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "core/settings/game_types.h"

namespace tovix {

inline constexpr int kPlayerColumnCount = 24;

struct TPlayerColumn {
  const char* Title;
  const char* SortCaption;
  int Width;
  bool RightAligned;
};

// Title, sort caption, width in pixels and alignment of each column.
extern const std::array<TPlayerColumn, kPlayerColumnCount> kPlayerColumns;

struct TPlayerRow {
  TPlayer* Player = nullptr;
  std::array<std::string, kPlayerColumnCount> Cells;
};

// The cells of one race from its latest figures.
TPlayerRow PlayerRow(TPlayer& player);
// One row per race of the race list, in list order.
std::vector<TPlayerRow> PlayerRows(const GameState& state);

// "Players - sort Ascending on Name"; an unknown column is "Something :-)".
std::string PlayersSortCaption(bool ascending, int column);

// Which popup items apply, from the races selected (in row order) and the game's variant.
struct TPlayerMenuState {
  bool OneSelected = false;  // message, war, peace and relay are enabled
  // War for a race at peace, peace for one at war: the first race selected decides.
  bool WarVisible = true;
  bool PeaceVisible = true;
  bool RelayVisible = false;  // "Galaxy NG" games only
};
TPlayerMenuState PlayerMenuState(const std::vector<const TPlayer*>& selected, TGameType gameType);

// The message dialog's caption: "Create Message for <name>", or "Create Global Message".
std::string MessageDialogCaption(std::string_view race);
// The message order block: "@ <name>" (a global message "@ "), the memo's lines, an empty line
// (the memo's own closing line break) and "@", lines joined by CR LF. A memo line that starts
// with "@" gets a blank in front so that it cannot end the message early.
std::string MessageText(std::string_view race, std::string_view memoText);

}  // namespace tovix

#pragma once
// What the battles, bombings and incoming-groups windows show: their rows (all turns or the
// last turn only), the information lines of one battle, and the sides a battle is handed to
// the battle simulator with.

#include <array>
#include <set>
#include <string>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

inline constexpr std::array<const char*, 4> kBattleColumns{"Turn", "Planet", "My Mass Lost",
                                                           "Other Mass Lost"};
inline constexpr std::array<const char*, 10> kBombingColumns{
    "Turn",     "Attacker",  "Defender", "Planet", "Population",
    "Industry", "Producing", "Col",      "Cap",    "Mat"};
inline constexpr std::array<const char*, 6> kIncomingColumns{"Turn", "From",  "To",
                                                             "Dist", "Speed", "Mass"};

// The mass one group lost in its battle: the design's mass times the ships destroyed; 0 for a
// group whose design is not known.
float GroupMassLost(const TGroup& group);

struct TBattleLosses {
  float Mine = 0;   // the groups of `own`
  float Other = 0;  // every other group
};
TBattleLosses BattleLosses(const TBattle& battle, const TPlayer* own);

struct TBattleRow {
  TBattle* Battle = nullptr;
  std::array<std::string, 4> Cells;  // turn, planet, my and other mass lost ("%.2f")
};
// One row per battle of the model, in list order; with `lastTurnOnly` those of LastTurn.
std::vector<TBattleRow> BattleRows(const GameState& state, bool lastTurnOnly);

// The information lines of a battle: for each race that fought, by name, its name +
// " Groups", one line per group, the mass line "M: s: .. e: .. l: .." and an empty line.
std::vector<std::string> BattleInfoLines(const GameState& state, const TBattle& battle);

// The distinct owner names of the battle's groups, in the order they first appear.
std::vector<std::string> BattleOwnerNames(const TBattle& battle);
// The battle's groups by side: those whose owner's name is among `attackers` attack, the
// others defend (a race moved to the defenders defends whatever the others do).
struct TBattleSides {
  std::vector<const TGroup*> Attackers;
  std::vector<const TGroup*> Defenders;
};
TBattleSides SplitBattleSides(const TBattle& battle, const std::set<std::string>& attackers);

struct TBombingRow {
  TBombing* Bombing = nullptr;
  std::array<std::string, 10> Cells;
};
std::vector<TBombingRow> BombingRows(const GameState& state, bool lastTurnOnly);

struct TIncomingRow {
  TIncomingGroup* Group = nullptr;
  std::array<std::string, 6> Cells;
};
std::vector<TIncomingRow> IncomingRows(const GameState& state, bool lastTurnOnly);

}  // namespace tovix

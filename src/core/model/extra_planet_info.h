#pragma once
// The user's own corrections of planets: for a planet and a turn, the owner and the size the
// user knows better than the reports. They are kept in ExtrInf.ini in the program's folder and
// applied to each turn as the reports are read.
//
// ExtrInf.ini, with S the game's section name:
//   [Totals_S]   Planets=<n>
//   [Planets_S]  planet_<i>, player_<i>, turn_<i>, size_<i>   for 0 <= i < n

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_model.h"

namespace tovix {

class GameState;

struct TExtraPlanetInfo {
  // The owner's race number; -1 when the owner is nobody or unknown, 0 when the number names
  // no race or the planet is uninhabited in that turn. Only entries above 0 are saved.
  int32_t PlayerNumber = 0;
  int32_t PlanetNumber = 0;
  TPlanet* Planet = nullptr;  // resolved when the turn is applied
  TOwnerRef Player;           // likewise
  int32_t Turn = 0;
  float Size = 0;  // 0 keeps the reported size
};

class TExtraPlanetInfoList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const TExtraPlanetInfo& operator[](int index) const {
    return items_.at(static_cast<size_t>(index));
  }
  TExtraPlanetInfo& operator[](int index) { return items_.at(static_cast<size_t>(index)); }
  void Clear() { items_.clear(); }

  // Updates the entry of that planet and turn, or appends one. Returns the entry's index.
  int SetInfo(TPlanet& planet, TOwnerRef owner, int32_t turn, float size);
  // Removes the entry of that planet and turn; false when there is none.
  bool Delete(const TPlanet& planet, int32_t turn);
  bool Exists(const TPlanet& planet, int32_t turn) const;

  // Applies the entries of `turn` after the planet tables of a report of that turn were read:
  // resolves each entry's planet by number, gives the planet the entry's race when the planet
  // is inhabited (else the entry keeps race number 0), and its size when one was entered.
  void ApplyToTurn(GameState& state, int32_t turn);

  // Replaces the entries with those stored for the game `gameSection`. A missing file gives
  // no entries. Planets and owners stay unresolved until ApplyToTurn. A stored size that is no
  // planet size (IsExtraInfoSize) is not taken: its entry keeps the reported size, and the
  // returned messages name each such value.
  std::vector<std::string> LoadFromIni(const std::string& fileName, std::string_view gameSection);
  // Rewrites the game's entries, keeping the rest of the file: only entries whose planet and
  // race numbers are both above 0, under consecutive indexes. The file is replaced atomically;
  // a failure raises EFileError and leaves it as it was.
  void SaveToIni(const std::string& fileName, std::string_view gameSection) const;

 private:
  int IndexOf(const TPlanet& planet, int32_t turn) const;

  std::vector<TExtraPlanetInfo> items_;
};

// A size the user may enter for a planet: a finite number from 0 (keep the reported size) to
// 1e30. The dialog and the file take the same sizes.
bool IsExtraInfoSize(double size);

// Shortest decimal text that reads back to the same single-precision value ("2.1", not the
// digits of its double widening).
std::string FloatToShortestText(float value);

}  // namespace tovix

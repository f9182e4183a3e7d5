#include "core/model/extra_planet_info.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/model/game_state.h"
#include "core/settings/ini_file.h"

namespace tovix {

namespace {

std::string TotalsSection(std::string_view gameSection) {
  return "Totals_" + std::string(gameSection);
}

std::string PlanetsSection(std::string_view gameSection) {
  return "Planets_" + std::string(gameSection);
}

std::string Key(std::string_view name, int index) {
  return std::string(name) + std::to_string(index);
}

int32_t RaceNumberOf(TOwnerRef owner) {
  const TPlayer* race = owner.Player();
  return race ? race->Number : -1;
}

}  // namespace

bool IsExtraInfoSize(double size) {
  return std::isfinite(size) && size >= 0 && size <= 1e30;
}

std::string FloatToShortestText(float value) {
  char buffer[64];
  // to_chars ignores the locale; for a float it gives the shortest text that reads back as
  // the same float.
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

int TExtraPlanetInfoList::IndexOf(const TPlanet& planet, int32_t turn) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].Planet == &planet && items_[i].Turn == turn) return static_cast<int>(i);
  }
  return -1;
}

int TExtraPlanetInfoList::SetInfo(TPlanet& planet, TOwnerRef owner, int32_t turn, float size) {
  int index = IndexOf(planet, turn);
  if (index < 0) {
    TExtraPlanetInfo entry;
    entry.Planet = &planet;
    entry.PlanetNumber = planet.Number;
    entry.Turn = turn;
    items_.push_back(entry);
    index = Count() - 1;
  }
  TExtraPlanetInfo& entry = items_[static_cast<size_t>(index)];
  entry.Player = owner;
  entry.PlayerNumber = RaceNumberOf(owner);
  entry.Size = size;
  return index;
}

bool TExtraPlanetInfoList::Delete(const TPlanet& planet, int32_t turn) {
  const int index = IndexOf(planet, turn);
  if (index < 0) return false;
  items_.erase(items_.begin() + index);
  return true;
}

bool TExtraPlanetInfoList::Exists(const TPlanet& planet, int32_t turn) const {
  return IndexOf(planet, turn) >= 0;
}

void TExtraPlanetInfoList::ApplyToTurn(GameState& state, int32_t turn) {
  for (TExtraPlanetInfo& entry : items_) {
    if (entry.Turn != turn) continue;
    TPlanet* planet = state.PlanetByNumber(entry.PlanetNumber);
    if (!planet) continue;
    entry.Planet = planet;
    // Numbers up to 0 name no race, also not a race whose number is not assigned yet (-1).
    TPlayer* race = entry.PlayerNumber > 0 ? state.PlayerByNumber(entry.PlayerNumber) : nullptr;
    if (race && !planet->Owner.IsNone()) {
      entry.Player = TOwnerRef::Of(race);
      planet->SetOwner(entry.Player, state.LastTurn);
    } else {
      entry.PlayerNumber = 0;
    }
    if (entry.Size > 0) planet->Size = entry.Size;
  }
}

std::vector<std::string> TExtraPlanetInfoList::LoadFromIni(const std::string& fileName,
                                                           std::string_view gameSection) {
  std::vector<std::string> messages;
  const TIniFile ini(fileName, TIniFile::TMode::InMemory);
  const std::string planets = PlanetsSection(gameSection);
  // A damaged count must not make us read millions of empty entries: every real entry has at
  // least one key in the section.
  const int32_t stored = ini.ReadInteger(TotalsSection(gameSection), "Planets", 0);
  const int32_t count =
      std::clamp(stored, 0, static_cast<int32_t>(ini.ReadSection(planets).size()));

  std::vector<TExtraPlanetInfo> loaded;
  loaded.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    TExtraPlanetInfo entry;
    entry.PlanetNumber = ini.ReadInteger(planets, Key("planet_", i), 0);
    entry.PlayerNumber = ini.ReadInteger(planets, Key("player_", i), 0);
    entry.Turn = ini.ReadInteger(planets, Key("turn_", i), 0);
    const double size = ini.ReadFloat(planets, Key("size_", i), 0);
    if (IsExtraInfoSize(size)) {
      entry.Size = static_cast<float>(size);
    } else {
      messages.push_back("ExtrInf.ini: [" + planets + "] " + Key("size_", i) + "=" +
                         ini.ReadString(planets, Key("size_", i), "") +
                         " is no planet size (0 to 1e30); the reported size is kept.");
    }
    loaded.push_back(entry);
  }
  items_.swap(loaded);
  return messages;
}

void TExtraPlanetInfoList::SaveToIni(const std::string& fileName,
                                     std::string_view gameSection) const {
  TIniFile ini(fileName, TIniFile::TMode::InMemory);
  const std::string planets = PlanetsSection(gameSection);
  ini.EraseSection(planets);
  int saved = 0;
  for (const TExtraPlanetInfo& entry : items_) {
    if (entry.PlanetNumber <= 0 || entry.PlayerNumber <= 0) continue;
    ini.WriteInteger(planets, Key("planet_", saved), entry.PlanetNumber);
    ini.WriteInteger(planets, Key("player_", saved), entry.PlayerNumber);
    ini.WriteInteger(planets, Key("turn_", saved), entry.Turn);
    ini.WriteString(planets, Key("size_", saved), FloatToShortestText(entry.Size));
    ++saved;
  }
  ini.WriteInteger(TotalsSection(gameSection), "Planets", saved);
  ini.UpdateFile();
}

}  // namespace tovix

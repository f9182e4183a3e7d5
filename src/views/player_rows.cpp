#include "views/player_rows.h"

#include "core/text/numbers.h"
#include "orders/order_commands.h"

namespace tovix {

namespace {

constexpr int kLatest = -1;
constexpr int kNumberWidth = 60;

std::string Rounded(float v) {
  return std::to_string(RoundToInt(v));
}

}  // namespace

const std::array<TPlayerColumn, kPlayerColumnCount> kPlayerColumns{{
    {"Name", "Name", 100, false},
    {"Eff. Ind", "Effective Industry", kNumberWidth, true},
    {"d Eff. Ind", "Delta Effective Industry", kNumberWidth, true},
    {"T. Tech", "Total Technology", kNumberWidth, true},
    {"d T. Tech", "Delta Total Technology", kNumberWidth, true},
    {"Drive", "Total Drive Technology", kNumberWidth, true},
    {"d Drive", "Delta Drive Technology", kNumberWidth, true},
    {"Wpn", "Total Weapons Technology", kNumberWidth, true},
    {"d Wpn", "Delta Weapons Technology", kNumberWidth, true},
    {"Shield", "Total Shields Technology", kNumberWidth, true},
    {"d Shield", "Delta Shields Technology", kNumberWidth, true},
    {"Cargo", "Total Cargo Technology", kNumberWidth, true},
    {"d Cargo", "Delta Cargo Technology", kNumberWidth, true},
    {"Planets", "Total Number of Planets", kNumberWidth, true},
    {"d Planets", "Delta Number of Planets", kNumberWidth, true},
    {"Pop", "Total Population", kNumberWidth, true},
    {"d Pop", "Delta Population", kNumberWidth, true},
    {"Pop % Growth", "Population Percent Growth", kNumberWidth, false},
    {"Ind", "Total Industry", kNumberWidth, true},
    {"d Ind", "Delta Industry", kNumberWidth, true},
    {"Max Pop", "Maximal Population when all fully developed", kNumberWidth, true},
    {"d Max Pop", "Delta Maximal Population when all fully developed", kNumberWidth, true},
    {"War", "War", kNumberWidth, false},
    {"Old player names", "Old players names", 100, false},
}};

TPlayerRow PlayerRow(TPlayer& p) {
  TPlayerRow row;
  row.Player = &p;
  const float tech =
      p.GetDrive(kLatest) + p.GetWeapons(kLatest) + p.GetShields(kLatest) + p.GetCargo(kLatest);
  const float techDelta = p.DriveDelta(kLatest) + p.WeaponsDelta(kLatest) +
                          p.ShieldsDelta(kLatest) + p.CargoDelta(kLatest);
  row.Cells = {p.Name,
               Rounded(p.GetEffectiveIndustry(kLatest)),
               Rounded(p.EffectiveIndustryDelta(kLatest)),
               Fmt("%3.2f", tech),
               Fmt("%2.2f", techDelta),
               Fmt("%3.2f", p.GetDrive(kLatest)),
               Fmt("%2.2f", p.DriveDelta(kLatest)),
               Fmt("%3.2f", p.GetWeapons(kLatest)),
               Fmt("%2.2f", p.WeaponsDelta(kLatest)),
               Fmt("%3.2f", p.GetShields(kLatest)),
               Fmt("%2.2f", p.ShieldsDelta(kLatest)),
               Fmt("%3.2f", p.GetCargo(kLatest)),
               Fmt("%2.2f", p.CargoDelta(kLatest)),
               std::to_string(p.GetPlanetCount(kLatest)),
               std::to_string(p.PlanetCountDelta(kLatest)),
               Rounded(p.GetPopulation(kLatest)),
               Rounded(p.PopulationDelta(kLatest)),
               Fmt("%4.2f", p.PopulationGrowthPercent(kLatest)),
               Rounded(p.GetIndustry(kLatest)),
               Rounded(p.IndustryDelta(kLatest)),
               Rounded(p.GetPlanetSize(kLatest)),
               Rounded(p.PlanetSizeDelta(kLatest)),
               p.War ? "Yes" : "No",
               p.Alias};
  return row;
}

std::vector<TPlayerRow> PlayerRows(const GameState& state) {
  std::vector<TPlayerRow> rows;
  for (int i = 0; i < state.Players.Count(); ++i) {
    if (TPlayer* p = state.Players.Object(i)) rows.push_back(PlayerRow(*p));
  }
  return rows;
}

std::string PlayersSortCaption(bool ascending, int column) {
  const char* caption = column >= 0 && column < kPlayerColumnCount
                            ? kPlayerColumns[static_cast<size_t>(column)].SortCaption
                            : "Something :-)";
  return Fmt("Players - sort %s on %s", ascending ? "Ascending" : "Descending", caption);
}

TPlayerMenuState PlayerMenuState(const std::vector<const TPlayer*>& selected, TGameType gameType) {
  TPlayerMenuState m;
  m.OneSelected = selected.size() == 1 && selected[0] != nullptr;
  // With several races the first one chosen shows which of war and peace is offered.
  if (!selected.empty() && selected[0] != nullptr) {
    m.PeaceVisible = selected[0]->War;
    m.WarVisible = !selected[0]->War;
  }
  m.RelayVisible = gameType == TGameType::NG;
  return m;
}

std::string MessageDialogCaption(std::string_view race) {
  return race.empty() ? std::string("Create Global Message")
                      : "Create Message for " + std::string(race);
}

std::string MessageText(std::string_view race, std::string_view memoText) {
  // The memo's text ends with its own line break, so an empty line stands before the "@".
  std::string body(memoText);
  if (!body.empty() && body.back() != '\n' && body.back() != '\r') body += '\n';
  body += '\n';
  return MessageCommands(race, body);
}

}  // namespace tovix

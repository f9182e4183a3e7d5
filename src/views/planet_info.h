#pragma once
// What the planet information window shows: the planet list's rows (name, distance, owner
// text), the planet's report lines, the groups at, from and towards the planet in one block per
// race plus the incoming groups, and the choices behind its order commands. The window builds
// widgets from these; every figure is formatted here.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/text/star_names.h"
#include "orders/order_analysis.h"
#include "views/planet_list_rows.h"

namespace tovix {

// ---- The planet list -------------------------------------------------------------------------

struct TPlanetInfoRow {
  std::string Name;
  std::string Owner;
  std::string Dist;
  TPlanet* Planet = nullptr;
};

inline constexpr std::array<const char*, 3> kPlanetListColumns{"Planet", "Dist", "Owner"};

// A row of `planet`. Its distance text stays empty: a distance is measured from a planet the
// user chooses (SetPlanetRowDistances), and none is chosen yet.
TPlanetInfoRow MakePlanetRow(TPlanet& planet);
// The rows of every planet in Planets order that `passes` lets through.
std::vector<TPlanetInfoRow> PlanetRows(const GameState& state,
                                       const std::function<bool(const TPlanet&)>& passes);
// The rows of the planets of `filtered` (the expression filter's set) in Planets order; given
// `groupPlanets` (the group filter's), only those whose presence there differs from `inverse`.
std::vector<TPlanetInfoRow> FilteredPlanetRows(const GameState& state,
                                               const std::vector<TPlanet*>& filtered,
                                               const std::vector<TPlanet*>* groupPlanets,
                                               bool inverse);
// Sets each listed planet's distance key to its distance from `reference` (the short way round
// on a wrapped map) and the rows' distance texts ("%3.2f").
void SetPlanetRowDistances(const GameState& state, std::vector<TPlanetInfoRow>& rows,
                           const TPlanet& reference);
// Column 0 by name (names of digits as numbers, CompareNames) and 2 by owner (case-insensitive),
// 1 by the distance as a number; negative, 0 or positive, negated when `descending`.
int ComparePlanetRows(const TPlanetInfoRow& a, const TPlanetInfoRow& b, int column,
                      bool descending);

// ---- The report lines ------------------------------------------------------------------------

// Turns until the population reaches the size growing by 8 % a turn.
int PopulationTurnsToFull(float population, float size);
// Turns until the industry reaches the size (see the report's "Industry:" line); the projection
// stops after kIndustryTurnsCap turns and then returns kIndustryTurnsCap + 1.
inline constexpr int kIndustryTurnsCap = 10000;
int IndustryTurnsToFull(float industry, float population, float size, float resources, bool blind);

// What the report lines need beyond the model.
struct TPlanetInfoContext {
  std::string OwnerText;  // the row's owner text
  // True when an order analysis has set the planets' sent and next-turn masses; without one
  // those lines say "not available". The own, friendly and enemy masses of the groups standing
  // at the planet come from the model (ComputePlanetShipMasses).
  bool MassesAvailable = false;
};

struct TPlanetReportLine {
  std::string Text;
  TBattle* Battle = nullptr;  // the "Last fight:" line's battle
};

inline constexpr const char* kNotAvailable = "not available";

std::vector<TPlanetReportLine> PlanetReportLines(const GameState& state, const TPlanet& planet,
                                                 const TPlanetInfoContext& context);

// ---- The groups at the planet ----------------------------------------------------------------

inline constexpr int kPlanetGroupColumnCount = 14;
extern const std::array<const char*, kPlanetGroupColumnCount> kGroupColumns;

enum class TGroupRowKind : uint8_t { Blank, Header, Group, IncomingCaption, Incoming };

struct TPlanetGroupRow {
  TGroupRowKind Kind = TGroupRowKind::Blank;
  int Block = 0;  // rows sort only within their block
  std::array<std::string, kPlanetGroupColumnCount> Cells;
  // The group of the row: the user's groups at or from the planet or sent here by the orders,
  // and the other races' groups (`Own` false: only the rings, the sort and the battle simulator
  // take those); nullptr for every other row.
  TGroup* Group = nullptr;
  // Where the ships come from and go to and when they arrive (the orders' for the user's
  // groups, the report's for the others).
  TPlanet* Source = nullptr;
  TPlanet* Destination = nullptr;
  int32_t Turns = 0;
  int32_t Ships = 0;
  // The number the orders name the ships by (a split-off part's own) and, of the user's ships,
  // those the orders can still send.
  int32_t Number = 0;
  int32_t Available = 0;
  float Load = 0;
  bool Own = false;
};

// The user's block from the order analysis' records, one block per other race with groups at
// the planet (races by name), then the incoming groups of the last turn read. `available` gives
// the ships of a record the orders can still send (TOrderAnalysis::AvailableShips).
std::vector<TPlanetGroupRow> PlanetGroupRows(
    const GameState& state, const TPlanet& planet, const std::vector<TSendedGroup>& records,
    const std::function<int32_t(const TSendedGroup&)>& available);

// Orders the group rows within each block by `column` (headers, blanks and incoming rows keep
// their places).
void SortGroupRows(std::vector<TPlanetGroupRow>& rows, int column, bool descending);

// ---- Order commands --------------------------------------------------------------------------

// A new name for `planet` ("Create Elite Name"): never the name of another planet, of a rename
// the orders give already (`namesInOrders`) or of an earlier proposal of the game, all ignoring
// case. The draws go on from where the game's last proposal stopped (GameState::EliteNameSeed),
// so the planet windows never offer two planets one name; nullopt when 10,000 draws found no
// free name.
std::optional<std::string> ProposeEliteName(GameState& state, const TPlanet& planet,
                                            const std::vector<std::string>& namesInOrders);

// ---- The extra-information dialog ------------------------------------------------------------

struct TOwnerChoice {
  std::string Text;
  TOwnerRef Owner;
};
// "Unknown" first, then every race with planets at the latest turn ("name (alias)").
std::vector<TOwnerChoice> ExtraInfoOwnerChoices(const GameState& state);
// What the user stored for `planet` applied as a restart applies it: a race becomes the owner
// of an inhabited planet, a size above 0 replaces the size.
void ApplyExtraInfo(const GameState& state, TPlanet& planet, TOwnerRef owner, float size);
// A size typed by the user: a number of 0 or more; nullopt for anything else.
std::optional<float> ParseExtraInfoSize(const std::string& text);

}  // namespace tovix

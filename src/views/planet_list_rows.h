#pragma once
// What the planet list shows: one row of 20 cells per planet, the owner filter and its choices,
// the row order by each column, the sort caption, the distances from a chosen planet, and the
// ship masses of the groups standing at each planet.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_commands.h"
#include "views/list_cells.h"

namespace tovix {

inline constexpr int kPlanetColumnCount = 20;
extern const std::array<const char*, kPlanetColumnCount> kPlanetColumnCaptions;
// The key names of the sort caption, by column.
extern const std::array<const char*, kPlanetColumnCount> kPlanetSortKeyNames;
inline constexpr const char* kAllOwners = "(All)";

// The planet list's columns by name.
enum TPlanetColumn : int {
  pcolName = 0,
  pcolNumber = 1,
  pcolOwner = 2,
  pcolDistance = 3,
  pcolEffIndustry = 4,
  pcolShipMass = 5,
  pcolSize = 6,
  pcolResources = 7,
  pcolPopulation = 8,
  pcolIndustry = 9,
  pcolColonists = 10,
  pcolCapital = 11,
  pcolMaterial = 12,
  pcolMyMass = 13,
  pcolFriendlyMass = 14,
  pcolEnemyMass = 15,
  pcolSentMass = 16,
  pcolProduceType = 17,
  pcolProduceAmount = 18,
  pcolBuildability = 19,
};

// Columns shown left-aligned (the others are right-aligned).
bool PlanetColumnLeftAligned(int column);

struct TPlanetRow {
  TPlanet* Planet = nullptr;
  std::array<std::string, kPlanetColumnCount> Cells;
  // Sort keys of the number columns, kept in step with the cells.
  std::array<TCellKey, kPlanetColumnCount> Keys;
};

// The owner text: the owner's name when known; "?" or "?(turn) name" when the owner is unknown
// now; "??(turn) name" when uninhabited now; "" for a planet never seen.
std::string PlanetOwnerText(const TPlanet& planet);

// Computes the owner text; false only when `chosenOwner` is set and differs from it (nullopt
// stands for "(All)").
bool PlanetPassesOwnerFilter(const TPlanet& planet, const std::optional<std::string>& chosenOwner,
                             std::string& ownerText);

// The owner combo's entries: "(All)", then every distinct owner text of the planets sorted
// ignoring case. A planet never seen has no entry of its own.
std::vector<std::string> PlanetOwnerChoices(const GameState& state);

// The row of a planet with every cell filled but the distance, which waits for a planet to measure
// from (SetDistancesFrom).
TPlanetRow MakePlanetRow(const GameState& state, TPlanet* planet, std::string ownerText);
// Rewrites the cells that depend on the orders: ship mass per turn, sent ship mass, production
// type and amount, buildability.
void RefreshOrderCells(const GameState& state, TPlanetRow& row);

// Rows for `planets` (every planet of the model when nullptr), in that order, of the planets
// that pass the owner filter.
std::vector<TPlanetRow> PlanetRows(const GameState& state,
                                   const std::optional<std::string>& chosenOwner,
                                   const std::vector<TPlanet*>* planets = nullptr);
// The rows of the first show: the planets whose owner text is the user's race's name (ignoring
// case).
std::vector<TPlanetRow> OwnPlanetRows(const GameState& state);

// The ascending order of two rows by a column: names by CompareNames (names of digits as
// numbers), owners and production types as text ignoring case, the number by its first whole
// number, the production amount by its figure, every other column by its number (empty or
// unreadable cells first, equal to each other).
int ComparePlanetRows(const TPlanetRow& a, const TPlanetRow& b, int column);
// The rows' order by a column (stable): indexes into `rows`.
std::vector<int> SortedPlanetRows(const std::vector<TPlanetRow>& rows, int column, bool descending);

// "Planets list - sort Ascending on Size".
std::string PlanetSortCaption(bool descending, int column);

// Every row's planet gets its distance from `from` and the row's distance cell its figure.
void SetDistancesFrom(const GameState& state, std::vector<TPlanetRow>& rows, const TPlanet& from);

// The three ship masses of every planet from the groups read in the last turn that stand at a
// planet: the user's, those of races at peace and those at war. Earlier figures are cleared,
// so running it again gives the same figures.
void ComputePlanetShipMasses(GameState& state);

// The items a planet can produce: "CAP", "MAT", "DRIVE", "WEAPONS", "SHIELDS", "CARGO", then
// the user's designs (each name once).
std::vector<std::string> ProductionChoices(const GameState& state);

}  // namespace tovix

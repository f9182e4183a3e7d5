#pragma once
// What the routes window shows and the orders it writes: one row per planet with cargo
// routes, its destinations in the columns "Cap", "Col", "Mat", "Empty", and the "R" lines that
// remove routes.

#include <array>
#include <string>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

// The route kind of each destination column (1 to 4), as the "R" order names it.
inline constexpr std::array<const char*, 4> kRouteTypes{"CAP", "COL", "MAT", "EMP"};
inline constexpr std::array<const char*, 5> kRouteColumnCaptions{"From", "Cap", "Col", "Mat",
                                                                 "Empty"};

struct TRouteRow {
  const TRoute* Route = nullptr;
  // Column 0 the origin's name, columns 1 to 4 the destinations ("" for none).
  std::array<std::string, 5> Cells;
  std::array<const TPlanet*, 5> Planets{};  // the planet of each cell, nullptr for none

  bool Empty() const;
};

// The routes in the model's (sorted) order, those with at least one destination.
std::vector<TRouteRow> RouteRows(const GameState& state);

// "R <origin> <type>" for a destination column (1 to 4); "" for any other column.
std::string RouteRemovalLine(const TRouteRow& row, int column);

// The routes window's rows and what deleting them writes. Each operation returns the lines
// in the order they are written (one hand-over each) and changes the rows as the window shows
// them; the model changes only when the orders are read back.
class TRouteTable {
 public:
  TRouteTable() = default;
  explicit TRouteTable(std::vector<TRouteRow> rows) : rows_(std::move(rows)) {}

  const std::vector<TRouteRow>& Rows() const { return rows_; }

  // One cell: its line; the cell empties, and the row goes when nothing is left in it.
  std::vector<std::string> DeleteRoute(int row, int column);
  // Every destination of the row in column order; the row goes.
  std::vector<std::string> DeletePlanetRoutes(int row);
  // Row after row from the top until no row is left.
  std::vector<std::string> DeleteAllRoutes();
  // The rows at `selected` (indexes into Rows(), any order), from the top.
  std::vector<std::string> DeleteSelectedRoutes(std::vector<int> selected);

 private:
  bool Valid(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
  std::vector<TRouteRow> rows_;
};

}  // namespace tovix

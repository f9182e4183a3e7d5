#include "views/route_rows.h"

#include <algorithm>

namespace tovix {

bool TRouteRow::Empty() const {
  return std::all_of(Cells.begin() + 1, Cells.end(),
                     [](const std::string& c) { return c.empty(); });
}

std::vector<TRouteRow> RouteRows(const GameState& state) {
  std::vector<TRouteRow> rows;
  for (int i = 0; i < state.Routes.Count(); ++i) {
    const TRoute* route = state.Routes.Object(i);
    if (!route || !route->Origin) continue;
    TRouteRow row;
    row.Route = route;
    row.Planets = {route->Origin, route->Cap, route->Col, route->Mat, route->Emp};
    for (size_t c = 0; c < row.Planets.size(); ++c) {
      if (row.Planets[c]) row.Cells[c] = row.Planets[c]->Name;
    }
    if (!row.Empty()) rows.push_back(std::move(row));
  }
  return rows;
}

std::string RouteRemovalLine(const TRouteRow& row, int column) {
  if (column < 1 || column > 4 || row.Cells[static_cast<size_t>(column)].empty()) return {};
  return "R " + row.Cells[0] + " " + kRouteTypes[static_cast<size_t>(column - 1)];
}

std::vector<std::string> TRouteTable::DeleteRoute(int row, int column) {
  if (!Valid(row)) return {};
  TRouteRow& r = rows_[static_cast<size_t>(row)];
  std::string line = RouteRemovalLine(r, column);
  if (line.empty()) return {};
  r.Cells[static_cast<size_t>(column)].clear();
  r.Planets[static_cast<size_t>(column)] = nullptr;
  if (r.Empty()) rows_.erase(rows_.begin() + row);
  return {line};
}

std::vector<std::string> TRouteTable::DeletePlanetRoutes(int row) {
  if (!Valid(row)) return {};
  std::vector<std::string> lines;
  for (int c = 1; c <= 4; ++c) {
    std::string line = RouteRemovalLine(rows_[static_cast<size_t>(row)], c);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  rows_.erase(rows_.begin() + row);
  return lines;
}

std::vector<std::string> TRouteTable::DeleteAllRoutes() {
  std::vector<std::string> lines;
  while (!rows_.empty()) {
    std::vector<std::string> first = DeletePlanetRoutes(0);
    lines.insert(lines.end(), first.begin(), first.end());
  }
  return lines;
}

std::vector<std::string> TRouteTable::DeleteSelectedRoutes(std::vector<int> selected) {
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  std::vector<std::string> lines;
  int removed = 0;
  for (int index : selected) {
    const int row = index - removed;  // rows above it are gone already
    if (!Valid(row)) continue;
    std::vector<std::string> rowLines = DeletePlanetRoutes(row);
    lines.insert(lines.end(), rowLines.begin(), rowLines.end());
    ++removed;
  }
  return lines;
}

}  // namespace tovix

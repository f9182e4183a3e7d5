#include "orders/send_orders.h"

#include <algorithm>
#include <functional>

#include "core/model/arrival.h"
#include "orders/order_analysis.h"
#include "orders/order_commands.h"

namespace tovix {

namespace {

std::string Send(const TSendOptions& options, std::string_view group, std::string_view planet,
                 int ships = 0) {
  return options.Intercept ? InterceptCommand(group, planet, ships)
                           : SendCommand(group, planet, ships);
}

bool Loads(const TSendOptions& options, const TGroup& group) {
  return !options.Intercept && options.Cargo != pcNone && group.CargoCapacity() > 0;
}

// Indexes in range, each once, in the order given.
std::vector<int> Normalised(const std::vector<int>& rows, size_t count) {
  std::vector<int> out;
  for (int r : rows)
    if (r >= 0 && static_cast<size_t>(r) < count &&
        std::find(out.begin(), out.end(), r) == out.end())
      out.push_back(r);
  return out;
}

// Removes the items at `indexes` (each once, in range).
template <class T>
void EraseAt(std::vector<T>& items, std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end(), std::greater<>());
  for (int i : indexes) items.erase(items.begin() + i);
}

}  // namespace

int32_t AskCargoType(UserInterface& ui) {
  static const std::vector<std::string> kItems{"COL", "CAP", "MAT"};
  static const int32_t kCargo[] = {pcCol, pcCap, pcMat};
  int selected = 0;
  if (!ui.ChooseFromList("Select Cargo Type", kItems, selected)) return pcNone;
  if (selected < 0 || static_cast<size_t>(selected) >= kItems.size()) return pcNone;
  return kCargo[selected];
}

std::string OnePlanetOrders(const TSendGroups& groups, std::string_view planet,
                            const TSendOptions& options) {
  std::vector<std::string> lines;
  for (const auto& [key, group] : groups) {
    const std::string g = std::to_string(key);
    if (Loads(options, *group))
      lines.push_back(LoadAndSendCommands(g, options.Cargo, planet));
    else
      lines.push_back(Send(options, g, planet));
  }
  return JoinOrderLines(lines);
}

std::string PickerCaption(const TSendGroups& groups) {
  constexpr size_t kNamed = 8;
  std::string caption = "Select Planet(s)";
  if (groups.empty()) return caption;
  caption += groups.size() == 1 ? " - group " : " - groups ";
  const size_t named = std::min(groups.size(), kNamed);
  for (size_t i = 0; i < named; ++i) {
    if (i > 0) caption += (i + 1 == groups.size()) ? " and " : ", ";
    caption += std::to_string(groups[i].first);
  }
  if (groups.size() > named) caption += " and " + std::to_string(groups.size() - named) + " more";
  return caption;
}

namespace {

std::string Ships(int64_t count) {
  return std::to_string(count) + (count == 1 ? " ship" : " ships");
}

}  // namespace

std::string PickerGroupsText(const TSendGroups& groups, const TShipsLeft& shipsLeft) {
  constexpr size_t kNamed = 8;
  std::vector<int32_t> ships;
  int64_t total = 0;
  for (const auto& [key, group] : groups) {
    ships.push_back(group ? shipsLeft(key, *group) : 0);
    total += ships.back();
  }
  std::string text;
  if (groups.size() > 1)
    text = "Sends " + std::to_string(groups.size()) + " groups, " + Ships(total) + ":\n";
  int64_t rest = total;
  for (size_t i = 0; i < groups.size() && i < kNamed; ++i) {
    const TGroup* group = groups[i].second;
    text += (groups.size() > 1 ? "group " : "Sends group ") + std::to_string(groups[i].first) +
            ": " + Ships(ships[i]);
    if (group && group->ShipType) text += " of " + group->ShipType->Name;
    text += "\n";
    rest -= ships[i];
  }
  if (groups.size() > kNamed)
    text += "and " + std::to_string(groups.size() - kNamed) + " more, " + Ships(rest) + "\n";
  return text;
}

std::string SpreadOrders(const TSendGroups& groups, const std::vector<std::string>& planets,
                         const TSendOptions& options, const TShipsLeft& shipsLeft) {
  std::vector<std::string> lines;
  size_t next = 0;  // the planets are shared by all groups
  for (const auto& [key, group] : groups) {
    if (next >= planets.size()) break;
    const int32_t ships = shipsLeft(key, *group);
    if (ships < 1) continue;
    const std::string g = std::to_string(key);
    if (Loads(options, *group)) lines.push_back(LoadCommand(g, options.Cargo));
    for (int32_t made = 0; made < ships - 1 && next < planets.size(); ++made)
      lines.push_back(Send(options, g, planets[next++], 1));
    if (next >= planets.size()) break;
    lines.push_back(Send(options, g, planets[next++]));
  }
  return JoinOrderLines(lines);
}

double SendSpeed(const TGroup& group) {
  return TOrderAnalysis::LoadedSpeed(group, group.Load);
}

std::string SendTurnsText(const GameState& state, const TGroup& group, const TPlanet& planet) {
  const double speed = SendSpeed(group);
  if (!(speed > 0) || group.Planet == nullptr) return "-";
  return std::to_string(TurnsToArrive(OrderDistance(state, *group.Planet, planet), speed));
}

// ---- Advanced Send ----------------------------------------------------------------------------

TAdvancedSend::TAdvancedSend(const GameState& state, TSendGroups groups,
                             std::vector<TPlanet*> planets, TShipsLeft shipsLeft, bool intercept)
    : state_(state),
      groups_(std::move(groups)),
      planets_(std::move(planets)),
      shipsLeft_(std::move(shipsLeft)),
      intercept_(intercept),
      planetRows_(planets_) {
  for (const auto& [key, group] : groups_) {
    const int32_t left = shipsLeft_(key, *group);
    if (left > 0) groupRows_.push_back({key, group, left});
  }
}

int TAdvancedSend::GroupIndex(int32_t key) const {
  for (size_t i = 0; i < groupRows_.size(); ++i)
    if (groupRows_[i].Key == key) return static_cast<int>(i);
  return -1;
}

TAdvancedSend::TAddOutcome TAdvancedSend::Add(int groupRow, const std::vector<int>& planetRows,
                                              int32_t perPlanet, bool removePlanets) {
  TAddOutcome outcome;
  if (groupRow < 0 || static_cast<size_t>(groupRow) >= groupRows_.size() ||
      perPlanet < kMinShipsPerPlanet || perPlanet > kMaxShipsPerPlanet)
    return outcome;
  TGroupRow& row = groupRows_[static_cast<size_t>(groupRow)];
  int32_t available = row.Available;
  std::vector<int> used;
  for (int r : Normalised(planetRows, planetRows_.size())) {
    if (available < perPlanet) break;
    TPlanet* planet = planetRows_[static_cast<size_t>(r)];
    resultRows_.push_back(
        {row.Key, row.Group, planet, perPlanet, SendTurnsText(state_, *row.Group, *planet)});
    available -= perPlanet;
    used.push_back(r);
  }
  outcome.Added = static_cast<int>(used.size());
  if (removePlanets) EraseAt(planetRows_, used);
  if (available < 1) {
    groupRows_.erase(groupRows_.begin() + groupRow);
    outcome.GroupRemoved = true;
  } else {
    row.Available = available;
  }
  return outcome;
}

void TAdvancedSend::RestoreGroupRow(int index, int32_t ships) {
  const auto& [key, group] = groups_[static_cast<size_t>(index)];
  if (const int row = GroupIndex(key); row >= 0) {
    groupRows_[static_cast<size_t>(row)].Available += ships;
    return;
  }
  // Back in the order the groups were handed over.
  auto at = groupRows_.begin();
  for (int i = 0; i < index; ++i)
    if (at != groupRows_.end() && at->Key == groups_[static_cast<size_t>(i)].first) ++at;
  groupRows_.insert(at, {key, group, ships});
}

void TAdvancedSend::RestorePlanetRow(TPlanet* planet) {
  if (std::find(planetRows_.begin(), planetRows_.end(), planet) != planetRows_.end()) return;
  auto at = planetRows_.begin();
  for (TPlanet* p : planets_) {
    if (p == planet) break;
    if (at != planetRows_.end() && *at == p) ++at;
  }
  planetRows_.insert(at, planet);
}

void TAdvancedSend::Delete(const std::vector<int>& resultRows) {
  const std::vector<int> rows = Normalised(resultRows, resultRows_.size());
  for (int r : rows) {
    const TResultRow& result = resultRows_[static_cast<size_t>(r)];
    RestorePlanetRow(result.Planet);
    for (size_t i = 0; i < groups_.size(); ++i)
      if (groups_[i].first == result.Key && groups_[i].second == result.Group) {
        RestoreGroupRow(static_cast<int>(i), result.Amount);
        break;
      }
  }
  EraseAt(resultRows_, rows);
}

std::string TAdvancedSend::Orders() const {
  const TSendOptions options{intercept_, pcNone};
  std::vector<std::string> lines;
  for (const auto& [key, group] : groups_) {
    int32_t left = shipsLeft_(key, *group);
    const std::string g = std::to_string(key);
    for (const TResultRow& row : resultRows_) {
      if (row.Key != key || row.Group != group) continue;
      left -= row.Amount;
      if (left < 1) {
        lines.push_back(Send(options, g, row.Planet->Name));
        break;
      }
      lines.push_back(Send(options, g, row.Planet->Name, row.Amount));
    }
  }
  return JoinOrderLines(lines);
}

}  // namespace tovix

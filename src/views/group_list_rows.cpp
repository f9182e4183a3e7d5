#include "views/group_list_rows.h"

#include <algorithm>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "views/cell_compare.h"
#include "views/planet_list_rows.h"

namespace tovix {

const std::array<const char*, kGroupColumnCount> kGroupColumnCaptions{
    "Group Nr.",   "Count",         "Available to Send", "ETA",          "Gr Owner",  "Planet",
    "PR Owner",    "Source Planet", "Shiptype",          "Distance",     "Eff Speed", "Attacks",
    "Eff Weapons", "Eff Shield",    "Eff Cargo",         "Upgrade Costs"};

const std::array<const char*, kGroupColumnCount> kGroupSortKeyNames{"Group Number",
                                                                    "Number of Ships",
                                                                    "Available to sent",
                                                                    "ETA",
                                                                    "Owner of this group",
                                                                    "Planet Name",
                                                                    "Planet Owner",
                                                                    "Sourceplanet Name",
                                                                    "Shiptype",
                                                                    "Distance",
                                                                    "Effective Speed",
                                                                    "Number of Attacks",
                                                                    "Effective Weapon",
                                                                    "Effective Shield",
                                                                    "Effective Cargo",
                                                                    "Upgrade Costs"};

namespace {

bool IsTextColumn(int column) {
  return column >= gcolOwner && column <= gcolShipType;
}
bool IsFirstIntColumn(int column) {
  return column <= gcolEta || column == gcolAttacks;
}

void SetCell(TGroupRow& row, int column, std::string text) {
  const auto c = static_cast<size_t>(column);
  row.Cells[c] = std::move(text);
  if (IsFirstIntColumn(column)) {
    row.Keys[c] = FirstIntKey(row.Cells[c]);
  } else if (!IsTextColumn(column)) {
    row.Keys[c] = NumberKey(row.Cells[c]);
  }
}

std::vector<std::string> SortedChoices(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int c = CompareText(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  names.insert(names.begin(), kAllOwners);
  return names;
}

bool StandsInLastTurn(const GameState& state, const TGroup& g) {
  return g.Turn == state.LastTurn && g.Distance == 0 && g.Planet != nullptr;
}

// The planet the owner filter looks at: a record's destination, else its source.
const TPlanet* FilterPlanet(const TGroupItem& item) {
  if (item.Record) {
    if (item.Record->Destination) return item.Record->Destination;
    if (item.Record->Source) return item.Record->Source;
  }
  return ItemPlanet(item);
}

bool OwnRecord(const TGroupRow* row) {
  return row && row->Item.Record && row->Group;
}

}  // namespace

TGroup* ItemGroup(const TGroupItem& item) {
  return item.Record ? item.Record->Group : item.Group;
}

TPlanet* ItemPlanet(const TGroupItem& item) {
  if (const TSendedGroup* r = item.Record) {
    if (r->Distance > 0 && r->Destination) return r->Destination;
    return r->Group ? r->Group->Planet : nullptr;
  }
  return item.Group ? item.Group->Planet : nullptr;
}

std::vector<TGroup*> OtherGroups(const GameState& state) {
  std::vector<TGroup*> groups;
  for (int i = 0; i < state.Players.Count(); ++i) {
    const TPlayer* race = state.Players.Object(i);
    if (!race || race == state.MainPlayer) continue;
    for (const auto& g : race->Groups)
      if (StandsInLastTurn(state, *g)) groups.push_back(g.get());
  }
  return groups;
}

std::vector<std::string> GroupOwnerChoices(const GameState& state) {
  std::vector<std::string> names;
  for (int i = 0; i < state.Players.Count(); ++i) {
    const TPlayer* race = state.Players.Object(i);
    if (race && !race->Groups.empty()) names.push_back(race->Name);
  }
  return SortedChoices(std::move(names));
}

std::vector<std::string> GroupPlanetOwnerChoices(const GameState& state) {
  std::vector<std::string> names;
  for (int i = 0; i < state.Players.Count(); ++i) {
    const TPlayer* race = state.Players.Object(i);
    if (!race) continue;
    for (const auto& g : race->Groups)
      if (StandsInLastTurn(state, *g)) names.push_back(g->Planet->LastOwnerName);
  }
  return SortedChoices(std::move(names));
}

std::vector<TGroupItem> GroupCandidates(const std::vector<TGroup*>& otherGroups,
                                        const TOrderAnalysis* analysis) {
  std::vector<TGroupItem> items;
  for (TGroup* g : otherGroups) items.push_back({g, nullptr});
  if (analysis) {
    for (const TSendedGroup& r : analysis->Records())
      if (r.Group) items.push_back({nullptr, &r});
  }
  return items;
}

void NoteRecordOnGroup(const TSendedGroup& record) {
  if (!record.Group) return;
  record.Group->TrackFrom = record.Source;
  record.Group->TrackTo = record.Destination;
  record.Group->ETA = record.Turns;
}

TGroupRow MakeGroupRow(const GameState& state, const TOrderAnalysis* analysis,
                       const TGroupItem& item, const TPlanet* distancePlanet) {
  TGroupRow row;
  row.Item = item;
  const TSendedGroup* r = item.Record;
  if (r) NoteRecordOnGroup(*r);
  row.Group = ItemGroup(item);
  row.Planet = ItemPlanet(item);
  const TGroup& g = *row.Group;
  const bool own = g.Owner != nullptr && g.Owner == state.MainPlayer;
  // A part split off by the orders goes by the number the orders give it.
  SetCell(row, gcolNumber, own ? std::to_string(r ? r->Number : g.GroupNumber) : "");
  // An own group's figures are its record's: the ships the orders leave it and those of them
  // still free to send.
  SetCell(row, gcolCount, std::to_string(r ? r->Ships : g.Ships));
  std::string available;
  if (own) available = std::to_string(r ? TOrderAnalysis::AvailableShips(*r) : 0);
  SetCell(row, gcolAvailable, available);
  SetCell(row, gcolEta, std::to_string(g.ETA));
  SetCell(row, gcolOwner, g.Owner ? g.Owner->Name : "");
  SetCell(row, gcolPlanet, row.Planet ? row.Planet->Name : "");
  SetCell(row, gcolPlanetOwner, row.Planet ? row.Planet->LastOwnerName : "");
  SetCell(row, gcolSource, g.ETA >= 1 && g.TrackFrom ? g.TrackFrom->Name : "");
  SetCell(row, gcolShipType, g.ShipType ? g.ShipType->Name : "");
  std::string distance = "0";
  if (distancePlanet && row.Planet) {
    distance = Fmt("%04.2f", state.PlanetDistance(distancePlanet->X, distancePlanet->Y,
                                                  row.Planet->X, row.Planet->Y) /
                                 100.0);
  }
  SetCell(row, gcolDistance, distance);
  SetCell(row, gcolSpeed, FixedCell(r ? TOrderAnalysis::SendedGroupSpeed(*r) : g.SpeedWithLoad()));
  SetCell(row, gcolAttacks, std::to_string(g.ShipType ? g.ShipType->Attacks : 0));
  SetCell(row, gcolWeapons, FixedCell(g.EffectiveWeapons()));
  SetCell(row, gcolShields, FixedCell(g.EffectiveShields()));
  SetCell(row, gcolCargo, FixedCell(g.CargoCapacity()));
  SetCell(row, gcolUpgradeCost, FixedCell(g.UpgradeCost()));
  return row;
}

std::vector<TGroupRow> GroupRows(const GameState& state, const TOrderAnalysis* analysis,
                                 const std::vector<TGroupItem>& items,
                                 const std::optional<std::string>& groupOwner,
                                 const std::optional<std::string>& planetOwner,
                                 const TPlanet* distancePlanet) {
  std::vector<TGroupRow> rows;
  for (const TGroupItem& item : items) {
    const TGroup* g = ItemGroup(item);
    if (!g) continue;
    const TPlanet* p = FilterPlanet(item);
    const std::string planetOwnerName = p ? p->LastOwnerName : "";
    const std::string groupOwnerName = g->Owner ? g->Owner->Name : "";
    if (planetOwner && *planetOwner != planetOwnerName) continue;
    if (groupOwner && *groupOwner != groupOwnerName) continue;
    rows.push_back(MakeGroupRow(state, analysis, item, distancePlanet));
  }
  return rows;
}

int CompareGroupRows(const TGroupRow& a, const TGroupRow& b, int column, bool descending) {
  if (column < 0 || column >= kGroupColumnCount) return 0;
  const auto c = static_cast<size_t>(column);
  if (column == gcolNumber && a.Keys[c].Empty != b.Keys[c].Empty) {
    const int last = a.Keys[c].Empty ? 1 : -1;
    return descending ? -last : last;
  }
  if (column == gcolPlanet || column == gcolSource) return CompareNames(a.Cells[c], b.Cells[c]);
  if (IsTextColumn(column)) return CompareText(a.Cells[c], b.Cells[c]);
  return CompareKeys(a.Keys[c], b.Keys[c]);
}

std::string GroupSortCaption(bool descending, int column) {
  const char* key = column >= 0 && column < kGroupColumnCount
                        ? kGroupSortKeyNames[static_cast<size_t>(column)]
                        : "Something :-)";
  return Fmt("Groups - sort %s on %s", descending ? "Descending" : "Ascending", key);
}

std::string CombineGroupExpressions(const std::string& previous, const std::string& chosen) {
  if (previous.empty()) return chosen;
  if (chosen.empty()) return previous;
  return "(" + previous + ") and (" + chosen + ")";
}

std::string UpgradeLines(const std::vector<const TGroupRow*>& rows) {
  std::vector<std::string> numbers;
  for (const TGroupRow* row : rows)
    if (OwnRecord(row)) numbers.push_back(std::to_string(row->Item.Record->Number));
  return numbers.empty() ? "" : UpgradeCommands(numbers);
}

std::string UnloadLines(const std::vector<const TGroupRow*>& rows) {
  std::vector<std::string> lines;
  for (const TGroupRow* row : rows)
    if (OwnRecord(row) && row->Item.Record->Load > 0)
      lines.push_back(UnloadCommand(std::to_string(row->Item.Record->Number)));
  return JoinOrderLines(lines);
}

TPickerRequest PickerRequest(const std::vector<const TGroupRow*>& rows, TSendMode mode) {
  TPickerRequest request;
  int ships = 0;
  int lastShips = 0;
  for (const TGroupRow* row : rows) {
    if (!OwnRecord(row)) continue;
    const TSendedGroup& r = *row->Item.Record;
    const int32_t available = TOrderAnalysis::AvailableShips(r);
    if (!(r.Group->Speed() > 0) || r.Distance != 0 || available < 1) continue;
    request.Groups.emplace_back(r.Number, r.Group);
    ships += available;
    lastShips = available;
  }
  switch (mode) {
    case TSendMode::GroupsToPlanet:
      request.MaxPlanets = 1;
      request.Spread = false;
      break;
    case TSendMode::GroupToPlanets:
      request.MaxPlanets = lastShips;
      request.Spread = true;
      break;
    case TSendMode::GroupsToPlanets:
      request.MaxPlanets = ships;
      request.Spread = true;
      break;
  }
  return request;
}

}  // namespace tovix

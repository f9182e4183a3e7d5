#pragma once
// What the groups list shows: one row of 16 cells per object (another race's group standing at
// a planet in the last turn, or a record of the order analysis), the candidates and the owner
// filters, the row order by each column, the sort caption, and the order lines and hand-overs
// its commands make.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_analysis.h"
#include "views/group_item.h"
#include "views/list_cells.h"

namespace tovix {

inline constexpr int kGroupColumnCount = 16;
extern const std::array<const char*, kGroupColumnCount> kGroupColumnCaptions;
extern const std::array<const char*, kGroupColumnCount> kGroupSortKeyNames;

enum TGroupColumn : int {
  gcolNumber = 0,
  gcolCount = 1,
  gcolAvailable = 2,
  gcolEta = 3,
  gcolOwner = 4,
  gcolPlanet = 5,
  gcolPlanetOwner = 6,
  gcolSource = 7,
  gcolShipType = 8,
  gcolDistance = 9,
  gcolSpeed = 10,
  gcolAttacks = 11,
  gcolWeapons = 12,
  gcolShields = 13,
  gcolCargo = 14,
  gcolUpgradeCost = 15,
};

struct TGroupRow {
  TGroupItem Item;
  TGroup* Group = nullptr;    // the group shown (a record's group for a record)
  TPlanet* Planet = nullptr;  // the planet shown
  std::array<std::string, kGroupColumnCount> Cells;
  std::array<TCellKey, kGroupColumnCount> Keys;
};

// The group of an item (a record's group for a record).
TGroup* ItemGroup(const TGroupItem& item);
// The planet a row shows: a group's planet; for a record the group's planet while it does not
// move, else its destination.
TPlanet* ItemPlanet(const TGroupItem& item);

// The other races' groups read in the last turn that stand at a planet, race by race in the
// model's order.
std::vector<TGroup*> OtherGroups(const GameState& state);

// The group-owner combo's entries: "(All)", then each race with groups, sorted ignoring case.
std::vector<std::string> GroupOwnerChoices(const GameState& state);
// The planet-owner combo's entries: "(All)", then the owners (last owner names) of the planets
// where groups of the last turn stand, sorted ignoring case.
std::vector<std::string> GroupPlanetOwnerChoices(const GameState& state);

// The candidates of a fill: the other races' groups, then every record of the analysis in its
// order (none without an analysis).
std::vector<TGroupItem> GroupCandidates(const std::vector<TGroup*>& otherGroups,
                                        const TOrderAnalysis* analysis);

// Notes a record's source, destination and arrival turns on its group (the source planet and
// ETA cells, the planet window and the destination picker read them there).
void NoteRecordOnGroup(const TSendedGroup& record);

// The row of an item. `distancePlanet` is the reference of the distance column (nullptr: "0").
// For a record, NoteRecordOnGroup is applied first.
TGroupRow MakeGroupRow(const GameState& state, const TOrderAnalysis* analysis,
                       const TGroupItem& item, const TPlanet* distancePlanet);

// Rows for the items that pass the owner filters (nullopt: "(All)"), in order.
std::vector<TGroupRow> GroupRows(const GameState& state, const TOrderAnalysis* analysis,
                                 const std::vector<TGroupItem>& items,
                                 const std::optional<std::string>& groupOwner,
                                 const std::optional<std::string>& planetOwner,
                                 const TPlanet* distancePlanet);

// The ascending order of two rows by a column: empty cells first and equal to each other,
// planet names by CompareNames (names of digits as numbers). The other races' groups have no
// number: by "Group Nr." they come after the user's groups in either direction, so a descending
// sort (which the list makes by comparing the rows the other way round) passes `descending`.
int CompareGroupRows(const TGroupRow& a, const TGroupRow& b, int column, bool descending = false);

// "Groups - sort Descending on Number of Ships".
std::string GroupSortCaption(bool descending, int column);

// "(previous) and (chosen)" when there was a previous expression, else the chosen one.
std::string CombineGroupExpressions(const std::string& previous, const std::string& chosen);

// The "G n" lines of the selected own records, in row order, joined by CR LF.
std::string UpgradeLines(const std::vector<const TGroupRow*>& rows);
// The "U n" lines of the selected own records that carry a load.
std::string UnloadLines(const std::vector<const TGroupRow*>& rows);

// What the destination picker gets for a send.
enum class TSendMode {
  GroupsToPlanet,   // several groups to one planet
  GroupToPlanets,   // one group spread over planets
  GroupsToPlanets,  // several groups spread over planets
};
// The groups of the selected own records that can be sent (speed above 0, not under way) and
// the picker's limits; no groups when none qualifies.
TPickerRequest PickerRequest(const std::vector<const TGroupRow*>& rows, TSendMode mode);

}  // namespace tovix

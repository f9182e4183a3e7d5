#pragma once
// The passes over the model that run while and after the reports are read: pruning groups that
// a newer report no longer shows, counting ships in production, the map tracks, and merging
// duplicate groups.
//
// Groups are removed only through GameState::RemoveGroupsIf, or while the reports are read from
// the reader's TGroupStore. Nothing else in the model holds a race's groups (battles keep their
// own copies), so no reference is left behind.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/group_store.h"

namespace tovix {

// After each report of turn `turn`: other races' groups seen in earlier turns at planets that
// this report's race now sees (its own planets, and the planets where its groups of this turn
// stand) are removed. The groups are those of the store the reader keeps them in, which finds
// the groups at a planet without looking at the others.
void PruneGroups(GameState& state, TGroupStore& groups, int32_t turn);

// Once after reading: fills ShipsPresent and ShipsUpToDate of every ship in production from
// the user's groups standing at its planet with its design.
void CountShipsInProduction(GameState& state);

// Adds the track points of the report's character map (the "-" marks inside the 80-column
// frame) for turn `turn`. Nothing when the report has no map. Any line ends.
void ReadMapTracks(GameState& state, std::string_view reportText, int32_t turn);

// Adds the interpolated track points of the user's groups in flight in turn `turn`. On a
// wrapping map the point lies on the shorter way round, as PlanetDistance measures it.
void AddGroupTracks(GameState& state, int32_t turn);

// The key under which MergeGroups takes two groups of one race for the same group read twice:
// turn, design, planet, origin, ships, distance, the four levels, load and cargo type. A group
// that carries its own number (the owner's report) adds it, so two of the owner's groups that
// only look alike are never merged.
std::string MergeGroupKey(const TGroup& group);

// Once after reading: of two groups of a race with equal keys the first goes, unless it belongs
// to a fleet. The user's groups as an ally's report listed them (number 0) go too.
void MergeGroups(GameState& state);

}  // namespace tovix

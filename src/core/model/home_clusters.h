#pragma once
// Home-cluster counting: a guess at the owners of unidentified planets in the first turns.
// Every race starts with a cluster of planets; the planets inhabited in turn 0 are grouped
// into clusters, each cluster's planets are counted turn by turn, and a cluster whose count
// history equals the planet-count history of exactly one race (from the status tables) is
// taken to be that race's. Planets of clusters that match no race are labelled with the
// cluster number in LastOwnerName.
//
// The counting keeps its working state in the GameState from turn 0 until the turn
// "UseCountMethod" (UseCountMethod 0: it never runs). Only the user's own reports are counted.

#include <cstdint>
#include <limits>
#include <vector>

#include "core/model/game_state.h"

namespace tovix {

// One inhabited planet as the counting sees it.
struct THomeClusterRecord {
  TPlanet* Planet = nullptr;
  int32_t Cluster = -1;      // -1: none yet
  TPlayer* Owner = nullptr;  // the race the record is given to; nullptr for none
  bool Early = false;        // present in turn 0 or 1
};

// Planet-count histories of one cluster or race, one column per counted turn.
struct TClusterRow {
  std::vector<int32_t> Counts;
  TPlayer* Race = nullptr;
  // Turn 0 may leave more clusters than races (planets left over); such a cluster is counted
  // for its label but never given to a race.
  bool Extra = false;
};

struct TRaceRow {
  std::vector<int32_t> Counts;
  int32_t Cluster = -1;
  TPlayer* Race = nullptr;
};

// The working state of the counting from turn 0 until the turn "UseCountMethod"; the
// GameState holds it (HomeClusters) while the reports are read.
class THomeClusterCounter {
 public:
  // Builds the tables; false when there is no race to count for.
  bool Start(const GameState& state);
  void Count(GameState& state, int32_t turn);

 private:
  void UpdateRecords(const GameState& state, int32_t turn);
  void FormClusters(const GameState& state, int32_t turn);
  void SizeTurn0Planets(const GameState& state);
  void CountClusters(int32_t turn);
  void MatchClustersAndRaces(int32_t turn);
  void LabelPlanets(int32_t turn);

  std::vector<THomeClusterRecord> records_;
  std::vector<TClusterRow> clusters_;
  std::vector<TRaceRow> races_;
  size_t columns_ = 0;
  int32_t perCluster_ = 1;
  int32_t radius_ = std::numeric_limits<int32_t>::max();
};

// After the planet tables of the user's turn-0 report: the unidentified planets take the size
// and resources of the user's own home planets (when "turn0HabitedPlanetsSize" is 0), and
// when the planet numbers run in blocks, one block per race, each block is given to the race
// whose name holds the block's number ("race_3" for the third block).
void CountClustersTurn0(GameState& state);

// After the user's report of turn `turn`, for turn <= UseCountMethod. Turn 0 forms the
// clusters; later turns count them and guess owners; the turn UseCountMethod ends the method.
void CountClustersForTurn(GameState& state, int32_t turn);

}  // namespace tovix

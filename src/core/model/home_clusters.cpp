#include "core/model/home_clusters.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <numeric>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/model/planet_ordering.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

std::vector<TPlayer*> RacesOf(const GameState& state) {
  std::vector<TPlayer*> races;
  for (auto [key, race] : state.Players) {
    if (race) races.push_back(race);
  }
  return races;
}

bool ByPlanetNumber(const THomeClusterRecord& a, const THomeClusterRecord& b) {
  if (a.Planet->Number != b.Planet->Number) return a.Planet->Number < b.Planet->Number;
  return CompareText(a.Planet->Name, b.Planet->Name) < 0;
}

}  // namespace

bool THomeClusterCounter::Start(const GameState& state) {
  const std::vector<TPlayer*> races = RacesOf(state);
  if (races.empty()) return false;
  columns_ = static_cast<size_t>(std::min(state.Settings.UseCountMethod, kMaxTurn + 1));
  for (size_t i = 0; i < races.size(); ++i) {
    clusters_.push_back(TClusterRow{std::vector<int32_t>(columns_, 0), nullptr, false});
    races_.push_back(TRaceRow{std::vector<int32_t>(columns_, 0), -1, races[i]});
  }
  return true;
}

void THomeClusterCounter::Count(GameState& state, int32_t turn) {
  if (turn == 1) return;
  const auto column = static_cast<size_t>(turn);
  if (column >= columns_) return;
  for (TRaceRow& row : races_) row.Counts[column] = row.Race->GetPlanetCount(turn);
  UpdateRecords(state, turn);
  if (turn == 0) perCluster_ = static_cast<int32_t>(records_.size() / races_.size());
  FormClusters(state, turn);
  if (turn == 0 && state.Settings.turn0HabitedPlanetsSize > 0 &&
      state.Settings.turn0HabitedPlanetsSize2nd > 0) {
    SizeTurn0Planets(state);
  }
  CountClusters(turn);
  MatchClustersAndRaces(turn);
  LabelPlanets(turn);
}

void THomeClusterCounter::UpdateRecords(const GameState& state, int32_t turn) {
  std::erase_if(records_, [](const THomeClusterRecord& r) { return r.Planet->Owner.IsNone(); });
  std::unordered_set<const TPlanet*> held;
  for (const THomeClusterRecord& r : records_) held.insert(r.Planet);
  std::vector<THomeClusterRecord> added;
  for (auto [key, planet] : state.Planets) {
    if (planet && !planet->Owner.IsNone() && held.count(planet) == 0) {
      added.push_back(THomeClusterRecord{planet, -1, nullptr, turn <= 1});
    }
  }
  // Planets list order follows key hashes; planet numbers give a readable, repeatable order.
  std::stable_sort(added.begin(), added.end(), ByPlanetNumber);
  records_.insert(records_.end(), added.begin(), added.end());
}

void THomeClusterCounter::FormClusters(const GameState& state, int32_t turn) {
  int32_t nextCluster = 0;
  std::vector<size_t> order(records_.size());
  for (size_t r = 0; r < records_.size(); ++r) {
    if (records_[r].Cluster >= 0) continue;
    if (turn == 0) records_[r].Cluster = nextCluster++;
    const TPlanet* centre = records_[r].Planet;
    for (THomeClusterRecord& record : records_) {
      record.Planet->SetDistanceFrom(state.Settings, centre->X, centre->Y);
    }
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return CompareClusterPlanets(records_[a], records_[b]) < 0;
    });
    if (turn > 1) {
      // A planet settled later belongs to the cluster of the nearest home planet within the
      // radius, or else of the nearest planet that has a cluster at all.
      int32_t found = -1;
      for (size_t i : order) {
        const THomeClusterRecord& near = records_[i];
        if (i == r) continue;
        if (near.Planet->Distance > radius_) break;
        if (near.Early && near.Cluster >= 0) {
          found = near.Cluster;
          break;
        }
      }
      for (size_t i : order) {
        if (found >= 0) break;
        if (i != r && records_[i].Cluster >= 0) found = records_[i].Cluster;
      }
      records_[r].Cluster = found;
    }
    const int32_t cluster = records_[r].Cluster;
    if (cluster < 0) continue;
    // The record itself is the first of the K planets of its cluster.
    int32_t members = 1;
    for (size_t i : order) {
      THomeClusterRecord& near = records_[i];
      if (i == r || near.Cluster >= 0) continue;
      if (members < perCluster_) {
        near.Cluster = cluster;
        ++members;
      } else {
        radius_ = std::min(radius_, near.Planet->Distance / 2);
        break;
      }
    }
  }
}

void THomeClusterCounter::SizeTurn0Planets(const GameState& state) {
  std::vector<size_t> order(records_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return CompareClusterRecords(records_[a], records_[b]) < 0;
  });
  // Every planet of a cluster but its last gets the size of the smaller home planets. The
  // sizes are a guess, so a planet whose owner the report names keeps the size it reported.
  for (size_t i = 0; i + 1 < order.size(); ++i) {
    const THomeClusterRecord& record = records_[order[i]];
    if (record.Cluster >= 0 && records_[order[i + 1]].Cluster == record.Cluster &&
        record.Planet->Owner.IsUnknown()) {
      record.Planet->Size = state.Settings.turn0HabitedPlanetsSize2nd;
    }
  }
}

void THomeClusterCounter::CountClusters(int32_t turn) {
  const auto column = static_cast<size_t>(turn);
  int32_t highest = -1;
  for (const THomeClusterRecord& record : records_) highest = std::max(highest, record.Cluster);
  while (clusters_.size() <= static_cast<size_t>(std::max(highest, 0))) {
    clusters_.push_back(TClusterRow{std::vector<int32_t>(columns_, 0), nullptr, true});
  }
  for (TClusterRow& row : clusters_) row.Counts[column] = 0;
  // A record still without a cluster belongs to none and is not counted.
  for (const THomeClusterRecord& record : records_) {
    if (record.Cluster >= 0) ++clusters_[static_cast<size_t>(record.Cluster)].Counts[column];
  }
}

void THomeClusterCounter::MatchClustersAndRaces(int32_t turn) {
  const auto counted = static_cast<size_t>(turn) + 1;
  auto sameHistory = [&](const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
    return std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(counted), b.begin());
  };
  auto freeCluster = [](const TClusterRow& row) { return !row.Extra && !row.Race; };
  // A pair is made only when the history is unique on both sides: one free race and one free
  // cluster share it. Two races (or clusters) with equal histories cannot be told apart.
  for (TRaceRow& race : races_) {
    if (race.Cluster >= 0) continue;
    int32_t match = -1;
    int matches = 0;
    for (size_t c = 0; c < clusters_.size(); ++c) {
      if (freeCluster(clusters_[c]) && sameHistory(race.Counts, clusters_[c].Counts)) {
        match = static_cast<int32_t>(c);
        ++matches;
      }
    }
    if (matches != 1) continue;
    TClusterRow& cluster = clusters_[static_cast<size_t>(match)];
    const auto racesSharing = std::count_if(races_.begin(), races_.end(), [&](const TRaceRow& r) {
      return r.Cluster < 0 && sameHistory(r.Counts, cluster.Counts);
    });
    if (racesSharing != 1) continue;
    race.Cluster = match;
    cluster.Race = race.Race;
  }
}

void THomeClusterCounter::LabelPlanets(int32_t turn) {
  std::vector<bool> guessed(records_.size(), false);
  for (size_t i = 0; i < records_.size(); ++i) {
    THomeClusterRecord& record = records_[i];
    TPlanet& planet = *record.Planet;
    if (!planet.Owner.IsUnknown() || record.Cluster < 0) continue;
    TPlayer* race = clusters_[static_cast<size_t>(record.Cluster)].Race;
    if (!race) continue;
    planet.SetOwner(TOwnerRef::Of(race), turn);
    record.Owner = race;
    planet.LastOwnerName = race->Name;
    planet.OwnerState = osUnknownNow;
    planet.OwnerTurn = turn;
    guessed[i] = true;
  }
  for (size_t i = 0; i < records_.size(); ++i) {
    // A guess made just now keeps its "unknown owner" state; only owners the reports name are
    // marked as known.
    if (guessed[i]) continue;
    const THomeClusterRecord& record = records_[i];
    TPlanet& planet = *record.Planet;
    if (planet.Owner.IsUnknown()) {
      if (planet.OwnerState == osNeverSeen && planet.LastOwner) {
        planet.LastOwnerName = planet.LastOwner->Name;
      } else if (record.Cluster >= 0) {
        planet.LastOwnerName = std::to_string(record.Cluster);
        planet.OwnerState = osUnknownNow;
        planet.OwnerTurn = turn;
      }
    } else if (TPlayer* owner = planet.Owner.Player()) {
      planet.LastOwnerName = owner->Name;
      planet.OwnerState = osKnown;
      planet.OwnerTurn = turn;
      planet.LastOwner = owner;
    }
  }
}

void CountClustersTurn0(GameState& state) {
  const std::vector<TPlayer*> races = RacesOf(state);
  if (races.empty()) return;
  std::vector<THomeClusterRecord> records;
  for (auto [key, planet] : state.Planets) {
    if (planet && !planet->Owner.IsNone()) {
      records.push_back(THomeClusterRecord{planet, -1, planet->Owner.Player(), false});
    }
  }
  std::stable_sort(records.begin(), records.end(), ByPlanetNumber);
  const size_t perCluster = records.size() / races.size();
  if (perCluster == 0) return;

  // The unidentified planets are home planets like the user's own: they take the size and
  // resources of the user's first K planets in turn.
  std::vector<const TPlanet*> pattern;
  for (const THomeClusterRecord& record : records) {
    if (record.Owner && pattern.size() < perCluster) pattern.push_back(record.Planet);
  }
  if (state.Settings.turn0HabitedPlanetsSize == 0 && !pattern.empty()) {
    size_t next = 0;
    for (THomeClusterRecord& record : records) {
      if (record.Owner) continue;
      const TPlanet* model = pattern[next++ % pattern.size()];
      record.Planet->Size = model->Size;
      record.Planet->Resources = model->Resources;
    }
  }

  // Servers that number the planets race by race start block i at N x i + 1.
  const int64_t perRace = state.Planets.Count() / static_cast<int64_t>(races.size());
  for (size_t start = 0, block = 0; start < records.size(); start += perCluster, ++block) {
    if (records[start].Planet->Number != perRace * static_cast<int64_t>(block) + 1) return;
  }
  for (size_t start = 0, block = 0; start < records.size(); start += perCluster, ++block) {
    // The block belongs to the race whose name holds its number first; when no race, or more
    // than one, does, the block stays as it is.
    TPlayer* owner = nullptr;
    int named = 0;
    for (TPlayer* race : races) {
      if (FirstIntInStr(race->Name) == static_cast<int64_t>(block) + 1) {
        owner = race;
        ++named;
      }
    }
    if (named != 1) continue;
    const size_t end = std::min(start + perCluster, records.size());
    for (size_t i = start; i < end; ++i) {
      TPlanet& planet = *records[i].Planet;
      if (!planet.Owner.IsPlayer()) planet.SetOwner(TOwnerRef::Of(owner), 0);
    }
  }
}

void CountClustersForTurn(GameState& state, int32_t turn) {
  std::unique_ptr<THomeClusterCounter>& counter = state.HomeClusters;
  if (turn < 0 || turn >= state.Settings.UseCountMethod) {
    // The turn "UseCountMethod" ends the method.
    counter.reset();
    return;
  }
  if (turn == 0) {
    counter = std::make_unique<THomeClusterCounter>();
    if (!counter->Start(state)) {
      counter.reset();
      return;
    }
  }
  // Without the turn-0 report there are no clusters to count.
  if (counter) counter->Count(state, turn);
}

}  // namespace tovix

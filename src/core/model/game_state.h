#pragma once
// GameState: the whole model of one game, with its game-wide lists, the chosen game's
// settings, the report layout and the report reader's working values. The program makes one;
// tests make their own. Nothing of it is global.
//
// Lists own their objects. Add to them directly; remove and re-key planets, races and groups
// through the operations below, which keep the distance index and every other reference in
// the model in step, so that no pointer dangles.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/extra_planet_info.h"
#include "core/model/game_model.h"
#include "core/settings/game_types.h"
#include "core/settings/report_layout.h"
#include "core/text/star_names.h"
#include "core/text/string_lists.h"

namespace tovix {

class THomeClusterCounter;

// Distance of two map points (hundredths). In "Galaxy NG" games on a "Spherical" map the map
// wraps at its edges, so the shorter way round counts.
float PlanetDistance(const TGameSettings& settings, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The PlanetsByDistance key of a position: its rounded distance from the origin.
int32_t PlanetDistanceKey(int32_t x, int32_t y);

class GameState {
 public:
  GameState();
  ~GameState();
  GameState(const GameState&) = delete;
  GameState& operator=(const GameState&) = delete;

  TGameSettings Settings;
  TReportLayout Layout;

  // Keyed by the lower-cased race name. "Galaxy NG Blind" games accept equal names.
  TFStringList<std::unique_ptr<TPlayer>> Players{true, TDuplicates::Error};
  // Keyed by the lower-cased planet name ("Galaxy Blind": the planet number, where known).
  TFStringList<std::unique_ptr<TPlanet>> Planets{true, TDuplicates::Error};
  // Every planet of Planets under the rounded distance of its position from the origin, with
  // its Planets key as text. Kept by AddPlanet, MovePlanet and RemovePlanet.
  TDStringList<TPlanet*> PlanetsByDistance;
  // Keyed by the lower-cased planet word of the battle header, a tab and the turn.
  TFStringList<std::unique_ptr<TBattle>> Battles{false, TDuplicates::Accept};
  // Keyed by "%d$%s" of turn and planet name.
  TFStringList<std::unique_ptr<TBombing>> Bombings{true, TDuplicates::Error};
  // Keyed by the lower-cased origin planet name.
  TFStringList<std::unique_ptr<TRoute>> Routes{true, TDuplicates::Error};
  std::vector<std::unique_ptr<TIncomingGroup>> IncomingGroups;
  std::vector<std::unique_ptr<TShipInProduction>> ShipsInProduction;
  std::vector<TTracks> Tracks;
  TExtraPlanetInfoList ExtraInfo;

  // The user's race's "autoUnload" option in its latest report: cargo ships unload at its own
  // planets by themselves.
  bool AutoUnload = true;
  TPlayer* MainPlayer = nullptr;    // the user's race
  TPlayer* ReportPlayer = nullptr;  // the race whose report is being read
  TPlanet* SelectedPlanet = nullptr;
  TPlanet* SelectedPlanet2 = nullptr;
  // Stands for a planet the reports do not identify. Not in Planets.
  TPlanet* const UnknownPlanet = &unknownPlanet_;
  // Where the next proposal of a new planet name goes on from, and the names proposed so far
  // (lower case): the planet windows share them, so no two planets are offered one name.
  TStarSeed EliteNameSeed = kStartSeed;
  std::vector<std::string> EliteNamesProposed;

  // The report reader's working values.
  int32_t FirstTurn = -1;
  int32_t LastTurn = -1;
  std::string GameName;
  int32_t ReportLetterIndex = 0;  // 1 for the user's own report
  int32_t PlanetNumberCounter = 0;
  // The home-cluster counting's tables while the first turns are read (home_clusters.h).
  std::unique_ptr<THomeClusterCounter> HomeClusters;

  // The development planner's records; a plan that holds no planet until one is set.
  const IDevelopmentPlan& DevelopmentPlan() const { return *plan_; }
  // Not owned; nullptr returns to the empty plan.
  void SetDevelopmentPlan(const IDevelopmentPlan* plan);

  float PlanetDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
    return tovix::PlanetDistance(Settings, x1, y1, x2, y2);
  }

  // --- Lookups (nullptr when nothing matches) ---

  // The first planet with that number.
  TPlanet* PlanetByNumber(int32_t number) const;
  TPlayer* PlayerByNumber(int32_t number) const;
  TPlayer* PlayerByName(std::string_view name) const;
  // By key; in "Galaxy Blind" games then by name, then by the number in the text.
  TPlanet* PlanetByName(std::string_view name) const;
  // Adds to `names` each design name of the race it does not hold yet (ignoring case).
  static void AddShipTypeNames(const TPlayer* race, std::vector<std::string>& names);
  // 1 + the highest race number, at least 1.
  int32_t GetNextPlayerNumber() const;
  void SetAllPlayersTurnCount(int32_t turn);

  // --- Adding, re-keying and removing ---

  // Adds a planet under `key` to Planets and under `distanceKey` to PlanetsByDistance. A key
  // already used raises EStringListError and nothing is added.
  TPlanet* AddPlanet(std::string key, std::unique_ptr<TPlanet> planet, int32_t distanceKey);
  // Files `planet`, now under `oldKey`, under `newKey` and `distanceKey` instead; the object
  // and every reference to it stay. False, changing nothing, when `oldKey` does not hold this
  // planet. A `newKey` used by another planet raises EStringListError and changes nothing.
  bool MovePlanet(TPlanet& planet, std::string_view oldKey, std::string newKey,
                  int32_t distanceKey);
  // Removes and frees a planet of Planets. What cannot exist without it goes too (battles and
  // bombings at it, routes from it, incoming groups from or to it); groups standing at it or
  // flying to it are moved to UnknownPlanet; every other reference becomes nullptr. False when
  // the planet is not in Planets.
  bool RemovePlanet(TPlanet* planet);

  // Files a race, now under `oldKey`, under `newKey`; the object stays. False when `oldKey`
  // does not hold this race; a `newKey` already used raises EStringListError.
  bool RekeyPlayer(TPlayer& race, std::string_view oldKey, std::string newKey);

  // Frees one group of a race; false when the race does not hold it. Nothing else in the model
  // refers to a race's groups (battles keep their own), so the group is simply gone; code that
  // keeps group pointers outside the model rebuilds them after a removal.
  bool RemoveGroup(TPlayer& race, const TGroup* group);
  // Frees every group of the race for which `doomed` (called with a const TGroup&) is true;
  // returns how many went. The others keep their order.
  template <class Pred>
  int RemoveGroupsIf(TPlayer& race, Pred&& doomed) {
    return static_cast<int>(std::erase_if(
        race.Groups, [&](const std::unique_ptr<TGroup>& g) { return doomed(std::as_const(*g)); }));
  }
  void ClearGroups(TPlayer& race) { race.Groups.clear(); }

 private:
  void ForgetPlanet(const TPlanet* planet);

  TPlanet unknownPlanet_{"Unknown planet!"};
  const IDevelopmentPlan* plan_;
};

}  // namespace tovix

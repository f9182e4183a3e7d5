#include "core/model/game_state.h"

#include "core/model/home_clusters.h"

#include <algorithm>
#include <cmath>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

const TNoDevelopmentPlan kNoPlan;

// Files item `index` under `newKey`, keeping its object. Refused before anything changes when
// the key is taken.
template <class Ptr>
void RekeyItem(TFStringList<Ptr>& list, int index, std::string newKey) {
  if (list.Duplicates() != TDuplicates::Accept) {
    int at = 0;
    if (list.Find(newKey, at) && at != index) string_list_detail::ThrowDuplicateError();
  }
  Ptr object = list.Extract(index);
  list.AddObject(std::move(newKey), std::move(object));
}

template <class List, class T>
int IndexOfObject(const List& list, const T* object) {
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Object(i) == object) return i;
  }
  return -1;
}

// Deletes every item whose object `doomed` picks, from the end so indexes stay valid.
template <class List, class Pred>
void DeleteObjectsIf(List& list, Pred doomed) {
  for (int i = list.Count() - 1; i >= 0; --i) {
    if (doomed(list.Object(i))) list.Delete(i);
  }
}

void Forget(TPlanet*& reference, const TPlanet* planet, TPlanet* replacement = nullptr) {
  if (reference == planet) reference = replacement;
}

void ForgetInGroups(std::vector<std::unique_ptr<TGroup>>& groups, const TPlanet* planet,
                    TPlanet* unknownPlanet) {
  for (auto& group : groups) {
    Forget(group->Planet, planet, unknownPlanet);
    Forget(group->Origin, planet);
    Forget(group->TrackFrom, planet);
    Forget(group->TrackTo, planet);
  }
}

}  // namespace

float PlanetDistance(const TGameSettings& settings, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2) {
  // In doubles: the difference of two int32 values may not fit into one.
  double dx = std::abs(static_cast<double>(x1) - x2);
  double dy = std::abs(static_cast<double>(y1) - y2);
  if (settings.GameType == TGameType::NG && settings.MapType == TMapType::Spherical) {
    const double width = static_cast<double>(settings.MapSize) * 100;
    if (dx > width / 2) dx = width - dx;
    if (dy > width / 2) dy = width - dy;
  }
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

int32_t PlanetDistanceKey(int32_t x, int32_t y) {
  return RoundToInt(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
}

GameState::GameState() : plan_(&kNoPlan) {}

GameState::~GameState() = default;

void GameState::SetDevelopmentPlan(const IDevelopmentPlan* plan) {
  plan_ = plan ? plan : &kNoPlan;
}

// --- Lookups --------------------------------------------------------------------------------

TPlanet* GameState::PlanetByNumber(int32_t number) const {
  for (auto [key, planet] : Planets) {
    if (planet && planet->Number == number) return planet;
  }
  return nullptr;
}

TPlayer* GameState::PlayerByNumber(int32_t number) const {
  for (auto [key, race] : Players) {
    if (race && race->Number == number) return race;
  }
  return nullptr;
}

TPlayer* GameState::PlayerByName(std::string_view name) const {
  const int index = Players.IndexOf(LowerCase(name));
  return index >= 0 ? Players.Object(index) : nullptr;
}

TPlanet* GameState::PlanetByName(std::string_view name) const {
  const int index = Planets.IndexOf(LowerCase(name));
  if (index >= 0) return Planets.Object(index);
  if (Settings.GameType != TGameType::Blind) return nullptr;
  // "Galaxy Blind" keys planets by number, so a name may only be found by scanning.
  for (auto [key, planet] : Planets) {
    if (planet && SameText(planet->Name, name)) return planet;
  }
  // A text without digits holds no number; 0 would match every planet not numbered yet.
  if (std::none_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return nullptr;
  return PlanetByNumber(FirstIntInStr(name));
}

void GameState::AddShipTypeNames(const TPlayer* race, std::vector<std::string>& names) {
  if (!race) return;
  for (auto [key, type] : race->ShipTypes) {
    if (!type) continue;
    const bool held = std::any_of(names.begin(), names.end(),
                                  [&](const std::string& n) { return SameText(n, type->Name); });
    if (!held) names.push_back(type->Name);
  }
}

int32_t GameState::GetNextPlayerNumber() const {
  int32_t highest = 0;
  for (auto [key, race] : Players) {
    if (race) highest = std::max(highest, race->Number);
  }
  return highest + 1;
}

void GameState::SetAllPlayersTurnCount(int32_t turn) {
  for (auto [key, race] : Players) {
    if (race) race->SetTurnCount(turn);
  }
}

// --- Adding, re-keying and removing ---------------------------------------------------------

TPlanet* GameState::AddPlanet(std::string key, std::unique_ptr<TPlanet> planet,
                              int32_t distanceKey) {
  TPlanet* added = planet.get();
  std::string distanceText = key;
  Planets.AddObject(std::move(key), std::move(planet));
  PlanetsByDistance.AddWithKey(distanceKey, std::move(distanceText), added);
  return added;
}

bool GameState::MovePlanet(TPlanet& planet, std::string_view oldKey, std::string newKey,
                           int32_t distanceKey) {
  const int index = Planets.IndexOf(oldKey);
  if (index < 0 || Planets.Object(index) != &planet) return false;
  std::string distanceText = newKey;
  RekeyItem(Planets, index, std::move(newKey));
  DeleteObjectsIf(PlanetsByDistance, [&](const TPlanet* p) { return p == &planet; });
  PlanetsByDistance.AddWithKey(distanceKey, std::move(distanceText), &planet);
  return true;
}

bool GameState::RemovePlanet(TPlanet* planet) {
  const int index = IndexOfObject(Planets, planet);
  if (index < 0) return false;
  ForgetPlanet(planet);
  Planets.Delete(index);
  return true;
}

void GameState::ForgetPlanet(const TPlanet* planet) {
  // The cluster counting holds planets of the first turns; it is not worth keeping in step.
  HomeClusters.reset();
  Forget(SelectedPlanet, planet);
  Forget(SelectedPlanet2, planet);
  for (auto [key, race] : Players) {
    if (race) ForgetInGroups(race->Groups, planet, UnknownPlanet);
  }
  DeleteObjectsIf(Battles, [&](const TBattle* b) { return b->Planet == planet; });
  for (auto [key, battle] : Battles) {
    ForgetInGroups(battle->Groups, planet, UnknownPlanet);
    ForgetInGroups(battle->Attackers, planet, UnknownPlanet);
    ForgetInGroups(battle->Defenders, planet, UnknownPlanet);
  }
  DeleteObjectsIf(Bombings, [&](const TBombing* b) { return b->Planet == planet; });
  DeleteObjectsIf(Routes, [&](const TRoute* r) { return r->Origin == planet; });
  for (auto [key, route] : Routes) {
    for (TPlanet** destination :
         {&route->Mat, &route->Col, &route->Cap, &route->Emp, &route->ReportMat, &route->ReportCol,
          &route->ReportCap, &route->ReportEmp}) {
      Forget(*destination, planet);
    }
  }
  std::erase_if(IncomingGroups, [&](const std::unique_ptr<TIncomingGroup>& g) {
    return g->Origin == planet || g->Destination == planet;
  });
  for (int i = 0; i < ExtraInfo.Count(); ++i) Forget(ExtraInfo[i].Planet, planet);
  DeleteObjectsIf(PlanetsByDistance, [&](const TPlanet* p) { return p == planet; });
}

bool GameState::RekeyPlayer(TPlayer& race, std::string_view oldKey, std::string newKey) {
  const int index = Players.IndexOf(oldKey);
  if (index < 0) return false;
  // With equal keys allowed ("Galaxy NG Blind") the key may hold several races.
  int found = -1;
  for (int i = index; i < Players.Count() && SameText(Players.Strings(i), oldKey); ++i) {
    if (Players.Object(i) == &race) {
      found = i;
      break;
    }
  }
  if (found < 0) return false;
  RekeyItem(Players, found, std::move(newKey));
  return true;
}

bool GameState::RemoveGroup(TPlayer& race, const TGroup* group) {
  auto it = std::find_if(race.Groups.begin(), race.Groups.end(),
                         [&](const std::unique_ptr<TGroup>& g) { return g.get() == group; });
  if (it == race.Groups.end()) return false;
  race.Groups.erase(it);
  return true;
}

}  // namespace tovix

#include "views/name_samples.h"

#include <algorithm>
#include <unordered_set>

#include "views/planet_list_rows.h"

namespace tovix {

std::vector<std::string> LongestTexts(std::vector<std::string> texts, size_t count) {
  std::stable_sort(texts.begin(), texts.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  std::vector<std::string> longest;
  std::unordered_set<std::string> seen;
  for (std::string& text : texts) {
    if (longest.size() == count) break;
    if (!text.empty() && seen.insert(text).second) longest.push_back(std::move(text));
  }
  return longest;
}

TGameNames LongestGameNames(const GameState& state, size_t perKind) {
  std::vector<std::string> planets, owners, races, types, productions;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet* p = state.Planets.Object(i);
    if (!p) continue;
    planets.push_back(p->Name);
    owners.push_back(PlanetOwnerText(*p));
    productions.push_back(p->Production);
  }
  for (int i = 0; i < state.Players.Count(); ++i) {
    const TPlayer* race = state.Players.Object(i);
    if (!race) continue;
    races.push_back(race->Name);
    for (int t = 0; t < race->ShipTypes.Count(); ++t)
      if (const TShipType* type = race->ShipTypes.Object(t)) types.push_back(type->Name);
    for (const auto& g : race->Groups)
      if (g->ShipType && !g->FleetName.empty())
        types.push_back(g->ShipType->Name + " (" + g->FleetName + ")");
  }
  return {LongestTexts(std::move(planets), perKind), LongestTexts(std::move(owners), perKind),
          LongestTexts(std::move(races), perKind), LongestTexts(std::move(types), perKind),
          LongestTexts(std::move(productions), perKind)};
}

}  // namespace tovix

#include "views/send_rows.h"

#include "core/text/numbers.h"
#include "views/planet_list_rows.h"
#include "views/race_order.h"

namespace tovix {

namespace {

std::string TypeName(const TGroup& group) {
  return group.ShipType ? group.ShipType->Name : std::string();
}

int32_t Attacks(const TGroup& group) {
  return group.ShipType ? group.ShipType->Attacks : 0;
}

float ShipMass(const TGroup& group) {
  return group.ShipType ? group.ShipType->Mass() : 0.0f;
}

// A group of the last turn that stands at `planet`.
bool StandsAt(const GameState& state, const TGroup& group, const TPlanet& planet) {
  return group.Turn == state.LastTurn && group.Planet == &planet && group.Distance == 0;
}

TCells GroupCells(const TGroup& group, int32_t ships, double speed, std::string turns) {
  return {Fmt("%d", ships),
          TypeName(group),
          Fmt("%04.1f", speed),
          std::move(turns),
          Fmt("%d", Attacks(group)),
          Fmt("%04.1f", group.EffectiveWeapons()),
          Fmt("%04.1f", group.EffectiveShields()),
          Fmt("%04.1f", ShipMass(group))};
}

}  // namespace

TCells AdvancedGroupCells(const TAdvancedSend::TGroupRow& row) {
  const TGroup& g = *row.Group;
  return {Fmt("%d", row.Key),
          Fmt("%d", row.Available),
          TypeName(g),
          Fmt("%5.2f", SendSpeed(g)),
          Fmt("%d", Attacks(g)),
          Fmt("%5.2f", g.EffectiveWeapons()),
          Fmt("%5.2f", g.EffectiveShields())};
}

TCells AdvancedPlanetCells(const TPlanet& planet, const std::string& turns) {
  return {planet.Name,
          PlanetOwnerText(planet),
          turns,
          Fmt("%5.2f", planet.MyShipMass),
          Fmt("%5.2f", planet.FriendlyShipMass),
          Fmt("%5.2f", planet.EnemyShipMass),
          Fmt("%5.2f", planet.SentMass)};
}

TCells AdvancedResultCells(const TAdvancedSend::TResultRow& row) {
  return {Fmt("%d", row.Key), TypeName(*row.Group), row.Planet->Name, Fmt("%d", row.Amount),
          row.Turns};
}

std::vector<std::string> AdvancedPlanetLines(const GameState& state, const TPlanet& planet) {
  auto figure = [](const char* caption, double value) {
    return std::string(caption) + "\t" + Fmt("%04.2f", value);
  };
  return {"Name:\t" + planet.Name,
          "Owner:\t" + PlanetOwnerText(planet),
          figure("Size:", planet.Size),
          figure("Resources:", planet.Resources),
          figure("Population:", planet.Population),
          figure("Industry:", planet.Industry),
          figure("Prod:", planet.EffectiveIndustry()),
          figure("CAP:", planet.Capital),
          figure("MAT:", planet.Material),
          figure("COL:", planet.Colonists),
          figure("Max: Ship:", planet.ShipMassPerTurn(state.DevelopmentPlan())),
          "Producing:\t" + planet.Production};
}

std::vector<TCells> MyGroupsAtPlanet(const GameState& state, const TPlanet& planet,
                                     const TOrderAnalysis& analysis) {
  std::vector<TCells> rows;
  if (state.MainPlayer) {
    for (const auto& g : state.MainPlayer->Groups)
      if (StandsAt(state, *g, planet)) rows.push_back(GroupCells(*g, g->Ships, SendSpeed(*g), "-"));
  }
  for (const TSendedGroup& record : analysis.Records()) {
    if (record.Destination != &planet || record.Group == nullptr) continue;
    const double speed = TOrderAnalysis::SendedGroupSpeed(record);
    rows.push_back(GroupCells(*record.Group, record.Ships, speed,
                              speed > 0 ? Fmt("%d", record.Turns) : std::string("-")));
  }
  return rows;
}

std::vector<TCells> OtherGroupsAtPlanet(const GameState& state, const TPlanet& planet) {
  std::vector<TCells> rows;
  for (const TPlayer* race : RacesByName(state)) {
    if (race == state.MainPlayer) continue;
    for (const auto& g : race->Groups) {
      if (!StandsAt(state, *g, planet)) continue;
      TCells cells = GroupCells(*g, g->Ships, SendSpeed(*g), std::string());
      cells.erase(cells.begin() + 3);  // no turns: they stand there
      cells.insert(cells.begin(), race->Name);
      rows.push_back(std::move(cells));
    }
  }
  return rows;
}

}  // namespace tovix

#include "views/planet_list_rows.h"

#include <algorithm>
#include <numeric>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "views/cell_compare.h"

namespace tovix {

const std::array<const char*, kPlanetColumnCount> kPlanetColumnCaptions{"Name",
                                                                        "Nr",
                                                                        "Owner",
                                                                        "Dist.",
                                                                        "Eff Ind",
                                                                        "ShipMass",
                                                                        "Size",
                                                                        "Res",
                                                                        "Pop",
                                                                        "Ind",
                                                                        "COL",
                                                                        "CAP",
                                                                        "MAT",
                                                                        "My Ship Mass",
                                                                        "Friendly Ship Mass",
                                                                        "Enemy Ship Mass",
                                                                        "Sent Ship Mass",
                                                                        "Produce Type",
                                                                        "Produce Amount",
                                                                        "Buildability"};

const std::array<const char*, kPlanetColumnCount> kPlanetSortKeyNames{
    "Name",
    "Unique number of Planet",
    "Owner of Planet",
    "Distance",
    "Effective Industry",
    "Shipmass Production",
    "Size",
    "Resources",
    "Population",
    "Industry",
    "COL Stockpiles",
    "CAP Stockpiles",
    "MAT Stockpiles",
    "My Shipmass",
    "Shipmass of other nations with Peace",
    "Shipmass of other nations with War",
    "Sent Shipmass",
    "Current Production Type",
    "Current Production Amount",
    "Buildability"};

namespace {

bool IsTextColumn(int column) {
  return column == pcolName || column == pcolOwner || column == pcolProduceType;
}

void SetCell(TPlanetRow& row, int column, std::string text) {
  const auto c = static_cast<size_t>(column);
  row.Cells[c] = std::move(text);
  if (column == pcolNumber) {
    row.Keys[c] = FirstIntKey(row.Cells[c]);
  } else if (column != pcolProduceAmount && !IsTextColumn(column)) {
    row.Keys[c] = NumberKey(row.Cells[c]);
  }
}

std::string ProduceAmountCell(const GameState& state, const TPlanet& planet) {
  return Fmt("%5.3f (%5.3f)", planet.ProductionAmount(state.DevelopmentPlan()),
             planet.ProductionAtFullSize());
}

}  // namespace

bool PlanetColumnLeftAligned(int column) {
  return column == pcolName || column == pcolOwner;
}

std::string PlanetOwnerText(const TPlanet& planet) {
  // "?" or "??" then, when a race was seen there, "(turn) race".
  const auto history = [&planet](const char* mark) {
    if (planet.LastOwnerName.empty() || planet.LastOwnerName == "-") return std::string(mark);
    return Fmt(std::string(mark) + "(%d) %s", planet.OwnerTurn, planet.LastOwnerName);
  };
  switch (planet.OwnerState) {
    case osKnown:
      return planet.Owner.IsPlayer() ? planet.Owner.Player()->Name : planet.LastOwnerName;
    case osUnknownNow:
      return history("?");
    case osUninhabitedNow:
      return history("??");
    default:
      return "";
  }
}

bool PlanetPassesOwnerFilter(const TPlanet& planet, const std::optional<std::string>& chosenOwner,
                             std::string& ownerText) {
  ownerText = PlanetOwnerText(planet);
  return !chosenOwner || *chosenOwner == ownerText;
}

std::vector<std::string> PlanetOwnerChoices(const GameState& state) {
  std::vector<std::string> owners;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    if (const TPlanet* p = state.Planets.Object(i)) {
      std::string text = PlanetOwnerText(*p);
      if (!text.empty()) owners.push_back(std::move(text));
    }
  }
  std::sort(owners.begin(), owners.end(), [](const std::string& a, const std::string& b) {
    const int c = CompareText(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
  owners.insert(owners.begin(), kAllOwners);
  return owners;
}

TPlanetRow MakePlanetRow(const GameState& state, TPlanet* planet, std::string ownerText) {
  TPlanetRow row;
  row.Planet = planet;
  const TPlanet& p = *planet;
  SetCell(row, pcolName, p.Name);
  SetCell(row, pcolNumber, std::to_string(p.Number));
  SetCell(row, pcolOwner, std::move(ownerText));
  SetCell(row, pcolEffIndustry, FixedCell(p.EffectiveIndustry()));
  SetCell(row, pcolSize, FixedCell(p.Size));
  SetCell(row, pcolResources, FixedCell(p.Resources));
  SetCell(row, pcolPopulation, FixedCell(p.Population));
  SetCell(row, pcolIndustry, FixedCell(p.Industry));
  SetCell(row, pcolColonists, FixedCell(p.Colonists));
  SetCell(row, pcolCapital, FixedCell(p.Capital));
  SetCell(row, pcolMaterial, FixedCell(p.Material));
  SetCell(row, pcolMyMass, FixedCell(p.MyShipMass));
  SetCell(row, pcolFriendlyMass, FixedCell(p.FriendlyShipMass));
  SetCell(row, pcolEnemyMass, FixedCell(p.EnemyShipMass));
  // The first fill writes the order-dependent figures like the others.
  SetCell(row, pcolShipMass, FixedCell(p.ShipMassPerTurn(state.DevelopmentPlan())));
  SetCell(row, pcolSentMass, FixedCell(p.SentMass));
  SetCell(row, pcolProduceType, p.Production);
  SetCell(row, pcolProduceAmount, ProduceAmountCell(state, p));
  row.Keys[pcolProduceAmount] = ValueKey(p.ProductionAmount(state.DevelopmentPlan()));
  SetCell(row, pcolBuildability, FixedCell(p.Buildability));
  return row;
}

void RefreshOrderCells(const GameState& state, TPlanetRow& row) {
  const TPlanet& p = *row.Planet;
  SetCell(row, pcolShipMass, FixedCell(p.ShipMassPerTurn(state.DevelopmentPlan())));
  SetCell(row, pcolSentMass, Fmt("%5.2f", p.SentMass));
  SetCell(row, pcolProduceType, p.Production);
  SetCell(row, pcolProduceAmount, ProduceAmountCell(state, p));
  row.Keys[pcolProduceAmount] = ValueKey(p.ProductionAmount(state.DevelopmentPlan()));
  SetCell(row, pcolBuildability, Fmt("%5.2f", p.Buildability));
}

std::vector<TPlanetRow> PlanetRows(const GameState& state,
                                   const std::optional<std::string>& chosenOwner,
                                   const std::vector<TPlanet*>* planets) {
  std::vector<TPlanetRow> rows;
  std::string owner;
  auto add = [&](TPlanet* p) {
    if (p && PlanetPassesOwnerFilter(*p, chosenOwner, owner))
      rows.push_back(MakePlanetRow(state, p, owner));
  };
  if (planets) {
    for (TPlanet* p : *planets) add(p);
  } else {
    rows.reserve(static_cast<size_t>(state.Planets.Count()));
    for (int i = 0; i < state.Planets.Count(); ++i) add(state.Planets.Object(i));
  }
  return rows;
}

std::vector<TPlanetRow> OwnPlanetRows(const GameState& state) {
  std::vector<TPlanetRow> rows;
  if (!state.MainPlayer) return rows;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    TPlanet* p = state.Planets.Object(i);
    if (!p) continue;
    std::string owner = PlanetOwnerText(*p);
    if (SameText(owner, state.MainPlayer->Name))
      rows.push_back(MakePlanetRow(state, p, std::move(owner)));
  }
  return rows;
}

int ComparePlanetRows(const TPlanetRow& a, const TPlanetRow& b, int column) {
  if (column < 0 || column >= kPlanetColumnCount) return 0;
  const auto c = static_cast<size_t>(column);
  if (column == pcolName) return CompareNames(a.Cells[c], b.Cells[c]);
  if (IsTextColumn(column)) return CompareText(a.Cells[c], b.Cells[c]);
  return CompareKeys(a.Keys[c], b.Keys[c]);
}

std::vector<int> SortedPlanetRows(const std::vector<TPlanetRow>& rows, int column,
                                  bool descending) {
  std::vector<int> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    const TPlanetRow& a = rows[static_cast<size_t>(x)];
    const TPlanetRow& b = rows[static_cast<size_t>(y)];
    return descending ? ComparePlanetRows(b, a, column) < 0 : ComparePlanetRows(a, b, column) < 0;
  });
  return order;
}

std::string PlanetSortCaption(bool descending, int column) {
  const char* key = column >= 0 && column < kPlanetColumnCount
                        ? kPlanetSortKeyNames[static_cast<size_t>(column)]
                        : "Something :-)";
  return Fmt("Planets list - sort %s on %s", descending ? "Descending" : "Ascending", key);
}

void SetDistancesFrom(const GameState& state, std::vector<TPlanetRow>& rows, const TPlanet& from) {
  for (TPlanetRow& row : rows) {
    row.Planet->SetDistanceFrom(state.Settings, from.X, from.Y);
    SetCell(row, pcolDistance, Fmt("%5.2f", row.Planet->Distance / 100.0));
  }
}

void ComputePlanetShipMasses(GameState& state) {
  for (int i = 0; i < state.Planets.Count(); ++i) {
    if (TPlanet* p = state.Planets.Object(i)) {
      p->MyShipMass = 0;
      p->FriendlyShipMass = 0;
      p->EnemyShipMass = 0;
    }
  }
  for (int i = 0; i < state.Players.Count(); ++i) {
    const TPlayer* race = state.Players.Object(i);
    if (!race) continue;
    for (const auto& g : race->Groups) {
      if (g->Turn != state.LastTurn || g->Distance != 0 || !g->Planet || !g->ShipType) continue;
      const float mass = g->ShipType->Mass() * static_cast<float>(g->Ships);
      if (race == state.MainPlayer) {
        g->Planet->MyShipMass += mass;
      } else if (race->War) {
        g->Planet->EnemyShipMass += mass;
      } else {
        g->Planet->FriendlyShipMass += mass;
      }
    }
  }
}

std::vector<std::string> ProductionChoices(const GameState& state) {
  std::vector<std::string> items{"CAP", "MAT", "DRIVE", "WEAPONS", "SHIELDS", "CARGO"};
  if (const TPlayer* me = state.MainPlayer) {
    for (int i = 0; i < me->ShipTypes.Count(); ++i) {
      const std::string& name = me->ShipTypes.Strings(i);
      const TShipType* type = me->ShipTypes.Object(i);
      const std::string shown = type ? type->Name : name;
      if (std::find(items.begin(), items.end(), shown) == items.end()) items.push_back(shown);
    }
  }
  return items;
}

}  // namespace tovix

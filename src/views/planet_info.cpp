#include "views/planet_info.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>

#include "core/model/arrival.h"
#include "core/model/extra_planet_info.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "views/cell_compare.h"
#include "views/race_order.h"

namespace tovix {

const std::array<const char*, kPlanetGroupColumnCount> kGroupColumns{
    "Nr",        "Turns (turn number)", "Source planet", "Count (Available)", "Shiptype (Fleet)",
    "Speed Max", "Speed Loaded",        "Attacks",       "Weapons",           "Eff Shield",
    "Mass",      "Eff Cargo",           "Cargo Load",    "Cargo Type"};

namespace {

// Cell indexes of the groups list.
enum : int {
  kNr = 0,
  kTurns,
  kSource,
  kCount,
  kShipType,
  kSpeed,
  kSpeedLoaded,
  kAttacks,
  kWeapons,
  kShield,
  kMass,
  kCargo,
  kLoad,
  kCargoType
};

// The share of the size in whole percent, rounded up; 0 without a size. (Rounding
// 100 * part / size + 0.5 half to even would show an odd whole percentage one too high: 25 % as
// 26 %, while 24 % stays 24 %.)
int32_t Percent(float part, float size) {
  if (!(size > 0)) return 0;
  return static_cast<int32_t>(std::ceil(100.0 * part / size - 1e-9));
}

std::string ShipTypeText(const TGroup& group) {
  const std::string name = group.ShipType ? group.ShipType->Name : std::string();
  if (group.FleetName.empty()) return name;
  return Fmt("%s (%s)", name, group.FleetName);
}

// Cells 8 to 14, from the group's own figures; `ships` and `load` give the cargo carried.
void FillFigures(TPlanetGroupRow& row, const TGroup& group, int32_t ships, float load) {
  const TShipType* type = group.ShipType;
  if (type && type->Attacks > 0) {
    row.Cells[kAttacks] = Fmt("%d", type->Attacks);
    row.Cells[kWeapons] = Fmt("%3.1f", group.EffectiveWeapons());
  } else {
    row.Cells[kAttacks] = "-";
    row.Cells[kWeapons] = "-";
  }
  const float shields = group.EffectiveShields();
  row.Cells[kShield] = shields > 0 ? Fmt("%3.1f", shields) : "-";
  row.Cells[kMass] = Fmt("%3.1f", type ? type->Mass() : 0.0f);
  row.Cells[kCargo] = "-";
  row.Cells[kLoad] = "-";
  row.Cells[kCargoType] = "-";
  const float capacity = group.CargoCapacity();
  if (capacity > 0) {
    row.Cells[kCargo] = Fmt("%3.1f", capacity);
    if (load > 0) {
      row.Cells[kLoad] = Fmt("%3.1f", static_cast<double>(ships) * load);
      row.Cells[kCargoType] = CargoText(group.CargoType, "???");
    }
  }
}

TPlanetGroupRow HeaderRow(int block, std::string text) {
  TPlanetGroupRow row;
  row.Kind = TGroupRowKind::Header;
  row.Block = block;
  row.Cells[kShipType] = std::move(text);
  return row;
}

TPlanetGroupRow BlankRow(int block) {
  TPlanetGroupRow row;
  row.Block = block;
  return row;
}

// A row of the user's block from one record of the order analysis.
TPlanetGroupRow OwnRow(const TPlanet& planet, const TSendedGroup& record, int block,
                       const std::function<int32_t(const TSendedGroup&)>& available) {
  const TGroup& group = *record.Group;
  const bool toHere = record.Destination == &planet;
  const bool sentHere = toHere && group.Origin == nullptr;
  const bool leaves =
      record.Source == &planet && record.Destination && record.Destination != &planet;
  TPlanetGroupRow row;
  row.Kind = TGroupRowKind::Group;
  row.Block = block;
  row.Own = true;
  row.Cells[kNr] = Fmt(sentHere ? "(%d)" : "%d", record.Number);
  const double speed = TOrderAnalysis::SendedGroupSpeed(record);
  if (speed <= 0 || record.Distance <= 0 || leaves)
    row.Cells[kTurns] = "-";
  else
    // The analysis' own arrival rule: a whole number of turns is not one more.
    row.Cells[kTurns] = Fmt("#%d", TurnsToArrive(record.Distance, speed));
  if (record.Source && record.Source != &planet) row.Cells[kSource] = record.Source->Name;
  if (sentHere && record.Distance > 0) {
    row.Cells[kCount] = Fmt("%d", record.Ships);
    row.Cells[kShipType] = group.ShipType ? group.ShipType->Name : std::string();
    row.Cells[kSpeed] = Fmt("(%3.2f)", group.Speed());
    row.Cells[kSpeedLoaded] = Fmt("%3.2f", speed);
  } else {
    row.Cells[kCount] =
        sentHere ? Fmt("%d", record.Ships) : Fmt("%d (%d)", record.Ships, available(record));
    row.Cells[kShipType] = ShipTypeText(group);
    row.Cells[kSpeed] = Fmt("%3.2f", group.Speed());
    row.Cells[kSpeedLoaded] = Fmt("%3.2f", group.SpeedFullLoad());
  }
  FillFigures(row, group, record.Ships, record.Load);
  if (record.Source == &planet || sentHere) {
    row.Group = record.Group;
    row.Source = record.Source;
    row.Destination = record.Destination;
    row.Turns = record.Turns;
    row.Ships = record.Ships;
    row.Number = record.Number;
    row.Available = available(record);
    row.Load = record.Load;
  }
  return row;
}

TPlanetGroupRow ForeignRow(const GameState& state, const TPlanet& planet, TGroup& group,
                           int block) {
  TPlanetGroupRow row;
  row.Kind = TGroupRowKind::Group;
  row.Block = block;
  // The group sorts, shows its reach and goes to the battle simulator; orders need the user's.
  row.Group = &group;
  row.Source = group.Origin;
  row.Destination = group.Planet;
  row.Turns = group.ETA;
  row.Ships = group.Ships;
  row.Number = group.GroupNumber;
  row.Load = group.Load;
  row.Cells[kNr] = group.GroupNumber > 0 ? Fmt("%d", group.GroupNumber) : "-";
  if (group.Turn < state.LastTurn)
    row.Cells[kTurns] = Fmt("(%d)", group.Turn);
  else if (group.ETA > 0)
    row.Cells[kTurns] = Fmt("#%d", group.ETA);
  else
    row.Cells[kTurns] = "-";
  if (group.Origin && group.Origin != &planet) row.Cells[kSource] = group.Origin->Name;
  row.Cells[kCount] = Fmt("%d", group.Ships);
  row.Cells[kShipType] = ShipTypeText(group);
  row.Cells[kSpeed] = Fmt("%3.2f", group.Speed());
  row.Cells[kSpeedLoaded] = Fmt("%3.2f", group.SpeedFullLoad());
  FillFigures(row, group, group.Ships, group.Load);
  return row;
}

bool RecordAtPlanet(const TPlanet& planet, const TSendedGroup& record) {
  if (!record.Group) return false;
  if (record.Source != &planet && record.Destination != &planet) return false;
  // A group the report shows in flight from the planet is no longer at it.
  return !(record.Group->Origin == &planet && record.Source != record.Destination);
}

// Column kinds of the block sort.
int CompareCells(const std::string& a, const std::string& b, int column) {
  switch (column) {
    case kNr:
    case kTurns:
    case kCount: {
      const int32_t x = FirstIntInStr(a), y = FirstIntInStr(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case kSource:
    case kShipType:
    case kCargoType:
      return CompareText(a, b);
    default: {
      const double x = StrToFloatDef(Trim(a), 0), y = StrToFloatDef(Trim(b), 0);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
}

}  // namespace

// ---- The planet list -------------------------------------------------------------------------

TPlanetInfoRow MakePlanetRow(TPlanet& planet) {
  return {planet.Name, PlanetOwnerText(planet), std::string(), &planet};
}

std::vector<TPlanetInfoRow> PlanetRows(const GameState& state,
                                       const std::function<bool(const TPlanet&)>& passes) {
  std::vector<TPlanetInfoRow> rows;
  rows.reserve(static_cast<size_t>(state.Planets.Count()));
  for (auto [key, planet] : state.Planets)
    if (planet && passes(*planet)) rows.push_back(MakePlanetRow(*planet));
  return rows;
}

std::vector<TPlanetInfoRow> FilteredPlanetRows(const GameState& state,
                                               const std::vector<TPlanet*>& filtered,
                                               const std::vector<TPlanet*>* groupPlanets,
                                               bool inverse) {
  const std::unordered_set<const TPlanet*> chosen(filtered.begin(), filtered.end());
  std::unordered_set<const TPlanet*> grouped;
  if (groupPlanets) grouped.insert(groupPlanets->begin(), groupPlanets->end());
  return PlanetRows(state, [&](const TPlanet& p) {
    return chosen.count(&p) > 0 && (!groupPlanets || (grouped.count(&p) > 0) != inverse);
  });
}

void SetPlanetRowDistances(const GameState& state, std::vector<TPlanetInfoRow>& rows,
                           const TPlanet& reference) {
  for (TPlanetInfoRow& row : rows) {
    const int32_t key = row.Planet->SetDistanceFrom(state.Settings, reference.X, reference.Y);
    row.Dist = Fmt("%3.2f", key / 100.0);
  }
}

int ComparePlanetRows(const TPlanetInfoRow& a, const TPlanetInfoRow& b, int column,
                      bool descending) {
  int result = 0;
  if (column == 0) {
    result = CompareNames(a.Name, b.Name);
  } else if (column == 1) {
    const double x = StrToFloatDef(Trim(a.Dist), 0), y = StrToFloatDef(Trim(b.Dist), 0);
    result = x < y ? -1 : (x > y ? 1 : 0);
  } else if (column == 2) {
    result = CompareText(a.Owner, b.Owner);
  }
  return descending ? -result : result;
}

// ---- The report lines ------------------------------------------------------------------------

int PopulationTurnsToFull(float population, float size) {
  if (!(population > 0)) return 0;
  double q = population;
  int n = 0;
  while (q < size && n <= kIndustryTurnsCap) {
    q *= 1.08;
    ++n;
  }
  return n;
}

int IndustryTurnsToFull(float industry, float population, float size, float resources, bool blind) {
  if (!(industry > 0) || !(resources > 0)) return 0;
  double i = industry;
  double q = population;
  int n = 0;
  while (i < size) {
    if (n == kIndustryTurnsCap) return kIndustryTurnsCap + 1;
    double e = i;
    if (q > i) e += (q - i) / 4;
    double growth = e / (5 + 1 / static_cast<double>(resources));
    if (blind) growth *= 2;
    i += growth;
    q = std::min(q * 1.08, static_cast<double>(size));
    ++n;
  }
  return n;
}

std::vector<TPlanetReportLine> PlanetReportLines(const GameState& state, const TPlanet& p,
                                                 const TPlanetInfoContext& context) {
  std::vector<TPlanetReportLine> lines;
  auto add = [&lines](std::string text) { lines.push_back({std::move(text), nullptr}); };
  const IDevelopmentPlan& plan = state.DevelopmentPlan();

  add("Name:\t" + p.Name);
  add(Fmt("Nr:\t%03d", p.Number));
  add("Owner:\t" + context.OwnerText);
  add(Fmt("Size:\t%04.2f", p.Size));
  add(Fmt("Res.:\t%04.2f\tx: %04.2f y: %04.2f", p.Resources, p.X / 100.0, p.Y / 100.0));

  const int32_t p1 = Percent(p.Population, p.Size);
  std::string popul = Fmt("Popul.:\t%04.2f\t%03d%%", p.Population, p1);
  if (p1 < 100 && p.Population > 0 && p.Size > 0)
    popul += Fmt("\t%d#", PopulationTurnsToFull(p.Population, p.Size));
  add(std::move(popul));

  const int32_t p2 = Percent(p.Industry, p.Size);
  std::string industry = Fmt("Industry:\t%04.2f\t%3d%%", p.Industry, p2);
  if (p2 < 100 && p.Industry > 0 && p.Resources > 0) {
    const int n = IndustryTurnsToFull(p.Industry, p.Population, p.Size, p.Resources,
                                      state.Settings.GameType == TGameType::Blind);
    industry += n > kIndustryTurnsCap ? Fmt("\t>%d#", kIndustryTurnsCap) : Fmt("\t%d#", n);
  }
  add(std::move(industry));

  if (const IDevPlanetRecord* dev = plan.FindDevPlanet(p))
    add(Fmt("Prod.:\t%04.2f (%04.2f)", dev->ProjectedIndustry(), p.EffectiveIndustry()));
  else
    add(Fmt("Prod.:\t%04.2f", p.EffectiveIndustry()));

  add(Fmt("CAP:\t%04.2f", p.Capital));
  add(Fmt("MAT:\t%04.2f", p.Material));
  add(Fmt("COL:\t%04.2f", p.Colonists));
  add(Fmt("Max ship:\t%4.2f (%4.2f)", p.ShipMassPerTurn(plan),
          static_cast<double>(p.Size) * p.Resources / (10.0 * p.Resources + 1)));

  add(Fmt("My Mass:\t\t%5.2f", p.MyShipMass));
  add(Fmt("Friendly Mass:\t%5.2f", p.FriendlyShipMass));
  add(Fmt("Enemy Mass:\t%5.2f", p.EnemyShipMass));
  if (context.MassesAvailable)
    add(Fmt("Sent Mass:\t%5.2f / %5.2f / %5.2f", p.SentMass, p.SentMassEta2, p.SentMassEta3Plus));
  else
    add(std::string("Sent Mass:\t") + kNotAvailable);

  double incoming = 0;
  for (const auto& g : state.IncomingGroups)
    if (g->Turn == state.LastTurn && g->Destination == &p) incoming += g->Mass;
  if (incoming > 0) add(Fmt("Incoming Mass:\t%5.2f", incoming));

  add(Fmt("Producing:\t%s\t%5.3f (%5.3f)", p.Production, p.ProductionAmount(plan),
          p.ProductionAtFullSize()));

  TBattle* last = nullptr;
  for (auto [key, battle] : state.Battles)
    if (battle && battle->Planet == &p) last = battle;
  if (last) lines.push_back({Fmt("Last fight:\t%d", last->Turn), last});

  if (state.SelectedPlanet && state.SelectedPlanet2) {
    const TPlanet& a = *state.SelectedPlanet;
    const TPlanet& b = *state.SelectedPlanet2;
    add(Fmt("Dist. '%s' - '%s': %4.2f", a.Name, b.Name,
            state.PlanetDistance(a.X, a.Y, b.X, b.Y) / 100.0));
  }

  if (context.MassesAvailable)
    add(Fmt("Next turn Mass:\t%5.2f", p.NextTurnMass));
  else
    add(std::string("Next turn Mass:\t") + kNotAvailable);
  return lines;
}

// ---- The groups at the planet ----------------------------------------------------------------

std::vector<TPlanetGroupRow> PlanetGroupRows(
    const GameState& state, const TPlanet& planet, const std::vector<TSendedGroup>& records,
    const std::function<int32_t(const TSendedGroup&)>& available) {
  std::vector<TPlanetGroupRow> rows;
  int block = 0;
  auto openBlock = [&](const std::string& race) {
    if (!rows.empty()) rows.push_back(BlankRow(block + 1));
    ++block;
    rows.push_back(HeaderRow(block, race + " groups:"));
  };

  if (const TPlayer* own = state.MainPlayer) {
    bool opened = false;
    for (const TSendedGroup& record : records) {
      if (!RecordAtPlanet(planet, record)) continue;
      if (!opened) openBlock(own->Name);
      opened = true;
      rows.push_back(OwnRow(planet, record, block, available));
    }
  }
  for (TPlayer* race : RacesByName(state)) {
    if (race == state.MainPlayer) continue;
    bool opened = false;
    for (const auto& group : race->Groups) {
      if (group->Planet != &planet) continue;
      if (!opened) openBlock(race->Name);
      opened = true;
      rows.push_back(ForeignRow(state, planet, *group, block));
    }
  }

  std::vector<const TIncomingGroup*> incoming;
  for (const auto& g : state.IncomingGroups)
    if (g->Turn == state.LastTurn && g->Destination == &planet) incoming.push_back(g.get());
  if (!incoming.empty()) {
    ++block;
    rows.push_back(BlankRow(block));
    TPlanetGroupRow header =
        HeaderRow(block, incoming.size() == 1 ? "Incoming Group" : "Incoming Groups");
    rows.push_back(std::move(header));
    TPlanetGroupRow caption;
    caption.Kind = TGroupRowKind::IncomingCaption;
    caption.Block = block;
    caption.Cells[kShipType] = "From";
    caption.Cells[kSpeed] = "Range";
    caption.Cells[kSpeedLoaded] = "Speed";
    caption.Cells[kAttacks] = "Mass";
    rows.push_back(std::move(caption));
    for (const TIncomingGroup* g : incoming) {
      TPlanetGroupRow row;
      row.Kind = TGroupRowKind::Incoming;
      row.Block = block;
      row.Cells[kShipType] = g->Origin ? g->Origin->Name : std::string();
      row.Cells[kSpeed] = Fmt("%4.1f", g->Distance);
      row.Cells[kSpeedLoaded] = Fmt("%4.1f", g->Speed);
      row.Cells[kAttacks] = Fmt("%4.1f", g->Mass);
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

void SortGroupRows(std::vector<TPlanetGroupRow>& rows, int column, bool descending) {
  if (column < 0 || column >= kPlanetGroupColumnCount) return;
  // Runs of adjacent rows of one block that carry a group.
  size_t start = 0;
  while (start < rows.size()) {
    if (!rows[start].Group) {
      ++start;
      continue;
    }
    size_t end = start;
    while (end < rows.size() && rows[end].Group && rows[end].Block == rows[start].Block) ++end;
    std::stable_sort(rows.begin() + static_cast<std::ptrdiff_t>(start),
                     rows.begin() + static_cast<std::ptrdiff_t>(end),
                     [&](const TPlanetGroupRow& a, const TPlanetGroupRow& b) {
                       const int c = CompareCells(a.Cells[static_cast<size_t>(column)],
                                                  b.Cells[static_cast<size_t>(column)], column);
                       return descending ? c > 0 : c < 0;
                     });
    start = end;
  }
}

// ---- Order commands --------------------------------------------------------------------------

std::optional<std::string> ProposeEliteName(GameState& state, const TPlanet& planet,
                                            const std::vector<std::string>& namesInOrders) {
  std::vector<std::string>& proposed = state.EliteNamesProposed;
  auto isUsed = [&](const std::string& name) {
    const std::string lower = LowerCase(name);
    if (std::find(proposed.begin(), proposed.end(), lower) != proposed.end()) return true;
    for (const std::string& ordered : namesInOrders)
      if (SameText(ordered, name)) return true;
    const TPlanet* other = state.PlanetByName(name);
    return other != nullptr && other != &planet;
  };
  auto name = ProposeNextStarName(isUsed, state.EliteNameSeed);
  if (name) proposed.push_back(LowerCase(*name));
  return name;
}

// ---- The extra-information dialog ------------------------------------------------------------

std::vector<TOwnerChoice> ExtraInfoOwnerChoices(const GameState& state) {
  std::vector<TOwnerChoice> choices{{"Unknown", TOwnerRef::Unknown()}};
  for (auto [key, race] : state.Players) {
    if (!race || !(race->GetPlanetSize(state.LastTurn) > 0)) continue;
    std::string text = race->Name;
    if (!race->Alias.empty()) text += " (" + race->Alias + ")";
    choices.push_back({std::move(text), TOwnerRef::Of(race)});
  }
  return choices;
}

void ApplyExtraInfo(const GameState& state, TPlanet& planet, TOwnerRef owner, float size) {
  if (owner.IsPlayer() && !planet.Owner.IsNone()) planet.SetOwner(owner, state.LastTurn);
  if (size > 0) planet.Size = size;
}

std::optional<float> ParseExtraInfoSize(const std::string& text) {
  double value = 0;
  if (!TryParseFloat(text, value) || !IsExtraInfoSize(value)) return std::nullopt;
  return static_cast<float>(value);
}

}  // namespace tovix

#include "orders/auto_cargo.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "orders/ship_design.h"

namespace tovix {

namespace {

// An upper bound on the orders one command writes; far above what any empire needs.
constexpr int kMaxWrittenOrders = 5000;

// A value read as a whole number within [low, high], else the default.
int ReadBounded(const TznSaveState& ini, const std::string& section, const char* key, int def,
                int low, int high) {
  const int32_t v = ini.ReadInteger(section, key, def);
  return v < low || v > high ? def : v;
}

// The copy of the order text the commands plan on, with what they wrote so far.
class TWorkingOrders {
 public:
  explicit TWorkingOrders(const IOrderLines& orders) {
    for (int i = 0; i < orders.Count(); ++i) lines_.Insert(lines_.Count(), orders.Line(i));
  }
  const IOrderLines& Lines() const { return lines_; }
  // Appends one hand-over (lines joined by CR LF). False, writing nothing, when it repeats an
  // earlier hand-over or the bound is reached.
  bool Write(const std::string& text, TAutoCargoResult& result) {
    if (!written_.insert(text).second || written_.size() > kMaxWrittenOrders) {
      result.Stopped = true;
      return false;
    }
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(kOrderLineBreak, start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      lines_.Insert(lines_.Count(), line);
      result.Lines.push_back(std::move(line));
      start = end + kOrderLineBreak.size();
    }
    return true;
  }

 private:
  TVectorOrderLines lines_;
  std::set<std::string> written_;
};

// Does the group's design fit a COL (or CAP) pass of the stage?
bool TakesCargo(const TDevGroup& group, int32_t cargo, int stage) {
  const TShipType* type = group.Group->ShipType;
  if (!type) return false;
  const TCargoUse use = type->CargoUse;
  if (stage == 1) {
    return cargo == pcCol ? use == TCargoUse::Col || use == TCargoUse::ColThenCap
                          : use == TCargoUse::Cap || use == TCargoUse::CapThenCol;
  }
  return cargo == pcCol ? use == TCargoUse::CapThenCol : use == TCargoUse::ColThenCap;
}

std::vector<TDevGroup*> PassGroups(TDevelopmentPlanner& planner, int32_t cargo, int stage) {
  std::vector<TDevGroup*> groups;
  for (const auto& owned : planner.Groups()) {
    TDevGroup& group = *owned;
    if (group.State == TDevState::Stays && group.At[0] && group.Ships > 0 &&
        group.Group->CargoCapacity() > 0 && TakesCargo(group, cargo, stage)) {
      groups.push_back(&group);
    }
  }
  return groups;
}

float PlanetStock(const TDevelopmentPlanner& planner, const TDevGroup& group, int32_t cargo,
                  int t) {
  const TDevPlanet* record = group.At[0] ? planner.FindRecord(*group.At[0]) : nullptr;
  if (!record) return 0;
  return cargo == pcCap ? record->Capital(t) : record->Colonists(t);
}

std::string Number(const TDevGroup& group) {
  return std::to_string(group.Number);
}

// One load pass: true when it wrote an order (and planned again).
bool LoadPass(TDevelopmentPlanner& planner, TWorkingOrders& work,
              const TAutoCargoSettings& settings, bool useRoutes, int32_t cargo, int stage,
              TAutoCargoResult& result) {
  GameState& state = planner.State();
  std::vector<TDevGroup*> groups = PassGroups(planner, cargo, stage);
  std::stable_sort(groups.begin(), groups.end(), [&](const TDevGroup* a, const TDevGroup* b) {
    return CompareDevPlanets(planner, a->At[0], b->At[0], cargo) < 0;
  });
  const TPlanetOrder order = settings.SortCodes();
  const int fill = cargo == pcCol ? settings.ColFill : settings.CapFill;
  for (TDevGroup* group : groups) {
    const float stock = PlanetStock(planner, *group, cargo, 0);
    if (!(stock > 0)) continue;
    const float capacity = group->Group->CargoCapacity();
    const float amount = std::min(capacity, stock);
    // The keys are set from the group's planet; a split-off part stands where its group does.
    if (cargo == pcCol) {
      SetPlanetDistanceKeys(state, *group->Group, static_cast<float>(fill), amount);
    } else {
      SetIndustryPlanetDistanceKeys(state, *group->Group, static_cast<float>(fill), amount);
    }
    std::vector<TPlanet*> candidates;
    for (auto [key, planet] : state.Planets) {
      if (planet && planet->Distance >= 1) candidates.push_back(planet);
    }
    SortPlanets(candidates, order);
    const double speed = group->Group->SpeedFullLoad();
    for (TPlanet* target : candidates) {
      if (!(speed > 0) || TruncToInt(target->Distance / (speed * 100)) >= settings.MaxTrip()) {
        continue;
      }
      const double goal = double{static_cast<float>(fill)} * target->Size / 100;
      int ships = 0;
      if (cargo == pcCol) {
        const double need = std::min<double>((goal - target->Population) / 8, amount);
        ships = TruncToInt(need / capacity) + 1;
      } else {
        const double need = std::min<double>(goal - target->Industry, amount);
        ships = std::max(1, TruncToInt(need / capacity));
      }
      if (!work.Write(BuildCargoCommands(Number(*group), target->Name, ships, group->Ships, cargo),
                      result)) {
        return false;
      }
      planner.PlanAutomaticCargo(work.Lines(), true, useRoutes);
      ++result.Passes;
      return true;
    }
  }
  return false;
}

// One send pass of the empty ships: true when it wrote an order.
bool SendPass(TDevelopmentPlanner& planner, TWorkingOrders& work,
              const TAutoCargoSettings& settings, bool useRoutes, int32_t cargo, int stage,
              TAutoCargoResult& result) {
  GameState& state = planner.State();
  std::vector<TDevGroup*> groups = PassGroups(planner, cargo, stage);
  std::stable_sort(groups.begin(), groups.end(), [](const TDevGroup* a, const TDevGroup* b) {
    return CompareGroupsByCargo(a->Group, b->Group) < 0;
  });
  std::vector<TDevPlanet*> sources;
  for (const auto& record : planner.Planets()) {
    if ((cargo == pcCap ? record->CAP[1] : record->COL[1]) > 0) sources.push_back(record.get());
  }
  std::stable_sort(sources.begin(), sources.end(), [&](const TDevPlanet* a, const TDevPlanet* b) {
    return CompareByFourthFigure(a, b, cargo) < 0;
  });
  for (TDevGroup* group : groups) {
    const double speed = group->Group->SpeedFullLoad();
    const float capacity = group->Group->CargoCapacity();
    if (!(speed > 0) || !(capacity > 0)) continue;
    for (TDevPlanet* source : sources) {
      const TPlanet& from = *group->At[0];
      const TPlanet& to = *source->Planet;
      const double distance = RoundToInt(state.PlanetDistance(from.X, from.Y, to.X, to.Y));
      if (TruncToInt(distance / (speed * 100)) >= settings.MaxTrip()) continue;
      const float stock = cargo == pcCap ? source->CAP[1] : source->COL[1];
      const int n = TruncToInt(std::min<double>(stock / capacity, 1e9)) + 1;
      const std::string line = SendCommand(Number(*group), to.Name, n >= group->Ships ? 0 : n);
      if (!work.Write(line, result)) return false;
      planner.PlanAutomaticCargo(work.Lines(), true, useRoutes);
      ++result.Passes;
      return true;
    }
  }
  return false;
}

}  // namespace

void ReadCargoUses(const TznSaveState& store, GameState& state) {
  if (!state.MainPlayer) return;
  for (auto [key, type] : state.MainPlayer->ShipTypes) {
    const int32_t use = StoredCargoUse(store, type->Name);
    type->CargoUse = use >= 0 && use <= 5 ? static_cast<TCargoUse>(use) : TCargoUse::None;
  }
}

int32_t SortKeyCode(std::string_view name) {
  for (int32_t code = 0; code < 6; ++code) {
    if (SameText(name, kSortKeyNames[code])) return code;
  }
  return pkDistanceAscending;
}

std::string SortOnText(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += ',';
    if (item.find_first_of(" ,\"") != std::string::npos) {
      AppendQuoted(text, item);
    } else {
      text += item;
    }
  }
  return text;
}

std::vector<std::string> ParseSortOnText(std::string_view text) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;
    if (i >= text.size()) break;
    std::string item;
    if (text[i] == '"') {
      item = ReadQuoted(text, i);
    } else {
      while (i < text.size() && text[i] != ',' && text[i] != ' ') item += text[i++];
    }
    items.push_back(std::move(item));
  }
  return items;
}

void TAutoCargoSettings::Load(const TznSaveState& ini, std::string_view gameName) {
  const std::string section = Section(gameName);
  *this = TAutoCargoSettings{};
  ColFill = ReadBounded(ini, section, "edtCOLFill", 100, 5, 100);
  CapFill = ReadBounded(ini, section, "edtCAPFill", 100, 5, 100);
  MaxDistanceIndex = ReadBounded(ini, section, "rgMaxDistance", 0, 0, 3);
  BuildCapStock = ReadBounded(ini, section, "edtBuildCAPStock", 3, -1000000, 1000000);
  BuildResources = ReadBounded(ini, section, "edtBuildResources", 50, 0, 100);
  BuildDistance = ReadBounded(ini, section, "edtBuildDistance", 10, 0, 1000);
  BuildPlanet = ini.ReadString(section, "cbxBuildPlanet", "");
  const std::string stored = ini.ReadString(section, "lbxSortOn", "");
  if (!stored.empty()) {
    std::vector<std::string> items = ParseSortOnText(stored);
    const bool hasBuildability = std::any_of(items.begin(), items.end(), [](const std::string& s) {
      return SameText(s, "Buildability");
    });
    if (!hasBuildability) items.emplace_back("Buildability");
    SortOn = std::move(items);
  }
}

void TAutoCargoSettings::Save(TznSaveState& ini, std::string_view gameName) const {
  const std::string section = Section(gameName);
  ini.WriteInteger(section, "edtCOLFill", ColFill);
  ini.WriteInteger(section, "edtCAPFill", CapFill);
  ini.WriteInteger(section, "rgMaxDistance", MaxDistanceIndex);
  ini.WriteString(section, "lbxSortOn", SortOnText(SortOn));
  ini.WriteInteger(section, "edtBuildCAPStock", BuildCapStock);
  ini.WriteInteger(section, "edtBuildResources", BuildResources);
  ini.WriteInteger(section, "edtBuildDistance", BuildDistance);
  ini.WriteString(section, "cbxBuildPlanet", BuildPlanet);
}

TPlanetOrder TAutoCargoSettings::SortCodes() const {
  TPlanetOrder codes{};
  codes.fill(-1);
  for (size_t i = 0; i < codes.size() && i < SortOn.size(); ++i) {
    codes[i] = SortKeyCode(SortOn[i]);
  }
  return codes;
}

TPlanet* ComputeBuildability(GameState& state, const TAutoCargoSettings& settings) {
  TPlanet* reference =
      settings.BuildPlanet.empty() ? nullptr : state.PlanetByName(settings.BuildPlanet);
  if (!reference && !settings.BuildPlanet.empty()) {
    for (auto [key, planet] : state.Planets) {
      if (planet && SameText(planet->Name, settings.BuildPlanet)) {
        reference = planet;
        break;
      }
    }
  }
  for (auto [key, planet] : state.Planets) {
    if (planet) planet->Buildability = 0;
  }
  const TPlayer* own = state.MainPlayer;
  if (!own) return reference;
  for (auto [key, planet] : state.Planets) {
    if (!planet || !planet->Owner.Is(own)) continue;
    const double effective = planet->EffectiveIndustry();
    if (!(effective < planet->Size)) continue;
    if (!reference) reference = planet;
    const double distance = state.PlanetDistance(planet->X, planet->Y, reference->X, reference->Y);
    const double b = double{static_cast<float>(settings.BuildCapStock)} * planet->Capital +
                     planet->Size +
                     double{static_cast<float>(settings.BuildResources)} * planet->Resources -
                     settings.BuildDistance * distance;
    if (b >= 0) {
      planet->Buildability = static_cast<float>((planet->Size - effective) * b / planet->Size);
    } else if (b < -1) {
      planet->Buildability = static_cast<float>(-1 / b);
    } else {
      planet->Buildability = 1;
    }
  }
  return reference;
}

std::string BuildCargoCommands(std::string_view group, std::string_view planet, int ships,
                               int groupShips, int32_t cargo) {
  return ships >= groupShips ? LoadAndSendCommands(group, cargo, planet)
                             : BreakLoadAndSendCommands(group, ships, cargo, planet);
}

TAutoCargoResult AutomaticLoadAndSendCargo(TDevelopmentPlanner& planner, const IOrderLines& orders,
                                           const TAutoCargoSettings& settings, bool useRoutes) {
  TAutoCargoResult result;
  result.Reference = ComputeBuildability(planner.State(), settings);
  TWorkingOrders work(orders);
  planner.PlanAutomaticCargo(work.Lines(), true, useRoutes);
  ++result.Passes;
  for (int stage = 1; stage <= 2 && !result.Stopped; ++stage) {
    for (int32_t cargo : {pcCol, pcCap}) {
      while (!result.Stopped &&
             LoadPass(planner, work, settings, useRoutes, cargo, stage, result)) {
      }
    }
  }
  return result;
}

TAutoCargoResult AutomaticSendEmptyShips(TDevelopmentPlanner& planner, const IOrderLines& orders,
                                         const TAutoCargoSettings& settings, bool useRoutes) {
  TAutoCargoResult result;
  result.Reference = ComputeBuildability(planner.State(), settings);
  TWorkingOrders work(orders);
  planner.PlanAutomaticCargo(work.Lines(), false, useRoutes);
  ++result.Passes;
  // Keep the idle groups where COL or CAP appears next turn.
  for (int stage = 1; stage <= 2 && !result.Stopped; ++stage) {
    for (int32_t cargo : {pcCol, pcCap}) {
      for (TDevGroup* group : PassGroups(planner, cargo, stage)) {
        TDevPlanet* record = planner.FindRecord(*group->At[0]);
        const float capacity = group->Group->CargoCapacity();
        if (!record || !(capacity > 0)) continue;
        float& stock = cargo == pcCap ? record->CAP[1] : record->COL[1];
        if (!(stock > 0)) continue;
        const int n = TruncToInt(std::min<double>(stock / capacity, 1e9)) + 1;
        const std::string line =
            KeepSendCommand(Number(*group), group->At[0]->Name, n >= group->Ships ? 0 : n, cargo);
        if (!work.Write(line, result)) break;
        stock = std::max(0.0f, stock - capacity * static_cast<float>(n));
      }
    }
  }
  planner.PlanAutomaticCargo(work.Lines(), true, useRoutes);
  ++result.Passes;
  for (int stage = 1; stage <= 2 && !result.Stopped; ++stage) {
    for (int32_t cargo : {pcCol, pcCap}) {
      while (!result.Stopped &&
             SendPass(planner, work, settings, useRoutes, cargo, stage, result)) {
      }
    }
  }
  return result;
}

TAutoCargoResult RunAutoCargoCommand(TAutoCargoCommand command, TOrderService& service,
                                     TDevelopmentPlanner& planner, const IOrderLines& orders,
                                     const TAutoCargoSettings& settings,
                                     const std::function<void(const std::string&)>& status) {
  TAutoCargoResult result =
      command == TAutoCargoCommand::LoadAndSend
          ? AutomaticLoadAndSendCargo(planner, orders, settings, service.UseRoutesForDevelopment)
          : AutomaticSendEmptyShips(planner, orders, settings, service.UseRoutesForDevelopment);
  if (!result.Lines.empty()) {
    std::string text;
    for (const std::string& line : result.Lines) {
      if (!text.empty()) text += kOrderLineBreak;
      text += line;
    }
    service.InsertGroupCommands(text);
  }
  service.AnalyseOrders();
  if (status) status("Ready");
  return result;
}

}  // namespace tovix

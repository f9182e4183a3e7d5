#include "orders/development_plan.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_words.h"

namespace tovix {

namespace {

// The text after a leading ";" of a commented line, or "" for any other line.
std::string_view CommentedPart(std::string_view line) {
  line = TrimView(line);
  if (line.empty() || line.front() != ';') return {};
  return TrimView(line.substr(1));
}

float& Stock(TDevPlanet& record, int32_t cargo, size_t t) {
  if (cargo == pcCol) return record.COL[t];
  if (cargo == pcCap) return record.CAP[t];
  return record.MAT[t];
}

std::string Fixed(double v) {
  return FormatFixed(v, 2, 5);
}

}  // namespace

double TDevGroup::SpeedWith(float load) const {
  if (FleetSpeed > 0) return FleetSpeed;
  TSendedGroup record;
  record.Group = Group;
  record.Load = load;
  const double speed = TOrderAnalysis::SendedGroupSpeed(record);
  return std::isfinite(speed) && speed > 0 ? speed : 0;
}

float EffectiveIndustryAt(const TDevPlanet& record, int t) {
  const size_t i = static_cast<size_t>(t);
  const float p = record.Populations[i];
  const float ind = record.Industries[i];
  return p > ind ? ind + (p - ind) / 4 : ind;
}

TTurnsToFull TurnsToFull(const TDevPlanet& record) {
  TTurnsToFull turns;
  if (!record.Planet || record.Planet->Size == 0) return turns;
  turns.Col = 0;
  turns.Cap = 0;
  const float size = record.Planet->Size;
  for (size_t t = 0; t <= kDevLastTurn; ++t) {
    if (record.Populations[t] < size) ++turns.Col;
    if (record.Industries[t] < size) ++turns.Cap;
  }
  return turns;
}

TDevelopmentPlanner::TDevelopmentPlanner(GameState& state) : state_(state), orders_(state) {
  state_.SetDevelopmentPlan(this);
}

TDevelopmentPlanner::~TDevelopmentPlanner() {
  if (&state_.DevelopmentPlan() == this) state_.SetDevelopmentPlan(nullptr);
}

TDevPlanet* TDevelopmentPlanner::FindRecord(const TPlanet& planet) const {
  const auto found = byPlanet_.find(&planet);
  return found == byPlanet_.end() ? nullptr : found->second;
}

TDevPlanet& TDevelopmentPlanner::AddRecord(TPlanet& planet) {
  if (TDevPlanet* record = FindRecord(planet)) return *record;
  planets_.push_back(std::make_unique<TDevPlanet>());
  TDevPlanet& record = *planets_.back();
  record.Planet = &planet;
  byPlanet_[&planet] = &record;
  return record;
}

void TDevelopmentPlanner::Fly(TDevGroup& group, TPlanet* destination, double distance) {
  const double speed = group.Speed();
  group.DistanceLeft[0] = static_cast<float>(distance);
  group.ArrivesAt[0] = destination;
  group.InFlight = true;
  for (size_t t = 1; t < kDevLastTurn && group.DistanceLeft[t - 1] > 0; ++t) {
    group.At[t] = nullptr;
    group.ArrivesAt[t - 1] = nullptr;
    group.DistanceLeft[t] =
        static_cast<float>(std::max(0.0, double{group.DistanceLeft[t - 1]} - speed));
    group.ArrivesAt[t] = destination;
  }
}

void TDevelopmentPlanner::BuildRecords() {
  planets_.clear();
  groups_.clear();
  byPlanet_.clear();
  designs_.clear();
  notes_.clear();
  maxNumber_ = 0;
  TPlayer* own = state_.MainPlayer;
  for (auto [key, planet] : state_.Planets) {
    if (!planet) continue;
    planet->Production = planet->ReportProduction;
    if (!own || !planet->Owner.Is(own)) continue;
    TDevPlanet& record = AddRecord(*planet);
    record.COL[0] = planet->Colonists;
    record.CAP[0] = planet->Capital;
    record.MAT[0] = planet->Material;
    record.Populations[0] = planet->Population;
    record.Industries[0] = planet->Industry;
    const int32_t code = planet->ProductionCargo == pcCap || planet->ProductionCargo == pcMat
                             ? planet->ProductionCargo
                             : pcNone;
    record.Production.fill(code);
    record.Available[0] = planet->EffectiveIndustry();
  }
}

// True when a group in flight follows one of its planet's routes for its cargo as the report
// gave them: such a trip is unloaded at its end whatever the race's options.
bool TDevelopmentPlanner::FliesOnRoute(const TGroup& group) const {
  if (!group.Origin || group.CargoType == pcNone) return false;
  const int index = state_.Routes.IndexOf(LowerCase(group.Origin->Name));
  if (index < 0) return false;
  const TRoute& route = *state_.Routes.Object(index);
  const TPlanet* to = group.CargoType == pcCol   ? route.ReportCol
                      : group.CargoType == pcCap ? route.ReportCap
                                                 : route.ReportMat;
  return to == group.Planet;
}

void TDevelopmentPlanner::BuildGroups(bool withOrders) {
  groups_.clear();
  const TPlayer* own = state_.MainPlayer;
  if (!own) return;
  auto add = [&](TGroup& group, const TSendedGroup* record) {
    auto dev = std::make_unique<TDevGroup>();
    dev->Group = &group;
    dev->Ships = record ? record->Ships : group.Ships;
    dev->Load = record ? record->Load : group.Load;
    dev->CargoType = record ? record->CargoType : group.CargoType;
    dev->Number = record ? record->Number : group.GroupNumber;
    dev->Upgraded = record && record->Upgraded;
    if (record && !record->Fleet.empty()) dev->FleetSpeed = record->FleetSpeed;
    if (!record && !group.FleetName.empty()) dev->FleetSpeed = group.FleetSpeed;
    if (group.Distance > 0 && group.Origin) {
      dev->At[0] = group.Origin;
      dev->RouteTrip = FliesOnRoute(group);
      Fly(*dev, group.Planet, group.Distance);
    } else {
      dev->At[0] = group.Planet;
      // Sent by the orders: where it arrives is worked out once the routes are planned.
      TPlanet* to = record ? record->Destination : nullptr;
      if (to && record->SentByLine >= 0) {
        if (to != state_.UnknownPlanet && !FindRecord(*to)) AddRecord(*to);
        dev->ArrivesAt[1] = to;
      }
    }
    groups_.push_back(std::move(dev));
  };
  if (!withOrders) {
    for (const auto& owned : own->Groups) {
      maxNumber_ = std::max(maxNumber_, owned->GroupNumber);
      if (owned->CargoCapacity() > 0) add(*owned, nullptr);
    }
    return;
  }
  maxNumber_ = orders_.MaxNumber();
  for (const TSendedGroup& record : orders_.Records()) {
    if (record.Ships > 0 && record.Group->CargoCapacity() > 0) add(*record.Group, &record);
  }
}

void TDevelopmentPlanner::ApplyOrdersToPlanets(bool withLoads) {
  for (const auto& owned : planets_) {
    TDevPlanet& record = *owned;
    const TPlanetOrders* orders = orders_.PlanetOrders(*record.Planet);
    if (!orders || !record.Planet->Owner.Is(state_.MainPlayer)) continue;
    record.COL[0] = orders->Colonists + (withLoads ? 0 : orders->LoadedColonists);
    record.CAP[0] = orders->Capital + (withLoads ? 0 : orders->LoadedCapital);
    record.MAT[0] = orders->Material + (withLoads ? 0 : orders->LoadedMaterial);
    record.Available[0] = std::max(0.0f, record.Available[0] - orders->UpgradeSpent);
  }
}

int TDevelopmentPlanner::FindGroup(std::string_view word) const {
  if (word.empty()) return -1;
  int32_t number = 0;
  if (SameText(word, "max")) {
    number = maxNumber_;
  } else {
    number = ReadOrderCount(word);
    if (number <= 0) return -1;
  }
  for (size_t i = 0; i < groups_.size(); ++i) {
    if (groups_[i]->Number == number) return static_cast<int>(i);
  }
  return -1;
}

// Splits `ships` ships of record `index` into a new record under the next free number; the
// old record keeps the rest. Returns the new record.
int TDevelopmentPlanner::Split(int index, int32_t ships) {
  TDevGroup& from = *groups_[static_cast<size_t>(index)];
  auto part = std::make_unique<TDevGroup>(from);
  part->Ships = ships;
  part->Number = ++maxNumber_;
  from.Ships -= ships;
  groups_.push_back(std::move(part));
  return static_cast<int>(groups_.size()) - 1;
}

void TDevelopmentPlanner::ReadPlanetOrders(const IOrderLines& lines) {
  ForEachOrderLine(lines, [&](int lineIndex, std::string_view line) {
    if (std::string_view tag = CommentedPart(line); !tag.empty()) {
      const std::vector<std::string_view> w = OrderWords(tag);
      if (w.size() >= 2 && SameText(w[0], "p")) {
        if (TPlanet* planet = orders_.FindPlanet(w[1])) AddRecord(*planet).Develop = true;
      }
      return;
    }
    // What the server refuses changes nothing.
    if (orders_.Refused(lineIndex)) return;
    const std::vector<std::string_view> w = OrderWords(OrderPart(line));
    if (w.empty()) return;
    switch (LoCase(w[0].front())) {
      case 'p': {
        TPlanet* planet = w.size() >= 3 ? orders_.FindPlanet(w[1]) : nullptr;
        TDevPlanet* record = planet ? FindRecord(*planet) : nullptr;
        if (!record) return;
        const int32_t code = ReadCargoWord(w[2]);
        std::fill(record->Production.begin() + 1, record->Production.end(), code);
        planet->Production = std::string(w[2]);
        return;
      }
      case 'r': {
        TPlanet* from = w.size() >= 3 ? orders_.FindPlanet(w[1]) : nullptr;
        if (!from) return;
        const std::string kind = LowerCase(w[2]);
        TPlanet* to = w.size() >= 4 ? orders_.FindPlanet(w[3]) : nullptr;
        const std::string key = LowerCase(from->Name);
        int index = state_.Routes.IndexOf(key);
        if (index < 0) {
          if (!to) return;
          index = state_.Routes.AddObject(key, std::make_unique<TRoute>(from));
        }
        TRoute& route = *state_.Routes.Object(index);
        if (kind == "col") route.Col = to;
        if (kind == "cap") route.Cap = to;
        if (kind == "mat") route.Mat = to;
        if (kind == "emp") route.Emp = to;
        return;
      }
      case 'd': {
        // A design: name drive attacks weapons shields cargo. "D FLEET ..." makes a fleet.
        if (w.size() < 7 || SameText(w[1], "fleet") || !SameText(w[0], "d")) return;
        std::string name = LowerCase(w[1]);
        if (state_.MainPlayer) {
          const TShipType* known = state_.MainPlayer->FindShipType(name);
          if (known && !known->FromOrders) return;
        }
        for (const TOrderDesign& d : designs_) {
          if (d.Name == name) return;
        }
        TOrderDesign design;
        design.Name = std::move(name);
        design.Drive = static_cast<float>(std::round(StrToFloatDef(w[2], 0) * 100) / 100);
        design.Attacks = FirstIntInStr(w[3]);
        design.Weapons = static_cast<float>(StrToFloatDef(w[4], 0));
        design.Shields = static_cast<float>(StrToFloatDef(w[5], 0));
        design.Cargo = static_cast<float>(StrToFloatDef(w[6], 0));
        designs_.push_back(std::move(design));
        return;
      }
      default:
        return;
    }
  });
  SyncOrderShipTypes();
}

void TDevelopmentPlanner::SyncOrderShipTypes() {
  TPlayer* own = state_.MainPlayer;
  if (!own) return;
  // The designs of an earlier pass that no design order holds now leave the race. They stay
  // alive here: a window may point at one until its refresh after this pass.
  for (int i = own->ShipTypes.Count() - 1; i >= 0; --i) {
    const TShipType* type = own->ShipTypes.Object(i);
    if (!type || !type->FromOrders) continue;
    const std::string name = LowerCase(type->Name);
    const bool held = std::any_of(designs_.begin(), designs_.end(),
                                  [&name](const TOrderDesign& d) { return d.Name == name; });
    if (!held) retiredTypes_.push_back(own->ShipTypes.Extract(i));
  }
  // Each design joins the race's types under its lower-cased name (a kept one takes the
  // figures of its line as it stands now), so the designer, the simulator and the lists see it.
  for (const TOrderDesign& d : designs_) {
    TShipType* type = own->FindShipType(d.Name);
    if (!type) {
      auto made = std::make_unique<TShipType>(d.Name, state_.Settings.GameType);
      made->FromOrders = true;
      type = own->AddShipType(std::move(made));
    }
    if (!type->FromOrders) continue;
    type->Drive = d.Drive;
    type->Attacks = d.Attacks;
    type->Weapons = d.Weapons;
    type->Shields = d.Shields;
    type->Cargo = d.Cargo;
  }
}

void TDevelopmentPlanner::ReadReservations(const IOrderLines& lines) {
  ForEachOrderLine(lines, [&](int, std::string_view line) {
    const std::vector<std::string_view> w = OrderWords(CommentedPart(line));
    if (w.size() >= 2 && SameText(w[0], "s")) {
      if (const int index = FindGroup(w[1]); index >= 0) {
        groups_[static_cast<size_t>(index)]->Reserved = true;
      }
    }
  });
}

void TDevelopmentPlanner::PlanRouteTransports() {
  // The server's list holds the ships an order split off right after their group, and its
  // routes take the groups in that order. Records split off below are not visited again.
  std::vector<size_t> order(groups_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::unordered_map<const TGroup*, size_t> first;
  for (size_t i = 0; i < groups_.size(); ++i) first.try_emplace(groups_[i]->Group, i);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return first[groups_[a]->Group] < first[groups_[b]->Group];
  });
  for (size_t i : order) {
    TDevGroup* group = groups_[i].get();
    // A route takes the idle, empty cargo ships standing at its planet; a group an order
    // loaded, or one in a fleet, is not its to take.
    const bool loaded = group->Load > 0 && group->CargoType != pcNone;
    if (group->State >= TDevState::Travels || group->Reserved || group->DistanceLeft[0] > 0 ||
        group->ArrivesAt[1] || !group->At[0] || loaded || group->FleetSpeed > 0)
      continue;
    const float capacity = group->Group->CargoCapacity();
    if (!(capacity > 0)) continue;
    TDevPlanet* record = FindRecord(*group->At[0]);
    const int routeIndex = state_.Routes.IndexOf(LowerCase(group->At[0]->Name));
    if (!record || routeIndex < 0) continue;
    const TRoute& route = *state_.Routes.Object(routeIndex);
    for (int32_t cargo : {pcCol, pcCap, pcMat}) {
      TPlanet* to = cargo == pcCol ? route.Col : cargo == pcCap ? route.Cap : route.Mat;
      float& stock = Stock(*record, cargo, 0);
      if (!to || !(stock > 0)) continue;
      // As many ships as the stock fills, the last one partly: ceil(stock / capacity), at
      // most the group's; they share what they take evenly.
      const double needed =
          std::max(1.0, std::ceil(std::min<double>(stock / capacity, 1e9) - 1e-9));
      const int32_t n = static_cast<int32_t>(std::min<double>(needed, group->Ships));
      if (n < group->Ships) {
        // The loaded ships keep the group's number; those left behind get the new one.
        const int part = Split(static_cast<int>(i), n);
        std::swap(groups_[i]->Number, groups_[static_cast<size_t>(part)]->Number);
        group = groups_[static_cast<size_t>(part)].get();
      }
      const double full = double{capacity} * n;
      if (full <= stock) {
        group->Load = capacity;
        stock = static_cast<float>(stock - full);
      } else {
        group->Load = static_cast<float>(stock / n);
        stock = 0;
      }
      group->ArrivesAt[1] = to;
      group->State = TDevState::Planned;
      group->CargoType = cargo;
      break;
    }
    if (group->State < TDevState::Travels && route.Emp) {
      group->Load = 0;
      group->ArrivesAt[1] = route.Emp;
      group->State = TDevState::Planned;
      group->CargoType = pcEmptyTrip;
    }
  }
}

void TDevelopmentPlanner::StartFlights() {
  for (const auto& owned : groups_) {
    TDevGroup& group = *owned;
    TPlanet* to = group.ArrivesAt[1];
    if (!to || to == state_.UnknownPlanet) continue;
    if (!(group.DistanceLeft[0] > 0) && group.At[0]) {
      const double distance = OrderDistance(state_, *group.At[0], *to);
      group.ArrivesAt[1] = nullptr;
      if (distance > 0) {
        Fly(group, to, distance);
      } else {
        group.ArrivesAt[1] = to;  // a send to its own planet arrives at once
        group.InFlight = true;
      }
    } else {
      group.DistanceLeft[1] =
          static_cast<float>(std::max(0.0, double{group.DistanceLeft[0]} - group.Speed()));
    }
  }
}

void TDevelopmentPlanner::FinishGroups() {
  for (const auto& owned : groups_) {
    TDevGroup& group = *owned;
    if (group.Reserved || (group.Upgraded && group.State != TDevState::Planned)) continue;
    if (group.ArrivesAt[1] == state_.UnknownPlanet) {
      notes_.push_back("planet 1 encountered!");
      continue;
    }
    const TDevPlanet* record = group.At[0] ? FindRecord(*group.At[0]) : nullptr;
    if (record) {
      group.HereCOL = record->COL[0];
      group.HereCAP = record->CAP[0];
      group.Capacity = group.Group->CargoCapacity();
    } else {
      group.HereCOL = group.At[0] ? group.At[0]->Colonists : 0;
      group.HereCAP = group.At[0] ? group.At[0]->Capital : 0;
      group.Capacity = group.Load;
    }
    group.NextDistance = group.DistanceLeft[1];
    group.Destination = nullptr;
    for (TPlanet* at : group.ArrivesAt) {
      if (at) group.Destination = at;
    }
    if (group.Destination) {
      if (group.State != TDevState::Planned) group.State = TDevState::Travels;
    } else {
      group.State = TDevState::Stays;
      group.Destination = group.At[0];
    }
  }
}

void TDevelopmentPlanner::Project(TDevPlanet& record, bool transports) {
  const TPlanet& planet = *record.Planet;
  const double size = planet.Size;
  const double resources = planet.Resources;
  const bool blind = state_.Settings.GameType == TGameType::Blind;
  const bool own = planet.Owner.Is(state_.MainPlayer);
  for (size_t t = 1; t <= kDevLastTurn; ++t) {
    double col = record.COL[t - 1], cap = record.CAP[t - 1], mat = record.MAT[t - 1];
    double pop = record.Populations[t - 1], ind = record.Industries[t - 1];
    const double available = record.Available[t - 1];
    if (resources > 0 && record.Production[t] == pcMat) {
      mat += available * resources;
    } else if (resources > 0 && record.Production[t] == pcCap) {
      // Each unit of capital takes 5 production and 1 material; missing material is made
      // from production first.
      const double c = std::min((mat / resources + available) / (1 / resources + 5), available / 5);
      if (mat > 0) mat = std::max(0.0, mat - c);
      cap += c;
    }
    if (pop < size) {
      pop += 8 * col;
      col = 0;
      if (pop > size) {
        col = (pop - size) / 8;
        pop = size;
      }
    }
    pop *= 1.08;
    for (const TDevGroup* touching : Touching(planet)) {
      const TDevGroup& group = *touching;
      const bool arrives = group.ArrivesAt[t] == &planet && group.DistanceLeft[t] == 0;
      // A loaded group that stays on an own planet unloads at the end of the turn too.
      const bool stays = t == 1 && own && group.At[0] == &planet && !group.InFlight;
      if (!arrives && !stays) continue;
      // Without "autoUnload" only the route trips unload by themselves.
      if (!state_.AutoUnload && !group.RouteTrip && group.State != TDevState::Planned) continue;
      const double amount = double{group.Load} * group.Ships;
      if (group.CargoType == pcCol) pop += 8 * amount;
      if (group.CargoType == pcCap) cap += amount;
      if (group.CargoType == pcMat) mat += amount;
    }
    if (pop > size) {
      col += (pop - size) / 8;
      pop = size;
    }
    if (ind < pop) {
      if (blind) {
        const double d = cap - (pop - ind) / 2;
        if (!(d > 0)) {
          ind += 2 * cap;
          cap = 0;
        } else {
          ind = pop;
          cap = d;
        }
      } else {
        ind += cap;
        cap = 0;
        if (ind > pop) {
          cap = ind - pop;
          ind = pop;
        }
      }
    }
    record.COL[t] = static_cast<float>(col);
    record.CAP[t] = static_cast<float>(cap);
    record.MAT[t] = static_cast<float>(mat);
    record.Populations[t] = static_cast<float>(pop);
    record.Industries[t] = static_cast<float>(ind);
    record.Available[t] = EffectiveIndustryAt(record, static_cast<int>(t));
    if (t != 1 || !transports) continue;
    for (const TDevGroup* touching : Touching(planet)) {
      const TDevGroup& group = *touching;
      const bool here = (group.ArrivesAt[1] == &planet && group.DistanceLeft[1] == 0) ||
                        (group.At[0] == &planet && !group.Destination);
      const TShipType* type = group.Group->ShipType;
      const float capacity = group.Group->CargoCapacity();
      if (!here || !type || !(capacity > 0)) continue;
      for (int32_t ship = 0; ship < group.Ships; ++ship) {
        float* from = nullptr;
        switch (type->CargoUse) {
          case TCargoUse::Col:
            from = &record.COL[1];
            break;
          case TCargoUse::Cap:
            from = &record.CAP[1];
            break;
          case TCargoUse::ColThenCap:
            from = record.COL[1] > 0 ? &record.COL[1] : &record.CAP[1];
            break;
          case TCargoUse::CapThenCol:
            from = record.CAP[1] > 0 ? &record.CAP[1] : &record.COL[1];
            break;
          default:
            break;
        }
        if (!from || !(*from > 0)) break;
        *from = capacity < *from ? *from - capacity : 0;
      }
    }
  }
}

void TDevelopmentPlanner::PlanAutomaticCargo(const IOrderLines& lines, bool transports,
                                             bool useRoutes) {
  BuildRecords();
  for (auto [key, route] : state_.Routes) {
    if (route) route->ResetToReport();
  }
  // The orders as the server applies them, line by line: what the loads, unloads, scraps,
  // upgrades and production changes leave on the planets, and the groups they make.
  orders_.ParseOrders(lines);
  ReadPlanetOrders(lines);
  ApplyOrdersToPlanets(true);
  BuildGroups(true);
  ReadReservations(lines);
  if (useRoutes) PlanRouteTransports();
  StartFlights();
  FinishGroups();
  IndexGroups();
  for (const auto& record : planets_) Project(*record, transports);
  notes_.erase(std::remove(notes_.begin(), notes_.end(), "planet 1 encountered!"), notes_.end());
  FinishGroups();
}

void TDevelopmentPlanner::Clear() {
  planets_.clear();
  groups_.clear();
  byPlanet_.clear();
  touching_.clear();
  designs_.clear();
  notes_.clear();
  lists_ = {};
}

void TDevelopmentPlanner::ProjectDevelopment(const IOrderLines& lines) {
  BuildRecords();
  for (auto [key, route] : state_.Routes) {
    if (route) route->ResetToReport();
  }
  orders_.ParseOrders(lines);
  ReadPlanetOrders(lines);
  // Without shipping: what the loads take stays on the planets.
  ApplyOrdersToPlanets(false);
  BuildGroups(false);
  IndexGroups();
  for (const auto& record : planets_) Project(*record, false);
}

void TDevelopmentPlanner::IndexGroups() {
  touching_.clear();
  for (const auto& owned : groups_) {
    const TDevGroup* group = owned.get();
    // Each planet once per group, or its arrivals would count twice.
    std::vector<const TPlanet*> planets;
    for (const TPlanet* at : group->ArrivesAt) {
      if (at) planets.push_back(at);
    }
    if (group->At[0]) planets.push_back(group->At[0]);
    std::sort(planets.begin(), planets.end());
    planets.erase(std::unique(planets.begin(), planets.end()), planets.end());
    for (const TPlanet* at : planets) touching_[at].push_back(group);
  }
}

const std::vector<const TDevGroup*>& TDevelopmentPlanner::Touching(const TPlanet& planet) const {
  static const std::vector<const TDevGroup*> kNone;
  const auto found = touching_.find(&planet);
  return found == touching_.end() ? kNone : found->second;
}

void TDevelopmentPlanner::ComputeBuildability() {}

std::vector<TPlannedTransport> TDevelopmentPlanner::CargoPlan() const {
  std::vector<TPlannedTransport> plan;
  for (const auto& owned : groups_) {
    const TDevGroup& group = *owned;
    if (group.State != TDevState::Planned && group.State != TDevState::Travels) continue;
    if (!group.Destination || group.Destination == state_.UnknownPlanet) continue;
    TPlannedTransport transport;
    transport.State = static_cast<int32_t>(group.State);
    transport.Group = group.Group;
    transport.Number = group.Number;
    transport.Ships = group.Ships;
    transport.Destination = group.Destination;
    transport.Load = group.Load;
    transport.CargoType = group.CargoType == pcEmptyTrip ? pcNone : group.CargoType;
    transport.Distance = group.DistanceLeft[0];
    plan.push_back(transport);
  }
  return plan;
}

TDevelopmentLists TDevelopmentPlanner::BuildLists() const {
  TDevelopmentLists lists;
  const TPlayer* own = state_.MainPlayer;
  auto turnsText = [](int turns) -> std::string {
    if (turns < 0) return "Unknown";
    if (turns == 0) return "FULL";
    if (turns > kDevLastTurn) return ">" + std::to_string(turns - 1);
    return std::to_string(turns);
  };
  for (const auto& owned : planets_) {
    const TDevPlanet& record = *owned;
    const TPlanet& planet = *record.Planet;
    if (record.Develop) {
      TDevelopingRow row;
      row.Planet = record.Planet;
      row.Name = planet.Name;
      if (!own || !planet.Owner.Is(own)) {
        row.ColTurns = row.CapTurns = "Not Possible";
      } else {
        const TTurnsToFull turns = TurnsToFull(record);
        row.ColTurns = turnsText(turns.Col);
        row.CapTurns = turnsText(turns.Cap);
        if (turns.Col != 0) {
          row.Sizes = "(" + FormatFixed(planet.Population, 0, 5) + "/" +
                      FormatFixed(planet.Size, 0, 5) + ")";
        } else if (turns.Cap != 0) {
          row.Sizes =
              "(" + FormatFixed(planet.Industry, 0, 5) + "/" + FormatFixed(planet.Size, 0, 5) + ")";
        }
      }
      lists.Developing.push_back(std::move(row));
    }
    if (record.COL[0] != 0 || record.CAP[0] != 0 || record.COL[1] != 0 || record.CAP[1] != 0) {
      lists.ToTransport.push_back({record.Planet, planet.Name, Fixed(record.COL[0]),
                                   Fixed(record.COL[1]), Fixed(record.CAP[0]), Fixed(record.CAP[1]),
                                   Fixed(record.MAT[0]), Fixed(record.MAT[1])});
    }
  }
  for (size_t i = 0; i < groups_.size(); ++i) {
    const TDevGroup& group = *groups_[i];
    if (group.State == TDevState::New) continue;
    const double speed = group.Speed();
    TDevGroupRow row;
    row.Record = static_cast<int>(i);
    row.Caption = std::to_string(group.Number);
    row.Ships = std::to_string(group.Ships);
    row.Capacity = Fixed(group.Capacity);
    row.Speed = Fixed(speed);
    row.Destination = group.Destination ? group.Destination->Name : std::string();
    if (group.State == TDevState::Stays) {
      row.HereCOL = Fixed(group.HereCOL);
      row.HereCAP = Fixed(group.HereCAP);
      lists.ToDo.push_back(std::move(row));
    } else {
      row.NextDistance = Fixed(group.NextDistance);
      row.Image = speed > 0 ? RoundToInt(group.DistanceLeft[0] / speed) : -1;
      row.Planned = group.State == TDevState::Planned;
      lists.LoadedSent.push_back(std::move(row));
    }
  }
  return lists;
}

}  // namespace tovix

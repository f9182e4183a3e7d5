#include "orders/order_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/model/arrival.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_words.h"

namespace tovix {

namespace {

TOrderKind KindOf(char letter) {
  switch (LoCase(letter)) {
    case 'p':
      return TOrderKind::Production;
    case 's':
      return TOrderKind::Send;
    case 'l':
      return TOrderKind::Load;
    case 'b':
      return TOrderKind::Break;
    case 'i':
      return TOrderKind::Intercept;
    case 'r':
      return TOrderKind::Route;
    case 'u':
      return TOrderKind::Unload;
    case 'g':
      return TOrderKind::Upgrade;
    case 'j':
      return TOrderKind::Join;
    case 'x':
      return TOrderKind::Scrap;
    case 'd':
      return TOrderKind::Design;
    default:
      return TOrderKind::Other;
  }
}

// The productions that are no design: research, capital and material.
// Why a word of an order is refused: it is missing, or it names nothing known.
std::string Unknown(std::string_view what, std::string_view word) {
  return word.empty() ? Fmt("the %s is missing.", what) : Fmt("%s %s not recognized.", what, word);
}

bool IsProductionWord(std::string_view word) {
  for (std::string_view known : {"drive", "weapons", "shields", "cargo", "cap", "mat"}) {
    if (SameText(word, known)) return true;
  }
  return false;
}

double ShipMass(const TGroup* group) {
  return group && group->ShipType ? double{group->ShipType->Mass()} : 0.0;
}

std::string Fixed(double v) {
  return FormatFixed(v, 2, 5);
}

}  // namespace

double OrderDistance(const GameState& state, const TPlanet& from, const TPlanet& to) {
  double dx = std::abs(static_cast<double>(from.X) - to.X);
  double dy = std::abs(static_cast<double>(from.Y) - to.Y);
  const TGameSettings& settings = state.Settings;
  if (settings.GameType == TGameType::NG && settings.MapType == TMapType::Spherical) {
    const double width = static_cast<double>(settings.MapSize) * 100;
    if (dx > width / 2) dx = width - dx;
    if (dy > width / 2) dy = width - dy;
  }
  return std::sqrt(dx * dx + dy * dy) / 100;
}

TPlanet* TOrderAnalysis::FindPlanet(std::string_view word) const {
  if (word.empty()) return nullptr;
  std::string key = LowerCase(word);
  const int index = state_.Planets.IndexOf(key);
  if (index >= 0) return state_.Planets.Object(index);
  if (!byNameBuilt_) {
    byName_.clear();
    for (auto [planetKey, planet] : state_.Planets) {
      // The first planet of a name wins, as a scan of the list would find it.
      if (planet) byName_.emplace(LowerCase(planet->Name), planet);
    }
    byNameBuilt_ = true;
  }
  const auto found = byName_.find(key);
  return found == byName_.end() ? nullptr : found->second;
}

int TOrderAnalysis::FindRecord(std::string_view word) const {
  if (word.empty()) return -1;
  if (SameText(word, "max")) {
    if (records_.empty()) return -1;
    const auto found = byNumber_.find(maxNumber_);
    return found == byNumber_.end() ? static_cast<int>(records_.size()) - 1 : found->second;
  }
  const int32_t number = ReadOrderCount(word);
  if (number <= 0) return -1;
  const auto found = byNumber_.find(number);
  return found == byNumber_.end() ? -1 : found->second;
}

int TOrderAnalysis::FindFleet(std::string_view word) const {
  if (word.empty()) return -1;
  for (size_t i = 0; i < fleets_.size(); ++i) {
    if (SameText(fleets_[i].Name, word)) return static_cast<int>(i);
  }
  return -1;
}

int TOrderAnalysis::AddFleet(std::string_view name) {
  if (const int found = FindFleet(name); found >= 0) return found;
  fleets_.push_back({std::string(name), nullptr, false});
  return static_cast<int>(fleets_.size()) - 1;
}

bool TOrderAnalysis::ParseOrderLine(std::string_view line, TParsedOrder& order) const {
  order = TParsedOrder{};
  const std::string_view text = OrderPart(line);
  if (text.empty()) return false;
  TOrderWords words(text);
  const std::string_view command = words.Next();
  order.Kind = KindOf(command.front());
  switch (order.Kind) {
    case TOrderKind::Production:
      order.Planet = FindPlanet(words.Next());
      order.Cargo = ReadCargoWord(words.Next());
      return order.Planet != nullptr;
    case TOrderKind::Send:
    case TOrderKind::Intercept: {
      const std::string_view who = words.Next();
      order.Record = FindRecord(who);
      if (order.Record < 0) order.Fleet = FindFleet(who);
      order.Planet = FindPlanet(words.Next());
      order.Number = ReadOrderCount(words.Next());
      return (order.Record >= 0 || order.Fleet >= 0) && order.Planet;
    }
    case TOrderKind::Load:
      order.Record = FindRecord(words.Next());
      order.Cargo = ReadCargoWord(words.Next());
      order.Number = ReadOrderCount(words.Next());
      return order.Record >= 0 && order.Cargo != pcNone;
    case TOrderKind::Break: {
      order.Record = FindRecord(words.Next());
      const std::string_view count = words.Next();
      order.Number = ReadOrderCount(count);
      return order.Record >= 0 && !count.empty();
    }
    case TOrderKind::Route:
      order.Planet = FindPlanet(words.Next());
      order.Cargo = ReadCargoWord(words.Next());
      return order.Planet && order.Cargo != pcNone;
    case TOrderKind::Unload:
    case TOrderKind::Upgrade:
    case TOrderKind::Scrap:
      order.Record = FindRecord(words.Next());
      order.Number = ReadOrderCount(words.Next());
      return order.Record >= 0;
    case TOrderKind::Join:
      order.Record = FindRecord(words.Next());
      order.Fleet = FindFleet(words.Next());
      return order.Record >= 0;
    case TOrderKind::Design:
      return false;
    case TOrderKind::Other:
      break;
  }
  // Any other line: the first word that names a planet, the command word included (a line
  // may be a bare planet name).
  for (std::string_view word = command; !word.empty(); word = words.Next()) {
    if ((order.Planet = FindPlanet(word))) return true;
  }
  return false;
}

int TOrderAnalysis::SplitSendedGroup(int index, int32_t ships) {
  TSendedGroup part;
  {
    const TSendedGroup& from = records_[static_cast<size_t>(index)];
    part.Group = from.Group;
    part.Source = from.Source;
    part.Destination = from.Destination;
    part.Distance = from.Distance;
    part.Load = from.Load;
    part.CargoType = from.CargoType;
    part.SentByLine = from.SentByLine;
    part.Turns = from.Turns;
  }
  part.Ships = ships;
  part.Number = ++maxNumber_;
  records_[static_cast<size_t>(index)].Ships -= ships;
  records_.push_back(part);
  const bool moving = moving_[static_cast<size_t>(index)];
  moving_.push_back(moving);
  const int added = static_cast<int>(records_.size()) - 1;
  byNumber_[part.Number] = added;
  return added;
}

void TOrderAnalysis::Renumber(int index) {
  TSendedGroup& record = records_[static_cast<size_t>(index)];
  const auto old = byNumber_.find(record.Number);
  if (old != byNumber_.end() && old->second == index) byNumber_.erase(old);
  record.Number = ++maxNumber_;
  byNumber_[record.Number] = index;
}

int32_t TOrderAnalysis::ShipsLeftInGroup(const TGroup& group) const {
  int64_t left = group.Ships;
  for (const TSendedGroup& record : records_) {
    if (record.Group != &group) continue;
    if (record.Destination || record.Upgraded) left -= record.Ships;
    left -= record.Scrapped;
  }
  return static_cast<int32_t>(std::max<int64_t>(left, 0));
}

int32_t TOrderAnalysis::AvailableShips(const TSendedGroup& record) {
  return record.Destination || record.Upgraded ? 0 : std::max(record.Ships, 0);
}

int32_t TOrderAnalysis::AvailableShipsOf(int32_t number, const TGroup& group) const {
  const auto found = byNumber_.find(number);
  if (found == byNumber_.end()) return ShipsLeftInGroup(group);
  const TSendedGroup& record = records_[static_cast<size_t>(found->second)];
  return record.Group == &group ? AvailableShips(record) : ShipsLeftInGroup(group);
}

double TOrderAnalysis::OwnSpeed(const TSendedGroup& record) {
  return record.Group ? LoadedSpeed(*record.Group, record.Load) : 0;
}

double TOrderAnalysis::LoadedSpeed(const TGroup& group, float load) {
  if (!group.ShipType) return 0;
  double mass = group.ShipType->Mass();
  if (!(mass > 0)) return 0;
  if (group.CargoCapacity() > 0 && group.CargoTech > 0) mass += load / group.CargoTech;
  return 20.0 * group.ShipType->Drive * group.DriveTech / mass;
}

double TOrderAnalysis::SendedGroupSpeed(const TSendedGroup& record) {
  if (!record.Fleet.empty() && record.FleetSpeed > 0) return record.FleetSpeed;
  return OwnSpeed(record);
}

void TOrderAnalysis::SetDestination(TSendedGroup& record, TPlanet* destination, int line) {
  record.Destination = destination;
  record.Distance = record.Source ? OrderDistance(state_, *record.Source, *destination) : 0;
  record.Turns = TurnsToArrive(record.Distance, SendedGroupSpeed(record));
  record.SentByLine = line;
}

bool TOrderAnalysis::Refused(int line) const {
  return line >= 0 && static_cast<size_t>(line) < refusedLines_.size() &&
         refusedLines_[static_cast<size_t>(line)];
}

const TPlanetOrders* TOrderAnalysis::PlanetOrders(const TPlanet& planet) const {
  const auto found = planets_.find(&planet);
  return found == planets_.end() ? nullptr : &found->second;
}

TPlanetOrders& TOrderAnalysis::Planet(TPlanet& planet) {
  auto [it, added] = planets_.try_emplace(&planet);
  if (added && planet.Owner.Is(state_.MainPlayer)) {
    // Only the own planets' stocks and industry are the race's to use.
    it->second.Colonists = planet.Colonists;
    it->second.Capital = planet.Capital;
    it->second.Material = planet.Material;
    it->second.Industry = planet.EffectiveIndustry();
  }
  return it->second;
}

float& TOrderAnalysis::Stock(TPlanet& planet, int32_t cargo) {
  TPlanetOrders& orders = Planet(planet);
  if (cargo == pcCol) return orders.Colonists;
  if (cargo == pcCap) return orders.Capital;
  return orders.Material;
}

const TShipInProduction* TOrderAnalysis::ShipInProduction(const TPlanet& planet) const {
  for (const auto& ship : state_.ShipsInProduction) {
    if (SameText(ship->PlanetName, planet.Name) ||
        (ship->PlanetNumber >= 0 && ship->PlanetNumber == planet.Number)) {
      return ship.get();
    }
  }
  return nullptr;
}

void TOrderAnalysis::Note(int line, std::string_view text, std::string_view why, bool refused,
                          TNoteKind kind) {
  TOrderNote note;
  note.Line = line;
  note.Refused = refused;
  note.Kind = kind;
  note.Text = Fmt("Line %d (%s): %s%s", line + 1, text, refused ? "ERROR: " : "", why);
  if (refused) {
    if (refusedLines_.size() <= static_cast<size_t>(line)) {
      refusedLines_.resize(static_cast<size_t>(line) + 1, false);
    }
    refusedLines_[static_cast<size_t>(line)] = true;
  }
  notes_.push_back(note.Text);
  lineNotes_.push_back(std::move(note));
}

void TOrderAnalysis::SendFleet(int line, int fleetIndex, TPlanet* destination) {
  TFleet& fleet = fleets_[static_cast<size_t>(fleetIndex)];
  std::vector<size_t> members;
  double speed = 0;
  for (size_t i = 0; i < records_.size(); ++i) {
    const TSendedGroup& record = records_[i];
    if (record.Ships <= 0 || !SameText(record.Fleet, fleet.Name)) continue;
    const double own = OwnSpeed(record);
    speed = members.empty() ? own : std::min(speed, own);
    members.push_back(i);
  }
  for (size_t i : members) {
    TSendedGroup& record = records_[i];
    record.FleetSpeed = speed;
    SetDestination(record, destination, line);
    moving_[i] = record.Source != destination;
  }
  fleet.Moving = fleet.Planet != destination;
}

void TOrderAnalysis::SetFleetSpeeds() {
  for (const TFleet& fleet : fleets_) {
    if (fleet.Moving) continue;  // its speed was set when it left
    double speed = -1;
    for (const TSendedGroup& record : records_) {
      if (record.Ships > 0 && SameText(record.Fleet, fleet.Name)) {
        const double own = OwnSpeed(record);
        speed = speed < 0 ? own : std::min(speed, own);
      }
    }
    for (TSendedGroup& record : records_) {
      if (SameText(record.Fleet, fleet.Name)) record.FleetSpeed = std::max(speed, 0.0);
    }
  }
}

void TOrderAnalysis::ApplyLine(int line, std::string_view full) {
  const std::string_view text = OrderPart(full);
  if (text.empty()) return;
  TOrderWords words(text);
  const std::string_view command = words.Next();
  const TOrderKind kind = KindOf(command.front());
  const TPlayer* own = state_.MainPlayer;
  auto refuse = [&](const std::string& why) { Note(line, text, why); };
  auto owned = [&](const TPlanet* planet) { return planet && planet->Owner.Is(own); };
  // A group the lines before scrapped whole is gone.
  auto scrapped = [&](int index) {
    const TSendedGroup& record = records_[static_cast<size_t>(index)];
    if (record.Ships > 0) return false;
    refuse(Fmt("group %d was scrapped.", record.Number));
    return true;
  };
  auto recordOf = [&](std::string_view word, int& index) {
    index = FindRecord(word);
    if (index < 0) refuse(Unknown("group", word));
    return index >= 0 && !scrapped(index);
  };
  auto inHyperspace = [&](int index) {
    if (!moving_[static_cast<size_t>(index)]) return false;
    refuse(Fmt("group %d is in hyperspace.", records_[static_cast<size_t>(index)].Number));
    return true;
  };
  // The ships of record `index` an order with count `n` names: all of them, or a part split
  // off under a new number. Asking for more than the record holds takes them all, with a note.
  auto part = [&](int index, int32_t n) {
    const int32_t ships = records_[static_cast<size_t>(index)].Ships;
    if (n > 0 && n < ships) return SplitSendedGroup(index, n);
    if (n > ships) {
      Note(line, text, Fmt("Can't break group %d!", records_[static_cast<size_t>(index)].Number),
           false);
    }
    return index;
  };

  switch (kind) {
    case TOrderKind::Production: {
      const std::string_view planetWord = words.Next();
      const std::string_view what = words.Next();
      TPlanet* planet = FindPlanet(planetWord);
      if (!planet) return refuse(Unknown("planet", planetWord));
      if (!owned(planet)) return refuse(Fmt("planet %s is not ours.", planet->Name));
      if (!IsProductionWord(what) && !designs_.count(LowerCase(what)) &&
          !(own && own->FindShipType(what))) {
        return refuse(Unknown("production", what));
      }
      // Turning away from a ship under construction gives back the material built into it;
      // the rest of its progress is lost.
      TPlanetOrders& orders = Planet(*planet);
      const TShipInProduction* ship = orders.ShipAbandoned ? nullptr : ShipInProduction(*planet);
      if (ship && !SameText(ship->ShipTypeName, what) && ship->Cost > 0 && ship->Progress > 0) {
        const TShipType* type = own ? own->FindShipType(ship->ShipTypeName) : nullptr;
        const float mass = type ? type->Mass() : 0;
        const float material = mass * ship->Progress / ship->Cost;
        orders.Material += material;
        orders.MaterialReturned += material;
        orders.ShipAbandoned = true;
      }
      return;
    }
    case TOrderKind::Route: {
      const std::string_view fromWord = words.Next();
      const std::string_view cargo = words.Next();
      const std::string_view toWord = words.Next();
      if (!FindPlanet(fromWord)) return refuse(Unknown("planet", fromWord));
      if (ReadCargoWord(cargo) == pcNone && !SameText(cargo, "emp")) {
        return refuse(Unknown("cargo", cargo));
      }
      // Without a destination the order removes the route.
      if (!toWord.empty() && !FindPlanet(toWord)) {
        return refuse(Unknown("planet", toWord));
      }
      return;
    }
    case TOrderKind::Send:
    case TOrderKind::Intercept: {
      const std::string_view who = words.Next();
      const std::string_view planetWord = words.Next();
      const int32_t n = ReadOrderCount(words.Next());
      const int index = FindRecord(who);
      const int fleet = index < 0 ? FindFleet(who) : -1;
      if (index < 0 && fleet < 0) return refuse(Unknown("group or fleet", who));
      TPlanet* to = FindPlanet(planetWord);
      if (!to) return refuse(Unknown("planet", planetWord));
      if (fleet >= 0) {
        const TFleet& f = fleets_[static_cast<size_t>(fleet)];
        if (f.Moving) return refuse(Fmt("fleet %s is in hyperspace.", f.Name));
        bool hasShips = false, canMove = true;
        for (const TSendedGroup& r : records_) {
          if (r.Ships <= 0 || !SameText(r.Fleet, f.Name)) continue;
          hasShips = true;
          canMove = canMove && OwnSpeed(r) > 0;
        }
        if (!hasShips) return refuse(Fmt("fleet %s has no ships.", f.Name));
        if (!canMove) return refuse(Fmt("fleet %s cannot move.", f.Name));
        return SendFleet(line, fleet, to);
      }
      if (scrapped(index) || inHyperspace(index)) return;
      TSendedGroup& whole = records_[static_cast<size_t>(index)];
      if (!(whole.Group->ShipType && whole.Group->ShipType->Drive > 0 && OwnSpeed(whole) > 0)) {
        return refuse(Fmt("group %d cannot move.", whole.Number));
      }
      const int sent = part(index, n);
      TSendedGroup& record = records_[static_cast<size_t>(sent)];
      // A group sent on its own leaves its fleet.
      record.Fleet.clear();
      record.FleetSpeed = 0;
      SetDestination(record, to, line);
      moving_[static_cast<size_t>(sent)] = record.Source != to;
      return;
    }
    case TOrderKind::Load: {
      const std::string_view who = words.Next();
      const std::string_view cargoWord = words.Next();
      const int32_t n = ReadOrderCount(words.Next());
      int index = -1;
      if (!recordOf(who, index)) return;
      const int32_t cargo = ReadCargoWord(cargoWord);
      if (cargo == pcNone) return refuse(Unknown("cargo", cargoWord));
      if (inHyperspace(index)) return;
      TSendedGroup& whole = records_[static_cast<size_t>(index)];
      const float capacity = whole.Group->CargoCapacity();
      if (!(capacity > 0)) return refuse(Fmt("group %d has no cargo space.", whole.Number));
      if (whole.Load > 0 && whole.CargoType != pcNone && whole.CargoType != cargo) {
        return refuse(Fmt("group %d carries other cargo.", whole.Number));
      }
      TPlanet* planet = whole.Source;
      if (!planet || !(Stock(*planet, cargo) > 0)) {
        return refuse(
            Fmt("no %s left on %s.", CargoText(cargo, "MAT"), planet ? planet->Name : "?"));
      }
      const int loaded = part(index, n);
      TSendedGroup& record = records_[static_cast<size_t>(loaded)];
      float& stock = Stock(*planet, cargo);
      const double room = (double{capacity} - record.Load) * record.Ships;
      const double take = std::clamp<double>(room, 0.0, stock);
      if (record.Ships > 0) record.Load += static_cast<float>(take / record.Ships);
      record.CargoType = cargo;
      stock = static_cast<float>(stock - take);
      TPlanetOrders& orders = Planet(*planet);
      (cargo == pcCol   ? orders.LoadedColonists
       : cargo == pcCap ? orders.LoadedCapital
                        : orders.LoadedMaterial) += static_cast<float>(take);
      return;
    }
    case TOrderKind::Break: {
      const std::string_view who = words.Next();
      const int32_t n = ReadOrderCount(words.Next());
      int index = -1;
      if (!recordOf(who, index)) return;
      if (n <= 0) return refuse("the number of ships is missing.");
      const int32_t ships = records_[static_cast<size_t>(index)].Ships;
      if (n > ships) {
        return Note(line, text,
                    Fmt("Can't break group %d!", records_[static_cast<size_t>(index)].Number),
                    false);
      }
      // A break always makes a new group, even of all the ships; the new group is in no
      // fleet.
      if (n == ships) {
        Renumber(index);
      } else {
        index = SplitSendedGroup(index, n);
      }
      TSendedGroup& record = records_[static_cast<size_t>(index)];
      record.Fleet.clear();
      record.FleetSpeed = 0;
      if (record.Destination && record.Distance > 0)
        record.Turns = TurnsToArrive(record.Distance, SendedGroupSpeed(record));
      return;
    }
    case TOrderKind::Unload: {
      const std::string_view who = words.Next();
      const int32_t n = ReadOrderCount(words.Next());
      int index = -1;
      if (!recordOf(who, index) || inHyperspace(index)) return;
      const int unloaded = part(index, n);
      TSendedGroup& record = records_[static_cast<size_t>(unloaded)];
      if (record.Source && record.Load > 0 && record.CargoType != pcNone) {
        Stock(*record.Source, record.CargoType) += record.Load * static_cast<float>(record.Ships);
      }
      record.Load = 0;
      record.CargoType = pcNone;
      return;
    }
    case TOrderKind::Upgrade: {
      const std::string_view who = words.Next();
      const int32_t n = ReadOrderCount(words.Next());
      int index = -1;
      if (!recordOf(who, index) || inHyperspace(index)) return;
      TSendedGroup& whole = records_[static_cast<size_t>(index)];
      if (!owned(whole.Source)) {
        return refuse(Fmt("group %d is not at one of our planets.", whole.Number));
      }
      TPlanetOrders& orders = Planet(*whole.Source);
      const int32_t ships = n > 0 && n < whole.Ships ? n : whole.Ships;
      const double cost = double{whole.Group->UpgradeCost()} * ships;
      if (cost > 0 && !(orders.Industry > 0)) {
        return refuse(Fmt("planet %s has no industry left.", whole.Source->Name));
      }
      const int upgraded = part(index, n);
      records_[static_cast<size_t>(upgraded)].Upgraded = true;
      // What the industry does not cover is not upgraded; the industry is used up.
      const float spent = static_cast<float>(std::min<double>(cost, orders.Industry));
      orders.Industry -= spent;
      orders.UpgradeSpent += spent;
      return;
    }
    case TOrderKind::Join: {
      const std::string_view who = words.Next();
      const std::string_view fleetWord = words.Next();
      int index = -1;
      if (!recordOf(who, index)) return;
      if (fleetWord.empty()) return refuse("the fleet is missing.");
      if (inHyperspace(index)) return;
      const int fleetIndex = AddFleet(fleetWord);  // joining makes a fleet that is not there
      TFleet& fleet = fleets_[static_cast<size_t>(fleetIndex)];
      TSendedGroup& record = records_[static_cast<size_t>(index)];
      if (fleet.Moving) return refuse(Fmt("fleet %s is in hyperspace.", fleet.Name));
      const bool empty = std::none_of(records_.begin(), records_.end(), [&](const auto& r) {
        return r.Ships > 0 && &r != &record && SameText(r.Fleet, fleet.Name);
      });
      if (!empty && fleet.Planet != record.Source) {
        return refuse(Fmt("group %d is at %s, fleet %s at %s.", record.Number,
                          record.Source ? record.Source->Name : "?", fleet.Name,
                          fleet.Planet ? fleet.Planet->Name : "?"));
      }
      record.Fleet = fleet.Name;
      fleet.Planet = record.Source;
      return;
    }
    case TOrderKind::Scrap: {
      const std::string_view who = words.Next();
      const int32_t n = ReadOrderCount(words.Next());
      int index = -1;
      if (!recordOf(who, index) || inHyperspace(index)) return;
      TSendedGroup& record = records_[static_cast<size_t>(index)];
      const int32_t ships = n > 0 && n < record.Ships ? n : record.Ships;
      record.Ships -= ships;
      record.Scrapped += ships;
      // On an own planet the ships' material, and their cargo, go to its stocks.
      if (owned(record.Source)) {
        const float mass = record.Group->ShipType ? record.Group->ShipType->Mass() : 0;
        Planet(*record.Source).Material += mass * static_cast<float>(ships);
        if (record.Load > 0 && record.CargoType != pcNone) {
          Stock(*record.Source, record.CargoType) += record.Load * static_cast<float>(ships);
        }
      }
      return;
    }
    case TOrderKind::Design: {
      const std::string_view name = words.Next();
      if (SameText(name, "fleet")) {
        const std::string_view fleet = words.Next();
        if (fleet.empty()) return refuse("the fleet's name is missing.");
        AddFleet(fleet);
        return;
      }
      // A design: name, drive, attacks, weapons, shields and cargo.
      int figures = 0;
      while (!words.Next().empty()) ++figures;
      if (name.empty() || figures < 5) {
        return refuse("a design needs drive, attacks, weapons, shields and cargo.");
      }
      designs_.insert(LowerCase(name));
      return;
    }
    case TOrderKind::Other:
      return;
  }
}

void TOrderAnalysis::ParseOrders(const IOrderLines& lines,
                                 const std::vector<TPlannedTransport>& plan) {
  records_.clear();
  moving_.clear();
  notes_.clear();
  lineNotes_.clear();
  refusedLines_.clear();
  fleets_.clear();
  planets_.clear();
  designs_.clear();
  byNumber_.clear();
  byNameBuilt_ = false;
  maxNumber_ = 0;
  const TPlayer* own = state_.MainPlayer;
  if (!own) {
    NoteLinesAfterEnd(lines);
    return;
  }

  records_.reserve(own->Groups.size() * 2);
  moving_.reserve(own->Groups.size() * 2);
  for (const auto& owned : own->Groups) {
    TGroup& group = *owned;
    TSendedGroup record;
    record.Group = &group;
    record.Base = true;
    record.Ships = group.Ships;
    record.Load = group.Load;
    record.CargoType = group.CargoType;
    record.Number = group.GroupNumber;
    const bool inFlight = group.Distance > 0;
    if (!group.FleetName.empty()) {
      const int fleet = AddFleet(group.FleetName);
      record.Fleet = fleets_[static_cast<size_t>(fleet)].Name;
      record.FleetSpeed = group.FleetSpeed;
      fleets_[static_cast<size_t>(fleet)].Planet = group.Planet;
      fleets_[static_cast<size_t>(fleet)].Moving |= inFlight;
    }
    if (inFlight && group.Origin) {
      record.Source = group.Origin;
      record.Destination = group.Planet;
      record.Distance = group.Distance;
      record.Turns = TurnsToArrive(record.Distance, SendedGroupSpeed(record));
    } else {
      record.Source = group.Planet;
    }
    records_.push_back(record);
    moving_.push_back(inFlight);
    const int index = static_cast<int>(records_.size()) - 1;
    if (group.GroupNumber > 0) byNumber_.emplace(group.GroupNumber, index);
    maxNumber_ = std::max(maxNumber_, group.GroupNumber);
  }

  // Message blocks are text for other races, never orders.
  ForEachOrderLine(lines, [this](int i, std::string_view line) { ApplyLine(i, line); });
  SetFleetSpeeds();
  ApplyPlan(plan);
  NoteLinesAfterEnd(lines);
}

void TOrderAnalysis::NoteLinesAfterEnd(const IOrderLines& lines) {
  const int end = IndexOfEndLine(lines);
  if (end < 0) return;
  // Each line that would say something to the server is named; blank lines and comments
  // after the end are harmless.
  for (int i = end + 1; i < lines.Count(); ++i) {
    const std::string line = lines.Line(i);
    const std::string_view text = TrimView(line);
    if (text.empty() || text.front() == ';') continue;
    Note(
        i, OrderPart(line).empty() ? text : OrderPart(line),
        Fmt("the server reads nothing after \"#END\" in line %d: move the line above it.", end + 1),
        true, TNoteKind::AfterEnd);
  }
}

std::vector<TOrderNote> OrderHeaderNotes(const IOrderLines& lines, const GameState& state) {
  std::vector<TOrderNote> notes;
  const auto note = [&](int line, std::string text) {
    notes.push_back({line, true, std::move(text), TNoteKind::Header});
  };
  // The first line that says anything to the server, and the first "#GALAXY" line.
  int first = -1;
  int header = -1;
  for (int i = 0; i < lines.Count() && header < 0; ++i) {
    const std::string line = lines.Line(i);
    const std::string_view text = TrimView(line);
    if (text.empty() || text.front() == ';') continue;
    if (first < 0) first = i;
    if (SameText(OrderWord(text, 0), "#GALAXY")) header = i;
  }
  if (header < 0) {
    note(lines.Count() > 0 ? 0 : -1,
         "ERROR: the orders have no \"#GALAXY\" line, the first order line that names the "
         "game, the race and its password to the server. First Turn > Setup orders writes it.");
    return notes;
  }
  if (first != header) {
    note(first, Fmt("Line %d: ERROR: the first order line must be the \"#GALAXY\" line (now line "
                    "%d); the server reads nothing above it. First Turn > Setup orders writes it "
                    "at the top.",
                    first + 1, header + 1));
  }
  const TPlayer* own = state.MainPlayer;
  if (!own || own->Name.empty()) return notes;
  const std::string line = lines.Line(header);
  const std::string_view race = OrderWord(OrderPart(line), 2);
  if (SameText(race, own->Name)) return notes;
  const std::string turn = state.LastTurn >= 0 ? Fmt(" (turn %d)", state.LastTurn) : "";
  if (race.empty()) {
    note(header, Fmt("Line %d: ERROR: the \"#GALAXY\" line names no race; the last report%s "
                     "names your race %s.",
                     header + 1, turn, own->Name));
    return notes;
  }
  bool earlierName = false;
  for (std::string_view alias : OrderWords(own->Alias)) earlierName |= SameText(alias, race);
  note(header,
       earlierName
           ? Fmt("Line %d: ERROR: the \"#GALAXY\" line names your race %s, its earlier name; "
                 "the last report%s names it %s, the name the server knows it by now.",
                 header + 1, race, turn, own->Name)
           : Fmt("Line %d: ERROR: the \"#GALAXY\" line names the race %s, but the last "
                 "report%s names your race %s.",
                 header + 1, race, turn, own->Name));
  return notes;
}

void TOrderAnalysis::ApplyPlan(const std::vector<TPlannedTransport>& plan) {
  for (const TPlannedTransport& transport : plan) {
    if (!transport.Group || !transport.Destination) continue;
    int index = -1;
    if (transport.Number > 0) {
      const auto found = byNumber_.find(transport.Number);
      if (found != byNumber_.end() &&
          records_[static_cast<size_t>(found->second)].Group == transport.Group) {
        index = found->second;
      }
    }
    if (index < 0) {
      const auto first = std::find_if(records_.begin(), records_.end(), [&](const TSendedGroup& r) {
        return r.Group == transport.Group;
      });
      if (first == records_.end()) continue;
      index = static_cast<int>(first - records_.begin());
    }
    if (transport.State == 3) {
      if (transport.Ships > 0 && records_[static_cast<size_t>(index)].Ships > transport.Ships) {
        const int loaded = SplitSendedGroup(index, transport.Ships);
        // The server's route keeps the number with the loaded ships; the ships left behind
        // become the new group.
        TSendedGroup& rest = records_[static_cast<size_t>(index)];
        TSendedGroup& sent = records_[static_cast<size_t>(loaded)];
        std::swap(rest.Number, sent.Number);
        byNumber_[rest.Number] = index;
        byNumber_[sent.Number] = loaded;
        index = loaded;
      }
      TSendedGroup& record = records_[static_cast<size_t>(index)];
      record.Destination = transport.Destination;
      record.Source = transport.Group->Planet;
      record.Load = transport.Load;
      record.CargoType = transport.CargoType;
      record.Distance =
          record.Source ? OrderDistance(state_, *record.Source, *record.Destination) : 0;
      record.Turns = TurnsToArrive(record.Distance, SendedGroupSpeed(record));
    } else if (transport.State == 2) {
      for (size_t k = static_cast<size_t>(index); k < records_.size(); ++k) {
        TSendedGroup& record = records_[k];
        if (record.Group != transport.Group || record.Destination != transport.Destination)
          continue;
        record.Load = transport.Load;
        record.CargoType = transport.CargoType;
        record.Turns = TurnsToArrive(transport.Distance, SendedGroupSpeed(record));
        break;
      }
    }
  }
}

void TOrderAnalysis::ComputeIncomingShipMass() const {
  for (auto [key, planet] : state_.Planets) {
    if (!planet) continue;
    planet->SentMass = 0;
    planet->SentMassEta2 = 0;
    planet->SentMassEta3Plus = 0;
    planet->NextTurnMass = 0;
  }
  // Ships that stay, per group: the group's ships less those sent, upgraded or scrapped.
  std::unordered_map<const TGroup*, int64_t> left;
  for (const TSendedGroup& record : records_) {
    auto [it, added] = left.try_emplace(record.Group, record.Group->Ships);
    if (record.Destination || record.Upgraded) it->second -= record.Ships;
    it->second -= record.Scrapped;
  }
  std::unordered_set<const TGroup*> counted;
  for (const TSendedGroup& record : records_) {
    const double mass = ShipMass(record.Group);
    if (TPlanet* to = record.Destination) {
      const float sent = static_cast<float>(mass * record.Ships);
      if (record.Turns == 1) {
        to->SentMass += sent;
      } else if (record.Turns == 2) {
        to->SentMassEta2 += sent;
      } else {
        to->SentMassEta3Plus += sent;
      }
    }
    // A group split into several staying parts counts once.
    if (record.Source && record.Turns == 0 && counted.insert(record.Group).second) {
      record.Source->NextTurnMass +=
          static_cast<float>(mass * std::max<int64_t>(left[record.Group], 0));
    }
  }
  for (auto [key, planet] : state_.Planets) {
    if (planet) planet->NextTurnMass += planet->SentMass;
  }
}

std::vector<TSentShipRow> TOrderAnalysis::SentShipRows() const {
  std::vector<TSentShipRow> rows;
  for (size_t i = 0; i < records_.size(); ++i) {
    const TSendedGroup& record = records_[i];
    if (!record.Destination || record.Group->CargoCapacity() > 0) continue;
    // Without cargo space the speed is the empty one, or the fleet's the orders leave it in.
    const double speed = SendedGroupSpeed(record);
    TSentShipRow row;
    row.Record = static_cast<int>(i);
    row.Caption = std::to_string(record.Group->GroupNumber);
    row.Ships = std::to_string(record.Ships);
    row.From = record.Source ? record.Source->Name : "?";
    row.To = record.Destination->Name;
    row.Dist = Fixed(record.Distance);
    row.Speed = Fixed(speed);
    row.Rest = Fixed(std::max(0.0, record.Distance - speed));
    row.Image = speed > 0 ? TruncToInt(record.Distance / speed) : -1;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<TToDevelopRow> TOrderAnalysis::ToDevelopRows() const {
  std::vector<TToDevelopRow> rows;
  const TPlayer* own = state_.MainPlayer;
  if (!own) return rows;
  for (auto [key, planet] : state_.Planets) {
    if (!planet || !planet->Owner.Is(own)) continue;
    if (!(planet->Population < planet->Size) && !(planet->Industry < planet->Size)) continue;
    rows.push_back({planet, planet->Name, Fixed(planet->Size), Fixed(planet->Population),
                    Fixed(planet->Industry), Fixed(planet->ShipMassAtFullSize())});
  }
  return rows;
}

TPlanet* TOrderAnalysis::PlanetOfLine(std::string_view line) const {
  TParsedOrder order;
  ParseOrderLine(line, order);
  if (order.Planet) return order.Planet;
  if (order.Record >= 0) return records_[static_cast<size_t>(order.Record)].Group->Planet;
  return nullptr;
}

TGroup* TOrderAnalysis::GroupOfLine(std::string_view line) const {
  TParsedOrder order;
  ParseOrderLine(line, order);
  return order.Record >= 0 ? records_[static_cast<size_t>(order.Record)].Group : nullptr;
}

TPlanet* TOrderAnalysis::PlanetOfCaretLine(std::string_view line) const {
  std::string_view text = TrimView(line);
  if (!text.empty() && text.front() == ';') text.remove_prefix(1);
  return PlanetOfLine(text);
}

}  // namespace tovix

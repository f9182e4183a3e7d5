#include "orders/order_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/arrival.h"
#include "core/numbers.h"
#include "core/str_utils.h"

namespace tovix {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The words of an order line, one at a time.
class TWords {
 public:
  explicit TWords(std::string_view text) : text_(text) {}
  // The next word, or "" at the end.
  std::string_view Next() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    const size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// The line without its comment (from the first ";") and without surrounding blanks.
std::string_view OrderPart(std::string_view line) {
  const size_t comment = line.find(';');
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  return TrimView(line);
}

// A ship count or number: decimal digits only. Anything else counts as absent (0).
int32_t ReadNumber(std::string_view word) {
  if (word.empty() || word.size() > 9) return 0;
  for (char c : word) {
    if (c < '0' || c > '9') return 0;
  }
  return FirstIntInStr(word);
}

int32_t ReadCargo(std::string_view word) {
  if (SameText(word, "mat")) return pcMat;
  if (SameText(word, "cap")) return pcCap;
  if (SameText(word, "col")) return pcCol;
  return pcNone;
}

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
    default:
      return TOrderKind::Other;
  }
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
  const int32_t number = ReadNumber(word);
  if (number <= 0) return -1;
  const auto found = byNumber_.find(number);
  return found == byNumber_.end() ? -1 : found->second;
}

bool TOrderAnalysis::ParseOrderLine(std::string_view line, TParsedOrder& order) const {
  order = TParsedOrder{};
  const std::string_view text = OrderPart(line);
  if (text.empty()) return false;
  TWords words(text);
  const std::string_view command = words.Next();
  order.Kind = KindOf(command.front());
  switch (order.Kind) {
    case TOrderKind::Production:
      order.Planet = FindPlanet(words.Next());
      order.Cargo = ReadCargo(words.Next());
      return order.Planet != nullptr;
    case TOrderKind::Send:
    case TOrderKind::Intercept:
      order.Record = FindRecord(words.Next());
      order.Planet = FindPlanet(words.Next());
      order.Number = ReadNumber(words.Next());
      return order.Record >= 0 && order.Planet;
    case TOrderKind::Load:
      order.Record = FindRecord(words.Next());
      order.Cargo = ReadCargo(words.Next());
      order.Number = ReadNumber(words.Next());
      return order.Record >= 0 && order.Cargo != pcNone;
    case TOrderKind::Break: {
      order.Record = FindRecord(words.Next());
      const std::string_view count = words.Next();
      order.Number = ReadNumber(count);
      return order.Record >= 0 && !count.empty();
    }
    case TOrderKind::Route:
      order.Planet = FindPlanet(words.Next());
      order.Cargo = ReadCargo(words.Next());
      return order.Planet && order.Cargo != pcNone;
    case TOrderKind::Unload:
    case TOrderKind::Upgrade:
      order.Record = FindRecord(words.Next());
      order.Number = ReadNumber(words.Next());
      return order.Record >= 0;
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
  }
  part.Ships = ships;
  part.Number = ++maxNumber_;
  records_[static_cast<size_t>(index)].Ships -= ships;
  records_.push_back(part);
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
    if (record.Group == &group && (record.Destination || record.Upgraded)) left -= record.Ships;
  }
  return static_cast<int32_t>(std::max<int64_t>(left, 0));
}

double TOrderAnalysis::SendedGroupSpeed(const TSendedGroup& record) {
  const TGroup* group = record.Group;
  if (!group || !group->ShipType) return 0;
  double mass = group->ShipType->Mass();
  if (!(mass > 0)) return 0;
  if (group->CargoCapacity() > 0 && group->CargoTech > 0) mass += record.Load / group->CargoTech;
  return 20.0 * group->ShipType->Drive * group->DriveTech / mass;
}

void TOrderAnalysis::SetDestination(TSendedGroup& record, TPlanet* destination, int line) {
  record.Destination = destination;
  record.Distance = record.Source ? OrderDistance(state_, *record.Source, *destination) : 0;
  record.Turns = TurnsToArrive(record.Distance, SendedGroupSpeed(record));
  record.SentByLine = line;
}

void TOrderAnalysis::ParseOrders(const IOrderLines& lines,
                                 const std::vector<TPlannedTransport>& plan) {
  records_.clear();
  notes_.clear();
  byNumber_.clear();
  byNameBuilt_ = false;
  maxNumber_ = 0;
  const TPlayer* own = state_.MainPlayer;
  if (!own || own->Groups.empty()) return;

  records_.reserve(own->Groups.size() * 2);
  for (const auto& owned : own->Groups) {
    TGroup& group = *owned;
    TSendedGroup record;
    record.Group = &group;
    record.Base = true;
    record.Ships = group.Ships;
    record.Load = group.Load;
    record.CargoType = group.CargoType;
    record.Number = group.GroupNumber;
    if (group.Distance > 0 && group.Origin) {
      record.Source = group.Origin;
      record.Destination = group.Planet;
      record.Distance = group.Distance;
      record.Turns = TurnsToArrive(record.Distance, SendedGroupSpeed(record));
    } else {
      record.Source = group.Planet;
    }
    records_.push_back(record);
    const int index = static_cast<int>(records_.size()) - 1;
    if (group.GroupNumber > 0) byNumber_.emplace(group.GroupNumber, index);
    maxNumber_ = std::max(maxNumber_, group.GroupNumber);
  }

  bool inMessage = false;
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = lines.Line(i);
    // Message blocks are text for other races, never orders.
    if (IsMessageMarker(line)) {
      inMessage = !inMessage;
      continue;
    }
    if (inMessage) continue;
    TParsedOrder order;
    if (!ParseOrderLine(line, order) || order.Record < 0) continue;
    const int n = order.Number;
    const TGroup& group = *records_[static_cast<size_t>(order.Record)].Group;
    const int32_t number = records_[static_cast<size_t>(order.Record)].Number;
    // The server refuses to send, load or upgrade a group in hyperspace.
    const bool moving = order.Kind == TOrderKind::Send || order.Kind == TOrderKind::Intercept ||
                        order.Kind == TOrderKind::Load || order.Kind == TOrderKind::Upgrade;
    if (moving && group.Distance > 0) {
      notes_.push_back(Fmt("Line %d: group %d is in flight; the order is skipped.", i + 1, number));
      continue;
    }
    switch (order.Kind) {
      case TOrderKind::Send:
      case TOrderKind::Intercept: {
        if (group.Speed() == 0) {
          notes_.push_back(
              Fmt("Line %d: group %d cannot move; the order is skipped.", i + 1, number));
          break;
        }
        int index = order.Record;
        if (n > 0 && records_[static_cast<size_t>(index)].Ships > n) {
          index = SplitSendedGroup(index, n);
        }
        SetDestination(records_[static_cast<size_t>(index)], order.Planet, i);
        break;
      }
      case TOrderKind::Load:
        if (n >= 1 && records_[static_cast<size_t>(order.Record)].Ships > n) {
          SplitSendedGroup(order.Record, n);
        }
        break;
      case TOrderKind::Break: {
        // A break always makes a new group, even of all the ships.
        const int32_t ships = records_[static_cast<size_t>(order.Record)].Ships;
        if (n >= 1 && ships > n) {
          SplitSendedGroup(order.Record, n);
        } else if (n >= 1 && ships == n) {
          Renumber(order.Record);
        }
        break;
      }
      case TOrderKind::Unload: {
        TSendedGroup& record = records_[static_cast<size_t>(order.Record)];
        if (!(record.Group->Distance > 0)) {
          record.Load = 0;
          record.CargoType = pcNone;
        }
        break;
      }
      case TOrderKind::Upgrade: {
        int index = order.Record;
        if (n > 0 && records_[static_cast<size_t>(index)].Ships > n) {
          index = SplitSendedGroup(index, n);
        }
        records_[static_cast<size_t>(index)].Upgraded = true;
        break;
      }
      default:
        break;
    }
  }
  ApplyPlan(plan);
}

void TOrderAnalysis::ApplyPlan(const std::vector<TPlannedTransport>& plan) {
  for (const TPlannedTransport& transport : plan) {
    if (!transport.Group || !transport.Destination) continue;
    const auto first = std::find_if(records_.begin(), records_.end(), [&](const TSendedGroup& r) {
      return r.Group == transport.Group;
    });
    if (first == records_.end()) continue;
    int index = static_cast<int>(first - records_.begin());
    if (transport.State == 3) {
      if (transport.Ships > 0 && records_[static_cast<size_t>(index)].Ships > transport.Ships) {
        index = SplitSendedGroup(index, transport.Ships);
      }
      TSendedGroup& record = records_[static_cast<size_t>(index)];
      record.Destination = transport.Destination;
      record.Source = transport.Group->Planet;
      record.Load = transport.Load;
      record.CargoType = transport.CargoType;
      record.Distance =
          record.Source
              ? std::round(OrderDistance(state_, *record.Source, *record.Destination) * 100) / 100
              : 0;
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
  // Ships that stay, per group: the group's ships less those sent or upgraded.
  std::unordered_map<const TGroup*, int64_t> left;
  for (const TSendedGroup& record : records_) {
    auto [it, added] = left.try_emplace(record.Group, record.Group->Ships);
    if (record.Destination || record.Upgraded) it->second -= record.Ships;
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
    const double speed = record.Group->Speed();
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

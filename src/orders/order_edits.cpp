#include "orders/order_edits.h"

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "orders/order_words.h"

namespace tovix {

std::vector<std::string> CollectRenamedPlanetNames(const IOrderLines& lines) {
  std::vector<std::string> names;
  ForEachOrderLine(lines, [&](int, std::string_view line) {
    if (line.empty() || (line[0] != 'N' && line[0] != 'n')) return;
    const std::string_view name = OrderWord(line, 2);
    if (!name.empty()) names.emplace_back(name);
  });
  return names;
}

std::string ReplaceProductionLines(std::string_view text, const TOrderAnalysis& analysis,
                                   const TProductionReplacement& replace) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    const std::string_view line = text.substr(start, end - start);
    TParsedOrder order;
    std::string replacement;
    if (analysis.ParseOrderLine(line, order) && order.Kind == TOrderKind::Production &&
        order.Planet) {
      replacement = replace(*order.Planet);
    }
    out += replacement.empty() ? std::string(line) : replacement;
    out += text.substr(end, next - end);
    start = next;
  }
  return out;
}

std::string DevelopTagsForUndeveloped(const std::vector<TToDevelopRow>& toDevelop,
                                      const std::vector<TDevelopingRow>& developing) {
  std::set<const TPlanet*> tagged;
  for (const TDevelopingRow& row : developing) tagged.insert(row.Planet);
  std::string text;
  for (const TToDevelopRow& row : toDevelop) {
    if (!row.Planet || tagged.count(row.Planet)) continue;
    tagged.insert(row.Planet);
    if (!text.empty()) text += kOrderLineBreak;
    text += DevelopTag(row.Planet->Name);
  }
  return text;
}

std::set<std::string> DesignsInOrders(const IOrderLines& lines, int end) {
  std::set<std::string> designs;
  ForEachOrderLine(lines, [&](int i, std::string_view line) {
    if (i >= end) return;
    // The order without its comment, as the analysis reads it: the first letter names it.
    const std::string_view order = OrderPart(line);
    if (order.empty() || (order[0] != 'D' && order[0] != 'd')) return;
    const std::string_view name = OrderWord(order, 1);
    if (!name.empty() && !SameText(name, "fleet")) designs.insert(LowerCase(name));
  });
  return designs;
}

std::set<std::string> DesignsAboveSection(const IOrderLines& lines, TOrderSection section) {
  std::vector<std::string> copy;
  copy.reserve(static_cast<size_t>(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i) copy.push_back(lines.Line(i));
  // The markers a missing section gets are no designs: where the lines would go is enough.
  TVectorOrderLines place(std::move(copy));
  return DesignsInOrders(place, FindOrCreateSection(place, section));
}

TStandardShipProduction::TStandardShipProduction(const GameState& state, TStandardShipSource source,
                                                 int turns, std::set<std::string> designed)
    : state_(state), source_(std::move(source)), turns_(turns), designed_(std::move(designed)) {}

std::string TStandardShipProduction::ForPlanet(const TPlanet& planet) {
  const TPlayer* own = state_.MainPlayer;
  if (!own || !planet.Owner.Is(own)) return {};
  const double mass = planet.ShipMassPerTurn(state_.DevelopmentPlan());
  if (!(mass >= kStandardShipMinMass)) return {};
  const std::optional<TStdShip> ship = source_ ? source_(mass) : std::nullopt;
  if (!ship || ship->Name.empty()) return {};
  // A design goes out once, and never for a type the race or the orders above already have.
  const bool known =
      own->FindShipType(ship->Name) || !designed_.insert(LowerCase(ship->Name)).second;
  return TimedProductionCommands(known ? std::string_view() : std::string_view(ship->Line),
                                 ship->Name, planet.Name, turns_);
}

}  // namespace tovix

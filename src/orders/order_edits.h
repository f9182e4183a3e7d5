#pragma once
// Edits of the order text that the orders window's menus make: the planet names the rename
// orders give, production orders of a selected stretch replaced, the development tags of the
// planets that still grow, and standard ships built on the own planets.

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "orders/development_plan.h"
#include "orders/order_analysis.h"
#include "orders/order_lines.h"
#include "orders/order_text.h"
#include "orders/standard_ship.h"

namespace tovix {

// The new names of the rename orders: the third word (words split at blanks and tabs) of every
// order line (ForEachOrderLine) that begins with "N" or "n", in text order. A line with fewer
// words gives none.
std::vector<std::string> CollectRenamedPlanetNames(const IOrderLines& lines);

// What a production order of `planet` becomes; an empty text keeps the line as it is.
using TProductionReplacement = std::function<std::string(const TPlanet& planet)>;

// `text` (lines ended by CR LF, CR or LF, the last one possibly without an end) with every
// production order that names a planet ("P planet ...", as the analysis reads it) replaced by
// `replace(planet)`; every other line and every line end stays byte for byte. The replacement
// may hold several lines joined by CR LF.
std::string ReplaceProductionLines(std::string_view text, const TOrderAnalysis& analysis,
                                   const TProductionReplacement& replace);

// ";P planet" for every "To Develop" row whose planet is not on the Developing list yet, joined
// by CR LF; empty when there is none.
std::string DevelopTagsForUndeveloped(const std::vector<TToDevelopRow>& toDevelop,
                                      const std::vector<TDevelopingRow>& developing);

// --- Standard ships on the own planets ------------------------------------------------------

// A planet that builds less ship mass per turn than this gets no standard ship.
inline constexpr double kStandardShipMinMass = 2.0;

// The standard ship the designer generates for a ship mass per turn (its productivity, with
// its turns); nullopt when it generates none.
using TStandardShipSource = std::function<std::optional<TStdShip>(double massPerTurn)>;

// The lower-cased names of the designs that the design orders ("D name ...", not "D FLEET")
// of lines [0, end) declare; lines of message blocks and lines after "#END" are no orders.
std::set<std::string> DesignsInOrders(const IOrderLines& lines, int end);
// The same for the lines above the place where text handed to `section` goes (a section that
// does not exist yet counts from where it would be made). `lines` stay as they are.
std::set<std::string> DesignsAboveSection(const IOrderLines& lines, TOrderSection section);

// The timed production of standard ships, planet by planet, for one hand-over to the order
// text: the design's line first (once per design, and only when neither the own race nor the
// orders above have that type), then "P planet type ; t<turns>".
class TStandardShipProduction {
 public:
  // `designed`: the designs the orders above the place already declare (DesignsInOrders).
  TStandardShipProduction(const GameState& state, TStandardShipSource source, int turns,
                          std::set<std::string> designed);
  // The lines for `planet` (joined by CR LF); empty for a planet that is not the own race's,
  // builds less than kStandardShipMinMass per turn, or gets no design.
  std::string ForPlanet(const TPlanet& planet);

 private:
  const GameState& state_;
  TStandardShipSource source_;
  int turns_;
  std::set<std::string> designed_;
};

}  // namespace tovix

#pragma once
// Edits of the order text that the orders window's menus make: the planet names the rename
// orders give, production orders of a selected stretch replaced, and the development tags of
// the planets that still grow.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orders/development_plan.h"
#include "orders/order_analysis.h"
#include "orders/order_lines.h"

namespace tovix {

// The new names of the rename orders: the third word (words split at blanks and tabs) of every
// line that begins with "N" or "n", in text order. A line with fewer words gives none.
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

}  // namespace tovix

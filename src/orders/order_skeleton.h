#pragma once
// The frame of a new order text: the header line the game server expects, an optional change of
// the race's name, the Group and Find insertion sections and the end line.

#include <optional>
#include <string>
#include <string_view>

#include "core/model/game_state.h"
#include "orders/order_lines.h"

namespace tovix {

// The line of a turn-0 report that announces the orders' first line; the line after it holds it.
inline constexpr std::string_view kFirstLineAnnouncement =
    "First line of your orders should now be:";

// The password of a turn-0 report: the fourth blank-separated word of the line after the
// announcement (matched ignoring case). Empty when the report has no such line or word.
std::string OrdersPasswordFromReport(std::string_view report);

// "#GALAXY <game> <race> <password>"; a part that is empty is left out with its blank, so a line
// without a password ends after the race. The game name goes as the reports write it: the
// server's game names are case-sensitive.
std::string OrderHeaderLine(std::string_view game, std::string_view race,
                            std::string_view password);

struct TOrderHeader {
  std::string Line;
  bool HasPassword = false;
};
// The header for the user's race at the last turn read. In "Galaxy NG" games the password comes
// from the turn-0 report of the first report letter, when that report can be read.
TOrderHeader DefaultOrderHeader(const GameState& state);

// Replaces `lines` with the frame: `firstLine`; when `newRaceName` is given, an empty line and
// the order that renames the race; an empty line; the Group and Find section markers; "#END".
// Leading empty lines are dropped, so an empty first line starts the text at the Group marker.
void WriteOrderSkeleton(IOrderLines& lines, const std::string& firstLine,
                        const std::optional<std::string>& newRaceName);

}  // namespace tovix

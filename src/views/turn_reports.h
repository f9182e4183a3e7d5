#pragma once
// What the "Turn Reports" window shows: the game's report files, one part of a report (its
// personal or global messages, or the whole text), and the bytes Save writes back. Reports are
// 8-bit text; the window shows each byte as one character, so what it hands back maps to the
// same bytes.

#include <string>
#include <string_view>
#include <vector>

#include "core/settings/game_types.h"

namespace tovix {

// The part of a report the window shows; the values are the part combo's indexes.
enum class TReportPart { Personal = 0, Global = 1, Whole = 2 };

// The existing report files of the game: turns 0 to 800, each report letter, by turn, then by
// letter. An unusable pattern gives no files.
std::vector<std::string> TurnReportFiles(const std::string& pattern, const std::string& letters);

// The part a window shows first: "Whole Report" in "Galaxy Blind" games, else the personal
// messages.
TReportPart FirstReportPart(TGameType gameType);

// The report text with every line end (CR LF, LF or lone CR) as one LF, as the editor holds it.
std::string ReportTextForEditing(std::string_view bytes);

// The lines of `text` (LF line ends) in the chosen section, the section's own heading line
// included. A line containing "PERSONAL Messages" starts the personal section, "GLOBAL Messages"
// the global one; a line containing "ORDERS RECEIVED" or "Status of Players", or a section
// heading (a line that begins with two tabs, such as the option tables after the messages),
// ends it. "Whole" gives the text unchanged.
std::string ReportPartText(std::string_view text, TReportPart part);

// The bytes Save writes: `original` (the file as read) with its lines replaced by those of
// `edited` (LF line ends). The lines before the first and after the last changed line keep
// their own line ends; changed lines get the file's first line end (LF when it has none). The
// last line keeps whether the file ended with a line end, unless the edit added one; an old
// last line without one that the edit follows with more lines gets a line end. `shown` is the
// text as the editor showed it before the edit (an editor may show a byte differently, a
// no-break space as a blank): lines are compared with it when it has as many lines as the file.
std::string EditedReportBytes(std::string_view original, std::string_view edited,
                              std::string_view shown = {});

}  // namespace tovix

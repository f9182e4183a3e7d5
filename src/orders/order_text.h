#pragma once
// The conventions the program relies on inside the order text: the header and end lines, the
// five insertion sections between marker comments, message blocks, the turn marker and the turn
// counters of timed orders; and the operations on them: inserting generated lines, clearing a
// section, the find commands, deleting designs the reports already know, and counting down the
// timed orders.
//
// Every operation works on an IOrderLines in place. Lines are compared whole and untrimmed when
// markers are searched (ignoring case).

#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_lines.h"

namespace tovix {

inline constexpr std::string_view kGalaxyLine = "#GALAXY";
inline constexpr std::string_view kEndLine = "#END";
inline constexpr std::string_view kTurnMarker = ";TOVIX TURN";

enum class TOrderSection { Group, Planet, Other, Route, Find };

struct TSectionMarkers {
  std::string_view Start;
  std::string_view End;
};
TSectionMarkers SectionMarkers(TOrderSection section);

// Which sections generated lines go into; a section whose option is off hands its text to the
// clipboard instead. All on by default.
struct TAutoInsertOptions {
  bool Group = true;
  bool Planet = true;
  bool Other = true;
  bool Route = true;

  // The option of a section; the Find section has none and is always filled.
  bool IsOn(TOrderSection section) const;
  bool AnyOn() const { return Group || Planet || Other || Route; }
};

// Index of the first line equal to `text` ignoring case; -1 when none.
int IndexOfLine(const IOrderLines& lines, std::string_view text);

// Makes sure the section exists, with its end marker below its start marker, and returns the
// index where new lines go: the end marker's for Group, Planet, Other and Route, the line after
// the start marker for Find. A missing section is created above its anchor (Group and Planet:
// "#END"; Other: the Planet start marker, else "#END"; Route and Find: the Group start marker,
// else "#END", the end line the server stops at: IndexOfEndLine); a missing "#END" is appended
// first. End markers above the start marker are removed.
int FindOrCreateSection(IOrderLines& lines, TOrderSection section);

// Deletes the lines between the section's markers; the markers stay. Nothing when either
// marker is missing. Returns the number of lines deleted.
int ClearSection(IOrderLines& lines, TOrderSection section);

// The lines of a handed-over text: split at every line break (CR LF, LF or CR). Empty lines are
// dropped, except inside a message block, where they are the message's paragraph breaks; an
// empty line at the very end is dropped too.
std::vector<std::string> SplitOrderText(std::string_view text);

// Puts the lines of `text` directly above the section's end marker, after the lines inserted
// there before. With the section's option off the order text stays unchanged and the text,
// followed by CR LF, goes to `clipboard`. A text without lines does nothing at all. Returns the
// number of lines inserted into the order text.
int InsertCommands(IOrderLines& lines, ITextSink& clipboard, const TAutoInsertOptions& options,
                   TOrderSection section, std::string_view text);

// Empties the Find section (creating it when missing) and puts "F <race>" in it for every race
// other than the own one whose effective industry in the latest turn is above 0; each line goes
// on top, so they stand in reverse order of the race list. Nothing in "Galaxy Blind" and
// "Galaxy NG Blind" games, where races cannot be found. Returns the number of lines written.
int InsertFindCommands(IOrderLines& lines, const GameState& state);

// Deletes every design order ("D name ...", any case, outside message blocks) whose design the
// own race already has from a report. `isFromReport` tells designs the reports gave from those
// the planner made from design orders; without it every design of the race counts as reported.
// Returns the number of lines deleted.
int DeleteKnownShipTypes(IOrderLines& lines, const GameState& state,
                         bool (*isFromReport)(const TShipType&) = nullptr);

// The first line that begins with ";TOVIX TURN" (case as written); -1 when none.
int FindTurnMarker(const IOrderLines& lines);
// The first run of digits of the turn marker (0 when it has none); -1 without a marker.
int GetOrdersTurn(const IOrderLines& lines);
// Replaces the turn marker by ";TOVIX TURN <n>"; without one the marker is inserted directly
// below the "#GALAXY" line, or at the top when there is none.
void SetOrdersTurn(IOrderLines& lines, int turn);

// The line with its turn counter counted down: a counter is ";", an optional blank, "t", then
// digits or "&" (the run-out form "; t &"). A counter above 1 becomes "; t" and one less, 1 and
// 0 become "; t &"; the rest of the line is kept. A line without a counter, or whose counter
// has run out, comes back unchanged.
std::string DecrementTurnCounter(std::string_view line);
// DecrementTurnCounter on every line outside message blocks; returns the lines changed.
int DecrementTurnCounters(IOrderLines& lines);

}  // namespace tovix

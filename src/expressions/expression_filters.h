#pragma once
// Named expressions put to work on the game: the filters behind the expression-selection
// service, the expression filter (a set of planets from one group or planet expression), the
// calculations (a sum of one planet expression over planets chosen by another), and the Test
// commands of the expression windows.
//
// This header names the game's own types only, so that list windows (which have their own
// group-row type) can include it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expressions/named_expressions.h"

namespace tovix {

class GameState;
class TGroup;
class TPlanet;
class TOrderAnalysis;
struct TSendedGroup;

// A group as the filters take it: another race's group, or a record of the order analysis
// (then Group may be null and the record's group is used).
struct TGroupSubject {
  const TGroup* Group = nullptr;
  const TSendedGroup* Record = nullptr;
};

// How a list filter went: the items it tested and those whose test failed (they are kept), with
// the first of them named ("planet X", "group 5 of Race").
struct TListFilterReport {
  int Tested = 0;
  int Failed = 0;
  std::string FirstFailed;
  // Every item failed, so the filter chose nothing: the list stays as it was.
  bool FailedEverywhere() const { return Tested > 0 && Failed == Tested; }
};

// The indexes of `source` whose group expression is not false (a failing test keeps its item),
// in order; every index for an empty expression; inverted as a whole after an "INVERT(".
// `analysis` may be null (then [GR_AVAILABLE] fails). `report`, when given, receives the counts.
std::vector<size_t> FilterGroupSubjects(const GameState& state, const TOrderAnalysis* analysis,
                                        std::string_view expression,
                                        const std::vector<TGroupSubject>& source,
                                        TListFilterReport* report = nullptr);
// The same for planets.
std::vector<TPlanet*> FilterPlanetList(const GameState& state, const TOrderAnalysis* analysis,
                                       std::string_view expression,
                                       const std::vector<TPlanet*>& source,
                                       TListFilterReport* report = nullptr);

// The message for a filter whose expression failed on items: "Error in expression: <e>", then
// how many of how many `items` ("planets", "groups") failed and the first of them, and that the
// set chosen before is kept.
std::string FilterFailureMessage(std::string_view expression, const TListFilterReport& report,
                                 std::string_view items);
// How the messages name a group: "group <number> of <race>".
std::string GroupSubjectName(const TGroup* group);

// Every planet of the game in the planet list's order.
std::vector<TPlanet*> AllPlanets(const GameState& state);

// The Test command: evaluates `expression` against the first group of the main player (groups)
// or the first planet of the planet list (planets) and gives the message to show:
// "Checked expressions seems ok" / "Checked expression seems ok", or
// "Expression: <label> results error". With nothing to test against it says so.
std::string TestExpressionMessage(const GameState& state, const TOrderAnalysis* analysis,
                                  TExpressionKind kind, std::string_view expression,
                                  std::string_view label);

// The expression filter. On success `filtered` is replaced by the new set. When the expression
// fails on any planet or group it tests, `filtered` is left as it was and the message reads
// "Error in expression: <expression>", with how many of the tests failed and the first of them.
struct TExpressionFilterResult {
  bool Ok = true;
  std::string Message;
};
TExpressionFilterResult ApplyExpressionFilter(const GameState& state,
                                              const TOrderAnalysis* analysis, bool groups,
                                              std::string_view expression,
                                              std::vector<TPlanet*>& filtered);

// The calculations window's presets and its sum.
inline constexpr const char* kAllSelected = "<ALL SELECTED>";
std::vector<std::string> CalculationWhereChoices();
std::vector<std::string> CalculationWhatChoices();
struct TCalculation {
  double Sum = 0;
  int Planets = 0;   // planets chosen by Where
  int NoNumber = 0;  // of those, planets whose What gave no number (counted as 0)
};
// Where "<ALL SELECTED>" (any case) takes `selected`; else every planet of the game for which
// the planet expression Where is exactly true (a failing Where is false).
TCalculation Calculate(const GameState& state, const TOrderAnalysis* analysis,
                       std::string_view where, std::string_view what,
                       const std::vector<TPlanet*>& selected);
// The result line of the memo.
std::string CalculationText(const TCalculation& c);

}  // namespace tovix

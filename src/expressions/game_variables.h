#pragma once
// The game binding of the expression language: the bracketed variables of a group or a planet,
// the game functions "DISTANCE(", "ATOI(" and "INVERT(", the yes/no predicates and the two
// list filters that the planet and group lists use.
//
// One filter run makes its own variables objects, so an "INVERT(" met during the run inverts
// that run only.

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/model/game_state.h"
#include "expressions/evaluator.h"

namespace tovix {

// What the group variables ask of the order analysis (src/orders sits above this library, so
// the analysis is reached through this view; expression_filters.cpp adapts it). Passing no
// analysis means "unknown": [GR_AVAILABLE] then fails.
class IOrderAnalysisView {
 public:
  virtual ~IOrderAnalysisView() = default;
  // Ships of the group that the current orders have not yet sent or upgraded.
  virtual int32_t ShipsLeftInGroup(const TGroup& group) const = 0;
};

// The order analysis' record of a group, or a part of one, that the current orders move: the
// fields the group variables read. The analysis fills one per record.
struct TSentGroupView {
  const TGroup* Group = nullptr;
  const TPlanet* Source = nullptr;
  const TPlanet* Destination = nullptr;
  int32_t Turns = 0;  // until arrival
  int32_t Ships = 0;
  float Distance = 0;  // still to fly
};

// One row of a group list: a group of the model, or an order-analysis record (Sent set; Group
// is then the record's group).
struct TGroupItem {
  const TGroup* Group = nullptr;
  const TSentGroupView* Sent = nullptr;

  bool operator==(const TGroupItem&) const = default;
};

// Ship mass standing at one planet in the last turn: the user's own, that of races at peace
// and that of races at war.
struct TStationedMass {
  double Mine = 0;
  double Friendly = 0;
  double Enemy = 0;
};

// The groups of the last turn that stand at a planet (distance 0), their design mass times
// their ships summed per planet and side.
std::unordered_map<const TPlanet*, TStationedMass> CollectStationedMasses(const GameState& state);

// What the variables of one run share: the game, the order analysis and the masses at the
// planets (collected at the first question that needs them).
class TGameVariables {
 public:
  explicit TGameVariables(const GameState& state, const IOrderAnalysisView* orders = nullptr)
      : state_(state), orders_(orders) {}

  const GameState& State() const { return state_; }
  const IOrderAnalysisView* Orders() const { return orders_; }
  const TStationedMass& MassAt(const TPlanet& planet);

  // "Now" for the date functions; the clock when empty.
  std::optional<double> Now;

 private:
  const GameState& state_;
  const IOrderAnalysisView* orders_;
  std::optional<std::unordered_map<const TPlanet*, TStationedMass>> masses_;
};

// What the group and the planet callbacks share: the game functions over the run's game.
class TSubjectVariables : public TEvalCallback {
 public:
  explicit TSubjectVariables(TGameVariables& game) : game_(game) {}
  TGameVariables& Game() const { return game_; }
  // An "INVERT(" was evaluated since this object was made.
  bool Inverted() const { return inverted_; }

  int32_t KnowsFunction(std::string_view name, int argCount) override;
  int32_t CallFunction(std::string_view name, std::span<const TEvalValue> args,
                       TEvalValue& result) override;

 protected:
  TGameVariables& game_;

 private:
  bool inverted_ = false;
};

// The callback for groups: [GR_*], [ST_*] of the group's design, [PT_*] of the group's planet,
// [PLAYERNAME], and the game functions.
class TGroupVariables final : public TSubjectVariables {
 public:
  using TSubjectVariables::TSubjectVariables;
  void SetSubject(const TGroupItem& item) { item_ = item; }

  int32_t Variable(std::string_view name, TEvalValue& value) override;

 private:
  TGroupItem item_;
};

// The callback for planets: [PT_*] of the planet, [PLAYERNAME], and the game functions.
class TPlanetVariables final : public TSubjectVariables {
 public:
  using TSubjectVariables::TSubjectVariables;
  void SetSubject(const TPlanet* planet) { planet_ = planet; }

  int32_t Variable(std::string_view name, TEvalValue& value) override;

 private:
  const TPlanet* planet_ = nullptr;
};

// The longest expression the predicates take; a longer one fails.
inline constexpr size_t kMaxPredicateLength = 511;

// 1, 0 or -1 (failure, or a string or date result). The two predicates have different truth
// rules, and stored expressions rely on both: a group expression is true when its value is
// above 0, a planet expression when its value is not 0 (so a negative value counts as true).
int GroupExpressionTrue(std::string_view expression, const TGroupItem& item,
                        TGroupVariables& variables);
int PlanetExpressionTrue(std::string_view expression, const TPlanet& planet,
                         TPlanetVariables& variables);

// What one run of a list filter reports besides its result.
struct TFilterRun {
  int Failed = 0;         // items whose expression failed (they are kept)
  int FirstFailed = -1;   // the index of the first of them
  bool Inverted = false;  // an "INVERT(" turned the result round
};

// destination := the source items for which the expression is not false (an item whose test
// fails is kept), in source order; every item for an empty expression. When the expression
// evaluated an "INVERT(", destination := the source items that the test did not keep.
TFilterRun FilterGroupsByExpression(TGameVariables& game, std::string_view expression,
                                    const std::vector<TGroupItem>& source,
                                    std::vector<TGroupItem>& destination);
TFilterRun FilterPlanetsByExpression(TGameVariables& game, std::string_view expression,
                                     const std::vector<const TPlanet*>& source,
                                     std::vector<const TPlanet*>& destination);

}  // namespace tovix

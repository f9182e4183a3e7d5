#include "expressions/expression_filters.h"

#include <algorithm>
#include <unordered_set>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "expressions/game_variables.h"
#include "orders/order_analysis.h"

namespace tovix {

namespace {

// The one thing the group variables ask of the order analysis.
class TAnalysisView final : public IOrderAnalysisView {
 public:
  explicit TAnalysisView(const TOrderAnalysis& analysis) : analysis_(analysis) {}
  int32_t ShipsLeftInGroup(const TGroup& group) const override {
    return analysis_.ShipsLeftInGroup(group);
  }

 private:
  const TOrderAnalysis& analysis_;
};

// What one run shares: the game variables, the analysis behind them, and the records turned
// into the variables' view of them (kept, as items point at them).
class TRun {
 public:
  TRun(const GameState& state, const TOrderAnalysis* analysis)
      : view_(analysis ? std::make_unique<TAnalysisView>(*analysis) : nullptr),
        game_(state, view_.get()) {}

  TGameVariables& Game() { return game_; }

  TGroupItem Item(const TGroupSubject& s) {
    if (s.Record == nullptr) return {s.Group, nullptr};
    const TSendedGroup& r = *s.Record;
    records_.push_back(std::make_unique<TSentGroupView>(TSentGroupView{
        r.Group, r.Source, r.Destination, r.Turns, r.Ships, static_cast<float>(r.Distance)}));
    return {r.Group, records_.back().get()};
  }

 private:
  std::unique_ptr<TAnalysisView> view_;
  TGameVariables game_;
  std::vector<std::unique_ptr<TSentGroupView>> records_;
};

}  // namespace

std::string GroupSubjectName(const TGroup* group) {
  if (group == nullptr) return "a group";
  return "group " + std::to_string(group->GroupNumber) +
         (group->Owner ? " of " + group->Owner->Name : std::string());
}

std::string FilterFailureMessage(std::string_view expression, const TListFilterReport& report,
                                 std::string_view items) {
  std::string text = "Error in expression: " + std::string(expression);
  if (report.Failed > 0)
    text += "\r\rIt failed on " +
            (report.FailedEverywhere()
                 ? "all " + std::to_string(report.Tested)
                 : std::to_string(report.Failed) + " of " + std::to_string(report.Tested)) +
            " " + std::string(items) + ", first on " + report.FirstFailed +
            ". The choice made before is kept.";
  return text;
}

std::vector<size_t> FilterGroupSubjects(const GameState& state, const TOrderAnalysis* analysis,
                                        std::string_view expression,
                                        const std::vector<TGroupSubject>& source,
                                        TListFilterReport* report) {
  TRun run(state, analysis);
  std::vector<TGroupItem> items;
  items.reserve(source.size());
  for (const TGroupSubject& s : source) items.push_back(run.Item(s));
  std::vector<TGroupItem> passed;
  const TFilterRun r = FilterGroupsByExpression(run.Game(), expression, items, passed);
  if (report) {
    *report = {static_cast<int>(items.size()), r.Failed, {}};
    if (r.FirstFailed >= 0)
      report->FirstFailed = GroupSubjectName(items[static_cast<size_t>(r.FirstFailed)].Group);
  }
  // Items are distinct (one per subject), so the passing ones map back by a walk in order.
  std::vector<size_t> indexes;
  size_t j = 0;
  for (size_t i = 0; i < items.size() && j < passed.size(); ++i)
    if (items[i] == passed[j]) {
      indexes.push_back(i);
      ++j;
    }
  return indexes;
}

std::vector<TPlanet*> FilterPlanetList(const GameState& state, const TOrderAnalysis* analysis,
                                       std::string_view expression,
                                       const std::vector<TPlanet*>& source,
                                       TListFilterReport* report) {
  TRun run(state, analysis);
  const std::vector<const TPlanet*> items(source.begin(), source.end());
  std::vector<const TPlanet*> passed;
  const TFilterRun r = FilterPlanetsByExpression(run.Game(), expression, items, passed);
  if (report) {
    *report = {static_cast<int>(items.size()), r.Failed, {}};
    if (r.FirstFailed >= 0)
      report->FirstFailed = "planet " + source[static_cast<size_t>(r.FirstFailed)]->Name;
  }
  std::vector<TPlanet*> result;
  for (const TPlanet* p : passed) result.push_back(const_cast<TPlanet*>(p));
  return result;
}

std::vector<TPlanet*> AllPlanets(const GameState& state) {
  std::vector<TPlanet*> planets;
  for (auto [key, p] : state.Planets) planets.push_back(p);
  return planets;
}

std::string TestExpressionMessage(const GameState& state, const TOrderAnalysis* analysis,
                                  TExpressionKind kind, std::string_view expression,
                                  std::string_view label) {
  TRun run(state, analysis);
  int truth = -1;
  if (kind == TExpressionKind::Groups) {
    const TPlayer* me = state.MainPlayer;
    if (me == nullptr || me->Groups.empty()) return "There is no group of yours to test with.";
    TGroupVariables vars(run.Game());
    truth = GroupExpressionTrue(expression, {me->Groups.front().get(), nullptr}, vars);
  } else {
    if (state.Planets.Count() == 0) return "There is no planet to test with.";
    TPlanetVariables vars(run.Game());
    truth = PlanetExpressionTrue(expression, *AllPlanets(state).front(), vars);
  }
  if (truth == -1) return "Expression: " + std::string(label) + " results error";
  return kind == TExpressionKind::Groups ? "Checked expressions seems ok"
                                         : "Checked expression seems ok";
}

TExpressionFilterResult ApplyExpressionFilter(const GameState& state,
                                              const TOrderAnalysis* analysis, bool groups,
                                              std::string_view expression,
                                              std::vector<TPlanet*>& filtered) {
  TRun run(state, analysis);
  const std::vector<TPlanet*> all = AllPlanets(state);
  std::vector<TPlanet*> found;
  std::unordered_set<const TPlanet*> held;
  bool inverted = false;
  // Every subject is tested, so that a failure can say how often the expression failed.
  TListFilterReport report;
  auto note = [&](int truth, auto&& name) {
    ++report.Tested;
    if (truth == -1 && report.Failed++ == 0) report.FirstFailed = name();
  };
  auto add = [&](TPlanet* p) {
    if (held.insert(p).second) found.push_back(p);
  };
  if (!groups) {
    TPlanetVariables vars(run.Game());
    for (TPlanet* p : all) {
      const int truth = PlanetExpressionTrue(expression, *p, vars);
      note(truth, [p] { return "planet " + p->Name; });
      if (truth == 1) add(p);
    }
    inverted = vars.Inverted();
  } else {
    TGroupVariables vars(run.Game());
    auto test = [&](const TGroupSubject& s, TPlanet* planet) {
      if (planet == nullptr || held.count(planet)) return;
      const TGroupItem item = run.Item(s);
      const int truth = GroupExpressionTrue(expression, item, vars);
      note(truth, [&item] { return GroupSubjectName(item.Group); });
      if (truth == 1) add(planet);
    };
    for (auto [key, race] : state.Players) {
      // The user's own groups are tested through the analysis records, when there are some.
      if (race == state.MainPlayer && analysis != nullptr) continue;
      for (const auto& g : race->Groups) test({g.get(), nullptr}, g->Planet);
    }
    if (analysis != nullptr)
      for (const TSendedGroup& r : analysis->Records())
        test({r.Group, &r}, r.Destination ? r.Destination : r.Source);
    inverted = vars.Inverted();
  }
  if (report.Failed > 0)
    return {false, FilterFailureMessage(expression, report, groups ? "groups" : "planets")};
  if (inverted) {
    std::vector<TPlanet*> rest;
    for (TPlanet* p : all)
      if (!held.count(p)) rest.push_back(p);
    found = std::move(rest);
  }
  filtered = std::move(found);
  return {};
}

std::vector<std::string> CalculationWhereChoices() {
  return {kAllSelected,
          "([PLAYERNAME] = [PT_LASTOWNERNAME])",
          "[PT_PRODTYPE] = 'DRIVE'",
          "[PT_PRODTYPE] = 'WEAPONS'",
          "[PT_PRODTYPE] = 'SHIELDS'",
          "[PT_PRODTYPE] = 'CARGO'",
          "([PLAYERNAME] = [PT_LASTOWNERNAME]) and ([PT_PRODTYPE] = 'DRONE_KILLER')",
          "(([PT_PRODTYPE] = 'DRIVE') or ([PT_PRODTYPE] =  'WEAPONS') or ([PT_PRODTYPE] = "
          "'SHIELDS') or  ([PT_PRODTYPE] = 'CARGO')) and ([PLAYERNAME] =  [PT_LASTOWNERNAME])"};
}

std::vector<std::string> CalculationWhatChoices() {
  return {"[PT_PRODAMOUNT]", "Int([PT_PRODAMOUNT])", "[PT_EFFMASS]", "Int([PT_EFFMASS])"};
}

TCalculation Calculate(const GameState& state, const TOrderAnalysis* analysis,
                       std::string_view where, std::string_view what,
                       const std::vector<TPlanet*>& selected) {
  TRun run(state, analysis);
  TPlanetVariables whereVars(run.Game());
  TPlanetVariables whatVars(run.Game());
  std::vector<TPlanet*> chosen;
  if (SameText(Trim(std::string(where)), kAllSelected)) {
    chosen = selected;
  } else {
    for (TPlanet* p : AllPlanets(state))
      if (PlanetExpressionTrue(where, *p, whereVars) == 1) chosen.push_back(p);
  }
  TCalculation c;
  TPreparedExpression prepared(what);
  for (TPlanet* p : chosen) {
    ++c.Planets;
    whatVars.SetSubject(p);
    TEvalValue value;
    const int32_t type = prepared.Evaluate(value, {&whatVars, run.Game().Now, nullptr});
    if (type == evNumber || type == evBoolean)
      c.Sum += value.Number;
    else
      ++c.NoNumber;
  }
  return c;
}

std::string CalculationText(const TCalculation& c) {
  std::string text = FormatG15(c.Sum);
  if (c.NoNumber > 0)
    text += "\r\n" + std::to_string(c.NoNumber) + " of " + std::to_string(c.Planets) +
            " planets gave no number";
  return text;
}

}  // namespace tovix

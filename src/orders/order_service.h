#pragma once
// The order service: the entry points through which every window hands generated order lines
// to the order text, and the analysis the windows ask for after inserting. The orders window
// owns one, over its editor's lines and the clipboard; the windows reach it through it.

#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "orders/order_analysis.h"
#include "orders/order_lines.h"
#include "orders/order_text.h"

namespace tovix {

// The development and cargo planner as the analysis calls it.
class IOrderPlanner {
 public:
  virtual ~IOrderPlanner() = default;
  // Rates the own planets for the automatic cargo orders.
  virtual void ComputeBuildability() = 0;
  // Plans the cargo transports (with transports on) from the order text.
  virtual void PlanAutomaticCargo(const IOrderLines& lines, bool transports, bool useRoutes) = 0;
  // Fills the planner's own lists.
  virtual void FillDevelopmentLists() = 0;
  // The transports of the last plan.
  virtual std::vector<TPlannedTransport> CargoPlan() const = 0;
  // What the last plan noted about orders it could not follow ("Can't break group %d!").
  virtual std::vector<std::string> PlanNotes() const { return {}; }
};

// Told when an analysis has finished, so that the windows that show order-dependent figures
// refresh: after a full analysis the groups window, planet list, ship designer, routes window and
// planet information window; after an insert the same windows.
class IOrderAnalysisListener {
 public:
  virtual ~IOrderAnalysisListener() = default;
  virtual void AnalysisChanged(bool afterInsert) = 0;
};

class TOrderService {
 public:
  TOrderService(GameState& state, IOrderLines& lines, ITextSink& clipboard, IOrderPlanner& planner)
      : state_(state), lines_(lines), clipboard_(clipboard), planner_(planner), analysis_(state) {}

  TAutoInsertOptions Options;
  bool UseRoutesForDevelopment = false;
  IOrderAnalysisListener* Listener = nullptr;

  // The four insertion entry points (text may hold several lines joined by CR LF). They do not
  // analyse; the caller asks for AnalyseAfterInsert or AnalyseOrders.
  int InsertGroupCommands(std::string_view text) {
    return InsertCommands(lines_, clipboard_, Options, TOrderSection::Group, text);
  }
  int InsertPlanetCommands(std::string_view text) {
    return InsertCommands(lines_, clipboard_, Options, TOrderSection::Planet, text);
  }
  int InsertOtherCommands(std::string_view text) {
    return InsertCommands(lines_, clipboard_, Options, TOrderSection::Other, text);
  }
  int InsertRouteCommands(std::string_view text) {
    return InsertCommands(lines_, clipboard_, Options, TOrderSection::Route, text);
  }

  // Buildability, the cargo plan, the planner's lists, the pass over the orders, the "To Develop"
  // list, the planets' ship masses; then the listener.
  void AnalyseOrders();
  // The same without the buildability; nothing at all while every auto-insert option is off.
  // True when it ran.
  bool AnalyseAfterInsert();

  // The new-turn routine: clears the Group, Planet, Other and Route sections, analyses, writes
  // the find commands, deletes the designs the reports know and counts down the timed orders;
  // the editor sees one change.
  void AllAbove();

  const TOrderAnalysis& Analysis() const { return analysis_; }
  // The notes of the last analysis: the plan's, those on the "#GALAXY" line, then the order
  // pass's. Shown with the analysis.
  std::vector<std::string> Notes() const;
  // The same notes with the order line each names (-1 for the plan's, which name none) and
  // whether the server refuses the line ("ERROR").
  std::vector<TOrderNote> NoteItems() const;
  // How many "ERROR" notes the last analysis gave: lines the server would refuse or not read,
  // and a "#GALAXY" line it would not take. What a mail of the orders asks about first.
  int ErrorNoteCount() const;
  // The rows of the last analysis.
  const std::vector<TSentShipRow>& SentShips() const { return sentShips_; }
  const std::vector<TToDevelopRow>& ToDevelop() const { return toDevelop_; }

 private:
  void Analyse(bool afterInsert);

  GameState& state_;
  IOrderLines& lines_;
  ITextSink& clipboard_;
  IOrderPlanner& planner_;
  TOrderAnalysis analysis_;
  std::vector<TOrderNote> headerNotes_;
  std::vector<TSentShipRow> sentShips_;
  std::vector<TToDevelopRow> toDevelop_;
};

}  // namespace tovix

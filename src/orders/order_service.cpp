#include "orders/order_service.h"

#include <algorithm>

namespace tovix {

void TOrderService::Analyse(bool afterInsert) {
  if (!afterInsert) planner_.ComputeBuildability();
  planner_.PlanAutomaticCargo(lines_, true, UseRoutesForDevelopment);
  planner_.FillDevelopmentLists();
  analysis_.ParseOrders(lines_, planner_.CargoPlan());
  headerNotes_ = OrderHeaderNotes(lines_, state_);
  sentShips_ = analysis_.SentShipRows();
  toDevelop_ = analysis_.ToDevelopRows();
  analysis_.ComputeIncomingShipMass();
  if (Listener) Listener->AnalysisChanged(afterInsert);
}

std::vector<std::string> TOrderService::Notes() const {
  std::vector<std::string> notes;
  for (const TOrderNote& note : NoteItems()) notes.push_back(note.Text);
  return notes;
}

std::vector<TOrderNote> TOrderService::NoteItems() const {
  std::vector<TOrderNote> items;
  for (const std::string& note : planner_.PlanNotes()) items.push_back({-1, false, note});
  items.insert(items.end(), headerNotes_.begin(), headerNotes_.end());
  items.insert(items.end(), analysis_.LineNotes().begin(), analysis_.LineNotes().end());
  return items;
}

int TOrderService::ErrorNoteCount() const {
  const auto refused = [](const TOrderNote& n) { return n.Refused; };
  return static_cast<int>(
      std::count_if(headerNotes_.begin(), headerNotes_.end(), refused) +
      std::count_if(analysis_.LineNotes().begin(), analysis_.LineNotes().end(), refused));
}

void TOrderService::AnalyseOrders() {
  Analyse(false);
}

bool TOrderService::AnalyseAfterInsert() {
  if (!Options.AnyOn()) return false;
  Analyse(true);
  return true;
}

void TOrderService::AllAbove() {
  TOrderLinesUpdate update(lines_);
  for (TOrderSection section :
       {TOrderSection::Group, TOrderSection::Planet, TOrderSection::Other, TOrderSection::Route}) {
    ClearSection(lines_, section);
  }
  AnalyseOrders();
  InsertFindCommands(lines_, state_);
  DeleteKnownShipTypes(lines_, state_);
  DecrementTurnCounters(lines_);
}

}  // namespace tovix

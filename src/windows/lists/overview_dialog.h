#pragma once
// "Over View": the user's race this turn, next turn, and next turn without shipping, shown
// modally from the main window. Each tab is computed once per show, when it is first needed.

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "views/overview_figures.h"

class QLabel;
class QTabBar;

namespace tovix {

class TfrmOverView : public QDialog {
  Q_OBJECT

 public:
  TfrmOverView(const GameState& state, QWidget* parent = nullptr);

  // Runs the order analysis before "Next Turn" is computed.
  std::function<void()> AnalyseOrders;
  // Plans from the planet orders alone before "Next Turn Without Shipping" is computed.
  std::function<void()> ProjectDevelopment;

  QTabBar* Tabs() const { return tabs_; }
  // The texts shown now: values, deltas and the percent label of the current tab.
  QLabel* ValueLabel(int figure) const { return values_[static_cast<size_t>(figure)]; }
  QLabel* DeltaLabel(int figure) const { return deltas_[static_cast<size_t>(figure)]; }
  QLabel* PercentLabel() const { return percent_; }
  QLabel* NoteLabel() const { return note_; }
  // Computes what the current tab needs and shows it.
  void RefreshPage();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const GameState& state_;
  QTabBar* tabs_;
  std::array<QLabel*, ofCount> values_{};
  std::array<QLabel*, ofCount> deltas_{};
  QLabel* percent_;
  QLabel* note_;
  std::array<bool, 3> computed_{};
  std::array<std::optional<TOverviewFigures>, 3> figures_;
  std::array<TOverviewKnown, 3> known_{kAllKnown, kAllKnown, kAllKnown};
};

}  // namespace tovix

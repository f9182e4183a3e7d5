#pragma once
// "Graph": one line per race over all turns for one of 21 subjects; all races, the top six, or
// one race together with the top race (the highest effective industry of the latest turn), with
// or without the races that have no population left.

#include <vector>

#include "views/graph_series.h"
#include "windows/base/tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QChart;
class QChartView;

namespace tovix {

class TfrmGraph : public TToolWindow {
  Q_OBJECT

 public:
  TfrmGraph(const GameState& state, TznSaveState& store, QWidget* parent = nullptr);

  // The races drawn; the players window empties it, adds races and redraws.
  const std::vector<TPlayer*>& GraphPlayers() const { return graphPlayers_; }
  void ClearGraphPlayers() { graphPlayers_.clear(); }
  void AddGraphPlayer(TPlayer* race);
  // Draws a line per race of GraphPlayers for the subject.
  void Redraw();
  // The players window's "Show In Graph": these races, drawn now, the window shown.
  void ShowPlayers(const std::vector<TPlayer*>& races);

  QComboBox* PlayerBox() const { return cbxPlayer_; }
  QComboBox* SubjectBox() const { return cbxSubject_; }
  QCheckBox* PopulationBox() const { return checkBox1_; }
  QLabel* TopPlayerLabel() const { return lblTopPlayer_; }
  QChart* Chart() const;
  TPlayer* TopPlayer() const { return topPlayer_; }
  int Subject() const { return subject_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void RefreshGame(TGameChanges changes) override;

 private:
  void FirstShow();
  void Collect();

  const GameState& state_;
  QComboBox* cbxPlayer_;
  QComboBox* cbxSubject_;
  QCheckBox* checkBox1_;
  QLabel* lblTopPlayer_;
  QChartView* chartView_;
  std::vector<TPlayer*> graphPlayers_;
  TPlayer* topPlayer_ = nullptr;
  int subject_ = 0;
  bool shown_ = false;
  bool filling_ = false;
};

}  // namespace tovix

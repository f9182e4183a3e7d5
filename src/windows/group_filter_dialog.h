#pragma once
// "Group Filter": edits the group filter (races, their designs or design limits, this turn
// only, ship counts, arrival) and collects its planets on OK.
//
// Placeholder: the race and design lists are plain Qt list widgets with check boxes until the
// check-list box control is built.

#include <QDialog>
#include <memory>

#include "expressions/group_filter.h"

class QCheckBox;
class QListWidget;
class QSpinBox;

namespace tovix {

class TfrmGroupFilter : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmGroupFilter(const GameState& state, QWidget* parent = nullptr);

  TGroupFilter& GroupFilter() { return *filter_; }
  QListWidget* Players() const { return lbxPlayers_; }
  QListWidget* ShipTypes() const { return lbxShiptypes_; }
  // Loads the controls from the filter (the show step).
  void LoadFromFilter();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FillShipTypes();
  void Store();

  std::unique_ptr<TGroupFilter> filter_;
  QListWidget* lbxPlayers_;
  QListWidget* lbxShiptypes_;
  QCheckBox* chkThisTurn_;
  QCheckBox* chkUseArriving_;
  QSpinBox* spnArrival_;
  QCheckBox* chkCountMin_;
  QCheckBox* chkCountMax_;
  QSpinBox* spnCountMin_;
  QSpinBox* spnCountMax_;
  bool loading_ = false;
};

}  // namespace tovix

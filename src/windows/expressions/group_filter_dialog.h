#pragma once
// "Group Filter": edits the group filter. The races and their designs are check lists whose
// checks reach the filter at once (a race's designs are listed while the race is checked); the
// other choices (design limits, ship counts, this turn only, the arrival turn) reach it with
// "Set Last Changes" and come back from it with "Discard Last Changes". The dialog provides
// IGroupFilterService and keeps its placement.

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "core/settings/save_state.h"
#include "expressions/group_filter.h"
#include "windows/base/services.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QRadioButton;

namespace tovix {

class TRxCheckListBox;
class TRxSpinEdit;

// The arrival choices, for 0 to 9 turns.
inline constexpr std::array<const char*, 10> kArrivalChoices{
    "On planet", "Next turn", "2nd turn", "3th turn", "4th turn", "5", "6", "7", "8", "9"};

class TfrmGroupFilter : public QDialog, public IGroupFilterService, public IFormState {
  Q_OBJECT

 public:
  TfrmGroupFilter(const GameState& state, TznSaveState& store, QWidget* parent = nullptr);
  ~TfrmGroupFilter() override;

  TGroupFilter& GroupFilter() { return *filter_; }

  // IGroupFilterService.
  void ExecuteGroupFilter() override;
  void CollectPlanets() override { filter_->CollectPlanets(); }
  const std::vector<TPlanet*>& GroupPlanets() const override { return filter_->GroupPlanets; }
  // In place of the modal loop (tests and pictures): runs while the dialog would be shown.
  std::function<void(TfrmGroupFilter&)> RunDialog;

  // IFormState: the placement only, and only once the dialog was shown in this run.
  void SaveState() override;
  void LoadState() override;
  std::string StateSectionName() const override { return "Group Filter"; }

  TRxCheckListBox* Players() const { return lbxPlayers_; }
  TRxCheckListBox* ShipTypes() const { return lbxShiptypes_; }
  QMenu* PopupMenu() const { return pmuLists_; }
  // The show step: the lists and every control from the filter.
  void LoadFromFilter();
  // "Set &Last Changes": the limits, counts, "&This turn", the design choice and the arrival
  // into the filter. "&Discard Last Changes": the same controls back from the filter.
  void SetLastChanges();
  void DiscardLastChanges();
  // "Check Selected" / "Uncheck Selected" on the selected entries of `list`.
  void CheckSelected(TRxCheckListBox* list, bool check);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // One design limit (or the ship count): two check boxes with their spin edits.
  struct TLimitRow {
    QCheckBox* MinOn;
    TRxSpinEdit* Min;
    QCheckBox* MaxOn;
    TRxSpinEdit* Max;
  };
  void FillShipTypes();
  void LoadOptions();
  void PlayersClicked();
  void ShipTypesClicked();
  TRxCheckListBox* ListForCommand() const;

  std::unique_ptr<TGroupFilter> filter_;
  TznSaveState& store_;
  bool shownOnce_ = false;
  QLineEdit* edtName_;
  TRxCheckListBox* lbxPlayers_;
  TRxCheckListBox* lbxShiptypes_;
  TRxCheckListBox* menuList_ = nullptr;  // the list the popup menu was opened on
  QMenu* pmuLists_;
  QRadioButton* rbShipTypes_;
  QRadioButton* rbShipOptions_;
  std::array<TLimitRow, 5> limits_{};  // drive, attacks, weapons, shields, mass
  TLimitRow count_{};
  QCheckBox* cbThisTurn_;
  QCheckBox* cbUseArriving_;
  QComboBox* cbxArriving_;
};

}  // namespace tovix

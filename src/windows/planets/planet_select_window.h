#pragma once
// "Select Planet(s)": the destination picker. The group windows hand it groups to send; the user
// picks the planets in the filtered planet list (or by clicking them on the map) and OK writes
// the send orders: every group to one planet, or the ships spread one by one over several
// planets. "Advanced" opens "Advanced Send" on the groups and the planets picked, to share the
// ships out by hand. Rows picked beyond the limit of the request are undone with a beep.

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "orders/order_analysis.h"
#include "orders/send_orders.h"
#include "views/planet_info.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QCheckBox;
class QItemSelection;
class QLabel;
class QPushButton;
class QTimer;

namespace tovix {

class TfrmAdvancedSend;
class TTopMostWindow;
class TznListView;

class TfrmPlanetSelect : public TToolWindow, public IDestinationPickerService {
  Q_OBJECT

 public:
  // `services` is asked at each call (the registry fills it once every window is made).
  TfrmPlanetSelect(GameState& state, TznSaveState& store, UserInterface& ui,
                   TServicesSource services, QWidget* parent = nullptr);
  ~TfrmPlanetSelect() override;

  // IDestinationPickerService.
  bool PickerActive() const override { return active_; }
  void ShowPicker(const TPickerRequest& request) override;
  bool PickerVisible() const override { return isVisible(); }
  bool SpreadMode() const override { return spread_; }
  void SelectPlanet(TPlanet* planet) override;
  void SelectPlanetsInList(const std::vector<TPlanet*>& planets) override;

  // The list again from the filters ("Filtered", "Inverse"), the map's cursors held meanwhile.
  void FillPlanetList();
  // "&Group Filter": the dialog, then the list again when "Filtered" is checked.
  void GroupFilter();
  // "&Expressions": every planet first, then the expression filter's dialog; the list again only
  // when it ends with OK.
  void Expressions();
  // The "Dist." column from `planet` (a double click on its row).
  void SetDistancesFrom(TPlanet* planet);
  // OK: the orders for the planets picked, inserted and analysed; the pick ends.
  void OkClicked();
  // Cancel: the pick ends, nothing is written.
  void CancelClicked();
  // "Advanced": "Advanced Send" on the groups and the planets picked.
  void AdvancedClicked();

  // Runs "Advanced Send" modally; true when it ended with OK. Replaceable for tests.
  std::function<bool(TfrmAdvancedSend&)> RunAdvanced;

  // For tests and the window pictures.
  TznListView* PlanetList() const { return znListView1_; }
  QLabel* GroupsLabel() const { return lblGroups_; }
  QCheckBox* FilteredBox() const { return chbFilter_; }
  QCheckBox* InverseBox() const { return chbInverse_; }
  QCheckBox* InterceptBox() const { return chbIntercept_; }
  QCheckBox* LoadBox() const { return chbLoad_; }
  QPushButton* AdvancedButton() const { return btnAdvanced_; }
  QTimer* MayChangeTimer() const { return timerMayChange_; }
  const std::vector<TPlanetInfoRow>& PlanetRowsShown() const { return rows_; }
  const TSendGroups& Groups() const { return groups_; }
  int MaxPlanets() const { return maxPlanets_; }
  // The planets of OK or "Advanced", in the list's order.
  const std::vector<TPlanet*>& SelectedPlanets() const { return selectedPlanets_; }
  // Selects the rows (indexes of PlanetRowsShown()) as the user would, one after the other.
  void SelectRows(const std::vector<int>& rows);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowPlanetRows();
  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  int RowOf(const TPlanet* planet) const;
  void SetRowSelected(int row, bool on);
  void CollectSelectedPlanets();
  // The ships of each group no order takes: the last analysis, else the report's groups.
  const TOrderAnalysis& Analysis();
  void Finish();

  GameState& state_;
  UserInterface& ui_;
  TServicesSource services_;
  TOrderAnalysis ownAnalysis_;  // the groups with no order, while the orders are not analysed
  TSendGroups groups_;
  std::vector<TPlanet*> selectedPlanets_;
  std::vector<TPlanetInfoRow> rows_;
  TPlanet* distanceFrom_ = nullptr;
  int maxPlanets_ = 1;
  bool spread_ = false;
  bool active_ = false;
  bool filling_ = false;
  bool limiting_ = false;
  int lastRow_ = -1;

  QLabel* lblGroups_;
  TznListView* znListView1_;
  QCheckBox* chbFilter_;
  QCheckBox* chbInverse_;
  QCheckBox* chbIntercept_;
  QCheckBox* chbLoad_;
  QPushButton* btnAdvanced_;
  QTimer* timerMayChange_;
  TTopMostWindow* topMost_;
};

}  // namespace tovix

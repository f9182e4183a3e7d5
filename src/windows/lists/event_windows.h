#pragma once
// "Battles", "Bombings" and "Incoming Groups": the events of the turn reports, each list with a
// "Turns" choice ("Last Turn" or "All"). The battles window shows the groups of the chosen battle
// and hands a battle to the battle simulator; the bombings window writes develop and produce
// orders for the bombed planets; a click on an incoming group shows where it comes from, a
// double click where it goes.
//
// The battles and bombings windows move the map and the planet window when a row is selected
// and then ignore selection changes for 100 ms, so that the selection those windows cause does
// not come back at once.

#include <QDialog>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/dual_list.h"
#include "core/base/user_interface.h"
#include "views/event_rows.h"
#include "windows/base/model_list_window.h"
#include "windows/base/services.h"

class QComboBox;
class QListWidget;
class QMenu;
class QAction;
class QSplitter;
class QTimer;

namespace tovix {

class TExportZnListView;

// The common frame: the "Turns" box above the list; the list fills again also when the "Turns"
// choice changes.
class TTurnListWindow : public TModelListWindow {
  Q_OBJECT

 public:
  TTurnListWindow(std::string stateName, int helpContext, GameState& state, TznSaveState& store,
                  TServicesSource services, std::string layoutSection, std::string layoutKey,
                  QWidget* parent = nullptr);

  QComboBox* TurnsBox() const { return cbxTurns_; }
  bool LastTurnOnly() const;

 protected:
  // The row of the list's current index, as the window numbers its rows; -1 for none.
  int CurrentRow() const;
  void SelectRow(int row);

  QWidget* top_;  // the strip with the "Turns" box
  QComboBox* cbxTurns_;
};

class TfrmBattles : public TTurnListWindow, public IBattleListService {
  Q_OBJECT

 public:
  TfrmBattles(GameState& state, TznSaveState& store, TServicesSource services,
              QWidget* parent = nullptr);

  // Shows the window with the battle chosen (all turns listed when it is an older one).
  void SelectBattle(TBattle* battle) override;

  QListWidget* InfoBox() const { return lbxBattleInfo_; }
  QTimer* MayChangeTimer() const { return timerMayChange_; }
  QMenu* PopupMenu() const { return pmuBattles_; }
  const std::vector<TBattleRow>& Rows() const { return rows_; }
  TBattle* SelectedBattle() const;
  // Chooses the sides: the two-list dialog with the races of the battle on the attackers' side;
  // false on Cancel. Replaces the dialog's modal loop in tests.
  std::function<bool(TDualListForm&)> RunSidesDialog;

  void AddToBattleSimulator();
  void FindPlanetInOrders();

 protected:
  void Fill() override;
  void LoadOwnState() override;
  void SaveOwnState() override;

 private:
  void SelectionMoved();
  void ShowBattleInfo(const TBattle* battle);

  QSplitter* splitter_;
  QListWidget* lbxBattleInfo_;
  QTimer* timerMayChange_;
  QMenu* pmuBattles_;
  std::vector<TBattleRow> rows_;
  int lastHandled_ = -1;
};

class TfrmBombings : public TTurnListWindow {
  Q_OBJECT

 public:
  TfrmBombings(GameState& state, TznSaveState& store, UserInterface& ui, TServicesSource services,
               std::function<std::string()> mainCaption, QWidget* parent = nullptr);
  ~TfrmBombings() override;

  QTimer* MayChangeTimer() const { return timerMayChange_; }
  QMenu* PopupMenu() const { return pmuBombings_; }
  const std::vector<TBombingRow>& Rows() const { return rows_; }
  TExportZnListView& Exporter() const { return *export_; }

  void ExportList();
  // ";P planet" for every selected row, one hand-over.
  void DevelopPlanets();
  // "P planet item" for every selected row after the production item is chosen.
  void ProduceOnPlanets();
  void FindPlanetInOrders();

 protected:
  void Fill() override;

 private:
  void SelectionMoved();
  std::vector<const TPlanet*> SelectedPlanets() const;

  UserInterface& ui_;
  std::function<std::string()> mainCaption_;
  QTimer* timerMayChange_;
  QMenu* pmuBombings_;
  std::unique_ptr<TExportZnListView> export_;
  std::vector<TBombingRow> rows_;
  std::string productionItem_;  // the item chosen last
  int lastHandled_ = -1;
};

class TfrmIncomingGroups : public TTurnListWindow {
  Q_OBJECT

 public:
  TfrmIncomingGroups(GameState& state, TznSaveState& store, TServicesSource services,
                     QWidget* parent = nullptr);
  const std::vector<TIncomingRow>& Rows() const { return rows_; }
  // A click shows the origin, a double click the destination (window's row numbers).
  void RowClicked(int row);
  void RowDoubleClicked(int row);

 protected:
  void Fill() override;

 private:
  std::vector<TIncomingRow> rows_;
};

}  // namespace tovix

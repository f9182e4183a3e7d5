#pragma once
// "Advanced Send": made by the destination picker for one use, shown modally, filling the room
// beside the main window (as large as it can be without lying under that window). The
// user picks a group and a planet, the number of ships per planet, and "Add" moves that many ships
// of the group to the planet as a result row; "Delete" gives result rows back. The turns from the
// group chosen to each planet, and the figures and forces of the planet chosen or under the mouse
// (its figures, the user's groups there and on their way there, the other races' groups there),
// help to choose. OK makes the send lines of the result rows (Orders()).

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "orders/order_analysis.h"
#include "orders/send_orders.h"

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStackedWidget;
class QToolButton;

namespace tovix {

class TRxSpinEdit;
class TznListView;

class TfrmAdvancedSend : public QDialog {
  Q_OBJECT

 public:
  enum TInfoPage { ipPlanet = 0, ipMyGroups = 1, ipOtherGroups = 2 };

  // `planets` are the planets picked, in the picker's order; `shipsLeft` and `analysis` are the
  // order analysis's (the groups' ships left, the records on their way to a planet).
  TfrmAdvancedSend(const GameState& state, TSendGroups groups, std::vector<TPlanet*> planets,
                   TShipsLeft shipsLeft, bool intercept, const TOrderAnalysis& analysis,
                   QWidget* parent = nullptr);
  ~TfrmAdvancedSend() override;

  // The lines of the result rows (see TAdvancedSend::Orders).
  std::string Orders() const { return send_.Orders(); }
  const TAdvancedSend& Send() const { return send_; }

  // "Add" (Ctrl+C): the ships per planet of the group row chosen to the planet rows chosen.
  void AddGroupToPlanets();
  // "&Delete" (Ctrl+D): the result rows chosen go back.
  void DeleteResults();
  // The information page shown ("Info Type").
  void SetInfoPage(TInfoPage page);
  TInfoPage InfoPage() const;
  // The figures of `planet` on the information pages.
  void ShowPlanetInfo(TPlanet* planet);
  // The narrow panel: hides the results (the panel keeps a sliver to click) or shows them again.
  void ToggleResults();
  bool ResultsShown() const { return resultsShown_; }

  // For tests and the window pictures: choose a group row or a planet row (the window's rows).
  void SelectGroupRow(int row);
  void SelectPlanetRow(int row);
  TznListView* GroupList() const { return lvGroups1_; }
  TznListView* PlanetList() const { return lvPlanets1_; }
  TznListView* ResultList() const { return lvResults_; }
  TznListView* MyGroupsList() const { return lvMyGroupsHover_; }
  TznListView* OtherGroupsList() const { return lvOtherGroupsHover_; }
  QListWidget* PlanetInfoList() const { return lbxPlanetInfo_; }
  TRxSpinEdit* ShipsPerPlanet() const { return edtSendShipsToPlanets_; }
  QCheckBox* RemovePlanetBox() const { return chbRemovePlanet_; }
  QAction* AddAction() const { return actAdd_; }
  QAction* DeleteAction() const { return actDelete_; }
  QLabel* InterceptLabel() const { return lblIntercept_; }
  QToolButton* ResultsPanelButton() const { return panel3_; }
  QWidget* ResultsPanel() const { return resultsPanel_; }
  // The turns each planet row shows (from the group chosen; "-" before one is chosen).
  const std::vector<std::string>& PlanetTurns() const { return planetTurns_; }
  TPlanet* InfoPlanet() const { return infoPlanet_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowGroupRows();
  void ShowPlanetRows();
  void ShowResultRows();
  // The turns of every planet from the group row chosen; the planet rows sorted again.
  void GroupChosen();
  int ChosenGroupRow() const;
  void UpdateActions();
  void PlanetHot(int row);
  void ResultHot(int row);

  const GameState& state_;
  const TOrderAnalysis& analysis_;
  TAdvancedSend send_;
  // What the lists show: the cells of each row, and the planets of the planet rows with their
  // turns from the group chosen.
  std::vector<std::vector<std::string>> groupCells_, planetCells_, resultCells_, myGroups_,
      otherGroups_;
  std::vector<TPlanet*> planetShown_;
  std::vector<std::string> planetTurns_;
  int hotPlanetRow_ = -1;
  int hotResultRow_ = -1;
  TPlanet* infoPlanet_ = nullptr;
  bool resultsShown_ = true;
  bool placed_ = false;  // the first show has placed the window
  int resultsWidth_ = 0;

  TznListView* lvGroups1_;
  TznListView* lvPlanets1_;
  TznListView* lvResults_;
  TznListView* lvMyGroupsHover_;
  TznListView* lvOtherGroupsHover_;
  QListWidget* lbxPlanetInfo_;
  QStackedWidget* pages_;
  QRadioButton* rbInfo_[3];
  TRxSpinEdit* edtSendShipsToPlanets_;
  QCheckBox* chbRemovePlanet_;
  QAction* actAdd_;
  QAction* actDelete_;
  QLabel* lblIntercept_;
  QLabel* lblResults_;
  QToolButton* panel3_;
  QWidget* resultsPanel_;
  QSplitter* splitter_;
};

}  // namespace tovix

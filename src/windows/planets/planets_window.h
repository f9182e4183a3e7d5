#pragma once
// "Planet Info": one planet at a time. On the left the (filtered) planet list with distances and
// owners, in the middle the planet's report lines, on the right the groups at, from and towards
// the planet in one block per race and the incoming groups. "Back" and "Next" walk the planets
// shown; the popups write order lines through the order service and hand groups to the battle
// simulator and the destination picker. Other windows show planets through IPlanetInfoService.

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "orders/order_analysis.h"
#include "views/jump_history.h"
#include "views/planet_info.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QCheckBox;
class QListWidget;
class QMenu;
class QSplitter;
class QToolButton;

namespace tovix {

class TExportZnListView;
class TfrmSetExtraInfo;
class TznListView;

// The planet list's rows (the destination picker's too): the expression filter's planets; with
// `useGroupFilter` only those whose presence among the group filter's planets differs from
// `inverse`. Every planet passes while the filters are not made.
std::vector<TPlanetInfoRow> FilteredPlanetList(GameState& state, const TServices& services,
                                               bool useGroupFilter, bool inverse);
// Shows those rows in `list` (name, distance, owner) and sorts them; `rows` must stay while
// they are shown.
void ShowPlanetInfoRows(TznListView& list, const std::vector<TPlanetInfoRow>& rows);

class TfrmPlanets : public TToolWindow, public IPlanetInfoService {
  Q_OBJECT

 public:
  // `services` is asked at each call (the registry fills it once every window is made);
  // `extraInfoDialog` gives the "Set Extra Info" dialog (nullptr: none made yet);
  // `programFolder` holds ExtrInf.ini.
  TfrmPlanets(GameState& state, TznSaveState& store, UserInterface& ui,
              std::function<const TServices&()> services,
              std::function<TfrmSetExtraInfo*()> extraInfoDialog, std::string extraInfoFile,
              QWidget* parent = nullptr);
  ~TfrmPlanets() override;

  // IPlanetInfoService.
  void ShowPlanet(TPlanet* planet, bool centre) override;
  void ShowPlanetAsTarget(TPlanet* planet, bool centre) override;
  void ProduceOnPlanet(TPlanet* planet) override;
  void SelectPlanetsInList(const std::vector<TPlanet*>& planets) override;
  // Shows the row shown again (after an analysis, F5).
  void RefreshPlanetInfo();
  // Fills the planet list: the expression filter's planets; with "Filtered" only those whose
  // presence among the group filter's planets differs from "Filter Inv.". Every planet passes
  // while the filters are not made.
  void FillPlanetList();
  // "&Group Filter": the group filter dialog, then the list again when "Filtered" is checked.
  void GroupFilter();
  // "&Expressions": every planet first, then the expression filter dialog; a dialog not ended
  // with OK lets every planet pass.
  void Expressions();

  // The rename dialog's question ("Create Order" / "Enter new planet name"); replaceable for tests.
  std::function<bool(std::string& name)> AskNewName;

  // Commands of the popups, on the planet shown or the selected rows.
  void ProduceOnPlanet() { ProduceOnPlanet(shown_); }
  void InsertDevelopTag();
  void ClaimOwnership();
  void RenamePlanet();
  void CreateEliteName();
  void DevelopPlanets();
  void ProduceOnPlanets();
  void ClaimPlanets();
  void UpgradeGroups();
  void UnloadGroups();
  void AddToDefender();
  void AddToAttacker();
  void SendGroupsToPlanet();
  void SendGroupToPlanets();
  void FindPlanetInOrders();
  void FindGroupInOrders();
  void GoBack();
  void GoNext();
  void SetExtraInfo();
  void SaveExtraInfo();
  // A click on a report line: the "Last fight" line shows its battle in the battles window.
  void InfoLineClicked(int row);
  // Distances from `planet` (a double click on its row).
  void SetDistancesFrom(TPlanet* planet);

  // For tests and the window pictures.
  TznListView* PlanetList() const { return znListView1_; }
  QListWidget* InfoList() const { return lbxInfo_; }
  QCheckBox* FilteredBox() const { return cbFiltered_; }
  QCheckBox* FilterInvBox() const { return cbFilterInv_; }
  TznListView* GroupList() const { return lvGroups_; }
  const std::vector<TPlanetInfoRow>& PlanetRowsShown() const { return rows_; }
  const std::vector<TPlanetGroupRow>& GroupRowsShown() const { return groupRows_; }
  TPlanet* ShownPlanet() const { return shown_; }
  const TJumpHistory& History() const { return history_; }
  QToolButton* BackButton() const { return btnBack_; }
  QToolButton* NextButton() const { return btnNext_; }
  QMenu* BackMenu() const { return backMenu_; }
  QAction* TopMostAction() const { return actTopMost_; }
  // Selects the group rows (indexes of GroupRowsShown()).
  void SelectGroupRows(const std::vector<int>& rows);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void RefreshGame(TGameChanges changes) override;
  void LoadOwnState() override;
  void SaveOwnState() override;
  void LayOutFirstShow() override;
  QSize FirstShowSize(const QSize& room) const override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyGameSettings();
  // At the first show: the columns show the game's names whole.
  void SizeToShowColumns();
  // What other windows call on a hidden window works on the list the window will open with:
  // the game changes kept for its next show are taken in, the list filled.
  void CatchUp();
  void Show(TPlanet* planet, bool centre, bool asTarget);
  // Selects and scrolls to the list's `row` without showing it anew.
  void SelectShownRow(int row);
  void ShowPlanetInfo(int row, bool force);
  void ShowGroups();
  void ShowGroupRows();
  void ShowPlanetRows();
  void ClearInfo();
  int RowOf(const TPlanet* planet) const;
  void RowActivated(int viewRow);
  void GroupClicked(int viewRow);
  void GroupDoubleClicked(int viewRow);
  void GroupColumnClicked(int column);
  void FillJumpMenu(QMenu* menu, bool back);
  std::vector<TPlanetInfoRow*> SelectedPlanetRows();
  // The selected rows that carry a group; `ownOnly`: only the user's groups.
  std::vector<TPlanetGroupRow*> SelectedGroups(bool ownOnly);
  std::vector<TPlanetGroupRow*> SelectedOwnGroups() { return SelectedGroups(true); }
  bool SelectProductionItem(std::string& item);
  bool IsOwn(const TPlanet* planet) const;
  IOrderService* Orders() const;
  void InsertPlanetLines(const std::vector<std::string>& lines);
  void UpdateGroupActions();

  GameState& state_;
  UserInterface& ui_;
  std::function<const TServices&()> services_;
  std::function<TfrmSetExtraInfo*()> extraInfoDialog_;
  std::string extraInfoFile_;
  TOrderAnalysis ownAnalysis_;  // the report's groups with no order, until an analysis exists
  TJumpHistory history_;
  std::vector<TPlanetInfoRow> rows_;
  std::vector<TPlanetReportLine> reportLines_;
  TPlanet* distanceFrom_ = nullptr;  // the planet the list's distances are measured from
  std::vector<TPlanetGroupRow> groupRows_;
  int groupSortColumn_ = -1;
  bool groupSortDescending_ = false;
  int rowShown_ = -1;
  TPlanet* shown_ = nullptr;
  bool centred_ = true;
  bool filled_ = false;
  bool shownOnce_ = false;
  bool syncing_ = false;
  // The planet list's and the report's widths, given at the first show.
  std::pair<int, int> paneWidths_;
  bool laidOut_ = false;
  bool panesPending_ = false;
  bool panesStored_ = false;  // the settings held the panes' widths  // the widths wait for a
                              // splitter wide enough for them
  void ApplyPaneWidths();
  std::string productionItem_, productionItems_;
  std::unique_ptr<TExportZnListView> export_;

  QSplitter* splitter_;
  TznListView* znListView1_;
  QListWidget* lbxInfo_;
  TznListView* lvGroups_;
  QToolButton* btnBack_;
  QToolButton* btnNext_;
  QMenu* backMenu_;
  QMenu* nextMenu_;
  QCheckBox* cbFiltered_;
  QCheckBox* cbFilterInv_;
  QAction* actSetExtraInfo_;
  QAction* actEliteName_;
  QAction* actClaim_;
  QAction* actListClaim_;
  QAction* actCentred_;
  QAction* actUpgrade_;
  QAction* actDefender_;
  QAction* actAttacker_;
  QAction* actSendToPlanet_;
  QAction* actSendToPlanets_;
  QAction* actFindGroup_;
  QAction* actTopMost_;
};

}  // namespace tovix

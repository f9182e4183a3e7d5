#pragma once
// "Groups": the other races' groups standing at planets in the last turn and the user's groups
// as the order analysis splits them, filtered by a stored group expression and by the owners of
// the groups and of their planets. The selection follows on the map (the reach rings of the
// focused group) and in the planet information window; the popup writes upgrade and unload
// orders and hands groups to the destination picker and the battle simulator.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "views/group_list_rows.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QComboBox;
class QMenu;
class QPushButton;

namespace tovix {

class TExportZnListView;
class TTopMostWindow;
class TznListView;

class TfrmGroups : public TToolWindow {
  Q_OBJECT

 public:
  TfrmGroups(GameState& state, TznSaveState& store, UserInterface& ui, const TServices& services,
             QWidget* parent = nullptr);
  ~TfrmGroups() override;

  // The main window's caption at the moment, the footer of an export.
  std::function<std::string()> MainCaption;
  // Exports the rows ("Export").
  void ExportRows();

  // Fills the rows from the candidates, the stored expression and the owner filters.
  void FillGroupList();
  // The same under the hourglass (after an analysis; F5; the owner combos).
  void RefreshGroupList();

  TznListView* List() const { return lvGroups_; }
  QComboBox* GroupOwnerBox() const { return cbxGROwners_; }
  QComboBox* PlanetOwnerBox() const { return cbxPTOwners_; }
  QMenu* PopupMenu() const { return pmuGroups_; }
  const std::vector<TGroupRow>& Rows() const { return rows_; }
  const std::string& GroupExpression() const { return groupExpression_; }
  const TPlanet* DistancePlanet() const { return distancePlanet_; }
  TExportZnListView& Exporter() const { return *exporter_; }
  // The selected rows, from the top; with `ownOnly` only the records of the analysis.
  std::vector<const TGroupRow*> CollectSelectedGroups(bool ownOnly) const;
  void PreparePopup();

  // The window's commands.
  void SelectByExpression();
  void SelectInCurrentView();
  void CalculateDistances();
  void Upgrade();
  void Unload();
  void SendGroups(TSendMode mode);
  void AddToDefender();
  void AddToAttacker();
  void MarkPlanets();
  void UnmarkPlanets();
  void FindGroupInOrders();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void RefreshGame(TGameChanges changes) override;
  void LoadOwnState() override;
  void SaveOwnState() override;

 private:
  void FirstShow();
  // The analysis the rows read: the orders window's, else one of an empty order text.
  const TOrderAnalysis* Analysis();
  IExpressionService& Expressions();
  std::vector<TGroupItem> Candidates();
  void ShowRows(std::vector<TGroupRow> rows);
  void ShowItems(const std::vector<TGroupItem>& items, bool ownerFilters);
  void CurrentRowChanged(int viewRow);
  void HandToSimulator(bool defender);
  std::optional<std::string> Chosen(const QComboBox* box) const;

  GameState& state_;
  UserInterface& ui_;
  const TServices& services_;
  TznListView* lvGroups_;
  QComboBox* cbxGROwners_;
  QComboBox* cbxPTOwners_;
  QPushButton* btnExpressions_;
  QPushButton* Button1_;
  QMenu* pmuGroups_;
  QAction* mniMark_;
  QAction* mniSendToPlanet_;
  QAction* mniSendGroupToPlanets_;
  QAction* mniSendToPlanets_;
  QAction* mniUpgrade_;
  QAction* mniUnload_;
  QAction* mniDefender_;
  QAction* mniAttacker_;
  QAction* mniDistances_;
  QAction* mniCentered_;
  QAction* mniTopMost_;
  TTopMostWindow* topMost_;
  std::unique_ptr<TExportZnListView> exporter_;
  TAllPassExpressions allPass_;
  // Placeholder until the orders window analyses an order text: the analysis of no orders,
  // which keeps every own group whole where it is.
  std::unique_ptr<TOrderAnalysis> noOrders_;
  std::vector<TGroup*> otherGroups_;
  std::vector<TGroupRow> rows_;
  std::string groupExpression_;
  const TPlanet* distancePlanet_ = nullptr;
  int lastSyncedRow_ = -1;
  bool shown_ = false;
  bool filling_ = false;
};

}  // namespace tovix

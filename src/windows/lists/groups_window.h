#pragma once
// "Groups": the other races' groups standing at planets in the last turn and the user's groups
// as the order analysis splits them, filtered by a stored group expression and by the owners of
// the groups and of their planets. The selection follows on the map (the reach rings of the
// focused group) and in the planet information window; the popup writes upgrade and unload
// orders and hands groups to the destination picker and the battle simulator.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "views/group_list_rows.h"
#include "windows/lists/filtered_list_window.h"

class QAction;
class QComboBox;

namespace tovix {

class TfrmGroups : public TFilteredListWindow {
  Q_OBJECT

 public:
  TfrmGroups(GameState& state, TznSaveState& store, UserInterface& ui, const TServices& services,
             QWidget* parent = nullptr);
  ~TfrmGroups() override;

  // Fills the rows from the candidates, the stored expression and the owner filters.
  void FillGroupList();
  // The same under the hourglass (after an analysis; F5; the owner combos).
  void RefreshGroupList();

  QComboBox* GroupOwnerBox() const { return cbxGROwners_; }
  QComboBox* PlanetOwnerBox() const { return cbxPTOwners_; }
  const std::vector<TGroupRow>& Rows() const { return rows_; }
  const std::string& GroupExpression() const { return groupExpression_; }
  const TPlanet* DistancePlanet() const { return distancePlanet_; }
  // The selected rows, from the top; with `ownOnly` only the records of the analysis.
  std::vector<const TGroupRow*> CollectSelectedGroups(bool ownOnly) const;
  void PreparePopup() override;

  // The window's commands.
  void SelectByExpression() override;
  void SelectInCurrentView() override;
  void CalculateDistances();
  void Upgrade();
  void Unload();
  void SendGroups(TSendMode mode);
  void AddToDefender();
  void AddToAttacker();
  void FindGroupInOrders();

 private:
  void FirstShow() override;
  void ForgetGame() override;
  void RefreshRows() override;
  void FollowRow(int row) override;
  std::vector<TPlanet*> SelectedRowPlanets() const override;
  // The analysis the rows read: the orders window's, else one of an empty order text.
  const TOrderAnalysis* Analysis();
  std::vector<TGroupItem> Candidates();
  void ShowRows(std::vector<TGroupRow> rows);
  void ShowItems(const std::vector<TGroupItem>& items, bool ownerFilters);
  void HandToSimulator(bool defender);

  QComboBox* cbxGROwners_;
  QComboBox* cbxPTOwners_;
  QAction* mniMark_;
  QAction* mniSendToPlanet_;
  QAction* mniSendGroupToPlanets_;
  QAction* mniSendToPlanets_;
  QAction* mniUpgrade_;
  QAction* mniUnload_;
  QAction* mniDefender_;
  QAction* mniAttacker_;
  QAction* mniDistances_;
  // Placeholder until the orders window analyses an order text: the analysis of no orders,
  // which keeps every own group whole where it is.
  std::unique_ptr<TOrderAnalysis> noOrders_;
  std::vector<TGroup*> otherGroups_;
  std::vector<TGroupRow> rows_;
  std::string groupExpression_;
  const TPlanet* distancePlanet_ = nullptr;
};

}  // namespace tovix

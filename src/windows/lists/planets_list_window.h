#pragma once
// "Planets List": every planet in a 20-column sortable list, filtered by owner or by an
// expression, with the sort in the caption, distances from a chosen planet, map marks, the
// orders its popup writes (rename, develop, produce, claim, elite names) and export. The
// order-dependent columns are written again after each analysis of the orders.

#include <functional>
#include <string>
#include <vector>

#include "views/planet_list_rows.h"
#include "windows/lists/filtered_list_window.h"

class QAction;
class QComboBox;
class QPushButton;

namespace tovix {

class TfrmPlanetslist : public TFilteredListWindow {
  Q_OBJECT

 public:
  TfrmPlanetslist(GameState& state, TznSaveState& store, UserInterface& ui,
                  const TServices& services, QWidget* parent = nullptr);
  ~TfrmPlanetslist() override;

  // Asks for a text (title, prompt, initial text); false on cancel. Replaceable for tests.
  std::function<bool(const std::string&, const std::string&, std::string&)> AskText;
  // Shows the calculations window ("Calculate").
  std::function<void()> ShowCalculations;

  // Rewrites the order-dependent columns of every row (after an analysis; F5).
  void RefreshOrderColumns();

  QComboBox* OwnerBox() const { return cbxPlayers_; }
  const std::vector<TPlanetRow>& Rows() const { return rows_; }
  // The planets of the selected rows, from the top.
  std::vector<TPlanet*> SelectedPlanets() const;
  void PreparePopup() override;

  // The window's commands.
  void OwnerChosen();
  void SelectByExpression() override;
  void SelectInCurrentView() override;
  void CalculateDistanceFrom();
  void RenamePlanet();
  void DevelopPlanets();
  void ProducePlanets();
  void ClaimPlanets();
  void CreateEliteNames();
  void FindPlanetInOrders();

 private:
  void FirstShow() override;
  void ForgetGame() override;
  void RefreshRows() override;
  void FollowRow(int row) override;
  std::vector<TPlanet*> SelectedRowPlanets() const override;
  void ShowRows(std::vector<TPlanetRow> rows);
  void InsertPlanetLines(const std::vector<std::string>& lines);
  TPlanetRow* FocusedRow();

  QComboBox* cbxPlayers_;
  QPushButton* btnCalculate_;
  QPushButton* btnRefresh_;
  QAction* mniProduce_;
  QAction* mniDevelop_;
  QAction* mniFind_;
  QAction* mniRename_;
  QAction* mniClaim_;
  QAction* mniEliteName_;
  QAction* mniDistance_;
  QAction* mniMark_;
  std::vector<TPlanetRow> rows_;
  TPlanet* distanceFrom_ = nullptr;  // the planet "Dist." is measured from
  std::string productionItem_;       // the item last chosen to produce
};

}  // namespace tovix

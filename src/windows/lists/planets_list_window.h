#pragma once
// "Planets List": every planet in a 20-column sortable list, filtered by owner or by an
// expression, with the sort in the caption, distances from a chosen planet, map marks, the
// orders its popup writes (rename, develop, produce, claim, elite names) and export. The
// order-dependent columns are written again after each analysis of the orders.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "views/planet_list_rows.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QComboBox;
class QMenu;
class QPushButton;

namespace tovix {

class TExportZnListView;
class TznListView;

class TfrmPlanetslist : public TToolWindow {
  Q_OBJECT

 public:
  TfrmPlanetslist(GameState& state, TznSaveState& store, UserInterface& ui,
                  const TServices& services, QWidget* parent = nullptr);
  ~TfrmPlanetslist() override;

  // Asks for a text (title, prompt, initial text); false on cancel. Replaceable for tests.
  std::function<bool(const std::string&, const std::string&, std::string&)> AskText;
  // Shows the calculations window ("Calculate").
  std::function<void()> ShowCalculations;
  // The main window's caption at the moment, the footer of an export.
  std::function<std::string()> MainCaption;

  // Rewrites the order-dependent columns of every row (after an analysis; F5).
  void RefreshOrderColumns();

  TznListView* List() const { return lvPlanets_; }
  QComboBox* OwnerBox() const { return cbxPlayers_; }
  QMenu* PopupMenu() const { return pmuPlanets_; }
  const std::vector<TPlanetRow>& Rows() const { return rows_; }
  TExportZnListView& Exporter() const { return *exporter_; }
  // The planets of the selected rows, from the top.
  std::vector<TPlanet*> SelectedPlanets() const;
  // Enables the popup's items for the current selection, as before it opens.
  void PreparePopup();

  // The window's commands.
  void OwnerChosen();
  void SelectByExpression();
  void SelectInCurrentView();
  void CalculateDistanceFrom();
  void RenamePlanet();
  void DevelopPlanets();
  void ProducePlanets();
  void ClaimPlanets();
  void CreateEliteNames();
  void MarkPlanets();
  void UnmarkPlanets();
  void FindPlanetInOrders();
  void ExportRows();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void RefreshGame(TGameChanges changes) override;
  void LoadOwnState() override;
  void SaveOwnState() override;

 private:
  void FirstShow();
  void ShowRows(std::vector<TPlanetRow> rows);
  std::optional<std::string> ChosenOwner() const;
  void SortBegins(int column, bool descending);
  void CurrentRowChanged(int viewRow);
  void InsertPlanetLines(const std::vector<std::string>& lines);
  TPlanetRow* FocusedRow();

  GameState& state_;
  UserInterface& ui_;
  const TServices& services_;
  TznListView* lvPlanets_;
  QComboBox* cbxPlayers_;
  QPushButton* btnExpressions_;
  QPushButton* btnCalculate_;
  QPushButton* Button1_;
  QPushButton* btnRefresh_;
  QMenu* pmuPlanets_;
  QAction* mniProduce_;
  QAction* mniDevelop_;
  QAction* mniFind_;
  QAction* mniRename_;
  QAction* mniClaim_;
  QAction* mniEliteName_;
  QAction* mniDistance_;
  QAction* mniMark_;
  QAction* mniCentered_;
  std::unique_ptr<TExportZnListView> exporter_;
  std::vector<TPlanetRow> rows_;
  TPlanet* distanceFrom_ = nullptr;  // the planet "Dist." is measured from
  std::string productionItem_;       // the item last chosen to produce
  int lastSyncedRow_ = -1;
  bool shown_ = false;
  bool filling_ = false;
};

}  // namespace tovix

#pragma once
// The frame of the planet and the group list: a bar of filters above one list of rows, which the
// user narrows by expressions ("Expressions", "Expressions in Current View"); a popup menu; an
// export of the rows with the main window's caption below them; the sort in the caption; the map
// and the planet information following the current row; F5 (the rows again) and F6 (analyse
// the orders); the list's layout, "View planets centered" and "Top Most" kept in the store.
//
// The window builds itself in the order of its focus chain: the bar's own widgets with
// AddBarButton between them, then MakeList, then the popup's items.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "controls/list_row_model.h"
#include "core/base/user_interface.h"
#include "windows/base/services.h"
#include "windows/base/tool_window.h"

class QAction;
class QComboBox;
class QHBoxLayout;
class QKeySequence;
class QMenu;
class QPushButton;

namespace tovix {

class TExportZnListView;
class TFollowedRow;
class TPlanet;
class TznListView;

class TFilteredListWindow : public TToolWindow {
  Q_OBJECT

 public:
  ~TFilteredListWindow() override;

  // The main window's caption at the moment, the footer of an export.
  std::function<std::string()> MainCaption;

  TznListView* List() const { return list_; }
  QMenu* PopupMenu() const { return popup_; }
  TExportZnListView& Exporter() const { return *exporter_; }
  // Enables the popup's items for the current selection, as before it opens.
  virtual void PreparePopup() = 0;

  // The window's commands.
  virtual void SelectByExpression() = 0;
  virtual void SelectInCurrentView() = 0;
  // Exports the rows ("Export").
  void ExportRows();
  // Marks the planets of the selected rows on the map.
  void MarkPlanets();
  void UnmarkPlanets();

 protected:
  // `section` is the window's name and its section in the store.
  TFilteredListWindow(std::string stateName, int helpContext, const char* section, GameState& state,
                      TznSaveState& store, UserInterface& ui, const TServices& services,
                      QWidget* parent);

  // A button at the end of the bar; a choice of owners, `label` before it when given.
  QPushButton* AddBarButton(const char* text, const char* name);
  QComboBox* AddOwnerBox(const char* name, int minimumLength, const char* label = nullptr);
  // The two expression buttons.
  void AddExpressionsButton();
  void AddCurrentViewButton();
  // Ends the bar and makes the list below it. Its text columns (`isText`) are left-aligned and
  // `textWidth` wide at first, the figures right-aligned and `figureWidth` wide; `compare`
  // orders the rows, `sortCaption` names a sort in the window's caption, and the export is
  // headed `exportHeader`.
  void MakeList(std::span<const char* const> captions, const std::function<bool(int)>& isText,
                int textWidth, int figureWidth, TListRowModel::TCompareFunction compare,
                std::string (*sortCaption)(bool descending, int column), std::string exportHeader);
  // "View planets centered", checked at first, and "Top Most" at the end of the popup.
  void AddCenteredItem(const char* text, const QKeySequence& key);
  void AddTopMostItem();
  bool Centered() const;

  bool Shown() const { return shown_; }
  // The expression dialogs; every row passes while there are none.
  IExpressionService& Expressions();
  // Gives the list new rows through `setRows` without the others following.
  void SetRows(const std::function<void()>& setRows);
  // The owner chosen in `box`; none for its first item (all owners).
  static std::optional<std::string> ChosenOwner(const QComboBox& box);

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // A new read of the game: what points into the old model goes and a shown window starts
  // again as at its first show. A new analysis of the orders: the rows again.
  void RefreshGame(TGameChanges changes) override;
  void LoadOwnState() override;
  void SaveOwnState() override;

  GameState& state_;
  UserInterface& ui_;
  const TServices& services_;
  TznListView* list_ = nullptr;
  QMenu* popup_ = nullptr;

 private:
  // At the first show, before the window shows; again after a new read of the game.
  virtual void FirstShow() = 0;
  // The game is read anew: what points into the old model goes.
  virtual void ForgetGame() = 0;
  // The rows again (F5, a new analysis of the orders).
  virtual void RefreshRows() = 0;
  // The map and the planet information follow the current row (the window's index).
  virtual void FollowRow(int row) = 0;
  // The planets of the selected rows, from the top (a row may have none).
  virtual std::vector<TPlanet*> SelectedRowPlanets() const = 0;

  std::string section_;
  QHBoxLayout* bar_;
  QPushButton* btnExpressions_ = nullptr;
  QPushButton* Button1_ = nullptr;
  TAllPassExpressions allPass_;
  QAction* mniCentered_ = nullptr;
  QAction* mniTopMost_ = nullptr;
  std::unique_ptr<TExportZnListView> exporter_;
  std::unique_ptr<TFollowedRow> followed_;
  bool shown_ = false;
};

}  // namespace tovix

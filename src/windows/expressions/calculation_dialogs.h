#pragma once
// "Expression Filters" (a set of planets from one group or planet expression, which other
// windows read) and "Calculations" (the sum of one planet expression over the planets another
// chooses).

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/settings/save_state.h"
#include "windows/base/services.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tovix {

class TOrderAnalysis;

// Opens the named-expression window for groups (true) or planets (false); the chosen text, or
// empty on cancel.
using TChooseExpression = std::function<std::string(bool groups)>;
using TAnalysisSource = std::function<const TOrderAnalysis*()>;

class TfrmExpressionFilters : public QDialog, public IExpressionFilterService, public IFormState {
  Q_OBJECT

 public:
  TfrmExpressionFilters(GameState& state, TznSaveState& store, UserInterface& ui,
                        TChooseExpression choose, TAnalysisSource analysis,
                        QWidget* parent = nullptr);

  // IExpressionFilterService. FilteredPlanets holds every planet until the first filter.
  void SelectAllPlanets() override;
  bool ExecuteExpressionFilter() override;
  const std::vector<TPlanet*>& FilteredPlanets() const override { return filtered_; }
  // In place of the modal loop (tests and pictures): runs while the dialog would be shown and
  // returns true for OK.
  std::function<bool(TfrmExpressionFilters&)> RunDialog;

  // IFormState: the expression type is kept ("ExpressionFilters", "RadioGroup1"), no placement.
  void SaveState() override;
  void LoadState() override;
  std::string StateSectionName() const override { return "Expression Filters"; }

  const std::string& Expression() const { return expression_; }
  // Item 0: groups expression, item 1: planets expression.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // OK: asks for an expression; an empty one closes with Cancel and keeps the set. A filter that
  // fails says how ("Error in expression: ...") and keeps the set and the window.
  void OkClicked();
  // The filter run of OK with a given expression: the new set, or the set kept and the error
  // shown; true on success.
  bool ApplyExpression(bool groups, const std::string& text);

 private:
  GameState& state_;
  TznSaveState& store_;
  UserInterface& ui_;
  TChooseExpression choose_;
  TAnalysisSource analysis_;
  std::vector<TPlanet*> filtered_;
  std::string expression_;
  QRadioButton* rbGroups_;
  QRadioButton* rbPlanets_;
};

class TfrmCalculations : public QDialog {
  Q_OBJECT

 public:
  TfrmCalculations(GameState& state, TChooseExpression choose, TAnalysisSource analysis,
                   std::function<std::vector<TPlanet*>()> selectedPlanets,
                   QWidget* parent = nullptr);

  QComboBox* Where() const { return where_; }
  QComboBox* What() const { return what_; }
  QPlainTextEdit* Result() const { return memo_; }
  void CalculateClicked();

 private:
  GameState& state_;
  TChooseExpression choose_;
  TAnalysisSource analysis_;
  std::function<std::vector<TPlanet*>()> selectedPlanets_;
  QComboBox* where_;
  QComboBox* what_;
  QPlainTextEdit* memo_;
};

}  // namespace tovix

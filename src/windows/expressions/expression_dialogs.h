#pragma once
// The named-expression window (both lists of one kind; it provides the expression service) and
// the expression builder it opens for New, Change and Copy.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "expressions/named_expressions.h"
#include "windows/base/services.h"

class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace tovix {

// The builder: edits item `index` of a list (or a new one). Test evaluates the memo's text.
class TfrmExpressionBuilder : public QDialog {
  Q_OBJECT

 public:
  TfrmExpressionBuilder(TExpressionKind kind, const TExpressions& list, int index,
                        std::function<std::string(const std::string&)> test, UserInterface& ui,
                        QWidget* parent = nullptr);

  // The memo's text as stored (line breaks and no-break spaces as blanks) and the name.
  std::string ExpressionText() const;
  std::string NameText() const;
  QLineEdit* NameField() const { return edtName_; }
  QPlainTextEdit* Memo() const { return memo_; }
  QPushButton* OkButton() const { return btnOk_; }
  QListWidget* Categories() const { return lstCategories_; }
  QListWidget* Entries() const { return lstEntries_; }
  // The entries' pop-up menu: "Add", as the button.
  QMenu* EntriesMenu() const { return pmuEntries_; }
  void LoadTemplate(int index);

  // Opens the builder on item `index` of `list` (-1: a new item). On OK the item gets the
  // builder's name and text (a new one is appended and `index` becomes its index); true.
  static bool Execute(TExpressionKind kind, TExpressions& list, int& index,
                      std::function<std::string(const std::string&)> test, UserInterface& ui,
                      QWidget* parent);

 private:
  void UpdateOk();
  void AddEntry();
  void accept() override;

  TExpressionKind kind_;
  const TExpressions& list_;
  int index_;
  std::function<std::string(const std::string&)> test_;
  UserInterface& ui_;
  std::vector<TBuilderCategory> categories_;
  QListWidget* lstCategories_;
  QListWidget* lstEntries_;
  QPlainTextEdit* memo_;
  QLineEdit* edtName_;
  QPushButton* btnAdd_;
  QMenu* pmuEntries_;
  QAction* mniAdd_;
  QPushButton* btnOk_;
};

// "Groups Expressions" / "Planets Expressions": the local list (upper) and the global list
// (lower) of one kind; each show reads both from their files, each hide saves them.
class TfrmSelectExpressions : public QDialog, public IExpressionService {
  Q_OBJECT

 public:
  TfrmSelectExpressions(GameState& state, UserInterface& ui, std::filesystem::path programFolder,
                        std::function<const TOrderAnalysis*()> analysis, QWidget* parent = nullptr);

  // IExpressionService.
  std::vector<TPlanet*> SelectPlanetsByExpression(const std::vector<TPlanet*>& source) override;
  bool SelectGroupsByExpression(const std::vector<TGroupItem>& source,
                                std::vector<TGroupItem>& chosen, std::string& expression) override;
  std::vector<TGroupItem> FilterGroupsByExpression(const std::string& expression,
                                                   const std::vector<TGroupItem>& source) override;

  // The chosen expression's text; empty on cancel.
  std::string SelectGroupExpression() { return Choose(TExpressionKind::Groups); }
  std::string SelectPlanetExpression() { return Choose(TExpressionKind::Planets); }

  // Sets the window up for a kind and reads both lists (the show step, for callers and tests
  // that drive the window without its modal loop); Finish is the hide step.
  void Setup(TExpressionKind kind);
  void Finish();
  TExpressionLists& Lists() { return lists_; }
  QListWidget* LocalList() const { return lstExpressions_; }
  QListWidget* GlobalList() const { return lstExpressionsGlobal_; }
  const std::string& SelectedExpression() const { return selected_; }
  // The commands, by list (false: local, true: global).
  void NewExpression(bool global);
  void ChangeExpression(bool global);
  void CopyExpression(bool global);
  void DeleteExpression(bool global);
  void TestExpression(bool global);
  void MoveUp();
  void MoveDown();
  void Use(bool global);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  std::string Choose(TExpressionKind kind);
  TExpressions& ListOf(bool global);
  QListWidget* BoxOf(bool global) const;
  std::string SelectedName(bool global) const;
  void Refill(bool global, const std::string& select);
  void UpdateActions();
  std::string Test(const std::string& expression, const std::string& label);

  GameState& state_;
  UserInterface& ui_;
  std::filesystem::path folder_;
  std::function<const TOrderAnalysis*()> analysis_;
  TExpressionLists lists_;
  bool open_ = false;
  std::string selected_;
  QListWidget* lstExpressions_;
  QListWidget* lstExpressionsGlobal_;
  QPushButton* btnUp_;
  QPushButton* btnDown_;
  QPushButton* btnLocal_;
  QPushButton* btnGlobal_;
  std::vector<QAction*> localNeedsSelection_;
  std::vector<QAction*> globalNeedsSelection_;
};

}  // namespace tovix

#include "windows/expressions/expression_dialogs.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "expressions/expression_filters.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"
#include "windows/dialogs/lookup_dialog.h"

namespace tovix {

namespace {

QString Q(const std::string& s) {
  return FromLatin1(s);
}

// The expression lists are Latin-1 text, as every name and text of the model.
constexpr TTextTarget kNameTarget{TCodePage::Latin1, "The name", "the expression list"};
constexpr TTextTarget kExpressionTarget{TCodePage::Latin1, "The expression", "the expression list"};

// Loading text into the memo drops leading empty lines while at least two lines remain.
QString MemoText(const std::string& text) {
  QStringList lines = Q(text).split('\n');
  while (lines.size() > 2 && lines.front().trimmed().isEmpty()) lines.pop_front();
  return lines.join('\n');
}

}  // namespace

// ---- The builder ---------------------------------------------------------------------------

TfrmExpressionBuilder::TfrmExpressionBuilder(TExpressionKind kind, const TExpressions& list,
                                             int index,
                                             std::function<std::string(const std::string&)> test,
                                             UserInterface& ui, QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      list_(list),
      index_(index),
      test_(std::move(test)),
      ui_(ui),
      categories_(BuilderCategories(kind)) {
  setObjectName("frmExpressionBuilder");
  setWindowTitle("Expression Builder");
  lstCategories_ = new QListWidget(this);
  lstEntries_ = new QListWidget(this);
  memo_ = new QPlainTextEdit(this);
  edtName_ = new QLineEdit(this);
  btnAdd_ = new QPushButton("Add", this);
  auto* btnTemplates = new QPushButton("Templates", this);
  auto* btnTest = new QPushButton("Test", this);
  btnOk_ = new QPushButton("OK", this);
  auto* btnCancel = new QPushButton("Cancel", this);
  btnTest->setVisible(static_cast<bool>(test_));

  for (const TBuilderCategory& c : categories_)
    if (!c.Entries.empty()) lstCategories_->addItem(Q(c.Name));

  auto* lists = new QHBoxLayout;
  lists->addWidget(lstCategories_);
  lists->addWidget(lstEntries_);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel("Name:", this));
  nameRow->addWidget(edtName_);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {btnAdd_, btnTemplates, btnTest}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(btnOk_);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addWidget(memo_);
  layout->addLayout(nameRow);
  layout->addLayout(buttons);
  resize(560, 420);

  if (index_ >= 0 && index_ < static_cast<int>(list_.ExpressionList.size())) {
    memo_->setPlainText(MemoText(list_.ExpressionList[index_].Expression));
    edtName_->setText(Q(list_.ExpressionList[index_].ExpressionName));
  }

  connect(lstCategories_, &QListWidget::currentRowChanged, this, [this](int row) {
    lstEntries_->clear();
    if (row < 0) return;
    const QString name = lstCategories_->item(row)->text();
    for (const TBuilderCategory& c : categories_)
      if (Q(c.Name) == name)
        for (const std::string& e : c.Entries) lstEntries_->addItem(Q(e));
    UpdateOk();
  });
  connect(lstEntries_, &QListWidget::currentRowChanged, this, [this] { UpdateOk(); });
  connect(lstEntries_, &QListWidget::itemDoubleClicked, this, [this] { AddEntry(); });
  connect(btnAdd_, &QPushButton::clicked, this, &TfrmExpressionBuilder::AddEntry);
  pmuEntries_ = new QMenu(this);
  mniAdd_ = pmuEntries_->addAction("Add", this, &TfrmExpressionBuilder::AddEntry);
  lstEntries_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lstEntries_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    // A right click chooses the entry under it first, as a left click would.
    if (QListWidgetItem* item = lstEntries_->itemAt(at)) lstEntries_->setCurrentItem(item);
    pmuEntries_->popup(lstEntries_->viewport()->mapToGlobal(at));
  });
  connect(btnTemplates, &QPushButton::clicked, this, [this] {
    std::vector<std::string> names;
    for (const TExpressionTemplate& t : ExpressionTemplates(kind_)) names.push_back(t.Name);
    int chosen = 0;
    if (LookUpIndex("Expression Templates", names, chosen)) LoadTemplate(chosen);
  });
  connect(btnTest, &QPushButton::clicked, this, [this] {
    if (TypedTextFits(memo_->toPlainText(), kExpressionTarget, ui_))
      ui_.ShowMessage(test_(ExpressionText()));
  });
  connect(btnOk_, &QPushButton::clicked, this, &TfrmExpressionBuilder::accept);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmExpressionBuilder::reject);
  connect(edtName_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  UpdateOk();
}

// Both are whole once OK is taken: it refuses a character the lists cannot hold.
std::string TfrmExpressionBuilder::ExpressionText() const {
  return CleanBuilderText(EncodeTyped(memo_->toPlainText(), kExpressionTarget.Page).value_or(""));
}

std::string TfrmExpressionBuilder::NameText() const {
  return EncodeTyped(edtName_->text(), kNameTarget.Page).value_or("");
}

void TfrmExpressionBuilder::LoadTemplate(int index) {
  const auto templates = ExpressionTemplates(kind_);
  if (index < 0 || index >= static_cast<int>(templates.size())) return;
  memo_->setPlainText(MemoText(templates[index].Expression));
  edtName_->setText(Q(templates[index].Name));
}

void TfrmExpressionBuilder::UpdateOk() {
  btnAdd_->setEnabled(lstEntries_->currentRow() >= 0);
  mniAdd_->setEnabled(btnAdd_->isEnabled());
  // An empty name leaves OK enabled so that pressing it can say what is missing, and so does a
  // name the lists cannot hold (it equals none of theirs).
  const std::optional<std::string> name = EncodeTyped(edtName_->text(), kNameTarget.Page);
  btnOk_->setEnabled(!name || name->empty() || BuilderNameAcceptable(list_, *name, index_));
}

void TfrmExpressionBuilder::AddEntry() {
  if (QListWidgetItem* item = lstEntries_->currentItem()) {
    memo_->textCursor().insertText(item->text());
    memo_->setFocus();
  }
}

void TfrmExpressionBuilder::accept() {
  if (!TypedTextFits(edtName_->text(), kNameTarget, ui_) ||
      !TypedTextFits(memo_->toPlainText(), kExpressionTarget, ui_))
    return;
  if (NameText().empty()) {
    ui_.ShowMessage("Please enter a name.");
    edtName_->setFocus();
    return;
  }
  if (!BuilderNameAcceptable(list_, NameText(), index_)) return;
  QDialog::accept();
}

bool TfrmExpressionBuilder::Execute(TExpressionKind kind, TExpressions& list, int& index,
                                    std::function<std::string(const std::string&)> test,
                                    UserInterface& ui, QWidget* parent) {
  TfrmExpressionBuilder builder(kind, list, index, std::move(test), ui, parent);
  if (builder.exec() != QDialog::Accepted) return false;
  if (index < 0 || index >= static_cast<int>(list.ExpressionList.size())) {
    TExpressionItem& item = list.Add();
    item.ExpressionType = kind == TExpressionKind::Groups ? etGroup : etPlanet;
    index = static_cast<int>(list.ExpressionList.size()) - 1;
  }
  list.ExpressionList[index].Expression = builder.ExpressionText();
  list.ExpressionList[index].ExpressionName = builder.NameText();
  return true;
}

// ---- The selection window ------------------------------------------------------------------

TfrmSelectExpressions::TfrmSelectExpressions(GameState& state, UserInterface& ui,
                                             std::filesystem::path programFolder,
                                             std::function<const TOrderAnalysis*()> analysis,
                                             QWidget* parent)
    : QDialog(parent),
      state_(state),
      ui_(ui),
      folder_(std::move(programFolder)),
      analysis_(std::move(analysis)) {
  setObjectName("frmSelectExpressions");
  setWindowTitle(ExpressionKindCaption(TExpressionKind::Planets));
  lstExpressions_ = new QListWidget(this);
  lstExpressions_->setObjectName("lstExpressions");
  lstExpressionsGlobal_ = new QListWidget(this);
  lstExpressionsGlobal_->setObjectName("lstExpressionsGlobal");
  btnUp_ = new QPushButton("Up", this);
  btnDown_ = new QPushButton("Down", this);
  btnLocal_ = new QPushButton("Local", this);
  btnLocal_->setDefault(true);
  btnGlobal_ = new QPushButton("Global", this);
  auto* btnCancel = new QPushButton("Cancel", this);

  auto* menus = new QMenuBar(this);
  auto fill = [this](QMenu* menu, bool global, bool withCopy) {
    auto add = [&](const char* text, void (TfrmSelectExpressions::*command)(bool), bool needs) {
      QAction* a =
          menu->addAction(text, this, [this, command, global] { (this->*command)(global); });
      if (needs) (global ? globalNeedsSelection_ : localNeedsSelection_).push_back(a);
    };
    add("&New", &TfrmSelectExpressions::NewExpression, false);
    add("&Change", &TfrmSelectExpressions::ChangeExpression, true);
    add("&Delete", &TfrmSelectExpressions::DeleteExpression, true);
    if (withCopy) add(global ? "&Copy" : "C&opy", &TfrmSelectExpressions::CopyExpression, true);
    add(global ? "&Test Expressions" : "&Test Expression", &TfrmSelectExpressions::TestExpression,
        true);
  };
  fill(menus->addMenu("&Local"), false, false);
  fill(menus->addMenu("&Global"), true, false);
  QMenu* help = menus->addMenu("&Help");
  help->addAction("&Valid Variables", this,
                  [this] { ui_.ShowMessage(ValidVariablesText(lists_.Kind)); });
  for (bool global : {false, true}) {
    QListWidget* box = BoxOf(global);
    auto* popup = new QMenu(box);
    fill(popup, global, true);
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this,
            [box, popup](const QPoint& at) { popup->popup(box->mapToGlobal(at)); });
    connect(box, &QListWidget::itemSelectionChanged, this, &TfrmSelectExpressions::UpdateActions);
    connect(box, &QListWidget::itemDoubleClicked, this,
            [this, global] { ChangeExpression(global); });
  }
  connect(btnUp_, &QPushButton::clicked, this, &TfrmSelectExpressions::MoveUp);
  connect(btnDown_, &QPushButton::clicked, this, &TfrmSelectExpressions::MoveDown);
  connect(btnLocal_, &QPushButton::clicked, this, [this] { Use(false); });
  connect(btnGlobal_, &QPushButton::clicked, this, [this] { Use(true); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* moves = new QHBoxLayout;
  moves->addWidget(new QLabel("Global expressions:", this));
  moves->addStretch();
  moves->addWidget(btnUp_);
  moves->addWidget(btnDown_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnLocal_);
  buttons->addWidget(btnGlobal_);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menus);
  layout->addWidget(new QLabel("Local expressions:", this));
  layout->addWidget(lstExpressions_);
  layout->addLayout(moves);
  layout->addWidget(lstExpressionsGlobal_);
  layout->addLayout(buttons);
  resize(420, 440);
  UpdateActions();
}

void TfrmSelectExpressions::Setup(TExpressionKind kind) {
  setWindowTitle(ExpressionKindCaption(kind));
  selected_.clear();
  lists_.Open(folder_, kind, state_.Settings.GetGameSection(), ui_);
  open_ = true;
  Refill(false, lists_.Local.List.CurrentExpression);
  Refill(true, lists_.Global.List.CurrentExpression);
}

void TfrmSelectExpressions::Finish() {
  if (!open_) return;
  open_ = false;
  lists_.Close(SelectedName(false), SelectedName(true), ui_);
}

void TfrmSelectExpressions::hideEvent(QHideEvent* event) {
  Finish();
  QDialog::hideEvent(event);
}

std::string TfrmSelectExpressions::Choose(TExpressionKind kind) {
  Setup(kind);
  if (isMinimized()) showNormal();
  const bool ok = exec() == QDialog::Accepted;
  Finish();
  return ok ? selected_ : std::string();
}

std::vector<TPlanet*> TfrmSelectExpressions::SelectPlanetsByExpression(
    const std::vector<TPlanet*>& source) {
  Setup(TExpressionKind::Planets);
  const bool ok = exec() == QDialog::Accepted;
  Finish();
  if (!ok) return source;
  TListFilterReport report;
  std::vector<TPlanet*> chosen = FilterPlanetList(state_, analysis_(), selected_, source, &report);
  // A failing test keeps its planet; when every one failed the filter chose nothing.
  if (report.FailedEverywhere())
    ui_.ShowMessage(FilterFailureMessage(selected_, report, "planets"));
  return chosen;
}

bool TfrmSelectExpressions::SelectGroupsByExpression(const std::vector<TGroupItem>& source,
                                                     std::vector<TGroupItem>& chosen,
                                                     std::string& expression) {
  chosen.clear();
  expression.clear();
  Setup(TExpressionKind::Groups);
  const bool ok = exec() == QDialog::Accepted;
  Finish();
  if (!ok) return false;
  chosen = FilterGroupsByExpression(selected_, source);
  expression = selected_;
  return true;
}

std::vector<TGroupItem> TfrmSelectExpressions::FilterGroupsByExpression(
    const std::string& expression, const std::vector<TGroupItem>& source) {
  std::vector<TGroupSubject> subjects;
  subjects.reserve(source.size());
  for (const TGroupItem& item : source) subjects.push_back({item.Group, item.Record});
  std::vector<TGroupItem> passed;
  TListFilterReport report;
  for (size_t i : FilterGroupSubjects(state_, analysis_(), expression, subjects, &report))
    passed.push_back(source[i]);
  if (report.FailedEverywhere())
    ui_.ShowMessage(FilterFailureMessage(expression, report, "groups"));
  return passed;
}

TExpressions& TfrmSelectExpressions::ListOf(bool global) {
  return global ? lists_.Global.List : lists_.Local.List;
}

QListWidget* TfrmSelectExpressions::BoxOf(bool global) const {
  return global ? lstExpressionsGlobal_ : lstExpressions_;
}

std::string TfrmSelectExpressions::SelectedName(bool global) const {
  const QListWidgetItem* item = BoxOf(global)->currentItem();
  return item && item->isSelected() ? ToLatin1(item->text()) : std::string();
}

void TfrmSelectExpressions::Refill(bool global, const std::string& select) {
  QListWidget* box = BoxOf(global);
  box->clear();
  const TExpressions& list = ListOf(global);
  for (const TExpressionItem& item : list.ExpressionList) box->addItem(Q(item.ExpressionName));
  const int row = select.empty() ? -1 : list.IndexOf(select);
  if (row >= 0) box->setCurrentRow(row);
  UpdateActions();
}

void TfrmSelectExpressions::UpdateActions() {
  const bool local = !SelectedName(false).empty();
  const bool global = !SelectedName(true).empty();
  for (QAction* a : localNeedsSelection_) a->setEnabled(local);
  for (QAction* a : globalNeedsSelection_) a->setEnabled(global);
  btnLocal_->setEnabled(local);
  btnGlobal_->setEnabled(global);
  btnUp_->setEnabled(global && lists_.Local.List.IndexOf(SelectedName(true)) < 0);
  btnDown_->setEnabled(local && lists_.Global.List.IndexOf(SelectedName(false)) < 0);
}

std::string TfrmSelectExpressions::Test(const std::string& expression, const std::string& label) {
  return TestExpressionMessage(state_, analysis_(), lists_.Kind, expression, label);
}

void TfrmSelectExpressions::NewExpression(bool global) {
  int index = -1;
  auto test = [this](const std::string& text) { return Test(text, text); };
  if (TfrmExpressionBuilder::Execute(lists_.Kind, ListOf(global), index, test, ui_, this))
    Refill(global, ListOf(global).ExpressionList[index].ExpressionName);
}

void TfrmSelectExpressions::ChangeExpression(bool global) {
  int index = ListOf(global).IndexOf(SelectedName(global));
  if (index < 0) return;
  auto test = [this](const std::string& text) { return Test(text, text); };
  if (TfrmExpressionBuilder::Execute(lists_.Kind, ListOf(global), index, test, ui_, this))
    Refill(global, ListOf(global).ExpressionList[index].ExpressionName);
}

void TfrmSelectExpressions::CopyExpression(bool global) {
  TExpressions& list = ListOf(global);
  const int from = list.IndexOf(SelectedName(global));
  if (from < 0) return;
  const TExpressionItem copy = list.ExpressionList[from];
  list.ExpressionList.push_back(copy);
  int index = static_cast<int>(list.ExpressionList.size()) - 1;
  auto test = [this](const std::string& text) { return Test(text, text); };
  if (!TfrmExpressionBuilder::Execute(lists_.Kind, list, index, test, ui_, this))
    list.Delete(static_cast<int>(list.ExpressionList.size()) - 1);
  Refill(
      global,
      list.ExpressionList[std::min<size_t>(index, list.ExpressionList.size() - 1)].ExpressionName);
}

void TfrmSelectExpressions::DeleteExpression(bool global) {
  TExpressions& list = ListOf(global);
  list.Delete(list.IndexOf(SelectedName(global)));
  Refill(global, "");
}

void TfrmSelectExpressions::TestExpression(bool global) {
  const TExpressions& list = ListOf(global);
  const int i = list.IndexOf(SelectedName(global));
  if (i < 0) {
    ui_.ShowMessage("There is no expression selected to test.");
    return;
  }
  ui_.ShowMessage(Test(list.ExpressionList[i].Expression, list.ExpressionList[i].ExpressionName));
}

void TfrmSelectExpressions::MoveUp() {
  const std::string name = SelectedName(true);
  if (MoveExpression(lists_.Global.List, lists_.Local.List, name)) {
    Refill(true, "");
    Refill(false, name);
  }
}

void TfrmSelectExpressions::MoveDown() {
  const std::string name = SelectedName(false);
  if (MoveExpression(lists_.Local.List, lists_.Global.List, name)) {
    Refill(false, "");
    Refill(true, name);
  }
}

void TfrmSelectExpressions::Use(bool global) {
  selected_.clear();
  const TExpressions& list = ListOf(global);
  const int i = list.IndexOf(SelectedName(global));
  if (i < 0) return;
  selected_ = list.ExpressionList[i].Expression;
  accept();
}

}  // namespace tovix

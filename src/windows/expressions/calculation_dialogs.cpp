#include "windows/expressions/calculation_dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "expressions/expression_filters.h"
#include "platform/latin1.h"
#include "platform/shell.h"
#include "platform/typed_text.h"

namespace tovix {

namespace {

QString Q(const std::string& s) {
  return FromLatin1(s);
}

constexpr const char* kFiltersSection = "ExpressionFilters";

}  // namespace

TfrmExpressionFilters::TfrmExpressionFilters(GameState& state, TznSaveState& store,
                                             UserInterface& ui, TChooseExpression choose,
                                             TAnalysisSource analysis, QWidget* parent)
    : QDialog(parent),
      state_(state),
      store_(store),
      ui_(ui),
      choose_(std::move(choose)),
      analysis_(std::move(analysis)) {
  setObjectName("frmExpressionFilters");
  setWindowTitle("Expression Filters");
  auto* group = new QGroupBox("Select Expression Type", this);
  group->setObjectName("RadioGroup1");
  rbGroups_ = new QRadioButton("Use &Groups Expression", group);
  rbPlanets_ = new QRadioButton("Use &Planets Expression", group);
  rbGroups_->setChecked(true);
  auto* radios = new QVBoxLayout(group);
  radios->addWidget(rbGroups_);
  radios->addWidget(rbPlanets_);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &TfrmExpressionFilters::OkClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  SelectAllPlanets();
}

void TfrmExpressionFilters::SelectAllPlanets() {
  filtered_ = AllPlanets(state_);
}

bool TfrmExpressionFilters::ExecuteExpressionFilter() {
  if (RunDialog) return RunDialog(*this);
  return exec() == QDialog::Accepted;
}

void TfrmExpressionFilters::SaveState() {
  store_.WriteInteger(kFiltersSection, "RadioGroup1", ItemIndex());
}

void TfrmExpressionFilters::LoadState() {
  SetItemIndex(store_.ReadInteger(kFiltersSection, "RadioGroup1", ItemIndex()));
}

int TfrmExpressionFilters::ItemIndex() const {
  return rbPlanets_->isChecked() ? 1 : 0;
}

void TfrmExpressionFilters::SetItemIndex(int index) {
  (index == 1 ? rbPlanets_ : rbGroups_)->setChecked(true);
}

void TfrmExpressionFilters::OkClicked() {
  const bool groups = ItemIndex() == 0;
  const std::string text = choose_ ? choose_(groups) : std::string();
  if (text.empty()) {
    reject();
    return;
  }
  if (ApplyExpression(groups, text)) accept();
}

bool TfrmExpressionFilters::ApplyExpression(bool groups, const std::string& text) {
  expression_ = text;
  const TExpressionFilterResult r =
      ApplyExpressionFilter(state_, analysis_ ? analysis_() : nullptr, groups, text, filtered_);
  if (!r.Ok) ui_.ShowMessage(r.Message);
  return r.Ok;
}

TfrmCalculations::TfrmCalculations(GameState& state, TChooseExpression choose,
                                   TAnalysisSource analysis,
                                   std::function<std::vector<TPlanet*>()> selectedPlanets,
                                   QWidget* parent)
    : QDialog(parent),
      state_(state),
      choose_(std::move(choose)),
      analysis_(std::move(analysis)),
      selectedPlanets_(std::move(selectedPlanets)) {
  setObjectName("frmCalculations");
  setWindowTitle("Calculations");
  where_ = new QComboBox(this);
  what_ = new QComboBox(this);
  for (QComboBox* box : {where_, what_}) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
  }
  for (const std::string& s : CalculationWhereChoices()) where_->addItem(Q(s));
  for (const std::string& s : CalculationWhatChoices()) what_->addItem(Q(s));
  where_->setCurrentText(kAllSelected);
  what_->setCurrentText("[PT_EFFMASS]");
  memo_ = new QPlainTextEdit(this);
  memo_->setReadOnly(true);
  auto row = [this](QComboBox* box) {
    auto* h = new QHBoxLayout;
    auto* select = new QPushButton("Select", this);
    h->addWidget(box, 1);
    h->addWidget(select);
    connect(select, &QPushButton::clicked, this, [this, box] {
      const std::string text = choose_ ? choose_(false) : std::string();
      if (!text.empty()) box->setCurrentText(Q(text));
    });
    return h;
  };
  auto* form = new QFormLayout;
  form->addRow("Where:", row(where_));
  form->addRow("What:", row(what_));
  form->addRow("Result:", memo_);
  auto* calculate = new QPushButton("Calculate", this);
  auto* close = new QPushButton("Close", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(calculate);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  resize(520, 260);
  connect(calculate, &QPushButton::clicked, this, &TfrmCalculations::CalculateClicked);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmCalculations::CalculateClicked() {
  // The expressions are read as Latin-1 text: a character beyond it is named in the result, not
  // calculated with as "?".
  const std::optional<std::string> where = EncodeTyped(where_->currentText(), TCodePage::Latin1);
  const std::optional<std::string> what = EncodeTyped(what_->currentText(), TCodePage::Latin1);
  if (!where || !what) {
    const QString typed = where ? what_->currentText() : where_->currentText();
    memo_->setPlainText(DisplayUtf8Text(
        UnheldCharsMessage({TCodePage::Latin1, where ? "\"What\"" : "\"Where\"", "a calculation"},
                           UnheldTypedChars(typed, TCodePage::Latin1))));
    return;
  }
  const TCalculation c = Calculate(state_, analysis_ ? analysis_() : nullptr, *where, *what,
                                   selectedPlanets_ ? selectedPlanets_() : std::vector<TPlanet*>{});
  memo_->setPlainText(Q(CalculationText(c)));
}

}  // namespace tovix

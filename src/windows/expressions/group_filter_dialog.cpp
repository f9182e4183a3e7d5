#include "windows/expressions/group_filter_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/list_boxes.h"
#include "controls/spin_edit.h"
#include "platform/latin1.h"
#include "windows/base/tool_window.h"

namespace tovix {

namespace {

constexpr const char* kLimitNames[] = {"Drive", "Attacks", "Weapons", "Shields", "Mass"};

TRxSpinEdit* MakeSpin(QWidget* parent, const QString& name, bool integer) {
  auto* spin = new TRxSpinEdit(parent);
  spin->setObjectName(name);
  spin->SetValueType(integer ? vtInteger : vtFloat);
  spin->SetDecimal(integer ? 0 : 2);
  spin->SetMinValue(0);
  spin->SetMaxValue(integer ? 1000000 : 100000);
  spin->SetIncrement(1);
  spin->SetValue(0);
  spin->setMinimumWidth(80);
  return spin;
}

TFilterRange RangeOf(QCheckBox* minOn, TRxSpinEdit* min, QCheckBox* maxOn, TRxSpinEdit* max) {
  return {minOn->isChecked(), maxOn->isChecked(), min->Value(), max->Value()};
}

}  // namespace

TfrmGroupFilter::TfrmGroupFilter(const GameState& state, TznSaveState& store, QWidget* parent)
    : QDialog(parent), filter_(std::make_unique<TGroupFilter>(state)), store_(store) {
  setObjectName("frmGroupFilter");
  setWindowTitle("Group Filter");

  edtName_ = new QLineEdit(this);
  edtName_->setObjectName("edtName");
  edtName_->setEnabled(false);
  auto* nameRow = new QHBoxLayout;
  auto* nameLabel = new QLabel("Name:", this);
  nameLabel->setBuddy(edtName_);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(edtName_, 1);

  lbxPlayers_ = new TRxCheckListBox(this);
  lbxPlayers_->setObjectName("lbxPlayers");
  lbxShiptypes_ = new TRxCheckListBox(this);
  lbxShiptypes_->setObjectName("lbxShiptypes");
  auto* lists = new QGridLayout;
  auto* playersLabel = new QLabel("&Players:", this);
  playersLabel->setBuddy(lbxPlayers_);
  auto* typesLabel = new QLabel("Ship t&ypes:", this);
  typesLabel->setBuddy(lbxShiptypes_);
  lists->addWidget(playersLabel, 0, 0);
  lists->addWidget(typesLabel, 0, 1);
  for (TRxCheckListBox* list : {lbxPlayers_, lbxShiptypes_}) {
    list->SetMultiSelect(true);
    list->setMinimumSize(170, 150);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
  }
  lists->addWidget(lbxPlayers_, 1, 0);
  lists->addWidget(lbxShiptypes_, 1, 1);

  // The popup of both lists.
  pmuLists_ = new QMenu(this);
  QAction* check = pmuLists_->addAction("Check Selected");
  check->setShortcut(QKeySequence("Ctrl+C"));
  QAction* uncheck = pmuLists_->addAction("Uncheck Selected");
  uncheck->setShortcut(QKeySequence("Ctrl+U"));
  for (QAction* a : {check, uncheck}) a->setShortcutContext(Qt::WidgetShortcut);
  for (TRxCheckListBox* list : {lbxPlayers_, lbxShiptypes_}) {
    list->addAction(check);
    list->addAction(uncheck);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
      menuList_ = list;
      pmuLists_->popup(list->viewport()->mapToGlobal(at));
    });
  }
  connect(check, &QAction::triggered, this, [this] { CheckSelected(ListForCommand(), true); });
  connect(uncheck, &QAction::triggered, this, [this] { CheckSelected(ListForCommand(), false); });

  // Designs or design limits.
  rbShipTypes_ = new QRadioButton("&Ship Types", this);
  rbShipTypes_->setObjectName("rbShipTypes");
  rbShipOptions_ = new QRadioButton("Ship &Options", this);
  rbShipOptions_->setObjectName("rbShipOptions");
  auto* choice = new QHBoxLayout;
  choice->addWidget(rbShipTypes_);
  choice->addWidget(rbShipOptions_);
  choice->addStretch(1);

  auto* limitsBox = new QGroupBox("Ship Options", this);
  auto* limitsGrid = new QGridLayout(limitsBox);
  limitsGrid->addWidget(new QLabel("Min", limitsBox), 0, 1);
  limitsGrid->addWidget(new QLabel("Max", limitsBox), 0, 3);
  for (size_t i = 0; i < limits_.size(); ++i) {
    const QString name = kLimitNames[i];
    const bool integer = name == "Attacks";
    TLimitRow& row = limits_[i];
    row.MinOn = new QCheckBox(name, limitsBox);
    row.MinOn->setObjectName("cb" + name + "Min");
    row.Min = MakeSpin(limitsBox, "edt" + name + "Min", integer);
    row.MaxOn = new QCheckBox(name, limitsBox);
    row.MaxOn->setObjectName("cb" + name + "Max");
    row.Max = MakeSpin(limitsBox, "edt" + name + "Max", integer);
    const int r = static_cast<int>(i) + 1;
    limitsGrid->addWidget(row.MinOn, r, 0);
    limitsGrid->addWidget(row.Min, r, 1);
    limitsGrid->addWidget(row.MaxOn, r, 2);
    limitsGrid->addWidget(row.Max, r, 3);
  }

  // Ship counts, this turn, arrival.
  count_.MinOn = new QCheckBox("M&in", this);
  count_.MinOn->setObjectName("cbCountMin");
  count_.Min = MakeSpin(this, "edtCountMin", true);
  count_.MaxOn = new QCheckBox("M&ax", this);
  count_.MaxOn->setObjectName("cbCountMax");
  count_.Max = MakeSpin(this, "edtCountMax", true);
  auto* countRow = new QHBoxLayout;
  countRow->addWidget(new QLabel("Count:", this));
  countRow->addWidget(count_.MinOn);
  countRow->addWidget(count_.Min);
  countRow->addWidget(count_.MaxOn);
  countRow->addWidget(count_.Max);
  countRow->addStretch(1);
  cbThisTurn_ = new QCheckBox("&This turn", this);
  cbThisTurn_->setObjectName("cbThisTurn");
  cbUseArriving_ = new QCheckBox("&Use Arriving:", this);
  cbUseArriving_->setObjectName("cbUseArriving");
  cbxArriving_ = new QComboBox(this);
  cbxArriving_->setObjectName("cbxArriving");
  for (const char* c : kArrivalChoices) cbxArriving_->addItem(c);
  auto* turnRow = new QHBoxLayout;
  turnRow->addWidget(cbThisTurn_);
  turnRow->addSpacing(16);
  turnRow->addWidget(cbUseArriving_);
  turnRow->addWidget(cbxArriving_);
  turnRow->addStretch(1);

  auto* btnSet = new QPushButton("Set &Last Changes", this);
  btnSet->setObjectName("btnSetLastChanges");
  auto* btnDiscard = new QPushButton("&Discard Last Changes", this);
  btnDiscard->setObjectName("btnDiscardLastChanges");
  auto* btnClose = new QPushButton("Close", this);
  btnClose->setObjectName("btnClose");
  btnClose->setDefault(true);
  for (QPushButton* b : {btnSet, btnDiscard}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnSet);
  buttons->addWidget(btnDiscard);
  buttons->addStretch(1);
  buttons->addWidget(btnClose);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameRow);
  layout->addLayout(lists, 1);
  layout->addLayout(choice);
  layout->addWidget(limitsBox);
  layout->addLayout(countRow);
  layout->addLayout(turnRow);
  layout->addLayout(buttons);

  connect(lbxPlayers_, &TRxCheckListBox::OnClickCheck, this, &TfrmGroupFilter::PlayersClicked);
  connect(lbxShiptypes_, &TRxCheckListBox::OnClickCheck, this, &TfrmGroupFilter::ShipTypesClicked);
  filter_->OnPlayersChanged = [this] { FillShipTypes(); };
  connect(btnSet, &QPushButton::clicked, this, &TfrmGroupFilter::SetLastChanges);
  connect(btnDiscard, &QPushButton::clicked, this, &TfrmGroupFilter::DiscardLastChanges);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
  LoadFromFilter();
}

TfrmGroupFilter::~TfrmGroupFilter() {
  filter_->OnPlayersChanged = nullptr;
}

void TfrmGroupFilter::ExecuteGroupFilter() {
  if (RunDialog) {
    LoadFromFilter();
    RunDialog(*this);
    return;
  }
  exec();
}

void TfrmGroupFilter::showEvent(QShowEvent* event) {
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  shownOnce_ = true;
  LoadFromFilter();
  QDialog::showEvent(event);
}

void TfrmGroupFilter::LoadState() {
  TWindowFacts facts;
  facts.Width = width();
  facts.Height = height();
  ApplyPlacementChange(*this,
                       RestoreFormPlacement(store_, StateSectionName(), facts, 0, ScreenRects()));
}

void TfrmGroupFilter::SaveState() {
  // A dialog never shown has no place of its own yet; the stored one stays.
  if (!shownOnce_) return;
  SaveFormPlacement(store_, StateSectionName(), ShowStateOf(*this), NormalRectOf(*this), 0);
}

void TfrmGroupFilter::LoadFromFilter() {
  filter_->BeginUpdate();
  lbxPlayers_->setUpdatesEnabled(false);
  lbxPlayers_->Clear();
  const auto& players = filter_->Players();
  for (size_t i = 0; i < players.size(); ++i) {
    const int row = lbxPlayers_->AddItem(FromLatin1(players[i].Player->Name), static_cast<int>(i));
    lbxPlayers_->SetChecked(row, players[i].Checked);
  }
  lbxPlayers_->setUpdatesEnabled(true);
  FillShipTypes();
  filter_->EndUpdate();
  LoadOptions();
}

void TfrmGroupFilter::FillShipTypes() {
  lbxShiptypes_->setUpdatesEnabled(false);
  lbxShiptypes_->Clear();
  const auto& types = filter_->ShipTypes();
  for (size_t i = 0; i < types.size(); ++i) {
    if (!filter_->Players()[static_cast<size_t>(types[i].PlayerIndex)].Checked) continue;
    const int row =
        lbxShiptypes_->AddItem(FromLatin1(types[i].ShipType->Name), static_cast<int>(i));
    lbxShiptypes_->SetChecked(row, types[i].Checked);
  }
  lbxShiptypes_->setUpdatesEnabled(true);
}

void TfrmGroupFilter::LoadOptions() {
  edtName_->setText(FromLatin1(filter_->Name));
  const TFilterShipOption& o = filter_->Options;
  const TFilterRange* ranges[] = {&o.Drive, &o.Attacks, &o.Weapons, &o.Shields, &o.Mass};
  auto load = [](TLimitRow& row, const TFilterRange& r) {
    row.MinOn->setChecked(r.MinOn);
    row.Min->SetValue(r.Min);
    row.MaxOn->setChecked(r.MaxOn);
    row.Max->SetValue(r.Max);
  };
  for (size_t i = 0; i < limits_.size(); ++i) load(limits_[i], *ranges[i]);
  load(count_, filter_->Count);
  (filter_->UseShipTypes ? rbShipTypes_ : rbShipOptions_)->setChecked(true);
  cbThisTurn_->setChecked(filter_->ThisTurnOnly);
  cbUseArriving_->setChecked(filter_->UseArriving);
  cbxArriving_->setCurrentIndex(std::clamp(filter_->ArrivalTurns, 0, 9));
}

void TfrmGroupFilter::SetLastChanges() {
  TFilterShipOption& o = filter_->Options;
  TFilterRange* ranges[] = {&o.Drive, &o.Attacks, &o.Weapons, &o.Shields, &o.Mass};
  for (size_t i = 0; i < limits_.size(); ++i) {
    const TLimitRow& row = limits_[i];
    *ranges[i] = RangeOf(row.MinOn, row.Min, row.MaxOn, row.Max);
  }
  filter_->Count = RangeOf(count_.MinOn, count_.Min, count_.MaxOn, count_.Max);
  filter_->UseShipTypes = rbShipTypes_->isChecked();
  filter_->ThisTurnOnly = cbThisTurn_->isChecked();
  filter_->UseArriving = cbUseArriving_->isChecked();
  filter_->ArrivalTurns = cbxArriving_->currentIndex();
}

void TfrmGroupFilter::DiscardLastChanges() {
  LoadOptions();
}

// The checks of a list reach the filter whole, so a click anywhere (and Space, "+", "-") is
// taken as it stands.
void TfrmGroupFilter::PlayersClicked() {
  filter_->BeginUpdate();
  for (int i = 0; i < lbxPlayers_->Count(); ++i)
    filter_->SetPlayerChecked(lbxPlayers_->Object(i).toInt(), lbxPlayers_->GetChecked(i));
  filter_->EndUpdate();
}

void TfrmGroupFilter::ShipTypesClicked() {
  filter_->BeginUpdate();
  for (int i = 0; i < lbxShiptypes_->Count(); ++i)
    filter_->SetShipTypeChecked(lbxShiptypes_->Object(i).toInt(), lbxShiptypes_->GetChecked(i));
  filter_->EndUpdate();
}

TRxCheckListBox* TfrmGroupFilter::ListForCommand() const {
  const QWidget* focus = QApplication::focusWidget();
  if (focus == lbxShiptypes_) return lbxShiptypes_;
  if (focus == lbxPlayers_) return lbxPlayers_;
  return menuList_ ? menuList_ : lbxPlayers_;
}

void TfrmGroupFilter::CheckSelected(TRxCheckListBox* list, bool check) {
  if (list == nullptr) return;
  for (int i = 0; i < list->Count(); ++i)
    if (list->Selected(i)) list->SetChecked(i, check);
  // Checks set by the program raise no click: the filter takes them here.
  if (list == lbxPlayers_)
    PlayersClicked();
  else
    ShipTypesClicked();
  FillShipTypes();
}

}  // namespace tovix

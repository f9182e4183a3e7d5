#include "windows/group_filter_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tovix {

TfrmGroupFilter::TfrmGroupFilter(const GameState& state, QWidget* parent)
    : QDialog(parent), filter_(std::make_unique<TGroupFilter>(state)) {
  setObjectName("frmGroupFilter");
  setWindowTitle("Group Filter");
  lbxPlayers_ = new QListWidget(this);
  lbxShiptypes_ = new QListWidget(this);
  chkThisTurn_ = new QCheckBox("This turn only", this);
  chkUseArriving_ = new QCheckBox("Use Arriving", this);
  spnArrival_ = new QSpinBox(this);
  spnArrival_->setRange(0, 9);
  chkCountMin_ = new QCheckBox("Minimum ships", this);
  chkCountMax_ = new QCheckBox("Maximum ships", this);
  spnCountMin_ = new QSpinBox(this);
  spnCountMax_ = new QSpinBox(this);
  for (QSpinBox* s : {spnCountMin_, spnCountMax_}) s->setRange(0, 1000000);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);

  auto* lists = new QHBoxLayout;
  lists->addWidget(lbxPlayers_);
  lists->addWidget(lbxShiptypes_);
  auto* grid = new QGridLayout;
  grid->addWidget(chkThisTurn_, 0, 0);
  grid->addWidget(chkUseArriving_, 1, 0);
  grid->addWidget(spnArrival_, 1, 1);
  grid->addWidget(chkCountMin_, 2, 0);
  grid->addWidget(spnCountMin_, 2, 1);
  grid->addWidget(chkCountMax_, 3, 0);
  grid->addWidget(spnCountMax_, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(lbxPlayers_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (loading_) return;
    filter_->SetPlayerChecked(lbxPlayers_->row(item), item->checkState() == Qt::Checked);
  });
  connect(lbxShiptypes_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (loading_) return;
    filter_->SetShipTypeChecked(item->data(Qt::UserRole).toInt(),
                                item->checkState() == Qt::Checked);
  });
  filter_->OnPlayersChanged = [this] { FillShipTypes(); };
  connect(ok, &QPushButton::clicked, this, [this] {
    Store();
    filter_->CollectPlanets();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  LoadFromFilter();
}

void TfrmGroupFilter::showEvent(QShowEvent* event) {
  LoadFromFilter();
  QDialog::showEvent(event);
}

void TfrmGroupFilter::LoadFromFilter() {
  loading_ = true;
  lbxPlayers_->clear();
  for (const TFilterPlayer& p : filter_->Players()) {
    auto* item = new QListWidgetItem(QString::fromStdString(p.Player->Name), lbxPlayers_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(p.Checked ? Qt::Checked : Qt::Unchecked);
  }
  chkThisTurn_->setChecked(filter_->ThisTurnOnly);
  chkUseArriving_->setChecked(filter_->UseArriving);
  spnArrival_->setValue(filter_->ArrivalTurns);
  chkCountMin_->setChecked(filter_->Count.MinOn);
  chkCountMax_->setChecked(filter_->Count.MaxOn);
  spnCountMin_->setValue(static_cast<int>(filter_->Count.Min));
  spnCountMax_->setValue(static_cast<int>(filter_->Count.Max));
  loading_ = false;
  FillShipTypes();
}

void TfrmGroupFilter::FillShipTypes() {
  loading_ = true;
  lbxShiptypes_->clear();
  const auto& types = filter_->ShipTypes();
  for (size_t i = 0; i < types.size(); ++i) {
    if (!filter_->Players()[types[i].PlayerIndex].Checked) continue;
    auto* item =
        new QListWidgetItem(QString::fromStdString(types[i].ShipType->Name), lbxShiptypes_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(types[i].Checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, static_cast<int>(i));
  }
  loading_ = false;
}

void TfrmGroupFilter::Store() {
  filter_->ThisTurnOnly = chkThisTurn_->isChecked();
  filter_->UseArriving = chkUseArriving_->isChecked();
  filter_->ArrivalTurns = spnArrival_->value();
  filter_->Count = {chkCountMin_->isChecked(), chkCountMax_->isChecked(),
                    static_cast<double>(spnCountMin_->value()),
                    static_cast<double>(spnCountMax_->value())};
}

}  // namespace tovix

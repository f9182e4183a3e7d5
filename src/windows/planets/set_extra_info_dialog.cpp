#include "windows/planets/set_extra_info_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/base/errors.h"
#include "core/model/extra_planet_info.h"
#include "platform/latin1.h"

namespace tovix {

namespace {}  // namespace

TfrmSetExtraInfo::TfrmSetExtraInfo(GameState& state, UserInterface& ui,
                                   std::filesystem::path iniFile, QWidget* parent)
    : QDialog(parent),
      state_(state),
      ui_(ui),
      iniFile_(std::move(iniFile)),
      choices_(ExtraInfoOwnerChoices(state)) {
  setObjectName("frmSetExtraInfo");
  setWindowTitle("Set Extra Info");
  auto* grid = new QGridLayout(this);
  lblPlanetName_ = new QLabel(this);
  lblPlanetName_->setObjectName("lblPlanetName");
  cbxPlayers_ = new QComboBox(this);
  cbxPlayers_->setObjectName("cbxPlayers");
  for (const TOwnerChoice& c : choices_) cbxPlayers_->addItem(FromLatin1(c.Text));
  edtSize_ = new QLineEdit("0", this);
  edtSize_->setObjectName("edtSize");
  btnAdd_ = new QPushButton("Add", this);
  btnClose_ = new QPushButton("Close", this);
  btnDelete_ = new QPushButton("Delete", this);
  grid->addWidget(new QLabel("Planet:", this), 0, 0);
  grid->addWidget(lblPlanetName_, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Owner:", this), 1, 0);
  grid->addWidget(cbxPlayers_, 1, 1, 1, 2);
  grid->addWidget(new QLabel("Size:", this), 2, 0);
  grid->addWidget(edtSize_, 2, 1, 1, 2);
  grid->addWidget(btnAdd_, 3, 0);
  grid->addWidget(btnDelete_, 3, 1);
  grid->addWidget(btnClose_, 3, 2);
  connect(cbxPlayers_, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(choices_.size()))
      chosen_ = choices_[static_cast<size_t>(index)].Owner;
  });
  connect(btnAdd_, &QPushButton::clicked, this, &TfrmSetExtraInfo::Add);
  connect(btnDelete_, &QPushButton::clicked, this, &TfrmSetExtraInfo::DeleteInfo);
  connect(btnClose_, &QPushButton::clicked, this, &TfrmSetExtraInfo::CloseDialog);
}

void TfrmSetExtraInfo::SetPlanetName(const std::string& name) {
  lblPlanetName_->setText(FromLatin1(name));
}

void TfrmSetExtraInfo::SetPlanet(TPlanet* planet) {
  planet_ = planet;
  applied_.reset();
  // The races of the game read now: after the reports are read again, the list made before
  // would name races that are gone.
  choices_ = ExtraInfoOwnerChoices(state_);
  cbxPlayers_->clear();
  for (const TOwnerChoice& c : choices_) cbxPlayers_->addItem(FromLatin1(c.Text));
}

void TfrmSetExtraInfo::SetOwner(TOwnerRef owner) {
  int index = 0;
  for (size_t i = 0; i < choices_.size(); ++i)
    if (choices_[i].Owner == owner) index = static_cast<int>(i);
  cbxPlayers_->setCurrentIndex(index);
  chosen_ = choices_[static_cast<size_t>(index)].Owner;
  initialOwner_ = chosen_;
}

void TfrmSetExtraInfo::SetSize(float size) {
  edtSize_->setText(FromLatin1(FloatToShortestText(size)));
  initialSize_ = size;
}

std::optional<float> TfrmSetExtraInfo::GetSize() const {
  return ParseExtraInfoSize(edtSize_->text().toStdString());
}

void TfrmSetExtraInfo::showEvent(QShowEvent* event) {
  UpdateButtons();
  QDialog::showEvent(event);
}

void TfrmSetExtraInfo::UpdateButtons() {
  const bool exists = planet_ && state_.ExtraInfo.Exists(*planet_, state_.LastTurn);
  btnAdd_->setText(exists ? "Change" : "Add");
  btnDelete_->setEnabled(exists);
}

bool TfrmSetExtraInfo::Save() {
  try {
    state_.ExtraInfo.SaveToIni(iniFile_.string(), state_.Settings.GetGameSection());
    return true;
  } catch (const std::exception& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
}

void TfrmSetExtraInfo::Add() {
  if (!planet_) return;
  const std::optional<float> size = GetSize();
  if (!size) {
    ui_.ShowMessage("The size must be a number of 0 or more.");
    return;
  }
  state_.ExtraInfo.SetInfo(*planet_, chosen_, state_.LastTurn, *size);
  applied_ = TApplied{chosen_, *size};
  Save();
  UpdateButtons();
}

void TfrmSetExtraInfo::DeleteInfo() {
  if (!planet_) return;
  state_.ExtraInfo.Delete(*planet_, state_.LastTurn);
  SetOwner(initialOwner_);
  SetSize(initialSize_);
  applied_ = TApplied{initialOwner_, initialSize_};
  Save();
  reject();
}

void TfrmSetExtraInfo::CloseDialog() {
  Save();
  reject();
}

}  // namespace tovix

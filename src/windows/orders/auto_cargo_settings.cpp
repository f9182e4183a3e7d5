#include "windows/orders/auto_cargo_settings.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/spin_edit.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"

namespace tovix {

namespace {

TRxSpinEdit* MakeSpin(const char* name, int low, int high, int step, QWidget* parent) {
  auto* edit = new TRxSpinEdit(parent);
  edit->setObjectName(name);
  edit->SetValueType(vtInteger);
  edit->SetMinValue(low);
  edit->SetMaxValue(high);
  edit->SetIncrement(step);
  edit->SetAsInteger(low);
  return edit;
}

// The reference planet is named as the reports name planets: in Latin-1.
constexpr TTextTarget kBuildPlanetTarget{TCodePage::Latin1, "The planet name", "the settings"};

// A typed value is only clamped when the edit loses the focus; reading comes first.
int SpinValue(const TRxSpinEdit* edit) {
  return std::clamp(static_cast<int>(edit->GetAsInteger()), static_cast<int>(edit->MinValue()),
                    static_cast<int>(edit->MaxValue()));
}

}  // namespace

TfrmAutoCargoSettings::TfrmAutoCargoSettings(GameState& state, TznSaveState& store,
                                             UserInterface& ui, QWidget* parent)
    : TToolWindow("Automatic Cargo Settings", 4, store, parent), state_(state), ui_(ui) {
  setObjectName("frmAutoCargoSettings");
  // Shown modally from the orders window: a dialog, stacked above the main window.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QHBoxLayout(this);

  auto* left = new QVBoxLayout;
  auto* fill = new QGroupBox(FromLatin1("Fill planets up to (% of size)"), this);
  auto* fillGrid = new QGridLayout(fill);
  edtCOLFill_ = MakeSpin("edtCOLFill", 5, 100, 5, fill);
  edtCAPFill_ = MakeSpin("edtCAPFill", 5, 100, 5, fill);
  fillGrid->addWidget(new QLabel(FromLatin1("COL (population)"), fill), 0, 0);
  fillGrid->addWidget(edtCOLFill_, 0, 1);
  fillGrid->addWidget(new QLabel(FromLatin1("CAP (industry)"), fill), 1, 0);
  fillGrid->addWidget(edtCAPFill_, 1, 1);
  left->addWidget(fill);

  auto* trip = new QGroupBox(FromLatin1("Maximum trip"), this);
  trip->setObjectName("rgMaxDistance");
  auto* tripLayout = new QVBoxLayout(trip);
  rgMaxDistance_ = new QButtonGroup(this);
  const char* turns[] = {"1 turn", "2 turns", "3 turns", "4 turns"};
  for (int i = 0; i < 4; ++i) {
    auto* button = new QRadioButton(FromLatin1(turns[i]), trip);
    rgMaxDistance_->addButton(button, i);
    tripLayout->addWidget(button);
  }
  left->addWidget(trip);

  auto* build = new QGroupBox(FromLatin1("Buildability"), this);
  auto* buildGrid = new QGridLayout(build);
  edtBuildCAPStock_ = MakeSpin("edtBuildCAPStock", 0, 1000, 1, build);
  edtBuildResources_ = MakeSpin("edtBuildResources", 0, 100, 1, build);
  edtBuildDistance_ = MakeSpin("edtBuildDistance", 0, 1000, 1, build);
  cbxBuildPlanet_ = new QComboBox(build);
  cbxBuildPlanet_->setObjectName("cbxBuildPlanet");
  cbxBuildPlanet_->setEditable(true);
  buildGrid->addWidget(new QLabel(FromLatin1("CAP stock weight"), build), 0, 0);
  buildGrid->addWidget(edtBuildCAPStock_, 0, 1);
  buildGrid->addWidget(new QLabel(FromLatin1("Resources weight"), build), 1, 0);
  buildGrid->addWidget(edtBuildResources_, 1, 1);
  buildGrid->addWidget(new QLabel(FromLatin1("Distance weight"), build), 2, 0);
  buildGrid->addWidget(edtBuildDistance_, 2, 1);
  buildGrid->addWidget(new QLabel(FromLatin1("From planet"), build), 3, 0);
  buildGrid->addWidget(cbxBuildPlanet_, 3, 1);
  left->addWidget(build);
  left->addStretch();
  layout->addLayout(left);

  auto* sort = new QGroupBox(FromLatin1("Prefer target planets by"), this);
  auto* sortLayout = new QHBoxLayout(sort);
  lbxSortOn_ = new QListWidget(sort);
  lbxSortOn_->setObjectName("lbxSortOn");
  sortLayout->addWidget(lbxSortOn_);
  auto* moves = new QVBoxLayout;
  btnUp_ = new QPushButton(FromLatin1("^"), sort);
  btnUp_->setObjectName("btnUp");
  btnDown_ = new QPushButton(FromLatin1("v"), sort);
  btnDown_->setObjectName("btnDown");
  for (QPushButton* b : {btnUp_, btnDown_}) b->setFixedWidth(28);
  moves->addWidget(btnUp_);
  moves->addWidget(btnDown_);
  moves->addStretch();
  sortLayout->addLayout(moves);
  layout->addWidget(sort);

  connect(btnUp_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(btnDown_, &QPushButton::clicked, this, [this] { MoveSelected(1); });
  connect(lbxSortOn_, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });

  ShowSettings(TAutoCargoSettings{});
}

void TfrmAutoCargoSettings::ShowSettings(const TAutoCargoSettings& settings) {
  edtCOLFill_->SetAsInteger(settings.ColFill);
  edtCAPFill_->SetAsInteger(settings.CapFill);
  if (QAbstractButton* b = rgMaxDistance_->button(settings.MaxDistanceIndex)) b->setChecked(true);
  lbxSortOn_->clear();
  for (const std::string& item : settings.SortOn) lbxSortOn_->addItem(FromLatin1(item));
  edtBuildCAPStock_->SetAsInteger(settings.BuildCapStock);
  edtBuildResources_->SetAsInteger(settings.BuildResources);
  edtBuildDistance_->SetAsInteger(settings.BuildDistance);
  cbxBuildPlanet_->setEditText(FromLatin1(settings.BuildPlanet));
  shownBuildPlanet_ = settings.BuildPlanet;
  UpdateButtons();
}

TAutoCargoSettings TfrmAutoCargoSettings::FromControls() const {
  TAutoCargoSettings settings;
  settings.ColFill = SpinValue(edtCOLFill_);
  settings.CapFill = SpinValue(edtCAPFill_);
  settings.MaxDistanceIndex = std::max(0, rgMaxDistance_->checkedId());
  settings.SortOn.clear();
  for (int i = 0; i < lbxSortOn_->count(); ++i) {
    settings.SortOn.push_back(ToLatin1(lbxSortOn_->item(i)->text()));
  }
  settings.BuildCapStock = SpinValue(edtBuildCAPStock_);
  settings.BuildResources = SpinValue(edtBuildResources_);
  settings.BuildDistance = SpinValue(edtBuildDistance_);
  // Closing refuses a name the settings cannot hold; until it is changed the name shown last
  // stands.
  settings.BuildPlanet = EncodeTyped(cbxBuildPlanet_->currentText(), kBuildPlanetTarget.Page)
                             .value_or(shownBuildPlanet_);
  return settings;
}

void TfrmAutoCargoSettings::FillPlanets() {
  const QString text = cbxBuildPlanet_->currentText();
  cbxBuildPlanet_->clear();
  for (auto [key, planet] : state_.Planets) {
    if (planet && state_.MainPlayer && planet->Owner.Is(state_.MainPlayer)) {
      cbxBuildPlanet_->addItem(FromLatin1(planet->Name));
    }
  }
  // Adding items selects the first; the typed text stays what it was.
  cbxBuildPlanet_->setCurrentIndex(-1);
  cbxBuildPlanet_->setEditText(text);
}

void TfrmAutoCargoSettings::Prepare() {
  if (prepared_) return;
  prepared_ = true;
  const auto found = lbxSortOn_->findItems(QStringLiteral("Buildability"), Qt::MatchFixedString);
  if (found.isEmpty()) lbxSortOn_->addItem(QStringLiteral("Buildability"));
  FillPlanets();
  ComputeBuildability();
}

TAutoCargoSettings TfrmAutoCargoSettings::Settings() {
  Prepare();
  return FromControls();
}

void TfrmAutoCargoSettings::ComputeBuildability() {
  Prepare();
  TPlanet* reference = tovix::ComputeBuildability(state_, FromControls());
  if (reference && cbxBuildPlanet_->currentText().isEmpty()) {
    cbxBuildPlanet_->setEditText(FromLatin1(reference->Name));
    shownBuildPlanet_ = reference->Name;
  }
}

void TfrmAutoCargoSettings::MoveSelected(int step) {
  const int row = lbxSortOn_->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= lbxSortOn_->count()) return;
  QListWidgetItem* item = lbxSortOn_->takeItem(row);
  lbxSortOn_->insertItem(to, item);
  lbxSortOn_->setCurrentRow(to);
  UpdateButtons();
}

void TfrmAutoCargoSettings::UpdateButtons() {
  const int row = lbxSortOn_->currentRow();
  btnUp_->setEnabled(row > 0);
  btnDown_->setEnabled(row >= 0 && row < lbxSortOn_->count() - 1);
}

void TfrmAutoCargoSettings::LoadOwnState() {
  TAutoCargoSettings settings;
  settings.Load(Store(), state_.GameName);
  ShowSettings(settings);
  prepared_ = false;
}

void TfrmAutoCargoSettings::SaveOwnState() {
  FromControls().Save(Store(), state_.GameName);
}

void TfrmAutoCargoSettings::RefreshGame(TGameChanges changes) {
  if (changes & gcGameRead) prepared_ = false;
  Prepare();
}

bool TfrmAutoCargoSettings::MayClose() {
  return TypedTextFits(cbxBuildPlanet_->currentText(), kBuildPlanetTarget, ui_);
}

void TfrmAutoCargoSettings::closeEvent(QCloseEvent* event) {
  // The user's close (the title bar's button) asks; the program's own, at its end, goes on and
  // the name shown last is kept.
  if (event->spontaneous() && !MayClose()) {
    event->ignore();
    return;
  }
  TToolWindow::closeEvent(event);
}

void TfrmAutoCargoSettings::hideEvent(QHideEvent* event) {
  ComputeBuildability();
  TToolWindow::hideEvent(event);
}

}  // namespace tovix

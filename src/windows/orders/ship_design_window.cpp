#include "windows/orders/ship_design_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/beep.h"
#include "controls/combo_edit.h"
#include "controls/spin_edit.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/auto_cargo.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"
#include "windows/dialogs/text_query.h"

namespace tovix {

namespace {

constexpr int kShipDesignHelpContext = 31;
constexpr int kMaxShips = 20000;
constexpr int kMaxTurns = 20;
constexpr const char* kMarkedStyle = "QLineEdit { background: #ffd0d0; }";
constexpr const char* kGameRuleHint = "The game takes 0 or at least 1.";

// The productivity as a number; nullopt for text that is none.
std::optional<double> NumberOf(const QString& text) {
  double value = 0;
  if (!TryParseFloat(Trim(ToLatin1(text)), value)) return std::nullopt;
  return value;
}

QLabel* FigureCell(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(56);
  return label;
}

}  // namespace

TfrmShipDesign::TfrmShipDesign(GameState& state, TznSaveState& store, UserInterface& ui,
                               TServicesSource services, QWidget* parent)
    : TToolWindow("Ship Design", kShipDesignHelpContext, store, parent),
      state_(state),
      ui_(ui),
      services_(std::move(services)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  auto* top = new QHBoxLayout;
  auto* raceLabel = new QLabel("&Race:", this);
  cbxPlayers_ = new QComboBox(this);
  cbxPlayers_->setObjectName("cbxPlayers");
  cbxPlayers_->setMinimumWidth(160);
  raceLabel->setBuddy(cbxPlayers_);
  top->addWidget(raceLabel);
  top->addWidget(cbxPlayers_);
  top->addStretch();
  layout->addLayout(top);

  auto* middle = new QHBoxLayout;
  lbxShipTypes_ = new QListWidget(this);
  lbxShipTypes_->setObjectName("lbxShipTypes");
  lbxShipTypes_->setFixedWidth(130);
  middle->addWidget(lbxShipTypes_);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  const char* designHeaders[] = {"Drive", "Attacks", "Weapons", "Shields", "Cargo"};
  const char* figureHeaders[] = {"Speed", "Weapons", "Shields", "Cargo", "Mass"};
  for (int c = 0; c < 5; ++c) {
    auto* header = new QLabel(designHeaders[c], this);
    header->setAlignment(Qt::AlignCenter);
    grid->addWidget(header, 0, c + 1);
  }
  grid->addWidget(new QLabel("Design:", this), 1, 0);
  grid->addWidget(new QLabel("Technology:", this), 2, 0);
  const char* editNames[kDesignFieldCount] = {"edtDrive",       "edtAttacks",     "edtWeapons",
                                              "edtShields",     "edtCargo",       "edtDriveTech",
                                              "edtWeaponsTech", "edtShieldsTech", "edtCargoTech"};
  for (int field = 0; field < kDesignFieldCount; ++field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(editNames[field]);
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(64);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this] { UpdateFigures(); });
    edits_[static_cast<size_t>(field)] = edit;
    // The technologies sit under their values; attacks have none.
    const int row = field < dfDriveTech ? 1 : 2;
    const int column = field < dfDriveTech ? field + 1 : (field == dfDriveTech ? 1 : field - 3);
    grid->addWidget(edit, row, column);
  }
  for (int c = 0; c < 5; ++c) {
    auto* header = new QLabel(figureHeaders[c], this);
    header->setAlignment(Qt::AlignRight);
    grid->addWidget(header, 3, c + 1);
  }
  grid->addWidget(new QLabel("Normal:", this), 4, 0);
  grid->addWidget(new QLabel("Loaded:", this), 5, 0);
  for (int i = 0; i < 10; ++i) {
    figures_[static_cast<size_t>(i)] = FigureCell(this);
    grid->addWidget(figures_[static_cast<size_t>(i)], 4 + i / 5, 1 + i % 5);
  }
  auto* cargoLabel = new QLabel("Cargo &use:", this);
  cbxCargoType_ = new QComboBox(this);
  cbxCargoType_->setObjectName("cbxCargoType");
  for (const char* name : kCargoUseNames) cbxCargoType_->addItem(FromLatin1(name));
  cargoLabel->setBuddy(cbxCargoType_);
  grid->addWidget(cargoLabel, 6, 0);
  grid->addWidget(cbxCargoType_, 6, 1, 1, 3);
  lblNGBlindMass_ = new QLabel(this);
  lblNGBlindMass_->setObjectName("lblNGBlindMass");
  lblNGBlindMass_->setToolTip("The mass the report gives");
  lblNGBlindMass_->setVisible(false);
  grid->addWidget(lblNGBlindMass_, 6, 4, 1, 2);
  grid->setRowStretch(7, 1);
  middle->addLayout(grid);
  layout->addLayout(middle);

  auto* actions = new QHBoxLayout;
  btnClipboard_ = new QPushButton("Orders", this);
  btnClipboard_->setObjectName("btnClipboard");
  btnClipboard_->setToolTip("Write the design's D line into the orders");
  actions->addWidget(btnClipboard_);
  actions->addStretch();
  const auto shipCount = [this](const char* name) {
    auto* spin = new TRxSpinEdit(this);
    spin->setObjectName(name);
    spin->SetValueType(vtInteger);
    spin->SetMinValue(1);
    spin->SetMaxValue(kMaxShips);
    spin->SetAsInteger(1);
    spin->setFixedWidth(70);
    return spin;
  };
  btnAddToDefenders_ = new QPushButton("Add To &Defenders", this);
  btnAddToDefenders_->setObjectName("btnAddToDefenders");
  edtDefendersCount_ = shipCount("edtDefendersCount");
  btnAddToAttackers_ = new QPushButton("Add To &Attackers", this);
  btnAddToAttackers_->setObjectName("btnAddToAttackers");
  edtAttackersCount_ = shipCount("edtAttackersCount");
  actions->addWidget(btnAddToDefenders_);
  actions->addWidget(edtDefendersCount_);
  actions->addWidget(btnAddToAttackers_);
  actions->addWidget(edtAttackersCount_);
  layout->addLayout(actions);

  auto* standard = new QGroupBox("Standard ship", this);
  auto* line = new QHBoxLayout(standard);
  auto* productivityLabel = new QLabel("&Productivity:", standard);
  rxCalcEdit1_ = new TComboEdit(standard);
  rxCalcEdit1_->setObjectName("RxCalcEdit1");
  rxCalcEdit1_->SetGlyphKind(gkEllipsis);
  rxCalcEdit1_->SetButtonHint("Calculator");
  rxCalcEdit1_->setFixedWidth(90);
  productivityLabel->setBuddy(rxCalcEdit1_);
  auto* turnsLabel = new QLabel("&Turns:", standard);
  rxSpinEdit1_ = new TRxSpinEdit(standard);
  rxSpinEdit1_->setObjectName("RxSpinEdit1");
  rxSpinEdit1_->SetValueType(vtInteger);
  rxSpinEdit1_->SetMinValue(1);
  rxSpinEdit1_->SetMaxValue(kMaxTurns);
  rxSpinEdit1_->SetAsInteger(1);
  rxSpinEdit1_->setFixedWidth(50);
  turnsLabel->setBuddy(rxSpinEdit1_);
  btnStdShip_ = new QPushButton("&Std. Ship", standard);
  btnStdShip_->setObjectName("btnStdShip");
  checkBox1_ = new QCheckBox("&Follow Selected Planets", standard);
  checkBox1_->setObjectName("CheckBox1");
  line->addWidget(productivityLabel);
  line->addWidget(rxCalcEdit1_);
  line->addWidget(turnsLabel);
  line->addWidget(rxSpinEdit1_);
  line->addWidget(btnStdShip_);
  line->addStretch();
  line->addWidget(checkBox1_);
  layout->addWidget(standard);

  connect(cbxPlayers_, &QComboBox::currentIndexChanged, this,
          [this](int index) { SelectPlayer(index); });
  connect(lbxShipTypes_, &QListWidget::currentRowChanged, this,
          [this](int row) { SelectType(row); });
  connect(cbxCargoType_, &QComboBox::currentIndexChanged, this,
          [this](int index) { CargoUseChosen(index); });
  connect(btnClipboard_, &QPushButton::clicked, this, &TfrmShipDesign::OrdersClicked);
  connect(btnAddToDefenders_, &QPushButton::clicked, this, &TfrmShipDesign::AddToDefenders);
  connect(btnAddToAttackers_, &QPushButton::clicked, this, &TfrmShipDesign::AddToAttackers);
  connect(rxCalcEdit1_, &TComboEdit::OnButtonClick, this, &TfrmShipDesign::CalculatorClicked);
  connect(rxCalcEdit1_, &TComboEdit::OnChange, this, [this] { StdShipInputChanged(rxCalcEdit1_); });
  connect(rxSpinEdit1_, &TRxSpinEdit::OnChange, this,
          [this] { StdShipInputChanged(rxSpinEdit1_); });
  connect(btnStdShip_, &QPushButton::clicked, this, [this] {
    GenerateStandardShip();
    ShowStandardShips();
  });
  UpdateFigures();
  resize(620, 360);
}

// ---- the race and its types

TPlayer* TfrmShipDesign::ChosenPlayer() const {
  const int index = cbxPlayers_->currentIndex();
  return index >= 0 && index < static_cast<int>(players_.size())
             ? players_[static_cast<size_t>(index)]
             : nullptr;
}

TShipType* TfrmShipDesign::ChosenType() const {
  const int row = lbxShipTypes_->currentRow();
  return row >= 0 && row < static_cast<int>(types_.size()) ? types_[static_cast<size_t>(row)]
                                                           : nullptr;
}

void TfrmShipDesign::ShowPlayers() {
  players_ = PlayersWithShipTypes(state_);
  const QSignalBlocker block(cbxPlayers_);
  cbxPlayers_->clear();
  for (const TPlayer* player : players_) cbxPlayers_->addItem(FromLatin1(player->Name));
}

void TfrmShipDesign::Refresh(bool keepShown) {
  const std::string player = ChosenPlayer() ? ChosenPlayer()->Name : std::string();
  const std::string type = ChosenType() ? ChosenType()->Name : std::string();
  ShowPlayers();
  const auto indexOf = [this](const std::string& name) {
    for (size_t i = 0; i < players_.size(); ++i)
      if (players_[i]->Name == name) return static_cast<int>(i);
    return -1;
  };
  if (keepShown && !player.empty()) {
    const int index = indexOf(player);
    if (index >= 0) {
      // The same race and type stay shown, and so do the values being edited.
      {
        const QSignalBlocker block(cbxPlayers_);
        cbxPlayers_->setCurrentIndex(index);
      }
      types_ = ShipTypesByName(*players_[static_cast<size_t>(index)]);
      const QSignalBlocker block(lbxShipTypes_);
      lbxShipTypes_->clear();
      for (const TShipType* t : types_) lbxShipTypes_->addItem(FromLatin1(t->Name));
      for (size_t i = 0; i < types_.size(); ++i)
        if (types_[i]->Name == type) lbxShipTypes_->setCurrentRow(static_cast<int>(i));
      return;
    }
  }
  int index = state_.MainPlayer ? indexOf(state_.MainPlayer->Name) : -1;
  if (index < 0 && !players_.empty()) index = 0;
  SelectPlayer(index);
}

void TfrmShipDesign::SelectPlayer(int index) {
  {
    const QSignalBlocker block(cbxPlayers_);
    cbxPlayers_->setCurrentIndex(index);
  }
  TPlayer* player = ChosenPlayer();
  types_ = player ? ShipTypesByName(*player) : std::vector<TShipType*>{};
  const bool own = player != nullptr && player == state_.MainPlayer;
  // The store holds the own designs' cargo use; reading it here shows what was chosen.
  if (own) ReadCargoUses(Store(), state_);
  cbxCargoType_->setEnabled(own);
  {
    const QSignalBlocker block(lbxShipTypes_);
    lbxShipTypes_->clear();
    for (const TShipType* type : types_) lbxShipTypes_->addItem(FromLatin1(type->Name));
  }
  SelectType(types_.empty() ? -1 : 0);
}

void TfrmShipDesign::SelectType(int row) {
  {
    const QSignalBlocker block(lbxShipTypes_);
    lbxShipTypes_->setCurrentRow(row);
  }
  ShowType(ChosenType());
}

void TfrmShipDesign::ShowType(const TShipType* type) {
  cbxCargoType_->setEnabled(type != nullptr && ChosenPlayer() == state_.MainPlayer &&
                            state_.MainPlayer != nullptr);
  lblNGBlindMass_->setVisible(type != nullptr && state_.Settings.GameType == TGameType::NGBlind);
  if (!type) return;
  ++lock_;
  const TDesignTexts texts = DesignTextsOf(*type, ChosenPlayer());
  for (int field = 0; field < kDesignFieldCount; ++field)
    edits_[static_cast<size_t>(field)]->setText(FromLatin1(texts[static_cast<size_t>(field)]));
  {
    const QSignalBlocker block(cbxCargoType_);
    cbxCargoType_->setCurrentIndex(static_cast<int>(type->CargoUse));
  }
  lblNGBlindMass_->setText(FromLatin1(Fmt("%5.2f", type->Mass())));
  --lock_;
  UpdateFigures();
}

void TfrmShipDesign::CargoUseChosen(int index) {
  TShipType* type = ChosenType();
  if (!type || ChosenPlayer() != state_.MainPlayer || index < 0 || index >= kCargoUseCount) return;
  StoreCargoUse(Store(), *type, static_cast<TCargoUse>(index));
}

// ---- the figures

TDesignTexts TfrmShipDesign::Texts() const {
  TDesignTexts texts;
  for (int field = 0; field < kDesignFieldCount; ++field)
    texts[static_cast<size_t>(field)] = ToLatin1(edits_[static_cast<size_t>(field)]->text());
  return texts;
}

bool TfrmShipDesign::Marked(int field) const {
  return !edits_[static_cast<size_t>(field)]->styleSheet().isEmpty();
}

void TfrmShipDesign::UpdateFigures() {
  if (lock_ > 0) return;
  const TDesignRead read = ReadDesignTexts(Texts());
  std::vector<int> marked;
  if (read.Ok()) marked = FieldsBetweenZeroAndOne(read.Values);
  for (int field = 0; field < kDesignFieldCount; ++field) {
    QLineEdit* edit = edits_[static_cast<size_t>(field)];
    const bool refused = std::find(marked.begin(), marked.end(), field) != marked.end();
    const bool bad = field == read.BadField;
    edit->setStyleSheet(refused || bad ? kMarkedStyle : "");
    edit->setToolTip(bad ? FromLatin1(read.Error) : refused ? kGameRuleHint : QString());
  }
  if (!read.Ok()) {
    for (QLabel* label : figures_) label->clear();
    return;
  }
  const TDesignRows rows = DesignFigures(read.Values, state_.Settings.GameType);
  const auto normal = FigureTexts(rows.Normal);
  const auto loaded = FigureTexts(rows.Loaded);
  for (size_t c = 0; c < 5; ++c) {
    figures_[c]->setText(FromLatin1(normal[c]));
    figures_[5 + c]->setText(FromLatin1(loaded[c]));
  }
}

bool TfrmShipDesign::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    const bool typed = text.size() == 1 && text[0].unicode() >= 32 &&
                       !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (typed && !DesignKeyAccepted(static_cast<char>(text[0].unicode() & 0xFF))) {
      Beep();
      return true;
    }
  }
  return TToolWindow::eventFilter(watched, event);
}

std::optional<TDesignValues> TfrmShipDesign::ReadOrTell() {
  // A pasted character beyond Latin-1 is named as it is, not as the "?" the figures would show.
  for (const QLineEdit* edit : edits_)
    if (!TypedTextFits(edit->text(), {TCodePage::Latin1, "A figure of the design", "a ship type"},
                       ui_))
      return std::nullopt;
  const TDesignRead read = ReadDesignTexts(Texts());
  if (read.Ok()) return read.Values;
  ui_.ShowMessage(read.Error);
  return std::nullopt;
}

// ---- orders and the simulator

std::optional<std::string> TfrmShipDesign::AskText(const std::string& title,
                                                   const std::string& prompt) {
  if (askText_) return askText_(title, prompt, "");
  return AskTypedText(this, FromLatin1(title), FromLatin1(prompt), "",
                      {TCodePage::Windows1252, "The ship type name", "the orders"}, ui_);
}

void TfrmShipDesign::OrdersClicked() {
  const std::optional<TDesignValues> values = ReadOrTell();
  if (!values) return;
  const std::vector<int> refused = FieldsBetweenZeroAndOne(*values);
  if (!refused.empty() && !ui_.AskYesNo(BetweenZeroAndOneQuestion(refused, *values))) return;
  const std::optional<std::string> answer = AskText("Shiptype", "Enter Name:");
  if (!answer) return;
  const std::string name = Trim(*answer);
  if (name.empty()) return;
  if (name.find_first_of(" \t") != std::string::npos) {
    ui_.ShowMessage("A ship type's name is one word: \"" + name + "\" is not.");
    return;
  }
  IOrderService* orders = services_().Orders;
  if (!orders) return;
  orders->InsertOtherCommands(DesignOrderLine(name, Texts()));
  orders->AnalyseOrders();
}

void TfrmShipDesign::AddToDefenders() {
  AddToSimulator(false);
}

void TfrmShipDesign::AddToAttackers() {
  AddToSimulator(true);
}

void TfrmShipDesign::AddToSimulator(bool attackers) {
  IBattleSimulatorService* simulator = services_().BattleSimulator;
  if (!simulator) return;
  const std::optional<TDesignValues> values = ReadOrTell();
  if (!values) return;
  const TShipType* type = ChosenType();
  const int ships = std::clamp(
      (attackers ? edtAttackersCount_ : edtDefendersCount_)->GetAsInteger(), 1, kMaxShips);
  std::unique_ptr<TGroup> group = DesignGroup(type ? type->Name : "New Ship", *values, ships,
                                              ChosenPlayer(), state_.Settings.GameType);
  if (attackers)
    simulator->AddAttacker(std::move(group));
  else
    simulator->AddDefender(std::move(group));
  simulator->FillGrids();
}

void TfrmShipDesign::CalculatorClicked() {
  ICalculatorService* calculator = services_().Calculator;
  if (!calculator) return;
  const std::optional<double> result =
      calculator->RunCalculator(NumberOf(rxCalcEdit1_->text()).value_or(0), 15);
  if (result) rxCalcEdit1_->setText(FromLatin1(Fmt("%5.0f", *result)));
}

// ---- standard ships

void TfrmShipDesign::StdShipInputChanged(QWidget* edited) {
  if (quiet_ || !isVisible() || isMinimized()) return;
  const bool hadFocus = edited->hasFocus();
  if (!GenerateStandardShip() || !ShowStdShipWindow) return;
  ShowStdShipWindow();
  if (hadFocus) {
    activateWindow();
    edited->setFocus();
  }
}

bool TfrmShipDesign::GenerateStandardShip() {
  const std::optional<double> productivity = NumberOf(rxCalcEdit1_->text());
  if (!productivity) return false;
  std::optional<TStdShip> ship = tovix::GenerateStandardShip(*productivity, Turns(), choices_);
  if (!ship) return false;
  ++lock_;
  const std::string* texts[] = {&ship->Drive, &ship->Attacks, &ship->Weapons, &ship->Shields,
                                &ship->Cargo};
  for (int field = dfDrive; field <= dfCargo; ++field)
    edits_[static_cast<size_t>(field)]->setText(FromLatin1(*texts[field]));
  --lock_;
  UpdateFigures();
  stdShip_ = std::move(ship);
  if (StdShipChanged) StdShipChanged();
  return true;
}

std::string TfrmShipDesign::StdShipName() const {
  return stdShip_ ? stdShip_->Name : std::string();
}

std::string TfrmShipDesign::StdShipLine() const {
  return stdShip_ ? stdShip_->Line : std::string();
}

void TfrmShipDesign::SetStdShipOption(TStdShipOption option, int item) {
  if (choices_.SetItem(option, item)) GenerateStandardShip();
  if (StdShipChanged) StdShipChanged();
}

void TfrmShipDesign::SetUseOneCargo(bool on) {
  choices_.UseOneCargo = on;
  GenerateStandardShip();
  if (StdShipChanged) StdShipChanged();
}

void TfrmShipDesign::ShowStandardShips() {
  if (ShowStdShipWindow) ShowStdShipWindow();
}

void TfrmShipDesign::SetProductivity(double value) {
  quiet_ = true;
  rxCalcEdit1_->setText(FromLatin1(Fmt("%5.2f", value)));
  quiet_ = false;
}

int TfrmShipDesign::Turns() const {
  return std::clamp(rxSpinEdit1_->GetAsInteger(), 1, kMaxTurns);
}

void TfrmShipDesign::SetTurns(int turns) {
  quiet_ = true;
  rxSpinEdit1_->SetAsInteger(std::clamp(turns, 1, kMaxTurns));
  quiet_ = false;
}

void TfrmShipDesign::FollowPlanet(TPlanet* planet) {
  if (!planet || !checkBox1_->isChecked() || !isVisible() || isMinimized()) return;
  if (!state_.MainPlayer || planet->Owner.Player() != state_.MainPlayer) return;
  rxCalcEdit1_->setText(
      FromLatin1(Fmt("%5.2f", planet->ShipMassPerTurn(state_.DevelopmentPlan()))));
}

// ---- refresh and state

void TfrmShipDesign::RefreshGame(TGameChanges changes) {
  if (changes & gcGameRead)
    Refresh(false);
  else if (changes & gcOrdersAnalysed)
    Refresh(true);
}

void TfrmShipDesign::LoadOwnState() {
  checkBox1_->setChecked(Store().ReadBool("ShipDesign", "CheckBox1.Checked", false));
}

void TfrmShipDesign::SaveOwnState() {
  Store().WriteBool("ShipDesign", "CheckBox1.Checked", checkBox1_->isChecked());
}

}  // namespace tovix

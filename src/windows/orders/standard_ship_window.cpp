#include "windows/orders/standard_ship_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "orders/ship_design.h"
#include "platform/latin1.h"
#include "platform/typed_text.h"
#include "views/map_commands.h"

namespace tovix {

namespace {

constexpr int kStandardShipHelpContext = 32;
constexpr const char* kSection = "StandardShip";
constexpr const char* kOptionKeys[kStdShipOptionCount] = {
    "RadioGroup1.ItemIndex", "RadioGroup2.ItemIndex", "RadioGroup3.ItemIndex"};
// The store holds Latin-1 text.
constexpr TTextTarget kMemoTarget{TCodePage::Latin1, "The extra designs", "the settings"};

}  // namespace

TfrmStdShip::TfrmStdShip(TznSaveState& store, UserInterface& ui, IShipDesignService& design,
                         TServicesSource services, QWidget* parent)
    : TToolWindow("Standard Ship", kStandardShipHelpContext, store, parent),
      ui_(ui),
      design_(design),
      services_(std::move(services)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  auto* options = new QHBoxLayout;
  const char* groupNames[] = {"RadioGroup1", "RadioGroup2", "RadioGroup3"};
  for (TStdShipOption option : kStdShipOptions) {
    const auto o = static_cast<size_t>(option);
    auto* box = new QGroupBox(FromLatin1(StdShipOptionCaption(option)), this);
    box->setObjectName(groupNames[o]);
    auto* column = new QVBoxLayout(box);
    column->setSpacing(1);
    auto* group = new QButtonGroup(box);
    const std::vector<std::string>& items = StdShipOptionItems(option);
    for (size_t i = 0; i < items.size(); ++i) {
      auto* radio = new QRadioButton(FromLatin1(items[i]), box);
      group->addButton(radio, static_cast<int>(i));
      column->addWidget(radio);
    }
    column->addStretch();
    connect(group, &QButtonGroup::idClicked, this,
            [this, option](int item) { design_.SetStdShipOption(option, item); });
    groups_[o] = group;
    options->addWidget(box, 0, Qt::AlignTop);
  }
  layout->addLayout(options);

  auto* buttons = new QHBoxLayout;
  cbxUse1CargoSpace_ = new QCheckBox("Use 1 Cargo Space", this);
  cbxUse1CargoSpace_->setObjectName("cbxUse1CargoSpace");
  btnClipboard_ = new QPushButton("Orders", this);
  btnClipboard_->setObjectName("btnClipboard");
  btnClipboard_->setToolTip("Write the standard ship's D line into the orders");
  btnExtra_ = new QPushButton(">>", this);
  btnExtra_->setObjectName("btnExtra");
  btnExtra_->setToolTip("Show or hide the extra designs");
  btnClose_ = new QPushButton("&Close", this);
  btnClose_->setObjectName("btnClose");
  buttons->addWidget(cbxUse1CargoSpace_);
  buttons->addStretch();
  buttons->addWidget(btnClipboard_);
  buttons->addWidget(btnExtra_);
  buttons->addWidget(btnClose_);
  layout->addLayout(buttons);

  memo1_ = new QPlainTextEdit(this);
  memo1_->setObjectName("Memo1");
  memo1_->setMinimumHeight(150);
  memo1_->setVisible(false);
  layout->addWidget(memo1_);

  connect(cbxUse1CargoSpace_, &QCheckBox::clicked, this,
          [this](bool on) { design_.SetUseOneCargo(on); });
  connect(btnClipboard_, &QPushButton::clicked, this, &TfrmStdShip::OrdersClicked);
  connect(btnExtra_, &QPushButton::clicked, this, &TfrmStdShip::ExtraClicked);
  connect(btnClose_, &QPushButton::clicked, this, [this] {
    if (ExtraDesignsFit()) hide();
  });
  Sync();
}

void TfrmStdShip::Sync() {
  for (TStdShipOption option : kStdShipOptions) {
    QButtonGroup* group = groups_[static_cast<size_t>(option)];
    if (QAbstractButton* button = group->button(design_.StdShipOption(option)))
      button->setChecked(true);
  }
  cbxUse1CargoSpace_->setChecked(design_.UseOneCargo());
  const std::string name = design_.StdShipName();
  setWindowTitle(name.empty() ? QString("Standard Ship")
                              : FromLatin1("Standard Ship (" + name + ")"));
}

void TfrmStdShip::ShowInFront() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
}

void TfrmStdShip::OrdersClicked() {
  if (!design_.GenerateStandardShip()) {
    ui_.ShowMessage(
        "No standard ship: the ship designer's productivity times the turns must be a number of "
        "at least 3.");
    return;
  }
  const std::optional<TStdShip> ship = design_.StdShip();
  if (!ship) return;
  TDesignValues values;
  values.Drive = ship->DriveValue;
  values.Attacks = ship->AttacksValue;
  values.Weapons = ship->WeaponsValue;
  values.Shields = ship->ShieldsValue;
  values.Cargo = ship->CargoValue;
  const std::vector<int> refused = FieldsBetweenZeroAndOne(values);
  if (!refused.empty() && !ui_.AskYesNo(BetweenZeroAndOneQuestion(refused, values))) return;
  IOrderService* orders = services_().Orders;
  if (!orders) return;
  orders->InsertOtherCommands(ship->Line);
  orders->AnalyseOrders();
}

void TfrmStdShip::ShowExtraDesigns(bool shown) {
  memo1_->setVisible(shown);
  btnExtra_->setText(shown ? "<<" : ">>");
  // The window is as high as what it shows.
  layout()->activate();
  resize(width(), sizeHint().height());
}

void TfrmStdShip::ExtraClicked() {
  ShowExtraDesigns(memo1_->isHidden());
}

void TfrmStdShip::showEvent(QShowEvent* event) {
  if (memo1_->toPlainText().isEmpty()) {
    QStringList lines;
    for (const char* line : kExtraDesigns) lines << FromLatin1(line);
    memo1_->setPlainText(lines.join('\n'));
  }
  Sync();
  TToolWindow::showEvent(event);
}

bool TfrmStdShip::ExtraDesignsFit() {
  if (TypedTextFits(memo1_->toPlainText(), kMemoTarget, ui_)) return true;
  ShowExtraDesigns(true);
  return false;
}

void TfrmStdShip::closeEvent(QCloseEvent* event) {
  // Extra designs the settings cannot hold keep the window open, the designs shown, when the
  // user closes it; the program's own close (its end) goes on, and saving tells.
  if (event->spontaneous() && !ExtraDesignsFit()) {
    event->ignore();
    return;
  }
  TToolWindow::closeEvent(event);
}

void TfrmStdShip::LoadOwnState() {
  for (TStdShipOption option : kStdShipOptions) {
    const int item = Store().ReadInteger(kSection, kOptionKeys[static_cast<size_t>(option)],
                                         design_.StdShipOption(option));
    if (item != design_.StdShipOption(option)) design_.SetStdShipOption(option, item);
  }
  const bool cargo = Store().ReadBool(kSection, "cbxUse1CargoSpace.Checked", design_.UseOneCargo());
  if (cargo != design_.UseOneCargo()) design_.SetUseOneCargo(cargo);
  QStringList lines;
  for (const std::string& line :
       SplitCommaText(Store().ReadString(kSection, "Memo1.Lines.CommaText", "")))
    lines << FromLatin1(line);
  memo1_->setPlainText(lines.join('\n'));
  ShowExtraDesigns(Store().ReadBool(kSection, "Memo1.Visible", !memo1_->isHidden()));
  Sync();
}

void TfrmStdShip::SaveOwnState() {
  for (TStdShipOption option : kStdShipOptions)
    Store().WriteInteger(kSection, kOptionKeys[static_cast<size_t>(option)],
                         design_.StdShipOption(option));
  Store().WriteBool(kSection, "cbxUse1CargoSpace.Checked", design_.UseOneCargo());
  const QString memo = memo1_->toPlainText();
  if (const std::string names = UnheldTypedChars(memo, kMemoTarget.Page); !names.empty()) {
    // What the store had stays.
    ui_.ShowMessageUtf8(UnheldCharsMessage(kMemoTarget, names, "They were not kept."));
  } else {
    std::vector<std::string> lines;
    for (const QString& line : memo.split('\n'))
      lines.push_back(EncodeTyped(line, kMemoTarget.Page).value_or(""));
    if (memo.isEmpty()) lines.clear();
    // Empty lines as "", so that the memo comes back as it was, a last empty line too.
    Store().WriteString(kSection, "Memo1.Lines.CommaText", JoinCommaText(lines, true));
  }
  Store().WriteBool(kSection, "Memo1.Visible", !memo1_->isHidden());
}

}  // namespace tovix

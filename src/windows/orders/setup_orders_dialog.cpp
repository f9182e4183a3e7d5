#include "windows/orders/setup_orders_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "orders/order_skeleton.h"
#include "platform/shell.h"
#include "platform/typed_text.h"

namespace tovix {

TfrmSetupOrders::TfrmSetupOrders(const GameState& state, UserInterface& ui,
                                 std::function<IOrderLines*()> orderLines, QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui), orderLines_(std::move(orderLines)) {
  setWindowTitle("Setup Orders");
  setModal(true);
  auto* grid = new QGridLayout(this);
  edtFirstLine_ = new QLineEdit("#", this);
  edtFirstLine_->setObjectName("edtFirstLine");
  edtFirstLine_->setMinimumWidth(360);
  auto* lblFirstLine = new QLabel("&First Line of orders:", this);
  lblFirstLine->setBuddy(edtFirstLine_);
  lblPasswordWarning_ =
      new QLabel(DisplayText("(If you change the password, this password\r\nis not valid!)"), this);
  lblPasswordWarning_->setObjectName("lblPasswordWarning");
  lblPasswordWarning_->setVisible(false);
  cbxChangeRaceName_ = new QCheckBox("Change &Race Name:", this);
  cbxChangeRaceName_->setObjectName("cbxChangeRaceName");
  edtRaceName_ = new QLineEdit(this);
  edtRaceName_->setObjectName("edtRaceName");
  auto* lblRaceName = new QLabel("&to:", this);
  lblRaceName->setBuddy(edtRaceName_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  grid->addWidget(lblFirstLine, 0, 0, 1, 3);
  grid->addWidget(edtFirstLine_, 1, 0, 1, 3);
  grid->addWidget(lblPasswordWarning_, 2, 0, 1, 3);
  grid->addWidget(cbxChangeRaceName_, 3, 0);
  grid->addWidget(lblRaceName, 3, 1);
  grid->addWidget(edtRaceName_, 3, 2);
  grid->addWidget(buttons, 4, 0, 1, 3);
  grid->setColumnStretch(2, 1);
  connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSetupOrders::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

IOrderLines* TfrmSetupOrders::Target() const {
  if (lines_) return lines_;
  return orderLines_ ? orderLines_() : nullptr;
}

void TfrmSetupOrders::showEvent(QShowEvent* event) {
  Prepare();
  QDialog::showEvent(event);
}

void TfrmSetupOrders::Prepare() {
  const QString first = edtFirstLine_->text();
  if (first.isEmpty() || first == "#") {
    const TOrderHeader header = DefaultOrderHeader(state_);
    edtFirstLine_->setText(DecodeForEdit(header.Line, TCodePage::Windows1252));
    lblPasswordWarning_->setVisible(header.HasPassword);
  }
  if (edtRaceName_->text().isEmpty() && state_.MainPlayer)
    edtRaceName_->setText(DecodeForEdit(state_.MainPlayer->Name, TCodePage::Windows1252));
}

void TfrmSetupOrders::Confirm() {
  IOrderLines* lines = Target();
  if (!lines) {
    reject();
    return;
  }
  // Both lines go into the orders: a character they cannot hold keeps the dialog open with it.
  const std::optional<std::string> firstLine = TakeTypedText(
      edtFirstLine_->text(), {TCodePage::Windows1252, "The first line", "the orders"}, ui_);
  if (!firstLine) return;
  const bool rename = cbxChangeRaceName_->isChecked();
  const std::optional<std::string> typedName =
      rename ? TakeTypedText(edtRaceName_->text().trimmed(),
                             {TCodePage::Windows1252, "The race name", "the orders"}, ui_)
             : std::string();
  if (!typedName) return;
  const std::string& newName = *typedName;
  // A rename order without a name would be refused by the server.
  if (rename && newName.empty()) {
    ui_.ShowMessage("Enter the new race name, or clear \"Change Race Name\".");
    return;
  }
  if (lines->Count() > 0 &&
      !ui_.AskYesNo("Are you sure you want to create a new setup for the orders?\rOld commands "
                    "will be lost!"))
    return;
  WriteOrderSkeleton(*lines, *firstLine,
                     rename ? std::optional<std::string>(newName) : std::nullopt);
  accept();
}

}  // namespace tovix

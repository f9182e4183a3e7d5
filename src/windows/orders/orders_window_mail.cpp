// The orders window's mail commands: "Mail orders", the relay messages of the players window and
// the mail settings dialog. The mail service composes and sends; the order text is only read.
#include "windows/base/wait_cursor.h"
#include "windows/orders/orders_window.h"

namespace tovix {

bool TfrmOrders::MailOrders() {
  if (!CanWriteOrders(TOrdersOutlet::Mail)) return false;
  TWaitCursor wait;
  return mail_.SendOrders(lines_, serverAddress_, subject_, mniPlaceInOutbox_->isChecked());
}

void TfrmOrders::SendRelayMessage(const std::string& race, const std::string& text) {
  TWaitCursor wait;
  mail_.SendRelayMessage(lines_, serverAddress_, race, text, mniPlaceInOutbox_->isChecked());
}

void TfrmOrders::EditMailSettings() {
  TfrmMailSettings dialog(mail_, ui_, this);
  dialog.exec();
}

}  // namespace tovix

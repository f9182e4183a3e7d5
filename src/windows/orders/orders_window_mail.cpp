// The orders window's mail commands: "Mail orders", the relay messages of the players window and
// the mail settings dialog. The mail service composes and sends (off the window thread, under
// its progress window); the order text is only read.
#include "windows/orders/orders_window.h"

namespace tovix {

bool TfrmOrders::MailOrders() {
  if (!CanWriteOrders(TOrdersOutlet::Mail)) return false;
  // The orders are checked as they stand now: what the server would refuse or not read is
  // named first.
  AnalyseOrders();
  if (const std::optional<std::string> question = ErrorNotesQuestion(service_.NoteItems());
      question && !ui_.AskYesNo(*question))
    return false;
  return mail_.SendOrders(lines_, serverAddress_, subject_, mniPlaceInOutbox_->isChecked());
}

void TfrmOrders::SendRelayMessage(const std::string& race, const std::string& text) {
  mail_.SendRelayMessage(lines_, serverAddress_, race, text, mniPlaceInOutbox_->isChecked());
}

void TfrmOrders::EndSession() {
  mail_.EndSession();
  mailPrompts_.CancelSend();
}

void TfrmOrders::EditMailSettings() {
  TfrmMailSettings dialog(mail_, ui_, this);
  dialog.exec();
}

}  // namespace tovix

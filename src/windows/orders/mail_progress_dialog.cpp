#include "windows/orders/mail_progress_dialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/latin1.h"
#include "windows/base/window_entry.h"

namespace tovix {

QString TfrmMailProgress::Caption(const TMailDelivery& d) {
  std::string to;
  for (const std::string& address : d.To) to += (to.empty() ? "" : ", ") + address;
  std::string how;
  if (d.Method == TMailMethod::Smtp)
    how = "through the mail server " + d.Server.Host + ":" + std::to_string(d.Server.Port);
  else
    how = "with the mail program " + d.Program;
  return FromLatin1("Sending the " + d.What + " to " + to + "\n" + how + " ...");
}

TfrmMailProgress::TfrmMailProgress(const TMailDelivery& delivery, QWidget* parent)
    : QDialog(parent), delivery_(delivery) {
  setObjectName("frmMailProgress");
  // Its help is the mail settings' page.
  if (const TWindowEntry* entry = FindWindowEntry("frmMailSettings"))
    setProperty("HelpContext", entry->HelpContext);
  setWindowTitle("Mail");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  lblWhat_ = new QLabel(Caption(delivery), this);
  lblWhat_->setObjectName("lblWhat");
  layout->addWidget(lblWhat_);
  auto* busy = new QProgressBar(this);
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  layout->addWidget(busy);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  btnCancel_ = buttons->button(QDialogButtonBox::Cancel);
  btnCancel_->setObjectName("btnCancel");
  layout->addWidget(buttons);
  connect(btnCancel_, &QPushButton::clicked, this, [this] { Cancel(); });
  setMinimumWidth(420);
}

TfrmMailProgress::~TfrmMailProgress() {
  cancel_.Cancel();
  if (thread_.joinable()) thread_.join();
}

TSendResult TfrmMailProgress::Run() {
  thread_ = std::thread([this] {
    result_ = Deliver(delivery_, &cancel_);
    ended_.store(true);
    // Dropped by Qt when the window is gone first; its destructor waits for this thread.
    QMetaObject::invokeMethod(
        this, [this] { Ended(); }, Qt::QueuedConnection);
  });
  exec();
  // Only the end of the send closes the window; should anything else, the send ends too.
  cancel_.Cancel();
  thread_.join();
  return result_;
}

void TfrmMailProgress::Cancel() {
  if (ended_.load()) return;
  cancel_.Cancel();
  lblWhat_->setText("Cancelling the send ...");
  btnCancel_->setEnabled(false);
}

void TfrmMailProgress::Ended() {
  QDialog::done(QDialog::Accepted);
}

void TfrmMailProgress::reject() {
  // Esc and the window's close button cancel; the window goes when the send has ended.
  if (ended_.load())
    QDialog::reject();
  else
    Cancel();
}

void TfrmMailProgress::closeEvent(QCloseEvent* event) {
  if (ended_.load()) {
    QDialog::closeEvent(event);
    return;
  }
  Cancel();
  event->ignore();
}

}  // namespace tovix

#pragma once
// The window a mail is sent under. The transport runs on a thread of its own while this modal
// window says what goes where; the program's windows keep painting and their timers keep
// running, and Cancel (also Esc and closing the window) ends the send at once: the mail
// program is killed, the connection to the SMTP server shut. The window closes when the thread
// has ended, with its outcome.

#include <QDialog>
#include <atomic>
#include <thread>

#include "mail/cancel_token.h"
#include "mail/mail_service.h"

class QLabel;
class QPushButton;

namespace tovix {

class TfrmMailProgress : public QDialog {
  Q_OBJECT

 public:
  TfrmMailProgress(const TMailDelivery& delivery, QWidget* parent = nullptr);
  // Cancels a send still under way and waits for its thread, which then ends at once.
  ~TfrmMailProgress() override;

  // Sends, showing the window modally until the send has ended; the outcome.
  TSendResult Run();
  // Ends the send at once; the window stays until the thread has ended.
  void Cancel();
  QPushButton* CancelButton() const { return btnCancel_; }

  // What the window says while `delivery` is sent.
  static QString Caption(const TMailDelivery& delivery);

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Ended();

  const TMailDelivery& delivery_;
  TCancelToken cancel_;
  TSendResult result_;  // the thread's, read once `ended_` is set
  std::atomic<bool> ended_{false};
  std::thread thread_;
  QLabel* lblWhat_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
};

}  // namespace tovix

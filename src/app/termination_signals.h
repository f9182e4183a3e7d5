#pragma once
// The signals that end a desktop session's programs (SIGTERM at a logout or shutdown, SIGHUP
// when the terminal goes): while an object of this class lives, they no longer end the process
// at once but arrive as the Received() signal in the event loop, so that the program closes
// the way its main window's close does and saves what it keeps. The handlers that were there
// before are restored when the object goes.

#include <QObject>
#include <csignal>

class QSocketNotifier;

namespace tovix {

class TTerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TTerminationSignals(QObject* parent = nullptr);
  ~TTerminationSignals() override;
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

  // False when the handlers could not be installed (the signals then end the process as usual).
  bool Installed() const { return installed_; }

 signals:
  // SIGTERM or SIGHUP arrived (the number of the signal).
  void Received(int signal);

 private:
  void Read();

  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction oldTerm_ {};
  struct sigaction oldHup_ {};
  bool installed_ = false;
};

}  // namespace tovix

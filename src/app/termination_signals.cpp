#include "app/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace tovix {

namespace {

// The one process-wide piece: a signal handler can only reach a plain variable. It holds the
// writing end of the socket pair of the object that is installed (-1 when none is).
volatile sig_atomic_t gSignalWriteFd = -1;

extern "C" void OnTerminationSignal(int signal) {
  const int saved = errno;
  const int fd = gSignalWriteFd;
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Nothing can be done in a handler when the write fails; a full socket already holds a
    // byte that will be read.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
  if (gSignalWriteFd >= 0) return;  // one object at a time
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) return;
  ::fcntl(fds_[1], F_SETFL, ::fcntl(fds_[1], F_GETFL) | O_NONBLOCK);
  gSignalWriteFd = fds_[1];
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGTERM, &action, &oldTerm_) != 0) {
    gSignalWriteFd = -1;
    return;
  }
  if (::sigaction(SIGHUP, &action, &oldHup_) != 0) {
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    gSignalWriteFd = -1;
    return;
  }
  installed_ = true;
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
}

TTerminationSignals::~TTerminationSignals() {
  if (installed_) {
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    ::sigaction(SIGHUP, &oldHup_, nullptr);
    gSignalWriteFd = -1;
  }
  delete notifier_;
  for (int fd : fds_)
    if (fd >= 0) ::close(fd);
}

void TTerminationSignals::Read() {
  unsigned char byte = 0;
  if (::read(fds_[0], &byte, 1) == 1) emit Received(byte);
}

}  // namespace tovix

#include "mail/cancel_token.h"

#include <fcntl.h>
#include <unistd.h>

namespace tovix {

TCancelToken::TCancelToken() {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
}

TCancelToken::~TCancelToken() {
  for (int fd : fds_)
    if (fd >= 0) ::close(fd);
}

void TCancelToken::Cancel() {
  const std::lock_guard lock(mutex_);
  if (cancelled_.exchange(true)) return;
  if (fds_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(fds_[1], &byte, 1);
  }
  if (hook_) hook_();
}

void TCancelToken::SetHook(std::function<void()> hook) {
  const std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
  if (hook_ && cancelled_) hook_();
}

}  // namespace tovix

#pragma once
// A send that another thread may stop at any moment: the window thread cancels, the thread
// that sends sees it at once, whether it waits in poll() (the descriptor becomes readable) or
// inside a library (the hook shuts the connection it waits on).

#include <atomic>
#include <functional>
#include <mutex>

namespace tovix {

class TCancelToken {
 public:
  TCancelToken();
  ~TCancelToken();
  TCancelToken(const TCancelToken&) = delete;
  TCancelToken& operator=(const TCancelToken&) = delete;

  // Any thread, any number of times.
  void Cancel();
  bool Cancelled() const { return cancelled_.load(); }
  // Readable once cancelled; -1 when no descriptor could be made (then only Cancelled() and the
  // hook tell).
  int Fd() const { return fds_[0]; }
  // `hook` runs at the cancel (at once when it has come already), under the token's lock, so it
  // never runs after SetHook(nullptr) has returned.
  void SetHook(std::function<void()> hook);

 private:
  std::atomic<bool> cancelled_{false};
  int fds_[2] = {-1, -1};
  std::mutex mutex_;
  std::function<void()> hook_;
};

}  // namespace tovix

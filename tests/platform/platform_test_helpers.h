#pragma once
// Helpers of the platform and dialog tests: answering the modal windows the code under test
// opens, and setting environment variables for one test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace tovix::test {

// Names the rows of a parameterized test after their `name` field.
template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// While it lives, hands every modal window that opens to `answer` (which must close it) and
// counts them. It runs inside the window's own event loop.
class ModalAnswerer : public QObject {
 public:
  explicit ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      if (modal == last_) {
        // An answer that did not close its window would hang the test: after many rounds of
        // the event loop it is closed and the test fails.
        if (++roundsOpen_ < kMaxRoundsOpen) return;
        ADD_FAILURE() << "A modal window stayed open: " << modal->windowTitle().toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
          dialog->reject();
        else
          modal->close();
        return;
      }
      last_ = modal;
      roundsOpen_ = 0;
      ++count_;
      answer_(modal);
    });
    timer_.start();
  }
  int Count() const { return count_; }

 private:
  std::function<void(QWidget*)> answer_;
  QTimer timer_;
  static constexpr int kMaxRoundsOpen = 10000;
  QPointer<QWidget> last_;
  int roundsOpen_ = 0;
  int count_ = 0;
};

// Calls `onHang` once when the event loop has gone round `rounds` times while the guard lives: a
// test that would otherwise wait for ever fails instead, without looking at the clock.
class LoopGuard : public QObject {
 public:
  LoopGuard(int rounds, std::function<void()> onHang) : left_(rounds), onHang_(std::move(onHang)) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (--left_ > 0) return;
      timer_.stop();
      onHang_();
    });
    timer_.start();
  }
  bool Fired() const { return left_ <= 0; }

 private:
  int left_;
  std::function<void()> onHang_;
  QTimer timer_;
};

// Sets (or, with nullopt, removes) an environment variable until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace tovix::test

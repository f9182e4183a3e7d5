#pragma once
// Helpers of the form-control tests.

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <QTimerEvent>

#include <ostream>

#include "controls/beep.h"

// Lets a failing comparison print a QString as text.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace tovix::test {

// Counts the beeps of the form controls while it lives.
class BeepCounter {
 public:
  BeepCounter() : previous_(SetBeepHook([this] { ++count_; })) {}
  ~BeepCounter() { SetBeepHook(previous_); }
  BeepCounter(const BeepCounter&) = delete;
  BeepCounter& operator=(const BeepCounter&) = delete;
  int Count() const { return count_; }

 private:
  int count_ = 0;
  BeepHook previous_;
};

// Fires an active timer's timeout now, as if its interval had passed.
inline void FireTimer(QTimer* timer) {
  QTimerEvent event(timer->timerId());
  QCoreApplication::sendEvent(timer, &event);
}

}  // namespace tovix::test

#include "controls/beep.h"

#include <QApplication>
#include <utility>

namespace tovix {

namespace {
BeepHook& Hook() {
  static BeepHook hook;
  return hook;
}
}  // namespace

void Beep() {
  if (Hook()) {
    Hook()();
  } else {
    QApplication::beep();
  }
}

BeepHook SetBeepHook(BeepHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

}  // namespace tovix

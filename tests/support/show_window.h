#pragma once
// Showing a window in a test without waiting on the clock: the events that showing (and
// activating) posts are run at once, and the result says whether the window is exposed (and
// active).

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace tovix::test {

inline bool ShowExposed(QWidget& window) {
  window.show();
  QCoreApplication::processEvents();
  return window.windowHandle() != nullptr && window.windowHandle()->isExposed();
}

inline bool ShowActive(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
  QCoreApplication::processEvents();
  return window.isActiveWindow();
}

}  // namespace tovix::test

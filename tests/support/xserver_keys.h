#pragma once
// Real key presses for the tests that run under an X server of their own
// (scripts/with-xserver.sh, CMake's tovix_add_xserver_test). xdotool sends them through the XTEST
// extension, so they reach the focused window as a user's keys do, mapped by the server's
// keyboard (US layout): Shift+Ctrl+1 arrives as "!" with Shift and Ctrl, Ctrl+M with a carriage
// return as its text, as no offscreen test sends them.

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <string>

namespace tovix::test {

// Why real keys cannot be pressed here (the skip message); empty when they can.
inline std::string RealKeysUnavailable() {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    return "not on an X server: run under scripts/with-xserver.sh (ctest -L xserver)";
  if (QStandardPaths::findExecutable("xdotool").isEmpty())
    return "xdotool is not installed (scripts/setup-machine.sh installs it)";
  return {};
}

// Presses the keys one after the other, as xdotool names them ("ctrl+shift+1", "Tab", "End").
// True when xdotool sent them; their events arrive while the event loop runs.
inline bool PressKeys(const QStringList& keys) {
  return QProcess::execute("xdotool", QStringList{"key", "--delay", "10"} + keys) == 0;
}

// Shows (a minimised window restored) and activates `window` and gives `focus` the keyboard;
// false when the window system did not (within a generous watchdog).
inline bool FocusForKeys(QWidget& window, QWidget& focus) {
  if (window.isMinimized())
    window.showNormal();
  else
    window.show();
  if (!QTest::qWaitForWindowExposed(&window, 20000)) return false;
  window.raise();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window, 20000)) return false;
  focus.setFocus(Qt::OtherFocusReason);
  return QTest::qWaitFor([&focus] { return focus.hasFocus(); }, 20000);
}

// Runs the event loop until `done` holds; false when it did not within the watchdog. Keys are
// pressed with a last one whose effect is seen, so that waiting for it waits for all before it.
template <class Done>
bool WaitFor(Done done) {
  return QTest::qWaitFor(done, 20000);
}

}  // namespace tovix::test

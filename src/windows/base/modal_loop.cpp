#include "windows/base/modal_loop.h"

#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace tovix {

namespace {

// Ends a local event loop when its window is hidden.
class HideWatcher : public QObject {
 public:
  explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) loop_.quit();
    return QObject::eventFilter(watched, event);
  }

 private:
  QEventLoop& loop_;
};

}  // namespace

void RunModally(QWidget& window) {
  window.setWindowModality(Qt::ApplicationModal);
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
  if (window.isVisible()) {
    QEventLoop loop;
    HideWatcher watcher(loop);
    window.installEventFilter(&watcher);
    loop.exec(QEventLoop::DialogExec);
    window.removeEventFilter(&watcher);
  }
  window.setWindowModality(Qt::NonModal);
}

}  // namespace tovix

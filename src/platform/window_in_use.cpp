#include "platform/window_in_use.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace tovix {

namespace {

// The windows a user works in: tool windows, dialogs and message boxes, not menus or tips.
bool CanBeInUse(const QWidget* w, const QWidget* except) {
  if (!w || w == except || !w->isWindow() || !w->isVisible() || w->isMinimized()) return false;
  const Qt::WindowType type = w->windowType();
  return type == Qt::Window || type == Qt::Dialog;
}

// The windows in the order they were last active, the latest first.
class TActivationHistory : public QObject {
 public:
  explicit TActivationHistory(QObject* parent) : QObject(parent) {}

  QWidget* Latest(const QWidget* except) const {
    for (const QPointer<QWidget>& w : windows_)
      if (CanBeInUse(w, except)) return w;
    return nullptr;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget->isWindow()) Note(widget);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Note(QWidget* window) {
    windows_.erase(
        std::remove_if(windows_.begin(), windows_.end(),
                       [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; }),
        windows_.end());
    windows_.insert(windows_.begin(), window);
    // Message boxes come and go: the older end of the list is of no use.
    if (windows_.size() > kKept) windows_.resize(kKept);
  }

  static constexpr size_t kKept = 64;
  std::vector<QPointer<QWidget>> windows_;
};

QPointer<TActivationHistory>& History() {
  static QPointer<TActivationHistory> history;
  return history;
}

}  // namespace

QWidget* WindowInUse(const QWidget* except) {
  QWidget* active = QApplication::activeWindow();
  if (CanBeInUse(active, except)) return active;
  return History() ? History()->Latest(except) : nullptr;
}

void TrackWindowInUse() {
  if (History() || !qApp) return;
  History() = new TActivationHistory(qApp);
  qApp->installEventFilter(History());
}

}  // namespace tovix

#include "windows/base/window_stacking.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QWidget>
#include <QWindow>

namespace tovix {

QWidget* ShownMainWindow(const QWidget* except) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* main = qobject_cast<QMainWindow*>(w); main && main != except && main->isVisible())
      return main;
  return nullptr;
}

namespace {

bool LeadsTo(const QWindow* window, const QWindow* target) {
  // A chain of transient parents ends; the count only guards against a cycle.
  for (int depth = 0; window && depth < 64; ++depth, window = window->transientParent())
    if (window == target) return true;
  return false;
}

}  // namespace

bool StacksAboveMainWindow(const QWidget& window) {
  const QWidget* main = ShownMainWindow(&window);
  if (!main || !main->windowHandle() || !window.windowHandle()) return false;
  return LeadsTo(window.windowHandle()->transientParent(), main->windowHandle());
}

void StackAboveMainWindow(QWidget& window) {
  QWidget* main = ShownMainWindow(&window);
  // Qt tells the window manager the transient parent of a dialog, not of an ordinary window.
  if (!main || !main->windowHandle() || !window.isWindow() || window.windowType() != Qt::Dialog)
    return;
  if (!window.windowHandle()) window.winId();
  QWindow* handle = window.windowHandle();
  if (!handle || LeadsTo(handle->transientParent(), main->windowHandle())) return;
  handle->setTransientParent(main->windowHandle());
}

bool TDialogStacking::eventFilter(QObject* watched, QEvent* event) {
  // The show event comes before the window is mapped.
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->isWindow()) StackAboveMainWindow(*widget);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tovix

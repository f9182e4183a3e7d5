#include "windows/base/window_stacking.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "core/settings/window_placement.h"
#include "platform/window_in_use.h"
#include "windows/base/tool_window.h"

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

namespace {

TScreenRect ScreenRectOf(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The frame of a shown window: as the window system told it, else as it tells other windows'.
TScreenRect FrameRectOf(const QWidget& window) {
  return FrameOf(ScreenRectOf(window.geometry()), FrameMarginsOf(window));
}

bool ShownAndNotMinimized(const QWidget* window) {
  return window && window->isVisible() && !window->isMinimized();
}

// The dialogs and message boxes the rule places: tool windows place themselves.
bool IsPlacedDialog(const QWidget& w) {
  return w.isWindow() && w.windowType() == Qt::Dialog && !qobject_cast<const TToolWindow*>(&w);
}

QWidget* WidgetOf(const QWindow* window) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowHandle() == window) return w;
  return nullptr;
}

// Places `dialog` and leaves it free to be placed again at its next opening, as Qt leaves a
// dialog it centred.
void PlaceDialogOpening(QWidget& dialog, const QWidget* owner, bool keepPlace) {
  PlaceDialog(dialog, owner, keepPlace);
  if (!keepPlace) dialog.setAttribute(Qt::WA_Moved, false);
}

}  // namespace

QWidget* OwnerWindowOf(const QWidget& dialog) {
  if (const QWidget* parent = dialog.parentWidget();
      parent && ShownAndNotMinimized(parent->window()))
    return parent->window();
  if (QWidget* inUse = WindowInUse(&dialog)) return inUse;
  QWidget* main = ShownMainWindow(&dialog);
  return ShownAndNotMinimized(main) ? main : nullptr;
}

void PlaceDialog(QWidget& dialog, const QWidget* owner, bool keepPlace) {
  const TFrameMargins margins = FrameMarginsOf(dialog);
  const std::vector<TScreenRect> screens = ScreenRects();
  std::vector<TScreenRect> covering;
  if (const QWidget* main = ShownMainWindow(&dialog); ShownAndNotMinimized(main))
    covering.push_back(FrameRectOf(*main));
  const TScreenRect now = ScreenRectOf(dialog.geometry());
  TScreenRect r;
  if (keepPlace) {
    r = KeepTitleBarClear(KeepFrameOnScreen(now, margins, screens, true), margins, covering,
                          screens, true);
  } else {
    std::optional<TScreenRect> over;
    if (ShownAndNotMinimized(owner) && owner != &dialog) over = FrameRectOf(*owner);
    r = DialogPlacement(now.Width(), now.Height(), margins, over, covering, screens);
  }
  if (r != now) SetClientGeometry(dialog, r);
}

TDialogStacking::TDialogStacking(QObject* parent) : QObject(parent) {
  TrackWindowInUse();
}

bool TDialogStacking::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    // The widget's show event comes before the window is mapped.
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->isWindow()) StackAboveMainWindow(*widget);
  } else if (event->type() == QEvent::Show && watched->isWindowType()) {
    // The native window's show event comes after the widget's, where a dialog has laid itself
    // out (a message box sizes itself there) and Qt has centred it, and before it is mapped. A
    // dialog that its own code placed keeps its place: Qt clears the moved mark after its own
    // centring, so a mark still set is the dialog's.
    QWidget* dialog = WidgetOf(static_cast<QWindow*>(watched));
    if (dialog && IsPlacedDialog(*dialog)) {
      const bool keepPlace = dialog->testAttribute(Qt::WA_Moved);
      // The owner as the dialog opens: the window in use may change before it is exposed.
      const QPointer<QWidget> owner = NoteOwner(*dialog);
      PlaceDialogOpening(*dialog, owner, keepPlace);
      // Placed with the frame of other windows: checked against its own once it is told.
      QPointer<QWidget> placed(dialog);
      WhenExposed(*dialog, [placed, owner, keepPlace] {
        if (placed && placed->isVisible()) PlaceDialogOpening(*placed, owner, keepPlace);
      });
    }
  } else if (event->type() == QEvent::Hide && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->isWindow()) HandBackActivation(*widget);
  }
  return QObject::eventFilter(watched, event);
}

QWidget* TDialogStacking::NoteOwner(QWidget& dialog) {
  std::erase_if(owners_, [&dialog](const auto& entry) {
    return entry.first.isNull() || entry.first == &dialog;
  });
  QWidget* owner = OwnerWindowOf(dialog);
  owners_.emplace_back(&dialog, owner);
  return owner;
}

void TDialogStacking::HandBackActivation(QWidget& dialog) {
  const auto entry = std::find_if(owners_.begin(), owners_.end(),
                                  [&dialog](const auto& e) { return e.first == &dialog; });
  if (entry == owners_.end()) return;
  const QPointer<QWidget> owner = entry->second;
  owners_.erase(entry);
  // The user went on elsewhere while the dialog was open: that window keeps the keyboard.
  const QWidget* active = QApplication::activeWindow();
  if (active && active != &dialog && active->isVisible()) return;
  if (owner && owner != &dialog && ShownAndNotMinimized(owner)) owner->activateWindow();
}

}  // namespace tovix

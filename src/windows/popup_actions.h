#pragma once
// The items of a list window's pop-up menu: a shortcut works anywhere in the window, also while
// the menu is closed.

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace tovix {

template <class Window, class Slot>
QAction* AddPopupAction(Window* window, QMenu* menu, const char* text, const QKeySequence& key,
                        Slot slot) {
  QAction* action = menu->addAction(text, window, slot);
  if (!key.isEmpty()) {
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window->addAction(action);
  }
  return action;
}

}  // namespace tovix

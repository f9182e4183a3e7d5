#pragma once
// An item of a window's pop-up menu whose shortcut works also while the menu is closed: `holder`
// (the window, or the list the menu belongs to) takes the shortcut in `context`.

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace tovix {

template <class Receiver, class Slot>
QAction* AddPopupAction(QWidget* holder, QMenu* menu, const char* text, const QKeySequence& key,
                        Receiver* receiver, Slot slot,
                        Qt::ShortcutContext context = Qt::WidgetWithChildrenShortcut) {
  QAction* action = menu->addAction(text, receiver, slot);
  if (!key.isEmpty()) {
    action->setShortcut(key);
    action->setShortcutContext(context);
    holder->addAction(action);
  }
  return action;
}

}  // namespace tovix

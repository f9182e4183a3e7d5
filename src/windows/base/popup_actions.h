#pragma once
// An item of a window's pop-up menu whose shortcut works also while the menu is closed: `holder`
// (the window, or the list the menu belongs to) takes the shortcut in `context`.

#include <QAbstractScrollArea>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <functional>
#include <utility>

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

// AddPopupAction for the menus of a window that holds their shortcuts and runs their items
// itself: `add(menu, text, key, slot)`.
template <class Window>
auto PopupAdder(Window* window) {
  return [window](QMenu* menu, const char* text, const QKeySequence& key, auto slot) {
    return AddPopupAction(window, menu, text, key, window, slot);
  };
}

// Opens `menu` where `view` is right-clicked, after `prepare` (when given) has fitted its items
// to the moment.
inline void ShowMenuOnRightClick(QAbstractScrollArea* view, QMenu* menu,
                                 std::function<void()> prepare = {}) {
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(view, &QWidget::customContextMenuRequested, menu,
                   [view, menu, prepare = std::move(prepare)](const QPoint& pos) {
                     if (prepare) prepare();
                     menu->popup(view->viewport()->mapToGlobal(pos));
                   });
}

}  // namespace tovix

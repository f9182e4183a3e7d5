#include "controls/menu_columns.h"

#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>

namespace tovix {

namespace {

// Closes `menu` and every menu it hangs from.
void CloseMenuChain(QMenu* menu) {
  QMenu* top = menu;
  for (QWidget* w = menu; w != nullptr; w = w->parentWidget()) {
    if (auto* m = qobject_cast<QMenu*>(w)) top = m;
  }
  top->close();
  menu->close();
}

}  // namespace

void AddMenuColumns(QMenu& menu, const QList<QAction*>& actions, int perColumn) {
  for (QAction* action : actions) action->setParent(&menu);
  if (perColumn <= 0 || actions.size() <= perColumn) {
    menu.addActions(actions);
    return;
  }
  auto* item = new QWidgetAction(&menu);
  auto* grid = new QWidget(&menu);
  auto* layout = new QGridLayout(grid);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(0);
  for (int i = 0; i < actions.size(); ++i) {
    auto* button = new QToolButton(grid);
    button->setDefaultAction(actions[i]);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(button, i % perColumn, i / perColumn);
    QObject::connect(actions[i], &QAction::triggered, &menu, [&menu] { CloseMenuChain(&menu); });
  }
  layout->setRowStretch(perColumn, 1);
  item->setDefaultWidget(grid);
  menu.addAction(item);
}

}  // namespace tovix

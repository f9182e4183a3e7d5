#pragma once
// Menu items in columns: a long list of choices (the planets a group can be sent to) shown as
// columns side by side, a new column after every so many items, instead of one list that runs
// off the screen.

#include <QList>

class QAction;
class QMenu;

namespace tovix {

// Adds `actions` to `menu`. Up to `perColumn` of them are plain menu items; more are laid out
// as buttons (icon and text, like menu items) in columns of `perColumn` rows, the first
// `perColumn` in the first column. Choosing one triggers its action and closes the menu and the
// menus it was opened from. The menu takes ownership of the actions.
void AddMenuColumns(QMenu& menu, const QList<QAction*>& actions, int perColumn);

}  // namespace tovix

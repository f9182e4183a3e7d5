#pragma once
// Dialogs above the main window. The main window stays on top at first ("Top Most"), so a dialog
// stacked like any other window would open under it. A window that is transient for the main
// window is kept above it by the window manager (in the main window's stacking layer), and one
// transient for such a window likewise; so every dialog, and every window that serves as one
// (a window of type Qt::Dialog: Qt tells the window manager the transient parent of those only),
// is made transient for the main window as it shows, unless its transient parents lead there.

#include <QObject>

class QWidget;

namespace tovix {

// The program's main window (the shown QMainWindow); nullptr while none is shown, and when that
// is `except`.
QWidget* ShownMainWindow(const QWidget* except = nullptr);

// Whether the transient parents of `window` lead to the shown main window.
bool StacksAboveMainWindow(const QWidget& window);

// Makes `window`, a window of type Qt::Dialog, transient for the shown main window unless its
// transient parents lead there already; nothing for other windows and while no main window is
// shown. Call before the window is mapped (its show event at the latest): the window manager
// reads it then.
void StackAboveMainWindow(QWidget& window);

// Installed on the application: every dialog (the program's dialogs and the tool windows that
// serve as dialogs, message boxes, file dialogs) is stacked above the main window as it shows.
class TDialogStacking : public QObject {
  Q_OBJECT

 public:
  explicit TDialogStacking(QObject* parent = nullptr) : QObject(parent) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tovix

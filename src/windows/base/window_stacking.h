#pragma once
// Dialogs above the main window, and where they open. The main window stays on top at first
// ("Top Most"), so a dialog stacked like any other window would open under it. A window that is
// transient for the main window is kept above it by the window manager (in the main window's
// stacking layer), and one transient for such a window likewise; so every dialog, and every
// window that serves as one (a window of type Qt::Dialog: Qt tells the window manager the
// transient parent of those only), is made transient for the main window as it shows, unless its
// transient parents lead there.
//
// Every dialog and message box that is not a tool window opens centred over the window it belongs
// to, with its whole frame on the screen and its title bar clear of the main window, at every
// opening. Qt's own centring runs before the window manager has told the frame, and with a frame
// of none it put a dialog's client, not its frame, at the screen's top edge: the place is decided
// again just before the window is mapped, with the frame the window manager gave the other
// windows, and checked once more against the dialog's own frame when it is first exposed.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <utility>
#include <vector>

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

// The window a dialog belongs to: its parent's window, else the window in use (WindowInUse),
// else the main window; nullptr when none of them is shown.
QWidget* OwnerWindowOf(const QWidget& dialog);

// Places a dialog or message box (a window of type Qt::Dialog that is not a tool window): its
// frame centred over that of `owner` (OwnerWindowOf as it opened; none or a hidden one: the
// screen), whole on the screen, its title bar clear of the main window. With `keepPlace` (the
// dialog's own code placed it) it stays where it is unless its frame is off the screen or its
// title bar under the main window.
void PlaceDialog(QWidget& dialog, const QWidget* owner, bool keepPlace);

// Installed on the application: every dialog (the program's dialogs and the tool windows that
// serve as dialogs, message boxes, file dialogs) is stacked above the main window as it shows,
// and the dialogs and message boxes are placed (PlaceDialog) at every opening. When such a
// dialog closes, the window it belonged to is made active again: a window manager hands the
// activation to the transient parent, the main window, and the keys would go there.
class TDialogStacking : public QObject {
  Q_OBJECT

 public:
  // Starts following the window in use (TrackWindowInUse), which the boxes belong to.
  explicit TDialogStacking(QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Remembers and returns the window `dialog` belongs to.
  QWidget* NoteOwner(QWidget& dialog);
  void HandBackActivation(QWidget& dialog);

  // The dialogs shown now, each with the window it belongs to.
  std::vector<std::pair<QPointer<QWidget>, QPointer<QWidget>>> owners_;
};

}  // namespace tovix

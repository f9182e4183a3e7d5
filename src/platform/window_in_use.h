#pragma once
// The window the user works in. Message boxes and questions belong to it (it is their parent),
// so that they open over it: the logic that asks knows no windows, and the active window alone
// does not tell, since a dialog that has just closed (a file dialog before "Saved") leaves no
// window active until the window manager activates the next one.

class QWidget;

namespace tovix {

// The program's active window, else the window that was active last and is still shown (not
// minimised), other than `except`; nullptr when there is none. Menus and tips do not count.
QWidget* WindowInUse(const QWidget* except = nullptr);

// Starts following which window is active, once per application (the main window starts it).
void TrackWindowInUse();

}  // namespace tovix

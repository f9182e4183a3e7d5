#pragma once
// Showing a tool window modally. Tool windows are not dialogs and hide instead of closing, so a
// modal show runs its own event loop until the window is hidden.

class QWidget;

namespace tovix {

// Shows `window` application-modal (restored when it was minimised) and returns when it has
// been hidden; at once when it could not be shown. The window is non-modal again afterwards.
void RunModally(QWidget& window);

}  // namespace tovix

#pragma once
// The default beep with which the form controls answer bad input. Every control sounds it through
// Beep(), so a test (or a window that wants silence) can replace it in one place.

#include <functional>

namespace tovix {

using BeepHook = std::function<void()>;

// Sounds the beep: QApplication::beep() unless a hook is installed.
void Beep();

// Installs a hook in place of QApplication::beep(); an empty hook restores it. Returns the hook
// that was installed before.
BeepHook SetBeepHook(BeepHook hook);

}  // namespace tovix

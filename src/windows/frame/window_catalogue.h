#pragma once
// The catalogue of the program's windows: one row per window, in creation order. The registry
// makes the windows from it, the main window builds its toolbar from it and picks the windows of
// its first show and of "Minimize All" by it, and the help dispatcher finds each context's page
// in it. Adding a window is one row here and one class.

#include <span>
#include <string>
#include <string_view>

#include "windows/base/window_entry.h"

namespace tovix {

// Every window, in creation order (main window first).
std::span<const TWindowEntry> WindowCatalogue();

// The page of a help context: the row's topic, the introduction for a context no row has, "" for
// a context that is not handled. The expression dialog has two pages; its caption decides.
std::string HelpTopicFor(int context, std::string_view expressionDialogCaption);

}  // namespace tovix

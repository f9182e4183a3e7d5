#pragma once
// "Add Tabs to All Reports": puts the tab marks back in front of the section headers of every
// report of the game (own and allies', turns 0 to 800), so that the next start reads them. The
// main window's "Extra" menu calls it.
#include <functional>
#include <string>

#include "core/base/user_interface.h"
#include "core/settings/game_types.h"

namespace tovix {

// Asks first (the repair rewrites files and takes a while); then repairs each existing report
// file with AddTabs, telling `showProgress` "Tovix adding tabs: " + the file before each. A
// read-only report that needs a repair is repaired only when the user lets its read-only flag go
// ("Remove readonly for file?", Yes, No or All); No leaves it as it is. The first file that
// cannot be written stops the run with a message naming it. Returns the number of files handled.
int AddTabsToAllReports(const TGameSettings& settings, UserInterface& ui,
                        const std::function<void(const std::string&)>& showProgress);

}  // namespace tovix

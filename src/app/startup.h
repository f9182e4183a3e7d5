#pragma once
// The program's run: the settings store, the windows, the reading of the chosen game with the
// wait window, then either the main window's event loop and the saving of every window's state,
// or (when no game can be read) the configuration dialog and an end that saves nothing.

#include <QApplication>
#include <functional>
#include <string>
#include <vector>

#include "windows/base/services.h"

namespace tovix {

class TWindowRegistry;

// The store of the windows' state, in the program folder.
inline constexpr const char* kStoreFileName = "TovixStore3.ini";

struct TStartupParams {
  // The command-line arguments after the program's name; a first one that is a number chooses
  // the game.
  std::vector<std::string> Args;
  // Called once the main window is up, right before the event loop runs: tests drive the running
  // program from here.
  std::function<void(TWindowRegistry&)> OnRunning;
  // Services that replace the windows' own (tests' recording fakes); null ones are the windows'.
  TServices Services;
};

enum class TStartupOutcome {
  Ran,         // the game was read and the main window ran until it was closed
  Configured,  // no game could be read: the configuration dialog ran instead
  Failed,      // the program folder or the store could not be opened (a message said why)
};

// Runs Tovix in `app` until the main window closes (or the configuration dialog does). The
// program folder is ProgramFolder() of the executable's folder. The application's settings that
// the run changes (title, quitting on the last window) are restored before returning, so that
// the function can run several times in one process.
TStartupOutcome runTovix(QApplication& app, TStartupParams params);

}  // namespace tovix

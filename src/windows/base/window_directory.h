#pragma once
// What a window that reaches the others needs of the registry (frame/window_registry.h): what the
// windows share, the services, the game events and the windows by their instance names. The
// orders window opens other windows through it without depending on the frame that makes them.

#include <filesystem>
#include <string_view>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/settings/save_state.h"
#include "windows/base/game_events.h"
#include "windows/base/services.h"

class QWidget;

namespace tovix {

// What the windows share.
struct TWindowContext {
  TznSaveState& Store;
  TFormStateRegistry& States;
  GameState& State;
  UserInterface& Ui;
  std::filesystem::path ProgramFolder;
};

class IWindowDirectory {
 public:
  virtual const TWindowContext& Context() const = 0;
  virtual const TServices& Services() const = 0;
  virtual TGameEvents& Events() = 0;
  // The window of `instanceName`; nullptr when it is not made (yet).
  virtual QWidget* Find(std::string_view instanceName) const = 0;
  // The main window; nullptr before it is made.
  virtual QWidget* MainWindow() const = 0;

 protected:
  ~IWindowDirectory() = default;
};

}  // namespace tovix

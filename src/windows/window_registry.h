#pragma once
// The program's windows: one instance each for the whole run, made in a fixed order and reached
// through the typed members below (named after the windows' single instances). The registry
// owns them and frees them in the reverse order; windows that keep state are entered in the
// form-state registry as they are made, so loading and saving follow the creation order.
//
// Windows that are not built yet are placeholders (placeholder_windows.h).

#include <QWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/game_state.h"
#include "core/save_state.h"
#include "core/user_interface.h"

namespace tovix {

class TfrmAbout;
class TfrmConfigIni;
class TfrmMain;
class TfrmWait;
class TMapPlaceholder;
class TNotesPlaceholder;
class TOrdersPlaceholder;
class TToolWindow;

// What the windows share.
struct TWindowContext {
  TznSaveState& Store;
  TFormStateRegistry& States;
  GameState& State;
  UserInterface& Ui;
  std::filesystem::path ProgramFolder;
};

class TWindowRegistry {
 public:
  explicit TWindowRegistry(TWindowContext context);
  ~TWindowRegistry();
  TWindowRegistry(const TWindowRegistry&) = delete;
  TWindowRegistry& operator=(const TWindowRegistry&) = delete;

  // The 29 windows made before the reports are read, main window first. None of them touches
  // the model before it is shown.
  void CreateStartupWindows();
  // The 4 windows made once the reports are read.
  void CreateLaterWindows();

  // Every window made so far, in creation order. Each window's object name is its instance name
  // ("frmPlayers").
  const std::vector<QWidget*>& Windows() const { return order_; }
  const TWindowContext& Context() const { return context_; }

  // Made before reading, in creation order.
  TfrmMain* frmMain = nullptr;
  TToolWindow* frmPlayers = nullptr;
  TToolWindow* frmPlanets = nullptr;
  TfrmWait* frmWait = nullptr;
  TToolWindow* frmBattles = nullptr;
  TToolWindow* frmShipDesign = nullptr;
  TToolWindow* frmStdShip = nullptr;
  TToolWindow* frmGraph = nullptr;
  TToolWindow* frmBattleSimulator = nullptr;
  TOrdersPlaceholder* frmOrders = nullptr;
  TToolWindow* frmIncomingGroups = nullptr;
  TMapPlaceholder* frmNewMap = nullptr;
  TToolWindow* frmPlanetSelect = nullptr;
  TToolWindow* frmTurnReports = nullptr;
  TfrmAbout* AboutBox = nullptr;
  TToolWindow* frmBombings = nullptr;
  TfrmConfigIni* frmConfigIni = nullptr;
  TToolWindow* frmSetupOrders = nullptr;
  TToolWindow* frmGroups = nullptr;
  TToolWindow* frmSelectExpressions = nullptr;
  TToolWindow* frmPlanetslist = nullptr;
  TToolWindow* frmCalculations = nullptr;
  TToolWindow* frmAutoCargoSettings = nullptr;
  TToolWindow* frmCreateMessage = nullptr;
  TToolWindow* frmRoutes = nullptr;
  TToolWindow* frmOverView = nullptr;
  TToolWindow* frmChangePlayerColors = nullptr;
  TNotesPlaceholder* frmEditor = nullptr;
  TToolWindow* frmCalculate = nullptr;
  // Made after reading.
  TToolWindow* frmSetExtraInfo = nullptr;
  TToolWindow* frmGroupFilter = nullptr;
  TToolWindow* frmExpressionFilters = nullptr;
  TToolWindow* frmChangeColors = nullptr;

 private:
  // Takes the window over under its instance name (its object name), notes its place in the
  // order and enters it in the form-state registry when it keeps state.
  template <class W>
  W* Keep(const char* instanceName, std::unique_ptr<W> window);
  TToolWindow* Placeholder(const char* instanceName, const char* stateName, int helpContext,
                           const char* purpose);

  TWindowContext context_;
  std::vector<std::unique_ptr<QWidget>> owned_;
  std::vector<QWidget*> order_;
};

}  // namespace tovix

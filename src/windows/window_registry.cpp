#include "windows/window_registry.h"

#include "windows/about_box.h"
#include "windows/config_dialog.h"
#include "windows/main_window.h"
#include "windows/placeholder_windows.h"
#include "windows/wait_window.h"

namespace tovix {

TWindowRegistry::TWindowRegistry(TWindowContext context) : context_(std::move(context)) {}

TWindowRegistry::~TWindowRegistry() {
  while (!owned_.empty()) {
    if (auto* state = dynamic_cast<IFormState*>(owned_.back().get()))
      context_.States.Unregister(*state);
    owned_.pop_back();
  }
  order_.clear();
}

template <class W>
W* TWindowRegistry::Keep(const char* instanceName, std::unique_ptr<W> window) {
  W* w = window.get();
  w->setObjectName(instanceName);
  if (auto* state = dynamic_cast<IFormState*>(w)) context_.States.Register(*state);
  order_.push_back(w);
  owned_.push_back(std::move(window));
  return w;
}

TToolWindow* TWindowRegistry::Placeholder(const char* instanceName, const char* stateName,
                                          int helpContext, const char* purpose) {
  return Keep(instanceName, std::make_unique<TPlaceholderWindow>(stateName, helpContext, purpose,
                                                                 context_.Store));
}

void TWindowRegistry::CreateStartupWindows() {
  TznSaveState& store = context_.Store;
  frmMain = Keep("frmMain", std::make_unique<TfrmMain>(*this));
  frmPlayers = Placeholder("frmPlayers", "Players", 26,
                           "Every race with its latest figures, diplomacy orders and messages. "
                           "Not built yet.");
  frmPlanets = Placeholder("frmPlanets", "Planet Info", 23,
                           "One planet at a time: its report lines, history and the groups at "
                           "it. Not built yet.");
  frmWait = Keep("frmWait", std::make_unique<TfrmWait>());
  frmBattles = Placeholder("frmBattles", "Battles", 5,
                           "The battles of the reports with the groups that fought. Not built "
                           "yet.");
  frmShipDesign = Placeholder("frmShipDesign", "Ship Design", 31,
                              "Designing ship types and writing their design orders. Not built "
                              "yet.");
  frmStdShip = Placeholder("frmStdShip", "Standard Ship", 32,
                           "Standard ship designs by speed, attack and defence. Not built yet.");
  frmGraph = Placeholder("frmGraph", "Graph", 16,
                         "Graphs of the races' figures over all turns. Not built yet.");
  frmBattleSimulator = Placeholder("frmBattleSimulator", "Battle Simulator", 6,
                                   "Simulating battles between chosen groups. Not built yet.");
  frmOrders = Keep("frmOrders", std::make_unique<TOrdersPlaceholder>(store));
  frmIncomingGroups = Placeholder("frmIncomingGroups", "Incoming Groups", 19,
                                  "Groups seen heading for your planets. Not built yet.");
  frmNewMap = Keep("frmNewMap", std::make_unique<TMapPlaceholder>(store, context_.State.Settings));
  frmPlanetSelect = Placeholder("frmPlanetSelect", "Select Planet(s)", 24,
                                "Choosing destination planets for groups to send. Not built "
                                "yet.");
  frmTurnReports = Placeholder("frmTurnReports", "Turn Reports", 33,
                               "The turn reports of the game, whole or only their messages. Not "
                               "built yet.");
  AboutBox = Keep("AboutBox", std::make_unique<TfrmAbout>());
  frmBombings =
      Placeholder("frmBombings", "Bombings", 7, "The bombings of the reports. Not built yet.");
  frmConfigIni = Keep("frmConfigIni",
                      std::make_unique<TfrmConfigIni>(store, context_.ProgramFolder, context_.Ui));
  frmSetupOrders = Placeholder("frmSetupOrders", "Setup Orders", 30,
                               "The frame of a new order text for the game server. Not built "
                               "yet.");
  frmGroups = Placeholder("frmGroups", "Groups", 18,
                          "The groups of ships on planets and in flight. Not built yet.");
  frmSelectExpressions = Placeholder("frmSelectExpressions", "Select Expressions", 28,
                                     "Named filter expressions for groups and planets. Not built "
                                     "yet.");
  frmPlanetslist = Placeholder("frmPlanetslist", "Planets List", 25,
                               "Every planet in one sortable list. Not built yet.");
  frmCalculations = Placeholder("frmCalculations", "Calculations", 9,
                                "Sums of an expression over chosen planets. Not built yet.");
  frmAutoCargoSettings = Placeholder("frmAutoCargoSettings", "Automatic Cargo Settings", 4,
                                     "The limits and weights of the automatic cargo orders. Not "
                                     "built yet.");
  frmCreateMessage = Placeholder("frmCreateMessage", "Create Message", 13,
                                 "Writing a message to a race or to all. Not built yet.");
  frmRoutes =
      Placeholder("frmRoutes", "Routes", 27, "The cargo routes of your planets. Not built yet.");
  frmOverView = Placeholder("frmOverView", "Over View", 22,
                            "Your race now, next turn, and next turn without shipping. Not "
                            "built yet.");
  frmChangePlayerColors = Placeholder("frmChangePlayerColors", "Change Player Colors", 11,
                                      "The map colour of each race. Not built yet.");
  frmEditor = Keep("frmEditor", std::make_unique<TNotesPlaceholder>(store));
  frmCalculate =
      Placeholder("frmCalculate", "Calculator", 8, "A pocket calculator. Not built yet.");
}

void TWindowRegistry::CreateLaterWindows() {
  frmSetExtraInfo = Placeholder("frmSetExtraInfo", "Set Extra Info", 29,
                                "Recording the owner and size of a planet by hand. Not built "
                                "yet.");
  frmGroupFilter = Placeholder("frmGroupFilter", "Group Filter", 17,
                               "Choosing planets by the groups standing at them. Not built yet.");
  frmExpressionFilters = Placeholder("frmExpressionFilters", "Expression Filters", 15,
                                     "Choosing planets by a group or planet expression. Not "
                                     "built yet.");
  frmChangeColors =
      Placeholder("frmChangeColors", "Change Colors", 10, "The colours of the map. Not built yet.");
}

}  // namespace tovix

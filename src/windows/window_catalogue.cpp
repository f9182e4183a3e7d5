#include "windows/window_catalogue.h"

#include <QWidget>
#include <algorithm>

#include "windows/about_box.h"
#include "windows/config_dialog.h"
#include "windows/main_window.h"
#include "windows/placeholder_windows.h"
#include "windows/wait_window.h"
#include "windows/window_registry.h"

namespace tovix {

namespace {

using enum TWindowStage;
using enum TButtonAction;

std::unique_ptr<QWidget> MakeMain(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmMain>(w);
}
std::unique_ptr<QWidget> MakeWait(const TWindowEntry&, TWindowRegistry&) {
  return std::make_unique<TfrmWait>();
}
std::unique_ptr<QWidget> MakeAbout(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmAbout>(w.Context().Ui);
}
std::unique_ptr<QWidget> MakeConfig(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmConfigIni>(c.Store, c.ProgramFolder, c.Ui);
}
// Placeholders (placeholder_windows.h) until the windows are built.
std::unique_ptr<QWidget> MakePlaceholder(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TPlaceholderWindow>(e, w.Context().Store);
}
std::unique_ptr<QWidget> MakeOrders(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TOrdersPlaceholder>(e, w.Context().Store);
}
std::unique_ptr<QWidget> MakeNotes(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TNotesPlaceholder>(e, w.Context().Store);
}
std::unique_ptr<QWidget> MakeMap(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TMapPlaceholder>(e, w.Context().Store, w.Context().State.Settings);
}
std::unique_ptr<QWidget> MakePlanetInfo(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TPlanetInfoPlaceholder>(e, w.Context().Store);
}

// clang-format off
constexpr TWindowEntry kWindows[] = {
  // instance, state name, help context and page, stage, factory, placeholder's purpose,
  // toolbar place, button, caption, hint, action, first-show place
  {"frmMain", "Tovix", 3, "toolbar.htm", BeforeReading, MakeMain, nullptr},
  {"frmPlayers", "Players", 26, "players.htm", BeforeReading, MakePlaceholder,
   "Every race with its latest figures, diplomacy orders and messages.",
   1, "btnPlayers", "Players", "View players", Press, 1},
  {"frmPlanets", "Planet Info", 23, "planetinfo.htm", BeforeReading, MakePlanetInfo,
   "One planet at a time: its report lines, history and the groups at it.",
   3, "btnPlanets", "Planet Info", "View planets", Press, 2},
  {"frmWait", nullptr, 0, nullptr, BeforeReading, MakeWait, nullptr},
  {"frmBattles", "Battles", 5, "battles.htm", BeforeReading, MakePlaceholder,
   "The battles of the reports with the groups that fought.",
   8, "btnBattles", "Battles", "View Battles", Press, 4},
  {"frmShipDesign", "Ship Design", 31, "shipdesigner.htm", BeforeReading, MakePlaceholder,
   "Designing ship types and writing their design orders.",
   7, "btnShipDesign", "Ship Design", "Design a ship", Press, 5},
  {"frmStdShip", "Standard Ship", 32, "standardship.htm", BeforeReading, MakePlaceholder,
   "Standard ship designs by speed, attack and defence."},
  {"frmGraph", "Graph", 16, "graph.htm", BeforeReading, MakePlaceholder,
   "Graphs of the races' figures over all turns.",
   2, "btnGraph", "Graph", "View Graphs of player information", Press, 6},
  {"frmBattleSimulator", "Battle Simulator", 6, "batsim.htm", BeforeReading, MakePlaceholder,
   "Simulating battles between chosen groups.",
   9, "btnBatSim", "Bat Sim", "Do a battle simulation", Press, 7},
  {"frmOrders", "Orders", 21, "orders.htm", BeforeReading, MakeOrders,
   "The orders of the next turn: an editor for the order language, the analysis of the orders, "
   "and saving and mailing them.",
   10, "btnOrders", "Orders", "Create Orders", Press, 16},
  {"frmIncomingGroups", "Incoming Groups", 19, "incominggroups.htm", BeforeReading,
   MakePlaceholder, "Groups seen heading for your planets.",
   6, "btnIncomingGroups", "Incoming Groups", "View Incoming groups", Press, 8},
  {"frmNewMap", "Map", 20, "map.htm", BeforeReading, MakeMap,
   "The galaxy map: planets, groups and their tracks, with zoom, bookmarks, planet cursors and "
   "colour schemes.",
   4, "btnMap", "Map", "View Galaxy Map", Press, 3},
  {"frmPlanetSelect", "Select Planet(s)", 24, "planetselect.htm", BeforeReading, MakePlaceholder,
   "Choosing destination planets for groups to send."},
  {"frmTurnReports", "Turn Reports", 33, "turnreports.htm", BeforeReading, MakePlaceholder,
   "The turn reports of the game, whole or only their messages.",
   11, "btnTurnReports", "Turn Reports", "View the turn reports", Press, 9},
  {"AboutBox", "About", 2, "about.htm", BeforeReading, MakeAbout, nullptr,
   18, "btnAbout", "About", "Some Information about the creator", Modal},
  {"frmBombings", "Bombings", 7, "bombings.htm", BeforeReading, MakePlaceholder,
   "The bombings of the reports.",
   5, "btnBombings", "Bombings", "View Bombings", Press, 10},
  {"frmConfigIni", "Configuration", 12, "configuration.htm", BeforeReading, MakeConfig, nullptr,
   12, "btnConfigIni", "Config Ini", "Configure the Tovix.ini file", Press, 11},
  {"frmSetupOrders", "Setup Orders", 30, "setuporders.htm", BeforeReading, MakePlaceholder,
   "The frame of a new order text for the game server."},
  {"frmGroups", "Groups", 18, "groups.htm", BeforeReading, MakePlaceholder,
   "The groups of ships on planets and in flight.",
   13, "btnGroups", "Groups", "Show Groups that are currently on planets", Press, 12},
  {"frmSelectExpressions", "Select Expressions", 28, "expressionsplanets.htm", BeforeReading,
   MakePlaceholder, "Named filter expressions for groups and planets."},
  {"frmPlanetslist", "Planets List", 25, "planetslist.htm", BeforeReading, MakePlaceholder,
   "Every planet in one sortable list.",
   14, "btnPlanetsList", "Planets List", "", Press, 13},
  {"frmCalculations", "Calculations", 9, "calculations.htm", BeforeReading, MakePlaceholder,
   "Sums of an expression over chosen planets."},
  {"frmAutoCargoSettings", "Automatic Cargo Settings", 4, "automaticcargosettings.htm",
   BeforeReading, MakePlaceholder, "The limits and weights of the automatic cargo orders."},
  // The message dialog's context opens no page.
  {"frmCreateMessage", "Create Message", 13, nullptr, BeforeReading, MakePlaceholder,
   "Writing a message to a race or to all."},
  {"frmRoutes", "Routes", 27, "routes.htm", BeforeReading, MakePlaceholder,
   "The cargo routes of your planets.",
   15, "btnRoutes", "Routes", "", Press, 14},
  {"frmOverView", "Over View", 22, "overview.htm", BeforeReading, MakePlaceholder,
   "Your race now, next turn, and next turn without shipping.",
   17, "btnOverView", "Overview", "View players", Modal},
  {"frmChangePlayerColors", "Change Player Colors", 11, "changeplayercolors.htm", BeforeReading,
   MakePlaceholder, "The map colour of each race."},
  {"frmEditor", "Notes Editor", 14, "notes.htm", BeforeReading, MakeNotes,
   "Notes to remember things, in four pages of formatted text.",
   16, "btnNotes", "Notes", "Create Notes to remember things", Press, 15},
  // The calculator has no page of its own.
  {"frmCalculate", "Calculator", 8, "introduction.htm", BeforeReading, MakePlaceholder,
   "A pocket calculator."},
  {"frmSetExtraInfo", "Set Extra Info", 29, "setextrainfo.htm", AfterReading, MakePlaceholder,
   "Recording the owner and size of a planet by hand."},
  {"frmGroupFilter", "Group Filter", 17, "groupfilter.htm", AfterReading, MakePlaceholder,
   "Choosing planets by the groups standing at them."},
  {"frmExpressionFilters", "Expression Filters", 15, "expressionfilters.htm", AfterReading,
   MakePlaceholder, "Choosing planets by a group or planet expression."},
  {"frmChangeColors", "Change Colors", 10, "changecolors.htm", AfterReading, MakePlaceholder,
   "The colours of the map."},
  {"frmAdvancedSend", "Advanced Send", 1, "advancedsend.htm", OnDemand, nullptr, nullptr},
  // The list-choice dialog's context opens no page.
  {"frmZNLookUp", nullptr, 34, nullptr, OnDemand, nullptr, nullptr},
};
// clang-format on

constexpr const char* kGroupExpressionsCaption = "Groups Expressions";
constexpr const char* kIntroduction = "introduction.htm";

}  // namespace

std::span<const TWindowEntry> WindowCatalogue() {
  return kWindows;
}

const TWindowEntry* FindWindowEntry(std::string_view instanceName) {
  for (const TWindowEntry& e : kWindows)
    if (instanceName == e.InstanceName) return &e;
  return nullptr;
}

std::string HelpTopicFor(int context, std::string_view expressionDialogCaption) {
  const auto row = std::find_if(std::begin(kWindows), std::end(kWindows), [context](const auto& e) {
    return e.HelpContext != 0 && e.HelpContext == context;
  });
  if (row == std::end(kWindows)) return kIntroduction;
  if (row->HelpTopic == nullptr) return "";
  if (std::string_view(row->InstanceName) == "frmSelectExpressions" &&
      expressionDialogCaption == kGroupExpressionsCaption)
    return "expressionsgroups.htm";
  return row->HelpTopic;
}

}  // namespace tovix

#include "windows/window_catalogue.h"

#include <QWidget>
#include <algorithm>

#include "windows/about_box.h"
#include "windows/auto_cargo_settings.h"
#include "windows/colour_dialogs.h"
#include "windows/config_dialog.h"
#include "windows/main_window.h"
#include "windows/map_window.h"
#include "windows/placeholder_windows.h"
#include "windows/routes_window.h"
#include "windows/wait_window.h"
#include "windows/window_registry.h"

namespace tovix {

namespace {

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
std::unique_ptr<QWidget> MakeMap(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmNewMap>(c.State, c.Store, w.Services(), &w.Events(), c.Ui);
}
// The colour dialogs edit the map's colours and repaint it.
std::unique_ptr<QWidget> MakeChangePlayerColors(const TWindowEntry&, TWindowRegistry& w) {
  auto* map = w.Get<TfrmNewMap>("frmNewMap");
  return std::make_unique<TfrmChangePlayerColors>(map->PlayerColors(), w.Context().State,
                                                  [map] { map->Repaint(); });
}
std::unique_ptr<QWidget> MakeChangeColors(const TWindowEntry&, TWindowRegistry& w) {
  auto* map = w.Get<TfrmNewMap>("frmNewMap");
  const TWindowContext& c = w.Context();
  auto dialog = std::make_unique<TfrmChangeColors>(map->Scheme(), map->PlayerColors(), c.State,
                                                   c.Store, [map] { map->Repaint(); });
  dialog->SetPlayerDialog(w.Get<TfrmChangePlayerColors>("frmChangePlayerColors"));
  map->SetColourDialog(dialog.get());
  return dialog;
}
std::unique_ptr<QWidget> MakePlanetInfo(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TPlanetInfoPlaceholder>(e, w.Context().Store);
}

std::unique_ptr<QWidget> MakeAutoCargoSettings(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmAutoCargoSettings>(w.Context().State, w.Context().Store);
}

std::unique_ptr<QWidget> MakeRoutes(const TWindowEntry&, TWindowRegistry& w) {
  auto window = std::make_unique<TfrmRoutes>(w.Context().State, w.Context().Store);
  // The services are looked up at the call: they are filled once every window is made.
  window->setRouteCommandSink(
      [&w](const std::string& line) { w.Services().Orders->InsertRouteCommands(line); });
  window->setShowPlanet([&w](const TPlanet* planet) {
    w.Services().PlanetInfo->ShowPlanet(const_cast<TPlanet*>(planet), true);
  });
  window->setAnalyseOrders([&w] { w.Services().Orders->AnalyseOrders(); });
  return window;
}

constexpr TButtonAction kModal = TButtonAction::Modal;
constexpr TWindowStage kAfterReading = TWindowStage::AfterReading;
constexpr TWindowStage kOnDemand = TWindowStage::OnDemand;

// Window(instance, caption, help context, help page, factory, placeholder's purpose),
// .Button(toolbar place, name, caption, hint, action), .Start(place in the first show's round).
constexpr TWindowEntry kWindows[] = {
    Window("frmMain", "Tovix", 3, "toolbar.htm", MakeMain),
    Window("frmPlayers", "Players", 26, "players.htm", MakePlaceholder,
           "Every race with its latest figures, diplomacy orders and messages.")
        .Button(1, "btnPlayers", "Players", "View players")
        .Start(1),
    Window("frmPlanets", "Planet Info", 23, "planetinfo.htm", MakePlanetInfo,
           "One planet at a time: its report lines, history and the groups at it.")
        .Button(3, "btnPlanets", "Planet Info", "View planets")
        .Start(2),
    Window("frmWait", nullptr, 0, nullptr, MakeWait),
    Window("frmBattles", "Battles", 5, "battles.htm", MakePlaceholder,
           "The battles of the reports with the groups that fought.")
        .Button(8, "btnBattles", "Battles", "View Battles")
        .Start(4),
    Window("frmShipDesign", "Ship Design", 31, "shipdesigner.htm", MakePlaceholder,
           "Designing ship types and writing their design orders.")
        .Button(7, "btnShipDesign", "Ship Design", "Design a ship")
        .Start(5),
    Window("frmStdShip", "Standard Ship", 32, "standardship.htm", MakePlaceholder,
           "Standard ship designs by speed, attack and defence."),
    Window("frmGraph", "Graph", 16, "graph.htm", MakePlaceholder,
           "Graphs of the races' figures over all turns.")
        .Button(2, "btnGraph", "Graph", "View Graphs of player information")
        .Start(6),
    Window("frmBattleSimulator", "Battle Simulator", 6, "batsim.htm", MakePlaceholder,
           "Simulating battles between chosen groups.")
        .Button(9, "btnBatSim", "Bat Sim", "Do a battle simulation")
        .Start(7),
    Window("frmOrders", "Orders", 21, "orders.htm", MakeOrders,
           "The orders of the next turn: an editor for the order language, the analysis of the "
           "orders, and saving and mailing them.")
        .Button(10, "btnOrders", "Orders", "Create Orders")
        .Start(16),
    Window("frmIncomingGroups", "Incoming Groups", 19, "incominggroups.htm", MakePlaceholder,
           "Groups seen heading for your planets.")
        .Button(6, "btnIncomingGroups", "Incoming Groups", "View Incoming groups")
        .Start(8),
    Window("frmNewMap", "Map", 20, "map.htm", MakeMap)
        .Button(4, "btnMap", "Map", "View Galaxy Map")
        .Start(3),
    Window("frmPlanetSelect", "Select Planet(s)", 24, "planetselect.htm", MakePlaceholder,
           "Choosing destination planets for groups to send."),
    Window("frmTurnReports", "Turn Reports", 33, "turnreports.htm", MakePlaceholder,
           "The turn reports of the game, whole or only their messages.")
        .Button(11, "btnTurnReports", "Turn Reports", "View the turn reports")
        .Start(9),
    Window("AboutBox", "About", 2, "about.htm", MakeAbout)
        .Button(18, "btnAbout", "About", "Some Information about the creator", kModal),
    Window("frmBombings", "Bombings", 7, "bombings.htm", MakePlaceholder,
           "The bombings of the reports.")
        .Button(5, "btnBombings", "Bombings", "View Bombings")
        .Start(10),
    Window("frmConfigIni", "Configuration", 12, "configuration.htm", MakeConfig)
        .Button(12, "btnConfigIni", "Config Ini", "Configure the Tovix.ini file")
        .Start(11),
    Window("frmSetupOrders", "Setup Orders", 30, "setuporders.htm", MakePlaceholder,
           "The frame of a new order text for the game server."),
    Window("frmGroups", "Groups", 18, "groups.htm", MakePlaceholder,
           "The groups of ships on planets and in flight.")
        .Button(13, "btnGroups", "Groups", "Show Groups that are currently on planets")
        .Start(12),
    Window("frmSelectExpressions", "Select Expressions", 28, "expressionsplanets.htm",
           MakePlaceholder, "Named filter expressions for groups and planets."),
    Window("frmPlanetslist", "Planets List", 25, "planetslist.htm", MakePlaceholder,
           "Every planet in one sortable list.")
        .Button(14, "btnPlanetsList", "Planets List")
        .Start(13),
    Window("frmCalculations", "Calculations", 9, "calculations.htm", MakePlaceholder,
           "Sums of an expression over chosen planets."),
    Window("frmAutoCargoSettings", "Automatic Cargo Settings", 4, "automaticcargosettings.htm",
           MakeAutoCargoSettings, "The limits and weights of the automatic cargo orders."),
    // The message dialog's context opens no page.
    Window("frmCreateMessage", "Create Message", 13, nullptr, MakePlaceholder,
           "Writing a message to a race or to all."),
    Window("frmRoutes", "Routes", 27, "routes.htm", MakeRoutes)
        .Button(15, "btnRoutes", "Routes")
        .Start(14),
    Window("frmOverView", "Over View", 22, "overview.htm", MakePlaceholder,
           "Your race now, next turn, and next turn without shipping.")
        .Button(17, "btnOverView", "Overview", "View players", kModal),
    Window("frmChangePlayerColors", "Change Player Colors", 11, "changeplayercolors.htm",
           MakeChangePlayerColors),
    Window("frmEditor", "Notes Editor", 14, "notes.htm", MakeNotes,
           "Notes to remember things, in four pages of formatted text.")
        .Button(16, "btnNotes", "Notes", "Create Notes to remember things")
        .Start(15),
    // The calculator has no page of its own.
    Window("frmCalculate", "Calculator", 8, "introduction.htm", MakePlaceholder,
           "A pocket calculator."),
    Window("frmSetExtraInfo", "Set Extra Info", 29, "setextrainfo.htm", MakePlaceholder,
           "Recording the owner and size of a planet by hand.")
        .MadeAt(kAfterReading),
    Window("frmGroupFilter", "Group Filter", 17, "groupfilter.htm", MakePlaceholder,
           "Choosing planets by the groups standing at them.")
        .MadeAt(kAfterReading),
    Window("frmExpressionFilters", "Expression Filters", 15, "expressionfilters.htm",
           MakePlaceholder, "Choosing planets by a group or planet expression.")
        .MadeAt(kAfterReading),
    Window("frmChangeColors", "Change Colors", 10, "changecolors.htm", MakeChangeColors)
        .MadeAt(kAfterReading),
    Window("frmAdvancedSend", "Advanced Send", 1, "advancedsend.htm", nullptr).MadeAt(kOnDemand),
    // The list-choice dialog's context opens no page.
    Window("frmZNLookUp", nullptr, 34, nullptr, nullptr).MadeAt(kOnDemand),
};

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

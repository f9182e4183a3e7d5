#include "windows/frame/window_catalogue.h"

#include <QWidget>
#include <algorithm>

#include "platform/latin1.h"
#include "windows/base/wait_window.h"
#include "windows/expressions/calculation_dialogs.h"
#include "windows/expressions/expression_dialogs.h"
#include "windows/expressions/group_filter_dialog.h"
#include "windows/frame/about_box.h"
#include "windows/frame/config_dialog.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_registry.h"
#include "windows/lists/event_windows.h"
#include "windows/lists/graph_window.h"
#include "windows/lists/groups_window.h"
#include "windows/lists/overview_dialog.h"
#include "windows/lists/planets_list_window.h"
#include "windows/lists/players_window.h"
#include "windows/lists/routes_window.h"
#include "windows/map/colour_dialogs.h"
#include "windows/map/map_window.h"
#include "windows/orders/auto_cargo_settings.h"
#include "windows/orders/battle_simulator_window.h"
#include "windows/orders/calculator_window.h"
#include "windows/orders/orders_window.h"
#include "windows/orders/setup_orders_dialog.h"
#include "windows/orders/ship_design_window.h"
#include "windows/orders/standard_ship_window.h"
#include "windows/planets/planet_select_window.h"
#include "windows/planets/planets_window.h"
#include "windows/planets/set_extra_info_dialog.h"
#include "windows/texts/notes_editor_window.h"
#include "windows/texts/turn_reports_window.h"

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
std::unique_ptr<QWidget> MakeOrders(const TWindowEntry& e, TWindowRegistry& w) {
  return std::make_unique<TfrmOrders>(e, w);
}
// The skeleton dialog writes into the orders editor's lines.
std::unique_ptr<QWidget> MakeSetupOrders(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmSetupOrders>(c.State, c.Ui, [&w]() -> IOrderLines* {
    auto* orders = w.Get<TfrmOrders>("frmOrders");
    return orders ? &orders->OrderLines() : nullptr;
  });
}
std::unique_ptr<QWidget> MakeNotes(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmEditor>(c.State, c.Store, c.Ui, c.ProgramFolder);
}
std::unique_ptr<QWidget> MakeMap(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  auto map = std::make_unique<TfrmNewMap>(c.State, c.Store, w.Services(), &w.Events(), c.Ui);
  map->SetPlanetFilter(ExpressionFilterMarks(w.Services()));
  return map;
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
std::unique_ptr<QWidget> MakePlanetInfo(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmPlanets>(
      c.State, c.Store, c.Ui, [&w]() -> const TServices& { return w.Services(); },
      [&w] { return w.Get<TfrmSetExtraInfo>("frmSetExtraInfo"); },
      (c.ProgramFolder / "ExtrInf.ini").string());
}
std::unique_ptr<QWidget> MakeSetExtraInfo(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmSetExtraInfo>(c.State, c.Ui, c.ProgramFolder / "ExtrInf.ini");
}

std::unique_ptr<QWidget> MakeAutoCargoSettings(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmAutoCargoSettings>(w.Context().State, w.Context().Store,
                                                 w.Context().Ui);
}
std::unique_ptr<QWidget> MakeTurnReports(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmTurnReports>(c.State, c.Store, c.Ui);
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

std::function<std::string()> MainCaptionOf(TWindowRegistry& w);

std::unique_ptr<QWidget> MakePlanetsList(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  auto window = std::make_unique<TfrmPlanetslist>(c.State, c.Store, c.Ui, w.Services());
  window->ShowCalculations = [&w] {
    if (QWidget* calculations = w.Find("frmCalculations")) {
      calculations->show();
      calculations->raise();
    }
  };
  window->MainCaption = MainCaptionOf(w);
  return window;
}
std::unique_ptr<QWidget> MakeGroups(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  auto window = std::make_unique<TfrmGroups>(c.State, c.Store, c.Ui, w.Services());
  window->MainCaption = MainCaptionOf(w);
  return window;
}
// The named-expression window provides the expression service.
std::unique_ptr<QWidget> MakeSelectExpressions(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmSelectExpressions>(
      c.State, c.Ui, c.ProgramFolder, [&w]() -> const TOrderAnalysis* {
        return w.Services().Analysis ? w.Services().Analysis->LastAnalysis() : nullptr;
      });
}
TAnalysisSource AnalysisOf(TWindowRegistry& w) {
  return [&w]() -> const TOrderAnalysis* {
    return w.Services().Analysis ? w.Services().Analysis->LastAnalysis() : nullptr;
  };
}
TChooseExpression ChooseExpressionOf(TWindowRegistry& w) {
  return [&w](bool groups) {
    auto* dialog = w.Get<TfrmSelectExpressions>("frmSelectExpressions");
    if (!dialog) return std::string();
    return groups ? dialog->SelectGroupExpression() : dialog->SelectPlanetExpression();
  };
}
std::unique_ptr<QWidget> MakeExpressionFilters(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmExpressionFilters>(c.State, c.Store, c.Ui, ChooseExpressionOf(w),
                                                 AnalysisOf(w));
}
std::unique_ptr<QWidget> MakeGroupFilter(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmGroupFilter>(w.Context().State, w.Context().Store);
}
std::unique_ptr<QWidget> MakeCalculations(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmCalculations>(
      w.Context().State, ChooseExpressionOf(w), AnalysisOf(w), [&w] {
        auto* list = w.Get<TfrmPlanetslist>("frmPlanetslist");
        return list ? list->SelectedPlanets() : std::vector<TPlanet*>{};
      });
}
// The services as they are at the call.
TServicesSource ServicesOf(TWindowRegistry& w) {
  return [&w]() -> const TServices& { return w.Services(); };
}
std::function<std::string()> MainCaptionOf(TWindowRegistry& w) {
  return [&w] { return w.Main() ? ToLatin1(w.Main()->windowTitle()) : std::string(); };
}

std::unique_ptr<QWidget> MakePlanetSelect(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmPlanetSelect>(c.State, c.Store, c.Ui, ServicesOf(w));
}

std::unique_ptr<QWidget> MakePlayers(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  auto window = std::make_unique<TfrmPlayers>(c.State, c.Store, c.Ui, ServicesOf(w));
  window->MainCaption = MainCaptionOf(w);
  window->ShowInGraph = [&w](const std::vector<TPlayer*>& races) {
    if (auto* graph = w.Get<TfrmGraph>("frmGraph")) graph->ShowPlayers(races);
  };
  // The one message dialog of the program.
  window->RunMessageDialog = [&w](const std::string& race) -> std::optional<TfrmPlayers::TMessage> {
    auto* dialog = w.Get<TfrmCreateMessage>("frmCreateMessage");
    if (!dialog) return std::nullopt;
    dialog->Setup(race);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    return TfrmPlayers::TMessage{dialog->GetMessageText(), dialog->MemoText()};
  };
  return window;
}
std::unique_ptr<QWidget> MakeCreateMessage(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmCreateMessage>(w.Context().Ui);
}
std::unique_ptr<QWidget> MakeBattles(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmBattles>(w.Context().State, w.Context().Store, ServicesOf(w));
}
std::unique_ptr<QWidget> MakeBombings(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmBombings>(c.State, c.Store, c.Ui, ServicesOf(w), MainCaptionOf(w));
}
std::unique_ptr<QWidget> MakeIncomingGroups(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmIncomingGroups>(w.Context().State, w.Context().Store, ServicesOf(w));
}
std::unique_ptr<QWidget> MakeGraph(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmGraph>(w.Context().State, w.Context().Store);
}
std::unique_ptr<QWidget> MakeOverView(const TWindowEntry&, TWindowRegistry& w) {
  auto dialog = std::make_unique<TfrmOverView>(w.Context().State);
  dialog->AnalyseOrders = [&w] {
    if (IOrderService* orders = w.Services().Orders) orders->AnalyseOrders();
  };
  dialog->ProjectDevelopment = [&w] {
    if (IOrderService* orders = w.Services().Orders) orders->ProjectDevelopment();
  };
  return dialog;
}
std::unique_ptr<QWidget> MakeBattleSimulator(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmBattleSimulator>(w.Context().Store, w.Context().Ui);
}

std::unique_ptr<QWidget> MakeShipDesign(const TWindowEntry&, TWindowRegistry& w) {
  const TWindowContext& c = w.Context();
  return std::make_unique<TfrmShipDesign>(c.State, c.Store, c.Ui, ServicesOf(w));
}
// The standard-ship window shows the designer's choices; the designer tells it of a new design
// and shows it.
std::unique_ptr<QWidget> MakeStdShip(const TWindowEntry&, TWindowRegistry& w) {
  auto* designer = w.Get<TfrmShipDesign>("frmShipDesign");
  const TWindowContext& c = w.Context();
  auto window = std::make_unique<TfrmStdShip>(c.Store, c.Ui, *designer, ServicesOf(w));
  TfrmStdShip* shown = window.get();
  designer->StdShipChanged = [shown] { shown->Sync(); };
  designer->ShowStdShipWindow = [shown] { shown->ShowInFront(); };
  return window;
}
std::unique_ptr<QWidget> MakeCalculate(const TWindowEntry&, TWindowRegistry& w) {
  return std::make_unique<TfrmCalculate>(w.Context().Store);
}

constexpr TButtonAction kModal = TButtonAction::Modal;
constexpr TWindowStage kAfterReading = TWindowStage::AfterReading;
constexpr TWindowStage kOnDemand = TWindowStage::OnDemand;

// Window(instance, caption, help context, help page, factory),
// .Button(toolbar place, name, caption, hint, action), .Start(place in the first show's round).
constexpr TWindowEntry kWindows[] = {
    Window("frmMain", "Tovix", 3, "toolbar.htm", MakeMain),
    Window("frmPlayers", "Players", 26, "players.htm", MakePlayers)
        .Button(1, "btnPlayers", "Players", "View players")
        .Start(1),
    Window("frmPlanets", "Planet Info", 23, "planetinfo.htm", MakePlanetInfo)
        .Button(3, "btnPlanets", "Planet Info", "View planets")
        .Start(2),
    Window("frmWait", nullptr, 0, nullptr, MakeWait),
    Window("frmBattles", "Battles", 5, "battles.htm", MakeBattles)
        .Button(8, "btnBattles", "Battles", "View Battles")
        .Start(4),
    Window("frmShipDesign", "Ship Design", 31, "shipdesigner.htm", MakeShipDesign)
        .Button(7, "btnShipDesign", "Ship Design", "Design a ship")
        .Start(5),
    Window("frmStdShip", "Standard Ship", 32, "standardship.htm", MakeStdShip),
    Window("frmGraph", "Graph", 16, "graph.htm", MakeGraph)
        .Button(2, "btnGraph", "Graph", "View Graphs of player information")
        .Start(6),
    Window("frmBattleSimulator", "Battle Simulator", 6, "batsim.htm", MakeBattleSimulator)
        .Button(9, "btnBatSim", "Bat Sim", "Do a battle simulation")
        .Start(7),
    Window("frmOrders", "Orders", 21, "orders.htm", MakeOrders)
        .Button(10, "btnOrders", "Orders", "Create Orders")
        .Start(16),
    Window("frmIncomingGroups", "Incoming Groups", 19, "incominggroups.htm", MakeIncomingGroups)
        .Button(6, "btnIncomingGroups", "Incoming Groups", "View Incoming groups")
        .Start(8),
    Window("frmNewMap", "Map", 20, "map.htm", MakeMap)
        .Button(4, "btnMap", "Map", "View Galaxy Map")
        .Start(3),
    Window("frmPlanetSelect", "Select Planet(s)", 24, "planetselect.htm", MakePlanetSelect),
    Window("frmTurnReports", "Turn Reports", 33, "turnreports.htm", MakeTurnReports)
        .Button(11, "btnTurnReports", "Turn Reports", "View the turn reports")
        .Start(9),
    Window("AboutBox", "About", 2, "about.htm", MakeAbout)
        .Button(18, "btnAbout", "About", "Some Information about the creator", kModal),
    Window("frmBombings", "Bombings", 7, "bombings.htm", MakeBombings)
        .Button(5, "btnBombings", "Bombings", "View Bombings")
        .Start(10),
    Window("frmConfigIni", "Configuration", 12, "configuration.htm", MakeConfig)
        .Button(12, "btnConfigIni", "Config Ini", "Configure the Tovix.ini file")
        .Start(11),
    Window("frmSetupOrders", "Setup Orders", 30, "setuporders.htm", MakeSetupOrders),
    Window("frmGroups", "Groups", 18, "groups.htm", MakeGroups)
        .Button(13, "btnGroups", "Groups", "Show Groups that are currently on planets")
        .Start(12),
    Window("frmSelectExpressions", "Select Expressions", 28, "expressionsplanets.htm",
           MakeSelectExpressions),
    Window("frmPlanetslist", "Planets List", 25, "planetslist.htm", MakePlanetsList)
        .Button(14, "btnPlanetsList", "Planets List")
        .Start(13),
    Window("frmCalculations", "Calculations", 9, "calculations.htm", MakeCalculations),
    Window("frmAutoCargoSettings", "Automatic Cargo Settings", 4, "automaticcargosettings.htm",
           MakeAutoCargoSettings),
    // The message dialog's context opens no page.
    Window("frmCreateMessage", "Create Message", 13, nullptr, MakeCreateMessage),
    Window("frmRoutes", "Routes", 27, "routes.htm", MakeRoutes)
        .Button(15, "btnRoutes", "Routes")
        .Start(14),
    Window("frmOverView", "Over View", 22, "overview.htm", MakeOverView)
        .Button(17, "btnOverView", "Overview", "View players", kModal),
    Window("frmChangePlayerColors", "Change Player Colors", 11, "changeplayercolors.htm",
           MakeChangePlayerColors),
    Window("frmEditor", "Notes Editor", 14, "notes.htm", MakeNotes)
        .Button(16, "btnNotes", "Notes", "Create Notes to remember things")
        .Start(15),
    Window("frmCalculate", "Calculator", 8, "calculator.htm", MakeCalculate),
    Window("frmSetExtraInfo", "Set Extra Info", 29, "setextrainfo.htm", MakeSetExtraInfo)
        .MadeAt(kAfterReading),
    Window("frmGroupFilter", "Group Filter", 17, "groupfilter.htm", MakeGroupFilter)
        .MadeAt(kAfterReading),
    Window("frmExpressionFilters", "Expression Filters", 15, "expressionfilters.htm",
           MakeExpressionFilters)
        .MadeAt(kAfterReading),
    Window("frmChangeColors", "Change Colors", 10, "changecolors.htm", MakeChangeColors)
        .MadeAt(kAfterReading),
    Window("frmAdvancedSend", "Advanced Send", 1, "advancedsend.htm", nullptr).MadeAt(kOnDemand),
    // The list-choice dialog's context opens no page.
    Window("frmZNLookUp", nullptr, 34, nullptr, nullptr).MadeAt(kOnDemand),
    // The orders window's mail settings.
    Window("frmMailSettings", "Mail Settings", 35, "mailsettings.htm", nullptr).MadeAt(kOnDemand),
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

// tovix-window-pictures <out folder> [game number]: starts Tovix as usual (the program folder
// comes from $TOVIX_HOME), and once the main window is up writes one PNG per window, plus the
// dialogs that belong to them, into <out folder>; then it ends.
// scripts/window-pictures.sh runs it under a virtual display.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/tovix_application.h"
#include "controls/calculator_panel.h"
#include "controls/dual_list.h"
#include "controls/spin_edit.h"
#include "controls/zn_list_view.h"
#include "core/text/file_utils.h"
#include "orders/order_lines.h"
#include "views/event_rows.h"
#include "windows/dialogs/list_export_dialog.h"
#include "windows/expressions/calculation_dialogs.h"
#include "windows/expressions/group_filter_dialog.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/lists/event_windows.h"
#include "windows/map/map_window.h"
#include "windows/orders/battle_simulator_window.h"
#include "windows/orders/calculator_window.h"
#include "windows/orders/mail_settings_dialog.h"
#include "windows/orders/orders_window.h"
#include "windows/orders/ship_design_window.h"
#include "windows/orders/standard_ship_window.h"
#include "windows/planets/advanced_send_dialog.h"
#include "windows/planets/planet_select_window.h"
#include "windows/planets/planets_window.h"
#include "windows/texts/notes_editor_window.h"

namespace {

using namespace tovix;

// Shows `widget`, lets it lay itself out and paint, and saves it as <folder>/<name>.png.
bool Picture(QWidget& widget, const QString& folder, const QString& name) {
  widget.show();
  widget.raise();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  const QString file = QDir(folder).filePath(name + ".png");
  const bool saved = widget.grab().save(file);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", file.toLocal8Bit().constData());
  return saved;
}

// A formatted note with links for the notes editor's picture.
constexpr const char* kSampleNote =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 DejaVu Sans;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}}"
    "{\\colortbl ;\\red0\\green0\\blue128;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
    "\\pard{\\fs28\\b\\cf1 Plans for turn 31}\\par"
    "\\pard{\\fs20 Castle is {\\b\\cf2 under attack}; send the {\\highlight3 fleet} from "
    "Altair.}\\par"
    "\\pard\\fi-200\\li400 {\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0"
    "{\\pntxtb\\'b7}}{\\fs20 build drive 2.5 ships on the home planets}\\par"
    "\\pard\\fi-200\\li400 {\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0"
    "{\\pntxtb\\'b7}}{\\fs20\\i keep the cargo routes}\\par"
    "\\pard\\qc{\\fs20 Rules: http://galaxy.example/rules - mail the server at "
    "orders@galaxy.example}\\par}";

// How a window is set up before its picture: the map larger, with names on (it opens as a new
// game's map does, on the whole galaxy); the notes editor
// with a formatted note and the caret in an indented bullet; the ship designer on the user's
// Cruiser2 (when the race has one); the standard ship of a productivity of 60 with the extra
// designs shown; the calculator after 1000 / 7 with the result in its memory; the orders window
// with every growing planet tagged for development and the routes used, so that its planning
// lists are filled, and two orders the server would refuse, so that it shows notes.
void Prepare(TWindowRegistry& windows, const std::string& name, QWidget& window) {
  if (auto* notes = qobject_cast<TfrmEditor*>(&window)) {
    // The script's program folder is a fresh one: the sample becomes its first notes tab. A
    // folder that has notes keeps them.
    const TWindowContext& context = windows.Context();
    const std::filesystem::path file =
        NotesFileName(context.ProgramFolder, 0, context.State.GameName);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) WriteFileAtomically(file, kSampleNote);
    notes->resize(820, 460);
    notes->show();
    QCoreApplication::processEvents();
    notes->LoadNotes(0);
    auto* editor = notes->findChild<QTextEdit*>("Editor");
    QTextCursor caret(editor->document()->findBlockByNumber(3));
    caret.setPosition(caret.position() + 3);
    editor->setTextCursor(caret);
  }
  if (auto* orders = qobject_cast<TfrmOrders*>(&window)) {
    orders->AddDevelopTags();
    // Two orders the server would refuse, so that the notes list under the editor shows notes.
    IOrderLines& lines = orders->OrderLines();
    int end = lines.Count();
    for (int i = 0; i < lines.Count(); ++i)
      if (lines.Line(i) == "#END") end = i;
    lines.Insert(end, "B 1 999");
    lines.Insert(end + 1, "S 9999 23");
    for (QAction* action : orders->findChildren<QAction*>())
      if (action->text() == "Use Routes For Development") action->setChecked(true);
    orders->AnalyseOrders();
    if (auto* planets = orders->findChild<QTabWidget*>("pnlPlanets"))
      planets->setCurrentWidget(orders->List("lvDeveloping"));
    if (auto* ships = orders->findChild<QTabWidget*>("pnlShips"))
      ships->setCurrentWidget(orders->List("lvToDo"));
  }
  if (auto* map = qobject_cast<TfrmNewMap*>(&window); map != nullptr && name == "frmNewMap") {
    map->resize(900, 760);
    map->show();
    QCoreApplication::processEvents();
    map->SetShowNames(true);
  }
  if (auto* designer = qobject_cast<TfrmShipDesign*>(&window)) {
    designer->show();
    QCoreApplication::processEvents();
    const auto found = designer->TypeList()->findItems("Cruiser2", Qt::MatchExactly);
    if (!found.isEmpty()) designer->SelectType(designer->TypeList()->row(found.front()));
  }
  if (auto* standard = qobject_cast<TfrmStdShip*>(&window)) {
    if (auto* designer = windows.Get<TfrmShipDesign>("frmShipDesign")) {
      designer->SetProductivity(60);
      designer->GenerateStandardShip();
    }
    standard->show();
    if (standard->ExtraDesigns()->isHidden()) standard->ExtraClicked();
  }
  if (auto* picker = qobject_cast<TfrmPlanetSelect*>(&window)) {
    // One of the user's groups of at least three ships spread over three planets.
    const GameState& state = windows.Context().State;
    TGroup* sent = nullptr;
    if (state.MainPlayer)
      for (const auto& g : state.MainPlayer->Groups)
        if (g->Turn == state.LastTurn && g->Distance == 0 && g->Speed() > 0 && g->Ships >= 3 &&
            (!sent || g->Ships > sent->Ships))
          sent = g.get();
    if (sent) {
      TPickerRequest request;
      request.Groups.emplace_back(sent->GroupNumber, sent);
      request.MaxPlanets = sent->Ships;
      request.Spread = true;
      picker->ShowPicker(request);
      picker->resize(360, 560);
      const TznListView* list = picker->PlanetList();
      picker->SelectRows(
          {list->Rows().SourceRow(1), list->Rows().SourceRow(3), list->Rows().SourceRow(4)});
    }
  }
  if (auto* calculator = qobject_cast<TfrmCalculate*>(&window)) {
    TCalculatorEngine& engine = calculator->Panel()->Engine();
    engine.Start(1000);
    for (char key : std::string("/7=")) engine.CalcKey(key);
    engine.MemoryStore();
    calculator->Panel()->Refresh();
  }
}

// The planet information window shows one of the user's planets and one of another race.
void PlanetPictures(TWindowRegistry& windows, const QString& folder, int& failures) {
  auto* info = windows.Get<TfrmPlanets>("frmPlanets");
  const GameState& state = windows.Context().State;
  if (info == nullptr || state.MainPlayer == nullptr) return;
  TPlanet* own = nullptr;
  TPlanet* foreign = nullptr;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    TPlanet* planet = state.Planets.Object(i);
    if (!planet->Owner.IsPlayer()) continue;
    if (planet->Owner.Player() == state.MainPlayer) {
      if (own == nullptr || planet->Size > own->Size) own = planet;
    } else if (foreign == nullptr) {
      foreign = planet;
    }
  }
  const std::pair<TPlanet*, const char*> shots[] = {{own, "frmPlanets-own"},
                                                    {foreign, "frmPlanets-foreign"}};
  for (const auto& [planet, name] : shots) {
    if (planet == nullptr) continue;
    info->ShowPlanet(planet, false);
    if (!Picture(*info, folder, name)) ++failures;
  }
}

// The filters at work: the group filter with design limits chosen, the planet information
// window filtered by the expression [PT_SIZE]>500, and the battles window's two-list dialog with
// races on both sides (the battle of the most races, one moved to the defenders).
void FilterPictures(TWindowRegistry& windows, const QString& folder, int& failures) {
  const GameState& state = windows.Context().State;
  if (auto* groups = windows.Get<TfrmGroupFilter>("frmGroupFilter")) {
    groups->LoadFromFilter();
    auto check = [groups](const char* name) {
      if (auto* box = groups->findChild<QCheckBox*>(name)) box->setChecked(true);
    };
    auto value = [groups](const char* name, double v) {
      if (auto* spin = groups->findChild<TRxSpinEdit*>(name)) spin->SetValue(v);
    };
    if (auto* options = groups->findChild<QRadioButton*>("rbShipOptions"))
      options->setChecked(true);
    check("cbDriveMin");
    value("edtDriveMin", 1.5);
    check("cbAttacksMin");
    value("edtAttacksMin", 1);
    check("cbMassMax");
    value("edtMassMax", 40);
    groups->SetLastChanges();
    if (!Picture(*groups, folder, "frmGroupFilter-ship-options")) ++failures;
    groups->hide();
  }
  auto* info = windows.Get<TfrmPlanets>("frmPlanets");
  auto* expressions = windows.Get<TfrmExpressionFilters>("frmExpressionFilters");
  if (info && expressions) {
    expressions->RunDialog = [](TfrmExpressionFilters& f) {
      return f.ApplyExpression(false, "[PT_SIZE]>500");
    };
    info->Expressions();
    expressions->RunDialog = nullptr;
    if (!info->PlanetRowsShown().empty())
      info->ShowPlanet(info->PlanetRowsShown().front().Planet, false);
    info->resize(900, 640);
    if (!Picture(*info, folder, "frmPlanets-filtered")) ++failures;
  }
  if (auto* battles = windows.Get<TfrmBattles>("frmBattles")) {
    TBattle* widest = nullptr;
    for (auto [key, battle] : state.Battles)
      if (!widest || BattleOwnerNames(*battle).size() > BattleOwnerNames(*widest).size())
        widest = battle;
    if (widest && BattleOwnerNames(*widest).size() >= 2) {
      battles->SelectBattle(widest);
      battles->RunSidesDialog = [&](TDualListForm& form) {
        form.SrcList()->item(form.SrcList()->count() - 1)->setSelected(true);
        form.IncClicked();
        if (!Picture(form, folder, "frmBattles-sides")) ++failures;
        return false;
      };
      battles->AddToBattleSimulator();
      battles->RunSidesDialog = nullptr;
    }
  }
}

// Dialogs that a window opens, pictured beside it: (window, picture name, the dialog).
struct TDialogPicture {
  const char* Window;
  const char* Name;
  std::function<std::unique_ptr<QDialog>(QWidget& owner)> Make;
};

std::vector<TDialogPicture> DialogPictures(TWindowRegistry& windows) {
  return {
      {"frmRoutes", "frmRoutes-export",
       [](QWidget& owner) {
         std::vector<TExportType> all;
         for (int i = 0; i < kExportTypeCount; ++i) all.push_back(static_cast<TExportType>(i));
         return std::make_unique<TExportChoiceForm>(all, TExportType::xHTML, 12, &owner);
       }},
      {"frmOrders", "frmMailSettings",
       [&windows](QWidget& owner) -> std::unique_ptr<QDialog> {
         auto& orders = static_cast<TfrmOrders&>(owner);
         return std::make_unique<TfrmMailSettings>(orders.Mail(), windows.Context().Ui, &owner);
       }},
      // "Advanced Send" on the picker's group and planets: two result rows, the "My Groups" page
      // of the group's planet.
      {"frmPlanetSelect", "frmAdvancedSend",
       [&windows](QWidget& owner) -> std::unique_ptr<QDialog> {
         auto& picker = static_cast<TfrmPlanetSelect&>(owner);
         const IOrderAnalysisService* service = windows.Services().Analysis;
         const TOrderAnalysis* analysis = service ? service->LastAnalysis() : nullptr;
         if (!analysis || picker.Groups().empty()) return nullptr;
         std::vector<TPlanet*> planets;
         for (int row : picker.PlanetList()->CollectSelectedRows())
           planets.push_back(picker.PlanetRowsShown()[static_cast<size_t>(row)].Planet);
         auto dialog = std::make_unique<TfrmAdvancedSend>(
             windows.Context().State, picker.Groups(), planets,
             [analysis](int32_t number, const TGroup& g) {
               return analysis->AvailableShipsOf(number, g);
             },
             false, *analysis, &owner);
         dialog->setWindowState(Qt::WindowNoState);
         dialog->SelectGroupRow(0);
         for (int i = 0; i < 2; ++i) {
           dialog->SelectPlanetRow(0);
           dialog->AddAction()->trigger();
         }
         dialog->SetInfoPage(TfrmAdvancedSend::ipMyGroups);
         dialog->ShowPlanetInfo(picker.Groups().front().second->Planet);
         return dialog;
       }},
  };
}

// The battle simulator with the largest battle of the game in which two races fought with armed
// ships, handed over as the battles window does (the first armed race attacks), and its report
// after a run of 2,000 battles.
void LoadLargestBattle(TWindowRegistry& windows, TfrmBattleSimulator& simulator) {
  const TBattle* largest = nullptr;
  const TPlayer* attacker = nullptr;
  for (auto [key, battle] : windows.Context().State.Battles) {
    std::set<const TPlayer*> armed;
    for (const auto& g : battle->Groups)
      if (g->ShipType && g->ShipType->Attacks > 0) armed.insert(g->Owner);
    if (armed.size() < 2 || (largest && battle->Groups.size() <= largest->Groups.size())) continue;
    largest = battle;
    for (const auto& g : battle->Groups)
      if (armed.count(g->Owner)) {
        attacker = g->Owner;
        break;
      }
  }
  if (!largest) return;
  simulator.NewBattle();
  for (const auto& g : largest->Groups) {
    if (g->Owner == attacker)
      simulator.AddAttacker(g->Clone());
    else
      simulator.AddDefender(g->Clone());
  }
  simulator.FillGrids();
}

bool PictureSimulation(TfrmBattleSimulator& simulator, const QString& folder) {
  if (simulator.Groups(TfrmBattleSimulator::sdAttackers).empty()) return true;
  simulator.SetSeed(1);
  simulator.BattlesEdit()->SetAsInteger(2000);
  simulator.SimulateClicked();
  while (simulator.Report()->toPlainText().indexOf("Battles fought: ") < 0)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  // The win chances in view.
  simulator.Report()->moveCursor(QTextCursor::End);
  simulator.Report()->find("======== Battle Report =======", QTextDocument::FindBackward);
  const bool saved = Picture(simulator, folder, "frmBattleSimulator-report");
  simulator.SimulateClicked();
  while (simulator.State() != TfrmBattleSimulator::ssIdle)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  TTovixApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "Usage: %s <out folder> [game number]\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "Cannot make the folder %s\n", argv[1]);
    return 1;
  }
  TStartupParams params;
  for (int i = 2; i < argc; ++i) params.Args.emplace_back(argv[i]);
  int failures = 0;
  params.OnRunning = [&](TWindowRegistry& windows) {
    for (const TWindowEntry& row : WindowCatalogue()) {
      if (row.Make == nullptr) continue;
      const std::string name = row.InstanceName;
      if (name == "frmWait") continue;  // only shown while the reports are read
      QWidget* window = windows.Find(name);
      if (window == nullptr) continue;
      const bool wasVisible = window->isVisible();
      Prepare(windows, name, *window);
      auto* simulator = qobject_cast<TfrmBattleSimulator*>(window);
      if (simulator) LoadLargestBattle(windows, *simulator);
      if (!Picture(*window, folder, QString::fromStdString(name))) ++failures;
      if (simulator && !PictureSimulation(*simulator, folder)) ++failures;
      for (const TDialogPicture& dialog : DialogPictures(windows)) {
        if (name != dialog.Window) continue;
        std::unique_ptr<QDialog> d = dialog.Make(*window);
        if (!d) continue;
        if (!Picture(*d, folder, dialog.Name)) ++failures;
        d->hide();
      }
      if (!wasVisible && window != windows.Main()) window->hide();
    }
    PlanetPictures(windows, folder, failures);
    FilterPictures(windows, folder, failures);
    windows.Main()->close();
  };
  const TStartupOutcome outcome = runTovix(app, std::move(params));
  if (outcome != TStartupOutcome::Ran) {
    std::fprintf(stderr, "Tovix did not start on the game: no pictures.\n");
    return 1;
  }
  return failures == 0 ? 0 : 1;
}

// tovix-window-pictures <out folder> [game number]: starts Tovix as usual (the program folder
// comes from $TOVIX_HOME), and once the main window is up writes one PNG per window that is built
// (not a placeholder), plus the dialogs that belong to them, into <out folder>; then it ends.
// scripts/window-pictures.sh runs it under a virtual display.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/tovix_application.h"
#include "controls/spin_edit.h"
#include "windows/battle_simulator_window.h"
#include "windows/list_export_dialog.h"
#include "windows/main_window.h"
#include "windows/map_window.h"
#include "windows/planets_window.h"
#include "windows/window_catalogue.h"
#include "windows/window_registry.h"

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

// How a window is set up before its picture: the map larger, with names on. It opens as a new
// game's map does, on the whole galaxy.
void Prepare(const std::string& name, QWidget& window) {
  if (auto* map = qobject_cast<TfrmNewMap*>(&window); map != nullptr && name == "frmNewMap") {
    map->resize(900, 760);
    map->show();
    QCoreApplication::processEvents();
    map->SetShowNames(true);
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

// Dialogs that a window opens, pictured beside it: (window, picture name, the dialog).
struct TDialogPicture {
  const char* Window;
  const char* Name;
  std::function<std::unique_ptr<QDialog>(QWidget& owner)> Make;
};

std::vector<TDialogPicture> DialogPictures() {
  return {
      {"frmRoutes", "frmRoutes-export",
       [](QWidget& owner) {
         std::vector<TExportType> all;
         for (int i = 0; i < kExportTypeCount; ++i) all.push_back(static_cast<TExportType>(i));
         return std::make_unique<TExportChoiceForm>(all, TExportType::xHTML, 12, &owner);
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
      if (row.Make == nullptr || row.Purpose != nullptr) continue;
      const std::string name = row.InstanceName;
      if (name == "frmWait") continue;  // only shown while the reports are read
      QWidget* window = windows.Find(name);
      if (window == nullptr) continue;
      const bool wasVisible = window->isVisible();
      Prepare(name, *window);
      auto* simulator = qobject_cast<TfrmBattleSimulator*>(window);
      if (simulator) LoadLargestBattle(windows, *simulator);
      if (!Picture(*window, folder, QString::fromStdString(name))) ++failures;
      if (simulator && !PictureSimulation(*simulator, folder)) ++failures;
      for (const TDialogPicture& dialog : DialogPictures()) {
        if (name != dialog.Window) continue;
        std::unique_ptr<QDialog> d = dialog.Make(*window);
        if (!Picture(*d, folder, dialog.Name)) ++failures;
        d->hide();
      }
      if (!wasVisible && window != windows.Main()) window->hide();
    }
    PlanetPictures(windows, folder, failures);
    windows.Main()->close();
  };
  const TStartupOutcome outcome = runTovix(app, std::move(params));
  if (outcome != TStartupOutcome::Ran) {
    std::fprintf(stderr, "Tovix did not start on the game: no pictures.\n");
    return 1;
  }
  return failures == 0 ? 0 : 1;
}

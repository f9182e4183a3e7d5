// How long the program takes from its start to the main window on a long game, against the load
// of the same reports alone. The game is "Andromeda" (races A, B and C, turns 0 to 88), unpacked
// from its archive into a temporary folder that is also the program folder of the runs.
//
// Aim: the start-up within 1.3 times the load.

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/startup.h"
#include "bench_support.h"
#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_registry.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path archive = fs::path(TOVIX_REPORTS_DIR) / "andromeda-ABC.tar.xz";
  std::error_code ec;
  if (!fs::exists(archive, ec)) {
    std::printf("skipped: %s is not on this machine\n", archive.string().c_str());
    return 0;
  }
  tovix::bench::ScratchDir scratch("tovix-startup-bench");
  if (scratch.path().empty() || !tovix::bench::Unpack(archive, scratch.path())) {
    std::printf("failed: could not unpack %s\n", archive.string().c_str());
    return 1;
  }
  const fs::path game = scratch.path() / "andromeda";
  const std::string pattern = (game / "%1s%0.03d.txt").string();
  std::ofstream(scratch.path() / "Tovix.ini", std::ios::binary)
      << "[RUN]\ngame=0\n\n[0]\nName=Andromeda\nspelD=" << pattern
      << "\nspelC=ABC\nGameType=Galaxy NG\nMapType=Normal\nMapSize=330\n";
  setenv("TOVIX_HOME", scratch.path().c_str(), 1);
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);

  constexpr int kRounds = 9;
  std::vector<double> startups, loads;
  bool ran = true;
  for (int round = 0; round < kRounds; ++round) {
    tovix::TStartupParams params;
    Clock::time_point shown{};
    params.OnRunning = [&shown](tovix::TWindowRegistry& windows) {
      shown = Clock::now();
      QTimer::singleShot(0, windows.Main(), [&windows] { windows.Main()->close(); });
    };
    const auto start = Clock::now();
    ran = ran && tovix::runTovix(app, std::move(params)) == tovix::TStartupOutcome::Ran;
    startups.push_back(Ms(shown - start));

    tovix::SilentUserInterface ui;
    auto state = std::make_unique<tovix::GameState>();
    state->Settings.GameType = tovix::TGameType::NG;
    state->Settings.MapSize = 330;
    state->Settings.spelD = pattern;
    state->Settings.spelC = "ABC";
    tovix::SetReportLayout(state->Layout, tovix::TGameType::NG);
    const auto loadStart = Clock::now();
    tovix::TReportReader reader(*state, ui, scratch.path());
    ran = reader.LoadAllReports() && ran;
    loads.push_back(Ms(Clock::now() - loadStart));
  }
  std::printf("medians of %d rounds (%s):\n", kRounds,
              ran ? "every run read the game" : "A RUN FAILED");
  std::printf("  load alone:                  %9.1f ms\n", Median(loads));
  std::printf("  start-up to the main window: %9.1f ms  = %4.2f x the load  (aim: at most 1.3 x)\n",
              Median(startups), Median(startups) / std::max(Median(loads), 1e-3));
  return ran ? 0 : 1;
}

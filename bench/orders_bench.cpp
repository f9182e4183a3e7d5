// How long one analysis of the order text takes: a 2,000-line order text against the last turn
// of the game "Andromeda" (race A with its allies B and C, turn 88), unpacked from its archive
// into a temporary folder that is removed at the end. The analysis runs after every insert, so
// it has to feel instant.
//
// Aim: under 20 ms per analysis (the pass over the orders, the ship masses and the list rows).
// The second figure is the orders window's whole analysis: the development plan (which reads
// the orders once more), its lists, then the same pass with the plan's transports.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "bench_support.h"
#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "orders/development_plan.h"
#include "orders/order_analysis.h"
#include "orders/order_service.h"

namespace {

namespace fs = std::filesystem;
using tovix::bench::ScratchDir;
using tovix::bench::Unpack;

constexpr int kTurn = 88;
constexpr int kOrderLines = 2000;

// Orders of every kind the analysis reads, on the own race's groups and the game's planets,
// with comments and a message block between them; drawn with a fixed seed.
std::vector<std::string> MakeOrders(const tovix::GameState& state) {
  std::vector<std::string> lines{"#GALAXY Andromeda " + state.MainPlayer->Name};
  std::mt19937 rng(20261207);
  const auto& groups = state.MainPlayer->Groups;
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto group = [&] {
    return std::to_string(
        groups[static_cast<size_t>(pick(static_cast<int>(groups.size())))]->GroupNumber);
  };
  auto planet = [&] { return state.Planets.Object(pick(state.Planets.Count()))->Name; };
  while (static_cast<int>(lines.size()) < kOrderLines - 1) {
    switch (pick(14)) {
      case 0:
        lines.push_back("; " + planet() + " next");
        break;
      case 1:
        lines.push_back("p " + planet() + " CAP");
        break;
      case 2:
        lines.push_back("r " + planet() + " COL " + planet());
        break;
      case 3:
        lines.push_back("l " + group() + " COL 1");
        lines.push_back("s MAX " + planet());
        break;
      case 4:
        lines.push_back("b " + group() + " 1");
        break;
      case 5:
        lines.push_back("g " + group());
        break;
      case 6:
        lines.push_back("u " + group());
        break;
      case 7:
        lines.push_back("@ " + state.MainPlayer->Name);
        lines.push_back("s 1 " + planet());
        lines.push_back("@");
        break;
      case 8:
        lines.push_back("i " + group() + " " + planet());
        break;
      case 9:
        lines.push_back("j " + group() + " Fleet" + std::to_string(pick(5)));
        break;
      case 10:
        lines.push_back(pick(2) ? "s Fleet" + std::to_string(pick(5)) + " " + planet()
                                : "x " + group() + " 1");
        break;
      default:
        lines.push_back("s " + group() + " " + planet() + " 1 ; scout");
        break;
    }
  }
  lines.push_back("#END");
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path archive = fs::path(TOVIX_REPORTS_DIR) / "andromeda-ABC.tar.xz";
  std::error_code ec;
  if (!fs::exists(archive, ec)) {
    std::printf("skipped: %s is not on this machine\n", archive.string().c_str());
    return 0;
  }
  ScratchDir scratch("tovix-orders-bench");
  if (scratch.path().empty() || !Unpack(archive, scratch.path())) {
    std::printf("failed: could not unpack %s\n", archive.string().c_str());
    return 1;
  }
  // Only the last turn's reports: the analysis reads the latest groups.
  const fs::path last = scratch.path() / "last";
  fs::create_directory(last, ec);
  for (char letter : {'A', 'B', 'C'}) {
    const std::string name = tovix::FormatReportName("%1s%0.03d.txt", letter, kTurn);
    fs::copy_file(scratch.path() / "andromeda" / name, last / name, ec);
  }
  tovix::SilentUserInterface ui;
  auto state = std::make_unique<tovix::GameState>();
  state->Settings.GameType = tovix::TGameType::NG;
  state->Settings.MapSize = 330;
  state->Settings.spelD = (last / "%1s%0.03d.txt").string();
  state->Settings.spelC = "ABC";
  tovix::SetReportLayout(state->Layout, tovix::TGameType::NG);
  tovix::TReportReader reader(*state, ui, scratch.path());
  if (!reader.LoadAllReports() || !state->MainPlayer || state->MainPlayer->Groups.empty()) {
    std::printf("failed: the reports of turn %d could not be read\n", kTurn);
    return 1;
  }
  const tovix::TVectorOrderLines orders(MakeOrders(*state));
  std::printf("turn %d: %d planets, %zu own groups, %d order lines\n", kTurn,
              state->Planets.Count(), state->MainPlayer->Groups.size(), orders.Count());

  tovix::TOrderAnalysis analysis(*state);
  benchmark::RegisterBenchmark("AnalyseOrders/2000 lines", [&](benchmark::State& s) {
    for (auto _ : s) {
      analysis.ParseOrders(orders);
      analysis.ComputeIncomingShipMass();
      auto rows = analysis.SentShipRows();
      auto develop = analysis.ToDevelopRows();
      benchmark::DoNotOptimize(rows.data());
      benchmark::DoNotOptimize(develop.data());
    }
    s.counters["records"] = static_cast<double>(analysis.Records().size());
  })->Unit(benchmark::kMillisecond);
  tovix::TDevelopmentPlanner planner(*state);
  tovix::TVectorOrderLines editor(orders.Lines());
  tovix::TRecordingTextSink clipboard;
  tovix::TOrderService service(*state, editor, clipboard, planner);
  service.UseRoutesForDevelopment = true;
  benchmark::RegisterBenchmark("AnalyseOrders with the plan/2000 lines", [&](benchmark::State& s) {
    for (auto _ : s) service.AnalyseOrders();
    s.counters["notes"] = static_cast<double>(service.Notes().size());
  })->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("aim: under 20 ms per analysis\n");
  return 0;
}

// Filling the planet list and sorting it by each of its 20 columns, on the game "Andromeda"
// (races A, B and C, turns 0 to 88) read as race A with the allies B and C, unpacked from its
// archive into a temporary folder that is removed at the end. Each case fills the rows of
// every planet of the model and sorts them by one column.
//
// Aim: each column under 50 ms.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "views/planet_list_rows.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "tovix-planet-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// tar -xJf <archive> -C <folder>, with an argument list (no shell).
bool Unpack(const fs::path& archive, const fs::path& folder) {
  std::string a = archive.string();
  std::string f = folder.string();
  char tar[] = "tar";
  char extract[] = "-xJf";
  char into[] = "-C";
  char* argv[] = {tar, extract, a.data(), into, f.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "tar", nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void FillAndSort(benchmark::State& bench, tovix::GameState* state, int column) {
  size_t rows = 0;
  for (auto _ : bench) {
    tovix::ComputePlanetShipMasses(*state);
    const std::vector<tovix::TPlanetRow> filled = tovix::PlanetRows(*state, std::nullopt);
    const std::vector<int> order = tovix::SortedPlanetRows(filled, column, false);
    benchmark::DoNotOptimize(order.data());
    rows = filled.size();
  }
  bench.counters["rows"] = static_cast<double>(rows);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path archive = fs::path(TOVIX_REPORTS_DIR) / "andromeda-ABC.tar.xz";
  std::error_code ec;
  if (!fs::exists(archive, ec)) {
    std::printf("skipped: %s is not on this machine\n", archive.string().c_str());
    return 0;
  }
  ScratchDir scratch;
  if (scratch.path().empty() || !Unpack(archive, scratch.path())) {
    std::printf("failed: could not unpack %s\n", archive.string().c_str());
    return 1;
  }
  const fs::path game = scratch.path() / "andromeda";
  tovix::SilentUserInterface ui;
  auto state = std::make_unique<tovix::GameState>();
  state->Settings.GameType = tovix::TGameType::NG;
  state->Settings.MapSize = 330;
  state->Settings.spelD = (game / "%1s%0.03d.txt").string();
  state->Settings.spelC = "ABC";
  tovix::SetReportLayout(state->Layout, tovix::TGameType::NG);
  {
    tovix::TReportReader reader(*state, ui, scratch.path());
    if (!reader.LoadAllReports()) {
      std::printf("failed: the reports of %s could not be read\n", game.string().c_str());
      return 1;
    }
  }
  for (int c = 0; c < tovix::kPlanetColumnCount; ++c) {
    const std::string name = "FillAndSortPlanetList/" +
                             std::string(tovix::kPlanetColumnCaptions[static_cast<size_t>(c)]);
    benchmark::RegisterBenchmark(name.c_str(), FillAndSort, state.get(), c)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

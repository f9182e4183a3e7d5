// How long reading a whole game takes, against the floor of merely reading the same files into
// memory and splitting them into lines, and how much memory the reading needs against the size
// of the reports. The game is "Andromeda" (races A, B and C, turns 0 to 88, 28 MB of reports),
// unpacked from its archive into a temporary folder that is removed at the end.
//
// Aims: the load within 6 times the plain read on one thread and within 4 times with the
// worker threads; peak memory growth at most half the report bytes.
//
// "load_bench load [threads [times]]" and "load_bench read" do one load (one thread unless
// given; or `times` loads) or one plain read and split and nothing else, for counting
// instructions under valgrind --tool=callgrind: counts do not change with the machine's load
// as times do.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench_support.h"
#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/reports/report_files.h"
#include "core/reports/report_reader.h"
#include "core/settings/report_layout.h"
#include "core/text/file_utils.h"

namespace {

namespace fs = std::filesystem;
using tovix::bench::ScratchDir;
using tovix::bench::Unpack;
using Clock = std::chrono::steady_clock;

constexpr double kMiB = 1024.0 * 1024.0;

// A value of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
long StatusKb(std::string_view key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() &&
        line[key.size()] == ':') {
      return std::atol(line.c_str() + key.size() + 1);
    }
  }
  return -1;
}

// Resets the peak resident size, so that the peak read afterwards belongs to what follows.
bool ResetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

long MaxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The floor: each report read whole and cut into lines, nothing more.
size_t ReadAndSplit(const std::vector<fs::path>& files) {
  size_t lines = 0;
  for (const fs::path& f : files) {
    std::string text = tovix::LoadFileToString(f);
    std::vector<std::string_view> split;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      split.emplace_back(text.data() + start, end - start);
      start = end + 1;
    }
    benchmark::DoNotOptimize(split.data());
    lines += split.size();
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view only = argc > 1 ? argv[1] : "";
  const fs::path archive = fs::path(TOVIX_REPORTS_DIR) / "andromeda-ABC.tar.xz";
  std::error_code ec;
  if (!fs::exists(archive, ec)) {
    std::printf("skipped: %s is not on this machine\n", archive.string().c_str());
    return 0;
  }
  ScratchDir scratch("tovix-load-bench");
  if (scratch.path().empty()) {
    std::printf("failed: no temporary folder\n");
    return 1;
  }
  if (!Unpack(archive, scratch.path())) {
    std::printf("failed: could not unpack %s\n", archive.string().c_str());
    return 1;
  }
  const fs::path game = scratch.path() / "andromeda";
  std::vector<fs::path> files;
  uintmax_t bytes = 0;
  for (const auto& e : fs::directory_iterator(game, ec)) {
    if (e.is_regular_file() && e.path().extension() == ".txt") {
      files.push_back(e.path());
      bytes += e.file_size();
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::printf("failed: the archive held no reports\n");
    return 1;
  }

  // One whole load, as the program does it at start, with `threads` worker threads.
  struct LoadResult {
    bool loaded = false;
    int races = 0;
    int planets = 0;
    std::vector<std::string> messages;
    double ms = 0;
  };
  const auto load = [&](int threads) {
    LoadResult result;
    tovix::SilentUserInterface ui;
    auto state = std::make_unique<tovix::GameState>();
    state->Settings.GameType = tovix::TGameType::NG;
    state->Settings.MapSize = 330;
    state->Settings.spelD = (game / "%1s%0.03d.txt").string();
    state->Settings.spelC = "ABC";
    tovix::SetReportLayout(state->Layout, tovix::TGameType::NG);
    const auto start = Clock::now();
    {
      tovix::TReportReader reader(*state, ui, scratch.path());
      reader.SetReadThreads(threads);
      result.loaded = reader.LoadAllReports();
      result.messages = reader.Messages();
    }
    result.ms = Ms(Clock::now() - start);
    result.races = state->Players.Count();
    result.planets = state->Planets.Count();
    return result;
  };

  if (only == "read") {
    std::printf("read and split: %zu lines\n", ReadAndSplit(files));
    return 0;
  }
  if (only == "load") {
    const int threads = argc > 2 ? std::atoi(argv[2]) : 0;
    const int times = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
    LoadResult one;
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
      one = load(threads);
      ms.push_back(one.ms);
    }
    std::printf("load: %s, %d races, %d planets, median %.1f ms\n",
                one.loaded ? "read" : "NOT READ", one.races, one.planets, Median(ms));
    return one.loaded ? 0 : 1;
  }

  // The peak memory of the first load (single-threaded).
  const bool peakReset = ResetPeak();
  const long rssBefore = StatusKb("VmRSS");
  const long maxRssBefore = MaxRssKb();
  const LoadResult first = load(0);
  const long peakKb = peakReset ? StatusKb("VmHWM") : MaxRssKb();
  const long peakBaseKb = peakReset ? rssBefore : maxRssBefore;
  const long rssAfter = StatusKb("VmRSS");

  // The load without and with threads alternated with the plain read and split of the same
  // files, so that a busy machine slows all of them alike; the medians are compared.
  const int threads = tovix::DefaultReadThreads();
  constexpr int kRounds = 11;
  std::vector<double> alone, threaded, floor;
  size_t lines = 0;
  bool loaded = first.loaded;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    lines = ReadAndSplit(files);
    floor.push_back(Ms(Clock::now() - start));
    const LoadResult one = load(0);
    alone.push_back(one.ms);
    start = Clock::now();
    lines = ReadAndSplit(files);
    floor.push_back(Ms(Clock::now() - start));
    const LoadResult many = load(threads);
    threaded.push_back(many.ms);
    loaded = loaded && one.loaded && many.loaded;
  }
  const double floorMs = std::max(Median(floor), 1e-3);

  const double reportMb = static_cast<double>(bytes) / kMiB;
  const double peakMb = static_cast<double>(peakKb - peakBaseKb) / 1024.0;
  std::printf("reports: %zu files, %zu lines, %.1f MB\n", files.size(), lines, reportMb);
  std::printf("load (A with allies B and C): %s, %d races, %d planets, %zu messages\n",
              loaded ? "read" : "NOT READ", first.races, first.planets, first.messages.size());
  for (size_t i = 0; i < first.messages.size() && i < 5; ++i) {
    std::printf("  message: %s\n", first.messages[i].c_str());
  }
  std::printf("medians of %d rounds:\n", kRounds);
  std::printf("  read and split lines only:     %9.1f ms\n", floorMs);
  std::printf("  load, one thread:              %9.1f ms  = %5.1f x  (aim: at most 6 x)\n",
              Median(alone), Median(alone) / floorMs);
  std::printf("  load, %d worker threads:        %9.1f ms  = %5.1f x  (aim: at most 4 x)\n",
              threads, Median(threaded), Median(threaded) / floorMs);
  std::printf(
      "peak memory growth during the load: %.1f MB = %.2f x the report bytes "
      "(aim: at most 0.5 x)%s\n",
      peakMb, peakMb / reportMb, peakReset ? "" : " [from getrusage: upper bound]");
  std::printf("model kept after the load:          %.1f MB\n",
              static_cast<double>(rssAfter - rssBefore) / 1024.0);
  return loaded ? 0 : 1;
}

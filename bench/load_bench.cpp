// How long reading a whole game takes, against the floor of merely reading the same files into
// memory and splitting them into lines, and how much memory the reading needs against the size
// of the reports. The game is "Andromeda" (races A, B and C, turns 0 to 88, 28 MB of reports),
// unpacked from its archive into a temporary folder that is removed at the end.
//
// Aims: the load within 4 times the plain read; peak memory below the report bytes.

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
#include "core/file_utils.h"
#include "core/game_state.h"
#include "core/report_layout.h"
#include "core/report_reader.h"
#include "core/user_interface.h"

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

int main() {
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

  // (a) The whole load, as the program does it at start.
  const bool peakReset = ResetPeak();
  const long rssBefore = StatusKb("VmRSS");
  const long maxRssBefore = MaxRssKb();
  tovix::SilentUserInterface ui;
  auto state = std::make_unique<tovix::GameState>();
  state->Settings.GameType = tovix::TGameType::NG;
  state->Settings.MapSize = 330;
  state->Settings.spelD = (game / "%1s%0.03d.txt").string();
  state->Settings.spelC = "ABC";
  tovix::SetReportLayout(state->Layout, tovix::TGameType::NG);
  const auto loadStart = Clock::now();
  bool loaded = false;
  std::vector<std::string> messages;
  {
    tovix::TReportReader reader(*state, ui, scratch.path());
    loaded = reader.LoadAllReports();
    messages = reader.Messages();
  }
  const auto loadTime = Clock::now() - loadStart;
  const long peakKb = peakReset ? StatusKb("VmHWM") : MaxRssKb();
  const long peakBaseKb = peakReset ? rssBefore : maxRssBefore;
  const long rssAfter = StatusKb("VmRSS");

  // (b) The same files read and split, best of three.
  Clock::duration readTime = Clock::duration::max();
  size_t lines = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    lines = ReadAndSplit(files);
    readTime = std::min(readTime, Clock::now() - start);
  }

  const double reportMb = static_cast<double>(bytes) / kMiB;
  const double peakMb = static_cast<double>(peakKb - peakBaseKb) / 1024.0;
  std::printf("reports: %zu files, %zu lines, %.1f MB\n", files.size(), lines, reportMb);
  std::printf("load (A with allies B and C): %9.1f ms  %s, %d races, %d planets, %zu messages\n",
              Ms(loadTime), loaded ? "read" : "NOT READ", state->Players.Count(),
              state->Planets.Count(), messages.size());
  for (size_t i = 0; i < messages.size() && i < 5; ++i) {
    std::printf("  message: %s\n", messages[i].c_str());
  }
  std::printf("read and split lines only:    %9.1f ms\n", Ms(readTime));
  std::printf("ratio load / read:            %9.1f x   (aim: at most 4 x)\n",
              Ms(loadTime) / std::max(Ms(readTime), 1e-3));
  std::printf(
      "peak memory growth during the load: %.1f MB = %.2f x the report bytes "
      "(aim: below 1 x)%s\n",
      peakMb, peakMb / reportMb, peakReset ? "" : " [from getrusage: upper bound]");
  std::printf("model kept after the load:          %.1f MB\n",
              static_cast<double>(rssAfter - rssBefore) / 1024.0);
  return loaded ? 0 : 1;
}

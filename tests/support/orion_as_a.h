#pragma once
// The real game "Orion" read as race A with the allies B and C, once per test program; nullptr
// when its reports are not on this machine. Header only: tests that use it link tovix_core.

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix::test {

struct OrionAsA {
  OrionAsA() {
    source = ReportsDir("orion");
    if (source.empty()) return;
    namespace fs = std::filesystem;
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (e.is_regular_file() && e.path().extension() == ".txt" && name.size() == 8 &&
          std::string("ABC").find(name[0]) != std::string::npos) {
        fs::copy_file(e.path(), games.path() / name);
      }
    }
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (games.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "ABC";
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  std::filesystem::path source;
  TempDir games, programDir;
  RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

// The game, read on first use.
inline OrionAsA* Orion() {
  static const std::unique_ptr<OrionAsA> game = std::make_unique<OrionAsA>();
  return game->loaded ? game.get() : nullptr;
}

// A file's lines without their line ends.
inline std::vector<std::string> FileLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::istringstream in(ReadFileBytes(file));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The blank-separated words of a line.
inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The rows of every table of a report whose title (a line indented by tabs) satisfies `title`,
// from line `from` on: the lines after the column header up to the next blank line or title.
template <class Pred>
std::vector<std::pair<std::string, std::vector<std::string>>> ReportTables(
    const std::vector<std::string>& lines, size_t from, Pred&& title) {
  std::vector<std::pair<std::string, std::vector<std::string>>> rows;
  for (size_t i = from; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '\t') continue;
    const size_t start = lines[i].find_first_not_of('\t');
    if (start == std::string::npos) continue;
    const std::string name = lines[i].substr(start);
    if (!title(name)) continue;
    size_t r = i + 1;
    while (r < lines.size() && Words(lines[r]).empty()) ++r;
    for (++r; r < lines.size() && !lines[r].empty() && lines[r][0] != '\t'; ++r) {
      std::vector<std::string> w = Words(lines[r]);
      if (w.empty()) break;
      rows.emplace_back(name, std::move(w));
    }
  }
  return rows;
}

}  // namespace tovix::test

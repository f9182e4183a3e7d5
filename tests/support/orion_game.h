#pragma once
// The real game Orion read as race A with the allies B and C (or the races given), once per
// test program, and a small reader of the report text's tables that shares no code with the
// report reader, so that expectations come from the text itself. Tests skip when the reports are
// not on this machine.

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/game_state.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix::test {

struct OrionGame {
  // `letters`: the races whose reports are read, the first one the user's own.
  explicit OrionGame(const std::string& letters = "ABC") {
    namespace fs = std::filesystem;
    const fs::path source = ReportsDir("orion");
    if (source.empty()) return;
    for (const auto& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (e.is_regular_file() && e.path().extension() == ".txt" && name.size() == 8 &&
          letters.find(name[0]) != std::string::npos) {
        fs::copy_file(e.path(), games.path() / name);
      }
    }
    state.Settings.GameType = TGameType::NG;
    state.Settings.MapSize = 150;
    state.Settings.spelD = (games.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = letters;
    SetReportLayout(state.Layout, TGameType::NG);
    TReportReader reader(state, ui, programDir.path());
    loaded = reader.LoadAllReports();
  }
  // The report of race `letter` of `turn`.
  std::filesystem::path Report(char letter, int turn) const {
    return games.path() / FormatReportName("%1s%0.03d.txt", letter, turn);
  }
  TempDir games, programDir;
  RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

// The game, or nullptr when its reports are absent (or could not be read).
inline OrionGame* Orion() {
  static const std::unique_ptr<OrionGame> game = std::make_unique<OrionGame>();
  return game->loaded ? game.get() : nullptr;
}

// ---- The report text ----------------------------------------------------------------------

using TextWords = std::vector<std::string>;

inline TextWords SplitText(std::string_view line) {
  TextWords words;
  std::istringstream in{std::string(line)};
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

inline std::vector<std::string> ReportLines(const std::filesystem::path& file) {
  std::istringstream in(ReadFileBytes(file));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A section title line: a tab first; the title is the text without the blanks around it.
inline std::string SectionTitle(const std::string& line) {
  if (line.empty() || line[0] != '\t') return {};
  const size_t a = line.find_first_not_of(" \t");
  const size_t b = line.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : line.substr(a, b - a + 1);
}

struct TextTable {
  std::string Title;
  std::string Header;  // the column header line
  std::vector<TextWords> Rows;
};

// The table after the title at `line`: blank lines, the column header, rows to a blank line.
inline TextTable TableAt(const std::vector<std::string>& lines, size_t line) {
  TextTable t{SectionTitle(lines[line]), {}, {}};
  size_t r = line + 1;
  while (r < lines.size() && SplitText(lines[r]).empty()) ++r;
  if (r < lines.size()) t.Header = lines[r];
  for (++r; r < lines.size() && !SplitText(lines[r]).empty(); ++r)
    t.Rows.push_back(SplitText(lines[r]));
  return t;
}

// Every table whose title is `title`, in the order of the report.
inline std::vector<TextTable> Tables(const std::vector<std::string>& lines,
                                     std::string_view title) {
  std::vector<TextTable> tables;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (SectionTitle(lines[i]) == title) tables.push_back(TableAt(lines, i));
  }
  return tables;
}

}  // namespace tovix::test

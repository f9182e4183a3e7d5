// The routes window on the real game Orion read as race A with the allies B and C. The
// expected rows come from the "Your Routes" table of A's last report, read here from the text.

#include "windows/lists/routes_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>
#include <set>
#include <sstream>

#include "controls/zn_list_view.h"
#include "core/reports/report_reader.h"
#include "core/settings/game_settings.h"
#include "core/settings/report_layout.h"
#include "core/text/str_utils.h"
#include "support/list_widths.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "views/cell_compare.h"
#include "views/name_samples.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using Row = std::array<std::string, 5>;

struct OrionAsA {
  OrionAsA() {
    const fs::path source = test::ReportsDir("orion");
    if (source.empty()) return;
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
  test::TempDir games, programDir;
  test::RecordingUserInterface ui;
  GameState state;
  bool loaded = false;
};

const OrionAsA* Orion() {
  static const std::unique_ptr<OrionAsA> game = std::make_unique<OrionAsA>();
  return game->loaded ? game.get() : nullptr;
}

// The "Your Routes" rows of a report as the window's columns: From, Cap ($), Col (C), Mat (M),
// Empty (E); "-" is no destination.
std::vector<Row> ReportRoutes(const fs::path& report) {
  std::istringstream in(test::ReadFileBytes(report));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::vector<Row> rows;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '\t' || Trim(lines[i]) != "Your Routes") continue;
    size_t r = i + 1;
    while (r < lines.size() && Trim(lines[r]).empty()) ++r;
    for (++r; r < lines.size() && !Trim(lines[r]).empty(); ++r) {
      std::istringstream words(lines[r]);
      std::array<std::string, 5> w;
      for (std::string& word : w) words >> word;
      for (std::string& word : w) {
        if (word == "-") word.clear();
      }
      rows.push_back({w[0], w[1], w[3], w[2], w[4]});
    }
  }
  return rows;
}

std::vector<Row> Shown(const TznListView& list) {
  std::vector<Row> rows;
  for (int v = 0; v < list.Rows().Count(); ++v) {
    Row row;
    for (int c = 0; c < 5; ++c)
      row[static_cast<size_t>(c)] = list.Rows().CellText(list.Rows().SourceRow(v), c);
    rows.push_back(row);
  }
  return rows;
}

class RoutesWindow : public testing::Test {
 protected:
  void SetUp() override {
    if (!Orion()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
    const GameState& state = Orion()->state;
    expected = ReportRoutes(Orion()->games.path() /
                            FormatReportName("%1s%0.03d.txt", 'A', state.LastTurn));
  }
  std::vector<Row> expected;
};

TEST_F(RoutesWindow, ShowsTheRoutesOfTheLastOwnReportAndDeletesThemAsROrders) {
  ASSERT_GE(expected.size(), 3u);
  TznSaveState store("");
  TfrmRoutes window(Orion()->state, store);
  std::vector<std::string> written;
  window.setRouteCommandSink([&](const std::string& line) { written.push_back(line); });
  window.show();
  EXPECT_EQ(window.windowTitle(), "Routes");
  TznListView& list = *window.List();
  // Every planet name of the game whole in every column, and the window shows every column.
  test::ExpectHeadersWhole(list);
  for (int column = 0; column < 5; ++column)
    test::ExpectWhole(list, column, LongestGameNames(Orion()->state).Planets.front());
  EXPECT_GE(list.width(), list.FittedWidth());
  const std::vector<Row> shown = Shown(list);
  EXPECT_EQ(std::multiset<Row>(shown.begin(), shown.end()),
            std::multiset<Row>(expected.begin(), expected.end()));
  // Sorted by "From": planets named by numbers first, in numeric order.
  for (size_t i = 1; i < shown.size(); ++i)
    EXPECT_LE(CompareCells(shown[i - 1][0], shown[i][0]), 0);

  // Delete Route on a filled cell: its line; then on an empty cell: nothing enabled.
  int row = -1, column = -1;
  for (int v = 0; v < list.Rows().Count() && row < 0; ++v) {
    for (int c = 1; c <= 4 && row < 0; ++c) {
      if (!shown[static_cast<size_t>(v)][static_cast<size_t>(c)].empty()) row = v, column = c;
    }
  }
  ASSERT_GE(row, 0);
  const Row target = shown[static_cast<size_t>(row)];
  window.PreparePopup(list.visualRect(list.Rows().index(row, column)).center());
  QAction* deleteRoute = window.PopupMenu()->actions().at(0);
  ASSERT_TRUE(deleteRoute->isEnabled());
  deleteRoute->trigger();
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], "R " + target[0] + " " + kRouteTypes[static_cast<size_t>(column - 1)]);
  int filled = 0;
  for (int c = 1; c <= 4; ++c) filled += !target[static_cast<size_t>(c)].empty();
  EXPECT_EQ(list.Rows().Count(), static_cast<int>(expected.size()) - (filled == 1 ? 1 : 0));

  // Delete All Routes: one line for every destination left, and an empty list.
  int destinations = 0;
  for (const Row& r : expected) {
    for (int c = 1; c <= 4; ++c) destinations += !r[static_cast<size_t>(c)].empty();
  }
  window.PreparePopup(QPoint(1, 1));
  QAction* deleteAll = window.PopupMenu()->actions().at(2);
  ASSERT_TRUE(deleteAll->isEnabled());
  deleteAll->trigger();
  EXPECT_EQ(static_cast<int>(written.size()), destinations);
  EXPECT_EQ(list.Rows().Count(), 0);
  for (const std::string& line : written) EXPECT_EQ(line.rfind("R ", 0), 0u) << line;

  // Refreshing reads the model again: the orders have not been read back yet.
  window.RefreshRoutes();
  EXPECT_EQ(list.Rows().Count(), static_cast<int>(expected.size()));
}

TEST_F(RoutesWindow, DeleteSelectedRoutesWalksTheShownRowsFromTheTop) {
  TznSaveState store("");
  TfrmRoutes window(Orion()->state, store);
  std::vector<std::string> written;
  window.setRouteCommandSink([&](const std::string& line) { written.push_back(line); });
  window.show();
  TznListView& list = *window.List();
  list.SetSortDirection(TznSortDirection::sdDesc);
  const std::vector<Row> shown = Shown(list);
  ASSERT_GE(shown.size(), 3u);
  for (int v : {0, 1}) {
    list.selectionModel()->select(list.Rows().index(v, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  window.PreparePopup(QPoint(-5, -5));
  EXPECT_FALSE(window.PopupMenu()->actions().at(0)->isEnabled()) << "no cell under the mouse";
  QAction* deleteSelected = window.PopupMenu()->actions().at(3);
  ASSERT_TRUE(deleteSelected->isEnabled());
  deleteSelected->trigger();
  std::vector<std::string> expectedLines;
  for (size_t v : {0u, 1u}) {
    for (int c = 1; c <= 4; ++c) {
      if (!shown[v][static_cast<size_t>(c)].empty()) {
        expectedLines.push_back("R " + shown[v][0] + " " + kRouteTypes[static_cast<size_t>(c - 1)]);
      }
    }
  }
  EXPECT_EQ(written, expectedLines);
  const std::vector<Row> left = Shown(list);
  EXPECT_EQ(left, std::vector<Row>(shown.begin() + 2, shown.end()));
}

// Hovering shows the planet of the cell; without a sink the lines of one choice go to the
// clipboard.
TEST_F(RoutesWindow, HoverShowsPlanetsAndLinesWithoutASinkGoToTheClipboard) {
  TznSaveState store("");
  TfrmRoutes window(Orion()->state, store);
  std::vector<const TPlanet*> shownPlanets;
  window.setShowPlanet([&](const TPlanet* p) { shownPlanets.push_back(p); });
  window.show();
  TznListView& list = *window.List();
  const std::vector<Row> shown = Shown(list);
  QTest::mouseMove(list.viewport(), list.visualRect(list.Rows().index(0, 0)).center());
  ASSERT_FALSE(shownPlanets.empty());
  EXPECT_EQ(shownPlanets[0]->Name, shown[0][0]);

  window.PreparePopup(list.visualRect(list.Rows().index(0, 0)).center());
  window.PopupMenu()->actions().at(1)->trigger();
  std::string lines;
  for (int c = 1; c <= 4; ++c) {
    if (!shown[0][static_cast<size_t>(c)].empty()) {
      lines += "R " + shown[0][0] + " " + kRouteTypes[static_cast<size_t>(c - 1)] + "\r\n";
    }
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), lines);
}

}  // namespace
}  // namespace tovix

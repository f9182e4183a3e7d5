// The main window with the program's other windows around it, without a game read: hints, the
// commands of the "Extra" menu, "Top Most" and the help dispatcher. The toolbar's buttons are
// walked in window_catalogue_test.

#include "windows/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>

#include "controls/caption_strip.h"
#include "controls/system_menu.h"
#include "controls/top_most_window.h"
#include "core/file_utils.h"
#include "platform/help.h"
#include "platform/platform_test_helpers.h"
#include "platform/shell.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "windows/window_registry.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::RowName;

class MainWindow : public testing::Test {
 protected:
  MainWindow()
      : store_((folder_ / "TovixStore3.ini").string()),
        windows_({store_, states_, state_, ui_, folder_.path()}) {
    state_.Settings.GameNumber = 0;
    windows_.CreateStartupWindows();
    windows_.CreateLaterWindows();
  }

  TfrmMain& Main() {
    TfrmMain& main = *windows_.Main();
    if (!main.isVisible()) {
      main.show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    return main;
  }
  QAction* ExtraItem(const char* name) { return Main().ExtraMenu()->findChild<QAction*>(name); }

  test::TempDir folder_;
  TznSaveState store_;
  TFormStateRegistry states_;
  GameState state_;
  test::RecordingUserInterface ui_;
  TWindowRegistry windows_;
};

// The hints of every window of the program end up in the main window's status line.
TEST_F(MainWindow, StatusLineShowsTheHintsOfEveryWindow) {
  TfrmMain& main = Main();
  QStatusTipEvent graphHint(main.Button("btnGraph")->statusTip());
  QApplication::sendEvent(main.Button("btnGraph"), &graphHint);
  EXPECT_EQ(main.statusBar()->currentMessage().toStdString(), "View Graphs of player information");

  QWidget* routes = windows_.Find("frmRoutes");
  routes->show();
  QStatusTipEvent routesHint("Remove the route");
  QApplication::sendEvent(routes, &routesHint);
  EXPECT_EQ(main.statusBar()->currentMessage().toStdString(), "Remove the route");
}

TEST_F(MainWindow, MinimizeAllMinimizesTheToolbarWindowsOnly) {
  Main();
  QWidget* routes = windows_.Find("frmRoutes");
  QWidget* calculations = windows_.Find("frmCalculations");
  routes->show();
  calculations->show();
  ExtraItem("mniMinimizeAll")->trigger();
  std::set<std::string> minimized;
  for (QWidget* w : windows_.Windows())
    if (w->isMinimized()) minimized.insert(w->objectName().toStdString());
  EXPECT_EQ(minimized, (std::set<std::string>{"frmPlayers", "frmPlanets", "frmNewMap", "frmBattles",
                                              "frmShipDesign", "frmGraph", "frmBattleSimulator",
                                              "frmOrders", "frmIncomingGroups", "frmTurnReports",
                                              "frmBombings", "frmConfigIni", "frmGroups",
                                              "frmPlanetslist", "frmRoutes", "frmEditor"}));
  EXPECT_TRUE(routes->isVisible());
  EXPECT_FALSE(calculations->isMinimized());
}

// The window menu of the caption strip mirrors "Top Most"; choosing it there switches the
// main window in and out of the stay-on-top band.
TEST_F(MainWindow, TopMostFromTheWindowMenu) {
  TfrmMain& main = Main();
  QMenu* windowMenu = main.SystemMenuMirror()->WindowMenu();
  ASSERT_NE(windowMenu, nullptr);
  EXPECT_EQ(main.CaptionStrip()->WindowMenu(), windowMenu);
  const auto chooseTopMost = [windowMenu] {
    emit windowMenu->aboutToShow();
    ASSERT_EQ(windowMenu->actions().size(), 1);
    EXPECT_TRUE(windowMenu->actions()[0]->text().startsWith("Top Most"));
    windowMenu->actions()[0]->trigger();
  };
  chooseTopMost();
  EXPECT_TRUE(main.TopMostItem()->isChecked());
  EXPECT_TRUE(main.TopMost()->AlwaysOnTop());
  EXPECT_TRUE(main.windowFlags() & Qt::WindowStaysOnTopHint);
  chooseTopMost();
  EXPECT_FALSE(main.TopMostItem()->isChecked());
  EXPECT_FALSE(main.windowFlags() & Qt::WindowStaysOnTopHint);
}

// "&Calculator" shows the calculator modally until the user closes it.
TEST_F(MainWindow, CalculatorIsShownModally) {
  Main();
  std::string shown;
  test::ModalAnswerer answerer([&shown](QWidget* modal) {
    shown = modal->objectName().toStdString();
    modal->close();
  });
  ExtraItem("mniCalculator")->trigger();
  EXPECT_EQ(shown, "frmCalculate");
  EXPECT_EQ(answerer.Count(), 1);
  EXPECT_FALSE(windows_.Find("frmCalculate")->isVisible());
}

// "Save Status" reports a store it could not write instead of losing the settings silently.
TEST_F(MainWindow, SaveStatusShowsAFailedStoreWrite) {
  Main();
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  ExtraItem("mniSaveStatus")->trigger();
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].find("TovixStore3.ini"), std::string::npos) << ui_.messages[0];
  EXPECT_FALSE(fs::exists(folder_ / "TovixStore3.ini"));
  // The settings are still there for the next try.
  ExtraItem("mniSaveStatus")->trigger();
  EXPECT_NE(test::ReadFileBytes(folder_ / "TovixStore3.ini").find("[Tovix_State]"),
            std::string::npos);
}

struct HelpRow {
  std::string name;
  int context;
  std::string expressionCaption;
  bool handled;
  std::string opened;
};

void PrintTo(const HelpRow& row, std::ostream* os) {
  *os << row.name;
}

class MainWindowHelp : public MainWindow, public testing::WithParamInterface<HelpRow> {};

// The expression dialog's current caption decides between its two pages; the list-choice
// dialog and the message dialog have none.
TEST_P(MainWindowHelp, DispatchOpensThePageOfTheContext) {
  const HelpRow& row = GetParam();
  fs::create_directories(folder_ / kHelpFolderName);
  for (const char* page : {"expressionsgroups.htm", "expressionsplanets.htm", "introduction.htm"})
    std::ofstream(folder_ / kHelpFolderName / page) << "<html></html>";
  std::vector<std::string> opened;
  const TDesktopOpener old = SetDesktopOpener([&opened](const QUrl& url) {
    opened.push_back(url.fileName().toStdString());
    return true;
  });
  windows_.Find("frmSelectExpressions")
      ->setWindowTitle(QString::fromStdString(row.expressionCaption));
  const bool handled = Main().DispatchHelp(row.context);
  SetDesktopOpener(old);
  EXPECT_EQ(handled, row.handled);
  EXPECT_EQ(opened,
            row.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.opened});
  EXPECT_EQ(ui_.messages, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Rows, MainWindowHelp,
                         testing::Values(HelpRow{"GroupExpressions", 28, "Groups Expressions", true,
                                                 "expressionsgroups.htm"},
                                         HelpRow{"PlanetExpressions", 28, "Planets Expressions",
                                                 true, "expressionsplanets.htm"},
                                         HelpRow{"ListChoiceNotHandled", 34, "", false, ""}),
                         RowName<HelpRow>);

}  // namespace
}  // namespace tovix

// The main window with the program's other windows around it, without a game read: the toolbar
// walked through the window catalogue, hints, the commands of the "Extra" menu, "Top Most" and
// the help dispatcher.

#include "windows/frame/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "controls/calculator_panel.h"
#include "controls/caption_strip.h"
#include "controls/speed_button.h"
#include "controls/system_menu.h"
#include "controls/top_most_window.h"
#include "core/text/file_utils.h"
#include "platform/help.h"
#include "platform/platform_test_helpers.h"
#include "platform/qt_user_interface.h"
#include "platform/shell.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/orders/calculator_window.h"

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
    previous_ = SetDesktopOpener([this](const QUrl& url) {
      opened_.push_back(url.fileName().toStdString());
      return true;
    });
    fs::create_directories(folder_ / kHelpFolderName);
    for (const TWindowEntry& row : WindowCatalogue())
      if (row.HelpTopic) std::ofstream(folder_ / kHelpFolderName / row.HelpTopic) << "<html/>";
    std::ofstream(folder_ / kHelpFolderName / "expressionsgroups.htm") << "<html/>";
    windows_.CreateStartupWindows();
    windows_.CreateLaterWindows();
  }
  ~MainWindow() override { SetDesktopOpener(previous_); }

  TfrmMain& Main() {
    TfrmMain& main = *windows_.Main();
    if (!main.isVisible()) {
      main.show();
      EXPECT_TRUE(test::ShowExposed(main));
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
  std::vector<std::string> opened_;  // the pages handed to the browser
  TDesktopOpener previous_;
};

// F1 as the user presses it: the key goes to the active window's platform window first and
// from there to the widget with the focus, both through the application's event path.
void PressF1In(QWidget& window) {
  test::ShowActive(window);
  ASSERT_NE(window.windowHandle(), nullptr);
  QTest::keyClick(window.windowHandle(), Qt::Key_F1);
}

// Walks the window catalogue: every toolbar button opens its own window, and F1 there opens that
// window's own page. The application's key filter saw the key first on the platform window,
// which has no help context, and opened the introduction for every window.
TEST_F(MainWindow, EveryToolbarButtonOpensItsOwnWindowWithItsOwnHelpPage) {
  TfrmMain& main = Main();
  PressF1In(main);
  EXPECT_EQ(opened_, std::vector<std::string>{"toolbar.htm"});
  std::set<std::string> windowsOpened, pagesOpened;
  int buttons = 0;
  for (const TWindowEntry& row : WindowCatalogue()) {
    if (row.ButtonPlace == 0) continue;
    SCOPED_TRACE(row.InstanceName);
    ++buttons;
    opened_.clear();
    std::string window;
    const auto askForHelp = [&window](QWidget* w) {
      window = w->objectName().toStdString();
      PressF1In(*w);
    };
    if (row.Action == TButtonAction::Modal) {
      test::ModalAnswerer answerer([&](QWidget* modal) {
        askForHelp(modal);
        modal->close();
      });
      QTest::mouseClick(main.Button(row.ButtonName), Qt::LeftButton);
      EXPECT_EQ(answerer.Count(), 1);
    } else {
      QTest::mouseClick(main.Button(row.ButtonName), Qt::LeftButton);
      std::vector<QWidget*> shown;
      for (QWidget* w : windows_.Windows())
        if (w != &main && w->isVisible()) shown.push_back(w);
      ASSERT_EQ(shown.size(), 1u);
      askForHelp(shown[0]);
      shown[0]->hide();
    }
    EXPECT_EQ(window, row.InstanceName);
    ASSERT_EQ(opened_, std::vector<std::string>{row.HelpTopic});
    windowsOpened.insert(window);
    pagesOpened.insert(opened_[0]);
  }
  EXPECT_EQ(buttons, 18);
  EXPECT_EQ(windowsOpened.size(), 18u);
  EXPECT_EQ(pagesOpened.size(), 18u);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{});
}

// Each context belongs to one window, and every page the dispatcher can choose is in the sources
// and beside the program.
TEST(CatalogueRows, HelpContextsAreUniqueAndEveryPageExists) {
  std::set<int> contexts;
  std::set<std::string> topics{"introduction.htm", "expressionsgroups.htm"};
  for (const TWindowEntry& row : WindowCatalogue()) {
    if (row.HelpContext != 0) {
      EXPECT_TRUE(contexts.insert(row.HelpContext).second) << row.InstanceName;
    }
    if (row.HelpTopic) topics.insert(row.HelpTopic);
  }
  for (const std::string& topic : topics) {
    EXPECT_TRUE(fs::is_regular_file(fs::path(TOVIX_HELP_SOURCE_DIR) / topic)) << topic;
    EXPECT_TRUE(fs::is_regular_file(fs::path(TOVIX_HELP_BUILD_DIR) / topic)) << topic;
  }
  // A context no window has opens the introduction; the message and list-choice dialogs open
  // nothing; the expression dialog's caption must match exactly (see main_window_test).
  EXPECT_EQ(HelpTopicFor(0, ""), "introduction.htm");
  EXPECT_EQ(HelpTopicFor(99, ""), "introduction.htm");
  EXPECT_EQ(HelpTopicFor(13, ""), "");
  EXPECT_EQ(HelpTopicFor(34, ""), "");
  EXPECT_EQ(HelpTopicFor(28, "groups expressions"), "expressionsplanets.htm");
}

// F1 in a message box opens the page of the window the box belongs to, once per key press, in
// every kind of box the program shows (also when the key's release comes while the page opens,
// as a browser starting up lets it).
TEST_F(MainWindow, F1InAMessageBoxOpensOnePagePerKeyPress) {
  Main();
  QWidget* orders = windows_.Find("frmOrders");
  SetDesktopOpener([this](const QUrl& url) {
    opened_.push_back(url.fileName().toStdString());
    QCoreApplication::processEvents();
    return true;
  });
  TQtUserInterface ui(nullptr);
  std::vector<std::string> boxes;
  std::vector<size_t> openedAfterEachPress;
  test::ModalAnswerer answerer([&](QWidget* box) {
    boxes.push_back(box->windowTitle().toStdString());
    ASSERT_TRUE(test::ShowActive(*box));
    for (int press = 0; press < 2; ++press) {
      QCoreApplication::postEvent(box,
                                  new QKeyEvent(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier));
      QTest::keyClick(box->windowHandle(), Qt::Key_F1);
      openedAfterEachPress.push_back(opened_.size());
    }
    box->close();
  });
  const std::vector<std::function<void()>> shows{
      [&] { ui.ShowMessage("Text"); }, [&] { ui.ShowCaptionedMessage("Saved", "Text is Saved"); },
      [&] { ui.AskYesNo("Delete old orders?"); },
      [&] { ui.ShowMessages(std::vector<std::string>(40, "Error - Turn: 3")); }};
  for (const auto& show : shows) {
    ASSERT_TRUE(test::ShowActive(*orders));
    show();
  }
  EXPECT_EQ(boxes, (std::vector<std::string>{"Tovix", "Saved", "Confirm", "Tovix"}));
  EXPECT_EQ(openedAfterEachPress, (std::vector<size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(opened_, std::vector<std::string>(8, "orders.htm"));
}

// Until the orders window exists, inserted order lines reach the user through the clipboard.
TEST_F(MainWindow, InsertedOrdersReachTheOrdersWindowAndSaveStatusWritesThem) {
  IOrderService* orders = windows_.Services().Orders;
  ASSERT_NE(orders, nullptr);
  // Before the automatic orders are loaded, nothing overwrites their file.
  orders->SaveOrders((folder_ / "orders_0").string());
  EXPECT_FALSE(fs::exists(folder_ / "orders_0"));
  Main();
  orders->InsertRouteCommands("R Mars CAP Venus\r\nR Mars COL Venus");
  ExtraItem("mniSaveStatus")->trigger();
  const std::string saved = test::ReadFileBytes(folder_ / "orders_0");
  EXPECT_NE(saved.find("R Mars CAP Venus\r\nR Mars COL Venus\r\n"), std::string::npos);
}

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

// The window menu of the caption strip mirrors "Top Most" (on at first, so that the buttons stay
// above the windows they open); choosing it there switches the main window out of the
// stay-on-top band and back in.
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
  EXPECT_TRUE(main.TopMostItem()->isChecked());
  EXPECT_TRUE(main.TopMost()->AlwaysOnTop());
  EXPECT_TRUE(main.windowFlags() & Qt::WindowStaysOnTopHint);
  chooseTopMost();
  EXPECT_FALSE(main.TopMostItem()->isChecked());
  EXPECT_FALSE(main.windowFlags() & Qt::WindowStaysOnTopHint);
  // The choice is stored and comes back.
  main.SaveState();
  EXPECT_FALSE(store_.ReadBool("Tovix", "mniTopMost.Checked", true));
  main.TopMostItem()->setChecked(true);
  main.LoadState();
  EXPECT_FALSE(main.TopMostItem()->isChecked());
  // The orders window's "Stay on Top" turned off puts the main window on top again.
  QWidget* orders = windows_.Find("frmOrders");
  QAction* stayOnTop = nullptr;
  for (QAction* a : orders->findChildren<QAction*>())
    if (a->text() == "Stay on &Top") stayOnTop = a;
  ASSERT_NE(stayOnTop, nullptr);
  stayOnTop->setChecked(true);
  EXPECT_FALSE(main.TopMost()->AlwaysOnTop());
  stayOnTop->setChecked(false);
  EXPECT_TRUE(main.TopMostItem()->isChecked());
  EXPECT_TRUE(main.windowFlags() & Qt::WindowStaysOnTopHint);
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

// The calculator runs with three significant digits; OK finishes the pending operation, and the
// next run starts on that result (Cancel keeps it).
TEST_F(MainWindow, CalculatorKeepsItsResultForTheNextRun) {
  Main();
  std::vector<std::string> opened;
  const auto run = [&](std::initializer_list<TCalcButton> buttons) {
    test::ModalAnswerer answerer([&](QWidget* modal) {
      auto* calculator = qobject_cast<TfrmCalculate*>(modal);
      ASSERT_NE(calculator, nullptr);
      opened.push_back(calculator->Panel()->DisplayText().toStdString());
      for (TCalcButton b : buttons) calculator->Panel()->Button(b)->Click();
    });
    ExtraItem("mniCalculator")->trigger();
  };
  run({cbNum1, cbNum0, cbNum0, cbDivide, cbNum7, cbOk});
  run({cbNum1, cbNum2, cbNum3, cbNum4, cbCancel});
  run({cbAdd, cbNum1, cbOk});
  run({cbCancel});
  EXPECT_EQ(opened, (std::vector<std::string>{"0", "14.3", "14.3", "15.3"}));
}

// "Save Status" reports a store it could not write instead of losing the settings silently.
TEST_F(MainWindow, SaveStatusShowsAFailedStoreWrite) {
  Main();
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  ExtraItem("mniSaveStatus")->trigger();
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  // The orders file and the store both fail, and both are reported.
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_NE(ui_.messages[0].find("orders could not be saved"), std::string::npos);
  EXPECT_NE(ui_.messages[1].find("TovixStore3.ini"), std::string::npos) << ui_.messages[1];
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
  windows_.Find("frmSelectExpressions")
      ->setWindowTitle(QString::fromStdString(row.expressionCaption));
  const bool handled = Main().DispatchHelp(row.context);
  EXPECT_EQ(handled, row.handled);
  EXPECT_EQ(opened_,
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

// The whole program run in-process (offscreen): runTovix reads a game from a TOVIX_HOME of its
// own, a timer drives the running program from inside its event loop and then closes the main
// window, and the files are checked afterwards. Every modal window the program opens is answered
// at once and recorded, so no test waits for a user.

#include "app/startup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controls/zn_list_view.h"
#include "core/settings/ini_file.h"
#include "editors/rich_edit.h"
#include "editors/text_codec.h"
#include "mail/mail_message.h"
#include "mail/mail_test_support.h"
#include "orders/order_skeleton.h"
#include "platform/help.h"
#include "platform/platform_test_helpers.h"
#include "platform/shell.h"
#include "support/recording_services.h"
#include "support/show_window.h"
#include "support/test_paths.h"
#include "views/notes_files.h"
#include "windows/base/wait_window.h"
#include "windows/frame/config_dialog.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_registry.h"
#include "windows/orders/orders_window.h"
#include "windows/texts/notes_editor_window.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::RowName;

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A folder name is written into a report pattern with "%" doubled.
std::string PatternFolder(const fs::path& folder) {
  std::string out;
  for (char c : folder.string()) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// A game section for reports named like "A000.txt" in `reports`.
std::string GameSection(int section, const fs::path& reports, const std::string& letters) {
  return "[" + std::to_string(section) + "]\nName=Meridian\nspelD=" + PatternFolder(reports) +
         "/%1s%0.03d.txt\nspelC=" + letters + "\nGameType=Galaxy NG\nMapType=Normal\nMapSize=120\n";
}

// The windows' object names, separated by blanks.
std::string Names(const std::vector<QWidget*>& windows) {
  std::string names;
  for (const QWidget* w : windows)
    names += (names.empty() ? "" : " ") + w->objectName().toStdString();
  return names;
}

// What the program showed in modal windows during one run.
struct RunRecord {
  TStartupOutcome Outcome = TStartupOutcome::Failed;
  std::vector<std::string> Messages;  // texts of message boxes, in order
  int ConfigurationDialogs = 0;
  bool ConfigurationInStartupMode = false;
};

class Startup : public testing::Test {
 protected:
  Startup() : home_(), env_("TOVIX_HOME", home_.path().string()) {}

  fs::path Home() const { return home_.path(); }
  fs::path StorePath() const { return home_ / "TovixStore3.ini"; }

  // Copies the sample game's reports of `letters` to <home>/reports.
  fs::path CopySampleReports(const std::string& letters) {
    const fs::path to = home_ / "reports";
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(test::SamplesDir() / "demo")) {
      const std::string name = entry.path().filename().string();
      if (entry.path().extension() == ".txt" && letters.find(name[0]) != std::string::npos)
        fs::copy_file(entry.path(), to / name);
    }
    return to;
  }
  // Tovix.ini for the sample game as game 0, read with `letters` (the own letter first).
  void WriteSampleGame(const std::string& letters = "A") {
    WriteFile(home_ / "Tovix.ini",
              "[RUN]\ngame=0\n\n" + GameSection(0, CopySampleReports(letters), letters));
  }

  // Runs the program; `whileRunning` gets the windows once the main window is up, after which
  // the main window is closed (unless the test closed it).
  RunRecord Run(const std::function<void(TWindowRegistry&)>& whileRunning = {},
                std::vector<std::string> args = {}) {
    orders_ = {};
    notes_ = {};
    RunRecord record;
    test::ModalAnswerer answerer([this, &record](QWidget* modal) {
      if (answerModal_ && answerModal_(modal)) return;
      if (auto* config = qobject_cast<TfrmConfigIni*>(modal)) {
        ++record.ConfigurationDialogs;
        record.ConfigurationInStartupMode = config->StartupFlag();
        config->close();
        return;
      }
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        record.Messages.push_back(box->text().toStdString());
        box->done(0);
        return;
      }
      if (auto* text = modal->findChild<QPlainTextEdit*>())
        record.Messages.push_back(text->toPlainText().toStdString());
      if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
      else
        modal->close();
    });
    // A run that never ends would hang the test program.
    test::LoopGuard watchdog(1000000, [] {
      ADD_FAILURE() << "the program did not end";
      QCoreApplication::quit();
    });

    TStartupParams params;
    params.Args = std::move(args);
    if (recordingServices_) {
      params.Services.Orders = &orders_;
      params.Services.Notes = &notes_;
    }
    params.OnRunning = [&whileRunning](TWindowRegistry& windows) {
      QTimer::singleShot(0, windows.Main(), [&whileRunning, &windows] {
        if (whileRunning) whileRunning(windows);
        if (windows.Main()->isVisible()) windows.Main()->close();
      });
    };
    record.Outcome = runTovix(*qApp, std::move(params));
    return record;
  }

  test::TempDir home_;
  test::ScopedEnv env_;
  test::RecordingOrders orders_;
  test::RecordingNotes notes_;
  // Off: the orders window and the notes editor provide their services themselves.
  bool recordingServices_ = true;
  // Answers a modal window first when it returns true.
  std::function<bool(QWidget*)> answerModal_;
};

// ---- The run as a whole ------------------------------------------------------------------

TEST_F(Startup, HappyPathShowsTheGameAndSavesEveryWindowAtTheEnd) {
  WriteSampleGame("ABC");
  // The map keeps its flag per game: "Map_0" counts, "Map" does not.
  WriteFile(StorePath(),
            "[Players]\nShowOnStartup=1\n[Routes]\nShowOnStartup=1\n[Map]\nShowOnStartup=0\n"
            "[Map_0]\nShowOnStartup=1\n[Orders]\nShowOnStartup=1\n[Battles]\nShowOnStartup=0\n");
  std::string created;
  std::set<std::string> visible;
  std::vector<std::string> stateNames;
  std::string mainTitle, waitTitle;
  bool waitVisible = true, configStartupMode = true, filtersProvided = false;
  const RunRecord run = Run([&](TWindowRegistry& w) {
    created = Names(w.Windows());
    for (QWidget* window : w.Windows())
      if (window->isVisible()) visible.insert(window->objectName().toStdString());
    for (QWidget* window : w.Windows())
      if (auto* tool = qobject_cast<TToolWindow*>(window))
        stateNames.push_back(tool->StateSectionName());
    filtersProvided =
        w.Services().ExpressionFilter != nullptr && w.Services().GroupFilter != nullptr;
    mainTitle = w.Main()->windowTitle().toStdString();
    waitTitle = w.Wait()->windowTitle().toStdString();
    waitVisible = w.Wait()->isVisible();
    configStartupMode = w.ConfigIni()->StartupFlag();
  });

  EXPECT_EQ(run.Outcome, TStartupOutcome::Ran);
  EXPECT_EQ(run.Messages, std::vector<std::string>{});
  EXPECT_EQ(mainTitle, "Tovix Meridian - 11 Corvids");
  EXPECT_EQ(waitTitle, "Tovix Meridian - 11 Corvids");
  EXPECT_FALSE(waitVisible);
  EXPECT_FALSE(configStartupMode);
  EXPECT_TRUE(filtersProvided) << "the two filters are entered as services";
  EXPECT_EQ(orders_.automaticLoaded, 1);
  // 29 windows before the reading, 4 after it, in this order.
  EXPECT_EQ(created,
            "frmMain frmPlayers frmPlanets frmWait frmBattles frmShipDesign frmStdShip frmGraph "
            "frmBattleSimulator frmOrders frmIncomingGroups frmNewMap frmPlanetSelect "
            "frmTurnReports AboutBox frmBombings frmConfigIni frmSetupOrders frmGroups "
            "frmSelectExpressions frmPlanetslist frmCalculations frmAutoCargoSettings "
            "frmCreateMessage frmRoutes frmOverView frmChangePlayerColors frmEditor frmCalculate "
            "frmSetExtraInfo frmGroupFilter frmExpressionFilters frmChangeColors");
  EXPECT_EQ(visible, (std::set<std::string>{"frmMain", "frmPlayers", "frmRoutes", "frmNewMap",
                                            "frmOrders"}));

  // The end of the run saved every window: the main window's placement under "Tovix", each tool
  // window whether it was shown, and the placement of those shown; a window not shown keeps what
  // was stored before (here nothing), so that its first opening is placed by the rules.
  TIniFile store(StorePath().string());
  EXPECT_EQ(store.ReadSection("Tovix_State"),
            (std::vector<std::string>{"ShowCmd", "flags", "NormalLeft", "NormalTop", "NormalRight",
                                      "NormalBottom"}));
  // Every tool window; the colour dialogs, the message dialog, the overview, the order skeleton,
  // the modal "Set Extra Info" dialog, the named expressions and the calculations keep no state.
  // The expression filters keep their expression type; the group filter its placement, once
  // shown.
  EXPECT_EQ(store.ReadString("ExpressionFilters", "RadioGroup1", ""), "0");
  EXPECT_TRUE(store.ReadSection("Group Filter_State").empty());
  ASSERT_EQ(stateNames.size(), 20u);
  for (const std::string& name : stateNames) {
    const std::string flagSection = name == "Map" ? "Map_0" : name;
    const bool shown = name == "Players" || name == "Routes" || name == "Map" || name == "Orders";
    EXPECT_EQ(store.ReadInteger(name + "_State", "NormalRight", -1) != -1, shown) << name;
    EXPECT_EQ(store.ReadString(flagSection, "ShowOnStartup", "missing"), shown ? "1" : "0") << name;
  }
  EXPECT_EQ(store.ReadString("Map", "ShowOnStartup", ""), "0");
  EXPECT_TRUE(fs::exists(Home() / "ExtrInf.ini"));
}

struct FallbackRow {
  std::string name;
  std::string ini;  // Tovix.ini; "" for none
  bool storeExists;
};

class StartupFallback : public Startup, public testing::WithParamInterface<FallbackRow> {};

// No game to read: the configuration dialog runs in its start-up mode and nothing of the run is
// saved, so TovixStore3.ini is left exactly as it was (or not made at all).
TEST_P(StartupFallback, EndsInTheConfigurationDialogAndLeavesTheStore) {
  const FallbackRow& row = GetParam();
  const std::string storeText = "[Players_State]\nNormalLeft=10\n[Players]\nShowOnStartup=1\n";
  if (row.storeExists) WriteFile(StorePath(), storeText);
  if (!row.ini.empty()) {
    const fs::path reports = CopySampleReports("A");
    std::string ini = row.ini;
    const std::string marker = "<reports>";
    if (const size_t at = ini.find(marker); at != std::string::npos)
      ini.replace(at, marker.size(), PatternFolder(reports));
    WriteFile(Home() / "Tovix.ini", ini);
  }
  bool mainShown = false;
  const RunRecord run = Run([&](TWindowRegistry&) { mainShown = true; });

  EXPECT_EQ(run.Outcome, TStartupOutcome::Configured);
  EXPECT_FALSE(mainShown);
  EXPECT_EQ(run.ConfigurationDialogs, 1);
  EXPECT_TRUE(run.ConfigurationInStartupMode);
  if (row.storeExists)
    EXPECT_EQ(ReadFileBytes(StorePath()), storeText);
  else
    EXPECT_FALSE(fs::exists(StorePath()));
  EXPECT_FALSE(fs::exists(Home() / "ExtrInf.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartupFallback,
    testing::Values(
        FallbackRow{"FirstRunWithoutIniOrStore", "", false},
        FallbackRow{"FirstRunWithoutIniKeepsStore", "", true},
        FallbackRow{"NoGameChosen", "[1]\nspelD=<reports>/%1s%0.03d.txt\nspelC=A\n", true},
        FallbackRow{"NoReportsThere",
                    "[RUN]\ngame=0\n[0]\nspelD=<reports>/x%1s%0.03d.txt\nspelC=A\n", true}),
    RowName<FallbackRow>);

struct GameChoiceRow {
  std::string name;
  std::vector<std::string> args;
  std::string title;
};

class StartupGameChoice : public Startup, public testing::WithParamInterface<GameChoiceRow> {};

// The default game is 2; a number as the first argument chooses another one.
TEST_P(StartupGameChoice, FirstArgumentThatIsANumberChoosesTheGame) {
  const fs::path reports = CopySampleReports("AB");
  WriteFile(Home() / "Tovix.ini",
            "[RUN]\ngame=2\n\n" + GameSection(2, reports, "A") + GameSection(3, reports, "B"));
  std::string title;
  const RunRecord run = Run(
      [&](TWindowRegistry& w) { title = w.Main()->windowTitle().toStdString(); }, GetParam().args);
  EXPECT_EQ(run.Outcome, TStartupOutcome::Ran);
  EXPECT_EQ(title, GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartupGameChoice,
    testing::Values(GameChoiceRow{"NumberBeatsTheDefault", {"3"}, "Tovix Meridian - 11 Lyrans"},
                    GameChoiceRow{"TextKeepsTheDefault", {"x"}, "Tovix Meridian - 11 Corvids"}),
    RowName<GameChoiceRow>);

TEST_F(Startup, OrionOpensOnItsLastTurn) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  // A copy: reading may repair a report in place.
  const fs::path reports = Home() / "orion";
  fs::create_directories(reports);
  for (const auto& entry : fs::directory_iterator(orion))
    if (entry.is_regular_file() && entry.path().filename().string()[0] == 'A')
      fs::copy_file(entry.path(), reports / entry.path().filename());
  WriteFile(Home() / "Tovix.ini", "[RUN]\ngame=0\n[0]\nName=Orion\nspelD=" +
                                      PatternFolder(reports) + "/%1s%0.03d.txt\nspelC=A\n");
  std::string title;
  bool mainShown = false;
  const RunRecord run = Run([&](TWindowRegistry& w) {
    title = w.Main()->windowTitle().toStdString();
    mainShown = w.Main()->isVisible();
  });
  EXPECT_EQ(run.Outcome, TStartupOutcome::Ran);
  EXPECT_TRUE(mainShown);
  EXPECT_EQ(title, "Tovix Orion - 25 Arcturans");
}

// ---- The main window at work -------------------------------------------------------------

enum class Start { Hidden, Shown, Minimized, HiddenMinimized };

struct PressRow {
  std::string name;
  Start start;
  Qt::MouseButton button;
  bool visible;
  bool minimized;
};

class StartupToolbar : public Startup, public testing::WithParamInterface<PressRow> {};

TEST_P(StartupToolbar, PressOnAButtonActsOnItsWindow) {
  const PressRow& row = GetParam();
  WriteSampleGame();
  bool visible = false, minimized = false;
  Run([&](TWindowRegistry& w) {
    QWidget& routes = *w.Find("frmRoutes");
    routes.hide();
    routes.setWindowState(Qt::WindowNoState);
    if (row.start == Start::Shown || row.start == Start::Minimized) routes.show();
    if (row.start == Start::Minimized || row.start == Start::HiddenMinimized)
      routes.setWindowState(Qt::WindowMinimized);
    QTest::mouseClick(w.Main()->Button("btnRoutes"), row.button);
    visible = routes.isVisible();
    minimized = routes.isMinimized();
  });
  EXPECT_EQ(visible, row.visible);
  EXPECT_EQ(minimized, row.minimized);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartupToolbar,
    testing::Values(PressRow{"HiddenRightShows", Start::Hidden, Qt::RightButton, true, false},
                    PressRow{"ShownRightMinimizes", Start::Shown, Qt::RightButton, true, true},
                    PressRow{"ShownMiddleKeepsItUp", Start::Shown, Qt::MiddleButton, true, false},
                    PressRow{"MinimizedRightRestores", Start::Minimized, Qt::RightButton, true,
                             false},
                    // Nothing stored for the window: the store left it minimised and hidden.
                    PressRow{"NeverPlacedLeftShowsNormal", Start::HiddenMinimized, Qt::LeftButton,
                             true, false}),
    RowName<PressRow>);

TEST_F(Startup, F6AnalysesTheOrdersWhileTheOrdersWindowIsHidden) {
  WriteSampleGame();
  bool ordersShown = true;
  Run([&](TWindowRegistry& w) {
    QWidget* orders = w.Find("frmOrders");
    orders->hide();
    w.Main()->activateWindow();
    ASSERT_TRUE(test::ShowActive(*w.Main()));
    QTest::keyClick(w.Main()->Button("btnPlayers"), Qt::Key_F6);
    ordersShown = orders->isVisible();
  });
  EXPECT_EQ(orders_.analysed, 1);
  EXPECT_FALSE(ordersShown);
}

// "Save Status" has the orders and notes saved and replaces the store by a new file (a hard link
// to the old one keeps the old text).
TEST_F(Startup, SaveStatusWritesTheStoreAtomicallyAndNoOrdersFile) {
  WriteSampleGame();
  const std::string before = "[Players]\nShowOnStartup=0\n";
  WriteFile(StorePath(), before);
  ASSERT_EQ(::link(StorePath().c_str(), (Home() / "old-store").c_str()), 0);
  std::string savedWhileRunning;
  std::set<std::string> filesAfterSave;
  Run([&](TWindowRegistry& w) {
    w.Find("frmPlayers")->show();
    w.Main()->ExtraMenu()->findChild<QAction*>("mniSaveStatus")->trigger();
    savedWhileRunning = ReadFileBytes(StorePath());
    for (const auto& entry : fs::directory_iterator(Home()))
      filesAfterSave.insert(entry.path().filename().string());
  });
  EXPECT_NE(savedWhileRunning.find("[Tovix_State]"), std::string::npos);
  EXPECT_NE(savedWhileRunning.find("[Players]\nShowOnStartup=1"), std::string::npos)
      << savedWhileRunning;
  EXPECT_EQ(ReadFileBytes(Home() / "old-store"), before);
  EXPECT_EQ(orders_.saved, std::vector<std::string>{(Home() / "orders_0").string()});
  EXPECT_EQ(notes_.saved, 1);
  EXPECT_EQ(filesAfterSave,
            (std::set<std::string>{"Tovix.ini", "TovixStore3.ini", "old-store", "reports"}));
}

struct HelpRow {
  std::string name;
  bool pagesThere;
  bool inRoutesWindow;  // else in the main window
  std::string opened;   // the page handed to the browser, "" for none
  std::vector<std::string> messages;
};

class StartupHelp : public Startup, public testing::WithParamInterface<HelpRow> {};

TEST_P(StartupHelp, F1OpensThePageOfTheActiveWindow) {
  const HelpRow& row = GetParam();
  WriteSampleGame();
  if (row.pagesThere) {
    fs::create_directories(Home() / kHelpFolderName);
    for (const char* page : {"toolbar.htm", "routes.htm"})
      WriteFile(Home() / kHelpFolderName / page, "<html></html>");
  }
  std::vector<std::string> opened;
  const TDesktopOpener old = SetDesktopOpener([&opened](const QUrl& url) {
    opened.push_back(url.fileName().toStdString());
    return true;
  });
  const RunRecord run = Run([&](TWindowRegistry& w) {
    QWidget* window = row.inRoutesWindow ? w.Find("frmRoutes") : w.Main();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(test::ShowActive(*window));
    QTest::keyClick(window, Qt::Key_F1);
  });
  SetDesktopOpener(old);
  EXPECT_EQ(opened,
            row.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.opened});
  EXPECT_EQ(run.Messages, row.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartupHelp,
    testing::Values(HelpRow{"MainWindowPage", true, false, "toolbar.htm", {}},
                    HelpRow{"ToolWindowPage", true, true, "routes.htm", {}},
                    HelpRow{"MissingPage", false, false, "", {"Tovix help file not found!"}}),
    RowName<HelpRow>);

// A failed save of the extra planet information is shown, and the rest of the shut-down still
// happens.
TEST_F(Startup, ClosingShowsAFailedExtraInfoSaveAndStillSavesTheStore) {
  WriteSampleGame();
  fs::create_directories(Home() / "ExtrInf.ini");  // a folder where the file should go
  const RunRecord run = Run();
  EXPECT_EQ(run.Outcome, TStartupOutcome::Ran);
  // The reading could not use it either: one message at the end of the load, one at closing.
  ASSERT_EQ(run.Messages.size(), 2u);
  EXPECT_NE(run.Messages[1].find("ExtrInf.ini"), std::string::npos) << run.Messages[1];
  EXPECT_NE(ReadFileBytes(StorePath()).find("[Tovix_State]"), std::string::npos);
}

// A logout ends the program with SIGTERM: it closes as its main window's close does, so the
// orders typed since the last analysis, the notes and the window settings are all written.
TEST_F(Startup, SigtermClosesTheProgramAsItsMainWindowDoes) {
  WriteSampleGame();
  recordingServices_ = false;
  bool closedBySignal = false;
  std::string gameName;
  Run([&](TWindowRegistry& w) {
    auto* orders = w.Get<TfrmOrders>("frmOrders");
    ASSERT_NE(orders, nullptr);
    IOrderLines& lines = orders->OrderLines();
    lines.Insert(lines.Count(), "; analysed before the signal");
    orders->AnalyseOrders();
    lines.Insert(lines.Count(), "; typed before the signal");
    auto* notes = w.Get<TfrmEditor>("frmEditor");
    ASSERT_NE(notes, nullptr);
    ASSERT_TRUE(test::ShowExposed(*notes));
    notes->Editor()->insertPlainText("Remember the fleet");
    gameName = w.Context().State.GameName;
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    // The signal arrives through the event loop.
    for (int i = 0; i < 1000 && w.Main()->isVisible(); ++i)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    closedBySignal = !w.Main()->isVisible();
  });
  EXPECT_TRUE(closedBySignal);
  const std::string orders = ReadFileBytes(Home() / "orders_0");
  EXPECT_NE(orders.find("; analysed before the signal\r\n"), std::string::npos) << orders;
  EXPECT_NE(orders.find("; typed before the signal\r\n"), std::string::npos) << orders;
  EXPECT_NE(ReadFileBytes(StorePath()).find("[Tovix_State]"), std::string::npos);
  EXPECT_NE(ReadFileBytes(NotesFileName(Home(), 0, gameName)).find("Remember the fleet"),
            std::string::npos);

  // The program's handlers are gone with it: the default action is back.
  struct sigaction now {};
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

struct EndRow {
  std::string name;
  int signal;  // 0: the main window is closed
};

class StartupEnd : public Startup, public testing::WithParamInterface<EndRow> {};

// However the program ends while the orders window is active with the focus in one of its
// lists, it ends cleanly (the window's focus handler is gone before its parts are: the
// AddressSanitizer build finds any use after they went) and the orders typed are saved.
TEST_P(StartupEnd, EndsCleanlyWithTheOrdersWindowActive) {
  WriteSampleGame();
  recordingServices_ = false;
  bool ended = false;
  Run([&](TWindowRegistry& w) {
    auto* orders = w.Get<TfrmOrders>("frmOrders");
    ASSERT_NE(orders, nullptr);
    orders->show();
    orders->activateWindow();
    ASSERT_TRUE(test::ShowActive(*orders));
    orders->List("lvToDevelop")->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(orders->List("lvToDevelop")));
    orders->OrderLines().Insert(orders->OrderLines().Count(), "; typed before the end");
    if (GetParam().signal == 0) {
      w.Main()->close();
    } else {
      ASSERT_EQ(::kill(::getpid(), GetParam().signal), 0);
      for (int i = 0; i < 1000 && w.Main()->isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ended = !w.Main()->isVisible();
  });
  EXPECT_TRUE(ended);
  EXPECT_NE(ReadFileBytes(Home() / "orders_0").find("; typed before the end\r\n"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartupEnd,
                         testing::Values(EndRow{"Close", 0}, EndRow{"Sigterm", SIGTERM},
                                         EndRow{"Sighup", SIGHUP}),
                         RowName<EndRow>);

// A logout while a mail program hangs over the orders: the order text and the settings are
// saved at once, the send is cancelled (the program killed, nothing said about it), and the
// program ends at once instead of after the mail program's limit.
TEST_F(Startup, SigtermDuringASendSavesCancelsTheSendAndEnds) {
  WriteSampleGame();
  recordingServices_ = false;
  const fs::path program = test::WriteHangingSendmail(Home());
  WriteFile(StorePath(), "[Mail]\nMethod=sendmail\nProgram=" + program.string() +
                             "\n[game_0]\nGalaxyServerAdress=galaxy@meridian.example\n");
  bool progressShown = false;
  answerModal_ = [&](QWidget* modal) {
    if (modal->objectName() != "frmMailProgress") return false;
    progressShown = true;
    // The mail program has the orders and hangs.
    EXPECT_TRUE(test::WaitForFile(Home() / "pid"));
    EXPECT_EQ(::kill(::getpid(), SIGTERM), 0);
    return true;
  };
  bool sent = true, ended = false;
  const RunRecord run = Run([&](TWindowRegistry& w) {
    auto* orders = w.Get<TfrmOrders>("frmOrders");
    ASSERT_NE(orders, nullptr);
    // Orders the server takes, so that the mail goes without a question.
    orders->OrderLines().Insert(0, DefaultOrderHeader(w.Context().State).Line);
    orders->OrderLines().Insert(orders->OrderLines().Count(), "; typed before the mail");
    sent = orders->MailOrders();
    ended = !w.Main()->isVisible();
  });
  EXPECT_EQ(run.Outcome, TStartupOutcome::Ran);
  EXPECT_TRUE(progressShown);
  EXPECT_FALSE(sent);
  EXPECT_TRUE(ended);
  EXPECT_EQ(run.Messages, std::vector<std::string>{});
  EXPECT_NE(ReadFileBytes(Home() / "orders_0").find("; typed before the mail\r\n"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(StorePath()).find("[Tovix_State]"), std::string::npos);
  const pid_t pid = std::stoi(ReadFileBytes(Home() / "pid"));
  EXPECT_EQ(::kill(pid, 0), -1) << "the mail program still runs";
}

// What a write interrupted by a crash left in the outbox goes at the next start, as it does in
// the program folder; the messages stay. The outbox may be the program folder's or one the mail
// settings name.
TEST_F(Startup, StaleTemporaryFilesOfTheOutboxGoAtStart) {
  WriteSampleGame();
  for (const bool own : {false, true}) {
    SCOPED_TRACE(own ? "outbox of the settings" : "outbox of the program folder");
    const fs::path outbox = own ? Home() / "mail out" : Home() / "outbox";
    fs::create_directories(outbox);
    WriteFile(outbox / "tovix-20250701-123456.eml", "Subject: x\r\n\r\n");
    WriteFile(outbox / ".tovix-20250701-123457.eml.tmpa1b2c3d4", "Subject: x\r\n");
    if (own) WriteFile(StorePath(), "[Mail]\nOutbox=" + outbox.string() + "\n");
    Run();
    EXPECT_EQ(test::FilesIn(outbox), std::vector<fs::path>{outbox / "tovix-20250701-123456.eml"});
  }
}

// The permission bits with the set-group and sticky ones, for octal comparisons.
unsigned Mode(const fs::path& path) {
  return static_cast<unsigned>(fs::symlink_status(path).permissions() & fs::perms::mask);
}

// At start the program narrows what is its own and holds the race's password: the outbox of the
// program folder, the stored password and the order mails it placed in an outbox. The program
// folder given by TOVIX_HOME (a group-shared 2775 one here) and an outbox typed in the mail
// settings are the user's: they keep their modes, as does every file there the program did not
// write (a team mate's orders, a mail of another kind, what a link leads to), and the user is
// told once that others may look into them.
TEST_F(Startup, OnlyWhatTheProgramWroteIsNarrowedAtStartAndAnOpenFolderIsNamedOnce) {
  WriteSampleGame();
  const mode_t oldMask = ::umask(022);
  const std::string draft = ComposeMessage(
      {"me@example.org", {"galaxy@example.org"}, "Orders", "#galaxy Meridian Humans pw\n#END\n"},
      MailStampNow("me@example.org"), true);
  for (const bool typed : {false, true}) {
    SCOPED_TRACE(typed ? "outbox of the settings" : "outbox of the program folder");
    const fs::path outbox = typed ? Home() / "mail out" : Home() / "outbox";
    const fs::path orders = outbox / "tovix-20250701-123456.eml";
    const fs::path other = outbox / "hello.eml";
    const fs::path teamMate = Home() / "reports" / "orders B.txt";
    const fs::path outside = Home() / "reports" / "orders.eml";
    const fs::path linked = outbox / "tovix-20250701-123457.eml";
    const fs::path password = Home() / "TovixMailPassword";
    fs::create_directories(outbox);
    WriteFile(orders, draft);
    WriteFile(other, "Subject: Hello\r\n\r\n#GALAXY Meridian Humans pw\r\n");
    WriteFile(teamMate, "#GALAXY Meridian Betelgeusians pw\r\n");
    WriteFile(outside, draft);
    WriteFile(password, "secret");
    fs::create_symlink(outside, linked);
    for (const fs::path& path : {orders, other, outside, password})
      ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(teamMate.c_str(), 0664), 0);
    ASSERT_EQ(::chmod(Home().c_str(), 02775), 0);
    ASSERT_EQ(::chmod(outbox.c_str(), 0755), 0);
    WriteFile(StorePath(), typed ? "[Mail]\nOutbox=" + outbox.string() + "\n" : "");

    const std::vector<std::string> told = Run().Messages;
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("Other users may look into the folder \"" + Home().string() + "\""),
              std::string::npos)
        << told[0];
    EXPECT_EQ(told[0].find("\"" + outbox.string() + "\"") != std::string::npos, typed) << told[0];
    EXPECT_EQ(Mode(Home()), 02775u);
    EXPECT_EQ(Mode(outbox), typed ? 0755u : 0700u);
    EXPECT_EQ(Mode(orders), 0600u);
    EXPECT_EQ(Mode(password), 0600u);
    EXPECT_EQ(Mode(other), 0644u);
    EXPECT_EQ(Mode(teamMate), 0664u);
    EXPECT_EQ(Mode(outside), 0644u);
    EXPECT_TRUE(fs::is_symlink(linked));
    // Said once.
    EXPECT_EQ(Run().Messages, std::vector<std::string>{});
    fs::remove(linked);
    fs::remove(password);
  }
  ::umask(oldMask);
}

}  // namespace
}  // namespace tovix

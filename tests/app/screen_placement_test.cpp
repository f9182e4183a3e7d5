// The program as a new player meets it: a fresh settings folder on a 1920 x 1080 screen (the
// offscreen platform given a screen of that size), every window of the main window's buttons
// opened in turn. Every frame must lie on the screen, clear of the main window's buttons, and
// Planet Info must show a planet's figures whole.

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/platform_test_helpers.h"
#include "support/test_paths.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/planets/planets_window.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

const QRect kScreen(0, 0, 1920, 1080);

std::string Text(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

// Waits, with a generous watchdog, until `done` holds.
bool WaitFor(const std::function<bool()>& done) {
  for (int round = 0; round < 100000 && !done(); ++round)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

TEST(ScreenPlacement, EveryToolbarWindowOpensWholeOnTheScreenOfAFreshSettingsFolder) {
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), kScreen) << "the screen of the test";
  test::TempDir home;
  test::ScopedEnv env("TOVIX_HOME", home.path().string());
  const fs::path reports = home / "reports";
  fs::create_directories(reports);
  for (const auto& entry : fs::directory_iterator(test::SamplesDir() / "demo"))
    if (entry.path().extension() == ".txt")
      fs::copy_file(entry.path(), reports / entry.path().filename());
  std::ofstream(home / "Tovix.ini")
      << "[RUN]\ngame=0\n\n[0]\nName=Meridian\nspelD=" << reports.string()
      << "/%1s%0.03d.txt\nspelC=A\nGameType=Galaxy NG\n";

  std::vector<std::string> modals;  // the modal windows' frames, checked as they open
  test::ModalAnswerer answerer([&modals](QWidget* modal) {
    const QRect frame = modal->frameGeometry();
    if (!kScreen.contains(frame))
      ADD_FAILURE() << modal->objectName().toStdString() << " off the screen: " << Text(frame);
    modals.push_back(modal->objectName().toStdString());
    modal->close();
  });

  int opened = 0;
  TStartupParams params;
  params.OnRunning = [&](TWindowRegistry& windows) {
    QTimer::singleShot(0, windows.Main(), [&] {
      TfrmMain& main = *windows.Main();
      ASSERT_TRUE(WaitFor([&] { return main.isVisible(); }));
      std::vector<QWidget*> tools;
      for (const TWindowEntry& row : WindowCatalogue()) {
        if (row.ButtonPlace == 0) continue;
        main.Button(row.ButtonName)->click();
        QWidget* window = windows.Find(row.InstanceName);
        if (row.Action == TButtonAction::Modal) continue;
        ++opened;
        EXPECT_TRUE(WaitFor([&] { return window->isVisible() && !window->isMinimized(); }))
            << row.InstanceName;
        tools.push_back(window);
      }
      QCoreApplication::processEvents();  // the checks that follow the first shows
      const QRect mainFrame = main.frameGeometry();
      EXPECT_TRUE(kScreen.contains(mainFrame)) << "main window: " << Text(mainFrame);
      for (QWidget* w : tools) {
        const QRect frame = w->frameGeometry();
        const std::string name = w->objectName().toStdString();
        EXPECT_TRUE(kScreen.contains(frame)) << name << " off the screen: " << Text(frame);
        EXPECT_FALSE(frame.intersects(mainFrame)) << name << " covers the main window's buttons";
      }

      // The map fills the room below the main window, a square on the whole galaxy.
      const QWidget* map = windows.Find("frmNewMap");
      EXPECT_GE(map->height(), 800) << "the map's first size";
      EXPECT_LE(map->frameGeometry().bottom(), kScreen.bottom());

      // Planet Info on the user's largest planet: its figures whole in the middle pane.
      auto* info = windows.Get<TfrmPlanets>("frmPlanets");
      const GameState& state = windows.Context().State;
      TPlanet* largest = nullptr;
      for (int i = 0; i < state.Planets.Count(); ++i) {
        TPlanet* p = state.Planets.Object(i);
        if (p->Owner.Player() == state.MainPlayer && (!largest || p->Size > largest->Size))
          largest = p;
      }
      ASSERT_NE(largest, nullptr);
      info->ShowPlanet(largest, false);
      QCoreApplication::processEvents();
      const QListWidget* figures = info->InfoList();
      EXPECT_GE(info->findChild<QSplitter*>()->sizes().value(1), 200);
      EXPECT_GE(figures->count(), 10);
      EXPECT_EQ(figures->horizontalScrollBar()->maximum(), 0) << "figures cut off";
      main.close();
    });
  };
  EXPECT_EQ(runTovix(*qApp, std::move(params)), TStartupOutcome::Ran);
  EXPECT_EQ(opened, 16);
  EXPECT_EQ(modals, (std::vector<std::string>{"AboutBox", "frmOverView"}));
}

}  // namespace
}  // namespace tovix

// A screen of 1920 x 1080 for the offscreen platform, whatever the caller's QT_QPA_PLATFORM;
// TOVIX_SCREEN_TEST_PLATFORM=xcb runs it on the caller's X server instead (by hand: an Xvfb of
// 1920 x 1080 with a window manager).
int main(int argc, char** argv) {
  if (const char* own = std::getenv("TOVIX_SCREEN_TEST_PLATFORM"); own && *own) {
    setenv("QT_QPA_PLATFORM", own, 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
  }
  const std::filesystem::path config =
      std::filesystem::temp_directory_path() /
      ("tovix-screen-" + std::to_string(static_cast<long>(getpid())) + ".json");
  std::ofstream(config) << R"({"screens": [{"name": "Screen", "x": 0, "y": 0, "width": 1920, )"
                        << R"("height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
  const std::string platform = "offscreen:configfile=" + config.string();
  setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  std::filesystem::remove(config);
  return result;
}

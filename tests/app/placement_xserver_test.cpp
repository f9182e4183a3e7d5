// Window placement over three runs of the whole program on one settings folder, under an X server
// with a window manager (Xvfb and openbox, scripts/with-xserver.sh), the bundled sample game:
// 1. a fresh settings folder, closed at once with Alt+F4;
// 2. every window of the main window's buttons opens with its whole frame on the screen and its
//    title bar clear of the main window (which stays on top); some are moved: one dragged by its
//    title bar, two against the screen's edges, where a frame guessed larger than the window
//    manager's moved them inward;
// 3. every window, and the main window, comes back where it was, to the pixel, but one stored
//    with its title bar under the main window, which comes out just below it; the destination
//    picker stacks above the main window and Escape closes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/startup.h"
#include "controls/zn_list_view.h"
#include "core/settings/save_state.h"
#include "platform/platform_test_helpers.h"
#include "support/test_paths.h"
#include "support/xserver_keys.h"
#include "windows/base/services.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/planets/advanced_send_dialog.h"
#include "windows/planets/planet_select_window.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

std::string Text(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

// The window's frame as the window manager tells it (_NET_FRAME_EXTENTS around the client); a
// null rectangle while it tells none. Read from the server itself: Qt may miss frame extents the
// window manager sets early.
QRect FrameOf(const QWidget& w) {
  QProcess xprop;
  xprop.start("xprop", {"-id", QString::number(w.winId()), "_NET_FRAME_EXTENTS"});
  if (!xprop.waitForFinished(20000)) return {};
  const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
  const int at = out.indexOf('=');
  const QStringList parts = at < 0 ? QStringList() : out.mid(at + 1).split(',');
  if (parts.size() != 4) return {};
  const int left = parts[0].trimmed().toInt(), right = parts[1].trimmed().toInt();
  const int top = parts[2].trimmed().toInt(), bottom = parts[3].trimmed().toInt();
  return w.geometry().adjusted(-left, -top, right, bottom);
}

// Shown, exposed and framed by the window manager.
bool Framed(const QWidget& w) {
  return w.isVisible() && w.windowHandle() && w.windowHandle()->isExposed() && !FrameOf(w).isNull();
}

// The band of the frame above the client.
QRect TitleBar(const QWidget& w) {
  const QRect f = FrameOf(w);
  return QRect(f.left(), f.top(), f.width(), w.geometry().top() - f.top());
}

// The window the window manager has made active (_NET_ACTIVE_WINDOW); 0 for none.
WId ActiveWindowOfTheManager() {
  QProcess xprop;
  xprop.start("xprop", {"-root", "_NET_ACTIVE_WINDOW"});
  if (!xprop.waitForFinished(20000)) return 0;
  const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
  const int at = out.indexOf("0x");
  return at < 0 ? 0 : out.mid(at + 2).trimmed().toULongLong(nullptr, 16);
}

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute("xdotool", arguments) == 0;
}

class PlacementOverSessions : public testing::Test {
 protected:
  PlacementOverSessions() : env_("TOVIX_HOME", home_.path().string()) {}

  void SetUp() override {
    if (const std::string why = test::RealKeysUnavailable(); !why.empty()) GTEST_SKIP() << why;
    if (QStandardPaths::findExecutable("xprop").isEmpty())
      GTEST_SKIP() << "xprop is not installed (scripts/setup-machine.sh installs it)";
    const fs::path reports = home_ / "reports";
    fs::create_directories(reports);
    for (const auto& entry : fs::directory_iterator(test::SamplesDir() / "demo"))
      if (entry.path().extension() == ".txt")
        fs::copy_file(entry.path(), reports / entry.path().filename());
    std::ofstream(home_ / "Tovix.ini")
        << "[RUN]\ngame=0\n\n[0]\nName=Meridian\nspelD=" << reports.string()
        << "/%1s%0.03d.txt\nspelC=A\nGameType=Galaxy NG\n";
  }

  // One run of the program; `whileRunning` gets the windows once the main window is framed. The
  // main window closes afterwards if it is still open.
  void Run(const std::function<void(TWindowRegistry&)>& whileRunning) {
    // Message boxes are closed; "Advanced Send" is the test's own.
    test::ModalAnswerer answerer([](QWidget* modal) {
      if (modal->objectName() != "frmAdvancedSend") modal->close();
    });
    TStartupParams params;
    params.OnRunning = [&whileRunning](TWindowRegistry& windows) {
      QTimer::singleShot(0, windows.Main(), [&whileRunning, &windows] {
        TfrmMain& main = *windows.Main();
        EXPECT_TRUE(test::WaitFor([&] { return Framed(main); })) << "the main window";
        whileRunning(windows);
        if (main.isVisible()) main.close();
      });
    };
    ASSERT_EQ(runTovix(*qApp, std::move(params)), TStartupOutcome::Ran);
  }

  // Opens every window of the main window's buttons, as a click does, and waits until each is
  // framed; a window that keeps to no such state fails the test.
  static std::vector<QWidget*> OpenToolbarWindows(TWindowRegistry& windows) {
    std::vector<QWidget*> opened;
    for (const TWindowEntry& row : WindowCatalogue()) {
      if (row.ButtonPlace == 0 || row.Action == TButtonAction::Modal) continue;
      windows.Main()->Button(row.ButtonName)->click();
      QWidget* window = windows.Find(row.InstanceName);
      EXPECT_TRUE(test::WaitFor([window] { return Framed(*window); })) << row.InstanceName;
      opened.push_back(window);
    }
    return opened;
  }

  test::TempDir home_;
  test::ScopedEnv env_;
  std::map<std::string, QRect> closedAt_;  // the frames when the second run ended
  QRect mainFrame_;
};

TEST_F(PlacementOverSessions, WindowsOpenClearOfTheMainWindowAndComeBackWhereTheyWere) {
  // 1. Nothing opened; the window manager closes the main window.
  Run([&](TWindowRegistry& w) {
    TfrmMain& main = *w.Main();
    mainFrame_ = FrameOf(main);
    ASSERT_TRUE(test::FocusForKeys(main, main));
    // The window manager's key binding acts on the window it has made active.
    ASSERT_TRUE(test::WaitFor([&] { return ActiveWindowOfTheManager() == main.winId(); }));
    ASSERT_TRUE(test::PressKeys({"alt+F4"}));
    EXPECT_TRUE(test::WaitFor([&] { return !main.isVisible(); })) << "Alt+F4";
  });

  // The only placement stored is the main window's: the others were not shown.
  const std::string stored = test::ReadFileBytes(home_ / "TovixStore3.ini");
  for (size_t at = stored.find("_State]"); at != std::string::npos;
       at = stored.find("_State]", at + 1))
    EXPECT_EQ(stored.rfind("[Tovix_State]", at), at - 6) << stored;

  // 2. Every window opens whole and with its title bar in view, each at a place of its own;
  // three are moved.
  Run([&](TWindowRegistry& w) {
    TfrmMain& main = *w.Main();
    EXPECT_EQ(FrameOf(main), mainFrame_) << "the main window where it was closed";
    const QRect screen = main.screen()->availableGeometry();
    const std::vector<QWidget*> opened = OpenToolbarWindows(w);
    EXPECT_EQ(opened.size(), 16u);
    for (QWidget* window : opened) {
      const std::string name = window->objectName().toStdString();
      // The frame is checked once it is known: wait for the check's move to arrive.
      const auto placed = [&] {
        return screen.contains(FrameOf(*window)) && !TitleBar(*window).intersects(FrameOf(main));
      };
      EXPECT_TRUE(test::WaitFor(placed)) << name << ": frame " << Text(FrameOf(*window))
                                         << ", main window " << Text(FrameOf(main));
    }
    for (size_t i = 0; i < opened.size(); ++i)
      for (size_t k = 0; k < i; ++k)
        EXPECT_NE(FrameOf(*opened[i]).topLeft(), FrameOf(*opened[k]).topLeft())
            << opened[i]->objectName().toStdString() << " on "
            << opened[k]->objectName().toStdString();

    // Planet Info dragged by its title bar, as a user moves it.
    QWidget& info = *w.Find("frmPlanets");
    info.raise();
    info.activateWindow();
    ASSERT_TRUE(test::WaitFor([&] { return info.isActiveWindow(); }));
    const QRect before = FrameOf(info);
    const QPoint grip(before.left() + before.width() / 3, TitleBar(info).center().y());
    // A move that keeps the frame on the screen and its title bar clear of the main window.
    const int dx = before.right() + 37 <= screen.right() ? 37 : (before.left() >= 37 ? -37 : 0);
    const int dy = before.bottom() + 23 <= screen.bottom() ? 23 : -23;
    const QPoint by(dx, dy);
    ASSERT_TRUE(Xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y())}));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    ASSERT_TRUE(Xdotool({"mousemove", QString::number(grip.x() + 10), QString::number(grip.y())}));
    ASSERT_TRUE(Xdotool(
        {"mousemove", QString::number(grip.x() + by.x()), QString::number(grip.y() + by.y())}));
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    EXPECT_TRUE(test::WaitFor([&] { return FrameOf(info) == before.translated(by); }))
        << "dragged to " << Text(FrameOf(info)) << " from " << Text(before);

    // Routes into the bottom right corner, Bombings against the left edge: the window manager
    // moves them (a configure request of the client's place).
    const auto moveClient = [](QWidget& window, QPoint client) {
      return Xdotool({"windowmove", QString::number(window.winId()), QString::number(client.x()),
                      QString::number(client.y())});
    };
    QWidget& routes = *w.Find("frmRoutes");
    const QRect rf = FrameOf(routes);
    const QRect rc = routes.geometry();
    ASSERT_TRUE(moveClient(routes, {screen.right() - (rf.right() - rc.left()),
                                    screen.bottom() - (rf.bottom() - rc.top())}));
    EXPECT_TRUE(test::WaitFor([&] {
      return FrameOf(routes).bottomRight() == screen.bottomRight();
    })) << Text(FrameOf(routes));
    QWidget& bombings = *w.Find("frmBombings");
    const int frameLeft = bombings.geometry().left() - FrameOf(bombings).left();
    ASSERT_TRUE(moveClient(bombings, {screen.left() + frameLeft, bombings.geometry().top() + 11}));
    EXPECT_TRUE(test::WaitFor([&] { return FrameOf(bombings).left() == screen.left(); }))
        << Text(FrameOf(bombings));

    for (QWidget* window : opened) closedAt_[window->objectName().toStdString()] = FrameOf(*window);
  });

  // A place stored with the title bar under the main window (another screen, a main window moved
  // since): the graph's, just inside the main window's frame.
  {
    TznSaveState store((home_ / "TovixStore3.ini").string());
    const QRect graph = closedAt_["frmGraph"];
    SaveFormPlacement(
        store, "Graph", TWindowShowState::Normal,
        {mainFrame_.left() + 40, mainFrame_.top() + 30, mainFrame_.left() + 40 + graph.width() - 20,
         mainFrame_.top() + 30 + graph.height() - 40},
        0);
    store.UpdateFile();
  }

  // 3. Every window where it was, to the pixel; the graph just below the main window.
  Run([&](TWindowRegistry& w) {
    TfrmMain& main = *w.Main();
    EXPECT_EQ(FrameOf(main), mainFrame_) << "the main window where it was closed";
    for (QWidget* window : OpenToolbarWindows(w)) {
      const std::string name = window->objectName().toStdString();
      if (name == "frmGraph") {
        EXPECT_TRUE(test::WaitFor([&] {
          return FrameOf(*window).top() == FrameOf(main).bottom() + 1 &&
                 FrameOf(*window).left() ==
                     mainFrame_.left() + 40 - (window->geometry().left() - FrameOf(*window).left());
        })) << "graph: "
            << Text(FrameOf(*window)) << ", main window " << Text(FrameOf(main));
        continue;
      }
      const QRect expected = closedAt_[name];
      EXPECT_TRUE(test::WaitFor([&] { return FrameOf(*window) == expected; }))
          << name << ": " << Text(FrameOf(*window)) << ", closed at " << Text(expected);
    }

    // The picker of one of the user's groups and its "Advanced Send": above the main window,
    // the dialog in the room below it; Escape closes the picker.
    auto* picker = w.Get<TfrmPlanetSelect>("frmPlanetSelect");
    const GameState& state = w.Context().State;
    ASSERT_NE(picker, nullptr);
    ASSERT_FALSE(state.MainPlayer->Groups.empty());
    TPickerRequest request;
    TGroup* group = state.MainPlayer->Groups.front().get();
    request.Groups.emplace_back(group->GroupNumber, group);
    request.Spread = true;
    request.MaxPlanets = 3;
    picker->ShowPicker(request);
    ASSERT_TRUE(test::FocusForKeys(*picker, *picker->PlanetList()));
    EXPECT_EQ(picker->windowHandle()->transientParent(), main.windowHandle());
    // The place of each window in the window manager's stacking, bottom first.
    const auto stackedAbove = [&main](const QWidget& window) {
      QProcess xprop;
      xprop.start("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
      if (!xprop.waitForFinished(20000)) return false;
      const QString stacking = QString::fromLatin1(xprop.readAllStandardOutput());
      const auto at = [&stacking](const QWidget& shown) {
        return stacking.indexOf(QStringLiteral("0x%1").arg(shown.winId(), 0, 16));
      };
      return at(main) >= 0 && at(window) > at(main);
    };
    EXPECT_TRUE(stackedAbove(*picker)) << "the picker under the main window";

    picker->SelectRows({0, 1});
    QRect advancedFrame;
    bool advancedAbove = false;
    picker->RunAdvanced = [&](TfrmAdvancedSend& dialog) {
      QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(test::WaitFor([&] { return Framed(dialog); }));
        // Placed again once framed: wait for the frame to fill the room below the main window.
        EXPECT_TRUE(test::WaitFor([&] {
          return FrameOf(dialog).top() == FrameOf(main).bottom() + 1;
        })) << Text(FrameOf(dialog));
        advancedFrame = FrameOf(dialog);
        advancedAbove = stackedAbove(dialog);
        dialog.reject();
      });
      return dialog.exec() == QDialog::Accepted;
    };
    picker->AdvancedClicked();
    const QRect screen = main.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(advancedFrame)) << Text(advancedFrame);
    EXPECT_EQ(advancedFrame.bottom(), screen.bottom()) << Text(advancedFrame);
    EXPECT_FALSE(advancedFrame.intersects(FrameOf(main))) << Text(advancedFrame);
    EXPECT_TRUE(advancedAbove) << "Advanced Send under the main window";

    ASSERT_TRUE(test::FocusForKeys(*picker, *picker->PlanetList()));
    ASSERT_TRUE(test::PressKeys({"Escape"}));
    EXPECT_TRUE(test::WaitFor([&] { return !picker->isVisible(); })) << "Escape";
    EXPECT_FALSE(picker->PickerActive());
  });
}

}  // namespace
}  // namespace tovix

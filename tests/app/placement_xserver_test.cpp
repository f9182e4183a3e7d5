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
// Two more runs on a settings folder of their own, opened by clicks and keys: Setup Orders, Over
// View, the save dialog, "Saved" and the question of Ctrl+Q open whole on the screen with their
// title bar clear of the main window, those of the Orders window centred over it, which has the
// keyboard again after each; F1 held down with every core busy opens one help page.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "controls/zn_list_view.h"
#include "core/settings/save_state.h"
#include "editors/text_editor.h"
#include "platform/help.h"
#include "platform/platform_test_helpers.h"
#include "platform/shell.h"
#include "support/test_paths.h"
#include "support/xserver_keys.h"
#include "windows/base/services.h"
#include "windows/frame/main_window.h"
#include "windows/frame/window_catalogue.h"
#include "windows/frame/window_registry.h"
#include "windows/orders/orders_window.h"
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

// A click of the left mouse button at `at` of `widget`, as a user clicks.
bool ClickAt(const QWidget& widget, QPoint at) {
  const QPoint global = widget.mapToGlobal(at);
  return Xdotool({"mousemove", QString::number(global.x()), QString::number(global.y())}) &&
         Xdotool({"click", "1"});
}

QPoint Centre(const QRect& r) {
  return {r.left() + r.width() / 2, r.top() + r.height() / 2};
}

// What is wrong with the place of the framed `window`: its frame off the screen, its title bar
// under the main window, or (with `over`) its frame's centre off that of `over`'s frame by more
// than the pixel that halving may cost. Empty when nothing is.
std::string PlacementFault(const QWidget& window, const QWidget& main, const QWidget* over) {
  if (!Framed(window))
    return std::string("not framed: ") + (window.isVisible() ? "visible" : "hidden") +
           (window.windowHandle() && window.windowHandle()->isExposed() ? ", exposed" : "") +
           ", frame " + Text(FrameOf(window));
  const QRect frame = FrameOf(window);
  const QRect screen = main.screen()->availableGeometry();
  std::string fault;
  if (!screen.contains(frame)) fault += " off the screen " + Text(screen) + ";";
  if (TitleBar(window).intersects(FrameOf(main)))
    fault += " title bar under the main window " + Text(FrameOf(main)) + ";";
  if (over) {
    const QPoint off = Centre(frame) - Centre(FrameOf(*over));
    if (std::abs(off.x()) > 1 || std::abs(off.y()) > 1)
      fault += " not centred over " + over->objectName().toStdString() + " " +
               Text(FrameOf(*over)) + ";";
  }
  return fault.empty() ? fault : "frame " + Text(frame) + ":" + fault;
}

// Waits until `window` is placed well (PlacementFault); the fault seen last when it is not.
std::string AwaitPlacement(const QWidget& window, const QWidget& main, const QWidget* over) {
  std::string fault;
  test::WaitFor([&] {
    fault = PlacementFault(window, main, over);
    return fault.empty();
  });
  return fault;
}

// The time stamps of the F1 key's events (the X server's clock, in milliseconds) and whether the
// Shift key pressed after them has arrived.
class F1Times : public QObject {
 public:
  F1Times() { qApp->installEventFilter(this); }
  ~F1Times() override { qApp->removeEventFilter(this); }
  quint64 Held() const { return last_ - first_; }
  bool ShiftArrived() const { return shift_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_F1) {
        if (first_ == 0) first_ = key->timestamp();
        last_ = std::max(last_, key->timestamp());
      }
      if (key->key() == Qt::Key_Shift && event->type() == QEvent::KeyPress) shift_ = true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  quint64 first_ = 0;
  quint64 last_ = 0;
  bool shift_ = false;
};

// Holds F1 down for 1.5 s of the X server's time (as the key's own repeated events tell it; the
// hold is the input here, nothing is measured), with every core kept busy by busy loops, so that
// the repeated key's release and press reach the program apart; returns once every F1 event has
// arrived.
void HoldF1WhileTheMachineIsBusy() {
  F1Times times;
  std::vector<std::unique_ptr<QProcess>> busy;
  for (int i = 0; i < std::max(QThread::idealThreadCount(), 1); ++i) {
    busy.push_back(std::make_unique<QProcess>());
    busy.back()->start("sh", {"-c", "while :; do :; done"});
    EXPECT_TRUE(busy.back()->waitForStarted(20000));
  }
  EXPECT_TRUE(Xdotool({"keydown", "F1"}));
  EXPECT_TRUE(test::WaitFor([&] { return times.Held() >= 1500; })) << "F1 held " << times.Held();
  EXPECT_TRUE(Xdotool({"keyup", "F1"}));
  // Keys arrive in order: once Shift has, every F1 event before it has.
  EXPECT_TRUE(Xdotool({"key", "shift"}));
  EXPECT_TRUE(test::WaitFor([&] { return times.ShiftArrived(); }));
  for (const auto& process : busy) {
    process->kill();
    process->waitForFinished(20000);
  }
}

class PlacementOverSessions : public testing::Test {
 protected:
  PlacementOverSessions() : env_("TOVIX_HOME", home_.path().string()) {}

  void SetUp() override {
    if (const std::string why = test::RealKeysUnavailable(); !why.empty()) GTEST_SKIP() << why;
    // The help pages F1 opens.
    fs::create_directories(home_ / kHelpFolderName);
    for (const TWindowEntry& row : WindowCatalogue())
      if (row.HelpTopic) std::ofstream(home_ / kHelpFolderName / row.HelpTopic) << "<html/>";
    std::ofstream(home_ / kHelpFolderName / "introduction.htm") << "<html/>";
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
    // Message boxes are closed unless the test answers them; "Advanced Send" is the test's own.
    test::ModalAnswerer answerer([this](QWidget* modal) {
      if (onModal_ && onModal_(*modal)) return;
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
  // Answers a modal window that opens (true when it did, having closed it).
  std::function<bool(QWidget&)> onModal_;
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
    // Down a little, or up where that would take it past the screen's bottom.
    const int down = FrameOf(bombings).bottom() + 11 <= screen.bottom() ? 11 : -11;
    ASSERT_TRUE(
        moveClient(bombings, {screen.left() + frameLeft, bombings.geometry().top() + down}));
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

// Over two sessions on one settings folder: the dialogs and message boxes of the Orders window
// and the main window open with their whole frame on the screen and their title bar clear of the
// main window, the boxes centred over the Orders window they were opened from; F1 held down with
// the machine busy opens one help page.
TEST_F(PlacementOverSessions, DialogsAndBoxesOpenWholeClearOfTheMainWindowOverTheirWindow) {
  std::vector<std::string> pages;
  const TDesktopOpener previous = SetDesktopOpener([&pages](const QUrl& url) {
    pages.push_back(url.fileName().toStdString());
    return true;
  });
  for (int session = 1; session <= 2; ++session) {
    SCOPED_TRACE("session " + std::to_string(session));
    Run([&](TWindowRegistry& w) {
      TfrmMain& main = *w.Main();
      auto* orders = w.Get<TfrmOrders>("frmOrders");
      ASSERT_NE(orders, nullptr);
      ASSERT_TRUE(ClickAt(*main.Button("btnOrders"), main.Button("btnOrders")->rect().center()));
      ASSERT_TRUE(test::WaitFor([&] { return Framed(*orders); }));
      EXPECT_EQ(AwaitPlacement(*orders, main, nullptr), "");

      // The modal windows are answered inside their own loops.
      std::map<std::string, std::string> faults;
      onModal_ = [&](QWidget& modal) {
        const std::string title = modal.windowTitle().toStdString();
        if (auto* files = qobject_cast<QFileDialog*>(&modal)) {
          faults[title] = AwaitPlacement(modal, main, nullptr);
          files->selectFile(QString::fromStdString((home_ / "orders.txt").string()));
          static_cast<QDialog*>(files)->done(QDialog::Accepted);
          return true;
        }
        // Over View belongs to the main window; the others to the Orders window.
        const QWidget* over = title == "Over View" ? nullptr : orders;
        faults[title] = AwaitPlacement(modal, main, over);
        EXPECT_TRUE(test::FocusForKeys(modal, modal)) << title;
        if (title == "Saved") {
          const size_t before = pages.size();
          HoldF1WhileTheMachineIsBusy();
          EXPECT_EQ(pages.size(), before + 1) << "F1 held in the Saved box";
        }
        EXPECT_TRUE(test::PressKeys({"Escape"}));
        EXPECT_TRUE(test::WaitFor([&] { return !modal.isVisible(); })) << title;
        return true;
      };

      // First Turn > Setup orders, by clicks: the dialog (modal) shows without a loop of its own.
      auto* bar = orders->findChild<QMenuBar*>();
      ASSERT_NE(bar, nullptr);
      QMenu* firstTurn = nullptr;
      for (QAction* a : bar->actions())
        if (a->text() == "First Turn") firstTurn = a->menu();
      ASSERT_NE(firstTurn, nullptr);
      ASSERT_TRUE(ClickAt(*bar, bar->actionGeometry(firstTurn->menuAction()).center()));
      ASSERT_TRUE(test::WaitFor(
          [&] { return firstTurn->isVisible() && firstTurn->windowHandle()->isExposed(); }));
      ASSERT_TRUE(ClickAt(*firstTurn, firstTurn->actionGeometry(firstTurn->actions()[0]).center()));
      EXPECT_TRUE(test::WaitFor([&] { return faults.count("Setup Orders") > 0; }));
      // The keys go back to the window the dialog belonged to.
      EXPECT_TRUE(test::WaitFor([&] { return orders->isActiveWindow(); })) << "after Setup Orders";

      // The overview from its button, by a click.
      ASSERT_TRUE(
          ClickAt(*main.Button("btnOverView"), main.Button("btnOverView")->rect().center()));
      EXPECT_TRUE(test::WaitFor([&] { return faults.count("Over View") > 0; }));
      EXPECT_TRUE(test::WaitFor([&] { return main.isActiveWindow(); })) << "after Over View";

      // "Saved" after the save dialog.
      QAction* save = nullptr;
      for (QAction* a : orders->findChildren<QAction*>())
        if (a->text() == "Normal (CR/LF)") save = a;
      ASSERT_NE(save, nullptr);
      ASSERT_TRUE(test::FocusForKeys(*orders, orders->Editor()));
      save->trigger();
      EXPECT_TRUE(test::WaitFor([&] { return faults.count("Saved") > 0; }));
      EXPECT_TRUE(test::WaitFor([&] { return orders->isActiveWindow(); })) << "after Saved";

      // The question of Ctrl+Q in the editor.
      ASSERT_TRUE(test::FocusForKeys(*orders, orders->Editor()));
      ASSERT_TRUE(test::PressKeys({"ctrl+q"}));
      EXPECT_TRUE(test::WaitFor([&] { return faults.count("Confirm") > 0; }));
      EXPECT_TRUE(test::WaitFor([&] { return orders->isActiveWindow(); })) << "after Confirm";
      onModal_ = nullptr;
      std::vector<std::string> seen;
      for (const auto& [title, fault] : faults) {
        seen.push_back(title);
        EXPECT_EQ(fault, "") << title;
      }
      EXPECT_EQ(seen, (std::vector<std::string>{"Confirm", "Over View", "Save Orders", "Saved",
                                                "Setup Orders"}));

      ASSERT_TRUE(test::FocusForKeys(*orders, orders->Editor()));
      const size_t before = pages.size();
      HoldF1WhileTheMachineIsBusy();
      EXPECT_EQ(pages.size(), before + 1) << "F1 held in the orders editor";
    });
  }
  SetDesktopOpener(previous);
}

}  // namespace
}  // namespace tovix

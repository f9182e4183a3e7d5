// Every kind of dialog the windows open is made transient for the main window as it shows, so
// that a window manager keeps it above the main window, which stays on top; so is a tool window
// that serves as a dialog. Other tool windows stay in the ordinary stacking, and without a main
// window nothing changes.

#include "windows/base/window_stacking.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "core/settings/save_state.h"
#include "core/settings/window_placement.h"
#include "support/show_window.h"
#include "windows/base/modal_loop.h"
#include "windows/base/tool_window.h"

namespace tovix {
namespace {

struct StackCase {
  const char* Name;
  bool MainShown;
  // Shows the window as the program would; returns it shown.
  std::function<QWidget*(QWidget& opener)> Show;
  bool Above;
};

QWidget* ShowDialog(std::unique_ptr<QWidget>& keep, QWidget* dialog) {
  keep.reset(dialog);
  dialog->show();
  return dialog;
}

TEST(DialogStacking, DialogsShowAboveTheMainWindow) {
  TznSaveState store("");
  std::unique_ptr<QWidget> keep;
  const StackCase cases[] = {
      {"a dialog without parent (the filters)", true,
       [&](QWidget&) { return ShowDialog(keep, new QDialog); }, true},
      {"a dialog of a tool window", true,
       [&](QWidget& opener) { return ShowDialog(keep, new QDialog(&opener)); }, true},
      {"a message box of a tool window", true,
       [&](QWidget& opener) {
         return ShowDialog(
             keep, new QMessageBox(QMessageBox::NoIcon, "Tovix", "Text", QMessageBox::Ok, &opener));
       },
       true},
      {"a tool window that serves as a dialog, shown modally (the calculator)", true,
       [&](QWidget&) {
         auto* window = new TToolWindow("Calculator", 8, store);
         window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
         keep.reset(window);
         bool above = false;
         QTimer::singleShot(0, window, [window, &above] {
           above = StacksAboveMainWindow(*window);
           window->hide();
         });
         RunModally(*window);
         // Shown again for the check below, as it was while modal.
         window->show();
         EXPECT_TRUE(above);
         return window;
       },
       true},
      {"a tool window", true,
       [&](QWidget&) { return ShowDialog(keep, new TToolWindow("Routes", 27, store)); }, false},
      {"a dialog while no main window shows", false,
       [&](QWidget&) { return ShowDialog(keep, new QDialog); }, false},
  };
  for (const StackCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QMainWindow main;
    main.setWindowFlag(Qt::WindowStaysOnTopHint);
    main.setGeometry(0, 0, 700, 60);
    if (c.MainShown) {
      main.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    TToolWindow opener("Groups", 18, store);
    opener.show();
    TDialogStacking stacking;
    qApp->installEventFilter(&stacking);
    QWidget* shown = c.Show(opener);
    qApp->removeEventFilter(&stacking);
    ASSERT_TRUE(shown->isVisible());
    EXPECT_EQ(StacksAboveMainWindow(*shown), c.Above);
    if (c.Above) {
      EXPECT_EQ(shown->windowHandle()->transientParent(), main.windowHandle());
    }
    if (!c.MainShown) {
      EXPECT_EQ(shown->windowHandle()->transientParent(), nullptr) << "left as it was";
    }
    keep.reset();
  }
}

// The frame of a shown window with the margins the placement takes for it.
TScreenRect FrameRect(const QWidget& w) {
  const QRect g = w.geometry();
  return FrameOf({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()},
                 FrameMarginsOf(w));
}

// What is wrong with where `dialog` opened: its frame not centred over `over`'s (a pixel off
// for the halves is none), off the screen, its title bar under the main window.
std::string PlacementFault(const QWidget& dialog, const QWidget* over, const QWidget& main) {
  const TScreenRect frame = FrameRect(dialog);
  const QRect area = dialog.screen()->availableGeometry();
  std::string fault;
  if (over) {
    const TScreenRect o = FrameRect(*over);
    if (std::abs((frame.Left + frame.Right) - (o.Left + o.Right)) > 2 ||
        std::abs((frame.Top + frame.Bottom) - (o.Top + o.Bottom)) > 2)
      fault += " not centred;";
  }
  if (frame.Left < area.left() || frame.Top < area.top() || frame.Right > area.right() + 1 ||
      frame.Bottom > area.bottom() + 1)
    fault += " off the screen;";
  const TScreenRect m = FrameRect(main);
  const int titleBottom = dialog.geometry().top();
  if (frame.Left < m.Right && frame.Right > m.Left && frame.Top < m.Bottom && titleBottom > m.Top)
    fault += " title bar under the main window;";
  return fault;
}

struct PlaceCase {
  const char* Name;
  // Opens the dialog as the program does, with `orders` in use; returns the window it belongs to
  // (nullptr: none to be centred over) and where it opened (PlacementFault).
  std::function<std::string(QWidget& orders, QWidget& main)> Open;
};

// Shows `dialog` and waits until it is exposed (and checked against its frame).
std::string Shown(QWidget& dialog, const QWidget* over, QWidget& main) {
  dialog.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QCoreApplication::processEvents();
  return PlacementFault(dialog, over, main);
}

// Every dialog and message box that is not a tool window opens centred over the window it belongs
// to, whole on the screen and with its title bar clear of the main window, at every opening.
// Centred by Qt before its frame was known, a dialog of the main window lay with its title bar
// above the screen and under the main window, and one without a parent over the main window.
TEST(DialogPlacement, EveryOpeningIsCentredOverItsWindowClearOfTheMainWindow) {
  TznSaveState store("");
  const PlaceCase cases[] = {
      {"a dialog without parent, opened from the window in use (Setup Orders)",
       [](QWidget& orders, QWidget& main) {
         QDialog dialog;
         dialog.resize(300, 120);
         return Shown(dialog, &orders, main);
       }},
      {"a dialog without parent after another dialog closed",
       [](QWidget& orders, QWidget& main) {
         QDialog files(&orders);
         EXPECT_TRUE(test::ShowActive(files));
         files.hide();
         QDialog dialog;
         dialog.resize(300, 120);
         return Shown(dialog, &orders, main);
       }},
      {"opened again after its window moved",
       [](QWidget& orders, QWidget& main) {
         QDialog dialog;
         dialog.resize(300, 120);
         std::string fault = Shown(dialog, &orders, main);
         dialog.hide();
         orders.move(orders.pos() + QPoint(110, 80));
         QCoreApplication::processEvents();
         return fault + Shown(dialog, &orders, main);
       }},
      {"a dialog of the main window (Over View): below it",
       [](QWidget&, QWidget& main) {
         EXPECT_TRUE(test::ShowActive(main));
         QDialog dialog;
         dialog.resize(300, 200);
         const std::string fault = Shown(dialog, nullptr, main);
         return fault + (FrameRect(dialog).Top == FrameRect(main).Bottom ? "" : " not below it;");
       }},
      {"placed by its own code: kept there",
       [](QWidget&, QWidget& main) {
         QDialog dialog;
         dialog.setGeometry(450, 350, 300, 200);
         const std::string fault = Shown(dialog, nullptr, main);
         return fault + (dialog.geometry() == QRect(450, 350, 300, 200) ? "" : " moved;");
       }},
      {"placed by its own code under the main window: below it",
       [](QWidget&, QWidget& main) {
         QDialog dialog;
         dialog.setGeometry(100, 20, 300, 200);
         return Shown(dialog, nullptr, main);
       }},
  };
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QMainWindow main;
    main.setWindowFlag(Qt::WindowStaysOnTopHint);
    main.setGeometry(0, 0, 700, 60);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    TToolWindow orders("Orders", 21, store);
    // On the offscreen platform's screen of 800 x 600.
    orders.setGeometry(150, 150, 400, 250);
    TDialogStacking stacking;
    qApp->installEventFilter(&stacking);
    ASSERT_TRUE(test::ShowActive(orders));
    EXPECT_EQ(c.Open(orders, main), "");
    qApp->removeEventFilter(&stacking);
  }
}

}  // namespace
}  // namespace tovix

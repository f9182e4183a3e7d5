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
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

#include "core/settings/save_state.h"
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

}  // namespace
}  // namespace tovix

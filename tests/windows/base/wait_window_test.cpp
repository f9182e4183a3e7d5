#include "windows/base/wait_window.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

namespace tovix {
namespace {

// Each showing starts over at "Initializing" with a running bar; hiding stops the bar.
TEST(WaitWindow, ShowingStartsOverAndHidingStopsTheBar) {
  TfrmWait wait;
  EXPECT_FALSE(wait.Animating());
  for (int round = 0; round < 2; ++round) {
    wait.show();
    EXPECT_EQ(wait.CurrentWork().toStdString(), "Initializing") << round;
    EXPECT_TRUE(wait.Animating());
    wait.SetCurrentWork("Reading report");
    EXPECT_EQ(wait.CurrentWork().toStdString(), "Reading report");
    wait.hide();
    EXPECT_FALSE(wait.Animating());
  }
}

// The user cannot close it while the reports are read.
TEST(WaitWindow, IgnoresClose) {
  TfrmWait wait;
  wait.show();
  EXPECT_FALSE(wait.close());
  EXPECT_TRUE(wait.isVisible());
}

// The reading runs on the event loop's thread; each progress step lets timers and painting run,
// or the window would freeze until the end.
TEST(WaitWindow, EachProgressStepLetsTheEventLoopRun) {
  TfrmWait wait;
  wait.show();
  bool fired = false;
  QTimer::singleShot(0, &wait, [&fired] { fired = true; });
  wait.SetCurrentWork("Adding Tabs");
  EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace tovix

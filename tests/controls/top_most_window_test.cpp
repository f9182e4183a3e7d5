#include "controls/top_most_window.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWindow>
#include <string>
#include <vector>

#include "support/show_window.h"

namespace tovix {
namespace {

bool OnTopFlag(const QWidget& form) {
  return form.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// Each event is logged with the value the component and the window show at that moment.
TEST(TopMostWindow, StartsOffAndFiresOnceAroundEachChange) {
  QWidget form;
  TTopMostWindow top(&form);
  EXPECT_FALSE(top.AlwaysOnTop());
  EXPECT_FALSE(OnTopFlag(form));
  std::vector<std::string> log;
  auto note = [&](const char* name) {
    log.push_back(std::string(name) + (top.AlwaysOnTop() ? " on" : " off") +
                  (OnTopFlag(form) ? "/flag" : "/-"));
  };
  QObject::connect(&top, &TTopMostWindow::OnBeforeChange, [&] { note("before"); });
  QObject::connect(&top, &TTopMostWindow::OnAfterChange, [&] { note("after"); });

  top.SetAlwaysOnTop(true);
  top.SetAlwaysOnTop(true);  // the same value: nothing
  EXPECT_EQ(log, (std::vector<std::string>{"before off/-", "after on/flag"}));
  log.clear();
  top.SetAlwaysOnTop(false);
  top.SetAlwaysOnTop(false);
  EXPECT_EQ(log, (std::vector<std::string>{"before on/flag", "after off/-"}));
}

TEST(TopMostWindow, ShownWindowKeepsItsPlaceAndNativeWindow) {
  QWidget form;
  form.setGeometry(40, 50, 220, 130);
  form.show();
  ASSERT_TRUE(test::ShowExposed(form));
  QWindow* native = form.windowHandle();
  const QRect before = form.geometry();
  TTopMostWindow top(&form);

  top.SetAlwaysOnTop(true);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.windowHandle(), native);  // not re-created, so not hidden and shown again
  EXPECT_EQ(form.geometry(), before);
  EXPECT_TRUE(native->flags().testFlag(Qt::WindowStaysOnTopHint));

  top.SetAlwaysOnTop(false);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(OnTopFlag(form));
}

}  // namespace
}  // namespace tovix

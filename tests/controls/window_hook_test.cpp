#include "controls/window_hook.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "support/show_window.h"

namespace tovix {
namespace {

using Log = std::vector<std::string>;

// A shown window with a line edit that the hooks watch; every hook writes its key presses into
// one log, with what the line edit held at that moment.
class WindowHookTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(form.get());
    edit = new QLineEdit(form.get());
    layout->addWidget(edit);
    form->show();
    ASSERT_TRUE(test::ShowExposed(*form));
  }

  // name: "before"/"after" hooks that log key presses; `stopKey` is Handled.
  THookMessageEvent Logger(const std::string& name, int stopKey = 0) {
    return [this, name, stopKey](TRxWindowHook*, QEvent* event, bool& handled) {
      if (event->type() != QEvent::KeyPress) return;
      auto* key = static_cast<QKeyEvent*>(event);
      log.push_back(name + " " + key->text().toStdString() + " [" + edit->text().toStdString() +
                    "]");
      if (key->key() == stopKey) handled = true;
    };
  }

  std::unique_ptr<QWidget> form;
  QLineEdit* edit = nullptr;
  Log log;
};

TEST_F(WindowHookTest, BeforeRunsNewestFirstAndAfterSeesTheWidgetsResult) {
  TRxWindowHook older;
  TRxWindowHook newer;
  older.BeforeMessage = Logger("older before");
  older.AfterMessage = Logger("older after");
  newer.BeforeMessage = Logger("newer before");
  older.SetWinControl(edit);
  newer.SetWinControl(edit);
  QTest::keyClick(edit, Qt::Key_A);
  EXPECT_EQ(log, (Log{"newer before a []", "older before a []", "older after a [a]"}));
}

TEST_F(WindowHookTest, HandledKeepsTheEventFromOlderHooksAndTheWidget) {
  TRxWindowHook older;
  older.BeforeMessage = Logger("older before");
  older.AfterMessage = Logger("older after");
  older.SetWinControl(edit);
  {
    TRxWindowHook newer;
    newer.BeforeMessage = Logger("newer before", Qt::Key_X);
    newer.AfterMessage = Logger("newer after", Qt::Key_X);
    newer.SetWinControl(edit);
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(edit->text(), "");
    // The after walk starts afresh and ends at the first hook that handles it.
    EXPECT_EQ(log, (Log{"newer before x []", "newer after x []"}));
  }
  // A freed hook leaves the others working.
  log.clear();
  QTest::keyClick(edit, Qt::Key_A);
  EXPECT_EQ(log, (Log{"older before a []", "older after a [a]"}));
  EXPECT_EQ(edit->text(), "a");
}

}  // namespace
}  // namespace tovix

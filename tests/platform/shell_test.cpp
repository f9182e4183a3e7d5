#include "platform/shell.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "platform/platform_test_helpers.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

struct ExitRow {
  const char* name;
  QString program;
  QStringList args;
  int expected;
};

class RunAndWaitExit : public ::testing::TestWithParam<ExitRow> {};

TEST_P(RunAndWaitExit, ReturnsTheExitCode) {
  const ExitRow& row = GetParam();
  EXPECT_EQ(RunAndWait(row.program, row.args), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RunAndWaitExit,
    ::testing::Values(ExitRow{"True", "true", {}, 0},
                      ExitRow{"ExitSeven", "/bin/sh", {"-c", "exit 7"}, 7},
                      ExitRow{"MissingProgram", "/nonexistent/tovix-no-such-program", {}, -1},
                      ExitRow{"NotExecutable", "/etc/passwd", {}, -1},
                      // A program killed by a signal did not succeed; its exit code would say 0.
                      ExitRow{"KilledBySignal", "/bin/sh", {"-c", "kill -KILL $$"}, -1}),
    test::RowName<ExitRow>);

// The arguments go to the program as a list: blanks, quotes and shell characters arrive as they
// are, and nothing is run by a shell on the way.
TEST(RunAndWait, ArgumentsArriveIntact) {
  test::TempDir dir;
  const std::string out = (dir / "args.txt").string();
  const std::vector<std::string> args = {"two words", "it's \"quoted\"", "$HOME",      "*",
                                         "",          "a;touch pwned",   "back\\slash"};
  std::vector<std::string> argv = {
      "-c", "out=$1; shift; for a; do printf '[%s]\\n' \"$a\"; done > \"$out\"", "sh", out};
  argv.insert(argv.end(), args.begin(), args.end());
  ASSERT_EQ(RunAndWait(std::string("/bin/sh"), argv), 0);
  std::string expected;
  for (const std::string& a : args) expected += "[" + a + "]\n";
  EXPECT_EQ(test::ReadFileBytes(out), expected);
  EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
}

// Waiting keeps the event loop going (timers fire, windows repaint) until the program ends: the
// program here ends only when a timer of ours has written to the pipe it reads.
TEST(RunAndWait, TimersRunWhileItWaits) {
  test::TempDir dir;
  const std::string pipe = (dir / "pipe").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  bool fired = false;
  QTimer::singleShot(0, [&fired, &pipe] {
    fired = true;
    std::ofstream(pipe) << "go\n";
  });
  EXPECT_EQ(RunAndWait(std::string("/bin/sh"), {"-c", "read line < \"$1\"", "sh", pipe}), 0);
  EXPECT_TRUE(fired);
}

struct YesNoRow {
  const char* name;
  std::function<void(QMessageBox*)> answer;
  bool expected;
};

class YesNoBoxAnswer : public ::testing::TestWithParam<YesNoRow> {};

TEST_P(YesNoBoxAnswer, IsAConfirmQuestion) {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  test::ModalAnswerer answerer([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    GetParam().answer(box);
  });
  EXPECT_EQ(YesNoBox("Delete the orders?\rThey are gone then."), GetParam().expected);
  EXPECT_EQ(answerer.Count(), 1);
  EXPECT_EQ(title, QStringLiteral("Confirm"));
  EXPECT_EQ(text, QStringLiteral("Delete the orders?\nThey are gone then."));
  EXPECT_EQ(icon, QMessageBox::Question);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, YesNoBoxAnswer,
    ::testing::Values(YesNoRow{"Escape", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); },
                               false},
                      YesNoRow{"EnterTakesTheDefaultYes",
                               [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Return); }, true}),
    test::RowName<YesNoRow>);

}  // namespace
}  // namespace tovix

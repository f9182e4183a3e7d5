// The turn-report viewer on real reports (orion as A with the allies B and C) and on a CR LF,
// Latin-1 report of its own.

#include "windows/texts/turn_reports_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <filesystem>
#include <fstream>

#include "core/settings/save_state.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// A game of race A whose reports a test wrote into a folder of its own.
struct ReportFolderGame {
  ReportFolderGame(const test::TempDir& dir, int lastTurn) {
    state.Settings.spelD = (dir.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "A";
    state.LastTurn = lastTurn;
  }
  GameState state;
  TznSaveState store{""};
  test::RecordingUserInterface ui;
};

TEST(TurnReportsWindowTest, OrionListAndMessageParts) {
  const fs::path orion = test::ReportsDir("orion");
  if (orion.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  GameState state;
  state.Settings.spelD = (orion / "%1s%0.03d.txt").string();
  state.Settings.spelC = "ABC";
  state.Settings.GameType = TGameType::NG;
  state.LastTurn = 25;
  TznSaveState store("");
  test::RecordingUserInterface ui;
  TfrmTurnReports window(state, store, ui);
  window.FillFiles();
  ASSERT_EQ(window.FileList()->count(), 78);
  EXPECT_EQ(window.FileList()->item(0)->text(), "A000.txt");
  EXPECT_EQ(window.FileList()->item(77)->text(), "C025.txt");
  EXPECT_EQ(window.FileList()->currentItem()->text(), "A025.txt");
  EXPECT_EQ(fs::path(window.CurrentFile()).filename(), "A025.txt");

  window.FileList()->setCurrentRow(17);  // C005.txt
  ASSERT_EQ(fs::path(window.CurrentFile()).filename(), "C005.txt");
  EXPECT_TRUE(window.Editor()->isReadOnly());
  const QString personal = window.Editor()->toPlainText();
  EXPECT_TRUE(personal.contains("Your scouts are noted")) << personal.toStdString();
  EXPECT_FALSE(personal.contains("Options"));
  window.PartCombo()->setCurrentIndex(1);
  EXPECT_EQ(window.Editor()->toPlainText(), "");
  window.PartCombo()->setCurrentIndex(2);
  EXPECT_FALSE(window.Editor()->isReadOnly());
  EXPECT_TRUE(window.Editor()->toPlainText().contains("\t\tYour Options"));
}

// Save exists only in "Whole Report" once the text changed, asks first, and changes the edited
// line only: CR LF line ends, "é" and byte 160 elsewhere keep their bytes.
TEST(TurnReportsWindowTest, SaveKeepsLineEndsAndEncoding) {
  test::TempDir dir;
  const std::string original =
      "\t\tGalaxy Game Demo Turn 1 Report for Corvids\r\n"
      "PERSONAL Messages for Corvids\r\n"
      "caf\xE9 with\xA0space\r\n"
      "second line\r\n"
      "ORDERS RECEIVED\r\n";
  const fs::path file = dir.path() / "A001.txt";
  std::ofstream(file, std::ios::binary) << original;
  ReportFolderGame game(dir, 1);
  test::RecordingUserInterface& ui = game.ui;
  TfrmTurnReports window(game.state, game.store, ui);
  window.FillFiles();
  ASSERT_EQ(window.CurrentFile(), file.string());
  EXPECT_EQ(window.Editor()->toPlainText().toStdString(),
            "PERSONAL Messages for Corvids\ncaf\xC3\xA9 with space\nsecond line\n");

  // In a message view the text cannot be edited and Save does nothing.
  window.Editor()->selectAll();
  window.Editor()->insertPlainText("lost");
  EXPECT_FALSE(window.SaveAction()->isEnabled());
  window.Save();
  EXPECT_TRUE(ui.questions.empty());

  window.SetShowPart(TReportPart::Whole);
  EXPECT_FALSE(window.SaveAction()->isEnabled());
  QTextCursor cursor = window.Editor()->document()->find("second line");
  cursor.insertText("2nd line, edited");
  EXPECT_TRUE(window.SaveAction()->isEnabled());
  ui.answers = {false};
  window.Save();
  EXPECT_EQ(test::ReadFileBytes(file), original);
  ui.answers = {true};
  window.Save();
  EXPECT_EQ(ui.questions, std::vector<std::string>(2, "Are you sure to save?"));
  std::string expected = original;
  expected.replace(expected.find("second line"), 11, "2nd line, edited");
  EXPECT_EQ(test::ReadFileBytes(file), expected);
  EXPECT_FALSE(window.SaveAction()->isEnabled());
}

// A report file holds one byte per character (Latin-1): "Łódź" typed into the whole report is
// not saved as "?ód?". Save names the characters and their lines and writes nothing; the editor
// keeps the text. Once they are changed, Save writes, "ó" as its byte.
TEST(TurnReportsWindowTest, CharactersTheReportCannotHoldAreNamedAndNeverWritten) {
  test::TempDir dir;
  const std::string original = "\t\tGalaxy Game Demo Turn 1 Report for Corvids\r\ncaf\xE9\r\n";
  const fs::path file = dir.path() / "A001.txt";
  std::ofstream(file, std::ios::binary) << original;
  ReportFolderGame game(dir, 1);
  test::RecordingUserInterface& ui = game.ui;
  TfrmTurnReports window(game.state, game.store, ui);
  window.FillFiles();
  window.SetShowPart(TReportPart::Whole);
  QPlainTextEdit& editor = *window.Editor();
  editor.setFocus();
  // Typed key by key at the start of the report and behind "café".
  const auto type = [&editor](const char* utf8) {
    for (QChar c : QString::fromUtf8(utf8)) {
      QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
      QApplication::sendEvent(&editor, &press);
    }
  };
  editor.moveCursor(QTextCursor::Start);
  type("\xC5\x81\xC3\xB3\x64\xC5\xBA ");
  QTextCursor behind = editor.document()->find("caf\xC3\xA9");
  behind.clearSelection();
  editor.setTextCursor(behind);
  type(" \xC5\xBA\xC5\xBA");
  const QString typed = editor.toPlainText();
  ASSERT_TRUE(typed.startsWith(QString::fromUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA \t\tGalaxy")));
  ASSERT_TRUE(window.SaveAction()->isEnabled());
  ui.answers = {true};
  window.Save();
  ASSERT_EQ(ui.utf8Messages.size(), 1u);
  const std::string& message = ui.utf8Messages[0];
  EXPECT_NE(message.find("The report was not saved"), std::string::npos) << message;
  EXPECT_NE(message.find("line 1: \xC5\x81 (U+0141, column 1), \xC5\xBA (U+017A, column 4)\r"
                         "line 2: \xC5\xBA (U+017A, columns 6, 7)"),
            std::string::npos)
      << message;
  EXPECT_EQ(test::ReadFileBytes(file), original);
  EXPECT_EQ(editor.toPlainText(), typed);
  EXPECT_TRUE(window.SaveAction()->isEnabled());

  QString lodz = typed;
  lodz.replace(QChar(0x141), u'L').replace(QChar(0x17A), u'z');
  editor.selectAll();
  editor.insertPlainText(lodz);
  ASSERT_TRUE(window.SaveAction()->isEnabled());
  window.Save();
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Are you sure to save?"});
  EXPECT_EQ(test::ReadFileBytes(file),
            "L\xF3\x64z \t\tGalaxy Game Demo Turn 1 Report for Corvids\r\ncaf\xE9 zz\r\n");
}

// A restore from minimised (also after "Minimize All") shows the window again: it keeps the
// report the user chose and the unsaved edits. Reading a game fills it anew.
TEST(TurnReportsWindowTest, ShowingAgainKeepsTheChosenReportAndItsEdits) {
  test::TempDir dir;
  for (const char* name : {"A001.txt", "A002.txt"})
    std::ofstream(dir.path() / name, std::ios::binary) << "\t\tReport " << name << "\n";
  ReportFolderGame game(dir, 2);
  test::RecordingUserInterface& ui = game.ui;
  TfrmTurnReports window(game.state, game.store, ui);
  window.NoteGameChange(gcGameRead);
  window.show();
  ASSERT_EQ(fs::path(window.CurrentFile()).filename(), "A002.txt");
  window.FileList()->setCurrentRow(0);
  window.SetShowPart(TReportPart::Whole);
  window.Editor()->moveCursor(QTextCursor::End);
  window.Editor()->insertPlainText("my note");
  const QString edited = window.Editor()->toPlainText();
  window.showMinimized();
  QCoreApplication::processEvents();
  window.showNormal();
  window.hide();
  window.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(fs::path(window.CurrentFile()).filename(), "A001.txt");
  EXPECT_EQ(window.ShowPart(), TReportPart::Whole);
  EXPECT_EQ(window.Editor()->toPlainText(), edited);
  EXPECT_TRUE(window.SaveAction()->isEnabled());

  window.NoteGameChange(gcGameRead);
  EXPECT_EQ(fs::path(window.CurrentFile()).filename(), "A002.txt");
  EXPECT_FALSE(window.Editor()->toPlainText().contains("my note"));
}

}  // namespace
}  // namespace tovix

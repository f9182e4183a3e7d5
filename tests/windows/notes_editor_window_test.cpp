// The notes editor writes a tab only when it was loaded this run and changed (or its file is
// missing), and opens links through the desktop's opener.

#include "windows/notes_editor_window.h"

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTextCursor>
#include <fstream>

#include "core/save_state.h"
#include "editors/rich_edit.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

const char* const kNotes[] = {"{\\rtf1\\ansi one\\par}", "{\\rtf1\\ansi two\\b bold\\b0\\par}",
                              "{\\rtf1\\ansi three\\par}", "{\\rtf1\\ansi four\\par}"};

struct NotesFolder {
  explicit NotesFolder(int present) {
    state.GameName = "A/B";
    for (int tab = 0; tab < present; ++tab)
      std::ofstream(NotesFileName(dir.path(), tab, state.GameName), std::ios::binary)
          << kNotes[tab];
  }
  std::string Bytes(int tab) const {
    return test::ReadFileBytes(NotesFileName(dir.path(), tab, state.GameName));
  }
  test::TempDir dir;
  GameState state;
  TznSaveState store{""};
  test::RecordingUserInterface ui;
};

TEST(NotesEditorTest, SaveBeforeShowWritesNothing) {
  NotesFolder folder(3);
  TfrmEditor window(folder.state, folder.store, folder.ui, folder.dir.path());
  for (int tab : {0, 3}) {
    window.Tabs()->setCurrentIndex(tab);
    window.SaveCurrentNotes();
  }
  for (int tab = 0; tab < 3; ++tab) EXPECT_EQ(folder.Bytes(tab), kNotes[tab]);
  EXPECT_FALSE(fs::exists(folder.dir.path() / "Notes_A_B.doc"));
}

TEST(NotesEditorTest, OnlyTheEditedTabIsWritten) {
  NotesFolder folder(4);
  TfrmEditor window(folder.state, folder.store, folder.ui, folder.dir.path());
  ASSERT_TRUE(test::ShowExposed(window));
  EXPECT_TRUE(window.Editor()->toPlainText().startsWith("one"));
  window.Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window.Editor()->toPlainText().startsWith("twobold"));
  QTextCursor cursor(window.Editor()->document());
  cursor.insertText("typed ");
  for (int tab : {2, 3, 0}) window.Tabs()->setCurrentIndex(tab);
  window.hide();
  for (int tab : {0, 2, 3}) EXPECT_EQ(folder.Bytes(tab), kNotes[tab]) << tab;
  EXPECT_NE(folder.Bytes(1), kNotes[1]);
  // What was written reads back with the typed text and the bold word.
  ASSERT_TRUE(test::ShowExposed(window));
  window.Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window.Editor()->toPlainText().startsWith("typed twobold"));
  cursor = QTextCursor(window.Editor()->document());
  cursor.setPosition(10);
  EXPECT_GE(cursor.charFormat().fontWeight(), QFont::Bold);
}

// A file that cannot be read as notes is never written back.
TEST(NotesEditorTest, UnreadableFileIsKept) {
  NotesFolder folder(0);
  const std::string broken = "{\\rtf1 {\\bin99999 x";
  std::ofstream(NotesFileName(folder.dir.path(), 0, "A/B"), std::ios::binary) << broken;
  TfrmEditor window(folder.state, folder.store, folder.ui, folder.dir.path());
  ASSERT_TRUE(test::ShowExposed(window));
  window.Editor()->insertPlainText("x");
  window.hide();
  EXPECT_EQ(folder.Bytes(0), broken);
  EXPECT_EQ(folder.ui.messages.size(), 1u);
}

TEST(NotesEditorTest, LinksGoToTheOpenerFileLinksAfterAQuestion) {
  NotesFolder folder(0);
  TfrmEditor window(folder.state, folder.store, folder.ui, folder.dir.path());
  std::vector<std::string> opened;
  window.SetOpener([&](const std::string& url) { opened.push_back(url); });
  window.OpenLink("http://x.y");
  window.OpenLink("www.x.y");
  folder.ui.answers = {false, true};
  window.OpenLink("file:///tmp/a");
  window.OpenLink("file:///tmp/b");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://x.y", "http://www.x.y", "file:///tmp/b"}));
  EXPECT_EQ(folder.ui.questions.size(), 2u);
}

}  // namespace
}  // namespace tovix

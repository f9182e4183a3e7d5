// Undo and redo chains, the undo limit, and the clipboard in its three block modes.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "editor_test_helpers.h"

namespace tovix::test {
namespace {

TEST(UndoTest, TypingOverASelectionUndoesInOneStep) {
  TTestEdit edit("hello world");
  edit.SetCaretAndSelect({1, 1}, {6, 1});
  edit.Type("X");
  EXPECT_EQ(Joined(edit), "X world");
  ASSERT_EQ(edit.UndoList().ItemCount(), 2);
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "hello world");
  EXPECT_EQ(U8(edit.SelText()), "hello");  // the restored text is selected
  EXPECT_FALSE(edit.CanUndo());
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "X world");
}

TEST(UndoTest, TheEleventhEditDropsTheOldest) {
  TTestEdit edit("");
  edit.Type("abcdefghijk");
  EXPECT_EQ(edit.UndoList().ItemCount(), 10);
  while (edit.CanUndo()) edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "a");
  edit.SetMaxUndo(3);
  EXPECT_EQ(edit.RedoList().ItemCount(), 3);
  edit.SetMaxUndo(-1);  // ignored
  EXPECT_EQ(edit.MaxUndo(), 3);
}

// A new edit after an undo used to leave the redo list in place; redo then replayed positions
// of a text that was gone and corrupted the new one.
TEST(UndoTest, ANewEditClearsTheRedoList) {
  TTestEdit edit("abc");
  edit.Caret(4, 1);
  edit.Type("d");
  edit.Cmd(ecUndo);
  edit.Caret(1, 1);
  edit.Cmd(ecDeleteChar);
  EXPECT_FALSE(edit.CanRedo());
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "bc");
}

// Redo of a character typed in overwrite mode put it beside the restored one, not over it.
TEST(UndoTest, RedoOfOverwriteReplacesAgain) {
  TTestEdit edit("abc");
  edit.Cmd(ecOverwriteMode);
  edit.Type("X");
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "abc");
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "Xbc");
}

// The items of an insert used to start at the block's begin, which need not be where the text
// went when the caret had been moved on its own; undo then removed the wrong stretch.
TEST(UndoTest, InsertItemsStartWhereTheTextWent) {
  TTestEdit edit("abcdef");
  edit.SetCaretXY({4, 1});  // the block stays at (1, 1)
  edit.SetSelText(E("XY"));
  EXPECT_EQ(Joined(edit), "abcXYdef");
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "abcdef");
}

// Redo of a line break used to break the line wherever the caret had gone since the undo.
TEST(UndoTest, RedoBreaksTheLineWhereItWasBroken) {
  TTestEdit edit("abcdef\r\nxyz");
  edit.Caret(4, 1);
  edit.Cmd(ecLineBreak);
  edit.Cmd(ecUndo);
  edit.Caret(2, 2);
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "abc|def|xyz");
}

TEST(UndoTest, UndoGivesBackTrimmedBlanks) {
  TTestEdit edit("ab   \r\ncd\t");
  edit.Caret(1, 1);
  edit.Type("x");  // the line is stored without its trailing blanks
  EXPECT_EQ(Joined(edit), "xab|cd\t");
  edit.Caret(3, 2);
  edit.Cmd(ecLineBreak);
  edit.Cmd(ecUndo);
  edit.Cmd(ecUndo);
  EXPECT_EQ(U8(edit.GetText()), "ab   \r\ncd\t\r\n");
}

// A replacement of the whole text is one step, whatever the limit and however many lines it
// replaces: one undo gives back the old text as it was (trailing blanks and all), one redo the
// new one, and the edits before it stay undoable. It used to go line by line past the list.
struct ReplaceAllRow {
  std::string name;
  int maxUndo;
  std::string before;  // "" for an empty editor
  std::string after;
};

void PrintTo(const ReplaceAllRow& row, std::ostream* os) {
  *os << row.name;
}

class ReplaceAllText : public testing::TestWithParam<ReplaceAllRow> {};

TEST_P(ReplaceAllText, UndoesAndRedoesInOneStep) {
  const ReplaceAllRow& row = GetParam();
  TTestEdit edit(row.before, kOrdersOptions);
  edit.SetMaxUndo(row.maxUndo);
  // The text before and after each of two typed characters (a full list at a limit of 1 or 2).
  std::vector<std::string> states{U8(edit.GetText())};
  edit.Caret(1, 1);
  for (const char* c : {"a", "b"}) {
    edit.Type(c);
    states.push_back(U8(edit.GetText()));
  }
  const std::string typed = states.back();
  const int itemsBefore = edit.UndoList().ItemCount();
  int changes = 0;
  edit.OnChange = [&] { ++changes; };

  edit.ReplaceAllText(E(row.after));
  EXPECT_EQ(U8(edit.GetText()), row.after + "\r\n");
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 1}));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit.UndoList().ItemCount(), std::min(itemsBefore + 1, row.maxUndo));

  edit.Cmd(ecUndo);
  EXPECT_EQ(U8(edit.GetText()), typed);
  edit.Cmd(ecRedo);
  EXPECT_EQ(U8(edit.GetText()), row.after + "\r\n");
  edit.Cmd(ecUndo);
  EXPECT_EQ(U8(edit.GetText()), typed);
  while (edit.CanUndo()) edit.Cmd(ecUndo);
  // The typing before it is undone as far as the limit kept it.
  const int typingKept = std::min(2, row.maxUndo - 1);
  EXPECT_EQ(U8(edit.GetText()), states[static_cast<size_t>(2 - typingKept)]);
}

std::string ManyOrderLines() {
  std::string text;
  for (int i = 1; i <= 21; ++i) text += "s " + std::to_string(i) + " Alpha  \r\n";
  return text + "#END";
}

INSTANTIATE_TEST_SUITE_P(Rows, ReplaceAllText,
                         testing::Values(ReplaceAllRow{"ManyLinesLimit1", 1, ManyOrderLines(),
                                                       "#GALAXY g r\r\n\r\n#END"},
                                         ReplaceAllRow{"FewLinesByMany", 2, "one\r\n  two\t",
                                                       ManyOrderLines()},
                                         ReplaceAllRow{"TextByEmpty", 10, "x  \r\n\r\ny", ""}),
                         [](const auto& row) { return row.param.name; });

// Outside changes of the lines (and clearing all) make the recorded positions meaningless.
TEST(UndoTest, ChangingTheLinesDirectlyForgetsTheUndoLists) {
  TTestEdit edit("one\r\ntwo");
  edit.Type("x");
  ASSERT_TRUE(edit.CanUndo());
  edit.Lines().Insert(0, E("inserted"));
  EXPECT_FALSE(edit.CanUndo());
  edit.Type("y");
  edit.Cmd(ecClearAll);
  EXPECT_FALSE(edit.CanUndo());
  EXPECT_EQ(Joined(edit), "");
}

TEST(UndoTest, ModifiedAndChangeEventFollowRecordedEdits) {
  TTestEdit edit("abc");
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  EXPECT_FALSE(edit.Modified());
  edit.Type("x");
  EXPECT_TRUE(edit.Modified());
  EXPECT_EQ(changes, 1);
  edit.SetModified(false);
  edit.Cmd(ecRight);
  EXPECT_FALSE(edit.Modified());
}

TEST(DragDropTest, MoveUndoesInOneStepAndNeverMovesIntoItself) {
  TTestEdit edit("one two three\r\nfour");
  edit.SetCaretAndSelect({5, 1}, {9, 1});  // "two "
  edit.DropSelection({6, 1}, false);       // inside the block: nothing
  EXPECT_EQ(Joined(edit), "one two three|four");
  edit.DropSelection({14, 1}, false);
  EXPECT_EQ(Joined(edit), "one threetwo |four");
  ASSERT_EQ(edit.UndoList().ItemCount(), 2);
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "one two three|four");
  EXPECT_FALSE(edit.CanUndo());
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "one threetwo |four");
  // A copy leaves the source and drops onto another line.
  edit.SetCaretAndSelect({1, 1}, {4, 1});
  edit.DropSelection({5, 2}, true);
  EXPECT_EQ(Joined(edit), "one threetwo |fourone");
}

TEST(ClipboardTest, ColumnBlockKeepsItsShapeAndGivesPlainLines) {
  TTestEdit edit("abcd\r\nefgh\r\nij");
  edit.SetSelectionMode(smColumn);
  edit.SetCaretAndSelect({2, 1}, {4, 3});
  edit.Cmd(ecCopy);
  EXPECT_EQ(U8(*edit.Clip.Text), "bc\r\nfg\r\nj ");
  auto block = DecodeBlockPayload(*edit.Clip.Block);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->Mode, smColumn);
  EXPECT_EQ(edit.Clip.Block->front(), '\1');
  EXPECT_EQ(edit.Clip.Block->back(), '\0');

  TTestEdit other("12345\r\n6");
  other.SetClipboard(&edit.Clip);
  other.Caret(3, 1);
  other.Cmd(ecPaste);
  // Short and missing lines are padded to the column; the pieces keep their padding.
  EXPECT_EQ(Joined(other), "12bc345|6 fg|  j ");
  EXPECT_EQ(other.CaretXY(), (TPoint{3, 3}));
  other.Cmd(ecUndo);
  EXPECT_EQ(Joined(other), "12345|6");
  other.Cmd(ecRedo);
  EXPECT_EQ(Joined(other), "12bc345|6 fg|  j ");
}

TEST(ClipboardTest, LineBlockPastesAsWholeLines) {
  TTestEdit edit("one\r\ntwo\r\nthree");
  edit.SetSelectionMode(smLine);
  edit.SetCaretAndSelect({2, 1}, {2, 2});
  edit.Cmd(ecCut);
  EXPECT_EQ(Joined(edit), "three");
  edit.SetSelectionMode(smNormal);
  edit.Caret(3, 1);
  edit.Cmd(ecPaste);
  EXPECT_EQ(Joined(edit), "one|two|three");
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "three");
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "one|two|three");
}

TEST(ClipboardTest, PastingPlainTextOverASelectionRecordsTwoItems) {
  TTestEdit edit("hello world");
  edit.Clip.Text = E("big\r\nnew");
  edit.SetCaretAndSelect({7, 1}, {12, 1});
  edit.Cmd(ecPaste);
  EXPECT_EQ(Joined(edit), "hello big|new");
  ASSERT_EQ(edit.UndoList().ItemCount(), 2);
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "hello world");
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "hello big|new");
}

TEST(ClipboardTest, FailuresRaiseAndChangeNothing) {
  TTestEdit edit("abc");
  edit.SetCaretAndSelect({1, 1}, {3, 1});
  edit.Clip.FailNextSet = true;
  EXPECT_THROW(edit.Cmd(ecCut), EmwEditError);
  EXPECT_EQ(Joined(edit), "abc");
  EXPECT_FALSE(edit.CanUndo());
  edit.Clip.Block = std::string("\x07junk");
  EXPECT_THROW(edit.Cmd(ecPaste), EmwEditError);
  EXPECT_EQ(Joined(edit), "abc");
}

TEST(ClipboardTest, PayloadCarriesTextOfAnyScript) {
  const std::string payload = EncodeBlockPayload(smLine, E("日本\r\nx"));
  const auto block = DecodeBlockPayload(payload);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->Mode, smLine);
  EXPECT_EQ(U8(block->Text), "日本\r\nx");
  EXPECT_FALSE(DecodeBlockPayload(""));
}

}  // namespace
}  // namespace tovix::test

// Key bindings and the editing commands they run.

#include <gtest/gtest.h>

#include <ostream>

#include <vector>

#include "editor_test_helpers.h"

namespace tovix::test {
namespace {

TEST(KeyTableTest, DefaultTableAndTheOrdersWindowsPart) {
  TmwKeyStrokes keys;
  keys.ResetDefaults();
  ASSERT_EQ(keys.Count(), 79);
  EXPECT_EQ(keys.Item(1).GetShortCut(), 8230);  // Shift+Up
  EXPECT_EQ(keys.Item(1).Command, ecSelUp);
  EXPECT_EQ(keys.Item(keys.FindShortcut2(32776, 0)).Command, ecUndo);  // Alt+Backspace
  EXPECT_EQ(keys.Item(keys.FindShortcut2(40968, 0)).Command, ecRedo);  // Shift+Alt+Backspace
  EXPECT_EQ(keys.Item(keys.FindShortcut2(16441, 0)).Command, ecGotoMarker9);
  EXPECT_EQ(keys.Item(keys.FindShortcut2(24624, 0)).Command, ecSetMarker0);
  for (int i = 0; i < keys.Count(); ++i) EXPECT_EQ(keys.Item(i).Key2, 0);
  keys.ResetDefaults(TmwKeyStrokes::kOrdersWindowRows);
  ASSERT_EQ(keys.Count(), 73);
  EXPECT_EQ(keys.FindKeycode(9, 0), -1);  // no Tab in the orders window
  EXPECT_EQ(keys.FindKeycode('B', ssShift | ssCtrl), -1);
}

TEST(KeyTableTest, DuplicateShortcutsAreRefused) {
  TmwKeyStrokes keys;
  keys.ResetDefaults();
  EXPECT_THROW(keys.AddKey(ecCopy, ShortCut('C', ssCtrl)), EmwKeyError);
  EXPECT_EQ(keys.Count(), 79);
  TmwKeyStroke& k = keys.Item(0);
  EXPECT_THROW(k.SetShortCut(ShortCut('A', ssCtrl)), EmwKeyError);
  EXPECT_EQ(k.GetShortCut(), 38);  // unchanged
  // The same first key with a second key is another binding.
  keys.AddKey(ecLineSelect, ShortCut('K', ssCtrl), ShortCut('L', 0));
  EXPECT_THROW(keys.AddKey(ecLineSelect, ShortCut('K', ssCtrl), ShortCut('L', 0)), EmwKeyError);
}

TEST(KeyDispatchTest, TwoKeyBindingsNeedAnUnboundFirstKeyFrom48To145) {
  TTestEdit edit("abc");
  edit.Keystrokes().AddKey(ecEditorBottom, ShortCut('Q', ssCtrl), ShortCut('B', 0));
  edit.Keystrokes().AddKey(ecLineEnd, ShortCut(27, 0), ShortCut('E', 0));  // Esc: outside 48..145
  edit.Keystrokes().AddKey(ecLineEnd, ShortCut('A', ssCtrl), ShortCut('E', 0));  // Ctrl+A is bound
  EXPECT_FALSE(edit.KeyDown('Q', ssCtrl));
  EXPECT_TRUE(edit.KeyDown('B', 0));
  EXPECT_EQ(edit.CaretX(), 4);
  edit.Caret(1, 1);
  EXPECT_FALSE(edit.KeyDown(27, 0));
  EXPECT_FALSE(edit.KeyDown('E', 0));
  EXPECT_EQ(edit.CaretX(), 1);
  EXPECT_TRUE(edit.KeyDown('A', ssCtrl));  // select all, not a pending first key
  EXPECT_FALSE(edit.KeyDown('E', 0));
}

TEST(KeyDispatchTest, CharacterAfterACommandKeyIsDropped) {
  TTestEdit edit("");
  EXPECT_TRUE(edit.KeyDown(13, 0));  // Enter
  edit.KeyPress(U'\r');
  EXPECT_FALSE(edit.KeyDown('A', 0));
  edit.KeyPress(U'a');
  EXPECT_EQ(Joined(edit), "|a");
}

TEST(KeyDispatchTest, TextOfAnyScriptAndInputMethodsIsTyped) {
  TTestEdit edit("");
  edit.KeyPress(U'ж');
  edit.InputMethodText(E("日本語"));
  edit.KeyPress(U'\t');  // a control character is ignored
  edit.KeyPress(0x85);
  EXPECT_EQ(Joined(edit), "ж日本語");
  EXPECT_EQ(edit.CaretX(), 5);
}

TEST(KeyDispatchTest, HooksChangeCancelAndReceiveUserCommands) {
  TTestEdit edit("abc");
  std::vector<TmwEditorCommand> user;
  int done = 0;
  edit.OnProcessCommand = [](TmwEditorCommand& c, TEditChar& ch, const TPoint*) {
    if (c == ecChar && ch == U'x') c = ecNone;
    if (c == ecChar && ch == U'y') ch = U'Y';
  };
  edit.OnProcessUserCommand = [&](TmwEditorCommand& c, TEditChar&, const TPoint*) {
    user.push_back(c);
  };
  edit.OnCommandDone = [&] { ++done; };
  edit.Type("xy");
  edit.Cmd(ecUserFirst + 5);
  EXPECT_EQ(Joined(edit), "Yabc");
  EXPECT_EQ(user, std::vector<TmwEditorCommand>{ecUserFirst + 5});
  EXPECT_EQ(done, 1);
}

TEST(KeyDispatchTest, ReadOnlyStopsEditsButNotMovesOrCopies) {
  TTestEdit edit("abc def");
  edit.SetReadOnly(true);
  for (TmwEditorCommand c : {ecDeleteChar, ecLineBreak, ecDeleteLine, ecPaste, ecTab}) edit.Cmd(c);
  edit.Cmd(ecChar, U'x');
  edit.Cmd(ecSelWordRight);
  edit.Cmd(ecCopy);
  edit.Cmd(ecCut);
  EXPECT_EQ(Joined(edit), "abc def");
  EXPECT_EQ(U8(*edit.Clip.Text), "abc ");
  EXPECT_EQ(edit.CaretX(), 5);
}

TEST(MoveTest, LeftAndRightWrapWithoutScrollPastEnd) {
  TTestEdit edit("ab\r\ncd", kOrdersOptions);
  edit.Caret(3, 1);
  edit.Cmd(ecRight);
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 2}));
  edit.Cmd(ecLeft);
  EXPECT_EQ(edit.CaretXY(), (TPoint{3, 1}));
  edit.Cmd(ecSelRight);
  edit.Cmd(ecSelRight);
  EXPECT_EQ(U8(edit.SelText()), "\r\nc");
  edit.Cmd(ecUp);  // a plain move collapses the block
  EXPECT_FALSE(edit.SelAvail());
}

TEST(MoveTest, WordMovesCrossLines) {
  TTestEdit edit("alpha  beta\r\n  gamma");
  edit.Cmd(ecWordRight);
  EXPECT_EQ(edit.CaretXY(), (TPoint{8, 1}));
  edit.Cmd(ecWordRight);  // in the last word: to the line's end
  EXPECT_EQ(edit.CaretXY(), (TPoint{12, 1}));
  edit.Cmd(ecWordRight);  // at the end: to the next line's first word
  EXPECT_EQ(edit.CaretXY(), (TPoint{3, 2}));
  edit.Cmd(ecWordLeft);  // nothing before it on the line: to the end of the line above
  EXPECT_EQ(edit.CaretXY(), (TPoint{12, 1}));
  edit.Cmd(ecWordLeft);
  EXPECT_EQ(edit.CaretXY(), (TPoint{8, 1}));
  edit.Cmd(ecDeleteLastWord);
  EXPECT_EQ(Joined(edit), "beta|  gamma");
}

TEST(MoveTest, MatchBracketCountsNesting) {
  TTestEdit edit("f(a[1], (b)\r\n  ) x");
  edit.Caret(2, 1);
  edit.Cmd(ecMatchBracket);
  EXPECT_EQ(edit.CaretXY(), (TPoint{3, 2}));
  edit.Cmd(ecMatchBracket);
  EXPECT_EQ(edit.CaretXY(), (TPoint{2, 1}));
  edit.Caret(4, 1);  // "[" without partner before the text ends... it has one
  edit.Cmd(ecMatchBracket);
  EXPECT_EQ(edit.CaretXY(), (TPoint{6, 1}));
  edit.Caret(1, 1);  // not a bracket
  edit.Cmd(ecMatchBracket);
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 1}));
}

struct TBreakCase {
  const char* Name;
  const char* Text;
  TPoint Caret;
  TmwEditorCommand Command;
  const char* Expected;
  TPoint CaretAfter;
};

// Test names and failure messages show the case name.
void PrintTo(const TBreakCase& c, std::ostream* os) {
  *os << c.Name;
}

class LineBreakTest : public ::testing::TestWithParam<TBreakCase> {};

TEST_P(LineBreakTest, SplitsAndIndents) {
  const TBreakCase& c = GetParam();
  TTestEdit edit(c.Text, kOrdersOptions);
  edit.Caret(c.Caret.X, c.Caret.Y);
  edit.Cmd(c.Command);
  EXPECT_EQ(Joined(edit), c.Expected);
  EXPECT_EQ(edit.CaretXY(), c.CaretAfter);
  // Undo joins the lines back, indentation included.
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), Joined(TTestEdit(c.Text)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineBreakTest,
    ::testing::Values(
        TBreakCase{"EndOfIndentedLine", "  abc", {6, 1}, ecLineBreak, "  abc|  ", {3, 2}},
        TBreakCase{"MiddleDropsTrailingBlank", "abc def", {5, 1}, ecLineBreak, "abc|def", {1, 2}},
        TBreakCase{"MiddleOfIndentedLine", "  abc def", {7, 1}, ecLineBreak, "  abc|  def", {3, 2}},
        TBreakCase{"ColumnOneMovesTheLine", "abc", {1, 1}, ecLineBreak, "|abc", {1, 2}},
        TBreakCase{"InsideIndentMovesTheLine", "    abc", {3, 1}, ecLineBreak, "|    abc", {3, 2}},
        TBreakCase{"EmptyLine", "x\r\n\r\ny", {1, 2}, ecLineBreak, "x|||y", {1, 3}},
        TBreakCase{"InsertLineKeepsCaret", "abc def", {5, 1}, ecInsertLine, "abc|def", {4, 1}}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(DeleteTest, BackspaceUnindentsToTheNearestSmallerIndent) {
  TTestEdit edit("a\r\n  b\r\n\r\n      c\r\n      d", kOrdersOptions);
  edit.Caret(7, 5);
  edit.Cmd(ecDeleteLastChar);
  // Line 4 has the same indentation; the empty line 3 counts as 0.
  EXPECT_EQ(Joined(edit), "a|  b||      c|d");
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 5}));
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "a|  b||      c|      d");
  edit.Cmd(ecDeleteLastChar);
  edit.Cmd(ecDeleteLastChar);  // column 1: joins with the line above
  EXPECT_EQ(Joined(edit), "a|  b||      cd");
  EXPECT_EQ(edit.CaretXY(), (TPoint{8, 4}));
}

TEST(DeleteTest, DeleteCharJoinsLinesPaddingTheCaretLine) {
  TTestEdit edit("ab\r\ncd");
  edit.Caret(5, 1);
  edit.Cmd(ecDeleteChar);
  EXPECT_EQ(Joined(edit), "ab  cd");
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "ab|cd");
}

TEST(DeleteTest, DeleteLineEmptiesTheLastRemainingLine) {
  TTestEdit edit("one\r\ntwo");
  edit.Caret(2, 2);
  edit.Cmd(ecDeleteLine);
  EXPECT_EQ(Joined(edit), "one");
  edit.Cmd(ecDeleteLine);
  EXPECT_EQ(Joined(edit), "");
  EXPECT_EQ(edit.LineCount(), 1);
  // Deleting the last line of several used to leave an extra empty line after undo.
  edit.Cmd(ecUndo);
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "one|two");
}

TEST(DeleteTest, WordAndLinePartsDelete) {
  TTestEdit edit("alpha beta gamma");
  edit.Caret(7, 1);
  edit.Cmd(ecDeleteWord);
  EXPECT_EQ(Joined(edit), "alpha gamma");
  edit.Cmd(ecDeleteBOL);
  EXPECT_EQ(Joined(edit), "gamma");
  edit.Caret(3, 1);
  edit.Cmd(ecDeleteEOL);
  EXPECT_EQ(Joined(edit), "ga");
}

TEST(TypingTest, InsertOverwriteAndTrailingBlanks) {
  TTestEdit edit("abc");
  edit.Caret(2, 1);
  edit.Cmd(ecToggleMode);
  edit.Type("XY");
  EXPECT_EQ(Joined(edit), "aXY");
  edit.Type("Z");  // overwrite past the end extends the line
  EXPECT_EQ(Joined(edit), "aXYZ");
  edit.Cmd(ecInsertMode);
  edit.Type(" ");
  EXPECT_EQ(Joined(edit), "aXYZ");  // no trailing blank is kept
  edit.Caret(9, 1);                 // far right of the text
  edit.Type("!");
  EXPECT_EQ(Joined(edit), "aXYZ    !");
}

TEST(TypingTest, TypingPastTheWindowScrollsAhead) {
  TTestEdit edit("");
  edit.SetWindowSize(10, 5);
  edit.Type("0123456789");
  EXPECT_EQ(edit.LeftChar(), 10);
}

TEST(TabTest, SmartTabAlignsWithTheWordsAbove) {
  TTestEdit edit("move  12  planet\r\n\r\n");
  edit.Caret(1, 2);
  edit.Cmd(ecTab);
  EXPECT_EQ(edit.CaretX(), 7);
  edit.Type("x");
  edit.Cmd(ecTab);
  EXPECT_EQ(edit.CaretX(), 11);
  edit.Type("y");
  EXPECT_EQ(Joined(edit), "move  12  planet|      x   y");
  // Past the line above: the plain tab stops.
  edit.SetTabWidth(8);
  edit.Caret(20, 2);
  edit.Cmd(ecTab);
  EXPECT_EQ(edit.CaretX(), 25);
  // A tab width of 0 inserts nothing rather than dividing by zero.
  edit.SetTabWidth(0);
  edit.SetOptions(kOrdersOptions.With(mweoSmartTabs, false));
  edit.Caret(1, 1);
  edit.Cmd(ecTab);
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 1}));
}

TEST(BlockIndentTest, IndentAndUnindentWithUndo) {
  TTestEdit edit("a\r\n  b\r\nc");
  edit.SetTabWidth(2);
  edit.SetCaretAndSelect({1, 1}, {1, 3});  // ends at column 1: line 3 stays
  edit.Cmd(ecBlockIndent);
  EXPECT_EQ(Joined(edit), "  a|    b|c");
  EXPECT_EQ(edit.BlockBegin(), (TPoint{3, 1}));
  EXPECT_EQ(edit.BlockEnd(), (TPoint{1, 3}));
  edit.Cmd(ecBlockUnindent);
  edit.Cmd(ecBlockUnindent);
  EXPECT_EQ(Joined(edit), "a|b|c");
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "a|  b|c");
  edit.Cmd(ecUndo);
  edit.Cmd(ecUndo);
  EXPECT_EQ(Joined(edit), "a|  b|c");
  edit.Cmd(ecRedo);
  EXPECT_EQ(Joined(edit), "  a|    b|c");
}

TEST(BookmarkKeyTest, SetToggleAndGo) {
  TTestEdit edit("a\r\nb\r\nc");
  edit.Caret(2, 2);
  edit.Cmd(ecSetMarker0 + 3);
  edit.Caret(1, 3);
  edit.Cmd(ecGotoMarker0 + 3);
  EXPECT_EQ(edit.CaretXY(), (TPoint{2, 2}));
  edit.Cmd(ecSetMarker0 + 3);  // same line: removed
  int x = 0;
  int y = 0;
  EXPECT_FALSE(edit.GetBookMark(3, x, y));
  edit.BookMarkEnableKeys = false;
  edit.Cmd(ecSetMarker0 + 3);
  EXPECT_FALSE(edit.GetBookMark(3, x, y));
}

}  // namespace
}  // namespace tovix::test

// What the editor's widget computes before drawing: line numbers and the gutter's width, tabs
// on screen, the selected display columns, clicks to columns, double-click words and the wheel.

#include <gtest/gtest.h>

#include "editor_test_helpers.h"
#include "editors/edit_view.h"

namespace tovix::test {
namespace {

TEST(EditViewTest, GutterNumbersAndWidth) {
  TmwGutter g;
  int changes = 0;
  g.OnChange = [&] { ++changes; };
  g.SetLeadingZeros(true);
  EXPECT_EQ(g.FormatLineNumber(7, 100), "0007");
  g.SetZeroStart(true);
  EXPECT_EQ(g.FormatLineNumber(7, 100), "0006");
  g.SetLeadingZeros(false);
  EXPECT_EQ(g.FormatLineNumber(7, 100), "   6");
  EXPECT_EQ(changes, 3);
  g.SetDigitCount(1);
  EXPECT_EQ(g.DigitCount(), 2);
  g.SetDigitCount(4);
  // The width: Width without numbers; offsets, digits and 2 with them; 0 hidden.
  EXPECT_EQ(g.RealGutterWidth(10000, 8), 30);
  g.SetShowLineNumbers(true);
  EXPECT_EQ(g.RealGutterWidth(10000, 8), 16 + 2 + 4 * 8 + 2);
  g.SetAutoSize(true);
  EXPECT_EQ(g.DigitsInUse(9999), 4);
  EXPECT_EQ(g.DigitsInUse(10000), 5);
  EXPECT_EQ(g.RealGutterWidth(10000, 8), 16 + 2 + 5 * 8 + 2);
  g.SetVisible(false);
  EXPECT_EQ(g.RealGutterWidth(10000, 8), 0);
  // Assign copies everything, keeps the target's own handler and notifies once.
  TmwGutter copy;
  int copied = 0;
  copy.OnChange = [&] { ++copied; };
  copy.Assign(g);
  EXPECT_EQ(copied, 1);
  EXPECT_FALSE(copy.Visible());
  EXPECT_TRUE(copy.AutoSize());
  EXPECT_EQ(changes, 8);
}

TEST(EditViewTest, TabsExpandToTheNextStop) {
  std::vector<int> starts;
  EXPECT_EQ(U8(ExpandTabs(E("ab\tc"), 8, &starts)), "ab      c");
  EXPECT_EQ(starts, (std::vector<int>{0, 1, 2, 8, 9}));
  EXPECT_EQ(U8(ExpandTabs(E("\t\tx"), 3)), "      x");
  EXPECT_EQ(U8(ExpandTabs(E("a\tb"), 1)), "a b");
  EXPECT_EQ(U8(ExpandTabs(E("a\tb"), 0)), "a b");
  // The same columns as the editor's own mapping, for any width.
  TTestEdit edit("x\tyz\t\tw");
  for (int width : {0, 1, 2, 3, 4, 8}) {
    edit.SetTabWidth(width);
    ExpandTabs(edit.Lines().Get(0), width, &starts);
    for (int x = 1; x <= 8; ++x)
      EXPECT_EQ(starts[static_cast<size_t>(x - 1)] + 1, edit.CharToDisplayColumn(1, x))
          << width << " " << x;
  }
}

TEST(EditViewTest, SelectionInDisplayColumns) {
  TTestEdit edit("a\tbc\r\nxyz\r\n\tq");
  edit.SetCaretAndSelect({3, 1}, {2, 3});
  TLineSelection s = SelectionOnLine(edit, 1);
  EXPECT_EQ(s.First, 9);  // behind the tab
  EXPECT_TRUE(s.ToRowEnd);
  s = SelectionOnLine(edit, 3);
  EXPECT_EQ(s.First, 1);
  EXPECT_EQ(s.Last, 9);
  EXPECT_FALSE(s.ToRowEnd);
  EXPECT_FALSE(SelectionOnLine(edit, 4).Any());
  // Column mode: the same characters on each line, ordered left to right.
  edit.SetSelectionMode(smColumn);
  edit.SetCaretAndSelect({4, 3}, {2, 1});
  s = SelectionOnLine(edit, 2);
  EXPECT_EQ(s.First, 2);
  EXPECT_EQ(s.Last, 4);
  s = SelectionOnLine(edit, 1);
  EXPECT_EQ(s.First, 2);
  EXPECT_EQ(s.Last, 10);
  edit.SetSelectionMode(smLine);
  EXPECT_TRUE(SelectionOnLine(edit, 2).ToRowEnd);
}

TEST(EditViewTest, ClicksRoundToTheNearestCellEdge) {
  const TEditString line = E("ab\tc");
  EXPECT_EQ(CellsToCharColumn(line, 8, 0.0), 1);
  EXPECT_EQ(CellsToCharColumn(line, 8, 0.49), 1);
  EXPECT_EQ(CellsToCharColumn(line, 8, 0.51), 2);  // right half of "a"
  EXPECT_EQ(CellsToCharColumn(line, 8, 4.9), 3);   // left half of the tab's six cells
  EXPECT_EQ(CellsToCharColumn(line, 8, 5.1), 4);   // right half: behind the tab
  EXPECT_EQ(CellsToCharColumn(line, 8, 8.6), 5);   // right half of "c"
  EXPECT_EQ(CellsToCharColumn(line, 8, 12.2), 8);  // beyond the end, one column per cell
}

TEST(EditViewTest, DoubleClickWords) {
  TTestEdit edit("  s 12 Alpha_1;  ");
  TPoint b, e;
  // Without a highlighter every character above the blank is a word character.
  ASSERT_TRUE(WordAt(edit, {10, 1}, b, e));
  EXPECT_EQ(b, (TPoint{8, 1}));
  EXPECT_EQ(e, (TPoint{16, 1}));
  // Right of a word, in blanks, the word to the left is taken.
  ASSERT_TRUE(WordAt(edit, {17, 1}, b, e));
  EXPECT_EQ(b, (TPoint{8, 1}));
  EXPECT_EQ(e, (TPoint{16, 1}));
  // In the leading blanks the next word to the right is taken.
  ASSERT_TRUE(WordAt(edit, {1, 1}, b, e));
  EXPECT_EQ(b, (TPoint{3, 1}));
  EXPECT_EQ(e, (TPoint{4, 1}));
  TTestEdit blank("   ");
  EXPECT_FALSE(WordAt(blank, {2, 1}, b, e));
  EXPECT_FALSE(WordAt(blank, {2, 5}, b, e));
}

TEST(EditViewTest, WheelNotchesAndCaretShapes) {
  TWheelAccumulator wheel;
  std::vector<int> notches;
  for (int i = 0; i < 6; ++i) notches.push_back(wheel.Add(40));
  EXPECT_EQ(notches, (std::vector<int>{0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(wheel.Add(-250), -2);
  EXPECT_EQ(wheel.Add(-10), 0);
  EXPECT_EQ(wheel.Add(-120), -1);
  EXPECT_EQ(WheelLinesPerNotch(false, true, 30), 3);
  EXPECT_EQ(WheelLinesPerNotch(true, false, 30), 30);
  EXPECT_EQ(WheelLinesPerNotch(true, true, 30), 15);
  const TCaretRect half = CaretShape(ctHalfBlock, 8, 17);
  EXPECT_EQ(half.Y, 7);
  EXPECT_EQ(half.Height, 7);
  const TCaretRect bar = CaretShape(ctVerticalLine, 8, 17);
  EXPECT_EQ(bar.X, -1);
  EXPECT_EQ(bar.Height, 15);
}

}  // namespace
}  // namespace tovix::test

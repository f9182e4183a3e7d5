// The text editor control offscreen: clicks, selections, drag and drop, the wheel, gutter
// clicks, the scroll bars and what is painted.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QMouseEvent>
#include <QPdfWriter>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <string>
#include <vector>

#include "editor_test_helpers.h"
#include "editors/order_highlighter.h"
#include "editors/text_editor.h"
#include "support/show_window.h"
#include "support/test_paths.h"

namespace tovix::test {
namespace {

class TextEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.resize(480, 320);
    ASSERT_TRUE(ShowExposed(editor));
    editor.UpdateMetrics();
    cw = editor.CharWidth();
    lh = editor.LineHeight();
  }
  void SetText(std::string_view utf8) {
    editor.SetText(E(utf8));
    editor.SetCaretXY({1, 1});
    editor.SetBlockBegin({1, 1});
  }
  // A point `cells` character cells right of column 1 on line `line` (1-based, TopLine 1).
  QPoint At(double cells, int line) {
    return {editor.TextOffset() + static_cast<int>(cells * cw),
            (line - editor.TopLine()) * lh + lh / 2};
  }
  QWidget* View() { return editor.viewport(); }
  void Move(QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseMove, pos, View()->mapToGlobal(pos), Qt::NoButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(View(), &e);
  }
  void Drop(QPoint pos, Qt::KeyboardModifiers modifiers) {
    TEditorDragData data(&editor);
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(View(), &enter);
    QDropEvent e(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(View(), &e);
  }
  void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent e(QPointF(50, 50), View()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View(), &e);
  }

  TTextEditor editor;
  int cw = 0;
  int lh = 0;
};

TEST_F(TextEditorTest, ClicksPlaceTheCaretAtTheNearestCellEdge) {
  SetText("abc\r\n\tx\r\nlast");
  QTest::mouseClick(View(), Qt::LeftButton, {}, At(1.75, 1));
  EXPECT_EQ(editor.CaretXY(), (TPoint{3, 1}));  // right half of "b": after it
  QTest::mouseClick(View(), Qt::LeftButton, {}, At(1.25, 1));
  EXPECT_EQ(editor.CaretXY(), (TPoint{2, 1}));
  // A tab fills eight cells: its right half puts the caret behind it.
  QTest::mouseClick(View(), Qt::LeftButton, {}, At(3.2, 2));
  EXPECT_EQ(editor.CaretXY(), (TPoint{1, 2}));
  QTest::mouseClick(View(), Qt::LeftButton, {}, At(5.2, 2));
  EXPECT_EQ(editor.CaretXY(), (TPoint{2, 2}));
  QTest::mouseClick(View(), Qt::LeftButton, {}, At(8.7, 2));
  EXPECT_EQ(editor.CaretXY(), (TPoint{3, 2}));
  // Below the text: the last line.
  QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(At(2.2, 1).x(), 10 * lh));
  EXPECT_EQ(editor.CaretXY(), (TPoint{3, 3}));
  // The caret and the click agree after horizontal scrolling too.
  editor.SetLeftChar(3);
  QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(editor.GutterWidth() + 2 + cw / 4, lh / 2));
  EXPECT_EQ(editor.CaretXY(), (TPoint{3, 1}));
}

TEST_F(TextEditorTest, ShiftClickExtendsAndDoubleClickSelectsAWord) {
  SetText("s 12 Alpha\r\nsecond line");
  QTest::mouseClick(View(), Qt::LeftButton, {}, At(2, 1));
  QTest::mouseClick(View(), Qt::LeftButton, Qt::ShiftModifier, At(3, 2));
  EXPECT_EQ(U8(editor.SelText()), "12 Alpha\r\nsec");
  QTest::mouseClick(View(), Qt::LeftButton, Qt::ShiftModifier, At(1, 1));
  EXPECT_EQ(U8(editor.SelText()), " ");
  QTest::mouseDClick(View(), Qt::LeftButton, {}, At(7.2, 1));
  EXPECT_EQ(U8(editor.SelText()), "Alpha");
  EXPECT_EQ(editor.CaretXY(), (TPoint{11, 1}));
  // Dragging with the button held selects from the press to the mouse.
  QTest::mousePress(View(), Qt::LeftButton, {}, At(0, 2));
  Move(At(6, 2));
  QTest::mouseRelease(View(), Qt::LeftButton, {}, At(6, 2));
  EXPECT_EQ(U8(editor.SelText()), "second");
}

TEST_F(TextEditorTest, DragMovesOrCopiesTheBlockAndUndoesInOneStep) {
  SetText("s 12 Alpha\r\nsend here\r\nend");
  const std::string original = Joined(editor);
  editor.SetCaretXY({11, 1});
  editor.SetBlockBegin({6, 1});
  editor.SetBlockEnd({11, 1});
  QTest::mousePress(View(), Qt::LeftButton, {}, At(7, 1));
  EXPECT_EQ(U8(editor.SelText()), "Alpha");  // a press inside keeps the selection
  Drop(At(4, 2), Qt::NoModifier);
  EXPECT_EQ(Joined(editor), "s 12|sendAlpha here|end");  // trailing blanks are trimmed
  editor.Undo();
  EXPECT_EQ(Joined(editor), original);

  // With Ctrl the block is copied.
  editor.SetCaretXY({11, 1});
  editor.SetBlockBegin({6, 1});
  editor.SetBlockEnd({11, 1});
  Drop(At(3, 3), Qt::ControlModifier);
  EXPECT_EQ(Joined(editor), "s 12 Alpha|send here|endAlpha");
}

TEST_F(TextEditorTest, DroppingABlockOntoItselfChangesNothing) {
  SetText("aaaa\r\nbbbb bbbb" + std::string(200, 'b') + "\r\ncccc");
  editor.SetCaretXY({3, 3});
  editor.SetBlockBegin({3, 1});
  editor.SetBlockEnd({3, 3});
  const std::string original = Joined(editor);
  for (QPoint p : {At(2.6, 1), At(0, 2), At(9, 2), At(2.2, 3)}) {
    Drop(p, Qt::NoModifier);
    EXPECT_EQ(Joined(editor), original);
    EXPECT_FALSE(editor.CanUndo());
  }
  // Far right on the long middle line, a column wider than the window: still inside.
  editor.SetLeftChar(150);
  Drop(QPoint(editor.TextOffset() + 170 * cw, lh + lh / 2), Qt::NoModifier);
  EXPECT_EQ(Joined(editor), original);
  editor.SetLeftChar(1);
  // A press inside the selection released without moving collapses it at the click.
  QTest::mousePress(View(), Qt::LeftButton, {}, At(4, 2));
  EXPECT_TRUE(editor.SelAvail());
  QTest::mouseRelease(View(), Qt::LeftButton, {}, At(4, 2));
  EXPECT_FALSE(editor.SelAvail());
  EXPECT_EQ(editor.CaretXY(), (TPoint{5, 2}));
}

TEST_F(TextEditorTest, WheelAndScrollBars) {
  std::string text;
  for (int i = 1; i <= 200; ++i) text += "line " + std::to_string(i) + "\r\n";
  SetText(text);
  editor.SetTopLine(20);
  EXPECT_EQ(editor.verticalScrollBar()->value(), 20);
  Wheel(120);
  EXPECT_EQ(editor.TopLine(), 17);
  Wheel(-240);
  EXPECT_EQ(editor.TopLine(), 23);
  Wheel(40);
  Wheel(40);
  EXPECT_EQ(editor.TopLine(), 23);
  Wheel(40);
  EXPECT_EQ(editor.TopLine(), 20);
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(editor.TopLine(), 20 + editor.LinesInWindow());
  EXPECT_EQ(editor.verticalScrollBar()->value(), editor.TopLine());
  // The scroll bar moves the text; the wheel stops at the last line.
  editor.verticalScrollBar()->setValue(50);
  EXPECT_EQ(editor.TopLine(), 50);
  for (int i = 0; i < 100; ++i) Wheel(-120);
  EXPECT_EQ(editor.TopLine(), editor.LineCount());
  EXPECT_EQ(editor.verticalScrollBar()->maximum(), editor.LineCount());
}

TEST_F(TextEditorTest, SelectingBelowTheWindowScrolls) {
  std::string text;
  for (int i = 1; i <= 100; ++i) text += "row " + std::to_string(i) + "\r\n";
  SetText(text);
  QTest::mousePress(View(), Qt::LeftButton, {}, At(0, 1));
  const int bottom = View()->height();
  Move(QPoint(At(2, 1).x(), bottom + 3));  // 4 pixels out: one line per step
  EXPECT_EQ(editor.TopLine(), 2);
  editor.AutoScrollStep();
  EXPECT_EQ(editor.TopLine(), 3);
  EXPECT_EQ(editor.BlockEnd().Y, editor.TopLine() + editor.LinesInWindow() - 1);
  Move(QPoint(At(2, 1).x(), bottom + 60));  // far out: a page per step
  EXPECT_EQ(editor.TopLine(), 3 + editor.LinesInWindow());
  QTest::mouseRelease(View(), Qt::LeftButton, {}, QPoint(At(2, 1).x(), bottom + 60));
  EXPECT_FALSE(editor.Selecting());
  editor.AutoScrollStep();
  EXPECT_EQ(editor.TopLine(), 3 + editor.LinesInWindow());
  EXPECT_EQ(editor.BlockBegin(), (TPoint{1, 1}));
}

// The bookmark options: each change fires OnChange once (the editor repaints its gutter), the
// keys follow EnableKeys; marks placed while images are set take their glyphs from them, the
// others keep the built-in glyphs, and an index beyond the images draws nothing.
TEST_F(TextEditorTest, BookmarkOptionsAndImages) {
  SetText("one\r\ntwo\r\nthree\r\nfour");
  TmwBookMarkOpt& options = editor.BookMarkOptions();
  int changes = 0;
  QObject::connect(&options, &TmwBookMarkOpt::OnChange, [&] { ++changes; });
  options.SetXoffset(14);
  options.SetXoffset(14);
  options.SetEnableKeys(false);
  EXPECT_FALSE(editor.BookMarkEnableKeys);
  options.SetEnableKeys(true);
  EXPECT_EQ(changes, 3);

  editor.SetBookMark(1, 1, 1);  // built-in glyph
  TImageList images(10, 10);
  QImage red(20, 10, QImage::Format_RGB32);
  red.fill(QColor(255, 0, 0));
  options.SetBookmarkImages(&images);
  EXPECT_EQ(changes, 4);
  images.Add(red);  // two red images
  EXPECT_EQ(changes, 5) << "a change of the images repaints too";
  editor.SetBookMark(0, 1, 2);  // image 0 of the list
  editor.SetBookMark(7, 1, 3);  // beyond the list: nothing drawn
  int x = 0;
  int y = 0;
  ASSERT_TRUE(editor.GetBookMark(7, x, y));

  const QImage img = View()->grab().toImage();
  const auto at = [&](int line) {
    return QColor(img.pixel(options.LeftMargin() + 4, (line - 1) * lh + lh / 2));
  };
  EXPECT_NE(at(1), QColor(255, 0, 0));
  EXPECT_NE(at(1), at(4)) << "the built-in glyph is drawn";
  EXPECT_EQ(at(2), QColor(255, 0, 0));
  EXPECT_EQ(at(3), at(4)) << "the gutter's own colour";
  for (const auto& mark : editor.Marks())
    EXPECT_EQ(mark->InternalImage(), mark->BookmarkNumber() == 1) << mark->BookmarkNumber();
}

// Without its border the text area takes the frame's room; with it the frame comes back.
TEST_F(TextEditorTest, BorderStyle) {
  EXPECT_EQ(editor.BorderStyle(), bsSingle);
  const int frame = editor.frameWidth();
  const QSize framed = View()->size();
  ASSERT_GT(frame, 0);
  editor.SetBorderStyle(bsNone);
  EXPECT_EQ(editor.frameWidth(), 0);
  EXPECT_EQ(View()->size(), framed + QSize(2 * frame, 2 * frame));
  editor.SetBorderStyle(bsSingle);
  EXPECT_EQ(View()->size(), framed);
}

// Printing to a PDF: every line reaches the pages; OnPrintStatus tells the begin, each new page
// and the end, and an abort stops before the next page.
TEST_F(TextEditorTest, PrintsEveryLineAndReportsItsPages) {
  std::string text;
  for (int i = 1; i <= 150; ++i)
    text += "S " + std::to_string(i) + " Planet" + std::to_string(i) + "\r\n";
  SetText(text + "\tlast line");
  auto highlighter = MakeOrdersWindowHighlighter();
  editor.SetHighLighter(highlighter.get());
  TempDir dir;
  const QString pdf = QString::fromStdString((dir / "orders.pdf").string());
  std::vector<std::pair<TmwPrintStatus, int>> seen;
  int abortAt = 0;  // the page whose psNewPage aborts; 0: none
  editor.OnPrintStatus = [&](TmwPrintStatus status, int page, bool& abort) {
    seen.emplace_back(status, page);
    abort = status == psNewPage && page == abortAt;
  };
  int pages = 0;
  {
    QPdfWriter writer(pdf);
    pages = editor.Print(writer);
  }
  ASSERT_GE(pages, 2);
  ASSERT_EQ(seen.size(), static_cast<size_t>(pages + 1));
  EXPECT_EQ(seen.front(), std::make_pair(psBegin, 1));
  for (int page = 2; page <= pages; ++page)
    EXPECT_EQ(seen[static_cast<size_t>(page - 1)], std::make_pair(psNewPage, page));
  EXPECT_EQ(seen.back(), std::make_pair(psEnd, pages));
  QProcess process;
  process.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(process.waitForFinished(60000));
  const QString printed = QString::fromUtf8(process.readAllStandardOutput());
  for (const char* line : {"S 1 Planet1", "S 75 Planet75", "S 150 Planet150", "last line"})
    EXPECT_TRUE(printed.contains(line)) << line;

  seen.clear();
  abortAt = 2;
  {
    QPdfWriter writer(pdf);
    EXPECT_EQ(editor.Print(writer), 1);
  }
  EXPECT_EQ(seen.back(), std::make_pair(psEnd, 1));
  editor.SetHighLighter(nullptr);
}

TEST_F(TextEditorTest, GutterClickReportsLineAndMark) {
  SetText("one\r\ntwo\r\nthree");
  editor.SetBookMark(3, 1, 2);
  int line = 0;
  TMark* mark = nullptr;
  int calls = 0;
  editor.OnGutterClick = [&](int, int, int l, TMark* m) {
    ++calls;
    line = l;
    mark = m;
  };
  const int y2 = lh + lh / 2;
  QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(5, y2));
  EXPECT_EQ(line, 2);
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->BookmarkNumber(), 3);
  QTest::mouseClick(
      View(), Qt::LeftButton, {},
      QPoint(editor.BookMarkOptions().LeftMargin() + editor.BookMarkOptions().Xoffset() + 2, y2));
  EXPECT_EQ(mark, nullptr);
  QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(5, lh / 2));
  EXPECT_EQ(line, 1);
  EXPECT_EQ(mark, nullptr);
  QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(5, 8 * lh));  // beyond the last line
  EXPECT_EQ(calls, 3);
}

TEST_F(TextEditorTest, PaintsSelectionRightEdgeAndTokenColours) {
  auto h = MakeOrdersWindowHighlighter();
  editor.SetHighLighter(h.get());
  SetText("@ Cygnians\r\nhello there\r\n@\r\ns 12 Alpha");
  editor.SetRightEdge(10);
  editor.SetSelectedColor({0x0000FF, 0xFFFFFF});  // red block
  editor.SetCaretXY({4, 4});
  editor.SetBlockBegin({1, 4});
  editor.SetBlockEnd({4, 4});
  auto pixel = [&](const QImage& img, QPoint p) { return QColor(img.pixel(p)); };
  const QPoint selected = At(1.5, 4) + QPoint(0, -lh / 2 + 1);
  editor.SetHideSelection(false);
  QImage img = View()->grab().toImage();
  EXPECT_EQ(pixel(img, selected), QColor(255, 0, 0));
  // The right edge line at column 10.
  const int edgeX = 10 * cw + editor.TextOffset();
  EXPECT_EQ(pixel(img, QPoint(edgeX, 3 * lh + 1)), QColor(0xC0, 0xC0, 0xC0));
  // Message text is green somewhere on line 2.
  bool green = false;
  for (int x = editor.TextOffset(); x < editor.TextOffset() + 11 * cw; ++x)
    for (int y = lh; y < 2 * lh; ++y)
      green = green || pixel(img, QPoint(x, y)) == QColor(0, 128, 0);
  EXPECT_TRUE(green);
  // A special line is painted whole in its own colours, right of the text too.
  editor.OnSpecialLineColors = [](int line, bool& special, TColor& fg, TColor& bg) {
    special = line == 3;
    fg = 0xFFFFFF;
    bg = 0x800000;  // navy
  };
  img = View()->grab().toImage();
  EXPECT_EQ(pixel(img, QPoint(editor.TextOffset() + 30 * cw, 2 * lh + 1)), QColor(0, 0, 128));
  EXPECT_NE(pixel(img, QPoint(editor.TextOffset() + 30 * cw, 1 * lh + 1)), QColor(0, 0, 128));
  editor.OnSpecialLineColors = nullptr;
  // Unfocused with HideSelection: no selection colour.
  editor.clearFocus();
  editor.SetHideSelection(true);
  img = View()->grab().toImage();
  EXPECT_NE(pixel(img, selected), QColor(255, 0, 0));
  editor.SetHighLighter(nullptr);
}

// Every change that leaves fewer lines repaints the rows the lost lines stood in: the screen (the
// window's backing store as last flushed, not a fresh paint) shows the text's lines and nothing
// below them, and the scroll range ends at the last line. Regression: after an undo of a
// whole-text replacement the rows below the restored lines kept the replacement's last lines.
TEST_F(TextEditorTest, RowsOfLinesAChangeRemovedAreRepainted) {
  const std::string five = "#GALAXY Terra Humans\r\ns 1 Alpha\r\ns 2 Beta\r\ns 3 Gamma\r\nx 4";
  const std::string seven = five + "\r\n; setup\r\n#END";
  struct Case {
    const char* name;
    std::string start;
    std::function<void()> before, change;  // `before` is shown before the change
    int lines;
  };
  const std::vector<Case> cases = {
      {"undo of a whole-text replacement", five, [&] { editor.ReplaceAllText(E(seven)); },
       [&] { editor.Undo(); }, 5},
      {"redo of a whole-text replacement", seven,
       [&] {
         editor.ReplaceAllText(E(five));
         editor.Undo();
       },
       [&] { editor.Redo(); }, 5},
      {"a line block deleted", seven, [] {},
       [&] {
         editor.SetSelectionMode(smLine);
         editor.SetBlockBegin({1, 2});
         editor.SetBlockEnd({1, 6});
         editor.CommandProcessor(ecDeleteChar, 0, nullptr);
         editor.SetSelectionMode(smNormal);
       },
       2},
  };
  // Waits until the first `inked` rows show text and the `blank` rows below show background.
  const auto shows = [&](int inked, int blank) {
    return QTest::qWaitFor(
        [&] {
          const QPoint at = View()->mapTo(&editor, QPoint(0, 0));
          const QImage shown =
              editor.screen()->grabWindow(editor.winId(), at.x(), at.y(), 400, 10 * lh).toImage();
          const QRgb background = shown.pixel(399, 10 * lh - 1);
          for (int row = 0; row < inked + blank; ++row) {
            bool ink = false;
            for (int y = row * lh; y < (row + 1) * lh && !ink; ++y)
              for (int x = editor.TextOffset(); x < 399 && !ink; ++x)
                ink = shown.pixel(x, y) != background;
            if (ink != (row < inked)) return false;
          }
          return true;
        },
        30000);
  };
  editor.clearFocus();  // no caret in the rows
  for (const Case& c : cases) {
    SetText(c.start);
    c.before();
    const int before = editor.LineCount();
    ASSERT_TRUE(shows(before, 1)) << c.name << ": the text before the change";
    c.change();
    EXPECT_EQ(editor.LineCount(), c.lines) << c.name;
    EXPECT_EQ(editor.verticalScrollBar()->maximum(), c.lines) << c.name;
    EXPECT_TRUE(shows(c.lines, before - c.lines)) << c.name;
  }
}

TEST_F(TextEditorTest, KeysReachTheCommands) {
  SetText("abc");
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_End);
  QTest::keyClicks(&editor, "de");
  EXPECT_EQ(Joined(editor), "abcde");
  QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(U8(editor.SelText()), "de");
  QTest::keyClick(&editor, Qt::Key_X);  // typing replaces the selection
  QTest::keyClick(&editor, Qt::Key_Return);
  EXPECT_EQ(Joined(editor), "abcx|");
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Joined(editor), "abcx");
}

// A key with Ctrl is a shortcut of the window first, so a menu's Ctrl+N is not lost to the
// editor's own Ctrl+N; keys without modifiers stay the editor's even when an action has them.
TEST_F(TextEditorTest, CtrlKeysAreTheWindowsShortcutsFirst) {
  SetText("abc");
  ASSERT_TRUE(ShowActive(editor));
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(Joined(editor), "|abc") << "without a shortcut the key table inserts a line";
  SetText("abc");
  int found = 0, ended = 0;
  QAction find, end;
  find.setShortcut(QKeySequence("Ctrl+N"));
  end.setShortcut(QKeySequence(Qt::Key_End));
  for (QAction* a : {&find, &end}) {
    a->setShortcutContext(Qt::WidgetShortcut);
    editor.addAction(a);
  }
  QObject::connect(&find, &QAction::triggered, [&found] { ++found; });
  QObject::connect(&end, &QAction::triggered, [&ended] { ++ended; });
  QTest::keyClick(&editor, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(Joined(editor), "abc");
  QTest::keyClick(&editor, Qt::Key_End);
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(editor.CaretX(), 4);
}

// The key the table looks up is what the keyboard means. Under X11 and Wayland the scan codes
// are xkb keycodes: Shift+Ctrl+1 arrives as "!" on keycode 10 and must still find the digit.
struct KeyRow {
  std::string name;
  int qtKey;
  uint32_t scanCode;
  bool xkb;
  uint16_t key;
};

class KeyTableKeyTest : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeyTableKeyTest, FindsWhatTheKeyboardMeans) {
  const KeyRow& row = GetParam();
  EXPECT_EQ(KeyTableKey(row.qtKey, row.scanCode, row.xkb), row.key);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyTableKeyTest,
    ::testing::Values(KeyRow{"ShiftOneIsOne", Qt::Key_Exclam, 10, true, '1'},
                      KeyRow{"ShiftZeroIsZero", Qt::Key_ParenRight, 19, true, '0'},
                      KeyRow{"AzertyDigitRowIsItsDigits", Qt::Key_Ampersand, 10, true, '1'},
                      KeyRow{"PunctuationStaysItself", Qt::Key_Semicolon, 47, true, 0xBA},
                      KeyRow{"AzertyLettersAreTheLayouts", Qt::Key_A, 24, true, 'A'},
                      KeyRow{"CyrillicLetterIsTheLetterOfItsPlace", 0x0421, 54, true, 'C'},
                      KeyRow{"KeypadDigitIsItsDigit", Qt::Key_1, 87, true, '1'},
                      KeyRow{"ArrowsKeepTheirKeys", Qt::Key_Left, 113, true, 37},
                      KeyRow{"WithoutKeycodesTheQtKey", Qt::Key_Exclam, 10, false, 0},
                      KeyRow{"WithoutKeycodesADigit", Qt::Key_1, 0, false, '1'}),
    [](const auto& row) { return row.param.name; });

// Under X11 and Wayland AltGr is a level of its own (GroupSwitch, or no modifier at all), so an
// unbound Ctrl+Alt chord (Ctrl+Alt+; once left ";" in the orders) types nothing there; where
// AltGr arrives as Ctrl+Alt, that pair types.
TEST(TypesCharactersTest, CtrlOrAltTypeNothingAltGrTypesOnEveryPlatform) {
  struct Row {
    Qt::KeyboardModifiers modifiers;
    bool typesWhereAltGrIsCtrlAlt;
    bool typesUnderXkb;
  };
  const Row rows[] = {{Qt::NoModifier, true, true},
                      {Qt::ShiftModifier, true, true},
                      {Qt::KeypadModifier, true, true},
                      {Qt::GroupSwitchModifier, true, true},
                      {Qt::GroupSwitchModifier | Qt::ShiftModifier, true, true},
                      {Qt::ControlModifier | Qt::AltModifier, true, false},
                      {Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, true, false},
                      {Qt::ControlModifier, false, false},
                      {Qt::ControlModifier | Qt::ShiftModifier, false, false},
                      {Qt::AltModifier, false, false},
                      {Qt::AltModifier | Qt::ShiftModifier, false, false}};
  for (const Row& row : rows) {
    EXPECT_EQ(TypesCharacters(row.modifiers, true), row.typesWhereAltGrIsCtrlAlt)
        << row.modifiers.toInt();
    EXPECT_EQ(TypesCharacters(row.modifiers, false), row.typesUnderXkb) << row.modifiers.toInt();
  }
}

TEST_F(TextEditorTest, KeysWithCtrlOrAltThatNothingBindsTypeNothing) {
  SetText("abc");
  editor.setFocus();
  const auto press = [this](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent e(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&editor, &e);
  };
  press(Qt::Key_Semicolon, Qt::ControlModifier, ";");
  press(Qt::Key_ParenRight, Qt::ControlModifier | Qt::ShiftModifier, ")");
  press(Qt::Key_Semicolon, Qt::AltModifier, ";");
  EXPECT_EQ(Joined(editor), "abc");
  press(Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, "@");
  press(Qt::Key_L, Qt::GroupSwitchModifier, QString(QChar(0x142)));
  EXPECT_EQ(Joined(editor),
            "@\xC5\x82"
            "abc");
}

// A proportional font would leave the text off the grid of cells (eight "i" ending far left of
// column 9): the editor takes a fixed-pitch font of the same size and style instead.
TEST_F(TextEditorTest, AProportionalFontComesBackAsAFixedPitchOne) {
  QFont byPoints("DejaVu Sans");
  byPoints.setPointSize(12);
  byPoints.setBold(true);
  QFont byPixels("DejaVu Sans");
  byPixels.setPixelSize(11);
  byPixels.setItalic(true);
  for (const QFont& given : {byPoints, byPixels}) {
    const QFontMetricsF proportional(given);
    if (proportional.horizontalAdvance('i') == proportional.horizontalAdvance('M'))
      GTEST_SKIP() << "no proportional font on this machine";
    editor.setFont(given);
    const QFont font = editor.font();
    const QFontMetricsF metrics(font);
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('M'))
        << font.family().toStdString();
    EXPECT_EQ(font.pointSize(), given.pointSize());
    EXPECT_EQ(font.pixelSize(), given.pixelSize());
    EXPECT_EQ(font.bold(), given.bold());
    EXPECT_EQ(font.italic(), given.italic());
    // Every character advances alike, so the spacing that makes "M" one cell wide makes eight
    // "i" end where column 9 begins.
    EXPECT_EQ(metrics.horizontalAdvance(QString(8, 'i')), 8 * metrics.horizontalAdvance('M'));
    EXPECT_EQ(editor.TextToPixel({9, 1}).x() - editor.TextToPixel({1, 1}).x(),
              8 * editor.CharWidth());
  }
  // A fixed-pitch font is taken as it is.
  QFont mono("DejaVu Sans Mono");
  mono.setPointSize(13);
  editor.setFont(mono);
  EXPECT_EQ(editor.font(), mono);
}

}  // namespace
}  // namespace tovix::test

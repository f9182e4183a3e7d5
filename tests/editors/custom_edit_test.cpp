// The editor's text model: the line list, caret, block and its three modes, offsets, the
// replace primitive and bookmarks.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <ostream>

#include <random>
#include <vector>

#include "core/text/file_utils.h"
#include "editor_test_helpers.h"
#include "support/test_paths.h"

namespace tovix::test {
namespace {

TEST(EditListTest, NeverEmpty) {
  TmwCustomEdit edit;
  EXPECT_EQ(edit.LineCount(), 1);
  edit.Lines().Add(E("a"));
  edit.Lines().Clear();
  EXPECT_EQ(edit.LineCount(), 1);
  EXPECT_EQ(Joined(edit), "");
  edit.Lines().Delete(0);
  EXPECT_EQ(edit.LineCount(), 1);
  edit.SetText(E("only"));
  edit.Lines().Delete(0);
  EXPECT_EQ(edit.LineCount(), 1);
  EXPECT_EQ(Joined(edit), "");
  edit.SetText(E(""));
  EXPECT_EQ(edit.LineCount(), 1);
  EXPECT_THROW(edit.Lines().Get(1), EStringListError);
}

TEST(EditListTest, TextSplitsAtEveryLineEndAndJoinsWithCrLf) {
  TmwCustomEdit edit;
  edit.SetText(E("a\rb\nc\r\nd\r\n"));
  EXPECT_EQ(Joined(edit), "a|b|c|d");
  EXPECT_EQ(U8(edit.GetText()), "a\r\nb\r\nc\r\nd\r\n");
}

// The gap buffer against a plain vector under random inserts, deletes and puts.
TEST(EditListTest, GapBufferMatchesAVector) {
  TmwEditList list;
  std::vector<TEditString> model{TEditString()};
  std::mt19937 rng(5);
  for (int i = 0; i < 20000; ++i) {
    const int n = static_cast<int>(model.size());
    const int at = std::uniform_int_distribution<int>(0, n - 1)(rng);
    const TEditString text = E(std::to_string(i));
    switch (rng() % 4) {
      case 0:
        list.Insert(at, text);
        model.insert(model.begin() + at, text);
        break;
      case 1:
        list.Delete(at);
        if (n == 1)
          model[0].clear();
        else
          model.erase(model.begin() + at);
        break;
      case 2:
        list.Put(at, text);
        model[static_cast<size_t>(at)] = text;
        break;
      default:
        list.Add(text);
        model.push_back(text);
        break;
    }
    ASSERT_EQ(list.Count(), static_cast<int>(model.size()));
  }
  for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(list.Get(i), model[static_cast<size_t>(i)]);
}

TEST(EditListTest, FilesLoadAndSaveInTheirEncoding) {
  TempDir dir;
  const auto path = dir / "orders.txt";
  SaveStringToFile(path, "caf\xE9 \x80\r\nnext");
  TmwEditList list;
  list.LoadFromFile(path, TTextEncoding::Windows1252);
  EXPECT_EQ(U8(list.Get(0)), "café €");
  list.Put(1, E("中"));
  size_t lost = 0;
  list.SaveToFile(path, TTextEncoding::Windows1252, &lost);
  EXPECT_EQ(lost, 1u);
  EXPECT_EQ(ReadFileBytes(path), "caf\xE9 \x80\r\n?\r\n");
  list.SaveToFile(path, TTextEncoding::Utf8);
  EXPECT_EQ(ReadFileBytes(path), "café €\r\n中\r\n");
  // A missing file is an error and leaves the lines alone.
  EXPECT_THROW(list.LoadFromFile(dir / "missing.txt", TTextEncoding::Utf8), EFileError);
  EXPECT_EQ(U8(list.Get(1)), "中");
}

TEST(CaretTest, ClampsToTheLineUnlessScrollingPastTheEnd) {
  TTestEdit edit("0123456789\r\nabc", kOrdersOptions);
  edit.SetCaretX(200);
  EXPECT_EQ(edit.CaretX(), 11);
  edit.SetCaretY(2);  // keeps the column, clamped on the shorter line
  EXPECT_EQ(edit.CaretXY(), (TPoint{4, 2}));
  edit.SetCaretXY({5, 99});
  EXPECT_EQ(edit.CaretXY(), (TPoint{4, 2}));
  edit.SetCaretXY({0, 0});
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 1}));
  edit.SetOptions(TmwCustomEdit::kDefaultOptions);
  edit.SetCaretXY({2000, 1});
  EXPECT_EQ(edit.CaretX(), TmwCustomEdit::MaxLeftChar);
  // Switching scrolling past the end off puts the caret back on the line.
  edit.SetOptions(kOrdersOptions);
  EXPECT_EQ(edit.CaretX(), 11);
}

TEST(CaretTest, ScrollsToKeepTheCaretVisible) {
  TTestEdit edit;
  edit.SetWindowSize(10, 5);
  std::string text;
  for (int i = 0; i < 50; ++i) text += "line " + std::to_string(i) + "\r\n";
  edit.SetText(E(text));
  edit.SetCaretXY({1, 30});
  EXPECT_EQ(edit.TopLine(), 26);
  edit.SetCaretXY({1, 3});
  EXPECT_EQ(edit.TopLine(), 3);
  edit.SetCaretXY({40, 3});
  EXPECT_EQ(edit.LeftChar(), 31);
  // Lines deleted below the window's top line leave the top on the text.
  edit.SetCaretXY({1, 48});
  for (int i = 0; i < 45; ++i) edit.Lines().Delete(5);
  EXPECT_EQ(edit.LineCount(), 5);
  EXPECT_EQ(edit.TopLine(), 5);
}

// Columns count characters; a tab widens only the screen columns.
TEST(CaretTest, DisplayColumnsExpandTabs) {
  TTestEdit edit("a\tb\t\tc");
  edit.SetTabWidth(4);
  EXPECT_EQ(edit.CharToDisplayColumn(1, 1), 1);
  EXPECT_EQ(edit.CharToDisplayColumn(1, 2), 2);
  EXPECT_EQ(edit.CharToDisplayColumn(1, 3), 5);  // behind the tab
  EXPECT_EQ(edit.CharToDisplayColumn(1, 6), 13);
  EXPECT_EQ(edit.DisplayToCharColumn(1, 3), 2);  // inside the tab's cells
  EXPECT_EQ(edit.DisplayToCharColumn(1, 5), 3);
  EXPECT_EQ(edit.DisplayToCharColumn(1, 13), 6);
  EXPECT_EQ(edit.DisplayToCharColumn(1, 20), 13);  // past the end one per column
}

TEST(SelectionTest, BlockBeginCollapsesAndBlockEndExtends) {
  TTestEdit edit("abcdef\r\nxyz");
  edit.SetBlockBegin({2, 1});
  edit.SetBlockEnd({3, 2});
  EXPECT_TRUE(edit.SelAvail());
  EXPECT_EQ(U8(edit.SelText()), "bcdef\r\nxy");
  edit.SetBlockBegin({4, 1});
  EXPECT_FALSE(edit.SelAvail());
  EXPECT_EQ(edit.BlockEnd(), (TPoint{4, 1}));
  // Normal blocks stay on the text; other modes may reach past a line's end.
  edit.SetBlockEnd({40, 2});
  EXPECT_EQ(edit.BlockEnd(), (TPoint{4, 2}));
  edit.SetOptions(TmwCustomEdit::kDefaultOptions.With(mweoNoSelection));
  edit.SetBlockEnd({1, 1});
  EXPECT_EQ(edit.BlockEnd(), (TPoint{4, 2}));
}

struct TSelTextCase {
  const char* Name;
  TSelectionMode Mode;
  TPoint Begin;
  TPoint End;
  const char* Expected;
};

// Test names and failure messages show the case name.
void PrintTo(const TSelTextCase& c, std::ostream* os) {
  *os << c.Name;
}

class SelTextTest : public ::testing::TestWithParam<TSelTextCase> {};

TEST_P(SelTextTest, GivesTheTextOfTheBlock) {
  const TSelTextCase& c = GetParam();
  TTestEdit edit("abcdef\r\nxy\r\n123456");
  edit.SetSelectionMode(c.Mode);
  edit.SetBlockBegin(c.Begin);
  edit.SetBlockEnd(c.End);
  EXPECT_EQ(U8(edit.SelText()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SelTextTest,
    ::testing::Values(TSelTextCase{"NormalOneLine", smNormal, {2, 1}, {4, 1}, "bc"},
                      TSelTextCase{"NormalBackwards", smNormal, {3, 3}, {5, 1}, "ef\r\nxy\r\n12"},
                      TSelTextCase{
                          "ColumnPadsShortLines", smColumn, {5, 3}, {2, 1}, "bcd\r\ny  \r\n234"},
                      TSelTextCase{"ZeroWidthColumnIsNothing", smColumn, {3, 1}, {3, 3}, ""},
                      TSelTextCase{"LineEndingEarly", smLine, {3, 1}, {1, 2}, "abcdef\r\nxy\r\n"},
                      TSelTextCase{"LineEndingOnLastLine", smLine, {1, 2}, {2, 3}, "xy\r\n123456"}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(SelectionTest, OffsetsCountLineBreaksAsTwo) {
  TTestEdit edit("abcde\r\nxyz");
  EXPECT_EQ(edit.GetSelStart(), 1);
  edit.Caret(1, 2);
  EXPECT_EQ(edit.GetSelStart(), 8);
  edit.SetSelStart(8);
  edit.SetSelEnd(10);
  EXPECT_EQ(U8(edit.SelText()), "xy");
  edit.SetSelText(E("Q"));
  EXPECT_EQ(Joined(edit), "abcde|Qz");
  edit.SetSelStart(0);
  edit.SetSelEnd(0);
  EXPECT_EQ(edit.CaretXY(), (TPoint{1, 1}));
  EXPECT_FALSE(edit.SelAvail());
}

// SetSelStart used to clamp the column on the line where the caret stood before moving to the
// target line, so a stretch found by offset was selected (and then replaced) in the wrong place.
TEST(SelectionTest, SelStartClampsOnTheTargetLine) {
  TTestEdit edit("short\r\n0123456789012345678901234", kOrdersOptions);
  edit.SetCaretXY({1, 1});
  edit.SetSelStart(7 + 20);
  EXPECT_EQ(edit.CaretXY(), (TPoint{20, 2}));
  edit.SetSelEnd(7 + 23);
  EXPECT_EQ(U8(edit.SelText()), "901");
  // Offsets past the text mean its end.
  edit.SetSelStart(500);
  EXPECT_EQ(edit.CaretXY(), (TPoint{26, 2}));
}

TEST(ReplaceTest, InsertedTextSplitsAtCrLfCrAndLf) {
  TTestEdit edit("<>");
  edit.Caret(2, 1);
  edit.SetSelText(E("a\rb\nc\r\nd"));
  EXPECT_EQ(Joined(edit), "<a|b|c|d>");
  EXPECT_EQ(edit.CaretXY(), (TPoint{2, 4}));
}

TEST(ReplaceTest, EachModeDeletesItsBlock) {
  TTestEdit edit("abcdef\r\nxy\r\n123456");
  edit.SetSelectionMode(smColumn);
  edit.SetCaretAndSelect({2, 1}, {4, 3});
  edit.SetSelText(E(""));
  EXPECT_EQ(Joined(edit), "adef|x|1456");
  edit.SetSelectionMode(smLine);
  edit.SetCaretAndSelect({1, 2}, {1, 3});
  edit.SetSelText(E(""));
  // The last line is emptied rather than removed.
  EXPECT_EQ(Joined(edit), "adef|");
}

TEST(BookmarkTest, MarksFollowTheirLines) {
  TTestEdit edit("a\r\nb\r\nc\r\nd");
  edit.SetBookMark(1, 1, 2);
  edit.SetBookMark(2, 1, 4);
  int x = 0;
  int y = 0;
  edit.Caret(1, 1);
  edit.SetSelText(E("new\r\nlines\r\n"));
  ASSERT_TRUE(edit.GetBookMark(1, x, y));
  EXPECT_EQ(y, 4);
  // Deleting lines 3..5 gathers a mark inside onto the first line and moves those below up.
  edit.SetCaretAndSelect({1, 3}, {1, 5});
  edit.SetSelText(E(""));
  ASSERT_TRUE(edit.GetBookMark(1, x, y));
  EXPECT_EQ(y, 3);
  ASSERT_TRUE(edit.GetBookMark(2, x, y));
  EXPECT_EQ(y, 4);
  // One bookmark per line: placing another on line 3 drops bookmark 1.
  edit.SetBookMark(5, 1, 3);
  EXPECT_FALSE(edit.GetBookMark(1, x, y));
  // Deleting everything to the end keeps the marks inside the text.
  edit.SelectAll();
  edit.SetSelText(E(""));
  ASSERT_TRUE(edit.GetBookMark(2, x, y));
  EXPECT_EQ(y, 1);
  edit.SetBookMark(7, 1, 9);  // beyond the text: not placed
  EXPECT_FALSE(edit.GetBookMark(7, x, y));
}

// ---- search and replace; the prompts' answers are letters: s skip, r replace, a all, c cancel

struct SearchRow {
  const char* name;
  const char* text;
  TPoint caret;
  const char* search;
  const char* replace;
  TmwSearchOptions options;
  std::string answers;
  const char* after;               // the text afterwards, lines joined by "|"
  int result;                      // what SearchReplace returns
  std::vector<TPoint> asked;       // where OnReplaceText was asked (column, line)
  const char* selected = nullptr;  // the selection afterwards, when it matters
};

class SearchReplace : public ::testing::TestWithParam<SearchRow> {};

TEST_P(SearchReplace, FindsAndReplacesAsTheOptionsSay) {
  const SearchRow& row = GetParam();
  TTestEdit edit(row.text);
  edit.Caret(row.caret.X, row.caret.Y);
  std::vector<TPoint> asked;
  size_t answer = 0;
  edit.OnReplaceText = [&](const TEditString& search, const TEditString& replace, int line,
                           int column, TmwReplaceAction& action) {
    EXPECT_EQ(U8(search), row.search);
    EXPECT_EQ(U8(replace), row.replace);
    EXPECT_EQ(U8(edit.SelText()).size(), std::string(row.search).size()) << "the match is selected";
    asked.push_back({column, line});
    const char a = answer < row.answers.size() ? row.answers[answer++] : 'c';
    action = a == 's' ? raSkip : a == 'r' ? raReplace : a == 'a' ? raReplaceAll : raCancel;
  };
  EXPECT_EQ(edit.SearchReplace(E(row.search), E(row.replace), row.options), row.result);
  EXPECT_EQ(Joined(edit), row.after);
  EXPECT_EQ(asked, row.asked);
  if (row.selected != nullptr) {
    EXPECT_EQ(U8(edit.SelText()), row.selected);
  }
}

constexpr TmwSearchOptions kAll = ssoReplace | ssoReplaceAll | ssoEntireScope;
INSTANTIATE_TEST_SUITE_P(
    Rows, SearchReplace,
    ::testing::Values(
        SearchRow{"FindSelectsTheFirstIgnoringCase",
                  "xx ABC abc",
                  {1, 1},
                  "abc",
                  "",
                  0,
                  "",
                  "xx ABC abc",
                  1,
                  {},
                  "ABC"},
        SearchRow{"MatchCase",
                  "xx ABC abc",
                  {1, 1},
                  "abc",
                  "",
                  ssoMatchCase,
                  "",
                  "xx ABC abc",
                  1,
                  {},
                  "abc"},
        SearchRow{"WholeWord",
                  "abcd abc_ abc",
                  {1, 1},
                  "abc",
                  "",
                  ssoWholeWord,
                  "",
                  "abcd abc_ abc",
                  1,
                  {},
                  "abc"},
        SearchRow{"NothingFound", "abc", {1, 1}, "q", "", 0, "", "abc", 0, {}},
        SearchRow{"LatinLettersFoldToo",
                  "x \xC3\x84rger",
                  {1, 1},
                  "\xC3\xA4RGER",
                  "",
                  0,
                  "",
                  "x \xC3\x84rger",
                  1,
                  {},
                  "\xC3\x84rger"},
        SearchRow{
            "FromTheCaretOn", "a b\r\na b", {2, 1}, "a", "c", ssoReplace, "", "a b|c b", 1, {}},
        SearchRow{"EntireScopeReplacesTheFirst",
                  "a b\r\na b",
                  {2, 1},
                  "a",
                  "c",
                  ssoReplace | ssoEntireScope,
                  "",
                  "c b|a b",
                  1,
                  {}},
        SearchRow{
            "ReplaceAllOverLines", "a b a\r\na", {1, 1}, "a", "xx", kAll, "", "xx b xx|xx", 3, {}},
        SearchRow{
            "TheReplacementIsNotSearchedAgain", "aa", {1, 1}, "a", "aa", kAll, "", "aaaa", 2, {}},
        SearchRow{"ReplacementWithALineBreak", "a;a", {1, 1}, ";", "\r\n", kAll, "", "a|a", 1, {}},
        SearchRow{"PromptSkipsReplacesCancels",
                  "x x x x",
                  {1, 1},
                  "x",
                  "y",
                  kAll | ssoPrompt,
                  "src",
                  "x y x x",
                  1,
                  {{1, 1}, {3, 1}, {5, 1}}},
        SearchRow{"PromptReplaceAllAsksNoMore",
                  "x x x x",
                  {1, 1},
                  "x",
                  "y",
                  kAll | ssoPrompt,
                  "sa",
                  "x y y y",
                  3,
                  {{1, 1}, {3, 1}}},
        SearchRow{"PromptWithoutAllStopsAfterOne",
                  "x x x",
                  {1, 1},
                  "x",
                  "y",
                  ssoReplace | ssoEntireScope | ssoPrompt,
                  "sr",
                  "x y x",
                  1,
                  {{1, 1}, {3, 1}}}),
    [](const auto& row) { return std::string(row.param.name); });

// A mark's line, image or visibility changed from outside repaints its old and new gutter lines.
TEST(BookmarkTest, ChangingAMarkRepaintsItsGutterLines) {
  struct TGutterEdit : TTestEdit {
    using TTestEdit::TTestEdit;
    void InvalidateGutterLines(int first, int last) override {
      for (int line = first; line <= last; ++line) Repainted.push_back(line);
    }
    std::vector<int> Repainted;
  } edit("a\r\nb\r\nc\r\nd");
  edit.SetBookMark(1, 1, 2);
  ASSERT_EQ(edit.Marks().size(), 1u);
  TMark& mark = *edit.Marks().front();
  EXPECT_EQ(mark.Edit(), &edit);
  EXPECT_TRUE(mark.InternalImage()) << "the model has no bookmark images";
  struct Row {
    std::function<void()> change;
    std::vector<int> repainted;
  };
  const Row rows[] = {
      {[&] { mark.SetLine(4); }, {2, 4}},           {[&] { mark.SetLine(4); }, {}},
      {[&] { mark.SetVisible(false); }, {4}},       {[&] { mark.SetImageIndex(6); }, {4}},
      {[&] { mark.SetInternalImage(false); }, {4}}, {[&] { mark.SetChar(3); }, {}}};
  for (const Row& row : rows) {
    edit.Repainted.clear();
    row.change();
    EXPECT_EQ(edit.Repainted, row.repainted);
  }
  int x = 0;
  int y = 0;
  ASSERT_TRUE(edit.GetBookMark(1, x, y));
  EXPECT_EQ(TPoint(x, y), (TPoint{3, 4}));
  // A mark not placed in an editor repaints nothing.
  TMark loose;
  loose.SetLine(9);
  EXPECT_EQ(loose.Edit(), nullptr);
}

}  // namespace
}  // namespace tovix::test

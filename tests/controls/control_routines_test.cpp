#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "control_test_helpers.h"
#include "controls/combo_edit.h"
#include "controls/draw_utils.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "controls/word_routines.h"
#include "gallery_items_buttons_and_edits.h"

namespace tovix {
namespace {

struct RowName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& row) const {
    return row.param.name;
  }
};

struct ReplaceRow {
  const char* name;
  const char* text;
  const char* oldText;
  const char* newText;
  const char* expected;
};
class ReplaceAllTest : public ::testing::TestWithParam<ReplaceRow> {};

TEST_P(ReplaceAllTest, ReplacesEveryOccurrenceOnce) {
  const ReplaceRow& r = GetParam();
  EXPECT_EQ(ReplaceAll(r.text, r.oldText, r.newText), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReplaceAllTest,
                         ::testing::Values(ReplaceRow{"Every", "a-b-c", "-", "+", "a+b+c"},
                                           ReplaceRow{"InsertedTextNotRescanned", "aa", "a", "aa",
                                                      "aaaa"},
                                           ReplaceRow{"Removal", "x..y", ".", "", "xy"},
                                           ReplaceRow{"NoneFound", "abc", "z", "y", "abc"},
                                           ReplaceRow{"EmptyOldLeavesText", "abc", "", "y", "abc"}),
                         RowName());

struct WordRow {
  const char* name;
  int n;
  const char* text;
  size_t position;
  const char* word;
};
class WordTest : public ::testing::TestWithParam<WordRow> {};

TEST_P(WordTest, FindsTheNthWord) {
  const WordRow& r = GetParam();
  EXPECT_EQ(WordPositionOf(r.n, r.text, " ,"), r.position);
  EXPECT_EQ(ExtractWordAt(r.n, r.text, " ,"), r.word);
}

INSTANTIATE_TEST_SUITE_P(Words, WordTest,
                         ::testing::Values(WordRow{"First", 1, "Galaxy NG, turn 5", 1, "Galaxy"},
                                           WordRow{"AfterADelimiterRun", 3, "Galaxy NG, turn 5", 12,
                                                   "turn"},
                                           WordRow{"LeadingDelimiters", 1, " ,x", 3, "x"},
                                           WordRow{"TooFewWords", 5, "Galaxy NG, turn 5", 0, ""},
                                           WordRow{"EmptyText", 1, "", 0, ""}),
                         RowName());

TEST(ExtractUntilDelimitersTest, WalksThroughTheFields) {
  const std::string line = "12;ab;;x";
  size_t pos = 1;
  EXPECT_EQ(ExtractUntilDelimiters(line, pos, ";"), "12");
  EXPECT_EQ(pos, 4u);
  EXPECT_EQ(ExtractUntilDelimiters(line, pos, ";"), "ab");
  EXPECT_EQ(ExtractUntilDelimiters(line, pos, ";"), "");
  EXPECT_EQ(ExtractUntilDelimiters(line, pos, ";"), "x");
  EXPECT_EQ(ExtractUntilDelimiters(line, pos, ";"), "");
}

TEST(CopyImageCellTest, CutsRowMajorCells) {
  QImage grid(30, 20, QImage::Format_RGB32);
  for (int cell = 0; cell < 6; ++cell)
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x)
        grid.setPixel((cell % 3) * 10 + x, (cell / 3) * 10 + y, qRgb(cell * 40, 0, 0));
  const QImage cell4 = CopyImageCell(grid, 3, 4, 2);
  EXPECT_EQ(cell4.size(), QSize(10, 10));
  EXPECT_EQ(cell4.pixel(5, 5), qRgb(160, 0, 0));
  EXPECT_EQ(CopyImageCell(grid, 3, -2, 2).pixel(5, 5), qRgb(0, 0, 0));
  // Rows below one count as one: the cell is as high as the image.
  EXPECT_EQ(CopyImageCell(grid, 3, 1, 0).size(), QSize(10, 20));
}

struct FitRow {
  const char* name;
  QRect rect;
  QRect expected;
};
class FitRectTest : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitRectTest, MovesTheRectangleOntoTheScreen) {
  EXPECT_EQ(FitRectToScreen(GetParam().rect, QRect(0, 0, 800, 600)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, FitRectTest,
    ::testing::Values(FitRow{"Inside", {10, 10, 100, 50}, {10, 10, 100, 50}},
                      FitRow{"PastRightAndBottom", {750, 580, 100, 50}, {700, 550, 100, 50}},
                      FitRow{"PastLeftAndTop", {-20, -5, 100, 50}, {0, 0, 100, 50}},
                      FitRow{"LargerKeepsTopLeft", {-10, 0, 900, 50}, {0, 0, 900, 50}}),
    RowName());

TEST(CenterWindowOnScreenTest, PutsTheWindowInTheMiddle) {
  QWidget window;
  window.resize(200, 100);
  CenterWindowOnScreen(&window);
  const QRect screen = window.screen()->availableGeometry();
  EXPECT_EQ(window.frameGeometry().center(), screen.center());
}

TEST(GalleryItemsTest, AddsOneRowPerControl) {
  QWidget page;
  auto* layout = new QVBoxLayout(&page);
  AddButtonsAndEditsGalleryItems(&page, layout);
  EXPECT_EQ(layout->count(), 7);
  EXPECT_EQ(page.findChildren<TRxSpeedButton*>().size(), 5);  // two inside the edits
  EXPECT_EQ(page.findChildren<TRxSpinEdit*>().size(), 2);
  EXPECT_EQ(page.findChildren<TCustomComboEdit*>().size(), 2);
}

}  // namespace
}  // namespace tovix

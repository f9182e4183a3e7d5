#include <gtest/gtest.h>

#include <QImage>

#include "controls/draw_utils.h"
#include "controls/word_routines.h"

namespace tovix {
namespace {

const auto RowName = [](const auto& row) { return std::string(row.param.name); };

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
                                           ReplaceRow{"EmptyOldLeavesText", "abc", "", "y", "abc"}),
                         RowName);

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
                         RowName);

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

}  // namespace
}  // namespace tovix

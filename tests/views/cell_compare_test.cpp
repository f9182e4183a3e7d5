#include "views/cell_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "views/column_layout.h"

namespace tovix {
namespace {

TEST(CellCompare, NumbersCompareAsNumbersAndOnlyStrictFormsAreNumbers) {
  EXPECT_LT(CompareCells("9", "10"), 0);
  EXPECT_LT(CompareCells("10", "100"), 0);
  EXPECT_LT(CompareCells("-3.5", "2"), 0);
  EXPECT_EQ(CompareCells("1.0", "1"), 0);
  // Cut at the first blank, thousands separators dropped on the second try.
  EXPECT_GT(CompareCells("1,234.5 t", "42 (+3)"), 0);
  double v = 0;
  EXPECT_TRUE(ParseCellNumber("1,234.5 t", v));
  EXPECT_DOUBLE_EQ(v, 1234.5);
  EXPECT_TRUE(ParseCellNumber("1,5", v, {'.', ','}));
  EXPECT_DOUBLE_EQ(v, 1.5);
  EXPECT_TRUE(ParseCellNumber("2.5E+003", v));
  EXPECT_DOUBLE_EQ(v, 2500);
  for (const char* text : {"inf", "nan", "0x10", "1e", ".", "-", "12abc", "", "1.2.3"}) {
    EXPECT_FALSE(ParseCellNumber(text, v)) << text;
  }
  EXPECT_FALSE(ParseWholeNumber("42 (+3)", v));
  // Texts in text order; the empty cell first and equal to another empty cell.
  EXPECT_LT(CompareCells("abc", "abd"), 0);
  EXPECT_LT(CompareCells("", "5"), 0);
  EXPECT_EQ(CompareCells("", ""), 0);
  EXPECT_LT(CompareCells("10", "abc"), 0);
}

// The comparison must be a strict weak ordering, or sorting may run off its range. Cells that
// break naive mixed orders ("2" < "10" < "1a" < "2") are drawn at random with a fixed seed.
TEST(CellCompare, IsAStrictWeakOrderingOnMixedCells) {
  const std::vector<std::string> pool{"",    "2",   "10",  "1a",  "1,000", "999 t",  "abc",
                                      "ABC", "-1",  "1e2", "100", "x,y",   " ",      "1.0",
                                      "1",   "inf", "0",   "-0",  "b",     "10 (+3)"};
  std::mt19937 rng(1234);
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  auto less = [](const std::string& a, const std::string& b) { return CompareCells(a, b) < 0; };
  for (int i = 0; i < 20000; ++i) {
    const std::string& a = pool[pick(rng)];
    const std::string& b = pool[pick(rng)];
    const std::string& c = pool[pick(rng)];
    ASSERT_FALSE(less(a, a)) << a;
    ASSERT_EQ(CompareCells(a, b), -CompareCells(b, a)) << a << " / " << b;
    if (less(a, b) && less(b, c)) {
      ASSERT_TRUE(less(a, c)) << a << " < " << b << " < " << c;
    }
    const bool eqAB = !less(a, b) && !less(b, a), eqBC = !less(b, c) && !less(c, b);
    if (eqAB && eqBC) {
      ASSERT_TRUE(!less(a, c) && !less(c, a)) << a << " ~ " << b << " ~ " << c;
    }
  }
}

// Planets the reports name by a number sort as numbers, before the named ones; the order stays
// a strict weak ordering (exhaustively over a pool with leading zeros and case variants).
TEST(CellCompare, NamesOfDigitsSortAsNumbersBeforeOtherNames) {
  const std::vector<std::string> sorted{"007", "7", "9", "10", "100", "alpha", "b9", "Beta"};
  for (size_t i = 0; i + 1 < sorted.size(); ++i) {
    EXPECT_LT(CompareNames(sorted[i], sorted[i + 1]), 0) << sorted[i] << " / " << sorted[i + 1];
  }
  EXPECT_EQ(CompareNames("Alpha", "ALPHA"), 0);
  const std::vector<std::string> pool{"0", "00", "007", "7", "10", "9", "", "a", "A", "1a", "a1"};
  for (const std::string& a : pool)
    for (const std::string& b : pool) {
      EXPECT_EQ(CompareNames(a, b) < 0, CompareNames(b, a) > 0) << a << " / " << b;
      for (const std::string& c : pool) {
        if (CompareNames(a, b) < 0 && CompareNames(b, c) < 0) {
          EXPECT_LT(CompareNames(a, c), 0) << a << " < " << b << " < " << c;
        }
      }
    }
}

TEST(ColumnLayout, TextRoundTripsAndIsCutToTheList) {
  TColumnLayout layout{{0, 1, 2}, {75, 40, 75}};
  EXPECT_EQ(FormatColumnLayout(layout), "3;0;75;1;40;2;75;");

  TColumnLayout four{{0, 1, 2, 3}, {10, 10, 10, 10}};
  ASSERT_TRUE(ApplyColumnLayout("5;3;30;2;20;1;0;0;50;4;60;", four));
  EXPECT_EQ(four.Order, (std::vector<int>{3, 2, 1, 0}));
  EXPECT_EQ(four.Widths, (std::vector<int>{30, 20, 0, 50}));
  EXPECT_EQ(FormatColumnLayout(four), "4;3;30;2;20;1;0;0;50;");

  // Fewer pairs than the count: the rest keep theirs.
  TColumnLayout partial{{0, 1, 2}, {5, 6, 7}};
  ASSERT_TRUE(ApplyColumnLayout("3;0;9;", partial));
  EXPECT_EQ(partial.Order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(partial.Widths, (std::vector<int>{9, 6, 7}));
}

TEST(ColumnLayout, BadTextChangesNothing) {
  for (const char* text : {"", "3", "x;0;75;", "3;0;a;1;40;2;75;", "3;0;75;0;40;2;75;",
                           "3;0;75;1;40;7;75;", "3;0;-5;1;40;2;75;", "-1;"}) {
    TColumnLayout layout{{2, 0, 1}, {1, 2, 3}};
    EXPECT_FALSE(ApplyColumnLayout(text, layout)) << text;
    EXPECT_EQ(layout.Order, (std::vector<int>{2, 0, 1})) << text;
    EXPECT_EQ(layout.Widths, (std::vector<int>{1, 2, 3})) << text;
  }
}

}  // namespace
}  // namespace tovix

#pragma once
// Cell texts and sort keys shared by the planet and group lists: figures in fixed notation
// with a limited number of significant digits, and number keys that sort empty cells first.

#include <string>
#include <string_view>

namespace tovix {

// Fixed notation with `digits` decimals, the value first rounded to `precision` significant
// digits (and to `digits` decimals); the digits past the precision are written as zeros
// ("1234.60" for 1234.567). A value with more integer digits than `precision` is written in
// exponent form with `precision` significant digits ("1.2346E+005").
std::string FixedCell(double value, int precision = 5, int digits = 2);

// The sort key of a number cell: the cell read as a single-precision number, or empty when the
// cell is empty or no number.
struct TCellKey {
  bool Empty = true;
  float Number = 0;
};

// The cell's number key. Figures written by FixedCell and "%5.2f" read back.
TCellKey NumberKey(std::string_view cell);
// The key of the first whole number in the cell ("12 (3)" is 12); empty for an empty cell.
TCellKey FirstIntKey(std::string_view cell);
inline TCellKey ValueKey(float value) {
  return {false, value};
}

// Negative, zero or positive. Empty keys come first and equal each other, then the numbers in
// order: a strict weak ordering, which sorting relies on.
int CompareKeys(const TCellKey& a, const TCellKey& b);

}  // namespace tovix

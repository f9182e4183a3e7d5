#pragma once
// How list cells compare when a list is sorted by a column: cells that read as numbers compare
// as numbers, the rest as text.

#include <functional>
#include <string_view>

namespace tovix {

// The separators a cell may use besides the plain "." form ("1,234.5").
struct TNumberSeparators {
  char Thousands = ',';
  char Decimal = '.';
};

// Reads a cell as a number: the text before its first blank, in the strict form [sign] digits
// ["." digits] [exponent] (no "inf", "nan" or hex); failing that, the same text without the
// thousands separators and with the decimal separator as ".". So "1,234.5 t" reads 1234.5 and
// "42 (+3)" reads 42.
bool ParseCellNumber(std::string_view cell, double& value, TNumberSeparators seps = {});

// The whole cell as a number in the strict form, nothing cut off (spreadsheet export).
bool ParseWholeNumber(std::string_view cell, double& value);

// Text order used when a cell is no number; negative, zero or positive.
using TTextCompare = std::function<int(std::string_view, std::string_view)>;

// Byte order, case-sensitive.
int CompareBytes(std::string_view a, std::string_view b);

// The order of two cells, negative, zero or positive. It is a strict weak ordering: empty
// cells come first and are equal to each other, then the cells that read as numbers in
// numeric order, then every other cell in `text` order (byte order when none is given). Mixing
// numbers and texts in one text order would let "2" < "10" < "1a" < "2" go round in a circle,
// which sorting must never meet.
int CompareCells(std::string_view a, std::string_view b, const TTextCompare& text = nullptr,
                 TNumberSeparators seps = {});

// The order of two names (planets, races) ignoring case, except that names made of digits alone
// (the planets the reports give only a number) come first, in numeric order: "9" < "10" <
// "Alpha". A strict weak ordering; negative, zero or positive.
int CompareNames(std::string_view a, std::string_view b);

}  // namespace tovix

#pragma once
// The column layout of a list as one text for the settings store: the column count, then for
// each display position the column shown there and the width of the column with that index,
// every field followed by ";". Three columns in design order, 75, 40 and 75 pixels wide:
// "3;0;75;1;40;2;75;".

#include <string>
#include <string_view>
#include <vector>

namespace tovix {

struct TColumnLayout {
  std::vector<int> Order;   // Order[i]: the column shown at display position i
  std::vector<int> Widths;  // Widths[c]: the width of column c
};

std::string FormatColumnLayout(const TColumnLayout& layout);

// Applies `text` to `layout` (the list's current one). The text's count is cut to the list's
// column count; a pair the text lacks keeps the current order entry and width. False, leaving
// `layout` unchanged, for an empty text, a text without ";", a field that is no integer, a
// negative width, or an order that is not a permutation of the columns.
bool ApplyColumnLayout(std::string_view text, TColumnLayout& layout);

}  // namespace tovix

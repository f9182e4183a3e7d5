#include "views/column_layout.h"

#include <algorithm>

#include "core/text/numbers.h"

namespace tovix {

std::string FormatColumnLayout(const TColumnLayout& layout) {
  std::string text = std::to_string(layout.Order.size()) + ";";
  for (size_t i = 0; i < layout.Order.size(); ++i) {
    const int width = i < layout.Widths.size() ? layout.Widths[i] : 0;
    text += std::to_string(layout.Order[i]) + ";" + std::to_string(width) + ";";
  }
  return text;
}

bool ApplyColumnLayout(std::string_view text, TColumnLayout& layout) {
  if (text.empty() || text.find(';') == std::string_view::npos) return false;
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t semi; (semi = text.find(';', start)) != std::string_view::npos; start = semi + 1) {
    fields.push_back(text.substr(start, semi - start));
  }
  auto number = [](std::string_view field, int& value) {
    int32_t v = 0;
    if (!TryParseInt(field, v)) return false;
    value = v;
    return true;
  };
  int count = 0;
  if (!number(fields[0], count) || count < 0) return false;
  const int columns = static_cast<int>(layout.Order.size());
  TColumnLayout result = layout;
  result.Widths.resize(layout.Order.size(), 0);
  for (int i = 0; i < std::min(count, columns); ++i) {
    const size_t at = 1 + 2 * static_cast<size_t>(i);
    if (at + 1 >= fields.size()) break;  // a missing pair keeps the current entry
    int column = 0, width = 0;
    if (!number(fields[at], column) || !number(fields[at + 1], width) || width < 0) return false;
    result.Order[static_cast<size_t>(i)] = column;
    result.Widths[static_cast<size_t>(i)] = width;
  }
  std::vector<int> sorted = result.Order;
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < columns; ++i) {
    if (sorted[static_cast<size_t>(i)] != i) return false;
  }
  layout = std::move(result);
  return true;
}

}  // namespace tovix

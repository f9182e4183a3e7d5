#include "views/cell_compare.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>

#include "core/text/str_utils.h"

namespace tovix {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// [sign] digits ["." digits] [("e"|"E") [sign] digits], with at least one digit before the
// exponent; nothing may follow.
bool IsStrictNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == s.size();
}

bool Convert(std::string_view s, double& value) {
  if (!IsStrictNumber(s)) return false;
  // from_chars reads the plain "C" form whatever the locale; it takes no "+".
  if (s.front() == '+') s.remove_prefix(1);
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: strtod gives the infinity or zero it stands for.
    value = std::strtod(std::string(s).c_str(), nullptr);
    return true;
  }
  return error == std::errc() && end == s.data() + s.size();
}

}  // namespace

bool ParseWholeNumber(std::string_view cell, double& value) {
  return Convert(cell, value);
}

bool ParseCellNumber(std::string_view cell, double& value, TNumberSeparators seps) {
  const size_t blank = cell.find(' ');
  if (blank != std::string_view::npos) cell = cell.substr(0, blank);
  if (Convert(cell, value)) return true;
  std::string plain;
  plain.reserve(cell.size());
  for (char c : cell) {
    if (c == seps.Thousands) continue;
    plain += c == seps.Decimal ? '.' : c;
  }
  return Convert(plain, value);
}

int CompareNames(std::string_view a, std::string_view b) {
  auto digitsOnly = [](std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
  };
  const bool numA = digitsOnly(a);
  const bool numB = digitsOnly(b);
  if (numA != numB) return numA ? -1 : 1;
  if (numA) {
    // Without leading zeros the longer number is the larger; equal values fall back to the text.
    const std::string_view x = a.substr(std::min(a.find_first_not_of('0'), a.size() - 1));
    const std::string_view y = b.substr(std::min(b.find_first_not_of('0'), b.size() - 1));
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    if (const int c = CompareBytes(x, y); c != 0) return c;
    return CompareBytes(a, b);
  }
  return CompareText(a, b);
}

int CompareBytes(std::string_view a, std::string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareCells(std::string_view a, std::string_view b, const TTextCompare& text,
                 TNumberSeparators seps) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : a.empty() ? -1 : 1;
  double x = 0, y = 0;
  const bool numA = ParseCellNumber(a, x, seps);
  const bool numB = ParseCellNumber(b, y, seps);
  if (numA && numB) return x < y ? -1 : x > y ? 1 : 0;
  if (numA != numB) return numA ? -1 : 1;
  return text ? text(a, b) : CompareBytes(a, b);
}

}  // namespace tovix

#include "views/list_cells.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

// The value's significant digits (at most `count`) and the power of ten of the first of them.
struct TDigits {
  std::string Digits;  // without sign and point
  int Exponent = 0;
};

TDigits SignificantDigits(double magnitude, int count) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", count - 1, magnitude);
  TDigits d;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.Digits += *p;
  if (*p == 'e') d.Exponent = std::atoi(p + 1);
  return d;
}

}  // namespace

std::string FixedCell(double value, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  if (magnitude == 0) return FormatFixed(0.0, digits);
  TDigits d = SignificantDigits(magnitude, precision);
  if (d.Exponent + 1 > precision) {
    std::string text = negative ? "-" : "";
    text += d.Digits.substr(0, 1);
    if (d.Digits.size() > 1) text += "." + d.Digits.substr(1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%+04d", d.Exponent);
    return text + exponent;
  }
  // No more digits than the decimals allow.
  const int kept = std::min(precision, d.Exponent + 1 + digits);
  if (kept <= 0) {
    // Below half of the last decimal place (or just at it): rounds to zero or to one unit.
    const double unit = std::pow(10.0, -digits);
    if (magnitude * 2 <= unit) return FormatFixed(0.0, digits);
    d = {"1", -digits};
  } else if (kept < precision) {
    d = SignificantDigits(magnitude, kept);
  }
  // Place the digits around the point.
  std::string intPart, fraction;
  for (int pos = std::max(d.Exponent, 0); pos >= -digits; --pos) {
    const int index = d.Exponent - pos;
    const char c = index >= 0 && index < static_cast<int>(d.Digits.size())
                       ? d.Digits[static_cast<size_t>(index)]
                       : '0';
    (pos >= 0 ? intPart : fraction) += c;
  }
  const bool allZero = intPart.find_first_not_of('0') == std::string::npos &&
                       fraction.find_first_not_of('0') == std::string::npos;
  std::string text = negative && !allZero ? "-" : "";
  text += intPart;
  if (digits > 0) text += "." + fraction;
  return text;
}

TCellKey NumberKey(std::string_view cell) {
  double v = 0;
  if (TrimView(cell).empty() || !TryParseFloat(cell, v)) return {};
  return {false, static_cast<float>(v)};
}

TCellKey FirstIntKey(std::string_view cell) {
  if (cell.empty()) return {};
  return {false, static_cast<float>(FirstIntInStr(cell))};
}

int CompareKeys(const TCellKey& a, const TCellKey& b) {
  if (a.Empty || b.Empty) return a.Empty == b.Empty ? 0 : (a.Empty ? -1 : 1);
  if (a.Number < b.Number) return -1;
  if (b.Number < a.Number) return 1;
  return 0;
}

}  // namespace tovix

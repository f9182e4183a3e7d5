#pragma once
// Numbers as the reports and settings files write them: "." as decimal separator and "," as
// thousands separator, whatever the user's locale. Nothing here consults the C locale.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tovix {

// Round half to even: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, -0.5 -> 0. Every "round" of the program.
double RoundHalfEven(double v);
// RoundHalfEven as a 32-bit integer, saturated at the int32 limits (NaN gives 0).
int32_t RoundToInt(double v);
// Truncation toward zero as a 32-bit integer, saturated the same way.
int32_t TruncToInt(double v);

// Fixed notation with `decimals` digits after the point, right-aligned to `width` ("%*.*f").
std::string FormatFixed(double v, int decimals, int width = 0);
// Shortest text that reads back to the same double, at most 15 significant digits
// ("1.5", "100", "0.1", "1e+20"). Used wherever a figure is written to a settings file.
std::string FloatToStr(double v);
// "%.15g".
std::string FormatG15(double v);
// Decimal with "," every three digits ("1,234,567"; "-1,234").
std::string FormatThousands(int64_t v);

// Reads a whole decimal number: optional blanks around it, an optional sign, digits with an
// optional "." fraction and an optional exponent. Returns false on anything else. On failure
// `errorPos` (when given) receives the 1-based position of the first bad character.
bool TryParseFloat(std::string_view text, double& value, int* errorPos = nullptr);

// The short decimals nearly every figure of a report is: an optional sign, then at most 15
// digits with at most one "." among them ("12.34", "-0.50", "7"), nothing else. Gives what
// TryParseFloat gives for such a text and returns true; false for anything else. The digits as
// a whole number and the power of ten are both exact doubles, so their quotient is rounded
// once, exactly as a full conversion rounds.
inline bool TryParseShortDecimal(std::string_view text, double& value) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* p = text.data();
  const char* const end = p + text.size();
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const auto digitAt = [](const char* at) {
    return static_cast<unsigned>(static_cast<unsigned char>(*at) - '0');
  };
  // Most figures have two decimals: the digits before the point, then two.
  if (end - p >= 4 && end - p <= 16 && end[-3] == '.' && digitAt(end - 2) < 10 &&
      digitAt(end - 1) < 10) {
    uint64_t whole = 0;
    const char* q = p;
    for (; q != end - 3 && digitAt(q) < 10; ++q) whole = whole * 10 + digitAt(q);
    if (q == end - 3) {
      whole = whole * 100 + digitAt(end - 2) * 10 + digitAt(end - 1);
      const double magnitude = static_cast<double>(whole) / 100;
      value = negative ? -magnitude : magnitude;
      return true;
    }
  }
  const char* point = nullptr;
  uint64_t whole = 0;
  int digits = 0;
  for (; p != end; ++p) {
    const unsigned digit = digitAt(p);
    if (digit < 10) {
      whole = whole * 10 + digit;  // wraps only past 19 digits, which are refused below
      ++digits;
    } else if (*p == '.' && !point) {
      point = p;
    } else {
      return false;
    }
  }
  if (digits == 0 || digits > 15) return false;
  const auto fraction = point ? end - point - 1 : 0;
  const double number = static_cast<double>(whole);
  const double magnitude = fraction > 0 ? number / kPowers[fraction] : number;
  value = negative ? -magnitude : magnitude;
  return true;
}
// Reads a whole 32-bit integer: optional blanks, optional sign, decimal digits, or "$" and hex
// digits. Returns false on anything else or on overflow.
bool TryParseInt(std::string_view text, int32_t& value);
// TryParseInt with a fallback.
int32_t StrToIntDef(std::string_view text, int32_t def);
double StrToFloatDef(std::string_view text, double def);

// A small printf-like formatter for the program's own fixed texts. It knows %d, %i, %u, %s,
// %f, %g, %e and %%, with flags "-", "0", "+", " ", a width and a precision ("%5.2f", "%-10s",
// "%0.03d"). Floats always use "." whatever the locale. A directive that does not match its
// argument's kind is converted sensibly (a number for %s, a rounded value for %d); a missing
// argument leaves the directive text as written. It never reads past its arguments.
using FormatArg = std::variant<int64_t, double, std::string_view>;
std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args);

// Helper so callers can pass int, float, const char* and std::string without casts.
template <class... A>
std::string Fmt(std::string_view fmt, const A&... a);

namespace detail {
inline FormatArg ToFormatArg(long long v) {
  return static_cast<int64_t>(v);
}
inline FormatArg ToFormatArg(unsigned long long v) {
  return static_cast<int64_t>(v);
}
inline FormatArg ToFormatArg(int v) {
  return static_cast<int64_t>(v);
}
inline FormatArg ToFormatArg(unsigned v) {
  return static_cast<int64_t>(v);
}
inline FormatArg ToFormatArg(long v) {
  return static_cast<int64_t>(v);
}
inline FormatArg ToFormatArg(unsigned long v) {
  return static_cast<int64_t>(v);
}
inline FormatArg ToFormatArg(double v) {
  return v;
}
inline FormatArg ToFormatArg(float v) {
  return static_cast<double>(v);
}
inline FormatArg ToFormatArg(const char* v) {
  return std::string_view(v);
}
inline FormatArg ToFormatArg(std::string_view v) {
  return v;
}
inline FormatArg ToFormatArg(const std::string& v) {
  return std::string_view(v);
}
}  // namespace detail

template <class... A>
std::string Fmt(std::string_view fmt, const A&... a) {
  return Format(fmt, {detail::ToFormatArg(a)...});
}

}  // namespace tovix

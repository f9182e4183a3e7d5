// "FORMAT(": the number and date-time patterns the expression language knows.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "expressions/eval_internal.h"

namespace tovix::eval_detail {

namespace {

// Splits a float pattern at the ";" that lie outside quotes.
std::vector<std::string> Sections(std::string_view pattern) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (const char c : pattern) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

// The literal text of pattern characters outside the number part: quotes removed.
void AppendLiteral(std::string_view text, std::string& out) {
  char quote = 0;
  for (const char c : text) {
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else {
        out += c;
      }
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else {
      out += c;
    }
  }
}

std::string GroupThousands(const std::string& digits) {
  std::string out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// One section applied to a non-negative value.
std::string FormatSection(double v, std::string_view section) {
  // The number part is the first run of "0 # . ," (and an exponent "E+00"); text before it is
  // a prefix, text behind it a suffix. Quoted text never belongs to the number part.
  size_t begin = 0;
  char quote = 0;
  for (; begin < section.size(); ++begin) {
    const char c = section[begin];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '0' || c == '#' || c == '.' || c == ',') {
      break;
    }
  }
  std::string out;
  AppendLiteral(section.substr(0, begin), out);
  if (begin == section.size()) return out;

  size_t end = begin;
  int intZeros = 0, intPlaces = 0, fracPlaces = 0, fracZeros = 0;
  bool point = false, thousands = false;
  while (end < section.size()) {
    const char c = section[end];
    if (c == '.' && !point) {
      point = true;
    } else if (c == ',') {
      thousands = thousands || !point;
    } else if (c == '0' || c == '#') {
      if (point) {
        ++fracPlaces;
        if (c == '0') fracZeros = fracPlaces;
      } else {
        ++intPlaces;
        if (c == '0') ++intZeros;
      }
    } else {
      break;
    }
    ++end;
  }
  int expDigits = -1;
  bool expPlus = false;
  if (end + 1 < section.size() && (section[end] == 'E' || section[end] == 'e') &&
      (section[end + 1] == '+' || section[end + 1] == '-')) {
    expPlus = section[end + 1] == '+';
    size_t q = end + 2;
    expDigits = 0;
    while (q < section.size() && section[q] == '0') {
      ++expDigits;
      ++q;
    }
    end = q;
  }

  int exponent = 0;
  if (expDigits >= 0 && v != 0) {
    const int leading = intPlaces > 0 ? intPlaces : 1;
    exponent = static_cast<int>(std::floor(std::log10(v))) - (leading - 1);
    v /= std::pow(10.0, exponent);
    // Rounding may carry into one more digit.
    if (std::round(v * std::pow(10.0, fracPlaces)) >= std::pow(10.0, leading + fracPlaces)) {
      v /= 10;
      ++exponent;
    }
  }

  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", fracPlaces, v);
  std::string text = buf;
  const size_t dot = text.find('.');
  std::string intDigits = text.substr(0, dot);
  std::string fracDigits = dot == std::string::npos ? "" : text.substr(dot + 1);
  if (intDigits == "0" && intZeros == 0) intDigits.clear();
  if (static_cast<int>(intDigits.size()) < intZeros) {
    intDigits.insert(0, static_cast<size_t>(intZeros) - intDigits.size(), '0');
  }
  while (static_cast<int>(fracDigits.size()) > fracZeros && fracDigits.back() == '0') {
    fracDigits.pop_back();
  }
  out += thousands ? GroupThousands(intDigits) : intDigits;
  if (!fracDigits.empty()) out += '.' + fracDigits;
  if (expDigits >= 0) {
    out += section[end - expDigits - 2];
    if (exponent < 0) {
      out += '-';
    } else if (expPlus) {
      out += '+';
    }
    std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(e.size()) < expDigits) {
      e.insert(0, static_cast<size_t>(expDigits) - e.size(), '0');
    }
    out += e;
  }
  AppendLiteral(section.substr(end), out);
  return out;
}

constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
constexpr const char* kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};

std::string TwoDigits(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::string FormatEvalNumber(double value, std::string_view pattern) {
  if (pattern.empty()) return FloatToStr(value);
  const std::vector<std::string> sections = Sections(pattern);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    return FormatSection(-value, sections[1]);
  }
  if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
    return FormatSection(0, sections[2]);
  }
  std::string text = FormatSection(std::fabs(value), sections[0]);
  // A value that rounds to zero shows no minus sign.
  if (value < 0 && text.find_first_of("123456789") != std::string::npos) text.insert(0, 1, '-');
  return text;
}

std::string FormatEvalDate(double serial, std::string_view pattern) {
  int year = 0, month = 0, day = 0;
  DecodeEvalDate(serial, year, month, day);
  const double fraction = serial - std::floor(serial);
  int seconds = static_cast<int>(std::lround(fraction * 86400.0));
  if (seconds >= 86400) seconds = 86399;
  const int hour = seconds / 3600, minute = seconds / 60 % 60, second = seconds % 60;
  // Day of the week: serial day 0 (30 December 1899) was a Saturday.
  const auto serialDay = static_cast<int64_t>(std::clamp(std::floor(serial), -1e7, 1e7));
  const int weekday = static_cast<int>(((serialDay + 6) % 7 + 7) % 7);

  if (pattern.empty()) {
    pattern = fraction != 0 ? "m/d/yyyy h:nn:ss" : "m/d/yyyy";
  }
  std::string out;
  bool afterHour = false;  // "m" right after an hour means minutes
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < pattern.size() && LoCase(pattern[i + n]) == c) ++n;
    return n;
  };
  bool twelveHour = false;
  for (size_t k = 0; k + 1 < pattern.size(); ++k) {
    if (SameText(pattern.substr(k, 5), "am/pm") || SameText(pattern.substr(k, 3), "a/p")) {
      twelveHour = true;
    }
  }
  const int shownHour = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char lc = LoCase(c);
    if (c == '\'' || c == '"') {
      const size_t close = pattern.find(c, i + 1);
      const size_t stop = close == std::string_view::npos ? pattern.size() : close;
      out += pattern.substr(i + 1, stop - i - 1);
      i = stop == pattern.size() ? stop : stop + 1;
      continue;
    }
    if (SameText(pattern.substr(i, 5), "am/pm")) {
      out += hour < 12 ? "AM" : "PM";
      i += 5;
      continue;
    }
    if (SameText(pattern.substr(i, 3), "a/p")) {
      out += hour < 12 ? 'a' : 'p';
      i += 3;
      continue;
    }
    const size_t n = run(lc);
    switch (lc) {
      case 'd':
        if (n == 1) out += std::to_string(day);
        if (n == 2) out += TwoDigits(day);
        if (n == 3) out += std::string(kDayNames[weekday]).substr(0, 3);
        if (n >= 4) out += kDayNames[weekday];
        afterHour = false;
        break;
      case 'm':
        if (afterHour) {
          out += n == 1 ? std::to_string(minute) : TwoDigits(minute);
        } else {
          if (n == 1) out += std::to_string(month);
          if (n == 2) out += TwoDigits(month);
          if (n == 3) out += std::string(kMonthNames[month - 1]).substr(0, 3);
          if (n >= 4) out += kMonthNames[month - 1];
        }
        afterHour = false;
        break;
      case 'y':
        out += n <= 2 ? TwoDigits(year % 100) : std::to_string(year);
        afterHour = false;
        break;
      case 'h':
        out += n == 1 ? std::to_string(shownHour) : TwoDigits(shownHour);
        afterHour = true;
        break;
      case 'n':
        out += n == 1 ? std::to_string(minute) : TwoDigits(minute);
        afterHour = false;
        break;
      case 's':
        out += n == 1 ? std::to_string(second) : TwoDigits(second);
        afterHour = false;
        break;
      default:
        out += c;
        i += 1;
        continue;
    }
    i += n;
  }
  return out;
}

}  // namespace tovix::eval_detail

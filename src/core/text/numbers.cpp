#include "core/text/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace tovix {

namespace {

int32_t SaturateToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Pad(std::string body, int width, bool left, char fill) {
  if (width <= 0 || static_cast<int>(body.size()) >= width) return body;
  size_t n = static_cast<size_t>(width) - body.size();
  if (left) return body + std::string(n, ' ');
  if (fill == '0') {
    // Zero padding goes after the sign.
    size_t signLen =
        (!body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ')) ? 1 : 0;
    return body.substr(0, signLen) + std::string(n, '0') + body.substr(signLen);
  }
  return std::string(n, ' ') + body;
}

std::string FixedText(double v, int decimals) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (decimals < 0) decimals = 0;
  if (decimals > 30) decimals = 30;
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "0";
  std::string s(buf, r.ptr);
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string GeneralText(double v, int precision, bool upperE) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general,
                         precision <= 0 ? 1 : precision);
  if (r.ec != std::errc()) return "0";
  std::string s(buf, r.ptr);
  if (upperE)
    for (char& c : s)
      if (c == 'e') c = 'E';
  return s;
}

std::string ScientificText(double v, int precision, bool upperE) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific,
                         precision < 0 ? 6 : precision);
  if (r.ec != std::errc()) return "0";
  std::string s(buf, r.ptr);
  if (upperE)
    for (char& c : s)
      if (c == 'e') c = 'E';
  return s;
}

}  // namespace

double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  // Done by hand rather than with nearbyint, which follows whatever rounding mode is current.
  double f = std::floor(v);
  double diff = v - f;  // exact: f and v are within 1 of each other
  if (diff < 0.5) return f;
  if (diff > 0.5) return f + 1.0;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

int32_t RoundToInt(double v) {
  return SaturateToInt(RoundHalfEven(v));
}

int32_t TruncToInt(double v) {
  return SaturateToInt(std::trunc(v));
}

std::string FormatFixed(double v, int decimals, int width) {
  return Pad(FixedText(v, decimals), width, false, ' ');
}

std::string FloatToStr(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  // Shortest form first; fall back to 15 significant digits when the shortest needs more.
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  double back = 0;
  std::string g15 = GeneralText(v, 15, false);
  if (std::from_chars(g15.data(), g15.data() + g15.size(), back).ec == std::errc() && back == v)
    return s.size() <= g15.size() ? s : g15;
  return g15.size() < s.size() ? g15 : s;
}

std::string FormatG15(double v) {
  return GeneralText(v, 15, false);
}

std::string FormatThousands(int64_t v) {
  bool neg = v < 0;
  // Work on the unsigned magnitude so INT64_MIN survives.
  uint64_t m = neg ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string digits = std::to_string(m);
  std::string out;
  int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += digits[static_cast<size_t>(i)];
  }
  return neg ? "-" + out : out;
}

bool TryParseFloat(std::string_view text, double& value, int* errorPos) {
  // Plain short decimals, the most of any report, need no further checks.
  if (TryParseShortDecimal(text, value)) {
    if (errorPos) *errorPos = 0;
    return true;
  }
  size_t lead = 0;
  while (lead < text.size() && IsBlank(text[lead])) ++lead;
  std::string_view s = TrimBlanks(text);
  auto fail = [&](size_t posInS) {
    if (errorPos) *errorPos = static_cast<int>(lead + posInS + 1);
    return false;
  };
  if (s.empty()) return fail(0);
  if (TryParseShortDecimal(s, value)) {
    if (errorPos) *errorPos = 0;
    return true;
  }
  size_t i = 0;
  bool neg = false;
  if (s[i] == '+' || s[i] == '-') {
    neg = s[i] == '-';
    ++i;
  }
  size_t numStart = i;
  double v = 0;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return fail(i);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t e = i + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    size_t expDigits = 0;
    while (e < s.size() && s[e] >= '0' && s[e] <= '9') ++e, ++expDigits;
    if (expDigits == 0) return fail(e);
    i = e;
  }
  if (i != s.size()) return fail(i);
  // from_chars rejects a leading '+', so parse from the first digit and apply the sign.
  auto r = std::from_chars(s.data() + numStart, s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    v = std::strtod(std::string(s.substr(numStart)).c_str(), nullptr);  // inf or 0, no locale text
  } else if (r.ec != std::errc() || r.ptr != s.data() + s.size()) {
    return fail(static_cast<size_t>(r.ptr - s.data()));
  }
  value = neg ? -v : v;
  if (errorPos) *errorPos = 0;
  return true;
}

bool TryParseInt(std::string_view text, int32_t& value) {
  std::string_view s = TrimBlanks(text);
  if (s.empty()) return false;
  bool neg = false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    neg = s[0] == '-';
    i = 1;
  }
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  auto r = std::from_chars(s.data() + i, s.data() + s.size(), v, base);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  if (neg) v = -v;
  if (base == 16 && !neg && v > 0x7FFFFFFF && v <= 0xFFFFFFFFLL)
    v -= 0x100000000LL;  // "$FFFFFFFF" = -1
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t StrToIntDef(std::string_view text, int32_t def) {
  int32_t v;
  return TryParseInt(text, v) ? v : def;
}

double StrToFloatDef(std::string_view text, double def) {
  double v;
  return TryParseFloat(text, v) ? v : def;
}

std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(fmt.size() + 16);
  auto next = args.begin();
  size_t i = 0;
  while (i < fmt.size()) {
    char c = fmt[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    size_t start = i++;
    if (i < fmt.size() && fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    bool left = false, plus = false, space = false;
    char fill = ' ';
    for (; i < fmt.size(); ++i) {
      if (fmt[i] == '-')
        left = true;
      else if (fmt[i] == '+')
        plus = true;
      else if (fmt[i] == ' ')
        space = true;
      else if (fmt[i] == '0')
        fill = '0';
      else
        break;
    }
    int width = 0;
    while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9' && width < 10000)
      width = width * 10 + (fmt[i++] - '0');
    int precision = -1;
    if (i < fmt.size() && fmt[i] == '.') {
      ++i;
      precision = 0;
      while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9' && precision < 10000)
        precision = precision * 10 + (fmt[i++] - '0');
    }
    // Length modifiers carry no meaning here.
    while (i < fmt.size() && (fmt[i] == 'l' || fmt[i] == 'h' || fmt[i] == 'z')) ++i;
    if (i >= fmt.size()) {
      out.append(fmt.substr(start));
      break;
    }
    char conv = fmt[i++];
    if (std::string_view("diusfgGeExX").find(conv) == std::string_view::npos) {
      out.append(fmt.substr(start, i - start));
      continue;
    }
    if (next == args.end()) {
      out.append(fmt.substr(start, i - start));
      continue;
    }
    const FormatArg& arg = *next++;
    std::string body;
    auto asDouble = [&]() -> double {
      if (auto p = std::get_if<int64_t>(&arg)) return static_cast<double>(*p);
      if (auto p = std::get_if<double>(&arg)) return *p;
      return StrToFloatDef(std::get<std::string_view>(arg), 0);
    };
    auto asInt = [&]() -> int64_t {
      if (auto p = std::get_if<int64_t>(&arg)) return *p;
      if (auto p = std::get_if<double>(&arg)) {
        double r = RoundHalfEven(*p);
        if (std::isnan(r)) return 0;
        if (r >= 9.2e18) return std::numeric_limits<int64_t>::max();
        if (r <= -9.2e18) return std::numeric_limits<int64_t>::min();
        return static_cast<int64_t>(r);
      }
      int32_t v = 0;
      TryParseInt(std::get<std::string_view>(arg), v);
      return v;
    };
    switch (conv) {
      case 'd':
      case 'i':
      case 'u': {
        int64_t v = asInt();
        uint64_t magnitude =
            v < 0 ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        std::string digits = std::to_string(magnitude);
        // A precision on an integer is a minimum digit count ("%0.03d" -> 007).
        if (precision > 0 && static_cast<int>(digits.size()) < precision)
          digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        body = (v < 0 ? "-" : plus ? "+" : space ? " " : "") + digits;
        if (precision >= 0) fill = ' ';
        break;
      }
      case 'x':
      case 'X': {
        uint64_t v = static_cast<uint64_t>(asInt());
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
        body.assign(buf, r.ptr);
        if (conv == 'X')
          for (char& ch : body)
            if (ch >= 'a' && ch <= 'f') ch = static_cast<char>(ch - 'a' + 'A');
        break;
      }
      case 's': {
        if (auto p = std::get_if<std::string_view>(&arg))
          body = std::string(*p);
        else if (auto q = std::get_if<int64_t>(&arg))
          body = std::to_string(*q);
        else
          body = FloatToStr(std::get<double>(arg));
        if (precision >= 0 && static_cast<int>(body.size()) > precision)
          body.resize(static_cast<size_t>(precision));
        fill = ' ';
        break;
      }
      case 'f':
        body = FixedText(asDouble(), precision < 0 ? 6 : precision);
        break;
      case 'g':
      case 'G':
        body = GeneralText(asDouble(), precision < 0 ? 6 : precision, conv == 'G');
        break;
      case 'e':
      case 'E':
        body = ScientificText(asDouble(), precision, conv == 'E');
        break;
    }
    if ((conv == 'f' || conv == 'g' || conv == 'G' || conv == 'e' || conv == 'E') &&
        !body.empty() && body[0] != '-') {
      if (plus)
        body.insert(0, "+");
      else if (space)
        body.insert(0, " ");
    }
    out += Pad(std::move(body), width, left, left ? ' ' : fill);
  }
  return out;
}

}  // namespace tovix

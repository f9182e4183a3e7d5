// The 51 built-in functions of the expression language.

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "core/text/str_utils.h"
#include "expressions/eval_internal.h"

namespace tovix::eval_detail {

namespace {

enum Fn : int {
  fnIif,
  fnAbs,
  fnOdd,
  fnRnd,
  fnInt,
  fnRound,
  fnBetween,
  fnFormat,
  fnMid,
  fnLen,
  fnInstr,
  fnChr,
  fnAsc,
  fnString,
  fnCrlf,
  fnLtrim,
  fnRtrim,
  fnTrim,
  fnUcase,
  fnLcase,
  fnHex,
  fnConcat,
  fnMakeDate,
  fnMonth,
  fnDay,
  fnYear,
  fnDate,
  fnToday,
  fnIncDate,
  fnMax,
  fnMin,
  fnFrac,
  fnSqrt,
  fnExp,
  fnLn,
  fnLog,
  fnPi,
  fnDeg2Rad,
  fnRad2Deg,
  fnCos,
  fnSin,
  fnTan,
  fnArcCos,
  fnArcSin,
  fnArcTan,
  fnCosh,
  fnSinh,
  fnTanh,
  fnArcosh,
  fnArsinh,
  fnArtanh,
  fnCount
};

struct FnInfo {
  std::string_view name;
  int args;
};

constexpr std::array<FnInfo, fnCount> kFunctions{{
    {"IIF(", 3},    {"ABS(", 1},     {"ODD(", 1},      {"RND(", 1},     {"INT(", 1},
    {"ROUND(", 2},  {"BETWEEN(", 4}, {"FORMAT(", 2},   {"MID(", 3},     {"LEN(", 1},
    {"INSTR(", 3},  {"CHR(", 1},     {"ASC(", 1},      {"STRING(", 2},  {"CRLF(", 1},
    {"LTRIM(", 1},  {"RTRIM(", 1},   {"TRIM(", 1},     {"UCASE(", 1},   {"LCASE(", 1},
    {"HEX(", 2},    {"CONCAT(", 3},  {"MAKEDATE(", 3}, {"MONTH(", 1},   {"DAY(", 1},
    {"YEAR(", 1},   {"DATE(", 0},    {"TODAY(", 2},    {"INCDATE(", 3}, {"MAX(", 2},
    {"MIN(", 2},    {"FRAC(", 1},    {"SQRT(", 1},     {"EXP(", 1},     {"LN(", 1},
    {"LOG(", 2},    {"PI(", 1},      {"DEG2RAD(", 1},  {"RAD2DEG(", 1}, {"COS(", 1},
    {"SIN(", 1},    {"TAN(", 1},     {"ARCCOS(", 1},   {"ARCSIN(", 1},  {"ARCTAN(", 1},
    {"COSH(", 1},   {"SINH(", 1},    {"TANH(", 1},     {"ARCOSH(", 1},  {"ARSINH(", 1},
    {"ARTANH(", 1},
}};

constexpr double kPi = std::numbers::pi;
constexpr size_t kMaxFormatLength = 255;

int32_t Num(TEvalValue& out, double v) {
  out = TEvalValue::Num(v);
  return evNumber;
}
int32_t Bool(TEvalValue& out, bool v) {
  out = TEvalValue::Bool(v);
  return evBoolean;
}
int32_t Str(TEvalValue& out, std::string v) {
  out = TEvalValue::Str(std::move(v));
  return evString;
}
int32_t Date(TEvalValue& out, double v) {
  out = TEvalValue::Date(v);
  return evDate;
}

bool IsWhole(double v) {
  return std::fabs(v - std::trunc(v)) < kEvalEps;
}

// A count or position as an integer; values beyond the int range are clamped.
int64_t ToInt(double v) {
  const double t = std::trunc(v);
  if (t >= 9.0e15) return static_cast<int64_t>(9.0e15);
  if (t <= -9.0e15) return static_cast<int64_t>(-9.0e15);
  return static_cast<int64_t>(t);
}

// serial + days, then + months calendar months (the day kept, or the month's last day).
bool AddToDate(double serial, double months, double days, double& result) {
  const double shifted = serial + days;
  if (!std::isfinite(shifted) || std::fabs(shifted) > 3.0e6) return false;
  int y = 0, m = 0, d = 0;
  DecodeEvalDate(shifted, y, m, d);
  const double time = shifted - std::floor(shifted);
  const int64_t total = int64_t{y} * 12 + (m - 1) + ToInt(months);
  const int64_t ny = total >= 0 ? total / 12 : (total - 11) / 12;
  const int nm = static_cast<int>(total - ny * 12) + 1;
  if (ny < 1 || ny > 9999) return false;
  std::optional<double> date;
  for (int day = d; day >= 28 && !date; --day) {
    date = EncodeEvalDate(static_cast<int>(ny), nm, day);
  }
  if (!date) date = EncodeEvalDate(static_cast<int>(ny), nm, d);
  if (!date) return false;
  result = *date + time;
  return true;
}

// The first case-insensitive occurrence of sub in s at or after the 1-based start; 0 when
// there is none.
int64_t FindText(int64_t start, std::string_view s, std::string_view sub) {
  if (sub.empty()) return 0;
  if (start < 1) start = 1;
  const auto size = static_cast<int64_t>(s.size());
  const auto length = static_cast<int64_t>(sub.size());
  for (int64_t p = start; p + length - 1 <= size; ++p) {
    if (SameText(s.substr(static_cast<size_t>(p - 1), sub.size()), sub)) return p;
  }
  return 0;
}

std::string Hex(uint64_t v, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v);
  if (static_cast<int>(text.size()) < digits) {
    text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
  }
  return text;
}

int32_t Between(std::span<const TEvalValue> a, TEvalValue& out) {
  const int32_t type = a[0].Type;
  if (a[1].Type != type || a[2].Type != type || a[3].Type != evNumber) return kEvalFailed;
  const int64_t mode = ToInt(a[3].Number);
  const bool lowInclusive = mode & 1;
  const bool highInclusive = mode & 2;
  // Signed comparison of value against a bound: negative, 0 or positive.
  auto compare = [&](const TEvalValue& x, const TEvalValue& y) -> int {
    if (type == evString) return CompareText(x.Text, y.Text);
    const double d = x.Number - y.Number;
    if (type == evDate) return d < 0 ? -1 : d > 0 ? 1 : 0;
    return d < -kEvalEps ? -1 : d > kEvalEps ? 1 : 0;
  };
  // The bounds may be written in either order.
  const bool ordered = compare(a[1], a[2]) <= 0;
  const TEvalValue& low = ordered ? a[1] : a[2];
  const TEvalValue& high = ordered ? a[2] : a[1];
  const int vl = compare(a[0], low);
  const int vh = compare(a[0], high);
  return Bool(out, (vl > 0 || (lowInclusive && vl == 0)) && (vh < 0 || (highInclusive && vh == 0)));
}

int32_t Mid(std::string_view s, double startArg, double countArg, TEvalValue& out) {
  const int64_t start = ToInt(startArg);
  const int64_t count = ToInt(countArg);
  if (start < 1) return kEvalFailed;
  const auto size = static_cast<int64_t>(s.size());
  if (start > size || count == 0) return Str(out, {});
  const int64_t rest = size - start + 1;
  const int64_t take = count < 0 || count > rest ? rest : count;
  return Str(out, std::string(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(take))));
}

}  // namespace

int FindBuiltin(std::string_view name) {
  for (size_t i = 0; i < kFunctions.size(); ++i) {
    if (kFunctions[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int BuiltinArgCount(int index) {
  return kFunctions[static_cast<size_t>(index)].args;
}

double NowOf(const TEvalEnvironment& environment) {
  return environment.Now ? *environment.Now : EvalNowFromClock();
}

int32_t CallBuiltin(int index, std::span<const TEvalValue> a, TEvalValue& out,
                    const TEvalEnvironment& environment) {
  // Argument type checks, by function.
  auto types = [&](std::initializer_list<int32_t> wanted) {
    size_t i = 0;
    for (const int32_t t : wanted) {
      if (a[i++].Type != t) return false;
    }
    return true;
  };
  const double x = a.empty() ? 0.0 : a[0].Number;
  const bool oneNumber = a.size() == 1 && a[0].Type == evNumber;
  const bool oneString = a.size() == 1 && a[0].Type == evString;

  switch (index) {
    case fnIif:
      if (a[0].Type != evBoolean) return kEvalFailed;
      out = a[0].IsTrue() ? a[1] : a[2];
      return out.Type;
    case fnBetween:
      return Between(a, out);
    case fnFormat: {
      if (a[1].Type != evString) return kEvalFailed;
      std::string text;
      if (a[0].Type == evNumber || a[0].Type == evBoolean) {
        text = FormatEvalNumber(x, a[1].Text);
      } else if (a[0].Type == evDate) {
        text = FormatEvalDate(x, a[1].Text);
      } else {
        return kEvalFailed;
      }
      if (text.size() > kMaxFormatLength) text.resize(kMaxFormatLength);
      return Str(out, std::move(text));
    }
    case fnMid:
      if (!types({evString, evNumber, evNumber})) return kEvalFailed;
      return Mid(a[0].Text, a[1].Number, a[2].Number, out);
    case fnInstr:
      if (!types({evNumber, evString, evString})) return kEvalFailed;
      return Num(out, static_cast<double>(FindText(ToInt(x), a[1].Text, a[2].Text)));
    case fnString: {
      if (!types({evNumber, evNumber})) return kEvalFailed;
      const int64_t code = ToInt(x);
      const int64_t count = ToInt(a[1].Number);
      if (count < 0 || count > static_cast<int64_t>(kMaxEvalString)) return kEvalFailed;
      const char c = code < 0 ? '\0' : code > 255 ? ' ' : static_cast<char>(code);
      return Str(out, std::string(static_cast<size_t>(count), c));
    }
    case fnHex: {
      if (!types({evNumber, evNumber})) return kEvalFailed;
      const int64_t digits = ToInt(a[1].Number);
      if (digits < 1 || digits > 8 || std::fabs(x) >= 9.0e18) return kEvalFailed;
      const auto v = static_cast<int64_t>(std::trunc(x));
      const bool fits32 = v >= INT32_MIN && v <= INT32_MAX;
      const uint64_t bits = fits32 ? uint64_t{static_cast<uint32_t>(static_cast<int32_t>(v))}
                                   : static_cast<uint64_t>(v);
      return Str(out, Hex(bits, static_cast<int>(digits)));
    }
    case fnConcat: {
      if (!types({evString, evString, evString})) return kEvalFailed;
      if (a[0].Text.size() + a[1].Text.size() + a[2].Text.size() > kMaxEvalString)
        return kEvalFailed;
      std::string text = a[0].Text;
      if (!a[0].Text.empty() && !a[1].Text.empty()) text += a[2].Text;
      text += a[1].Text;
      return Str(out, std::move(text));
    }
    case fnMakeDate: {
      if (!types({evNumber, evNumber, evNumber})) return kEvalFailed;
      const int64_t m = ToInt(x), d = ToInt(a[1].Number), y = ToInt(a[2].Number);
      if (m < 1 || m > 12 || d < 1 || d > 31 || y < 1 || y > 9999) return kEvalFailed;
      const auto date =
          EncodeEvalDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
      return date ? Date(out, *date) : kEvalFailed;
    }
    case fnMonth:
    case fnDay:
    case fnYear: {
      if (a[0].Type != evDate) return kEvalFailed;
      int y = 0, m = 0, d = 0;
      DecodeEvalDate(x, y, m, d);
      return Num(out, index == fnMonth ? m : index == fnDay ? d : y);
    }
    case fnDate:
      return Date(out, std::floor(NowOf(environment)));
    case fnToday: {
      if (!types({evNumber, evNumber})) return kEvalFailed;
      double date = 0;
      if (!AddToDate(std::floor(NowOf(environment)), x, a[1].Number, date)) return kEvalFailed;
      return Date(out, date);
    }
    case fnIncDate: {
      if (!types({evDate, evNumber, evNumber})) return kEvalFailed;
      double date = 0;
      if (!AddToDate(x, a[1].Number, a[2].Number, date)) return kEvalFailed;
      return Date(out, date);
    }
    case fnMax:
    case fnMin: {
      if (!types({evNumber, evNumber})) return kEvalFailed;
      const double y = a[1].Number;
      if (index == fnMax) return Num(out, y > x ? y : x);
      return Num(out, y < x ? y : x);
    }
    case fnRound: {
      if (!types({evNumber, evNumber})) return kEvalFailed;
      const double n = a[1].Number;
      if (!IsWhole(n) || n < 0) return kEvalFailed;
      const double r = std::pow(10.0, std::trunc(n));
      return Num(out, std::trunc(x * r + 0.5) / r);
    }
    case fnLog:
      if (!types({evNumber, evNumber})) return kEvalFailed;
      if (x <= 0 || a[1].Number <= 0) return kEvalFailed;
      return Num(out, std::log(a[1].Number) / std::log(x));
    default:
      break;
  }

  // Functions of one string.
  if (index == fnLen || index == fnAsc || (index >= fnLtrim && index <= fnLcase)) {
    if (!oneString) return kEvalFailed;
    const std::string& s = a[0].Text;
    switch (index) {
      case fnLen:
        return Num(out, static_cast<double>(s.size()));
      case fnAsc:
        return Num(out, s.empty() ? 0 : static_cast<unsigned char>(s[0]));
      case fnUcase:
        return Str(out, UpperCase(s));
      case fnLcase:
        return Str(out, LowerCase(s));
      default: {
        size_t b = 0, e = s.size();
        if (index != fnRtrim) {
          while (b < e && s[b] == ' ') ++b;
        }
        if (index != fnLtrim) {
          while (e > b && s[e - 1] == ' ') --e;
        }
        return Str(out, s.substr(b, e - b));
      }
    }
  }

  // Functions of one number.
  if (!oneNumber) return kEvalFailed;
  switch (index) {
    case fnAbs:
      return Num(out, std::fabs(x));
    case fnOdd: {
      const double half = std::fabs(x) / 2;
      return Bool(out, half - std::trunc(half) >= kEvalEps);
    }
    case fnRnd: {
      std::uniform_real_distribution<double> fraction(0.0, 1.0);
      double f = 0;
      if (environment.Random) {
        f = fraction(*environment.Random);
      } else {
        std::mt19937_64 engine{std::random_device{}()};
        f = fraction(engine);
      }
      return Num(out, f * x);
    }
    case fnInt:
      return Num(out, std::trunc(x));
    case fnChr: {
      const int64_t code = ToInt(x);
      return Str(out, std::string(1, code < 0 || code > 255 ? ' ' : static_cast<char>(code)));
    }
    case fnCrlf: {
      const int64_t n = ToInt(x);
      if (n < 0 || 2 * n > static_cast<int64_t>(kMaxEvalString)) return kEvalFailed;
      std::string text;
      text.reserve(static_cast<size_t>(2 * n));
      for (int64_t i = 0; i < n; ++i) text += "\r\n";
      return Str(out, std::move(text));
    }
    case fnFrac:
      return Num(out, x - std::trunc(x));
    case fnSqrt:
      if (x < 0) return kEvalFailed;
      return Num(out, std::sqrt(x));
    case fnExp:
      return Num(out, std::exp(x));
    case fnLn:
      if (x <= 0) return kEvalFailed;
      return Num(out, std::log(x));
    case fnPi:
      return Num(out, kPi * x);
    case fnDeg2Rad:
      return Num(out, x * kPi / 180.0);
    case fnRad2Deg:
      return Num(out, x * 180.0 / kPi);
    case fnCos:
      return Num(out, std::cos(x));
    case fnSin:
      return Num(out, std::sin(x));
    case fnTan: {
      const double c = std::cos(x);
      if (std::fabs(c) < kEvalEps) return kEvalFailed;
      return Num(out, std::sin(x) / c);
    }
    case fnArcCos:
    case fnArcSin: {
      if (std::fabs(x) > 1) return kEvalFailed;
      const bool cosine = index == fnArcCos;
      if (1 - x < kEvalEps) return Num(out, cosine ? 0.0 : kPi / 2);
      if (x + 1 < kEvalEps) return Num(out, cosine ? kPi : -kPi / 2);
      const double asin = std::atan(x / std::sqrt(1 - x * x));
      return Num(out, cosine ? kPi / 2 - asin : asin);
    }
    case fnArcTan:
      return Num(out, std::atan(x));
    case fnCosh:
      return Num(out, (std::exp(x) + std::exp(-x)) / 2);
    case fnSinh:
      return Num(out, (std::exp(x) - std::exp(-x)) / 2);
    case fnTanh:
      return Num(out, std::tanh(x));
    case fnArcosh:
      if (x < 1) return kEvalFailed;
      return Num(out, std::log(x + std::sqrt(x * x - 1)));
    case fnArsinh:
      return Num(out, std::log(x + std::sqrt(x * x + 1)));
    case fnArtanh:
      if (std::fabs(x) >= 1) return kEvalFailed;
      return Num(out, std::log((1 + x) / (1 - x)) / 2);
    default:
      return kEvalFailed;
  }
}

}  // namespace tovix::eval_detail

// The span scanner of the expression language: normalisation, operator choice, operands and
// function calls. The built-in functions are in eval_functions.cpp.

#include "expressions/evaluator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <ctime>
#include <deque>
#include <memory>
#include <vector>

#include "core/text/str_utils.h"
#include "expressions/eval_internal.h"

namespace tovix {

namespace {

using eval_detail::BuiltinArgCount;
using eval_detail::CallBuiltin;
using eval_detail::FindBuiltin;

constexpr size_t kNone = std::string_view::npos;
// Deeper nesting than this (parentheses, or a chain of operators) fails instead of exhausting
// the stack. The longest expression the filters take (511 characters) nests at most 256 deep.
constexpr int kMaxDepth = 600;
constexpr int32_t kAnyType = evNumber | evBoolean | evString | evDate;

enum OpIndex : int {
  opAnd,
  opXor,
  opNot,
  opOr,
  opJoinBlank,
  opNe,
  opGe,
  opLe,
  opAdd,
  opSub,
  opMul,
  opDiv,
  opPow,
  opJoin,
  opEq,
  opGt,
  opLt,
};

struct OpInfo {
  std::string_view name;
  int priority;
  int32_t operandMask;
  int kind;  // 0 prefix only, 1 infix, 2 infix and left-associative among equal priorities
  bool word;
};

// In search order: two-character operators come before their one-character prefixes.
constexpr std::array<OpInfo, 17> kOps{{
    {"AND", 20, evBoolean, 1, true},
    {"XOR", 20, evBoolean, 1, true},
    {"NOT", 30, evBoolean, 0, true},
    {"OR", 10, evBoolean, 1, true},
    {"&&", 50, evString, 1, false},
    {"<>", 40, kAnyType, 1, false},
    {">=", 40, kAnyType, 1, false},
    {"<=", 40, kAnyType, 1, false},
    {"+", 60, evNumber, 2, false},
    {"-", 60, evNumber, 2, false},
    {"*", 80, evNumber, 2, false},
    {"/", 80, evNumber, 2, false},
    {"^", 90, evNumber, 1, false},
    {"&", 50, evString, 1, false},
    {"=", 40, kAnyType, 1, false},
    {">", 40, kAnyType, 1, false},
    {"<", 40, kAnyType, 1, false},
}};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F');
}
bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || IsDigit(c);
}

// No infinite or undefined number, no string beyond the size a value may hold.
bool Sane(const TEvalValue& v) {
  if (v.Type == evString) return v.Text.size() <= kMaxEvalString;
  return !(v.Type & (evNumber | evDate)) || std::isfinite(v.Number);
}

}  // namespace

// What the scan of one span found. It depends on the text alone, so a prepared expression
// keeps it between evaluations; the spans inside one are scanned when first evaluated, so a
// part that a short cut never reaches is never scanned.
struct TEvalSpanCache {
  struct Span {
    Span(size_t begin, size_t end) : b(begin), e(end) {}
    size_t b, e;  // as given
    bool analysed = false;
    bool ok = false;            // the scan of this level succeeded
    int depthAdded = 0;         // parentheses stripped
    size_t ib = 0, ie = 0;      // trimmed, outer parentheses stripped
    int op = -1;                // split operator, or -1 for one operand
    bool leading = false;       // the split is a leading "NOT" or "-"
    size_t opStart = 0;         // first character of the split operator
    int left = -1, right = -1;  // the spans on either side
    bool operandOk = false;     // a literal converts, a call's arguments are found
    double number = 0;          // number and hexadecimal literals
    std::string text;           // string literals, quotes undone
    std::vector<int> args;      // a call's argument spans
    int builtin = -1;           // a call's built-in function
  };
  std::deque<Span> spans;  // a deque keeps references valid while it grows

  int Add(size_t b, size_t e) {
    spans.emplace_back(b, e);
    return static_cast<int>(spans.size()) - 1;
  }
};

namespace {

class Evaluator {
 public:
  Evaluator(std::string_view text, const TEvalEnvironment& env, TEvalSpanCache& cache)
      : s_(text), env_(env), cache_(cache) {}

  int32_t Eval(int id, TEvalValue& out, int depth);

 private:
  using Span = TEvalSpanCache::Span;
  struct FoundOp {
    int index = -1;
    size_t start = 0;  // first character of the operator
    size_t next = 0;   // behind the operator and one following blank
  };

  void Trim(size_t& b, size_t& e) const {
    while (b < e && s_[b] == ' ') ++b;
    while (e > b && s_[e - 1] == ' ') --e;
  }
  size_t SkipQuoted(size_t p, size_t e) const;
  size_t MatchParen(size_t p, size_t e) const;
  size_t SkipOperand(size_t p, size_t e) const;
  FoundOp MatchOp(size_t p, size_t e) const;
  void Analyse(Span& sp);
  void AnalyseOperand(Span& sp);
  int32_t EvalOperand(Span& sp, TEvalValue& out, int depth);
  int32_t EvalInfix(Span& sp, TEvalValue& out, int depth);
  int32_t EvalCall(Span& sp, TEvalValue& out, int depth);
  int32_t EvalDateLiteral(size_t b, size_t e, TEvalValue& out) const;

  std::string_view s_;
  const TEvalEnvironment& env_;
  TEvalSpanCache& cache_;
};

// p at an opening quote; returns the position behind the closing one, or kNone.
size_t Evaluator::SkipQuoted(size_t p, size_t e) const {
  for (size_t q = p + 1; q < e; ++q) {
    if (s_[q] != '\'') continue;
    if (q + 1 < e && s_[q + 1] == '\'') {
      ++q;
      continue;
    }
    return q + 1;
  }
  return kNone;
}

// p at "("; returns the position of its matching ")", or kNone.
size_t Evaluator::MatchParen(size_t p, size_t e) const {
  int level = 0;
  for (size_t q = p; q < e;) {
    const char c = s_[q];
    if (c == '\'') {
      q = SkipQuoted(q, e);
      if (q == kNone) return kNone;
      continue;
    }
    if (c == '(') ++level;
    if (c == ')' && --level == 0) return q;
    ++q;
  }
  return kNone;
}

// Returns the position behind the operand at p, or kNone when none starts there.
size_t Evaluator::SkipOperand(size_t p, size_t e) const {
  if (p >= e) return kNone;
  const char c = s_[p];
  if (IsDigit(c)) {
    size_t q = p;
    while (q < e && IsDigit(s_[q])) ++q;
    if (q < e && s_[q] == '.') {
      ++q;
      while (q < e && IsDigit(s_[q])) ++q;
    }
    if (q < e && s_[q] == 'E') {
      size_t x = q + 1;
      if (x < e && (s_[x] == '+' || s_[x] == '-')) ++x;
      if (x < e && IsDigit(s_[x])) {
        while (x < e && IsDigit(s_[x])) ++x;
        q = x;
      }
    }
    return q;
  }
  switch (c) {
    case '$': {
      size_t q = p + 1;
      while (q < e && IsHexDigit(s_[q])) ++q;
      const size_t digits = q - p - 1;
      if (digits < 1 || digits > 9 || q >= e || s_[q] != '$') return kNone;
      return q + 1;
    }
    case '[': {
      const size_t q = s_.find(']', p + 1);
      return q < e ? q + 1 : kNone;
    }
    case '#': {
      const size_t q = s_.find('#', p + 1);
      return q < e ? q + 1 : kNone;
    }
    case '\'':
      return SkipQuoted(p, e);
    case '(': {
      const size_t q = MatchParen(p, e);
      return q == kNone ? kNone : q + 1;
    }
    default:
      break;
  }
  if (IsNameStart(c)) {
    size_t q = p;
    while (q < e && IsNameChar(s_[q])) ++q;
    if (q >= e || s_[q] != '(') return kNone;  // a bare name is no operand
    const size_t close = MatchParen(q, e);
    return close == kNone ? kNone : close + 1;
  }
  return kNone;
}

// The operator at p (one blank before it skipped), or index -1.
Evaluator::FoundOp Evaluator::MatchOp(size_t p, size_t e) const {
  FoundOp found;
  if (p < e && s_[p] == ' ') ++p;
  const std::string_view rest = s_.substr(p, e - p);
  for (size_t i = 0; i < kOps.size(); ++i) {
    const OpInfo& op = kOps[i];
    if (!rest.starts_with(op.name)) continue;
    size_t next = p + op.name.size();
    if (op.word) {
      if (next >= e) continue;
      const char after = s_[next];
      if (after != ' ' && after != '(' && !IsDigit(after)) continue;
    }
    if (next < e && s_[next] == ' ') ++next;
    found.index = static_cast<int>(i);
    found.start = p;
    found.next = next;
    return found;
  }
  return found;
}

void Evaluator::Analyse(Span& sp) {
  sp.analysed = true;
  size_t b = sp.b, e = sp.e;
  Trim(b, e);
  while (b < e && s_[b] == '(' && MatchParen(b, e) == e - 1) {
    if (++sp.depthAdded > kMaxDepth) return;
    ++b;
    --e;
    Trim(b, e);
  }
  if (b >= e) return;
  sp.ib = b;
  sp.ie = e;

  FoundOp split;
  size_t pos = b;
  const FoundOp leading = MatchOp(b, e);
  if (leading.index >= 0) {
    if (leading.index != opNot && leading.index != opSub) return;
    split = leading;
    pos = leading.next;
  }
  for (;;) {
    const size_t q = SkipOperand(pos, e);
    if (q == kNone) return;
    if (q == e) break;
    const FoundOp op = MatchOp(q, e);
    if (op.index < 0 || kOps[static_cast<size_t>(op.index)].kind == 0) return;
    if (op.next >= e) return;  // empty right side
    if (split.index < 0) {
      split = op;
    } else {
      const OpInfo& now = kOps[static_cast<size_t>(split.index)];
      const OpInfo& found = kOps[static_cast<size_t>(op.index)];
      if (found.priority < now.priority || (found.priority == now.priority && found.kind == 2)) {
        split = op;
      }
    }
    pos = op.next;
  }
  sp.ok = true;
  sp.op = split.index;
  if (split.index < 0) {
    AnalyseOperand(sp);
    return;
  }
  sp.opStart = split.start;
  sp.leading = split.start == b;
  // Adding spans may not move `sp`: the cache is a deque.
  if (!sp.leading) sp.left = cache_.Add(b, split.start);
  sp.right = cache_.Add(split.next, e);
}

int32_t Evaluator::Eval(int id, TEvalValue& out, int depth) {
  out = TEvalValue{};
  if (depth > kMaxDepth) return kEvalFailed;
  Span& sp = cache_.spans[static_cast<size_t>(id)];
  if (!sp.analysed) Analyse(sp);
  if (!sp.ok) return kEvalFailed;
  depth += sp.depthAdded;

  int32_t status;
  if (sp.op < 0) {
    status = EvalOperand(sp, out, depth);
  } else if (sp.leading) {
    TEvalValue operand;
    status = Eval(sp.right, operand, depth + 1);
    if (sp.op == opNot && status == evBoolean) {
      out = TEvalValue::Bool(!operand.IsTrue());
    } else if (sp.op == opSub && status == evNumber) {
      out = TEvalValue::Num(-operand.Number);
    } else {
      status = kEvalFailed;
    }
    if (status != kEvalFailed) status = out.Type;
  } else {
    status = EvalInfix(sp, out, depth);
  }
  if (status == kEvalFailed || !Sane(out)) {
    out = TEvalValue{};
    return kEvalFailed;
  }
  return status;
}

int32_t Evaluator::EvalInfix(Span& sp, TEvalValue& out, int depth) {
  const OpInfo& info = kOps[static_cast<size_t>(sp.op)];
  const int opIndex = sp.op;
  const int rightId = sp.right;
  TEvalValue left;
  const int32_t lt = Eval(sp.left, left, depth + 1);
  if (lt == kEvalFailed || !(lt & info.operandMask)) return kEvalFailed;
  const bool leftSmall = lt == evNumber && std::fabs(left.Number) < kEvalEps;

  // Short cuts: the right side is not evaluated.
  switch (opIndex) {
    case opAnd:
      if (!left.IsTrue()) {
        out = TEvalValue::Bool(false);
        return evBoolean;
      }
      break;
    case opOr:
      if (left.IsTrue()) {
        out = TEvalValue::Bool(true);
        return evBoolean;
      }
      break;
    case opMul:
    case opDiv:
    case opPow:
      if (leftSmall) {
        out = TEvalValue::Num(0);
        return evNumber;
      }
      break;
    default:
      break;
  }

  TEvalValue right;
  const int32_t rt = Eval(rightId, right, depth + 1);
  if (rt == kEvalFailed) return kEvalFailed;
  const double l = left.Number;
  const double r = right.Number;
  switch (opIndex) {
    case opAnd:
    case opOr:
      if (rt != evBoolean) return kEvalFailed;
      out = TEvalValue::Bool(right.IsTrue());
      return evBoolean;
    case opXor:
      if (rt != evBoolean) return kEvalFailed;
      out = TEvalValue::Bool(left.IsTrue() != right.IsTrue());
      return evBoolean;
    case opJoin:
    case opJoinBlank: {
      if (rt != evString) return kEvalFailed;
      if (left.Text.size() + 1 + right.Text.size() > kMaxEvalString) return kEvalFailed;
      std::string text = std::move(left.Text);
      if (opIndex == opJoinBlank && !text.empty() && !right.Text.empty()) text += ' ';
      text += right.Text;
      out = TEvalValue::Str(std::move(text));
      return evString;
    }
    case opAdd:
    case opSub:
    case opMul:
    case opDiv:
    case opPow:
      if (rt != evNumber) return kEvalFailed;
      break;
    default: {
      // Comparisons: both sides of one type.
      if (rt != lt) return kEvalFailed;
      bool result = false;
      if (lt == evString) {
        const int c = CompareText(left.Text, right.Text);
        switch (opIndex) {
          case opEq:
            result = c == 0;
            break;
          case opNe:
            result = c != 0;
            break;
          case opGt:
            result = c > 0;
            break;
          case opLt:
            result = c < 0;
            break;
          case opGe:
            result = c >= 0;
            break;
          default:
            result = c <= 0;
            break;
        }
      } else if (lt == evDate) {
        switch (opIndex) {
          case opEq:
            result = l == r;
            break;
          case opNe:
            result = l != r;
            break;
          case opGt:
            result = l > r;
            break;
          case opLt:
            result = l < r;
            break;
          case opGe:
            result = l >= r;
            break;
          default:
            result = l <= r;
            break;
        }
      } else {
        const double d = l - r;
        switch (opIndex) {
          case opEq:
            result = std::fabs(d) < kEvalEps;
            break;
          case opNe:
            result = std::fabs(d) > kEvalEps;
            break;
          case opGt:
            result = d > kEvalEps;
            break;
          case opLt:
            result = -d > kEvalEps;
            break;
          case opGe:
            result = d > -kEvalEps;
            break;
          default:
            result = -d > -kEvalEps;
            break;
        }
      }
      out = TEvalValue::Bool(result);
      return evBoolean;
    }
  }
  switch (opIndex) {
    case opAdd:
      out = TEvalValue::Num(l + r);
      break;
    case opSub:
      out = TEvalValue::Num(l - r);
      break;
    case opMul:
      out = TEvalValue::Num(l * r);
      break;
    case opDiv:
      if (std::fabs(r) < kEvalEps) return kEvalFailed;
      out = TEvalValue::Num(l / r);
      break;
    default: {  // "^"
      if (l > 0) {
        out = TEvalValue::Num(std::pow(l, r));
        break;
      }
      const double whole = std::trunc(r);
      if (std::fabs(r - whole) >= kEvalEps) return kEvalFailed;
      const double magnitude = std::pow(-l, whole);
      out = TEvalValue::Num(std::fmod(whole, 2.0) != 0 ? -magnitude : magnitude);
      break;
    }
  }
  return evNumber;
}

void Evaluator::AnalyseOperand(Span& sp) {
  const size_t b = sp.ib, e = sp.ie;
  const char c = s_[b];
  if (IsDigit(c)) {
    const char* last = s_.data() + e;
    const auto [ptr, ec] = std::from_chars(s_.data() + b, last, sp.number);
    sp.operandOk = ec == std::errc() && ptr == last;
  } else if (c == '$') {
    uint64_t v = 0;
    for (size_t q = b + 1; q + 1 < e; ++q) {
      const char h = s_[q];
      v = v * 16 + static_cast<uint64_t>(IsDigit(h) ? h - '0' : h - 'A' + 10);
    }
    sp.operandOk = v <= 0xFFFFFFFFu;  // a conversion to 32 bits
    sp.number = static_cast<int32_t>(static_cast<uint32_t>(v));
  } else if (c == '[') {
    sp.operandOk = s_[e - 1] == ']' && s_.find(']', b + 1) == e - 1;
  } else if (c == '\'') {
    for (size_t q = b + 1; q + 1 < e; ++q) {
      sp.text += s_[q];
      if (s_[q] == '\'') ++q;  // '' stands for one quote
    }
    sp.operandOk = true;
  } else if (c == '#') {
    sp.operandOk = true;  // read when evaluated: a two-digit year depends on "now"
  } else if (IsNameStart(c)) {
    // Argument spans: commas at the top level, skipping nested parentheses, quoted strings,
    // variables and date literals.
    const size_t paren = s_.find('(', b);
    const size_t close = e - 1;  // SkipOperand matched it
    size_t argStart = paren + 1;
    bool blankOnly = true;
    for (size_t q = paren + 1; q < close;) {
      const char a = s_[q];
      if (a != ' ') blankOnly = false;
      size_t skipTo = kNone;
      if (a == '\'') {
        skipTo = SkipQuoted(q, close);
      } else if (a == '(') {
        const size_t m = MatchParen(q, close);
        skipTo = m == kNone ? kNone : m + 1;
      } else if (a == '[' || a == '#') {
        const size_t m = s_.find(a == '[' ? ']' : '#', q + 1);
        skipTo = m < close ? m + 1 : kNone;
      } else {
        if (a == ',') {
          sp.args.push_back(cache_.Add(argStart, q));
          argStart = q + 1;
        }
        ++q;
        continue;
      }
      if (skipTo == kNone) return;
      q = skipTo;
    }
    if (!blankOnly || !sp.args.empty()) sp.args.push_back(cache_.Add(argStart, close));
    sp.builtin = FindBuiltin(s_.substr(b, paren - b + 1));
    sp.operandOk = true;
  }
}

int32_t Evaluator::EvalOperand(Span& sp, TEvalValue& out, int depth) {
  if (!sp.operandOk) return kEvalFailed;
  const size_t b = sp.ib, e = sp.ie;
  const char c = s_[b];
  if (IsDigit(c) || c == '$') {
    out = TEvalValue::Num(sp.number);
    return evNumber;
  }
  switch (c) {
    case '[': {
      if (!env_.Callback) return kEvalFailed;
      const int32_t t = env_.Callback->Variable(s_.substr(b + 1, e - b - 2), out);
      if (t == kEvalFailed || t != out.Type) {
        out = TEvalValue{};
        return kEvalFailed;
      }
      return t;
    }
    case '\'':
      out = TEvalValue::Str(sp.text);
      return evString;
    case '#':
      return EvalDateLiteral(b, e, out);
    default:
      return EvalCall(sp, out, depth);
  }
}

int32_t Evaluator::EvalDateLiteral(size_t b, size_t e, TEvalValue& out) const {
  // "#" month "-" day "-" year "#", month first.
  size_t p = b + 1;
  const size_t end = e - 1;
  auto number = [&](int minDigits, int maxDigits, int& value) {
    int n = 0;
    value = 0;
    while (p < end && IsDigit(s_[p]) && n < maxDigits) {
      value = value * 10 + (s_[p] - '0');
      ++p;
      ++n;
    }
    return n >= minDigits && !(p < end && IsDigit(s_[p]));
  };
  int month = 0, day = 0, year = 0;
  if (!number(1, 2, month) || p >= end || s_[p++] != '-') return kEvalFailed;
  if (!number(1, 2, day) || p >= end || s_[p++] != '-') return kEvalFailed;
  if (!number(1, 4, year) || p != end) return kEvalFailed;
  if (year < 100) {
    int nowYear = 0, nowMonth = 0, nowDay = 0;
    DecodeEvalDate(eval_detail::NowOf(env_), nowYear, nowMonth, nowDay);
    year += nowYear < 2000 ? 1900 : 2000;
  }
  const auto serial = EncodeEvalDate(year, month, day);
  if (!serial) return kEvalFailed;
  out = TEvalValue::Date(*serial);
  return evDate;
}

int32_t Evaluator::EvalCall(Span& sp, TEvalValue& out, int depth) {
  const size_t paren = s_.find('(', sp.ib);
  const std::string_view name = s_.substr(sp.ib, paren - sp.ib + 1);  // with its "("
  const int count = static_cast<int>(sp.args.size());
  const int builtin = sp.builtin;
  if (builtin >= 0) {
    if (BuiltinArgCount(builtin) != count) return kEvalFailed;
  } else if (!env_.Callback || env_.Callback->KnowsFunction(name, count) == kEvalFailed) {
    return kEvalFailed;
  }

  // Evaluating may add spans to the cache; the deque keeps this one, and its list, in place.
  const std::vector<int>& argIds = sp.args;
  std::vector<TEvalValue> args(argIds.size());
  for (size_t i = 0; i < argIds.size(); ++i) {
    if (Eval(argIds[i], args[i], depth + 1) == kEvalFailed) return kEvalFailed;
  }
  int32_t status;
  if (builtin >= 0) {
    status = CallBuiltin(builtin, args, out, env_);
  } else {
    status = env_.Callback->CallFunction(name, args, out);
    if (status != kEvalFailed && status != out.Type) status = kEvalFailed;
  }
  if (status == kEvalFailed) out = TEvalValue{};
  return status;
}

// Days from 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// Day 0 of the serials, 30 December 1899, counted from 1 January 1970.
// A constant, so that tables of dates built before main() see it.
constexpr int64_t kSerialEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

std::string NormalizeExpression(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\t' || c == '\r' || c == '\n') {
      // A lone CR and a tab make one blank, a CR LF pair two; a lone LF one too, as a line
      // break of any style separates words.
      s += ' ';
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        s += ' ';
        ++i;
      }
    } else {
      s += c;
    }
  }
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  size_t e = s.size();
  while (e > b && s[e - 1] == ' ') --e;

  std::string out;
  out.reserve(e - b);
  bool quoted = false;
  for (size_t i = b; i < e; ++i) {
    const char c = s[i];
    if (quoted) {
      out += c;
      if (c == '\'') quoted = false;  // '' closes and reopens: nothing changes either way
      continue;
    }
    if (c == '\'') {
      quoted = true;
      out += c;
    } else if (c == ' ') {
      if (out.empty() || out.back() != ' ') out += ' ';
    } else {
      out += UpCase(c);
    }
  }
  // An unterminated quote leaves the rest as written.
  return out;
}

int32_t EvalNormalized(std::string_view normalized, TEvalValue& result,
                       const TEvalEnvironment& environment) {
  result = TEvalValue{};
  if (normalized.empty()) return kEvalFailed;
  // Nothing escapes: whatever a callback or an allocation throws is a failure too.
  try {
    TEvalSpanCache cache;
    Evaluator evaluator(normalized, environment, cache);
    return evaluator.Eval(cache.Add(0, normalized.size()), result, 0);
  } catch (...) {
    result = TEvalValue{};
    return kEvalFailed;
  }
}

TPreparedExpression::TPreparedExpression(std::string_view text)
    : text_(NormalizeExpression(text)), spans_(std::make_unique<TEvalSpanCache>()) {
  spans_->Add(0, text_.size());
}

TPreparedExpression::~TPreparedExpression() = default;
TPreparedExpression::TPreparedExpression(TPreparedExpression&&) noexcept = default;
TPreparedExpression& TPreparedExpression::operator=(TPreparedExpression&&) noexcept = default;

int32_t TPreparedExpression::Evaluate(TEvalValue& result, const TEvalEnvironment& environment) {
  result = TEvalValue{};
  if (text_.empty()) return kEvalFailed;
  try {
    Evaluator evaluator(text_, environment, *spans_);
    return evaluator.Eval(0, result, 0);
  } catch (...) {
    result = TEvalValue{};
    return kEvalFailed;
  }
}

int32_t EvalExpression(std::string_view text, TEvalValue& result,
                       const TEvalEnvironment& environment) {
  try {
    return EvalNormalized(NormalizeExpression(text), result, environment);
  } catch (...) {
    result = TEvalValue{};
    return kEvalFailed;
  }
}

std::optional<double> EncodeEvalDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = month == 2 && leap ? 29 : kDays[month - 1];
  if (day > last) return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, month, day) - kSerialEpoch);
}

void DecodeEvalDate(double serial, int& year, int& month, int& day) {
  // Serials outside the years 1 to 9999 are held at those ends.
  constexpr double kFirst = -693593, kLast = 2958465;
  const double days = std::isfinite(serial) ? std::clamp(std::floor(serial), kFirst, kLast) : 0.0;
  CivilFromDays(static_cast<int64_t>(days) + kSerialEpoch, year, month, day);
}

double EvalNowFromClock() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  const auto date = EncodeEvalDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  return date.value_or(0.0) + seconds / 86400.0;
}

}  // namespace tovix

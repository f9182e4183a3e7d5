// Random arithmetic, comparison and logic expressions: the test builds a tree, prints it with
// as few parentheses as the operator priorities allow (plus some redundant ones and some
// missing blanks), evaluates the tree itself, and expects the evaluator to agree on the text.
// The tree evaluation follows the language's rules (short cuts, eps comparisons, failures) but
// shares no code with the evaluator's span scanning.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "expressions/evaluator.h"

namespace tovix {
namespace {

constexpr double kEps = 1e-10;

enum class Op { Leaf, Neg, Not, Add, Sub, Mul, Div, Pow, And, Or, Xor, Eq, Ne, Lt, Gt, Le, Ge };

struct OpText {
  const char* text;
  int priority;
  bool leftAssoc;  // splits at the last of equal priority
  bool word;
};

// Indexed by Op; Leaf binds tightest.
constexpr OpText kOpTexts[] = {
    {"", 1000, false, false}, {"-", 60, false, false},  {"NOT", 30, false, true},
    {"+", 60, true, false},   {"-", 60, true, false},   {"*", 80, true, false},
    {"/", 80, true, false},   {"^", 90, false, false},  {"AND", 20, false, true},
    {"OR", 10, false, true},  {"XOR", 20, false, true}, {"=", 40, false, false},
    {"<>", 40, false, false}, {"<", 40, false, false},  {">", 40, false, false},
    {"<=", 40, false, false}, {">=", 40, false, false},
};

OpText Info(Op op) {
  return kOpTexts[static_cast<int>(op)];
}

struct Node {
  Op op = Op::Leaf;
  std::string literal;
  double value = 0;
  std::unique_ptr<Node> left, right;  // unary nodes use left
};

struct Value {
  bool boolean = false;
  double v = 0;
};

class Generator {
 public:
  explicit Generator(uint64_t seed) : rng_(seed) {}

  std::unique_ptr<Node> Make(int depth, bool wantBool) {
    // Now and then the other type, so that type errors are exercised too.
    if (Chance(0.04)) wantBool = !wantBool;
    auto n = std::make_unique<Node>();
    if (depth <= 0 && wantBool) {
      n->op = Op::Lt;
      n->left = Leaf();
      n->right = Leaf();
      return n;
    }
    if (!wantBool) {
      if (depth == 0 || Chance(0.25)) return Leaf();
      const double r = Uniform();
      if (r < 0.1) {
        n->op = Op::Neg;
        n->left = Make(depth - 1, false);
        return n;
      }
      static constexpr Op kArith[] = {Op::Add, Op::Sub, Op::Mul, Op::Div, Op::Add,
                                      Op::Sub, Op::Mul, Op::Div, Op::Pow};
      n->op = kArith[Below(9)];
    } else {
      const double r = Uniform();
      if (r < 0.15) {
        n->op = Op::Not;
        n->left = Make(depth - 1, true);
        return n;
      }
      if (r < 0.5 && depth > 1) {
        static constexpr Op kLogic[] = {Op::And, Op::Or, Op::Xor};
        n->op = kLogic[Below(3)];
        n->left = Make(depth - 1, true);
        n->right = Make(depth - 1, true);
        return n;
      }
      static constexpr Op kCompare[] = {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge};
      n->op = kCompare[Below(6)];
      const bool ofBooleans = Chance(0.1) && depth > 1;
      n->left = Make(depth - 1, ofBooleans);
      n->right = Make(depth - 1, ofBooleans);
      return n;
    }
    n->left = Make(depth - 1, false);
    n->right = n->op == Op::Pow ? Make(depth > 1 ? 1 : 0, false) : Make(depth - 1, false);
    return n;
  }

  std::string Print(const Node& n, bool root = true) {
    std::string text = PrintBare(n);
    if (!root && Chance(0.08)) text = "(" + text + ")";
    return text;
  }

 private:
  std::unique_ptr<Node> Leaf() {
    auto n = std::make_unique<Node>();
    if (Chance(0.12)) {
      n->literal = "0";
    } else if (Chance(0.3)) {
      const int tenths = static_cast<int>(Below(100)) + 1;
      n->literal = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    } else {
      n->literal = std::to_string(Below(12) + 1);
    }
    n->value = std::stod(n->literal);
    return n;
  }

  static bool Unary(const Node& n) { return n.op == Op::Neg || n.op == Op::Not; }

  std::string Wrap(const Node& n, bool parens) {
    const std::string inner = Print(n, false);
    return parens ? "(" + inner + ")" : inner;
  }

  std::string PrintBare(const Node& n) {
    if (n.op == Op::Leaf) return n.literal;
    const OpText op = Info(n.op);
    if (Unary(n)) {
      // A leading "-" or "NOT" reaches over the operators of higher priority only.
      const Node& c = *n.left;
      const bool bare = c.op == Op::Leaf || (!Unary(c) && Info(c.op).priority > op.priority);
      return std::string(op.text) + (op.word ? " " : "") + Wrap(c, !bare);
    }
    const Node& l = *n.left;
    const Node& r = *n.right;
    const int lp = Info(l.op).priority;
    const int rp = Info(r.op).priority;
    const bool leftParens = Unary(l) || lp < op.priority || (lp == op.priority && !op.leftAssoc);
    const bool rightParens = Unary(r) || rp < op.priority || (rp == op.priority && op.leftAssoc);
    const std::string blank = op.word || Chance(0.7) ? " " : "";
    return Wrap(l, leftParens) + blank + op.text + blank + Wrap(r, rightParens);
  }

  bool Chance(double p) { return Uniform() < p; }
  double Uniform() { return std::uniform_real_distribution<double>(0, 1)(rng_); }
  uint64_t Below(uint64_t n) { return std::uniform_int_distribution<uint64_t>(0, n - 1)(rng_); }

  std::mt19937_64 rng_;
};

bool True(const Value& v) {
  return std::fabs(v.v) >= kEps;
}

std::optional<Value> Number(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  return Value{false, v};
}
std::optional<Value> Boolean(bool b) {
  return Value{true, b ? 1.0 : 0.0};
}

// The tree's value by the language's rules.
std::optional<Value> Evaluate(const Node& n) {
  if (n.op == Op::Leaf) return Number(n.value);
  const auto l = Evaluate(*n.left);
  if (!l) return std::nullopt;
  switch (n.op) {
    case Op::Neg:
      if (l->boolean) return std::nullopt;
      return Number(-l->v);
    case Op::Not:
      if (!l->boolean) return std::nullopt;
      return Boolean(!True(*l));
    case Op::And:
    case Op::Or:
    case Op::Xor: {
      if (!l->boolean) return std::nullopt;
      if (n.op == Op::And && !True(*l)) return Boolean(false);
      if (n.op == Op::Or && True(*l)) return Boolean(true);
      const auto r = Evaluate(*n.right);
      if (!r || !r->boolean) return std::nullopt;
      if (n.op == Op::Xor) return Boolean(True(*l) != True(*r));
      return Boolean(True(*r));
    }
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow: {
      if (l->boolean) return std::nullopt;
      const bool small = std::fabs(l->v) < kEps;
      if (small && (n.op == Op::Mul || n.op == Op::Div || n.op == Op::Pow)) return Number(0);
      const auto r = Evaluate(*n.right);
      if (!r || r->boolean) return std::nullopt;
      const double a = l->v, b = r->v;
      switch (n.op) {
        case Op::Add:
          return Number(a + b);
        case Op::Sub:
          return Number(a - b);
        case Op::Mul:
          return Number(a * b);
        case Op::Div:
          if (std::fabs(b) < kEps) return std::nullopt;
          return Number(a / b);
        default: {
          if (a > 0) return Number(std::pow(a, b));
          if (std::fabs(b - std::trunc(b)) >= kEps) return std::nullopt;
          const double m = std::pow(-a, std::trunc(b));
          return Number(static_cast<int64_t>(std::trunc(b)) % 2 != 0 ? -m : m);
        }
      }
    }
    default: {
      const auto r = Evaluate(*n.right);
      if (!r || r->boolean != l->boolean) return std::nullopt;
      const double d = l->v - r->v;
      switch (n.op) {
        case Op::Eq:
          return Boolean(std::fabs(d) < kEps);
        case Op::Ne:
          return Boolean(std::fabs(d) > kEps);
        case Op::Lt:
          return Boolean(-d > kEps);
        case Op::Gt:
          return Boolean(d > kEps);
        case Op::Le:
          return Boolean(-d > -kEps);
        default:
          return Boolean(d > -kEps);
      }
    }
  }
}

TEST(EvalRandomDifferential, AgreesWithTheTreeOnGeneratedExpressions) {
  Generator gen(20261207);
  int evaluated = 0;
  int failedBoth = 0;
  for (int i = 0; i < 100000; ++i) {
    const auto tree = gen.Make(1 + i % 5, i % 2 == 0);
    const std::string text = gen.Print(*tree);
    const auto expected = Evaluate(*tree);
    // Evaluated twice from one prepared text: the second time from what the first scan kept.
    TPreparedExpression prepared(text);
    TEvalValue first, got;
    const int32_t firstStatus = prepared.Evaluate(first);
    const int32_t status = prepared.Evaluate(got);
    ASSERT_EQ(firstStatus, status) << text;
    ASSERT_EQ(first.Number, got.Number) << text;
    if (!expected) {
      ASSERT_EQ(status, kEvalFailed) << text << " gave " << got.Number;
      ++failedBoth;
      continue;
    }
    ASSERT_EQ(status, expected->boolean ? evBoolean : evNumber) << text;
    const double tolerance = 1e-9 * std::max({1.0, std::fabs(got.Number), std::fabs(expected->v)});
    ASSERT_NEAR(got.Number, expected->v, tolerance) << text;
    ++evaluated;
  }
  // The generator must mostly make expressions that have a value.
  EXPECT_GT(evaluated, 60000);
  EXPECT_GT(failedBoth, 1000);
}

// Text pieces shaken together at random: every text gives a status whose type is the
// value's, and nothing is read outside the text (the sanitizer build checks that).
TEST(EvalRandomDifferential, RandomTextsFailCleanly) {
  static const char* const kPieces[] = {"1",    "0",    "2.5", "E",   "$F$", "#1-2-03#", "'a'",
                                        "''",   "[X]",  "(",   ")",   ",",   " ",        "-",
                                        "+",    "*",    "/",   "^",   "&",   "&&",       "=",
                                        "<>",   "<",    ">=",  "NOT", "AND", "OR",       "ABS(",
                                        "MID(", "IIF(", "#",   "$",   "'",   "[",        "]"};
  std::mt19937_64 rng(99);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1), count(1, 12);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (size_t n = count(rng); n > 0; --n) text += kPieces[piece(rng)];
    TEvalValue v;
    const int32_t status = EvalExpression(text, v, {nullptr, 40000.0, nullptr});
    ASSERT_EQ(v.Type, status) << text;
  }
}

}  // namespace
}  // namespace tovix

// The expression language against tables of expressions and their values, and the callback
// protocol against a recording callback.

#include "expressions/evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace tovix {
namespace {

// 7 December 2026, 12:00.
double Noon2026() {
  return *EncodeEvalDate(2026, 12, 7) + 0.5;
}

struct Case {
  const char* name;
  const char* text;
  int32_t status;
  double number = 0;     // number, boolean (1/0) or date serial
  const char* str = "";  // string results
};

double D(int y, int m, int d) {
  return *EncodeEvalDate(y, m, d);
}

class EvalTable : public testing::TestWithParam<Case> {};

std::string CaseName(const testing::TestParamInfo<Case>& row) {
  return row.param.name;
}

TEST_P(EvalTable, GivesItsValue) {
  const Case& c = GetParam();
  TEvalValue v;
  const int32_t status = EvalExpression(c.text, v, {nullptr, Noon2026(), nullptr});
  ASSERT_EQ(status, c.status) << c.text;
  if (status == kEvalFailed) {
    EXPECT_EQ(v.Type, kEvalFailed);
    return;
  }
  EXPECT_EQ(v.Type, status);
  if (status == evString) {
    EXPECT_EQ(v.Text, c.str) << c.text;
  } else {
    EXPECT_NEAR(v.Number, c.number, 1e-9 * std::max(1.0, std::fabs(c.number))) << c.text;
  }
}

constexpr int32_t F = kEvalFailed;
constexpr int32_t N = evNumber;
constexpr int32_t B = evBoolean;
constexpr int32_t S = evString;
constexpr int32_t T = evDate;

const Case kPrecedence[] = {
    {"Blanks", "   5   ", N, 5},
    {"Empty", "", F},
    {"MulBeforeAdd", "2 + 3 * 4", N, 14},
    {"SubLeftAssoc", "10 - 4 - 3", N, 3},
    {"PowRightAssoc", "2 ^ 3 ^ 2", N, 512},
    {"NegBelowPow", "-2 ^ 2", N, -4},
    {"NegAboveAdd", "-2 + 3", N, 1},
    {"NegatedParen", "(-2) ^ 3", N, -8},
    {"NegBaseFraction", "(-2) ^ 0.5", F},
    {"MixedChain", "2 * 3 + 4 * 5 - 6 / 3", N, 24},
    {"NotBelowAnd", "NOT 1 = 2 AND 1 = 1", B, 1},
    {"NotAboveEq", "NOT 1 = 1", B, 0},
    {"AndBeforeOr", "1 = 2 AND 1 = 2 OR 1 = 1", B, 1},
    {"AndNoBlankBeforeParen", "1 = 1 AND(2 = 2)", B, 1},
    {"TabsAndLineBreaks", "1\t+\r\n2\r*\n3", N, 7},
    {"LowerCase", "abs(-1) = 1 and 2 > 1", B, 1},
    {"NumberForms", "1. + 2.5E1 + 1E-1", N, 26.1},
};
INSTANTIATE_TEST_SUITE_P(Precedence, EvalTable, testing::ValuesIn(kPrecedence), CaseName);

const Case kShortCutsAndTypes[] = {
    {"ZeroTimesUnknown", "0 * [X]", N, 0},
    {"ZeroPowUnknown", "0 ^ [X]", N, 0},
    {"FalseAndUnknown", "1 = 2 AND [X]", B, 0},
    {"TrueOrUnknown", "1 = 1 OR [X]", B, 1},
    {"TrueAndUnknown", "1 = 1 AND [X]", F},
    {"DivByZero", "1 / 0", F},
    {"ZeroByZero", "0 / 0", N, 0},
    {"BoolAgainstNumber", "(1 = 1) = 1", F},
    {"AndOfNumbers", "1 AND 1", F},
    {"NotNot", "NOT NOT (1 = 1)", F},
    {"NotOfParen", "NOT (1 = 2)", B, 1},
    {"StringsIgnoreCase", "'abc' = 'ABC'", B, 1},
    {"Join", "'a' & 'b'", S, 0, "ab"},
    {"JoinBlank", "'a' && 'b'", S, 0, "a b"},
    {"JoinBlankEmpty", "'' && 'b'", S, 0, "b"},
    {"QuoteInString", "'it''s'", S, 0, "it's"},
    {"AddString", "1 + 'a'", F},
    {"NumberEqNear", "0.1 + 0.2 = 0.3", B, 1},
    {"DateCompare", "#1-2-2000# > #1-1-2000#", B, 1},
    {"Overflow", "10 ^ 400", F},
    {"ExpOverflow", "EXP(1000)", F},
    {"CoshOverflow", "COSH(1000)", F},
};
INSTANTIATE_TEST_SUITE_P(ShortCutsAndTypes, EvalTable, testing::ValuesIn(kShortCutsAndTypes),
                         CaseName);

const Case kSyntax[] = {
    {"MissingRight", "1 +", F},
    {"Unclosed", "(1", F},
    {"TwoOperands", "1 2", F},
    {"BareName", "ABC", F},
    {"UnterminatedQuote", "'abc", F},
    {"UnclosedVariable", "[X", F},
    {"PrefixAsInfix", "1 NOT 2", F},
    {"EmptyParens", "()", F},
    {"OperatorAfterOperator", "2 * -3", F},
    {"Hex", "$FF$", N, 255},
    {"HexSigned", "$FFFFFFFF$", N, -1},
    {"HexTooWide", "$1FFFFFFFF$", F},
    {"LeapDay2001", "#2-29-2001#", F},
    {"LeapDay2000", "#2-29-2000#", T, D(2000, 2, 29)},
    {"April31", "#4-31-2001#", F},
    {"TwoDigitYear", "#12-31-99#", T, D(2099, 12, 31)},
};
INSTANTIATE_TEST_SUITE_P(Syntax, EvalTable, testing::ValuesIn(kSyntax), CaseName);

const Case kFunctions[] = {
    {"RoundUp", "ROUND(2.5, 0)", N, 3},
    {"RoundNegativeTruncates", "ROUND(-2.5, 0)", N, -2},
    {"RoundDigits", "ROUND(3.14159, 2)", N, 3.14},
    {"RoundNegativeDigits", "ROUND(1, -1)", F},
    {"MidRest", "MID('abcdef', 2, -1)", S, 0, "bcdef"},
    {"MidBeyond", "MID('abc', 5, 1)", S, 0, ""},
    {"MidStartZero", "MID('abc', 0, 1)", F},
    {"Instr", "INSTR(1, 'Hello', 'LL')", N, 3},
    {"InstrFromStart", "INSTR(4, 'abcabc', 'A')", N, 4},
    // Fault: trying capital first letters before small ones missed the earlier match.
    {"InstrFirstOccurrence", "INSTR(1, 'abc Abd', 'ABC')", N, 1},
    {"WrongCount", "ABS(1, 2)", F},
    {"UnknownFunction", "FOO(1)", F},
    {"WrongType", "LEN(5)", F},
    {"Iif", "IIF(1 = 1, 'a', 2)", S, 0, "a"},
    {"IifNumberCondition", "IIF(1, 2, 3)", F},
    {"Odd", "ODD(3)", B, 1},
    {"Log", "LOG(2, 8)", N, 3},
    {"LogBaseOne", "LOG(1, 8)", F},
    {"TanPole", "TAN(PI(0.5))", F},
    {"ArcSinMinusOne", "ARCSIN(-1)", N, -std::numbers::pi / 2},
    {"ArcCosOutside", "ARCCOS(1.5)", F},
    {"Artanh", "ARTANH(1)", F},
    {"Chr", "CHR(65) & CHR(300)", S, 0, "A "},
    {"String", "STRING(66, 3)", S, 0, "BBB"},
    {"StringNegative", "STRING(66, -1)", F},
    // Fault: the line breaks came out as LF CR.
    {"Crlf", "CRLF(2)", S, 0, "\r\n\r\n"},
    {"CrlfNegative", "CRLF(-1)", F},
    {"Trim", "'[' & TRIM('  a b  ') & LTRIM(' c ') & RTRIM(' d ') & ']'", S, 0, "[a bc  d]"},
    {"Case", "UCASE('ab\xE9') & LCASE('CD')", S, 0,
     "AB\xE9"
     "cd"},
    {"Hex", "HEX(255, 4)", S, 0, "00FF"},
    {"HexNegative", "HEX(-1, 2)", S, 0, "FFFFFFFF"},
    {"HexDigits", "HEX(1, 9)", F},
    {"Concat", "CONCAT('a', 'b', '-') & CONCAT('a', '', '-')", S, 0, "a-ba"},
    // Fault: the bounds were taken in one order only, and a value below both counted as
    // between them.
    {"BetweenBelow", "BETWEEN(0, 10, 1, 3)", B, 0},
    {"BetweenEitherOrder", "BETWEEN(5, 10, 1, 0) AND BETWEEN(5, 1, 10, 0)", B, 1},
    {"BetweenLowExclusive", "BETWEEN(1, 1, 10, 2)", B, 0},
    {"BetweenLowInclusive", "BETWEEN(1, 10, 1, 1)", B, 1},
    {"BetweenHighExclusive", "BETWEEN(10, 1, 10, 1)", B, 0},
    {"BetweenHighInclusive", "BETWEEN(10, 10, 1, 2)", B, 1},
    {"BetweenStrings", "BETWEEN('b', 'C', 'A', 0)", B, 1},
    {"BetweenMixed", "BETWEEN(1, 'a', 2, 0)", F},
    {"FormatThousands", "FORMAT(1234.5, '#,##0.00')", S, 0, "1,234.50"},
    {"FormatOptional", "FORMAT(0.5, '#.##')", S, 0, ".5"},
    {"FormatSections", "FORMAT(-3, '0;(0)') & FORMAT(0, '0;-0;zero')", S, 0, "(3)zero"},
    {"FormatMinus", "FORMAT(-3.14159, '0.00')", S, 0, "-3.14"},
    {"FormatLiteral", "FORMAT(7, '''n=''00')", S, 0, "n=07"},
    {"FormatScientific", "FORMAT(12345, '0.00E+00')", S, 0, "1.23E+04"},
    {"FormatDate", "FORMAT(#3-5-2021#, 'yyyy-mm-dd dddd d mmm')", S, 0, "2021-03-05 Friday 5 Mar"},
    {"FormatTime", "FORMAT(INCDATE(#3-5-2021#, 0, 0.75), 'hh:mm am/pm')", S, 0, "06:00 PM"},
    {"FormatString", "FORMAT('x', '0')", F},
    {"FormatCapped", "LEN(FORMAT(1, STRING(48, 300)))", N, 255},
    // A string beyond 1 MB fails: CRLF(8388608) made every filter run build 16 MB per item.
    {"CrlfHuge", "CRLF(8388608)", F},
    {"CrlfHugeInLen", "LEN(CRLF(8388608))>0", F},
    {"CrlfAtTheLimit", "LEN(CRLF(524288))", N, 1048576},
    {"CrlfBeyondTheLimit", "LEN(CRLF(524289))", F},
    {"StringAtTheLimit", "LEN(STRING(65, 1048576))", N, 1048576},
    {"StringBeyondTheLimit", "LEN(STRING(65, 1048577))", F},
    {"JoinBeyondTheLimit", "LEN(STRING(65, 1048576) & 'B')", F},
    {"JoinBlankBeyondTheLimit", "LEN(STRING(65, 1048575) && 'B')", F},
    {"ConcatBeyondTheLimit", "LEN(CONCAT(STRING(65, 1048000), STRING(66, 600), ''))", F},
    {"DoublingFails", "LEN(STRING(65, 600000) & STRING(65, 600000)) > 0", F},
    {"MakeDateInvalid", "MAKEDATE(2, 30, 2024)", F},
    {"DateParts", "MONTH(#12-31-1999#) * 10000 + DAY(#12-31-1999#) * 100 + YEAR(#1-1-2000#)", N,
     12 * 10000 + 31 * 100 + 2000},
    {"DayOfNumber", "DAY(1)", F},
    {"Today", "DATE()", T, D(2026, 12, 7)},
    {"TodayShifted", "TODAY(1, 24)", T, D(2027, 1, 31)},
    {"MonthEnd", "INCDATE(#1-31-2024#, 1, 0)", T, D(2024, 2, 29)},
    {"MonthsBack", "INCDATE(#3-31-2024#, -13, 0)", T, D(2023, 2, 28)},
};
INSTANTIATE_TEST_SUITE_P(Functions, EvalTable, testing::ValuesIn(kFunctions), CaseName);

TEST(EvalDates, TwoDigitYearsFollowTheCurrentCentury) {
  TEvalValue v;
  ASSERT_EQ(EvalExpression("#12-31-99#", v, {nullptr, D(1995, 6, 1), nullptr}), evDate);
  EXPECT_EQ(v.Number, D(1999, 12, 31));
  ASSERT_EQ(EvalExpression("#1-2-03#", v, {nullptr, D(2026, 6, 1), nullptr}), evDate);
  EXPECT_EQ(v.Number, D(2003, 1, 2));
}

// A callback that knows [X] = 5, [S] = 'str', [BIG] (a string beyond 1 MB), [BAD] (whose value
// disagrees with its status), [THROW] (which throws) and TWICE(n), and records what it was asked.
class RecordingCallback : public TEvalCallback {
 public:
  std::vector<std::string> asked;

  int32_t Variable(std::string_view name, TEvalValue& value) override {
    asked.emplace_back(name);
    if (name == "X") value = TEvalValue::Num(5);
    if (name == "S") value = TEvalValue::Str("str");
    if (name == "BIG") value = TEvalValue::Str(std::string(kMaxEvalString + 1, 'b'));
    if (name == "THROW") throw std::runtime_error("broken model");
    if (name == "BAD") {
      value = TEvalValue::Str("x");
      return evNumber;
    }
    return value.Type;
  }
  int32_t KnowsFunction(std::string_view name, int argCount) override {
    asked.emplace_back(std::string(name) + std::to_string(argCount));
    return name == "TWICE(" && argCount == 1 ? 0 : kEvalFailed;
  }
  int32_t CallFunction(std::string_view name, std::span<const TEvalValue> args,
                       TEvalValue& result) override {
    if (args[0].Type != evNumber) return kEvalFailed;
    result = TEvalValue::Num(2 * args[0].Number);
    return evNumber;
  }
};

TEST(EvalCallback, ResolvesVariablesAndFunctions) {
  RecordingCallback cb;
  TEvalValue v;
  EXPECT_EQ(EvalExpression("twice([x]) + [X]", &cb, v), evNumber);
  EXPECT_EQ(v.Number, 15);
  EXPECT_EQ(cb.asked, (std::vector<std::string>{"TWICE(1", "X", "X"}));
  EXPECT_EQ(EvalExpression("[S] && 'x'", &cb, v), evString);
  EXPECT_EQ(v.Text, "str x");

  const char* failing[] = {"[Y]",         "TWICE(1, 2)", "TWICE('a')", "[BAD]",
                           "[THROW] > 1", "[X]Y",        "[X] + 'a'",  "LEN([BIG])"};
  for (const char* text : failing) {
    EXPECT_EQ(EvalExpression(text, &cb, v), kEvalFailed) << text;
    EXPECT_EQ(v.Type, kEvalFailed) << text;
  }
}

TEST(EvalCallback, ShortCutsNeverAskForTheRightSide) {
  RecordingCallback cb;
  TEvalValue v;
  EXPECT_EQ(EvalExpression("0 * [X] + (1 = 2 AND [X] > 1)", &cb, v), kEvalFailed);
  EXPECT_TRUE(cb.asked.empty());
  EXPECT_EQ(EvalExpression("0 / TWICE([X])", &cb, v), evNumber);
  EXPECT_TRUE(cb.asked.empty());
}

TEST(EvalNormalize, KeepsQuotedTextAndIsIdempotent) {
  const std::string once = NormalizeExpression("\t a  and\r\n'x  y''z'  or  b ");
  EXPECT_EQ(once, "A AND 'x  y''z' OR B");
  EXPECT_EQ(NormalizeExpression(once), once);
}

TEST(EvalDepth, DeepNestingFailsInsteadOfCrashing) {
  TEvalValue v;
  const std::string deep = std::string(10000, '(') + "1" + std::string(10000, ')');
  EXPECT_EQ(EvalExpression(deep, v), kEvalFailed);
  // The longest text a filter takes, 256 terms in one chain, still evaluates.
  std::string chain = "1";
  for (int i = 0; i < 255; ++i) chain += "+1";
  EXPECT_EQ(EvalExpression(chain, v), evNumber);
  EXPECT_EQ(v.Number, 256);
  for (int i = 0; i < 5000; ++i) chain += "-1";
  EXPECT_EQ(EvalExpression(chain, v), kEvalFailed);
}

}  // namespace
}  // namespace tovix

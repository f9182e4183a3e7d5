#pragma once
// The filter-expression language: one expression text evaluated into one typed value.
//
// The language knows numbers, booleans, strings and dates, 17 operators and 51 built-in
// functions. Bracketed variables ("[GR_COUNT]") and functions it does not know itself are asked
// of a callback. Every failure (syntax, type mismatch, wrong argument count, unknown variable or
// function, a value outside a function's domain, a result that is not finite) gives the status
// -1; nothing is thrown and nothing is shown.
//
// The text is evaluated as written, without building a tree: each span is scanned for the
// operator it splits at and its two sides are evaluated recursively. So the right side of a
// short cut (false AND ..., true OR ..., 0 * ..., 0 / ..., 0 ^ ...) is never looked at, not
// even for its syntax.

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>

namespace tovix {

// Value types; they are bits so that they can be or-ed into operand masks. The evaluator's
// status is one of them, or kEvalFailed.
enum TEvalValueType : int32_t {
  evNumber = 1,
  evBoolean = 2,
  evString = 4,
  evDate = 8,
};
inline constexpr int32_t kEvalFailed = -1;
// The longest string a value may hold (1 MB). A longer result is an error of the expression,
// like a number that is not finite: a filter runs an expression once per planet or group.
inline constexpr size_t kMaxEvalString = size_t{1} << 20;
// A number or boolean is false when its magnitude is below this.
inline constexpr double kEvalEps = 1e-10;

// A typed value. Numbers, booleans (1.0 true, 0.0 false) and dates (days since 30 December
// 1899, the fraction being the time of day) live in Number; strings in Text.
struct TEvalValue {
  int32_t Type = kEvalFailed;
  double Number = 0;
  std::string Text;

  static TEvalValue Num(double v) { return {evNumber, v, {}}; }
  static TEvalValue Bool(bool v) { return {evBoolean, v ? 1.0 : 0.0, {}}; }
  static TEvalValue Str(std::string v) { return {evString, 0, std::move(v)}; }
  static TEvalValue Date(double serial) { return {evDate, serial, {}}; }
  bool IsTrue() const { return Number >= kEvalEps || Number <= -kEvalEps; }
};

// What the evaluator asks of its caller. One callback object answers for one subject (a group
// or a planet); the caller points it at the subject before evaluating.
class TEvalCallback {
 public:
  virtual ~TEvalCallback() = default;
  // The variable whose upper-case name stood between "[" and "]": fills `value` and returns
  // its type, or kEvalFailed when the variable is not known.
  virtual int32_t Variable(std::string_view name, TEvalValue& value) = 0;
  // Whether a function the evaluator does not know is known here with this many arguments.
  // `name` is upper case and ends with its "(". Returns 0 when known, else kEvalFailed.
  virtual int32_t KnowsFunction(std::string_view name, int argCount) = 0;
  // Computes such a function from its evaluated arguments: fills `result` and returns its
  // type, or kEvalFailed.
  virtual int32_t CallFunction(std::string_view name, std::span<const TEvalValue> args,
                               TEvalValue& result) = 0;
};

// What an evaluation may use besides the text.
struct TEvalEnvironment {
  TEvalCallback* Callback = nullptr;  // without one, every variable and unknown function fails
  // "Now" as a date serial for "DATE(", "TODAY(" and the year of two-digit date literals; the
  // system clock's local time when empty.
  std::optional<double> Now;
  // The source of "RND("; a freshly seeded engine when null.
  std::mt19937_64* Random = nullptr;
};

// Evaluates `text` into `result` and returns the result's type (evNumber, evBoolean, evString
// or evDate) or kEvalFailed. An empty text fails.
int32_t EvalExpression(std::string_view text, TEvalValue& result,
                       const TEvalEnvironment& environment = {});
inline int32_t EvalExpression(std::string_view text, TEvalCallback* callback, TEvalValue& result) {
  return EvalExpression(text, result, TEvalEnvironment{callback, std::nullopt, nullptr});
}

// The text as the evaluator reads it: tabs and line breaks made blanks (a CR LF pair two),
// blanks trimmed at both ends, and outside quoted strings runs of blanks made one and letters
// upper case. Normalising twice changes nothing, so callers that evaluate one text many times
// normalise it once and call EvalNormalized.
std::string NormalizeExpression(std::string_view text);
int32_t EvalNormalized(std::string_view normalized, TEvalValue& result,
                       const TEvalEnvironment& environment = {});

struct TEvalSpanCache;

// One text evaluated many times (a filter runs it once per group or planet): the text is
// normalised once, and what the scan of each part found is kept for the next evaluation. The
// results are those of EvalExpression.
class TPreparedExpression {
 public:
  explicit TPreparedExpression(std::string_view text);
  ~TPreparedExpression();
  TPreparedExpression(TPreparedExpression&&) noexcept;
  TPreparedExpression& operator=(TPreparedExpression&&) noexcept;

  const std::string& Text() const { return text_; }
  int32_t Evaluate(TEvalValue& result, const TEvalEnvironment& environment = {});

 private:
  std::string text_;
  std::unique_ptr<TEvalSpanCache> spans_;
};

// --- Dates (serials as above) ---

// The serial of a calendar date, or nullopt when the date does not exist (years 1 to 9999).
std::optional<double> EncodeEvalDate(int year, int month, int day);
// Year, month and day of a serial's day.
void DecodeEvalDate(double serial, int& year, int& month, int& day);
// The local date and time now, as a serial.
double EvalNowFromClock();

}  // namespace tovix

#pragma once
// The evaluator's built-in functions and formatting, shared by its source files.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "expressions/evaluator.h"

namespace tovix::eval_detail {

// Index (0-based) of the built-in function whose name (with its "(") is `name`, or -1.
int FindBuiltin(std::string_view name);
// Argument count of a built-in.
int BuiltinArgCount(int index);
// Computes a built-in from its evaluated arguments; returns the result type or kEvalFailed.
int32_t CallBuiltin(int index, std::span<const TEvalValue> args, TEvalValue& result,
                    const TEvalEnvironment& environment);

// "Now" of the environment, or the clock's.
double NowOf(const TEvalEnvironment& environment);

// FORMAT of a number with a float pattern ("0.00", "#,##0", "0.0E+00", "pos;neg;zero",
// quoted literals) and of a date with a date-time pattern ("d", "dd", "ddd", "dddd", "m",
// "mm", "mmm", "mmmm", "yy", "yyyy", "h", "hh", "n", "nn", "s", "ss", "am/pm", "a/p", quoted
// literals; "m" right after an hour is minutes).
std::string FormatEvalNumber(double value, std::string_view pattern);
std::string FormatEvalDate(double serial, std::string_view pattern);

}  // namespace tovix::eval_detail

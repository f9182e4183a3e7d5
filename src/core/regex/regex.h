#pragma once
// TznreExpr: the program's own regular expressions. The report reader finds its sections with
// them, the variant detection recognises report headers, and the report viewer searches text.
//
// A pattern is compiled under a set of syntax options into a byte program and run by a
// backtracking matcher. Positions are 1-based. At each start position the matcher takes the
// first match in backtracking order (left alternative first, loops greedy), not the longest;
// a match of length 0 never counts, the search moves on to the next position instead.
//
// Syntax under the default options (51): "." any character but newline; "[...]" sets ("^"
// first complements, "]" first and "-" first or last are members, "a-z" ranges, "z-a" empty,
// no escapes); "*" "+" "?" greedy, a second one repeats the whole ("a+?" is "(a+)?"); "|" and
// a newline alternate; "(...)" groups, registers 1-99 in the order of their "("; "\1".."\9"
// the text of a group again (fails when the group took no part); "^" line start where an
// expression can begin, "$" line end before ")" "|" or the end (misplaced, both are errors);
// "\w" "\W" "\d" "\D", "\<" "\>" "\b" "\B" word tests, "\`" and "\," subject start and end; any
// other quoted character stands for itself.
//
// Callers take only a result above 0 as a match: 0 means an empty subject. A loop iteration
// that consumes nothing ends its loop, so "(a*)*" terminates; a search that would backtrack
// without end stops on a step and memory budget and gives -2.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

namespace regex_internal {
struct Program;
class Matcher;
}  // namespace regex_internal

// Syntax options; each member adds its bit to the option mask.
enum TznreSyntaxStyle : uint32_t {
  znre_No_Bk_Parens = 1,           // "(" ")" group; without it "\(" "\)" do
  znre_No_Bk_Vbar = 2,             // "|" alternates; without it "\|" does
  znre_Bk_Plus_Qm = 4,             // "\+" "\?" are the operators instead of "+" "?"
  znre_Tight_Vbar = 8,             // alternation binds tighter than "^" and "$"
  znre_Newline_Or = 16,            // a newline in the pattern alternates
  znre_Context_Indep_Ops = 32,     // misplaced "^" "$" "*" "+" "?" are errors, not literals
  znre_Ansi_Hex = 64,              // "\a" "\b" "\f" "\n" "\r" "\t", "\xHH"; "\v" d1 d2 = register
  znre_No_Gnu_Extensions = 128,    // no "\`" "\," "\d" "\D" "\w" "\W" "\<" "\>" "\b" "\B"
  znre_HighCharsWhitespace = 256,  // bytes 128-255 count as whitespace
};
using TznreSyntaxStyles = uint32_t;

inline constexpr TznreSyntaxStyles kTznreDefaultStyles =
    znre_No_Bk_Parens | znre_No_Bk_Vbar | znre_Newline_Or | znre_Context_Indep_Ops;

inline constexpr int kTznreRegisterCount = 100;

// Match registers: 1-based start and end (end = position after the last character), -1 when
// unused. Register 0 is the whole match; `count` is the number of groups of the pattern.
struct TznreRegisters {
  std::array<int, kTznreRegisterCount> start{};
  std::array<int, kTznreRegisterCount> end{};
  int count = 0;
};

// One match of the collection that `Active` switches on.
struct TznreMatch {
  std::string text;
  int position = 0;
};

class TznreExpr {
 public:
  TznreExpr();
  ~TznreExpr();
  TznreExpr(const TznreExpr&) = delete;
  TznreExpr& operator=(const TznreExpr&) = delete;

  const std::string& Pattern() const { return pattern_; }
  // Compiles the pattern when it differs from the current one or the options changed. Throws
  // ERegularExpression on a bad pattern, which leaves no usable program.
  void SetPattern(std::string_view pattern);

  const std::string& Str() const { return str_; }
  // Stores the subject; with `Active` on, collects all matches in it at once.
  void SetStr(std::string_view subject);

  TznreSyntaxStyles SyntaxStyles() const { return styles_; }
  // A pattern already set is compiled again under the new options (and may throw), so that a
  // search never runs a program made under other options.
  void SetSyntaxStyles(TznreSyntaxStyles styles);

  bool UseFastmap() const { return useFastmap_; }
  void SetUseFastmap(bool use) { useFastmap_ = use; }

  // 0 for an empty subject; else the start of the leftmost match starting at `from` or later,
  // -1 when there is none, -2 when the matcher ran out of its step or memory budget.
  int Search(int from);
  // The same, trying `range` start positions from `from` (backwards when `range` < 0).
  int SearchRange(int from, int range);

  // The work one search may do, in failure points created over all its start positions
  // (10,000,000 unless set); past it the search gives -2. LastSearchSteps tells what the last
  // search took.
  void SetStepLimit(int64_t steps);
  int64_t LastSearchSteps() const;

  const TznreRegisters& Registers() const { return registers_; }
  int RegStart(int n) const { return registers_.start.at(static_cast<size_t>(n)); }
  int RegEnd(int n) const { return registers_.end.at(static_cast<size_t>(n)); }

  // Called by SearchRange for every match found: the matched text, the registers and the
  // position.
  std::function<void(TznreExpr&, std::string_view, const TznreRegisters&, int)> OnSearch;

  // Collection of all matches of each new subject: from position 1, then again from the
  // position after each match start, so overlapping matches are found. It runs when the subject
  // is set, on the caller's thread.
  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  const std::vector<TznreMatch>& Matches() const { return matches_; }
  std::function<void(TznreExpr&)> OnStartMatch;
  std::function<void(TznreExpr&, const TznreMatch&)> OnMatch;
  std::function<void(TznreExpr&)> OnEndMatch;

 private:
  struct CacheEntry {
    std::string pattern;
    TznreSyntaxStyles styles;
    std::shared_ptr<const regex_internal::Program> program;
  };

  void Compile();
  void ClearRegisters();
  void ClearUsedRegisters();
  void CollectMatches();

  std::string pattern_;
  std::string str_;
  TznreSyntaxStyles styles_ = kTznreDefaultStyles;
  bool useFastmap_ = true;
  bool active_ = false;
  bool patternSet_ = false;
  std::shared_ptr<const regex_internal::Program> program_;  // none until a pattern compiled
  // The reader sets the same few patterns over and over; compiled programs are kept by
  // (pattern, options) so that setting one again costs a lookup.
  std::vector<CacheEntry> cache_;
  std::unique_ptr<regex_internal::Matcher> matcher_;
  TznreRegisters registers_;
  std::vector<TznreMatch> matches_;
};

}  // namespace tovix

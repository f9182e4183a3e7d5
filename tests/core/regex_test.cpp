#include "core/regex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/regex_internal.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

constexpr TznreSyntaxStyles kDefault = kTznreDefaultStyles;  // 51

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Search from position 1 with the first-character map on and off; both must agree.
int Find(const std::string& pattern, const std::string& subject,
         TznreSyntaxStyles styles = kDefault, int* matchEnd = nullptr) {
  TznreExpr re;
  re.SetSyntaxStyles(styles);
  re.SetPattern(pattern);
  re.SetStr(subject);
  const int found = re.Search(1);
  if (matchEnd) *matchEnd = re.RegEnd(0);
  re.SetUseFastmap(false);
  EXPECT_EQ(re.Search(1), found) << "without the first-character map";
  return found;
}

// --- Every syntax element --------------------------------------------------------------------

struct SyntaxCase {
  const char* name;
  std::string pattern;
  std::string subject;
  int position;
  int end = 0;  // end of the whole match when checked
  TznreSyntaxStyles styles = kDefault;
};

class RegexSyntax : public testing::TestWithParam<SyntaxCase> {};

TEST_P(RegexSyntax, FindsTheExpectedMatch) {
  const SyntaxCase& c = GetParam();
  int end = 0;
  EXPECT_EQ(Find(c.pattern, c.subject, c.styles, &end), c.position);
  if (c.end != 0) {
    EXPECT_EQ(end, c.end);
  }
}

constexpr TznreSyntaxStyles kAnsi = kDefault | znre_Ansi_Hex;

INSTANTIATE_TEST_SUITE_P(
    Elements, RegexSyntax,
    testing::Values(
        SyntaxCase{"Literal", "b", "abc", 2, 3}, SyntaxCase{"AnyChar", "a.c", "xabc", 2, 5},
        SyntaxCase{"AnyCharNotNewline", "a.c", "a\nc", -1},
        SyntaxCase{"SetMembers", "[bc]+", "abcd", 2, 4},
        SyntaxCase{"SetRange", "[0-9]+", "ab123c", 3, 6},
        SyntaxCase{"SetNegated", "[^a]", "aab", 3, 4},
        SyntaxCase{"SetNegatedMatchesNewline", "[^a]", "a\n", 2, 3},
        SyntaxCase{"SetCloseBracketFirst", "[]a]", "x]", 2, 3},
        SyntaxCase{"SetCloseBracketAfterCaret", "[^]a]", "]ab", 3, 4},
        SyntaxCase{"SetHyphenLast", "[a-]", "x-", 2, 3},
        SyntaxCase{"SetHyphenFirst", "[-a]", "x-", 2, 3},
        SyntaxCase{"SetHyphenAfterRange", "[a-c-e]", "d-", 2, 3},
        SyntaxCase{"SetBackslashIsLiteral", "[\\]", "a\\", 2, 3},
        SyntaxCase{"SetReversedRangeIsEmpty", "[z-a]", "az", -1},
        SyntaxCase{"SetReversedRangeKeepsEarlierMember", "[zz-a]", "az", 2, 3},
        SyntaxCase{"StarIsGreedy", "ab*", "abbbc", 1, 5},
        SyntaxCase{"StarOnlyEmptyMatchesCountNot", "a*", "xyz", -1},
        SyntaxCase{"StarFindsLaterRun", "a*", "baa", 2, 4},
        SyntaxCase{"PlusNeedsOne", "ab+", "a ab", 3, 5},
        SyntaxCase{"Optional", "ab?c", "acabc", 1, 3},
        SyntaxCase{"StackedPostfixIsNotLazy", "a+?", "aaa", 1, 4},
        SyntaxCase{"StarAfterCaretIsIgnored", "^*a", "a", 1, 2},
        SyntaxCase{"FirstAlternativeWinsNotLongest", "a|ab", "ab", 1, 2},
        SyntaxCase{"EmptyFirstMatchMovesOn", "a*|b", "b", -1},
        SyntaxCase{"Alternation", "cat|dog", "hotdog", 4, 7},
        SyntaxCase{"NewlineAlternates", "cat\ndog", "hotdog", 4, 7},
        SyntaxCase{"GroupRepeated", "(ab)+", "xababa", 2, 6},
        SyntaxCase{"BackReference", "(a|b)\\1", "abba", 2, 4},
        SyntaxCase{"LineStartAfterNewline", "^b", "ab\nb", 4, 5},
        SyntaxCase{"LineStartNotMidLine", "^b", "ab", -1},
        SyntaxCase{"LineEndBeforeNewline", "a$", "xa\nb", 2, 3},
        SyntaxCase{"LineEndAtSubjectEnd", "x$", "axbx", 4, 5},
        SyntaxCase{"LineEndInsideGroup", "(a$)", "ab\na", 4, 5},
        SyntaxCase{"WordChars", "\\w+", "  ab_1 ", 3, 7},
        SyntaxCase{"NonWordChars", "\\W+", "ab, cd", 3, 5},
        SyntaxCase{"Digits", "\\d+", "ab12c", 3, 5}, SyntaxCase{"NonDigits", "\\D+", "12ab3", 3, 5},
        SyntaxCase{"HighByteIsNotWord", "\\w",
                   "\xE9"
                   "a",
                   2, 3},
        SyntaxCase{"WordStart", "\\<b", "ab b", 4, 5}, SyntaxCase{"WordEnd", "b\\>", "bb b", 2, 3},
        SyntaxCase{"WordBoundary", "\\bb", "ab b", 4, 5},
        SyntaxCase{"NotWordBoundary", "\\Bb", "b ab", 4, 5},
        SyntaxCase{"SubjectStart", "\\`a", "ba\na", -1},
        SyntaxCase{"SubjectEnd", "a\\,", "a\na", 3, 4},
        SyntaxCase{"QuotedLetterIsLiteral", "\\s", "as", 2, 3},
        SyntaxCase{"QuotedDotIsLiteral", "a\\.b", "axb a.b", 5, 8},
        SyntaxCase{"QuotedParensAreLiteral", "\\(a\\)", "(a)", 1, 4},
        SyntaxCase{"QuotedBackslash", "a\\\\b", "a\\b", 1, 4},
        SyntaxCase{"QuotedNewlineIsLiteral", "a\\\nb", "a\nb", 1, 4},
        SyntaxCase{"BracesAreLiteral", "a{2}", "aa a{2}", 4, 8},
        // The options, each against the default.
        SyntaxCase{"BkParensGroup", "\\(a\\)\\1", "aa", 1, 3, kDefault & ~znre_No_Bk_Parens},
        SyntaxCase{"BkParensPlainAreLiteral", "(a)", "(a)", 1, 4, kDefault & ~znre_No_Bk_Parens},
        SyntaxCase{"BkVbarAlternates", "a\\|b", "b", 1, 2, kDefault & ~znre_No_Bk_Vbar},
        SyntaxCase{"BkVbarPlainIsLiteral", "a|b", "a|b", 1, 4, kDefault & ~znre_No_Bk_Vbar},
        SyntaxCase{"BkPlusQmQuoted", "ab\\+c\\?", "abb", 1, 4, kDefault | znre_Bk_Plus_Qm},
        SyntaxCase{"BkPlusQmPlainAreLiteral", "ab+?", "xab+?", 2, 6, kDefault | znre_Bk_Plus_Qm},
        SyntaxCase{"CaretBindsTighterByDefault", "^a|b", "xb", 2, 3},
        SyntaxCase{"TightVbarCaret", "^a|b", "xb", -1, 0, kDefault | znre_Tight_Vbar},
        SyntaxCase{"DollarBindsTighterByDefault", "a|b$", "ax", 1, 2},
        SyntaxCase{"TightVbarDollar", "a|b$", "ax", -1, 0, kDefault | znre_Tight_Vbar},
        SyntaxCase{"NewlineLiteralWithoutNewlineOr", "a\nb", "a\nb", 1, 4,
                   kDefault & ~znre_Newline_Or},
        SyntaxCase{"StarLiteralWhereItCannotAct", "*a", "x*a", 2, 4,
                   kDefault & ~znre_Context_Indep_Ops},
        SyntaxCase{"CaretLiteralMidPattern", "a^", "a^", 1, 3, kDefault & ~znre_Context_Indep_Ops},
        SyntaxCase{"DollarLiteralMidPattern", "a$b", "a$b", 1, 4,
                   kDefault & ~znre_Context_Indep_Ops},
        SyntaxCase{"AnsiTab", "a\\tb", "a\tb", 1, 4, kAnsi},
        SyntaxCase{"AnsiHex", "\\x41\\x62", "xAb", 2, 4, kAnsi},
        SyntaxCase{"AnsiEscapesInSet", "[\\t\\n]+", "a\t\nb", 2, 4, kAnsi},
        SyntaxCase{"AnsiExtendedRegisterDigitsReversed", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\v01",
                   "abcdefghijj", 1, 12, kAnsi},
        SyntaxCase{"AnsiKeepsWordBoundary", "\\ba", "ba a", 4, 5, kAnsi},
        SyntaxCase{"NoGnuWordIsLiteral", "\\w\\d", "awd", 2, 4, kDefault | znre_No_Gnu_Extensions},
        SyntaxCase{"NoGnuAnsiBackspace", "\\b", "a\bc", 2, 3, kAnsi | znre_No_Gnu_Extensions}),
    [](const testing::TestParamInfo<SyntaxCase>& row) { return std::string(row.param.name); });

// --- Errors ----------------------------------------------------------------------------------

struct ErrorCase {
  const char* name;
  std::string pattern;
  std::string message;
  TznreSyntaxStyles styles = kDefault;
};

class RegexErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(RegexErrors, RaisesTheFixedMessage) {
  const ErrorCase& c = GetParam();
  TznreExpr re;
  re.SetSyntaxStyles(c.styles);
  try {
    re.SetPattern(c.pattern);
    FAIL() << "no error";
  } catch (const ERegularExpression& e) {
    EXPECT_EQ(std::string(e.what()), c.message);
  }
  // A failed compile leaves nothing to search with.
  re.SetStr("abc");
  try {
    re.Search(1);
    FAIL() << "searched without a program";
  } catch (const ERegularExpression& e) {
    EXPECT_EQ(std::string(e.what()), "No compiled pattern available.");
  }
}

const std::string kParen = "Badly placed parenthesis.";
const std::string kSpecial = "Badly placed special character.";
const std::string kPrematurel = "Regular expression ends prematurel!";
const std::string kComplex = "Regular expression too complex.";
const std::string kRegister = "Bad match register number.";

INSTANTIATE_TEST_SUITE_P(
    Messages, RegexErrors,
    testing::Values(
        ErrorCase{"CloseWithoutOpen", "a)", kParen}, ErrorCase{"OpenLeftAtEnd", "(a", kParen},
        ErrorCase{"NestedOpenLeft", "((a)", kParen}, ErrorCase{"LeadingStar", "*a", kSpecial},
        ErrorCase{"StarAfterBar", "a|*b", kSpecial}, ErrorCase{"PlusAfterOpen", "(+a)", kSpecial},
        ErrorCase{"LeadingOptional", "?a", kSpecial}, ErrorCase{"CaretMidPattern", "a^", kSpecial},
        ErrorCase{"DollarMidPattern", "a$b", kSpecial},
        ErrorCase{"TrailingBackslash", "a\\", kPrematurel},
        ErrorCase{"UnclosedSet", "[ab", kPrematurel}, ErrorCase{"BareOpenSet", "[", kPrematurel},
        ErrorCase{"OpenSetCaret", "[^", kPrematurel},
        ErrorCase{"RegisterZero", "(a)\\0", kRegister},
        ErrorCase{"ExtendedRegisterMissingDigit", "(a)\\v1", kRegister, kAnsi},
        ErrorCase{"ExtendedRegisterZero", "(a)\\v00", kRegister, kAnsi},
        ErrorCase{"ExtendedRegisterNotDigit", "(a)\\va1", kRegister, kAnsi},
        ErrorCase{"HexNotDigit", "\\xg1", "No valid hex value", kAnsi},
        ErrorCase{"HexCutShort", "\\x4", "Regular expression ends prematurely", kAnsi},
        ErrorCase{"SetEndsInEscape", "[\\", kPrematurel, kAnsi},
        ErrorCase{"HundredNestedGroups", Repeat("(", 100) + "a" + Repeat(")", 100), kComplex},
        ErrorCase{"HundredAndOnePendingAlternatives", "a" + Repeat("|a", 101), kComplex},
        // Regression: a loop over more code than a 16-bit jump reaches was emitted with a
        // wrapped displacement; it must be refused.
        ErrorCase{"JumpBeyondSixteenBits", "(" + Repeat("[ab]", 1000) + ")*", kComplex}),
    [](const testing::TestParamInfo<ErrorCase>& row) { return std::string(row.param.name); });

TEST(RegexLimits, NinetyNineNestedGroupsAndHundredAlternativesCompile) {
  EXPECT_EQ(Find(Repeat("(", 99) + "a" + Repeat(")", 99), "xa"), 2);
  EXPECT_EQ(Find("a" + Repeat("|a", 99) + "|b", "xb"), 2);
}

TEST(RegexLimits, LongProgramWithShortJumpsRuns) {
  const std::string literal = Repeat("ab", 20000);  // 80,000 bytes of code, no jumps
  EXPECT_EQ(Find(literal + "c*", "x" + literal + "cc"), 2);
}

TEST(RegexLimits, GroupsPastTheNinetyNinthOnlyGroup) {
  TznreExpr re;
  re.SetPattern(Repeat("(a)", 101));
  re.SetStr(Repeat("a", 101));
  EXPECT_EQ(re.Search(1), 1);
  EXPECT_EQ(re.Registers().count, 99);
  EXPECT_EQ(re.RegStart(99), 99);
  EXPECT_EQ(re.RegEnd(99), 100);
  EXPECT_EQ(re.RegEnd(0), 102);
}

TEST(RegexErrors, SearchBeforeAnyPatternRaises) {
  TznreExpr re;
  re.SetStr("abc");
  EXPECT_THROW(re.Search(1), ERegularExpression);
}

// --- Positions and registers -----------------------------------------------------------------

TEST(RegexSearch, PositionsAreOneBased) {
  TznreExpr re;
  re.SetPattern("ab");
  re.SetStr("abab");
  EXPECT_EQ(re.Search(1), 1);
  EXPECT_EQ(re.Search(2), 3);
  EXPECT_EQ(re.Search(4), -1);
  EXPECT_EQ(re.Search(5), -1);  // just past the end: nothing to try
  EXPECT_EQ(re.SearchRange(1, 2), 1);
  EXPECT_EQ(re.SearchRange(2, 1), -1);
  EXPECT_EQ(re.SearchRange(4, -4), 3);  // backwards: 4, 3, ...
  EXPECT_EQ(re.SearchRange(2, -1), -1);
  EXPECT_EQ(re.SearchRange(2, -2), 1);
}

TEST(RegexSearch, EmptySubjectGivesZero) {
  TznreExpr re;
  re.SetPattern("a*");
  re.SetStr("");
  EXPECT_EQ(re.Search(1), 0);
}

TEST(RegexSearch, PositionsOutsideTheSubjectRaise) {
  TznreExpr re;
  re.SetPattern("a");
  re.SetStr("abcd");
  EXPECT_THROW(re.Search(0), ERegularExpression);
  EXPECT_THROW(re.Search(6), ERegularExpression);
  EXPECT_THROW(re.SearchRange(1, 10), ERegularExpression);
  EXPECT_THROW(re.SearchRange(2, -3), ERegularExpression);
}

TEST(RegexSearch, AnchoredPatternsFromALaterPosition) {
  TznreExpr re;
  re.SetPattern("^a");
  re.SetStr("ab\na\na");
  EXPECT_EQ(re.Search(2), 4);
  EXPECT_EQ(re.SearchRange(6, -6), 6);
  re.SetPattern("\\`a");
  EXPECT_EQ(re.Search(1), 1);
  EXPECT_EQ(re.Search(2), -1);
  EXPECT_EQ(re.SearchRange(4, -4), 1);
}

struct RegisterCase {
  const char* name;
  std::string pattern;
  std::string subject;
  std::vector<std::pair<int, int>> spans;  // register 0, 1, ...
};

class RegexRegisters : public testing::TestWithParam<RegisterCase> {};

TEST_P(RegexRegisters, HoldOneBasedSpans) {
  const RegisterCase& c = GetParam();
  TznreExpr re;
  re.SetPattern(c.pattern);
  re.SetStr(c.subject);
  ASSERT_GT(re.Search(1), 0);
  EXPECT_EQ(re.Registers().count, static_cast<int>(c.spans.size()) - 1);
  for (size_t r = 0; r < c.spans.size(); ++r) {
    EXPECT_EQ(re.RegStart(static_cast<int>(r)), c.spans[r].first) << "register " << r;
    EXPECT_EQ(re.RegEnd(static_cast<int>(r)), c.spans[r].second) << "register " << r;
  }
  EXPECT_EQ(re.RegStart(static_cast<int>(c.spans.size())), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, RegexRegisters,
    testing::Values(
        RegisterCase{"NestedAndSkipped", "(a(b)?)(c)", "xac", {{2, 4}, {2, 3}, {-1, -1}, {3, 4}}},
        RegisterCase{"OtherAlternative", "(a)|(b)", "b", {{1, 2}, {-1, -1}, {1, 2}}},
        RegisterCase{"DoubledLetter", "(a|b)\\1", "ab aa", {{4, 6}, {4, 5}}},
        RegisterCase{"LoopKeepsLastIteration", "(a|b)+", "ab", {{1, 3}, {2, 3}}},
        // A reference inside its own repeated group sees the previous iteration's text.
        RegisterCase{"ReferenceToPreviousIteration", "(a|b\\1)+", "aba", {{1, 4}, {2, 4}}},
        RegisterCase{"EmptyLastIterationEndsLoop", "(a*)*", "aab", {{1, 3}, {3, 3}}}),
    [](const testing::TestParamInfo<RegisterCase>& row) { return std::string(row.param.name); });

TEST(RegexRegisters, ReferenceToGroupThatDidNotTakePartFails) {
  EXPECT_EQ(Find("(a)|b\\1", "b"), -1);
}

TEST(RegexRegisters, FailedSearchClearsThem) {
  TznreExpr re;
  re.SetPattern("(a)");
  re.SetStr("a");
  ASSERT_EQ(re.Search(1), 1);
  re.SetStr("b");
  EXPECT_EQ(re.Search(1), -1);
  EXPECT_EQ(re.RegStart(0), -1);
  EXPECT_EQ(re.RegStart(1), -1);
}

// --- Options, cache and events -----------------------------------------------------------------

// Regression: changing the options after setting a pattern kept running the program compiled
// under the old options; the pattern is now compiled again.
TEST(RegexOptions, ChangingOptionsRecompilesThePattern) {
  TznreExpr re;
  re.SetPattern("a|b");
  re.SetStr("a|b");
  EXPECT_EQ(re.RegEnd(0), -1);
  EXPECT_EQ(re.Search(1), 1);
  EXPECT_EQ(re.RegEnd(0), 2);
  re.SetSyntaxStyles(kDefault & ~znre_No_Bk_Vbar);  // "|" is now a literal
  EXPECT_EQ(re.Search(1), 1);
  EXPECT_EQ(re.RegEnd(0), 4);
  re.SetSyntaxStyles(kDefault);  // back again: served from the cache
  EXPECT_EQ(re.Search(1), 1);
  EXPECT_EQ(re.RegEnd(0), 2);
  EXPECT_THROW(re.SetPattern("*b"), ERegularExpression);
  re.SetStr("a*b");
  EXPECT_THROW(re.Search(1), ERegularExpression);
  re.SetSyntaxStyles(kDefault & ~znre_Context_Indep_Ops);  // the star is now a literal
  EXPECT_EQ(re.Search(1), 2);
}

TEST(RegexOptions, FailingPatternRaisesEveryTime) {
  TznreExpr re;
  EXPECT_THROW(re.SetPattern("a)"), ERegularExpression);
  EXPECT_THROW(re.SetPattern("a)"), ERegularExpression);
  EXPECT_THROW(re.SetSyntaxStyles(kDefault | znre_Tight_Vbar), ERegularExpression);
}

TEST(RegexOptions, CacheKeepsPatternsApart) {
  TznreExpr re;
  re.SetStr("xaby");
  for (int round = 0; round < 3; ++round) {
    re.SetPattern("ab");
    EXPECT_EQ(re.Search(1), 2);
    re.SetPattern("y");
    EXPECT_EQ(re.Search(1), 4);
    re.SetPattern("(b)");
    EXPECT_EQ(re.Search(1), 3);
    EXPECT_EQ(re.Registers().count, 1);
  }
}

TEST(RegexEvents, OnSearchReceivesTheMatch) {
  TznreExpr re;
  std::string text;
  int position = 0;
  int group = 0;
  re.OnSearch = [&](TznreExpr&, std::string_view matched, const TznreRegisters& regs, int pos) {
    text = std::string(matched);
    position = pos;
    group = regs.start[1];
  };
  re.SetPattern("b(c+)");
  re.SetStr("abccd");
  EXPECT_EQ(re.Search(1), 2);
  EXPECT_EQ(text, "bcc");
  EXPECT_EQ(position, 2);
  EXPECT_EQ(group, 3);
}

TEST(RegexEvents, ActiveCollectsOverlappingMatches) {
  TznreExpr re;
  std::vector<std::string> events;
  re.OnStartMatch = [&](TznreExpr&) { events.push_back("start"); };
  re.OnMatch = [&](TznreExpr&, const TznreMatch& m) {
    events.push_back(m.text + "@" + std::to_string(m.position));
  };
  re.OnEndMatch = [&](TznreExpr&) { events.push_back("end"); };
  re.SetPattern("aa|b");
  re.SetActive(true);
  re.SetStr("aaab");
  EXPECT_EQ(events, (std::vector<std::string>{"start", "aa@1", "aa@2", "b@4", "end"}));
  ASSERT_EQ(re.Matches().size(), 3u);
  EXPECT_EQ(re.Matches()[2].text, "b");
  EXPECT_EQ(re.Matches()[2].position, 4);
}

// --- Sound behaviour where plain backtracking fails -------------------------------------------

// Regression: a repeated expression that matches empty looped for ever while the failure stack
// grew without limit. An iteration that consumed nothing now ends the loop.
TEST(RegexSafety, NullableLoopsTerminate) {
  EXPECT_EQ(Find("(a*)*", "b"), -1);
  EXPECT_EQ(Find("(a*)*b", "aab"), 1);
  EXPECT_EQ(Find("(a*)+b", "b"), 1);
  EXPECT_EQ(Find("()*x", "x"), 1);
  EXPECT_EQ(Find("(\\b)*a", " a"), 2);
  EXPECT_EQ(Find("a**", "baa"), 2);
  EXPECT_EQ(Find("(a|)*b", "aaab"), 1);
}

// Regression: an exponential search ran for ever. It now stops on its budget with -2.
TEST(RegexSafety, RunawaySearchEndsWithFailureResult) {
  // Exponential backtracking must end with -2 once the step budget is spent. A small budget
  // keeps the test quick on any build; the default budget is the same mechanism.
  regex_internal::Matcher matcher;
  matcher.SetLimits(100'000, regex_internal::Matcher::kDefaultStackLimit);
  for (const char* pattern : {"(a*)*b", "(a|aa)*c"}) {
    const regex_internal::Program program = regex_internal::Compile(pattern, kDefault);
    EXPECT_EQ(matcher.Match(program, Repeat("a", 60), 0), -2) << pattern;
  }
}

TEST(RegexSafety, StackBudgetEndsTheSearch) {
  const regex_internal::Program program = regex_internal::Compile("(ab)*c", kDefault);
  regex_internal::Matcher matcher;
  matcher.SetLimits(regex_internal::Matcher::kDefaultStepLimit, 1000);
  EXPECT_EQ(matcher.Match(program, Repeat("ab", 5000) + "c", 0), -2);
  matcher.SetLimits(regex_internal::Matcher::kDefaultStepLimit, 100000);
  EXPECT_EQ(matcher.Match(program, Repeat("ab", 5000) + "c", 0), 10001);
}

TEST(RegexSafety, TightLoopsKeepTheStackFlat) {
  const std::string subject = std::string(1 << 20, 'a') + " ";
  regex_internal::Matcher matcher;
  matcher.SetLimits(regex_internal::Matcher::kDefaultStepLimit, 4);
  for (const char* pattern : {"a* ", "[a-w]+ ", "[^ ]* ", "\\w* ", ".*$"}) {
    const regex_internal::Program program = regex_internal::Compile(pattern, kDefault);
    EXPECT_EQ(matcher.Match(program, subject, 0), (1 << 20) + 1) << pattern;
    EXPECT_LE(matcher.PeakStackDepth(), 1u) << pattern;
  }
}

// --- The byte program ------------------------------------------------------------------------

struct ProgramCase {
  const char* name;
  std::string pattern;
  std::string listing;
};

class RegexProgram : public testing::TestWithParam<ProgramCase> {};

TEST_P(RegexProgram, CompilesToTheExpectedCode) {
  const ProgramCase& c = GetParam();
  EXPECT_EQ(regex_internal::Disassemble(regex_internal::Compile(c.pattern, kDefault)), c.listing);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, RegexProgram,
    testing::Values(
        ProgramCase{"Alternation", "a|b",
                    "0 failure_jump 8\n3 exact 'a'\n5 jump 10\n8 exact 'b'\n10 end\n"},
        ProgramCase{"StarBeforeOtherChar", "ab*",
                    "0 exact 'a'\n2 failure_jump 10\n5 exact 'b'\n7 repeat_one 2\n10 end\n"},
        ProgramCase{"StarBeforeSameChar", "a*a",
                    "0 failure_jump 8\n3 exact 'a'\n5 jump 0\n8 exact 'a'\n10 end\n"},
        ProgramCase{"Plus", "a+",
                    "0 dummy_failure_jump 6\n3 failure_jump 11\n6 exact 'a'\n8 repeat_one 3\n"
                    "11 end\n"},
        ProgramCase{"Optional", "ab?", "0 exact 'a'\n2 failure_jump 7\n5 exact 'b'\n7 end\n"},
        ProgramCase{"GroupLoopBacktracks", "(a|b)*a",
                    "0 failure_jump 20\n3 start_register 1\n5 failure_jump 13\n8 exact 'a'\n"
                    "10 jump 15\n13 exact 'b'\n15 end_register 1\n17 jump 0\n"
                    "20 exact 'a'\n22 end\n"},
        // No escapes inside a set: "[^\n]" leaves out the backslash and "n".
        ProgramCase{"ClassAndSet", "\\w[^\\n]\\D",
                    "0 class 1\n2 set [0-91,93-109,111-255,]\n35 not_class 4\n37 end\n"},
        ProgramCase{"PositionTests", "^\\<a\\>$",
                    "0 line_start\n1 word_start\n2 exact 'a'\n4 word_end\n5 line_end\n6 end\n"}),
    [](const testing::TestParamInfo<ProgramCase>& row) { return std::string(row.param.name); });

TEST(RegexProgram, LoopWithoutRegistersKeepsOneFailurePoint) {
  // The 100th group has no register, so its loop body is plain code.
  const std::string pattern = Repeat("(x)", 99) + "(ab)*c";
  const regex_internal::Program program = regex_internal::Compile(pattern, kDefault);
  EXPECT_NE(regex_internal::Disassemble(program).find("update_failure_jump"), std::string::npos);
  regex_internal::Matcher matcher;
  matcher.SetLimits(regex_internal::Matcher::kDefaultStepLimit, 4);
  const std::string subject = Repeat("x", 99) + Repeat("ab", 10000) + "c";
  EXPECT_EQ(matcher.Match(program, subject, 0), static_cast<int>(subject.size()));
  EXPECT_EQ(matcher.Match(program, Repeat("x", 99) + "abac", 0), -1);
}

TEST(RegexProgram, AnchorsAndFirstCharacters) {
  using regex_internal::Compile;
  EXPECT_EQ(Compile("^a|(^b)", kDefault).anchor, 1);
  EXPECT_EQ(Compile("\\`a", kDefault).anchor, 2);
  EXPECT_EQ(Compile("a|^b", kDefault).anchor, 0);
  const regex_internal::Program p = Compile("(ab|c)d*|\\d", kDefault);
  std::string first;
  for (int c = 0; c < 256; ++c) {
    if (p.fastmap[c]) first += static_cast<char>(c);
  }
  EXPECT_EQ(first, "0123456789ac");
  EXPECT_EQ(Compile("a*", kDefault).canMatchEmpty, 1);
  EXPECT_EQ(Compile("a*$", kDefault).canMatchEmpty, 2);
}

// --- The program's own patterns on real report lines ----------------------------------------

const std::string kHeadingPattern =
    "(^ *Galaxy Game \\w+ \\w+ \\w+ \\w+)|(^ *Status of Players)|(^ *Your Ship Types)|(^ "
    "*\\w+ +Ship Types)|(^ *Battle at \\w+)|(^ *Your Routes)|(^ *\\w+ +Groups)|(^ "
    "*Bombings)|(^ *Unidentified Planets)|(^ *\\w+ +Planets)|(^ *Uninhabited Planets)|(^ "
    "*Fleet)|(^ *Your Systems)|(^ *Blind Galaxy game \\w+ Report for \\w+)|(^ *Ships in "
    "Production)|(^ *Uninhabited Systems)|(^ *Options:)|(^ *Unknown Systems)|(^ *\\w+ "
    "+Systems)|(^ *GalaxyNG-Blind Game \\w+ \\w+ \\w+ \\w+)|(^ *Ships In Production)|(^ "
    "*Bulletins for Galaxy Game)|(^ *Your Options)|(^ *Your Planets)|(^ *Your Groups)|(^ "
    "*Incoming Groups)";
const std::string kDetectPattern =
    "(^\\W*Galaxy Game \\w+ \\w+ \\w+ \\w+)|(^\\W*Blind Galaxy game)|(^\\W*\\w+ Report for "
    "Galaxy PLUS)|(^\\W*GalaxyNG-Blind Game)";

struct ReportLineCase {
  const char* name;
  std::string pattern;
  std::string line;
  int position;
  int group = 0;  // the group that matched, when checked
};

class RegexReportLines : public testing::TestWithParam<ReportLineCase> {};

TEST_P(RegexReportLines, MatchAsTheReaderExpects) {
  const ReportLineCase& c = GetParam();
  TznreExpr re;
  re.SetPattern(c.pattern);
  re.SetStr(c.line);
  EXPECT_EQ(re.Search(1), c.position);
  if (c.group != 0) {
    for (int g = 1; g <= re.Registers().count; ++g) {
      EXPECT_EQ(re.RegStart(g) > 0, g == c.group) << "group " << g;
    }
  }
}

// Lines copied from the orion reports (and the Galaxy PLUS one from the extra turn 26).
INSTANTIATE_TEST_SUITE_P(
    Orion, RegexReportLines,
    testing::Values(
        ReportLineCase{"HeaderLine", "^\t+Galaxy Game \\w+ \\w+ \\w+ \\w+",
                       "\t\tGalaxy Game Orion Turn 5 Report for Arcturans", 1},
        ReportLineCase{"HeaderPatternNeedsTab", "^\t+Galaxy Game \\w+ \\w+ \\w+ \\w+",
                       " Galaxy Game Orion Turn 5 Report for Arcturans", -1},
        ReportLineCase{"BulletinsAreNoHeader", "^\t+Galaxy Game \\w+ \\w+ \\w+ \\w+",
                       "Bulletins for Galaxy Game Orion Turn 5", -1},
        ReportLineCase{"OptionsSection", "^\t+Your Options\\W*$", "\t\tYour Options", 1},
        ReportLineCase{"GameOptionsAreNotYours", "^\t+Your Options\\W*$", "\t\tGame Options", -1},
        ReportLineCase{"StatusSection", "^\t+Status of Players\\W*$", "\t\tStatus of Players", 1},
        ReportLineCase{"OtherRacePlanets", "^\\W*Cygnians Planets", "\t\tCygnians Planets", 1},
        ReportLineCase{"OtherRaceGroupsAreNotPlanets", "^\\W*Cygnians Planets",
                       "\t\tCygnians Groups", -1},
        ReportLineCase{"DetectNormalHeader", kDetectPattern,
                       "\t\tGalaxy Game Orion Turn 5 Report for Arcturans", 1, 1},
        ReportLineCase{"DetectPlusHeader", kDetectPattern,
                       "Arcturans Report for Galaxy PLUS Orion Turn 26", 1, 3},
        ReportLineCase{"DetectIgnoresBulletins", kDetectPattern,
                       "Bulletins for Galaxy Game Orion Turn 5", -1},
        ReportLineCase{"DetectNgRelease", "^\\W*GalaxyNG release",
                       "\tGalaxyNG release-6-4, October 2007.", 1},
        ReportLineCase{"HeadingHeader", kHeadingPattern,
                       "Galaxy Game Orion Turn 5 Report for Arcturans", 1, 1},
        ReportLineCase{"HeadingBulletins", kHeadingPattern,
                       "Bulletins for Galaxy Game Orion Turn 5", 1, 22},
        ReportLineCase{"HeadingRaceShipTypes", kHeadingPattern, "Betelgeusians Ship Types", 1, 4},
        ReportLineCase{"HeadingBattle", kHeadingPattern, "Battle at BetelgeusiPrime", 1, 5},
        ReportLineCase{"HeadingYourGroupsMatchesRaceGroupsFirst", kHeadingPattern, "Your Groups", 1,
                       7},
        ReportLineCase{"HeadingFleet", kHeadingPattern, "Fleet CygniansArmada (speed 42.3)", 1, 12},
        ReportLineCase{"HeadingIndentedTitle", kHeadingPattern, "   Ships In Production", 1, 21},
        ReportLineCase{"HeadingTableRowIsNot", kHeadingPattern,
                       "Arcturans      4.30   1.00   1.00   1.00  1960.00  1623.00    8   War", -1},
        ReportLineCase{"HeadingTabbedLineIsNot", kHeadingPattern, "\t\tYour Planets", -1},
        ReportLineCase{"HeadingColumnLineIsNot", kHeadingPattern,
                       " #    X       Y       N       S       P       I       R       P", -1}),
    [](const testing::TestParamInfo<ReportLineCase>& row) { return std::string(row.param.name); });

TEST(RegexReportLines, DetectionFindsTheHeaderOfEveryOrionReport) {
  const auto dir = test::ReportsDir("orion");
  if (dir.empty()) GTEST_SKIP() << "no orion reports";
  TznreExpr detect;
  detect.SetPattern(kDetectPattern);
  TznreExpr release;
  release.SetPattern("^\\W*GalaxyNG release");
  int reports = 0;
  for (const char letter : std::string("ABCDEFGHIJ")) {
    for (int turn = 0; turn <= 25; ++turn) {
      const std::string name =
          std::string(1, letter) + (turn < 10 ? "00" : "0") + std::to_string(turn) + ".txt";
      std::ifstream in(dir / name);
      ASSERT_TRUE(in) << name;
      std::string line;
      std::string header;
      bool ng = false;
      while (std::getline(in, line)) {
        detect.SetStr(line);
        if (header.empty() && detect.Search(1) > 0) header = line;
        release.SetStr(line);
        if (release.Search(1) > 0) ng = true;
      }
      EXPECT_EQ(
          header.rfind("\t\tGalaxy Game Orion Turn " + std::to_string(turn) + " Report for ", 0),
          0u)
          << name << ": " << header;
      EXPECT_TRUE(ng) << name;
      ++reports;
    }
  }
  EXPECT_EQ(reports, 260);
}

}  // namespace
}  // namespace tovix

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/text/str_utils.h"

namespace tovix {
namespace {

TEST(CaseTest, FoldsOnlyAsciiLetters) {
  // Latin-1 letters (0xE9, 0xC9) pass through; "_" (95) sorts after "Z" (90) as in upper case.
  EXPECT_EQ(UpperCase("mars-7_\xE9z"), "MARS-7_\xE9Z");
  EXPECT_EQ(LowerCase("MARS_\xC9Z"), "mars_\xC9z");
  EXPECT_TRUE(SameText("Arcturans", "aRCTURANS"));
  EXPECT_FALSE(SameText("\xE9", "\xC9"));
  EXPECT_EQ(CompareText("Mars", "mARS"), 0);
  EXPECT_LT(CompareText("ab", "AB!"), 0);
  EXPECT_GT(CompareText("_", "z"), 0);
  EXPECT_GT(CompareText("\xE9", "z"), 0);
  EXPECT_EQ(Trim("\t\t Status of Players \r\n"), "Status of Players");
  EXPECT_EQ(TrimLeft(" a "), "a ");
  EXPECT_EQ(TrimRight(" a "), " a");
}

// SameBytes reads up to 64 bytes as words of eight, the last of which overlaps the one before:
// a difference in any byte is seen at every length, on both sides of the word sizes and of the
// length where it calls memcmp.
TEST(SameBytesTest, SeesADifferenceInAnyByteAtAnyLength) {
  for (size_t n = 0; n <= 80; ++n) {
    std::string a(n, ' ');
    for (size_t i = 0; i < n; ++i) a[i] = static_cast<char>('a' + i % 26);
    const std::string copy = a;  // other bytes, not the same ones
    EXPECT_TRUE(SameBytes(a, copy)) << n;
    if (n > 0) {
      EXPECT_FALSE(SameBytes(a, std::string_view(copy).substr(1))) << n;
    }
    for (size_t i = 0; i < n; ++i) {
      std::string b = a;
      b[i] = static_cast<char>(b[i] ^ 0x20);
      EXPECT_FALSE(SameBytes(a, b)) << "length " << n << " byte " << i;
    }
  }
}

TEST(SmallHelpersTest, EdgeRules) {
  EXPECT_EQ(FirstIntInStr("ab-12c34"), 12);
  EXPECT_EQ(FirstIntInStr("Galaxy"), 0);
  EXPECT_EQ(FirstIntInStr("x2147483647"), INT32_MAX);
  // Regression: a run too long for 32 bits wrapped into a wrong value; it must stop at
  // INT32_MAX.
  EXPECT_EQ(FirstIntInStr("2147483648"), INT32_MAX);
  EXPECT_EQ(FirstIntInStr("#99999999999999999999999"), INT32_MAX);
  EXPECT_TRUE(IsAllDigits("12 34"));
  EXPECT_FALSE(IsAllDigits(""));
  EXPECT_FALSE(IsAllDigits("-1"));
  EXPECT_EQ(CompareCardinal(4294967295U, 1), 1);
  EXPECT_EQ(UIntToStr(1234567890123456ULL), "1234567890123456");
  std::string d = "\"x\" \"y\"";
  EXPECT_EQ(DeleteChar(d, '"'), 3);
  EXPECT_EQ(d, "x y");
  EXPECT_EQ(ScanCharBack("a,b,c", ',', 0), 4);  // 0 = from the end
  EXPECT_EQ(ScanCharBack("a,b,c", ',', 3), 2);
  EXPECT_EQ(ScanCharForward("a,b,c", ',', 5), 0);
  EXPECT_EQ(ExpandCharRanges("a-d"), "abcd");
  EXPECT_EQ(ExpandCharRanges("d-a"), "dcba");
  EXPECT_EQ(ExpandCharRanges("x0-2,"), "x012,");
  EXPECT_EQ(ExpandCharRanges("-a"), "-a");
  EXPECT_EQ(ExpandCharRanges("ab-"), "");
  EXPECT_EQ(ExpandCharRanges(std::string("\x01-\xFF", 3)).size(), 255u);
  EXPECT_EQ(ExpandCharRanges(std::string("\x01-\xFF\x01-\xFF", 6)).size(), 256u);
}

struct ScanCase {
  const char* name;
  const char* s;
  const char* chars;
  int start;
  int inSet;     // ScanCharSet
  int notInSet;  // ScanNotCharSet
};

class ScanCharSetTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanCharSetTest, FindsPosition) {
  const ScanCase& c = GetParam();
  EXPECT_EQ(ScanCharSet(c.s, c.chars, c.start), c.inSet);
  EXPECT_EQ(ScanNotCharSet(c.s, c.chars, c.start), c.notInSet);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanCharSetTest,
    testing::Values(ScanCase{"FromMiddle", "send 12 Mars", " ", 6, 8, 6},
                    ScanCase{"CaseMatters", "send 12 Mars", "m", 1, 0, 1},
                    ScanCase{"NegativeIgnoresCase", "send 12 Mars", "m", -1, 9, 1},
                    ScanCase{"NegativeNotInSet", "SEND x", "sendx ", -2, 2, 0},
                    ScanCase{"EmptyText", "", "a", 1, 0, 0},
                    ScanCase{"EmptyChars", "abc", "", 1, 0, 0},
                    ScanCase{"StartZero", "abc", "b", 0, 0, 0},
                    ScanCase{"StartBeyondEnd", "abc", "c", 4, 0, 0},
                    ScanCase{"NegativeBeyondEnd", "abc", "c", -4, 0, 0}),
    [](const testing::TestParamInfo<ScanCase>& row) { return std::string(row.param.name); });

TEST(ScanCharSetTest, LongCharListsAndQuotedStretches) {
  EXPECT_EQ(ScanCharSet("a", std::string(257, 'a'), 1), 0);
  EXPECT_EQ(ScanCharSet("a", std::string(256, 'a'), 1), 1);
  EXPECT_EQ(ScanCharSetUnquoted("a \"b c\" d", " ", 3), 8);
  EXPECT_EQ(ScanCharSetUnquoted("\"a\"", "\"", 1), 0);    // quotes are never found
  EXPECT_EQ(ScanCharSetUnquoted("a\"b,c", ",", 1), 0);    // an open quote hides the rest
  EXPECT_EQ(ScanCharSetUnquoted("a\"B\"b", "b", -1), 5);  // case-insensitive, outside only
}

TEST(WildcardPosTest, QuestionMarkAndCase) {
  EXPECT_EQ(WildcardPos("turn 17 of 20", "1?", 1), 6);
  EXPECT_EQ(WildcardPos("ab ab", "ab", 2), 4);
  EXPECT_EQ(WildcardPos("#galaxy", "GALAXY", 1), 0);
  EXPECT_EQ(WildcardPos("#galaxy", "GAL?XY", -1), 2);
  EXPECT_EQ(WildcardPos("abc", "?c", 1), 2);
  EXPECT_EQ(WildcardPos("abc", "abcd", 1), 0);
  EXPECT_EQ(WildcardPos("abc", "", 1), 0);
  EXPECT_EQ(WildcardPos("abc", "a", 0), 0);
}

TEST(TokenTest, GetTokenCountsEmptyTokensAndKeepsQuotedStretches) {
  EXPECT_EQ(GetToken("a,b,,c", ",", 3, false), "");
  EXPECT_EQ(GetToken("a,b,,c", ",", 4, false), "c");
  EXPECT_EQ(GetToken("a,b,,c", ",", 5, false), "");  // fewer tokens
  EXPECT_EQ(GetToken("a,b", ",", 0, false), "");
  EXPECT_EQ(GetToken("a,b;c", ",;", 2, true), "b;");
  EXPECT_EQ(GetToken("a,b", ",", 2, true), "b");  // the last has no delimiter
  EXPECT_EQ(GetToken("x \"New Mars\" y", " ", 2, false), "\"New Mars\"");
  EXPECT_EQ(GetToken("x \"New Mars\" y", " ", 3, false), "y");
}

TEST(TokenTest, ParseTokenWalksTokensAndEndsAtZero) {
  std::string s = "r \"Old Mars\" New,";
  int pos = 1;
  EXPECT_EQ(ParseToken(s, " ", pos), "r");
  EXPECT_EQ(ParseToken(s, " ", pos), "\"Old Mars\"");
  EXPECT_EQ(pos, 14);
  EXPECT_EQ(ParseToken(s, " ,", pos), "New");
  EXPECT_EQ(pos, 18);  // past a delimiter at the very end: one more, empty token
  EXPECT_EQ(ParseToken(s, " ,", pos), "");
  EXPECT_EQ(pos, 0);
  pos = 1;
  EXPECT_EQ(ParseToken(s, "", pos), "");
  EXPECT_EQ(pos, 0);
}

TEST(QuotedItemTest, QuotesDoubleAndReadBackWhereTheItemEnds) {
  std::string text = "x,";
  AppendQuoted(text, "say \"hi\", go");
  EXPECT_EQ(text, "x,\"say \"\"hi\"\", go\"");
  size_t pos = 2;
  EXPECT_EQ(ReadQuoted(text, pos), "say \"hi\", go");
  EXPECT_EQ(pos, text.size());
  // The closing quote ends the item; what follows is the caller's.
  pos = 0;
  EXPECT_EQ(ReadQuoted("\"a b\",c", pos), "a b");
  EXPECT_EQ(pos, 5u);
  // An item left open runs to the end of the text.
  pos = 0;
  EXPECT_EQ(ReadQuoted("\"open \"\"end", pos), "open \"end");
  EXPECT_EQ(pos, 11u);
}

TEST(PathTest, QuotingSlashAndName) {
  EXPECT_EQ(QuoteIfSpaced(" /home/me/My Games/A010.txt "), "\"/home/me/My Games/A010.txt\"");
  EXPECT_EQ(QuoteIfSpaced("\"/home/me/My Games\""), "\"/home/me/My Games\"");
  EXPECT_EQ(QuoteIfSpaced(" /usr/bin/galaxybot "), "/usr/bin/galaxybot");
  std::string p = "/games/orion  ";
  AddBackslash(p);
  EXPECT_EQ(p, "/games/orion/");
  AddBackslash(p);
  EXPECT_EQ(p, "/games/orion/");
  // An empty folder means the current one; "/" would point at the root instead.
  std::string empty = "  ";
  AddBackslash(empty);
  EXPECT_EQ(empty, "");
  EXPECT_EQ(FileNameWithoutExt("reports/A010.txt.TabBackup"), "A010.txt");
  EXPECT_EQ(FileNameWithoutExt("/home/my.games/.tovixrc"), ".tovixrc");
}

}  // namespace
}  // namespace tovix

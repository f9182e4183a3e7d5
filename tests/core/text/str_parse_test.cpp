#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_parse.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

using Words = std::vector<std::string>;

Words Tokens(TZnStrParse& p) {
  Words r;
  for (int i = 0; i < p.Count(); ++i) r.push_back(p.Token(i));
  return r;
}

// A random text of up to `maxLength` characters from `alphabet`.
std::string RandomText(std::mt19937& rng, std::string_view alphabet, unsigned maxLength) {
  std::string text(rng() % maxLength, ' ');
  for (char& c : text) c = alphabet[rng() % alphabet.size()];
  return text;
}

enum class Mode { kLine, kPlain, kMerge };

// Line mode as created; otherwise "," fields or blank-separated words.
void Configure(TZnStrParse& p, Mode mode) {
  if (mode == Mode::kLine) return;
  p.SetLineMode(false);
  p.SetDelimiter(13, false);
  p.SetDelimiter(10, false);
  p.SetDelimiter(mode == Mode::kMerge ? ' ' : ',', true);
  p.SetMergeDelimiters(mode == Mode::kMerge);
}

// --- Splitting -----------------------------------------------------------------------------------

// Every mode against a plain reference splitting, on texts full of the awkward cases: a lone CR
// or LF inside a line, empty lines and fields, no empty last line or field, runs of blanks, and
// (lengths up to 200) words across the 64-byte blocks the merge mode works in.
TEST(StrParseTest, AgreesWithPlainSplittingOnRandomTexts) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 3000; ++round) {
    const std::string text = RandomText(rng, "ab  ,\r\n", 200);
    for (Mode mode : {Mode::kLine, Mode::kPlain, Mode::kMerge}) {
      std::string sep = mode == Mode::kLine ? "\r\n" : (mode == Mode::kPlain ? "," : " ");
      Words expected;
      for (size_t start = 0; start < text.size();) {
        size_t e = std::min(text.find(sep, start), text.size());
        if (mode != Mode::kMerge || e > start) expected.push_back(text.substr(start, e - start));
        start = e + sep.size();
      }
      TZnStrParse p;
      Configure(p, mode);
      p.SetText(text);
      ASSERT_EQ(Tokens(p), expected) << "mode " << int(mode) << " text \"" << text << "\"";
    }
  }
}

TEST(StrParseTest, SettingsAndTheirSideEffects) {
  TZnStrParse p;
  EXPECT_TRUE(p.LineMode());
  EXPECT_TRUE(p.IsDelimiter(13));
  EXPECT_FALSE(p.IsDelimiter(' '));
  // Merge on switches line mode off; CR and LF stay delimiters.
  p.SetMergeDelimiters(true);
  EXPECT_FALSE(p.LineMode());
  p.SetDelimiter(' ', true);
  p.SetText("x y\r\nz");
  EXPECT_EQ(Tokens(p), (Words{"x", "y", "z"}));
  // Line mode on clears the table back to CR and LF and switches merge off.
  p.SetLineMode(true);
  EXPECT_FALSE(p.MergeDelimiters());
  EXPECT_FALSE(p.IsDelimiter(' '));
  EXPECT_EQ(Tokens(p), (Words{"x y", "z"}));
  // A piece of its own text.
  p.SetText(p.Text().substr(5));
  EXPECT_EQ(Tokens(p), (Words{"z"}));
  // Ending lines at any line end splits again, and so does switching it off.
  p.SetText("a\nb\r\nc\rd");
  EXPECT_EQ(Tokens(p), (Words{"a\nb", "c\rd"}));
  p.SetAnyLineEnd(true);
  EXPECT_EQ(Tokens(p), (Words{"a", "b", "c", "d"}));
  p.SetAnyLineEnd(false);
  EXPECT_EQ(p.Count(), 2);
}

// --- Token access --------------------------------------------------------------------------------

TEST(StrParseTest, IndexOutOfBoundsRaisesAndChangesNothing) {
  TZnStrParse p;
  EXPECT_THROW(p.Token(0), EParseError);  // empty text: no tokens
  p.SetText("12.5\r\nx");
  EXPECT_EQ(p.Token(-1), "x");
  EXPECT_EQ(p.Token(-2), "12.5");
  EXPECT_EQ(p.TokenAsFloat(1), 0);
  int32_t error = p.LastConversionError();
  EXPECT_NE(error, 0);
  // Regression: an index below -Count was not checked and read before the token array. Every
  // bad index must raise "Index out of bounds" and leave the parser as it was.
  for (int bad : {2, 100, -3}) {
    SCOPED_TRACE(bad);
    try {
      p.Token(bad);
      ADD_FAILURE() << "no exception";
    } catch (const EParseError& e) {
      EXPECT_STREQ(e.what(), "Index out of bounds");
    }
    EXPECT_THROW(p.TokenAsInt(bad), EParseError);
    EXPECT_THROW(p.TokenAsFloat(bad), EParseError);
    EXPECT_THROW(p.SubParser(bad), EParseError);
  }
  EXPECT_EQ(p.LastConversionError(), error);
  EXPECT_EQ(Tokens(p), (Words{"12.5", "x"}));
}

TEST(StrParseTest, TokenAsIntAndFloat) {
  TZnStrParse p;
  p.SetText("81.38\r\n-4\r\n1.5e3\r\nab-12c34\r\n#17");
  EXPECT_DOUBLE_EQ(p.TokenAsFloat(0), 81.38);
  EXPECT_EQ(p.LastConversionError(), 0);
  EXPECT_EQ(p.TokenAsFloat(1), -4);
  EXPECT_EQ(p.TokenAsInt(1), 4);  // the sign is not part of the first run of digits
  EXPECT_EQ(p.TokenAsFloat(2), 1500);
  EXPECT_EQ(p.TokenAsInt(3), 12);
  EXPECT_EQ(p.TokenAsFloat(3), 0);
  EXPECT_EQ(p.LastConversionError(), 1);
  EXPECT_EQ(p.TokenAsInt(4), 17);
}

// TokenAsFloat reads plain decimals itself and leaves every other text to TryParseFloat; both
// ways must give the same value (to the bit, the sign of zero included) and the same error.
TEST(StrParseTest, TokenAsFloatAgreesWithTryParseFloat) {
  std::vector<std::string> texts = {"5.",
                                    ".5",
                                    "-.5",
                                    "-0",
                                    "-",
                                    ".",
                                    "-.",
                                    "0.1",
                                    "0.3",
                                    "123456789012345",
                                    "1234567890123456",
                                    "9007199254740993",
                                    "0.000000000000001",
                                    "-999999999999999.",
                                    "1..2",
                                    "--1"};
  std::mt19937 rng(7);
  const std::string alphabet = "0123456789.-+e ";
  for (int i = 0; i < 20000; ++i) {
    // Mostly digits, so that many texts are plain decimals of every length.
    std::string text(1 + rng() % 18, ' ');
    for (char& c : text) c = rng() % 3 == 0 ? alphabet[rng() % alphabet.size()] : '0' + rng() % 10;
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    if (text.find_first_not_of(' ') == std::string::npos) continue;  // no token
    TZnStrParse p;
    p.SetText(text);
    const double got = p.TokenAsFloat(0);
    double expected = 0;
    int errorPos = 0;
    if (!TryParseFloat(text, expected, &errorPos)) {
      expected = 0;
      errorPos = errorPos > 0 ? errorPos : 1;
    }
    EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected)) << text;
    EXPECT_EQ(p.LastConversionError(), errorPos) << "'" << text << "'";
  }
}

// --- The child parser ----------------------------------------------------------------------------

// A line parser with a merge-mode word child, as the report reader holds them.
struct LinesAndWords {
  explicit LinesAndWords(const char* text) : words(lines.CreateSubParser("SD")) {
    words.SetDelimiter(' ', true);
    lines.SetText(text);
  }
  TZnStrParse lines;
  TZnStrParse& words;
};

// The words of one line split from the text's delimiter masks (SplitWords), against the child
// splitting the line: with the report's word delimiters (every byte up to the blank, ",", "`",
// "~" and DEL, which the 16-byte test takes), with a set that has too many single delimiters
// for it, and with a child whose words may cross a line end. Lines of any length start and end
// anywhere in the 64-byte blocks; an array too small gets the count and the first words.
TEST(SubParserTest, SplittingOneLineAgreesWithTheChild) {
  std::mt19937 rng(20261208);
  const std::string alphabet = "ab\xe9\x80\xff  ,`~\x7f\t\r\n";
  enum class Set { kReport, kManySingles, kNoLineEnds };
  for (int round = 0; round < 600; ++round) {
    const std::string text = RandomText(rng, alphabet, round % 50 == 0 ? 9000 : 300);
    for (Set set : {Set::kReport, Set::kManySingles, Set::kNoLineEnds}) {
      TZnStrParse lines;
      lines.SetAnyLineEnd(round % 2 == 0);
      TZnStrParse& words = lines.CreateSubParser("SD");
      for (int c = 0; c < 256; ++c) {
        bool on = c < 33 || c == ',' || c == '`' || c == '~' || c == 127;
        if (set == Set::kManySingles)
          on = c == ' ' || c == '\r' || c == '\n' || (c >= 'a' && c <= 'z');
        if (set == Set::kNoLineEnds) on = c == ' ';
        words.SetDelimiter(static_cast<unsigned char>(c), on);
      }
      lines.SetText(text);
      std::vector<uint64_t> masks((text.size() + 63) / 64);
      words.Delimiters().Masks(reinterpret_cast<const unsigned char*>(lines.Text().data()),
                               text.size(), masks.data());
      for (int line = 0; line < lines.Count(); ++line) {
        const std::string_view view = lines.TokenView(line);
        const size_t from = static_cast<size_t>(view.data() - lines.Text().data());
        const size_t to = from + view.size();
        Words expected = Tokens(lines.SubParser(line));
        ASSERT_EQ(HoldsWord(masks.data(), from, to), !expected.empty());
        TWordSpan few[4];
        const size_t count = SplitWords(masks.data(), from, to, few, std::size(few));
        ASSERT_EQ(count, expected.size()) << "set " << int(set) << " line " << line;
        std::vector<TWordSpan> all(count);
        SplitWords(masks.data(), from, to, all.data(), count);
        Words got;
        for (const TWordSpan& w : all) got.push_back(text.substr(w.start, w.size));
        ASSERT_EQ(got, expected) << "set " << int(set) << " line " << line;
        for (size_t w = 0; w < std::min(count, std::size(few)); ++w)
          ASSERT_TRUE(few[w].start == all[w].start && few[w].size == all[w].size) << w;
      }
    }
  }
}

TEST(SubParserTest, OptionLettersOnlyWhenCreatedAndTheSameIndexReusesTheSplit) {
  TZnStrParse p;
  TZnStrParse& child = p.CreateSubParser("xc");
  EXPECT_TRUE(child.LineMode());
  EXPECT_EQ(child.Parent(), &p);
  EXPECT_EQ(&p.CreateSubParser("SD"), &child);
  EXPECT_FALSE(child.MergeDelimiters());
  LinesAndWords r("a b c\r\nd e");
  EXPECT_TRUE(r.words.MergeDelimiters());
  std::string_view first = r.lines.SubParser(0).TokenView(0);
  // The child borrows the line: its words point into the parent's text, not into a copy, and
  // asking for the same line again (-2 is the same line) keeps them.
  EXPECT_EQ(first.data(), r.lines.Text().data());
  EXPECT_EQ(r.lines.SubParser(-2).TokenView(0).data(), first.data());
  EXPECT_EQ(Tokens(r.lines.SubParser(1)), (Words{"d", "e"}));
}

TEST(SubParserTest, StaleCacheAfterNewText) {
  // Regression: the child's cached index survived new text in the parent, so SubParser(0)
  // returned the words of the old first line. It must give the new line's words.
  LinesAndWords r("old words\r\nx");
  EXPECT_EQ(r.lines.SubParser(0).Token(0), "old");
  r.lines.SetText("new text here\r\ny");
  EXPECT_EQ(Tokens(r.lines.SubParser(0)), (Words{"new", "text", "here"}));
  // Until it is asked again the child holds nothing rather than the freed old line.
  r.lines.SetText(std::string("third\r\n"));
  EXPECT_EQ(r.words.Count(), 0);
  EXPECT_EQ(r.lines.SubParser(0).Token(0), "third");
}

TEST(SubParserTest, StaleCacheAfterNewDelimiters) {
  // Regression: after the parent's delimiters changed, its token 1 was other text, but the
  // child kept the words of the old token 1.
  LinesAndWords r("a b;c d,e f");
  r.lines.SetLineMode(false);
  r.lines.SetDelimiter(';', true);
  EXPECT_EQ(Tokens(r.lines.SubParser(1)), (Words{"c", "d,e", "f"}));
  r.lines.SetDelimiter(',', true);
  EXPECT_EQ(Tokens(r.lines.SubParser(1)), (Words{"c", "d"}));
}

// --- Line ends -----------------------------------------------------------------------------------

// The rule byte by byte: C2 A0 and a lone A0 are one blank each; with `lineEnds`, every CR, LF
// or CR LF pair is one CR LF.
std::string NormalizedByteByByte(const std::string& s, bool lineEnds) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const auto next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (lineEnds && (c == '\r' || c == '\n')) {
      out += "\r\n";
      if (c == '\r' && next == '\n') ++i;
    } else if (c == 0xC2 && next == 0xA0) {
      out += ' ';
      ++i;
    } else {
      out += c == 0xA0 ? ' ' : static_cast<char>(c);
    }
  }
  return out;
}

TEST(NormalizeLineEndsTest, AgreesWithTheByteRuleOnRandomTexts) {
  // The normalisation copies whole runs between CR, LF and A0; runs that start or end at the
  // text's edges, C2 next to a line end and CR LF split by the run boundaries are where it
  // could go wrong. Ending lines at any line end must give exactly the lines of the normalised
  // text: the reader relies on it instead of copying every LF report. Every tenth text is long
  // enough for the line ends to be looked for 64 bytes at a time.
  std::mt19937 rng(20240611);
  for (int round = 0; round < 40000; ++round) {
    const std::string text = RandomText(rng,
                                        "\r\n\xC2\xA0"
                                        "a ",
                                        round % 10 == 0 ? 300 : 14);
    std::string normalized = text;
    NormalizeLineEnds(normalized);
    ASSERT_EQ(normalized, NormalizedByteByByte(text, true)) << "round " << round;
    std::string spacesOnly = text;
    NormalizeNoBreakSpaces(spacesOnly);
    ASSERT_EQ(spacesOnly, NormalizedByteByByte(text, false)) << "round " << round;
    TZnStrParse crLf;
    crLf.SetText(normalized);
    TZnStrParse any;
    any.SetAnyLineEnd(true);
    any.SetText(spacesOnly);
    ASSERT_EQ(Tokens(any), Tokens(crLf)) << "round " << round;
  }
}

// --- A real report -------------------------------------------------------------------------------

TEST(RealReportTest, SplitsIntoLinesAndWords) {
  std::filesystem::path dir = test::ReportsDir("orion");
  if (dir.empty()) GTEST_SKIP() << test::ReportsAbsent("orion");
  std::string raw = LoadFileToString(dir / "A010.txt");
  ASSERT_FALSE(raw.empty());
  int expected =
      static_cast<int>(std::count(raw.begin(), raw.end(), '\n')) + (raw.back() == '\n' ? 0 : 1);

  std::string text = raw;
  NormalizeLineEnds(text);
  TZnStrParse report;
  report.SetText(std::move(text));
  EXPECT_EQ(report.Count(), expected);

  // The reader's word delimiters: below 33, the comma, the backquote and 126..255.
  TZnStrParse& words = report.CreateSubParser("SD");
  for (int c = 0; c < 256; ++c) {
    words.SetDelimiter(static_cast<unsigned char>(c), c < 33 || c == ',' || c == '`' || c >= 126);
  }
  EXPECT_EQ(Tokens(report.SubParser(87)), (Words{"Status", "of", "Players"}));
  TZnStrParse& row = report.SubParser(795);
  EXPECT_EQ(Tokens(row), (Words{"ArcturansForge", "9.90", "81.38", "300.00", "300.00", "300.00",
                                "10.00", "Hauler", "91.04", "8822.00", "30.00", "300.00"}));
  EXPECT_DOUBLE_EQ(row.TokenAsFloat(1), 9.90);
  EXPECT_EQ(row.TokenAsInt(9), 8822);

  // The same report saved with CR or CR LF line ends reads as the same lines.
  std::string normalized(report.Text());
  std::string cr = raw;
  std::replace(cr.begin(), cr.end(), '\n', '\r');
  NormalizeLineEnds(cr);
  EXPECT_EQ(cr, normalized);
  std::string crlf;
  for (char c : raw) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  NormalizeLineEnds(crlf);
  EXPECT_EQ(crlf, normalized);
}

}  // namespace
}  // namespace tovix

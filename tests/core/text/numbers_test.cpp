#include "core/text/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace tovix {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  struct Row {
    double in, out;
  } rows[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {-0.5, 0},          {-1.5, -2},
              {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {1e15 + 0.5, 1e15}, {-7.0, -7}};
  for (const Row& r : rows) EXPECT_EQ(RoundHalfEven(r.in), r.out) << "input " << r.in;
}

TEST(RoundHalfEven, IntegerConversionsSaturate) {
  EXPECT_EQ(RoundToInt(3e10), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RoundToInt(-3e10), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(RoundToInt(std::nan("")), 0);
  EXPECT_EQ(RoundToInt(2.5), 2);
  EXPECT_EQ(TruncToInt(-2.9), -2);
}

struct FormatRow {
  const char* name;
  std::string got;
  std::string want;
};

class FormatTable : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FormatTable, GivesTheExpectedText) {
  EXPECT_EQ(GetParam().got, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Directives, FormatTable,
    ::testing::Values(FormatRow{"ErrorLine",
                                Fmt("Error - Turn: %d Player: %s Report: %s !", 12, "Arcturans",
                                    "Groups"),
                                "Error - Turn: 12 Player: Arcturans Report: Groups !"},
                      FormatRow{"FixedHalfEven", Fmt("%.2f", 0.125), "0.12"},
                      FormatRow{"ReportName", Fmt("%1s%0.03d.txt", "A", 25), "A025.txt"},
                      FormatRow{"ZeroPad", Fmt("%05d", -42), "-0042"},
                      FormatRow{"MissingArgumentKept", Fmt("%d and %d", 1), "1 and %d"},
                      FormatRow{"UnknownDirectiveKept", Fmt("%q %d", 5), "%q 5"},
                      FormatRow{"FloatForInt", Fmt("%d", 2.5), "2"},
                      FormatRow{"NegativeZero", Fmt("%.1f", -0.04), "0.0"},
                      FormatRow{"TrailingPercent", Fmt("50%"), "50%"}),
    [](const ::testing::TestParamInfo<FormatRow>& row) { return std::string(row.param.name); });

TEST(FloatText, ShortestRoundTrip) {
  EXPECT_EQ(FloatToStr(1.5), "1.5");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(static_cast<float>(0.1)), "0.100000001490116");
  EXPECT_EQ(FormatG15(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FormatThousands(1234567), "1,234,567");
  EXPECT_EQ(FormatThousands(-1234), "-1,234");
  EXPECT_EQ(FormatThousands(999), "999");
}

TEST(ParseNumbers, AcceptsOnlyWholeNumbers) {
  double v = -1;
  int pos = -1;
  EXPECT_TRUE(TryParseFloat(" 12.5 ", v, &pos));
  EXPECT_EQ(v, 12.5);
  EXPECT_EQ(pos, 0);
  EXPECT_TRUE(TryParseFloat("-3e2", v));
  EXPECT_EQ(v, -300);
  EXPECT_TRUE(TryParseFloat("+.5", v));
  EXPECT_EQ(v, 0.5);
  EXPECT_FALSE(TryParseFloat("12,5", v, &pos));
  EXPECT_EQ(pos, 3);
  EXPECT_FALSE(TryParseFloat("", v, &pos));
  EXPECT_EQ(pos, 1);
  EXPECT_FALSE(TryParseFloat("1e", v));
  EXPECT_FALSE(TryParseFloat(".", v));

  // Short decimals take a quicker way than long ones: both must give the double that the
  // C library's correctly rounded conversion gives, down to the last bit.
  std::mt19937 random(19);
  for (int i = 0; i < 20000; ++i) {
    std::string text = (random() % 4 == 0) ? "-" : "";
    const int digits = 1 + static_cast<int>(random() % 19);
    const int point = static_cast<int>(random() % static_cast<unsigned>(digits + 2));
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    ASSERT_TRUE(TryParseFloat(text, v)) << text;
    const double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << text;
  }

  int32_t n = 0;
  EXPECT_TRUE(TryParseInt(" -17 ", n));
  EXPECT_EQ(n, -17);
  EXPECT_TRUE(TryParseInt("$1F", n));
  EXPECT_EQ(n, 31);
  EXPECT_FALSE(TryParseInt("2147483648", n));
  EXPECT_FALSE(TryParseInt("12a", n));
  EXPECT_EQ(StrToIntDef("x", 9), 9);
  EXPECT_EQ(StrToFloatDef("1.25", 0), 1.25);
}

// The short decimals of the reports, read without the general conversion, against it: the
// same double to the bit (the sign of zero included) for every text of that form, and no
// answer for any other text (more than 15 digits, two points, an exponent, blanks, no digit).
TEST(ParseNumbers, ShortDecimalsAgreeWithTheFullConversion) {
  std::mt19937 random(23);
  const std::string alphabet = "0123456789012345678901234567890123456789..-+e ";
  int read = 0;
  for (int i = 0; i < 50000; ++i) {
    std::string text(1 + random() % 18, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const size_t sign = text[0] == '-' || text[0] == '+' ? 1 : 0;
    const std::string_view body = std::string_view(text).substr(sign);
    const auto digits =
        std::count_if(body.begin(), body.end(), [](char c) { return c >= '0' && c <= '9'; });
    const bool shortDecimal = digits > 0 && digits <= 15 &&
                              body.find_first_not_of("0123456789.") == std::string_view::npos &&
                              std::count(body.begin(), body.end(), '.') <= 1;
    double v = 7;
    ASSERT_EQ(TryParseShortDecimal(text, v), shortDecimal) << text;
    if (!shortDecimal) {
      ASSERT_EQ(v, 7) << text;
      continue;
    }
    ++read;
    double expected = std::strtod(std::string(body).c_str(), nullptr);
    if (text[0] == '-') expected = -expected;
    ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << text;
  }
  EXPECT_GT(read, 1000);
}

// Regression guard: under a German locale printf-style conversion writes "1,5", which the game
// server and our own settings files would then misread.
TEST(ParseNumbers, RoundTripIgnoresTheUserLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
  double values[] = {1.5, -0.125, 1234567.75, 3.0, 1e-7};
  for (double v : values) {
    std::string text = FloatToStr(v);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    double back = 0;
    EXPECT_TRUE(TryParseFloat(text, back)) << text;
    EXPECT_EQ(back, v);
  }
  EXPECT_EQ(Fmt("%5.2f", 2.5), " 2.50");
  EXPECT_EQ(FormatFixed(1234.5, 1), "1234.5");
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace tovix

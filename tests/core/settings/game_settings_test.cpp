#include "core/settings/game_settings.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/base/errors.h"
#include "core/settings/game_variant.h"
#include "core/settings/report_layout.h"
#include "core/text/file_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;

struct RowName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};

// A program folder holding a Tovix.ini with the given text.
class ProgramDir {
 public:
  explicit ProgramDir(std::string_view ini) { std::ofstream(IniPath(), std::ios::binary) << ini; }
  fs::path IniPath() const { return dir_ / "Tovix.ini"; }
  const fs::path& path() const { return dir_.path(); }
  bool Read(const std::vector<std::string>& args = {}) {
    return ReadGameSettings(dir_.path(), args, settings, layout);
  }

  TGameSettings settings;
  TReportLayout layout;

 private:
  TempDir dir_;
};

// ---- choosing the game

constexpr const char* kTwoGames =
    "[RUN]\ngame=2\n[2]\nspelD=/g/two/%1s%0.03d.txt\nspelC=k\n[3]\nspelD=/g/%1s%d\nspelC=ab\n";

struct ChoiceCase {
  const char* name;
  const char* ini;
  std::vector<std::string> args;
  const char* spelC;  // of the game chosen; nullptr: not configured
};

class GameChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(GameChoice, NeedsAGameWithUsablePatternAndLetters) {
  const ChoiceCase& c = GetParam();
  ProgramDir dir(c.ini);
  EXPECT_EQ(dir.Read(c.args) ? dir.settings.spelC : "(not configured)",
            c.spelC ? c.spelC : "(not configured)");
}

INSTANTIATE_TEST_SUITE_P(
    Games, GameChoice,
    testing::Values(
        // The first argument, when it is an integer, overrides the file's "game".
        ChoiceCase{"NoArgument", kTwoGames, {}, "k"},
        ChoiceCase{"IntegerArgument", kTwoGames, {"3"}, "ab"},
        ChoiceCase{"TextArgumentKeepsFile", kTwoGames, {"x"}, "k"},
        ChoiceCase{"EmptyArgumentKeepsFile", kTwoGames, {""}, "k"},
        ChoiceCase{"OnlyFirstArgumentCounts", kTwoGames, {"x", "3"}, "k"},
        ChoiceCase{"QuotedPattern", "[RUN]\ngame=1\n[1]\nspelD=\"/a b/%1s%d\"\nspelC=k", {}, "k"},
        ChoiceCase{"EmptyPattern", "[RUN]\ngame=1\n[1]\nspelD=\nspelC=k\n", {}, nullptr},
        ChoiceCase{"NoPattern", "[RUN]\ngame=1\n[1]\nspelC=k\n", {}, nullptr},
        ChoiceCase{"EmptyLetters", "[RUN]\ngame=1\n[1]\nspelD=%1s%d\nspelC=\n", {}, nullptr},
        // A pattern the formatter cannot expand would fail on every report; the
        // configuration dialog must be shown instead of reading nothing.
        ChoiceCase{"UnusablePattern", "[RUN]\ngame=1\n[1]\nspelD=%d%s\nspelC=k\n", {}, nullptr},
        // No "game" key: the section "-1" is never read, but an argument can choose a game.
        ChoiceCase{"NoGameChosen", "[Run]\n[-1]\nspelD=%s%d\nspelC=k\n", {}, nullptr},
        ChoiceCase{"GameChosenByArgument", "[RUN]\n[3]\nspelD=%s%d\nspelC=k\n", {"3"}, "k"}),
    RowName());

TEST(GameSettings, MissingFileIsNotConfigured) {
  TempDir empty;
  TGameSettings settings;
  settings.spelD = "left over";
  TReportLayout layout;
  layout.HeaderKeyword = "left over";
  EXPECT_FALSE(ReadGameSettings(empty.path(), {"2"}, settings, layout));
  EXPECT_EQ(settings.IniPath, (empty.path() / "Tovix.ini").string());
  EXPECT_EQ(settings.spelD, "");
  EXPECT_EQ(layout, TReportLayout{});
  EXPECT_FALSE(fs::exists(empty.path() / "Tovix.ini"));  // reading creates nothing
}

// Regression: a Tovix.ini that exists but cannot be read threw out of the start-up. Expected:
// "not configured", so the configuration dialog is shown.
TEST(GameSettings, UnreadableFileIsNotConfigured) {
  TempDir dir;
  fs::create_directory(dir / "Tovix.ini");  // exists, but reading it fails
  TGameSettings settings;
  TReportLayout layout;
  EXPECT_FALSE(ReadGameSettings(dir.path(), {"1"}, settings, layout));
}

// ---- keys

TEST(GameSettings, ReadsEveryKey) {
  // Key names in the case the configuration dialog writes some of them, values quoted here and
  // there as older files have them, variant and map names in any case.
  ProgramDir dir(
      "[Run]\r\ngame=7\r\nEliteNameCreation=1\r\nUseMDIStyle=0\r\n"
      "[7]\r\nName=Orion\r\nspelD=\"/games/orion/%1s%0.03d.txt\"\r\nspelC=ABC\r\n"
      "GameType=galaxy nt\r\nMapType=SPHERICAL\r\nMapSize=330\r\noutbacktype=1\r\n"
      "bigGame=0\r\nSkipPlanetsUntilTurn=10\r\nSkipBattlesUntilTurn=12\r\n"
      "mapFaktor=3.75\r\nmapScrollV=-1.5\r\nmapScrollH=oops\r\n"
      "Turn0HabitedPlanetsSize=1000\r\nTurn0HabitedPlanetsSize2nd=300\r\n"
      "blindRepName=2\r\nUseCountMethod=5\r\n");
  ASSERT_TRUE(dir.Read());
  const TGameSettings& s = dir.settings;
  EXPECT_EQ(std::make_tuple(s.GetGameSection(), s.spelD, s.spelC),
            std::make_tuple("7", "/games/orion/%1s%0.03d.txt", "ABC"));
  EXPECT_EQ(std::make_tuple(s.GameType, s.MapType),
            std::make_tuple(TGameType::NT, TMapType::Spherical));
  EXPECT_EQ(std::make_tuple(s.MapSize, s.SkipPlanetsUntilTurn, s.SkipBattlesUntilTurn,
                            s.blindRepName, s.UseCountMethod),
            std::make_tuple(330, 10, 12, 2, 5));
  // mapScrollH is not a number: the default.
  EXPECT_EQ(std::make_tuple(s.mapFaktor, s.mapScrollV, s.mapScrollH),
            std::make_tuple(3.75, -1.5, 0.0));
  EXPECT_EQ(std::make_tuple(s.turn0HabitedPlanetsSize, s.turn0HabitedPlanetsSize2nd),
            std::make_tuple(1000.0f, 300.0f));
  EXPECT_EQ(std::make_tuple(s.outbacktype, s.bigGame, s.EliteNameCreation, s.UseMDIStyle),
            std::make_tuple(true, false, true, false));
}

// ---- the old "blind" flag

TEST(GameSettings, BlindFlagIsWrittenBackAsGameType) {
  const std::string before =
      "; my games\r\n[RUN]\r\ngame=1\r\n\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nblind=1\r\n\r\n"
      "[2]\r\nName=other\r\n";
  ProgramDir dir(before);
  ASSERT_TRUE(dir.Read());
  EXPECT_EQ(dir.settings.GameType, TGameType::Blind);
  EXPECT_EQ(dir.layout.HeaderKeyword, "Blind Galaxy game");
  // The new key goes to the end of its section; comments and the other section stay.
  EXPECT_EQ(ReadFileBytes(dir.IniPath()),
            "; my games\r\n[RUN]\r\ngame=1\r\n\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nblind=1\r\n"
            "GameType=Galaxy Blind\r\n\r\n[2]\r\nName=other\r\n");
  // From now on the variant is read by its name.
  ASSERT_TRUE(dir.Read());
  EXPECT_EQ(dir.settings.GameType, TGameType::Blind);
}

TEST(GameSettings, BlindFlagYieldsToAKnownGameType) {
  const std::string before =
      "[RUN]\r\ngame=1\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nblind=1\r\n"
      "GameType=Galaxy NG\r\n";
  ProgramDir dir(before);
  ASSERT_TRUE(dir.Read());
  EXPECT_EQ(dir.settings.GameType, TGameType::NG);
  EXPECT_EQ(ReadFileBytes(dir.IniPath()), before);
}

// Regression: a Tovix.ini that cannot be replaced (read-only folder, full disk) made the
// "blind" write-back throw out of the start-up. Expected: the run goes on as "Galaxy Blind" and
// the file stays as it was.
TEST(GameSettings, FailedBlindWriteBackStillSelectsBlind) {
  const std::string before = "[RUN]\r\ngame=1\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nblind=yes\r\n";
  ProgramDir dir(before);
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  bool ok = dir.Read();
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  EXPECT_TRUE(ok);
  EXPECT_EQ(dir.settings.GameType, TGameType::Blind);
  EXPECT_EQ(ReadFileBytes(dir.IniPath()), before);
}

// A Tovix.ini the user made read-only was replaced all the same by the atomic rename. Each
// write refuses it with a message; the file and its mode stay.
TEST(GameSettings, ReadOnlyFileIsNotReplaced) {
  const std::string before = "[RUN]\r\ngame=1\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nblind=yes\r\n";
  ProgramDir dir(before);
  ASSERT_TRUE(SetReadOnly(dir.IniPath(), true));
  EXPECT_TRUE(dir.Read());
  EXPECT_EQ(dir.settings.GameType, TGameType::Blind);
  try {
    WriteGameType(dir.IniPath(), "1", TGameType::NG);
    FAIL() << "a read-only file was written";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(dir.IniPath()), before);
  EXPECT_TRUE(IsReadOnly(dir.IniPath()));
  SetReadOnly(dir.IniPath(), false);
}

// ---- report file names

struct NameCase {
  const char* name;
  const char* pattern;
  char letter;
  int turn;
  const char* expected;
};

class ReportNames : public testing::TestWithParam<NameCase> {};

TEST_P(ReportNames, ExpandLetterAndTurn) {
  const NameCase& c = GetParam();
  EXPECT_EQ(ReportPatternError(c.pattern), "");
  EXPECT_EQ(FormatReportName(c.pattern, c.letter, c.turn), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Usable, ReportNames,
    testing::Values(NameCase{"Usual", "%1s%0.03d.txt", 'k', 7, "k007.txt"},
                    NameCase{"TurnLongerThanPrecision", "%1s%0.02d", 'b', 123, "b123"},
                    NameCase{"PlainDirectives", "rep-%s-%d", 'x', 800, "rep-x-800"},
                    NameCase{"WidthsAndLeftAlign", "%-3s|%4d", 'k', 7, "k  |   7"},
                    NameCase{"ZeroPaddedWidth", "%1s%03d", 'k', 7, "k007"},
                    NameCase{"PercentSigns", "/100%%/%%%1s%d%%", 'k', 0, "/100%/%k0%"}),
    RowName());

struct BadPatternCase {
  const char* name;
  const char* pattern;
};

class BadReportPatterns : public testing::TestWithParam<BadPatternCase> {};

TEST_P(BadReportPatterns, AreRefusedWithAMessage) {
  const char* pattern = GetParam().pattern;
  std::string error = ReportPatternError(pattern);
  EXPECT_NE(error.find(std::string("\"") + pattern + "\""), std::string::npos) << error;
  EXPECT_FALSE(IsValidReportPattern(pattern));
  EXPECT_THROW(FormatReportName(pattern, 'k', 1), TovixError);
}

INSTANTIATE_TEST_SUITE_P(Unusable, BadReportPatterns,
                         testing::Values(BadPatternCase{"Empty", ""},
                                         BadPatternCase{"WriteCount", "%s%n%d"},
                                         BadPatternCase{"TurnFirst", "%d%s"},
                                         BadPatternCase{"ExtraTurn", "%s%d%d"},
                                         BadPatternCase{"LoneTrailingPercent", "%s%d%"},
                                         BadPatternCase{"PercentInFolder", "/100%/%s%d"},
                                         BadPatternCase{"ArgumentIndex", "%0:s%d"},
                                         BadPatternCase{"LengthModifier", "%s%ld"},
                                         BadPatternCase{"PrecisionWithoutDigits", "%.s%d"},
                                         BadPatternCase{"HugeWidth", "%1000000s%d"}),
                         RowName());

}  // namespace
}  // namespace tovix

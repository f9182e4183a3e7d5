#include "core/game_settings.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/file_utils.h"
#include "core/game_variant.h"
#include "core/regex.h"
#include "core/report_layout.h"
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

constexpr const char* kTwoGames =
    "[RUN]\r\ngame=2\r\n"
    "[2]\r\nspelD=/g/two/%1s%0.03d.txt\r\nspelC=k\r\n"
    "[3]\r\nspelD=/g/three/%1s%0.03d.txt\r\nspelC=ab\r\n";

// ---- choosing the game

struct OverrideCase {
  const char* name;
  std::vector<std::string> args;
  int32_t game;
  const char* spelC;
};

class GameChoice : public testing::TestWithParam<OverrideCase> {};

TEST_P(GameChoice, FirstIntegerArgumentOverridesTheFile) {
  const OverrideCase& c = GetParam();
  ProgramDir dir(kTwoGames);
  EXPECT_TRUE(dir.Read(c.args));
  EXPECT_EQ(dir.settings.GameNumber, c.game);
  EXPECT_EQ(dir.settings.GetGameSection(), std::to_string(c.game));
  EXPECT_EQ(dir.settings.spelC, c.spelC);
}

INSTANTIATE_TEST_SUITE_P(Override, GameChoice,
                         testing::Values(OverrideCase{"NoArgument", {}, 2, "k"},
                                         OverrideCase{"IntegerArgument", {"3"}, 3, "ab"},
                                         OverrideCase{"TextArgumentKeepsFile", {"x"}, 2, "k"},
                                         OverrideCase{"EmptyArgumentKeepsFile", {""}, 2, "k"},
                                         OverrideCase{
                                             "OnlyFirstArgumentCounts", {"x", "3"}, 2, "k"}),
                         RowName());

TEST(GameSettings, NoGameChosenIsNotConfigured) {
  ProgramDir dir("[Run]\r\nUseMDIStyle=0\r\n[-1]\r\nspelD=%s%d\r\nspelC=k\r\n");
  EXPECT_FALSE(dir.Read());
  EXPECT_EQ(dir.settings.GameNumber, -1);
  EXPECT_EQ(dir.settings.spelD, "");  // the game section "-1" is never read
  // An argument can still choose a game the run section leaves open.
  ProgramDir chosen("[RUN]\r\nUseMDIStyle=1\r\n[3]\r\nspelD=%s%d\r\nspelC=k\r\n");
  EXPECT_TRUE(chosen.Read({"3"}));
}

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

struct ConfiguredCase {
  const char* name;
  const char* section;
  bool expected;
};

class Configured : public testing::TestWithParam<ConfiguredCase> {};

TEST_P(Configured, NeedsUsablePatternAndLetters) {
  ProgramDir dir(std::string("[RUN]\r\ngame=1\r\n[1]\r\n") + GetParam().section);
  EXPECT_EQ(dir.Read(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pattern, Configured,
    testing::Values(ConfiguredCase{"Complete", "spelD=%1s%0.03d.txt\r\nspelC=k\r\n", true},
                    ConfiguredCase{"QuotedPattern", "spelD=\"/a b/%1s%d\"\r\nspelC=k\r\n", true},
                    ConfiguredCase{"EmptyPattern", "spelD=\r\nspelC=k\r\n", false},
                    ConfiguredCase{"NoPattern", "spelC=k\r\n", false},
                    ConfiguredCase{"EmptyLetters", "spelD=%1s%0.03d.txt\r\nspelC=\r\n", false},
                    // A pattern the formatter cannot expand would fail on every report; the
                    // configuration dialog must be shown instead of reading nothing.
                    ConfiguredCase{"UnusablePattern", "spelD=%d%s.txt\r\nspelC=k\r\n", false}),
    RowName());

// ---- keys and defaults

TEST(GameSettings, DefaultsOfAMinimalSection) {
  ProgramDir dir("[RUN]\r\ngame=4\r\n[4]\r\nspelD=%s%d\r\nspelC=k\r\n");
  ASSERT_TRUE(dir.Read());
  const TGameSettings& s = dir.settings;
  EXPECT_EQ(s.GameType, TGameType::Unknown);
  EXPECT_EQ(s.MapType, TMapType::Normal);
  EXPECT_EQ(s.MapSize, 100);
  EXPECT_FALSE(s.outbacktype);
  EXPECT_TRUE(s.bigGame);
  EXPECT_EQ(s.SkipPlanetsUntilTurn, 0);
  EXPECT_EQ(s.SkipBattlesUntilTurn, 0);
  EXPECT_EQ(s.mapFaktor, 2.5);
  EXPECT_EQ(s.mapScrollV, 0);
  EXPECT_EQ(s.mapScrollH, 0);
  EXPECT_EQ(s.turn0HabitedPlanetsSize, 0);
  EXPECT_EQ(s.turn0HabitedPlanetsSize2nd, 0);
  EXPECT_EQ(s.blindRepName, 0);
  EXPECT_EQ(s.UseCountMethod, 3);
  EXPECT_FALSE(s.EliteNameCreation);
  EXPECT_TRUE(s.UseMDIStyle);
}

TEST(GameSettings, ReadsEveryKey) {
  // Key names in the case the configuration dialog writes some of them, values quoted here and
  // there as older files have them.
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
  EXPECT_EQ(s.GetGameSection(), "7");
  EXPECT_EQ(s.spelD, "/games/orion/%1s%0.03d.txt");
  EXPECT_EQ(s.spelC, "ABC");
  EXPECT_EQ(s.GameType, TGameType::NT);
  EXPECT_EQ(s.MapType, TMapType::Spherical);
  EXPECT_EQ(s.MapSize, 330);
  EXPECT_TRUE(s.outbacktype);
  EXPECT_FALSE(s.bigGame);
  EXPECT_EQ(s.SkipPlanetsUntilTurn, 10);
  EXPECT_EQ(s.SkipBattlesUntilTurn, 12);
  EXPECT_EQ(s.mapFaktor, 3.75);
  EXPECT_EQ(s.mapScrollV, -1.5);
  EXPECT_EQ(s.mapScrollH, 0);  // not a number: the default
  EXPECT_EQ(s.turn0HabitedPlanetsSize, 1000);
  EXPECT_EQ(s.turn0HabitedPlanetsSize2nd, 300);
  EXPECT_EQ(s.blindRepName, 2);
  EXPECT_EQ(s.UseCountMethod, 5);
  EXPECT_TRUE(s.EliteNameCreation);
  EXPECT_FALSE(s.UseMDIStyle);
}

struct VariantCase {
  const char* name;
  const char* gameType;
  const char* mapType;
  TGameType type;
  TMapType map;
};

class VariantNames : public testing::TestWithParam<VariantCase> {};

TEST_P(VariantNames, CompareIgnoringCase) {
  const VariantCase& c = GetParam();
  ProgramDir dir(std::string("[RUN]\r\ngame=1\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nGameType=") +
                 c.gameType + "\r\nMapType=" + c.mapType + "\r\n");
  ASSERT_TRUE(dir.Read());
  EXPECT_EQ(dir.settings.GameType, c.type);
  EXPECT_EQ(dir.settings.MapType, c.map);
}

INSTANTIATE_TEST_SUITE_P(
    Names, VariantNames,
    testing::Values(
        VariantCase{"AsWritten", "Galaxy NG", "Spherical", TGameType::NG, TMapType::Spherical},
        VariantCase{"LowerCase", "galaxy ng", "spherical", TGameType::NG, TMapType::Spherical},
        VariantCase{"MixedCase", "gAlAxY Ng bLiNd", "NORMAL", TGameType::NGBlind, TMapType::Normal},
        VariantCase{"UnknownTexts", "Galaxy 3000", "Torus", TGameType::Unknown, TMapType::Normal}),
    RowName());

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

TEST(GameSettings, WriteGameTypeKeepsTheRestOfTheFile) {
  ProgramDir dir("[RUN]\r\ngame=1\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nGameType=\r\n[2]\r\n");
  WriteGameType(dir.IniPath(), "1", TGameType::NG);
  EXPECT_EQ(ReadFileBytes(dir.IniPath()),
            "[RUN]\r\ngame=1\r\n[1]\r\nspelD=%s%d\r\nspelC=k\r\nGameType=Galaxy NG\r\n[2]\r\n");
  ASSERT_TRUE(dir.Read());
  EXPECT_EQ(dir.settings.GameType, TGameType::NG);
  // The detected variant is stored but only the next run uses its layout; this run read the
  // file before and keeps the defaults, which Normal, NG, PLUS and NT share.
  EXPECT_EQ(dir.layout, TReportLayout{});
}

// ---- report layout

// The patterns must hold real tabs (the regex options read "\t" as the letter t) and match the
// header lines of real reports.
struct LayoutLineCase {
  const char* name;
  TGameType type;
  std::string TReportLayout::*pattern;
  const char* line;
};

class LayoutPatterns : public testing::TestWithParam<LayoutLineCase> {};

TEST_P(LayoutPatterns, MatchSectionHeaders) {
  const LayoutLineCase& c = GetParam();
  TReportLayout layout;
  SetReportLayout(layout, c.type);
  TznreExpr expr;
  expr.SetPattern(layout.*c.pattern);
  expr.SetStr(c.line);
  EXPECT_EQ(expr.Search(1), 1) << layout.*c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Sections, LayoutPatterns,
    testing::Values(LayoutLineCase{"NGHeader", TGameType::NG, &TReportLayout::HeaderPattern,
                                   "\t\tGalaxy Game Orion Turn 3 Report for Arcturans"},
                    LayoutLineCase{"NGOptions", TGameType::NG, &TReportLayout::OptionsPattern,
                                   "\t\tYour Options"},
                    LayoutLineCase{"NGStatus", TGameType::NG, &TReportLayout::StatusPattern,
                                   "\t\tStatus of Players"},
                    LayoutLineCase{"BlindHeader", TGameType::Blind, &TReportLayout::HeaderPattern,
                                   "\t\tBlind Galaxy game Nebula Turn 12 Nation Zork"},
                    LayoutLineCase{"BlindOptions", TGameType::Blind, &TReportLayout::OptionsPattern,
                                   "\t\tOptions"},
                    LayoutLineCase{"NGBlindHeader", TGameType::NGBlind,
                                   &TReportLayout::HeaderPattern,
                                   "\tGalaxyNG-Blind Game Veil Turn 4 Report for Ghosts"}),
    RowName());

TEST(ReportLayout, NonBlindVariantsKeepTheDefaults) {
  for (TGameType type :
       {TGameType::Unknown, TGameType::Normal, TGameType::NG, TGameType::Plus, TGameType::NT}) {
    TReportLayout layout;
    SetReportLayout(layout, type);
    EXPECT_EQ(layout, TReportLayout{}) << GameTypeName(type);
  }
  TReportLayout ngBlind;
  SetReportLayout(ngBlind, TGameType::NGBlind);
  EXPECT_EQ(ngBlind.HeaderKeyword, "GalaxyNG-Blind Game");
  ngBlind.HeaderPattern = TReportLayout{}.HeaderPattern;
  ngBlind.HeaderKeyword = TReportLayout{}.HeaderKeyword;
  EXPECT_EQ(ngBlind, TReportLayout{});  // nothing else changes
}

TEST(ReportLayout, BlindTakesTurnFromLastWordAndHasNoBombingProduction) {
  TReportLayout layout;
  SetReportLayout(layout, TGameType::Blind);
  EXPECT_EQ(layout.TurnWord, -1);
  EXPECT_FALSE(HasWord(layout.BombingColumns.Production));
  EXPECT_TRUE(HasWord(layout.BombingColumns.COL));
  EXPECT_EQ(layout.OwnPlanetColumns, layout.OtherPlanetColumns);
  // Untouched entries keep their defaults.
  EXPECT_EQ(layout.StatusPattern, TReportLayout{}.StatusPattern);
  EXPECT_EQ(layout.UnknownPlanetColumns, TReportLayout{}.UnknownPlanetColumns);
  EXPECT_EQ(layout.FleetTitle, "Fleet ");
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
                    NameCase{"WithFolder", "/games/orion/%1s%0.03d.txt", 'A', 25,
                             "/games/orion/A025.txt"},
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

INSTANTIATE_TEST_SUITE_P(
    Unusable, BadReportPatterns,
    testing::Values(
        BadPatternCase{"Empty", ""}, BadPatternCase{"WriteCount", "%s%n%d"},
        BadPatternCase{"TwoLetters", "%s%s"}, BadPatternCase{"TurnFirst", "%d%s"},
        BadPatternCase{"LetterOnly", "%1s.txt"}, BadPatternCase{"ExtraTurn", "%s%d%d"},
        BadPatternCase{"OtherConversion", "%s%x"}, BadPatternCase{"LoneTrailingPercent", "%s%d%"},
        BadPatternCase{"PercentInFolder", "/100%/%s%d"}, BadPatternCase{"StarWidth", "%*s%d"},
        BadPatternCase{"ArgumentIndex", "%0:s%d"}, BadPatternCase{"LengthModifier", "%s%ld"},
        BadPatternCase{"PrecisionWithoutDigits", "%.s%d"}, BadPatternCase{"PlusFlag", "%s%+d"},
        BadPatternCase{"HugeWidth", "%1000000s%d"}),
    RowName());

TEST(ReportNames, MessageSaysWhatIsNeeded) {
  EXPECT_EQ(ReportPatternError("%d%s"),
            "The report file pattern \"%d%s\" cannot be used: it must hold one %s directive for "
            "the report letter followed by one %d directive for the turn (write a % sign as "
            "%%).");
  EXPECT_EQ(ReportPatternError("%s%n"),
            "The report file pattern \"%s%n\" cannot be used: the directive \"%n\" is not "
            "supported; it must hold one %s directive for the report letter followed by one %d "
            "directive for the turn (write a % sign as %%).");
}

}  // namespace
}  // namespace tovix

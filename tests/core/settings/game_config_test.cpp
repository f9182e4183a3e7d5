#include "core/settings/game_config.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/settings/game_settings.h"
#include "core/settings/game_variant.h"
#include "core/settings/report_layout.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::RecordingUserInterface;
using test::TempDir;

struct RowName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};

void WriteFile(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A program folder with a Tovix.ini, opened as the dialog opens it.
class ProgramDir {
 public:
  explicit ProgramDir(std::string_view ini) { WriteFile(IniPath(), ini); }
  fs::path IniPath() const { return dir_ / "Tovix.ini"; }
  const fs::path& path() const { return dir_.path(); }
  std::string Text() const { return ReadFileBytes(IniPath()); }
  TIniFile& ini() { return ini_; }

 private:
  TempDir dir_;
  TIniFile ini_{OpenGameConfigFile(dir_.path())};
};

// A "Galaxy NG" report as the server writes it, reduced to what detection looks at.
std::string NGReport(std::string_view header) {
  return "\tGalaxyNG release-6-4, October 2007.\n\n\t\t" + std::string(header) + "\n\n";
}

// ---- report file masks

struct MaskCase {
  const char* name;
  const char* baseName;
  bool detected;
  const char* mask;
  const char* usedChar;
};

class FileMask : public testing::TestWithParam<MaskCase> {};

TEST_P(FileMask, FromTheReportsBaseName) {
  const MaskCase& c = GetParam();
  TGameRecord record;
  record.FileMask = "unchanged";
  EXPECT_EQ(DetectReportFileMask(c.baseName, record), c.detected);
  EXPECT_EQ(record.FileMask, c.mask);
  EXPECT_EQ(record.UsedChar, c.usedChar);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, FileMask,
    testing::Values(MaskCase{"LetterAndThreeDigits", "k012", true, "%1s%0.03d", "k"},
                    MaskCase{"WordAndOneDigit", "gamek7", true, "%1samek%d", "g"},
                    MaskCase{"LetterAndOneDigit", "a7", true, "%1s%d", "a"},
                    MaskCase{"WordAndTwoDigits", "ab12", true, "%1sb%0.02d", "a"},
                    MaskCase{"DigitsFirstFails", "12ab", false, "unchanged", "1"},
                    MaskCase{"FourDigitsFail", "k0123", false, "unchanged", "k"}),
    RowName());

// ---- header words

struct HeaderCase {
  const char* name;
  TGameType type;
  const char* header;
  const char* game;
  const char* player;
};

class HeaderWords : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderWords, NameAndPlayerByVariant) {
  const HeaderCase& c = GetParam();
  std::string game = "old";
  std::string player = "old";
  ReadNameAndPlayer(c.header, c.type, game, player);
  EXPECT_EQ(game, c.game);
  EXPECT_EQ(player, c.player);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, HeaderWords,
    testing::Values(
        HeaderCase{"NG", TGameType::NG, "Galaxy Game Orion Turn 25 Report for Arcturans", "Orion",
                   "Arcturans"},
        HeaderCase{"NGBlind", TGameType::NGBlind,
                   "GalaxyNG-Blind Game Vega Turn 3 Report for Lyrans", "Vega", "Lyrans"},
        HeaderCase{"NT", TGameType::NT, "Galaxy Game Rigel Turn 9 Report for Orions", "Rigel",
                   "Orions"},
        HeaderCase{"Blind", TGameType::Blind, "Blind Galaxy game Deneb Report for Cygnians Turn 4",
                   "Deneb", "Cygnians"},
        HeaderCase{"Plus", TGameType::Plus, "Arcturans Report for Galaxy PLUS Orion Turn 26",
                   "Orion", "Arcturans"},
        HeaderCase{"PlayerTakesTheNextWord", TGameType::NG,
                   "Galaxy Game Orion Turn 3 Report for Player 7", "Orion", "Player_7"},
        HeaderCase{"NationAnyCase", TGameType::Blind,
                   "Blind Galaxy game Deneb Report for nation 12", "Deneb", "nation_12"},
        // ", " leaves an empty word between comma and blank, which shifts the later words.
        HeaderCase{"EmptyWordsCount", TGameType::NG,
                   "Galaxy Game Orion, Turn 25 Report for Arcturans", "Orion", "for"},
        HeaderCase{"UnknownVariant", TGameType::Unknown,
                   "Galaxy Game Orion Turn 25 Report for Arcturans", "", ""}),
    RowName());

// ---- game sections

TEST(GameSections, NumberedSectionsInFileOrderDefaultAndFirstFree) {
  EXPECT_EQ(NextFreeGameSection({"1", "2"}), "0");
  EXPECT_EQ(NextFreeGameSection({"0", "1", "2"}), "3");
  EXPECT_EQ(NextFreeGameSection({"2", "0", "3"}), "1");
  ProgramDir dir("[3]\n[Run2]\n[1]\n[12a]\n[ 4 ]\n[99999999999]\n[0]\n");
  EXPECT_EQ(ListGameSections(dir.ini()), (std::vector<std::string>{"3", "1", "4", "0"}));
  EXPECT_EQ(ReadDefaultGame(dir.ini()), "0");
  MakeDefaultGame(dir.ini(), "1");
  EXPECT_EQ(ReadDefaultGame(dir.ini()), "1");
  EXPECT_EQ(dir.Text(), "[3]\n[Run2]\n[1]\n[12a]\n[ 4 ]\n[99999999999]\n[0]\n[Run]\ngame=1\n");
  EXPECT_THROW(MakeDefaultGame(dir.ini(), ""), TovixError);
}

// ---- reading and writing one game

struct SplitCase {
  const char* name;
  const char* spelD;
  const char* directory;
  const char* mask;
  const char* extension;
  const char* written;
};

class ReportPattern : public testing::TestWithParam<SplitCase> {};

TEST_P(ReportPattern, SplitsAtEitherSeparatorAndJoinsWithSlash) {
  const SplitCase& c = GetParam();
  TGameConfig config;
  SplitReportPattern(c.spelD, config);
  EXPECT_EQ(config.Directory, c.directory);
  EXPECT_EQ(config.FileMask, c.mask);
  EXPECT_EQ(config.FileExtension, c.extension);
  EXPECT_EQ(JoinReportPattern(config), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ReportPattern,
    testing::Values(SplitCase{"Backslashes", "C:\\games\\orion\\%1s%0.03d.rep", "C:/games/orion",
                              "%1s%0.03d", ".rep", "C:/games/orion/%1s%0.03d.rep"},
                    SplitCase{"Mixed", "/g\\orion/x%1s%d.txt", "/g/orion", "x%1s%d", ".txt",
                              "/g/orion/x%1s%d.txt"},
                    // The "." inside "%0.03d" is no extension.
                    SplitCase{"NoExtension", "/g/%1s%0.03d", "/g", "%1s%0.03d", "", "/g/%1s%0.03d"},
                    SplitCase{"Root", "/%1s%0.03d.txt", "/", "%1s%0.03d", ".txt", "/%1s%0.03d.txt"},
                    SplitCase{"NoFolder", "%1s%0.03d.txt", "", "%1s%0.03d", ".txt",
                              "%1s%0.03d.txt"},
                    SplitCase{"PercentInFolder", "/g/100%%/%1s%0.03d.txt", "/g/100%", "%1s%0.03d",
                              ".txt", "/g/100%%/%1s%0.03d.txt"},
                    SplitCase{"PercentInExtension", "/g/%1s%0.03d.t%%t", "/g", "%1s%0.03d", ".t%t",
                              "/g/%1s%0.03d.t%%t"}),
    RowName());

TEST(GameConfig, RoundTripWithBothSeparators) {
  ProgramDir dir("[RUN]\ngame=2\n[2]\nspelD=C:\\games/orion\\%1s%0.03d.txt\nspelC=kb\n");
  TGameConfig config = ReadGameConfig(dir.ini(), "2");
  EXPECT_EQ(config.Directory, "C:/games/orion");
  config.Name = "Orion";
  config.GameType = TGameType::NG;
  config.MapType = TMapType::Spherical;
  config.MapSize = 250;
  config.SkipPlanetsUntilTurn = 4;
  config.SkipBattlesUntilTurn = 5;
  config.Turn0HabitedPlanetsSize = 900;
  config.Turn0HabitedPlanetsSize2nd = 250;
  config.UseCountMethod = 7;
  config.UseMDIStyle = false;
  WriteGameConfig(dir.ini(), "2", config);
  EXPECT_EQ(ReadGameConfig(dir.ini(), "2"), config);
  EXPECT_EQ(dir.ini().ReadString("2", "spelD", ""), "C:/games/orion/%1s%0.03d.txt");
  EXPECT_EQ(dir.ini().ReadString("2", "GameType", ""), "Galaxy NG");
  EXPECT_EQ(dir.ini().ReadString("2", "MapType", ""), "Spherical");
  EXPECT_FALSE(dir.ini().ReadBool("RUN", "UseMDIStyle", true));
}

// The dialog and the settings reader read the same section: keys the section lacks gave
// different values (a home-cluster size of 1000 in the dialog, 0 at the start), so a save
// without a change changed the game. Both give the same value for every key they share.
TEST(GameConfig, DialogAndStartAgreeOnEveryKeyTheSectionLacks) {
  ProgramDir dir("[RUN]\ngame=1\n[1]\nspelD=/g/%1s%0.03d.txt\n");
  const TGameConfig config = ReadGameConfig(dir.ini(), "1");
  TGameSettings settings;
  TReportLayout layout;
  ASSERT_TRUE(ReadGameSettings(dir.path(), {}, settings, layout));
  EXPECT_EQ(config.UsedChars, settings.spelC);
  EXPECT_EQ(config.MapSize, settings.MapSize);
  EXPECT_EQ(config.SkipPlanetsUntilTurn, settings.SkipPlanetsUntilTurn);
  EXPECT_EQ(config.SkipBattlesUntilTurn, settings.SkipBattlesUntilTurn);
  EXPECT_EQ(config.Turn0HabitedPlanetsSize, settings.turn0HabitedPlanetsSize);
  EXPECT_EQ(config.Turn0HabitedPlanetsSize2nd, settings.turn0HabitedPlanetsSize2nd);
  EXPECT_EQ(config.UseCountMethod, settings.UseCountMethod);
  EXPECT_EQ(config.UseMDIStyle, settings.UseMDIStyle);
  // A save that changes nothing leaves the start's values as they were.
  WriteGameConfig(dir.ini(), "1", config);
  TGameSettings after;
  ASSERT_TRUE(ReadGameSettings(dir.path(), {}, after, layout));
  EXPECT_EQ(after.turn0HabitedPlanetsSize, settings.turn0HabitedPlanetsSize);
}

// A save wrote the dialog's copy of the section back whole, dropping the "GameType" the reader
// had written meanwhile. Only the dialog's own keys change, and an unselected variant keeps the
// file's value.
TEST(GameConfig, AnotherWritersKeysSurviveASave) {
  ProgramDir dir("[RUN]\ngame=1\n[1]\nspelD=/g/%1s%0.03d.txt\nspelC=k\n");
  TGameConfig config = ReadGameConfig(dir.ini(), "1");
  EXPECT_FALSE(config.GameType.has_value());
  // While the dialog shows the game, the reader detects the variant and another part of the
  // program adds a key of its own.
  WriteGameType(dir.IniPath(), "1", TGameType::NG);
  TIniFile(dir.IniPath().string(), TIniFile::TMode::WriteThrough).WriteString("1", "bigGame", "0");
  config.Name = "Orion";
  WriteGameConfig(dir.ini(), "1", config);
  EXPECT_EQ(dir.ini().ReadString("1", "GameType", ""), "Galaxy NG");
  EXPECT_EQ(dir.ini().ReadString("1", "bigGame", ""), "0");
  EXPECT_EQ(dir.ini().ReadString("1", "Name", ""), "Orion");
}

// A "%" in the folder went into the pattern as it was and made it unusable (or a different
// directive). It is written as "%%" and read back as "%".
TEST(GameConfig, FolderWithPercentRoundTripsAndStaysAUsablePattern) {
  ProgramDir dir("[RUN]\ngame=1\n[1]\nspelC=k\n");
  TGameConfig config = ReadGameConfig(dir.ini(), "1");
  config.Directory = "/games/50% off";
  WriteGameConfig(dir.ini(), "1", config);
  EXPECT_EQ(dir.ini().ReadString("1", "spelD", ""), "/games/50%% off/%1s%0.03d.txt");
  EXPECT_EQ(ReadGameConfig(dir.ini(), "1").Directory, "/games/50% off");

  TGameSettings settings;
  TReportLayout layout;
  ASSERT_TRUE(ReadGameSettings(dir.path(), {}, settings, layout));
  EXPECT_EQ(FormatReportName(settings.spelD, 'k', 1), "/games/50% off/k001.txt");
}

// A mask that cannot name reports was saved, and the next start fell back to this dialog. The
// save is refused with the reason and the file stays as it was.
TEST(GameConfig, UnusableMaskIsRefusedAndNothingChanges) {
  const char* ini = "[1]\nspelD=/g/%1s%0.03d.txt\nspelC=k\n";
  ProgramDir dir(ini);
  TGameConfig config = ReadGameConfig(dir.ini(), "1");
  config.Name = "Orion";
  for (const char* mask : {"%1s%s", "%d%1s", "%1s%0.03d%n", ""}) {
    config.FileMask = mask;
    EXPECT_THROW(WriteGameConfig(dir.ini(), "1", config), TovixError) << mask;
  }
  EXPECT_EQ(dir.Text(), ini);
}

// ---- the new-game flow (the window's tests run it whole on a real report)

// Reports are added to a program folder with two games; the shortcut maker records (or fails).
class NewGame : public testing::Test {
 protected:
  std::optional<std::string> Add(const std::string& file, std::string_view text) {
    WriteFile(reports / file, text);
    return AddGameFromReport(dir.ini(), reports / file, ui, [this](const TGameShortcut& s) {
      if (failShortcut) throw EFileError("Cannot create the shortcut.");
      shortcuts.push_back(s);
    });
  }
  ProgramDir dir{
      "[1]\nspelD=/g/%1s%0.03d.txt\nspelC=kb\nGameType=Galaxy Blind\n"
      "MapType=Spherical\nMapSize=300\nUseCountMethod=9\n[2]\nspelC=k\n"};
  TempDir reports;
  RecordingUserInterface ui;
  std::vector<TGameShortcut> shortcuts;
  bool failShortcut = false;
};

TEST_F(NewGame, AnsweringNoWritesNothingAndYesAddsTheFirstFreeSection) {
  const std::string before = dir.Text();
  EXPECT_EQ(Add("gamek7", NGReport("Galaxy Game Vega Turn 7 Report for Player 3")), std::nullopt);
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_NE(ui.questions[0].find("Player:\t\tPlayer_3\r"), std::string::npos);
  EXPECT_NE(ui.questions[0].find("File Mask:\t%1samek%d\rFile Ext:\t\t\rUsed Char:\tg"),
            std::string::npos);
  EXPECT_EQ(dir.Text(), before);

  ui.answers = {true, false};
  EXPECT_EQ(Add("gamek7", NGReport("Galaxy Game Vega Turn 7 Report for Player 3")), "0");
  EXPECT_TRUE(shortcuts.empty());
  EXPECT_EQ(dir.ini().ReadString("0", "spelD", ""), (reports / "%1samek%d").string());
}

// A report named "turn12.txt" gave the padded mask "%1surn%0.02d", which misses "turn5.txt"
// and "turn9.txt" without a word. The mask that names the folder's reports is chosen, and
// turns missing at the start are said.
TEST_F(NewGame, MaskNamesTheReportsOfTheFolderAndMissingFirstTurnsAreSaid) {
  for (const char* name : {"turn5.txt", "turn9.txt"}) WriteFile(reports / name, "");
  ui.answers = {true, false};
  EXPECT_EQ(Add("turn12.txt", NGReport("Galaxy Game Vega Turn 12 Report for Ann")), "0");
  ASSERT_EQ(ui.questions.size(), 2u);
  EXPECT_NE(ui.questions[0].find("File Mask:\t%1surn%d\r"), std::string::npos) << ui.questions[0];
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"The reports of turns 0 to 4 are not in the folder."});
  EXPECT_EQ(dir.ini().ReadString("0", "spelD", ""), (reports / "%1surn%d.txt").string());
  // Padded names keep the padded mask.
  TGameRecord padded{"", "", reports.path().string(), "%1s%0.03d", ".txt", "k"};
  WriteFile(reports / "k000.txt", "");
  WriteFile(reports / "k001.txt", "");
  EXPECT_EQ(ChooseReportFileMask(padded), 0);
  EXPECT_EQ(padded.FileMask, "%1s%0.03d");
}

TEST_F(NewGame, NoGalaxyReportOrNoFileShowsWhyAndAddsNothing) {
  const std::string before = dir.Text();
  ui.answers = {true, true};
  EXPECT_EQ(Add("k001.txt", "Dear player,\nthis is no report.\n"), std::nullopt);
  EXPECT_EQ(AddGameFromReport(dir.ini(), reports / "missing.txt", ui, {}), std::nullopt);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0],
            "Unknown Galaxy type if you are sure this is a galaxy turn report, please contact the "
            "author");
  EXPECT_NE(ui.messages[1].find("missing.txt"), std::string::npos);
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_EQ(dir.Text(), before);
}

// The dialog filled the new game's fields over those of the game it showed before, so a new
// "Galaxy NG" game could be saved as "Galaxy Blind" with the old game's map and counting
// settings. A new game gets the detected variant and the defaults.
TEST_F(NewGame, TakesNothingFromTheGameShownBefore) {
  ui.answers = {true, false};
  ASSERT_EQ(Add("ab12.rep", NGReport("Galaxy Game Orion Turn 12 Report for Arcturans")), "0");
  TGameConfig added = ReadGameConfig(dir.ini(), "0");
  EXPECT_EQ(added.GameType, TGameType::NG);
  EXPECT_EQ(added.MapType, std::nullopt);
  EXPECT_EQ(added.MapSize, 100);
  EXPECT_EQ(added.UseCountMethod, 3);
  EXPECT_EQ(added.FileMask, "%1sb%0.02d");
  EXPECT_EQ(added.FileExtension, ".rep");
  EXPECT_EQ(added.UsedChars, "a");
}

TEST_F(NewGame, FailedShortcutIsShown) {
  ui.answers = {true, true};
  failShortcut = true;
  EXPECT_EQ(Add("k000.txt", NGReport("Galaxy Game Orion Turn 0 Report for race_1")), "0");
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Cannot create the shortcut."}));
}

// ---- ally letters

TEST(AllyReports, ChosenLetterIsShownWithExamplesAndAdded) {
  ProgramDir dir("[1]\nspelD=/g/%1s%0.03d.txt\nspelC=kb\nbigGame=0\n");
  TGameConfig config = ReadGameConfig(dir.ini(), "1");
  const std::vector<std::string> letters = FreeAllyLetters(config.UsedChars);
  ASSERT_EQ(letters.size(), 24u);
  EXPECT_EQ(letters[1], "c");
  RecordingUserInterface ui;
  ui.answers = {true};
  ui.choices = {1};

  EXPECT_TRUE(AddAllyTurnReports(dir.ini(), "1", config, ui));
  EXPECT_EQ(ui.questions,
            (std::vector<std::string>{std::string(kAllyQuestion), "choose a character"}));
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{
                "Reporst must be saved in the same directory as your own reports.\rUse the "
                "following style to name the reports:\r\rc000.txt\rc001.txt\rc002.txt"}));
  EXPECT_EQ(config.UsedChars, "kbc");
  EXPECT_EQ(dir.ini().ReadString("1", "spelC", ""), "kbc");
  EXPECT_EQ(dir.ini().ReadString("1", "bigGame", ""), "0");
}

// Answers the letter choice with OK while no letter is current. That added an empty letter and
// showed examples without one; now it adds nothing.
class OkWithoutChoice : public RecordingUserInterface {
 public:
  bool ChooseFromList(const std::string&, const std::vector<std::string>&, int&) override {
    return true;
  }
};

TEST(AllyReports, StoppingOrChoosingNothingChangesNothing) {
  const char* ini = "[1]\nspelD=/g/%1s%0.03d.txt\nspelC=k\n";
  ProgramDir dir(ini);
  TGameConfig config = ReadGameConfig(dir.ini(), "1");
  RecordingUserInterface no;
  EXPECT_FALSE(AddAllyTurnReports(dir.ini(), "1", config, no));
  RecordingUserInterface cancel;
  cancel.answers = {true};
  cancel.choices = {-1};
  EXPECT_FALSE(AddAllyTurnReports(dir.ini(), "1", config, cancel));
  OkWithoutChoice nothing;
  nothing.answers = {true};
  EXPECT_FALSE(AddAllyTurnReports(dir.ini(), "1", config, nothing));
  EXPECT_TRUE(nothing.messages.empty());

  RecordingUserInterface badMask;
  config.FileMask = "%1s%s";
  EXPECT_FALSE(AddAllyTurnReports(dir.ini(), "1", config, badMask));
  ASSERT_EQ(badMask.messages.size(), 1u);
  EXPECT_EQ(badMask.messages[0], ReportPatternError("/g/%1s%s.txt"));
  EXPECT_TRUE(badMask.questions.empty());
  EXPECT_EQ(config.UsedChars, "k");
  EXPECT_EQ(dir.Text(), ini);
}

}  // namespace
}  // namespace tovix

#pragma once
// What the configuration dialog does to Tovix.ini, without the dialog: one game's settings read
// and written as the dialog shows them, the default game, a new game made from one of its turn
// reports, an ally's report letter, and the decision to make a desktop shortcut.
//
// What callers rely on:
// - The file is opened write-through (OpenGameConfigFile): every read sees the file as it is
//   now, and every save re-reads it and changes only the keys the dialog owns, in one write. So
//   the "GameType" the report reader wrote, or any key of another writer, is never lost.
// - "spelD" (the report file pattern) is shown as folder, file mask and extension. It is split
//   at the last "/" or "\" and written with "/". Folder and extension are plain text: a "%" in
//   them is written as "%%" so the pattern stays valid, and read back as "%". The mask is the
//   pattern part ("%1s%0.03d") and is kept as typed.
// - A save whose pattern cannot be used changes nothing and raises TovixError with the reason.
// - Questions and messages go through UserInterface, with the dialog's texts.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/user_interface.h"
#include "core/settings/game_settings.h"
#include "core/settings/game_types.h"
#include "core/settings/ini_file.h"

namespace tovix {

// The run section as the dialog writes it; "RUN" (kRunSection) is the same section.
inline constexpr std::string_view kConfigRunSection = "Run";

inline constexpr std::string_view kRestartMessage =
    "Restart Tovix, after that the changes will take effect.";
inline constexpr std::string_view kUnknownReportMessage =
    " if you are sure this is a galaxy turn report, please contact the author";
inline constexpr std::string_view kGameFoundMessage =
    "A %s game found:\r\rName:\t\t%s\rPlayer:\t\t%s\rDirectory:\t\t%s\rFile Mask:\t%s\rFile "
    "Ext:\t\t%s\rUsed Char:\t%s";
inline constexpr std::string_view kAddEntryQuestion = "Do you want to add a entry for it?";
inline constexpr std::string_view kShortcutQuestion =
    "Do you want to create a Shortcut on the desktop for this game?";
inline constexpr std::string_view kAllyQuestion =
    "To add turn reports of your ally, you must choose a character to identify them.\r\rDo you "
    "want to proceed?";
inline constexpr std::string_view kAllyLetterCaption = "choose a character";
inline constexpr std::string_view kAllyNamingMessage =
    "Reporst must be saved in the same directory as your own reports.\rUse the following style "
    "to name the reports:\r\r";

inline constexpr std::string_view kDefaultFileMask = "%1s%0.03d";
inline constexpr std::string_view kDefaultFileExtension = ".txt";

// One game section as the dialog shows it. The defaults are those of a section that lacks the
// key (the game_key table).
struct TGameConfig {
  std::string Name{game_key::Name.Default};
  std::string Directory;  // the reports' folder, without a trailing "/" (except the root)
  std::string FileMask{kDefaultFileMask};
  std::string FileExtension{kDefaultFileExtension};
  // The own report letter first, then one per ally.
  std::string UsedChars{game_key::ReportLetters.Default};
  // Nothing when the file names no known variant or map type: the list shows no selection
  // and a save leaves the key as the file has it.
  std::optional<TGameType> GameType;
  std::optional<TMapType> MapType;
  int32_t MapSize = game_key::MapSize.Default;
  int32_t SkipPlanetsUntilTurn = game_key::SkipPlanetsUntilTurn.Default;
  int32_t SkipBattlesUntilTurn = game_key::SkipBattlesUntilTurn.Default;
  int32_t Turn0HabitedPlanetsSize = game_key::Turn0HabitedPlanetsSize.Default;
  int32_t Turn0HabitedPlanetsSize2nd = game_key::Turn0HabitedPlanetsSize2nd.Default;
  int32_t UseCountMethod = game_key::UseCountMethod.Default;
  bool UseMDIStyle = game_key::UseMDIStyle.Default;  // a run setting, shown with the game
  bool operator==(const TGameConfig&) const = default;
};

// Tovix.ini of the program folder, write-through, values losing one pair of quotes (as the
// settings reader opens it).
TIniFile OpenGameConfigFile(const std::filesystem::path& programDir);

// The folder of the INI file: the program folder.
std::string ProgramFolderOf(const TIniFile& ini);

// The game section `section`; a missing or empty "spelD" gives the program folder with the
// default mask and extension.
TGameConfig ReadGameConfig(const TIniFile& ini, std::string_view section);
// Writes "UseMDIStyle" to the run section and the game's keys to `section`, in one write. A
// pattern that ReportPatternError refuses, or a failed write, raises (TovixError, EFileError)
// and leaves the file as it was.
void WriteGameConfig(TIniFile& ini, std::string_view section, const TGameConfig& config);

// "spelD" from its parts, and back.
std::string JoinReportPattern(const TGameConfig& config);
void SplitReportPattern(std::string_view spelD, TGameConfig& config);

// The section names of the file that are game numbers, in file order.
std::vector<std::string> ListGameSections(const TIniFile& ini);
// "game" of the run section as text, "0" when missing.
std::string ReadDefaultGame(const TIniFile& ini);
// Makes the game of `section` the one the program starts with.
void MakeDefaultGame(TIniFile& ini, std::string_view section);
void WriteUseMDIStyle(TIniFile& ini, bool on);

// The smallest section number from 0 up that none of `sections` uses.
std::string NextFreeGameSection(const std::vector<std::string>& sections);

// ---- adding a game from a report

// What a report file tells about its game.
struct TGameRecord {
  std::string Name;
  std::string Player;
  std::string Directory;
  std::string FileMask;
  std::string FileExtension;
  std::string UsedChar;
};

// The file mask of a report named `baseName` (its file name without folder and extension):
// "k012" -> "%1s%0.03d", "gamek7" -> "%1s" "amek" "%d", "ab12" -> "%1s" "b" "%0.02d". The used
// character is the name's first character. False, and the mask left as it was, when the name
// has none of the three forms.
bool DetectReportFileMask(std::string_view baseName, TGameRecord& record);

// A name with its turn zero-padded ("turn12" gives "%0.02d") leaves turns 0 to 9 unnamed when
// the folder's reports are not padded ("turn9"). Of the mask DetectReportFileMask gave and its
// unpadded form, keeps the one that names more of the reports in record.Directory for the used
// character (the detected one on a tie). Returns the first turn a report exists for with the
// mask kept, -1 when there is none.
int ChooseReportFileMask(TGameRecord& record);
// The message shown before the new-game question when the reports of the first turns are
// missing: "" when the first report is that of turn 0.
std::string MissingFirstTurnsNote(int firstTurn);

// The words (counted from 1) of a report's header line that hold the game's name and the
// player, by variant; 0 for the unknown variant.
struct THeaderWords {
  int Name = 0;
  int Player = 0;
};
THeaderWords HeaderWordsFor(TGameType type);
// Name and player from the header line. Words are separated by blanks and commas, and an empty
// word between two separators counts. A player word "Player" or "Nation" (any case) takes the
// next word along: "Player_7".
void ReadNameAndPlayer(std::string_view headerLine, TGameType type, std::string& name,
                       std::string& player);

// ---- desktop shortcut

// What a shortcut that starts the program for one game needs; the platform layer makes the
// file ("Tovix <name>" on the desktop).
struct TGameShortcut {
  std::string GameName;
  std::string GameSection;    // the program's argument
  std::string ProgramFolder;  // the working folder
  bool operator==(const TGameShortcut&) const = default;
};
// Makes the shortcut; raises TovixError (EFileError) with a message for the user on failure.
using TShortcutMaker = std::function<void(const TGameShortcut&)>;

// The shortcut of the game in `section` of the file, labelled with `gameName`.
TGameShortcut GameShortcutFor(const TIniFile& ini, std::string_view section,
                              std::string_view gameName);
// Makes the shortcut; a failure is shown to the user. False when no shortcut was made (no
// maker, or it failed).
bool CreateGameShortcut(const TGameShortcut& shortcut, const TShortcutMaker& makeShortcut,
                        UserInterface& ui);

// The new-game flow: reads the report, shows what it found and asks whether to add it; on Yes
// writes a new game section (the record's fields, the detected variant, defaults for the rest),
// calls `onAdded`, then offers the desktop shortcut. Returns the new section, or nothing when no
// game was added (the user said No, the report is no Galaxy report or cannot be read; the
// reason is shown).
std::optional<std::string> AddGameFromReport(
    TIniFile& ini, const std::filesystem::path& reportFile, UserInterface& ui,
    const TShortcutMaker& makeShortcut,
    const std::function<void(const std::string& section)>& onAdded = {});

// ---- ally reports

// The lower-case letters "a" to "z" that `usedChars` does not hold yet.
std::vector<std::string> FreeAllyLetters(std::string_view usedChars);
// Report file names of turns 0 to 2 for `letter`, made with the game's mask and extension.
// Raises TovixError when the mask cannot be used.
std::vector<std::string> ExampleReportNames(const TGameConfig& config, char letter);

// Asks whether to proceed, lets the user choose a free letter, shows how the ally's reports
// must be named, appends the letter to config.UsedChars and writes the game (WriteGameConfig)
// to `section`. False, with config unchanged, when the user stops, chooses nothing, or the
// game's mask cannot be used (then the reason is shown).
bool AddAllyTurnReports(TIniFile& ini, std::string_view section, TGameConfig& config,
                        UserInterface& ui);

}  // namespace tovix

#pragma once
// Reading the chosen game's settings from Tovix.ini, writing the detected variant back, and
// expanding the report file pattern ("spelD") into a report's file name.
//
// Tovix.ini holds a run section ("RUN", also written as "Run": names compare without case) with
// the default game number, and one section per game named by its number. The file is always
// opened write-through with quotes stripped, so what other parts of the program wrote in the
// meantime is kept by every write made here.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/game_types.h"
#include "core/settings/ini_file.h"
#include "core/settings/report_layout.h"

namespace tovix {

inline constexpr std::string_view kIniFileName = "Tovix.ini";
inline constexpr std::string_view kRunSection = "RUN";

// One key of Tovix.ini with the value a section that lacks it gives.
template <class T>
struct TIniKey {
  std::string_view Name;
  T Default;
};

// The keys of a game section (and the run keys read with it). The settings reader and the
// configuration dialog both read and write through this table, so both see the same names and
// the same defaults.
namespace game_key {
inline constexpr TIniKey<std::string_view> Name{"Name", ""};
inline constexpr TIniKey<std::string_view> GameType{"GameType", ""};
// The flag older sections have instead of "GameType".
inline constexpr TIniKey<bool> Blind{"blind", false};
inline constexpr TIniKey<std::string_view> MapType{"MapType", ""};
inline constexpr TIniKey<int32_t> MapSize{"MapSize", 100};
inline constexpr TIniKey<bool> OutbackType{"outbacktype", false};
inline constexpr TIniKey<bool> BigGame{"bigGame", true};
inline constexpr TIniKey<std::string_view> ReportPattern{"spelD", ""};
inline constexpr TIniKey<std::string_view> ReportLetters{"spelC", "k"};
inline constexpr TIniKey<int32_t> SkipPlanetsUntilTurn{"SkipPlanetsUntilTurn", 0};
inline constexpr TIniKey<int32_t> SkipBattlesUntilTurn{"SkipBattlesUntilTurn", 0};
inline constexpr TIniKey<double> MapFaktor{"mapFaktor", 2.5};
inline constexpr TIniKey<double> MapScrollV{"mapScrollV", 0};
inline constexpr TIniKey<double> MapScrollH{"mapScrollH", 0};
inline constexpr TIniKey<int32_t> Turn0HabitedPlanetsSize{"turn0HabitedPlanetsSize", 0};
inline constexpr TIniKey<int32_t> Turn0HabitedPlanetsSize2nd{"turn0HabitedPlanetsSize2nd", 0};
inline constexpr TIniKey<int32_t> BlindRepName{"blindRepName", 0};
inline constexpr TIniKey<int32_t> UseCountMethod{"UseCountMethod", 3};
// Run section keys.
inline constexpr TIniKey<int32_t> Game{"game", -1};
inline constexpr TIniKey<bool> EliteNameCreation{"EliteNameCreation", false};
inline constexpr TIniKey<bool> UseMDIStyle{"UseMDIStyle", true};
}  // namespace game_key

// A key read with its default.
inline std::string ReadKey(const TIniFile& ini, std::string_view section,
                           const TIniKey<std::string_view>& key) {
  return ini.ReadString(section, key.Name, std::string(key.Default));
}
inline int32_t ReadKey(const TIniFile& ini, std::string_view section, const TIniKey<int32_t>& key) {
  return ini.ReadInteger(section, key.Name, key.Default);
}
inline bool ReadKey(const TIniFile& ini, std::string_view section, const TIniKey<bool>& key) {
  return ini.ReadBool(section, key.Name, key.Default);
}
inline double ReadKey(const TIniFile& ini, std::string_view section, const TIniKey<double>& key) {
  return ini.ReadFloat(section, key.Name, key.Default);
}

// Fills `settings` (reset first) from `programDir`/Tovix.ini and `layout` (reset to the
// defaults) for the chosen game's variant. `args` are the command-line arguments after the
// program name: a first argument that is an integer chooses the game instead of the run
// section's "game".
//
// Returns true when a game is chosen and both its report pattern and report letters are set
// and the pattern can be expanded (see ReportPatternError); false otherwise, among others when
// Tovix.ini is missing or cannot be read. settings.IniPath is set either way.
//
// A game section with no known "GameType" but "blind" set becomes "Galaxy Blind", and that name
// is written to its "GameType". When that write fails (a read-only file), this run still uses
// "Galaxy Blind" and the next start tries again.
bool ReadGameSettings(const std::filesystem::path& programDir, const std::vector<std::string>& args,
                      TGameSettings& settings, TReportLayout& layout);

// Raises EFileError when the user made `iniFile` read-only: such a file is not replaced.
void RefuseReadOnlyIniFile(const std::filesystem::path& iniFile);

// Writes the variant's name to "GameType" of `section` in the INI file at `iniPath` (the report
// reader does this when it detects the variant). The file is replaced atomically; a failure,
// a read-only file among them, raises EFileError and leaves it as it was.
void WriteGameType(const std::filesystem::path& iniPath, std::string_view section, TGameType type);

// The report file pattern is user text, so it is checked before use rather than handed to a
// general formatter. A usable pattern holds exactly one "%s" directive (the report letter)
// followed by exactly one "%d" directive (the turn), each of the form %[-][width][.precision]
// with at most three digits per number; "%%" stands for a "%" sign anywhere, for example in the
// folder. Example: "/games/orion/%1s%0.03d.txt".
//
// Returns an empty text for a usable pattern, otherwise a message saying what is wrong.
std::string ReportPatternError(std::string_view pattern);
inline bool IsValidReportPattern(std::string_view pattern) {
  return ReportPatternError(pattern).empty();
}

// The report file name for one letter and turn: "%1s%0.03d.txt" with 'k' and 7 gives
// "k007.txt". A pattern that ReportPatternError refuses raises TovixError with its message.
std::string FormatReportName(std::string_view pattern, char letter, int turn);

}  // namespace tovix

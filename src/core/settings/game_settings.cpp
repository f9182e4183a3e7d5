#include "core/settings/game_settings.h"

#include <system_error>

#include "core/base/errors.h"
#include "core/settings/game_variant.h"
#include "core/settings/ini_file.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"

namespace tovix {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxPatternDigits = 3;

TIniFile OpenSettingsFile(const fs::path& iniPath) {
  return TIniFile(iniPath.string(), TIniFile::TMode::WriteThrough, /*stripQuotes=*/true);
}

void ReadGameSection(TIniFile& ini, TGameSettings& s) {
  const std::string section = s.GetGameSection();
  s.GameType = GameTypeFromName(ReadKey(ini, section, game_key::GameType));
  if (s.GameType == TGameType::Unknown && ReadKey(ini, section, game_key::Blind)) {
    // Older sections only had the flag; store the variant under its name from now on.
    s.GameType = TGameType::Blind;
    ini.WriteString(section, game_key::GameType.Name, GameTypeName(TGameType::Blind));
  }
  s.MapType = MapTypeFromName(ReadKey(ini, section, game_key::MapType));
  s.MapSize = ReadKey(ini, section, game_key::MapSize);
  s.outbacktype = ReadKey(ini, section, game_key::OutbackType);
  s.bigGame = ReadKey(ini, section, game_key::BigGame);
  s.spelD = ReadKey(ini, section, game_key::ReportPattern);
  s.spelC = ReadKey(ini, section, game_key::ReportLetters);
  s.SkipPlanetsUntilTurn = ReadKey(ini, section, game_key::SkipPlanetsUntilTurn);
  s.SkipBattlesUntilTurn = ReadKey(ini, section, game_key::SkipBattlesUntilTurn);
  // Kept for the file's sake only; a text that is not a number gives the default.
  s.mapFaktor = ReadKey(ini, section, game_key::MapFaktor);
  s.mapScrollV = ReadKey(ini, section, game_key::MapScrollV);
  s.mapScrollH = ReadKey(ini, section, game_key::MapScrollH);
  s.turn0HabitedPlanetsSize =
      static_cast<float>(ReadKey(ini, section, game_key::Turn0HabitedPlanetsSize));
  s.turn0HabitedPlanetsSize2nd =
      static_cast<float>(ReadKey(ini, section, game_key::Turn0HabitedPlanetsSize2nd));
  s.blindRepName = ReadKey(ini, section, game_key::BlindRepName);
  s.UseCountMethod = ReadKey(ini, section, game_key::UseCountMethod);
  s.EliteNameCreation = ReadKey(ini, kRunSection, game_key::EliteNameCreation);
  s.UseMDIStyle = ReadKey(ini, kRunSection, game_key::UseMDIStyle);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Skips up to kMaxPatternDigits digits at i; false when there are more.
bool SkipDigits(std::string_view p, size_t& i) {
  size_t start = i;
  while (i < p.size() && IsDigit(p[i])) ++i;
  return i - start <= kMaxPatternDigits;
}

std::string PatternError(std::string_view pattern, std::string_view reason) {
  return Fmt("The report file pattern \"%s\" cannot be used: %s.", pattern, reason);
}

constexpr std::string_view kNeedsLetterAndTurn =
    "it must hold one %s directive for the report letter followed by one %d directive for the "
    "turn (write a % sign as %%)";

}  // namespace

bool ReadGameSettings(const fs::path& programDir, const std::vector<std::string>& args,
                      TGameSettings& settings, TReportLayout& layout) {
  // Numbers in the file are read with "." as decimal separator whatever the user's locale: the
  // INI reader never consults the locale, so nothing needs switching here.
  settings = TGameSettings{};
  layout = TReportLayout{};
  settings.IniPath = (programDir / kIniFileName).string();

  std::error_code ec;
  if (!fs::exists(settings.IniPath, ec)) return false;

  try {
    TIniFile ini = OpenSettingsFile(settings.IniPath);
    TIniFile::TBatch batch(ini);  // one read of the file, and one write when something changed
    settings.GameNumber = ReadKey(ini, kRunSection, game_key::Game);
    if (!args.empty()) settings.GameNumber = StrToIntDef(args.front(), settings.GameNumber);
    if (settings.GameNumber != -1) {
      ReadGameSection(ini, settings);
      try {
        RefuseReadOnlyIniFile(settings.IniPath);
        batch.Commit();
      } catch (const EFileError&) {
        // Only the "blind" write-back is lost; the variant holds for this run all the same.
      }
    }
  } catch (const EFileError&) {
    return false;  // the file exists but cannot be read: as good as missing
  }

  if (settings.spelD.empty() || settings.spelC.empty() || !IsValidReportPattern(settings.spelD))
    return false;
  SetReportLayout(layout, settings.GameType);
  return true;
}

void RefuseReadOnlyIniFile(const fs::path& iniFile) {
  if (IsReadOnly(iniFile)) {
    throw EFileError(Fmt("%s is read-only: the change is not written to it.", iniFile.string()));
  }
}

void WriteGameType(const fs::path& iniPath, std::string_view section, TGameType type) {
  RefuseReadOnlyIniFile(iniPath);
  OpenSettingsFile(iniPath).WriteString(section, game_key::GameType.Name, GameTypeName(type));
}

std::string ReportPatternError(std::string_view pattern) {
  std::string kinds;  // the conversion letters in order
  size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] != '%') {
      ++i;
      continue;
    }
    size_t start = i++;
    if (i < pattern.size() && pattern[i] == '%') {
      ++i;
      continue;
    }
    if (i < pattern.size() && pattern[i] == '-') ++i;
    bool ok = SkipDigits(pattern, i);
    if (ok && i < pattern.size() && pattern[i] == '.') {
      ++i;
      ok = i < pattern.size() && IsDigit(pattern[i]) && SkipDigits(pattern, i);
    }
    if (i >= pattern.size())
      return PatternError(pattern, "it ends inside a directive (write a % sign as %%)");
    char conv = pattern[i++];
    if (!ok || (conv != 's' && conv != 'd'))
      return PatternError(pattern, Fmt("the directive \"%s\" is not supported; %s",
                                       pattern.substr(start, i - start), kNeedsLetterAndTurn));
    kinds += conv;
  }
  if (kinds != "sd") return PatternError(pattern, kNeedsLetterAndTurn);
  return {};
}

std::string FormatReportName(std::string_view pattern, char letter, int turn) {
  std::string error = ReportPatternError(pattern);
  if (!error.empty()) throw TovixError(error);
  return Fmt(pattern, std::string(1, letter), turn);
}

}  // namespace tovix

#include "core/settings/game_config.h"

#include <algorithm>
#include <array>
#include <exception>
#include <set>
#include <system_error>

#include "core/base/errors.h"
#include "core/regex/regex.h"
#include "core/settings/game_settings.h"
#include "core/settings/game_variant.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_parse.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeaderWordDelimiters = " ,";
constexpr int kExampleTurns = 3;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The entry of `names` equal to `name` ignoring case, as a list selects it.
template <class T, size_t N>
std::optional<T> FindByName(const std::array<std::string_view, N>& names, std::string_view name) {
  for (size_t i = 0; i < N; ++i)
    if (SameText(names[i], name)) return static_cast<T>(i);
  return std::nullopt;
}

// A literal "%" of a file name part becomes "%%" in the pattern, and back.
std::string EscapePercent(std::string_view s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

std::string UnescapePercent(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') ++i;
  }
  return out;
}

// Index just past the conversion letter of the last directive of a file mask, 0 when there is
// none: the extension is looked for after it, so the "." of "%0.03d" never starts one.
size_t EndOfLastDirective(std::string_view s) {
  size_t end = 0;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '%') {
      ++i;
      continue;
    }
    if (i + 1 < s.size() && s[i + 1] == '%') {
      i += 2;
      continue;
    }
    size_t j = i + 1;
    if (j < s.size() && s[j] == '-') ++j;
    while (j < s.size() && (IsDigit(s[j]) || s[j] == '.')) ++j;
    if (j < s.size() && IsLetter(s[j])) {
      end = j + 1;
      i = j + 1;
    } else {
      i = j;
    }
  }
  return end;
}

std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool Matches(std::string_view pattern, std::string_view subject) {
  TznreExpr expr;
  expr.SetPattern(pattern);
  expr.SetStr(subject);
  return expr.Search(1) > 0;
}

// The file mask and extension as one pattern, without the folder.
std::string FileNamePattern(const TGameConfig& config) {
  return Trim(config.FileMask) + EscapePercent(Trim(config.FileExtension));
}

std::vector<std::string> ReportLines(const fs::path& file) {
  std::string text = LoadFileToString(file);
  NormalizeLineEnds(text);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(text, start, end - start);
    start = end + 2;
  }
  return lines;
}

std::string FolderOf(const fs::path& file) {
  std::error_code ec;
  fs::path absolute = fs::absolute(file, ec);
  if (ec) absolute = file;
  return WithoutTrailingSlashes(absolute.parent_path().string());
}

}  // namespace

TIniFile OpenGameConfigFile(const fs::path& programDir) {
  return TIniFile((programDir / kIniFileName).string(), TIniFile::TMode::WriteThrough,
                  /*stripQuotes=*/true);
}

std::string ProgramFolderOf(const TIniFile& ini) {
  return WithoutTrailingSlashes(fs::path(ini.FileName()).parent_path().string());
}

std::string JoinReportPattern(const TGameConfig& config) {
  std::string folder = Trim(config.Directory);
  SubstChar(folder, '\\', '/');
  folder = EscapePercent(folder);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + FileNamePattern(config);
}

void SplitReportPattern(std::string_view spelD, TGameConfig& config) {
  const size_t sep = spelD.find_last_of("/\\");
  std::string folder;
  std::string_view file = spelD;
  if (sep != std::string_view::npos) {
    folder = std::string(spelD.substr(0, sep));
    if (folder.empty()) folder = "/";
    SubstChar(folder, '\\', '/');
    file = spelD.substr(sep + 1);
  }
  config.Directory = WithoutTrailingSlashes(UnescapePercent(folder));
  const size_t dot = file.rfind('.');
  if (dot == std::string_view::npos || dot < EndOfLastDirective(file)) {
    config.FileMask = std::string(file);
    config.FileExtension.clear();
  } else {
    config.FileMask = std::string(file.substr(0, dot));
    config.FileExtension = UnescapePercent(file.substr(dot));
  }
}

TGameConfig ReadGameConfig(const TIniFile& ini, std::string_view section) {
  TGameConfig c;
  const std::string spelD = ReadKey(ini, section, game_key::ReportPattern);
  if (Trim(spelD).empty())
    c.Directory = ProgramFolderOf(ini);
  else
    SplitReportPattern(spelD, c);
  c.Name = ReadKey(ini, section, game_key::Name);
  c.UsedChars = ReadKey(ini, section, game_key::ReportLetters);
  c.SkipPlanetsUntilTurn = ReadKey(ini, section, game_key::SkipPlanetsUntilTurn);
  c.SkipBattlesUntilTurn = ReadKey(ini, section, game_key::SkipBattlesUntilTurn);
  c.Turn0HabitedPlanetsSize = ReadKey(ini, section, game_key::Turn0HabitedPlanetsSize);
  c.Turn0HabitedPlanetsSize2nd = ReadKey(ini, section, game_key::Turn0HabitedPlanetsSize2nd);
  c.UseCountMethod = ReadKey(ini, section, game_key::UseCountMethod);
  c.GameType = FindByName<TGameType>(kGameTypeNames, ReadKey(ini, section, game_key::GameType));
  c.MapType = FindByName<TMapType>(kMapTypeNames, ReadKey(ini, section, game_key::MapType));
  c.MapSize = ReadKey(ini, section, game_key::MapSize);
  c.UseMDIStyle = ReadKey(ini, kRunSection, game_key::UseMDIStyle);
  return c;
}

void WriteGameConfig(TIniFile& ini, std::string_view section, const TGameConfig& config) {
  if (section.empty()) throw TovixError("No game is selected.");
  const std::string pattern = JoinReportPattern(config);
  const std::string error = ReportPatternError(pattern);
  if (!error.empty()) throw TovixError(error);

  RefuseReadOnlyIniFile(ini.FileName());
  TIniFile::TBatch batch(ini);
  ini.WriteBool(kConfigRunSection, game_key::UseMDIStyle.Name, config.UseMDIStyle);
  ini.WriteString(section, game_key::Name.Name, config.Name);
  ini.WriteString(section, game_key::ReportPattern.Name, pattern);
  ini.WriteString(section, game_key::ReportLetters.Name, config.UsedChars);
  ini.WriteInteger(section, game_key::SkipPlanetsUntilTurn.Name, config.SkipPlanetsUntilTurn);
  ini.WriteInteger(section, game_key::SkipBattlesUntilTurn.Name, config.SkipBattlesUntilTurn);
  ini.WriteInteger(section, game_key::Turn0HabitedPlanetsSize.Name, config.Turn0HabitedPlanetsSize);
  ini.WriteInteger(section, game_key::Turn0HabitedPlanetsSize2nd.Name,
                   config.Turn0HabitedPlanetsSize2nd);
  ini.WriteInteger(section, game_key::UseCountMethod.Name, config.UseCountMethod);
  // With nothing selected the file's own value stays, e.g. a variant the reader detected.
  if (config.GameType)
    ini.WriteString(section, game_key::GameType.Name, GameTypeName(*config.GameType));
  if (config.MapType)
    ini.WriteString(section, game_key::MapType.Name, MapTypeName(*config.MapType));
  ini.WriteInteger(section, game_key::MapSize.Name, config.MapSize);
  batch.Commit();
}

std::vector<std::string> ListGameSections(const TIniFile& ini) {
  std::vector<std::string> games;
  for (const std::string& name : ini.ReadSections()) {
    int32_t number = 0;
    if (!name.empty() && std::all_of(name.begin(), name.end(), IsDigit) &&
        TryParseInt(name, number))
      games.push_back(name);
  }
  return games;
}

std::string ReadDefaultGame(const TIniFile& ini) {
  // The label shows "0" when no game was made the default yet.
  return ini.ReadString(kRunSection, game_key::Game.Name, "0");
}

void MakeDefaultGame(TIniFile& ini, std::string_view section) {
  int32_t number = 0;
  if (!TryParseInt(section, number)) throw TovixError("No game is selected.");
  RefuseReadOnlyIniFile(ini.FileName());
  ini.WriteInteger(kConfigRunSection, game_key::Game.Name, number);
}

void WriteUseMDIStyle(TIniFile& ini, bool on) {
  RefuseReadOnlyIniFile(ini.FileName());
  ini.WriteBool(kConfigRunSection, game_key::UseMDIStyle.Name, on);
}

std::string NextFreeGameSection(const std::vector<std::string>& sections) {
  const std::set<std::string> used(sections.begin(), sections.end());
  for (int32_t n = 0;; ++n) {
    std::string name = std::to_string(n);
    if (!used.contains(name)) return name;
  }
}

bool DetectReportFileMask(std::string_view baseName, TGameRecord& record) {
  const std::string b(baseName);
  if (!b.empty()) record.UsedChar = b.substr(0, 1);
  if (Matches("^[a-zA-Z][0-9][0-9][0-9]$", b)) {
    record.FileMask = "%1s%0.03d";
    return true;
  }
  // The text between the first character and the turn's digits stays in the mask.
  if (Matches("^([a-zA-Z])+[0-9]$", b)) {
    record.FileMask = b.size() <= 2 ? "%1s%d" : "%1s" + b.substr(1, b.size() - 2) + "%d";
    return true;
  }
  if (Matches("^([a-zA-Z])+[0-9][0-9]$", b)) {
    record.FileMask = b.size() <= 3 ? "%1s%0.02d" : "%1s" + b.substr(1, b.size() - 3) + "%0.02d";
    return true;
  }
  return false;
}

namespace {

// The turns 0 to kMaxTurn for which `mask` names an existing report; the first of them in
// `first` (-1 when none).
int CountReports(const TGameRecord& record, const std::string& mask, int& first) {
  TGameConfig config;
  config.Directory = record.Directory;
  config.FileMask = mask;
  config.FileExtension = record.FileExtension;
  const std::string pattern = JoinReportPattern(config);
  first = -1;
  if (!IsValidReportPattern(pattern) || record.UsedChar.empty()) return 0;
  int count = 0;
  std::error_code ec;
  for (int turn = 0; turn <= kMaxTurn; ++turn) {
    if (!fs::is_regular_file(FormatReportName(pattern, record.UsedChar[0], turn), ec)) continue;
    if (first < 0) first = turn;
    ++count;
  }
  return count;
}

}  // namespace

int ChooseReportFileMask(TGameRecord& record) {
  int first = -1;
  const int detected = CountReports(record, record.FileMask, first);
  const size_t padded = record.FileMask.find("%0.0");
  if (padded != std::string::npos && padded + 6 == record.FileMask.size()) {
    const std::string unpadded = record.FileMask.substr(0, padded) + "%d";
    int unpaddedFirst = -1;
    if (CountReports(record, unpadded, unpaddedFirst) > detected) {
      record.FileMask = unpadded;
      return unpaddedFirst;
    }
  }
  return first;
}

std::string MissingFirstTurnsNote(int firstTurn) {
  if (firstTurn <= 0) return {};
  if (firstTurn == 1) return "The report of turn 0 is not in the folder.";
  return Fmt("The reports of turns 0 to %d are not in the folder.", firstTurn - 1);
}

THeaderWords HeaderWordsFor(TGameType type) {
  switch (type) {
    case TGameType::Normal:
    case TGameType::NG:
    case TGameType::NGBlind:
    case TGameType::NT:
      return {3, 8};
    case TGameType::Blind:
      return {4, 7};
    case TGameType::Plus:
      return {6, 1};
    case TGameType::Unknown:
      break;
  }
  return {};
}

void ReadNameAndPlayer(std::string_view headerLine, TGameType type, std::string& name,
                       std::string& player) {
  const THeaderWords words = HeaderWordsFor(type);
  name.clear();
  player.clear();
  if (words.Name == 0) return;
  name = GetToken(headerLine, kHeaderWordDelimiters, words.Name);
  player = GetToken(headerLine, kHeaderWordDelimiters, words.Player);
  // Anonymous races are named "Player 7" or "Nation 7": one word is not enough to tell them.
  if (SameText(player, "Player") || SameText(player, "Nation"))
    player += "_" + GetToken(headerLine, kHeaderWordDelimiters, words.Player + 1);
}

TGameShortcut GameShortcutFor(const TIniFile& ini, std::string_view section,
                              std::string_view gameName) {
  return {std::string(gameName), std::string(section), ProgramFolderOf(ini)};
}

bool CreateGameShortcut(const TGameShortcut& shortcut, const TShortcutMaker& makeShortcut,
                        UserInterface& ui) {
  if (!makeShortcut) return false;
  try {
    makeShortcut(shortcut);
    return true;
  } catch (const std::exception& e) {
    ui.ShowMessage(e.what());
    return false;
  }
}

std::optional<std::string> AddGameFromReport(
    TIniFile& ini, const fs::path& reportFile, UserInterface& ui,
    const TShortcutMaker& makeShortcut,
    const std::function<void(const std::string& section)>& onAdded) {
  std::vector<std::string> lines;
  try {
    lines = ReportLines(reportFile);
  } catch (const EFileError& e) {
    ui.ShowMessage(e.what());
    return std::nullopt;
  }
  std::string header;
  const TGameType type = DetectGameTypeFromLines(lines, header);
  if (type == TGameType::Unknown) {
    ui.ShowMessage(std::string(GameTypeName(type)) + std::string(kUnknownReportMessage));
    return std::nullopt;
  }

  TGameRecord record;
  record.Directory = FolderOf(reportFile);
  record.FileExtension = reportFile.extension().string();
  record.FileMask = std::string(kDefaultFileMask);
  DetectReportFileMask(reportFile.stem().string(), record);
  const int firstTurn = ChooseReportFileMask(record);
  ReadNameAndPlayer(header, type, record.Name, record.Player);

  // Missing first turns are said before the question, whose text stays as it is.
  const std::string missing = MissingFirstTurnsNote(firstTurn);
  if (!missing.empty()) ui.ShowMessage(missing);
  const std::string question =
      Fmt(kGameFoundMessage, GameTypeName(type), record.Name, record.Player, record.Directory,
          record.FileMask, record.FileExtension, record.UsedChar) +
      "\r\r" + std::string(kAddEntryQuestion);
  if (!ui.AskYesNo(question)) return std::nullopt;

  std::string section;
  TGameConfig config;
  try {
    section = NextFreeGameSection(ListGameSections(ini));
    // The rest starts from the defaults (not from the game the dialog showed before), and the
    // variant is the one just detected.
    config = ReadGameConfig(ini, section);
    config.Name = record.Name;
    config.Directory = record.Directory;
    config.FileMask = record.FileMask;
    config.FileExtension = record.FileExtension;
    config.UsedChars = record.UsedChar;
    config.GameType = type;
    WriteGameConfig(ini, section, config);
  } catch (const TovixError& e) {
    ui.ShowMessage(e.what());
    return std::nullopt;
  }
  if (onAdded) onAdded(section);

  if (ui.AskYesNo(std::string(kShortcutQuestion)))
    CreateGameShortcut(GameShortcutFor(ini, section, config.Name), makeShortcut, ui);
  return section;
}

std::vector<std::string> FreeAllyLetters(std::string_view usedChars) {
  std::vector<std::string> letters;
  for (char c = 'a'; c <= 'z'; ++c)
    if (usedChars.find(c) == std::string_view::npos) letters.emplace_back(1, c);
  return letters;
}

std::vector<std::string> ExampleReportNames(const TGameConfig& config, char letter) {
  const std::string pattern = FileNamePattern(config);
  std::vector<std::string> names;
  for (int turn = 0; turn < kExampleTurns; ++turn)
    names.push_back(FormatReportName(pattern, letter, turn));
  return names;
}

bool AddAllyTurnReports(TIniFile& ini, std::string_view section, TGameConfig& config,
                        UserInterface& ui) {
  // A mask that cannot name the reports cannot name the ally's either; say why up front.
  const std::string error = ReportPatternError(JoinReportPattern(config));
  if (!error.empty()) {
    ui.ShowMessage(error);
    return false;
  }
  if (!ui.AskYesNo(std::string(kAllyQuestion))) return false;
  const std::vector<std::string> letters = FreeAllyLetters(config.UsedChars);
  int selected = -1;
  if (!ui.ChooseFromList(std::string(kAllyLetterCaption), letters, selected) || selected < 0 ||
      selected >= static_cast<int>(letters.size()))
    return false;
  const char letter = letters[static_cast<size_t>(selected)][0];

  std::string text(kAllyNamingMessage);
  const std::vector<std::string> examples = ExampleReportNames(config, letter);
  for (size_t i = 0; i < examples.size(); ++i) text += (i ? "\r" : "") + examples[i];
  ui.ShowMessage(text);

  TGameConfig changed = config;
  changed.UsedChars += letter;
  try {
    WriteGameConfig(ini, section, changed);
  } catch (const TovixError& e) {
    ui.ShowMessage(e.what());
    return false;
  }
  config = changed;
  return true;
}

}  // namespace tovix

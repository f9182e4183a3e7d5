#include "core/report_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <limits>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/add_tabs.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "core/game_settings.h"
#include "core/game_variant.h"
#include "core/home_clusters.h"
#include "core/numbers.h"
#include "core/report_passes.h"
#include "core/str_utils.h"

namespace fs = std::filesystem;

namespace tovix {

namespace {

constexpr int kFirstTurn = 0;
constexpr int kLastTurn = kMaxTurn;
// Fewer section headers than this mean the report lost its tab marks on the way.
constexpr int kMinSections = 5;

// Compiled section patterns kept at most.
constexpr size_t kMaxPatterns = 1024;

constexpr std::string_view kExtraInfoFile = "ExtrInf.ini";
constexpr std::string_view kErrorHeader = "Error - Turn: %d Player: %s Report: %s !";

bool IsWordDelimiter(int c) {
  return c < 33 || c == ',' || c == '`' || c >= 126;
}

std::string PlanetReadError(int turn) {
  return Fmt("Error while reading planets - Turn: %d", turn);
}

// The production cargo of a planet row: CAP and MAT stocks are what routes carry.
int32_t ProductionCargo(std::string_view text, bool exact) {
  if (exact) {
    if (text == "cap") return pcCap;
    if (text == "mat") return pcMat;
    return pcNone;
  }
  if (SameText(text, "cap")) return pcCap;
  if (SameText(text, "mat")) return pcMat;
  return pcNone;
}

// The planet number of an other race's planet in the turn-0 report: its name is the number.
int32_t NameAsNumber(std::string_view name) {
  int32_t value = 0;
  if (!TryParseInt(name, value)) {
    throw EParseError("'" + std::string(name) + "' is not a valid integer value");
  }
  return value;
}

struct TPlanetRow {
  std::string name;
  std::string production;
  int32_t x = 0;
  int32_t y = 0;
  float size = 0;
  float population = 0;
  float industry = 0;
  float resources = 0;
  float capital = 0;
  float material = 0;
  float colonists = 0;
};

float FloatWord(TZnStrParse& words, int index) {
  return static_cast<float>(words.TokenAsFloat(index));
}

// Every word is read before the model is touched, so a short row changes nothing.
TPlanetRow ReadPlanetRow(TZnStrParse& words, const TPlanetColumns& c) {
  TPlanetRow row;
  row.name = words.Token(c.Name);
  row.x = ParseCoordinate(words.TokenView(c.X));
  row.y = ParseCoordinate(words.TokenView(c.Y));
  row.size = FloatWord(words, c.Size);
  row.population = FloatWord(words, c.Population);
  row.industry = FloatWord(words, c.Industry);
  row.resources = FloatWord(words, c.Resources);
  row.production = words.Token(c.Production);
  row.capital = FloatWord(words, c.CAP);
  row.material = FloatWord(words, c.MAT);
  row.colonists = FloatWord(words, c.COL);
  return row;
}

// The longest run of characters that every match of `pattern` contains as it stands; empty
// when the pattern is not a plain sequence (alternatives, groups and sets make any run
// optional). Escaped letters and digits are classes, anchors or registers and end a run; a
// character followed by "*", "+" or "?" is not required.
std::string RequiredLiteral(std::string_view pattern) {
  if (pattern.find_first_of("|\n()[]") != std::string_view::npos) return {};
  std::string best;
  std::string run;
  const auto endRun = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\') {
      if (++i == pattern.size()) return {};
      const char quoted = pattern[i];
      const bool isOperator = (quoted >= '0' && quoted <= '9') ||
                              (quoted >= 'a' && quoted <= 'z') ||
                              (quoted >= 'A' && quoted <= 'Z') || quoted == '`' || quoted == ',' ||
                              quoted == '<' || quoted == '>';
      if (isOperator) {
        endRun();
      } else {
        run += quoted;
      }
    } else if (c == '*' || c == '+' || c == '?') {
      if (!run.empty()) run.pop_back();
      endRun();
    } else if (c == '.' || c == '^' || c == '$') {
      endRun();
    } else {
      run += c;
    }
  }
  endRun();
  return best;
}

// A word character of the expressions: A-Z, a-z, 0-9 and "_".
bool IsRegexWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// For a pattern "^\W*" followed by plain text that begins with a word character, that text;
// otherwise "". Such a pattern matches a header line (which holds no line feed) exactly when the
// line, from its first word character on, begins with the text: the leading non-word
// characters cannot take part in the text, whose first character is a word character.
std::string TitlePrefix(std::string_view pattern) {
  constexpr std::string_view kLead = "^\\W*";
  if (!pattern.starts_with(kLead)) return {};
  std::string text;
  for (size_t i = kLead.size(); i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\') {
      if (++i == pattern.size()) return {};
      c = pattern[i];
      // An escaped letter or digit is a class, anchor or register, not text.
      if (IsRegexWordChar(c) || c == '`' || c == ',' || c == '<' || c == '>') return {};
    } else if (std::string_view(".*+?[](){}|^$\n").find(c) != std::string_view::npos) {
      return {};
    }
    text += c;
  }
  if (text.empty() || !IsRegexWordChar(text[0])) return {};
  return text;
}

// Squared distance, saturated: coordinates from a damaged report may be anything.
uint64_t SquaredDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const auto dx = static_cast<uint64_t>(std::abs(int64_t{x1} - x2));
  const auto dy = static_cast<uint64_t>(std::abs(int64_t{y1} - y2));
  const uint64_t a = dx * dx;  // each below 2^64: |d| < 2^32
  const uint64_t b = dy * dy;
  return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                      : a + b;
}

}  // namespace

int32_t ParseCoordinate(std::string_view word) {
  size_t i = 0;
  while (i < word.size() && word[i] != '-' && (word[i] < '0' || word[i] > '9')) ++i;
  if (i == word.size()) return 0;
  const bool negative = word[i] == '-';
  if (negative) ++i;
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (; i < word.size(); ++i) {
    const char c = word[i];
    if (c == '.') continue;
    if (c < '0' || c > '9') break;
    value = std::min(kLimit, value * 10 + (c - '0'));
  }
  return static_cast<int32_t>(negative ? -value : value);
}

std::string QuoteRegexText(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '\\':
      case '.':
      case '*':
      case '+':
      case '?':
      case '[':
      case ']':
      case '(':
      case ')':
      case '|':
      case '^':
      case '$':
      case '\n':
        quoted += '\\';
        break;
      default:
        break;
    }
    quoted += c;
  }
  return quoted;
}

TReportReader::TReportReader(GameState& state, UserInterface& ui, fs::path programDir)
    : state_(state), ui_(ui), programDir_(std::move(programDir)) {
  lines_.SetLineMode(true);
  // Reports come with CR LF, LF or CR line ends; the parser ends lines at each of them, so a
  // report is not copied just to make its line ends CR LF.
  lines_.SetAnyLineEnd(true);
  words_ = &lines_.CreateSubParser("SD");
  for (int c = 0; c < 256; ++c)
    words_->SetDelimiter(static_cast<unsigned char>(c), IsWordDelimiter(c));
}

// --- Loading all reports ----------------------------------------------------------------------

bool TReportReader::LoadAllReports() {
  TGameSettings& settings = state_.Settings;
  messages_.clear();
  state_.LastTurn = -1;
  racesThisTurn_.clear();
  ownRace_.clear();
  int lastHeaderTurn = -1;

  const fs::path extraInfo = programDir_ / kExtraInfoFile;
  std::error_code ec;
  if (fs::exists(extraInfo, ec)) {
    try {
      state_.ExtraInfo.LoadFromIni(extraInfo.string(), settings.GetGameSection());
    } catch (const std::exception& e) {
      Report(e.what());
    }
  }
  if (settings.GameType == TGameType::NGBlind) state_.Players.SetDuplicates(TDuplicates::Accept);

  // The pattern is the user's; without a usable one there is no report to look for.
  const std::string patternError = ReportPatternError(settings.spelD);
  if (!patternError.empty()) {
    Report(patternError);
    return false;
  }

  for (int turn = kFirstTurn; turn <= kLastTurn; ++turn) {
    racesThisTurn_.clear();
    for (size_t i = 0; i < settings.spelC.size(); ++i) {
      const int letterIndex = static_cast<int>(i) + 1;
      state_.ReportLetterIndex = letterIndex;
      const std::string fileName = FormatReportName(settings.spelD, settings.spelC[i], turn);
      if (!fs::is_regular_file(fileName, ec)) continue;
      try {
        if (!ReadReportFile(turn, letterIndex, fileName)) {
          lines_.SetText(std::string());
          ClearSections();
          return false;
        }
      } catch (const std::exception& e) {
        // A fault that escaped the section's own handling: this report is done, the next one
        // is read.
        Report(Fmt(kErrorHeader, headerTurn_ >= 0 ? headerTurn_ : turn, reportRace_, fileName) +
               "\r" + e.what());
      }
      if (headerTurn_ >= 0) lastHeaderTurn = headerTurn_;
    }
  }

  // Once after the last turn; each step on its own, so that one failing leaves the others.
  const auto guarded = [this](auto&& step) {
    try {
      step();
    } catch (const std::exception& e) {
      Report(e.what());
    }
  };
  guarded([&] { CountShipsInProduction(state_); });
  const TGameType type = settings.GameType;
  const bool mapTracks =
      type == TGameType::Normal || type == TGameType::NG || type == TGameType::NT;
  const bool groupTracks = type == TGameType::NG || type == TGameType::NT;
  for (int turn = std::max(0, state_.LastTurn - 1); turn <= state_.LastTurn; ++turn) {
    if (mapTracks && !settings.spelC.empty()) {
      guarded([&] {
        // The map is read from the own report of that turn.
        const std::string fileName = FormatReportName(settings.spelD, settings.spelC[0], turn);
        if (!fs::is_regular_file(fileName, ec)) return;
        std::string text = LoadFileToString(fileName);
        NormalizeLineEnds(text);
        ReadMapTracks(state_, text, turn);
      });
    }
    if (groupTracks) guarded([&] { AddGroupTracks(state_, turn); });
  }
  ui_.SetCurrentWork("Ready");
  guarded([&] { MergeGroups(state_); });

  lines_.SetText(std::string());
  ClearSections();
  if (state_.Players.Count() == 0) return false;
  if (lastHeaderTurn >= 0) SumPlanetSizes(lastHeaderTurn);
  return true;
}

bool TReportReader::ReadReportFile(int loopTurn, int letterIndex, const std::string& fileName) {
  TGameSettings& settings = state_.Settings;
  fileName_ = fileName;
  reportRace_.clear();
  headerTurn_ = -1;

  if (settings.GameType == TGameType::Unknown) {
    const TGameType detected = DetectGameType(fileName);
    if (detected != TGameType::Unknown) {
      settings.GameType = detected;
      // The layout still holds the defaults: give it the detected variant's titles and columns
      // now, so that the first run reads this game as every later run will.
      SetReportLayout(state_.Layout, detected);
      if (detected == TGameType::NGBlind) state_.Players.SetDuplicates(TDuplicates::Accept);
      if (!settings.IniPath.empty()) {
        try {
          WriteGameType(settings.IniPath, settings.GetGameSection(), detected);
        } catch (const std::exception& e) {
          Report(e.what());
        }
      }
    }
  }

  ui_.SetCurrentWork("Reading report");
  try {
    LoadReportText(LoadFileToString(fileName));
  } catch (const EFileError& e) {
    Report(e.what());
    return true;
  }
  if (SectionCount() < kMinSections) {
    ui_.SetCurrentWork("Adding Tabs");
    try {
      AddTabs(fileName);
      LoadReportText(LoadFileToString(fileName));
    } catch (const std::exception& e) {
      // The report is read as it is.
      Report(e.what());
    }
  }

  int turn = -1;
  std::string raceName;
  if (!ReadReportHeader(turn, raceName, fileName)) return true;
  headerTurn_ = turn;
  reportRace_ = raceName;
  state_.SetAllPlayersTurnCount(turn);

  const bool ngBlind = settings.GameType == TGameType::NGBlind;
  if (letterIndex == 1 || ngBlind) {
    if (letterIndex == 1) ownRace_ = raceName;
    ReadStatusOfPlayers(loopTurn, turn, raceName);
    if (letterIndex == 1) {
      state_.LastTurn = turn;
      ui_.SetTitle("Tovix " + state_.GameName + " - " + std::to_string(turn) + " " + raceName);
    }
  }

  state_.ReportPlayer = state_.PlayerByName(raceName);
  if (letterIndex == 1) state_.MainPlayer = state_.PlayerByName(ownRace_);
  if (!state_.ReportPlayer) return false;

  if (turn < settings.SkipPlanetsUntilTurn) return true;
  if (state_.FirstTurn == -1) state_.FirstTurn = turn;

  ReadYourPlanets(turn, raceName, fileName);
  ReadUnknownPlanets(turn, raceName, fileName);
  ReadOtherPlanets(turn, raceName, fileName);
  state_.ExtraInfo.ApplyToTurn(state_, turn);
  if (letterIndex == 1) {
    ReadShipsInProduction(turn, raceName, fileName);
    ReadRoutes(turn, raceName, fileName);
  }
  if (turn == 0 && letterIndex == 1) CountClustersTurn0(state_);
  ReadShipTypes(turn, raceName, fileName);
  if (turn >= settings.SkipBattlesUntilTurn) {
    ReadBattles(turn, raceName, fileName);
    ReadGroups(turn, raceName, fileName);
    ReadFleets(turn, raceName, fileName);
    racesThisTurn_.push_back(state_.ReportPlayer);
  }
  ReadBombings(turn, raceName, fileName);
  if (letterIndex == 1) ReadIncomingGroups(turn, raceName, fileName);
  PruneGroups(state_, turn);
  SumPlanetSizes(turn);
  if (letterIndex == 1 && settings.UseCountMethod >= turn) CountClustersForTurn(state_, turn);
  return true;
}

// --- One report ------------------------------------------------------------------------------

void TReportReader::LoadReportText(std::string text) {
  NormalizeNoBreakSpaces(text);
  lines_.SetText(std::move(text));
  BuildSectionIndex();
}

void TReportReader::BuildSectionIndex() {
  ClearSections();
  const int count = LineCount();
  for (int i = 0; i < count; ++i) {
    const std::string_view line = Line(i);
    if (line.size() > 2 && line[0] == '\t') sections_.push_back({std::string(line), i});
  }

  const auto mistakes = std::find_if(sections_.begin(), sections_.end(), [](const TSection& s) {
    return SameText(s.text, "\t\tMISTAKES");
  });
  if (mistakes != sections_.end()) sections_.erase(mistakes);

  // The leading sections must come in the variant's order; whatever stands before or between
  // them (bulletins, the release line, game options) is dropped from the index.
  enum class Expect { Header, Options, Status, Done };
  const TGameType type = state_.Settings.GameType;
  const bool blind = type == TGameType::Blind;
  const TReportLayout& layout = state_.Layout;
  Expect state = blind ? Expect::Options : Expect::Header;
  std::vector<TSection> kept;
  kept.reserve(sections_.size());
  for (TSection& section : sections_) {
    bool keep = false;
    while (!keep) {
      if (state == Expect::Done) {
        keep = true;
      } else if (state == Expect::Header) {
        if (!Matches(Pattern(layout.HeaderPattern), section.text)) break;
        keep = true;
        state = blind ? Expect::Status : Expect::Options;
      } else if (state == Expect::Options) {
        if (type == TGameType::Normal) {
          state = Expect::Status;  // no options section: test this entry for the status
          continue;
        }
        if (!Matches(Pattern(layout.OptionsPattern), section.text)) break;
        keep = true;
        state = blind ? Expect::Header : Expect::Status;
      } else {
        if (!Matches(Pattern(layout.StatusPattern), section.text)) break;
        keep = true;
        state = Expect::Done;
      }
    }
    if (keep) kept.push_back(std::move(section));
  }
  sections_.swap(kept);
  BuildTitleIndex();
}

void TReportReader::BuildTitleIndex() {
  titles_.clear();
  titlesUsable_ = true;
  titles_.reserve(sections_.size());
  for (const TSection& section : sections_) {
    const std::string_view text = section.text;
    // "^" also matches after a line feed inside the text; such a header is left to the
    // expression (normalised reports have none).
    if (text.find('\n') != std::string_view::npos) titlesUsable_ = false;
    const auto title = std::find_if(text.begin(), text.end(), IsRegexWordChar);
    titles_.push_back({text.substr(static_cast<size_t>(title - text.begin())), section.line});
  }
  std::sort(titles_.begin(), titles_.end(), [](const TTitle& a, const TTitle& b) {
    return a.title != b.title ? a.title < b.title : a.line < b.line;
  });
}

void TReportReader::ClearSections() {
  sections_.clear();
  titles_.clear();
}

int TReportReader::FindSection(int startLine, std::string_view pattern) {
  if (sections_.empty()) return -1;
  if (startLine < 0) startLine = std::max(0, LineCount() + startLine);
  auto it = std::lower_bound(sections_.begin(), sections_.end(), startLine,
                             [](const TSection& s, int line) { return s.line < line; });
  if (it == sections_.end()) return -1;
  const TSectionPattern& entry = Pattern(pattern);
  if (!entry.prefix.empty() && titlesUsable_) {
    // The titles that begin with the prefix are neighbours in the sorted title index; the
    // first of their sections at or after the start line is the one a scan would find.
    auto title =
        std::lower_bound(titles_.begin(), titles_.end(), std::string_view(entry.prefix),
                         [](const TTitle& t, std::string_view prefix) { return t.title < prefix; });
    int found = -1;
    for (; title != titles_.end() && title->title.starts_with(entry.prefix); ++title) {
      if (title->line >= startLine && (found < 0 || title->line < found)) found = title->line;
    }
    return found;
  }
  for (; it != sections_.end(); ++it) {
    if (Matches(entry, it->text)) return it->line;
  }
  return -1;
}

bool TReportReader::ReadReportHeader(int& turn, std::string& raceName,
                                     const std::string& fileName) {
  turn = -1;
  raceName.clear();
  const TReportLayout& layout = state_.Layout;
  const TGameSettings& settings = state_.Settings;
  int headerTurn = -1;
  try {
    const int line = FindSection(0, layout.HeaderKeyword);
    if (line < 0) return false;
    TZnStrParse& words = Words(line);
    const int turnWord = settings.GameType == TGameType::Blind ? -1 : layout.TurnWord;
    headerTurn = words.TokenAsInt(turnWord);
    state_.GameName = words.Token(layout.GameNameWord);

    const int r = layout.RaceNameWord;
    std::string name;
    if (!settings.outbacktype &&
        (words.TokenView(r - 1) == "Nation" || words.TokenView(r - 1) == "Player")) {
      name = words.Token(r - 1) + "_" + words.Token(r);
    } else if (settings.outbacktype && words.TokenView(-2) == "Nation") {
      name = words.Token(r - 1) + "_" + words.Token(r);
    } else {
      name = words.Token(r);
    }
    // A turn beyond the game's range is a damaged header, not a turn to size arrays for.
    if (headerTurn < kFirstTurn || headerTurn > kLastTurn) return false;
    turn = headerTurn;
    raceName = std::move(name);
    return true;
  } catch (const std::exception& e) {
    // A header that cannot be read whole is no header: the report is skipped.
    Report(Fmt(kErrorHeader, headerTurn, raceName, fileName) + "\rWhile getting player name\r" +
           e.what());
    turn = -1;
    raceName.clear();
    return false;
  }
}

TPlayer* TReportReader::ActiveRaceByKey(const std::string& key) {
  int index = 0;
  if (!state_.Players.Find(key, index)) return nullptr;
  for (int i = index; i < state_.Players.Count() && state_.Players.Strings(i) == key; ++i) {
    TPlayer* race = state_.Players.Object(i);
    if (race && !race->Gone) return race;
  }
  return nullptr;
}

void TReportReader::ReadStatusOfPlayers(int loopTurn, int turn, const std::string& raceName) {
  const int header = FindSection(0, state_.Layout.StatusTitle);
  if (header < 0) return;
  auto& players = state_.Players;
  const TGameType type = state_.Settings.GameType;
  const TStatusColumns& c = state_.Layout.StatusColumns;
  const bool noOwnRelation = type == TGameType::Normal || type == TGameType::Blind;
  const bool acceptsEqualNames = players.Duplicates() == TDuplicates::Accept;

  for (auto [key, race] : players) {
    if (race) race->Seen = false;
  }

  int rowCounter = -1;
  int expected = -1;
  bool complete = false;
  try {
    for (int line = FirstTableRow(header); !IsTableEnd(line); ++line) {
      ++rowCounter;
      ++expected;
      TZnStrParse& words = Words(line);
      std::string name = words.Token(c.Name);
      const float drive = FloatWord(words, c.Drive);
      const float weapons = FloatWord(words, c.Weapons);
      const float shields = FloatWord(words, c.Shields);
      const float cargo = FloatWord(words, c.Cargo);
      const float population = FloatWord(words, c.Population);
      const float industry = FloatWord(words, c.Industry);
      const int32_t planets = words.TokenAsInt(c.Planets);
      bool war = false;
      if (!(noOwnRelation && SameText(name, raceName))) {
        const std::string_view relation = words.TokenView(c.Relation);
        war = relation == "War" || relation == "W";
      }

      std::string key = LowerCase(name);
      TPlayer* race = ActiveRaceByKey(key);
      const bool filedUnderName = race != nullptr;
      if (race) {
        expected = race->RowIndex;
      } else if (!acceptsEqualNames) {
        // A race that dropped out under this name is back: one key holds one race.
        const int at = players.IndexOf(key);
        if (at >= 0) {
          race = players.Object(at);
          race->Gone = false;
        }
      }
      if (!race && loopTurn >= 1 && (type != TGameType::Blind || loopTurn < 4)) {
        // Renamed since the last table: the race that stood in this row then. A race already
        // matched by an earlier row of this table is never taken for a second one.
        for (auto [k, candidate] : players) {
          if (candidate && !candidate->Gone && !candidate->Seen &&
              candidate->RowIndex == expected) {
            race = candidate;
            break;
          }
        }
        if (race) {
          race->RowIndex = rowCounter;
          race->Rename(name);
          race->Seen = true;
        }
      }
      if (!race) {
        auto added = std::make_unique<TPlayer>(turn);
        race = added.get();
        players.AddObject(key, std::move(added));
      } else if (!filedUnderName) {
        std::string oldKey;
        for (auto [k, candidate] : players) {
          if (candidate == race) {
            oldKey = k;
            break;
          }
        }
        if (oldKey != key) state_.RekeyPlayer(*race, oldKey, key);
      }

      if (type != TGameType::NGBlind || race->GetIndustry(turn) == 0) {
        race->SetTurnValues(turn, std::move(name), war, planets, industry, population, cargo,
                            shields, weapons, drive);
      }
      race->RowIndex = rowCounter;
      race->Seen = true;
    }
    complete = true;
  } catch (const std::exception& e) {
    Report(
        SectionError(turn, raceName, fileName_, "While getting the status of players", e.what()));
  }

  // A broken table says nothing about the races after the break, so none is taken for gone.
  for (auto [key, race] : players) {
    if (!race) continue;
    if (complete && !race->Seen) race->Gone = true;
    if (race->Number == -1) race->SetNumber(state_.GetNextPlayerNumber());
  }
}

// --- Planet tables ------------------------------------------------------------------------------

TPlanet* TReportReader::PlanetForRow(std::string_view key, int32_t x, int32_t y, int turn) {
  const int index = state_.Planets.IndexOf(key);
  if (index < 0) return FindOrCreatePlanet(x, y, std::string(key), turn);
  TPlanet* planet = state_.Planets.Object(index);
  if (planet->X != x || planet->Y != y) {
    state_.MovePlanet(*planet, key, std::string(key), PlanetDistanceKey(x, y));
    planet->X = x;
    planet->Y = y;
  }
  return planet;
}

void TReportReader::ReadPlanetTable(int headerLine, const TPlanetColumns& columns, TPlayer* owner,
                                    bool otherRace, int turn) {
  const bool blind = state_.Settings.GameType == TGameType::Blind;
  const bool ownReport = state_.ReportLetterIndex == 1;
  for (int line = FirstTableRow(headerLine); !IsTableEnd(line); ++line) {
    TZnStrParse& words = Words(line);
    TPlanetRow row = ReadPlanetRow(words, columns);
    std::string numberKey;
    std::string_view key;
    int32_t number = 0;
    if (blind) {
      number = words.TokenAsInt(columns.Name + 1);
      key = numberKey = std::to_string(number);
    } else {
      key = LowerKey(row.name);
      if (turn == 0) {
        number = otherRace ? NameAsNumber(row.name) : FirstIntInStr(row.name);
      } else {
        number = state_.PlanetNumberCounter++;
      }
    }
    TPlanet* planet = PlanetForRow(key, row.x, row.y, turn);
    if (turn == state_.FirstTurn) planet->Number = number;
    const int32_t cargo = ProductionCargo(row.production, otherRace);
    planet->SetValues(std::move(row.name), std::move(row.production), row.x, row.y, row.size,
                      row.population, row.industry, row.resources, cargo, row.capital, row.material,
                      row.colonists, ownReport);
    planet->SetOwner(TOwnerRef::Of(owner), turn);
    if (turn == 0) planet->HomeAtTurn0 = true;
  }
}

void TReportReader::ReadYourPlanets(int turn, const std::string& raceName,
                                    const std::string& fileName) {
  try {
    const int header = FindSection(0, state_.Layout.OwnPlanetsTitle);
    if (header < 0) return;
    ReadPlanetTable(header, state_.Layout.OwnPlanetColumns, state_.ReportPlayer, false, turn);
  } catch (const std::exception& e) {
    Report(SectionError(turn, raceName, fileName, "While getting the planets of this player",
                        e.what()));
  }
}

void TReportReader::ReadUnknownPlanetTable(int headerLine, bool uninhabited, int turn) {
  const TGameType type = state_.Settings.GameType;
  const bool blind = type == TGameType::Blind;
  TUnknownPlanetColumns c = state_.Layout.UnknownPlanetColumns;
  if (blind && uninhabited) {
    ++c.X;
    ++c.Y;
    ++c.Size;
    ++c.Resources;
  }
  TOwnerRef owner;
  if (type != TGameType::Blind && type != TGameType::NGBlind && !uninhabited) {
    owner = TOwnerRef::Unknown();
  }

  const int count = LineCount();
  for (int line = FirstTableRow(headerLine); line < count; ++line) {
    TZnStrParse& words = Words(line);
    if (words.Count() < 3 || Line(line)[0] == '\t') break;
    // The words stay valid while this row is read: nothing below splits another line.
    const std::string_view name = words.TokenView(c.Name);
    const int32_t x = ParseCoordinate(words.TokenView(c.X));
    const int32_t y = ParseCoordinate(words.TokenView(c.Y));
    float size = 0;
    float resources = 0;
    // Size and resources only where the row holds both.
    if (uninhabited && words.Count() > c.Resources) {
      size = FloatWord(words, c.Size);
      resources = FloatWord(words, c.Resources);
    }
    std::string numberKey;
    std::string_view key;
    int32_t number = 0;
    if (blind) {
      number = uninhabited ? words.TokenAsInt(c.Number) : FirstIntInStr(name);
      key = numberKey = std::to_string(number);
    } else {
      key = LowerKey(name);
      number = turn == 0 ? FirstIntInStr(name) : state_.PlanetNumberCounter++;
    }

    TPlanet* planet = PlanetForRow(key, x, y, turn);
    planet->Name.assign(name);
    if (turn == state_.FirstTurn) planet->Number = number;
    planet->X = x;
    planet->Y = y;
    if (state_.ReportLetterIndex == 1) planet->Production.clear();
    planet->SetOwner(owner, turn);
    if (turn == 0 && !owner.IsNone()) planet->HomeAtTurn0 = true;
    if (size > 0) {
      planet->Size = size;
      planet->Resources = resources;
    }
    if (uninhabited && words.Count() > c.Resources) {
      // Nobody lives there now: the figures of a former owner no longer hold. The stocks
      // follow the resources where the row gives them.
      planet->Population = 0;
      planet->Industry = 0;
      planet->Colonists = 0;
      if (words.Count() > c.Resources + 2) {
        planet->Capital = FloatWord(words, c.Resources + 1);
        planet->Material = FloatWord(words, c.Resources + 2);
      }
    }
  }
}

void TReportReader::ReadUnknownPlanets(int turn, const std::string& raceName,
                                       const std::string& fileName) {
  // Each table on its own: a broken list of unidentified planets leaves the uninhabited one.
  for (const bool uninhabited : {false, true}) {
    try {
      const TReportLayout& layout = state_.Layout;
      const int header =
          FindSection(0, uninhabited ? layout.UninhabitedTitle : layout.UnidentifiedTitle);
      if (header >= 0) ReadUnknownPlanetTable(header, uninhabited, turn);
    } catch (const std::exception& e) {
      Report(SectionError(turn, raceName, fileName,
                          "While getting the unknown planets of other players", e.what()));
    }
  }
}

void TReportReader::ReadOtherPlanets(int turn, const std::string& raceName,
                                     const std::string& fileName) {
  const TReportLayout& layout = state_.Layout;
  for (auto [key, race] : state_.Players) {
    if (!race) continue;
    try {
      const std::string pattern =
          "^\\W*" + QuoteRegexText(race->Name) + " " + layout.OtherPlanetsTitle;
      const int header = FindSection(0, pattern);
      if (header < 0) continue;
      ReadPlanetTable(header, layout.OtherPlanetColumns, race, true, turn);
    } catch (const std::exception& e) {
      Report(SectionError(turn, raceName, fileName,
                          "While getting the known planets of other players", e.what()));
    }
  }
}

TPlanet* TReportReader::FindOrCreatePlanet(int32_t x, int32_t y, const std::string& key, int turn) {
  const int32_t distance = PlanetDistanceKey(x, y);
  auto& byDistance = state_.PlanetsByDistance;
  int first = 0;
  int count = 0;
  byDistance.FindKeyRange(distance, first, count);
  for (int i = first; i < first + count; ++i) {
    TPlanet* planet = byDistance.Object(i);
    if (planet && planet->X == x && planet->Y == y) {
      // Known by its position: a planet that got a name (or a new one) keeps its object.
      const std::string oldKey = byDistance.Strings(i);
      if (!state_.MovePlanet(*planet, oldKey, key, distance)) {
        throw TovixError(PlanetReadError(turn));
      }
      return planet;
    }
  }

  if (state_.Settings.GameType == TGameType::NGBlind || turn == state_.FirstTurn) {
    auto planet = std::make_unique<TPlanet>();
    planet->X = x;
    planet->Y = y;
    return state_.AddPlanet(key, std::move(planet), distance);
  }

  // Every planet is listed from the first turn read on, so a position never seen is a known
  // planet placed slightly differently: the nearest one.
  TPlanet* nearest = nullptr;
  std::string nearestKey;
  uint64_t best = 0;
  for (auto [k, planet] : state_.Planets) {
    if (!planet) continue;
    const uint64_t d = SquaredDistance(planet->X, planet->Y, x, y);
    if (!nearest || d < best) {
      nearest = planet;
      nearestKey = k;
      best = d;
    }
  }
  if (!nearest) throw TovixError(PlanetReadError(turn));
  if (!state_.MovePlanet(*nearest, nearestKey, key, distance)) {
    throw TovixError(
        Fmt("Error while reading planets - Turn: %d \rPlanet %s not found", turn, nearest->Name));
  }
  nearest->X = x;
  nearest->Y = y;
  return nearest;
}

void TReportReader::SumPlanetSizes(int turn) {
  std::unordered_map<const TPlayer*, double> sums;
  for (auto [key, planet] : state_.Planets) {
    if (planet && planet->Owner.IsPlayer()) sums[planet->Owner.Player()] += planet->Size;
  }
  for (auto [key, race] : state_.Players) {
    if (!race) continue;
    const auto it = sums.find(race);
    race->SetPlanetSize(turn, it == sums.end() ? 0.0f : static_cast<float>(it->second));
  }
}

// --- Helpers -----------------------------------------------------------------------------------

std::string_view TReportReader::LowerKey(std::string_view text) {
  key_.resize(text.size());
  std::transform(text.begin(), text.end(), key_.begin(), LoCase);
  return key_;
}

void TReportReader::Report(std::string message) {
  messages_.push_back(std::move(message));
}

TZnStrParse& TReportReader::Words(int line) {
  return lines_.SubParser(line);
}

int TReportReader::LineCount() {
  return lines_.Count();
}

std::string_view TReportReader::Line(int line) {
  return lines_.TokenView(line);
}

TReportReader::TSectionPattern& TReportReader::Pattern(std::string_view pattern) {
  auto it = patterns_.find(pattern);
  if (it == patterns_.end()) {
    // Race names come from the reports; a damaged one must not grow this without end.
    if (patterns_.size() >= kMaxPatterns) patterns_.clear();
    TSectionPattern entry{std::make_unique<TznreExpr>(), RequiredLiteral(pattern),
                          TitlePrefix(pattern)};
    entry.expr->SetPattern(pattern);  // a bad pattern raises here and is not kept
    it = patterns_.emplace(std::string(pattern), std::move(entry)).first;
  }
  return it->second;
}

bool TReportReader::Matches(const TSectionPattern& pattern, std::string_view text) {
  if (text.find(pattern.needle) == std::string_view::npos) return false;
  pattern.expr->SetStr(text);
  return pattern.expr->Search(1) > 0;
}

bool TReportReader::IsTableEnd(int line) {
  if (line < 0 || line >= LineCount()) return true;
  const std::string_view text = Line(line);
  if (!text.empty() && text[0] == '\t') return true;
  return Words(line).Count() == 0;
}

int TReportReader::FirstTableRow(int headerLine) {
  const int count = LineCount();
  int line = headerLine + 1;
  while (line < count && Words(line).Count() == 0) ++line;
  return line + 1;
}

std::string TReportReader::SectionError(int turn, const std::string& raceName,
                                        const std::string& fileName, std::string_view suffix,
                                        std::string_view error) {
  std::string message = Fmt(kErrorHeader, turn, raceName, fileName);
  message += '\r';
  message += suffix;
  message += '\r';
  message += error;
  return message;
}

}  // namespace tovix

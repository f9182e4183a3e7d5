#include "core/reports/report_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/base/errors.h"
#include "core/model/home_clusters.h"
#include "core/reports/add_tabs.h"
#include "core/reports/report_files.h"
#include "core/reports/report_passes.h"
#include "core/settings/game_settings.h"
#include "core/settings/game_variant.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"

namespace fs = std::filesystem;

namespace tovix {

namespace {

constexpr int kFirstTurn = 0;
constexpr int kLastTurn = kMaxTurn;
// Fewer section headers than this mean the report lost its tab marks on the way.
constexpr int kMinSections = 5;

// How far (in hundredths) a planet of a later report may lie from where the first report placed
// it and still be taken for it.
constexpr uint64_t kMaxMisplacement = 100;

// Compiled section patterns kept at most.
constexpr size_t kMaxPatterns = 1024;

constexpr std::string_view kExtraInfoFile = "ExtrInf.ini";
constexpr std::string_view kErrorHeader = "Error - Turn: %d Player: %s Report: %s %s";

std::string PlanetReadError(int turn) {
  return Fmt("Error while reading planets - Turn: %d", turn);
}

// A turn word: digits, perhaps between punctuation ("12", "(12)"); "1e3" or "12a" are not.
bool IsWholeNumberWord(std::string_view word) {
  const auto isAlnum = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  const auto first = std::find_if(word.begin(), word.end(), isAlnum);
  const auto last = std::find_if(word.rbegin(), word.rend(), isAlnum).base();
  return first < last && std::all_of(first, last, [](char c) { return c >= '0' && c <= '9'; });
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

float FloatWord(const TReportRow& words, int index, TFigureCache& figures) {
  return static_cast<float>(figures.Read(words.TokenView(index)));
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

// The characters QuoteRegexText escapes: outside a set they are operators of the expressions.
bool IsRegexOperator(char c) {
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
      return true;
    default:
      return false;
  }
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

std::string QuoteRegexText(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 8);
  for (char c : text) {
    if (IsRegexOperator(c)) quoted += '\\';
    quoted += c;
  }
  return quoted;
}

// --- The reader --------------------------------------------------------------------------------

TReportReader::TReportReader(GameState& state, UserInterface& ui, fs::path programDir)
    : state_(state),
      ui_(ui),
      layout_(&state.Layout),
      programDir_(std::move(programDir)),
      planetIndex_(state.Planets),
      readThreads_(DefaultReadThreads()) {
  SetUpReportParser(lines_);
  SetReportLayout(plusLayout_, TGameType::Plus);
}

// --- Loading all reports ----------------------------------------------------------------------

bool TReportReader::LoadAllReports() {
  TGameSettings& settings = state_.Settings;
  messages_.clear();
  state_.LastTurn = -1;
  racesThisTurn_.clear();
  planetsAddedLate_ = 0;
  planetHints_.clear();
  blindChecked_ = false;
  firstReport_.clear();
  ownRace_.clear();
  int lastHeaderTurn = -1;
  sizesTurn_ = -1;

  const fs::path extraInfo = programDir_ / kExtraInfoFile;
  std::error_code ec;
  if (fs::exists(extraInfo, ec)) {
    try {
      for (std::string& message :
           state_.ExtraInfo.LoadFromIni(extraInfo.string(), settings.GetGameSection()))
        Report(std::move(message));
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
  // A folder that cannot be read is said so, not taken for a game without reports.
  if (!settings.spelC.empty()) {
    const fs::path folder =
        fs::path(FormatReportName(settings.spelD, settings.spelC[0], 0)).parent_path();
    // What an interrupted repair of a report left behind goes as the folder is listed.
    std::error_code folderError;
    RemoveLeftTempFiles(folder, &folderError);
    if (folderError) {
      Report(
          Fmt("The reports folder %s cannot be read: %s", folder.string(), folderError.message()));
      return false;
    }
  }

  // A letter given twice names the same reports: they are read once.
  const std::vector<TReportFile> files =
      ListReportFiles(settings.spelD, settings.spelC, kFirstTurn, kLastTurn);
  std::vector<std::string> names;
  names.reserve(files.size());
  int lastOwnTurn = -1;
  for (const TReportFile& file : files) {
    names.push_back(file.FileName);
    if (file.LetterIndex == 1) lastOwnTurn = std::max(lastOwnTurn, file.Turn);
  }
  // The map tracks are read from the own reports of the last two turns, kept as they are read.
  ownTexts_.clear();
  keepOwnTextsFrom_ = lastOwnTurn < 0 ? kLastTurn + 1 : lastOwnTurn - 1;
  SetWorkersLayout();
  // Without workers a table is read when the reader asks for it, right before it is used (and
  // one the reader passes over, not at all).
  TReportPrefetcher::Prepare readAhead;
  if (readThreads_ > 0) {
    readAhead = [this](TPreparedReport& report) { report.ReadTables(WorkersLayout()); };
  }
  TReportPrefetcher prefetcher(std::move(names), readThreads_, std::move(readAhead));
  // The groups are kept in the store until the reading ends.
  struct TGroupStoreScope {
    explicit TGroupStoreScope(TReportReader& r) : reader(r) { reader.BeginGroupStore(); }
    ~TGroupStoreScope() {
      try {
        reader.EndGroupStore();
      } catch (const std::exception& e) {
        reader.Report(e.what());
      }
    }
    TGroupStoreScope(const TGroupStoreScope&) = delete;
    TGroupStoreScope& operator=(const TGroupStoreScope&) = delete;
    TReportReader& reader;
  } groupStore(*this);
  int readTurn = -1;
  for (size_t f = 0; f < files.size(); ++f) {
    const TReportFile& file = files[f];
    if (file.Turn != readTurn) racesThisTurn_.clear();
    readTurn = file.Turn;
    state_.ReportLetterIndex = file.LetterIndex;
    prefetcher_ = &prefetcher;
    prefetchIndex_ = f;
    try {
      if (!ReadReportFile(file.Turn, file.LetterIndex, file.FileName)) {
        prefetcher_ = nullptr;
        SumPendingSizes();
        ForgetReport();
        ownTexts_.clear();
        return false;
      }
    } catch (const std::exception& e) {
      // A fault that escaped the section's own handling: this report is done, the next one
      // is read.
      Report(SectionError({}, e.what()));
    }
    prefetcher_ = nullptr;
    if (headerRead_) lastHeaderTurn = report_.Turn;
  }

  SumPendingSizes();
  // The last report's text and words go before the groups are made.
  ForgetReport();
  EndGroupStore();

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
  struct TForgetOwnTexts {
    ~TForgetOwnTexts() { texts.clear(); }
    std::vector<std::pair<int, std::string>>& texts;
  } forgetOwnTexts{ownTexts_};
  for (int turn = std::max(0, state_.LastTurn - 1); turn <= state_.LastTurn; ++turn) {
    if (mapTracks && !settings.spelC.empty()) {
      guarded([&] {
        // The map is read from the own report of that turn.
        std::string text;
        const auto kept = std::find_if(ownTexts_.begin(), ownTexts_.end(),
                                       [&](const auto& own) { return own.first == turn; });
        if (kept != ownTexts_.end()) {
          text = std::move(kept->second);
        } else {
          const std::string fileName = FormatReportName(settings.spelD, settings.spelC[0], turn);
          if (!fs::is_regular_file(fileName, ec)) return;
          text = LoadFileToString(fileName);
          PrepareReportText(text);
        }
        NormalizeLineEnds(text);
        ReadMapTracks(state_, text, turn);
      });
    }
    if (groupTracks) guarded([&] { AddGroupTracks(state_, turn); });
  }
  ui_.SetCurrentWork("Ready");
  guarded([&] { MergeGroups(state_); });
  if (planetsAddedLate_ > 0) {
    Report(
        Fmt("The report %s lists fewer planets than the later reports: it may be cut. "
            "Planets that later reports added: %d.",
            firstReport_, planetsAddedLate_));
  }

  if (state_.Players.Count() == 0) return false;
  if (lastHeaderTurn >= 0) SumPlanetSizes(lastHeaderTurn);
  return true;
}

bool TReportReader::ReadReportFile(int loopTurn, int letterIndex, const std::string& fileName) {
  TGameSettings& settings = state_.Settings;
  BeginReport(loopTurn, fileName);

  // "Galaxy Blind" may come from the old "blind" flag of a game whose reports are of another
  // variant; the first report read tells, and its variant wins.
  const bool checkBlind = settings.GameType == TGameType::Blind && !blindChecked_;
  blindChecked_ = true;
  if (settings.GameType == TGameType::Unknown || checkBlind) {
    const TGameType detected = DetectGameType(fileName);
    if (detected != TGameType::Unknown && detected != settings.GameType) {
      if (checkBlind) {
        Report(
            Fmt("The reports of this game are \"%s\" reports, not \"%s\" ones: they are "
                "read as \"%s\" reports.",
                GameTypeName(detected), GameTypeName(settings.GameType), GameTypeName(detected)));
      }
      settings.GameType = detected;
      // Give the layout the detected variant's titles and columns now, so that the first run
      // reads this game as every later run will.
      state_.Layout = TReportLayout{};
      SetReportLayout(state_.Layout, detected);
      SetWorkersLayout();
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
    if (prefetcher_) {
      std::unique_ptr<TPreparedReport> prepared = prefetcher_->Take(prefetchIndex_);
      RetireText();
      lines_.TakeText(prepared->lines);
      tabLines_.swap(prepared->tabLines);
      tabTitles_.swap(prepared->titles);
      masks_.swap(prepared->masks);
      std::swap(tables_, prepared->tables);
      tablesLayout_ = std::move(prepared->layout);
      tablesCheckedFor_ = nullptr;
      prefetcher_->Recycle(std::move(prepared));
      BuildSectionIndex();
    } else {
      LoadReportText(LoadFileToString(fileName));
    }
  } catch (const EFileError& e) {
    Report(e.what());
    return true;
  }
  if (SectionCount() < kMinSections) MendReport(fileName);
  if (letterIndex == 1 && loopTurn >= keepOwnTextsFrom_)
    ownTexts_.emplace_back(loopTurn, std::string(lines_.Text()));

  if (!ReadReportHeader()) return true;
  const int turn = report_.Turn;
  const std::string& raceName = report_.Race;
  const bool ngBlind = settings.GameType == TGameType::NGBlind;
  // The planet sizes of a turn are summed once, after the last report of the turn: a report of
  // another turn, or one that reads the status table, is the first after it. So they also count
  // the planets the home-cluster counting gives their races in that turn, which those races
  // hold: a race known only by its unidentified home cluster has the cluster's size, not 0.
  if (sizesTurn_ >= 0 && (sizesTurn_ != turn || letterIndex == 1 || ngBlind)) SumPendingSizes();
  state_.SetAllPlayersTurnCount(turn);

  if (letterIndex == 1 || ngBlind) {
    if (letterIndex == 1) ownRace_ = raceName;
    ReadStatusOfPlayers(loopTurn);
    if (letterIndex == 1) {
      state_.LastTurn = turn;
      ui_.SetTitle("Tovix " + state_.GameName + " - " + std::to_string(turn) + " " + raceName);
    }
  }

  state_.ReportPlayer = state_.PlayerByName(raceName);
  if (letterIndex == 1) state_.MainPlayer = state_.PlayerByName(ownRace_);
  if (!state_.ReportPlayer) {
    // Its status table was not read: the report cannot be placed, the others still load.
    Report(SectionError(
        "While getting player name",
        Fmt("The race %s is not in the status table: the report is not read.", raceName)));
    return true;
  }

  if (turn < settings.SkipPlanetsUntilTurn) return true;
  if (state_.FirstTurn == -1) {
    state_.FirstTurn = turn;
    firstReport_ = fileName;
  }

  ReadYourPlanets();
  ReadUnknownPlanets();
  ReadOtherPlanets();
  state_.ExtraInfo.ApplyToTurn(state_, turn);
  if (letterIndex == 1) {
    ReadShipsInProduction();
    ReadRoutes();
    ReadOwnOptions();
  }
  if (turn == 0 && letterIndex == 1) CountClustersTurn0(state_);
  ReadShipTypes();
  if (turn >= settings.SkipBattlesUntilTurn) {
    ReadBattles();
    ReadGroups();
    ReadFleets();
    racesThisTurn_.push_back(state_.ReportPlayer);
  }
  ReadBombings();
  if (letterIndex == 1) ReadIncomingGroups();
  PruneGroups(state_, groups_, turn);
  sizesTurn_ = turn;  // summed after the counting below
  if (letterIndex == 1 && settings.UseCountMethod >= turn) CountClustersForTurn(state_, turn);
  return true;
}

void TReportReader::MendReport(const std::string& fileName) {
  if (ReadAsPlusReport() && SectionCount() >= kMinSections) return;
  RepairTabMarks(fileName);
}

bool TReportReader::ReadAsPlusReport() {
  const TGameType type = state_.Settings.GameType;
  if (type != TGameType::Normal && type != TGameType::NG && type != TGameType::NT) return false;
  layout_ = &plusLayout_;
  BuildSectionIndex();
  if (FindSection(0, plusLayout_.HeaderKeyword) >= 0) return true;
  layout_ = &state_.Layout;
  BuildSectionIndex();
  return false;
}

void TReportReader::RepairTabMarks(const std::string& fileName) {
  ui_.SetCurrentWork("Adding Tabs");
  std::string asItCame;
  try {
    asItCame = LoadFileToString(fileName);
  } catch (const std::exception& e) {
    Report(e.what());
    return;
  }
  std::string repaired = AddTabsToText(asItCame);
  if (repaired == asItCame) return;
  const int sectionsBefore = SectionCount();
  LoadReportText(repaired);
  // A repair that finds no more sections, or still no header, would change the user's file and
  // leave a backup for nothing (a report cut short, or no report at all).
  bool keep = SectionCount() > sectionsBefore && FindSection(0, Layout().HeaderKeyword) >= 0;
  if (keep) {
    try {
      WriteTabRepair(fileName, asItCame, repaired);
      // The user's file changed: say so once, with where the file as it came is kept.
      Report(
          Fmt("The report %s had lost the tab marks of its sections: it was repaired, and "
              "the file as it came is kept as %s%s.",
              fileName, fileName, kTabBackupExtension));
    } catch (const std::exception& e) {
      // The report is read as it is.
      Report(e.what());
      keep = false;
    }
  }
  if (!keep) LoadReportText(std::move(asItCame));
}

// --- One report ------------------------------------------------------------------------------

void TReportReader::LoadReportText(std::string text) {
  TPreparedReport prepared;
  prepared.SetText(std::move(text));
  RetireText();
  lines_.TakeText(prepared.lines);
  tabLines_.swap(prepared.tabLines);
  tabTitles_.swap(prepared.titles);
  masks_.swap(prepared.masks);
  tables_.Clear();
  tablesLayout_.reset();
  tablesCheckedFor_ = nullptr;
  BuildSectionIndex();
}

void TReportReader::BuildSectionIndex() {
  ClearSections();
  positionsListed_ = false;
  const int count = LineCount();
  const auto addLine = [&](int i) {
    const std::string_view line = Line(i);
    if (line.size() > 2) sections_.push_back({line, i});
  };
  for (const int i : tabLines_) addLine(i);

  // A header line without a tab is indexed as a section of its own.
  const TReportLayout& layout = Layout();
  if (!layout.UntabbedHeaderPattern.empty()) {
    TSectionPattern& header = Pattern(layout.UntabbedHeaderPattern);
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
      const std::string_view line = Line(i);
      if (line.size() > 2 && line[0] != '\t' && Matches(header, line)) found = i;
    }
    if (found >= 0) {
      const auto at = std::lower_bound(sections_.begin(), sections_.end(), found,
                                       [](const TSection& s, int l) { return s.line < l; });
      sections_.insert(at, {Line(found), found});
    }
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
  const std::string_view text = lines_.Text();
  // The sections are the report's header lines, whose titles came sorted with the report, but
  // for those the index dropped and a header line without a tab that it took in.
  std::vector<int> dropped;
  std::vector<const TSection*> added;
  auto section = sections_.cbegin();
  for (const int line : tabLines_) {
    if (Line(line).size() <= 2) continue;
    for (; section != sections_.cend() && section->line < line; ++section)
      added.push_back(&*section);
    if (section != sections_.cend() && section->line == line) {
      ++section;
    } else {
      dropped.push_back(line);
    }
  }
  for (; section != sections_.cend(); ++section) added.push_back(&*section);
  for (const TTitleSpan& t : tabTitles_) {
    if (std::binary_search(dropped.begin(), dropped.end(), t.Line)) continue;
    titles_.push_back({text.substr(t.Start, t.Size), t.Line, t.Key});
  }
  const auto before = [](const TTitle& a, const TTitle& b) {
    if (a.key != b.key) return a.key < b.key;
    return a.title != b.title ? a.title < b.title : a.line < b.line;
  };
  for (const TSection* s : added) {
    const auto first = std::find_if(s->text.begin(), s->text.end(), IsRegexWordChar);
    const std::string_view titleText = s->text.substr(static_cast<size_t>(first - s->text.begin()));
    const TTitle title{titleText, s->line, TitleKey(titleText)};
    titles_.insert(std::upper_bound(titles_.begin(), titles_.end(), title, before), title);
  }
  // "^" also matches after a line feed inside the text; such a header is left to the
  // expression (normalised reports have none).
  for (const TSection& s : sections_) {
    if (s.text.find('\n') != std::string_view::npos) titlesUsable_ = false;
  }
}

void TReportReader::ForgetReport() {
  RetireText();
  ClearSections();
  lines_.SetText(std::string());
  tabLines_.clear();
  tabTitles_.clear();
  masks_.clear();
  tables_.Clear();
  tablesLayout_.reset();
  tablesCheckedFor_ = nullptr;
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
  if (!entry.prefix.empty() && titlesUsable_) return FirstTitle(startLine, entry.prefix);
  for (; it != sections_.end(); ++it) {
    if (Matches(entry, it->text)) return it->line;
  }
  return -1;
}

int TReportReader::FirstTitle(int startLine, std::string_view prefix) const {
  // The titles that begin with the prefix are neighbours in the sorted title index; the first
  // of their sections at or after the start line is the one a scan would find.
  const uint64_t key = TitleKey(prefix);
  auto title = std::lower_bound(titles_.begin(), titles_.end(), prefix,
                                [key](const TTitle& t, std::string_view text) {
                                  return t.key != key ? t.key < key : t.title < text;
                                });
  int found = -1;
  for (; title != titles_.end() && SameBytes(title->title.substr(0, prefix.size()), prefix);
       ++title) {
    if (title->line >= startLine && (found < 0 || title->line < found)) found = title->line;
  }
  return found;
}

bool TReportReader::IsPlainTitle(std::string_view title) {
  // A title that begins with a word character and holds no character an expression reads
  // otherwise is its own pattern's prefix (TitlePrefix): no pattern is made for it.
  // ("{" and "}" are no operators, but TitlePrefix takes no text with them.)
  const auto special = [](char c) { return IsRegexOperator(c) || c == '{' || c == '}'; };
  return !title.empty() && IsRegexWordChar(title[0]) &&
         std::none_of(title.begin(), title.end(), special);
}

int TReportReader::FindTitle(int startLine, std::string_view title) {
  return FindTitle(startLine, title, IsPlainTitle(title));
}

int TReportReader::FindTitle(int startLine, std::string_view title, bool plain) {
  if (plain && titlesUsable_) {
    if (startLine < 0) startLine = std::max(0, LineCount() + startLine);
    return FirstTitle(startLine, title);
  }
  return FindSection(startLine, "^\\W*" + QuoteRegexText(title));
}

void TReportReader::BeginReport(int loopTurn, std::string fileName, std::string race) {
  report_ = TReportContext{loopTurn, std::move(race), std::move(fileName)};
  headerRead_ = false;
  layout_ = &state_.Layout;
}

bool TReportReader::ReadReportHeader() {
  const TReportLayout& layout = Layout();
  const TGameSettings& settings = state_.Settings;
  headerRead_ = false;
  report_.Race.clear();
  int headerTurn = -1;
  bool read = false;
  RunSection("While getting player name", [&] {
    const int line = FindSection(0, layout.HeaderKeyword);
    // A report without a header cannot be read: it is named, not skipped without a word.
    if (line < 0) throw TovixError("No report header found: the report is not read.");
    const TReportRow words = Row(line);
    const int turnWord = settings.GameType == TGameType::Blind ? -1 : layout.TurnWord;
    const std::string_view turnText = words.TokenView(turnWord);
    if (!IsWholeNumberWord(turnText)) {
      throw TovixError(
          Fmt("The turn \"%s\" of the report header is not a whole number: the "
              "report is not read.",
              turnText));
    }
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
    if (headerTurn < kFirstTurn || headerTurn > kLastTurn) {
      throw TovixError(
          Fmt("The turn %s of the report header is beyond the turns %d to %d: the "
              "report is not read.",
              turnText, kFirstTurn, kLastTurn));
    }
    report_.Turn = headerTurn;
    report_.Race = std::move(name);
    read = true;
  });
  // A header that cannot be read whole is no header: the report is skipped.
  headerRead_ = read;
  return read;
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

void TReportReader::ReadStatusOfPlayers(int loopTurn) {
  const int turn = report_.Turn;
  const std::string& raceName = report_.Race;
  const int header = FindSection(0, Layout().StatusTitle);
  if (header < 0) return;
  auto& players = state_.Players;
  const TGameType type = state_.Settings.GameType;
  const TStatusColumns& c = Layout().StatusColumns;
  const bool noOwnRelation = type == TGameType::Normal || type == TGameType::Blind;
  const bool acceptsEqualNames = players.Duplicates() == TDuplicates::Accept;

  for (auto [key, race] : players) {
    if (race) race->Seen = false;
  }

  int rowCounter = -1;
  int expected = -1;
  const bool complete = RunSection("While getting the status of players", [&] {
    for (int line = FirstTableRow(header); !IsTableEnd(line); ++line) {
      ++rowCounter;
      ++expected;
      const TReportRow words = Row(line);
      std::string name = words.Token(c.Name);
      const float drive = FloatWord(words, c.Drive, figures_);
      const float weapons = FloatWord(words, c.Weapons, figures_);
      const float shields = FloatWord(words, c.Shields, figures_);
      const float cargo = FloatWord(words, c.Cargo, figures_);
      const float population = FloatWord(words, c.Population, figures_);
      const float industry = FloatWord(words, c.Industry, figures_);
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
  });

  // A broken table says nothing about the races after the break, so none is taken for gone.
  for (auto [key, race] : players) {
    if (!race) continue;
    if (complete && !race->Seen) race->Gone = true;
    if (race->Number == -1) race->SetNumber(state_.GetNextPlayerNumber());
  }
}

// --- Planet tables ------------------------------------------------------------------------------

TPlanet* TReportReader::PlanetForRow(std::string_view name, uint64_t hash, int32_t x, int32_t y,
                                     int turn) {
  const int index = planetIndex_.Find(name, hash);
  if (index < 0) return FindOrCreatePlanet(x, y, std::string(LowerKey(name)), turn);
  TPlanet* planet = state_.Planets.Object(index);
  if (planet->X != x || planet->Y != y) {
    // Filed under the name lower-cased.
    const std::string key = state_.Planets.Strings(index);
    state_.MovePlanet(*planet, key, key, PlanetDistanceKey(x, y));
    planet->X = x;
    planet->Y = y;
  }
  return planet;
}

TReadyTables::TTable TReportReader::ReadyTable(int header, TReadyKind kind) {
  const TGameType type = state_.Settings.GameType;
  if (tablesCheckedFor_ != layout_ || tablesCheckedType_ != type) {
    // Tables read ahead in another layout (the game's variant was found only now, or the
    // report is of the "Galaxy PLUS" layout) are read again.
    TReadyLayout layout = TReadyLayout::Of(Layout(), type);
    if (!tablesLayout_ || !(*tablesLayout_ == layout)) {
      tables_.Clear();
      tablesLayout_ = std::make_shared<const TReadyLayout>(std::move(layout));
    }
    if (!memoLayout_ || !(*memoLayout_ == *tablesLayout_)) {
      tableMemo_.Clear();
      memoLayout_ = tablesLayout_;
    }
    tablesCheckedFor_ = layout_;
    tablesCheckedType_ = type;
  }
  if (const TReadyTables::TTable* table = tables_.Find(header, kind)) return *table;
  // A table read here repeats most rows of the table of the report of the same letter before.
  tableMemo_.SetSource(static_cast<uint32_t>(state_.ReportLetterIndex));
  return tables_.ReadTable(lines_, masks_, header, kind, *tablesLayout_, &tableMemo_);
}

std::shared_ptr<const TReadyLayout> TReportReader::WorkersLayout() {
  std::lock_guard lock(workersLayoutMutex_);
  return workersLayout_;
}

void TReportReader::SetWorkersLayout() {
  auto layout = std::make_shared<const TReadyLayout>(
      TReadyLayout::Of(state_.Layout, state_.Settings.GameType));
  std::lock_guard lock(workersLayoutMutex_);
  workersLayout_ = std::move(layout);
}

void TReportReader::ReadPlanetTable(int headerLine, const TPlanetColumns& columns, TPlayer* owner,
                                    bool otherRace) {
  const int turn = report_.Turn;
  const bool blind = state_.Settings.GameType == TGameType::Blind;
  const bool ownReport = state_.ReportLetterIndex == 1;
  const TReadyTables::TTable table =
      ReadyTable(headerLine, otherRace ? TReadyKind::OtherPlanets : TReadyKind::OwnPlanets);
  const std::string_view text = lines_.Text();
  for (uint32_t i = 0; i < table.Count; ++i) {
    const TListedPlanetRow& row = tables_.Listed(table, i);
    // Every word is read before the model is touched, so a short row changes nothing.
    if (!row.Complete) ThrowIndexOutOfBounds();
    const std::string_view name = text.substr(row.Name.start, row.Name.size);
    std::string numberKey;
    std::string_view key = name;
    uint64_t hash = row.NameHash;
    int32_t number = 0;
    if (blind || HasWord(columns.Number)) {
      if (!row.HasNumberWord) ThrowIndexOutOfBounds();
      number = row.NumberWord;
      if (blind) {
        key = numberKey = std::to_string(number);
        hash = FoldedTextHash(key);
      }
    } else if (turn == 0) {
      // Another race's planets are named by their number in the turn-0 report.
      if (otherRace && !TryParseInt(name, number))
        throw EParseError("'" + std::string(name) + "' is not a valid integer value");
      if (!otherRace) number = FirstIntInStr(name);
    } else {
      number = state_.PlanetNumberCounter++;
    }
    TPlanet* planet = PlanetForRow(key, hash, row.X, row.Y, turn);
    if (turn == state_.FirstTurn || HasWord(columns.Number)) planet->Number = number;
    const std::string_view production = text.substr(row.Production.start, row.Production.size);
    const int32_t cargo = ProductionCargo(production, otherRace);
    planet->SetValues(name, production, row.X, row.Y, row.Size, row.Population, row.Industry,
                      row.Resources, cargo, row.Capital, row.Material, row.Colonists, ownReport);
    planet->SetOwner(TOwnerRef::Of(owner), turn);
    if (turn == 0) planet->HomeAtTurn0 = true;
    // The map's first-turn colour is for the user's own start planets only.
    if (turn == 0 && owner && owner == state_.MainPlayer) planet->OwnAtTurn0 = true;
  }
}

void TReportReader::ReadYourPlanets() {
  RunSection("While getting the planets of this player", [&] {
    const int header = FindSection(0, Layout().OwnPlanetsTitle);
    if (header < 0) return;
    ReadPlanetTable(header, Layout().OwnPlanetColumns, state_.ReportPlayer, false);
  });
}

void TReportReader::ReadUnknownPlanetTable(int headerLine, bool uninhabited) {
  const int turn = report_.Turn;
  const TGameType type = state_.Settings.GameType;
  const bool blind = type == TGameType::Blind;
  const TReportLayout& layout = Layout();
  // Uninhabited rows of "Galaxy PLUS" tables have a number column; unidentified ones give the
  // number alone.
  const bool numberColumn = layout.PlanetNumbers && uninhabited;
  const bool numberOnly = layout.PlanetNumbers && !uninhabited;
  TOwnerRef owner;
  if (type != TGameType::Blind && type != TGameType::NGBlind && !uninhabited) {
    owner = TOwnerRef::Unknown();
  }

  const TReadyTables::TTable table =
      ReadyTable(headerLine, uninhabited ? TReadyKind::Uninhabited : TReadyKind::Unidentified);
  const std::string_view text = lines_.Text();
  // The planets the rows of this table in the report of the same letter before led to, and
  // those its rows lead to, for the next one.
  std::vector<TPlanetHint>& hints =
      planetHints_[2 * static_cast<uint32_t>(state_.ReportLetterIndex) + uninhabited];
  std::vector<TPlanetHint> oldHints;
  oldHints.swap(hints);
  hints.reserve(table.Count);
  size_t nextHint = 0;  // the old hint after the last one taken
  for (uint32_t i = 0; i < table.Count; ++i) {
    const TUnknownPlanetRow& row = tables_.Unknown(table, i);
    if (!row.Complete) ThrowIndexOutOfBounds();
    std::string_view name = text.substr(row.Name.start, row.Name.size);
    std::string numberKey;
    std::string_view key = name;
    uint64_t hash = row.NameHash;
    int32_t number = 0;
    bool byName = false;
    if (blind) {
      if (uninhabited && !row.HasNumberWord) ThrowIndexOutOfBounds();
      number = uninhabited ? row.NumberWord : FirstIntInStr(name);
      key = numberKey = std::to_string(number);
      hash = FoldedTextHash(key);
    } else if (numberColumn || numberOnly) {
      if (numberColumn && !row.HasNumberWord) ThrowIndexOutOfBounds();
      number = numberColumn ? row.NumberWord : FirstIntInStr(name);
      // A planet known by name keeps it where the row gives only its number.
      const TPlanet* known = numberOnly ? state_.PlanetByNumber(number) : nullptr;
      if (known) {
        key = name = known->Name;
        hash = FoldedTextHash(key);
      }
    } else {
      number = turn == 0 ? FirstIntInStr(name) : state_.PlanetNumberCounter++;
      byName = true;
    }

    // The planet found for the same name before, where the planet list is as it was then and
    // the planet stands where the row puts it, is the one PlanetForRow finds. The rows come in
    // the order of the report before, with a few planets gone or come.
    TPlanet* planet = nullptr;
    const bool hinted = byName && name.size() <= sizeof(TPlanetHint::name);
    if (hinted) {
      const size_t end = std::min(oldHints.size(), nextHint + kHintLookAhead);
      for (size_t k = nextHint; k < end; ++k) {
        const TPlanetHint& hint = oldHints[k];
        if (hint.hash != hash || !SameBytes(std::string_view(hint.name, hint.size), name)) continue;
        nextHint = k + 1;
        if (hint.version == state_.Planets.Version() && hint.planet->X == row.X &&
            hint.planet->Y == row.Y)
          planet = hint.planet;
        break;
      }
    }
    if (!planet) planet = PlanetForRow(key, hash, row.X, row.Y, turn);
    if (hinted) {
      TPlanetHint& hint = hints.emplace_back();
      hint.hash = hash;
      hint.planet = planet;
      hint.version = state_.Planets.Version();
      hint.size = static_cast<uint8_t>(name.size());
      std::memcpy(hint.name, name.data(), name.size());
    }
    if (!SameBytes(planet->Name, name)) planet->Name.assign(name);
    if (turn == state_.FirstTurn || numberColumn || numberOnly) planet->Number = number;
    planet->X = row.X;
    planet->Y = row.Y;
    if (state_.ReportLetterIndex == 1) planet->Production.clear();
    planet->SetOwner(owner, turn);
    if (turn == 0 && !owner.IsNone()) planet->HomeAtTurn0 = true;
    if (row.Size > 0) {
      planet->Size = row.Size;
      planet->Resources = row.Resources;
    }
    if (row.Sizes) {
      // Nobody lives there now: the figures of a former owner no longer hold.
      planet->Population = 0;
      planet->Industry = 0;
      planet->Colonists = 0;
    }
    if (row.Stockpiles) {
      planet->Capital = row.Capital;
      planet->Material = row.Material;
    }
  }
}

void TReportReader::ReadUnknownPlanets() {
  // Each table on its own: a broken list of unidentified planets leaves the uninhabited one.
  for (const bool uninhabited : {false, true}) {
    RunSection("While getting the unknown planets of other players", [&] {
      const TReportLayout& layout = Layout();
      const int header =
          FindSection(0, uninhabited ? layout.UninhabitedTitle : layout.UnidentifiedTitle);
      if (header >= 0) ReadUnknownPlanetTable(header, uninhabited);
    });
  }
}

void TReportReader::ReadOtherPlanets() {
  const TReportLayout& layout = Layout();
  for (auto [key, race] : state_.Players) {
    if (!race) continue;
    RunSection("While getting the known planets of other players", [&] {
      const int header = OtherPlanetsHeader(*race);
      if (header < 0) return;
      ReadPlanetTable(header, layout.OtherPlanetColumns, race, true);
    });
  }
}

int TReportReader::OtherPlanetsHeader(const TPlayer& race) {
  const TRaceTitles& titles = TitlesOf(race);
  if (titles.otherPlanetsPattern.empty())
    return FindTitle(0, titles.otherPlanets, titles.otherPlanetsPlain);
  return FindSection(0, titles.otherPlanetsPattern);
}

const TReportReader::TRaceTitles& TReportReader::TitlesOf(const TPlayer& race) {
  const TReportLayout& layout = Layout();
  TRaceTitles& titles = raceTitles_[&race];
  // Made again only when the race was renamed or the layout is another.
  if (titles.layout == &layout && titles.name == race.Name &&
      titles.shipTypesSuffix == layout.ShipTypesTitleSuffix &&
      titles.groupsSuffix == layout.GroupsTitleSuffix &&
      titles.otherPlanetsTitle == layout.OtherPlanetsTitle)
    return titles;
  titles.layout = &layout;
  titles.name = race.Name;
  titles.shipTypesSuffix = layout.ShipTypesTitleSuffix;
  titles.groupsSuffix = layout.GroupsTitleSuffix;
  titles.otherPlanetsTitle = layout.OtherPlanetsTitle;
  titles.shipTypes = race.Name + layout.ShipTypesTitleSuffix;
  titles.shipTypesPlain = IsPlainTitle(titles.shipTypes);
  titles.groups = race.Name + layout.GroupsTitleSuffix;
  titles.groupsPlain = IsPlainTitle(titles.groups);
  const std::string& title = layout.OtherPlanetsTitle;
  titles.otherPlanetsPattern.clear();
  if (title == QuoteRegexText(title)) {
    titles.otherPlanets = race.Name + " " + title;
    titles.otherPlanetsPlain = IsPlainTitle(titles.otherPlanets);
  } else {
    titles.otherPlanetsPattern = "^\\W*" + QuoteRegexText(race.Name) + " " + title;
  }
  return titles;
}

bool TReportReader::ListsPlanetAt(int32_t x, int32_t y) {
  if (!positionsListed_) {
    positionsListed_ = true;
    listedPositions_.clear();
    const TReportLayout& layout = Layout();
    const auto addTable = [&](int header, int32_t xWord, int32_t yWord) {
      if (header < 0) return;
      for (int line = FirstTableRow(header); !IsTableEnd(line); ++line) {
        const TReportRow words = Row(line);
        if (words.Count() < 3) break;
        listedPositions_.emplace_back(ParseCoordinate(words.WordOrEmpty(xWord)),
                                      ParseCoordinate(words.WordOrEmpty(yWord)));
      }
    };
    addTable(FindSection(0, layout.OwnPlanetsTitle), layout.OwnPlanetColumns.X,
             layout.OwnPlanetColumns.Y);
    addTable(FindSection(0, layout.UnidentifiedTitle), layout.UnknownPlanetColumns.X,
             layout.UnknownPlanetColumns.Y);
    addTable(FindSection(0, layout.UninhabitedTitle), layout.UninhabitedColumns.X,
             layout.UninhabitedColumns.Y);
    for (auto [key, race] : state_.Players) {
      if (race)
        addTable(OtherPlanetsHeader(*race), layout.OtherPlanetColumns.X,
                 layout.OtherPlanetColumns.Y);
    }
    std::sort(listedPositions_.begin(), listedPositions_.end());
  }
  return std::binary_search(listedPositions_.begin(), listedPositions_.end(), std::pair(x, y));
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
  // planet placed slightly differently: the nearest one, when it is that near and this report
  // does not list it where it stands. Otherwise the first report lacked the planet (it was cut):
  // the planet is added, and the load says so. Taking a planet this report lists elsewhere
  // would merge two planets.
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
  if (!nearest || best > kMaxMisplacement * kMaxMisplacement ||
      ListsPlanetAt(nearest->X, nearest->Y)) {
    ++planetsAddedLate_;
    auto planet = std::make_unique<TPlanet>();
    planet->X = x;
    planet->Y = y;
    // The server names a planet nobody named by its number, and the reports keep it so.
    int32_t number = 0;
    if (TryParseInt(key, number) && number > 0) planet->Number = number;
    return state_.AddPlanet(key, std::move(planet), distance);
  }
  if (!state_.MovePlanet(*nearest, nearestKey, key, distance)) {
    throw TovixError(
        Fmt("Error while reading planets - Turn: %d \rPlanet %s not found", turn, nearest->Name));
  }
  nearest->X = x;
  nearest->Y = y;
  return nearest;
}

void TReportReader::SumPendingSizes() {
  if (sizesTurn_ < 0) return;
  const int turn = sizesTurn_;
  sizesTurn_ = -1;
  SumPlanetSizes(turn);
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

TPlanet* TReportReader::PlanetOfWord(std::string_view word, uint64_t hash, uint32_t& storeNumber) {
  if (storeNumbersVersion_ != state_.Planets.Version()) {
    storeNumbers_.assign(static_cast<size_t>(state_.Planets.Count()), kNoNumber);
    storeNumbersVersion_ = state_.Planets.Version();
    planetMemo_.fill(TPlanetMemo{});
  }
  // The rows of a report name a few planets many times.
  TPlanetMemo& memo = planetMemo_[(hash * 0x9E3779B97F4A7C15u) >> (64 - kPlanetMemoBits)];
  if (memo.planet && memo.hash == hash && SameBytes(std::string_view(memo.text, memo.size), word)) {
    storeNumber = memo.number;
    return memo.planet;
  }
  const int index = planetIndex_.Find(word, hash);
  if (index < 0) {
    TPlanet* planet = PlanetOfWord(word, hash);
    if (planet) storeNumber = groups_.PlanetNumber(planet);
    return planet;
  }
  TPlanet* planet = planetIndex_.ObjectOf(index);
  uint32_t& number = storeNumbers_[static_cast<size_t>(index)];
  if (number == kNoNumber) number = groups_.PlanetNumber(planet);
  storeNumber = number;
  if (word.size() <= sizeof memo.text) {
    memo.hash = hash;
    memo.planet = planet;
    memo.number = number;
    memo.size = static_cast<uint8_t>(word.size());
    std::memcpy(memo.text, word.data(), word.size());
  }
  return planet;
}

TPlanet* TReportReader::PlanetOfWord(std::string_view word, uint64_t hash) {
  if (TPlanet* planet = planetIndex_.FindObject(word, hash)) return planet;
  if (Layout().PlanetNumbers && word.size() > 1 && word[0] == '#')
    return state_.PlanetByNumber(FirstIntInStr(word));
  return nullptr;
}

std::string_view TReportReader::LowerKey(std::string_view text) {
  key_.resize(text.size());
  std::transform(text.begin(), text.end(), key_.begin(), LoCase);
  return key_;
}

void TReportReader::Report(std::string message) {
  messages_.push_back(std::move(message));
}

TReportRow TReportReader::Row(int line) {
  return ReportRow(lines_, masks_.data(), line);
}

int TReportReader::WordCount(int line) {
  const std::string_view text = lines_.Text();
  const std::string_view view = lines_.TokenView(line);
  const auto from = static_cast<size_t>(view.data() - text.data());
  return static_cast<int>(SplitWords(masks_.data(), from, from + view.size(), nullptr, 0));
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
  return tovix::IsTableEnd(lines_, masks_.data(), line);
}

int TReportReader::FirstTableRow(int headerLine) {
  return tovix::FirstTableRow(lines_, masks_.data(), headerLine);
}

std::string TReportReader::SectionError(std::string_view suffix, std::string_view error,
                                        std::string_view marks) const {
  std::string message = Fmt(kErrorHeader, report_.Turn, report_.Race, report_.FileName, marks);
  if (!suffix.empty()) {
    message += '\r';
    message += suffix;
  }
  message += '\r';
  message += error;
  return message;
}

}  // namespace tovix

#pragma once
// The turn report reader: reads every report of the chosen game (turns 0 to 800, the user's
// own letter first, then each ally's) into the GameState.
//
// A report is loaded whole into a line parser; its section header lines (lines that begin with
// a tab) are indexed once, and each section is read by its own reader through the word parser.
// A fault inside one section is reported with the report's turn, race and file name (see
// RunSection) and reading goes on with the next section: a broken report never takes the
// program down.
//
// Messages of one load are collected (Messages()); the reader never shows a box itself, so the
// start-up can show the collected messages together once the load ends.

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/base/user_interface.h"
#include "core/model/game_state.h"
#include "core/regex/regex.h"
#include "core/reports/group_store.h"
#include "core/reports/report_files.h"
#include "core/reports/report_rows.h"
#include "core/text/numbers.h"
#include "core/text/str_parse.h"
#include "core/text/str_utils.h"

namespace tovix {

// Escapes the characters a regular expression would treat as operators, so that a race name
// taken from a report can be put into a section pattern and match only itself.
std::string QuoteRegexText(std::string_view text);

// The report being read: its header turn (the loop turn until the header is read), the race the
// header names and the file name. Every section error names them.
struct TReportContext {
  int Turn = -1;
  std::string Race;
  std::string FileName;
};

class TReportReader {
 public:
  // `programDir` holds ExtrInf.ini and receives DumpList.log.
  TReportReader(GameState& state, UserInterface& ui, std::filesystem::path programDir);
  TReportReader(const TReportReader&) = delete;
  TReportReader& operator=(const TReportReader&) = delete;

  // Reads every report of the game. True when at least one race was read; false also when a
  // report's header names a race that no status table gave (the reading stops there).
  bool LoadAllReports();

  // Worker threads that read and split the report files ahead of the reading (0: none, the
  // files are read as they come). The model comes out the same either way.
  void SetReadThreads(int threads) { readThreads_ = threads; }

  // The fault messages of this load, in order, with their fixed texts ("\r" for line breaks).
  const std::vector<std::string>& Messages() const { return messages_; }

  // ---- One report (public so that tests can drive the steps) ----

  // Puts a report text into the line parser (any line-end style; no-break spaces made blanks)
  // and builds the index.
  void LoadReportText(std::string text);
  // The section index: every line longer than 2 characters that begins with a tab, "MISTAKES"
  // dropped, leading sections checked by the variant's state machine.
  void BuildSectionIndex();
  int SectionCount() const { return static_cast<int>(sections_.size()); }
  // Line number of the first section header at or after `startLine` (negative: from the end)
  // that matches `pattern`; -1 when none.
  int FindSection(int startLine, std::string_view pattern);
  // FindSection for a header whose title, after the tabs, begins with `title`.
  int FindTitle(int startLine, std::string_view title);
  // Reads the header into the report context (CurrentReport); false when the report has no
  // usable header.
  bool ReadReportHeader();
  const TReportContext& CurrentReport() const { return report_; }
  // Starts a report: the context holds the loop turn, the file name and `race` until the header
  // is read.
  void BeginReport(int loopTurn, std::string fileName, std::string race = {});
  void ReadStatusOfPlayers(int loopTurn);
  void ReadYourPlanets();
  void ReadUnknownPlanets();
  void ReadOtherPlanets();
  TPlanet* FindOrCreatePlanet(int32_t x, int32_t y, const std::string& key, int turn);
  void SumPlanetSizes(int turn);
  // SumPlanetSizes for the turn of the last report read whole, when it is not done yet.
  void SumPendingSizes();

  // The section readers, in the order a report is read.
  void ReadShipsInProduction();
  // The own race's "autoUnload" option.
  void ReadOwnOptions();
  void ReadRoutes();
  void ReadShipTypes();
  void ReadBattles();
  void ReadGroups();
  void ReadFleets();
  void ReadBombings();
  void ReadIncomingGroups();

  // Races whose own report was read in the turn being read (their groups come from it).
  const std::vector<TPlayer*>& RacesReadThisTurn() const { return racesThisTurn_; }

  // The layout the report being read is written in: the game's, or the "Galaxy PLUS" one for a
  // report of that layout in a game of the classic one (see ReadAsPlusReport).
  const TReportLayout& Layout() const { return *layout_; }

 private:
  // A section header line: a view into the report text, which stays until the index is
  // built again.
  struct TSection {
    std::string_view text;
    int line;
  };

  // Reads one report file; false when the reading of the whole game must stop.
  bool ReadReportFile(int loopTurn, int letterIndex, const std::string& fileName);
  // A report whose index holds too few sections: read in the "Galaxy PLUS" layout when it is a
  // report of that layout, else repaired when it lost its tab marks.
  void MendReport(const std::string& fileName);
  // A player of a "Galaxy Game" server may switch to the "Galaxy PLUS" layout for some turns.
  // When the game's layout is the classic one and the report loaded is a PLUS report, the
  // report is indexed and read in the PLUS layout; true then.
  bool ReadAsPlusReport();
  // Marks the section headers of the report loaded with tabs again. The user's file is rewritten
  // (after a backup) only when that makes the report readable: the index gains sections and
  // holds the header. Otherwise, or when the file cannot be written, the report is read as it
  // came and the file left alone.
  void RepairTabMarks(const std::string& fileName);
  // `text` lower-cased, for looking up a key without making a string each time; valid until the
  // next call.
  std::string_view LowerKey(std::string_view text);
  // The planet a table word names: its name, or in "Galaxy PLUS" reports "#" + its number;
  // nullptr when there is none. `hash` is the word's FoldedTextHash.
  TPlanet* PlanetOfWord(std::string_view word) { return PlanetOfWord(word, FoldedTextHash(word)); }
  TPlanet* PlanetOfWord(std::string_view word, uint64_t hash);
  // The same, with the number under which the group store files the groups at the planet.
  TPlanet* PlanetOfWord(std::string_view word, uint64_t hash, uint32_t& storeNumber);
  // Records a fault message.
  void Report(std::string message);
  // Runs one section reader; a fault it raises is recorded with SectionError(suffix, ...,
  // marks) and the reading goes on. False when it failed.
  template <class Read>
  bool RunSection(std::string_view suffix, Read&& read, std::string_view marks = "!") {
    try {
      read();
      return true;
    } catch (const std::exception& e) {
      Report(SectionError(suffix, e.what(), marks));
      return false;
    }
  }
  // The words of line `line`.
  TReportRow Row(int line);
  // Word `index` of a row as a number, 0 when it is not one (TokenAsFloat, remembered).
  double Figure(const TReportRow& words, int index) {
    return figures_.Read(words.TokenView(index));
  }
  // The number of words of line `line`.
  int WordCount(int line);
  int LineCount();
  std::string_view Line(int line);
  struct TSectionPattern;
  // The compiled section pattern (compiled on first use; a bad pattern raises).
  TSectionPattern& Pattern(std::string_view pattern);
  bool Matches(const TSectionPattern& pattern, std::string_view text);
  // The first section at or after `startLine` whose title begins with `prefix`; -1 for none.
  int FirstTitle(int startLine, std::string_view prefix) const;
  // Sorts the section titles for FindSection (see titles_).
  void BuildTitleIndex();
  void ClearSections();
  // Lets the text and the index of the report read last go.
  void ForgetReport();
  // True where a table ends: a line without words, a section header line, or past the text.
  bool IsTableEnd(int line);
  // The first row of the table under the section header at `headerLine`: the line after the
  // first non-empty line (the column header) that follows the header.
  int FirstTableRow(int headerLine);
  // "Error - Turn: %d Player: %s Report: %s !" with the report context, then "\r" + suffix
  // (when there is one) and "\r" + the error text. The fleet reader's marks are "!!!".
  std::string SectionError(std::string_view suffix, std::string_view error,
                           std::string_view marks = "!") const;
  // The planet of a planet-table row: the one filed under `name` lower-cased (`hash` is its
  // FoldedTextHash), else FindOrCreatePlanet. Its distance entry follows the row's position.
  TPlanet* PlanetForRow(std::string_view name, uint64_t hash, int32_t x, int32_t y, int turn);
  // The table of that kind under the header at `header`: read ahead with the report when it was
  // read in the layout of this report, else read now.
  TReadyTables::TTable ReadyTable(int header, TReadyKind kind);
  // The layout the prefetcher's workers read tables ahead in (they ask from their threads).
  std::shared_ptr<const TReadyLayout> WorkersLayout();
  void SetWorkersLayout();
  // The race a status row names: the first one not gone filed under `key`.
  TPlayer* ActiveRaceByKey(const std::string& key);
  void ReadUnknownPlanetTable(int headerLine, bool uninhabited);
  // `otherRace`: a table of another race's planets, whose texts are compared exactly and whose
  // turn-0 names must be numbers.
  void ReadPlanetTable(int headerLine, const TPlanetColumns& columns, TPlayer* owner,
                       bool otherRace);

  // Helpers of the section readers (section_readers.cpp).
  struct TBattleList;
  // The race lists of the battle whose header is at `headerLine`, found by the layout alone
  // (nothing is read); returns the line where the battle's lines end.
  int ScanBattleLists(int headerLine, int limit, std::vector<TBattleList>& lists);
  // The planet of the battle whose header is at `headerLine` when this battle is read (its
  // planet is known and no report read before gave the battle), with its key in Battles;
  // nullptr otherwise. A header without the planet word raises.
  // `round`: this battle is the round-th at its planet in this report (its key then ends in
  // the round from 2 on).
  TPlanet* NewBattlePlanet(int headerLine, int round, std::string& battleKey);
  // Whether Battles holds `key` (compared ignoring case, as IndexOf does).
  bool HoldsBattle(const std::string& key);
  // The lower-cased planet word of the battle header at `headerLine`.
  std::string BattlePlanetKey(int headerLine);
  // Removes every race's groups of earlier turns at the planets of the battles read now.
  void RemoveGroupsAtBattles(const std::vector<int>& headers, const std::vector<int>& rounds);
  // Reads one battle; returns the line where its lines end, even when reading it failed.
  int ReadBattle(int headerLine, int limit, int round);
  void ReadShipTypeTable(int headerLine, TPlayer& race);
  // Reads a group table into `race`; `line` follows the row being read, for the message.
  void ReadGroupTable(int headerLine, TPlayer& race, bool own, const std::string& fleetName,
                      float fleetSpeed, int& line);

  // A race's designs by name in any case, made again when its designs changed: FindDesign
  // gives what TPlayer::FindShipType gives.
  // A design in the index with its name's FoldedTextHash and, for a name of at most 16 bytes,
  // the name's bytes (NameWords), so that a row naming it as written finds it without reading
  // the design.
  struct TDesignSlot {
    uint64_t hash = 0;
    TShipType* type = nullptr;
    uint64_t head = 0;
    uint64_t tail = 0;
    size_t size = 0;
  };
  struct TDesignIndex {
    uint64_t version = UINT64_MAX;  // of the race's ShipTypes
    std::vector<TDesignSlot> entries;
    size_t mask = 0;
  };
  // How the figures of a group table's rows are read. Rows of other races' tables are read
  // later, each naming its table's columns by their place in figureColumns_.
  struct TGroupTableColumns {
    TGroupFigureColumns figures;
    bool effectiveLevels;  // effective values ("Galaxy Blind") made technology levels
    bool operator==(const TGroupTableColumns&) const = default;
  };
  // A group table being read.
  struct TGroupTable {
    TPlayer* race;
    const TReportLayout* layout;
    bool own;
    bool effective;
    uint32_t fleet;  // TGroupStore::FleetName
    float fleetSpeed;
    uint32_t figures;             // its TGroupTableColumns in figureColumns_
    const TDesignIndex* designs;  // the race's; no design is added while a table is read
  };
  // Reads a group row into the store: a row of the own table whole, a row of another race's
  // table without its figures (ReadDeferredRow reads them if the group is still there when its
  // report's text goes).
  void ReadGroupRow(int line, const TGroupTable& table, const TReadyGroupRow& ready);
  // The ship count, group number, levels, cargo and load of a group row into its record.
  static void ApplyGroupFigures(const TGroupFigures& figures, bool effectiveLevels,
                                TGroupRecord& group);
  void ReadDeferredRow(TGroupRecord& group, const TDeferredRow& row);
  // Before the text of the report being read is replaced: it is kept while rows of it wait
  // for their figures, and the figures of the rows of the oldest texts kept are read.
  void RetireText();
  // Runs a step that adds or drops groups: within LoadAllReports on the store, otherwise with
  // the groups moved into the store and back into the model after it.
  template <class Step>
  void OnGroupStore(Step&& step);
  void BeginGroupStore();
  // The groups back in the model.
  void EndGroupStore();
  const TDesignIndex& DesignsOf(const TPlayer& race);
  // The design named `name`, whose FoldedTextHash is `hash`; nullptr when there is none.
  static TShipType* FindDesign(const TDesignIndex& designs, std::string_view name, uint64_t hash);
  // Writes the planet keys to DumpList.log in the program folder.
  void WriteDumpList(std::string_view planetName);
  // The section of `race`'s planets, -1 when the report has none.
  int OtherPlanetsHeader(const TPlayer& race);
  // FindTitle for a title of which IsPlainTitle is known.
  int FindTitle(int startLine, std::string_view title, bool plain);
  // Whether a title holds nothing a section pattern reads otherwise than as text.
  static bool IsPlainTitle(std::string_view title);
  // The titles of a race's sections, made once for its name and the layout.
  struct TRaceTitles {
    const TReportLayout* layout = nullptr;
    std::string name;
    std::string shipTypesSuffix;
    std::string groupsSuffix;
    std::string otherPlanetsTitle;
    std::string shipTypes;
    std::string groups;
    std::string otherPlanets;
    std::string otherPlanetsPattern;  // a pattern where the title is none
    bool shipTypesPlain = false;
    bool groupsPlain = false;
    bool otherPlanetsPlain = false;
  };
  const TRaceTitles& TitlesOf(const TPlayer& race);
  // Whether a planet table of the report being read lists a planet at (x, y). The positions are
  // gathered on the first question of each report.
  bool ListsPlanetAt(int32_t x, int32_t y);

  GameState& state_;
  UserInterface& ui_;
  const TReportLayout* layout_;  // &state_.Layout, or &plusLayout_ for a PLUS report
  TReportLayout plusLayout_;
  std::filesystem::path programDir_;
  // The planets by name in any case (PlanetOfWord, PlanetForRow).
  TFStringListIndex<std::unique_ptr<TPlanet>> planetIndex_;
  int readThreads_ = 0;
  // While LoadAllReports runs: where the report being read comes from, already split.
  TReportPrefetcher* prefetcher_ = nullptr;
  size_t prefetchIndex_ = 0;
  TZnStrParse lines_;
  // The lines of lines_ that begin with a tab, and the masks of its bytes that end words.
  std::vector<int> tabLines_;
  std::vector<TTitleSpan> tabTitles_;  // the report's titles, sorted (SortedTitles)
  std::vector<uint64_t> masks_;
  // The tables of the report read ahead (or when asked for), the layout they were read in, and
  // whether that is the layout of this report (checked once per report and layout).
  TReadyTables tables_;
  // The planet a row of the unidentified or the uninhabited planets led to, found by its name
  // (of at most 16 bytes), and the version of the planet list then: where the list is still the
  // same, the name leads there again. By letter and table, in the order of the rows.
  struct TPlanetHint {
    uint64_t hash = 0;  // FoldedTextHash of the name
    TPlanet* planet = nullptr;
    uint64_t version = 0;
    uint8_t size = 0;
    char name[16] = {};
  };
  static constexpr size_t kHintLookAhead = 5;
  std::unordered_map<uint32_t, std::vector<TPlanetHint>> planetHints_;
  // The tables read here (not ahead), for the next report of the same letter, and the layout
  // they were read in.
  TTableMemo tableMemo_;
  std::shared_ptr<const TReadyLayout> memoLayout_;
  std::shared_ptr<const TReadyLayout> tablesLayout_;
  const TReportLayout* tablesCheckedFor_ = nullptr;
  TGameType tablesCheckedType_ = TGameType::Unknown;
  // What the prefetcher's workers read tables ahead in.
  std::mutex workersLayoutMutex_;
  std::shared_ptr<const TReadyLayout> workersLayout_;
  // One compiled expression per section pattern: a game of many races asks for more distinct
  // patterns (a few titles per race) than the expression's own cache holds, and would compile
  // them again on every report. `needle` is text every match contains, so that most headers
  // are passed over without running the expression.
  struct TSectionPattern {
    std::unique_ptr<TznreExpr> expr;
    std::string needle;
    // For "^\W*" + plain text: that text, looked up in titles_ instead of running the
    // expression on every header; else empty.
    std::string prefix;
  };
  struct TPatternHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, TSectionPattern, TPatternHash, std::equal_to<>> patterns_;
  std::vector<TSection> sections_;
  // Every section header from its first word character on, sorted by that text and then by
  // line, so that all headers beginning with a text are found by one binary search. The views
  // point into sections_, which stays unchanged until the index is built again.
  struct TTitle {
    std::string_view title;
    int line;
    uint64_t key;  // TitleKey(title): titles sort by it first
  };
  std::vector<TTitle> titles_;
  bool titlesUsable_ = false;
  std::vector<TPlayer*> racesThisTurn_;
  int groupsStartLine_ = 0;
  // The keys of Battles lower-cased, for HoldsBattle, and the version of Battles they are of.
  std::unordered_set<std::string> battleKeys_;
  uint64_t battleKeysVersion_ = UINT64_MAX;
  int battleRowsLeftOut_ = 0;  // rows of this report's battles whose design no race has
  bool blindChecked_ = false;  // whether a report has confirmed the "Galaxy Blind" variant
  int planetsAddedLate_ = 0;   // planets the first report read did not list
  // The positions the planet tables of the report being read list (ListsPlanetAt), sorted.
  std::vector<std::pair<int32_t, int32_t>> listedPositions_;
  bool positionsListed_ = false;
  std::string firstReport_;  // the file of the first turn whose planets were read
  TReportContext report_;
  bool headerRead_ = false;  // whether report_ holds the header of the report being read
  int sizesTurn_ = -1;       // a turn whose planet sizes are still to be summed
  // The texts of the own reports of the last two turns (by their turn in the listing), for the
  // map tracks, and the first turn kept.
  std::vector<std::pair<int, std::string>> ownTexts_;
  int keepOwnTextsFrom_ = kMaxTurn + 1;
  std::string ownRace_;  // the race of the user's own reports
  std::vector<std::string> messages_;
  std::string key_;  // LowerKey's buffer
  // The figures of the rows read (Figure).
  TFigureCache figures_;
  std::unordered_map<const TPlayer*, TRaceTitles> raceTitles_;
  // The group store's planet numbers by place in Planets (kNoNumber where not asked yet), for
  // the Planets version and the store they were asked in.
  static constexpr uint32_t kNoNumber = UINT32_MAX;
  std::vector<uint32_t> storeNumbers_;
  uint64_t storeNumbersVersion_ = UINT64_MAX;
  // The planets that group rows named last (found by the name's index), with their store
  // numbers; valid with storeNumbers_.
  struct TPlanetMemo {
    uint64_t hash = 0;
    TPlanet* planet = nullptr;
    uint32_t number = 0;
    uint8_t size = 0;
    char text[19] = {};
  };
  static constexpr int kPlanetMemoBits = 10;
  std::array<TPlanetMemo, size_t{1} << kPlanetMemoBits> planetMemo_{};
  // The races' groups while LoadAllReports (or a step on its own) runs.
  TGroupStore groups_;
  // Report texts kept for rows waiting for their figures: from twice this many, the rows of all
  // but the newest this many are read.
  static constexpr size_t kKeptTexts = 3;
  std::vector<TGroupTableColumns> figureColumns_;
  // The number of the report text being read (TDeferredRow::Text), and whether rows of it wait
  // for their figures.
  uint32_t textNumber_ = 0;
  bool textHasDeferredRows_ = false;
  // Texts of reports read before, kept while rows of them wait for their figures, oldest first.
  struct TKeptText {
    uint32_t number;
    std::string text;
    std::vector<uint64_t> masks;
  };
  std::deque<TKeptText> keptTexts_;
  bool loadingGroups_ = false;
  std::unordered_map<const TPlayer*, TDesignIndex> designs_;
  const TPlayer* lastDesignsRace_ = nullptr;  // the race DesignsOf was asked for last
  TDesignIndex* lastDesigns_ = nullptr;
  // The speeds of the own fleets of the report being read, where one table lists them.
  std::vector<std::pair<std::string, float>> fleetSpeeds_;
};

}  // namespace tovix

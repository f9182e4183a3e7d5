#pragma once
// The words of report lines, and a report made ready for the reader: its text split into lines,
// with the lines that begin with a tab (the section headers are among them) noted.
//
// Nothing here touches the model, so a report is made ready on a worker thread while the reader
// builds the model from the reports before it. A line's words are split only when a reader asks
// for them (TReportRow): most lines of a report are read once or not at all.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/settings/game_types.h"
#include "core/settings/report_layout.h"
#include "core/text/numbers.h"
#include "core/text/str_parse.h"
#include "core/text/str_utils.h"

namespace tovix {

// A coordinate as the planet tables write it: characters up to the first "-" or digit are
// skipped, then digits and "." are taken with the "." ignored ("12.34" gives 1234, "-0.50"
// gives -50). Saturates instead of overflowing.
int32_t ParseCoordinate(std::string_view word);

// The bytes that end a word of a report line: blanks and control characters, ",", "`", "~" and
// DEL. Bytes above 127 belong to words, so that a name with an accented letter (Latin-1, or
// UTF-8 from a mail program) stays one word.
TDelimiterSet ReportWordDelimiters();

// What a report's text needs before it is split: line ends written LF CR (by some mail
// programs) made LF, and no-break spaces made blanks.
void PrepareReportText(std::string& text);

// A line parser for report texts: lines end at CR LF, LF or CR, and its word parser splits
// words at ReportWordDelimiters.
void SetUpReportParser(TZnStrParse& lines);

// The words of one report line, split when the row is made. The words point into the report
// text and stay valid while it does. Word access as the line parser gives it: a negative index
// counts from the end, an index out of range raises EParseError "Index out of bounds".
class TReportRow {
 public:
  TReportRow() = default;
  // The words of text[from, to); `masks` are the text's delimiter masks (TPreparedReport).
  TReportRow(std::string_view text, size_t from, size_t to, const uint64_t* masks) {
    Split(text, from, to, masks);
  }
  // The row refers to its own words.
  TReportRow(const TReportRow&) = delete;
  TReportRow& operator=(const TReportRow&) = delete;
  // Splits another line into this row.
  void Split(std::string_view text, size_t from, size_t to, const uint64_t* masks);

  int Count() const { return count_; }
  std::string_view TokenView(int index) const { return At(Resolve(index)); }
  std::string Token(int index) const { return std::string(TokenView(index)); }
  // The first run of digits in the word (0 when none).
  int32_t TokenAsInt(int index) const { return FirstIntInStr(TokenView(index)); }
  // The word as a number ("." as decimal separator); 0 when it is not one.
  double TokenAsFloat(int index) const {
    const std::string_view word = TokenView(index);
    double value = 0;
    if (TryParseShortDecimal(word, value)) return value;
    return TryParseFloat(word, value) ? value : 0;
  }
  // Raises as TokenView does unless the row has at least `needed` words.
  void RequireWords(int32_t needed) const {
    if (count_ < needed) ThrowOutOfBounds();
  }
  // Whether TokenView(index) gives a word.
  bool Has(int32_t index) const { return index < count_ && index >= -count_; }
  // The number of words a row must have for TokenView(index) to give one.
  static int32_t WordsFor(int32_t index) { return index >= 0 ? index + 1 : -index; }
  // Word `index`, or "" when the row has no such word.
  std::string_view WordOrEmpty(int index) const {
    return Has(index) ? TokenView(index) : std::string_view();
  }

 private:
  size_t Resolve(int index) const {
    if (index < 0) index += count_;
    if (index < 0 || index >= count_) ThrowOutOfBounds();
    return static_cast<size_t>(index);
  }
  [[noreturn]] static void ThrowOutOfBounds();
  std::string_view At(size_t i) const {
    return std::string_view(base_ + spans_[i].start, spans_[i].size);
  }

  const TWordSpan* spans_ = inline_;
  const char* base_ = nullptr;
  int count_ = 0;
  // Rows of the report tables have fewer words than kInlineWords; longer lines keep theirs on
  // the heap.
  static constexpr int kInlineWords = 40;
  TWordSpan inline_[kInlineWords];
  std::vector<TWordSpan> more_;
};

// Figures read from report words, remembered by their text: the rows of a report repeat a few
// figures (technology levels, empty loads, stockpiles) in most of its rows. Read gives what
// TReportRow::TokenAsFloat gives for the word.
class TFigureCache {
 public:
  double Read(std::string_view word) {
    if (word.empty() || word.size() > 8) return Parse(word);
    const uint64_t bytes = FirstEightBytes(word);
    Entry& entry = entries_[(bytes * 0x9E3779B97F4A7C15u) >> (64 - kBits)];
    if (entry.bytes != bytes || entry.size != word.size()) {
      entry.bytes = bytes;
      entry.size = word.size();
      entry.value = Parse(word);
    }
    return entry.value;
  }

 private:
  static constexpr int kBits = 8;
  struct Entry {
    uint64_t bytes = 0;
    size_t size = 0;  // no word is empty: an entry not filled matches none
    double value = 0;
  };

  static double Parse(std::string_view word) {
    double value = 0;
    if (TryParseShortDecimal(word, value)) return value;
    return TryParseFloat(word, value) ? value : 0;
  }

  Entry entries_[1 << kBits];
};

// What of the report layout the tables read ahead (TReadyTables) depend on. Tables read ahead
// with one layout serve only a reader in an equal one.
struct TReadyLayout {
  TGameType Type = TGameType::Unknown;
  bool PlanetNumbers = false;
  std::string OwnPlanetsTitle;
  std::string OtherPlanetsTitle;
  std::string UnidentifiedTitle;
  std::string UninhabitedTitle;
  std::string GroupsTitleSuffix;
  TPlanetColumns OwnPlanets;
  TPlanetColumns OtherPlanets;
  TUnknownPlanetColumns Unidentified;
  TUnknownPlanetColumns Uninhabited;
  TGroupColumns Groups;
  int32_t GroupMinWordsForDistance = 0;
  int32_t GroupFleetWord = kNoWord;

  static TReadyLayout Of(const TReportLayout& layout, TGameType type);
  bool operator==(const TReadyLayout&) const = default;
};

// A row of a race's planet table (the own one or another race's), as its words alone give it.
// Name and Production are offsets into the report text.
struct TListedPlanetRow {
  TWordSpan Name{};
  TWordSpan Production{};
  uint64_t NameHash = 0;  // FoldedTextHash of the name
  int32_t X = 0;
  int32_t Y = 0;
  float Size = 0;
  float Population = 0;
  float Industry = 0;
  float Resources = 0;
  float Capital = 0;
  float Material = 0;
  float Colonists = 0;
  int32_t NumberWord = 0;  // FirstIntInStr of the layout's planet-number word, where there is one
  bool Complete = false;   // every column there; else reading the row raises
  bool HasNumberWord = false;
};

// A row of the unidentified or the uninhabited planets.
struct TUnknownPlanetRow {
  TWordSpan Name{};
  uint64_t NameHash = 0;
  int32_t X = 0;
  int32_t Y = 0;
  float Size = 0;
  float Resources = 0;
  float Capital = 0;
  float Material = 0;
  int32_t NumberWord = 0;   // FirstIntInStr of the number column, where HasNumberWord
  bool Complete = false;    // name and position there; else reading the row raises
  bool Sizes = false;       // the row holds size and resources
  bool Stockpiles = false;  // the row holds CAP and MAT
  bool HasNumberWord = false;
};

// The column shift of a group table: the own table has the group number in front, so every
// other column is one word further right; "Galaxy Blind" tables without effective values lack a
// word before the weapons.
struct TGroupColumnShift {
  TGroupColumnShift(bool own, bool effective, TGameType type)
      : right(own ? 1 : 0), left(type == TGameType::Blind && !effective ? 1 : 0) {}
  int32_t Column(int32_t index) const { return index + right; }
  int32_t FromWeapons(int32_t index) const { return index + right - left; }
  bool operator==(const TGroupColumnShift&) const = default;
  int right;
  int left;
};

// Where a group table's figures are.
struct TGroupFigureColumns {
  TGroupColumns columns;
  TGroupColumnShift shift;
  bool own;
  bool operator==(const TGroupFigureColumns&) const = default;
};

// The figures of a group row as written: group number (own tables), ships, the four levels,
// cargo type and load.
struct TGroupFigures {
  double Drive = 0;
  double Weapons = 0;
  double Shields = 0;
  double Cargo = 0;
  float Load = 0;
  int32_t Ships = 0;
  int32_t Number = 0;
  int32_t CargoType = 0;  // pcNone, pcCap, pcMat, pcCol
};

// The figures of a group row that has every word the table reads.
TGroupFigures ReadGroupFigures(const TReportRow& words, const TGroupFigureColumns& columns,
                               TFigureCache& figures);

// A row of a group table: where the words are that are read before anything is kept, with the
// hashes of the planet names. The figures are read later, for the groups still there then.
struct alignas(64) TReadyGroupRow {
  uint64_t TypeHash = 0;
  uint64_t DestinationHash = 0;
  uint64_t OriginHash = 0;
  TWordSpan Type{};
  TWordSpan Destination{};
  TWordSpan Origin{};  // size 0: none
  TWordSpan Fleet{};   // the fleet word of an own row ("Galaxy PLUS"); size 0: none
  float Distance = 0;
  bool Fails = false;  // short of words: reading the row raises, and nothing else is filled
};
// A row is one cache line: the reader takes the rows a worker wrote.
static_assert(sizeof(TReadyGroupRow) == 64);

// The kinds of table read ahead.
enum class TReadyKind : uint8_t {
  OwnPlanets,
  OtherPlanets,
  Unidentified,
  Uninhabited,
  OwnGroups,
  OtherGroups
};

// The column header of an effective-value group table ("Galaxy Blind") holds the letter "A".
inline bool IsEffectiveHeader(std::string_view columnHeader) {
  return columnHeader.find('A') != std::string_view::npos;
}

// Raises what reading a word a row does not have raises.
[[noreturn]] void ThrowIndexOutOfBounds();

// The words a group row needs for every column read before anything is kept.
int32_t GroupWordsNeeded(const TGroupColumns& columns, const TGroupColumnShift& shift, bool own);

// Lines of a report in a line parser (SetUpReportParser) with the masks of its word ends.
// The words of line `line`.
TReportRow ReportRow(TZnStrParse& lines, const uint64_t* masks, int line);
// Whether line `line` holds a word.
bool LineHoldsWord(TZnStrParse& lines, const uint64_t* masks, int line);
// True where a table ends: a line without words, a section header line, or past the text.
bool IsTableEnd(TZnStrParse& lines, const uint64_t* masks, int line);
// The first row of the table under the section header at `headerLine`: the line after the
// first non-empty line (the column header) that follows the header.
int FirstTableRow(TZnStrParse& lines, const uint64_t* masks, int headerLine);

// The unidentified and the uninhabited planets as the last report of each source listed them.
// A report repeats nearly every row of the report of the same race a turn before, and a row
// reads the same wherever its bytes are: TReadyTables::ReadTable takes such a row from here
// instead of splitting and reading it again, and keeps what it read for the next report of the
// source. A table is matched by its source, kind and header line.
class TTableMemo {
 public:
  // The source of the tables read next (the report's race letter, say).
  void SetSource(uint32_t source) { source_ = source; }
  void Clear() { kept_.clear(); }

 private:
  friend class TReadyTables;
  // A table's rows as read, and their lines, in the text they were read from: the lines' bytes,
  // from the first one's start (textAt in that text) to the last one's end, and where each line
  // was in that text.
  struct TKept {
    std::string bytes;
    uint32_t textAt = 0;
    std::vector<TWordSpan> lines;
    std::vector<TUnknownPlanetRow> rows;
  };
  uint32_t source_ = 0;
  std::unordered_map<std::string, TKept> kept_;
  TKept spare_;  // the table being read; then the one it replaced, whose memory the next uses
};

// The rows of a report's planet and group tables, read ahead of the reader from the words alone:
// the planet rows whole, the group rows as far as finding their planets and design. A table's
// rows are the lines from FirstRow on, in order; a table ends before a row that fails (short of
// words), which is kept, since the reader reports it.
class TReadyTables {
 public:
  struct TTable {
    int Header = -1;
    TReadyKind Kind = TReadyKind::OwnPlanets;
    bool Effective = false;  // group tables: the column header marks effective values
    int FirstRow = 0;
    uint32_t First = 0;  // the first row in its kind's rows
    uint32_t Count = 0;
  };

  // Reads the tables of the report whose lines are in `lines` with the word masks `masks` and
  // the tab lines `tabLines`, in `layout`.
  void Read(TZnStrParse& lines, const std::vector<uint64_t>& masks,
            const std::vector<int>& tabLines, const TReadyLayout& layout);
  // Reads one table whose header is at `header` (whatever its title) into these tables. A table
  // of unidentified or uninhabited planets is read through `memo` where one is given
  // (TTableMemo); the memo must have been filled in the same layout.
  TTable ReadTable(TZnStrParse& lines, const std::vector<uint64_t>& masks, int header,
                   TReadyKind kind, const TReadyLayout& layout, TTableMemo* memo = nullptr);
  void Clear();
  // The table of that kind under the header at `header`; nullptr when it was not read.
  const TTable* Find(int header, TReadyKind kind) const;

  const TListedPlanetRow& Listed(const TTable& t, uint32_t i) const { return listed_[t.First + i]; }
  const TUnknownPlanetRow& Unknown(const TTable& t, uint32_t i) const {
    return unknown_[t.First + i];
  }
  const TReadyGroupRow& Group(const TTable& t, uint32_t i) const { return groups_[t.First + i]; }

 private:
  // ReadTable's unidentified or uninhabited planets, through the memo where one is given.
  void ReadUnknownTable(TZnStrParse& lines, const std::vector<uint64_t>& masks, int header,
                        TReadyKind kind, const TReadyLayout& layout, TTableMemo* memo,
                        TTable& table);

  std::vector<TTable> tables_;
  std::vector<TListedPlanetRow> listed_;
  std::vector<TUnknownPlanetRow> unknown_;
  std::vector<TReadyGroupRow> groups_;
  TFigureCache figureCache_;
};

// A section title: a header line (a line that begins with a tab and is longer than two
// characters) from its first word character (A-Z, a-z, 0-9, "_") on, as bytes of the report
// text.
struct TTitleSpan {
  uint32_t Start = 0;
  uint32_t Size = 0;
  int Line = 0;
  uint64_t Key = 0;  // TitleKey of the title
};

// The first eight bytes of a title as a number, in the order of the text and zero-padded: of two
// titles with different keys the smaller key belongs to the title that sorts first.
inline uint64_t TitleKey(std::string_view title) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i)
    key = key << 8 | (i < title.size() ? static_cast<unsigned char>(title[i]) : 0u);
  return key;
}

// The titles of the lines `tabLines` of `lines`, sorted by their text and then by line.
std::vector<TTitleSpan> SortedTitles(TZnStrParse& lines, const std::vector<int>& tabLines);

// A report made ready for reading: its text in a line parser (SetUpReportParser), split into
// lines, the lines that begin with a tab, in order, the masks of the bytes that end words
// (TDelimiterSet::Masks with ReportWordDelimiters), from which a line's words are split, the
// titles of its header lines sorted (SortedTitles), and,
// when a layout was given, its tables read ahead in that layout.
struct TPreparedReport {
  TPreparedReport() { SetUpReportParser(lines); }
  TPreparedReport(const TPreparedReport&) = delete;
  TPreparedReport& operator=(const TPreparedReport&) = delete;

  // Takes the text (PrepareReportText is applied) and splits it.
  void SetText(std::string text);
  // Reads the tables ahead in `layout`.
  void ReadTables(std::shared_ptr<const TReadyLayout> layout);

  TZnStrParse lines;
  std::vector<int> tabLines;
  std::vector<TTitleSpan> titles;
  std::vector<uint64_t> masks;
  TDelimiterSet delimiters = ReportWordDelimiters();
  std::shared_ptr<const TReadyLayout> layout;  // of `tables`; nullptr when none were read
  TReadyTables tables;
};

}  // namespace tovix

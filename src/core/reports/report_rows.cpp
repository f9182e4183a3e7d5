#include "core/reports/report_rows.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "core/base/errors.h"
#include "core/model/game_model.h"
#include "core/text/string_lists.h"

namespace tovix {

namespace {

bool IsWordDelimiter(int c) {
  return c < 33 || c == ',' || c == '`' || c == '~' || c == 127;
}

// Line ends written as LF CR would end every line twice, making an empty line after each: a
// text whose first line end is LF CR has them made LF.
void JoinLfCrLineEnds(std::string& text) {
  const size_t lf = text.find('\n');
  if (lf == std::string::npos || lf + 1 >= text.size() || text[lf + 1] != '\r') return;
  if (lf > 0 && text[lf - 1] == '\r') return;  // CR LF CR LF ...
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    text[out++] = text[i];
    if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] == '\r') ++i;
  }
  text.resize(out);
}

}  // namespace

int32_t ParseCoordinate(std::string_view word) {
  const char* p = word.data();
  const size_t n = word.size();
  // The tables' own form, up to six digits, a point and two: read without a branch per digit.
  if (n >= 4 && n <= 9 && p[n - 3] == '.') {
    uint32_t value = 0;
    bool digits = true;
    for (size_t i = 0; i < n; ++i) {
      if (i == n - 3) continue;
      const auto digit = static_cast<uint32_t>(static_cast<unsigned char>(p[i]) - '0');
      digits &= digit <= 9;
      value = value * 10 + digit;
    }
    if (digits) return static_cast<int32_t>(value);
  }
  const char* const end = p + n;
  while (p != end && *p != '-' && static_cast<unsigned char>(*p - '0') > 9) ++p;
  if (p == end) return 0;
  const bool negative = *p == '-';
  if (negative) ++p;
  uint64_t value = 0;
  int digits = 0;
  for (; p != end; ++p) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*p) - '0');
    if (digit > 9) {
      if (*p == '.') continue;
      break;
    }
    // Eighteen digits cannot overflow; a longer run is past the limit anyway.
    if (++digits <= 18) value = value * 10 + digit;
  }
  constexpr uint64_t kLimit = std::numeric_limits<int32_t>::max();
  const auto limited = static_cast<int32_t>(digits > 18 ? kLimit : std::min(value, kLimit));
  return negative ? -limited : limited;
}

TDelimiterSet ReportWordDelimiters() {
  TDelimiterSet delimiters;
  for (int c = 0; c < 256; ++c) delimiters.Set(static_cast<unsigned char>(c), IsWordDelimiter(c));
  return delimiters;
}

void PrepareReportText(std::string& text) {
  JoinLfCrLineEnds(text);
  NormalizeNoBreakSpaces(text);
}

void SetUpReportParser(TZnStrParse& lines) {
  lines.SetLineMode(true);
  // Reports come with CR LF, LF or CR line ends; the parser ends lines at each of them, so a
  // report is not copied just to make its line ends CR LF.
  lines.SetAnyLineEnd(true);
  TZnStrParse& words = lines.CreateSubParser("SD");
  for (int c = 0; c < 256; ++c)
    words.SetDelimiter(static_cast<unsigned char>(c), IsWordDelimiter(c));
}

// --- A row of words ---------------------------------------------------------------------------

void TReportRow::Split(std::string_view text, size_t from, size_t to, const uint64_t* masks) {
  base_ = text.data();
  size_t count = SplitWords(masks, from, to, inline_, kInlineWords);
  spans_ = inline_;
  if (count > kInlineWords) {
    more_.resize(count);
    count = SplitWords(masks, from, to, more_.data(), count);
    spans_ = more_.data();
  }
  count_ = static_cast<int>(count);
}

void TReportRow::ThrowOutOfBounds() {
  ThrowIndexOutOfBounds();
}

void ThrowIndexOutOfBounds() {
  throw EParseError("Index out of bounds");
}

// --- Lines and tables -------------------------------------------------------------------------

namespace {

size_t LineStart(TZnStrParse& lines, std::string_view line) {
  return static_cast<size_t>(line.data() - lines.Text().data());
}

// A word character of the expressions: A-Z, a-z, 0-9 and "_". A section's title starts at the
// first one.
bool IsTitleChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

TWordSpan SpanOf(std::string_view word, std::string_view text) {
  return {static_cast<uint32_t>(word.data() - text.data()), static_cast<uint32_t>(word.size())};
}

float FigureOf(const TReportRow& words, int32_t index, TFigureCache& figures) {
  return static_cast<float>(figures.Read(words.TokenView(index)));
}

TListedPlanetRow ReadListedRow(const TReportRow& words, std::string_view text,
                               const TPlanetColumns& c, int32_t numberWord, TFigureCache& figures) {
  TListedPlanetRow row;
  for (const int32_t index : {c.Name, c.X, c.Y, c.Size, c.Population, c.Industry, c.Resources,
                              c.Production, c.CAP, c.MAT, c.COL}) {
    if (!words.Has(index)) return row;
  }
  row.Complete = true;
  const std::string_view name = words.TokenView(c.Name);
  row.Name = SpanOf(name, text);
  row.NameHash = FoldedTextHash(name);
  row.X = ParseCoordinate(words.TokenView(c.X));
  row.Y = ParseCoordinate(words.TokenView(c.Y));
  row.Size = FigureOf(words, c.Size, figures);
  row.Population = FigureOf(words, c.Population, figures);
  row.Industry = FigureOf(words, c.Industry, figures);
  row.Resources = FigureOf(words, c.Resources, figures);
  row.Production = SpanOf(words.TokenView(c.Production), text);
  row.Capital = FigureOf(words, c.CAP, figures);
  row.Material = FigureOf(words, c.MAT, figures);
  row.Colonists = FigureOf(words, c.COL, figures);
  if (HasWord(numberWord) && words.Has(numberWord)) {
    row.HasNumberWord = true;
    row.NumberWord = words.TokenAsInt(numberWord);
  }
  return row;
}

TUnknownPlanetRow ReadUnknownRow(const TReportRow& words, std::string_view text,
                                 const TUnknownPlanetColumns& c, bool uninhabited, bool numberWord,
                                 TFigureCache& figures) {
  TUnknownPlanetRow row;
  if (!words.Has(c.Name) || !words.Has(c.X) || !words.Has(c.Y)) return row;
  const std::string_view name = words.TokenView(c.Name);
  row.Name = SpanOf(name, text);
  row.NameHash = FoldedTextHash(name);
  row.X = ParseCoordinate(words.TokenView(c.X));
  row.Y = ParseCoordinate(words.TokenView(c.Y));
  const int count = words.Count();
  // Size and resources only where the row holds both; the stockpiles where it has them.
  row.Sizes = uninhabited && count > c.Resources;
  row.Stockpiles = uninhabited && count > c.MAT;
  if ((row.Sizes && !words.Has(c.Size)) || (row.Stockpiles && !words.Has(c.CAP))) return row;
  if (row.Sizes) {
    row.Size = FigureOf(words, c.Size, figures);
    row.Resources = FigureOf(words, c.Resources, figures);
  }
  if (row.Stockpiles) {
    row.Capital = FigureOf(words, c.CAP, figures);
    row.Material = FigureOf(words, c.MAT, figures);
  }
  if (numberWord && words.Has(c.Number)) {
    row.HasNumberWord = true;
    row.NumberWord = words.TokenAsInt(c.Number);
  }
  row.Complete = true;
  return row;
}

int32_t GroupCargoType(std::string_view text) {
  if (text.size() != 3) return pcNone;  // mostly "-"
  if (SameText(text, "cap")) return pcCap;
  if (SameText(text, "mat")) return pcMat;
  if (SameText(text, "col")) return pcCol;
  return pcNone;
}

TReadyGroupRow ReadGroupRowAhead(const TReportRow& words, std::string_view text,
                                 const TGroupColumns& c, const TGroupColumnShift& shift,
                                 int32_t needed, int32_t minWordsForDistance,
                                 TFigureCache& figures) {
  TReadyGroupRow row;
  const int count = words.Count();
  const int32_t distanceWord = shift.FromWeapons(c.Distance);
  const bool distance = count >= minWordsForDistance + shift.right - shift.left;
  if (count < needed || (distance && !words.Has(distanceWord))) {
    row.Fails = true;
    return row;
  }
  const std::string_view type = words.TokenView(shift.Column(c.Type));
  row.Type = SpanOf(type, text);
  row.TypeHash = FoldedTextHash(type);
  const std::string_view destination = words.TokenView(shift.FromWeapons(c.Destination));
  row.Destination = SpanOf(destination, text);
  row.DestinationHash = FoldedTextHash(destination);
  if (distance) row.Distance = FigureOf(words, distanceWord, figures);
  if (count > shift.FromWeapons(c.Origin)) {
    const std::string_view origin = words.TokenView(shift.FromWeapons(c.Origin));
    row.Origin = SpanOf(origin, text);
    row.OriginHash = FoldedTextHash(origin);
  }
  return row;
}

}  // namespace

TGroupFigures ReadGroupFigures(const TReportRow& words, const TGroupFigureColumns& columns,
                               TFigureCache& figures) {
  const TGroupColumns& c = columns.columns;
  const TGroupColumnShift& shift = columns.shift;
  TGroupFigures group;
  group.Number = columns.own ? words.TokenAsInt(c.Number) : 0;
  group.Ships = words.TokenAsInt(shift.Column(c.Ships));
  group.Drive = figures.Read(words.TokenView(shift.Column(c.Drive)));
  group.Weapons = figures.Read(words.TokenView(shift.FromWeapons(c.Weapons)));
  group.Shields = figures.Read(words.TokenView(shift.FromWeapons(c.Shields)));
  group.Cargo = figures.Read(words.TokenView(shift.FromWeapons(c.Cargo)));
  group.CargoType = GroupCargoType(words.TokenView(shift.FromWeapons(c.CargoType)));
  group.Load = static_cast<float>(figures.Read(words.TokenView(shift.FromWeapons(c.Load))));
  return group;
}

int32_t GroupWordsNeeded(const TGroupColumns& c, const TGroupColumnShift& shift, bool own) {
  int32_t needed = 0;
  for (int32_t index :
       {shift.Column(c.Ships), shift.Column(c.Type), shift.Column(c.Drive), own ? c.Number : 0})
    needed = std::max(needed, TReportRow::WordsFor(index));
  for (int32_t index : {c.Weapons, c.Shields, c.Cargo, c.CargoType, c.Load, c.Destination})
    needed = std::max(needed, TReportRow::WordsFor(shift.FromWeapons(index)));
  return needed;
}

TReportRow ReportRow(TZnStrParse& lines, const uint64_t* masks, int line) {
  const std::string_view view = lines.TokenView(line);
  const size_t from = LineStart(lines, view);
  return TReportRow(lines.Text(), from, from + view.size(), masks);
}

bool LineHoldsWord(TZnStrParse& lines, const uint64_t* masks, int line) {
  const std::string_view view = lines.TokenView(line);
  const size_t from = LineStart(lines, view);
  return HoldsWord(masks, from, from + view.size());
}

bool IsTableEnd(TZnStrParse& lines, const uint64_t* masks, int line) {
  if (line < 0 || line >= lines.Count()) return true;
  const std::string_view text = lines.TokenView(line);
  if (!text.empty() && text[0] == '\t') return true;
  return !LineHoldsWord(lines, masks, line);
}

int FirstTableRow(TZnStrParse& lines, const uint64_t* masks, int headerLine) {
  const int count = lines.Count();
  int line = headerLine + 1;
  while (line < count && !LineHoldsWord(lines, masks, line)) ++line;
  return line + 1;
}

TReadyLayout TReadyLayout::Of(const TReportLayout& layout, TGameType type) {
  TReadyLayout ready;
  ready.Type = type;
  ready.PlanetNumbers = layout.PlanetNumbers;
  ready.OwnPlanetsTitle = layout.OwnPlanetsTitle;
  ready.OtherPlanetsTitle = layout.OtherPlanetsTitle;
  ready.UnidentifiedTitle = layout.UnidentifiedTitle;
  ready.UninhabitedTitle = layout.UninhabitedTitle;
  ready.GroupsTitleSuffix = layout.GroupsTitleSuffix;
  ready.OwnPlanets = layout.OwnPlanetColumns;
  ready.OtherPlanets = layout.OtherPlanetColumns;
  ready.Unidentified = layout.UnknownPlanetColumns;
  ready.Uninhabited = layout.UninhabitedColumns;
  ready.Groups = layout.GroupColumns;
  ready.GroupMinWordsForDistance = layout.GroupMinWordsForDistance;
  ready.GroupFleetWord = layout.GroupFleetWord;
  return ready;
}

void TReadyTables::Clear() {
  tables_.clear();
  listed_.clear();
  unknown_.clear();
  groups_.clear();
}

const TReadyTables::TTable* TReadyTables::Find(int header, TReadyKind kind) const {
  for (const TTable& table : tables_) {
    if (table.Header == header && table.Kind == kind) return &table;
  }
  return nullptr;
}

void TReadyTables::Read(TZnStrParse& lines, const std::vector<uint64_t>& masks,
                        const std::vector<int>& tabLines, const TReadyLayout& layout) {
  Clear();
  const std::string otherPlanets = " " + layout.OtherPlanetsTitle;
  const std::string ownGroups = "Your" + layout.GroupsTitleSuffix;
  for (const int header : tabLines) {
    const std::string_view line = lines.TokenView(header);
    if (line.size() <= 2) continue;  // no section
    const auto first = std::find_if(line.begin(), line.end(), IsTitleChar);
    const std::string_view title = line.substr(static_cast<size_t>(first - line.begin()));
    const auto read = [&](TReadyKind kind) { ReadTable(lines, masks, header, kind, layout); };
    if (title.starts_with(layout.OwnPlanetsTitle)) read(TReadyKind::OwnPlanets);
    if (title.find(otherPlanets) != std::string_view::npos) read(TReadyKind::OtherPlanets);
    if (title.starts_with(layout.UnidentifiedTitle)) read(TReadyKind::Unidentified);
    if (title.starts_with(layout.UninhabitedTitle)) read(TReadyKind::Uninhabited);
    if (title.find(layout.GroupsTitleSuffix) != std::string_view::npos)
      read(title.starts_with(ownGroups) ? TReadyKind::OwnGroups : TReadyKind::OtherGroups);
  }
}

namespace {

// How many rows on from the last one matched a row is looked for in the memo's table: a few
// planets leave the list between two reports.
constexpr size_t kMemoLookAhead = 5;

}  // namespace

TReadyTables::TTable TReadyTables::ReadTable(TZnStrParse& lines, const std::vector<uint64_t>& masks,
                                             int header, TReadyKind kind,
                                             const TReadyLayout& layout, TTableMemo* memo) {
  const std::string_view text = lines.Text();
  const uint64_t* m = masks.data();
  const int count = lines.Count();
  const bool blind = layout.Type == TGameType::Blind;
  TTable table;
  table.Header = header;
  table.Kind = kind;
  table.FirstRow = FirstTableRow(lines, m, header);
  TReportRow words;
  // Splits the row at `line`; false where the table ends there (IsTableEnd).
  const auto tableRow = [&](int line) {
    if (line >= count) return false;
    const std::string_view view = lines.TokenView(line);
    if (!view.empty() && view[0] == '\t') return false;
    const size_t from = LineStart(lines, view);
    words.Split(text, from, from + view.size(), m);
    return words.Count() > 0;
  };
  switch (kind) {
    case TReadyKind::OwnPlanets:
    case TReadyKind::OtherPlanets: {
      const TPlanetColumns& c =
          kind == TReadyKind::OwnPlanets ? layout.OwnPlanets : layout.OtherPlanets;
      const int32_t numberWord = blind ? c.Name + 1 : c.Number;
      table.First = static_cast<uint32_t>(listed_.size());
      for (int line = table.FirstRow; tableRow(line); ++line) {
        listed_.push_back(ReadListedRow(words, text, c, numberWord, figureCache_));
        if (!listed_.back().Complete) break;
      }
      table.Count = static_cast<uint32_t>(listed_.size()) - table.First;
      break;
    }
    case TReadyKind::Unidentified:
    case TReadyKind::Uninhabited:
      ReadUnknownTable(lines, masks, header, kind, layout, memo, table);
      break;
    case TReadyKind::OwnGroups:
    case TReadyKind::OtherGroups: {
      const bool own = kind == TReadyKind::OwnGroups;
      const int columns = table.FirstRow - 1;
      table.Effective =
          columns > header && columns < count && IsEffectiveHeader(lines.TokenView(columns));
      const TGroupFigureColumns figureColumns{
          layout.Groups, TGroupColumnShift(own, table.Effective, layout.Type), own};
      const int32_t needed = GroupWordsNeeded(layout.Groups, figureColumns.shift, own);
      table.First = static_cast<uint32_t>(groups_.size());
      for (int line = table.FirstRow; tableRow(line); ++line) {
        TReadyGroupRow& row = groups_.emplace_back(
            ReadGroupRowAhead(words, text, layout.Groups, figureColumns.shift, needed,
                              layout.GroupMinWordsForDistance, figureCache_));
        if (row.Fails) break;
        // The figures are read only for the groups that are still there when the reader lets
        // the text go.
        if (!own) continue;
        const std::string_view fleet = words.WordOrEmpty(layout.GroupFleetWord);
        if (HasWord(layout.GroupFleetWord) && !fleet.empty()) row.Fleet = SpanOf(fleet, text);
      }
      table.Count = static_cast<uint32_t>(groups_.size()) - table.First;
      break;
    }
  }
  tables_.push_back(table);
  return table;
}

void TReadyTables::ReadUnknownTable(TZnStrParse& lines, const std::vector<uint64_t>& masks,
                                    int header, TReadyKind kind, const TReadyLayout& layout,
                                    TTableMemo* memo, TTable& table) {
  const std::string_view text = lines.Text();
  const int count = lines.Count();
  const bool uninhabited = kind == TReadyKind::Uninhabited;
  const TUnknownPlanetColumns& c = uninhabited ? layout.Uninhabited : layout.Unidentified;
  const bool numberWord = uninhabited && (layout.Type == TGameType::Blind || layout.PlanetNumbers);
  table.First = static_cast<uint32_t>(unknown_.size());

  // The memo's table of this source, kind and header, and the one this read leaves there.
  std::string key;
  const TTableMemo::TKept* old = nullptr;
  if (memo) {
    const std::string_view headerLine = lines.TokenView(header);
    key.reserve(headerLine.size() + sizeof memo->source_ + 1);
    key.append(reinterpret_cast<const char*>(&memo->source_), sizeof memo->source_);
    key += static_cast<char>(kind);
    key += headerLine;
    const auto found = memo->kept_.find(key);
    if (found != memo->kept_.end()) old = &found->second;
    memo->spare_.lines.clear();
  }
  size_t nextOld = 0;  // the old row after the last one matched
  // The old row with the bytes of `view`; -1 when there is none.
  const auto matchOld = [&](std::string_view view) -> int64_t {
    if (!old) return -1;
    const size_t end = std::min(old->lines.size(), nextOld + kMemoLookAhead);
    for (size_t k = nextOld; k < end; ++k) {
      const TWordSpan s = old->lines[k];
      if (SameBytes(std::string_view(old->bytes.data() + (s.start - old->textAt), s.size), view)) {
        nextOld = k + 1;
        return static_cast<int64_t>(k);
      }
    }
    return -1;
  };

  TReportRow words;
  for (int line = table.FirstRow; line < count; ++line) {
    const std::string_view view = lines.TokenView(line);
    const size_t from = LineStart(lines, view);
    if (const int64_t k = matchOld(view); k >= 0) {
      TUnknownPlanetRow& row = unknown_.emplace_back(old->rows[static_cast<size_t>(k)]);
      if (row.Name.size > 0)
        row.Name.start += static_cast<uint32_t>(from) - old->lines[static_cast<size_t>(k)].start;
    } else {
      words.Split(text, from, from + view.size(), masks.data());
      if (words.Count() < 3 || view[0] == '\t') break;
      unknown_.push_back(ReadUnknownRow(words, text, c, uninhabited, numberWord, figureCache_));
    }
    if (memo)
      memo->spare_.lines.push_back(
          {static_cast<uint32_t>(from), static_cast<uint32_t>(view.size())});
    if (!unknown_.back().Complete) break;
  }
  table.Count = static_cast<uint32_t>(unknown_.size()) - table.First;
  if (!memo) return;
  // The rows as read, with their lines' bytes from the first one's start to the last one's end.
  TTableMemo::TKept& kept = memo->spare_;
  const auto rows = unknown_.begin() + table.First;
  kept.rows.assign(rows, rows + table.Count);
  kept.bytes.clear();
  kept.textAt = 0;
  if (!kept.lines.empty()) {
    kept.textAt = kept.lines.front().start;
    kept.bytes.assign(
        text.substr(kept.textAt, kept.lines.back().start + kept.lines.back().size - kept.textAt));
  }
  std::swap(memo->kept_[std::move(key)], kept);
}

std::vector<TTitleSpan> SortedTitles(TZnStrParse& lines, const std::vector<int>& tabLines) {
  const std::string_view text = lines.Text();
  std::vector<TTitleSpan> titles;
  titles.reserve(tabLines.size());
  for (const int line : tabLines) {
    const std::string_view view = lines.TokenView(line);
    if (view.size() <= 2) continue;
    const auto first = std::find_if(view.begin(), view.end(), IsTitleChar);
    const std::string_view title = view.substr(static_cast<size_t>(first - view.begin()));
    titles.push_back({static_cast<uint32_t>(title.data() - text.data()),
                      static_cast<uint32_t>(title.size()), line});
  }
  // Sorted by their keys first: most titles differ in their first eight bytes.
  for (TTitleSpan& t : titles) t.Key = TitleKey(text.substr(t.Start, t.Size));
  std::sort(titles.begin(), titles.end(), [&](const TTitleSpan& a, const TTitleSpan& b) {
    if (a.Key != b.Key) return a.Key < b.Key;
    const std::string_view x = text.substr(a.Start, a.Size);
    const std::string_view y = text.substr(b.Start, b.Size);
    return x != y ? x < y : a.Line < b.Line;
  });
  return titles;
}

// --- A report made ready ----------------------------------------------------------------------

void TPreparedReport::SetText(std::string text) {
  PrepareReportText(text);
  lines.SetText(std::move(text));
  const std::string_view all = lines.Text();
  masks.resize((all.size() + 63) / 64);
  delimiters.Masks(reinterpret_cast<const unsigned char*>(all.data()), all.size(), masks.data());
  tabLines.clear();
  const int count = lines.Count();
  for (int line = 0; line < count; ++line) {
    const std::string_view view = lines.TokenView(line);
    if (!view.empty() && view[0] == '\t') tabLines.push_back(line);
  }
  titles = SortedTitles(lines, tabLines);
  layout.reset();
  tables.Clear();
}

void TPreparedReport::ReadTables(std::shared_ptr<const TReadyLayout> readyLayout) {
  layout = std::move(readyLayout);
  if (layout) tables.Read(lines, masks, tabLines, *layout);
}

}  // namespace tovix

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
#include <vector>

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

// A report made ready for reading: its text in a line parser (SetUpReportParser), split into
// lines, the lines that begin with a tab, in order, and the masks of the bytes that end words
// (TDelimiterSet::Masks with ReportWordDelimiters), from which a line's words are split.
struct TPreparedReport {
  TPreparedReport() { SetUpReportParser(lines); }
  TPreparedReport(const TPreparedReport&) = delete;
  TPreparedReport& operator=(const TPreparedReport&) = delete;

  // Takes the text (PrepareReportText is applied) and splits it.
  void SetText(std::string text);

  TZnStrParse lines;
  std::vector<int> tabLines;
  std::vector<uint64_t> masks;
  TDelimiterSet delimiters = ReportWordDelimiters();
};

}  // namespace tovix

#pragma once
// TZnStrParse: splits one text into tokens on demand, either into lines (line mode), into fields
// at single delimiters, or into words at runs of delimiters (merge mode). The report reader
// holds a whole turn report in one parser in line mode and reads the words of one line at a
// time through its child parser.
//
// Splitting is lazy: setting the text or changing a setting only forgets the tokens, and the
// next question splits again. Tokens are kept as 1-based spans into the text, so counting and
// TokenView copy nothing; Token copies one token out.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

// Prepares a loaded report for line mode, which ends lines only at CR LF: a lone LF or a lone
// CR becomes CR LF, so LF, CR and CR LF files split into the same lines. A UTF-8 no-break
// space (C2 A0) and then a lone no-break space (A0) become one blank each, as the report tables
// are aligned with blanks.
void NormalizeLineEnds(std::string& text);
// Only the no-break spaces of NormalizeLineEnds: C2 A0, then a lone A0, become one blank each,
// in place; line ends stay as they are (for a parser that ends lines at any of them).
void NormalizeNoBreakSpaces(std::string& text);

// The bytes that end a word or field. Besides the table it keeps, when the set is "every byte
// up to some value, plus at most eight others" (the report words' set is), that rule, with
// which Mask tests 16 bytes at a time.
class TDelimiterSet {
 public:
  bool operator[](unsigned char c) const { return table_[c]; }
  void Set(unsigned char c, bool on) {
    if (table_[c] == on) return;
    table_[c] = on;
    ruleKnown_ = false;
  }
  void Clear();
  bool operator==(const TDelimiterSet& other) const;
  // For each block of 64 bytes of the `len` bytes at p, in order, a mask whose bit i is set when
  // byte i of the block is a delimiter; past the last byte the bits are set too. `out` receives
  // (len + 63) / 64 masks.
  void Masks(const unsigned char* p, size_t len, uint64_t* out) const;

 private:
  void FindRule() const;

  bool table_[256] = {};
  // The rule, worked out on the first Mask after a change.
  mutable bool ruleKnown_ = false;
  mutable int upTo_ = -1;  // every byte up to this one is a delimiter (-1: none)
  mutable unsigned char others_[8] = {};
  mutable int otherCount_ = -1;  // -1: the set follows no such rule
};

// A word of a text: its offset and length.
struct TWordSpan {
  uint32_t start;
  uint32_t size;
};

// The words of bytes [from, to) of a text, from the text's delimiter masks (TDelimiterSet::Masks
// over the whole text: bit i of masks[b] is set when byte 64 * b + i is a delimiter): the runs
// of bytes that are no delimiters, as offsets into the text. Writes the first `capacity` of them
// to `out` and returns how many there are, so that a caller with too small an array can ask
// again with a larger one.
size_t SplitWords(const uint64_t* masks, size_t from, size_t to, TWordSpan* out, size_t capacity);
// Whether bytes [from, to) hold a word.
bool HoldsWord(const uint64_t* masks, size_t from, size_t to);

class TZnStrParse {
 public:
  // Empty text, line mode on (the delimiter table holds only CR and LF). A parser made by
  // CreateSubParser gets its parent here.
  explicit TZnStrParse(TZnStrParse* parent = nullptr);
  ~TZnStrParse();
  TZnStrParse(const TZnStrParse&) = delete;
  TZnStrParse& operator=(const TZnStrParse&) = delete;

  // Stores the text and forgets the tokens, unless it equals the current text.
  void SetText(std::string_view text);
  void SetText(std::string&& text);
  void SetText(const char* text) { SetText(std::string_view(text)); }
  std::string_view Text() const { return text_; }
  // Hands the text over, leaving the parser empty: a text whose words are still referred to
  // after the parser moved on.
  std::string ReleaseText();
  // Takes `source`'s text, and its tokens when it split them with the same settings, leaving
  // `source` empty: a text split on another thread is handed over without splitting it again.
  void TakeText(TZnStrParse& source);

  // One flag of the delimiter table; a change forgets the tokens.
  void SetDelimiter(unsigned char c, bool on);
  bool IsDelimiter(unsigned char c) const { return delimiters_[c]; }
  const TDelimiterSet& Delimiters() const { return delimiters_; }
  // On: the table becomes just CR and LF and merge mode goes off. Lines end only at CR LF,
  // unless SetAnyLineEnd says otherwise.
  void SetLineMode(bool on);
  bool LineMode() const { return lineMode_; }
  // In line mode, on: a lone CR and a lone LF end a line as CR LF does, so that a text of any
  // line-end style splits into the lines NormalizeLineEnds would give it, without copying it.
  // Off (the default): only CR LF ends a line.
  void SetAnyLineEnd(bool on);
  bool AnyLineEnd() const { return anyLineEnd_; }
  // On: runs of delimiters separate words and leading ones are skipped; turns line mode off.
  void SetMergeDelimiters(bool on);
  bool MergeDelimiters() const { return mergeDelimiters_; }

  int Count() {
    if (!parsed_) Split();
    return static_cast<int>(tokens_.size());
  }
  // Token `index` (0-based; -1 is the last). An index at or beyond Count, or below -Count,
  // raises EParseError "Index out of bounds" and changes nothing.
  std::string Token(int index);
  // The same without a copy; valid until the text changes.
  std::string_view TokenView(int index) { return View(tokens_[Resolve(index)]); }
  // The index of the token that begins at `offset` of Text(), -1 when none does.
  int TokenStartingAt(size_t offset);
  // The first run of digits in the token (0 when none).
  int32_t TokenAsInt(int index);
  // The token as a number ("." as decimal separator); 0 when it is not one. The error code
  // (0 on success, else the 1-based position of the first bad character) is kept.
  double TokenAsFloat(int index);
  int32_t LastConversionError() const { return conversionError_; }

  // The child parser, created on the first call with the option letters: "C"/"c" line mode,
  // "S"/"s" merge mode; other letters are ignored. Later calls return the same child. Either
  // way the next SubParser call loads its token again.
  TZnStrParse& CreateSubParser(std::string_view options);
  // The child loaded with token `index` (as Token counts); it is split again only when a
  // different token is asked for than last time. Creates a plain child when there is none.
  TZnStrParse& SubParser(int index);
  TZnStrParse* Parent() const { return parent_; }

 private:
  // Token as a 1-based inclusive span; start > end is an empty token.
  struct Span {
    uint32_t start;
    uint32_t end;
  };

  void ForgetTokens();
  void Split();
  void SplitLines();
  void SplitLinesAtAnyEnd();
  void SplitFields();
  void SplitWords();
  size_t Resolve(int index) {
    int count = Count();
    if (index < 0) index += count;
    if (index < 0 || index >= count) ThrowIndexError();
    return static_cast<size_t>(index);
  }
  [[noreturn]] static void ThrowIndexError();
  std::string_view View(const Span& s) const {
    return text_.substr(s.start - 1, s.end + 1 - s.start);
  }
  // Points the text at a token of the parent without copying it.
  void Borrow(std::string_view text);
  void TextReplacedByCaller();

  std::string own_;        // the text when it was given to this parser
  std::string_view text_;  // own_, or a token of the parent's text
  bool borrowed_ = false;
  TDelimiterSet delimiters_;
  bool lineMode_ = true;
  bool anyLineEnd_ = false;
  bool mergeDelimiters_ = false;
  std::vector<Span> tokens_;
  bool parsed_ = false;
  std::unique_ptr<TZnStrParse> child_;
  int subIndex_ = -1;  // token last loaded into the child
  TZnStrParse* parent_;
  int32_t conversionError_ = 0;
};

}  // namespace tovix

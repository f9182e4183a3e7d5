#include "core/reports/report_rows.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "core/base/errors.h"

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
  const char* const end = p + word.size();
  while (p != end && *p != '-' && (*p < '0' || *p > '9')) ++p;
  if (p == end) return 0;
  const bool negative = *p == '-';
  if (negative) ++p;
  // Eighteen digits cannot overflow; a longer run is past the limit anyway.
  constexpr uint64_t kLimit = std::numeric_limits<int32_t>::max();
  uint64_t value = 0;
  int digits = 0;
  for (; p != end; ++p) {
    if (*p == '.') continue;
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*p) - '0');
    if (digit > 9) break;
    value = value * 10 + digit;
    if (++digits > 18) value = kLimit;
  }
  const auto limited = static_cast<int32_t>(std::min(value, kLimit));
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
  throw EParseError("Index out of bounds");
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
}

}  // namespace tovix

#include "core/str_parse.h"

#include <bit>
#include <cstring>
#include <limits>

#include "core/errors.h"
#include "core/numbers.h"
#include "core/str_utils.h"

namespace tovix {

namespace {

constexpr unsigned char kCR = 13;
constexpr unsigned char kLF = 10;
constexpr unsigned char kC2 = 0xC2;
constexpr unsigned char kNoBreakSpace = 0xA0;

// Spans are 32-bit; a longer text is refused rather than split wrongly.
constexpr size_t kMaxText = std::numeric_limits<int32_t>::max() - 1;

void CheckLength(size_t n) {
  if (n > kMaxText) throw EParseError("Text too long");
}

}  // namespace

void NormalizeLineEnds(std::string& text) {
  const size_t n = text.size();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  size_t extra = 0;
  bool nbsp = false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = s[i];
    if (c == kLF) {
      if (i == 0 || s[i - 1] != kCR) ++extra;
    } else if (c == kCR) {
      if (i + 1 == n || s[i + 1] != kLF) ++extra;
    } else if (c == kNoBreakSpace) {
      nbsp = true;
    }
  }
  if (extra == 0 && !nbsp) return;

  std::string out;
  out.reserve(n + extra);
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = s[i];
    if (c == kCR) {
      out += "\r\n";
      if (i + 1 < n && s[i + 1] == kLF) ++i;
    } else if (c == kLF) {
      out += "\r\n";
    } else if (c == kC2 && i + 1 < n && s[i + 1] == kNoBreakSpace) {
      // The UTF-8 form first, or its lead byte would stay behind as a stray character.
      out += ' ';
      ++i;
    } else if (c == kNoBreakSpace) {
      out += ' ';
    } else {
      out += static_cast<char>(c);
    }
  }
  text.swap(out);
}

TZnStrParse::TZnStrParse(TZnStrParse* parent) : parent_(parent) {
  delimiters_[kCR] = true;
  delimiters_[kLF] = true;
}

TZnStrParse::~TZnStrParse() = default;

void TZnStrParse::ForgetTokens() {
  parsed_ = false;
  subIndex_ = -1;
  // A child still looking at one of our tokens would see old words, or freed text, once our
  // text or splitting changes. Empty it; the next SubParser call loads it again.
  if (child_ && child_->borrowed_) {
    child_->borrowed_ = false;
    child_->text_ = std::string_view();
    child_->ForgetTokens();
  }
}

void TZnStrParse::TextReplacedByCaller() {
  // The parent's cached index no longer describes what this child holds.
  if (parent_ && parent_->child_.get() == this) parent_->subIndex_ = -1;
}

void TZnStrParse::SetText(std::string_view text) {
  if (text == text_) return;
  CheckLength(text.size());
  std::string copy(text);  // text may point into own_
  own_.swap(copy);
  text_ = own_;
  borrowed_ = false;
  ForgetTokens();
  TextReplacedByCaller();
}

void TZnStrParse::SetText(std::string&& text) {
  if (std::string_view(text) == text_) return;
  CheckLength(text.size());
  own_ = std::move(text);
  text_ = own_;
  borrowed_ = false;
  ForgetTokens();
  TextReplacedByCaller();
}

void TZnStrParse::Borrow(std::string_view text) {
  // Only called for a different token, so no comparison with the old text: splitting a line
  // again is cheaper than comparing it.
  text_ = text;
  borrowed_ = true;
  own_.clear();
  ForgetTokens();
}

void TZnStrParse::SetDelimiter(unsigned char c, bool on) {
  if (delimiters_[c] == on) return;
  delimiters_[c] = on;
  ForgetTokens();
}

void TZnStrParse::SetLineMode(bool on) {
  lineMode_ = on;
  if (on) {
    std::memset(delimiters_, 0, sizeof delimiters_);
    delimiters_[kCR] = true;
    delimiters_[kLF] = true;
    mergeDelimiters_ = false;
  }
  ForgetTokens();
}

void TZnStrParse::SetMergeDelimiters(bool on) {
  if (mergeDelimiters_ == on) return;
  mergeDelimiters_ = on;
  if (on) lineMode_ = false;
  ForgetTokens();
}

void TZnStrParse::Split() {
  tokens_.clear();
  if (lineMode_) {
    SplitLines();
  } else if (mergeDelimiters_) {
    SplitWords();
  } else {
    SplitFields();
  }
  parsed_ = true;
}

// A line ends only at CR LF; a lone CR or LF stays inside it. A text ending in CR LF has no
// empty last line.
void TZnStrParse::SplitLines() {
  const char* s = text_.data();
  const size_t n = text_.size();
  size_t start = 0;
  while (start < n) {
    size_t end = n;
    size_t next = n;
    size_t from = start + 1;
    while (from < n) {
      const void* hit = std::memchr(s + from, kLF, n - from);
      if (!hit) break;
      size_t lf = static_cast<size_t>(static_cast<const char*>(hit) - s);
      if (static_cast<unsigned char>(s[lf - 1]) == kCR) {
        end = lf - 1;
        next = lf + 1;
        break;
      }
      from = lf + 1;
    }
    tokens_.push_back({static_cast<uint32_t>(start + 1), static_cast<uint32_t>(end)});
    start = next;
  }
}

// Every delimiter ends a field, so two in a row give an empty one; a delimiter at the very end
// gives no empty last field.
void TZnStrParse::SplitFields() {
  const auto* s = reinterpret_cast<const unsigned char*>(text_.data());
  const size_t n = text_.size();
  size_t start = 0;
  while (start < n) {
    size_t i = start;
    while (i < n && !delimiters_[s[i]]) ++i;
    tokens_.push_back({static_cast<uint32_t>(start + 1), static_cast<uint32_t>(i)});
    start = i + 1;
  }
}

// Runs of delimiters separate words; leading and trailing runs give nothing. Works on blocks
// of 64 bytes: one bit per byte marks the word bytes, and the words begin and end where that
// bit changes, so the report's long runs of column blanks cost no branch per byte.
void TZnStrParse::SplitWords() {
  const auto* s = reinterpret_cast<const unsigned char*>(text_.data());
  const size_t n = text_.size();
  bool inWord = false;
  size_t wordStart = 0;
  for (size_t base = 0; base < n; base += 64) {
    const size_t len = n - base < 64 ? n - base : 64;
    uint64_t delim = 0;
    for (size_t i = 0; i < len; ++i) delim |= uint64_t(delimiters_[s[base + i]]) << i;
    if (len < 64) delim |= ~uint64_t(0) << len;  // past the end counts as a delimiter
    const uint64_t word = ~delim;
    uint64_t changes = word ^ ((word << 1) | (inWord ? 1u : 0u));
    while (changes != 0) {
      const int bit = std::countr_zero(changes);
      if ((word >> bit) & 1) {
        wordStart = base + static_cast<size_t>(bit);
      } else {
        tokens_.push_back({static_cast<uint32_t>(wordStart + 1),
                           static_cast<uint32_t>(base + static_cast<size_t>(bit))});
      }
      changes &= changes - 1;
    }
    inWord = (word >> 63) & 1;
  }
  if (inWord) tokens_.push_back({static_cast<uint32_t>(wordStart + 1), static_cast<uint32_t>(n)});
}

void TZnStrParse::ThrowIndexError() {
  throw EParseError("Index out of bounds");
}

std::string TZnStrParse::Token(int index) {
  return std::string(TokenView(index));
}

int32_t TZnStrParse::TokenAsInt(int index) {
  return FirstIntInStr(TokenView(index));
}

double TZnStrParse::TokenAsFloat(int index) {
  std::string_view token = TokenView(index);
  double value = 0;
  int errorPos = 0;
  if (TryParseFloat(token, value, &errorPos)) {
    conversionError_ = 0;
    return value;
  }
  conversionError_ = errorPos > 0 ? errorPos : 1;
  return 0;
}

TZnStrParse& TZnStrParse::CreateSubParser(std::string_view options) {
  if (!child_) {
    child_ = std::make_unique<TZnStrParse>(this);
    for (char c : options) {
      if (c == 'C' || c == 'c') child_->SetLineMode(true);
      if (c == 'S' || c == 's') child_->SetMergeDelimiters(true);
    }
  }
  subIndex_ = -1;
  return *child_;
}

TZnStrParse& TZnStrParse::SubParser(int index) {
  size_t i = Resolve(index);
  if (!child_) CreateSubParser({});
  if (static_cast<int>(i) != subIndex_) {
    child_->Borrow(View(tokens_[i]));
    subIndex_ = static_cast<int>(i);
  }
  return *child_;
}

}  // namespace tovix

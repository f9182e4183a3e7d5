#include "core/text/str_parse.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TOVIX_AVX2_PATHS 1
#include <immintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>

#include "core/base/errors.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"

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

// Position of the first byte `c` in text[from, n), or n.
size_t FindByte(const char* s, size_t from, size_t n, unsigned char c) {
  if (from >= n) return n;
  const void* hit = std::memchr(s + from, c, n - from);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - s) : n;
}

// True when the text holds a byte the normalisation changes: a no-break space, or a CR or LF
// that is not part of a CR LF pair. Reports written with CR LF pass unchanged and uncopied.
bool NeedsNormalizing(const char* s, size_t n) {
  if (FindByte(s, 0, n, kNoBreakSpace) < n) return true;
  for (size_t lf = FindByte(s, 0, n, kLF); lf < n; lf = FindByte(s, lf + 1, n, kLF)) {
    if (lf == 0 || static_cast<unsigned char>(s[lf - 1]) != kCR) return true;
  }
  for (size_t cr = FindByte(s, 0, n, kCR); cr < n; cr = FindByte(s, cr + 1, n, kCR)) {
    if (cr + 1 == n || static_cast<unsigned char>(s[cr + 1]) != kLF) return true;
  }
  return false;
}

// Appends the words of text[from, to) to `words`: runs of bytes that are no delimiters.
// Works on blocks of 64 bytes: one bit per byte marks the word bytes, and the words begin and
// end where that bit changes, so the report's long runs of column blanks cost no branch per
// byte.
template <class Emit>
void ForEachWord(const TDelimiterSet& delimiters, const char* text, size_t from, size_t to,
                 Emit&& emit) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  constexpr size_t kBlocks = 64;  // masks made at a time
  uint64_t masks[kBlocks];
  bool inWord = false;
  size_t wordStart = from;
  for (size_t chunk = from; chunk < to; chunk += kBlocks * 64) {
    const size_t len = std::min(to - chunk, kBlocks * 64);
    delimiters.Masks(s + chunk, len, masks);
    for (size_t b = 0; b * 64 < len; ++b) {
      const size_t base = chunk + b * 64;
      const uint64_t word = ~masks[b];
      uint64_t changes = word ^ ((word << 1) | (inWord ? 1u : 0u));
      while (changes != 0) {
        const int bit = std::countr_zero(changes);
        if ((word >> bit) & 1) {
          wordStart = base + static_cast<size_t>(bit);
        } else {
          emit(wordStart, base + static_cast<size_t>(bit));
        }
        changes &= changes - 1;
      }
      inWord = (word >> 63) & 1;
    }
  }
  if (inWord) emit(wordStart, to);
}

}  // namespace

void NormalizeLineEnds(std::string& text) {
  const size_t n = text.size();
  const char* s = text.data();
  if (!NeedsNormalizing(s, n)) return;

  // The text between two bytes of interest (CR, LF, no-break space) is copied in one piece;
  // the next position of each of the three is kept and searched again once passed.
  std::string out;
  out.reserve(n + n / 16 + 16);
  size_t nextCR = FindByte(s, 0, n, kCR);
  size_t nextLF = FindByte(s, 0, n, kLF);
  size_t nextNbsp = FindByte(s, 0, n, kNoBreakSpace);
  size_t copied = 0;  // text[0, copied) is done
  while (copied < n) {
    const size_t at = std::min({nextCR, nextLF, nextNbsp});
    out.append(s + copied, at - copied);
    if (at == n) break;
    if (at == nextNbsp) {
      // The UTF-8 form (C2 A0) is one blank too, or its lead byte would stay behind as a
      // stray character. Its C2 is the last byte copied: no other byte of interest is C2.
      if (at > copied && static_cast<unsigned char>(s[at - 1]) == kC2) {
        out.back() = ' ';
      } else {
        out += ' ';
      }
      copied = at + 1;
      nextNbsp = FindByte(s, copied, n, kNoBreakSpace);
    } else {
      // A CR, an LF or a CR LF pair: one CR LF.
      out += "\r\n";
      copied = at + 1;
      if (at == nextCR && copied < n && static_cast<unsigned char>(s[copied]) == kLF) ++copied;
      // Only a position passed is searched again: a file without any CR is not searched
      // for one at every line.
      if (nextCR < copied) nextCR = FindByte(s, copied, n, kCR);
      if (nextLF < copied) nextLF = FindByte(s, copied, n, kLF);
    }
  }
  text.swap(out);
}

void NormalizeNoBreakSpaces(std::string& text) {
  const size_t n = text.size();
  if (FindByte(text.data(), 0, n, kNoBreakSpace) == n) return;
  // The text only shrinks: each no-break space is written back as one blank, and the runs
  // between them move down over the C2 bytes dropped.
  size_t write = 0;
  size_t read = 0;
  while (read < n) {
    const size_t next = FindByte(text.data(), read, n, kNoBreakSpace);
    if (write != read) std::memmove(text.data() + write, text.data() + read, next - read);
    write += next - read;
    if (next == n) break;
    // The UTF-8 form (C2 A0) is one blank: its C2 ended the run just written. (The byte
    // before the A0 still holds its first value: the runs only move down.)
    if (next > read && static_cast<unsigned char>(text[next - 1]) == kC2) {
      text[write - 1] = ' ';
    } else {
      text[write++] = ' ';
    }
    read = next + 1;
  }
  text.resize(write);
}

void TDelimiterSet::Clear() {
  std::memset(table_, 0, sizeof table_);
  ruleKnown_ = false;
}

bool TDelimiterSet::operator==(const TDelimiterSet& other) const {
  return std::equal(std::begin(table_), std::end(table_), std::begin(other.table_));
}

void TDelimiterSet::FindRule() const {
  upTo_ = -1;
  while (upTo_ < 255 && table_[upTo_ + 1]) ++upTo_;
  otherCount_ = 0;
  for (int c = upTo_ + 1; c < 256; ++c) {
    if (!table_[c]) continue;
    if (otherCount_ == static_cast<int>(sizeof others_)) {
      otherCount_ = -1;
      break;
    }
    others_[otherCount_++] = static_cast<unsigned char>(c);
  }
  ruleKnown_ = true;
}

#if defined(TOVIX_AVX2_PATHS)
namespace {

// Whether the processor runs AVX2 code; asked once.
bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// The masks of TDelimiterSet::Masks for the whole blocks of 64 bytes, 32 bytes at a time, where
// the set is "every byte up to upTo, plus the otherCount bytes others"; returns the bytes done.
__attribute__((target("avx2"))) size_t DelimiterMasksAvx2(const unsigned char* p, size_t len,
                                                          uint64_t* out, int upTo,
                                                          const unsigned char* others,
                                                          int otherCount) {
  const bool low = upTo >= 0;
  const __m256i limit = _mm256_set1_epi8(static_cast<char>(low ? upTo : 0));
  __m256i other[8];
  for (int k = 0; k < otherCount; ++k) other[k] = _mm256_set1_epi8(static_cast<char>(others[k]));
  size_t i = 0;
  for (; i + 64 <= len; i += 64) {
    uint64_t mask = 0;
    for (int half = 0; half < 2; ++half) {
      const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32 * half));
      __m256i hit =
          low ? _mm256_cmpeq_epi8(_mm256_max_epu8(x, limit), limit) : _mm256_setzero_si256();
      for (int k = 0; k < otherCount; ++k)
        hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(x, other[k]));
      mask |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(hit))} << (32 * half);
    }
    *out++ = mask;
  }
  return i;
}

// For each whole block of 64 bytes, the bits of its CR and LF bytes, passed to lineEnds(block
// start, bits); returns the bytes done.
template <class LineEnds>
__attribute__((target("avx2"))) size_t LineEndBitsAvx2(const unsigned char* s, size_t n,
                                                       LineEnds&& lineEnds) {
  const __m256i cr = _mm256_set1_epi8(static_cast<char>(kCR));
  const __m256i lf = _mm256_set1_epi8(static_cast<char>(kLF));
  size_t block = 0;
  for (; block + 64 <= n; block += 64) {
    const __m256i x0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + block));
    const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + block + 32));
    const auto low = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(x0, cr), _mm256_cmpeq_epi8(x0, lf))));
    const auto high = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(x1, cr), _mm256_cmpeq_epi8(x1, lf))));
    lineEnds(block, uint64_t{low} | uint64_t{high} << 32);
  }
  return block;
}

}  // namespace
#endif

void TDelimiterSet::Masks(const unsigned char* p, size_t len, uint64_t* out) const {
  if (!ruleKnown_) FindRule();
  size_t i = 0;
#if defined(TOVIX_AVX2_PATHS)
  if (otherCount_ >= 0 && HasAvx2()) {
    i = DelimiterMasksAvx2(p, len, out, upTo_, others_, otherCount_);
    out += i / 64;
  }
#endif
#if defined(__SSE2__)
  if (otherCount_ >= 0) {
    // Unsigned "x <= upTo": max(x, upTo) == upTo. With no such bytes (upTo -1) nothing is.
    const bool low = upTo_ >= 0;
    const __m128i limit = _mm_set1_epi8(static_cast<char>(low ? upTo_ : 0));
    __m128i other[sizeof others_];
    for (int k = 0; k < otherCount_; ++k) other[k] = _mm_set1_epi8(static_cast<char>(others_[k]));
    const auto sixteen = [&](const unsigned char* q) -> uint64_t {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
      __m128i hit = low ? _mm_cmpeq_epi8(_mm_max_epu8(x, limit), limit) : _mm_setzero_si128();
      switch (otherCount_) {
        case 8:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[7]));
          [[fallthrough]];
        case 7:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[6]));
          [[fallthrough]];
        case 6:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[5]));
          [[fallthrough]];
        case 5:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[4]));
          [[fallthrough]];
        case 4:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[3]));
          [[fallthrough]];
        case 3:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[2]));
          [[fallthrough]];
        case 2:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[1]));
          [[fallthrough]];
        case 1:
          hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, other[0]));
          [[fallthrough]];
        default:
          break;
      }
      return static_cast<uint16_t>(_mm_movemask_epi8(hit));
    };
    for (; i + 64 <= len; i += 64) {
      const unsigned char* q = p + i;
      *out++ = sixteen(q) | sixteen(q + 16) << 16 | sixteen(q + 32) << 32 | sixteen(q + 48) << 48;
    }
  }
#endif
  for (; i < len; i += 64) {
    const size_t n = len - i < 64 ? len - i : 64;
    const unsigned char* q = p + i;
    uint64_t mask = 0;
    size_t k = 0;
    // Eight bytes at a time with fixed shifts: the eight look-ups do not wait for each other.
    for (; k + 8 <= n; k += 8) {
      const uint64_t eight = uint64_t(table_[q[k]]) | uint64_t(table_[q[k + 1]]) << 1 |
                             uint64_t(table_[q[k + 2]]) << 2 | uint64_t(table_[q[k + 3]]) << 3 |
                             uint64_t(table_[q[k + 4]]) << 4 | uint64_t(table_[q[k + 5]]) << 5 |
                             uint64_t(table_[q[k + 6]]) << 6 | uint64_t(table_[q[k + 7]]) << 7;
      mask |= eight << k;
    }
    for (; k < n; ++k) mask |= uint64_t(table_[q[k]]) << k;
    if (n < 64) mask |= ~uint64_t(0) << n;  // past the end counts as a delimiter
    *out++ = mask;
  }
}

TZnStrParse::TZnStrParse(TZnStrParse* parent) : parent_(parent) {
  delimiters_.Set(kCR, true);
  delimiters_.Set(kLF, true);
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

void TZnStrParse::TakeText(TZnStrParse& source) {
  if (&source == this) return;
  CheckLength(source.text_.size());
  own_ = source.borrowed_ ? std::string(source.text_) : std::move(source.own_);
  text_ = own_;
  borrowed_ = false;
  ForgetTokens();
  TextReplacedByCaller();
  const bool sameSplit =
      source.parsed_ && source.lineMode_ == lineMode_ && source.anyLineEnd_ == anyLineEnd_ &&
      source.mergeDelimiters_ == mergeDelimiters_ && source.delimiters_ == delimiters_;
  if (sameSplit) {
    // Spans count from the start of the text, which moved whole.
    tokens_ = std::move(source.tokens_);
    parsed_ = true;
  }
  source.own_.clear();
  source.text_ = std::string_view();
  source.borrowed_ = false;
  source.tokens_.clear();
  source.ForgetTokens();
  source.TextReplacedByCaller();
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
  delimiters_.Set(c, on);
  ForgetTokens();
}

void TZnStrParse::SetLineMode(bool on) {
  lineMode_ = on;
  if (on) {
    delimiters_.Clear();
    delimiters_.Set(kCR, true);
    delimiters_.Set(kLF, true);
    mergeDelimiters_ = false;
  }
  ForgetTokens();
}

void TZnStrParse::SetAnyLineEnd(bool on) {
  if (anyLineEnd_ == on) return;
  anyLineEnd_ = on;
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
    if (anyLineEnd_) {
      SplitLinesAtAnyEnd();
    } else {
      SplitLines();
    }
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

// CR LF, a lone CR and a lone LF each end a line; as with CR LF alone, a text ending in a line
// end has no empty last line. The line ends are found 64 bytes at a time as bits, so that a line
// costs a few instructions rather than a search of its own.
void TZnStrParse::SplitLinesAtAnyEnd() {
  const auto* s = reinterpret_cast<const unsigned char*>(text_.data());
  const size_t n = text_.size();
  tokens_.reserve(n / 32 + 1);
  size_t start = 0;
  const auto lineEnd = [&](size_t at) {
    if (at < start) return;  // the LF of a CR LF
    tokens_.push_back({static_cast<uint32_t>(start + 1), static_cast<uint32_t>(at)});
    start = at + 1;
    if (s[at] == kCR && start < n && s[start] == kLF) ++start;
  };
  size_t block = 0;
#if defined(TOVIX_AVX2_PATHS)
  if (HasAvx2()) {
    block = LineEndBitsAvx2(s, n, [&](size_t at, uint64_t ends) {
      for (; ends != 0; ends &= ends - 1) lineEnd(at + static_cast<size_t>(std::countr_zero(ends)));
    });
  }
#endif
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCR));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLF));
  const auto ends16 = [&](const unsigned char* q) -> uint64_t {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    return static_cast<uint16_t>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf))));
  };
  for (; block + 64 <= n; block += 64) {
    const unsigned char* q = s + block;
    uint64_t ends = ends16(q) | ends16(q + 16) << 16 | ends16(q + 32) << 32 | ends16(q + 48) << 48;
    for (; ends != 0; ends &= ends - 1)
      lineEnd(block + static_cast<size_t>(std::countr_zero(ends)));
  }
#endif
  for (size_t at = block; at < n; ++at) {
    if (s[at] == kCR || s[at] == kLF) lineEnd(at);
  }
  if (start < n) {
    tokens_.push_back({static_cast<uint32_t>(start + 1), static_cast<uint32_t>(n)});
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

// Runs of delimiters separate words; leading and trailing runs give nothing.
void TZnStrParse::SplitWords() {
  ForEachWord(delimiters_, text_.data(), 0, text_.size(), [&](size_t start, size_t end) {
    tokens_.push_back({static_cast<uint32_t>(start + 1), static_cast<uint32_t>(end)});
  });
}

namespace {

// The 64 delimiter bits of bytes [at, at + 64) of a text; bits past `to` are set.
uint64_t DelimiterBits(const uint64_t* masks, size_t at, size_t to) {
  const size_t block = at / 64;
  const unsigned shift = at % 64;
  uint64_t bits = masks[block] >> shift;
  // The next block holds the rest; it exists when the bytes reach into it.
  if (shift != 0 && at + (64 - shift) < to) bits |= masks[block + 1] << (64 - shift);
  if (to - at < 64) bits |= ~uint64_t(0) << (to - at);
  return bits;
}

}  // namespace

size_t SplitWords(const uint64_t* masks, size_t from, size_t to, TWordSpan* out, size_t capacity) {
  // Per 64 bytes the bits where words start and where they end; the k-th end closes the k-th
  // word, and a word still open at `to` ends there.
  size_t started = 0;
  size_t ended = 0;
  uint64_t carry = 0;  // 1 when the byte before belongs to a word
  for (size_t at = from; at < to; at += 64) {
    const uint64_t word = ~DelimiterBits(masks, at, to);
    const uint64_t before = (word << 1) | carry;
    carry = word >> 63;
    const auto base = static_cast<uint32_t>(at);
    uint64_t starts = word & ~before;
    uint64_t ends = ~word & before;
    if (started + 32 <= capacity) {  // a block holds 32 words at most
      for (; starts != 0; starts &= starts - 1)
        out[started++].start = base + static_cast<uint32_t>(std::countr_zero(starts));
      for (; ends != 0; ends &= ends - 1, ++ended)
        out[ended].size = base + static_cast<uint32_t>(std::countr_zero(ends)) - out[ended].start;
      continue;
    }
    for (; starts != 0; starts &= starts - 1, ++started) {
      if (started < capacity)
        out[started].start = base + static_cast<uint32_t>(std::countr_zero(starts));
    }
    for (; ends != 0; ends &= ends - 1, ++ended) {
      if (ended < capacity)
        out[ended].size = base + static_cast<uint32_t>(std::countr_zero(ends)) - out[ended].start;
    }
  }
  if (ended < started && ended < capacity)
    out[ended].size = static_cast<uint32_t>(to) - out[ended].start;
  return started;
}

bool HoldsWord(const uint64_t* masks, size_t from, size_t to) {
  for (size_t at = from; at < to; at += 64) {
    if (~DelimiterBits(masks, at, to) != 0) return true;
  }
  return false;
}

std::string TZnStrParse::ReleaseText() {
  std::string text = borrowed_ ? std::string(text_) : std::move(own_);
  own_.clear();
  text_ = std::string_view();
  borrowed_ = false;
  tokens_.clear();
  ForgetTokens();
  TextReplacedByCaller();
  return text;
}

void TZnStrParse::ThrowIndexError() {
  throw EParseError("Index out of bounds");
}

int TZnStrParse::TokenStartingAt(size_t offset) {
  Count();
  const auto it = std::lower_bound(tokens_.begin(), tokens_.end(), offset + 1,
                                   [](const Span& s, size_t start) { return s.start < start; });
  if (it == tokens_.end() || it->start != offset + 1) return -1;
  return static_cast<int>(it - tokens_.begin());
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
  if (TryParseShortDecimal(token, value)) {
    conversionError_ = 0;
    return value;
  }
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

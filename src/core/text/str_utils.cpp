#include "core/text/str_utils.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace tovix {

namespace {

using CharTable = std::array<bool, 256>;

inline unsigned char U(char c) {
  return static_cast<unsigned char>(c);
}

inline bool IsTrimmed(char c) {
  return U(c) <= 32;
}

// Flags of the characters in `chars`; with `bothCases` each letter's other case as well.
CharTable MakeTable(std::string_view chars, bool bothCases) {
  CharTable t{};
  for (char c : chars) {
    t[U(c)] = true;
    if (bothCases) {
      t[U(UpCase(c))] = true;
      t[U(LoCase(c))] = true;
    }
  }
  return t;
}

// Shared argument rules of the ScanCharSet family. Returns the 0-based start, or npos when the
// scan must give 0 at once.
size_t ScanStart(std::string_view s, std::string_view chars, int start) {
  if (s.empty() || chars.empty() || chars.size() > 256 || start == 0) return std::string_view::npos;
  // |start| as unsigned: -INT_MIN does not fit in int.
  uint64_t a = start < 0 ? uint64_t(-int64_t(start)) : uint64_t(start);
  if (a > s.size()) return std::string_view::npos;
  return static_cast<size_t>(a - 1);
}

// 0-based index of the first character of `t` at or after `from` outside double quotes, or
// npos. A quote toggles the quoted state and is never itself a match.
size_t FindUnquoted(std::string_view s, const CharTable& t, size_t from) {
  bool quoted = false;
  for (size_t i = from; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && t[U(c)]) {
      return i;
    }
  }
  return std::string_view::npos;
}

inline int Pos(size_t index) {
  return static_cast<int>(index + 1);
}

}  // namespace

// --- Case and trimming ---------------------------------------------------------------------

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpCase(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LoCase(c);
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = U(UpCase(a[i]));
    int cb = U(UpCase(b[i]));
    if (ca != cb) return ca - cb;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpCase(a[i]) != UpCase(b[i])) return false;
  }
  return true;
}

std::string_view TrimView(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && IsTrimmed(s[b])) ++b;
  while (e > b && IsTrimmed(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Trim(std::string_view s) {
  return std::string(TrimView(s));
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsTrimmed(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsTrimmed(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

// --- Numbers -------------------------------------------------------------------------------

int32_t FirstIntInStr(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] < '0' || s[i] > '9')) ++i;
  int64_t v = 0;
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > kMax) return static_cast<int32_t>(kMax);
  }
  return static_cast<int32_t>(v);
}

std::string UIntToStr(uint64_t n) {
  char buf[24];
  size_t p = sizeof buf;
  do {
    buf[--p] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  return std::string(buf + p, sizeof buf - p);
}

std::string CardToStr(uint32_t n) {
  return UIntToStr(n);
}

bool IsAllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if ((c < '0' || c > '9') && c != ' ') return false;
  }
  return true;
}

// --- Single characters ---------------------------------------------------------------------

std::string RemoveChar(std::string_view s, char c) {
  std::string r;
  r.reserve(s.size());
  for (char x : s) {
    if (x != c) r.push_back(x);
  }
  return r;
}

void ReplaceChar(std::string& s, char c, char d) {
  for (char& x : s) {
    if (x == c) x = d;
  }
}

void SubstChar(std::string& s, char c, char d) {
  ReplaceChar(s, c, d);
}

int DeleteChar(std::string& s, char c) {
  size_t w = 0;
  for (char x : s) {
    if (x != c) s[w++] = x;
  }
  s.resize(w);
  return static_cast<int>(w);
}

std::string RTrimChar(std::string_view s, char c) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == c) --e;
  return std::string(s.substr(0, e));
}

void PadWithChar(std::string& s, char c, int length) {
  if (length > 0 && s.size() < static_cast<size_t>(length)) {
    s.append(static_cast<size_t>(length) - s.size(), c);
  }
}

// --- Searching -----------------------------------------------------------------------------

int ScanCharForward(std::string_view s, char c, int start) {
  if (start < 1 || static_cast<size_t>(start) > s.size()) return 0;
  size_t i = s.find(c, static_cast<size_t>(start - 1));
  return i == std::string_view::npos ? 0 : Pos(i);
}

int ScanCharBack(std::string_view s, char c, int start) {
  if (start < 0 || s.empty()) return 0;
  size_t from = (start == 0 || static_cast<size_t>(start) > s.size())
                    ? s.size() - 1
                    : static_cast<size_t>(start - 1);
  size_t i = s.rfind(c, from);
  return i == std::string_view::npos ? 0 : Pos(i);
}

int ScanCharSet(std::string_view s, std::string_view chars, int start) {
  size_t from = ScanStart(s, chars, start);
  if (from == std::string_view::npos) return 0;
  CharTable t = MakeTable(chars, start < 0);
  for (size_t i = from; i < s.size(); ++i) {
    if (t[U(s[i])]) return Pos(i);
  }
  return 0;
}

int ScanNotCharSet(std::string_view s, std::string_view chars, int start) {
  size_t from = ScanStart(s, chars, start);
  if (from == std::string_view::npos) return 0;
  CharTable t = MakeTable(chars, start < 0);
  for (size_t i = from; i < s.size(); ++i) {
    if (!t[U(s[i])]) return Pos(i);
  }
  return 0;
}

int ScanCharSetUnquoted(std::string_view s, std::string_view chars, int start) {
  size_t from = ScanStart(s, chars, start);
  if (from == std::string_view::npos) return 0;
  size_t i = FindUnquoted(s, MakeTable(chars, start < 0), from);
  return i == std::string_view::npos ? 0 : Pos(i);
}

int WildcardPos(std::string_view s, std::string_view pattern, int start) {
  if (s.empty() || pattern.empty() || start == 0) return 0;
  uint64_t a = start < 0 ? uint64_t(-int64_t(start)) : uint64_t(start);
  if (a > s.size()) return 0;
  bool fold = start < 0;
  size_t from = static_cast<size_t>(a - 1);
  if (pattern.size() > s.size() - from) return 0;
  size_t last = s.size() - pattern.size();
  for (size_t i = from; i <= last; ++i) {
    size_t k = 0;
    for (; k < pattern.size(); ++k) {
      char p = pattern[k];
      char c = s[i + k];
      if (p == '?' || p == c) continue;
      if (fold && UpCase(p) == UpCase(c)) continue;
      break;
    }
    if (k == pattern.size()) return Pos(i);
  }
  return 0;
}

// --- Tokens --------------------------------------------------------------------------------

std::string ParseToken(std::string_view s, std::string_view delimiters, int& pos) {
  if (delimiters.empty() || pos < 1 || static_cast<size_t>(pos) > s.size()) {
    pos = 0;
    return {};
  }
  size_t from = static_cast<size_t>(pos - 1);
  size_t d = FindUnquoted(s, MakeTable(delimiters, false), from);
  if (d == std::string_view::npos) {
    pos = 0;
    return std::string(s.substr(from));
  }
  // Past a delimiter at the very end pos is length + 1: the next call yields the empty last
  // token and 0, as GetToken counts it.
  pos = Pos(d) + 1;
  return std::string(s.substr(from, d - from));
}

std::string GetToken(std::string_view s, std::string_view delimiters, int n, bool withDelimiter) {
  if (n < 1) return {};
  CharTable t = MakeTable(delimiters, false);
  size_t p = 0;
  for (int k = 1;; ++k) {
    size_t d = FindUnquoted(s, t, p);
    if (k == n) {
      size_t e = d == std::string_view::npos ? s.size() : d;
      std::string tok(s.substr(p, e - p));
      if (withDelimiter && d != std::string_view::npos) tok.push_back(s[d]);
      return tok;
    }
    if (d == std::string_view::npos) return {};
    p = d + 1;
  }
}

std::string ExpandCharRanges(std::string_view s) {
  constexpr size_t kMax = 256;
  std::string r;
  if (!s.empty() && s.back() == '-') return r;
  size_t i = 0;
  while (i < s.size() && r.size() < kMax) {
    if (i + 2 < s.size() && s[i + 1] == '-') {
      int from = U(s[i]);
      int to = U(s[i + 2]);
      int step = from <= to ? 1 : -1;
      for (int c = from; r.size() < kMax; c += step) {
        r.push_back(static_cast<char>(c));
        if (c == to) break;
      }
      i += 3;
    } else {
      r.push_back(s[i]);
      ++i;
    }
  }
  return r;
}

// --- Paths and command lines ---------------------------------------------------------------

void AppendQuoted(std::string& text, std::string_view item) {
  text += '"';
  for (char c : item) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

std::string ReadQuoted(std::string_view text, size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    if (text[pos] == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        item += '"';
        pos += 2;
        continue;
      }
      ++pos;
      break;
    }
    item += text[pos++];
  }
  return item;
}

namespace {

bool NeedsQuotes(std::string_view line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
  });
}

bool IsBlank(char c) {
  return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string JoinCommaText(const std::vector<std::string>& lines, bool quoteEmpty) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += ',';
    const std::string& line = lines[i];
    if (!NeedsQuotes(line) && !(quoteEmpty && line.empty())) {
      text += line;
      continue;
    }
    AppendQuoted(text, line);
  }
  return text;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> lines;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < text.size()) {
    std::string item;
    if (text[i] == '"') {
      item = ReadQuoted(text, i);
    } else {
      const size_t start = i;
      while (i < text.size() && !IsBlank(text[i]) && text[i] != ',' && text[i] != '\0') ++i;
      item.assign(text.substr(start, i - start));
      if (i < text.size() && text[i] == '\0') i = text.size();
    }
    lines.push_back(std::move(item));
    skipBlanks();
    if (i < text.size() && text[i] == ',') {
      ++i;
      skipBlanks();
    }
  }
  return lines;
}

std::string QuoteIfSpaced(std::string_view s) {
  std::string_view t = TrimView(s);
  bool quoted = t.size() >= 2 && t.front() == '"' && t.back() == '"';
  if (quoted || t.find(' ') == std::string_view::npos) return std::string(t);
  std::string r;
  r.reserve(t.size() + 2);
  r.push_back('"');
  r.append(t);
  r.push_back('"');
  return r;
}

void AddBackslash(std::string& path) {
  path = RTrimChar(path, ' ');
  if (!path.empty() && path.back() != '/') path.push_back('/');
}

std::string FileNameWithoutExt(std::string_view path) {
  size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace tovix

#pragma once
// Small string routines shared by the whole program. Text is 8-bit, as the reports are.
// Positions are 1-based and 0 means "not found". Case folding touches only a-z and A-Z, so
// bytes 128..255 always compare as they are.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

// --- Case and trimming ---------------------------------------------------------------------

inline char UpCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
// 0 to 15 for a hexadecimal digit (either case), -1 for any other character.
inline int HexDigitValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a') + 10;
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A') + 10;
  return -1;
}
inline char LoCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// The first bytes of `text`, at most eight, as one number: byte i in bits 8i to 8i + 7, the
// bytes past the text 0. Two loads that may overlap, rather than a copy of variable length.
inline uint64_t FirstEightBytes(std::string_view text) {
  const char* p = text.data();
  const size_t n = text.size();
  if (n >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
  }
  if (n >= 4) {
    uint32_t low;
    uint32_t high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + n - 4, 4);
    return low | uint64_t{high} << ((n - 4) * 8);
  }
  if (n == 0) return 0;
  return uint64_t{static_cast<unsigned char>(p[0])} |
         uint64_t{static_cast<unsigned char>(p[n / 2])} << (n / 2 * 8) |
         uint64_t{static_cast<unsigned char>(p[n - 1])} << ((n - 1) * 8);
}

// Equal bytes; for texts of at most 64 bytes (names, table rows) without a call.
inline bool SameBytes(std::string_view a, std::string_view b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (n <= 8) return FirstEightBytes(a) == FirstEightBytes(b);
  if (n > 64) return std::memcmp(a.data(), b.data(), n) == 0;
  // Eight bytes at a time; the last eight overlap the ones before.
  const auto eight = [](const char* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
  };
  uint64_t differ = eight(a.data() + n - 8) ^ eight(b.data() + n - 8);
  for (size_t i = 0; i + 8 < n; i += 8) differ |= eight(a.data() + i) ^ eight(b.data() + i);
  return differ == 0;
}
// Byte-wise comparison with a-z folded to upper case: negative, 0 or positive.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Remove leading and/or trailing blanks and control characters (codes 0..32).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string_view TrimView(std::string_view s);

// --- Numbers -------------------------------------------------------------------------------

// Value of the first run of decimal digits in s (a sign is not part of it); 0 when there is
// none. A run too long for 32 bits gives INT32_MAX rather than a wrapped value.
int32_t FirstIntInStr(std::string_view s);
// Decimal text of a non-negative number.
std::string UIntToStr(uint64_t n);
std::string CardToStr(uint32_t n);
inline int32_t IntMax(int32_t a, int32_t b) {
  return a > b ? a : b;
}
inline int32_t IntMin(int32_t a, int32_t b) {
  return a < b ? a : b;
}
// -1, 0 or 1.
inline int CompareCardinal(uint32_t a, uint32_t b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}
// True when s is not empty and holds only digits and blanks.
bool IsAllDigits(std::string_view s);

// --- Single characters ---------------------------------------------------------------------

std::string RemoveChar(std::string_view s, char c);
void ReplaceChar(std::string& s, char c, char d);
void SubstChar(std::string& s, char c, char d);
// Deletes every c in place and returns the new length.
int DeleteChar(std::string& s, char c);
// s without its trailing c characters.
std::string RTrimChar(std::string_view s, char c);
// Extends s with c up to `length` characters; a longer s stays as it is.
void PadWithChar(std::string& s, char c, int length);

// --- Searching -----------------------------------------------------------------------------

// First c at or after start; 0 when none or when start lies outside 1..length.
int ScanCharForward(std::string_view s, char c, int start);
// Last c at or before start; start 0 (or beyond the end) searches from the end, a negative
// start finds nothing.
int ScanCharBack(std::string_view s, char c, int start);

// First character at or after |start| that is (ScanCharSet) or is not (ScanNotCharSet) one
// of `chars`. A negative start matches the letters of `chars` in both cases. 0 when none,
// and 0 at once when s or chars is empty, chars is longer than 256, start is 0 or |start|
// exceeds the length of s.
int ScanCharSet(std::string_view s, std::string_view chars, int start);
int ScanNotCharSet(std::string_view s, std::string_view chars, int start);
// As ScanCharSet, but a double quote opens (and the next one closes) a stretch that is
// passed over whole, quotes included, so a listed character inside quotes is never found.
// The scan starts outside quotes at |start|.
int ScanCharSetUnquoted(std::string_view s, std::string_view chars, int start);

// Position of `pattern` in s at or after |start|, "?" in the pattern matching any one
// character; a negative start compares letters without case. 0 when not found, for an empty
// pattern, and for start 0 or |start| beyond the length of s.
int WildcardPos(std::string_view s, std::string_view pattern, int start);

// --- Tokens --------------------------------------------------------------------------------

// The text from pos up to the next character of `delimiters` (delimiters inside double quotes
// do not end it). pos moves past that delimiter, or to 0 when the text ran out. pos outside
// 1..length or empty delimiters give an empty token and pos 0.
std::string ParseToken(std::string_view s, std::string_view delimiters, int& pos);
// The n-th token (1-based) of s split at any character of `delimiters`; empty tokens count
// and delimiters inside double quotes do not split. With `withDelimiter` the delimiter that
// ended the token is kept on it. Empty when s has fewer tokens.
std::string GetToken(std::string_view s, std::string_view delimiters, int n,
                     bool withDelimiter = false);

// "a-e" stands for every code from a to e, "e-a" for the same downwards; other characters
// stand for themselves. A "-" as the last character gives "". At most 256 characters.
std::string ExpandCharRanges(std::string_view s);

// --- Quoted items of a list ------------------------------------------------------------------

// Appends `item` in double quotes, a quote inside it doubled.
void AppendQuoted(std::string& text, std::string_view item);
// The item whose opening quote stands at `pos`, its doubled quotes single again; `pos` ends
// after the closing quote, or at the end of `text` when there is none.
std::string ReadQuoted(std::string_view text, size_t& pos);
// Lines joined with "," ; a line with a blank, a control character, a comma or a double quote
// is quoted, inner quotes doubled. An empty line is written as nothing, as the stored texts of
// the bookmarks have it, which loses an empty last line; with `quoteEmpty` it is written as ""
// and every line comes back.
std::string JoinCommaText(const std::vector<std::string>& lines, bool quoteEmpty = false);
// The reverse: commas and unquoted white space separate, quotes are removed.
std::vector<std::string> SplitCommaText(std::string_view text);

// --- Paths and command lines ---------------------------------------------------------------

// Trims s and wraps it in double quotes when it holds a blank and is not quoted already.
std::string QuoteIfSpaced(std::string_view s);
// Removes trailing blanks and makes sure a non-empty path ends with "/". An empty path stays
// empty: it means the current folder, and "/" would mean the root.
void AddBackslash(std::string& path);
// "dir/name.ext" -> "name". A leading dot starts no extension (".ini" stays ".ini").
std::string FileNameWithoutExt(std::string_view path);

}  // namespace tovix

#include "controls/word_routines.h"

namespace tovix {

namespace {
bool IsDelimiter(char c, std::string_view delimiters) {
  return delimiters.find(c) != std::string_view::npos;
}
}  // namespace

std::string ReplaceAll(std::string_view s, std::string_view oldText, std::string_view newText) {
  if (oldText.empty()) return std::string(s);
  std::string result;
  result.reserve(s.size());
  size_t from = 0;
  for (size_t at = s.find(oldText); at != std::string_view::npos; at = s.find(oldText, from)) {
    result.append(s.substr(from, at - from));
    result.append(newText);
    from = at + oldText.size();
  }
  result.append(s.substr(from));
  return result;
}

size_t WordPositionOf(int n, std::string_view s, std::string_view delimiters) {
  int count = 0;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsDelimiter(s[i], delimiters)) ++i;
    if (i >= s.size()) break;
    if (++count == n) return i + 1;
    while (i < s.size() && !IsDelimiter(s[i], delimiters)) ++i;
  }
  return 0;
}

std::string ExtractWordAt(int n, std::string_view s, std::string_view delimiters) {
  size_t pos = WordPositionOf(n, s, delimiters);
  if (pos == 0) return {};
  size_t end = pos - 1;
  while (end < s.size() && !IsDelimiter(s[end], delimiters)) ++end;
  return std::string(s.substr(pos - 1, end - (pos - 1)));
}

std::string ExtractUntilDelimiters(std::string_view s, size_t& pos, std::string_view delimiters) {
  if (pos < 1) pos = 1;
  if (pos > s.size()) return {};
  size_t end = pos - 1;
  while (end < s.size() && !IsDelimiter(s[end], delimiters)) ++end;
  std::string word(s.substr(pos - 1, end - (pos - 1)));
  pos = end + 2;  // past the delimiter (or one past the end)
  return word;
}

}  // namespace tovix

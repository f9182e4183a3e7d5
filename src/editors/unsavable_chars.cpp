#include "editors/unsavable_chars.h"

#include <algorithm>

#include "core/text/char_codes.h"

namespace tovix {

namespace {

template <class Lines>
std::vector<TUnsavableChar> FindIn(const Lines& lines, int count, TTextEncoding encoding) {
  std::vector<TUnsavableChar> found;
  for (int y = 0; y < count; ++y) {
    const TEditString& line = lines[y];
    for (size_t x = 0; x < line.size(); ++x)
      if (!CanEncode(line[x], encoding)) found.push_back({y + 1, static_cast<int>(x) + 1, line[x]});
  }
  return found;
}

}  // namespace

std::vector<TUnsavableChar> FindUnsavableChars(const TmwEditList& lines, TTextEncoding encoding) {
  return FindIn(lines, lines.Count(), encoding);
}

std::vector<TUnsavableChar> FindUnsavableChars(const std::vector<TEditString>& lines,
                                               TTextEncoding encoding) {
  return FindIn(lines, static_cast<int>(lines.size()), encoding);
}

std::vector<TUnsavableLine> UnsavableCharsByLine(const std::vector<TUnsavableChar>& chars) {
  std::vector<TUnsavableLine> lines;
  for (size_t i = 0; i < chars.size();) {
    const int line = chars[i].Line;
    size_t end = i;
    while (end < chars.size() && chars[end].Line == line) ++end;
    std::string text;
    // Each character once, in the order it first appears, with all its columns.
    std::vector<bool> named(end - i, false);
    for (size_t a = i; a < end; ++a) {
      if (named[a - i]) continue;
      std::string columns;
      size_t count = 0;
      for (size_t b = a; b < end; ++b) {
        if (chars[b].Char != chars[a].Char) continue;
        named[b - i] = true;
        columns += (count++ == 0 ? "" : ", ") + std::to_string(chars[b].Column);
      }
      if (!text.empty()) text += ", ";
      text += EditToUtf8(TEditString(1, chars[a].Char)) + " (" + CharCodeText(chars[a].Char) +
              (count == 1 ? ", column " : ", columns ") + columns + ")";
    }
    lines.push_back({line, std::move(text)});
    i = end;
  }
  return lines;
}

std::string UnsavableCharsText(const std::vector<TUnsavableChar>& chars, size_t maxLines) {
  const std::vector<TUnsavableLine> lines = UnsavableCharsByLine(chars);
  std::string text;
  for (size_t i = 0; i < lines.size() && i < maxLines; ++i)
    text += (i == 0 ? "line " : "\rline ") + std::to_string(lines[i].Line) + ": " + lines[i].Text;
  if (lines.size() > maxLines) {
    const size_t more = lines.size() - maxLines;
    text += "\rand " + std::to_string(more) + (more == 1 ? " more line" : " more lines");
  }
  return text;
}

bool TUnsavableWarnings::IsNews(const std::vector<TUnsavableChar>& chars) {
  if (chars.empty()) told_.clear();
  bool news = false;
  for (const TUnsavableChar& c : chars) news = told_.insert(c.Char).second || news;
  return news;
}

TEditString KeepUnsavableChars(TEditStringView old, std::string_view bytes) {
  const std::string was = EditToWindows1252(old);
  const size_t limit = std::min(was.size(), bytes.size());
  size_t prefix = 0;
  while (prefix < limit && was[prefix] == bytes[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < limit - prefix &&
         was[was.size() - 1 - suffix] == bytes[bytes.size() - 1 - suffix])
    ++suffix;
  TEditString out(old.substr(0, prefix));
  out += Windows1252ToEdit(bytes.substr(prefix, bytes.size() - prefix - suffix));
  out += old.substr(old.size() - suffix);
  return out;
}

TEditString ChangeLinesKeepingUnsavable(
    TEditStringView text, const std::function<std::string(std::string_view line)>& change) {
  TEditString out;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(U"\r\n", start);
    const TEditStringView line =
        text.substr(start, end == TEditStringView::npos ? end : end - start);
    out += KeepUnsavableChars(line, change(EditToWindows1252(line)));
    if (end == TEditStringView::npos) break;
    out += U"\r\n";
    start = end + 2;
  }
  return out;
}

}  // namespace tovix

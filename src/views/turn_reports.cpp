#include "views/turn_reports.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/model/game_model.h"
#include "core/settings/game_settings.h"

namespace tovix {

namespace {

// One line of a file and the line end that follows it ("" for the last line without one).
struct TLine {
  std::string_view Text;
  std::string_view End;
};

std::vector<TLine> SplitLines(std::string_view bytes) {
  std::vector<TLine> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t stop = bytes.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.push_back({bytes.substr(start), {}});
      break;
    }
    const size_t endLength = bytes.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back({bytes.substr(start, stop - start), bytes.substr(stop, endLength)});
    start = stop + endLength;
  }
  return lines;
}

bool Contains(std::string_view line, std::string_view what) {
  return line.find(what) != std::string_view::npos;
}

}  // namespace

std::vector<std::string> TurnReportFiles(const std::string& pattern, const std::string& letters) {
  std::vector<std::string> files;
  if (!IsValidReportPattern(pattern)) return files;
  std::error_code ec;
  for (int turn = 0; turn <= kMaxTurn; ++turn)
    for (char letter : letters) {
      std::string name = FormatReportName(pattern, letter, turn);
      if (std::filesystem::is_regular_file(name, ec)) files.push_back(std::move(name));
    }
  return files;
}

TReportPart FirstReportPart(TGameType gameType) {
  return gameType == TGameType::Blind ? TReportPart::Whole : TReportPart::Personal;
}

std::string ReportTextForEditing(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const TLine& line : SplitLines(bytes)) {
    text += line.Text;
    if (!line.End.empty()) text += '\n';
  }
  return text;
}

std::string ReportPartText(std::string_view text, TReportPart part) {
  if (part == TReportPart::Whole) return std::string(text);
  enum class Section { Other, Personal, Global } section = Section::Other;
  const Section wanted = part == TReportPart::Personal ? Section::Personal : Section::Global;
  std::string shown;
  for (const TLine& line : SplitLines(text)) {
    if (Contains(line.Text, "PERSONAL Messages"))
      section = Section::Personal;
    else if (Contains(line.Text, "GLOBAL Messages"))
      section = Section::Global;
    else if (Contains(line.Text, "ORDERS RECEIVED") || Contains(line.Text, "Status of Players") ||
             line.Text.substr(0, 2) == "\t\t")
      section = Section::Other;
    if (section != wanted) continue;
    shown += line.Text;
    shown += '\n';
  }
  return shown;
}

std::string EditedReportBytes(std::string_view original, std::string_view edited,
                              std::string_view shown) {
  const std::vector<TLine> before = SplitLines(original);
  const std::vector<TLine> after = SplitLines(edited);
  std::vector<TLine> compared = SplitLines(shown);
  if (compared.size() != before.size()) compared = before;
  // Lines that are equal at the start and at the end keep their bytes, line ends included.
  size_t head = 0;
  while (head < before.size() && head < after.size() && compared[head].Text == after[head].Text)
    ++head;
  size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         compared[before.size() - 1 - tail].Text == after[after.size() - 1 - tail].Text)
    ++tail;
  std::vector<TLine> lines(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(head));
  // A changed line ends as the line before it (the file's first line end at the start).
  std::string_view lineEnd =
      before.empty() || before.front().End.empty() ? std::string_view("\n") : before.front().End;
  if (head > 0 && !before[head - 1].End.empty()) lineEnd = before[head - 1].End;
  const size_t changedEnd = after.size() - tail;
  for (size_t i = head; i < changedEnd; ++i) {
    // The edited text's last line ends as the edited text does.
    const bool last = i + 1 == after.size();
    lines.push_back({after[i].Text, last && after[i].End.empty() ? std::string_view() : lineEnd});
  }
  lines.insert(lines.end(), before.end() - static_cast<std::ptrdiff_t>(tail), before.end());
  // A line end added after a last line that had none.
  if (!lines.empty() && lines.back().End.empty() && !after.empty() && !after.back().End.empty())
    lines.back().End = lineEnd;
  std::string bytes;
  bytes.reserve(original.size() + edited.size() / 8);
  for (size_t i = 0; i < lines.size(); ++i) {
    bytes += lines[i].Text;
    // The file's old last line without a line end, now followed by added lines.
    if (lines[i].End.empty() && i + 1 < lines.size()) {
      bytes += lineEnd;
      continue;
    }
    // A lone CR before an empty line that ends in LF would read as one CR LF.
    const bool joins = lines[i].End == "\r" && i + 1 < lines.size() && lines[i + 1].Text.empty() &&
                       lines[i + 1].End.substr(0, 1) == "\n";
    bytes += joins ? std::string_view("\r\n") : lines[i].End;
  }
  return bytes;
}

}  // namespace tovix

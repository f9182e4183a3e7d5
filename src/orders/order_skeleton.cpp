#include "orders/order_skeleton.h"

#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "orders/order_text.h"

namespace tovix {

namespace {

std::vector<std::string_view> BlankWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// The report's next line from `from`, without its line end (CR LF, LF or CR).
std::string_view NextLine(std::string_view text, size_t& from) {
  const size_t start = from;
  const size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) {
    from = text.size() + 1;
    return text.substr(start);
  }
  from = end + 1;
  if (text[end] == '\r' && from < text.size() && text[from] == '\n') ++from;
  return text.substr(start, end - start);
}

}  // namespace

std::string OrdersPasswordFromReport(std::string_view report) {
  size_t at = 0;
  while (at <= report.size()) {
    if (!SameText(TrimView(NextLine(report, at)), kFirstLineAnnouncement)) continue;
    if (at > report.size()) return {};
    const std::vector<std::string_view> words = BlankWords(NextLine(report, at));
    return words.size() >= 4 ? std::string(words[3]) : std::string();
  }
  return {};
}

std::string OrderHeaderLine(std::string_view game, std::string_view race,
                            std::string_view password) {
  std::string line(kGalaxyLine);
  for (const std::string_view word : {game, race, password})
    if (!word.empty()) line += " " + std::string(word);
  return line;
}

TOrderHeader DefaultOrderHeader(const GameState& state) {
  TOrderHeader header;
  std::string password;
  const TGameSettings& settings = state.Settings;
  if (settings.GameType == TGameType::NG && !settings.spelC.empty()) {
    try {
      const std::string report = FormatReportName(settings.spelD, settings.spelC[0], 0);
      if (const std::optional<std::string> text = LoadFileIfExists(report))
        password = OrdersPasswordFromReport(*text);
    } catch (const std::exception&) {
      // An unreadable turn-0 report gives a header without a password, as a missing one does;
      // the report reader has told the user about the report already.
    }
  }
  header.HasPassword = !password.empty();
  header.Line = OrderHeaderLine(
      state.GameName, state.MainPlayer ? state.MainPlayer->Name : std::string(), password);
  return header;
}

void WriteOrderSkeleton(IOrderLines& lines, const std::string& firstLine,
                        const std::optional<std::string>& newRaceName) {
  std::vector<std::string> frame{firstLine};
  if (newRaceName) {
    frame.emplace_back();
    frame.push_back(ChangeRaceNameCommand(*newRaceName));
  }
  frame.emplace_back();
  for (const TOrderSection section : {TOrderSection::Group, TOrderSection::Find}) {
    frame.emplace_back(SectionMarkers(section).Start);
    frame.emplace_back(SectionMarkers(section).End);
  }
  frame.emplace_back(kEndLine);
  size_t first = 0;
  while (first < frame.size() && frame[first].empty()) ++first;
  frame.erase(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(first));
  // One replacement, so that one undo brings the old orders back.
  lines.ReplaceAll(frame);
}

}  // namespace tovix

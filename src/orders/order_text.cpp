#include "orders/order_text.h"

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/str_utils.h"
#include "orders/order_words.h"

namespace tovix {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool StartsWithText(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && SameText(line.substr(0, prefix.size()), prefix);
}

// Index of the line a missing section goes above: its anchor marker, else the end line where
// the server stops reading (a "#END" is appended when there is none).
int AnchorIndex(IOrderLines& lines, std::string_view anchorMarker) {
  if (!anchorMarker.empty()) {
    const int anchor = IndexOfLine(lines, anchorMarker);
    if (anchor >= 0) return anchor;
  }
  const int end = IndexOfEndLine(lines);
  if (end >= 0) return end;
  lines.Insert(lines.Count(), std::string(kEndLine));
  return lines.Count() - 1;
}

// The start marker of the section above which a missing section is created ("" for "#END").
std::string_view AnchorOf(TOrderSection section) {
  switch (section) {
    case TOrderSection::Other:
      return SectionMarkers(TOrderSection::Planet).Start;
    case TOrderSection::Route:
    case TOrderSection::Find:
      return SectionMarkers(TOrderSection::Group).Start;
    default:
      return {};
  }
}

}  // namespace

TSectionMarkers SectionMarkers(TOrderSection section) {
  switch (section) {
    case TOrderSection::Group:
      return {";-Tovix Group Insertion start-", ";-Tovix Group Insertion end-"};
    case TOrderSection::Planet:
      return {";-Tovix Planet Insertion start-", ";-Tovix Planet Insertion end-"};
    case TOrderSection::Other:
      return {";-Tovix Other Insertion start-", ";-Tovix Other Insertion end-"};
    case TOrderSection::Route:
      return {";-Tovix Route Insertion start-", ";-Tovix Route Insertion end-"};
    case TOrderSection::Find:
      break;
  }
  return {";-Tovix Find Insertion start-", ";-Tovix Find Insertion end-"};
}

bool TAutoInsertOptions::IsOn(TOrderSection section) const {
  switch (section) {
    case TOrderSection::Group:
      return Group;
    case TOrderSection::Planet:
      return Planet;
    case TOrderSection::Other:
      return Other;
    case TOrderSection::Route:
      return Route;
    case TOrderSection::Find:
      break;
  }
  return true;
}

int IndexOfLine(const IOrderLines& lines, std::string_view text) {
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = lines.Line(i);
    if (line.size() == text.size() && SameText(line, text)) return i;
  }
  return -1;
}

int FindOrCreateSection(IOrderLines& lines, TOrderSection section) {
  const TSectionMarkers markers = SectionMarkers(section);
  int start = IndexOfLine(lines, markers.Start);
  if (start < 0) {
    start = AnchorIndex(lines, AnchorOf(section));
    lines.Insert(start, std::string(markers.Start));
  }
  int end = IndexOfLine(lines, markers.End);
  while (end >= 0 && end < start) {
    lines.Delete(end);
    --start;
    end = IndexOfLine(lines, markers.End);
  }
  if (end < 0) {
    lines.Insert(start + 1, std::string(markers.End));
    end = start + 1;
  }
  return section == TOrderSection::Find ? start + 1 : end;
}

int ClearSection(IOrderLines& lines, TOrderSection section) {
  const TSectionMarkers markers = SectionMarkers(section);
  const int start = IndexOfLine(lines, markers.Start);
  const int end = IndexOfLine(lines, markers.End);
  if (start < 0 || end < 0) return 0;
  TOrderLinesUpdate update(lines);
  int deleted = 0;
  for (int i = end - 1; i > start; --i) {
    lines.Delete(i);
    ++deleted;
  }
  return deleted;
}

std::vector<std::string> SplitOrderText(std::string_view text) {
  std::vector<std::string> pieces;
  bool inMessage = false;
  size_t i = 0;
  while (i < text.size()) {
    size_t stop = i;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
    std::string_view piece = text.substr(i, stop - i);
    // One line break is CR LF, LF or CR.
    if (stop < text.size()) {
      if (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ++stop;
      ++stop;
    }
    i = stop;
    if (piece.empty() && !inMessage) continue;
    if (IsMessageMarker(piece)) inMessage = !inMessage;
    pieces.emplace_back(piece);
  }
  // An open message block keeps its empty lines, but not those the text merely ends with.
  while (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
  return pieces;
}

int InsertCommands(IOrderLines& lines, ITextSink& clipboard, const TAutoInsertOptions& options,
                   TOrderSection section, std::string_view text) {
  std::vector<std::string> pieces = SplitOrderText(text);
  if (pieces.empty()) return 0;
  if (!options.IsOn(section)) {
    clipboard.PutText(std::string(text) + "\r\n");
    return 0;
  }
  TOrderLinesUpdate update(lines);
  int position = FindOrCreateSection(lines, section);
  for (std::string& piece : pieces) lines.Insert(position++, std::move(piece));
  return static_cast<int>(pieces.size());
}

int InsertFindCommands(IOrderLines& lines, const GameState& state) {
  const TGameType type = state.Settings.GameType;
  if (type == TGameType::Blind || type == TGameType::NGBlind) return 0;
  TOrderLinesUpdate update(lines);
  FindOrCreateSection(lines, TOrderSection::Find);
  ClearSection(lines, TOrderSection::Find);
  const int first = FindOrCreateSection(lines, TOrderSection::Find);
  const int turn = state.LastTurn >= 0 ? state.LastTurn : -1;
  int written = 0;
  for (auto [key, race] : state.Players) {
    if (!race || race == state.MainPlayer) continue;
    if (!(race->GetEffectiveIndustry(turn) > 0)) continue;
    lines.Insert(first, "F " + race->Name);
    ++written;
  }
  return written;
}

int DeleteKnownShipTypes(IOrderLines& lines, const GameState& state,
                         bool (*isFromReport)(const TShipType&)) {
  const TPlayer* own = state.MainPlayer;
  if (!own) return 0;
  TOrderLinesUpdate update(lines);
  int deleted = 0;
  bool inMessage = false;
  for (int i = 0; i < lines.Count();) {
    const std::string line = lines.Line(i);
    if (IsMessageMarker(line)) inMessage = !inMessage;
    if (!inMessage && line.size() >= 2 && (line[0] == 'D' || line[0] == 'd')) {
      const std::string_view name = OrderWord(line, 1);
      const TShipType* type = name.empty() ? nullptr : own->FindShipType(name);
      if (type && !type->FromOrders && (!isFromReport || isFromReport(*type))) {
        lines.Delete(i);
        ++deleted;
        continue;
      }
    }
    ++i;
  }
  return deleted;
}

int FindTurnMarker(const IOrderLines& lines) {
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    if (lines.Line(i).starts_with(kTurnMarker)) return i;
  }
  return -1;
}

int GetOrdersTurn(const IOrderLines& lines) {
  const int marker = FindTurnMarker(lines);
  if (marker < 0) return -1;
  return FirstIntInStr(lines.Line(marker));
}

void SetOrdersTurn(IOrderLines& lines, int turn) {
  std::string text = std::string(kTurnMarker) + " " + std::to_string(turn);
  const int marker = FindTurnMarker(lines);
  if (marker >= 0) {
    lines.SetLine(marker, std::move(text));
    return;
  }
  const int count = lines.Count();
  for (int i = 0; i < count; ++i) {
    if (StartsWithText(lines.Line(i), kGalaxyLine)) {
      lines.Insert(i + 1, std::move(text));
      return;
    }
  }
  lines.Insert(0, std::move(text));
}

std::string DecrementTurnCounter(std::string_view line) {
  for (size_t p = line.find(';'); p != std::string_view::npos; p = line.find(';', p + 1)) {
    size_t i = p + 1;
    if (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || line[i] != 't') continue;
    ++i;
    const size_t digits = i;
    while (i < line.size() && IsDigit(line[i])) ++i;
    if (i == digits) {
      // Not digits: the run-out form "; t &" (a blank before "&" allowed) is left as it is;
      // anything else ("; this") is no counter.
      size_t j = i;
      if (j < line.size() && line[j] == ' ') ++j;
      if (j < line.size() && line[j] == '&') return std::string(line);
      continue;
    }
    // "; t3rd" is a word, not a counter.
    if (i < line.size() && std::isalnum(static_cast<unsigned char>(line[i]))) continue;
    const int32_t n = FirstIntInStr(line.substr(digits, i - digits));
    std::string result(line.substr(0, p + 1));
    result += n < 2 ? " t &" : " t" + std::to_string(n - 1);
    result += line.substr(i);
    return result;
  }
  return std::string(line);
}

int DecrementTurnCounters(IOrderLines& lines) {
  TOrderLinesUpdate update(lines);
  int changed = 0;
  ForEachOrderLine(lines, [&](int i, std::string_view line) {
    std::string counted = DecrementTurnCounter(line);
    if (counted != line) {
      lines.SetLine(i, std::move(counted));
      ++changed;
    }
  });
  return changed;
}

}  // namespace tovix

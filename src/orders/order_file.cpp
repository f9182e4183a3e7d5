#include "orders/order_file.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"

namespace tovix {

std::string OrderFileBytes(const IOrderLines& lines, TOrderLineEnds ends) {
  std::string bytes;
  for (int i = 0; i < lines.Count(); ++i) {
    bytes += lines.Line(i);
    bytes += "\r\n";
  }
  if (ends == TOrderLineEnds::CrOnly) std::erase(bytes, '\n');
  if (ends == TOrderLineEnds::LfOnly) std::erase(bytes, '\r');
  return bytes;
}

std::filesystem::path AutomaticOrdersFile(const std::filesystem::path& programFolder,
                                          std::string_view gameSection) {
  return programFolder / ("orders_" + std::string(gameSection));
}

bool HoldsGalaxyLine(std::string_view bytes) {
  constexpr std::string_view kGalaxy = "#GALAXY";
  for (size_t at = bytes.find('#'); at != std::string_view::npos; at = bytes.find('#', at + 1))
    if (SameText(bytes.substr(at, kGalaxy.size()), kGalaxy)) return true;
  return false;
}

mode_t FileModeFor(std::string_view bytes) {
  return HoldsGalaxyLine(bytes) ? kOwnerOnlyFileMode : kSharedFileMode;
}

void WriteOrderFile(const std::filesystem::path& file, const IOrderLines& lines,
                    TOrderLineEnds ends) {
  const std::string bytes = OrderFileBytes(lines, ends);
  WriteFileAtomically(file, bytes, FileModeFor(bytes));
}

bool WriteOrderFileIfChanged(const std::filesystem::path& file, const IOrderLines& lines,
                             TOrderLineEnds ends) {
  const std::string bytes = OrderFileBytes(lines, ends);
  // The file is read only to compare: one that cannot be read is written as before.
  try {
    if (const std::optional<std::string> old = LoadFileIfExists(file); old && *old == bytes) {
      // A file of an older version may still be readable by others.
      if (NarrowFileMode(file, FileModeFor(bytes))) return false;
    }
  } catch (const std::exception&) {
  }
  WriteFileAtomically(file, bytes, FileModeFor(bytes));
  return true;
}

std::filesystem::path ProposedOrderFile(std::string_view reportPattern, char ownLetter, int turn,
                                        const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  const fs::path report = FormatReportName(reportPattern, ownLetter, turn);
  fs::path into = folder;
  if (into.empty()) {
    into = report.parent_path();
    std::error_code error;
    if (!into.empty() && fs::is_directory(into / "orders", error)) into /= "orders";
  }
  if (into.empty()) return {};
  const std::string name = report.filename().string();
  return into / (into.filename() == "orders" ? name : "orders_" + name);
}

void DropLeadingEmptyLines(IOrderLines& lines) {
  while (lines.Count() >= 2 && lines.Line(0).empty()) lines.Delete(0);
}

}  // namespace tovix

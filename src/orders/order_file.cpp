#include "orders/order_file.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "core/settings/game_settings.h"
#include "core/text/file_utils.h"

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

std::vector<std::string> SplitOrderFileBytes(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(bytes.substr(start, i - start));
      i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

std::filesystem::path AutomaticOrdersFile(const std::filesystem::path& programFolder,
                                          std::string_view gameSection) {
  return programFolder / ("orders_" + std::string(gameSection));
}

void WriteOrderFile(const std::filesystem::path& file, const IOrderLines& lines,
                    TOrderLineEnds ends) {
  WriteFileAtomically(file, OrderFileBytes(lines, ends));
}

bool WriteOrderFileIfChanged(const std::filesystem::path& file, const IOrderLines& lines,
                             TOrderLineEnds ends) {
  const std::string bytes = OrderFileBytes(lines, ends);
  // The file is read only to compare: one that cannot be read is written as before.
  try {
    if (const std::optional<std::string> old = LoadFileIfExists(file); old && *old == bytes)
      return false;
  } catch (const std::exception&) {
  }
  WriteFileAtomically(file, bytes);
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

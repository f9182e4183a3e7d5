#include "orders/order_file.h"

#include <algorithm>
#include <exception>
#include <optional>

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

void DropLeadingEmptyLines(IOrderLines& lines) {
  while (lines.Count() >= 2 && lines.Line(0).empty()) lines.Delete(0);
}

}  // namespace tovix

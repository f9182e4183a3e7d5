#pragma once
// The order text on disk: the three line-end styles the orders window saves with and the game's
// automatic orders file.

#include <filesystem>
#include <string>
#include <string_view>

#include "orders/order_lines.h"

namespace tovix {

enum class TOrderLineEnds { CrLf, CrOnly, LfOnly };

// Every line followed by CR LF; then, for CR only, every LF byte removed, for LF only, every CR
// byte removed (line text included), byte for byte.
std::string OrderFileBytes(const IOrderLines& lines, TOrderLineEnds ends);

// The automatic orders file of a game: program folder + "orders_" + the game section.
std::filesystem::path AutomaticOrdersFile(const std::filesystem::path& programFolder,
                                          std::string_view gameSection);

// Writes the lines with `ends` through a temporary file renamed over the old one; throws on
// failure (the old file stays as it was).
void WriteOrderFile(const std::filesystem::path& file, const IOrderLines& lines,
                    TOrderLineEnds ends);

// As WriteOrderFile, but a file that holds those bytes already is left as it is (no rewrite, no
// wait for the disk); true when the file was written.
bool WriteOrderFileIfChanged(const std::filesystem::path& file, const IOrderLines& lines,
                             TOrderLineEnds ends);

// After loading: while there are at least two lines and the first is empty, the first goes.
void DropLeadingEmptyLines(IOrderLines& lines);

}  // namespace tovix

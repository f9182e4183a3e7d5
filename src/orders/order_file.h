#pragma once
// The order text on disk: the three line-end styles the orders window saves with and the game's
// automatic orders file.

#include <sys/types.h>

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

// Where "Save Orders" proposes to write the orders for turn `turn`: in `folder` when given, else
// in the game's folder (the report pattern's), or its "orders" subfolder when it has one; named
// as the report pattern names the own letter's report of that turn, with "orders_" before it
// outside a folder named "orders" (a report of that turn will come under the plain name).
// Empty for a pattern that names no folder and no folder given.
std::filesystem::path ProposedOrderFile(std::string_view reportPattern, char ownLetter, int turn,
                                        const std::filesystem::path& folder = {});
// Whether `bytes` hold "#GALAXY" (any case): the header line of orders, which carries the
// race's password. Files that hold it are written for their owner alone.
bool HoldsGalaxyLine(std::string_view bytes);
// The permission bits a file of `bytes` is written with (file_utils.h).
mode_t FileModeFor(std::string_view bytes);

// Writes the lines with `ends` through a temporary file renamed over the old one; throws on
// failure (the old file stays as it was). Orders with a "#GALAXY" line are their owner's alone.
void WriteOrderFile(const std::filesystem::path& file, const IOrderLines& lines,
                    TOrderLineEnds ends);

// As WriteOrderFile, but a file that holds those bytes already is left as it is (no rewrite, no
// wait for the disk, but a file others may read is narrowed); true when the file was written.
bool WriteOrderFileIfChanged(const std::filesystem::path& file, const IOrderLines& lines,
                             TOrderLineEnds ends);

// After loading: while there are at least two lines and the first is empty, the first goes.
void DropLeadingEmptyLines(IOrderLines& lines);

}  // namespace tovix

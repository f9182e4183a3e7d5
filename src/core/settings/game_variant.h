#pragma once
// Variant and map-type names (the texts stored in Tovix.ini), and recognising a report's server
// variant from its text.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/game_types.h"

namespace tovix {

// Indexed by the TGameType value.
inline constexpr std::array<std::string_view, kGameTypeCount> kGameTypeNames = {
    "Unknown Galaxy type", "Galaxy Normal",   "Galaxy NG", "Galaxy Blind",
    "Galaxy PLUS",         "Galaxy NG Blind", "Galaxy NT",
};
// Indexed by the TMapType value.
inline constexpr std::array<std::string_view, kMapTypeCount> kMapTypeNames = {"Normal",
                                                                              "Spherical"};

std::string_view GameTypeName(TGameType type);
std::string_view MapTypeName(TMapType type);
// The last table entry equal to `name` ignoring case; Unknown / Normal when there is none.
TGameType GameTypeFromName(std::string_view name);
TMapType MapTypeFromName(std::string_view name);

// Finds the report's header line and tells the variant by it. Lines are compared with leading
// and trailing blanks removed; a no-break space (byte 160, or UTF-8 C2 A0) counts as a blank.
// `headerLine` receives the header line so cleaned, or is emptied when there is none (Unknown).
// "Galaxy Game" headers are "Galaxy Normal" unless a "GalaxyNG release" line makes them
// "Galaxy NG", or else a "GalaxyNT release" line "Galaxy NT".
TGameType DetectGameTypeFromLines(const std::vector<std::string>& lines, std::string& headerLine);

// Loads a report file and detects its variant. A file that cannot be read, or any other
// failure, gives Unknown: detection never throws.
TGameType DetectGameType(const std::filesystem::path& fileName);

}  // namespace tovix

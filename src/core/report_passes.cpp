#include "core/report_passes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/numbers.h"
#include "core/str_utils.h"

namespace tovix {

namespace {

// --- Character map --------------------------------------------------------------------------

constexpr size_t kMapWidth = 80;
constexpr size_t kTabWidth = 8;

// The lines of a text, split at CR LF, LF or a lone CR.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool IsFrameLine(std::string_view line) {
  return line.size() == kMapWidth && line.find_first_not_of('-') == std::string_view::npos;
}

// The numbers of a corner line: the runs of "0123456789.-", each read as a float; a run that
// is no number (a lone "-" or ".") counts 0.
std::vector<double> CornerNumbers(std::string_view line) {
  constexpr std::string_view kNumberChars = "0123456789.-";
  std::vector<double> numbers;
  size_t i = 0;
  while ((i = line.find_first_of(kNumberChars, i)) != std::string_view::npos) {
    size_t end = line.find_first_not_of(kNumberChars, i);
    if (end == std::string_view::npos) end = line.size();
    double value = 0;
    if (!TryParseFloat(line.substr(i, end - i), value) || !std::isfinite(value)) value = 0;
    numbers.push_back(value);
    i = end;
  }
  return numbers;
}

double NumberAt(const std::vector<double>& numbers, size_t index) {
  return index < numbers.size() ? numbers[index] : 0.0;
}

// A map row with its tabs expanded: a tab moves on to the next multiple of 8 after the
// current length.
std::string ExpandTabs(std::string_view row) {
  std::string expanded;
  expanded.reserve(row.size());
  for (char c : row) {
    if (c == '\t') {
      expanded.resize((expanded.size() / kTabWidth + 1) * kTabWidth, ' ');
    } else {
      expanded.push_back(c);
    }
  }
  return expanded;
}

// Whole map units, rounded, as hundredths; saturated so that a corner line full of digits
// cannot overflow.
int32_t UnitsToHundredths(double units) {
  const double rounded = RoundHalfEven(units) * 100;
  constexpr double kLow = std::numeric_limits<int32_t>::min();
  constexpr double kHigh = std::numeric_limits<int32_t>::max();
  if (!(rounded >= kLow)) return std::isnan(rounded) ? 0 : std::numeric_limits<int32_t>::min();
  if (rounded > kHigh) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded);
}

// --- Groups ---------------------------------------------------------------------------------

bool IsCurrentLevel(float designValue, float groupLevel, float raceLevel) {
  if (designValue < 0) return false;
  return designValue == 0 || groupLevel == raceLevel;
}

int32_t SaturatedSum(int64_t sum) {
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The signed difference b - a along one axis; on a wrapping map the shorter way round.
double AxisDelta(int32_t a, int32_t b, double width) {
  double delta = static_cast<double>(b) - a;
  if (width > 0) {
    if (delta > width / 2) delta -= width;
    if (delta < -width / 2) delta += width;
  }
  return delta;
}

double WrapInto(double v, double width) {
  if (width <= 0) return v;
  v = std::fmod(v, width);
  return v < 0 ? v + width : v;
}

}  // namespace

void PruneGroups(GameState& state, int32_t turn) {
  TPlayer* reporter = state.ReportPlayer;
  if (!reporter) return;
  // Only where the race's groups stand now: a planet it left earlier is no longer watched.
  std::unordered_set<const TPlanet*> watched;
  for (const auto& group : reporter->Groups) {
    if (group->Turn == turn && group->Distance == 0 && group->Planet) {
      watched.insert(group->Planet);
    }
  }
  for (auto [key, race] : state.Players) {
    if (!race || race == reporter) continue;
    state.RemoveGroupsIf(*race, [&](const TGroup& group) {
      return group.Turn < turn && group.Planet &&
             (watched.count(group.Planet) > 0 || group.Planet->Owner.Is(reporter));
    });
  }
}

void CountShipsInProduction(GameState& state) {
  const TPlayer* user = state.MainPlayer;
  if (!user) return;
  const int32_t levelsTurn = state.LastTurn - 1;
  auto upToDate = [&](const TGroup& group, const TShipType& design) {
    return IsCurrentLevel(design.Drive, group.DriveTech, user->GetDrive(levelsTurn)) &&
           IsCurrentLevel(design.Weapons, group.WeaponsTech, user->GetWeapons(levelsTurn)) &&
           IsCurrentLevel(design.Shields, group.ShieldsTech, user->GetShields(levelsTurn)) &&
           IsCurrentLevel(design.Cargo, group.CargoTech, user->GetCargo(levelsTurn));
  };
  for (auto& entry : state.ShipsInProduction) {
    const TPlanet* planet = state.PlanetByName(entry->PlanetName);
    const TShipType* design = user->FindShipType(entry->ShipTypeName);
    if (!planet || !design) continue;
    int64_t present = 0;
    int64_t current = 0;
    for (const auto& group : user->Groups) {
      if (group->Planet != planet || group->Distance != 0 || !group->ShipType) continue;
      if (!SameText(group->ShipType->Name, design->Name)) continue;
      present += group->Ships;
      if (upToDate(*group, *design)) current += group->Ships;
    }
    entry->ShipsPresent = SaturatedSum(present);
    entry->ShipsUpToDate = SaturatedSum(current);
  }
}

void ReadMapTracks(GameState& state, std::string_view reportText, int32_t turn) {
  const std::vector<std::string_view> lines = SplitLines(reportText);
  auto frame = std::find_if(lines.begin(), lines.end(), IsFrameLine);
  if (frame == lines.end() || frame == lines.begin()) return;
  const auto closing = std::find_if(frame + 1, lines.end(), IsFrameLine);
  if (closing == lines.end() || closing + 1 == lines.end()) return;
  // From the line above the frame to the line below it.
  const std::vector<std::string_view> map(frame - 1, closing + 2);
  const size_t count = map.size();
  if (count <= 4) return;

  const std::vector<double> topLeft = CornerNumbers(map.front());
  const std::vector<double> bottomRight = CornerNumbers(map.back());
  const double x0 = NumberAt(topLeft, 0);
  const double y0 = NumberAt(topLeft, 1);
  const double x1 = NumberAt(bottomRight, 2);
  const double y1 = NumberAt(bottomRight, 3);
  const double columnStep = (x1 - x0) / static_cast<double>(kMapWidth);
  const double rowStep = (y1 - y0) / static_cast<double>(count - 4);

  for (size_t k = 2; k + 2 < count; ++k) {
    const std::string row = ExpandTabs(map[k]);
    const int32_t y = UnitsToHundredths((static_cast<double>(k) - 1.5) * rowStep + y0);
    for (size_t i = 0; i < row.size(); ++i) {
      if (row[i] != '-') continue;
      const double column = static_cast<double>(i + 1);
      const int32_t x = UnitsToHundredths((column - 0.5) * columnStep + x0);
      state.Tracks.push_back(TTracks{turn, y, x, 0});
    }
  }
}

void AddGroupTracks(GameState& state, int32_t turn) {
  const TPlayer* user = state.MainPlayer;
  if (!user) return;
  const bool wraps =
      state.Settings.GameType == TGameType::NG && state.Settings.MapType == TMapType::Spherical;
  const double width = wraps ? static_cast<double>(state.Settings.MapSize) * 100 : 0.0;
  for (const auto& group : user->Groups) {
    if (group->Turn != turn || !(group->Distance > 0)) continue;
    const TPlanet* from = group->Origin;
    const TPlanet* to = group->Planet;
    // A planet the report did not identify has no position to draw toward.
    if (!from || !to || from == state.UnknownPlanet || to == state.UnknownPlanet) continue;
    const double length = state.PlanetDistance(from->X, from->Y, to->X, to->Y);
    if (!(length > 0) || !std::isfinite(length)) continue;
    // The part of the way already flown; a distance left beyond the whole way puts the point
    // at the origin.
    const double flown = std::clamp((length - double{group->Distance} * 100) / length, 0.0, 1.0);
    const double x = WrapInto(from->X + AxisDelta(from->X, to->X, width) * flown, width);
    const double y = WrapInto(from->Y + AxisDelta(from->Y, to->Y, width) * flown, width);
    state.Tracks.push_back(TTracks{turn, RoundToInt(y), RoundToInt(x), 1});
  }
}

std::string MergeGroupKey(const TGroup& group) {
  std::string key = std::to_string(group.Turn) + "$";
  if (group.ShipType) key += LowerCase(group.ShipType->Name) + "%";
  if (group.Planet) key += LowerCase(group.Planet->Name) + "$";
  if (group.Origin) key += LowerCase(group.Origin->Name) + "%";
  key += std::to_string(group.Ships) + "$";
  for (float figure :
       {group.Distance, group.DriveTech, group.WeaponsTech, group.ShieldsTech, group.Load}) {
    key += FormatG15(figure) + "$";
  }
  key += std::to_string(group.CargoType) + "$";
  key += FormatG15(group.CargoTech);
  if (group.GroupNumber > 0) key += "#" + std::to_string(group.GroupNumber);
  return key;
}

void MergeGroups(GameState& state) {
  for (auto [name, race] : state.Players) {
    if (!race) continue;
    // The user's own report lists every group of the user; an ally's listing adds nothing.
    if (race == state.MainPlayer) {
      state.RemoveGroupsIf(*race, [](const TGroup& group) { return group.GroupNumber == 0; });
    }
    std::vector<std::pair<std::string, const TGroup*>> keys;
    keys.reserve(race->Groups.size());
    for (const auto& group : race->Groups) keys.emplace_back(MergeGroupKey(*group), group.get());
    // Stable, so that of two equal keys the group read first is the first of the pair.
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
      return CompareText(a.first, b.first) < 0;
    });
    std::unordered_set<const TGroup*> doomed;
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
      if (SameText(keys[i].first, keys[i + 1].first) && keys[i].second->FleetName.empty()) {
        doomed.insert(keys[i].second);
      }
    }
    if (doomed.empty()) continue;
    state.RemoveGroupsIf(*race, [&](const TGroup& group) { return doomed.count(&group) > 0; });
  }
}

}  // namespace tovix

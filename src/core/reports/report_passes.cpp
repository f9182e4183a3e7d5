#include "core/reports/report_passes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"

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

void PruneGroups(GameState& state, TGroupStore& groups, int32_t turn) {
  TPlayer* reporter = state.ReportPlayer;
  if (!reporter) return;
  // The planets the race sees: its own, and where its groups stand now (a planet it left
  // earlier is no longer watched).
  std::vector<const TPlanet*> watched;
  for (auto [key, planet] : state.Planets) {
    if (planet && planet->Owner.Is(reporter)) watched.push_back(planet);
  }
  if (state.UnknownPlanet->Owner.Is(reporter)) watched.push_back(state.UnknownPlanet);
  groups.ForEachKey(*reporter, [&](const TGroupKey& group) {
    if (group.Turn == turn && group.Standing && group.Planet) watched.push_back(group.Planet);
  });
  std::sort(watched.begin(), watched.end());
  watched.erase(std::unique(watched.begin(), watched.end()), watched.end());
  for (const TPlanet* planet : watched) {
    groups.RemoveAt(planet, [&](const TPlayer& race, const TGroupKey& group) {
      return &race != reporter && group.Turn < turn;
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

namespace {

// MergeGroupKey's figures as text. Formatting a figure costs far more than looking it up, and
// the groups of a game share few distinct figures, so each text is made once per value.
class TFigureTexts {
 public:
  const std::string& Text(float figure) {
    const auto [it, added] = texts_.try_emplace(std::bit_cast<uint32_t>(figure));
    if (added) it->second = FormatG15(figure);
    return it->second;
  }

 private:
  std::unordered_map<uint32_t, std::string> texts_;
};

void AppendNumber(std::string& out, int64_t value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

void AppendLowerCase(std::string& out, std::string_view name) {
  for (const char c : name) out += LoCase(c);
}

// MergeGroupKey's text, appended to `out`.
void AppendMergeKey(std::string& out, const TGroup& group, TFigureTexts& figures) {
  AppendNumber(out, group.Turn);
  out += '$';
  if (group.ShipType) {
    AppendLowerCase(out, group.ShipType->Name);
    out += '%';
  }
  if (group.Planet) {
    AppendLowerCase(out, group.Planet->Name);
    out += '$';
  }
  if (group.Origin) {
    AppendLowerCase(out, group.Origin->Name);
    out += '%';
  }
  AppendNumber(out, group.Ships);
  out += '$';
  for (float figure :
       {group.Distance, group.DriveTech, group.WeaponsTech, group.ShieldsTech, group.Load}) {
    out += figures.Text(figure);
    out += '$';
  }
  AppendNumber(out, group.CargoType);
  out += '$';
  out += figures.Text(group.CargoTech);
  if (group.GroupNumber > 0) {
    out += '#';
    AppendNumber(out, group.GroupNumber);
  }
}

// The names of designs and planets by number, equal names in any case one number; a name that
// holds "$", "%" or "#" (the marks that part MergeGroupKey) has none.
class TNameIds {
 public:
  static constexpr uint32_t kNone = UINT32_MAX - 1;  // no design or planet
  static constexpr uint32_t kMarked = UINT32_MAX;

  uint32_t Of(const void* object, const std::string* name) {
    if (!object) return kNone;
    const auto [it, added] = byObject_.try_emplace(object, 0);
    if (added) {
      if (name->find_first_of("$%#") != std::string::npos) {
        it->second = kMarked;
      } else {
        const auto [text, fresh] =
            byText_.try_emplace(LowerCase(*name), static_cast<uint32_t>(byText_.size()));
        it->second = text->second;
      }
    }
    return it->second;
  }

 private:
  std::unordered_map<const void*, uint32_t> byObject_;
  std::unordered_map<std::string, uint32_t> byText_;
};

// A figure as MergeGroupKey compares it: its text (FormatG15) tells every float from every
// other but writes each NaN alike.
uint32_t FigureBits(float figure) {
  return std::isnan(figure) ? 0x7FC00000u : std::bit_cast<uint32_t>(figure);
}

// MergeGroupKey by its parts: with no name holding one of its marks, two keys are the same text
// exactly when their parts are equal.
struct TMergeParts {
  std::array<uint32_t, 14> parts;
  size_t index;  // in the race's groups
};

// MergeGroups' last step for one race, done on the keys' parts; false (and nothing done) when a
// name of the race's groups holds one of the key's marks.
bool MergeByParts(GameState& state, TPlayer& race, TNameIds& names) {
  std::vector<TMergeParts> keys;
  keys.reserve(race.Groups.size());
  for (size_t i = 0; i < race.Groups.size(); ++i) {
    const TGroup& g = *race.Groups[i];
    const uint32_t type = names.Of(g.ShipType, g.ShipType ? &g.ShipType->Name : nullptr);
    const uint32_t planet = names.Of(g.Planet, g.Planet ? &g.Planet->Name : nullptr);
    const uint32_t origin = names.Of(g.Origin, g.Origin ? &g.Origin->Name : nullptr);
    if (type == TNameIds::kMarked || planet == TNameIds::kMarked || origin == TNameIds::kMarked)
      return false;
    keys.push_back(
        {{static_cast<uint32_t>(g.Turn), type, planet, origin, static_cast<uint32_t>(g.Ships),
          FigureBits(g.Distance), FigureBits(g.DriveTech), FigureBits(g.WeaponsTech),
          FigureBits(g.ShieldsTech), FigureBits(g.Load), static_cast<uint32_t>(g.CargoType),
          FigureBits(g.CargoTech), static_cast<uint32_t>(std::max(g.GroupNumber, 0)), 0},
         i});
  }
  std::sort(keys.begin(), keys.end(), [](const TMergeParts& a, const TMergeParts& b) {
    return a.parts != b.parts ? a.parts < b.parts : a.index < b.index;
  });
  std::vector<const TGroup*> doomed;
  for (size_t k = 0; k + 1 < keys.size(); ++k) {
    const TGroup* group = race.Groups[keys[k].index].get();
    if (keys[k].parts == keys[k + 1].parts && group->FleetName.empty()) doomed.push_back(group);
  }
  if (doomed.empty()) return true;
  std::sort(doomed.begin(), doomed.end());
  state.RemoveGroupsIf(race, [&](const TGroup& group) {
    return std::binary_search(doomed.begin(), doomed.end(), &group);
  });
  return true;
}

}  // namespace

std::string MergeGroupKey(const TGroup& group) {
  TFigureTexts figures;
  std::string key;
  AppendMergeKey(key, group, figures);
  return key;
}

void MergeGroups(GameState& state) {
  TFigureTexts figures;
  TNameIds names;
  for (auto [name, race] : state.Players) {
    if (!race) continue;
    // The user's own report lists every group of the user; an ally's listing adds nothing.
    if (race == state.MainPlayer) {
      state.RemoveGroupsIf(*race, [](const TGroup& group) { return group.GroupNumber == 0; });
    }
    // A group known from a battle that a group table of the same turn lists at that planet
    // (with the same design) is that table's group, seen after the battle: the table's row
    // stands for it, whatever its ship count.
    std::vector<std::tuple<int32_t, const TPlanet*, const TShipType*>> listed;
    const auto standing = [](const TGroup& group) {
      return std::make_tuple(group.Turn, static_cast<const TPlanet*>(group.Planet),
                             static_cast<const TShipType*>(group.ShipType));
    };
    bool fromBattle = false;
    for (const auto& group : race->Groups) {
      if (!group->FromBattle && group->Distance == 0) listed.push_back(standing(*group));
      fromBattle = fromBattle || group->FromBattle;
    }
    if (fromBattle && !listed.empty()) {
      std::sort(listed.begin(), listed.end());
      state.RemoveGroupsIf(*race, [&](const TGroup& group) {
        return group.FromBattle &&
               std::binary_search(listed.begin(), listed.end(), standing(group));
      });
    }
    // Keys compare ignoring case, so they are looked up lower-cased. Of the groups with one key,
    // in the order read, each but the last has an equal key after it: those go, unless they
    // belong to a fleet.
    if (MergeByParts(state, *race, names)) continue;
    // A name holds one of the key's marks: the whole texts are compared.
    // All keys in one text, each lower-cased as a whole.
    std::string text;
    std::vector<size_t> ends;
    ends.reserve(race->Groups.size());
    for (const auto& group : race->Groups) {
      const size_t start = text.size();
      AppendMergeKey(text, *group, figures);
      for (size_t i = start; i < text.size(); ++i) text[i] = LoCase(text[i]);
      ends.push_back(text.size());
    }
    std::vector<std::string_view> keys;
    keys.reserve(ends.size());
    for (size_t i = 0; i < ends.size(); ++i) {
      const size_t start = i == 0 ? 0 : ends[i - 1];
      keys.emplace_back(text.data() + start, ends[i] - start);
    }
    std::unordered_map<std::string_view, size_t> lastWithKey;
    lastWithKey.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) lastWithKey[keys[i]] = i;
    std::unordered_set<const TGroup*> doomed;
    for (size_t i = 0; i < keys.size(); ++i) {
      const TGroup& group = *race->Groups[i];
      if (lastWithKey[keys[i]] != i && group.FleetName.empty()) doomed.insert(&group);
    }
    if (doomed.empty()) continue;
    state.RemoveGroupsIf(*race, [&](const TGroup& group) { return doomed.count(&group) > 0; });
  }
}

}  // namespace tovix

#include "views/map_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/order_commands.h"
#include "views/route_rows.h"

namespace tovix {

namespace {

// The keys of one section of the lines, in order.
std::vector<std::pair<std::string, std::string>> SectionKeys(const std::vector<std::string>& lines,
                                                             std::string_view section) {
  std::vector<std::pair<std::string, std::string>> keys;
  bool inside = false;
  for (const std::string& line : lines) {
    if (!line.empty() && line.front() == '[') {
      inside = line.size() >= 2 && line.back() == ']' &&
               SameText(line.substr(1, line.size() - 2), section);
      continue;
    }
    const size_t eq = line.find('=');
    if (inside && eq != std::string::npos)
      keys.emplace_back(Trim(line.substr(0, eq)), line.substr(eq + 1));
  }
  return keys;
}

void ReadInt(const std::vector<std::pair<std::string, std::string>>& keys, std::string_view key,
             int32_t& field) {
  for (const auto& [k, v] : keys) {
    int32_t n = 0;
    if (SameText(k, key) && TryParseInt(TrimView(v), n)) field = n;
  }
}

}  // namespace

std::string BookmarkAllInfo(const TMapBookMark& b) {
  return JoinCommaText({"[MapBookMark]", std::string("Valid=") + (b.Valid ? "1" : "0"),
                        "YPos=" + std::to_string(b.YPos), "XPos=" + std::to_string(b.XPos),
                        "Ratio=" + std::to_string(b.Ratio), "YRange=" + std::to_string(b.YRange),
                        "XRange=" + std::to_string(b.XRange), ""});
}

void SetBookmarkAllInfo(TMapBookMark& b, std::string_view text) {
  const auto keys = SectionKeys(SplitCommaText(text), "MapBookMark");
  int32_t valid = b.Valid ? 1 : 0;
  ReadInt(keys, "Valid", valid);
  b.Valid = valid != 0;
  ReadInt(keys, "YPos", b.YPos);
  ReadInt(keys, "XPos", b.XPos);
  ReadInt(keys, "Ratio", b.Ratio);
  ReadInt(keys, "YRange", b.YRange);
  ReadInt(keys, "XRange", b.XRange);
}

std::string TStoreMapBookmarks::AllInfo() const {
  std::vector<std::string> lines{"[StoreMapBookmarks]"};
  for (size_t i = 0; i < BM.size(); ++i)
    lines.push_back("BM" + std::to_string(i) + "=" + BookmarkAllInfo(BM[i]));
  lines.push_back("LastPos=" + BookmarkAllInfo(LastPos));
  lines.emplace_back();
  return JoinCommaText(lines);
}

void TStoreMapBookmarks::SetAllInfo(std::string_view text) {
  const auto keys = SectionKeys(SplitCommaText(text), "StoreMapBookmarks");
  for (const auto& [k, v] : keys) {
    for (size_t i = 0; i < BM.size(); ++i)
      if (SameText(k, "BM" + std::to_string(i))) SetBookmarkAllInfo(BM[i], v);
    if (SameText(k, "LastPos")) SetBookmarkAllInfo(LastPos, v);
  }
}

std::string BookmarksSection(const TGameSettings& settings) {
  return "MapBM_" + settings.GetGameSection();
}

std::string TMapAreaOrder::Question() const {
  return MapCommandQuestion(X, Y, Size);
}

std::string TMapAreaOrder::Line() const {
  return MapCommand(X, Y, Size);
}

std::optional<TMapAreaOrder> MapAreaOrder(const TMap& map, int32_t clientWidth,
                                          int32_t clientHeight) {
  const TMapPoint p0 = map.ScreenToWorld(0, 0);
  const TMapPoint p1 = map.ScreenToWorld(clientWidth, clientHeight);
  int64_t x = p0.X / 100;
  int64_t y = p0.Y / 100;
  int64_t size = std::max(std::abs(int64_t{p1.X} - p0.X), std::abs(int64_t{p1.Y} - p0.Y)) / 100;
  if (!map.Centred) {
    x = std::max<int64_t>(x, 0);
    y = std::max<int64_t>(y, 0);
    size = std::min<int64_t>(size, map.ExtentX / 100 - x);
    size = std::min<int64_t>(size, map.ExtentY / 100 - y);
  } else {
    x = std::max<int64_t>(x, -(map.ExtentX / 200));
    y = std::max<int64_t>(y, -(map.ExtentY / 200));
    size = std::min<int64_t>(size, std::abs(map.ExtentX / 200 - x));
    size = std::min<int64_t>(size, std::abs(map.ExtentY / 200 - y));
  }
  // A view beside the galaxy would give a map of no size.
  if (size <= 0) return std::nullopt;
  return TMapAreaOrder{static_cast<int32_t>(x), static_cast<int32_t>(y),
                       static_cast<int32_t>(size)};
}

TRenameCheck CheckRename(const GameState& state, const TPlanet& planet, std::string_view name) {
  if (name.empty() || std::any_of(name.begin(), name.end(),
                                  [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
    return TRenameCheck::Malformed;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet* p = state.Planets.Object(i);
    if (p != &planet && SameText(p->Name, name)) return TRenameCheck::InUse;
  }
  return TRenameCheck::Ok;
}

TRenameOrder RenameOrder(const GameState& state, const TPlanet& planet, std::string_view typed) {
  const std::string name = Trim(typed);
  if (name == planet.Name) return {};
  switch (CheckRename(state, planet, name)) {
    case TRenameCheck::Malformed:
      return {"", std::string(kNameMalformed)};
    case TRenameCheck::InUse:
      return {"", std::string(kNameInUse)};
    case TRenameCheck::Ok:
      break;
  }
  return {RenameCommand(planet.Name, name), ""};
}

std::string RouteCaption(const GameState& state, int kind, const TPlanet& from, const TPlanet& to) {
  const double distance = state.PlanetDistance(from.X, from.Y, to.X, to.Y) / 100.0;
  return Fmt("Create %s Route from %s to %s (dist: %4.2f)", kRouteTypes.at(kind), from.Name,
             to.Name, distance);
}

std::string ApplyRoute(GameState& state, int kind, TPlanet& from, TPlanet& to) {
  const std::string key = LowerCase(from.Name);
  int i = state.Routes.IndexOf(key);
  if (i < 0) i = state.Routes.AddObject(key, std::make_unique<TRoute>(&from));
  TRoute* route = state.Routes.Object(i);
  TPlanet** slot[] = {&route->Cap, &route->Col, &route->Mat, &route->Emp};
  *slot[kind] = &to;
  static constexpr int32_t kCargo[] = {pcCap, pcCol, pcMat, pcNone};
  return RouteCommand(from.Name, kCargo[kind], to.Name, kind == 3);
}

}  // namespace tovix

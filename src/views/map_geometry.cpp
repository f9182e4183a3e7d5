#include "views/map_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/text/numbers.h"

namespace tovix {

namespace {

// Screen coordinates far outside any client stay far outside, without overflowing the callers'
// arithmetic.
constexpr int64_t kScreenLimit = 1 << 29;

int32_t ClampScreen(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -kScreenLimit, kScreenLimit));
}

int32_t ClampWorld(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int64_t ScreenOf(int64_t world, int32_t ratio, int32_t scroll) {
  const double scaled = RoundHalfEven(static_cast<double>(world * ratio) / 10000.0);
  return static_cast<int64_t>(scaled) + kMapMargin - scroll;
}

struct TDotRow {
  int8_t Dy;
  int8_t From;
  int8_t To;
};

std::vector<TDotOffset> Expand(std::initializer_list<TDotRow> rows) {
  std::vector<TDotOffset> dots;
  for (const TDotRow& r : rows)
    for (int dx = r.From; dx <= r.To; ++dx) dots.push_back({static_cast<int8_t>(dx), r.Dy});
  return dots;
}

const std::array<std::vector<TDotOffset>, 9>& DotTable() {
  static const std::array<std::vector<TDotOffset>, 9> table{
      std::vector<TDotOffset>{},
      std::vector<TDotOffset>{},
      Expand({{0, 0, 1}, {1, 0, 1}}),
      Expand({{-1, 0, 0}, {0, -1, 1}, {1, 0, 0}}),
      Expand({{-1, 0, 1}, {0, -1, 2}, {1, -1, 2}, {2, 0, 1}}),
      Expand({{-2, 0, 0}, {-1, -1, 1}, {0, -2, 2}, {1, -1, 1}, {2, 0, 0}}),
      Expand({{-2, 0, 1}, {-1, -1, 2}, {0, -2, 3}, {1, -2, 3}, {2, -1, 2}, {3, 0, 1}}),
      Expand(
          {{-3, -1, 1}, {-2, -2, 2}, {-1, -3, 3}, {0, -3, 3}, {1, -3, 3}, {2, -2, 2}, {3, -1, 1}}),
      Expand({{-3, -1, 2},
              {-2, -2, 3},
              {-1, -3, 4},
              {0, -3, 4},
              {1, -3, 4},
              {2, -3, 4},
              {3, -2, 3},
              {4, -1, 2}}),
  };
  return table;
}

int32_t BarOf(float value) {
  return value > 0 ? RoundToInt(value / 100.0) + 1 : 0;
}

}  // namespace

// ---- TMap

TMapPoint TMap::WorldToScreen(int32_t x, int32_t y) const {
  int64_t wx = x;
  int64_t wy = y;
  if (Centred) {
    wx += ExtentX / 2;
    wy += ExtentY / 2;
  }
  return {ClampScreen(ScreenOf(wx, Ratio, ScrollX)), ClampScreen(ScreenOf(wy, Ratio, ScrollY))};
}

TMapPoint TMap::ScreenToWorld(int32_t sx, int32_t sy) const {
  const int64_t ratio = std::max(Ratio, 1);
  int64_t x = (int64_t{sx} + ScrollX - kMapMargin) * 10000 / ratio;
  int64_t y = (int64_t{sy} + ScrollY - kMapMargin) * 10000 / ratio;
  if (Centred) {
    x -= ExtentX / 2;
    y -= ExtentY / 2;
  }
  return {ClampWorld(x), ClampWorld(y)};
}

void TMap::SetRatio(int32_t v) {
  if (v == Ratio) return;
  Ratio = std::clamp(v, kMinRatio, kMaxRatio);
}

void TMap::FitRatio() {
  if (AreaWidth <= 0 || AreaHeight <= 0 || ExtentX < 100 || ExtentY < 100) return;
  const int64_t byWidth = int64_t{AreaWidth} * 100 / (ExtentX / 100);
  const int64_t byHeight = int64_t{AreaHeight} * 100 / (ExtentY / 100);
  Ratio = static_cast<int32_t>(std::clamp<int64_t>(std::min(byWidth, byHeight), 1, kMaxRatio));
}

int32_t TMap::PixelsOf(double mapUnits) const {
  return RingRadius(mapUnits, Ratio);
}

// ---- TMapViewState

void TMapViewState::SetClient(int32_t width, int32_t height) {
  ClientWidth = std::max(width, 0);
  ClientHeight = std::max(height, 0);
  ScrollTo(PosX(), PosY());
}

void TMapViewState::ScrollTo(int32_t posX, int32_t posY) {
  const int32_t maxX = std::max(RangeX - ClientWidth, 0);
  const int32_t maxY = std::max(RangeY - ClientHeight, 0);
  Map.SetViewOffset(std::clamp(posX, 0, maxX), std::clamp(posY, 0, maxY));
}

void TMapViewState::ComputeMapExtents(const GameState& state) {
  int64_t maxX = 0;
  int64_t maxY = 0;
  int64_t minX = 0;
  int64_t minY = 0;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet* p = state.Planets.Object(i);
    maxX = std::max<int64_t>(maxX, p->X);
    maxY = std::max<int64_t>(maxY, p->Y);
    minX = std::min<int64_t>(minX, p->X);
    minY = std::min<int64_t>(minY, p->Y);
  }
  auto extent = [](int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, 1 << 30)); };
  int32_t ex = extent(std::max(maxX, -minX));
  int32_t ey = extent(std::max(maxY, -minY));
  if (state.Settings.GameType == TGameType::NGBlind) ex = ey = extent(std::max(maxX, maxY));
  if (state.Settings.GameType == TGameType::Blind) {
    ex *= 2;
    ey *= 2;
  }
  Map.SetExtentX(ex);
  Map.SetExtentY(ey);
}

TMapPoint TMapViewState::FarCorner() const {
  return Map.Centred ? Map.WorldToScreen(Map.ExtentX / 2, Map.ExtentY / 2)
                     : Map.WorldToScreen(Map.ExtentX, Map.ExtentY);
}

void TMapViewState::ZoomFullExtents(const GameState& state) {
  SetGame(state.Settings);
  RangeX = RangeY = 0;
  Map.SetClientArea(ClientWidth - 25, ClientHeight - 25);
  Map.SetViewOffset(0, 0);
  ComputeMapExtents(state);
  const TMapPoint corner = FarCorner();
  RangeX = corner.X + kMapMargin;
  RangeY = corner.Y + kMapMargin;
  ScrollTo(0, 0);
}

void TMapViewState::ZoomBy(double factor) {
  ZoomAbout(factor, {ClientWidth / 2, ClientHeight / 2});
}

void TMapViewState::ZoomAbout(double factor, TMapPoint centre) {
  const TMapPoint world = Map.ScreenToWorld(centre.X, centre.Y);
  const double wanted = RoundHalfEven(Map.Ratio * factor);
  Map.SetRatio(static_cast<int32_t>(std::clamp<double>(wanted, 0, kMaxRatio + 1)));
  Map.SetViewOffset(0, 0);
  TMapPoint c = Map.WorldToScreen(world.X, world.Y);
  const TMapPoint corner = FarCorner();
  RangeX = corner.X + kMapMargin;
  RangeY = corner.Y + kMapMargin;
  c.X -= ClientWidth / 2;
  if (c.X < 0 || ClientWidth > corner.X) c.X = 0;
  c.Y -= ClientHeight / 2;
  if (c.Y < 0 || ClientHeight > corner.Y) c.Y = 0;
  ScrollTo(c.X, c.Y);
}

void TMapViewState::ZoomAt(double factor, TMapPoint fixed) {
  // The world point under the middle of the pixel, in fractions of a unit; notch after notch at
  // the same pixel it is the same point, so that the rounding of each notch's scroll position
  // does not add up.
  const double oldRatio = std::max(Map.Ratio, 1);
  const bool sameAnchor = anchor_ && anchor_->Pixel == fixed &&
                          anchor_->Scroll == TMapPoint{Map.ScrollX, Map.ScrollY} &&
                          anchor_->Ratio == Map.Ratio;
  const double u =
      sameAnchor ? anchor_->U
                 : (static_cast<double>(fixed.X) + Map.ScrollX - kMapMargin) * 10000.0 / oldRatio;
  const double v =
      sameAnchor ? anchor_->V
                 : (static_cast<double>(fixed.Y) + Map.ScrollY - kMapMargin) * 10000.0 / oldRatio;
  const double wanted = RoundHalfEven(Map.Ratio * factor);
  Map.SetRatio(static_cast<int32_t>(std::clamp<double>(wanted, 0, kMaxRatio + 1)));
  Map.SetViewOffset(0, 0);
  const TMapPoint corner = FarCorner();
  RangeX = corner.X + kMapMargin;
  RangeY = corner.Y + kMapMargin;
  const auto scroll = [this](double world, int32_t at) {
    return static_cast<int32_t>(std::clamp<double>(
        RoundHalfEven(world * Map.Ratio / 10000.0) + kMapMargin - at, INT32_MIN, INT32_MAX));
  };
  ScrollTo(scroll(u, fixed.X), scroll(v, fixed.Y));
  anchor_ = TZoomAnchor{fixed, {Map.ScrollX, Map.ScrollY}, Map.Ratio, u, v};
}

void TMapViewState::CentreOn(int32_t x, int32_t y) {
  Map.SetViewOffset(0, 0);
  const TMapPoint s = Map.WorldToScreen(x, y);
  ScrollTo(std::max(s.X - ClientWidth / 2, 0), std::max(s.Y - ClientHeight / 2, 0));
}

TMapBookMark StoreBookmark(const TMapViewState& view) {
  return {.Valid = true,
          .YPos = view.PosY(),
          .XPos = view.PosX(),
          .Ratio = view.Map.Ratio,
          .YRange = view.RangeY,
          .XRange = view.RangeX};
}

bool GoToBookmark(TMapViewState& view, const TMapBookMark& bookmark) {
  if (!bookmark.Valid) return false;
  view.Map.SetRatio(bookmark.Ratio);
  view.RangeX = std::max(bookmark.XRange, 0);
  view.RangeY = std::max(bookmark.YRange, 0);
  view.ScrollTo(bookmark.XPos, bookmark.YPos);
  return true;
}

// ---- What the map draws

std::span<const TDotOffset> DotOffsets(int dotSize) {
  if (dotSize < 2 || dotSize > 8) return {};
  return DotTable()[static_cast<size_t>(dotSize)];
}

TPlanetLook PlanetLook(const TPlanet& planet, const TPlayer* mainPlayer, const TColorSchema& scheme,
                       const TPlayerColors& players) {
  TPlanetLook look;
  const bool sizeKnown = planet.Size > 0;
  look.Colour = scheme[sizeKnown ? scUnInSizeKnown : scUnInSizeUnk];
  if (!planet.Owner.IsNone()) {
    if (scheme.UseOneColorOtherPlayers || planet.LastOwner == nullptr)
      look.Colour = scheme[sizeKnown ? scOtherPlayersPlanets : scHabSizeUnk];
    else
      look.Colour = players.ColourOf(planet.LastOwner);
  }
  if (planet.Owner.Is(mainPlayer)) look.Colour = scheme[scPlayerPlanets];
  if (planet.OwnAtTurn0 && scheme.UseColorsFirstTurn) look.Colour = scheme[scFirstTurnPlanets];
  look.DotSize = RoundToInt(planet.Size / 200.0) + 3;
  look.SizeBar = BarOf(planet.Size);
  look.PopulationBar = BarOf(planet.Population);
  look.IndustryBar = BarOf(planet.Industry);
  return look;
}

int32_t RingRadius(double mapUnits, int32_t ratio) {
  return RoundToInt(mapUnits * 100.0 * ratio / 10000.0);
}

std::optional<TIncomingLine> IncomingLine(const TIncomingGroup& group,
                                          const TGameSettings& settings) {
  if (!group.Origin || !group.Destination) return std::nullopt;
  TIncomingLine line;
  line.From = {group.Origin->X, group.Origin->Y};
  line.To = {group.Destination->X, group.Destination->Y};
  if (settings.GameType == TGameType::NG && settings.IsSpherical()) {
    // The short way round may cross the edge: the destination then lies beyond it.
    const int64_t width = int64_t{settings.MapSize} * 100;
    auto shortWay = [width](int32_t from, int32_t& to, int32_t& wrap) {
      const int64_t d = int64_t{to} - from;
      if (2 * std::abs(d) <= width) return;
      const int64_t moved = d > 0 ? to - width : to + width;
      wrap = static_cast<int32_t>(to - moved);
      to = ClampWorld(moved);
    };
    shortWay(line.From.X, line.To.X, line.Wrap.X);
    shortWay(line.From.Y, line.To.Y, line.Wrap.Y);
  }
  const double dx = static_cast<double>(line.To.X) - line.From.X;
  const double dy = static_cast<double>(line.To.Y) - line.From.Y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) {
    line.Now = line.To;
    return line;
  }
  // A remaining distance beyond the whole way (or below 0) keeps the group at an end.
  const double t = std::clamp((d - group.Distance * 100.0) / d, 0.0, 1.0);
  line.Now = {RoundToInt(line.From.X + dx * t), RoundToInt(line.From.Y + dy * t)};
  return line;
}

TPlanet* FindNearestPlanet(const GameState& state, int32_t x, int32_t y) {
  TPlanet* best = nullptr;
  double bestDistance = 0;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    TPlanet* p = state.Planets.Object(i);
    const double dx = static_cast<double>(p->X) - x;
    const double dy = static_cast<double>(p->Y) - y;
    const double d = dx * dx + dy * dy;
    if (!best || d < bestDistance) {
      best = p;
      bestDistance = d;
    }
  }
  return best;
}

std::vector<TPlanet*> PlanetsStrictlyInside(const GameState& state, int32_t x1, int32_t y1,
                                            int32_t x2, int32_t y2) {
  std::vector<TPlanet*> inside;
  for (int i = 0; i < state.Planets.Count(); ++i) {
    TPlanet* p = state.Planets.Object(i);
    if (x1 < p->X && p->X < x2 && y1 < p->Y && p->Y < y2) inside.push_back(p);
  }
  return inside;
}

}  // namespace tovix

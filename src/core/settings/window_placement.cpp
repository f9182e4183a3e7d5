#include "core/settings/window_placement.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <tuple>

namespace tovix {

namespace {

// The step by which a window opened on a busy screen steps away from an open window's corner.
constexpr int32_t kCascadeStep = 28;

int64_t OverlapArea(const TScreenRect& a, const TScreenRect& b) {
  const int64_t w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
  const int64_t h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Shifts `frame`, keeping its size, onto `area`; a frame larger than the area keeps its top-left
// corner (the title bar and the window menu) on it.
TScreenRect ShiftOnto(const TScreenRect& frame, const TScreenRect& area) {
  const int32_t left = std::max(std::min(frame.Left, area.Right - frame.Width()), area.Left);
  const int32_t top = std::max(std::min(frame.Top, area.Bottom - frame.Height()), area.Top);
  return {left, top, left + frame.Width(), top + frame.Height()};
}

// The screen `frame` overlaps most, the first when it overlaps none.
const TScreenRect* ScreenOf(const TScreenRect& frame, const std::vector<TScreenRect>& screens) {
  const TScreenRect* area = &screens.front();
  int64_t most = 0;
  for (const TScreenRect& s : screens)
    if (const int64_t o = OverlapArea(frame, s); o > most) {
      most = o;
      area = &s;
    }
  return area;
}

}  // namespace

TScreenRect FrameOf(const TScreenRect& client, const TFrameMargins& m) {
  return {client.Left - m.Left, client.Top - m.Top, client.Right + m.Right,
          client.Bottom + m.Bottom};
}

TScreenRect ClientOf(const TScreenRect& frame, const TFrameMargins& m) {
  return {frame.Left + m.Left, frame.Top + m.Top, frame.Right - m.Right, frame.Bottom - m.Bottom};
}

TScreenRect KeepFrameOnScreen(const TScreenRect& client, const TFrameMargins& margins,
                              const std::vector<TScreenRect>& screens, bool fixedSize) {
  if (screens.empty()) return client;
  TScreenRect frame = FrameOf(client, margins);
  const TScreenRect* area = ScreenOf(frame, screens);
  if (!fixedSize) {
    frame.Right = frame.Left + std::min(frame.Width(), area->Width());
    frame.Bottom = frame.Top + std::min(frame.Height(), area->Height());
  }
  return ClientOf(ShiftOnto(frame, *area), margins);
}

namespace {

bool TitleBarClear(const TScreenRect& client, const TFrameMargins& margins,
                   const std::vector<TScreenRect>& covering) {
  const TScreenRect frame = FrameOf(client, margins);
  const TScreenRect bar{frame.Left, frame.Top, frame.Right, client.Top};
  return std::none_of(covering.begin(), covering.end(),
                      [&bar](const TScreenRect& r) { return OverlapArea(bar, r) > 0; });
}

int64_t Distance(const TScreenRect& a, const TScreenRect& b) {
  return std::abs(int64_t{a.Left} - b.Left) + std::abs(int64_t{a.Top} - b.Top);
}

}  // namespace

TScreenRect KeepTitleBarClear(const TScreenRect& client, const TFrameMargins& margins,
                              const std::vector<TScreenRect>& covering,
                              const std::vector<TScreenRect>& screens, bool fixedSize) {
  if (TitleBarClear(client, margins, covering)) return client;
  const TScreenRect frame = FrameOf(client, margins);
  // A window that can be resized gives up what would hang over the screen's edge, rather than
  // being shifted back under the covering frame.
  const TScreenRect* area = screens.empty() ? nullptr : ScreenOf(frame, screens);
  std::vector<TScreenRect> tries;
  for (const TScreenRect& r : covering) {
    if (const int32_t down = r.Bottom - frame.Top; down > 0) {
      TScreenRect t{client.Left, client.Top + down, client.Right, client.Bottom + down};
      if (area && !fixedSize)
        t.Bottom = std::max(std::min(t.Bottom, area->Bottom - margins.Bottom), t.Top + 1);
      tries.push_back(t);
    }
    if (const int32_t right = r.Right - frame.Left; right > 0) {
      TScreenRect t{client.Left + right, client.Top, client.Right + right, client.Bottom};
      if (area && !fixedSize)
        t.Right = std::max(std::min(t.Right, area->Right - margins.Right), t.Left + 1);
      tries.push_back(t);
    }
  }
  std::optional<TScreenRect> best;
  for (const TScreenRect& t : tries) {
    const TScreenRect kept =
        screens.empty() ? t : KeepFrameOnScreen(t, margins, screens, fixedSize);
    if (!TitleBarClear(kept, margins, covering)) continue;
    if (!best || Distance(kept, client) < Distance(*best, client)) best = kept;
  }
  return best.value_or(client);
}

TScreenRect DialogPlacement(int32_t width, int32_t height, const TFrameMargins& margins,
                            const std::optional<TScreenRect>& over,
                            const std::vector<TScreenRect>& covering,
                            const std::vector<TScreenRect>& screens) {
  const int32_t frameWidth = width + margins.Left + margins.Right;
  const int32_t frameHeight = height + margins.Top + margins.Bottom;
  TScreenRect centre{0, 0, frameWidth, frameHeight};
  if (over)
    centre = *over;
  else if (!screens.empty())
    centre = screens.front();
  const int32_t left = centre.Left + (centre.Width() - frameWidth) / 2;
  const int32_t top = centre.Top + (centre.Height() - frameHeight) / 2;
  const TScreenRect client = ClientOf({left, top, left + frameWidth, top + frameHeight}, margins);
  // A dialog keeps its size: its controls were laid out for it.
  return KeepTitleBarClear(KeepFrameOnScreen(client, margins, screens, true), margins, covering,
                           screens, true);
}

TScreenRect FirstPlacementRoom(const TPlacementScene& scene) {
  TScreenRect room = scene.Area;
  for (const TScreenRect& keep : scene.KeepClear) {
    if (OverlapArea(keep, room) == 0) continue;
    const int32_t above = keep.Top - room.Top;
    const int32_t below = room.Bottom - keep.Bottom;
    if (below >= above)
      room.Top = std::max(room.Top, keep.Bottom);
    else
      room.Bottom = std::min(room.Bottom, keep.Top);
  }
  // A main window that fills the screen leaves no band: the whole area is the room then.
  return room.Height() > 0 ? room : scene.Area;
}

TScreenRect FirstPlacement(int32_t width, int32_t height, const TFrameMargins& margins,
                           const TPlacementScene& scene) {
  // The frame keeps to the room, so that even a window as large as the screen leaves the main
  // window's buttons in view.
  const TScreenRect area = FirstPlacementRoom(scene);
  const int32_t frameWidth =
      std::max(std::min(width + margins.Left + margins.Right, area.Width()), 1);
  const int32_t frameHeight =
      std::max(std::min(height + margins.Top + margins.Bottom, area.Height()), 1);

  // The places worth trying: against the area's edges and beside every frame there, plus a step
  // off each open window's corner for a screen with no free place.
  std::vector<int32_t> xs{area.Left, area.Right - frameWidth};
  std::vector<int32_t> ys{area.Top, area.Bottom - frameHeight};
  std::vector<std::pair<int32_t, int32_t>> corners;
  for (const auto* list : {&scene.KeepClear, &scene.OpenWindows})
    for (const TScreenRect& r : *list) {
      xs.insert(xs.end(), {r.Right, r.Left - frameWidth});
      ys.insert(ys.end(), {r.Bottom, r.Top - frameHeight});
    }
  for (const TScreenRect& r : scene.OpenWindows)
    corners.emplace_back(r.Left + kCascadeStep, r.Top + kCascadeStep);
  for (int32_t x : xs)
    for (int32_t y : ys) corners.emplace_back(x, y);

  using TCost = std::tuple<bool, int64_t, int64_t, int32_t, int32_t>;
  TScreenRect best{area.Left, area.Top, area.Left + frameWidth, area.Top + frameHeight};
  TCost bestCost{true, INT64_MAX, INT64_MAX, INT32_MAX, INT32_MAX};
  for (const auto& [x, y] : corners) {
    const TScreenRect frame{x, y, x + frameWidth, y + frameHeight};
    if (frame.Left < area.Left || frame.Top < area.Top || frame.Right > area.Right ||
        frame.Bottom > area.Bottom)
      continue;
    bool piled = false;
    int64_t keepCost = 0;
    int64_t openCost = 0;
    for (const TScreenRect& r : scene.KeepClear) keepCost += OverlapArea(frame, r);
    for (const TScreenRect& r : scene.OpenWindows) {
      openCost += OverlapArea(frame, r);
      piled = piled || (r.Left == frame.Left && r.Top == frame.Top);
    }
    const TCost cost{piled, keepCost, openCost, y, x};
    if (cost < bestCost) {
      bestCost = cost;
      best = frame;
    }
  }
  return ClientOf(best, margins);
}

}  // namespace tovix

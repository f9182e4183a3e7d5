#pragma once
// Where a window goes on the screen when the settings do not say, and how a stored place is kept
// on the screens there are now. The rules work on the window's frame (title bar and borders
// included), since a window whose frame hangs over the screen's edge cannot be grabbed there.
//
// What callers rely on: every rectangle they get back is a client rectangle (the window's inside,
// as the settings store it), and its frame lies on one screen's available area whenever the
// frame fits there at all.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/settings/save_state.h"

namespace tovix {

// The frame's widths around the client: title bar on top, borders elsewhere.
struct TFrameMargins {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool operator==(const TFrameMargins&) const = default;
};

TScreenRect FrameOf(const TScreenRect& client, const TFrameMargins& margins);
TScreenRect ClientOf(const TScreenRect& frame, const TFrameMargins& margins);

// The stored client rectangle moved (and, unless the window has a fixed size, shrunk) so that its
// frame lies on the available area of the screen it overlaps most, the first screen when it
// overlaps none. A fixed-size frame larger than the area keeps its title bar on it.
TScreenRect KeepFrameOnScreen(const TScreenRect& client, const TFrameMargins& margins,
                              const std::vector<TScreenRect>& screens, bool fixedSize);

// The client rectangle moved so that the title bar of its frame (the band of `margins.Top` above
// the client) lies under none of `covering` (the frames of windows that stay on top): just below
// such a frame or just right of it, whichever moves the window less, the frame then kept on the
// screens. Unchanged when the title bar is clear already or when no such move clears it.
TScreenRect KeepTitleBarClear(const TScreenRect& client, const TFrameMargins& margins,
                              const std::vector<TScreenRect>& covering,
                              const std::vector<TScreenRect>& screens, bool fixedSize);

// The client rectangle of a dialog or message box of client size `width` x `height`: its frame
// centred over `over` (the frame of the window it belongs to; without one, over the first
// screen), then moved whole onto the screens and its title bar clear of `covering` (the main
// window's frame), keeping its size.
TScreenRect DialogPlacement(int32_t width, int32_t height, const TFrameMargins& margins,
                            const std::optional<TScreenRect>& over,
                            const std::vector<TScreenRect>& covering,
                            const std::vector<TScreenRect>& screens);

// What a first placement has to keep clear of.
struct TPlacementScene {
  TScreenRect Area;                      // the available area of the screen to open on
  std::vector<TScreenRect> KeepClear;    // frames that must stay visible (the main window)
  std::vector<TScreenRect> OpenWindows;  // frames of the windows already shown there
};

// The room a window has on its first opening: the area less the band of the main window (the
// band above or below it, whichever is larger), as a frame rectangle.
TScreenRect FirstPlacementRoom(const TPlacementScene& scene);

// The client rectangle of a window of client size `width` x `height` shown for the first time:
// shrunk until its frame fits the room (above), then put where it covers the kept-clear frames
// least, then the open windows least, the highest and then the leftmost place of those; never with
// its corner on an open window's corner, so that windows opened one after the other do not pile up.
TScreenRect FirstPlacement(int32_t width, int32_t height, const TFrameMargins& margins,
                           const TPlacementScene& scene);

}  // namespace tovix

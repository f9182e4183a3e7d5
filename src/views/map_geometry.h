#pragma once
// The galaxy map without Qt: the transform between world coordinates (planet coordinates in
// hundredths of a map unit) and client pixels, the view operations (fit, zoom, centre, scroll,
// bookmarks), and what each thing the map draws looks like: planet dots, statistics bars, ring
// radii, incoming-group lines, and the planet under the mouse.
//
// The transform computes in 64 bits: a coordinate of 100,000 at the largest zoom of 50,000 does
// not fit 32 bits. The zoom is never 0, so turning a click back into world coordinates never
// divides by 0.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/model/game_state.h"
#include "views/map_colours.h"

namespace tovix {

struct TMapPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TMapPoint&) const = default;
};

// The margin in pixels between the client's corner and world 0, 0.
inline constexpr int32_t kMapMargin = 10;
inline constexpr int32_t kMinRatio = 10;
inline constexpr int32_t kMaxRatio = 50000;

class TMap {
 public:
  // Pixels per 10,000 world units. Starts at the smallest zoom; a fit keeps it at least 1.
  int32_t Ratio = kMinRatio;
  int32_t ExtentY = 0;
  int32_t ExtentX = 0;
  int32_t AreaWidth = 0;
  int32_t AreaHeight = 0;
  int32_t ScrollY = 0;
  int32_t ScrollX = 0;
  bool ShowStatistics = false;
  bool ShowNames = false;
  bool ShowIncomings = false;
  // "Galaxy Blind" maps have their origin in the middle.
  bool Centred = false;

  TMapPoint WorldToScreen(int32_t x, int32_t y) const;
  TMapPoint ScreenToWorld(int32_t sx, int32_t sy) const;
  void SetViewOffset(int32_t scrollX, int32_t scrollY) {
    ScrollX = scrollX;
    ScrollY = scrollY;
  }
  void SetClientArea(int32_t width, int32_t height) {
    AreaWidth = width;
    AreaHeight = height;
  }
  void SetExtentX(int32_t v) {
    ExtentX = v;
    FitRatio();
  }
  void SetExtentY(int32_t v) {
    ExtentY = v;
    FitRatio();
  }
  // Clamped to 10 ... 50,000.
  void SetRatio(int32_t v);
  // The largest zoom at which the extents fit the area; nothing when the area is empty or an
  // extent is below 100. At least 1.
  void FitRatio();
  // Pixels of `mapUnits` whole map units at the current zoom.
  int32_t PixelsOf(double mapUnits) const;
};

// The view of the map window: the transform and the two scroll bars (range = the scrolled
// content's size, position between 0 and range - client size).
class TMapViewState {
 public:
  TMap Map;
  int32_t ClientWidth = 0;
  int32_t ClientHeight = 0;
  int32_t RangeX = 0;
  int32_t RangeY = 0;

  int32_t PosX() const { return Map.ScrollX; }
  int32_t PosY() const { return Map.ScrollY; }

  void SetGame(const TGameSettings& settings) {
    Map.Centred = settings.GameType == TGameType::Blind;
  }
  // A resize keeps the zoom; the positions are kept within the new limits.
  void SetClient(int32_t width, int32_t height);
  // Moves the view, as the scroll bars accept it.
  void ScrollTo(int32_t posX, int32_t posY);

  void ComputeMapExtents(const GameState& state);
  // The whole galaxy in the client.
  void ZoomFullExtents(const GameState& state);
  // Zooms by `factor` keeping the world point under the client's centre (or under `centre`)
  // where the client's centre is.
  void ZoomBy(double factor);
  void ZoomAbout(double factor, TMapPoint centre);
  // Zooms by `factor` keeping the world point under the client pixel `fixed` there (the mouse
  // wheel's zoom), as far as the scroll bars allow.
  void ZoomAt(double factor, TMapPoint fixed);
  // Puts the world point in the client's centre, as far as the scroll bars allow.
  void CentreOn(int32_t x, int32_t y);

 private:
  TMapPoint FarCorner() const;
  // The wheel's last zoom: the pixel, the view it left and the world point kept there.
  struct TZoomAnchor {
    TMapPoint Pixel;
    TMapPoint Scroll;
    int32_t Ratio = 0;
    double U = 0;
    double V = 0;
  };
  std::optional<TZoomAnchor> anchor_;
};

// A stored view.
struct TMapBookMark {
  bool Valid = false;
  int32_t YPos = 0;
  int32_t XPos = 0;
  int32_t Ratio = 0;
  int32_t YRange = 0;
  int32_t XRange = 0;
  bool operator==(const TMapBookMark&) const = default;
};
TMapBookMark StoreBookmark(const TMapViewState& view);
// Only a valid bookmark changes the view; false otherwise.
bool GoToBookmark(TMapViewState& view, const TMapBookMark& bookmark);

// ---- What the map draws

struct TDotOffset {
  int8_t Dx;
  int8_t Dy;
};
// The pixels of a dot of 2 to 8 pixels around its centre; empty for other sizes, which are
// drawn as a round pen dot of that width.
std::span<const TDotOffset> DotOffsets(int dotSize);

struct TPlanetLook {
  TMapColour Colour = 0;
  int DotSize = 3;
  int SizeBar = 0;  // each bar is drawn value + 1 pixels high; 0 draws nothing
  int PopulationBar = 0;
  int IndustryBar = 0;
};
TPlanetLook PlanetLook(const TPlanet& planet, const TPlayer* mainPlayer, const TColorSchema& scheme,
                       const TPlayerColors& players);

// The radius in pixels of a ring `mapUnits` map units wide; 0 for none.
int32_t RingRadius(double mapUnits, int32_t ratio);

// The line of a group on its way: travelled from From to Now, still to go from Now to To. On a
// wrapped map To lies the short way round (possibly outside the galaxy); the line is then drawn
// a second time moved by Wrap, so that the part across the edge shows on the other side.
struct TIncomingLine {
  TMapPoint From;
  TMapPoint Now;
  TMapPoint To;
  TMapPoint Wrap;  // 0, 0 when the line needs no second copy
};
std::optional<TIncomingLine> IncomingLine(const TIncomingGroup& group,
                                          const TGameSettings& settings);

// The planet of `state.Planets` nearest to the world point (no distance limit; ties go to the
// earlier planet); nullptr for an empty list.
TPlanet* FindNearestPlanet(const GameState& state, int32_t x, int32_t y);
// The planets strictly inside the world rectangle.
std::vector<TPlanet*> PlanetsStrictlyInside(const GameState& state, int32_t x1, int32_t y1,
                                            int32_t x2, int32_t y2);

}  // namespace tovix

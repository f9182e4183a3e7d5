#pragma once
// Paints the galaxy map into an image: tracks, incoming groups, planets with their dots,
// statistics bars and names, the reach rings of a group, the planet cursors, the marks and the
// overlay, in that order. The map window paints into a back buffer with it; tests and the
// benchmark paint offscreen.

#include <QFont>
#include <QImage>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/model/game_state.h"
#include "views/map_colours.h"
#include "views/map_geometry.h"

namespace tovix {

struct TPlanetCursorState {
  const TPlanet* Planet = nullptr;
  bool Visible = false;
  bool ShowRings = false;
  int32_t Range = 0;  // map units of each ring
};

struct TGroupCursorState {
  int32_t X = 0;
  int32_t Y = 0;
  float EmptyReach = 0;
  float LoadedReach = 0;  // 0 when equal to EmptyReach
  bool Disabled = false;
};

// A circle around a world point, drawn only while the overlay is shown or edited.
struct TOverlayCircle {
  int32_t X = -4000;
  int32_t Y = -3000;
  int32_t Radius = 1000;
};

// The planet names rendered once, as the coverage of each pixel, and blended into the map on
// every paint: laying out and drawing thousands of names through the painter on each paint
// would take longer than a frame. Cleared when the font changes.
class TMapNameCache {
 public:
  struct TPixel {
    int16_t Dx;
    int16_t Dy;
    uint8_t Alpha;
  };
  struct TName {
    std::vector<TPixel> Pixels;  // from the top left of the text
    int Width = 0;
  };
  void SetFont(const QFont& font);
  const TName& Get(const std::string& name);

 private:
  QFont font_;
  std::unordered_map<std::string, TName> names_;
};

// Everything the map shows besides the model.
struct TMapScene {
  const GameState* State = nullptr;
  const TMapViewState* View = nullptr;
  const TColorSchema* Scheme = nullptr;
  const TPlayerColors* Players = nullptr;
  int32_t TracksTurn = -1;  // -1: no tracks
  std::vector<TIncomingLine> Incomings;
  TGroupCursorState Group;
  TPlanetCursorState Planet1;
  TPlanetCursorState Planet2;
  std::vector<const TPlanet*> PlayerMarks;
  std::vector<const TPlanet*> RedMarks;
  std::vector<const TPlanet*> BlueMarks;
  std::vector<TOverlayCircle> Overlays;
  bool ShowOverlays = false;
  // Overlay mode: the overlays are drawn with their handles (the centre and the ends of the
  // axes), shown or not.
  bool OverlayHandles = false;
  TMapNameCache* Names = nullptr;  // nullptr: names are laid out as they are drawn
};

QColor ToQColor(TMapColour colour);

// Paints the whole image (its size is the client's).
void PaintMap(QImage& image, const TMapScene& scene);

}  // namespace tovix

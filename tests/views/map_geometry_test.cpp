#include "views/map_geometry.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "core/text/str_utils.h"

namespace tovix {
namespace {

class MapGeometryTest : public testing::Test {
 protected:
  TPlanet* Planet(const std::string& name, int32_t x, int32_t y, float size = 0) {
    auto p = std::make_unique<TPlanet>(name);
    p->X = x;
    p->Y = y;
    p->Size = size;
    return state.AddPlanet(LowerCase(name), std::move(p), 0);
  }
  TMapViewState Client(int w, int h) {
    TMapViewState v;
    v.SetClient(w, h);
    return v;
  }
  GameState state;
};

TEST_F(MapGeometryTest, TransformRoundsHalfToEvenAndRoundTripsWithinAPixel) {
  TMap map;
  map.Ratio = 5;  // 1234 * 5 / 10000 = 0.617; 3000 * 5 / 10000 = 1.5 -> 2; 5000 -> 2.5 -> 2
  EXPECT_EQ(map.WorldToScreen(3000, 5000), (TMapPoint{12, 12}));
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> coord(-100000, 100000);
  for (bool centred : {false, true}) {
    map.Centred = centred;
    map.ExtentX = map.ExtentY = 200000;
    map.Ratio = 143;
    map.SetViewOffset(37, 11);
    for (int i = 0; i < 200; ++i) {
      const int32_t x = coord(random);
      const int32_t y = coord(random);
      const TMapPoint s = map.WorldToScreen(x, y);
      const TMapPoint back = map.ScreenToWorld(s.X, s.Y);
      const TMapPoint again = map.WorldToScreen(back.X, back.Y);
      EXPECT_LE(std::abs(again.X - s.X), 1);
      EXPECT_LE(std::abs(again.Y - s.Y), 1);
    }
  }
}

TEST_F(MapGeometryTest, LargeCoordinatesAtTheLargestZoomDoNotOverflow) {
  TMap map;
  map.SetRatio(kMaxRatio);
  // 100,000 * 50,000 does not fit 32 bits: 500,000 pixels to the right.
  EXPECT_EQ(map.WorldToScreen(100000, 0).X, 500000 + kMapMargin);
  EXPECT_EQ(map.ScreenToWorld(500000 + kMapMargin, 0).X, 100000);
}

TEST_F(MapGeometryTest, RatioIsClampedAndTheFitNeverGivesZero) {
  TMap map;
  map.SetRatio(5);
  EXPECT_EQ(map.Ratio, kMinRatio);
  map.SetRatio(60000);
  EXPECT_EQ(map.Ratio, kMaxRatio);
  map.SetClientArea(775, 575);
  map.SetExtentX(40000);
  map.SetExtentY(40000);
  EXPECT_EQ(map.Ratio, 143);
  const int32_t before = map.Ratio;
  map.SetClientArea(0, 575);
  map.FitRatio();
  EXPECT_EQ(map.Ratio, before);  // an empty area fits nothing
  map.SetClientArea(1, 1);
  map.SetExtentX(1000000);
  EXPECT_EQ(map.Ratio, 1);  // a tiny window still gives a zoom a click can divide by
  EXPECT_NO_FATAL_FAILURE(map.ScreenToWorld(5, 5));
  TMap fresh;
  EXPECT_GT(fresh.Ratio, 0);
}

TEST_F(MapGeometryTest, ExtentsFollowTheGameType) {
  Planet("a", 3000, 1000);
  Planet("b", -5000, 2000);
  TMapViewState view = Client(400, 300);
  view.ComputeMapExtents(state);
  EXPECT_EQ(view.Map.ExtentX, 5000);
  EXPECT_EQ(view.Map.ExtentY, 2000);
  state.Settings.GameType = TGameType::NGBlind;
  view.ComputeMapExtents(state);
  EXPECT_EQ(view.Map.ExtentX, 3000);
  EXPECT_EQ(view.Map.ExtentY, 3000);
  state.Settings.GameType = TGameType::Blind;
  view.ComputeMapExtents(state);
  EXPECT_EQ(view.Map.ExtentX, 10000);
  EXPECT_EQ(view.Map.ExtentY, 4000);
}

TEST_F(MapGeometryTest, FitShowsEveryPlanetAndZoomKeepsTheCentre) {
  for (bool blind : {false, true}) {
    GameState game;
    game.Settings.GameType = blind ? TGameType::Blind : TGameType::NG;
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> coord(blind ? -15000 : 0, 15000);
    for (int i = 0; i < 50; ++i) {
      auto p = std::make_unique<TPlanet>("p" + std::to_string(i));
      p->X = coord(random);
      p->Y = coord(random);
      game.AddPlanet("p" + std::to_string(i), std::move(p), 0);
    }
    TMapViewState view = Client(400, 400);
    view.ZoomFullExtents(game);
    for (int i = 0; i < game.Planets.Count(); ++i) {
      const TPlanet* p = game.Planets.Object(i);
      const TMapPoint s = view.Map.WorldToScreen(p->X, p->Y);
      EXPECT_TRUE(s.X >= 0 && s.X < 400 && s.Y >= 0 && s.Y < 400) << p->Name;
    }
    const TMapPoint centre = view.Map.ScreenToWorld(200, 200);
    view.ZoomBy(1.1);
    view.ZoomBy(1.1);
    view.ZoomBy(1.1);
    const TMapPoint s = view.Map.WorldToScreen(centre.X, centre.Y);
    EXPECT_NEAR(s.X, 200, 2);
    EXPECT_NEAR(s.Y, 200, 2);
    EXPECT_GE(view.PosX(), 0);
    // Zooming out again ends with the view at 0 (the galaxy fits once more).
    for (int i = 0; i < 10; ++i) view.ZoomBy(0.9);
    EXPECT_EQ(view.PosX(), 0);
    EXPECT_EQ(view.PosY(), 0);
  }
}

// The wheel's zoom keeps the world point under the mouse where it is, within a pixel, notch
// after notch, in and out, as long as the view is not at a scroll bar's end.
TEST_F(MapGeometryTest, WheelZoomKeepsThePointUnderTheMouse) {
  Planet("a", 0, 0);
  Planet("b", 150000, 150000);
  TMapViewState view = Client(900, 900);
  view.ZoomFullExtents(state);
  view.ZoomBy(4);  // a view in the middle, away from the bars' ends
  const TMapPoint mice[] = {{450, 450}, {120, 700}, {800, 90}};
  // Where a world point (in fractions of a unit) shows, in fractions of a pixel.
  const auto screen = [&view](double world, int32_t scroll) {
    return world * view.Map.Ratio / 10000.0 + kMapMargin - scroll;
  };
  for (const TMapPoint mouse : mice) {
    // The world point at the middle of the pixel under the mouse.
    const double x = (mouse.X + view.PosX() - kMapMargin) * 10000.0 / view.Map.Ratio;
    const double y = (mouse.Y + view.PosY() - kMapMargin) * 10000.0 / view.Map.Ratio;
    for (double factor : {1.12, 1.12, 1.12, 0.88, 0.88, 1.12}) {
      view.ZoomAt(factor, mouse);
      EXPECT_NEAR(screen(x, view.PosX()), mouse.X, 1.0) << factor;
      EXPECT_NEAR(screen(y, view.PosY()), mouse.Y, 1.0) << factor;
    }
  }
}

TEST_F(MapGeometryTest, CentreOnAndBookmarksRestoreTheView) {
  Planet("a", 0, 0);
  Planet("b", 20000, 20000);
  TMapViewState view = Client(500, 500);
  view.ZoomFullExtents(state);
  view.ZoomBy(3);
  view.CentreOn(15000, 12000);
  const TMapPoint s = view.Map.WorldToScreen(15000, 12000);
  EXPECT_NEAR(s.X, 250, 1);
  EXPECT_NEAR(s.Y, 250, 1);
  const TMapBookMark stored = StoreBookmark(view);
  view.ZoomFullExtents(state);
  EXPECT_FALSE(GoToBookmark(view, TMapBookMark{}));
  EXPECT_TRUE(GoToBookmark(view, stored));
  EXPECT_EQ(StoreBookmark(view), stored);
  // Scrolling stays within the bars.
  view.ScrollTo(-50, 1 << 30);
  EXPECT_EQ(view.PosX(), 0);
  EXPECT_EQ(view.PosY(), view.RangeY - view.ClientHeight);
}

TEST_F(MapGeometryTest, DotsAreSymmetricPatternsOfDistinctPixels) {
  EXPECT_TRUE(DotOffsets(1).empty());
  EXPECT_TRUE(DotOffsets(9).empty());
  const size_t expected[] = {0, 0, 4, 5, 12, 13, 24, 37, 52};
  for (int size = 2; size <= 8; ++size) {
    const auto dots = DotOffsets(size);
    std::set<std::pair<int, int>> seen;
    for (const TDotOffset& d : dots) seen.insert({d.Dx, d.Dy});
    EXPECT_EQ(seen.size(), dots.size()) << size;
    EXPECT_EQ(dots.size(), expected[size]) << size;
    EXPECT_TRUE(seen.count({0, 0})) << size;
  }
}

TEST_F(MapGeometryTest, PlanetLookFollowsTheColourRules) {
  TColorSchema scheme;
  TPlayerColors colours;
  TPlayer me(0);
  TPlayer other(0);
  TPlanet p("x");
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, scheme[scUnInSizeUnk]);
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).DotSize, 3);
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).SizeBar, 0);
  p.Size = 500;  // 2.5 rounds to 2
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).DotSize, 5);
  p.Size = 1000;
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).DotSize, 8);
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).SizeBar, 11);
  p.Size = 1100;
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).DotSize, 9);
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, scheme[scUnInSizeKnown]);
  p.Owner = TOwnerRef::Unknown();
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, scheme[scOtherPlayersPlanets]);
  p.Size = 0;
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, scheme[scHabSizeUnk]);
  p.Owner = TOwnerRef::Of(&other);
  p.LastOwner = &other;
  scheme.UseOneColorOtherPlayers = false;
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, colours.OneColor);
  p.Owner = TOwnerRef::Of(&me);
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, scheme[scPlayerPlanets]);
  // Another race's start planet is no planet of the user's turn 0: it keeps its race's colour.
  p.HomeAtTurn0 = true;
  p.Owner = TOwnerRef::Of(&other);
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, colours.OneColor);
  // One of the user's start planets keeps the first-turn colour even when another race took it.
  p.OwnAtTurn0 = true;
  EXPECT_EQ(PlanetLook(p, &me, scheme, colours).Colour, scheme[scFirstTurnPlanets]);
}

TEST_F(MapGeometryTest, IncomingLinesStayBetweenTheirEndsAndGoTheShortWayOnAWrappedMap) {
  TPlanet* from = Planet("from", 1000, 1000);
  TPlanet* to = Planet("to", 5000, 1000);
  TIncomingGroup g{from, to, nullptr, 10, 0, 0, 3};
  auto line = IncomingLine(g, state.Settings);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->Now, (TMapPoint{4000, 1000}));
  g.Distance = 100;  // more than the whole way
  EXPECT_EQ(IncomingLine(g, state.Settings)->Now, line->From);
  g.Distance = -5;
  EXPECT_EQ(IncomingLine(g, state.Settings)->Now, line->To);
  g.Destination = from;
  EXPECT_EQ(IncomingLine(g, state.Settings)->Now, line->From);
  g.Origin = nullptr;
  EXPECT_FALSE(IncomingLine(g, state.Settings));

  // A 100 x 100 wrapped galaxy: from x 5 to x 95 is 10 units across the left edge.
  state.Settings.GameType = TGameType::NG;
  state.Settings.MapType = TMapType::Spherical;
  state.Settings.MapSize = 100;
  from->X = 500;
  to->X = 9500;
  TIncomingGroup wrapped{from, to, nullptr, 4, 0, 0, 3};
  line = IncomingLine(wrapped, state.Settings);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->To, (TMapPoint{-500, 1000}));
  EXPECT_EQ(line->Now, (TMapPoint{-100, 1000}));
  EXPECT_EQ(line->Wrap, (TMapPoint{10000, 0}));
}

TEST_F(MapGeometryTest, NearestPlanetTiesGoToTheFirst) {
  EXPECT_EQ(FindNearestPlanet(state, 0, 0), nullptr);
  TPlanet* a = Planet("a", 0, 0);
  TPlanet* b = Planet("b", 200, 0);
  Planet("c", 5000, 5000);
  EXPECT_EQ(FindNearestPlanet(state, 100, 0), a);  // equally far: the earlier in the list
  EXPECT_EQ(FindNearestPlanet(state, 101, 0), b);
  EXPECT_EQ(PlanetsStrictlyInside(state, 0, -1, 5000, 5000), std::vector<TPlanet*>{b});
}

}  // namespace
}  // namespace tovix

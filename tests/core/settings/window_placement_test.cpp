#include "core/settings/window_placement.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tovix {
namespace {

const TScreenRect kScreen{0, 0, 1920, 1080};
const TScreenRect kRight{1920, 0, 3200, 1024};
const TFrameMargins kFrame{4, 30, 4, 4};

bool Inside(const TScreenRect& inner, const TScreenRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

struct KeepCase {
  const char* Name;
  TScreenRect Client;
  bool Fixed;
  TScreenRect Expected;
};

TEST(KeepFrameOnScreen, MovesAndShrinksTheFrameOntoOneScreen) {
  const std::vector<TScreenRect> screens{kScreen, kRight};
  const KeepCase cases[] = {
      {"stored at 0,0: the title bar comes down onto the screen",
       {0, 0, 800, 600},
       false,
       {4, 30, 804, 630}},
      {"already on the screen: unchanged", {100, 100, 900, 700}, false, {100, 100, 900, 700}},
      {"as wide as the screen inside: the frame is shrunk to fit",
       {0, 200, 1920, 800},
       false,
       {4, 200, 1916, 800}},
      {"a fixed size keeps its size, only moves", {-50, -50, 250, 150}, true, {4, 30, 304, 230}},
      {"on the second screen, past its bottom edge",
       {2000, 900, 2400, 1200},
       false,
       {2000, 720, 2400, 1020}},
      {"a screen that is gone: onto the first",
       {5000, 100, 5400, 500},
       false,
       {1516, 100, 1916, 500}},
  };
  for (const KeepCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TScreenRect got = KeepFrameOnScreen(c.Client, kFrame, screens, c.Fixed);
    EXPECT_EQ(got, c.Expected);
  }
}

TEST(FirstPlacement, KeepsTheMainWindowClearAndDoesNotPileWindows) {
  TPlacementScene scene;
  scene.Area = kScreen;
  scene.KeepClear.push_back({0, 0, 900, 110});  // the main window's frame at the top
  std::vector<TScreenRect> frames;
  // Windows opened one after the other, as the toolbar opens them: the last two are as wide as
  // the screen.
  const std::pair<int, int> sizes[] = {
      {1020, 420}, {880, 700}, {640, 480}, {1920, 500}, {2500, 1200}};
  for (const auto& [w, h] : sizes) {
    const TScreenRect client = FirstPlacement(w, h, kFrame, scene);
    const TScreenRect frame = FrameOf(client, kFrame);
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_TRUE(Inside(frame, kScreen))
        << frame.Left << "," << frame.Top << " " << frame.Right << "," << frame.Bottom;
    EXPECT_GE(frame.Top, 110) << "covers the main window's buttons";
    // (A window as large as the room has no other place.)
    for (const TScreenRect& open : scene.OpenWindows) {
      if (w < 1920) {
        EXPECT_FALSE(open.Left == frame.Left && open.Top == frame.Top) << "piled on a window";
      }
    }
    scene.OpenWindows.push_back(frame);
    frames.push_back(frame);
  }
  // The first goes to the top left of the room, the second beside it where it fits.
  EXPECT_EQ(frames[0].Left, 0);
  EXPECT_EQ(frames[0].Top, 110);
  EXPECT_EQ(frames[1].Left, frames[0].Right);
  EXPECT_EQ(frames[1].Top, 110);
  // Larger than the room: the frame takes the room whole.
  EXPECT_EQ(frames[4], (TScreenRect{0, 110, 1920, 1080}));
}

TEST(FirstPlacement, RoomIsTheLargerBandBesideTheMainWindow) {
  TPlacementScene scene;
  scene.Area = kScreen;
  scene.KeepClear.push_back({0, 970, 900, 1080});  // the main window at the bottom
  EXPECT_EQ(FirstPlacementRoom(scene), (TScreenRect{0, 0, 1920, 970}));
  scene.KeepClear = {{0, 0, 1920, 1080}};  // a main window filling the screen leaves it all
  EXPECT_EQ(FirstPlacementRoom(scene), kScreen);
  scene.KeepClear.clear();
  const TScreenRect main = FirstPlacement(700, 90, kFrame, scene);
  EXPECT_EQ(main, (TScreenRect{4, 30, 704, 120}));  // the first window: the top left corner
}

}  // namespace
}  // namespace tovix

namespace tovix {
namespace {

struct TitleCase {
  const char* Name;
  TScreenRect Client;
  bool Fixed;
  TScreenRect Expected;
};

// A window whose title bar would lie under the main window (which stays on top) comes out just
// below or beside it, whichever is the shorter way; one whose title bar is clear stays, even when
// the rest of it lies under the main window.
TEST(KeepTitleBarClear, MovesATitleBarFromUnderTheMainWindowTheShortestWay) {
  const std::vector<TScreenRect> screens{kScreen};
  const std::vector<TScreenRect> main{{0, 0, 900, 110}};  // its frame in the top left corner
  const TitleCase cases[] = {
      {"clear below it", {100, 200, 700, 600}, false, {100, 200, 700, 600}},
      {"clear beside it, the body under it", {950, 40, 1300, 400}, false, {950, 40, 1300, 400}},
      {"title bar under it: just below", {100, 60, 700, 460}, false, {100, 140, 700, 540}},
      {"title bar across its bottom edge", {300, 130, 600, 330}, false, {300, 140, 600, 340}},
      {"near its right edge: just beside is shorter",
       {880, 60, 1180, 360},
       false,
       {904, 60, 1204, 360}},
      {"as tall as the screen: shrunk, the top stays clear",
       {100, 30, 700, 1076},
       false,
       {100, 140, 700, 1076}},
      {"as tall and fixed: beside it", {100, 30, 700, 1076}, true, {904, 30, 1504, 1076}},
  };
  for (const TitleCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TScreenRect got = KeepTitleBarClear(c.Client, kFrame, main, screens, c.Fixed);
    EXPECT_EQ(got, c.Expected);
    const TScreenRect frame = FrameOf(got, kFrame);
    EXPECT_TRUE(Inside(frame, kScreen));
    EXPECT_TRUE(frame.Top >= main[0].Bottom || frame.Left >= main[0].Right)
        << "the title bar is clear";
  }
  // Nothing covers it: nothing moves.
  EXPECT_EQ(KeepTitleBarClear({0, 0, 200, 200}, kFrame, {}, screens, false),
            (TScreenRect{0, 0, 200, 200}));
}

struct DialogCase {
  const char* Name;
  int32_t Width, Height;  // the client's size
  std::optional<TScreenRect> Over;
  TScreenRect Expected;
};

// A dialog or message box opens with its frame centred over the window it belongs to, moved whole
// onto the screen and with its title bar clear of the main window (at the top, staying on top).
// Centred before the frame was known, a dialog over the main window had its client at the
// screen's top edge and its title bar above the screen.
TEST(DialogPlacement, CentredOverItsWindowWholeOnTheScreenClearOfTheMainWindow) {
  const std::vector<TScreenRect> screens{kScreen, kRight};
  const std::vector<TScreenRect> main{{0, 0, 806, 113}};
  const DialogCase cases[] = {
      {"over the Orders window", 192, 71, TScreenRect{0, 113, 1618, 698}, {713, 383, 905, 454}},
      {"over the main window: just below it",
       116,
       59,
       TScreenRect{0, 0, 806, 113},
       {345, 143, 461, 202}},
      {"taller than a window at the screen's top: its frame on the screen",
       376,
       147,
       TScreenRect{900, 0, 1300, 100},
       {912, 30, 1288, 177}},
      {"no window to belong to: centred on the first screen",
       292,
       166,
       std::nullopt,
       {814, 470, 1106, 636}},
      {"over a window in the corner of the second screen",
       492,
       266,
       TScreenRect{2800, 900, 3200, 1024},
       {2704, 754, 3196, 1020}},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TScreenRect got = DialogPlacement(c.Width, c.Height, kFrame, c.Over, main, screens);
    EXPECT_EQ(got, c.Expected);
    EXPECT_EQ(got.Width(), c.Width) << "a dialog keeps its size";
    EXPECT_EQ(got.Height(), c.Height);
    const TScreenRect frame = FrameOf(got, kFrame);
    EXPECT_TRUE(Inside(frame, kScreen) || Inside(frame, kRight));
    EXPECT_TRUE(frame.Top >= main[0].Bottom || frame.Left >= main[0].Right)
        << "the title bar is clear";
  }
  // Larger than the screen: its title bar stays on it, though no place clears the main window.
  EXPECT_EQ(DialogPlacement(1992, 1166, kFrame, TScreenRect{0, 113, 1920, 1080}, main, screens),
            (TScreenRect{4, 30, 1996, 1196}));
}

}  // namespace
}  // namespace tovix

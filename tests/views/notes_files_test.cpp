#include "views/notes_files.h"

#include <gtest/gtest.h>

#include <random>

namespace tovix {
namespace {

TEST(NotesFilesTest, FileNamesPerTab) {
  EXPECT_EQ(NotesFileName("/p", 0, "x"), "/p/Notes_General.doc");
  EXPECT_EQ(NotesFileName("/p", 1, "x"), "/p/Notes_General_OtherPlayers.doc");
  EXPECT_EQ(NotesFileName("/p", 2, "x"), "/p/Notes_General_Servers.doc");
  EXPECT_EQ(NotesFileName("/p", 3, "A/B"), "/p/Notes_A_B.doc");
  EXPECT_EQ(NotesFileName("/p", 3, "C\\D"), "/p/Notes_C_D.doc");
}

// Never written unless loaded this run and read; then when changed or missing.
TEST(NotesFilesTest, WhenATabIsWritten) {
  EXPECT_FALSE((TNotesTabState{false, false, true, true}.ShouldWrite()));
  EXPECT_FALSE((TNotesTabState{false, false, false, false}.ShouldWrite()));
  EXPECT_FALSE((TNotesTabState{true, true, true, true}.ShouldWrite()));
  EXPECT_FALSE((TNotesTabState{true, false, false, true}.ShouldWrite()));
  EXPECT_TRUE((TNotesTabState{true, false, true, true}.ShouldWrite()));
  EXPECT_TRUE((TNotesTabState{true, false, false, false}.ShouldWrite()));
}

// Random indents placed on the ruler and read back give themselves; a marker dragged left of
// the ruler stops at 0 and reads as no indent.
TEST(NotesFilesTest, RulerRoundTripAndClamp) {
  std::mt19937 random(139);
  for (int round = 0; round < 300; ++round) {
    const int width = 300 + static_cast<int>(random() % 500);
    TRulerIndents indents;
    indents.First = static_cast<int>(random() % 100);
    indents.Left = static_cast<int>(random() % 60);
    indents.Right = static_cast<int>(random() % 60);
    const TRulerMarkers markers = RulerMarkersFor(indents, width, 8);
    const TRulerIndents back = RulerIndentsFrom(markers, 4, width);
    EXPECT_NEAR(back.First, indents.First, 1) << round;
    EXPECT_NEAR(back.First + back.Left, indents.First + indents.Left, 1) << round;
    EXPECT_NEAR(back.Right, indents.Right, 1) << round;
  }
  EXPECT_EQ(ClampMarker(-15), 0);
  const TRulerIndents atStart = RulerIndentsFrom({ClampMarker(-40), ClampMarker(-3), 500}, 4, 600);
  EXPECT_EQ(atStart.First, 0);
  EXPECT_EQ(atStart.Left, 0);
  // The left indent is relative to the first: both markers at one place give 0.
  EXPECT_EQ(RulerIndentsFrom({50, 50, 500}, 4, 600).Left, 0);
}

TEST(NotesFilesTest, LinkTargets) {
  EXPECT_EQ(LinkTargetFor("http://x.y").Url, "http://x.y");
  EXPECT_FALSE(LinkTargetFor("http://x.y").AskFirst);
  EXPECT_EQ(LinkTargetFor("www.x.y").Url, "http://www.x.y");
  EXPECT_EQ(LinkTargetFor("user@host.org").Url, "mailto:user@host.org");
  EXPECT_EQ(LinkTargetFor("mailto:a@b").Url, "mailto:a@b");
  EXPECT_TRUE(LinkTargetFor("file:///etc/passwd").AskFirst);
  EXPECT_TRUE(LinkTargetFor("FILE:x").AskFirst);
}

}  // namespace
}  // namespace tovix

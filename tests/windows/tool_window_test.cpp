#include "windows/tool_window.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>

#include "support/test_paths.h"

namespace tovix {
namespace {

// A window's placement and "ShowOnStartup" come back from the store exactly, under its fixed
// state name, even when its title changed in between.
TEST(ToolWindow, PlacementAndShowOnStartupRoundTripUnderTheFixedName) {
  test::TempDir dir;
  const std::string file = (dir / "TovixStore3.ini").string();
  {
    TznSaveState store(file);
    TToolWindow w("Planets List", 25, store);
    w.setGeometry(40, 50, 300, 200);
    w.show();
    w.setWindowTitle("Planets list - sort Ascending on Name");
    w.SaveState();
    store.UpdateFile();
  }
  TznSaveState store(file);
  EXPECT_EQ(store.ReadInteger("Planets List_State", "NormalLeft", -1), 40);
  EXPECT_TRUE(store.ReadBool("Planets List", "ShowOnStartup", false));
  TToolWindow again("Planets List", 25, store);
  again.LoadState();
  EXPECT_EQ(again.geometry(), QRect(40, 50, 300, 200));
  EXPECT_TRUE(again.ShowOnStartup());
  EXPECT_FALSE(again.windowState() & Qt::WindowMinimized);
}

TEST(ToolWindow, NothingStoredStartsMinimizedAndHidden) {
  TznSaveState store("");
  TToolWindow w("Battles", 5, store);
  w.LoadState();
  EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
  EXPECT_FALSE(w.ShowOnStartup());
  EXPECT_FALSE(w.isVisible());
}

TEST(ToolWindow, ClosingOnlyHides) {
  TznSaveState store("");
  TToolWindow w("Routes", 27, store);
  w.show();
  EXPECT_FALSE(w.close());
  EXPECT_FALSE(w.isVisible());
  w.show();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.property("HelpContext").toInt(), 27);
}

}  // namespace
}  // namespace tovix

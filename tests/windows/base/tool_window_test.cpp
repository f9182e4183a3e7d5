#include "windows/base/tool_window.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <optional>

#include "controls/zn_list_view.h"

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

// What the store holds for a window after a run.
enum class TKept { Nothing, FirstPlace, Exactly };

struct KeptCase {
  const char* Name;
  std::optional<TScreenRect> Stored;  // the stored client rectangle before the run
  bool Shown;
  TKept Kept;
};

// The end of a run writes the placement of a window only when the window was shown in it: a
// window never shown keeps what was stored before, or nothing, so that its first opening is still
// placed by the rules (and not where an unshown window happens to be). A stored place comes back
// exactly as it was, also against a screen's edge, where a guessed frame would move it.
TEST(ToolWindow, AWindowNotShownKeepsItsStoredPlacement) {
  const KeptCase cases[] = {
      {"nothing stored, not shown", std::nullopt, false, TKept::Nothing},
      {"stored, not shown", TScreenRect{40, 50, 340, 250}, false, TKept::Exactly},
      {"stored off the screens, not shown", TScreenRect{5000, 5000, 5300, 5200}, false,
       TKept::Exactly},
      // The offscreen platform frames a window with 2 pixels: this frame is in the corner.
      {"stored in the screen's corner, shown", TScreenRect{2, 2, 302, 202}, true, TKept::Exactly},
      {"nothing stored, shown", std::nullopt, true, TKept::FirstPlace},
  };
  for (const KeptCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TznSaveState store("");
    if (c.Stored) SaveFormPlacement(store, "Routes", TWindowShowState::Normal, *c.Stored, 0);
    {
      TToolWindow w("Routes", 27, store);
      w.LoadState();
      if (c.Shown) {
        if (c.Stored) {
          EXPECT_EQ(NormalRectOf(w), *c.Stored) << "restored as stored";
        }
        w.showNormal();
        QCoreApplication::processEvents();
        if (c.Stored) {
          EXPECT_EQ(NormalRectOf(w), *c.Stored) << "shown where stored";
        }
      }
      w.SaveState();
    }
    const TPlacementRecord rec = ReadPlacement(store, "Routes", 0);
    EXPECT_EQ(store.ReadBool("Routes", "ShowOnStartup", true), c.Shown);
    EXPECT_EQ(rec.Stored, c.Kept != TKept::Nothing);
    if (c.Kept == TKept::Exactly) {
      EXPECT_EQ(rec.Normal, *c.Stored);
    }
  }
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

// A window with a list beside a splitter of a list and two lists on tabs, as the orders window
// has them; every list's rows hold a long name.
struct ListsWindow : TToolWindow {
  explicit ListsWindow(TznSaveState& store) : TToolWindow("Lists", 0, store) {
    auto* layout = new QHBoxLayout(this);
    auto* splitter = new QSplitter(this);
    left = new TznListView(splitter);
    auto* tabs = new QTabWidget(splitter);
    shown = new TznListView(tabs);
    hidden = new TznListView(tabs);
    tabs->addTab(shown, "Shown");
    tabs->addTab(hidden, "Hidden");
    layout->addWidget(splitter);
    for (TznListView* list : {left, shown, hidden}) {
      list->SetColumns({"Planet", "Nr"}, {40, 40});
      list->Rows().SetRows(
          1, [](int, int column) { return column == 0 ? std::string("BetelgeusiansForge") : "x"; });
    }
    hidden->SetColumns({"Planet", "Owner", "Size", "More"}, {40, 40, 40, 40});
    resize(300, 200);
  }
  TznListView* left;
  TznListView* shown;
  TznListView* hidden;
};

// Opened for the first time, a window grows so that each list shows its columns whole (a list
// on a hidden tab included), each pane by what its list lacks, as far as the screen allows;
// where the user left the window, it stays as it was.
TEST(ToolWindow, AFirstOpeningSizesTheWindowToShowItsListsWhole) {
  TznSaveState store("");
  ListsWindow w(store);
  w.show();
  QCoreApplication::processEvents();
  const int screen = w.screen()->availableGeometry().width();
  const int need = w.left->FittedWidth() + w.hidden->FittedWidth();
  ASSERT_LT(need + 50, screen) << "the case needs a screen wide enough";
  EXPECT_GE(w.left->width(), w.left->FittedWidth());
  EXPECT_GE(w.shown->width(), w.hidden->FittedWidth()) << "the tabs are as wide as the widest";
  EXPECT_LE(w.frameGeometry().width(), screen);

  test::TempDir dir;
  TznSaveState stored((dir / "TovixStore3.ini").string());
  {
    ListsWindow placed(stored);
    placed.show();
    placed.setGeometry(20, 30, 300, 200);  // the user makes it narrower
    placed.SaveState();
  }
  ListsWindow again(stored);
  again.LoadState();
  again.showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(again.width(), 300);
}

}  // namespace
}  // namespace tovix

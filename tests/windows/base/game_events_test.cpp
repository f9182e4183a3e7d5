// The game events: which windows are told what, and when.

#include "windows/base/game_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/settings/save_state.h"
#include "support/test_paths.h"
#include "windows/base/tool_window.h"

namespace tovix {
namespace {

// A window that records its refreshes and may act in them.
class Listener : public TToolWindow {
 public:
  Listener(const char* name, TznSaveState& store) : TToolWindow(name, 0, store) {}
  std::vector<TGameChanges> refreshes;
  std::function<void()> onRefresh;

 protected:
  void RefreshGame(TGameChanges changes) override {
    refreshes.push_back(changes);
    if (onRefresh) onRefresh();
  }
};

class GameEvents : public testing::Test {
 protected:
  GameEvents() : store_((folder_ / "store.ini").string()), events_(state_) {
    for (Listener* w : {&map_, &list_, &info_}) events_.Attach(*w);
  }

  test::TempDir folder_;
  TznSaveState store_;
  GameState state_;
  TGameEvents events_;
  Listener map_{"Map", store_};
  Listener list_{"Planets List", store_};
  Listener info_{"Planet Info", store_};
  TPlanet mars_{"Mars"};
  TPlanet venus_{"Venus"};
};

// A shown window refreshes at once; a hidden one collects what happened and refreshes once, at
// its next show.
TEST_F(GameEvents, HiddenWindowsRefreshOnceWhenShown) {
  map_.show();
  events_.GameRead();
  events_.OrdersAnalysed();
  EXPECT_EQ(map_.refreshes, (std::vector<TGameChanges>{gcGameRead, gcOrdersAnalysed}));
  EXPECT_TRUE(list_.refreshes.empty());
  list_.show();
  EXPECT_EQ(list_.refreshes, (std::vector<TGameChanges>{gcGameRead | gcOrdersAnalysed}));
  list_.hide();
  list_.show();
  EXPECT_EQ(list_.refreshes.size(), 1u);
  events_.Detach(info_);
  events_.GameRead();
  info_.show();
  EXPECT_EQ(info_.refreshes, (std::vector<TGameChanges>{gcGameRead | gcOrdersAnalysed}));
}

// The list selects a planet: the others follow, the list is not told of its own change, and a
// window that tries to select again while it follows is refused, so nothing bounces back.
TEST_F(GameEvents, ASelectionReachesTheOthersOnceAndNeverBouncesBack) {
  for (Listener* w : {&map_, &list_, &info_}) w->show();
  bool echoRefused = false;
  map_.onRefresh = [&] { echoRefused = !events_.SelectPlanet(&venus_, &map_); };
  info_.onRefresh = [&] { events_.SelectPlanet(state_.SelectedPlanet, &info_); };

  EXPECT_TRUE(events_.SelectPlanet(&mars_, &list_));
  EXPECT_EQ(state_.SelectedPlanet, &mars_);
  EXPECT_TRUE(echoRefused);
  EXPECT_TRUE(list_.refreshes.empty());
  EXPECT_EQ(map_.refreshes, std::vector<TGameChanges>{gcPlanetSelected});
  EXPECT_EQ(info_.refreshes, std::vector<TGameChanges>{gcPlanetSelected});

  // The same planet again changes nothing and tells nobody.
  EXPECT_FALSE(events_.SelectPlanet(&mars_, &map_));
  EXPECT_EQ(map_.refreshes.size() + info_.refreshes.size(), 2u);

  // After the round, the map may select on its own.
  map_.onRefresh = nullptr;
  TGroup group;
  EXPECT_TRUE(events_.SelectGroup(&group, &map_));
  EXPECT_EQ(events_.SelectedGroup(), &group);
  EXPECT_EQ(list_.refreshes, std::vector<TGameChanges>{gcGroupSelected});
  EXPECT_EQ(map_.refreshes.size(), 1u);
}

}  // namespace
}  // namespace tovix

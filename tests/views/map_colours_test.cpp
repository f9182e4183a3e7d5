// The map's colours and what the map window stores and writes.

#include "views/map_colours.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "core/base/color_value.h"  // with the map's colours, in one file
#include "core/text/str_utils.h"
#include "views/map_commands.h"

namespace tovix {
namespace {

class MapColoursTest : public testing::Test {
 protected:
  TPlayer* Race(const std::string& name, const std::string& alias = "") {
    auto p = std::make_unique<TPlayer>(0);
    p->Name = name;
    p->Alias = alias;
    TPlayer* raw = p.get();
    state.Players.AddObject(LowerCase(name), std::move(p));
    return raw;
  }
  TPlanet* Planet(const std::string& name, int32_t x = 0, int32_t y = 0) {
    auto p = std::make_unique<TPlanet>(name);
    p->X = x;
    p->Y = y;
    return state.AddPlanet(LowerCase(name), std::move(p), 0);
  }
  GameState state;
  TznSaveState store{""};
};

TEST_F(MapColoursTest, AFreshStoreGivesTheDefaultsAndOneEntryPerRaceInTheOtherRacesColour) {
  TPlayer* alpha = Race("Alpha");
  Race("Beta");
  TColorSchema scheme;
  TPlayerColors players;
  ReadColorSchema(store, state, scheme, players);
  EXPECT_EQ(scheme, TColorSchema());
  EXPECT_EQ(scheme[scUnInSizeUnk], MapRgb(128, 0, 128));
  ASSERT_EQ(players.Entries().size(), 2u);
  EXPECT_EQ(players.ColourOf(alpha), MapRgb(0, 0, 255));
  EXPECT_EQ(players.AllInfo(), "Alpha:16711680;Beta:16711680;");
  // The stored number has red in its low byte, as every colour of the program.
  const TMapColour blue = players.ColourOf(alpha);
  EXPECT_EQ(std::tuple(RedOf(blue), GreenOf(blue), BlueOf(blue)), std::tuple(0, 0, 255));
  EXPECT_EQ(scheme[scFirstTurnPlanets], RgbColor(192, 192, 192));
}

TEST_F(MapColoursTest, WrittenSchemeAndRaceColoursReadBackWhole) {
  TPlayer* alpha = Race("Alpha");
  TColorSchema scheme;
  TPlayerColors players;
  ReadColorSchema(store, state, scheme, players);
  for (int i = 0; i < kSchemeColourCount; ++i)
    scheme[static_cast<TSchemeColour>(i)] = static_cast<TMapColour>(i * 1000 + 7);
  scheme.UseColorsFirstTurn = false;
  scheme.UseOneColorOtherPlayers = false;
  players.SetColour(alpha, 4242);
  WriteColorSchema(store, state, scheme, players);
  EXPECT_EQ(store.ReadString("ColorSettings_" + state.Settings.GetGameSection(),
                             "CurrentPlayerColors", ""),
            "Alpha:4242;");
  TColorSchema readScheme;
  TPlayerColors readPlayers;
  ReadColorSchema(store, state, readScheme, readPlayers);
  EXPECT_EQ(readScheme, scheme);
  EXPECT_EQ(readPlayers.ColourOf(alpha), 4242u);
}

TEST_F(MapColoursTest, RaceColourTextsFindRacesByNameOrAliasWordAndSkipWhatTheyCannotRead) {
  TPlayer* alpha = Race("Alpha", "race_1 Alp");
  TPlayer* beta = Race("Beta", "Alphabet");
  TPlayerColors players;
  // "Al" is part of two aliases but neither alias word; "gone" is no race; "x" no colour.
  players.SetAllInfo("Al:1;race_1:255;gone:3;Beta:x;ALP:65280;beta:7", state);
  ASSERT_EQ(players.Entries().size(), 2u);
  EXPECT_EQ(players.ColourOf(alpha), 65280u);
  EXPECT_EQ(players.ColourOf(beta), 7u);
  // An entry whose race left the game goes; a new race gets OneColor.
  players.SetAllInfo("Gamma:9;", state);  // not a race of this game: skipped
  state.Players.Delete(state.Players.IndexOf("beta"));
  Race("Delta");
  players.OneColor = 99;
  players.Sync(state);
  EXPECT_EQ(players.AllInfo(), "Alpha:65280;Delta:99;");
}

TEST_F(MapColoursTest, BookmarkTextsRoundTripAndKeepFieldsTheyDoNotName) {
  const std::string example =
      "[MapBookMark],Valid=1,YPos=40,XPos=120,Ratio=900,YRange=610,XRange=630,";
  TMapBookMark b;
  SetBookmarkAllInfo(b, example);
  EXPECT_EQ(b, (TMapBookMark{true, 40, 120, 900, 610, 630}));
  EXPECT_EQ(BookmarkAllInfo(b), example);
  SetBookmarkAllInfo(b, "[MapBookMark],Ratio=77,XPos=oops,");
  EXPECT_EQ(b, (TMapBookMark{true, 40, 120, 77, 610, 630}));
  SetBookmarkAllInfo(b, "\"unclosed");
  EXPECT_EQ(b.Ratio, 77);

  TStoreMapBookmarks store;
  store.BM[3] = {true, 1, 2, 3, 4, 5};
  store.LastPos = {true, 6, 7, 8, 9, 10};
  const std::string text = store.AllInfo();
  EXPECT_EQ(text.substr(0, 41), "[StoreMapBookmarks],\"BM0=[MapBookMark],Va");
  TStoreMapBookmarks back;
  back.BM[9] = {true, 9, 9, 9, 9, 9};
  back.SetAllInfo(text);
  EXPECT_EQ(back.BM[3], store.BM[3]);
  EXPECT_EQ(back.LastPos, store.LastPos);
  EXPECT_FALSE(back.BM[9].Valid);
  back.SetAllInfo("[StoreMapBookmarks],\"BM2=[MapBookMark],Valid=1,Ratio=5,\",");
  EXPECT_EQ(back.BM[3], store.BM[3]);  // not named: kept
  EXPECT_TRUE(back.BM[2].Valid);
  EXPECT_EQ(SplitCommaText(JoinCommaText({"a \"b\"", "", "c,d"})),
            (std::vector<std::string>{"a \"b\"", "", "c,d"}));
}

TEST_F(MapColoursTest, MapAreaOrderOfTheWholeViewFitsTheGalaxy) {
  TMap map;
  map.SetClientArea(475, 475);
  map.SetExtentX(20000);
  map.SetExtentY(15000);
  auto order = MapAreaOrder(map, 500, 500);
  ASSERT_TRUE(order);
  EXPECT_EQ(order->X, 0);
  EXPECT_EQ(order->Y, 0);
  EXPECT_EQ(order->Size, 150);  // no larger than the galaxy
  EXPECT_EQ(order->Line(), "M 0 0 150");
  EXPECT_EQ(order->Question(),
            "Create M(ap) command for the Currency view Area?\r\nX: 0 Y: 0 Size: 150");
  // A view wholly beside the galaxy proposes nothing.
  map.SetViewOffset(100000, 0);
  EXPECT_FALSE(MapAreaOrder(map, 500, 500));
  map.Centred = true;
  map.SetViewOffset(0, 0);
  order = MapAreaOrder(map, 50, 50);
  ASSERT_TRUE(order);
  EXPECT_EQ(order->X, -100);
  EXPECT_EQ(order->Y, -75);
}

TEST_F(MapColoursTest, RenamesAndRoutes) {
  TPlanet* home = Planet("Home", 0, 0);
  TPlanet* far = Planet("Far", 300, 400);
  EXPECT_EQ(CheckRename(state, *home, "FAR"), TRenameCheck::InUse);
  EXPECT_EQ(CheckRename(state, *home, "HOME"), TRenameCheck::Ok);
  EXPECT_EQ(CheckRename(state, *home, ""), TRenameCheck::Malformed);
  EXPECT_EQ(CheckRename(state, *home, "New Home"), TRenameCheck::Malformed);
  EXPECT_EQ(RouteCaption(state, 0, *home, *far), "Create CAP Route from Home to Far (dist: 5.00)");
  EXPECT_EQ(ApplyRoute(state, 3, *home, *far), "R Home EMP Far");
  EXPECT_EQ(ApplyRoute(state, 1, *home, *home), "R Home COL Home");
  ASSERT_EQ(state.Routes.Count(), 1);
  const TRoute* route = state.Routes.Object(state.Routes.IndexOf("home"));
  EXPECT_EQ(route->Emp, far);
  EXPECT_EQ(route->Col, home);
}

}  // namespace
}  // namespace tovix

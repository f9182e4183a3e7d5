// "Automatic Cargo Settings" on a small game: the sort list's buttons, the settings through a
// restart of the program (a new dialog over the same store), "Buildability" appended to an old
// sort order, and the reference planet the rating chose shown when none was set.

#include "windows/orders/auto_cargo_settings.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>

#include "core/text/str_utils.h"

namespace tovix {
namespace {

struct SmallGame {
  SmallGame() {
    state.GameName = "Orion";
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Humans";
    own = race.get();
    state.Players.AddObject("humans", std::move(race));
    state.MainPlayer = own;
    for (const char* name : {"Alpha", "Beta"}) {
      auto planet = std::make_unique<TPlanet>(name);
      planet->Size = 100;
      planet->Population = 50;
      planet->Owner = TOwnerRef::Of(own);
      state.AddPlanet(LowerCase(name), std::move(planet), 0);
    }
  }
  GameState state;
  TPlayer* own = nullptr;
  TznSaveState store{""};
  SilentUserInterface ui;
};

TEST(AutoCargoSettingsWindow, SortButtonsMoveTheSelectedKey) {
  SmallGame game;
  TfrmAutoCargoSettings dialog(game.state, game.store, game.ui);
  QListWidget* list = dialog.SortList();
  list->setCurrentRow(0);
  EXPECT_FALSE(dialog.UpButton()->isEnabled());
  EXPECT_TRUE(dialog.DownButton()->isEnabled());
  dialog.DownButton()->click();
  EXPECT_EQ(list->item(1)->text(), QString("Size"));
  EXPECT_EQ(list->currentRow(), 1);
  list->setCurrentRow(list->count() - 1);
  EXPECT_TRUE(dialog.UpButton()->isEnabled());
  EXPECT_FALSE(dialog.DownButton()->isEnabled());
  EXPECT_EQ(dialog.Settings().SortCodes(), (TPlanetOrder{1, 0, 2, 3, 4, 5}));
}

TEST(AutoCargoSettingsWindow, SettingsSurviveARestart) {
  SmallGame game;
  {
    TfrmAutoCargoSettings dialog(game.state, game.store, game.ui);
    TAutoCargoSettings settings;
    settings.CapFill = 35;
    settings.MaxDistanceIndex = 3;
    settings.SortOn = {"Distance", "Size", "Resources", "Percent Full High", "Percent Full Low"};
    dialog.ShowSettings(settings);
    // Preparing appends "Buildability"; the rating names the first planet of the list below its
    // size.
    const TAutoCargoSettings shown = dialog.Settings();
    EXPECT_EQ(shown.SortOn.back(), "Buildability");
    const std::string first = (*game.state.Planets.begin()).Object->Name;
    EXPECT_EQ(shown.BuildPlanet, first);
    EXPECT_GT(game.state.PlanetByName("beta")->Buildability, 0);
    dialog.SaveState();
  }
  TfrmAutoCargoSettings again(game.state, game.store, game.ui);
  again.LoadState();
  const TAutoCargoSettings read = again.Settings();
  EXPECT_EQ(read.CapFill, 35);
  EXPECT_EQ(read.MaxTrip(), 4);
  EXPECT_EQ(read.SortOn.front(), "Distance");
  EXPECT_EQ(read.SortOn.size(), 6u);
  EXPECT_EQ(read.BuildPlanet, (*game.state.Planets.begin()).Object->Name);
  EXPECT_EQ(game.store.ReadString("AutoCargoSettings_Orion", "edtCAPFill", ""), "35");
}

}  // namespace
}  // namespace tovix

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/model/extra_planet_info.h"
#include "core/model/game_state.h"
#include "core/settings/ini_file.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

class ExtraPlanetInfoTest : public ::testing::Test {
 protected:
  ExtraPlanetInfoTest() : file((dir / "ExtrInf.ini").string()) {
    state.LastTurn = 5;
    alpha = AddRace("Alpha", 1);
    beta = AddRace("Beta", 2);
    mars = AddPlanet("Mars", 11);
    venus = AddPlanet("Venus", 12);
  }
  TPlayer* AddRace(const std::string& name, int32_t number) {
    auto r = std::make_unique<TPlayer>(5);
    r->Name = name;
    r->Number = number;
    TPlayer* race = r.get();
    state.Players.AddObject(LowerCase(name), std::move(r));
    return race;
  }
  TPlanet* AddPlanet(const std::string& name, int32_t number) {
    auto p = std::make_unique<TPlanet>(name);
    p->Number = number;
    p->Size = 100;
    return state.AddPlanet(LowerCase(name), std::move(p), 0);
  }
  std::string Read(const std::string& section, const std::string& key) const {
    return TIniFile(file).ReadString(section, key, "(none)");
  }

  test::TempDir dir;
  std::string file;
  GameState state;
  TPlayer* alpha;
  TPlayer* beta;
  TPlanet* mars;
  TPlanet* venus;
};

TEST_F(ExtraPlanetInfoTest, SaveWritesValidEntriesWithoutGaps) {
  // An earlier save left more entries and a key of another game; the other game stays.
  {
    TIniFile old(file);
    old.WriteInteger("Totals_3", "Planets", 4);
    old.WriteInteger("Planets_3", "planet_3", 99);
    old.WriteInteger("Planets_4", "planet_0", 77);
    old.UpdateFile();
  }
  TExtraPlanetInfoList& list = state.ExtraInfo;
  EXPECT_EQ(list.SetInfo(*mars, TOwnerRef::Of(beta), 4, 7), 0);
  list.SetInfo(*venus, TOwnerRef::None(), 4, 50);  // race number -1: not saved
  list.SetInfo(*venus, TOwnerRef::Of(beta), 5, 0);
  list.SetInfo(*mars, TOwnerRef::Of(beta), 5, 0);
  EXPECT_EQ(list.SetInfo(*mars, TOwnerRef::Of(alpha), 4, 2.1f), 0);  // same planet and turn
  ASSERT_EQ(list.Count(), 4);
  list[3].PlayerNumber = 0;  // names no race: not saved

  list.SaveToIni(file, "3");

  // Entries 0 and 1 only, with the sizes in the float's own shortest text (not the digits of
  // its double widening), and nothing left of the old entries.
  const std::pair<const char*, const char*> expected[] = {
      {"planet_0", "11"},     {"player_0", "1"},     {"turn_0", "4"}, {"size_0", "2.1"},
      {"planet_1", "12"},     {"player_1", "2"},     {"turn_1", "5"}, {"size_1", "0"},
      {"planet_2", "(none)"}, {"planet_3", "(none)"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(Read("Planets_3", key), value) << key;
  EXPECT_EQ(Read("Totals_3", "Planets"), "2");
  EXPECT_EQ(Read("Planets_4", "planet_0"), "77");

  TExtraPlanetInfoList loaded;
  loaded.LoadFromIni(file, "3");
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded[0].Size, 2.1f);
  EXPECT_EQ(loaded[1].PlanetNumber, 12);
  EXPECT_EQ(loaded[1].PlayerNumber, 2);
  EXPECT_EQ(loaded[1].Planet, nullptr);
}

TEST_F(ExtraPlanetInfoTest, LoadIsBoundedByWhatTheFileHolds) {
  {
    TIniFile ini(file);
    // A damaged count: two billion entries announced, one stored. Reading them all would
    // exhaust memory; no more entries are read than the section has keys.
    ini.WriteInteger("Totals_3", "Planets", 2000000000);
    ini.WriteInteger("Planets_3", "planet_0", 11);
    ini.WriteInteger("Planets_3", "player_0", 1);
    ini.WriteInteger("Planets_3", "turn_0", 5);
    ini.WriteInteger("Totals_4", "Planets", -3);
    ini.UpdateFile();
  }
  TExtraPlanetInfoList list;
  list.LoadFromIni(file, "3");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0].PlanetNumber, 11);
  EXPECT_EQ(list[0].PlayerNumber, 1);
  EXPECT_EQ(list[0].Turn, 5);
  EXPECT_EQ(list[0].Size, 0);
  // Entries without keys read as empty ones, which are never saved again.
  EXPECT_EQ(list[2].PlanetNumber, 0);
  list.LoadFromIni(file, "4");
  EXPECT_EQ(list.Count(), 0);
  list.LoadFromIni((dir / "missing.ini").string(), "3");
  EXPECT_EQ(list.Count(), 0);
}

// size_0=1e39 became a planet size of +inf. The file takes the sizes the Set Extra Info dialog
// takes (0 to 1e30); an entry with another size keeps its owner and the reported size, and the
// load names the value.
TEST_F(ExtraPlanetInfoTest, SizesBeyondWhatTheDialogTakesAreRefused) {
  struct Case {
    const char* stored;
    float size;  // 0: the reported size is kept
    bool named;
  } cases[] = {
      {"1e39", 0, true},      {"-1e39", 0, true},       {"-5", 0, true}, {"1e31", 0, true},
      {"1e30", 1e30f, false}, {"250.5", 250.5f, false}, {"0", 0, false}, {"", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    {
      TIniFile ini(file);
      ini.EraseSection("Planets_3");
      ini.WriteInteger("Totals_3", "Planets", 1);
      ini.WriteInteger("Planets_3", "planet_0", 11);
      ini.WriteInteger("Planets_3", "player_0", 1);
      ini.WriteInteger("Planets_3", "turn_0", 5);
      if (*c.stored) ini.WriteString("Planets_3", "size_0", c.stored);
      ini.UpdateFile();
    }
    TExtraPlanetInfoList list;
    const std::vector<std::string> messages = list.LoadFromIni(file, "3");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Size, c.size);
    EXPECT_EQ(list[0].PlayerNumber, 1);
    ASSERT_EQ(messages.size(), c.named ? 1u : 0u);
    if (c.named) {
      EXPECT_NE(messages[0].find(std::string("size_0=") + c.stored), std::string::npos)
          << messages[0];
    }
    mars->Size = 100;
    list.ApplyToTurn(state, 5);
    EXPECT_EQ(mars->Size, c.size > 0 ? c.size : 100.0f);
  }
  EXPECT_TRUE(IsExtraInfoSize(1e30));
  EXPECT_FALSE(IsExtraInfoSize(std::nan("")));
}

// Saving rewrote the section's key index for every key it added, which made a save quadratic
// in the entries (10 s for 4,000). 50,000 entries save and read back whole.
TEST_F(ExtraPlanetInfoTest, ManyEntriesSaveAndLoad) {
  constexpr int kEntries = 50000;
  std::string text = "[Totals_3]\r\nPlanets=" + std::to_string(kEntries) + "\r\n[Planets_3]\r\n";
  for (int i = 0; i < kEntries; ++i) {
    const std::string n = std::to_string(i);
    text += "planet_" + n + "=11\r\nplayer_" + n + "=1\r\nturn_" + n + "=" + n + "\r\nsize_" + n +
            "=1.5\r\n";
  }
  WriteFileAtomically(file, text);
  TExtraPlanetInfoList& list = state.ExtraInfo;
  ASSERT_TRUE(list.LoadFromIni(file, "3").empty());
  ASSERT_EQ(list.Count(), kEntries);
  list.SaveToIni(file, "3");
  EXPECT_EQ(test::ReadFileBytes(file), text);
}

TEST_F(ExtraPlanetInfoTest, ApplyToTurnCorrectsOwnerAndSize) {
  mars->SetOwner(TOwnerRef::Unknown(), 5);
  venus->SetOwner(TOwnerRef::None(), 5);
  TExtraPlanetInfoList& list = state.ExtraInfo;
  {
    TIniFile ini(file);
    const int32_t entries[][3] = {{11, 1, 5}, {12, 2, 5}, {11, 2, 6}, {99, 1, 5}, {11, 7, 4}};
    int i = 0;
    for (const auto& e : entries) {
      ini.WriteInteger("Planets_3", "planet_" + std::to_string(i), e[0]);
      ini.WriteInteger("Planets_3", "player_" + std::to_string(i), e[1]);
      ini.WriteInteger("Planets_3", "turn_" + std::to_string(i), e[2]);
      ini.WriteString("Planets_3", "size_" + std::to_string(i), i == 0 ? "250" : "0");
      ++i;
    }
    ini.WriteInteger("Totals_3", "Planets", i);
    ini.UpdateFile();
  }
  list.LoadFromIni(file, "3");
  list.ApplyToTurn(state, 5);

  // Inhabited by an unknown owner: the user's race and size win.
  EXPECT_TRUE(mars->Owner.Is(alpha));
  EXPECT_EQ(mars->Size, 250);
  EXPECT_EQ(list[0].Planet, mars);
  EXPECT_TRUE(list[0].Player.Is(alpha));
  // Uninhabited in that turn: the planet stays so and the entry loses its race.
  EXPECT_TRUE(venus->Owner.IsNone());
  EXPECT_EQ(venus->Size, 100);
  EXPECT_EQ(list[1].Planet, venus);
  EXPECT_EQ(list[1].PlayerNumber, 0);
  // Other turns and unknown planets are left alone.
  EXPECT_EQ(list[2].Planet, nullptr);
  EXPECT_EQ(list[2].PlayerNumber, 2);
  EXPECT_EQ(list[3].Planet, nullptr);
  // Race number 7 names no race.
  list.ApplyToTurn(state, 4);
  EXPECT_EQ(list[4].Planet, mars);
  EXPECT_EQ(list[4].PlayerNumber, 0);
  EXPECT_TRUE(mars->Owner.Is(alpha));
}

}  // namespace
}  // namespace tovix

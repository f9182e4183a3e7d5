#include "core/group_store.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/report_reader.h"
#include "core/str_utils.h"

namespace tovix {
namespace {

struct StoreGame {
  GameState state;
  TPlayer* Race(const std::string& name) {
    auto race = std::make_unique<TPlayer>(6);
    race->Name = name;
    TPlayer* added = race.get();
    state.Players.AddObject(LowerCase(name), std::move(race));
    return added;
  }
  TPlanet* Planet(const std::string& name, int32_t x) {
    auto planet = std::make_unique<TPlanet>(name);
    planet->X = x;
    return state.AddPlanet(LowerCase(name), std::move(planet), x);
  }
};

// Records and groups that came as objects keep the order they were added in, through removals,
// a race cleared in between and the groups the model held before; a record becomes the group a
// group table's row made before the store existed: track, arrival and fleet included.
TEST(GroupStoreTest, KeepsTheOrderAndMakesTheGroupsOfRecords) {
  StoreGame game;
  TPlayer* us = game.Race("Us");
  TPlayer* them = game.Race("Them");
  TPlanet* home = game.Planet("Home", 100);
  TPlanet* away = game.Planet("Away", 2000);
  auto design = std::make_unique<TShipType>("Hauler", TGameType::NG);
  design->Drive = 10;
  TShipType* hauler = us->AddShipType(std::move(design));

  auto before = std::make_unique<TGroup>();
  before->Planet = home;
  before->Owner = them;
  before->Turn = 1;
  them->Groups.push_back(std::move(before));

  TGroupStore store;
  store.TakeFromModel(game.state);
  EXPECT_TRUE(them->Groups.empty());
  const auto record = [&](int32_t ships, float distance) {
    TGroupRecord r;
    r.Ships = ships;
    r.Distance = distance;
    r.ShipType = hauler;
    r.DriveTech = 1;
    return r;
  };
  store.Add(*them, TGroupKey{away, 2, false, true}, record(2, 0));
  auto battle = std::make_unique<TGroup>();
  battle->Planet = home;
  battle->Owner = them;
  battle->Turn = 2;
  battle->FromBattle = 1;
  store.Add(*them, std::move(battle));
  store.Add(*them, TGroupKey{home, 2, false, true}, record(3, 0));
  store.RemoveIf(*them, [&](const TGroupKey& key) { return key.Planet == away; });

  store.Add(*us, TGroupKey{home, 2, false, true}, record(7, 0));
  store.Clear(*us);
  TGroupRecord flying = record(5, 10);
  flying.Origin = home;
  flying.Fleet = store.FleetName("Armada");
  flying.FleetSpeed = 4;
  EXPECT_EQ(store.FleetName("Armada"), flying.Fleet);
  EXPECT_EQ(store.FleetName(""), 0u);
  store.Add(*us, TGroupKey{away, 2, false, false}, flying);
  int standing = 0;
  store.ForEachKey(*them, [&](const TGroupKey& key) { standing += key.Standing ? 1 : 0; });
  EXPECT_EQ(standing, 3);  // the model's group, the battle's and the record at home
  store.MoveToModel();

  ASSERT_EQ(them->Groups.size(), 3u);
  EXPECT_EQ(them->Groups[0]->Turn, 1);
  EXPECT_EQ(them->Groups[1]->FromBattle, 1);
  EXPECT_EQ(them->Groups[2]->Ships, 3);
  EXPECT_EQ(them->Groups[2]->BattleShips, 3);
  EXPECT_EQ(them->Groups[2]->Owner, them);
  EXPECT_EQ(them->Groups[2]->TrackFrom, home);
  EXPECT_EQ(them->Groups[2]->ETA, 0);
  ASSERT_EQ(us->Groups.size(), 1u);
  const TGroup& group = *us->Groups[0];
  EXPECT_EQ(group.Planet, away);
  EXPECT_EQ(group.Turn, 2);
  EXPECT_EQ(group.FleetName, "Armada");
  EXPECT_EQ(group.FleetSpeed, 4);
  EXPECT_EQ(group.TrackFrom, home);
  EXPECT_EQ(group.TrackTo, away);
  EXPECT_EQ(group.ETA, 3);  // 10 units at the fleet's speed of 4
}

// The cache gives what the row's own conversion gives, to the bit, for every word, whichever
// word took its slot before: words of every length, texts that are no numbers, eight-byte words
// that share their first bytes with shorter ones.
TEST(FigureCacheTest, GivesWhatTheWordsConversionGives) {
  std::mt19937 rng(20261209);
  const std::string alphabet = "0123456789.-+eE x";
  TFigureCache cache;
  TZnStrParse words;
  words.SetMergeDelimiters(true);
  words.SetDelimiter(' ', true);
  for (int i = 0; i < 30000; ++i) {
    std::string word(1 + rng() % 12, '0');
    for (char& c : word) c = alphabet[rng() % (alphabet.size() - 1)];
    if (i % 3 == 0) word = word.substr(0, 1 + rng() % 3) + ".00";
    words.SetText(word);
    if (words.Count() != 1) continue;
    const TReportRow row(words);
    const double expected = row.TokenAsFloat(0);
    const double got = cache.Read(row.TokenView(0));
    ASSERT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected)) << word;
  }
}

}  // namespace
}  // namespace tovix

// The battle simulator's engine: kill thresholds, battles without armed ships, the opener's
// advantage, draws, the question after 9,999 rounds, stopping, and a golden report. All random
// draws come from fixed seeds.

#include "orders/battle_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/model/game_model.h"
#include "core/text/numbers.h"

namespace tovix {
namespace {

TBatGroup Group(const std::string& name, int32_t ships, int32_t attacks, float weapons,
                float shields, float mass = 10) {
  TBatGroup g;
  g.Name = name;
  g.Ships = ships;
  g.MinSurvivors = ships;
  g.Attacks = attacks;
  g.EffWeapons = weapons;
  g.EffShields = shields;
  g.Mass = mass;
  return g;
}

template <class... Groups>
std::vector<TBatGroup> Side(Groups... groups) {
  return {groups...};
}

// An engine whose report lines and questions are recorded.
struct SimRun {
  explicit SimRun(uint64_t seed) : random(seed) {}

  TBattleEngine& Engine() {
    if (!engine) {
      TBattleHooks hooks;
      hooks.Flush = [this](std::vector<std::string>&& lines) {
        for (std::string& l : lines) {
          if (l == "Attacker Wins." || l == "Defender Wins." || l == "Draw") ++counted;
          if (stopAfter > 0 && counted >= stopAfter) stop = true;
          log.push_back(std::move(l));
        }
      };
      hooks.AskContinue = [this] {
        ++questions;
        if (stopOnQuestion) stop = true;
        return stopOnQuestion;
      };
      hooks.Stop = &stop;
      engine = std::make_unique<TBattleEngine>(random, std::move(hooks));
    }
    return *engine;
  }
  // The sides for battles fought one by one.
  TBattleEngine& Load(std::vector<TBatGroup> attackers, std::vector<TBatGroup> defenders) {
    Engine().LoadAttackers(std::move(attackers));
    Engine().LoadDefenders(std::move(defenders));
    return *engine;
  }
  void Execute(std::vector<TBatGroup> attackers, std::vector<TBatGroup> defenders, int32_t count,
               bool verbose) {
    Engine().BattleCount = count;
    Engine().Verbose = verbose;
    Engine().Execute(std::move(attackers), std::move(defenders));
  }
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(log.begin(), log.end(), line));
  }
  // Shot lines by their words with the blanks and the attack counter dropped ("Gun attacks
  // Wall -- Destroyed"), or any line by its end.
  int CountEnding(const std::string& end) const {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& l) {
      std::string words;
      bool counter = false;
      for (char ch : l) {
        counter = ch == '[' ? true : ch == ']' ? false : counter;
        if (counter || ch == ']') continue;
        if (ch != ' ' || (!words.empty() && words.back() != ' ')) words += ch;
      }
      return words.size() >= end.size() &&
             words.compare(words.size() - end.size(), end.size(), end) == 0;
    }));
  }
  std::string After(const std::string& prefix) const {
    for (const std::string& l : log)
      if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
    return "(none)";
  }

  TBattleRandom random;
  std::unique_ptr<TBattleEngine> engine;
  std::vector<std::string> log;
  std::atomic<bool> stop = false;
  int counted = 0;
  int stopAfter = 0;
  int questions = 0;
  bool stopOnQuestion = false;  // the question sets the stop flag and answers Yes
};

TEST(BattleEngine, KillThresholdsAndShieldlessTargets) {
  struct Case {
    float weapons, shields;
    bool allDestroyed;
  } cases[] = {
      {4, 1, true},  {40, 10, true}, {7.5f, 1.875f, true}, {100, 1, true},        {1, 0, true},
      {1, -1, true}, {1, 4, false},  {10, 40, false},      {1.875f, 7.5f, false}, {1, 100, false},
  };
  for (const Case& c : cases) {
    SimRun run(11);
    run.Execute({Group("Gun", 5, 3, c.weapons, 1)}, {Group("Wall", 20, 1, 0.01f, c.shields)}, 50,
                true);
    const int destroyed = run.CountEnding("Gun attacks Wall -- Destroyed");
    const int survived = run.CountEnding("Gun attacks Wall -- Survived");
    SCOPED_TRACE(testing::Message() << c.weapons << " against " << c.shields);
    EXPECT_GT(destroyed + survived, 0);
    EXPECT_EQ(c.allDestroyed ? survived : destroyed, 0);
  }
  EXPECT_GE(ShotChance(4, 1), 1.0f);
  EXPECT_LE(ShotChance(1, 4), 0.0f);
  EXPECT_FLOAT_EQ(ShotChance(3, 3), 0.5f);
}

// Weapons of 0 or below (an unknown level is -1) never kill, raise nothing and are reported
// once per group; they cannot hurt, so the battle is a draw after its first round.
TEST(BattleEngine, GroupsWithoutWeaponsNeverKill) {
  for (float weapons : {0.0f, -1.0f}) {
    SimRun run(5);
    run.Execute({Group("Blank", 3, 2, weapons, 1), Group("Blank2", 2, 1, weapons, 0)},
                {Group("Target", 4, 1, weapons, 0)}, 20, true);
    EXPECT_EQ(run.CountEnding(" -- Destroyed"), 0);
    EXPECT_GT(run.CountEnding(" -- Survived"), 0);
    EXPECT_EQ(run.Count("ERROR Attacker without weapons!!!"), 3);
    EXPECT_EQ(run.Count("Draw"), 20);
    EXPECT_EQ(run.After("Battles fought: "), "20");
    EXPECT_EQ(run.questions, 0);
  }
  TBatGroup armed = Group("A", 1, 1, 1, 1);
  EXPECT_FALSE(CanHurt(Group("Z", 1, 1, 0, 1), armed));
  EXPECT_FALSE(CanHurt(Group("Z", 1, 1, 0, 0), Group("S", 1, 0, 0, 0)));
  EXPECT_TRUE(CanHurt(armed, Group("S", 1, 0, 0, 0)));
  EXPECT_FALSE(CanHurt(armed, Group("S", 1, 0, 0, 4.01f)));
}

// A side without armed ships never fires, but the armed side shoots its ships down (real
// battles destroy them; the engine used to end such a battle at once, every ship alive). A draw
// holds only when no live armed ship can hurt a live enemy: a side that can still kill some
// ships of the other goes on shooting, even when the strongest groups cannot hurt each other.
TEST(BattleEngine, ArmedShipsShootUnarmedShipsAndADrawNeedsThatNobodyCanHurt) {
  struct Case {
    const char* name;
    std::vector<TBatGroup> attackers, defenders;
    int attackerWins, defenderWins;
    int attackersLeft, defendersLeft;  // live ships after every battle
  } cases[] = {
      {"one unarmed ship against two armed ships that can kill it",
       Side(Group("Hauler", 1, 0, 0, 1)), Side(Group("Gun", 2, 1, 5, 5)), 0, 20, 0, 2},
      {"armed ships whose shots cannot hurt the other side", Side(Group("Gun", 3, 2, 1, 10)),
       Side(Group("Wall", 2, 0, 0, 50), Group("Fort", 1, 1, 1, 50)), 0, 0, 3, 3},
      {"a side that can hurt only the unarmed ships destroys them, then it is a draw",
       Side(Group("Raider", 1, 3, 2, 100)),
       Side(Group("Warship", 8, 1, 2, 10), Group("Hauler", 30, 0, 0, 1)), 0, 0, 1, 8},
      {"unarmed ships against unarmed ships", Side(Group("Hauler", 3, 0, 0, 1)),
       Side(Group("Hauler", 2, 0, 0, 1)), 0, 0, 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimRun run(21);
    TBattleEngine& engine = run.Load(c.attackers, c.defenders);
    int wins[2] = {0, 0};  // attacker, defender
    for (int i = 0; i < 20; ++i) {
      const bool attackerOpens = i % 2 == 1;
      const TBattleResult r = engine.FightBattle(attackerOpens);
      ASSERT_NE(r, TBattleResult::Stopped);
      if (r != TBattleResult::Draw)
        ++wins[(r == TBattleResult::FirstWins) == attackerOpens ? 0 : 1];
      EXPECT_EQ(engine.LiveShips(true), c.attackersLeft);
      EXPECT_EQ(engine.LiveShips(false), c.defendersLeft);
    }
    EXPECT_EQ(wins[0], c.attackerWins);
    EXPECT_EQ(wins[1], c.defenderWins);
    EXPECT_EQ(run.questions, 0);
  }

  // Both sides unarmed: every battle says so and the run is a draw. One side unarmed: said
  // too, and the armed side wins.
  const TBatGroup unarmed = Group("Hauler", 3, 0, 0, 1);
  SimRun draw(2);
  draw.Execute({unarmed}, {unarmed}, 7, false);
  EXPECT_EQ(draw.Count("One of the players has no armed ships!"), 7);
  EXPECT_EQ(draw.Count("Game is a draw."), 1);
  EXPECT_EQ(draw.Engine().Attackers()[0].TotalSurvivors, 3 * 7);
  SimRun lost(3);
  lost.Execute({unarmed}, {Group("Gun", 2, 1, 5, 5)}, 4, false);
  EXPECT_EQ(lost.Count("One of the players has no armed ships!"), 4);
  EXPECT_EQ(lost.After("Defender wins "), "4 battles");
  EXPECT_EQ(lost.Count("Attacker has a 0.00 % chance to win."), 1);
  EXPECT_EQ(lost.Engine().Attackers()[0].TotalSurvivors, 0);
  EXPECT_EQ(lost.Engine().Defenders()[0].TotalSurvivors, 2 * 4);
}

// With W = S each shot kills with one half, so in 1 against 1 the opener wins 2/3. The run
// alternates openers, the defenders first.
TEST(BattleEngine, TheOpenerOfAnEvenDuelWinsTwoThirds) {
  SimRun run(20261207);
  TBattleEngine& engine = run.Load({Group("A", 1, 1, 2, 2)}, {Group("D", 1, 1, 2, 2)});
  constexpr int kBattles = 100000;
  int openerWins = 0;
  for (int i = 0; i < kBattles; ++i)
    openerWins += engine.FightBattle(true) == TBattleResult::FirstWins;
  EXPECT_NEAR(openerWins / double(kBattles), 2.0 / 3.0, 0.01);

  // Sure kills: the opener wins. One battle only is opened by the defenders, two alternate.
  SimRun one(4);
  one.Execute({Group("A", 1, 1, 8, 2)}, {Group("D", 1, 1, 8, 2)}, 1, false);
  EXPECT_EQ(one.After("Defender wins "), "1 battles");
  SimRun two(4);
  two.Execute({Group("A", 1, 1, 8, 2)}, {Group("D", 1, 1, 8, 2)}, 2, false);
  EXPECT_EQ(two.After("Attacker has a "), "50.00 % chance to win.");
  SimRun alternate(6);
  alternate.Execute({Group("A", 1, 1, 2, 2)}, {Group("D", 1, 1, 2, 2)}, 20000, false);
  const double attackerShare = std::stod(alternate.After("Attacker wins ")) / 20000;
  EXPECT_NEAR(attackerShare, 0.5, 0.02);
  EXPECT_EQ(alternate.Engine().Attackers()[0].TotalSurvivors +
                alternate.Engine().Defenders()[0].TotalSurvivors,
            20000);
}

TEST(BattleEngine, StalematesEndInADrawWithoutTheQuestion) {
  // Strong shields on both sides: nothing can hurt, a draw after one round of shots.
  SimRun shields(8);
  shields.Execute({Group("A", 3, 2, 1, 10)}, {Group("D", 2, 1, 1, 10)}, 10, true);
  EXPECT_EQ(shields.Count("Draw"), 10);
  EXPECT_EQ(shields.CountEnding(" -- Survived"), 10 * (3 * 2 + 2 * 1));
  // The guns shoot each other; the last gun cannot pass the cargo ships' shields, and those
  // cannot hurt it: unarmed survivors draw, they do not wait for the question.
  SimRun unarmed(10);
  unarmed.Execute({Group("GunA", 2, 1, 2, 1), Group("CargoA", 3, 0, 0, 100)},
                  {Group("GunD", 2, 1, 2, 1), Group("CargoD", 3, 0, 0, 100)}, 50, false);
  EXPECT_EQ(unarmed.questions, 0);
  EXPECT_EQ(unarmed.Count("Game is a draw."), 1);
  // Guns of unknown strength (-1) against shields they cannot pass: no stalemate by the
  // strongest and weakest groups, yet nobody can hurt anybody, so a draw, not 9,999 rounds.
  SimRun unknown(9);
  unknown.Execute({Group("Gun", 2, 1, 1, 10), Group("Cargo", 5, 0, 0, 10)},
                  {Group("Unknown", 3, 2, -1, 20)}, 30, true);
  EXPECT_EQ(unknown.questions, 0);
  EXPECT_EQ(unknown.Count("Draw"), 30);
}

// A kill chance of about 3 in 100,000 per shot keeps most duels going past 9,999 rounds. Each
// No ends that battle uncounted and the run plans one battle fewer.
TEST(BattleEngine, NoToTheQuestionEndsThatBattleUncounted) {
  SimRun run(12);
  run.Execute({Group("A", 1, 1, 0.25002f, 1)}, {Group("D", 1, 1, 0.25002f, 1)}, 6, true);
  ASSERT_GT(run.questions, 0);
  EXPECT_EQ(run.Count("Battle stopped."), run.questions);
  const int counted = run.Count("Attacker Wins.") + run.Count("Defender Wins.");
  EXPECT_EQ(counted + run.questions, 6);
  EXPECT_EQ(run.After("Battles fought: "), std::to_string(counted));

  // A stop inside a battle ends it at once, uncounted.
  SimRun stopped(12);
  stopped.stopOnQuestion = true;
  stopped.Execute({Group("A", 1, 1, 0.25002f, 1)}, {Group("D", 1, 1, 0.25002f, 1)}, 6, true);
  ASSERT_EQ(stopped.questions, 1);
  EXPECT_EQ(stopped.Count("Battle stopped."), 1);
  const int before = stopped.Count("Attacker Wins.") + stopped.Count("Defender Wins.");
  EXPECT_EQ(stopped.After("Battles fought: "), std::to_string(before));
}

TEST(BattleEngine, AStoppedRunReportsTheBattlesFought) {
  SimRun run(13);
  run.stopAfter = 100;
  run.Execute({Group("A", 5, 2, 3, 2)}, {Group("D", 4, 3, 3, 3)}, 5000, true);
  EXPECT_EQ(run.After("Battles fought: "), "100");
  const int wins = run.Count("Attacker Wins.");
  const std::string chance = run.After("Attacker has a ");
  EXPECT_EQ(chance.substr(0, chance.find(' ')), Fmt("%.2f", wins * 100.0 / 100));

  SimRun none(14);
  none.stop = true;
  none.Execute({Group("A", 5, 2, 3, 2)}, {Group("D", 4, 3, 3, 3)}, 5000, false);
  EXPECT_EQ(none.After("Battles fought: "), "0");
  EXPECT_EQ(none.Count("Game is a draw."), 1);
  EXPECT_EQ(none.Count("   5    2    3.00    2.00                    A -         5    0"), 1);
  EXPECT_EQ(none.Count("Total surviving mass      -"), 2);
}

// Armed groups come first, each kind in reverse order; the report sorts by name ignoring case.
TEST(BattleEngine, GoldenReport) {
  SimRun run(42);
  run.Execute({Group("hauler", 1, 0, 0, 1, 3), Group("Corsair", 2, 2, 2, 3, 11)},
              {Group("Bastion", 1, 1, 9.9f, 4, 20), Group("aegis", 1, 0, 0, 4.31f, 3)}, 2, true);
  std::string text;
  for (const std::string& l : run.log) text += l + "\n";
  EXPECT_EQ(text, R"(
==== Loading Player Data ====
-- Allocating Battle Array...
-- Total number of ships 3.
-- Allocating Group Array...
-- Total number of groups 2.

==== Loading Player Data ====
-- Allocating Battle Array...
-- Total number of ships 2.
-- Allocating Group Array...
-- Total number of groups 2.


====== Battle Simulation =====
             Bastion [  1] attacks Corsair              -- Destroyed
             Corsair [  2] attacks Bastion              -- Survived
             Corsair [  1] attacks Bastion              -- Survived
             Bastion [  1] attacks hauler               -- Destroyed
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Bastion [  1] attacks Corsair              -- Destroyed
Defender Wins.
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks Bastion              -- Destroyed
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Survived
             Corsair [  2] attacks aegis                -- Survived
             Corsair [  1] attacks aegis                -- Destroyed
Attacker Wins.


-- Ready...


======== Battle Report =======
Battles fought: 2
Attacker wins 1 battles
Defender wins 1 battles
Attacker has a 50.00 % chance to win.

== Attacker Survival Count ==

   # #Att    Ef W    Ef S                 T Surv Rate  Min    Max
   2    2    2.00    3.00              Corsair 0.50         0    2
   1    0    0.00    1.00               hauler 0.50         0    1
Total fleet mass         25
Total surviving mass     12
Total loss               12


== Defender Survival Count ==

   # #Att    Ef W    Ef S                 T Surv Rate  Min    Max
   1    0    0.00    4.31                aegis 0.50         0    1
   1    1    9.90    4.00              Bastion 0.50         0    1
Total fleet mass         23
Total surviving mass     12
Total loss               12

)");
}

TEST(BattleEngine, LoadWeighsLoadOverCargoTechnology) {
  TShipType design("Freighter", TGameType::NG);
  design.Drive = 10;
  design.Attacks = 1;
  design.Weapons = 2;
  design.Shields = 5;
  design.Cargo = 10;
  TGroup group;
  group.ShipType = &design;
  group.Ships = 3;
  group.CargoTech = 2;
  group.ShieldsTech = 1.5f;
  group.WeaponsTech = 2;
  const TBatGroup empty = MakeBatGroup(group, 0);
  const TBatGroup loaded = MakeBatGroup(group, 20);  // 20 units weigh 10 at cargo tech 2
  EXPECT_FLOAT_EQ(loaded.Mass, design.Mass() + 10);
  EXPECT_FLOAT_EQ(loaded.EffShields, group.EffectiveShieldsWithLoad(10));
  EXPECT_LT(loaded.EffShields, empty.EffShields);
  EXPECT_FLOAT_EQ(loaded.EffWeapons, 4);
  EXPECT_EQ(loaded.Attacks, 1);
}

}  // namespace
}  // namespace tovix

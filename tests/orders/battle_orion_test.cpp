// The engine against real battles of Orion (races A, D and G asked for battle protocols): the
// kills of unambiguous shots (every group of that race and type with the same effective weapons
// or shields), binned by kill chance, lie within three standard deviations of the expected kills
// for the server and for the engine (fixed seed); and the real survivors of each battle of two
// races lie inside the 1st-99th percentile band of 1,000 simulations.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/game_model.h"
#include "core/text/numbers.h"
#include "orders/battle_engine.h"
#include "support/orion_game.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

using Words = std::vector<std::string>;

Words SplitWords(const std::string& line) {
  std::istringstream in(line);
  Words words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

float Number(const std::string& word) {
  double v = 0;
  return TryParseFloat(word, v) ? static_cast<float>(v) : 0.0f;
}

bool Heading(const std::string& line) {
  return line.rfind("\t\t", 0) == 0;
}

struct GroupRow {
  std::string race, type;
  float drive = 0, weapons = 0, shields = 0, cargo = 0, load = 0;
};

struct Shot {
  std::string shooter, target;  // "race type"
  bool destroyed = false;
};

struct BattleText {
  std::vector<GroupRow> groups;
  std::vector<Shot> shots;
  std::string protocol;  // the group rows and shot lines: with the turn, the battle's key
};

struct ReportText {
  std::string race;
  std::map<std::string, std::map<std::string, Words>> designs;  // race -> type -> row
  std::vector<BattleText> battles;
};

ReportText ReadReport(const fs::path& file) {
  ReportText r;
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.find(" Report for ") != std::string::npos && r.race.empty()) {
      r.race = SplitWords(line).back();
    } else if (Heading(line) && line.size() > 11 &&
               line.compare(line.size() - 11, 11, " Ship Types") == 0) {
      std::string race = SplitWords(line).front();
      if (race == "Your") race = r.race;
      size_t j = i + 1;
      while (j < lines.size() && SplitWords(lines[j]).empty()) ++j;
      for (++j; j < lines.size() && !SplitWords(lines[j]).empty(); ++j) {
        const Words row = SplitWords(lines[j]);
        if (row.size() >= 6) r.designs[race][row[0]] = row;
      }
    } else if (Heading(line) && line.find("\t\tBattle at ") == 0) {
      BattleText b;
      size_t j = i + 1;
      for (; j < lines.size(); ++j) {
        const std::string& l = lines[j];
        if (Heading(l) && l.find(" Groups") != std::string::npos) {
          std::string race = SplitWords(l).front();
          if (race == "Your") race = r.race;
          size_t k = j + 1;
          while (k < lines.size() && SplitWords(lines[k]).empty()) ++k;
          for (++k; k < lines.size() && !SplitWords(lines[k]).empty(); ++k) {
            const Words row = SplitWords(lines[k]);
            if (row.size() < 9) continue;
            b.protocol += race + " " + lines[k] + "\n";
            b.groups.push_back({race, row[1], Number(row[2]), Number(row[3]), Number(row[4]),
                                Number(row[5]), Number(row[7])});
          }
          j = k;
        } else if (Heading(l) && l.find("Battle Protocol") != std::string::npos) {
          for (++j; j < lines.size() && !Heading(lines[j]); ++j) {
            const Words w = SplitWords(lines[j]);
            // "Race Type fires on Race Type : Destroyed"
            if (w.size() == 8 && w[2] == "fires" && w[3] == "on") {
              b.shots.push_back({w[0] + " " + w[1], w[4] + " " + w[5], w[7] == "Destroyed"});
              b.protocol += lines[j] + "\n";
            }
          }
          break;
        } else if (Heading(l)) {
          break;  // a battle without a protocol
        }
      }
      if (!b.shots.empty()) r.battles.push_back(std::move(b));
      i = j - 1;
    }
  }
  return r;
}

// The effective weapons and shields of every group of a battle, keyed "race type"; a key whose
// groups disagree is dropped.
struct Figures {
  std::map<std::string, std::set<float>> weapons, shields;
};

Figures BattleFigures(const ReportText& r, const BattleText& b) {
  Figures f;
  for (const GroupRow& g : b.groups) {
    auto race = r.designs.find(g.race);
    if (race == r.designs.end()) continue;
    auto row = race->second.find(g.type);
    if (row == race->second.end()) continue;
    TShipType design(g.type, TGameType::NG);
    design.Drive = Number(row->second[1]);
    design.Attacks = static_cast<int32_t>(Number(row->second[2]));
    design.Weapons = Number(row->second[3]);
    design.Shields = Number(row->second[4]);
    design.Cargo = Number(row->second[5]);
    TGroup group;
    group.ShipType = &design;
    group.Ships = 1;
    group.DriveTech = g.drive;
    group.WeaponsTech = g.weapons;
    group.ShieldsTech = g.shields;
    group.CargoTech = g.cargo;
    const TBatGroup bat = MakeBatGroup(group, g.load);
    const std::string key = g.race + " " + g.type;
    f.weapons[key].insert(bat.EffWeapons);
    f.shields[key].insert(bat.EffShields);
  }
  return f;
}

TEST(BattleOrion, KillsOfRealShotsMatchTheKillChance) {
  const fs::path dir = test::ReportsDir("orion");
  if (dir.empty()) GTEST_SKIP() << "the reports of the game Orion are not on this machine";

  std::set<std::string> seen;
  std::vector<std::pair<float, bool>> shots;  // chance, destroyed
  int allShots = 0;
  for (char letter : {'A', 'D', 'G'}) {
    for (int turn = 0; turn <= 25; ++turn) {
      const fs::path file = dir / Fmt("%1s%0.03d.txt", std::string(1, letter), turn);
      if (!fs::exists(file)) continue;
      const ReportText r = ReadReport(file);
      for (const BattleText& b : r.battles) {
        if (!seen.insert(std::to_string(turn) + "\n" + b.protocol).second) continue;
        allShots += static_cast<int>(b.shots.size());
        const Figures f = BattleFigures(r, b);
        for (const Shot& s : b.shots) {
          auto w = f.weapons.find(s.shooter);
          auto sh = f.shields.find(s.target);
          if (w == f.weapons.end() || sh == f.shields.end() || w->second.size() != 1 ||
              sh->second.size() != 1)
            continue;
          shots.emplace_back(ShotChance(*w->second.begin(), *sh->second.begin()), s.destroyed);
        }
      }
    }
  }
  ASSERT_GT(allShots, 1000);
  ASSERT_GT(shots.size(), 500u);

  struct Bin {
    int shots = 0, observed = 0, engine = 0;
    double expected = 0, variance = 0;
  };
  std::map<int, Bin> bins;  // -1: p <= 0, 10: p >= 1, else tenths
  Bin total;
  TBattleRandom random(20070101);
  for (const auto& [p, destroyed] : shots) {
    if (p >= 1) {
      EXPECT_TRUE(destroyed) << "a shot with chance " << p << " missed";
    }
    if (p <= 0) {
      EXPECT_FALSE(destroyed) << "a shot with chance " << p << " killed";
    }
    const int key = p <= 0 ? -1 : p >= 1 ? 10 : static_cast<int>(p * 10);
    const double q = std::clamp(static_cast<double>(p), 0.0, 1.0);
    const bool engineKill = ShotDestroys(p, random);
    for (Bin* b : {&bins[key], &total}) {
      ++b->shots;
      b->observed += destroyed;
      b->engine += engineKill;
      b->expected += q;
      b->variance += q * (1 - q);
    }
  }
  std::printf("%8s %6s %9s %8s %7s\n", "p", "shots", "expected", "observed", "engine");
  auto check = [](const std::string& name, const Bin& b) {
    std::printf("%8s %6d %9.1f %8d %7d\n", name.c_str(), b.shots, b.expected, b.observed, b.engine);
    if (b.shots < 30) return;
    const double limit = 3 * std::sqrt(b.variance) + 1e-9;
    EXPECT_LE(std::abs(b.observed - b.expected), limit) << name;
    EXPECT_LE(std::abs(b.engine - b.expected), limit) << name;
  };
  for (const auto& [key, b] : bins) {
    check(key < 0 ? "<= 0" : key >= 10 ? ">= 1" : Fmt("%.1f", key / 10.0), b);
  }
  check("total", total);
  std::printf("%d of %d shots unambiguous\n", static_cast<int>(shots.size()), allShots);
}

// Simulated many times, the real survivors of each side should lie in the band the simulation
// gives. Armed-against-unarmed battles are counted apart: the engine once let unarmed ships
// survive every battle, which the server never does when the armed side can hurt them.
TEST(BattleOrion, RealSurvivorsLieInsideTheSimulatedBand) {
  // The game as the races with battle protocols saw it: A, with the reports of D and G.
  static const test::OrionGame game("ADG");
  if (!game.loaded) GTEST_SKIP() << "the reports of the game Orion are not on this machine";
  constexpr int kRuns = 1000;

  struct Tally {
    int battles = 0, inside = 0;
  } all, armedAgainstUnarmed;
  std::vector<std::string> outside;
  for (auto [key, battle] : game.state.Battles) {
    // Two races only: with more, who fires at whom depends on relations the reports do not
    // give for every pair.
    std::vector<const TPlayer*> races;
    for (const auto& g : battle->Groups)
      if (std::find(races.begin(), races.end(), g->Owner) == races.end()) races.push_back(g->Owner);
    if (races.size() != 2 || !races[0] || !races[1]) continue;
    std::vector<TBatGroup> sides[2];
    int32_t real[2] = {0, 0};
    bool armed[2] = {false, false};
    for (const auto& g : battle->Groups) {
      const int side = g->Owner == races[0] ? 0 : 1;
      sides[side].push_back(MakeBatGroup(*g, g->Load));
      real[side] += g->BattleShips;
      armed[side] = armed[side] || (g->ShipType && g->ShipType->Attacks > 0 && g->Ships > 0);
    }
    if (!armed[0] && !armed[1]) continue;  // no battle at all

    TBattleRandom random(4130 + all.battles);
    TBattleHooks hooks;
    hooks.AskContinue = [] { return false; };
    TBattleEngine engine(random, std::move(hooks));
    engine.LoadAttackers(std::move(sides[0]));
    engine.LoadDefenders(std::move(sides[1]));
    std::vector<int32_t> survivors[2];
    for (int i = 0; i < kRuns; ++i) {
      if (engine.FightBattle(i % 2 == 1) == TBattleResult::Stopped) continue;
      survivors[0].push_back(engine.LiveShips(true));
      survivors[1].push_back(engine.LiveShips(false));
    }
    ASSERT_GT(survivors[0].size(), kRuns * 9u / 10) << key;
    bool inside = true;
    std::string band;
    for (int side : {0, 1}) {
      std::vector<int32_t>& v = survivors[side];
      std::sort(v.begin(), v.end());
      const int32_t low = v[v.size() / 100];
      const int32_t high = v[v.size() - 1 - v.size() / 100];
      inside = inside && low <= real[side] && real[side] <= high;
      band += Fmt(" %s %d in %d..%d", races[side]->Name, real[side], low, high);
    }
    for (Tally* t : {&all, armed[0] != armed[1] ? &armedAgainstUnarmed : nullptr}) {
      if (!t) continue;
      ++t->battles;
      t->inside += inside;
    }
    if (!inside)
      outside.push_back(Fmt("turn %d at %s:", battle->Turn, battle->Planet->Name) + band);
  }
  std::printf("%d battles of two races, %d inside the band; armed against unarmed: %d, %d inside\n",
              all.battles, all.inside, armedAgainstUnarmed.battles, armedAgainstUnarmed.inside);
  for (const std::string& line : outside) std::printf("outside: %s\n", line.c_str());
  ASSERT_GT(all.battles, 30);
  ASSERT_GT(armedAgainstUnarmed.battles, 10);
  EXPECT_GE(all.inside * 100, all.battles * 96);
  EXPECT_GE(armedAgainstUnarmed.inside * 100, armedAgainstUnarmed.battles * 96);
}

}  // namespace
}  // namespace tovix

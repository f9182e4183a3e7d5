// The kill test against real battles: the "Battle Protocol" sections of the game Orion (races A,
// D and G asked for them) list every shot with its result. A shot counts when its shooter and
// its target are unambiguous: every group of that race and type in the battle has the same
// effective weapons (shooter) or shields (target). Binned by the kill chance, the kills the
// server reported and the kills the engine draws for the same shots (fixed seed) both lie
// within three standard deviations of the expected kills.

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

#include "core/game_model.h"
#include "core/numbers.h"
#include "orders/battle_engine.h"
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

}  // namespace
}  // namespace tovix

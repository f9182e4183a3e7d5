// How fast the battle simulator fights: 10,000 battles of 100 against 100 ships (groups of 1, 2
// and 3 attacks per ship, every shot killing with a chance of about one half), without the shot
// lines.
//
// Aim: the 10,000 battles in under 1 s on one core; the counter shows battles per second.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "orders/battle_engine.h"

namespace {

using namespace tovix;

std::vector<TBatGroup> Side(const std::string& prefix) {
  std::vector<TBatGroup> groups;
  const int ships[] = {34, 33, 33};
  for (int i = 0; i < 3; ++i) {
    TBatGroup g;
    g.Name = prefix + std::to_string(i + 1);
    g.Ships = ships[i];
    g.MinSurvivors = ships[i];
    g.Attacks = i + 1;
    g.EffWeapons = 10 + static_cast<float>(i);
    g.EffShields = 10.5f;
    g.Mass = 20;
    groups.push_back(g);
  }
  return groups;
}

void BM_TenThousandBattles(benchmark::State& state) {
  constexpr int kBattles = 10000;
  TBattleRandom random(7);
  for (auto _ : state) {
    TBattleEngine engine(random, {});
    engine.BattleCount = kBattles;
    engine.Execute(Side("Attacker"), Side("Defender"));
    benchmark::DoNotOptimize(engine.AttackerWins());
  }
  state.counters["battles/s"] = benchmark::Counter(
      static_cast<double>(kBattles) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenThousandBattles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

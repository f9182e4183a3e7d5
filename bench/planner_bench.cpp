// The development plan and the automatic cargo orders on a made-up empire. The plan is made
// again after every insert of generated orders, so it must feel instant; the automatic load
// and send plans once per written order.
//
// Aims: PlanAutomaticCargo for 500 planets and 2,000 cargo groups (a quarter of them in flight,
// with a 1,000-line order text) under 50 ms; Automatic Load and Send Cargo for 100 planets and
// 300 idle groups under 2 s. The counter "passes" gives the plans a command made.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/model/game_state.h"
#include "core/text/str_utils.h"
#include "orders/auto_cargo.h"
#include "orders/development_plan.h"

namespace {

using namespace tovix;

struct Empire {
  Empire(int planets, int groups, bool idle) {
    std::mt19937 rng(20260);
    std::uniform_int_distribution<int> coord(0, 20000);
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Bench";
    own = race.get();
    own->SetTurnValues(0, "Bench", false, planets, 1000, 1000, 1, 1, 1, 1);
    state.Players.AddObject("bench", std::move(race));
    state.MainPlayer = own;
    auto type = std::make_unique<TShipType>("Hauler", TGameType::NG);
    type->Drive = 10;
    type->Cargo = 10;
    type->CargoUse = TCargoUse::ColThenCap;
    TShipType* hauler = own->AddShipType(std::move(type));
    for (int i = 0; i < planets; ++i) {
      auto planet = std::make_unique<TPlanet>("P" + std::to_string(i));
      planet->X = coord(rng);
      planet->Y = coord(rng);
      planet->Size = 1000;
      planet->Population = i % 3 ? 400 : 1000;
      planet->Industry = 300;
      planet->Resources = 2;
      planet->Colonists = i % 3 ? 0 : 60;
      planet->Capital = i % 4 ? 0 : 30;
      planet->ProductionCargo = i % 2 ? pcCap : pcMat;
      planet->Owner = TOwnerRef::Of(own);
      std::string key = LowerCase(planet->Name);
      list.push_back(state.AddPlanet(std::move(key), std::move(planet),
                                     PlanetDistanceKey(coord(rng), coord(rng))));
      orders.push_back(";P " + list.back()->Name);
    }
    std::uniform_int_distribution<int> pick(0, planets - 1);
    for (int g = 0; g < groups; ++g) {
      auto group = std::make_unique<TGroup>();
      group->GroupNumber = g + 1;
      group->ShipType = hauler;
      group->Ships = 1 + g % 5;
      group->Owner = own;
      group->Planet = list[static_cast<size_t>(pick(rng))];
      if (!idle && g % 4 == 0) {
        group->Origin = list[static_cast<size_t>(pick(rng))];
        group->Distance = 30;
      }
      own->Groups.push_back(std::move(group));
      if (!idle && g % 2) {
        orders.push_back("S " + std::to_string(g + 1) + " " +
                         list[static_cast<size_t>(pick(rng))]->Name);
      }
    }
  }
  GameState state;
  TPlayer* own = nullptr;
  std::vector<TPlanet*> list;
  std::vector<std::string> orders;
};

void BM_PlanAutomaticCargo(benchmark::State& st) {
  Empire empire(500, 2000, false);
  TDevelopmentPlanner planner(empire.state);
  TVectorOrderLines lines(empire.orders);
  for (auto _ : st) {
    planner.PlanAutomaticCargo(lines, true, true);
    benchmark::DoNotOptimize(planner.Planets().size());
  }
}
BENCHMARK(BM_PlanAutomaticCargo)->Unit(benchmark::kMillisecond);

void BM_AutomaticLoadAndSend(benchmark::State& st) {
  Empire empire(100, 300, true);
  TDevelopmentPlanner planner(empire.state);
  TVectorOrderLines lines(empire.orders);
  TAutoCargoSettings settings;
  settings.MaxDistanceIndex = 3;
  int passes = 0;
  for (auto _ : st) {
    const TAutoCargoResult result = AutomaticLoadAndSendCargo(planner, lines, settings, false);
    passes = result.Passes;
  }
  st.counters["passes"] = passes;
}
BENCHMARK(BM_AutomaticLoadAndSend)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

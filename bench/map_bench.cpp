// The galaxy map with 10,000 planets: painting a 1600 x 1000 client with names and statistics
// bars (one 60 Hz frame is 16 ms), and finding the planet under the mouse.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <memory>
#include <random>

#include "core/model/game_state.h"
#include "views/map_geometry.h"
#include "windows/map/map_painter.h"

namespace tovix {
namespace {

constexpr int kPlanets = 10000;

struct TBigGame {
  TBigGame() {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int32_t> coord(0, 100000);
    std::uniform_real_distribution<float> figure(0, 2500);
    for (int i = 0; i < 4; ++i) {
      auto race = std::make_unique<TPlayer>(0);
      race->Name = "Race" + std::to_string(i);
      races[i] = race.get();
      state.Players.AddObject("race" + std::to_string(i), std::move(race));
    }
    state.MainPlayer = races[0];
    for (int i = 0; i < kPlanets; ++i) {
      auto p = std::make_unique<TPlanet>("P" + std::to_string(i));
      p->X = coord(random);
      p->Y = coord(random);
      p->Size = figure(random);
      p->Population = figure(random);
      p->Industry = figure(random);
      if (i % 3 != 0) p->Owner = TOwnerRef::Of(races[i % 4]);
      p->LastOwner = p->Owner.Player();
      state.AddPlanet("p" + std::to_string(i), std::move(p), 0);
    }
    view.SetClient(1600, 1000);
    view.ZoomFullExtents(state);
    view.Map.ShowNames = true;
    view.Map.ShowStatistics = true;
    scene.State = &state;
    scene.View = &view;
    scene.Scheme = &scheme;
    scene.Players = &players;
    scene.Names = &names;
  }
  GameState state;
  TPlayer* races[4] = {};
  TMapViewState view;
  TColorSchema scheme;
  TPlayerColors players;
  TMapNameCache names;
  TMapScene scene;
};

TBigGame& Game() {
  static TBigGame game;
  return game;
}

void PaintTenThousandPlanets(benchmark::State& s) {
  TBigGame& game = Game();
  QImage image(1600, 1000, QImage::Format_RGB32);
  for (auto _ : s) {
    PaintMap(image, game.scene);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(PaintTenThousandPlanets)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void FindPlanetUnderMouse(benchmark::State& s) {
  TBigGame& game = Game();
  std::mt19937 random(5);
  std::uniform_int_distribution<int32_t> x(0, 1599);
  std::uniform_int_distribution<int32_t> y(0, 999);
  for (auto _ : s) {
    const TMapPoint w = game.view.Map.ScreenToWorld(x(random), y(random));
    benchmark::DoNotOptimize(FindNearestPlanet(game.state, w.X, w.Y));
  }
}
BENCHMARK(FindPlanetUnderMouse)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tovix

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

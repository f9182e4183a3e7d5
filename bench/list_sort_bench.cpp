// Sorting a 10,000-row list by a number column and by a text column: the cell order alone,
// and (with Qt) the list control's row model, which reads each cell once and compares texts in
// the user's language.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "views/cell_compare.h"

#if TOVIX_BENCH_QT
#include "controls/list_row_model.h"
#endif

namespace {

constexpr int kRows = 10000;

// Column 0: planet-like names; column 1: figures such as "1,234.56" and "42 (+3)".
const std::vector<std::vector<std::string>>& Rows() {
  static const std::vector<std::vector<std::string>> rows = [] {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> letter('A', 'z'), length(3, 12), figure(0, 9999999);
    std::vector<std::vector<std::string>> r;
    for (int i = 0; i < kRows; ++i) {
      std::string name;
      for (int n = length(rng); n > 0; --n) name += static_cast<char>(letter(rng));
      const int f = figure(rng);
      std::string number = std::to_string(f / 100) + "." + std::to_string(f % 100);
      if (i % 3 == 0) number += " (+3)";
      r.push_back({name, number});
    }
    return r;
  }();
  return rows;
}

void SortCells(benchmark::State& state) {
  const int column = static_cast<int>(state.range(0));
  const auto& rows = Rows();
  for (auto _ : state) {
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return tovix::CompareCells(rows[static_cast<size_t>(a)][static_cast<size_t>(column)],
                                 rows[static_cast<size_t>(b)][static_cast<size_t>(column)]) < 0;
    });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(SortCells)->Arg(1)->Arg(0)->ArgNames({"column"})->Unit(benchmark::kMillisecond);

#if TOVIX_BENCH_QT
void SortRowModel(benchmark::State& state) {
  const int column = static_cast<int>(state.range(0));
  tovix::TListRowModel model;
  model.SetColumns({"Name", "Figure"});
  model.SetRows(kRows, [](int row, int c) {
    return Rows()[static_cast<size_t>(row)][static_cast<size_t>(c)];
  });
  bool desc = false;
  for (auto _ : state) {
    desc = !desc;  // each round sorts a list that is in the other order
    model.Sort(column, desc ? tovix::TznSortDirection::sdDesc : tovix::TznSortDirection::sdAsc);
  }
}
BENCHMARK(SortRowModel)->Arg(1)->Arg(0)->ArgNames({"column"})->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();

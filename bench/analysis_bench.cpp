// Cost of the analysis figures over a full run: what the analysis window recomputes on every value.
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/Capability.h"

namespace {

using namespace pzam::analysis;

// A gauge's values: normal around 12.345 with s = 0.005, on the 0.001 grid.
std::vector<double> RunValues(int n) {
  std::mt19937 random(1);
  std::normal_distribution<double> normal(12.345, 0.005);
  std::vector<double> values;
  for (int i = 0; i < n; ++i) values.push_back(std::round(normal(random) * 1000) / 1000);
  return values;
}

void BM_ComputeFigures(benchmark::State& state) {
  const std::vector<double> values = RunValues(static_cast<int>(state.range(0)));
  const TTolerance tolerance{12.345, 12.335, 12.355};
  for (auto _ : state) benchmark::DoNotOptimize(ComputeFigures(values, tolerance));
}
BENCHMARK(BM_ComputeFigures)->Arg(10)->Arg(1000)->Arg(9999)->Unit(benchmark::kMicrosecond);

void BM_MakeHistogram(benchmark::State& state) {
  const std::vector<double> values = RunValues(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(MakeHistogram(values));
}
BENCHMARK(BM_MakeHistogram)->Arg(9999)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

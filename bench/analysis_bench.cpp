// Cost of the analysis figures over a full run: what the analysis window recomputes on every value.
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/Capability.h"

#include "RunDoubles.h"

namespace {

using namespace pzam::analysis;

using pzam::bench::GaugeRunValues;

void BM_ComputeFigures(benchmark::State& state) {
  const std::vector<double> values = GaugeRunValues(static_cast<int>(state.range(0)));
  const TTolerance tolerance{12.345, 12.335, 12.355};
  for (auto _ : state) benchmark::DoNotOptimize(ComputeFigures(values, tolerance));
}
BENCHMARK(BM_ComputeFigures)->Arg(10)->Arg(1000)->Arg(9999)->Unit(benchmark::kMicrosecond);

void BM_MakeHistogram(benchmark::State& state) {
  const std::vector<double> values = GaugeRunValues(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(MakeHistogram(values));
}
BENCHMARK(BM_MakeHistogram)->Arg(9999)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

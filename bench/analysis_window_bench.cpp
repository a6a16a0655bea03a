// The analysis window's update for one more value: the figures, the table and all three charts
// redrawn at once (not queued), at a given run length. Offscreen platform.
//   analysis_window_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/Charts.h"

namespace {

double Value(int i) {
  return 12.345 + 0.001 * std::lround(4 * std::sin(i * 0.37) + 3 * std::sin(i * 1.91));
}

// The window holds n - 1 values; one more arrives and the window is brought up to date.
void BM_OneMoreValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  pzam::TF_Analysis window;
  window.SetTextSource([](int id) { return std::to_string(id); });
  window.SetToleranceTexts({"12,345", "12,340", "12,350"});
  window.resize(1240, 860);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    window.Clear();
    for (int i = 1; i < n; ++i) window.AddValue(Value(i), "10:00:00");
    window.UpdateNow();
    QApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    window.AddValue(Value(n), "10:00:00");
    window.UpdateNow();
    window.Charts().Replot(false);
    const auto stop = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    benchmark::DoNotOptimize(window.Figures().N);
  }
}
BENCHMARK(BM_OneMoreValue)->Arg(100)->Arg(9999)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

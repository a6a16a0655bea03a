// The analysis window's update for one more value: the figures, the table and all three charts
// redrawn (the queued redraw done), at a given run length. Offscreen platform.
//   analysis_window_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cmath>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/Charts.h"

#include "RunDoubles.h"

namespace {

// The window thread's own time, without the time other programs take the cores from it.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A gauge's values about 12.345 with s = 0.005: against the tolerance 12.335 to 12.355 about one
// in twenty lies outside, and the rules flag some hundreds of points.
using pzam::bench::GaugeRunValues;

// The window holds n - 1 values; one more arrives and the window is brought up to date.
void BM_OneMoreValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> values = GaugeRunValues(n);
  pzam::TF_Analysis window;
  window.SetTextSource([](int id) { return std::to_string(id); });
  window.SetToleranceTexts({"12,345", "12,335", "12,355"});
  window.resize(1240, 860);
  window.show();
  QApplication::processEvents();
  double cpu = 0;
  int updates = 0;
  for (auto _ : state) {
    window.Clear();
    for (int i = 0; i < n - 1; ++i) window.AddValue(values[i], "10:00:00");
    window.UpdateNow();
    QApplication::processEvents();
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    window.AddValue(values[n - 1], "10:00:00");
    window.UpdateNow();
    // The queued redraw of the three charts and the table's repaint.
    QApplication::processEvents();
    QApplication::processEvents();
    const auto stop = std::chrono::steady_clock::now();
    cpu += ThreadCpuMs() - cpuStart;
    ++updates;
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    benchmark::DoNotOptimize(window.Figures().N);
    state.counters["cpu_ms"] = cpu / updates;
    state.counters["outside"] = window.Charts().OutsidePoints();
    state.counters["flagged"] = window.Charts().FlaggedPoints();
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

// Cost of one value at a given run length, and of a whole 9999-value replay with an Excel file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "RunDoubles.h"
#include "measurement/MeasurementRun.h"
#include "measurement/ValueProcessing.h"

namespace {

using namespace pzam::measurement;
using TNullView = pzam::bench::TNullRunView;

using TPort = pzam::bench::TNullRunPort;

std::string ValueText(int i) {
  return i % 3 ? "+0012.345" : "+0012.340";
}

// The n-th value of a run: the statistics hold n - 1 values, and the deviation runs over n.
void BM_ProcessValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TRunStatistics filled;
  for (int i = 1; i < n; ++i) filled.Add(12.345 + (i % 7) * 0.001);
  TNullView view;
  for (auto _ : state) {
    TRunStatistics stats = filled;
    TSharedTexts texts{"1234", ValueText(n), "0", "0", "", ""};
    const auto start = std::chrono::steady_clock::now();
    ProcessValue(texts, stats, ',', view);
    const auto stop = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
}
BENCHMARK(BM_ProcessValue)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(9999)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// A Sylvac capture of 9999 values, one read per value, recorded in an Excel file.
void BM_Replay9999(benchmark::State& state) {
  std::vector<std::string> reads;
  for (int i = 1; i <= 9999; ++i) reads.push_back(ValueText(i) + "\r");
  std::string pattern = (std::filesystem::temp_directory_path() / "pzam-bench-XXXXXX").string();
  const std::string dir = mkdtemp(pattern.data());
  TNullView view;
  pzam::bench::TFixedRunChoices choices({{2026, 12, 8, 9, 5, 3}}, {',', "%H:%M:%S"});
  TPort port;
  TRunOptions options{dir, [](std::chrono::milliseconds) {}};
  TMeasurementRun run(view, choices, port, options);
  for (auto _ : state) {
    run.Initialise();
    for (const auto& r : reads) run.Received(r);
    run.End();
  }
  state.SetItemsProcessed(state.iterations() * 9999);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Replay9999)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Cost of putting a record row on the disk: the row's write and the syncs that make it durable
// before the next value is taken, alone and as part of one value's whole processing (decode,
// statistics, memo line, row). The files go to PZAM_BENCH_DIR (default: the system's temporary
// folder), so the figure is that folder's disk. Besides the mean, each benchmark reports the
// 99th percentile and the largest single time of its iterations.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "RunDoubles.h"
#include "measurement/MeasurementRun.h"
#include "measurement/RecordFile.h"

namespace {

using namespace pzam::measurement;
using TClock = std::chrono::steady_clock;

std::string BenchDir() {
  const char* base = std::getenv("PZAM_BENCH_DIR");
  std::string pattern =
      (base && *base ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
      "pzam-rowbench-XXXXXX";
  return mkdtemp(pattern.data());
}

const TRecordRow kHeader{"Charge",     "Uhrzeit",      "Nr.",     "Messwert",
                         "Mittelwert", "Standardabw.", "Maximum", "Minimum"};
const TRecordRow kRow{"-----",    "09:05:03", "1234",     "  12,345",
                      "  12,345", "   0,003", "  12,349", "  12,340"};

// Milliseconds of each iteration: p99 and max as counters.
void ReportTail(benchmark::State& state, std::vector<double>& ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
  state.counters["max_ms"] = ms.back();
}

// A plain append of a row's size and fdatasync: what the disk itself costs.
void BM_AppendAndSync(benchmark::State& state) {
  const std::string dir = BenchDir();
  const int fd = ::open((dir + "/plain").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const std::string line(80, 'x');
  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = TClock::now();
    if (::write(fd, line.data(), line.size()) < 0 || ::fdatasync(fd) != 0)
      state.SkipWithError("write or sync failed");
    ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
  }
  ::close(fd);
  ReportTail(state, ms);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_AppendAndSync)->UseRealTime()->MinTime(3.0)->Unit(benchmark::kMillisecond);

// One row of the Excel (1) or CSV (2) record file, as WriteRow puts it on the disk.
void BM_RecordRow(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  state.SetLabel(mode == kSaveExcel ? "Excel" : "CSV");
  const std::string dir = BenchDir();
  auto file = CreateRecordFile(mode, dir, "rows", kHeader);
  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = TClock::now();
    file->WriteRow(kRow);
    ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
  }
  file->Close();
  ReportTail(state, ms);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RecordRow)
    ->Arg(kSaveExcel)
    ->Arg(kSaveText)
    ->UseRealTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);

using TPort = pzam::bench::TNullRunPort;

// The save mode's choices on top of the fixed Sylvac run.
class TSaveChoices : public pzam::bench::TFixedRunChoices {
 public:
  explicit TSaveChoices(int save) : FSave(save) {}
  int SaveMode() const override { return FSave; }

 private:
  int FSave;
};

// One value as the port hands it over after the read wait: decoded, counted, shown and recorded
// (save mode 0, 1 or 2). A run is restarted before its 9999 values are used up.
void BM_ValueWithRow(benchmark::State& state) {
  const int save = static_cast<int>(state.range(0));
  state.SetLabel(save == kSaveNone ? "no file" : save == kSaveExcel ? "Excel" : "CSV");
  const std::string dir = BenchDir();
  pzam::bench::TNullRunView view;
  TSaveChoices choices(save);
  TPort port;
  TMeasurementRun run(view, choices, port, {dir, [](std::chrono::milliseconds) {}});
  run.Initialise();
  int values = 0;
  std::vector<double> ms;
  for (auto _ : state) {
    if (++values == 9999) {
      state.PauseTiming();
      run.End();
      run.Initialise();
      values = 1;
      state.ResumeTiming();
    }
    const auto start = TClock::now();
    run.Received(values % 3 ? "+0012.345\r" : "+0012.340\r");
    ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
  }
  run.End();
  ReportTail(state, ms);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ValueWithRow)
    ->Arg(kSaveNone)
    ->Arg(kSaveExcel)
    ->Arg(kSaveText)
    ->UseRealTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

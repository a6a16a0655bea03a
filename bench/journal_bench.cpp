// Cost of one journaled value: AddValue is one transaction synced to the disk (WAL, synchronous
// FULL), so this is what the window thread waits per accepted value.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/RunId.h"
#include "plant/IsoTime.h"
#include "plant/Journal.h"

namespace {

using namespace pzam::plant;
using pzam::NewRunId;

void BM_JournalAddValue(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / ("pzam-journal-bench-" + NewRunId());
  std::filesystem::create_directories(dir);
  {
    TJournal journal;
    if (const std::string e = journal.Open((dir / "pzam-journal.sqlite").string()); !e.empty()) {
      state.SkipWithError(e.c_str());
      return;
    }
    TRunStart run;
    run.RunId = NewRunId();
    run.Station = "bench";
    run.Batch = "B";
    run.Port = "COM1";
    run.RecordFile = "bench.csv";
    run.Started = LocalIsoTimeText(std::chrono::system_clock::now());
    if (!journal.StartRun(run).empty()) state.SkipWithError("start failed");
    TValueRecord v;
    v.RunId = run.RunId;
    v.Text = "+012.345";
    v.Value = 12.345;
    v.Time = run.Started;
    v.Tolerance = TToleranceZone::In;
    for (auto _ : state) {
      ++v.Seq;
      if (!journal.AddValue(v).empty()) state.SkipWithError("add failed");
    }
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_JournalAddValue)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();

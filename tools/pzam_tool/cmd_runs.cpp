// pzam-tool runs: the runs of the station's journal, one line each in order of their start:
// RUN_ID START END COUNT STATION BATCH (END "-" while the run is open).
#include <filesystem>
#include <iostream>

#include "ToolArgs.h"
#include "plant/Journal.h"

namespace pzam::tool {
namespace {

constexpr char kUsage[] = "runs [--config FILE] [--batch TEXT]  the runs of the station's journal";

int Runs(const TArgs& args) {
  TParsedArgs a;
  std::string error;
  if (!ParseArgs(args, {"--config", "--batch"}, a, error) || !a.Plain.empty()) {
    std::cerr << "pzam-tool runs: " << (error.empty() ? "unexpected argument" : error)
              << "\nusage: pzam-tool " << kUsage << '\n';
    return 2;
  }
  const std::string path = StationJournalPath(a.Get("--config"));
  if (!std::filesystem::is_regular_file(path)) {
    std::cerr << "pzam-tool runs: no journal at '" << path << "'\n";
    return 1;
  }
  plant::TJournal journal;
  std::vector<plant::TRunRecord> runs;
  if (error = journal.Open(path); error.empty())
    error =
        journal.ListRuns(a.Has("--batch") ? std::optional(a.Get("--batch")) : std::nullopt, runs);
  if (!error.empty()) {
    std::cerr << "pzam-tool runs: " << error << '\n';
    return 1;
  }
  for (const auto& r : runs)
    std::cout << r.Start.RunId << ' ' << r.Start.Started << ' ' << r.Ended.value_or("-") << ' '
              << r.ValueCount << ' ' << r.Start.Station << ' ' << r.Start.Batch << '\n';
  return 0;
}

TCommand reg("runs", kUsage, &Runs);

}  // namespace
}  // namespace pzam::tool

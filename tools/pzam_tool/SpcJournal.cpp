// pzam-tool spc --run: a run's values from the station's journal.
#include <algorithm>
#include <filesystem>

#include "SpcSources.h"
#include "measurement/NumberText.h"
#include "plant/Journal.h"

namespace pzam::tool {

bool ParseCharacteristic(const std::string& text, int& characteristic, std::string& error) {
  if (measurement::TryStrToInt(text, characteristic) && characteristic >= 1) return true;
  error = "--characteristic must be a characteristic's number (1, 2, ...)";
  return false;
}

int JournalValues(const std::string& journalPath, const std::string& runId, int characteristic,
                  TSpcValues& out, std::string& error) {
  if (!std::filesystem::is_regular_file(journalPath)) {
    error = "no journal at '" + journalPath + "'";
    return 1;
  }
  plant::TJournal journal;
  std::optional<plant::TRunRecord> run;
  std::vector<plant::TValueRecord> values;
  if (error = journal.Open(journalPath, plant::TJournalSync::Normal); !error.empty()) return 1;
  if (error = journal.FindRun(runId, run); !error.empty()) return 1;
  if (!run) {
    error = "no run " + runId + " in '" + journalPath + "'";
    return 1;
  }
  if (error = journal.RunValues(runId, values); !error.empty()) return 1;
  // The run's characteristics: the plan's as the journal keeps them, else those its values carry.
  const auto& stored = run->Start.Characteristics;
  std::int64_t count = static_cast<std::int64_t>(stored.size());
  for (const auto& v : values) count = std::max(count, v.Characteristic);
  if (characteristic == 0 && count > 1) {
    error = "run " + runId + " holds " + std::to_string(count) +
            " characteristics: choose one with --characteristic N";
    return 2;
  }
  if (characteristic > std::max<std::int64_t>(count, 1)) {
    error = "run " + runId + " has no characteristic " + std::to_string(characteristic);
    return 2;
  }
  const int chosen = characteristic == 0 ? 1 : characteristic;
  out.Tolerance = {run->Start.Nominal, run->Start.Lsl, run->Start.Usl};
  // A plan run has no tolerance of its own: the characteristic's limits are those of its values.
  if (static_cast<std::size_t>(chosen) <= stored.size()) {
    const auto& c = stored[static_cast<std::size_t>(chosen - 1)];
    out.Tolerance = {c.Nominal, c.Lsl, c.Usl};
  }
  for (const auto& v : values)
    if (!v.Discarded && v.Characteristic == chosen) out.Values.push_back(v.Value);
  return 0;
}

}  // namespace pzam::tool

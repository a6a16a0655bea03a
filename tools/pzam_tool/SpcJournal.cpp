// pzam-tool spc --run: a run's values from the station's journal.
#include <filesystem>

#include "SpcSources.h"
#include "plant/Journal.h"

namespace pzam::tool {

bool JournalValues(const std::string& journalPath, const std::string& runId, TSpcValues& out,
                   std::string& error) {
  if (!std::filesystem::is_regular_file(journalPath)) {
    error = "no journal at '" + journalPath + "'";
    return false;
  }
  plant::TJournal journal;
  std::optional<plant::TRunRecord> run;
  std::vector<plant::TValueRecord> values;
  if (error = journal.Open(journalPath, plant::TJournalSync::Normal); !error.empty()) return false;
  if (error = journal.FindRun(runId, run); !error.empty()) return false;
  if (!run) {
    error = "no run " + runId + " in '" + journalPath + "'";
    return false;
  }
  if (error = journal.RunValues(runId, values); !error.empty()) return false;
  out.Tolerance = {run->Start.Nominal, run->Start.Lsl, run->Start.Usl};
  // A plan run has no tolerance of its own; with one characteristic its values are that
  // characteristic's, and so are the limits.
  if (const auto& c = run->Start.Characteristics; c.size() == 1)
    out.Tolerance = {c[0].Nominal, c[0].Lsl, c[0].Usl};
  for (const auto& v : values)
    if (!v.Discarded) out.Values.push_back(v.Value);
  return true;
}

}  // namespace pzam::tool

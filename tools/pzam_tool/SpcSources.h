// Where pzam-tool spc takes a run's values from besides a record file: the station's journal, or
// the central store. Discarded values are left out; the tolerance is the run's, or that of a plan
// run's only characteristic when the journal keeps it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Capability.h"

namespace pzam::tool {

struct TSpcValues {
  std::vector<double> Values;
  analysis::TTolerance Tolerance;
};

// Reads the value of --characteristic (1, 2, ...); false when it is not such a number, with the
// reason in `error`.
bool ParseCharacteristic(const std::string& text, int& characteristic, std::string& error);

// The values of run `runId` in the journal at `journalPath`: 0, or 1 when the journal or the run
// cannot be read, 2 when the run holds several characteristics and `characteristic` (1, 2, ...;
// 0 none) names none of them (an option is needed). The characteristic's values only, with its
// limits when the journal keeps them.
int JournalValues(const std::string& journalPath, const std::string& runId, int characteristic,
                  TSpcValues& out, std::string& error);

// The values of one run, or of every run of a batch (of one station when `station` is given) in
// the order of their start, from PostgreSQL. The tolerance is that of the first run.
bool DatabaseValues(const std::string& conninfo, const std::optional<std::string>& runId,
                    const std::optional<std::string>& batch,
                    const std::optional<std::string>& station, TSpcValues& out, std::string& error);

}  // namespace pzam::tool

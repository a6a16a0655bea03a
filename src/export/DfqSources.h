// Where a transfer file's content comes from: a run in the station's journal or a record file.
#pragma once

#include <string>

#include "export/Dfq.h"

namespace pzam::dfq {

struct TDfqSource {
  TDfqFile File;
  std::string Name;  // the default name of the transfer file, ".dfq" included
  int ValueCount = 0;
};

// A journaled run. With a plan: every characteristic of the plan with its limits, unit and
// decimals, every part in order, one set each, discarded values left out; the part number, the
// part name (the plan's name when the plan has none). A plan run journaled before the journal kept
// its characteristics: those its values name, named as the values name them, without limits or
// units, the plan's name as part name. Without a plan: one characteristic with the run's
// tolerance, named by the run's port, one set per value. False with `error` when the journal or
// the run cannot be read.
bool JournalSource(const std::string& journalPath, const std::string& runId, TDfqSource& out,
                   std::string& error);

// A record file (.csv or .xls): one characteristic named by the file, no limits, one set per
// value, the date from the file's name and the clock time of each row. False with `error` when it
// cannot be read.
bool RecordFileSource(const std::string& path, TDfqSource& out, std::string& error);

}  // namespace pzam::dfq

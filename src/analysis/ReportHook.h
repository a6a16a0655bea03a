// The inspection report writer as a hook: the window library registers its PDF writer, and
// pzam-tool spc calls it for --report. The core itself writes no report.
#pragma once

#include <string>

#include "analysis/Capability.h"
#include "analysis/ValueFile.h"

namespace pzam::analysis {

// Writes the report of the values of `file`, read from the file named `sourceName`, to
// `pdfPath`; false with `error` set when it could not.
using TReportWriter = bool (*)(const std::string& pdfPath, const std::string& sourceName,
                               const TValueFile& file, const TTolerance& tolerance,
                               std::string& error);

// Registers the writer (nullptr removes it). Safe from any thread.
void SetReportWriter(TReportWriter writer);
// The registered writer, nullptr when none is.
TReportWriter ReportWriter();

}  // namespace pzam::analysis

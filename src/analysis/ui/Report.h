// The inspection report of a run as a PDF, written with Qt's own PDF writer: page 1 the run's
// particulars, the limits, the figures and the three charts; then every value with its number,
// time and whether it lies inside the tolerance.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/Capability.h"
#include "analysis/GaugeStudy.h"

namespace pzam::analysis {

// The run's particulars on page 1 ("-" where one is not known).
struct TRunParticulars {
  std::string ProgramText;  // program name and version text
  std::string Batch;
  std::string Date;
  std::string Mode;
  std::string Port;
  std::string RecordFile;
};

struct TReportData : TRunParticulars {
  TTolerance Tolerance;
  std::vector<double> Values;
  // The clock time of each value; empty when the values come without times.
  std::vector<std::string> Times;
  char DecimalSeparator = ',';
  // When set, a last page holds the type 1 gauge study of the values with these inputs.
  std::optional<TStudyInputs> Study;
};

// Writes the report to path; false with the reason in error when the file cannot be written.
// `text` gives the language text of an id. Needs a QApplication.
bool WriteReport(const std::string& path, const TReportData& data,
                 const std::function<std::string(int)>& text, std::string& error);

// The report's name for a record file name: its extension replaced by ".pdf".
std::string ReportFileName(const std::string& recordFileName);

}  // namespace pzam::analysis

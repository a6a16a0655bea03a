// The inspection report of a run as a PDF, written with Qt's own PDF writer: page 1 the run's
// particulars, the limits, the figures and the three charts; then every value with its number,
// time and whether it lies inside the tolerance. A plan run's report: page 1 the run's and the
// plan's particulars with its characteristics, one page of figures and charts per
// characteristic, then the part list. A type 1 gauge study, when one is set up, adds a last page.
#pragma once

#include <functional>
#include <optional>
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
  // A plan run: the plan's name, the part number and the part name.
  std::string PlanName;
  std::string PartNumber;
  std::string PartName;
};

// A characteristic of a plan run with its values and their clock times.
struct TReportCharacteristic {
  std::string Name;
  TTolerance Tolerance;
  std::string Unit;
  std::vector<double> Values;
  std::vector<std::string> Times;
};

// A part of a plan run: its values by characteristic as the gauge sent them (empty: none).
struct TReportPart {
  int Part = 0;
  std::string Id;
  std::string Time;
  bool Complete = false;  // false: the run ended inside it, no result
  bool Ok = false;
  std::vector<std::optional<std::string>> Values;
};

struct TReportData : TRunParticulars {
  TTolerance Tolerance;
  std::vector<double> Values;
  // The clock time of each value; empty when the values come without times.
  std::vector<std::string> Times;
  char DecimalSeparator = ',';
  // A plan run (Tolerance, Values and Times are then not used).
  std::vector<TReportCharacteristic> Characteristics;
  std::vector<TReportPart> Parts;
  // When set, a last page holds the type 1 gauge study of the values with these inputs; in a plan
  // run, of the values of the characteristic StudyCharacteristic (0 for the first).
  std::optional<TStudyInputs> Study;
  int StudyCharacteristic = 0;
};

// Writes the report to path; false with the reason in error when the file cannot be written.
// `text` gives the language text of an id. Needs a QApplication.
bool WriteReport(const std::string& path, const TReportData& data,
                 const std::function<std::string(int)>& text, std::string& error);

// The report's name for a record file name: its extension replaced by ".pdf".
std::string ReportFileName(const std::string& recordFileName);

}  // namespace pzam::analysis

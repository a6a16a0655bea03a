// The type 1 study's figures as texts, for the study page's table and the report's: numbers in
// the program's decimal separator, "-" for an empty figure with the reason as its remark.
#pragma once

#include <string>
#include <vector>

#include "analysis/GaugeStudy.h"

namespace pzam::analysis {

// One row: the text id of its name, the value, and the text id of its remark (0: none).
struct TStudyRow {
  int TextId = 0;
  std::string Value;
  int RemarkId = 0;
};

// The ten rows, in the order of the text ids 9310 to 9319: n, x-bar, s, bias, Cg, Cgk, t, p,
// resolution, resolution share. Mean, s and bias carry two decimals more than the values, the
// resolution as many, Cg and Cgk two, t three, p four, the share two and " %".
std::vector<TStudyRow> StudyRows(const TStudyFigures& figures, int valueDecimals, char separator);

// The text id of the reason a figure is empty.
int StudyGapText(TStudyGap gap);

// The text id of the verdict: capable, not capable or none.
int StudyVerdictText(const TStudyFigures& figures);

}  // namespace pzam::analysis

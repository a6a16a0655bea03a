// The figures of a run as texts: the rows of the analysis window's table and of the report's,
// numbers in the program's decimal separator, "-" for a figure that is undefined or a limit not
// given.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/Capability.h"

namespace pzam::analysis {

// One row: the text id of its name, the value and, for the counts, the share of all values.
struct TFigureRow {
  int TextId = 0;
  std::string Value;
  std::string Share;
};

// The decimals the values are shown with: those of their resolution (0.001 gives 3), 3 when the
// values give no resolution; at most 9.
int ValueDecimals(std::span<const double> values);

// x with `decimals` decimals and separator `separator`; "-" when x is empty.
std::string NumberText(std::optional<double> x, int decimals, char separator);

// A limit with at least `valueDecimals` decimals and as many more as it needs (9.95 with one
// decimal values gives 9,95); "-" when it is not given.
std::string LimitText(std::optional<double> x, int valueDecimals, char separator);

// The 21 rows, in the order of the text ids 9130 to 9150: n, mean, s, MR-bar, sigma within, UCL,
// LCL, MR upper limit, LSL, USL, Cp, Cpk, Pp, Ppk, below, inside, above, rules 1 to 4. Figures in
// the values' units carry two decimals more than the values, the indices two decimals.
std::vector<TFigureRow> FigureRows(const TFigures& figures, const TTolerance& tolerance,
                                   int valueDecimals, char separator);

}  // namespace pzam::analysis

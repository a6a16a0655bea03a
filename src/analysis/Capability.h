// Tolerances and process capability over a run's accepted values: the figures, the control limits,
// the four run rules and the histogram. Pure functions in double, without the display truncation
// of the main window, so the analysis window, the inspection report and pzam-tool spc agree.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pzam::analysis {

// The tolerance in force for a run. Either limit may be missing (a one-sided tolerance); both
// missing means no tolerance. Invariant: Lower < Upper when both are given.
struct TTolerance {
  std::optional<double> Nominal;
  std::optional<double> Lower;
  std::optional<double> Upper;
  bool Any() const { return Lower.has_value() || Upper.has_value(); }
};

// Where a value lies against the tolerance: below (x < LSL), above (x > USL), inside (neither).
enum class TZone { Below, Inside, Above };
TZone Judge(double x, const TTolerance& tolerance);

// The tolerance texts as typed (program's decimal separator). Empty texts are missing values.
struct TToleranceTexts {
  std::string Nominal;
  std::string Lower;
  std::string Upper;
};

// Why a tolerance was refused: which field and why.
enum class TToleranceField { Nominal, Lower, Upper };
enum class TToleranceProblem { NotANumber, LowerNotBelowUpper };
struct TToleranceError {
  TToleranceField Field;
  TToleranceProblem Problem;
};

// Reads the three texts; a text that is not a number, or LSL >= USL, is refused (LSL >= USL is
// reported on the Upper field). On success `out` holds the limits; on failure `out` is untouched.
std::optional<TToleranceError> ParseTolerance(const TToleranceTexts& texts, char decimalSeparator,
                                              TTolerance& out);

// The figures of a run. A figure whose inputs are missing, or whose sigma is 0, is empty.
struct TFigures {
  int N = 0;
  std::optional<double> Mean;         // x-bar, n >= 1
  std::optional<double> S;            // sample standard deviation, n >= 2
  std::optional<double> MrBar;        // mean moving range, n >= 2
  std::optional<double> SigmaWithin;  // MR-bar / 1.128, n >= 2
  std::optional<double> Ucl, Lcl;     // x-bar +- 3 sigma within
  std::optional<double> MrUcl;        // 3.267 MR-bar (the lower limit is 0)
  std::optional<double> Cp, Cpk, Pp, Ppk;
  int BelowLsl = 0, AboveUsl = 0, InTolerance = 0;
  // Rules 1 to 4: the 1-based numbers of the flagged points, ascending.
  std::array<std::vector<int>, 4> Rules;
};

TFigures ComputeFigures(std::span<const double> values, const TTolerance& tolerance);

// The moving ranges |x[i] - x[i-1]| for i = 2..n (n - 1 entries, empty for n < 2).
std::vector<double> MovingRanges(std::span<const double> values);

// The finest step of the values' grid (0.001 for values with three decimals), found from the
// values themselves; 0 when all values are equal or there are none.
double ValueResolution(std::span<const double> values);

// Histogram bins: Start is the lower edge of the first bin, every bin Width wide (a whole
// multiple of the values' resolution, so a value grid leaves no empty comb bins), about sqrt(n)
// bins and at most 50; Counts[k] counts the values in [Start + k*Width, Start + (k+1)*Width).
struct THistogram {
  double Start = 0;
  double Width = 0;
  std::vector<int> Counts;
};
THistogram MakeHistogram(std::span<const double> values);

}  // namespace pzam::analysis

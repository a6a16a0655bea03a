// The type 1 gauge study: one reference part measured 25 to 50 times shows whether the gauge's
// spread and bias are small against the tolerance. Cg = (K/100 T) / (L s),
// Cgk = (K/200 T - |bias|) / (L/2 s), the bias tested with a one-sample t test. Pure functions in
// double, shared by the analysis window, the report and pzam-tool gauge-study.
#pragma once

#include <optional>
#include <span>

namespace pzam::analysis {

// Both indices must reach this for the gauge to be capable.
inline constexpr double kCapableIndex = 1.33;
// A study of fewer values still gives its figures, with the note that it needs 25 to 50.
inline constexpr int kStudyMinimum = 25;
inline constexpr int kStudyRecommended = 50;

struct TStudyInputs {
  std::optional<double> Reference;  // x_m, the reference part's value
  std::optional<double> Tolerance;  // T, above 0 when given
  double K = 20;                    // share of T the gauge may take, percent, in (0, 100]
  int L = 6;                        // spread in standard deviations, 6 or 4
};

// Whether the inputs can be used: T above 0 (or missing), K in (0, 100], L 6 or 4.
bool ValidStudyInputs(const TStudyInputs& inputs);

// Why a figure is empty.
enum class TStudyGap {
  None,
  NoValues,     // n = 0
  OneValue,     // s needs two values
  NoReference,  // x_m not given
  NoTolerance,  // T not given
  ZeroSpread,   // all values equal: s = 0, and no step between values
};

struct TStudyFigure {
  std::optional<double> Value;
  TStudyGap Gap = TStudyGap::None;  // None whenever Value is set
};

struct TStudyFigures {
  int N = 0;
  TStudyFigure Mean, S, Bias, Cg, Cgk;
  TStudyFigure T, P;             // t statistic of the bias and its two-sided p-value, n - 1 degrees
  TStudyFigure Resolution;       // smallest step between the values
  TStudyFigure ResolutionShare;  // the resolution in percent of T
  // Capable when Cg and Cgk both reach kCapableIndex; empty (with Cg's or Cgk's gap) when either
  // is empty.
  std::optional<bool> Capable;
  TStudyGap VerdictGap = TStudyGap::None;
  bool FewValues = false;  // n < kStudyMinimum
};

// The study of `values` (in the order measured). Inputs must be valid (ValidStudyInputs).
TStudyFigures ComputeGaugeStudy(std::span<const double> values, const TStudyInputs& inputs);

// The same from a study's summary: n, x-bar (n >= 1), s (n >= 2) and the resolution (0 when not
// known). For checking against studies published without their values.
TStudyFigures GaugeStudyFromSummary(int n, std::optional<double> mean, std::optional<double> s,
                                    double resolution, const TStudyInputs& inputs);

}  // namespace pzam::analysis

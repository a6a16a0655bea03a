#include "analysis/Capability.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "measurement/NumberText.h"

namespace pzam::analysis {

namespace {

// d2 and D4 of the moving range of two points.
constexpr double kD2 = 1.128;
constexpr double kD4 = 3.267;

// Decimals beyond which a double no longer holds a measured value's grid.
constexpr int kMaxDecimals = 12;
// Largest scaled value that still has exact integer steps in a double.
constexpr double kMaxScaled = 1e15;
constexpr double kPow10[kMaxDecimals + 1] = {1,   1e1, 1e2, 1e3,  1e4,  1e5, 1e6,
                                             1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The nearest whole number of |x| < 2^62 (a plain conversion; no library call).
std::int64_t Nearest(double x) {
  return static_cast<std::int64_t>(x + (x < 0 ? -0.5 : 0.5));
}

// Whether x is a whole multiple of 10^-d, allowing for the binary noise of a value read from text
// (12.345 is 12.3449999999999997513...). Beyond kMaxScaled a double has no finer steps.
bool OnGrid(double x, int d) {
  const double scaled = x * kPow10[d];
  if (std::fabs(scaled) >= kMaxScaled) return true;
  const double noise = std::fabs(scaled - static_cast<double>(Nearest(scaled)));
  return noise <= std::max(1e-9, std::fabs(scaled) * 4e-15);
}

// The values as whole multiples of 10^-decimals (decimals common to all finite values), with the
// scale used. Empty when there is no finite value.
struct TGrid {
  double Scale = 1;
  double Step = 1;  // 10^-decimals
  std::vector<std::int64_t> Units;
};

TGrid GridOf(std::span<const double> values) {
  TGrid grid;
  int decimals = 0;
  double largest = 0;
  for (double x : values) {
    if (!std::isfinite(x)) continue;
    // A value on the grid of d decimals is on every finer one: one test per value mostly.
    while (decimals < kMaxDecimals && !OnGrid(x, decimals)) ++decimals;
    largest = std::max(largest, std::fabs(x));
  }
  // Whole units must stay below kMaxScaled: fewer decimals for large values. Values beyond it
  // have no decimal grid; their units are a power of ten above 1, kept well below the precision
  // of a double so that the rounding of the divided scale does not show.
  while (decimals > 0 && largest * kPow10[decimals] >= kMaxScaled) --decimals;
  grid.Scale = kPow10[decimals];
  if (largest * grid.Scale >= kMaxScaled) {
    while (largest * grid.Scale >= 1e12) grid.Scale /= 10;
  }
  grid.Step = 1 / grid.Scale;
  grid.Units.reserve(values.size());
  for (double x : values) {
    if (!std::isfinite(x)) continue;
    grid.Units.push_back(Nearest(x * grid.Scale));
  }
  return grid;
}

// Rules 2 and 3: point i is beyond `k` sigma on one side and at least `need` of the `window`
// points ending at i are beyond on that same side.
std::vector<int> ZoneRule(std::span<const double> values, double mean, double sigma, double k,
                          int window, int need) {
  std::vector<int> flagged;
  const double limit = k * sigma;
  const int n = static_cast<int>(values.size());
  std::vector<signed char> side(values.size());
  for (int i = 0; i < n; ++i) {
    const double d = values[i] - mean;
    side[i] = d > limit ? 1 : (d < -limit ? -1 : 0);
  }
  int above = 0, below = 0;  // beyond on each side among the last `window` points
  for (int i = 0; i < n; ++i) {
    above += side[i] == 1;
    below += side[i] == -1;
    if (i >= window) {
      above -= side[i - window] == 1;
      below -= side[i - window] == -1;
    }
    if (i + 1 < window) continue;
    if ((side[i] == 1 && above >= need) || (side[i] == -1 && below >= need))
      flagged.push_back(i + 1);
  }
  return flagged;
}

}  // namespace

TZone Judge(double x, const TTolerance& tolerance) {
  if (tolerance.Lower && x < *tolerance.Lower) return TZone::Below;
  if (tolerance.Upper && x > *tolerance.Upper) return TZone::Above;
  return TZone::Inside;
}

std::optional<TToleranceError> ParseTolerance(const TToleranceTexts& texts, char decimalSeparator,
                                              TTolerance& out) {
  TTolerance read;
  const struct {
    const std::string& Text;
    TToleranceField Field;
    std::optional<double>& Value;
  } fields[] = {{texts.Nominal, TToleranceField::Nominal, read.Nominal},
                {texts.Lower, TToleranceField::Lower, read.Lower},
                {texts.Upper, TToleranceField::Upper, read.Upper}};
  for (const auto& f : fields) {
    if (IsBlank(f.Text)) continue;
    long double v = 0;
    if (!measurement::TryStrToFloat(f.Text, decimalSeparator, v))
      return TToleranceError{f.Field, TToleranceProblem::NotANumber};
    f.Value = static_cast<double>(v);
  }
  if (read.Lower && read.Upper && !(*read.Lower < *read.Upper))
    return TToleranceError{TToleranceField::Upper, TToleranceProblem::LowerNotBelowUpper};
  out = read;
  return std::nullopt;
}

std::vector<double> MovingRanges(std::span<const double> values) {
  std::vector<double> ranges;
  if (values.size() < 2) return ranges;
  ranges.reserve(values.size() - 1);
  for (std::size_t i = 1; i < values.size(); ++i)
    ranges.push_back(std::fabs(values[i] - values[i - 1]));
  return ranges;
}

TFigures ComputeFigures(std::span<const double> values, const TTolerance& tolerance) {
  TFigures f;
  const std::size_t n = values.size();
  f.N = static_cast<int>(n);
  for (double x : values) {
    switch (Judge(x, tolerance)) {
      case TZone::Below:
        ++f.BelowLsl;
        break;
      case TZone::Above:
        ++f.AboveUsl;
        break;
      case TZone::Inside:
        ++f.InTolerance;
        break;
    }
  }
  if (n == 0) return f;

  long double sum = 0;
  for (double x : values) sum += x;
  const double mean = static_cast<double>(sum / static_cast<long double>(n));
  f.Mean = mean;
  if (n < 2) return f;

  long double squares = 0, ranges = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const long double d = static_cast<long double>(values[i]) - mean;
    squares += d * d;
    if (i > 0) ranges += std::fabs(static_cast<long double>(values[i]) - values[i - 1]);
  }
  const double s = static_cast<double>(std::sqrt(squares / static_cast<long double>(n - 1)));
  const double mrBar = static_cast<double>(ranges / static_cast<long double>(n - 1));
  const double sigmaW = mrBar / kD2;
  f.S = s;
  f.MrBar = mrBar;
  f.SigmaWithin = sigmaW;
  f.Ucl = mean + 3 * sigmaW;
  f.Lcl = mean - 3 * sigmaW;
  f.MrUcl = kD4 * mrBar;

  // Cp/Pp need both limits, Cpk/Ppk at least one; a sigma of 0 leaves them all undefined.
  const auto capability = [&](double sigma, std::optional<double>& c, std::optional<double>& ck) {
    if (!(sigma > 0)) return;
    if (tolerance.Lower && tolerance.Upper) c = (*tolerance.Upper - *tolerance.Lower) / (6 * sigma);
    std::optional<double> k;
    if (tolerance.Upper) k = (*tolerance.Upper - mean) / (3 * sigma);
    if (tolerance.Lower) {
      const double lower = (mean - *tolerance.Lower) / (3 * sigma);
      k = k ? std::min(*k, lower) : lower;
    }
    ck = k;
  };
  capability(sigmaW, f.Cp, f.Cpk);
  capability(s, f.Pp, f.Ppk);

  if (!(sigmaW > 0)) return f;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::fabs(values[i] - mean) > 3 * sigmaW) f.Rules[0].push_back(static_cast<int>(i + 1));
  }
  f.Rules[1] = ZoneRule(values, mean, sigmaW, 2, 3, 2);
  f.Rules[2] = ZoneRule(values, mean, sigmaW, 1, 5, 4);
  // Rule 4: the run length of points on the same side of the mean.
  int run = 0, runSide = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int side = values[i] > mean ? 1 : (values[i] < mean ? -1 : 0);
    run = side != 0 && side == runSide ? run + 1 : (side != 0 ? 1 : 0);
    runSide = side;
    if (run >= 8) f.Rules[3].push_back(static_cast<int>(i + 1));
  }
  return f;
}

double ValueResolution(std::span<const double> values) {
  const TGrid grid = GridOf(values);
  if (grid.Units.empty()) return 0;
  std::uint64_t g = 0;
  for (std::int64_t u : grid.Units) {
    const std::int64_t d = u - grid.Units.front();
    g = std::gcd(g, static_cast<std::uint64_t>(d < 0 ? -d : d));
  }
  return static_cast<double>(g) / grid.Scale;
}

THistogram MakeHistogram(std::span<const double> values) {
  THistogram h;
  const TGrid grid = GridOf(values);
  if (grid.Units.empty()) return h;
  const auto [lo, hi] = std::minmax_element(grid.Units.begin(), grid.Units.end());
  const std::int64_t low = *lo;
  std::uint64_t g = 0;
  for (std::int64_t u : grid.Units) g = std::gcd(g, static_cast<std::uint64_t>(u - low));
  if (g == 0) {
    // All values equal: one bin one decimal step wide, centred on the value.
    h.Width = grid.Step;
    h.Start = static_cast<double>(low) / grid.Scale - h.Width / 2;
    h.Counts.assign(1, static_cast<int>(grid.Units.size()));
    return h;
  }
  // Grid points from the smallest to the largest value; each bin holds `per` of them, and its
  // edges lie half a step between grid points, so no value sits on an edge.
  const std::uint64_t points = static_cast<std::uint64_t>(*hi - low) / g + 1;
  const double root = std::sqrt(static_cast<double>(grid.Units.size()));
  const std::uint64_t target = std::clamp<std::uint64_t>(std::llround(root), 1, 50);
  const std::uint64_t per = (points + target - 1) / target;
  const std::uint64_t bins = (points + per - 1) / per;
  const double resolution = static_cast<double>(g) / grid.Scale;
  h.Width = static_cast<double>(per) * resolution;
  h.Start = static_cast<double>(low) / grid.Scale - resolution / 2;
  h.Counts.assign(bins, 0);
  for (std::int64_t u : grid.Units) {
    const std::uint64_t point = static_cast<std::uint64_t>(u - low) / g;
    ++h.Counts[std::min<std::uint64_t>(point / per, bins - 1)];
  }
  return h;
}

}  // namespace pzam::analysis

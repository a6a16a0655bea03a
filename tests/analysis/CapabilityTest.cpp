#include "analysis/Capability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace pzam::analysis {
namespace {

using TOpt = std::optional<double>;
using TValues = std::vector<double>;
constexpr double kD2 = 1.128;

TTolerance Tol(TOpt lower, TOpt upper) {
  return {std::nullopt, lower, upper};
}

void ExpectFigure(const TOpt& actual, const TOpt& expected, const char* name) {
  ASSERT_EQ(actual.has_value(), expected.has_value()) << name;
  if (expected) {
    EXPECT_NEAR(*actual, *expected, 1e-12 * std::max(1.0, std::fabs(*expected))) << name;
  }
}

// -1, +1, -1, ...: a baseline whose every point crosses the mean.
TValues Alternating(int n) {
  TValues v;
  for (int i = 1; i <= n; ++i) v.push_back(i % 2 ? -1.0 : 1.0);
  return v;
}

TValues Join(TValues a, const TValues& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TValues Negated(TValues v) {
  for (double& x : v) x = -x;
  return v;
}

// The value v for which `count` points v appended to `base` lie exactly `k` sigma-within above
// the mean of all the points: v - (S + count v)/n = k (R + v - last) / (1.128 (n - 1)), with S
// the sum and R the sum of the moving ranges of `base`, solved for v (v above the last point).
double Boundary(const TValues& base, int count, double k) {
  const double n = static_cast<double>(base.size() + count);
  const double sum = std::accumulate(base.begin(), base.end(), 0.0);
  double ranges = 0;
  for (std::size_t i = 1; i < base.size(); ++i) ranges += std::fabs(base[i] - base[i - 1]);
  const double c = k / (kD2 * (n - 1));
  return (sum / n + c * (ranges - base.back())) / (1 - count / n - c);
}

// The figures of the values' spread; the control limits are checked only where given.
struct TSpread {
  TOpt Mean, S, MrBar, SigmaW, Ucl, Lcl, MrUcl;
};

void ExpectSpread(const TFigures& f, const TSpread& e) {
  ExpectFigure(f.Mean, e.Mean, "mean");
  ExpectFigure(f.S, e.S, "s");
  ExpectFigure(f.MrBar, e.MrBar, "mr_bar");
  ExpectFigure(f.SigmaWithin, e.SigmaW, "sigma_within");
  if (e.Ucl) {
    ExpectFigure(f.Ucl, e.Ucl, "ucl");
    ExpectFigure(f.Lcl, e.Lcl, "lcl");
  }
  ExpectFigure(f.MrUcl, e.MrUcl, "mr_ucl");
}

// The figures that depend on the tolerance.
struct TCapability {
  TOpt Cp, Cpk, Pp, Ppk;
  int Below, Above, Inside;
};

void ExpectCapability(const TFigures& f, const TCapability& e) {
  ExpectFigure(f.Cp, e.Cp, "cp");
  ExpectFigure(f.Cpk, e.Cpk, "cpk");
  ExpectFigure(f.Pp, e.Pp, "pp");
  ExpectFigure(f.Ppk, e.Ppk, "ppk");
  EXPECT_EQ(f.BelowLsl, e.Below);
  EXPECT_EQ(f.AboveUsl, e.Above);
  EXPECT_EQ(f.InTolerance, e.Inside);
}

struct TFigureCase {
  const char* Name;
  TValues Values;
  TTolerance Tolerance;
  TOpt Mean, S, MrBar, SigmaW, Ucl, Lcl, MrUcl, Cp, Cpk, Pp, Ppk;
  int Below, Above, Inside;
};

TEST(ComputeFigures, HandComputedCases) {
  const double u = 1.0 / 1024;
  const TOpt none;
  const TFigureCase cases[] = {
      {"empty",
       {},
       Tol(1, 2),
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       0,
       0,
       0},
      {"n = 1",
       {12.345},
       Tol(12.3, 12.4),
       12.345,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       none,
       0,
       0,
       1},
      // Both sigmas are 0: the limits collapse onto the mean, the capability is undefined.
      {"constant values",
       {5, 5, 5},
       Tol(4, 6),
       5,
       0,
       0,
       0,
       5,
       5,
       0,
       none,
       none,
       none,
       none,
       0,
       0,
       3},
      // Values on the limits are inside. Deviations -1 0 1 -1.5 1.5, moving ranges 1 1 2.5 3.
      {"values on the limits",
       {1, 2, 3, 0.5, 3.5},
       Tol(1, 3),
       2,
       std::sqrt(6.5 / 4),
       1.875,
       1.875 / kD2,
       2 + 3 * 1.875 / kD2,
       2 - 3 * 1.875 / kD2,
       3.267 * 1.875,
       2 / (6 * 1.875 / kD2),
       1 / (3 * 1.875 / kD2),
       2 / (6 * std::sqrt(6.5 / 4)),
       1 / (3 * std::sqrt(6.5 / 4)),
       1,
       1,
       3},
      // Far from zero with a small spread (binary fractions, so exact): s needs the deviations
      // from the mean, not the sum of squares.
      {"large offset",
       {1e6 + u, 1e6 + 2 * u, 1e6 + 3 * u},
       Tol(none, none),
       1e6 + 2 * u,
       u,
       u,
       u / kD2,
       1e6 + 2 * u + 3 * u / kD2,
       1e6 + 2 * u - 3 * u / kD2,
       3.267 * u,
       none,
       none,
       none,
       none,
       0,
       0,
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TFigures f = ComputeFigures(c.Values, c.Tolerance);
    EXPECT_EQ(f.N, static_cast<int>(c.Values.size()));
    ExpectSpread(f, {c.Mean, c.S, c.MrBar, c.SigmaW, c.Ucl, c.Lcl, c.MrUcl});
    ExpectCapability(f, {c.Cp, c.Cpk, c.Pp, c.Ppk, c.Below, c.Above, c.Inside});
  }
}

// The points 1 and 3 (mean 2, s = sqrt 2, MR-bar 2) against each kind of tolerance.
TEST(ComputeFigures, TwoPointsAgainstEachTolerance) {
  const TValues values{1, 3};
  const double sw = 2 / kD2, s = std::sqrt(2.0);
  const TOpt none;
  const struct {
    const char* Name;
    TTolerance Tolerance;
    TCapability Capability;
  } cases[] = {
      {"both limits", Tol(0, 4), {4 / (6 * sw), 2 / (3 * sw), 4 / (6 * s), 2 / (3 * s), 0, 0, 2}},
      // Cpk takes the nearer limit: 0.5 to the lower, 2 to the upper.
      {"nearer lower limit",
       Tol(1.5, 4),
       {2.5 / (6 * sw), 0.5 / (3 * sw), 2.5 / (6 * s), 0.5 / (3 * s), 1, 0, 1}},
      {"upper limit only", Tol(none, 4), {none, 2 / (3 * sw), none, 2 / (3 * s), 0, 0, 2}},
      // The mean lies beyond the only limit: a negative Cpk.
      {"lower limit only, mean below it",
       Tol(2.5, none),
       {none, -0.5 / (3 * sw), none, -0.5 / (3 * s), 1, 0, 1}},
      {"no tolerance", Tol(none, none), {none, none, none, none, 0, 0, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TFigures f = ComputeFigures(values, c.Tolerance);
    ExpectSpread(f, {2, s, 2, sw, 2 + 3 * sw, 2 - 3 * sw, 3.267 * 2});
    ExpectCapability(f, c.Capability);
  }
}

TEST(ComputeFigures, AFullRunOfEqualValuesHasNoSpread) {
  // 9999 times 12.345 summed plainly is off by an ulp; the mean must be the value itself.
  const TFigures f = ComputeFigures(TValues(9999, 12.345), Tol(12.3, 12.4));
  EXPECT_EQ(f.Mean, 12.345);
  EXPECT_EQ(f.S, 0.0);
  EXPECT_EQ(f.SigmaWithin, 0.0);
  EXPECT_EQ(f.Pp, std::nullopt);
  EXPECT_EQ(f.Ppk, std::nullopt);
  EXPECT_EQ(f.Cpk, std::nullopt);
}

TEST(ComputeFigures, LimitsOneStepInsideAndOutside) {
  const double lsl = 12.3, usl = 12.4;
  const TValues values{std::nextafter(lsl, 0.0), lsl, std::nextafter(lsl, 99.0),
                       std::nextafter(usl, 0.0), usl, std::nextafter(usl, 99.0)};
  const TFigures f = ComputeFigures(values, Tol(lsl, usl));
  EXPECT_EQ(f.BelowLsl, 1);
  EXPECT_EQ(f.InTolerance, 4);
  EXPECT_EQ(f.AboveUsl, 1);
  EXPECT_EQ(Judge(lsl, Tol(lsl, usl)), TZone::Inside);
  EXPECT_EQ(Judge(std::nextafter(usl, 99.0), Tol(std::nullopt, usl)), TZone::Above);
}

struct TRuleCase {
  const char* Name;
  TValues Values;
  std::array<std::vector<int>, 4> Rules;
};

// Every case is checked as it stands and mirrored about zero: the rules are symmetric.
void CheckRules(const TRuleCase& c) {
  for (const bool mirrored : {false, true}) {
    SCOPED_TRACE(std::string(c.Name) + (mirrored ? " (mirrored)" : ""));
    const TFigures f = ComputeFigures(mirrored ? Negated(c.Values) : c.Values, {});
    for (int r = 0; r < 4; ++r) EXPECT_EQ(f.Rules[r], c.Rules[r]) << "rule " << r + 1;
  }
}

TEST(ComputeFigures, RulesAtTheirSigmaBoundaries) {
  // 40 alternating points, then one point at 3 sigma, two at 2 sigma, four at 1 sigma; a
  // nanometre outside the boundary flags the last point, a nanometre inside flags nothing.
  const TValues base = Alternating(40);
  const double step = 1e-9;
  const double r1 = Boundary(base, 1, 3), r2 = Boundary(base, 2, 2), r3 = Boundary(base, 4, 1);
  const TRuleCase cases[] = {
      {"rule 1 outside", Join(base, {r1 + step}), {{{41}, {}, {}, {}}}},
      {"rule 1 inside", Join(base, {r1 - step}), {}},
      {"rule 2 outside", Join(base, {r2 + step, r2 + step}), {{{}, {42}, {}, {}}}},
      {"rule 2 inside", Join(base, {r2 - step, r2 - step}), {}},
      {"rule 3 outside", Join(base, TValues(4, r3 + step)), {{{}, {}, {44}, {}}}},
      {"rule 3 inside", Join(base, TValues(4, r3 - step)), {}},
  };
  for (const auto& c : cases) CheckRules(c);
}

TEST(ComputeFigures, RulesCountPointsOnOneSide) {
  // With 40 alternating points and a few more, sigma-within is about 1.8 and the mean near 0.2:
  // 4.5 is beyond 2 sigma but inside 3, 2.5 beyond 1 sigma but inside 2.
  const TValues base = Alternating(40);
  const TRuleCase cases[] = {
      {"two of three", Join(base, {4.5, 0, 4.5}), {{{}, {43}, {}, {}}}},
      {"one of three", Join(base, {4.5, 0, 0, 4.5}), {}},
      {"two of three, other side between", Join(base, {4.5, -4.5, 4.5}), {{{}, {43}, {}, {}}}},
      {"one on each side", Join(base, {4.5, -4.5}), {}},
      {"rule 2 needs three points", Join({4.5, 4.5}, base), {}},
      {"rule 2 at the third point", Join({-1, 4.5, 4.5}, base), {{{}, {3}, {}, {}}}},
      {"four of five", Join(base, {2.5, 2.5, 0, 2.5, 2.5}), {{{}, {}, {45}, {}}}},
      {"three of five", Join(base, {2.5, 0, 2.5, 0, 2.5}), {}},
      {"rule 3 needs five points", Join(TValues(4, 2.5), base), {}},
      {"rule 3 at the fifth point", Join({0, 2.5, 2.5, 2.5, 2.5}, base), {{{}, {}, {5}, {}}}},
  };
  for (const auto& c : cases) CheckRules(c);
}

TEST(ComputeFigures, RuleFourRunsOnOneSideOfTheMean) {
  // A wide baseline (+-10, sigma-within about 10) ending below the mean, then runs of +-1 close
  // to the mean: only rule 4 can flag them. The mean is exactly 0 where a point lies on it.
  TValues base;
  for (int i = 0; i < 10; ++i) base.insert(base.end(), {10, -10});
  const TValues baseAbove = Negated(base);  // starts below, ends above
  const TRuleCase cases[] = {
      {"eight above, eight below",
       Join(base, Join(TValues(8, 1), TValues(8, -1))),
       {{{}, {}, {}, {28, 36}}}},
      {"nine above, nine below",
       Join(base, Join(TValues(9, 1), TValues(9, -1))),
       {{{}, {}, {}, {28, 29, 37, 38}}}},
      {"seven above, seven below", Join(base, Join(TValues(7, 1), TValues(7, -1))), {}},
      {"a point on the mean breaks the run",
       Join(base, {1, 1, 1, 0, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, -1}),
       {}},
      {"eight, one on the mean, eight",
       Join(base, Join(TValues(8, 1), Join({0}, TValues(8, -1)))),
       {{{}, {}, {}, {28, 37}}}},
      {"the first eight points", Join(TValues(8, 1), baseAbove), {{{}, {}, {}, {8}}}},
      {"the first seven points", Join(TValues(7, 1), baseAbove), {}},
  };
  for (const auto& c : cases) CheckRules(c);
}

TEST(ComputeFigures, NoRulesWithoutSigma) {
  for (const TValues& v : {TValues{}, TValues{7}, TValues(12, 7.0)}) {
    const TFigures f = ComputeFigures(v, {});
    for (const auto& rule : f.Rules) EXPECT_TRUE(rule.empty()) << v.size();
  }
}

TEST(MovingRanges, AbsoluteDifferencesOfNeighbours) {
  EXPECT_EQ(MovingRanges(TValues{}), TValues{});
  EXPECT_EQ(MovingRanges(TValues{3}), TValues{});
  EXPECT_EQ(MovingRanges(TValues{3, 1, 4, 4}), (TValues{2, 3, 0}));
}

TEST(ParseTolerance, AcceptsNumbersAndEmptyFields) {
  struct {
    TToleranceTexts Texts;
    char Separator;
    TOpt Nominal, Lower, Upper;
  } cases[] = {
      {{"", "", ""}, ',', {}, {}, {}},
      {{"12,35", "12,3", "12,4"}, ',', 12.35, 12.3, 12.4},
      {{"12.35", "12.3", "12.4"}, '.', 12.35, 12.3, 12.4},
      {{"", "-0,5", ""}, ',', {}, -0.5, {}},
      {{"  ", "", " 1E-3 "}, ',', {}, {}, 0.001},
      {{"", "-3", "-2"}, '.', {}, -3, -2},
      {{"99", "", "1"}, '.', 99, {}, 1},  // the nominal is not checked against the limits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Texts.Nominal + "|" + c.Texts.Lower + "|" + c.Texts.Upper);
    TTolerance t{5, 6, 7};
    ASSERT_EQ(ParseTolerance(c.Texts, c.Separator, t), std::nullopt);
    EXPECT_EQ(t.Nominal, c.Nominal);
    EXPECT_EQ(t.Lower, c.Lower);
    EXPECT_EQ(t.Upper, c.Upper);
    EXPECT_EQ(t.Any(), c.Lower.has_value() || c.Upper.has_value());
  }
}

TEST(ParseTolerance, RefusesAndKeepsTheLimitsInForce) {
  using F = TToleranceField;
  using P = TToleranceProblem;
  struct {
    TToleranceTexts Texts;
    char Separator;
    F Field;
    P Problem;
  } cases[] = {
      {{"abc", "1", "2"}, ',', F::Nominal, P::NotANumber},
      {{"", "12.3", ""}, ',', F::Lower, P::NotANumber},  // the other separator
      {{"", "12,3", ""}, '.', F::Lower, P::NotANumber},
      {{"", "", "1,2,3"}, ',', F::Upper, P::NotANumber},
      {{"", "1e999", ""}, '.', F::Lower, P::NotANumber},  // beyond a double
      {{"", "x", "y"}, '.', F::Lower, P::NotANumber},     // the first field in error
      {{"", "12,4", "12,4"}, ',', F::Upper, P::LowerNotBelowUpper},
      {{"", "12,5", "12,4"}, ',', F::Upper, P::LowerNotBelowUpper},
      {{"", "0", "-0"}, '.', F::Upper, P::LowerNotBelowUpper},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Texts.Nominal + "|" + c.Texts.Lower + "|" + c.Texts.Upper);
    TTolerance t{5, 6, 7};
    const auto error = ParseTolerance(c.Texts, c.Separator, t);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Field, c.Field);
    EXPECT_EQ(error->Problem, c.Problem);
    EXPECT_EQ(t.Nominal, 5);
    EXPECT_EQ(t.Lower, 6);
    EXPECT_EQ(t.Upper, 7);
  }
}

// Values as the gauge texts give them: 12.345 is not exactly representable.
TValues Grid(double start, double step, int points, int n) {
  TValues v;
  for (int i = 0; i < n; ++i) v.push_back(start + (i % points) * step);
  return v;
}

TEST(ValueResolution, FinestStepOfTheValues) {
  const struct {
    const char* Name;
    TValues Values;
    double Resolution;
  } cases[] = {
      {"none", {}, 0},
      {"one value", {12.345}, 0},
      {"equal values", {12.345, 12.345}, 0},
      {"three decimals", {12.345, 12.346, 12.350}, 0.001},
      {"a 5 um grid", {12.340, 12.345, 12.355, 12.335}, 0.005},
      {"a 2 um grid, negative", {-0.002, 0.004, 0.010, 0.012}, 0.002},
      {"whole numbers", {1, 3, 7}, 2},
      {"from products", Grid(0.1, 0.1, 10, 30), 0.1},  // 0.1 + 2 * 0.1 is 0.30000000000000004
      {"large magnitude", {1234567.891, 1234567.893}, 0.002},
      {"negative values", {-12.345, -12.347, -12.351}, 0.002},
      {"huge values", {1e300, 3e300, -1e300}, 2e300},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ValueResolution(c.Values), c.Resolution, 1e-12 * std::max(1.0, c.Resolution))
        << c.Name;
  }
}

TEST(MakeHistogram, BinsAreWholeGridSteps) {
  // 100 values over the 21 grid points 12.340 ... 12.360: 10 bins wanted, so 3 points a bin.
  const THistogram h = MakeHistogram(Grid(12.340, 0.001, 21, 100));
  EXPECT_NEAR(h.Start, 12.3395, 1e-12);
  EXPECT_NEAR(h.Width, 0.003, 1e-12);
  // Points 0 to 15 hold 5 values each, points 16 to 20 hold 4.
  EXPECT_EQ(h.Counts, (std::vector<int>{15, 15, 15, 15, 15, 13, 12}));
}

TEST(MakeHistogram, NoEmptyCombBinsOnACoarseGrid) {
  // 400 values on a 2 um grid of 50 points: 20 bins wanted; a width of (range / 20) would split
  // the grid unevenly and leave some bins empty.
  const THistogram h = MakeHistogram(Grid(12.300, 0.002, 50, 400));
  EXPECT_NEAR(h.Width, 0.006, 1e-12);
  EXPECT_NEAR(h.Start, 12.299, 1e-12);
  ASSERT_EQ(h.Counts.size(), 17u);
  for (std::size_t k = 0; k + 1 < h.Counts.size(); ++k) EXPECT_EQ(h.Counts[k], 24) << k;
  EXPECT_EQ(h.Counts.back(), 16);
}

TEST(MakeHistogram, BinCountFollowsTheRootOfNAndStopsAtFifty) {
  const struct {
    int N;
    int Points;
    std::size_t Bins;
  } cases[] = {
      {4, 1000, 2},      // sqrt(5) rounds to 2: bins of 500 points
      {2500, 1000, 50},  // sqrt(2500) = 50
      {9999, 1000, 50},  // sqrt(9999) = 100, at most 50
      {9999, 7, 7},      // fewer grid points than bins wanted: one point a bin
  };
  for (const auto& c : cases) {
    TValues v = Grid(1.000, 0.001, c.Points, c.N);
    v.push_back(1.000 + (c.Points - 1) * 0.001);  // the last grid point is always there
    const THistogram h = MakeHistogram(v);
    EXPECT_EQ(h.Counts.size(), c.Bins) << c.N << " " << c.Points;
    EXPECT_EQ(std::accumulate(h.Counts.begin(), h.Counts.end(), 0), c.N + 1);
    const double steps = h.Width / 0.001;
    EXPECT_NEAR(steps, std::round(steps), 1e-9);
    EXPECT_LT(h.Start, 1.0);
    EXPECT_GT(h.Start + static_cast<double>(h.Counts.size()) * h.Width, v.back());
  }
}

TEST(MakeHistogram, EqualValuesAndNone) {
  const THistogram one = MakeHistogram(TValues(5, 12.345));
  EXPECT_EQ(one.Counts, std::vector<int>{5});
  EXPECT_NEAR(one.Width, 0.001, 1e-12);
  EXPECT_NEAR(one.Start, 12.3445, 1e-12);
  EXPECT_TRUE(MakeHistogram(TValues{}).Counts.empty());
  // Values beyond any decimal grid still give bins that hold them all.
  const THistogram huge = MakeHistogram(TValues{1e300, -1e300, 0, 1.5e-300});
  EXPECT_EQ(std::accumulate(huge.Counts.begin(), huge.Counts.end(), 0), 4);
  EXPECT_GT(huge.Width, 0);
}

}  // namespace
}  // namespace pzam::analysis

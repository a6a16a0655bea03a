// The type 1 gauge study's figures: hand-computed data sets, a published example, the limits of
// the verdict, and the reasons an empty figure gives.
#include "analysis/GaugeStudy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace pzam::analysis {
namespace {

using G = TStudyGap;

// 25 values 10 + d/1000 with d = -2, -1, 0, 1, 2, five times each (in that cycle): x-bar = 10,
// the squared deviations sum to 5 (4 + 1 + 0 + 1 + 4) 1e-6 = 50e-6, so
// s = sqrt(50e-6 / 24) = 0.001 * 5 / (2 sqrt 3) = 0.00144337567 and s / sqrt 25 = s / 5.
std::vector<double> FiveLevels() {
  std::vector<double> values;
  for (int i = 0; i < 25; ++i) values.push_back(10 + (i % 5 - 2) / 1000.0);
  return values;
}
const double kS = 0.001 * 5 / (2 * std::sqrt(3.0));

void ExpectNear(const TStudyFigure& f, double expected, const char* name, int row) {
  ASSERT_TRUE(f.Value.has_value()) << name << " row " << row;
  EXPECT_NEAR(*f.Value, expected, std::fabs(expected) * 1e-8 + 1e-12) << name << " row " << row;
}

TEST(GaugeStudy, FiguresOfAHandComputedSet) {
  const struct {
    double Reference, Tolerance, K;
    int L;
    double Bias, Cg, Cgk, T, P;
    bool Capable;
  } cases[] = {
      // Bias 0: Cg = Cgk = 0.2 * 0.05 / (6 s) = 2 / sqrt 3; t = 0, p = 1.
      {10.000, 0.05, 20, 6, 0, 2 / std::sqrt(3.0), 2 / std::sqrt(3.0), 0, 1, false},
      // Bias 0.001: Cg = 0.02 / (6 s) = 4 / sqrt 3; Cgk = (0.01 - 0.001) / (3 s) = 3.6 / sqrt 3;
      // t = 0.001 / (s / 5) = 2 sqrt 3, p (24 degrees) = 0.0020132530 (twice the tail of the
      // t density beyond |t|, integrated by Simpson's rule; so are the p below).
      {9.999, 0.1, 20, 6, 0.001, 4 / std::sqrt(3.0), 3.6 / std::sqrt(3.0), 2 * std::sqrt(3.0),
       0.0020132530, true},
      // A negative bias counts by its size: Cgk = (0.01 - 0.002) / (3 s) = 3.2 / sqrt 3.
      {10.002, 0.1, 20, 6, -0.002, 4 / std::sqrt(3.0), 3.2 / std::sqrt(3.0), -4 * std::sqrt(3.0),
       3.646623295e-07, true},
      // K 10, L 4: Cg = 0.01 / (4 s) = sqrt 3; Cgk = (0.005 - 0.001) / (2 s) = 0.8 sqrt 3.
      {9.999, 0.1, 10, 4, 0.001, std::sqrt(3.0), 0.8 * std::sqrt(3.0), 2 * std::sqrt(3.0),
       0.0020132530, true},
      // Cgk below 1.33 alone decides: Cg = 0.014 / (6 s) = 2.8 / sqrt 3 = 1.617,
      // Cgk = (0.007 - 0.0015) / (3 s) = 2.2 / sqrt 3 = 1.270.
      {10.0015, 0.07, 20, 6, -0.0015, 2.8 / std::sqrt(3.0), 2.2 / std::sqrt(3.0),
       -3 * std::sqrt(3.0), 2.53092967e-05, false},
  };
  const std::vector<double> values = FiveLevels();
  int row = 0;
  for (const auto& c : cases) {
    const TStudyFigures f = ComputeGaugeStudy(values, {c.Reference, c.Tolerance, c.K, c.L});
    EXPECT_EQ(f.N, 25);
    EXPECT_FALSE(f.FewValues);
    ExpectNear(f.Mean, 10, "mean", row);
    ExpectNear(f.S, kS, "s", row);
    EXPECT_NEAR(*f.Bias.Value, c.Bias, 1e-12) << row;
    ExpectNear(f.Cg, c.Cg, "cg", row);
    ExpectNear(f.Cgk, c.Cgk, "cgk", row);
    EXPECT_NEAR(*f.T.Value, c.T, 1e-9) << row;
    ExpectNear(f.P, c.P, "p", row);
    ExpectNear(f.Resolution, 0.001, "resolution", row);
    ExpectNear(f.ResolutionShare, 100 * 0.001 / c.Tolerance, "share", row);
    EXPECT_EQ(f.Capable, c.Capable) << row;
    ++row;
  }
}

// The published example of a type 1 gauge study report: "Report Example: Type 1 Gage Study -
// Description of Output" (BPI Consulting, SPC for Excel, 2017). A diameter, LSL 12.285,
// USL 12.335 (T = 0.05), reference 12.306, K 20 %, L 6, measurement increment 0.0001, 50 values.
// It prints s = 0.00485, study variation 6 s = 0.0291, the increment as 0.20 % of T,
// bias 0.00150, t = 2.185, p = 0.03 (bias significant). It gives the summary, not the values, so
// the figures are checked from the summary; the published t was taken with the unrounded s,
// hence the tolerance on t. Cg = 0.01 / 0.0291 and Cgk = (0.005 - 0.0015) / 0.01455 follow.
TEST(GaugeStudy, PublishedReportExample) {
  const TStudyFigures f =
      GaugeStudyFromSummary(50, 12.3075, 0.00485, 0.0001, {12.306, 0.05, 20, 6});
  EXPECT_NEAR(*f.Bias.Value, 0.00150, 1e-9);
  EXPECT_NEAR(*f.T.Value, 2.185, 0.005);
  EXPECT_NEAR(*f.P.Value, 0.03, 0.005);
  EXPECT_NEAR(*f.ResolutionShare.Value, 0.20, 1e-9);
  EXPECT_NEAR(*f.Cg.Value, 0.3436, 0.0001);
  EXPECT_NEAR(*f.Cgk.Value, 0.2405, 0.0001);
  EXPECT_EQ(f.Capable, false);
  EXPECT_FALSE(f.FewValues);
}

// At exactly 1.33 the gauge is capable, however the division rounds; just below it is not.
TEST(GaugeStudy, VerdictAtTheLimit) {
  const struct {
    double Tolerance, Bias;
    bool Capable;
  } cases[] = {
      {0.0399, 0, true},         // Cg = Cgk = 0.2 * 0.0399 / 0.006 = 1.33
      {0.0398, 0, false},        // Cg = Cgk = 1.3267
      {0.0499, 0.001, true},     // Cg = 1.663, Cgk = (0.00499 - 0.001) / 0.003 = 1.33
      {0.0499, 0.00101, false},  // Cg = 1.663, Cgk = 1.3267
      {0.0499, -0.00101, false},
  };
  for (const auto& c : cases) {
    const TStudyFigures f =
        GaugeStudyFromSummary(50, 5 + c.Bias, 0.001, 0.0001, {5.0, c.Tolerance});
    EXPECT_EQ(f.Capable, c.Capable) << c.Tolerance << " " << c.Bias;
  }
}

TEST(GaugeStudy, FewerThan25ValuesStillGiveTheFigures) {
  for (const int n : {2, 24, 25, 50}) {
    std::vector<double> values;
    for (int i = 0; i < n; ++i) values.push_back(i % 2 ? 1.001 : 1.000);
    const TStudyFigures f = ComputeGaugeStudy(values, {1.0, 0.1});
    EXPECT_EQ(f.FewValues, n < 25) << n;
    EXPECT_TRUE(f.Cg.Value && f.Cgk.Value && f.T.Value && f.P.Value) << n;
    EXPECT_TRUE(f.Capable.has_value()) << n;
  }
}

// Which figures are empty, and why, when a value, s, T or x_m is missing.
TEST(GaugeStudy, EmptyFiguresSayWhy) {
  const std::vector<double> equal(30, 10.000);
  const std::vector<double> one{10.001};
  const std::vector<double> none;
  const std::vector<double> five = FiveLevels();
  const struct {
    const char* Name;
    const std::vector<double>& Values;
    TStudyInputs Inputs;
    // Gaps of s, bias, Cg, Cgk, t (and p), resolution, resolution share, verdict.
    G S, Bias, Cg, Cgk, T, Resolution, Share, Verdict;
  } cases[] = {
      {"s = 0",
       equal,
       {10.0, 0.1},
       G::ZeroSpread,
       G::None,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread},
      {"no T",
       five,
       {10.0, std::nullopt},
       G::None,
       G::None,
       G::NoTolerance,
       G::NoTolerance,
       G::None,
       G::None,
       G::NoTolerance,
       G::NoTolerance},
      {"no x_m",
       five,
       {std::nullopt, 0.1},
       G::None,
       G::NoReference,
       G::None,
       G::NoReference,
       G::NoReference,
       G::None,
       G::None,
       G::NoReference},
      {"one value",
       one,
       {10.0, 0.1},
       G::OneValue,
       G::None,
       G::OneValue,
       G::OneValue,
       G::OneValue,
       G::OneValue,
       G::OneValue,
       G::OneValue},
      {"no value",
       none,
       {10.0, 0.1},
       G::NoValues,
       G::NoValues,
       G::NoValues,
       G::NoValues,
       G::NoValues,
       G::NoValues,
       G::NoValues,
       G::NoValues},
      {"s = 0, no T",
       equal,
       {10.0, std::nullopt},
       G::ZeroSpread,
       G::None,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread,
       G::ZeroSpread},
  };
  for (const auto& c : cases) {
    const TStudyFigures f = ComputeGaugeStudy(c.Values, c.Inputs);
    const std::pair<const TStudyFigure&, G> checks[] = {{f.S, c.S},
                                                        {f.Bias, c.Bias},
                                                        {f.Cg, c.Cg},
                                                        {f.Cgk, c.Cgk},
                                                        {f.T, c.T},
                                                        {f.P, c.T},
                                                        {f.Resolution, c.Resolution},
                                                        {f.ResolutionShare, c.Share}};
    int k = 0;
    for (const auto& [figure, gap] : checks) {
      EXPECT_EQ(figure.Gap, gap) << c.Name << " figure " << k;
      EXPECT_EQ(figure.Value.has_value(), gap == G::None) << c.Name << " figure " << k;
      ++k;
    }
    EXPECT_EQ(f.VerdictGap, c.Verdict) << c.Name;
    EXPECT_EQ(f.Capable.has_value(), c.Verdict == G::None) << c.Name;
  }
}

TEST(GaugeStudy, InputsOutsideTheirRangesAreRefused) {
  const struct {
    TStudyInputs Inputs;
    bool Valid;
  } cases[] = {
      {{1.0, 0.1, 20, 6}, true},   {{1.0, 0.1, 100, 4}, true},    {{1.0, std::nullopt}, true},
      {{std::nullopt, 0.1}, true}, {{1.0, 0.0}, false},           {{1.0, -0.1}, false},
      {{1.0, 0.1, 0, 6}, false},   {{1.0, 0.1, 100.5, 6}, false}, {{1.0, 0.1, -5, 6}, false},
      {{1.0, 0.1, 20, 5}, false},  {{1.0, 0.1, 20, 3}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ValidStudyInputs(c.Inputs), c.Valid)
        << c.Inputs.Tolerance.value_or(-99) << " K " << c.Inputs.K << " L " << c.Inputs.L;
  }
}

}  // namespace
}  // namespace pzam::analysis

#include "GaugeValues.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pzam::sim {
namespace {

TEST(GaugeValues, ValueTextHasSignLeadingZerosAndThreeDecimals) {
  const struct {
    double Value;
    const char* Text;
  } cases[] = {
      {12.345, "+012.345"},  {-0.12, "-000.120"},   {0.0, "+000.000"},       {-0.0004, "+000.000"},
      {0.0005, "+000.001"},  {-0.0006, "-000.001"}, {999.999, "+999.999"},   {1234.5, "+999.999"},
      {-5000.0, "-999.999"}, {7.0, "+007.000"},     {-123.4567, "-123.457"}, {99.9999, "+100.000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(c.Text, FormatGaugeValue(c.Value));
    EXPECT_EQ(8u, FormatGaugeValue(c.Value).size());
  }
}

TEST(GaugeValues, DeviationTextHasFourDecimalsInEightCharacters) {
  const struct {
    double Value;
    const char* Text;
  } cases[] = {
      {0.005, "000.0050"}, {0.0, "000.0000"},    {0.00004, "000.0000"},
      {12.5, "012.5000"},  {5000.0, "999.9999"}, {-1.0, "000.0000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(c.Text, FormatGaugeDeviation(c.Value));
  }
}

TEST(GaugeValues, SourceRepeatsForASeedAndFollowsItsDistribution) {
  TValueSource a(12.345, 0.005, 42), b(12.345, 0.005, 42), c(12.345, 0.005, 43);
  bool differs = false;
  double sum = 0, squares = 0;
  const int n = 4000;
  for (int i = 0; i < n; ++i) {
    const double v = a.Next();
    ASSERT_EQ(v, b.Next());
    differs = differs || v != c.Next();
    // Values come at the gauge's resolution of 0.001.
    EXPECT_NEAR(v * 1000, std::round(v * 1000), 1e-6);
    sum += v;
    squares += v * v;
  }
  EXPECT_TRUE(differs);
  const double mean = sum / n;
  EXPECT_NEAR(12.345, mean, 0.0005);
  EXPECT_NEAR(0.005, std::sqrt(squares / n - mean * mean), 0.0005);
}

TEST(GaugeValues, ZeroDeviationGivesTheMeanEveryTime) {
  TValueSource s(-3.25, 0.0, 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ("-003.250", FormatGaugeValue(s.Next()));
}

}  // namespace
}  // namespace pzam::sim

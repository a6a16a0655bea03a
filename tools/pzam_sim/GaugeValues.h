// Measured values as a gauge produces them: drawn from a normal distribution and written in the
// instrument's fixed form (sign, leading zeros, decimal point).
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace pzam::sim {

// "+012.345", "-000.120": sign, three integer digits, point, three decimals. The gauge's display
// range is +-999.999; values beyond it are sent as the range limit. A value that rounds to zero
// is sent as "+000.000".
std::string FormatGaugeValue(double value);

// Unsigned deviation in eight characters with four decimals ("000.0050"), capped at 999.9999.
std::string FormatGaugeDeviation(double value);

// Normally distributed values. std::normal_distribution is implementation-defined, so a seed
// repeats its values with the same standard library only; that is all the tests rely on.
class TValueSource {
 public:
  TValueSource(double mean, double sd, std::uint32_t seed);
  // The next value, rounded to the gauge's resolution of 0.001.
  double Next();

 private:
  std::mt19937 FEngine;
  std::normal_distribution<double> FDistribution;
  double FSd;
  double FMean;
};

}  // namespace pzam::sim

#include "GaugeValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pzam::sim {

std::string FormatGaugeValue(double value) {
  value = std::clamp(value, -999.999, 999.999);
  // Work in whole thousandths so the sign and the digits come from one rounded number.
  const long long milli = std::llround(value * 1000.0);
  const long long magnitude = milli < 0 ? -milli : milli;
  char text[32];
  std::snprintf(text, sizeof text, "%c%03lld.%03lld", milli < 0 ? '-' : '+', magnitude / 1000,
                magnitude % 1000);
  return text;
}

std::string FormatGaugeDeviation(double value) {
  const long long tenThousandths = std::llround(std::clamp(value, 0.0, 999.9999) * 10000.0);
  char text[32];
  std::snprintf(text, sizeof text, "%03lld.%04lld", tenThousandths / 10000, tenThousandths % 10000);
  return text;
}

TValueSource::TValueSource(double mean, double sd, std::uint32_t seed)
    : FEngine(seed), FDistribution(0.0, 1.0), FSd(sd), FMean(mean) {}

double TValueSource::Next() {
  const double v = FMean + FSd * FDistribution(FEngine);
  return std::round(std::clamp(v, -999.999, 999.999) * 1000.0) / 1000.0;
}

}  // namespace pzam::sim

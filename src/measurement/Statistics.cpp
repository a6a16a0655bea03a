#include "measurement/Statistics.h"

#include <cmath>

namespace pzam::measurement {

void TRunStatistics::Reset() {
  FTotal = 0.0;
  FCount = 0;
  FMaximum = kMaximumStart;
  FMinimum = kMinimumStart;
}

TRunStatistics::TStep TRunStatistics::Add(double v) {
  TStep step;
  FTotal = FTotal + v;
  const int n = ++FCount;
  step.Count = n;
  // The product of a 64-bit value and 1000 is exact in extended precision, so the cut acts on
  // the stored value: 12.34 (just below in binary) gives 12.339.
  const long double scaled = static_cast<long double>(FTotal) / n * 1000.0L;
  const double m = static_cast<double>(std::trunc(scaled) / 1000.0L);
  step.Mean = m;
  FTable[n] = v;
  if (n > 1) {
    // Deviation from the truncated mean; each square in extended precision, the sum in 64 bits.
    double q = 0.0;
    for (int k = 1; k <= n; ++k) {
      const long double diff = static_cast<long double>(m) - FTable[k];
      q = static_cast<double>(static_cast<long double>(q) + diff * diff);
    }
    q = static_cast<double>(static_cast<long double>(q) / (n - 1));
    step.Deviation =
        static_cast<double>(std::trunc(std::sqrt(static_cast<long double>(q)) * 1000.0L) / 1000.0L);
  }
  if (v > FMaximum) FMaximum = v;
  if (v < FMinimum) FMinimum = v;
  step.Maximum = FMaximum;
  step.Minimum = FMinimum;
  return step;
}

}  // namespace pzam::measurement

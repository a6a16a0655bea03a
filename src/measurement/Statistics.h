// The run statistics: value table, running total, count, mean and sample standard deviation cut to
// three decimals, maximum and minimum. The arithmetic is that of the system: 64-bit values,
// 80-bit extended intermediates, truncation toward zero.
#pragma once

#include <array>
#include <limits>
#include <optional>

namespace pzam::measurement {

static_assert(std::numeric_limits<long double>::digits == 64,
              "mean and deviation need the 80-bit extended type (64-bit significand)");

class TRunStatistics {
 public:
  // Slot 0 holds the sign factor; slots 1 to 9999 the run's values.
  static constexpr int kSlots = 10000;
  static constexpr int kMaxValues = kSlots - 1;
  static constexpr double kMaximumStart = -9999.0;
  static constexpr double kMinimumStart = 9999.0;

  // What one accepted value gives.
  struct TStep {
    int Count = 0;
    double Mean = 0;
    std::optional<double> Deviation;  // only from the second value on
    double Maximum = 0;
    double Minimum = 0;
  };

  TRunStatistics() { FTable[0] = 1.0; }

  // Initialise: total 0, count 0, maximum and minimum at their limits. The sign factor stays.
  void Reset();
  void SetSignFactor(double factor) { FTable[0] = factor; }
  double SignFactor() const { return FTable[0]; }
  bool Full() const { return FCount >= kMaxValues; }
  int Count() const { return FCount; }
  double Total() const { return FTotal; }
  double Maximum() const { return FMaximum; }
  double Minimum() const { return FMinimum; }
  double Value(int k) const { return FTable[k]; }

  // Adds an already signed value. Precondition: !Full().
  TStep Add(double v);

 private:
  std::array<double, kSlots> FTable{};
  double FTotal = 0.0;
  int FCount = 0;
  double FMaximum = kMaximumStart;
  double FMinimum = kMinimumStart;
};

}  // namespace pzam::measurement

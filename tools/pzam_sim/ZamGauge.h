// The ZAM gauge's telegrams: tagged fields of eight characters each, ended by character 23.
#pragma once

#include <cstdint>
#include <string>

namespace pzam::sim {

inline constexpr char kZamFrameEnd = 23;

// Keeps the gauge's own running figures over the values it has sent.
class TZamGauge {
 public:
  // "@ANZ     001@IST+012.345@MWT+012.345@STW000.0000" + char 23 for the first value: the count
  // right-aligned with at least three digits, the value and the mean signed, the sample standard
  // deviation unsigned with four decimals.
  std::string ValueTelegram(double value);

  // "@MSG" + text + char 23; the message is no value and leaves the figures alone.
  static std::string MessageTelegram(const std::string& text);

  // The message texts the gauge cycles through.
  static const std::string& MessageText(std::uint64_t index);

  std::uint64_t Count() const { return FCount; }

 private:
  std::uint64_t FCount = 0;
  long double FMean = 0;
  long double FSquares = 0;  // sum of squared distances from the mean
};

}  // namespace pzam::sim

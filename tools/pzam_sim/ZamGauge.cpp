#include "ZamGauge.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "GaugeValues.h"

namespace pzam::sim {

std::string TZamGauge::ValueTelegram(double value) {
  // Welford's update keeps the deviation accurate for values far from zero.
  ++FCount;
  const long double delta = value - FMean;
  FMean += delta / FCount;
  FSquares += delta * (value - FMean);
  const long double variance = FCount > 1 ? FSquares / (FCount - 1) : 0.0L;

  char count[32];
  std::snprintf(count, sizeof count, "%8.3llu", static_cast<unsigned long long>(FCount));
  return std::string("@ANZ") + count + "@IST" + FormatGaugeValue(value) + "@MWT" +
         FormatGaugeValue(static_cast<double>(FMean)) + "@STW" +
         FormatGaugeDeviation(static_cast<double>(std::sqrt(variance))) + kZamFrameEnd;
}

std::string TZamGauge::MessageTelegram(const std::string& text) {
  return "@MSG" + text + kZamFrameEnd;
}

const std::string& TZamGauge::MessageText(std::uint64_t index) {
  static const std::vector<std::string> texts = {"Batterie schwach", "Nullpunkt setzen",
                                                 "Messbereich ueberschritten"};
  return texts[index % texts.size()];
}

}  // namespace pzam::sim

// Fuzzes the number readers and checks that every text the program writes reads back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "measurement/NumberText.h"

using namespace pzam::measurement;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int i = 0;
  if (TryStrToInt(text, i)) {
    int back = 0;
    if (!TryStrToInt(FormatCount(i), back) || back != i) std::abort();
  }
  for (char sep : {',', '.'}) {
    long double v = 0;
    if (!TryStrToFloat(text, sep, v)) continue;
    const double d = static_cast<double>(v);
    // The general text of a value reads back to the same general text.
    const std::string general = FloatToText(d, sep);
    long double again = 0;
    if (!TryStrToFloat(general, sep, again)) std::abort();
    if (FloatToText(static_cast<double>(again), sep) != general) std::abort();
    // The display form reads back, with the decimals it was asked for.
    const int decimals = DecimalsOf(text, sep);
    const std::string shown = FormatFixed(d, 8, decimals, sep);
    long double shownValue = 0;
    if (!TryStrToFloat(shown, sep, shownValue)) std::abort();
    if (shown.size() < 8) std::abort();
    if (std::fabs(d) < 1e17 && decimals <= 18 &&
        std::fabs(static_cast<double>(shownValue) - d) >
            0.5 * std::pow(10.0, -decimals) + std::fabs(d) * 1e-15)
      std::abort();
  }
  return 0;
}

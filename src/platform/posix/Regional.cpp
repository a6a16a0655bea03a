#include "platform/Regional.h"

#include <langinfo.h>

#include <clocale>

namespace pzam::platform {

void ReadRegionalSettings(char& decimalSeparator, std::string& longTimeFormat) {
  // The environment's locale only while reading, so the process locale (and with it printf and
  // strtod) stays "C".
  std::setlocale(LC_NUMERIC, "");
  std::setlocale(LC_TIME, "");
  if (const struct lconv* lc = std::localeconv(); lc && lc->decimal_point && lc->decimal_point[0])
    decimalSeparator = lc->decimal_point[0];
  if (const char* tf = nl_langinfo(T_FMT); tf && *tf) longTimeFormat = tf;
  std::setlocale(LC_NUMERIC, "C");
  std::setlocale(LC_TIME, "C");
}

bool LocalTime(std::time_t t, std::tm& out) {
  return localtime_r(&t, &out) != nullptr;
}

int UtcOffsetMinutes(std::time_t t) {
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

}  // namespace pzam::platform

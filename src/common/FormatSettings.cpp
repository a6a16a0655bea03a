#include "common/FormatSettings.h"

#include <cstdio>

#include "platform/Regional.h"

namespace pzam {

TFormatSettings SystemFormatSettings() {
  TFormatSettings fs;
  platform::ReadRegionalSettings(fs.DecimalSeparator, fs.LongTimeFormat);
  return fs;
}

TDateTime Now() {
  std::tm tm{};
  platform::LocalTime(std::time(nullptr), tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool ParseDateTime(const std::string& text, TDateTime& out) {
  TDateTime t;
  char tail = 0;
  if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.Year, &t.Month,
                                       &t.Day, &t.Hour, &t.Minute, &t.Second, &tail) != 6)
    return false;
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (t.Year % 4 == 0 && t.Year % 100 != 0) || t.Year % 400 == 0;
  if (t.Year < 1 || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > kDays[t.Month - 1] ||
      (t.Month == 2 && t.Day == 29 && !leap) || t.Hour > 23 || t.Minute > 59 || t.Second > 59 ||
      t.Hour < 0 || t.Minute < 0 || t.Second < 0)
    return false;
  out = t;
  return true;
}

std::string TimeToText(const TDateTime& t, const TFormatSettings& fs) {
  std::tm tm{};
  tm.tm_year = t.Year - 1900;
  tm.tm_mon = t.Month - 1;
  tm.tm_mday = t.Day;
  tm.tm_hour = t.Hour;
  tm.tm_min = t.Minute;
  tm.tm_sec = t.Second;
  char buf[128];
  std::size_t n = std::strftime(buf, sizeof buf, fs.LongTimeFormat.c_str(), &tm);
  return std::string(buf, n);
}

}  // namespace pzam

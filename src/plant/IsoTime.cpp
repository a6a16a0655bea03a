#include "plant/IsoTime.h"

#include <cstdio>

#include "platform/Regional.h"

namespace pzam::plant {

namespace {

// Digits at text[pos, pos + n) as a number; -1 when one is not a digit.
int Digits(std::string_view text, std::size_t pos, std::size_t n) {
  int v = 0;
  for (std::size_t i = pos; i < pos + n; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
    v = v * 10 + (text[i] - '0');
  }
  return v;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::string IsoTimeText(std::chrono::system_clock::time_point t, int offsetMinutes) {
  using namespace std::chrono;
  const auto ms = floor<milliseconds>(t + minutes(offsetMinutes));
  const auto day = floor<days>(ms);
  const year_month_day ymd(day);
  const hh_mm_ss hms(ms - day);
  const int off = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02d.%03d%c%02d:%02d",
                static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(hms.hours().count()),
                static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count()),
                static_cast<int>(hms.subseconds().count()), offsetMinutes < 0 ? '-' : '+', off / 60,
                off % 60);
  return buffer;
}

std::string LocalIsoTimeText(std::chrono::system_clock::time_point t) {
  return IsoTimeText(t, platform::UtcOffsetMinutes(std::chrono::system_clock::to_time_t(t)));
}

bool IsIsoTimeText(std::string_view s) {
  if (s.size() < 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':')
    return false;
  const int year = Digits(s, 0, 4), month = Digits(s, 5, 2), day = Digits(s, 8, 2);
  const int hour = Digits(s, 11, 2), minute = Digits(s, 14, 2), second = Digits(s, 17, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59 || day > DaysInMonth(year, month))
    return false;
  std::size_t pos = 19;
  if (s[pos] == '.') {
    std::size_t digits = 0;
    while (++pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++digits;
    if (digits < 1 || digits > 6) return false;
  }
  const std::string_view zone = s.substr(pos);
  if (zone == "Z") return true;
  if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') return false;
  const int zh = Digits(zone, 1, 2), zm = Digits(zone, 4, 2);
  return zh >= 0 && zh <= 14 && zm >= 0 && zm <= 59;
}

}  // namespace pzam::plant

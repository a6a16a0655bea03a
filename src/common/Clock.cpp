#include "common/Clock.h"

#include <ctime>

#include "platform/Regional.h"

namespace pzam {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = static_cast<int>(y - era * 400);
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The local fields as if they were UTC, in seconds since the epoch.
long long FieldSeconds(const TDateTime& t) {
  return DaysFromCivil(t.Year, t.Month, t.Day) * 86400LL + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

// The civil time of seconds since the epoch (UTC).
TDateTime CivilFromSeconds(long long s) {
  long long days = s / 86400, rest = s % 86400;
  if (rest < 0) rest += 86400, --days;
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const int doe = static_cast<int>(days - era * 146097);
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp < 10 ? mp + 3 : mp - 9;
  const int y = static_cast<int>(yoe + era * 400) + (m <= 2);
  return {y,
          m,
          d,
          static_cast<int>(rest / 3600),
          static_cast<int>(rest / 60 % 60),
          static_cast<int>(rest % 60)};
}

// The local time at t and its offset from UTC; UTC itself when t cannot be converted.
TDateTime LocalAt(std::time_t t, int& offsetMinutes) {
  std::tm tm{};
  if (!platform::LocalTime(t, tm)) {
    offsetMinutes = 0;
    return CivilFromSeconds(static_cast<long long>(t));
  }
  const TDateTime local{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                        tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  offsetMinutes = static_cast<int>((FieldSeconds(local) - static_cast<long long>(t)) / 60);
  return local;
}

}  // namespace

TClockReading ReadClock() {
  TClockReading r;
  r.Instant = std::chrono::system_clock::now();
  r.Local = LocalAt(std::chrono::system_clock::to_time_t(r.Instant), r.OffsetMinutes);
  return r;
}

TClockReading ClockAt(const TDateTime& local) {
  // The offset in force near the named time, then the instant it names.
  const long long asUtc = FieldSeconds(local);
  int offset = 0;
  LocalAt(static_cast<std::time_t>(asUtc), offset);
  TClockReading r;
  r.Local = local;
  r.OffsetMinutes = offset;
  r.Instant = std::chrono::system_clock::time_point(std::chrono::seconds(asUtc - offset * 60LL));
  return r;
}

}  // namespace pzam

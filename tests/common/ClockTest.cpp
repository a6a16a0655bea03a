#include "common/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace pzam {
namespace {

// Runs with the time zone TZ (a POSIX rule, so no zone database is needed) and restores it.
class TZoneScope {
 public:
  explicit TZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) FOld = old, FHadOld = true;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~TZoneScope() {
    if (FHadOld)
      ::setenv("TZ", FOld.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::string FOld;
  bool FHadOld = false;
};

long long EpochSeconds(const TClockReading& r) {
  return std::chrono::duration_cast<std::chrono::seconds>(r.Instant.time_since_epoch()).count();
}

TEST(Clock, ALocalTimeNamesItsInstantInTheZoneInForce) {
  struct TCase {
    const char* Zone;
    TDateTime Local;
    int Offset;
    long long Epoch;
  } cases[] = {
      {"UTC0", {2026, 12, 9, 21, 30, 5}, 0, 1796851805},
      {"CET-1CEST,M3.5.0,M10.5.0/3", {2026, 12, 9, 22, 30, 5}, 60, 1796851805},
      {"CET-1CEST,M3.5.0,M10.5.0/3", {2026, 7, 1, 14, 0, 0}, 120, 1782907200},
      {"EST5EDT,M3.2.0,M11.1.0", {2026, 1, 15, 7, 0, 0}, -300, 1768478400},
      {"IST-5:30", {2024, 2, 29, 5, 30, 0}, 330, 1709164800},
      {"UTC0", {1999, 12, 31, 23, 59, 59}, 0, 946684799},
  };
  for (const TCase& c : cases) {
    TZoneScope zone(c.Zone);
    const TClockReading r = ClockAt(c.Local);
    EXPECT_EQ(c.Offset, r.OffsetMinutes) << c.Zone << " " << c.Local.Month;
    EXPECT_EQ(c.Epoch, EpochSeconds(r)) << c.Zone << " " << c.Local.Month;
  }
}

TEST(Clock, AReadingsLocalTimeAndOffsetAgreeWithItsInstant) {
  for (const char* z :
       {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "IST-5:30", "EST5EDT,M3.2.0,M11.1.0"}) {
    TZoneScope zone(z);
    const TClockReading now = ReadClock();
    const TClockReading back = ClockAt(now.Local);
    EXPECT_EQ(now.OffsetMinutes, back.OffsetMinutes) << z;
    EXPECT_EQ(EpochSeconds(now), EpochSeconds(back)) << z;
  }
}

}  // namespace
}  // namespace pzam

// Regional settings: the Windows time picture as a strftime pattern, the local time, and reading
// the user's settings without touching the process's own locale.
#include "platform/Regional.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace pzam::platform {
namespace {

TEST(PlatformRegional, TimePictureBecomesAStrftimePattern) {
  struct {
    const char *picture, *pattern;
  } cases[] = {
      {"HH:mm:ss", "%H:%M:%S"},             // German, English (UK)
      {"H:mm:ss", "%#H:%M:%S"},             // Finnish: hours without a leading zero
      {"h:mm:ss tt", "%#I:%M:%S %p"},       // English (US)
      {"hh:mm:ss t", "%I:%M:%S %p"},        // one-letter designator
      {"tt hh:mm:ss", "%p %I:%M:%S"},       // designator first (Korean)
      {"HH.mm.ss", "%H.%M.%S"},             // other separators stay
      {"H' h 'mm' min'", "%#H h %M min"},   // quoted text
      {"HH'h'mm", "%Hh%M"},                 //
      {"HH:mm '100%'", "%H:%M 100%%"},      // a percent sign is text, not a field
      {"HH''mm", "%H'%M"},                  // two quotes: one quote
      {"HH:mm:ss 'open", "%H:%M:%S open"},  // an unclosed quote runs to the end
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.pattern, TimeFormatFromPicture(c.picture)) << c.picture;
}

TEST(PlatformRegional, LocalTimeIsTheInverseOfMktime) {
  for (const std::time_t t : {std::time_t{0}, std::time_t{1781000000}, std::time(nullptr)}) {
    std::tm tm{};
    ASSERT_TRUE(LocalTime(t, tm)) << t;
    tm.tm_isdst = -1;
    EXPECT_EQ(t, std::mktime(&tm)) << t;
  }
}

// The offset is what separates the local time's fields from UTC at the same moment.
TEST(PlatformRegional, UtcOffsetAgreesWithTheLocalTime) {
  using namespace std::chrono;
  for (const std::time_t t :
       {std::time_t{0}, std::time_t{1768478400}, std::time_t{1784116800}, std::time(nullptr)}) {
    std::tm tm{};
    ASSERT_TRUE(LocalTime(t, tm)) << t;
    const sys_seconds local = sys_days(year(tm.tm_year + 1900) / (tm.tm_mon + 1) / tm.tm_mday) +
                              hours(tm.tm_hour) + minutes(tm.tm_min) + seconds(tm.tm_sec);
    EXPECT_EQ(local.time_since_epoch().count() - t, UtcOffsetMinutes(t) * 60) << t;
  }
}

TEST(PlatformRegional, ReadingLeavesTheProcessLocaleAlone) {
  char separator = '?';
  std::string format = "unchanged";
  ReadRegionalSettings(separator, format);
  EXPECT_NE('?', separator);
  EXPECT_NE("unchanged", format);
  EXPECT_STREQ("C", std::setlocale(LC_NUMERIC, nullptr));
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ("1.5", text);  // printf and strtod keep the full stop
}

}  // namespace
}  // namespace pzam::platform

#include "common/FormatSettings.h"

#include <gtest/gtest.h>

namespace pzam {
namespace {

TEST(FormatSettings, ParsesOnlyRealDateTimes) {
  TDateTime t;
  ASSERT_TRUE(ParseDateTime("2026-12-08 09:05:03", t));
  EXPECT_EQ(2026, t.Year);
  EXPECT_EQ(12, t.Month);
  EXPECT_EQ(8, t.Day);
  EXPECT_EQ(9, t.Hour);
  EXPECT_EQ(5, t.Minute);
  EXPECT_EQ(3, t.Second);
  EXPECT_TRUE(ParseDateTime("2024-02-29 23:59:59", t));
  for (const char* bad : {"2026-02-29 10:00:00", "2026-13-01 10:00:00", "2026-12-08 24:00:00",
                          "2026-12-08 09:05", "2026-12-08 09:05:03x", "2026-12-08T09:05:03", ""})
    EXPECT_FALSE(ParseDateTime(bad, t)) << bad;
}

TEST(FormatSettings, TimeTextFollowsTheLongTimeFormat) {
  TDateTime t{2026, 12, 8, 9, 5, 3};
  TFormatSettings fs;
  EXPECT_EQ("09:05:03", TimeToText(t, fs));
  fs.LongTimeFormat = "%H.%M";
  EXPECT_EQ("09.05", TimeToText(t, fs));
}

}  // namespace
}  // namespace pzam

#include "ZamGauge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace pzam::sim {
namespace {

// Splits a telegram the way the program does: after each "@" a 3-letter code and 8 characters.
std::vector<std::pair<std::string, std::string>> Fields(const std::string& telegram) {
  std::vector<std::pair<std::string, std::string>> fields;
  EXPECT_EQ(kZamFrameEnd, telegram.back());
  std::string body = telegram.substr(0, telegram.size() - 1);
  for (auto at = body.find('@'); at != std::string::npos; at = body.find('@')) {
    body.erase(0, at + 1);
    fields.emplace_back(body.substr(0, 3), body.substr(3, 8));
  }
  return fields;
}

TEST(ZamGauge, TelegramHoldsFourFieldsOfEightCharacters) {
  TZamGauge gauge;
  const std::string t = gauge.ValueTelegram(12.345);
  EXPECT_EQ(std::string("@ANZ     001@IST+012.345@MWT+012.345@STW000.0000") + '\x17', t);
  const auto fields = Fields(t);
  ASSERT_EQ(4u, fields.size());
  const char* codes[] = {"ANZ", "IST", "MWT", "STW"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(codes[i], fields[i].first);
    EXPECT_EQ(8u, fields[i].second.size());
    EXPECT_EQ(std::string::npos, fields[i].second.find('@'));
  }
}

TEST(ZamGauge, RunningFiguresFollowTheSentValues) {
  const std::vector<double> values = {12.345, 12.350, 12.338, -1.5, 12.341};
  TZamGauge gauge;
  double sum = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto fields = Fields(gauge.ValueTelegram(values[i]));
    sum += values[i];
    const double n = static_cast<double>(i + 1);
    const double mean = sum / n;
    double squares = 0;
    for (std::size_t k = 0; k <= i; ++k) squares += (values[k] - mean) * (values[k] - mean);
    const double sd = i == 0 ? 0.0 : std::sqrt(squares / (n - 1));
    char count[32];
    std::snprintf(count, sizeof count, "     %03zu", i + 1);
    EXPECT_EQ(count, fields[0].second);
    EXPECT_NEAR(values[i], std::stod(fields[1].second), 1e-9);
    EXPECT_NEAR(mean, std::stod(fields[2].second), 0.0005 + 1e-9);
    EXPECT_NEAR(sd, std::stod(fields[3].second), 0.00005 + 1e-9);
  }
  EXPECT_EQ(values.size(), gauge.Count());
}

TEST(ZamGauge, CountWidensPastThreeDigitsAndKeepsEightCharacters) {
  TZamGauge gauge;
  std::string t;
  for (int i = 0; i < 1234; ++i) t = gauge.ValueTelegram(1.0);
  EXPECT_EQ("    1234", Fields(t)[0].second);
  EXPECT_EQ("000.0000", Fields(t)[3].second);
}

TEST(ZamGauge, MessageTelegramCarriesTheTextToTheFrameEnd) {
  EXPECT_EQ(std::string("@MSGBatterie schwach\x17"),
            TZamGauge::MessageTelegram(TZamGauge::MessageText(0)));
  EXPECT_NE(TZamGauge::MessageText(0), TZamGauge::MessageText(1));
  EXPECT_EQ(TZamGauge::MessageText(0), TZamGauge::MessageText(3));
}

}  // namespace
}  // namespace pzam::sim

#include "measurement/ValueProcessing.h"

#include <gtest/gtest.h>

#include "RunFakes.h"
#include "common/Errors.h"

namespace pzam::measurement {
namespace {

using test::TRecordingView;

struct TShown {
  std::string count, value, mean, deviation, maximum, minimum;
};

class ValueProcessingTest : public ::testing::Test {
 protected:
  // Processes one value as the signed decoding presets it (mean and deviation "0").
  TValueOutcome Add(const std::string& count, const std::string& value, char sep = ',') {
    texts.Count = count;
    texts.Value = value;
    texts.Mean = "0";
    texts.Deviation = "0";
    return ProcessValue(texts, stats, sep, view);
  }
  TShown Panels() {
    return {view.Panels[TPanel::Pa_Anz], view.Panels[TPanel::Pa_Ist], view.Panels[TPanel::Pa_Mwt],
            view.Panels[TPanel::Pa_Stw], view.Panels[TPanel::Pa_Max], view.Panels[TPanel::Pa_Min]};
  }

  TSharedTexts texts;
  TRunStatistics stats;
  TRecordingView view;
};

TEST_F(ValueProcessingTest, WorkedExample) {
  ASSERT_EQ(Add("1", "+012.345"), TValueOutcome::Accepted);
  const TShown p = Panels();
  EXPECT_EQ(p.count, "001");
  EXPECT_EQ(p.value, "  12,345");
  EXPECT_EQ(p.mean, "  12,345");
  EXPECT_EQ(p.deviation, "     0,0");
  EXPECT_EQ(p.maximum, "  12,345");
  EXPECT_EQ(p.minimum, "  12,345");
  EXPECT_EQ(texts.Value, "  12,345");  // the texts hold the display forms
  EXPECT_EQ(texts.Deviation, "     0,0");
  EXPECT_EQ(ValueLine("-----", "09:05:03", texts),
            "----- 09:05:03 001   12,345   12,345      0,0   12,345   12,345");
}

TEST_F(ValueProcessingTest, SeriesOfValues) {
  const struct {
    std::vector<std::string> values;
    char sep;
    std::string mean, deviation, maximum, minimum;
  } cases[] = {
      // The text of a whole number has no separator: 1 gives 1 decimal, 12 gives 2.
      // The truncated mean of 12.34 lies below the values.
      {{"+12.34", "+12.34"}, ',', "  12,339", "   0,001", "   12,34", "   12,34"},
      {{"+12.34", "+12.34", "+12.34"}, ',', "  12,339", "   0,001", "   12,34", "   12,34"},
      {{"+12.345", "+12.345"}, ',', "  12,345", "     0,0", "  12,345", "  12,345"},
      // Cut toward zero, not to the nearest.
      {{"+1.0", "+1.0015"}, ',', "     1,0", "   0,001", "  1,0015", "     1,0"},
      {{"-1.0", "-1.003"}, ',', "  -1,001", "   0,002", "   -1,00", "  -1,003"},
      {{"+11", "+13"}, ',', "   12,00", "   1,414", "   13,00", "   11,00"},
      {{"+1", "+2", "+3", "+4"}, '.', "     2.5", "    1.29", "     4.0", "     1.0"},
      // Limits, not markers: -9999 never becomes the maximum.
      {{"-9999.0"}, ',', "-9999,00000", "     0,0", "-9999,00000", "-9999,00000"},
      {{"+9999.5", "+9999.5"}, '.', "  9999.5", "     0.0", "  9999.5", "9999.0000"},
  };
  for (const auto& c : cases) {
    stats.Reset();
    for (std::size_t i = 0; i < c.values.size(); ++i)
      ASSERT_EQ(Add(std::to_string(i + 1), c.values[i], c.sep), TValueOutcome::Accepted);
    const TShown p = Panels();
    EXPECT_EQ(p.mean, c.mean) << c.values[0];
    EXPECT_EQ(p.deviation, c.deviation) << c.values[0];
    EXPECT_EQ(p.maximum, c.maximum) << c.values[0];
    EXPECT_EQ(p.minimum, c.minimum) << c.values[0];
  }
}

TEST_F(ValueProcessingTest, ValueAndCountDisplay) {
  const struct {
    std::string count, value;
    char sep;
    std::string shownCount, shownValue;
  } cases[] = {
      {"12", "+12345", ',', "012", "12345,000000"},  // no separator: 6 decimals
      {"  7", "+0.5", '.', "007", "     0.5"},
      {"-5", "-0.125", ',', "-005", "  -0,125"},
      {"1234", "+1.5E-3", '.', "1234", "  0.0015"},
      {"00000001", "  +1,25", ',', "001", "    1,25"},  // comma kept in the comma case
  };
  for (const auto& c : cases) {
    stats.Reset();
    ASSERT_EQ(Add(c.count, c.value, c.sep), TValueOutcome::Accepted) << c.value;
    EXPECT_EQ(view.Panels[TPanel::Pa_Anz], c.shownCount);
    EXPECT_EQ(view.Panels[TPanel::Pa_Ist], c.shownValue);
  }
}

TEST_F(ValueProcessingTest, SignFactorNegatesTheValue) {
  stats.SetSignFactor(-1.0);
  ASSERT_EQ(Add("1", "+0.250"), TValueOutcome::Accepted);
  EXPECT_EQ(view.Panels[TPanel::Pa_Ist], "  -0,250");
  EXPECT_EQ(stats.Value(1), -0.25);
  EXPECT_EQ(stats.Maximum(), -0.25);
}

TEST_F(ValueProcessingTest, ValueNotANumberChangesOnlyTheCount) {
  ASSERT_EQ(Add("1", "+1.0"), TValueOutcome::Accepted);
  const TShown before = Panels();
  EXPECT_EQ(Add("2", "abc"), TValueOutcome::NotANumber);
  EXPECT_EQ(Add("3", "+1,0", '.'),
            TValueOutcome::NotANumber);  // the comma is no separator in the point case
  const TShown after = Panels();
  EXPECT_EQ(after.count, "003");
  EXPECT_EQ(after.value, before.value);
  EXPECT_EQ(after.mean, before.mean);
  EXPECT_EQ(stats.Count(), 1);
  EXPECT_EQ(stats.Total(), 1.0);
}

TEST_F(ValueProcessingTest, CountNotAWholeNumberChangesNothing) {
  ASSERT_EQ(Add("1", "+1.0"), TValueOutcome::Accepted);
  EXPECT_THROW(Add("1 ", "+2.0"), EConvertError);
  EXPECT_THROW(Add("x", "+2.0"), EConvertError);
  EXPECT_EQ(view.Panels[TPanel::Pa_Anz], "001");
  EXPECT_EQ(stats.Count(), 1);
}

TEST_F(ValueProcessingTest, UnreadableDeviationAfterCounting) {
  texts = {"1", "+2.0", "0", "n/a", "", ""};
  EXPECT_THROW(ProcessValue(texts, stats, ',', view), EConvertError);
  EXPECT_EQ(stats.Count(), 1);
  EXPECT_EQ(view.Panels[TPanel::Pa_Ist], "     2,0");
  EXPECT_EQ(view.Panels[TPanel::Pa_Mwt], "     2,0");
  EXPECT_EQ(view.Panels.count(TPanel::Pa_Stw), 0u);
}

TEST_F(ValueProcessingTest, GaugeDeviationShownForTheFirstValueOnly) {
  texts = {"00000001", "+012.345", "+099.999", "  0.0012", "0", "0"};
  ASSERT_EQ(ProcessValue(texts, stats, ',', view), TValueOutcome::Accepted);
  EXPECT_EQ(view.Panels[TPanel::Pa_Mwt], "  12,345");  // the gauge's mean never shows
  EXPECT_EQ(view.Panels[TPanel::Pa_Stw], "  0,0012");
  texts = {"00000002", "+012.345", "+099.999", "  0.0012", "0", "0"};
  ASSERT_EQ(ProcessValue(texts, stats, ',', view), TValueOutcome::Accepted);
  EXPECT_EQ(view.Panels[TPanel::Pa_Stw], "     0,0");
}

TEST(RunStatistics, HoldsNineThousandNineHundredNinetyNineValues) {
  TRunStatistics stats;
  for (int i = 1; i <= TRunStatistics::kMaxValues; ++i) {
    ASSERT_FALSE(stats.Full());
    const auto step = stats.Add(i % 2 ? 1.0 : 3.0);
    EXPECT_EQ(step.Count, i);
  }
  EXPECT_TRUE(stats.Full());
  EXPECT_EQ(stats.Value(TRunStatistics::kMaxValues), 1.0);
  stats.Reset();
  EXPECT_FALSE(stats.Full());
  EXPECT_EQ(stats.Maximum(), -9999.0);
  EXPECT_EQ(stats.Minimum(), 9999.0);
}

}  // namespace
}  // namespace pzam::measurement

// The figures as the window's table and the report show them: decimals from the values' grid,
// limits with the decimals they need, "-" for what is undefined, the report's file name.
#include <gtest/gtest.h>

#include "analysis/ui/FigureRows.h"
#include "analysis/ui/Report.h"

namespace pzam::analysis {
namespace {

TEST(FigureTexts, NumbersLimitsAndDecimals) {
  struct {
    std::optional<double> x;
    int decimals;
    char separator;
    const char* number;
    const char* limit;
  } cases[] = {
      {12.3456, 3, ',', "12,346", "12,3456"},  // a limit keeps the decimals it was typed with
      {9.95, 1, ',', "9,9", "9,95"},           // (9.95 lies just below 9.95 as a double)
      {10.0, 1, '.', "10.0", "10.0"},          // never fewer than the values' decimals
      {-0.0001, 3, ',', "0,000", "-0,0001"},   // a number that rounds to zero has no sign
      {-1.5, 2, ',', "-1,50", "-1,50"},       {std::nullopt, 3, ',', "-", "-"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumberText(c.x, c.decimals, c.separator), c.number) << c.number;
    EXPECT_EQ(LimitText(c.x, c.decimals, c.separator), c.limit) << c.limit;
  }
}

TEST(FigureTexts, ValueDecimalsFollowTheGrid) {
  const std::vector<double> grid3 = {12.345, 12.347, 12.351};
  const std::vector<double> grid1 = {10.0, 10.2, 9.9};
  const std::vector<double> constant = {5.0, 5.0};
  EXPECT_EQ(ValueDecimals(grid3), 3);
  EXPECT_EQ(ValueDecimals(grid1), 1);
  EXPECT_EQ(ValueDecimals(constant), 3);
  EXPECT_EQ(ValueDecimals({}), 3);
}

// One value, a one-sided tolerance: what is undefined reads "-", the counts and shares hold.
TEST(FigureTexts, RowsOfASingleValueAgainstAnUpperLimit) {
  const std::vector<double> values = {12.5};
  const TTolerance upper{std::nullopt, std::nullopt, 12.4};
  const auto rows = FigureRows(ComputeFigures(values, upper), upper, 1, ',');
  ASSERT_EQ(rows.size(), 21u);
  const char* expected[21][2] = {{"1", ""},        {"12,500", ""}, {"-", ""},      {"-", ""},
                                 {"-", ""},        {"-", ""},      {"-", ""},      {"-", ""},
                                 {"-", ""},        {"12,4", ""},   {"-", ""},      {"-", ""},
                                 {"-", ""},        {"-", ""},      {"0", "0,0 %"}, {"0", "0,0 %"},
                                 {"1", "100,0 %"}, {"0", "0,0 %"}, {"0", "0,0 %"}, {"0", "0,0 %"},
                                 {"0", "0,0 %"}};
  for (int i = 0; i < 21; ++i) {
    EXPECT_EQ(rows[i].TextId, 9130 + i);
    EXPECT_EQ(rows[i].Value, expected[i][0]) << "row " << i;
    EXPECT_EQ(rows[i].Share, expected[i][1]) << "row " << i;
  }
}

// Without a tolerance no value is inside or outside one.
TEST(FigureTexts, NoToleranceNoShareInsideOrOutside) {
  const std::vector<double> values = {12.5, 12.6};
  const TTolerance none;
  const auto rows = FigureRows(ComputeFigures(values, none), none, 1, ',');
  for (int i : {14, 15, 16}) {
    EXPECT_EQ(rows[i].Value, "-") << "row " << i;
    EXPECT_EQ(rows[i].Share, "-") << "row " << i;
  }
  EXPECT_EQ(rows[0].Value, "2");
}

TEST(FigureTexts, TheReportTakesTheRecordFilesName) {
  EXPECT_EQ(ReportFileName("20261208_90503_A7.csv"), "20261208_90503_A7.pdf");
  EXPECT_EQ(ReportFileName("20261208_90503_A7.xls"), "20261208_90503_A7.pdf");
  EXPECT_EQ(ReportFileName("20261208_90503_1.5.csv"), "20261208_90503_1.5.pdf");
  EXPECT_EQ(ReportFileName("dir.d/name"), "dir.d/name.pdf");
}

}  // namespace
}  // namespace pzam::analysis

// The expectation model against the worked examples of the run's rules, so that a difference in
// a whole-program test points at the program, not at the model.
#include <gtest/gtest.h>

#include "ExpectedRun.h"
#include "RecordBytes.h"

namespace pzam::e2e {
namespace {

TRow Row(const TExpectedRun& run, std::size_t i) {
  return run.Rows().at(i);
}

TEST(ExpectedRunModel, SignedValuesFollowTheTruncatedMean) {
  struct TCase {
    std::vector<std::string> sent;
    bool swap;
    TRow last;
  } cases[] = {
      {{"+12.34", "+12.34"},
       false,
       {"B", "", "002", "   12.34", "  12.339", "   0.001", "   12.34", "   12.34"}},
      {{"+012.345", "+012.345"},
       false,
       {"B", "", "002", "  12.345", "  12.345", "     0.0", "  12.345", "  12.345"}},
      {{"+012.345"},
       false,
       {"B", "", "001", "  12.345", "  12.345", "     0.0", "  12.345", "  12.345"}},
      {{"+002.000", "+004.000"},
       true,
       {"B", "", "002", "  -4.000", "   -3.00", "   1.414", "   -2.00", "   -4.00"}},
      // A "-" before a "+": the value starts at the "+".
      {{"x-3+002.500"},
       false,
       {"B", "", "001", "   2.500", "     2.5", "     0.0", "     2.5", "     2.5"}},
  };
  for (const auto& c : cases) {
    TExpectedRun run(3, c.swap, "B");
    run.SentAll(c.sent);
    ASSERT_EQ(run.Rows().size(), c.sent.size());
    EXPECT_EQ(Row(run, c.sent.size() - 1), c.last) << c.sent.front();
  }
}

TEST(ExpectedRunModel, GaugeTelegramsShowTheirFieldsAndMessages) {
  TExpectedRun run(0, false, "-----");
  run.SentAll({"xx@ANZ     001@IST+012.500@MWT+012.500@STW000.0000", "@MSGBatterie schwach",
               "@ANZ     002@IST+012.750@MWT+012.625@STW000.1768", "no telegram"});
  ASSERT_EQ(run.Rows().size(), 2u);
  EXPECT_EQ(Row(run, 0),
            (TRow{"-----", "", "001", "  12.500", "    12.5", "  0.0000", "    12.5", "    12.5"}));
  EXPECT_EQ(Row(run, 1),
            (TRow{"-----", "", "002", "  12.750", "  12.625", "   0.176", "   12.75", "    12.5"}));
  ASSERT_EQ(run.Memo().size(), 6u);
  EXPECT_EQ(run.Memo()[0].Text, "     001   +012.500   +012.500   000.0000");
  // A message telegram repeats the texts as the last value left them.
  EXPECT_EQ(run.Memo()[2].Text, "001     12.500       12.5     0.0000");
  EXPECT_EQ(run.Memo()[3].Text, "*** Meldung: Batterie schwach ***");
  EXPECT_TRUE(run.Memo()[5].HasTime);
  EXPECT_EQ(run.TraceFile(),
            "test\r\n     001   +012.500   +012.500   000.0000\r\n"
            "001     12.500       12.5     0.0000\r\n"
            "     002   +012.750   +012.625   000.1768\r\n");
}

TEST(ExpectedRunModel, NumberTextsFollowTheDecimalsRule) {
  EXPECT_EQ(DecimalsOf("12"), 2);
  EXPECT_EQ(DecimalsOf("-9999"), 5);
  EXPECT_EQ(DecimalsOf("12.34"), 2);
  EXPECT_EQ(Fixed(12345, DecimalsOf("+12345")), "12345.000000");
  EXPECT_EQ(General(TruncatedMean(1.0 + 1.0015, 2)), "1");
  EXPECT_EQ(General(TruncatedMean(12.34, 1)), "12.339");
  EXPECT_EQ(General(TruncatedMean(-1.0015, 1)), "-1.001");
}

TEST(ExpectedRunModel, RecordBytesMatchTheRecordLayout) {
  const THeader missing = HeaderTexts("none");
  TRow row{"", "10:00:00", "001", "  12.345", "  12.345", "     0.0", "  12.345", "  12.345"};
  const std::string xls = ExcelBytes(missing, {row});
  EXPECT_EQ(xls.substr(0, 25), std::string("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00"
                                           "\x04\x02\x09\x00\x00\x00\x01\x00\x00\x00\x01\x00\x30",
                                           25));
  // The count cell of the first value row, after its empty batch cell.
  EXPECT_NE(xls.find(std::string("\x04\x02\x0b\x00\x01\x00\x03\x00\x00\x00\x03\x00"
                                 "001",
                                 15)),
            std::string::npos);
  EXPECT_NE(xls.find(std::string("\x04\x02\x08\x00\x01\x00\x01\x00\x00\x00\x00\x00", 12)),
            std::string::npos);
  EXPECT_EQ(xls.substr(xls.size() - 4), std::string("\x0a\x00\x00\x00", 4));
  EXPECT_EQ(ExcelTimes(xls), std::vector<std::string>{"10:00:00"});

  const std::string csv = CsvBytes(missing, {row});
  EXPECT_EQ(csv.substr(0, 17), "0;0;0;0;0;0;0;0\n\r");
  EXPECT_EQ(CsvTimes(csv), std::vector<std::string>{"10:00:00"});
}

}  // namespace
}  // namespace pzam::e2e

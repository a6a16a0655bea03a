#include "measurement/MeasurementRun.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "RunFakes.h"
#include "TestFiles.h"

namespace pzam::measurement {
namespace {

using test::ReadBytes;
using test::TFileSizeLimit;
using test::TFixedChoices;
using test::TRecordingPort;
using test::TRecordingView;
using test::TTempDir;

const std::string E(1, '\x17');

std::string Telegram(const std::string& count, const std::string& value) {
  return "@ANZ" + count + "@IST" + value + "@MWT+000.000@STW  0.0000" + E;
}

class MeasurementRunTest : public ::testing::Test {
 protected:
  MeasurementRunTest() {
    choices.Texts = {{9002, "Messung beendet"},
                     {9003, "Mehr als 9999 Messwerte"},
                     {9004, "Schnittstelle %s nicht geöffnet: %s"},
                     {9007, "Kein Betriebsmodus"},
                     {9008, "Datensatz nicht geschrieben: %s"},
                     {1101, "Messwert holen"}};
  }
  TMeasurementRun& Run() {
    if (!run) {
      TRunOptions options;
      options.Directory = dir.Dir().string();
      options.Wait = [this](std::chrono::milliseconds ms) { waits.push_back(ms.count()); };
      run = std::make_unique<TMeasurementRun>(view, choices, port, options);
    }
    return *run;
  }
  std::string Trace() { return ReadBytes(dir.File("debug.txt")); }
  std::string RecordFile() { return ReadBytes(dir.File(view.Filename)); }
  bool Idle() {
    return !Run().Running() && view.Enabled[TControl::Bu_MeasInit] &&
           !view.Enabled[TControl::Bu_MeasStart] && !view.Enabled[TControl::Bu_MeasStop] &&
           view.Enabled[TControl::Ed_CharNum] && view.Enabled[TControl::Bu_Config];
  }

  TTempDir dir;
  TRecordingView view;
  TFixedChoices choices;
  TRecordingPort port;
  std::vector<long long> waits;
  std::unique_ptr<TMeasurementRun> run;
};

TEST_F(MeasurementRunTest, InitialiseStartsARun) {
  choices.Save = kSaveText;
  view.Memo = {"old line"};
  Run().Initialise();
  EXPECT_TRUE(Run().Running());
  EXPECT_EQ(view.Panels[TPanel::Pa_Anz], "000");
  for (TPanel p : {TPanel::Pa_Ist, TPanel::Pa_Mwt, TPanel::Pa_Stw, TPanel::Pa_Max, TPanel::Pa_Min})
    EXPECT_EQ(view.Panels[p], "0,000");
  EXPECT_TRUE(view.Memo.empty());
  EXPECT_EQ(view.Filename, "20261208_90503_-----.csv");
  EXPECT_FALSE(view.Enabled[TControl::Bu_MeasInit]);
  EXPECT_FALSE(view.Enabled[TControl::Bu_MeasStart]);
  EXPECT_TRUE(view.Enabled[TControl::Bu_MeasStop]);
  EXPECT_FALSE(view.Enabled[TControl::Ed_CharNum]);
  EXPECT_FALSE(view.Enabled[TControl::Bu_Config]);
  EXPECT_TRUE(port.IsOpen);
  EXPECT_EQ(RecordFile(), "0;0;0;0;0;0;0;0\n\r");
  EXPECT_EQ(Trace(), "test\r\n");
}

TEST_F(MeasurementRunTest, ButtonsAndCaptionByOperatingMode) {
  const struct {
    int mode;
    bool start;
    std::string caption;
  } cases[] = {{0, false, "(unchanged)"},
               {1, true, "Messung starten"},
               {2, true, "Messwert holen"},
               {3, false, "Messwert holen"}};
  for (const auto& c : cases) {
    choices.Mode = c.mode;
    view.TakeValueCaption = "(unchanged)";
    Run().Initialise();
    EXPECT_EQ(view.Enabled[TControl::Bu_MeasStart], c.start) << c.mode;
    EXPECT_EQ(view.TakeValueCaption, c.caption) << c.mode;
    Run().End();
  }
}

TEST_F(MeasurementRunTest, SaveModeNoneKeepsTheFileFieldAndWritesTheTrace) {
  view.Filename = "keine Datei";
  Run().Initialise();
  EXPECT_EQ(view.Filename, "keine Datei");
  EXPECT_EQ(Trace(), "test\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 1);
}

TEST_F(MeasurementRunTest, EveryGaugeTelegramOfOneReadIsProcessed) {
  choices.Save = kSaveText;
  Run().Initialise();
  Run().Received("noise" + Telegram("00000001", "+001.000") + Telegram("00000002", "+003.000") +
                 "@ANZ00000003@MSGBatterie" + E);
  const std::vector<std::string> memo = {
      "00000001   +001.000   +000.000     0.0000",
      "----- 09:05:03 001    1,000      1,0   0,0000      1,0      1,0",
      "00000002   +003.000   +000.000     0.0000",
      "----- 09:05:03 002    3,000      2,0    1,414      3,0      1,0",
      // A message telegram keeps the texts it does not carry, in their display form.
      "00000003      3,000        2,0      1,414", "*** Meldung: Batterie ***"};
  EXPECT_EQ(view.Memo, memo);
  EXPECT_EQ(Run().Statistics().Count(), 2);
  EXPECT_EQ(Trace(), "test\r\n" + memo[0] + "\r\n" + memo[2] + "\r\n" + memo[4] + "\r\n");
  const std::string csv = RecordFile();
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\r'), 3);
}

TEST_F(MeasurementRunTest, UnfinishedGaugeTelegramWaitsForItsEnd) {
  Run().Initialise();
  Run().Received(Telegram("00000001", "+001.000"));
  const std::string second = Telegram("00000002", "+002.000");
  Run().Received(second.substr(0, 10));
  EXPECT_EQ(view.Memo.size(), 2u);  // nothing decoded, shown or counted
  EXPECT_EQ(Run().Statistics().Count(), 1);
  Run().Received(second.substr(10));
  EXPECT_EQ(view.Memo.size(), 4u);
  EXPECT_EQ(Run().Statistics().Count(), 2);
  EXPECT_EQ(Run().Statistics().Value(2), 2.0);
}

TEST_F(MeasurementRunTest, SignedValuesAreCountedAndAnsweredEach) {
  choices.Mode = 3;
  choices.Swap = true;
  choices.Format.DecimalSeparator = '.';
  Run().ApplySignFactor();
  Run().Initialise();
  Run().Received("+0001.500\rSTO0\r-0000.5");
  EXPECT_EQ(port.Sent, "STO0\r");
  EXPECT_EQ(Run().TelegramCounter(), 1);
  Run().Received("00\r\rabc\r");
  EXPECT_EQ(port.Sent, "STO0\rSTO0\rSTO0\rSTO0\r");  // answered even without a number
  EXPECT_EQ(Run().TelegramCounter(), 4);
  EXPECT_EQ(Run().Statistics().Count(), 2);
  EXPECT_EQ(Run().Statistics().Value(1), -1.5);
  EXPECT_EQ(Run().Statistics().Value(2), 0.5);
  EXPECT_EQ(view.Panels[TPanel::Pa_Anz], "004");
  EXPECT_EQ(view.Memo.back(), "----- 09:05:03 002    0.500     -0.5    1.414      0.5     -1.5");
  EXPECT_EQ(Trace(), "test\r\n");  // only mode 0 traces
}

// CR LF line ends in both answering modes: the "S" text is still dropped unanswered.
TEST_F(MeasurementRunTest, CrLfLineEndsCountEachValueOnce) {
  for (int mode : {2, 3}) {
    choices.Mode = mode;
    choices.Format.DecimalSeparator = '.';
    port.Sent.clear();
    Run().Initialise();
    Run().Received("+12.345\r\nS\r+12.346\r\n");
    EXPECT_EQ(port.Sent, "STO0\rSTO0\r") << mode;
    EXPECT_EQ(Run().TelegramCounter(), 2) << mode;
    EXPECT_EQ(Run().Statistics().Count(), 2) << mode;
    EXPECT_DOUBLE_EQ(Run().Statistics().Value(2), 12.346) << mode;
    Run().Received("S\r");  // split after the LF's carriage return
    Run().Received("\n+1\r");
    EXPECT_EQ(Run().TelegramCounter(), 3) << mode;
    Run().End();
  }
}

TEST_F(MeasurementRunTest, SignFactorFollowsModeAndSwap) {
  const struct {
    int mode;
    bool swap;
    double factor;
  } cases[] = {{3, true, -1.0}, {3, false, 1.0}, {0, true, 1.0}, {2, true, 1.0}, {-1, false, 1.0}};
  for (const auto& c : cases) {
    choices.Mode = c.mode;
    choices.Swap = c.swap;
    Run().ApplySignFactor();
    EXPECT_EQ(Run().Statistics().SignFactor(), c.factor) << c.mode << c.swap;
  }
  choices.Mode = 3;
  choices.Swap = true;
  Run().ApplySignFactor();
  choices.Mode = -1;  // no mode selected: unchanged
  Run().ApplySignFactor();
  EXPECT_EQ(Run().Statistics().SignFactor(), -1.0);
}

TEST_F(MeasurementRunTest, ModeOneDropsEverything) {
  choices.Mode = 1;
  Run().Initialise();
  Run().Received(Telegram("00000001", "+001.000") + "+1.0\r");
  EXPECT_TRUE(view.Memo.empty());
  EXPECT_EQ(port.Sent, "");
  Run().TakeValue();
  EXPECT_EQ(port.Calls, std::vector<std::string>{"open"});
}

TEST_F(MeasurementRunTest, TheTenThousandthValueIsRefused) {
  choices.Mode = 2;
  choices.Save = kSaveText;
  choices.Format.DecimalSeparator = '.';
  Run().Initialise();
  std::string capture;
  for (int i = 1; i <= 9999; ++i) capture += i % 2 ? "+1.000\r" : "+3.000\r";
  Run().Received(capture);
  ASSERT_EQ(Run().Statistics().Count(), 9999);
  const auto panels = view.Panels;
  const std::size_t memo = view.Memo.size();
  const std::string csv = RecordFile();
  Run().Received("+5.000\r+7.000\r");
  EXPECT_EQ(Run().Statistics().Count(), 9999);
  EXPECT_EQ(Run().Statistics().Maximum(), 3.0);
  EXPECT_EQ(view.Panels, panels);
  EXPECT_EQ(view.Panels[TPanel::Pa_Anz], "9999");
  EXPECT_EQ(view.Memo.size(), memo + 2);
  EXPECT_EQ(view.Memo.back(), "Mehr als 9999 Messwerte");
  EXPECT_EQ(RecordFile(), csv);
  EXPECT_EQ(panels.at(TPanel::Pa_Mwt), "   1.999");  // 5000 * 1 + 4999 * 3 over 9999, cut
  EXPECT_EQ(panels.at(TPanel::Pa_Stw), "     1.0");
}

TEST_F(MeasurementRunTest, ConversionErrorBecomesAMemoLineAndTheRunGoesOn) {
  Run().Initialise();
  Run().Received("@ANZ     abc@IST+001.000" + E + Telegram("00000002", "+002.000"));
  EXPECT_EQ(view.Memo[1], "'     abc' ist kein gültiger Integerwert");
  EXPECT_EQ(view.Memo.size(), 4u);
  EXPECT_EQ(Run().Statistics().Count(), 1);
  EXPECT_EQ(Run().Statistics().Value(1), 2.0);
}

TEST_F(MeasurementRunTest, FailedTraceLineIsReportedAndTheValueStillCounts) {
  Run().Initialise();
  std::filesystem::remove(dir.File("debug.txt"));
  Run().Received(Telegram("00000001", "+001.000"));
  EXPECT_EQ(view.Memo[1], "Datei nicht gefunden");
  EXPECT_EQ(Run().Statistics().Count(), 1);
  EXPECT_EQ(view.Panels[TPanel::Pa_Ist], "   1,000");
}

TEST_F(MeasurementRunTest, FailedRowIsReportedOnceAndTheValueStillCounts) {
  if (!TFileSizeLimit::Available()) GTEST_SKIP() << "no file size limit on this system";
  choices.Mode = 2;
  choices.Save = kSaveExcel;
  Run().Initialise();
  Run().Received("+1.000\r");
  const std::string before = RecordFile();
  {
    TFileSizeLimit limit(before.size() + 20);
    Run().Received("+2.000\r+3.000\r");
  }
  const std::vector<std::string> tail(view.Memo.end() - 4, view.Memo.end());
  EXPECT_EQ(tail[1], "Datensatz nicht geschrieben: Stream-Schreibfehler");
  EXPECT_EQ(tail[3], "Datensatz nicht geschrieben: Stream-Schreibfehler");
  EXPECT_EQ(view.Memo.size(), 5u);
  EXPECT_EQ(Run().Statistics().Count(), 3);
  EXPECT_EQ(view.Panels[TPanel::Pa_Ist], "   3,000");
  EXPECT_EQ(RecordFile(), before);
  Run().Received("+4.000\r");
  Run().End();
  const std::string after = RecordFile();
  EXPECT_EQ(after.substr(0, before.size() - 4), before.substr(0, before.size() - 4));
  EXPECT_NE(after.find("   4,000"), std::string::npos);
  EXPECT_EQ(after.substr(after.size() - 4), std::string("\x0A\x00\x00\x00", 4));
}

TEST_F(MeasurementRunTest, NoOperatingModeIsRefused) {
  choices.Mode = -1;
  view.Memo = {"kept"};
  try {
    Run().Initialise();
    FAIL() << "started";
  } catch (const ERunError& e) {
    EXPECT_STREQ(e.what(), "Kein Betriebsmodus");
  }
  EXPECT_EQ(view.Memo, std::vector<std::string>{"kept"});
  EXPECT_TRUE(port.Calls.empty());
  EXPECT_FALSE(Run().Running());
}

TEST_F(MeasurementRunTest, PortNotOpenedLeavesTheRunIdle) {
  choices.Save = kSaveExcel;
  port.CanOpen = false;
  try {
    Run().Initialise();
    FAIL() << "started";
  } catch (const ERunError& e) {
    EXPECT_STREQ(e.what(), "Schnittstelle COM3 nicht geöffnet: Device or resource busy");
  }
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(std::filesystem::exists(dir.File("debug.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File(view.Filename)));
  Run().Received(Telegram("00000001", "+001.000"));
  EXPECT_TRUE(view.Memo.empty());
}

TEST_F(MeasurementRunTest, RecordFileNotCreatedClosesThePortAgain) {
  choices.Save = kSaveText;
  choices.Batch = "a/b";
  EXPECT_THROW(Run().Initialise(), EInOutError);
  EXPECT_EQ(port.Calls, (std::vector<std::string>{"open", "close"}));
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(std::filesystem::exists(dir.File("debug.txt")));
  Run().Received(Telegram("00000001", "+001.000"));
  EXPECT_TRUE(view.Memo.empty());
}

TEST_F(MeasurementRunTest, TraceFileNotCreatedClosesThePortAgain) {
  std::filesystem::create_directory(dir.Dir() / "debug.txt");
  EXPECT_THROW(Run().Initialise(), EInOutError);
  EXPECT_EQ(port.Calls, (std::vector<std::string>{"open", "close"}));
  EXPECT_TRUE(Idle());
}

TEST_F(MeasurementRunTest, TextsOfAnEndedRunAreIgnored) {
  Run().Initialise();
  const std::uint64_t first = Run().Generation();
  Run().End();
  Run().Received(Telegram("00000001", "+001.000"), first);
  Run().Initialise();
  EXPECT_NE(Run().Generation(), first);
  Run().Received(Telegram("00000001", "+001.000"), first);
  EXPECT_TRUE(view.Memo.empty());
  EXPECT_EQ(Run().Statistics().Count(), 0);
  Run().Received(Telegram("00000001", "+001.000"), Run().Generation());
  EXPECT_EQ(Run().Statistics().Count(), 1);
}

TEST_F(MeasurementRunTest, TakeValueInModeTwo) {
  choices.Mode = 2;
  Run().Initialise();
  Run().TakeValue();
  EXPECT_EQ(port.Sent, "PRI\r");
  EXPECT_TRUE(view.Enabled[TControl::Bu_MeasStart]);
  choices.Cable = 1;
  port.Calls.clear();
  Run().TakeValue();
  EXPECT_EQ(port.Calls, (std::vector<std::string>{"close", "open"}));
  EXPECT_EQ(waits, (std::vector<long long>{300, 200}));
  EXPECT_EQ(port.Sent, "PRI\r");
  port.CanOpen = false;
  Run().TakeValue();
  EXPECT_EQ(view.Memo.back(), "Schnittstelle COM3 nicht geöffnet: Device or resource busy");
  EXPECT_TRUE(Run().Running());
}

TEST_F(MeasurementRunTest, TakeValueDoesNothingOutsideModeTwo) {
  for (int mode : {0, 3}) {
    choices.Mode = mode;
    Run().Initialise();
    port.Calls.clear();
    Run().TakeValue();
    EXPECT_TRUE(port.Calls.empty()) << mode;
    Run().End();
  }
}

TEST_F(MeasurementRunTest, EndClosesPortAndFile) {
  choices.Save = kSaveExcel;
  Run().Initialise();
  Run().Received(Telegram("00000001", "+001.000"));
  const std::string before = RecordFile();
  port.Calls.clear();
  Run().End();
  EXPECT_EQ(port.Calls, std::vector<std::string>{"close"});
  EXPECT_EQ(view.Memo.back(), "Messung beendet");
  EXPECT_EQ(waits, std::vector<long long>{100});
  EXPECT_TRUE(Idle());
  EXPECT_EQ(RecordFile(), before);  // BOF, LABELs, EOF: complete already
  EXPECT_EQ(before.substr(before.size() - 4), std::string("\x0A\x00\x00\x00", 4));
  EXPECT_EQ(view.Panels[TPanel::Pa_Ist], "   1,000");  // the finished run stays on display
  Run().Received(Telegram("00000002", "+002.000"));
  EXPECT_EQ(Run().Statistics().Count(), 1);
}

TEST(FormatText, MarksAndMissingTexts) {
  EXPECT_EQ(FormatText("Port %s: %s", {"COM3", "busy"}), "Port COM3: busy");
  EXPECT_EQ(FormatText("0", {"COM3", "busy"}), "0: COM3: busy");
  EXPECT_EQ(FormatText("Zeile nicht gespeichert:", {"Stream-Schreibfehler"}),
            "Zeile nicht gespeichert: Stream-Schreibfehler");
  EXPECT_EQ(FormatText("%s %s %s", {"a"}), "a %s %s");
  EXPECT_EQ(FormatText("100%", {}), "100%");
}

}  // namespace
}  // namespace pzam::measurement

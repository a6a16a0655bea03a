// What a run tells its listeners: one clock reading per value shared by the memo, the record row
// and the listeners, the run's particulars, the tolerance zone and the values it refused.
#include <gtest/gtest.h>

#include "RunFakes.h"
#include "TestFiles.h"
#include "common/RunId.h"
#include "measurement/MeasurementRun.h"

namespace pzam::measurement {
namespace {

using test::ReadBytes;
using test::TFixedChoices;
using test::TRecordingPort;
using test::TRecordingView;
using test::TTempDir;

// A clock that moves one second at every reading and counts them.
class TTickingChoices : public TFixedChoices {
 public:
  TClockReading ClockReading() const override {
    ++Readings;
    TDateTime t = At;
    t.Second = (At.Second + Readings - 1) % 60;
    return ClockAt(t);
  }
  std::string Station() const override { return "station-7"; }
  analysis::TTolerance Tolerance() const override { return Limits; }

  mutable int Readings = 0;
  analysis::TTolerance Limits;
};

class TEventLog : public IRunEvents {
 public:
  void RunStarted(const TRunStarted& run) override { Starts.push_back(run); }
  void ValueAccepted(const TValueAccepted& value) override { Values.push_back(value); }
  void ValueRefused(const TValueRefused& value) override { Refusals.push_back(value); }
  void RunEnded(const TRunEnded& end) override { Ends.push_back(end); }

  std::vector<TRunStarted> Starts;
  std::vector<TValueAccepted> Values;
  std::vector<TValueRefused> Refusals;
  std::vector<TRunEnded> Ends;
};

class RunEventsTest : public ::testing::Test {
 protected:
  RunEventsTest() {
    choices.Texts = {{9003, "Mehr als 9999 Messwerte"}, {20011, "Messschieber sendet"}};
    choices.Format.DecimalSeparator = '.';
    TRunOptions options;
    options.Directory = dir.Dir().string();
    options.Wait = [](std::chrono::milliseconds) {};
    run = std::make_unique<TMeasurementRun>(view, choices, port, options);
    run->AddListener(log);
  }

  TTempDir dir;
  TRecordingView view;
  TTickingChoices choices;
  TRecordingPort port;
  TEventLog log;
  std::unique_ptr<TMeasurementRun> run;
};

TEST_F(RunEventsTest, EveryoneGetsTheSameTimeOfAValue) {
  choices.Mode = 3;
  choices.Save = kSaveText;
  choices.Batch = "B-17";
  run->Initialise();
  run->Received("+1.000\r+2.000\r+3.000\r");
  run->End();
  ASSERT_EQ(1u, log.Starts.size());
  ASSERT_EQ(3u, log.Values.size());
  ASSERT_EQ(1u, log.Ends.size());
  // One reading for the start, one per value, one for the end.
  EXPECT_EQ(5, choices.Readings);
  const std::string record = ReadBytes(dir.File(view.Filename));
  for (int i = 0; i < 3; ++i) {
    const TValueAccepted& v = log.Values[i];
    EXPECT_EQ(i + 1, v.Number);
    EXPECT_EQ(v.Time.Local.Second, 3 + 1 + i);
    EXPECT_EQ("09:05:0" + std::to_string(4 + i), v.TimeText);
    // The memo line and the record row carry the value's own time.
    EXPECT_EQ(0u, view.Memo[i].find("B-17 " + v.TimeText + " ")) << view.Memo[i];
    EXPECT_NE(std::string::npos, record.find("B-17;" + v.TimeText + ";")) << record;
  }
  EXPECT_EQ("+2.000", log.Values[1].Text);
  EXPECT_EQ(2.0, log.Values[1].Value);
  EXPECT_EQ(3, log.Ends[0].Count);
  EXPECT_EQ(7, log.Ends[0].End.Local.Second);
}

TEST_F(RunEventsTest, TheStartCarriesTheRunsParticulars) {
  struct TCase {
    int Mode, Save, Cable;
    bool Swap;
    const char* ModeText;
    bool RecordFile;
  } cases[] = {
      {0, kSaveNone, 0, false, "Messschieber sendet", false},
      {2, kSaveExcel, 1, false, "Sylvac simplex", true},
      {3, kSaveText, 0, true, "Quorvant --> x (-1)", true},
  };
  std::string lastId;
  for (const TCase& c : cases) {
    choices.Mode = c.Mode;
    choices.Save = c.Save;
    choices.Cable = c.Cable;
    choices.Swap = c.Swap;
    choices.Limits = {10.0, 9.9, 10.1};
    run->Initialise();
    run->End();
    const TRunStarted& s = log.Starts.back();
    EXPECT_TRUE(IsUuidText(s.RunId)) << s.RunId;
    EXPECT_EQ('7', s.RunId[14]) << "version 7: " << s.RunId;
    EXPECT_NE(lastId, s.RunId);
    EXPECT_EQ(s.RunId, log.Ends.back().RunId);
    lastId = s.RunId;
    EXPECT_EQ("station-7", s.Station);
    EXPECT_EQ(c.Mode, s.Mode);
    EXPECT_EQ(c.ModeText, s.ModeText);
    EXPECT_EQ("COM3", s.Port);
    EXPECT_EQ(c.RecordFile ? view.Filename : "", s.RecordFile);
    // The record file is named at the start's own reading.
    if (c.RecordFile) {
      EXPECT_NE(std::string::npos, s.RecordFile.find("_90503_")) << s.RecordFile;
    }
    EXPECT_EQ(9.9, s.Tolerance.Lower);
    choices.Readings = 0;
  }
}

TEST_F(RunEventsTest, ValuesAreJudgedAgainstTheToleranceInForceAtTheStart) {
  struct TCase {
    analysis::TTolerance Limits;
    const char* Values;
    std::vector<TValueZone> Zones;
  } cases[] = {
      {{}, "+1.000\r", {TValueZone::None}},
      {{1.0, 0.5, 1.5},
       "+0.400\r+0.500\r+1.000\r+1.500\r+1.600\r",
       {TValueZone::Below, TValueZone::Inside, TValueZone::Inside, TValueZone::Inside,
        TValueZone::Above}},
      {{std::nullopt, std::nullopt, 2.0},
       "+2.100\r-5.000\r",
       {TValueZone::Above, TValueZone::Inside}},
  };
  choices.Mode = 3;
  for (const TCase& c : cases) {
    choices.Limits = c.Limits;
    log.Values.clear();
    run->Initialise();
    choices.Limits = {0, 100, 200};  // a change during the run does not count
    run->Received(c.Values);
    run->End();
    ASSERT_EQ(c.Zones.size(), log.Values.size()) << c.Values;
    for (std::size_t i = 0; i < c.Zones.size(); ++i)
      EXPECT_EQ(c.Zones[i], log.Values[i].Zone) << c.Values << " #" << i;
  }
}

TEST_F(RunEventsTest, RefusedValuesAreToldWithTheirReasonAndNotCounted) {
  choices.Mode = 0;
  run->Initialise();
  const auto telegram = [](const std::string& count, const std::string& value) {
    return "@ANZ" + count + "@IST" + value + "@MWT+000.000@STW  0.0000\x17";
  };
  run->Received(telegram("00000001", "+abc.000") + telegram("     xyz", "+001.000") +
                telegram("00000003", "+002.000"));
  ASSERT_EQ(2u, log.Refusals.size());
  EXPECT_EQ("not a number", log.Refusals[0].Reason);
  EXPECT_EQ(log.Starts[0].RunId, log.Refusals[0].RunId);
  EXPECT_NE(std::string::npos, log.Refusals[1].Reason.find("xyz")) << log.Refusals[1].Reason;
  ASSERT_EQ(1u, log.Values.size());
  EXPECT_EQ(1, log.Values[0].Number);
  EXPECT_EQ(2.0, log.Values[0].Value);
}

TEST_F(RunEventsTest, APortThatDoesNotOpenStartsNoRun) {
  choices.Mode = 3;
  port.CanOpen = false;
  EXPECT_THROW(run->Initialise(), ERunError);
  run->End();
  EXPECT_TRUE(log.Starts.empty());
  EXPECT_TRUE(log.Ends.empty());
}

}  // namespace
}  // namespace pzam::measurement

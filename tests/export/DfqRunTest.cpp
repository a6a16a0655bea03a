// A plan run's transfer file, made twice: by the listener at the run's end and from the run's
// journal afterwards; both read back value by value against what the run told, and the two are
// the same file. And a run without a plan from the journal, with a discarded value and its
// tolerance.
#include <gtest/gtest.h>

#include <filesystem>

#include "DfqReader.h"
#include "common/RunId.h"
#include "export/DfqOnEnd.h"
#include "export/DfqSources.h"
#include "measurement/RecordFile.h"
#include "measurement/RunFakes.h"
#include "plan/PlanRun.h"
#include "plant/Journal.h"
#include "plant/JournalWriter.h"
#include "support/TempDir.h"

namespace pzam::dfq {
namespace {

using test::ReadDfq;

class TPort : public measurement::IRunPort {
 public:
  explicit TPort(std::string name) : FName(std::move(name)) {}
  std::string Name() const override { return FName; }
  bool Open(std::string&) override { return true; }
  void Close() override {}
  int WriteText(const std::string& text) override { return static_cast<int>(text.size()); }
  std::string FName;
};

class TRunIds : public measurement::IRunEvents {
 public:
  void RunStarted(const measurement::TRunStarted& r) override { Id = r.RunId; }
  std::string Id;
};

plan::TPlan Shaft() {
  plan::TPlan p;
  p.Name = "Shaft";
  p.PartNumber = "4711-01";
  p.PartName = "Drive shaft";
  p.PartIds = true;
  p.Characteristics = {{"Diameter", 20.0, 19.95, 20.05, "mm", 3, 5, 3, 0, false},
                       {"Length", 80.0, 79.9, 80.1, "mm", 3, 5, 3, 0, false},
                       {"Runout", std::nullopt, std::nullopt, 0.02, "mm", 3, 6, 3, 0, false}};
  return p;
}

std::string Bytes(const std::string& path) {
  return pzam::test::FileContent(path);
}

TEST(DfqRunTest, APlanRunsFileHoldsEveryPartCharacteristicAndValue) {
  pzam::test::TTempDir dir;
  measurement::test::TRecordingView view;
  measurement::test::TFixedChoices choices;
  choices.Mode = 3;
  choices.Save = measurement::kSaveText;
  choices.Batch = "B9";
  choices.Format.DecimalSeparator = '.';
  TPort com5("COM5"), com6("COM6");
  measurement::TRunOptions options;
  options.Directory = dir.Dir().string();
  options.Wait = [](std::chrono::milliseconds) {};
  plan::TPlanRun run(Shaft(), view, choices, {{5, &com5}, {6, &com6}}, options);
  const std::string journalPath = dir.File("journal.sqlite");
  std::vector<std::string> reports;
  plant::TJournalWriter journal(journalPath, [&](const std::string& l) { reports.push_back(l); });
  TDfqOnEnd onEnd([&](const std::string& l) { reports.push_back(l); }, dir.Dir().string());
  onEnd.SetEnabled(true);
  TRunIds ids;
  run.AddListener(journal);
  run.AddListener(onEnd);
  run.AddListener(ids);
  auto send = [&](int com, const std::string& text) {
    run.Port(com).Received(text, run.Port(com).Generation());
  };
  run.Initialise();
  ASSERT_TRUE(run.SetPartId("A1"));
  send(5, "+020.010\r+080.000\r");
  send(6, "+000.010\r");
  ASSERT_TRUE(run.SetPartId("A2"));
  send(5, "+020.300\r");
  ASSERT_TRUE(run.Repeat());  // takes 20.300 back
  send(5, "+020.020\r+080.050\r");
  send(6, "+000.050\r");
  ASSERT_TRUE(run.SetPartId("A3"));
  send(5, "+019.990\r");
  run.End();
  EXPECT_TRUE(reports.empty()) << reports.front();

  // Part by part, characteristic by characteristic; "" where the part has no value.
  const char* expected[3][3] = {
      {"20.010", "80.000", "0.010"}, {"20.020", "80.050", "0.050"}, {"19.990", "", ""}};
  const char* partIds[] = {"A1", "A2", "A3"};
  TDfqSource fromJournal;
  std::string error;
  ASSERT_TRUE(JournalSource(journalPath, ids.Id, fromJournal, error)) << error;
  EXPECT_EQ(7, fromJournal.ValueCount);
  ASSERT_FALSE(onEnd.LastPath().empty());
  EXPECT_EQ(".dfq", std::filesystem::path(onEnd.LastPath()).extension());
  EXPECT_EQ(std::filesystem::path(onEnd.LastPath()).filename(), fromJournal.Name)
      << "both are named as the run";
  struct {
    const char* Source;
    std::string Bytes;
  } files[] = {{"at the end", Bytes(onEnd.LastPath())},
               {"from the journal", DfqText(fromJournal.File).Bytes}};
  EXPECT_EQ(files[0].Bytes, files[1].Bytes);
  for (const auto& file : files) {
    SCOPED_TRACE(file.Source);
    const auto r = ReadDfq(file.Bytes);
    ASSERT_TRUE(r.Problems.empty()) << r.Problems.front();
    EXPECT_EQ("3", r.Fields.at(0).Value);
    EXPECT_EQ("4711-01", r.Head.at({"K1001", 0}));
    EXPECT_EQ("Drive shaft", r.Head.at({"K1002", 0}));
    const char* names[] = {"Diameter", "Length", "Runout"};
    for (int c = 1; c <= 3; ++c) {
      EXPECT_EQ(names[c - 1], r.Head.at({"K2002", c}));
      EXPECT_EQ("3", r.Head.at({"K2022", c}));
      ASSERT_EQ(3u, r.Values.at(c).size()) << c;
      for (int p = 0; p < 3; ++p) {
        const auto& v = r.Values.at(c)[static_cast<std::size_t>(p)];
        if (*expected[p][c - 1] == '\0') {
          EXPECT_EQ("255", v.Fields.at("K0002")) << p << "/" << c;
          continue;
        }
        EXPECT_EQ(expected[p][c - 1], v.Value) << p << "/" << c;
        EXPECT_EQ("0", v.Fields.at("K0002"));
        EXPECT_EQ("08.12.2026/09:05:03", v.Fields.at("K0004"));
        EXPECT_EQ("B9", v.Fields.at("K0006"));
        EXPECT_EQ(partIds[p], v.Fields.at("K0014"));
      }
    }
    EXPECT_EQ("19.95", r.Head.at({"K2110", 1}));
    EXPECT_EQ("20.05", r.Head.at({"K2111", 1}));
    EXPECT_EQ("20", r.Head.at({"K2101", 1}));
    EXPECT_EQ("0.02", r.Head.at({"K2111", 3}));
    EXPECT_EQ(0u, r.Head.count({"K2110", 3}));
    EXPECT_EQ("mm", r.Head.at({"K2142", 2}));
  }
}

TEST(DfqRunTest, ARunWithoutAPlanIsOneCharacteristicWithTheRunsTolerance) {
  pzam::test::TTempDir dir;
  const std::string path = dir.File("journal.sqlite");
  const std::string id = NewRunId();
  {
    plant::TJournal j;
    ASSERT_EQ("", j.Open(path));
    plant::TRunStart s;
    s.RunId = id;
    s.Station = "st";
    s.Batch = "Charge-2026-12-08-long";  // longer than K0006 allows
    s.Port = "COM3";
    s.RecordFile = "20261208_9053_Charge.csv";
    s.Nominal = 12.3;
    s.Lsl = 12.2;
    s.Usl = 12.4;
    s.Started = "2026-12-08T09:05:03.000+01:00";
    ASSERT_EQ("", j.StartRun(s));
    const char* texts[] = {"+012.31", "+012.350", "-012,3"};
    const double values[] = {12.31, 12.35, -12.3};
    for (int i = 0; i < 3; ++i) {
      plant::TValueRecord v;
      v.RunId = id;
      v.Seq = i + 1;
      v.Text = texts[i];
      v.Value = values[i];
      v.Time = "2026-12-08T09:05:0" + std::to_string(4 + i) + ".250+01:00";
      ASSERT_EQ("", j.AddValue(v));
    }
    ASSERT_EQ("", j.DiscardValue(id, 2));
    ASSERT_EQ("", j.EndRun({id, "2026-12-08T09:06:00.000+01:00", 3}));
  }
  TDfqSource s;
  std::string error;
  ASSERT_TRUE(JournalSource(path, id, s, error)) << error;
  EXPECT_EQ("20261208_9053_Charge.dfq", s.Name);
  EXPECT_EQ(2, s.ValueCount);
  const TDfqText text = DfqText(s.File);
  const auto r = ReadDfq(text.Bytes);
  ASSERT_TRUE(r.Problems.empty()) << r.Problems.front();
  EXPECT_EQ("1", r.Fields.at(0).Value);
  EXPECT_EQ("20261208_9053_Charge", r.Head.at({"K1001", 0})) << "the record file's name";
  EXPECT_EQ("COM3", r.Head.at({"K2002", 1}));
  EXPECT_EQ("2", r.Head.at({"K2022", 1})) << "the most decimals a value was sent with";
  EXPECT_EQ("12.3", r.Head.at({"K2101", 1}));
  EXPECT_EQ("12.2", r.Head.at({"K2110", 1}));
  EXPECT_EQ("12.4", r.Head.at({"K2111", 1}));
  ASSERT_EQ(2u, r.Values.at(1).size());
  EXPECT_EQ("12.31", r.Values.at(1)[0].Value);
  EXPECT_EQ("-12.3", r.Values.at(1)[1].Value);
  EXPECT_EQ("08.12.2026/09:05:06", r.Values.at(1)[1].Fields.at("K0004"));
  EXPECT_EQ("Charge-2026-12", r.Values.at(1)[1].Fields.at("K0006"));
  EXPECT_EQ(0u, r.Values.at(1)[0].Fields.count("K0014")) << "no part without a plan";
  EXPECT_EQ(1u, text.Cuts.size());

  struct {
    std::string Journal, Run, Error;
  } failures[] = {{dir.File("none.sqlite"), id, "no journal"}, {path, NewRunId(), "no run"}};
  for (const auto& f : failures) {
    TDfqSource none;
    EXPECT_FALSE(JournalSource(f.Journal, f.Run, none, error));
    EXPECT_NE(std::string::npos, error.find(f.Error)) << error;
  }
}

// The listener without a plan: one characteristic, the run's port and tolerance, the taken-back
// value left out, the file named as the record file; switched off it writes nothing, and a file
// it cannot write is said.
TEST(DfqRunTest, TheFileAtTheEndOfARunWithoutAPlan) {
  pzam::test::TTempDir dir;
  struct {
    bool Enabled;
    std::string Directory;
    bool Written;
    const char* Report;
  } cases[] = {{true, dir.Dir().string(), true, ""},
               {false, dir.Dir().string(), false, ""},
               {true, dir.File("missing"), false, "transfer file: cannot write"}};
  for (const auto& c : cases) {
    std::filesystem::remove(dir.File("20261208_90503_B1.dfq"));
    std::vector<std::string> reports;
    TDfqOnEnd onEnd([&](const std::string& l) { reports.push_back(l); }, c.Directory);
    onEnd.SetEnabled(c.Enabled);
    measurement::TRunStarted start;
    start.RunId = "r";
    start.Batch = "B1";
    start.Port = "COM3";
    start.Tolerance = {12.3, 12.2, 12.4};
    start.Start = ClockAt({2026, 12, 8, 9, 5, 3});
    onEnd.RunStarted(start);
    const char* texts[] = {"+012.31", "+012.350", "-012,3"};
    const double values[] = {12.31, 12.35, -12.3};
    for (int i = 0; i < 3; ++i) {
      measurement::TValueAccepted v;
      v.Number = i + 1;
      v.Text = texts[i];
      v.Value = values[i];
      v.Time = ClockAt({2026, 12, 8, 9, 5, 4 + i});
      onEnd.ValueAccepted(v);
    }
    onEnd.ValueDiscarded({"r", 2});
    onEnd.RunEnded({"r", ClockAt({2026, 12, 8, 9, 6, 0}), 3});
    const std::string path = dir.File("20261208_90503_B1.dfq");
    EXPECT_EQ(c.Written, std::filesystem::exists(path)) << c.Directory;
    EXPECT_EQ(c.Written ? path : "", onEnd.LastPath());
    if (*c.Report == '\0') {
      EXPECT_TRUE(reports.empty()) << reports.front();
    } else {
      ASSERT_EQ(1u, reports.size());
      EXPECT_NE(std::string::npos, reports[0].find(c.Report)) << reports[0];
    }
    if (!c.Written) continue;
    const auto r = ReadDfq(Bytes(path));
    ASSERT_TRUE(r.Problems.empty()) << r.Problems.front();
    EXPECT_EQ("20261208_90503_B1", r.Head.at({"K1001", 0}));
    EXPECT_EQ("COM3", r.Head.at({"K2002", 1}));
    EXPECT_EQ("2", r.Head.at({"K2022", 1}));
    EXPECT_EQ("12.3", r.Head.at({"K2101", 1}));
    EXPECT_EQ("12.2", r.Head.at({"K2110", 1}));
    EXPECT_EQ("12.4", r.Head.at({"K2111", 1}));
    ASSERT_EQ(2u, r.Values.at(1).size());
    EXPECT_EQ("12.31", r.Values.at(1)[0].Value);
    EXPECT_EQ("-12.3", r.Values.at(1)[1].Value);
    EXPECT_EQ("08.12.2026/09:05:06", r.Values.at(1)[1].Fields.at("K0004"));
    EXPECT_EQ("B1", r.Values.at(1)[1].Fields.at("K0006"));
  }
}

}  // namespace
}  // namespace pzam::dfq

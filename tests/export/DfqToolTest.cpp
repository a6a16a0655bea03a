// pzam-tool dfq as a script runs it: its sources, its default names and its exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "DfqReader.h"
#include "common/RunId.h"
#include "plant/Journal.h"
#include "plant/JournalPath.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace pzam::dfq {
namespace {

using pzam::test::FileContent;
using pzam::test::RunTool;
using pzam::test::WriteFile;
using test::ReadDfq;

// A record text file as a run writes it: a header row, then batch;time;number;value;...
std::string RecordRows(int count) {
  std::string s = "H0;H1;H2;H3;H4;H5;H6;H7\r\n";
  for (int i = 1; i <= count; ++i) {
    char row[96];
    std::snprintf(row, sizeof row,
                  "B9;09:05:%02d;%03d;  20.0%02d;   20.01;     0.0;   20.01;   20.01\r\n", i, i, i);
    s += row;
  }
  return s;
}

class DfqToolTest : public ::testing::Test {
 protected:
  DfqToolTest() {
    WriteFile(dir.File("20261209_142503_B9.csv"), RecordRows(3));
    WriteFile(dir.File("empty.csv"), RecordRows(0));
    WriteFile(dir.File("PZAMConfig.ini"), "");
    plant::TJournal j;
    EXPECT_EQ("", j.Open(plant::StationJournalOf(dir.File("PZAMConfig.ini"))));
    plant::TRunStart s;
    s.RunId = runId;
    s.Station = "st";
    s.Batch = "B9";
    s.Port = "COM3";
    s.Started = "2026-12-09T14:25:03.000+01:00";
    EXPECT_EQ("", j.StartRun(s));
    plant::TValueRecord v;
    v.RunId = runId;
    v.Seq = 1;
    v.Text = "+020.001";
    v.Value = 20.001;
    v.Time = s.Started;
    EXPECT_EQ("", j.AddValue(v));
    s.RunId = emptyRunId;
    EXPECT_EQ("", j.StartRun(s));
  }
  std::string Quoted(const std::string& name) const { return "'" + dir.File(name) + "'"; }

  pzam::test::TTempDir dir;
  std::string runId = NewRunId(), emptyRunId = NewRunId();
};

TEST_F(DfqToolTest, ExitCodes) {
  const std::string rec = Quoted("20261209_142503_B9.csv");
  const std::string config = " --config " + Quoted("PZAMConfig.ini");
  struct {
    std::string Args;
    int Status;
    const char* Err;
  } cases[] = {
      {"dfq", 2, "either --run"},
      {"dfq " + rec + " " + rec, 2, "either --run"},
      {"dfq --run " + runId + " " + rec, 2, "either --run"},
      {"dfq --run nope", 2, "not a run id"},
      {"dfq --nominal x " + rec, 2, "not a number"},
      {"dfq --lsl 2 --usl 1 " + rec, 2, "below"},
      {"dfq --colour red " + rec, 2, "unknown option"},
      {"dfq --config " + Quoted("PZAMConfig.ini") + " " + rec, 2, "--config goes with --run"},
      {"dfq " + rec + " --output", 2, "needs a value"},
      {"dfq " + Quoted("missing.csv"), 1, "missing.csv"},
      {"dfq " + Quoted("empty.csv"), 1, "holds no value"},
      {"dfq --run " + NewRunId() + config, 1, "no run"},
      {"dfq --run " + emptyRunId + config, 1, "holds no value"},
      {"dfq --run " + runId + " --config " + Quoted("nowhere/PZAMConfig.ini"), 1, "no journal"},
      {"dfq " + rec + " --output " + Quoted("no/such/dir/x.dfq"), 1, "cannot write"},
      {"dfq " + rec, 0, ""},
      {"dfq --run " + runId + config, 0, ""},
  };
  for (const auto& c : cases) {
    const auto r = RunTool(c.Args, dir.Dir().string());
    EXPECT_EQ(c.Status, r.Status) << c.Args << "\n" << r.Err;
    EXPECT_NE(std::string::npos, r.Err.find(c.Err)) << c.Args << "\n" << r.Err;
  }
  // The default names: beside the record file; the run id's in the current folder.
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("20261209_142503_B9.dfq")));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File(runId + ".dfq")));
}

TEST_F(DfqToolTest, ARecordFileWithTheCharacteristicAsGiven) {
  const auto r = RunTool("dfq " + Quoted("20261209_142503_B9.csv") +
                         " --part-number 4711-01 --part-name Welle --characteristic '\xC3\x98 D1'"
                         " --unit mm --nominal 20 --lsl 19.95 --usl 20.05 --output " +
                         Quoted("out.dfq"));
  ASSERT_EQ(0, r.Status) << r.Err;
  EXPECT_EQ(dir.File("out.dfq") + "\n", r.Out);
  const auto f = ReadDfq(FileContent(dir.File("out.dfq")));
  ASSERT_TRUE(f.Problems.empty()) << f.Problems.front();
  struct {
    const char* Key;
    int Index;
    const char* Value;
  } head[] = {{"K1001", 0, "4711-01"}, {"K1002", 0, "Welle"}, {"K2002", 1, "\xD8 D1"},
              {"K2101", 1, "20"},      {"K2110", 1, "19.95"}, {"K2111", 1, "20.05"},
              {"K2142", 1, "mm"},      {"K2022", 1, "3"}};
  for (const auto& h : head) EXPECT_EQ(h.Value, f.Head.at({h.Key, h.Index})) << h.Key;
  ASSERT_EQ(3u, f.Values.at(1).size());
  const char* values[] = {"20.001", "20.002", "20.003"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(values[i], f.Values.at(1)[i].Value);
    EXPECT_EQ("09.12.2026/09:05:0" + std::to_string(i + 1), f.Values.at(1)[i].Fields.at("K0004"));
    EXPECT_EQ("B9", f.Values.at(1)[i].Fields.at("K0006"));
  }
}

}  // namespace
}  // namespace pzam::dfq

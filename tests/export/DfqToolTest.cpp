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
    // Two runs of one plan: one journaled with the plan's part name and characteristics, one as
    // a journal kept them before (plan name and part number only). Characteristic 2 gets no
    // value; a value's text has fewer decimals than the plan gives.
    s.PlanName = "Shaft";
    s.PartNumber = "4711-01";
    for (const auto& [id, kept] : {std::pair{planRunId, true}, std::pair{oldPlanRunId, false}}) {
      s.RunId = id;
      s.PartName = kept ? std::optional<std::string>("Drive shaft") : std::nullopt;
      s.Characteristics.clear();
      if (kept)
        s.Characteristics = {{"Diameter", 20.0, 19.95, 20.05, "mm", 3, 5, 3},
                             {"Runout", std::nullopt, std::nullopt, 0.02, "\xC2\xB5m", 1, 6, 3},
                             {"Length", 80.0, std::nullopt, std::nullopt, "", 4, 5, 3}};
      EXPECT_EQ("", j.StartRun(s));
      const struct {
        std::int64_t Characteristic;
        const char* Name;
        const char* Text;
        double Value;
      } planValues[] = {{1, "Diameter", "+020.01", 20.01}, {3, "Length", "+080.0012", 80.0012}};
      for (std::size_t i = 0; i < std::size(planValues); ++i) {
        plant::TValueRecord pv;
        pv.RunId = id;
        pv.Seq = static_cast<std::int64_t>(i + 1);
        pv.Text = planValues[i].Text;
        pv.Value = planValues[i].Value;
        pv.Time = s.Started;
        pv.Part = 1;
        pv.PartId = "A1";
        pv.Characteristic = planValues[i].Characteristic;
        pv.CharacteristicName = planValues[i].Name;
        EXPECT_EQ("", j.AddValue(pv));
      }
    }
  }
  std::string Quoted(const std::string& name) const { return "'" + dir.File(name) + "'"; }

  pzam::test::TTempDir dir;
  std::string runId = NewRunId(), emptyRunId = NewRunId(), planRunId = NewRunId(),
              oldPlanRunId = NewRunId();
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

// A journaled plan run: every characteristic of the plan as the plan gives it, also one without a
// value. A run journaled before the journal kept the plan: what its values tell.
TEST_F(DfqToolTest, AJournaledPlanRunWithItsCharacteristics) {
  struct THead {
    const char* Key;
    int Index;
    const char* Value;  // nullptr: not written
  };
  const struct {
    const char* What;
    std::string Run;
    std::size_t Characteristics;
    std::vector<THead> Head;
  } cases[] = {
      {"characteristics kept",
       planRunId,
       3,
       {{"K1001", 0, "4711-01"}, {"K1002", 0, "Drive shaft"}, {"K2002", 1, "Diameter"},
        {"K2022", 1, "3"},       {"K2101", 1, "20"},          {"K2110", 1, "19.95"},
        {"K2111", 1, "20.05"},   {"K2142", 1, "mm"},          {"K2002", 2, "Runout"},
        {"K2022", 2, "1"},       {"K2101", 2, nullptr},       {"K2110", 2, nullptr},
        {"K2111", 2, "0.02"},    {"K2142", 2, "\xB5m"},       {"K2002", 3, "Length"},
        {"K2022", 3, "4"},       {"K2101", 3, "80"},          {"K2110", 3, nullptr},
        {"K2111", 3, nullptr},   {"K2142", 3, nullptr}}},
      {"journaled before",
       oldPlanRunId,
       3,
       {{"K1001", 0, "4711-01"},
        {"K1002", 0, "Shaft"},
        {"K2002", 1, "Diameter"},
        {"K2022", 1, "2"},
        {"K2110", 1, nullptr},
        {"K2142", 1, nullptr},
        {"K2002", 2, ""},  // no value named it
        {"K2002", 3, "Length"},
        {"K2022", 3, "4"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    const auto r = RunTool("dfq --run " + c.Run + " --config " + Quoted("PZAMConfig.ini") +
                           " --output " + Quoted("plan.dfq"));
    ASSERT_EQ(0, r.Status) << r.Err;
    const auto f = ReadDfq(FileContent(dir.File("plan.dfq")));
    ASSERT_TRUE(f.Problems.empty()) << f.Problems.front();
    EXPECT_EQ(std::to_string(c.Characteristics), f.Fields.at(0).Value);
    for (const auto& h : c.Head) {
      const auto it = f.Head.find({h.Key, h.Index});
      if (h.Value == nullptr) {
        EXPECT_TRUE(it == f.Head.end()) << h.Key << "/" << h.Index << " " << it->second;
      } else {
        ASSERT_TRUE(it != f.Head.end()) << h.Key << "/" << h.Index;
        EXPECT_EQ(h.Value, it->second) << h.Key << "/" << h.Index;
      }
    }
    // One part: its two values, and the characteristic without one kept in its place.
    const char* values[] = {"20.01", "", "80.0012"};
    for (int i = 1; i <= 3; ++i) {
      ASSERT_EQ(1u, f.Values.at(i).size()) << i;
      const auto& v = f.Values.at(i)[0];
      if (*values[i - 1] == '\0') {
        EXPECT_EQ("255", v.Fields.at("K0002")) << i;
      } else {
        EXPECT_EQ(values[i - 1], v.Value) << i;
        EXPECT_EQ("A1", v.Fields.at("K0014")) << i;
      }
    }
  }
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

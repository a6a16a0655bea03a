// pzam-tool spc on record files written by pzam-tool replay, on files of numbers, and on runs of
// the station's journal.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "common/RunId.h"
#include "plant/Journal.h"
#include "plant/JournalPath.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace pzam::analysis {
namespace {

class SpcToolTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir.File(name), std::ios::binary) << bytes;
  }
  int Run(const std::string& args) {
    auto run = pzam::test::RunTool(args, dir.Dir().string());
    Out = std::move(run.Out);
    Err = std::move(run.Err);
    return run.Status;
  }

  pzam::test::TTempDir dir;
  std::string Out, Err;
};

// 20 values alternating 12.345 and 12.346, one at 12.400, three more near the start values.
// Mean 12.3477083, MR-bar 0.132 / 23, sigma-within MR-bar / 1.128. Rule 4 flags points 8 to 20:
// all below the mean, which the outlier pulls up.
std::string SylvacCapture() {
  std::string capture;
  for (int i = 0; i < 20; ++i) capture += i % 2 ? "+0012.346\r" : "+0012.345\r";
  for (const char* v : {"+0012.400\r", "+0012.344\r", "+0012.346\r", "+0012.345\r"}) capture += v;
  return capture;
}

const std::string kFigures =
    "n=24\n"
    "mean=12.34770833\n"
    "s=0.01115300375\n"
    "mr_bar=0.005739130435\n"
    "sigma_within=0.005087881591\n"
    "ucl=12.36297198\n"
    "lcl=12.33244469\n"
    "mr_ucl=0.01874973913\n"
    "lsl=12.34\n"
    "usl=12.35\n"
    "cp=0.3275757576\n"
    "cpk=0.1501388889\n"
    "pp=0.1494365736\n"
    "ppk=0.06849176291\n"
    "below_lsl=0\n"
    "above_usl=1\n"
    "in_tolerance=23\n"
    "rule1=21\n"
    "rule2=\n"
    "rule3=\n"
    "rule4=8,9,10,11,12,13,14,15,16,17,18,19,20\n";

TEST_F(SpcToolTest, RecordFilesOfBothKindsWrittenByReplay) {
  const struct {
    const char* Save;
    const char* Extension;
    const char* Decimal;
    const char* SpcDecimal;
  } cases[] = {
      {"1", ".xls", ",", ""},
      {"1", ".xls", ".", ""},
      {"2", ".csv", ",", ""},
      {"2", ".csv", ".", ""},
      {"2", ".csv", ",", "--decimal , "},
      {"1", ".xls", ".", "--decimal . "},
  };
  Write("capture.bin", SylvacCapture());
  for (const auto& c : cases) {
    const std::string trace = std::string(c.Extension) + " " + c.Decimal + " " + c.SpcDecimal;
    ASSERT_EQ(Run(std::string("replay --mode 2 --save ") + c.Save + " --decimal " + c.Decimal +
                  " --at '2026-12-08 09:05:03' capture.bin"),
              0)
        << Err;
    const std::string file = std::string("20261208_90503_-----") + c.Extension;
    EXPECT_EQ(Run(std::string("spc ") + c.SpcDecimal + "--lsl 12.34 --usl 12.35 " + file), 0)
        << trace << Err;
    EXPECT_EQ(Out, kFigures) << trace;
    EXPECT_EQ(Err, "") << trace;
  }
}

TEST_F(SpcToolTest, OneSidedAndMissingLimitsAndFewValues) {
  Write("two.txt", "1\n3\n");
  Write("one.txt", "12,5\n");
  const struct {
    std::string Args;
    std::string Out;
  } cases[] = {
      // {1, 3}: mean 2, s sqrt 2, MR-bar 2, sigma-within 2 / 1.128.
      {"--usl 4 two.txt",
       "n=2\nmean=2\ns=1.414213562\nmr_bar=2\nsigma_within=1.773049645\nucl=7.319148936\n"
       "lcl=-3.319148936\nmr_ucl=6.534\nlsl=-\nusl=4\ncp=-\ncpk=0.376\npp=-\nppk=0.4714045208\n"
       "below_lsl=0\nabove_usl=0\nin_tolerance=2\nrule1=\nrule2=\nrule3=\nrule4=\n"},
      {"--lsl 2.5 two.txt",
       "n=2\nmean=2\ns=1.414213562\nmr_bar=2\nsigma_within=1.773049645\nucl=7.319148936\n"
       "lcl=-3.319148936\nmr_ucl=6.534\nlsl=2.5\nusl=-\ncp=-\ncpk=-0.094\npp=-\n"
       "ppk=-0.1178511302\nbelow_lsl=1\nabove_usl=0\nin_tolerance=1\nrule1=\nrule2=\nrule3=\n"
       "rule4=\n"},
      {"--lsl 12 --usl 13 one.txt",
       "n=1\nmean=12.5\ns=-\nmr_bar=-\nsigma_within=-\nucl=-\nlcl=-\nmr_ucl=-\nlsl=12\nusl=13\n"
       "cp=-\ncpk=-\npp=-\nppk=-\nbelow_lsl=0\nabove_usl=0\nin_tolerance=1\nrule1=\nrule2=\n"
       "rule3=\nrule4=\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run("spc " + c.Args), 0) << c.Args << Err;
    EXPECT_EQ(Out, c.Out) << c.Args;
  }
}

// The limits of a journaled run: the run's own; a plan run's only characteristic's; none for a plan
// run of several characteristics; the command line's before any of them.
TEST_F(SpcToolTest, ARunsLimitsFromTheJournal) {
  Write("PZAMConfig.ini", "");
  const std::string plain = NewRunId(), one = NewRunId(), two = NewRunId();
  {
    plant::TJournal j;
    ASSERT_EQ("", j.Open(plant::StationJournalOf(dir.File("PZAMConfig.ini"))));
    const plant::TCharacteristicRecord runout{
        "Runout", std::nullopt, std::nullopt, 0.02, "mm", 3, 6, 3};
    const plant::TCharacteristicRecord length{"Length", 80.0, 79.9, 80.1, "mm", 3, 5, 3};
    const struct {
      std::string Id;
      std::optional<double> Lsl, Usl;
      std::vector<plant::TCharacteristicRecord> Characteristics;
    } runs[] = {{plain, 9.95, 10.05, {}}, {one, {}, {}, {runout}}, {two, {}, {}, {runout, length}}};
    for (const auto& r : runs) {
      plant::TRunStart s;
      s.RunId = r.Id;
      s.Station = "st";
      s.Batch = "B1";
      s.Port = "COM6";
      s.Started = "2026-12-09T14:25:03.000+01:00";
      s.Lsl = r.Lsl;
      s.Usl = r.Usl;
      if (!r.Characteristics.empty()) s.PlanName = "Shaft";
      s.Characteristics = r.Characteristics;
      ASSERT_EQ("", j.StartRun(s));
      for (std::int64_t seq = 1; seq <= 2; ++seq) {
        plant::TValueRecord v;
        v.RunId = r.Id;
        v.Seq = seq;
        v.Value = 0.01 * static_cast<double>(seq);
        v.Text = "+0.0" + std::to_string(seq);
        v.Time = s.Started;
        v.Characteristic = r.Characteristics.size() == 2 ? seq : 1;
        ASSERT_EQ("", j.AddValue(v));
      }
    }
  }
  // A run of several characteristics is read one characteristic at a time, with its limits;
  // without --characteristic it is a bad option, not a mix of unlike values.
  const struct {
    std::string Args;
    int Status;
    const char* Expected;  // in stdout, or in stderr when the status is not 0
  } cases[] = {
      {"spc --run " + plain, 0, "lsl=9.95\nusl=10.05\n"},
      {"spc --run " + plain + " --characteristic 1", 0, "n=2\n"},
      {"spc --run " + one, 0, "lsl=-\nusl=0.02\n"},
      {"spc --lsl 0 --run " + one, 0, "lsl=0\nusl=-\n"},
      {"spc --run " + two, 2, "holds 2 characteristics: choose one with --characteristic N"},
      {"spc --run " + two + " --characteristic 1", 0, "n=1\nmean=0.01\n"},
      {"spc --run " + two + " --characteristic 2", 0, "lsl=79.9\nusl=80.1\n"},
      {"spc --run " + two + " --characteristic 3", 2, "has no characteristic 3"},
      {"spc --run " + two + " --characteristic x", 2, "--characteristic must be"},
      {"gauge-study --reference 0.02 --tolerance 0.1 --run " + two + " --characteristic 2", 0,
       "n=1\nmean=0.02\n"},
      {"gauge-study --reference 0.02 --tolerance 0.1 --run " + two, 2, "--characteristic N"}};
  for (const auto& c : cases) {
    ASSERT_EQ(Run(c.Args + " --config '" + dir.File("PZAMConfig.ini") + "'"), c.Status)
        << c.Args << Err;
    const std::string& text = c.Status == 0 ? Out : Err;
    EXPECT_NE(std::string::npos, text.find(c.Expected)) << c.Args << "\n" << text;
  }
  EXPECT_EQ(2, Run("spc --characteristic 1 values.txt")) << "--characteristic goes with --run";
}

TEST_F(SpcToolTest, BadOptionsExitTwo) {
  Write("v.txt", "1\n2\n");
  for (const std::string args :
       {"", "--lsl", "--lsl abc v.txt", "--lsl 2 --usl 1 v.txt", "--lsl 1 --usl 1 v.txt",
        "--lsl 1,5 v.txt", "--decimal ab v.txt", "--decimal 5 v.txt", "--bogus v.txt",
        "v.txt v.txt", "--report '' v.txt"}) {
    EXPECT_EQ(Run("spc " + args), 2) << args;
    EXPECT_EQ(Out, "") << args;
    EXPECT_TRUE(Err.rfind("pzam-tool spc: ", 0) == 0) << args << ": " << Err;
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << args << ": " << Err;
  }
}

#ifndef PZAM_TOOL_WRITES_REPORTS
// Built without the windows, pzam-tool has no report writer: --report is a bad option.
TEST_F(SpcToolTest, WithoutTheWindowLibraryReportIsABadOption) {
  Write("v.txt", "1\n2\n");
  EXPECT_EQ(Run("spc --report r.pdf v.txt"), 2);
  EXPECT_EQ(Out, "");
  EXPECT_TRUE(Err.rfind("pzam-tool spc: ", 0) == 0) << Err;
}
#endif

TEST_F(SpcToolTest, UnreadableOrEmptyFilesExitOne) {
  Write("empty.txt", "");
  Write("blank.txt", "\n \n");
  Write("header.csv", "Charge;Uhrzeit;Nr.;Messwert;Mittelwert;Standardabw.;Maximum;Minimum\n\r");
  Write("broken.xls", std::string("\x09\x08\x08\x00\x00\x00", 6));
  Write("words.txt", "1\nzwei\n");
  const struct {
    std::string File;
    std::string Err;
  } cases[] = {
      {"missing.csv", "pzam-tool spc: cannot read 'missing.csv': No such file or directory\n"},
      {"empty.txt", "pzam-tool spc: 'empty.txt' holds no value\n"},
      {"blank.txt", "pzam-tool spc: 'blank.txt' holds no value\n"},
      {"header.csv", "pzam-tool spc: 'header.csv' holds no value\n"},
      {"broken.xls", "pzam-tool spc: record at byte 0 runs past the end of the file\n"},
      {"words.txt", "pzam-tool spc: line 2: 'zwei' is not a number\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run("spc --lsl 0 " + c.File), 1) << c.File;
    EXPECT_EQ(Out, "") << c.File;
    EXPECT_EQ(Err, c.Err);
  }
}

}  // namespace
}  // namespace pzam::analysis

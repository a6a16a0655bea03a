// pzam-tool gauge-study on files of numbers and on a record file written by pzam-tool replay:
// its lines, its exit codes, and the note for a short study.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "plant/Journal.h"
#include "plant/JournalPath.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace pzam::analysis {
namespace {

class GaugeStudyToolTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir.File(name), std::ios::binary) << bytes;
  }
  int Run(const std::string& args) {
    auto run = pzam::test::RunTool("gauge-study " + args, dir.Dir().string());
    Out = std::move(run.Out);
    Err = std::move(run.Err);
    return run.Status;
  }

  pzam::test::TTempDir dir;
  std::string Out, Err;
};

// 25 values 10 + d/1000, d = -2..2 five times each: x-bar 10, s = 0.001 * 5 / (2 sqrt 3).
std::string FiveLevels(char separator) {
  const char* levels[] = {"9.998", "9.999", "10.000", "10.001", "10.002"};
  std::string text;
  for (int i = 0; i < 25; ++i) {
    std::string v = levels[i % 5];
    std::replace(v.begin(), v.end(), '.', separator);
    text += v + "\n";
  }
  return text;
}

std::string Repeated(const std::string& line, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += line;
  return text;
}

TEST_F(GaugeStudyToolTest, FiguresOfFilesOfNumbers) {
  Write("five.txt", FiveLevels('.'));
  Write("five_comma.txt", FiveLevels(','));
  Write("equal.txt", Repeated("10.000\n", 30));
  const struct {
    std::string Args;
    std::string Out;
  } cases[] = {
      // Bias 0.001, Cg = 4 / sqrt 3, Cgk = 3.6 / sqrt 3, t = 2 sqrt 3, p from 24 degrees.
      {"--reference 9.999 --tolerance 0.1 five.txt",
       "n=25\nmean=10\ns=0.001443375673\nbias=0.001\ncg=2.309401077\ncgk=2.078460969\n"
       "t=3.464101615\np=0.002013253003\nresolution=0.001\nresolution_share=1\n"
       "verdict=capable\n"},
      {"--reference 9.999 --tolerance 0.1 --decimal , five_comma.txt",
       "n=25\nmean=10\ns=0.001443375673\nbias=0.001\ncg=2.309401077\ncgk=2.078460969\n"
       "t=3.464101615\np=0.002013253003\nresolution=0.001\nresolution_share=1\n"
       "verdict=capable\n"},
      // K 10, L 4, bias -0.0005: Cg = 0.004 / (4 s) = 0.4 sqrt 3, Cgk = 0.0015 / (2 s) = 0.3 sqrt
      // 3,
      // t = -sqrt 3.
      {"--reference 10.0005 --tolerance 0.04 --k 10 --l 4 five.txt",
       "n=25\nmean=10\ns=0.001443375673\nbias=-0.0005\ncg=0.692820323\ncgk=0.5196152423\n"
       "t=-1.732050808\np=0.09609990713\nresolution=0.001\nresolution_share=2.5\n"
       "verdict=not capable\n"},
      // s = 0: everything that divides by s, and the resolution, is undefined.
      {"--reference 10 --tolerance 0.1 equal.txt",
       "n=30\nmean=10\ns=-\nbias=0\ncg=-\ncgk=-\nt=-\np=-\nresolution=-\nresolution_share=-\n"
       "verdict=-\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.Args), 0) << c.Args << Err;
    EXPECT_EQ(Out, c.Out) << c.Args;
    EXPECT_EQ(Err, "") << c.Args;
  }
}

// 24 values of a Sylvac gauge replayed into a record file of each kind: x-bar 12.34770833,
// s 0.01115300375 (as pzam-tool spc prints them). Fewer than 25: the figures, and a note.
TEST_F(GaugeStudyToolTest, RecordFileOfAShortStudy) {
  std::string capture;
  for (int i = 0; i < 20; ++i) capture += i % 2 ? "+0012.346\r" : "+0012.345\r";
  for (const char* v : {"+0012.400\r", "+0012.344\r", "+0012.346\r", "+0012.345\r"}) capture += v;
  Write("capture.bin", capture);
  for (const char* save : {"1", "2"}) {
    ASSERT_EQ(pzam::test::RunTool(std::string("replay --mode 2 --save ") + save +
                                      " --decimal , --at '2026-12-08 09:05:03' capture.bin",
                                  dir.Dir().string())
                  .Status,
              0);
    const std::string file = std::string("20261208_90503_-----") + (*save == '1' ? ".xls" : ".csv");
    EXPECT_EQ(Run("--reference 12.345 --tolerance 0.1 " + file), 0) << Err;
    EXPECT_EQ(Out,
              "n=24\nmean=12.34770833\ns=0.01115300375\nbias=0.002708333333\ncg=0.2988731472\n"
              "cgk=0.2179283365\nt=1.189640901\np=0.2463237544\nresolution=0.001\n"
              "resolution_share=1\nverdict=not capable\n")
        << file;
    EXPECT_EQ(Err, "pzam-tool gauge-study: 24 values: a study needs 25 to 50\n") << file;
  }
}

// A run of the station's journal: its values in order, the discarded one left out, give the
// same lines as the file of the same values.
TEST_F(GaugeStudyToolTest, JournaledRun) {
  const std::string run = "01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f";
  const std::string config = dir.File("PZAMConfig.ini");
  Write("PZAMConfig.ini", "");
  Write("five.txt", FiveLevels('.'));
  {
    plant::TJournal journal;
    ASSERT_EQ(journal.Open(plant::StationJournalOf(config)), "");
    plant::TRunStart start;
    start.RunId = run;
    start.Station = "line1";
    start.Batch = "Gauge-7";
    start.Lsl = 9.95;
    start.Usl = 10.05;
    start.Started = "2026-12-10T08:00:00.000+01:00";
    ASSERT_EQ(journal.StartRun(start), "");
    int seq = 0;
    for (int i = 0; i < 25; ++i) {
      plant::TValueRecord v;
      v.RunId = run;
      v.Seq = ++seq;
      v.Value = 10 + (i % 5 - 2) / 1000.0;
      v.Time = "2026-12-10T08:00:01.000+01:00";
      ASSERT_EQ(journal.AddValue(v), "");
      if (i == 7) {
        v.Seq = ++seq;
        v.Value = 10.5;
        ASSERT_EQ(journal.AddValue(v), "");
        ASSERT_EQ(journal.DiscardValue(run, seq), "");
      }
    }
  }
  ASSERT_EQ(Run("--reference 9.999 --tolerance 0.1 five.txt"), 0) << Err;
  const std::string fromFile = Out;
  EXPECT_EQ(Run("--reference 9.999 --tolerance 0.1 --run " + run + " --config PZAMConfig.ini"), 0)
      << Err;
  EXPECT_EQ(Out, fromFile);
  EXPECT_EQ(Err, "");
}

TEST_F(GaugeStudyToolTest, BadOptionsExitTwo) {
  Write("v.txt", "1\n2\n");
  const std::string ok = "--reference 1 --tolerance 1 ";
  const std::vector<std::string> bad = {std::string("v.txt"),
                                        "--tolerance 1 v.txt",
                                        "--reference 1 v.txt",
                                        "--reference x --tolerance 1 v.txt",
                                        "--reference 1 --tolerance 0 v.txt",
                                        "--reference 1 --tolerance -0.1 v.txt",
                                        "--reference 1 --tolerance abc v.txt",
                                        ok + "--k 0 v.txt",
                                        ok + "--k 100.5 v.txt",
                                        ok + "--k -20 v.txt",
                                        ok + "--k x v.txt",
                                        ok + "--l 5 v.txt",
                                        ok + "--l 6.0 v.txt",
                                        ok + "--l 3 v.txt",
                                        ok + "--decimal ab v.txt",
                                        ok + "--decimal 5 v.txt",
                                        ok + "--bogus 1 v.txt",
                                        ok + "v.txt v.txt",
                                        ok,
                                        ok + "--run not-a-run",
                                        ok + "--run 01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f v.txt",
                                        ok + "--config c.ini v.txt",
                                        ok + "--k",
                                        ok + "--reference 2 v.txt"};
  for (const std::string& args : bad) {
    EXPECT_EQ(Run(args), 2) << args;
    EXPECT_EQ(Out, "") << args;
    EXPECT_TRUE(Err.rfind("pzam-tool gauge-study: ", 0) == 0) << args << ": " << Err;
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << args << ": " << Err;
  }
  // The limits themselves are allowed.
  EXPECT_EQ(Run(ok + "--k 100 --l 4 v.txt"), 0) << Err;
}

TEST_F(GaugeStudyToolTest, UnreadableOrEmptySourcesExitOne) {
  Write("empty.txt", "");
  Write("words.txt", "1\nzwei\n");
  Write("PZAMConfig.ini", "");
  const struct {
    std::string Source;
    std::string Err;
  } cases[] = {
      {"missing.csv",
       "pzam-tool gauge-study: cannot read 'missing.csv': No such file or directory\n"},
      {"empty.txt", "pzam-tool gauge-study: 'empty.txt' holds no value\n"},
      {"words.txt", "pzam-tool gauge-study: line 2: 'zwei' is not a number\n"},
      {"--run 01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f --config PZAMConfig.ini", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run("--reference 1 --tolerance 1 " + c.Source), 1) << c.Source;
    EXPECT_EQ(Out, "") << c.Source;
    if (!c.Err.empty()) {
      EXPECT_EQ(Err, c.Err);
    } else {
      EXPECT_TRUE(Err.rfind("pzam-tool gauge-study: ", 0) == 0) << Err;
    }
  }
}

}  // namespace
}  // namespace pzam::analysis

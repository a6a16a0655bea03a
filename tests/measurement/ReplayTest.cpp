// pzam-tool replay, run as an operator runs it: in a folder of its own, compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestFiles.h"
#include "support/RunTool.h"

namespace pzam::measurement {
namespace {

// The record file helpers of these tests (TestFiles.h).
using namespace test;

const std::string E(1, '\x17');
using TCells = std::vector<std::string>;

class ReplayTest : public ::testing::Test {
 protected:
  // Writes the capture, runs the tool in the folder and keeps its exit code, stdout and stderr.
  int Replay(const std::string& args, const std::string& capture) {
    std::ofstream(dir.File("capture.bin"), std::ios::binary) << capture;
    auto run = pzam::test::RunTool("replay " + args, dir.Dir().string());
    Out = std::move(run.Out);
    Err = std::move(run.Err);
    return run.Status;
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Dir()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TTempDir dir;
  std::string Out, Err;
};

const std::string kAt = "--at '2026-12-08 09:05:03'";

TEST_F(ReplayTest, GaugeCaptureToExcelFile) {
  const std::string capture = "xx@ANZ     001@IST+001.500@MWT+001.500@STW000.0000" + E +
                              "@ANZ     002@IST+002.500@MWT+002.000@STW000.0000" + E +
                              "@ANZ     002@MSGok" + E + "@ANZ     003@IST+009";
  const std::string memo =
      "     001   +001.500   +001.500   000.0000\n"
      "----- 09:05:03 001    1,500      1,5   0,0000      1,5      1,5\n"
      "     002   +002.500   +002.000   000.0000\n"
      "----- 09:05:03 002    2,500      2,0    0,707      2,5      1,5\n"
      "     002      2,500        2,0      0,707\n"
      "*** Meldung: ok ***\n"
      "0\n";
  const std::string xls = kBof + Labels(0, TCells(8, "0")) +
                          Labels(1, TCells{"-----", "09:05:03", "001", "   1,500", "     1,5",
                                           "  0,0000", "     1,5", "     1,5"}) +
                          Labels(2, TCells{"-----", "09:05:03", "002", "   2,500", "     2,0",
                                           "   0,707", "     2,5", "     1,5"}) +
                          kEof;
  const std::string trace =
      "test\r\n     001   +001.500   +001.500   000.0000\r\n"
      "     002   +002.500   +002.000   000.0000\r\n     002      2,500        2,0      0,707\r\n";
  for (const std::string whole : {"", "--whole "}) {
    ASSERT_EQ(
        Replay(whole + "--save 1 --decimal , --language none " + kAt + " capture.bin", capture), 0)
        << Err;
    EXPECT_EQ(Out, memo) << whole;
    EXPECT_EQ(Err, "");
    EXPECT_EQ(ReadBytes(dir.File("20261208_90503_-----.xls")), xls) << whole;
    EXPECT_EQ(ReadBytes(dir.File("debug.txt")), trace) << whole;
  }
}

TEST_F(ReplayTest, SylvacCaptureToTextFileWithAnswers) {
  const std::string capture = "+0012.345\r+0012.340\rSTO0\r";
  ASSERT_EQ(Replay("--mode 2 --save 2 --decimal . --batch A7 --answers answers.bin " + kAt +
                       " capture.bin",
                   capture),
            0)
      << Err;
  EXPECT_EQ(Out,
            "A7 09:05:03 001   12.345   12.345      0.0   12.345   12.345\n"
            "A7 09:05:03 002   12.340   12.342    0.003   12.345    12.34\n"
            "Messung beendet\n");
  EXPECT_EQ(ReadBytes(dir.File("20261208_90503_A7.csv")),
            "Charge;Uhrzeit;Nr.;Messwert;Mittelwert;Standardabw.;Maximum;Minimum\n\r"
            "A7;09:05:03;001;  12.345;  12.345;     0.0;  12.345;  12.345\n\r"
            "A7;09:05:03;002;  12.340;  12.342;   0.003;  12.345;   12.34\n\r");
  EXPECT_EQ(ReadBytes(dir.File("answers.bin")), "STO0\rSTO0\r");
  EXPECT_EQ(ReadBytes(dir.File("debug.txt")), "test\r\n");
}

TEST_F(ReplayTest, QuorvantWithSignSwapAndNoFile) {
  ASSERT_EQ(Replay("--mode 3 --sign-swap --decimal . --language none --answers a.bin " + kAt +
                       " capture.bin",
                   "+0001.250\r"),
            0)
      << Err;
  EXPECT_EQ(Out, "----- 09:05:03 001   -1.250    -1.25      0.0    -1.25    -1.25\n0\n");
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bin", "capture.bin", "debug.txt"}));
}

TEST_F(ReplayTest, ModeOneRecordsNothing) {
  ASSERT_EQ(Replay("--mode 1 --save 2 --language none " + kAt + " capture.bin",
                   "@ANZ     001@IST+001.500" + E + "+1.0\r"),
            0);
  EXPECT_EQ(Out, "0\n");
  EXPECT_EQ(ReadBytes(dir.File("20261208_90503_-----.csv")), "0;0;0;0;0;0;0;0\n\r");
}

TEST_F(ReplayTest, BadArgumentsGiveOneLineAndExitTwo) {
  for (const std::string args :
       {"--mode 7 capture.bin", "--save", "--bogus capture.bin", "missing.bin", "",
        "--decimal ab capture.bin", "--at 2026-12-08 capture.bin", "capture.bin other.bin"}) {
    EXPECT_EQ(Replay(args, "+1\r"), 2) << args;
    EXPECT_EQ(Out, "") << args;
    EXPECT_TRUE(Err.rfind("pzam-tool replay: ", 0) == 0) << args << ": " << Err;
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << args;
  }
}

TEST_F(ReplayTest, RecordFileNotCreatedIsReported) {
  EXPECT_EQ(Replay("--save 2 --batch a/b capture.bin", "+1\r"), 1);
  EXPECT_EQ(Err, "pzam-tool replay: Ungültiger Dateiname\n");
}

TEST_F(ReplayTest, ShippedSampleReplays) {
  const std::string sample = ReadBytes(std::string(PZAM_SOURCE_DIR) + "/samples/zam2000_mode0.cap");
  ASSERT_FALSE(sample.empty());
  ASSERT_EQ(Replay("--save 1 " + kAt + " capture.bin", sample), 0) << Err;
  EXPECT_NE(Out.find("*** Meldung: Batterie schwach ***\n"), std::string::npos);
  // Walk the records: one BOF, 8 LABELs per row (header and 19 values), one EOF at the end.
  const std::string xls = ReadBytes(dir.File("20261208_90503_-----.xls"));
  int bof = 0, labels = 0, eof = 0;
  for (std::size_t at = 0; at + 4 <= xls.size();) {
    const int id = static_cast<unsigned char>(xls[at]) | static_cast<unsigned char>(xls[at + 1])
                                                             << 8;
    const std::size_t len =
        static_cast<unsigned char>(xls[at + 2]) | static_cast<unsigned char>(xls[at + 3]) << 8;
    bof += id == 0x0809;
    labels += id == 0x0204;
    eof += id == 0x000A;
    at += 4 + len;
    if (id == 0x000A) {
      EXPECT_EQ(at, xls.size());
    }
  }
  EXPECT_EQ(bof, 1);
  EXPECT_EQ(labels, 8 * 20);
  EXPECT_EQ(eof, 1);
}

}  // namespace
}  // namespace pzam::measurement

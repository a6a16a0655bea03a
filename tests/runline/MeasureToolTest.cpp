// Whole measuring runs of pzam-tool measure against a scripted instrument on a pseudo-terminal.
// COM7 is mapped in a settings file of the test's own onto a link to the pty's slave, so that a
// new pty can take the port's place. Record files are compared byte for byte with the rows the
// sent values give; only the clock times are read from the output and checked against the
// test's own clock ("hh:mm:ss" in the expected bytes).
#include <gtest/gtest.h>

#include <termios.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "MeasureProcess.h"
#include "measurement/TestFiles.h"
#include "serial/comm/PtyPair.h"

namespace pzam::runline {
namespace {

namespace fs = std::filesystem;
using measurement::test::kBof;
using measurement::test::kEof;
using measurement::test::Labels;
using measurement::test::ReadBytes;
using measurement::test::TTempDir;
using test::TMeasureProcess;
using TCells = std::vector<std::string>;

const std::string kHeader = "Batch;Time;No.;Value;Mean;Std. deviation;Maximum;Minimum\n\r";
const TCells kHeaderCells{"Batch", "Time",           "No.",     "Value",
                          "Mean",  "Std. deviation", "Maximum", "Minimum"};
const std::string kEnded = "Measurement ended\n";
const std::string kRemoved = "Port removed during the measurement\n";
const std::string kBack = "Port is back, measurement continues\n";

int SecondsOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

class MeasureTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty->Ok());
    MapPort(*pty);
    std::ofstream(dir.File("cfg.ini")) << "[Ports]\nCOM7=" << link << "\n";
  }
  // Points the port's link at a pty's slave.
  void MapPort(const comm::test::TPtyPair& p) {
    fs::remove(link);
    fs::create_symlink(p.SlavePath(), link);
  }
  // Starts the tool; with `opened`, returns once the port is open: raw, the mode's speed set
  // (the last step the line shows), and a moment more for the event mask.
  std::unique_ptr<TMeasureProcess> Start(const std::string& options, bool opened = true) {
    std::vector<std::string> args{"--port", "COM7", "--config", "cfg.ini", "--language", "english"};
    std::istringstream words(options);
    for (std::string w; words >> w;) args.push_back(w);
    started = SecondsOfDay();
    auto tool = std::make_unique<TMeasureProcess>(dir.Dir().string(), args);
    if (opened) {
      EXPECT_TRUE(WaitOpen(*pty, options.find("--mode 0") == 0 ? B9600 : B4800));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return tool;
  }
  // The slave's settings as the master sees them.
  static bool WaitOpen(const comm::test::TPtyPair& p, speed_t speed) {
    for (int i = 0; i < 500; ++i) {
      termios t{};
      if (tcgetattr(p.Master(), &t) == 0 && !(t.c_lflag & ECHO) && cfgetospeed(&t) == speed)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // The adapter is pulled a moment after the last send, and comes back as another device under
  // the same port name; returns once the tool has reported both.
  std::unique_ptr<comm::test::TPtyPair> PullAndReplug(TMeasureProcess& tool) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    fs::remove(link);
    pty->CloseMaster();
    tool.WaitForOutput(kRemoved);
    auto second = std::make_unique<comm::test::TPtyPair>();
    if (second->Ok()) MapPort(*second);
    tool.WaitForOutput(kBack);
    return second;
  }
  // Waits for the process to end; its exit code.
  int Finish(TMeasureProcess& tool) {
    const int code = tool.Wait();
    finished = SecondsOfDay();
    return code;
  }
  // The one file with this extension in the folder (the record file), with its name.
  std::string RecordFile(const std::string& ext, std::string* name = nullptr) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(dir.Dir()))
      if (e.path().extension() == ext) found.push_back(e.path());
    if (found.size() != 1) return "<" + std::to_string(found.size()) + " files>";
    if (name) *name = found[0].filename().string();
    return ReadBytes(found[0].string());
  }
  // actual equals expected, where each "hh:mm:ss" of expected stands for a clock time of the run.
  void ExpectWithTimes(const std::string& actual, const std::string& expected) {
    ASSERT_EQ(actual.size(), expected.size()) << actual;
    std::string filled = expected;
    for (size_t at = 0; (at = filled.find("hh:mm:ss", at)) != std::string::npos; at += 8) {
      const std::string t = actual.substr(at, 8);
      int h = 0, m = 0, s = 0;
      ASSERT_EQ(std::sscanf(t.c_str(), "%2d:%2d:%2d", &h, &m, &s), 3) << t;
      const int x = h * 3600 + m * 60 + s;
      EXPECT_TRUE(started <= finished ? (x >= started && x <= finished)
                                      : (x >= started || x <= finished))
          << t;
      filled.replace(at, 8, t);
    }
    EXPECT_EQ(actual, filled);
  }
  // The instrument answers STO0 to each accepted value.
  void ExpectAnswer(const std::string& text, const comm::test::TPtyPair& p) {
    EXPECT_EQ(p.Receive(text.size(), 3000), text);
  }

  TTempDir dir;
  std::string link = dir.File("gauge");
  std::unique_ptr<comm::test::TPtyPair> pty = std::make_unique<comm::test::TPtyPair>();
  int started = 0, finished = 0;
};

TEST_F(MeasureTool, Mode0GaugeTelegramsToExcelFile) {
  auto tool = Start("--mode 0 --save 1 --batch B7");
  const std::string e(1, '\x17');
  // The first telegram comes in two pieces, with noise before its first field.
  ASSERT_TRUE(pty->Send("xx@ANZ     001@IST+001.500"));
  ASSERT_TRUE(pty->Send("@MWT+001.500@STW000.0000" + e));
  tool->WaitForOutput("B7 ");
  ASSERT_TRUE(pty->Send("@ANZ     002@IST+002.500@MWT+002.000@STW000.0000" + e));
  tool->WaitForOutput(" 002 ");
  ASSERT_TRUE(pty->Send("@ANZ     002@MSGcheck" + e));
  tool->WaitForOutput("***\n");
  tool->CloseStdin();
  ASSERT_EQ(Finish(*tool), 0) << tool->Err;
  ExpectWithTimes(tool->Out,
                  "     001   +001.500   +001.500   000.0000\n"
                  "B7 hh:mm:ss 001    1.500      1.5   0.0000      1.5      1.5\n"
                  "     002   +002.500   +002.000   000.0000\n"
                  "B7 hh:mm:ss 002    2.500      2.0    0.707      2.5      1.5\n"
                  "     002      2.500        2.0      0.707\n"
                  "*** Meldung: check ***\n" +
                      kEnded);
  std::string name;
  ExpectWithTimes(RecordFile(".xls", &name),
                  kBof + Labels(0, kHeaderCells) +
                      Labels(1, TCells{"B7", "hh:mm:ss", "001", "   1.500", "     1.5", "  0.0000",
                                       "     1.5", "     1.5"}) +
                      Labels(2, TCells{"B7", "hh:mm:ss", "002", "   2.500", "     2.0", "   0.707",
                                       "     2.5", "     1.5"}) +
                      kEof);
  EXPECT_TRUE(name.size() > 12 && name.substr(name.size() - 7) == "_B7.xls") << name;
  EXPECT_EQ(ReadBytes(dir.File("debug.txt")),
            "test\r\n     001   +001.500   +001.500   000.0000\r\n"
            "     002   +002.500   +002.000   000.0000\r\n"
            "     002      2.500        2.0      0.707\r\n");
  EXPECT_EQ(pty->Receive(1, 100), "");  // mode 0 sends nothing
}

TEST_F(MeasureTool, Mode2DuplexTakesValuesWithPri) {
  auto tool = Start("--mode 2 --cable duplex --save 2");
  tool->WriteLine("");
  EXPECT_EQ(pty->Receive(4), "PRI\r");
  ASSERT_TRUE(pty->Send("+1.250\r"));
  ExpectAnswer("STO0\r", *pty);
  tool->WriteLine("next");
  EXPECT_EQ(pty->Receive(4), "PRI\r");
  // A text beginning with S carries no value and gets no answer.
  ASSERT_TRUE(pty->Send("S\r"));
  ASSERT_TRUE(pty->Send("+0.750\r"));
  ExpectAnswer("STO0\r", *pty);
  tool->WaitForOutput(" 002 ");
  tool->WriteLine("q");
  ASSERT_EQ(Finish(*tool), 0) << tool->Err;
  EXPECT_EQ(pty->Receive(1, 100), "");
  ExpectWithTimes(tool->Out,
                  "----- hh:mm:ss 001    1.250     1.25      0.0     1.25     1.25\n"
                  "----- hh:mm:ss 002    0.750      1.0    0.353     1.25     0.75\n" +
                      kEnded);
  ExpectWithTimes(RecordFile(".csv"), kHeader +
                                          "-----;hh:mm:ss;001;   1.250;    1.25;     0.0;    "
                                          "1.25;    1.25\n\r"
                                          "-----;hh:mm:ss;002;   0.750;     1.0;   0.353;    "
                                          "1.25;    0.75\n\r");
  EXPECT_EQ(ReadBytes(dir.File("debug.txt")), "test\r\n");
}

TEST_F(MeasureTool, Mode2SimplexReopensThePortAndSendsNothing) {
  auto tool = Start("--mode 2 --cable simplex --save 2");
  tool->WriteLine("");
  // Closed 300 ms, then open again after 200 ms more; the instrument sends once the port is back.
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_EQ(pty->Receive(1, 100), "");
  ASSERT_TRUE(pty->Send("+12.5\r"));
  ExpectAnswer("STO0\r", *pty);
  tool->WaitForOutput(" 001 ");
  tool->CloseStdin();
  ASSERT_EQ(Finish(*tool), 0) << tool->Err;
  ExpectWithTimes(tool->Out,
                  "----- hh:mm:ss 001     12.5     12.5      0.0     12.5     12.5\n" + kEnded);
  ExpectWithTimes(RecordFile(".csv"),
                  kHeader + "-----;hh:mm:ss;001;    12.5;    12.5;     0.0;    12.5;    12.5\n\r");
}

TEST_F(MeasureTool, Mode3SwapsTheSignAndTakesSeveralTextsOfOneRead) {
  auto tool = Start("--mode 3 --sign-swap --save 2");
  // Two texts in one write reach the program in one read: both count.
  ASSERT_TRUE(pty->Send("+2.5\r-0.5\r"));
  ExpectAnswer("STO0\rSTO0\r", *pty);
  tool->WaitForOutput(" 002 ");
  tool->CloseStdin();
  ASSERT_EQ(Finish(*tool), 0) << tool->Err;
  ExpectWithTimes(tool->Out,
                  "----- hh:mm:ss 001     -2.5     -2.5      0.0     -2.5     -2.5\n"
                  "----- hh:mm:ss 002      0.5    -1.00    2.121      0.5     -2.5\n" +
                      kEnded);
  ExpectWithTimes(RecordFile(".csv"),
                  kHeader +
                      "-----;hh:mm:ss;001;    -2.5;    -2.5;     0.0;    -2.5;    -2.5\n\r"
                      "-----;hh:mm:ss;002;     0.5;   -1.00;   2.121;     0.5;    -2.5\n\r");
}

TEST_F(MeasureTool, HangUpAndReturnOfThePortLoseAndDoubleNothing) {
  auto tool = Start("--mode 3 --save 2");
  ASSERT_TRUE(pty->Send("+1.0\r"));
  ExpectAnswer("STO0\r", *pty);
  tool->WaitForOutput(" 001 ");
  // The adapter is pulled while the program still waits to read a value it has received.
  ASSERT_TRUE(pty->Send("+2.0\r"));
  auto second = PullAndReplug(*tool);
  ASSERT_TRUE(second->Ok());
  ASSERT_TRUE(second->Send("+3.0\r"));
  ExpectAnswer("STO0\r", *second);
  tool->WaitForOutput(" 003 ");
  tool->CloseStdin();
  ASSERT_EQ(Finish(*tool), 0) << tool->Err;
  ExpectWithTimes(tool->Out,
                  "----- hh:mm:ss 001      1.0      1.0      0.0      1.0      1.0\n"
                  "----- hh:mm:ss 002      2.0      1.5    0.707      2.0      1.0\n" +
                      kRemoved + kBack +
                      "----- hh:mm:ss 003      3.0      2.0      1.0      3.0      1.0\n" + kEnded);
  ExpectWithTimes(RecordFile(".csv"),
                  kHeader +
                      "-----;hh:mm:ss;001;     1.0;     1.0;     0.0;     1.0;     1.0\n\r"
                      "-----;hh:mm:ss;002;     2.0;     1.5;   0.707;     2.0;     1.0\n\r"
                      "-----;hh:mm:ss;003;     3.0;     2.0;     1.0;     3.0;     1.0\n\r");
}

TEST_F(MeasureTool, TextCutOffByTheRemovalDoesNotSpoilTheNextValue) {
  auto tool = Start("--mode 2 --save 2");
  ASSERT_TRUE(pty->Send("+2.0"));  // the carriage return never comes
  auto second = PullAndReplug(*tool);
  ASSERT_TRUE(second->Ok());
  ASSERT_TRUE(second->Send("+3.0\r"));
  ExpectAnswer("STO0\r", *second);
  tool->WaitForOutput(" 001 ");
  tool->CloseStdin();
  ASSERT_EQ(Finish(*tool), 0) << tool->Err;
  ExpectWithTimes(tool->Out,
                  kRemoved + kBack +
                      "----- hh:mm:ss 001      3.0      3.0      0.0      3.0      3.0\n" + kEnded);
}

TEST_F(MeasureTool, SigtermAndSigintCompleteTheRecordFile) {
  for (int signo : {SIGTERM, SIGINT}) {
    for (const auto& e : fs::directory_iterator(dir.Dir()))
      if (e.path().extension() == ".xls") fs::remove(e.path());
    pty = std::make_unique<comm::test::TPtyPair>();
    MapPort(*pty);
    auto tool = Start("--mode 3 --save 1");
    ASSERT_TRUE(pty->Send("+4.25\r"));
    ExpectAnswer("STO0\r", *pty);
    tool->WaitForOutput(" 001 ");
    tool->Signal(signo);
    ASSERT_EQ(Finish(*tool), 0) << tool->Err;
    EXPECT_EQ(tool->Out.substr(tool->Out.size() - kEnded.size()), kEnded);
    ExpectWithTimes(RecordFile(".xls"),
                    kBof + Labels(0, kHeaderCells) +
                        Labels(1, TCells{"-----", "hh:mm:ss", "001", "    4.25", "    4.25",
                                         "     0.0", "    4.25", "    4.25"}) +
                        kEof);
  }
}

TEST_F(MeasureTool, PortThatCannotBeOpenedEndsWithTheReason) {
  // Another program holds the port.
  auto holder = Start("--mode 3 --save 0");
  ASSERT_TRUE(pty->Send("+1\r"));
  ExpectAnswer("STO0\r", *pty);
  auto second = Start("--mode 3 --save 2", false);
  EXPECT_EQ(Finish(*second), 3);
  EXPECT_EQ(second->Err.rfind("pzam-tool measure: Cannot open port COM7: ", 0), 0u) << second->Err;
  EXPECT_NE(second->Err.find("use"), std::string::npos) << second->Err;
  EXPECT_EQ(RecordFile(".csv"), "<0 files>");
  holder->CloseStdin();
  EXPECT_EQ(Finish(*holder), 0);
  // A port no device stands for.
  fs::remove(link);
  auto missing = Start("--mode 0 --save 2", false);
  EXPECT_EQ(Finish(*missing), 3);
  EXPECT_EQ(missing->Err.rfind("pzam-tool measure: Cannot open port COM7: ", 0), 0u)
      << missing->Err;
  EXPECT_EQ(missing->Out, "");
}

TEST_F(MeasureTool, BadOptionsExitWithTwo) {
  for (const char* options : {"--mode 1", "--mode", "--cable both", "--save 3", "--port COM0",
                              "--port LPT1", "--config nosuchfile.ini", "--verbose"}) {
    auto tool = Start(options, false);
    EXPECT_EQ(Finish(*tool), 2) << options;
    EXPECT_NE(tool->Err, "") << options;
  }
  // Without a port.
  TMeasureProcess bare(dir.Dir().string(), {"--mode", "0"});
  EXPECT_EQ(bare.Wait(), 2);
}

}  // namespace
}  // namespace pzam::runline

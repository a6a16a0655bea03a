// pzam-tool settings-text and ports, run as a script runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "serial/comm/PtyPair.h"
#include "support/RunTool.h"

namespace pzam {
namespace {

using test::RunTool;
using test::TToolRun;

const std::string kExample =
    "MZT10030096004200001638400016384000000170190000819200000512063026023000000000000000000000000"
    "114";

TEST(SettingsTextTool, Decode) {
  const TToolRun ok = RunTool("settings-text decode " + kExample);
  EXPECT_EQ(ok.Status, 0);
  EXPECT_EQ(ok.Out,
            "Valid=1\nCOMPort=3\nBaudrate=9600\nDataBits=4\nParityBit=2\nStopBits=0\n"
            "BufSizeTrm=16384\nBufSizeRec=16384\nHandshakeRtsCts=0\nHandshakeDtrDsr=0\n"
            "HandshakeXOnXOff=0\nRTSActive=0\nDTRActive=0\nXOnChar=17\nXOffChar=19\n"
            "XOffLimit=8192\nXOnLimit=512\nErrorChar=63\nEofChar=26\nEventChar=23\n"
            "ContinueOnXOff=0\nUseErrorChar=0\nEliminateNullChar=0\nAbortOnError=0\n"
            "RecTimeOut=0\nTrmTimeOut=0\n");
  for (const std::string& bad : {std::string("0"), kExample.substr(0, 94), "X" + kExample}) {
    const TToolRun run = RunTool("settings-text decode '" + bad + "'");
    EXPECT_EQ(run.Status, 1) << bad;
    EXPECT_EQ(run.Out, "Valid=0\n") << bad;
  }
  EXPECT_EQ(RunTool("settings-text decode").Status, 2);
}

TEST(SettingsTextTool, Encode) {
  const struct {
    const char* args;
    int status;
    std::string out;
  } cases[] = {
      {"COMPort=3 ParityBit=2 EventChar=23", 0, kExample + "\n"},
      // Defaults of the component as created: no port.
      {"", 0,
       "MZT1000009600400000163840001638400000017019000081920000051206302601300000000000000000000"
       "0000112\n"},
      {"COMPort=150 Baudrate=500000", 0, ""},
      {"Baudrate", 2, ""},
      {"Parity=1", 2, ""},
      {"DataBits=5", 2, ""},
      {"EventChar=256", 2, ""},
      {"RTSActive=2", 2, ""},
  };
  for (const auto& c : cases) {
    const TToolRun run = RunTool(std::string("settings-text encode ") + c.args);
    EXPECT_EQ(run.Status, c.status) << c.args;
    if (!c.out.empty()) {
      EXPECT_EQ(run.Out, c.out) << c.args;
    }
  }
  // The setters' rules apply in the order given.
  const TToolRun clamped =
      RunTool("settings-text encode COMPort=150 Baudrate=500000 BufSizeRec=100");
  EXPECT_EQ(clamped.Out.substr(4, 9), "150512000");
  EXPECT_EQ(clamped.Out.substr(24, 8), "00004096");  // BufSizeRec
  EXPECT_EQ(clamped.Out.substr(43, 8), "00004096");  // XOffLimit lowered with it
  const TToolRun ordered = RunTool("settings-text encode XOffLimit=300");
  EXPECT_EQ(ordered.Out.substr(43, 8), "00000513");
  EXPECT_EQ(RunTool("settings-text").Status, 2);
}

TEST(PortsTool, ListsAMappedPseudoTerminal) {
  comm::test::TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const std::string ini = std::filesystem::temp_directory_path() / "pzam_ports_test.ini";
  std::ofstream(ini) << "[Ports]\nCOM7=" << pty.SlavePath() << "\nCOM8=/dev/pzam-no-such-device\n";
  const TToolRun run = RunTool("ports --config " + ini);
  std::filesystem::remove(ini);
  EXPECT_EQ(run.Status, 0);
  const std::string line = "COM7 " + pty.SlavePath() + " pseudo-terminal\n";
  EXPECT_NE(run.Out.find(line), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.find("COM8"), std::string::npos) << run.Out;
  EXPECT_EQ(RunTool("ports --config /nonexistent/pzam.ini").Status, 1);
  EXPECT_EQ(RunTool("ports --verbose").Status, 2);
}

}  // namespace
}  // namespace pzam

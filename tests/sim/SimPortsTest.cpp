// The simulator's [Ports] entry in the settings file, its clean end and its option errors.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

#include "SimProcess.h"

namespace pzam::sim::test {
namespace {

// The value of key in [Ports], read with plain text matching; "" when absent.
std::string PortsEntry(const std::string& iniText, const std::string& key) {
  bool inPorts = false;
  for (const auto& line : Lines(iniText)) {
    if (!line.empty() && line[0] == '[') inPorts = line == "[Ports]";
    if (inPorts && line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return {};
}

TEST(SimPorts, TakesTheFirstFreePortFromCom5AndRemovesOnlyItsOwnEntry) {
  TTempDir dir;
  const std::string ini = dir.File("PZAMConfig.ini");
  const std::string before =
      "[Serial]\nCOM=keep\n[Ports]\nCOM1=/dev/ttyS0\nCOM5=/dev/ttyUSB0\n[Select]\nReqMode=2\n";
  WriteFile(ini, before);

  TSimProcess first({"--instrument", "zam", "--config", ini});
  ASSERT_TRUE(first.WaitForPort());
  EXPECT_EQ("COM6", first.PortName());
  EXPECT_EQ(0, first.Device().rfind("/dev/pts/", 0));
  EXPECT_EQ(first.Device(), PortsEntry(ReadFile(ini), "COM6"));

  TSimProcess second({"--instrument", "quorvant", "--config", ini});
  ASSERT_TRUE(second.WaitForPort());
  EXPECT_EQ("COM7", second.PortName());
  EXPECT_NE(first.Device(), second.Device());
  EXPECT_EQ(second.Device(), PortsEntry(ReadFile(ini), "COM7"));

  first.Signal(SIGINT);
  EXPECT_EQ(0, first.WaitForExit());
  second.Signal(SIGTERM);
  EXPECT_EQ(0, second.WaitForExit());
  const std::string after = ReadFile(ini);
  EXPECT_EQ("", PortsEntry(after, "COM6"));
  EXPECT_EQ("", PortsEntry(after, "COM7"));
  EXPECT_EQ("/dev/ttyUSB0", PortsEntry(after, "COM5"));
  EXPECT_EQ("/dev/ttyS0", PortsEntry(after, "COM1"));
  EXPECT_NE(std::string::npos, after.find("COM=keep"));
  EXPECT_NE(std::string::npos, after.find("ReqMode=2"));
}

TEST(SimPorts, ExplicitPortCreatesTheFileAndLeavesAnEntryTakenOverByOthers) {
  TTempDir dir;
  const std::string ini = dir.File("PZAMConfig.ini");
  {
    TSimProcess sim({"--instrument", "sylvac", "--port", "COM12", "--config", ini});
    ASSERT_TRUE(sim.WaitForPort());
    EXPECT_EQ("COM12", sim.PortName());
    EXPECT_EQ(sim.Device(), PortsEntry(ReadFile(ini), "COM12"));
    sim.Signal(SIGTERM);
    EXPECT_EQ(0, sim.WaitForExit());
    EXPECT_EQ("", PortsEntry(ReadFile(ini), "COM12"));
  }
  TSimProcess sim({"--instrument", "zam", "--port", "COM12", "--config", ini});
  ASSERT_TRUE(sim.WaitForPort());
  // Someone points COM12 at a real adapter meanwhile: the simulator must not delete that.
  WriteFile(ini, "[Ports]\nCOM12=/dev/ttyUSB3\n");
  sim.Signal(SIGTERM);
  EXPECT_EQ(0, sim.WaitForExit());
  EXPECT_EQ("/dev/ttyUSB3", PortsEntry(ReadFile(ini), "COM12"));
}

TEST(SimPorts, EndingWithACountRemovesTheEntry) {
  TTempDir dir;
  const std::string ini = dir.File("PZAMConfig.ini");
  TSimProcess sim({"--instrument", "quorvant", "--interval", "0", "--count", "1", "--config", ini});
  ASSERT_TRUE(sim.WaitForPort());
  TProgramPort port(sim.Device());
  EXPECT_NE("", port.ReadUntil('\r'));
  port.Write("STO0\r");
  // The acknowledged last value has been read: no need to wait out the linger time.
  EXPECT_EQ(0, sim.WaitForExit(800ms));
  EXPECT_EQ("", PortsEntry(ReadFile(ini), sim.PortName()));
}

TEST(SimPorts, BadOptionsExitWithCode2AndOneLine) {
  TTempDir dir;
  const std::string ini = dir.File("PZAMConfig.ini");
  const std::vector<std::vector<std::string>> cases = {
      {"--config", ini},
      {"--instrument", "zam", "--port", "COM0", "--config", ini},
      {"--instrument", "zam", "--interval", "fast", "--config", ini},
      {"--instrument", "zam", "--bogus", "--config", ini},
  };
  for (const auto& args : cases) {
    TSimProcess sim(args);
    EXPECT_EQ(2, sim.WaitForExit());
    EXPECT_EQ(1u, Lines(sim.Stderr()).size()) << sim.Stderr();
    EXPECT_EQ(0, sim.Stderr().rfind("pzam-sim: ", 0));
  }
  struct stat st {};
  EXPECT_NE(0, stat(ini.c_str(), &st));  // nothing was entered anywhere
}

TEST(SimPorts, UnwritableSettingsFileIsAnErrorNotAHang) {
  TTempDir dir;
  TSimProcess sim({"--instrument", "zam", "--config", dir.File("missing/dir/PZAMConfig.ini")});
  EXPECT_EQ(1, sim.WaitForExit());
  EXPECT_EQ(0, sim.Stderr().rfind("pzam-sim: ", 0));
}

}  // namespace
}  // namespace pzam::sim::test

// The built pzam-sim against a port opened as the program opens it: what each instrument sends,
// how it answers, and how it lives through the port being closed and reopened.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "SimProcess.h"

namespace pzam::sim::test {
namespace {

const std::regex kValue(R"([+-]\d{3}\.\d{3})");
const std::regex kZamTelegram(
    R"(@ANZ {5}(\d{3})@IST([+-]\d{3}\.\d{3})@MWT([+-]\d{3}\.\d{3})@STW(\d{3}\.\d{4})\x17)");

std::vector<std::string> WithFiles(const TTempDir& dir, std::vector<std::string> args) {
  args.insert(args.end(), {"--config", dir.File("PZAMConfig.ini"), "--log", dir.File("sent.log")});
  return args;
}

// A simulator with its own settings file and log in a fresh directory.
struct TSim {
  TTempDir Dir;
  TSimProcess Process;
  explicit TSim(std::vector<std::string> args) : Process(WithFiles(Dir, std::move(args))) {}
  std::vector<std::string> Log() const { return Lines(ReadFile(Dir.File("sent.log"))); }
};

TEST(SimInstrument, ZamSendsRawTelegramsThatMatchItsLog) {
  TSim sim({"--instrument", "zam", "--interval", "20", "--count", "3", "--seed", "7"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  TProgramPort port(sim.Process.Device());
  ASSERT_TRUE(port.IsOpen());
  EXPECT_TRUE(port.FoundRaw());  // character 23 must not meet a cooked line discipline
  std::vector<std::string> telegrams;
  for (int i = 0; i < 3; ++i) telegrams.push_back(port.ReadUntil('\x17'));
  EXPECT_EQ(0, sim.Process.WaitForExit());
  EXPECT_EQ("", port.ReadFor(50ms));  // nothing after the count

  const auto log = sim.Log();
  ASSERT_EQ(3u, log.size());
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(telegrams[i]);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(telegrams[i], m, kZamTelegram));
    EXPECT_EQ(i + 1, std::stoi(m[1]));
    EXPECT_EQ(log[i] + '\x17', telegrams[i]);
  }
}

TEST(SimInstrument, ZamRepeatsItsValuesForASeed) {
  std::vector<std::string> logs[2];
  for (auto& log : logs) {
    TSim sim({"--instrument", "zam", "--interval", "0", "--count", "4", "--seed", "99"});
    ASSERT_TRUE(sim.Process.WaitForPort());
    TProgramPort port(sim.Process.Device());
    EXPECT_EQ(0, sim.Process.WaitForExit());
    log = sim.Log();
  }
  EXPECT_EQ(4u, logs[0].size());
  EXPECT_EQ(logs[0], logs[1]);
}

TEST(SimInstrument, PtyPaceSendsFasterThanTheLineRate) {
  // 400 telegrams of 49 characters take 20 s at 9600 baud; the pseudo-terminal takes them at once.
  constexpr int kCount = 400;
  TSim sim({"--instrument", "zam", "--interval", "0", "--pace", "pty", "--count",
            std::to_string(kCount), "--seed", "5"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  TProgramPort port(sim.Process.Device());
  const auto start = std::chrono::steady_clock::now();
  std::string received;
  for (int i = 0; i < kCount; ++i) {
    const std::string telegram = port.ReadUntil('\x17');
    ASSERT_FALSE(telegram.empty()) << i;
    received += telegram;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(0, sim.Process.WaitForExit());
  std::string logged;
  for (const auto& line : sim.Log()) logged += line + '\x17';
  EXPECT_EQ(logged, received);  // nothing lost or reordered for the speed
}

TEST(SimInstrument, ZamMixesInMessagesAsEverySeventhTelegram) {
  TSim sim({"--instrument", "zam", "--interval", "5", "--count", "7", "--messages"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  TProgramPort port(sim.Process.Device());
  std::vector<std::string> telegrams;
  for (int i = 0; i < 8; ++i) telegrams.push_back(port.ReadUntil('\x17'));
  EXPECT_EQ(0, sim.Process.WaitForExit());
  EXPECT_EQ(std::string("@MSGBatterie schwach\x17"), telegrams[6]);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(telegrams[7], m, kZamTelegram));
  EXPECT_EQ("007", m[1]);  // the message does not count as a value
  EXPECT_EQ(8u, sim.Log().size());
}

TEST(SimInstrument, ZamSendsOnlyWhileThePortIsOpenAndCountsOnAfterAReopen) {
  TSim sim({"--instrument", "zam", "--interval", "20"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(sim.Log().empty());  // nobody listening yet
  {
    TProgramPort port(sim.Process.Device());
    EXPECT_NE("", port.ReadUntil('\x17'));
  }
  ASSERT_TRUE(sim.Process.WaitForStderr("port closed"));
  const auto sentBefore = sim.Log().size();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(sentBefore, sim.Log().size());
  TProgramPort port(sim.Process.Device());
  ASSERT_TRUE(port.IsOpen());
  const std::string next = port.ReadUntil('\x17');
  std::smatch m;
  ASSERT_TRUE(std::regex_match(next, m, kZamTelegram)) << next;
  EXPECT_EQ(static_cast<int>(sentBefore) + 1, std::stoi(m[1]));
  sim.Process.Signal(SIGTERM);
  EXPECT_EQ(0, sim.Process.WaitForExit());
}

TEST(SimInstrument, QuorvantSendsByItselfAndChecksEachAcknowledgement) {
  TSim sim({"--instrument", "quorvant", "--interval", "30", "--count", "3", "--mean", "-0.5"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  TProgramPort port(sim.Process.Device());
  std::vector<std::string> values;
  for (int i = 0; i < 3; ++i) {
    values.push_back(port.ReadUntil('\r'));
    ASSERT_TRUE(std::regex_match(values.back(), std::regex(R"([+-]\d{3}\.\d{3}\r)")))
        << values.back();
    if (i < 2) port.Write("STO0\r");
  }
  // The last value is never acknowledged: reported after a second, then the simulator ends.
  EXPECT_TRUE(sim.Process.WaitForStderr(values[2].substr(0, 8) + " not acknowledged within 1 s"));
  EXPECT_EQ(0, sim.Process.WaitForExit());
  const auto& err = sim.Process.Stderr();
  EXPECT_NE(std::string::npos, err.find("received STO0 for " + values[0].substr(0, 8)));
  EXPECT_NE(std::string::npos, err.find("received STO0 for " + values[1].substr(0, 8)));
  const auto log = sim.Log();
  ASSERT_EQ(3u, log.size());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(values[i], log[i] + "\r");
}

TEST(SimInstrument, SylvacDuplexAnswersEachPriOnly) {
  TSim sim({"--instrument", "sylvac", "--cable", "duplex", "--count", "2"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  {
    TProgramPort port(sim.Process.Device());
    EXPECT_EQ("", port.ReadFor(150ms));  // a Sylvac instrument does not send by itself
    port.Write("PRI\r");
    const std::string first = port.ReadUntil('\r');
    EXPECT_TRUE(std::regex_match(first.substr(0, 8), kValue)) << first;
    port.Write("STO0\r");
    ASSERT_TRUE(sim.Process.WaitForStderr("received STO0 for " + first.substr(0, 8)));
  }
  ASSERT_TRUE(sim.Process.WaitForStderr("port closed"));
  TProgramPort port(sim.Process.Device());
  EXPECT_EQ("", port.ReadFor(200ms));  // reopening is no request with a duplex cable
  port.Write("PRI\r");
  const std::string second = port.ReadUntil('\r');
  ASSERT_EQ(9u, second.size());
  // Not acknowledged: reported after a second, then the count is done.
  EXPECT_TRUE(sim.Process.WaitForStderr(second.substr(0, 8) + " not acknowledged within 1 s"));
  EXPECT_EQ(0, sim.Process.WaitForExit());
}

TEST(SimInstrument, SylvacSimplexSendsOneValueOnEachReopen) {
  TSim sim({"--instrument", "sylvac", "--seed", "3"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  auto port = std::make_unique<TProgramPort>(sim.Process.Device());
  EXPECT_EQ("", port->ReadFor(200ms));  // the first opening requests nothing
  std::vector<std::string> values;
  for (int i = 0; i < 2; ++i) {
    // Take value with a simplex cable: close, 300 ms, open again.
    port.reset();
    std::this_thread::sleep_for(300ms);
    port = std::make_unique<TProgramPort>(sim.Process.Device());
    ASSERT_TRUE(port->IsOpen());
    values.push_back(port->ReadUntil('\r', 2000ms));
    EXPECT_TRUE(std::regex_match(values.back(), std::regex(R"([+-]\d{3}\.\d{3}\r)")));
    port->Write("STO0\r");
    EXPECT_EQ("", port->ReadFor(150ms));  // exactly one value per reopening
  }
  port->Write("PRI\r");  // the automatic cable answers requests as well
  values.push_back(port->ReadUntil('\r'));
  EXPECT_EQ(9u, values.back().size());
  sim.Process.Signal(SIGINT);
  EXPECT_EQ(0, sim.Process.WaitForExit());
  const auto log = sim.Log();
  ASSERT_EQ(3u, log.size());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(log[i] + "\r", values[i]);
  EXPECT_NE(std::string::npos, sim.Process.Stderr().find("received STO0 for " + log[1]));
}

TEST(SimInstrument, SylvacSimplexCableIgnoresPri) {
  TSim sim({"--instrument", "sylvac", "--cable", "simplex"});
  ASSERT_TRUE(sim.Process.WaitForPort());
  TProgramPort port(sim.Process.Device());
  std::this_thread::sleep_for(100ms);
  port.Write("PRI\r");
  EXPECT_TRUE(sim.Process.WaitForStderr("received PRI, not answered"));
  EXPECT_EQ("", port.ReadFor(100ms));
}

}  // namespace
}  // namespace pzam::sim::test

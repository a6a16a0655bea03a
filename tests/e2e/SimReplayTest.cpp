// The simulator's line captured and replayed through pzam-tool replay with a fixed clock: memo
// lines, record file and trace file must equal the model byte for byte, clock column included.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "E2eFixture.h"
#include "ExpectedRun.h"
#include "RecordBytes.h"

namespace pzam::e2e {
namespace {

// Everything the simulated instrument sends until it ends, read as the program would.
std::string Capture(TSim& sim) {
  const int fd = open(sim.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  tcsetattr(fd, TCSANOW, &t);
  std::string bytes;
  while (!sim.Process().Exited()) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) > 0) {
      char buffer[4096];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
    }
    sim.Process().WaitForExit(0ms);
  }
  close(fd);
  return bytes;
}

struct TReplayCase {
  const char* name;
  std::vector<std::string> simArgs;
  int mode;
  bool swap;
  int save;
};

void PrintTo(const TReplayCase& c, std::ostream* os) {
  *os << c.name;
}

class SimReplay : public testing::TestWithParam<TReplayCase> {};

TEST_P(SimReplay, RecordsWhatTheModelComputes) {
  const auto& c = GetParam();
  TTestDirs dirs;
  TSim sim(dirs, "sim.log", c.simArgs);
  ASSERT_TRUE(sim.WaitForPort());
  const std::string capture = Capture(sim);
  ASSERT_FALSE(capture.empty());
  WriteFile(dirs.File("line.cap"), capture);

  std::vector<std::string> args{"replay",
                                "--mode",
                                std::to_string(c.mode),
                                "--save",
                                std::to_string(c.save),
                                "--batch",
                                "K7",
                                "--at",
                                "2026-12-08 09:05:03",
                                "--language",
                                "english"};
  if (c.swap) args.push_back("--sign-swap");
  args.push_back(dirs.File("line.cap"));
  TChildProcess replay({BinPath("pzam-tool"), args, dirs.Work(), {"LC_ALL=C"}});
  ASSERT_EQ(replay.WaitForExit(20s), 0) << replay.Stderr();

  TExpectedRun model(c.mode, c.swap, "K7");
  model.SentAll(sim.Sent());
  ASSERT_GE(model.Rows().size(), 5u);
  std::vector<std::string> memo;
  for (const auto& m : model.Memo()) memo.push_back(m.HasTime ? "K7 09:05:03 " + m.Text : m.Text);
  memo.push_back("Measurement ended");
  EXPECT_EQ(Lines(replay.Stdout()), memo);

  auto rows = model.Rows();
  for (auto& row : rows) row[1] = "09:05:03";
  const std::string name = "20261208_90503_K7";
  if (c.save == 1) {
    EXPECT_EQ(ReadFile(dirs.Work() + "/" + name + ".xls"),
              ExcelBytes(HeaderTexts("english"), rows));
  } else {
    EXPECT_EQ(ReadFile(dirs.Work() + "/" + name + ".csv"), CsvBytes(HeaderTexts("english"), rows));
  }
  EXPECT_EQ(ReadFile(dirs.Work() + "/debug.txt"), model.TraceFile());
}

INSTANTIATE_TEST_SUITE_P(
    Instruments, SimReplay,
    testing::Values(TReplayCase{"zam_messages_excel",
                                {"--instrument", "zam", "--interval", "0", "--count", "24",
                                 "--messages", "--seed", "11", "--sd", "0.02"},
                                0,
                                false,
                                1},
                    TReplayCase{"quorvant_swapped_text",
                                {"--instrument", "quorvant", "--interval", "5", "--count", "15",
                                 "--seed", "5", "--mean", "0.01", "--sd", "0.05"},
                                3,
                                true,
                                2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pzam::e2e

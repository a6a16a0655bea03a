// Whole runs of pzam-tool measure against pzam-sim in every operating mode and save mode: what
// the operator sees (memo lines) and what the run records, against the model.
#include <gtest/gtest.h>

#include "E2eFixture.h"
#include "ExpectedRun.h"
#include "RunCheck.h"

namespace pzam::e2e {
namespace {

constexpr char kBatch[] = "K7";

struct TModeCase {
  const char* name;
  std::vector<std::string> sim;      // pzam-sim arguments; --count is the run's value count
  std::vector<std::string> measure;  // pzam-tool measure arguments
  int mode;
  bool swap;
  int save;
  int values;
  bool takeValues;  // mode 2: one stdin line per value
};

void PrintTo(const TModeCase& c, std::ostream* os) {
  *os << c.name;
}

class MeasureModes : public testing::TestWithParam<TModeCase> {};

TEST_P(MeasureModes, ShowsAndRecordsEveryValue) {
  const auto& c = GetParam();
  TTestDirs dirs;
  auto simArgs = c.sim;
  simArgs.insert(simArgs.end(), {"--count", std::to_string(c.values)});
  TSim sim(dirs, "sim.log", simArgs);
  ASSERT_TRUE(sim.WaitForPort()) << sim.Process().Stderr();

  TRunWindow window{Now(), 0};
  auto args = c.measure;
  args.insert(args.end(), {"--mode", std::to_string(c.mode), "--save", std::to_string(c.save),
                           "--batch", kBatch, "--language", "deutsch"});
  auto measure = StartMeasure(dirs, sim.Port(), args);
  for (int k = 1; k <= c.values; ++k) {
    if (c.takeValues) {
      ASSERT_TRUE(sim.Process().WaitForStderr("port opened", 5s));
      measure->WriteStdin("\n");
    }
    ASSERT_TRUE(WaitForValues(*measure, kBatch, k, 10s)) << measure->Stdout() << measure->Stderr();
  }
  measure->WriteStdin("q\n");
  ASSERT_EQ(measure->WaitForExit(10s), 0) << measure->Stderr();
  window.End = Now();
  sim.Process().Signal(SIGTERM);
  ASSERT_EQ(sim.Process().WaitForExit(5s), 0);

  // Modes 2 and 3: every value was answered.
  if (c.mode != 0) {
    EXPECT_EQ(CountOf(sim.Process().Stderr(), "received STO0 for"), c.values);
    EXPECT_EQ(CountOf(sim.Process().Stderr(), "not acknowledged"), 0);
  }
  TExpectedRun model(c.mode, c.swap, kBatch);
  model.SentAll(sim.Sent());
  ASSERT_EQ(static_cast<int>(model.Rows().size()), c.values);

  // A simulator that ends with its last value may hang up before End.
  auto memo = Lines(measure->Stdout());
  if (memo.size() >= 2 && memo[memo.size() - 2] == kRemoved) memo.erase(memo.end() - 2);
  CheckMemo(memo, model, kBatch, window, kEnded);
  CheckFiles(dirs.Work(), model, c.save, kBatch, "deutsch", window, MemoTimes(memo, kBatch));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MeasureModes,
    testing::Values(
        // Telegrams 120 ms apart: reads often hold two of them.
        TModeCase{.name = "gauge_excel",
                  .sim = {"--instrument", "zam", "--interval", "120", "--messages", "--seed", "3"},
                  .measure = {},
                  .mode = 0,
                  .swap = false,
                  .save = 1,
                  .values = 9,
                  .takeValues = false},
        TModeCase{.name = "gauge_text",
                  .sim = {"--instrument", "zam", "--interval", "250", "--seed", "4"},
                  .measure = {},
                  .mode = 0,
                  .swap = false,
                  .save = 2,
                  .values = 4,
                  .takeValues = false},
        TModeCase{.name = "gauge_no_file",
                  .sim = {"--instrument", "zam", "--interval", "250", "--seed", "5"},
                  .measure = {},
                  .mode = 0,
                  .swap = false,
                  .save = 0,
                  .values = 3,
                  .takeValues = false},
        TModeCase{.name = "sylvac_duplex_text",
                  .sim = {"--instrument", "sylvac", "--cable", "duplex", "--seed", "6"},
                  .measure = {"--cable", "duplex"},
                  .mode = 2,
                  .swap = false,
                  .save = 2,
                  .values = 3,
                  .takeValues = true},
        TModeCase{.name = "sylvac_simplex_excel",
                  .sim = {"--instrument", "sylvac", "--cable", "simplex", "--seed", "7"},
                  .measure = {"--cable", "simplex"},
                  .mode = 2,
                  .swap = false,
                  .save = 1,
                  .values = 3,
                  .takeValues = true},
        TModeCase{.name = "quorvant_excel",
                  .sim = {"--instrument", "quorvant", "--interval", "150", "--seed", "8"},
                  .measure = {},
                  .mode = 3,
                  .swap = false,
                  .save = 1,
                  .values = 5,
                  .takeValues = false},
        TModeCase{.name = "quorvant_swapped_text",
                  .sim = {"--instrument", "quorvant", "--interval", "150", "--seed", "9", "--mean",
                          "0.002", "--sd", "0.01"},
                  .measure = {"--sign-swap"},
                  .mode = 3,
                  .swap = true,
                  .save = 2,
                  .values = 5,
                  .takeValues = false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pzam::e2e

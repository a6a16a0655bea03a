// The station's own programs in the plant: pzam-tool measure on a simulated gauge at its line
// rate, journaling every value and publishing it through a broker outage. The record file, the
// journal and the central store hold the same values with the same times.
#include <gtest/gtest.h>

#include <thread>

#include "../e2e/E2eFixture.h"
#include "PlantRig.h"
#include "plant/Journal.h"

namespace pzam::test {
namespace {

using namespace std::chrono_literals;
using e2e::Lines;
using e2e::ReadFile;

// The record file's rows: the clock text and the value of each.
std::vector<std::pair<std::string, double>> RecordRows(const std::string& path) {
  std::vector<std::pair<std::string, double>> rows;
  for (const std::string& line : Lines(ReadFile(path))) {
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t at; (at = line.find(';', from)) != std::string::npos; from = at + 1)
      cells.push_back(line.substr(from, at - from));
    if (cells.size() < 4 || cells[1] == "Uhrzeit") continue;
    rows.emplace_back(cells[1], std::stod(cells[3]));
  }
  return rows;
}

TEST(PlantStation, AMeasuredRunReachesTheStoreThroughABrokerOutage) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  e2e::TTestDirs dirs;
  const std::string journal = rig.Dir.File("line-1.sqlite");
  WriteFile(dirs.Config(),
            "[Plant]\nStation=line-1\nBroker=" + rig.Broker->Url() + "\nJournal=" + journal + "\n");
  constexpr int kValues = 1500;  // about 33 s at the gauge's line rate (46 values/s)
  e2e::TSim sim(
      dirs, "sim.log",
      {"--instrument", "quorvant", "--interval", "0", "--count", std::to_string(kValues)});
  ASSERT_TRUE(sim.WaitForPort()) << sim.Process().Stderr();
  auto measure =
      e2e::StartMeasure(dirs, sim.Port(), {"--mode", "3", "--save", "2", "--batch", "L1"});
  ASSERT_TRUE(e2e::WaitForValues(*measure, "L1", 200, 20s)) << measure->Stderr();
  rig.Broker->Stop();
  // 20 s away; the tool's output is read meanwhile, so its pipe never holds it up.
  for (const auto back = std::chrono::steady_clock::now() + 20s;
       std::chrono::steady_clock::now() < back;) {
    measure->Poll();
    sim.Process().Poll();
    std::this_thread::sleep_for(50ms);
  }
  const long storedDuringOutage = rig.StoredValues();
  ASSERT_TRUE(rig.Broker->Start());
  ASSERT_TRUE(e2e::WaitForValues(*measure, "L1", kValues, 60s))
      << e2e::ValueLines(measure->Stdout(), "L1") << " values\n"
      << measure->Stdout().substr(measure->Stdout().size() - 300) << measure->Stderr()
      << sim.Process().Stderr().substr(0, 300);
  measure->WriteStdin("q\n");
  ASSERT_EQ(0, measure->WaitForExit(20s)) << measure->Stderr();
  EXPECT_LT(storedDuringOutage, kValues) << "the outage came too late to matter";
  EXPECT_EQ(kValues, rig.WaitForStoredValues(kValues, 60s));
  rig.ExpectStoreEqualsJournals();

  // The record file and the journal: the same values in the same order, at the same clock time.
  const auto files = e2e::FilesIn(dirs.Work());
  const auto csv = std::find_if(files.begin(), files.end(),
                                [](const std::string& f) { return f.ends_with(".csv"); });
  ASSERT_NE(files.end(), csv);
  const auto rows = RecordRows(dirs.Work() + "/" + *csv);
  plant::TJournal j;
  ASSERT_EQ("", j.Open(journal));
  std::vector<plant::TRunRecord> runs;
  ASSERT_EQ("", j.ListRuns(std::nullopt, runs));
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ("line-1", runs[0].Start.Station);
  EXPECT_EQ("L1", runs[0].Start.Batch);
  EXPECT_EQ(*csv, runs[0].Start.RecordFile);
  EXPECT_EQ(kValues, runs[0].ValueCount);
  std::vector<plant::TValueRecord> values;
  ASSERT_EQ("", j.RunValues(runs[0].Start.RunId, values));
  ASSERT_EQ(rows.size(), values.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].first, values[i].Time.substr(11, 8)) << "value " << i + 1;
    ASSERT_EQ(rows[i].second, values[i].Value) << "value " << i + 1;
    ASSERT_EQ(static_cast<std::int64_t>(i + 1), values[i].Seq);
  }
}

}  // namespace
}  // namespace pzam::test

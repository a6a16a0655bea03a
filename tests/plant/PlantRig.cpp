#include "PlantRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "plant/Journal.h"

namespace pzam::test {

TPlantRig::TPlantRig(const TBrokerConfig& broker) {
  Broker = std::make_unique<TMosquitto>(Dir.File("broker"), broker);
  Pg = std::make_unique<TPostgres>(Dir.Path());
  FReady = Broker->Start() && Pg->Start();
}

std::unique_ptr<TChildProcess> TPlantRig::StartCollector(const std::vector<std::string>& extra,
                                                         const std::string& clientId) {
  std::vector<std::string> args = {"collect",      "--broker",    Broker->Url(), "--db",
                                   Pg->Conninfo(), "--client-id", clientId};
  args.insert(args.end(), extra.begin(), extra.end());
  auto p = std::make_unique<TChildProcess>(TChildCommand{ToolPath(), args, "", {}});
  p->CloseStdin();
  EXPECT_TRUE(p->WaitForStderr("subscribed", std::chrono::seconds(20))) << p->Stderr();
  return p;
}

std::unique_ptr<TChildProcess> TPlantRig::StartStations(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"--dir", Dir.Dir().string(), "--broker", Broker->Url()};
  all.insert(all.end(), args.begin(), args.end());
  auto p = std::make_unique<TChildProcess>(TChildCommand{StationProgram(), all, "", {}});
  p->CloseStdin();
  return p;
}

std::vector<std::string> TPlantRig::Journals() const {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(Dir.Dir()))
    if (e.path().extension() == ".sqlite") out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

long TPlantRig::StoredValues() const {
  const auto rows = Pg->Query(
      "SELECT count(*) FROM pg_tables WHERE schemaname = 'pzam' AND tablename = "
      "'measured_value'");
  if (rows.empty() || rows[0][0] == "0") return 0;
  const auto count = Pg->Query("SELECT count(*) FROM pzam.measured_value");
  return count.empty() ? 0 : std::stol(count[0][0]);
}

long TPlantRig::WaitForStoredValues(long count, std::chrono::seconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  long stored = StoredValues();
  while (stored < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stored = StoredValues();
  }
  return stored;
}

void TPlantRig::ExpectStoreEqualsJournals() const {
  // The store's values and runs, by run.
  std::map<std::string, std::vector<std::vector<std::string>>> stored;
  for (auto& row :
       Pg->Query("SET extra_float_digits = 3; SET TIME ZONE 'UTC';"
                 "SELECT run_id::text, seq, value, gauge_text, "
                 "to_char(measured_at, 'YYYY-MM-DD\"T\"HH24:MI:SS.MS'), coalesce(tolerance, '') "
                 "FROM pzam.measured_value ORDER BY run_id, seq"))
    stored[row[0]].push_back(row);
  std::map<std::string, std::vector<std::string>> runs;
  for (auto& row : Pg->Query("SELECT run_id::text, station, batch, coalesce(value_count, -1), "
                             "ended IS NOT NULL, started IS NOT NULL FROM pzam.run"))
    runs[row[0]] = row;

  std::size_t journaled = 0, journalRuns = 0;
  for (const std::string& path : Journals()) {
    plant::TJournal journal;
    ASSERT_EQ("", journal.Open(path, plant::TJournalSync::Normal));
    std::vector<plant::TRunRecord> list;
    ASSERT_EQ("", journal.ListRuns(std::nullopt, list));
    for (const auto& run : list) {
      const std::string& id = run.Start.RunId;
      ++journalRuns;
      SCOPED_TRACE(path + " run " + id);
      ASSERT_EQ(1u, runs.count(id)) << "run missing in the store";
      EXPECT_EQ(run.Start.Station, runs[id][1]);
      EXPECT_EQ(run.Start.Batch, runs[id][2]);
      EXPECT_EQ("t", runs[id][5]) << "start missing";
      if (run.Ended) {
        EXPECT_EQ("t", runs[id][4]) << "end missing";
        EXPECT_EQ(std::to_string(run.ValueCount), runs[id][3]);
      }
      std::vector<plant::TValueRecord> values;
      ASSERT_EQ("", journal.RunValues(id, values));
      journaled += values.size();
      const auto& rows = stored[id];
      ASSERT_EQ(values.size(), rows.size()) << "values missing or doubled";
      for (std::size_t i = 0; i < values.size(); ++i) {
        const auto& v = values[i];
        const auto& r = rows[i];
        EXPECT_EQ(std::to_string(v.Seq), r[1]);
        EXPECT_EQ(v.Value, std::stod(r[2])) << "seq " << v.Seq;
        EXPECT_EQ(v.Text, r[3]) << "seq " << v.Seq;
        EXPECT_EQ(plant::ZoneText(v.Tolerance), r[5]) << "seq " << v.Seq;
      }
    }
  }
  EXPECT_EQ(journalRuns, runs.size()) << "runs in the store that no journal has";
  std::size_t storedCount = 0;
  for (const auto& [id, rows] : stored) storedCount += rows.size();
  EXPECT_EQ(journaled, storedCount);
}

}  // namespace pzam::test

// The station's journal through the broker into PostgreSQL with real engines: what arrives equals
// what was journaled; bad messages are refused without harm; import, runs and spc agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "PlantRig.h"
#include "RawPublisher.h"
#include "support/RunTool.h"

namespace pzam::test {
namespace {

using namespace std::chrono_literals;

constexpr char kRun[] = "01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f";
constexpr char kLateRun[] = "01938a4e-5b7c-7d2e-9f10-000000000001";

std::string StartPayload(const std::string& run, const std::string& station) {
  return nlohmann::json{
      {"run_id", run}, {"station", station}, {"batch", "B-1"},
      {"mode", 0},     {"port", "COM5"},     {"record_file", "x.csv"},
      {"lsl", 9.9},    {"usl", 10.1},        {"started", "2026-12-09T21:30:05.123+01:00"}}
      .dump();
}

std::string ValuePayload(const std::string& run, int seq, const std::string& text = "+010.000") {
  return nlohmann::json{{"run_id", run},
                        {"seq", seq},
                        {"value", 10.0},
                        {"text", text},
                        {"time", "2026-12-09T21:30:06.000+01:00"}}
      .dump();
}

std::string Topic(const std::string& station, const std::string& run, const char* kind) {
  return "pzam/v1/" + station + "/run/" + run + "/" + kind;
}

TEST(PlantCollector, StationsJournalsArriveValueForValue) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  auto stations = rig.StartStations(
      {"--stations", "3", "--runs", "2", "--values", "40", "--rate", "400", "--prefix", "line"});
  ASSERT_TRUE(stations->WaitForStdout("drained", 60s)) << stations->Stderr();
  EXPECT_EQ(0, stations->WaitForExit(20s));
  EXPECT_EQ(240, rig.WaitForStoredValues(240, 30s));
  rig.ExpectStoreEqualsJournals();

  // A journal imported again changes nothing; the runs it lists are those in the store.
  const std::string journal = rig.Journals()[0];
  const auto import = RunTool("import --db '" + rig.Pg->Conninfo() + "' '" + journal + "'");
  EXPECT_EQ(0, import.Status) << import.Err;
  EXPECT_NE(std::string::npos, import.Out.find("2 runs, 80 values")) << import.Out;
  EXPECT_EQ(240, rig.StoredValues());
  rig.ExpectStoreEqualsJournals();

  // runs: beside the settings file given; one line per run; spc of a run is the same from the
  // journal and from the store.
  const std::string config = rig.Dir.File("PZAMConfig.ini");
  WriteFile(config, "");
  std::filesystem::copy_file(journal, rig.Dir.File("pzam-journal.sqlite"));
  const auto runs = RunTool("runs --config '" + config + "'");
  ASSERT_EQ(0, runs.Status) << runs.Err;
  EXPECT_EQ(2, CountOf(runs.Out, "\n")) << runs.Out;
  const std::string runId = runs.Out.substr(0, 36);
  EXPECT_NE(std::string::npos, runs.Out.find(" 40 line0 load-0\n")) << runs.Out;
  const auto fromJournal = RunTool("spc --run " + runId + " --config '" + config + "'");
  const auto fromStore = RunTool("spc --db '" + rig.Pg->Conninfo() + "' --run " + runId);
  ASSERT_EQ(0, fromJournal.Status) << fromJournal.Err;
  ASSERT_EQ(0, fromStore.Status) << fromStore.Err;
  EXPECT_EQ(fromJournal.Out, fromStore.Out);
  EXPECT_NE(std::string::npos, fromStore.Out.find("n=40\n")) << fromStore.Out;
  EXPECT_NE(std::string::npos, fromStore.Out.find("lsl=1\nusl=2\n")) << fromStore.Out;
  const auto batch =
      RunTool("spc --db '" + rig.Pg->Conninfo() + "' --batch load-1 --station line2");
  EXPECT_EQ(0, batch.Status) << batch.Err;
  EXPECT_NE(std::string::npos, batch.Out.find("n=40\nmean=3.0205\n")) << batch.Out;

  collector->Signal(SIGTERM);
  EXPECT_EQ(0, collector->WaitForExit(10s));
}

TEST(PlantCollector, BadMessagesAreRefusedAndNothingOfThemIsWritten) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  TRawPublisher raw(rig.Broker->Url(), "raw");
  ASSERT_TRUE(raw.Connected()) << raw.Failure();
  const std::string bad = "01938a4e-5b7c-7d2e-9f10-0000000000ba";
  struct {
    const char* what;  // and what the refusal says
    std::string topic, payload;
  } cases[] = {
      {"not a JSON object", Topic("st1", bad, "start"), "{\"run_id\":"},
      {"\"started\" is not an ISO 8601 time", Topic("st1", bad, "start"),
       StartPayload(bad, "st1")
           .replace(StartPayload(bad, "st1").find("2026-12-09T21:30:05"), 19,
                    "2026-12-09T21:30:05'); DROP TABLE pzam.run; --")},
      {"\"station\" differs from the topic's", Topic("st1", bad, "start"),
       StartPayload(bad, "st2")},
      {"\"run_id\" differs from the topic's", Topic("st1", bad, "value"), ValuePayload(kRun, 1)},
      {"\"seq\" is out of range", Topic("st1", bad, "value"), ValuePayload(bad, 0)},
      {"bytes is over the limit", Topic("st1", bad, "value"),
       ValuePayload(bad, 1, std::string(70000, 'x'))},
      {"\"time\" is not an ISO 8601 time", Topic("st1", bad, "value"),
       nlohmann::json{{"run_id", bad},
                      {"seq", 2},
                      {"value", 1.0},
                      {"text", "1"},
                      {"time", "2026-02-30T21:30:06Z"}}
           .dump()},
      {"not a run topic", "pzam/v1/st1/run/" + bad + "/other", ValuePayload(bad, 3)},
  };
  for (const auto& c : cases) ASSERT_TRUE(raw.Publish(c.topic, c.payload)) << c.what;

  // Good messages after them still arrive: quotes, semicolons and SQL are kept as text; a value
  // sent twice is one row; a value before its run's start leaves a placeholder run.
  const std::string text = "+010.000'; DELETE FROM pzam.measured_value; --\"";
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "start"), StartPayload(kRun, "st1")));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, 1, text)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, 1, "second copy")));
  ASSERT_TRUE(raw.Publish(Topic("st7", kLateRun, "value"), ValuePayload(kLateRun, 1)));
  ASSERT_EQ(2, rig.WaitForStoredValues(2, 20s));
  EXPECT_EQ((std::vector<std::vector<std::string>>{{kLateRun, "st7", "t"}}),
            rig.Pg->Query("SELECT run_id, station, started IS NULL FROM pzam.run WHERE run_id = '" +
                          std::string(kLateRun) + "'"));
  ASSERT_TRUE(raw.Publish(Topic("st7", kLateRun, "start"), StartPayload(kLateRun, "st7")));
  ASSERT_TRUE(raw.Publish(
      Topic("st7", kLateRun, "end"),
      nlohmann::json{{"run_id", kLateRun}, {"ended", "2026-12-09T22:00:00.000+01:00"}, {"count", 1}}
          .dump()));
  // The end is the last message: once it is there, everything before it has been handled.
  for (int i = 0; i < 100; ++i) {
    if (!rig.Pg->Query("SELECT 1 FROM pzam.run WHERE ended IS NOT NULL").empty()) break;
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_EQ((std::vector<std::vector<std::string>>{{kRun, "st1", "B-1", ""},
                                                   {kLateRun, "st7", "B-1", "1"}}),
            rig.Pg->Query("SELECT run_id, station, batch, value_count FROM pzam.run ORDER BY "
                          "run_id DESC"));
  EXPECT_EQ((std::vector<std::vector<std::string>>{{kRun, "1", text}}),
            rig.Pg->Query("SELECT run_id, seq, gauge_text FROM pzam.measured_value WHERE "
                          "run_id = '" +
                          std::string(kRun) + "'"));
  collector->Poll();
  // One line for each: its topic and its reason.
  std::istringstream lines(collector->Stderr());
  std::vector<std::string> refusals;
  for (std::string line; std::getline(lines, line);)
    if (line.find("refused") != std::string::npos) refusals.push_back(line);
  for (const auto& c : cases)
    EXPECT_EQ(1, std::count_if(refusals.begin(), refusals.end(),
                               [&](const std::string& line) {
                                 return line.find("'" + c.topic + "': ") != std::string::npos &&
                                        line.find(c.what) != std::string::npos;
                               }))
        << c.what << "\n"
        << collector->Stderr();
  EXPECT_EQ(static_cast<int>(std::size(cases)), CountOf(collector->Stderr(), "refused"));
  collector->Signal(SIGINT);
  EXPECT_EQ(0, collector->WaitForExit(10s));
}

// A row the database refuses (here a rule the plant added to the table) costs only its own
// message: the rest of its batch is written one by one.
// A part's repeat discards a value the store may already have: its second message marks the row,
// whichever of the two arrives first, in one batch or in two, and marks it only once.
TEST(PlantCollector, ADiscardMarksTheStoredValueWhicheverComesFirst) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  TRawPublisher raw(rig.Broker->Url(), "raw");
  ASSERT_TRUE(raw.Connected()) << raw.Failure();
  const auto discarded = [](int seq) {
    auto j = nlohmann::json::parse(ValuePayload(kRun, seq));
    j["discarded"] = true;
    return j.dump();
  };
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "start"), StartPayload(kRun, "st1")));
  // 1: value, then its discard; 2: the discard first; 3: never discarded; 4: discarded twice.
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, 1)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), discarded(1)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), discarded(2)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, 2)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, 3)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, 4)));
  ASSERT_EQ(4, rig.WaitForStoredValues(4, 20s));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), discarded(4)));
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), discarded(4)));
  const std::vector<std::vector<std::string>> expected = {
      {"1", "t"}, {"2", "t"}, {"3", "f"}, {"4", "t"}};
  std::vector<std::vector<std::string>> got;
  for (int i = 0; i < 100 && got != expected; ++i) {
    std::this_thread::sleep_for(100ms);
    got = rig.Pg->Query(
        "SELECT seq, coalesce(discarded, false) FROM pzam.measured_value "
        "ORDER BY seq");
  }
  EXPECT_EQ(expected, got);
  EXPECT_EQ(4, rig.StoredValues());
}

TEST(PlantCollector, ARowTheDatabaseRefusesCostsOnlyItsMessage) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  TRawPublisher raw(rig.Broker->Url(), "raw");
  ASSERT_TRUE(raw.Connected()) << raw.Failure();
  ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "start"), StartPayload(kRun, "st1")));
  ASSERT_EQ(0, rig.WaitForStoredValues(0, 1s));
  for (int i = 0; i < 50 && rig.Pg->Query("SELECT 1 FROM pzam.run").empty(); ++i)
    std::this_thread::sleep_for(100ms);
  rig.Pg->Query("ALTER TABLE pzam.measured_value ADD CONSTRAINT plant_rule CHECK (seq <> 3)");
  for (int seq = 1; seq <= 5; ++seq)
    ASSERT_TRUE(raw.Publish(Topic("st1", kRun, "value"), ValuePayload(kRun, seq)));
  EXPECT_EQ(4, rig.WaitForStoredValues(4, 20s));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"1"}, {"2"}, {"4"}, {"5"}}),
            rig.Pg->Query("SELECT seq FROM pzam.measured_value ORDER BY seq"));
  collector->Signal(SIGTERM);
  EXPECT_EQ(0, collector->WaitForExit(10s));
  EXPECT_EQ(1, CountOf(collector->Stderr(), "database refused it")) << collector->Stderr();
  EXPECT_EQ(1, CountOf(collector->Stderr(), "refused message")) << collector->Stderr();
  EXPECT_EQ(1, CountOf(collector->Stderr(), " 5 messages written")) << collector->Stderr();
}

TEST(PlantCollector, ArgumentsAndSecretsAreChecked) {
  TTempDir dir;
  WriteFile(dir.File("pw"), "secret-word\n");
  ::chmod(dir.File("pw").c_str(), 0644);
  struct {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"collect --db x", 2, "--broker and --db"},
      {"collect --broker http://h --db x", 2, "mqtt://"},
      {"collect --broker mqtt://h:0 --db x", 2, "port"},
      {"collect --broker mqtt://h --db x --shared a/b", 2, "--shared"},
      {"collect --broker mqtt://h --db x --password-file " + dir.File("pw"), 2, "mode 0600"},
      {"collect --broker mqtt://h --db x --bogus 1", 2, "unknown option"},
      {"import --db 'host=127.0.0.1 port=1 password=hunter2'", 2, "JOURNAL"},
      {"import --db 'host=127.0.0.1 port=1 password=hunter2 connect_timeout=2' " + dir.File("j"), 1,
       "cannot connect"},
      {"runs --config " + dir.File("none.ini"), 1, "no journal"},
      {"spc --run not-a-run", 2, "not a run id"},
      {"spc --db x --batch b --run 01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f", 2, "either"},
      {"spc --station s --db x --run 01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f", 2, "--station"},
  };
  for (const auto& c : cases) {
    const auto r = RunTool(c.args);
    EXPECT_EQ(c.status, r.Status) << c.args << "\n" << r.Err;
    EXPECT_NE(std::string::npos, r.Err.find(c.says)) << c.args << "\n" << r.Err;
    EXPECT_EQ(std::string::npos, (r.Out + r.Err).find("secret-word")) << c.args;
    EXPECT_EQ(std::string::npos, (r.Out + r.Err).find("hunter2")) << c.args;
  }
}

}  // namespace
}  // namespace pzam::test

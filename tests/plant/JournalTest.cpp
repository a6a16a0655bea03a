#include "plant/Journal.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>

#include "plant/JournalPath.h"
#include "platform/FileRights.h"
#include "support/TempDir.h"

namespace pzam::plant {
namespace {

TRunStart StartOf(const std::string& id, const std::string& batch = "B-1") {
  TRunStart r;
  r.RunId = id;
  r.Station = "st-1";
  r.Batch = batch;
  r.Mode = 2;
  r.Port = "COM5";
  r.RecordFile = "/data/20261209_213005_B-1.csv";
  r.Nominal = 10.0;
  r.Lsl = 9.95;
  r.Usl = 10.05;
  r.Started = "2026-12-09T21:30:05.123+01:00";
  return r;
}

TValueRecord ValueOf(const std::string& run, std::int64_t seq) {
  TValueRecord v;
  v.RunId = run;
  v.Seq = seq;
  v.Value = 10.0 + static_cast<double>(seq) / 1000;
  v.Text = "+10.00" + std::to_string(seq);
  v.Time = "2026-12-09T21:30:06.000+01:00";
  v.Tolerance = TToleranceZone::In;
  return v;
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ("", FJournal.Open(FPath)); }
  test::TTempDir FDir;
  std::string FPath = FDir.File(kJournalFileName);
  TJournal FJournal;
};

TEST_F(JournalTest, FilesAreTheOwnersOnly) {
  ASSERT_EQ("", FJournal.StartRun(StartOf("r1")));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("r1", 1)));
  for (const char* suffix : {"", "-wal", "-shm"}) {
    bool others = true;
    ASSERT_TRUE(platform::OthersMayRead(FPath + suffix, others)) << suffix;
    EXPECT_FALSE(others) << suffix;
  }
}

TEST_F(JournalTest, RunsAndValuesComeBackAsWritten) {
  // Each optional field present and absent once.
  TRunStart plain = StartOf("r1");
  plain.Nominal.reset();
  plain.Lsl.reset();
  plain.Usl.reset();
  TRunStart plan = StartOf("r2", "B-2");
  plan.PlanName = "Shaft 4711";
  plan.PartNumber = "4711-A";
  plan.PartName = "Welle \"gro\xC3\x9F\"";
  plan.Characteristics = {{"Diameter", 20.0, 19.95, 20.05, "mm", 3, 5, 3},
                          {"\xC3\x98 'inner'", std::nullopt, 9.5, std::nullopt, "", 0, 6, 2},
                          {"Runout", std::nullopt, std::nullopt, 0.02, "\xC2\xB5m", 6, 99, 0}};
  plan.Lsl.reset();
  TValueRecord none = ValueOf("r1", 1);
  none.Tolerance = TToleranceZone::None;
  none.Value = -0.5;
  none.Text = "-000.500";
  TValueRecord full = ValueOf("r2", 1);
  full.Tolerance = TToleranceZone::Above;
  full.Part = 3;
  full.PartId = "SN-'; DROP TABLE run; --";
  full.Characteristic = 2;
  full.CharacteristicName = "Ø \"outer\"";
  full.Discarded = true;
  TValueRecord below = ValueOf("r2", 2);
  below.Tolerance = TToleranceZone::Below;

  ASSERT_EQ("", FJournal.StartRun(plain));
  ASSERT_EQ("", FJournal.StartRun(plan));
  for (const auto& v : {none, full, below}) ASSERT_EQ("", FJournal.AddValue(v));
  ASSERT_EQ("", FJournal.EndRun({"r2", "2026-12-09T21:31:00.000+01:00", 2}));

  std::vector<TRunRecord> runs;
  ASSERT_EQ("", FJournal.ListRuns(std::nullopt, runs));
  ASSERT_EQ(2u, runs.size());
  struct {
    const TRunRecord& got;
    const TRunStart& want;
    std::optional<std::string> ended;
    std::int64_t count;
  } runCases[] = {{runs[0], plain, std::nullopt, 1},
                  {runs[1], plan, "2026-12-09T21:31:00.000+01:00", 2}};
  for (const auto& c : runCases) {
    SCOPED_TRACE(c.want.RunId);
    EXPECT_EQ(c.want.RunId, c.got.Start.RunId);
    EXPECT_EQ(c.want.Station, c.got.Start.Station);
    EXPECT_EQ(c.want.Batch, c.got.Start.Batch);
    EXPECT_EQ(c.want.Mode, c.got.Start.Mode);
    EXPECT_EQ(c.want.Port, c.got.Start.Port);
    EXPECT_EQ(c.want.RecordFile, c.got.Start.RecordFile);
    EXPECT_EQ(c.want.Nominal, c.got.Start.Nominal);
    EXPECT_EQ(c.want.Lsl, c.got.Start.Lsl);
    EXPECT_EQ(c.want.Usl, c.got.Start.Usl);
    EXPECT_EQ(c.want.Started, c.got.Start.Started);
    EXPECT_EQ(c.want.PlanName, c.got.Start.PlanName);
    EXPECT_EQ(c.want.PartNumber, c.got.Start.PartNumber);
    EXPECT_EQ(c.want.PartName, c.got.Start.PartName);
    EXPECT_EQ(c.want.Characteristics, c.got.Start.Characteristics);
    EXPECT_EQ(c.ended, c.got.Ended);
    EXPECT_EQ(c.count, c.got.ValueCount);
  }

  std::vector<TValueRecord> r2;
  ASSERT_EQ("", FJournal.RunValues("r2", r2));
  ASSERT_EQ(2u, r2.size());
  std::vector<TValueRecord> r1;
  ASSERT_EQ("", FJournal.RunValues("r1", r1));
  ASSERT_EQ(1u, r1.size());
  struct {
    const TValueRecord& got;
    const TValueRecord& want;
  } valueCases[] = {{r1[0], none}, {r2[0], full}, {r2[1], below}};
  for (const auto& c : valueCases) {
    SCOPED_TRACE(c.want.RunId + "/" + std::to_string(c.want.Seq));
    EXPECT_EQ(c.want.Seq, c.got.Seq);
    EXPECT_EQ(c.want.Value, c.got.Value);
    EXPECT_EQ(c.want.Text, c.got.Text);
    EXPECT_EQ(c.want.Time, c.got.Time);
    EXPECT_EQ(c.want.Tolerance, c.got.Tolerance);
    EXPECT_EQ(c.want.Part, c.got.Part);
    EXPECT_EQ(c.want.PartId, c.got.PartId);
    EXPECT_EQ(c.want.Characteristic, c.got.Characteristic);
    EXPECT_EQ(c.want.CharacteristicName, c.got.CharacteristicName);
    EXPECT_EQ(c.want.Discarded, c.got.Discarded);
  }

  ASSERT_EQ("", FJournal.ListRuns(std::string("B-2"), runs));
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ("r2", runs[0].Start.RunId);
  EXPECT_EQ(plan.Characteristics, runs[0].Start.Characteristics);
  std::optional<TRunRecord> found;
  ASSERT_EQ("", FJournal.FindRun("r2", found));
  ASSERT_TRUE(found);
  EXPECT_EQ(plan.PartName, found->Start.PartName);
  EXPECT_EQ(plan.Characteristics, found->Start.Characteristics);
  ASSERT_EQ("", FJournal.ListRuns(std::string("b-2"), runs));
  EXPECT_TRUE(runs.empty());  // a batch is matched exactly
}

TEST_F(JournalTest, WritesThatBreakTheRunAreRefused) {
  ASSERT_EQ("", FJournal.StartRun(StartOf("open")));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("open", 1)));
  ASSERT_EQ("", FJournal.StartRun(StartOf("closed")));
  ASSERT_EQ("", FJournal.EndRun({"closed", "2026-12-09T21:31:00.000+01:00", 0}));
  struct {
    const char* what;
    std::function<std::string()> write;
  } cases[] = {
      {"a second start of a run", [&] { return FJournal.StartRun(StartOf("open")); }},
      {"a value of an unknown run", [&] { return FJournal.AddValue(ValueOf("nope", 1)); }},
      {"a value after the end", [&] { return FJournal.AddValue(ValueOf("closed", 1)); }},
      {"a seq taken twice", [&] { return FJournal.AddValue(ValueOf("open", 1)); }},
      {"a seq of 0", [&] { return FJournal.AddValue(ValueOf("open", 0)); }},
      {"a second end",
       [&] {
         return FJournal.EndRun({"closed", "x", 0});
       }},
      {"an end of an unknown run",
       [&] {
         return FJournal.EndRun({"nope", "x", 0});
       }},
  };
  for (const auto& c : cases) EXPECT_NE("", c.write()) << c.what;
  // Nothing of the refused writes is left behind, in the tables or the outbox.
  std::vector<TValueRecord> values;
  ASSERT_EQ("", FJournal.RunValues("open", values));
  EXPECT_EQ(1u, values.size());
  std::vector<TOutboxEntry> entries;
  ASSERT_EQ("", FJournal.Unpublished(0, 100, entries));
  EXPECT_EQ(4u, entries.size());
  std::optional<TRunRecord> open;
  ASSERT_EQ("", FJournal.FindRun("open", open));
  ASSERT_TRUE(open);
  EXPECT_EQ(1, open->ValueCount);
  EXPECT_FALSE(open->Ended);
}

TEST_F(JournalTest, OutboxGivesEveryEventOnceInOrderUntilMarked) {
  ASSERT_EQ("", FJournal.StartRun(StartOf("a")));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("a", 1)));
  ASSERT_EQ("", FJournal.StartRun(StartOf("b")));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("b", 1)));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("a", 2)));
  ASSERT_EQ("", FJournal.EndRun({"a", "2026-12-09T21:31:00.000+01:00", 2}));

  // The publisher's own connection, as it runs on its thread.
  TJournal publisher;
  ASSERT_EQ("", publisher.Open(FPath, TJournalSync::Normal));
  std::int64_t waiting = -1;
  ASSERT_EQ("", publisher.WaitingValues(waiting));
  EXPECT_EQ(3, waiting);

  struct {
    TOutboxKind kind;
    const char* run;
    std::int64_t seq;
  } expected[] = {{TOutboxKind::Start, "a", 0}, {TOutboxKind::Value, "a", 1},
                  {TOutboxKind::Start, "b", 0}, {TOutboxKind::Value, "b", 1},
                  {TOutboxKind::Value, "a", 2}, {TOutboxKind::End, "a", 0}};
  std::vector<TOutboxEntry> all;
  for (std::int64_t after = 0;;) {  // pages of two
    std::vector<TOutboxEntry> page;
    ASSERT_EQ("", publisher.Unpublished(after, 2, page));
    if (page.empty()) break;
    after = page.back().Id;
    all.insert(all.end(), page.begin(), page.end());
  }
  ASSERT_EQ(std::size(expected), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].kind, all[i].Kind);
    EXPECT_EQ(expected[i].run, all[i].Run.Start.RunId);
    if (i > 0) {
      EXPECT_LT(all[i - 1].Id, all[i].Id);
    }
    if (expected[i].kind == TOutboxKind::Value) {
      EXPECT_EQ(expected[i].seq, all[i].Value.Seq);
    }
  }
  EXPECT_EQ("2026-12-09T21:31:00.000+01:00", all[5].Run.Ended.value_or(""));
  EXPECT_EQ(2, all[5].Run.ValueCount);

  // Marks in any order; what is marked is not given again.
  ASSERT_EQ("", publisher.MarkPublished({all[1].Id, all[0].Id, all[4].Id}));
  std::vector<TOutboxEntry> rest;
  ASSERT_EQ("", FJournal.Unpublished(0, 100, rest));
  ASSERT_EQ(3u, rest.size());
  EXPECT_EQ(all[2].Id, rest[0].Id);
  EXPECT_EQ(all[3].Id, rest[1].Id);
  EXPECT_EQ(all[5].Id, rest[2].Id);
  ASSERT_EQ("", publisher.WaitingValues(waiting));
  EXPECT_EQ(1, waiting);

  // The marks and the values survive closing and opening again.
  FJournal.Close();
  publisher.Close();
  ASSERT_EQ("", FJournal.Open(FPath));
  ASSERT_EQ("", FJournal.Unpublished(0, 100, rest));
  EXPECT_EQ(3u, rest.size());
}

// A repeat's discard: the value stays, marked, and goes out once more so marked; only a value of
// an open run, and only once.
TEST_F(JournalTest, ADiscardedValueStaysMarkedAndIsPublishedAgain) {
  ASSERT_EQ("", FJournal.StartRun(StartOf("a")));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("a", 1)));
  ASSERT_EQ("", FJournal.AddValue(ValueOf("a", 2)));
  ASSERT_EQ("", FJournal.DiscardValue("a", 2));
  struct {
    const char* run;
    std::int64_t seq;
  } refused[] = {{"a", 2}, {"a", 3}, {"b", 1}};
  for (const auto& r : refused) EXPECT_NE("", FJournal.DiscardValue(r.run, r.seq)) << r.seq;

  std::vector<TOutboxEntry> out;
  ASSERT_EQ("", FJournal.Unpublished(0, 100, out));
  ASSERT_EQ(4u, out.size());  // start, 1, 2, 2 again
  EXPECT_EQ(2, out[3].Value.Seq);
  EXPECT_TRUE(out[3].Value.Discarded);
  EXPECT_TRUE(out[2].Value.Discarded) << "an entry gives the value as it is now";
  std::vector<TValueRecord> values;
  ASSERT_EQ("", FJournal.RunValues("a", values));
  ASSERT_EQ(2u, values.size());
  EXPECT_FALSE(values[0].Discarded);
  EXPECT_TRUE(values[1].Discarded);

  ASSERT_EQ("", FJournal.EndRun({"a", "2026-12-09T21:31:00.000+01:00", 1}));
  EXPECT_NE("", FJournal.DiscardValue("a", 1)) << "the run has ended";
}

// The publisher counts and reads on its own connection while the writer adds values: each read
// sees what was committed before it (no read may keep an old snapshot open).
TEST_F(JournalTest, TheOtherConnectionSeesEachCommitAtOnce) {
  TJournal publisher;
  ASSERT_EQ("", publisher.Open(FPath, TJournalSync::Normal));
  ASSERT_EQ("", FJournal.StartRun(StartOf("r")));
  std::optional<TRunRecord> run;
  for (std::int64_t seq = 1; seq <= 3; ++seq) {
    std::int64_t waiting = -1;
    ASSERT_EQ("", publisher.WaitingValues(waiting));
    ASSERT_EQ("", publisher.FindRun("r", run));
    ASSERT_EQ("", FJournal.AddValue(ValueOf("r", seq)));
    std::vector<TOutboxEntry> entries;
    ASSERT_EQ("", publisher.Unpublished(0, 100, entries));
    EXPECT_EQ(static_cast<std::size_t>(seq + 1), entries.size()) << seq;
    ASSERT_EQ("", publisher.WaitingValues(waiting));
    EXPECT_EQ(seq, waiting);
    ASSERT_EQ("", publisher.FindRun("r", run));
    EXPECT_EQ(seq, run->ValueCount);
  }
}

// The tables as the first journals made them (user_version 1), with a run of each kind, values
// and one published entry.
constexpr char kVersion1[] = R"sql(
PRAGMA journal_mode = WAL;
CREATE TABLE IF NOT EXISTS run (
  run_id      TEXT PRIMARY KEY NOT NULL,
  station     TEXT NOT NULL,
  batch       TEXT NOT NULL,
  mode        INTEGER NOT NULL,
  port        TEXT NOT NULL,
  record_file TEXT NOT NULL,
  nominal     REAL,
  lsl         REAL,
  usl         REAL,
  started     TEXT NOT NULL,
  ended       TEXT,
  value_count INTEGER NOT NULL DEFAULT 0,
  plan_name   TEXT,
  part_number TEXT
);
CREATE INDEX IF NOT EXISTS run_batch ON run (batch);
CREATE TABLE IF NOT EXISTS measured_value (
  run_id              TEXT NOT NULL REFERENCES run (run_id),
  seq                 INTEGER NOT NULL CHECK (seq >= 1),
  value               REAL NOT NULL,
  text                TEXT NOT NULL,
  time                TEXT NOT NULL,
  tolerance           TEXT CHECK (tolerance IN ('in', 'below', 'above')),
  part                INTEGER,
  part_id             TEXT,
  characteristic      INTEGER,
  characteristic_name TEXT,
  discarded           INTEGER CHECK (discarded IN (0, 1)),
  PRIMARY KEY (run_id, seq)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS outbox (
  id        INTEGER PRIMARY KEY,
  kind      INTEGER NOT NULL CHECK (kind IN (0, 1, 2)),
  run_id    TEXT NOT NULL REFERENCES run (run_id),
  seq       INTEGER,
  published INTEGER NOT NULL DEFAULT 0 CHECK (published IN (0, 1))
);
CREATE INDEX IF NOT EXISTS outbox_waiting ON outbox (id) WHERE published = 0;
PRAGMA user_version = 1;
)sql";

constexpr char kVersion1Rows[] = R"sql(
INSERT INTO run VALUES ('old-plain', 'st-1', 'B-1', 2, 'COM5', 'a.csv', 10.0, 9.95, 10.05,
  '2026-12-01T08:00:00.000+01:00', '2026-12-01T08:10:00.000+01:00', 1, NULL, NULL);
INSERT INTO run VALUES ('old-plan', 'st-1', 'B-2', 3, 'COM6', 'b_1.csv', NULL, NULL, NULL,
  '2026-12-01T09:00:00.000+01:00', NULL, 2, 'Shaft', '4711-01');
INSERT INTO measured_value VALUES ('old-plain', 1, 10.01, '+10.010', '2026-12-01T08:00:01.000+01:00',
  'in', NULL, NULL, 1, NULL, 0);
INSERT INTO measured_value VALUES ('old-plan', 1, 20.01, '+020.010', '2026-12-01T09:00:01.000+01:00',
  NULL, 1, 'A1', 1, 'Diameter', 0);
INSERT INTO measured_value VALUES ('old-plan', 2, 80.0, '+080.000', '2026-12-01T09:00:02.000+01:00',
  NULL, 1, 'A1', 2, 'Length', 1);
INSERT INTO outbox (kind, run_id, seq, published) VALUES (0, 'old-plain', NULL, 1),
  (1, 'old-plain', 1, 0), (2, 'old-plain', NULL, 0), (0, 'old-plan', NULL, 0),
  (1, 'old-plan', 1, 0), (1, 'old-plan', 2, 0);
)sql";

std::int64_t UserVersion(const std::string& path) {
  sqlite3* db = nullptr;
  std::int64_t version = -1;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      version = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
  }
  sqlite3_close_v2(db);
  return version;
}

std::string Exec(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  char* message = nullptr;
  std::string error;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
          SQLITE_OK ||
      sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK)
    error = message != nullptr ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  sqlite3_close_v2(db);
  return error;
}

// A journal of version 1 opens, is upgraded in place and keeps every run, value and mark; so does
// one that an older program opened again after the upgrade (its schema text sets user_version
// back to 1 and finds the new column already there).
TEST(JournalUpgrade, AVersion1JournalKeepsAllItHolds) {
  const struct {
    const char* What;
    bool OpenedByOlderProgram;
  } cases[] = {{"version 1", false}, {"upgraded, then opened by an older program", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    test::TTempDir dir;
    const std::string path = dir.File(kJournalFileName);
    ASSERT_EQ("", Exec(path, kVersion1));
    ASSERT_EQ("", Exec(path, kVersion1Rows));
    if (c.OpenedByOlderProgram) {
      TJournal first;
      ASSERT_EQ("", first.Open(path));
      first.Close();
      ASSERT_EQ("", Exec(path, kVersion1));
      ASSERT_EQ(1, UserVersion(path));
    }
    TJournal j;
    ASSERT_EQ("", j.Open(path));
    EXPECT_EQ(2, UserVersion(path));

    std::vector<TRunRecord> runs;
    ASSERT_EQ("", j.ListRuns(std::nullopt, runs));
    ASSERT_EQ(2u, runs.size());
    const struct {
      const char* Id;
      std::optional<std::string> PlanName, PartNumber, Ended;
      std::optional<double> Usl;
      std::int64_t Count;
      std::size_t Values;
    } runCases[] = {
        {"old-plain", std::nullopt, std::nullopt, "2026-12-01T08:10:00.000+01:00", 10.05, 1, 1},
        {"old-plan", "Shaft", "4711-01", std::nullopt, std::nullopt, 2, 2}};
    for (std::size_t i = 0; i < std::size(runCases); ++i) {
      const auto& want = runCases[i];
      const TRunRecord& got = runs[i];
      SCOPED_TRACE(want.Id);
      EXPECT_EQ(want.Id, got.Start.RunId);
      EXPECT_EQ(want.PlanName, got.Start.PlanName);
      EXPECT_EQ(want.PartNumber, got.Start.PartNumber);
      EXPECT_EQ(want.Ended, got.Ended);
      EXPECT_EQ(want.Usl, got.Start.Usl);
      EXPECT_EQ(want.Count, got.ValueCount);
      EXPECT_FALSE(got.Start.PartName) << "no part name before the upgrade";
      EXPECT_TRUE(got.Start.Characteristics.empty());
      std::vector<TValueRecord> values;
      ASSERT_EQ("", j.RunValues(want.Id, values));
      EXPECT_EQ(want.Values, values.size());
    }
    std::vector<TValueRecord> plan;
    ASSERT_EQ("", j.RunValues("old-plan", plan));
    ASSERT_EQ(2u, plan.size());
    EXPECT_EQ(std::optional<std::string>("A1"), plan[1].PartId);
    EXPECT_EQ(2, plan[1].Characteristic);
    EXPECT_TRUE(plan[1].Discarded);

    // The published start stays published; the rest waits, in order, its runs readable.
    std::vector<TOutboxEntry> waiting;
    ASSERT_EQ("", j.Unpublished(0, 100, waiting));
    ASSERT_EQ(5u, waiting.size());
    EXPECT_EQ(TOutboxKind::Value, waiting[0].Kind);
    EXPECT_EQ("old-plain", waiting[0].Run.Start.RunId);
    EXPECT_EQ("+10.010", waiting[0].Value.Text);
    EXPECT_EQ("+080.000", waiting[4].Value.Text);
    EXPECT_EQ(std::optional<std::string>("4711-01"), waiting[4].Run.Start.PartNumber);

    // The open plan run goes on; a new one keeps its part name and characteristics.
    TValueRecord more = ValueOf("old-plan", 3);
    ASSERT_EQ("", j.AddValue(more));
    TRunStart next = StartOf("new-plan");
    next.PlanName = "Shaft";
    next.PartName = "Drive shaft";
    next.Characteristics = {{"Diameter", 20.0, 19.95, 20.05, "mm", 3, 5, 3}};
    ASSERT_EQ("", j.StartRun(next));
    j.Close();
    ASSERT_EQ("", j.Open(path));
    std::optional<TRunRecord> found;
    ASSERT_EQ("", j.FindRun("new-plan", found));
    ASSERT_TRUE(found);
    EXPECT_EQ(next.PartName, found->Start.PartName);
    EXPECT_EQ(next.Characteristics, found->Start.Characteristics);
    ASSERT_EQ("", j.FindRun("old-plan", found));
    ASSERT_TRUE(found);
    EXPECT_EQ(3, found->ValueCount);
  }
}

TEST(JournalOpen, RefusesWhatIsNoJournal) {
  test::TTempDir dir;
  test::WriteFile(dir.File("text.sqlite"), "this is not a database file at all, just text\n");
  std::filesystem::create_directory(dir.File("folder"));
  for (const std::string& path :
       {dir.File("text.sqlite"), dir.File("folder"), dir.File("missing/pzam-journal.sqlite")}) {
    TJournal journal;
    EXPECT_NE("", journal.Open(path)) << path;
    EXPECT_FALSE(journal.IsOpen()) << path;
    EXPECT_NE("", journal.AddValue(ValueOf("r", 1))) << path;
  }
}

TEST(JournalPath, BesideTheSettingsFile) {
  struct {
    const char* settings;
    const char* journal;
  } cases[] = {{"/opt/pzam/PZAMConfig.ini", "/opt/pzam/pzam-journal.sqlite"},
               {"/home/u/.config/pzam/PZAMConfig.ini", "/home/u/.config/pzam/pzam-journal.sqlite"},
               {"PZAMConfig.ini", "pzam-journal.sqlite"},
               {"C:\\PZAM\\PZAMConfig.ini", "C:\\PZAM\\pzam-journal.sqlite"},
               {"/etc/other.ini", "/etc/pzam-journal.sqlite"}};
  for (const auto& c : cases) EXPECT_EQ(c.journal, JournalPathFor(c.settings)) << c.settings;
}

}  // namespace
}  // namespace pzam::plant

#include "plant/Journal.h"

#include <gtest/gtest.h>

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

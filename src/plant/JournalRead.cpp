// The journal's reading half: runs, a run's values, the outbox and its marks.
#include <sqlite3.h>

#include "plant/Journal.h"
#include "plant/JournalStatements.h"

namespace pzam::plant {

TRunRecord ReadRun(const TSqliteStatement& s, int c) {
  TRunRecord r;
  r.Start.RunId = s.Text(c);
  r.Start.Station = s.Text(c + 1);
  r.Start.Batch = s.Text(c + 2);
  r.Start.Mode = static_cast<int>(s.Int(c + 3));
  r.Start.Port = s.Text(c + 4);
  r.Start.RecordFile = s.Text(c + 5);
  r.Start.Nominal = s.OptReal(c + 6);
  r.Start.Lsl = s.OptReal(c + 7);
  r.Start.Usl = s.OptReal(c + 8);
  r.Start.Started = s.Text(c + 9);
  r.Start.PlanName = s.OptText(c + 10);
  r.Start.PartNumber = s.OptText(c + 11);
  r.Ended = s.OptText(c + 12);
  r.ValueCount = s.Int(c + 13);
  r.Start.PartName = s.OptText(c + 14);
  return r;
}

TValueRecord ReadValue(const TSqliteStatement& s, int c) {
  TValueRecord v;
  v.RunId = s.Text(c);
  v.Seq = s.Int(c + 1);
  v.Value = s.Real(c + 2);
  v.Text = s.Text(c + 3);
  v.Time = s.Text(c + 4);
  if (!ZoneFromText(s.Text(c + 5), v.Tolerance)) v.Tolerance = TToleranceZone::None;
  v.Part = s.OptInt(c + 6);
  v.PartId = s.OptText(c + 7);
  v.Characteristic = s.IsNull(c + 8) ? 1 : s.Int(c + 8);
  v.CharacteristicName = s.OptText(c + 9);
  v.Discarded = s.Int(c + 10) != 0;
  return v;
}

std::string TJournal::ListRuns(const std::optional<std::string>& batch,
                               std::vector<TRunRecord>& runs) {
  runs.clear();
  if (!IsOpen()) return Failure("cannot list runs");
  auto& s = batch ? FSql->ListBatch : FSql->ListRuns;
  s.Reset();
  if (batch) s.Bind(1, *batch);
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) runs.push_back(ReadRun(s, 0));
  if (rc != SQLITE_DONE) return Failure("cannot list runs");
  for (TRunRecord& r : runs) {
    if (std::string error = ReadCharacteristics(r.Start); !error.empty()) return error;
  }
  return {};
}

std::string TJournal::FindRun(const std::string& runId, std::optional<TRunRecord>& run) {
  run.reset();
  if (!IsOpen()) return Failure("cannot read run");
  auto& s = FSql->FindRun;
  s.Reset();
  s.Bind(1, runId);
  const int rc = s.Step();
  if (rc == SQLITE_ROW) run = ReadRun(s, 0);
  s.Reset();  // ends the read: a statement left on its row would keep its snapshot
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Failure("cannot read run " + runId);
  if (run) return ReadCharacteristics(run->Start);
  return {};
}

std::string TJournal::ReadCharacteristics(TRunStart& run) {
  run.Characteristics.clear();
  auto& s = FSql->RunCharacteristics;
  s.Reset();
  s.Bind(1, run.RunId);
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) {
    TCharacteristicRecord c;
    c.Name = s.Text(0);
    c.Nominal = s.OptReal(1);
    c.Lsl = s.OptReal(2);
    c.Usl = s.OptReal(3);
    c.Unit = s.Text(4);
    c.Decimals = static_cast<int>(s.Int(5));
    c.Port = static_cast<int>(s.Int(6));
    c.Mode = static_cast<int>(s.Int(7));
    run.Characteristics.push_back(std::move(c));
  }
  if (rc != SQLITE_DONE) return Failure("cannot read the characteristics of run " + run.RunId);
  return {};
}

std::string TJournal::RunValues(const std::string& runId, std::vector<TValueRecord>& values) {
  values.clear();
  if (!IsOpen()) return Failure("cannot read values");
  auto& s = FSql->RunValues;
  s.Reset();
  s.Bind(1, runId);
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) values.push_back(ReadValue(s, 0));
  if (rc != SQLITE_DONE) return Failure("cannot read the values of run " + runId);
  return {};
}

std::string TJournal::Unpublished(std::int64_t afterId, int limit,
                                  std::vector<TOutboxEntry>& entries) {
  entries.clear();
  if (!IsOpen()) return Failure("cannot read the outbox");
  auto& s = FSql->Unpublished;
  s.Reset();
  s.Bind(1, afterId);
  s.Bind(2, static_cast<std::int64_t>(limit));
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) {
    TOutboxEntry e;
    e.Id = s.Int(0);
    e.Kind = static_cast<TOutboxKind>(s.Int(1));
    // The run without its characteristics: its messages carry none.
    e.Run = ReadRun(s, 2);
    if (e.Kind == TOutboxKind::Value) e.Value = ReadValue(s, 2 + kRunColumnCount);
    entries.push_back(std::move(e));
  }
  if (rc != SQLITE_DONE) return Failure("cannot read the outbox");
  return {};
}

std::string TJournal::MarkPublished(const std::vector<std::int64_t>& ids) {
  if (ids.empty()) return {};
  if (!IsOpen()) return Failure("cannot mark entries published");
  TSqliteTransaction tx(FDb);
  if (!tx.Begun()) return Failure("cannot mark entries published");
  auto& s = FSql->MarkPublished;
  for (std::int64_t id : ids) {
    s.Reset();
    s.Bind(1, id);
    if (s.Step() != SQLITE_DONE) return Failure("cannot mark entries published");
  }
  if (!tx.Commit()) return Failure("cannot mark entries published");
  return {};
}

std::string TJournal::WaitingValues(std::int64_t& count) {
  return CountUnpublished(FSql->Waiting, count);
}

std::string TJournal::PendingEntries(std::int64_t& count) {
  return CountUnpublished(FSql->Pending, count);
}

std::string TJournal::CountUnpublished(TSqliteStatement& s, std::int64_t& count) {
  count = 0;
  if (!IsOpen()) return Failure("cannot count waiting values");
  s.Reset();
  if (s.Step() != SQLITE_ROW) return Failure("cannot count waiting values");
  count = s.Int(0);
  s.Reset();  // ends the read: a statement left on its row would keep its snapshot
  return {};
}

}  // namespace pzam::plant

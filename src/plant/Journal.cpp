#include "plant/Journal.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "plant/JournalStatements.h"
#include "plant/PrivateFile.h"
#include "platform/FileRights.h"
#include "platform/Files.h"
#include "platform/SystemErrors.h"

namespace pzam::plant {

namespace {

struct TStatementText {
  TSqliteStatement TJournalStatements::*Member;
  const char* Sql;
};

// Every statement of the journal, prepared once at Open.
const TStatementText kStatements[] = {
    {&TJournalStatements::InsertRun,
     "INSERT INTO run (run_id, station, batch, mode, port, record_file, nominal, lsl, usl, "
     "started, plan_name, part_number, part_name) "
     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)"},
    {&TJournalStatements::InsertCharacteristic,
     "INSERT INTO run_characteristic (run_id, characteristic, name, nominal, lsl, usl, unit, "
     "decimals, port, mode) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"},
    {&TJournalStatements::InsertValue,
     "INSERT INTO measured_value (run_id, seq, value, text, time, tolerance, part, part_id, "
     "characteristic, characteristic_name, discarded) "
     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"},
    {&TJournalStatements::DiscardValue,
     "UPDATE measured_value SET discarded = 1 WHERE run_id = ?1 AND seq = ?2 AND "
     "discarded IS NOT 1 AND EXISTS (SELECT 1 FROM run WHERE run_id = ?1 AND ended IS NULL)"},
    {&TJournalStatements::CountValue,
     "UPDATE run SET value_count = value_count + 1 WHERE run_id = ?1 AND ended IS NULL"},
    {&TJournalStatements::EndRun,
     "UPDATE run SET ended = ?2, value_count = ?3 WHERE run_id = ?1 AND ended IS NULL"},
    {&TJournalStatements::InsertOutbox,
     "INSERT INTO outbox (kind, run_id, seq) VALUES (?1, ?2, ?3)"},
    {&TJournalStatements::ListRuns,
     "SELECT " PZAM_RUN_COLUMNS " FROM run r ORDER BY r.started, r.rowid"},
    {&TJournalStatements::ListBatch,
     "SELECT " PZAM_RUN_COLUMNS " FROM run r WHERE r.batch = ?1 ORDER BY r.started, r.rowid"},
    {&TJournalStatements::FindRun, "SELECT " PZAM_RUN_COLUMNS " FROM run r WHERE r.run_id = ?1"},
    {&TJournalStatements::RunValues,
     "SELECT " PZAM_VALUE_COLUMNS " FROM measured_value v WHERE v.run_id = ?1 ORDER BY v.seq"},
    {&TJournalStatements::RunCharacteristics,
     "SELECT name, nominal, lsl, usl, unit, decimals, port, mode FROM run_characteristic "
     "WHERE run_id = ?1 ORDER BY characteristic"},
    {&TJournalStatements::Unpublished,
     "SELECT o.id, o.kind, " PZAM_RUN_COLUMNS ", " PZAM_VALUE_COLUMNS
     " FROM outbox o JOIN run r ON r.run_id = o.run_id"
     " LEFT JOIN measured_value v ON o.kind = 1 AND v.run_id = o.run_id AND v.seq = o.seq"
     " WHERE o.published = 0 AND o.id > ?1 ORDER BY o.id LIMIT ?2"},
    {&TJournalStatements::MarkPublished, "UPDATE outbox SET published = 1 WHERE id = ?1"},
    {&TJournalStatements::Waiting, "SELECT count(*) FROM outbox WHERE published = 0 AND kind = 1"},
    {&TJournalStatements::Pending, "SELECT count(*) FROM outbox WHERE published = 0"},
};

// Makes the tables that are missing and brings a journal of an earlier version up to this one, in
// one transaction: a second connection opening the file at the same time waits and then finds it
// done. Nothing is dropped or rewritten; a version above this one is left as it is. "" on
// success, else SQLite's reason (taken before the rollback, which clears it).
std::string SetUpSchema(sqlite3* db) {
  const auto failed = [db] { return std::string(sqlite3_errmsg(db)); };
  TSqliteTransaction tx(db);
  if (!tx.Begun() || sqlite3_exec(db, kJournalSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
    return failed();
  TSqliteStatement has;
  if (!has.Prepare(db, kHasPartName) || has.Step() != SQLITE_ROW) return failed();
  const bool hasPartName = has.Int(0) > 0;
  has.Reset();
  if (!hasPartName && sqlite3_exec(db, kAddPartName, nullptr, nullptr, nullptr) != SQLITE_OK)
    return failed();
  TSqliteStatement version;
  if (!version.Prepare(db, "PRAGMA user_version") || version.Step() != SQLITE_ROW) return failed();
  const std::int64_t was = version.Int(0);
  version.Reset();
  const std::string set = "PRAGMA user_version = " + std::to_string(kJournalVersion);
  if (was < kJournalVersion &&
      sqlite3_exec(db, set.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    return failed();
  if (!tx.Commit()) return failed();
  return {};
}

}  // namespace

TJournal::TJournal() = default;

TJournal::~TJournal() {
  Close();
}

void TJournal::Close() {
  FSql.reset();
  if (FDb != nullptr) sqlite3_close_v2(FDb);
  FDb = nullptr;
}

std::string TJournal::Failure(const std::string& what) const {
  return what + ": " + (FDb != nullptr ? sqlite3_errmsg(FDb) : "journal not open");
}

std::string TJournal::Open(const std::string& path, TJournalSync sync) {
  Close();
  std::string error;
  if (!CreatePrivateFile(path, error)) return error;
  if (sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    error = Failure("cannot open journal '" + path + "'");
    Close();
    return error;
  }
  // The writer and the publisher share the file: a short wait in small steps when the other holds
  // the write lock (SQLite's own waits grow to 100 ms, which a value on its way would feel).
  sqlite3_busy_handler(
      FDb,
      [](void*, int attempts) {
        if (attempts >= 50000) return 0;  // about 10 s
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return 1;
      },
      nullptr);
  const std::string pragmas =
      std::string("PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON;") +
      (sync == TJournalSync::Full ? "PRAGMA synchronous = FULL;" : "PRAGMA synchronous = NORMAL;");
  if (sqlite3_exec(FDb, pragmas.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    error = Failure("cannot set up journal '" + path + "'");
    Close();
    return error;
  }
  if (const std::string reason = SetUpSchema(FDb); !reason.empty()) {
    error = "cannot set up journal '" + path + "': " + reason;
    Close();
    return error;
  }
  // SQLite has made the -wal and -shm files by now. On POSIX they get the journal's mode; on
  // Windows they would keep the folder's rights: they get the journal's own (the schema is all
  // they held before).
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::string side = path + suffix;
    if (platform::EntryKind(side) == platform::TEntryKind::File &&
        !platform::CopyRights(path, side)) {
      error = "cannot make '" + side + "' private: " + platform::SystemErrorText(errno);
      Close();
      return error;
    }
  }
  FSql = std::make_unique<TJournalStatements>();
  for (const auto& s : kStatements) {
    if (!((*FSql).*(s.Member)).Prepare(FDb, s.Sql)) {
      error = Failure("cannot prepare the journal's statements");
      Close();
      return error;
    }
  }
  return {};
}

std::string TJournal::StartRun(const TRunStart& run) {
  if (!IsOpen()) return Failure("cannot start run");
  TSqliteTransaction tx(FDb);
  if (!tx.Begun()) return Failure("cannot start run");
  auto& s = FSql->InsertRun;
  s.Reset();
  s.Bind(1, run.RunId);
  s.Bind(2, run.Station);
  s.Bind(3, run.Batch);
  s.Bind(4, static_cast<std::int64_t>(run.Mode));
  s.Bind(5, run.Port);
  s.Bind(6, run.RecordFile);
  s.Bind(7, run.Nominal);
  s.Bind(8, run.Lsl);
  s.Bind(9, run.Usl);
  s.Bind(10, run.Started);
  s.Bind(11, run.PlanName);
  s.Bind(12, run.PartNumber);
  s.Bind(13, run.PartName);
  if (s.Step() != SQLITE_DONE) return Failure("cannot start run " + run.RunId);
  auto& c = FSql->InsertCharacteristic;
  for (std::size_t i = 0; i < run.Characteristics.size(); ++i) {
    const TCharacteristicRecord& ch = run.Characteristics[i];
    c.Reset();
    c.Bind(1, run.RunId);
    c.Bind(2, static_cast<std::int64_t>(i + 1));
    c.Bind(3, ch.Name);
    c.Bind(4, ch.Nominal);
    c.Bind(5, ch.Lsl);
    c.Bind(6, ch.Usl);
    c.Bind(7, ch.Unit);
    c.Bind(8, static_cast<std::int64_t>(ch.Decimals));
    c.Bind(9, static_cast<std::int64_t>(ch.Port));
    c.Bind(10, static_cast<std::int64_t>(ch.Mode));
    if (c.Step() != SQLITE_DONE) return Failure("cannot start run " + run.RunId);
  }
  auto& o = FSql->InsertOutbox;
  o.Reset();
  o.Bind(1, static_cast<std::int64_t>(TOutboxKind::Start));
  o.Bind(2, run.RunId);
  if (o.Step() != SQLITE_DONE || !tx.Commit()) return Failure("cannot start run " + run.RunId);
  return {};
}

std::string TJournal::AddValue(const TValueRecord& v) {
  if (!IsOpen()) return Failure("cannot add value");
  const std::string what = "cannot add value " + std::to_string(v.Seq) + " of run " + v.RunId;
  TSqliteTransaction tx(FDb);
  if (!tx.Begun()) return Failure(what);
  auto& s = FSql->InsertValue;
  s.Reset();
  s.Bind(1, v.RunId);
  s.Bind(2, v.Seq);
  s.Bind(3, v.Value);
  s.Bind(4, v.Text);
  s.Bind(5, v.Time);
  if (v.Tolerance != TToleranceZone::None) s.Bind(6, std::string(ZoneText(v.Tolerance)));
  s.Bind(7, v.Part);
  s.Bind(8, v.PartId);
  s.Bind(9, v.Characteristic);
  s.Bind(10, v.CharacteristicName);
  s.Bind(11, static_cast<std::int64_t>(v.Discarded ? 1 : 0));
  if (s.Step() != SQLITE_DONE) return Failure(what);
  auto& c = FSql->CountValue;
  c.Reset();
  c.Bind(1, v.RunId);
  if (c.Step() != SQLITE_DONE) return Failure(what);
  if (sqlite3_changes(FDb) != 1) return what + ": the run is not open";
  auto& o = FSql->InsertOutbox;
  o.Reset();
  o.Bind(1, static_cast<std::int64_t>(TOutboxKind::Value));
  o.Bind(2, v.RunId);
  o.Bind(3, v.Seq);
  if (o.Step() != SQLITE_DONE || !tx.Commit()) return Failure(what);
  return {};
}

std::string TJournal::DiscardValue(const std::string& runId, std::int64_t seq) {
  if (!IsOpen()) return Failure("cannot discard value");
  const std::string what = "cannot discard value " + std::to_string(seq) + " of run " + runId;
  TSqliteTransaction tx(FDb);
  if (!tx.Begun()) return Failure(what);
  auto& s = FSql->DiscardValue;
  s.Reset();
  s.Bind(1, runId);
  s.Bind(2, seq);
  if (s.Step() != SQLITE_DONE) return Failure(what);
  if (sqlite3_changes(FDb) != 1) return what + ": no such value of an open run, or discarded";
  // Published once more, now marked: receivers mark the row they have.
  auto& o = FSql->InsertOutbox;
  o.Reset();
  o.Bind(1, static_cast<std::int64_t>(TOutboxKind::Value));
  o.Bind(2, runId);
  o.Bind(3, seq);
  if (o.Step() != SQLITE_DONE || !tx.Commit()) return Failure(what);
  return {};
}

std::string TJournal::EndRun(const TRunEnd& end) {
  if (!IsOpen()) return Failure("cannot end run");
  const std::string what = "cannot end run " + end.RunId;
  TSqliteTransaction tx(FDb);
  if (!tx.Begun()) return Failure(what);
  auto& s = FSql->EndRun;
  s.Reset();
  s.Bind(1, end.RunId);
  s.Bind(2, end.Ended);
  s.Bind(3, end.Count);
  if (s.Step() != SQLITE_DONE) return Failure(what);
  if (sqlite3_changes(FDb) != 1) return what + ": the run is not open";
  auto& o = FSql->InsertOutbox;
  o.Reset();
  o.Bind(1, static_cast<std::int64_t>(TOutboxKind::End));
  o.Bind(2, end.RunId);
  if (o.Step() != SQLITE_DONE || !tx.Commit()) return Failure(what);
  return {};
}

}  // namespace pzam::plant

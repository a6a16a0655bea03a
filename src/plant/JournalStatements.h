// The journal's schema and prepared statements, shared by its write and read halves.
#pragma once

#include "plant/Journal.h"
#include "plant/SqliteStatement.h"

namespace pzam::plant {

// The journal's version, kept in PRAGMA user_version. 1: runs, values, outbox. 2: a plan run's part
// name (run.part_name) and characteristics (run_characteristic).
inline constexpr int kJournalVersion = 2;

// The journal's tables, made where missing. The nullable part and plan columns are filled by runs
// of an inspection plan.
//
// A plan's characteristics are rows of a table of their own rather than a JSON text in the run:
// their limits stay typed and can be joined with measured_value by characteristic number, and the
// outbox query, which reads the run row for every value it publishes, carries none of them.
inline constexpr char kJournalSchema[] = R"sql(
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
  part_number TEXT,
  part_name   TEXT
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
CREATE TABLE IF NOT EXISTS run_characteristic (
  run_id         TEXT NOT NULL REFERENCES run (run_id),
  characteristic INTEGER NOT NULL CHECK (characteristic >= 1),
  name           TEXT NOT NULL,
  nominal        REAL,
  lsl            REAL,
  usl            REAL,
  unit           TEXT NOT NULL,
  decimals       INTEGER NOT NULL,
  port           INTEGER NOT NULL,
  mode           INTEGER NOT NULL,
  PRIMARY KEY (run_id, characteristic)
) WITHOUT ROWID;
)sql";

// A journal of version 1 has its run table without part_name; CREATE TABLE IF NOT EXISTS leaves
// it so. Asked by the column itself, not the version: an older program that opens an upgraded
// file sets user_version back to 1.
inline constexpr char kHasPartName[] =
    "SELECT count(*) FROM pragma_table_info('run') WHERE name = 'part_name'";
inline constexpr char kAddPartName[] = "ALTER TABLE run ADD COLUMN part_name TEXT";

// The run columns in the order ReadRun takes them.
#define PZAM_RUN_COLUMNS                                                                   \
  "r.run_id, r.station, r.batch, r.mode, r.port, r.record_file, r.nominal, r.lsl, r.usl, " \
  "r.started, r.plan_name, r.part_number, r.ended, r.value_count, r.part_name"
inline constexpr int kRunColumnCount = 15;
#define PZAM_VALUE_COLUMNS                                                     \
  "v.run_id, v.seq, v.value, v.text, v.time, v.tolerance, v.part, v.part_id, " \
  "v.characteristic, v.characteristic_name, v.discarded"

struct TJournalStatements {
  TSqliteStatement DiscardValue, InsertRun, InsertValue, CountValue, EndRun, InsertOutbox;
  TSqliteStatement InsertCharacteristic;
  TSqliteStatement ListRuns, ListBatch, FindRun, RunValues, RunCharacteristics;
  TSqliteStatement Unpublished, MarkPublished, Waiting, Pending;
};

// Reads the PZAM_RUN_COLUMNS starting at column `first`; the characteristics are read apart.
TRunRecord ReadRun(const TSqliteStatement& s, int first);
// Reads the PZAM_VALUE_COLUMNS starting at column `first`.
TValueRecord ReadValue(const TSqliteStatement& s, int first);

}  // namespace pzam::plant

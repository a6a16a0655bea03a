// The journal's schema and prepared statements, shared by its write and read halves.
#pragma once

#include "plant/Journal.h"
#include "plant/SqliteStatement.h"

namespace pzam::plant {

// Version 1 of the journal's tables. The nullable part and plan columns are filled by runs of an
// inspection plan.
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

// The run columns in the order ReadRun takes them.
#define PZAM_RUN_COLUMNS                                                                   \
  "r.run_id, r.station, r.batch, r.mode, r.port, r.record_file, r.nominal, r.lsl, r.usl, " \
  "r.started, r.plan_name, r.part_number, r.ended, r.value_count"
#define PZAM_VALUE_COLUMNS                                                     \
  "v.run_id, v.seq, v.value, v.text, v.time, v.tolerance, v.part, v.part_id, " \
  "v.characteristic, v.characteristic_name, v.discarded"

struct TJournalStatements {
  TSqliteStatement DiscardValue, InsertRun, InsertValue, CountValue, EndRun, InsertOutbox;
  TSqliteStatement ListRuns, ListBatch, FindRun, RunValues;
  TSqliteStatement Unpublished, MarkPublished, Waiting, Pending;
};

// Reads the PZAM_RUN_COLUMNS starting at column `first`.
TRunRecord ReadRun(const TSqliteStatement& s, int first);
// Reads the PZAM_VALUE_COLUMNS starting at column `first`.
TValueRecord ReadValue(const TSqliteStatement& s, int first);

}  // namespace pzam::plant

#include "CentralStore.h"

#include <map>
#include <nlohmann/json.hpp>
#include <set>

namespace pzam::central {

const char kCentralSchema[] = R"sql(
SELECT pg_advisory_xact_lock(4242424242);
DO $$ BEGIN
  -- Created only when missing: a collector's role may own the schema without the right to
  -- create schemas in the database.
  IF NOT EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = 'pzam') THEN CREATE SCHEMA pzam; END IF;
END $$;
CREATE TABLE IF NOT EXISTS pzam.run (
  run_id      uuid PRIMARY KEY,
  station     text NOT NULL,
  batch       text,
  mode        integer,
  port        text,
  record_file text,
  nominal     double precision,
  lsl         double precision,
  usl         double precision,
  started     timestamptz,
  ended       timestamptz,
  value_count integer,
  plan_name   text,
  part_number text
);
CREATE INDEX IF NOT EXISTS run_batch ON pzam.run (batch, station);
CREATE TABLE IF NOT EXISTS pzam.measured_value (
  run_id              uuid NOT NULL REFERENCES pzam.run (run_id),
  seq                 integer NOT NULL CHECK (seq >= 1),
  value               double precision NOT NULL,
  gauge_text          text NOT NULL,
  measured_at         timestamptz NOT NULL,
  tolerance           text CHECK (tolerance IN ('in', 'below', 'above')),
  part                integer,
  part_id             text,
  characteristic      integer,
  characteristic_name text,
  discarded           boolean,
  stored_at           timestamptz NOT NULL DEFAULT clock_timestamp(),
  PRIMARY KEY (run_id, seq)
);
)sql";

namespace {

// A start completes a placeholder run; a start that comes again changes nothing.
constexpr char kStarts[] = R"sql(
INSERT INTO pzam.run AS r (run_id, station, batch, mode, port, record_file, nominal, lsl, usl,
                           started, plan_name, part_number)
SELECT run_id, station, batch, mode, port, record_file, nominal, lsl, usl, started, plan_name,
       part_number
FROM jsonb_to_recordset($1::jsonb) AS x(run_id uuid, station text, batch text, mode integer,
     port text, record_file text, nominal double precision, lsl double precision,
     usl double precision, started timestamptz, plan_name text, part_number text)
ON CONFLICT (run_id) DO UPDATE SET batch = EXCLUDED.batch, mode = EXCLUDED.mode,
  port = EXCLUDED.port, record_file = EXCLUDED.record_file, nominal = EXCLUDED.nominal,
  lsl = EXCLUDED.lsl, usl = EXCLUDED.usl, started = EXCLUDED.started,
  plan_name = EXCLUDED.plan_name, part_number = EXCLUDED.part_number
WHERE r.started IS NULL AND r.station = EXCLUDED.station
)sql";

constexpr char kPlaceholders[] = R"sql(
INSERT INTO pzam.run (run_id, station)
SELECT DISTINCT run_id, station FROM jsonb_to_recordset($1::jsonb) AS x(run_id uuid, station text)
ON CONFLICT (run_id) DO NOTHING
)sql";

// A value comes once more when its part's repeat discarded it (the journal publishes it again
// with "discarded"): that only ever marks the stored row, whichever of the two comes first. One
// row per key within a batch, the discarded one first (an upsert may touch a row only once).
constexpr char kValues[] = R"sql(
INSERT INTO pzam.measured_value AS v (run_id, seq, value, gauge_text, measured_at, tolerance, part,
                                      part_id, characteristic, characteristic_name, discarded)
SELECT DISTINCT ON (run_id, seq) run_id, seq, value, text, time, tolerance, part, part_id,
       characteristic, characteristic_name, discarded
FROM jsonb_to_recordset($1::jsonb) AS x(run_id uuid, seq integer, value double precision,
     text text, time timestamptz, tolerance text, part integer, part_id text,
     characteristic integer, characteristic_name text, discarded boolean)
ORDER BY run_id, seq, discarded DESC NULLS LAST
ON CONFLICT (run_id, seq) DO UPDATE SET discarded = true
WHERE EXCLUDED.discarded IS TRUE AND v.discarded IS NOT TRUE
)sql";

constexpr char kEnds[] = R"sql(
INSERT INTO pzam.run AS r (run_id, station, ended, value_count)
SELECT run_id, station, ended, value_count
FROM jsonb_to_recordset($1::jsonb) AS x(run_id uuid, station text, ended timestamptz,
     value_count integer)
ON CONFLICT (run_id) DO UPDATE SET ended = EXCLUDED.ended, value_count = EXCLUDED.value_count
WHERE r.station = EXCLUDED.station
)sql";

using TJson = nlohmann::json;

template <typename T>
TJson Opt(const std::optional<T>& v) {
  return v ? TJson(*v) : TJson(nullptr);
}

struct TBatchJson {
  TJson Starts = TJson::array(), Runs = TJson::array(), Values = TJson::array(),
        Ends = TJson::array();
};

// The batch as JSON arrays, one per statement; a run's start and end once each (a statement may
// not update one row twice).
TBatchJson ToJson(const std::vector<plant::TPlantMessage>& messages) {
  TBatchJson b;
  std::set<std::string> starts;
  std::map<std::string, std::size_t> ends;
  for (const auto& m : messages) {
    switch (m.Kind) {
      case plant::TOutboxKind::Start: {
        const auto& s = m.Start;
        if (!starts.insert(s.RunId).second) break;
        b.Starts.push_back({{"run_id", s.RunId},
                            {"station", s.Station},
                            {"batch", s.Batch},
                            {"mode", s.Mode},
                            {"port", s.Port},
                            {"record_file", s.RecordFile},
                            {"nominal", Opt(s.Nominal)},
                            {"lsl", Opt(s.Lsl)},
                            {"usl", Opt(s.Usl)},
                            {"started", s.Started},
                            {"plan_name", Opt(s.PlanName)},
                            {"part_number", Opt(s.PartNumber)}});
        break;
      }
      case plant::TOutboxKind::Value: {
        const auto& v = m.Value;
        b.Runs.push_back({{"run_id", v.RunId}, {"station", m.Station}});
        b.Values.push_back({{"run_id", v.RunId},
                            {"seq", v.Seq},
                            {"value", v.Value},
                            {"text", v.Text},
                            {"time", v.Time},
                            {"tolerance", v.Tolerance == plant::TToleranceZone::None
                                              ? TJson(nullptr)
                                              : TJson(plant::ZoneText(v.Tolerance))},
                            {"part", Opt(v.Part)},
                            {"part_id", Opt(v.PartId)},
                            {"characteristic", v.Characteristic},
                            {"characteristic_name", Opt(v.CharacteristicName)},
                            {"discarded", v.Discarded}});
        break;
      }
      case plant::TOutboxKind::End: {
        TJson e = {{"run_id", m.End.RunId},
                   {"station", m.Station},
                   {"ended", m.End.Ended},
                   {"value_count", m.End.Count}};
        if (const auto it = ends.find(m.End.RunId); it != ends.end()) {
          b.Ends[it->second] = e;
        } else {
          ends[m.End.RunId] = b.Ends.size();
          b.Ends.push_back(e);
        }
        break;
      }
    }
  }
  return b;
}

}  // namespace

bool TCentralStore::Open(const std::string& conninfo, std::string& error) {
  Close();
  FConn = PQconnectdb(conninfo.c_str());
  if (PQstatus(FConn) != CONNECTION_OK) {
    error = std::string("cannot connect to the database: ") + PQerrorMessage(FConn);
    while (!error.empty() && error.back() == '\n') error.pop_back();
    Close();
    return false;
  }
  PGresult* r = PQexec(FConn, ("BEGIN;" + std::string(kCentralSchema) + "COMMIT;").c_str());
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  if (!ok) error = std::string("cannot create the tables: ") + PQresultErrorMessage(r);
  PQclear(r);
  if (!ok) {
    while (!error.empty() && error.back() == '\n') error.pop_back();
    Close();
  }
  return ok;
}

void TCentralStore::Close() {
  if (FConn != nullptr) PQfinish(FConn);
  FConn = nullptr;
}

bool TCentralStore::Exec(const char* sql, const std::string& json, std::string& error) {
  const char* params[] = {json.c_str()};
  PGresult* r = PQexecParams(FConn, sql, json.empty() ? 0 : 1, nullptr,
                             json.empty() ? nullptr : params, nullptr, nullptr, 0);
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  if (!ok) {
    error = PQresultErrorMessage(r);
    while (!error.empty() && error.back() == '\n') error.pop_back();
    if (const auto nl = error.find('\n'); nl != std::string::npos) error.resize(nl);
    const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    FLastState = state != nullptr ? state : "";
  }
  PQclear(r);
  return ok;
}

TWriteResult TCentralStore::Write(const std::vector<plant::TPlantMessage>& messages,
                                  std::string& error) {
  if (!IsOpen()) {
    error = "not connected to the database";
    return TWriteResult::NotConnected;
  }
  const TBatchJson b = ToJson(messages);
  struct {
    const char* Sql;
    const TJson& Rows;
  } steps[] = {{kStarts, b.Starts}, {kPlaceholders, b.Runs}, {kValues, b.Values}, {kEnds, b.Ends}};
  bool ok = Exec("BEGIN", "", error);
  for (const auto& s : steps) {
    if (ok && !s.Rows.empty()) ok = Exec(s.Sql, s.Rows.dump(), error);
  }
  if (ok) ok = Exec("COMMIT", "", error);
  if (ok) return TWriteResult::Ok;
  if (PQstatus(FConn) != CONNECTION_OK) {
    Close();
    return TWriteResult::NotConnected;
  }
  // Data exceptions (class 22) and broken rules (class 23) are the data's fault; anything else
  // (a deadlock, a shutdown in progress, no room) passes and is tried again.
  const bool dataFault = FLastState.starts_with("22") || FLastState.starts_with("23");
  std::string ignored;
  Exec("ROLLBACK", "", ignored);
  if (PQstatus(FConn) != CONNECTION_OK) {
    Close();
    return TWriteResult::NotConnected;
  }
  return dataFault ? TWriteResult::DataRefused : TWriteResult::TryAgain;
}

}  // namespace pzam::central

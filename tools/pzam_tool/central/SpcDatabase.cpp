// pzam-tool spc --db: values of a run or a batch from the central store.
#include <libpq-fe.h>

#include <cstdlib>

#include "CentralStore.h"
#include "SpcSources.h"

namespace pzam::tool {

namespace {

std::optional<double> Number(PGresult* r, int row, int column) {
  if (PQgetisnull(r, row, column)) return std::nullopt;
  return std::strtod(PQgetvalue(r, row, column), nullptr);
}

}  // namespace

bool DatabaseValues(const std::string& conninfo, const std::optional<std::string>& runId,
                    const std::optional<std::string>& batch,
                    const std::optional<std::string>& station, TSpcValues& out,
                    std::string& error) {
  central::TCentralStore store;
  if (!store.Open(conninfo, error)) return false;
  // extra_float_digits 3: every double comes back with all its digits.
  constexpr char kSql[] =
      "SELECT v.value, r.nominal, r.lsl, r.usl FROM pzam.measured_value v "
      "JOIN pzam.run r ON r.run_id = v.run_id "
      "WHERE ($1::uuid IS NULL OR r.run_id = $1::uuid) AND ($2::text IS NULL OR r.batch = $2) "
      "AND ($3::text IS NULL OR r.station = $3) AND v.discarded IS NOT TRUE "
      "ORDER BY r.started, r.run_id, v.seq";
  PQclear(PQexec(store.Connection(), "SET extra_float_digits = 3"));
  const char* params[3] = {runId ? runId->c_str() : nullptr, batch ? batch->c_str() : nullptr,
                           station ? station->c_str() : nullptr};
  PGresult* r = PQexecParams(store.Connection(), kSql, 3, nullptr, params, nullptr, nullptr, 0);
  if (PQresultStatus(r) != PGRES_TUPLES_OK) {
    error = PQresultErrorMessage(r);
    while (!error.empty() && error.back() == '\n') error.pop_back();
    PQclear(r);
    return false;
  }
  const int rows = PQntuples(r);
  for (int i = 0; i < rows; ++i) out.Values.push_back(*Number(r, i, 0));
  if (rows > 0) out.Tolerance = {Number(r, 0, 1), Number(r, 0, 2), Number(r, 0, 3)};
  PQclear(r);
  return true;
}

}  // namespace pzam::tool

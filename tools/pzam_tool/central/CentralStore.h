// The central store: PostgreSQL (libpq), schema pzam. Creates its tables on first use and writes
// run messages in batches, one transaction per batch, every statement with bound parameters.
// Every write is idempotent: a value is (run_id, seq) and is written once however often it comes;
// a value or end that comes before its run's start leaves a placeholder run (run_id and station),
// which the start completes.
#pragma once

#include <libpq-fe.h>

#include <string>
#include <vector>

#include "plant/PlantMessages.h"

namespace pzam::central {

// The tables: pzam.run and pzam.measured_value.
extern const char kCentralSchema[];

enum class TWriteResult { Ok, DataRefused, TryAgain, NotConnected };

class TCentralStore {
 public:
  TCentralStore() = default;
  ~TCentralStore() { Close(); }
  TCentralStore(const TCentralStore&) = delete;
  TCentralStore& operator=(const TCentralStore&) = delete;

  // Connects and creates the schema's tables when missing. The reason never holds the
  // connection text (it may carry a password).
  bool Open(const std::string& conninfo, std::string& error);
  void Close();
  bool IsOpen() const { return FConn != nullptr && PQstatus(FConn) == CONNECTION_OK; }

  // Writes the messages in one transaction. DataRefused: the database refused some row (the
  // batch is rolled back; write its messages one by one to find it). NotConnected: the database
  // is away (rolled back; try again after Open). TryAgain: a passing fault of the database.
  TWriteResult Write(const std::vector<plant::TPlantMessage>& messages, std::string& error);

  PGconn* Connection() const { return FConn; }

 private:
  bool Exec(const char* sql, const std::string& json, std::string& error);

  PGconn* FConn = nullptr;
  std::string FLastState;  // SQLSTATE of the last failed statement
};

}  // namespace pzam::central

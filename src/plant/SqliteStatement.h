// A prepared SQLite statement that binds the plant records' field types and resets itself for the
// next use; and a transaction that rolls back unless committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

namespace pzam::plant {

class TSqliteStatement {
 public:
  TSqliteStatement() = default;
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;
  ~TSqliteStatement() { sqlite3_finalize(FStmt); }

  bool Prepare(sqlite3* db, const char* sql) {
    return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &FStmt, nullptr) == SQLITE_OK;
  }
  // Clears the bindings and the last step, ready for new values.
  void Reset() {
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
  }

  void Bind(int i, std::int64_t v) { sqlite3_bind_int64(FStmt, i, v); }
  void Bind(int i, double v) { sqlite3_bind_double(FStmt, i, v); }
  void Bind(int i, const std::string& v) {
    sqlite3_bind_text(FStmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }
  template <typename T>
  void Bind(int i, const std::optional<T>& v) {
    if (v) {
      Bind(i, *v);
    } else {
      sqlite3_bind_null(FStmt, i);
    }
  }

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return sqlite3_step(FStmt); }

  bool IsNull(int c) const { return sqlite3_column_type(FStmt, c) == SQLITE_NULL; }
  std::int64_t Int(int c) const { return sqlite3_column_int64(FStmt, c); }
  double Real(int c) const { return sqlite3_column_double(FStmt, c); }
  std::string Text(int c) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, c));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(FStmt, c))) : "";
  }
  std::optional<std::string> OptText(int c) const {
    return IsNull(c) ? std::nullopt : std::optional<std::string>(Text(c));
  }
  std::optional<double> OptReal(int c) const {
    return IsNull(c) ? std::nullopt : std::optional<double>(Real(c));
  }
  std::optional<std::int64_t> OptInt(int c) const {
    return IsNull(c) ? std::nullopt : std::optional<std::int64_t>(Int(c));
  }

 private:
  sqlite3_stmt* FStmt = nullptr;
};

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless Commit() succeeded.
class TSqliteTransaction {
 public:
  explicit TSqliteTransaction(sqlite3* db) : FDb(db) {
    FBegun = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  TSqliteTransaction(const TSqliteTransaction&) = delete;
  TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;
  ~TSqliteTransaction() {
    if (FBegun) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  bool Begun() const { return FBegun; }
  bool Commit() {
    if (!FBegun || sqlite3_exec(FDb, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      return false;
    FBegun = false;
    return true;
  }

 private:
  sqlite3* FDb;
  bool FBegun = false;
};

}  // namespace pzam::plant

#include "bench/Engines.h"

namespace bench {

int SqliteCheck(sqlite3* db, int rc) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return rc;
  throw BenchError(std::string("sqlite3: ") + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
}

SqliteDb SqliteOpen(const std::string& file, bool create) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  SqliteDb db(raw);
  SqliteCheck(db.get(), rc);
  return db;
}

SqliteStmt SqlitePrepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
  SqliteStmt st(raw);
  SqliteCheck(db, rc);
  return st;
}

void SqliteExec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return;
  const std::string text = message ? message : "unknown error";
  sqlite3_free(message);
  throw BenchError("sqlite3: " + text);
}

PgConn PgConnect(const std::string& conninfo) {
  PgConn conn(PQconnectdb(conninfo.c_str()));
  if (!conn || PQstatus(conn.get()) != CONNECTION_OK)
    throw BenchError(std::string("libpq: ") + (conn ? PQerrorMessage(conn.get()) : "out of memory"));
  return conn;
}

PgResult PgExec(PGconn* conn, const std::string& sql) {
  PgResult r(PQexec(conn, sql.c_str()));
  const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    throw BenchError(std::string("libpq: ") + PQerrorMessage(conn));
  return r;
}

}  // namespace bench

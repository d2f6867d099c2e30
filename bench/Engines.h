#pragma once
// The engines' own C interfaces as the baselines and the data generator use them:
// handles that close themselves, and one check per engine that turns a failure into
// BenchError.
#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "bench/Bench.h"

namespace bench {

struct SqliteCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct SqliteFinalizer {
  void operator()(sqlite3_stmt* st) const noexcept { sqlite3_finalize(st); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteFinalizer>;

// Gives back rc when it is OK, ROW or DONE.
int SqliteCheck(sqlite3* db, int rc);
// Read-write, without the engine's mutex: what Cartavo opens with.
SqliteDb SqliteOpen(const std::string& file, bool create = false);
SqliteStmt SqlitePrepare(sqlite3* db, const std::string& sql);
void SqliteExec(sqlite3* db, const std::string& sql);

struct PgFinisher {
  void operator()(PGconn* c) const noexcept { PQfinish(c); }
};
struct PgClearer {
  void operator()(PGresult* r) const noexcept { PQclear(r); }
};
using PgConn = std::unique_ptr<PGconn, PgFinisher>;
using PgResult = std::unique_ptr<PGresult, PgClearer>;

PgConn PgConnect(const std::string& conninfo);
// The last result of the text; any failed statement raises BenchError.
PgResult PgExec(PGconn* conn, const std::string& sql);

}  // namespace bench

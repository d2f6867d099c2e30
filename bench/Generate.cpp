#include "bench/Generate.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "bench/Engines.h"

namespace bench {
namespace {

// An integer key, a VARCHAR(40), a float, an integer, a date and time, and a text
// that is NULL in every fourth row.
constexpr const char* kSqliteColumns =
    "(id INTEGER PRIMARY KEY, nome VARCHAR(40), importo REAL, quantita INTEGER, creato DATETIME, note TEXT)";
constexpr const char* kPgColumns =
    "(id integer, nome varchar(40), importo float8, quantita integer, creato timestamp, note text)";

// Rows are written in slices, with a line on the standard error after each when
// there are several: 100 M rows take minutes.
constexpr std::int64_t kSlice = 10000000;

// The rows from..to of both engines, column by column, the row i a function of i
// (in 64 bits: i * 31 leaves PostgreSQL's integer past 69 M rows).
std::string SqliteRows(std::int64_t from, std::int64_t to) {
  return "WITH RECURSIVE n(i) AS (SELECT " + std::to_string(from) + " UNION ALL SELECT i + 1 FROM n WHERE i < " +
         std::to_string(to) +
         ") SELECT i, 'Articolo ' || i || ' ' || substr('abcdefghijklmnopqrstuvwxyz', 1 + i % 26, 1 + i % 17),"
         " (i * 7919 % 1000000) / 100.0, i * 31 % 1000,"
         " strftime('%Y-%m-%d %H:%M:%S', 1577836800 + i * 37, 'unixepoch'),"
         " CASE WHEN i % 4 = 0 THEN NULL ELSE 'nota ' || (i * 13 % 9973) END FROM n";
}

std::string PgRows(std::int64_t from, std::int64_t to) {
  return "SELECT i, 'Articolo ' || i || ' ' || substr('abcdefghijklmnopqrstuvwxyz', 1 + i % 26, 1 + i % 17),"
         " (i::bigint * 7919 % 1000000) / 100.0, i::bigint * 31 % 1000,"
         " timestamp '2020-01-01' + i * interval '37 seconds',"
         " CASE WHEN i % 4 = 0 THEN NULL ELSE 'nota ' || (i::bigint * 13 % 9973) END"
         " FROM generate_series(" + std::to_string(from) + ", " + std::to_string(to) + ") AS i";
}

template <class Insert>
void InSlices(const std::string& what, std::int64_t rows, Insert insert) {
  for (std::int64_t from = 1; from <= rows; from += kSlice) {
    const std::int64_t to = std::min(rows, from + kSlice - 1);
    insert(from, to);
    if (rows > kSlice) std::fprintf(stderr, "  %s: %lld rows\n", what.c_str(), static_cast<long long>(to));
  }
}

// Written beside the final name and renamed when complete: an interrupted run
// leaves no half file in the cache.
template <class Fill>
void MakeFile(const std::string& file, Fill fill) {
  if (std::filesystem::exists(file)) return;
  std::fprintf(stderr, "generating %s\n", file.c_str());
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  const std::string part = file + ".part";
  std::filesystem::remove(part);
  {
    SqliteDb db = SqliteOpen(part, true);
    SqliteExec(db.get(), "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN");
    fill(db.get());
    SqliteExec(db.get(), "COMMIT");
  }
  std::filesystem::rename(part, file);
}

// The key is the rowid: rows written in its order are appended, with no index to build.
void MakeSqliteBig(const std::string& file, std::int64_t rows) {
  MakeFile(file, [rows, &file](sqlite3* db) {
    SqliteExec(db, std::string("CREATE TABLE big ") + kSqliteColumns + "; CREATE TABLE small " + kSqliteColumns);
    InSlices(file, rows, [db](std::int64_t from, std::int64_t to) { SqliteExec(db, "INSERT INTO big " + SqliteRows(from, to)); });
    SqliteExec(db, "INSERT INTO small " + SqliteRows(1, 10));
  });
}

void MakeSqliteTables(const std::string& file, int tables) {
  MakeFile(file, [tables](sqlite3* db) {
    for (int t = 1; t <= tables; ++t) {
      char name[32];
      std::snprintf(name, sizeof name, "tabella_%05d", t);
      SqliteExec(db, std::string("CREATE TABLE ") + name + " (id INTEGER PRIMARY KEY, nome VARCHAR(40), valore REAL);"
                     "INSERT INTO " + name + " VALUES (1, '" + name + "', " + std::to_string(t) + ".5)");
    }
  });
}

// The table is made and filled in one transaction, the key built after the rows in
// one sort: a server at wal_level minimal then writes no WAL for either. Its comment,
// set last, marks it complete.
void MakePgTable(const std::string& conninfo, const std::string& table, std::int64_t rows) {
  PgConn conn = PgConnect(conninfo);
  const std::string mark = std::string("cartavo ") + kGeneration + ", " + std::to_string(rows) + " rows";
  const PgResult made = PgExec(conn.get(), "SELECT obj_description(to_regclass('" + table + "'), 'pg_class')");
  if (!PQgetisnull(made.get(), 0, 0) && PQgetvalue(made.get(), 0, 0) == mark) return;
  std::fprintf(stderr, "generating PostgreSQL %s (%lld rows)\n", table.c_str(), static_cast<long long>(rows));
  PgExec(conn.get(), "SET client_min_messages = warning; BEGIN; DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table + " " + kPgColumns);
  InSlices(table, rows, [&](std::int64_t from, std::int64_t to) {
    PgExec(conn.get(), "INSERT INTO " + table + " " + PgRows(from, to));
  });
  PgExec(conn.get(), "SET LOCAL maintenance_work_mem = '1GB'; ALTER TABLE " + table + " ADD PRIMARY KEY (id); COMMIT");
  // Hint bits and the visibility map set now, not by whichever contender reads first.
  PgExec(conn.get(), "VACUUM ANALYZE " + table);
  PgExec(conn.get(), "COMMENT ON TABLE " + table + " IS '" + mark + "'; CHECKPOINT");
}

void EnsureScaleData(const Options& o) {
  for (const std::int64_t rows : kScaleRows) {
    if (rows > o.scaleMax) continue;
    if (o.Wants(ScaleKey(EngineName(Engine::Sqlite), rows))) MakeSqliteBig(o.BigFile(rows), rows);
    if (!o.pgPort.empty() && o.Wants(ScaleKey(EngineName(Engine::Postgres), rows)))
      MakePgTable(o.PgConnInfo(), BigTable{rows}.Name(Engine::Postgres), rows);
  }
  for (const int tables : kScaleTables)
    if (o.Wants(ScaleKey("catalogue", tables))) MakeSqliteTables(o.TablesFile(tables), tables);
}

}  // namespace

void EnsureData(const Options& options) {
  if (options.scale) return EnsureScaleData(options);
  MakeSqliteBig(options.BigFile(), options.rows);
  MakeSqliteTables(options.TablesFile(), options.tables);
  if (!options.pgPort.empty()) MakePgTable(options.PgConnInfo(), "big", options.rows);
  // The window's thread cases only when asked for: 10 M rows cost PostgreSQL minutes.
  if (options.WantsAny("ui_thread_sqlite")) MakeSqliteBig(options.UiFile(), options.uiRows);
  if (!options.pgPort.empty() && options.WantsAny("ui_thread_pg"))
    MakePgTable(options.PgConnInfo(), options.UiPgTable(), options.uiRows);
}

}  // namespace bench

#include "bench/Generate.h"

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

// The row i of both engines, column by column.
std::string SqliteRowsUpTo(std::int64_t rows) {
  return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
         ") SELECT i, 'Articolo ' || i || ' ' || substr('abcdefghijklmnopqrstuvwxyz', 1 + i % 26, 1 + i % 17),"
         " (i * 7919 % 1000000) / 100.0, i * 31 % 1000,"
         " strftime('%Y-%m-%d %H:%M:%S', 1577836800 + i * 37, 'unixepoch'),"
         " CASE WHEN i % 4 = 0 THEN NULL ELSE 'nota ' || (i * 13 % 9973) END FROM n";
}

std::string PgRowsUpTo(std::int64_t rows) {
  return "SELECT i, 'Articolo ' || i || ' ' || substr('abcdefghijklmnopqrstuvwxyz', 1 + i % 26, 1 + i % 17),"
         " (i::bigint * 7919 % 1000000) / 100.0, i * 31 % 1000,"
         " timestamp '2020-01-01' + i * interval '37 seconds',"
         " CASE WHEN i % 4 = 0 THEN NULL ELSE 'nota ' || (i * 13 % 9973) END"
         " FROM generate_series(1, " + std::to_string(rows) + ") AS i";
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

void MakeSqliteBig(const std::string& file, std::int64_t rows) {
  MakeFile(file, [rows](sqlite3* db) {
    SqliteExec(db, std::string("CREATE TABLE big ") + kSqliteColumns + "; CREATE TABLE small " + kSqliteColumns);
    SqliteExec(db, "INSERT INTO big " + SqliteRowsUpTo(rows) + "; INSERT INTO small " + SqliteRowsUpTo(10));
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

void MakePgTable(const std::string& conninfo, const std::string& table, std::int64_t rows) {
  PgConn conn = PgConnect(conninfo);
  const PgResult exists = PgExec(conn.get(), "SELECT to_regclass('" + table + "') IS NOT NULL");
  if (std::string(PQgetvalue(exists.get(), 0, 0)) == "t" &&
      std::stoll(PQgetvalue(PgExec(conn.get(), "SELECT count(*) FROM " + table).get(), 0, 0)) == rows)
    return;
  std::fprintf(stderr, "generating PostgreSQL %s (%lld rows)\n", table.c_str(), static_cast<long long>(rows));
  PgExec(conn.get(), "DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table + " " + kPgColumns + "; INSERT INTO " +
                         table + " " + PgRowsUpTo(rows) + "; ALTER TABLE " + table + " ADD PRIMARY KEY (id)");
  // Hint bits and the visibility map set now, not by whichever contender reads first.
  PgExec(conn.get(), "VACUUM ANALYZE " + table);
}

}  // namespace

void EnsureData(const Options& options) {
  MakeSqliteBig(options.BigFile(), options.rows);
  MakeSqliteTables(options.TablesFile(), options.tables);
  if (!options.pgPort.empty()) MakePgTable(options.PgConnInfo(), "big", options.rows);
  // The window's thread cases only when asked for: 10 M rows cost PostgreSQL minutes.
  if (options.WantsAny("ui_thread_sqlite")) MakeSqliteBig(options.UiFile(), options.uiRows);
  if (!options.pgPort.empty() && options.WantsAny("ui_thread_pg"))
    MakePgTable(options.PgConnInfo(), options.UiPgTable(), options.uiRows);
}

}  // namespace bench

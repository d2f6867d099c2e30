#include "bench/SqliteCases.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "bench/Engines.h"
#include "bench/Scratch.h"

namespace bench {
namespace {

// Opened as Cartavo opens, with the schema read before the clock runs.
std::shared_ptr<sqlite3> Open(const std::string& file) {
  std::shared_ptr<sqlite3> db(SqliteOpen(file).release(), SqliteCloser());
  SqliteExec(db.get(), "SELECT 1 FROM sqlite_schema LIMIT 1");
  return db;
}

std::int64_t RowText(sqlite3_stmt* st, int columns) {
  std::int64_t bytes = 0;
  for (int c = 0; c < columns; ++c) {
    sqlite3_column_text(st, c);
    bytes += sqlite3_column_bytes(st, c);
  }
  return bytes;
}

// Every row of the query, each column's text; what `each` does with a row decides
// whether the loop goes on.
template <class Each>
void Steps(sqlite3* db, const char* sql, Each each) {
  SqliteStmt st = SqlitePrepare(db, sql);
  const int columns = sqlite3_column_count(st.get());
  while (SqliteCheck(db, sqlite3_step(st.get())) == SQLITE_ROW)
    if (!each(st.get(), columns)) break;
}

// Times Steps over the query on the database `file` names, opened beforehand; `each`
// also gets the tally.
template <class Each>
Prepare TimedSteps(std::function<std::string(const Options&)> file, std::string sql, Each each) {
  return [file, sql, each](const Options& o) -> Repetition {
    auto db = Open(file(o));
    return [db, sql, each](Stopwatch& sw) {
      Tally t;
      sw.Start();
      Steps(db.get(), sql.c_str(), [&](sqlite3_stmt* st, int columns) { return each(st, columns, t); });
      sw.Stop();
      return t;
    };
  };
}

std::function<std::string(const Options&)> FileOf(const BigTable& table) {
  return [table](const Options& o) { return table.File(o); };
}

// Every row's text, to the end.
bool Scanned(sqlite3_stmt* st, int columns, Tally& t) {
  t.bytes += RowText(st, columns);
  ++t.rows;
  return true;
}

bool Screen(sqlite3_stmt* st, int columns, Tally& t) {
  t.bytes += RowText(st, columns);
  return ++t.rows < kScreenRows;
}

}  // namespace

Prepare SqliteFirstScreen(const BigTable& table) {
  return TimedSteps(FileOf(table), table.Query(Engine::Sqlite), Screen);
}

Prepare SqliteMiddleScreen(const BigTable& table) {
  return [table](const Options& o) {
    const std::string sql = table.Query(Engine::Sqlite) + " LIMIT " + std::to_string(kScreenRows) + " OFFSET " +
                            std::to_string(table.Rows(o) / 2);
    return TimedSteps(FileOf(table), sql, Screen)(o);
  };
}

Prepare SqliteCount(const BigTable& table) {
  return TimedSteps(FileOf(table), "SELECT count(*) FROM " + table.Name(Engine::Sqlite),
                    [](sqlite3_stmt* st, int, Tally& t) {
                      t.rows = sqlite3_column_int64(st, 0);
                      return false;
                    });
}

Prepare SqliteScanToLast() {
  return [](const Options& o) -> Repetition {
    auto db = Open(o.BigFile());
    return [db](Stopwatch& sw) {
      Tally t;
      std::vector<std::string> last;
      sw.Start();
      Steps(db.get(), kBigQuery, [&](sqlite3_stmt* st, int columns) {
        last.resize(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
          last[static_cast<std::size_t>(c)].assign(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
        }
        ++t.rows;
        return true;
      });
      for (const std::string& s : last) t.bytes += static_cast<std::int64_t>(s.size());
      sw.Stop();
      return t;
    };
  };
}

Prepare SqliteFullScan(const BigTable& table) { return TimedSteps(FileOf(table), table.Query(Engine::Sqlite), Scanned); }

Prepare SqliteShellCsv() {
  return [](const Options& o) -> Repetition {
    return [o](Stopwatch& sw) {
      const std::string out = o.dataDir + "/export_sqlite3.csv";
      const std::string command =
          "sqlite3 -csv -header '" + o.BigFile() + "' '" + kBigQuery + "' > '" + out + "'";
      sw.Start();
      const int status = std::system(command.c_str());
      sw.Stop();
      if (status != 0) throw BenchError("sqlite3 -csv failed");
      const Tally t{o.rows, static_cast<std::int64_t>(std::filesystem::file_size(out))};
      std::filesystem::remove(out);
      return t;
    };
  };
}

Prepare SqliteUpdates() {
  return [](const Options& o) -> Repetition {
    auto scratch = std::make_shared<ScratchCopy>(o.BigFile());
    auto db = Open(scratch->path());
    auto round = std::make_shared<int>(0);
    return [scratch, db, round, o](Stopwatch& sw) {
      Tally t;
      ++*round;
      sw.Start();
      const SqliteStmt st = SqlitePrepare(db.get(), "UPDATE big SET nome = ?1 WHERE id = ?2");
      for (int i = 0; i < o.edits; ++i) {
        const std::string text = "modifica " + std::to_string(*round) + " " + std::to_string(i);
        SqliteCheck(db.get(), sqlite3_bind_text(st.get(), 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
        SqliteCheck(db.get(), sqlite3_bind_int64(st.get(), 2, EditedRow(i) + 1));
        SqliteCheck(db.get(), sqlite3_step(st.get()));
        SqliteCheck(db.get(), sqlite3_reset(st.get()));
        if (sqlite3_changes(db.get()) != 1) throw BenchError("an UPDATE changed no row");
        t.bytes += static_cast<std::int64_t>(text.size());
        ++t.rows;
      }
      sw.Stop();
      return t;
    };
  };
}

Prepare SqliteCatalogue(int tables) {
  return TimedSteps([tables](const Options& o) { return o.TablesFile(tables ? tables : o.tables); }, "SELECT schema, name, type FROM pragma_table_list",
                    Scanned);
}

}  // namespace bench

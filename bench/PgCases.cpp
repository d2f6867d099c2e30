#include "bench/PgCases.h"

#include <memory>

#include "bench/Engines.h"

namespace bench {
namespace {

std::shared_ptr<PGconn> Connect(const Options& o) {
  return std::shared_ptr<PGconn>(PgConnect(o.PgConnInfo()).release(), PgFinisher());
}

Tally AllText(const PGresult* r) {
  Tally t;
  const int columns = PQnfields(r);
  t.rows = PQntuples(r);
  for (int row = 0; row < t.rows; ++row)
    for (int c = 0; c < columns; ++c) {
      PQgetvalue(r, row, c);
      t.bytes += PQgetlength(r, row, c);
    }
  return t;
}

std::string Declare(const char* kind, const std::string& query = kBigQuery) {
  return std::string("BEGIN; DECLARE bench_rows ") + kind + " CURSOR FOR " + query;
}

constexpr const char* kRelease = "CLOSE bench_rows; COMMIT";
// Rows of one FETCH of the cursor scan: a few MB a round trip.
constexpr int kScanBatch = 10000;

const std::string kFetchScreen = "; FETCH " + std::to_string(kScreenRows) + " FROM bench_rows";

// Times what `read` does with a cursor of the table's query left to it, closed after the clock.
template <class Read>
Prepare TimedCursor(const BigTable& table, Read read) {
  return [table, read](const Options& o) -> Repetition {
    auto conn = Connect(o);
    return [conn, read, query = table.Query(Engine::Postgres), rows = table.Rows(o)](Stopwatch& sw) {
      sw.Start();
      const Tally t = read(conn.get(), Declare("NO SCROLL", query), rows);
      sw.Stop();
      PgExec(conn.get(), kRelease);
      return t;
    };
  };
}

}  // namespace

Prepare PgMiddleScreen(const BigTable& table) {
  return TimedCursor(table, [](PGconn* conn, const std::string& declare, std::int64_t rows) {
    return AllText(PgExec(conn, declare + "; MOVE FORWARD " + std::to_string(rows / 2) + " IN bench_rows" + kFetchScreen).get());
  });
}

Prepare PgCursorScan(const BigTable& table) {
  return TimedCursor(table, [](PGconn* conn, const std::string& declare, std::int64_t) {
    PgExec(conn, declare);
    const std::string fetch = "FETCH " + std::to_string(kScanBatch) + " FROM bench_rows";
    Tally all;
    for (;;) {
      const Tally t = AllText(PgExec(conn, fetch).get());
      all.rows += t.rows;
      all.bytes += t.bytes;
      if (t.rows < kScanBatch) return all;
    }
  });
}

Prepare PgCount(const BigTable& table) {
  return [table](const Options& o) -> Repetition {
    auto conn = Connect(o);
    return [conn, sql = "SELECT count(*) FROM " + table.Name(Engine::Postgres)](Stopwatch& sw) {
      sw.Start();
      const PgResult r = PgExec(conn.get(), sql);
      Tally t;
      t.rows = std::stoll(PQgetvalue(r.get(), 0, 0));
      sw.Stop();
      return t;
    };
  };
}

Prepare PgFirstScreen(const BigTable& table) {
  return TimedCursor(table, [](PGconn* conn, const std::string& declare, std::int64_t) {
    return AllText(PgExec(conn, declare + kFetchScreen).get());
  });
}

Prepare PgCursorToLast() {
  return [](const Options& o) -> Repetition {
    auto conn = Connect(o);
    return [conn](Stopwatch& sw) {
      sw.Start();
      const PgResult moved = PgExec(conn.get(), Declare("SCROLL") + "; MOVE FORWARD ALL IN bench_rows");
      const PgResult last = PgExec(conn.get(), "FETCH PRIOR FROM bench_rows");
      Tally t = AllText(last.get());
      t.rows = std::stoll(PQcmdTuples(moved.get()));
      sw.Stop();
      PgExec(conn.get(), kRelease);
      return t;
    };
  };
}

Prepare PgFullScan() {
  return [](const Options& o) -> Repetition {
    auto conn = Connect(o);
    return [conn](Stopwatch& sw) {
      sw.Start();
      const PgResult rows = PgExec(conn.get(), kBigQuery);
      const Tally t = AllText(rows.get());
      sw.Stop();
      return t;
    };
  };
}

}  // namespace bench

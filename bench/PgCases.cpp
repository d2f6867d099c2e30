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

std::string Declare(const char* kind) {
  return std::string("BEGIN; DECLARE bench_rows ") + kind + " CURSOR FOR " + kBigQuery;
}

constexpr const char* kRelease = "CLOSE bench_rows; COMMIT";

}  // namespace

Prepare PgFirstScreen() {
  return [](const Options& o) -> Repetition {
    auto conn = Connect(o);
    return [conn](Stopwatch& sw) {
      sw.Start();
      const PgResult rows =
          PgExec(conn.get(), Declare("NO SCROLL") + "; FETCH " + std::to_string(kScreenRows) + " FROM bench_rows");
      const Tally t = AllText(rows.get());
      sw.Stop();
      PgExec(conn.get(), kRelease);
      return t;
    };
  };
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

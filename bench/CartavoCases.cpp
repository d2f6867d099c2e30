#include "db/providers/BuiltInProviders.h"
#include "bench/CartavoCases.h"

#include <QString>

#include <filesystem>
#include <memory>

#include "bench/Scratch.h"
#include "data/RowsText.h"
#include "db/Connection.h"
#include "db/Recordset.h"

namespace bench {
namespace {

std::shared_ptr<db::Connection> Connect(const std::string& text) {
  auto conn = std::make_shared<db::Connection>(db::BuiltInProvider);
  conn->ConnectionString(text);
  conn->Open();
  return conn;
}

std::shared_ptr<db::Connection> Connect(Engine engine, const Options& o, const BigTable& table = {}) {
  return Connect(engine == Engine::Sqlite ? Options::SqliteText(table.File(o)) : o.PgText());
}

std::unique_ptr<db::Recordset> OpenAsGrid(db::Connection& conn, const std::string& query) {
  auto rs = std::make_unique<db::Recordset>();
  rs->Open(query, conn, db::adOpenKeyset, db::adLockOptimistic, db::adCmdText);
  return rs;
}

std::vector<db::Field> AllFields(db::Recordset& rs) {
  std::vector<db::Field> fields;
  const db::Fields all = rs.Fields();
  for (long i = 0; i < all.Count(); ++i) fields.push_back(all.Item(i));
  return fields;
}

std::int64_t RowText(const std::vector<db::Field>& fields) {
  std::int64_t bytes = 0;
  for (const db::Field& f : fields) bytes += static_cast<std::int64_t>(f.Text().size());
  return bytes;
}

// Times opening the table's query as the grid does and `read` on it; the record set
// is closed after the clock has stopped.
template <class Read>
Prepare TimedRead(Engine engine, Read read, const BigTable& table = {}) {
  return [engine, read, table](const Options& o) -> Repetition {
    auto conn = Connect(engine, o, table);
    return [conn, read, query = table.Query(engine)](Stopwatch& sw) {
      Tally t;
      std::unique_ptr<db::Recordset> rs;
      sw.Start();
      rs = OpenAsGrid(*conn, query);
      read(*rs, t);
      sw.Stop();
      return t;
    };
  };
}

}  // namespace

Prepare CartavoFirstScreen(Engine engine) {
  return TimedRead(engine, [](db::Recordset& rs, Tally& t) {
    const auto fields = AllFields(rs);
    for (rs.MoveFirst(); t.rows < kScreenRows && !rs.Eof(); rs.MoveNext()) {
      t.bytes += RowText(fields);
      ++t.rows;
    }
  });
}

Prepare CartavoLastRow(Engine engine) {
  return TimedRead(engine, [](db::Recordset& rs, Tally& t) {
    const std::int64_t count = rs.RecordCount();
    if (count > 0)
      rs.AbsolutePosition(count);
    else
      rs.MoveLast();
    t.bytes = RowText(AllFields(rs));
    t.rows = rs.AbsolutePosition();
  });
}

Prepare CartavoFullScan(Engine engine, const BigTable& table) {
  return TimedRead(
      engine,
      [](db::Recordset& rs, Tally& t) {
        const auto fields = AllFields(rs);
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
          t.bytes += RowText(fields);
          ++t.rows;
        }
      },
      table);
}

Prepare CartavoExportCsv() {
  return [](const Options& o) -> Repetition {
    auto conn = Connect(Engine::Sqlite, o);
    return [conn, o](Stopwatch& sw) {
      const std::string out = o.dataDir + "/export_cartavo.csv";
      sw.Start();
      const std::unique_ptr<db::Recordset> rs = OpenAsGrid(*conn, kBigQuery);
      data::ExportCsv(*rs, QString::fromStdString(out), ',', [] { return false; });
      sw.Stop();
      const Tally t{o.rows, static_cast<std::int64_t>(std::filesystem::file_size(out))};
      std::filesystem::remove(out);
      return t;
    };
  };
}

Prepare CartavoEdits() {
  return [](const Options& o) -> Repetition {
    auto scratch = std::make_shared<ScratchCopy>(o.BigFile());
    auto conn = Connect(Options::SqliteText(scratch->path()));
    auto round = std::make_shared<int>(0);
    return [scratch, conn, round, o](Stopwatch& sw) {
      Tally t;
      const std::unique_ptr<db::Recordset> rs = OpenAsGrid(*conn, kBigQuery);
      db::Field nome = rs->Fields().Item("nome");
      ++*round;
      sw.Start();
      for (int i = 0; i < o.edits; ++i) {
        rs->AbsolutePosition(EditedRow(i) + 1);
        std::string text = "modifica " + std::to_string(*round) + " " + std::to_string(i);
        t.bytes += static_cast<std::int64_t>(text.size());
        nome.SetValue(db::Value(std::move(text)));
        rs->Update();
        ++t.rows;
      }
      sw.Stop();
      return t;
    };
  };
}

}  // namespace bench

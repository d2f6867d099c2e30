#include "bench/QtCases.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQueryModel>

#include <memory>

namespace bench {
namespace {

const QString kConnection = QStringLiteral("bench");

// The one Qt connection of the child process; the schema is read before the clock runs.
QSqlDatabase Open(Engine engine, const Options& o, const std::string& sqliteFile) {
  QSqlDatabase db = QSqlDatabase::addDatabase(engine == Engine::Sqlite ? "QSQLITE" : "QPSQL", kConnection);
  if (engine == Engine::Sqlite) {
    db.setDatabaseName(QString::fromStdString(sqliteFile));
  } else {
    db.setHostName(Options::kPgHost);
    db.setPort(std::stoi(o.pgPort));
    db.setDatabaseName(Options::kPgDatabase);
    db.setUserName(Options::kPgUser);
  }
  if (!db.open()) throw BenchError("Qt: " + db.lastError().text().toStdString());
  db.tables();
  return db;
}

std::unique_ptr<QSqlQueryModel> Query(const QSqlDatabase& db, const char* sql) {
  auto model = std::make_unique<QSqlQueryModel>();
  model->setQuery(sql, db);
  if (model->lastError().isValid()) throw BenchError("Qt: " + model->lastError().text().toStdString());
  return model;
}

void FetchAll(QSqlQueryModel& model) {
  while (model.canFetchMore()) model.fetchMore();
}

std::int64_t RowText(const QSqlQueryModel& model, int row) {
  std::int64_t bytes = 0;
  for (int c = 0; c < model.columnCount(); ++c) bytes += model.data(model.index(row, c)).toString().size();
  return bytes;
}

// The model's case over the table big: what it does once the query is set.
template <class Read>
Prepare OverBig(Engine engine, Read read) {
  return [engine, read](const Options& o) -> Repetition {
    auto db = std::make_shared<QSqlDatabase>(Open(engine, o, o.BigFile()));
    return [db, read](Stopwatch& sw) {
      Tally t;
      std::unique_ptr<QSqlQueryModel> model;
      sw.Start();
      model = Query(*db, kBigQuery);
      read(*model, t);
      sw.Stop();
      return t;
    };
  };
}

}  // namespace

Prepare ModelFirstScreen(Engine engine) {
  return OverBig(engine, [](QSqlQueryModel& model, Tally& t) {
    for (; t.rows < kScreenRows && t.rows < model.rowCount(); ++t.rows)
      t.bytes += RowText(model, static_cast<int>(t.rows));
  });
}

Prepare ModelLastRow(Engine engine) {
  return OverBig(engine, [](QSqlQueryModel& model, Tally& t) {
    FetchAll(model);
    t.rows = model.rowCount();
    if (t.rows > 0) t.bytes = RowText(model, static_cast<int>(t.rows - 1));
  });
}

Prepare ModelFullScan(Engine engine) {
  return OverBig(engine, [](QSqlQueryModel& model, Tally& t) {
    FetchAll(model);
    for (; t.rows < model.rowCount(); ++t.rows) t.bytes += RowText(model, static_cast<int>(t.rows));
  });
}

Prepare QtTables(int of) {
  return [of](const Options& o) -> Repetition {
    auto db = std::make_shared<QSqlDatabase>(Open(Engine::Sqlite, o, o.TablesFile(of ? of : o.tables)));
    return [db](Stopwatch& sw) {
      Tally t;
      sw.Start();
      const QStringList tables = db->tables(QSql::AllTables);
      for (const QString& name : tables) t.bytes += name.size();
      t.rows = tables.size();
      sw.Stop();
      return t;
    };
  };
}

Prepare QtTablesList(int of) {
  return [of](const Options& o) -> Repetition {
    auto db = std::make_shared<QSqlDatabase>(Open(Engine::Sqlite, o, o.TablesFile(of)));
    auto list = std::make_shared<QListWidget>();
    list->show();
    QCoreApplication::processEvents();
    return [db, list](Stopwatch& sw) {
      Tally t;
      sw.Start();
      QStringList names = db->tables(QSql::AllTables);
      names.sort();
      list->clear();
      list->addItems(names);
      sw.Stop();
      t.rows = list->count();
      return t;
    };
  };
}

}  // namespace bench

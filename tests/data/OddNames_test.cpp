#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>

#include "tests/data/GridDriver.h"
#include "tests/db/OwnConnection.h"

namespace {

// Names with quotes, brackets, blanks, semicolons and letters beyond ASCII: listed,
// described, shown and written back as they are, on every engine.
const QString kTables[] = {"libri \"rari\"", "[prezzi]", "a;b", "città d'arte", "Ünïcödé 表"};
const QString kKey = "chiave; DROP TABLE x";
const QString kColumns[] = {"descrizione \"breve\"", "[prezzo]", "quantità"};

QString Quoted(const QString& name) { return '"' + QString(name).replace('"', "\"\"") + '"'; }

struct Engine {
  QString text;    // what the window connects with
  QString schema;  // where the tables are, as the catalogue names it
};

QString Qualified(const Engine& e, const QString& table) {
  return e.schema.isEmpty() ? Quoted(table) : Quoted(e.schema) + "." + Quoted(table);
}

void ExpectOddNamesWork(const Engine& e) {
  const auto own = OwnConnection(e.text.toStdString());
  for (const QString& table : kTables) {
    QString sql = "CREATE TABLE " + Qualified(e, table) + " (" + Quoted(kKey) + " INTEGER PRIMARY KEY";
    for (const QString& column : kColumns) sql += ", " + Quoted(column) + " VARCHAR(20)";
    own->Execute((sql + "); INSERT INTO " + Qualified(e, table) + " VALUES (7, 'uno', '2', '3')").toStdString());
  }
  GridDriver d;
  d.w->Conne(e.text, "", "");
  for (const QString& table : kTables) {
    SCOPED_TRACE(table.toStdString());
    const auto listed = d.Rows("LwTabelle");
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [&](const Row& r) { return r.text == table; }));
    d.ClickTable(table, e.schema);
    const auto fields = d.Rows("LwCampi");
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0].text, kKey);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(fields[c + 1].text, kColumns[c]);

    d.NewLog();
    d.Trigger("mnuLeggiDatiTabella");
    EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + e.text)});
    EXPECT_EQ(d.Headings(), (QStringList{kKey, kColumns[0], kColumns[1], kColumns[2]}));
    ASSERT_EQ(d.RowCount(), 1);
    d.Write(0, 1, "scritto");
    EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
    d.probe.Settle();
    EXPECT_EQ(Scalar(*own, ("SELECT " + Quoted(kColumns[0]) + " FROM " + Qualified(e, table)).toStdString()), "scritto");
  }
}

TEST(OddNames, OnSqlite) {
  QTemporaryDir dir;
  ExpectOddNamesWork({SqliteText(MakeSqlite(dir, "nomi.db", "")), {}});
}

// In a schema of an odd name of its own, outside the search path, beside a table of
// the same name in the public schema: the clicked row's schema is read. Skipped
// without a server.
TEST(OddNames, OnPostgres) {
  const QByteArray server = qgetenv("CARTAVO_TEST_PG");
  if (server.isEmpty()) GTEST_SKIP() << "CARTAVO_TEST_PG not set";
  const auto other = OwnConnection(server.toStdString());
  const QString schema = QString("schema \"%1\"; è").arg(QCoreApplication::applicationPid());
  other->Execute("CREATE SCHEMA " + Quoted(schema).toStdString() + "; CREATE TABLE public." +
                 Quoted(kTables[0]).toStdString() + " (solo integer)");
  ExpectOddNamesWork({QString::fromUtf8(server), schema});
  other->Execute("DROP SCHEMA " + Quoted(schema).toStdString() + " CASCADE; DROP TABLE public." +
                 Quoted(kTables[0]).toStdString());
}

}  // namespace

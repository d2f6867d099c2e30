#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QThread>

#include <algorithm>

#include "tests/data/GridDriver.h"

namespace {

const char* kCatalogue =
    "CREATE TABLE tipi (i INTEGER, b BOOLEAN, d DATETIME, v VARCHAR(40), m TEXT,"
    "  w NVARCHAR(10), s SMALLINT, r REAL, g DATE);"
    "CREATE TABLE \"Listino prezzi\" (codice CHAR(6), prezzo NUMERIC(8,2));"
    "CREATE TABLE contatori (id INTEGER PRIMARY KEY AUTOINCREMENT);"
    "INSERT INTO contatori DEFAULT VALUES;"
    "CREATE VIEW vista AS SELECT i, v FROM tipi;";

Row Field(const QString& name, const QString& type, const QString& size) { return {name, type, size, 4}; }

std::vector<Row> WithType(const std::vector<Row>& rows, const QString& type) {
  std::vector<Row> out;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(out), [&](const Row& r) { return r.sub1 == type; });
  return out;
}

TEST(SchemaBrowser, CatalogueAndFieldsWithItalianTypeNames) {
  SqliteWindow s(kCatalogue);
  GridDriver& d = s.d;
  const QString& text = s.text;

  const auto tables = d.Rows("LwTabelle");
  EXPECT_EQ(WithType(tables, "TABLE").size(), 3u);
  EXPECT_EQ(WithType(tables, "VIEW"), (std::vector<Row>{{"vista", "VIEW", {}, 2}}));
  const auto system = WithType(tables, "SYSTEM TABLE");
  EXPECT_TRUE(std::any_of(system.begin(), system.end(), [](const Row& r) { return r.text == "sqlite_sequence"; }));
  for (const auto& r : tables) EXPECT_EQ(r.picture, 2) << r;

  d.ClickTable("tipi");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura campi effettuata correttamente su " + text)});
  const auto fields = d.Rows("LwCampi");
  ASSERT_EQ(fields.size(), 9u);
  const char* types[] = {"Numerico", "Bit", "Data/Ora", "Testo", "Memo", "202", "2", "5", "133"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fields[i].sub1, types[i]) << fields[i];
  EXPECT_EQ(fields[3], Field("v", "Testo", "40"));
  EXPECT_EQ(fields[5], Field("w", "202", "10"));

  // A second click reads the fields again, not doubled. Odd names are OddNames'.
  d.ClickTable("Listino prezzi");
  d.ClickTable("Listino prezzi");
  EXPECT_EQ(d.Rows("LwCampi").size(), 2u);
  EXPECT_EQ(d.NewLog().size(), 2u);

  d.Trigger("mnuLeggiTabelle");
  EXPECT_EQ(d.Rows("LwTabelle"), tables) << "read again, not doubled";
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura tabelle effettuata correttamente su " + text)});
}

// SQLite's ODBC driver lists no tables at all for a new database: no failure.
TEST(SchemaBrowser, AnEmptyCatalogueIsNoFailure) {
  WindowDriver d;
  QTemporaryDir dir;
  const QString text = "Provider=ODBC;Driver={SQLite3};Database=" + MakeSqlite(dir, "nuovo.db", "VACUUM");
  d.w->Conne(text, "", "");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Ok("Connessione effettuata correttamente a " + text),
                                          Ok("Lettura tabelle effettuata correttamente su " + text)}));
  EXPECT_TRUE(d.Rows("LwTabelle").empty());
}

// A click that arrives while the catalogue is read waits for the read to end:
// it would otherwise read fields in the middle of a list being refilled.
TEST(SchemaBrowser, ClickDuringAReadRunsAfterIt) {
  SqliteWindow s(kCatalogue);
  GridDriver& d = s.d;
  ListView* list = d.List("LwTabelle");
  const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    const auto buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QCoreApplication::postEvent(list->viewport(), new QMouseEvent(type, at, list->viewport()->mapToGlobal(at),
                                                                  Qt::LeftButton, buttons, Qt::NoModifier));
  }
  bool repainted = false;
  QMetaObject::invokeMethod(d.w.get(), [&] { repainted = true; }, Qt::QueuedConnection);
  QThread::msleep(20);  // let the read's first pass process events

  d.Trigger("mnuLeggiTabelle");
  EXPECT_TRUE(repainted) << "other events are processed during the read";
  EXPECT_EQ(d.NewLog().size(), 1u);
  EXPECT_TRUE(d.Rows("LwCampi").empty());

  QCoreApplication::processEvents();
  EXPECT_FALSE(d.Rows("LwCampi").empty());
  EXPECT_EQ(d.NewLog().size(), 1u);
}

}  // namespace

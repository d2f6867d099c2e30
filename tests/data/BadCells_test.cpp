#include <gtest/gtest.h>

#include "tests/data/GridDriver.h"

namespace {

// The grid through each way to reach a SQLite file: the engine itself and its ODBC driver.
struct Way {
  const char* name;
  QString (*text)(const QString& file);
};
const Way kWays[] = {
    {"SQLite", [](const QString& file) { return SqliteText(file); }},
    {"ODBC", [](const QString& file) { return "Provider=ODBC;Driver={SQLite3};Database=" + file; }},
};

// Bytes that are no UTF-8 show as replacement characters; the row is compared with
// the bytes read, so an edit of another cell is written and leaves them as they are,
// and leaving that cell untouched writes nothing.
TEST(BadCells, TextThatIsNoUtf8IsShownAndKeptAsStored) {
  for (const Way& way : kWays) {
    SCOPED_TRACE(way.name);
    QTemporaryDir dir;
    const QString file = MakeSqlite(dir, "rotto.db",
                                    "CREATE TABLE t (id INTEGER PRIMARY KEY, rotto TEXT, nota TEXT);"
                                    "INSERT INTO t VALUES (1, CAST(X'6361FF66E8C3' AS TEXT), 'prima');");
    GridDriver d;
    d.w->Conne(way.text(file), "", "");
    d.probe.LeggiDati("SELECT * FROM t");
    ASSERT_EQ(d.RowCount(), 1);
    EXPECT_EQ(d.Cell(0, 1), QString("ca\uFFFDf\uFFFD\uFFFD"));

    CellEditor* e = d.Open(0, 1);
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Right);  // leaves the cell untouched
    ASSERT_EQ(d.grid->currentIndex().column(), 2);
    d.Type("dopo");
    QTest::keyClick(d.Editor(), Qt::Key_Return);
    EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
    d.probe.Settle();
    EXPECT_EQ(SqliteScalar(file, "SELECT nota FROM t"), "dopo");
    EXPECT_EQ(SqliteScalar(file, "SELECT hex(rotto) || typeof(rotto) FROM t"), "6361FF66E8C3text");
  }
}

// A cell of 100 MB: the grid reads it once and shows one short line of it; the other
// cells of its row are edited as any other.
TEST(BadCells, AHundredMegabyteCellLoadsAndTheGridStaysResponsive) {
  SqliteWindow s("CREATE TABLE t (id INTEGER PRIMARY KEY, testo TEXT, n INTEGER);"
                 "INSERT INTO t VALUES (1, 'inizio' || char(10) || replace(hex(zeroblob(50000000)), '0', 'a'), 1),"
                 " (2, 'breve', 2);");
  GridDriver& d = s.d;
  d.probe.LeggiDati("SELECT * FROM t");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + s.text)});
  ASSERT_EQ(d.RowCount(), 2);
  const QString shown = d.Cell(0, 1);
  EXPECT_TRUE(shown.startsWith("inizio\u21b5aaa")) << shown.left(20).toStdString();
  EXPECT_LE(shown.size(), 201);

  d.grid->viewport()->repaint();

  d.Write(0, 2, "5");
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
  EXPECT_EQ(s.Scalar("SELECT n || ' ' || length(testo) FROM t WHERE id = 1"), "5 100000007");

  // Its own cell opens at once, for reading: a value that long is changed by SQL,
  // never written back from a line cut for the screen.
  CellEditor* e = d.Open(0, 1);
  d.grid->viewport()->repaint();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->text(), shown);
  QTest::keyClick(e, Qt::Key_X);
  ASSERT_EQ(d.Refused().size(), 1);
  EXPECT_TRUE(d.Refused()[0].contains("troppo lungo")) << d.Refused()[0].toStdString();
  QTest::keyClick(e, Qt::Key_Down);
  EXPECT_EQ(s.Scalar("SELECT length(testo) FROM t WHERE id = 1"), "100000007");
  EXPECT_EQ(d.Editor()->text(), "breve") << "the next row is edited as ever";
}

// SQLite's widest table: 2,000 columns in the field list and in the grid, the last
// one edited like the first.
TEST(BadCells, TwoThousandColumns) {
  QString create = "CREATE TABLE largo (c1 INTEGER PRIMARY KEY", insert = "INSERT INTO largo VALUES (1";
  for (int c = 2; c <= 2000; ++c) {
    create += QString(", c%1 TEXT").arg(c);
    insert += QString(", 'v%1'").arg(c);
  }
  SqliteWindow s((create + ");" + insert + ");").toUtf8().constData());
  GridDriver& d = s.d;
  d.ClickTable("largo");
  const std::vector<Row> fields = d.Rows("LwCampi");
  ASSERT_EQ(fields.size(), 2000u);
  EXPECT_EQ(fields.back().text, "c2000");

  d.NewLog();
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + s.text)});
  ASSERT_EQ(d.model()->columnCount(), 2000);
  EXPECT_EQ(d.Headings().last(), "c2000");
  EXPECT_EQ(d.Cell(0, 1999), "v2000");

  d.Write(0, 1999, "ultima");
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
  EXPECT_EQ(s.Scalar("SELECT c2000 FROM largo"), "ultima");

  // Without a key the row id would name the rows, but no result holds a 2,001st column.
  s.Scalar("CREATE TABLE senza AS SELECT * FROM largo");
  d.Trigger("mnuLeggiTabelle");
  d.ClickTable("senza");
  d.Trigger("mnuLeggiDatiTabella");
  d.Write(0, 1, "x");
  EXPECT_TRUE(d.Refused().join('\n').contains("troppe colonne per leggerne anche il rowid")) << d.Refused().join('\n').toStdString();
}

}  // namespace

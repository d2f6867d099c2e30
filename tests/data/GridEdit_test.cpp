#include <gtest/gtest.h>

#include <QScrollBar>

#include "db/providers/BuiltInProviders.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "tests/data/GridDriver.h"

namespace {

const char* kBooks =
    "CREATE TABLE libri (id INTEGER PRIMARY KEY, titolo VARCHAR(60), prezzo REAL, note TEXT);"
    "INSERT INTO libri VALUES (1, 'Il nome della rosa', 12.5, NULL), (2, 'Gomorra', 9, 'x');"
    "CREATE TABLE autori (id INTEGER PRIMARY KEY, nome VARCHAR(40));";

class GridEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    d.w->Conne(SqliteText(file), "", "");
    d.probe.LeggiDati("SELECT * FROM libri");
    d.NewLog();
  }
  QString Stored(const char* column, int id = 1) const {
    return SqliteScalar(file, QString("SELECT %1 FROM libri WHERE id = %2").arg(column).arg(id));
  }
  QTemporaryDir dir;
  QString file = MakeSqlite(dir, "libri.db", kBooks);
  GridDriver d;
};

TEST_F(GridEdit, ALeftCellIsWrittenAndReadBackElsewhere) {
  CellEditor* e = d.Open(0, 1);
  ASSERT_NE(e, nullptr) << "the current cell is open for editing";
  EXPECT_EQ(e->text(), "Il nome della rosa");
  d.Type("Il pendolo di Foucault");
  EXPECT_EQ(Stored("titolo"), "Il nome della rosa") << "written when the cell is left";
  QTest::keyClick(e, Qt::Key_Down);
  EXPECT_EQ(Stored("titolo"), "Il pendolo di Foucault");
  EXPECT_EQ(d.Cell(0, 1), "Il pendolo di Foucault");
  EXPECT_EQ(d.grid->currentIndex(), d.model()->index(1, 1));

  // NULL and an empty text are different values, both written.
  d.Open(0, 3);
  QTest::keyClick(d.Editor(), Qt::Key_X);
  QTest::keyClick(d.Editor(), Qt::Key_Backspace);
  QTest::keyClick(d.Editor(), Qt::Key_Down);
  EXPECT_EQ(Stored("note"), "");
  d.Open(0, 3);
  QTest::keyClick(d.Editor(), Qt::Key_0, Qt::ControlModifier);
  QTest::keyClick(d.Editor(), Qt::Key_Return);
  EXPECT_EQ(Stored("note"), "<NULL>");
  EXPECT_EQ(d.Cell(0, 3), "NULL");
  EXPECT_TRUE(d.refused.isEmpty()) << d.refused.join('\n').toStdString();
  // The key takes no NULL: it is not offered, and Ctrl+0 there changes nothing.
  d.Open(0, 0);
  EXPECT_FALSE(d.Editor()->actions().value(0)->isVisible());
  QTest::keyClick(d.Editor(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_FALSE(d.Editor()->isNull() || d.Editor()->changed());

  // Leaving a cell untouched writes nothing, even after a change made elsewhere.
  d.Open(1, 1);
  MakeSqlite(dir, "libri.db", "UPDATE libri SET titolo = 'altrove' WHERE id = 2");
  QTest::keyClick(d.Editor(), Qt::Key_Up);
  EXPECT_EQ(Stored("titolo", 2), "altrove");
  EXPECT_TRUE(d.refused.isEmpty());
}

TEST_F(GridEdit, AConflictingEditIsRefusedAndTheCellShowsTheStoredValue) {
  ASSERT_EQ(d.Cell(0, 2), "12.5");
  MakeSqlite(dir, "libri.db", "UPDATE libri SET prezzo = 20 WHERE id = 1");
  d.Open(0, 2);
  d.Type("15");
  QTest::keyClick(d.Editor(), Qt::Key_Tab);
  ASSERT_EQ(d.refused.size(), 1);
  EXPECT_TRUE(d.refused[0].contains("modificata")) << d.refused[0].toStdString();
  EXPECT_EQ(d.Cell(0, 2), "20");
  EXPECT_EQ(Stored("prezzo"), "20.0");
  EXPECT_TRUE(d.NewLog().empty()) << "a refused edit is not an operation of the log";

  // A closed connection refuses as well; the grid keeps showing what it read.
  ASSERT_EQ(d.Cell(1, 1), "Gomorra");
  d.Trigger("mnuDisconnetti");
  d.Open(1, 1);
  d.Type("dopo");
  QTest::keyClick(d.Editor(), Qt::Key_Up);
  EXPECT_EQ(d.refused.size(), 2);
  EXPECT_EQ(d.Cell(1, 1), "Gomorra");
  EXPECT_EQ(Stored("titolo", 2), "Gomorra");

  d.w->Conne(SqliteText(file), "", "");
  d.NewLog();
  d.probe.LeggiDati("SELECT * FROM libri");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + SqliteText(file))});
  EXPECT_EQ(d.Cell(0, 2), "20");
}

TEST_F(GridEdit, AnEditInProgressIsWrittenBeforeRebindingOrClosing) {
  d.Open(0, 1);
  d.Type("prima del cambio");
  d.probe.LeggiDati("SELECT * FROM autori");
  EXPECT_EQ(Stored("titolo"), "prima del cambio");

  d.probe.LeggiDati("SELECT * FROM libri");
  d.Open(1, 1);
  d.Type("alla chiusura");
  d.w->close();
  EXPECT_EQ(Stored("titolo", 2), "alla chiusura");
  EXPECT_TRUE(d.refused.isEmpty());
}

// The grid reads rows as the view needs them: a million rows cost a count and the
// pages around the rows shown.
// The first screen comes before the count; Ctrl+End, or the scroll bar dragged to its
// foot, asks for the count when it has not come yet, and it makes the scroll bar exact.
TEST(GridScale, AMillionRowsOpenBeforeTheirCountAndReachTheEnd) {
  QTemporaryDir dir;
  const QString file = MakeSqlite(dir, "grande.db",
                                  "CREATE TABLE grande (id INTEGER PRIMARY KEY, testo TEXT);"
                                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)"
                                  " INSERT INTO grande SELECT i, 'riga ' || i FROM n;");
  GridDriver d;
  d.w->Conne(SqliteText(file), "", "");
  d.probe.LeggiDati("SELECT * FROM grande");
  EXPECT_LT(d.RowCount(), 1000);
  EXPECT_LT(d.probe.RsDati()->RowsRead(), 1000);
  d.Open(0, 1);
  QTest::keyClick(d.Editor(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(d.grid->currentIndex().row(), 999999);
  EXPECT_EQ(d.Editor()->text(), "riga 1000000");
  d.grid->viewport()->repaint();
  QTest::keyClick(d.Editor(), Qt::Key_PageUp);
  QTest::keyClick(d.Editor(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(d.grid->currentIndex().row(), 0);
  EXPECT_LT(d.probe.RsDati()->RowsRead(), 50000);

  d.probe.LeggiDati("SELECT * FROM grande");
  QScrollBar* bar = d.grid->verticalScrollBar();
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.RowCount() == 1000000 && bar->maximum() > 999000; }));

  d.probe.LeggiDati("SELECT * FROM grande");
  ASSERT_LT(d.RowCount(), 1000);
  bar->setSliderDown(true);
  bar->setValue(bar->maximum());
  bar->setSliderDown(false);
  EXPECT_EQ(d.RowCount(), 1000000);
  EXPECT_EQ(bar->value(), bar->maximum());
}

// PostgreSQL writes back by key with its own quoting; skipped without a server.
TEST(GridPostgres, AnEditIsWrittenBack) {
  const QByteArray server = qgetenv("CARTAVO_TEST_PG");
  if (server.isEmpty()) GTEST_SKIP() << "CARTAVO_TEST_PG not set";
  const std::string table = "griglia_" + std::to_string(QCoreApplication::applicationPid());
  db::Connection other(db::BuiltInProvider);
  other.ConnectionString(server.toStdString());
  other.Open();
  other.Execute("CREATE TABLE " + table + " (id integer PRIMARY KEY, nome varchar(30), nota text);"
                "INSERT INTO " + table + " VALUES (1, 'uno', NULL), (2, 'due', 'x')");
  GridDriver d;
  d.w->Conne(QString::fromUtf8(server), "", "");
  d.probe.LeggiDati(QString::fromStdString("SELECT * FROM " + table + " ORDER BY id"));
  ASSERT_EQ(d.RowCount(), 2);
  EXPECT_EQ(d.Cell(0, 2), "NULL");
  d.Open(1, 1);
  d.Type("DUE");
  QTest::keyClick(d.Editor(), Qt::Key_Up);
  db::Recordset check;
  check.Open("SELECT nome FROM " + table + " WHERE id = 2", other);
  const std::string stored = check.Fields().Item(0L).GetValue().ToText();
  other.Execute("DROP TABLE " + table);
  EXPECT_EQ(stored, "DUE");
  EXPECT_TRUE(d.refused.isEmpty()) << d.refused.join('\n').toStdString();
}

}  // namespace

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>

#include "tests/data/GridDriver.h"

namespace {

const char* kBooks =
    "CREATE TABLE libri (id INTEGER PRIMARY KEY, titolo VARCHAR(60), prezzo REAL, note TEXT);"
    "INSERT INTO libri VALUES (1, 'Il nome della rosa', 12.5, NULL), (2, 'Gomorra', 9, 'x');"
    "CREATE TABLE autori (id INTEGER PRIMARY KEY, nome VARCHAR(40));";

class DataView : public ::testing::Test, protected SqliteWindow {
 protected:
  DataView() : SqliteWindow(kBooks) {
    d.probe.LeggiDati("SELECT * FROM libri");
    d.NewLog();
  }
  QString Stored(const char* column, int id = 1) {
    return Scalar(QString("SELECT %1 FROM libri WHERE id = %2").arg(column).arg(id));
  }
};

TEST_F(DataView, TablesLoadOneAfterTheOtherOnTheSameRecordset) {
  db::Recordset* first = d.probe.RsDati();
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_TRUE(d.NewLog().empty()) << "nothing selected";

  d.ClickTable("libri");
  d.NewLog();
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(d.Headings(), (QStringList{"id", "titolo", "prezzo", "note"}));
  ASSERT_EQ(d.RowCount(), 2);
  EXPECT_EQ(d.Cell(0, 1), "Il nome della rosa");

  // Odd names are OddNames'.
  d.ClickTable("autori");
  d.NewLog();
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(d.probe.RsDati(), first) << "created once, reused";
  EXPECT_EQ(d.Headings(), (QStringList{"id", "nome"}));
  EXPECT_EQ(d.RowCount(), 0) << "no rows is a success";
}

TEST_F(DataView, TheFirstSixCharactersDecideBetweenQueryAndCommand) {
  d.RunSql("   select titolo FROM libri ORDER BY id");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(d.Cell(0, 0), "Il nome della rosa");

  d.RunSql("UPDATE libri SET prezzo = prezzo + 1");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Esecuzione comandi SQL effettuata correttamente su " + text)});
  EXPECT_EQ(d.Headings(), QStringList{"titolo"}) << "a command leaves the grid";
  EXPECT_EQ(Stored("prezzo"), "13.5");

  d.RunSql("SELECTED");
  ExpectErrorThen(d.NewLog(), Err0("Lettura dati fallita su " + text));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(d.probe.RsDati()->State(), db::adStateClosed);
  EXPECT_EQ(d.RowCount(), 0) << "the grid let go of the closed rows";
  d.RunSql("UPDATE manca SET a = 1");
  ExpectErrorThen(d.NewLog(), Err0("Esecuzione comandi SQL fallita su " + text));
  EXPECT_EQ(d.probe.txtSQL()->toPlainText(), "UPDATE manca SET a = 1") << "Esegui keeps the text";

  d.probe.txtSQL()->setPlainText("DELETE FROM libri");
  QTest::mouseClick(d.w->findChild<QPushButton*>("cmdDelete"), Qt::LeftButton);
  EXPECT_EQ(d.probe.txtSQL()->toPlainText(), "");
  EXPECT_TRUE(d.NewLog().empty());
}

TEST_F(DataView, ALeftCellIsWrittenAndReadBackElsewhere) {
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
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
  // The key takes no NULL: it is not offered, and Ctrl+0 there changes nothing.
  d.Open(0, 0);
  EXPECT_FALSE(d.Editor()->actions().value(0)->isVisible());
  QTest::keyClick(d.Editor(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_FALSE(d.Editor()->isNull() || d.Editor()->changed());
}

// With a refusal's box open, a menu item reached through the accessibility
// interface, as a screen reader does, is refused instead of run inside the box.
TEST_F(DataView, NoOperationRunsInsideARefusalsBox) {
  d.ClickTable("autori");
  d.Open(0, 1);
  d.Type("mio");
  MakeSqlite(dir, "t.db", "UPDATE libri SET titolo = 'altrui' WHERE id = 1");
  d.NewLog();
  std::vector<Row> duringBox;
  QString told;
  d.grid->setErrorReporter([&](const QString& message) {
    told = message;
    QAction* action = d.w->findChild<QAction*>("mnuLeggiDatiTabella");
    QMenu* menu = nullptr;
    for (QObject* o : action->associatedObjects())
      if (auto* m = qobject_cast<QMenu*>(o)) menu = m;
    ASSERT_NE(menu, nullptr);
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; i < items->childCount(); ++i)
      if (items->child(i)->text(QAccessible::Name).remove('&') == "Leggi Dati Tabella")
        items->child(i)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    duringBox = d.NewLog();
  });
  QTest::keyClick(d.Editor(), Qt::Key_Down);
  d.probe.Settle();
  ASSERT_EQ(duringBox.size(), 2u);
  EXPECT_EQ(duringBox[0].text, "Err. n.3711");
  EXPECT_EQ(duringBox[1], Err0("Lettura dati fallita su " + text));
  EXPECT_EQ(d.model()->columnCount(), 4) << "the rows of libri stay";
  EXPECT_TRUE(told.contains("modificata")) << told.toStdString();
  EXPECT_EQ(d.Cell(0, 1), "altrui") << "a refused write shows what is stored now";
}

// Before the grid reads other rows, before an operation takes the connection and
// when the window closes; with no connection the edit is refused and nothing changes.
TEST_F(DataView, AnEditInProgressIsWrittenBeforeTheRowsOrTheConnectionGo) {
  d.Open(0, 1);
  d.Type("prima del cambio");
  d.probe.LeggiDati("SELECT * FROM autori");
  EXPECT_EQ(Stored("titolo"), "prima del cambio");
  d.probe.LeggiDati("SELECT * FROM libri");
  ASSERT_EQ(d.Cell(1, 1), "Gomorra");  // read while connected
  d.Trigger("mnuDisconnetti");
  d.Write(1, 1, "dopo", Qt::Key_Up);
  EXPECT_EQ(d.Refused().size(), 1);
  EXPECT_EQ(d.Cell(1, 1), "Gomorra");
  EXPECT_EQ(Stored("titolo", 2), "Gomorra");

  d.w->Conne(text, "", "");
  d.probe.LeggiDati("SELECT * FROM libri");
  d.Open(0, 2);
  d.Type("77");
  d.Trigger("mnuDisconnetti");
  EXPECT_EQ(Stored("prezzo"), "77.0");
  d.w->Conne(text, "", "");
  d.probe.LeggiDati("SELECT * FROM libri");
  d.Open(1, 1);
  d.Type("alla chiusura");
  d.w->close();
  EXPECT_EQ(Stored("titolo", 2), "alla chiusura");
  EXPECT_EQ(d.Refused().size(), 1);
}

// The grid reads rows as the view needs them: a million rows cost a count and the
// pages around the rows shown.
// The first screen comes before the count; Ctrl+End, or the scroll bar dragged to its
// foot, asks for the count when it has not come yet, and it makes the scroll bar exact.
TEST(GridScale, AMillionRowsOpenBeforeTheirCountAndReachTheEnd) {
  SqliteWindow s("CREATE TABLE grande (id INTEGER PRIMARY KEY, testo TEXT);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)"
                 " INSERT INTO grande SELECT i, 'riga ' || i FROM n;");
  GridDriver& d = s.d;
  d.probe.LeggiDati("SELECT * FROM grande");
  EXPECT_LT(d.RowCount(), 1000);
  d.Open(0, 1);
  QTest::keyClick(d.Editor(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.CurrentRow() == 999999; }));
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.Editor() && d.Editor()->text() == "riga 1000000"; }));
  // The screen shows the rows where the cell is, not those the scroll bar knew before the count.
  const auto shown = [&](int y) { return d.Cell(d.grid->indexAt({1, y}).row(), 1).toStdString(); };
  EXPECT_EQ(shown(d.grid->viewport()->height() - 2), "riga 1000000");
  // The view holds a window of the rows: an edit there is written to the row shown.
  EXPECT_LE(d.grid->verticalHeader()->count(), RecordsetModel::kWindowRows);
  d.Type("ultima");
  QTest::keyClick(d.Editor(), Qt::Key_PageUp);
  EXPECT_EQ(s.Scalar("SELECT testo FROM grande WHERE id = 1000000"), "ultima");
  QTest::keyClick(d.Editor(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(d.CurrentRow(), 0);
  EXPECT_EQ(shown(1), "riga 1");
  EXPECT_LT(d.probe.RsDati()->RowsRead(), 50000);

  // The scroll bar counts the result's rows; the current cell waits where it was.
  QScrollBar* bar = d.grid->verticalScrollBar();
  bar->setValue(500000);
  const QModelIndex top = d.grid->indexAt({1, 1});
  EXPECT_EQ(d.Cell(top.row(), 1), "riga 500001");
  EXPECT_EQ(d.CurrentRow(), 0);
  QTest::keyClick(d.grid, Qt::Key_Down);
  EXPECT_EQ(d.CurrentRow(), 1);
  EXPECT_LT(bar->value(), 10);
  QTest::keyClick(d.grid, Qt::Key_End, Qt::ControlModifier);  // counted: at once
  EXPECT_EQ(d.CurrentRow(), 999999);
  EXPECT_EQ(shown(d.grid->viewport()->height() - 2), "ultima");

  d.probe.LeggiDati("SELECT * FROM grande");
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.RowCount() == 1000000 && bar->maximum() > 999000; }));

  d.probe.LeggiDati("SELECT * FROM grande");
  ASSERT_LT(d.RowCount(), 1000);
  bar->setSliderDown(true);
  bar->setValue(bar->maximum());
  bar->setSliderDown(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.RowCount() == 1000000; }));
  EXPECT_EQ(bar->value(), bar->maximum());

  // Wider than the view: the move to the last column scrolls sideways too.
  d.probe.LeggiDati("SELECT * FROM grande");
  d.grid->horizontalHeader()->resizeSection(0, 2 * d.grid->viewport()->width());
  QTest::keyClick(d.grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.CurrentRow() == 999999; }));
  EXPECT_EQ(shown(d.grid->viewport()->height() - 2), "ultima");
  QTest::keyClick(d.grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(shown(1), "riga 1");
}

}  // namespace

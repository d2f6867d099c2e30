#include <gtest/gtest.h>

#include <QAccessible>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>

#include "tests/data/GridDriver.h"

namespace {

const char* kBooks =
    "CREATE TABLE libri (id INTEGER PRIMARY KEY, titolo VARCHAR(60), prezzo REAL, note TEXT);"
    "INSERT INTO libri VALUES (1, 'Il nome della rosa', 12.5, NULL), (2, 'Gomorra', 9, 'x');"
    "CREATE TABLE autori (id INTEGER PRIMARY KEY, nome VARCHAR(40));";

class GridEdit : public ::testing::Test, protected SqliteWindow {
 protected:
  GridEdit() : SqliteWindow(kBooks) { d.probe.LeggiDati("SELECT * FROM libri"); }
  QString Stored(const char* column, int id = 1) {
    return Scalar(QString("SELECT %1 FROM libri WHERE id = %2").arg(column).arg(id));
  }
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
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
  // The key takes no NULL: it is not offered, and Ctrl+0 there changes nothing.
  d.Open(0, 0);
  EXPECT_FALSE(d.Editor()->actions().value(0)->isVisible());
  QTest::keyClick(d.Editor(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_FALSE(d.Editor()->isNull() || d.Editor()->changed());

  // Leaving a cell untouched writes nothing, even after a change made elsewhere.
  d.Open(1, 1);
  MakeSqlite(dir, "t.db", "UPDATE libri SET titolo = 'altrove' WHERE id = 2");
  QTest::keyClick(d.Editor(), Qt::Key_Up);
  EXPECT_EQ(Stored("titolo", 2), "altrove");
  EXPECT_TRUE(d.Refused().isEmpty());
}

// With a refusal's box open, a menu item reached through the accessibility
// interface, as a screen reader does, is refused instead of run inside the box.
TEST_F(GridEdit, NoOperationRunsInsideARefusalsBox) {
  d.ClickTable("autori");
  d.Open(0, 1);
  d.Type("mio");
  MakeSqlite(dir, "t.db", "UPDATE libri SET titolo = 'altrui' WHERE id = 1");
  d.NewLog();
  std::vector<Row> duringBox;
  d.grid->setErrorReporter([&](const QString&) {
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
  EXPECT_EQ(d.Cell(0, 1), "altrui");
}

// Before the grid reads other rows, before an operation takes the connection and
// when the window closes; with no connection the edit is refused and nothing changes.
TEST_F(GridEdit, AnEditInProgressIsWrittenBeforeTheRowsOrTheConnectionGo) {
  d.Open(0, 1);
  d.Type("prima del cambio");
  d.probe.LeggiDati("SELECT * FROM autori");
  EXPECT_EQ(Stored("titolo"), "prima del cambio");
  d.probe.LeggiDati("SELECT * FROM libri");
  ASSERT_EQ(d.Cell(1, 1), "Gomorra");  // read while connected
  d.Trigger("mnuDisconnetti");
  d.Open(1, 1);
  d.Type("dopo");
  QTest::keyClick(d.Editor(), Qt::Key_Up);
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
  // The view holds a window of the rows: an edit there is written to the row shown.
  EXPECT_LE(d.grid->verticalHeader()->count(), RecordsetModel::kWindowRows);
  d.Type("ultima");
  QTest::keyClick(d.Editor(), Qt::Key_PageUp);
  EXPECT_EQ(s.Scalar("SELECT testo FROM grande WHERE id = 1000000"), "ultima");
  QTest::keyClick(d.Editor(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(d.CurrentRow(), 0);
  EXPECT_LT(d.probe.RsDati()->RowsRead(), 50000);

  // The scroll bar counts the result's rows; the current cell waits where it was.
  QScrollBar* middle = d.grid->verticalScrollBar();
  middle->setValue(500000);
  const QModelIndex top = d.grid->indexAt({1, 1});
  EXPECT_EQ(d.Cell(top.row(), 1), "riga 500001");
  EXPECT_EQ(d.CurrentRow(), 0);
  QTest::keyClick(d.grid, Qt::Key_Down);
  EXPECT_EQ(d.CurrentRow(), 1);
  EXPECT_LT(middle->value(), 10);
  QTest::keyClick(d.grid, Qt::Key_End, Qt::ControlModifier);  // counted: at once
  EXPECT_EQ(d.CurrentRow(), 999999);

  d.probe.LeggiDati("SELECT * FROM grande");
  QScrollBar* bar = d.grid->verticalScrollBar();
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.RowCount() == 1000000 && bar->maximum() > 999000; }));

  d.probe.LeggiDati("SELECT * FROM grande");
  ASSERT_LT(d.RowCount(), 1000);
  bar->setSliderDown(true);
  bar->setValue(bar->maximum());
  bar->setSliderDown(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.RowCount() == 1000000; }));
  EXPECT_EQ(bar->value(), bar->maximum());
}

}  // namespace

// The grid's own commands: keys that must change nothing, copy, CSV export and F5.
// What they show of each engine's values is ProviderBehaviour's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>

#include "data/RowsText.h"
#include "tests/data/GridDriver.h"
#include "tests/db/OwnConnection.h"

namespace {

const char* kRows =
    "CREATE TABLE comandi (id INTEGER PRIMARY KEY, nome VARCHAR(40), dati BLOB);"
    "INSERT INTO comandi VALUES (1, 'a\tb', X'00FF'), (2, NULL, NULL), (3, '', NULL),"
    " (4, 'riga \"due\"\nseconda', NULL);";

class GridCommands : public ::testing::Test, protected SqliteWindow {
 protected:
  GridCommands() : SqliteWindow(kRows) { d.probe.LeggiDati("SELECT * FROM comandi ORDER BY id"); }
  // NULL apart from an empty text.
  QString StoredNames() {
    return Scalar("SELECT group_concat(coalesce(nome, '<NULL>'), '|') FROM (SELECT nome FROM comandi ORDER BY id)");
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(QApplication::focusWidget(), key, mods); }
  void ClickHeader(QHeaderView* header, int section) {
    const int at = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
    const QPoint point = header->orientation() == Qt::Horizontal ? QPoint(at, header->height() / 2)
                                                                 : QPoint(header->width() / 2, at);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
  }
  QString Copied() {
    d.grid->Copy();
    return QApplication::clipboard()->text();
  }
};

TEST_F(GridCommands, DeleteAndBackspaceOnASelectionChangeNothing) {
  ASSERT_EQ(d.RowCount(), 4);
  const QString before = StoredNames();
  QSignalSpy told(d.grid, &DataGrid::DeleteRefused);
  d.Open(0, 1);
  ClickHeader(d.grid->verticalHeader(), 0);
  Press(Qt::Key_Delete);
  Press(Qt::Key_Backspace);
  d.grid->clearSelection();
  ClickHeader(d.grid->horizontalHeader(), 1);
  Press(Qt::Key_Delete);
  d.grid->clearSelection();
  d.grid->selectionModel()->select(d.model()->index(3, 1), QItemSelectionModel::Select);
  Press(Qt::Key_Backspace);
  Press(Qt::Key_X, Qt::ControlModifier);
  d.grid->clearSelection();
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  EXPECT_EQ(StoredNames(), before);
  EXPECT_EQ(told.count(), 5);
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
}

TEST_F(GridCommands, CopyAndExportQuoteWhatNeedsIt) {
  d.grid->selectionModel()->select(QItemSelection(d.model()->index(0, 1), d.model()->index(3, 2)),
                                   QItemSelectionModel::Select);
  EXPECT_EQ(Copied(), "\"a\tb\"\t00ff\n\t\n\t\n\"riga \"\"due\"\"\nseconda\"\t");
  d.grid->clearSelection();
  ClickHeader(d.grid->horizontalHeader(), 0);
  EXPECT_EQ(Copied(), "id\n1\n2\n3\n4");

  QDir(dir.path()).mkdir("csv");
  const QString csv = dir.filePath("csv/esporta.csv");
  d.grid->ExportCsv(csv, ';');
  QProcess python;
  python.start("python3", {"-c",
                           "import csv, json, sys\n"
                           "print(json.dumps(list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), "
                           "delimiter=';'))))",
                           csv});
  ASSERT_TRUE(python.waitForFinished(10000));
  const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
  const QJsonArray expected = QJsonDocument::fromJson(R"([["id","nome","dati"],["1","a\tb","00ff"],["2","",""],
      ["3","",""],["4","riga \"due\"\nseconda",""]])").array();
  EXPECT_EQ(rows, expected) << QJsonDocument(rows).toJson().toStdString();
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();

  // Given up half way, an export leaves neither the file nor a part of it.
  QFile::remove(csv);
  const auto other = OwnConnection(text.toStdString());
  db::Recordset rs;
  rs.Open("SELECT * FROM comandi", *other);
  int asked = 0;
  EXPECT_THROW(data::ExportCsv(rs, csv, ',', [&] { return ++asked > 2; }), db::DbError);
  EXPECT_EQ(QDir(dir.filePath("csv")).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

TEST_F(GridCommands, F5ReadsTheRowsAgainOnTheSameCell) {
  d.Open(2, 1);
  MakeSqlite(dir, "t.db", "UPDATE comandi SET nome = 'nuovo' WHERE id = 3");
  Press(Qt::Key_F5);
  EXPECT_EQ(d.Cell(2, 1), "nuovo");
  EXPECT_EQ(d.grid->currentIndex(), d.model()->index(2, 1));
}

}  // namespace

// The grid's own commands, on every engine: keys that must change nothing, copy, CSV
// export and F5.
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
#include "db/Connection.h"
#include "db/providers/BuiltInProviders.h"
#include "tests/data/GridDriver.h"

namespace {

struct Engine {
  std::string name;
  std::function<std::string(const QTemporaryDir&)> connect;  // empty: no engine here
  std::string binary;                                        // the 00ff literal
};

void PrintTo(const Engine& e, std::ostream* os) { *os << e.name; }

const std::string kTable = "comandi_" + std::to_string(QCoreApplication::applicationPid());

class GridCommands : public testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    text = GetParam().connect(dir);
    if (text.empty()) GTEST_SKIP() << "no " << GetParam().name << " server";
    other.ConnectionString(text);
    other.Open();
    other.Execute("DROP TABLE IF EXISTS " + kTable);
    other.Execute("CREATE TABLE " + kTable + " (id INTEGER PRIMARY KEY, nome VARCHAR(40), dati " +
                  (GetParam().name == "SQLite" ? "BLOB" : "BYTEA") + ")");
    other.Execute("INSERT INTO " + kTable + " VALUES (1, 'a\tb', " + GetParam().binary + "), (2, NULL, NULL), " +
                  "(3, '', NULL), (4, 'riga \"due\"\nseconda', NULL)");
    d.w->Conne(QString::fromStdString(text), "", "");
    d.probe.LeggiDati(QString::fromStdString("SELECT * FROM " + kTable + " ORDER BY id"));
    ASSERT_EQ(d.RowCount(), 4);
  }
  void TearDown() override {
    if (other.State() == db::adStateOpen) other.Execute("DROP TABLE " + kTable);
  }
  std::string Stored(int id) {
    db::Recordset rs;
    rs.Open("SELECT nome FROM " + kTable + " WHERE id = " + std::to_string(id), other);
    const db::Value v = rs.Fields().Item(0L).GetValue();
    return v.IsNull() ? "<NULL>" : v.ToText();
  }
  std::vector<std::string> StoredNames() { return {Stored(1), Stored(2), Stored(3), Stored(4)}; }
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

  QTemporaryDir dir;
  std::string text;
  db::Connection other{db::BuiltInProvider};
  GridDriver d;
};

TEST_P(GridCommands, DeleteAndBackspaceOnASelectionChangeNothing) {
  const std::vector<std::string> before = StoredNames();
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

TEST_P(GridCommands, CopyAndExportQuoteWhatNeedsIt) {
  d.grid->selectionModel()->select(QItemSelection(d.model()->index(0, 1), d.model()->index(3, 2)),
                                   QItemSelectionModel::Select);
  EXPECT_EQ(Copied(), "\"a\tb\"\t00ff\n\t\n\t\n\"riga \"\"due\"\"\nseconda\"\t");
  d.grid->clearSelection();
  ClickHeader(d.grid->horizontalHeader(), 0);
  EXPECT_EQ(Copied(), "id\n1\n2\n3\n4");

  QDir(dir.path()).mkdir("csv");
  const QString file = dir.filePath("csv/esporta.csv");
  d.grid->ExportCsv(file, ';');
  QProcess python;
  python.start("python3", {"-c",
                           "import csv, json, sys\n"
                           "print(json.dumps(list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), "
                           "delimiter=';'))))",
                           file});
  ASSERT_TRUE(python.waitForFinished(10000));
  const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
  const QJsonArray expected = QJsonDocument::fromJson(R"([["id","nome","dati"],["1","a\tb","00ff"],["2","",""],
      ["3","",""],["4","riga \"due\"\nseconda",""]])").array();
  EXPECT_EQ(rows, expected) << QJsonDocument(rows).toJson().toStdString();
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();

  // Given up half way, an export leaves neither the file nor a part of it.
  QFile::remove(file);
  db::Recordset rs;
  rs.Open("SELECT * FROM " + kTable, other);
  int asked = 0;
  EXPECT_THROW(data::ExportCsv(rs, file, ',', [&] { return ++asked > 2; }), db::DbError);
  EXPECT_EQ(QDir(dir.filePath("csv")).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

TEST_P(GridCommands, F5ReadsTheRowsAgainOnTheSameCell) {
  d.Open(2, 1);
  other.Execute("UPDATE " + kTable + " SET nome = 'nuovo' WHERE id = 3");
  Press(Qt::Key_F5);
  EXPECT_EQ(d.Cell(2, 1), "nuovo");
  EXPECT_EQ(d.grid->currentIndex(), d.model()->index(2, 1));
}

std::string SqliteFile(const QTemporaryDir& dir) {
  return "Provider=SQLite;Data Source=" + dir.filePath("comandi.db").toStdString() + ";Create=Yes";
}
std::string Postgres(const QTemporaryDir&) { return qEnvironmentVariable("CARTAVO_TEST_PG").toStdString(); }

std::string EngineName(const testing::TestParamInfo<Engine>& p) { return p.param.name; }

INSTANTIATE_TEST_SUITE_P(Engines, GridCommands,
                         testing::Values(Engine{"SQLite", SqliteFile, "X'00FF'"},
                                         Engine{"PostgreSQL", Postgres, "'\\x00ff'::bytea"}),
                         EngineName);

}  // namespace

#pragma once
// Drives the grid and the SQL panel of the real window, and reads a SQLite file
// behind the window's back with sqlite3 itself.
#include <QAbstractItemModel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "data/CellEditor.h"
#include "data/DataGrid.h"
#include "db/Recordset.h"
#include "tests/app/frmMainProbe.h"
#include "tests/app/WindowDriver.h"

class GridDriver : public WindowDriver {
 public:
  GridDriver() {
    grid->setErrorReporter([this](const QString& message) { refused.push_back(message); });
  }

  QAbstractItemModel* model() const { return grid->model(); }
  std::int64_t RowCount() const { return grid->TotalRows(); }
  std::int64_t CurrentRow() const { return grid->Current() ? grid->Current()->row : -1; }
  // What the cell shows once its row has been read.
  QString Cell(int row, int column, int role = Qt::DisplayRole) {
    probe.Settle();
    model()->index(row, column).data(role);
    probe.Settle();
    return model()->index(row, column).data(role).toString();
  }
  QStringList Headings() const {
    QStringList h;
    for (int c = 0; c < model()->columnCount(); ++c) h << model()->headerData(c, Qt::Horizontal).toString();
    return h;
  }
  void RunSql(const QString& text) {
    probe.txtSQL()->setPlainText(text);
    QTest::mouseClick(w->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
  }
  // Clicks the cell, which opens it for editing.
  CellEditor* Open(int row, int column) {
    const QModelIndex at = model()->index(row, column);
    grid->scrollTo(at);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(at).center());
    return Editor();
  }
  CellEditor* Editor() const {
    for (CellEditor* e : grid->viewport()->findChildren<CellEditor*>())
      if (e->isVisible()) return e;
    return nullptr;
  }
  // Replaces the text of the open cell as a user types it.
  void Type(const QString& text) {
    CellEditor* e = Editor();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(e, text);
  }
  // Types the text into the cell and leaves it with the key, which writes it.
  void Write(int row, int column, const QString& text, Qt::Key leave = Qt::Key_Return) {
    Open(row, column);
    Type(text);
    QTest::keyClick(Editor(), leave);
  }

  // What the grid has told so far, once every answer has come.
  QStringList& Refused() {
    probe.Settle();
    return refused;
  }

  frmMainProbe probe{*w};
  DataGrid* grid = probe.Data1();
  QStringList refused;
};

// The first column of the first row of a query, read by sqlite3 on its own connection.
inline QString SqliteScalar(const QString& file, const QString& sql) {
  sqlite3* raw = nullptr;
  sqlite3_open(file.toUtf8().constData(), &raw);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db.get(), sql.toUtf8().constData(), -1, &st, nullptr);
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> guard(st, &sqlite3_finalize);
  if (sqlite3_step(st) != SQLITE_ROW) return "<no row>";
  if (sqlite3_column_type(st, 0) == SQLITE_NULL) return "<NULL>";
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
}

// A window connected to a SQLite file that sqlite3 made from sql, its log read so far.
class SqliteWindow {
 public:
  explicit SqliteWindow(const char* sql) : file(MakeSqlite(dir, "t.db", sql)), text(SqliteText(file)) {
    d.w->Conne(text, "", "");
    d.NewLog();
  }
  // What sqlite3 reads once the window's writes have been made.
  QString Scalar(const QString& sql) {
    d.probe.Settle();
    return SqliteScalar(file, sql);
  }
  QTemporaryDir dir;
  QString file, text;
  GridDriver d;
};


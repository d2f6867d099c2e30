#pragma once
// Drives the real window the way a user does: menu actions, clicks on list rows, and
// reads back what the lists and the event log show.
#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "widgets/ListView.h"
#include "app/frmMain.h"
#include "operations/ProgressDialog.h"

struct Row {
  QString text, sub1, sub2;
  int picture = 0;
  friend bool operator==(const Row&, const Row&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << '[' << r.text.toStdString() << " | " << r.sub1.toStdString() << " | "
            << r.sub2.toStdString() << " | " << r.picture << ']';
}

class WindowDriver {
 public:
  WindowDriver() : w(std::make_unique<frmMain>()) { w->show(); }

  ListView* List(const char* name) const { return w->findChild<ListView*>(name); }
  std::vector<Row> Rows(const char* list) const {
    const auto* model = static_cast<const ListModel*>(List(list)->model());
    std::vector<Row> rows;
    for (int i = 0; i < model->Count(); ++i)
      rows.push_back({model->Text(i), model->SubItem(i, 1), model->SubItem(i, 2), model->Picture(i)});
    return rows;
  }
  // The log lines written since the last call.
  std::vector<Row> NewLog() {
    auto all = Rows("txtEvent");
    std::vector<Row> fresh(all.begin() + std::min(seen_, all.size()), all.end());
    seen_ = all.size();
    return fresh;
  }
  bool Enabled(const char* action) const { return w->findChild<QAction*>(action)->isEnabled(); }
  void Trigger(const char* action) { w->findChild<QAction*>(action)->trigger(); }
  // Clicks the first row with this text (and this hidden schema, when given).
  void ClickTable(const QString& name, const QString& schema = {}) {
    ListView* list = List("LwTabelle");
    const auto* model = static_cast<const ListModel*>(list->model());
    for (int i = 0; i < model->Count(); ++i) {
      if (model->Text(i) != name || (!schema.isNull() && model->UserValue(i) != schema)) continue;
      list->scrollTo(model->index(i, 0));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model->index(i, 0)).center());
      return;
    }
    ADD_FAILURE() << "no table " << name.toStdString();
  }

  std::unique_ptr<frmMain> w;

 private:
  std::size_t seen_ = 0;
};

inline Row Ok(const QString& description) { return {"Evento", description, {}, 6}; }
inline Row Err(long number, const QString& description) {
  return {"Err. n." + QString::number(number), description, {}, 5};
}
inline Row Err0(const QString& description) { return Err(0, description); }
inline const Row kCanceled = Err(-2147217842, "Operazione annullata");

// The error line carries the layer's own number and text; only its shape is fixed.
inline void ExpectErrorThen(const std::vector<Row>& log, const Row& summary) {
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(log[0].text.startsWith("Err. n.") && log[0].text != "Err. n.0") << log[0];
  EXPECT_FALSE(log[0].sub1.isEmpty());
  EXPECT_EQ(log[0].picture, 5);
  EXPECT_EQ(log[1], summary);
}

// Presses "Annulla" of the progress window at `ms`, when there is one.
inline void AnnullaAt(frmMain& w, int ms) {
  QTimer::singleShot(ms, &w, [&w] {
    if (auto* progress = w.findChild<ProgressDialog*>()) progress->reject();
  });
}

// A SQLite file made by the engine itself, so the window is tested against what
// sqlite3 writes and not against our own layer.
inline QString MakeSqlite(const QTemporaryDir& dir, const QString& name, const char* sql) {
  const QString file = dir.filePath(name);
  sqlite3* raw = nullptr;
  sqlite3_open(file.toUtf8().constData(), &raw);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
  char* error = nullptr;
  if (sqlite3_exec(db.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
    ADD_FAILURE() << error;
    sqlite3_free(error);
  }
  return file;
}

inline QString SqliteText(const QString& file) { return "Provider=SQLite;Data Source=" + file; }

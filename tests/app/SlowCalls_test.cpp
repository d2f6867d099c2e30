// Slow calls through the window's own operations on SQLite: the progress window,
// "Annulla" and what the log then says, and the grid kept off the connection while
// a call runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "tests/data/GridDriver.h"

namespace {

const char* kShop =
    "CREATE TABLE t (id INTEGER PRIMARY KEY, v INTEGER);"
    "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 5000) INSERT INTO t SELECT x, x FROM g;";
// Runs until it is stopped.
const QString kEndless = "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c) SELECT count(*) FROM c";

class SlowCalls : public ::testing::Test, protected SqliteWindow {
 protected:
  SlowCalls() : SqliteWindow(kShop) {}
  // Presses "Annulla" at `ms`; tells whether the progress window was there to press.
  void PressAnnullaAt(int ms) {
    QTimer::singleShot(ms, [this] {
      auto* progress = d.w->findChild<ProgressDialog*>();
      progressShown = progress && progress->isVisible();
      const QCursor* pointer = QApplication::overrideCursor();
      arrowOverAnnulla = pointer && pointer->shape() == Qt::ArrowCursor;
      if (progress) QTest::mouseClick(progress->findChild<QPushButton*>("cmdAnnulla"), Qt::LeftButton);
    });
  }
  bool progressShown = false;
  bool arrowOverAnnulla = false;
};

// A command stopped is SqliteFaults'; that the next call runs on is OperationRunner's.
TEST_F(SlowCalls, AnnullaEndsAQueryThroughItsFailurePath) {
  PressAnnullaAt(900);
  d.RunSql("SELECT * FROM (" + kEndless + ")");
  EXPECT_TRUE(progressShown);
  EXPECT_TRUE(arrowOverAnnulla) << "not the busy pointer of the data load";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{kCanceled, Err0("Lettura dati fallita su " + text)}));
  EXPECT_EQ(d.probe.RsDati()->State(), db::adStateClosed);
}

TEST_F(SlowCalls, TheGridAndOtherCommandsWaitForTheCall) {
  d.RunSql("SELECT * FROM t");
  d.NewLog();
  ASSERT_TRUE(QTest::qWaitFor([&] { return d.RowCount() == 5000; }));
  QString duringCall = "?";
  QTimer::singleShot(200, [&] {
    // Scrolled to rows never read: shown blank rather than read beside the call.
    d.grid->verticalScrollBar()->setValue(d.grid->verticalScrollBar()->maximum());
    d.grid->viewport()->repaint();
    duringCall = d.model()->index(4999, 1).data().toString();
    d.probe.txtSQL()->setPlainText("DELETE FROM t");
    d.probe.EseguiSQL();
    d.w->close();  // the window goes when the call has ended, not under it
  });
  PressAnnullaAt(900);
  d.probe.txtSQL()->setPlainText(kEndless);
  d.probe.EseguiSQL();
  EXPECT_TRUE(d.w->isVisible());
  const auto log = d.NewLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].text, "Err. n.3711") << "the second command is refused, not run";
  EXPECT_EQ(log[1], Err0("Esecuzione comandi SQL fallita su " + text));
  EXPECT_EQ(log[2], kCanceled);
  EXPECT_TRUE(duringCall.isEmpty()) << duringCall.toStdString();
  EXPECT_EQ(d.Cell(4999, 1), "5000");
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), "5000");
  QTest::qWait(300);
  EXPECT_FALSE(d.w->isVisible());
}

}  // namespace

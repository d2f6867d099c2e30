#include <algorithm>
#include <chrono>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/ListView.h"
#include "tests/app/MessageBoxCapture.h"
#include "tests/app/frmMainProbe.h"

namespace {

using Clock = std::chrono::steady_clock;

// What one more line costs the window: the line, and the pass of the event loop
// that follows it (layout and paint). The median of several, to leave out noise.
double MedianPassMs(frmMainProbe& p, int passes) {
  std::vector<double> ms;
  for (int i = 0; i < passes; ++i) {
    const auto start = Clock::now();
    p.ScriviEvento("Esecuzione comandi SQL effettuata correttamente su x", 0, false);
    QCoreApplication::processEvents();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::nth_element(ms.begin(), ms.begin() + passes / 2, ms.end());
  return ms[passes / 2];
}

// A long session: the log keeps every line and one more line costs about as much
// at a hundred thousand lines as at a thousand (a view that lays out every row again
// after each line takes some milliseconds a pass there).
TEST(EventLogScale, AHundredThousandLinesStayQuickToAddAndToRead) {
  frmMain w;
  frmMainProbe p(w);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  for (int i = 0; i < 1000; ++i) p.ScriviEvento(QString::number(i), 0, false);
  QCoreApplication::processEvents();
  const double few = MedianPassMs(p, 61);

  const auto start = Clock::now();
  for (int i = p.txtEvent()->ListItems().Count(); i < 100000; ++i) p.ScriviEvento(QString::number(i), i, true);
  QCoreApplication::processEvents();
  const double filling = std::chrono::duration<double>(Clock::now() - start).count();
  const double many = MedianPassMs(p, 61);
  EXPECT_LT(many, 3 * few + 0.25);
  EXPECT_LT(filling, 30.0);

  // The last line is reached and read back like the first.
  ListView* log = p.txtEvent();
  ASSERT_EQ(log->ListItems().Count(), 100061);
  log->scrollToBottom();
  const QModelIndex last = log->model()->index(99999, 1);
  log->setCurrentIndex(last);
  EXPECT_EQ(log->SelectedItem().Text(), "Err. n.99999");
  const CapturedMessageBox box = CaptureMessageBox([&] { p.txtEvent_DblClick(); });
  EXPECT_EQ(box.text, "99999");
}

}  // namespace

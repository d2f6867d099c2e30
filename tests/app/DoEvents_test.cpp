#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "widgets/DoEvents.h"

TEST(DoEvents, ProcessesPendingEventsAtMostEveryFifteenMilliseconds) {
  QTest::qWait(20);
  int delivered = 0;
  QTimer::singleShot(0, [&] { ++delivered; });
  DoEvents();
  EXPECT_EQ(delivered, 1);

  QElapsedTimer clock;
  clock.start();
  QTimer::singleShot(0, [&] { ++delivered; });
  DoEvents();
  // Within the interval a call returns at once and pending events wait.
  if (clock.elapsed() < 10) {
    EXPECT_EQ(delivered, 1);
  }

  // Called for every row of a long read it stays cheap, and the window still repaints.
  long calls = 0;
  while (delivered < 2 && clock.elapsed() < 2000) {
    DoEvents();
    ++calls;
  }
  EXPECT_EQ(delivered, 2);
  EXPECT_GT(calls, 1000);
}

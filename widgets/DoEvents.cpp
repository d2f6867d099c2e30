#include "widgets/DoEvents.h"

#include <chrono>

#include <QCoreApplication>
#include <QEventLoop>

void DoEvents() {
  using Clock = std::chrono::steady_clock;
  constexpr auto kInterval = std::chrono::milliseconds(15);
  // The one piece of state outside the window: when events were last processed. It
  // holds no program data, only the pace of repainting.
  static Clock::time_point last{};
  const Clock::time_point now = Clock::now();
  if (now - last < kInterval) return;
  last = now;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

#pragma once
// The window's thread while the grid scrolls a table of --ui-rows rows in the real
// window (offscreen), and while the PostgreSQL backend of its session is stopped
// with SIGSTOP: the longest the thread was ever busy, by a 10 ms timer's lateness.
#include "bench/Bench.h"

namespace bench {

// LeggiDati, Ctrl+End and Ctrl+Home, the scroll bar from the top to the end and back.
WindowRun UiScroll(Engine engine);
// The same, then the scroll bar swept while the backend is stopped for 5 s.
WindowRun UiStoppedScroll();
// A cell edit committed while the backend is stopped: written once after SIGCONT.
WindowRun UiStoppedEdit();

}  // namespace bench

#pragma once
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>

#include "operations/OperationGate.h"

class QWidget;

struct RunnerTiming {
  std::chrono::milliseconds showAfter{500};
  std::chrono::milliseconds interruptEvery{250};
};

// Around every call, on the user-interface thread with the gate open.
struct RunnerHooks {
  std::function<void()> before;  // the grid writes the cell being edited: no edit waits meanwhile
  std::function<void()> after;   // the grid shows again what it left blank
};

// Runs the blocking database calls of the window's operations on a worker thread
// while the user-interface thread waits in a local event loop that repaints and holds
// the user's input. Once a call has run for showAfter, a modal progress window shows
// the time elapsed; its "Annulla" asks the engine to stop, again every interruptEvery
// until the call ends, since a request that falls between two engine calls is lost.
// The call's exception is raised again on the user-interface thread, so the
// operation's own error trap catches it as if the call had run there.
class OperationRunner {
 public:
  // interrupt: safe from any thread.
  OperationRunner(QWidget* window, std::function<void()> interrupt, RunnerHooks hooks = {},
                  RunnerTiming timing = {});

  const OperationGate& gate() const { return gate_; }
  // Refuses with adErrStillExecuting when called while another call runs.
  void Run(const std::function<void()>& call);
  // Whether "Annulla" was pressed during the call that runs: a call that loops over
  // many engine calls asks it between them. Safe from any thread.
  bool Cancelled() const { return cancelled_; }

 private:
  std::exception_ptr Wait(const std::function<void()>& call);

  QWidget* window_;
  std::function<void()> interrupt_;
  RunnerHooks hooks_;
  RunnerTiming timing_;
  OperationGate gate_;
  std::atomic<bool> cancelled_{false};
};

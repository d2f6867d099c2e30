#pragma once
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>

#include "operations/ConnectionThread.h"
#include "operations/OperationGate.h"

class QWidget;

struct RunnerTiming {
  std::chrono::milliseconds showAfter{500};
  std::chrono::milliseconds interruptEvery{250};  // for the thread a runner makes itself
};

// Around every call, on the user-interface thread with the gate open.
struct RunnerHooks {
  std::function<void()> before;  // the grid writes the cell being edited: no edit waits meanwhile
  std::function<void()> after;   // the grid shows again what it left blank
};

// Runs the blocking database calls of the window's operations on the connection's
// thread, behind whatever that thread has been given already, while the
// user-interface thread waits in one local event loop that repaints and holds the
// user's input. Once a call has run for showAfter, a modal progress window shows the
// time elapsed; its "Annulla" cancels that call (and what waits before it) on the
// connection's thread. The call's exception is raised again on the user-interface
// thread, so the operation's own error trap catches it as if the call had run there.
class OperationRunner {
 public:
  OperationRunner(QWidget* window, ConnectionThread& thread, RunnerHooks hooks = {}, RunnerTiming timing = {});
  // With a thread of its own, for a connection that lives only for one call.
  OperationRunner(QWidget* window, std::function<void()> interrupt, RunnerHooks hooks = {},
                  RunnerTiming timing = {});
  ~OperationRunner();

  const OperationGate& gate() const { return gate_; }
  // Refuses with adErrStillExecuting when called while another call runs.
  void Run(const std::function<void()>& call);
  // Runs a modal window of the operation's own (a box) with the gate closed, so that
  // no other operation starts inside it.
  void Hold(const std::function<void()>& modal);
  // Whether "Annulla" was pressed during the call that runs: a call that loops over
  // many engine calls asks it between them. Safe from any thread.
  bool Cancelled() const { return cancelled_; }
  ConnectionThread& thread() const { return thread_; }

 private:
  std::exception_ptr Wait(const std::function<void()>& call);

  QWidget* window_;
  std::unique_ptr<ConnectionThread> own_;
  ConnectionThread& thread_;
  RunnerHooks hooks_;
  RunnerTiming timing_;
  OperationGate gate_;
  std::atomic<bool> cancelled_{false};
};

#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// The one thread that makes every engine call on a connection, one task after the
// other in the order they were posted, so that no two calls ever meet on a session
// and the window's thread never waits on the engine unless it chooses to.
//
// A cancel names the task it is for: it interrupts that task, again every `every`
// while it runs (a request that falls between two engine calls is lost), and skips
// the tasks posted before it that have not started. It never reaches a task posted
// after it: the interrupt is made under the lock that a task takes to end.
class ConnectionThread {
 public:
  using Ticket = std::uint64_t;
  // abandoned: the task is skipped (cancelled before it started, or the thread is
  // ending); it must then touch no engine and only report that it did not run.
  using Task = std::function<void(bool abandoned)>;

  // interrupt: asks the engine's running call to stop; called from this object's
  // own canceller thread, never from the window's.
  // abandon: gives up the running call without waiting for the engine; by default
  // an interrupt.
  explicit ConnectionThread(std::function<void()> interrupt,
                            std::chrono::milliseconds every = std::chrono::milliseconds(250),
                            std::function<void()> abandon = {});
  // Skips what has not started, interrupts what runs and waits for it to end.
  ~ConnectionThread();
  ConnectionThread(const ConnectionThread&) = delete;
  ConnectionThread& operator=(const ConnectionThread&) = delete;

  Ticket Post(Task task);
  // Interrupts the task `ticket` if it runs or is waiting, and skips every task
  // before it still waiting. A ticket already done is ignored.
  void Cancel(Ticket ticket);
  // Interrupts the task `ticket` while it runs, and nothing else: for background work
  // that gives way to what the user waits for.
  void Interrupt(Ticket ticket);
  // Cancels the task `ticket` and, while it runs, abandons it instead of interrupting:
  // for an engine that does not answer the cancel.
  void Abandon(Ticket ticket);

 private:
  struct Queued {
    Ticket ticket;
    Task task;
  };
  void Work(std::stop_token stop);
  void Interrupting(std::stop_token stop);

  const std::function<void()> interrupt_;
  const std::function<void()> abandon_;
  const std::chrono::milliseconds every_;
  std::mutex mutex_;
  std::mutex interrupting_;  // held by an interrupt under way, and by a task to end
  std::condition_variable_any wake_;     // the worker: a task was posted
  std::condition_variable_any cancel_;   // the canceller: a cancel was asked for
  std::deque<Queued> queue_;
  Ticket posted_ = 0;
  Ticket running_ = 0;      // 0: none
  Ticket cancelUpTo_ = 0;   // tasks up to this ticket are cancelled
  Ticket interruptOnly_ = 0;  // this task alone is interrupted
  Ticket abandonTicket_ = 0;  // this task is abandoned
  std::jthread worker_;
  std::jthread canceller_;
};

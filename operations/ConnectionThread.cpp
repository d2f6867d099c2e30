#include "operations/ConnectionThread.h"

ConnectionThread::ConnectionThread(std::function<void()> interrupt, std::chrono::milliseconds every,
                                   std::function<void()> abandon)
    : interrupt_(std::move(interrupt)),
      abandon_(abandon ? std::move(abandon) : interrupt_),
      every_(every),
      worker_([this](std::stop_token stop) { Work(stop); }),
      canceller_([this](std::stop_token stop) { Interrupting(stop); }) {}

ConnectionThread::~ConnectionThread() {
  {
    const std::lock_guard lock(mutex_);
    cancelUpTo_ = posted_;
  }
  cancel_.notify_all();
  worker_.request_stop();
  worker_.join();
  canceller_.request_stop();
  canceller_.join();
}

ConnectionThread::Ticket ConnectionThread::Post(Task task) {
  Ticket ticket;
  {
    const std::lock_guard lock(mutex_);
    ticket = ++posted_;
    queue_.push_back({ticket, std::move(task)});
  }
  wake_.notify_one();
  return ticket;
}

void ConnectionThread::Cancel(Ticket ticket) {
  {
    const std::lock_guard lock(mutex_);
    if (ticket <= cancelUpTo_) return;
    cancelUpTo_ = ticket;
  }
  cancel_.notify_all();
}

void ConnectionThread::Interrupt(Ticket ticket) {
  {
    const std::lock_guard lock(mutex_);
    interruptOnly_ = ticket;
  }
  cancel_.notify_all();
}

void ConnectionThread::Abandon(Ticket ticket) {
  {
    const std::lock_guard lock(mutex_);
    abandonTicket_ = ticket;
  }
  Cancel(ticket);
}

void ConnectionThread::Work(std::stop_token stop) {
  for (;;) {
    Queued next;
    bool abandoned;
    {
      std::unique_lock lock(mutex_);
      // Once stopping, what is still queued is handed back as abandoned.
      if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); }) && queue_.empty()) return;
      next = std::move(queue_.front());
      queue_.pop_front();
      abandoned = stop.stop_requested() || next.ticket <= cancelUpTo_;
      if (!abandoned) running_ = next.ticket;
    }
    cancel_.notify_all();
    next.task(abandoned);
    // An interrupt under way ends before the next task can start.
    {
      const std::lock_guard ending(interrupting_);
      const std::lock_guard lock(mutex_);
      running_ = 0;
    }
    cancel_.notify_all();
  }
}

void ConnectionThread::Interrupting(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  const auto wanted = [this] { return running_ != 0 && (running_ <= cancelUpTo_ || running_ == interruptOnly_); };
  while (cancel_.wait(lock, stop, wanted)) {
    const Ticket target = running_;
    lock.unlock();
    {
      const std::lock_guard busy(interrupting_);
      bool still;
      bool abandon;
      {
        const std::lock_guard check(mutex_);
        still = wanted();
        abandon = running_ == abandonTicket_;
      }
      if (still) (abandon ? abandon_ : interrupt_)();
    }
    lock.lock();
    // Again after a while while the same task runs; the next one is looked at at once.
    cancel_.wait_for(lock, stop, every_, [&] { return running_ != target; });
  }
}

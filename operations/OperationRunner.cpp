#include "operations/OperationRunner.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "db/LayerErrors.h"

#include "operations/ProgressDialog.h"
#include "operations/UserInputHold.h"

namespace {

// What the connection's thread hands back; shared, since the task still holds it
// for a moment after the window's thread has taken the outcome.
struct Outcome {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::exception_ptr failure;
  std::atomic<bool> woke{false};  // the call has ended and woken the loop

  void Set(std::exception_ptr f) {
    {
      const std::lock_guard lock(mutex);
      failure = std::move(f);
      done = true;
    }
    ended.notify_all();
  }
  std::exception_ptr Await() {
    std::unique_lock lock(mutex);
    ended.wait(lock, [this] { return done; });
    return failure;
  }
};

}  // namespace

OperationRunner::OperationRunner(QWidget* window, ConnectionThread& thread, RunnerHooks hooks, RunnerTiming timing)
    : window_(window), thread_(thread), hooks_(std::move(hooks)), timing_(timing) {}

OperationRunner::OperationRunner(QWidget* window, std::function<void()> interrupt, RunnerHooks hooks,
                                 RunnerTiming timing)
    : window_(window),
      own_(std::make_unique<ConnectionThread>(std::move(interrupt), timing.interruptEvery)),
      thread_(*own_),
      hooks_(std::move(hooks)),
      timing_(timing) {}

OperationRunner::~OperationRunner() = default;

void OperationRunner::Run(const std::function<void()>& call) {
  gate_.Require();
  if (hooks_.before) hooks_.before();
  const std::exception_ptr failure = Wait(call);
  if (hooks_.after) hooks_.after();
  if (failure) std::rethrow_exception(failure);
}

void OperationRunner::Hold(const std::function<void()>& modal) {
  const OperationGate::Pass pass(gate_);
  modal();
}

std::exception_ptr OperationRunner::Wait(const std::function<void()>& call) {
  const OperationGate::Pass pass(gate_);
  const UserInputHold hold;
  cancelled_ = false;
  const auto started = std::chrono::steady_clock::now();

  QEventLoop loop;
  const auto outcome = std::make_shared<Outcome>();
  // The loop is woken before the outcome is set: once it is set, the frame may go.
  const ConnectionThread::Ticket ticket = thread_.Post([&call, &loop, outcome](bool abandoned) {
    std::exception_ptr failure;
    try {
      if (abandoned) throw db::errors::Canceled();
      call();
    } catch (...) {
      failure = std::current_exception();
    }
    outcome->woke = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    outcome->Set(std::move(failure));
  });
  const auto cancel = [this, ticket] {
    cancelled_ = true;
    thread_.Cancel(ticket);
  };
  std::unique_ptr<ProgressDialog> progress;
  QTimer showTimer;
  showTimer.setSingleShot(true);
  QObject::connect(&showTimer, &QTimer::timeout, [&] {
    progress = std::make_unique<ProgressDialog>(window_, started);
    QObject::connect(progress.get(), &ProgressDialog::cancelRequested, cancel);
    QObject::connect(progress.get(), &ProgressDialog::abandonRequested, [this, ticket] { thread_.Abandon(ticket); });
    progress->show();
  });
  showTimer.start(timing_.showAfter);
  loop.exec();
  // Only the application leaving ends the loop before the call: no loop can wait any
  // more and there is no window left to wait for, so the call is cancelled and awaited.
  if (!outcome->woke) cancel();
  return outcome->Await();
}

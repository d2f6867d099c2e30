#include "db/lifecycle/OperationRunner.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "db/lifecycle/ProgressDialog.h"
#include "db/lifecycle/UserInputHold.h"

namespace {

// Ends the wait of the loop from any thread; the loop checks what has ended.
void Wake(QEventLoop& loop) { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); }

// Asks for the interrupt on a thread of its own: against a host that has gone silent
// the request itself can block (PQcancel connects to the server), and the window
// must go on painting meanwhile.
class Interrupter {
 public:
  Interrupter(QEventLoop& loop, const std::function<void()>& interrupt, std::chrono::milliseconds every)
      : loop_(loop), interrupt_(interrupt), every_(every) {}

  void Start() {
    if (thread_.joinable()) return;
    thread_ = std::jthread([this](std::stop_token stop) {
      std::mutex mutex;
      std::condition_variable_any sleep;
      std::unique_lock lock(mutex);
      while (!stop.stop_requested()) {
        interrupt_();
        sleep.wait_for(lock, stop, every_, [] { return false; });
      }
      stopped_ = true;
      Wake(loop_);
    });
  }
  void Stop() { thread_.request_stop(); }
  bool Idle() const { return !thread_.joinable() || stopped_; }

 private:
  QEventLoop& loop_;
  const std::function<void()>& interrupt_;
  std::chrono::milliseconds every_;
  std::atomic<bool> stopped_{false};
  std::jthread thread_;
};

}  // namespace

OperationRunner::OperationRunner(QWidget* window, std::function<void()> interrupt, RunnerHooks hooks,
                                 RunnerTiming timing)
    : window_(window), interrupt_(std::move(interrupt)), hooks_(std::move(hooks)), timing_(timing) {}

void OperationRunner::Run(const std::function<void()>& call) {
  gate_.Require();
  if (hooks_.before) hooks_.before();
  const std::exception_ptr failure = Wait(call);
  if (hooks_.after) hooks_.after();
  if (failure) std::rethrow_exception(failure);
}

std::exception_ptr OperationRunner::Wait(const std::function<void()>& call) {
  const OperationGate::Pass pass(gate_);
  const UserInputHold hold;
  const auto started = std::chrono::steady_clock::now();

  QEventLoop loop;
  std::exception_ptr failure;
  std::atomic<bool> ended{false};
  Interrupter interrupter(loop, interrupt_, timing_.interruptEvery);
  std::unique_ptr<ProgressDialog> progress;
  QTimer showTimer;
  showTimer.setSingleShot(true);
  QObject::connect(&showTimer, &QTimer::timeout, [&] {
    if (ended) return;
    progress = std::make_unique<ProgressDialog>(window_, started);
    QObject::connect(progress.get(), &ProgressDialog::cancelRequested, [&] { interrupter.Start(); });
    progress->show();
  });
  showTimer.start(timing_.showAfter);

  std::jthread worker([&] {
    try {
      call();
    } catch (...) {
      failure = std::current_exception();
    }
    ended = true;
    Wake(loop);
  });
  // Leaving the application ends every loop at once: wait on until the call is over.
  while (!ended) loop.exec();
  showTimer.stop();
  interrupter.Stop();
  while (!interrupter.Idle()) loop.exec();
  worker.join();
  return failure;
}

#include "operations/OperationRunner.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "operations/ProgressDialog.h"
#include "operations/UserInputHold.h"

namespace {

// Ends the wait of the loop from any thread; the loop checks what has ended.
void Wake(QEventLoop& loop) { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); }

// Asks for the interrupt on a thread of its own, again and again until stopped.
// Against a host that has gone silent the request itself can block (PQcancel connects
// to the server): the operation does not wait for it, and the thread, which shares
// nothing with the operation's frame, ends on its own once the request returns.
class Interrupter {
 public:
  Interrupter(const std::function<void()>& interrupt, std::chrono::milliseconds every)
      : state_(std::make_shared<State>(interrupt, every)) {}
  ~Interrupter() { state_->Stop(); }
  Interrupter(const Interrupter&) = delete;
  Interrupter& operator=(const Interrupter&) = delete;

  void Start() {
    if (started_) return;
    started_ = true;
    std::thread([state = state_] { state->Repeat(); }).detach();
  }

 private:
  struct State {
    State(std::function<void()> i, std::chrono::milliseconds e) : interrupt(std::move(i)), every(e) {}
    void Repeat() {
      std::unique_lock lock(mutex);
      while (!stopped) {
        lock.unlock();
        interrupt();
        lock.lock();
        wake.wait_for(lock, every, [this] { return stopped; });
      }
    }
    void Stop() {
      {
        const std::lock_guard lock(mutex);
        stopped = true;
      }
      wake.notify_all();
    }
    const std::function<void()> interrupt;
    const std::chrono::milliseconds every;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopped = false;
  };
  std::shared_ptr<State> state_;
  bool started_ = false;
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
  cancelled_ = false;
  const auto started = std::chrono::steady_clock::now();

  QEventLoop loop;
  std::exception_ptr failure;
  std::atomic<bool> ended{false};
  Interrupter interrupter(interrupt_, timing_.interruptEvery);
  std::unique_ptr<ProgressDialog> progress;
  QTimer showTimer;
  showTimer.setSingleShot(true);
  QObject::connect(&showTimer, &QTimer::timeout, [&] {
    if (ended) return;
    progress = std::make_unique<ProgressDialog>(window_, started);
    QObject::connect(progress.get(), &ProgressDialog::cancelRequested, [&] {
      cancelled_ = true;
      interrupter.Start();
    });
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
  while (!ended) {
    // Once the application is leaving no loop runs any more (exec returns -1 at
    // once): waiting in a loop would spin a core, and there is no window left to
    // wait for. The call is interrupted and awaited.
    if (loop.exec() < 0) {
      cancelled_ = true;
      interrupter.Start();
      break;
    }
  }
  worker.join();
  return failure;
}

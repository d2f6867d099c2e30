// The runner of blocking calls with fake calls: where they run, what the window shows
// meanwhile, how "Annulla" reaches the call, and what comes back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

#include "db/Ado.h"
#include "db/DbError.h"
#include "operations/OperationRunner.h"
#include "operations/ProgressDialog.h"
#include "tests/db/Failure.h"

namespace {

using namespace std::chrono_literals;

// A window with a button that counts its clicks, and a runner on it.
struct Fixture {
  QWidget window;
  QPushButton* button = new QPushButton("Esegui", &window);
  int clicks = 0;
  std::atomic<int> interrupts{0};
  std::atomic<bool> stop{false};
  OperationRunner runner{&window, [this] { stop = ++interrupts >= 2; }, {}, {.showAfter = 150ms, .interruptEvery = 50ms}};

  Fixture() {
    QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
    window.show();
  }
  // A call that ends only when asked to stop twice: the first request is "lost".
  // It gives up after a while, so that a broken runner fails instead of hanging.
  void Slow() {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!stop && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    throw db::DbError(db::adErrOperationCanceled, "Operazione annullata");
  }
  ProgressDialog* Progress() const { return window.findChild<ProgressDialog*>(); }
};

TEST(OperationRunner, AShortCallRunsElsewhereShowsNothingAndBringsItsErrorBack) {
  Fixture f;
  std::thread::id ranOn;
  bool busyInside = false;
  const db::DbError e = Failure([&] {
    f.runner.Run([&] {
      ranOn = std::this_thread::get_id();
      busyInside = f.runner.gate().busy();
      throw db::DbError(3265, "Elemento non trovato");
    });
  });
  EXPECT_EQ(e.Number(), 3265);
  EXPECT_EQ(e.Description(), "Elemento non trovato");
  EXPECT_NE(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(busyInside);
  EXPECT_FALSE(f.runner.gate().busy());
  EXPECT_EQ(f.Progress(), nullptr);
}

TEST(OperationRunner, ASlowCallShowsProgressHoldsInputAndAnnullaStopsIt) {
  Fixture f;
  bool shownEarly = true;
  QString shown;
  QTimer::singleShot(50, [&] {
    shownEarly = f.Progress() != nullptr;
    QTest::mouseClick(f.button, Qt::LeftButton);  // held: it must not run inside the call
  });
  QTimer::singleShot(400, [&] {
    ProgressDialog* progress = f.Progress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible() && progress->isModal());
    shown = progress->findChild<QLabel*>("lblStato")->text();
    EXPECT_EQ(f.clicks, 0);
    QTest::mouseClick(progress->findChild<QPushButton*>("cmdAnnulla"), Qt::LeftButton);
    EXPECT_TRUE(progress->findChild<QLabel*>("lblStato")->text().startsWith("Annullamento in corso… "));
  });
  EXPECT_THROW(f.runner.Run([&] { f.Slow(); }), db::DbError);
  EXPECT_FALSE(shownEarly);
  EXPECT_TRUE(shown.startsWith("Operazione in corso… ") && shown.endsWith(" s")) << shown.toStdString();
  EXPECT_GE(f.interrupts, 2) << "asked again until the call ended";
  EXPECT_EQ(f.Progress(), nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(f.clicks, 1) << "the held click is handed on afterwards";

  // The cancel was for that call: the next one runs to its end, never interrupted.
  const int interrupts = f.interrupts;
  f.runner.Run([] { std::this_thread::sleep_for(300ms); });
  EXPECT_EQ(f.interrupts, interrupts);
  EXPECT_FALSE(f.runner.Cancelled());
}

// Against a silent host the request to stop can itself hang (PQcancel connects):
// the call's end does not wait for it.
TEST(OperationRunner, AnInterruptThatHangsDoesNotHoldUpTheEnd) {
  QWidget window;
  struct Shared {
    std::atomic<bool> inside{false}, stop{false}, release{false};
  };
  const auto s = std::make_shared<Shared>();
  OperationRunner runner{&window,
                         [s] {
                           s->inside = true;
                           s->stop = true;
                           // A runner that waits for it fails below instead of hanging.
                           const auto deadline = std::chrono::steady_clock::now() + 10s;
                           while (!s->release && std::chrono::steady_clock::now() < deadline)
                             std::this_thread::sleep_for(5ms);
                           s->inside = false;
                         },
                         {},
                         {.showAfter = 50ms, .interruptEvery = 50ms}};
  QTimer::singleShot(200, [&] { window.findChild<ProgressDialog*>()->reject(); });
  runner.Run([s] {
    while (!s->stop) std::this_thread::sleep_for(5ms);
  });
  EXPECT_TRUE(s->inside) << "the end waited for the interrupt";
  s->release = true;
}

}  // namespace

// Leaving the application while a call runs: no loop can wait any more, so the call
// is interrupted and awaited instead of spinning on a loop that returns at once.
TEST(OperationRunner, LeavingTheApplicationInterruptsTheCall) {
  Fixture f;
  QTimer::singleShot(20ms, [] { QCoreApplication::exit(0); });
  EXPECT_THROW(f.runner.Run([&] { f.Slow(); }), db::DbError);
  EXPECT_TRUE(f.stop);
  EXPECT_TRUE(f.runner.Cancelled());
}

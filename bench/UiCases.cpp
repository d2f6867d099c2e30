#include "bench/UiCases.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/Engines.h"
#include "bench/WindowProbe.h"
#include "data/CellEditor.h"

namespace bench {
namespace {

constexpr int kTickMs = 10;
constexpr double kToldMs = 50;        // blocks this long are logged with what was under way
constexpr int kReadWaitMs = 180000;   // a jump to the end of 10 M rows is read off the window's thread
constexpr int kStopMs = 5000;
constexpr int kSteps = 40;            // scroll bar positions, each way
constexpr int kStepMs = 25;
constexpr int kEditRow = 2;
constexpr int kEditColumn = 1;        // nome

// An event-loop latency probe: a 10 ms timer, and the largest lateness of its firing
// with what the case was doing then.
class BlockProbe {
 public:
  BlockProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    since_.start();
    timer_.start();
  }
  void Doing(const char* what) { doing_ = what; }
  double MaxMs() const { return max_; }

 private:
  void Tick() {
    const double late = static_cast<double>(since_.nsecsElapsed()) / 1e6 - kTickMs;
    since_.restart();
    if (late >= kToldMs) std::fprintf(stderr, "block %.0f ms at %lld ms: %s\n", late, static_cast<long long>(run_.elapsed()), doing_);
    max_ = std::max(max_, late);
  }
  QTimer timer_;
  QElapsedTimer since_;
  QElapsedTimer run_ = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  const char* doing_ = "";
  double max_ = 0;
};

// Runs the event loop until done() or the time is up; QTest's waits sleep between
// turns, which the probe would count as blocks.
bool Spin(const std::function<bool()>& done, int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || elapsed.elapsed() >= ms) loop.quit();
  });
  poll.start();
  if (!done()) loop.exec();
  return done();
}

void Pause(int ms) { Spin([] { return false; }, ms); }

void WaitFor(const std::function<bool()>& done, const char* what) {
  if (!Spin(done, kReadWaitMs)) throw BenchError(std::string("timed out waiting for ") + what);
}

RecordsetModel& ModelOf(DataGrid& grid) {
  auto* model = qobject_cast<RecordsetModel*>(grid.model());
  if (!model) throw BenchError("the grid has no record set model");
  return *model;
}

void Key(DataGrid& grid, Qt::Key key) { QTest::keyClick(&grid, key, Qt::ControlModifier); }

// The scroll bar from one end to the other, a position every kStepMs.
void Sweep(DataGrid& grid, bool down) {
  QScrollBar* bar = grid.verticalScrollBar();
  for (int step = 0; step <= kSteps; ++step) {
    const auto at = static_cast<int>(static_cast<std::int64_t>(bar->maximum()) * step / kSteps);
    bar->setValue(down ? at : bar->maximum() - at);
    Pause(kStepMs);
  }
}

// A window shown and connected as Conne leaves it, with the table's first screen read
// and the record selector on it.
struct Session {
  Session(const std::string& text, const std::string& table) : w(std::make_unique<frmMain>()) {
    w->show();
    QCoreApplication::processEvents();
    w->Conn.ConnectionString(text);
    w->Conn.Open();
    grid = frmMainProbe(*w).Data1();
    grid->setFocus();
    probe.Doing("LeggiDati");
    frmMainProbe(*w).LeggiDati(QString::fromStdString("SELECT * FROM " + table));
    Doing("first screen");
    WaitFor([this] { return ScreenRead(*grid); }, "the first screen");
  }
  // Ctrl+End, which waits for the count in the background, then Ctrl+Home.
  void EndAndHome() {
    Doing("Ctrl+End");
    Key(*grid, Qt::Key_End);
    RecordsetModel& model = ModelOf(*grid);
    WaitFor([&] { return model.countKnown() && grid->Current() && grid->Current()->row == model.totalRows() - 1 && ScreenRead(*grid); },
            "the last row");
    Doing("Ctrl+Home");
    Key(*grid, Qt::Key_Home);
    WaitFor([this] { return ScreenRead(*grid); }, "the first row");
  }
  // Names what follows for the probe's log, with the pages read up to here.
  void Doing(const char* what) {
    if (auto* model = grid ? qobject_cast<RecordsetModel*>(grid->model()) : nullptr)
      std::fprintf(stderr, "%s: %lld pages read before it\n", what, static_cast<long long>(model->RequestsRead()));
    probe.Doing(what);
  }
  // Until what the connection's thread was given has been read and has reached the
  // model: a read held by a stopped backend counts once it is done.
  void Settle() {
    auto done = std::make_shared<std::atomic<bool>>(false);
    frmMainProbe(*w).ConnThread().Post([done](bool) { *done = true; });
    WaitFor([&] { return done->load(); }, "the connection's thread");
    Pause(kStepMs);
  }
  Responsiveness Figures() {
    Settle();
    Doing("end");
    RecordsetModel& model = ModelOf(*grid);
    return {probe.MaxMs(), model.RequestsRead(), model.totalRows()};
  }

  BlockProbe probe;
  std::unique_ptr<frmMain> w;
  DataGrid* grid = nullptr;
};

std::string SessionName() { return "cartavo_ui_" + std::to_string(::getpid()); }

std::string PgSessionText(const Options& o) { return o.PgText() + ";Application Name=" + SessionName(); }

// The backends of the window's session, stopped as a hung server is, until this goes.
class StoppedBackends {
 public:
  explicit StoppedBackends(const Options& o) {
    const PgConn admin = PgConnect(o.PgConnInfo());
    const PgResult r =
        PgExec(admin.get(), "SELECT pid FROM pg_stat_activity WHERE application_name = '" + SessionName() + "'");
    for (int i = 0; i < PQntuples(r.get()); ++i) pids_.push_back(std::stoi(PQgetvalue(r.get(), i, 0)));
    if (pids_.empty()) throw BenchError("no backend of the window's session");
    for (const pid_t pid : pids_)
      if (::kill(pid, SIGSTOP) != 0) throw BenchError("cannot stop backend " + std::to_string(pid));
    since_.start();
  }
  ~StoppedBackends() { Continue(); }
  StoppedBackends(const StoppedBackends&) = delete;
  StoppedBackends& operator=(const StoppedBackends&) = delete;
  void Continue() {
    for (const pid_t pid : std::exchange(pids_, {})) ::kill(pid, SIGCONT);
  }
  bool Over() const { return since_.elapsed() >= kStopMs; }

 private:
  std::vector<pid_t> pids_;
  QElapsedTimer since_;
};

// The scroll bar swept back and forth until the stop is over.
void SweepWhileStopped(Session& s, const StoppedBackends& stopped) {
  s.Doing("scroll bar, backend stopped");
  for (bool down = true; !stopped.Over(); down = !down) Sweep(*s.grid, down);
}

// Counts the UPDATEs that reach a table, and puts the edited value back when it goes.
class WriteCounter {
 public:
  WriteCounter(const Options& o, std::string table) : admin_(PgConnect(o.PgConnInfo())), table_(std::move(table)) {
    PgExec(admin_.get(), "DROP TABLE IF EXISTS ui_writes; CREATE TABLE ui_writes (id integer);"
                         "CREATE OR REPLACE FUNCTION ui_write_seen() RETURNS trigger LANGUAGE plpgsql AS"
                         " $$BEGIN INSERT INTO ui_writes VALUES (NEW.id); RETURN NULL; END$$;"
                         "CREATE TRIGGER ui_write_seen AFTER UPDATE ON " + table_ +
                         " FOR EACH ROW EXECUTE FUNCTION ui_write_seen()");
  }
  ~WriteCounter() {
    try {
      PgExec(admin_.get(), "DROP TRIGGER IF EXISTS ui_write_seen ON " + table_ + "; DROP TABLE IF EXISTS ui_writes");
      if (!id_.empty()) PgExec(admin_.get(), "UPDATE " + table_ + " SET nome = " + Literal(was_) + " WHERE id = " + id_);
    } catch (...) {
      // the next run makes the table again if its rows are not as generated
    }
  }
  WriteCounter(const WriteCounter&) = delete;
  WriteCounter& operator=(const WriteCounter&) = delete;
  void Watch(const std::string& id) {
    id_ = id;
    was_ = Scalar("SELECT nome FROM " + table_ + " WHERE id = " + id_);
  }
  // Throws unless the row holds the value, written by exactly one UPDATE.
  void Check(const std::string& typed) {
    const std::string writes = Scalar("SELECT count(*) FROM ui_writes");
    const std::string stored = Scalar("SELECT nome FROM " + table_ + " WHERE id = " + id_);
    if (writes != "1" || stored != typed)
      throw BenchError("the edit was written " + writes + " times; the row holds \"" + stored + "\"");
  }

 private:
  std::string Scalar(const std::string& sql) { return PQgetvalue(PgExec(admin_.get(), sql).get(), 0, 0); }
  std::string Literal(const std::string& text) {
    char* quoted = PQescapeLiteral(admin_.get(), text.c_str(), text.size());
    const std::string out = quoted ? quoted : "NULL";
    PQfreemem(quoted);
    return out;
  }
  PgConn admin_;
  std::string table_, id_, was_;
};

CellEditor* OpenEditor(DataGrid& grid, const QModelIndex& at) {
  grid.scrollTo(at);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(at).center());
  for (CellEditor* e : grid.viewport()->findChildren<CellEditor*>())
    if (e->isVisible()) return e;
  throw BenchError("the cell did not open for editing");
}

}  // namespace

WindowRun UiScroll(Engine engine) {
  return [engine](const Options& o) {
    Session s(engine == Engine::Sqlite ? Options::SqliteText(o.UiFile()) : PgSessionText(o),
              engine == Engine::Sqlite ? "big" : o.UiPgTable());
    s.EndAndHome();
    s.Doing("scroll bar down");
    Sweep(*s.grid, true);
    s.Doing("scroll bar up");
    Sweep(*s.grid, false);
    WaitFor([&] { return ScreenRead(*s.grid); }, "the first rows again");
    return s.Figures();
  };
}

WindowRun UiStoppedScroll() {
  return [](const Options& o) {
    Session s(PgSessionText(o), o.UiPgTable());
    s.EndAndHome();
    StoppedBackends stopped(o);
    SweepWhileStopped(s, stopped);
    stopped.Continue();
    s.Doing("after SIGCONT");
    WaitFor([&] { return ScreenRead(*s.grid); }, "the rows after SIGCONT");
    return s.Figures();
  };
}

WindowRun UiStoppedEdit() {
  return [](const Options& o) {
    WriteCounter writes(o, o.UiPgTable());
    Session s(PgSessionText(o), o.UiPgTable());
    RecordsetModel& model = ModelOf(*s.grid);
    WaitFor([&] { return model.countKnown(); }, "the count");
    const QModelIndex at = model.index(kEditRow, kEditColumn);
    writes.Watch(model.index(kEditRow, 0).data(Qt::EditRole).toString().toStdString());
    const std::string typed = "modificato " + std::to_string(::getpid());
    CellEditor* editor = OpenEditor(*s.grid, at);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QString::fromStdString(typed));
    StoppedBackends stopped(o);
    Pause(kStepMs * 10);
    s.Doing("edit committed, backend stopped");
    QTest::keyClick(editor, Qt::Key_Return);
    if (model.WritesPending() != 1) throw BenchError("the edit was not sent");
    SweepWhileStopped(s, stopped);
    stopped.Continue();
    s.Doing("after SIGCONT");
    s.grid->verticalScrollBar()->setValue(0);
    WaitFor([&] { return model.WritesPending() == 0 && ScreenRead(*s.grid); }, "the write after SIGCONT");
    writes.Check(typed);
    return s.Figures();
  };
}

}  // namespace bench

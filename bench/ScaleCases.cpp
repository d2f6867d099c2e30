#include "bench/ScaleCases.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "bench/CartavoCases.h"
#include "bench/Driver.h"
#include "bench/PgCases.h"
#include "bench/QtCases.h"
#include "bench/SqliteCases.h"
#include "bench/Targets.h"
#include "bench/WindowCases.h"
#include "bench/WindowProbe.h"

namespace bench {
namespace {

constexpr int kWaitMs = 900000;  // a count of 100 M rows on a loaded machine, with room to spare
constexpr int kWakeMs = 5;
const QString kOneRow = QStringLiteral("SELECT 1 AS vuoto");

// Runs the event loop until done(), looking after every event rather than once a
// polling period, so that the clock stops with the event that completed it.
void Await(const std::function<bool()>& done, const char* what) {
  QElapsedTimer elapsed;
  elapsed.start();
  QTimer wake;  // a turn now and then should no event come
  wake.start(kWakeMs);
  while (!done()) {
    if (elapsed.elapsed() > kWaitMs) throw BenchError(std::string("timed out waiting for ") + what);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

// The window shown and connected as Conne leaves it, the grid on a one-row query.
class Window {
 public:
  Window(Engine engine, const BigTable& table, const Options& o)
      : w_(std::make_unique<frmMain>()), query_(QString::fromStdString(table.Query(engine))), rows_(table.Rows(o)) {
    w_->show();
    QCoreApplication::processEvents();
    w_->Conn.ConnectionString(engine == Engine::Sqlite ? Options::SqliteText(table.File(o)) : o.PgText());
    w_->Conn.Open();
    grid_ = frmMainProbe(*w_).Data1();
    grid_->setFocus();
    Reset();
  }

  DataGrid& grid() const { return *grid_; }
  std::int64_t rows() const { return rows_; }

  void Open() {
    frmMainProbe(*w_).LeggiDati(query_);
    Shown([] { return true; }, "the first screen");
  }
  void End() {
    QTest::keyClick(grid_, Qt::Key_End, Qt::ControlModifier);
    Shown([this] { return AllRows() && Row() == rows_ - 1; }, "the last row");
  }
  void Home() {
    QTest::keyClick(grid_, Qt::Key_Home, Qt::ControlModifier);
    Shown([this] { return Row() == 0; }, "the first row");
  }
  void Middle() {
    QScrollBar* bar = grid_->verticalScrollBar();
    const int top = bar->maximum() / 2;
    bar->setValue(top);
    // The scroll bar counts the result's rows; the view's first row is the window's.
    Shown([this, top] { return Top() == top; }, "the middle rows");
  }
  // The count has come in and its rows are taken in: the next repetition does not
  // wait behind it.
  void Counted() {
    Await([this] { return AllRows(); }, "the row count");
  }
  // Back on one row, with the connection's thread idle.
  void Reset() {
    frmMainProbe(*w_).LeggiDati(kOneRow);
    auto idle = std::make_shared<std::atomic<bool>>(false);
    frmMainProbe(*w_).ConnThread().Post([idle](bool) { *idle = true; });
    Await([&] { return idle->load() && grid_->TotalRows() == 1; }, "the one-row query");
  }

 private:
  bool AllRows() const { return grid_->TotalRows() == rows_; }
  std::int64_t Row() const { return grid_->Current() ? grid_->Current()->row : -1; }
  std::int64_t Top() const {
    const auto* model = qobject_cast<const RecordsetModel*>(grid_->model());
    return grid_->rowAt(0) < 0 ? -1 : model->firstRow() + grid_->rowAt(0);
  }
  // Until `there` holds and every row on the screen is read, then painted.
  void Shown(const std::function<bool()>& there, const char* what) {
    Await([&] { return there() && ScreenRead(*grid_); }, what);
    grid_->viewport()->repaint();
  }

  std::unique_ptr<frmMain> w_;
  DataGrid* grid_ = nullptr;
  QString query_;
  std::int64_t rows_;
};

// A case of the window: `set` brings it to where the clock starts, `timed` is timed,
// and the window goes back to one row after the clock.
template <class Set, class Timed>
Prepare WindowCase(Engine engine, const BigTable& table, Set set, Timed timed) {
  return [engine, table, set, timed](const Options& o) -> Repetition {
    auto w = std::make_shared<Window>(engine, table, o);
    return [w, set, timed](Stopwatch& sw) {
      set(*w);
      sw.Start();
      const Tally t = timed(*w);
      sw.Stop();
      w->Counted();
      w->Reset();
      return t;
    };
  };
}

double Nan() { return std::numeric_limits<double>::quiet_NaN(); }

}  // namespace

Prepare WindowFirstScreen(Engine engine, const BigTable& table) {
  return WindowCase(engine, table, [](Window&) {}, [](Window& w) {
    w.Open();
    Tally t;
    t.rows = w.grid().rowAt(w.grid().viewport()->height() - 1) + 1;
    return t;
  });
}

Prepare WindowLastRow(Engine engine, const BigTable& table) {
  return WindowCase(engine, table, [](Window&) {}, [](Window& w) {
    w.Open();
    w.End();
    Tally t;
    t.rows = w.grid().Current() ? w.grid().Current()->row + 1 : 0;
    return t;
  });
}

Prepare WindowMiddleRow(Engine engine, const BigTable& table) {
  return WindowCase(
      engine, table,
      [](Window& w) {
        w.Open();
        w.End();
        w.Home();
      },
      [](Window& w) {
        w.Middle();
        Tally t;
        t.rows = w.grid().rowAt(0);
        return t;
      });
}

Derived ScaleFigures(const Outcome& outcome) {
  const auto ms = [&](const std::string& name) {
    const Figure* f = FigureOf(outcome, name);
    return f ? f->MedianMs() : Nan();
  };
  const auto rss = [&](const std::string& name) {
    const Figure* f = FigureOf(outcome, name);
    return f ? f->rssMb : Nan();
  };
  Derived d;
  for (const auto& [mine, floor] : {std::pair<std::string, std::string>{"first_screen", "floor_first_screen"},
                                    {"last_row", "floor_count"},
                                    {"middle_row", "floor_middle_row"},
                                    {"full_scan", "floor_scan"}}) {
    d.emplace_back(mine + "_ms", ms(mine));
    d.emplace_back(floor + "_ms", ms(floor));
    d.emplace_back(mine + "_ratio", ms(mine) / ms(floor));
  }
  double growth = Nan();
  for (const char* name : {"first_screen", "last_row", "middle_row"})
    if (FigureOf(outcome, name)) growth = std::isnan(growth) ? rss(name) : std::max(growth, rss(name));
  d.emplace_back("rss_growth_mb", growth);
  d.emplace_back("full_scan_rss_mb", rss("full_scan"));
  d.emplace_back("floor_scan_rss_mb", rss("floor_scan"));
  return d;
}

std::vector<Scenario> ScaleScenarios() {
  std::vector<Scenario> all;
  // The catalogue's baseline is Qt's own table list filling a list widget.
  for (const int tables : kScaleTables) {
    Scenario s{ScaleKey("catalogue", tables),
               Engine::Sqlite,
               {{"cartavo", WindowCatalogue(tables)},
                {"qt_tables_list", QtTablesList(tables)},
                {"raw", SqliteCatalogue(tables)},
                {"qsqldatabase_tables", QtTables(tables)}},
               false};
    s.scale = true;
    all.push_back(std::move(s));
  }
  // Both engines at one size before the next, so that a run cut short has both.
  for (const std::int64_t rows : kScaleRows)
    for (const Engine e : {Engine::Sqlite, Engine::Postgres}) {
      const BigTable t{rows};
      const bool lite = e == Engine::Sqlite;
      Scenario s{ScaleKey(EngineName(e), rows),
                 e,
                 {{"first_screen", WindowFirstScreen(e, t)},
                  {"floor_first_screen", lite ? SqliteFirstScreen(t) : PgFirstScreen(t)},
                  {"last_row", WindowLastRow(e, t)},
                  {"floor_count", lite ? SqliteCount(t) : PgCount(t)},
                  {"middle_row", WindowMiddleRow(e, t)},
                  {"floor_middle_row", lite ? SqliteMiddleScreen(t) : PgMiddleScreen(t)},
                  {"full_scan", CartavoFullScan(e, t)},
                  {"floor_scan", lite ? SqliteFullScan(t) : PgCursorScan(t)}},
                 false};
      s.scale = true;
      s.scaleRows = rows;
      s.derive = ScaleFigures;
      all.push_back(std::move(s));
    }
  return all;
}

}  // namespace bench

#include "bench/WindowCases.h"

#include <QCoreApplication>

#include <memory>

#include "bench/WindowProbe.h"

namespace bench {
namespace {

// Shown and connected the way Conne leaves it, without the catalogue read that
// Conne starts: the first read is then the measured one.
std::shared_ptr<frmMain> ConnectedWindow(const std::string& file) {
  auto w = std::make_shared<frmMain>();
  w->show();
  QCoreApplication::processEvents();
  w->Conn.ConnectionString(Options::SqliteText(file));
  w->Conn.Open();
  return w;
}

}  // namespace

Prepare WindowCatalogue(int tables) {
  return [tables](const Options& o) -> Repetition {
    auto w = ConnectedWindow(o.TablesFile(tables ? tables : o.tables));
    return [w](Stopwatch& sw) {
      frmMainProbe probe(*w);
      sw.Start();
      probe.LeggiTabelle();
      sw.Stop();
      Tally t;
      t.rows = probe.LwTabelle()->ListItems().Count();
      if (t.rows == 0) throw BenchError("LeggiTabelle listed no table");
      return t;
    };
  };
}

Prepare WindowFirstPaint(const char* query) {
  return [query](const Options& o) -> Repetition {
    auto w = ConnectedWindow(o.BigFile());
    if (!frmMainProbe(*w).Data1()->isVisible()) throw BenchError("the grid is not shown");
    return [w, query](Stopwatch& sw) {
      frmMainProbe probe(*w);
      DataGrid* grid = probe.Data1();
      sw.Start();
      probe.LeggiDati(query);
      grid->viewport()->repaint();
      sw.Stop();
      Tally t;
      t.rows = grid->TotalRows();
      if (t.rows == 0) throw BenchError("LeggiDati left the grid empty");
      // The rows on the screen just painted (all of them when they end above its foot).
      const int below = grid->rowAt(grid->viewport()->height() - 1);
      t.bytes = below >= 0 ? below + 1 : t.rows;
      return t;
    };
  };
}

}  // namespace bench

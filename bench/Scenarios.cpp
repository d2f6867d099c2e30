// Every scenario with its contenders: Cartavo first, then the baselines, the first
// of which the ratio divides by.
#include "bench/Bench.h"
#include "bench/CartavoCases.h"
#include "bench/PgCases.h"
#include "bench/QtCases.h"
#include "bench/ScaleCases.h"
#include "bench/SqliteCases.h"
#include "bench/UiCases.h"
#include "bench/WindowCases.h"

namespace bench {

std::vector<Scenario> AllScenarios() {
  const Engine sqlite = Engine::Sqlite, pg = Engine::Postgres;
  std::vector<Scenario> all{
      {"sqlite_first_screen", sqlite,
       {{"cartavo", CartavoFirstScreen(sqlite)}, {"raw", SqliteFirstScreen()}, {"qsqlquerymodel", ModelFirstScreen(sqlite)}}},
      {"sqlite_last_row", sqlite,
       {{"cartavo", CartavoLastRow(sqlite)}, {"raw_scan", SqliteScanToLast()}, {"qsqlquerymodel", ModelLastRow(sqlite)}}},
      {"sqlite_full_scan", sqlite, {{"cartavo", CartavoFullScan(sqlite)}, {"raw", SqliteFullScan()}}},
      {"pg_first_screen", pg,
       {{"cartavo", CartavoFirstScreen(pg)}, {"libpq", PgFirstScreen()}, {"qsqlquerymodel", ModelFirstScreen(pg)}}},
      {"pg_last_row", pg,
       {{"cartavo", CartavoLastRow(pg)}, {"libpq", PgCursorToLast()}, {"qsqlquerymodel", ModelLastRow(pg)}}},
      {"pg_full_scan", pg,
       {{"cartavo", CartavoFullScan(pg)}, {"libpq", PgFullScan()}, {"qsqlquerymodel", ModelFullScan(pg)}}},
      // The catalogue's own query lists every kind of table; Qt's list leaves some out.
      {"catalogue_10k", sqlite,
       {{"cartavo", WindowCatalogue()}, {"raw", SqliteCatalogue()}, {"qsqldatabase_tables", QtTables()}},
       false},
      // The baseline is the same work on 10 rows: the ratio is how the cost grows with the table.
      {"grid_first_paint", sqlite,
       {{"cartavo", WindowFirstPaint(kBigQuery)}, {"grid_10_rows", WindowFirstPaint(kSmallQuery)}},
       false},
      {"edit_roundtrip", sqlite, {{"cartavo", CartavoEdits()}, {"raw_update", SqliteUpdates()}}},
      {"sqlite_export_csv", sqlite, {{"cartavo", CartavoExportCsv()}, {"sqlite3_csv", SqliteShellCsv()}}},
      // The window's thread, by itself: no baseline, the goal is never to block 100 ms.
      {"ui_thread_sqlite_10m", sqlite, {}, true, UiScroll(sqlite)},
      {"ui_thread_pg_10m", pg, {}, true, UiScroll(pg)},
      {"ui_thread_pg_stopped_scroll", pg, {}, true, UiStoppedScroll()},
      {"ui_thread_pg_stopped_edit", pg, {}, true, UiStoppedEdit()},
  };
  for (Scenario& s : ScaleScenarios()) all.push_back(std::move(s));
  return all;
}

}  // namespace bench

#include "db/sqlite/SqliteResult.h"

#include <sqlite3.h>

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteOrigins.h"
#include "db/sqlite/SqliteSources.h"
#include "db/sqlite/SqliteTypes.h"

namespace db::sqlite {

std::unique_ptr<Result> SqliteResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  if (sql::IsBlank(sql)) throw errors::NoCommand();
  Prepared q = PrepareQuery(*session, sql);
  const Sources sources = SourcesOf(*session, q);
  WritePlan plan = PlanWrites(sql::kSqlite, sql, q.columns, sources,
                              [&](int t) { return PagingKeyOf(*session, q, sources.tables[static_cast<std::size_t>(t)]); });
  std::unique_ptr<PageSource> source;
  if (plan.keyset)
    source = std::make_unique<KeysetSource>(session, plan.keyset->table, plan.keyset->keys);
  else
    source = std::make_unique<OffsetSource>(session, std::string(sql::TrimStatementEnd(sql)));
  return std::make_unique<SqliteResult>(session, std::move(q.columns), std::move(source), std::move(plan.edit));
}

std::unique_ptr<Result> SqliteResult::OpenDescribed(std::shared_ptr<Session> session, WholeSource::Reader read,
                                                    std::vector<ColumnInfo> columns) {
  EditPlan edit = ReadOnlyPlan(columns.size());
  auto source = std::make_unique<WholeSource>(session, std::move(read), static_cast<int>(columns.size()));
  return std::make_unique<SqliteResult>(session, std::move(columns), std::move(source), std::move(edit));
}

SqliteResult::SqliteResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns,
                           std::unique_ptr<PageSource> source, EditPlan edit)
    : PagedResult(std::move(columns), std::move(source), std::move(edit)), session_(std::move(session)) {}

void SqliteResult::requireUsable() const { session_->db(); }

Value SqliteResult::present(const Value& cell, int column) const {
  return Presented(cell, columns()[static_cast<std::size_t>(column)].type);
}

std::string SqliteResult::presentText(const Value& cell, int column) const {
  return PresentedText(cell, columns()[static_cast<std::size_t>(column)].type);
}

Ran SqliteResult::run(const std::string& sql, const std::vector<Bound>& values, const std::vector<int>& returned) {
  Statement st = session_->prepare(sql);
  int p = 1;
  for (const Bound& b : values) {
    const int type = b.cell < hidden() ? 0 : columns()[static_cast<std::size_t>(b.cell - hidden())].type;
    Bind(*session_, st.get(), p++, b.written ? ForStorage(*b.value, type) : *b.value);
  }
  Ran r;
  while (session_->check(sqlite3_step(st.get())) == SQLITE_ROW)
    if (r.rows++ == 0)
      for (std::size_t i = 0; i < returned.size(); ++i) r.row.push_back(ReadCell(st.get(), static_cast<int>(i)));
  if (sqlite3_column_count(st.get()) == 0) r.rows = sqlite3_changes(session_->db());
  return r;
}

}  // namespace db::sqlite

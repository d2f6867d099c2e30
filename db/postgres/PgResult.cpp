#include "db/postgres/PgResult.h"

#include <cstdlib>

#include "db/EditPlanner.h"
#include "db/postgres/PgOrigins.h"
#include "db/postgres/PgSources.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {

std::unique_ptr<Result> PgResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  Described q = Describe(*session, sql);
  WritePlan plan = PlanWrites(sql::kPostgres, sql, q.columns, q.sources,
                              [&](int t) { return q.sources.tables[static_cast<std::size_t>(t)].key; });
  std::unique_ptr<PageSource> source;
  if (plan.keyset) {
    source = std::make_unique<KeysetSource>(session, plan.keyset->table, plan.keyset->keys);
  } else {
    const std::string subquery = Subquery(sql);
    session->describe(subquery);  // a statement that cannot be read in pages fails here, not at the first row
    source = std::make_unique<OffsetSource>(session, subquery);
  }
  return std::make_unique<PgResult>(session, std::move(q.columns), std::move(q.types), std::move(source),
                                    std::move(plan.edit));
}

std::unique_ptr<Result> PgResult::OpenReadOnly(std::shared_ptr<Session> session, const std::string& sql) {
  Described q = Describe(*session, sql, false);
  EditPlan edit = ReadOnlyPlan(q.columns.size());
  auto source = std::make_unique<OffsetSource>(session, Subquery(sql));
  return std::make_unique<PgResult>(session, std::move(q.columns), std::move(q.types), std::move(source),
                                    std::move(edit));
}

PgResult::PgResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::vector<Oid> types,
                   std::unique_ptr<PageSource> source, EditPlan edit)
    : PagedResult(std::move(columns), std::move(source), std::move(edit)),
      session_(std::move(session)),
      types_(std::move(types)) {}

void PgResult::requireUsable() const { session_->requireUsable(); }

Value PgResult::present(const Value& cell, int column) const {
  if (cell.IsNull()) return cell;
  const std::string& text = cell.Get<std::string>();
  return Decode(types_[static_cast<std::size_t>(column)], text.data(), static_cast<int>(text.size()));
}

Ran PgResult::run(const std::string& sql, const std::vector<Bound>& values, const std::vector<int>& returned) {
  std::vector<Param> params;
  for (const Bound& b : values) params.push_back(b.written ? Encode(*b.value) : AsParam(*b.value));
  ResultPtr r = session_->run(sql, params);
  Ran out;
  out.rows = PQnfields(r.get()) > 0 ? PQntuples(r.get()) : std::atoll(PQcmdTuples(r.get()));
  for (std::size_t i = 0; i < returned.size() && PQntuples(r.get()) > 0; ++i)
    out.row.push_back(Cell(r.get(), 0, static_cast<int>(i)));
  return out;
}

}  // namespace db::pg

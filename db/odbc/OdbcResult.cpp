#include "db/odbc/OdbcResult.h"

#include "db/Ado.h"
#include "db/LayerErrors.h"
#include "db/odbc/OdbcPlan.h"
#include "db/odbc/OdbcSources.h"
#include "db/odbc/OdbcTypes.h"

namespace db::odbc {
namespace {

// SQLTables' columns are TABLE_CAT and TABLE_SCHEM; callers read the OLE DB names.
constexpr const char* kTableColumns[] = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"};

}  // namespace

std::unique_ptr<Result> OdbcResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  Described q = Describe(*session, sql);
  if (auto keyset = PlanKeyset(*session, q, sql)) {
    std::vector<SqlType> keyTypes(keyset->edit.types.begin(), keyset->edit.types.begin() + keyset->edit.hidden);
    auto source = std::make_unique<KeysetSource>(session, keyset->table, keyset->keys, std::move(keyTypes));
    return std::make_unique<OdbcResult>(session, std::move(q.columns), std::move(source), std::move(keyset->edit));
  }
  EditPlan edit = PlanEdits(*session, q, sql);
  std::unique_ptr<PageSource> source;
  if (session->info().limitOffset)
    source = std::make_unique<OffsetSource>(session, sql);
  else
    source = std::make_unique<StepSource>(session, sql);
  return std::make_unique<OdbcResult>(session, std::move(q.columns), std::move(source), std::move(edit));
}

std::unique_ptr<Result> OdbcResult::Tables(std::shared_ptr<Session> session) {
  StmtHandle st = session->statement();
  session->check(SQLTables(st.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), st.get());
  std::vector<Value> cells;
  while (session->fetch(st.get()) != SQL_NO_DATA)
    for (SQLUSMALLINT c = 1; c <= 4; ++c) cells.push_back(ReadCell(*session, st.get(), c, SQL_VARCHAR));
  std::vector<ColumnInfo> columns;
  EditPlan edit;
  for (const char* name : kTableColumns) {
    columns.push_back(ColumnInfo{name, adVarChar, 128, "", "", "", false});
    edit.types.emplace_back();
    edit.targetOf.push_back(-1);
    edit.whyNot.push_back("le righe dello schema non si modificano");
  }
  auto source = std::make_unique<FixedSource>(std::move(cells), 4);
  return std::make_unique<OdbcResult>(session, std::move(columns), std::move(source), std::move(edit));
}

OdbcResult::OdbcResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns,
                       std::unique_ptr<PageSource> source, EditPlan edit)
    : PagedResult(std::move(columns), std::move(source), edit.hidden),
      session_(std::move(session)),
      edit_(std::move(edit)) {}

void OdbcResult::requireUsable() const { session_->requireUsable(); }

Value OdbcResult::present(const Value& cell, int column) const {
  return Presented(cell, columns()[static_cast<std::size_t>(column)].type);
}

std::vector<Value> OdbcResult::write(std::vector<Value> read, const std::vector<std::pair<int, Value>>& changes) {
  return WriteRow(*session_, edit_, std::move(read), changes);
}

}  // namespace db::odbc

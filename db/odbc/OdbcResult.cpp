#include "db/odbc/OdbcResult.h"

#include <algorithm>
#include <iterator>

#include "db/Ado.h"
#include "db/EditPlanner.h"
#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/odbc/OdbcOrigins.h"
#include "db/odbc/OdbcSources.h"

namespace db::odbc {
namespace {

// SQLTables' columns are TABLE_CAT and TABLE_SCHEM; callers read the OLE DB names.
constexpr const char* kTableColumns[] = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"};

class DriverTransaction final : public WriteTransaction {
 public:
  explicit DriverTransaction(Session& s) : transaction_(s, true) {}
  void commit() override { transaction_.commit(); }

 private:
  Session::Transaction transaction_;
};

// The types of the key read before the columns: a row id no column shows has the
// driver's type for it.
std::vector<SqlType> KeyTypes(const Keyset& k, const Described& q, const std::vector<SqlType>& ofRowIds) {
  std::vector<SqlType> types;
  for (std::size_t i = 0; i < k.keyColumns.size(); ++i)
    types.push_back(k.keyColumns[i] >= 0 ? q.types[static_cast<std::size_t>(k.keyColumns[i])] : ofRowIds[i]);
  return types;
}

std::string CatalogText(const Value& v) { return v.IsNull() ? std::string() : v.ToText(); }

}  // namespace

std::unique_ptr<Result> OdbcResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  Described q = Describe(*session, sql);
  const Origins origins = OriginsOf(*session, q, sql);
  WritePlan plan = PlanWrites(session->info().dialect, sql, q.columns, origins.sources,
                              [&](int t) { return PagingKeyOf(origins, sql, t); });
  std::unique_ptr<PageSource> source;
  std::vector<SqlType> types;
  if (plan.keyset) {
    const auto table = static_cast<std::size_t>(origins.sources.columns[0].table);
    types = KeyTypes(*plan.keyset, q, origins.keyTypes[table]);
    source = std::make_unique<KeysetSource>(session, plan.keyset->table, plan.keyset->keys, types);
  } else if (session->info().dialect.limitOffset) {
    source = std::make_unique<OffsetSource>(session, sql);
  } else {
    source = std::make_unique<StepSource>(session, sql);
  }
  types.insert(types.end(), q.types.begin(), q.types.end());
  return std::make_unique<OdbcResult>(session, std::move(q.columns), std::move(types), std::move(source),
                                      std::move(plan.edit));
}

std::unique_ptr<Result> OdbcResult::Tables(std::shared_ptr<Session> session) {
  const std::vector<std::string>& system = session->info().systemCatalogs;
  const bool byDatabase = session->info().catalogsAreDatabases;
  const std::string current = byDatabase ? session->currentCatalog() : "";
  StmtHandle st = session->statement();
  session->check(SQLTables(st.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), st.get());
  std::vector<Value> cells, systemCells;
  while (session->fetch(st.get()) != SQL_NO_DATA) {
    Value row[4];
    for (SQLUSMALLINT c = 1; c <= 4; ++c) row[c - 1] = ReadCell(*session, st.get(), c, SQL_VARCHAR);
    std::vector<Value>* into = &cells;
    if (byDatabase) {
      // The connected database's tables as they are; the server's own qualified by their
      // database, the schema these engines lack; other databases are not this catalogue.
      const std::string catalog = CatalogText(row[0]);
      const bool ofSystem = std::any_of(system.begin(), system.end(),
                                        [&](const std::string& n) { return sql::SameName(n, catalog); });
      if (!sql::SameName(catalog, current)) {
        if (!ofSystem && !current.empty()) continue;
        row[1] = Value(catalog);
      }
      if (ofSystem) {
        row[3] = Value(CatalogText(row[3]).find("VIEW") != std::string::npos ? "SYSTEM VIEW" : "SYSTEM TABLE");
        into = &systemCells;
      }
    }
    for (Value& v : row) into->push_back(std::move(v));
  }
  cells.insert(cells.end(), std::make_move_iterator(systemCells.begin()), std::make_move_iterator(systemCells.end()));
  std::vector<ColumnInfo> columns;
  for (const char* name : kTableColumns) columns.push_back(ColumnInfo{name, adVarChar, 128, "", "", "", false});
  auto source = std::make_unique<FixedSource>(std::move(cells), 4);
  return std::make_unique<OdbcResult>(session, std::move(columns), std::vector<SqlType>(4), std::move(source),
                                      ReadOnlyPlan(4));
}

OdbcResult::OdbcResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::vector<SqlType> types,
                       std::unique_ptr<PageSource> source, EditPlan edit)
    : PagedResult(std::move(columns), std::move(source), std::move(edit)),
      session_(std::move(session)),
      types_(std::move(types)) {}

void OdbcResult::requireUsable() const { session_->requireUsable(); }

Value OdbcResult::present(const Value& cell, int column) const {
  return Presented(cell, columns()[static_cast<std::size_t>(column)].type);
}

Ran OdbcResult::run(const std::string& sql, const std::vector<Bound>& values, const std::vector<int>& returned) {
  StmtHandle st = session_->statement();
  Parameters params;
  for (const Bound& b : values) params.bind(*session_, st.get(), *b.value, typeOf(b.cell));
  session_->execDirect(st.get(), sql);
  SQLSMALLINT width = 0;
  session_->check(SQLNumResultCols(st.get(), &width), st.get());
  Ran r;
  if (width == 0) {
    SQLLEN rows = 0;
    session_->check(SQLRowCount(st.get(), &rows), st.get());
    r.rows = rows;
    return r;
  }
  while (session_->fetch(st.get()) != SQL_NO_DATA) {
    if (r.rows++ > 0) continue;
    for (std::size_t i = 0; i < returned.size(); ++i)
      r.row.push_back(ReadCell(*session_, st.get(), static_cast<SQLUSMALLINT>(i + 1), typeOf(returned[i]).type));
  }
  return r;
}

std::unique_ptr<WriteTransaction> OdbcResult::driverTransaction() {
  return std::make_unique<DriverTransaction>(*session_);
}

}  // namespace db::odbc

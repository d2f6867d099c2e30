#include "db/sqlite/SqlitePlan.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteTypes.h"

namespace db::sqlite {

namespace {

using TableId = std::pair<std::string, std::string>;  // schema, table

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Text(const char* s) { return s ? s : ""; }

// The engine tells whom a read serves: a table read on behalf of a view names the
// view. Those columns are not written back, whatever table they trace to.
int WatchReads(void* views, int action, const char* table, const char*, const char* schema, const char* view) {
  if (action == SQLITE_READ && table && schema && view)
    (*static_cast<std::map<TableId, std::string>*>(views))[{schema, table}] = view;
  return SQLITE_OK;
}

class WatchGuard {
 public:
  WatchGuard(const Session& s, std::map<TableId, std::string>& views) : db_(s.db()) {
    s.check(sqlite3_set_authorizer(db_, &WatchReads, &views));
  }
  ~WatchGuard() { sqlite3_set_authorizer(db_, nullptr, nullptr); }
  WatchGuard(const WatchGuard&) = delete;
  WatchGuard& operator=(const WatchGuard&) = delete;

 private:
  sqlite3* db_;
};

ColumnInfo Describe(sqlite3_stmt* st, int i) {
  ColumnInfo c;
  c.name = Text(sqlite3_column_name(st, i));
  const TypeInfo t = TypeFromDeclared(Text(sqlite3_column_decltype(st, i)));
  c.type = t.type;
  c.definedSize = t.size;
  c.baseSchema = Text(sqlite3_column_database_name(st, i));
  c.baseTable = Text(sqlite3_column_table_name(st, i));
  c.baseColumn = Text(sqlite3_column_origin_name(st, i));
  return c;
}

std::vector<std::string> PrimaryKey(const Session& s, const TableId& t) {
  Statement st = s.prepare("SELECT name FROM pragma_table_info(?1, ?2) WHERE pk > 0 ORDER BY pk");
  Bind(s, st.get(), 1, Value(t.second));
  Bind(s, st.get(), 2, Value(t.first));
  std::vector<std::string> names;
  while (s.check(sqlite3_step(st.get())) == SQLITE_ROW) names.push_back(ReadCell(st.get(), 0).ToText());
  return names;
}

// "table", "view", "virtual" or "shadow"; with whether it is WITHOUT ROWID.
std::pair<std::string, bool> TableKind(const Session& s, const TableId& t) {
  Statement st = s.prepare("SELECT type, wr FROM pragma_table_list(?1) WHERE schema = ?2");
  Bind(s, st.get(), 1, Value(t.second));
  Bind(s, st.get(), 2, Value(t.first));
  if (s.check(sqlite3_step(st.get())) != SQLITE_ROW) return {"", false};
  return {ReadCell(st.get(), 0).ToText(), sqlite3_column_int(st.get(), 1) != 0};
}

// The row id under a name that no column of the table hides.
std::optional<std::string> RowIdAlias(const std::vector<ColumnInfo>& columns) {
  for (const char* alias : {"rowid", "_rowid_", "oid"}) {
    const bool hidden = std::any_of(columns.begin(), columns.end(), [&](const ColumnInfo& c) { return SameName(c.name, alias); });
    if (!hidden) return alias;
  }
  return std::nullopt;
}

void MarkKeys(std::vector<ColumnInfo>& columns, const TableId& t, const std::vector<std::string>& pk) {
  for (ColumnInfo& c : columns)
    if (c.baseSchema == t.first && c.baseTable == t.second)
      c.isKey = std::any_of(pk.begin(), pk.end(), [&](const std::string& k) { return SameName(k, c.baseColumn); });
}

std::string Quoted(std::string_view name) { return sql::QuoteIdentifier(sql::kSqlite, name); }

}  // namespace

Prepared PrepareQuery(const Session& s, const std::string& sql) {
  Prepared q;
  std::map<TableId, std::string> views;
  std::string_view tail;
  {
    WatchGuard watch(s, views);
    q.stmt = s.prepare(sql, &tail);
  }
  if (!q.stmt) throw errors::NoCommand();
  if (!sql::IsBlank(tail))
    throw errors::InvalidArgument("il testo contiene più di un'istruzione; una query ne ammette una sola");
  sqlite3_stmt* st = q.stmt.get();
  if (sqlite3_column_count(st) == 0)
    throw DbError(adErrIllegalOperation, "Il comando non restituisce righe e non è stato eseguito: usare Execute");
  if (!sqlite3_stmt_readonly(st))
    throw DbError(adErrIllegalOperation, "Il comando modifica il database e non è stato eseguito: usare Execute");
  for (int i = 0; i < sqlite3_column_count(st); ++i) {
    q.columns.push_back(Describe(st, i));
    const auto v = views.find({q.columns.back().baseSchema, q.columns.back().baseTable});
    q.viewOf.push_back(v == views.end() ? "" : v->second);
  }
  return q;
}

std::optional<KeysetPlan> PlanKeyset(const Session& s, Prepared& q, const std::string& sql) {
  if (!sql::ParsePlainSelect(sql) || q.columns.empty()) return std::nullopt;
  const TableId t{q.columns[0].baseSchema, q.columns[0].baseTable};
  for (std::size_t i = 0; i < q.columns.size(); ++i)
    if (q.columns[i].baseSchema != t.first || q.columns[i].baseTable != t.second || !q.viewOf[i].empty())
      return std::nullopt;
  const auto [kind, withoutRowId] = TableKind(s, t);
  if (kind != "table") return std::nullopt;  // views and virtual tables page by offset

  KeysetPlan plan;
  const std::vector<std::string> pk = PrimaryKey(s, t);
  if (withoutRowId) {
    for (const auto& k : pk) plan.keys.push_back(Quoted(k));
  } else if (auto alias = RowIdAlias(q.columns)) {
    plan.keys.push_back(*alias);  // unquoted: a quoted "rowid" could read as a string
  }
  if (plan.keys.empty()) return std::nullopt;
  // The key read before every column must fit the engine's limit on the columns of a
  // result: a table that has that many columns already pages by offset.
  if (plan.keys.size() + q.columns.size() > static_cast<std::size_t>(sqlite3_limit(s.db(), SQLITE_LIMIT_COLUMN, -1)))
    return std::nullopt;
  MarkKeys(q.columns, t, pk);
  plan.table = sql::QualifiedName(sql::kSqlite, t.first, t.second);

  EditPlan& e = plan.edit;
  e.hidden = static_cast<int>(plan.keys.size());
  EditTarget target{plan.table, {}, {}};
  for (int k = 0; k < e.hidden; ++k) target.keys.emplace_back(k, plan.keys[static_cast<std::size_t>(k)]);
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    target.columns.emplace_back(e.hidden + static_cast<int>(i), Quoted(q.columns[i].baseColumn));
    e.types.push_back(q.columns[i].type);
    e.targetOf.push_back(0);
    e.whyNot.emplace_back();
  }
  e.targets.push_back(std::move(target));
  return plan;
}

namespace {

// Why column i cannot be written by itself (empty: it can, given its table's key).
std::string WhyNotColumn(const Prepared& q, std::size_t i) {
  const ColumnInfo& c = q.columns[i];
  if (c.baseTable.empty()) return "la colonna \"" + c.name + "\" è calcolata (espressione, aggregato o costante)";
  if (!q.viewOf[i].empty()) return "la colonna \"" + c.name + "\" viene dalla vista \"" + q.viewOf[i] + "\"";
  return "";
}

// Fills the key of table n from the result's columns; the reason when it is not there.
std::string FindKey(const Prepared& q, const EditPlan& e, int n, const TableId& t, const std::vector<std::string>& pk,
                    EditTarget& target) {
  if (pk.empty()) return "la tabella \"" + t.second + "\" non ha una chiave primaria";
  for (const std::string& k : pk) {
    std::size_t i = 0;
    while (i < q.columns.size() && !(e.targetOf[i] == n && SameName(q.columns[i].baseColumn, k))) ++i;
    if (i == q.columns.size())
      return "nel risultato manca la colonna \"" + k + "\", chiave della tabella \"" + t.second + "\"";
    target.keys.emplace_back(static_cast<int>(i), Quoted(k));
  }
  return "";
}

bool IsKeyCell(const EditTarget& t, std::size_t i) {
  return std::any_of(t.keys.begin(), t.keys.end(), [&](const auto& k) { return k.first == static_cast<int>(i); });
}

}  // namespace

EditPlan PlanEdits(const Session& s, Prepared& q) {
  EditPlan e;
  std::map<TableId, int> index;
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    e.types.push_back(q.columns[i].type);
    e.whyNot.push_back(WhyNotColumn(q, i));
    e.targetOf.push_back(!e.whyNot.back().empty() ? -1
                         : index.try_emplace({q.columns[i].baseSchema, q.columns[i].baseTable},
                                             static_cast<int>(index.size())).first->second);
  }
  e.targets.resize(index.size());
  for (const auto& [t, n] : index) {
    EditTarget& target = e.targets[static_cast<std::size_t>(n)];
    target.table = sql::QualifiedName(sql::kSqlite, t.first, t.second);
    const std::vector<std::string> pk = PrimaryKey(s, t);
    MarkKeys(q.columns, t, pk);
    const std::string missing = FindKey(q, e, n, t, pk, target);
    for (std::size_t i = 0; i < q.columns.size(); ++i) {
      if (e.targetOf[i] != n) continue;
      if (!missing.empty()) {
        e.targetOf[i] = -1;
        e.whyNot[i] = missing;
      } else if (!IsKeyCell(target, i)) {
        target.columns.emplace_back(static_cast<int>(i), Quoted(q.columns[i].baseColumn));
      }
    }
  }
  return e;
}

}  // namespace db::sqlite

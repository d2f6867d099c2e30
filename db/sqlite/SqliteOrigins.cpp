#include "db/sqlite/SqliteOrigins.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <optional>

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteTypes.h"

namespace db::sqlite {

namespace {

using TableId = std::pair<std::string, std::string>;  // schema, table

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

std::vector<KeyPart> PrimaryKey(const Session& s, const TableId& t) {
  Statement st = s.prepare("SELECT name FROM pragma_table_info(?1, ?2) WHERE pk > 0 ORDER BY pk");
  Bind(s, st.get(), 1, Value(t.second));
  Bind(s, st.get(), 2, Value(t.first));
  std::vector<KeyPart> key;
  while (s.check(sqlite3_step(st.get())) == SQLITE_ROW) key.push_back({ReadCell(st.get(), 0).ToText()});
  return key;
}

// The row id and its alias, a rowid table's lone INTEGER PRIMARY KEY, hold no NULL
// though not declared NOT NULL. Unknown counts as nullable.
bool Nullable(const Session& s, const ColumnInfo& c) {
  const char* declared = nullptr;
  int notNull = 0, primaryKey = 0;
  if (sqlite3_table_column_metadata(s.db(), c.baseSchema.c_str(), c.baseTable.c_str(), c.baseColumn.c_str(), &declared,
                                    nullptr, &notNull, &primaryKey, nullptr) != SQLITE_OK)
    return true;
  if (notNull) return false;
  if (!primaryKey || !sql::SameName(Text(declared), "INTEGER")) return true;
  return PrimaryKey(s, {c.baseSchema, c.baseTable}).size() > 1;
}

ColumnInfo Describe(const Session& s, sqlite3_stmt* st, int i) {
  ColumnInfo c;
  c.name = Text(sqlite3_column_name(st, i));
  const TypeInfo t = TypeFromDeclared(Text(sqlite3_column_decltype(st, i)));
  c.type = t.type;
  c.definedSize = t.size;
  c.baseSchema = Text(sqlite3_column_database_name(st, i));
  c.baseTable = Text(sqlite3_column_table_name(st, i));
  c.baseColumn = Text(sqlite3_column_origin_name(st, i));
  if (!c.baseColumn.empty()) c.nullable = Nullable(s, c);
  return c;
}

// Whether a key read before every column fits the engine's limit on the columns of a result.
bool FitsBeside(const Session& s, std::size_t keyParts, std::size_t columns) {
  return keyParts + columns <= static_cast<std::size_t>(sqlite3_limit(s.db(), SQLITE_LIMIT_COLUMN, -1));
}

// "table", "view", "virtual" or "shadow"; with whether it is WITHOUT ROWID.
std::pair<std::string, bool> KindOf(const Session& s, const TableId& t) {
  Statement st = s.prepare("SELECT type, wr FROM pragma_table_list(?1) WHERE schema = ?2");
  Bind(s, st.get(), 1, Value(t.second));
  Bind(s, st.get(), 2, Value(t.first));
  if (s.check(sqlite3_step(st.get())) != SQLITE_ROW) return {"", false};
  return {ReadCell(st.get(), 0).ToText(), sqlite3_column_int(st.get(), 1) != 0};
}

// The row id under a name that no column of the table hides.
std::optional<std::string> RowIdAlias(const std::vector<ColumnInfo>& columns) {
  for (const char* alias : {"rowid", "_rowid_", "oid"}) {
    const bool hidden =
        std::any_of(columns.begin(), columns.end(), [&](const ColumnInfo& c) { return sql::SameName(c.name, alias); });
    if (!hidden) return alias;
  }
  return std::nullopt;
}

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
    throw DbError(adErrIllegalOperation, "Il comando non restituisce righe e non è stato eseguito: usare Execute",
                  ErrorKind::InvalidArgument);
  if (!sqlite3_stmt_readonly(st))
    throw DbError(adErrIllegalOperation, "Il comando modifica il database e non è stato eseguito: usare Execute",
                  ErrorKind::InvalidArgument);
  for (int i = 0; i < sqlite3_column_count(st); ++i) {
    q.columns.push_back(Describe(s, st, i));
    const auto v = views.find({q.columns.back().baseSchema, q.columns.back().baseTable});
    q.viewOf.push_back(v == views.end() ? "" : v->second);
  }
  return q;
}

Sources SourcesOf(const Session& s, const Prepared& q) {
  Sources out;
  std::map<TableId, int> index;
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    const ColumnInfo& c = q.columns[i];
    ColumnSource& from = out.columns.emplace_back();
    from.view = q.viewOf[i];
    if (c.baseTable.empty()) continue;
    const auto [at, added] = index.try_emplace({c.baseSchema, c.baseTable}, static_cast<int>(index.size()));
    if (added) out.tables.push_back({"", c.baseSchema, c.baseTable, TableKind::Table, false, PrimaryKey(s, at->first)});
    from.table = at->second;
    const auto& key = out.tables[static_cast<std::size_t>(from.table)].key;
    const auto part = std::find_if(key.begin(), key.end(), [&](const KeyPart& k) { return sql::SameName(k.name, c.baseColumn); });
    if (part != key.end()) from.keyPart = static_cast<int>(part - key.begin());
  }
  if (!FitsBeside(s, 1, q.columns.size()))
    for (SourceTable& t : out.tables)
      if (t.key.empty()) t.rowIdOutOfReach = KindOf(s, {t.schema, t.name}) == std::pair<std::string, bool>{"table", false};
  return out;
}

std::vector<KeyPart> PagingKeyOf(const Session& s, const Prepared& q, const SourceTable& t) {
  const auto [kind, withoutRowId] = KindOf(s, {t.schema, t.name});
  if (kind != "table") return {};  // views and virtual tables page by offset
  std::vector<KeyPart> parts;
  if (withoutRowId)
    parts = t.key;
  else if (auto alias = RowIdAlias(q.columns))
    parts.push_back({*alias, true});
  // A table that has too many columns for its key beside them pages by offset.
  return FitsBeside(s, parts.size(), q.columns.size()) ? parts : std::vector<KeyPart>{};
}

}  // namespace db::sqlite

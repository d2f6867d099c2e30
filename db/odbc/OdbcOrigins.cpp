#include "db/odbc/OdbcOrigins.h"

#include <map>
#include <tuple>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"

namespace db::odbc {
namespace {

using TableId = std::tuple<std::string, std::string, std::string>;  // catalogue, schema, table

// A text attribute the driver may not know: unknown is empty, not a failure.
std::string Attribute(const Session& s, SQLHSTMT st, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLCHAR buffer[512] = {};
  SQLSMALLINT length = 0;
  try {
    s.check(SQLColAttribute(st, column, field, buffer, sizeof buffer, &length, nullptr), st);
  } catch (const DbError&) {
    return {};
  }
  return reinterpret_cast<const char*>(buffer);
}

// A numeric attribute; -1 when the driver does not know it.
SQLLEN Number(const Session& s, SQLHSTMT st, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLLEN value = -1;
  try {
    s.check(SQLColAttribute(st, column, field, nullptr, 0, nullptr, &value), st);
  } catch (const DbError&) {
    return -1;
  }
  return value;
}

bool Unsigned(const Session& s, SQLHSTMT st, SQLUSMALLINT column) {
  return Number(s, st, column, SQL_DESC_UNSIGNED) == SQL_TRUE;
}

// Catalogue functions take "no value" as "any", an empty text as "none".
SQLCHAR* Arg(const std::string& s) {
  return s.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

std::string Text(const Value& v) { return v.IsNull() ? std::string() : v.ToText(); }

// Reads the rows of a catalogue function's result.
std::vector<std::vector<Value>> Rows(Session& s, SQLHSTMT st, int width) {
  std::vector<std::vector<Value>> rows;
  while (s.fetch(st) != SQL_NO_DATA) {
    auto& row = rows.emplace_back();
    for (int c = 1; c <= width; ++c) row.push_back(ReadCell(s, st, static_cast<SQLUSMALLINT>(c), SQL_VARCHAR));
  }
  return rows;
}

std::string TableType(Session& s, const TableId& t) {
  auto [catalog, schema, table] = t;
  StmtHandle st = s.statement();
  s.check(SQLTables(st.get(), Arg(catalog), SQL_NTS, Arg(schema), SQL_NTS, Arg(table), SQL_NTS, nullptr, 0), st.get());
  // The name is a pattern to SQLTables ('_' matches any letter): keep the exact one.
  std::string found;
  for (const auto& row : Rows(s, st.get(), 4))
    if (Text(row[2]) == table || (found.empty() && sql::SameName(Text(row[2]), table))) found = Text(row[3]);
  return found;
}

struct Key {
  std::vector<KeyPart> parts;  // a row id no column shows (SQLite's _ROWID_) is a rowId part
  std::vector<SqlType> types;
  bool primary = false;  // not the driver's best row id
};

// The primary key, else the driver's best row identifier.
Key FindKey(Session& s, const TableId& t) {
  auto [catalog, schema, table] = t;
  Key key;
  StmtHandle st = s.statement();
  s.check(SQLPrimaryKeys(st.get(), Arg(catalog), SQL_NTS, Arg(schema), SQL_NTS, Arg(table), SQL_NTS), st.get());
  std::map<std::int64_t, std::string> bySequence;
  for (const auto& row : Rows(s, st.get(), 5)) bySequence[std::stoll("0" + Text(row[4]))] = Text(row[3]);
  for (const auto& [seq, name] : bySequence) {
    key.parts.push_back({name, false});
    key.types.emplace_back();
  }
  key.primary = !key.parts.empty();
  if (key.primary) return key;
  st = s.statement();
  s.check(SQLSpecialColumns(st.get(), SQL_BEST_ROWID, Arg(catalog), SQL_NTS, Arg(schema), SQL_NTS, Arg(table), SQL_NTS,
                            SQL_SCOPE_CURROW, SQL_NULLABLE),
          st.get());
  for (const auto& row : Rows(s, st.get(), 8)) {
    key.parts.push_back({Text(row[1]), Text(row[7]) == std::to_string(SQL_PC_PSEUDO)});
    key.types.push_back({static_cast<SQLSMALLINT>(std::stoi("0" + Text(row[2]))),
                         static_cast<SQLULEN>(std::stoll("0" + Text(row[4]))), 0});
  }
  return key;
}

TableId BaseOf(const Described& q, std::size_t i) {
  return {q.catalogs[i], q.columns[i].baseSchema, q.columns[i].baseTable};
}

// Drivers may hand floating-point values over rounded (SQLite's to 15 digits).
bool Approximate(SQLSMALLINT type) { return type == SQL_REAL || type == SQL_FLOAT || type == SQL_DOUBLE; }

// With its key, unless it is a view; not looked up when the query reads a view.
void AddTable(Session& s, const TableId& id, bool underView, Origins& o) {
  const auto& [catalog, schema, name] = id;
  // Named by its database, or an UPDATE would find a table of that name in the connected one.
  SourceTable t{catalog, schema.empty() && s.info().catalogsAreDatabases ? catalog : schema, name, TableKind::Table,
                false, {}};
  Key key;
  o.types.push_back(underView ? "" : TableType(s, id));
  if (sql::SameName(o.types.back(), "VIEW"))
    t.kind = TableKind::View;
  else if (!underView)
    key = FindKey(s, id);
  t.key = std::move(key.parts);
  o.sources.tables.push_back(std::move(t));
  o.keyTypes.push_back(std::move(key.types));
  o.primaryKeyed.push_back(key.primary);
}

}  // namespace

Described Describe(Session& s, const std::string& sql) {
  StmtHandle st = s.statement();
  std::string text = sql;
  s.check(SQLPrepare(st.get(), reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())), st.get());
  SQLSMALLINT n = 0;
  s.check(SQLNumResultCols(st.get(), &n), st.get());
  if (n == 0)
    throw DbError(adErrIllegalOperation, "Il comando non restituisce righe e non è stato eseguito: usare Execute",
                  ErrorKind::InvalidArgument);
  Described q;
  for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(n); ++c) {
    SQLCHAR name[512] = {};
    SQLSMALLINT nameLength = 0, nullable = SQL_NULLABLE_UNKNOWN;
    SqlType type;
    s.check(SQLDescribeCol(st.get(), c, name, sizeof name, &nameLength, &type.type, &type.size, &type.digits, &nullable),
            st.get());
    const TypeInfo info = ColumnType(type.type, type.size, Unsigned(s, st.get(), c));
    ColumnInfo column{reinterpret_cast<const char*>(name), info.type, info.size, {}, {}, {}, false};
    column.baseTable = Attribute(s, st.get(), c, SQL_DESC_BASE_TABLE_NAME);
    if (!column.baseTable.empty()) {
      column.baseSchema = Attribute(s, st.get(), c, SQL_DESC_SCHEMA_NAME);
      column.baseColumn = Attribute(s, st.get(), c, SQL_DESC_BASE_COLUMN_NAME);
      // Only a stored column's word is taken: an expression stays nullable. SQLite's
      // driver tells it in the attribute alone.
      column.nullable = column.baseColumn.empty() ||
                        (nullable != SQL_NO_NULLS && Number(s, st.get(), c, SQL_DESC_NULLABLE) != SQL_NO_NULLS);
    }
    q.catalogs.push_back(column.baseTable.empty() ? "" : Attribute(s, st.get(), c, SQL_DESC_CATALOG_NAME));
    q.columns.push_back(std::move(column));
    q.types.push_back(type);
  }
  return q;
}

Origins OriginsOf(Session& s, Described& q, const std::string& sql) {
  // SQLite's driver names the table under a view as the columns' base table.
  std::string view;
  const auto ref = sql::ParsePlainSelect(sql);
  const TableId named = !ref                                ? TableId{}
                        : s.info().catalogsAreDatabases ? TableId{ref->schema, "", ref->name}
                                                        : TableId{"", ref->schema, ref->name};
  if (ref && sql::SameName(TableType(s, named), "VIEW"))
    view = ref->name;
  Origins o;
  std::map<TableId, int> index;
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    ColumnSource& from = o.sources.columns.emplace_back();
    from.view = view;
    if (Approximate(q.types[i].type)) from.compare = Compare::Approximate;
    if (q.columns[i].baseTable.empty() || q.columns[i].baseColumn.empty()) continue;
    const auto [at, added] = index.try_emplace(BaseOf(q, i), static_cast<int>(index.size()));
    if (added) AddTable(s, at->first, !view.empty(), o);
    from.table = at->second;
    const auto& key = o.sources.tables[static_cast<std::size_t>(from.table)].key;
    for (std::size_t k = 0; k < key.size() && from.keyPart < 0; ++k)
      if (sql::SameName(key[k].name, q.columns[i].baseColumn)) from.keyPart = static_cast<int>(k);
    // SQL makes a primary key NOT NULL; SQLite's driver does not say so of a row id alias.
    if (from.keyPart >= 0 && o.primaryKeyed[static_cast<std::size_t>(from.table)]) q.columns[i].nullable = false;
  }
  return o;
}

std::vector<KeyPart> PagingKeyOf(const Origins& o, const std::string& sql, int table) {
  const SourceTable& t = o.sources.tables[static_cast<std::size_t>(table)];
  // A driver may name the table under a view: the keyset is for the table named.
  const auto ref = sql::ParsePlainSelect(sql);
  if (!ref || !sql::SameName(ref->name, t.name)) return {};
  // Views and the engine's own tables page by offset.
  return sql::SameName(o.types[static_cast<std::size_t>(table)], "TABLE") ? t.key : std::vector<KeyPart>{};
}

}  // namespace db::odbc
